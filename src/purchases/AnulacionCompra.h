#pragma once
// Annulment and deletion of a posted purchase invoice.
//
// Annulling reverses what posting the invoice did: stock and average cost of every article
// (warehouse stock for a warehouse invoice; nothing for a consignment settlement, which moved no
// stock), the invoice's stock movements, its cash-register rows, its supplier-account row, the
// credit notes it used (released) and the note created for their excess (annulled), and marks
// the invoice and its lines annulled. Deleting removes an annulled invoice and its lines.
// Each runs as one unit of work over the store and inventory update transactions, committed
// together; any failure rolls both back. The invoice row is locked and marked first, so two
// stations can never reverse the same invoice twice.

#include "ProcesoCompra.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

class Mensajes;
class TFDatosComp;

class AnulacionCompra {
public:
    // `conexiones`: store and inventory (accounting is not touched).
    explicit AnulacionCompra(const ConexionesCompra &conexiones);
    ~AnulacionCompra();
    AnulacionCompra(const AnulacionCompra &) = delete;
    AnulacionCompra &operator=(const AnulacionCompra &) = delete;

    // On the data module's connections; refreshes TFacturasCompra and TDetCom after a change.
    static std::unique_ptr<AnulacionCompra> DesdeDatosComp(TFDatosComp &datos);

    // ID_COMPRA of the supplier's invoice with that number (the latest), 0 when none.
    int BuscarFactura(int codProveedor, const QString &comprobante);

    // The "A&nular" command after the right check: refuses an annulled invoice, asks, annuls
    // and reports. True when the invoice was annulled.
    bool Anular(int idCompra);
    // The " &Eliminar " command after the right check: refuses a posted invoice, asks and deletes.
    bool Eliminar(int idCompra);

    // The work itself, without questions; failures are shown and roll everything back.
    bool AnularCompras(int idCompra);
    bool BorrarCompra(int idCompra);

    const QString &UltimoError() const { return error_; }
    std::function<void()> DespuesDeConfirmar;
    void EstablecerMensajes(Mensajes *m) { mensajes_ = m; }

private:
    enum class Base { Tienda, Inventario };
    db::Query &Sql(Base base, const QString &texto);
    bool Fallo(const QString &mensaje, const QString &error);
    void Deshacer();

    ConexionesCompra c_;
    Mensajes *mensajes_;
    std::map<QString, std::unique_ptr<db::Query>> consultas_[2];
    QString error_;
};
