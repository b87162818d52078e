#include "reports/ReportesPeriodo.h"

#include "platform/db/Query.h"
#include "platform/report/ErrorReporte.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

const QString kFechaIni = QStringLiteral("FechaIni");
const QString kFechaFin = QStringLiteral("FechaFin");

Currency monto(db::Query &q, const char *campo)
{
    return q.fieldByName(QString::fromLatin1(campo)).asCurrency();
}

// The amount in the chosen currency, as report text; empty when the rate is zero.
QVariant convertido(int moneda, Currency valor, Currency tasa1, Currency tasa2)
{
    if (moneda != 2)
        return TextoMonto(valor);
    const auto c = ConvertirMoneda(valor, tasa1, tasa2);
    return c ? QVariant(TextoMonto(*c)) : QVariant();
}

std::unique_ptr<db::Query> consultaPeriodo(const ConexionReportes &c, const QString &sql, const PedidoReportePeriodo &p)
{
    auto q = std::make_unique<db::Query>(c.tienda, c.lectura);
    q->setSql(sql);
    q->paramByName(kFechaIni).setAsDate(p.desde);
    q->paramByName(kFechaFin).setAsDate(p.hasta);
    return q;
}

const QStringList kCalculadosFactura = {
    QStringLiteral("ImporteTotal"), QStringLiteral("SubTotal1"), QStringLiteral("SubTotal2"), QStringLiteral("aSTG"),
    QStringLiteral("aSTNG"),        QStringLiteral("aDesc"),     QStringLiteral("aTG"),       QStringLiteral("aTNG"),
    QStringLiteral("aIV"),          QStringLiteral("aST"),       QStringLiteral("aNC"),       QStringLiteral("aImporteTotal")};

struct MontosFactura {
    Currency valores[12];
};

// The calculated fields of an invoice row, in kCalculadosFactura's order.
MontosFactura calcularFactura(db::Query &q)
{
    MontosFactura m;
    const bool valida = q.fieldByName(QStringLiteral("ANULADA")).asString() == QLatin1String("N");
    const Currency stg = monto(q, "SUBTOTAL_GRAVADO"), stng = monto(q, "SUBTOTAL_NO_GRAVADO");
    const Currency desc = monto(q, "IMPORTE_DESCUENTO"), tg = monto(q, "TOTAL_GRAVADO");
    const Currency tng = monto(q, "TOTAL_NO_GRAVADO"), iv = monto(q, "IMPORTE_IV");
    const Currency total = monto(q, "IMPORTE_TOTAL"), nc = monto(q, "IMPORTE_NC");
    m.valores[0] = total - nc;
    m.valores[1] = stg + stng;
    m.valores[2] = tg + tng;
    if (valida) {
        const Currency a[] = {stg, stng, desc, tg, tng, iv, total, nc, total - nc};
        std::copy(std::begin(a), std::end(a), m.valores + 3);
    }
    return m;
}

} // namespace

ReportesPeriodo::ReportesPeriodo(const ConexionReportes &conexion, AjustesReportes ajustes)
    : c_(conexion), a_(std::move(ajustes)), reporte_(std::make_unique<Reporte>())
{
}

ReportesPeriodo::~ReportesPeriodo() = default;

QString ReportesPeriodo::Titulo(TipoReportePeriodo tipo)
{
    switch (tipo) {
    case TipoReportePeriodo::ResumenCompras: return QStringLiteral("Resumen de Compras");
    case TipoReportePeriodo::DetalleCompras: return QStringLiteral("Detalle de Compras");
    case TipoReportePeriodo::ComprasProveedor: return QStringLiteral("Compras por Proveedor");
    case TipoReportePeriodo::ComprasNetas: return QStringLiteral("Compras Netas");
    }
    return QString();
}

Reporte &ReportesPeriodo::Preparar(const PedidoReportePeriodo &p)
{
    QString plantilla;
    QMap<QString, QString> extra;
    auto q = [](const QString &t) { return Reporte::QuotedStr(t); };
    fuente_.reset();
    switch (p.tipo) {
    case TipoReportePeriodo::ResumenCompras:
        fuente_ = FuenteFacturas(p, false, QStringLiteral(" order by FECHA"));
        plantilla = p.totales ? kResumenTotales : kResumen;
        extra[QStringLiteral("DefinicionIVPais")] = q(a_.siglasIV);
        if (p.totales)
            Totales(p, extra);
        break;
    case TipoReportePeriodo::DetalleCompras:
        fuente_ = FuenteDetalle(p);
        plantilla = kDetalle;
        break;
    case TipoReportePeriodo::ComprasProveedor:
        fuente_ = FuenteFacturas(p, true, QStringLiteral(" order by CODIGO_PROVEEDOR,FECHA"));
        plantilla = kProveedor;
        extra[QStringLiteral("DefinicionCedJuridPais")] = q(a_.siglasCedJuridica + QStringLiteral(": ") + a_.cedula);
        extra[QStringLiteral("DefinicionIVPais")] = q(a_.siglasIV);
        break;
    case TipoReportePeriodo::ComprasNetas:
        fuente_ = FuenteNetas(p);
        plantilla = kNetas;
        break;
    }
    dsReporte_.setDataSet(fuente_.get());
    reporte_->setDataSet(&dsReporte_);
    reporte_->LoadFromFile(a_.pathReportes + plantilla);
    VariablesComunes(p, reporte_->Variables);
    for (auto it = extra.cbegin(); it != extra.cend(); ++it)
        reporte_->Variables[it.key()] = it.value();
    reporte_->PrepareReport();
    return *reporte_;
}

