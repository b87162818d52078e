#pragma once
// "Guargar Consignación": saves the document of purchase entry (consignment mode) as a
// consignment received and offers to print its voucher.

#include "ui/UtilBusqueda.h"

#include <QWidget>

#include <functional>

class Reporte;
class TFDatosComp;
class TfrmAgregaCompra;
class QLabel;
class QPushButton;

class TfrmGuardarConsignacion : public QWidget {
    Q_OBJECT
public:
    TfrmGuardarConsignacion(TFDatosComp &datos, TfrmAgregaCompra &entrada, QWidget *parent = nullptr);
    ~TfrmGuardarConsignacion() override;

    void AbrirDesde(QWidget *llamador);
    // The new consignment's id (0 until saved).
    int idConsignacion = 0;
    // Preview of the voucher (tests replace it).
    std::function<void(Reporte &)> MostrarReporte;

    QLabel *lblProveedor;
    QLabel *lblTotal;
    QPushButton *btnAceptar;
    QPushButton *btnCancelar;

public slots:
    void btnAceptarClick();
    void btnCancelarClick();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    TFDatosComp &datos_;
    TfrmAgregaCompra &entrada_;
    Llamador llamador_;
};

// The voucher of a consignment, previewed through `mostrar`; a failure is shown.
void ImprimirReporteConsignacion(TFDatosComp &datos, int idConsignacion, const QString &comprobante,
                                 const std::function<void(Reporte &)> &mostrar);
