#include "reports/Comp_frmreporteentrada.h"

#include "reports/Comp_frmreporte.h"
#include "data/Comp_fdatos.h"
#include "platform/ErrorCompras.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "ui/NombreControl.h"
#include "ui/Permisos.h"
#include "ui/UtilBusqueda.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget *grilla(QWidget *padre, const char *nombre, const QStringList &titulos)
{
    auto *g = nombrar(new QTableWidget(0, titulos.size(), padre), nombre);
    g->setHorizontalHeaderLabels(titulos);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->verticalHeader()->setVisible(false);
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

void celda(QTableWidget *g, int fila, int columna, const QString &texto, bool derecha = false)
{
    auto *it = new QTableWidgetItem(texto);
    if (derecha)
        it->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    g->setItem(fila, columna, it);
}

QString fecha(const QDate &d)
{
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}

const QString kTodos = QStringLiteral("TODOS");

} // namespace

TfrmReporteEntrada::TfrmReporteEntrada(TFDatosComp &datos, QWidget *parent)
    : QWidget(parent, Qt::Window), datos_(datos),
      nucleo_(ConexionesLecturaDatosComp(datos), datos.TransUpdate, AjustesDeDatosComp(datos))
{
    setObjectName(QStringLiteral("frmReporteEntrada"));
    setWindowTitle(QStringLiteral("Reporte de Entrada de Mercancía"));
    setAttribute(Qt::WA_DeleteOnClose);
    AjustarFormatoNumeros(AjustesDeDatosComp(datos).simboloMoneda);

    // Tool bar.
    btnCerrar = nombrar(new QPushButton(QStringLiteral(" &Cerrar "), this), "btnCerrar");
    btnReportes = nombrar(new QPushButton(QStringLiteral("&Reportes"), this), "btnReportes");
    auto *menu = new QMenu(btnReportes);
    QAction *imprimir = menu->addAction(QStringLiteral("Imprimir Reporte de Entrada"));
    imprimir->setObjectName(QStringLiteral("mnuImprimirReporte"));
    QAction *encabezado = menu->addAction(QStringLiteral("Datos Encabezado Reporte"));
    encabezado->setObjectName(QStringLiteral("mnuDatosEncabezado"));
    btnReportes->setMenu(menu);
    auto *barra = new QHBoxLayout;
    barra->addWidget(btnCerrar);
    barra->addWidget(btnReportes);
    barra->addStretch(1);

    // Filter bar.
    edFechaInicial = nombrar(new QDateEdit(this), "edFechaInicial");
    edFechaFinal = nombrar(new QDateEdit(this), "edFechaFinal");
    for (QDateEdit *e : {edFechaInicial, edFechaFinal}) {
        e->setCalendarPopup(true);
        e->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    }
    edProveedor = nombrar(new QLineEdit(kTodos, this), "edProveedor");
    edProveedor->setReadOnly(true);
    btnProveedor = nombrar(new QPushButton(QStringLiteral("..."), this), "btnProveedor");
    btnProveedor->setToolTip(QStringLiteral("Seleccionar un  Proveedor"));
    btnLimpiarProveedor = nombrar(new QPushButton(QStringLiteral("Limpiar"), this), "btnLimpiarProveedor");
    edComprobante = nombrar(new QLineEdit(this), "edComprobante");
    edComprobante->setValidator(new ValidadorMayusculas(edComprobante));
    btnQuitarComprobante = nombrar(new QPushButton(QStringLiteral("X"), this), "btnQuitarComprobante");
    btnQuitarComprobante->setToolTip(QStringLiteral("Quitar filtro comprobante"));
    cbxOrden = nombrar(new QComboBox(this), "cbxOrden");
    cbxOrden->addItems({QStringLiteral("Fecha"), QStringLiteral("Comprobante")});
    btnAgregarFacturas =
        nombrar(new QPushButton(QStringLiteral("Agregar todas las facturas al reporte"), this), "btnAgregarFacturas");
    auto *filtros = new QHBoxLayout;
    filtros->addWidget(new QLabel(QStringLiteral("Fecha Inicial:"), this));
    filtros->addWidget(edFechaInicial);
    filtros->addWidget(new QLabel(QStringLiteral("Fecha Final:"), this));
    filtros->addWidget(edFechaFinal);
    filtros->addWidget(new QLabel(QStringLiteral("Proveedor:"), this));
    filtros->addWidget(edProveedor, 1);
    filtros->addWidget(btnProveedor);
    filtros->addWidget(btnLimpiarProveedor);
    auto *filtros2 = new QHBoxLayout;
    filtros2->addWidget(new QLabel(QStringLiteral("Comprobante:"), this));
    filtros2->addWidget(edComprobante);
    filtros2->addWidget(btnQuitarComprobante);
    filtros2->addWidget(new QLabel(QStringLiteral("Orden:"), this));
    filtros2->addWidget(cbxOrden);
    filtros2->addStretch(1);
    filtros2->addWidget(btnAgregarFacturas);

    grdFacturas = grilla(this, "grdFacturas",
                         {QStringLiteral(" "), QStringLiteral("Fecha"), QStringLiteral("Comprobante"),
                          QStringLiteral("Proveedor"), QStringLiteral("Importe"), QStringLiteral("Importe NC"),
                          QStringLiteral("Importe Total")});
    grdFacturas->setColumnWidth(0, 14);

    // Lines panel.
    edArticulo = nombrar(new QLineEdit(this), "edArticulo");
    edArticulo->setValidator(new ValidadorMayusculas(edArticulo));
    btnLimpiarArticulo = nombrar(new QPushButton(QStringLiteral("Limpiar"), this), "btnLimpiarArticulo");
    btnAgregarTodos = nombrar(new QPushButton(QStringLiteral("Agregar todos los artículos"), this), "btnAgregarTodos");
    auto *barraLineas = new QHBoxLayout;
    barraLineas->addWidget(new QLabel(QStringLiteral("Artículo:"), this));
    barraLineas->addWidget(edArticulo, 1);
    barraLineas->addWidget(btnLimpiarArticulo);
    barraLineas->addWidget(btnAgregarTodos);
    grdLineas = grilla(this, "grdLineas",
                       {QStringLiteral("Fecha"), QStringLiteral("Comprobante"), QStringLiteral("Código"),
                        QStringLiteral("Cantidad"), QStringLiteral("Artículo"), QStringLiteral("Precio Unitario"),
                        QStringLiteral("Importe Total")});

    // Report list.
    btnBorrarTabla = nombrar(new QPushButton(QStringLiteral("Borrar tabla"), this), "btnBorrarTabla");
    btnBorrarArticulo = nombrar(new QPushButton(QStringLiteral("Borrar Artículo"), this), "btnBorrarArticulo");
    btnBorrarArticulo->setEnabled(false);
    auto *barraLista = new QHBoxLayout;
    barraLista->addStretch(1);
    barraLista->addWidget(btnBorrarTabla);
    barraLista->addWidget(btnBorrarArticulo);
    grdReporte = grilla(this, "grdReporte",
                        {QStringLiteral("Nº Factura"), QStringLiteral("Unidad"), QStringLiteral("Cantidad"),
                         QStringLiteral("Artículo"), QStringLiteral("Peso"), QStringLiteral("Precio Unitario"),
                         QStringLiteral("Precio Total")});

    auto *principal = new QVBoxLayout(this);
    principal->setContentsMargins(6, 6, 6, 6);
    principal->addLayout(barra);
    principal->addLayout(filtros);
    principal->addLayout(filtros2);
    principal->addWidget(grdFacturas, 2);
    principal->addLayout(barraLineas);
    principal->addWidget(grdLineas, 2);
    principal->addLayout(barraLista);
    principal->addWidget(grdReporte, 2);

    connect(btnCerrar, &QPushButton::clicked, this, &QWidget::close);
    connect(imprimir, &QAction::triggered, this, &TfrmReporteEntrada::ImprimirReporteEntrada);
    connect(encabezado, &QAction::triggered, this, &TfrmReporteEntrada::DatosEncabezado);
    connect(edFechaInicial, &QDateEdit::dateChanged, this, [this] {
        edFechaFinal->setMinimumDate(edFechaInicial->date());
        Filtrar();
    });
    connect(edFechaFinal, &QDateEdit::dateChanged, this, &TfrmReporteEntrada::Filtrar);
    connect(edProveedor, &QLineEdit::textChanged, this, &TfrmReporteEntrada::Filtrar);
    connect(edComprobante, &QLineEdit::textChanged, this, &TfrmReporteEntrada::Filtrar);
    connect(cbxOrden, &QComboBox::currentIndexChanged, this, &TfrmReporteEntrada::Filtrar);
    connect(btnProveedor, &QPushButton::clicked, this, [this] {
        if (ElegirProveedor)
            ElegirProveedor();
    });
    connect(btnLimpiarProveedor, &QPushButton::clicked, this, [this] {
        codProveedor_ = 0;
        edProveedor->setText(kTodos);
    });
    connect(btnQuitarComprobante, &QPushButton::clicked, edComprobante, &QLineEdit::clear);
    connect(btnAgregarFacturas, &QPushButton::clicked, this, &TfrmReporteEntrada::btnAgregarFacturasClick);
    connect(grdFacturas, &QTableWidget::cellClicked, this, [this](int fila, int) { FacturaElegida(fila); });
    connect(edArticulo, &QLineEdit::textChanged, this, &TfrmReporteEntrada::BuscarArticulo);
    connect(btnLimpiarArticulo, &QPushButton::clicked, edArticulo, [this] {
        edArticulo->clear();
        BuscarArticulo();
    });
    connect(btnAgregarTodos, &QPushButton::clicked, this, &TfrmReporteEntrada::btnAgregarTodosClick);
    connect(grdLineas, &QTableWidget::cellDoubleClicked, this, [this](int, int) { AgregarLineaActual(); });
    connect(btnBorrarArticulo, &QPushButton::clicked, this, &TfrmReporteEntrada::btnBorrarArticuloClick);
    connect(btnBorrarTabla, &QPushButton::clicked, this, &TfrmReporteEntrada::btnBorrarTablaClick);

    EditarEncabezado = [this](EncabezadoEntrada &e) {
        TfrmReporte card(e, this);
        if (card.exec() != QDialog::Accepted)
            return false;
        e = card.Encabezado();
        return true;
    };
    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };
}

