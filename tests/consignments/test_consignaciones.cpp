// Consignments: the receipt's stock, costs and prices, failures leaving no trace, stations
// receiving at once, invoicing what was sold until the consignment is settled, annulment and
// deletion.

#include "purchases/PosteoPrueba.h"
#include "records/CasosPrecioCompra.h"

#include "consignments/AnulacionConsignacion.h"
#include "consignments/DevolucionConsignacion.h"
#include "consignments/ListadoConsignaciones.h"
#include "consignments/RecepcionConsignacion.h"
#include "purchases/EntradaCompra.h"
#include "purchases/PosteoEntrada.h"
#include "platform/Redondeo.h"

#include <atomic>
#include <thread>

using namespace posteo;

namespace {

const QString kEstacion = QStringLiteral("PRUEBA");

class Consignaciones : public ::testing::Test {
protected:
    EntornoPrueba env;

    static AjustesActualizacionCompra Ajustes(bool descuentoEnCosto = false, const QString &computadora = kEstacion)
    {
        AjustesActualizacionCompra a;
        a.precios.descuentoEnPrecioCompra = descuentoEnCosto;
        a.tipoCambio = C("520");
        a.tipoCambio2 = C("1");
        a.nroCaja = 1;
        a.computadora = computadora;
        a.usuario = "ADMIN";
        return a;
    }
    ConexionesCompra Propias() { return {&env.tienda, &env.transUpdate, &env.inventario, &env.transUpdateInv, nullptr, nullptr}; }
    static DocumentoConsignacion Documento(const QString &comprobante)
    {
        DocumentoConsignacion d;
        d.comprobante = comprobante;
        d.fecha = QDate(2024, 5, 6);
        d.codProveedor = 12;
        d.nombreProveedor = "COMERCIALIZADORA EL ROBLE S.A.";
        d.total = C("1130");
        d.impuesto = C("130");
        return d;
    }
    // Receives the station's work lines as `comprobante` through the data module's connections.
    int Recibir(const QString &comprobante)
    {
        auto r = RecepcionConsignacion::DesdeDatosComp(*env.datos);
        return r->Guardar(Documento(comprobante));
    }
    Currency Inv(const char *campo, const QString &cod)
    {
        return EntornoPrueba::Moneda(env.inventario,
                                     QStringLiteral("select %1 from INVENTARIO where COD_BARRAS = '%2'").arg(campo, cod));
    }
    Currency Bodega0(const QString &cod)
    {
        return EntornoPrueba::Moneda(env.inventario, QStringLiteral("select EXISTENCIA from EXISTENCIAS where COD_ART = '%1' "
                                                                    "and COD_BODEGA = '0'").arg(cod));
    }
    // Gives back `cantidad` of the consignment's line of `codigo` (outside distributor mode).
    void DevolverParte(int id, const QString &codigo, const char *cantidad)
    {
        AjustesDevolucionConsig a;
        a.actualizaExist = true;
        a.computadora = kEstacion;
        DevolucionConsignacion d(Propias(), a);
        d.EstablecerMensajes(&env.mensajes);
        auto lineas = d.Lineas(id);
        for (auto &l : lineas)
            if (l.codigo == codigo) {
                l.marcada = true;
                l.cantidad = C(cantidad);
            }
        ASSERT_EQ(d.Devolver(id, lineas), DevolucionConsignacion::Resultado::Hecha) << d.UltimoError().toStdString();
    }
    QString T(const QString &sql) { return EntornoPrueba::Texto(env.tienda, sql); }
    int N(const QString &sql) { return EntornoPrueba::Entero(env.tienda, sql); }
    int LineasEstacion(const QString &computadora = kEstacion)
    {
        return N(QStringLiteral("select count(*) from TEMPORAL_COMPRAS where COMPUTADORA = '%1'").arg(computadora));
    }
};

// One work line with the amounts of a shared case (5 units).
void LineaCaso(db::Database &tienda, const QString &cod, const CasoPrecioCompra::Caso &c)
{
    EntornoPrueba::Ejecutar(
        tienda, QStringLiteral("insert into TEMPORAL_COMPRAS (COMPUTADORA, NRO_CAJA, COD_BARRAS, COD_FAMILIA, NOMBRE, "
                               "CANTIDAD, IMPORE_COSTO, IMP_UNIT_SIN_IV, IMP_UNIT_CON_IV, GRAVADO, IVI, PORCE_IV, "
                               "PORCE_DESC, IMPORTE_DESCUENTO, IMPORTE_TOLAL_IV, TOTAL_SIN_IV, PRECIO_VENTA, FRACCIONADO) "
                               "values ('PRUEBA', 1, '%1', 'CUI-HIG', 'ARTICULO %1', 5, %2, %3, %4, '%5', '%6', 13, %7, 0, "
                               "5 * %3 * 0.13, 5 * %3, 7, 'N')")
                    .arg(cod, QLatin1String(c.costo), QLatin1String(c.sinIv), QLatin1String(c.conIv),
                         QLatin1String(c.gravado), QLatin1String(c.ivi), QLatin1String(c.desc)));
}

TEST_F(Consignaciones, AReceiptWritesStockCostsAndPricesAsThePostingDoes)
{
    int n = 0;
    for (const CasoPrecioCompra::Caso &c : CasoPrecioCompra::kCasos) {
        if (c.moneda != 1)
            continue;  // consignments are kept in local currency
        SCOPED_TRACE(c.nombre);
        const QString cod = QStringLiteral("CON-%1").arg(++n);
        const QString comprobante = QStringLiteral("CONS-%1").arg(n);
        EntornoPrueba::Ejecutar(env.inventario, CasoPrecioCompra::SqlArticulo(cod, "10", "100", c.gravado));
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update INVENTARIO set FECHA_ULTIMACOMPRA = '2020-01-02', "
                                                               "CONSIGNACION = 'N' where COD_BARRAS = '%1'").arg(cod));
        // The first article already has a row in warehouse "0"; the others get one.
        if (n == 1)
            EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into EXISTENCIAS (COD_ART, COD_BODEGA, EXISTENCIA) "
                                                                   "values ('%1', '0', 8)").arg(cod));
        LineaCaso(env.tienda, cod, c);
        RecepcionConsignacion r(Propias(), Ajustes(c.descuentoEnCosto));
        r.EstablecerMensajes(&env.mensajes);
        const int id = r.Guardar(Documento(comprobante));
        ASSERT_GT(id, 0) << r.UltimoError().toStdString();

        CasoPrecioCompra::EsperarArticulo(c, [&](const char *campo) { return Inv(campo, cod); });
        EXPECT_EQ(Inv("PREVEN_3", cod), C("777"));
        EXPECT_EQ(EntornoPrueba::Texto(env.inventario, QStringLiteral("select CONSIGNACION || '|' || FK_PROVEEDOR || '|' || "
                                                                      "FECHA_ULTIMACOMPRA from INVENTARIO where COD_BARRAS = '%1'")
                                                           .arg(cod)),
                  "S|12|2020-01-02");
        // Warehouse "0" follows the main stock: added to, or created with the stock after the receipt.
        EXPECT_EQ(Bodega0(cod), n == 1 ? C("13") : C("15"));

        EXPECT_EQ(T(QStringLiteral("select TIPO_MOVIMIENTO || '|' || DESCRIPCION_MOV || '|' || CANTIDAD || '|' || "
                                   "ID_TRANSACCION from MOVIMIENTOS_STOCK where COD_BARRAS = '%1'").arg(cod)),
                  QStringLiteral("1|Aumento manual de inventario - %1|5.000000000000000|-1").arg(comprobante));
        EXPECT_EQ(T(QStringLiteral("select COMPROBANTE || '|' || CODIGO_PROVEEDOR || '|' || ANULADA || '|' || IMPORTE_TOTAL "
                                   "|| '|' || FECHA from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id)),
                  QStringLiteral("%1|12|N|1130.00|2024-05-06").arg(comprobante));
        // Each line keeps its article's price and average before the receipt.
        EXPECT_EQ(T(QStringLiteral("select CODIGO_ARTICULO || '|' || CANTIDAD || '|' || EXISTENCIA || '|' || PROCESADOS || "
                                   "'|' || PRECIO_ANTERIOR || '|' || PROMEDIO_ANTERIOR || '|' || IMPORTE_UNITARIO from "
                                   "DETALLE_CONSIGNACION where ID_CONSIGNACION = %1").arg(id)),
                  QStringLiteral("%1|5.000000000000000|5.000000000000000|0.000000000000000|90.00|100.00|%2.00")
                      .arg(cod, QLatin1String(c.sinIv)));
        EXPECT_EQ(LineasEstacion(), 0);
    }
    EXPECT_EQ(n, 5);
}

