#pragma once
// Failure of the report engine: missing or bad template, unlinked data, output
// that cannot be written. The message is Spanish and names the file involved.

#include <QString>

#include <stdexcept>

class ErrorReporte : public std::runtime_error {
public:
    explicit ErrorReporte(const QString &mensaje)
        : std::runtime_error(mensaje.toStdString()), mensaje_(mensaje) {}
    const QString &mensaje() const { return mensaje_; }

private:
    QString mensaje_;
};