TfrmReporteEntrada::~TfrmReporteEntrada() = default;

void TfrmReporteEntrada::showEvent(QShowEvent *event)
{
    if (!mostrado_) {
        mostrado_ = true;
        move(0, 0);
        resize(780, 550);
        datos_.CargarTipoCambio();
        const QDate hoy = QDate::currentDate();
        const QSignalBlocker a(edFechaInicial), b(edFechaFinal);
        edFechaInicial->setDate(QDate(hoy.year(), hoy.month(), 1));
        edFechaFinal->setMinimumDate(edFechaInicial->date());
        edFechaFinal->setDate(hoy);
        Filtrar();
    }
    QWidget::showEvent(event);
}

bool TfrmReporteEntrada::Intentar(const std::function<void()> &accion)
{
    try {
        accion();
        return true;
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    } catch (const std::exception &e) {
        mensajes().Error(QString::fromUtf8(e.what()));
    }
    return false;
}

FiltroEntrada TfrmReporteEntrada::Filtro() const
{
    FiltroEntrada f;
    f.inicial = edFechaInicial->date();
    f.final = edFechaFinal->date();
    f.codProveedor = edProveedor->text() == kTodos ? 0 : codProveedor_;
    f.comprobante = edComprobante->text();
    f.ordenComprobante = cbxOrden->currentIndex() == 1;
    return f;
}

