// "compras consign" and "compras consign-invoice" in process, over copies of the demo databases.
#include "support/EntornoPrueba.h"
#include "cli/DevolucionCli.h"
#include "cli/FacturaJson.h"
#include "cli/PosteoCli.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

Currency C(const char *s) { return Currency::fromString(std::string(s)); }

const char *const kArticulo = "7501031311309";

QByteArray Archivo(const QString &comprobante, const QString &pago, const QString &lineas = QString(), int moneda = 1,
                   const QString &bodega = QString())
{
    const QString l = lineas.isEmpty() ? QStringLiteral(R"([{"codigo": "%1", "cantidad": 10, "costo": 100}])").arg(kArticulo)
                                       : lineas;
    return QStringLiteral(R"({"proveedor": 12, "comprobante": "%1", "fecha": "2026-12-06", "moneda": %2, "bodega": "%3",
        "lineas": %4, "pago": {%5}})")
        .arg(comprobante)
        .arg(moneda)
        .arg(bodega, l, pago)
        .toUtf8();
}

// The total a refused payment of 1 reports missing, plus that 1.
QString TotalDe(const ResultadoCli &r)
{
    const auto m = QRegularExpression(QStringLiteral("falta: ([0-9,.]+)")).match(r.mensaje);
    if (!m.hasMatch())
        return QStringLiteral("0");
    QString importe = m.captured(1);
    return QString::fromStdString((Currency::fromString(importe.remove(QLatin1Char(','))) + Currency(1)).toString());
}

template <class F> ResultadoCli Correr(const QByteArray &json, F &&trabajo)
{
    QString error;
    const auto f = LeerFacturaJson(json, error);
    if (!f)
        return {2, QString(), error};
    return trabajo(*f);
}

ResultadoCli Consignar(const QByteArray &json)
{
    return Correr(json, [](const FacturaJson &f) { return GuardarConsignacion(f, QStringLiteral("PRUEBA")); });
}

ResultadoCli Facturar(int id, const QByteArray &json)
{
    return Correr(json, [id](const FacturaJson &f) { return FacturarConsignacion(id, f, QStringLiteral("PRUEBA")); });
}

class ConsignacionCli : public ::testing::Test {
protected:
    EntornoPrueba env;
    Currency Stock()
    {
        return EntornoPrueba::Moneda(env.inventario,
                                     QStringLiteral("select STOCK from INVENTARIO where COD_BARRAS = '%1'").arg(kArticulo));
    }
    int Trabajo()
    {
        return EntornoPrueba::Entero(env.tienda, "select count(*) from TEMPORAL_COMPRAS where COMPUTADORA = 'PRUEBA'") +
               EntornoPrueba::Entero(env.tienda, "select count(*) from TEMPORAL_ENC_COMPRA where COMPUTADORA = 'PRUEBA'");
    }
};

} // namespace

TEST_F(ConsignacionCli, ConsignThenInvoiceWhatWasSoldUntilSettled)
{
    const Currency antes = Stock();
    const ResultadoCli r = Consignar(Archivo("CLI-C1", ""));
    ASSERT_EQ(r.codigo, 0) << r.mensaje.toStdString();
    const int id = r.salida.toInt();
    ASSERT_GT(id, 0);
    EXPECT_EQ(Stock(), antes + C("10"));
    EXPECT_EQ(Trabajo(), 0);
    // The same number again is refused and leaves nothing behind.
    const QString tienda = EntornoPrueba::Volcado(env.tienda);
    const ResultadoCli otra = Consignar(Archivo("CLI-C1", ""));
    EXPECT_NE(otra.codigo, 0);
    EXPECT_EQ(otra.mensaje, "Este Comprobante ya fue Utilizado por este proveedor");
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tienda);

    // Nothing sold yet.
    const ResultadoCli nada = Facturar(id, Archivo("CLI-F1", R"("credito": 1, "dias": 30)"));
    EXPECT_NE(nada.codigo, 0);
    EXPECT_TRUE(nada.mensaje.startsWith("En la consignación Nro: CLI-C1")) << nada.mensaje.toStdString();
    EXPECT_EQ(Trabajo(), 0);

    // 3 sold: 3 x 100 + 13 % tax.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update DETALLE_CONSIGNACION set EXISTENCIA = 7 where ID_CONSIGNACION = %1").arg(id));
    const ResultadoCli mal = Facturar(id, Archivo("CLI-F1", R"("credito": 1, "dias": 30)"));
    EXPECT_NE(mal.codigo, 0);
    EXPECT_EQ(Trabajo(), 0);
    ResultadoCli f1 = Facturar(id, Archivo("CLI-F1", QStringLiteral(R"("credito": %1, "dias": 30)").arg(TotalDe(mal))));
    ASSERT_EQ(f1.codigo, 0) << f1.mensaje.toStdString();
    EXPECT_GT(f1.salida.toInt(), 0);
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select cast(PROCESADOS as integer) || PROCESADA from "
                                                               "DETALLE_CONSIGNACION d join CONSIGNACIONES c on "
                                                               "c.ID_CONSIGNACION = d.ID_CONSIGNACION where c.ID_CONSIGNACION = %1")
                                                    .arg(id)),
              "3N");
    EXPECT_EQ(Stock(), antes + C("10"));

    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update DETALLE_CONSIGNACION set EXISTENCIA = 0 where ID_CONSIGNACION = %1").arg(id));
    const ResultadoCli mal2 = Facturar(id, Archivo("CLI-F2", R"("credito": 1, "dias": 30)"));
    ResultadoCli f2 = Facturar(id, Archivo("CLI-F2", QStringLiteral(R"("credito": %1, "dias": 30)").arg(TotalDe(mal2))));
    ASSERT_EQ(f2.codigo, 0) << f2.mensaje.toStdString();
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select PROCESADA from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id)),
              "S");
    EXPECT_NE(Facturar(id, Archivo("CLI-F3", R"("credito": 1, "dias": 30)")).codigo, 0);
    EXPECT_EQ(Trabajo(), 0);
}

