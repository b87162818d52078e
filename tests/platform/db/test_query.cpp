#include "platform/db/DbFixture.h"

using namespace db;

class QueryTest : public DbTest {};

TEST_F(QueryTest, NumericRoundTripsAreExact)
{
    Query ins(db, tx.get());
    ins.setSql("insert into MONTOS (IMP2, IMP4, PORC, D) values (:a, :b, :c, :d) returning ID");
    struct Case { const char *in2, *in4, *porc; const char *want2, *want4, *wantPorc; } cases[] = {
        {"1234567.89", "0.0001", "13", "1234567.89", "0.0001", "13"},
        {"0.125", "-922337203685.4775", "12.3456", "0.12", "-922337203685.4775", "12.346"},  // ties to even
        {"0.135", "1.99995", "0.0005", "0.14", "2", "0"},
        {"-2.675", "3.14159", "-0.0015", "-2.68", "3.1416", "-0.002"},
    };
    for (const auto &c : cases) {
        ins.paramByName("a").setAsCurrency(Currency::fromString(std::string(c.in2)));
        ins.paramByName("b").setAsCurrency(Currency::fromString(std::string(c.in4)));
        ins.paramByName("c").setAsCurrency(Currency::fromString(std::string(c.porc)));
        ins.paramByName("d").setAsFloat(0.1);
        ins.execQuery();
        const int id = ins.fieldByName("ID").asInteger();
        Query sel(db, tx.get());
        sel.setSql("select IMP2, IMP4, PORC, D from MONTOS where ID = :id");
        sel.paramByName("id").setAsInteger(id);
        sel.execQuery();
        ASSERT_FALSE(sel.eof());
        EXPECT_EQ(sel.fieldByName("IMP2").asCurrency(), Currency::fromString(std::string(c.want2))) << c.in2;
        EXPECT_EQ(sel.fieldByName("IMP4").asCurrency(), Currency::fromString(std::string(c.want4))) << c.in4;
        EXPECT_EQ(sel.fieldByName("PORC").asCurrency(), Currency::fromString(std::string(c.wantPorc))) << c.porc;
        EXPECT_DOUBLE_EQ(sel.fieldByName("D").asFloat(), 0.1);
    }
}

TEST_F(QueryTest, BindsEveryKindAndReadsNullsAsDefaults)
{
    Query q(db, tx.get());
    q.setSql("insert into MONTOS (F, FH, TXT, NOTA, IMP2, D) values (:f, :fh, :t, :n, :i, :d) returning ID, FLAG");
    q.paramByName("f").setAsDate(QDate(2026, 12, 6));
    q.paramByName("fh").setAsDateTime(QDateTime(QDate(2026, 2, 28), QTime(23, 59, 58, 120)));
    q.paramByName("t").setAsString(QString::fromUtf8("ñandú €€€€   ")); // blanks past the ten characters
    q.paramByName("n").setAsBlobText(QString(40000, QChar(u'á')));
    q.paramByName("i").setAsString("1,234.5");  // typed text into a numeric column
    q.paramByName("d").setNull();
    q.execQuery();
    EXPECT_EQ(q.fieldByName("FLAG").asString(), "N");
    const int id = q.fieldByName("ID").asInteger();

    Query s(db, tx.get());
    s.setSql("select * from MONTOS where ID = :id");
    s.paramByName("id").setAsInteger(id);
    s.execQuery();
    EXPECT_EQ(s.fieldByName("F").asDate(), QDate(2026, 12, 6));
    EXPECT_EQ(s.fieldByName("FH").asDateTime(), QDateTime(QDate(2026, 2, 28), QTime(23, 59, 58, 120)));
    EXPECT_EQ(s.fieldByName("TXT").asString(), QString::fromUtf8("ñandú €€€€"));
    EXPECT_EQ(s.fieldByName("NOTA").asString().size(), 40000);
    EXPECT_EQ(s.fieldByName("IMP2").asCurrency(), Currency::fromString(std::string("1234.5")));
    EXPECT_TRUE(s.fieldByName("D").isNull());
    EXPECT_EQ(s.fieldByName("D").asFloat(), 0.0);
    EXPECT_EQ(s.fieldByName("IMP4").asString(), "");
}

