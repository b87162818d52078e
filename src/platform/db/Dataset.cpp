#include "platform/db/Dataset.h"

#include "platform/db/Database.h"
#include "platform/db/Transaction.h"

namespace db {

namespace {
const Value &nullValue()
{
    static const Value v;
    return v;
}

QString quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}
} // namespace

Dataset::Dataset(QObject *parent) : QObject(parent) {}

Dataset::~Dataset()
{
    if (readTx_)
        readTx_->removeEndListener(this);
}

void Dataset::setDatabase(Database *db)
{
    close();
    db_ = db;
    query_.setDatabase(db);
    writer_.reset();
}

void Dataset::setReadTransaction(Transaction *tx)
{
    close();
    readTx_ = tx;
    query_.setTransaction(tx);
}

void Dataset::setUpdateTransaction(Transaction *tx)
{
    updateTx_ = tx;
    writer_.reset();
}

void Dataset::setSelectSql(const QString &sql)
{
    close();
    query_.setSql(sql);
}

void Dataset::addCalculatedField(const QString &name)
{
    close();
    calculated_ << name.toUpper();
}

void Dataset::addLookupField(const QString &name, Dataset *lookup, const QString &lookupKey, const QString &lookupResult,
                             const QString &keyField)
{
    close();
    lookups_.push_back({-1, lookup, lookupKey, lookupResult, keyField});
    calculated_ << name.toUpper();
    lookups_.back().fieldIndex = static_cast<int>(calculated_.size()) - 1; // relative to calculated block
}

void Dataset::onReadTransactionEnd()
{
    // The cursor dies with its transaction; what was fetched stays readable.
    query_.close();
    cursorDone_ = true;
    firstPending_ = false;
}

void Dataset::openOnUse()
{
    if (state_ == State::Inactive)
        openOnUse_ = true;
}

void Dataset::pending() const
{
    if (!openOnUse_)
        return;
    auto *self = const_cast<Dataset *>(this);
    self->openOnUse_ = false;
    self->open();
}

void Dataset::open()
{
    openOnUse_ = false;
    if (active())
        return;
    if (!db_ || !readTx_)
        throw DbError(QStringLiteral("El conjunto de datos %1 no tiene base de datos").arg(objectName()));
    query_.execQuery();
    fieldNames_.clear();
    for (const ColumnInfo &c : query_.columns())
        fieldNames_ << c.name;
    dbColumnCount_ = static_cast<int>(fieldNames_.size());
    for (const QString &c : calculated_)
        fieldNames_ << c;
    rows_.clear();
    firstPending_ = !query_.eof();
    cursorDone_ = query_.eof();
    state_ = State::Browse;
    readTx_->addEndListener(this, [this] { onReadTransactionEnd(); });
    fetchMore(1);
    current_ = rows_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = rows_.empty();
    lookupIndex_.clear();
    emit reset();
}

void Dataset::close()
{
    openOnUse_ = false;
    if (state_ == State::Inactive)
        return;
    query_.close();
    if (readTx_)
        readTx_->removeEndListener(this);
    rows_.clear();
    editRow_.clear();
    state_ = State::Inactive;
    current_ = -1;
    eof_ = bof_ = true;
    cursorDone_ = true;
    firstPending_ = false;
    lookupIndex_.clear();
    emit reset();
}

void Dataset::refresh()
{
    if (openOnUse_)
        return;
    ensureKeys();
    std::vector<Value> keys;
    if (current_ >= 0 && current_ < fetchedCount())
        for (const QString &k : keyFields_)
            keys.push_back(fieldByName(k).value());
    const int oldRow = current_;
    blockSignals(true);
    close();
    open();
    bool found = false;
    if (!keys.empty() && !keyFields_.isEmpty()) {
        for (int r = 0; r < fetchedCount() || fetchMore(64) > 0; ++r) {
            bool match = true;
            for (int k = 0; k < keyFields_.size() && match; ++k)
                match = valueAtRow(r, fieldIndex(keyFields_[k])) == keys[k];
            if (match) {
                setRecNo(r);
                found = true;
                break;
            }
        }
    }
    if (!found && oldRow >= 0 && !rows_.empty())
        setRecNo(std::min(oldRow, fetchedCount() - 1));
    blockSignals(false);
    lookupIndex_.clear();
    emit reset();
}

