#include "platform/db/LimiteEspera.h"
#include "platform/db/Query.h"
#include "platform/db/ScriptRunner.h"
#include "platform/db/Transaction.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

int Contar(db::Database &base)
{
    db::Transaction t(base, db::TransactionKind::Read);
    db::Query q(&base, &t);
    q.setSql(QStringLiteral("select count(*) from ITEMS"));
    q.execQuery();
    const int n = q.field(0).asInteger();
    q.close();
    t.commit();
    return n;
}

} // namespace

TEST(LimiteEspera, DevuelveLoLeidoOPropagaElErrorDelTrabajo)
{
    testsupport::ScratchDir dir;
    auto base = std::make_shared<db::Database>();
    base->create({dir.file("l.fdb"), "SYSDBA", "", "", "UTF8"});
    db::RunScript(*base, QStringLiteral("create table ITEMS (ID integer primary key, N integer);"
                                        "insert into ITEMS values (1, 0);"));
    EXPECT_EQ(db::EjecutarConLimite(base, 5, QStringLiteral("lento"), Contar), 1);
    EXPECT_THROW(db::EjecutarConLimite(base, 5, QStringLiteral("lento"),
                                       [](db::Database &b) {
                                           db::Transaction t(b, db::TransactionKind::Read);
                                           db::Query q(&b, &t);
                                           q.setSql(QStringLiteral("select * from NO_EXISTE"));
                                           q.execQuery();
                                           return 0;
                                       }),
                 db::DbError);
    EXPECT_FALSE(db::ConexionAbandonada());
}

// A statement held by another transaction's row lock stands for a server that stops answering:
// the caller gets its message at the limit, and the engine is asked to stop the statement.
TEST(LimiteEspera, AlVencerAvisaATiempoYCancelaLaSentencia)
{
    testsupport::ScratchDir dir;
    auto base = std::make_shared<db::Database>();
    base->create({dir.file("l.fdb"), "SYSDBA", "", "", "UTF8"});
    db::RunScript(*base, QStringLiteral("create table ITEMS (ID integer primary key, N integer);"
                                        "insert into ITEMS values (1, 0);"));
    db::Database otra;
    otra.open({dir.file("l.fdb"), "SYSDBA", "", "", "UTF8"});
    db::Transaction dueña(otra, db::TransactionKind::Update);
    db::Query bloqueo(&otra, &dueña);
    bloqueo.setSql(QStringLiteral("update ITEMS set N = 1 where ID = 1"));
    bloqueo.execQuery();

    auto terminado = std::make_shared<std::atomic<bool>>(false);
    QElapsedTimer reloj;
    reloj.start();
    try {
        db::EjecutarConLimite(base, 1, QStringLiteral("no respondió"), [terminado](db::Database &b) {
            struct Fin {
                std::shared_ptr<std::atomic<bool>> f;
                ~Fin() { *f = true; }
            } fin{terminado};
            db::Transaction t(b, db::TransactionKind::Update, 60);
            db::Query q(&b, &t);
            q.setSql(QStringLiteral("update ITEMS set N = 2 where ID = 1"));
            q.execQuery();
            t.commit();
            return 0;
        });
        ADD_FAILURE() << "la espera no venció";
    } catch (const db::ErrorTiempoAgotado &e) {
        EXPECT_EQ(e.message(), QStringLiteral("no respondió"));
    }
    EXPECT_LT(reloj.elapsed(), 5000);
    EXPECT_TRUE(db::ConexionAbandonada());
    // The cancel reaches the waiting statement long before its own 60 s lock limit.
    for (int i = 0; i < 100 && !*terminado; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(*terminado);
    dueña.rollback();
}

// A search no longer wanted is stopped from another thread; the attachment stays usable.
TEST(LimiteEspera, CancelarOperacionDetieneLaSentenciaEnCurso)
{
    testsupport::ScratchDir dir;
    db::Database base;
    base.create({dir.file("c.fdb"), "SYSDBA", "", "", "UTF8"});
    db::CancelarOperacion(base);  // nothing running: a later call may fail once, never hang
    // Rows of the catalogue joined with themselves `veces` times.
    const auto contar = [&](int veces) {
        db::Transaction t(base, db::TransactionKind::Read);
        db::Query q(&base, &t);
        QString sql = QStringLiteral("select count(*) from RDB$RELATION_FIELDS a0");
        for (int i = 1; i < veces; ++i)
            sql += QStringLiteral(", RDB$RELATION_FIELDS a%1").arg(i);
        q.setSql(sql);
        q.execQuery();
        const int n = q.field(0).asInteger();
        q.close();
        return n;
    };
    try {
        contar(1);
    } catch (const db::DbError &) {
    }
    QElapsedTimer reloj;
    reloj.start();
    std::thread cancelar([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        db::CancelarOperacion(base);
    });
    EXPECT_THROW(contar(4), db::DbError);  // minutes of work
    cancelar.join();
    EXPECT_GE(reloj.elapsed(), 150);
    EXPECT_LT(reloj.elapsed(), 5000);
    EXPECT_GT(contar(1), 100);
    db::Database cerrada;
    db::CancelarOperacion(cerrada);  // not attached: nothing to ask
}
