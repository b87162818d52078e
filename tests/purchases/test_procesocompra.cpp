// Posting a purchase invoice: what each payment writes, failures leaving no trace, and
// several stations posting at once.

#include "purchases/PosteoPrueba.h"

#include "platform/Mensajes.h"

#include <QFile>
#include <QSet>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

using namespace posteo;

namespace {

const QString kEstacion = QStringLiteral("PRUEBA");

class Posteo : public ::testing::Test {
protected:
    EntornoPrueba env;

    void SetUp() override
    {
        PrepararCaja(env);
        Articulo(env, "ART-1", "10", "800");
        Articulo(env, "ART-2", "0", "0");
    }
    // Invoice FC-1 of supplier 12: 10 x ART-1 at 1000 (+13 % tax): total 11300.
    void Lineas(const QString &comprobante = "FC-1")
    {
        Encabezado(env.tienda, kEstacion, 1, comprobante);
        Linea(env.tienda, kEstacion, 1, "ART-1", 10, "1000");
    }
    std::unique_ptr<ProcesoCompra> Proceso() { return ProcesoCompra::DesdeDatosComp(*env.datos); }
    int Publicar(const PagoCompra &pago, DocumentoCompra *doc = nullptr)
    {
        auto p = Proceso();
        DocumentoCompra d = p->DocumentoDeEstacion();
        if (doc) {
            CopiarEncabezado(d, *doc);
            d = *doc;
        }
        const TotalesCompra t = p->TotalesDeEstacion(d.proveedorExento);
        return p->Procesar(d, t, pago);
    }
    Currency M(const QString &sql) { return EntornoPrueba::Moneda(env.tienda, sql); }
    Currency Inv(const char *campo, const char *cod = "ART-1")
    {
        return EntornoPrueba::Moneda(env.inventario,
                                     QStringLiteral("select %1 from INVENTARIO where COD_BARRAS = '%2'").arg(campo, cod));
    }
    int Conta(const QString &sql) { return EntornoPrueba::Entero(env.contabilidad, sql); }
    Currency UltimoSaldoCaja()
    {
        return M("select first 1 SALDO from CAJA_DIARIA order by FECHA_HORA desc, TURNO desc, ID_CAJA desc");
    }
};

TEST_F(Posteo, CashFromTheTillPostsStockPricesTillAndAnEntry)
{
    Lineas();
    const Currency saldo = UltimoSaldoCaja();
    const int asientos = Conta("select max(ID_ASIENTO) from ASIENTOS where FK_EMPRESA = 1 and FK_PERIODO = 1");
    PagoCompra pago;
    pago.efectivo = C("11300");
    const int id = Publicar(pago);
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();

    // Header, converted nothing (local currency), supplier data from the supplier card.
    const QString h = QStringLiteral("from FACTURAS_COMPRA where ID_COMPRA = %1").arg(id);
    EXPECT_EQ(M("select IMPORTE_TOTAL " + h), C("11300"));
    EXPECT_EQ(M("select IMPORTE_IV " + h), C("1300"));
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, "select EFECTIVO_CAJA " + h), "S");
    EXPECT_FALSE(EntornoPrueba::Texto(env.tienda, "select CEDULA " + h).isEmpty());
    // The line keeps the article as it was and the new sale price without tax.
    const QString d = QStringLiteral("from DETALLE_FACTURAS_COMPRA where ID_COMPRA = %1").arg(id);
    EXPECT_EQ(M("select PROMEDIO_ANTERIOR " + d), C("800"));
    EXPECT_EQ(M("select CANTIDAD_ANTERIOR " + d), C("10"));
    EXPECT_EQ(M("select PRECIO_VENTA_SIN_IV " + d), C("1300"));

    // Stock, average and the four levels (level 3 is manual and stays).
    EXPECT_EQ(Inv("STOCK"), C("20"));
    EXPECT_EQ(Inv("COSTO_PROMEDIO"), C("900"));
    EXPECT_EQ(Inv("PRECIO_COMPRA"), C("1000"));
    EXPECT_EQ(Inv("PRECIOSINIV_1"), C("1300"));
    EXPECT_EQ(Inv("PRECIOCONIV_1"), C("1469"));
    EXPECT_EQ(Inv("PRECIOSINIV_2"), C("1125"));
    EXPECT_EQ(Inv("PRECIOCONIV_2"), C("1271"));
    EXPECT_EQ(Inv("PRECIOCONIV_3"), C("791"));
    EXPECT_EQ(Inv("PRECIOSINIV_4"), C("900"));
    EXPECT_EQ(Inv("PRECIOCONIV_4"), C("1017"));
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda,
                                    QStringLiteral("select count(*) from MOVIMIENTOS_STOCK where ID_TRANSACCION = %1").arg(id)),
              1);

    // The till pays out from the last balance.
    EXPECT_EQ(UltimoSaldoCaja(), saldo - C("11300"));
    EXPECT_EQ(M("select IMPORTE_EFECTIVO from CAJA_DIARIA where CODIGO_MOVIMIENTO = 3 and COMPROBANTE = 'FC-1'"),
              C("11300"));

    // Entry: next number of the period, inventory and tax against cash, balanced.
    const int n = asientos + 1;
    EXPECT_EQ(Conta("select max(ID_ASIENTO) from ASIENTOS where FK_EMPRESA = 1 and FK_PERIODO = 1"), n);
    const QString l = QStringLiteral("from LINEAS_ASIENTO where FK_ASIENTO = %1 and FK_PERIODO = 1 and CUENTA = ").arg(n);
    EXPECT_EQ(EntornoPrueba::Moneda(env.contabilidad, "select IMPORTE_DEBE " + l + "'1-01-04-001'"), C("10000"));
    EXPECT_EQ(EntornoPrueba::Moneda(env.contabilidad, "select IMPORTE_DEBE " + l + "'1-01-05-002'"), C("1300"));
    EXPECT_EQ(EntornoPrueba::Moneda(env.contabilidad, "select IMPORTE_HABER " + l + "'1-01-01-001'"), C("11300"));
    EXPECT_EQ(Conta(QStringLiteral("select count(*) from LINEAS_ASIENTO where FK_ASIENTO = %1 and FK_PERIODO = 1").arg(n)), 3);
    EXPECT_EQ(EntornoPrueba::Texto(env.contabilidad,
                                   QStringLiteral("select BLANCEADO from ASIENTOS where ID_ASIENTO = %1 and FK_PERIODO = 1").arg(n)),
              "S");
    // The station's work rows went with the posting.
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from TEMPORAL_COMPRAS"), 0);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from TEMPORAL_ENC_COMPRA"), 0);
}

