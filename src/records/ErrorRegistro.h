#pragma once
// Failure of a write: the message names the action and the table ("Error al insertar
// FACTURAS_COMPRA"), the detail is the database's own text, and the notice, when there is
// one, is what the caller shows the user before reporting the failure.

#include "platform/ErrorCompras.h"

#include <QString>

class ErrorRegistro : public ErrorCompras {
public:
    explicit ErrorRegistro(const QString &mensaje, const QString &detalle = {}, const QString &aviso = {})
        : ErrorCompras(mensaje), detalle_(detalle), aviso_(aviso) {}
    const QString &detalle() const { return detalle_; }
    const QString &aviso() const { return aviso_; }

private:
    QString detalle_;
    QString aviso_;
};

// A step of a unit of work that failed: `aviso` is shown, `error` is the text the operation
// reports (ErrorCompras::mensaje()).
class FalloPaso : public ErrorRegistro {
public:
    FalloPaso(const QString &aviso, const QString &error, const QString &detalle = {})
        : ErrorRegistro(error, detalle, aviso) {}
};

// The text of any error, the database's own for a database error.
QString TextoDeError(const std::exception &e);
