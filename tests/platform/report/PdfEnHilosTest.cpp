#include "platform/report/ApoyoReporte.h"
#include "platform/report/DetallePrueba.h"

#include "platform/report/Reporte.h"
#include "platform/report/UnionPdf.h"

#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSet>

namespace {

// pdfinfo's page count; -1 when it complains on stderr or fails.
int paginasSegunPdfinfo(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(p.waitForFinished(60000));
    const QString error = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromUtf8(p.readAllStandardOutput()));
    return p.exitCode() == 0 && error.isEmpty() && m.hasMatch() ? m.captured(1).toInt() : -1;
}

QByteArray leer(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every /FontName the file gives its font descriptors.
QStringList nombresDeFuente(const QString &pdf)
{
    QStringList nombres;
    const QString texto = QString::fromLatin1(leer(pdf));
    for (const auto &m : QRegularExpression(QStringLiteral("/FontName\\s*/([^\\s/<>\\[\\]]+)")).globalMatch(texto))
        nombres << m.captured(1);
    return nombres;
}

// A PDF as QPdfWriter writes it: one page per text, in two fonts.
void escribirPdf(const QString &ruta, const QStringList &paginas)
{
    QPdfWriter pdf(ruta);
    pdf.setResolution(96);
    QPainter p(&pdf);
    for (int i = 0; i < paginas.size(); ++i) {
        if (i > 0)
            pdf.newPage();
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
        p.drawText(100, 100, paginas[i]);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 12, QFont::Bold));
        p.drawText(100, 200, paginas[i].toUpper());
    }
    ASSERT_TRUE(p.end());
}

// Page `pagina` (from 1) as pdftoppm renders it, in grey at low resolution.
QByteArray imagenPagina(const QString &pdf, int pagina)
{
    QTemporaryDir dir;
    const QString n = QString::number(pagina);
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {"-r", "40", "-gray", "-f", n, "-l", n, "-singlefile", pdf, dir.filePath("p")});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return leer(dir.filePath("p.pgm"));
}

