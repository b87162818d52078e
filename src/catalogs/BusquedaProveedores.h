#pragma once
// The supplier lists of the supplier chooser and selector, and the currency a pick suggests.

#include "platform/db/ConsultaFiltrada.h"

#include <QString>

#include <optional>

// Chooser list: names matching "%text%" (case as typed) or the second code exactly, by name.
ConsultaFiltrada ConsultaCambiarProveedor(const QString &texto);

// Currency purchase entry ticks after a supplier pick: 1 for rbMoneda1, 2 for rbMoneda2,
// nothing (leave the choice as it is) unless COMPRA_MULTIMONEDA is "S".
// tipoMoneda is the supplier's TIPO_MONEDA (null reads as 0: any value but 1 is currency 2).
std::optional<int> MonedaAlElegirProveedor(const QString &compraMultimoneda, int tipoMoneda);

// Selector list: names containing the text (any case) or the second code equal to the
// trimmed text, by name; an empty text lists every supplier in the table's own order.
ConsultaFiltrada ConsultaSeleccionarProveedor(const QString &texto);