TEST_F(Posteo, CreditAndChequeGoToTheSupplierAccountAndTheBank)
{
    Lineas();
    const int caja = EntornoPrueba::Entero(env.tienda, "select count(*) from CAJA_DIARIA");
    PagoCompra pago;
    pago.cheque = C("6000");
    pago.numeroCheque = "CH-77";
    pago.cuentaBancaria = 1;
    pago.credito = C("5300");
    pago.diasCredito = 30;
    auto p = Proceso();
    MovimientoBanco visto;
    p->RegistrarCheque = [&](MovimientoBanco &m) {
        visto = m;
        m.beneficiario = "PAGADO A";
        return true;
    };
    DocumentoCompra d = p->DocumentoDeEstacion();
    const int id = p->Procesar(d, p->TotalesDeEstacion(), pago);
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(visto.concepto, "Pago de Factura de Compra Nº FC-1");
    EXPECT_EQ(visto.importe, C("6000"));
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, "select BENEFICIARIO from MOVIM_BANCO where COMPROBANTE = 'CH-77'"),
              "PAGADO A");
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from CAJA_DIARIA"), caja);
    const QString c = "from CUENTA_PROVEEDOR where COD_TIPO_MOV = 1 and COMPROBANTE = 'FC-1' and COD_PROVEEDOR = 12";
    EXPECT_EQ(M("select A_CANCELAR " + c), C("5300"));
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select datediff(day from FECHA to FECHA_VENCIMIENTO) " + c), 30);
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select EFECTIVO_CAJA from FACTURAS_COMPRA where ID_COMPRA = %1").arg(id)),
              "N");
    const int n = p->UltimoAsiento();
    const QString l = QStringLiteral("select IMPORTE_HABER from LINEAS_ASIENTO where FK_ASIENTO = %1 and FK_PERIODO = 1 and "
                                     "CUENTA = ").arg(n);
    EXPECT_EQ(EntornoPrueba::Moneda(env.contabilidad, l + "'1-01-02-001'"), C("6000"));
    EXPECT_EQ(EntornoPrueba::Moneda(env.contabilidad, l + "'2-01-01-001'"), C("5300"));
}

TEST_F(Posteo, TheHeaderKeepsTheDiscountPercentageTheTotalsShow)
{
    // One line with its own 10 % discount, one without: 1000 off 20000 before tax is 5 %.
    Encabezado(env.tienda, kEstacion, 1, "FC-1");
    LineaConDescuento(env.tienda, kEstacion, 1, "ART-1", 10, "1000", "10");
    Linea(env.tienda, kEstacion, 1, "ART-2", 10, "1000");
    PagoCompra pago;
    pago.credito = C("21470");
    pago.diasCredito = 30;
    const int id = Publicar(pago);
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
    const QString h = QStringLiteral(" from FACTURAS_COMPRA where ID_COMPRA = %1").arg(id);
    EXPECT_EQ(M("select IMPORTE_DESCUENTO" + h), C("1000"));
    EXPECT_EQ(M("select PORC_DESCUENTO" + h), C("5"));

    // A header percentage stands when only the lines' rounding tells it from the totals.
    TotalesCompra t;
    t.totalSinIv = C("299.97");
    t.descuento = C("29.99");
    EXPECT_EQ(PorcentajeDescuento(C("10"), t), C("10"));
    EXPECT_EQ(PorcentajeDescuento(Currency(), t), C("9.9977"));
    EXPECT_EQ(PorcentajeDescuento(C("10"), TotalesCompra()), Currency());
}

TEST(DemoCaja, TodaysDemoRowsLieInThePastAndTheDemoInvoiceMatchesItsCashRowAndEntry)
{
    EntornoPrueba env;
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from CAJA_DIARIA where FECHA_HORA > current_timestamp"), 0);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from FACTURAS_COMPRA where FECHA_CARGA > current_timestamp"),
              0);
    EXPECT_EQ(EntornoPrueba::Entero(env.contabilidad, "select count(*) from ASIENTOS where CREATE_TMSTMP > current_timestamp"),
              0);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from FACTURAS_COMPRA f join CAJA_DIARIA c on "
                                                "c.COMPROBANTE = f.COMPROBANTE and c.FECHA_HORA = f.FECHA_CARGA where "
                                                "f.COMPROBANTE = '0012-88410'"),
              1);
}

