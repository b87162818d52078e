#include "catalogs/Comp_frmfichaarticulo.h"

#include "catalogs/Comp_frmbuscarfamilia.h"
#include "catalogs/Comp_frmfichafamilia.h"
#include "catalogs/Comp_frmubicaciones.h"
#include "catalogs/Comp_frmunidadmedida.h"
#include "data/Comp_fdatos.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "ui/NombreControl.h"
#include "ui/Permisos.h"

#include "catalogs/Comp_frmcomposicion.h"
#include "catalogs/Comp_frmartfraccionados.h"
#include "catalogs/Comp_frmlaboratorios.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

const QString kSi = QStringLiteral("S");
const QString kNo = QStringLiteral("N");
const QString kAtencion = QStringLiteral("Atención");
const QString kFormatoPrecio = QStringLiteral("#,##0.00");

QString SN(bool si) { return si ? kSi : kNo; }

// The number typed in an edit (empty is 0); a text that is not an amount throws ErrorImporte.
Currency Leido(const QLineEdit *ed)
{
    return CalculadoraPrecios::ValorDeTexto(ed->text());
}

QLineEdit *Edit(QWidget *padre, const char *nombre, int largo = 0)
{
    auto *e = nombrar(new QLineEdit(padre), nombre);
    if (largo > 0) {
        e->setMaxLength(largo);
        e->setValidator(new ValidadorMayusculas(e));
    }
    return e;
}

QPushButton *Boton(QWidget *padre, const char *nombre, const QString &texto, const QString &ayuda = QString())
{
    auto *b = nombrar(new QPushButton(texto, padre), nombre);
    b->setToolTip(ayuda);
    b->setAutoDefault(false);
    return b;
}

QCheckBox *Casilla(QWidget *padre, const char *nombre, const QString &texto)
{
    return nombrar(new QCheckBox(texto, padre), nombre);
}

QTableWidget *Grilla(QWidget *padre, const char *nombre, const QStringList &columnas)
{
    auto *g = nombrar(new QTableWidget(0, int(columnas.size()), padre), nombre);
    g->setHorizontalHeaderLabels(columnas);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->verticalHeader()->hide();
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

void Celdas(QTableWidget *g, int fila, const QStringList &textos)
{
    for (int c = 0; c < textos.size(); ++c)
        g->setItem(fila, c, new QTableWidgetItem(textos[c]));
}

// Three buttons (search, new, clear) beside a name box.
QHBoxLayout *ConBotones(QWidget *caja, std::initializer_list<QPushButton *> botones)
{
    auto *h = new QHBoxLayout;
    h->addWidget(caja, 1);
    for (QPushButton *b : botones) {
        b->setFixedWidth(30);
        h->addWidget(b);
    }
    return h;
}

} // namespace

TfrmFichaArticulo::TfrmFichaArticulo(TFDatosComp &datos, const QString &origen, const QString &codigo, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), datos_(datos),
      ficha_(ConexionesDeDatosComp(datos), AjustesDeFicha(datos)), origen_(origen)
{
    setObjectName(QStringLiteral("frmFichaArticulo"));
    setWindowTitle(QStringLiteral("Ficha de Artículo"));
    setAttribute(Qt::WA_DeleteOnClose);
    formatoCantidad_ = datos_.FormatearCantidad();
    art_ = ficha_.Nuevo(origen_, codigo);
    Construir();
    Conectar();

    const AjustesFicha &a = ficha_.Ajustes();
    const TArticuloInventario &f = art_.fila;
    // The new record's values into the controls.
    editCodBarras->setText(f.OLD_COD_BARRAS);
    chkGravado->setChecked(f.GRAVADO == kSi);
    chkIV->setChecked(f.IMPUESTO_INCLUIDO == kSi);
    ckRedondeaFinal->setChecked(f.REDONDEA_PRECIO_FINAL == kSi);
    ckActualizaExist->setChecked(f.ACTUALIZAR_EXIST == kSi);
    Mostrar(editPORCIV, f.PORC_IV);
    editFecom->setDate(f.FECHA_ULTIMACOMPRA.date());
    cbxFamilia->clear();
    cbxUbicacion->clear();
    cbxUnidad->clear();
    vCodigoFam.clear();
    vCodigoUbi.clear();
    vCodigoUni.clear();
    if (!a.verCostos) {
        PanelCostos->hide();
        editPrecio->hide();
        lblPrecio->hide();
    }
    PanelCalculo->setVisible(a.verCalculo);
    editCodBarras->setReadOnly(a.codigoAutomatico);
    CargarLaboratorios();
}

// ---------------------------------------------------------------------------
// Building

void TfrmFichaArticulo::Construir()
{
    editCodBarras = Edit(this, "editCodBarras", 30);
    editCodigo2 = Edit(this, "editCodigo2", 30);
    editCodigo3 = Edit(this, "editCodigo3", 30);
    EditNombre = nombrar(new QPlainTextEdit(this), "EditNombre");
    EditNombre->setTabChangesFocus(true);
    EditNombre->setFixedHeight(48);
    editNombre2 = Edit(this, "editNombre2", 100);
    edNombreProveedor = nombrar(new QLineEdit(this), "edNombreProveedor");
    edNombreProveedor->setReadOnly(true);
    btnBuscarProveedor = Boton(this, "btnBuscarProveedor", QStringLiteral("..."), QStringLiteral("Seleccionar un Proveedor"));
    btnLimpiarProveedor = Boton(this, "btnLimpiarProveedor", QStringLiteral("X"));
    cbxLaboratorio = nombrar(new QComboBox(this), "cbxLaboratorio");
    btnLaboratorios = Boton(this, "btnLaboratorios", QStringLiteral("..."), QStringLiteral("Laboratorios"));

    auto *encabezado = new QFormLayout;
    auto *codigos = new QHBoxLayout;
    codigos->addWidget(editCodBarras);
    codigos->addWidget(new QLabel(QStringLiteral("Código 2:"), this));
    codigos->addWidget(editCodigo2);
    codigos->addWidget(new QLabel(QStringLiteral("Código 3:"), this));
    codigos->addWidget(editCodigo3);
    encabezado->addRow(QStringLiteral("Código 1:"), codigos);
    encabezado->addRow(QStringLiteral("Descripción 1:"), EditNombre);
    encabezado->addRow(QStringLiteral("Descripción 2:"), editNombre2);
    auto *proveedor = ConBotones(edNombreProveedor, {btnBuscarProveedor, btnLimpiarProveedor});
    proveedor->addWidget(new QLabel(QStringLiteral("Laboratorio:"), this));
    proveedor->addWidget(cbxLaboratorio, 1);
    btnLaboratorios->setFixedWidth(30);
    proveedor->addWidget(btnLaboratorios);
    encabezado->addRow(QStringLiteral("Proveedor"), proveedor);

    Paginas = nombrar(new QTabWidget(this), "Paginas");
    tabGeneral = ConstruirGeneral();
    tabPrecios = ConstruirPrecios();
    tabComposicion = ConstruirComposicion();
    tabFraccion = ConstruirFraccion();
    tabAdicional = ConstruirAdicional();
    tabObservaciones = ConstruirObservaciones();
    Paginas->addTab(tabGeneral, QStringLiteral(" Datos Generales "));
    Paginas->addTab(tabPrecios, QStringLiteral(" Listas de Precios "));
    Paginas->addTab(tabComposicion, QStringLiteral(" Composición "));
    Paginas->addTab(tabFraccion, QStringLiteral(" Artículo Fraccionado "));
    Paginas->addTab(tabAdicional, QStringLiteral(" Información Adicional "));
    Paginas->addTab(tabObservaciones, QStringLiteral(" Observaciones "));

    btnAceptar = Boton(this, "btnAceptar", QStringLiteral(" &Aceptar "));
    btnCancelar = Boton(this, "btnCancelar", QStringLiteral(" &Cancelar "));
    auto *pie = new QHBoxLayout;
    pie->addStretch(1);
    pie->addWidget(btnAceptar);
    pie->addWidget(btnCancelar);

    auto *v = new QVBoxLayout(this);
    v->addLayout(encabezado);
    v->addWidget(Paginas, 1);
    v->addLayout(pie);
    resize(820, 600);
}

