#include "platform/db/TwoPhase.h"

#include "platform/db/Database.h"
#include "platform/db/Interfaz.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <QDateTime>
#include <QUuid>
#include <ibase.h>
#include <map>

using namespace Firebird;

namespace db {

namespace {
const QString kTag = QStringLiteral("compras-2pc");

struct Member {
    Database *db;
    std::int64_t id;
    QString group;
    int index, count;
    qint64 preparedAt;  // seconds since the epoch
};

// Transactions the engine holds in limbo, from its transaction inventory: unlike
// RDB$TRANSACTIONS this does not depend on the visibility of the transaction's own rows.
std::vector<std::int64_t> limboIds(Database &db)
{
    std::vector<std::int64_t> ids;
    const unsigned char items[] = {isc_info_limbo, isc_info_end};
    std::vector<unsigned char> buf(65535);
    Status st;
    try {
        db.attachment()->getInfo(&st, sizeof items, items, static_cast<unsigned>(buf.size()), buf.data());
    } catch (const FbException &e) {
        rethrow(e);
    }
    for (std::size_t p = 0; p + 3 <= buf.size() && buf[p] != isc_info_end;) {
        const unsigned char item = buf[p];
        if (item == isc_info_truncated)
            break;
        const int len = isc_portable_integer(&buf[p + 1], 2);
        if (item == isc_info_limbo)
            ids.push_back(isc_portable_integer(&buf[p + 3], static_cast<short>(len)));
        p += 3 + static_cast<std::size_t>(len);
    }
    return ids;
}

std::vector<Member> limboMembers(Database &db)
{
    std::vector<Member> out;
    const std::vector<std::int64_t> ids = limboIds(db);
    if (ids.empty())
        return out;
    Transaction tx(db, TransactionKind::Read);
    Query q(&db, &tx);
    q.setSql(QStringLiteral("select GRUPO, INDICE, TOTAL, datediff(second from timestamp '1970-01-01 00:00:00' to FECHA) "
                            "from %1 where TRANSACCION = :t").arg(QLatin1String(kMembersTable)));
    for (std::int64_t id : ids) {
        q.paramByName("t").setAsInteger(id);
        q.execQuery();
        if (!q.eof())
            out.push_back({&db, id, q.field(0).asString(), q.field(1).asInteger(), q.field(2).asInteger(),
                           q.field(3).asInt64()});
        q.close();
    }
    tx.commit();
    return out;
}

// Records, in a transaction of its own that commits at once, which group the prepared
// transaction belongs to; recovery finds it even when the transaction's own rows are not visible.
void recordMember(Transaction &t, const QString &group, int index, int count)
{
    Transaction aux(t.database());
    Query q(&t.database(), &aux);
    q.setSql(QStringLiteral("insert into %1 (TRANSACCION, GRUPO, INDICE, TOTAL, FECHA) values (:t, :g, :i, :n, :f)")
                 .arg(QLatin1String(kMembersTable)));
    q.paramByName("t").setAsInteger(t.id());
    q.paramByName("g").setAsString(group);
    q.paramByName("i").setAsInteger(index);
    q.paramByName("n").setAsInteger(count);
    q.paramByName("f").setAsDateTime(QDateTime::currentDateTimeUtc());  // read back as seconds since the epoch
    q.execQuery();
    q.close();
    aux.commit();
}
} // namespace

void CommitTwoPhase(const std::vector<Transaction *> &transactions)
{
    std::vector<Transaction *> active;
    for (Transaction *t : transactions)
        if (t && t->active())
            active.push_back(t);
    if (active.size() == 1) {
        active.front()->commit();
        return;
    }
    const QString group = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const int n = static_cast<int>(active.size());
    try {
        Query marker(&active.front()->database(), active.front());
        marker.setSql(QStringLiteral("insert into %1 (GRUPO, FECHA) values (:g, :f)").arg(QLatin1String(kGroupTable)));
        marker.paramByName(QStringLiteral("g")).setAsString(group);
        marker.paramByName(QStringLiteral("f")).setAsDateTime(QDateTime::currentDateTimeUtc());
        marker.execQuery();
        for (int i = 0; i < n; ++i)
            recordMember(*active[i], group, i + 1, n);
        for (int i = 0; i < n; ++i)
            active[i]->prepare(QStringLiteral("%1 %2 %3/%4").arg(kTag, group).arg(i + 1).arg(n).toUtf8());
    } catch (...) {
        for (Transaction *t : active) {
            try {
                t->rollback();
            } catch (...) {
            }
        }
        throw;
    }
    for (Transaction *t : active)
        t->commit();
}

std::vector<LimboEntry> FindLimbo(const std::vector<Database *> &databases, int minAgeSeconds)
{
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    std::map<QString, std::vector<Member>> groups;
    for (Database *db : databases)
        for (const Member &m : limboMembers(*db))
            groups[m.group].push_back(m);
    auto firstMemberCommitted = [&](const QString &group) {
        for (Database *db : databases) {
            Transaction t(*db, TransactionKind::Read);
            Query q(db, &t);
            q.setSql(QStringLiteral("select count(*) from %1 where GRUPO = :g").arg(QLatin1String(kGroupTable)));
            q.paramByName(QStringLiteral("g")).setAsString(group);
            q.execQuery();
            if (q.field(0).asInteger() > 0)
                return true;
        }
        return false;
    };
    std::vector<LimboEntry> out;
    for (auto &[group, members] : groups) {
        int count = 0;
        bool firstInLimbo = false, recent = false;
        for (const Member &m : members) {
            recent |= now - m.preparedAt < minAgeSeconds;
            firstInLimbo |= m.index == 1;
            count = std::max(count, m.count);
        }
        if (recent)
            continue;
        // Members prepare in order and commit in order: while the first is in limbo nobody
        // committed yet, and once it is gone its marker row says whether it committed.
        const bool commit = firstInLimbo ? static_cast<int>(members.size()) == count : firstMemberCommitted(group);
        for (const Member &m : members)
            out.push_back({m.db->params().database, m.id, group, m.index, m.count,
                           commit ? LimboEntry::Decision::Commit : LimboEntry::Decision::Rollback});
    }
    return out;
}

std::vector<LimboEntry> ResolveLimbo(const std::vector<Database *> &databases, int minAgeSeconds)
{
    std::vector<LimboEntry> entries = FindLimbo(databases, minAgeSeconds);
    for (const LimboEntry &e : entries) {
        Database *db = nullptr;
        for (Database *d : databases)
            if (d->params().database == e.database)
                db = d;
        if (!db)
            continue;
        Status st;
        try {
            unsigned char id[8];
            std::int64_t v = e.id;
            for (int i = 0; i < 8; ++i, v >>= 8)
                id[i] = static_cast<unsigned char>(v & 0xFF);
            const unsigned len = e.id > 0xFFFFFFFFLL ? 8 : 4;
            Interfaz<ITransaction> t(db->attachment()->reconnectTransaction(&st, len, id));
            if (e.decision == LimboEntry::Decision::Commit)
                t->commit(&st);
            else
                t->rollback(&st);
            t.soltar();  // released by a successful commit or rollback
        } catch (const FbException &ex) {
            const ISC_STATUS *v = ex.getStatus()->getErrors();
            if (v && v[0] == isc_arg_gds && v[1] == isc_no_recon)
                continue;  // finished by its own process meanwhile
            rethrow(ex, QStringLiteral("No se pudo resolver la transacción en limbo %1").arg(e.id));
        }
    }
    return entries;
}

int PurgeGroupRecords(const std::vector<Database *> &databases, int days)
{
    int deleted = 0;
    const QDateTime limit = QDateTime::currentDateTimeUtc().addDays(-days);
    for (Database *db : databases) {
        if (!limboIds(*db).empty())
            continue;  // keep what a recovery may still need
        Transaction t(*db);
        Query q(db, &t);
        for (const char *table : {kMembersTable, kGroupTable}) {
            q.setSql(QStringLiteral("delete from %1 where FECHA < :f").arg(QLatin1String(table)));
            q.paramByName("f").setAsDateTime(limit);
            q.execQuery();
            deleted += static_cast<int>(q.rowsAffected());
        }
        t.commit();
    }
    return deleted;
}

} // namespace db
