#include "TwoPhase.h"

#include "Database.h"
#include "Query.h"
#include "Transaction.h"

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
    int state;  // 1 limbo, 2 committed, 3 rolled back
    QString group;
    int index, count;
    qint64 preparedAt;  // seconds since the epoch; 0 when unknown
};

std::vector<Member> readMembers(Database &db)
{
    std::vector<Member> out;
    Transaction tx(db, TransactionKind::Read);
    Query q(&db, &tx);
    q.setSql(QStringLiteral("select rdb$transaction_id, rdb$transaction_state, rdb$transaction_description "
                            "from rdb$transactions"));
    q.execQuery();
    while (!q.eof()) {
        const QStringList parts = q.field(2).asString().split(QLatin1Char(' '));
        if (parts.size() >= 3 && parts[0] == kTag) {
            const QStringList pos = parts[2].split(QLatin1Char('/'));
            out.push_back({&db, q.field(0).asInt64(), q.field(1).asInteger(), parts[1], pos.value(0).toInt(),
                           pos.value(1).toInt(), parts.value(3).toLongLong()});
        }
        q.next();
    }
    tx.commit();
    return out;
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
    try {
        Query marker(&active.front()->database(), active.front());
        marker.setSql(QStringLiteral("insert into %1 (GRUPO) values (:g)").arg(QLatin1String(kGroupTable)));
        marker.paramByName(QStringLiteral("g")).setAsString(group);
        marker.execQuery();
        for (std::size_t i = 0; i < active.size(); ++i)
            active[i]->prepare(QStringLiteral("%1 %2 %3/%4 %5")
                                   .arg(kTag, group)
                                   .arg(i + 1)
                                   .arg(active.size())
                                   .arg(QDateTime::currentSecsSinceEpoch())
                                   .toUtf8());
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
        for (const Member &m : readMembers(*db))
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
        int inLimbo = 0, count = 0;
        bool firstInLimbo = false, recent = false;
        for (const Member &m : members) {
            if (m.state != 1)
                continue;
            recent |= m.preparedAt > 0 && now - m.preparedAt < minAgeSeconds;
            ++inLimbo;
            firstInLimbo |= m.index == 1;
            count = std::max(count, m.count);
        }
        if (inLimbo == 0 || recent)
            continue;
        // Members prepare in order and commit in order: while the first is in limbo nobody
        // committed yet, and once it is gone its marker row says whether it committed.
        const bool commit = firstInLimbo ? inLimbo == count : firstMemberCommitted(group);
        for (const Member &m : members)
            if (m.state == 1)
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
            ITransaction *t = db->attachment()->reconnectTransaction(&st, len, id);
            if (e.decision == LimboEntry::Decision::Commit)
                t->commit(&st);
            else
                t->rollback(&st);
        } catch (const FbException &ex) {
            const ISC_STATUS *v = ex.getStatus()->getErrors();
            if (v && v[0] == isc_arg_gds && v[1] == isc_no_recon)
                continue;  // finished by its own process meanwhile
            rethrow(ex, QStringLiteral("No se pudo resolver la transacción en limbo %1").arg(e.id));
        }
    }
    return entries;
}

} // namespace db