TEST_F(Consignaciones, ArticlesWithoutStockAndUntaxedIncludedFlagsKeepTheirOwnRules)
{
    // Keeps no stock: the movement only.
    EntornoPrueba::Ejecutar(env.inventario, CasoPrecioCompra::SqlArticulo("SIN-EXIS", "10", "100", "S", "N"));
    // Untaxed but marked tax-included: both prices equal.
    EntornoPrueba::Ejecutar(env.inventario, CasoPrecioCompra::SqlArticulo("EXENTO-IVI", "0", "0", "N"));
    EntornoPrueba::Ejecutar(env.inventario, "update INVENTARIO set IMPUESTO_INCLUIDO = 'S' where COD_BARRAS = 'EXENTO-IVI'");
    CasoPrecioCompra::Caso exento = CasoPrecioCompra::kCasos[2];
    exento.ivi = "S";
    LineaCaso(env.tienda, "SIN-EXIS", CasoPrecioCompra::kCasos[0]);
    LineaCaso(env.tienda, "EXENTO-IVI", exento);
    ASSERT_GT(Recibir("CONS-X"), 0) << env.mensajes.textos().join('|').toStdString();

    EXPECT_EQ(Inv("STOCK", "SIN-EXIS"), C("10"));
    EXPECT_EQ(Inv("COSTO_PROMEDIO", "SIN-EXIS"), C("100"));
    EXPECT_EQ(Inv("PRECIO_COMPRA", "SIN-EXIS"), C("90"));
    EXPECT_EQ(Inv("PREVEN_1", "SIN-EXIS"), C("1250"));
    EXPECT_EQ(N("select count(*) from MOVIMIENTOS_STOCK where COD_BARRAS = 'SIN-EXIS' and TIPO_MOVIMIENTO = 1"), 1);
    EXPECT_EQ(EntornoPrueba::Entero(env.inventario, "select count(*) from EXISTENCIAS where COD_ART = 'SIN-EXIS'"), 0);

    // Stock plus quantity was 5 from 0: the received cost is the average.
    EXPECT_EQ(Inv("COSTO_PROMEDIO", "EXENTO-IVI"), C("130"));
    EXPECT_EQ(Inv("PRECIOSINIV_1", "EXENTO-IVI"), Inv("PRECIOCONIV_1", "EXENTO-IVI"));
    EXPECT_EQ(Inv("PRECIOSINIV_2", "EXENTO-IVI"), Inv("PRECIOCONIV_2", "EXENTO-IVI"));
}

