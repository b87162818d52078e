#include "pricing/AjustesPrecios.h"

#include "data/Comp_fdatos.h"

AjustesPrecios AjustesDeTienda(const TFDatosComp &datos)
{
    AjustesPrecios a;
    a.unidadRedondeo = datos.ConfigEntero(QStringLiteral("UNIDAD_REDONDEO"));
    a.redondeaPrecioFinal = datos.ConfigSi(QStringLiteral("REDONDEA_PRECIO_FINAL"));
    a.descuentoEnPrecioCompra = datos.ConfigSi(QStringLiteral("DESCUENTO_EN_PRECIO_COMPRA"));
    return a;
}
