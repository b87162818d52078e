#pragma once
// Named access to one column of the current row of a query or dataset.

#include "platform/db/Value.h"

namespace db {

class RowAccess {
public:
    virtual ~RowAccess() = default;
    virtual const Value &valueAt(int index) const = 0;
    virtual void setValueAt(int index, const Value &value) = 0;
    virtual QString fieldNameAt(int index) const = 0;
};

class Field {
public:
    Field(RowAccess *owner, int index) : owner_(owner), index_(index) {}

    QString name() const { return owner_->fieldNameAt(index_); }
    const Value &value() const { return owner_->valueAt(index_); }
    bool isNull() const { return value().isNull(); }
    QString asString() const { return value().asString(); }
    int asInteger() const { return value().asInteger(); }
    std::int64_t asInt64() const { return value().asInt64(); }
    Currency asCurrency() const { return value().asCurrency(); }
    double asFloat() const { return value().asFloat(); }
    QDate asDate() const { return value().asDate(); }
    QDateTime asDateTime() const { return value().asDateTime(); }

    void setValue(const Value &v) { owner_->setValueAt(index_, v); }
    void setAsString(const QString &v) { setValue(Value::text(v)); }
    void setAsInteger(std::int64_t v) { setValue(Value::integer(v)); }
    void setAsCurrency(Currency v) { setValue(Value::currency(v)); }
    void setAsFloat(double v) { setValue(Value::real(v)); }
    void setAsDate(const QDate &v) { setValue(Value::date(v)); }
    void setAsDateTime(const QDateTime &v) { setValue(Value::dateTime(v)); }
    void clear() { setValue(Value()); }

private:
    RowAccess *owner_;
    int index_;
};

} // namespace db
