// The four period reports, printed to PDF and read back: sums, annulled invoices, credit
// notes, the second currency, the order of the detail, two stations at once, quoted names.
#include "reports/ReportesPeriodo.h"
#include "reports/DatosReportes.h"

#include <gtest/gtest.h>

using namespace datosreportes;

namespace {

const QString kDfv = QStringLiteral("DISTRIBUIDORA FARMACEUTICA DEL VALLE S.A.");
const QString kLcu = QStringLiteral("LABORATORIOS CENTROAMERICANOS UNIDOS S.A.");

// March 2031: two valid invoices sharing the number A-100 (two suppliers), an annulled one,
// their lines and two credit notes (one annulled). May 2031: one invoice at rates 500 / 1.
void CargarPeriodo(db::Database &tienda)
{
    Factura f1{8000009, "2031-03-05", "A-100", 1, kDfv, "800", "100", "0", "104", "1004", "0"};
    Factura f2{80000010, "2031-03-10", "A-100", 5, kLcu, "500", "0", "0", "65", "565", "65"};
    Factura f3{8000011, "2031-03-12", "A-200", 1, kDfv, "777.77", "0", "0", "0", "777.77", "0", "S"};
    Factura f4{8000020, "2031-05-02", "B-1", 1, kDfv, "1000", "0", "0", "0", "1000", "0", "N", "500", "1"};
    for (const auto &f : {f1, f2, f3, f4})
        Insertar(tienda, f);
    Linea(tienda, 8000009, "2031-03-05", "A-100", "ART-UNO", "PRIMER ARTICULO", 2, "400", "800");
    Linea(tienda, 8000009, "2031-03-05", "A-100", "ART-DOS", "SEGUNDO ARTICULO", 1, "100", "100");
    Linea(tienda, 80000010, "2031-03-10", "A-100", "ART-TRES", "TERCER ARTICULO", 5, "100", "500");
    Linea(tienda, 8000011, "2031-03-12", "A-200", "ART-ANULADO", "ARTICULO ANULADO", 1, "777.77", "777.77");
    Linea(tienda, 8000020, "2031-05-02", "B-1", "ART-MAYO", "ARTICULO DE MAYO", 10, "100", "1000", "500", "1");
    NotaCredito(tienda, "2031-03-15", "NC-1", 5, "200", "26", "226", "N");
    NotaCredito(tienda, "2031-03-16", "NC-2", 1, "999", "0", "999", "S");
}

class ReportesPeriodoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CargarPeriodo(env.tienda);
        ajustes = AjustesDeDatosComp(*env.datos);
        ajustes.pathReportes = QStringLiteral(COMPRAS_REPORTES_FUENTE) + QLatin1Char('/');
    }

    QString Imprimir(TipoReportePeriodo tipo, const QDate &desde, const QDate &hasta, int moneda = 1,
                     bool totales = false, ReportesPeriodo *otro = nullptr)
    {
        ReportesPeriodo propio(ConexionesLecturaDatosComp(*env.datos), ajustes);
        ReportesPeriodo &r = otro ? *otro : propio;
        PedidoReportePeriodo p{tipo, desde, hasta, moneda, totales};
        const QString pdf = env.carpeta.file(QStringLiteral("r%1.pdf").arg(++n));
        r.Preparar(p).ExportToPdf(pdf);
        ultimasVariables = r.reporte().Variables;
        return TextoPdf(pdf);
    }

    EntornoPrueba env;
    AjustesReportes ajustes;
    QMap<QString, QString> ultimasVariables;
    int n = 0;
    const QDate marzo1{2031, 3, 1}, marzo31{2031, 3, 31}, mayo1{2031, 5, 1}, mayo31{2031, 5, 31};
};

} // namespace