TEST_F(Consignaciones, RefusedDocumentsWriteNothing)
{
    Articulo(env, "ART-1", "10", "800");
    Linea(env.tienda, kEstacion, 1, "ART-1", 1, "1000");
    ASSERT_GT(Recibir("CONS-1"), 0);
    const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario);
    // No lines; then the same number of the same supplier; then no supplier.
    EXPECT_EQ(Recibir("CONS-2"), 0);
    EXPECT_TRUE(env.mensajes.Mostro(EntradaCompra::kSinLineas));
    Linea(env.tienda, kEstacion, 1, "ART-1", 1, "1000");
    const QString conLinea = EntornoPrueba::Volcado(env.tienda);
    EXPECT_EQ(Recibir("CONS-1"), 0);
    EXPECT_TRUE(env.mensajes.Mostro(EntradaCompra::kComprobanteUsado));
    DocumentoConsignacion sinProveedor = Documento("CONS-3");
    sinProveedor.codProveedor = 0;
    EXPECT_EQ(RecepcionConsignacion::DesdeDatosComp(*env.datos)->Guardar(sinProveedor), 0);
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), conLinea);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
    EXPECT_NE(conLinea, t);
    EXPECT_FALSE(env.datos->TransaccionGlobal);
}

TEST_F(Consignaciones, AnyFailingWriteOfTheReceiptLeavesBothDatabasesAsTheyWere)
{
    PrepararFallas(env.tienda, {"CONSIGNACIONES", "DETALLE_CONSIGNACION", "MOVIMIENTOS_STOCK", "TEMPORAL_COMPRAS",
                                "TRANSACCIONES_2PC"});
    PrepararFallas(env.inventario, {"INVENTARIO", "EXISTENCIAS", "COMPUESTO"});
    Articulo(env, "ART-1", "10", "800");
    Articulo(env, "ART-2", "0", "0");
    EntornoPrueba::Ejecutar(env.inventario, "insert into EXISTENCIAS (COD_ART, COD_BODEGA, EXISTENCIA) values ('ART-1', '0', 10)");
    EntornoPrueba::Ejecutar(env.inventario, "insert into COMPUESTO (COD_BARRAS, COD_ARTICULO, CANTIDAD, COSTO) values "
                                            "('ART-2', 'ART-1', 1, 800)");
    Linea(env.tienda, kEstacion, 1, "ART-2", 2, "500");
    Linea(env.tienda, kEstacion, 1, "ART-1", 3, "1000");
    struct Caso {
        db::Database *base;
        const char *clave;
    } casos[] = {
        {&env.tienda, "CONSIGNACIONES:I"},  {&env.tienda, "DETALLE_CONSIGNACION:I"}, {&env.inventario, "INVENTARIO:U"},
        {&env.inventario, "EXISTENCIAS:U"}, {&env.inventario, "EXISTENCIAS:I"},      {&env.inventario, "COMPUESTO:U"},
        {&env.tienda, "MOVIMIENTOS_STOCK:I"}, {&env.tienda, "TEMPORAL_COMPRAS:D"},   {&env.tienda, "TRANSACCIONES_2PC:I"},
    };
    for (const Caso &caso : casos) {
        SCOPED_TRACE(caso.clave);
        Fallar(*caso.base, caso.clave);
        const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario);
        env.mensajes.Limpiar();
        EXPECT_EQ(Recibir("CONS-F"), 0);
        EXPECT_FALSE(env.mensajes.mostrados().empty());
        EXPECT_FALSE(env.datos->TransaccionGlobal);
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
        EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
        Fallar(*caso.base, {});
    }
    EXPECT_TRUE(env.mensajes.Mostro("La consignación Nro: CONS-F no pudo ser insertada ") ||
                !env.mensajes.mostrados().empty());
    // With no switch on the same document is saved.
    const int id = Recibir("CONS-F");
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("13"));
    EXPECT_EQ(Bodega0("ART-1"), C("13"));
    EXPECT_EQ(Bodega0("ART-2"), C("2"));
    EXPECT_EQ(N(QStringLiteral("select count(*) from DETALLE_CONSIGNACION where ID_CONSIGNACION = %1").arg(id)), 2);
}

