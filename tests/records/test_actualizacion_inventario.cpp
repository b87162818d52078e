// Per-line stock, cost and price update of a purchase posting, against real databases.

#include "records/ActualizacionInventarioCompra.h"
#include "support/EntornoPrueba.h"
#include "records/CasosPrecioCompra.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const Currency &c, std::ostream *os) { *os << c.toString(); }

#include <atomic>
#include <thread>

namespace {

Currency C(const char *s) { return Currency::fromString(std::string(s)); }

class ActualizacionInventario : public ::testing::Test {
protected:
    EntornoPrueba env;

    static AjustesActualizacionCompra Ajustes(bool descuentoEnCosto = false, const char *tc2 = "1")
    {
        AjustesActualizacionCompra a;
        a.precios.descuentoEnPrecioCompra = descuentoEnCosto;
        a.tipoCambio = C("520");
        a.tipoCambio2 = C(tc2);
        a.nroCaja = 1;
        a.computadora = "PRUEBA";
        a.usuario = "ADMIN";
        return a;
    }
    std::unique_ptr<ActualizadorInventarioCompra> Nuevo(AjustesActualizacionCompra a = Ajustes())
    {
        return std::make_unique<ActualizadorInventarioCompra>(env.tienda, env.transUpdate, env.inventario,
                                                              env.transUpdateInv, std::move(a));
    }
    // Level 1 on the purchase price (+30 %), level 2 on level 1 (-10 %), level 3 manual,
    // level 4 on a base the card does not offer.
    void Articulo(const QString &cod, const char *stock, const char *costo, const char *gravado = "S",
                  const char *actualizaExist = "S", int base2 = 3)
    {
        EntornoPrueba::Ejecutar(env.inventario, CasoPrecioCompra::SqlArticulo(cod, stock, costo, gravado, actualizaExist, base2));
    }
    static FacturaCompraPosteo Factura(const QString &comprobante = "FC-1")
    {
        FacturaCompraPosteo f;
        f.idCompra = 4242;
        f.comprobante = comprobante;
        f.fecha = QDate(2024, 3, 4);
        f.codProveedor = 12;
        return f;
    }
    static LineaCompra Linea(const QString &cod, const char *q, const char *costo, const char *conIv, const char *sinIv,
                             const char *gravado = "S", const char *ivi = "N", const char *desc = "0")
    {
        LineaCompra l;
        l.codBarras = cod;
        l.nombre = "ARTICULO " + cod;
        l.codFamilia = "CUI-HIG";
        l.cantidad = C(q);
        l.imporeCosto = C(costo);
        l.impUnitConIv = C(conIv);
        l.impUnitSinIv = C(sinIv);
        l.precioVenta = C("7");
        l.porceDesc = C(desc);
        l.gravado = gravado;
        l.ivi = ivi;
        return l;
    }
    void Confirmar()
    {
        if (env.transUpdateInv.active())
            env.transUpdateInv.commit();
        if (env.transUpdate.active())
            env.transUpdate.commit();
    }
    void Deshacer()
    {
        if (env.transUpdateInv.active())
            env.transUpdateInv.rollback();
        if (env.transUpdate.active())
            env.transUpdate.rollback();
    }
    Currency Inv(const QString &campo, const QString &cod)
    {
        return EntornoPrueba::Moneda(env.inventario,
                                     QStringLiteral("select %1 from INVENTARIO where COD_BARRAS = '%2'").arg(campo, cod));
    }
    QString InvTexto(const QString &campos, const QString &cod)
    {
        return EntornoPrueba::Texto(env.inventario,
                                    QStringLiteral("select %1 from INVENTARIO where COD_BARRAS = '%2'").arg(campos, cod));
    }
    int Movimientos(const QString &comprobante)
    {
        return EntornoPrueba::Entero(
            env.tienda, QStringLiteral("select count(*) from MOVIMIENTOS_STOCK where COMPROBANTE = '%1'").arg(comprobante));
    }
};

TEST_F(ActualizacionInventario, MainInventoryLinesWriteStockCostAndPrices)
{
    using CasoPrecioCompra::Caso;
    const auto &casos = CasoPrecioCompra::kCasos;
    int n = 0;
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nombre);
        const QString cod = QStringLiteral("ART-%1").arg(++n);
        Articulo(cod, "10", "100");
        auto act = Nuevo(Ajustes(c.descuentoEnCosto, c.tc2));
        FacturaCompraPosteo f = Factura(QStringLiteral("FC-%1").arg(n));
        f.monedaCarga = c.moneda;
        ResultadoLineaCompra r;
        ASSERT_NO_THROW(act->ActualizarLinea(f, Linea(cod, "5", c.costo, c.conIv, c.sinIv, c.gravado, c.ivi, c.desc), &r));
        Confirmar();
        EXPECT_TRUE(r.articuloEncontrado);
        EXPECT_EQ(r.stockAnterior, C("10"));
        EXPECT_EQ(r.costoPromedioAnterior, C("100"));
        EXPECT_EQ(r.precioCompraAnterior, C("90"));

