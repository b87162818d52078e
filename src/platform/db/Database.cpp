#include "platform/db/Database.h"

#include "platform/db/Transaction.h"

#include <ibase.h>

using namespace Firebird;

namespace db {

bool ConnectionParams::isRemote() const
{
    // "C:..." style drive letters do not occur here; a colon before the first slash names a host.
    const int colon = database.indexOf(QLatin1Char(':'));
    const int slash = database.indexOf(QLatin1Char('/'));
    return colon > 0 && (slash < 0 || colon < slash || database.startsWith(QLatin1String("inet")));
}

namespace {
IXpbBuilder *makeDpb(Status &st, const ConnectionParams &p, bool creating, int pageSize)
{
    IXpbBuilder *dpb = util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0);
    if (!p.user.isEmpty())
        dpb->insertString(&st, isc_dpb_user_name, p.user.toUtf8().constData());
    if (!p.password.isEmpty())
        dpb->insertString(&st, isc_dpb_password, p.password.toUtf8().constData());
    if (!p.role.isEmpty())
        dpb->insertString(&st, isc_dpb_sql_role_name, p.role.toUtf8().constData());
    dpb->insertString(&st, isc_dpb_lc_ctype, p.charset.toUtf8().constData());
    if (creating) {
        dpb->insertInt(&st, isc_dpb_page_size, pageSize);
        dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
        dpb->insertString(&st, isc_dpb_set_db_charset, "UTF8");
    }
    return dpb;
}
} // namespace

Database::Database() = default;

Database::~Database()
{
    try {
        close();
    } catch (...) {
    }
}

IAttachment *Database::attachment() const
{
    if (!attachment_)
        throw DbError(QStringLiteral("La base de datos no está conectada"));
    return attachment_;
}

void Database::open(const ConnectionParams &params)
{
    close();
    Status st;
    IXpbBuilder *dpb = nullptr;
    try {
        dpb = makeDpb(st, params, false, 0);
        const QByteArray path = params.database.toLocal8Bit();
        attachment_ = provider()->attachDatabase(&st, path.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
        dpb->dispose();
        params_ = params;
    } catch (const FbException &e) {
        if (dpb)
            dpb->dispose();
        rethrow(e, QStringLiteral("No se pudo abrir la base de datos %1").arg(params.database));
    }
}

void Database::create(const ConnectionParams &params, int pageSize)
{
    close();
    Status st;
    IXpbBuilder *dpb = nullptr;
    try {
        dpb = makeDpb(st, params, true, pageSize);
        const QByteArray path = params.database.toLocal8Bit();
        attachment_ = provider()->createDatabase(&st, path.constData(), dpb->getBufferLength(&st), dpb->getBuffer(&st));
        dpb->dispose();
        params_ = params;
    } catch (const FbException &e) {
        if (dpb)
            dpb->dispose();
        rethrow(e, QStringLiteral("No se pudo crear la base de datos %1").arg(params.database));
    }
}

void Database::freeStatements()
{
    std::lock_guard lock(cacheMutex_);
    for (auto &[sql, stmt] : cache_) {
        if (stmt->input)
            stmt->input->release();
        if (stmt->output)
            stmt->output->release();
        if (stmt->statement) {
            try {
                Status st;
                stmt->statement->free(&st);
            } catch (const FbException &) {
                stmt->statement->release();
            }
        }
    }
    cache_.clear();
}

void Database::close()
{
    if (!attachment_)
        return;
    freeStatements();
    Status st;
    try {
        attachment_->detach(&st);
    } catch (const FbException &) {
        attachment_->release();
    }
    attachment_ = nullptr;
}

void Database::drop()
{
    if (!attachment_)
        return;
    freeStatements();
    Status st;
    try {
        attachment_->dropDatabase(&st);
        attachment_ = nullptr;
    } catch (const FbException &e) {
        rethrow(e, QStringLiteral("No se pudo eliminar la base de datos"));
    }
}

void Database::executeImmediate(Transaction &tx, const QString &sql)
{
    Status st;
    const QByteArray text = sql.toUtf8();
    try {
        attachment()->execute(&st, tx.ensureActive(), 0, text.constData(), SQL_DIALECT_V6, nullptr, nullptr, nullptr, nullptr);
    } catch (const FbException &e) {
        rethrow(e);
    }
}

PreparedStatement *Database::acquireStatement(Transaction &tx, const std::string &sql)
{
    {
        std::lock_guard lock(cacheMutex_);
        auto range = cache_.equal_range(sql);
        for (auto it = range.first; it != range.second; ++it) {
            if (!it->second->inUse) {
                it->second->inUse = true;
                return it->second.get();
            }
        }
    }
    auto stmt = std::make_unique<PreparedStatement>();
    Status st;
    try {
        stmt->statement = attachment()->prepare(&st, tx.ensureActive(), static_cast<unsigned>(sql.size()), sql.c_str(),
                                                SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA);
        stmt->type = stmt->statement->getType(&st);
        stmt->input = stmt->statement->getInputMetadata(&st);
        stmt->output = stmt->statement->getOutputMetadata(&st);
        stmt->inputLength = stmt->input->getMessageLength(&st);
        stmt->outputLength = stmt->output->getMessageLength(&st);
    } catch (const FbException &e) {
        if (stmt->input)
            stmt->input->release();
        if (stmt->output)
            stmt->output->release();
        if (stmt->statement)
            stmt->statement->release();
        rethrow(e);
    }
    stmt->sql = sql;
    stmt->inUse = true;
    PreparedStatement *raw = stmt.get();
    std::lock_guard lock(cacheMutex_);
    cache_.emplace(sql, std::move(stmt));
    return raw;
}

void Database::releaseStatement(PreparedStatement *stmt)
{
    std::lock_guard lock(cacheMutex_);
    stmt->inUse = false;
}

std::size_t Database::cachedStatementCount() const
{
    std::lock_guard lock(cacheMutex_);
    return cache_.size();
}

} // namespace db