TEST_F(Consignaciones, StationsReceivingTheSameArticlesAtOnceLoseNothing)
{
    Articulo(env, "ART-1", "10", "800");
    Articulo(env, "ART-2", "0", "0");
    constexpr int kHilos = 3, kRondas = 4;
    MensajesHilo avisos;
    std::atomic<int> guardadas{0}, rechazadas{0};
    auto estacion = [&](int h) {
        auto c = env.AbrirConexion();
        const QString computadora = QStringLiteral("HILO%1").arg(h);
        RecepcionConsignacion r(Conexiones(*c, false), Ajustes(false, computadora));
        r.EstablecerMensajes(&avisos);
        for (int k = 0; k < kRondas; ++k) {
            // Even rounds: a number per station; odd rounds: one number for all.
            const QString numero = k % 2 == 0 ? QStringLiteral("H%1-R%2").arg(h).arg(k) : QStringLiteral("MISMO-%1").arg(k);
            Linea(c->tienda, computadora, 1, "ART-1", 1, "1000");
            Linea(c->tienda, computadora, 1, "ART-2", 2, "500");
            if (r.Guardar(Documento(numero)) > 0) {
                ++guardadas;
            } else {
                ++rechazadas;
                EntornoPrueba::Ejecutar(c->tienda,
                                        QStringLiteral("delete from TEMPORAL_COMPRAS where COMPUTADORA = '%1'").arg(computadora));
            }
        }
    };
    std::vector<std::thread> hilos;
    for (int h = 1; h <= kHilos; ++h)
        hilos.emplace_back(estacion, h);
    for (auto &t : hilos)
        t.join();

    EXPECT_EQ(rechazadas.load(), (kHilos - 1) * kRondas / 2) << avisos.textos().join('|').toStdString();
    EXPECT_EQ(Inv("STOCK", "ART-1"), Currency(10 + guardadas.load()));
    EXPECT_EQ(Inv("STOCK", "ART-2"), Currency(2 * guardadas.load()));
    EXPECT_EQ(Bodega0("ART-1"), Currency(10 + guardadas.load()));
    EXPECT_EQ(Bodega0("ART-2"), Currency(2 * guardadas.load()));
    const QString nuestras = QStringLiteral("(COMPROBANTE starting with 'H' or COMPROBANTE starting with 'MISMO')");
    EXPECT_EQ(N("select count(*) from CONSIGNACIONES where " + nuestras), guardadas.load());
    EXPECT_EQ(N("select count(*) from (select COMPROBANTE from CONSIGNACIONES group by COMPROBANTE having count(*) > 1)"), 0);
    EXPECT_EQ(N("select count(*) from CONSIGNACIONES c where " + nuestras + " and (select count(*) from "
                "DETALLE_CONSIGNACION d where d.ID_CONSIGNACION = c.ID_CONSIGNACION) <> 2"),
              0);
}

