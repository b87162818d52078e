#include "consignments/Comp_frmdetalleconsignacion.h"

#include "consignments/Comp_frmdevolucionconsig.h"
#include "consignments/Comp_frmguardarconsignacion.h"
#include "consignments/ListadoConsignaciones.h"
#include "data/Comp_fdatos.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "platform/db/DatasetModel.h"
#include "platform/report/Reporte.h"
#include "records/ErrorRegistro.h"
#include "ui/Permisos.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TfrmDetalleConsignacion::TfrmDetalleConsignacion(TFDatosComp &datos, int idConsignacion, QWidget *parent)
    : QWidget(parent, Qt::Window), datos_(datos), id_(idConsignacion)
{
    setObjectName(QStringLiteral("frmDetalleConsignacion"));
    setWindowTitle(QStringLiteral("Detalle de Consignacion"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 460);

    // The header as the browser's current row holds it.
    db::Dataset &c = *datos_.TConsignacion;
    auto texto = [&c](const char *campo) { return c.fieldByName(QString::fromLatin1(campo)).asString(); };
    auto monto = [&c](const char *campo) {
        return FormatCurrency(QStringLiteral("#,##0.00"), c.fieldByName(QString::fromLatin1(campo)).asCurrency());
    };
    auto etiqueta = [this](const QString &t, const char *nombre) {
        auto *l = new QLabel(t, this);
        l->setObjectName(QString::fromLatin1(nombre));
        return l;
    };
    comprobante_ = texto("COMPROBANTE");
    anulada_ = texto("ANULADA") == QLatin1String("S");
    devuelta_ = texto("DEVUELTA") == QLatin1String("S");
    lblProveedor = etiqueta(texto("NOMBRE"), "lblProveedor");
    lblFecha = etiqueta(c.fieldByName(QStringLiteral("FECHA")).asDate().toString(QStringLiteral("dd/MM/yyyy")), "lblFecha");
    lblComprobante = etiqueta(comprobante_, "lblComprobante");
    lblSubTotal1 = etiqueta(monto("SubTotal1"), "lblSubTotal1");
    lblDescuento = etiqueta(FormatCurrency(QStringLiteral("#,##0.00"), c.fieldByName(QStringLiteral("PORC_DESCUENTO")).asCurrency()) +
                                QStringLiteral(" % = ") + monto("IMPORTE_DESCUENTO"),
                            "lblDescuento");
    lblSubTotal2 = etiqueta(monto("SubTotal2"), "lblSubTotal2");
    lblImpuesto = etiqueta(monto("IMPORTE_IV"), "lblImpuesto");
    lblTotal = etiqueta(monto("IMPORTE_TOTAL"), "lblTotal");

    auto *g = new QGridLayout;
    const std::pair<const char *, QLabel *> filas[] = {
        {"Proveedor", lblProveedor}, {"Fecha:", lblFecha},         {"Comprobante:", lblComprobante},
        {"SubTotal:", lblSubTotal1}, {"Descuento:", lblDescuento}, {"SubTotal:", lblSubTotal2},
        {"Impuesto:", lblImpuesto},  {"Total Facturado:", lblTotal}};
    int f = 0;
    for (const auto &[titulo, l] : filas) {
        g->addWidget(new QLabel(QString::fromUtf8(titulo), this), f / 2, (f % 2) * 2);
        g->addWidget(l, f / 2, (f % 2) * 2 + 1);
        ++f;
    }

    GridDetalles = new QTableView(this);
    GridDetalles->setObjectName(QStringLiteral("GridDetalles"));
    dsDetConsig = new db::DatasetModel(datos_.TDetConsig, this);
    const auto derecha = Qt::AlignRight | Qt::AlignVCenter;
    dsDetConsig->setColumns({
        {QStringLiteral("CODIGO_ARTICULO"), QStringLiteral("Código"), QString()},
        {QStringLiteral("DESCRIPCION"), QStringLiteral("Artículo"), QString()},
        {QStringLiteral("IMPORTE_UNITARIO"), QStringLiteral("Precio Unitario"), QStringLiteral("#,##0.00"), derecha},
        {QStringLiteral("CANTIDAD"), QStringLiteral("Cantidad"), QStringLiteral("#,##0.00"), derecha},
        {QStringLiteral("PORC_DESCUENTO"), QStringLiteral("Descuento"), QStringLiteral("#,##0.00"), derecha},
        {QStringLiteral("IMPORTE_TOTAL"), QStringLiteral("Importe Total"), QStringLiteral("#,##0.00"), derecha},
        {QStringLiteral("EXISTENCIA"), QStringLiteral("Existencia"), QStringLiteral("#,##0.00"), derecha},
    });
    GridDetalles->setModel(dsDetConsig);
    GridDetalles->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridDetalles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridDetalles->verticalHeader()->setVisible(false);
    GridDetalles->horizontalHeader()->setStretchLastSection(true);
    lblCodigo = etiqueta(QString(), "lblCodigo");
    lblArticulo = etiqueta(QString(), "lblArticulo");
    QFont grande = font();
    grande.setPointSize(grande.pointSize() + 6);
    lblCodigo->setFont(grande);
    lblArticulo->setFont(grande);

    btnDevolucion = new QPushButton(QStringLiteral("&Devolucion"), this);
    btnDevolucion->setObjectName(QStringLiteral("btnDevolucion"));
    btnReimprimir = new QPushButton(QStringLiteral("&Reimpresión"), this);
    btnReimprimir->setObjectName(QStringLiteral("btnReimprimir"));
    btnReenviar = new QPushButton(QStringLiteral("&Reenviar Archivos"), this);
    btnReenviar->setObjectName(QStringLiteral("btnReenviar"));
    carpetaEnvio = QCoreApplication::applicationDirPath();
    btnCerrar = new QPushButton(QStringLiteral(" &Cerrar "), this);
    btnCerrar->setObjectName(QStringLiteral("btnCerrar"));
    auto *b = new QHBoxLayout;
    b->addWidget(btnDevolucion);
    b->addWidget(btnReimprimir);
    b->addWidget(btnReenviar);
    b->addStretch(1);
    b->addWidget(btnCerrar);
    auto *v = new QVBoxLayout(this);
    v->addLayout(g);
    v->addWidget(GridDetalles, 1);
    v->addWidget(lblCodigo);
    v->addWidget(lblArticulo);
    v->addLayout(b);

    connect(btnDevolucion, &QPushButton::clicked, this, &TfrmDetalleConsignacion::btnDevolucionClick);
    connect(btnReimprimir, &QPushButton::clicked, this, &TfrmDetalleConsignacion::btnReimprimirClick);
    connect(btnCerrar, &QPushButton::clicked, this, &QWidget::close);
    connect(btnReenviar, &QPushButton::clicked, this, &TfrmDetalleConsignacion::ReenviarArchivosDistribuidora);
    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };
    // Under the grid, the current line's code and description.
    connect(GridDetalles->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &i) {
        db::Dataset *ds = datos_.TDetConsig;
        if (!ds || !ds->active() || !i.isValid() || i.row() >= ds->fetchedCount())
            return;
        ds->setRecNo(i.row());
        lblCodigo->setText(ds->fieldByName(QStringLiteral("CODIGO_ARTICULO")).asString());
        lblArticulo->setText(ds->fieldByName(QStringLiteral("DESCRIPCION")).asString());
    });
    CargarDetalle();
}

