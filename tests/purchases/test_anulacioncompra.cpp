// Annulling and deleting a posted purchase invoice.

#include "purchases/PosteoPrueba.h"

#include "purchases/AnulacionCompra.h"

#include "platform/Mensajes.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

using namespace posteo;

namespace {

const QString kEstacion = QStringLiteral("PRUEBA");
// Tables the posting fills and the annulment does not clear: the work rows (emptied by the
// posting), the cheque's bank movement and the excess note (annulled, not removed).
const QStringList kTrabajo = {"TEMPORAL_COMPRAS", "TEMPORAL_ENC_COMPRA"};

class Anulacion : public ::testing::Test {
protected:
    EntornoPrueba env;

    void SetUp() override
    {
        PrepararCaja(env);
        Articulo(env, "ART-1", "10", "800");
        Articulo(env, "ART-2", "4", "500");
    }
    // FC-1 of supplier 12: 10 x ART-1 at 1000 and 2 x ART-2 at 500, total 12430.
    int Publicar(PagoCompra pago, DocumentoCompra doc = {}, const QString &numero = "FC-1")
    {
        Encabezado(env.tienda, kEstacion, 1, numero);
        Linea(env.tienda, kEstacion, 1, "ART-1", 10, "1000");
        Linea(env.tienda, kEstacion, 1, "ART-2", 2, "500");
        auto p = ProcesoCompra::DesdeDatosComp(*env.datos);
        CopiarEncabezado(p->DocumentoDeEstacion(), doc);
        const int id = p->Procesar(doc, p->TotalesDeEstacion(), pago);
        EXPECT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
        return id;
    }
    std::unique_ptr<AnulacionCompra> Anulador() { return AnulacionCompra::DesdeDatosComp(*env.datos); }
    Currency Inv(const char *campo, const char *cod)
    {
        return EntornoPrueba::Moneda(env.inventario,
                                     QStringLiteral("select %1 from INVENTARIO where COD_BARRAS = '%2'").arg(campo, cod));
    }
    static PagoCompra EfectivoYCredito()
    {
        PagoCompra p;
        p.efectivo = C("7430");
        p.credito = C("5000");
        p.diasCredito = 30;
        return p;
    }
};

TEST_F(Anulacion, AnnulAndDeleteLeaveTheStoreAndTheStockAsBeforeThePosting)
{
    const QString tienda = VolcadoSin(env.tienda, kTrabajo), stock = Existencias(env.inventario);
    const int id = Publicar(EfectivoYCredito());
    ASSERT_GT(id, 0);
    EXPECT_NE(Existencias(env.inventario), stock);

    auto a = Anulador();
    EXPECT_TRUE(a->Anular(id));
    EXPECT_TRUE(env.mensajes.Mostro("Desea anular la compra Nro: FC-1"));
    EXPECT_TRUE(env.mensajes.mostrados().front().destructiva) << "No is the default answer";
    EXPECT_TRUE(env.mensajes.Mostro("La Factura de Compra Nro: FC-1 ha sido anulado satisfactoriamente"));
    EXPECT_EQ(Existencias(env.inventario), stock);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, QStringLiteral("select count(*) from DETALLE_FACTURAS_COMPRA where "
                                                               "ID_COMPRA = %1 and ANULADA = 'S'").arg(id)),
              2);
    // Annulling again only says so.
    env.mensajes.Limpiar();
    EXPECT_FALSE(a->Anular(id));
    EXPECT_EQ(env.mensajes.textos(), QStringList{"La compra seleccionada ya se encuentra anulada."});

    EXPECT_TRUE(a->Eliminar(id));
    EXPECT_TRUE(env.mensajes.Mostro("Atención!\r\n\r\nRealmente desea eliminar del sistema la factura FC-1?"));
    EXPECT_TRUE(env.mensajes.mostrados().back().destructiva) << "No is the default answer";
    EXPECT_EQ(VolcadoSin(env.tienda, kTrabajo), tienda);
}