QWidget *TfrmFichaArticulo::ConstruirGeneral()
{
    auto *p = nombrar(new QWidget, "tabGeneral");
    editExistencia = Edit(p, "editExistencia");
    editApartads = Edit(p, "editApartads");
    editPrefacturados = Edit(p, "editPrefacturados");
    editMinimo = Edit(p, "editMinimo");
    editReponer = Edit(p, "editReponer");
    cbxFamilia = Edit(p, "cbxFamilia", 100);
    btnBuscarFamilia = Boton(p, "btnBuscarFamilia", QStringLiteral("..."), QStringLiteral("Seleccionar una Familia"));
    btnNuevaFamilia = Boton(p, "btnNuevaFamilia", QStringLiteral("+"), QStringLiteral("Agregar una Familia"));
    btnLimpiarFamilia = Boton(p, "btnLimpiarFamilia", QStringLiteral("X"));
    cbxUbicacion = Edit(p, "cbxUbicacion");
    cbxUbicacion->setReadOnly(true);
    btnBuscarUbicacion = Boton(p, "btnBuscarUbicacion", QStringLiteral("..."), QStringLiteral("Seleccionar una Ubicación"));
    btnNuevaUbicacion = Boton(p, "btnNuevaUbicacion", QStringLiteral("+"), QStringLiteral("Agregar una Ubicación"));
    btnLimpiarUbicacion = Boton(p, "btnLimpiarUbicacion", QStringLiteral("X"));
    cbxUnidad = Edit(p, "cbxUnidad");
    cbxUnidad->setReadOnly(true);
    btnBuscarUnidad = Boton(p, "btnBuscarUnidad", QStringLiteral("..."), QStringLiteral("Seleccionar una Unidad de Medida"));
    btnNuevaUnidad = Boton(p, "btnNuevaUnidad", QStringLiteral("+"), QStringLiteral("Agregar una Unidad de Medida"));
    btnLimpiarUnidad = Boton(p, "btnLimpiarUnidad", QStringLiteral("X"));
    dbedtCOSTO_PROMEDIO = Edit(p, "dbedtCOSTO_PROMEDIO");
    DBEdit1 = Edit(p, "DBEdit1");

    PanelCostos = nombrar(new QWidget(p), "PanelCostos");
    editPrecom = Edit(PanelCostos, "editPrecom");
    editPPP = Edit(PanelCostos, "editPPP");
    editPPP->setEnabled(false);
    editFecom = nombrar(new QDateEdit(PanelCostos), "editFecom");
    editFecom->setCalendarPopup(true);
    editFecom->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    auto *costos = new QFormLayout(PanelCostos);
    costos->setContentsMargins(0, 0, 0, 0);
    costos->addRow(QStringLiteral("Precio de Compra:"), editPrecom);
    costos->addRow(QStringLiteral("Costo Promedio:"), editPPP);
    costos->addRow(QStringLiteral("Fecha de Última Compra:"), editFecom);

    ckCompuesto = Casilla(p, "ckCompuesto", QStringLiteral("Es un artículo Compuesto"));
    ckSerie = Casilla(p, "ckSerie", QStringLiteral("El artículo maneja Números de Serie"));
    ckFraccionado = Casilla(p, "ckFraccionado", QStringLiteral("Artículo Fraccionado"));
    ckConsignacion = Casilla(p, "ckConsignacion", QStringLiteral("Recibido en Consignación"));
    ckPromocion = Casilla(p, "ckPromocion", QStringLiteral("Artículo en Promoción "));
    ckPedidos = Casilla(p, "ckPedidos", QStringLiteral("Se filtra en pedidos"));
    ckVencimiento = Casilla(p, "ckVencimiento", QStringLiteral("Tiene Vencimiento (Control de Lotes)"));
    ckVentaPeso = Casilla(p, "ckVentaPeso", QStringLiteral("Venta al Peso"));
    ckActualizaExist = Casilla(p, "ckActualizaExist", QStringLiteral("Actualiza Existencias  "));

    auto *izq = new QFormLayout;
    izq->addRow(QStringLiteral("Existencia Actual:"), editExistencia);
    izq->addRow(QStringLiteral("Reservados por Apartados:"), editApartads);
    izq->addRow(QStringLiteral("Reservados por Prefacturas:"), editPrefacturados);
    izq->addRow(QStringLiteral("Punto de Pedido (Mínimo):"), editMinimo);
    auto *reponer = new QHBoxLayout;
    reponer->addWidget(editReponer);
    reponer->addWidget(new QLabel(QStringLiteral("(Reorden)"), p));
    izq->addRow(QStringLiteral("Cantidad a reponer:"), reponer);
    izq->addRow(QStringLiteral("Familia:"), ConBotones(cbxFamilia, {btnBuscarFamilia, btnNuevaFamilia, btnLimpiarFamilia}));
    izq->addRow(QStringLiteral("Ubicación:"),
                ConBotones(cbxUbicacion, {btnBuscarUbicacion, btnNuevaUbicacion, btnLimpiarUbicacion}));
    izq->addRow(QStringLiteral("Unidad de Medida:"), ConBotones(cbxUnidad, {btnBuscarUnidad, btnNuevaUnidad, btnLimpiarUnidad}));
    izq->addRow(QStringLiteral("Peso Bruto:"), dbedtCOSTO_PROMEDIO);
    izq->addRow(QStringLiteral("Presentación:"), DBEdit1);
    auto *der = new QVBoxLayout;
    der->addWidget(PanelCostos);
    for (QCheckBox *c : {ckCompuesto, ckSerie, ckFraccionado, ckConsignacion, ckPromocion, ckPedidos, ckVencimiento,
                         ckVentaPeso, ckActualizaExist})
        der->addWidget(c);
    der->addStretch(1);
    auto *h = new QHBoxLayout(p);
    h->addLayout(izq, 3);
    h->addLayout(der, 2);
    return p;
}