void TfrmReporteEntrada::Filtrar()
{
    Intentar([this] { facturas_ = nucleo_.Filtrar(Filtro()); });
    grdFacturas->setUpdatesEnabled(false);
    grdFacturas->setRowCount(static_cast<int>(facturas_.size()));
    for (int i = 0; i < static_cast<int>(facturas_.size()); ++i) {
        const FacturaEntrada &f = facturas_[i];
        auto *estado = new QTableWidgetItem;
        estado->setBackground(f.anulada == QLatin1String("S") ? QColor(230, 90, 80) : QColor(120, 190, 120));
        grdFacturas->setItem(i, 0, estado);
        celda(grdFacturas, i, 1, fecha(f.fecha));
        celda(grdFacturas, i, 2, f.comprobante);
        celda(grdFacturas, i, 3, f.nombre);
        celda(grdFacturas, i, 4, FormatoMoneda(f.importe), true);
        celda(grdFacturas, i, 5, FormatoMoneda(f.importeNC), true);
        celda(grdFacturas, i, 6, FormatoMoneda(f.importe - f.importeNC), true);
    }
    grdFacturas->setUpdatesEnabled(true);
    if (!facturas_.empty()) {
        grdFacturas->setCurrentCell(0, 1);
        Intentar([this] { lineas_ = nucleo_.LineasFactura(facturas_.front().idCompra); });
    } else {
        lineas_.clear();
    }
    MostrarLineas();
}

