#pragma once
// What the invoice detail view shows of the current invoice of the purchases list.

#include "platform/Currency.h"

#include <QDate>
#include <QString>

class TFDatosComp;

struct ResumenFactura {
    bool hay = false;  // false: the list has no current invoice
    QString proveedor, comprobante;
    QDate fecha;
    Currency subTotal1, porcDescuento, descuento, subTotal2, impuesto, total;
    QString moneda;  // "Factura en ..." in a multi-currency store, else ""
};

// The current row of TFacturasCompra; its lines are in TDetCom.
ResumenFactura FacturaActual(TFDatosComp &datos);