TEST_F(Anulacion, TheEntryIsReversedInTheSameCommitAndTheChequeMovementStays)
{
    PagoCompra pago;
    pago.efectivo = C("5000");
    pago.efectivoDeCaja = false;
    pago.cheque = C("7430");
    pago.numeroCheque = "CH-77";
    pago.cuentaBancaria = 1;
    const int id = Publicar(pago);
    ASSERT_GT(id, 0);
    auto conta = [&](const QString &sql) { return EntornoPrueba::Entero(env.contabilidad, sql); };
    const int n = conta("select max(ID_ASIENTO) from ASIENTOS where FK_EMPRESA = 1 and FK_PERIODO = 1");
    const int banco = EntornoPrueba::Entero(env.tienda, "select count(*) from MOVIM_BANCO");
    const int lineas = conta(QStringLiteral("select count(*) from LINEAS_ASIENTO where FK_PERIODO = 1 and FK_ASIENTO = %1").arg(n));
    ASSERT_GE(lineas, 3);

    auto a = Anulador();
    ASSERT_TRUE(a->Anular(id)) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(a->UltimoAsientoInverso(), n + 1);
    EXPECT_TRUE(env.mensajes.Mostro("La Factura de Compra Nro: FC-1 ha sido anulado satisfactoriamente\r\n\r\n"
                                    "El movimiento bancario del cheque Nro: CH-77 no se anuló (el cheque pudo haber sido "
                                    "entregado); reviselo en bancos."))
        << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from MOVIM_BANCO"), banco);

    const QString asiento = QStringLiteral(" from ASIENTOS where FK_EMPRESA = 1 and FK_PERIODO = 1 and ID_ASIENTO = %1").arg(n + 1);
    EXPECT_EQ(EntornoPrueba::Texto(env.contabilidad, "select DESCRIPCION" + asiento), "Anulación Compra - Factura Nº FC-1");
    EXPECT_EQ(conta("select count(*)" + asiento + " and FECHA = current_date and BLANCEADO = 'S'"), 1);
    // Same accounts, sides swapped: every account nets to zero over the two entries.
    EXPECT_EQ(conta(QStringLiteral("select count(*) from LINEAS_ASIENTO where FK_PERIODO = 1 and FK_ASIENTO = %1").arg(n + 1)),
              lineas);
    EXPECT_EQ(conta(QStringLiteral("select count(*) from (select CUENTA from LINEAS_ASIENTO where FK_EMPRESA = 1 and "
                                   "FK_PERIODO = 1 and FK_ASIENTO in (%1, %2) group by CUENTA having sum(IMPORTE_DEBE) <> "
                                   "sum(IMPORTE_HABER) or count(*) <> 2)")
                        .arg(n)
                        .arg(n + 1)),
              0);
    EXPECT_EQ(EntornoPrueba::Moneda(env.contabilidad,
                                    QStringLiteral("select IMPORTE_DEBE from LINEAS_ASIENTO where FK_PERIODO = 1 and "
                                                   "FK_ASIENTO = %1 and CUENTA = '1-01-01-002'").arg(n + 1)),
              C("5000"));
    // The posting's entry is untouched.
    EXPECT_EQ(EntornoPrueba::Texto(env.contabilidad,
                                   QStringLiteral("select DESCRIPCION from ASIENTOS where FK_PERIODO = 1 and ID_ASIENTO = %1").arg(n)),
              "Compra - Factura Nº FC-1");

    // An invoice whose posting time was moved to its cash row's, seconds after its entry, and
    // another supplier's entry for the same number two minutes earlier.
    const int otra = Publicar(EfectivoYCredito(), {}, "FC-2");
    ASSERT_GT(otra, 0);
    const int m = conta("select max(ID_ASIENTO) from ASIENTOS where FK_EMPRESA = 1 and FK_PERIODO = 1");
    EntornoPrueba::Ejecutar(env.contabilidad, QStringLiteral("insert into ASIENTOS (ID_ASIENTO, FK_EMPRESA, FK_PERIODO, "
                                                             "DESCRIPCION, CREATE_TMSTMP) select %1, 1, 1, DESCRIPCION, "
                                                             "dateadd(minute, -2, CREATE_TMSTMP) from ASIENTOS where "
                                                             "FK_PERIODO = 1 and ID_ASIENTO = %2").arg(m + 1).arg(m));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update FACTURAS_COMPRA set FECHA_CARGA = dateadd(second, 3, "
                                                       "FECHA_CARGA) where ID_COMPRA = %1").arg(otra));
    auto b = Anulador();
    ASSERT_TRUE(b->AnularCompras(otra)) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(b->UltimoAsientoInverso(), m + 2);
    EXPECT_EQ(conta(QStringLiteral("select count(*) from (select CUENTA from LINEAS_ASIENTO where FK_EMPRESA = 1 and "
                                   "FK_PERIODO = 1 and FK_ASIENTO in (%1, %2) group by CUENTA having sum(IMPORTE_DEBE) <> "
                                   "sum(IMPORTE_HABER) or count(*) <> 2)")
                        .arg(m)
                        .arg(m + 2)),
              0);
    EXPECT_GT(conta(QStringLiteral("select count(*) from LINEAS_ASIENTO where FK_PERIODO = 1 and FK_ASIENTO = %1").arg(m + 2)), 0);
}