void ReportesPeriodo::VariablesComunes(const PedidoReportePeriodo &p, QMap<QString, QString> &v) const
{
    auto q = [](const QString &t) { return Reporte::QuotedStr(t); };
    const bool moneda1 = p.moneda != 2;
    v[QStringLiteral("pblMoneda1")] = q(moneda1 ? QStringLiteral("S") : QStringLiteral("N"));
    v[QStringLiteral("vSigno")] = q(moneda1 ? a_.simboloMoneda.trimmed() : a_.signoMoneda2.trimmed());
    v[QStringLiteral("pblTituloDolares")] =
        q(moneda1 ? QString() : QStringLiteral(" en ") + a_.denominacionMoneda2.trimmed().toLower());
    VariablesEncabezado(a_,
                        p.tipo == TipoReportePeriodo::ResumenCompras ? QStringLiteral("                Fax: ")
                                                                      : QStringLiteral("   Fax: "),
                        v);
    v[QStringLiteral("FechaInicial")] = q(p.desde.toString(QStringLiteral("dd/MM/yyyy")));
    v[QStringLiteral("FechaFinal")] = q(p.hasta.toString(QStringLiteral("dd/MM/yyyy")));
}

QString ReportesPeriodo::SentenciaFacturas(bool conAnuladas, const QString &orden)
{
    QString sql = QStringLiteral("select * from FACTURAS_COMPRA\n where FECHA >= :FechaIni and FECHA <= :FechaFin ");
    if (!conAnuladas)
        sql += QStringLiteral("\n and ANULADA = 'N'");
    return sql + QLatin1Char('\n') + orden;
}

QString ReportesPeriodo::SentenciaDetalle()
{
    // Lines belong to their invoice by ID_COMPRA; invoices come in the text order of their ids.
    return QStringLiteral(
        "select f.ID_COMPRA, f.FECHA, f.COMPROBANTE, f.NOMBRE, d.CODIGO_ARTICULO, d.DESCRIPCION,\n"
        " d.IMPORTE_UNITARIO, d.CANTIDAD, d.IMPORTE_TOTAL as TOTAL_LINEA, f.SUBTOTAL_GRAVADO,\n"
        " f.SUBTOTAL_NO_GRAVADO, f.IMPORTE_DESCUENTO, f.TOTAL_GRAVADO, f.TOTAL_NO_GRAVADO, f.IMPORTE_IV,\n"
        " f.IMPORTE_TOTAL, f.IMPORTE_NC, f.TIPO_CAMBIO, f.TIPO_CAMBIO_2\n"
        " from FACTURAS_COMPRA f join DETALLE_FACTURAS_COMPRA d on d.ID_COMPRA = f.ID_COMPRA\n"
        " where f.FECHA >= :FechaIni and f.FECHA <= :FechaFin and f.ANULADA = 'N'\n"
        " order by cast(f.ID_COMPRA as varchar(12)), d.FECHA, d.ID_DETALLE_FACTURA");
}

std::unique_ptr<FuenteDatosReporte> ReportesPeriodo::FuenteFacturas(const PedidoReportePeriodo &p, bool conAnuladas,
                                                                    const QString &orden)
{
    const QString sql = SentenciaFacturas(conAnuladas, orden);
    QStringList calculados = kCalculadosFactura;
    for (const QString &n : kCalculadosFactura)
        calculados << n + QStringLiteral("_M");
    calculados << QStringLiteral("Estado");
    const int moneda = p.moneda;
    return std::make_unique<FuenteConsulta>(
        consultaPeriodo(c_, sql, p), calculados, [moneda](db::Query &q, QHash<QString, QVariant> &v) {
            const MontosFactura m = calcularFactura(q);
            const Currency t1 = monto(q, "TIPO_CAMBIO"), t2 = monto(q, "TIPO_CAMBIO_2");
            for (int i = 0; i < kCalculadosFactura.size(); ++i) {
                const QString n = kCalculadosFactura[i].toUpper();
                v.insert(n, TextoMonto(m.valores[i]));
                v.insert(n + QStringLiteral("_M"), convertido(moneda, m.valores[i], t1, t2));
            }
            v.insert(QStringLiteral("ESTADO"), q.fieldByName(QStringLiteral("ANULADA")).asString() == QLatin1String("N")
                                                   ? QString()
                                                   : QStringLiteral("ANULADA"));
        });
}

