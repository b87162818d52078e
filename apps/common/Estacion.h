#pragma once
// A workstation as the host sets it up for the module: the databases opened from the
// settings, the read and update transaction of each, and the host records.

#include "host/Comp_exports.h"
#include "platform/db/Database.h"
#include "platform/db/Dataset.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"

#include <QString>
#include <memory>

class ReservaEstacion;

// Where each database lives: a file path (embedded engine) or "server:path".
struct UbicacionBases {
    QString tienda, inventario, contabilidad, distribuidora, central;
    QString usuario;  // database user and password, from settings only
    QString clave;

    // The five role files in `carpeta`; with `servidor` they are reached as "servidor:carpeta/rol.fdb".
    static UbicacionBases EnCarpeta(const QString &carpeta, const QString &servidor = QString());
    // Reads section [BaseDatos] of an INI file (Tienda=, Inventario=, Contabilidad=, Distribuidora=,
    // Central=, Usuario=, Clave=); missing keys fall back to `porDefecto`.
    static UbicacionBases DesdeIni(const QString &ruta, const UbicacionBases &porDefecto);
    QString ruta(const QString &rol) const;
    db::ConnectionParams conexion(const QString &rol) const;
};

class Estacion {
public:
    explicit Estacion(const UbicacionBases &bases);
    ~Estacion();

    // Opens the store, inventory and accounting databases.
    void AbrirBases();
    // True when `usuario` exists and `clave` matches its stored password. A password kept in an
    // older form is stored again in the current one (when the column allows it).
    bool ValidarUsuario(const QString &usuario, const QString &clave);
    // Claims the workstation (cash register `nroCaja`, computer `computadora`) for as long as this
    // object lives or until LiberarEstacion; false when another program still holds it after
    // waiting `esperaSegundos`.
    bool ReclamarEstacion(int nroCaja, const QString &computadora, int esperaSegundos);
    void LiberarEstacion();
    // Cash registers as "number - description".
    QList<QPair<int, QString>> Cajas();
    // Positions the host records on the user and the cash register.
    void CargarRegistros(const QString &usuario, int nroCaja);
    // Hands everything to the module, in the order the module requires.
    void ConectarModulo(ConectarBaseDatosFn conectar, ConectarContaFn conectarConta);
    // Resolves transactions left in limbo by an interrupted grouped commit; returns how many.
    // Groups younger than `edadMinima` seconds may belong to a commit still under way elsewhere.
    int ResolverLimbo(int edadMinima = db::kLimboAgeSeconds);

    const UbicacionBases &bases() const { return bases_; }
    QString usuario() const { return usuario_; }
    int nroCaja() const { return nroCaja_; }

    db::Database tienda, inventario, contabilidad;
    db::Transaction transLectura{tienda, db::TransactionKind::Read};
    db::Transaction transUpdate{tienda, db::TransactionKind::Update};
    db::Transaction transLecturaInv{inventario, db::TransactionKind::Read};
    db::Transaction transUpdateInv{inventario, db::TransactionKind::Update};
    db::Transaction transLecturaConta{contabilidad, db::TransactionKind::Read};
    db::Transaction transUpdateConta{contabilidad, db::TransactionKind::Update};
    db::Dataset permisos, config, empresa, cambio, cuentas, caja, moneda;
    db::Dataset asientos, lineasAsiento;

private:
    std::unique_ptr<ReservaEstacion> reserva_;  // ends before the attachments close
    UbicacionBases bases_;
    QString usuario_;
    int nroCaja_ = 0;
};

