#include "Query.h"

#include "Database.h"
#include "Transaction.h"

#include <ibase.h>

using namespace Firebird;

namespace db {

Query::Query(Database *db, Transaction *tx) : db_(db), tx_(tx) {}

Query::~Query()
{
    try {
        closeCursor();
    } catch (...) {
    }
    releaseStatement();
}

void Query::setDatabase(Database *db)
{
    if (db == db_)
        return;
    close();
    releaseStatement();
    db_ = db;
}

void Query::setTransaction(Transaction *tx)
{
    if (tx == tx_)
        return;
    close();
    tx_ = tx;
}

void Query::setSql(const QString &sql)
{
    close();
    lines_ = sql.isEmpty() ? QStringList() : QStringList{sql};
    translated_ = false;
    params_.clear();
}

void Query::addSql(const QString &line)
{
    close();
    lines_ << line;
    translated_ = false;
    params_.clear();
}

void Query::translate()
{
    if (translated_)
        return;
    translation_ = TranslateParams(sql());
    params_.clear();
    for (const QString &name : translation_.paramNames)
        params_.try_emplace(name, Param(name));
    translated_ = true;
    if (stmt_ && stmt_->sql != translation_.sql)
        releaseStatement();
}

Param &Query::paramByName(const QString &name)
{
    translate();
    auto it = params_.find(name.toUpper());
    if (it == params_.end())
        throw DbError(QStringLiteral("Parámetro desconocido: %1").arg(name));
    return it->second;
}

bool Query::hasParam(const QString &name) const
{
    const_cast<Query *>(this)->translate();
    return params_.count(name.toUpper()) != 0;
}

QStringList Query::paramNames() const
{
    const_cast<Query *>(this)->translate();
    return translation_.paramNames;
}

int Query::fieldIndex(const QString &name) const
{
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

Field Query::fieldByName(const QString &name)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("Campo desconocido: %1").arg(name));
    return Field(this, i);
}

void Query::setValueAt(int, const Value &)
{
    throw DbError(QStringLiteral("El resultado de una consulta es de solo lectura"));
}

void Query::releaseStatement()
{
    if (stmt_ && db_)
        db_->releaseStatement(stmt_);
    stmt_ = nullptr;
}

void Query::closeCursor()
{
    if (cursor_) {
        Status st;
        try {
            cursor_->close(&st);
        } catch (const FbException &) {
            cursor_->release();
        }
        cursor_ = nullptr;
        if (tx_)
            tx_->removeEndListener(this);
    }
    hasSingleton_ = false;
}

void Query::close()
{
    closeCursor();
    eof_ = true;
}

void Query::bindInput(std::vector<unsigned char> &buffer)
{
    buffer.assign(stmt_->inputLength, 0);
    IAttachment *att = db_->attachment();
    ITransaction *tra = tx_->handle();
    for (std::size_t i = 0; i < inputColumns_.size(); ++i) {
        const QString &name = translation_.paramNames.at(static_cast<int>(i));
        EncodeValue(inputColumns_[i], params_.at(name).value(), buffer.data(), att, tra);
    }
}

void Query::execQuery()
{
    if (!db_ || !tx_)
        throw DbError(QStringLiteral("La consulta no tiene base de datos o transacción"));
    closeCursor();
    translate();
    if (translation_.sql.empty())
        throw DbError(QStringLiteral("La consulta no tiene texto SQL"));
    if (beforeExecute)
        beforeExecute(*this);
    execute();
    if (afterExecute)
        afterExecute(*this);
}

void Query::execute()
{
    ITransaction *tra = tx_->ensureActive();
    const bool fresh = !stmt_;
    if (fresh)
        stmt_ = db_->acquireStatement(*tx_, translation_.sql);
    if (fresh || inputColumns_.size() != static_cast<std::size_t>(translation_.paramNames.size())) {
        inputColumns_ = DescribeMessage(stmt_->input);
        columns_ = DescribeMessage(stmt_->output);
        for (std::size_t i = 0; i < inputColumns_.size() && i < static_cast<std::size_t>(translation_.paramNames.size()); ++i)
            inputColumns_[i].name = translation_.paramNames.at(static_cast<int>(i));
    }
    if (inputColumns_.size() != static_cast<std::size_t>(translation_.paramNames.size()))
        throw DbError(QStringLiteral("La sentencia espera %1 parámetros").arg(inputColumns_.size()));

    std::vector<unsigned char> inBuffer;
    bindInput(inBuffer);
    outBuffer_.assign(stmt_->outputLength, 0);
    rowsAffected_ = 0;
    Status st;
    try {
        IMessageMetadata *in = inputColumns_.empty() ? nullptr : stmt_->input;
        void *inData = inputColumns_.empty() ? nullptr : inBuffer.data();
        if (stmt_->type == isc_info_sql_stmt_select || stmt_->type == isc_info_sql_stmt_select_for_upd) {
            cursor_ = stmt_->statement->openCursor(&st, tra, in, inData, stmt_->output, 0);
            tx_->addEndListener(this, [this] { close(); });
            eof_ = false;
            next();
        } else {
            const bool hasOutput = !columns_.empty();
            stmt_->statement->execute(&st, tra, in, inData, hasOutput ? stmt_->output : nullptr,
                                      hasOutput ? outBuffer_.data() : nullptr);
            rowsAffected_ = stmt_->statement->getAffectedRecords(&st);
            if (hasOutput) {
                DecodeRow(columns_, outBuffer_.data(), db_->attachment(), tra, row_);
                hasSingleton_ = true;
                eof_ = false;
            } else {
                row_.clear();
                eof_ = true;
            }
        }
    } catch (const FbException &e) {
        closeCursor();
        eof_ = true;
        rethrow(e);
    }
}

bool Query::next()
{
    if (hasSingleton_) {
        hasSingleton_ = false;
        eof_ = true;
        return false;
    }
    if (!cursor_) {
        eof_ = true;
        return false;
    }
    Status st;
    try {
        if (cursor_->fetchNext(&st, outBuffer_.data()) == IStatus::RESULT_OK) {
            DecodeRow(columns_, outBuffer_.data(), db_->attachment(), tx_->handle(), row_);
            return true;
        }
    } catch (const FbException &e) {
        closeCursor();
        eof_ = true;
        rethrow(e);
    }
    closeCursor();
    eof_ = true;
    return false;
}

} // namespace db
