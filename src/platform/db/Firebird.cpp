#include "platform/db/Firebird.h"

#include "platform/db/MutexRobustos.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <ibase.h>
#include <mutex>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace db {

namespace {
std::once_flag envOnce;
QString errorMotor;  // why the engine folder was refused; every attach reports it

bool carpetaPrivada(const QString &ruta)
{
    QString error;
    if (CarpetaPrivada(ruta, &error))
        return true;
    errorMotor = error;
    return false;
}

QString systemFirebirdDir()
{
    for (const char *dir : {"/usr/lib/x86_64-linux-gnu/firebird/3.0", "/usr/lib/aarch64-linux-gnu/firebird/3.0",
                            "/usr/lib/firebird/3.0", "/opt/firebird"}) {
        if (QFileInfo::exists(QString::fromLatin1(dir) + QLatin1String("/firebird.conf")))
            return QString::fromLatin1(dir);
    }
    return QString();
}

void setupEnvironment()
{
    if (qEnvironmentVariableIsSet("FIREBIRD") && qEnvironmentVariableIsSet("FIREBIRD_LOCK"))
        return;
    const QString system = systemFirebirdDir();
    if (system.isEmpty())
        return;
    // The lock folder must be the same for every process that shares a database file.
    const QString base = QDir::tempPath() + QStringLiteral("/compras-firebird-%1").arg(getuid());
    const QString root = base + QStringLiteral("/root");
    const QString lock = base + QStringLiteral("/lock");
    if (!carpetaPrivada(base) || !carpetaPrivada(root) || !carpetaPrivada(lock))
        return;
    for (const QFileInfo &entry : QDir(system).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (entry.fileName() == QLatin1String("firebird.conf"))
            continue;
        const QString link = root + QLatin1Char('/') + entry.fileName();
        if (!QFileInfo(link).exists())
            QFile::link(entry.absoluteFilePath(), link);
    }
    const QString conf = root + QStringLiteral("/firebird.conf");
    QFile src(system + QStringLiteral("/firebird.conf"));
    QByteArray text;
    if (src.open(QIODevice::ReadOnly))
        text = src.readAll();
    // Several processes share files; a crashed one's locks are freed after the deadlock timeout.
    text += "\nServerMode = SuperClassic\nDeadlockTimeout = 3\n";
    QFile actual(conf);
    const bool igual = actual.open(QIODevice::ReadOnly) && actual.readAll() == text;
    actual.close();
    if (!igual) {
        const QString tmp = conf + QStringLiteral(".%1").arg(getpid());
        QFile out(tmp);
        bool escrito = out.open(QIODevice::WriteOnly) && out.write(text) == text.size() && out.flush();
        out.close();
        escrito = escrito && out.error() == QFileDevice::NoError;
        // rename(2) replaces atomically; a concurrent process writes the same text
        if (!escrito || ::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(conf).constData()) != 0) {
            const QString motivo = escrito ? QString::fromLocal8Bit(std::strerror(errno)) : out.errorString();
            QFile::remove(tmp);
            errorMotor = QStringLiteral("No se pudo escribir la configuración del motor Firebird %1: %2").arg(conf, motivo);
            return;
        }
    }
    if (!qEnvironmentVariableIsSet("FIREBIRD"))
        qputenv("FIREBIRD", root.toLocal8Bit());
    if (!qEnvironmentVariableIsSet("FIREBIRD_LOCK"))
        qputenv("FIREBIRD_LOCK", lock.toLocal8Bit());
}
} // namespace

bool CarpetaPrivada(const QString &ruta, QString *error)
{
    const QByteArray r = QFile::encodeName(ruta);
    if (::mkdir(r.constData(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = QStringLiteral("No se pudo crear la carpeta del motor Firebird %1: %2")
                         .arg(ruta, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const int fd = ::open(r.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    QString motivo;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        motivo = QStringLiteral("no es una carpeta");
    else if (st.st_uid != ::geteuid())
        motivo = QStringLiteral("pertenece a otro usuario");
    else if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0)
        motivo = QStringLiteral("no se pudo cerrar a otros usuarios");
    if (fd >= 0)
        ::close(fd);
    if (!motivo.isEmpty()) {
        if (error)
            *error = QStringLiteral("La carpeta del motor Firebird %1 %2; no se usará. Bórrela o indique otras carpetas con "
                                    "FIREBIRD y FIREBIRD_LOCK.")
                         .arg(ruta, motivo);
        return false;
    }
    return true;
}

void PrepararMotorFirebird()
{
    std::call_once(envOnce, setupEnvironment);
}

void VerificarMotorFirebird()
{
    PrepararMotorFirebird();
    if (!errorMotor.isEmpty())
        throw DbError(errorMotor);
    // The engine's shared blocks survive a process killed while it holds their mutex only when
    // this program's definitions are in force (not so in a host that loads the module).
    static const bool robustos = MutexRobustosActivos();
    static std::once_flag aviso;
    if (!robustos)
        std::call_once(aviso, [] { qWarning("Los mutex compartidos del motor Firebird no son robustos en este programa"); });
}

Firebird::IMaster *master()
{
    PrepararMotorFirebird();
    static Firebird::IMaster *m = Firebird::fb_get_master_interface();
    return m;
}

Firebird::IUtil *util()
{
    static Firebird::IUtil *u = master()->getUtilInterface();
    return u;
}

Firebird::IProvider *provider()
{
    static Firebird::IProvider *p = master()->getDispatcher();
    return p;
}

Status::Status() : status_(master()->getStatus()), wrapper_(status_) {}
Status::~Status() { status_->dispose(); }

namespace {
const QString kMensajeConflictoBloqueo = QStringLiteral(
    "Otro proceso está modificando los mismos datos (conflicto de bloqueo); intente de nuevo.");

bool EsConflictoBloqueo(const ISC_STATUS *vector)
{
    // Walks the gds codes of the status vector: deadlock, update conflict, lock conflict or lock timeout.
    for (const ISC_STATUS *v = vector; v && *v != isc_arg_end;) {
        const ISC_STATUS tipo = v[0];
        if (tipo == isc_arg_gds
            && (v[1] == isc_deadlock || v[1] == isc_update_conflict || v[1] == isc_lock_conflict || v[1] == isc_lock_timeout))
            return true;
        v += (tipo == isc_arg_cstring) ? 3 : 2;
    }
    return false;
}
} // namespace

void rethrow(const Firebird::FbException &e, const QString &context)
{
    char buf[2048];
    util()->formatStatus(buf, sizeof buf, e.getStatus());
    const ISC_STATUS *vector = e.getStatus()->getErrors();
    const int sqlCode = isc_sqlcode(vector);
    const long gds = vector && vector[0] == isc_arg_gds ? static_cast<long>(vector[1]) : 0;
    QString message = QString::fromUtf8(buf);
    // The engine's own words for a lock conflict are English; the user gets these.
    if (EsConflictoBloqueo(vector))
        message = kMensajeConflictoBloqueo;
    if (!context.isEmpty())
        message = context + QStringLiteral(": ") + message;
    throw DbError(message, sqlCode, gds);
}

} // namespace db
