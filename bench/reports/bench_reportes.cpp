// A month of purchases in a store with many invoices: the summary and the detail printed to
// PDF, and the detail exported to a workbook. The other months' invoices have no lines.
//
//   bench_reportes [facturas [facturas_del_mes [lineas_por_factura]]]
//   (default 100000 3000 10; the full case is 1000000 30000 10)

#include "reports/ExportacionCompras.h"
#include "reports/ReportesPeriodo.h"
#include "support/EntornoPrueba.h"
#include "platform/Mensajes.h"

#include <QApplication>
#include <QElapsedTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

long PicoMemoriaKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

const QDate kMes(2031, 3, 1);   // the month measured
const QDate kMesChico(2031, 4, 1);  // a month with a tenth of its lines, for the memory comparison

void Cargar(db::Database &base, int facturas, int delMes, int lineas)
{
    QElapsedTimer t;
    t.start();
    db::Transaction tr(base);
    db::Query f(&base, &tr), d(&base, &tr);
    f.setSql(QStringLiteral(
        "insert into FACTURAS_COMPRA (ID_COMPRA, FECHA, COMPROBANTE, CODIGO_PROVEEDOR, NOMBRE, SUBTOTAL_GRAVADO,"
        " SUBTOTAL_NO_GRAVADO, IMPORTE_DESCUENTO, TOTAL_GRAVADO, TOTAL_NO_GRAVADO, IMPORTE_IV, IMPORTE_TOTAL, IMPORTE_NC,"
        " ANULADA, TIPO_CAMBIO, TIPO_CAMBIO_2, MONEDA_CARGA) values (:id, :f, :c, :p, :n, 1000, 100, 0, 1000, 100, 130,"
        " 1230, 0, :a, 500, 1, 1)"));
    d.setSql(QStringLiteral(
        "insert into DETALLE_FACTURAS_COMPRA (ID_COMPRA, FECHA, COMPROBANTE, CODIGO_ARTICULO, DESCRIPCION, CANTIDAD,"
        " IMPORTE_UNITARIO, IMPORTE_TOTAL, TIPO_CAMBIO, TIPO_CAMBIO_2) values (:id, :f, :c, :cod, :des, 2, 61.5, 123,"
        " 500, 1)"));
    const int chico = std::max(1, delMes / 10);
    for (int i = 0; i < facturas; ++i) {
        const int id = 5000000 + i;
        QDate fecha;
        bool conLineas = false;
        if (i < delMes) {
            fecha = kMes.addDays(i % 31);
            conLineas = true;
        } else if (i < delMes + chico) {
            fecha = kMesChico.addDays(i % 30);
            conLineas = true;
        } else {
            fecha = kMes.addDays(-1 - (i % 1000));
        }
        const QString numero = QStringLiteral("F-%1").arg(i);
        f.paramByName("id").setAsInteger(id);
        f.paramByName("f").setAsDate(fecha);
        f.paramByName("c").setAsString(numero);
        f.paramByName("p").setAsInteger(1 + i % 12);
        f.paramByName("n").setAsString(QStringLiteral("PROVEEDOR %1").arg(i % 12));
        f.paramByName("a").setAsString(i % 50 == 7 ? QStringLiteral("S") : QStringLiteral("N"));
        f.execQuery();
        if (!conLineas)
            continue;
        for (int l = 0; l < lineas; ++l) {
            d.paramByName("id").setAsInteger(id);
            d.paramByName("f").setAsDate(fecha);
            d.paramByName("c").setAsString(numero);
            d.paramByName("cod").setAsString(QStringLiteral("ART-%1").arg(l));
            d.paramByName("des").setAsString(QStringLiteral("ARTICULO DE PRUEBA NUMERO %1").arg(l));
            d.execQuery();
        }
    }
    tr.commit();
    std::printf("carga: %d facturas (%d del mes, %d lineas cada una) en %.1f s\n", facturas, delMes, lineas,
                t.elapsed() / 1000.0);
}

double Reporte_(ReportesPeriodo &r, TipoReportePeriodo tipo, const QDate &mes, const QString &pdf, int *paginas)
{
    QElapsedTimer t;
    t.start();
    Reporte &rep = r.Preparar({tipo, mes, mes.addMonths(1).addDays(-1), 1, false});
    rep.ExportToPdf(pdf);
    *paginas = rep.PageCount();
    return t.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int facturas = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int delMes = argc > 2 ? std::atoi(argv[2]) : 3000;
    const int lineas = argc > 3 ? std::atoi(argv[3]) : 10;

    EntornoPrueba env;
    Cargar(env.tienda, facturas, delMes, lineas);
    AjustesReportes ajustes = AjustesDeDatosComp(*env.datos);
    ajustes.pathReportes = QStringLiteral(COMPRAS_REPORTES_DIR) + QLatin1Char('/');
    // A fresh read transaction sees the rows just loaded.
    if (env.transLectura.active())
        env.transLectura.commit();
    ReportesPeriodo reportes(ConexionesLecturaDatosComp(*env.datos), ajustes);

    int paginas = 0;
    const double resumen = Reporte_(reportes, TipoReportePeriodo::ResumenCompras, kMes, env.carpeta.file("r.pdf"), &paginas);
    std::printf("Resumen de Compras, %d facturas: %.2f s, %d páginas (meta < 3 s)\n", delMes, resumen, paginas);

    const long antes = PicoMemoriaKb();
    const double chico = Reporte_(reportes, TipoReportePeriodo::DetalleCompras, kMesChico, env.carpeta.file("c.pdf"), &paginas);
    const long trasChico = PicoMemoriaKb();
    std::printf("Detalle de Compras, %d líneas: %.2f s, %d páginas, pico de memoria +%ld KB\n",
                std::max(1, delMes / 10) * lineas, chico, paginas, trasChico - antes);
    const double detalle = Reporte_(reportes, TipoReportePeriodo::DetalleCompras, kMes, env.carpeta.file("d.pdf"), &paginas);
    const long trasGrande = PicoMemoriaKb();
    std::printf("Detalle de Compras, %d líneas: %.2f s, %d páginas, pico de memoria +%ld KB más (meta < 15 s)\n",
                delMes * lineas, detalle, paginas, trasGrande - trasChico);

    MensajesConsola consola;
    ExportacionCompras exportacion(ConexionesLecturaDatosComp(*env.datos), ajustes, consola);
    QElapsedTimer t;
    t.start();
    exportacion.Exportar({kMes, kMes.addMonths(1).addDays(-1), true, 1, env.carpeta.file("detalle.xlsx"), {}, {}});
    std::printf("Exportación detallada, %d líneas: %.2f s, pico de memoria %ld KB (meta < 5 s)\n", delMes * lineas,
                t.elapsed() / 1000.0, PicoMemoriaKb());
    return 0;
}
