// "compras post" and "compras annul" in process, over copies of the demo databases.
#include "support/EntornoPrueba.h"
#include "cli/FacturaJson.h"
#include "cli/PosteoCli.h"

#include "platform/VariablesHost.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

Currency C(const char *s) { return Currency::fromString(std::string(s)); }

// The file of the example, with the payment fields given in `pago`.
QByteArray Factura(const QString &pago, const QString &lineas = QString(), const QString &extra = QString())
{
    const QString l = lineas.isEmpty()
                          ? QStringLiteral(R"([{"codigo": "7501031311309", "cantidad": 3, "costo": 10.0, "descuento": 0, "precio_venta": 0}])")
                          : lineas;
    return QStringLiteral(R"({"proveedor": 12, "comprobante": "F-1001", "fecha": "2026-12-06", "moneda": 1,
        "bodega": "", "descuento": 0, %1 "lineas": %2, "pago": {%3}})")
        .arg(extra, l, pago)
        .toUtf8();
}

struct Bases {
    QString tienda, inventario, contabilidad;
    bool operator==(const Bases &o) const { return tienda == o.tienda && inventario == o.inventario && contabilidad == o.contabilidad; }
};

Bases Volcar(EntornoPrueba &env)
{
    return {EntornoPrueba::Volcado(env.tienda), EntornoPrueba::Volcado(env.inventario),
            EntornoPrueba::Volcado(env.contabilidad)};
}

ResultadoCli Postear(const QByteArray &json)
{
    QString error;
    const auto f = LeerFacturaJson(json, error);
    if (!f)
        return {2, QString(), error};
    return PostearFactura(*f, QStringLiteral("PRUEBA"));
}

int TrabajoPendiente(EntornoPrueba &env)
{
    return EntornoPrueba::Entero(env.tienda, "select count(*) from TEMPORAL_COMPRAS where COMPUTADORA = 'PRUEBA'")
           + EntornoPrueba::Entero(env.tienda, "select count(*) from TEMPORAL_ENC_COMPRA where COMPUTADORA = 'PRUEBA'");
}

} // namespace

TEST(ArchivoFactura, ReadsAmountsExactlyAndRefusesMalformedFiles)
{
    QString error;
    auto f = LeerFacturaJson(Factura(R"("credito": 10.05, "dias": 30, "notas": ["nc-1"])"), error);
    ASSERT_TRUE(f) << error.toStdString();
    EXPECT_EQ(f->pago.credito, C("10.05"));
    EXPECT_EQ(f->lineas.at(0).costo, C("10"));
    EXPECT_EQ(f->pago.notas, QStringList{"NC-1"});
    EXPECT_EQ(f->fecha, QDate(2026, 12, 6));

    struct Caso { QByteArray json; const char *mensaje; } casos[] = {
        {"{\"proveedor\": 12,", "no es un JSON válido"},
        {"[1, 2]", "objeto"},
        {Factura(R"("credito": "mucho")"), "\"credito\" en \"pago\" debe ser un número"},
        {Factura("", "[]"), "al menos una línea"},
        {Factura("", R"([{"codigo": "X", "cantidad": 0, "costo": 1}])"), "La cantidad en la línea 1 debe ser mayor que 0"},
        {Factura("", R"([{"codigo": "X", "cantidad": 1, "costo": 1, "descuento": 101}])"), "entre 0 y 100"},
        {Factura("", R"([{"cantidad": 1, "costo": 1}])"), "Falta \"codigo\" en la línea 1"},
        {Factura(R"("origen": "banco")"), "\"origen\""},
        {QByteArray(Factura("")).replace("2026-12-06", "06/12/2026"), "AAAA-MM-DD"},
        {QByteArray(Factura("")).replace("\"moneda\": 1", "\"moneda\": 3"), "\"moneda\" debe ser 1 o 2"},
    };
    for (const Caso &c : casos) {
        EXPECT_FALSE(LeerFacturaJson(c.json, error)) << c.mensaje;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.mensaje))) << error.toStdString();
    }
}

