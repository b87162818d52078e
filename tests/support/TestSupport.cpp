#include "support/TestSupport.h"

#include "data/CreacionBases.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QFile>
#include <stdexcept>

namespace testsupport {

ScratchDir::ScratchDir() : dir_(QDir::tempPath() + QStringLiteral("/compras-test-XXXXXX"))
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
}

QString TemplateDir()
{
    const QString fromEnv = qEnvironmentVariable("COMPRAS_TEMPLATE_DIR");
    if (!fromEnv.isEmpty())
        return fromEnv;
    // Templates are made once per schema version, shared by every test program of the build.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString &rol : RolesBases()) {
        hash.addData(ScriptEsquema(rol).toUtf8());
        hash.addData(ScriptEsquema(rol + QStringLiteral("_demo")).toUtf8());
        hash.addData(ScriptEsquema(rol + QStringLiteral("_busqueda")).toUtf8());
    }
    const QString base = QStringLiteral(COMPRAS_TEMPLATE_ROOT);
    const QString dir = base + QLatin1Char('/') + QString::fromLatin1(hash.result().toHex().left(12));
    if (QFileInfo::exists(dir + QStringLiteral("/listo")))
        return dir;
    QDir().mkpath(base);
    QLockFile lock(base + QStringLiteral("/crear.lock"));
    lock.setStaleLockTime(0);
    lock.lock();
    if (!QFileInfo::exists(dir + QStringLiteral("/listo"))) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        for (const QString &rol : RolesBases())
            CrearBase({dir + QLatin1Char('/') + rol + QStringLiteral(".fdb"), QStringLiteral("SYSDBA"), {}, {}, QStringLiteral("UTF8")},
                      rol, true);
        QFile listo(dir + QStringLiteral("/listo"));
        listo.open(QIODevice::WriteOnly);
    }
    return dir;
}

QString CopyTemplate(const QString &name, const QString &dir)
{
    const QString src = TemplateDir() + QLatin1Char('/') + name;
    const QString dst = dir + QLatin1Char('/') + name;
    QFile::remove(dst);
    if (!QFile::copy(src, dst))
        throw std::runtime_error(("cannot copy template " + src).toStdString());
    QFile::setPermissions(dst, QFile::ReadOwner | QFile::WriteOwner);
    return dst;
}

} // namespace testsupport