class Facturacion : public Consignaciones {
protected:
    void SetUp() override
    {
        PrepararCaja(env);
        Articulo(env, "ART-1", "10", "800");
        Articulo(env, "ART-2", "0", "0");
    }
    // Posts the entry as an invoice paid on credit.
    int Publicar(EntradaCompra &e)
    {
        auto p = ProcesoCompra::DesdeDatosComp(*env.datos);
        const TotalesCompra t = TotalesDeEntrada(e.Totales());
        PagoCompra pago;
        pago.credito = RedondearCentimos(t.total);
        pago.diasCredito = 30;
        return p->Procesar(DocumentoDeEntrada(e), t, pago);
    }
    std::unique_ptr<EntradaCompra> Entrada()
    {
        auto e = std::make_unique<EntradaCompra>(*env.datos);
        e->Iniciar();
        e->Restaurar();
        return e;
    }
    QString Detalle(int id)
    {
        return T(QStringLiteral("select list(CODIGO_ARTICULO || ':' || cast(PROCESADOS as integer), ' ') from (select * from "
                                "DETALLE_CONSIGNACION where ID_CONSIGNACION = %1 order by CODIGO_ARTICULO)").arg(id));
    }
    QString Procesada(int id)
    {
        return T(QStringLiteral("select PROCESADA from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id));
    }
};

TEST_F(Facturacion, InvoicingPartThenTheRestSettlesTheConsignment)
{
    Linea(env.tienda, kEstacion, 1, "ART-1", 10, "1000");
    Linea(env.tienda, kEstacion, 1, "ART-2", 4, "500");
    const int id = Recibir("CONS-F");
    ASSERT_GT(id, 0);
    const Currency stock = Inv("STOCK", "ART-1");
    ASSERT_EQ(stock, C("20"));

    // 4 of ART-1 sold, ART-2 all on hand.
    EntornoPrueba::Ejecutar(env.tienda, "update DETALLE_CONSIGNACION set EXISTENCIA = 6 where CODIGO_ARTICULO = 'ART-1'");
    auto e = Entrada();
    FacturacionConsignacion f(*env.datos);
    ASSERT_EQ(f.Cargar(*e, id), FacturacionConsignacion::Resultado::Cargada) << f.UltimoError().toStdString();
    EXPECT_TRUE(e->ConsignacionAFacturar);
    EXPECT_EQ(e->IdConsignacion, id);
    EXPECT_EQ(e->NroConsignacion, "CONS-F");
    EXPECT_EQ(e->CodigoProveedor(), 12);
    EXPECT_EQ(e->Comprobante(), "CONS-F");
    const auto lineas = e->Lineas();
    ASSERT_EQ(lineas.size(), 1u);
    EXPECT_EQ(lineas[0].codigo, "ART-1");
    EXPECT_EQ(lineas[0].cantidad, C("4"));
    EXPECT_EQ(lineas[0].costo, C("1000"));
    EXPECT_EQ(lineas[0].unitConIv, C("1130"));
    EXPECT_EQ(e->Totales().Total, C("4520"));
    EXPECT_EQ(T("select PROCESA_CONSIGNACION || '|' || CANTIDAD_EN_CONSIGNACION from TEMPORAL_COMPRAS"), "S|4.000000000000000");

    e->EstablecerComprobante("FAC-1");
    ASSERT_GT(Publicar(*e), 0) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(Detalle(id), "ART-1:4 ART-2:0");
    EXPECT_EQ(Procesada(id), "N");
    EXPECT_EQ(Inv("STOCK", "ART-1"), stock);  // the goods were already in stock

    // The rest: 6 more of ART-1 and the 4 of ART-2 sold.
    EntornoPrueba::Ejecutar(env.tienda, "update DETALLE_CONSIGNACION set EXISTENCIA = 0");
    e = Entrada();
    ASSERT_EQ(f.Cargar(*e, id), FacturacionConsignacion::Resultado::Cargada);
    ASSERT_EQ(e->Lineas().size(), 2u);
    EXPECT_EQ(e->Lineas()[0].cantidad, C("6"));
    e->EstablecerComprobante("FAC-2");
    ASSERT_GT(Publicar(*e), 0) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(Detalle(id), "ART-1:10 ART-2:4");
    EXPECT_EQ(Procesada(id), "S");
    EXPECT_EQ(Inv("STOCK", "ART-1"), stock);

    // Settled: no longer offered nor loaded.
    e = Entrada();
    EXPECT_EQ(f.Cargar(*e, id), FacturacionConsignacion::Resultado::NoExiste);
    EXPECT_EQ(e->CantidadLineas(), 0);
}

TEST_F(Facturacion, AnnullingAfterSalesAnInvoiceAndAReturnLeavesTheStockAsBeforeTheReceipt)
{
    Linea(env.tienda, kEstacion, 1, "ART-1", 10, "1000");
    const Currency antes = Inv("STOCK", "ART-1");
    const int id = Recibir("CONS-H");
    ASSERT_GT(id, 0);
    // 4 sold at the till: out of stock and of the line's existence.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update DETALLE_CONSIGNACION set EXISTENCIA = EXISTENCIA - 4 where "
                                                       "ID_CONSIGNACION = %1").arg(id));
    EntornoPrueba::Ejecutar(env.inventario, "update INVENTARIO set STOCK = STOCK - 4 where COD_BARRAS = 'ART-1'");
    auto e = Entrada();
    FacturacionConsignacion f(*env.datos);
    ASSERT_EQ(f.Cargar(*e, id), FacturacionConsignacion::Resultado::Cargada) << f.UltimoError().toStdString();
    e->EstablecerComprobante("FAC-H");
    ASSERT_GT(Publicar(*e), 0) << env.mensajes.textos().join('|').toStdString();
    DevolverParte(id, "ART-1", "2");
    ASSERT_EQ(Detalle(id), "ART-1:6");  // invoiced and returned together
    ASSERT_EQ(Inv("STOCK", "ART-1"), antes + C("4"));