TEST(PosteoCli, EveryRefusedInvoiceLeavesTheDatabasesAsTheyWere)
{
    EntornoPrueba env;
    const Bases antes = Volcar(env);
    struct Caso { QByteArray json; const char *mensaje; } casos[] = {
        {QByteArray(Factura(R"("credito": 33.90, "dias": 30)")).replace("\"proveedor\": 12", "\"proveedor\": 999"),
         "Proveedor no encontrado: 999"},
        {Factura(R"("credito": 33.90, "dias": 30)", R"([{"codigo": "NO-EXISTE", "cantidad": 1, "costo": 1}])"),
         "Artículo no encontrado: NO-EXISTE"},
        {Factura(R"("credito": 30.51, "dias": 30)"), "falta: 3.39"},
        {Factura(R"("efectivo": 40, "origen": "caja")"), "excedido"},
        {Factura(R"("credito": 33.90, "dias": 0)"), "días"},
        {Factura(R"("notas": ["NC-1205"])"), "nota_saldo"},
        {Factura(R"("notas": ["NC-1001"])"), "NC-1001 no existe para este proveedor"},
        {Factura(R"("cheque": 33.90, "numero_cheque": "100")"), "cuenta bancaria"},
        {QByteArray(Factura(R"("credito": 33.90, "dias": 30)")).replace("F-1001", "0012-88377"),
         "Este Comprobante ya fue Utilizado por este proveedor"},
    };
    for (const Caso &c : casos) {
        const ResultadoCli r = Postear(c.json);
        EXPECT_NE(r.codigo, 0) << c.mensaje;
        EXPECT_TRUE(r.mensaje.contains(QString::fromUtf8(c.mensaje), Qt::CaseInsensitive))
            << "esperado: " << c.mensaje << "\nrecibido: " << r.mensaje.toStdString();
        EXPECT_EQ(TrabajoPendiente(env), 0) << c.mensaje;
    }
    EXPECT_TRUE(Volcar(env) == antes);

    // A zero exchange rate refuses an invoice in the second currency.
    EntornoPrueba::Ejecutar(env.tienda, "update TIPOS_CAMBIO set CAMBIO = 0 where ID = 1");
    env.estacion->cambio.refresh();
    const ResultadoCli r = Postear(QByteArray(Factura(R"("credito": 33.90, "dias": 30)")).replace("\"moneda\": 1", "\"moneda\": 2"));
    EXPECT_NE(r.codigo, 0);
    EXPECT_FALSE(r.mensaje.isEmpty());
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from FACTURAS_COMPRA where COMPROBANTE = 'F-1001'"), 0);
}

namespace {
void PostearYAnularDeCadaForma(EntornoPrueba &env)
{
    const double stock = EntornoPrueba::Real(env.inventario, "select STOCK from INVENTARIO where COD_BARRAS = '7501031311309'");
    struct Caso { const char *numero; QString pago; } casos[] = {
        {"F-CAJA", R"("efectivo": 33.90, "origen": "caja")"},
        {"F-CRED", R"("credito": 33.90, "dias": 30)"},
        {"F-CHEQ", R"("cheque": 33.90, "numero_cheque": "000123", "cuenta_bancaria": 1)"},
        {"F-NOTA", R"("notas": ["NC-1205"], "nota_saldo": "NC-SALDO")"},
    };
    int posteadas = 0;
    for (const Caso &c : casos) {
        const ResultadoCli r = Postear(QByteArray(Factura(c.pago)).replace("F-1001", c.numero));
        ASSERT_EQ(r.codigo, 0) << c.numero << ": " << r.mensaje.toStdString();
        const int id = r.salida.toInt();
        EXPECT_GT(id, 0);
        ++posteadas;
        EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select COMPROBANTE from FACTURAS_COMPRA where ID_COMPRA = %1").arg(id)),
                  QString::fromLatin1(c.numero));
        EXPECT_EQ(EntornoPrueba::Moneda(env.tienda, QStringLiteral("select IMPORTE_TOTAL from FACTURAS_COMPRA where ID_COMPRA = %1").arg(id)),
                  C("33.9"));
        EXPECT_EQ(TrabajoPendiente(env), 0);
    }
    EXPECT_DOUBLE_EQ(EntornoPrueba::Real(env.inventario, "select STOCK from INVENTARIO where COD_BARRAS = '7501031311309'"),
                     stock + 3 * posteadas);
    EXPECT_EQ(EntornoPrueba::Moneda(env.tienda, "select IMP_TOTAL from NOTAS_CREDITO_PROV where COMPROBANTE = 'NC-SALDO'"),
              C("1816.10"));
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, "select APLICA_FACTURA from NOTAS_CREDITO_PROV where COMPROBANTE = 'NC-1205'"),
              "F-NOTA");

    for (const Caso &c : casos) {
        const ResultadoCli r = AnularFactura(12, QString::fromLatin1(c.numero));
        EXPECT_EQ(r.codigo, 0) << c.numero << ": " << r.mensaje.toStdString();
        // Only the cheque's annulment says its bank movement stays.
        EXPECT_EQ(r.mensaje.contains(QStringLiteral("000123")), QByteArray(c.numero) == "F-CHEQ") << c.numero;
    }
    EXPECT_NE(AnularFactura(12, "F-CAJA").codigo, 0);  // already annulled
    EXPECT_NE(AnularFactura(12, "NO-EXISTE").codigo, 0);
    EXPECT_DOUBLE_EQ(EntornoPrueba::Real(env.inventario, "select STOCK from INVENTARIO where COD_BARRAS = '7501031311309'"),
                     stock);
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, "select ASIGNADA from NOTAS_CREDITO_PROV where COMPROBANTE = 'NC-1205'"), "N");
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, "select ANULADA from NOTAS_CREDITO_PROV where COMPROBANTE = 'NC-SALDO'"), "S");
}
} // namespace

