// The headless twins: argument checks, and the real command printing a report and writing
// the workbook over the test databases.
#include "cli/ReportesCli.h"
#include "reports/DatosReportes.h"
#include "platform/workbook/LibroHojas.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace datosreportes;

TEST(ReportesCliArgumentos, KindsAndDatesAreReadInBothSpellings)
{
    EXPECT_EQ(TipoReporteDeTexto(QStringLiteral("resumen")), 1);
    EXPECT_EQ(TipoReporteDeTexto(QStringLiteral("Netas")), 4);
    EXPECT_EQ(TipoReporteDeTexto(QStringLiteral("3")), 3);
    EXPECT_EQ(TipoReporteDeTexto(QStringLiteral("5")), 0);
    EXPECT_EQ(TipoReporteDeTexto(QStringLiteral("ventas")), 0);
    EXPECT_EQ(FechaDeTexto(QStringLiteral("2031-03-05")), QDate(2031, 3, 5));
    EXPECT_EQ(FechaDeTexto(QStringLiteral("05/03/2031")), QDate(2031, 3, 5));
    EXPECT_FALSE(FechaDeTexto(QStringLiteral("31/02/2031")).isValid());
}

TEST(ReportesCliArgumentos, BadRequestsAreRefusedBeforeTouchingAnything)
{
    const ConexionReportes nada;
    const AjustesReportes a;
    const QDate d(2031, 3, 1), h(2031, 3, 31);
    EXPECT_EQ(ReporteAPdf(nada, a, {9, d, h, 1, false, QStringLiteral("x.pdf")}).codigo, 2);
    EXPECT_EQ(ReporteAPdf(nada, a, {1, h, d, 1, false, QStringLiteral("x.pdf")}).codigo, 2);
    EXPECT_EQ(ReporteAPdf(nada, a, {1, d, h, 3, false, QStringLiteral("x.pdf")}).codigo, 2);
    EXPECT_EQ(ReporteAPdf(nada, a, {1, d, h, 1, false, QString()}).codigo, 2);
    const ResultadoCli r = ExportarALibro(nada, a, {QDate(), h, 1, false, QStringLiteral("x.xlsx")});
    EXPECT_EQ(r.codigo, 2);
    EXPECT_EQ(r.mensaje, QStringLiteral("La fecha inicial no es valida"));
}

TEST(ReportesCliComando, PrintsEachReportAndExportsThePeriod)
{
    EntornoPrueba env;
    Insertar(env.tienda, {8000070, "2031-10-02", "C-1", 1, "PROVEEDOR CLI", "200", "0", "0", "26", "226", "0"});
    Linea(env.tienda, 8000070, "2031-10-02", "C-1", "ART-CLI", "ARTICULO CLI", 2, "100", "200");
    auto correr = [&](const QStringList &args) {
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.remove(QStringLiteral("PathReportes"));
        e.insert(QStringLiteral("COMPRAS_INI_DIR"), env.carpeta.path());
        p.setProcessEnvironment(e);
        p.start(QStringLiteral(COMPRAS_CLI), args);
        EXPECT_TRUE(p.waitForFinished(180000));
        return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()));
    };
    const QString dir = env.carpeta.path();
    for (const char *tipo : {"resumen", "detalle", "proveedor", "netas"}) {
        const QString pdf = env.carpeta.file(QStringLiteral("%1.pdf").arg(QString::fromLatin1(tipo)));
        const auto [rc, salida] = correr({QStringLiteral("report"), dir, QString::fromLatin1(tipo), QStringLiteral("--desde"),
                                          QStringLiteral("2031-10-01"), QStringLiteral("--hasta"),
                                          QStringLiteral("2031-10-31"), QStringLiteral("--pdf"), pdf});
        ASSERT_EQ(rc, 0) << salida.toStdString();
        EXPECT_TRUE(TextoPdf(pdf).contains(QStringLiteral("226.00"))) << tipo;
    }
    const QString xlsx = env.carpeta.file(QStringLiteral("octubre"));
    const auto [rc, salida] = correr({QStringLiteral("export"), dir, QStringLiteral("--desde"), QStringLiteral("01/10/2031"),
                                      QStringLiteral("--hasta"), QStringLiteral("31/10/2031"), QStringLiteral("--detalle"),
                                      QStringLiteral("--xlsx"), xlsx});
    ASSERT_EQ(rc, 0) << salida.toStdString();
    EXPECT_TRUE(salida.contains(QStringLiteral("octubre.xlsx"))) << salida.toStdString();
    const HojaLibro h = LeerLibro(xlsx + QStringLiteral(".xlsx")).hojas.at(0);
    EXPECT_EQ(h.celda(5, 1)->texto, QStringLiteral("ART-CLI"));
    EXPECT_DOUBLE_EQ(h.celda(12, 5)->numero, 226);

    const auto [rcMal, salidaMal] = correr({QStringLiteral("report"), dir, QStringLiteral("ventas"), QStringLiteral("--desde"),
                                            QStringLiteral("2031-10-01"), QStringLiteral("--hasta"),
                                            QStringLiteral("2031-10-31"), QStringLiteral("--pdf"), QStringLiteral("x.pdf")});
    EXPECT_EQ(rcMal, 2) << salidaMal.toStdString();
}

#include "support/PruebaVentanas.h"
PRUEBAS_CON_VENTANAS_MAIN()
