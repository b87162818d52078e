// Report and workbook throughput. Run without arguments: each case runs in
// its own process so that peak memory can be compared between row counts.
//   bench_report                 all cases
//   bench_report reporte N       one report of N rows to PDF
//   bench_report libro N         one workbook of N rows

#include "platform/report/Reporte.h"
#include "platform/workbook/TmxNativeExcel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

const char *kPlantilla = R"(<html><head><style>body { font-family: 'DejaVu Sans'; font-size: 8pt; } td { padding: 1px; }</style></head>
<body data-page-size="A4" data-margins="10">
<div data-band="page-header"><p>Listado de compras - Página {{Pagina}} de {{TotalPaginas}}</p></div>
<section data-band="data" data-source="dsReporte">
  <div data-band="header" data-repeat="yes"><table width="100%"><tr><td width="15%">Código</td><td width="45%">Descripción</td><td width="10%" align="right">Cantidad</td><td width="15%" align="right">Costo</td><td width="15%" align="right">Total</td></tr></table></div>
  <section data-band="group" data-field="GRUPO">
    <div data-band="header"><p><b>Proveedor {{GRUPO}}</b></p></div>
    <div data-band="row"><table width="100%"><tr><td width="15%">{{CODIGO}}</td><td width="45%">{{DESCRIPCION}}</td><td width="10%" align="right">{{CANTIDAD | #,##0.000}}</td><td width="15%" align="right">{{COSTO | #,##0.00}}</td><td width="15%" align="right">{{TOTAL | #,##0.00}}</td></tr></table></div>
    <div data-band="footer"><p>Total proveedor {{GRUPO}}: {{Suma.TOTAL | #,##0.00}}</p></div>
  </section>
</section>
<div data-band="summary"><p>Total general: {{Suma.TOTAL | #,##0.00}} en {{Cuenta}} líneas</p></div>
<div data-band="page-footer"><p>Pie {{Pagina}}/{{TotalPaginas}}</p></div>
</body></html>)";

// Rows made on the fly, so the data itself takes no memory.
class FilasGeneradas : public FuenteDatosReporte {
public:
    explicit FilasGeneradas(int filas) : filas_(filas) {}
    QStringList fieldNames() const override
    {
        return {QStringLiteral("CODIGO"), QStringLiteral("DESCRIPCION"), QStringLiteral("GRUPO"), QStringLiteral("CANTIDAD"),
                QStringLiteral("COSTO"), QStringLiteral("TOTAL")};
    }
    void first() override { i_ = 0; }
    bool next() override { return ++i_ < filas_; }
    bool eof() const override { return i_ >= filas_; }
    QVariant value(const QString &campo) const override
    {
        if (campo == QLatin1String("CODIGO"))
            return QStringLiteral("75010%1").arg(i_, 8, 10, QLatin1Char('0'));
        if (campo == QLatin1String("DESCRIPCION"))
            return QStringLiteral("Artículo de prueba número %1").arg(i_);
        if (campo == QLatin1String("GRUPO"))
            return i_ / 100;
        if (campo == QLatin1String("CANTIDAD"))
            return 1.5 + i_ % 7;
        if (campo == QLatin1String("COSTO"))
            return QStringLiteral("%1.25").arg(100 + i_ % 1000);
        return QStringLiteral("%1.50").arg(1000 + i_);
    }

private:
    int filas_;
    int i_ = 0;
};

long picoKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

int reporte(int filas)
{
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("bench.html")));
    f.open(QIODevice::WriteOnly);
    f.write(kPlantilla);
    f.close();
    FilasGeneradas datos(filas);
    ReporteDatos ds;
    ds.setDataSet(&datos);
    Reporte r;
    r.setDataSet(&ds);
    long antes = picoKb();
    QElapsedTimer t;
    t.start();
    r.LoadFromFile(dir.filePath(QStringLiteral("bench.fr3")));
    r.PrepareReport();
    qint64 preparar = t.elapsed();
    const QString pdf = dir.filePath(QStringLiteral("bench.pdf"));
    r.ExportToPdf(pdf);
    qint64 total = t.elapsed();
    std::printf("reporte %6d filas: %4d páginas, preparar %5lld ms, total a PDF %5lld ms, PDF %6lld KB, "
                "memoria pico %6ld KB (%ld KB antes del reporte)\n",
                filas, r.PageCount(), preparar, total, QFileInfo(pdf).size() / 1024, picoKb(), antes);
    return 0;
}

int libro(int filas)
{
    QTemporaryDir dir;
    QElapsedTimer t;
    t.start();
    TmxNativeExcel x;
    x.NewFile();
    x.SetFileName(dir.filePath(QStringLiteral("bench.xls")));
    x.AddFont(QStringLiteral("Tahoma"), 8, false);
    x.AddFont(QStringLiteral("Tahoma"), 8, true);
    x.SetActiveFont(1);
    x.Borders = BordeTodos;
    const char *titulos[] = {"Fecha", "Comprobante", "Cliente", "SubTotal", "Impuesto", "Total"};
    for (int c = 0; c < 6; ++c)
        x.WriteLabel(1, c + 1, QString::fromLatin1(titulos[c]));
    x.Borders = 0;
    x.SetActiveFont(0);
    for (int i = 0; i < filas; ++i) {
        x.WriteLabel(i + 2, 1, QStringLiteral("06/12/2026"));
        x.WriteLabel(i + 2, 2, QStringLiteral("A-%1").arg(i, 6, 10, QLatin1Char('0')));
        x.WriteLabel(i + 2, 3, QStringLiteral("Proveedor %1").arg(i % 50));
        x.WriteNumber(i + 2, 4, 1000 + i * 0.25);
        x.WriteNumber(i + 2, 5, 130 + i * 0.03);
        x.WriteNumber(i + 2, 6, 1130 + i * 0.28);
    }
    x.SetColumnWidth(1, 6, 15);
    x.CloseFile();
    bool ok = x.SaveToFile();
    std::printf("libro   %6d filas: %s en %5lld ms, %6lld KB, memoria pico %6ld KB\n", filas, ok ? "escrito" : "FALLÓ",
                t.elapsed(), QFileInfo(x.FileName()).size() / 1024, picoKb());
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc >= 3) {
        int n = QString::fromLocal8Bit(argv[2]).toInt();
        return QString::fromLocal8Bit(argv[1]) == QLatin1String("libro") ? libro(n) : reporte(n);
    }
    int rc = 0;
    for (auto [modo, n] : {std::pair{"reporte", 1000}, {"reporte", 10000}, {"libro", 10000}}) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(modo), QString::number(n)});
        p.waitForFinished(-1);
        rc |= p.exitCode();
    }
    return rc;
}
