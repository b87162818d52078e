// The write layer against a real store and inventory database.

#include "support/EntornoPrueba.h"
#include "pricing/Funcionesyprocesoscompras.h"
#include "records/Utransaccionescompras.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const Currency &c, std::ostream *os) { *os << c.toString(); }

namespace {

Currency C(const char *s) { return Currency::fromString(std::string(s)); }

class RegistrosCompras : public ::testing::Test {
protected:
    EntornoPrueba env;

    // Ends the caller's grouped operation.
    void Confirmar()
    {
        if (env.transUpdate.active())
            env.transUpdate.commit();
        if (env.transUpdateInv.active())
            env.transUpdateInv.commit();
    }
    int T(const QString &sql) { return EntornoPrueba::Entero(env.tienda, sql); }
    QString TT(const QString &sql) { return EntornoPrueba::Texto(env.tienda, sql); }
    Currency TM(const QString &sql) { return EntornoPrueba::Moneda(env.tienda, sql); }
    int I(const QString &sql) { return EntornoPrueba::Entero(env.inventario, sql); }
    Currency IM(const QString &sql) { return EntornoPrueba::Moneda(env.inventario, sql); }
    void ET(const QString &sql) { EntornoPrueba::Ejecutar(env.tienda, sql); }
    void EI(const QString &sql) { EntornoPrueba::Ejecutar(env.inventario, sql); }

