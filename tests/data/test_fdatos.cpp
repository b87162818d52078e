#include "support/EntornoPrueba.h"
#include "platform/Formato.h"
#include "platform/db/Query.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
Currency C(const char *s) { return Currency::fromString(std::string(s)); }

void fijarConfig(EntornoPrueba &env, const QString &asignacion)
{
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update CONFIGURACION set %1 where ID = 1").arg(asignacion));
    env.estacion->config.refresh();
}
} // namespace

TEST(DatosComp, RedondearFollowsTheStoreSettingAtEveryCall)
{
    EntornoPrueba env;
    struct Caso { int unidad; const char *valor; int dec; const char *esperado; } casos[] = {
        {5, "12.26", 1, "12.25"}, {5, "12.24", 1, "12.25"}, {5, "12.2", 1, "12.2"},
        {5, "127.49", -1, "125"}, {5, "127.5", -1, "130"},  {0, "2.5", 0, "2"},
        {0, "3.5", 0, "4"},       {0, "1234.5678", -2, "1200"}, {1, "0.125", 2, "0.12"},
    };
    for (const Caso &c : casos) {
        fijarConfig(env, QStringLiteral("UNIDAD_REDONDEO = %1").arg(c.unidad));
        EXPECT_EQ(env.datos->Redondear(C(c.valor), c.dec), C(c.esperado)) << c.valor << " at " << c.dec;
    }
}

TEST(DatosComp, QuantityPictureAndExchangeRates)
{
    EntornoPrueba env;
    fijarConfig(env, "DECIMALES_CANTIDADES = 0");
    EXPECT_EQ(FormatFloat(env.datos->FormatearCantidad(), 1234.4), "1,234");
    fijarConfig(env, "DECIMALES_CANTIDADES = 3");
    EXPECT_EQ(FormatFloat(env.datos->FormatearCantidad(), 1234.4), "1,234.400");

    EntornoPrueba::Ejecutar(env.tienda, "update TIPOS_CAMBIO set CAMBIO = 531.25, CAMBIO2 = 1 where ID = 1");
    env.estacion->cambio.refresh();
    EXPECT_EQ(env.datos->TipoCambio, Currency());  // loaded only on demand
    env.datos->CargarTipoCambio();
    EXPECT_EQ(env.datos->TipoCambio, C("531.25"));
    EXPECT_EQ(env.datos->TipoCambio2, C("1"));
}

TEST(DatosComp, AnnulledInvoiceAddsNothingToReportTotals)
{
    EntornoPrueba env;
    db::Dataset &rep = *env.datos->TFacCompraReporte;
    rep.close();
    rep.setSelectSql("select * from FACTURAS_COMPRA order by ID_COMPRA");
    rep.open();
    int anuladas = 0, vigentes = 0;
    for (rep.first(); !rep.eof(); rep.next()) {
        const Currency total = rep.fieldByName("IMPORTE_TOTAL").asCurrency();
        EXPECT_EQ(rep.fieldByName("ImporteTotal").asCurrency(), total - rep.fieldByName("IMPORTE_NC").asCurrency());
        if (rep.fieldByName("ANULADA").asString() == "N") {
            ++vigentes;
            EXPECT_EQ(rep.fieldByName("aST").asCurrency(), total);
            EXPECT_EQ(rep.fieldByName("aIV").asCurrency(), rep.fieldByName("IMPORTE_IV").asCurrency());
        } else {
            ++anuladas;
            for (const char *a : {"aSTG", "aSTNG", "aDesc", "aTG", "aTNG", "aIV", "aST", "aNC"})
                EXPECT_EQ(rep.fieldByName(a).asCurrency(), Currency()) << a;
            EXPECT_NE(rep.fieldByName("ImporteTotal").asCurrency(), Currency());
        }
    }
    EXPECT_GT(anuladas, 0) << "the demo data needs an annulled invoice";
    EXPECT_GT(vigentes, 0);
}

