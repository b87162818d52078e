#pragma once
// "Detalle de Consignacion": one consignment with its lines; its return and the reprint of
// its voucher.

#include "ui/UtilBusqueda.h"

#include <QWidget>

#include <functional>

class Reporte;
class TFDatosComp;
class QLabel;
class QPushButton;
class QTableView;
namespace db {
class DatasetModel;
}

class TfrmDetalleConsignacion : public QWidget {
    Q_OBJECT
public:
    TfrmDetalleConsignacion(TFDatosComp &datos, int idConsignacion, QWidget *parent = nullptr);
    ~TfrmDetalleConsignacion() override;

    void AbrirDesde(QWidget *llamador);
    // The return window; until it exists the user is told it is not available.
    static inline std::function<void(TfrmDetalleConsignacion &, int idConsignacion)> AbrirDevolucion;
    std::function<void(Reporte &)> MostrarReporte;

    QLabel *lblProveedor, *lblFecha, *lblComprobante, *lblSubTotal1, *lblDescuento, *lblSubTotal2, *lblImpuesto,
        *lblTotal, *lblCodigo, *lblArticulo;
    QTableView *GridDetalles;
    QPushButton *btnDevolucion;
    QPushButton *btnReimprimir;
    QPushButton *btnCerrar;

public slots:
    void btnDevolucionClick();
    void btnReimprimirClick();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void CargarDetalle();

    TFDatosComp &datos_;
    int id_;
    QString comprobante_;
    bool anulada_ = false;
    bool devuelta_ = false;
    db::DatasetModel *dsDetConsig;
    Llamador llamador_;
};
