#pragma once
// Every message box, question and balloon hint of the module goes through this service,
// so tests can answer questions and see what was shown.

#include <QString>
#include <QStringList>

class QWidget;

class Mensajes {
public:
    enum class Tipo { Informacion, Advertencia, Error, Pregunta, Globo };
    enum class Respuesta { Si, No, Cancelar, Aceptar };

    virtual ~Mensajes() = default;
    virtual void Informacion(const QString &texto, const QString &titulo = QString()) = 0;
    virtual void Advertencia(const QString &texto, const QString &titulo = QString()) = 0;
    virtual void Error(const QString &texto, const QString &titulo = QString()) = 0;
    // Yes/No question; true for yes.
    virtual bool Pregunta(const QString &texto, const QString &titulo = QString()) = 0;
    // A question whose yes throws work away (cancel a document, delete, annul): on screen No
    // is the default button, so Escape or Enter keep the work. Services without a screen
    // answer it as any other question.
    virtual bool PreguntaDestructiva(const QString &texto, const QString &titulo = QString())
    {
        return Pregunta(texto, titulo);
    }
    // Yes/No/Cancel question.
    virtual Respuesta PreguntaSiNoCancelar(const QString &texto, const QString &titulo = QString()) = 0;
    // Balloon beside a control, gone after `milisegundos`.
    virtual void Globo(QWidget *control, const QString &texto, const QString &titulo = QStringLiteral("Atención"),
                       int milisegundos = 5000) = 0;
};

// The service in use: the one installed with EstablecerMensajes, else the default.
Mensajes &mensajes();
// Replaces the service; nullptr restores the default. The caller keeps ownership.
void EstablecerMensajes(Mensajes *servicio);
// The service used when none is installed (the screen, once a window layer installs it;
// standard error before that). The caller keeps ownership; nullptr restores standard error.
void EstablecerMensajesPorDefecto(Mensajes *servicio);

// Writes every message to standard error and takes the default answer (programs and
// threads with no screen).
class MensajesConsola : public Mensajes {
public:
    void Informacion(const QString &texto, const QString &titulo) override;
    void Advertencia(const QString &texto, const QString &titulo) override;
    void Error(const QString &texto, const QString &titulo) override;
    bool Pregunta(const QString &texto, const QString &titulo) override;
    Respuesta PreguntaSiNoCancelar(const QString &texto, const QString &titulo) override;
    void Globo(QWidget *control, const QString &texto, const QString &titulo, int milisegundos) override;
};
