// The write layer against a real store and inventory database.

#include "support/EntornoPrueba.h"
#include "pricing/Funcionesyprocesoscompras.h"
#include "records/RegistrosCompra.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const Currency &c, std::ostream *os) { *os << c.toString(); }

namespace {

Currency C(const char *s) { return Currency::fromString(std::string(s)); }

class Registros : public ::testing::Test {
protected:
    EntornoPrueba env;
    ConexionesCompra conexiones{&env.tienda, &env.transUpdate, &env.inventario, &env.transUpdateInv, nullptr, nullptr};
    ConsultasCompra consultas{conexiones};
    RegistrosCompra r{consultas};

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
    int I(const QString &sql) { return EntornoPrueba::Entero(env.inventario, sql); }
    Currency IM(const QString &sql) { return EntornoPrueba::Moneda(env.inventario, sql); }
    QString IT(const QString &sql) { return EntornoPrueba::Texto(env.inventario, sql); }
    void ET(const QString &sql) { EntornoPrueba::Ejecutar(env.tienda, sql); }
    void EI(const QString &sql) { EntornoPrueba::Ejecutar(env.inventario, sql); }

    int NuevaFactura(const QString &comprobante, int proveedor)
    {
        FilaFacturaCompra f;
        f.COMPUTADORA = "PRUEBA";
        f.NRO_CAJA = 1;
        f.FECHA_CARGA = QDateTime(QDate(2024, 3, 5), QTime(10, 30, 15));
        f.FECHA = QDate(2024, 3, 4);
        f.COMPROBANTE = comprobante;
        f.CODIGO_PROVEEDOR = proveedor;
        f.NOMBRE = "COMERCIALIZADORA";
        f.DIAS_CREDITO = 30;
        f.PORC_DESCUENTO = C("2.5");
        f.IMPORTE_TOTAL = C("113.45");
        f.MONEDA_CARGA = 2;
        f.EFECTIVO_CAJA = "S";
        f.TIPO_CAMBIO = C("520");
        f.TIPO_CAMBIO_2 = C("1");
        f.INVENTARIO_PRINCIPAL = "N";
        f.COD_BODEGA = "001";
        return r.InsertarFacturasCompras(f);
    }
    void NuevaLinea(int idCompra, const QString &comprobante, const QString &articulo)
    {
        FilaDetalleFacturaCompra d;
        d.COMPUTADORA = "PRUEBA";
        d.ID_COMPRA = idCompra;
        d.FECHA = QDate(2024, 3, 4);
        d.COMPROBANTE = comprobante;
        d.CODIGO_ARTICULO = articulo;
        d.IMPORTE_UNITARIO = C("900");
        d.CANTIDAD = C("2");
        d.PROMEDIO_ANTERIOR = C("837.9");
        r.InsertarDetalleFacturasCompras(d);
    }
    FilaMovStock Movimiento(int tipo, const QString &comprobante, int idTransaccion)
    {
        FilaMovStock m;
        m.FECHA = QDateTime(QDate(2024, 3, 4), QTime(9, 15));
        m.TIPO_MOVIMIENTO = tipo;
        m.DESCRIPCION_MOV = comprobante;
        m.COD_BARRAS = "7501031311309";
        m.COMPROBANTE = comprobante;
        m.CANTIDAD = C("2.5");
        m.CREATE_USERID = "ADMIN";
        m.UPDATE_USERID = "CAJERO";
        m.ID_TRANSACCION = idTransaccion;
        return m;
    }
};

TEST_F(Registros, InvoiceRowsAreWrittenUncommittedWithTheirKey)
{
    const int antes = T("select count(*) from FACTURAS_COMPRA");
    const int id = NuevaFactura("F-100", 12);
    ASSERT_GT(id, 0);
    // The caller commits: another transaction does not see the row yet.
    EXPECT_EQ(T("select count(*) from FACTURAS_COMPRA"), antes);
    Confirmar();
    const QString w = QStringLiteral(" from FACTURAS_COMPRA where ID_COMPRA = %1").arg(id);
    EXPECT_EQ(TT("select COMPROBANTE || '|' || CODIGO_PROVEEDOR || '|' || FECHA || '|' || FECHA_CARGA || '|' || "
                 "MONEDA_CARGA || '|' || EFECTIVO_CAJA || '|' || INVENTARIO_PRINCIPAL || '|' || COD_BODEGA || '|' || "
                 "IMPORTE_TOTAL || '|' || PORC_DESCUENTO" + w),
              "F-100|12|2024-03-04|2024-03-05 10:30:15.0000|2|S|N|001|113.45|2.500000000000000");
    NuevaLinea(id, "F-100", "7501031311309");
    Confirmar();
    EXPECT_EQ(TT(QStringLiteral("select CODIGO_ARTICULO || '|' || CANTIDAD || '|' || IMPORTE_UNITARIO || '|' || "
                                "PROMEDIO_ANTERIOR || '|' || ANULADA from DETALLE_FACTURAS_COMPRA where ID_COMPRA = %1")
                     .arg(id)),
              "7501031311309|2.000000000000000|900.00|837.90|N");
}

TEST_F(Registros, InvoiceMarksAndDeletionsHitOnlyTheirInvoice)
{
    const int mia = NuevaFactura("0001-777", 12), otra = NuevaFactura("0001-777", 5);
    for (int id : {mia, otra})
        for (const char *art : {"7441001000011", "7441001000028"})
            NuevaLinea(id, "0001-777", art);
    Confirmar();
    const int lineaOtra =
        T(QStringLiteral("select min(ID_DETALLE_FACTURA) from DETALLE_FACTURAS_COMPRA where ID_COMPRA = %1").arg(otra));

    const QDateTime antes = QDateTime::currentDateTime().addSecs(-1);
    EXPECT_EQ(r.ActualizaFacturaCompra(ModoFacturaCompra::Anular, mia), 1u);
    EXPECT_EQ(r.ActualizaFacturaCompra(ModoFacturaCompra::Anular, mia), 0u);  // once only
    EXPECT_EQ(r.ActualizaFacturaCompra(ModoFacturaCompra::ImporteNc, otra, {C("45.5"), QDateTime()}), 1u);
    EXPECT_EQ(r.ActualizaFacturaCompra(ModoFacturaCompra::FechaCarga, otra,
                                       {Currency(), QDateTime(QDate(2024, 3, 6), QTime(7, 0))}), 1u);
    EXPECT_EQ(r.ActualizaDetalleFacturaCompra(ModoDetalleFactura::Anular, mia), 2u);
    EXPECT_EQ(r.ActualizaDetalleFacturaCompra(ModoDetalleFactura::PrecioVenta, lineaOtra, C("1234.56")), 1u);
    Confirmar();
    auto f = [&](const char *campo, int id) {
        return TT(QStringLiteral("select %1 || '' from FACTURAS_COMPRA where ID_COMPRA = %2").arg(campo).arg(id));
    };
    EXPECT_EQ(f("ANULADA", mia), "S");
    EXPECT_EQ(f("ANULADA", otra), "N");
    EXPECT_EQ(f("IMPORTE_NC", otra), "45.50");
    EXPECT_EQ(f("FECHA_CARGA", otra), "2024-03-06 07:00:00.0000");
    const QDateTime anulada = QDateTime::fromString(f("FECHA_ANULACION", mia).left(19), "yyyy-MM-dd HH:mm:ss");
    EXPECT_GE(anulada, antes);
    EXPECT_LE(anulada, QDateTime::currentDateTime());
    EXPECT_EQ(T(QStringLiteral("select count(*) from DETALLE_FACTURAS_COMPRA where ANULADA = 'S' and ID_COMPRA = %1").arg(otra)), 0);
    EXPECT_EQ(T("select count(*) from DETALLE_FACTURAS_COMPRA where PRECIO_VENTA_SIN_IV = 1234.56"), 1);

    // Deleting my invoice leaves the other supplier's invoice with the same number whole.
    EXPECT_EQ(r.EliminarDetalleFacturasCompras("0001-777", mia), 2u);
    EXPECT_EQ(r.EliminarFacturasCompras(mia), 1u);
    Confirmar();
    EXPECT_EQ(T(QStringLiteral("select count(*) from DETALLE_FACTURAS_COMPRA where ID_COMPRA = %1").arg(otra)), 2);
    EXPECT_EQ(T("select count(*) from FACTURAS_COMPRA where COMPROBANTE = '0001-777'"), 1);
}

TEST_F(Registros, AFailingStatementNamesTheTableAndCarriesTheDatabaseText)
{
    FilaExistencia e{"7441001000028", "001", C("4"), C("1"), C("0.5")};
    r.InsertarExistencias(e);
    try {
        r.InsertarExistencias(e);  // duplicate warehouse row
        FAIL() << "no error";
    } catch (const ErrorCompras &err) {
        EXPECT_EQ(err.mensaje(), "Error al insertar EXISTENCIAS");
        const auto *reg = dynamic_cast<const ErrorRegistro *>(&err);
        ASSERT_NE(reg, nullptr);
        EXPECT_FALSE(reg->detalle().isEmpty());
        EXPECT_NE(reg->detalle(), reg->mensaje());
    }
    // Nothing was shown and nothing committed: the caller decides.
    EXPECT_TRUE(env.mensajes.mostrados().empty());
    env.transUpdateInv.rollback();
    EXPECT_EQ(I("select count(*) from EXISTENCIAS where COD_BODEGA = '001' and COD_ART = '7441001000028'"), 0);
}

TEST_F(Registros, CountersAndFamily)
{
    r.CambiarConsecutivo(ModoConsecutivo::Entrada, 1, 41);
    r.CambiarConsecutivo(ModoConsecutivo::Salida, 1, 17);
    const int nro = I("select NRO_ARTICULO from FAMILIA where COD_FAMILIA = 'CUI-HIG'");
    r.ActualizaFamilia("CUI-HIG");
    r.ActualizaFamilia("CUI-HIG");
    Confirmar();
    EXPECT_EQ(TT("select ENTRADA || '|' || SALIDA from CONSECUTIVOS where ID = 1"), "41|17");
    EXPECT_EQ(I("select NRO_ARTICULO from FAMILIA where COD_FAMILIA = 'CUI-HIG'"), nro + 2);
}

TEST_F(Registros, InventoryModes)
{
    const QString art = "7441001000028";  // warehouse 002 holds 6
    EI("update INVENTARIO set ACTUALIZAR_EXIST = 'N' where COD_BARRAS = '7441001000035'");
    const QString stockCosto = "select STOCK || '|' || COSTO_PROMEDIO from INVENTARIO where COD_BARRAS = '7441001000028'";
    const QString existencia = "select EXISTENCIA || '' from EXISTENCIAS where COD_ART = '7441001000028' and COD_BODEGA = '002'";
    struct Caso {
        ModoInventario modo;
        ValoresInventario v;
        QString consulta;
        const char *esperado;
    } casos[] = {
        {ModoInventario::StockYPromedio, ValoresInventario().Cantidad(C("30")).Promedio(C("1700.5")), stockCosto, "30.00000000000000|1700.500000000000"},
        {ModoInventario::Stock, ValoresInventario().Cantidad(C("31")).Promedio(C("9")), stockCosto, "31.00000000000000|1700.500000000000"},
        {ModoInventario::RestarStock, ValoresInventario().Cantidad(C("1")).Promedio(C("1650")), stockCosto, "30.00000000000000|1650.000000000000"},
        {ModoInventario::Promedio, ValoresInventario().Cantidad(C("7")).Promedio(C("1600")), stockCosto, "30.00000000000000|1600.000000000000"},
        {ModoInventario::Existencia, ValoresInventario().Cantidad(C("10")).Bodega("002"), existencia, "10.00000000000000"},
        {ModoInventario::SumarExistencia, ValoresInventario().Cantidad(C("2.5")).Bodega("002"), existencia, "12.50000000000000"},
        {ModoInventario::SumarExistencia, ValoresInventario().Cantidad(C("-4")).Bodega("002"), existencia, "8.500000000000000"},
        {ModoInventario::PrecioCompra, ValoresInventario().Cantidad(C("1800.25")), "select PRECIO_COMPRA || '' from INVENTARIO where COD_BARRAS = '7441001000028'", "1800.250000000000"},
        {ModoInventario::TipoCambio, ValoresInventario().TipoCambio(C("520")).TipoCambio2(C("1.5")), "select COMPRA_MONEDA1 || '|' || COMPRA_MONEDA2 from INVENTARIO where COD_BARRAS = '7441001000028'", "520.0000|1.5000"},
        {ModoInventario::Inactivar, ValoresInventario(), "select ARTICULO_INACTIVO from INVENTARIO where COD_BARRAS = '7441001000028'", "S"},
    };
    for (const Caso &c : casos) {
        EXPECT_EQ(r.ActualizaInventario(c.modo, art, c.v), 1u) << static_cast<int>(c.modo);
        Confirmar();
        EXPECT_EQ(IT(c.consulta), c.esperado) << "mode " << static_cast<int>(c.modo);
    }
    // Stock reversal and average-only updates leave articles that keep no stock alone.
    const QString sinStock = "select STOCK || '|' || COSTO_PROMEDIO from INVENTARIO where COD_BARRAS = '7441001000035'";
    const QString antes = IT(sinStock);
    EXPECT_EQ(r.ActualizaInventario(ModoInventario::RestarStock, "7441001000035", ValoresInventario().Cantidad(C("5")).Promedio(C("1"))), 0u);
    EXPECT_EQ(r.ActualizaInventario(ModoInventario::Promedio, "7441001000035", ValoresInventario().Promedio(C("1"))), 0u);
    // Every composition line of the component.
    EXPECT_EQ(r.ActualizaInventario(ModoInventario::CostoCompuesto, "7441001000202", ValoresInventario().Cantidad(C("475.556"))), 1u);
    Confirmar();
    EXPECT_EQ(IT(sinStock), antes);
    EXPECT_EQ(IM("select COSTO from COMPUESTO where COD_ARTICULO = '7441001000202'"), C("475.56"));
}

TEST_F(Registros, PurchaseUpdateWritesOnlyWhatItShould)
{
    const QString art = "7501031311309";  // levels on bases 1, 3, 1, 2
    EI("update INVENTARIO set BASECALCULO_3 = 0, BASECALCULO_4 = 4, STOCK = 40 where COD_BARRAS = '7501031311309'");
    TRegistroCompras reg;
    reg.Codigo = art;
    reg.Stock = C("64");
    reg.PrecioCompra = C("1017");
    for (int i = 0; i < 4; ++i) {
        reg.PrecioVenta[i] = C("1") + Currency(i);
        reg.PrecioSinIv[i] = C("2") + Currency(i);
        reg.PrecioConIv[i] = C("3") + Currency(i);
    }
    reg.BaseCalculo = {1, 3, 0, 4};
    reg.CostoPromedio = C("870.25");
    reg.FechaUltimaCompra = QDateTime(QDate(2024, 3, 4), QTime(18, 0));
    reg.CodProveedor = 5;
    const QString campos = "select STOCK || '|' || PREVEN_1 || '|' || PRECIOCONIV_2 || '|' || PREVEN_3 || '|' || PREVEN_4 || '|' "
                           "|| COSTO_PROMEDIO || '|' || PRECIO_COMPRA || '|' || FK_PROVEEDOR || '|' || FECHA_ULTIMACOMPRA || '|' "
                           "|| GRAVADO || IMPUESTO_INCLUIDO from INVENTARIO where COD_BARRAS = '7501031311309'";

    r.ActualizarInventarioCompras(reg, "S", "S", "X");  // an odd flag is stored as "N"
    Confirmar();
    EXPECT_EQ(IT(campos), "64.00000000000000|1.000000000000000|4.000000000000000|1160.000000000000|1090.000000000000|"
                          "870.2500000000000|1017.000000000000|5|2024-03-04|SN");

    // Without stock: STOCK untouched and the purchase price becomes the average cost.
    reg.Stock = C("99");
    reg.BaseCalculo = {1, 1, 2, 3};  // every level now written
    r.ActualizarInventarioCompras(reg, "N", "N", "S");
    Confirmar();
    EXPECT_EQ(IT(campos), "64.00000000000000|1.000000000000000|4.000000000000000|3.000000000000000|4.000000000000000|"
                          "1017.000000000000|1017.000000000000|5|2024-03-04|NS");

    EI("create exception E_PRUEBA 'articulo bloqueado'");
    EI("create trigger T_PRUEBA for INVENTARIO before update as begin "
       "if (new.COD_BARRAS = '7501031311309') then exception E_PRUEBA; end");
    try {
        r.ActualizarInventarioCompras(reg, "S", "S", "N");
        FAIL() << "no error";
    } catch (const ErrorRegistro &e) {
        EXPECT_EQ(e.mensaje(), "Error al actualizar INVENTARIO");
        EXPECT_TRUE(e.detalle().contains("articulo bloqueado"));
    }
    EXPECT_TRUE(env.mensajes.mostrados().empty());
}

// With the version read, the update writes only a row no one has changed since; a change
// committed while it waited for the row is reported the same way, never as an error.
TEST_F(Registros, PurchaseUpdateWithAVersionWritesOnlyAnUnchangedRow)
{
    const QString art = "7501031311309";
    const QString donde = " from INVENTARIO where COD_BARRAS = '7501031311309'";
    auto version = [&] { return IT("select RDB$RECORD_VERSION" + donde).toLongLong(); };
    TRegistroCompras reg;
    reg.Codigo = art;
    reg.Stock = C("64");
    reg.BaseCalculo = {1, 0, 0, 0};
    reg.CodProveedor = 5;

    const qint64 leida = version();
    EI("update INVENTARIO set STOCK = 7 where COD_BARRAS = '7501031311309'");
    EXPECT_EQ(r.ActualizarInventarioCompras(reg, "S", "S", "N", leida), 0u);
    Confirmar();
    EXPECT_EQ(IM("select STOCK" + donde), C("7"));

    // Another station holds the row and commits while this update waits for it.
    auto otra = env.AbrirConexion();
    const qint64 antes = version();
    db::Query q(&otra->inventario, &otra->transUpdateInv);
    q.setSql("update INVENTARIO set STOCK = 8 where COD_BARRAS = '7501031311309'");
    q.execQuery();
    auto enEspera = std::async(std::launch::async, [&] { return r.ActualizarInventarioCompras(reg, "S", "S", "N", antes); });
    EXPECT_EQ(enEspera.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    otra->transUpdateInv.commit();
    EXPECT_EQ(enEspera.get(), 0u);
    Confirmar();
    EXPECT_EQ(IM("select STOCK" + donde), C("8"));

    EXPECT_EQ(r.ActualizarInventarioCompras(reg, "S", "S", "N", version()), 1u);
    Confirmar();
    EXPECT_EQ(IM("select STOCK" + donde), C("64"));
}

TEST_F(Registros, ArticleCardSaveAndInsert)
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
    r.ActualizarInventario(ModoArticulo::Insertar, a);
    Confirmar();
    const QString sel = "select coalesce(COD_FAMILIA, 'nulo') || '|' || coalesce(COD_UNIDAD, -1) || '|' || BASECALCULO_2 || "
                        "'|' || COEFA_2 || '|' || PRECIOCONIV_4 || '|' || ARTICULO_INACTIVO || '|' || iif(FECHA_ALTA = CURRENT_DATE, 'SI', 'NO') "
                        "from INVENTARIO where COD_BARRAS = '%1'";
    EXPECT_EQ(IT(sel.arg("NUEVO-1")), "nulo|-1|3|-5.000000000000000|12.34560000000000|N|SI");

    EI("update INVENTARIO set ARTICULO_INACTIVO = 'S' where COD_BARRAS = 'NUEVO-1'");
    a.COD_FAMILIA = "CUI-HIG";
    a.COD_UNIDAD = 3;
    a.Niveles[1].COEFA = C("7");
    r.ActualizarInventario(ModoArticulo::Actualizar, a);
    Confirmar();
    EXPECT_EQ(IT(sel.arg("NUEVO-1")), "CUI-HIG|3|3|7.000000000000000|12.34560000000000|N|SI");
    EXPECT_THROW(r.ActualizarInventario(ModoArticulo::Insertar, a), ErrorRegistro);  // the code exists
}

TEST_F(Registros, StockMovementsOfADocumentAreDeletedOnlyWithItsId)
{
    struct Caso { int tipo; const char *prefijo; } casos[] = {
        {1, "Aumento manual de inventario - "}, {2, "Decremento manual de inventario - "}, {3, "Factura de Compra Nro.  - "}};
    for (const Caso &c : casos)
        r.InsertarMovStock(Movimiento(c.tipo, "DOC-9", 77));
    // Another supplier's invoice with the same number, date and article.
    r.InsertarMovStock(Movimiento(3, "DOC-9", 78));
    Confirmar();
    for (const Caso &c : casos)
        EXPECT_EQ(TT(QStringLiteral("select DESCRIPCION_MOV || '|' || CANTIDAD || '|' || CREATE_TMSTMP || '|' || UPDATE_USERID "
                                    "|| '|' || ID_TRANSACCION from MOVIMIENTOS_STOCK where COMPROBANTE = 'DOC-9' and "
                                    "TIPO_MOVIMIENTO = %1 and ID_TRANSACCION = 77").arg(c.tipo)),
                  QString::fromUtf8(c.prefijo) + "DOC-9|2.500000000000000|2024-03-04 09:15:00.0000|CAJERO|77");

    const QDate fecha(2024, 3, 4);
    EXPECT_EQ(r.EliminarMovStock({3, "DOC-9", "7501031311309", fecha, 77}), 1u);
    EXPECT_EQ(r.EliminarMovStock({3, "DOC-9", "OTRO", fecha, 78}), 0u);
    Confirmar();
    EXPECT_EQ(T("select count(*) from MOVIMIENTOS_STOCK where COMPROBANTE = 'DOC-9' and ID_TRANSACCION = 78"), 1);
    EXPECT_EQ(r.EliminarMovimientosStock(77, 1, "DOC-9", fecha), 1u);
    EXPECT_EQ(r.EliminarMovimientosStock(78, 3, "DOC-9", fecha.addDays(1)), 0u);
    Confirmar();
    EXPECT_EQ(T("select count(*) from MOVIMIENTOS_STOCK where COMPROBANTE = 'DOC-9'"), 2);
    EXPECT_EQ(T("select count(*) from MOVIMIENTOS_STOCK where COMPROBANTE = 'DOC-9' and ID_TRANSACCION = 78"), 1);
}

TEST_F(Registros, GoodsInAndOut)
{
    const QDateTime fecha(QDate(2024, 3, 4), QTime(9, 15));
    r.InsertarMovEntradaSalida({true, fecha, "E-1", "ENTRADA", "ADMIN", "N"});
    r.InsertarMovEntradaSalida({false, fecha, "S-1", "SALIDA", "ADMIN", "N"});
    FilaDetalleEntradaSalida d;
    d.COMPROBANTE = "E-1";
    d.FECHA = fecha;
    d.COD_BARRAS = "7501031311309";
    d.CANTIDAD = C("3");
    d.PRECIO_VENTA = C("1260");
    r.InsertarDetalleEntradaSalida(d);
    d.entrada = false;
    d.COMPROBANTE = "S-1";
    r.InsertarDetalleEntradaSalida(d);
    Confirmar();
    EXPECT_EQ(TT("select TIPO_MOV || '|' || TIPO_ENTRADA || '|' || coalesce(TIPO_SALIDA, 'nulo') from ENTRADA_SALIDA where COMPROBANTE = 'E-1'"), "1|3|nulo");
    EXPECT_EQ(TT("select TIPO_MOV || '|' || coalesce(TIPO_ENTRADA, 'nulo') || '|' || TIPO_SALIDA from ENTRADA_SALIDA where COMPROBANTE = 'S-1'"), "2|nulo|5");
    EXPECT_EQ(TT("select TIPO_MOVIMIENTO || '|' || TIPO_ENTRADA || '|' || coalesce(TIPO_SALIDA, 'nulo') || '|' || PRECIO_VENTA "
                 "from DETALLE_ENTRADA_SALIDA where COMPROBANTE = 'E-1'"), "1|3|nulo|1260.00");
    EXPECT_EQ(TT("select TIPO_MOVIMIENTO || '|' || coalesce(TIPO_ENTRADA, 'nulo') || '|' || TIPO_SALIDA from DETALLE_ENTRADA_SALIDA "
                 "where COMPROBANTE = 'S-1'"), "2|nulo|5");
}

TEST_F(Registros, CashRowsAreDeletedByTimeOrAmount)
{
    const QDateTime t1(QDate(2024, 3, 4), QTime(9, 0, 1)), t2(QDate(2024, 3, 4), QTime(11, 30));
    auto caja = [&](const QDateTime &t, const char *comprobante, const char *importe, int tarjeta) {
        FilaCajaDiaria c;
        c.FECHA_HORA = t;
        c.CODIGO_MOVIMIENTO = 3;
        c.COMPROBANTE = comprobante;
        c.IMPORTE_EFECTIVO = C(importe);
        c.CONCEPTO = QStringLiteral("Factura de Compra Nro. ") + comprobante;
        c.ID_TARJETA = tarjeta;
        c.COMPUTADORA = "PRUEBA";
        c.NRO_CAJA = 1;
        r.InsertarCajaDiaria(c);
    };
    // Two suppliers' invoices F-200, paid at different times and amounts.
    caja(t1, "F-200", "1500.5", 0);
    caja(t2, "F-200", "20", 4);
    Confirmar();
    EXPECT_EQ(TT("select coalesce(ID_TARJETA, -1) || '|' || IMPORTE_EFECTIVO || '|' || CONCEPTO from CAJA_DIARIA "
                 "where COMPROBANTE = 'F-200' and FECHA_HORA = '2024-03-04 09:00:01'"),
              "-1|1500.50|Factura de Compra Nro. F-200");
    EXPECT_EQ(T("select ID_TARJETA from CAJA_DIARIA where COMPROBANTE = 'F-200' and FECHA_HORA = '2024-03-04 11:30:00'"), 4);

    EXPECT_EQ(r.EliminarCajaDiaria(ModoCaja::PorFecha, {3, "F-200", t2, {}}), 1u);
    EXPECT_EQ(r.EliminarCajaDiaria(ModoCaja::PorImporte, {3, "F-200", {}, C("20")}), 0u);
    EXPECT_EQ(r.EliminarCajaDiaria(ModoCaja::PorImporte, {3, "F-200", {}, C("1500.5")}), 1u);
    Confirmar();
    EXPECT_EQ(T("select count(*) from CAJA_DIARIA where COMPROBANTE = 'F-200'"), 0);

    ET("insert into CAJA_ANTERIOR (FECHAHORA, CODIGO_MOVIMIENTO, COMPROBANTE) values ('2024-03-01 08:00', 3, 'F-199')");
    ET("insert into CAJA_ANTERIOR (FECHAHORA, CODIGO_MOVIMIENTO, COMPROBANTE) values ('2024-03-02 08:00', 3, 'F-199')");
    ET("insert into CAJA_ANTERIOR (FECHAHORA, CODIGO_MOVIMIENTO, COMPROBANTE) values ('2024-03-02 08:00', 1, 'F-199')");
    EXPECT_EQ(r.EliminarCajaAnterior(ModoCaja::PorFecha, {3, "F-199", QDateTime(QDate(2024, 3, 1), QTime(8, 0)), {}}), 1u);
    EXPECT_EQ(r.EliminarCajaAnterior(ModoCaja::Todas, {3, "F-199", {}, {}}), 1u);
    Confirmar();
    EXPECT_EQ(T("select count(*) from CAJA_ANTERIOR where COMPROBANTE = 'F-199'"), 1);

    // The first row of that amount from a time on: earlier rows and other amounts stay.
    caja(t1, "F-300", "50", 0);
    caja(t2, "F-300", "50", 0);
    caja(t2.addSecs(60), "F-300", "50", 0);
    caja(t2, "F-300", "70", 0);
    Confirmar();
    const QDateTime desde = t2.addSecs(-1);
    EXPECT_EQ(r.EliminarCajaDiaria(ModoCaja::PrimeraDesde, {3, "F-300", desde, C("50")}), 1u);
    EXPECT_EQ(r.EliminarCajaAnterior(ModoCaja::PrimeraDesde, {3, "F-300", desde, C("50")}), 0u);
    Confirmar();
    EXPECT_EQ(T("select count(*) from CAJA_DIARIA where COMPROBANTE = 'F-300' and IMPORTE_EFECTIVO = 50 and "
                "FECHA_HORA = '2024-03-04 11:30:00'"),
              0);
    EXPECT_EQ(T("select count(*) from CAJA_DIARIA where COMPROBANTE = 'F-300'"), 3);
}

TEST_F(Registros, SupplierAccountRowsBelongToTheirSupplier)
{
    const QDateTime hoy(QDate(2024, 3, 4), QTime(0, 0));
    auto cuenta = [&](int prov, int tipo, const QDateTime &vence, const QString &ncFactura = {}) {
        FilaCuentaProveedor c;
        c.COMPUTADORA = "PRUEBA";
        c.NRO_CAJA = 1;
        c.FECHA = hoy;
        c.COD_PROVEEDOR = prov;
        c.COD_TIPO_MOV = tipo;
        c.COMPROBANTE = "F-300";
        c.IMPORTE = c.C_IMPORTE = c.C_A_CANCELAR = c.A_CANCELAR = C("5000");
        c.FECHA_VENCIMIENTO = vence;
        c.DIAS_CREDITO = 30;
        c.CANCELADO = "N";
        c.NC_FACTURA = ncFactura;
        r.InsertarCuentaProveedor(c);
    };
    cuenta(12, 1, hoy.addDays(30));
    cuenta(5, 1, QDateTime());
    cuenta(12, 5, QDateTime(QDate(1899, 12, 30), QTime()), "NC-9");
    EXPECT_EQ(r.ActualizaCuentaProveedor("F-300", C("1250.75"), 1, 12), 1u);
    Confirmar();
    const QString sel = "select coalesce(FECHA_VENCIMIENTO, 'nulo') || '|' || A_CANCELAR || '|' || coalesce(NC_FACTURA, 'nulo') "
                        "from CUENTA_PROVEEDOR where COMPROBANTE = 'F-300' and COD_PROVEEDOR = %1 and COD_TIPO_MOV = %2";
    EXPECT_EQ(TT(sel.arg(12).arg(1)), "2024-04-03|1250.75|nulo");
    EXPECT_EQ(TT(sel.arg(5).arg(1)), "nulo|5000.00|nulo");  // another supplier's row with the same number
    EXPECT_EQ(TT(sel.arg(12).arg(5)), "nulo|5000.00|NC-9");

    // Deleting one supplier's row of a number leaves another supplier's row alone.
    EXPECT_EQ(r.EliminarCuentaProveedor(ModoCuentaProveedor::PorFecha, {1, "F-300", 12, hoy.date().addDays(1)}), 0u);
    EXPECT_EQ(r.EliminarCuentaProveedor(ModoCuentaProveedor::PorFecha, {1, "F-300", 12, hoy.date()}), 1u);
    EXPECT_EQ(r.EliminarCuentaProveedor(ModoCuentaProveedor::CualquierFecha, {5, "F-300", 12, {}}), 1u);
    Confirmar();
    EXPECT_EQ(T("select count(*) from CUENTA_PROVEEDOR where COMPROBANTE = 'F-300'"), 1);
    EXPECT_EQ(T("select COD_PROVEEDOR from CUENTA_PROVEEDOR where COMPROBANTE = 'F-300'"), 5);
}

TEST_F(Registros, CreditNotesAreAppliedOnceAndReleasedByInvoice)
{
    const QDateTime hoy(QDate(2024, 3, 4), QTime(12, 0));
    auto nota = [&](int prov, const QDateTime &venta, const QString &factura) {
        FilaNotaCreditoProveedor n;
        n.COMPUTADORA = "PRUEBA";
        n.NRO_CAJA = 1;
        n.COMPROBANTE = "NC-1";
        n.COD_PROVEEDOR = prov;
        n.IMP_IV = C("13");
        n.IMP_TOTAL = C("113");
        n.FECHA = hoy;
        n.FECHA_VENTA = venta;
        n.OBSERVACIONES = "Saldo";
        n.FACTURA_VENTA = factura;
        n.SUBTOTAL_GRAVADO = C("100");
        n.TOTAL_GRAVADO = C("90");
        n.TOTAL_NO_GRAVADO = C("10");
        n.TIPO_NC = 3;
        return r.InsertarNotaCreditoProveedor(n);
    };
    const int idNota = nota(12, QDateTime(), "0");
    EXPECT_GT(nota(5, hoy.addDays(-3), "FV-8"), idNota);
    FilaDetalleNotaCredito d;
    d.FK_NC_PROV = idNota;
    d.COMPROBANTE = "NC-1";
    d.CODIGO_ARTICULO = "7501031311309";
    d.CANTIDAD = C("2");
    d.COD_PROVEEDOR = 12;
    r.InsertarDetalleNotaCreditoProveedor(d);
    const CambioNotaCredito aplicar{"NC-1", 12, "S", hoy, "F-1"};
    EXPECT_EQ(r.ActualizaNCProveedor(ModoNotaCredito::Aplicar, aplicar), 1u);
    EXPECT_EQ(r.ActualizaNCProveedor(ModoNotaCredito::Aplicar, aplicar), 0u);  // already applied
    Confirmar();
    const QString selNota = "select coalesce(FECHA_VENTA, 'nulo') || '|' || coalesce(FACTURA_VENTA, 'nulo') || '|' || IMP_GRAVADO "
                            "|| '|' || IMP_EXENTO || '|' || ASIGNADA || '|' || coalesce(APLICA_FECHA, 'nulo') || '|' || "
                            "coalesce(APLICA_FACTURA, 'nulo') || '|' || OBSERVACIONES from NOTAS_CREDITO_PROV where "
                            "COMPROBANTE = 'NC-1' and COD_PROVEEDOR = %1";
    EXPECT_EQ(TT(selNota.arg(12)), "nulo|nulo|90.00|10.00|S|2024-03-04|F-1|Saldo");
    EXPECT_EQ(TT(selNota.arg(5)), "2024-03-01|FV-8|90.00|10.00|N|nulo|nulo|Saldo");
    EXPECT_EQ(T(QStringLiteral("select count(*) from DETALLE_NC_PROV where FK_NC_PROV = %1").arg(idNota)), 1);

    // An assigned balance note cannot be annulled; released, it can.
    EXPECT_EQ(r.ActualizaNCProveedor(ModoNotaCredito::AnularSaldo, {"NC-1", 12, QString(), QDateTime(), QString()}), 0u);
    EXPECT_EQ(r.ActualizaNCProveedor(ModoNotaCredito::Liberar, {QString(), 12, QString(), QDateTime(), "F-1"}), 1u);
    EXPECT_EQ(r.ActualizaNCProveedor(ModoNotaCredito::AnularSaldo, {"NC-1", 12, QString(), QDateTime(), QString()}), 1u);
    EXPECT_EQ(r.ActualizaNCProveedor(ModoNotaCredito::Asignar, {"NC-1", 5, "X", QDateTime(), QString()}), 1u);
    Confirmar();
    EXPECT_EQ(TT("select list(ASIGNADA || ANULADA || coalesce(APLICA_FACTURA, '-'), ' ') from (select * from "
                 "NOTAS_CREDITO_PROV where COMPROBANTE = 'NC-1' order by COD_PROVEEDOR)"), "XN- NS-");
}

TEST_F(Registros, ConsignmentLifecycle)
{
    const QDateTime hoy(QDate(2024, 3, 4), QTime(16, 45));
    FilaConsignacion c;
    c.COMPUTADORA = "PRUEBA";
    c.NRO_CAJA = 1;
    c.FECHA_CARGA = c.FECHA = hoy.date();
    c.COMPROBANTE = "CONS-1";
    c.CODIGO_PROVEEDOR = "25";
    c.IMPORTE_TOTAL = C("3000");
    const int id = r.InsertarEncabezadoConsignacion(c);
    ASSERT_GT(id, 0);
    auto linea = [&](const char *art, const char *cant) {
        FilaDetalleConsignacion d;
        d.ID_CONSIGNACION = id;
        d.FECHA = hoy.date();
        d.COMPROBANTE = "CONS-1";
        d.CODIGO_ARTICULO = art;
        d.CANTIDAD = d.EXISTENCIA = C(cant);
        d.IMPORTE_UNITARIO = C("1000");
        r.InsertarDetalleConsignacion(d);
    };
    linea("9771234500112", "2");
    linea("9771234500129", "1");
    EXPECT_FALSE(r.TodosLosArticulosFueronProcesados(id));
    Confirmar();
    EXPECT_EQ(TT(QStringLiteral("select CODIGO_PROVEEDOR || '|' || FECHA_CARGA || '|' || PROCESADA from CONSIGNACIONES "
                                "where ID_CONSIGNACION = %1").arg(id)),
              "25|2024-03-04 00:00:00.0000|N");
    const int l1 = T(QStringLiteral("select min(ID_DETALLE_CONSIGNACION) from DETALLE_CONSIGNACION where ID_CONSIGNACION = %1").arg(id));
    const int l2 = T(QStringLiteral("select max(ID_DETALLE_CONSIGNACION) from DETALLE_CONSIGNACION where ID_CONSIGNACION = %1").arg(id));

    // Absolute and relative processed quantities; repeating the absolute value changes nothing.
    r.ActualizaConsignaciones(ModoConsignacion::Procesados, id, {hoy, C("1"), l1});
    r.ActualizaConsignaciones(ModoConsignacion::Procesados, id, {hoy, C("1"), l1});
    r.ActualizaConsignaciones(ModoConsignacion::SumarProcesados, id, {hoy, C("1"), l1});
    r.ActualizaConsignaciones(ModoConsignacion::SumarProcesados, id, {hoy, C("0.5"), l2});
    EXPECT_FALSE(r.MarcaConsigProcesada(id));
    r.ActualizaConsignaciones(ModoConsignacion::SumarProcesados, id, {hoy, C("0.5"), l2});
    EXPECT_TRUE(r.MarcaConsigProcesada(id));
    Confirmar();
    EXPECT_EQ(TT(QStringLiteral("select list(PROCESADOS, ' ') from (select PROCESADOS from DETALLE_CONSIGNACION "
                                "where ID_CONSIGNACION = %1 order by 1)").arg(id)),
              "1.000000000000000 2.000000000000000");
    EXPECT_EQ(TT(QStringLiteral("select PROCESADA from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id)), "S");
    EXPECT_EQ(CantidadPendientedeProcesarConsignacion(C("5"), C("1.5"), C("2")), C("1.5"));

    EXPECT_EQ(r.ActualizaConsignaciones(ModoConsignacion::Anular, id, {hoy, {}, 0}), 1u);
    Confirmar();
    EXPECT_EQ(TT(QStringLiteral("select ANULADA || '|' || FECHA_ANULACION from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id)),
              "S|2024-03-04 16:45:00.0000");
    EXPECT_EQ(T(QStringLiteral("select count(*) from DETALLE_CONSIGNACION where ANULADA = 'S' and ID_CONSIGNACION = %1").arg(id)), 2);
    // A second annulment touches nothing, not even the date.
    EXPECT_EQ(r.ActualizaConsignaciones(ModoConsignacion::Anular, id, {hoy.addDays(1), {}, 0}), 0u);
    Confirmar();
    EXPECT_EQ(TT(QStringLiteral("select '' || FECHA_ANULACION from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id)),
              "2024-03-04 16:45:00.0000");
    EXPECT_EQ(r.ActualizaConsignaciones(ModoConsignacion::ExistenciaCero, id, {}), 2u);
    Confirmar();
    EXPECT_EQ(T(QStringLiteral("select count(*) from DETALLE_CONSIGNACION where EXISTENCIA = 0 and ID_CONSIGNACION = %1").arg(id)), 2);

    EXPECT_EQ(r.EliminarDetalleConsignaciones(l1), 1u);
    EXPECT_EQ(r.EliminarDetalleConsignaciones(l2), 1u);
    EXPECT_EQ(r.EliminarConsignaciones(id), 1u);
    Confirmar();
    EXPECT_EQ(T(QStringLiteral("select count(*) from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id)), 0);
}

} // namespace
