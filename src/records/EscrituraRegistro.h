#pragma once
// The wrapper every write of the write layer runs in.

#include "records/ErrorRegistro.h"

#include <QString>

#include <exception>

// Runs `cuerpo`; any failure becomes "Error al <accion> <tabla>" with the database's text.
template <class F> auto EscribirRegistro(const QString &accion, const char *tabla, F &&cuerpo) -> decltype(cuerpo())
{
    try {
        return cuerpo();
    } catch (const std::exception &e) {
        throw ErrorRegistro(QStringLiteral("Error al %1 %2").arg(accion, QLatin1String(tabla)), TextoDeError(e));
    }
}
