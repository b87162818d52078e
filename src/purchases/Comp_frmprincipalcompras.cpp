#include "purchases/Comp_frmprincipalcompras.h"

#include "reports/Comp_frmexportaraexcel.h"
#include "reports/Comp_frmfechasreporte.h"

#include "purchases/AnulacionCompra.h"
#include "data/Comp_fdatos.h"
#include "purchases/Comp_frmagregacompras.h"
#include "catalogs/Comp_frmcambiarproveedor.h"
#include "purchases/Comp_frmcomprascc.h"
#include "purchases/Comp_frmdetallefactura.h"
#include "platform/db/DatasetModel.h"
#include "platform/db/DbError.h"
#include "platform/Mensajes.h"
#include "ui/Permisos.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

QPointer<TfrmPrincipalCompras> frmPrincipalCompras;

namespace {

// A cell holding exactly "S" is painted red without text, "N" white without text: the
// annulled marker of the first column.
class ModeloMarcadorAnuladas : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &indice, int rol) const override
    {
        if (rol == Qt::DisplayRole || rol == Qt::BackgroundRole) {
            const QString texto = QIdentityProxyModel::data(indice, Qt::EditRole).toString();
            if (texto == QLatin1String("S") || texto == QLatin1String("N")) {
                if (rol == Qt::DisplayRole)
                    return QString();
                return QBrush(texto == QLatin1String("S") ? QColor(Qt::red) : QColor(Qt::white));
            }
        }
        return QIdentityProxyModel::data(indice, rol);
    }
};

QLabel *etiqueta(const QString &texto, QWidget *padre)
{
    auto *l = new QLabel(texto, padre);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

} // namespace