void ReportesPeriodo::Totales(const PedidoReportePeriodo &p, QMap<QString, QString> &v)
{
    auto q = consultaPeriodo(c_,
                             QStringLiteral("select * from FACTURAS_COMPRA\n where FECHA >= :FechaIni and FECHA <= "
                                            ":FechaFin \n and ANULADA = 'N'\n order by FECHA"),
                             p);
    Currency sumas[7];
    q->execQuery();
    while (!q->eof()) {
        const MontosFactura m = calcularFactura(*q);
        const Currency t1 = monto(*q, "TIPO_CAMBIO"), t2 = monto(*q, "TIPO_CAMBIO_2");
        for (int i = 0; i < 7; ++i) {
            if (p.moneda != 2) {
                sumas[i] += m.valores[3 + i];
            } else if (const auto c = ConvertirMoneda(m.valores[3 + i], t1, t2)) {
                sumas[i] += *c;
            }
        }
        q->next();
    }
    q->close();
    const char *nombres[] = {"totImpGravado", "totImpExento", "totImpDescuento", "totImpTGravado",
                             "totImpTExento", "totImpIV",     "totImpTotal"};
    for (int i = 0; i < 7; ++i)
        v[QString::fromLatin1(nombres[i])] = Reporte::QuotedStr(TextoMonto(sumas[i]));
}

std::unique_ptr<FuenteDatosReporte> ReportesPeriodo::FuenteDetalle(const PedidoReportePeriodo &p)
{
    const QString sql = SentenciaDetalle();
    QStringList calculados;
    for (int i = 1; i <= 15; ++i)
        calculados << QStringLiteral("CAMPO%1").arg(i);
    for (int i : {7, 9, 10, 11, 12, 13, 14})
        calculados << QStringLiteral("CAMPO%1_M").arg(i);
    const int moneda = p.moneda;
    return std::make_unique<FuenteConsulta>(
        consultaPeriodo(c_, sql, p), calculados, [moneda](db::Query &q, QHash<QString, QVariant> &v) {
            auto texto = [&q](const char *c) { return q.fieldByName(QString::fromLatin1(c)).asString(); };
            const Currency t1 = monto(q, "TIPO_CAMBIO"), t2 = monto(q, "TIPO_CAMBIO_2");
            const Currency montos[] = {monto(q, "IMPORTE_UNITARIO"),
                                       monto(q, "TOTAL_LINEA"),
                                       monto(q, "SUBTOTAL_GRAVADO") + monto(q, "SUBTOTAL_NO_GRAVADO"),
                                       monto(q, "IMPORTE_DESCUENTO"),
                                       monto(q, "TOTAL_GRAVADO") + monto(q, "TOTAL_NO_GRAVADO"),
                                       monto(q, "IMPORTE_IV"),
                                       monto(q, "IMPORTE_TOTAL") - monto(q, "IMPORTE_NC")};
            v.insert(QStringLiteral("CAMPO1"), texto("ID_COMPRA"));
            v.insert(QStringLiteral("CAMPO2"), texto("FECHA"));
            v.insert(QStringLiteral("CAMPO3"), texto("COMPROBANTE"));
            v.insert(QStringLiteral("CAMPO4"), texto("NOMBRE"));
            v.insert(QStringLiteral("CAMPO5"), texto("CODIGO_ARTICULO"));
            v.insert(QStringLiteral("CAMPO6"), texto("DESCRIPCION"));
            v.insert(QStringLiteral("CAMPO7"), TextoMonto(montos[0]));
            v.insert(QStringLiteral("CAMPO8"), texto("CANTIDAD"));
            const int campos[] = {7, 9, 10, 11, 12, 13, 14};
            for (int i = 0; i < 7; ++i) {
                if (i > 0)
                    v.insert(QStringLiteral("CAMPO%1").arg(campos[i]), TextoMonto(montos[i]));
                v.insert(QStringLiteral("CAMPO%1_M").arg(campos[i]), convertido(moneda, montos[i], t1, t2));
            }
            const auto factor = ConvertirMoneda(Currency(1), t1, t2);
            v.insert(QStringLiteral("CAMPO15"), factor ? QVariant(TextoMonto(*factor)) : QVariant());
        });
}

