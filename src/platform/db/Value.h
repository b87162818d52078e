#pragma once
// A database value as read from a row or bound to a parameter.

#include "platform/Currency.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QString>
#include <cstdint>

namespace db {

class Value {
public:
    enum class Kind { Null, Integer, Scaled, Double, Text, Date, Time, DateTime, Blob, Boolean };

    Value() = default;
    static Value null() { return Value(); }
    static Value integer(std::int64_t v) { Value x; x.kind_ = Kind::Integer; x.i_ = v; return x; }
    // Exact numeric: v x 10^-scale (scale = decimals, >= 0).
    static Value scaled(std::int64_t v, int scale) { Value x; x.kind_ = Kind::Scaled; x.i_ = v; x.scale_ = scale; return x; }
    static Value currency(Currency c) { return scaled(c.raw(), 4); }
    static Value real(double v) { Value x; x.kind_ = Kind::Double; x.d_ = v; return x; }
    static Value text(const QString &s) { Value x; x.kind_ = Kind::Text; x.s_ = s; return x; }
    static Value blobText(const QString &s) { Value x; x.kind_ = Kind::Blob; x.s_ = s; return x; }
    static Value date(const QDate &d) { Value x; x.kind_ = d.isValid() ? Kind::Date : Kind::Null; x.i_ = d.toJulianDay(); return x; }
    static Value time(const QTime &t) { Value x; x.kind_ = t.isValid() ? Kind::Time : Kind::Null; x.scale_ = t.msecsSinceStartOfDay(); return x; }
    static Value dateTime(const QDateTime &d)
    {
        Value x;
        x.kind_ = d.isValid() ? Kind::DateTime : Kind::Null;
        x.i_ = d.date().toJulianDay();
        x.scale_ = d.time().msecsSinceStartOfDay();
        return x;
    }
    // Date as a julian day and time of day in milliseconds, without building Qt date objects.
    static Value dateParts(std::int64_t julianDay, int msecs, Kind kind) { Value x; x.kind_ = kind; x.i_ = julianDay; x.scale_ = msecs; return x; }
    static Value boolean(bool b) { Value x; x.kind_ = Kind::Boolean; x.i_ = b; return x; }

    // In-place setters (no temporary): used by parameters set row after row.
    void setInteger(std::int64_t v) { kind_ = Kind::Integer; i_ = v; }
    void setScaled(std::int64_t v, int scale) { kind_ = Kind::Scaled; i_ = v; scale_ = scale; }
    void setReal(double v) { kind_ = Kind::Double; d_ = v; }
    void setText(const QString &v) { kind_ = Kind::Text; s_ = v; }
    void setDate(const QDate &d) { kind_ = d.isValid() ? Kind::Date : Kind::Null; i_ = d.isValid() ? d.toJulianDay() : 0; }
    void setNull() { kind_ = Kind::Null; }

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }
    int scale() const { return scale_; }
    std::int64_t rawInteger() const { return i_; }

    // Conversions in the manner of the old dataset fields: null reads as 0 / "" / invalid date.
    QString asString() const;
    std::int64_t asInt64() const;
    int asInteger() const { return static_cast<int>(asInt64()); }
    Currency asCurrency() const;
    double asFloat() const;
    QDate asDate() const;
    QDateTime asDateTime() const;
    bool asBoolean() const;

    bool operator==(const Value &o) const;
    bool operator!=(const Value &o) const { return !(*this == o); }

private:
    Kind kind_ = Kind::Null;
    std::int64_t i_ = 0;
    int scale_ = 0;
    double d_ = 0;
    QString s_;  // text and blobs; dates keep julian day in i_ and msecs in scale_
};

} // namespace db