TfrmPrincipalCompras::TfrmPrincipalCompras(TFDatosComp &datos, QWidget *parent)
    : QWidget(parent), datos_(datos), listado_(datos)
{
    setObjectName(QStringLiteral("frmPrincipalCompras"));
    setWindowTitle(QStringLiteral("Principal de Facturas de Compra"));
    AjustarFormatoNumeros(datos_.DatosMoneda && datos_.DatosMoneda->hasField(QStringLiteral("SIMBOLO_MONEDA"))
                              ? datos_.DatosMoneda->fieldByName(QStringLiteral("SIMBOLO_MONEDA")).asString()
                              : QString());

    auto nombrar = [](auto *w, const char *nombre) {
        w->setObjectName(QString::fromLatin1(nombre));
        return w;
    };
    cmbFechaInicial = nombrar(new QDateEdit(this), "cmbFechaInicial");
    cmbFechaFinal = nombrar(new QDateEdit(this), "cmbFechaFinal");
    for (QDateEdit *f : {cmbFechaInicial, cmbFechaFinal}) {
        f->setCalendarPopup(true);
        f->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        f->setMinimumWidth(105);
    }
    edProveedor = nombrar(new QLineEdit(ListadoCompras::kTodos, this), "edProveedor");
    edProveedor->setReadOnly(true);
    btnFiltroProveedor = nombrar(new QPushButton(QStringLiteral("..."), this), "btnFiltroProveedor");
    btnFiltroProveedor->setToolTip(QStringLiteral("Filtrar por proveedor"));
    btnElimFiltroProveedor = nombrar(new QPushButton(QStringLiteral("X"), this), "btnElimFiltroProveedor");
    btnElimFiltroProveedor->setToolTip(QStringLiteral("Todos los proveedores"));
    edcomprobante = nombrar(new QLineEdit(this), "edcomprobante");
    edcomprobante->setMaxLength(12);
    btnQuitaComprobante = nombrar(new QPushButton(QStringLiteral("X"), this), "btnQuitaComprobante");
    btnQuitaComprobante->setToolTip(QStringLiteral("Quitar el filtro de comprobante"));
    for (QPushButton *b : {btnFiltroProveedor, btnElimFiltroProveedor, btnQuitaComprobante})
        b->setFixedWidth(28);
    cbxOrden = nombrar(new QComboBox(this), "cbxOrden");
    cbxOrden->addItems({QStringLiteral("Fecha"), QStringLiteral("Comprobante"), QStringLiteral("Cliente")});

    auto *filtros = new QGridLayout;
    filtros->addWidget(etiqueta(QStringLiteral("Desde:"), this), 0, 0);
    filtros->addWidget(cmbFechaInicial, 0, 1);
    filtros->addWidget(etiqueta(QStringLiteral("Hasta:"), this), 0, 2);
    filtros->addWidget(cmbFechaFinal, 0, 3);
    filtros->addWidget(etiqueta(QStringLiteral("Ordenar por:"), this), 0, 4);
    filtros->addWidget(cbxOrden, 0, 5, 1, 2);
    filtros->addWidget(etiqueta(QStringLiteral("Proveedor:"), this), 1, 0);
    auto *prov = new QHBoxLayout;
    prov->setSpacing(2);
    prov->addWidget(edProveedor, 1);
    prov->addWidget(btnFiltroProveedor);
    prov->addWidget(btnElimFiltroProveedor);
    filtros->addLayout(prov, 1, 1, 1, 3);
    filtros->addWidget(etiqueta(QStringLiteral("Comprobante:"), this), 1, 4);
    filtros->addWidget(edcomprobante, 1, 5);
    filtros->addWidget(btnQuitaComprobante, 1, 6);
    filtros->setColumnStretch(3, 1);
    filtros->setColumnStretch(5, 1);

    SMDBGrid1 = nombrar(new QTableView(this), "SMDBGrid1");
    dsFacturasCompra = new db::DatasetModel(datos_.TFacturasCompra, this);
    dsFacturasCompra->setObjectName(QStringLiteral("dsFacturasCompra"));
    const auto derecha = Qt::AlignRight | Qt::AlignVCenter;
    dsFacturasCompra->setColumns({
        {QStringLiteral("ANULADA"), QStringLiteral(" "), QString()},
        {QStringLiteral("FECHA"), QStringLiteral("Fecha"), QString()},
        {QStringLiteral("COMPROBANTE"), QStringLiteral("Comprobante"), QString()},
        {QStringLiteral("NOMBRE"), QStringLiteral("Proveedor"), QString()},
        {QStringLiteral("IMPORTE_TOTAL"), QStringLiteral("Importe"), QStringLiteral("#,##0.00"), derecha},
        {QStringLiteral("IMPORTE_NC"), QStringLiteral("Importe NC"), QStringLiteral("#,##0.00"), derecha},
        {QStringLiteral("ImporteTotal"), QStringLiteral("Importe Total"), QStringLiteral("#,##0.00"), derecha},
    });
    auto *marcador = new ModeloMarcadorAnuladas(this);
    marcador->setSourceModel(dsFacturasCompra);
    SMDBGrid1->setModel(marcador);
    SMDBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    SMDBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    SMDBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SMDBGrid1->setAlternatingRowColors(false);
    SMDBGrid1->verticalHeader()->setVisible(false);
    SMDBGrid1->verticalHeader()->setDefaultSectionSize(20);
    SMDBGrid1->horizontalHeader()->setStretchLastSection(true);
    const int anchos[] = {14, 78, 105, 250, 95, 85, 95};
    for (int c = 0; c < 7; ++c)
        SMDBGrid1->setColumnWidth(c, anchos[c]);

    auto *reimprimir = new QAction(QStringLiteral("Reimprimir Comprobante"), SMDBGrid1);
    reimprimir->setObjectName(QStringLiteral("mnuReimprimirComprobante"));
    auto *etiquetas = new QAction(QStringLiteral("Generar planilla para Etiquetas"), SMDBGrid1);
    etiquetas->setObjectName(QStringLiteral("mnuGenerarEtiquetas"));
    SMDBGrid1->addAction(reimprimir);
    SMDBGrid1->addAction(etiquetas);
    SMDBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(reimprimir, &QAction::triggered, this, &TfrmPrincipalCompras::ImprimirReporte);
    connect(etiquetas, &QAction::triggered, this, &TfrmPrincipalCompras::GenerarEtiquetas);

    btnAgregar = nombrar(new QPushButton(QStringLiteral(" &Agregar "), this), "btnAgregar");
    btnVerDetalle = nombrar(new QPushButton(QStringLiteral("&Ver"), this), "btnVerDetalle");
    btnAnular = nombrar(new QPushButton(QStringLiteral("A&nular"), this), "btnAnular");
    btnBorrar = nombrar(new QPushButton(QStringLiteral(" &Eliminar "), this), "btnBorrar");
    btnReporte = nombrar(new QPushButton(QStringLiteral("&Reportes"), this), "btnReporte");
    btComprasCC = nombrar(new QPushButton(QStringLiteral("&Compras a Casa Central"), this), "btComprasCC");
    btnCerra = nombrar(new QPushButton(QStringLiteral(" &Cerrar "), this), "btnCerra");

    auto *menu = new QMenu(btnReporte);
    menu->setObjectName(QStringLiteral("mnuReportes"));
    const std::pair<const char *, const char *> informes[] = {{"mnuResumenCompras", "Resumen de Compras"},
                                                              {"mnuDetalleCompras", "Detalle de Compras"},
                                                              {"mnuComprasProveedor", "Compras por Proveedor"},
                                                              {"mnuComprasNetas", "Compras Netas"}};
    int tipo = 0;
    for (const auto &[nombre, texto] : informes) {
        QAction *a = menu->addAction(QString::fromUtf8(texto));
        a->setObjectName(QString::fromLatin1(nombre));
        const int t = ++tipo;
        connect(a, &QAction::triggered, this, [this, t] { ReporteCompras(t); });
    }
    menu->addSeparator();
    QAction *exportar = menu->addAction(QStringLiteral("Exportar a Ms Excel"));
    exportar->setObjectName(QStringLiteral("mnuExportarExcel"));
    connect(exportar, &QAction::triggered, this, &TfrmPrincipalCompras::ExportarExcel);
    btnReporte->setMenu(menu);

    auto *botones = new QHBoxLayout;
    for (QPushButton *b : {btnAgregar, btnVerDetalle, btnAnular, btnBorrar, btnReporte, btComprasCC})
        botones->addWidget(b);
    botones->addStretch(1);
    botones->addWidget(btnCerra);

    auto *principal = new QVBoxLayout(this);
    principal->setContentsMargins(6, 6, 6, 6);
    principal->addLayout(filtros);
    principal->addWidget(SMDBGrid1, 1);
    principal->addLayout(botones);

    connect(cmbFechaInicial, &QDateEdit::dateChanged, this, &TfrmPrincipalCompras::FechaCambiada);
    connect(cmbFechaFinal, &QDateEdit::dateChanged, this, &TfrmPrincipalCompras::FechaCambiada);
    connect(cmbFechaInicial, &QDateEdit::editingFinished, this, &TfrmPrincipalCompras::AplicarLimitesFechas);
    connect(cmbFechaFinal, &QDateEdit::editingFinished, this, &TfrmPrincipalCompras::AplicarLimitesFechas);
    connect(edProveedor, &QLineEdit::textChanged, this, &TfrmPrincipalCompras::Filtrar);
    connect(edcomprobante, &QLineEdit::textChanged, this, &TfrmPrincipalCompras::Filtrar);
    connect(cbxOrden, &QComboBox::currentIndexChanged, this, &TfrmPrincipalCompras::Filtrar);
    connect(btnFiltroProveedor, &QPushButton::clicked, this, &TfrmPrincipalCompras::btnFiltroProveedorClick);
    connect(btnElimFiltroProveedor, &QPushButton::clicked, this, &TfrmPrincipalCompras::btnElimFiltroProveedorClick);
    connect(btnQuitaComprobante, &QPushButton::clicked, this, &TfrmPrincipalCompras::btnQuitaComprobanteClick);
    connect(btnAgregar, &QPushButton::clicked, this, &TfrmPrincipalCompras::btnAgregarClick);
    connect(btnVerDetalle, &QPushButton::clicked, this, &TfrmPrincipalCompras::btnVerDetalleClick);
    connect(btnAnular, &QPushButton::clicked, this, &TfrmPrincipalCompras::btnAnularClick);
    connect(btnBorrar, &QPushButton::clicked, this, &TfrmPrincipalCompras::btnBorrarClick);
    connect(btComprasCC, &QPushButton::clicked, this, &TfrmPrincipalCompras::btComprasCCClick);
    connect(btnCerra, &QPushButton::clicked, this, &QWidget::close);
    connect(SMDBGrid1, &QTableView::doubleClicked, this, &TfrmPrincipalCompras::btnVerDetalleClick);
    // The grid's current row is the data module's current invoice.
    connect(SMDBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &actual) {
                db::Dataset *ds = datos_.TFacturasCompra;
                if (ds && ds->active() && actual.isValid() && actual.row() < ds->fetchedCount())
                    ds->setRecNo(actual.row());
            });

    // Tab and Enter follow the filters as they read, then the grid and the buttons.
    QWidget *orden[] = {cmbFechaInicial, cmbFechaFinal, cbxOrden, edProveedor, btnFiltroProveedor, btnElimFiltroProveedor,
                        edcomprobante, btnQuitaComprobante, SMDBGrid1, btnAgregar, btnVerDetalle, btnAnular, btnBorrar,
                        btnReporte, btComprasCC, btnCerra};
    for (size_t i = 1; i < std::size(orden); ++i)
        setTabOrder(orden[i - 1], orden[i]);

    for (QWidget *w : {static_cast<QWidget *>(cmbFechaInicial), static_cast<QWidget *>(cmbFechaFinal),
                       static_cast<QWidget *>(edcomprobante), static_cast<QWidget *>(cbxOrden),
                       static_cast<QWidget *>(edProveedor)})
        w->installEventFilter(this);

    PedirArchivoEtiquetas = [this] {
        return QFileDialog::getSaveFileName(this, QString(), QString(),
                                            QStringLiteral("Archivo de  Ms Excel (*.xlsx *.xls)"));
    };
    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };
}

