#include "support/MensajesGuion.h"

#include <QWidget>

MensajesGuion::MensajesGuion()
{
    EstablecerMensajes(this);
}

MensajesGuion::~MensajesGuion()
{
    if (&mensajes() == this)
        EstablecerMensajes(nullptr);
}

QStringList MensajesGuion::textos() const
{
    QStringList out;
    for (const Mostrado &m : mostrados_)
        out << m.texto;
    return out;
}

bool MensajesGuion::Mostro(const QString &texto) const
{
    for (const Mostrado &m : mostrados_)
        if (m.texto == texto)
            return true;
    return false;
}

Mensajes::Respuesta MensajesGuion::siguiente(Respuesta porDefecto)
{
    if (respuestas_.empty())
        return porDefecto;
    Respuesta r = respuestas_.front();
    respuestas_.pop_front();
    return r;
}

void MensajesGuion::Informacion(const QString &texto, const QString &titulo)
{
    mostrados_.push_back({Tipo::Informacion, texto, titulo, {}});
}

void MensajesGuion::Advertencia(const QString &texto, const QString &titulo)
{
    mostrados_.push_back({Tipo::Advertencia, texto, titulo, {}});
}

void MensajesGuion::Error(const QString &texto, const QString &titulo)
{
    mostrados_.push_back({Tipo::Error, texto, titulo, {}});
}

bool MensajesGuion::Pregunta(const QString &texto, const QString &titulo)
{
    mostrados_.push_back({Tipo::Pregunta, texto, titulo, {}});
    return siguiente(Respuesta::Si) == Respuesta::Si;
}

Mensajes::Respuesta MensajesGuion::PreguntaSiNoCancelar(const QString &texto, const QString &titulo)
{
    mostrados_.push_back({Tipo::Pregunta, texto, titulo, {}});
    return siguiente(Respuesta::Si);
}

void MensajesGuion::Globo(QWidget *control, const QString &texto, const QString &titulo, int)
{
    mostrados_.push_back({Tipo::Globo, texto, titulo, control ? control->objectName() : QString()});
}

bool MensajesGuion::PreguntaDestructiva(const QString &texto, const QString &titulo)
{
    mostrados_.push_back({Tipo::Pregunta, texto, titulo, {}, true});
    return siguiente(Respuesta::Si) == Respuesta::Si;
}