void Dataset::calculate(std::vector<Value> &row)
{
    if (calculated_.isEmpty())
        return;
    if (&row == &editRow_) {  // the callback works on editRow_ itself
        std::vector<Value> copy = row;
        calculate(copy);
        editRow_ = std::move(copy);
        return;
    }
    row.resize(fieldNames_.size());
    for (const Lookup &l : lookups_) {
        const int key = fieldIndex(l.keyField);
        row[dbColumnCount_ + l.fieldIndex] =
            key >= 0 && l.source && l.source->active() ? l.source->lookup(l.sourceKey, row[key], l.sourceResult) : Value();
    }
    if (onCalcFields) {
        // The callback reads and writes through fieldByName on a temporary current row.
        std::vector<Value> saved;
        const State savedState = state_;
        saved.swap(editRow_);
        editRow_ = row;
        state_ = State::Insert; // lets setValueAt write into editRow_
        try {
            onCalcFields(*this);
        } catch (...) {
            row = editRow_;
            editRow_.swap(saved);
            state_ = savedState;
            throw;
        }
        row = editRow_;
        editRow_.swap(saved);
        state_ = savedState;
    }
}

bool Dataset::fetchOne()
{
    if (cursorDone_)
        return false;
    if (firstPending_) {
        firstPending_ = false;
    } else if (!query_.next()) {
        cursorDone_ = true;
        return false;
    }
    std::vector<Value> row = query_.row();
    row.resize(fieldNames_.size());
    calculate(row);
    rows_.push_back(std::move(row));
    return true;
}

int Dataset::fetchMore(int count)
{
    pending();
    if (!active())
        return 0;
    const int before = fetchedCount();
    for (int i = 0; i < count && fetchOne(); ++i) {
    }
    const int got = fetchedCount() - before;
    if (got > 0) {
        lookupIndex_.clear();
        emit rowsFetched(before, fetchedCount() - 1);
    }
    return got;
}

void Dataset::fetchAll()
{
    while (fetchMore(256) > 0) {
    }
}

int Dataset::recordCount()
{
    fetchAll();
    return fetchedCount();
}

bool Dataset::isEmpty() const
{
    pending();
    return rows_.empty();
}

void Dataset::requireBrowse() const
{
    pending();
    if (state_ == State::Edit || state_ == State::Insert)
        const_cast<Dataset *>(this)->cancel();
}

void Dataset::first()
{
    requireBrowse();
    bof_ = true;
    current_ = rows_.empty() ? -1 : 0;
    eof_ = rows_.empty();
}

void Dataset::next()
{
    requireBrowse();
    if (current_ + 1 >= fetchedCount())
        fetchMore(64);
    if (current_ + 1 < fetchedCount()) {
        ++current_;
        bof_ = false;
        eof_ = false;
    } else {
        eof_ = true;
    }
}

void Dataset::prior()
{
    requireBrowse();
    if (current_ > 0) {
        --current_;
        eof_ = false;
        bof_ = false;
    } else {
        bof_ = true;
    }
}

void Dataset::last()
{
    requireBrowse();
    fetchAll();
    current_ = fetchedCount() - 1;
    eof_ = rows_.empty();
    bof_ = rows_.empty();
}

void Dataset::setRecNo(int row)
{
    requireBrowse();
    while (row >= fetchedCount() && fetchMore(64) > 0) {
    }
    if (row >= 0 && row < fetchedCount()) {
        current_ = row;
        eof_ = bof_ = false;
    }
}

