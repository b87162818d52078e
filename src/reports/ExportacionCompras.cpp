#include "reports/ExportacionCompras.h"

#include "platform/Mensajes.h"
#include "platform/db/Query.h"
#include "platform/report/Reporte.h"
#include "platform/workbook/ErrorLibro.h"

#include <QDateTime>


namespace {

Currency monto(db::Query &q, const char *campo)
{
    return q.fieldByName(QString::fromLatin1(campo)).asCurrency();
}

QString texto(db::Query &q, const char *campo)
{
    return q.fieldByName(QString::fromLatin1(campo)).asString();
}

double numero(Currency c)
{
    return static_cast<double>(c.raw()) / Currency::Scale;
}

void parametrosPeriodo(db::Query &q, const PedidoExportacion &p)
{
    q.paramByName("fecha1").setAsDateTime(QDateTime(p.desde, QTime(0, 0, 0, 0)));
    q.paramByName("fecha2").setAsDateTime(QDateTime(p.hasta, QTime(23, 59, 59, 0)));
}

} // namespace

ExportacionCompras::ExportacionCompras(const ConexionReportes &conexion, AjustesReportes ajustes, Mensajes &mensajes)
    : c_(conexion), a_(std::move(ajustes)), mensajes_(mensajes)
{
}

QString ExportacionCompras::Exportar(const PedidoExportacion &pedido)
{
    moneda_ = pedido.moneda;
    sinConvertir_ = 0;
    excel_ = TmxNativeExcel();
    Inicio(pedido);
    if (pedido.detalle)
        ReporteDetallado(pedido);
    else
        ReporteResumido(pedido);
    excel_.CloseFile();
    if (!excel_.SaveToFile())
        throw ErrorLibro(TmxNativeExcel::MensajeErrorGuardar());
    mensajes_.Informacion(TmxNativeExcel::MensajeExito(excel_.FileName()));
    return excel_.FileName();
}

void ExportacionCompras::Inicio(const PedidoExportacion &p)
{
    // Rows are written in order: they go to the file as they come, so memory does not follow the period.
    excel_.SetEscrituraDirecta(true);
    excel_.NewFile();
    // The writer gives the name the ".xlsx" extension; the message names that file.
    excel_.SetFileName(p.archivo);
    excel_.AddFont(QStringLiteral("Tahoma"), 8, false);
    excel_.AddFont(QStringLiteral("Tahoma"), 8, true);
    excel_.SetActiveFont(1);
    excel_.Borders = 0;
    excel_.WriteLabel(1, 1, p.moneda == 2 ? QStringLiteral("Informe de compras en ") + a_.denominacionMoneda2
                                          : QStringLiteral("Informe de compras"));
    const QString desde = p.textoDesde.isEmpty() ? p.desde.toString(QStringLiteral("dd/MM/yyyy")) : p.textoDesde;
    const QString hasta = p.textoHasta.isEmpty() ? p.hasta.toString(QStringLiteral("dd/MM/yyyy")) : p.textoHasta;
    excel_.WriteLabel(1, 3, QStringLiteral("Entre el ") + desde + QStringLiteral(" y el ") + hasta);
}

int ExportacionCompras::ContarFacturas(const PedidoExportacion &p)
{
    db::Query q(c_.tienda, c_.lectura);
    q.setSql(QStringLiteral("select count(*) from FACTURAS_compra\nwhere fecha between :fecha1 and :fecha2"));
    parametrosPeriodo(q, p);
    q.execQuery();
    const int n = q.eof() ? 0 : q.field(0).asInteger();
    q.close();
    if (AlIniciar)
        AlIniciar(n);
    return n;
}

bool ExportacionCompras::EscribirMonto(int fila, int columna, Currency valor, Currency tasa1, Currency tasa2)
{
    if (moneda_ != 2) {
        excel_.WriteNumber(fila, columna, numero(valor));
        return true;
    }
    const auto c = ConvertirMoneda(valor, tasa1, tasa2);
    if (!c) {
        excel_.WriteLabel(fila, columna, QString());
        ++sinConvertir_;
        return false;
    }
    excel_.WriteNumber(fila, columna, numero(*c));
    return true;
}

