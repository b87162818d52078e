#include "catalogs/Comp_frmcambiarproveedor.h"

#include "data/Comp_fdatos.h"
#include "platform/db/DbError.h"
#include "platform/Mensajes.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString kSinProveedor = QStringLiteral("No se ha seleccionado ningún proveedor");
}

// --- VentanaBuscaProveedor

VentanaBuscaProveedor::VentanaBuscaProveedor(TFDatosComp &datos, const QString &titulo, const QSize &areaCliente,
                                             QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint), datos_(datos)
{
    setWindowTitle(titulo);
    setFixedSize(areaCliente);

    auto *lblBuscar = new QLabel(QStringLiteral("Buscar:"), this);
    edNombre = new QLineEdit(this);
    edNombre->setObjectName(QStringLiteral("edNombre"));
    edNombre->setValidator(new ValidadorMayusculas(edNombre));
    lblBuscar->setBuddy(edNombre);

    GridProveedor = new QTableView(this);
    GridProveedor->setObjectName(QStringLiteral("GridProveedor"));
    modelo_ = new db::DatasetModel(datos_.TProveedores, this);
    modelo_->setColumns({{QStringLiteral("COD_PROVEEDOR2"), QStringLiteral("Código"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         {QStringLiteral("NOMBRE"), QStringLiteral("Nombre"), {}, Qt::AlignLeft | Qt::AlignVCenter}});
    PrepararGrillaBusqueda(GridProveedor, modelo_);
    GridProveedor->setColumnWidth(0, std::max(40, GridProveedor->horizontalHeader()->sectionSizeHint(0)));
    GridProveedor->setColumnWidth(1, 352);
    GridProveedor->horizontalHeader()->setStretchLastSection(true);

    btnAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

    auto *filaBuscar = new QHBoxLayout;
    filaBuscar->addWidget(lblBuscar);
    filaBuscar->addWidget(edNombre, 1);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filaBuscar);
    layout->addWidget(GridProveedor, 1);
    layout->addLayout(botones);

    setTabOrder(edNombre, GridProveedor);
    setTabOrder(GridProveedor, btnAceptar);
    setTabOrder(btnAceptar, btnCancelar);

    connect(edNombre, &QLineEdit::textChanged, this, [this] {
        if (isVisible())
            Filtrar();
    });
    connect(GridProveedor, &QTableView::doubleClicked, this, &VentanaBuscaProveedor::btnAceptarClick);
    connect(btnAceptar, &QPushButton::clicked, this, &VentanaBuscaProveedor::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &VentanaBuscaProveedor::btnCancelarClick);
    for (QWidget *w : {static_cast<QWidget *>(edNombre), static_cast<QWidget *>(GridProveedor),
                       static_cast<QWidget *>(btnAceptar), static_cast<QWidget *>(btnCancelar)})
        w->installEventFilter(this);
}

void VentanaBuscaProveedor::AbrirDesde(QWidget *llamador, bool deshabilitar)
{
    llamador_.Asignar(llamador, deshabilitar);
    show();
    raise();
    activateWindow();
}

void VentanaBuscaProveedor::MostrarModal()
{
    QEventLoop bucle;
    connect(this, &VentanaBuscaProveedor::cerrada, &bucle, &QEventLoop::quit);
    setWindowModality(Qt::ApplicationModal);
    show();
    bucle.exec();
}

void VentanaBuscaProveedor::Filtrar()
{
    try {
        Consulta(edNombre->text()).Abrir(*datos_.TProveedores);
    } catch (const db::DbError &e) {
        mensajes().Error(e.message());
    }
}

void VentanaBuscaProveedor::btnAceptarClick()
{
    db::Dataset *prov = datos_.TProveedores;
    if (!prov->active() || prov->isEmpty()) {
        mensajes().Advertencia(kSinProveedor);
        edNombre->setFocus();
        return;
    }
    const int codigo = prov->fieldByName(QStringLiteral("COD_PROVEEDOR")).asInteger();
    const QString nombre = prov->fieldByName(QStringLiteral("NOMBRE")).asString();
    const int tipoMoneda = prov->fieldByName(QStringLiteral("TIPO_MONEDA")).asInteger();
    AplicarEleccion();
    llamador_.Habilitar();
    QPointer<VentanaBuscaProveedor> yo(this);
    emit proveedorElegido(codigo, nombre, tipoMoneda);
    if (yo)
        close();
}

void VentanaBuscaProveedor::btnCancelarClick()
{
    close();
}

void VentanaBuscaProveedor::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!centrada_) {
        if (QScreen *pantalla = QGuiApplication::primaryScreen())
            move(pantalla->availableGeometry().center() - rect().center());
        centrada_ = true;
    }
    Filtrar();
    edNombre->setFocus();
}

void VentanaBuscaProveedor::closeEvent(QCloseEvent *e)
{
    setAttribute(Qt::WA_DeleteOnClose, LiberarAlCerrar());
    llamador_.Habilitar();
    QWidget::closeEvent(e);
    emit cerrada();
}

void VentanaBuscaProveedor::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (focoAlActivar_ && e->type() == QEvent::ActivationChange && isActiveWindow())
        edNombre->setFocus();
}

bool VentanaBuscaProveedor::eventFilter(QObject *objeto, QEvent *e)
{
    return TeclaVentanaBusqueda(objeto, e, [this] { focusNextChild(); }, [this] { btnCancelarClick(); })
           || QWidget::eventFilter(objeto, e);
}

// --- TfrmCambiarProveedor

TfrmCambiarProveedor::TfrmCambiarProveedor(TFDatosComp &datos, QWidget *parent)
    : VentanaBuscaProveedor(datos, QStringLiteral("Buscar Proveedor"), QSize(460, 441), parent)
{
    setObjectName(QStringLiteral("frmCambiarProveedor"));
}

ConsultaFiltrada TfrmCambiarProveedor::Consulta(const QString &texto) const
{
    return ConsultaCambiarProveedor(texto);
}