TEST_F(Posteo, SecondCurrencyIsStoredConvertedAndTheAccountKeepsTheOriginal)
{
    Encabezado(env.tienda, kEstacion, 1, "FC-USD");
    Linea(env.tienda, kEstacion, 1, "ART-2", 5, "2");  // 5 x $2 + 13 % = $11.30
    DocumentoCompra doc;
    doc.monedaCarga = 2;
    PagoCompra pago;
    pago.credito = C("11.30");
    pago.diasCredito = 15;
    const int id = Publicar(pago, &doc);
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(M(QStringLiteral("select IMPORTE_TOTAL from FACTURAS_COMPRA where ID_COMPRA = %1").arg(id)), C("5876"));
    EXPECT_EQ(M(QStringLiteral("select IMPORTE_UNITARIO from DETALLE_FACTURAS_COMPRA where ID_COMPRA = %1").arg(id)),
              C("1040"));
    const QString c = "from CUENTA_PROVEEDOR where COMPROBANTE = 'FC-USD'";
    EXPECT_EQ(M("select IMPORTE " + c), C("5876"));
    EXPECT_EQ(M("select C_IMPORTE " + c), C("11.30"));
    EXPECT_EQ(Inv("COSTO_PROMEDIO", "ART-2"), C("1040"));
}

TEST_F(Posteo, NotesWorthMoreThanTheInvoiceLeaveANewNoteForTheExcess)
{
    Lineas();
    EntornoPrueba::Ejecutar(env.tienda, "insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, IMP_TOTAL, FECHA, "
                                        "ANULADA, ASIGNADA, TIPO_NC) values ('NC-2000', 12, 10000, current_date, 'N', 'N', 2)");
    PagoCompra pago;
    pago.notasCredito = C("11300");
    pago.notasElegidas = {"NC-1205", "", "NC-2000"};  // 1850 + 10000
    // The balance note cannot take the number of a note the supplier already has.
    const QString tienda = EntornoPrueba::Volcado(env.tienda);
    pago.notaSaldo = "NC-2000";
    EXPECT_EQ(Publicar(pago), 0);
    EXPECT_TRUE(env.mensajes.Mostro(
        "Ya existe la nota de crédito NC-2000 de este proveedor: elija otro número para la nota del saldo."));
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tienda);
    pago.notaSaldo = "NC-SALDO";
    const int id = Publicar(pago);
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from NOTAS_CREDITO_PROV where ASIGNADA = 'S' and "
                                                "APLICA_FACTURA = 'FC-1' and APLICA_FECHA is not null"),
              2);
    EXPECT_EQ(M("select IMPORTE from CUENTA_PROVEEDOR where COD_TIPO_MOV = 5 and COMPROBANTE = 'FC-1'"), C("550"));
    EXPECT_EQ(M("select IMP_TOTAL from NOTAS_CREDITO_PROV where COMPROBANTE = 'NC-SALDO' and TIPO_NC = 3 and "
                "ASIGNADA = 'N' and COD_PROVEEDOR = 12"),
              C("550"));
    EXPECT_EQ(M(QStringLiteral("select IMPORTE_NC from FACTURAS_COMPRA where ID_COMPRA = %1").arg(id)), C("11300"));
    // Notes have no account: the entry's debits exceed its credits.
    EXPECT_EQ(EntornoPrueba::Texto(env.contabilidad, QStringLiteral("select BLANCEADO from ASIENTOS where FK_PERIODO = 1 "
                                                                    "and ID_ASIENTO = (select max(ID_ASIENTO) from "
                                                                    "ASIENTOS where FK_PERIODO = 1)")),
              "N");

    // A note already applied cannot pay a second invoice.
    env.mensajes.Limpiar();
    Lineas("FC-2");
    const QString antes = EntornoPrueba::Volcado(env.tienda);
    pago.notasCredito = C("11300");
    pago.notasElegidas = {"NC-2000"};
    pago.notaSaldo.clear();
    EXPECT_EQ(Publicar(pago), 0);
    EXPECT_TRUE(env.mensajes.Mostro("Error al marcar el detalle de la nota de credito."));
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), antes);
}

