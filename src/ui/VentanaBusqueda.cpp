#include "ui/VentanaBusqueda.h"

#include "platform/ErrorCompras.h"
#include "platform/Mensajes.h"
#include "platform/db/Dataset.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

VentanaBusqueda::VentanaBusqueda(db::Dataset &ds, const QList<db::DatasetModel::Column> &columnas,
                                 const QString &nombreGrid, QWidget *parent)
    : QWidget(parent, Qt::Dialog), ds_(ds)
{
    auto *lblBuscar = new QLabel(QStringLiteral("Buscar:"), this);
    edBuscar = new QLineEdit(this);
    edBuscar->setObjectName(QStringLiteral("edBuscar"));
    edBuscar->setValidator(new ValidadorMayusculas(edBuscar));
    lblBuscar->setBuddy(edBuscar);

    Grid = new QTableView(this);
    Grid->setObjectName(nombreGrid);
    modelo_ = new db::DatasetModel(&ds_, this);
    modelo_->setColumns(columnas);
    PrepararGrillaBusqueda(Grid, modelo_);
    Grid->horizontalHeader()->setStretchLastSection(true);

    btnAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

    auto *filaBuscar = new QHBoxLayout;
    filaBuscar->addWidget(lblBuscar);
    filaBuscar->addWidget(edBuscar, 1);
    pie_ = new QHBoxLayout;
    pie_->addStretch(1);
    pie_->addWidget(btnAceptar);
    pie_->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filaBuscar);
    layout->addWidget(Grid, 1);
    layout->addLayout(pie_);

    connect(edBuscar, &QLineEdit::textChanged, this, [this] {
        if (isVisible())
            Buscar();
    });
    connect(Grid, &QTableView::doubleClicked, this, &VentanaBusqueda::btnAceptarClick);
    connect(btnAceptar, &QPushButton::clicked, this, &VentanaBusqueda::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &VentanaBusqueda::btnCancelarClick);
    for (QWidget *w : {static_cast<QWidget *>(edBuscar), static_cast<QWidget *>(Grid),
                       static_cast<QWidget *>(btnAceptar), static_cast<QWidget *>(btnCancelar)})
        w->installEventFilter(this);
}

void VentanaBusqueda::AgregarAlPie(QWidget *w)
{
    pie_->insertWidget(0, w);
    setTabOrder(Grid, w);
    setTabOrder(w, btnAceptar);
    w->installEventFilter(this);
}

void VentanaBusqueda::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
    raise();
    activateWindow();
}

void VentanaBusqueda::Buscar()
{
    try {
        Consulta(edBuscar->text()).Abrir(ds_);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
}

bool VentanaBusqueda::HayEleccion() const
{
    return ds_.active() && !ds_.isEmpty();
}

void VentanaBusqueda::btnAceptarClick()
{
    if (!HayEleccion()) {
        ListaVacia();
        edBuscar->setFocus();
        return;
    }
    llamador_.Habilitar();
    QPointer<VentanaBusqueda> yo(this);
    Entregar();
    if (yo)  // the receiver may have closed it already
        close();
}

void VentanaBusqueda::btnCancelarClick()
{
    close();
}

void VentanaBusqueda::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    Buscar();
    edBuscar->setFocus();
}

void VentanaBusqueda::closeEvent(QCloseEvent *e)
{
    setAttribute(Qt::WA_DeleteOnClose);
    llamador_.Habilitar();
    QWidget::closeEvent(e);
    emit cerrada();
}

bool VentanaBusqueda::eventFilter(QObject *objeto, QEvent *e)
{
    return TeclaVentanaBusqueda(objeto, e, [this] { focusNextChild(); }, [this] { btnCancelarClick(); })
           || QWidget::eventFilter(objeto, e);
}
