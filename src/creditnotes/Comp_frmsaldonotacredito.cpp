#include "creditnotes/Comp_frmsaldonotacredito.h"

#include "platform/Mensajes.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmSaldoNotaCredito::TfrmSaldoNotaCredito(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Nota de Crédito"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(380, 170);
    auto *texto = new QLabel(QStringLiteral("La Nota de Crédito excede el Monto a pagar\n"
                                            "Digite el número de Comprobante de la nueva \n"
                                            "Nota de Crédito por el Saldo"),
                             this);
    Saldo_Nota = new QLineEdit(this);
    Saldo_Nota->setObjectName(QStringLiteral("Saldo_Nota"));
    Saldo_Nota->setMaxLength(12);
    connect(Saldo_Nota, &QLineEdit::textEdited, this, [this](const QString &t) {
        const int pos = Saldo_Nota->cursorPosition();
        Saldo_Nota->setText(t.toUpper());
        Saldo_Nota->setCursorPosition(pos);
    });
    btnAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCerrar = new QPushButton(QStringLiteral("&Cerrar"), this);
    btnCerrar->setObjectName(QStringLiteral("btnCerrar"));
    auto *fila = new QHBoxLayout;
    fila->addWidget(new QLabel(QStringLiteral("Nota de Crédito Nº"), this));
    fila->addWidget(Saldo_Nota, 1);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCerrar);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(texto);
    layout->addLayout(fila);
    layout->addLayout(botones);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmSaldoNotaCredito::btnAceptarClick);
    connect(btnCerrar, &QPushButton::clicked, this, &QWidget::close);
    Saldo_Nota->installEventFilter(this);
    Saldo_Nota->setFocus();
}

void TfrmSaldoNotaCredito::btnAceptarClick()
{
    if (Saldo_Nota->text().trimmed().isEmpty()) {
        mensajes().Globo(Saldo_Nota, QStringLiteral("Este campo no puede quedar vacío"), QStringLiteral("Atención"), 5000);
        return;
    }
    emit aceptado(Saldo_Nota->text().trimmed());
    close();
}

void TfrmSaldoNotaCredito::closeEvent(QCloseEvent *e)
{
    QWidget::closeEvent(e);
    emit cerrada();
}

bool TfrmSaldoNotaCredito::eventFilter(QObject *objeto, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        const int k = static_cast<QKeyEvent *>(e)->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            btnAceptar->setFocus();
            return true;
        }
        if (k == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(objeto, e);
}
