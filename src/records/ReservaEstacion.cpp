#include "records/ReservaEstacion.h"

#include "records/ConexionesCompra.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

void LigarEstacion(db::Query &q, const EstacionCompra &e)
{
    q.paramByName(QStringLiteral("caja")).setAsInteger(e.nroCaja);
    q.paramByName(QStringLiteral("compu")).setAsString(e.computadora);
}

// The station's row, committed, so that a claim has something to lock. Two programs adding it
// at once: one insert loses on the key and the row is there all the same.
void AsegurarFila(db::Database &base, const EstacionCompra &estacion)
{
    db::Transaction alta(base, db::TransactionKind::Update);
    try {
        db::Query q(&base, &alta);
        q.setSql(QStringLiteral("insert into ESTACIONES_EN_USO (NRO_CAJA, COMPUTADORA) select :caja, :compu "
                                "from RDB$DATABASE where not exists (select 1 from ESTACIONES_EN_USO "
                                "where NRO_CAJA = :caja and COMPUTADORA = :compu)"));
        LigarEstacion(q, estacion);
        q.execQuery();
        q.close();
        alta.commit();
    } catch (const db::DbError &) {
        if (alta.active())
            alta.rollback();
        // the claim that follows reports a real failure (a missing table, a lost connection)
    }
}

} // namespace

ReservaEstacion::ReservaEstacion(db::Database &base, const EstacionCompra &estacion, int esperaSegundos)
    : base_(base), estacion_(estacion),
      trans_(std::make_unique<db::Transaction>(base, db::TransactionKind::Update, std::max(1, esperaSegundos)))
{
}

ReservaEstacion::~ReservaEstacion()
{
    try {
        Liberar();
    } catch (...) {
        // the engine drops the transaction with the attachment anyway
    }
}

bool ReservaEstacion::Reclamar()
{
    if (Reclamada())
        return true;
    try {
        db::Query q(&base_, trans_.get());
        q.setSql(QStringLiteral("update ESTACIONES_EN_USO set PROCESO = :pid, DESDE = current_timestamp "
                                "where NRO_CAJA = :caja and COMPUTADORA = :compu"));
        q.paramByName(QStringLiteral("pid")).setAsInteger(static_cast<int>(QCoreApplication::applicationPid()));
        LigarEstacion(q, estacion_);
        q.execQuery();
        auto filas = q.rowsAffected();
        if (filas == 0) {
            // A station's first claim: its row is added and committed apart (one more commit,
            // once per station), and the read-committed claim sees it.
            q.close();
            AsegurarFila(base_, estacion_);
            q.execQuery();
            filas = q.rowsAffected();
        }
        q.close();
        if (filas != 1)
            throw ErrorRegistro(QStringLiteral("Error al reservar la estación %1 (caja %2) en ESTACIONES_EN_USO")
                                    .arg(estacion_.computadora)
                                    .arg(estacion_.nroCaja));
        return true;
    } catch (const db::DbError &e) {
        if (trans_->active())
            trans_->rollback();
        if (e.isLockConflict())
            return false;
        // Most likely a database created before the table existed.
        throw ErrorRegistro(QStringLiteral("No se pudo reservar la estación %1 (caja %2) en ESTACIONES_EN_USO; si la base "
                                           "es de una versión anterior, póngala al día con \"compras check\".")
                                .arg(estacion_.computadora)
                                .arg(estacion_.nroCaja),
                            e.message());
    }
}

void ReservaEstacion::Liberar()
{
    if (trans_->active())
        trans_->rollback();
}

bool ReservaEstacion::Reclamada() const { return trans_->active(); }

int LimpiarEstacion(db::Database &base, db::Transaction &trans, const EstacionCompra &estacion)
{
    int lineas = 0;
    {
        db::Query q(&base, &trans);
        q.setSql(QStringLiteral("select count(*) from TEMPORAL_COMPRAS where NRO_CAJA = :caja and COMPUTADORA = :compu"));
        LigarEstacion(q, estacion);
        q.execQuery();
        lineas = q.field(0).asInteger();
        q.close();
    }
    ConexionesCompra conexiones;
    conexiones.tienda = &base;
    conexiones.transTienda = &trans;
    ConsultasCompra consultas(conexiones);
    EliminaTempCompras(consultas, 1, estacion);
    return lineas;
}

void GuardarClaveUsuario(db::Database &base, db::Transaction &trans, const QString &usuario, const QString &guardada)
{
    db::Query q(&base, &trans);
    q.setSql(QStringLiteral("update USUARIOS set CLAVE = :clave where USUARIO = :u"));
    q.paramByName(QStringLiteral("clave")).setAsString(guardada);
    q.paramByName(QStringLiteral("u")).setAsString(usuario);
    try {
        q.execQuery();
    } catch (const db::DbError &e) {
        throw ErrorRegistro(QStringLiteral("Error al actualizar USUARIOS"), e.message());
    }
    q.close();
}
