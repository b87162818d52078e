#pragma once
// Fixed-point money: signed 64-bit, four decimals (value x 10000).
// Products and quotients are exact on 128 bits and come back to four
// decimals to the nearest, ties to even. Every operation that leaves the
// 64-bit range throws ErrorImporte.

#include "platform/ErrorCompras.h"

#include <cstdint>
#include <string>

class QString;

// An amount out of range, not a number or a division by zero.
class ErrorImporte : public ErrorCompras {
public:
    using ErrorCompras::ErrorCompras;
    [[noreturn]] static void FueraDeRango();
};

class Currency {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;
    // Whole units are exact; fractions go through fromDouble/fromString.
    constexpr Currency(int units) : raw_(std::int64_t(units) * Scale) {}
    constexpr Currency(long long units)
    {
        if (__builtin_mul_overflow(std::int64_t(units), Scale, &raw_))
            ErrorImporte::FueraDeRango();
    }

    static constexpr Currency fromRaw(std::int64_t raw) { Currency c; c.raw_ = raw; return c; }
    // Nearest ten-thousandth, ties to even.
    static Currency fromDouble(long double value);
    // Exact decimal text ("-1234.5678", "12,5" and "1,234.50" accepted); throws ErrorImporte.
    // `redondeado` tells whether digits beyond the fourth decimal were dropped.
    static Currency fromString(const std::string &text, bool *redondeado = nullptr);
    static Currency fromString(const QString &text, bool *redondeado = nullptr);
    // Scaled integer with `scale` decimals (a NUMERIC column), rounded ties to even when scale > 4.
    static Currency fromScaled(std::int64_t value, int scale);

    constexpr std::int64_t raw() const { return raw_; }
    long double toLongDouble() const { return static_cast<long double>(raw_) / Scale; }
    double toDouble() const { return static_cast<double>(toLongDouble()); }
    // Value scaled to `scale` decimals (scale <= 4 rounds ties to even).
    std::int64_t toScaled(int scale) const;
    // Plain text with four decimals trimmed of trailing zeros ("12.5", "-3", "0.0001").
    std::string toString() const;

    constexpr Currency operator-() const { return Currency() - *this; }
    constexpr Currency operator+(Currency o) const
    {
        std::int64_t r;
        if (__builtin_add_overflow(raw_, o.raw_, &r))
            ErrorImporte::FueraDeRango();
        return fromRaw(r);
    }
    constexpr Currency operator-(Currency o) const
    {
        std::int64_t r;
        if (__builtin_sub_overflow(raw_, o.raw_, &r))
            ErrorImporte::FueraDeRango();
        return fromRaw(r);
    }
    Currency operator*(Currency o) const;
    // Division by zero throws ErrorImporte.
    Currency operator/(Currency o) const;
    Currency &operator+=(Currency o) { return *this = *this + o; }
    Currency &operator-=(Currency o) { return *this = *this - o; }
    Currency &operator*=(Currency o) { return *this = *this * o; }
    Currency &operator/=(Currency o) { return *this = *this / o; }

    constexpr bool operator==(Currency o) const { return raw_ == o.raw_; }
    constexpr bool operator!=(Currency o) const { return raw_ != o.raw_; }
    constexpr bool operator<(Currency o) const { return raw_ < o.raw_; }
    constexpr bool operator<=(Currency o) const { return raw_ <= o.raw_; }
    constexpr bool operator>(Currency o) const { return raw_ > o.raw_; }
    constexpr bool operator>=(Currency o) const { return raw_ >= o.raw_; }

    constexpr bool isZero() const { return raw_ == 0; }

private:
    std::int64_t raw_ = 0;
};

// Bounds of what is typed, imported or posted: an amount, a unit cost, a payment
// or a document total up to 999,999,999.99 in either currency, a quantity up to
// 999,999.9999. Ten thousand lines at the largest total still add up well inside
// the 64-bit range, and so do the ledger's sums of many such documents.
inline constexpr Currency kImporteMaximo = Currency::fromRaw(9999999999900LL);
inline constexpr Currency kCantidadMaxima = Currency::fromRaw(9999999999LL);

// Round a long double to an integer, ties to even, whatever the FPU mode.
long double roundHalfEven(long double value);