void TfrmReporteEntrada::ProveedorElegido(int codigo, const QString &nombre)
{
    codProveedor_ = codigo;
    if (edProveedor->text() == nombre)
        Filtrar();
    else
        edProveedor->setText(nombre);
}

void TfrmReporteEntrada::FacturaElegida(int fila)
{
    if (fila < 0 || fila >= static_cast<int>(facturas_.size()))
        return;
    Intentar([&] { lineas_ = nucleo_.LineasFactura(facturas_[fila].idCompra, cbxOrden->currentIndex() == 1); });
    MostrarLineas();
}

void TfrmReporteEntrada::BuscarArticulo()
{
    Intentar([this] { lineas_ = nucleo_.BuscarLineas(edArticulo->text()); });
    MostrarLineas();
}

void TfrmReporteEntrada::MostrarLineas()
{
    grdLineas->setUpdatesEnabled(false);
    grdLineas->setRowCount(static_cast<int>(lineas_.size()));
    for (int i = 0; i < static_cast<int>(lineas_.size()); ++i) {
        const LineaEntrada &l = lineas_[i];
        celda(grdLineas, i, 0, fecha(l.fecha));
        celda(grdLineas, i, 1, l.comprobante);
        celda(grdLineas, i, 2, l.codigo);
        celda(grdLineas, i, 3, FormatFloat(QStringLiteral("#,##0.###"), l.cantidad), true);
        celda(grdLineas, i, 4, l.descripcion);
        celda(grdLineas, i, 5, FormatoMoneda(l.unitario), true);
        celda(grdLineas, i, 6, FormatoMoneda(l.total), true);
    }
    grdLineas->setUpdatesEnabled(true);
    if (!lineas_.empty())
        grdLineas->setCurrentCell(0, 0);
}

void TfrmReporteEntrada::MostrarLista()
{
    const auto &lista = nucleo_.Lista();
    grdReporte->setUpdatesEnabled(false);
    grdReporte->setRowCount(static_cast<int>(lista.size()));
    for (int i = 0; i < static_cast<int>(lista.size()); ++i) {
        const FilaReporteEntrada &f = lista[i];
        celda(grdReporte, i, 0, f.nroFactura);
        celda(grdReporte, i, 1, f.unidad);
        celda(grdReporte, i, 2, QString::number(f.cantidad), true);
        celda(grdReporte, i, 3, f.descripcion);
        celda(grdReporte, i, 4, f.peso, true);
        celda(grdReporte, i, 5, FormatoMoneda(f.unitario), true);
        celda(grdReporte, i, 6, FormatoMoneda(f.total), true);
    }
    grdReporte->setUpdatesEnabled(true);
    btnBorrarArticulo->setEnabled(!lista.empty());
}

void TfrmReporteEntrada::AgregarLineaActual()
{
    const int fila = grdLineas->currentRow();
    if (fila < 0 || fila >= static_cast<int>(lineas_.size()))
        return;
    Intentar([&] { nucleo_.AgregarLinea(lineas_[fila]); });
    MostrarLista();
}

void TfrmReporteEntrada::btnAgregarTodosClick()
{
    Intentar([this] { nucleo_.AgregarLineas(lineas_); });
    MostrarLista();
}

void TfrmReporteEntrada::btnAgregarFacturasClick()
{
    Intentar([this] { nucleo_.AgregarFacturas(facturas_, cbxOrden->currentIndex() == 1); });
    MostrarLista();
}

void TfrmReporteEntrada::btnBorrarArticuloClick()
{
    nucleo_.BorrarFila(grdReporte->currentRow() >= 0 ? grdReporte->currentRow() : 0);
    MostrarLista();
}

void TfrmReporteEntrada::btnBorrarTablaClick()
{
    nucleo_.BorrarTabla();
    MostrarLista();
}

void TfrmReporteEntrada::DatosEncabezado()
{
    EncabezadoEntrada e;
    if (!Intentar([&] { e = nucleo_.LeerEncabezado(); }))
        return;
    if (!EditarEncabezado || !EditarEncabezado(e))
        return;
    Intentar([&] { nucleo_.GuardarEncabezado(e); });
}

void TfrmReporteEntrada::ImprimirReporteEntrada()
{
    Intentar([this] { MostrarReporte(nucleo_.Preparar()); });
}

void TfrmReporteEntrada::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
