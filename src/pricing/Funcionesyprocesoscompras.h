#pragma once
// Purchase cost arithmetic: weighted average cost and consignment quantities.

#include "platform/Currency.h"

// (S x C + Q x N) / (S + Q) when S + Q > 0; the undivided total S x C + Q x N otherwise.
Currency PrecioPromedioPonderado(Currency stockAnterior, Currency costoAnterior,
                                 Currency cantidad, Currency costoNuevo);

// The average cost to store: PrecioPromedioPonderado when S + Q > 0, the new unit
// cost when S + Q is zero or negative or the average cannot be computed.
Currency CostoPromedioSeguro(Currency stockAnterior, Currency costoAnterior,
                             Currency cantidad, Currency costoNuevo);

// The average cost once `cantidad` received at `costo` is taken back out of `stock` (which
// still holds it): (P x S - C x Q) / (S - Q); P unchanged when S - Q is 0 or it cannot be computed.
Currency CostoPromedioSinEntrada(Currency stock, Currency promedio, Currency cantidad, Currency costo);

// (montoA + montoB) x factor.
Currency PromedioPrecioCompra(Currency montoA, Currency montoB, Currency factor);

// Quantity of a consignment line sold and not yet invoiced.
Currency CantidadPendientedeProcesarConsignacion(Currency cantidad, Currency existencia,
                                                 Currency procesados);
