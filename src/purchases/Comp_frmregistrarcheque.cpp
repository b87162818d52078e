#include "purchases/Comp_frmregistrarcheque.h"

#include "purchases/CuentasBancarias.h"
#include "platform/ErrorCompras.h"
#include "data/Comp_fdatos.h"
#include "purchases/Comp_frmprocesar.h"
#include "platform/db/DbError.h"
#include "platform/Mensajes.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmRegistrarCheque::TfrmRegistrarCheque(TFDatosComp &datos, MovimientoBanco &movimiento, QWidget *parent)
    : QDialog(parent), datos_(datos), m_(movimiento)
{
    setWindowTitle(QStringLiteral("Registrar Cheque"));
    setFixedSize(420, 260);

    cmbCuenta = new QComboBox(this);
    cmbCuenta->setObjectName(QStringLiteral("cmbCuenta"));
    try {
        for (const CuentaBancaria &c : CuentasBancarias(datos_))
            cmbCuenta->addItem(c.nombre, c.id);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
    const int i = cmbCuenta->findData(m_.idCuenta);
    cmbCuenta->setCurrentIndex(i >= 0 ? i : 0);
    edFecha = new QDateEdit(m_.fecha.date(), this);
    edFecha->setObjectName(QStringLiteral("edFecha"));
    edFecha->setCalendarPopup(true);
    edFecha->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    auto mayusculas = [this](QLineEdit *e) {
        connect(e, &QLineEdit::textEdited, this, [e](const QString &t) {
            const int pos = e->cursorPosition();
            e->setText(t.toUpper());
            e->setCursorPosition(pos);
        });
    };
    edComprobante = new QLineEdit(m_.comprobante, this);
    edComprobante->setObjectName(QStringLiteral("edComprobante"));
    edComprobante->setMaxLength(20);
    edImporte = new EdicionMoneda(this);
    edImporte->setObjectName(QStringLiteral("edImporte"));
    edImporte->setValor(m_.importe);
    edBeneficiario = new QLineEdit(m_.beneficiario, this);
    edBeneficiario->setObjectName(QStringLiteral("edBeneficiario"));
    edBeneficiario->setMaxLength(100);
    edConcepto = new QLineEdit(m_.concepto, this);
    edConcepto->setObjectName(QStringLiteral("edConcepto"));
    edConcepto->setMaxLength(200);
    for (QLineEdit *e : {edComprobante, edBeneficiario, edConcepto})
        mayusculas(e);
    btnAceptar = new QPushButton(QStringLiteral(" &Aceptar "), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral(" &Cancelar "), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Cuenta:"), cmbCuenta);
    form->addRow(QStringLiteral("Fecha:"), edFecha);
    form->addRow(QStringLiteral("Cheque Nº:"), edComprobante);
    form->addRow(QStringLiteral("Importe:"), edImporte);
    form->addRow(QStringLiteral("Beneficiario:"), edBeneficiario);
    form->addRow(QStringLiteral("Concepto:"), edConcepto);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(botones);
    for (QWidget *w : {static_cast<QWidget *>(cmbCuenta), static_cast<QWidget *>(edFecha),
                       static_cast<QWidget *>(edComprobante), static_cast<QWidget *>(edImporte),
                       static_cast<QWidget *>(edBeneficiario), static_cast<QWidget *>(edConcepto)})
        w->installEventFilter(this);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmRegistrarCheque::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
    btnAceptar->setAutoDefault(false);
    btnCancelar->setAutoDefault(false);
}

void TfrmRegistrarCheque::btnAceptarClick()
{
    m_.idCuenta = cmbCuenta->currentData().toInt();
    m_.fecha = QDateTime(edFecha->date(), QTime(0, 0));
    m_.comprobante = edComprobante->text().trimmed();
    m_.importe = edImporte->valor();
    m_.beneficiario = edBeneficiario->text().trimmed();
    m_.concepto = edConcepto->text().trimmed();
    accept();
}

bool TfrmRegistrarCheque::Registrar(TFDatosComp &datos, MovimientoBanco &movimiento, QWidget *parent)
{
    TfrmRegistrarCheque d(datos, movimiento, parent);
    return d.exec() == QDialog::Accepted;
}

bool TfrmRegistrarCheque::eventFilter(QObject *objeto, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent *>(e)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(objeto, e);
}
