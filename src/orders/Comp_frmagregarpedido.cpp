#include "orders/Comp_frmagregarpedido.h"

#include "orders/Comp_frmfiltropedidos.h"
#include "orders/Comp_frmmodificacantidad.h"
#include "orders/Comp_frmreportepedidos.h"
#include "catalogs/Comp_frmbuscararticulos.h"
#include "catalogs/Comp_frmcambiarproveedor.h"
#include "catalogs/Comp_frmfichaarticulo.h"
#include "data/Comp_fdatos.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "platform/VariablesHost.h"
#include "ui/CamposEdicion.h"
#include "ui/Permisos.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Columna { kCodigo, kArticulo, kCantidad, kFamilia, kDeshabilitar, kStock, kPrecio };

QString Numero(Currency v) { return FormatCurrency(QStringLiteral("###0.00"), v); }

QTableWidgetItem *Celda(const QString &texto)
{
    auto *c = new QTableWidgetItem(texto);
    c->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return c;
}

} // namespace

TfrmAgregarPedido::TfrmAgregarPedido(TFDatosComp &datos, QWidget *parent)
    : QWidget(parent, Qt::Window), datos_(datos),
      pedidos_(std::make_unique<Pedidos>(ConexionesDeDatosComp(datos), datos.TransLectura, datos.TransLecturaInv,
                                         mensajes(), VerVariable(QStringLiteral("vUsuario"))))
{
    setObjectName(QStringLiteral("frmAgregarPedido"));
    setWindowTitle(QStringLiteral("Pedido"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 520);

    auto nuevo = [this](auto *w, const char *nombre) {
        w->setObjectName(QLatin1String(nombre));
        return w;
    };
    edProveedor = nuevo(new QLineEdit(this), "edProveedor");
    edProveedor->setReadOnly(true);
    btnBuscaProv = nuevo(new QPushButton(QStringLiteral("..."), this), "btnBuscaProv");
    edFecha = nuevo(new QDateEdit(QDate::currentDate(), this), "edFecha");
    PrepararFechaPedido(edFecha);
    edComprob = nuevo(new QLineEdit(this), "edComprob");
    edComprob->setReadOnly(true);
    edDescrip = nuevo(new QLineEdit(this), "edDescrip");
    edDescrip->setMaxLength(300);
    lblCodigo = nuevo(new QLabel(QStringLiteral("CODIGO:"), this), "lblCodigo");
    edCodigo = nuevo(new QLineEdit(this), "edCodigo");
    btnBuscar = nuevo(new QPushButton(QStringLiteral("[F2]"), this), "btnBuscar");
    lblCantidad = nuevo(new QLabel(QStringLiteral("CANTIDAD:"), this), "lblCantidad");
    edCantidad = nuevo(new QLineEdit(QStringLiteral("1"), this), "edCantidad");
    lblCmbCodigo = nuevo(new QLabel(QStringLiteral("CARGAR CON CODIGO:"), this), "lblCmbCodigo");
    cmbCodigo = nuevo(new QComboBox(this), "cmbCodigo");
    cmbCodigo->addItems({QStringLiteral("CODIGO 1"), QStringLiteral("CODIGO 2"), QStringLiteral("CODIGO 3")});
    chkNombre2 = nuevo(new QCheckBox(QStringLiteral("Mostrar descripción alternativa en Reporte de Control"), this),
                       "chkNombre2");
    btnAceptar = nuevo(new QPushButton(QStringLiteral(" &Aceptar "), this), "btnAceptar");
    btnCancelar = nuevo(new QPushButton(QStringLiteral(" &Cancelar "), this), "btnCancelar");
    btnReimprimir = nuevo(new QPushButton(QStringLiteral("&Reimprimir"), this), "btnReimprimir");
    btnReimprimir->hide();
    pbGuardar = nuevo(new QProgressBar(this), "pbGuardar");
    pbGuardar->hide();
    gDetalle = nuevo(new QTableWidget(0, 7, this), "gDetalle");
    gDetalle->setHorizontalHeaderLabels({QStringLiteral("Código"), QStringLiteral("Artículo"), QStringLiteral("Cantidad"),
                                         QStringLiteral("Familia"), QStringLiteral("Deshabilitar"),
                                         QStringLiteral("Cant. Actual"), QStringLiteral("Precio Compra")});
    gDetalle->setColumnHidden(kFamilia, true);
    gDetalle->setSelectionBehavior(QAbstractItemView::SelectRows);
    gDetalle->setSelectionMode(QAbstractItemView::SingleSelection);
    gDetalle->horizontalHeader()->setSectionResizeMode(kArticulo, QHeaderView::Stretch);
    gDetalle->setContextMenuPolicy(Qt::CustomContextMenu);

    auto *cab = new QGridLayout;
    cab->addWidget(new QLabel(QStringLiteral("Proveedor:"), this), 0, 0);
    cab->addWidget(edProveedor, 0, 1);
    cab->addWidget(btnBuscaProv, 0, 2);
    cab->addWidget(new QLabel(QStringLiteral("Fecha:"), this), 0, 3);
    cab->addWidget(edFecha, 0, 4);
    cab->addWidget(new QLabel(QStringLiteral("Comprobante:"), this), 1, 3);
    cab->addWidget(edComprob, 1, 4);
    cab->addWidget(new QLabel(QStringLiteral("Descripción:"), this), 1, 0);
    cab->addWidget(edDescrip, 1, 1, 1, 2);
    auto *linea = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{lblCodigo, edCodigo, btnBuscar, lblCantidad, edCantidad,
                                                        lblCmbCodigo, cmbCodigo})
        linea->addWidget(w);
    auto *pie = new QHBoxLayout;
    pie->addWidget(chkNombre2);
    pie->addWidget(pbGuardar);
    pie->addStretch();
    pie->addWidget(btnReimprimir);
    pie->addWidget(btnAceptar);
    pie->addWidget(btnCancelar);
    auto *v = new QVBoxLayout(this);
    v->addLayout(cab);
    v->addLayout(linea);
    v->addWidget(gDetalle);
    v->addLayout(pie);

    // The new article comes back only once the card's save committed; the code step runs again.
    AbrirFichaArticulo = [this](TfrmAgregarPedido &, const QString &codigo) {
        QPointer<TfrmAgregarPedido> yo(this);
        AbrirFichaArticuloNueva(datos_, this, codigo, OrigenFicha::AgregarP, [yo](const QString &codigoNuevo) {
            if (!yo)
                return;
            yo->edCodigo->setText(codigoNuevo);
            yo->edCodigoExit();
        });
    };
    ReporteControl = [this](const PedidoListado &p, bool verNombre2) {
        VerReporteControl(datos_, *pedidos_, p, verNombre2, this);
    };

    connect(btnBuscaProv, &QPushButton::clicked, this, &TfrmAgregarPedido::BuscarProveedor);
    connect(btnBuscar, &QPushButton::clicked, this, &TfrmAgregarPedido::BuscarArticulo);
    connect(edCodigo, &QLineEdit::returnPressed, this, &TfrmAgregarPedido::edCodigoExit);
    connect(edCantidad, &QLineEdit::returnPressed, this, &TfrmAgregarPedido::edCantidadExit);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmAgregarPedido::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &QWidget::close);
    connect(btnReimprimir, &QPushButton::clicked, this, &TfrmAgregarPedido::btnReimprimirClick);
    connect(gDetalle, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *c) {
        if (!llenando_ && c->column() == kDeshabilitar)
            lineas_.Deshabilitar(c->row(), c->checkState() == Qt::Checked);
    });
    connect(gDetalle, &QTableWidget::cellDoubleClicked, this, [this] {
        if (!soloLectura_)
            ModificarCantidad();
    });
    connect(gDetalle, &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
        if (soloLectura_)
            return;
        QMenu menu(this);
        menu.addAction(QStringLiteral("Borrar Línea"), this, &TfrmAgregarPedido::BorrarLinea);
        menu.addAction(QStringLiteral("Modificar cantidad"), this, &TfrmAgregarPedido::ModificarCantidad);
        menu.exec(gDetalle->viewport()->mapToGlobal(p));
    });
}

