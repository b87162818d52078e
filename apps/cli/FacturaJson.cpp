#include "cli/FacturaJson.h"

#include "platform/Formato.h"
#include "platform/TextoEntrada.h"
#include "purchases/EntradaCompra.h"
#include "purchases/ProcesoCompra.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <climits>
#include <cmath>

namespace {

struct Lector {
    QString &error;

    bool falla(const QString &texto)
    {
        if (error.isEmpty())
            error = texto;
        return false;
    }

    // Amounts come as JSON numbers; text or anything else is refused, and so are more than
    // four decimals and values above `maximo`. `ruta` is the key as written in the file.
    bool monto(const QJsonObject &o, const char *clave, Currency &destino, bool requerido, const QString &donde,
               const QString &ruta, Currency maximo)
    {
        const QJsonValue v = o.value(QLatin1String(clave));
        if (v.isUndefined() || v.isNull())
            return requerido ? falla(QStringLiteral("Falta \"%1\"%2.").arg(QLatin1String(clave), donde)) : true;
        if (!v.isDouble() || !std::isfinite(v.toDouble()))
            return falla(QStringLiteral("\"%1\"%2 debe ser un número.").arg(QLatin1String(clave), donde));
        const double d = v.toDouble();
        const QString maximoTexto = FormatCurrency(QStringLiteral("#,##0.####"), maximo);
        if (std::fabs(d) > maximo.toDouble() * 2)
            return falla(QStringLiteral("\"%1\" no puede ser mayor a %2.").arg(ruta, maximoTexto));
        // Through the shortest decimal text of the number, so 10.05 stays 10.05.
        const QString texto = QString::number(d, 'f', QLocale::FloatingPointShortest);
        const qsizetype punto = texto.indexOf(QLatin1Char('.'));
        if (punto >= 0 && texto.size() - punto - 1 > 4)
            return falla(QStringLiteral("\"%1\" admite como máximo 4 decimales (%2).").arg(ruta, texto));
        destino = Currency::fromString(texto);
        if (destino > maximo)
            return falla(QStringLiteral("\"%1\" no puede ser mayor a %2.").arg(ruta, maximoTexto));
        return true;
    }

    bool entero(const QJsonObject &o, const char *clave, int &destino, bool requerido, const QString &donde)
    {
        const QJsonValue v = o.value(QLatin1String(clave));
        if (v.isUndefined() || v.isNull())
            return requerido ? falla(QStringLiteral("Falta \"%1\"%2.").arg(QLatin1String(clave), donde)) : true;
        const double d = v.toDouble(-0.5);
        if (!v.isDouble() || d != std::floor(d) || std::fabs(d) > 2e9)
            return falla(QStringLiteral("\"%1\"%2 debe ser un número entero.").arg(QLatin1String(clave), donde));
        destino = static_cast<int>(d);
        return true;
    }

    // Control and invisible characters are refused as written, before trimming could hide a
    // trailing line feed or tab. `ruta` is the key as written in the file.
    bool texto(const QJsonObject &o, const char *clave, QString &destino, bool requerido, const QString &donde,
               const QString &ruta)
    {
        const QJsonValue v = o.value(QLatin1String(clave));
        if (v.isUndefined() || v.isNull())
            return requerido ? falla(QStringLiteral("Falta \"%1\"%2.").arg(QLatin1String(clave), donde)) : true;
        if (!v.isString())
            return falla(QStringLiteral("\"%1\"%2 debe ser un texto.").arg(QLatin1String(clave), donde));
        if (TieneCaracterNoPermitido(v.toString()))
            return falla(RevisarCodigo(v.toString(), INT_MAX, ruta));
        destino = v.toString().trimmed();
        return true;
    }

    // The final text (upper-cased, trimmed) against its column.
    bool largo(const QString &valor, int maximo, const QString &ruta)
    {
        const QString motivo = RevisarCodigo(valor, maximo, ruta);
        return motivo.isEmpty() || falla(motivo);
    }
};

// Qt's parser explains itself in English; the user reads Spanish.
QString CausaJson(QJsonParseError::ParseError e)
{
    switch (e) {
    case QJsonParseError::UnterminatedObject: return QStringLiteral("falta cerrar un objeto con }");
    case QJsonParseError::MissingNameSeparator: return QStringLiteral("falta \":\" después de una clave");
    case QJsonParseError::UnterminatedArray: return QStringLiteral("falta cerrar una lista con ]");
    case QJsonParseError::MissingValueSeparator: return QStringLiteral("falta una coma entre valores");
    case QJsonParseError::IllegalValue: return QStringLiteral("hay un valor no permitido");
    case QJsonParseError::TerminationByNumber: return QStringLiteral("el archivo termina en medio de un número");
    case QJsonParseError::IllegalNumber: return QStringLiteral("hay un número mal escrito");
    case QJsonParseError::IllegalEscapeSequence:
    case QJsonParseError::IllegalUTF8String: return QStringLiteral("hay un texto con caracteres no válidos");
    case QJsonParseError::UnterminatedString: return QStringLiteral("falta cerrar un texto con comillas");
    case QJsonParseError::MissingObject: return QStringLiteral("se esperaba un objeto");
    case QJsonParseError::DeepNesting: return QStringLiteral("hay demasiados niveles anidados");
    case QJsonParseError::DocumentTooLarge: return QStringLiteral("el archivo es demasiado grande");
    case QJsonParseError::GarbageAtEnd: return QStringLiteral("hay texto sobrante al final");
    default: return QStringLiteral("el contenido no se puede leer");
    }
}

} // namespace

