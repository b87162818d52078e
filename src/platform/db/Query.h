#pragma once
// One SQL statement with ":name" parameters, run on a database and a transaction.
// The statement text may change at any time; prepared statements come from the
// database's cache, so running the same text again does not prepare it again.

#include "platform/db/Field.h"
#include "platform/db/Firebird.h"
#include "platform/db/MessageCodec.h"
#include "platform/db/SqlParams.h"
#include "platform/db/Value.h"

#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace db {

class Database;
class Transaction;
struct PreparedStatement;

class Param {
public:
    explicit Param(const QString &name = QString()) : name_(name) {}
    const QString &name() const { return name_; }
    const Value &value() const { return value_; }
    bool isNull() const { return value_.isNull(); }

    void setValue(const Value &v) { value_ = v; }
    void setAsString(const QString &v) { value_.setText(v); }
    void setAsInteger(std::int64_t v) { value_.setInteger(v); }
    void setAsCurrency(Currency v) { value_.setScaled(v.raw(), 4); }
    void setAsFloat(double v) { value_.setReal(v); }
    void setAsDate(const QDate &v) { value_.setDate(v); }
    void setAsDateTime(const QDateTime &v) { value_ = Value::dateTime(v); }
    void setAsBlobText(const QString &v) { value_ = Value::blobText(v); }
    void setNull() { value_.setNull(); }

private:
    QString name_;
    Value value_;
};

class Query : public RowAccess {
public:
    explicit Query(Database *db = nullptr, Transaction *tx = nullptr);
    ~Query() override;
    Query(const Query &) = delete;
    Query &operator=(const Query &) = delete;

    void setDatabase(Database *db);
    Database *database() const { return db_; }
    void setTransaction(Transaction *tx);
    Transaction *transaction() const { return tx_; }

    // Statement text; changing it closes the result and forgets parameter values.
    void setSql(const QString &sql);
    QString sql() const { return lines_.join(QLatin1Char('\n')); }
    void clearSql() { setSql(QString()); }
    void addSql(const QString &line);

    Param &paramByName(const QString &name);
    // Literal names are matched without building a QString.
    Param &paramByName(const char *name);
    bool hasParam(const QString &name) const;
    QStringList paramNames() const;

    // Runs the statement (with the execute hooks). A select leaves the first row current.
    void execQuery();
    void close();
    bool active() const { return cursor_ != nullptr || hasSingleton_; }
    bool eof() const { return eof_; }
    // Moves to the next row; false at the end.
    bool next();
    std::uint64_t rowsAffected() const;

    int fieldCount() const { return static_cast<int>(columns_.size()); }
    QString fieldName(int index) const { return columns_.at(index).name; }
    int fieldIndex(const QString &name) const;
    Field fieldByName(const QString &name);
    Field field(int index) { return Field(this, index); }
    const std::vector<ColumnInfo> &columns() const { return columns_; }
    // The whole current row (decoded on first access).
    const std::vector<Value> &row() const;

    // Hooks run around every execution (transaction starting and committing).
    std::function<void(Query &)> beforeExecute;
    std::function<void(Query &)> afterExecute;

    const Value &valueAt(int index) const override;
    void setValueAt(int index, const Value &value) override;
    QString fieldNameAt(int index) const override { return fieldName(index); }

private:
    void translate();
    void releaseStatement();
    void closeCursor();
    void bindInput(std::vector<unsigned char> &buffer);
    void execute();
    void newRow();
    int findParam(const QString &name) const;
    int findParam(QLatin1StringView name) const;

    Database *db_ = nullptr;
    Transaction *tx_ = nullptr;
    QStringList lines_;
    bool translated_ = false;
    std::shared_ptr<const TranslatedSql> translation_;
    std::vector<Param> params_;  // one per distinct name
    std::vector<int> slots_;     // for each "?", its entry in params_
    PreparedStatement *stmt_ = nullptr;
    Firebird::IResultSet *cursor_ = nullptr;
    std::vector<ColumnInfo> inputColumns_;
    std::vector<ColumnInfo> columns_;
    std::vector<unsigned char> outBuffer_;
    std::vector<unsigned char> inBuffer_;
    mutable std::vector<Value> row_;
    mutable std::vector<char> decoded_;
    bool eof_ = true;
    bool hasSingleton_ = false;
    mutable bool countPending_ = false;
    mutable std::uint64_t rowsAffected_ = 0;
    mutable std::size_t lastParam_ = 0;
    Status status_;
};

} // namespace db
