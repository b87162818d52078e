#pragma once
// Message boxes and balloon hints on screen.

#include "platform/Mensajes.h"

class MensajesPantalla : public Mensajes {
public:
    void Informacion(const QString &texto, const QString &titulo) override;
    void Advertencia(const QString &texto, const QString &titulo) override;
    void Error(const QString &texto, const QString &titulo) override;
    bool Pregunta(const QString &texto, const QString &titulo) override;
    bool PreguntaDestructiva(const QString &texto, const QString &titulo) override;
    Respuesta PreguntaSiNoCancelar(const QString &texto, const QString &titulo) override;
    void Globo(QWidget *control, const QString &texto, const QString &titulo, int milisegundos) override;
};

// Makes the screen the default message service of the process (once; later calls do nothing).
void InstalarMensajesPantalla();