TEST_F(ReportesPeriodoTest, SummaryAddsValidInvoicesOnlyAndTotalsPassTheSameSums)
{
    const QString t = Imprimir(TipoReportePeriodo::ResumenCompras, marzo1, marzo31);
    EXPECT_TRUE(t.contains(QStringLiteral("Resumen de Compras"))) << t.toStdString();
    EXPECT_FALSE(t.contains(QStringLiteral("A-200"))) << "annulled invoices are left out";
    const QString totales = Renglon(t, QStringLiteral("Totales ("));
    EXPECT_TRUE(totales.contains(QStringLiteral("(2 facturas)"))) << totales.toStdString();
    EXPECT_TRUE(totales.contains(QStringLiteral("1,569.00"))) << totales.toStdString();
    EXPECT_TRUE(totales.contains(QStringLiteral("169.00"))) << totales.toStdString();
    EXPECT_TRUE(totales.contains(QStringLiteral("1,300.00"))) << totales.toStdString();  // taxed subtotals

    const QString soloTotales = Imprimir(TipoReportePeriodo::ResumenCompras, marzo1, marzo31, 1, true);
    EXPECT_EQ(ultimasVariables.value("totImpTotal"), QStringLiteral("'1569'"));
    EXPECT_EQ(ultimasVariables.value("totImpIV"), QStringLiteral("'169'"));
    EXPECT_EQ(ultimasVariables.value("totImpExento"), QStringLiteral("'100'"));
    EXPECT_TRUE(soloTotales.contains(QStringLiteral("1,569.00"))) << soloTotales.toStdString();
    EXPECT_TRUE(Renglon(soloTotales, QStringLiteral("SubTotal Exento")).contains(QStringLiteral("100.00")));
    EXPECT_TRUE(soloTotales.contains(QStringLiteral("Fax:")));

    // No invoice in the range: the seven sums are still passed, all "0".
    Imprimir(TipoReportePeriodo::ResumenCompras, QDate(2031, 1, 1), QDate(2031, 1, 31), 1, true);
    for (const char *v : {"totImpGravado", "totImpExento", "totImpDescuento", "totImpTGravado", "totImpTExento",
                          "totImpIV", "totImpTotal"})
        EXPECT_EQ(ultimasVariables.value(QString::fromLatin1(v)), QStringLiteral("'0'")) << v;
}

TEST_F(ReportesPeriodoTest, SecondCurrencyConvertsEachInvoiceWithItsOwnRates)
{
    const QString local = Imprimir(TipoReportePeriodo::ResumenCompras, mayo1, mayo31, 1);
    EXPECT_TRUE(Renglon(local, QStringLiteral("Totales (")).contains(QStringLiteral("1,000.00")));
    EXPECT_EQ(ultimasVariables.value("pblMoneda1"), QStringLiteral("'S'"));

    const QString segunda = Imprimir(TipoReportePeriodo::ResumenCompras, mayo1, mayo31, 2);
    EXPECT_EQ(ultimasVariables.value("pblMoneda1"), QStringLiteral("'N'"));
    EXPECT_EQ(ultimasVariables.value("vSigno"), Reporte::QuotedStr(ajustes.signoMoneda2.trimmed()));
    EXPECT_EQ(ultimasVariables.value("pblTituloDolares"),
              Reporte::QuotedStr(QStringLiteral(" en ") + ajustes.denominacionMoneda2.trimmed().toLower()));
    const QString totales = Renglon(segunda, QStringLiteral("Totales ("));
    EXPECT_TRUE(totales.contains(QStringLiteral(" 2.00"))) << totales.toStdString();
    EXPECT_FALSE(totales.contains(QStringLiteral("1,000.00")));

    Imprimir(TipoReportePeriodo::ResumenCompras, mayo1, mayo31, 2, true);
    EXPECT_EQ(ultimasVariables.value("totImpTotal"), QStringLiteral("'2'"));

    const QString detalle = Imprimir(TipoReportePeriodo::DetalleCompras, mayo1, mayo31, 2);
    EXPECT_TRUE(Renglon(detalle, QStringLiteral("ART-MAYO")).contains(QStringLiteral("0.20"))) << detalle.toStdString();
    EXPECT_TRUE(Renglon(detalle, QStringLiteral("Total factura")).contains(QStringLiteral("2.00")));
}