TEST(PosteoCli, PostsEachWayOfPayingAndAnnulsBackToTheStart)
{
    EntornoPrueba env;
    PostearYAnularDeCadaForma(env);
}

// As the command connects: the shared datasets open when first used, and those the work needs are.
TEST(PosteoCli, ConLosConjuntosCompartidosAbiertosAlUsarlos)
{
    struct Diferidos {
        Diferidos() { TFDatosComp::AbrirAlUsar = true; }
        ~Diferidos() { TFDatosComp::AbrirAlUsar = false; }
    } diferidos;
    EntornoPrueba env;
    auto pendientes = [&env] {
        int n = 0;
        for (const auto *lista : {&env.datos->datasetsTienda(), &env.datos->datasetsInventario()})
            for (const db::Dataset *ds : *lista)
                n += ds->openPending() ? 1 : 0;
        return n;
    };
    const int todos = static_cast<int>(env.datos->datasetsTienda().size() + env.datos->datasetsInventario().size());
    EXPECT_EQ(pendientes(), todos);
    PostearYAnularDeCadaForma(env);
    EXPECT_GT(pendientes(), todos / 2);
}

TEST(ArchivoFactura, LimitesDecimalesYMensajesEnEspanol)
{
    const QString linea = QStringLiteral(R"([{"codigo": "X", "cantidad": %1, "costo": %2}])");
    struct Caso {
        QByteArray json;
        const char *clave;
    } casos[] = {
        {Factura("", linea.arg(QStringLiteral("1000000"), QStringLiteral("1"))), "\"lineas[0].cantidad\" no puede ser mayor a 999,999.9999"},
        {Factura("", linea.arg(QStringLiteral("1"), QStringLiteral("1000000000"))), "\"lineas[0].costo\" no puede ser mayor a 999,999,999.99"},
        {Factura("", linea.arg(QStringLiteral("1"), QStringLiteral("1e308"))), "\"lineas[0].costo\" no puede ser mayor"},
        {Factura("", linea.arg(QStringLiteral("1"), QStringLiteral("10.12345"))), "\"lineas[0].costo\" admite como máximo 4 decimales"},
        {Factura("", linea.arg(QStringLiteral("0.00001"), QStringLiteral("1"))), "\"lineas[0].cantidad\" admite como máximo 4 decimales"},
        {Factura(R"("efectivo": 922337203685477.50, "credito": 922337203685477.50, "dias": 30)"),
         "\"pago.efectivo\" no puede ser mayor"},
        {Factura(R"("credito": 1000000000)"), "\"pago.credito\" no puede ser mayor"},
    };
    for (const Caso &c : casos) {
        QString error;
        EXPECT_FALSE(LeerFacturaJson(c.json, error)) << c.clave;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.clave))) << error.toStdString();
        EXPECT_LT(error.size(), 90) << error.toStdString();
    }
    // The largest values pass, with four decimals.
    QString error;
    const auto f = LeerFacturaJson(Factura(R"("credito": 999999999.99)", linea.arg(QStringLiteral("999999.9999"), QStringLiteral("0.0001"))), error);
    ASSERT_TRUE(f) << error.toStdString();
    EXPECT_EQ(f->lineas.at(0).cantidad, C("999999.9999"));
    EXPECT_EQ(f->lineas.at(0).costo, C("0.0001"));
    EXPECT_EQ(f->pago.credito, C("999999999.99"));

    // The parser's own words are not shown.
    EXPECT_FALSE(LeerFacturaJson("{\"proveedor\": 12,", error));
    EXPECT_TRUE(error.contains(QStringLiteral("falta cerrar un objeto"))) << error.toStdString();
}

