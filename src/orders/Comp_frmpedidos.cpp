#include "orders/Comp_frmpedidos.h"

#include "orders/Comp_frmagregarpedido.h"
#include "orders/Comp_frmfiltroagregarpedidos.h"
#include "orders/Comp_frmreportepedidos.h"
#include "orders/Comp_frmfiltropedidos.h"
#include "orders/ImpresionPedidos.h"
#include "catalogs/Comp_frmcambiarproveedor.h"
#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"
#include "platform/VariablesHost.h"
#include "ui/CamposEdicion.h"
#include "ui/Permisos.h"

#include <QDateEdit>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

QPointer<TfrmPedidos> frmPedidos;

namespace {
const QColor kAmarillo(255, 255, 234);
}

TfrmPedidos::TfrmPedidos(TFDatosComp &datos, QWidget *parent)
    : QWidget(parent, Qt::Window), datos_(datos),
      pedidos_(std::make_unique<Pedidos>(ConexionesDeDatosComp(datos), datos.TransLectura, datos.TransLecturaInv,
                                         mensajes(), VerVariable(QStringLiteral("vUsuario"))))
{
    setObjectName(QStringLiteral("frmPedidos"));
    setWindowTitle(QStringLiteral("Pedidos de Mercadería"));
    setAttribute(Qt::WA_DeleteOnClose);
    AjustarFormatoNumeros(datos.Config(QStringLiteral("SIGNO_MONEDA")));
    setMinimumSize(720, 432);
    setMaximumWidth(720);
    resize(720, 432);
    move(0, 0);

    auto boton = [this](const QString &texto, const char *nombre) {
        auto *b = new QPushButton(texto, this);
        b->setObjectName(QLatin1String(nombre));
        return b;
    };
    btnCerra = boton(QStringLiteral(" &Cerrar "), "btnCerra");
    btnVerDetalle = boton(QStringLiteral("&Ver"), "btnVerDetalle");
    btnBorrar = boton(QStringLiteral("A&nular"), "btnBorrar");
    btnReporte = boton(QStringLiteral("&Reportes"), "btnReporte");
    btnAgregar = boton(QStringLiteral(" &Agregar "), "btnAgregar");
    const QDate hoy = QDate::currentDate();
    const PanelFiltroPedidos filtro = CrearFiltroPedidos(this, QDate(hoy.year(), hoy.month(), 1), [this] { Filtrar(); });
    cmbFechaInicial = filtro.cmbFechaInicial;
    cmbFechaFinal = filtro.cmbFechaFinal;
    edProveedor = filtro.edProveedor;
    btnFiltroProveedor = filtro.btnFiltroProveedor;
    btnElimFiltroProveedor = filtro.btnElimFiltroProveedor;
    SMDBGrid1 = new QTableWidget(0, 4, this);
    SMDBGrid1->setObjectName(QStringLiteral("SMDBGrid1"));
    SMDBGrid1->setHorizontalHeaderLabels({QStringLiteral(" "), QStringLiteral("Fecha"), QStringLiteral("Comprobante"),
                                          QStringLiteral("Proveedor")});
    SMDBGrid1->horizontalHeaderItem(1)->setTextAlignment(Qt::AlignCenter);
    SMDBGrid1->setColumnWidth(1, 83);
    SMDBGrid1->setColumnWidth(2, 88);
    SMDBGrid1->setColumnWidth(3, 493);
    SMDBGrid1->horizontalHeader()->setFixedHeight(24);
    SMDBGrid1->verticalHeader()->setDefaultSectionSize(17);
    SMDBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    SMDBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    SMDBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SMDBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);

    auto *barra = new QHBoxLayout;
    for (QPushButton *b : {btnCerra, btnVerDetalle, btnBorrar, btnReporte, btnAgregar})
        barra->addWidget(b);
    barra->addStretch();
    auto *v = new QVBoxLayout(this);
    v->addLayout(barra);
    v->addLayout(filtro.fila);
    v->addWidget(SMDBGrid1);

    PedirArchivo = [this] {
        return QFileDialog::getSaveFileName(this, QString(), QString(), QStringLiteral("Archivo de  Ms Excel (*.xls)"));
    };
    connect(btnCerra, &QPushButton::clicked, this, &QWidget::close);
    connect(btnAgregar, &QPushButton::clicked, this, &TfrmPedidos::btnAgregarClick);
    connect(btnVerDetalle, &QPushButton::clicked, this, &TfrmPedidos::btnVerDetalleClick);
    connect(SMDBGrid1, &QTableWidget::cellDoubleClicked, this, &TfrmPedidos::btnVerDetalleClick);
    connect(btnBorrar, &QPushButton::clicked, this, &TfrmPedidos::btnBorrarClick);
    connect(btnReporte, &QPushButton::clicked, this, &TfrmPedidos::btnReporteClick);
    connect(btnElimFiltroProveedor, &QPushButton::clicked, this, [this] { EstablecerProveedor(0, kTodosProveedores); });
    connect(btnFiltroProveedor, &QPushButton::clicked, this, [this] {
        auto *frm = new TfrmCambiarProveedor(datos_, this);
        frm->Modo = QStringLiteral("Pedido");
        connect(frm, &VentanaBuscaProveedor::proveedorElegido, this,
                [this](int codigo, const QString &nombre, int) { EstablecerProveedor(codigo, nombre); });
        frm->AbrirDesde(this, true);
    });
    connect(SMDBGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
        QMenu menu(this);
        QAction *a = menu.addAction(QStringLiteral("Exportar pedido a MS Excel"), this, &TfrmPedidos::mnureimprimeexcelClick);
        a->setObjectName(QStringLiteral("mnureimprimeexcel"));
        menu.exec(SMDBGrid1->viewport()->mapToGlobal(p));
    });
    Filtrar();
}