TEST_F(ReportesPeriodoTest, DetailKeepsEachInvoicesOwnLinesInTheTextOrderOfTheIds)
{
    const QString t = Imprimir(TipoReportePeriodo::DetalleCompras, marzo1, marzo31);
    // Two invoices share the number A-100: each lists only its own lines (by ID_COMPRA).
    const QString total = Renglon(t, QStringLiteral("Total de líneas"));
    EXPECT_TRUE(total.contains(QStringLiteral("(3)"))) << t.toStdString();
    EXPECT_TRUE(total.contains(QStringLiteral("1,400.00"))) << total.toStdString();
    EXPECT_FALSE(t.contains(QStringLiteral("ART-ANULADO")));
    // Id 80000010 sorts before 8000009 as text.
    EXPECT_LT(t.indexOf(QStringLiteral("ART-TRES")), t.indexOf(QStringLiteral("ART-UNO")));
    EXPECT_LT(t.indexOf(kLcu), t.indexOf(kDfv));
    // Each invoice's footer carries its own total less its credit notes.
    const int bloque2 = t.indexOf(QStringLiteral("ART-UNO"));
    EXPECT_TRUE(t.mid(0, bloque2).contains(QStringLiteral("500.00")));
    EXPECT_TRUE(Renglon(t.mid(bloque2), QStringLiteral("Total factura")).contains(QStringLiteral("1,004.00")));
}

TEST_F(ReportesPeriodoTest, BySupplierListsAnnulledInvoicesWithZeroAmounts)
{
    const QString t = Imprimir(TipoReportePeriodo::ComprasProveedor, marzo1, marzo31);
    const QString anulada = Renglon(t, QStringLiteral("A-200"));
    EXPECT_TRUE(anulada.contains(QStringLiteral("ANULADA"))) << t.toStdString();
    EXPECT_FALSE(anulada.contains(QStringLiteral("777.77")));
    EXPECT_TRUE(anulada.contains(QStringLiteral("0.00")));
    const QString general = Renglon(t, QStringLiteral("Total general"));
    EXPECT_TRUE(general.contains(QStringLiteral("1,569.00"))) << general.toStdString();
    EXPECT_TRUE(general.contains(QStringLiteral("1,504.00"))) << general.toStdString();  // net of credit notes
    EXPECT_TRUE(ultimasVariables.contains(QStringLiteral("DefinicionCedJuridPais")));
    // Supplier 1 first (by code), with its valid and annulled invoices counted.
    EXPECT_LT(t.indexOf(kDfv), t.indexOf(kLcu));
    EXPECT_TRUE(t.contains(QStringLiteral("Total proveedor (2)")));
}

TEST_F(ReportesPeriodoTest, NetPurchasesSubtractCreditNotesAndIgnoreAnnulledOnes)
{
    const QString t = Imprimir(TipoReportePeriodo::ComprasNetas, marzo1, marzo31);
    const QString neto = Renglon(t, QStringLiteral("Compras netas ("));
    EXPECT_TRUE(neto.contains(QStringLiteral("(4 documentos)"))) << t.toStdString();
    EXPECT_TRUE(neto.contains(QStringLiteral("1,343.00"))) << neto.toStdString();  // 1004 + 565 - 226
    EXPECT_TRUE(Renglon(t, QStringLiteral("NC-1")).contains(QStringLiteral("-226.00")));
    const QString anulada = Renglon(t, QStringLiteral("NC-2"));
    EXPECT_TRUE(anulada.contains(QStringLiteral("Anulada - NOTA DE CREDITO"))) << anulada.toStdString();
    EXPECT_FALSE(anulada.contains(QStringLiteral("999")));
    EXPECT_TRUE(Renglon(t, QStringLiteral("NC-1")).contains(kLcu)) << "supplier name looked up from its code";
    // In date order: the invoices of the 5th and 10th before the notes of the 15th and 16th.
    EXPECT_LT(t.indexOf(QStringLiteral("05/03/2031")), t.indexOf(QStringLiteral("15/03/2031")));
}