TfrmPrincipalCompras::~TfrmPrincipalCompras() = default;

void TfrmPrincipalCompras::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmPrincipalCompras::FormShow()
{
    move(0, 0);
    resize(780, 432);
    datos_.CargarTipoCambio();
    cargando_ = true;
    const QDate hoy = QDate::currentDate();
    cmbFechaInicial->setMaximumDate(QDate(9999, 12, 31));
    cmbFechaFinal->setMinimumDate(QDate(1900, 1, 1));
    cmbFechaInicial->setDate(QDate(hoy.year(), hoy.month(), 1));
    cmbFechaFinal->setDate(hoy);
    cargando_ = false;
    btComprasCC->setEnabled(datos_.ConfigSi(QStringLiteral("CENTRALIZA")));
    cmbFechaInicial->setFocus();
    AplicarLimitesFechas();
    Filtrar();
}

void TfrmPrincipalCompras::AplicarLimitesFechas()
{
    const bool antes = cargando_;
    cargando_ = true;
    cmbFechaFinal->setMinimumDate(cmbFechaInicial->date());
    cmbFechaInicial->setMaximumDate(cmbFechaFinal->date());
    cargando_ = antes;
}

void TfrmPrincipalCompras::FechaCambiada()
{
    if (cargando_)
        return;
    // Limits follow every change, so the end can never fall before the start.
    AplicarLimitesFechas();
    Filtrar();
}

