// The article search's ways of reading the list give the same rows, on this thread or on the
// search's worker; the search texts follow the articles; an older inventory database gets them
// from the schema update.

#include "catalogs/BuscadorArticulos.h"
#include "catalogs/BusquedaArticulos.h"
#include "data/CreacionBases.h"
#include "platform/db/ScriptRunner.h"
#include "support/EntornoPrueba.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>

namespace {

using Plan = BusquedaArticulos::Plan;
const QString kCompra = BusquedaArticulos::OrigenCompra;
const QString kPedido = BusquedaArticulos::OrigenPedido;

class BusquedaRapida : public ::testing::Test {
protected:
    EntornoPrueba env;
    db::Dataset &inv = *env.datos->TInventario;

    QStringList Codigos(const QString &texto, const QString &origen, bool ocultar,
                        const BusquedaArticulos::Eleccion &e)
    {
        BusquedaArticulos::Consulta(texto, origen, ocultar, e).Abrir(inv);
        return Columna();
    }
    QStringList Codigos(const QString &texto, const QString &origen, bool ocultar, Plan plan)
    {
        return Codigos(texto, origen, ocultar, BusquedaArticulos::Eleccion{plan, {}, {}});
    }
    // Through the plan the search would choose.
    QStringList Buscar(const char *texto)
    {
        const QString t = QString::fromUtf8(texto);
        return Codigos(t, kPedido, false, Elegir(t));
    }
    QStringList Columna() { return Columna(inv); }
    static QStringList Columna(db::Dataset &ds)
    {
        QStringList r;
        ds.fetchAll();
        const int c = ds.fieldIndex(QStringLiteral("COD_BARRAS"));
        for (int i = 0; i < ds.fetchedCount(); ++i)
            r << ds.valueAtRow(i, c).asString();
        return r;
    }
    // The list the worker hands back for `texto`.
    QStringList EnSegundoPlano(BuscadorArticulos &b, const QString &texto, const QString &origen = kPedido,
                               bool ocultar = false)
    {
        b.Buscar(texto, origen, ocultar);
        if (!b.Esperar(10000) || !b.Lista())
            return {QStringLiteral("(sin lista)")};
        return Columna(*b.Lista());
    }
    BusquedaArticulos::Eleccion Elegir(const QString &texto, BusquedaArticulos::Memoria *memoria = nullptr)
    {
        return BusquedaArticulos::ElegirPlan(env.inventario, env.transLecturaInv, texto, memoria);
    }
    int Cuenta(const QString &sql) { return EntornoPrueba::Entero(env.inventario, sql); }
    // Leaves the inventory as it was before the search texts existed.
    void BorrarBusqueda()
    {
        for (const char *sql : {"drop trigger INVENTARIO_BUSQUEDA_AI", "drop trigger INVENTARIO_BUSQUEDA_AU",
                                "drop trigger INVENTARIO_BUSQUEDA_AD", "drop procedure INV_REHACER_BUSQUEDA",
                                "drop function INV_BLOQUE_BUSQUEDA", "drop function INV_TEXTO_BUSQUEDA",
                                "drop table INV_BUSQUEDA_AGREGADOS", "drop table INV_BUSQUEDA_BLOQUES",
                                "drop table INV_BUSQUEDA", "drop sequence GEN_INV_BUSQUEDA_CORTE"})
            EntornoPrueba::Ejecutar(env.inventario, QString::fromLatin1(sql));
    }
};

TEST_F(BusquedaRapida, LosTresCaminosDanLasMismasFilasEnElMismoOrden)
{
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, CODIGO2, CODIGO3, NOMBRE, COMPUESTO, ARTICULO_INACTIVO) "
        "values ('PRB-1', 'ABCDEFGHIJKLMNOPQRS', 'QX-77', 'ARTICULO DE PRUEBA', 'N', 'S')"));
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, NOMBRE, COMPUESTO) values ('PRB-2', 'otro articulo 500 en minúsculas', null)"));
    const char *textos[] = {"", "500", "QX-7", "DFV-100", "1311309", "ABCDEFGHIJKLMNOPQR", "ABCDEFGHIJKLMNOPQRS",
                            "TENSIOMETRO DE MUÑECA", "MU_ECA", "A", "MG T", "NADA ASI", "%", "5_0", "7441%95",
                            "minúsculas", "77" "\x01" "ART", "PRB", "%%_"};
    int conFilas = 0, porBloques = 0;
    BuscadorArticulos buscador(env.inventario.params());
    // Blocks that hold none of the texts: read as well, they change nothing.
    std::vector<int> otros;
    for (int i = 0; i < 10; ++i)
        otros.push_back(Cuenta(QStringLiteral("select BLOQUE from INV_BUSQUEDA where ARTICULO = '7441001000011'")) + i);
    for (const char *texto : textos)
        for (const QString &origen : {kCompra, kPedido})
            for (bool ocultar : {false, true}) {
                const QString t = QString::fromUtf8(texto);
                const QStringList base = Codigos(t, origen, ocultar, Plan::Recorrido);
                BusquedaArticulos::Eleccion e = Elegir(t);
                EXPECT_EQ(Codigos(t, origen, ocultar, e), base) << texto << " " << origen.toStdString();
                EXPECT_EQ(Codigos(t, origen, ocultar, Plan::PorNombre), base) << texto << " " << origen.toStdString();
                if (e.plan == Plan::Bloques && !t.trimmed().isEmpty()) {
                    ++porBloques;
                    e.bloques.insert(e.bloques.end(), otros.begin(), otros.end());
                    e.bloques.resize(std::min<int>(e.bloques.size(), BusquedaArticulos::kBloquesMaximos));
                    EXPECT_EQ(Codigos(t, origen, ocultar, e), base) << texto;
                }
                EXPECT_EQ(EnSegundoPlano(buscador, t, origen, ocultar), base) << "worker: " << texto;
                conFilas += !base.isEmpty();
            }
    EXPECT_GT(conFilas, 30);    // the cases are not all empty lists
    EXPECT_GT(porBloques, 40);  // nor all read another way
    EXPECT_EQ(Buscar("minúsculas"), QStringList{QStringLiteral("PRB-2")});
    EXPECT_EQ(Buscar("MU_ECA"), QStringList{QStringLiteral("7441001000165")});  // a two-byte letter in the gap
    // PRB-1's text holds "QX-77" and the name side by side; the list never joins fields.
    EXPECT_EQ(Elegir(QStringLiteral("77\x01" "ART")).bloques.size(), 1u);
    EXPECT_TRUE(Buscar("77\x01" "ART").isEmpty());

    EXPECT_EQ(Elegir(QStringLiteral("7441001000295")).plan, Plan::Bloques);
    EXPECT_EQ(Elegir(QStringLiteral("7441001000295")).bloques.size(), 1u);
    EXPECT_EQ(Elegir(QStringLiteral("NADA ASI")).plan, Plan::Bloques);
    EXPECT_TRUE(Elegir(QStringLiteral("NADA ASI")).bloques.empty());
    EXPECT_EQ(Elegir(QStringLiteral("%_")).plan, Plan::PorNombre);
    EXPECT_EQ(Elegir(QStringLiteral("  ")).plan, Plan::PorNombre);
    EXPECT_EQ(BusquedaArticulos::PiezaFija(QStringLiteral(" AB%CDE_F ")), QStringLiteral("CDE"));
}

