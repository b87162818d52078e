#pragma once
// "Detalle de Factura de Compra a Casa Central": the invoice's lines, where the received
// quantities are confirmed before the purchase is recorded.

#include "purchases/ImportacionCentral.h"

#include <QWidget>

#include <vector>

class QPushButton;
class QTableWidget;

class TfrmDetalleFacCC : public QWidget {
    Q_OBJECT
public:
    TfrmDetalleFacCC(ImportacionCentral &importacion, FacturaCentral factura, std::vector<LineaCentral> lineas,
                     ProveedorCentral proveedor, int nroTienda, QString usuario, QWidget *parent = nullptr);

    const std::vector<LineaCentral> &Lineas() const { return lineas_; }

public slots:
    // Asks, records, reports; true when recorded.
    bool btnProcesarClick();

signals:
    void registrada(int idCompra);

private:
    void LeerRecibidas();

    ImportacionCentral &imp_;
    FacturaCentral factura_;
    std::vector<LineaCentral> lineas_;
    ProveedorCentral proveedor_;
    int nroTienda_;
    QString usuario_;
    QTableWidget *grdDetalle;
    QPushButton *btnProcesar, *btnCerrar;
};
