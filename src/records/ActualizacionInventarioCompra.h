#pragma once
// Stock, cost and price update of the articles of a purchase invoice being posted, one
// line at a time: warehouse or main stock, weighted average cost, purchase price, the four
// sale-price levels, composition costs, the exchange rates on the article and the stock
// movement.
//
// It runs inside the caller's update transactions (inventory and store) and never commits
// or rolls back: the posting commits everything once. Each article row is read with a row
// lock in the inventory update transaction, so two workstations posting the same article
// take turns and never lose a quantity; warehouse stock is added in the statement itself.
// Two postings that lock the same articles in opposite orders may deadlock: the database
// then fails one of them, which rolls back.

#include "records/Utransaccionescompras.h"

#include "platform/db/Query.h"
#include "platform/Currency.h"

#include <QDate>
#include <QString>
#include <memory>
#include <vector>

class TFDatosComp;

namespace db {
class Database;
class Transaction;
}

// What the update reads from the store settings and the workstation.
struct AjustesActualizacionCompra {
    bool descuentoEnPrecioCompra = false;  // DESCUENTO_EN_PRECIO_COMPRA = "S": the line discount lowers the cost
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

    // Updates one line. A line whose article does not exist is skipped (true). On failure
    // the failing statement's message has been shown, UltimoError() holds the error text for the
    // posting to raise, and false is returned: the caller must roll back, since earlier
    // statements of the line may have run. Never throws.
    bool ActualizarLinea(const FacturaCompraPosteo &factura, const LineaCompra &linea,
                         ResultadoLineaCompra *resultado = nullptr);
    // Every line in order; stops at the first failure.
    bool ActualizarLineas(const FacturaCompraPosteo &factura, const std::vector<LineaCompra> &lineas);

    // The workstation's work lines, in entry order (read in the store update transaction).
    std::vector<LineaCompra> LineasDeEstacion();

    const QString &UltimoError() const { return error_; }
    const AjustesActualizacionCompra &Ajustes() const { return ajustes_; }

private:
    bool Fallo(const QString &mensaje, const QString &error);
    bool ActualizarCompuestos(const QString &articulo, Currency costo);

    db::Database &tienda_;
    db::Transaction &transTienda_;
    db::Database &inventario_;
    db::Transaction &transInventario_;
    AjustesActualizacionCompra ajustes_;
    QString error_;

    db::Query articulo_;        // the article, locked
    db::Query existencia_;      // warehouse stock, added to
    db::Query nuevaExistencia_; // warehouse stock row of a first purchase
    db::Query costoCompuesto_;  // cost of the component in every composition
    db::Query compuestos_;      // compositions that use the component
    db::Query bloqueoCompuesto_;// the composed article, locked
    db::Query sumaCompuesto_;   // cost of a composed article
    db::Query precioCompuesto_; // its purchase price
    db::Query articuloCompra_;  // ActualizarInventarioCompras
    db::Query tipoCambio_;      // rates on the article
    db::Query movimiento_;      // MOVIMIENTOS_STOCK
};
