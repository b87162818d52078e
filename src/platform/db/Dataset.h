#pragma once
// A buffered, navigable result set that can also edit its table.
// Rows are fetched from an open cursor as they are needed (a grid scrolling, a locate,
// last()). Writes go through the update transaction with statements generated for the
// update table and its primary key; the post and delete hooks decide when to commit.

#include "platform/db/Field.h"
#include "platform/db/Query.h"

#include <QHash>
#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace db {

class Database;
class Transaction;

class Dataset : public QObject, public RowAccess {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(QObject *parent = nullptr);
    ~Dataset() override;

    void setObjectNameText(const QString &name) { setObjectName(name); }
    void setDatabase(Database *db);
    Database *database() const { return db_; }
    void setReadTransaction(Transaction *tx);
    Transaction *readTransaction() const { return readTx_; }
    void setUpdateTransaction(Transaction *tx);
    Transaction *updateTransaction() const { return updateTx_; }

    // The SELECT; replacing it closes the dataset.
    void setSelectSql(const QString &sql);
    QString selectSql() const { return query_.sql(); }
    Param &paramByName(const QString &name) { return query_.paramByName(name); }
    // Table that append/edit/delete write to (default: the table of the first column) and its key
    // (default: the table's primary key).
    void setUpdateTable(const QString &table) { updateTable_ = table.toUpper(); }
    void setKeyFields(const QStringList &fields) { keyFields_ = fields; }

    // Calculated fields are filled by onCalcFields for each row; lookup fields take a value
    // from another open dataset by key.
    void addCalculatedField(const QString &name);
    void addLookupField(const QString &name, Dataset *lookup, const QString &lookupKey, const QString &lookupResult,
                        const QString &keyField);
    std::function<void(Dataset &)> onCalcFields;

    std::function<void(Dataset &)> afterPost;
    std::function<void(Dataset &)> afterDelete;
    std::function<void(Dataset &)> afterCancel;
    std::function<void(Dataset &)> beforePost;

    void open();
    // Opens on first use instead of now, as if it had been opened here: it counts as active, any
    // look at its rows or fields opens it, and a refresh before that does nothing (the first look
    // reads the rows of that moment). An explicit close() (or a new select) drops the pending open.
    void openOnUse();
    bool openPending() const { return openOnUse_; }
    void close();
    void refresh();  // reopen, keeping the current row by key where possible
    bool active() const { return openOnUse_ || state_ != State::Inactive; }
    State state() const { pending(); return state_; }

    // Navigation over the buffer; moving past the fetched rows fetches more.
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { pending(); return eof_; }
    bool bof() const { pending(); return bof_; }
    bool isEmpty() const;
    int recNo() const { pending(); return current_; }  // 0-based, -1 when empty
    void setRecNo(int row);
    bool locate(const QString &field, const Value &value, bool caseInsensitive = false);
    int fetchedCount() const { pending(); return static_cast<int>(rows_.size()); }
    bool allFetched() const { pending(); return cursorDone_; }
    int fetchMore(int count);  // returns how many rows arrived
    void fetchAll();
    int recordCount();         // fetches all

    int fieldCount() const { pending(); return static_cast<int>(fieldNames_.size()); }
    const QStringList &fieldNames() const { pending(); return fieldNames_; }
    int fieldIndex(const QString &name) const;
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
    Field fieldByName(const QString &name);
    const Value &valueAtRow(int row, int column) const { pending(); return rows_.at(row).at(column); }
    // Value of a lookup: first row whose `keyField` equals `key`. Rows are indexed by key on
    // first use, so a lookup field over a large source costs one hash probe per row.
    Value lookup(const QString &keyField, const Value &key, const QString &resultField);

    void append();
    void edit();
    void post();
    void cancel();
    void deleteRecord();

    const Value &valueAt(int index) const override;
    void setValueAt(int index, const Value &value) override;
    QString fieldNameAt(int index) const override { return fieldNames_.at(index); }

signals:
    void reset();                       // opened, closed or refreshed
    void rowsFetched(int first, int last);
    void rowChanged(int row);
    void rowInserted(int row);
    void rowRemoved(int row);

private:
    struct Lookup {
        int fieldIndex;
        Dataset *source;
        QString sourceKey, sourceResult, keyField;
    };
    void pending() const;  // the open deferred by openOnUse()
    void ensureKeys();
    void calculate(std::vector<Value> &row);
    bool fetchOne();
    void requireBrowse() const;
    Query &writer();
    void onReadTransactionEnd();

    Database *db_ = nullptr;
    Transaction *readTx_ = nullptr;
    Transaction *updateTx_ = nullptr;
    Query query_;
    std::unique_ptr<Query> writer_;
    QString updateTable_;
    QStringList keyFields_;
    QStringList calculated_;
    std::vector<Lookup> lookups_;
    QStringList fieldNames_;
    int dbColumnCount_ = 0;
    std::vector<std::vector<Value>> rows_;
    std::vector<Value> editRow_;
    std::vector<bool> modified_;
    State state_ = State::Inactive;
    int current_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    bool cursorDone_ = true;
    bool firstPending_ = false;  // the query holds a fetched row not yet buffered
    bool openOnUse_ = false;
    // Key text -> first row holding it, per key column; dropped whenever rows change.
    std::map<int, QHash<QString, int>> lookupIndex_;
};

} // namespace db
