#pragma once
// Every message box, question and balloon hint of the module goes through this service,
// so tests can answer questions and see what was shown.

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

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
    // Yes/No/Cancel question.
    virtual Respuesta PreguntaSiNoCancelar(const QString &texto, const QString &titulo = QString()) = 0;
    // Balloon beside a control, gone after `milisegundos`.
    virtual void Globo(QWidget *control, const QString &texto, const QString &titulo = QStringLiteral("Atención"),
                       int milisegundos = 5000) = 0;
};

// The service in use (message boxes by default).
Mensajes &mensajes();
// Replaces the service; nullptr restores message boxes. The caller keeps ownership.
void EstablecerMensajes(Mensajes *servicio);

// Shows message boxes and balloon hints on screen.
class MensajesPantalla : public Mensajes {
public:
    void Informacion(const QString &texto, const QString &titulo) override;
    void Advertencia(const QString &texto, const QString &titulo) override;
    void Error(const QString &texto, const QString &titulo) override;
    bool Pregunta(const QString &texto, const QString &titulo) override;
    Respuesta PreguntaSiNoCancelar(const QString &texto, const QString &titulo) override;
    void Globo(QWidget *control, const QString &texto, const QString &titulo, int milisegundos) override;
};

// Test double: records everything shown and answers questions from a script
// (yes when the script is empty).
class MensajesGuion : public Mensajes {
public:
    struct Mostrado {
        Tipo tipo;
        QString texto, titulo;
        QString control;  // object name of the control of a balloon
    };

    MensajesGuion();   // installs itself
    ~MensajesGuion() override;  // restores message boxes

    void Responder(Respuesta r) { respuestas_.push_back(r); }
    const std::vector<Mostrado> &mostrados() const { return mostrados_; }
    QStringList textos() const;
    bool Mostro(const QString &texto) const;
    void Limpiar() { mostrados_.clear(); }

    void Informacion(const QString &texto, const QString &titulo) override;
    void Advertencia(const QString &texto, const QString &titulo) override;
    void Error(const QString &texto, const QString &titulo) override;
    bool Pregunta(const QString &texto, const QString &titulo) override;
    Respuesta PreguntaSiNoCancelar(const QString &texto, const QString &titulo) override;
    void Globo(QWidget *control, const QString &texto, const QString &titulo, int milisegundos) override;

private:
    Respuesta siguiente(Respuesta porDefecto);
    std::vector<Mostrado> mostrados_;
    std::deque<Respuesta> respuestas_;
};