// A total with sub-cent digits (3 x 33.3333 + 13 % = 112.999887): whether the caller rounded
// it (the payment window) or not (the command line), the invoice, the till and the entry carry
// the same cents, and the entry balances.
TEST_F(Posteo, ASubCentTotalPostsTheSameCentsWhoeverRoundedItAndTheEntryBalances)
{
    auto publicar = [&](const QString &comprobante, bool redondeado) {
        Encabezado(env.tienda, kEstacion, 1, comprobante);
        Linea(env.tienda, kEstacion, 1, "ART-1", 3, "33.3333");
        auto p = Proceso();
        TotalesCompra t = p->TotalesDeEstacion();
        EXPECT_EQ(t.total, C("112.999887"));
        if (redondeado)
            t.total = C("113");
        PagoCompra pago;
        pago.efectivo = C("113");
        const int id = p->Procesar(p->DocumentoDeEstacion(), t, pago);
        EXPECT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
        EXPECT_FALSE(p->AsientoConProblemas());
        return std::make_pair(id, p->UltimoAsiento());
    };
    const auto [idCli, asientoCli] = publicar("FC-CLI", false);
    const auto [idVentana, asientoVentana] = publicar("FC-VENTANA", true);
    EXPECT_TRUE(env.mensajes.mostrados().empty()) << env.mensajes.textos().join('|').toStdString();

    auto factura = [&](int id) {
        return EntornoPrueba::Texto(env.tienda, QStringLiteral("select IMPORTE_TOTAL || '|' || IMPORTE_IV || '|' || "
                                                               "IMPORTE_EFECTIVO from FACTURAS_COMPRA where ID_COMPRA = %1")
                                                    .arg(id));
    };
    EXPECT_EQ(factura(idCli), "113.00|13.00|113.00");
    EXPECT_EQ(factura(idCli), factura(idVentana));
    auto asiento = [&](int n) {
        return EntornoPrueba::Texto(env.contabilidad,
                                    QStringLiteral("select list(CUENTA || ':' || IMPORTE_DEBE || ':' || IMPORTE_HABER, ' ') "
                                                   "from (select * from LINEAS_ASIENTO where FK_PERIODO = 1 and FK_ASIENTO = "
                                                   "%1 order by CUENTA)")
                                        .arg(n));
    };
    EXPECT_EQ(asiento(asientoCli), asiento(asientoVentana));
    for (int n : {asientoCli, asientoVentana}) {
        SCOPED_TRACE(n);
        const QString w = QStringLiteral(" from LINEAS_ASIENTO where FK_PERIODO = 1 and FK_ASIENTO = %1").arg(n);
        EXPECT_EQ(EntornoPrueba::Moneda(env.contabilidad, "select sum(IMPORTE_DEBE)" + w), C("113"));
        EXPECT_EQ(EntornoPrueba::Moneda(env.contabilidad, "select sum(IMPORTE_HABER)" + w), C("113"));
        EXPECT_EQ(EntornoPrueba::Texto(env.contabilidad,
                                       QStringLiteral("select BLANCEADO from ASIENTOS where FK_PERIODO = 1 and ID_ASIENTO = %1")
                                           .arg(n)),
                  "S");
    }
}

TEST(ValidacionPago, SumAndTotalAreComparedAtTwoDecimals)
{
    struct Caso {
        const char *efectivo, *credito;
        int dias;
        ValidacionPago::Fallo fallo;
        const char *mensaje;
    } casos[] = {
        {"100.004", "0", 0, ValidacionPago::Fallo::Ninguno, ""},
        {"50", "50", 0, ValidacionPago::Fallo::DiasCredito, "Debe digitar el número de días para el crédito"},
        {"90", "0", 0, ValidacionPago::Fallo::Falta, "No se ha completado el Monto Total, falta: 10.00"},
        {"1100", "0", 0, ValidacionPago::Fallo::Excede, "Se ha excedido el monto a pagar, se esta recibiendo 1,000.00 de más"},
        {"60", "40", 8, ValidacionPago::Fallo::Ninguno, ""},
    };
    for (const Caso &c : casos) {
        PagoCompra p;
        p.efectivo = C(c.efectivo);
        p.credito = C(c.credito);
        p.diasCredito = c.dias;
        const ValidacionPago v = ProcesoCompra::Validar(C("100"), p);
        EXPECT_EQ(v.fallo, c.fallo) << c.efectivo;
        EXPECT_EQ(v.mensaje, QString::fromUtf8(c.mensaje));
    }
}

TEST_F(Posteo, NothingIsWrittenWhenTheChequeIsCancelledTheNumberIsUsedOrTheDocumentIsNoInvoice)
{
    Lineas();
    const QString tienda = EntornoPrueba::Volcado(env.tienda), inv = EntornoPrueba::Volcado(env.inventario);
    auto p = Proceso();
    p->RegistrarCheque = [](MovimientoBanco &) { return false; };
    PagoCompra pago;
    pago.cheque = C("11300");
    DocumentoCompra d = p->DocumentoDeEstacion();
    EXPECT_EQ(p->Procesar(d, p->TotalesDeEstacion(), pago), 0);
    EXPECT_EQ(p->EstadoUltimo(), ProcesoCompra::Estado::ChequeCancelado);
    d.tipoDocumento = "Nota de Crédito";
    EXPECT_EQ(p->Procesar(d, p->TotalesDeEstacion(), pago), 0);
    EXPECT_EQ(p->EstadoUltimo(), ProcesoCompra::Estado::NoEsFactura);

    // A demo invoice number of the same supplier.
    const QString usado = EntornoPrueba::Texto(env.tienda, "select first 1 COMPROBANTE from FACTURAS_COMPRA where "
                                                           "CODIGO_PROVEEDOR = 12");
    ASSERT_FALSE(usado.isEmpty());
    d.tipoDocumento = "Factura";
    d.comprobante = usado;
    p->RegistrarCheque = nullptr;
    EXPECT_EQ(p->Procesar(d, p->TotalesDeEstacion(), pago), 0);
    EXPECT_TRUE(env.mensajes.Mostro("Este Comprobante ya fue Utilizado por este proveedor"));
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tienda);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inv);

    // A cheque must be drawn on an account that exists.
    d.comprobante = "FC-CUENTA";
    pago.cuentaBancaria = 999;
    EXPECT_EQ(p->Procesar(d, p->TotalesDeEstacion(), pago), 0);
    EXPECT_TRUE(env.mensajes.Mostro("La cuenta bancaria del cheque no existe (cuenta 999)."));
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tienda);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inv);
}

