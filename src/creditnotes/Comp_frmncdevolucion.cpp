#include "creditnotes/Comp_frmncdevolucion.h"

#include "creditnotes/ImpresionNotaCredito.h"
#include "data/Comp_fdatos.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "platform/report/Reporte.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmNCDevolucion::TfrmNCDevolucion(TFDatosComp &datos, const DocumentoDevolucion &documento, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), datos_(datos), documento_(documento),
      proceso_(DevolucionNotaCredito::DesdeDatosComp(datos))
{
    setObjectName(QStringLiteral("frmNCDevolucion"));
    setWindowTitle(QStringLiteral("Devolución de Mercadería"));
    setAttribute(Qt::WA_DeleteOnClose);
    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };

    auto *prompt = new QLabel(QStringLiteral("Digite el Nro. de la factura sobre la cuál aplicar\nla devolución:"), this);
    edFactura = new QLineEdit(this);
    edFactura->setObjectName(QStringLiteral("edFactura"));
    edFactura->setMaxLength(12);
    ckNoSistema = new QCheckBox(QStringLiteral("Factura no cargada en el Sistema"), this);
    ckNoSistema->setObjectName(QStringLiteral("ckNoSistema"));
    chkAsignaFactura = new QCheckBox(QStringLiteral("Asignar Automáticamente a factura"), this);
    chkAsignaFactura->setObjectName(QStringLiteral("chkAsignaFactura"));
    btnAceptar = new QPushButton(QStringLiteral(" &Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnAceptar->setVisible(false);
    btnCancelar = new QPushButton(QStringLiteral(" &Volver "), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    lblTotal = new QLabel(this);
    lblTotal->setObjectName(QStringLiteral("lblTotal"));
    lblDescuento = new QLabel(this);
    lblDescuento->setObjectName(QStringLiteral("lblDescuento"));
    lblImpuesto = new QLabel(this);
    lblImpuesto->setObjectName(QStringLiteral("lblImpuesto"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Número de Factura:"), edFactura);
    auto *importes = new QFormLayout;
    importes->addRow(QStringLiteral("Descuento:"), lblDescuento);
    importes->addRow(QStringLiteral("Impuesto:"), lblImpuesto);
    importes->addRow(QStringLiteral("Total:"), lblTotal);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addLayout(form);
    layout->addWidget(ckNoSistema);
    layout->addWidget(chkAsignaFactura);
    layout->addLayout(importes);
    layout->addLayout(botones);

    try {
        const TotalesDevolucion t = proceso_->TotalesDeEstacion();
        lblDescuento->setText(FormatoMoneda(t.descuento));
        lblImpuesto->setText(FormatoMoneda(t.impuesto));
        lblTotal->setText(FormatoMoneda(t.total));
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
    }

    connect(edFactura, &QLineEdit::editingFinished, this, &TfrmNCDevolucion::edFacturaExit);
    connect(edFactura, &QLineEdit::textEdited, this, [this](const QString &t) {
        const int pos = edFactura->cursorPosition();
        edFactura->setText(t.toUpper());
        edFactura->setCursorPosition(pos);
        existeFactura_ = false;
        if (!ckNoSistema->isChecked())
            btnAceptar->setVisible(false);
    });
    connect(ckNoSistema, &QCheckBox::clicked, this, &TfrmNCDevolucion::ckNoSistemaClick);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmNCDevolucion::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &QWidget::close);
    for (QWidget *w : {static_cast<QWidget *>(edFactura), static_cast<QWidget *>(ckNoSistema),
                       static_cast<QWidget *>(chkAsignaFactura), static_cast<QWidget *>(btnAceptar),
                       static_cast<QWidget *>(btnCancelar)})
        w->installEventFilter(this);
    edFactura->setFocus();
}

TfrmNCDevolucion::~TfrmNCDevolucion() = default;

void TfrmNCDevolucion::edFacturaExit()
{
    const QString numero = edFactura->text().trimmed();
    if (numero.isEmpty() || ckNoSistema->isChecked())
        return;
    std::optional<FacturaDevolucion> f;
    try {
        f = proceso_->BuscarFactura(documento_.codProveedor, numero);
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
    }
    if (f && f->anulada) {
        mensajes().Globo(edFactura, DevolucionNotaCredito::kFacturaAnulada);
        f.reset();
    }
    existeFactura_ = f.has_value();
    btnAceptar->setVisible(existeFactura_);
    if (existeFactura_) {
        btnAceptar->setFocus();
    } else {
        edFactura->clear();
        edFactura->setFocus();
    }
}

void TfrmNCDevolucion::ckNoSistemaClick()
{
    const bool marcado = ckNoSistema->isChecked();
    if (marcado)
        edFactura->clear();
    edFactura->setEnabled(!marcado);
    existeFactura_ = false;
    btnAceptar->setVisible(marcado);
}

void TfrmNCDevolucion::btnAceptarClick()
{
    if (!btnAceptar->isVisible() || !btnAceptar->isEnabled())
        return;
    DocumentoDevolucion doc = documento_;
    doc.facturaNoSistema = ckNoSistema->isChecked();
    doc.factura = doc.facturaNoSistema ? QString() : edFactura->text().trimmed();
    doc.asignar = chkAsignaFactura->isChecked() && !doc.facturaNoSistema;
    btnAceptar->setEnabled(false);
    const int id = proceso_->Registrar(doc);
    btnAceptar->setEnabled(true);
    if (id == 0)
        return;  // the user has seen why; the window stays open
    mensajes().Informacion(DevolucionNotaCredito::kCargada);
    Imprimir(id);
    emit registrada(id);
    close();
}

void TfrmNCDevolucion::Imprimir(int idNota)
{
    try {
        ImpresionNotaCredito impresion;
        Reporte &r = impresion.Preparar(*datos_.dbCorvane, *datos_.dbInv, idNota,
                                        TFDatosComp::VerVariable(QStringLiteral("PathReportes")),
                                        DevolucionNotaCredito::EncabezadoDe(datos_));
        if (MostrarReporte)
            MostrarReporte(r);
    } catch (const std::exception &e) {
        // The note is recorded; only its printout failed.
        mensajes().Error(QStringLiteral("No se pudo imprimir la nota de crédito.\n") + TextoDeError(e));
    }
}

void TfrmNCDevolucion::closeEvent(QCloseEvent *e)
{
    QWidget::closeEvent(e);
    emit cerrada();
}

bool TfrmNCDevolucion::eventFilter(QObject *objeto, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent *>(e)->key();
        if (k == Qt::Key_Escape) {
            close();
            return true;
        }
        if ((k == Qt::Key_Return || k == Qt::Key_Enter) && objeto != btnAceptar && objeto != btnCancelar) {
            focusNextChild();
            return true;
        }
    }
    return QWidget::eventFilter(objeto, e);
}
