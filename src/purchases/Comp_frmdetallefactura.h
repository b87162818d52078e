#pragma once
// "Detalles de Factura": the current invoice of TFacturasCompra with its lines (TDetCom),
// read-only, and the credit notes tied to it.

#include <QPointer>
#include <QWidget>

class TFDatosComp;

class QLabel;
class QPushButton;
class QTableView;

class TfrmDetalleFactura : public QWidget {
    Q_OBJECT
public:
    explicit TfrmDetalleFactura(TFDatosComp &datos, QWidget *parent = nullptr);

    // Disables `navegador` until this window closes.
    void AbrirDesde(QWidget *navegador);

signals:
    void cerrada();

public slots:
    void btnVerNotasClick();

protected:
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    TFDatosComp &datos_;
    QPointer<QWidget> navegador_;
    QLabel *lblMonedaFactura;
    QTableView *GridDetalles;
    QPushButton *btnCerrar;
    QPushButton *btnVerNotas;
};
