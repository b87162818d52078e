// Goods returned to a supplier against its credit note: what a return writes, the invoice's
// open credit it pays, the refusals, the question before returning too much, failures
// leaving no trace, the printout and the window.

#include "purchases/PosteoPrueba.h"

#include "creditnotes/Comp_frmncdevolucion.h"
#include "creditnotes/DevolucionNotaCredito.h"
#include "creditnotes/ImpresionNotaCredito.h"
#include "creditnotes/NotasCreditoProveedor.h"
#include "platform/db/Dataset.h"
#include "support/PruebaVentanas.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace posteo;

namespace {

const QString kEstacion = QStringLiteral("PRUEBA");

class Devolucion : public ::testing::Test {
protected:
    EntornoPrueba env;

    void SetUp() override
    {
        PrepararCaja(env);
        Articulo(env, "ART-1", "10", "800");
        Articulo(env, "ART-3", "5", "100", "N");
        EntornoPrueba::Ejecutar(env.inventario, "insert into EXISTENCIAS (COD_ART, COD_BODEGA, EXISTENCIA) values "
                                                "('ART-1', '0', 10)");
    }
    // Invoice `numero` of `proveedor`: 10 x ART-1 at 1000 + 13 % = 11300, on credit or in cash.
    int Comprar(const QString &numero, bool credito = true, int proveedor = 12)
    {
        Encabezado(env.tienda, kEstacion, 1, numero, proveedor);
        Linea(env.tienda, kEstacion, 1, "ART-1", 10, "1000");
        auto p = ProcesoCompra::DesdeDatosComp(*env.datos);
        DocumentoCompra d = p->DocumentoDeEstacion();
        PagoCompra pago;
        if (credito) {
            pago.credito = C("11300");
            pago.diasCredito = 30;
        } else {
            pago.efectivo = C("11300");
        }
        const int id = p->Procesar(d, p->TotalesDeEstacion(), pago);
        EXPECT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
        return id;
    }
    // The return being typed: `cantidad` x ART-1 at 1000 (+13 %), and optionally ART-3.
    void Lineas(int cantidad, bool conArt3 = false)
    {
        Encabezado(env.tienda, kEstacion, 1, "NC-1");
        Linea(env.tienda, kEstacion, 1, "ART-1", cantidad, "1000");
        if (conArt3)
            Linea(env.tienda, kEstacion, 1, "ART-3", 1, "100");
    }
    DocumentoDevolucion Doc(const QString &factura, bool asignar = false)
    {
        DocumentoDevolucion d;
        d.comprobante = "NC-1";
        d.codProveedor = 12;
        d.fecha = QDate::currentDate();
        d.factura = factura;
        d.facturaNoSistema = factura.isEmpty();
        d.asignar = asignar;
        return d;
    }
    std::unique_ptr<DevolucionNotaCredito> Proceso() { return DevolucionNotaCredito::DesdeDatosComp(*env.datos); }
    Currency M(const QString &sql) { return EntornoPrueba::Moneda(env.tienda, sql); }
    QString T(const QString &sql) { return EntornoPrueba::Texto(env.tienda, sql); }
    int N(const QString &sql) { return EntornoPrueba::Entero(env.tienda, sql); }
    Currency Stock(const char *cod = "ART-1")
    {
        return EntornoPrueba::Moneda(env.inventario, QStringLiteral("select STOCK from INVENTARIO where COD_BARRAS = '%1'").arg(cod));
    }
    Currency Bodega0(const char *cod = "ART-1")
    {
        return EntornoPrueba::Moneda(env.inventario, QStringLiteral("select EXISTENCIA from EXISTENCIAS where COD_ART = "
                                                                    "'%1' and COD_BODEGA = '0'").arg(cod));
    }
    Currency Saldo(const char *factura = "FC-1")
    {
        return M(QStringLiteral("select A_CANCELAR from CUENTA_PROVEEDOR where COMPROBANTE = '%1' and COD_TIPO_MOV = 1 "
                                "and COD_PROVEEDOR = 12").arg(factura));
    }
};

TEST_F(Devolucion, RecordsTheNoteTakesStockOutRaisesTheInvoiceAndPaysItsCredit)
{
    const int idCompra = Comprar("FC-1");
    ASSERT_EQ(Stock(), C("20"));
    Lineas(2);
    auto p = Proceso();
    const int id = p->Registrar(Doc("FC-1", true));
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(p->EstadoUltimo(), DevolucionNotaCredito::Estado::Registrada);

    const QString nota = QStringLiteral("from NOTAS_CREDITO_PROV where ID_NC_PROV = %1").arg(id);
    EXPECT_EQ(M("select IMP_TOTAL " + nota), C("2260"));
    EXPECT_EQ(M("select IMP_IV " + nota), C("260"));
    EXPECT_EQ(N("select TIPO_NC " + nota), 2);
    EXPECT_EQ(T("select FACTURA_VENTA " + nota), "FC-1");
    EXPECT_EQ(T("select OBSERVACIONES " + nota), "Devolución de Mercadería Factura Nro. FC-1");
    EXPECT_EQ(T("select ASIGNADA " + nota), "S");
    EXPECT_EQ(T("select APLICA_FACTURA " + nota), "FC-1");
    EXPECT_EQ(N(QStringLiteral("select count(*) from DETALLE_NC_PROV where FK_NC_PROV = %1 and CANTIDAD = 2 and "
                               "CODIGO_ARTICULO = 'ART-1'").arg(id)),
              1);
    // Stock and warehouse "0" after the return; the movement names the note.
    EXPECT_EQ(Stock(), C("18"));
    EXPECT_EQ(Bodega0(), C("18"));
    EXPECT_EQ(T("select DESCRIPCION_MOV from MOVIMIENTOS_STOCK where TIPO_MOVIMIENTO = 2 and COMPROBANTE = 'NC-1'"),
              "Decremento manual de inventario - NC-1");
    EXPECT_EQ(M(QStringLiteral("select IMPORTE_NC from FACTURAS_COMPRA where ID_COMPRA = %1").arg(idCompra)), C("2260"));
    EXPECT_EQ(T("select NOTA from CUENTA_PROVEEDOR where COD_TIPO_MOV = 5 and COMPROBANTE = 'NC-1'"),
              "Devolucion Factura Nro. FC-1");
    EXPECT_EQ(M("select IMPORTE from CUENTA_PROVEEDOR where COD_TIPO_MOV = 5 and COMPROBANTE = 'NC-1'"), C("2260"));
    EXPECT_EQ(Saldo(), C("9040"));
    EXPECT_EQ(N("select count(*) from TEMPORAL_COMPRAS where COMPUTADORA = 'PRUEBA'"), 0);
    EXPECT_EQ(N("select count(*) from TEMPORAL_ENC_COMPRA where COMPUTADORA = 'PRUEBA'"), 0);

    // A second return on the same invoice adds to its credit-note amount.
    Encabezado(env.tienda, kEstacion, 1, "NC-2");
    Linea(env.tienda, kEstacion, 1, "ART-1", 1, "1000");
    DocumentoDevolucion d = Doc("FC-1");
    d.comprobante = "NC-2";
    ASSERT_GT(p->Registrar(d), 0);
    EXPECT_EQ(M(QStringLiteral("select IMPORTE_NC from FACTURAS_COMPRA where ID_COMPRA = %1").arg(idCompra)), C("3390"));
    EXPECT_EQ(Saldo(), C("9040"));  // not applied this time
    EXPECT_EQ(Stock(), C("17"));
}

// Typed in the second currency: everything the note stores is in local currency.
TEST_F(Devolucion, SecondCurrencyAmountsAreStoredInLocalCurrency)
{
    const int idCompra = Comprar("FC-1");
    Lineas(2);  // 2 x 1000 + 13 % = 2260 in the second currency
    env.datos->TipoCambio = C("500");
    env.datos->TipoCambio2 = C("1");
    DocumentoDevolucion d = Doc("FC-1", true);
    d.monedaCarga = 2;
    const int id = Proceso()->Registrar(d);
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
    const QString nota = QStringLiteral("from NOTAS_CREDITO_PROV where ID_NC_PROV = %1").arg(id);
    EXPECT_EQ(M("select IMP_TOTAL " + nota), C("1130000"));
    EXPECT_EQ(M("select IMP_IV " + nota), C("130000"));
    EXPECT_EQ(M("select SUBTOTAL_GRAVADO " + nota), C("1000000"));
    EXPECT_EQ(M(QStringLiteral("select IMPORTE_TOTAL from DETALLE_NC_PROV where FK_NC_PROV = %1").arg(id)), C("1130000"));
    EXPECT_EQ(M(QStringLiteral("select IMPORTE_UNITARIO from DETALLE_NC_PROV where FK_NC_PROV = %1").arg(id)), C("500000"));
    EXPECT_EQ(M(QStringLiteral("select IMPORTE_NC from FACTURAS_COMPRA where ID_COMPRA = %1").arg(idCompra)), C("1130000"));
    EXPECT_EQ(M("select IMPORTE from CUENTA_PROVEEDOR where COD_TIPO_MOV = 5 and COMPROBANTE = 'NC-1'"), C("1130000"));
    // The invoice's whole open balance (11300) is paid, never below zero.
    EXPECT_TRUE(Saldo().isZero());
}

TEST_F(Devolucion, InvoiceOutsideTheSystemIsLeftAloneAndArticlesWithoutStockStillMove)
{
    Comprar("FC-1");
    Lineas(1, true);
    auto p = Proceso();
    const int id = p->Registrar(Doc(QString(), true));
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
    const QString nota = QStringLiteral("from NOTAS_CREDITO_PROV where ID_NC_PROV = %1").arg(id);
    EXPECT_EQ(T("select OBSERVACIONES " + nota), "Devolución de Mercadería");
    EXPECT_EQ(T("select ASIGNADA " + nota), "N");
    EXPECT_EQ(T("select NOTA from CUENTA_PROVEEDOR where COD_TIPO_MOV = 5 and COMPROBANTE = 'NC-1'"),
              "Devolucion Factura Factura no realizada en el Sistema");
    EXPECT_TRUE(M("select IMPORTE_NC from FACTURAS_COMPRA where COMPROBANTE = 'FC-1'").isZero());
    EXPECT_EQ(Saldo(), C("11300"));
    EXPECT_EQ(Stock("ART-3"), C("5"));
    EXPECT_EQ(N("select count(*) from MOVIMIENTOS_STOCK where TIPO_MOVIMIENTO = 2 and COMPROBANTE = 'NC-1'"), 2);
}

TEST_F(Devolucion, ApplyingAgainstACashInvoiceOrBeyondItsBalanceNeverGoesBelowZero)
{
    Comprar("FC-1", false);
    Lineas(1);
    auto p = Proceso();
    const int id = p->Registrar(Doc("FC-1", true));
    ASSERT_GT(id, 0);
    EXPECT_FALSE(p->UltimaAsignada());
    EXPECT_EQ(T(QStringLiteral("select ASIGNADA from NOTAS_CREDITO_PROV where ID_NC_PROV = %1").arg(id)), "N");

    // A credit invoice with only 1000 left open: the note of 2260 leaves 0, not -1260.
    Comprar("FC-2");
    EntornoPrueba::Ejecutar(env.tienda, "update CUENTA_PROVEEDOR set A_CANCELAR = 1000 where COMPROBANTE = 'FC-2'");
    Encabezado(env.tienda, kEstacion, 1, "NC-2");
    Linea(env.tienda, kEstacion, 1, "ART-1", 2, "1000");
    DocumentoDevolucion d = Doc("FC-2", true);
    d.comprobante = "NC-2";
    ASSERT_GT(p->Registrar(d), 0);
    EXPECT_TRUE(p->UltimaAsignada());
    EXPECT_TRUE(Saldo("FC-2").isZero());
}

TEST_F(Devolucion, RefusesAUsedNumberAnotherSuppliersOrAnAnnulledInvoice)
{
    Comprar("FC-1");
    Comprar("FC-8", true, 8);
    Comprar("FC-X");
    EntornoPrueba::Ejecutar(env.tienda, "update FACTURAS_COMPRA set ANULADA = 'S' where COMPROBANTE = 'FC-X'");
    EntornoPrueba::Ejecutar(env.tienda, "insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, IMP_TOTAL, FECHA, "
                                        "ANULADA, ASIGNADA, TIPO_NC) values ('NC-USADA', 12, 10, current_date, 'N', 'N', 2)");
    EntornoPrueba::Ejecutar(env.tienda, "insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, IMP_TOTAL, FECHA, "
                                        "ANULADA, ASIGNADA, TIPO_NC) values ('NC-1', 8, 10, current_date, 'N', 'N', 2)");
    Lineas(1);
    const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario);
    struct Caso {
        const char *nota, *factura, *mensaje;
    } casos[] = {
        {"NC-USADA", "FC-1", "Este Comprobante ya fue Utilizado por este proveedor"},
        {"NC-1", "FC-8", "La factura no existe para este proveedor"},
        {"NC-1", "FC-X", "La factura está anulada"},
        {"NC-1", "NO-EXISTE", "La factura no existe para este proveedor"},
    };
    auto p = Proceso();
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.nota + std::string(" ") + c.factura);
        env.mensajes.Limpiar();
        DocumentoDevolucion d = Doc(c.factura);
        d.comprobante = c.nota;
        EXPECT_EQ(p->Registrar(d), 0);
        EXPECT_EQ(p->EstadoUltimo(), DevolucionNotaCredito::Estado::Invalida);
        EXPECT_TRUE(env.mensajes.Mostro(c.mensaje)) << env.mensajes.textos().join('|').toStdString();
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
        EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
    }
    // The same number is free for this supplier even though supplier 8 has it.
    EXPECT_GT(p->Registrar(Doc("FC-1")), 0);
}

