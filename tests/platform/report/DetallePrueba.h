#pragma once
// An invoice detail report for the PDF tests: its template, its rows, and the PDF read
// back page by page.

#include "platform/report/ApoyoReporte.h"
#include "platform/report/FuenteDatosReporte.h"

// %1 goes at the start of every band: an empty condition there keeps the engine from
// molding the band, so each instance is laid out as a whole document. The page header
// has two lines in one cell: it is not molded, only its page number changes.
inline const char *kDetalle = R"(<html><head>
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

// `facturas` invoices of 1 to 12 lines; a few names wrap, need another font or carry HTML characters.
inline TablaReporte lineasDetalle(int facturas)
{
    TablaReporte t({QStringLiteral("FACTURA"), QStringLiteral("PROVEEDOR"), QStringLiteral("CODIGO"),
                    QStringLiteral("NOMBRE"), QStringLiteral("IMPORTE")});
    int n = 0;
    for (int f = 1; f <= facturas; ++f)
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
inline QList<QStringList> lineasPorPagina(const QString &pdf)
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