TEST(PosteoCli, ImportesFueraDeRangoNoEscribenNada)
{
    EntornoPrueba env;
    const Bases antes = Volcar(env);
    const QString crema = QStringLiteral(R"({"codigo": "7501031311309", "cantidad": %1, "costo": %2})");
    struct Caso {
        QByteArray json;
        const char *mensaje;
    } casos[] = {
        // The payment that once matched a 33.90 invoice by wrapping around.
        {Factura(R"("efectivo": 922337203685477.50, "origen": "caja", "credito": 922337203685477.50, "dias": 30)"),
         "pago.efectivo"},
        // Each line within bounds; the same article twice goes past the largest quantity.
        {Factura(R"("credito": 1)", QStringLiteral("[%1, %2]").arg(crema.arg(QStringLiteral("600000"), QStringLiteral("1")), crema.arg(QStringLiteral("600000"), QStringLiteral("1")))),
         "\"lineas[1]\": La cantidad no puede ser mayor"},
        {Factura(R"("credito": 1)", QStringLiteral("[%1]").arg(crema.arg(QStringLiteral("10"), QStringLiteral("999999999")))),
         "\"lineas[0]\": El costo no puede ser mayor"},
        // Lines within bounds whose document total is not.
        {Factura(R"("credito": 1)", QStringLiteral("[%1, %2]").arg(crema.arg(QStringLiteral("1"), QStringLiteral("600000000")),
                                                                  QStringLiteral(R"({"codigo": "7441001000011", "cantidad": 1, "costo": 600000000})"))),
         "El total del comprobante no puede ser mayor a 999,999,999.99"},
    };
    for (const Caso &c : casos) {
        const ResultadoCli r = Postear(c.json);
        EXPECT_NE(r.codigo, 0) << c.mensaje;
        EXPECT_TRUE(r.mensaje.contains(QString::fromUtf8(c.mensaje))) << "esperado: " << c.mensaje
                                                                       << "\nrecibido: " << r.mensaje.toStdString();
        EXPECT_EQ(TrabajoPendiente(env), 0) << c.mensaje;
    }
    EXPECT_TRUE(Volcar(env) == antes);
}

