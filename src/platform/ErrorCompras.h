#pragma once
// Base of every error the module raises: a Spanish message meant for the user.
// Database, report, workbook and write-layer failures derive from it, so a caller
// that only shows the message catches this one type.

#include <QString>

#include <stdexcept>

class ErrorCompras : public std::runtime_error {
public:
    explicit ErrorCompras(const QString &mensaje)
        : std::runtime_error(mensaje.toStdString()), mensaje_(mensaje) {}
    const QString &mensaje() const { return mensaje_; }

private:
    QString mensaje_;
};
