#include "platform/db/MessageCodec.h"

#include "platform/db/Firebird.h"
#include "platform/Formato.h"

#include <cmath>
#include <cstring>
#include <ibase.h>

using namespace Firebird;

namespace db {

namespace {

std::int64_t pow10(int n)
{
    std::int64_t p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

// Rescales v (scale `from` decimals) to `to` decimals, ties to even.
std::int64_t rescale(std::int64_t v, int from, int to)
{
    if (from == to)
        return v;
    if (from < to)
        return v * pow10(to - from);
    const std::int64_t div = pow10(from - to);
    std::int64_t q = v / div, r = v % div;
    const std::int64_t twice = 2 * (r < 0 ? -r : r);
    if (twice > div || (twice == div && (q % 2) != 0))
        q += v < 0 ? -1 : 1;
    return q;
}

QString readBlob(IAttachment *att, ITransaction *tx, ISC_QUAD id, bool text)
{
    Status st;
    IBlob *blob = nullptr;
    QByteArray data;
    try {
        blob = att->openBlob(&st, tx, &id, 0, nullptr);
        char chunk[32768];
        for (;;) {
            unsigned got = 0;
            int rc = blob->getSegment(&st, sizeof chunk, chunk, &got);
            if (rc == IStatus::RESULT_NO_DATA)
                break;
            data.append(chunk, static_cast<int>(got));
        }
        blob->close(&st);
    } catch (const FbException &e) {
        if (blob)
            blob->release();
        rethrow(e);
    }
    return text ? QString::fromUtf8(data) : QString::fromLatin1(data);
}

ISC_QUAD writeBlob(IAttachment *att, ITransaction *tx, const QByteArray &data)
{
    Status st;
    ISC_QUAD id{};
    IBlob *blob = nullptr;
    try {
        blob = att->createBlob(&st, tx, &id, 0, nullptr);
        for (int pos = 0; pos < data.size(); pos += 32768) {
            const int len = std::min(32768, static_cast<int>(data.size()) - pos);
            blob->putSegment(&st, static_cast<unsigned>(len), data.constData() + pos);
        }
        blob->close(&st);
    } catch (const FbException &e) {
        if (blob)
            blob->release();
        rethrow(e);
    }
    return id;
}

[[noreturn]] void textTooLong(const ColumnInfo &col, int maxChars, int chars)
{
    const QString nombre = col.name.isEmpty() ? QStringLiteral("sin nombre") : col.name;
    throw DbError(QStringLiteral("El valor del parámetro %1 tiene %2 caracteres; admite como máximo %3.")
                      .arg(nombre)
                      .arg(chars)
                      .arg(maxChars),
                  -802);
}

// The bytes of `s` for a text slot of the column. Text that does not fit is refused, never cut;
// only trailing blanks beyond the slot are dropped, as the server itself would.
QByteArray encodeText(const ColumnInfo &col, const QString &s)
{
    // charset 1 = OCTETS, 0 = NONE: raw single bytes
    const bool single = col.charSet == 1 || col.charSet == 0;
    // A UTF8 slot holds length/4 characters (UNICODE_FSS: length/3).
    const int perChar = single ? 1 : col.charSet == 4 ? 4 : col.charSet == 3 ? 3 : 1;
    const int maxChars = static_cast<int>(col.length) / perChar;
    QString t = s;
    const auto cabe = [&](const QByteArray &b) {
        return b.size() <= static_cast<int>(col.length) && (perChar == 1 || t.toUcs4().size() <= maxChars);
    };
    QByteArray bytes = single ? t.toLatin1() : t.toUtf8();
    if (cabe(bytes))
        return bytes;
    while (!t.isEmpty() && t.back() == QLatin1Char(' '))
        t.chop(1);
    bytes = single ? t.toLatin1() : t.toUtf8();
    if (cabe(bytes))
        return bytes;
    textTooLong(col, maxChars, static_cast<int>(s.toUcs4().size()));
}

// ISC_DATE counts days from 17 November 1858 (julian day 2400001); ISC_TIME counts 1/10000 s.
constexpr std::int64_t kJulianOffset = 2400001;

ISC_DATE encodeDate(const QDate &d)
{
    return static_cast<ISC_DATE>(d.toJulianDay() - kJulianOffset);
}

ISC_TIME encodeTime(const QTime &t)
{
    return static_cast<ISC_TIME>(t.msecsSinceStartOfDay()) * 10;
}

[[noreturn]] void conversionError(const ColumnInfo &col, const Value &v)
{
    throw DbError(QStringLiteral("Valor no válido para %1: \"%2\"").arg(col.name.isEmpty() ? QStringLiteral("el parámetro") : col.name, v.asString()),
                  -413);
}

std::int64_t toScaledInteger(const ColumnInfo &col, const Value &v)
{
    switch (v.kind()) {
    case Value::Kind::Integer:
    case Value::Kind::Boolean: return v.rawInteger() * pow10(col.scale);
    case Value::Kind::Scaled: return rescale(v.rawInteger(), v.scale(), col.scale);
    case Value::Kind::Double: {
        const long double x = static_cast<long double>(v.asFloat()) * pow10(col.scale);
        if (!std::isfinite(x))
            conversionError(col, v);
        return static_cast<std::int64_t>(roundHalfEven(x));
    }
    case Value::Kind::Text:
    case Value::Kind::Blob: {
        Currency c;
        const QString t = v.asString().trimmed();
        if (t.isEmpty())
            conversionError(col, v);
        try {
            c = Currency::fromString(t);
        } catch (const std::exception &) {
            conversionError(col, v);
        }
        return rescale(c.raw(), 4, col.scale);
    }
    default: conversionError(col, v);
    }
}

} // namespace

std::vector<ColumnInfo> DescribeMessage(IMessageMetadata *meta)
{
    std::vector<ColumnInfo> cols;
    Status st;
    try {
        const unsigned n = meta->getCount(&st);
        cols.resize(n);
        for (unsigned i = 0; i < n; ++i) {
            ColumnInfo &c = cols[i];
            c.name = QString::fromUtf8(meta->getAlias(&st, i));
            c.relation = QString::fromUtf8(meta->getRelation(&st, i));
            c.field = QString::fromUtf8(meta->getField(&st, i));
            c.type = meta->getType(&st, i) & ~1u;
            c.scale = -meta->getScale(&st, i);
            c.length = meta->getLength(&st, i);
            c.subType = static_cast<unsigned>(meta->getSubType(&st, i));
            c.charSet = meta->getCharSet(&st, i);
            c.offset = meta->getOffset(&st, i);
            c.nullOffset = meta->getNullOffset(&st, i);
        }
    } catch (const FbException &e) {
        rethrow(e);
    }
    return cols;
}

Value DecodeColumn(const ColumnInfo &c, const unsigned char *buffer, IAttachment *att, ITransaction *tx)
{
    if (*reinterpret_cast<const short *>(buffer + c.nullOffset))
        return Value();
    const unsigned char *p = buffer + c.offset;
    switch (c.type) {
    case SQL_VARYING: {
        unsigned short len;
        std::memcpy(&len, p, 2);
        const char *data = reinterpret_cast<const char *>(p + 2);
        return Value::text(c.charSet <= 1 ? QString::fromLatin1(data, len) : QString::fromUtf8(data, len));
    }
    case SQL_TEXT: {
        const char *data = reinterpret_cast<const char *>(p);
        int len = static_cast<int>(c.length);
        while (len > 0 && data[len - 1] == ' ')
            --len;
        return Value::text(c.charSet <= 1 ? QString::fromLatin1(data, len) : QString::fromUtf8(data, len));
    }
    case SQL_SHORT: {
        short v;
        std::memcpy(&v, p, sizeof v);
        return c.scale ? Value::scaled(v, c.scale) : Value::integer(v);
    }
    case SQL_LONG: {
        ISC_LONG v;
        std::memcpy(&v, p, sizeof v);
        return c.scale ? Value::scaled(v, c.scale) : Value::integer(v);
    }
    case SQL_INT64: {
        ISC_INT64 v;
        std::memcpy(&v, p, sizeof v);
        return c.scale ? Value::scaled(v, c.scale) : Value::integer(v);
    }
    case SQL_FLOAT: {
        float v;
        std::memcpy(&v, p, sizeof v);
        return Value::real(v);
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        double v;
        std::memcpy(&v, p, sizeof v);
        return Value::real(v);
    }
    case SQL_TYPE_DATE: {
        ISC_DATE v;
        std::memcpy(&v, p, sizeof v);
        return Value::dateParts(v + kJulianOffset, 0, Value::Kind::Date);
    }
    case SQL_TYPE_TIME: {
        ISC_TIME v;
        std::memcpy(&v, p, sizeof v);
        return Value::dateParts(0, static_cast<int>(v / 10), Value::Kind::Time);
    }
    case SQL_TIMESTAMP: {
        ISC_TIMESTAMP v;
        std::memcpy(&v, p, sizeof v);
        return Value::dateParts(v.timestamp_date + kJulianOffset, static_cast<int>(v.timestamp_time / 10),
                                Value::Kind::DateTime);
    }
    case SQL_BOOLEAN: return Value::boolean(*p != 0);
    case SQL_BLOB: {
        ISC_QUAD id;
        std::memcpy(&id, p, sizeof id);
        return Value::blobText(readBlob(att, tx, id, c.subType == 1));
    }
    default: return Value();
    }
}

void DecodeRow(const std::vector<ColumnInfo> &cols, const unsigned char *buffer, IAttachment *att, ITransaction *tx,
               std::vector<Value> &out)
{
    out.resize(cols.size());
    for (std::size_t i = 0; i < cols.size(); ++i)
        out[i] = DecodeColumn(cols[i], buffer, att, tx);
}

void EncodeValue(const ColumnInfo &c, const Value &v, unsigned char *buffer, IAttachment *att, ITransaction *tx)
{
    short *nullFlag = reinterpret_cast<short *>(buffer + c.nullOffset);
    if (v.isNull() || c.type == SQL_NULL) {
        *nullFlag = v.isNull() ? -1 : 0;
        return;
    }
    *nullFlag = 0;
    unsigned char *p = buffer + c.offset;
    switch (c.type) {
    case SQL_VARYING: {
        const QByteArray bytes = encodeText(c, v.asString());
        const unsigned short len = static_cast<unsigned short>(bytes.size());
        std::memcpy(p, &len, 2);
        std::memcpy(p + 2, bytes.constData(), len);
        break;
    }
    case SQL_TEXT: {
        const QByteArray bytes = encodeText(c, v.asString());
        std::memset(p, ' ', c.length);
        std::memcpy(p, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        break;
    }
    case SQL_SHORT: {
        const std::int64_t x = toScaledInteger(c, v);
        if (x < -32768 || x > 32767)
            conversionError(c, v);
        const short s = static_cast<short>(x);
        std::memcpy(p, &s, sizeof s);
        break;
    }
    case SQL_LONG: {
        const std::int64_t x = toScaledInteger(c, v);
        if (x < INT32_MIN || x > INT32_MAX)
            conversionError(c, v);
        const ISC_LONG l = static_cast<ISC_LONG>(x);
        std::memcpy(p, &l, sizeof l);
        break;
    }
    case SQL_INT64: {
        const ISC_INT64 x = toScaledInteger(c, v);
        std::memcpy(p, &x, sizeof x);
        break;
    }
    case SQL_FLOAT: {
        if (v.kind() == Value::Kind::Text && v.asString().trimmed().isEmpty())
            conversionError(c, v);
        const float f = static_cast<float>(v.asFloat());
        std::memcpy(p, &f, sizeof f);
        break;
    }
    case SQL_DOUBLE:
    case SQL_D_FLOAT: {
        double d;
        if (v.kind() == Value::Kind::Text) {
            Currency cur;
            bool ok = false;
            d = v.asString().trimmed().toDouble(&ok);
            if (!ok) {
                if (!ParseDecimal(v.asString(), cur))
                    conversionError(c, v);
                d = cur.toDouble();
            }
        } else {
            d = v.asFloat();
        }
        std::memcpy(p, &d, sizeof d);
        break;
    }
    case SQL_TYPE_DATE: {
        const QDate d = v.asDate();
        if (!d.isValid())
            conversionError(c, v);
        const ISC_DATE x = encodeDate(d);
        std::memcpy(p, &x, sizeof x);
        break;
    }
    case SQL_TYPE_TIME: {
        const QTime t = v.kind() == Value::Kind::Text ? QTime::fromString(v.asString(), Qt::ISODate) : v.asDateTime().time();
        if (!t.isValid())
            conversionError(c, v);
        const ISC_TIME x = encodeTime(t);
        std::memcpy(p, &x, sizeof x);
        break;
    }
    case SQL_TIMESTAMP: {
        QDateTime dt = v.asDateTime();
        if (!dt.isValid() && v.kind() == Value::Kind::Text)
            dt = QDateTime(v.asDate(), QTime(0, 0));
        if (!dt.isValid())
            conversionError(c, v);
        ISC_TIMESTAMP ts;
        ts.timestamp_date = encodeDate(dt.date());
        ts.timestamp_time = encodeTime(dt.time());
        std::memcpy(p, &ts, sizeof ts);
        break;
    }
    case SQL_BOOLEAN: *p = v.asBoolean() ? 1 : 0; break;
    case SQL_BLOB: {
        const QByteArray bytes = c.subType == 1 ? v.asString().toUtf8() : v.asString().toLatin1();
        const ISC_QUAD id = writeBlob(att, tx, bytes);
        std::memcpy(p, &id, sizeof id);
        break;
    }
    default: conversionError(c, v);
    }
}

} // namespace db