FiltroCompras TfrmPrincipalCompras::Filtro() const
{
    FiltroCompras f;
    f.inicial = cmbFechaInicial->date();
    f.final = cmbFechaFinal->date();
    f.todosProveedores = edProveedor->text() == ListadoCompras::kTodos;
    f.codigoProveedor = codigoProveedor_;
    f.comprobante = edcomprobante->text();
    f.orden = cbxOrden->currentIndex();
    return f;
}

void TfrmPrincipalCompras::Filtrar()
{
    if (cargando_)
        return;
    try {
        listado_.Filtrar(Filtro());
    } catch (const db::DbError &e) {
        mensajes().Error(e.message());
    } catch (const std::exception &e) {
        mensajes().Error(QString::fromStdString(e.what()));
    }
    SeleccionarPrimera();
}

void TfrmPrincipalCompras::SeleccionarPrimera()
{
    QAbstractItemModel *m = SMDBGrid1->model();
    if (m->rowCount() > 0)
        SMDBGrid1->setCurrentIndex(m->index(0, 1));
}

void TfrmPrincipalCompras::ProveedorElegido(int codigo, const QString &nombre)
{
    // Kept here: TProveedores is shared, and other windows move it before the next filter.
    codigoProveedor_ = codigo;
    if (edProveedor->text() == nombre)
        Filtrar();
    else
        edProveedor->setText(nombre);
}

