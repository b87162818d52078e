#include "consignments/Comp_frmguardarconsignacion.h"

#include "consignments/ImpresionConsignaciones.h"
#include "consignments/RecepcionConsignacion.h"
#include "data/Comp_fdatos.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "platform/report/Reporte.h"
#include "purchases/Comp_frmagregacompras.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

void ImprimirReporteConsignacion(TFDatosComp &datos, int id, const QString &comprobante,
                                 const std::function<void(Reporte &)> &mostrar)
{
    try {
        ImpresionConsignaciones impresion(datos);
        Reporte &r = impresion.PrepararRespaldo(id, comprobante);
        if (mostrar)
            mostrar(r);
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
    }
}

TfrmGuardarConsignacion::TfrmGuardarConsignacion(TFDatosComp &datos, TfrmAgregaCompra &entrada, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), datos_(datos), entrada_(entrada)
{
    setObjectName(QStringLiteral("frmGuardarConsignacion"));
    setWindowTitle(QStringLiteral("Guargar Consignación"));
    setAttribute(Qt::WA_DeleteOnClose);
    lblProveedor = new QLabel(entrada.Entrada().NombreProveedor(), this);
    lblProveedor->setObjectName(QStringLiteral("lblProveedor"));
    lblTotal = new QLabel(FormatCurrency(QStringLiteral("#,##0.00"), entrada.Entrada().Totales().Total), this);
    lblTotal->setObjectName(QStringLiteral("lblTotal"));
    btnAceptar = new QPushButton(QStringLiteral(" &Aceptar "), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral(" &Volver "), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    auto *g = new QGridLayout;
    g->addWidget(new QLabel(QStringLiteral("Proveedor:"), this), 0, 0);
    g->addWidget(lblProveedor, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Importe Total:"), this), 1, 0);
    g->addWidget(lblTotal, 1, 1);
    auto *b = new QHBoxLayout;
    b->addStretch(1);
    b->addWidget(btnAceptar);
    b->addWidget(btnCancelar);
    auto *v = new QVBoxLayout(this);
    v->addLayout(g);
    v->addLayout(b);
    setFixedSize(sizeHint().expandedTo(QSize(380, 120)));
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmGuardarConsignacion::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmGuardarConsignacion::btnCancelarClick);
    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };
}

TfrmGuardarConsignacion::~TfrmGuardarConsignacion() = default;

void TfrmGuardarConsignacion::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
    btnAceptar->setFocus();
}

void TfrmGuardarConsignacion::btnAceptarClick()
{
    btnAceptar->setEnabled(false);
    auto recepcion = RecepcionConsignacion::DesdeDatosComp(datos_);
    const DocumentoConsignacion doc = ConsignacionDeEntrada(entrada_.Entrada());
    idConsignacion = recepcion->Guardar(doc);
    if (idConsignacion <= 0)
        return;  // the failure was shown; back to the entry with " &Volver "
    llamador_.Habilitar();
    if (mensajes().Pregunta(RecepcionConsignacion::kPreguntaImprimir))
        ImprimirReporteConsignacion(datos_, idConsignacion, doc.comprobante, MostrarReporte);
    // The saved lines already left the station: the entry starts over.
    entrada_.Entrada().LimpiarFactura();
    mensajes().Informacion(RecepcionConsignacion::kGuardada);
    close();
    entrada_.close();
}

void TfrmGuardarConsignacion::btnCancelarClick()
{
    close();
}

void TfrmGuardarConsignacion::closeEvent(QCloseEvent *e)
{
    llamador_.Habilitar();
    QWidget::closeEvent(e);
}

void TfrmGuardarConsignacion::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        btnCancelarClick();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        focusNextChild();
        return;
    }
    QWidget::keyPressEvent(e);
}