        CasoPrecioCompra::EsperarArticulo(c, [&](const char *campo) { return Inv(QLatin1String(campo), cod); });
        // Manual level and a level on an unknown base keep their stored prices.
        EXPECT_EQ(InvTexto("PREVEN_3 || '|' || PRECIOSINIV_3 || '|' || PRECIOCONIV_3 || '|' || PREVEN_4 || '|' || "
                           "PRECIOCONIV_4", cod),
                  "777.0000000000000|700.0000000000000|791.0000000000000|888.0000000000000|999.0000000000000");
        EXPECT_EQ(InvTexto("GRAVADO || IMPUESTO_INCLUIDO || '|' || FK_PROVEEDOR || '|' || FECHA_ULTIMACOMPRA || '|' || "
                           "COMPRA_MONEDA1 || '|' || COMPRA_MONEDA2", cod),
                  QStringLiteral("%1%2|12|2024-03-04|520.0000|1.0000").arg(c.gravado, c.ivIncluido));
        EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral(
                      "select TIPO_MOVIMIENTO || '|' || DESCRIPCION_MOV || '|' || CANTIDAD || '|' || FAMILIA || '|' || "
                      "CREATE_USERID || '|' || TIPO_CAMBIO || '|' || TIPO_CAMBIO_2 || '|' || ID_TRANSACCION || '|' || FECHA "
                      "from MOVIMIENTOS_STOCK where COD_BARRAS = '%1'").arg(cod)),
                  QStringLiteral("3|Factura de Compra Nro.  - FC-%1|5.000000000000000|CUI-HIG|ADMIN|520.00|1.00|4242|2024-03-04")
                      .arg(n));
    }
}

TEST_F(ActualizacionInventario, WarehouseLinesAddToTheirWarehouseOnly)
{
    Articulo("BOD-1", "10", "100");
    Articulo("BOD-N", "10", "100", "S", "N");
    EntornoPrueba::Ejecutar(env.inventario, "insert into EXISTENCIAS values ('BOD-1', '002', 6, 0, 0)");
    auto act = Nuevo();
    FacturaCompraPosteo f = Factura();
    f.inventarioPrincipal = false;
    f.codBodega = "001";
    ASSERT_NO_THROW(act->ActualizarLinea(f, Linea("BOD-1", "3", "130", "146.9", "130")));  // first purchase: new row
    ASSERT_NO_THROW(act->ActualizarLinea(f, Linea("BOD-1", "4", "130", "146.9", "130")));  // then added
    f.codBodega = "002";
    ASSERT_NO_THROW(act->ActualizarLinea(f, Linea("BOD-1", "2.5", "130", "146.9", "130")));
    ASSERT_NO_THROW(act->ActualizarLinea(f, Linea("BOD-N", "3", "100", "113", "100", "S", "S")));
    Confirmar();
    auto existencia = [&](const char *cod, const char *bodega) {
        return EntornoPrueba::Texto(env.inventario, QStringLiteral("select list(EXISTENCIA) from EXISTENCIAS where "
                                                                   "COD_ART = '%1' and COD_BODEGA = '%2'").arg(cod, bodega));
    };
    EXPECT_EQ(existencia("BOD-1", "001"), "7.000000000000000");
    EXPECT_EQ(existencia("BOD-1", "002"), "8.500000000000000");
    EXPECT_EQ(Inv("STOCK", "BOD-1"), C("10"));
    // (10 x 100 + 3 x 130) / 13, then the next lines on the new average.
    EXPECT_GT(Inv("COSTO_PROMEDIO", "BOD-1"), C("100"));
    // An article that keeps no stock: no warehouse row, no stock, the purchase price as average cost.
    EXPECT_EQ(existencia("BOD-N", "001") + existencia("BOD-N", "002"), "");
    EXPECT_EQ(Inv("STOCK", "BOD-N"), C("10"));
    EXPECT_EQ(Inv("PRECIO_COMPRA", "BOD-N"), C("113"));
    EXPECT_EQ(Inv("COSTO_PROMEDIO", "BOD-N"), C("113"));

    f.inventarioPrincipal = true;
    ASSERT_NO_THROW(act->ActualizarLinea(f, Linea("BOD-N", "3", "100", "113", "100")));
    Confirmar();
    EXPECT_EQ(Inv("STOCK", "BOD-N"), C("10"));
}

