#pragma once
// Store settings the price functions read. The data module registers a provider that
// reads them from DatosConfig; they are asked for at every call, never cached here.

#include <functional>

struct AjustesPrecios {
    int unidadRedondeo = 0;                // UNIDAD_REDONDEO: 5 rounds to half units
    bool redondeaPrecioFinal = false;      // REDONDEA_PRECIO_FINAL = "S"
    bool descuentoEnPrecioCompra = false;  // DESCUENTO_EN_PRECIO_COMPRA = "S"
};

// An empty provider restores the defaults.
void EstablecerProveedorAjustes(std::function<AjustesPrecios()> proveedor);

// Calls the provider each time; defaults when none is registered.
AjustesPrecios AjustesActuales();
