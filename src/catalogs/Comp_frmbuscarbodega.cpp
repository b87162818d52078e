#include "catalogs/Comp_frmbuscarbodega.h"

#include "data/Comp_fdatos.h"
#include "platform/db/DbError.h"
#include "platform/Mensajes.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TfrmBuscarBodega::TfrmBuscarBodega(TFDatosComp &datos, QWidget *parent) : QWidget(parent, Qt::Dialog), datos_(datos)
{
    setObjectName(QStringLiteral("frmBuscarBodega"));
    setWindowTitle(QStringLiteral("Buscar Bodega"));
    resize(420, 360);

    auto *lblBuscar = new QLabel(QStringLiteral("Buscar:"), this);
    edBuscar = new QLineEdit(this);
    edBuscar->setObjectName(QStringLiteral("edBuscar"));
    edBuscar->setValidator(new ValidadorMayusculas(edBuscar));
    lblBuscar->setBuddy(edBuscar);

    GridBodegas = new QTableView(this);
    GridBodegas->setObjectName(QStringLiteral("GridBodegas"));
    modelo_ = new db::DatasetModel(datos_.TBodegas, this);
    modelo_->setColumns({{QStringLiteral("COD_BODEGA"), QStringLiteral("Código"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         {QStringLiteral("DESCRIPCION"), QStringLiteral("Bodega"), {}, Qt::AlignLeft | Qt::AlignVCenter}});
    PrepararGrillaBusqueda(GridBodegas, modelo_);
    GridBodegas->setColumnWidth(0, 70);
    GridBodegas->horizontalHeader()->setStretchLastSection(true);

    chkPrincipal = new QCheckBox(kNombreInventarioPrincipal, this);
    chkPrincipal->setObjectName(QStringLiteral("chkPrincipal"));
    btnAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

    auto *filaBuscar = new QHBoxLayout;
    filaBuscar->addWidget(lblBuscar);
    filaBuscar->addWidget(edBuscar, 1);
    auto *botones = new QHBoxLayout;
    botones->addWidget(chkPrincipal);
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filaBuscar);
    layout->addWidget(GridBodegas, 1);
    layout->addLayout(botones);

    setTabOrder(edBuscar, GridBodegas);
    setTabOrder(GridBodegas, chkPrincipal);
    setTabOrder(chkPrincipal, btnAceptar);
    setTabOrder(btnAceptar, btnCancelar);

    connect(edBuscar, &QLineEdit::textChanged, this, [this] {
        if (isVisible())
            FiltrarBodegas();
    });
    connect(GridBodegas, &QTableView::doubleClicked, this, &TfrmBuscarBodega::btnAceptarClick);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmBuscarBodega::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmBuscarBodega::btnCancelarClick);
    for (QWidget *w : {static_cast<QWidget *>(edBuscar), static_cast<QWidget *>(GridBodegas),
                       static_cast<QWidget *>(chkPrincipal), static_cast<QWidget *>(btnAceptar),
                       static_cast<QWidget *>(btnCancelar)})
        w->installEventFilter(this);
}

void TfrmBuscarBodega::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
    raise();
    activateWindow();
}

void TfrmBuscarBodega::FiltrarBodegas()
{
    try {
        ConsultaBodegas(edBuscar->text()).Abrir(*datos_.TBodegas);
    } catch (const db::DbError &e) {
        mensajes().Error(e.message());
    }
}

void TfrmBuscarBodega::btnAceptarClick()
{
    const std::optional<DestinoCompra> destino = DestinoElegido(chkPrincipal->isChecked(), *datos_.TBodegas);
    if (!destino) {
        // An empty list would send the goods to a warehouse with no code.
        mensajes().Advertencia(QStringLiteral("No se ha seleccionado ninguna bodega"));
        edBuscar->setFocus();
        return;
    }
    llamador_.Habilitar();
    QPointer<TfrmBuscarBodega> yo(this);
    emit bodegaElegida(destino->codigo, destino->descripcion, destino->principal);
    if (yo)
        close();
}

void TfrmBuscarBodega::btnCancelarClick()
{
    close();
}

void TfrmBuscarBodega::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    FiltrarBodegas();
    edBuscar->setFocus();
}

void TfrmBuscarBodega::closeEvent(QCloseEvent *e)
{
    setAttribute(Qt::WA_DeleteOnClose);
    llamador_.Habilitar();
    QWidget::closeEvent(e);
    emit cerrada();
}

bool TfrmBuscarBodega::eventFilter(QObject *objeto, QEvent *e)
{
    return TeclaVentanaBusqueda(objeto, e, [this] { focusNextChild(); }, [this] { btnCancelarClick(); })
           || QWidget::eventFilter(objeto, e);
}