TEST_F(Devolucion, ReturningMoreThanBoughtOrInStockAsksFirst)
{
    Comprar("FC-1");  // 10 bought, 20 in stock
    Lineas(12);
    auto p = Proceso();
    const auto factura = p->BuscarFactura(12, "FC-1");
    ASSERT_TRUE(factura);
    auto excesos = p->Excesos(&*factura);
    ASSERT_EQ(excesos.size(), 1u);
    EXPECT_EQ(*excesos[0].comprado, C("10"));
    EXPECT_EQ(*excesos[0].stock, C("20"));
    // Outside the system only the stock counts: 12 of 20 is fine.
    EXPECT_TRUE(p->Excesos(nullptr).empty());

    const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario);
    env.mensajes.Responder(Mensajes::Respuesta::No);
    EXPECT_EQ(p->Registrar(Doc("FC-1")), 0);
    EXPECT_EQ(p->EstadoUltimo(), DevolucionNotaCredito::Estado::Cancelada);
    ASSERT_FALSE(env.mensajes.mostrados().empty());
    EXPECT_TRUE(env.mensajes.mostrados().back().destructiva);
    EXPECT_TRUE(env.mensajes.mostrados().back().texto.contains("comprado 10"));
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);

    // Beyond the stock too, confirmed: the stock goes negative as told.
    EntornoPrueba::Ejecutar(env.tienda, "delete from TEMPORAL_COMPRAS");
    Linea(env.tienda, kEstacion, 1, "ART-1", 25, "1000");
    env.mensajes.Responder(Mensajes::Respuesta::Si);
    EXPECT_GT(p->Registrar(Doc(QString())), 0);
    EXPECT_TRUE(env.mensajes.textos().filter("existencia 20").size() == 1) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(Stock(), C("-5"));
    EXPECT_EQ(Bodega0(), C("-5"));
}

