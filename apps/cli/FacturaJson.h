#pragma once
// An invoice to post, as read from the JSON file given to "compras post".

#include "platform/Currency.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct LineaJson {
    QString codigo;
    Currency cantidad;
    Currency costo;          // unit cost as typed, in the invoice's currency
    Currency descuento;      // the line's own percentage; above 0 replaces the global one
    Currency precioVenta;    // above 0: the line's new sale price
};

struct PagoJson {
    Currency efectivo;
    QString origen = QStringLiteral("caja");  // "caja" or "otros"
    Currency cheque;
    QString numeroCheque;
    int cuentaBancaria = 0;
    Currency credito;
    int dias = 0;
    QStringList notas;        // credit-note numbers of the supplier
    QString notaSaldo;        // number of the note for their excess
    std::optional<Currency> importeNotas;  // when given, must be what the notes pay
};

struct FacturaJson {
    int proveedor = 0;
    QString comprobante;
    QDate fecha;
    int moneda = 1;
    QString bodega;           // empty: main inventory
    Currency descuento;       // global percentage
    std::vector<LineaJson> lineas;
    PagoJson pago;
};

// Reads and checks the shape of the file; on failure returns nothing and sets `error`
// to a Spanish message naming the key at fault.
std::optional<FacturaJson> LeerFacturaJson(const QByteArray &contenido, QString &error);

// A return to a supplier against its credit note: the note as an invoice ("comprobante" is the
// note's number; "pago" may be left out) and the invoice it belongs to.
struct NotaCreditoJson {
    FacturaJson nota;
    QString factura;              // the supplier's invoice number
    bool facturaNoSistema = false;  // "factura_no_sistema": the invoice is not in the system
    bool asignar = false;         // apply the note against the invoice's open credit
    bool confirmarExcesos = false;  // return more than bought or in stock without refusing
};

std::optional<NotaCreditoJson> LeerNotaCreditoJson(const QByteArray &contenido, QString &error);
