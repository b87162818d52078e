#pragma once
// Sale price from a base and two margin percentages, final-price rounding, tax on and
// off, discount and average cost. Pure: the store settings come in as a parameter.
//
// Results are computed in extended precision and come back to four decimals, nearest,
// ties to even. A rounding position counts decimal places: 2 hundredths, 0 units,
// -1 tens, -2 hundreds. A rounding switch "S" rounds; any other value leaves it to
// the store's REDONDEA_PRECIO_FINAL (ajustes.redondeaPrecioFinal).

#include "platform/Currency.h"
#include "platform/Redondeo.h"
#include "pricing/AjustesPrecios.h"

#include <QString>

// Final-price rounding: RedondearValor when the switch or the store says so,
// otherwise the value unchanged.
Currency Redondear(Currency valor, int posicion, const QString &redondea, const AjustesPrecios &ajustes);

// Redondear(base x (1 + coefA/100) x (1 + coefB/100) + sumaFija, posicion, redondea).
Currency PrecioVenta1(Currency base, Currency coefA, Currency coefB, Currency sumaFija,
                      int posicion, const QString &redondea, const AjustesPrecios &ajustes);
// Same formula; the posting calls it with a purchase cost as the base.
Currency PrecioUltimoPrecioCompra(Currency base, Currency coefA, Currency coefB,
                                  Currency sumaFija, int posicion, const QString &redondea,
                                  const AjustesPrecios &ajustes);

// (S x C + Q x N) / (S + Q); the undivided total when S + Q is exactly zero.
Currency PrecioCostoPromedio(Currency stockAnterior, Currency cantidad,
                             Currency costoAnterior, Currency costoNuevo);

// precio x (1 + iv/100) and precio / (1 + iv/100), to four decimals, no rounding step.
Currency AgregarIv(Currency precioSinIv, Currency porcIv);
Currency QuitarIv(Currency precioConIv, Currency porcIv);

// Redondear(precio / (1 + iv/100), ...).
Currency PrecioGravadoSinIv(Currency precioConIv, Currency porcIv, int posicion,
                            const QString &redondea, const AjustesPrecios &ajustes);
// Redondear(precio x (1 + iv/100), ...).
Currency PrecioGravadoConIv(Currency precioSinIv, Currency porcIv, int posicion,
                            const QString &redondea, const AjustesPrecios &ajustes);
Currency CalcularMontoConImpuesto(Currency monto, Currency porcIv, int posicion,
                                  const QString &redondea, const AjustesPrecios &ajustes);

// monto - monto x descuento/100 for a positive discount; otherwise monto.
Currency AplicarDescuento(Currency monto, Currency porcDescuento);
