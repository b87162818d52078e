#pragma once
// Fixed-point money: signed 64-bit, four decimals (value x 10000).
// Products and quotients go through long double and come back to four
// decimals to the nearest, ties to even.

#include <cstdint>
#include <string>

class QString;

class Currency {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Currency() = default;
    // Whole units are exact; fractions go through fromDouble/fromString.
    constexpr Currency(int units) : raw_(std::int64_t(units) * Scale) {}
    constexpr Currency(long long units) : raw_(std::int64_t(units) * Scale) {}

    static constexpr Currency fromRaw(std::int64_t raw) { Currency c; c.raw_ = raw; return c; }
    // Nearest ten-thousandth, ties to even.
    static Currency fromDouble(long double value);
    // Exact decimal text ("-1234.5678", "12,5" and "1,234.50" accepted); throws std::invalid_argument.
    static Currency fromString(const std::string &text);
    static Currency fromString(const QString &text);
    // Scaled integer with `scale` decimals (a NUMERIC column), rounded ties to even when scale > 4.
    static Currency fromScaled(std::int64_t value, int scale);

    constexpr std::int64_t raw() const { return raw_; }
    long double toLongDouble() const { return static_cast<long double>(raw_) / Scale; }
    double toDouble() const { return static_cast<double>(toLongDouble()); }
    // Value scaled to `scale` decimals (scale <= 4 rounds ties to even).
    std::int64_t toScaled(int scale) const;
    // Plain text with four decimals trimmed of trailing zeros ("12.5", "-3", "0.0001").
    std::string toString() const;

    constexpr Currency operator-() const { return fromRaw(-raw_); }
    constexpr Currency operator+(Currency o) const { return fromRaw(raw_ + o.raw_); }
    constexpr Currency operator-(Currency o) const { return fromRaw(raw_ - o.raw_); }
    Currency operator*(Currency o) const;
    // Division by zero throws std::domain_error.
    Currency operator/(Currency o) const;
    Currency &operator+=(Currency o) { raw_ += o.raw_; return *this; }
    Currency &operator-=(Currency o) { raw_ -= o.raw_; return *this; }
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

// Round a long double to an integer, ties to even, whatever the FPU mode.
long double roundHalfEven(long double value);
