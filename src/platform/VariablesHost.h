#pragma once
// Variables of the process environment shared with the host.
#include <QString>

// The value, or "" when the variable is absent or empty.
QString VerVariable(const QString &nombre);
// 0 on success, otherwise the system's error code.
int CargarVariable(const QString &nombre, const QString &valor);
