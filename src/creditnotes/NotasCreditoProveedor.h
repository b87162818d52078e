#pragma once
// Supplier credit notes seen from an invoice: the open notes that may pay it (the picker's
// list and its ticking rule) and the notes related to a posted invoice.

#include "platform/Currency.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

class TFDatosComp;

// One open note of the supplier.
struct NotaCreditoAbierta {
    QString comprobante;
    QDate fecha;
    Currency importe;
    bool marcada = false;
};

// What the picker hands back.
struct EleccionNotas {
    QStringList seleccionadas;  // entry r: the note ticked in row r (from 1), or ""; entry 0 stays ""
    Currency importe;           // total of the ticked notes
    QString notaSaldo;          // number for the note carrying the excess ("" when there is none)
};

// The notes a supplier can still apply (not assigned, not annulled), oldest first, and the
// rule for ticking them against an invoice total.
class SeleccionNotasCredito {
public:
    // `totalFactura` already rounded to two decimals by the payment window.
    explicit SeleccionNotasCredito(Currency totalFactura) : totalFactura_(totalFactura) {}

    // Reads the supplier's open notes (TNC of the data module). Throws DbError.
    void Cargar(TFDatosComp &datos, int codProveedor);
    // For tests and callers that already hold the notes.
    void Establecer(std::vector<NotaCreditoAbierta> notas);

    const std::vector<NotaCreditoAbierta> &Notas() const { return notas_; }
    // Ticks or unticks note `i`. A note is only added while the ticked total is below the
    // invoice total; false when the tick was refused.
    bool Marcar(int i, bool marcar);
    Currency Total() const { return total_; }
    Currency TotalFactura() const { return totalFactura_; }
    // The ticked notes exceed the invoice: a balance note number is needed.
    bool Excede() const { return total_ > totalFactura_; }
    EleccionNotas Eleccion(const QString &notaSaldo = QString()) const;

private:
    Currency totalFactura_;
    Currency total_;
    std::vector<NotaCreditoAbierta> notas_;
};

// Opens TNC on the supplier's notes related to the current invoice of TFacturasCompra: those
// applied to it as payment (APLICA_FACTURA) and those that name it (FACTURA_VENTA). Returns
// the invoice number, or "" when there is no current invoice. Throws DbError.
QString AbrirNotasDeFactura(TFDatosComp &datos);