TEST_F(BusquedaRapida, UnTextoEnMuchosBloquesSeLeePorElNombre)
{
    const int n = BusquedaArticulos::kBloquesMaximos + 1;
    db::RunScript(env.inventario, QStringLiteral(
        "set term ^ ;\n"
        "execute block as declare i integer = 0; begin\n"
        "  while (i < %1) do begin\n"
        "    insert into INVENTARIO (COD_BARRAS, NOMBRE, COMPUESTO) values ('MAS-' || :i, 'MASIVO ' || (%1 - :i), 'N');\n"
        "    i = i + 1;\n"
        "  end\n"
        "end^\n"
        "set term ; ^\n"
        "commit;\n"
        "execute procedure INV_REHACER_BUSQUEDA(1);\n"  // a block a name
        "commit;\n").arg(n));
    BusquedaArticulos::Eleccion e = Elegir(QStringLiteral("MASIVO"));
    EXPECT_EQ(e.plan, Plan::PorNombre);
    EXPECT_TRUE(e.bloques.empty());
    EXPECT_EQ(e.desde, QStringLiteral("MASIVO 1"));  // the first of them by name
    QStringList base = Codigos(QStringLiteral("MASIVO"), kCompra, false, Plan::Recorrido);
    EXPECT_EQ(base.size(), n);
    EXPECT_EQ(Codigos(QStringLiteral("MASIVO"), kCompra, false, e), base);
    const QString uno = QStringLiteral("MASIVO %1").arg(n - 1);  // the name of MAS-1 only
    EXPECT_EQ(Elegir(uno).plan, Plan::Bloques);
    EXPECT_EQ(Buscar(uno.toUtf8().constData()), QStringList{QStringLiteral("MAS-1")});

    // Renamed to come before them, or added before every other name, since the blocks were
    // cut: the list still starts early enough to hold them.
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "update INVENTARIO set NOMBRE = 'MASIVO 0 BIS' where COD_BARRAS = '7441001000011'"));
    e = Elegir(QStringLiteral("MASIVO"));
    EXPECT_EQ(e.plan, Plan::PorNombre);
    ASSERT_TRUE(e.desde.has_value());
    EXPECT_LT(*e.desde, QStringLiteral("MASIVO 0 BIS"));
    base = Codigos(QStringLiteral("MASIVO"), kCompra, false, Plan::Recorrido);
    ASSERT_EQ(base.size(), n + 1);
    EXPECT_EQ(base.front(), QStringLiteral("7441001000011"));
    EXPECT_EQ(Codigos(QStringLiteral("MASIVO"), kCompra, false, e), base);

    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, NOMBRE, COMPUESTO) values ('MAS-A', '0 MASIVO PRIMERO', 'N')"));
    e = Elegir(QStringLiteral("MASIVO"));
    EXPECT_EQ(e.plan, Plan::PorNombre);
    EXPECT_FALSE(e.desde.has_value());  // block 0 holds it: from the start
    base = Codigos(QStringLiteral("MASIVO"), kCompra, false, Plan::Recorrido);
    ASSERT_EQ(base.size(), n + 2);
    EXPECT_EQ(base.front(), QStringLiteral("MAS-A"));
    EXPECT_EQ(Codigos(QStringLiteral("MASIVO"), kCompra, false, e), base);
}