std::optional<FacturaJson> LeerFacturaJson(const QByteArray &contenido, QString &error)
{
    error.clear();
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(contenido, &pe);
    if (pe.error != QJsonParseError::NoError) {
        error = QStringLiteral("El archivo no es un JSON válido (posición %1): %2.").arg(pe.offset).arg(CausaJson(pe.error));
        return std::nullopt;
    }
    if (!doc.isObject()) {
        error = QStringLiteral("El archivo debe contener un objeto con la factura.");
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    Lector l{error};
    FacturaJson f;
    QString fecha;
    bool ok = l.entero(o, "proveedor", f.proveedor, true, QString()) & l.texto(o, "comprobante", f.comprobante, true, QString(), QStringLiteral("comprobante"))
              & l.texto(o, "fecha", fecha, true, QString(), QStringLiteral("fecha")) & l.entero(o, "moneda", f.moneda, false, QString())
              & l.texto(o, "bodega", f.bodega, false, QString(), QStringLiteral("bodega")) & l.monto(o, "descuento", f.descuento, false, QString(),
                                                                   QStringLiteral("descuento"), kImporteMaximo);
    if (!ok)
        return std::nullopt;
    f.comprobante = f.comprobante.toUpper();
    if (!l.largo(f.comprobante, EntradaCompra::kLargoComprobante, QStringLiteral("comprobante"))
        || !l.largo(f.bodega, EntradaCompra::kLargoBodega, QStringLiteral("bodega")))
        return std::nullopt;
    f.fecha = QDate::fromString(fecha, Qt::ISODate);
    if (!f.fecha.isValid())
        return l.falla(QStringLiteral("\"fecha\" debe tener la forma AAAA-MM-DD.")), std::nullopt;
    if (f.comprobante.isEmpty())
        return l.falla(QStringLiteral("Falta el número de comprobante.")), std::nullopt;
    if (f.moneda != 1 && f.moneda != 2)
        return l.falla(QStringLiteral("\"moneda\" debe ser 1 o 2.")), std::nullopt;
    if (f.descuento < Currency() || f.descuento > Currency(100))
        return l.falla(QStringLiteral("\"descuento\" debe estar entre 0 y 100.")), std::nullopt;

    const QJsonValue lineas = o.value(QLatin1String("lineas"));
    if (!lineas.isArray() || lineas.toArray().isEmpty())
        return l.falla(QStringLiteral("La factura debe tener al menos una línea en \"lineas\".")), std::nullopt;
    int n = 0;
    for (const QJsonValue &v : lineas.toArray()) {
        ++n;
        const QString donde = QStringLiteral(" en la línea %1").arg(n);
        if (!v.isObject())
            return l.falla(QStringLiteral("La línea %1 debe ser un objeto.").arg(n)), std::nullopt;
        const QJsonObject lo = v.toObject();
        LineaJson linea;
        const QString ruta = QStringLiteral("lineas[%1].").arg(n - 1);
        if (!(l.texto(lo, "codigo", linea.codigo, true, donde, ruta + QLatin1String("codigo"))
              & l.monto(lo, "cantidad", linea.cantidad, true, donde, ruta + QLatin1String("cantidad"), kCantidadMaxima)
              & l.monto(lo, "costo", linea.costo, true, donde, ruta + QLatin1String("costo"), kImporteMaximo)
              & l.monto(lo, "descuento", linea.descuento, false, donde, ruta + QLatin1String("descuento"), kImporteMaximo)
              & l.monto(lo, "precio_venta", linea.precioVenta, false, donde, ruta + QLatin1String("precio_venta"),
                        kImporteMaximo)))
            return std::nullopt;
        linea.codigo = linea.codigo.toUpper();
        if (!l.largo(linea.codigo, EntradaCompra::kLargoCodigo, ruta + QLatin1String("codigo")))
            return std::nullopt;
        if (linea.cantidad <= Currency())
            return l.falla(QStringLiteral("La cantidad%1 debe ser mayor que 0.").arg(donde)), std::nullopt;
        if (linea.costo < Currency() || linea.precioVenta < Currency())
            return l.falla(QStringLiteral("Los importes%1 no pueden ser negativos.").arg(donde)), std::nullopt;
        if (linea.descuento < Currency() || linea.descuento > Currency(100))
            return l.falla(QStringLiteral("El descuento%1 debe estar entre 0 y 100.").arg(donde)), std::nullopt;
        f.lineas.push_back(linea);
    }

    const QJsonValue pago = o.value(QLatin1String("pago"));
    if (!pago.isObject())
        return l.falla(QStringLiteral("Falta el objeto \"pago\".")), std::nullopt;
    const QJsonObject po = pago.toObject();
    const QString enPago = QStringLiteral(" en \"pago\"");
    PagoJson &p = f.pago;
    Currency importeNotas;
    const auto pagoMonto = [&](const char *clave, Currency &destino) {
        return l.monto(po, clave, destino, false, enPago, QStringLiteral("pago.") + QLatin1String(clave), kImporteMaximo);
    };
    if (!(pagoMonto("efectivo", p.efectivo) & l.texto(po, "origen", p.origen, false, enPago, QStringLiteral("pago.origen"))
          & pagoMonto("cheque", p.cheque) & l.texto(po, "numero_cheque", p.numeroCheque, false, enPago, QStringLiteral("pago.numero_cheque"))
          & l.entero(po, "cuenta_bancaria", p.cuentaBancaria, false, enPago)
          & pagoMonto("credito", p.credito) & l.entero(po, "dias", p.dias, false, enPago)
          & l.texto(po, "nota_saldo", p.notaSaldo, false, enPago, QStringLiteral("pago.nota_saldo"))
          & pagoMonto("importe_notas", importeNotas)))
        return std::nullopt;
    if (!po.value(QLatin1String("importe_notas")).isUndefined() && !po.value(QLatin1String("importe_notas")).isNull())
        p.importeNotas = importeNotas;
    p.origen = p.origen.toLower();
    if (p.origen != QLatin1String("caja") && p.origen != QLatin1String("otros"))
        return l.falla(QStringLiteral("\"origen\" debe ser \"caja\" u \"otros\".")), std::nullopt;
    if (p.efectivo < Currency() || p.cheque < Currency() || p.credito < Currency() || p.dias < 0
        || importeNotas < Currency())
        return l.falla(QStringLiteral("Los importes del pago no pueden ser negativos.")), std::nullopt;
    const QJsonValue notas = po.value(QLatin1String("notas"));
    if (!notas.isUndefined() && !notas.isNull()) {
        if (!notas.isArray())
            return l.falla(QStringLiteral("\"notas\" debe ser una lista de números de nota.")), std::nullopt;
        for (const QJsonValue &v : notas.toArray()) {
            if (!v.isString() || v.toString().trimmed().isEmpty())
                return l.falla(QStringLiteral("Cada nota de \"notas\" debe ser un número de nota (texto).")), std::nullopt;
            const QString ruta = QStringLiteral("pago.notas[%1]").arg(p.notas.size());
            const QString nota = v.toString().trimmed().toUpper();
            if (!l.largo(v.toString(), INT_MAX, ruta) || !l.largo(nota, ProcesoCompra::kLargoNota, ruta))
                return std::nullopt;
            p.notas << nota;
        }
    }
    p.notaSaldo = p.notaSaldo.toUpper();
    if (!l.largo(p.numeroCheque, ProcesoCompra::kLargoNumeroCheque, QStringLiteral("pago.numero_cheque"))
        || !l.largo(p.notaSaldo, ProcesoCompra::kLargoNota, QStringLiteral("pago.nota_saldo")))
        return std::nullopt;
    return f;
}

std::optional<NotaCreditoJson> LeerNotaCreditoJson(const QByteArray &contenido, QString &error)
{
    error.clear();
    QJsonParseError pe;
    QJsonDocument doc = QJsonDocument::fromJson(contenido, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        LeerFacturaJson(contenido, error);  // says what is wrong with the file
        return std::nullopt;
    }
    QJsonObject o = doc.object();
    if (!o.contains(QLatin1String("pago")))
        o.insert(QStringLiteral("pago"), QJsonObject());
    NotaCreditoJson n;
    std::optional<FacturaJson> f = LeerFacturaJson(QJsonDocument(o).toJson(), error);
    if (!f)
        return std::nullopt;
    n.nota = std::move(*f);
    Lector l{error};
    for (auto [clave, destino] : {std::pair{"factura_no_sistema", &n.facturaNoSistema}, std::pair{"asignar", &n.asignar},
                                  std::pair{"confirmar_excesos", &n.confirmarExcesos}}) {
        const QJsonValue v = o.value(QLatin1String(clave));
        if (v.isUndefined() || v.isNull())
            continue;
        if (!v.isBool())
            return l.falla(QStringLiteral("\"%1\" debe ser true o false.").arg(QLatin1String(clave))), std::nullopt;
        *destino = v.toBool();
    }
    if (!l.texto(o, "factura", n.factura, !n.facturaNoSistema, QString(), QStringLiteral("factura")))
        return std::nullopt;
    n.factura = n.factura.toUpper();
    if (!l.largo(n.factura, EntradaCompra::kLargoComprobante, QStringLiteral("factura")))
        return std::nullopt;
    if (n.facturaNoSistema && !n.factura.isEmpty())
        return l.falla(QStringLiteral("\"factura\" no va con \"factura_no_sistema\".")), std::nullopt;
    if (n.facturaNoSistema && n.asignar)
        return l.falla(QStringLiteral("\"asignar\" necesita una factura del sistema.")), std::nullopt;
    return n;
}
