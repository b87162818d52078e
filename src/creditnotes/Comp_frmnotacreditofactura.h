#pragma once
// "Notas de Crédito Relacionadas a la Factura": the supplier's credit notes tied to the current
// purchase invoice of TFacturasCompra, read-only.

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTableView;
class TFDatosComp;

class TfrmNotaCreditoFactura : public QWidget {
    Q_OBJECT
public:
    explicit TfrmNotaCreditoFactura(TFDatosComp &datos, QWidget *parent = nullptr);

    // Reopens TNC on the notes of the current invoice (same number and supplier). Without notes
    // says so and returns nullptr; otherwise shows the window and disables `detalle` until it closes.
    static TfrmNotaCreditoFactura *Abrir(TFDatosComp &datos, QWidget *detalle);

signals:
    void cerrada();

protected:
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    TFDatosComp &datos_;
    QTableView *GridNC;
    QLineEdit *edImporteFactura;
    QLineEdit *edImporteNC;
    QLineEdit *edSaldoFactura;
    QPushButton *btnCerrar;
};
