#include "orders/Comp_frmreportepedidos.h"

#include "orders/Comp_frmfiltropedidos.h"
#include "orders/ImpresionPedidos.h"
#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"
#include "platform/VariablesHost.h"
#include "ui/CamposEdicion.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

void VerReporteControl(TFDatosComp &datos, Pedidos &pedidos, const PedidoListado &pedido, bool verNombre2,
                       QWidget *padre)
{
    try {
        ImpresionPedidos impresion(pedidos, ImpresionPedidos::EncabezadoDe(datos), VerVariable(QStringLiteral("PathReportes")));
        impresion.PrepararControl(pedido, verNombre2).ShowReport(padre);
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
    }
}

TfrmReportePedidos::TfrmReportePedidos(TFDatosComp &datos, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      datos_(datos),
      pedidos_(std::make_unique<Pedidos>(ConexionesDeDatosComp(datos), datos.TransLectura, datos.TransLecturaInv,
                                         mensajes(), VerVariable(QStringLiteral("vUsuario"))))
{
    setObjectName(QStringLiteral("frmReportePedidos"));
    setWindowTitle(QStringLiteral("Reporte pedidos"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(366, 144);
    fechaInicial = new QDateEdit(QDate::currentDate(), this);
    fechaInicial->setObjectName(QStringLiteral("fechaInicial"));
    fechaFinal = new QDateEdit(QDate::currentDate(), this);
    fechaFinal->setObjectName(QStringLiteral("fechaFinal"));
    for (QDateEdit *f : {fechaInicial, fechaFinal}) {
        PrepararFechaPedido(f);
        connect(f, &QDateEdit::editingFinished, this, &TfrmReportePedidos::LimitarFechas);
    }
    btoAceptar = new QPushButton(QStringLiteral(" &Aceptar "), this);
    btoAceptar->setObjectName(QStringLiteral("btoAceptar"));
    btoCancelar = new QPushButton(QStringLiteral(" &Cancelar "), this);
    btoCancelar->setObjectName(QStringLiteral("btoCancelar"));
    auto *grupo = new QGroupBox(this);
    auto *form = new QFormLayout(grupo);
    form->addRow(QStringLiteral("Desde:"), fechaInicial);
    form->addRow(QStringLiteral("Hasta:"), fechaFinal);
    auto *botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(btoAceptar);
    botones->addWidget(btoCancelar);
    auto *v = new QVBoxLayout(this);
    v->addWidget(grupo);
    v->addLayout(botones);
    Mostrar = [this](Reporte &r) { r.ShowReport(this); };
    connect(btoAceptar, &QPushButton::clicked, this, &TfrmReportePedidos::btoAceptarClick);
    connect(btoCancelar, &QPushButton::clicked, this, &QWidget::close);
    LimitarFechas();
}

TfrmReportePedidos::~TfrmReportePedidos() = default;

void TfrmReportePedidos::LimitarFechas()
{
    ::LimitarFechas(fechaInicial, fechaFinal);
}

void TfrmReportePedidos::btoAceptarClick()
{
    try {
        ImpresionPedidos impresion(*pedidos_, ImpresionPedidos::EncabezadoDe(datos_),
                                   VerVariable(QStringLiteral("PathReportes")));
        Reporte &r = impresion.PrepararListado(fechaInicial->date(), fechaFinal->date());
        if (Mostrar)
            Mostrar(r);
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
        return;
    }
    close();
}

void TfrmReportePedidos::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        focusNextChild();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TfrmReportePedidos::closeEvent(QCloseEvent *e)
{
    emit cerrada();
    QWidget::closeEvent(e);
}
