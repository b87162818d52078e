#pragma once
// Failure of the report engine: missing or bad template, unlinked data, output
// that cannot be written. The message is Spanish and names the file involved.

#include "platform/ErrorCompras.h"

class ErrorReporte : public ErrorCompras {
public:
    explicit ErrorReporte(const QString &mensaje) : ErrorCompras(mensaje) {}
};
