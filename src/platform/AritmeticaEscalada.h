#pragma once
// Price arithmetic on raw Currency values (value x 10000). A raw value is exact in a
// long double, so a formula written as a product of raws followed by one division is
// rounded once: an exact decimal tie reaches roundHalfEven as an exact tie.

#include "platform/Currency.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace aritmetica {

inline long double Crudo(Currency c) { return static_cast<long double>(c.raw()); }

// 10^exponente for 0 <= exponente <= 27, exact in a long double.
inline long double PotenciaDiez(int exponente)
{
    long double p = 1;
    for (int i = 0; i < exponente; ++i)
        p *= 10;
    return p;
}

// Raw units (possibly fractional) to Currency: nearest, ties to even.
inline Currency DesdeCrudo(long double crudo)
{
    if (!std::isfinite(crudo))
        throw ErrorImporte(QStringLiteral("Importe no numérico."));
    const long double r = roundHalfEven(crudo);
    if (r > 9.2e18L || r < -9.2e18L)
        ErrorImporte::FueraDeRango();
    return Currency::fromRaw(static_cast<std::int64_t>(r));
}

// Raw value of 100 %: 1 + p/100 is (CienPorCiento + raw p) / CienPorCiento.
inline constexpr long double CienPorCiento = 1e6L;

} // namespace aritmetica
