#include "platform/db/Dataset.h"
#include "platform/db/DatasetModel.h"
#include "platform/db/DbFixture.h"

using namespace db;

class DatasetTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        readTx = std::make_unique<Transaction>(*db, TransactionKind::Read);
        Query q(db, tx.get());
        q.setSql("delete from ARTI");
        q.execQuery();
        q.setSql("insert into ARTI values (:c, :n, :e)");
        for (int i = 1; i <= 250; ++i) {
            q.paramByName("c").setAsString(QStringLiteral("A%1").arg(i, 3, 10, QLatin1Char('0')));
            q.paramByName("n").setAsString(QStringLiteral("Artículo %1").arg(i));
            q.paramByName("e").setAsFloat(i * 1.5);
            q.execQuery();
        }
        tx->commit();
    }
    void TearDown() override
    {
        if (readTx->active())
            readTx->commit();
        DbTest::TearDown();
    }
    void bind(Dataset &d, const QString &sql)
    {
        d.setDatabase(db);
        d.setReadTransaction(readTx.get());
        d.setUpdateTransaction(tx.get());
        d.setSelectSql(sql);
    }
    std::unique_ptr<Transaction> readTx;
};

TEST_F(DatasetTest, NavigatesLocatesAndFetchesOnDemand)
{
    Dataset d;
    bind(d, "select * from ARTI order by COD");
    d.open();
    EXPECT_EQ(d.fetchedCount(), 1);  // nothing more until asked
    EXPECT_EQ(d.fieldByName("COD").asString(), "A001");
    ASSERT_TRUE(d.locate("NOMBRE", Value::text("artículo 100"), true));
    EXPECT_EQ(d.fieldByName("COD").asString(), "A100");
    EXPECT_LT(d.fetchedCount(), 250);
    d.last();
    EXPECT_EQ(d.fieldByName("COD").asString(), "A250");
    d.next();
    EXPECT_TRUE(d.eof());
    EXPECT_EQ(d.recordCount(), 250);
    EXPECT_FALSE(d.locate("COD", Value::text("ZZZ")));

    int n = 0;
    for (d.first(); !d.eof(); d.next())
        ++n;
    EXPECT_EQ(n, 250);
}

TEST_F(DatasetTest, CalculatedAndLookupFieldsFollowEachRow)
{
    Dataset prov;
    bind(prov, "select * from PROV");
    prov.open();

    Dataset d;
    bind(d, "select COD, EXIST, 1 as FK from ARTI where COD in ('A001','A002') order by COD");
    d.addCalculatedField("Doble");
    d.addLookupField("NombreProv", &prov, "COD", "NOMBRE", "FK");
    d.onCalcFields = [](Dataset &ds) { ds.fieldByName("Doble").setAsFloat(ds.fieldByName("EXIST").asFloat() * 2); };
    d.open();
    EXPECT_DOUBLE_EQ(d.fieldByName("Doble").asFloat(), 3.0);
    EXPECT_EQ(d.fieldByName("NombreProv").asString(), QString::fromUtf8("Droguería Central"));
    d.next();
    EXPECT_DOUBLE_EQ(d.fieldByName("Doble").asFloat(), 6.0);

    // The source's key index follows its edits, and a repeated key finds the first row.
    ASSERT_TRUE(prov.locate("COD", Value::integer(1)));
    prov.edit();
    prov.fieldByName("NOMBRE").setAsString("Droguería Norte");
    prov.post();
    EXPECT_EQ(prov.lookup("COD", Value::integer(1), "NOMBRE").asString(), QString::fromUtf8("Droguería Norte"));
    tx->commit();
    Dataset repetidos;
    bind(repetidos, "select COD, NOMBRE from PROV union all select 1, 'otra' from rdb$database");
    repetidos.open();
    EXPECT_EQ(repetidos.lookup("COD", Value::text("1"), "NOMBRE").asString(), QString::fromUtf8("Droguería Norte"));
    EXPECT_TRUE(repetidos.lookup("COD", Value::integer(99), "NOMBRE").isNull());
    {
        Query q(db, tx.get());
        q.setSql("update PROV set NOMBRE = 'Droguería Central' where COD = 1");
        q.execQuery();
        tx->commit();
    }
}

TEST_F(DatasetTest, EditsThroughHooksAndDetectsVanishedRows)
{
    Dataset d;
    bind(d, "select * from ARTI where COD starting with 'A00' order by COD");
    int posts = 0, deletes = 0;
    d.afterPost = [&](Dataset &) { ++posts; tx->commit(); };
    d.afterDelete = [&](Dataset &) { ++deletes; tx->commit(); };
    d.open();

    d.append();
    d.fieldByName("COD").setAsString("A000");
    d.fieldByName("NOMBRE").setAsString("Nuevo");
    d.post();
    d.edit();
    d.fieldByName("EXIST").setAsFloat(7);
    d.post();
    EXPECT_EQ(posts, 2);

    Query check(db, readTx.get());
    check.setSql("select EXIST from ARTI where COD = 'A000'");
    check.execQuery();
    EXPECT_DOUBLE_EQ(check.fieldByName("EXIST").asFloat(), 7.0);

    ASSERT_TRUE(d.locate("COD", Value::text("A005")));
    d.deleteRecord();
    EXPECT_EQ(deletes, 1);
    EXPECT_FALSE(d.locate("COD", Value::text("A005")));

    // Another station deletes the row being edited: the post must fail, not pretend.
    ASSERT_TRUE(d.locate("COD", Value::text("A006")));
    Transaction other(*db);
    Query del(db, &other);
    del.setSql("delete from ARTI where COD = 'A006'");
    del.execQuery();
    other.commit();
    d.edit();
    d.fieldByName("EXIST").setAsFloat(1);
    EXPECT_THROW(d.post(), DbError);
    d.cancel();
}

