#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/ScriptRunner.h"
#include "support/TestSupport.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace db;

namespace {
int count(Database &d)
{
    Transaction t(d, TransactionKind::Read);
    Query q(&d, &t);
    q.setSql("select count(*) from T");
    q.execQuery();
    return q.field(0).asInteger();
}

void insert(Database &d, Transaction &t, int v)
{
    Query q(&d, &t);
    q.setSql("insert into T values (:v)");
    q.paramByName("v").setAsInteger(v);
    q.execQuery();
}
} // namespace

class TwoPhaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 2; ++i) {
            dbs[i].create({dir.file(QStringLiteral("db%1.fdb").arg(i)), "SYSDBA", "", "", "UTF8"});
            RunScript(dbs[i], "create table T (V integer primary key);"
                               "create table TRANSACCIONES_2PC (GRUPO varchar(40) primary key, FECHA timestamp);"
                               "create table TRANSACCIONES_2PC_MIEMBROS (TRANSACCION bigint primary key, "
                               "GRUPO varchar(40), INDICE integer, TOTAL integer, FECHA timestamp)");
        }
    }
    testsupport::ScratchDir dir;
    Database dbs[2];
};

TEST_F(TwoPhaseTest, OldBookkeepingIsPurgedOnlyWhereNothingIsInLimbo)
{
    for (int v = 1; v <= 3; ++v) {
        Transaction a(dbs[0]), b(dbs[1]);
        insert(dbs[0], a, v);
        insert(dbs[1], b, v);
        CommitTwoPhase({&a, &b});
    }
    auto filas = [](Database &d, const char *tabla) {
        Transaction t(d, TransactionKind::Read);
        Query q(&d, &t);
        q.setSql(QStringLiteral("select count(*) from %1").arg(QLatin1String(tabla)));
        q.execQuery();
        return q.field(0).asInteger();
    };
    EXPECT_EQ(filas(dbs[0], "TRANSACCIONES_2PC"), 3);
    EXPECT_EQ(filas(dbs[1], "TRANSACCIONES_2PC_MIEMBROS"), 3);
    EXPECT_EQ(PurgeGroupRecords({&dbs[0], &dbs[1]}, 1), 0);  // all younger than a day
    EXPECT_EQ(PurgeGroupRecords({&dbs[0], &dbs[1]}, -1), 9); // "older than tomorrow": everything
    EXPECT_EQ(filas(dbs[0], "TRANSACCIONES_2PC") + filas(dbs[0], "TRANSACCIONES_2PC_MIEMBROS")
                  + filas(dbs[1], "TRANSACCIONES_2PC_MIEMBROS"),
              0);
}

TEST_F(TwoPhaseTest, CommitsBothOrNeither)
{
    {
        Transaction a(dbs[0]), b(dbs[1]);
        insert(dbs[0], a, 1);
        insert(dbs[1], b, 1);
        CommitTwoPhase({&a, &b});
        EXPECT_FALSE(a.active());
        EXPECT_FALSE(b.active());
    }
    EXPECT_EQ(count(dbs[0]), 1);
    EXPECT_EQ(count(dbs[1]), 1);
    {
        // The second database refuses (duplicate key): nothing lands in the first one either.
        Transaction a(dbs[0]), b(dbs[1]);
        insert(dbs[0], a, 2);
        EXPECT_THROW(insert(dbs[1], b, 1), DbError);
        a.rollback();
        b.rollback();
    }
    EXPECT_EQ(count(dbs[0]), 1);
}

namespace {
// Runs a process that prepares a grouped commit and dies before committing (or after
// committing the first member only, with "half").
void crashWhilePreparing(const QString &db0, const QString &db1, const QString &group, int value, const QString &mode)
{
    QProcess p;
    p.start(QStringLiteral(CRASH_HELPER), {db0, db1, group, QString::number(value), mode});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 3) << p.readAllStandardError().toStdString();
}
} // namespace

TEST_F(TwoPhaseTest, LimboLeftByACrashIsResolvedByTheGroupState)
{
    const QString p0 = dbs[0].params().database, p1 = dbs[1].params().database;
    dbs[0].close();
    dbs[1].close();
    crashWhilePreparing(p0, p1, "g-both", 10, "prepared");  // both prepared: commit both
    crashWhilePreparing(p0, p1, "g-half", 20, "half");      // first committed: commit the second
    crashWhilePreparing(p0, p1, "g-one", 30, "first");      // only the first prepared: roll it back
    dbs[0].open({p0, "SYSDBA", "", "", "UTF8"});
    dbs[1].open({p1, "SYSDBA", "", "", "UTF8"});

    auto limbo = FindLimbo({&dbs[0], &dbs[1]});
    ASSERT_EQ(limbo.size(), 4u);
    for (const LimboEntry &e : limbo) {
        const bool shouldCommit = e.group != "g-one";
        EXPECT_EQ(e.decision == LimboEntry::Decision::Commit, shouldCommit) << e.group.toStdString();
    }
    EXPECT_EQ(PurgeGroupRecords({&dbs[0], &dbs[1]}, -1), 0);  // recovery still needs them
    EXPECT_EQ(ResolveLimbo({&dbs[0], &dbs[1]}).size(), 4u);
    EXPECT_GT(PurgeGroupRecords({&dbs[0], &dbs[1]}, -1), 0);
    EXPECT_TRUE(FindLimbo({&dbs[0], &dbs[1]}).empty());

    auto values = [](Database &d) {
        Transaction t(d, TransactionKind::Read);
        Query q(&d, &t);
        q.setSql("select list(V, ',') from (select V from T order by V)");
        q.execQuery();
        return q.field(0).asString();
    };
    EXPECT_EQ(values(dbs[0]), "10,20");
    EXPECT_EQ(values(dbs[1]), "10,20");
}