bool Dataset::locate(const QString &field, const Value &value, bool caseInsensitive)
{
    requireBrowse();
    const int col = fieldIndex(field);
    if (col < 0)
        throw DbError(QStringLiteral("Campo desconocido: %1").arg(field));
    const QString text = value.asString();
    for (int r = 0; r < fetchedCount() || fetchMore(64) > 0; ++r) {
        const Value &v = rows_[r][col];
        bool match;
        if (v.isNull() || value.isNull())
            match = v.isNull() && value.isNull();
        else if (v.kind() == Value::Kind::Text || value.kind() == Value::Kind::Text)
            match = QString::compare(v.asString(), text, caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
        else
            match = v.asCurrency() == value.asCurrency() && v.asFloat() == value.asFloat();
        if (match) {
            current_ = r;
            eof_ = bof_ = false;
            return true;
        }
    }
    return false;
}

Value Dataset::lookup(const QString &keyField, const Value &key, const QString &resultField)
{
    const int k = fieldIndex(keyField), res = fieldIndex(resultField);
    if (k < 0 || res < 0 || key.isNull())
        return Value();
    fetchAll();
    auto it = lookupIndex_.find(k);
    if (it == lookupIndex_.end()) {
        QHash<QString, int> index;
        index.reserve(fetchedCount());
        for (int r = fetchedCount() - 1; r >= 0; --r)  // backwards, so the first row wins
            index[rows_[r][k].asString()] = r;
        it = lookupIndex_.emplace(k, std::move(index)).first;
    }
    const auto row = it->second.constFind(key.asString());
    return row == it->second.constEnd() ? Value() : rows_[*row][res];
}

int Dataset::fieldIndex(const QString &name) const
{
    pending();
    for (int i = 0; i < fieldNames_.size(); ++i)
        if (fieldNames_[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

Field Dataset::fieldByName(const QString &name)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DbError(QStringLiteral("Campo desconocido en %1: %2").arg(objectName(), name));
    return Field(this, i);
}

const Value &Dataset::valueAt(int index) const
{
    pending();
    if (state_ == State::Edit || state_ == State::Insert)
        return index < static_cast<int>(editRow_.size()) ? editRow_[index] : nullValue();
    if (current_ < 0 || current_ >= fetchedCount())
        return nullValue();
    return rows_[current_][index];
}

void Dataset::setValueAt(int index, const Value &value)
{
    if (state_ != State::Edit && state_ != State::Insert)
        throw DbError(QStringLiteral("El conjunto de datos %1 no está en edición").arg(objectName()));
    editRow_.at(index) = value;
    if (index < static_cast<int>(modified_.size()))
        modified_[index] = true;
}

void Dataset::append()
{
    pending();
    if (!active())
        throw DbError(QStringLiteral("El conjunto de datos %1 está cerrado").arg(objectName()));
    requireBrowse();
    editRow_.assign(fieldNames_.size(), Value());
    modified_.assign(fieldNames_.size(), false);
    state_ = State::Insert;
}

void Dataset::edit()
{
    pending();
    if (state_ == State::Edit || state_ == State::Insert)
        return;
    if (current_ < 0 || current_ >= fetchedCount())
        throw DbError(QStringLiteral("No hay registro para modificar en %1").arg(objectName()));
    editRow_ = rows_[current_];
    modified_.assign(fieldNames_.size(), false);
    state_ = State::Edit;
}

void Dataset::cancel()
{
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    editRow_.clear();
    state_ = State::Browse;
    if (afterCancel)
        afterCancel(*this);
}

Query &Dataset::writer()
{
    if (!updateTx_)
        throw DbError(QStringLiteral("El conjunto de datos %1 no tiene transacción de actualización").arg(objectName()));
    if (!writer_)
        writer_ = std::make_unique<Query>(db_, updateTx_);
    return *writer_;
}

void Dataset::ensureKeys()
{
    if (updateTable_.isEmpty())
        for (const ColumnInfo &c : query_.columns())
            if (!c.relation.isEmpty()) {
                updateTable_ = c.relation;
                break;
            }
    if (!keyFields_.isEmpty() || updateTable_.isEmpty() || !readTx_)
        return;
    Query q(db_, readTx_);
    q.setSql(QStringLiteral("select trim(s.rdb$field_name) from rdb$relation_constraints c "
                            "join rdb$index_segments s on s.rdb$index_name = c.rdb$index_name "
                            "where c.rdb$relation_name = :t and c.rdb$constraint_type = 'PRIMARY KEY' "
                            "order by s.rdb$field_position"));
    q.paramByName(QStringLiteral("t")).setAsString(updateTable_);
    q.execQuery();
    while (!q.eof()) {
        keyFields_ << q.field(0).asString();
        q.next();
    }
}

void Dataset::post()
{
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    if (beforePost)
        beforePost(*this);
    ensureKeys();
    if (updateTable_.isEmpty())
        throw DbError(QStringLiteral("El conjunto de datos %1 no tiene tabla de actualización").arg(objectName()));
    const auto &cols = query_.columns();
    auto belongs = [&](int i) {
        return cols[i].relation.isEmpty() || cols[i].relation.compare(updateTable_, Qt::CaseInsensitive) == 0;
    };
    auto columnName = [&](int i) { return cols[i].field.isEmpty() ? cols[i].name : cols[i].field; };
    Query &w = writer();
    if (state_ == State::Insert) {
        QStringList names, values;
        std::vector<int> used;
        for (int i = 0; i < dbColumnCount_; ++i)
            if (modified_[i] && belongs(i)) {
                names << quoted(columnName(i));
                values << QStringLiteral(":P%1").arg(i);
                used.push_back(i);
            }
        QString sql = QStringLiteral("insert into %1 (%2) values (%3)")
                          .arg(quoted(updateTable_), names.join(QLatin1Char(',')), values.join(QLatin1Char(',')));
        if (names.isEmpty())
            sql = QStringLiteral("insert into %1 default values").arg(quoted(updateTable_));
        QStringList keys;
        for (const QString &k : keyFields_)
            keys << quoted(k);
        if (!keys.isEmpty())
            sql += QStringLiteral(" returning ") + keys.join(QLatin1Char(','));
        w.setSql(sql);
        for (int i : used)
            w.paramByName(QStringLiteral("P%1").arg(i)).setValue(editRow_[i]);
        w.execQuery();
        if (!keys.isEmpty())
            for (int k = 0; k < keyFields_.size(); ++k) {
                const int idx = fieldIndex(keyFields_[k]);
                if (idx >= 0)
                    editRow_[idx] = w.row().at(k);
            }
        calculate(editRow_);
        const int at = std::min(current_ + 1, fetchedCount());
        rows_.insert(rows_.begin() + at, editRow_);
        current_ = at;
        state_ = State::Browse;
        eof_ = bof_ = false;
        lookupIndex_.clear();
        emit rowInserted(at);
    } else {
        QStringList sets, where;
        std::vector<int> used;
        for (int i = 0; i < dbColumnCount_; ++i)
            if (modified_[i] && belongs(i)) {
                sets << QStringLiteral("%1 = :P%2").arg(quoted(columnName(i))).arg(i);
                used.push_back(i);
            }
        if (!used.empty()) {
            if (keyFields_.isEmpty())
                throw DbError(QStringLiteral("La tabla %1 no tiene clave primaria").arg(updateTable_));
            for (int k = 0; k < keyFields_.size(); ++k)
                where << QStringLiteral("%1 = :K%2").arg(quoted(keyFields_[k])).arg(k);
            w.setSql(QStringLiteral("update %1 set %2 where %3")
                         .arg(quoted(updateTable_), sets.join(QLatin1Char(',')), where.join(QStringLiteral(" and "))));
            for (int i : used)
                w.paramByName(QStringLiteral("P%1").arg(i)).setValue(editRow_[i]);
            for (int k = 0; k < keyFields_.size(); ++k)
                w.paramByName(QStringLiteral("K%1").arg(k)).setValue(rows_[current_][fieldIndex(keyFields_[k])]);
            w.execQuery();
            if (w.rowsAffected() == 0)
                throw DbError(QStringLiteral("El registro fue modificado o eliminado por otro usuario"));
        }
        calculate(editRow_);
        rows_[current_] = editRow_;
        lookupIndex_.clear();
        state_ = State::Browse;
        emit rowChanged(current_);
    }
    editRow_.clear();
    if (afterPost)
        afterPost(*this);
}

void Dataset::deleteRecord()
{
    requireBrowse();
    if (current_ < 0 || current_ >= fetchedCount())
        throw DbError(QStringLiteral("No hay registro para eliminar en %1").arg(objectName()));
    ensureKeys();
    if (keyFields_.isEmpty())
        throw DbError(QStringLiteral("La tabla %1 no tiene clave primaria").arg(updateTable_));
    QStringList where;
    for (int k = 0; k < keyFields_.size(); ++k)
        where << QStringLiteral("%1 = :K%2").arg(quoted(keyFields_[k])).arg(k);
    Query &w = writer();
    w.setSql(QStringLiteral("delete from %1 where %2").arg(quoted(updateTable_), where.join(QStringLiteral(" and "))));
    for (int k = 0; k < keyFields_.size(); ++k)
        w.paramByName(QStringLiteral("K%1").arg(k)).setValue(rows_[current_][fieldIndex(keyFields_[k])]);
    w.execQuery();
    const int removed = current_;
    rows_.erase(rows_.begin() + removed);
    if (current_ >= fetchedCount())
        current_ = fetchedCount() - 1;
    eof_ = rows_.empty();
    lookupIndex_.clear();
    emit rowRemoved(removed);
    if (afterDelete)
        afterDelete(*this);
}

} // namespace db
