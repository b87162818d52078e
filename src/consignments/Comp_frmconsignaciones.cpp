#include "consignments/Comp_frmconsignaciones.h"

#include "consignments/AnulacionConsignacion.h"
#include "consignments/Comp_frm_elegirtipomoneda.h"
#include "consignments/Comp_frmdetalleconsignacion.h"
#include "consignments/Comp_frmguardarconsignacion.h"
#include "consignments/Comp_frmfacturarconsig.h"
#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"
#include "platform/db/DatasetModel.h"
#include "platform/report/Reporte.h"
#include "purchases/Comp_frmagregacompras.h"
#include "catalogs/Comp_frmcambiarproveedor.h"
#include "ui/Permisos.h"

#include <QDateEdit>
#include <QGridLayout>
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

namespace {

// The two status cells: annulled (red / white) and returned (green / blue), drawn without text.
class ModeloEstados : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &indice, int rol) const override
    {
        if (indice.column() <= 1 && (rol == Qt::DisplayRole || rol == Qt::BackgroundRole)) {
            if (rol == Qt::DisplayRole)
                return QString();
            const QVariant v = QIdentityProxyModel::data(indice, Qt::EditRole);
            if (indice.column() == 0)
                return QBrush(v.toString() == QLatin1String("S") ? QColor(Qt::red) : QColor(Qt::white));
            const bool devuelta = v.toBool() || v.toString() == QLatin1String("S");
            return QBrush(devuelta ? QColor(Qt::green) : QColor(Qt::blue));
        }
        return QIdentityProxyModel::data(indice, rol);
    }
};

} // namespace

void ConectarVentanasConsignacion(TFDatosComp &datos)
{
    TFDatosComp *d = &datos;
    TfrmAgregaCompra::AbrirGuardarConsignacion = [d](TfrmAgregaCompra &entrada) {
        auto *frm = new TfrmGuardarConsignacion(*d, entrada);
        frm->AbrirDesde(&entrada);
    };
    TfrmAgregaCompra::AbrirFacturarConsig = [d](TfrmAgregaCompra &entrada) {
        auto *frm = new TfrmFacturarConsig(*d, entrada);
        frm->AbrirDesde(&entrada);
    };
}

