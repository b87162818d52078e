#pragma once
// Claims a workstation for one running program: its row of ESTACIONES_EN_USO is kept locked by
// an uncommitted update, in a transaction of its own, for as long as the claim lives. A second
// claim of the same station waits at most the given time and then fails; when the holder ends
// (or dies) the engine rolls its transaction back and the station is free again.

#include "records/TablasTrabajoCompra.h"

#include <memory>

namespace db {
class Database;
class Transaction;
}

class ReservaEstacion {
public:
    // `esperaSegundos`: how long a claim waits for another holder (at least 1).
    ReservaEstacion(db::Database &base, const EstacionCompra &estacion, int esperaSegundos);
    ~ReservaEstacion();
    ReservaEstacion(const ReservaEstacion &) = delete;
    ReservaEstacion &operator=(const ReservaEstacion &) = delete;

    // True when the station is now held by this object; false when another program still holds
    // it after the wait. Other failures throw.
    bool Reclamar();
    void Liberar();
    bool Reclamada() const;
    const EstacionCompra &Estacion() const { return estacion_; }

private:
    db::Database &base_;
    EstacionCompra estacion_;
    std::unique_ptr<db::Transaction> trans_;
};

// Deletes the station's unfinished document (header and lines) on `trans`, without committing;
// returns how many lines it had.
int LimpiarEstacion(db::Database &base, db::Transaction &trans, const EstacionCompra &estacion);

// Stores a new form of a user's password (USUARIOS.CLAVE) on `trans`, without committing.
void GuardarClaveUsuario(db::Database &base, db::Transaction &trans, const QString &usuario, const QString &guardada);