    int NuevaFactura(const QString &comprobante, int proveedor)
    {
        int id = 0;
        EXPECT_TRUE(InsertarFacturasCompras(
            "PRUEBA", 1, QDateTime(QDate(2024, 3, 5), QTime(10, 30, 15)), QDateTime(QDate(2024, 3, 4), QTime()),
            comprobante, proveedor, "COMERCIALIZADORA", "3-101", "2441", "CH-1", 30, C("10"), C("2.5"), C("13"),
            C("113.45"), C("50"), C("0"), C("63.45"), C("0"), C("100"), C("0"), C("97.5"), C("0"), 2, "S",
            C("520"), C("1"), "N", "001", &id));
        return id;
    }
    void NuevaLinea(int idCompra, const QString &comprobante, const QString &articulo)
    {
        EXPECT_TRUE(InsertarDetalleFacturasCompras("PRUEBA", 1, idCompra, QDateTime(QDate(2024, 3, 4), QTime()),
                                                   comprobante, "CUI-HIG", articulo, "CREMA", "S", "N", "N", C("900"),
                                                   C("117"), C("1800"), C("0"), C("2"), C("13"), C("0"), 1, C("850"),
                                                   C("837.9"), C("520"), C("1"), C("40"), C("0")));
    }
};

TEST_F(RegistrosCompras, WorkTablesTouchOnlyTheStationRows)
{
    for (const char *est : {"1, 'PRUEBA'", "2, 'PRUEBA'", "1, 'OTRA'"}) {
        ET(QStringLiteral("insert into TEMPORAL_ENC_COMPRA (NRO_CAJA, COMPUTADORA) values (%1)").arg(est));
        ET(QStringLiteral("insert into TEMPORAL_COMPRAS (NRO_CAJA, COMPUTADORA, CANTIDAD, IMP_UNIT_SIN_IV, PORCE_DESC, "
                          "IMPORTE_DESCUENTO) values (%1, 3, 250, 5, 37.5)").arg(est));
    }
    const QString lineas = "select count(*) from TEMPORAL_COMPRAS";
    const QString encabezados = "select count(*) from TEMPORAL_ENC_COMPRA";

    EXPECT_TRUE(ActualizaTempCompras(1, 1, "PRUEBA", C("10")));
    Confirmar();
    EXPECT_EQ(TM("select sum(IMPORTE_DESCUENTO) from TEMPORAL_COMPRAS where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'"), C("75"));
    EXPECT_EQ(TM("select sum(PORCE_DESC) from TEMPORAL_COMPRAS where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'"), C("10"));
    EXPECT_EQ(TM("select sum(IMPORTE_DESCUENTO) from TEMPORAL_COMPRAS"), C("150"));
    EXPECT_TRUE(ActualizaTempCompras(1, 1, "PRUEBA", C("0")));
    EXPECT_TRUE(ActualizaTempCompras(3, 2, "PRUEBA", C("50")));  // no such mode
    Confirmar();
    EXPECT_EQ(TM("select sum(IMPORTE_DESCUENTO) + sum(PORCE_DESC) from TEMPORAL_COMPRAS where NRO_CAJA = 1 and "
                 "COMPUTADORA = 'PRUEBA'"), C("0"));
    EXPECT_EQ(TM("select sum(IMPORTE_DESCUENTO) from TEMPORAL_COMPRAS"), C("75"));

    EXPECT_TRUE(EliminaTempCompras(2, 1, "PRUEBA"));
    Confirmar();
    EXPECT_EQ(T(encabezados), 2);
    EXPECT_EQ(T(lineas), 3);
    EXPECT_TRUE(EliminaTempCompras(7, 2, "PRUEBA"));
    EXPECT_TRUE(EliminaTempCompras(1, 1, "PRUEBA"));
    EXPECT_TRUE(EliminaTempCompras(1, 1, "PRUEBA"));  // nothing left: still true
    Confirmar();
    EXPECT_EQ(T(encabezados), 2);
    EXPECT_EQ(T(lineas), 2);
    EXPECT_EQ(T("select count(*) from TEMPORAL_COMPRAS where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'"), 0);
}

TEST_F(RegistrosCompras, InvoiceRowsAreWrittenUncommittedWithTheirKey)
{
    const int antes = T("select count(*) from FACTURAS_COMPRA");
    const int id = NuevaFactura("F-100", 12);
    ASSERT_GT(id, 0);
    // The caller commits: another transaction does not see the row yet.
    EXPECT_EQ(T("select count(*) from FACTURAS_COMPRA"), antes);
    Confirmar();
    const QString w = QStringLiteral(" from FACTURAS_COMPRA where ID_COMPRA = %1").arg(id);
    EXPECT_EQ(TT("select COMPROBANTE || '|' || CODIGO_PROVEEDOR || '|' || FECHA || '|' || FECHA_CARGA || '|' || "
                 "MONEDA_CARGA || '|' || EFECTIVO_CAJA || '|' || INVENTARIO_PRINCIPAL || '|' || COD_BODEGA" + w),
              "F-100|12|2024-03-04|2024-03-05 10:30:15.0000|2|S|N|001");
    EXPECT_EQ(TM("select IMPORTE_TOTAL" + w), C("113.45"));
    EXPECT_EQ(TM("select PORC_DESCUENTO" + w), C("2.5"));
    EXPECT_EQ(TM("select TIPO_CAMBIO" + w), C("520"));

    NuevaLinea(id, "F-100", "7501031311309");
    Confirmar();
    EXPECT_EQ(TT(QStringLiteral("select CODIGO_ARTICULO || '|' || CANTIDAD || '|' || IMPORTE_UNITARIO || '|' || "
                                "PROMEDIO_ANTERIOR || '|' || ANULADA from DETALLE_FACTURAS_COMPRA where ID_COMPRA = %1")
                     .arg(id)),
              "7501031311309|2.000000000000000|900.00|837.90|N");
}

TEST_F(RegistrosCompras, InvoiceMarksAndDeletionsHitOnlyTheirInvoice)
{
    const int mia = NuevaFactura("0001-777", 12), otra = NuevaFactura("0001-777", 5);
    for (int id : {mia, otra})
        for (const char *art : {"7441001000011", "7441001000028"})
            NuevaLinea(id, "0001-777", art);
    Confirmar();
    const int lineaOtra = T(QStringLiteral("select min(ID_DETALLE_FACTURA) from DETALLE_FACTURAS_COMPRA where ID_COMPRA = %1").arg(otra));

    const QDateTime antes = QDateTime::currentDateTime().addSecs(-1);
    EXPECT_TRUE(ActualizaFacturaCompra(2, mia, C("999")));
    EXPECT_TRUE(ActualizaFacturaCompra(1, otra, C("45.5")));
    EXPECT_TRUE(ActualizaDetalleFacturaCompra(1, mia, C("0")));          // by ID_COMPRA
    EXPECT_TRUE(ActualizaDetalleFacturaCompra(2, lineaOtra, C("1234.56")));  // by ID_DETALLE_FACTURA
    EXPECT_TRUE(ActualizaFacturaCompra(5, mia, C("1")));
    EXPECT_TRUE(ActualizaDetalleFacturaCompra(0, mia, C("1")));
    Confirmar();
    auto f = [&](const char *campo, int id) {
        return TT(QStringLiteral("select %1 || '' from FACTURAS_COMPRA where ID_COMPRA = %2").arg(campo).arg(id));
    };
    EXPECT_EQ(f("ANULADA", mia), "S");
    EXPECT_EQ(f("ANULADA", otra), "N");
    EXPECT_EQ(f("IMPORTE_NC", mia), "0.00");
    EXPECT_EQ(f("IMPORTE_NC", otra), "45.50");
    const QDateTime anulada = QDateTime::fromString(f("FECHA_ANULACION", mia).left(19), "yyyy-MM-dd HH:mm:ss");
    EXPECT_GE(anulada, antes);
    EXPECT_LE(anulada, QDateTime::currentDateTime());
    EXPECT_EQ(T(QStringLiteral("select count(*) from DETALLE_FACTURAS_COMPRA where ANULADA = 'S' and ID_COMPRA = %1").arg(mia)), 2);
    EXPECT_EQ(T(QStringLiteral("select count(*) from DETALLE_FACTURAS_COMPRA where ANULADA = 'S' and ID_COMPRA = %1").arg(otra)), 0);
    EXPECT_EQ(T("select count(*) from DETALLE_FACTURAS_COMPRA where PRECIO_VENTA_SIN_IV = 1234.56"), 1);

    // Deleting my invoice leaves the other supplier's invoice with the same number whole.
    EXPECT_TRUE(EliminarDetalleFacturasCompras(1, "0001-777", mia));
    EXPECT_TRUE(EliminarFacturasCompras(1, mia));
    EXPECT_TRUE(EliminarFacturasCompras(2, otra));
    EXPECT_TRUE(EliminarDetalleFacturasCompras(2, "0001-777", otra));
    Confirmar();
    EXPECT_EQ(T("select count(*) from DETALLE_FACTURAS_COMPRA where COMPROBANTE = '0001-777'"), 2);
    EXPECT_EQ(T(QStringLiteral("select count(*) from DETALLE_FACTURAS_COMPRA where ID_COMPRA = %1").arg(otra)), 2);
    EXPECT_EQ(T("select count(*) from FACTURAS_COMPRA where COMPROBANTE = '0001-777'"), 1);
}

TEST_F(RegistrosCompras, CountersAndFamily)
{
    EXPECT_TRUE(CambiarConsecutivo(1, 1, 41));
    EXPECT_TRUE(CambiarConsecutivo(2, 1, 17));
    EXPECT_TRUE(CambiarConsecutivo(3, 1, 99));
    const int nro = I("select NRO_ARTICULO from FAMILIA where COD_FAMILIA = 'CUI-HIG'");
    EXPECT_TRUE(ActualizaFamilia(1, "CUI-HIG"));
    EXPECT_TRUE(ActualizaFamilia(1, "CUI-HIG"));
    EXPECT_TRUE(ActualizaFamilia(2, "CUI-HIG"));
    Confirmar();
    EXPECT_EQ(TT("select ENTRADA || '|' || SALIDA from CONSECUTIVOS where ID = 1"), "41|17");
    EXPECT_EQ(I("select NRO_ARTICULO from FAMILIA where COD_FAMILIA = 'CUI-HIG'"), nro + 2);
}

TEST_F(RegistrosCompras, InventoryModes)
{
    const QString art = "7441001000028";  // warehouse 002 holds 6
    EI("update INVENTARIO set ACTUALIZAR_EXIST = 'N' where COD_BARRAS = '7441001000035'");
    struct Caso { int modo; const char *cant; const char *prom; const char *consulta; const char *esperado; } casos[] = {
        {1, "30", "1700.5", "select STOCK || '|' || COSTO_PROMEDIO from INVENTARIO where COD_BARRAS = '7441001000028'", "30.00000000000000|1700.500000000000"},
        {3, "31", "9", "select STOCK || '|' || COSTO_PROMEDIO from INVENTARIO where COD_BARRAS = '7441001000028'", "31.00000000000000|1700.500000000000"},
        {4, "1", "1650", "select STOCK || '|' || COSTO_PROMEDIO from INVENTARIO where COD_BARRAS = '7441001000028'", "30.00000000000000|1650.000000000000"},
        {2, "10", "0", "select EXISTENCIA || '' from EXISTENCIAS where COD_ART = '7441001000028' and COD_BODEGA = '002'", "10.00000000000000"},
        {5, "2.5", "0", "select EXISTENCIA || '' from EXISTENCIAS where COD_ART = '7441001000028' and COD_BODEGA = '002'", "12.50000000000000"},
        {6, "1800.25", "0", "select PRECIO_COMPRA || '' from INVENTARIO where COD_BARRAS = '7441001000028'", "1800.250000000000"},
        {8, "0", "0", "select STOCK || '' from INVENTARIO where COD_BARRAS = '7441001000028'", "30.00000000000000"},
    };
    for (const Caso &c : casos) {
        EXPECT_TRUE(ActualizaInventario(c.modo, art, C(c.cant), C(c.prom), "002")) << c.modo;
        Confirmar();
        EXPECT_EQ(EntornoPrueba::Texto(env.inventario, c.consulta), c.esperado) << "mode " << c.modo;
    }
    // Mode 4 leaves articles that keep no stock alone.
    const Currency stock = IM("select STOCK from INVENTARIO where COD_BARRAS = '7441001000035'");
    EXPECT_TRUE(ActualizaInventario(4, "7441001000035", C("5"), C("1"), ""));
    // Mode 7: every composition line of the component.
    EXPECT_TRUE(ActualizaInventario(7, "7441001000202", C("475.556"), C("0"), ""));
    EXPECT_TRUE(InsertarExistencias(1, art, "001", C("4"), C("1"), C("0.5")));
    EXPECT_TRUE(InsertarExistencias(2, art, "000", C("4"), C("0"), C("0")));
    Confirmar();
    EXPECT_EQ(IM("select STOCK from INVENTARIO where COD_BARRAS = '7441001000035'"), stock);
    EXPECT_EQ(IM("select COSTO from COMPUESTO where COD_ARTICULO = '7441001000202'"), C("475.56"));
    EXPECT_EQ(I("select count(*) from COMPUESTO where COSTO = 475.56"), 1);
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, "select EXISTENCIA || '|' || RESERVA_APARTADOS || '|' || RESERVA_PREFACTURAS "
                                                   "from EXISTENCIAS where COD_ART = '7441001000028' and COD_BODEGA = '001'"),
              "4.000000000000000|1.000000000000000|0.5000000000000000");
    EXPECT_EQ(I("select count(*) from EXISTENCIAS where COD_BODEGA = '000'"), 0);
    // A failed statement reports false (duplicate warehouse row).
    EXPECT_FALSE(InsertarExistencias(1, art, "001", C("1"), C("0"), C("0")));
}

