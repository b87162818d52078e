#include "purchases/DetalleFactura.h"

#include "data/Comp_fdatos.h"
#include "platform/db/Dataset.h"

ResumenFactura FacturaActual(TFDatosComp &datos)
{
    ResumenFactura r;
    db::Dataset &f = *datos.TFacturasCompra;
    if (!f.active() || f.isEmpty())
        return r;
    auto monto = [&f](const char *campo) { return f.fieldByName(QLatin1String(campo)).asCurrency(); };
    r.hay = true;
    r.proveedor = f.fieldByName(QStringLiteral("NOMBRE")).asString();
    r.comprobante = f.fieldByName(QStringLiteral("COMPROBANTE")).asString();
    r.fecha = f.fieldByName(QStringLiteral("FECHA")).asDate();
    r.subTotal1 = monto("SubTotal1");
    r.porcDescuento = monto("PORC_DESCUENTO");
    r.descuento = monto("IMPORTE_DESCUENTO");
    r.subTotal2 = monto("SubTotal2");
    r.impuesto = monto("IMPORTE_IV");
    r.total = monto("IMPORTE_TOTAL");
    if (datos.ConfigSi(QStringLiteral("COMPRA_MULTIMONEDA"))) {
        const bool local = f.fieldByName(QStringLiteral("MONEDA_CARGA")).asInteger() == 1;
        r.moneda = QStringLiteral("Factura en ") +
                   datos.Config(local ? QStringLiteral("DENOMINACION_MONEDA") : QStringLiteral("DENOMINACION_MONEDA2")).trimmed();
    }
    return r;
}
