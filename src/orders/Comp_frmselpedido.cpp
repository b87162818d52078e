#include "orders/Comp_frmselpedido.h"

#include "orders/Comp_frmfiltropedidos.h"
#include "orders/ImpresionPedidos.h"
#include "catalogs/Comp_frmbscarproveedor.h"
#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"
#include "platform/VariablesHost.h"
#include "ui/CamposEdicion.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TfrmSelPedido::TfrmSelPedido(TFDatosComp &datos, QWidget *parent)
    : QDialog(parent), datos_(datos),
      pedidos_(std::make_unique<Pedidos>(ConexionesDeDatosComp(datos), datos.TransLectura, datos.TransLecturaInv,
                                         mensajes(), VerVariable(QStringLiteral("vUsuario"))))
{
    setObjectName(QStringLiteral("frmSelPedido"));
    setWindowTitle(QStringLiteral("Seleccionar Pedido"));
    resize(640, 400);
    const PanelFiltroPedidos filtro = CrearFiltroPedidos(this, QDate::currentDate().addMonths(-1), [this] { Filtrar(); });
    cmbFechaInicial = filtro.cmbFechaInicial;
    cmbFechaFinal = filtro.cmbFechaFinal;
    edProveedor = filtro.edProveedor;
    btnFiltroProveedor = filtro.btnFiltroProveedor;
    btnElimFiltroProveedor = filtro.btnElimFiltroProveedor;
    gPedidos = new QTableWidget(0, 4, this);
    gPedidos->setObjectName(QStringLiteral("gPedidos"));
    gPedidos->setHorizontalHeaderLabels({QStringLiteral("Fecha"), QStringLiteral("Comprobante"),
                                         QStringLiteral("Proveedor"), QStringLiteral("Descripción")});
    gPedidos->setSelectionBehavior(QAbstractItemView::SelectRows);
    gPedidos->setSelectionMode(QAbstractItemView::SingleSelection);
    gPedidos->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gPedidos->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    btnSeleccionar = new QPushButton(QStringLiteral("Seleccionar"), this);
    btnSeleccionar->setObjectName(QStringLiteral("btnSeleccionar"));
    btnCancelar = new QPushButton(QStringLiteral(" &Cancelar "), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

    auto *botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(btnSeleccionar);
    botones->addWidget(btnCancelar);
    auto *v = new QVBoxLayout(this);
    v->addLayout(filtro.fila);
    v->addWidget(gPedidos);
    v->addLayout(botones);

    connect(btnSeleccionar, &QPushButton::clicked, this, &TfrmSelPedido::btnSeleccionarClick);
    connect(gPedidos, &QTableWidget::cellDoubleClicked, this, &TfrmSelPedido::btnSeleccionarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnElimFiltroProveedor, &QPushButton::clicked, this, [this] { EstablecerProveedor(0, kTodosProveedores); });
    connect(btnFiltroProveedor, &QPushButton::clicked, this, [this] {
        auto *frm = new TfrmBscarProveedor(datos_, this);
        frm->DesdeSelPedido = true;
        connect(frm, &VentanaBuscaProveedor::proveedorElegido, this,
                [this](int codigo, const QString &nombre, int) { EstablecerProveedor(codigo, nombre); });
        frm->MostrarModal();
        frm->deleteLater();
    });
    Filtrar();
}

TfrmSelPedido::~TfrmSelPedido() = default;

void TfrmSelPedido::EstablecerProveedor(int codigo, const QString &nombre)
{
    codProveedor_ = codigo;
    edProveedor->setText(codigo == 0 ? kTodosProveedores : nombre);
    Filtrar();
}

void TfrmSelPedido::Filtrar()
{
    try {
        lista_ = pedidos_->Listar({cmbFechaInicial->date(), cmbFechaFinal->date(), codProveedor_, true});
    } catch (const std::exception &e) {
        lista_.clear();
        mensajes().Error(TextoDeError(e));
    }
    gPedidos->setRowCount(static_cast<int>(lista_.size()));
    for (int r = 0; r < static_cast<int>(lista_.size()); ++r) {
        const PedidoListado &p = lista_[r];
        const QStringList celdas = {ImpresionPedidos::TextoFecha(p.fecha), p.comprobante, p.nombreProveedor, p.descripcion};
        for (int c = 0; c < celdas.size(); ++c)
            gPedidos->setItem(r, c, new QTableWidgetItem(celdas[c]));
    }
    if (!lista_.empty())
        gPedidos->selectRow(0);
}

void TfrmSelPedido::btnSeleccionarClick()
{
    const int fila = gPedidos->currentRow();
    if (fila < 0 || fila >= static_cast<int>(lista_.size()))
        return;
    const PedidoListado &p = lista_[fila];
    NroPedido = p.comprobante;
    CodigoProveedor = p.fkProveedor;
    NombreProveedor = p.nombreProveedor;
    NumCodigoInventario = p.numCodigoInventario;
    accept();
}