void ExportacionCompras::ReporteResumido(const PedidoExportacion &p)
{
    QString iv = a_.definicionIV.trimmed();
    const QStringList titulos = {QStringLiteral("Fecha"),          QStringLiteral("Comprobante"),
                                 QStringLiteral("Cliente"),        QStringLiteral("SubTotal Gravado"),
                                 QStringLiteral("SubTotal No Gravado"), QStringLiteral("Descuento"),
                                 QStringLiteral("Total Gravado"),  QStringLiteral("Total No Gravado"),
                                 Reporte::QuotedStr(iv),           QStringLiteral("Total"),
                                 QStringLiteral("Importe N.C."),   QStringLiteral("Importe Total")};
    excel_.Borders = 15;
    for (int i = 0; i < titulos.size(); ++i)
        excel_.WriteLabel(3, i + 1, titulos[i]);
    excel_.Borders = 0;
    excel_.SetActiveFont(0);

    ContarFacturas(p);
    db::Query q(c_.tienda, c_.lectura);
    q.setSql(QStringLiteral("select * from FACTURAS_compra\nwhere fecha between :fecha1 and :fecha2\n order by "
                            "FECHA,COMPROBANTE"));
    parametrosPeriodo(q, p);
    Currency sumas[9];
    int fila = 4;
    int hechas = 0;
    for (q.execQuery(); !q.eof(); q.next(), ++fila) {
        const Currency t1 = monto(q, "TIPO_CAMBIO"), t2 = monto(q, "TIPO_CAMBIO_2");
        excel_.WriteLabel(fila, 1, texto(q, "FECHA"));
        excel_.WriteLabel(fila, 2, texto(q, "COMPROBANTE"));
        if (texto(q, "ANULADA") == QLatin1String("N")) {
            excel_.WriteLabel(fila, 3, texto(q, "NOMBRE"));
            const Currency total = monto(q, "IMPORTE_TOTAL"), nc = monto(q, "IMPORTE_NC");
            const Currency valores[9] = {monto(q, "SUBTOTAL_GRAVADO"), monto(q, "SUBTOTAL_NO_GRAVADO"),
                                         monto(q, "IMPORTE_DESCUENTO"), monto(q, "TOTAL_GRAVADO"),
                                         monto(q, "TOTAL_NO_GRAVADO"),  monto(q, "IMPORTE_IV"),
                                         total,                         nc,
                                         total - nc};
            bool completa = true;
            for (int i = 0; i < 9; ++i) {
                if (!EscribirMonto(fila, 4 + i, valores[i], t1, t2)) {
                    completa = false;
                    continue;
                }
                sumas[i] += moneda_ == 2 ? *ConvertirMoneda(valores[i], t1, t2) : valores[i];
            }
            if (!completa)
                excel_.WriteLabel(fila, 13, kNotaSinTipoCambio);
        } else {
            excel_.WriteLabel(fila, 3, QStringLiteral("ANULADA - ") + texto(q, "NOMBRE"));
            for (int i = 0; i < 9; ++i)
                excel_.WriteNumber(fila, 4 + i, 0);
        }
        if (AlAvanzar)
            AlAvanzar(++hechas);
    }
    q.close();

    ++fila;  // one empty row before the totals
    excel_.SetActiveFont(1);
    excel_.Borders = 1;
    for (int i = 0; i < 9; ++i)
        excel_.WriteNumber(fila, 4 + i, numero(sumas[i]));
    excel_.Borders = 0;
    excel_.SetActiveFont(0);

    const double anchos[] = {23, 14, 40, 18, 21, 13, 15, 12, 21, 15, 15, 15};
    for (int i = 0; i < 12; ++i)
        excel_.SetColumnWidth(i + 1, anchos[i]);
}

QString ExportacionCompras::SentenciaDetalle()
{
    return QStringLiteral(
        "select f.ID_COMPRA, f.FECHA, f.NOMBRE, f.COMPROBANTE, f.SUBTOTAL_GRAVADO, f.SUBTOTAL_NO_GRAVADO,\n"
        " f.IMPORTE_DESCUENTO, f.TOTAL_GRAVADO, f.TOTAL_NO_GRAVADO, f.IMPORTE_IV, f.IMPORTE_TOTAL,\n"
        " f.TIPO_CAMBIO, f.TIPO_CAMBIO_2, d.ID_DETALLE_FACTURA, d.CODIGO_ARTICULO, d.DESCRIPCION, d.CANTIDAD,\n"
        " d.IMPORTE_UNITARIO, d.IMPORTE_TOTAL as TOTAL_LINEA, d.TIPO_CAMBIO as TC_LINEA, d.TIPO_CAMBIO_2 as TC2_LINEA\n"
        " from FACTURAS_compra f left join DETALLE_FACTURAS_compra d on d.ID_COMPRA = f.ID_COMPRA\n"
        "where f.fecha between :fecha1 and :fecha2\n order by f.FECHA, f.COMPROBANTE, f.ID_COMPRA, d.ID_DETALLE_FACTURA");
}