QWidget *TfrmFichaArticulo::ConstruirPrecios()
{
    auto *p = nombrar(new QWidget, "tabPrecios");
    lblPrecio = nombrar(new QLabel(QStringLiteral("Precio de Compra:"), p), "lblPrecio");
    editPrecio = Edit(p, "editPrecio");
    editPORCIV = Edit(p, "editPORCIV");
    editDescMax = Edit(p, "editDescMax");
    lblDescMax = nombrar(new QLabel(QStringLiteral("Descuento Máximo:"), p), "lblDescMax");
    lblPorcDesc = nombrar(new QLabel(QStringLiteral("%"), p), "lblPorcDesc");
    lblNotaDesc = nombrar(new QLabel(p), "lblNotaDesc");
    chkGravado = Casilla(p, "chkGravado", QStringLiteral("Gravado"));
    chkIV = Casilla(p, "chkIV", QStringLiteral("Impuesto de Ventas incluido en precios"));
    ckRedondeaFinal = Casilla(p, "ckRedondeaFinal", QStringLiteral("Redondear Precio Final"));
    ckNoDesc = Casilla(p, "ckNoDesc", QStringLiteral("Limita Descuentos "));

    auto *arriba = new QGridLayout;
    arriba->addWidget(lblPrecio, 0, 0);
    arriba->addWidget(editPrecio, 0, 1);
    arriba->addWidget(new QLabel(QStringLiteral("Porcentaje de I.V.:"), p), 1, 0);
    arriba->addWidget(editPORCIV, 1, 1);
    arriba->addWidget(chkGravado, 0, 2);
    arriba->addWidget(chkIV, 1, 2);
    arriba->addWidget(ckRedondeaFinal, 2, 2);
    arriba->addWidget(ckNoDesc, 2, 0);
    arriba->addWidget(lblNotaDesc, 2, 1);
    auto *desc = new QHBoxLayout;
    desc->addWidget(lblDescMax);
    desc->addWidget(editDescMax);
    desc->addWidget(lblPorcDesc);
    arriba->addLayout(desc, 3, 0, 1, 2);

    // The calculation columns live in their own panel so the right can hide them together.
    PanelCalculo = nombrar(new QWidget(p), "PanelCalculo");
    auto *calc = new QGridLayout(PanelCalculo);
    calc->setContentsMargins(0, 0, 0, 0);
    auto *precios = new QGridLayout;
    const QStringList titulos = {QStringLiteral("Base de Cálculo"), QStringLiteral("Coef. 1(%)"), QStringLiteral("Coef. 2 (%)"),
                                 QStringLiteral("Redondeo"), QStringLiteral("Suma Fija")};
    for (int c = 0; c < titulos.size(); ++c)
        calc->addWidget(new QLabel(titulos[c], PanelCalculo), 0, c);
    lblPrecio1 = nombrar(new QLabel(p), "lblPrecio1");
    lblPrecio2 = nombrar(new QLabel(p), "lblPrecio2");
    precios->addWidget(new QLabel(p), 0, 0);
    precios->addWidget(lblPrecio1, 0, 1);
    precios->addWidget(lblPrecio2, 0, 2);
    for (int i = 0; i < 4; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        cbxBase[i] = nombrar(new QComboBox(PanelCalculo), ("cbxBase_" + n).constData());
        cbxBase[i]->addItems({QStringLiteral("Manual"), QStringLiteral("Último precio de compra"), QStringLiteral("Costo Promedio")});
        if (i > 0)
            cbxBase[i]->addItem(QStringLiteral("Precio de Venta 1"));
        editCoefA[i] = Edit(PanelCalculo, ("editCoefA_" + n).constData());
        editCoefB[i] = Edit(PanelCalculo, ("editCoefB_" + n).constData());
        editRedondeo[i] = Edit(PanelCalculo, ("editRedondeo_" + n).constData());
        editSumaFija[i] = Edit(PanelCalculo, ("editSumaFija_" + n).constData());
        editPrecioSin[i] = Edit(p, ("editPrecioSin_" + n).constData());
        edPrecioSin[i] = Edit(p, ("edPrecioSin_" + n).constData());
        editPrecioCon[i] = Edit(p, ("editPrecioCon_" + n).constData());
        edPrecioSin[i]->setReadOnly(true);
        editPrecioCon[i]->setReadOnly(true);
        calc->addWidget(cbxBase[i], i + 1, 0);
        calc->addWidget(editCoefA[i], i + 1, 1);
        calc->addWidget(editCoefB[i], i + 1, 2);
        calc->addWidget(editRedondeo[i], i + 1, 3);
        calc->addWidget(editSumaFija[i], i + 1, 4);
        precios->addWidget(new QLabel(QStringLiteral("Precio %1").arg(i + 1), p), i + 1, 0);
        precios->addWidget(editPrecioSin[i], i + 1, 1);
        precios->addWidget(edPrecioSin[i], i + 1, 2);
        precios->addWidget(editPrecioCon[i], i + 1, 3);
    }
    lblAvisoPrecios = nombrar(new QLabel(p), "lblAvisoPrecios");
    lblAvisoPrecios->setStyleSheet(QStringLiteral("color: #b00000;"));
    auto *niveles = new QHBoxLayout;
    niveles->addWidget(PanelCalculo, 3);
    niveles->addLayout(precios, 2);
    auto *v = new QVBoxLayout(p);
    v->addLayout(arriba);
    v->addLayout(niveles);
    v->addWidget(lblAvisoPrecios);
    v->addStretch(1);
    return p;
}

QWidget *TfrmFichaArticulo::ConstruirComposicion()
{
    auto *p = nombrar(new QWidget, "tabComposicion");
    gridComposicion = Grilla(p, "gridComposicion", {QStringLiteral(" Código"), QStringLiteral(" Descripción"),
                                                     QStringLiteral("Cantidad"), QStringLiteral("Costo Unitario"),
                                                     QStringLiteral("Costo Total")});
    btnAgregarCompuesto = Boton(p, "btnAgregarCompuesto", QStringLiteral(" Agregar "));
    btnBorrarCompuesto = Boton(p, "btnBorrarCompuesto", QStringLiteral(" Borrar "));
    lblCostoComponentes = nombrar(new QLabel(p), "lblCostoComponentes");
    auto *b = new QHBoxLayout;
    b->addWidget(btnAgregarCompuesto);
    b->addWidget(btnBorrarCompuesto);
    b->addStretch(1);
    b->addWidget(lblCostoComponentes);
    auto *v = new QVBoxLayout(p);
    v->addWidget(gridComposicion, 1);
    v->addLayout(b);
    return p;
}

QWidget *TfrmFichaArticulo::ConstruirFraccion()
{
    auto *p = nombrar(new QWidget, "tabFraccion");
    SMDBGrid1 = Grilla(p, "SMDBGrid1", {QStringLiteral(" Presentación"), QStringLiteral("% Ajuste Precio")});
    btnAgregarFraccion = Boton(p, "btnAgregarFraccion", QStringLiteral(" Agregar "));
    btnBorrarFraccion = Boton(p, "btnBorrarFraccion", QStringLiteral(" Borrar "));
    auto *b = new QHBoxLayout;
    b->addWidget(btnAgregarFraccion);
    b->addWidget(btnBorrarFraccion);
    b->addStretch(1);
    auto *v = new QVBoxLayout(p);
    v->addWidget(SMDBGrid1, 1);
    v->addLayout(b);
    return p;
}

QWidget *TfrmFichaArticulo::ConstruirAdicional()
{
    auto *p = nombrar(new QWidget, "tabAdicional");
    auto *f = new QFormLayout(p);
    for (int i = 0; i < 4; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        lblNombre[i] = nombrar(new QLabel(p), ("lblNombre" + n).constData());
        edLibre[i] = Edit(p, ("edLibre" + n).constData(), 200);
        f->addRow(lblNombre[i], edLibre[i]);
    }
    return p;
}