TfrmAgregarPedido::~TfrmAgregarPedido() = default;

void TfrmAgregarPedido::NuevoPedido()
{
    try {
        edComprob->setText(pedidos_->NumeroPropuesto());
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
    }
    edFecha->setDate(QDate::currentDate());
    edCodigo->setFocus();
}

void TfrmAgregarPedido::EstablecerProveedor(int codigo, const QString &nombre)
{
    codProveedor_ = codigo;
    edProveedor->setText(nombre);
}

void TfrmAgregarPedido::CargarLineas(const LineasPedido &lineas)
{
    lineas_ = lineas;
    Refrescar();
}

void TfrmAgregarPedido::MostrarPedido(const PedidoListado &p)
{
    soloLectura_ = true;
    mostrado_ = p;
    edFecha->setDate(p.fecha);
    edComprob->setText(p.comprobante);
    edDescrip->setText(p.descripcion);
    edProveedor->setText(p.nombreProveedor);
    codProveedor_ = p.fkProveedor;
    for (QWidget *w : std::initializer_list<QWidget *>{btnBuscaProv, btnBuscar, lblCodigo, edCodigo, lblCantidad,
                                                        edCantidad, lblCmbCodigo, cmbCodigo, btnAceptar})
        w->hide();
    edFecha->setReadOnly(true);
    edDescrip->setReadOnly(true);
    btnCancelar->setText(QStringLiteral("Salir"));
    btnReimprimir->show();
    cmbCodigo->setCurrentIndex(qBound(0, p.numCodigoInventario - 1, 2));
    LineasPedido l;
    try {
        for (const LineaGuardadaPedido &d : pedidos_->Detalle(p.comprobante))
            l.AgregarFila({d.codBarras, d.nombreArticulo, d.cantidad, d.codFamilia, false, {}, d.precioCompra});
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
    }
    CargarLineas(l);
    gDetalle->setColumnHidden(kDeshabilitar, true);
    gDetalle->setColumnHidden(kStock, true);
}