void TfrmPrincipalCompras::btnFiltroProveedorClick()
{
    AbrirSelectorProveedor();
}

void TfrmPrincipalCompras::btnElimFiltroProveedorClick()
{
    edProveedor->setText(ListadoCompras::kTodos);
}

void TfrmPrincipalCompras::btnQuitaComprobanteClick()
{
    edcomprobante->clear();
}

void TfrmPrincipalCompras::btnVerDetalleClick()
{
    if (!listado_.HayFacturas())
        return;
    listado_.CargarDetalleFactura();
    AbrirDetalleFactura();
}

void TfrmPrincipalCompras::btnAnularClick()
{
    if (!VerificarPermiso(datos_, QStringLiteral("COMP_ANULAR")) || !listado_.HayFacturas())
        return;
    AnularCompra();
}

void TfrmPrincipalCompras::btnBorrarClick()
{
    if (!VerificarPermiso(datos_, QStringLiteral("COMPRA_BORRAR")) || !listado_.HayFacturas())
        return;
    BorrarCompra();
}

void TfrmPrincipalCompras::btnAgregarClick()
{
    if (VerificarPermiso(datos_, QStringLiteral("COMP_AGREGAR")))
        AbrirAgregaCompra();
}

void TfrmPrincipalCompras::btComprasCCClick()
{
    if (VerificarPermiso(datos_, QStringLiteral("COMP_AGREGAR")))
        AbrirComprasCasaCentral();
}

void TfrmPrincipalCompras::ReporteCompras(int tipo)
{
    if (VerificarPermiso(datos_, QStringLiteral("COMP_IMPRIMIR")))
        AbrirReportePeriodo(tipo);
}

void TfrmPrincipalCompras::ExportarExcel()
{
    if (VerificarPermiso(datos_, QStringLiteral("COMP_IMPRIMIR")))
        AbrirExportarCompras();
}

void TfrmPrincipalCompras::ImprimirReporte()
{
    if (!listado_.HayFacturas())
        return;
    try {
        Reporte &r = listado_.PrepararComprobante(listado_.IdSeleccionada());
        MostrarReporte(r);
    } catch (const ErrorReporte &e) {
        mensajes().Error(e.mensaje());
    } catch (const db::DbError &e) {
        mensajes().Error(e.message());
    } catch (const std::exception &e) {
        mensajes().Error(QString::fromStdString(e.what()));
    }
}

void TfrmPrincipalCompras::GenerarEtiquetas()
{
    if (!listado_.HayFacturas())
        return;
    const QString archivo = PedirArchivoEtiquetas();
    if (archivo.isEmpty())
        return;
    listado_.GenerarEtiquetas(archivo, font());
}

void TfrmPrincipalCompras::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TfrmPrincipalCompras::eventFilter(QObject *objeto, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent *>(event)->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter) {
            if (objeto == cmbFechaInicial || objeto == cmbFechaFinal)
                AplicarLimitesFechas();
            focusNextChild();
            return true;
        }
        if (tecla == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(objeto, event);
}

