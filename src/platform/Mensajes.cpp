#include "platform/Mensajes.h"

#include <QtGlobal>

namespace {
Mensajes *actual = nullptr;
Mensajes *porDefecto = nullptr;

void Escribir(const QString &texto)
{
    qWarning("%s", qPrintable(texto));
}
} // namespace

Mensajes &mensajes()
{
    static MensajesConsola consola;
    if (actual)
        return *actual;
    return porDefecto ? *porDefecto : consola;
}

void EstablecerMensajes(Mensajes *servicio)
{
    actual = servicio;
}

void EstablecerMensajesPorDefecto(Mensajes *servicio)
{
    porDefecto = servicio;
}

void MensajesConsola::Informacion(const QString &texto, const QString &) { Escribir(texto); }
void MensajesConsola::Advertencia(const QString &texto, const QString &) { Escribir(texto); }
void MensajesConsola::Error(const QString &texto, const QString &) { Escribir(texto); }

bool MensajesConsola::Pregunta(const QString &texto, const QString &)
{
    Escribir(texto);
    return true;
}

Mensajes::Respuesta MensajesConsola::PreguntaSiNoCancelar(const QString &texto, const QString &)
{
    Escribir(texto);
    return Respuesta::Si;
}

void MensajesConsola::Globo(QWidget *, const QString &texto, const QString &, int) { Escribir(texto); }