TEST(PosteoCli, PrecioDeVentaDelArchivoComoElEditorDeLineas)
{
    EntornoPrueba env;
    auto inv = [&env](const char *campo, const char *codigo) {
        return EntornoPrueba::Moneda(env.inventario, QStringLiteral("select %1 from INVENTARIO where COD_BARRAS = '%2'")
                                                         .arg(QLatin1String(campo), QLatin1String(codigo)));
    };
    // A manual level 1 takes the file's price; the untaxed revista shows it both ways.
    const ResultadoCli r = Postear(Factura(R"("credito": 3600, "dias": 30)",
                                           R"([{"codigo": "9771234500112", "cantidad": 4, "costo": 900, "precio_venta": 1750}])"));
    ASSERT_EQ(r.codigo, 0) << r.mensaje.toStdString();
    EXPECT_EQ(inv("PREVEN_1", "9771234500112"), C("1750"));
    EXPECT_EQ(inv("PRECIOSINIV_1", "9771234500112"), C("1750"));
    EXPECT_EQ(inv("PRECIOCONIV_1", "9771234500112"), C("1750"));
    EXPECT_EQ(inv("PREVEN_2", "9771234500112"), C("1500"));  // manual levels 2 to 4 are left alone

    // A price that follows the cost cannot be typed: refused, naming the line, nothing written.
    const Bases antes = Volcar(env);
    const ResultadoCli c = Postear(QByteArray(Factura(R"("credito": 33.90, "dias": 30)",
        R"([{"codigo": "7441001000011", "cantidad": 1, "costo": 5},
            {"codigo": "7501031311309", "cantidad": 3, "costo": 10.0, "precio_venta": 1500}])")).replace("F-1001", "F-1002"));
    EXPECT_NE(c.codigo, 0);
    EXPECT_TRUE(c.mensaje.contains(QStringLiteral("\"lineas[1]\"")) && c.mensaje.contains(QStringLiteral("precio manual")))
        << c.mensaje.toStdString();
    EXPECT_EQ(TrabajoPendiente(env), 0);
    EXPECT_TRUE(Volcar(env) == antes);
}

TEST(PosteoCli, ElEjemploDejaPreciosPorEncimaDelCostoNuevo)
{
    EntornoPrueba env;
    const ResultadoCli r = Postear(Factura(R"("credito": 33.90, "dias": 30)"));
    ASSERT_EQ(r.codigo, 0) << r.mensaje.toStdString();
    const QString donde = QStringLiteral(" from INVENTARIO where COD_BARRAS = '7501031311309'");
    EXPECT_EQ(EntornoPrueba::Moneda(env.inventario, "select PRECIO_COMPRA" + donde), C("11.30"));
    // Every level above the new cost, without and with the tax; level 1 ahead of the others.
    const Currency p1 = EntornoPrueba::Moneda(env.inventario, "select PRECIOSINIV_1" + donde);
    for (int n = 1; n <= 4; ++n) {
        const Currency sin = EntornoPrueba::Moneda(env.inventario, QStringLiteral("select PRECIOSINIV_%1").arg(n) + donde);
        const Currency con = EntornoPrueba::Moneda(env.inventario, QStringLiteral("select PRECIOCONIV_%1").arg(n) + donde);
        EXPECT_GT(sin, C("10")) << n;
        EXPECT_GT(con, C("11.30")) << n;
        EXPECT_GE(p1, sin) << n;
    }
    EXPECT_EQ(EntornoPrueba::Moneda(env.inventario, "select PREVEN_1" + donde), C("15"));  // 11.30 + 30 %, to units
}

namespace {

// The example file with one key's value replaced as written in JSON (escapes included).
QByteArray ConClave(const char *clave, const QString &valorJson)
{
    const QString json = QString::fromUtf8(Factura(R"("credito": 33.90, "dias": 30)"));
    const QString buscado = QStringLiteral("\"%1\": ").arg(QLatin1String(clave));
    const qsizetype i = json.indexOf(buscado) + buscado.size();
    const qsizetype fin = json.indexOf(QRegularExpression(QStringLiteral("[,}]")), i);
    return (json.left(i) + valorJson + json.mid(fin)).toUtf8();
}

QByteArray ConCodigo(const QString &codigoJson)
{
    return Factura(R"("credito": 33.90, "dias": 30)",
                   QStringLiteral(R"([{"codigo": "7441001000011", "cantidad": 1, "costo": 1},
                                      {"codigo": %1, "cantidad": 3, "costo": 10.0}])").arg(codigoJson));
}

int Escrito(EntornoPrueba &env)
{
    return EntornoPrueba::Entero(env.tienda, "select count(*) from FACTURAS_COMPRA")
           + EntornoPrueba::Entero(env.tienda, "select count(*) from MOVIMIENTOS_STOCK")
           + EntornoPrueba::Entero(env.tienda, "select count(*) from NOTAS_CREDITO_PROV where ASIGNADA = 'S'");
}

} // namespace

TEST(ArchivoFactura, TextosLargosOConCaracteresDeControlSeRechazanNombrandoLaClave)
{
    const QString treinta = QStringLiteral("7501031311309") + QString(17, QLatin1Char('9'));
    struct Caso {
        QByteArray json;
        const char *clave;
        const char *motivo;
    } casos[] = {
        // One character past the column, blanks in the middle included: never cut to a real number.
        {ConClave("comprobante", QStringLiteral(R"("0012-88410  X")")), "\"comprobante\"", "13 caracteres; admite como máximo 12"},
        {ConClave("comprobante", QStringLiteral(R"("F-1001\u0000")")), "\"comprobante\"", "no permitidos"},
        {ConClave("comprobante", QStringLiteral(R"("F-1001\n")")), "\"comprobante\"", "no permitidos"},
        {ConClave("comprobante", QStringLiteral(R"("\u202EF-1001")")), "\"comprobante\"", "no permitidos"},
        {ConClave("bodega", QStringLiteral(R"("001\u2066")")), "\"bodega\"", "no permitidos"},
        {ConClave("bodega", QStringLiteral(R"("001                  X")")), "\"bodega\"", "admite como máximo 20"},
        {ConCodigo(QStringLiteral("\"%1X\"").arg(treinta)), "\"lineas[1].codigo\"", "31 caracteres; admite como máximo 30"},
        {ConCodigo(QStringLiteral(R"("7501031311309\t")")), "\"lineas[1].codigo\"", "no permitidos"},
        {ConCodigo(QStringLiteral(R"("7501031311309\u202C")")), "\"lineas[1].codigo\"", "no permitidos"},
        {ConCodigo(QStringLiteral(R"("7501\u200B031311309")")), "\"lineas[1].codigo\"", "no permitidos"},
        {Factura(R"("cheque": 33.90, "numero_cheque": "000123000123000123000", "cuenta_bancaria": 1)"),
         "\"pago.numero_cheque\"", "admite como máximo 20"},
        {Factura(R"("notas": ["NC-1205", "NC-1205-SALDO"], "nota_saldo": "X")"), "\"pago.notas[1]\"", "admite como máximo 12"},
        {Factura(R"("notas": ["NC-1205\u2069"], "nota_saldo": "X")"), "\"pago.notas[0]\"", "no permitidos"},
        {Factura(R"("notas": ["NC-1205"], "nota_saldo": "NC-SALDO-0001")"), "\"pago.nota_saldo\"", "admite como máximo 12"},
    };
    for (const Caso &c : casos) {
        QString error;
        EXPECT_FALSE(LeerFacturaJson(c.json, error)) << c.clave << " " << c.motivo;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.clave))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.motivo))) << error.toStdString();
    }

    // At the limit, counted in characters (not bytes), they pass.
    QString error;
    auto f = LeerFacturaJson(ConClave("comprobante", QString::fromUtf8("\"ÑÑÑÑÑÑÑÑÑÑÑÑ\"")), error);
    ASSERT_TRUE(f) << error.toStdString();
    EXPECT_EQ(f->comprobante.size(), 12);
    f = LeerFacturaJson(ConCodigo(QStringLiteral("\" %1 \"").arg(treinta)), error);
    ASSERT_TRUE(f) << error.toStdString();
    EXPECT_EQ(f->lineas.at(1).codigo, treinta);
}