TfrmPedidos::~TfrmPedidos() = default;

void TfrmPedidos::EstablecerProveedor(int codigo, const QString &nombre)
{
    codProveedor_ = codigo;
    edProveedor->setText(codigo == 0 ? kTodosProveedores : nombre);
    Filtrar();
}

void TfrmPedidos::Filtrar()
{
    const QString actual = Actual() ? Actual()->comprobante : QString();
    try {
        lista_ = pedidos_->Listar({cmbFechaInicial->date(), cmbFechaFinal->date(), codProveedor_, false});
    } catch (const std::exception &e) {
        lista_.clear();
        mensajes().Error(TextoDeError(e));
    }
    SMDBGrid1->setRowCount(static_cast<int>(lista_.size()));
    int volver = 0;
    for (int r = 0; r < static_cast<int>(lista_.size()); ++r) {
        const PedidoListado &p = lista_[r];
        const QColor fondo = r % 2 ? kAmarillo : QColor(Qt::white);
        auto *marca = new QTableWidgetItem;
        marca->setBackground(p.anulado ? QColor(Qt::red) : QColor(Qt::white));
        SMDBGrid1->setItem(r, 0, marca);
        const QStringList celdas = {ImpresionPedidos::TextoFecha(p.fecha), p.comprobante, p.nombreProveedor};
        for (int c = 0; c < celdas.size(); ++c) {
            auto *celda = new QTableWidgetItem(celdas[c]);
            celda->setBackground(fondo);
            if (c == 0)
                celda->setTextAlignment(Qt::AlignCenter);
            SMDBGrid1->setItem(r, c + 1, celda);
        }
        if (p.comprobante == actual)
            volver = r;
    }
    if (!lista_.empty())
        SMDBGrid1->selectRow(volver);
}

std::optional<PedidoListado> TfrmPedidos::Actual() const
{
    const int fila = SMDBGrid1->currentRow();
    if (fila < 0 || fila >= static_cast<int>(lista_.size()))
        return std::nullopt;
    return lista_[fila];
}

void TfrmPedidos::Deshabilitar(QWidget *hija)
{
    setEnabled(false);
    hija->setEnabled(true);
}

void TfrmPedidos::btnAgregarClick()
{
    if (!VerificarPermiso(datos_, QStringLiteral("PED_AGRAGAR")))
        return;
    auto *filtro = new TfrmFiltroAgregarPedidos(datos_, this);
    auto editorAbierto = std::make_shared<bool>(false);
    connect(filtro, &TfrmFiltroAgregarPedidos::editorAbierto, this, [this, editorAbierto](TfrmAgregarPedido *editor) {
        *editorAbierto = true;
        editor->ReporteControl = [this](const PedidoListado &p, bool verNombre2) { ReporteControl(p, verNombre2); };
        connect(editor, &TfrmAgregarPedido::pedidoGuardado, this, &TfrmPedidos::Filtrar);
        connect(editor, &TfrmAgregarPedido::cerrada, this, [this] { setEnabled(true); });
    });
    connect(filtro, &TfrmFiltroAgregarPedidos::cerrada, this, [this, editorAbierto] {
        if (!*editorAbierto)
            setEnabled(true);
    });
    Deshabilitar(filtro);
    filtro->show();
}

void TfrmPedidos::btnVerDetalleClick()
{
    const std::optional<PedidoListado> p = Actual();
    if (!p)
        return;
    auto *editor = new TfrmAgregarPedido(datos_, this);
    editor->ReporteControl = [this](const PedidoListado &pedido, bool verNombre2) { ReporteControl(pedido, verNombre2); };
    editor->MostrarPedido(*p);
    connect(editor, &TfrmAgregarPedido::cerrada, this, [this] { setEnabled(true); });
    Deshabilitar(editor);
    editor->show();
}

void TfrmPedidos::btnBorrarClick()
{
    if (!VerificarPermiso(datos_, QStringLiteral("PED_ANULAR")))
        return;
    const std::optional<PedidoListado> p = Actual();
    if (!p)
        return;
    const Pedidos::Anulacion r = pedidos_->Anular(p->comprobante, p->anulado);
    if (r == Pedidos::Anulacion::Anulado || (r == Pedidos::Anulacion::YaAnulado && !p->anulado))
        Filtrar();
}

void TfrmPedidos::btnReporteClick()
{
    if (!VerificarPermiso(datos_, QStringLiteral("PED_IMPRIMIR")))
        return;
    auto *frm = new TfrmReportePedidos(datos_, this);
    connect(frm, &TfrmReportePedidos::cerrada, this, [this] { setEnabled(true); });
    Deshabilitar(frm);
    frm->show();
}

void TfrmPedidos::ReporteControl(const PedidoListado &pedido, bool verNombre2)
{
    VerReporteControl(datos_, *pedidos_, pedido, verNombre2, this);
}

void TfrmPedidos::mnureimprimeexcelClick()
{
    const std::optional<PedidoListado> p = Actual();
    if (!p)
        return;
    const QString archivo = PedirArchivo ? PedirArchivo() : QString();
    if (archivo.isEmpty())
        return;
    ImpresionPedidos impresion(*pedidos_, {}, QString());
    impresion.Exportar(*p, archivo, font(), mensajes());
}

void TfrmPedidos::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}
