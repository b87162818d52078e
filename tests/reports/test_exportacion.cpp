// The export of a period's purchases read back cell by cell: headings, fonts, borders,
// widths, annulled invoices, totals, the detail blocks of a number shared by two suppliers,
// the second currency and a record without exchange rate.
#include "reports/ExportacionCompras.h"
#include "reports/DatosReportes.h"
#include "platform/workbook/LibroHojas.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace datosreportes;

namespace {

// The first sheet's XML as stored in the workbook.
QString HojaXml(const QString &xlsx)
{
    QProcess p;
    p.start(QStringLiteral("python3"), {QStringLiteral("-c"),
                                        QStringLiteral("import sys,zipfile;sys.stdout.write(zipfile.ZipFile(sys.argv[1])"
                                                       ".read('xl/worksheets/sheet1.xml').decode())"),
                                        xlsx});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class ExportacionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Factura f1{8000009, "2031-03-05", "A-100", 1, "DFV", "800", "100", "0", "104", "1004", "4"};
        Factura f2{8000010, "2031-03-10", "A-100", 5, "LCU", "500", "0", "0", "65", "565", "0"};
        Factura f3{8000011, "2031-03-12", "A-200", 1, "DFV", "777.77", "0", "0", "0", "777.77", "0", "S"};
        for (const auto &f : {f1, f2, f3})
            Insertar(env.tienda, f);
        Linea(env.tienda, 8000009, "2031-03-05", "A-100", "ART-UNO", "PRIMER ARTICULO", 2, "400", "800");
        Linea(env.tienda, 8000009, "2031-03-05", "A-100", "ART-DOS", "SEGUNDO ARTICULO", 1, "100", "100");
        Linea(env.tienda, 8000010, "2031-03-10", "A-100", "ART-TRES", "TERCER ARTICULO", 5, "100", "500");
        Linea(env.tienda, 8000011, "2031-03-12", "A-200", "ART-ANULADO", "ARTICULO ANULADO", 1, "777.77", "777.77");
    }

    LibroHojas Exportar(bool detalle, int moneda, const QDate &desde, const QDate &hasta,
                        const QString &nombre = QStringLiteral("compras.xls"))
    {
        ExportacionCompras e(ConexionesLecturaDatosComp(*env.datos), AjustesDeDatosComp(*env.datos), env.mensajes);
        e.AlIniciar = [this](int m) { maximo = m; };
        e.AlAvanzar = [this](int a) { avances.push_back(a); };
        archivo = e.Exportar({desde, hasta, detalle, moneda, env.carpeta.file(nombre), {}, {}});
        sinConvertir = e.CeldasSinConvertir();
        return LeerLibro(archivo);
    }

    static QString T(const HojaLibro &h, int f, int c)
    {
        const CeldaLibro *x = h.celda(f, c);
        return x ? x->texto : QStringLiteral("<nada>");
    }
    static double N(const HojaLibro &h, int f, int c)
    {
        const CeldaLibro *x = h.celda(f, c);
        return x && x->tipo == CeldaLibro::Tipo::Numero ? x->numero : -999999;
    }

    EntornoPrueba env;
    QString archivo;
    int maximo = -1;
    std::vector<int> avances;
    int sinConvertir = 0;
    const QDate marzo1{2031, 3, 1}, marzo31{2031, 3, 31};
};

} // namespace