TEST_F(Posteo, TheCashDrawerOpensOnTheTillsDevice)
{
    Lineas();
    auto p = Proceso();
    AjustesProcesoCompra a = p->Ajustes();
    a.impresoraEpson = true;
    a.abreCajonFinal = true;
    a.modeloEpson = "TM-U 300";
    a.dispositivoTicket = env.carpeta.file("cajon");
    ConexionesCompra c{&env.tienda, &env.transUpdate, &env.inventario, &env.transUpdateInv, nullptr, nullptr};
    ProcesoCompra q(c, a);
    PagoCompra pago;
    pago.efectivo = C("11300");
    ASSERT_GT(q.Procesar(p->DocumentoDeEstacion(), p->TotalesDeEstacion(), pago), 0);
    QFile f(a.dispositivoTicket);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\x1b\x70\x00\x19\xfa\r\n", 7));
    EXPECT_EQ(BytesAperturaCajon("TM-U 220"), QByteArray("\x1b\x70\x00", 3));
}

// Every write of the posting made to fail in turn: the three databases stay as they were.
TEST_F(Posteo, AnyFailingWriteLeavesTheThreeDatabasesAsTheyWere)
{
    PrepararFallas(env.tienda, {"MOVIM_BANCO", "FACTURAS_COMPRA", "DETALLE_FACTURAS_COMPRA", "MOVIMIENTOS_STOCK",
                                "CAJA_DIARIA", "CUENTA_PROVEEDOR", "NOTAS_CREDITO_PROV", "DETALLE_CONSIGNACION",
                                "CONSIGNACIONES", "PEDIDOS", "TEMPORAL_COMPRAS", "TEMPORAL_ENC_COMPRA",
                                "TRANSACCIONES_2PC"});
    PrepararFallas(env.inventario, {"INVENTARIO", "EXISTENCIAS", "COMPUESTO"});
    PrepararFallas(env.contabilidad, {"TRANSACCIONES_2PC"});
    // The chosen purchase price (950, on no line) is the only write of that value.
    EntornoPrueba::Ejecutar(env.inventario, "create trigger T_FALLA_PRECIO for INVENTARIO active before update "
                                            "position 31 as begin if (new.PRECIO_COMPRA = 950 and exists(select 1 from "
                                            "FALLA_PRUEBA where CLAVE = 'INVENTARIO:PRECIO')) then exception "
                                            "E_FALLA_PRUEBA; end");
    // A composition that uses ART-1, a consignment holding ART-1 and an order.
    EntornoPrueba::Ejecutar(env.inventario, "insert into COMPUESTO (COD_BARRAS, COD_ARTICULO, CANTIDAD, COSTO) values "
                                            "('ART-2', 'ART-1', 1, 800)");
    EntornoPrueba::Ejecutar(env.tienda, "insert into CONSIGNACIONES (ID_CONSIGNACION, COMPROBANTE, CODIGO_PROVEEDOR, "
                                        "ANULADA, PROCESADA) values (900, 'CONS-900', 12, 'N', 'N')");
    EntornoPrueba::Ejecutar(env.tienda, "insert into DETALLE_CONSIGNACION (ID_CONSIGNACION, CODIGO_ARTICULO, CANTIDAD, "
                                        "PROCESADOS) values (900, 'ART-1', 10, 0)");
    EntornoPrueba::Ejecutar(env.tienda, "insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, IMP_TOTAL, FECHA, "
                                        "ANULADA, ASIGNADA, TIPO_NC) values ('NC-2000', 12, 10000, current_date, 'N', 'N', 2)");

    struct Caso {
        db::Database *base;
        const char *clave;
        int escenario;  // 0 main inventory, every payment; 1 warehouse; 2 consignment settlement
    } casos[] = {
        {&env.tienda, "MOVIM_BANCO:I", 0},          {&env.tienda, "FACTURAS_COMPRA:I", 0},
        {&env.tienda, "DETALLE_FACTURAS_COMPRA:I", 0}, {&env.inventario, "INVENTARIO:U", 0},
        {&env.inventario, "COMPUESTO:U", 0},        {&env.tienda, "MOVIMIENTOS_STOCK:I", 0},
        {&env.tienda, "DETALLE_FACTURAS_COMPRA:U", 2}, {&env.tienda, "CAJA_DIARIA:I", 0},
        {&env.tienda, "CUENTA_PROVEEDOR:I", 0},     {&env.tienda, "NOTAS_CREDITO_PROV:U", 0},
        {&env.tienda, "NOTAS_CREDITO_PROV:I", 0},   {&env.tienda, "PEDIDOS:U", 0},
        {&env.tienda, "TEMPORAL_COMPRAS:D", 0},     {&env.tienda, "TEMPORAL_ENC_COMPRA:D", 0},
        {&env.tienda, "TRANSACCIONES_2PC:I", 0},    {&env.inventario, "EXISTENCIAS:I", 1},
        {&env.inventario, "INVENTARIO:U", 2},       {&env.tienda, "DETALLE_CONSIGNACION:U", 2},
        {&env.tienda, "CONSIGNACIONES:U", 2},       {&env.inventario, "INVENTARIO:PRECIO", 0},
        {&env.inventario, "INVENTARIO:PRECIO", 2},
    };
    for (const Caso &caso : casos) {
        SCOPED_TRACE(caso.clave);
        EntornoPrueba::Ejecutar(env.tienda, "delete from TEMPORAL_COMPRAS");
        EntornoPrueba::Ejecutar(env.tienda, "delete from TEMPORAL_ENC_COMPRA");
        Lineas();
        Linea(env.tienda, kEstacion, 1, "ART-2", 2, "500", "S");  // total 11300 + 1130
        Fallar(*caso.base, caso.clave);
        const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario),
                      k = EntornoPrueba::Volcado(env.contabilidad);
        env.mensajes.Limpiar();
        DocumentoCompra doc;
        doc.modoPedido = true;
        doc.nroPedido = "000000000001";
        doc.inventarioPrincipal = caso.escenario != 1;
        doc.codBodega = caso.escenario == 1 ? "001" : "";
        doc.consignacionAFacturar = caso.escenario == 2;
        doc.idConsignacion = caso.escenario == 2 ? 900 : 0;
        doc.preciosElegidos = {{"ART-1", C("950")}};
        PagoCompra pago;
        pago.efectivo = C("1430");
        pago.cheque = C("1000");
        pago.numeroCheque = "CH-1";
        pago.cuentaBancaria = 1;
        pago.credito = C("1000");
        pago.diasCredito = 30;
        pago.notasCredito = C("9000");
        pago.notasElegidas = {"NC-2000"};
        pago.notaSaldo = "NC-SALDO";
        EXPECT_EQ(Publicar(pago, &doc), 0);
        EXPECT_FALSE(env.mensajes.mostrados().empty());
        EXPECT_FALSE(env.datos->TransaccionGlobal);
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
        EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
        EXPECT_EQ(EntornoPrueba::Volcado(env.contabilidad), k);
        if (QLatin1String(caso.clave) == QLatin1String("INVENTARIO:PRECIO")) {
            EXPECT_TRUE(env.mensajes.Mostro("Error al actualizar el inventario "));
        }
        Fallar(*caso.base, {});
    }
    // With no switch on, the same invoice posts (the scenarios above did reach their step).
    DocumentoCompra doc;
    doc.preciosElegidos = {{"ART-1", C("950")}};
    PagoCompra pago;
    pago.efectivo = C("12430");
    EXPECT_GT(Publicar(pago, &doc), 0) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(Inv("PRECIO_COMPRA"), C("950"));
}