TEST_F(Anulacion, AnnullingGivesBackTheAverageCostOfTaxIncludedAndDiscountedLines)
{
    // The posting averages in the net cost without tax; the annulment must take out that cost.
    Articulo(env, "ART-3", "10", "50");
    Articulo(env, "ART-4", "6", "50");
    Encabezado(env.tienda, kEstacion, 1, "FC-9");
    LineaConDescuento(env.tienda, kEstacion, 1, "ART-3", 10, "40", "10", "S");
    LineaConDescuento(env.tienda, kEstacion, 1, "ART-4", 4, "40", "25");
    LineaConDescuento(env.tienda, kEstacion, 1, "ART-3", 5, "60", "0", "S");
    auto p = ProcesoCompra::DesdeDatosComp(*env.datos);
    const TotalesCompra t = p->TotalesDeEstacion();
    PagoCompra pago;
    pago.credito = t.total;
    pago.diasCredito = 30;
    const int id = p->Procesar(p->DocumentoDeEstacion(), t, pago);
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
    // (500 + 10 x 36) / 20 = 43, then (860 + 5 x 60) / 25; (300 + 4 x 30) / 10.
    EXPECT_EQ(Inv("COSTO_PROMEDIO", "ART-3"), C("46.4"));
    EXPECT_EQ(Inv("COSTO_PROMEDIO", "ART-4"), C("42"));

    ASSERT_TRUE(Anulador()->AnularCompras(id)) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(Inv("STOCK", "ART-3"), C("10"));
    EXPECT_EQ(Inv("COSTO_PROMEDIO", "ART-3"), C("50"));
    EXPECT_EQ(Inv("STOCK", "ART-4"), C("6"));
    EXPECT_EQ(Inv("COSTO_PROMEDIO", "ART-4"), C("50"));
}

TEST_F(Anulacion, ASecondAnnulmentFailsAndChangesNothing)
{
    PagoCompra otrosFondos;
    otrosFondos.efectivo = C("12430");
    otrosFondos.efectivoDeCaja = false;
    const int deCaja = Publicar(EfectivoYCredito());
    const int deFondos = Publicar(otrosFondos, {}, "FC-2");
    ASSERT_GT(deCaja, 0);
    ASSERT_GT(deFondos, 0);
    for (int id : {deCaja, deFondos}) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(Anulador()->AnularCompras(id));
        const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario),
                      k = EntornoPrueba::Volcado(env.contabilidad);
        env.mensajes.Limpiar();
        auto a = Anulador();
        EXPECT_FALSE(a->AnularCompras(id));
        EXPECT_EQ(a->UltimoError(), "La compra seleccionada ya se encuentra anulada.");
        EXPECT_EQ(env.mensajes.textos(), QStringList{"La compra seleccionada ya se encuentra anulada."});
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
        EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
        EXPECT_EQ(EntornoPrueba::Volcado(env.contabilidad), k);
    }
}