QWidget *TfrmFichaArticulo::ConstruirObservaciones()
{
    auto *p = nombrar(new QWidget, "tabObservaciones");
    edObs = Edit(p, "edObs", 400);
    grid_Compo = Grilla(p, "grid_Compo", {QStringLiteral("Componente"), QStringLiteral("Cantidad")});
    DBCombo_Droga = nombrar(new QComboBox(p), "DBCombo_Droga");
    DBCombo_Droga->setEditable(true);
    DBCombo_Droga->lineEdit()->setMaxLength(120);
    DBCombo_Droga->lineEdit()->setValidator(new ValidadorMayusculas(DBCombo_Droga));
    dbedt_Cantidad = Edit(p, "dbedt_Cantidad", 10);
    btnAgregarCompo = Boton(p, "btnAgregarCompo", QStringLiteral("Agregar"));
    btnBorrarCompo = Boton(p, "btnBorrarCompo", QStringLiteral("Borrar"));
    btnAceptarCompo = Boton(p, "btnAceptarCompo", QStringLiteral("Aceptar"));
    btnCancelarCompo = Boton(p, "btnCancelarCompo", QStringLiteral("Cancelar"));
    auto *f = new QFormLayout;
    f->addRow(QStringLiteral("Observaciones:"), edObs);
    auto *entrada = new QHBoxLayout;
    entrada->addWidget(DBCombo_Droga, 3);
    entrada->addWidget(dbedt_Cantidad, 1);
    for (QPushButton *b : {btnAgregarCompo, btnBorrarCompo, btnAceptarCompo, btnCancelarCompo})
        entrada->addWidget(b);
    auto *v = new QVBoxLayout(p);
    v->addLayout(f);
    v->addWidget(grid_Compo, 1);
    v->addLayout(entrada);
    ModoIngrediente(false);
    return p;
}

// ---------------------------------------------------------------------------
// Wiring