TEST_F(ExportacionTest, SummaryWritesOneRowPerInvoiceAndTotalsOfTheValidOnes)
{
    const LibroHojas libro = Exportar(false, 1, marzo1, marzo31);
    const HojaLibro &h = libro.hojas.at(0);
    EXPECT_EQ(T(h, 1, 1), QStringLiteral("Informe de compras"));
    EXPECT_EQ(T(h, 1, 3), QStringLiteral("Entre el 01/03/2031 y el 31/03/2031"));
    EXPECT_TRUE(h.celda(1, 1)->negrita);
    const QStringList titulos = {"Fecha", "Comprobante", "Cliente", "SubTotal Gravado", "SubTotal No Gravado",
                                 "Descuento", "Total Gravado", "Total No Gravado"};
    for (int c = 0; c < titulos.size(); ++c) {
        EXPECT_EQ(T(h, 3, c + 1), titulos[c]);
        EXPECT_EQ(h.celda(3, c + 1)->bordes, 15);
    }
    EXPECT_EQ(T(h, 3, 10), QStringLiteral("Total"));
    EXPECT_EQ(T(h, 3, 12), QStringLiteral("Importe Total"));
    EXPECT_TRUE(T(h, 3, 9).startsWith(QLatin1Char('\'')) && T(h, 3, 9).endsWith(QLatin1Char('\'')));

    // Rows by date and number: A-100 (DFV), A-100 (LCU), A-200 annulled.
    EXPECT_EQ(T(h, 4, 1), QStringLiteral("05/03/2031"));
    EXPECT_EQ(T(h, 4, 3), QStringLiteral("DFV"));
    EXPECT_EQ(h.celda(4, 3)->fuente, QStringLiteral("Tahoma"));
    EXPECT_FALSE(h.celda(4, 3)->negrita);
    EXPECT_EQ(h.celda(4, 4)->bordes, 0);
    EXPECT_DOUBLE_EQ(N(h, 4, 4), 800);
    EXPECT_DOUBLE_EQ(N(h, 4, 10), 1004);
    EXPECT_DOUBLE_EQ(N(h, 4, 11), 4);
    EXPECT_DOUBLE_EQ(N(h, 4, 12), 1000);
    EXPECT_EQ(T(h, 6, 3), QStringLiteral("ANULADA - DFV"));
    for (int c = 4; c <= 12; ++c)
        EXPECT_DOUBLE_EQ(N(h, 6, c), 0) << c;

    // One empty row, then the totals, bold with the first border side.
    EXPECT_EQ(h.celda(7, 4), nullptr);
    EXPECT_DOUBLE_EQ(N(h, 8, 4), 1300);
    EXPECT_DOUBLE_EQ(N(h, 8, 9), 169);
    EXPECT_DOUBLE_EQ(N(h, 8, 10), 1569);
    EXPECT_DOUBLE_EQ(N(h, 8, 12), 1565);
    EXPECT_TRUE(h.celda(8, 10)->negrita);
    EXPECT_EQ(h.celda(8, 10)->bordes, 1);

    const double anchos[] = {23, 14, 40, 18, 21, 13, 15, 12, 21, 15, 15, 15};
    for (int c = 0; c < 12; ++c)
        EXPECT_NEAR(h.anchos.at(c + 1), anchos[c], 1) << c + 1;

    // Progress: three invoices, advanced after each.
    EXPECT_EQ(maximo, 3);
    EXPECT_EQ(avances, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(archivo.endsWith(QStringLiteral("compras.xlsx")));
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("El archivo  \"%1\"  se generó correctamente!").arg(archivo)));
}

TEST_F(ExportacionTest, DetailBlocksKeepTheLinesOfEachInvoiceSharingANumber)
{
    const LibroHojas libro = Exportar(true, 1, marzo1, marzo31);
    const HojaLibro &h = libro.hojas.at(0);
    // First block: DFV's A-100 with its two lines only.
    EXPECT_EQ(T(h, 3, 2), QStringLiteral("DFV"));
    EXPECT_EQ(T(h, 3, 3), QStringLiteral("A-100"));
    EXPECT_TRUE(h.celda(3, 1)->negrita);
    EXPECT_EQ(T(h, 4, 1), QStringLiteral("Codigo"));
    EXPECT_EQ(h.celda(4, 5)->bordes, 15);
    EXPECT_EQ(T(h, 5, 1), QStringLiteral("ART-UNO"));
    EXPECT_DOUBLE_EQ(N(h, 5, 3), 2);
    EXPECT_DOUBLE_EQ(N(h, 5, 4), 400);
    EXPECT_DOUBLE_EQ(N(h, 5, 5), 800);
    EXPECT_EQ(h.celda(5, 2)->bordes, 15);
    EXPECT_EQ(T(h, 6, 1), QStringLiteral("ART-DOS"));
    // Seven footer rows; "Total" bold, amounts bordered, labels not.
    EXPECT_EQ(T(h, 7, 3), QStringLiteral("SubTotal Gravado"));
    EXPECT_EQ(h.celda(7, 3)->bordes, 0);
    EXPECT_EQ(h.celda(7, 5)->bordes, 15);
    EXPECT_EQ(T(h, 13, 3), QStringLiteral("Total"));
    EXPECT_TRUE(h.celda(13, 3)->negrita);
    EXPECT_FALSE(h.celda(12, 3)->negrita);
    EXPECT_DOUBLE_EQ(N(h, 13, 5), 1004);
    // An empty row, then LCU's A-100 with its one line.
    EXPECT_EQ(h.celda(14, 1), nullptr);
    EXPECT_EQ(T(h, 15, 2), QStringLiteral("LCU"));
    EXPECT_EQ(T(h, 17, 1), QStringLiteral("ART-TRES"));
    EXPECT_EQ(T(h, 18, 3), QStringLiteral("SubTotal Gravado"));
    // The annulled invoice is listed in full.
    EXPECT_EQ(T(h, 26, 3), QStringLiteral("A-200"));
    EXPECT_EQ(T(h, 28, 1), QStringLiteral("ART-ANULADO"));
    EXPECT_NEAR(h.anchos.at(2), 47, 1);
    EXPECT_NEAR(h.anchos.at(6), 13, 1);
    EXPECT_EQ(avances.size(), 3u);
}

