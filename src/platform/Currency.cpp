#include "platform/Currency.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

void ErrorImporte::FueraDeRango()
{
    throw ErrorImporte(QStringLiteral("Importe fuera de rango."));
}

namespace {
// The text as typed, cut short so a long one does not flood the message.
[[noreturn]] void NoValido(const std::string &texto)
{
    QString t = QString::fromStdString(texto).trimmed();
    if (t.size() > 20)
        t = t.left(17) + QStringLiteral("...");
    throw ErrorImporte(QStringLiteral("Importe no válido: «%1».").arg(t));
}
} // namespace

long double roundHalfEven(long double value)
{
    long double whole = std::floor(value);
    long double diff = value - whole;
    if (diff > 0.5L)
        return whole + 1;
    if (diff < 0.5L)
        return whole;
    return std::fmod(whole, 2.0L) == 0 ? whole : whole + 1;
}

Currency Currency::fromDouble(long double value)
{
    if (!std::isfinite(value))
        throw ErrorImporte(QStringLiteral("Importe no numérico."));
    long double scaled = roundHalfEven(value * Scale);
    if (scaled > 9.2e18L || scaled < -9.2e18L)
        ErrorImporte::FueraDeRango();
    return fromRaw(static_cast<std::int64_t>(scaled));
}

Currency Currency::fromScaled(std::int64_t value, int scale)
{
    if (scale == 4)
        return fromRaw(value);
    if (scale < 4) {
        std::int64_t mul = 1, r;
        for (int i = scale; i < 4; ++i)
            mul *= 10;
        if (__builtin_mul_overflow(value, mul, &r))
            ErrorImporte::FueraDeRango();
        return fromRaw(r);
    }
    std::int64_t div = 1;
    for (int i = 4; i < scale; ++i)
        div *= 10;
    std::int64_t q = value / div, r = value % div;
    std::int64_t twice = 2 * (r < 0 ? -r : r);
    if (twice > div || (twice == div && (q % 2) != 0))
        q += value < 0 ? -1 : 1;
    return fromRaw(q);
}

std::int64_t Currency::toScaled(int scale) const
{
    if (scale >= 4) {
        std::int64_t v = raw_;
        for (int i = 4; i < scale; ++i)
            if (__builtin_mul_overflow(v, 10, &v))
                ErrorImporte::FueraDeRango();
        return v;
    }
    std::int64_t div = 1;
    for (int i = scale; i < 4; ++i)
        div *= 10;
    std::int64_t q = raw_ / div, r = raw_ % div;
    std::int64_t twice = 2 * (r < 0 ? -r : r);
    if (twice > div || (twice == div && (q % 2) != 0))
        q += raw_ < 0 ? -1 : 1;
    return q;
}

namespace {
// q = n / d rounded to nearest, ties to even, on exact 128-bit integers.
std::int64_t divideHalfEven(__int128 n, __int128 d)
{
    if (d < 0) {
        n = -n;
        d = -d;
    }
    __int128 q = n / d, r = n % d;
    const __int128 twice = 2 * (r < 0 ? -r : r);
    if (twice > d || (twice == d && (q % 2) != 0))
        q += n < 0 ? -1 : 1;
    if (q > INT64_MAX || q < INT64_MIN)
        ErrorImporte::FueraDeRango();
    return static_cast<std::int64_t>(q);
}
} // namespace

Currency Currency::operator*(Currency o) const
{
    return fromRaw(divideHalfEven(static_cast<__int128>(raw_) * o.raw_, Scale));
}

Currency Currency::operator/(Currency o) const
{
    if (o.raw_ == 0)
        throw ErrorImporte(QStringLiteral("División por cero."));
    return fromRaw(divideHalfEven(static_cast<__int128>(raw_) * Scale, o.raw_));
}

Currency Currency::fromString(const std::string &input, bool *redondeado)
{
    std::string text;
    for (char c : input)
        if (c != ' ')
            text += c;
    // A comma is a decimal separator only when no dot is present and it is
    // not followed by exactly three digits of a thousands group.
    const bool hasDot = text.find('.') != std::string::npos;
    std::int64_t whole = 0, frac = 0;
    int fracDigits = 0;
    int roundDigit = -1;       // fifth decimal
    bool sticky = false;       // a non-zero digit after the fifth
    bool neg = false, inFrac = false, any = false;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        neg = text[i++] == '-';
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            any = true;
            if (inFrac) {
                if (fracDigits < 4) {
                    frac = frac * 10 + (c - '0');
                    ++fracDigits;
                } else if (roundDigit < 0) {
                    roundDigit = c - '0';
                } else if (c != '0') {
                    sticky = true;
                }
            } else {
                whole = whole * 10 + (c - '0');
                if (whole > INT64_MAX / Scale)
                    ErrorImporte::FueraDeRango();
            }
        } else if (c == '.' && !inFrac) {
            inFrac = true;
        } else if (c == ',' && !inFrac) {
            std::size_t digits = 0;
            while (i + 1 + digits < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1 + digits])))
                ++digits;
            if (!hasDot && digits != 3)
                inFrac = true;
        } else {
            NoValido(input);
        }
    }
    if (!any)
        NoValido(input);
    for (int d = fracDigits; d < 4; ++d)
        frac *= 10;
    if (roundDigit > 5 || (roundDigit == 5 && (sticky || (frac % 2) != 0)))
        ++frac;
    if (redondeado)
        *redondeado = roundDigit > 0 || sticky;
    if (whole > (INT64_MAX - frac) / Scale)
        ErrorImporte::FueraDeRango();
    std::int64_t raw = whole * Scale + frac;
    return fromRaw(neg ? -raw : raw);
}

Currency Currency::fromString(const QString &text, bool *redondeado)
{
    return fromString(text.toStdString(), redondeado);
}

std::string Currency::toString() const
{
    std::int64_t a = raw_ < 0 ? -raw_ : raw_;
    std::string s = std::to_string(a / Scale);
    std::int64_t f = a % Scale;
    if (f) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04lld", static_cast<long long>(f));
        std::string fs(buf);
        while (!fs.empty() && fs.back() == '0')
            fs.pop_back();
        s += "." + fs;
    }
    return raw_ < 0 ? "-" + s : s;
}
