#pragma once
// The article search run off the interface thread: each text is searched on a worker thread
// over its own attachment to the inventory database; a newer text cancels the statement still
// running for an older one, and only the newest text's list is ever handed back. The list
// handed back keeps its attachment, so the grid scrolls it without touching the shared ones.

#include "catalogs/BusquedaArticulos.h"
#include "platform/db/Database.h"
#include "platform/db/Dataset.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class BuscadorArticulos : public QObject {
    Q_OBJECT
public:
    // Rows fetched on the worker before the list is handed back (the first screen).
    static constexpr int kPantalla = 40;

    explicit BuscadorArticulos(const db::ConnectionParams &conexion, QObject *parent = nullptr);
    ~BuscadorArticulos() override;

    // Asks for the list of `texto`; returns at once. A search still running for an older text is
    // cancelled. False once stopped.
    bool Buscar(const QString &texto, const QString &origen, bool ocultarInactivos);
    // Waits at most `ms` for the newest text's list and shows it (or its error). False on time-out.
    bool Esperar(int ms);
    // True while the newest text's list has not been shown yet.
    bool Ocupado() const;
    // The list shown; nullptr before the first one arrives.
    db::Dataset *Lista() const;
    QString TextoMostrado() const;
    // Cancels what runs and ends the worker; nothing is shown afterwards. Called by the
    // destructor; the lists stay readable until then.
    void Detener();

    // Run on the worker before each search reads and once it has read (tests hold a search
    // there); set before the first search.
    std::function<void(const QString &texto)> AntesDeLeer, AlLeer;

signals:
    void listaNueva(db::Dataset *lista);
    void error(const QString &mensaje);

private:
    struct Conexion;
    struct Pedido {
        std::uint64_t numero = 0;
        QString texto, origen;
        bool ocultar = false;
    };
    struct Resultado;

    void Trabajar();
    std::unique_ptr<Conexion> TomarConexion();
    void Leer(const Pedido &pedido);
    void Publicar(std::unique_ptr<Resultado> r);
    void Recoger();
    bool Vigente(std::uint64_t numero) const;  // lock held

    const db::ConnectionParams conexion_;
    std::thread hilo_;
    mutable std::mutex m_;
    std::condition_variable cv_;
    Pedido pedido_;                       // the newest asked for
    std::uint64_t leido_ = 0;             // the newest the worker has taken
    bool detener_ = false;
    Conexion *enCurso_ = nullptr;         // the attachment a search runs on
    std::uint64_t numeroEnCurso_ = 0;
    std::unique_ptr<Resultado> listo_;    // finished, not yet shown
    std::vector<std::unique_ptr<Conexion>> libres_;
    BusquedaArticulos::Memoria memoria_;  // worker only
    // Interface thread only.
    std::unique_ptr<Resultado> mostrado_;
};