TEST_F(RegistrosCompras, PurchaseUpdateWritesOnlyWhatItShould)
{
    const QString art = "7501031311309";  // levels on bases 1, 3, 1, 2
    EI("update INVENTARIO set BASECALCULO_3 = 0, BASECALCULO_4 = 4, STOCK = 40 where COD_BARRAS = '7501031311309'");
    TRegistroCompras r;
    r.Codigo = art;
    r.Stock = C("64");
    r.PrecioCompra = C("1017");
    for (int i = 0; i < 4; ++i) {
        r.PrecioVenta[i] = C("1") + Currency(i);
        r.PrecioSinIv[i] = C("2") + Currency(i);
        r.PrecioConIv[i] = C("3") + Currency(i);
    }
    r.BaseCalculo = {1, 3, 0, 4};
    r.CostoPromedio = C("870.25");
    r.FechaUltimaCompra = QDateTime(QDate(2024, 3, 4), QTime(18, 0));
    r.CodProveedor = 5;
    const QString campos = "select STOCK || '|' || PREVEN_1 || '|' || PRECIOCONIV_2 || '|' || PREVEN_3 || '|' || PREVEN_4 || '|' "
                           "|| COSTO_PROMEDIO || '|' || PRECIO_COMPRA || '|' || FK_PROVEEDOR || '|' || FECHA_ULTIMACOMPRA || '|' "
                           "|| GRAVADO || IMPUESTO_INCLUIDO from INVENTARIO where COD_BARRAS = '7501031311309'";

    EXPECT_TRUE(ActualizarInventarioCompras(r, "S", "S", "X"));  // an odd flag is stored as "N"
    Confirmar();
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, campos),
              "64.00000000000000|1.000000000000000|4.000000000000000|1160.000000000000|1090.000000000000|870.2500000000000|"
              "1017.000000000000|5|2024-03-04|SN");

    // Without stock: STOCK untouched and the purchase price becomes the average cost.
    r.Stock = C("99");
    EXPECT_TRUE(ActualizarInventarioCompras(r, "N", "N", "S"));
    Confirmar();
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, campos),
              "64.00000000000000|1.000000000000000|4.000000000000000|1160.000000000000|1090.000000000000|1017.000000000000|"
              "1017.000000000000|5|2024-03-04|NS");

    EI("create exception E_PRUEBA 'articulo bloqueado'");
    EI("create trigger T_PRUEBA for INVENTARIO before update as begin "
       "if (new.COD_BARRAS = '7501031311309') then exception E_PRUEBA; end");
    env.mensajes.Limpiar();
    EXPECT_FALSE(ActualizarInventarioCompras(r, "S", "S", "N"));
    ASSERT_EQ(env.mensajes.mostrados().size(), 1u);
    EXPECT_TRUE(env.mensajes.textos().first().startsWith(
        "Sucedió un inconveniente al Actualizar el Inventario\r\nMensaje:\r\n"));
    EXPECT_TRUE(env.mensajes.textos().first().contains("articulo bloqueado"));
}

