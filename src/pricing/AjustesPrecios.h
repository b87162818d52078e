#pragma once
// Store settings the price functions use, read from DatosConfig by whoever builds a posting
// or a price calculation and passed along with it, so each calculation carries its own.

struct AjustesPrecios {
    int unidadRedondeo = 0;                // UNIDAD_REDONDEO: 5 rounds to half units
    bool redondeaPrecioFinal = false;      // REDONDEA_PRECIO_FINAL = "S"
    bool descuentoEnPrecioCompra = false;  // DESCUENTO_EN_PRECIO_COMPRA = "S"
};

class TFDatosComp;

// The settings of the store the data module is connected to.
AjustesPrecios AjustesDeTienda(const TFDatosComp &datos);