TfrmConsignaciones::TfrmConsignaciones(TFDatosComp &datos, QWidget *parent) : QWidget(parent), datos_(datos)
{
    setObjectName(QStringLiteral("frmConsignaciones"));
    setWindowTitle(QStringLiteral("Consignaciones"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(780, 432);
    AjustarFormatoNumeros();

    auto nombrar = [](auto *w, const char *nombre) {
        w->setObjectName(QString::fromLatin1(nombre));
        return w;
    };
    cmbFechaInicial = nombrar(new QDateEdit(this), "cmbFechaInicial");
    cmbFechaFinal = nombrar(new QDateEdit(this), "cmbFechaFinal");
    for (QDateEdit *f : {cmbFechaInicial, cmbFechaFinal}) {
        f->setCalendarPopup(true);
        f->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    }
    edProveedor = nombrar(new QLineEdit(ListadoConsignaciones::kTodos, this), "edProveedor");
    edProveedor->setReadOnly(true);
    btnFiltroProveedor = nombrar(new QPushButton(QStringLiteral("..."), this), "btnFiltroProveedor");
    btnElimFiltroProveedor = nombrar(new QPushButton(QStringLiteral("X"), this), "btnElimFiltroProveedor");
    edComprobante = nombrar(new QLineEdit(this), "edComprobante");
    edComprobante->setMaxLength(12);

    auto *filtros = new QGridLayout;
    filtros->addWidget(new QLabel(QStringLiteral("Fecha Inicial:"), this), 0, 0);
    filtros->addWidget(cmbFechaInicial, 0, 1);
    filtros->addWidget(new QLabel(QStringLiteral("Fecha Final:"), this), 0, 2);
    filtros->addWidget(cmbFechaFinal, 0, 3);
    filtros->addWidget(new QLabel(QStringLiteral("Proveedor:"), this), 1, 0);
    auto *prov = new QHBoxLayout;
    prov->addWidget(edProveedor, 1);
    prov->addWidget(btnFiltroProveedor);
    prov->addWidget(btnElimFiltroProveedor);
    filtros->addLayout(prov, 1, 1, 1, 3);
    filtros->addWidget(new QLabel(QStringLiteral("Nº Factura:"), this), 2, 0);
    filtros->addWidget(edComprobante, 2, 1);

    SMDBGrid1 = nombrar(new QTableView(this), "SMDBGrid1");
    dsConsignacion = new db::DatasetModel(datos_.TConsignacion, this);
    dsConsignacion->setObjectName(QStringLiteral("dsConsignacion"));
    const auto derecha = Qt::AlignRight | Qt::AlignVCenter;
    dsConsignacion->setColumns({
        {QStringLiteral("ANULADA"), QStringLiteral(" "), QString()},
        {QStringLiteral("boolDevuelta"), QStringLiteral(" "), QString()},
        {QStringLiteral("FECHA"), QStringLiteral("Fecha"), QString()},
        {QStringLiteral("COMPROBANTE"), QStringLiteral("Comprobante"), QString()},
        {QStringLiteral("NOMBRE"), QStringLiteral("Proveedor"), QString()},
        {QStringLiteral("IMPORTE_TOTAL"), QStringLiteral("Importe"), QStringLiteral("#,##0.00"), derecha},
    });
    auto *estados = new ModeloEstados(this);
    estados->setSourceModel(dsConsignacion);
    SMDBGrid1->setModel(estados);
    SMDBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    SMDBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    SMDBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SMDBGrid1->verticalHeader()->setVisible(false);
    SMDBGrid1->horizontalHeader()->setStretchLastSection(true);
    const int anchos[] = {14, 14, 80, 105, 330, 100};
    for (int c = 0; c < 6; ++c)
        SMDBGrid1->setColumnWidth(c, anchos[c]);

    btnAgregar = nombrar(new QPushButton(QStringLiteral(" &Agregar "), this), "btnAgregar");
    btnVerDetalle = nombrar(new QPushButton(QStringLiteral("&Ver"), this), "btnVerDetalle");
    btnBorrar = nombrar(new QPushButton(QStringLiteral("A&nular"), this), "btnBorrar");
    btEliminar = nombrar(new QPushButton(QStringLiteral(" &Eliminar "), this), "btEliminar");
    btnReporte = nombrar(new QPushButton(QStringLiteral("&Reportes"), this), "btnReporte");
    btnCerra = nombrar(new QPushButton(QStringLiteral(" &Cerrar "), this), "btnCerra");
    btnVerDetalle->setEnabled(datos_.Permiso(QStringLiteral("CONSIG_VER")) == QLatin1String("S"));
    auto *menu = new QMenu(btnReporte);
    QAction *todas = menu->addAction(QStringLiteral("Todas las Consignaciones"));
    todas->setObjectName(QStringLiteral("mnuTodas"));
    QAction *filtro = menu->addAction(QStringLiteral("Filtro Actual"));
    filtro->setObjectName(QStringLiteral("mnuFiltro"));
    connect(todas, &QAction::triggered, this, [this] { Reportes(QStringLiteral("Todas")); });
    connect(filtro, &QAction::triggered, this, [this] { Reportes(QStringLiteral("Filtro")); });
    btnReporte->setMenu(menu);

    auto *botones = new QHBoxLayout;
    for (QPushButton *b : {btnAgregar, btnVerDetalle, btnBorrar, btEliminar, btnReporte})
        botones->addWidget(b);
    botones->addStretch(1);
    botones->addWidget(btnCerra);
    auto *principal = new QVBoxLayout(this);
    principal->addLayout(filtros);
    principal->addWidget(SMDBGrid1, 1);
    principal->addLayout(botones);

    connect(cmbFechaInicial, &QDateEdit::dateChanged, this, [this](const QDate &d) {
        cmbFechaFinal->setMinimumDate(d);
        Filtrar();
    });
    connect(cmbFechaFinal, &QDateEdit::dateChanged, this, [this](const QDate &d) {
        cmbFechaInicial->setMaximumDate(d);
        Filtrar();
    });
    connect(edProveedor, &QLineEdit::textChanged, this, &TfrmConsignaciones::Filtrar);
    connect(edComprobante, &QLineEdit::textChanged, this, &TfrmConsignaciones::Filtrar);
    connect(btnFiltroProveedor, &QPushButton::clicked, this, [this] {
        auto *frm = new TfrmCambiarProveedor(datos_);
        frm->Modo = QStringLiteral("BuscarConsig");
        connect(frm, &TfrmCambiarProveedor::proveedorElegido, this,
                [this](int codigo, const QString &nombre, int) { ProveedorElegido(codigo, nombre); });
        frm->AbrirDesde(this, true);
    });
    connect(btnElimFiltroProveedor, &QPushButton::clicked, this, [this] { ProveedorElegido(0, ListadoConsignaciones::kTodos); });
    connect(btnAgregar, &QPushButton::clicked, this, &TfrmConsignaciones::btnAgregarClick);
    connect(btnVerDetalle, &QPushButton::clicked, this, &TfrmConsignaciones::btnVerDetalleClick);
    connect(SMDBGrid1, &QTableView::doubleClicked, this, &TfrmConsignaciones::btnVerDetalleClick);
    connect(btnBorrar, &QPushButton::clicked, this, &TfrmConsignaciones::btnBorrarClick);
    connect(btEliminar, &QPushButton::clicked, this, &TfrmConsignaciones::btEliminarClick);
    connect(btnCerra, &QPushButton::clicked, this, &QWidget::close);
    connect(SMDBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &actual) {
        db::Dataset *ds = datos_.TConsignacion;
        if (ds && ds->active() && actual.isValid() && actual.row() < ds->fetchedCount())
            ds->setRecNo(actual.row());
    });
    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };
}

