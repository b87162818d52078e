#pragma once
#include "platform/Currency.h"

// The rounding step itself, always applied: to `decimales` places, or to half units
// of that place when unidadRedondeo is 5 (0 -> halves, -1 -> fives, 2 -> 0.005).
Currency RedondearValor(Currency valor, int decimales, int unidadRedondeo);

// To the cent, ties to even: the amounts a document is paid and posted with.
inline Currency RedondearCentimos(Currency valor) { return RedondearValor(valor, 2, 0); }