// Key after key, a longer text is only looked for in the blocks of a shorter one: the blocks
// are the same as when looked for everywhere, also for an article added meanwhile and after
// the blocks are cut again.
TEST_F(BusquedaRapida, LaMemoriaDeLasTeclasDaLosMismosBloques)
{
    db::RunScript(env.inventario, QStringLiteral(
        "set term ^ ;\n"
        "execute block as declare i integer = 0; begin\n"
        "  while (i < 120) do begin\n"
        "    insert into INVENTARIO (COD_BARRAS, NOMBRE, COMPUESTO) values ('TEC-' || :i, 'TECLA ' || :i, 'N');\n"
        "    i = i + 1;\n"
        "  end\n"
        "end^\n"
        "set term ; ^\n"
        "commit;\n"
        "execute procedure INV_REHACER_BUSQUEDA(1);\n"
        "commit;\n"));
    BusquedaArticulos::Memoria memoria;
    for (const char *texto : {"T", "TE", "TECLA", "TECLA 1", "TECLA 11", "TECLA 110", "TECLA 11", "TECLA 1", "ECLA 1",
                              "TECLA 1%0", "NADA", "NADA MAS"}) {
        const QString t = QString::fromUtf8(texto);
        const BusquedaArticulos::Eleccion recordando = Elegir(t, &memoria), sin = Elegir(t);
        EXPECT_EQ(recordando.plan, sin.plan) << texto;
        EXPECT_EQ(recordando.bloques, sin.bloques) << texto;
    }
    EXPECT_EQ(Elegir(QStringLiteral("TECLA 110"), &memoria).bloques.size(), 1u);

    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, NOMBRE, COMPUESTO) values ('TEC-N', 'TECLA 1105', 'N')"));
    const BusquedaArticulos::Eleccion e = Elegir(QStringLiteral("TECLA 110"), &memoria);
    EXPECT_EQ(e.bloques, Elegir(QStringLiteral("TECLA 110")).bloques);
    EXPECT_EQ(Codigos(QStringLiteral("TECLA 110"), kPedido, false, e),
              (QStringList{QStringLiteral("TEC-110"), QStringLiteral("TEC-N")}));

    db::RunScript(env.inventario, QStringLiteral("execute procedure INV_REHACER_BUSQUEDA(1);\ncommit;\n"));
    for (const char *texto : {"TECLA 1105", "TECLA 11", "TECLA 110"})
        EXPECT_EQ(Elegir(QString::fromUtf8(texto), &memoria).bloques, Elegir(QString::fromUtf8(texto)).bloques) << texto;
}

