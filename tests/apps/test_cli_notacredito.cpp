// "compras credit-note" in process: the file's reading and the return through the same classes
// the windows use, over copies of the demo databases.
#include "support/EntornoPrueba.h"
#include "cli/FacturaJson.h"
#include "cli/PosteoCli.h"

#include <gtest/gtest.h>

namespace {

Currency C(const char *s) { return Currency::fromString(std::string(s)); }

// Supplier 12's invoice F-1001: 10 x 7501031311309 at 10.00 + tax, on 30 days' credit.
QByteArray Factura()
{
    return R"({"proveedor": 12, "comprobante": "F-1001", "fecha": "2026-12-06",
        "lineas": [{"codigo": "7501031311309", "cantidad": 10, "costo": 10.0}],
        "pago": {"credito": 113, "dias": 30}})";
}

QByteArray Nota(const QString &extra, int cantidad = 2, const QString &numero = "NC-CLI-1")
{
    return QStringLiteral(R"({"proveedor": 12, "comprobante": "%1", "fecha": "2026-12-06", %2
        "lineas": [{"codigo": "7501031311309", "cantidad": %3, "costo": 10.0}]})")
        .arg(numero, extra)
        .arg(cantidad)
        .toUtf8();
}

ResultadoCli Registrar(const QByteArray &json)
{
    QString error;
    const auto n = LeerNotaCreditoJson(json, error);
    if (!n)
        return {2, QString(), error};
    return RegistrarNotaCredito(*n, QStringLiteral("PRUEBA"));
}

} // namespace

TEST(ArchivoNotaCredito, NeedsTheInvoiceOrSaysItIsOutsideTheSystem)
{
    QString error;
    auto n = LeerNotaCreditoJson(Nota(R"("factura": "f-1001", "asignar": true,)"), error);
    ASSERT_TRUE(n) << error.toStdString();
    EXPECT_EQ(n->factura, "F-1001");
    EXPECT_TRUE(n->asignar);
    EXPECT_FALSE(n->confirmarExcesos);
    EXPECT_EQ(n->nota.comprobante, "NC-CLI-1");
    struct Caso {
        QByteArray json;
        const char *mensaje;
    } casos[] = {
        {Nota(""), "Falta \"factura\""},
        {Nota(R"("factura_no_sistema": true, "factura": "F-1",)"), "no va con"},
        {Nota(R"("factura_no_sistema": true, "asignar": true,)"), "necesita una factura"},
        {Nota(R"("factura": "F-1", "asignar": "S",)"), "true o false"},
        {"{\"proveedor\": 12,", "no es un JSON válido"},
    };
    for (const Caso &c : casos) {
        EXPECT_FALSE(LeerNotaCreditoJson(c.json, error)) << c.mensaje;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.mensaje))) << error.toStdString();
    }
}

TEST(CliNotaCredito, ReturnsAgainstTheInvoiceAndRefusesTwiceOrTooMuch)
{
    EntornoPrueba env;
    env.datos->CargarTipoCambio();
    QString error;
    const auto f = LeerFacturaJson(Factura(), error);
    ASSERT_TRUE(f) << error.toStdString();
    const ResultadoCli compra = PostearFactura(*f, QStringLiteral("PRUEBA"));
    ASSERT_EQ(compra.codigo, 0) << compra.mensaje.toStdString();
    auto saldo = [&env] {
        return EntornoPrueba::Moneda(env.tienda, "select A_CANCELAR from CUENTA_PROVEEDOR where COMPROBANTE = 'F-1001' "
                                                 "and COD_TIPO_MOV = 1 and COD_PROVEEDOR = 12");
    };
    auto stock = [&env] {
        return EntornoPrueba::Moneda(env.inventario, "select STOCK from INVENTARIO where COD_BARRAS = '7501031311309'");
    };
    const Currency antes = stock();
    ASSERT_EQ(saldo(), C("113"));

    const ResultadoCli r = Registrar(Nota(R"("factura": "F-1001", "asignar": true,)"));
    ASSERT_EQ(r.codigo, 0) << r.mensaje.toStdString();
    EXPECT_GT(r.salida.toInt(), 0);
    EXPECT_EQ(saldo(), C("90.4"));
    EXPECT_EQ(stock(), antes - C("2"));
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select ASIGNADA from NOTAS_CREDITO_PROV where ID_NC_PROV = %1")
                                                   .arg(r.salida)),
              "S");

    const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario);
    const ResultadoCli otra = Registrar(Nota(R"("factura": "F-1001",)"));
    EXPECT_EQ(otra.codigo, 1);
    EXPECT_TRUE(otra.mensaje.contains("ya fue Utilizado")) << otra.mensaje.toStdString();
    // 11 of the 10 bought: refused unless the file confirms it.
    const ResultadoCli mucho = Registrar(Nota(R"("factura": "F-1001",)", 11, "NC-CLI-2"));
    EXPECT_EQ(mucho.codigo, 1);
    EXPECT_TRUE(mucho.mensaje.contains("comprado 10")) << mucho.mensaje.toStdString();
    EXPECT_TRUE(mucho.mensaje.contains("confirmar_excesos"));
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);

    const ResultadoCli confirmada = Registrar(Nota(R"("factura": "F-1001", "confirmar_excesos": true,)", 11, "NC-CLI-2"));
    EXPECT_EQ(confirmada.codigo, 0) << confirmada.mensaje.toStdString();
    EXPECT_EQ(stock(), antes - C("13"));
}