TEST_F(RegistrosCompras, ArticleCardSaveAndInsert)
{
    TArticuloInventario a;
    a.OLD_COD_BARRAS = "NUEVO-1";
    a.NOMBRE = "ARTICULO NUEVO";
    a.COD_FAMILIA = "0";
    a.PRECIO_COMPRA = C("100");
    a.PORC_IV = C("13");
    a.GRAVADO = "S";
    a.Niveles[1].BASECALCULO = 3;
    a.Niveles[1].COEFA = C("-5");
    a.Niveles[3].PRECIOCONIV = C("12.3456");
    a.ID_LABORATORIO = 2;
    EXPECT_TRUE(ActualizarInventario(2, a));
    Confirmar();
    const QString sel = "select coalesce(COD_FAMILIA, 'nulo') || '|' || coalesce(COD_UNIDAD, -1) || '|' || BASECALCULO_2 || "
                        "'|' || COEFA_2 || '|' || PRECIOCONIV_4 || '|' || ARTICULO_INACTIVO || '|' || iif(FECHA_ALTA = CURRENT_DATE, 'SI', 'NO') "
                        "from INVENTARIO where COD_BARRAS = '%1'";
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, sel.arg("NUEVO-1")), "nulo|-1|3|-5.000000000000000|12.34560000000000|N|SI");

    EI("update INVENTARIO set ARTICULO_INACTIVO = 'S' where COD_BARRAS = 'NUEVO-1'");
    a.COD_FAMILIA = "CUI-HIG";
    a.COD_UNIDAD = 3;
    a.Niveles[1].COEFA = C("7");
    EXPECT_TRUE(ActualizarInventario(1, a));
    EXPECT_TRUE(ActualizarInventario(3, a));
    Confirmar();
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, sel.arg("NUEVO-1")), "CUI-HIG|3|3|7.000000000000000|12.34560000000000|N|SI");
    EXPECT_FALSE(ActualizarInventario(2, a));  // the code exists
}