TEST(PosteoCli, EntradaHostilNoEscribeNada)
{
    EntornoPrueba env;
    const Bases antes = Volcar(env);
    const int escrito = Escrito(env);
    const auto rechazar = [&](const ResultadoCli &r, const char *esperado) {
        EXPECT_NE(r.codigo, 0) << esperado;
        EXPECT_TRUE(r.mensaje.contains(QString::fromUtf8(esperado))) << "esperado: " << esperado
                                                                     << "\nrecibido: " << r.mensaje.toStdString();
        EXPECT_EQ(TrabajoPendiente(env), 0) << esperado;
        EXPECT_EQ(Escrito(env), escrito) << esperado;
    };

    // Through the reader: the message names the key, the station's work tables stay empty.
    rechazar(Postear(ConCodigo(QStringLiteral(R"("7501031311309 \u0000")"))), "\"lineas[1].codigo\"");
    rechazar(Postear(ConClave("bodega", QStringLiteral(R"("001                 Z")"))), "\"bodega\"");

    // Past the reader (a caller building the invoice itself): an overlong code or number with a
    // real one at its start matches nothing, and nothing is cut on the way to the database.
    QString error;
    auto f = LeerFacturaJson(ConCodigo(QStringLiteral(R"("7501031311309")")), error);
    ASSERT_TRUE(f) << error.toStdString();
    FacturaJson largo = *f;
    largo.lineas.at(1).codigo = QStringLiteral("7501031311309") + QString(20, QLatin1Char(' ')) + QStringLiteral("X");
    rechazar(PostearFactura(largo, QStringLiteral("PRUEBA")), "Artículo no encontrado");
    largo = *f;
    largo.comprobante = QStringLiteral("F-1001\u202E");
    rechazar(PostearFactura(largo, QStringLiteral("PRUEBA")), "\"comprobante\" contiene caracteres no permitidos");

    // Annulment by a number with junk after a real one does not reach that invoice.
    const QString estado = "select ANULADA from FACTURAS_COMPRA where COMPROBANTE = '0012-88410' and CODIGO_PROVEEDOR = 12";
    ASSERT_EQ(EntornoPrueba::Texto(env.tienda, estado), "N");
    for (const QString &numero : {QStringLiteral("0012-88410  X"), QStringLiteral("0012-88410\t"),
                                  QStringLiteral("0012-88410\u2066"), QStringLiteral("0012-88410\n1")}) {
        const ResultadoCli r = AnularFactura(12, numero);
        EXPECT_NE(r.codigo, 0) << numero.toStdString();
        EXPECT_TRUE(r.mensaje.contains(QStringLiteral("NUMERO"))) << r.mensaje.toStdString();
    }
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, estado), "N");

    // A point-of-sale user missing from USUARIOS posts and annuls nothing.
    CargarVariable(QStringLiteral("vUsuario"), QStringLiteral("FANTASMA"));
    rechazar(Postear(Factura(R"("credito": 33.90, "dias": 30)")), "El usuario FANTASMA no existe.");
    EXPECT_EQ(AnularFactura(12, QStringLiteral("0012-88410")).mensaje, QStringLiteral("El usuario FANTASMA no existe."));
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, estado), "N");
    // An existing one does, and the supplier's account records it.
    const char *delCajero = "select count(*) from CUENTA_PROVEEDOR where CREATE_USERID = 'CAJERO'";
    const int cajero = EntornoPrueba::Entero(env.tienda, delCajero);
    CargarVariable(QStringLiteral("vUsuario"), QStringLiteral("CAJERO"));
    const ResultadoCli r = Postear(Factura(R"("credito": 33.90, "dias": 30)"));
    ASSERT_EQ(r.codigo, 0) << r.mensaje.toStdString();
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, delCajero), cajero + 1);
    EXPECT_FALSE(Volcar(env) == antes);
}