TfrmConsignaciones::~TfrmConsignaciones() = default;

void TfrmConsignaciones::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (!mostrada_) {
        mostrada_ = true;
        FormShow();
    }
}

void TfrmConsignaciones::FormShow()
{
    datos_.CargarTipoCambio();
    cargando_ = true;
    try {
        QDate inicial, final;
        ListadoConsignaciones::Periodo(datos_.Query_Lectura, inicial, final);
        cmbFechaInicial->setMaximumDate(QDate(9999, 12, 31));
        cmbFechaFinal->setMinimumDate(QDate(1900, 1, 1));
        cmbFechaInicial->setDate(inicial);
        cmbFechaFinal->setDate(final);
    } catch (const std::exception &ex) {
        mensajes().Error(TextoDeError(ex));
    }
    cargando_ = false;
    Filtrar();
}

FiltroConsignaciones TfrmConsignaciones::Filtro() const
{
    FiltroConsignaciones f;
    f.inicial = cmbFechaInicial->date();
    f.final = cmbFechaFinal->date();
    f.todosProveedores = edProveedor->text() == ListadoConsignaciones::kTodos;
    f.proveedor = edProveedor->text();
    f.codigoProveedor = codigoProveedor_;
    f.comprobante = edComprobante->text();
    return f;
}

void TfrmConsignaciones::Filtrar()
{
    if (cargando_)
        return;
    try {
        ListadoConsignaciones::Filtrar(*datos_.TConsignacion, Filtro());
    } catch (const std::exception &ex) {
        mensajes().Error(TextoDeError(ex));
    }
    if (SMDBGrid1->model()->rowCount() > 0)
        SMDBGrid1->setCurrentIndex(SMDBGrid1->model()->index(0, 2));
}

void TfrmConsignaciones::Refrescar()
{
    const int fila = SMDBGrid1->currentIndex().row();
    Filtrar();
    QAbstractItemModel *m = SMDBGrid1->model();
    if (fila >= 0 && m->rowCount() > 0)
        SMDBGrid1->setCurrentIndex(m->index(std::min(fila, m->rowCount() - 1), 2));
}