TEST_F(DatasetTest, RefreshKeepsTheCurrentRow)
{
    Dataset d;
    bind(d, "select * from ARTI order by COD");
    d.open();
    ASSERT_TRUE(d.locate("COD", Value::text("A120")));
    d.refresh();
    EXPECT_EQ(d.fieldByName("COD").asString(), "A120");
}

TEST_F(DatasetTest, GridModelGrowsAsTheViewAsksForRows)
{
    Dataset d;
    bind(d, "select COD, EXIST from ARTI order by COD");
    d.open();
    DatasetModel model(&d);
    model.setBatchSize(100);
    model.setColumns({{"COD", "Código", {}, Qt::AlignLeft}, {"EXIST", "Existencia", "#,##0.00", Qt::AlignRight}});
    EXPECT_EQ(model.rowCount(), 1);
    ASSERT_TRUE(model.canFetchMore({}));
    model.fetchMore({});
    EXPECT_EQ(model.rowCount(), 101);
    model.fetchMore({});
    model.fetchMore({});
    EXPECT_EQ(model.rowCount(), 250);
    EXPECT_FALSE(model.canFetchMore({}));
    EXPECT_EQ(model.data(model.index(249, 1), Qt::DisplayRole).toString(), "375.00");
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8("Código"));
}

TEST_F(DatasetTest, OpenOnUseRunsTheSelectAtTheFirstLookAndNotBefore)
{
    // The parameter is bound after openOnUse: a select run at once would have found nothing.
    Dataset d;
    bind(d, "select * from ARTI where COD >= :desde order by COD");
    d.openOnUse();
    EXPECT_TRUE(d.openPending());
    d.paramByName("desde").setAsString("A248");
    EXPECT_FALSE(d.eof());
    EXPECT_FALSE(d.openPending());
    EXPECT_EQ(d.fieldByName("COD").asString(), "A248");
    EXPECT_EQ(d.recordCount(), 3);

    // Whatever the first look is, the rows are there.
    const std::pair<const char *, std::function<void(Dataset &)>> miradas[] = {
        {"state", [](Dataset &x) { EXPECT_EQ(x.state(), Dataset::State::Browse); }},
        {"isEmpty", [](Dataset &x) { EXPECT_FALSE(x.isEmpty()); }},
        {"hasField", [](Dataset &x) { EXPECT_TRUE(x.hasField("NOMBRE")); }},
        {"fieldByName", [](Dataset &x) { EXPECT_EQ(x.fieldByName("COD").asString(), "A001"); }},
        {"locate", [](Dataset &x) { EXPECT_TRUE(x.locate("COD", Value::text("A200"))); }},
        {"lookup", [](Dataset &x) { EXPECT_DOUBLE_EQ(x.lookup("COD", Value::text("A002"), "EXIST").asFloat(), 3.0); }},
        {"fetchedCount", [](Dataset &x) { EXPECT_EQ(x.fetchedCount(), 1); }},
        {"last", [](Dataset &x) { x.last(); EXPECT_EQ(x.fieldByName("COD").asString(), "A250"); }},
        {"edit", [](Dataset &x) { x.edit(); EXPECT_EQ(x.state(), Dataset::State::Edit); x.cancel(); }},
    };
    for (const auto &[nombre, mirar] : miradas) {
        Dataset e;
        bind(e, "select * from ARTI order by COD");
        e.openOnUse();
        mirar(e);
        EXPECT_FALSE(e.openPending()) << nombre;
    }

    // Counted as open, and refreshed, it still waits for its first use.
    Dataset espera;
    bind(espera, "select * from ARTI where COD = :c");
    espera.openOnUse();
    EXPECT_TRUE(espera.active());
    espera.refresh();
    EXPECT_TRUE(espera.openPending());
    espera.paramByName("c").setAsString("A007");
    EXPECT_EQ(espera.recordCount(), 1);

    // A lookup field reads a source that has not been opened yet.
    Dataset prov;
    bind(prov, "select * from PROV");
    prov.openOnUse();
    Dataset conProv;
    bind(conProv, "select COD, 2 as FK from ARTI where COD = 'A001'");
    conProv.addLookupField("NombreProv", &prov, "COD", "NOMBRE", "FK");
    conProv.open();
    EXPECT_EQ(conProv.fieldByName("NombreProv").asString(), "Distribuidora Sur");

    // Closed (or given a new select) before any use, it stays closed as an open one would.
    Dataset cerrado;
    bind(cerrado, "select * from ARTI");
    cerrado.openOnUse();
    cerrado.close();
    EXPECT_FALSE(cerrado.active());
    EXPECT_TRUE(cerrado.eof());
    cerrado.openOnUse();
    cerrado.setSelectSql("select * from ARTI where COD = 'A001'");
    EXPECT_FALSE(cerrado.active());
    EXPECT_FALSE(cerrado.openPending());
}
