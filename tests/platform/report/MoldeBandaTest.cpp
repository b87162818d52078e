#include "platform/report/ApoyoReporte.h"

#include "platform/report/MoldeBanda.h"
#include "platform/report/Reporte.h"

#include <QImage>
#include <QPainter>
#include <QTextDocument>

namespace {

const QString kCss = QStringLiteral("body { font-family: 'DejaVu Sans'; font-size: 7pt; } .negrita { font-weight: bold; } "
                                    "td, th { padding: 1px; } th { background-color: #e6e6e6; }");
const double kAncho = 700;

const QString kFila = QStringLiteral(
    "<table width=\"100%\" cellspacing=\"0\"><tr><td width=\"18%\">{0}</td><td width=\"44%\">Art. {1}</td>"
    "<td width=\"10%\" align=\"right\">{2}</td><td width=\"14%\" align=\"center\">{3}</td>"
    "<td width=\"14%\" align=\"right\" class=\"negrita\">{4}</td></tr></table>");

std::unique_ptr<QTextDocument> documento(const QString &html)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDocumentMargin(0);
    doc->setDefaultStyleSheet(kCss);
    doc->setHtml(QStringLiteral("<html><body>") + html + QStringLiteral("</body></html>"));
    doc->setTextWidth(kAncho);
    return doc;
}

// The band's HTML with {k} replaced by `valores[k]` (escaped as the engine does).
QString llenar(QString html, const std::vector<QString> &valores)
{
    for (std::size_t k = 0; k < valores.size(); ++k)
        html.replace(QStringLiteral("{%1}").arg(k), valores[k].toHtmlEscaped());
    return html;
}

std::unique_ptr<MoldeBanda> moldeDe(const QString &html, int claves)
{
    std::vector<QString> marcas;
    for (int k = 0; k < claves; ++k)
        marcas.push_back(QString(MoldeBanda::Marca(k)));
    return MoldeBanda::Crear(*documento(llenar(html, marcas)));
}

QImage lienzo(double alto)
{
    QImage img(static_cast<int>(kAncho), static_cast<int>(alto) + 2, QImage::Format_ARGB32);
    img.fill(Qt::white);
    return img;
}

int pixelesDistintos(const QImage &a, const QImage &b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                ++n;
    return n;
}

int pixelesEntintados(const QImage &a)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != qRgb(255, 255, 255))
                ++n;
    return n;
}

// A group heading and a footer: shaded headings, fixed bold labels, several rows, a rule.
const QString kEncabezado = QStringLiteral(
    "<table width=\"100%\" cellspacing=\"0\"><tr class=\"negrita\"><td width=\"20%\">Fecha: {0}</td>"
    "<td width=\"80%\">Proveedor: {1}</td></tr></table>"
    "<table width=\"100%\" cellspacing=\"0\"><tr><th width=\"50%\" align=\"left\">Código</th>"
    "<th width=\"50%\" align=\"right\">Importe</th></tr></table>");
const QString kPie = QStringLiteral(
    "<table width=\"100%\" cellspacing=\"0\"><tr><td width=\"72%\" align=\"right\">SubTotal</td>"
    "<td width=\"28%\" align=\"right\">{0}</td></tr><tr class=\"negrita\"><td align=\"right\">Total factura</td>"
    "<td align=\"right\">{1}</td></tr></table><hr/>");

// Borders, a fixed heading cell of two formats and a fixed single-line label.
const QString kBordes = QStringLiteral(
    "<table width=\"100%\" border=\"1\" cellspacing=\"0\"><tr><td width=\"30%\"><b>Nota</b> fija</td>"
    "<td width=\"40%\">{0}</td><td width=\"30%\" align=\"right\">{1}</td></tr></table><p>Fin de la factura</p>");

} // namespace