void TfrmFichaArticulo::Conectar()
{
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);

    connect(EditNombre, &QPlainTextEdit::textChanged, this, [this] {
        const QString texto = EditNombre->toPlainText();
        const QString arreglado = texto.toUpper().left(200);
        if (arreglado == texto)
            return;
        QTextCursor cursor = EditNombre->textCursor();
        const int pos = std::min<int>(cursor.position(), int(arreglado.size()));
        const QSignalBlocker bloqueo(EditNombre);
        EditNombre->setPlainText(arreglado);
        cursor = EditNombre->textCursor();
        cursor.setPosition(pos);
        EditNombre->setTextCursor(cursor);
    });
    connect(editCodBarras, &QLineEdit::editingFinished, this, &TfrmFichaArticulo::VerificarUnicidadCodigoBarras);
    const std::pair<QLineEdit *, Currency TArticuloInventario::*> cantidades[] = {
        {editExistencia, &TArticuloInventario::STOCK},
        {editApartads, &TArticuloInventario::RESERVA_APARTADOS},
        {editPrefacturados, &TArticuloInventario::RESERVA_PREFACTURA},
        {editMinimo, &TArticuloInventario::STOCK_MINIMO},
        {editReponer, &TArticuloInventario::REPOSICION},
        {dbedtCOSTO_PROMEDIO, &TArticuloInventario::PESONETO},
        {DBEdit1, &TArticuloInventario::PRESENTACION},
    };
    for (const auto &[ed, campo] : cantidades)
        connect(ed, &QLineEdit::editingFinished, this, [this, ed = ed, campo = campo] { CantidadExit(ed, art_.fila.*campo); });
    // Both purchase-price edits feed the calculator.
    for (QLineEdit *ed : {editPrecom, editPrecio})
        connect(ed, &QLineEdit::editingFinished, this, [this, ed] {
            if (cerrando_.isEmpty())
                Recalcular(ed, [ed](CalculadoraPrecios &c) { c.FijarPrecioCompra(Leido(ed)); });
        });
    connect(editPORCIV, &QLineEdit::editingFinished, this, [this] {
        if (!cerrando_.isEmpty())
            return;
        Recalcular(editPORCIV, [this](CalculadoraPrecios &c) {
            PreciosArticulo p = c.Precios();
            p.iv.porcIv = Leido(editPORCIV);
            CalculadoraPrecios nueva(p, ficha_.Ajustes().precios);
            nueva.Calcular();
            c = nueva;
        });
    });
    connect(editDescMax, &QLineEdit::editingFinished, this, &TfrmFichaArticulo::DescuentoExit);
    for (int i = 0; i < 4; ++i) {
        const int n = i + 1;
        connect(cbxBase[i], &QComboBox::currentIndexChanged, this, [this, n](int indice) {
            if (!preparando_ && cerrando_.isEmpty())
                Recalcular(cbxBase[n - 1], [n, indice](CalculadoraPrecios &c) { c.FijarBase(n, indice); });
        });
        connect(editCoefA[i], &QLineEdit::editingFinished, this, [this, n] {
            Recalcular(editCoefA[n - 1], [n, ed = editCoefA[n - 1]](CalculadoraPrecios &c) { c.FijarCoefA(n, Leido(ed)); });
        });
        connect(editCoefB[i], &QLineEdit::editingFinished, this, [this, n] {
            Recalcular(editCoefB[n - 1], [n, ed = editCoefB[n - 1]](CalculadoraPrecios &c) { c.FijarCoefB(n, Leido(ed)); });
        });
        connect(editSumaFija[i], &QLineEdit::editingFinished, this, [this, n] {
            Recalcular(editSumaFija[n - 1],
                       [n, ed = editSumaFija[n - 1]](CalculadoraPrecios &c) { c.FijarSumaFija(n, Leido(ed)); });
        });
        connect(editRedondeo[i], &QLineEdit::editingFinished, this, [this, n] {
            Recalcular(editRedondeo[n - 1], [n, ed = editRedondeo[n - 1]](CalculadoraPrecios &c) {
                c.FijarRedondeo(n, static_cast<int>(Leido(ed).raw() / Currency::Scale));
            });
        });
        connect(editPrecioSin[i], &QLineEdit::editingFinished, this, [this, n] {
            if (editPrecioSin[n - 1]->isReadOnly())
                return;
            Recalcular(editPrecioSin[n - 1],
                       [n, ed = editPrecioSin[n - 1]](CalculadoraPrecios &c) { c.FijarPrecio(n, Leido(ed)); });
        });
    }
    connect(chkGravado, &QCheckBox::clicked, this, [this](bool si) {
        if (cerrando_.isEmpty())
            Recalcular(chkGravado, [si](CalculadoraPrecios &c) { c.FijarGravado(si); });
        ValidaRedondeoFinal();
    });
    connect(chkIV, &QCheckBox::clicked, this, [this](bool si) {
        if (cerrando_.isEmpty())
            Recalcular(chkIV, [si](CalculadoraPrecios &c) { c.FijarIvIncluido(si); });
        ValidaRedondeoFinal();
    });
    connect(ckRedondeaFinal, &QCheckBox::clicked, this, [this](bool si) {
        if (cerrando_.isEmpty())
            Recalcular(ckRedondeaFinal, [si](CalculadoraPrecios &c) { c.FijarRedondeaFinal(si); });
        ValidaRedondeoFinal();
    });
    connect(ckNoDesc, &QCheckBox::clicked, this, &TfrmFichaArticulo::MostrarLimiteDescuento);
    connect(Paginas, &QTabWidget::currentChanged, this, [this](int) {
        if (Paginas->currentWidget() == tabPrecios && !preparando_) {
            MostrarLimiteDescuento();
            MostrarPrecios();
        } else if (Paginas->currentWidget() == tabObservaciones) {
            const QString actual = DBCombo_Droga->currentText();
            DBCombo_Droga->clear();
            try {
                DBCombo_Droga->addItems(ficha_.Drogas());
            } catch (const ErrorCompras &e) {
                mensajes().Error(e.mensaje());
            }
            DBCombo_Droga->setCurrentText(actual);
        }
    });
    connect(ckCompuesto, &QCheckBox::clicked, this, [this] {
        MostrarTabs();
        CostoCompuestoAPrecio();
    });
    connect(ckFraccionado, &QCheckBox::clicked, this, &TfrmFichaArticulo::MostrarTabs);

    // Family, location, unit and supplier.
    connect(cbxFamilia, &QLineEdit::editingFinished, this, &TfrmFichaArticulo::AsignarFamilia);
    connect(btnBuscarFamilia, &QPushButton::clicked, this, [this] {
        BuscarFamilia(datos_, this, OrigenFamilia::Arti,
                      [this](const QString &codigo, const QString &nombre) { FamiliaElegida(codigo, nombre, true); });
    });
    connect(btnNuevaFamilia, &QPushButton::clicked, this, [this] {
        auto *f = new TfrmFichaFamilia(datos_, true, OrigenFamilia::Arti);
        connect(f, &TfrmFichaFamilia::familiaGuardada, this,
                [this](const QString &codigo, const QString &nombre) { FamiliaElegida(codigo, nombre, true); });
        f->AbrirDesde(this);
    });
    connect(btnLimpiarFamilia, &QPushButton::clicked, this, [this] {
        cbxFamilia->clear();
        vCodigoFam.clear();
        nombreFamilia_.clear();
        if (ficha_.Ajustes().codigoAutomatico)
            editCodBarras->clear();
    });
    connect(btnBuscarUbicacion, &QPushButton::clicked, this, [this] {
        auto *b = new TfrmBuscarUbicacion(datos_, OrigenFamilia::Arti);
        connect(b, &TfrmBuscarCatalogo::registroElegido, this, &TfrmFichaArticulo::UbicacionElegida);
        b->AbrirDesde(this);
    });
    connect(btnNuevaUbicacion, &QPushButton::clicked, this, [this] {
        auto *f = new TfrmFichaUbicacion(datos_, true, OrigenFamilia::Arti);
        connect(f, &TfrmFichaCatalogo::registroGuardado, this, &TfrmFichaArticulo::UbicacionElegida);
        f->show();
    });
    connect(btnLimpiarUbicacion, &QPushButton::clicked, this, [this] { UbicacionElegida(0, QString()); });
    connect(btnBuscarUnidad, &QPushButton::clicked, this, [this] {
        auto *b = new TfrmBuscarUniMed(datos_, OrigenFamilia::Arti);
        connect(b, &TfrmBuscarCatalogo::registroElegido, this, &TfrmFichaArticulo::UnidadElegida);
        b->AbrirDesde(this);
    });
    connect(btnNuevaUnidad, &QPushButton::clicked, this, [this] {
        auto *f = new TfrmFichaUniMed(datos_, true, OrigenFamilia::Arti);
        connect(f, &TfrmFichaCatalogo::registroGuardado, this, &TfrmFichaArticulo::UnidadElegida);
        f->show();
    });
    connect(btnLimpiarUnidad, &QPushButton::clicked, this, [this] { UnidadElegida(0, QString()); });
    connect(btnBuscarProveedor, &QPushButton::clicked, this, [this] {
        if (ElegirProveedor)
            ElegirProveedor(*this);
        else
            AvisoVentanaNoDisponible(QStringLiteral("Proveedores"));
    });
    connect(btnLimpiarProveedor, &QPushButton::clicked, this, [this] { ProveedorElegido(0, QString()); });
    connect(btnLaboratorios, &QPushButton::clicked, this, [this] {
        TfrmLaboratorios lista(datos_, this);
        connect(&lista, &TfrmLaboratorios::laboratoriosCambiados, this, &TfrmFichaArticulo::CargarLaboratorios);
        lista.exec();
        CargarLaboratorios();
    });

    // Components and fractions.
    connect(btnAgregarCompuesto, &QPushButton::clicked, this, [this] {
        auto *elegir = new TfrmComposicion(datos_);
        QPointer<TfrmFichaArticulo> yo(this);
        elegir->AgregarCompuesto = [yo](const QString &codigo, const QString &nombre, const Currency &costo,
                                        const Currency &cantidad, bool fraccionado, int idFraccion) {
            if (yo)
                yo->AgregarCompuesto(codigo, nombre, costo, cantidad, fraccionado, idFraccion);
        };
        elegir->AbrirDesde(this);
    });
    connect(btnBorrarCompuesto, &QPushButton::clicked, this, [this] {
        const int fila = gridComposicion->currentRow();
        if (fila < 0 || fila >= int(art_.componentes.size()))
            return;
        if (!mensajes().PreguntaDestructiva(QStringLiteral("Desea eliminar el compuesto de la lista"), kAtencion))
            return;
        art_.componentes.erase(art_.componentes.begin() + fila);
        RefrescarComposicion();
        CostoCompuestoAPrecio();
    });
    connect(btnAgregarFraccion, &QPushButton::clicked, this, [this] {
        auto *elegir = new TfrmArtFraccionados(datos_);
        QPointer<TfrmFichaArticulo> yo(this);
        elegir->AgregarFraccionamiento = [yo](const QString &presentacion, int idFraccion, const Currency &ajuste) {
            return yo && yo->AgregarFraccionamiento(presentacion, idFraccion, ajuste);
        };
        elegir->AbrirDesde(this);
    });
    connect(btnBorrarFraccion, &QPushButton::clicked, this, [this] {
        const int fila = SMDBGrid1->currentRow();
        if (fila < 0 || fila >= int(art_.fracciones.size()))
            return;
        if (!mensajes().PreguntaDestructiva(QStringLiteral("Desea eliminar este fraccionamiento de la lista"), kAtencion))
            return;
        art_.fracciones.erase(art_.fracciones.begin() + fila);
        RefrescarFracciones();
    });

    // Active ingredients.
    connect(btnAgregarCompo, &QPushButton::clicked, this, [this] {
        ModoIngrediente(true);
        DBCombo_Droga->setCurrentText(QString());
        dbedt_Cantidad->clear();
        DBCombo_Droga->setFocus();
    });
    connect(btnCancelarCompo, &QPushButton::clicked, this, [this] { ModoIngrediente(false); });
    connect(btnAceptarCompo, &QPushButton::clicked, this, [this] {
        const QString droga = DBCombo_Droga->currentText().trimmed();
        if (droga.isEmpty()) {
            DBCombo_Droga->setFocus();
            return;
        }
        for (const IngredienteFicha &k : art_.ingredientes)
            if (k.droga == droga) {
                mensajes().Informacion(TextoFicha::IngredienteRepetido, kAtencion);
                DBCombo_Droga->setFocus();
                return;
            }
        art_.ingredientes.push_back({droga, dbedt_Cantidad->text().trimmed()});
        ModoIngrediente(false);
        RefrescarIngredientes();
    });
    connect(btnBorrarCompo, &QPushButton::clicked, this, [this] {
        const int fila = grid_Compo->currentRow();
        if (fila < 0 || fila >= int(art_.ingredientes.size()))
            return;
        if (!mensajes().PreguntaDestructiva(QStringLiteral("¿Desea Borrar el componente seleccionado?"), kAtencion))
            return;
        art_.ingredientes.erase(art_.ingredientes.begin() + fila);
        RefrescarIngredientes();
    });

    connect(btnAceptar, &QPushButton::clicked, this, &TfrmFichaArticulo::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmFichaArticulo::btnCancelarClick);
}