TEST(DatosComp, PostHooksCommitUnlessAGlobalPostingHoldsTheTransaction)
{
    EntornoPrueba env;
    db::Dataset &fac = *env.datos->TFacturasCompra;
    fac.close();
    fac.setSelectSql("select * from FACTURAS_COMPRA where ANULADA = 'N' order by ID_COMPRA");
    fac.open();
    ASSERT_FALSE(fac.isEmpty());
    const int id = fac.fieldByName("ID_COMPRA").asInteger();
    auto otro = env.AbrirConexion();
    auto leer = [&] {
        db::Transaction t(otro->tienda, db::TransactionKind::Read);
        db::Query q(&otro->tienda, &t);
        q.setSql("select NOMBRE from FACTURAS_COMPRA where ID_COMPRA = :i");
        q.paramByName("i").setAsInteger(id);
        q.execQuery();
        return q.field(0).asString();
    };

    env.datos->TransaccionGlobal = true;
    fac.edit();
    fac.fieldByName("NOMBRE").setAsString("PROVEEDOR EN CURSO");
    fac.post();
    EXPECT_TRUE(env.transUpdate.active());
    EXPECT_NE(leer(), "PROVEEDOR EN CURSO");
    env.transUpdate.rollback();
    env.datos->TransaccionGlobal = false;

    fac.refresh();
    fac.edit();
    fac.fieldByName("NOMBRE").setAsString("PROVEEDOR CONFIRMADO");
    fac.post();
    EXPECT_FALSE(env.transUpdate.active());
    EXPECT_EQ(leer(), "PROVEEDOR CONFIRMADO");
}

TEST(DatosComp, SharedQueriesCommitAccordingToTheirHooks)
{
    EntornoPrueba env;
    env.datos->Query_Update.setSql("update CONFIGURACION set NRO_TIENDA = 7 where ID = 1");
    env.datos->Query_Update.execQuery();
    EXPECT_FALSE(env.transUpdate.active());  // auto-commit
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select NRO_TIENDA from CONFIGURACION"), 7);

    env.datos->TransaccionV.setSql("update CONFIGURACION set NRO_TIENDA = 8 where ID = 1");
    env.datos->TransaccionV.execQuery();
    EXPECT_TRUE(env.transUpdate.active());   // caller commits
    env.transUpdate.rollback();
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select NRO_TIENDA from CONFIGURACION"), 7);

    env.datos->TransaccionGlobal = true;
    env.datos->QueryG_Inv.setSql("update PROVEEDORES set CIUDAD = 'X' where COD_PROVEEDOR = 12");
    env.datos->QueryG_Inv.execQuery();
    EXPECT_TRUE(env.transUpdateInv.active());
    env.transUpdateInv.rollback();
    env.datos->TransaccionGlobal = false;
}

TEST(DatosComp, ConsignmentWithOnlyZeroQuantityLinesCountsAsReturned)
{
    EntornoPrueba env;
    EntornoPrueba::Ejecutar(env.tienda,
                            "insert into CONSIGNACIONES (ID_CONSIGNACION, FECHA, COMPROBANTE, CODIGO_PROVEEDOR) "
                            "values (9001, current_date, 'C-9001', 12)");
    EntornoPrueba::Ejecutar(env.tienda,
                            "insert into DETALLE_CONSIGNACION (ID_CONSIGNACION, CODIGO_ARTICULO, CANTIDAD, PROCESADOS) "
                            "values (9001, '7501031311309', 0, 0)");
    EXPECT_TRUE(VerificarConsignacionDevuelta(9001));
    EntornoPrueba::Ejecutar(env.tienda,
                            "insert into DETALLE_CONSIGNACION (ID_CONSIGNACION, CODIGO_ARTICULO, CANTIDAD, PROCESADOS) "
                            "values (9001, '7501031311309', 3, 1)");
    EXPECT_FALSE(VerificarConsignacionDevuelta(9001));
}

TEST(DatosComp, DistributorFlagComesFromDatosIni)
{
    EntornoPrueba env;
    EXPECT_EQ(env.datos->SisDistribuidora, "N");
    QFile ini(env.carpeta.file("datos.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Functions]\nSisDistribuidora=N\n[Varios]\nsisdistribuidora=S\n");
    ini.close();
    TFDatosComp otro;
    EXPECT_EQ(otro.SisDistribuidora, "S");
}