TfrmDetalleConsignacion::~TfrmDetalleConsignacion() = default;

void TfrmDetalleConsignacion::CargarDetalle()
{
    try {
        ListadoConsignaciones::CargarDetalle(*datos_.TDetConsig, id_);
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
    }
    if (dsDetConsig->rowCount() > 0)
        GridDetalles->setCurrentIndex(dsDetConsig->index(0, 0));
    VisibilidadReenviar();
}

void TfrmDetalleConsignacion::VisibilidadReenviar()
{
    // Only distributor mode has files to send.
    btnReenviar->setVisible(!btnDevolucion->isEnabled() && datos_.SisDistribuidora == QLatin1String("S"));
}

void TfrmDetalleConsignacion::ReenviarArchivosDistribuidora()
{
    btnReenviar->setText(QStringLiteral("&Enviando..."));
    btnReenviar->setEnabled(false);
    const EnvioDevolucion e = DevolucionConsignacion::ReenviarArchivos(AjustesBaseDistribuidora::DesdeDatosComp(datos_),
                                                                       comprobante_, carpetaEnvio);
    btnReenviar->setText(QStringLiteral("&Reenviar Archivos"));
    btnReenviar->setEnabled(true);
    if (e.apagado)
        mensajes().Advertencia(DevolucionConsignacion::TextoEnvio(e));
    else if (e.error.isEmpty() && e.envio.enviado)
        mensajes().Informacion(QStringLiteral("Los Archivos han sido enviados"));
    else
        mensajes().Error(QStringLiteral("No se puede reenviar los archivos,\r\nComuníquese con el administrador del Sistema") +
                         QStringLiteral("\r\n") + (e.error.isEmpty() ? e.envio.error : e.error));
}

void TfrmDetalleConsignacion::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    VisibilidadReenviar();  // the opener has decided on the return command by now
    show();
}

void TfrmDetalleConsignacion::btnDevolucionClick()
{
    if (anulada_) {
        mensajes().Advertencia(QStringLiteral("La consignacion está anulada"));
        return;
    }
    if (devuelta_) {
        mensajes().Advertencia(QStringLiteral("La consignacion ya fue devuelta"));
        return;
    }
    if (AbrirDevolucion) {
        AbrirDevolucion(*this, id_);
        return;
    }
    auto *devolucion = new TfrmDevolucionConsig(datos_, id_);
    devolucion->Devuelto = [this] { DevolucionHecha(); };
    devolucion->AbrirDesde(this);
}

void TfrmDetalleConsignacion::DevolucionHecha()
{
    btnDevolucion->setEnabled(false);
    CargarDetalle();
}

void TfrmDetalleConsignacion::btnReimprimirClick()
{
    ImprimirReporteConsignacion(datos_, id_, comprobante_, MostrarReporte);
    CargarDetalle();
}

void TfrmDetalleConsignacion::closeEvent(QCloseEvent *e)
{
    llamador_.Habilitar();
    QWidget::closeEvent(e);
}

void TfrmDetalleConsignacion::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}