void TfrmFichaArticulo::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
    raise();
    activateWindow();
}

void TfrmFichaArticulo::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!mostrada_) {
        mostrada_ = true;
        FormShow();
    }
}

void TfrmFichaArticulo::FormShow()
{
    const AjustesFicha &a = ficha_.Ajustes();
    const TArticuloInventario &f = art_.fila;
    for (const auto &[ed, v] : {std::pair{editExistencia, f.STOCK}, std::pair{editApartads, f.RESERVA_APARTADOS},
                                std::pair{editPrefacturados, f.RESERVA_PREFACTURA}, std::pair{editMinimo, f.STOCK_MINIMO},
                                std::pair{editReponer, f.REPOSICION}})
        Mostrar(ed, v, true);
    art_.stockInicial = f.STOCK;
    ckPromocion->setEnabled(a.promociones);
    cerrando_.clear();
    InicializaVentana();

    PreciosArticulo p;
    p.niveles = NivelesDe(f);
    for (int i = 0; i < 4; ++i)
        if (p.niveles[i].baseCalculo >= 0 && p.niveles[i].baseCalculo < cbxBase[i]->count())
            cbxBase[i]->setCurrentIndex(p.niveles[i].baseCalculo);
    p.precioCompra = f.PRECIO_COMPRA;
    p.costoPromedio = f.COSTO_PROMEDIO;
    p.iv.porcIv = f.PORC_IV;
    p.iv.gravado = chkGravado->isChecked();
    p.iv.incluido = chkIV->isChecked();
    p.iv.redondeaFinal = ckRedondeaFinal->isChecked();
    calc_.emplace(p, a.precios);
    ValidaRedondeoFinal();
    MostrarLimiteDescuento();
    preparando_ = false;
    calc_->Calcular();
    MostrarPrecios();
    editExistencia->setEnabled(origen_ != OrigenFicha::AgregarP);
    editCodBarras->setFocus();
}

void TfrmFichaArticulo::InicializaVentana()
{
    const AjustesFicha &a = ficha_.Ajustes();
    for (int i = 0; i < 4; ++i)
        lblNombre[i]->setText(a.nombresLibres[i]);
    MostrarTabs();
    Paginas->setTabVisible(Paginas->indexOf(tabAdicional), a.adicional);
    Paginas->setCurrentWidget(tabGeneral);
}

void TfrmFichaArticulo::MostrarTabs()
{
    const int compuesto = Paginas->indexOf(tabComposicion);
    if (!ckCompuesto->isChecked())
        Paginas->setTabVisible(compuesto, false);
    else if (!ficha_.Ajustes().brisandel)
        Paginas->setTabVisible(compuesto, true);
    Paginas->setTabVisible(Paginas->indexOf(tabFraccion), ckFraccionado->isChecked());
}

void TfrmFichaArticulo::ValidaRedondeoFinal()
{
    const bool visible = chkGravado->isChecked() && !chkIV->isChecked();
    ckRedondeaFinal->setVisible(visible);
    if (!visible && ckRedondeaFinal->isChecked()) {
        ckRedondeaFinal->setChecked(false);
        if (calc_ && cerrando_.isEmpty())
            Recalcular(ckRedondeaFinal, [](CalculadoraPrecios &c) { c.FijarRedondeaFinal(false); });
    }
}

void TfrmFichaArticulo::MostrarLimiteDescuento()
{
    const bool limita = ckNoDesc->isChecked();
    lblDescMax->setVisible(limita);
    editDescMax->setVisible(limita);
    lblPorcDesc->setVisible(limita);
    lblNotaDesc->setText(limita ? QStringLiteral(">>") : QStringLiteral("(permite cualquier descuento)"));
}

// ---------------------------------------------------------------------------
// Field edits

Currency TfrmFichaArticulo::Valor(QLineEdit *ed) const
{
    try {
        return CalculadoraPrecios::ValorDeTexto(ed->text().trimmed());
    } catch (const ErrorCompras &) {
        return Currency();
    }
}

void TfrmFichaArticulo::Mostrar(QLineEdit *ed, Currency valor, bool cantidad)
{
    ed->setText(FormatCurrency(cantidad ? formatoCantidad_ : kFormatoPrecio, valor));
}

void TfrmFichaArticulo::CantidadExit(QLineEdit *ed, Currency &campo)
{
    if (!cerrando_.isEmpty())
        return;
    try {
        campo = CalculadoraPrecios::ValorDeTexto(ed->text().trimmed());
        Mostrar(ed, campo, true);
    } catch (const ErrorCompras &e) {
        mensajes().Globo(ed, e.mensaje());
        Mostrar(ed, campo, true);
    }
}

void TfrmFichaArticulo::DescuentoExit()
{
    if (!cerrando_.isEmpty())
        return;
    const auto [valor, globo] = FichaArticulo::DescuentoValido(Valor(editDescMax));
    art_.fila.DESC_MAX_ART = valor;
    Mostrar(editDescMax, valor);
    if (!globo.isEmpty())
        mensajes().Globo(editDescMax, globo);
}

void TfrmFichaArticulo::VerificarUnicidadCodigoBarras()
{
    if (!cerrando_.isEmpty() || editCodBarras->isReadOnly())
        return;
    const QString codigo = editCodBarras->text().trimmed();
    try {
        if (!ficha_.CodigoExiste(codigo))
            return;
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return;
    }
    mensajes().Informacion(TextoFicha::CodigoExiste, kAtencion);
    editCodBarras->clear();
    editCodBarras->setFocus();
}

