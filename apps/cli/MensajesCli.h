#pragma once
// Collects what the classes the windows use would show, so the first failure becomes the
// command's message; questions get a fixed answer.

#include "platform/Mensajes.h"

class MensajesCli : public Mensajes {
public:
    explicit MensajesCli(bool respuesta = true) : respuesta_(respuesta) { EstablecerMensajes(this); }
    ~MensajesCli() override { EstablecerMensajes(nullptr); }
    MensajesCli(const MensajesCli &) = delete;
    MensajesCli &operator=(const MensajesCli &) = delete;

    QString primero;
    void Informacion(const QString &t, const QString &) override { anotar(t); }
    void Advertencia(const QString &t, const QString &) override { anotar(t); }
    void Error(const QString &t, const QString &) override { anotar(t); }
    bool Pregunta(const QString &, const QString &) override { return respuesta_; }
    Respuesta PreguntaSiNoCancelar(const QString &, const QString &) override
    {
        return respuesta_ ? Respuesta::Si : Respuesta::No;
    }
    void Globo(QWidget *, const QString &t, const QString &, int) override { anotar(t); }

private:
    void anotar(const QString &t)
    {
        if (primero.isEmpty())
            primero = t;
    }
    bool respuesta_;
};
