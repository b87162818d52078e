// The write layer of the purchase entry: the work tables of one station and the articles the
// entry creates, against a real store and inventory database.
#include "records/ArticulosCompra.h"
#include "records/ConexionesCompra.h"
#include "records/TablasTrabajoCompra.h"

#include "support/EntornoPrueba.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <gtest/gtest.h>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const Currency &c, std::ostream *os) { *os << c.toString(); }

namespace {

Currency M(const char *texto) { return Currency::fromString(std::string(texto)); }

class TablasTrabajo : public ::testing::Test {
protected:
    EntornoPrueba env;
    ConexionesCompra conexiones = ConexionesDeDatosComp(*env.datos);
    ConsultasCompra consultas{conexiones};
    const EstacionCompra estacion{1, QStringLiteral("PRUEBA")};

    void Confirmar()
    {
        for (db::Transaction *t : {conexiones.transTienda, conexiones.transInventario})
            if (t->active())
                t->commit();
    }
    int T(const QString &sql) { return EntornoPrueba::Entero(env.tienda, sql); }
    QString TT(const QString &sql) { return EntornoPrueba::Texto(env.tienda, sql); }

    FilaTrabajoCompra Fila(const char *codigo, const char *cantidad, const char *costo)
    {
        FilaTrabajoCompra f;
        f.codBarras = QString::fromLatin1(codigo);
        f.nombre = QStringLiteral("ARTICULO");
        f.cantidad = M(cantidad);
        f.imporeCosto = f.impUnitSinIv = M(costo);
        f.gravado = QStringLiteral("S");
        f.ivi = f.fraccionado = f.tieneSerie = QStringLiteral("N");
        f.porceDesc = Currency(5);
        f.importeDescuento = Currency(99);
        f.numeroLinea = 4;
        return f;
    }
    // Three stations, each with a header and a line.
    void Sembrar()
    {
        for (const EstacionCompra &e : {estacion, EstacionCompra{2, QStringLiteral("PRUEBA")},
                                        EstacionCompra{1, QStringLiteral("OTRA")}}) {
            GuardarEncabezadoTrabajo(consultas, e, {QDate(2024, 5, 1), QStringLiteral("F-1"), 12, Currency(), 1});
            InsertarLineaTrabajo(consultas, e, Fila("A", "2", "10"));
        }
        Confirmar();
    }
    Currency TM(const QString &sql) { return EntornoPrueba::Moneda(env.tienda, sql); }
    // Rows of the other stations.
    QString Ajenas()
    {
        const QString otras = QStringLiteral(" from %1 where not (NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA') order by 1");
        db::Transaction t(env.tienda, db::TransactionKind::Read);
        db::Query q(&env.tienda, &t);
        q.setSql(QStringLiteral("select ID_TEMP_COMPRA, NRO_CAJA, COMPUTADORA, CANTIDAD, PORCE_DESC, IMPORTE_DESCUENTO")
                 + otras.arg(QStringLiteral("TEMPORAL_COMPRAS")));
        q.execQuery();
        QString out = EntornoPrueba::Filas(q);
        q.setSql(QStringLiteral("select NRO_CAJA, COMPUTADORA, COMPROBANTE") + otras.arg(QStringLiteral("TEMPORAL_ENC_COMPRA")));
        q.execQuery();
        out += EntornoPrueba::Filas(q);
        t.commit();
        return out;
    }
};

TEST_F(TablasTrabajo, EliminaSoloLoDeLaEstacionSegunElModo)
{
    Sembrar();
    const QString ajenas = Ajenas();
    const QString propias = QStringLiteral("select count(*) from %1 where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'");
    EliminaTempCompras(consultas, 7, estacion);  // no such mode
    EliminaTempCompras(consultas, 2, estacion);
    Confirmar();
    EXPECT_EQ(T(propias.arg(QStringLiteral("TEMPORAL_ENC_COMPRA"))), 0);
    EXPECT_EQ(T(propias.arg(QStringLiteral("TEMPORAL_COMPRAS"))), 1);
    EliminaTempCompras(consultas, 1, estacion);
    EliminaTempCompras(consultas, 1, estacion);  // nothing left: no failure
    Confirmar();
    EXPECT_EQ(T(propias.arg(QStringLiteral("TEMPORAL_COMPRAS"))), 0);
    EXPECT_EQ(Ajenas(), ajenas);
}

TEST_F(TablasTrabajo, LineasDeLaEstacion)
{
    Sembrar();
    const QString ajenas = Ajenas();
    FilaTrabajoCompra f = Fila("B", "3", "10");
    const int id = InsertarLineaTrabajo(consultas, estacion, f);
    Confirmar();
    ASSERT_GT(id, 0);
    const QString deLaLinea = QStringLiteral(" from TEMPORAL_COMPRAS where ID_TEMP_COMPRA = %1").arg(id);
    EXPECT_EQ(TT(QStringLiteral("select COD_BARRAS || '|' || TIPO_FRACCION || '|' || coalesce(COD_FAMILIA, 'nulo') || '|' "
                                "|| NUMERO_LINEA || '|' || NRO_CAJA || COMPUTADORA") + deLaLinea),
              QStringLiteral("B|-1|nulo|4|1PRUEBA"));
    EXPECT_EQ(TM(QStringLiteral("select CANTIDAD") + deLaLinea), Currency(3));
    EXPECT_EQ(TM(QStringLiteral("select IMPORE_COSTO") + deLaLinea), Currency(10));

    // Global discount: every line of the station, the amount computed by the statement.
    ActualizaTempCompras(consultas, estacion, Currency(10));
    Confirmar();
    EXPECT_EQ(TM(QStringLiteral("select IMPORTE_DESCUENTO") + deLaLinea), Currency(3));
    EXPECT_EQ(TM(QStringLiteral("select PORCE_DESC") + deLaLinea), Currency(10));
    ActualizaTempCompras(consultas, estacion, Currency());
    Confirmar();
    EXPECT_EQ(T(QStringLiteral("select count(*) from TEMPORAL_COMPRAS where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA' "
                               "and (PORCE_DESC <> 0 or IMPORTE_DESCUENTO <> 0)")),
              0);

    f.cantidad = Currency(7);
    EXPECT_TRUE(ActualizarLineaTrabajo(consultas, estacion, id, f));
    ActualizarImportesTrabajo(consultas, estacion, id, {Currency(1), Currency(2), Currency(3), Currency(4), Currency(5), Currency(6)});
    Confirmar();
    EXPECT_EQ(TM(QStringLiteral("select CANTIDAD") + deLaLinea), Currency(7));
    EXPECT_EQ(TM(QStringLiteral("select IMPORTE_DESCUENTO") + deLaLinea), Currency(1));
    EXPECT_EQ(TM(QStringLiteral("select SUBTOTAL_GRAVADO") + deLaLinea), Currency(2));
    EXPECT_EQ(TM(QStringLiteral("select TOTAL_NO_GRAVADO") + deLaLinea), Currency(5));
    EXPECT_EQ(TM(QStringLiteral("select IMPORTE_TOLAL_IV") + deLaLinea), Currency(6));

    // Another station's line is neither changed nor deleted.
    const int ajena = T(QStringLiteral("select min(ID_TEMP_COMPRA) from TEMPORAL_COMPRAS where COMPUTADORA = 'OTRA'"));
    EXPECT_FALSE(ActualizarLineaTrabajo(consultas, estacion, ajena, f));
    EXPECT_FALSE(EliminarLineaTrabajo(consultas, estacion, ajena));
    EXPECT_TRUE(EliminarLineaTrabajo(consultas, estacion, id));
    Confirmar();
    EXPECT_EQ(Ajenas(), ajenas);
}

TEST_F(TablasTrabajo, EncabezadoUnaFilaPorEstacion)
{
    GuardarEncabezadoTrabajo(consultas, estacion, {QDate(2024, 5, 1), QStringLiteral("F-1"), 12, Currency(10), 2});
    GuardarEncabezadoTrabajo(consultas, estacion, {QDate(), QStringLiteral("F-2"), 3, Currency(), 1});
    Confirmar();
    EXPECT_EQ(TT(QStringLiteral("select count(*) || '|' || max(COMPROBANTE) || '|' || max(CODIGO_PROVEEDOR) || '|' || "
                                "max(TIPO) || '|' || trim(iif(max(FECHA) is null, 'nula', 'con fecha')) from TEMPORAL_ENC_COMPRA "
                                "where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'")),
              QStringLiteral("1|F-2|3|1|nula"));
}

TEST_F(TablasTrabajo, NuncaConfirmaYUnaFallaNombraLaTabla)
{
    InsertarLineaTrabajo(consultas, estacion, Fila("A", "1", "1"));
    conexiones.transTienda->rollback();
    EXPECT_EQ(T(QStringLiteral("select count(*) from TEMPORAL_COMPRAS where COMPUTADORA = 'PRUEBA'")), 0);

    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("create exception E_PRUEBA 'linea rechazada'"));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("create trigger T_PRUEBA for TEMPORAL_COMPRAS before insert as "
                                                       "begin if (new.NOMBRE = 'FALLA') then exception E_PRUEBA; end"));
    FilaTrabajoCompra f = Fila("A", "1", "1");
    f.nombre = QStringLiteral("FALLA");
    try {
        InsertarLineaTrabajo(consultas, estacion, f);
        ADD_FAILURE() << "no error";
    } catch (const ErrorCompras &e) {
        EXPECT_NE(dynamic_cast<const ErrorTablasTrabajo *>(&e), nullptr);
        EXPECT_TRUE(e.mensaje().startsWith(QStringLiteral("Error al insertar en TEMPORAL_COMPRAS: ")))
            << e.mensaje().toStdString();
        EXPECT_TRUE(e.mensaje().contains(QStringLiteral("linea rechazada"))) << e.mensaje().toStdString();
    }
}

