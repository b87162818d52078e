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
    // Replaces the return window (tests); by default TfrmDevolucionConsig opens.
    static inline std::function<void(TfrmDetalleConsignacion &, int idConsignacion)> AbrirDevolucion;
    // After a return: the lines again, the return command disabled.
    void DevolucionHecha();
    std::function<void(Reporte &)> MostrarReporte;

    QLabel *lblProveedor, *lblFecha, *lblComprobante, *lblSubTotal1, *lblDescuento, *lblSubTotal2, *lblImpuesto,
        *lblTotal, *lblCodigo, *lblArticulo;
    QTableView *GridDetalles;
    QPushButton *btnDevolucion;
    QPushButton *btnReimprimir;
    QPushButton *btnCerrar;
    QPushButton *btnReenviar;
    // Folder of the send log and the queued e-mails (the executable's folder by default).
    QString carpetaEnvio;

public slots:
    void btnDevolucionClick();
    void btnReimprimirClick();
    void ReenviarArchivosDistribuidora();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void CargarDetalle();
    // "Reenviar Archivos" only while the return command is disabled.
    void VisibilidadReenviar();

    TFDatosComp &datos_;
    int id_;
    QString comprobante_;
    bool anulada_ = false;
    bool devuelta_ = false;
    db::DatasetModel *dsDetConsig;
    Llamador llamador_;
};