TEST_F(ActualizacionInventario, StockSumsOfZeroOrLessTakeTheNetCost)
{
    struct Caso { const char *stock, *q, *promedio; } casos[] = {
        {"-5", "5", "130"}, {"-10", "5", "130"}, {"0", "4", "130"}, {"0", "-2", "130"}, {"6", "2", "107.5"},
    };
    int n = 0;
    for (const Caso &c : casos) {
        const QString cod = QStringLiteral("SUM-%1").arg(++n);
        SCOPED_TRACE(cod.toStdString());
        Articulo(cod, c.stock, "100", "S", "S", 2);  // level 2 on the average cost
        ASSERT_NO_THROW(Nuevo()->ActualizarLinea(Factura(), Linea(cod, c.q, "130", "146.9", "130")));
        Confirmar();
        EXPECT_EQ(Inv("COSTO_PROMEDIO", cod), C(c.promedio));
        EXPECT_EQ(Inv("PREVEN_2", cod), C(c.promedio));
        EXPECT_EQ(Inv("STOCK", cod), C(c.stock) + C(c.q));
    }
}

TEST_F(ActualizacionInventario, ComponentCostReachesEveryComposition)
{
    // BOT-0001: 2 x 7441001000202 (450), 600, 900, 700, 350.
    EntornoPrueba::Ejecutar(env.inventario, "insert into INVENTARIO (COD_BARRAS, NOMBRE, PRECIO_COMPRA) values ('KIT-2', 'KIT', 1)");
    EntornoPrueba::Ejecutar(env.inventario, "insert into INVENTARIO (COD_BARRAS, NOMBRE, PRECIO_COMPRA) values ('KIT-3', 'KIT', 1)");
    EntornoPrueba::Ejecutar(env.inventario, "insert into COMPUESTO (COD_BARRAS, COD_ARTICULO, CANTIDAD, COSTO) values "
                                            "('KIT-2', '7441001000202', 3, 450)");
    EntornoPrueba::Ejecutar(env.inventario, "insert into COMPUESTO (COD_BARRAS, COD_ARTICULO, CANTIDAD, COSTO) values "
                                            "('KIT-2', '7441001000219', 1, 600)");
    EntornoPrueba::Ejecutar(env.inventario, "insert into COMPUESTO (COD_BARRAS, COD_ARTICULO, CANTIDAD, COSTO) values "
                                            "('KIT-3', '7441001000219', 1, 600)");
    ASSERT_NO_THROW(Nuevo()->ActualizarLinea(Factura(), Linea("7441001000202", "10", "500", "565", "500")));
    Confirmar();
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, "select list(distinct COSTO) from COMPUESTO where COD_ARTICULO = '7441001000202'"),
              "500.00");
    EXPECT_EQ(Inv("PRECIO_COMPRA", "BOT-0001"), C("3550"));
    EXPECT_EQ(Inv("PRECIO_COMPRA", "KIT-2"), C("2100"));
    EXPECT_EQ(Inv("PRECIO_COMPRA", "KIT-3"), C("1"));
}

