#include "platform/report/ApoyoReporte.h"

#include "platform/Currency.h"
#include "platform/Formato.h"
#include "platform/report/Reporte.h"

namespace {

const QStringList kCamposDetalle = {
    QStringLiteral("ID_DETALLE_FACTURA"), QStringLiteral("ID_COMPRA"),        QStringLiteral("FECHA"),
    QStringLiteral("COMPROBANTE"),        QStringLiteral("CODIGO_FAMILIA"),   QStringLiteral("CODIGO_ARTICULO"),
    QStringLiteral("DESCRIPCION"),        QStringLiteral("IMPORTE_UNITARIO"), QStringLiteral("CANTIDAD"),
    QStringLiteral("IMPORTE_IMPUESTO"),   QStringLiteral("PORC_IMPUESTO"),    QStringLiteral("IMPORTE_TOTAL"),
    QStringLiteral("IMPORTE_DESCUENTO"),  QStringLiteral("PORC_DESCUENTO"),   QStringLiteral("GRAVADO"),
    QStringLiteral("PrecioVenta"),
};

// Lines of invoice 77 as the detail dataset and its sale-price lookup give them.
TablaReporte lineasFactura(int cantidad)
{
    TablaReporte t(kCamposDetalle);
    for (int i = 1; i <= cantidad; ++i) {
        Currency unitario = Currency::fromString(QStringLiteral("%1.50").arg(i * 10));
        double qty = i % 2 ? 2.0 : 1.5;
        Currency total = unitario * Currency::fromDouble(qty);
        t.append({i, 77, QDate(2026, 12, 6), QStringLiteral("A-000123"), QStringLiteral("F01"),
                  QStringLiteral("750100%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("Artículo de prueba %1").arg(i),
                  QString::fromStdString(unitario.toString()), qty, QStringLiteral("0"), 13.0,
                  QString::fromStdString(total.toString()), QStringLiteral("0"), 0.0, QStringLiteral("S"),
                  QString::fromStdString((unitario * Currency(2)).toString())});
    }
    return t;
}

class PlantillaComprobanteTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ReporteDatos dsReporte;
    Reporte reporte;

    void imprimir(TablaReporte &lineas, bool monedaLocal)
    {
        dsReporte.setDataSet(&lineas);
        reporte.setDataSet(&dsReporte);
        const QString pathReportes = QStringLiteral(COMPRAS_REPORTS_DIR) + QLatin1Char('/');
        reporte.LoadFromFile(pathReportes + QStringLiteral("comp_RespaldoComprobante.fr3"));
        auto q = [](const QString &t) { return Reporte::QuotedStr(t); };
        auto m = [&](const char *v) { return q(FormatCurrency(QStringLiteral("#,##0.00"), Currency::fromString(QString::fromLatin1(v)))); };
        auto &v = reporte.Variables;
        v[QStringLiteral("Encabezado1")] = q(QStringLiteral("FARMACIA CENTRAL S.A."));
        v[QStringLiteral("Encabezado2")] = q(QStringLiteral("Avenida Segunda 45 - San José"));
        v[QStringLiteral("Encabezado3")] = q(QStringLiteral("Céd. Jurídica: 3-101-000000"));
        v[QStringLiteral("Encabezado4")] = q(QStringLiteral("Teléfono: 2222-0000   Fax: 2222-0001"));
        v[QStringLiteral("NroFactura")] = q(QStringLiteral("A-000123"));
        v[QStringLiteral("FechaCarga")] = q(QStringLiteral("06/12/2026 10:15:00"));
        v[QStringLiteral("Fecha")] = q(QStringLiteral("06/12/2026"));
        v[QStringLiteral("DiasCredito")] = q(QStringLiteral("30"));
        v[QStringLiteral("SubTotal1")] = m("12345.5");
        v[QStringLiteral("SubTotal2")] = m("12000");
        v[QStringLiteral("Descuento")] = m("345.5");
        v[QStringLiteral("Impuesto")] = m("1560");
        v[QStringLiteral("Total")] = m("13560");
        v[QStringLiteral("Telefono")] = q(QStringLiteral("2255-1234"));
        v[QStringLiteral("Proveedor")] = q(QStringLiteral("DISTRIBUIDORA O'NEILL"));
        v[QStringLiteral("CodProveedor")] = q(QStringLiteral("P-0042"));
        v[QStringLiteral("ImpEfectivo")] = m("3560");
        v[QStringLiteral("ImpCheque")] = m("0");
        v[QStringLiteral("ImpCredito")] = m("10000");
        v[QStringLiteral("NumCheque")] = q(QString());
        v[QStringLiteral("DefinicionIVPais")] = q(QStringLiteral("I.V.A.: "));
        v[QStringLiteral("vMoneda1")] = q(monedaLocal ? QStringLiteral("S") : QStringLiteral("N"));
        v[QStringLiteral("vSigno")] = q(QStringLiteral("¢"));  // amounts are stored in local currency
        v[QStringLiteral("vSigno2")] = q(monedaLocal ? QStringLiteral("¢") : QStringLiteral("$"));
        v[QStringLiteral("vTextoMoneda1")] = q(QStringLiteral("Colones"));
        v[QStringLiteral("vTextoMoneda2")] = q(QStringLiteral("Dólares"));
        reporte.PrepareReport();
    }
};

TEST_F(PlantillaComprobanteTest, FacturaEnMemoriaMuestraEncabezadoLineasYTotales)
{
    TablaReporte lineas = lineasFactura(3);
    imprimir(lineas, true);
    ASSERT_EQ(reporte.PageCount(), 1);
    const QString pdf = dir.filePath(QStringLiteral("comprobante.pdf"));
    reporte.ExportToPdf(pdf);
    const QString t = textoPdf(pdf);
    const QString s = t.simplified();
    for (const char *esperado : {"FARMACIA CENTRAL S.A.", "Avenida Segunda 45 - San José", "Céd. Jurídica: 3-101-000000",
                                 "RESPALDO DE COMPROBANTE DE COMPRA", "DISTRIBUIDORA O'NEILL", "P-0042", "A-000123",
                                 "2255-1234", "Colones (¢)", "Días de crédito: 30", "Página 1 de 1"})
        EXPECT_TRUE(s.contains(QString::fromUtf8(esperado))) << esperado << "\n" << t.toStdString();
    // Line 2: 20.50 x 1.5 = 30.75, sale price 41.00; line 3: 30.50 x 2 = 61.00.
    EXPECT_TRUE(s.contains(QString::fromUtf8("7501000002 Artículo de prueba 2 1.500 20.50 0.00 0.00 30.75 41.00"))) << t.toStdString();
    EXPECT_TRUE(s.contains(QString::fromUtf8("7501000003 Artículo de prueba 3 2.000 30.50 0.00 0.00 61.00 61.00")));
    EXPECT_TRUE(s.contains(QString::fromUtf8("Líneas: 3")));
    EXPECT_TRUE(s.contains(QString::fromUtf8("Subtotal: ¢ 12,345.50")));
    EXPECT_TRUE(s.contains(QString::fromUtf8("I.V.A.: ¢ 1,560.00")));
    EXPECT_TRUE(s.contains(QString::fromUtf8("Total: ¢ 13,560.00")));
    EXPECT_TRUE(s.contains(QString::fromUtf8("Crédito: ¢ 10,000.00")));
    EXPECT_FALSE(s.contains(QString::fromUtf8("Cheque Nº")));  // no cheque number, no line
    EXPECT_FALSE(s.contains(QString::fromUtf8("exento")));
}

TEST_F(PlantillaComprobanteTest, FacturaLargaSigueEnOtraPaginaConEncabezadosYNota)
{
    TablaReporte lineas = lineasFactura(90);
    imprimir(lineas, false);
    reporte.Variables[QStringLiteral("vLabelProveedor")] =
        Reporte::QuotedStr(QStringLiteral("No se calcularon los impuestos respectivos por ser el proveedor exento."));
    reporte.Variables[QStringLiteral("NumCheque")] = Reporte::QuotedStr(QStringLiteral("000987"));
    reporte.PrepareReport();
    const int n = reporte.PageCount();
    ASSERT_GE(n, 2);
    const QString pdf = dir.filePath(QStringLiteral("largo.pdf"));
    reporte.ExportToPdf(pdf);
    const QStringList paginas = paginasPdf(pdf);
    ASSERT_EQ(paginas.size(), n);
    for (int i = 0; i < n; ++i) {
        EXPECT_TRUE(paginas[i].contains(QString::fromUtf8("FARMACIA CENTRAL S.A."))) << i;
        EXPECT_TRUE(paginas[i].contains(QStringLiteral("Comprobante A-000123 - Página %1 de %2").arg(i + 1).arg(n))) << i;
        if (paginas[i].contains(QString::fromUtf8("Artículo de prueba"))) {
            EXPECT_TRUE(paginas[i].contains(QString::fromUtf8("P. Venta"))) << i;
        }
    }
    const QString s = paginas.join(QLatin1Char(' ')).simplified();
    for (int i = 1; i <= 90; ++i)
        EXPECT_EQ(s.count(QStringLiteral("Artículo de prueba %1 ").arg(i)), 1) << i;
    EXPECT_TRUE(s.contains(QString::fromUtf8("Dólares ($)")));
    EXPECT_TRUE(s.contains(QString::fromUtf8("Cheque Nº: 000987")));
    EXPECT_TRUE(s.contains(QString::fromUtf8("No se calcularon los impuestos respectivos por ser el proveedor exento.")));
    EXPECT_TRUE(s.contains(QString::fromUtf8("Líneas: 90")));
}

} // namespace