// One article typed at two costs (10 units, then 5): the chosen cost becomes its purchase price
// and the base of the sale prices built on it, while stock and average cost count every line.
TEST_F(Posteo, TheChosenCostIsThePurchasePriceThePostingUsed)
{
    struct Caso {
        const char *nombre;
        int moneda;
        const char *primero, *segundo;  // the two lines' unit costs, in the invoice's currency
        bool ivIncluido;
        const char *elegido;
        const char *precioCompra, *sinIv1, *promedio;  // nullptr: not checked
    } casos[] = {
        {"first line's cost", 1, "1000", "1200", false, "1000", "1000", "1300", "960"},
        {"last line's cost", 1, "1000", "1200", false, "1200", "1200", "1560", "960"},
        {"a typed cost", 1, "1000", "1200", false, "1100", "1100", nullptr, "960"},
        {"tax included", 1, "1000", "1200", true, "1000", "1130", "1300", nullptr},
        {"tax included, typed", 1, "1000", "1200", true, "1100", "1243", nullptr, nullptr},
        {"second currency", 2, "2", "3", false, "2", "1040", "1352", "1048"},
    };
    int n = 0;
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nombre);
        EntornoPrueba::Ejecutar(env.inventario, "update INVENTARIO set STOCK = 10, COSTO_PROMEDIO = 800, "
                                                "PRECIO_COMPRA = 800 where COD_BARRAS = 'ART-1'");
        const QString comprobante = QStringLiteral("FC-E%1").arg(++n);
        Encabezado(env.tienda, kEstacion, 1, comprobante);
        Linea(env.tienda, kEstacion, 1, "ART-1", 10, c.primero);
        Linea(env.tienda, kEstacion, 1, "ART-1", 5, c.segundo);
        if (c.ivIncluido)
            EntornoPrueba::Ejecutar(env.tienda, "update TEMPORAL_COMPRAS set IVI = 'S'");
        DocumentoCompra doc;
        doc.monedaCarga = c.moneda;
        doc.preciosElegidos = {{"ART-1", C(c.elegido)}};
        PagoCompra pago;
        pago.efectivo = Proceso()->TotalesDeEstacion().total;
        ASSERT_GT(Publicar(pago, &doc), 0) << env.mensajes.textos().join('|').toStdString();
        EXPECT_EQ(Inv("STOCK"), C("25"));
        EXPECT_EQ(Inv("PRECIO_COMPRA"), C(c.precioCompra));
        if (c.sinIv1) {
            EXPECT_EQ(Inv("PRECIOSINIV_1"), C(c.sinIv1));
        }
        if (c.promedio) {
            EXPECT_EQ(Inv("COSTO_PROMEDIO"), C(c.promedio));
        }
        // Both lines are on the invoice, in the order they were typed.
        EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select list(CANTIDAD, '|') from (select cast(CANTIDAD as integer) as CANTIDAD "
                                                                  "from DETALLE_FACTURAS_COMPRA where COMPROBANTE = '%1' "
                                                                  "order by ID_DETALLE_FACTURA)")
                                                       .arg(comprobante)),
                  "10|5");
    }
}

