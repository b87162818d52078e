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
// stations can never reverse the same invoice twice; the articles are locked in article order,
// so an annulment and a posting of the same articles never wait on each other in a cycle.

#include "purchases/ProcesoCompra.h"

#include <QString>

#include <functional>
#include <memory>
#include <utility>

class Mensajes;
class TFDatosComp;

class AnulacionCompra {
public:
    // `conexiones`: store and inventory; with accounting, the purchase's journal entry gets its
    // reversing entry in the same commit.
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
    // After an annulment of an invoice paid by cheque: the cheque's bank movement stays (the
    // cheque may have left), and this says so; empty otherwise.
    const QString &AvisoCheque() const { return avisoCheque_; }
    // The reversing journal entry of the last annulment (0 when none was written).
    int UltimoAsientoInverso() const { return asientoInverso_; }
    // Creator of the reversing entry (vUsuario).
    QString usuario;
    std::function<void()> DespuesDeConfirmar;
    void EstablecerMensajes(Mensajes *m) { mensajes_ = m; }

private:
    using Base = BaseCompra;
    db::Query &Sql(Base base, const QString &texto) { return consultas_.Sql(base, texto); }
    struct Factura;
    bool Fallo(const QString &mensaje, const QString &error);
    void Deshacer();
    // Runs `cambios` and commits both update transactions together, then DespuesDeConfirmar.
    // A failure is shown and rolls everything back; `cambios` returns false when it already
    // reported its own.
    bool Confirmar(const std::function<bool()> &cambios);
    // ANULADA and COMPROBANTE of the invoice, read outside any write; false (a read error
    // shown) when it cannot be read or does not exist.
    bool EstadoFactura(int idCompra, std::pair<QString, QString> &estado);

    // The annulment's steps, in order; each throws FalloPaso with its own texts.
    // Locks and marks the invoice; false (the user told) when it was already annulled.
    bool MarcarAnulada(int idCompra, Factura &f);
    void LeerLineas(Factura &f);
    void RevertirExistencias(const Factura &f);
    void EliminarCaja(const Factura &f);
    void EliminarMovimientos(const Factura &f);
    void EliminarCuenta(const Factura &f);
    void LiberarNotas(const Factura &f);
    void MarcarLineas(const Factura &f);
    void RevertirAsiento(const Factura &f);

    ConexionesCompra c_;
    Mensajes *mensajes_;
    ConsultasCompra consultas_;
    RegistrosCompra registros_;
    QString error_;
    QString avisoCheque_;
    int asientoInverso_ = 0;
};