TEST_F(RegistrosCompras, StockMovementsAndGoodsInOut)
{
    const QDateTime fecha(QDate(2024, 3, 4), QTime(9, 15));
    struct Caso { int tipo; const char *prefijo; } casos[] = {
        {1, "Aumento manual de inventario - "}, {2, "Decremento manual de inventario - "}, {3, "Factura de Compra Nro.  - "}};
    for (const Caso &c : casos)
        EXPECT_TRUE(InsertarMovStock(fecha, c.tipo, "DOC-9", "CUI-HIG", "7501031311309", "CREMA", "DOC-9", C("2.5"), "N",
                                     "ADMIN", "CAJERO", C("520"), C("1"), 77));
    Confirmar();
    for (const Caso &c : casos)
        EXPECT_EQ(TT(QStringLiteral("select DESCRIPCION_MOV || '|' || CANTIDAD || '|' || CREATE_TMSTMP || '|' || UPDATE_USERID || "
                                    "'|' || ID_TRANSACCION from MOVIMIENTOS_STOCK where COMPROBANTE = 'DOC-9' and TIPO_MOVIMIENTO = %1")
                      .arg(c.tipo)),
                  QString::fromUtf8(c.prefijo) + "DOC-9|2.500000000000000|2024-03-04 09:15:00.0000|CAJERO|77");

    EXPECT_TRUE(EliminarMovStock(1, 2, "DOC-9", "7501031311309", fecha));
    EXPECT_TRUE(EliminarMovStock(1, 1, "DOC-9", "OTRO", fecha));
    EXPECT_TRUE(EliminarMovStock(2, 1, "DOC-9", "7501031311309", fecha));
    Confirmar();
    EXPECT_EQ(T("select count(*) from MOVIMIENTOS_STOCK where COMPROBANTE = 'DOC-9'"), 2);
    // The annulment's delete commits through its query's hook.
    EXPECT_TRUE(EliminarMovimientosStock(77, 3, "DOC-9", fecha));
    EXPECT_EQ(T("select count(*) from MOVIMIENTOS_STOCK where COMPROBANTE = 'DOC-9'"), 1);

    EXPECT_TRUE(InsertarMovEntradaSalida(fecha, "E-1", 1, "ENTRADA", "ADMIN", "N"));
    EXPECT_TRUE(InsertarMovEntradaSalida(fecha, "S-1", 2, "SALIDA", "ADMIN", "N"));
    EXPECT_TRUE(InsertarDetalleEntradaSalida("E-1", 1, fecha, "7501031311309", "CREMA", C("3"), "N", 0, C("0"), C("900"),
                                             C("1260"), C("520"), C("1")));
    EXPECT_TRUE(InsertarDetalleEntradaSalida("S-1", 2, fecha, "7501031311309", "CREMA", C("1"), "N", 0, C("0"), C("900"),
                                             C("1260"), C("520"), C("1")));
    Confirmar();
    EXPECT_EQ(TT("select TIPO_MOV || '|' || TIPO_ENTRADA || '|' || coalesce(TIPO_SALIDA, 'nulo') from ENTRADA_SALIDA where COMPROBANTE = 'E-1'"), "1|3|nulo");
    EXPECT_EQ(TT("select TIPO_MOV || '|' || coalesce(TIPO_ENTRADA, 'nulo') || '|' || TIPO_SALIDA from ENTRADA_SALIDA where COMPROBANTE = 'S-1'"), "2|nulo|5");
    EXPECT_EQ(TT("select TIPO_MOVIMIENTO || '|' || TIPO_ENTRADA || '|' || coalesce(TIPO_SALIDA, 'nulo') || '|' || PRECIO_VENTA "
                 "from DETALLE_ENTRADA_SALIDA where COMPROBANTE = 'E-1'"), "1|3|nulo|1260.00");
    EXPECT_EQ(TT("select TIPO_MOVIMIENTO || '|' || coalesce(TIPO_ENTRADA, 'nulo') || '|' || TIPO_SALIDA from DETALLE_ENTRADA_SALIDA "
                 "where COMPROBANTE = 'S-1'"), "2|nulo|5");
}

