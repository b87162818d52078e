#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/ScriptRunner.h"
#include "support/TestSupport.h"
#include "platform/db/Transaction.h"

#include <QProcess>
#include <gtest/gtest.h>

using namespace db;

// Another process can work on a database file this process holds open.
TEST(EmbeddedEngine, TwoProcessesShareOneFile)
{
    testsupport::ScratchDir dir;
    Database d;
    d.create({dir.file("s.fdb"), "SYSDBA", "", "", "UTF8"});
    RunScript(d, "create table T (V integer primary key)");
    d.close();
    d.open({dir.file("s.fdb"), "SYSDBA", "", "", "UTF8"});
    Transaction t(d, TransactionKind::Read);
    Query q(&d, &t);
    q.setSql("select count(*) from T");
    q.execQuery();
    EXPECT_EQ(q.field(0).asInteger(), 0);
    q.close();
    t.commit();

    QProcess p;
    p.start(QStringLiteral(CRASH_HELPER), {dir.file("s.fdb"), "", "", "5", "insert"});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 3) << p.readAllStandardError().toStdString();

    q.execQuery();
    EXPECT_EQ(q.field(0).asInteger(), 1);
}