TEST_F(BusquedaRapida, LosTextosSiguenAlArticuloAlAgregarCambiarYBorrar)
{
    const int articulos = Cuenta(QStringLiteral("select count(*) from INVENTARIO"));
    EXPECT_EQ(Cuenta(QStringLiteral("select count(*) from INV_BUSQUEDA")), articulos);
    const auto buscar = [&](const char *texto) {
        EXPECT_EQ(Elegir(QString::fromUtf8(texto)).plan, Plan::Bloques) << texto;
        return Buscar(texto);
    };
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, CODIGO2, NOMBRE) values ('NUEVO-1', 'ZX-900', 'JABON DE AVENA')"));
    EXPECT_EQ(buscar("ZX-90"), QStringList{QStringLiteral("NUEVO-1")});
    EXPECT_EQ(buscar("DE AVE"), QStringList{QStringLiteral("NUEVO-1")});

    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "update INVENTARIO set NOMBRE = 'JABON DE COCO', CODIGO2 = null, CODIGO3 = 'Q-1' where COD_BARRAS = 'NUEVO-1'"));
    EXPECT_TRUE(buscar("AVENA").isEmpty());
    EXPECT_TRUE(buscar("ZX-90").isEmpty());
    EXPECT_EQ(buscar("DE COCO"), QStringList{QStringLiteral("NUEVO-1")});
    EXPECT_EQ(buscar("Q-1"), QStringList{QStringLiteral("NUEVO-1")});

    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update INVENTARIO set COD_BARRAS = 'NUEVO-2' where COD_BARRAS = 'NUEVO-1'"));
    EXPECT_EQ(buscar("DE COCO"), QStringList{QStringLiteral("NUEVO-2")});
    EXPECT_EQ(buscar("NUEVO-"), QStringList{QStringLiteral("NUEVO-2")});
    // Stock and prices change all day: the search text stays as it was.
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update INVENTARIO set STOCK = 7 where COD_BARRAS = 'NUEVO-2'"));
    EXPECT_EQ(Cuenta(QStringLiteral("select count(*) from INV_BUSQUEDA where ARTICULO = 'NUEVO-2'")), 1);

    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("delete from INVENTARIO where COD_BARRAS = 'NUEVO-2'"));
    EXPECT_TRUE(buscar("DE COCO").isEmpty());
    EXPECT_EQ(Cuenta(QStringLiteral("select count(*) from INV_BUSQUEDA")), articulos);
}

TEST_F(BusquedaRapida, UnaBaseSinTextosBuscaIgualYLaActualizacionLosCrea)
{
    BorrarBusqueda();
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, NOMBRE) values ('VIEJO-1', 'ARTICULO DE UNA BASE VIEJA')"));
    EXPECT_EQ(Elegir(QStringLiteral("VIEJA")).plan, Plan::Recorrido);
    BusquedaArticulos::Filtrar(inv, QStringLiteral("VIEJA"), kPedido);
    EXPECT_EQ(Columna(), QStringList{QStringLiteral("VIEJO-1")});
    inv.close();

    db::Database base;
    base.open({env.RutaBase(QStringLiteral("inventario")), QStringLiteral("SYSDBA"), {}, {}, QStringLiteral("UTF8")});
    EXPECT_EQ(ActualizarEsquema(base, QStringLiteral("inventario")).size(), 1);
    EXPECT_TRUE(ActualizarEsquema(base, QStringLiteral("inventario")).isEmpty());
    base.close();

    EXPECT_EQ(Cuenta(QStringLiteral("select count(*) from INV_BUSQUEDA")),
              Cuenta(QStringLiteral("select count(*) from INVENTARIO")));
    EXPECT_EQ(Elegir(QStringLiteral("VIEJA")).plan, Plan::Bloques);
    EXPECT_EQ(Elegir(QStringLiteral("VIEJA")).bloques.size(), 1u);
    BusquedaArticulos::Filtrar(inv, QStringLiteral("VIEJA"), kPedido);
    EXPECT_EQ(Columna(), QStringList{QStringLiteral("VIEJO-1")});
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update INVENTARIO set NOMBRE = 'RENOMBRADO' where COD_BARRAS = 'VIEJO-1'"));
    EXPECT_EQ(Buscar("RENOMBRADO"), QStringList{QStringLiteral("VIEJO-1")});
    EXPECT_TRUE(Buscar("VIEJA").isEmpty());  // its old text may stay in its block
}