TEST_F(Anulacion, ACashRowOrderedAfterATillRowAheadOfTheClockIsFound)
{
    // The till's last row lies two hours ahead: the posting's row follows it, the invoice keeps
    // the real time, and the annulment still removes exactly that row.
    EntornoPrueba::Ejecutar(env.tienda, "insert into CAJA_DIARIA (FECHA_HORA, CODIGO_MOVIMIENTO, COMPROBANTE, "
                                        "IMPORTE_EFECTIVO, SALDO, TURNO) values (dateadd(hour, 2, current_timestamp), 2, "
                                        "'V-1', 100, 20000, 1)");
    const QDateTime antes = QDateTime::currentDateTime().addSecs(-1);
    const int id = Publicar(EfectivoYCredito());
    const QDateTime despues = QDateTime::currentDateTime().addSecs(1);
    ASSERT_GT(id, 0);
    db::Transaction lectura(env.tienda, db::TransactionKind::Read);
    db::Query q(&env.tienda, &lectura);
    q.setSql(QStringLiteral("select f.FECHA_CARGA, c.FECHA_HORA, c.SALDO, v.FECHA_HORA from FACTURAS_COMPRA f, "
                            "CAJA_DIARIA c, CAJA_DIARIA v where f.ID_COMPRA = %1 and c.COMPROBANTE = 'FC-1' and "
                            "c.CODIGO_MOVIMIENTO = 3 and v.COMPROBANTE = 'V-1'").arg(id));
    q.execQuery();
    ASSERT_FALSE(q.eof());
    const QDateTime carga = q.field(0).asDateTime(), fila = q.field(1).asDateTime(), adelantada = q.field(3).asDateTime();
    EXPECT_GE(carga, antes);
    EXPECT_LE(carga, despues);
    EXPECT_EQ(fila, adelantada.addMSecs(1));
    EXPECT_EQ(q.field(2).asCurrency(), C("20000") - C("7430"));
    q.close();
    lectura.commit();

    ASSERT_TRUE(Anulador()->AnularCompras(id)) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from CAJA_DIARIA where COMPROBANTE = 'FC-1'"), 0);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from CAJA_DIARIA where COMPROBANTE = 'V-1'"), 1);
}

TEST_F(Anulacion, NotesAreReleasedAndTheExcessNoteAnnulled)
{
    EntornoPrueba::Ejecutar(env.tienda, "insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, IMP_TOTAL, FECHA, "
                                        "ANULADA, ASIGNADA, TIPO_NC) values ('NC-2000', 12, 12000, current_date, 'N', 'N', 2)");
    const QString tienda = VolcadoSin(env.tienda, kTrabajo + QStringList{"NOTAS_CREDITO_PROV"});
    const QString notas = EntornoPrueba::Volcado(env.tienda).section("== NOTAS_CREDITO_PROV", 1).section("== ", 0, 0);
    PagoCompra pago;
    pago.notasCredito = C("12430");
    pago.notasElegidas = {"NC-2000", "NC-1205"};  // 13850: 1420 left over
    pago.notaSaldo = "NC-SALDO";
    const int id = Publicar(pago);
    ASSERT_GT(id, 0);
    ASSERT_TRUE(Anulador()->AnularCompras(id));
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, "select ANULADA from NOTAS_CREDITO_PROV where COMPROBANTE = 'NC-SALDO'"), "S");
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from CUENTA_PROVEEDOR where COMPROBANTE = 'FC-1'"), 0);
    ASSERT_TRUE(Anulador()->BorrarCompra(id));
    EXPECT_EQ(VolcadoSin(env.tienda, kTrabajo + QStringList{"NOTAS_CREDITO_PROV"}), tienda);
    // The chosen notes are as they were (free, no invoice, no date).
    const QString despues = EntornoPrueba::Volcado(env.tienda).section("== NOTAS_CREDITO_PROV", 1).section("== ", 0, 0);
    EXPECT_TRUE(despues.startsWith(notas)) << despues.toStdString();
}

