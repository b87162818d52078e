#include "purchases/Comp_frmdetallefactura.h"

#include "ui/CamposEdicion.h"

#include "data/Comp_fdatos.h"
#include "purchases/DetalleFactura.h"
#include "creditnotes/Comp_frmnotacreditofactura.h"
#include "platform/db/DatasetModel.h"
#include "platform/Formato.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

TfrmDetalleFactura::TfrmDetalleFactura(TFDatosComp &datos, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowStaysOnTopHint),
      datos_(datos)
{
    setWindowTitle(QStringLiteral("Detalles de Factura"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(774, 467);

    const ResumenFactura r = FacturaActual(datos_);
    auto texto = [&](const QString &v) {
        auto *e = new QLineEdit(v, this);
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        return e;
    };
    auto monto = [&](const char *nombre, Currency valor) {
        auto *e = texto(r.hay ? FormatoMoneda(valor) : QString());
        e->setObjectName(QLatin1String("ed") + QLatin1String(nombre));
        e->setAlignment(Qt::AlignRight);
        return e;
    };

    auto *g = new QGridLayout;
    auto *proveedor = texto(r.proveedor);
    proveedor->setObjectName(QStringLiteral("edProveedor"));
    auto *comprobante = texto(r.comprobante);
    comprobante->setObjectName(QStringLiteral("edComprobante"));
    auto *fecha = texto(r.hay ? r.fecha.toString(QStringLiteral("dd/MM/yyyy")) : QString());
    g->addWidget(new QLabel(QStringLiteral("Proveedor"), this), 0, 0);
    g->addWidget(proveedor, 0, 1, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Comprobante:"), this), 1, 0);
    g->addWidget(comprobante, 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Fecha:"), this), 1, 2);
    g->addWidget(fecha, 1, 3);
    lblMonedaFactura = new QLabel(this);
    lblMonedaFactura->setObjectName(QStringLiteral("lblMonedaFactura"));
    g->addWidget(lblMonedaFactura, 0, 4, 2, 1, Qt::AlignRight);

    GridDetalles = new QTableView(this);
    GridDetalles->setObjectName(QStringLiteral("GridDetalles"));
    auto *modelo = new db::DatasetModel(datos_.TDetCom, this);
    modelo->setColumns({{QStringLiteral("CODIGO_ARTICULO"), QStringLiteral("Código"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                        {QStringLiteral("DESCRIPCION"), QStringLiteral("Artículo"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                        {QStringLiteral("IMPORTE_UNITARIO"), QStringLiteral("Precio Unitario"), QStringLiteral("#,##0.00"),
                         Qt::AlignRight | Qt::AlignVCenter},
                        {QStringLiteral("CANTIDAD"), QStringLiteral("Cantidad"), datos_.FormatearCantidad(),
                         Qt::AlignCenter},
                        {QStringLiteral("PORC_DESCUENTO"), QStringLiteral("Descuento"), QStringLiteral("#,##0.00"),
                         Qt::AlignCenter},
                        {QStringLiteral("IMPORTE_TOTAL"), QStringLiteral("Importe Total"), QStringLiteral("#,##0.00"),
                         Qt::AlignRight | Qt::AlignVCenter}});
    modelo->rowStyle = [](int row, int role) -> QVariant {
        if (role == Qt::BackgroundRole && row % 2 == 1)
            return QColor(255, 255, 240);
        return QVariant();
    };
    GridDetalles->setModel(modelo);
    GridDetalles->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridDetalles->setSelectionMode(QAbstractItemView::SingleSelection);
    GridDetalles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridDetalles->verticalHeader()->hide();
    const int anchos[] = {110, 276, 98, 61, 58, 97};
    for (int i = 0; i < 6; ++i)
        GridDetalles->setColumnWidth(i, anchos[i]);
    GridDetalles->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    AnchoEncabezados(GridDetalles, 1);

    auto *t = new QGridLayout;
    auto fila = [&](int n, const QString &etiqueta, QWidget *w) {
        t->addWidget(new QLabel(etiqueta, this), n, 0, Qt::AlignRight);
        t->addWidget(w, n, 1);
    };
    auto *subtotal1 = monto("SubTotal1", r.subTotal1);
    auto *descuento = texto(r.hay ? FormatoMoneda(r.porcDescuento) + QStringLiteral(" = ") + FormatoMoneda(r.descuento)
                                  : QString());
    descuento->setObjectName(QStringLiteral("edDescuento"));
    descuento->setAlignment(Qt::AlignRight);
    fila(0, QStringLiteral("SubTotal:"), subtotal1);
    fila(1, QStringLiteral("Descuento:"), descuento);
    fila(2, QStringLiteral("SubTotal:"), monto("SubTotal2", r.subTotal2));
    fila(3, QStringLiteral("Impuesto:"), monto("IMPORTE_IV", r.impuesto));
    fila(4, QStringLiteral("Total Facturado:"), monto("IMPORTE_TOTAL", r.total));

    btnCerrar = new QPushButton(QStringLiteral(" &Cerrar "), this);
    btnCerrar->setObjectName(QStringLiteral("btnCerrar"));
    btnVerNotas = new QPushButton(QStringLiteral(" &Ver Notas de Crédito "), this);
    btnVerNotas->setObjectName(QStringLiteral("btnVerNotas"));
    auto *abajo = new QHBoxLayout;
    auto *botones = new QVBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnVerNotas);
    botones->addWidget(btnCerrar);
    abajo->addLayout(botones);
    abajo->addStretch(1);
    abajo->addLayout(t);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(g);
    layout->addWidget(GridDetalles, 1);
    layout->addLayout(abajo);

    connect(btnCerrar, &QPushButton::clicked, this, &QWidget::close);
    connect(btnVerNotas, &QPushButton::clicked, this, &TfrmDetalleFactura::btnVerNotasClick);
    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void TfrmDetalleFactura::AbrirDesde(QWidget *navegador)
{
    navegador_ = navegador;
    if (navegador_)
        navegador_->setEnabled(false);
    show();
}

void TfrmDetalleFactura::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    const ResumenFactura r = FacturaActual(datos_);
    lblMonedaFactura->setText(r.moneda);
    lblMonedaFactura->setVisible(r.hay && !r.moneda.isEmpty());
    btnCerrar->setFocus();
}

void TfrmDetalleFactura::btnVerNotasClick()
{
    TfrmNotaCreditoFactura::Abrir(datos_, this);
}

void TfrmDetalleFactura::closeEvent(QCloseEvent *e)
{
    if (navegador_)
        navegador_->setEnabled(true);
    QWidget::closeEvent(e);
    emit cerrada();
}

void TfrmDetalleFactura::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        focusNextChild();
        return;
    default:
        QWidget::keyPressEvent(e);
    }
}
