#include "cli/ReportesCli.h"

#include "reports/ExportacionCompras.h"
#include "reports/ReportesPeriodo.h"
#include "platform/ErrorCompras.h"
#include "platform/Mensajes.h"

namespace {

// Keeps the success message for the command's output; failures travel as exceptions.
class MensajesCli : public MensajesConsola {
public:
    void Informacion(const QString &texto, const QString &) override { informado = texto; }
    QString informado;
};

QString validar(const QDate &desde, const QDate &hasta)
{
    if (!desde.isValid())
        return QStringLiteral("La fecha inicial no es valida");
    if (!hasta.isValid())
        return QStringLiteral("La fecha final no es valida");
    if (hasta < desde)
        return QStringLiteral("La fecha final no puede ser anterior a la inicial");
    return QString();
}

} // namespace

int TipoReporteDeTexto(const QString &texto)
{
    const QString t = texto.trimmed().toLower();
    const QStringList nombres = {QStringLiteral("resumen"), QStringLiteral("detalle"), QStringLiteral("proveedor"),
                                 QStringLiteral("netas")};
    if (nombres.contains(t))
        return static_cast<int>(nombres.indexOf(t)) + 1;
    bool ok = false;
    const int n = t.toInt(&ok);
    return ok && n >= 1 && n <= 4 ? n : 0;
}

QDate FechaDeTexto(const QString &texto)
{
    QDate d = QDate::fromString(texto.trimmed(), QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        d = QDate::fromString(texto.trimmed(), QStringLiteral("dd/MM/yyyy"));
    return d;
}

ResultadoCli ReporteAPdf(const ConexionReportes &conexion, const AjustesReportes &ajustes, const PedidoReporteCli &p)
{
    ResultadoCli r;
    QString error = validar(p.desde, p.hasta);
    if (p.tipo < 1 || p.tipo > 4)
        error = QStringLiteral("Tipo de reporte desconocido (resumen, detalle, proveedor o netas)");
    else if (p.moneda != 1 && p.moneda != 2)
        error = QStringLiteral("La moneda debe ser 1 o 2");
    else if (p.pdf.isEmpty())
        error = QStringLiteral("Falta el archivo PDF (--pdf)");
    if (!error.isEmpty())
        return {2, QString(), error};
    try {
        ReportesPeriodo reportes(conexion, ajustes);
        PedidoReportePeriodo pedido;
        pedido.tipo = static_cast<TipoReportePeriodo>(p.tipo);
        pedido.desde = p.desde;
        pedido.hasta = p.hasta;
        pedido.moneda = p.moneda;
        pedido.totales = p.totales;
        Reporte &rep = reportes.Preparar(pedido);
        rep.ExportToPdf(p.pdf);
        r.salida = QStringLiteral("%1: %2 páginas en %3")
                       .arg(ReportesPeriodo::Titulo(pedido.tipo))
                       .arg(rep.PageCount())
                       .arg(p.pdf);
    } catch (const ErrorCompras &e) {
        return {1, QString(), e.mensaje()};
    } catch (const std::exception &e) {
        return {1, QString(), QString::fromUtf8(e.what())};
    }
    return r;
}

ResultadoCli ExportarALibro(const ConexionReportes &conexion, const AjustesReportes &ajustes,
                            const PedidoExportacionCli &p)
{
    QString error = validar(p.desde, p.hasta);
    if (error.isEmpty() && p.moneda != 1 && p.moneda != 2)
        error = QStringLiteral("La moneda debe ser 1 o 2");
    if (error.isEmpty() && p.xlsx.isEmpty())
        error = QStringLiteral("Falta el archivo del libro (--xlsx)");
    if (!error.isEmpty())
        return {2, QString(), error};
    MensajesCli mensajes;
    try {
        ExportacionCompras exportacion(conexion, ajustes, mensajes);
        PedidoExportacion pedido;
        pedido.desde = p.desde;
        pedido.hasta = p.hasta;
        pedido.detalle = p.detalle;
        pedido.moneda = p.moneda;
        pedido.archivo = p.xlsx;
        exportacion.Exportar(pedido);
        ResultadoCli r;
        r.salida = mensajes.informado;
        if (exportacion.CeldasSinConvertir() > 0)
            r.mensaje = QStringLiteral("%1 importes sin tipo de cambio quedaron vacíos").arg(exportacion.CeldasSinConvertir());
        return r;
    } catch (const ErrorCompras &e) {
        return {1, QString(), e.mensaje()};
    } catch (const std::exception &e) {
        return {1, QString(), QString::fromUtf8(e.what())};
    }
}