TEST_F(ActualizacionInventario, MissingArticleIsSkippedAndFailuresStopTheUpdate)
{
    auto act = Nuevo();
    ResultadoLineaCompra r;
    r.articuloEncontrado = true;
    EXPECT_NO_THROW(act->ActualizarLinea(Factura(), Linea("NO-EXISTE", "1", "10", "10", "10"), &r));
    EXPECT_FALSE(r.articuloEncontrado);
    EXPECT_TRUE(env.mensajes.mostrados().empty());

    Articulo("OK-1", "1", "100");
    Articulo("OK-2", "1", "100");
    Articulo("OK-3", "1", "100");
    EntornoPrueba::Ejecutar(env.inventario, "create exception E_PRUEBA 'articulo bloqueado'");
    EntornoPrueba::Ejecutar(env.inventario, "create trigger T_PRUEBA for INVENTARIO before update as begin "
                                            "if (new.COD_BARRAS = 'OK-2' and new.STOCK <> old.STOCK) then exception E_PRUEBA; end");
    // Entered out of article order: the lines are locked and updated in article order.
    const std::vector<LineaCompra> lineas = {Linea("OK-3", "1", "100", "113", "100"), Linea("OK-2", "1", "100", "113", "100"),
                                             Linea("OK-1", "1", "100", "113", "100")};
    try {
        act->ActualizarLineas(Factura("FC-MAL"), lineas);
        ADD_FAILURE() << "no error";
    } catch (const ErrorRegistro &e) {
        // The update shows nothing: the notice is for the posting to show.
        EXPECT_EQ(e.mensaje(), "Error al actualizar INVENTARIO");
        EXPECT_TRUE(e.aviso().startsWith("Sucedió un inconveniente al Actualizar el Inventario\r\nMensaje:\r\n"));
        EXPECT_TRUE(e.aviso().contains("articulo bloqueado"));
    }
    EXPECT_TRUE(env.mensajes.mostrados().empty());
    {
        // Inside the caller's transaction: the first article was journaled, the failed one and the rest not.
        db::Query q(&env.tienda, &env.transUpdate);
        q.setSql("select list(COD_BARRAS) from MOVIMIENTOS_STOCK where COMPROBANTE = 'FC-MAL'");
        q.execQuery();
        EXPECT_EQ(q.field(0).asString(), "OK-1");
        q.close();
    }
    Deshacer();
    EXPECT_EQ(Movimientos("FC-MAL"), 0);
    EXPECT_EQ(Inv("STOCK", "OK-1"), C("1"));

    env.mensajes.Limpiar();
    EntornoPrueba::Ejecutar(env.tienda, "create exception E_MOV 'sin movimientos'");
    EntornoPrueba::Ejecutar(env.tienda, "create trigger T_MOV for MOVIMIENTOS_STOCK before insert as begin "
                                        "if (new.COMPROBANTE = 'FC-MOV') then exception E_MOV; end");
    try {
        act->ActualizarLinea(Factura("FC-MOV"), Linea("OK-3", "1", "100", "113", "100"));
        ADD_FAILURE() << "no error";
    } catch (const ErrorRegistro &e) {
        EXPECT_EQ(e.mensaje(), "Error al insertar en MOVIMIENTOS_STOCK.");
        EXPECT_EQ(e.aviso(), "Error al insertar en movimientos de stock. ");
        EXPECT_TRUE(e.detalle().contains("sin movimientos"));
    }
    EXPECT_TRUE(env.mensajes.mostrados().empty());
    Deshacer();
}

TEST_F(ActualizacionInventario, NothingIsCommittedByTheUpdate)
{
    Articulo("TX-1", "10", "100");
    ASSERT_NO_THROW(Nuevo()->ActualizarLinea(Factura("FC-TX"), Linea("TX-1", "5", "130", "146.9", "130")));
    EXPECT_EQ(Inv("STOCK", "TX-1"), C("10"));
    EXPECT_EQ(Movimientos("FC-TX"), 0);
    Deshacer();
    EXPECT_EQ(Inv("STOCK", "TX-1"), C("10"));
    EXPECT_EQ(Inv("PREVEN_1", "TX-1"), C("1250"));
}