void TfrmAgregarPedido::Refrescar()
{
    llenando_ = true;
    const auto &filas = lineas_.Filas();
    gDetalle->setRowCount(static_cast<int>(filas.size()));
    for (int r = 0; r < static_cast<int>(filas.size()); ++r) {
        const LineaEditorPedido &f = filas[r];
        gDetalle->setItem(r, kCodigo, Celda(f.codigo));
        gDetalle->setItem(r, kArticulo, Celda(f.nombre));
        gDetalle->setItem(r, kCantidad, Celda(Numero(f.cantidad)));
        gDetalle->setItem(r, kFamilia, Celda(f.codFamilia));
        auto *marca = new QTableWidgetItem;
        marca->setFlags(soloLectura_ ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        marca->setCheckState(f.deshabilitada ? Qt::Checked : Qt::Unchecked);
        gDetalle->setItem(r, kDeshabilitar, marca);
        gDetalle->setItem(r, kStock, Celda(Numero(f.stock)));
        gDetalle->setItem(r, kPrecio, Celda(Numero(f.precioCompra)));
    }
    llenando_ = false;
}

void TfrmAgregarPedido::ResetearLinea()
{
    edCantidad->setText(QStringLiteral("1"));
    edCodigo->clear();
    edCodigo->setFocus();
}

void TfrmAgregarPedido::edCodigoExit()
{
    const QString codigo = edCodigo->text().trimmed().toUpper();
    if (codigo.isEmpty())
        return;
    edCodigo->setText(codigo);
    std::optional<ArticuloPedido> a;
    try {
        a = pedidos_->BuscarArticulo(codigo);
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
        return;
    }
    if (a) {
        if (a->stock <= a->stockMinimo && a->reposicion > Currency())
            edCantidad->setText(Numero(a->reposicion));
        edCantidad->setFocus();
        edCantidad->selectAll();
        return;
    }
    if (!mensajes().Pregunta(QStringLiteral("Artículo no encontrado. ¿Desea agregarlo al inventario?"),
                             QStringLiteral("Atención")))
        return;
    if (!VerificarPermiso(datos_, QStringLiteral("COMP_AGREGAR_ARTI")))
        return;
    if (AbrirFichaArticulo)
        AbrirFichaArticulo(*this, codigo);
}

void TfrmAgregarPedido::edCantidadExit()
{
    Currency cantidad;
    const QString codigo = edCodigo->text().trimmed();
    if (codigo.isEmpty() || !ParseDecimal(edCantidad->text().trimmed(), cantidad) || cantidad <= Currency()) {
        ResetearLinea();
        return;
    }
    try {
        if (std::optional<ArticuloPedido> a = pedidos_->BuscarArticulo(codigo)) {
            const int fila = lineas_.Agregar(*a, cmbCodigo->currentIndex() + 1, cantidad);
            Refrescar();
            gDetalle->selectRow(fila);
        }
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
    }
    ResetearLinea();
}

void TfrmAgregarPedido::BorrarLinea()
{
    const int fila = gDetalle->currentRow();
    if (fila < 0)
        return;
    lineas_.Borrar(fila);
    Refrescar();
}

void TfrmAgregarPedido::ModificarCantidad()
{
    const int fila = gDetalle->currentRow();
    if (fila < 0 || fila >= lineas_.Cuenta())
        return;
    const LineaEditorPedido &f = lineas_.Filas()[fila];
    TfrmModificaCantidad dlg(f.nombre, f.cantidad, f.precioCompra, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    lineas_.ModificarCantidad(fila, dlg.Cantidad(), dlg.Precio());
    Refrescar();
}

void TfrmAgregarPedido::btnAceptarClick()
{
    if (soloLectura_)
        return;
    EncabezadoPedido e;
    e.numeroMostrado = edComprob->text();
    e.codProveedor = codProveedor_;
    e.nombreProveedor = edProveedor->text().trimmed();
    e.descripcion = edDescrip->text().trimmed().toUpper();
    e.fecha = edFecha->date();
    e.numCodigoInventario = cmbCodigo->currentIndex() + 1;
    pbGuardar->setRange(0, 0);
    pbGuardar->show();
    setEnabled(false);
    const std::optional<QString> numero = pedidos_->Guardar(e, lineas_);
    setEnabled(true);
    pbGuardar->hide();
    if (!numero)
        return;
    edComprob->setText(*numero);
    emit pedidoGuardado(*numero);
    if (mensajes().Pregunta(QStringLiteral("El pedido se cargo exitosamente!\r\n\r\nDesea imprimir el Reporte de Control?"))) {
        if (std::optional<PedidoListado> p = pedidos_->Leer(*numero); p && ReporteControl)
            ReporteControl(*p, chkNombre2->isChecked());
    }
    close();
}

void TfrmAgregarPedido::btnReimprimirClick()
{
    if (ReporteControl && !mostrado_.comprobante.isEmpty())
        ReporteControl(mostrado_, chkNombre2->isChecked());
}

void TfrmAgregarPedido::BuscarProveedor()
{
    auto *frm = new TfrmCambiarProveedor(datos_, this);
    frm->Modo = QStringLiteral("AgregarPedido");
    connect(frm, &VentanaBuscaProveedor::proveedorElegido, this,
            [this](int codigo, const QString &nombre, int) { EstablecerProveedor(codigo, nombre); });
    frm->AbrirDesde(this, true);
}

void TfrmAgregarPedido::BuscarArticulo()
{
    auto *frm = new TfrmBuscarArticulos(datos_, this);
    frm->Origen = QStringLiteral("AgregarPedido");
    connect(frm, &TfrmBuscarArticulos::articuloElegido, this, [this](const QString &codigo, const QString &) {
        if (codigo.isEmpty())
            return;
        edCodigo->setText(codigo);
        edCodigoExit();
    });
    frm->AbrirDesde(this);
}

void TfrmAgregarPedido::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_F2 && !soloLectura_) {
        BuscarArticulo();
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TfrmAgregarPedido::closeEvent(QCloseEvent *e)
{
    emit cerrada();
    QWidget::closeEvent(e);
}