    auto a = AnulacionConsignacion::DesdeDatosComp(*env.datos);
    EXPECT_EQ(a->Anular(id), AnulacionConsignacion::Resultado::Hecha) << a->UltimoError().toStdString();
    EXPECT_EQ(Inv("STOCK", "ART-1"), antes);
}

TEST_F(Facturacion, NothingPendingClearsTheEntryAndAFailedLoadLeavesItAsItWas)
{
    Linea(env.tienda, kEstacion, 1, "ART-1", 3, "1000");
    Linea(env.tienda, kEstacion, 1, "ART-2", 2, "500");
    const int id = Recibir("CONS-G");
    ASSERT_GT(id, 0);
    auto e = Entrada();
    FacturacionConsignacion f(*env.datos);
    // All still on hand.
    EXPECT_EQ(f.Cargar(*e, id), FacturacionConsignacion::Resultado::SinPendientes);
    EXPECT_TRUE(env.mensajes.Mostro("En la consignación Nro: CONS-G Faltan Productos para procesar que no han sido "
                                    "facturados ni devueltos."));
    EXPECT_FALSE(e->ConsignacionAFacturar);
    EXPECT_EQ(e->CantidadLineas(), 0);

    // Everything sold, but the second work line cannot be written.
    EntornoPrueba::Ejecutar(env.tienda, "update DETALLE_CONSIGNACION set EXISTENCIA = 0");
    EntornoPrueba::Ejecutar(env.tienda, "create table LINEA_FALLA (X integer)");
    EntornoPrueba::Ejecutar(env.tienda, "create exception E_LINEA 'linea rechazada'");
    EntornoPrueba::Ejecutar(env.tienda, "create trigger T_LINEA for TEMPORAL_COMPRAS active before insert as begin if "
                                        "(new.COD_BARRAS = 'ART-2' and exists(select 1 from LINEA_FALLA)) then exception "
                                        "E_LINEA; end");
    EntornoPrueba::Ejecutar(env.tienda, "insert into LINEA_FALLA values (1)");
    const QString antes = EntornoPrueba::Volcado(env.tienda);
    EXPECT_EQ(f.Cargar(*e, id), FacturacionConsignacion::Resultado::Error);
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), antes);
    EXPECT_FALSE(e->ConsignacionAFacturar);
    EXPECT_EQ(e->IdConsignacion, 0);
    EXPECT_EQ(e->CodigoProveedor(), 0);
    EXPECT_TRUE(e->Comprobante().isEmpty());
    EXPECT_EQ(e->CantidadLineas(), 0);

    EntornoPrueba::Ejecutar(env.tienda, "delete from LINEA_FALLA");
    ASSERT_EQ(f.Cargar(*e, id), FacturacionConsignacion::Resultado::Cargada);
    EXPECT_EQ(e->CantidadLineas(), 2);
}

class Anulacion : public Consignaciones {
protected:
    int id = 0;
    void SetUp() override
    {
        Articulo(env, "ART-1", "10", "800");
        Linea(env.tienda, kEstacion, 1, "ART-1", 5, "1000");
        id = Recibir("CONS-A");
        ASSERT_GT(id, 0);
        ASSERT_EQ(Inv("STOCK", "ART-1"), C("15"));
        ASSERT_EQ(Inv("COSTO_PROMEDIO", "ART-1"), C("866.6667"));
    }
    std::unique_ptr<AnulacionConsignacion> Nueva() { return AnulacionConsignacion::DesdeDatosComp(*env.datos); }
};

