#pragma once
// Confirms the goods typed in purchase entry as returned to the supplier against its credit
// note: the invoice the return belongs to, whether to apply the note against that invoice's
// open credit, then records and prints the note.

#include "creditnotes/DevolucionNotaCredito.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Reporte;
class TFDatosComp;

class TfrmNCDevolucion : public QWidget {
    Q_OBJECT
public:
    // `documento` carries the entry's supplier, voucher, date, discount and currency.
    TfrmNCDevolucion(TFDatosComp &datos, const DocumentoDevolucion &documento, QWidget *parent = nullptr);
    ~TfrmNCDevolucion() override;

    DevolucionNotaCredito &Proceso() { return *proceso_; }
    // Shows the printed note (the preview by default).
    std::function<void(Reporte &)> MostrarReporte;

signals:
    // The note was recorded (the entry's work rows are gone).
    void registrada(int idNota);
    void cerrada();

public slots:
    void edFacturaExit();
    void ckNoSistemaClick();
    void btnAceptarClick();

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    void Imprimir(int idNota);

    TFDatosComp &datos_;
    DocumentoDevolucion documento_;
    std::unique_ptr<DevolucionNotaCredito> proceso_;
    bool existeFactura_ = false;

    QLineEdit *edFactura;
    QCheckBox *ckNoSistema;
    QCheckBox *chkAsignaFactura;
    QPushButton *btnAceptar;
    QPushButton *btnCancelar;
    QLabel *lblTotal, *lblDescuento, *lblImpuesto;
};
