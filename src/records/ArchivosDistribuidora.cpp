#include "records/ArchivosDistribuidora.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>

namespace {

// Shortest text of a number, "." as separator, no exponent for the quantities seen here.
QString Numero(double v, int significativas)
{
    if (v == 0 || !std::isfinite(v))
        return QStringLiteral("0");
    return QString::number(v, 'g', significativas);
}

// An amount keeps four decimals at most, written without trailing zeros.
QString Importe(double v)
{
    const double r = std::nearbyint(v * 10000.0) / 10000.0;
    return Numero(r, 15);
}

QByteArray Linea(const QString &terminal, const FilaLiquidacion &f, const QString &cantidad, const char *apply)
{
    const QStringList campos{terminal,
                             f.esLibro ? f.codigoArticulo : f.codigoInterno,
                             f.edicion,
                             cantidad,
                             f.fecha,
                             f.nroFactura,
                             QStringLiteral("RTN"),
                             QLatin1String(apply),
                             QStringLiteral("1")};
    return (campos.join(QLatin1Char(',')) + QStringLiteral(",\r\n")).toLatin1();
}

void Escribir(const QString &ruta, const QByteArray &contenido)
{
    QSaveFile f(ruta);
    if (!f.open(QIODevice::WriteOnly) || f.write(contenido) != contenido.size() || !f.commit())
        throw ErrorArchivoDistribuidora(QStringLiteral("No se pudo escribir el archivo %1").arg(ruta));
}

} // namespace

QByteArray ContenidoDevol(const QString &terminal, const std::vector<FilaLiquidacion> &filas)
{
    QByteArray out = kTituloArchivoDistribuidora.toLatin1() + "\r\n";
    for (const FilaLiquidacion &f : filas)
        out += Linea(terminal, f, Numero(f.devolucion, 15), "Y");
    return out;
}

QByteArray ContenidoMerma(const QString &terminal, const std::vector<FilaLiquidacion> &filas, CantidadesArchivo modo)
{
    QByteArray out = kTituloArchivoDistribuidora.toLatin1() + "\r\n";
    for (const FilaLiquidacion &f : filas) {
        if (f.diferencia < 0)
            out += Linea(terminal, f, modo == CantidadesArchivo::Devolucion ? Importe(f.diferencia) : Numero(f.diferencia, 15),
                         "N");
    }
    return out;
}

bool HayDiferencias(const std::vector<FilaLiquidacion> &filas)
{
    for (const FilaLiquidacion &f : filas)
        if (f.diferencia != 0)
            return true;
    return false;
}

ArchivosGenerados EscribirArchivosDistribuidora(const QString &carpeta, const QString &numero, const QString &terminal,
                                               const std::vector<FilaLiquidacion> &filas, CantidadesArchivo modo)
{
    if (numero.isEmpty() || numero.contains(QLatin1Char('/')) || numero.contains(QLatin1Char('\\')) ||
        numero.contains(QStringLiteral("..")))
        throw ErrorArchivoDistribuidora(QStringLiteral("El número de consignación no sirve como nombre de archivo: %1").arg(numero));
    ArchivosGenerados a;
    if (HayDiferencias(filas)) {
        a.merma = carpeta + QStringLiteral("Merma") + numero + QStringLiteral(".txt");
        Escribir(a.merma, ContenidoMerma(terminal, filas, modo));
    }
    a.devol = carpeta + QStringLiteral("Devol") + numero + QStringLiteral(".txt");
    Escribir(a.devol, ContenidoDevol(terminal, filas));
    return a;
}

MensajeCorreo CorreoDistribuidora(const ConfigCorreoDistribuidora &c, const ArchivosGenerados &archivos)
{
    MensajeCorreo m;
    m.remitente = c.correoSalida.trimmed();
    for (int i = 0; i < 5; ++i)
        if (c.recibeMerma[i] && !c.correos[i].trimmed().isEmpty())
            m.destinatarios << c.correos[i].trimmed();
    const bool conMerma = !archivos.merma.isEmpty() && QFileInfo::exists(archivos.merma);
    m.asunto = conMerma ? kAsuntoDiferencias : kAsuntoDevolucion;
    if (conMerma)
        m.adjuntos << archivos.merma;
    m.adjuntos << archivos.devol;
    m.cuerpo = m.asunto;
    return m;
}

ServidorCorreo ServidorDistribuidora(const ConfigCorreoDistribuidora &c, int segundos)
{
    ServidorCorreo s;
    s.host = c.smtpServer.trimmed();
    s.puerto = c.puerto > 0 ? c.puerto : 25;
    s.usuario = c.usuario.trimmed();
    s.clave = c.clave;
    s.segundos = segundos;
    return s;
}

EnvioDistribuidora EnviarArchivosDistribuidora(const ConfigCorreoDistribuidora &config, const ArchivosGenerados &archivos,
                                               const QString &carpetaLog, ColaCorreo &cola, int intentos,
                                               const std::function<void(int)> &alFallar, int segundos,
                                               PendientesMismosArchivos mismos)
{
    EnvioDistribuidora r;
    const Correo correo(ServidorDistribuidora(config, segundos));
    // Queued sends of the same return file (same consignment).
    QStringList reemplazados;
    if (mismos == PendientesMismosArchivos::Reemplazar) {
        const QString devol = QFileInfo(archivos.devol).fileName();
        for (const ColaCorreo::Pendiente &p : cola.Pendientes())
            for (const QString &adjunto : p.mensaje.adjuntos)
                if (QFileInfo(adjunto).fileName() == devol)
                    reemplazados << p.id;
    }
    if (!cola.Pendientes().empty())
        r.reenviadosDeCola =
            cola.Reenviar(correo, [&](const ColaCorreo::Pendiente &p) { return reemplazados.contains(p.id); }).enviados;
    const MensajeCorreo m = CorreoDistribuidora(config, archivos);
    const QString log = carpetaLog.isEmpty() ? QString() : QDir(carpetaLog).filePath(NombreLogEnvio());
    const ResultadoEnvio e = correo.EnviarConIntentos(m, intentos, log, alFallar);
    r.enviado = e.enviado;
    r.intentos = e.intentos;
    r.error = e.error;
    if (!r.enviado) {
        try {
            cola.Encolar(m, e.error);
            r.encolado = true;
        } catch (const ErrorCompras &x) {
            r.error += QStringLiteral("\r\n") + x.mensaje();
        }
    }
    if (r.enviado || r.encolado)
        for (const QString &id : reemplazados)
            cola.Quitar(id);
    r.pendientesEnCola = static_cast<int>(cola.Pendientes().size());
    return r;
}