std::unique_ptr<FuenteDatosReporte> ReportesPeriodo::FuenteNetas(const PedidoReportePeriodo &p)
{
    struct Fila {
        QDate fecha;
        QVariantList valores;
    };
    std::vector<Fila> filas;
    const int moneda = p.moneda;
    auto agregar = [&](const QDate &fecha, const QString &tipo, const QString &nombre, const QString &comprobante,
                       const Currency (&m)[4], Currency t1, Currency t2, const QString &anulada,
                       const QString &codigo) {
        const bool esAnulada = anulada == QLatin1String("S");
        QVariantList r{fecha.toString(QStringLiteral("dd/MM/yyyy")), tipo, nombre, comprobante};
        for (const Currency &x : m)
            r << TextoMonto(x);
        r << TextoMonto(t1) << TextoMonto(t2) << anulada << codigo;
        r << (esAnulada ? QStringLiteral("Anulada - ") + tipo : tipo);
        for (const Currency &x : m)
            r << (esAnulada ? QVariant(QStringLiteral("0")) : convertido(moneda, x, t1, t2));
        filas.push_back({fecha, r});
    };

    auto facturas = consultaPeriodo(
        c_,
        QStringLiteral("select * from FACTURAS_COMPRA\n where FECHA >= :FechaIni and FECHA <= :FechaFin\n and ANULADA = 'N'"),
        p);
    for (facturas->execQuery(); !facturas->eof(); facturas->next()) {
        db::Query &f = *facturas;
        const Currency m[4] = {monto(f, "SUBTOTAL_GRAVADO"), monto(f, "SUBTOTAL_NO_GRAVADO"), monto(f, "IMPORTE_IV"),
                               monto(f, "IMPORTE_TOTAL")};
        agregar(f.fieldByName(QStringLiteral("FECHA")).asDate(), QStringLiteral("FACTURA"),
                f.fieldByName(QStringLiteral("NOMBRE")).asString(), f.fieldByName(QStringLiteral("COMPROBANTE")).asString(),
                m, monto(f, "TIPO_CAMBIO"), monto(f, "TIPO_CAMBIO_2"), QString(), QString());
    }
    facturas->close();

    // Supplier names and codes of the credit notes.
    std::map<int, std::pair<QString, QString>> proveedores;
    if (c_.inventario) {
        db::Query prov(c_.inventario, c_.lecturaInv);
        prov.setSql(QStringLiteral("select COD_PROVEEDOR, NOMBRE, COD_PROVEEDOR2 from PROVEEDORES\n order by NOMBRE"));
        for (prov.execQuery(); !prov.eof(); prov.next())
            proveedores[prov.field(0).asInteger()] = {prov.field(1).asString(), prov.field(2).asString()};
        prov.close();
    }
    auto notas = consultaPeriodo(
        c_, QStringLiteral("select * from NOTAS_CREDITO_PROV\n where FECHA >= :FechaIni and FECHA <= :FechaFin"), p);
    for (notas->execQuery(); !notas->eof(); notas->next()) {
        db::Query &n = *notas;
        const Currency m[4] = {-monto(n, "IMP_GRAVADO"), -monto(n, "IMP_EXENTO"), -monto(n, "IMP_IV"),
                               -monto(n, "IMP_TOTAL")};
        const auto it = proveedores.find(n.fieldByName(QStringLiteral("COD_PROVEEDOR")).asInteger());
        const std::pair<QString, QString> prov = it == proveedores.end() ? std::pair<QString, QString>() : it->second;
        agregar(n.fieldByName(QStringLiteral("FECHA")).asDate(), QStringLiteral("NOTA DE CREDITO"), prov.first,
                n.fieldByName(QStringLiteral("COMPROBANTE")).asString(), m, monto(n, "TIPO_CAMBIO"),
                monto(n, "TIPO_CAMBIO_2"), n.fieldByName(QStringLiteral("ANULADA")).asString(), prov.second);
    }
    notas->close();

    // By date (a date text in day/month order would mix the months of a longer period).
    std::stable_sort(filas.begin(), filas.end(), [](const Fila &a, const Fila &b) { return a.fecha < b.fecha; });
    QStringList campos;
    for (int i = 1; i <= 12; ++i)
        campos << QStringLiteral("CAMPO%1").arg(i);
    campos << QStringLiteral("Etiqueta");
    for (int i = 5; i <= 8; ++i)
        campos << QStringLiteral("CAMPO%1_M").arg(i);
    auto tabla = std::make_unique<TablaReporte>(campos);
    for (const Fila &f : filas)
        tabla->append(f.valores);
    return tabla;
}
