#include "platform/report/ApoyoReporte.h"

#include "platform/report/Reporte.h"

#include <QPrinter>

namespace {

// %1 goes at the start of every band: an empty condition there keeps the engine from
// molding the band, so each instance is laid out as a whole document. The page header
// has two lines in one cell: it is not molded, only its page number changes.
const char *kDetalle = R"(<html><head>
<meta name="variables" content="Empresa Nada"/>
<style>body { font-family: 'DejaVu Sans'; font-size: 8pt; } .negrita { font-weight: bold; }
td, th { padding: 1px; } th { background-color: #e6e6e6; }</style>
</head>
<body data-page-size="A4" data-margins="10">
<div data-band="page-header">%1<table width="100%" cellspacing="0"><tr><td width="70%">{{Empresa}}</td>
<td width="30%" align="right">Página {{Pagina}} de {{TotalPaginas}}<br/>Compras</td></tr></table><hr/></div>
<div data-band="title">%1<p align="center" class="negrita">Detalle de prueba</p></div>
<section data-band="data" data-source="dsReporte">
  <div data-band="header" data-repeat="yes">%1<table width="100%" cellspacing="0"><tr><th width="20%" align="left">Código</th>
  <th width="60%" align="left">Artículo</th><th width="20%" align="right">Importe</th></tr></table></div>
  <section data-band="group" data-field="FACTURA">
    <div data-band="header">%1<table width="100%" cellspacing="0"><tr class="negrita"><td width="30%">Factura: {{FACTURA}}</td>
    <td width="70%">Proveedor: {{PROVEEDOR}}</td></tr></table></div>
    <div data-band="row">%1<table width="100%" cellspacing="0"><tr><td width="20%">{{CODIGO}}</td><td width="60%">{{NOMBRE}}</td>
    <td width="20%" align="right">{{IMPORTE | #,##0.00}}</td></tr></table></div>
    <div data-band="footer">%1<table width="100%" cellspacing="0"><tr><td width="72%" align="right">Total factura</td>
    <td width="28%" align="right">{{Suma.IMPORTE | #,##0.00}}</td></tr></table><hr/></div>
  </section>
</section>
<div data-band="summary">%1<p align="right" class="negrita">Total general: {{Suma.IMPORTE | #,##0.00}} ({{Cuenta}} líneas)</p></div>
<div data-band="page-footer">%1<p align="center">Hoja {{Pagina}}</p></div>
</body></html>)";

// 70 invoices of 1 to 12 lines; a few names wrap, need another font or carry HTML characters.
TablaReporte lineasDetalle()
{
    TablaReporte t({QStringLiteral("FACTURA"), QStringLiteral("PROVEEDOR"), QStringLiteral("CODIGO"),
                    QStringLiteral("NOMBRE"), QStringLiteral("IMPORTE")});
    int n = 0;
    for (int f = 1; f <= 70; ++f)
        for (int l = 0; l < 1 + (f * 7) % 12; ++l) {
            ++n;
            QString nombre = QStringLiteral("Artículo %1").arg(n);
            if (n % 97 == 0)
                nombre = QStringLiteral("Descripción muy larga que no cabe en su columna y ocupa dos renglones %1").arg(n);
            else if (n % 53 == 0)
                nombre = QStringLiteral("Tornillo & tuerca <3/8> %1").arg(n);
            else if (n % 61 == 0)
                nombre = QString::fromUtf8("Ñandú \xF0\x9F\x98\x80 %1").arg(n);
            t.append({QStringLiteral("F-%1").arg(f, 3, 10, QLatin1Char('0')), QStringLiteral("PROVEEDOR \"%1\"").arg(f % 9),
                      QStringLiteral("C%1").arg(n, 4, 10, QLatin1Char('0')), nombre, QStringLiteral("%1.5").arg(n)});
        }
    return t;
}

// Each page's lines with runs of spaces made one, empty lines dropped.
QList<QStringList> lineasPorPagina(const QString &pdf)
{
    QList<QStringList> paginas;
    for (const QString &p : paginasPdf(pdf)) {
        QStringList lineas;
        for (const QString &l : p.split(QLatin1Char('\n')))
            if (!l.simplified().isEmpty())
                lineas << l.simplified();
        paginas << lineas;
    }
    return paginas;
}

} // namespace

// The PDF written without a preview has the pages the preview prints, and the same text
// as when every band is laid out as a whole document.
TEST(PdfDirecto, IgualQueLaVistaPreviaYQueLaMaquetacionCompleta)
{
    QTemporaryDir dir;
    escribirArchivo(dir, QStringLiteral("moldeado.html"), QString::fromUtf8(kDetalle).arg(QString()));
    escribirArchivo(dir, QStringLiteral("completo.html"), QString::fromUtf8(kDetalle).arg(QStringLiteral("{{#if Nada}}{{/if}}")));
    TablaReporte filas = lineasDetalle();
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