void ExportacionCompras::ReporteDetallado(const PedidoExportacion &p)
{
    excel_.SetActiveFont(0);
    ContarFacturas(p);
    // Every invoice with its own lines (by ID_COMPRA); an invoice without lines keeps its block.
    db::Query q(c_.tienda, c_.lectura);
    q.setSql(SentenciaDetalle());
    parametrosPeriodo(q, p);
    const int iId = 0;
    int fila = 3;
    int hechas = 0;
    q.execQuery();
    while (!q.eof()) {
        const qint64 id = q.field(iId).asInt64();
        excel_.SetActiveFont(1);
        excel_.WriteLabel(fila, 1, texto(q, "FECHA"));
        excel_.WriteLabel(fila, 2, texto(q, "NOMBRE"));
        excel_.WriteLabel(fila, 3, texto(q, "COMPROBANTE"));
        ++fila;
        excel_.Borders = 15;
        const char *titulos[] = {"Codigo", "Articulo", "Cantidad", "Precio", "Importe"};
        for (int i = 0; i < 5; ++i)
            excel_.WriteLabel(fila, i + 1, QString::fromLatin1(titulos[i]));
        ++fila;
        excel_.SetActiveFont(0);

        const Currency t1 = monto(q, "TIPO_CAMBIO"), t2 = monto(q, "TIPO_CAMBIO_2");
        const Currency pie[7] = {monto(q, "SUBTOTAL_GRAVADO"), monto(q, "SUBTOTAL_NO_GRAVADO"),
                                 monto(q, "IMPORTE_DESCUENTO"), monto(q, "TOTAL_GRAVADO"),
                                 monto(q, "TOTAL_NO_GRAVADO"),  monto(q, "IMPORTE_IV"),
                                 monto(q, "IMPORTE_TOTAL")};
        for (; !q.eof() && q.field(iId).asInt64() == id; q.next()) {
            if (q.fieldByName(QStringLiteral("ID_DETALLE_FACTURA")).isNull())
                continue;
            excel_.WriteLabel(fila, 1, texto(q, "CODIGO_ARTICULO"));
            excel_.WriteLabel(fila, 2, texto(q, "DESCRIPCION"));
            excel_.WriteNumber(fila, 3, q.fieldByName(QStringLiteral("CANTIDAD")).asFloat());
            const Currency lt1 = monto(q, "TC_LINEA"), lt2 = monto(q, "TC2_LINEA");
            const bool a = EscribirMonto(fila, 4, monto(q, "IMPORTE_UNITARIO"), lt1, lt2);
            const bool b = EscribirMonto(fila, 5, monto(q, "TOTAL_LINEA"), lt1, lt2);
            if (!a || !b) {
                excel_.Borders = 0;
                excel_.WriteLabel(fila, 6, kNotaSinTipoCambio);
                excel_.Borders = 15;
            }
            ++fila;
        }

        excel_.Borders = 0;
        const char *etiquetas[] = {"SubTotal Gravado", "SubTotal No Gravado", "Descuento", "Total Gravado",
                                   "Total No Gravado", "Impuesto",            "Total"};
        for (int i = 0; i < 7; ++i, ++fila) {
            const bool total = i == 6;
            if (total)
                excel_.SetActiveFont(1);
            excel_.WriteLabel(fila, 3, QString::fromLatin1(etiquetas[i]));
            if (total)
                excel_.SetActiveFont(0);
            excel_.Borders = 15;
            const bool ok = EscribirMonto(fila, 5, pie[i], t1, t2);
            excel_.Borders = 0;
            if (!ok)
                excel_.WriteLabel(fila, 6, kNotaSinTipoCambio);
        }
        ++fila;  // one empty row before the next block
        if (AlAvanzar)
            AlAvanzar(++hechas);
    }
    q.close();
    excel_.SetColumnWidth(1, 25);
    excel_.SetColumnWidth(2, 47);
    excel_.SetColumnWidth(3, 6, 13);
}
