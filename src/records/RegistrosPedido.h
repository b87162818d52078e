#pragma once
// Writes of purchase orders: the order with its lines and counter in one go, annulment, and the
// claim a purchase document makes on the order it was loaded from. Like the rest of this layer
// it writes on the caller's update transactions and never commits or rolls back.

#include "records/ConexionesCompra.h"
#include "records/TablasTrabajoCompra.h"
#include "platform/Currency.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

// One PEDIDOS row (COMPROBANTE comes from the generator when saving).
struct FilaPedido {
    QDate FECHA;
    QString DESCRIPCION;
    int FK_PROVEEDOR = 0;
    QString NOMBRE_PROVEEDOR;
    QString usuario;          // CREATE_USERID and UPDATE_USERID
    QDateTime momento;        // CREATE_TMSTMP and UPDATE_TMSTMP
    int NUM_CODIGO_INVENTARIO = 1;
};

// One DETALLE_PEDIDO row.
struct FilaDetallePedido {
    QString COD_BARRAS, NOMBRE_ARTICULO, COD_FAMILIA;
    Currency CANTIDAD, PRECIO_COMPRA;
};

namespace db {
class DbError;
}

// A lock, deadlock or update conflict with another transaction (the driver words them all the
// same way, which DbError::isLockConflict misses for update conflicts).
bool EsConflictoConcurrente(const db::DbError &e);

// The order number as stored: the value left-padded with zeros to twelve characters.
QString NumeroPedido(std::int64_t valor);

// Takes the next number from the generator CONSECUTIVO_PEDIDOS (skipping any number already
// used by an order), inserts the order and its lines and records the number in
// CONSECUTIVOS.PEDIDO (which never goes back). Returns the number. The number taken is not
// given back if the caller rolls back. A lock or update conflict with another station passes
// through as the database error (EsConflictoConcurrente), so the save can be run again.
std::int64_t InsertarPedido(ConsultasCompra &consultas, const FilaPedido &pedido,
                            const std::vector<FilaDetallePedido> &lineas);

// Annuls an order that is not annulled yet; returns the rows changed (0: already annulled or
// missing).
std::uint64_t AnularPedido(ConsultasCompra &consultas, const QString &comprobante, const QString &usuario,
                           const QDateTime &momento);

// Why an order cannot be loaded into a purchase document.
enum class BloqueoPedido { Ninguno, NoDisponible, EnOtraEstacion };

// Locks the order's row and, when it is neither annulled nor processed and no other station's
// open document holds it, records it on the station's document header (creating the header when
// missing). Two stations claiming the same order are serialised by the row lock.
BloqueoPedido ApartarPedido(ConsultasCompra &consultas, const EstacionCompra &estacion, const QString &comprobante);
