#include "platform/report/ApoyoReporte.h"
#include "platform/report/DetallePrueba.h"

#include "platform/report/Reporte.h"

#include <QPrinter>

// The PDF written without a preview has the pages the preview prints, and the same text
// as when every band is laid out as a whole document.
TEST(PdfDirecto, IgualQueLaVistaPreviaYQueLaMaquetacionCompleta)
{
    QTemporaryDir dir;
    escribirArchivo(dir, QStringLiteral("moldeado.html"), QString::fromUtf8(kDetalle).arg(QString()));
    escribirArchivo(dir, QStringLiteral("completo.html"), QString::fromUtf8(kDetalle).arg(QStringLiteral("{{#if Nada}}{{/if}}")));
    TablaReporte filas = lineasDetalle(70);
    ReporteDatos ds;
    ds.setDataSet(&filas);
    auto reporte = [&](const QString &plantilla) {
        auto r = std::make_unique<Reporte>();
        r->setDataSet(&ds);
        r->LoadFromFile(dir.filePath(plantilla));
        r->Variables[QStringLiteral("Empresa")] = Reporte::QuotedStr(QStringLiteral("Ferretería {El Clavo} S.A."));
        return r;
    };

    const QString directo = dir.filePath(QStringLiteral("directo.pdf"));
    auto a = reporte(QStringLiteral("moldeado.html"));
    a->ExportToPdf(directo);

    const QString vista = dir.filePath(QStringLiteral("vista.pdf"));
    auto b = reporte(QStringLiteral("moldeado.html"));
    ASSERT_TRUE(b->PrepareReport());
    QPrinter impresora(QPrinter::HighResolution);
    impresora.setOutputFormat(QPrinter::PdfFormat);
    impresora.setOutputFileName(vista);
    b->Print(&impresora);

    const QString completo = dir.filePath(QStringLiteral("completo.pdf"));
    auto c = reporte(QStringLiteral("completo.html"));
    c->ExportToPdf(completo);

    const auto paginas = lineasPorPagina(directo);
    const int n = a->PageCount();
    ASSERT_GT(n, 5);
    EXPECT_EQ(paginas.size(), n);
    EXPECT_EQ(b->PageCount(), n);
    EXPECT_EQ(c->PageCount(), n);
    EXPECT_EQ(lineasPorPagina(vista), paginas);
    EXPECT_EQ(lineasPorPagina(completo), paginas);

    // The text is all there, in order, whichever way it was painted.
    const QString todo = paginasPdf(directo).join(QLatin1Char('\n'));
    int anterior = -1;
    for (int i = 1; i <= filas.rowCount(); ++i) {
        const int pos = static_cast<int>(todo.indexOf(QStringLiteral("C%1").arg(i, 4, 10, QLatin1Char('0'))));
        ASSERT_GT(pos, anterior) << i;
        anterior = pos;
    }
    EXPECT_TRUE(todo.contains(QStringLiteral("Tornillo & tuerca <3/8> 53")));
    EXPECT_TRUE(todo.contains(QStringLiteral("ocupa dos renglones 97")));
    EXPECT_TRUE(todo.contains(QStringLiteral("PROVEEDOR \"3\"")));
    EXPECT_TRUE(todo.contains(QStringLiteral("Total general:")));
    for (int i = 0; i < n; ++i) {
        EXPECT_TRUE(paginas[i].first().contains(QStringLiteral("Ferretería {El Clavo} S.A. Página %1 de %2").arg(i + 1).arg(n)))
            << paginas[i].first().toStdString();
        EXPECT_EQ(paginas[i].last(), QStringLiteral("Hoja %1").arg(i + 1));
    }
}