TEST_F(Anulacion, AnnulmentTakesTheStockBackOnceAndOnlyAnnulledOnesAreDeleted)
{
    // Deleting needs an annulled consignment.
    EXPECT_EQ(Nueva()->Eliminar(id), AnulacionConsignacion::Resultado::Rechazada);
    EXPECT_TRUE(env.mensajes.Mostro(
        "La consignación seleccionada no se encuentra anulada, por lo cual no se puede eliminar."));
    // Answering No changes nothing.
    const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario);
    env.mensajes.Responder(Mensajes::Respuesta::No);
    EXPECT_EQ(Nueva()->Anular(id), AnulacionConsignacion::Resultado::Cancelada);
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);

    EXPECT_EQ(Nueva()->Anular(id), AnulacionConsignacion::Resultado::Hecha);
    EXPECT_TRUE(env.mensajes.Mostro("La consignación Nro: CONS-A ha sido anulada satisfactoriamente"));
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("10"));
    const Currency promedio = Inv("COSTO_PROMEDIO", "ART-1");
    EXPECT_TRUE(promedio >= C("800") && promedio <= C("800.0001")) << promedio.toString();
    EXPECT_EQ(Bodega0("ART-1"), C("10"));
    EXPECT_EQ(N(QStringLiteral("select count(*) from DETALLE_CONSIGNACION where ANULADA = 'S' and ID_CONSIGNACION = %1").arg(id)), 1);
    EXPECT_EQ(N(QStringLiteral("select count(*) from CONSIGNACIONES where ANULADA = 'S' and FECHA_ANULACION is not null and "
                               "ID_CONSIGNACION = %1").arg(id)), 1);

    EXPECT_EQ(Nueva()->Anular(id), AnulacionConsignacion::Resultado::Rechazada);
    EXPECT_TRUE(env.mensajes.Mostro("La consignación seleccionada ya se encuentra anulada"));
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("10"));

    EXPECT_EQ(Nueva()->Eliminar(id), AnulacionConsignacion::Resultado::Hecha);
    EXPECT_TRUE(env.mensajes.Mostro("La consignación Nro: CONS-A ha sido eliminada satisfactoriamente"));
    EXPECT_EQ(N(QStringLiteral("select count(*) from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id)), 0);
    EXPECT_EQ(N(QStringLiteral("select count(*) from DETALLE_CONSIGNACION where ID_CONSIGNACION = %1").arg(id)), 0);
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("10"));
}

TEST_F(Anulacion, AfterAPartialReturnOnlyWhatIsStillOnHandLeavesTheStockOnce)
{
    DevolverParte(id, "ART-1", "2");
    ASSERT_EQ(Inv("STOCK", "ART-1"), C("13"));
    ASSERT_EQ(Bodega0("ART-1"), C("13"));

    PrepararFallas(env.tienda, {"CONSIGNACIONES", "DETALLE_CONSIGNACION"});
    PrepararFallas(env.inventario, {"INVENTARIO", "EXISTENCIAS"});
    struct Caso {
        db::Database *base;
        const char *clave;
    } casos[] = {{&env.inventario, "INVENTARIO:U"}, {&env.inventario, "EXISTENCIAS:U"},
                 {&env.tienda, "CONSIGNACIONES:U"}, {&env.tienda, "DETALLE_CONSIGNACION:U"}};
    for (const Caso &caso : casos) {
        SCOPED_TRACE(caso.clave);
        Fallar(*caso.base, caso.clave);
        const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario);
        EXPECT_EQ(Nueva()->Anular(id), AnulacionConsignacion::Resultado::Fallida);
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
        EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
        Fallar(*caso.base, {});
    }

    EXPECT_EQ(Nueva()->Anular(id), AnulacionConsignacion::Resultado::Hecha);
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("10"));
    EXPECT_EQ(Bodega0("ART-1"), C("10"));
    EXPECT_EQ(Nueva()->Anular(id), AnulacionConsignacion::Resultado::Rechazada);
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("10"));

    // A line with nothing on hand any more gives nothing back.
    Linea(env.tienda, kEstacion, 1, "ART-1", 3, "1000");
    const int vendida = Recibir("CONS-V");
    ASSERT_GT(vendida, 0);
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update DETALLE_CONSIGNACION set EXISTENCIA = 0 where "
                                                       "ID_CONSIGNACION = %1").arg(vendida));
    const QString inventario = EntornoPrueba::Volcado(env.inventario);
    EXPECT_EQ(Nueva()->Anular(vendida), AnulacionConsignacion::Resultado::Hecha);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inventario);
}

TEST_F(Anulacion, AFullyInvoicedConsignmentCountsAsReturnedAndIsNotAnnulled)
{
    EntornoPrueba::Ejecutar(env.tienda, "update DETALLE_CONSIGNACION set PROCESADOS = CANTIDAD");
    AnulacionConsignacion a(Propias(), false);
    a.EstablecerMensajes(&env.mensajes);
    EXPECT_EQ(a.Anular(id), AnulacionConsignacion::Resultado::Rechazada);
    EXPECT_TRUE(env.mensajes.Mostro("La consignación Nro: CONS-A no se puede anular porque ya fue devuelta."));
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("15"));
    // In distributor mode only the DEVUELTA flag counts.
    AnulacionConsignacion d(Propias(), true);
    d.EstablecerMensajes(&env.mensajes);
    EXPECT_EQ(d.Anular(id), AnulacionConsignacion::Resultado::Hecha);
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("10"));
}