TEST_F(Anulacion, AWarehouseInvoiceGivesBackWarehouseStockAndASettlementTouchesNoStock)
{
    const QString stock = Existencias(env.inventario);
    DocumentoCompra bodega;
    bodega.inventarioPrincipal = false;
    bodega.codBodega = "001";
    const int id = Publicar(EfectivoYCredito(), bodega);
    ASSERT_GT(id, 0);
    EXPECT_EQ(EntornoPrueba::Moneda(env.inventario, "select EXISTENCIA from EXISTENCIAS where COD_ART = 'ART-1' and "
                                                    "COD_BODEGA = '001'"),
              C("10"));
    ASSERT_TRUE(Anulador()->AnularCompras(id));
    EXPECT_EQ(EntornoPrueba::Moneda(env.inventario, "select EXISTENCIA from EXISTENCIAS where COD_ART = 'ART-1' and "
                                                    "COD_BODEGA = '001'"),
              C("0"));
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("10"));
    EXPECT_EQ(Inv("COSTO_PROMEDIO", "ART-1"), C("800"));

    DocumentoCompra consignacion;
    consignacion.consignacionAFacturar = true;
    EntornoPrueba::Ejecutar(env.tienda, "insert into CONSIGNACIONES (ID_CONSIGNACION, COMPROBANTE, CODIGO_PROVEEDOR, "
                                        "ANULADA) values (900, 'CONS-900', 12, 'N')");
    consignacion.idConsignacion = 900;
    const QString antes = Existencias(env.inventario);
    const int id2 = Publicar(EfectivoYCredito(), consignacion, "FC-2");
    ASSERT_GT(id2, 0);
    EXPECT_EQ(Existencias(env.inventario), antes);
    ASSERT_TRUE(Anulador()->AnularCompras(id2));
    EXPECT_EQ(Existencias(env.inventario), antes);
    Q_UNUSED(stock);
}

TEST_F(Anulacion, AverageCostIsTakenBackByTheLine)
{
    // Stock 10 at 8; a hand-made invoice line of 4 at 5 already in stock: (80 - 20) / 6 = 10.
    // A line of the whole stock keeps the average.
    EntornoPrueba::Ejecutar(env.inventario, "update INVENTARIO set STOCK = 10, COSTO_PROMEDIO = 8 where COD_BARRAS = 'ART-1'");
    EntornoPrueba::Ejecutar(env.inventario, "update INVENTARIO set STOCK = 4, COSTO_PROMEDIO = 7 where COD_BARRAS = 'ART-2'");
    EntornoPrueba::Ejecutar(env.tienda, "insert into FACTURAS_COMPRA (ID_COMPRA, FECHA, COMPROBANTE, CODIGO_PROVEEDOR, "
                                        "ANULADA, IMPORTE_TOTAL) values (9000, current_date, 'A-1', 12, 'N', 40)");
    for (const char *fila : {"'ART-1', 4, 5", "'ART-2', 4, 9"}) {
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into DETALLE_FACTURAS_COMPRA (ID_COMPRA, FECHA, "
                                                           "COMPROBANTE, CODIGO_ARTICULO, CANTIDAD, IMPORTE_UNITARIO, "
                                                           "GRAVADO, IMPUESTO_INCLUIDO, ANULADA) values (9000, current_date, "
                                                           "'A-1', %1, 'N', 'N', 'N')").arg(fila));
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into MOVIMIENTOS_STOCK (FECHA, TIPO_MOVIMIENTO, "
                                                           "COD_BARRAS, COMPROBANTE, CANTIDAD, ID_TRANSACCION) values "
                                                           "(current_date, 3, %1, 'A-1', 4, 9000)")
                                                .arg(QString::fromLatin1(fila).section(',', 0, 0)));
    }
    ASSERT_TRUE(Anulador()->AnularCompras(9000));
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("6"));
    EXPECT_EQ(Inv("COSTO_PROMEDIO", "ART-1"), C("10"));
    EXPECT_EQ(Inv("STOCK", "ART-2"), C("0"));
    EXPECT_EQ(Inv("COSTO_PROMEDIO", "ART-2"), C("7"));
}