TEST(PosteoCli, ElImporteDeNotasEsSiempreElQueDanLasNotas)
{
    EntornoPrueba env;
    for (const char *nota : {"901, 'NC-2001', 10", "902, 'NC-2002', 20"})
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into NOTAS_CREDITO_PROV (ID_NC_PROV, COMPROBANTE, IMP_TOTAL, COD_PROVEEDOR, "
                                                           "FECHA, ASIGNADA, ANULADA) values (%1, 12, current_date, 'N', 'N')")
                                                .arg(QString::fromLatin1(nota)));
    const int escrito = Escrito(env);
    struct Caso {
        const char *pago;
        const char *mensaje;
    } rechazos[] = {
        // The notes give 30; the file claims more, or less.
        {R"("notas": ["NC-2001", "NC-2002"], "importe_notas": 33.90)", "\"pago.importe_notas\" (33.90) no coincide con lo que pagan las notas elegidas (30.00)"},
        {R"("notas": ["NC-2001", "NC-2002"], "importe_notas": 20, "efectivo": 13.90)", "\"pago.importe_notas\""},
        {R"("importe_notas": 10, "efectivo": 23.90)", "\"pago.importe_notas\""},
        // NC-1205 already covers the invoice: the picker would not tick another.
        {R"("notas": ["NC-1205", "NC-2001"], "nota_saldo": "NC-SALDO")", "\"pago.notas[1]\": La nota de crédito NC-2001 sobra"},
        {R"("notas": ["NC-2001", "NC-2001"], "efectivo": 13.90)", "\"pago.notas[1]\": La nota de crédito NC-2001 está repetida"},
        // What the notes leave unpaid must still be paid.
        {R"("notas": ["NC-2001", "NC-2002"])", "falta: 3.90"},
    };
    for (const Caso &c : rechazos) {
        const ResultadoCli r = Postear(Factura(QString::fromUtf8(c.pago)));
        EXPECT_NE(r.codigo, 0) << c.pago;
        EXPECT_TRUE(r.mensaje.contains(QString::fromUtf8(c.mensaje))) << "esperado: " << c.mensaje
                                                                      << "\nrecibido: " << r.mensaje.toStdString();
        EXPECT_EQ(TrabajoPendiente(env), 0) << c.pago;
        EXPECT_EQ(Escrito(env), escrito) << c.pago;
    }

    const ResultadoCli r = Postear(Factura(R"("notas": ["NC-2001", "NC-2002"], "importe_notas": 30, "efectivo": 3.90)"));
    ASSERT_EQ(r.codigo, 0) << r.mensaje.toStdString();
    EXPECT_EQ(EntornoPrueba::Moneda(env.tienda, QStringLiteral("select IMPORTE_NC from FACTURAS_COMPRA where ID_COMPRA = %1").arg(r.salida)),
              C("30"));
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from NOTAS_CREDITO_PROV where ASIGNADA = 'S' and "
                                                "COMPROBANTE in ('NC-2001', 'NC-2002')"),
              2);
}
