#pragma once
// Rows a report prints. The engine only walks forward from first() and reads
// the fields its template names, so any dataset can be adapted in a few lines.

#include <QStringList>
#include <QVariant>

#include <type_traits>
#include <vector>

class FuenteDatosReporte {
public:
    virtual ~FuenteDatosReporte() = default;

    virtual QStringList fieldNames() const = 0;
    virtual void first() = 0;
    // Moves to the next row; false once past the last one.
    virtual bool next() = 0;
    virtual bool eof() const = 0;
    // A null QVariant stands for NULL. Strings, integers, doubles, QDate and
    // QDateTime are understood; anything else goes through QVariant::toString().
    virtual QVariant value(const QString &fieldName) const = 0;
};

// In-memory table, for tests and for callers that build report rows themselves.
class TablaReporte : public FuenteDatosReporte {
public:
    TablaReporte() = default;
    explicit TablaReporte(const QStringList &fields) : fields_(fields) {}

    void setFields(const QStringList &fields);
    // Values in field order; a short row is padded with nulls.
    void append(const QVariantList &row);
    void clear() { rows_.clear(); pos_ = 0; }
    int rowCount() const { return static_cast<int>(rows_.size()); }

    QStringList fieldNames() const override { return fields_; }
    void first() override { pos_ = 0; }
    bool next() override;
    bool eof() const override { return pos_ >= static_cast<int>(rows_.size()); }
    QVariant value(const QString &fieldName) const override;

private:
    QStringList fields_;
    std::vector<QVariantList> rows_;
    int pos_ = 0;
};

// Adapter over any dataset class with first()/next()/eof()/fieldNames()/
// fieldByName(name) returning a field with isNull() and asString().
template <class DatasetT>
class FuenteDataset : public FuenteDatosReporte {
public:
    explicit FuenteDataset(DatasetT &ds) : ds_(&ds) {}

    QStringList fieldNames() const override
    {
        QStringList out;
        for (const auto &n : ds_->fieldNames())
            out << QString(n);
        return out;
    }
    void first() override { ds_->first(); }
    bool next() override
    {
        ds_->next();
        return !ds_->eof();
    }
    bool eof() const override { return ds_->eof(); }
    QVariant value(const QString &fieldName) const override
    {
        auto &&field = ds_->fieldByName(fieldName);
        if (field.isNull())
            return QVariant();
        return QVariant(QString(field.asString()));
    }

private:
    DatasetT *ds_;
};