// Every write made to fail in turn: both databases stay exactly as they were.
TEST_F(Devolucion, AnyFailingWriteLeavesBothDatabasesAsTheyWere)
{
    Comprar("FC-1");
    PrepararFallas(env.tienda, {"FACTURAS_COMPRA", "MOVIMIENTOS_STOCK", "NOTAS_CREDITO_PROV", "DETALLE_NC_PROV",
                                "CUENTA_PROVEEDOR", "TEMPORAL_COMPRAS", "TEMPORAL_ENC_COMPRA", "TRANSACCIONES_2PC"});
    PrepararFallas(env.inventario, {"INVENTARIO", "EXISTENCIAS"});
    struct Caso {
        db::Database *base;
        const char *clave;
        bool sinExistencia;  // warehouse "0" row missing: it is inserted
    } casos[] = {
        {&env.tienda, "FACTURAS_COMPRA:U", false},   {&env.inventario, "INVENTARIO:U", false},
        {&env.inventario, "EXISTENCIAS:U", false},   {&env.inventario, "EXISTENCIAS:I", true},
        {&env.tienda, "MOVIMIENTOS_STOCK:I", false}, {&env.tienda, "NOTAS_CREDITO_PROV:I", false},
        {&env.tienda, "DETALLE_NC_PROV:I", false},   {&env.tienda, "CUENTA_PROVEEDOR:U", false},
        {&env.tienda, "NOTAS_CREDITO_PROV:U", false}, {&env.tienda, "CUENTA_PROVEEDOR:I", false},
        {&env.tienda, "TEMPORAL_COMPRAS:D", false},  {&env.tienda, "TEMPORAL_ENC_COMPRA:D", false},
        {&env.tienda, "TRANSACCIONES_2PC:I", false},
    };
    auto p = Proceso();
    for (const Caso &caso : casos) {
        SCOPED_TRACE(caso.clave);
        EntornoPrueba::Ejecutar(env.tienda, "delete from TEMPORAL_COMPRAS");
        EntornoPrueba::Ejecutar(env.tienda, "delete from TEMPORAL_ENC_COMPRA");
        EntornoPrueba::Ejecutar(env.inventario, caso.sinExistencia ? "delete from EXISTENCIAS where COD_ART = 'ART-1'"
                                                                   : "update or insert into EXISTENCIAS (COD_ART, "
                                                                     "COD_BODEGA, EXISTENCIA) values ('ART-1', '0', 20) "
                                                                     "matching (COD_ART, COD_BODEGA)");
        Lineas(2, true);
        Fallar(*caso.base, caso.clave);
        const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario);
        env.mensajes.Limpiar();
        EXPECT_EQ(p->Registrar(Doc("FC-1", true)), 0);
        EXPECT_EQ(p->EstadoUltimo(), DevolucionNotaCredito::Estado::Fallida);
        EXPECT_FALSE(env.mensajes.mostrados().empty());
        EXPECT_FALSE(env.datos->TransaccionGlobal);
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
        EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
        Fallar(*caso.base, {});
    }
    // With no switch on, the same return records (the cases above did reach their write).
    EXPECT_GT(p->Registrar(Doc("FC-1", true)), 0) << env.mensajes.textos().join('|').toStdString();
}

