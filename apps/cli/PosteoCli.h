#pragma once
// "compras post", "annul", "consign" and "consign-invoice": the same classes the windows use, run
// as a workstation.

#include "cli/FacturaJson.h"

#include <QString>

class Estacion;

constexpr int kLargoUsuario = 15;  // USUARIOS.USUARIO

struct ResultadoCli {
    int codigo = 0;     // process exit code
    QString salida;     // stdout (the new ID_COMPRA)
    QString mensaje;    // stderr: the Spanish message of the check that failed
};

// Posts `factura` through purchase entry and posting on the connected workstation, as the
// point-of-sale user in vUsuario, who must exist in USUARIOS.
// Leaves the workstation's work tables empty and, on any failure, the databases unchanged.
ResultadoCli PostearFactura(const FacturaJson &factura, const QString &computadora);
// Saves `factura` (its lines, supplier, number and date; no payment) as a consignment received,
// through purchase entry in consignment mode and the receipt; stdout: the new ID_CONSIGNACION.
ResultadoCli GuardarConsignacion(const FacturaJson &factura, const QString &computadora);
// Invoices what was sold of consignment `idConsignacion` and not yet invoiced: its lines loaded
// into purchase entry, posted with the number, date and payment of `factura` (its lines are not
// used); stdout: the new ID_COMPRA.
ResultadoCli FacturarConsignacion(int idConsignacion, const FacturaJson &factura, const QString &computadora);
// Annuls the supplier's invoice with that number.
ResultadoCli AnularFactura(int proveedor, const QString &comprobante);

struct NotaCreditoJson;
// Records the return of `nota`'s lines to the supplier against its credit note, through
// purchase entry and the return's own unit of work; prints ID_NC_PROV. Returning more than
// bought or in stock is refused unless the file confirms it.
ResultadoCli RegistrarNotaCredito(const NotaCreditoJson &nota, const QString &computadora);