TEST_F(ConsignacionCli, RefusedFilesWriteNothing)
{
    const QString tienda = EntornoPrueba::Volcado(env.tienda), inv = EntornoPrueba::Volcado(env.inventario);
    EXPECT_NE(Consignar(Archivo("CLI-B", "", QString(), 1, "001")).codigo, 0);
    const ResultadoCli moneda = Consignar(Archivo("CLI-M", "", QString(), 2));
    EXPECT_NE(moneda.codigo, 0);
    EXPECT_FALSE(moneda.mensaje.isEmpty());
    EXPECT_NE(Consignar(Archivo("CLI-X", "", R"([{"codigo": "NO-EXISTE", "cantidad": 1, "costo": 1}])")).codigo, 0);
    EXPECT_NE(Facturar(999999, Archivo("CLI-F", R"("credito": 1, "dias": 30)")).codigo, 0);
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tienda);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inv);
}

TEST_F(ConsignacionCli, ReturnPartThenEverythingLeft)
{
    const Currency antes = Stock();
    const ResultadoCli r = Consignar(Archivo("CLI-D1", ""));
    ASSERT_EQ(r.codigo, 0) << r.mensaje.toStdString();
    const int id = r.salida.toInt();
    auto devolver = [id](const char *json) {
        QString error;
        const auto d = LeerDevolucionJson(QByteArray(json), error);
        if (!d)
            return ResultadoCli{2, QString(), error};
        return DevolverConsignacion(id, *d, QStringLiteral("PRUEBA"));
    };
    EXPECT_EQ(devolver("[1]").codigo, 2);
    EXPECT_EQ(devolver(R"({"lineas": [{"codigo": "X", "cantidad": "dos"}]})").codigo, 2);
    const ResultadoCli otro = devolver(R"({"lineas": [{"codigo": "NO-EXISTE"}]})");
    EXPECT_NE(otro.codigo, 0);
    EXPECT_TRUE(otro.mensaje.contains("NO-EXISTE"));

    const QByteArray parte = QStringLiteral(R"({"lineas": [{"codigo": "%1", "cantidad": 4}]})").arg(kArticulo).toUtf8();
    const ResultadoCli p = devolver(parte.constData());
    ASSERT_EQ(p.codigo, 0) << p.mensaje.toStdString();
    EXPECT_EQ(p.salida, "Los artículos seleccionados se han devuelto satisfactoriamente");
    EXPECT_EQ(Stock(), antes + C("6"));
    const QByteArray demasiado = QStringLiteral(R"({"lineas": [{"codigo": "%1", "cantidad": 7}]})").arg(kArticulo).toUtf8();
    const ResultadoCli mal = devolver(demasiado.constData());
    EXPECT_NE(mal.codigo, 0);
    EXPECT_EQ(mal.mensaje, "La cantidad a devolver es incorrecta. Favor Verifique");
    const QByteArray cero = QStringLiteral(R"({"lineas": [{"codigo": "%1", "cantidad": 0}]})").arg(kArticulo).toUtf8();
    const ResultadoCli nula = devolver(cero.constData());
    EXPECT_NE(nula.codigo, 0);
    EXPECT_TRUE(nula.mensaje.contains(kArticulo)) << nula.mensaje.toStdString();
    EXPECT_EQ(Stock(), antes + C("6"));

    ASSERT_EQ(devolver(R"({"todas": true})").codigo, 0);
    EXPECT_EQ(Stock(), antes);
    const ResultadoCli nada = devolver(R"({"todas": true})");
    EXPECT_NE(nada.codigo, 0);
    EXPECT_EQ(nada.mensaje, "No hay artículos seleccionados");
}
