#pragma once
// Sale-price recalculation of the four levels of an article after a receipt of goods.
// Inputs are the article as read before the posting and one purchase line; the
// result holds what the posting writes back.

#include "pricing/AjustesPrecios.h"
#include "platform/Currency.h"

#include <QString>
#include <array>

// Calculation bases (BASECALCULO_n).
enum BaseCalculo : int {
    BaseManual = 0,
    BaseUltimoPrecioCompra = 1,
    BaseCostoPromedio = 2,
    BasePrecioVenta1 = 3,  // levels 2 to 4 only
};

// One level of the article as stored.
struct NivelPrecio {
    int baseCalculo = BaseManual;  // BASECALCULO_n
    Currency coefA;                // COEFA_n
    Currency coefB;                // COEFB_n
    Currency sumaFija;             // SUMAFIJA_n
    int redondeo = 0;              // REDONDEO_n
    Currency preven;               // PREVEN_n
    Currency precioSinIv;          // PRECIOSINIV_n
    Currency precioConIv;          // PRECIOCONIV_n
};

struct DatosRecalculo {
    // Article.
    std::array<NivelPrecio, 4> niveles;  // [0] is level 1
    Currency porcIv;                     // PORC_IV
    QString redondeaPrecioFinal;         // the article's REDONDEA_PRECIO_FINAL
    Currency stockAnterior;              // STOCK
    Currency costoPromedioAnterior;      // COSTO_PROMEDIO

    // Purchase line, amounts in local currency.
    Currency cantidad;                   // CANTIDAD
    Currency costoNeto;                  // unit cost, less the line discount when it goes into the cost
    Currency precioVenta;                // PRECIO_VENTA
    Currency impUnitConIv;               // IMP_UNIT_CON_IV
    Currency impUnitSinIv;               // IMP_UNIT_SIN_IV
    Currency porceDesc;                  // PORCE_DESC
    QString gravado;                     // GRAVADO
    QString ivi;                         // IVI; anything but "S" counts as "N"

    AjustesPrecios ajustes;  // store rounding and cost-discount settings
};

struct PreciosNivel {
    Currency preven;
    Currency precioSinIv;
    Currency precioConIv;
    // False when the level keeps its stored values (manual base, or a base outside 1 to 3).
    bool recalculado = false;
};

struct ResultadoRecalculo {
    std::array<PreciosNivel, 4> niveles;
    // New average cost (CostoPromedioSeguro); also the price of a level on base 2.
    Currency costoPromedio;
};

// Rounding goes through Redondear with the settings in `datos`.
ResultadoRecalculo RecalcularPreciosVenta(const DatosRecalculo &datos);
