#pragma once
// E-mail with attachments over SMTP (libcurl): STARTTLS whenever the server offers it, every
// call bounded in time, several attempts with a log of each failure that never holds the
// password, and a queue on disk for what failed every attempt, sent again later.

#include "platform/ErrorCompras.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class ErrorCorreo : public ErrorCompras {
public:
    using ErrorCompras::ErrorCompras;
};

struct ServidorCorreo {
    QString host;
    int puerto = 25;
    QString usuario, clave;  // no user: no authentication
    int segundos = 10;       // limit of each connection and send
    bool exigirTls = false;  // refuse servers that do not offer STARTTLS
    QString certificadosCa;  // CA bundle that signs the server's certificate; "" the system's
};

struct MensajeCorreo {
    QString remitente;
    QStringList destinatarios;
    QString asunto;
    QString cuerpo;
    QStringList adjuntos;  // file paths, attached under their file names
};

// The message as sent (headers and MIME body, CRLF lines). Throws ErrorCorreo when an
// attachment cannot be read.
QByteArray ComponerMensaje(const MensajeCorreo &m, const QDateTime &fecha = QDateTime::currentDateTime());

// The log lines of one failed attempt, the password masked.
QString EntradaLogEnvio(const ServidorCorreo &s, const MensajeCorreo &m, const QString &error, const QDateTime &fecha);

struct ResultadoEnvio {
    bool enviado = false;
    int intentos = 0;
    QString error;  // the last attempt's error ("" when sent)
};

class Correo {
public:
    explicit Correo(ServidorCorreo servidor) : s_(std::move(servidor)) {}

    // One attempt: "" when the server took the message, else the error's text.
    QString Enviar(const MensajeCorreo &m) const;
    // Up to `intentos` attempts. After each failure its entry is appended to `archivoLog`
    // (created when missing; a failure to log is ignored) and `alFallar(intento)` is called.
    ResultadoEnvio EnviarConIntentos(const MensajeCorreo &m, int intentos, const QString &archivoLog,
                                     const std::function<void(int)> &alFallar = {}) const;

    const ServidorCorreo &Servidor() const { return s_; }

private:
    ServidorCorreo s_;
};

// Name of the day's send log: "InfEnvio_" + dd_MM_yy + ".log".
QString NombreLogEnvio(const QDate &dia = QDate::currentDate());

// Messages that failed every attempt, each kept in its own folder under `carpeta` with copies
// of its attachments, written atomically (a crash leaves either the whole entry or none).
class ColaCorreo {
public:
    explicit ColaCorreo(QString carpeta) : carpeta_(std::move(carpeta)) {}

    struct Pendiente {
        QString id;
        MensajeCorreo mensaje;  // attachments point into the queue
        QDateTime encolado;
        QString ultimoError;
    };

    // Keeps `m` (with copies of its attachments); returns its id. Throws ErrorCorreo.
    QString Encolar(const MensajeCorreo &m, const QString &error);
    std::vector<Pendiente> Pendientes() const;
    // Sends each pending message once, except those `omitir` picks; those delivered leave the queue.
    struct Reenvio {
        int enviados = 0;
        int pendientes = 0;
        QStringList errores;
    };
    Reenvio Reenviar(const Correo &correo, const std::function<bool(const Pendiente &)> &omitir = {});
    bool Quitar(const QString &id);

private:
    QString carpeta_;
};
