#pragma once
#include "platform/Mensajes.h"

#include <QStringList>

#include <deque>
#include <mutex>
#include <vector>

// Test double: records everything shown and answers questions from a script
// (yes when the script is empty).
class MensajesGuion : public Mensajes {
public:
    struct Mostrado {
        Tipo tipo;
        QString texto, titulo;
        QString control;  // object name of the control of a balloon
        bool destructiva = false;  // a question whose default answer is No
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
    bool PreguntaDestructiva(const QString &texto, const QString &titulo) override;
    Respuesta PreguntaSiNoCancelar(const QString &texto, const QString &titulo) override;
    void Globo(QWidget *control, const QString &texto, const QString &titulo, int milisegundos) override;

private:
    Respuesta siguiente(Respuesta porDefecto);
    std::vector<Mostrado> mostrados_;
    std::deque<Respuesta> respuestas_;
};

// A thread-safe recorder for stations posting on several threads: keeps what was shown and
// answers yes.
class MensajesHilo : public Mensajes {
public:
    void Informacion(const QString &t, const QString &) override { Guardar(t); }
    void Advertencia(const QString &t, const QString &) override { Guardar(t); }
    void Error(const QString &t, const QString &) override { Guardar(t); }
    bool Pregunta(const QString &t, const QString &) override { Guardar(t); return true; }
    Respuesta PreguntaSiNoCancelar(const QString &t, const QString &) override { Guardar(t); return Respuesta::Si; }
    void Globo(QWidget *, const QString &t, const QString &, int) override { Guardar(t); }
    QStringList textos()
    {
        std::lock_guard<std::mutex> l(m_);
        return t_;
    }

private:
    void Guardar(const QString &t)
    {
        std::lock_guard<std::mutex> l(m_);
        t_ << t;
    }
    std::mutex m_;
    QStringList t_;
};