TEST_F(Posteo, AFailingEntryLineLeavesTheEntryUnbalancedAndThePostingGoesOn)
{
    PrepararFallas(env.contabilidad, {"LINEAS_ASIENTO", "ASIENTOS"});
    for (const char *clave : {"LINEAS_ASIENTO:I", "ASIENTOS:I"}) {
        SCOPED_TRACE(clave);
        const QString comprobante = QStringLiteral("FC-") + QLatin1String(clave).left(2);
        Lineas(comprobante);
        Fallar(env.contabilidad, clave);
        env.mensajes.Limpiar();
        auto p = Proceso();
        PagoCompra pago;
        pago.efectivo = C("11300");
        EXPECT_GT(p->Procesar(p->DocumentoDeEstacion(), p->TotalesDeEstacion(), pago), 0);
        EXPECT_TRUE(p->AsientoConProblemas());
        EXPECT_TRUE(env.mensajes.Mostro("Atención!\r\n\r\nAlgo quedó mal en el asiento que se acaba de generar.\r\n"
                                        "Por favor, reviselo en el módulo de contabilidad"));
        const QString entrada = EntornoPrueba::Texto(
            env.contabilidad, QStringLiteral("select BLANCEADO from ASIENTOS where DESCRIPCION = 'Compra - Factura Nº %1'")
                                  .arg(comprobante));
        EXPECT_EQ(entrada, QString::fromLatin1(clave[0] == 'L' ? "N" : ""));
        Fallar(env.contabilidad, {});
    }
}

TEST_F(Posteo, StationsPostingTheSameArticlesAtOnceLoseNothing)
{
    AjustesProcesoCompra base = Proceso()->Ajustes();
    constexpr int kHilos = 3, kRondas = 6;
    MensajesHilo mensajesHilos;
    std::atomic<int> publicadas{0}, duplicadas{0};
    auto estacion = [&](int h) {
        auto c = env.AbrirConexion();
        AjustesProcesoCompra a = base;
        a.inventario.computadora = QStringLiteral("HILO%1").arg(h);
        ProcesoCompra p(Conexiones(*c), a);
        p.EstablecerMensajes(&mensajesHilos);
        for (int r = 0; r < kRondas; ++r) {
            // Even rounds: every station its own number; odd rounds: all the same number.
            const QString numero = r % 2 == 0 ? QStringLiteral("H%1-R%2").arg(h).arg(r) : QStringLiteral("MISMO-%1").arg(r);
            Encabezado(c->tienda, a.inventario.computadora, 1, numero);
            Linea(c->tienda, a.inventario.computadora, 1, "ART-1", 1, "1000");
            Linea(c->tienda, a.inventario.computadora, 1, "ART-2", 2, "500");
            const TotalesCompra t = p.TotalesDeEstacion();
            PagoCompra pago;
            pago.efectivo = t.total;
            DocumentoCompra d = p.DocumentoDeEstacion();
            if (p.Procesar(d, t, pago) > 0) {
                ++publicadas;
            } else {
                ++duplicadas;
                EntornoPrueba::Ejecutar(c->tienda, QStringLiteral("delete from TEMPORAL_COMPRAS where COMPUTADORA = '%1'")
                                                       .arg(a.inventario.computadora));
                EntornoPrueba::Ejecutar(c->tienda, QStringLiteral("delete from TEMPORAL_ENC_COMPRA where COMPUTADORA = '%1'")
                                                       .arg(a.inventario.computadora));
            }
        }
    };
    const Currency saldo = UltimoSaldoCaja();
    std::vector<std::thread> hilos;
    for (int h = 1; h <= kHilos; ++h)
        hilos.emplace_back(estacion, h);
    for (auto &t : hilos)
        t.join();

    // Each shared number was posted once; every other posting went through.
    EXPECT_EQ(duplicadas.load(), (kHilos - 1) * kRondas / 2) << mensajesHilos.textos().join('|').toStdString();
    EXPECT_EQ(publicadas.load(), kHilos * kRondas - duplicadas.load());
    for (const QString &t : mensajesHilos.textos())
        EXPECT_EQ(t, "Este Comprobante ya fue Utilizado por este proveedor");
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from (select COMPROBANTE from FACTURAS_COMPRA where "
                                                "CODIGO_PROVEEDOR = 12 group by COMPROBANTE having count(*) > 1)"),
              0);
    EXPECT_EQ(Inv("STOCK"), Currency(10 + publicadas.load()));
    EXPECT_EQ(Inv("STOCK", "ART-2"), Currency(2 * publicadas.load()));
    // Entry numbers unique, one per posting; the till's balance follows every payment.
    EXPECT_EQ(Conta("select count(*) from ASIENTOS where FK_PERIODO = 1 and DESCRIPCION like 'Compra - Factura Nº %'") -
                  Conta("select count(distinct ID_ASIENTO) from ASIENTOS where FK_PERIODO = 1 and DESCRIPCION like "
                        "'Compra - Factura Nº %'"),
              0);
    EXPECT_EQ(Conta("select count(*) from ASIENTOS where DESCRIPCION starting with 'Compra - Factura Nº H' or DESCRIPCION starting with 'Compra - Factura Nº MISMO'"),
              publicadas.load());
    EXPECT_EQ(UltimoSaldoCaja(), saldo - Currency(publicadas.load()) * C("2260"));
}