TEST_F(RegistrosCompras, CashRegisterRows)
{
    const QDateTime t1(QDate(2024, 3, 4), QTime(9, 0, 1)), t2(QDate(2024, 3, 4), QTime(11, 30));
    for (const QDateTime &t : {t1, t2})
        EXPECT_TRUE(InsertarCajaDiaria(t, 3, "F-200", C("1500.5"), C("0"), C("0"), "", "", "", "", "Factura de Compra Nro. F-200",
                                       1, "ADMIN", C("98500"), 0, C("520"), C("1"), C("0"), C("0"), C("0"), "", "", 0, "", "",
                                       "PRUEBA", 1));
    EXPECT_TRUE(InsertarCajaDiaria(t1, 3, "F-201", C("1"), C("0"), C("0"), "", "", "", "", "", 1, "ADMIN", C("0"), 4, C("520"),
                                   C("1"), C("0"), C("0"), C("0"), "", "", 0, "", "", "PRUEBA", 1));
    Confirmar();
    EXPECT_EQ(TT("select coalesce(ID_TARJETA, -1) || '|' || IMPORTE_EFECTIVO || '|' || CONCEPTO from CAJA_DIARIA "
                 "where COMPROBANTE = 'F-200' and FECHA_HORA = '2024-03-04 09:00:01'"),
              "-1|1500.50|Factura de Compra Nro. F-200");
    EXPECT_EQ(T("select ID_TARJETA from CAJA_DIARIA where COMPROBANTE = 'F-201'"), 4);

    EXPECT_TRUE(EliminarCajaDiaria(2, 3, "F-200", t2));
    EXPECT_TRUE(EliminarCajaDiaria(9, 3, "F-200", t1));
    Confirmar();
    EXPECT_EQ(T("select count(*) from CAJA_DIARIA where COMPROBANTE = 'F-200'"), 1);
    EXPECT_TRUE(EliminarCajaDiaria(1, 3, "F-200", QDateTime()));
    Confirmar();
    EXPECT_EQ(T("select count(*) from CAJA_DIARIA where COMPROBANTE starting 'F-20'"), 1);

    ET("insert into CAJA_ANTERIOR (FECHAHORA, CODIGO_MOVIMIENTO, COMPROBANTE) values ('2024-03-01 08:00', 3, 'F-199')");
    ET("insert into CAJA_ANTERIOR (FECHAHORA, CODIGO_MOVIMIENTO, COMPROBANTE) values ('2024-03-02 08:00', 3, 'F-199')");
    ET("insert into CAJA_ANTERIOR (FECHAHORA, CODIGO_MOVIMIENTO, COMPROBANTE) values ('2024-03-02 08:00', 1, 'F-199')");
    EXPECT_TRUE(EliminarCajaAnterior(2, 3, "F-199", QDateTime(QDate(2024, 3, 1), QTime(8, 0))));
    Confirmar();
    EXPECT_EQ(T("select count(*) from CAJA_ANTERIOR where COMPROBANTE = 'F-199'"), 2);
    EXPECT_TRUE(EliminarCajaAnterior(1, 3, "F-199", QDateTime()));
    Confirmar();
    EXPECT_EQ(T("select count(*) from CAJA_ANTERIOR where COMPROBANTE = 'F-199'"), 1);
}