TEST_F(Devolucion, TheAppliedNoteShowsAmongTheInvoicesNotesAndPrints)
{
    const int idCompra = Comprar("FC-1");
    Lineas(2);
    const int id = Proceso()->Registrar(Doc("FC-1", true));
    ASSERT_GT(id, 0);

    db::Dataset &f = *env.datos->TFacturasCompra;
    f.close();
    f.setSelectSql(QStringLiteral("select * from FACTURAS_COMPRA where ID_COMPRA = %1").arg(idCompra));
    f.open();
    EXPECT_EQ(AbrirNotasDeFactura(*env.datos), "FC-1");
    QStringList notas;
    for (env.datos->TNC->first(); !env.datos->TNC->eof(); env.datos->TNC->next())
        notas << env.datos->TNC->fieldByName(QStringLiteral("COMPROBANTE")).asString();
    EXPECT_EQ(notas, QStringList{"NC-1"});

    ASSERT_TRUE(QFile::copy(QStringLiteral(COMPRAS_REPORTES_FUENTE "/Comp_NCred_prov.html"),
                            env.carpeta.file("Comp_NCred_prov.html")));
    ImpresionNotaCredito impresion;
    EncabezadoNotaCredito enc{{"FARMACIA DE PRUEBA", "LINEA 2"}, "IVA"};
    Reporte &r = impresion.Preparar(env.tienda, env.inventario, id, env.carpeta.path() + '/', enc);
    const QString pdf = env.carpeta.file("nota.pdf");
    r.ExportToPdf(pdf);
    QProcess texto;
    texto.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(texto.waitForFinished(30000));
    const QString leido = QString::fromUtf8(texto.readAllStandardOutput());
    for (const char *esperado : {"FARMACIA DE PRUEBA", "NC-1", "FC-1", "COMERCIALIZADORA EL ROBLE", "ART-1", "2,260.00",
                                 "IVA:", "260.00"})
        EXPECT_TRUE(leido.contains(QString::fromUtf8(esperado))) << esperado << "\n" << leido.toStdString();
}

