#include "purchases/Comp_frmagregacompras.h"

#include "catalogs/Comp_frmfichaarticulo.h"

#include "purchases/PosteoEntrada.h"

#include "data/Comp_fdatos.h"
#include "catalogs/Comp_frmbuscararticulos.h"
#include "catalogs/Comp_frmbuscarbodega.h"
#include "catalogs/Comp_frmcambiarproveedor.h"
#include "orders/Comp_frmselpedido.h"
#include "purchases/Comp_frmmodificarlinea.h"
#include "purchases/Comp_frmprocesar.h"
#include "creditnotes/Comp_frmncdevolucion.h"
#include "purchases/Comp_frmseleccionaprecio.h"
#include "purchases/Comp_frmtextoespera.h"
#include "platform/db/DatasetModel.h"
#include "platform/workbook/ErrorLibro.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "ui/CamposEdicion.h"
#include "ui/Permisos.h"
#include "platform/VariablesHost.h"
#include "platform/workbook/uHojaCalcCompras.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

template <typename T>
T *nombrar(T *w, const char *nombre)
{
    w->setObjectName(QString::fromLatin1(nombre));
    return w;
}

// An edit for an amount with up to `decimales` decimals (thousands commas accepted).
QLineEdit *EdicionNumero(QWidget *padre, const char *nombre, int decimales, bool negativo = false)
{
    auto *ed = nombrar(new QLineEdit(padre), nombre);
    const QString patron = QStringLiteral("^%1[0-9,]{0,16}%2$")
                               .arg(negativo ? QStringLiteral("-?") : QString(),
                                    decimales > 0 ? QStringLiteral("(\\.[0-9]{0,%1})?").arg(decimales) : QString());
    ed->setValidator(new QRegularExpressionValidator(QRegularExpression(patron), ed));
    ed->setAlignment(Qt::AlignRight);
    return ed;
}

QLineEdit *Total(QWidget *padre, const char *nombre)
{
    auto *ed = nombrar(new QLineEdit(padre), nombre);
    ed->setReadOnly(true);
    ed->setFocusPolicy(Qt::NoFocus);
    ed->setAlignment(Qt::AlignRight);
    return ed;
}

Currency Valor(const QLineEdit *ed)
{
    Currency v;
    return LeerImporte(ed->text(), v) ? v : Currency();
}


} // namespace