TEST_F(RegistrosCompras, SupplierAccountAndCreditNotes)
{
    const QDateTime hoy(QDate(2024, 3, 4), QTime(12, 0));
    auto cuenta = [&](int prov, int tipo, const QDateTime &vence) {
        return InsertarCuentaProveedor("PRUEBA", 1, hoy, prov, tipo, "F-300", C("5000"), vence, "Factura de Compra Nro. F-300",
                                       C("520"), C("1"), 1, "ADMIN", hoy, "ADMIN", hoy, C("5000"), "N", C("5000"), C("5000"),
                                       30, "N");
    };
    EXPECT_TRUE(cuenta(12, 1, hoy.addDays(30)));
    EXPECT_TRUE(cuenta(5, 1, QDateTime()));
    EXPECT_TRUE(cuenta(12, 5, QDateTime(QDate(1899, 12, 30), QTime())));
    EXPECT_TRUE(ActualizaCuentaProveedor(1, "F-300", C("1250.75"), 1, 12));
    EXPECT_TRUE(ActualizaCuentaProveedor(2, "F-300", C("1"), 1, 5));
    Confirmar();
    const QString sel = "select coalesce(FECHA_VENCIMIENTO, 'nulo') || '|' || A_CANCELAR from CUENTA_PROVEEDOR "
                        "where COMPROBANTE = 'F-300' and COD_PROVEEDOR = %1 and COD_TIPO_MOV = %2";
    EXPECT_EQ(TT(sel.arg(12).arg(1)), "2024-04-03|1250.75");
    EXPECT_EQ(TT(sel.arg(5).arg(1)), "nulo|5000.00");   // another supplier's row with the same number
    EXPECT_EQ(TT(sel.arg(12).arg(5)), "nulo|5000.00");  // another movement type
    EXPECT_TRUE(EliminarCuentaProveedor(1, 5, "F-300", hoy));
    Confirmar();
    EXPECT_EQ(T("select count(*) from CUENTA_PROVEEDOR where COMPROBANTE = 'F-300'"), 2);

    auto nota = [&](int prov, const QDateTime &venta, const QString &factura, int *id) {
        return InsertarNotaCreditoProveedor("PRUEBA", 1, "NC-1", prov, C("0"), C("0"), C("13"), C("113"), hoy, "N", venta,
                                            "Saldo", "N", factura, C("100"), C("0"), C("90"), C("10"), 3, C("520"), C("1"),
                                            "ADMIN", hoy, id);
    };
    int idNota = 0;
    EXPECT_TRUE(nota(12, QDateTime(), "0", &idNota));
    EXPECT_TRUE(nota(5, hoy.addDays(-3), "FV-8", nullptr));
    ASSERT_GT(idNota, 0);
    EXPECT_TRUE(InsertarDetalleNotaCreditoProveedor("PRUEBA", 1, idNota, hoy, "NC-1", "CUI-HIG", "7501031311309", "CREMA",
                                                    C("2"), C("13"), "S", "N", "N", C("13"), C("50"), C("113"), C("0"),
                                                    C("0"), 12, C("520"), C("1")));
    EXPECT_TRUE(ActualizaNCProveedor(2, "NC-1", "S", hoy, 12));
    Confirmar();
    const QString selNota = "select coalesce(FECHA_VENTA, 'nulo') || '|' || coalesce(FACTURA_VENTA, 'nulo') || '|' || IMP_GRAVADO "
                            "|| '|' || IMP_EXENTO || '|' || ASIGNADA || '|' || coalesce(APLICA_FECHA, 'nulo') || '|' || OBSERVACIONES "
                            "from NOTAS_CREDITO_PROV where COMPROBANTE = 'NC-1' and COD_PROVEEDOR = %1";
    EXPECT_EQ(TT(selNota.arg(12)), "nulo|nulo|90.00|10.00|S|2024-03-04|Saldo");
    EXPECT_EQ(TT(selNota.arg(5)), "2024-03-01|FV-8|90.00|10.00|N|nulo|Saldo");
    EXPECT_EQ(T(QStringLiteral("select count(*) from DETALLE_NC_PROV where FK_NC_PROV = %1 and COD_PROVEEDOR = 12").arg(idNota)), 1);
    EXPECT_TRUE(ActualizaNCProveedor(1, "NC-1", "X", QDateTime(), 5));
    EXPECT_TRUE(ActualizaNCProveedor(3, "NC-1", "Z", QDateTime(), 12));
    Confirmar();
    EXPECT_EQ(TT("select list(ASIGNADA, '') from (select ASIGNADA from NOTAS_CREDITO_PROV where COMPROBANTE = 'NC-1' "
                 "order by COD_PROVEEDOR)"), "XS");
}