TEST_F(Devolucion, WindowShowsAcceptOnlyForTheSuppliersInvoiceOrOneOutsideTheSystem)
{
    Comprar("FC-1");
    Comprar("FC-8", true, 8);
    Lineas(2);
    DocumentoDevolucion d = Doc(QString());
    d.facturaNoSistema = false;
    auto *frm = new TfrmNCDevolucion(*env.datos, d);
    frm->MostrarReporte = [](Reporte &) {};
    QPointer<TfrmNCDevolucion> vivo(frm);
    frm->show();
    auto *edFactura = frm->findChild<QLineEdit *>("edFactura");
    auto *ckNoSistema = frm->findChild<QCheckBox *>("ckNoSistema");
    auto *btnAceptar = frm->findChild<QPushButton *>("btnAceptar");
    ASSERT_TRUE(edFactura && ckNoSistema && btnAceptar);
    EXPECT_FALSE(btnAceptar->isVisible());

    edFactura->setText("FC-8");  // another supplier's
    frm->edFacturaExit();
    EXPECT_FALSE(btnAceptar->isVisible());
    EXPECT_TRUE(edFactura->text().isEmpty());

    ckNoSistema->click();
    EXPECT_TRUE(btnAceptar->isVisible());
    EXPECT_FALSE(edFactura->isEnabled());
    ckNoSistema->click();
    EXPECT_FALSE(btnAceptar->isVisible());
    EXPECT_TRUE(edFactura->isEnabled());

    edFactura->setText("FC-1");
    frm->edFacturaExit();
    EXPECT_TRUE(btnAceptar->isVisible());
    int registrada = 0;
    QObject::connect(frm, &TfrmNCDevolucion::registrada, [&registrada](int id) { registrada = id; });
    btnAceptar->click();
    EXPECT_GT(registrada, 0) << env.mensajes.textos().join('|').toStdString();
    EXPECT_TRUE(env.mensajes.Mostro(DevolucionNotaCredito::kCargada));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(vivo.isNull());
    EXPECT_EQ(Stock(), C("28"));  // 10 + 20 bought, 2 returned
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()
