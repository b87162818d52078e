#include "cli/DevolucionCli.h"

#include "cli/MensajesCli.h"
#include "consignments/DevolucionConsignacion.h"
#include "data/Comp_fdatos.h"
#include "records/ErrorRegistro.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

std::optional<DevolucionJson> LeerDevolucionJson(const QByteArray &contenido, QString &error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(contenido, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        error = QStringLiteral("El archivo no es un objeto JSON válido.");
        return std::nullopt;
    }
    const QJsonObject o = doc.object();
    DevolucionJson d;
    d.todas = o.value(QStringLiteral("todas")).toBool(false);
    const QJsonValue lineas = o.value(QStringLiteral("lineas"));
    if (!lineas.isUndefined() && !lineas.isArray()) {
        error = QStringLiteral("\"lineas\" debe ser una lista.");
        return std::nullopt;
    }
    for (const QJsonValue &v : lineas.toArray()) {
        const QJsonObject l = v.toObject();
        DevolucionJson::Linea linea;
        linea.codigo = l.value(QStringLiteral("codigo")).toString().trimmed();
        if (linea.codigo.isEmpty()) {
            error = QStringLiteral("Cada línea necesita su \"codigo\".");
            return std::nullopt;
        }
        const QJsonValue c = l.value(QStringLiteral("cantidad"));
        if (c.isDouble()) {
            linea.cantidad = Currency::fromDouble(c.toDouble());
        } else if (!c.isUndefined()) {
            error = QStringLiteral("La \"cantidad\" de %1 no es un número.").arg(linea.codigo);
            return std::nullopt;
        }
        d.lineas.push_back(std::move(linea));
    }
    if (!d.todas && d.lineas.empty()) {
        error = QStringLiteral("No hay artículos seleccionados");
        return std::nullopt;
    }
    return d;
}

ResultadoCli DevolverConsignacion(int idConsignacion, const DevolucionJson &d, const QString &)
{
    MensajesCli avisos;
    ResultadoCli r;
    try {
        auto devolucion = DevolucionConsignacion::DesdeDatosComp(*FDatosComp);
        devolucion->EstablecerMensajes(&avisos);
        std::vector<LineaDevolucionConsig> lineas = devolucion->Lineas(idConsignacion);
        for (const DevolucionJson::Linea &pedida : d.lineas) {
            auto l = std::find_if(lineas.begin(), lineas.end(),
                                  [&](const LineaDevolucionConsig &x) { return x.codigo == pedida.codigo && !x.marcada; });
            if (l == lineas.end())
                return {1, QString(), QStringLiteral("El artículo %1 no tiene una línea abierta en la consignación.")
                                          .arg(pedida.codigo)};
            l->marcada = true;
            if (pedida.cantidad)
                l->cantidad = *pedida.cantidad;
        }
        // Every line with something on hand; one named in the file keeps the quantity it gave.
        if (d.todas)
            for (LineaDevolucionConsig &l : lineas)
                l.marcada = l.marcada || l.cantidad > Currency();
        if (devolucion->Devolver(idConsignacion, lineas) != DevolucionConsignacion::Resultado::Hecha)
            return {1, QString(), avisos.primero.isEmpty() ? devolucion->UltimoError() : avisos.primero};
        r.salida = DevolucionConsignacion::kDevueltos;
        if (devolucion->Distribuidora())
            r.mensaje = DevolucionConsignacion::TextoEnvio(
                devolucion->EnviarLiquidacion(QCoreApplication::applicationDirPath()));
    } catch (const std::exception &e) {
        return {1, QString(), TextoDeError(e)};
    }
    return r;
}
