#include "purchases/Comp_frmcomprascc.h"

#include "purchases/Comp_frmdetallefaccc.h"
#include "data/Comp_fdatos.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "ui/NombreControl.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

TfrmComprasCC::TfrmComprasCC(TFDatosComp &datos, std::unique_ptr<ImportacionCentral> importacion, QWidget *parent)
    : QWidget(parent, Qt::Window), datos_(datos), imp_(std::move(importacion))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Procesar Facturas  de Compras a Casa Central"));
    if (!imp_)
        imp_ = ImportacionCentral::DesdeDatosComp(datos_);

    cmbFechaInicial = nombrar(new QDateEdit(this), "cmbFechaInicial");
    cmbFechaFinal = nombrar(new QDateEdit(this), "cmbFechaFinal");
    for (QDateEdit *d : {cmbFechaInicial, cmbFechaFinal}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    }
    const QDate hoy = QDate::currentDate();
    cmbFechaInicial->setDate(hoy);
    cmbFechaFinal->setDate(hoy.addDays(1));
    edcomprobante = nombrar(new QLineEdit(this), "edcomprobante");
    btnQuitaComprobante = nombrar(new QPushButton(QStringLiteral("X"), this), "btnQuitaComprobante");
    btnQuitaComprobante->setToolTip(QStringLiteral("Quitar filtro"));
    cbxOrden = nombrar(new QComboBox(this), "cbxOrden");
    cbxOrden->addItems({QStringLiteral("Fecha"), QStringLiteral("Comprobante"), QStringLiteral("Importe Total")});
    cbTipo = nombrar(new QComboBox(this), "cbTipo");
    cbTipo->addItems({QStringLiteral("Todas"), QStringLiteral("Procesadas"), QStringLiteral("No Procesadas")});
    grdFacturasCC = nombrar(new QTableWidget(0, 7, this), "grdFacturasCC");
    grdFacturasCC->setHorizontalHeaderLabels({QStringLiteral("Fecha"), QStringLiteral("Comprobante"),
                                              QStringLiteral("Importe Total"), QStringLiteral("Importe Crédito"),
                                              QStringLiteral("Importe Efectivo"), QStringLiteral("Importe Deposito"),
                                              QStringLiteral("Estado")});
    grdFacturasCC->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdFacturasCC->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdFacturasCC->setSelectionMode(QAbstractItemView::SingleSelection);
    btnProcesar = nombrar(new QPushButton(QStringLiteral(" &Procesar"), this), "btnProcesar");
    btnCerra = nombrar(new QPushButton(QStringLiteral(" &Cerrar "), this), "btnCerra");
    Memo_conexion = nombrar(new QPlainTextEdit(this), "Memo_conexion");
    Memo_conexion->setReadOnly(true);
    Memo_conexion->setMaximumHeight(110);

    auto *filtros = new QGridLayout;
    filtros->addWidget(new QLabel(QStringLiteral("Fecha Inicial:"), this), 0, 0);
    filtros->addWidget(cmbFechaInicial, 0, 1);
    filtros->addWidget(new QLabel(QStringLiteral("Fecha Final:"), this), 0, 2);
    filtros->addWidget(cmbFechaFinal, 0, 3);
    filtros->addWidget(new QLabel(QStringLiteral("Comprobante:"), this), 1, 0);
    filtros->addWidget(edcomprobante, 1, 1);
    filtros->addWidget(btnQuitaComprobante, 1, 2);
    filtros->addWidget(new QLabel(QStringLiteral("Orden:"), this), 2, 0);
    filtros->addWidget(cbxOrden, 2, 1);
    filtros->addWidget(new QLabel(QStringLiteral("Tipo:"), this), 2, 2);
    filtros->addWidget(cbTipo, 2, 3);
    auto *botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(btnProcesar);
    botones->addWidget(btnCerra);
    auto *v = new QVBoxLayout(this);
    v->addLayout(filtros);
    v->addWidget(grdFacturasCC, 1);
    v->addWidget(Memo_conexion);
    v->addLayout(botones);
    resize(760, 520);

    connect(cmbFechaInicial, &QDateEdit::dateChanged, this, &TfrmComprasCC::Filtrar);
    connect(cmbFechaFinal, &QDateEdit::dateChanged, this, &TfrmComprasCC::Filtrar);
    connect(edcomprobante, &QLineEdit::textEdited, this, [this](const QString &t) {
        if (t != t.toUpper())
            edcomprobante->setText(t.toUpper());
        Filtrar();
    });
    connect(btnQuitaComprobante, &QPushButton::clicked, this, &TfrmComprasCC::btnQuitaComprobanteClick);
    connect(cbxOrden, &QComboBox::currentIndexChanged, this, &TfrmComprasCC::Filtrar);
    connect(cbTipo, &QComboBox::currentIndexChanged, this, &TfrmComprasCC::Filtrar);
    connect(grdFacturasCC, &QTableWidget::cellDoubleClicked, this, &TfrmComprasCC::btnProcesarClick);
    connect(btnProcesar, &QPushButton::clicked, this, &TfrmComprasCC::btnProcesarClick);
    connect(btnCerra, &QPushButton::clicked, this, &QWidget::close);
}

TfrmComprasCC::~TfrmComprasCC() = default;

void TfrmComprasCC::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!cargado_) {
        cargado_ = true;
        QTimer::singleShot(0, this, [this] { Cargar(); });
    }
}

void TfrmComprasCC::Log(const QString &linea)
{
    Memo_conexion->appendPlainText(linea);
}