TEST_F(ActualizacionInventario, FromTheDataModuleItPostsTheStationWorkLines)
{
    env.datos->CargarTipoCambio();
    auto act = ActualizadorInventarioCompra::DesdeDatosComp(*env.datos);
    EXPECT_TRUE(act->Ajustes().precios.descuentoEnPrecioCompra);  // demo store setting
    EXPECT_EQ(act->Ajustes().tipoCambio, C("520"));
    EXPECT_EQ(act->Ajustes().computadora, "PRUEBA");
    EXPECT_EQ(act->Ajustes().usuario, "ADMIN");
    Articulo("EST-1", "0", "0");
    for (const char *fila : {"1, 'PRUEBA', 'EST-1', 2", "2, 'PRUEBA', 'EST-1', 50", "1, 'PRUEBA', 'EST-1', 3"})
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into TEMPORAL_COMPRAS (NRO_CAJA, COMPUTADORA, COD_BARRAS, "
                                                           "CANTIDAD, IMPORE_COSTO, GRAVADO, IVI) values (%1, 100, 'S', 'N')")
                                                .arg(fila));
    const std::vector<LineaCompra> lineas = act->LineasDeEstacion();
    ASSERT_EQ(lineas.size(), 2u);
    EXPECT_EQ(lineas[1].cantidad, C("3"));
    ASSERT_NO_THROW(act->ActualizarLineas(Factura("FC-EST"), lineas));
    Confirmar();
    EXPECT_EQ(Inv("STOCK", "EST-1"), C("5"));
    EXPECT_EQ(Movimientos("FC-EST"), 2);
}

TEST_F(ActualizacionInventario, TwoWorkstationsPostingTheSameArticlesLoseNothing)
{
    Articulo("CONC-1", "0", "0");
    Articulo("CONC-2", "0", "0");
    constexpr int kPosteos = 25;
    std::atomic<int> fallos{0};
    auto estacion = [&](const char *costo, const char *comprobante) {
        auto c = env.AbrirConexion();
        ActualizadorInventarioCompra act(c->tienda, c->transUpdate, c->inventario, c->transUpdateInv, Ajustes());
        FacturaCompraPosteo principal = Factura(comprobante), bodega = Factura(comprobante);
        bodega.inventarioPrincipal = false;
        bodega.codBodega = "001";
        for (int i = 0; i < kPosteos; ++i) {
            bool ok = true;
            try {
                act.ActualizarLinea(principal, Linea("CONC-1", "1", costo, costo, costo, "N"));
                act.ActualizarLinea(bodega, Linea("CONC-2", "2", costo, costo, costo, "N"));
            } catch (const ErrorCompras &) {
                ok = false;
            }
            if (ok) {
                c->transUpdateInv.commit();
                c->transUpdate.commit();
            } else {
                ++fallos;
                c->transUpdateInv.rollback();
                c->transUpdate.rollback();
            }
        }
    };
    std::thread a(estacion, "100", "FC-A"), b(estacion, "200", "FC-B");
    a.join();
    b.join();
    EXPECT_EQ(fallos.load(), 0);
    EXPECT_EQ(Inv("STOCK", "CONC-1"), Currency(2 * kPosteos));
    EXPECT_EQ(EntornoPrueba::Moneda(env.inventario, "select EXISTENCIA from EXISTENCIAS where COD_ART = 'CONC-2'"),
              Currency(4 * kPosteos));
    EXPECT_EQ(Movimientos("FC-A") + Movimientos("FC-B"), 4 * kPosteos);
    // Equal quantities at 100 and 200 average 150 in whatever order they came.
    const Currency promedio = Inv("COSTO_PROMEDIO", "CONC-1");
    EXPECT_LT(promedio - C("150"), C("0.01"));
    EXPECT_GT(promedio - C("150"), C("-0.01"));
}

} // namespace
