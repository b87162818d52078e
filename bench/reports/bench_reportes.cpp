// A month of purchases in a store with many invoices: the summary and the detail printed to
// PDF, and the detail exported to a workbook. The other months' invoices have no lines.
//
//   bench_reportes [facturas [facturas_del_mes [lineas_por_factura]]]
//   (default 100000 3000 10; the full case is 1000000 30000 10)

#include "reports/ExportacionCompras.h"
#include "reports/ReportesPeriodo.h"
#include "support/EntornoPrueba.h"
#include "platform/Mensajes.h"
#include "platform/workbook/LibroHojas.h"

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

// Processor time of this process (user and system), in seconds: on a shared machine it
// moves less than the elapsed time.
double Cpu()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

const QDate kMes(2031, 3, 1);   // the month measured
const QDate kMesChico(2031, 4, 1);  // a month with a tenth of its lines, for the memory comparison

QString fechaSql(const QDate &d)
{
    return QStringLiteral("date '%1'").arg(d.toString(Qt::ISODate));
}

// Loaded inside the engine in one statement: a client round trip per row would take longer
// than everything measured.
void Cargar(db::Database &base, int facturas, int delMes, int lineas)
{
    QElapsedTimer t;
    t.start();
    const int chico = std::max(1, delMes / 10);
    // The secondary indexes are built once at the end: kept up row by row they make the
    // engine rewrite their pages many times over.
    const QStringList indices = {QStringLiteral("IX_FC_FECHA"),      QStringLiteral("IX_FC_COMPROBANTE"),
                                 QStringLiteral("IX_FC_PROVEEDOR"),  QStringLiteral("IX_DFC_ID_COMPRA"),
                                 QStringLiteral("IX_DFC_COMPROBANTE"), QStringLiteral("IX_DFC_ARTICULO")};
    auto activar = [&](bool activo) {
        db::Transaction ddl(base);
        for (const QString &i : indices)
            base.executeImmediate(ddl, QStringLiteral("alter index %1 %2").arg(i, activo ? QStringLiteral("active")
                                                                                       : QStringLiteral("inactive")));
        ddl.commit();
    };
    activar(false);
    db::Transaction tr(base);
    base.executeImmediate(tr, QStringLiteral(
        "execute block as\n"
        "declare i integer = 0;\n"
        "declare l integer;\n"
        "declare id integer;\n"
        "declare fecha date;\n"
        "begin\n"
        "  while (i < %1) do begin\n"
        "    id = 5000000 + i;\n"
        "    if (i < %2) then fecha = dateadd(mod(i, 31) day to %4);\n"
        "    else if (i < %2 + %3) then fecha = dateadd(mod(i, 30) day to %5);\n"
        "    else fecha = dateadd(-1 - mod(i, 1000) day to %4);\n"
        "    insert into FACTURAS_COMPRA (ID_COMPRA, FECHA, COMPROBANTE, CODIGO_PROVEEDOR, NOMBRE, SUBTOTAL_GRAVADO,\n"
        "      SUBTOTAL_NO_GRAVADO, IMPORTE_DESCUENTO, TOTAL_GRAVADO, TOTAL_NO_GRAVADO, IMPORTE_IV, IMPORTE_TOTAL,\n"
        "      IMPORTE_NC, ANULADA, TIPO_CAMBIO, TIPO_CAMBIO_2, MONEDA_CARGA)\n"
        "    values (:id, :fecha, 'F-' || :i, 1 + mod(:i, 12), 'PROVEEDOR ' || mod(:i, 12), 1000, 100, 0, 1000, 100, 130,\n"
        "      1230, 0, iif(mod(:i, 50) = 7, 'S', 'N'), 500, 1, 1);\n"
        "    if (i < %2 + %3) then begin\n"
        "      l = 0;\n"
        "      while (l < %6) do begin\n"
        "        insert into DETALLE_FACTURAS_COMPRA (ID_COMPRA, FECHA, COMPROBANTE, CODIGO_ARTICULO, DESCRIPCION,\n"
        "          CANTIDAD, IMPORTE_UNITARIO, IMPORTE_TOTAL, TIPO_CAMBIO, TIPO_CAMBIO_2)\n"
        "        values (:id, :fecha, 'F-' || :i, 'ART-' || :l, 'ARTICULO DE PRUEBA NUMERO ' || :l, 2, 61.5, 123, 500, 1);\n"
        "        l = l + 1;\n"
        "      end\n"
        "    end\n"
        "    i = i + 1;\n"
        "  end\n"
        "end")
                 .arg(facturas)
                 .arg(delMes)
                 .arg(chico)
                 .arg(fechaSql(kMes), fechaSql(kMesChico))
                 .arg(lineas));
    tr.commit();
    activar(true);
    std::printf("carga: %d facturas (%d del mes, %d lineas cada una) en %.1f s\n", facturas, delMes, lineas,
                t.elapsed() / 1000.0);
}

