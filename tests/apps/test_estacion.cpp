// Stored passwords, logins that bring old ones up to date, and workstations claimed by one
// program at a time.
#include "support/EntornoPrueba.h"
#include "data/CreacionBases.h"
#include "platform/ClaveSegura.h"
#include "records/ReservaEstacion.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

QString Sha256Hex(const QString &clave)
{
    return QString::fromLatin1(QCryptographicHash::hash(clave.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString ClaveDe(db::Database &base, const char *usuario)
{
    return EntornoPrueba::Texto(base, QStringLiteral("select CLAVE from USUARIOS where USUARIO = '%1'").arg(QLatin1String(usuario)));
}

int Lineas(db::Database &base, const char *computadora)
{
    return EntornoPrueba::Entero(
        base, QStringLiteral("select count(*) from TEMPORAL_COMPRAS where COMPUTADORA = '%1'").arg(QLatin1String(computadora)));
}

} // namespace

TEST(ClaveGuardada, VerifiesTheRightPasswordAndNoOther)
{
    const QString g = GuardarClave(QStringLiteral("Señal-2026"), 1000);
    EXPECT_TRUE(g.startsWith(QStringLiteral("pbkdf2-sha256$1000$")));
    EXPECT_LE(g.size(), kLargoClaveGuardada);
    EXPECT_TRUE(VerificarClave(QStringLiteral("Señal-2026"), g).valida);
    EXPECT_FALSE(VerificarClave(QStringLiteral("señal-2026"), g).valida);
    EXPECT_FALSE(VerificarClave(QStringLiteral("Señal-2026 "), g).valida);
    EXPECT_FALSE(VerificarClave(QString(), g).valida);
    // fewer iterations than today's: valid, but to be stored again
    EXPECT_TRUE(VerificarClave(QStringLiteral("Señal-2026"), g).anticuada);
    const QString actual = GuardarClave(QStringLiteral("x"));
    EXPECT_LE(actual.size(), kLargoClaveGuardada);
    EXPECT_TRUE(VerificarClave(QStringLiteral("x"), actual).valida);
    EXPECT_FALSE(VerificarClave(QStringLiteral("x"), actual).anticuada);
}

TEST(ClaveGuardada, SamePasswordTwiceGivesDifferentSaltsAndKeys)
{
    const QString a = GuardarClave(QStringLiteral("admin"), 1000);
    const QString b = GuardarClave(QStringLiteral("admin"), 1000);
    EXPECT_NE(a, b);
    EXPECT_NE(a.section(QLatin1Char('$'), 2, 2), b.section(QLatin1Char('$'), 2, 2));
    EXPECT_NE(a.section(QLatin1Char('$'), 3, 3), b.section(QLatin1Char('$'), 3, 3));
}

TEST(ClaveGuardada, AcceptsTheOldUnsaltedFormAndAsksToUpgradeIt)
{
    const auto v = VerificarClave(QStringLiteral("admin"), Sha256Hex(QStringLiteral("admin")));
    EXPECT_TRUE(v.valida);
    EXPECT_TRUE(v.anticuada);
    EXPECT_TRUE(VerificarClave(QStringLiteral("admin"), Sha256Hex(QStringLiteral("admin")).toUpper()).valida);
    EXPECT_FALSE(VerificarClave(QStringLiteral("Admin"), Sha256Hex(QStringLiteral("admin"))).valida);
    EXPECT_FALSE(VerificarClave(QStringLiteral("admin"), Sha256Hex(QStringLiteral("admin")).left(63)).valida);
}

TEST(ClaveGuardada, MalformedStoredFormsNeverMatch)
{
    const QString g = GuardarClave(QStringLiteral("admin"), 1000);
    const QString sal = g.section(QLatin1Char('$'), 2, 2), clave = g.section(QLatin1Char('$'), 3, 3);
    for (const QString &mala : {QString(), QStringLiteral("admin"), QStringLiteral("pbkdf2-sha256$$$"),
                                QStringLiteral("pbkdf2-sha1$1000$%1$%2").arg(sal, clave),
                                QStringLiteral("pbkdf2-sha256$0$%1$%2").arg(sal, clave),
                                QStringLiteral("pbkdf2-sha256$-5$%1$%2").arg(sal, clave),
                                QStringLiteral("pbkdf2-sha256$999999999$%1$%2").arg(sal, clave),
                                QStringLiteral("pbkdf2-sha256$1000$%1$%2").arg(sal, clave.left(8)),
                                QStringLiteral("pbkdf2-sha256$1000$$%1").arg(clave),
                                QStringLiteral("pbkdf2-sha256$1000$@@@$%1").arg(clave),
                                QStringLiteral("pbkdf2-sha256$1001$%1$%2").arg(sal, clave)})
        EXPECT_FALSE(VerificarClave(QStringLiteral("admin"), mala).valida) << mala.toStdString();
}

TEST(IngresoUsuario, OldPasswordIsUpgradedOnTheFirstGoodLoginOnly)
{
    EntornoPrueba env;
    const QString antes = ClaveDe(env.tienda, "ADMIN");
    ASSERT_EQ(antes, Sha256Hex(QStringLiteral("admin")));  // the demo data keeps the old form

    EXPECT_FALSE(env.estacion->ValidarUsuario(QStringLiteral("admin"), QStringLiteral("ADMIN")));
    EXPECT_EQ(ClaveDe(env.tienda, "ADMIN"), antes) << "a failed login must not touch the stored password";
    EXPECT_FALSE(env.estacion->ValidarUsuario(QStringLiteral("NADIE"), QStringLiteral("admin")));

    EXPECT_TRUE(env.estacion->ValidarUsuario(QStringLiteral("admin"), QStringLiteral("admin")));
    const QString nueva = ClaveDe(env.tienda, "ADMIN");
    EXPECT_TRUE(nueva.startsWith(QStringLiteral("pbkdf2-sha256$%1$").arg(kIteracionesClave))) << nueva.toStdString();

    // the new form works, the wrong password is still refused, and a good login leaves it alone
    EXPECT_TRUE(env.estacion->ValidarUsuario(QStringLiteral("ADMIN"), QStringLiteral("admin")));
    EXPECT_FALSE(env.estacion->ValidarUsuario(QStringLiteral("ADMIN"), QStringLiteral("admin2")));
    EXPECT_EQ(ClaveDe(env.tienda, "ADMIN"), nueva);
    // the other user still has the old form until they log in
    EXPECT_EQ(ClaveDe(env.tienda, "CAJERO").size(), 64);
}

TEST(EsquemaExistente, CheckAddsTheStationTableAndTheOrderColumnOnceAndWidensThePasswordColumn)
{
    EntornoPrueba env;
    auto extra = env.AbrirConexion();
    EntornoPrueba::Ejecutar(extra->tienda, QStringLiteral("drop table ESTACIONES_EN_USO"));
    EntornoPrueba::Ejecutar(extra->tienda, QStringLiteral("drop index IX_TEC_PEDIDO"));
    EntornoPrueba::Ejecutar(extra->tienda, QStringLiteral("alter table TEMPORAL_ENC_COMPRA drop NRO_PEDIDO"));
    try {
        ReservaEstacion(extra->tienda, EstacionCompra{1, QStringLiteral("VIEJA")}, 1).Reclamar();
        ADD_FAILURE() << "a claim without the table must fail";
    } catch (const ErrorRegistro &e) {
        EXPECT_TRUE(e.mensaje().contains(QStringLiteral("compras check"))) << e.mensaje().toStdString();
    }
    const QStringList cambios = ActualizarEsquema(extra->tienda, QStringLiteral("tienda"));
    ASSERT_EQ(cambios.size(), 2);
    EXPECT_TRUE(cambios.first().contains(QStringLiteral("ESTACIONES_EN_USO")));
    EXPECT_TRUE(cambios.last().contains(QStringLiteral("NRO_PEDIDO")));
    EXPECT_EQ(EntornoPrueba::Entero(extra->tienda, QStringLiteral("select count(NRO_PEDIDO) from TEMPORAL_ENC_COMPRA")), 0);
    EXPECT_EQ(EntornoPrueba::Entero(extra->tienda, QStringLiteral("select count(*) from ESTACIONES_EN_USO")), 0);
    EXPECT_TRUE(ActualizarEsquema(extra->tienda, QStringLiteral("tienda")).isEmpty());
    EXPECT_TRUE(ActualizarEsquema(extra->inventario, QStringLiteral("inventario")).isEmpty());
    EXPECT_EQ(EntornoPrueba::Entero(extra->tienda,
                                    QStringLiteral("select f.RDB$CHARACTER_LENGTH from RDB$RELATION_FIELDS r join RDB$FIELDS f "
                                                   "on f.RDB$FIELD_NAME = r.RDB$FIELD_SOURCE where r.RDB$RELATION_NAME = "
                                                   "'USUARIOS' and r.RDB$FIELD_NAME = 'CLAVE'")),
              kLargoClaveGuardada);
}

TEST(ReservaDeEstacion, ASecondClaimOfTheSameStationWaitsThenFailsUntilTheFirstEnds)
{
    EntornoPrueba env;
    auto otra = env.AbrirConexion();
    const EstacionCompra caja1{1, QStringLiteral("CAJA-A")};
    auto primera = std::make_unique<ReservaEstacion>(env.tienda, caja1, 1);
    ASSERT_TRUE(primera->Reclamar());
    EXPECT_TRUE(primera->Reclamada());

    ReservaEstacion segunda(otra->tienda, caja1, 1);
    QElapsedTimer reloj;
    reloj.start();
    EXPECT_FALSE(segunda.Reclamar());
    EXPECT_FALSE(segunda.Reclamada());
    EXPECT_LT(reloj.elapsed(), 10000) << "the wait must be bounded";

    // another till or another computer is a different station
    ReservaEstacion otraCaja(otra->tienda, EstacionCompra{2, QStringLiteral("CAJA-A")}, 1);
    EXPECT_TRUE(otraCaja.Reclamar());
    ReservaEstacion otroEquipo(otra->tienda, EstacionCompra{1, QStringLiteral("CAJA-B")}, 1);
    EXPECT_TRUE(otroEquipo.Reclamar());

    primera.reset();
    EXPECT_TRUE(segunda.Reclamar());
    // claiming again while held is harmless
    EXPECT_TRUE(segunda.Reclamar());
    segunda.Liberar();
    EXPECT_FALSE(segunda.Reclamada());
    ReservaEstacion tercera(env.tienda, caja1, 1);
    EXPECT_TRUE(tercera.Reclamar());
}

// Each commit is a forced write: a station claimed before is claimed in the claim's own
// transaction alone (no commit); only a station's first claim adds its row.
TEST(ReservaDeEstacion, AKnownStationIsClaimedWithoutAnotherTransaction)
{
    EntornoPrueba env;
    const EstacionCompra caja{1, QStringLiteral("CAJA-NUEVA")};
    auto siguiente = [&env] { return EntornoPrueba::Entero(env.tienda, "select MON$NEXT_TRANSACTION from MON$DATABASE"); };
    auto transacciones = [&](auto &&hacer) {
        const int antes = siguiente();
        hacer();
        return siguiente() - antes - 1;  // less the one that reads the counter
    };
    EXPECT_EQ(transacciones([&] { EXPECT_TRUE(ReservaEstacion(env.tienda, caja, 1).Reclamar()); }), 2);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from ESTACIONES_EN_USO where COMPUTADORA = 'CAJA-NUEVA'"), 1);
    EXPECT_EQ(transacciones([&] { EXPECT_TRUE(ReservaEstacion(env.tienda, caja, 1).Reclamar()); }), 1);
}

TEST(ReservaDeEstacion, ClaimsThroughTheWorkstationAndClearsOnlyItsOwnLines)
{
    EntornoPrueba env;
    auto otra = env.AbrirConexion();
    for (const char *pc : {"CAJA-A", "CAJA-B"})
        for (int i = 0; i < 3; ++i)
            EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into TEMPORAL_COMPRAS (NRO_CAJA, COMPUTADORA, COD_BARRAS) "
                                                               "values (1, '%1', 'X%2')").arg(QLatin1String(pc)).arg(i));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into TEMPORAL_ENC_COMPRA (NRO_CAJA, COMPUTADORA) values (1, 'CAJA-A')"));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into TEMPORAL_COMPRAS (NRO_CAJA, COMPUTADORA, COD_BARRAS) values (2, 'CAJA-A', 'Y')"));

    ASSERT_TRUE(env.estacion->ReclamarEstacion(1, QStringLiteral("CAJA-A"), 1));
    EXPECT_FALSE(ReservaEstacion(otra->tienda, EstacionCompra{1, QStringLiteral("CAJA-A")}, 1).Reclamar());
    env.estacion->LiberarEstacion();
    EXPECT_TRUE(ReservaEstacion(otra->tienda, EstacionCompra{1, QStringLiteral("CAJA-A")}, 1).Reclamar());

    db::Transaction t(otra->tienda);
    EXPECT_EQ(LimpiarEstacion(otra->tienda, t, EstacionCompra{1, QStringLiteral("CAJA-A")}), 3);
    t.commit();
    EXPECT_EQ(Lineas(env.tienda, "CAJA-A"), 1);  // till 2's line stays
    EXPECT_EQ(Lineas(env.tienda, "CAJA-B"), 3);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, QStringLiteral("select count(*) from TEMPORAL_ENC_COMPRA where COMPUTADORA = 'CAJA-A'")), 0);
}

