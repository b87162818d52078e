#include "platform/Formato.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {

struct Picture {
    QString prefix, suffix;
    bool thousands = false;
    int minInt = 0;      // count of '0' before the point
    int minFrac = 0;     // count of '0' after the point
    int maxFrac = 0;     // '0' plus '#' after the point
};

Picture parsePicture(const QString &format)
{
    Picture p;
    // Use the first section only (";" sections are not used by the module).
    QString f = format.section(QLatin1Char(';'), 0, 0);
    int start = -1, end = -1;
    for (int i = 0; i < f.size(); ++i) {
        QChar c = f[i];
        if (c == QLatin1Char('#') || c == QLatin1Char('0') || c == QLatin1Char(',') || c == QLatin1Char('.')) {
            if (start < 0)
                start = i;
            end = i;
        } else if (start >= 0) {
            break;
        }
    }
    if (start < 0) {
        p.prefix = f;
        return p;
    }
    p.prefix = f.left(start);
    p.suffix = f.mid(end + 1);
    bool afterPoint = false;
    for (int i = start; i <= end; ++i) {
        QChar c = f[i];
        if (c == QLatin1Char('.')) {
            afterPoint = true;
        } else if (c == QLatin1Char(',')) {
            if (!afterPoint)
                p.thousands = true;
        } else if (c == QLatin1Char('0')) {
            if (afterPoint) {
                ++p.minFrac;
                ++p.maxFrac;
            } else {
                ++p.minInt;
            }
        } else if (c == QLatin1Char('#') && afterPoint) {
            ++p.maxFrac;
        }
    }
    return p;
}

// digits: plain decimal text without sign, e.g. "1234.5678".
QString render(const Picture &p, bool negative, std::string digits)
{
    std::string intPart = digits, fracPart;
    if (auto dot = digits.find('.'); dot != std::string::npos) {
        intPart = digits.substr(0, dot);
        fracPart = digits.substr(dot + 1);
    }
    // Round half away from zero to maxFrac digits.
    if (static_cast<int>(fracPart.size()) > p.maxFrac) {
        bool up = fracPart[p.maxFrac] >= '5';
        fracPart.resize(p.maxFrac);
        if (up) {
            std::string all = intPart + fracPart;
            int i = static_cast<int>(all.size()) - 1;
            while (i >= 0 && all[i] == '9')
                all[i--] = '0';
            if (i < 0)
                all.insert(all.begin(), '1');
            else
                ++all[i];
            intPart = all.substr(0, all.size() - fracPart.size());
            fracPart = all.substr(all.size() - fracPart.size());
        }
    }
    while (static_cast<int>(fracPart.size()) > p.minFrac && !fracPart.empty() && fracPart.back() == '0')
        fracPart.pop_back();
    while (static_cast<int>(fracPart.size()) < p.minFrac)
        fracPart += '0';
    std::size_t firstNonZero = intPart.find_first_not_of('0');
    intPart = firstNonZero == std::string::npos ? std::string() : intPart.substr(firstNonZero);
    while (static_cast<int>(intPart.size()) < p.minInt)
        intPart.insert(intPart.begin(), '0');
    if (p.thousands && intPart.size() > 3) {
        std::string grouped;
        int n = static_cast<int>(intPart.size());
        for (int i = 0; i < n; ++i) {
            grouped += intPart[i];
            int rest = n - 1 - i;
            if (rest > 0 && rest % 3 == 0)
                grouped += ',';
        }
        intPart = grouped;
    }
    std::string body = intPart;
    if (!fracPart.empty())
        body += "." + fracPart;
    if (body.empty())
        body.push_back('0');
    bool allZero = body.find_first_not_of("0.,") == std::string::npos;
    QString out = p.prefix;
    if (negative && !allZero)
        out += QLatin1Char('-');
    out += QString::fromStdString(body);
    out += p.suffix;
    return out;
}

} // namespace

QString FormatFloat(const QString &format, long double value)
{
    if (!std::isfinite(value))
        return QString();
    Picture p = parsePicture(format);
    bool negative = value < 0;
    // 18 significant digits, the precision of the extended type, then decimal rounding.
    char buf[96];
    long double a = negative ? -value : value;
    int intDigits = a >= 1 ? static_cast<int>(std::floor(std::log10(a))) + 1 : 1;
    int decimals = std::max(0, std::min(40, 18 - intDigits));
    std::snprintf(buf, sizeof buf, "%.*Lf", decimals, a);
    return render(p, negative, buf);
}

QString FormatCurrency(const QString &format, Currency value)
{
    Picture p = parsePicture(format);
    std::int64_t raw = value.raw();
    bool negative = raw < 0;
    unsigned long long a = negative ? 0ULL - static_cast<unsigned long long>(raw) : static_cast<unsigned long long>(raw);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%llu.%04llu", a / 10000ULL, a % 10000ULL);
    return render(p, negative, buf);
}

QString FormatoCantidadPicture(int decimals)
{
    if (decimals <= 0)
        return QStringLiteral("#,##0");
    return QStringLiteral("#,##0.") + QString(decimals, QLatin1Char('0'));
}

bool ParseDecimal(const QString &text, Currency &out, bool *redondeado)
{
    try {
        out = Currency::fromString(text.trimmed(), redondeado);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}
