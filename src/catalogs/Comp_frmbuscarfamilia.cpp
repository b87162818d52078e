#include "catalogs/Comp_frmbuscarfamilia.h"

#include "catalogs/Familias.h"
#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"
#include "platform/db/DbError.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

using Columna = db::DatasetModel::Column;

} // namespace

TfrmBuscarFamilia::TfrmBuscarFamilia(TFDatosComp &datos, const QString &origen, QWidget *parent)
    : TfrmBuscarFamilia(datos, origen, *datos.TFam2,
                        {Columna{QStringLiteral("COD_FAMILIA"), QStringLiteral("Código"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         Columna{QStringLiteral("NOMBRE"), QStringLiteral(" Descripción Familia"), {}, Qt::AlignLeft | Qt::AlignVCenter}},
                        parent)
{
    setObjectName(QStringLiteral("frmBuscarFamilia"));
}

TfrmBuscarFamilia::TfrmBuscarFamilia(TFDatosComp &datos, const QString &origen, db::Dataset &ds,
                                     const QList<db::DatasetModel::Column> &columnas, QWidget *parent)
    : QWidget(parent, Qt::Dialog), datos_(datos), ds_(ds), origen_(origen)
{
    setWindowTitle(QStringLiteral("Buscar Familia"));
    resize(460, 380);

    auto *lblBuscar = new QLabel(QStringLiteral("Buscar:"), this);
    edBuscar = new QLineEdit(this);
    edBuscar->setObjectName(QStringLiteral("edBuscar"));
    edBuscar->setValidator(new ValidadorMayusculas(edBuscar));
    lblBuscar->setBuddy(edBuscar);

    GridFamilias = new QTableView(this);
    GridFamilias->setObjectName(QStringLiteral("GridFamilias"));
    modelo_ = new db::DatasetModel(&ds_, this);
    modelo_->setColumns(columnas);
    PrepararGrillaBusqueda(GridFamilias, modelo_);
    if (columnas.size() > 1)
        GridFamilias->setColumnWidth(0, 110);
    GridFamilias->horizontalHeader()->setStretchLastSection(true);

    btnAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

    auto *filaBuscar = new QHBoxLayout;
    filaBuscar->addWidget(lblBuscar);
    filaBuscar->addWidget(edBuscar, 1);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filaBuscar);
    layout->addWidget(GridFamilias, 1);
    layout->addLayout(botones);

    connect(edBuscar, &QLineEdit::textChanged, this, [this] {
        if (isVisible())
            Buscar();
    });
    connect(GridFamilias, &QTableView::doubleClicked, this, &TfrmBuscarFamilia::btnAceptarClick);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmBuscarFamilia::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmBuscarFamilia::btnCancelarClick);
    for (QWidget *w : {static_cast<QWidget *>(edBuscar), static_cast<QWidget *>(GridFamilias),
                       static_cast<QWidget *>(btnAceptar), static_cast<QWidget *>(btnCancelar)})
        w->installEventFilter(this);
}

void TfrmBuscarFamilia::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
    raise();
    activateWindow();
}

void TfrmBuscarFamilia::Buscar()
{
    try {
        ConsultaBuscarFamilia(edBuscar->text(), origen_).Abrir(ds_);
    } catch (const db::DbError &e) {
        mensajes().Error(e.message());
    }
}

void TfrmBuscarFamilia::ListaVacia()
{
    mensajes().Advertencia(QStringLiteral("Debe seleccionar una Familia"));
}

void TfrmBuscarFamilia::btnAceptarClick()
{
    if (!ds_.active() || ds_.isEmpty()) {
        ListaVacia();
        edBuscar->setFocus();
        return;
    }
    const QString codigo = ds_.fieldByName(QStringLiteral("COD_FAMILIA")).asString().trimmed();
    const QString nombre = ds_.fieldByName(QStringLiteral("NOMBRE")).asString();
    llamador_.Habilitar();
    QPointer<TfrmBuscarFamilia> yo(this);
    emit familiaElegida(codigo, nombre);
    if (yo)
        close();
}

void TfrmBuscarFamilia::btnCancelarClick()
{
    close();
}

void TfrmBuscarFamilia::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    Buscar();
    edBuscar->setFocus();
}

void TfrmBuscarFamilia::closeEvent(QCloseEvent *e)
{
    setAttribute(Qt::WA_DeleteOnClose);
    llamador_.Habilitar();
    QWidget::closeEvent(e);
    emit cerrada();
}

bool TfrmBuscarFamilia::eventFilter(QObject *objeto, QEvent *e)
{
    return TeclaVentanaBusqueda(objeto, e, [this] { focusNextChild(); }, [this] { btnCancelarClick(); })
           || QWidget::eventFilter(objeto, e);
}

TfrmCambiarFamilia::TfrmCambiarFamilia(TFDatosComp &datos, const QString &origen, QWidget *parent)
    : TfrmBuscarFamilia(datos, origen, *datos.TFamilia, {Columna{QStringLiteral("NOMBRE"), QStringLiteral("Nombre"), {}, Qt::AlignLeft | Qt::AlignVCenter}},
                        parent)
{
    setObjectName(QStringLiteral("frmCambiarFamilia"));
}

void TfrmCambiarFamilia::Buscar()
{
    try {
        ConsultaCambiarFamilia(edBuscar->text()).Abrir(ds_);
    } catch (const db::DbError &e) {
        mensajes().Error(e.message());
    }
}

void TfrmCambiarFamilia::ListaVacia()
{
    mensajes().Advertencia(QStringLiteral("No se ha seleccionado ningúna familia"));
}

namespace {

template <class Ventana>
Ventana *Abrir(Ventana *v, QWidget *llamador, std::function<void(const QString &, const QString &)> alElegir)
{
    if (alElegir)
        QObject::connect(v, &TfrmBuscarFamilia::familiaElegida, v, std::move(alElegir));
    if (llamador)  // not its child: a disabled parent would disable the search too
        QObject::connect(llamador, &QObject::destroyed, v, &QWidget::close);
    v->AbrirDesde(llamador);
    return v;
}

} // namespace

TfrmBuscarFamilia *BuscarFamilia(TFDatosComp &datos, QWidget *llamador, const QString &origen,
                                 std::function<void(const QString &, const QString &)> alElegir)
{
    return Abrir(new TfrmBuscarFamilia(datos, origen), llamador, std::move(alElegir));
}

TfrmCambiarFamilia *CambiarFamilia(TFDatosComp &datos, QWidget *llamador, const QString &origen,
                                   std::function<void(const QString &, const QString &)> alElegir)
{
    return Abrir(new TfrmCambiarFamilia(datos, origen), llamador, std::move(alElegir));
}