TEST_F(QueryTest, TextLongerThanItsColumnIsRefusedNeverCut)
{
    Query ins(db, tx.get());
    ins.setSql("insert into MONTOS (TXT) values (:t)");
    ins.paramByName("t").setAsString("0012-88410");
    ins.execQuery();

    // Compared in a where clause: a cut value would find "0012-88410".
    Query q(db, tx.get());
    q.setSql("select count(*) from MONTOS where TXT = :numero");
    const std::pair<QString, int> largos[] = {{QStringLiteral("0012-88410 X"), 12},
                                              {QString::fromUtf8("0012-88410ñ"), 11},
                                              {QString::fromUtf8("0012-88410\U0001F600"), 11}};
    for (const auto &[largo, caracteres] : largos) {
        q.paramByName("numero").setAsString(largo);
        try {
            q.execQuery();
            ADD_FAILURE() << "aceptado: " << largo.toStdString();
        } catch (const DbError &e) {
            EXPECT_TRUE(e.message().contains("numero", Qt::CaseInsensitive)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QStringLiteral("%1 caracteres").arg(caracteres))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains("como máximo 10")) << e.message().toStdString();
        }
        q.close();
    }
    // Exactly ten characters, multi-byte ones included, still fit.
    q.paramByName("numero").setAsString(QString::fromUtf8("ññññññññññ"));
    q.execQuery();
    EXPECT_EQ(q.field(0).asInteger(), 0);
    q.close();

    ins.paramByName("t").setAsString("ABCDEFGHIJK");
    EXPECT_THROW(ins.execQuery(), DbError);
    Query n(db, tx.get());
    n.setSql("select count(*) from MONTOS where TXT starting with 'ABCDEFGHIJ'");
    n.execQuery();
    EXPECT_EQ(n.field(0).asInteger(), 0);
}

TEST_F(QueryTest, BadValuesAndUnknownNamesFailClearly)
{
    Query q(db, tx.get());
    q.setSql("insert into MONTOS (IMP2) values (:i)");
    EXPECT_THROW(q.paramByName("nope"), DbError);
    q.paramByName("i").setAsString("doce");
    EXPECT_THROW(q.execQuery(), DbError);

    q.setSql("insert into NO_EXISTE values (1)");
    try {
        q.execQuery();
        FAIL();
    } catch (const DbError &e) {
        EXPECT_EQ(e.sqlCode(), -204);
        EXPECT_TRUE(e.message().contains("NO_EXISTE"));
    }
}

TEST_F(QueryTest, CachedStatementsAreReusedButNeverShared)
{
    const std::size_t before = db->cachedStatementCount();
    Query a(db, tx.get()), b(db, tx.get());
    for (int i = 0; i < 5; ++i) {
        a.setSql("select COD, NOMBRE from PROV order by COD");
        a.execQuery();
    }
    EXPECT_EQ(db->cachedStatementCount(), before + 1);
    // Same text while the first cursor is still open: a second statement, both readable.
    b.setSql("select COD, NOMBRE from PROV order by COD");
    b.execQuery();
    EXPECT_EQ(db->cachedStatementCount(), before + 2);
    EXPECT_EQ(a.fieldByName("COD").asInteger(), 1);
    EXPECT_EQ(b.fieldByName("COD").asInteger(), 1);
    a.next();
    EXPECT_EQ(a.fieldByName("NOMBRE").asString(), "Distribuidora Sur");
    EXPECT_FALSE(a.next());
    EXPECT_TRUE(a.eof());
    EXPECT_FALSE(b.eof());
}

TEST_F(QueryTest, HooksSurroundExecutionAndCommitEndsCursors)
{
    QStringList calls;
    Query q(db, tx.get());
    q.beforeExecute = [&](Query &) { calls << "before"; };
    q.afterExecute = [&](Query &) { calls << "after"; };
    q.setSql("update PROV set NOMBRE = NOMBRE where COD = :c");
    q.paramByName("c").setAsInteger(2);
    q.execQuery();
    EXPECT_EQ(calls, (QStringList{"before", "after"}));
    EXPECT_EQ(q.rowsAffected(), 1u);

    Query s(db, tx.get());
    s.setSql("select COD from PROV");
    s.execQuery();
    EXPECT_TRUE(s.active());
    tx->commit();
    EXPECT_FALSE(s.active());
    EXPECT_TRUE(s.eof());
}