// The molded band paints what the document would, at the same height: left,
// centred and right cells, bold text, escaped characters, shaded headings,
// fixed labels beside values, rules.
TEST(MoldeBanda, PintaLoMismoQueElDocumento)
{
    const std::vector<std::pair<QString, std::vector<QString>>> casos = {
        {kFila, {QStringLiteral("ART-1"), QStringLiteral("TORNILLO 3/8 & TUERCA <A>"), QStringLiteral("2"),
                 QStringLiteral("61.50"), QStringLiteral("1,234,567.89")}},
        {kFila, {QStringLiteral("Ñandú"), QStringLiteral("Café con leche"), QStringLiteral("-0.5"), QString(),
                 QStringLiteral("0.00")}},
        {kEncabezado, {QStringLiteral("06/12/2026"), QStringLiteral("PROVEEDOR 7")}},
        {kPie, {QStringLiteral("1,000.00"), QStringLiteral("1,130.00")}},
        {kBordes, {QStringLiteral("Ferretería"), QStringLiteral("12.50")}},
    };
    for (const auto &[banda, valores] : casos) {
        auto molde = moldeDe(banda, static_cast<int>(valores.size()));
        ASSERT_TRUE(molde) << banda.toStdString();
        std::vector<MoldeBanda::Texto> textos;
        ASSERT_TRUE(molde->Componer(valores, textos));
        auto doc = documento(llenar(banda, valores));
        EXPECT_NEAR(molde->Alto(), doc->size().height(), 0.01);

        QImage esperado = lienzo(doc->size().height()), obtenido = esperado;
        {
            QPainter p(&esperado);
            doc->drawContents(&p);
        }
        {
            QPainter p(&obtenido);
            molde->Pintar(p, textos);
        }
        EXPECT_GT(pixelesEntintados(esperado), 200);
        EXPECT_EQ(pixelesDistintos(esperado, obtenido), 0) << valores[0].toStdString();
    }
}

// Only bands with something besides their single-line texts replay a background.
TEST(MoldeBanda, FondoSoloCuandoMuestraAlgo)
{
    EXPECT_FALSE(moldeDe(kFila, 5)->TieneFondo());
    EXPECT_TRUE(moldeDe(kEncabezado, 2)->TieneFondo());  // shaded headings
    EXPECT_TRUE(moldeDe(kPie, 2)->TieneFondo());         // the rule
    EXPECT_TRUE(moldeDe(kBordes, 2)->TieneFondo());
    EXPECT_FALSE(moldeDe(QStringLiteral("<p align=\"right\">Total: {0}</p><p>Fijo</p>"), 1)->TieneFondo());
}

// Instances that would lay out otherwise are refused, so the engine lays them out as documents.
TEST(MoldeBanda, RechazaInstanciasQueSeMaquetariaDistinto)
{
    auto molde = moldeDe(kFila, 5);
    ASSERT_TRUE(molde);
    std::vector<MoldeBanda::Texto> textos;
    auto con = [&](int k, const QString &v) {
        std::vector<QString> valores = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("1"),
                                        QStringLiteral("2"), QStringLiteral("3")};
        valores[k] = v;
        return molde->Componer(valores, textos);
    };
    EXPECT_TRUE(con(1, QStringLiteral("DESCRIPCION NORMAL")));
    EXPECT_FALSE(con(1, QString(80, QLatin1Char('W'))));                // wider than its cell: would wrap
    EXPECT_FALSE(con(1, QStringLiteral("DOS  ESPACIOS")));              // HTML collapses them
    EXPECT_FALSE(con(0, QStringLiteral(" X")));
    EXPECT_FALSE(con(0, QStringLiteral("X\nY")));
    EXPECT_FALSE(con(1, QString()));                                    // "Art. " would lose its space
    EXPECT_FALSE(con(0, QString::fromUtf8("\xF0\x9F\x98\x80")));        // needs another font
    EXPECT_FALSE(con(0, QString(MoldeBanda::Marca(2))));
    EXPECT_TRUE(con(0, QString()));                                     // an empty cell is fine
}