void TfrmConsignaciones::ProveedorElegido(int codigo, const QString &nombre)
{
    codigoProveedor_ = codigo;
    edProveedor->setText(codigo == 0 ? ListadoConsignaciones::kTodos : nombre.trimmed());
}

int TfrmConsignaciones::IdSeleccionada() const
{
    db::Dataset *ds = datos_.TConsignacion;
    if (!ds || !ds->active() || ds->isEmpty())
        return 0;
    return ds->fieldByName(QStringLiteral("ID_CONSIGNACION")).asInteger();
}

void TfrmConsignaciones::btnAgregarClick()
{
    if (!VerificarPermiso(datos_, QStringLiteral("CONSIG_AGREGAR")))
        return;
    TfrmAgregaCompra *frm = AbrirAgregaCompra(datos_, this, QStringLiteral("Consignacion"));
    if (!frm)
        return;
    connect(frm, &QObject::destroyed, this, [this] {
        // A consignment dated after the period shown widens it, so the new one is listed.
        try {
            QDate inicial, final;
            ListadoConsignaciones::Periodo(datos_.Query_Lectura, inicial, final);
            if (final > cmbFechaFinal->date())
                cmbFechaFinal->setDate(final);
        } catch (const std::exception &) {
        }
        Refrescar();
    });
}

void TfrmConsignaciones::btnVerDetalleClick()
{
    if (!VerificarPermiso(datos_, QStringLiteral("CONSIG_VER")))
        return;
    if (IdSeleccionada() == 0) {
        mensajes().Informacion(ListadoConsignaciones::kSinConsignaciones);
        return;
    }
    db::Dataset &c = *datos_.TConsignacion;
    auto *frm = new TfrmDetalleConsignacion(datos_, IdSeleccionada());
    frm->btnDevolucion->setEnabled(!(c.fieldByName(QStringLiteral("DEVUELTA")).asString() == QLatin1String("S") &&
                                     datos_.SisDistribuidora == QLatin1String("S")));
    frm->AbrirDesde(this);
}

void TfrmConsignaciones::AnularOEliminar(bool eliminar)
{
    if (!VerificarPermiso(datos_, QStringLiteral("CONSIG_ANULAR")))
        return;
    const int id = IdSeleccionada();
    if (id == 0) {
        mensajes().Informacion(ListadoConsignaciones::kSinConsignaciones);
        return;
    }
    auto anulacion = AnulacionConsignacion::DesdeDatosComp(datos_);
    eliminar ? anulacion->Eliminar(id) : anulacion->Anular(id);
    Refrescar();
}

void TfrmConsignaciones::btnBorrarClick()
{
    AnularOEliminar(false);
}

void TfrmConsignaciones::btEliminarClick()
{
    AnularOEliminar(true);
}

void TfrmConsignaciones::Reportes(const QString &modo)
{
    if (!VerificarPermiso(datos_, QStringLiteral("CONSIG_IMPRIMIR")))
        return;
    if (modo == QLatin1String("Filtro") && IdSeleccionada() == 0) {
        mensajes().Informacion(QStringLiteral("No existen datos a imprimir"));
        return;
    }
    auto *frm = new Tfrm_ElegirTipoMoneda(datos_, modo, Filtro());
    frm->MostrarReporte = MostrarReporte;
    frm->AbrirDesde(this);
}

void TfrmConsignaciones::ExistenciasDevueltasEnCero()
{
    try {
        AnulacionConsignacion::DesdeDatosComp(datos_)->ExistenciasDevueltasEnCero(Filtro());
        mensajes().Informacion(QStringLiteral("Las existencias de las consignaciones devueltas se han puesto en 0"));
    } catch (const std::exception &ex) {
        mensajes().Error(TextoDeError(ex));
    }
    Refrescar();
}

void TfrmConsignaciones::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_F10: btnAgregarClick(); return;
    case Qt::Key_F6: btnVerDetalleClick(); return;
    case Qt::Key_F3: ExistenciasDevueltasEnCero(); return;
    case Qt::Key_Escape: close(); return;
    default: QWidget::keyPressEvent(e);
    }
}
