#pragma once
// "Registrar Cheque": completes the bank movement of a cheque payment before posting.

#include "purchases/ProcesoCompra.h"

#include <QDialog>

class TFDatosComp;

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class EdicionMoneda;

class TfrmRegistrarCheque : public QDialog {
    Q_OBJECT
public:
    // Edits `movimiento`; the bank accounts come from CUENTAS_BANCARIAS by name.
    TfrmRegistrarCheque(TFDatosComp &datos, MovimientoBanco &movimiento, QWidget *parent = nullptr);

    // Shows the dialog modally; true when accepted.
    static bool Registrar(TFDatosComp &datos, MovimientoBanco &movimiento, QWidget *parent = nullptr);

public slots:
    void btnAceptarClick();

protected:
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    TFDatosComp &datos_;
    MovimientoBanco &m_;
    QComboBox *cmbCuenta;
    QDateEdit *edFecha;
    QLineEdit *edComprobante;
    EdicionMoneda *edImporte;
    QLineEdit *edBeneficiario;
    QLineEdit *edConcepto;
    QPushButton *btnAceptar;
    QPushButton *btnCancelar;
};