TEST_F(ReportesPeriodoTest, TwoStationsPreparingTheDetailNeverMixTheirRows)
{
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into TABLA_REPORTES (CAMPO1) values ('OTRA ESTACION')"));
    auto otra = env.AbrirConexion();
    ReportesPeriodo a(ConexionesLecturaDatosComp(*env.datos), ajustes);
    ReportesPeriodo b(ConexionReportes{&otra->tienda, &otra->transLectura, &otra->inventario, &otra->transLecturaInv},
                      ajustes);
    // A lays out March, then B lays out May before A prints.
    Reporte &ra = a.Preparar({TipoReportePeriodo::DetalleCompras, marzo1, marzo31, 1, false});
    Reporte &rb = b.Preparar({TipoReportePeriodo::DetalleCompras, mayo1, mayo31, 1, false});
    ra.ExportToPdf(env.carpeta.file("a.pdf"));
    rb.ExportToPdf(env.carpeta.file("b.pdf"));
    const QString ta = TextoPdf(env.carpeta.file("a.pdf"));
    const QString tb = TextoPdf(env.carpeta.file("b.pdf"));
    EXPECT_TRUE(ta.contains(QStringLiteral("ART-UNO")));
    EXPECT_FALSE(ta.contains(QStringLiteral("ART-MAYO")));
    EXPECT_TRUE(tb.contains(QStringLiteral("ART-MAYO")));
    EXPECT_FALSE(tb.contains(QStringLiteral("ART-UNO")));
    // Nobody's shared rows were emptied.
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, QStringLiteral("select count(*) from TABLA_REPORTES where CAMPO1 = "
                                                                "'OTRA ESTACION'")),
              1);
}

TEST_F(ReportesPeriodoTest, QuotesAndBracesInNamesPrintAsWritten)
{
    const QString empresa = QStringLiteral("Ferretería O'Brien {{vSigno}} 'Norte'");
    const QString proveedor = QStringLiteral("Casa \"El Sol\" O'Neil {{Encabezado1}} <b>x</b>");
    ajustes.nombreEmpresa = empresa;
    Insertar(env.tienda, {8000030, "2031-07-01", "Q-1", 12, proveedor, "10", "0", "0", "0", "10", "0"});
    const QString t = Imprimir(TipoReportePeriodo::ComprasProveedor, QDate(2031, 7, 1), QDate(2031, 7, 31));
    EXPECT_TRUE(t.contains(empresa)) << t.toStdString();
    EXPECT_TRUE(t.contains(proveedor)) << t.toStdString();
    EXPECT_EQ(ultimasVariables.value("Encabezado1"), QStringLiteral("'Ferretería O''Brien {{vSigno}} ''Norte'''"));
}

TEST(ConversionMoneda, RoundsToTheNearestTenThousandthAndRefusesAZeroRate)
{
    EXPECT_EQ(*ConvertirMoneda(Currency(1000), Currency(500), Currency(1)), Currency(2));
    EXPECT_EQ(*ConvertirMoneda(Currency(1), Currency(3), Currency(1)), Currency::fromString(QStringLiteral("0.3333")));
    EXPECT_EQ(*ConvertirMoneda(Currency(-2), Currency(3), Currency(1)), Currency::fromString(QStringLiteral("-0.6667")));
    // 0.00005 lands exactly between two ten-thousandths: ties go to even.
    EXPECT_EQ(*ConvertirMoneda(Currency::fromString(QStringLiteral("0.0001")), Currency(2), Currency(1)), Currency());
    EXPECT_EQ(*ConvertirMoneda(Currency::fromString(QStringLiteral("0.0003")), Currency(2), Currency(1)), Currency::fromString(QStringLiteral("0.0002")));
    EXPECT_FALSE(ConvertirMoneda(Currency(10), Currency(), Currency(1)).has_value());
}

#include "support/PruebaVentanas.h"
PRUEBAS_CON_VENTANAS_MAIN()
