#include "platform/VariablesHost.h"

#include <cerrno>
#include <cstdlib>

QString VerVariable(const QString &nombre)
{
    const char *v = std::getenv(nombre.toLocal8Bit().constData());
    return v ? QString::fromLocal8Bit(v) : QString();
}

int CargarVariable(const QString &nombre, const QString &valor)
{
    if (nombre.isEmpty() || nombre.contains(QLatin1Char('=')))
        return EINVAL;
    return ::setenv(nombre.toLocal8Bit().constData(), valor.toLocal8Bit().constData(), 1) == 0 ? 0 : errno;
}
