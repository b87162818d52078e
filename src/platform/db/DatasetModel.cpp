#include "platform/db/DatasetModel.h"

#include "platform/Formato.h"

namespace db {

DatasetModel::DatasetModel(Dataset *dataset, QObject *parent) : QAbstractTableModel(parent), dataset_(dataset)
{
    connectDataset();
    rows_ = dataset ? dataset->fetchedCount() : 0;
    rebuildFieldIndexes();
}

void DatasetModel::setDataset(Dataset *dataset)
{
    beginResetModel();
    if (dataset_)
        disconnect(dataset_, nullptr, this, nullptr);
    dataset_ = dataset;
    connectDataset();
    rows_ = dataset ? dataset->fetchedCount() : 0;
    rebuildFieldIndexes();
    endResetModel();
}

void DatasetModel::connectDataset()
{
    Dataset *dataset = dataset_;
    if (!dataset)
        return;
    connect(dataset, &Dataset::reset, this, [this] {
        beginResetModel();
        rows_ = dataset_->fetchedCount();
        rebuildFieldIndexes();
        endResetModel();
    });
    connect(dataset, &Dataset::rowsFetched, this, [this](int first, int last) {
        if (first < rows_)
            return; // already counted by a reset
        beginInsertRows({}, first, last);
        rows_ = last + 1;
        endInsertRows();
    });
    connect(dataset, &Dataset::rowChanged, this, [this](int row) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(dataset, &Dataset::rowInserted, this, [this](int row) {
        beginInsertRows({}, row, row);
        ++rows_;
        endInsertRows();
    });
    connect(dataset, &Dataset::rowRemoved, this, [this](int row) {
        beginRemoveRows({}, row, row);
        --rows_;
        endRemoveRows();
    });
    connect(dataset, &QObject::destroyed, this, [this] {
        beginResetModel();
        rows_ = 0;
        fieldIndexes_.clear();
        endResetModel();
    });
}

void DatasetModel::setColumns(const QList<Column> &columns)
{
    beginResetModel();
    columns_ = columns;
    rebuildFieldIndexes();
    endResetModel();
}

void DatasetModel::rebuildFieldIndexes()
{
    fieldIndexes_.clear();
    if (!dataset_)
        return;
    for (const Column &c : columns_)
        fieldIndexes_.push_back(dataset_->fieldIndex(c.field));
}

int DatasetModel::fieldOf(int column) const
{
    if (columns_.isEmpty())
        return column;
    return column < static_cast<int>(fieldIndexes_.size()) ? fieldIndexes_[column] : -1;
}

int DatasetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int DatasetModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return columns_.isEmpty() ? (dataset_ ? dataset_->fieldCount() : 0) : columns_.size();
}

QVariant DatasetModel::data(const QModelIndex &index, int role) const
{
    if (!dataset_ || !index.isValid() || index.row() >= dataset_->fetchedCount())
        return {};
    if (rowStyle) {
        QVariant styled = rowStyle(index.row(), role);
        if (styled.isValid())
            return styled;
    }
    const int f = fieldOf(index.column());
    if (f < 0)
        return {};
    const Column *col = columns_.isEmpty() ? nullptr : &columns_[index.column()];
    if (role == Qt::TextAlignmentRole && col)
        return QVariant::fromValue(col->alignment);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const Value &v = dataset_->valueAtRow(index.row(), f);
    if (col && !col->format.isEmpty() && v.isNull())
        return FormatCurrency(col->format, Currency());  // an empty amount reads as zero
    if (col && !col->format.isEmpty()) {
        if (v.kind() == Value::Kind::Scaled || v.kind() == Value::Kind::Integer)
            return FormatCurrency(col->format, v.asCurrency());
        if (v.kind() == Value::Kind::Double)
            return FormatFloat(col->format, v.asFloat());
    }
    return v.asString();
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (!columns_.isEmpty())
        return section < columns_.size() ? columns_[section].caption : QVariant();
    return dataset_ && section < dataset_->fieldCount() ? dataset_->fieldNames().at(section) : QVariant();
}

bool DatasetModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && dataset_ && dataset_->active() && !dataset_->allFetched();
}

void DatasetModel::fetchMore(const QModelIndex &parent)
{
    if (canFetchMore(parent))
        dataset_->fetchMore(batch_);
}

} // namespace db