void TfrmComprasCC::Cerrar()
{
    QTimer::singleShot(0, this, &QWidget::close);
}

bool TfrmComprasCC::Cargar()
{
    cargado_ = true;
    const AjustesCentral &a = imp_->Ajustes();
    if (!a.direccionInternet.isEmpty()) {
        Log(QStringLiteral("Verificando conexión a internet..."));
        if (!HayConexion(a.direccionInternet, a.segundosEspera)) {
            const QString m = QStringLiteral("No se encontró una conexión a internet activa, no se puede continuar...");
            Log(m);
            mensajes().Advertencia(m, QStringLiteral("Atención"));
            Cerrar();
            return false;
        }
    }
    Log(QStringLiteral("Conectando con casa central..."));
    try {
        imp_->Conectar();
    } catch (const ErrorCompras &e) {
        Log(e.mensaje());
        mensajes().Advertencia(e.mensaje(), QStringLiteral("Atención"));
        Cerrar();
        return false;
    }
    Log(QStringLiteral("Conectado"));

    if (!datos_.ConfigSi(QStringLiteral("CENTRALIZA"))) {
        mensajes().Advertencia(QStringLiteral("No se ha configurado la tienda para que centralice, por favor,\r\n"
                                              "configúrelo y ejecute nuevamente esta aplicación"),
                               QStringLiteral("Atención"));
        Cerrar();
        return false;
    }
    nroTienda_ = datos_.ConfigEntero(QStringLiteral("NRO_TIENDA"));
    try {
        proveedor_ = imp_->IdentificarProveedor();
        if (!proveedor_.encontrado)
            mensajes().Advertencia(TextoSinProveedorCentral(a.codProveedor), QStringLiteral("Atención"));
        Log(QStringLiteral("Recuperando información desde Casa Central..."));
        facturas_ = imp_->ListarFacturas(nroTienda_, proveedor_);
        Log(QStringLiteral("Información cargada"));
        Log(QStringLiteral("Verificando estado de comprobantes..."));
        Log(QStringLiteral("Verificando %1 facturas de %1").arg(facturas_.size()));
        Log(QStringLiteral("Verificación terminada"));
    } catch (const std::exception &e) {
        const QString m = TextoDeError(e);
        Log(m);
        mensajes().Error(m);
        Cerrar();
        return false;
    }
    cmbFechaInicial->setDate(QDate::currentDate().addDays(-30));
    cargando_datos = false;
    Filtrar();
    return true;
}

void TfrmComprasCC::Filtrar()
{
    if (cargando_datos)
        return;
    FiltroCentral f;
    f.desde = cmbFechaInicial->date();
    f.hasta = cmbFechaFinal->date();
    f.comprobante = edcomprobante->text();
    f.tipo = static_cast<FiltroCentral::Tipo>(std::max(0, cbTipo->currentIndex()));
    f.orden = static_cast<FiltroCentral::Orden>(std::max(0, cbxOrden->currentIndex()));
    visibles_ = FiltrarFacturasCentral(facturas_, f);
    grdFacturasCC->setRowCount(static_cast<int>(visibles_.size()));
    int fila = 0;
    for (const FacturaCentral *x : visibles_) {
        const QStringList celdas = {x->fecha.toString(QStringLiteral("dd/MM/yyyy")), x->comprobante,
                                    FormatoMoneda(x->importeTotal), FormatoMoneda(x->importeCredito),
                                    FormatoMoneda(x->importeEfectivo), FormatoMoneda(x->importeDeposito), x->estado};
        for (int c = 0; c < celdas.size(); ++c)
            grdFacturasCC->setItem(fila, c, new QTableWidgetItem(celdas[c]));
        ++fila;
    }
    if (fila > 0)
        grdFacturasCC->selectRow(0);
}

void TfrmComprasCC::btnQuitaComprobanteClick()
{
    edcomprobante->clear();
    Filtrar();
}

void TfrmComprasCC::btnProcesarClick()
{
    const int fila = grdFacturasCC->currentRow();
    if (fila < 0 || fila >= static_cast<int>(visibles_.size()))
        return;
    const FacturaCentral factura = *visibles_[fila];
    if (factura.estado == QLatin1String("S")) {
        mensajes().Informacion(QStringLiteral("La factura ya fue procesada"));
        return;
    }
    if (!proveedor_.encontrado) {
        mensajes().Advertencia(TextoSinProveedorCentral(imp_->Ajustes().codProveedor));
        return;
    }
    if (!mensajes().Pregunta(QStringLiteral("Desea procesar el comprobante seleccionado?")))
        return;
    Log(QStringLiteral("Recuperando datos de comprobante ") + factura.comprobante + QStringLiteral(" desde Casa Central"));
    std::vector<LineaCentral> lineas;
    try {
        lineas = imp_->LeerLineas(factura.comprobante);
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
        return;
    }
    auto *detalle = new TfrmDetalleFacCC(*imp_, factura, std::move(lineas), proveedor_, nroTienda_,
                                         TFDatosComp::VerVariable(QStringLiteral("vUsuario")), this);
    const QString comprobante = factura.comprobante;
    connect(detalle, &TfrmDetalleFacCC::registrada, this, [this, comprobante](int id) {
        for (FacturaCentral &f : facturas_)
            if (f.comprobante == comprobante)
                f.estado = QStringLiteral("S");
        Filtrar();
        emit facturaRegistrada(id);
    });
    detalle->show();
}
