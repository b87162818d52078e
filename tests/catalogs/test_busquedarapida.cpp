// The article search's ways of reading the list give the same rows; the search texts follow
// the articles; an older inventory database gets them from the schema update.

#include "catalogs/BusquedaArticulos.h"
#include "data/CreacionBases.h"
#include "platform/db/ScriptRunner.h"
#include "support/EntornoPrueba.h"

#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>

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
        return Codigos(texto, origen, ocultar, BusquedaArticulos::Eleccion{plan, {}});
    }
    // Through the plan the search would choose.
    QStringList Buscar(const char *texto)
    {
        const QString t = QString::fromUtf8(texto);
        return Codigos(t, kPedido, false, Elegir(t));
    }
    QStringList Columna()
    {
        QStringList r;
        inv.fetchAll();
        const int c = inv.fieldIndex(QStringLiteral("COD_BARRAS"));
        for (int i = 0; i < inv.fetchedCount(); ++i)
            r << inv.valueAtRow(i, c).asString();
        return r;
    }
    BusquedaArticulos::Eleccion Elegir(const QString &texto)
    {
        return BusquedaArticulos::ElegirPlan(env.inventario, env.transLecturaInv, texto);
    }
    int Cuenta(const QString &sql) { return EntornoPrueba::Entero(env.inventario, sql); }
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
        "commit;\n").arg(n));
    const BusquedaArticulos::Eleccion e = Elegir(QStringLiteral("MASIVO"));
    EXPECT_EQ(e.plan, Plan::PorNombre);
    EXPECT_TRUE(e.bloques.empty());
    const QStringList base = Codigos(QStringLiteral("MASIVO"), kCompra, false, Plan::Recorrido);
    EXPECT_EQ(base.size(), n);
    EXPECT_EQ(Codigos(QStringLiteral("MASIVO"), kCompra, false, e), base);
    const QString uno = QStringLiteral("MASIVO %1").arg(n - 1);  // the name of MAS-1 only
    EXPECT_EQ(Elegir(uno).plan, Plan::Bloques);
    EXPECT_EQ(Buscar(uno.toUtf8().constData()), QStringList{QStringLiteral("MAS-1")});
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
    for (const char *sql : {"drop trigger INVENTARIO_BUSQUEDA_AI", "drop trigger INVENTARIO_BUSQUEDA_AU",
                            "drop trigger INVENTARIO_BUSQUEDA_AD", "drop procedure INV_REHACER_BUSQUEDA",
                            "drop procedure INV_REHACER_BLOQUE", "drop function INV_TEXTO_BUSQUEDA",
                            "drop table INV_BUSQUEDA_BLOQUES", "drop table INV_BUSQUEDA", "drop sequence GEN_INV_BUSQUEDA"})
        EntornoPrueba::Ejecutar(env.inventario, QString::fromLatin1(sql));
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
    EXPECT_TRUE(Elegir(QStringLiteral("VIEJA")).bloques.empty());  // its block rebuilt
}

} // namespace
