#include "creditnotes/Comp_frmnotacreditofactura.h"

#include "data/Comp_fdatos.h"
#include "platform/db/DatasetModel.h"
#include "creditnotes/NotasCreditoProveedor.h"
#include "platform/ErrorCompras.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

TfrmNotaCreditoFactura::TfrmNotaCreditoFactura(TFDatosComp &datos, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), datos_(datos)
{
    setWindowTitle(QStringLiteral("Notas de Crédito Relacionadas a la Factura"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(430, 330);

    GridNC = new QTableView(this);
    GridNC->setObjectName(QStringLiteral("GridNC"));
    auto *modelo = new db::DatasetModel(datos_.TNC, this);
    modelo->setColumns({{QStringLiteral("FECHA"), QStringLiteral("Fecha"), {}, Qt::AlignCenter},
                        {QStringLiteral("COMPROBANTE"), QStringLiteral("Comprobante"), {}, Qt::AlignCenter},
                        {QStringLiteral("IMP_TOTAL"), QStringLiteral("Importe"), QStringLiteral("#,##0.00"),
                         Qt::AlignRight | Qt::AlignVCenter}});
    GridNC->setModel(modelo);
    GridNC->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridNC->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridNC->verticalHeader()->hide();
    GridNC->horizontalHeader()->setStretchLastSection(true);

    auto edicion = [this](const char *nombre, const char *campo) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(nombre));
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight);
        db::Dataset &f = *datos_.TFacturasCompra;
        if (f.active() && !f.isEmpty())
            e->setText(FormatoMoneda(f.fieldByName(QLatin1String(campo)).asCurrency()));
        return e;
    };
    edImporteFactura = edicion("edImporteFactura", "IMPORTE_TOTAL");
    edImporteNC = edicion("edImporteNC", "IMPORTE_NC");
    edSaldoFactura = edicion("edSaldoFactura", "ImporteTotal");
    btnCerrar = new QPushButton(QStringLiteral(" &Cerrar "), this);
    btnCerrar->setObjectName(QStringLiteral("btnCerrar"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Importe Factura:"), edImporteFactura);
    form->addRow(QStringLiteral("Total aplicado por Notas de Credito:"), edImporteNC);
    form->addRow(QStringLiteral("Saldo de la Factura:"), edSaldoFactura);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnCerrar);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GridNC, 1);
    layout->addLayout(form);
    layout->addLayout(botones);
    connect(btnCerrar, &QPushButton::clicked, this, &QWidget::close);
    if (QScreen *s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

TfrmNotaCreditoFactura *TfrmNotaCreditoFactura::Abrir(TFDatosComp &d, QWidget *detalle)
{
    QString comprobante;
    try {
        comprobante = AbrirNotasDeFactura(d);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return nullptr;
    }
    if (comprobante.isEmpty())
        return nullptr;
    if (d.TNC->isEmpty()) {
        mensajes().Informacion(QStringLiteral("No existen notas de Crédito asignadas a la factura: ") + comprobante);
        return nullptr;
    }
    auto *v = new TfrmNotaCreditoFactura(d, detalle);
    if (detalle) {
        detalle->setEnabled(false);
        v->setEnabled(true);
        QPointer<QWidget> d2(detalle);
        connect(v, &TfrmNotaCreditoFactura::cerrada, detalle, [d2] {
            if (d2)
                d2->setEnabled(true);
        });
    }
    v->show();
    return v;
}

void TfrmNotaCreditoFactura::closeEvent(QCloseEvent *e)
{
    QWidget::closeEvent(e);
    emit cerrada();
}

void TfrmNotaCreditoFactura::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}
