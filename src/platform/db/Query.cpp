#include "platform/db/Query.h"

#include "platform/db/Database.h"
#include "platform/db/Transaction.h"

#include <QHash>
#include <ibase.h>
#include <mutex>

using namespace Firebird;

namespace db {

namespace {
// Translations are shared by every query with the same text.
std::shared_ptr<const TranslatedSql> cachedTranslation(const QString &sql)
{
    static std::mutex mutex;
    static QHash<QString, std::shared_ptr<const TranslatedSql>> cache;
    std::lock_guard lock(mutex);
    auto it = cache.constFind(sql);
    if (it != cache.constEnd())
        return *it;
    if (cache.size() > 4096)
        cache.clear();
    auto t = std::make_shared<const TranslatedSql>(TranslateParams(sql));
    cache.insert(sql, t);
    return t;
}
} // namespace

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
    if (translated_ && lines_.size() == 1 && lines_.front() == sql) {
        // Same text again: keep the statement, forget the values.
        for (Param &p : params_)
            p.setNull();
        return;
    }
    lines_ = sql.isEmpty() ? QStringList() : QStringList{sql};
    translated_ = false;
}

void Query::addSql(const QString &line)
{
    close();
    lines_ << line;
    translated_ = false;
}

void Query::translate()
{
    if (translated_)
        return;
    translation_ = cachedTranslation(sql());
    params_.clear();
    slots_.clear();
    for (const QString &name : translation_->paramNames) {
        int at = findParam(name);
        if (at < 0) {
            params_.emplace_back(name);
            at = static_cast<int>(params_.size()) - 1;
        }
        slots_.push_back(at);
    }
    translated_ = true;
    if (stmt_ && stmt_->sql != translation_->sql)
        releaseStatement();
}

namespace {
// Parameter names are ASCII identifiers; the stored ones are upper case.
bool sameName(const QString &stored, const QString &asked)
{
    const qsizetype n = stored.size();
    if (asked.size() != n)
        return false;
    const char16_t *a = reinterpret_cast<const char16_t *>(stored.constData());
    const char16_t *b = reinterpret_cast<const char16_t *>(asked.constData());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t c = b[i];
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - 32);
        if (a[i] != c)
            return stored.compare(asked, Qt::CaseInsensitive) == 0;  // non-ASCII: full comparison
    }
    return true;
}
} // namespace

int Query::findParam(const QString &name) const
{
    // Callers usually set parameters in statement order: try the one after the last match first.
    const std::size_t n = params_.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = (lastParam_ + 1 + k) % n;
        if (sameName(params_[i].name(), name)) {
            lastParam_ = i;
            return static_cast<int>(i);
        }
    }
    return -1;
}

int Query::findParam(QLatin1StringView name) const
{
    const std::size_t n = params_.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = (lastParam_ + 1 + k) % n;
        const QString &stored = params_[i].name();
        if (stored.size() != name.size())
            continue;
        bool same = true;
        for (qsizetype j = 0; j < name.size() && same; ++j) {
            char c = name[j].toLatin1();
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 32);
            same = stored[j].unicode() == static_cast<char16_t>(static_cast<unsigned char>(c));
        }
        if (same) {
            lastParam_ = i;
            return static_cast<int>(i);
        }
    }
    return -1;
}

Param &Query::paramByName(const char *name)
{
    translate();
    const int i = findParam(QLatin1StringView(name));
    if (i < 0)
        throw DbError(QStringLiteral("Parámetro desconocido: %1").arg(QLatin1String(name)));
    return params_[i];
}

Param &Query::paramByName(const QString &name)
{
    translate();
    const int i = findParam(name);
    if (i < 0)
        throw DbError(QStringLiteral("Parámetro desconocido: %1").arg(name));
    return params_[i];
}

bool Query::hasParam(const QString &name) const
{
    const_cast<Query *>(this)->translate();
    return findParam(name) >= 0;
}

QStringList Query::paramNames() const
{
    const_cast<Query *>(this)->translate();
    return translation_->paramNames;
}

void Query::newRow()
{
    decoded_.assign(columns_.size(), 0);
    row_.resize(columns_.size());
}

const Value &Query::valueAt(int index) const
{
    if (index < 0 || index >= static_cast<int>(decoded_.size()))
        throw DbError(QStringLiteral("Campo fuera de rango: %1").arg(index));
    if (!decoded_[index]) {
        row_[index] = DecodeColumn(columns_[index], outBuffer_.data(), db_->attachment(), tx_->handle());
        decoded_[index] = 1;
    }
    return row_[index];
}

const std::vector<Value> &Query::row() const
{
    for (int i = 0; i < static_cast<int>(decoded_.size()); ++i)
        valueAt(i);
    return row_;
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
    if (countPending_ && stmt_)
        rowsAffected();  // the count belongs to this execution of the statement
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
    for (std::size_t i = 0; i < inputColumns_.size(); ++i)
        EncodeValue(inputColumns_[i], params_[slots_[i]].value(), buffer.data(), att, tra);
}

void Query::execQuery()
{
    if (!db_ || !tx_)
        throw DbError(QStringLiteral("La consulta no tiene base de datos o transacción"));
    closeCursor();
    translate();
    if (translation_->sql.empty())
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
    const QStringList &names = translation_->paramNames;
    if (fresh)
        stmt_ = db_->acquireStatement(*tx_, translation_->sql);
    if (fresh || inputColumns_.size() != static_cast<std::size_t>(names.size())) {
        inputColumns_ = DescribeMessage(stmt_->input);
        columns_ = DescribeMessage(stmt_->output);
        for (std::size_t i = 0; i < inputColumns_.size() && i < static_cast<std::size_t>(names.size()); ++i)
            inputColumns_[i].name = names.at(static_cast<int>(i));
    }
    if (inputColumns_.size() != static_cast<std::size_t>(names.size()))
        throw DbError(QStringLiteral("La sentencia espera %1 parámetros").arg(inputColumns_.size()));

    std::vector<unsigned char> &inBuffer = inBuffer_;
    bindInput(inBuffer);
    outBuffer_.resize(stmt_->outputLength);
    rowsAffected_ = 0;
    countPending_ = false;
    Status &st = status_;
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
            countPending_ = true;
            if (hasOutput) {
                newRow();
                hasSingleton_ = true;
                eof_ = false;
            } else {
                row_.clear();
                decoded_.clear();
                eof_ = true;
            }
        }
    } catch (const FbException &e) {
        closeCursor();
        eof_ = true;
        rethrow(e);
    }
}

std::uint64_t Query::rowsAffected() const
{
    if (countPending_ && stmt_) {
        countPending_ = false;
        try {
            rowsAffected_ = stmt_->statement->getAffectedRecords(const_cast<Status &>(status_).get());
        } catch (const FbException &e) {
            rethrow(e);
        }
    }
    return rowsAffected_;
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
    Status &st = status_;
    try {
        if (cursor_->fetchNext(&st, outBuffer_.data()) == IStatus::RESULT_OK) {
            newRow();
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
