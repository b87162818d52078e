#pragma once
// Failure reading or writing a workbook. The message is meant for the user.

#include "platform/ErrorCompras.h"

class ErrorLibro : public ErrorCompras {
public:
    explicit ErrorLibro(const QString &mensaje) : ErrorCompras(mensaje) {}
};