QStringList archivosEn(const QString &carpeta)
{
    return QDir(carpeta).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

// Painted on several threads, the PDF has the pages, and on each page the text, of the
// single pass; readers take it without complaint and no two font subsets share a name.
TEST(PdfEnHilos, MismasPaginasQueEnUnaPasada)
{
    QTemporaryDir dir;
    escribirArchivo(dir, QStringLiteral("detalle.html"), QString::fromUtf8(kDetalle).arg(QString()));
    TablaReporte filas = lineasDetalle(900);
    ReporteDatos ds;
    ds.setDataSet(&filas);
    Reporte reporte;
    reporte.setDataSet(&ds);
    reporte.LoadFromFile(dir.filePath(QStringLiteral("detalle.html")));
    reporte.Variables[QStringLiteral("Empresa")] = Reporte::QuotedStr(QStringLiteral("Ferretería {El Clavo} S.A."));
    ASSERT_TRUE(reporte.PrepareReport());
    const int n = reporte.PageCount();
    ASSERT_GE(n, reporte.PaginasEnHilos);

    reporte.HilosPdf = 1;
    const QString unaPasada = dir.filePath(QStringLiteral("una.pdf"));
    reporte.ExportToPdf(unaPasada);
    const auto esperadas = lineasPorPagina(unaPasada);
    ASSERT_EQ(esperadas.size(), n);
    const int fuentes = static_cast<int>(nombresDeFuente(unaPasada).size());
    ASSERT_GT(fuentes, 0);

    for (int hilos : {2, 3}) {
        SCOPED_TRACE(hilos);
        reporte.HilosPdf = hilos;
        const QString pdf = dir.filePath(QStringLiteral("hilos%1.pdf").arg(hilos));
        reporte.ExportToPdf(pdf);
        EXPECT_EQ(paginasSegunPdfinfo(pdf), n);
        EXPECT_EQ(lineasPorPagina(pdf), esperadas);
        // Where the parts meet, and the last page, look the same.
        for (int pagina : {n / hilos, n / hilos + 1, n}) {
            const QByteArray imagen = imagenPagina(pdf, pagina);
            EXPECT_FALSE(imagen.isEmpty());
            EXPECT_TRUE(imagen == imagenPagina(unaPasada, pagina)) << pagina;
        }
        // One set of subsets per part, each under its own name.
        const QStringList nombres = nombresDeFuente(pdf);
        EXPECT_EQ(nombres.size(), hilos * fuentes);
        EXPECT_EQ(QSet<QString>(nombres.cbegin(), nombres.cend()).size(), nombres.size()) << nombres.join(' ').toStdString();
    }
    EXPECT_EQ(archivosEn(dir.path()).size(), 4);
}

// An error while painting, on a worker thread or on the caller's, reaches the caller as
// ErrorReporte; the target is left as it was and no part is left behind.
TEST(PdfEnHilos, UnErrorAlPintarLlegaAlLlamadorYNoDejaArchivos)
{
    QTemporaryDir dir, temporales;
    escribirArchivo(dir, QStringLiteral("detalle.html"), QString::fromUtf8(kDetalle).arg(QString()));
    const QString destino = dir.filePath(QStringLiteral("existente.pdf"));
    escribirArchivo(dir, QStringLiteral("existente.pdf"), QStringLiteral("anterior"));
    // Temporary files go to `temporales` while the report lives.
    struct Temporales {
        explicit Temporales(const QString &carpeta) : antes(qgetenv("TMPDIR")) { qputenv("TMPDIR", QFile::encodeName(carpeta)); }
        ~Temporales()
        {
            if (antes.isNull())
                qunsetenv("TMPDIR");
            else
                qputenv("TMPDIR", antes);
        }
        QByteArray antes;
    };
    TablaReporte filas = lineasDetalle(600);
    ReporteDatos ds;
    ds.setDataSet(&filas);

    // The page spool cut short: at 70 % only the second half fails (on the worker), at 20 %
    // both; and in one pass.
    for (auto [hilos, parte] : {std::pair{2, 0.7}, std::pair{2, 0.2}, std::pair{1, 0.7}}) {
        SCOPED_TRACE(testing::Message() << hilos << " " << parte);
        Temporales enTemporales(temporales.path());
        Reporte reporte;
        reporte.setDataSet(&ds);
        reporte.LoadFromFile(dir.filePath(QStringLiteral("detalle.html")));
        reporte.HilosPdf = 2;
        ASSERT_TRUE(reporte.PrepareReport());
        ASSERT_GE(reporte.PageCount(), reporte.PaginasEnHilos);
        // Once painted on several threads the spool has a name there (the others have none).
        reporte.ExportToPdf(dir.filePath(QStringLiteral("bien.pdf")));
        reporte.HilosPdf = hilos;
        const QStringList spool = archivosEn(temporales.path());
        ASSERT_FALSE(spool.isEmpty());
        for (const QString &f : spool) {
            QFile archivo(temporales.filePath(f));
            ASSERT_TRUE(archivo.resize(static_cast<qint64>(archivo.size() * parte)));
        }
        for (const QString &salida : {destino, dir.filePath(QStringLiteral("nuevo.pdf"))}) {
            try {
                reporte.ExportToPdf(salida);
                ADD_FAILURE() << "sin error";
            } catch (const ErrorReporte &e) {
                EXPECT_TRUE(e.mensaje().startsWith(QStringLiteral("No se pudo escribir el archivo temporal del reporte")))
                    << e.what();
            }
        }
        EXPECT_EQ(archivosEn(temporales.path()), spool);
        EXPECT_EQ(leer(destino), QByteArray("anterior"));
        EXPECT_EQ(archivosEn(dir.path()), QStringList({QStringLiteral("bien.pdf"), QStringLiteral("detalle.html"),
                                                      QStringLiteral("existente.pdf")}));
    }
}

// The joiner keeps every page in order, renames the repeated subsets, and refuses what is
// not of QPdfWriter's shape without touching the target.
TEST(UnionPdf, UneEnOrdenYRechazaLoQueNoConoce)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.pdf")), b = dir.filePath(QStringLiteral("b.pdf"));
    escribirPdf(a, {QStringLiteral("uno"), QStringLiteral("dos"), QStringLiteral("tres")});
    escribirPdf(b, {QStringLiteral("cuatro"), QStringLiteral("cinco")});
    const QString unido = dir.filePath(QStringLiteral("unido.pdf"));
    UnirPdf({a, b, a}, unido);
    EXPECT_EQ(paginasSegunPdfinfo(unido), 8);
    QStringList primeras;
    for (const QString &p : paginasPdf(unido))
        primeras << p.simplified().section(QLatin1Char(' '), 0, 0);
    EXPECT_EQ(primeras, QStringList({"uno", "dos", "tres", "cuatro", "cinco", "uno", "dos", "tres"}));
    const QStringList nombres = nombresDeFuente(unido);
    EXPECT_EQ(nombres.size(), 6);
    EXPECT_EQ(QSet<QString>(nombres.cbegin(), nombres.cend()).size(), 6) << nombres.join(' ').toStdString();
    // What the joiner writes it takes again.
    const QString otraVez = dir.filePath(QStringLiteral("otra.pdf"));
    UnirPdf({unido, b}, otraVez);
    EXPECT_EQ(paginasSegunPdfinfo(otraVez), 10);

    const QByteArray bytes = leer(a);
    auto archivo = [&](const QString &nombre, const QByteArray &contenido) {
        QFile f(dir.filePath(nombre));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(contenido);
        return f.fileName();
    };
    // A valid PDF of another shape: the catalog is object 1, no /Info.
    QByteArray otraForma = "%PDF-1.4\n";
    std::vector<qint64> pos;
    for (const char *obj : {"1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n",
                            "2 0 obj\n<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n",
                            "3 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>\nendobj\n"}) {
        pos.push_back(otraForma.size());
        otraForma += obj;
    }
    const qint64 xref = otraForma.size();
    otraForma += "xref\n0 4\n0000000000 65535 f \n";
    for (qint64 p : pos)
        otraForma += QByteArray::number(p).rightJustified(10, '0') + " 00000 n \n";
    otraForma += "trailer\n<< /Size 4 /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    const QString forma = archivo(QStringLiteral("forma.pdf"), otraForma);
    ASSERT_EQ(paginasSegunPdfinfo(forma), 1);
    // A stream whose length says more than it holds.
    QByteArray largoFalso = bytes;
    const qsizetype l = largoFalso.indexOf("<< /Length ") + 11;
    ASSERT_GT(l, 11);
    const qsizetype fin = largoFalso.indexOf(' ', l);
    largoFalso.replace(l, fin - l, QByteArray::number(largoFalso.mid(l, fin - l).toInt() + 7));

    const QStringList malos = {forma,
                               archivo(QStringLiteral("mitad.pdf"), bytes.left(bytes.size() / 2)),
                               archivo(QStringLiteral("sin-cola.pdf"), bytes.left(bytes.size() - 20)),
                               archivo(QStringLiteral("texto.pdf"), "no soy un PDF\n"),
                               archivo(QStringLiteral("largo.pdf"), largoFalso)};
    const QString previo = archivo(QStringLiteral("previo.pdf"), "anterior");
    const QString nuevo = dir.filePath(QStringLiteral("nuevo.pdf"));
    const QStringList antes = archivosEn(dir.path());
    for (const QString &malo : malos) {
        SCOPED_TRACE(malo.toStdString());
        for (const QString &destino : {previo, nuevo}) {
            try {
                UnirPdf({a, malo}, destino);
                ADD_FAILURE() << "sin error";
            } catch (const ErrorUnionPdf &e) {
                EXPECT_TRUE(e.mensaje().startsWith(QStringLiteral("No se pudo unir el archivo PDF \"%1\"").arg(malo)))
                    << e.what();
            }
        }
        EXPECT_EQ(leer(previo), QByteArray("anterior"));
        EXPECT_EQ(archivosEn(dir.path()), antes);
    }
}