// A database whose blocks were dealt round-robin gets the blocks by name; texts added in bulk
// since the blocks were cut are folded into them.
TEST_F(BusquedaRapida, LaActualizacionRehaceLosBloquesAnterioresYLosAgregadosEnMasa)
{
    BorrarBusqueda();
    // Another program (the one that runs the update) built the old layout.
    db::Database base;
    base.open({env.RutaBase(QStringLiteral("inventario")), QStringLiteral("SYSDBA"), {}, {}, QStringLiteral("UTF8")});
    db::RunScript(base, QStringLiteral(
        "create sequence GEN_INV_BUSQUEDA;\n"
        "create table INV_BUSQUEDA (ARTICULO varchar(30) not null primary key, BLOQUE integer, TEXTO varchar(300));\n"
        "create table INV_BUSQUEDA_BLOQUES (BLOQUE integer not null primary key, TEXTO varchar(32000) character set octets);\n"
        "commit;\n"
        "set term ^ ;\n"
        "create function INV_TEXTO_BUSQUEDA (N varchar(200)) returns varchar(300) as begin return N; end^\n"
        "create procedure INV_REHACER_BLOQUE (B integer) as begin delete from INV_BUSQUEDA_BLOQUES where BLOQUE = :B; end^\n"
        "create procedure INV_REHACER_BUSQUEDA as begin execute procedure INV_REHACER_BLOQUE(0); end^\n"
        "create trigger INVENTARIO_BUSQUEDA_AU for INVENTARIO after update position 10 as begin\n"
        "  if (new.NOMBRE <> old.NOMBRE) then execute procedure INV_REHACER_BLOQUE(INV_TEXTO_BUSQUEDA(new.NOMBRE)); end^\n"
        "set term ; ^\n"
        "commit;\n"));
    ASSERT_EQ(ActualizarEsquema(base, QStringLiteral("inventario")).size(), 1);
    EXPECT_EQ(Cuenta(QStringLiteral("select count(*) from INV_BUSQUEDA")),
              Cuenta(QStringLiteral("select count(*) from INVENTARIO")));
    EXPECT_EQ(Cuenta(QStringLiteral("select count(*) from RDB$GENERATORS where RDB$GENERATOR_NAME = 'GEN_INV_BUSQUEDA'")), 0);
    EXPECT_EQ(Buscar("1311309"), QStringList{QStringLiteral("7501031311309")});

    // A long name in letters of two bytes fits the texts and is found.
    const QString largo(150, QChar(u'Ñ'));
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, CODIGO2, CODIGO3, NOMBRE) values "
        "('ENE-1', 'CODIGO-DOS-DE-TREINTA-LETRAS-', 'CODIGO-TRES-DE-TREINTA-LETRAS', '%1')").arg(largo));
    EXPECT_EQ(Buscar("ÑÑÑÑ"), QStringList{QStringLiteral("ENE-1")});
    EXPECT_TRUE(ActualizarEsquema(base, QStringLiteral("inventario")).isEmpty());

    db::RunScript(env.inventario, QStringLiteral(
        "set term ^ ;\n"
        "execute block as declare i integer = 0; begin\n"
        "  while (i < 1001) do begin insert into INV_BUSQUEDA_AGREGADOS (BLOQUE, TEXTO) values (0, 'X'); i = i + 1; end\n"
        "end^\n"
        "set term ; ^\n"
        "commit;\n"));
    EXPECT_EQ(ActualizarEsquema(base, QStringLiteral("inventario")).size(), 1);
    EXPECT_EQ(Cuenta(QStringLiteral("select count(*) from INV_BUSQUEDA_AGREGADOS")), 0);
    EXPECT_EQ(Buscar("ÑÑÑÑ"), QStringList{QStringLiteral("ENE-1")});
    EXPECT_TRUE(ActualizarEsquema(base, QStringLiteral("inventario")).isEmpty());
    base.close();
}

