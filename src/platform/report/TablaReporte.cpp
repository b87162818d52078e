#include "platform/report/FuenteDatosReporte.h"

void TablaReporte::setFields(const QStringList &fields)
{
    fields_ = fields;
    clear();
}

void TablaReporte::append(const QVariantList &row)
{
    QVariantList r = row;
    while (r.size() < fields_.size())
        r << QVariant();
    rows_.push_back(std::move(r));
}

bool TablaReporte::next()
{
    if (pos_ < static_cast<int>(rows_.size()))
        ++pos_;
    return !eof();
}

QVariant TablaReporte::value(const QString &fieldName) const
{
    if (eof())
        return QVariant();
    int i = static_cast<int>(fields_.indexOf(fieldName));
    if (i < 0) {
        for (int k = 0; k < fields_.size(); ++k)
            if (fields_[k].compare(fieldName, Qt::CaseInsensitive) == 0)
                i = k;
    }
    return i < 0 ? QVariant() : rows_[pos_].value(i);
}