// Stations posting for different suppliers and articles meet only at the till: the balance read
// under the till row's lock makes the last balance the start minus every payment.
TEST_F(Posteo, StationsPayingFromTheTillForDifferentSuppliersKeepTheBalanceChain)
{
    AjustesProcesoCompra base = Proceso()->Ajustes();
    constexpr int kRondas = 5;
    const int proveedores[] = {1, 5, 8, 12};
    for (int h = 0; h < 4; ++h)
        Articulo(env, QStringLiteral("CAJA-%1").arg(h), "0", "0");
    MensajesHilo mensajesHilos;
    std::atomic<int> publicadas{0};
    auto estacion = [&](int h) {
        auto c = env.AbrirConexion();
        AjustesProcesoCompra a = base;
        a.inventario.computadora = QStringLiteral("CAJA%1").arg(h);
        ProcesoCompra p(Conexiones(*c), a);
        p.EstablecerMensajes(&mensajesHilos);
        for (int r = 0; r < kRondas; ++r) {
            Encabezado(c->tienda, a.inventario.computadora, 1, QStringLiteral("CJ%1-%2").arg(h).arg(r), proveedores[h]);
            Linea(c->tienda, a.inventario.computadora, 1, QStringLiteral("CAJA-%1").arg(h), 2, "500");
            const TotalesCompra t = p.TotalesDeEstacion();
            PagoCompra pago;
            pago.efectivo = t.total;
            if (p.Procesar(p.DocumentoDeEstacion(), t, pago) > 0)
                ++publicadas;
        }
    };
    const Currency saldo = UltimoSaldoCaja();
    std::vector<std::thread> hilos;
    for (int h = 0; h < 4; ++h)
        hilos.emplace_back(estacion, h);
    for (auto &t : hilos)
        t.join();
    EXPECT_EQ(publicadas.load(), 4 * kRondas) << mensajesHilos.textos().join('|').toStdString();
    EXPECT_EQ(UltimoSaldoCaja(), saldo - Currency(publicadas.load()) * C("1130"));
}

// Two stations post the same three articles entered in opposite orders while a third holds the
// middle one: each locks its articles in article order, so neither holds one the other waits for.
TEST_F(Posteo, TwoPostingsOfTheSameArticlesInOppositeOrdersDoNotDeadlock)
{
    Articulo(env, "ART-0", "0", "0");
    AjustesProcesoCompra base = Proceso()->Ajustes();
    struct Estacion {
        QString computadora;
        int proveedor;
        std::vector<const char *> articulos;
    } estaciones[] = {{"HILO-A", 12, {"ART-1", "ART-0", "ART-2"}}, {"HILO-B", 5, {"ART-2", "ART-0", "ART-1"}}};
    for (const Estacion &e : estaciones) {
        Encabezado(env.tienda, e.computadora, 1, "FC-ORDEN", e.proveedor);
        for (const char *art : e.articulos)
            Linea(env.tienda, e.computadora, 1, art, 1, "100");
    }
    // A third station holds ART-0 until both postings are waiting for it.
    auto tercera = env.AbrirConexion();
    {
        db::Query q(&tercera->inventario, &tercera->transUpdateInv);
        q.setSql("update INVENTARIO set STOCK = STOCK where COD_BARRAS = 'ART-0'");
        q.execQuery();
    }
    MensajesHilo mensajesHilos;
    std::atomic<int> ids[2] = {0, 0};
    auto publicar = [&](int i) {
        auto c = env.AbrirConexion();
        AjustesProcesoCompra a = base;
        a.inventario.computadora = estaciones[i].computadora;
        ProcesoCompra p(Conexiones(*c), a);
        p.EstablecerMensajes(&mensajesHilos);
        const TotalesCompra t = p.TotalesDeEstacion();
        PagoCompra pago;
        pago.credito = t.total;
        pago.diasCredito = 30;
        ids[i] = p.Procesar(p.DocumentoDeEstacion(), t, pago);
    };
    std::thread a(publicar, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    std::thread b(publicar, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    tercera->transUpdateInv.rollback();
    a.join();
    b.join();
    EXPECT_GT(ids[0].load(), 0) << mensajesHilos.textos().join('|').toStdString();
    EXPECT_GT(ids[1].load(), 0) << mensajesHilos.textos().join('|').toStdString();
    EXPECT_EQ(Inv("STOCK", "ART-0"), C("2"));
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("12"));
    EXPECT_EQ(Inv("STOCK", "ART-2"), C("2"));
    // The invoice lines keep the order they were entered in.
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select list(CODIGO_ARTICULO, ' ') from (select "
                                                              "CODIGO_ARTICULO from DETALLE_FACTURAS_COMPRA where "
                                                              "ID_COMPRA = %1 order by ID_DETALLE_FACTURA)")
                                                   .arg(ids[1].load())),
              "ART-2 ART-0 ART-1");
}

} // namespace

#include "support/PruebaVentanas.h"
PRUEBAS_CON_VENTANAS_MAIN()