TEST_F(ExportacionTest, SecondCurrencyConvertsAndAZeroRateLeavesAnEmptyCellWithANote)
{
    Insertar(env.tienda, {8000040, "2031-06-01", "D-1", 1, "DFV", "1000", "0", "0", "0", "1000", "0", "N", "500", "1"});
    Insertar(env.tienda, {8000041, "2031-06-02", "D-2", 1, "DFV", "50", "0", "0", "0", "50", "0", "N", "0", "1"});
    Linea(env.tienda, 8000040, "2031-06-01", "D-1", "ART-X", "X", 1, "1000", "1000", "500", "1");
    Linea(env.tienda, 8000041, "2031-06-02", "D-2", "ART-Y", "Y", 1, "50", "50", "0", "1");

    const LibroHojas resumen = Exportar(false, 2, QDate(2031, 6, 1), QDate(2031, 6, 30), QStringLiteral("dolares"));
    const HojaLibro &h = resumen.hojas.at(0);
    EXPECT_TRUE(archivo.endsWith(QStringLiteral("dolares.xlsx"))) << archivo.toStdString();
    EXPECT_TRUE(QFileInfo::exists(archivo));
    EXPECT_TRUE(T(h, 1, 1).startsWith(QStringLiteral("Informe de compras en ")));
    EXPECT_DOUBLE_EQ(N(h, 4, 10), 2);
    // The reader does not surface blank cells: the file itself holds the styled empty cell.
    EXPECT_TRUE(h.celda(5, 10) == nullptr || h.celda(5, 10)->tipo != CeldaLibro::Tipo::Numero);
    EXPECT_TRUE(HojaXml(archivo).contains(QStringLiteral("<c r=\"J5\" s=\""))) << HojaXml(archivo).left(400).toStdString();
    EXPECT_EQ(T(h, 5, 13), ExportacionCompras::kNotaSinTipoCambio);
    EXPECT_DOUBLE_EQ(N(h, 7, 10), 2) << "the unconverted invoice adds nothing";
    EXPECT_EQ(sinConvertir, 9);

    const LibroHojas detalle = Exportar(true, 2, QDate(2031, 6, 1), QDate(2031, 6, 30));
    const HojaLibro &d = detalle.hojas.at(0);
    EXPECT_DOUBLE_EQ(N(d, 5, 5), 2);
    EXPECT_DOUBLE_EQ(N(d, 12, 5), 2);  // "Total" of D-1
    EXPECT_EQ(T(d, 16, 1), QStringLiteral("ART-Y"));
    EXPECT_TRUE(d.celda(16, 5) == nullptr || d.celda(16, 5)->tipo != CeldaLibro::Tipo::Numero);
    EXPECT_EQ(T(d, 16, 6), ExportacionCompras::kNotaSinTipoCambio);
}

TEST_F(ExportacionTest, AnEmptyPeriodStillWritesTheWorkbook)
{
    const HojaLibro r = Exportar(false, 1, QDate(2031, 1, 1), QDate(2031, 1, 31)).hojas.at(0);
    EXPECT_EQ(T(r, 1, 1), QStringLiteral("Informe de compras"));
    EXPECT_EQ(T(r, 3, 1), QStringLiteral("Fecha"));
    EXPECT_DOUBLE_EQ(N(r, 5, 10), 0);
    EXPECT_EQ(r.ultimaFila(), 5);
    const HojaLibro d = Exportar(true, 1, QDate(2031, 1, 1), QDate(2031, 1, 31)).hojas.at(0);
    EXPECT_EQ(d.ultimaFila(), 1);
    EXPECT_EQ(maximo, 0);
}

TEST_F(ExportacionTest, AFileThatCannotBeWrittenIsReportedAndNoSuccessIsShown)
{
    ExportacionCompras e(ConexionesLecturaDatosComp(*env.datos), AjustesDeDatosComp(*env.datos), env.mensajes);
    EXPECT_THROW(e.Exportar({marzo1, marzo31, false, 1, QStringLiteral("/no/existe/compras.xlsx"), {}, {}}), ErrorCompras);
    for (const auto &m : env.mensajes.mostrados())
        EXPECT_FALSE(m.texto.contains(QStringLiteral("correctamente")));
}

#include "support/PruebaVentanas.h"
PRUEBAS_CON_VENTANAS_MAIN()
