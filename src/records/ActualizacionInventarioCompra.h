#pragma once
// Stock, cost and price update of the articles of a purchase invoice being posted, one
// line at a time: warehouse or main stock, weighted average cost, purchase price, the four
// sale-price levels, composition costs, the exchange rates on the article and the stock
// movement.
//
// It writes through the write layer (RegistrosCompra) inside the caller's update transactions
// (inventory and store) and never commits, rolls back or shows anything: the posting commits
// everything once. Each article row is read with a row lock in the inventory update
// transaction, so two workstations posting the same article take turns and never lose a
// quantity; warehouse stock is added in the statement itself. A caller that locks several
// articles locks them in article order (ActualizarLineas does), so two postings of the same
// articles never wait on each other in a cycle.

#include "records/RegistrosCompra.h"

#include "pricing/AjustesPrecios.h"
#include "platform/db/Query.h"
#include "platform/Currency.h"

#include <QDate>
#include <QString>

#include <algorithm>
#include <memory>
#include <vector>

class TFDatosComp;

namespace db {
class Database;
class Transaction;
}

// What the update reads from the store settings and the workstation.
struct AjustesActualizacionCompra {
    AjustesPrecios precios;                // rounding; descuentoEnPrecioCompra: the line discount lowers the cost
    Currency tipoCambio;                   // TipoCambio
    Currency tipoCambio2;                  // TipoCambio2; 0 counts as 1
    int nroCaja = 0;                       // NroCaja
    QString computadora;                   // ComputerName
    QString usuario;                       // vUsuario
};

// The invoice being posted.
struct FacturaCompraPosteo {
    int idCompra = 0;                  // ID_COMPRA of the new invoice (movements' ID_TRANSACCION)
    QString comprobante;               // invoice number
    QDate fecha;                       // invoice date
    int codProveedor = 0;              // supplier
    int monedaCarga = 1;               // 2: line amounts are in the second currency
    bool inventarioPrincipal = true;   // false: the goods go to warehouse codBodega
    QString codBodega;
    // Goods received on consignment: the main stock and warehouse "0" grow, the article is
    // marked CONSIGNACION "S" and keeps its last purchase date, the movement is a manual
    // increase (type 1) stamped now; an article that keeps no stock only gets the movement.
    bool consignacion = false;
};

// One work line (TEMPORAL_COMPRAS).
struct LineaCompra {
    QString codBarras;      // COD_BARRAS
    QString nombre;         // NOMBRE
    QString codFamilia;     // COD_FAMILIA
    Currency cantidad;      // CANTIDAD
    Currency imporeCosto;   // IMPORE_COSTO: unit cost for stock
    Currency impUnitConIv;  // IMP_UNIT_CON_IV
    Currency impUnitSinIv;  // IMP_UNIT_SIN_IV
    Currency precioVenta;   // PRECIO_VENTA (never converted)
    Currency porceDesc;     // PORCE_DESC
    QString gravado;        // GRAVADO
    QString ivi;            // IVI
};

// Reads a work line from any row with fieldByName (a query or a dataset on TEMPORAL_COMPRAS).
template <class Fila> LineaCompra LeerLineaCompra(Fila &fila)
{
    auto t = [&fila](const char *c) { return fila.fieldByName(QLatin1String(c)).asString(); };
    auto m = [&fila](const char *c) { return fila.fieldByName(QLatin1String(c)).asCurrency(); };
    LineaCompra l;
    l.codBarras = t("COD_BARRAS");
    l.nombre = t("NOMBRE");
    l.codFamilia = t("COD_FAMILIA");
    l.cantidad = m("CANTIDAD");
    l.imporeCosto = m("IMPORE_COSTO");
    l.impUnitConIv = m("IMP_UNIT_CON_IV");
    l.impUnitSinIv = m("IMP_UNIT_SIN_IV");
    l.precioVenta = m("PRECIO_VENTA");
    l.porceDesc = m("PORCE_DESC");
    l.gravado = t("GRAVADO");
    l.ivi = t("IVI");
    return l;
}

// What one line did, for the caller's records and for checks.
struct ResultadoLineaCompra {
    bool articuloEncontrado = false;  // false: the line was skipped
    Currency stockAnterior;           // STOCK before the line
    Currency costoPromedioAnterior;   // COSTO_PROMEDIO before
    Currency precioCompraAnterior;    // PRECIO_COMPRA before
    Currency costoNeto;               // unit cost in local currency, less the discount when it applies
    TRegistroCompras registro;        // what was written to INVENTARIO
};

class ActualizadorInventarioCompra {
public:
    ActualizadorInventarioCompra(db::Database &tienda, db::Transaction &transTienda, db::Database &inventario,
                                 db::Transaction &transInventario, AjustesActualizacionCompra ajustes);
    ActualizadorInventarioCompra(const ActualizadorInventarioCompra &) = delete;
    ActualizadorInventarioCompra &operator=(const ActualizadorInventarioCompra &) = delete;

    // On the data module's connections and update transactions, with its settings, rates,
    // till number and the host variables ComputerName and vUsuario.
    static std::unique_ptr<ActualizadorInventarioCompra> DesdeDatosComp(TFDatosComp &datos);

    // Updates one line. A line whose article does not exist is skipped. A failure throws
    // ErrorRegistro: its message is the text the posting reports, its notice (aviso) the one
    // the posting shows first; the caller must roll back, since earlier statements of the line
    // may have run.
    void ActualizarLinea(const FacturaCompraPosteo &factura, const LineaCompra &linea,
                         ResultadoLineaCompra *resultado = nullptr);
    // Every line, in article order (lines of one article in their given order); stops at the
    // first failure.
    void ActualizarLineas(const FacturaCompraPosteo &factura, const std::vector<LineaCompra> &lineas);

    // The workstation's work lines, in entry order (read in the store update transaction).
    std::vector<LineaCompra> LineasDeEstacion();

    const AjustesActualizacionCompra &Ajustes() const { return ajustes_; }

private:
    void ActualizarCompuestos(const QString &articulo, Currency costo);
    void InsertarMovimiento(const FacturaCompraPosteo &factura, const LineaCompra &linea,
                            const ResultadoLineaCompra &resultado);

    ConexionesCompra c_;
    AjustesActualizacionCompra ajustes_;
    ConsultasCompra consultas_;
    RegistrosCompra registros_;
};

// Positions of `lineas` sorted by article, stable: the order in which to lock their rows.
template <class Linea, class Codigo>
std::vector<size_t> OrdenPorArticulo(const std::vector<Linea> &lineas, Codigo &&codigo)
{
    std::vector<size_t> orden(lineas.size());
    for (size_t i = 0; i < orden.size(); ++i)
        orden[i] = i;
    std::stable_sort(orden.begin(), orden.end(),
                     [&](size_t a, size_t b) { return codigo(lineas[a]) < codigo(lineas[b]); });
    return orden;
}

// Goods going out of stock (returns): STOCK lowered in the statement with the average cost kept
// (the article's row must already be locked in the inventory update transaction), then
// warehouse "0" set to the stock after, its row created when missing. The stock after; throws
// db::DbError when the article does not keep stock or does not exist.
Currency SalidaDeStock(ConsultasCompra &consultas, RegistrosCompra &registros, const QString &articulo,
                       Currency cantidad, Currency promedio);