TfrmAgregaCompra::TfrmAgregaCompra(TFDatosComp &datos, const QString &modo, QWidget *parent)
    : QWidget(parent, Qt::Window), datos_(datos), entrada_(std::make_unique<EntradaCompra>(datos, modo))
{
    setObjectName(QStringLiteral("frmAgregaCompra"));
    setWindowTitle(QStringLiteral("Agregar Comprobante de Compras"));
    resize(920, 620);
    decimalesCantidad_ = std::clamp(datos_.ConfigEntero(QStringLiteral("DECIMALES_CANTIDADES")), 0, 4);

    // Header
    edNombreProveedor = nombrar(new QLineEdit(this), "edNombreProveedor");
    edNombreProveedor->setReadOnly(true);
    edNombreProveedor->setFocusPolicy(Qt::NoFocus);
    btnBuscaProveedor = nombrar(new QPushButton(QStringLiteral("..."), this), "btnBuscaProveedor");
    btnBuscaProveedor->setToolTip(QStringLiteral("Buscar Proveedor"));
    btnBuscaProveedor->setFixedWidth(32);
    edComprobante = nombrar(new QComboBox(this), "edComprobante");
    edComprobante->addItems({EntradaCompra::TipoFactura, EntradaCompra::TipoNotaCredito, EntradaCompra::TipoConsignacion,
                             EntradaCompra::TipoPedido});
    edComprob = nombrar(new QLineEdit(this), "edComprob");
    edComprob->setMaxLength(EntradaCompra::kLargoComprobante);
    edComprob->setValidator(new ValidadorMayusculas(edComprob));
    edFecha = nombrar(new QDateEdit(QDate::currentDate(), this), "edFecha");
    edFecha->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    edFecha->setCalendarPopup(true);
    PrepararFecha(edFecha);
    rbMoneda1 = nombrar(new QRadioButton(datos_.Config(QStringLiteral("DENOMINACION_MONEDA")), this), "rbMoneda1");
    rbMoneda2 = nombrar(new QRadioButton(datos_.Config(QStringLiteral("DENOMINACION_MONEDA2")), this), "rbMoneda2");
    auto *grupoMoneda = new QButtonGroup(this);
    grupoMoneda->addButton(rbMoneda1);
    grupoMoneda->addButton(rbMoneda2);
    rbMoneda1->setChecked(true);
    pnlDestino = nombrar(new QWidget(this), "pnlDestino");
    edDestino = nombrar(new QLineEdit(pnlDestino), "edDestino");
    edDestino->setReadOnly(true);
    edDestino->setFocusPolicy(Qt::NoFocus);
    btnBuscarBodega = nombrar(new QPushButton(QStringLiteral("..."), pnlDestino), "btnBuscarBodega");
    btnBuscarBodega->setToolTip(QStringLiteral("Buscar Bodega"));
    btnBuscarBodega->setFixedWidth(32);
    auto *filaDestino = new QHBoxLayout(pnlDestino);
    filaDestino->setContentsMargins(0, 0, 0, 0);
    filaDestino->addWidget(new QLabel(QStringLiteral("Destino:"), pnlDestino));
    filaDestino->addWidget(edDestino, 1);
    filaDestino->addWidget(btnBuscarBodega);

    auto *encabezado = new QGroupBox(this);
    auto *ge = new QGridLayout(encabezado);
    ge->addWidget(new QLabel(QStringLiteral("Proveedor:"), encabezado), 0, 0);
    ge->addWidget(edNombreProveedor, 0, 1, 1, 5);
    ge->addWidget(btnBuscaProveedor, 0, 6);
    ge->addWidget(new QLabel(QStringLiteral("Comprobante:"), encabezado), 1, 0);
    auto *documento = new QHBoxLayout;
    documento->addWidget(edComprobante);
    documento->addSpacing(12);
    documento->addWidget(new QLabel(QStringLiteral("Número:"), encabezado));
    documento->addWidget(edComprob);
    documento->addSpacing(12);
    documento->addWidget(new QLabel(QStringLiteral("Fecha:"), encabezado));
    documento->addWidget(edFecha);
    documento->addStretch(1);
    ge->addLayout(documento, 1, 1, 1, 5);
    auto *monedas = new QHBoxLayout;
    monedas->addWidget(rbMoneda1);
    monedas->addWidget(rbMoneda2);
    monedas->addSpacing(24);
    monedas->addWidget(pnlDestino, 1);
    ge->addLayout(monedas, 2, 0, 1, 7);
    edComprobante->setMinimumWidth(170);
    edComprob->setFixedWidth(150);
    edFecha->setFixedWidth(130);
    ge->setColumnStretch(1, 1);

    // Line entry
    edCodigo = nombrar(new QLineEdit(this), "edCodigo");
    edCodigo->setMaxLength(30);
    edCodigo->setValidator(new ValidadorMayusculas(edCodigo));
    edPrecio = EdicionNumero(this, "edPrecio", 2);
    edCantidad = EdicionNumero(this, "edCantidad", decimalesCantidad_);
    ReformatearAlSalir(edPrecio, QStringLiteral("#,##0.00"));
    ReformatearAlSalir(edCantidad, FormatoCantidadPicture(decimalesCantidad_));
    auto *filaLinea = new QHBoxLayout;
    filaLinea->addWidget(new QLabel(QStringLiteral("Código [F2]:"), this));
    filaLinea->addWidget(edCodigo, 3);
    filaLinea->addWidget(new QLabel(QStringLiteral("Costo:"), this));
    filaLinea->addWidget(edPrecio, 1);
    filaLinea->addWidget(new QLabel(QStringLiteral("Cantidad:"), this));
    filaLinea->addWidget(edCantidad, 1);

    // Lines
    GridCompra = nombrar(new QTableView(this), "GridCompra");
    modelo_ = new db::DatasetModel(datos_.TMP_Compra, this);
    const auto der = Qt::AlignRight | Qt::AlignVCenter;
    modelo_->setColumns({{QStringLiteral("COD_BARRAS"), QStringLiteral("Código"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         {QStringLiteral("NOMBRE"), QStringLiteral("Descripción"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         {QStringLiteral("IMPORE_COSTO"), QStringLiteral("P. Unitario"), QStringLiteral("#,##0.00"), der},
                         {QStringLiteral("CANTIDAD"), QStringLiteral("Cantidad"), datos_.FormatearCantidad(), der},
                         {QStringLiteral("PORCE_DESC"), QStringLiteral("% Desc"), QStringLiteral("#,##0.00"), der},
                         {QStringLiteral("IMPORTE_DESCUENTO"), QStringLiteral("Descuento"), QStringLiteral("#,##0.00"), der},
                         {QStringLiteral("Subtotal"), QStringLiteral("Subtotal"), QStringLiteral("#,##0.00"), der}});
    GridCompra->setModel(modelo_);
    GridCompra->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridCompra->setSelectionMode(QAbstractItemView::SingleSelection);
    GridCompra->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridCompra->verticalHeader()->hide();
    GridCompra->verticalHeader()->setDefaultSectionSize(22);
    GridCompra->setColumnWidth(0, 120);
    GridCompra->setColumnWidth(1, 300);
    for (int c = 2; c < 7; ++c)
        GridCompra->setColumnWidth(c, 86);
    GridCompra->horizontalHeader()->setStretchLastSection(true);
    GridCompra->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *eliminar = new QAction(QStringLiteral("Eliminar Línea"), GridCompra);
    eliminar->setObjectName(QStringLiteral("EliminarLinea"));
    GridCompra->addAction(eliminar);
    connect(eliminar, &QAction::triggered, this, &TfrmAgregaCompra::EliminarLinea);

    // Spreadsheet import
    edArchivoXLS = nombrar(new QLineEdit(this), "edArchivoXLS");
    edArchivoXLS->setReadOnly(true);
    btnSearchFile = nombrar(new QPushButton(QStringLiteral("..."), this), "btnSearchFile");
    btnSearchFile->setFixedWidth(32);
    JvArrowButton2 = nombrar(new QPushButton(QStringLiteral("Cargar"), this), "JvArrowButton2");
    btn_GenPlanilla = nombrar(new QPushButton(QStringLiteral("Generar Planilla de Carga"), this), "btn_GenPlanilla");
    auto *hoja = new QGroupBox(QStringLiteral("Hoja de Cálculo"), this);
    auto *filaHoja = new QHBoxLayout(hoja);
    filaHoja->addWidget(edArchivoXLS, 1);
    filaHoja->addWidget(btnSearchFile);
    filaHoja->addWidget(JvArrowButton2);
    filaHoja->addWidget(btn_GenPlanilla);

    // Totals
    edSubtotal1 = Total(this, "edSubtotal1");
    edPOrceDesc = EdicionNumero(this, "edPOrceDesc", 4, true);
    edImporteDesc = EdicionNumero(this, "edImporteDesc", 3);
    // As MostrarTotales shows them.
    ReformatearAlSalir(edPOrceDesc, QStringLiteral("#,##0.000"));
    ReformatearAlSalir(edImporteDesc, QStringLiteral("#,##0.000"));
    edSubTotal2 = Total(this, "edSubTotal2");
    edImpuesto = Total(this, "edImpuesto");
    edTotal = Total(this, "edTotal");
    QFont negrita = edTotal->font();
    negrita.setBold(true);
    edTotal->setFont(negrita);
    auto *totales = new QGroupBox(this);
    auto *gt = new QGridLayout(totales);
    gt->addWidget(new QLabel(QStringLiteral("Subtotal:"), totales), 0, 0);
    gt->addWidget(edSubtotal1, 0, 1, 1, 2);
    auto *lblPorcDesc = nombrar(new QLabel(QStringLiteral("% Descuento:"), totales), "lblPorcDesc");
    lblPorcDesc->setBuddy(edPOrceDesc);
    gt->addWidget(lblPorcDesc, 1, 0);
    gt->addWidget(edPOrceDesc, 1, 1, 1, 2);
    auto *lblImporteDesc = nombrar(new QLabel(QStringLiteral("Monto Descuento:"), totales), "lblImporteDesc");
    lblImporteDesc->setBuddy(edImporteDesc);
    gt->addWidget(lblImporteDesc, 2, 0);
    gt->addWidget(edImporteDesc, 2, 1, 1, 2);
    gt->addWidget(new QLabel(QStringLiteral("Subtotal:"), totales), 3, 0);
    gt->addWidget(edSubTotal2, 3, 1, 1, 2);
    QString siglas = datos_.DatosMoneda && datos_.DatosMoneda->hasField(QStringLiteral("SIGLAS_IV"))
                         ? datos_.DatosMoneda->fieldByName(QStringLiteral("SIGLAS_IV")).asString()
                         : QString();
    gt->addWidget(new QLabel(siglas.isEmpty() ? QStringLiteral("Impuesto:") : siglas + QLatin1Char(':'), totales), 4, 0);
    gt->addWidget(edImpuesto, 4, 1, 1, 2);
    gt->addWidget(new QLabel(QStringLiteral("Total:"), totales), 5, 0);
    gt->addWidget(edTotal, 5, 1, 1, 2);
    totales->setFixedWidth(300);

    btnSalir = nombrar(new QPushButton(QStringLiteral(" Salir [ESC] "), this), "btnSalir");
    btnAnular = nombrar(new QPushButton(QStringLiteral(" Anular [F10] "), this), "btnAnular");
    btnEmitir = nombrar(new QPushButton(QStringLiteral(" Procesar [F9] "), this), "btnEmitir");
    for (QPushButton *b : {btnSalir, btnAnular, btnEmitir})
        b->setAutoDefault(false);

    auto *abajo = new QHBoxLayout;
    auto *izquierda = new QVBoxLayout;
    izquierda->addWidget(hoja);
    izquierda->addStretch(1);
    auto *botones = new QHBoxLayout;
    botones->addWidget(btnEmitir);
    botones->addWidget(btnAnular);
    botones->addWidget(btnSalir);
    botones->addStretch(1);
    izquierda->addLayout(botones);
    abajo->addLayout(izquierda, 1);
    abajo->addWidget(totales);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(encabezado);
    layout->addLayout(filaLinea);
    layout->addWidget(GridCompra, 1);
    layout->addLayout(abajo);

    setTabOrder(edComprobante, edComprob);
    setTabOrder(edComprob, edFecha);
    setTabOrder(edFecha, edCodigo);
    setTabOrder(edCodigo, edPrecio);
    setTabOrder(edPrecio, edCantidad);
    setTabOrder(edCantidad, GridCompra);
    setTabOrder(GridCompra, edPOrceDesc);
    setTabOrder(edPOrceDesc, edImporteDesc);
    setTabOrder(edImporteDesc, btnEmitir);

    connect(btnBuscaProveedor, &QPushButton::clicked, this, &TfrmAgregaCompra::btnBuscaProveedorClick);
    connect(btnBuscarBodega, &QPushButton::clicked, this, &TfrmAgregaCompra::btnBuscarBodegaClick);
    connect(btnEmitir, &QPushButton::clicked, this, &TfrmAgregaCompra::btnEmitirClick);
    connect(btnAnular, &QPushButton::clicked, this, &TfrmAgregaCompra::btnAnularClick);
    connect(btnSalir, &QPushButton::clicked, this, &TfrmAgregaCompra::btnSalirClick);
    connect(btnSearchFile, &QPushButton::clicked, this, &TfrmAgregaCompra::btnSearchFileClick);
    connect(JvArrowButton2, &QPushButton::clicked, this, &TfrmAgregaCompra::CargarArchivo);
    connect(btn_GenPlanilla, &QPushButton::clicked, this, &TfrmAgregaCompra::btn_GenPlanillaClick);
    connect(GridCompra, &QTableView::doubleClicked, this, &TfrmAgregaCompra::ModificarLinea);
    connect(edComprobante, &QComboBox::activated, this, &TfrmAgregaCompra::TipoComprobanteCambiado);
    connect(edFecha, &QDateEdit::dateChanged, this, [this](const QDate &d) {
        if (!mostrando_)
            entrada_->EstablecerFecha(d);
    });
    connect(rbMoneda2, &QRadioButton::toggled, this, [this] { MonedaCambiada(); });

    const QList<QWidget *> hijos = findChildren<QWidget *>();
    for (QWidget *w : hijos)
        w->installEventFilter(this);
}

TfrmAgregaCompra::~TfrmAgregaCompra() = default;

TfrmAgregaCompra *AbrirAgregaCompra(TFDatosComp &datos, QWidget *llamador, const QString &modo)
{
    auto *frm = new TfrmAgregaCompra(datos, modo);
    if (modo != EntradaCompra::ModoCompra) {
        frm->setWindowTitle(QStringLiteral("Agregar Comprobante de Consignación"));
        // A consignment is neither a credit note nor an order, and is kept in local currency.
        frm->edComprobante->hide();
        frm->rbMoneda1->hide();
        frm->rbMoneda2->hide();
    }
    frm->AbrirDesde(llamador);
    return frm;
}

void TfrmAgregaCompra::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    setAttribute(Qt::WA_DeleteOnClose);
    show();
    raise();
    activateWindow();
}

void TfrmAgregaCompra::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous() && !mostrada_) {
        mostrada_ = true;
        FormShow();
    }
}

QString TfrmAgregaCompra::FormatoCantidad() const
{
    return decimalesCantidad_ == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(decimalesCantidad_, QLatin1Char('0'));
}

void TfrmAgregaCompra::FormShow()
{
    mostrando_ = true;
    entrada_->Iniciar();
    const bool multimoneda = entrada_->EsCompra() && datos_.ConfigSi(QStringLiteral("COMPRA_MULTIMONEDA"));
    rbMoneda1->setVisible(multimoneda);
    rbMoneda2->setVisible(multimoneda);
    pnlDestino->setVisible(entrada_->UsaBodega());
    edDestino->setText(entrada_->Destino());
    entrada_->Restaurar();
    MostrarEncabezado();
    LimpiarLinea();
    MostrarTotales();
    ArchivoElegido = false;
    mostrando_ = false;
    edCodigo->setFocus();
}

void TfrmAgregaCompra::MostrarEncabezado()
{
    const bool antes = mostrando_;
    mostrando_ = true;
    edNombreProveedor->setText(entrada_->NombreProveedor());
    edComprob->setText(entrada_->Comprobante());
    edFecha->setDate(entrada_->Fecha().isValid() ? entrada_->Fecha() : QDate::currentDate());
    cambiandoMoneda_ = true;
    (entrada_->Moneda() == 2 ? rbMoneda2 : rbMoneda1)->setChecked(true);
    cambiandoMoneda_ = false;
    const int i = edComprobante->findText(entrada_->TipoComprobante());
    edComprobante->setCurrentIndex(i < 0 ? 0 : i);
    mostrando_ = antes;
}

void TfrmAgregaCompra::LimpiarLinea()
{
    edCodigo->clear();
    edPrecio->setText(QStringLiteral("0.00"));
    edCantidad->setText(FormatFloat(FormatoCantidad(), 1));
    CostoUnitario = Currency();
    Existencia = Currency();
    Fraccionado = false;
}

void TfrmAgregaCompra::MostrarTotales()
{
    // The document's lines all in the grid (a document has at most a few thousand).
    while (modelo_->canFetchMore({}))
        modelo_->fetchMore({});
    const TotalesEntrada &t = entrada_->Totales();
    edSubtotal1->setText(FormatoMoneda(t.TotalSinIV));
    edSubTotal2->setText(FormatoMoneda(t.SubTotal2));
    edImpuesto->setText(FormatoMoneda(t.Impuesto));
    edTotal->setText(FormatoMoneda(t.Total));
    edImporteDesc->setText(FormatCurrency(QStringLiteral("#,##0.000"), t.Descuento));
    // With no global discount in force (a line has its own) the field says 0.
    const Currency porcentaje = entrada_->PorcDescuento().isZero() ? Currency() : t.PorcentajeDescuento();
    edPOrceDesc->setText(FormatCurrency(QStringLiteral("#,##0.000"), porcentaje));
    edPOrceDesc->setModified(false);
    edImporteDesc->setModified(false);
}

// ---------------------------------------------------------------------------
// Keyboard

bool TfrmAgregaCompra::eventFilter(QObject *objeto, QEvent *e)
{
    if (e->type() == QEvent::KeyPress && Tecla(objeto, static_cast<QKeyEvent *>(e)))
        return true;
    if (e->type() == QEvent::FocusIn && objeto == edPOrceDesc) {
        edPOrceDesc->setStyleSheet(QStringLiteral("background: #ffffc0;"));
        ValorAlEntrar = Valor(edPOrceDesc);
    }
    if (e->type() == QEvent::FocusOut && !enSalida_) {
        auto *ed = qobject_cast<QLineEdit *>(objeto);
        if (objeto == edPOrceDesc)
            edPOrceDesc->setStyleSheet(QString());
        // A field left with the mouse runs its exit step when it was typed in.
        if (ed && ed->isModified() && static_cast<QFocusEvent *>(e)->reason() != Qt::PopupFocusReason) {
            if (ed == edCodigo)
                QMetaObject::invokeMethod(this, &TfrmAgregaCompra::edCodigoExit, Qt::QueuedConnection);
            else if (ed == edPrecio)
                QMetaObject::invokeMethod(this, &TfrmAgregaCompra::edPrecioExit, Qt::QueuedConnection);
            else if (ed == edCantidad)
                QMetaObject::invokeMethod(this, &TfrmAgregaCompra::edCantidadExit, Qt::QueuedConnection);
            else if (ed == edPOrceDesc)
                QMetaObject::invokeMethod(this, &TfrmAgregaCompra::edPOrceDescExit, Qt::QueuedConnection);
            else if (ed == edImporteDesc)
                QMetaObject::invokeMethod(this, &TfrmAgregaCompra::edImporteDescExit, Qt::QueuedConnection);
            else if (ed == edComprob)
                edComprobExit();
        }
    }
    return QWidget::eventFilter(objeto, e);
}

void TfrmAgregaCompra::keyPressEvent(QKeyEvent *e)
{
    if (!Tecla(this, e))
        QWidget::keyPressEvent(e);
}

bool TfrmAgregaCompra::Tecla(QObject *objeto, QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Escape:
        btnSalirClick();
        return true;
    case Qt::Key_F2:
        BuscarArticulos();
        return true;
    case Qt::Key_F9:
        btnEmitirClick();
        return true;
    case Qt::Key_F10:
        btnAnularClick();
        return true;
    case Qt::Key_Delete:
        if (objeto == GridCompra) {
            EliminarLinea();
            return true;
        }
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (objeto == edCodigo)
            edCodigoExit();
        else if (objeto == edPrecio)
            edPrecioExit();
        else if (objeto == edCantidad)
            edCantidadExit();
        else if (objeto == edPOrceDesc)
            edPOrceDescExit();
        else if (objeto == edImporteDesc)
            edImporteDescExit();
        else if (objeto == GridCompra)
            ModificarLinea();
        else if (qobject_cast<QPushButton *>(objeto))
            static_cast<QPushButton *>(objeto)->click();
        else {
            if (objeto == edComprob)
                edComprobExit();
            focusNextChild();
        }
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// Line fields

void TfrmAgregaCompra::edCodigoExit()
{
    edCodigo->setModified(false);
    const QString codigo = edCodigo->text().trimmed().toUpper();
    if (codigo.isEmpty() || enSalida_)
        return;
    enSalida_ = true;
    std::optional<ArticuloCompra> a;
    try {
        a = entrada_->BuscarArticulo(codigo);
    } catch (const std::exception &ex) {
        mensajes().Error(QString::fromUtf8(ex.what()));
    }
    if (!a) {
        LimpiarLinea();
        edCodigo->setFocus();
        ArticuloNoEncontrado(codigo);
    } else if (a->compuesto) {
        LimpiarLinea();
        edCodigo->setFocus();
        mensajes().Informacion(EntradaCompra::kArticuloCompuesto, QStringLiteral("Atención"));
    } else {
        edCodigo->setText(a->codigo);
        Existencia = a->stock;
        Fraccionado = a->fraccionado;
        edPrecio->setText(FormatCurrency(QStringLiteral("0.00"), entrada_->CostoPropuesto(*a)));
        edPrecio->setFocus();
        edPrecio->selectAll();
    }
    enSalida_ = false;
}

void TfrmAgregaCompra::ArticuloNoEncontrado(const QString &codigo)
{
    if (!mensajes().Pregunta(EntradaCompra::kArticuloNoEncontrado, QStringLiteral("Atención")))
        return;
    if (!VerificarPermiso(datos_, QStringLiteral("COMP_AGREGAR_ARTI"), QStringLiteral("Atención")))
        return;
    if (AbrirFichaArticulo) {
        AbrirFichaArticulo(*this, codigo);
        return;
    }
    // The code comes back only once the article is committed; it then goes through the code step.
    QPointer<TfrmAgregaCompra> yo(this);
    AbrirFichaArticuloNueva(datos_, this, codigo, OrigenFicha::Agregar, [yo](const QString &nuevo) {
        if (!yo)
            return;
        yo->edCodigo->setText(nuevo);
        yo->edCodigoExit();
    });
}

void TfrmAgregaCompra::edPrecioExit()
{
    edPrecio->setModified(false);
    if (edCodigo->text().trimmed().isEmpty()) {
        edCodigo->setFocus();
        return;
    }
    const Currency costo = Valor(edPrecio);
    if (costo > Currency()) {
        CostoUnitario = costo;
        edCantidad->setFocus();
        edCantidad->selectAll();
    } else {
        mensajes().Globo(edPrecio, EntradaCompra::kDebePrecio);
        edPrecio->setFocus();
    }
}

void TfrmAgregaCompra::edCantidadExit()
{
    edCantidad->setModified(false);
    const QString codigo = edCodigo->text().trimmed();
    if (codigo.isEmpty()) {
        edCodigo->setFocus();
        return;
    }
    const Currency costo = Valor(edPrecio);
    if (costo <= Currency()) {
        mensajes().Globo(edPrecio, EntradaCompra::kDebePrecio);
        edPrecio->setFocus();
        return;
    }
    const Currency cantidad = Valor(edCantidad);
    if (cantidad <= Currency()) {
        mensajes().Globo(edCantidad, EntradaCompra::kDebeCantidad);
        edCantidad->setFocus();
        return;
    }
    using R = EntradaCompra::Resultado;
    switch (entrada_->AgregarArticulo(codigo, cantidad, costo)) {
    case R::Agregada:
    case R::Acumulada:
        LimpiarLinea();
        MostrarTotales();
        GridCompra->scrollToBottom();
        edCodigo->setFocus();
        break;
    case R::Compuesto:
        mensajes().Informacion(EntradaCompra::kArticuloCompuesto, QStringLiteral("Atención"));
        LimpiarLinea();
        edCodigo->setFocus();
        break;
    case R::NoEncontrado:
        LimpiarLinea();
        edCodigo->setFocus();
        break;
    case R::CantidadInvalida:
        mensajes().Globo(edCantidad, QStringLiteral("La cantidad está fuera del rango permitido"));
        edCantidad->setFocus();
        break;
    case R::CostoInvalido:
        mensajes().Globo(edPrecio, QStringLiteral("El costo está fuera del rango permitido"));
        edPrecio->setFocus();
        break;
    case R::Error:
        mensajes().Error(QStringLiteral("No se pudo agregar la línea.\n") + entrada_->UltimoError());
        break;
    }
}

// ---------------------------------------------------------------------------
// Header fields

void TfrmAgregaCompra::edComprobExit()
{
    edComprob->setModified(false);
    entrada_->EstablecerComprobante(edComprob->text());
}

void TfrmAgregaCompra::btnBuscaProveedorClick()
{
    auto *frm = new TfrmCambiarProveedor(datos_);
    frm->Modo = QStringLiteral("Agregar");
    connect(frm, &TfrmCambiarProveedor::proveedorElegido, this, &TfrmAgregaCompra::ProveedorElegido);
    frm->AbrirDesde(this, true);
}

void TfrmAgregaCompra::ProveedorElegido(int codigo, const QString &nombre, int tipoMoneda)
{
    edNombreProveedor->setText(nombre);
    entrada_->EstablecerProveedor(codigo, nombre);
    if (const std::optional<int> moneda = MonedaAlElegirProveedor(datos_.Config(QStringLiteral("COMPRA_MULTIMONEDA")), tipoMoneda))
        (*moneda == 2 ? rbMoneda2 : rbMoneda1)->setChecked(true);
    // Typing lines is next, once the search has closed and given the window back.
    QTimer::singleShot(0, edCodigo, [this] { edCodigo->setFocus(); });
}

void TfrmAgregaCompra::MonedaCambiada()
{
    if (cambiandoMoneda_)
        return;
    QString motivo;
    QString aviso;
    const bool cambiada = entrada_->EstablecerMoneda(rbMoneda2->isChecked() ? 2 : 1, &motivo, &aviso);
    if (!cambiada) {
        cambiandoMoneda_ = true;
        (entrada_->Moneda() == 2 ? rbMoneda2 : rbMoneda1)->setChecked(true);
        cambiandoMoneda_ = false;
        mensajes().Advertencia(motivo, QStringLiteral("Atención"));
        return;
    }
    MostrarTotales();
    if (!aviso.isEmpty())
        mensajes().Informacion(aviso, QStringLiteral("Información"));
}

void TfrmAgregaCompra::btnBuscarBodegaClick()
{
    auto *frm = new TfrmBuscarBodega(datos_);
    connect(frm, &TfrmBuscarBodega::bodegaElegida, this,
            [this](const QString &codigo, const QString &descripcion, bool principal) {
                entrada_->EstablecerDestino(principal, codigo, descripcion);
                edDestino->setText(entrada_->Destino());
            });
    frm->AbrirDesde(this);
}

void TfrmAgregaCompra::BuscarArticulos()
{
    edCodigo->clear();
    auto *frm = new TfrmBuscarArticulos(datos_);
    frm->Origen = QStringLiteral("AgregarCompra");
    connect(frm, &TfrmBuscarArticulos::articuloElegido, this,
            [this](const QString &codigo, const QString &) { ArticuloElegido(codigo); });
    frm->AbrirDesde(this);
}

void TfrmAgregaCompra::ArticuloElegido(const QString &codigo)
{
    setEnabled(true);
    activateWindow();
    edCodigo->setText(codigo);
    edCodigo->setFocus();
    edCodigoExit();
}

void TfrmAgregaCompra::TipoComprobanteCambiado(int indice)
{
    const QString tipo = edComprobante->itemText(indice);
    if (tipo == EntradaCompra::TipoConsignacion && AbrirFacturarConsig) {
        // The chooser fills a new document, posted as an invoice.
        edComprobante->setCurrentIndex(edComprobante->findText(EntradaCompra::TipoFactura));
        entrada_->EstablecerTipoComprobante(EntradaCompra::TipoFactura);
        entrada_->ModoPedido = false;
        if (!entrada_->LimpiarFactura())
            return;
        edNombreProveedor->clear();
        edComprob->clear();
        MostrarTotales();
        AbrirFacturarConsig(*this);
        return;
    }
    if (tipo == EntradaCompra::TipoPedido) {
        // Procesar Pedido: the document is cleared and the chosen order's lines loaded.
        edComprobante->setCurrentIndex(edComprobante->findText(entrada_->TipoComprobante()));
        TfrmSelPedido sel(datos_, this);
        if (sel.exec() != QDialog::Accepted || !entrada_->LimpiarFactura())
            return;
        QString error;
        if (!entrada_->CargarPedido(sel.NroPedido, sel.CodigoProveedor, sel.NombreProveedor, sel.NumCodigoInventario, &error))
            mensajes().Error(error);
        MostrarEncabezado();
        MostrarTotales();
        LimpiarLinea();
        edCodigo->setFocus();
        return;
    }
    if (tipo == EntradaCompra::TipoConsignacion) {
        // The document stays as it is until that window exists to replace it.
        AvisoVentanaNoDisponible(QStringLiteral("Seleccionar Consignación"));
        edComprobante->setCurrentIndex(edComprobante->findText(entrada_->TipoComprobante()));
        return;
    }
    entrada_->ModoPedido = false;
    entrada_->EstablecerTipoComprobante(tipo);
}

// ---------------------------------------------------------------------------
// Discount fields

void TfrmAgregaCompra::edPOrceDescExit()
{
    edPOrceDesc->setModified(false);
    edPOrceDesc->setStyleSheet(QString());
    Currency porcentaje;
    if (!LeerImporte(edPOrceDesc->text(), porcentaje))
        porcentaje = Currency();
    if (porcentaje > Currency(100) || porcentaje < Currency()) {
        mensajes().Globo(edPOrceDesc, porcentaje < Currency() ? EntradaCompra::kPorcentajeNegativo
                                                              : EntradaCompra::kPorcentajeMayor100);
        edPOrceDesc->setFocus();
        return;
    }
    if (porcentaje == ValorAlEntrar && porcentaje == entrada_->PorcDescuento())
        return;
    if (entrada_->AplicarDescuentoGlobal(porcentaje))
        edCodigo->setFocus();
    ValorAlEntrar = porcentaje;
    MostrarTotales();
}

void TfrmAgregaCompra::edImporteDescExit()
{
    edImporteDesc->setModified(false);
    if (entrada_->AplicarDescuentoImporte(Valor(edImporteDesc)))
        edCodigo->setFocus();
    MostrarTotales();
}

// ---------------------------------------------------------------------------
// Grid

int TfrmAgregaCompra::LineaActual() const
{
    db::Dataset *ds = datos_.TMP_Compra;
    const QModelIndex i = GridCompra->currentIndex();
    if (!ds->active() || ds->isEmpty())
        return 0;
    if (i.isValid())
        ds->setRecNo(i.row());
    return ds->fieldByName(QStringLiteral("ID_TEMP_COMPRA")).asInteger();
}

void TfrmAgregaCompra::EliminarLinea()
{
    const int id = LineaActual();
    if (id == 0)
        return;
    entrada_->EliminarLinea(id);
    MostrarTotales();
}

void TfrmAgregaCompra::ModificarLinea()
{
    const int id = LineaActual();
    if (id == 0)
        return;
    auto *frm = new TfrmModificarLinea(datos_, *entrada_, id);
    connect(frm, &TfrmModificarLinea::lineaModificada, this, &TfrmAgregaCompra::MostrarTotales);
    frm->AbrirDesde(this);
}

// ---------------------------------------------------------------------------
// Commands

void TfrmAgregaCompra::btnEmitirClick()
{
    if (!btnEmitir->isEnabled() || !isEnabled())
        return;
    if (edComprob->isModified())
        edComprobExit();
    entrada_->EstablecerFecha(edFecha->date());
    using F = EntradaCompra::Falla;
    const EntradaCompra::Validacion v = entrada_->Validar();
    switch (v.falla) {
    case F::Ninguna:
        ProcesarComprobante();
        break;
    case F::SinProveedor:
        mensajes().Globo(edNombreProveedor, v.mensaje);
        btnBuscaProveedor->setFocus();
        break;
    case F::SinComprobante:
    case F::ComprobanteUsado:
        mensajes().Globo(edComprob, v.mensaje);
        edComprob->setFocus();
        break;
    case F::SinFecha:
        mensajes().Globo(edFecha, v.mensaje);
        edFecha->setFocus();
        break;
    case F::SinLineas:
        mensajes().Globo(GridCompra, v.mensaje);
        edCodigo->setFocus();
        break;
    case F::TipoCambioCero:
        mensajes().Advertencia(v.mensaje, QStringLiteral("Atención"));
        break;
    case F::ElegirPrecios:
        ElegirPrecios(v.codigosVariosCostos);
        break;
    case F::ErrorBaseDatos:
    case F::TotalExcede:
        mensajes().Error(v.mensaje);
        break;
    }
}

void TfrmAgregaCompra::ElegirPrecios(const QStringList &codigos)
{
    auto *frm = new TfrmSeleccionaPrecioCompra(*entrada_, codigos);
    connect(frm, &TfrmSeleccionaPrecioCompra::preciosAplicados, this, [this] {
        // Back to the checks: the number may have been used meanwhile.
        QMetaObject::invokeMethod(this, &TfrmAgregaCompra::btnEmitirClick, Qt::QueuedConnection);
    });
    frm->AbrirDesde(this);
}

void TfrmAgregaCompra::ProcesarComprobante()
{
    if (!entrada_->EsCompra()) {
        if (AbrirGuardarConsignacion)
            AbrirGuardarConsignacion(*this);
        else
            AvisoVentanaNoDisponible(QStringLiteral("Recepción de Consignación"));
        return;
    }
    if (entrada_->TipoComprobante() == EntradaCompra::TipoNotaCredito) {
        AbrirDevolucion();
        return;
    }
    if (entrada_->AplicarExencion())
        mensajes().Informacion(EntradaCompra::kProveedorExento);
    AbrirPago();
}

void TfrmAgregaCompra::AbrirDevolucion()
{
    DocumentoDevolucion doc;
    doc.comprobante = entrada_->Comprobante();
    doc.codProveedor = entrada_->CodigoProveedor();
    doc.fecha = entrada_->Fecha();
    doc.monedaCarga = entrada_->Moneda();
    doc.porcDescuento = entrada_->PorcDescuento();
    auto *frm = new TfrmNCDevolucion(datos_, doc);
    QPointer<TfrmAgregaCompra> yo(this);
    connect(frm, &TfrmNCDevolucion::cerrada, this, [yo] {
        if (yo)
            yo->setEnabled(true);
    });
    connect(frm, &TfrmNCDevolucion::registrada, this, [yo](int) {
        if (yo) {
            yo->setEnabled(true);
            yo->close();
        }
    });
    setEnabled(false);
    frm->show();
    frm->raise();
    frm->activateWindow();
}

void TfrmAgregaCompra::AbrirPago()
{
    if (AbrirPagoCompra) {
        AbrirPagoCompra(*this);
        return;
    }
    // The chosen purchase prices travel in the document and are written by the posting itself,
    // so "Volver" leaves them unwritten and a failed posting takes them back.
    auto *pago = new TfrmProcesar(datos_, DocumentoDeEntrada(*entrada_), TotalesDeEntrada(entrada_->Totales()));
    QPointer<TfrmAgregaCompra> yo(this);
    connect(pago, &TfrmProcesar::procesada, this, [yo](int) {
        if (yo)
            yo->close();
    });
    pago->AbrirDesde(this);
}

void TfrmAgregaCompra::btnAnularClick()
{
    if (!mensajes().PreguntaDestructiva(QStringLiteral("Realmente desea anular esta Factura?"), QStringLiteral("Atención")))
        return;
    if (entrada_->LimpiarFactura()) {
        MostrarEncabezado();
        MostrarTotales();
        LimpiarLinea();
        edCodigo->setFocus();
    }
}

void TfrmAgregaCompra::btnSalirClick()
{
    if (!mensajes().PreguntaDestructiva(QStringLiteral("Realmente desea Salir y Cancelar este comprobante?"),
                                        QStringLiteral("Atención")))
        return;
    if (entrada_->LimpiarFactura())
        close();
}

void TfrmAgregaCompra::closeEvent(QCloseEvent *e)
{
    llamador_.Habilitar();
    QWidget::closeEvent(e);
}

// ---------------------------------------------------------------------------
// Spreadsheet

void TfrmAgregaCompra::btnSearchFileClick()
{
    const QString archivo =
        PedirArchivo ? PedirArchivo(this)
                     : QFileDialog::getOpenFileName(this, QStringLiteral("Abrir"), QString(),
                                                    QStringLiteral("Hoja de Cálculo (*.xlsx *.xls *.ods)"));
    if (archivo.isEmpty())
        return;
    edArchivoXLS->setText(archivo);
    ArchivoElegido = true;
}

void TfrmAgregaCompra::CargarArchivo()
{
    if (!ArchivoElegido || edArchivoXLS->text().isEmpty()) {
        mensajes().Informacion(EntradaCompra::kSinArchivo);
        return;
    }
    QPointer<TfrmTextoEspera> espera = new TfrmTextoEspera;
    espera->Mostrar(this);
    setEnabled(false);
    const ResultadoImportacion r = entrada_->ImportarArchivo(edArchivoXLS->text(), [&espera](int hechas, int total) {
        if (espera)
            espera->Avance(hechas, total);
    });
    setEnabled(true);
    if (espera)
        espera->close();
    MostrarTotales();
    if (!r.ok)
        mensajes().Advertencia(r.mensaje, QStringLiteral("Atención"));
    else if (!r.mensaje.isEmpty())
        mensajes().Informacion(r.mensaje, QStringLiteral("Información"));
    edCodigo->setFocus();
}

void TfrmAgregaCompra::btn_GenPlanillaClick()
{
    const QString documentos = CarpetaDocumentos
                                   ? CarpetaDocumentos()
                                   : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString error;
    const QString copia = EntradaCompra::CopiarPlantilla(VerVariable(QStringLiteral("PathReportes")), documentos, &error);
    if (copia.isEmpty()) {
        mensajes().Informacion(error);
        return;
    }
    try {
        THojaCalc hoja(copia, true);
    } catch (const ErrorLibro &e) {
        mensajes().Error(e.mensaje());
    }
}