TEST_F(Anulacion, EarlierDaysCashAndAnotherSuppliersInvoiceWithTheSameNumber)
{
    const int id = Publicar(EfectivoYCredito());
    ASSERT_GT(id, 0);
    // The day was closed: the cash row now lives in CAJA_ANTERIOR.
    EntornoPrueba::Ejecutar(env.tienda, "insert into CAJA_ANTERIOR (FECHAHORA, CODIGO_MOVIMIENTO, COMPROBANTE, "
                                        "IMPORTE_EFECTIVO, SALDO) select FECHA_HORA, CODIGO_MOVIMIENTO, COMPROBANTE, "
                                        "IMPORTE_EFECTIVO, SALDO from CAJA_DIARIA where COMPROBANTE = 'FC-1'");
    EntornoPrueba::Ejecutar(env.tienda, "delete from CAJA_DIARIA where COMPROBANTE = 'FC-1'");
    // Supplier 15 has its own FC-1, with cash and credit of the same amounts.
    EntornoPrueba::Ejecutar(env.tienda, "insert into FACTURAS_COMPRA (ID_COMPRA, FECHA, COMPROBANTE, CODIGO_PROVEEDOR, "
                                        "ANULADA, EFECTIVO_CAJA, IMPORTE_EFECTIVO, IMPORTE_CREDITO, FECHA_CARGA) values "
                                        "(9100, current_date, 'FC-1', 15, 'N', 'S', 7430, 5000, current_timestamp)");
    EntornoPrueba::Ejecutar(env.tienda, "insert into DETALLE_FACTURAS_COMPRA (ID_COMPRA, COMPROBANTE, CODIGO_ARTICULO, "
                                        "CANTIDAD) values (9100, 'FC-1', 'ART-1', 1)");
    EntornoPrueba::Ejecutar(env.tienda, "insert into CAJA_DIARIA (FECHA_HORA, CODIGO_MOVIMIENTO, COMPROBANTE, "
                                        "IMPORTE_EFECTIVO) values (dateadd(day, -2, current_timestamp), 3, 'FC-1', 7430)");
    EntornoPrueba::Ejecutar(env.tienda, "insert into CUENTA_PROVEEDOR (COD_PROVEEDOR, COD_TIPO_MOV, COMPROBANTE, IMPORTE, "
                                        "FECHA) values (15, 1, 'FC-1', 5000, current_date)");
    EntornoPrueba::Ejecutar(env.tienda, "insert into MOVIMIENTOS_STOCK (FECHA, TIPO_MOVIMIENTO, COD_BARRAS, COMPROBANTE, "
                                        "CANTIDAD, ID_TRANSACCION) values (current_date, 3, 'ART-1', 'FC-1', 1, 9100)");
    ASSERT_TRUE(Anulador()->AnularCompras(id));
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from MOVIMIENTOS_STOCK where COMPROBANTE = 'FC-1'"), 1);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from CAJA_ANTERIOR where COMPROBANTE = 'FC-1'"), 0);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from CAJA_DIARIA where COMPROBANTE = 'FC-1'"), 1);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from CUENTA_PROVEEDOR where COMPROBANTE = 'FC-1' and "
                                                "COD_PROVEEDOR = 15"),
              1);
    // Deleting is refused for a posted invoice and leaves the other supplier's lines alone.
    env.mensajes.Limpiar();
    EXPECT_FALSE(Anulador()->Eliminar(9100));
    EXPECT_TRUE(env.mensajes.Mostro("Atención!\r\n\r\nNo puede eliminar esta factura sin antes anularla."));
    ASSERT_TRUE(Anulador()->BorrarCompra(id));
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from DETALLE_FACTURAS_COMPRA where COMPROBANTE = 'FC-1'"),
              1);
}