TEST_F(RegistrosCompras, ConsignmentLifecycle)
{
    const QDateTime hoy(QDate(2024, 3, 4), QTime(16, 45));
    int id = 0;
    ASSERT_TRUE(InsertarEncabezadoConsignacion("PRUEBA", 1, hoy, hoy, "CONS-1", "25", "DISTRIBUIDORA", "3-101", "2460",
                                               C("0"), C("0"), C("0"), C("3000"), 0, C("0"), C("0"), C("0"), C("0"), "",
                                               C("3000"), C("0"), C("3000"), C("0"), "N", "N", C("520"), C("1"), &id));
    ASSERT_GT(id, 0);
    auto linea = [&](const char *art, const char *cant) {
        return InsertarDetalleConsignacion("PRUEBA", 1, id, hoy, "CONS-1", "REV", art, "REVISTA", C("1000"), C(cant),
                                           C("0"), C("0"), "N", "N", "N", C("1000"), C("0"), C("0"), C("0"), "N", C("900"),
                                           C("880"), C("520"), C("1"), C(cant));
    };
    EXPECT_TRUE(linea("9771234500112", "2"));
    EXPECT_TRUE(linea("9771234500129", "1"));
    EXPECT_FALSE(TodosLosArticulosFueronProcesados(id));
    Confirmar();
    EXPECT_EQ(TT(QStringLiteral("select CODIGO_PROVEEDOR || '|' || FECHA_CARGA || '|' || PROCESADA from CONSIGNACIONES "
                                "where ID_CONSIGNACION = %1").arg(id)),
              "25|2024-03-04 00:00:00.0000|N");
    const int l1 = T(QStringLiteral("select min(ID_DETALLE_CONSIGNACION) from DETALLE_CONSIGNACION where ID_CONSIGNACION = %1").arg(id));
    const int l2 = T(QStringLiteral("select max(ID_DETALLE_CONSIGNACION) from DETALLE_CONSIGNACION where ID_CONSIGNACION = %1").arg(id));

    // Absolute and relative processed quantities; repeating the absolute value changes nothing.
    EXPECT_TRUE(ActualizaConsignaciones(2, id, hoy, C("1"), l1));
    EXPECT_TRUE(ActualizaConsignaciones(2, id, hoy, C("1"), l1));
    EXPECT_TRUE(ActualizaConsignaciones(3, id, hoy, C("1"), l1));
    EXPECT_TRUE(ActualizaConsignaciones(3, id, hoy, C("0.5"), l2));
    EXPECT_TRUE(ActualizaConsignaciones(9, id, hoy, C("7"), l2));
    EXPECT_TRUE(MarcaConsigProcesada(id));
    Confirmar();
    EXPECT_EQ(TT(QStringLiteral("select PROCESADA from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id)), "N");
    EXPECT_TRUE(ActualizaConsignaciones(3, id, hoy, C("0.5"), l2));
    EXPECT_TRUE(MarcaConsigProcesada(id));
    Confirmar();
    EXPECT_EQ(TT(QStringLiteral("select list(PROCESADOS, ' ') from (select PROCESADOS from DETALLE_CONSIGNACION "
                                "where ID_CONSIGNACION = %1 order by 1)").arg(id)),
              "1.000000000000000 2.000000000000000");
    EXPECT_EQ(TT(QStringLiteral("select PROCESADA from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id)), "S");
    EXPECT_EQ(CantidadPendientedeProcesarConsignacion(C("5"), C("1.5"), C("2")), C("1.5"));

    // A consignment without lines counts as processed.
    int vacia = 0;
    ASSERT_TRUE(InsertarEncabezadoConsignacion("PRUEBA", 1, hoy, hoy, "CONS-2", "25", "D", "", "", C("0"), C("0"), C("0"),
                                               C("0"), 0, C("0"), C("0"), C("0"), C("0"), "", C("0"), C("0"), C("0"), C("0"),
                                               "N", "N", C("520"), C("1"), &vacia));
    EXPECT_TRUE(TodosLosArticulosFueronProcesados(vacia));
    EXPECT_TRUE(MarcaConsigProcesada(vacia));

    EXPECT_TRUE(ActualizaConsignaciones(1, id, hoy, C("0"), 0));
    Confirmar();
    EXPECT_EQ(TT(QStringLiteral("select ANULADA || '|' || FECHA_ANULACION from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id)),
              "S|2024-03-04 16:45:00.0000");
    EXPECT_EQ(T(QStringLiteral("select count(*) from DETALLE_CONSIGNACION where ANULADA = 'S' and ID_CONSIGNACION = %1").arg(id)), 2);

    EXPECT_TRUE(EliminarDetalleConsignaciones(1, l1));
    EXPECT_TRUE(EliminarDetalleConsignaciones(2, l2));
    EXPECT_TRUE(EliminarConsignaciones(2, id));
    Confirmar();
    EXPECT_EQ(T(QStringLiteral("select count(*) from DETALLE_CONSIGNACION where ID_CONSIGNACION = %1").arg(id)), 1);
    EXPECT_TRUE(EliminarDetalleConsignaciones(1, l2));
    EXPECT_TRUE(EliminarConsignaciones(1, id));
    Confirmar();
    EXPECT_EQ(T(QStringLiteral("select count(*) from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id)), 0);
    EXPECT_EQ(T(QStringLiteral("select count(*) from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(vacia)), 1);
}

} // namespace