// A slow search that ends after a newer text was typed never replaces the newer list; the
// worker sees the articles as they are changed.
TEST_F(BusquedaRapida, EnSegundoPlanoSoloSeMuestraLaListaDelTextoMasNuevo)
{
    BuscadorArticulos b(env.inventario.params());
    std::promise<void> soltar;
    std::shared_future<void> suelta = soltar.get_future().share();
    std::atomic<bool> retenida{false};
    b.AlLeer = [&](const QString &texto) {
        if (texto == QLatin1String("CREMA")) {
            retenida = true;
            suelta.wait();
        }
    };
    QSignalSpy listas(&b, &BuscadorArticulos::listaNueva);
    EXPECT_FALSE(b.Ocupado());
    b.Buscar(QStringLiteral("CREMA"), kPedido, false);
    EXPECT_TRUE(b.Ocupado());
    for (int i = 0; i < 500 && !retenida; ++i)
        QThread::msleep(10);
    ASSERT_TRUE(retenida);  // CREMA's list is read and waits to be handed back
    b.Buscar(QStringLiteral("CREMA DENTAL"), kPedido, false);
    soltar.set_value();
    ASSERT_TRUE(b.Esperar(10000));
    QCoreApplication::processEvents();
    ASSERT_EQ(listas.count(), 1);
    EXPECT_EQ(b.TextoMostrado(), QStringLiteral("CREMA DENTAL"));
    EXPECT_EQ(Columna(*b.Lista()), QStringList{QStringLiteral("7501031311309")});
    EXPECT_FALSE(b.Ocupado());

    // Articles added, renamed and removed by others.
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, CODIGO3, NOMBRE) values ('HILO-1', 'HX-5', 'CREMA DENTAL DE VIAJE')"));
    EXPECT_EQ(EnSegundoPlano(b, QStringLiteral("CREMA DENTAL")),
              (QStringList{QStringLiteral("7501031311309"), QStringLiteral("HILO-1")}));
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "update INVENTARIO set NOMBRE = 'HILO DENTAL', CODIGO3 = null where COD_BARRAS = 'HILO-1'"));
    EXPECT_EQ(EnSegundoPlano(b, QStringLiteral("HX-5")), QStringList{});
    EXPECT_EQ(EnSegundoPlano(b, QStringLiteral("HILO D")), QStringList{QStringLiteral("HILO-1")});
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("delete from INVENTARIO where COD_BARRAS = 'HILO-1'"));
    EXPECT_EQ(EnSegundoPlano(b, QStringLiteral("HILO D")), QStringList{});
    // An empty list for "HILO D" does not hide a longer text's article added since.
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, NOMBRE) values ('HILO-2', 'HILO DE SEDA')"));
    EXPECT_EQ(EnSegundoPlano(b, QStringLiteral("HILO DE")), QStringList{QStringLiteral("HILO-2")});

    // Stopped: nothing more is read or shown, the last list stays readable.
    b.Detener();
    EXPECT_FALSE(b.Buscar(QStringLiteral("CREMA"), kPedido, false));
    EXPECT_FALSE(b.Ocupado());
    EXPECT_EQ(b.TextoMostrado(), QStringLiteral("HILO DE"));
}

// Closing while a search reads: the worker and its attachments end with the search.
TEST_F(BusquedaRapida, DetenerConUnaBusquedaEnCursoNoDejaConexiones)
{
    const QString conexiones = QStringLiteral("select count(*) from MON$ATTACHMENTS where MON$SYSTEM_FLAG = 0");
    const int antes = Cuenta(conexiones);
    std::atomic<bool> leyendo{false};
    {
        BuscadorArticulos b(env.inventario.params());
        b.Buscar(QStringLiteral("CREMA D"), kPedido, false);
        ASSERT_TRUE(b.Esperar(10000));
        EXPECT_GT(Cuenta(conexiones), antes);
        b.AntesDeLeer = [&](const QString &) {
            leyendo = true;
            QThread::msleep(300);
        };
        b.Buscar(QStringLiteral("CREMA"), kPedido, false);
        for (int i = 0; i < 500 && !leyendo; ++i)
            QThread::msleep(10);
        ASSERT_TRUE(leyendo);
        QSignalSpy listas(&b, &BuscadorArticulos::listaNueva);
        b.Detener();
        QCoreApplication::processEvents();
        EXPECT_EQ(listas.count(), 0);
        EXPECT_EQ(b.TextoMostrado(), QStringLiteral("CREMA D"));
    }
    EXPECT_EQ(Cuenta(conexiones), antes);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);  // lists are handed back through its event loop
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
