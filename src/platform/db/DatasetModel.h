#pragma once
// Table model over a Dataset for grids: rows arrive as the view scrolls (canFetchMore/fetchMore).

#include "platform/db/Dataset.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <functional>

namespace db {

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString caption;
        QString format;  // picture such as "#,##0.00"; empty shows the text as is
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };

    explicit DatasetModel(Dataset *dataset, QObject *parent = nullptr);

    // Without columns every field is shown with its own name.
    void setColumns(const QList<Column> &columns);
    const QList<Column> &columns() const { return columns_; }
    void setBatchSize(int rows) { batch_ = rows; }
    // Optional per-row colouring (e.g. annulled documents).
    std::function<QVariant(int row, int role)> rowStyle;

    Dataset *dataset() const { return dataset_; }
    // Shows another dataset (nullptr: none); the model is reset.
    void setDataset(Dataset *dataset);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    void connectDataset();
    int fieldOf(int column) const;
    void rebuildFieldIndexes();

    QPointer<Dataset> dataset_;
    QList<Column> columns_;
    std::vector<int> fieldIndexes_;
    int rows_ = 0;
    int batch_ = 100;
};

} // namespace db
