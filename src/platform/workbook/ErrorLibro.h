#pragma once
// Failure reading or writing a workbook. The message is meant for the user.

#include <QString>

#include <stdexcept>

class ErrorLibro : public std::runtime_error {
public:
    explicit ErrorLibro(const QString &mensaje)
        : std::runtime_error(mensaje.toStdString()), mensaje_(mensaje) {}
    const QString &mensaje() const { return mensaje_; }

private:
    QString mensaje_;
};
