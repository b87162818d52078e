#pragma once
// Writes to the purchase work tables of one workstation: the header TEMPORAL_ENC_COMPRA and
// the lines TEMPORAL_COMPRAS, keyed by NRO_CAJA and COMPUTADORA.
//
// Every operation runs on the store update transaction of the given statement cache, never
// commits and never shows anything; a failure throws ErrorTablasTrabajo naming the table and
// the action, with the transaction left for the caller to roll back.

#include "platform/Currency.h"
#include "records/ErrorRegistro.h"

#include <QDate>
#include <QString>

#include <optional>

class ConsultasCompra;

// The write layer's one error type; the message names the table and carries the database text.
using ErrorTablasTrabajo = ErrorRegistro;

// The workstation whose rows are written.
struct EstacionCompra {
    int nroCaja = 0;      // NRO_CAJA
    QString computadora;  // COMPUTADORA
};

// One TEMPORAL_COMPRAS row; each field is the column it names.
struct FilaTrabajoCompra {
    QString codBarras, codFamilia, nombre;
    Currency cantidad;
    Currency descuentoMaximo;  // DESCUENTO_MAXIMO
    Currency porceIvArti;      // PORCE_IV_ARTI
    Currency precioVentaAnt;   // PRECIO_VENTA_ANT
    Currency precioVenta;      // PRECIO_VENTA
    Currency imporeCosto;      // IMPORE_COSTO
    Currency impUnitConIv;     // IMP_UNIT_CON_IV
    Currency impUnitSinIv;     // IMP_UNIT_SIN_IV
    QString fraccionado;       // FRACCIONADO
    int tipoFraccion = -1;     // TIPO_FRACCION
    Currency porceAjusteFracc;  // PORCE_AJUSTE_FRACC
    QString gravado, ivi;      // GRAVADO, IVI
    Currency porceIv;          // PORCE_IV
    Currency totalGravado, totalNoGravado, subtotalGravado, subtotalNoGravado;
    Currency importeTolalIv;   // IMPORTE_TOLAL_IV
    Currency totalSinIv, totalConIv;
    Currency porceDesc, importeDescuento;
    QString tieneSerie;        // TIENE_SERIE
    int numeroLinea = 0;       // NUMERO_LINEA
    // PROCESA_CONSIGNACION "S" and CANTIDAD_EN_CONSIGNACION: a consignment line being invoiced.
    std::optional<Currency> enConsignacion;
};

// The amounts the recalculation of a line writes.
struct ImportesTrabajoCompra {
    Currency importeDescuento, subtotalGravado, subtotalNoGravado, totalGravado, totalNoGravado;
    Currency importeTolalIv;
};

// One TEMPORAL_ENC_COMPRA row.
struct EncabezadoTrabajoCompra {
    QDate fecha;             // FECHA (null when invalid)
    QString comprobante;     // COMPROBANTE
    int codigoProveedor = 0;  // CODIGO_PROVEEDOR
    Currency poceDescuento;  // POCE_DESCUENTO
    int tipo = 1;            // TIPO: currency of the document
};

// Mode 1: the station's header and lines; mode 2: only its header; any other mode: nothing.
void EliminaTempCompras(ConsultasCompra &consultas, int modo, const EstacionCompra &estacion);

// Global discount: PORCE_DESC and IMPORTE_DESCUENTO of every line of the station.
void ActualizaTempCompras(ConsultasCompra &consultas, const EstacionCompra &estacion, Currency porcDescuento);

// Appends a line; its ID_TEMP_COMPRA.
int InsertarLineaTrabajo(ConsultasCompra &consultas, const EstacionCompra &estacion, const FilaTrabajoCompra &fila);

// Writes what the line editor and the accumulation change (quantity, costs, flags, tax,
// discount, subtotals, totals and sale price) on the station's line `id`; false when the
// station has no such line.
bool ActualizarLineaTrabajo(ConsultasCompra &consultas, const EstacionCompra &estacion, int id,
                            const FilaTrabajoCompra &fila);

// Writes the recalculated amounts of the station's line `id`.
void ActualizarImportesTrabajo(ConsultasCompra &consultas, const EstacionCompra &estacion, int id,
                               const ImportesTrabajoCompra &importes);

// Deletes the station's line `id`; false when the station has no such line.
bool EliminarLineaTrabajo(ConsultasCompra &consultas, const EstacionCompra &estacion, int id);

// Updates the station's header row, or inserts it when there is none.
void GuardarEncabezadoTrabajo(ConsultasCompra &consultas, const EstacionCompra &estacion,
                              const EncabezadoTrabajoCompra &encabezado);