// Bands whose cells size to their content, or whose values share a line with other
// formats or other lines, are not molded.
TEST(MoldeBanda, SoloValoresEnLineasSimplesDeColumnasFijas)
{
    EXPECT_FALSE(moldeDe(QStringLiteral("<table width=\"100%\"><tr><td width=\"50%\">{0}</td><td>{1}</td></tr></table>"), 2));
    EXPECT_FALSE(moldeDe(QStringLiteral("<p>{0}<br/>{1}</p>"), 2));
    EXPECT_FALSE(moldeDe(QStringLiteral("<p><b>Total:</b> {0}</p>"), 1));
    EXPECT_TRUE(moldeDe(QStringLiteral("<p align=\"right\">Total: {0}</p><hr/>"), 1));
    EXPECT_TRUE(moldeDe(QStringLiteral("<p><b>Total:</b></p><p>{0}</p>"), 1));
}

// In a report, rows that fit are molded and a row that wraps is laid out whole: every text is
// printed, the wrapped row takes two lines and the rows keep their order.
TEST(MoldeBanda, ReporteMezclaFilasMoldeadasYMaquetadas)
{
    QTemporaryDir dir;
    const QString plantilla = QStringLiteral(
        "<html><head><style>body { font-family: 'DejaVu Sans'; font-size: 9pt; }</style></head>"
        "<body data-page-size=\"A4\" data-margins=\"10\">"
        "<section data-band=\"data\" data-source=\"dsReporte\">"
        "<div data-band=\"row\"><table width=\"100%\" cellspacing=\"0\"><tr><td width=\"20%\">{{CODIGO}}</td>"
        "<td width=\"60%\">{{NOMBRE}}</td><td width=\"20%\" align=\"right\">{{IMPORTE | #,##0.00}}</td></tr></table></div>"
        "</section></body></html>");
    escribirArchivo(dir, QStringLiteral("mezcla.html"), plantilla);
    TablaReporte filas({QStringLiteral("CODIGO"), QStringLiteral("NOMBRE"), QStringLiteral("IMPORTE")});
    QString largo;
    for (int i = 0; i < 30; ++i)
        largo += QStringLiteral("palabra%1 ").arg(i);
    for (int i = 1; i <= 120; ++i)
        filas.append({QStringLiteral("C%1").arg(i, 3, 10, QLatin1Char('0')),
                      i == 60 ? largo.trimmed() : QStringLiteral("Nombre %1").arg(i), QVariant(i * 1000.5)});
    ReporteDatos ds;
    ds.setDataSet(&filas);
    Reporte reporte;
    reporte.setDataSet(&ds);
    reporte.LoadFromFile(dir.filePath(QStringLiteral("mezcla.html")));
    const QString pdf = dir.filePath(QStringLiteral("mezcla.pdf"));
    reporte.ExportToPdf(pdf);
    const QString texto = textoPdf(pdf);
    int anterior = -1;
    for (int i = 1; i <= 120; ++i) {
        const QString codigo = QStringLiteral("C%1").arg(i, 3, 10, QLatin1Char('0'));
        const int pos = static_cast<int>(texto.indexOf(codigo));
        ASSERT_GT(pos, anterior) << codigo.toStdString();
        anterior = pos;
        const QString importe = QLocale(QLocale::English).toString(i * 1000.5, 'f', 2);
        EXPECT_EQ(texto.count(importe), 1) << importe.toStdString();
    }
    EXPECT_TRUE(texto.contains(QStringLiteral("Nombre 59")));
    EXPECT_TRUE(texto.contains(QStringLiteral("palabra0")));
    EXPECT_TRUE(texto.contains(QStringLiteral("palabra29")));
    // The long name wraps: its last word is on a line of its own, before row 61.
    const QStringList lineas = texto.split(QLatin1Char('\n'));
    int filaLarga = -1, filaFin = -1, filaSiguiente = -1;
    for (int i = 0; i < lineas.size(); ++i) {
        if (lineas[i].contains(QStringLiteral("C060")))
            filaLarga = i;
        if (lineas[i].contains(QStringLiteral("palabra29")))
            filaFin = i;
        if (lineas[i].contains(QStringLiteral("C061")))
            filaSiguiente = i;
    }
    EXPECT_GT(filaFin, filaLarga);
    EXPECT_GT(filaSiguiente, filaFin);
}