TEST_F(TablasTrabajo, ArticuloNuevo)
{
    FilaArticuloNuevo a;
    a.codBarras = QStringLiteral("NUEVO-1");
    a.nombre = QStringLiteral("CREMA");
    a.alta = QDateTime(QDate(2024, 5, 1), QTime(9, 0));
    a.gravado = true;
    a.redondeaPrecioFinal = QStringLiteral("S");
    a.porcIv = Currency(13);
    a.niveles[1] = {1, Currency(30), Currency(2), Currency(5), -1};
    InsertarArticuloNuevo(consultas, a);
    Confirmar();
    const QString delArticulo = QStringLiteral(" from INVENTARIO where COD_BARRAS = 'NUEVO-1'");
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, QStringLiteral("select GRAVADO || IMPUESTO_INCLUIDO || COMPUESTO || "
                                                                   "ACTUALIZAR_EXIST || '|' || BASECALCULO_2 || '|' || "
                                                                   "REDONDEO_2 || '|' || BASECALCULO_1") + delArticulo),
              QStringLiteral("SNNS|1|-1|0"));
    EXPECT_EQ(EntornoPrueba::Moneda(env.inventario, QStringLiteral("select COEFA_2") + delArticulo), Currency(30));
    EXPECT_EQ(EntornoPrueba::Moneda(env.inventario, QStringLiteral("select SUMAFIJA_2") + delArticulo), Currency(5));
    EXPECT_EQ(EntornoPrueba::Moneda(env.inventario, QStringLiteral("select STOCK") + delArticulo), Currency());
    try {
        InsertarArticuloNuevo(consultas, a);  // the code exists
        ADD_FAILURE() << "no error";
    } catch (const ErrorArticulosCompra &e) {
        EXPECT_TRUE(e.mensaje().contains(QStringLiteral("NUEVO-1"))) << e.mensaje().toStdString();
        EXPECT_TRUE(e.mensaje().contains(QStringLiteral("INVENTARIO")));
    }
    conexiones.transInventario->rollback();
}

} // namespace