TEST_F(Anulacion, TwoStationsAnnullingTheSameInvoiceReverseItOnce)
{
    const int id = Publicar(EfectivoYCredito());
    ASSERT_GT(id, 0);
    const Currency stock = Inv("STOCK", "ART-1") - C("10");
    std::atomic<int> hechas{0};
    auto estacion = [&] {
        auto c = env.AbrirConexion();
        AnulacionCompra a(Conexiones(*c, false));
        struct Mudo : Mensajes {
            void Informacion(const QString &, const QString &) override {}
            void Advertencia(const QString &, const QString &) override {}
            void Error(const QString &, const QString &) override {}
            bool Pregunta(const QString &, const QString &) override { return true; }
            Respuesta PreguntaSiNoCancelar(const QString &, const QString &) override { return Respuesta::Si; }
            void Globo(QWidget *, const QString &, const QString &, int) override {}
        } mudo;
        a.EstablecerMensajes(&mudo);
        if (a.AnularCompras(id))
            ++hechas;
    };
    std::thread x(estacion), y(estacion);
    x.join();
    y.join();
    EXPECT_EQ(hechas.load(), 1);
    EXPECT_EQ(Inv("STOCK", "ART-1"), stock);
}

// An annulment and a posting of the same articles, entered in opposite orders, while a third
// station holds one of them: both lock the articles in article order and both go through.
TEST_F(Anulacion, AnAnnulmentAndAPostingOfTheSameArticlesDoNotDeadlock)
{
    Articulo(env, "ART-0", "0", "0");
    Encabezado(env.tienda, kEstacion, 1, "FC-ORDEN");
    for (const char *art : {"ART-2", "ART-0", "ART-1"})
        Linea(env.tienda, kEstacion, 1, art, 1, "100");
    auto p = ProcesoCompra::DesdeDatosComp(*env.datos);
    PagoCompra pago;
    pago.credito = C("339");
    pago.diasCredito = 30;
    const int id = p->Procesar(p->DocumentoDeEstacion(), p->TotalesDeEstacion(), pago);
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
    // Another station's invoice of the same articles, from another supplier.
    AjustesProcesoCompra ajustes = p->Ajustes();
    ajustes.inventario.computadora = "OTRA";
    Encabezado(env.tienda, "OTRA", 1, "FC-OTRA", 5);
    for (const char *art : {"ART-1", "ART-0", "ART-2"})
        Linea(env.tienda, "OTRA", 1, art, 1, "100");

    auto tercera = env.AbrirConexion();
    {
        db::Query q(&tercera->inventario, &tercera->transUpdateInv);
        q.setSql("update INVENTARIO set STOCK = STOCK where COD_BARRAS = 'ART-0'");
        q.execQuery();
    }
    MensajesHilo mensajes;
    std::atomic<int> publicada{0};
    std::atomic<bool> anulada{false};
    std::thread posteo([&] {
        auto c = env.AbrirConexion();
        ProcesoCompra q(Conexiones(*c), ajustes);
        q.EstablecerMensajes(&mensajes);
        const TotalesCompra t = q.TotalesDeEstacion();
        PagoCompra credito;
        credito.credito = t.total;
        credito.diasCredito = 30;
        publicada = q.Procesar(q.DocumentoDeEstacion(), t, credito);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    std::thread anulacion([&] {
        auto c = env.AbrirConexion();
        AnulacionCompra a(Conexiones(*c, false));
        a.EstablecerMensajes(&mensajes);
        anulada = a.AnularCompras(id);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    tercera->transUpdateInv.rollback();
    posteo.join();
    anulacion.join();
    EXPECT_GT(publicada.load(), 0) << mensajes.textos().join('|').toStdString();
    EXPECT_TRUE(anulada.load()) << mensajes.textos().join('|').toStdString();
    EXPECT_EQ(Inv("STOCK", "ART-0"), C("1"));
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("11"));
    EXPECT_EQ(Inv("STOCK", "ART-2"), C("5"));
}

TEST_F(Anulacion, AnyFailingStepLeavesBothDatabasesAsTheyWere)
{
    PrepararFallas(env.tienda, {"FACTURAS_COMPRA", "DETALLE_FACTURAS_COMPRA", "MOVIMIENTOS_STOCK", "CAJA_DIARIA",
                                "CUENTA_PROVEEDOR", "NOTAS_CREDITO_PROV", "TRANSACCIONES_2PC"});
    PrepararFallas(env.inventario, {"INVENTARIO", "EXISTENCIAS"});
    PrepararFallas(env.contabilidad, {"ASIENTOS", "LINEAS_ASIENTO"});
    EntornoPrueba::Ejecutar(env.tienda, "insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, IMP_TOTAL, FECHA, "
                                        "ANULADA, ASIGNADA, TIPO_NC) values ('NC-2000', 12, 2000, current_date, 'N', 'N', 2)");
    PagoCompra pago = EfectivoYCredito();
    pago.efectivo = C("5930");
    pago.notasCredito = C("1500");
    pago.notasElegidas = {"NC-2000"};
    pago.notaSaldo = "NC-SALDO";
    const int id = Publicar(pago);
    DocumentoCompra bodega;
    bodega.inventarioPrincipal = false;
    bodega.codBodega = "001";
    const int id2 = Publicar(EfectivoYCredito(), bodega, "FC-2");
    ASSERT_GT(id, 0);
    ASSERT_GT(id2, 0);
    struct Caso {
        db::Database *base;
        const char *clave;
        int factura;
    } casos[] = {{&env.tienda, "FACTURAS_COMPRA:U", id},        {&env.inventario, "INVENTARIO:U", id},
                 {&env.inventario, "EXISTENCIAS:U", id2},        {&env.tienda, "CAJA_DIARIA:D", id},
                 {&env.tienda, "MOVIMIENTOS_STOCK:D", id},       {&env.tienda, "CUENTA_PROVEEDOR:D", id},
                 {&env.tienda, "NOTAS_CREDITO_PROV:U", id},      {&env.tienda, "DETALLE_FACTURAS_COMPRA:U", id},
                 {&env.tienda, "TRANSACCIONES_2PC:I", id},       {&env.contabilidad, "ASIENTOS:I", id},
                 {&env.contabilidad, "LINEAS_ASIENTO:I", id}};
    for (const Caso &caso : casos) {
        SCOPED_TRACE(caso.clave);
        Fallar(*caso.base, caso.clave);
        const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario),
                      k = EntornoPrueba::Volcado(env.contabilidad);
        env.mensajes.Limpiar();
        EXPECT_FALSE(Anulador()->AnularCompras(caso.factura));
        EXPECT_FALSE(env.mensajes.mostrados().empty());
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
        EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
        EXPECT_EQ(EntornoPrueba::Volcado(env.contabilidad), k);
        Fallar(*caso.base, {});
    }
    // Deleting: lines and header.
    ASSERT_TRUE(Anulador()->AnularCompras(id));
    for (const char *clave : {"DETALLE_FACTURAS_COMPRA:D", "FACTURAS_COMPRA:D"}) {
        SCOPED_TRACE(clave);
        Fallar(env.tienda, clave);
        const QString t = EntornoPrueba::Volcado(env.tienda);
        EXPECT_FALSE(Anulador()->BorrarCompra(id));
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
        Fallar(env.tienda, {});
    }
    EXPECT_TRUE(Anulador()->BorrarCompra(id));
}

} // namespace

#include "support/PruebaVentanas.h"
PRUEBAS_CON_VENTANAS_MAIN()