// A statement alone: executed and every column of every row read.
double Sentencia(db::Database &base, db::Transaction &tr, const QString &sql, const QDate &mes, const char *desde,
                 const char *hasta, long *filas)
{
    QElapsedTimer t;
    t.start();
    const double cpu0 = Cpu();
    db::Query q(&base, &tr);
    q.setSql(sql);
    q.paramByName(QString::fromLatin1(desde)).setAsDate(mes);
    q.paramByName(QString::fromLatin1(hasta)).setAsDate(mes.addMonths(1).addDays(-1));
    *filas = 0;
    for (q.execQuery(); !q.eof(); q.next()) {
        for (int i = 0; i < q.fieldCount(); ++i)
            q.valueAt(i).asString();
        ++*filas;
    }
    q.close();
    std::printf("  (%.2f s de procesador)\n", Cpu() - cpu0);
    return t.elapsed() / 1000.0;
}

double Reporte_(ReportesPeriodo &r, TipoReportePeriodo tipo, const QDate &mes, const QString &pdf, int *paginas,
                double *cpu)
{
    QElapsedTimer t;
    t.start();
    const double cpu0 = Cpu();
    Reporte &rep = r.Preparar({tipo, mes, mes.addMonths(1).addDays(-1), 1, false});
    const double preparado = t.elapsed() / 1000.0;
    rep.ExportToPdf(pdf);
    std::printf("  (páginas preparadas en %.2f s, pintadas en %.2f s)\n", preparado, t.elapsed() / 1000.0 - preparado);
    *paginas = rep.PageCount();
    *cpu = Cpu() - cpu0;
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

    // The statements the three outputs run, alone.
    {
        db::Transaction tr(env.tienda);
        long filas = 0;
        double t = Sentencia(env.tienda, tr,
                             ReportesPeriodo::SentenciaFacturas(false, QStringLiteral(" order by FECHA")), kMes,
                             "FechaIni", "FechaFin", &filas);
        std::printf("sentencia del resumen: %ld filas en %.2f s\n", filas, t);
        t = Sentencia(env.tienda, tr, ReportesPeriodo::SentenciaDetalle(), kMes, "FechaIni", "FechaFin", &filas);
        std::printf("sentencia del detalle: %ld filas en %.2f s\n", filas, t);
        t = Sentencia(env.tienda, tr, ExportacionCompras::SentenciaDetalle(), kMes, "fecha1", "fecha2", &filas);
        std::printf("sentencia de la exportación detallada: %ld filas en %.2f s\n", filas, t);
        tr.commit();
        std::printf("pico de memoria tras las sentencias: %ld KB\n", PicoMemoriaKb());
    }

    int paginas = 0;
    double cpu = 0;
    const double resumen =
        Reporte_(reportes, TipoReportePeriodo::ResumenCompras, kMes, env.carpeta.file("r.pdf"), &paginas, &cpu);
    std::printf("Resumen de Compras, %d facturas: %.2f s (%.2f s de procesador), %d páginas, pico de memoria %ld KB (meta < 3 s)\n",
                delMes, resumen, cpu, paginas, PicoMemoriaKb());

    const long antes = PicoMemoriaKb();
    const double chico =
        Reporte_(reportes, TipoReportePeriodo::DetalleCompras, kMesChico, env.carpeta.file("c.pdf"), &paginas, &cpu);
    const long trasChico = PicoMemoriaKb();
    std::printf("Detalle de Compras, %d líneas: %.2f s (%.2f s de procesador), %d páginas, pico de memoria +%ld KB\n",
                std::max(1, delMes / 10) * lineas, chico, cpu, paginas, trasChico - antes);
    const double detalle =
        Reporte_(reportes, TipoReportePeriodo::DetalleCompras, kMes, env.carpeta.file("d.pdf"), &paginas, &cpu);
    const long trasGrande = PicoMemoriaKb();
    std::printf("Detalle de Compras, %d líneas: %.2f s (%.2f s de procesador), %d páginas, pico de memoria +%ld KB más "
                "(meta < 15 s)\n",
                delMes * lineas, detalle, cpu, paginas, trasGrande - trasChico);

    MensajesConsola consola;
    ExportacionCompras exportacion(ConexionesLecturaDatosComp(*env.datos), ajustes, consola);
    QElapsedTimer t;
    t.start();
    const double cpuExportar = Cpu();
    exportacion.Exportar({kMes, kMes.addMonths(1).addDays(-1), true, 1, env.carpeta.file("detalle.xlsx"), {}, {}});
    std::printf("Exportación detallada, %d líneas: %.2f s (%.2f s de procesador), pico de memoria %ld KB (meta < 5 s)\n",
                delMes * lineas, t.elapsed() / 1000.0, Cpu() - cpuExportar, PicoMemoriaKb());
    // Read back with the workbook reader: every line is a row of the sheet.
    t.start();
    const LibroHojas libro = LeerLibro(env.carpeta.file("detalle.xlsx"));
    std::printf("libro leído: %d hojas, última fila %d, %zu celdas en %.2f s\n", static_cast<int>(libro.hojas.size()),
                libro.hojas.empty() ? 0 : libro.hojas[0].ultimaFila(), libro.hojas.empty() ? 0 : libro.hojas[0].celdas.size(),
                t.elapsed() / 1000.0);
    return 0;
}
