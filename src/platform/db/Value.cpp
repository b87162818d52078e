#include "platform/db/Value.h"

#include "platform/Formato.h"

#include <cmath>

namespace db {

namespace {
std::int64_t pow10(int n)
{
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

QString scaledText(std::int64_t v, int scale)
{
    if (scale <= 0)
        return QString::number(v);
    const bool neg = v < 0;
    unsigned long long a = neg ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    const unsigned long long p = static_cast<unsigned long long>(pow10(scale));
    QString frac = QString::number(a % p).rightJustified(scale, QLatin1Char('0'));
    while (frac.endsWith(QLatin1Char('0')))
        frac.chop(1);
    QString s = QString::number(a / p);
    if (!frac.isEmpty())
        s += QLatin1Char('.') + frac;
    return neg ? QLatin1Char('-') + s : s;
}
} // namespace

QString Value::asString() const
{
    switch (kind_) {
    case Kind::Null: return QString();
    case Kind::Integer: return QString::number(i_);
    case Kind::Boolean: return i_ ? QStringLiteral("S") : QStringLiteral("N");
    case Kind::Scaled: return scaledText(i_, scale_);
    case Kind::Double: return FormatFloat(QStringLiteral("0.##############"), d_);
    case Kind::Text:
    case Kind::Blob: return s_;
    case Kind::Date: return asDate().toString(QStringLiteral("dd/MM/yyyy"));
    case Kind::Time: return QTime::fromMSecsSinceStartOfDay(scale_).toString(QStringLiteral("HH:mm:ss"));
    case Kind::DateTime: return asDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    return QString();
}

std::int64_t Value::asInt64() const
{
    switch (kind_) {
    case Kind::Integer:
    case Kind::Boolean: return i_;
    case Kind::Scaled: return Currency::fromScaled(i_, scale_).toScaled(0);
    case Kind::Double: return static_cast<std::int64_t>(roundHalfEven(d_));
    case Kind::Text:
    case Kind::Blob: {
        bool ok = false;
        std::int64_t v = s_.trimmed().toLongLong(&ok);
        if (ok)
            return v;
        Currency c;
        return ParseDecimal(s_, c) ? c.toScaled(0) : 0;
    }
    default: return 0;
    }
}

Currency Value::asCurrency() const
{
    switch (kind_) {
    case Kind::Integer:
    case Kind::Boolean: return Currency(static_cast<long long>(i_));
    case Kind::Scaled: return Currency::fromScaled(i_, scale_);
    case Kind::Double: return Currency::fromDouble(d_);
    case Kind::Text:
    case Kind::Blob: {
        Currency c;
        return ParseDecimal(s_, c) ? c : Currency();
    }
    default: return Currency();
    }
}

double Value::asFloat() const
{
    switch (kind_) {
    case Kind::Integer:
    case Kind::Boolean: return static_cast<double>(i_);
    case Kind::Scaled: return static_cast<double>(static_cast<long double>(i_) / pow10(scale_));
    case Kind::Double: return d_;
    case Kind::Text:
    case Kind::Blob: {
        bool ok = false;
        double v = s_.trimmed().toDouble(&ok);
        return ok ? v : 0.0;
    }
    default: return 0.0;
    }
}

QDate Value::asDate() const
{
    if (kind_ == Kind::Date || kind_ == Kind::DateTime)
        return QDate::fromJulianDay(i_);
    if (kind_ == Kind::Text) {
        QDate d = QDate::fromString(s_.trimmed(), Qt::ISODate);
        return d.isValid() ? d : QDate::fromString(s_.trimmed(), QStringLiteral("dd/MM/yyyy"));
    }
    return QDate();
}

QDateTime Value::asDateTime() const
{
    if (kind_ == Kind::Date || kind_ == Kind::DateTime)
        return QDateTime(QDate::fromJulianDay(i_), QTime::fromMSecsSinceStartOfDay(scale_));
    if (kind_ == Kind::Time)
        return QDateTime(QDate(1900, 1, 1), QTime::fromMSecsSinceStartOfDay(scale_));
    if (kind_ == Kind::Text)
        return QDateTime::fromString(s_.trimmed(), Qt::ISODate);
    return QDateTime();
}

bool Value::asBoolean() const
{
    if (kind_ == Kind::Text)
        return s_ == QLatin1String("S");
    return asInt64() != 0;
}

bool Value::operator==(const Value &o) const
{
    if (kind_ != o.kind_)
        return false;
    switch (kind_) {
    case Kind::Null: return true;
    case Kind::Integer:
    case Kind::Boolean: return i_ == o.i_;
    case Kind::Scaled: return i_ == o.i_ && scale_ == o.scale_;
    case Kind::Double: return d_ == o.d_;
    case Kind::Text:
    case Kind::Blob: return s_ == o.s_;
    default: return i_ == o.i_ && scale_ == o.scale_;
    }
}

} // namespace db
