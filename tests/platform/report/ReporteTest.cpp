#include "platform/report/ApoyoReporte.h"

#include "platform/workbook/LibroHojas.h"
#include "platform/report/Reporte.h"
#include "platform/report/VistaPreviaReporte.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QTimer>
#include <QToolBar>
#include <QAction>

namespace {

const char *kListado = R"(<html><head>
<meta name="variables" content="Titulo"/>
<style>body { font-family: 'DejaVu Sans'; font-size: 9pt; } td { padding: 1px; }</style>
</head>
<body data-page-size="A4" data-margins="10">
<div data-band="page-header"><p>{{Titulo}} - Página {{Pagina}} de {{TotalPaginas}}</p></div>
<div data-band="title"><h2>Listado de prueba</h2></div>
<section data-band="data" data-source="dsReporte">
  <div data-band="header" data-repeat="yes"><table width="100%"><tr><td>Código</td><td align="right">Importe</td></tr></table></div>
  <section data-band="group" data-field="GRUPO">
    <div data-band="header"><p>Grupo {{GRUPO}}</p></div>
    <div data-band="row"><table width="100%"><tr><td width="50%">Fila {{CODIGO}}</td><td align="right">{{IMPORTE | #,##0.00}}</td></tr></table></div>
    <div data-band="footer"><p>Total grupo {{GRUPO}}: {{Suma.IMPORTE | #,##0.00}} ({{Cuenta}} filas)</p></div>
  </section>
</section>
<div data-band="summary"><p>Total general: {{Suma.IMPORTE | #,##0.00}} en {{Cuenta}} filas</p></div>
<div data-band="page-footer"><p>Pie {{Pagina}}/{{TotalPaginas}}</p></div>
</body></html>)";

// 300 rows in groups A, B and C; amounts i + 0.25, some given as text.
TablaReporte filasListado()
{
    TablaReporte t({QStringLiteral("CODIGO"), QStringLiteral("GRUPO"), QStringLiteral("IMPORTE")});
    for (int i = 1; i <= 300; ++i) {
        QString grupo = i <= 100 ? QStringLiteral("A") : i <= 200 ? QStringLiteral("B") : QStringLiteral("C");
        QVariant importe = i <= 100 ? QVariant(i + 0.25) : QVariant(QStringLiteral("%1.25").arg(i));
        t.append({QStringLiteral("R%1").arg(i, 3, 10, QLatin1Char('0')), grupo, importe});
    }
    return t;
}

class ReporteTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ReporteDatos dsReporte;
    Reporte reporte;

    QString cargar(const QString &nombre, const QString &texto)
    {
        escribirArchivo(dir, nombre, texto);
        reporte.LoadFromFile(dir.filePath(nombre));
        return dir.filePath(nombre);
    }

    QString errorDe(const std::function<void()> &f)
    {
        try {
            f();
        } catch (const ErrorReporte &e) {
            return e.mensaje();
        }
        return QString();
    }
};

TEST_F(ReporteTest, ListadoDeTrescientasFilasPaginaAgrupaYSuma)
{
    TablaReporte filas = filasListado();
    dsReporte.setDataSet(&filas);
    reporte.setDataSet(&dsReporte);
    escribirArchivo(dir, QStringLiteral("listado.html"), QString::fromUtf8(kListado));
    reporte.LoadFromFile(dir.filePath(QStringLiteral("listado.fr3")));
    EXPECT_TRUE(reporte.FileName().endsWith(QString::fromUtf8("listado.html")));
    reporte.Variables[QStringLiteral("Titulo")] = Reporte::QuotedStr(QStringLiteral("Compras de diciembre"));
    ASSERT_TRUE(reporte.PrepareReport());
    const int n = reporte.PageCount();
    ASSERT_GT(n, 3);

    const QString pdf = dir.filePath(QStringLiteral("listado.pdf"));
    reporte.ExportToPdf(pdf);
    const QStringList paginas = paginasPdf(pdf);
    ASSERT_EQ(paginas.size(), n);
    const QString todo = paginas.join(QLatin1Char('\n'));

    for (int i = 1; i <= 300; ++i) {
        const QString fila = QStringLiteral("Fila R%1").arg(i, 3, 10, QLatin1Char('0'));
        EXPECT_EQ(todo.count(fila), 1) << fila.toStdString();
    }
    EXPECT_TRUE(todo.contains(QString::fromUtf8("300.25")));
    EXPECT_TRUE(todo.contains(QString::fromUtf8("Total grupo A: 5,075.00 (100 filas)")));
    EXPECT_TRUE(todo.contains(QString::fromUtf8("Total grupo B: 15,075.00 (100 filas)")));
    EXPECT_TRUE(todo.contains(QString::fromUtf8("Total grupo C: 25,075.00 (100 filas)")));
    EXPECT_TRUE(todo.contains(QString::fromUtf8("Total general: 45,225.00 en 300 filas")));
    EXPECT_EQ(todo.count(QString::fromUtf8("Listado de prueba")), 1);

    // Groups close and open in order.
    auto pos = [&](const char *t) { return todo.indexOf(QString::fromUtf8(t)); };
    EXPECT_LT(pos("Grupo A"), pos("Fila R001"));
    EXPECT_LT(pos("Fila R100"), pos("Total grupo A"));
    EXPECT_LT(pos("Total grupo A"), pos("Grupo B"));
    EXPECT_LT(pos("Grupo B"), pos("Fila R101"));
    EXPECT_LT(pos("Total grupo C"), pos("Total general"));

    for (int i = 0; i < n; ++i) {
        const QString &p = paginas[i];
        EXPECT_TRUE(p.contains(QStringLiteral("Compras de diciembre - Página %1 de %2").arg(i + 1).arg(n))) << i;
        EXPECT_TRUE(p.contains(QStringLiteral("Pie %1/%2").arg(i + 1).arg(n))) << i;
        // The column heading is repeated on every page that has rows.
        if (p.contains(QString::fromUtf8("Fila R"))) {
            EXPECT_EQ(p.count(QString::fromUtf8("Código")), 1) << i;
        }
        // The footer is the last text of the page, the header the first.
        EXPECT_TRUE(p.trimmed().endsWith(QStringLiteral("Pie %1/%2").arg(i + 1).arg(n))) << i;
        EXPECT_TRUE(p.trimmed().startsWith(QString::fromUtf8("Compras de diciembre"))) << i;
    }
}

TEST_F(ReporteTest, MaestroDetalleFiltraPorClaveYSumaPorMaestro)
{
    TablaReporte facturas({QStringLiteral("ID"), QStringLiteral("NOMBRE")});
    facturas.append({1, QStringLiteral("Proveedor Uno")});
    facturas.append({2, QStringLiteral("Proveedor Dos")});
    facturas.append({3, QStringLiteral("Sin Lineas")});
    TablaReporte lineas({QStringLiteral("ID_COMPRA"), QStringLiteral("ARTICULO"), QStringLiteral("MONTO")});
    lineas.append({2, QStringLiteral("B1"), 10.5});
    lineas.append({1, QStringLiteral("A1"), 1.0});
    lineas.append({2, QStringLiteral("B2"), 20.25});
    lineas.append({1, QStringLiteral("A2"), 2.0});

    ReporteDatos dsFacturas(QStringLiteral("dsFacturas")), dsLineas(QStringLiteral("dsLineas"));
    dsFacturas.setDataSet(&facturas);
    dsLineas.setDataSet(&lineas);
    dsLineas.EnlazarMaestro(&dsFacturas, QStringLiteral("ID"), QStringLiteral("ID_COMPRA"));
    int cambios = 0;
    dsLineas.AlCambiarMaestro = [&] { ++cambios; };
    reporte.setDataSet(&dsFacturas);
    reporte.AgregarDatos(&dsLineas);
    cargar(QStringLiteral("maestro.html"), QStringLiteral(R"(<html><body>
<section data-band="data" data-source="dsFacturas">
  <div data-band="row"><p>Factura {{ID}} de {{NOMBRE}}</p></div>
  <section data-band="data" data-source="dsLineas">
    <div data-band="row"><p>Linea {{ARTICULO}} de {{dsFacturas.ID}} monto {{MONTO | 0.00}} n{{Linea}}</p></div>
    <div data-band="footer"><p>Subtotal {{ID}}: {{Suma.MONTO | #,##0.00}}</p></div>
  </section>
</section>
<div data-band="summary"><p>Facturas {{Cuenta}} total {{Suma.MONTO | #,##0.00}}</p></div>
</body></html>)"));
    const QString pdf = dir.filePath(QStringLiteral("maestro.pdf"));
    reporte.ExportToPdf(pdf);
    QString t = textoPdf(pdf).simplified();
    EXPECT_TRUE(t.contains(QString::fromUtf8(
        "Factura 1 de Proveedor Uno Linea A1 de 1 monto 1.00 n1 Linea A2 de 1 monto 2.00 n2 Subtotal 1: 3.00 "
        "Factura 2 de Proveedor Dos Linea B1 de 2 monto 10.50 n1 Linea B2 de 2 monto 20.25 n2 Subtotal 2: 30.75 "
        "Factura 3 de Sin Lineas Facturas 3 total 33.75")))
        << t.toStdString();
    EXPECT_EQ(cambios, 3);
}

TEST_F(ReporteTest, CondicionesFormatosYTextoLiteral)
{
    cargar(QStringLiteral("cond.html"), QStringLiteral(R"(<html><head><meta name="variables" content="vLabel, Monto, Fecha"/></head><body>
<div data-band="title">
<p>M: {{#if vMoneda1 == 'S'}}Moneda local{{else}}Segunda moneda{{/if}}</p>
<p>L: {{#vLabel}}Etiqueta {{vLabel}}{{/vLabel}}{{^vLabel}}Sin etiqueta{{/vLabel}}</p>
<p>A {{Monto | #,##0.00}} B {{Monto | #,##0.000}} C {{Monto | 0.00}} D {{Fecha | dd/mm/yyyy}}</p>
<p>G: {{#if Monto > 1000}}Grande{{else}}Chico{{/if}}</p>
<p>T: {{Texto}}</p>
</div></body></html>)"));
    reporte.Variables[QStringLiteral("vMoneda1")] = QStringLiteral("'S'");
    reporte.Variables[QStringLiteral("Monto")] = QStringLiteral("'1234567.8915'");
    reporte.Variables[QStringLiteral("Fecha")] = QStringLiteral("'2026-12-06'");
    reporte.Variables[QStringLiteral("Texto")] = Reporte::QuotedStr(QStringLiteral("A&B <x> O'Brien"));
    QString pdf = dir.filePath(QStringLiteral("c1.pdf"));
    reporte.ExportToPdf(pdf);
    QString t = textoPdf(pdf).simplified();
    EXPECT_TRUE(t.contains(QString::fromUtf8("M: Moneda local"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QString::fromUtf8("L: Sin etiqueta")));
    EXPECT_TRUE(t.contains(QString::fromUtf8("A 1,234,567.89 B 1,234,567.892 C 1234567.89 D 06/12/2026")));
    EXPECT_TRUE(t.contains(QString::fromUtf8("G: Grande")));
    EXPECT_TRUE(t.contains(QString::fromUtf8("T: A&B <x> O'Brien")));

    reporte.Variables[QStringLiteral("vMoneda1")] = QStringLiteral("'N'");
    reporte.Variables[QStringLiteral("vLabel")] = QStringLiteral("'exento'");
    reporte.Variables[QStringLiteral("Monto")] = QStringLiteral("'999.5'");
    reporte.PrepareReport();
    pdf = dir.filePath(QStringLiteral("c2.pdf"));
    reporte.ExportToPdf(pdf);
    t = textoPdf(pdf).simplified();
    EXPECT_TRUE(t.contains(QString::fromUtf8("M: Segunda moneda"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QString::fromUtf8("L: Etiqueta exento")));
    EXPECT_TRUE(t.contains(QString::fromUtf8("G: Chico")));
    EXPECT_TRUE(t.contains(QString::fromUtf8("A 999.50 B 999.500 C 999.50")));
}

TEST_F(ReporteTest, PlantillaFaltanteOMalaDaErrorQueNombraElArchivo)
{
    QString e = errorDe([&] { reporte.LoadFromFile(dir.filePath(QStringLiteral("comp_Nada.fr3"))); });
    EXPECT_TRUE(e.contains(QString::fromUtf8("No se encontró la plantilla"))) << e.toStdString();
    EXPECT_TRUE(e.contains(QString::fromUtf8("comp_Nada.html")));

    struct Caso {
        const char *plantilla;
        const char *esperado;
    };
    const Caso casos[] = {
        {R"(<html><body><div data-band="cabecera"><p>x</p></div></body></html>)", "banda desconocida \"cabecera\""},
        {R"(<html><body><div data-band="title"><p>x</div></body></html>)", "no es válida"},
        {R"(<html><body><div data-band="title"><p>{{#if X}}x</p></div></body></html>)", "sin cerrar"},
        {R"(<html><body><div data-band="row"><p>x</p></div></body></html>)", "no puede ir dentro"},
        {R"(<html><body><p>suelto</p></body></html>)", "fuera de una banda"},
        {R"(<html><body><section data-band="data"><div data-band="row"/></section></body></html>)", "data-source"},
        {R"(<html><body><div data-band="title"><p>{{>parcial}}</p></div></body></html>)", "no admitida"},
    };
    for (const auto &c : casos) {
        escribirArchivo(dir, QStringLiteral("mala.html"), QString::fromUtf8(c.plantilla));
        e = errorDe([&] { reporte.LoadFromFile(dir.filePath(QStringLiteral("mala.fr3"))); });
        EXPECT_TRUE(e.contains(QString::fromUtf8(c.esperado))) << c.plantilla << " -> " << e.toStdString();
        EXPECT_TRUE(e.contains(QString::fromUtf8("mala.html"))) << e.toStdString();
    }
}

TEST_F(ReporteTest, NombresDesconocidosFallanAlPrepararYNoEscribenNada)
{
    TablaReporte filas({QStringLiteral("CODIGO")});
    filas.append({QStringLiteral("X1")});
    dsReporte.setDataSet(&filas);
    reporte.setDataSet(&dsReporte);
    struct Caso {
        const char *cuerpo;
        const char *esperado;
    };
    const Caso casos[] = {
        {R"(<div data-band="title"><p>{{Desconocida}}</p></div>)", "variable desconocida \"Desconocida\""},
        {R"(<div data-band="title"><p>{{CODIGO}}</p></div>)", "variable desconocida \"CODIGO\""},
        {R"(<section data-band="data" data-source="dsReporte"><div data-band="row"><p>{{NOEXISTE}}</p></div></section>)",
         "variable desconocida \"NOEXISTE\""},
        {R"(<section data-band="data" data-source="dsOtro"><div data-band="row"><p>x</p></div></section>)",
         "origen de datos \"dsOtro\""},
        {R"(<section data-band="data" data-source="dsReporte"><div data-band="row"><p>{{Suma.CODIGO}}</p></div></section>)",
         "fuera de un pie"},
        {R"(<div data-band="summary"><p>{{TotalPaginas}}</p></div>)", "TotalPaginas"},
        {R"(<section data-band="data" data-source="dsReporte"><section data-band="group" data-field="NADA"><div data-band="row"><p>x</p></div></section></section>)",
         "campo desconocido \"NADA\""},
    };
    for (const auto &c : casos) {
        cargar(QStringLiteral("nombres.html"), QStringLiteral("<html><body>%1</body></html>").arg(QString::fromUtf8(c.cuerpo)));
        const QString pdf = dir.filePath(QStringLiteral("nombres.pdf"));
        QString e = errorDe([&] { reporte.ExportToPdf(pdf); });
        EXPECT_TRUE(e.contains(QString::fromUtf8(c.esperado))) << c.cuerpo << " -> " << e.toStdString();
        EXPECT_TRUE(e.contains(QString::fromUtf8("nombres.html"))) << e.toStdString();
        EXPECT_FALSE(QFileInfo::exists(pdf));
    }
}

TEST_F(ReporteTest, ReporteVacioYBandaMasAltaQueLaPagina)
{
    TablaReporte vacia({QStringLiteral("CODIGO")});
    dsReporte.setDataSet(&vacia);
    reporte.setDataSet(&dsReporte);
    QString largo;
    for (int i = 1; i <= 150; ++i)
        largo += QStringLiteral("<p>Parrafo %1</p>").arg(i);
    cargar(QStringLiteral("vacio.html"), QStringLiteral(R"(<html><body>
<div data-band="page-footer"><p>Hoja {{Pagina}} de {{TotalPaginas}}</p></div>
<section data-band="data" data-source="dsReporte"><div data-band="header"><p>Encabezado</p></div><div data-band="row"><p>{{CODIGO}}</p></div></section>
<div data-band="summary">%1</div></body></html>)").arg(largo));
    const QString pdf = dir.filePath(QStringLiteral("vacio.pdf"));
    reporte.ExportToPdf(pdf);
    const QStringList paginas = paginasPdf(pdf);
    ASSERT_EQ(paginas.size(), reporte.PageCount());
    ASSERT_GE(paginas.size(), 2);
    const QString todo = paginas.join(QLatin1Char('\n'));
    EXPECT_FALSE(todo.contains(QString::fromUtf8("Encabezado")));  // no rows, no data header
    EXPECT_TRUE(todo.contains(QString::fromUtf8("Parrafo 1\n")));
    EXPECT_TRUE(todo.contains(QString::fromUtf8("Parrafo 150")));
    EXPECT_TRUE(paginas.last().contains(QStringLiteral("Hoja %1 de %1").arg(paginas.size())));
}

TEST_F(ReporteTest, ExportaALibroYVistaPrevia)
{
    TablaReporte filas = filasListado();
    dsReporte.setDataSet(&filas);
    reporte.setDataSet(&dsReporte);
    cargar(QStringLiteral("listado.html"), QString::fromUtf8(kListado));
    reporte.Variables[QStringLiteral("Titulo")] = QStringLiteral("'T'");
    const QString xlsx = dir.filePath(QStringLiteral("listado.xlsx"));
    reporte.ExportToXlsx(xlsx);
    LibroHojas libro = LeerLibro(xlsx);
    ASSERT_EQ(libro.hojas.size(), 1u);
    const HojaLibro &h = libro.hojas[0];
    int encontrada = 0;
    for (int r = 1; r <= h.ultimaFila(); ++r) {
        const CeldaLibro *c = h.celda(r, 1);
        if (c && c->texto == QString::fromUtf8("Fila R250")) {
            encontrada = r;
            const CeldaLibro *importe = h.celda(r, 2);
            ASSERT_NE(importe, nullptr);
            EXPECT_EQ(importe->tipo, CeldaLibro::Tipo::Numero);
            EXPECT_DOUBLE_EQ(importe->numero, 250.25);
        }
    }
    EXPECT_GT(encontrada, 0);
    // Repeated headings are written once.
    int encabezados = 0;
    for (const auto &[pos, c] : h.celdas)
        encabezados += c.texto == QString::fromUtf8("Código");
    EXPECT_EQ(encabezados, 1);

    int paginasVista = -1;
    QTimer::singleShot(0, [&] {
        auto *vista = qobject_cast<VistaPreviaReporte *>(QApplication::activeModalWidget());
        ASSERT_NE(vista, nullptr);
        vista->vista()->updatePreview();
        paginasVista = vista->vista()->pageCount();
        vista->accept();
    });
    reporte.ShowReport();
    EXPECT_EQ(paginasVista, reporte.PageCount());
}

TEST_F(ReporteTest, VistaPreviaTituladaPorElReporteYConCerrarALaVista)
{
    cargar(QStringLiteral("comp_Prueba.html"),
           QStringLiteral("<html><head><title>Respaldo de prueba</title></head><body>"
                          "<div data-band=\"title\">Hola</div></body></html>"));
    EXPECT_EQ(reporte.Titulo, QStringLiteral("Respaldo de prueba"));
    QString titulo;
    bool cerrarVisible = false;
    QTimer::singleShot(0, [&] {
        auto *vista = qobject_cast<VistaPreviaReporte *>(QApplication::activeModalWidget());
        ASSERT_NE(vista, nullptr);
        vista->resize(1366, 768);
        vista->resize(520, 400);  // narrow: the tool bar overflows
        QApplication::processEvents();
        titulo = vista->windowTitle();
        auto *barra = vista->findChild<QToolBar *>();
        auto *cerrar = vista->findChild<QAction *>(QStringLiteral("actCerrar"));
        if (barra && cerrar) {
            QWidget *boton = barra->widgetForAction(cerrar);
            cerrarVisible = boton && boton->isVisible() && barra->rect().contains(boton->geometry());
        }
        vista->accept();
    });
    reporte.ShowReport();
    EXPECT_TRUE(cerrarVisible);
    EXPECT_EQ(titulo, QStringLiteral("Vista previa - Respaldo de prueba"));
    EXPECT_FALSE(titulo.contains(QStringLiteral(".fr3")));
    EXPECT_FALSE(titulo.contains(QStringLiteral("comp_Prueba")));
    EXPECT_FALSE(titulo.contains(dir.path()));
}

} // namespace
