#pragma once
// Asks for the number of the new credit note that carries what the chosen notes exceed.

#include <QWidget>

class QLineEdit;
class QPushButton;

class TfrmSaldoNotaCredito : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSaldoNotaCredito(QWidget *parent = nullptr);

signals:
    void aceptado(const QString &numero);
    void cerrada();

public slots:
    void btnAceptarClick();

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    QLineEdit *Saldo_Nota;
    QPushButton *btnAceptar;
    QPushButton *btnCerrar;
};