void TfrmFichaArticulo::AsignarFamilia()
{
    if (!cerrando_.isEmpty())
        return;
    const QString texto = cbxFamilia->text().trimmed();
    if (texto == nombreFamilia_)
        return;
    std::optional<std::pair<QString, QString>> f;
    try {
        f = ficha_.BuscarFamilia(texto);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
    if (f) {
        vCodigoFam = f->first;
        nombreFamilia_ = f->second;
    }
    cbxFamilia->setText(nombreFamilia_);
}

void TfrmFichaArticulo::FamiliaElegida(const QString &codigo, const QString &nombre, bool proponerCodigo)
{
    vCodigoFam = codigo;
    nombreFamilia_ = nombre;
    cbxFamilia->setText(nombre);
    setEnabled(true);
    if (proponerCodigo && ficha_.Ajustes().codigoAutomatico) {
        try {
            editCodBarras->setText(ficha_.CodigoAutomatico(codigo));
        } catch (const ErrorCompras &e) {
            mensajes().Error(e.mensaje());
        }
    }
}

void TfrmFichaArticulo::UbicacionElegida(int codigo, const QString &nombre)
{
    vCodigoUbi = codigo > 0 ? QString::number(codigo) : QString();
    cbxUbicacion->setText(nombre);
}

void TfrmFichaArticulo::UnidadElegida(int codigo, const QString &nombre)
{
    vCodigoUni = codigo > 0 ? QString::number(codigo) : QString();
    cbxUnidad->setText(nombre);
}

void TfrmFichaArticulo::ProveedorElegido(int codigo, const QString &nombre)
{
    art_.fila.FK_PROVEEDOR = codigo;
    edNombreProveedor->setText(nombre);
    setEnabled(true);
}

void TfrmFichaArticulo::CargarLaboratorios()
{
    const int actual = cbxLaboratorio->currentData().toInt();
    cbxLaboratorio->clear();
    cbxLaboratorio->addItem(QString(), 0);
    try {
        for (const auto &[id, nombre] : ficha_.Laboratorios())
            cbxLaboratorio->addItem(nombre, id);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
    cbxLaboratorio->setCurrentIndex(std::max(0, cbxLaboratorio->findData(actual)));
}

// ---------------------------------------------------------------------------
// Prices

void TfrmFichaArticulo::Recalcular(QWidget *ed, const std::function<void(CalculadoraPrecios &)> &cambio)
{
    if (preparando_ || !calc_)
        return;
    try {
        cambio(*calc_);
    } catch (const ErrorCompras &e) {
        mensajes().Globo(ed, e.mensaje());
    }
    MostrarPrecios();
}

void TfrmFichaArticulo::MostrarPrecios()
{
    if (!calc_)
        return;
    const CalculadoraPrecios &c = *calc_;
    const PreciosArticulo &p = c.Precios();
    const auto titulos = c.TitulosColumnas(ficha_.Ajustes().siglas);
    lblPrecio1->setText(titulos[0]);
    lblPrecio2->setText(titulos[1]);
    const bool conIv = c.ColumnaConIvVisible();
    QStringList errores;
    for (int i = 0; i < 4; ++i) {
        const NivelPrecio &n = p.niveles[i];
        const EstadoNivel &e = c.Estado(i + 1);
        {
            const QSignalBlocker b(cbxBase[i]);
            if (n.baseCalculo >= 0 && n.baseCalculo < cbxBase[i]->count())
                cbxBase[i]->setCurrentIndex(n.baseCalculo);
        }
        Mostrar(editCoefA[i], n.coefA);
        Mostrar(editCoefB[i], n.coefB);
        editRedondeo[i]->setText(QString::number(n.redondeo));
        Mostrar(editSumaFija[i], n.sumaFija);
        Mostrar(editPrecioSin[i], n.preven);
        Mostrar(edPrecioSin[i], n.precioSinIv);
        Mostrar(editPrecioCon[i], n.precioConIv);
        for (QLineEdit *ed : {editCoefA[i], editCoefB[i], editRedondeo[i], editSumaFija[i]})
            ed->setEnabled(e.reglaEditable);
        editPrecioSin[i]->setReadOnly(!e.precioEditable);
        edPrecioSin[i]->setVisible(!conIv);
        editPrecioCon[i]->setVisible(conIv);
        if (e.conError)
            errores << QString::number(i + 1);
    }
    lblAvisoPrecios->setText(errores.isEmpty() ? QString()
                                               : QStringLiteral("No se pudo calcular el precio %1; conserva sus valores anteriores.")
                                                     .arg(errores.join(QStringLiteral(", "))));
    if (ficha_.Ajustes().verCostos) {
        Mostrar(editPrecom, p.precioCompra);
        Mostrar(editPrecio, p.precioCompra);
        Mostrar(editPPP, p.costoPromedio);
    }
    Mostrar(editPORCIV, p.iv.porcIv);
}

void TfrmFichaArticulo::CostoCompuestoAPrecio()
{
    if (!ckCompuesto->isChecked() || art_.componentes.empty())
        return;
    const Currency costo = FichaArticulo::CostoComponentes(art_.componentes);
    Recalcular(editPrecom, [costo](CalculadoraPrecios &c) { c.FijarPrecioCompra(costo); });
}

// ---------------------------------------------------------------------------
// Components, fractions, ingredients

void TfrmFichaArticulo::AgregarCompuesto(const QString &codigo, const QString &nombre, const Currency &costo,
                                         const Currency &cantidad, bool fraccionado, int idFraccion)
{
    std::optional<ComponenteFicha> k;
    try {
        k = ficha_.Componente(codigo, nombre, costo, cantidad, fraccionado, idFraccion);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return;
    }
    if (!k)
        return;
    art_.componentes.push_back(*k);
    RefrescarComposicion();
    CostoCompuestoAPrecio();
}

bool TfrmFichaArticulo::AgregarFraccionamiento(const QString &presentacion, int idFraccion, const Currency &ajuste)
{
    for (const FraccionFicha &f : art_.fracciones)
        if (f.idFraccion == idFraccion)
            return false;
    art_.fracciones.push_back({presentacion, idFraccion, ajuste});
    RefrescarFracciones();
    return true;
}

void TfrmFichaArticulo::RefrescarComposicion()
{
    gridComposicion->setRowCount(int(art_.componentes.size()));
    for (int i = 0; i < int(art_.componentes.size()); ++i) {
        const ComponenteFicha &k = art_.componentes[i];
        Celdas(gridComposicion, i, {k.codigo, k.nombre, FormatCurrency(formatoCantidad_, k.cantidad),
                                    FormatoMoneda(k.costo), FormatoMoneda(k.CostoTotal())});
    }
    lblCostoComponentes->setText(QStringLiteral("Costo Total: ") + FormatoMoneda(FichaArticulo::CostoComponentes(art_.componentes)));
}

void TfrmFichaArticulo::RefrescarFracciones()
{
    SMDBGrid1->setRowCount(int(art_.fracciones.size()));
    for (int i = 0; i < int(art_.fracciones.size()); ++i)
        Celdas(SMDBGrid1, i, {art_.fracciones[i].presentacion, FormatoMoneda(art_.fracciones[i].ajuste)});
}

void TfrmFichaArticulo::RefrescarIngredientes()
{
    grid_Compo->setRowCount(int(art_.ingredientes.size()));
    for (int i = 0; i < int(art_.ingredientes.size()); ++i)
        Celdas(grid_Compo, i, {art_.ingredientes[i].droga, art_.ingredientes[i].cantidad});
}

void TfrmFichaArticulo::ModoIngrediente(bool agregando)
{
    btnAgregarCompo->setVisible(!agregando);
    btnBorrarCompo->setVisible(!agregando);
    btnAceptarCompo->setVisible(agregando);
    btnCancelarCompo->setVisible(agregando);
    DBCombo_Droga->setEnabled(agregando);
    dbedt_Cantidad->setEnabled(agregando);
}

// ---------------------------------------------------------------------------
// Saving and cancelling

void TfrmFichaArticulo::LeerControles()
{
    TArticuloInventario &f = art_.fila;
    f.OLD_COD_BARRAS = editCodBarras->text().trimmed();
    f.CODIGO2 = editCodigo2->text().trimmed();
    f.CODIGO3 = editCodigo3->text().trimmed();
    f.NOMBRE = EditNombre->toPlainText().trimmed();
    f.NOMBRE2 = editNombre2->text().trimmed();
    for (auto [ed, campo] : {std::pair{editExistencia, &f.STOCK}, std::pair{editApartads, &f.RESERVA_APARTADOS},
                             std::pair{editPrefacturados, &f.RESERVA_PREFACTURA}, std::pair{editMinimo, &f.STOCK_MINIMO},
                             std::pair{editReponer, &f.REPOSICION}, std::pair{dbedtCOSTO_PROMEDIO, &f.PESONETO},
                             std::pair{DBEdit1, &f.PRESENTACION}})
        *campo = Valor(ed);
    f.FECHA_ULTIMACOMPRA = QDateTime(editFecom->date(), QTime::currentTime());
    f.COD_FAMILIA = (vCodigoFam == QLatin1String("0")) ? QString() : vCodigoFam;
    f.COD_UBICACION = vCodigoUbi.toInt();
    f.COD_UNIDAD = vCodigoUni.toInt();
    f.ID_LABORATORIO = cbxLaboratorio->currentData().toInt();
    f.COMPUESTO = SN(ckCompuesto->isChecked());
    f.TIENE_SERIE = SN(ckSerie->isChecked());
    f.FRACCIONADO = SN(ckFraccionado->isChecked());
    f.CONSIGNACION = SN(ckConsignacion->isChecked());
    f.PROMOCION = SN(ckPromocion->isChecked());
    f.SE_USA_EN_PEDIDO = SN(ckPedidos->isChecked());
    f.TIENE_VENCIMIENTO = SN(ckVencimiento->isChecked());
    f.VENTAALPESO = SN(ckVentaPeso->isChecked());
    f.ACTUALIZAR_EXIST = SN(ckActualizaExist->isChecked());
    f.RESTRINGE_DESCUENTO = SN(ckNoDesc->isChecked());
    f.DESC_MAX_ART = FichaArticulo::DescuentoValido(Valor(editDescMax)).first;
    f.GRAVADO = SN(chkGravado->isChecked());
    f.IMPUESTO_INCLUIDO = SN(chkIV->isChecked());
    f.REDONDEA_PRECIO_FINAL = SN(ckRedondeaFinal->isChecked());
    f.LIBRE1 = edLibre[0]->text().trimmed();
    f.LIBRE2 = edLibre[1]->text().trimmed();
    f.LIBRE3 = edLibre[2]->text().trimmed();
    f.LIBRE4 = edLibre[3]->text().trimmed();
    f.OBS = edObs->text().trimmed();
    if (calc_) {
        const PreciosArticulo &p = calc_->Precios();
        f.PRECIO_COMPRA = p.precioCompra;
        f.PORC_IV = p.iv.porcIv;
        FijarNiveles(f, p.niveles);
    }
}

QWidget *TfrmFichaArticulo::ControlDe(FalloFicha::Campo campo) const
{
    switch (campo) {
    case FalloFicha::Campo::Codigo: return editCodBarras;
    case FalloFicha::Campo::Codigo2: return editCodigo2;
    case FalloFicha::Campo::Codigo3: return editCodigo3;
    case FalloFicha::Campo::Nombre: return EditNombre;
    case FalloFicha::Campo::Nombre2: return editNombre2;
    case FalloFicha::Campo::Familia: return cbxFamilia;
    case FalloFicha::Campo::Ingredientes: return editCodBarras;
    }
    return editCodBarras;
}

void TfrmFichaArticulo::btnAceptarClick()
{
    if (!cerrando_.isEmpty())
        return;
    if (calc_)
        Recalcular(btnAceptar, [](CalculadoraPrecios &c) { c.Calcular(); });
    LeerControles();
    std::vector<FalloFicha> fallos;
    try {
        fallos = ficha_.Validar(art_);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return;
    }
    if (!fallos.empty()) {
        for (const FalloFicha &f : fallos) {
            QWidget *control = ControlDe(f.campo);
            if (f.globo) {
                mensajes().Globo(control, f.texto);
            } else if (f.texto == TextoFicha::CodigoExiste) {
                mensajes().Informacion(f.texto, kAtencion);
                editCodBarras->clear();
            } else {
                mensajes().Advertencia(f.texto, kAtencion);
            }
        }
        ControlDe(fallos.front().campo)->setFocus();
        return;
    }
    cerrando_ = QStringLiteral("Cancelar");
    QString codigo;
    try {
        codigo = ficha_.Guardar(art_);
    } catch (const ErrorRegistro &e) {
        if (!e.aviso().isEmpty())
            mensajes().Informacion(e.aviso());
        mensajes().Error(e.detalle().isEmpty() ? e.mensaje() : e.mensaje() + QLatin1Char('\n') + e.detalle());
        cerrando_.clear();
        return;
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        cerrando_.clear();
        return;
    }
    art_.fila.OLD_COD_BARRAS = codigo;
    llamador_.Habilitar();
    emit articuloGuardado(codigo);
    if (AlGuardar)
        AlGuardar(codigo);
    close();
}

void TfrmFichaArticulo::btnCancelarClick()
{
    // Components, fractions and ingredients live only in the card until it is saved.
    cerrando_ = QStringLiteral("Cancelar");
    close();
}

void TfrmFichaArticulo::closeEvent(QCloseEvent *e)
{
    cerrando_ = QStringLiteral("Cancelar");
    llamador_.Habilitar();
    QWidget::closeEvent(e);
    emit cerrada();
}

bool TfrmFichaArticulo::eventFilter(QObject *objeto, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (objeto == editCodBarras && editCodBarras->isReadOnly() && !k->text().isEmpty() && k->text()[0].isPrint()) {
            mensajes().Globo(editCodBarras, QStringLiteral("No puede modificar el Código del Artículo"));
            return true;
        }
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && objeto == DBCombo_Droga) {
            dbedt_Cantidad->setFocus();
            return true;
        }
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && objeto == dbedt_Cantidad) {
            btnAceptarCompo->setFocus();
            return true;
        }
    } else if (e->type() == QEvent::FocusIn) {
        if (auto *ed = qobject_cast<QLineEdit *>(objeto); ed && !ed->isReadOnly()) {
            for (const auto &lista : {editPrecioSin, editCoefA, editCoefB, editSumaFija})
                for (QLineEdit *precio : lista)
                    if (ed == precio)
                        ed->setText(FormatCurrency(QStringLiteral("###0.00"), Valor(ed)));
            QMetaObject::invokeMethod(ed, &QLineEdit::selectAll, Qt::QueuedConnection);
        }
    }
    return TeclaVentanaBusqueda(objeto, e, [this] { focusNextChild(); }, [this] { btnCancelarClick(); })
           || QWidget::eventFilter(objeto, e);
}

TfrmFichaArticulo *AbrirFichaArticuloNueva(TFDatosComp &datos, QWidget *llamador, const QString &codigo,
                                           const QString &origen, std::function<void(const QString &codigoNuevo)> alGuardar)
{
    auto *ficha = new TfrmFichaArticulo(datos, origen, codigo);
    ficha->AlGuardar = std::move(alGuardar);
    ficha->AbrirDesde(llamador);
    return ficha;
}
