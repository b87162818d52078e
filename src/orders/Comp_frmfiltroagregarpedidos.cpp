#include "orders/Comp_frmfiltroagregarpedidos.h"

#include "orders/Comp_frmagregarpedido.h"
#include "catalogs/Comp_frmbuscarfamilia.h"
#include "catalogs/Comp_frmcambiarproveedor.h"
#include "catalogs/Familias.h"
#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"
#include "platform/VariablesHost.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kTodos = QStringLiteral("TODOS");
}

TfrmFiltroAgregarPedidos::TfrmFiltroAgregarPedidos(TFDatosComp &datos, QWidget *parent)
    : QWidget(parent, Qt::Window), datos_(datos),
      pedidos_(std::make_unique<Pedidos>(ConexionesDeDatosComp(datos), datos.TransLectura, datos.TransLecturaInv,
                                         mensajes(), VerVariable(QStringLiteral("vUsuario"))))
{
    setObjectName(QStringLiteral("frmFiltroAgregarPedidos"));
    setWindowTitle(QStringLiteral("Agregar Pedido"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto boton = [this](const QString &texto, const char *nombre) {
        auto *b = new QPushButton(texto, this);
        b->setObjectName(QLatin1String(nombre));
        return b;
    };
    edProveedor = new QLineEdit(kTodos, this);
    edProveedor->setObjectName(QStringLiteral("edProveedor"));
    edProveedor->setReadOnly(true);
    edFamilia = new QLineEdit(kTodos, this);
    edFamilia->setObjectName(QStringLiteral("edFamilia"));
    edFamilia->setReadOnly(true);
    btnProveedor = boton(QStringLiteral("..."), "btnProveedor");
    btnElimProveedor = boton(QStringLiteral("X"), "btnElimProveedor");
    btnFamilia = boton(QStringLiteral("..."), "btnFamilia");
    btnElimFamilia = boton(QStringLiteral("X"), "btnElimFamilia");
    btnAceptar = boton(QStringLiteral(" &Aceptar "), "btnAceptar");
    btnCancelar = boton(QStringLiteral(" &Cancelar "), "btnCancelar");
    auto *g = new QGridLayout;
    g->addWidget(new QLabel(QStringLiteral("Proveedor:"), this), 0, 0);
    g->addWidget(edProveedor, 0, 1);
    g->addWidget(btnProveedor, 0, 2);
    g->addWidget(btnElimProveedor, 0, 3);
    g->addWidget(new QLabel(QStringLiteral("Familia:"), this), 1, 0);
    g->addWidget(edFamilia, 1, 1);
    g->addWidget(btnFamilia, 1, 2);
    g->addWidget(btnElimFamilia, 1, 3);
    auto *botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *v = new QVBoxLayout(this);
    v->addLayout(g);
    v->addLayout(botones);

    connect(btnAceptar, &QPushButton::clicked, this, &TfrmFiltroAgregarPedidos::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &QWidget::close);
    connect(btnElimProveedor, &QPushButton::clicked, this, [this] { EstablecerProveedor(0, kTodos); });
    connect(btnElimFamilia, &QPushButton::clicked, this, [this] { EstablecerFamilia(QString(), kTodos); });
    connect(btnProveedor, &QPushButton::clicked, this, [this] {
        auto *frm = new TfrmCambiarProveedor(datos_, this);
        frm->Modo = QStringLiteral("FiltroAgregarPedido");
        connect(frm, &VentanaBuscaProveedor::proveedorElegido, this,
                [this](int codigo, const QString &nombre, int) { EstablecerProveedor(codigo, nombre); });
        frm->AbrirDesde(this, true);
    });
    connect(btnFamilia, &QPushButton::clicked, this, [this] {
        CambiarFamilia(datos_, this, OrigenFamilia::FiltroAgregarPedido,
                       [this](const QString &codigo, const QString &nombre) { EstablecerFamilia(codigo, nombre); });
    });
}

TfrmFiltroAgregarPedidos::~TfrmFiltroAgregarPedidos() = default;

void TfrmFiltroAgregarPedidos::EstablecerProveedor(int codigo, const QString &nombre)
{
    codProveedor_ = codigo;
    edProveedor->setText(codigo == 0 ? kTodos : nombre);
}

void TfrmFiltroAgregarPedidos::EstablecerFamilia(const QString &codigo, const QString &nombre)
{
    codFamilia_ = codigo;
    edFamilia->setText(codigo.isEmpty() ? kTodos : nombre);
}

void TfrmFiltroAgregarPedidos::btnAceptarClick()
{
    LineasPedido lineas;
    try {
        lineas = Pedidos::LineasDePropuesta(pedidos_->PropuestaReposicion(codProveedor_, codFamilia_));
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
        return;
    }
    auto *editor = new TfrmAgregarPedido(datos_, parentWidget());
    if (codProveedor_ != 0)
        editor->EstablecerProveedor(codProveedor_, edProveedor->text());
    editor->CargarLineas(lineas);
    editor->NuevoPedido();
    emit editorAbierto(editor);
    editor->show();
    close();
}

void TfrmFiltroAgregarPedidos::closeEvent(QCloseEvent *e)
{
    emit cerrada();
    QWidget::closeEvent(e);
}