TEST(ConflictoDeBloqueo, TheUserGetsSpanishAndCallersStillRecogniseIt)
{
    EntornoPrueba env;
    auto otra = env.AbrirConexion();
    db::Transaction primera(env.tienda);
    db::Query q1(&env.tienda, &primera);
    q1.setSql(QStringLiteral("update USUARIOS set NOMBRE = 'A' where USUARIO = 'ADMIN'"));
    q1.execQuery();

    db::Transaction segunda(otra->tienda, db::TransactionKind::Update, 1);
    db::Query q2(&otra->tienda, &segunda);
    q2.setSql(QStringLiteral("update USUARIOS set NOMBRE = 'B' where USUARIO = 'ADMIN'"));
    try {
        q2.execQuery();
        FAIL() << "the second update should have met the first one's lock";
    } catch (const db::DbError &e) {
        EXPECT_TRUE(e.isLockConflict());
        EXPECT_TRUE(e.message().contains(QStringLiteral("conflicto de bloqueo"))) << e.message().toStdString();
        for (const char *ingles : {"deadlock", "update conflicts", "lock conflict", "lock time-out", "concurrent transaction"})
            EXPECT_FALSE(e.message().contains(QLatin1String(ingles), Qt::CaseInsensitive)) << e.message().toStdString();
    }
    segunda.rollback();
    primera.rollback();
}