TEST_F(Anulacion, OnlyReturnedConsignmentsOfTheListLoseTheirExistence)
{
    Linea(env.tienda, kEstacion, 1, "ART-1", 2, "1000");
    const int otra = Recibir("CONS-B");
    ASSERT_GT(otra, 0);
    // CONS-A fully invoiced (returned, outside distributor mode); CONS-B still open.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update DETALLE_CONSIGNACION set PROCESADOS = CANTIDAD, EXISTENCIA = 1 "
                                                       "where ID_CONSIGNACION = %1").arg(id));
    FiltroConsignaciones filtro;
    filtro.comprobante = "CONS-";
    AnulacionConsignacion a(Propias(), false);
    EXPECT_EQ(a.ExistenciasDevueltasEnCero(filtro), 1);
    auto existencia = [this](int c) {
        return EntornoPrueba::Moneda(env.tienda, QStringLiteral("select sum(EXISTENCIA) from DETALLE_CONSIGNACION where "
                                                                "ID_CONSIGNACION = %1").arg(c));
    };
    EXPECT_EQ(existencia(id), C("0"));
    EXPECT_EQ(existencia(otra), C("2"));
    // In distributor mode only the DEVUELTA flag counts.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update CONSIGNACIONES set DEVUELTA = 'S' where ID_CONSIGNACION = %1").arg(otra));
    AnulacionConsignacion d(Propias(), true);
    EXPECT_EQ(d.ExistenciasDevueltasEnCero(filtro), 1);
    EXPECT_EQ(existencia(otra), C("0"));
}

TEST_F(Anulacion, FailuresLeaveEverythingAndTwoStationsAnnulOnce)
{
    PrepararFallas(env.tienda, {"CONSIGNACIONES", "DETALLE_CONSIGNACION"});
    PrepararFallas(env.inventario, {"INVENTARIO", "EXISTENCIAS"});
    struct Caso {
        db::Database *base;
        const char *clave;
        bool eliminar;
    } casos[] = {{&env.inventario, "INVENTARIO:U", false}, {&env.inventario, "EXISTENCIAS:U", false},
                 {&env.tienda, "CONSIGNACIONES:U", false}, {&env.tienda, "DETALLE_CONSIGNACION:U", false},
                 {&env.tienda, "DETALLE_CONSIGNACION:D", true}, {&env.tienda, "CONSIGNACIONES:D", true}};
    for (const Caso &caso : casos) {
        SCOPED_TRACE(caso.clave);
        if (caso.eliminar && N(QStringLiteral("select count(*) from CONSIGNACIONES where ANULADA = 'S' and ID_CONSIGNACION = %1").arg(id)) == 0) {
            ASSERT_EQ(Nueva()->Anular(id), AnulacionConsignacion::Resultado::Hecha);
        }
        Fallar(*caso.base, caso.clave);
        const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario);
        env.mensajes.Limpiar();
        auto a = Nueva();
        EXPECT_EQ(caso.eliminar ? a->Eliminar(id) : a->Anular(id), AnulacionConsignacion::Resultado::Fallida);
        EXPECT_TRUE(env.mensajes.Mostro(caso.eliminar ? "La consignación Nro: CONS-A no pudo ser eliminada "
                                                      : "La consignación Nro: CONS-A no pudo ser anulada "));
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
        EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
        Fallar(*caso.base, {});
    }

    // A second consignment annulled by two stations at once: its stock comes back once.
    Linea(env.tienda, kEstacion, 1, "ART-1", 7, "1000");
    const int otra = Recibir("CONS-B");
    ASSERT_GT(otra, 0);
    const Currency stock = Inv("STOCK", "ART-1");
    MensajesHilo avisos;
    std::atomic<int> hechas{0};
    auto estacion = [&] {
        auto c = env.AbrirConexion();
        AnulacionConsignacion a(Conexiones(*c, false), false);
        a.EstablecerMensajes(&avisos);
        if (a.Anular(otra) == AnulacionConsignacion::Resultado::Hecha)
            ++hechas;
    };
    std::thread h1(estacion), h2(estacion);
    h1.join();
    h2.join();
    EXPECT_EQ(hechas.load(), 1) << avisos.textos().join('|').toStdString();
    EXPECT_EQ(Inv("STOCK", "ART-1"), stock - C("7"));
}

} // namespace
