#include "common/Instalacion.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>
#include <cstdio>

namespace {

QString huella(const QString &archivo)
{
    QFile f(archivo);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash h(QCryptographicHash::Sha256);
    if (!h.addData(&f))
        return QString();
    return QString::fromLatin1(h.result().toHex());
}

const QString kRegistro = QStringLiteral(".plantillas");
// Recorded for a copy found newer than the shipped one before any record existed: the user's.
const QString kPropia = QStringLiteral("propia");

// name -> hash of what was last copied
QMap<QString, QString> leerRegistro(const QString &destino)
{
    QMap<QString, QString> r;
    QFile f(destino + QLatin1Char('/') + kRegistro);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return r;
    while (!f.atEnd()) {
        const QString linea = QString::fromUtf8(f.readLine()).trimmed();
        const qsizetype igual = linea.lastIndexOf(QLatin1Char('='));
        if (igual > 0)
            r.insert(linea.left(igual), linea.mid(igual + 1));
    }
    return r;
}

void grabarRegistro(const QString &destino, const QMap<QString, QString> &r)
{
    QSaveFile f(destino + QLatin1Char('/') + kRegistro);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    for (auto it = r.cbegin(); it != r.cend(); ++it)
        f.write((it.key() + QLatin1Char('=') + it.value() + QLatin1Char('\n')).toUtf8());
    f.commit();
}

// Copies through a temporary file so a failed copy never leaves half a template.
bool copiar(const QString &origen, const QString &destino)
{
    const QString temporal = destino + QStringLiteral(".nueva");
    QFile::remove(temporal);
    if (!QFile::copy(origen, temporal))
        return false;
    QFile::remove(destino);
    return QFile::rename(temporal, destino);
}

} // namespace

RutasPrograma ResolverRutas(const QString &carpetaPrograma)
{
    RutasPrograma r;
    const QDir dir(carpetaPrograma);
    const QString datos = QDir::cleanPath(dir.filePath(QStringLiteral(COMPRAS_DATOS_RELATIVOS)));
    const QString plantillas = datos + QStringLiteral("/reportes");
    if (QFileInfo(plantillas).isDir()) {
        r.instalado = true;
        r.plantillas = plantillas;
        r.modulo = QDir::cleanPath(dir.filePath(QStringLiteral(COMPRAS_MODULO_RELATIVO)));
    } else {
        r.plantillas = QStringLiteral(COMPRAS_REPORTES_ORIGEN);
        r.modulo = QStringLiteral(COMPRAS_MODULO_ORIGEN);
    }
    r.plantillas = qEnvironmentVariable("COMPRAS_REPORTES", r.plantillas);
    r.modulo = qEnvironmentVariable("COMPRAS_MODULO", r.modulo);
    return r;
}

QString VersionCompras()
{
    return QStringLiteral(COMPRAS_VERSION);
}

QString LineaVersion(const QString &programa)
{
    return programa + QLatin1Char(' ') + VersionCompras();
}

bool AtenderAyudaOVersion(int argc, const char *const *argv, const QString &programa, const QString &ayuda)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        QString texto;
        if (a == "-h" || a == "--help")
            texto = ayuda;
        else if (a == "-v" || a == "--version")
            texto = LineaVersion(programa) + QLatin1Char('\n');
        else
            continue;
        const QByteArray utf8 = texto.toUtf8();
        std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), stdout);
        std::fflush(stdout);
        return true;
    }
    return false;
}

QString InstalarPlantillas(const QString &origen, const QString &destino, QStringList *fallidas)
{
    if (!QDir().mkpath(destino) && fallidas)
        *fallidas << destino;
    QMap<QString, QString> registro = leerRegistro(destino);
    const QMap<QString, QString> antes = registro;
    QDirIterator it(origen, QDir::Files);
    while (it.hasNext()) {
        const QString f = it.next();
        const QString nombre = QFileInfo(f).fileName();
        const QString d = destino + QLatin1Char('/') + nombre;
        const QString nueva = huella(f);
        if (nueva.isEmpty())
            continue;
        bool copiarla;
        if (!QFileInfo::exists(d))
            copiarla = true;
        else if (registro.contains(nombre))
            copiarla = huella(d) == registro.value(nombre) && registro.value(nombre) != nueva;
        else
            copiarla = QFileInfo(d).lastModified() < QFileInfo(f).lastModified();
        if (copiarla) {
            if (copiar(f, d))
                registro.insert(nombre, nueva);
            else if (fallidas)
                *fallidas << nombre;
        } else if (!registro.contains(nombre)) {
            // Same as shipped: later versions may replace it. Otherwise it is the user's.
            registro.insert(nombre, huella(d) == nueva ? nueva : kPropia);
        }
    }
    if (registro != antes)
        grabarRegistro(destino, registro);
    return destino + QLatin1Char('/');
}
