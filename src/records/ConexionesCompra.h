#pragma once
// What posting and annulling a purchase share: the connections they write through, the
// statements they keep prepared on them, rolling back on failure, refreshing the shared
// datasets after a commit, the global-transaction flag and failed steps.

#include "records/ErrorRegistro.h"
#include "platform/db/Query.h"

#include <QString>

#include <exception>
#include <initializer_list>
#include <map>
#include <memory>

class TFDatosComp;

namespace db {
class Database;
class Dataset;
class Transaction;
}

// The connections a posting writes through (the accounting one is optional).
struct ConexionesCompra {
    db::Database *tienda = nullptr;
    db::Transaction *transTienda = nullptr;
    db::Database *inventario = nullptr;
    db::Transaction *transInventario = nullptr;
    db::Database *contabilidad = nullptr;
    db::Transaction *transContabilidad = nullptr;
};

// The data module's store and inventory update connections (accounting left out).
ConexionesCompra ConexionesDeDatosComp(TFDatosComp &datos);

enum class BaseCompra { Tienda, Inventario, Contabilidad };

// Statements prepared once per database and SQL text, each on that database's update
// transaction; `conexiones` must outlive the cache.
class ConsultasCompra {
public:
    explicit ConsultasCompra(const ConexionesCompra &conexiones) : c_(conexiones) {}
    // The statement for `texto` on `base`, closed and ready for its parameters.
    db::Query &Sql(BaseCompra base, const QString &texto);

private:
    const ConexionesCompra &c_;
    std::map<QString, std::unique_ptr<db::Query>> consultas_[3];
};

// Locks the supplier's row, which serialises recordings for that supplier, and says whether it
// already has an invoice numbered `comprobante`: checked this way two stations never both find
// the number free.
bool ComprobanteUsadoBajoBloqueo(ConsultasCompra &consultas, int codProveedor, const QString &comprobante);

// Rolls back every active transaction given; a failing rollback is ignored.
void DeshacerTransacciones(std::initializer_list<db::Transaction *> transacciones);

// Re-reads the datasets that are open, after a commit; a failing refresh is ignored (a stale
// grid is no reason to report committed work as failed).
void RefrescarAbiertos(std::initializer_list<db::Dataset *> datasets);

// Raises a flag (the data module's TransaccionGlobal) for its lifetime; a null flag is ignored.
class BanderaTransaccion {
public:
    explicit BanderaTransaccion(bool *bandera) : bandera_(bandera)
    {
        if (bandera_)
            *bandera_ = true;
    }
    ~BanderaTransaccion()
    {
        if (bandera_)
            *bandera_ = false;
    }
    BanderaTransaccion(const BanderaTransaccion &) = delete;
    BanderaTransaccion &operator=(const BanderaTransaccion &) = delete;

private:
    bool *bandera_;
};

// Runs `cuerpo`; a step failure passes through, any other error (a write, the database, the
// arithmetic) becomes this step's failure, keeping its text as the detail.
template <class F> void Paso(const QString &aviso, const QString &error, F &&cuerpo)
{
    try {
        cuerpo();
    } catch (const FalloPaso &) {
        throw;
    } catch (const std::exception &e) {
        throw FalloPaso(aviso, error, TextoDeError(e));
    }
}