// -- windows of other units

void TfrmPrincipalCompras::AbrirAgregaCompra()
{
    TfrmAgregaCompra *frm = ::AbrirAgregaCompra(datos_, this);
    if (!frm)
        return;
    // An invoice posted from the entry shows up once the entry is gone; printing its voucher
    // also reopened the shared invoice dataset on that invoice alone.
    connect(frm, &QObject::destroyed, this, [this] { Refrescar(0, -1); });
}

void TfrmPrincipalCompras::AbrirComprasCasaCentral()
{
    auto *frm = new TfrmComprasCC(datos_, nullptr, this);
    connect(frm, &TfrmComprasCC::facturaRegistrada, this, [this](int id) { Refrescar(id, -1); });
    frm->show();
}

void TfrmPrincipalCompras::AbrirDetalleFactura()
{
    auto *frm = new TfrmDetalleFactura(datos_);
    frm->AbrirDesde(this);
}

void TfrmPrincipalCompras::AnularCompra()
{
    const int id = listado_.IdSeleccionada();
    if (id <= 0)
        return;
    const int fila = SMDBGrid1->currentIndex().row();
    try {
        // Refuses an annulled invoice, asks, annuls and reports by itself.
        AnulacionCompra::DesdeDatosComp(datos_)->Anular(id);
    } catch (const db::DbError &e) {
        mensajes().Error(e.message());
    }
    Refrescar(id, fila);
}

void TfrmPrincipalCompras::BorrarCompra()
{
    const int id = listado_.IdSeleccionada();
    if (id <= 0)
        return;
    const int fila = SMDBGrid1->currentIndex().row();
    try {
        // Refuses an invoice that is not annulled, asks and deletes.
        AnulacionCompra::DesdeDatosComp(datos_)->Eliminar(id);
    } catch (const db::DbError &e) {
        mensajes().Error(e.message());
    }
    Refrescar(id, fila);
}

void TfrmPrincipalCompras::Refrescar(int idCompra, int fila)
{
    Filtrar();
    db::Dataset *ds = datos_.TFacturasCompra;
    QAbstractItemModel *m = SMDBGrid1->model();
    if (!ds || !ds->active() || m->rowCount() == 0)
        return;
    int destino = -1;
    try {
        if (idCompra > 0 && ds->locate(QStringLiteral("ID_COMPRA"), db::Value::integer(idCompra)))
            destino = ds->recNo();
    } catch (const std::exception &) {
    }
    // Gone from the list (deleted): the row that took its place.
    if (destino < 0 && fila >= 0)
        destino = std::min(fila, m->rowCount() - 1);
    if (destino >= 0 && destino < m->rowCount())
        SMDBGrid1->setCurrentIndex(m->index(destino, 1));
}

void TfrmPrincipalCompras::AbrirReportePeriodo(int tipo)
{
    // Not a child: disabling the browser would disable it too.
    auto *frm = new TfrmFechasReporte(datos_, static_cast<TipoReportePeriodo>(tipo), cmbFechaInicial->date(),
                                      cmbFechaFinal->date());
    AbrirDeshabilitado(frm);
}

void TfrmPrincipalCompras::AbrirExportarCompras()
{
    AbrirDeshabilitado(new TfrmExportarAExcel(datos_));
}

void TfrmPrincipalCompras::AbrirDeshabilitado(QWidget *frm)
{
    setEnabled(false);
    connect(frm, &QObject::destroyed, this, [this] { setEnabled(true); });
    frm->show();
    frm->raise();
    frm->activateWindow();
}

void TfrmPrincipalCompras::AbrirSelectorProveedor()
{
    // Not a child: disabling the browser would disable it too.
    auto *frm = new TfrmCambiarProveedor(datos_);
    frm->Modo = QStringLiteral("Buscar");
    connect(frm, &TfrmCambiarProveedor::proveedorElegido, this,
            [this](int codigo, const QString &nombre, int) { ProveedorElegido(codigo, nombre); });
    frm->AbrirDesde(this, true);
}
