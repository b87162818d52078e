#pragma once
// The purchasing write layer: one free function per statement family.
//
// Each function sets the text of a shared write query of the data module (FDatosComp),
// binds its parameters by name and executes it. None starts a transaction itself (the
// query hooks do), none commits: the caller commits or rolls back. The result is true
// when the statement ran and false when the database (or the money arithmetic) raised;
// the error is swallowed and nothing is shown unless a function says otherwise.
// A leading mode that matches no case runs nothing and returns true.
//
// Dates: a QDateTime that is invalid, or falls on 30/12/1899, counts as "no date".

#include "platform/Currency.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <array>

namespace db {
class Query;
}

// ---------------------------------------------------------------------------
// Purchase work tables (TEMPORAL_ENC_COMPRA, TEMPORAL_COMPRAS) of one workstation
// ---------------------------------------------------------------------------

// 1: deletes the station's header and lines; 2: only the header.
bool EliminaTempCompras(int modo, int nroCaja, const QString &computadora);

// 1: global discount on every line of the station (PORCE_DESC and IMPORTE_DESCUENTO,
// computed by the database). The ten trailing values are not used.
bool ActualizaTempCompras(int modo, int nroCaja, const QString &computadora, Currency porcDescuento,
                          Currency v1 = {}, Currency v2 = {}, Currency v3 = {}, Currency v4 = {},
                          Currency v5 = {}, Currency v6 = {}, Currency v7 = {}, Currency v8 = {},
                          Currency v9 = {}, Currency v10 = {});

// ---------------------------------------------------------------------------
// Purchase invoices (FACTURAS_COMPRA, DETALLE_FACTURAS_COMPRA) and counters
// ---------------------------------------------------------------------------

// Inserts the invoice header. With `idCompra` the new ID_COMPRA is read back.
bool InsertarFacturasCompras(const QString &computadora, int nroCaja, const QDateTime &fechaCarga,
                             const QDateTime &fecha, const QString &comprobante, int codigoProveedor,
                             const QString &nombre, const QString &cedula, const QString &telefono,
                             const QString &numeroCheque, int diasCredito, Currency importeDescuento,
                             Currency porcDescuento, Currency importeIv, Currency importeTotal,
                             Currency importeEfectivo, Currency importeCheque, Currency importeCredito,
                             Currency importeNc, Currency subtotalGravado, Currency subtotalNoGravado,
                             Currency totalGravado, Currency totalNoGravado, int monedaCarga,
                             const QString &efectivoCaja, Currency tipoCambio, Currency tipoCambio2,
                             const QString &inventarioPrincipal, const QString &codBodega,
                             int *idCompra = nullptr);

bool InsertarDetalleFacturasCompras(const QString &computadora, int nroCaja, int idCompra,
                                    const QDateTime &fecha, const QString &comprobante,
                                    const QString &codigoFamilia, const QString &codigoArticulo,
                                    const QString &descripcion, const QString &gravado,
                                    const QString &impuestoIncluido, const QString &fraccionado,
                                    Currency importeUnitario, Currency importeImpuesto, Currency importeTotal,
                                    Currency importeDescuento, Currency cantidad, Currency porcImpuesto,
                                    Currency porcDescuento, int monedaCarga, Currency precioAnterior,
                                    Currency promedioAnterior, Currency tipoCambio, Currency tipoCambio2,
                                    Currency cantidadAnterior, Currency precioVentaSinIv);

// 1: IMPORTE_NC = importe; 2: annuls the invoice (ANULADA "S", FECHA_ANULACION = now).
bool ActualizaFacturaCompra(int modo, int idCompra, Currency importe);
// 1: annuls every line of the invoice `id` (an ID_COMPRA);
// 2: PRECIO_VENTA_SIN_IV = precio on the line `id` (an ID_DETALLE_FACTURA).
bool ActualizaDetalleFacturaCompra(int modo, int id, Currency precio);
// 1: deletes the invoice header.
bool EliminarFacturasCompras(int modo, int idCompra);
// 1: deletes the lines of the invoice `idCompra` (number and id must both match, so
// another supplier's invoice with the same number keeps its lines).
bool EliminarDetalleFacturasCompras(int modo, const QString &comprobante, int idCompra);
// 1: CONSECUTIVOS.ENTRADA = valor; 2: CONSECUTIVOS.SALIDA = valor (row `id`).
bool CambiarConsecutivo(int modo, int id, int valor);
// 1: advances the family's article counter (inventory database).
bool ActualizaFamilia(int modo, const QString &codFamilia);

// ---------------------------------------------------------------------------
// Inventory, stock and movements
// ---------------------------------------------------------------------------

// Modes (inventory database):
//   1 STOCK = cantidad, COSTO_PROMEDIO = promedio
//   2 EXISTENCIAS.EXISTENCIA = cantidad (warehouse `bodega`)
//   3 STOCK = cantidad
//   4 STOCK = STOCK - cantidad, COSTO_PROMEDIO = promedio, only for articles that keep stock
//   5 EXISTENCIAS.EXISTENCIA = EXISTENCIA + cantidad (for callers that add to what they read)
//   6 PRECIO_COMPRA = cantidad
//   7 COMPUESTO.COSTO = cantidad on every composition line whose component is `articulo`
bool ActualizaInventario(int modo, const QString &articulo, Currency cantidad, Currency promedio,
                         const QString &bodega);

// 1: inserts the warehouse stock row.
bool InsertarExistencias(int modo, const QString &articulo, const QString &bodega, Currency existencia,
                         Currency reservaApartados, Currency reservaPrefacturas);

// One purchase line's results, written by ActualizarInventarioCompras. Index 0 is level 1.
struct TRegistroCompras {
    QString Codigo;                       // COD_BARRAS
    Currency Stock;                       // STOCK to write
    Currency PrecioCompra;                // PRECIO_COMPRA
    std::array<Currency, 4> PrecioVenta;  // PREVEN_n
    std::array<Currency, 4> PrecioConIv;  // PRECIOCONIV_n
    std::array<Currency, 4> PrecioSinIv;  // PRECIOSINIV_n
    std::array<int, 4> BaseCalculo{};     // BASECALCULO_n as stored
    Currency CostoPromedio;               // COSTO_PROMEDIO
    QDateTime FechaUltimaCompra;          // FECHA_ULTIMACOMPRA (date only)
    int CodProveedor = 0;                 // FK_PROVEEDOR
};

// Writes stock (when actualizaStock is "S"), the level prices (level 1 always, levels 2-4
// only when their base is 1 to 3), average cost, purchase price, supplier, date and tax
// flags. An article that keeps no stock gets its purchase price as average cost. A
// tax-included flag other than "S" is stored as "N". On a database error it shows
// "Sucedió un inconveniente al Actualizar el Inventario" with the error text, returns false.
bool ActualizarInventarioCompras(const TRegistroCompras &registro, const QString &actualizaStock,
                                 const QString &gravado, const QString &ivi);
// The same on a given query (any inventory write query).
bool ActualizarInventarioCompras(db::Query &q, const TRegistroCompras &registro,
                                 const QString &actualizaStock, const QString &gravado, const QString &ivi);

// The article card's record: one value per INVENTARIO column it saves.
struct NivelArticulo {
    Currency PREVEN;
    int BASECALCULO = 0;
    Currency COEFA, COEFB, SUMAFIJA;
    int REDONDEO = 0;
    Currency PRECIOSINIV, PRECIOCONIV;
};

struct TArticuloInventario {
    QString OLD_COD_BARRAS;  // the code before editing (mode 1), the new code (mode 2)
    QString CODIGO2, CODIGO3;
    QString COD_FAMILIA;     // empty or "0": null
    int COD_UBICACION = 0;   // 0: null
    int COD_UNIDAD = 0;      // 0: null
    QString NOMBRE, NOMBRE2;
    Currency PRECIO_COMPRA;
    QDateTime FECHA_ULTIMACOMPRA;
    Currency STOCK_MINIMO, REPOSICION, RESERVA_APARTADOS, RESERVA_PREFACTURA, PORC_IV;
    QString GRAVADO, IMPUESTO_INCLUIDO, ACTUALIZAR_EXIST, PAGA_COMISION, COMPUESTO, TIENE_SERIE, FRACCIONADO;
    std::array<NivelArticulo, 4> Niveles;  // levels 1 to 4
    Currency COSTO_PROMEDIO, DESC_MAX_ART, STOCK, PRECIO_DEFECTO;
    int FK_PROVEEDOR = 0;
    QString CONSIGNACION, LIBRE1, LIBRE2, LIBRE3, LIBRE4;
    Currency CANT_ULTIMA_COMPRA;
    QDateTime ULTIMO_CICLICO;
    QString OBS, PROMOCION, RESTRINGE_DESCUENTO;
    QDateTime FECHA_CIERRE;
    Currency CANT_INICIAL;
    QString REDONDEA_PRECIO_FINAL, DESACTIVADO, SE_USA_EN_PEDIDO, TIENE_VENCIMIENTO;
    int ID_LABORATORIO = 0;
    Currency PESONETO, PRESENTACION;
    int PG_CANT_X_TANDA = 0;
    QString PG_COMPUESTO, VENTAALPESO;
};

// 1: updates the article (and reactivates it); 2: inserts it with FECHA_ALTA = now.
bool ActualizarInventario(int modo, const TArticuloInventario &articulo);

// Stock ledger row. Type 1 "Aumento manual de inventario - ", 2 "Decremento manual de
// inventario - ", any other "Factura de Compra Nro.  - ", followed by `descripcion`.
bool InsertarMovStock(const QDateTime &fecha, int tipo, const QString &descripcion, const QString &familia,
                      const QString &articulo, const QString &nombreArticulo, const QString &comprobante,
                      Currency cantidad, const QString &fraccionado, const QString &usuarioCrea,
                      const QString &usuarioActualiza, Currency tipoCambio, Currency tipoCambio2,
                      int idTransaccion);
// The same on a given query (any store write query).
bool InsertarMovStock(db::Query &q, const QDateTime &fecha, int tipo, const QString &descripcion,
                      const QString &familia, const QString &articulo, const QString &nombreArticulo,
                      const QString &comprobante, Currency cantidad, const QString &fraccionado,
                      const QString &usuarioCrea, const QString &usuarioActualiza, Currency tipoCambio,
                      Currency tipoCambio2, int idTransaccion);

// 1: deletes the movements of one article, type, document and date.
bool EliminarMovStock(int modo, int tipo, const QString &comprobante, const QString &articulo,
                      const QDateTime &fecha);
// Deletes a document's movements (on QueryG_PV, whose hooks commit unless TransaccionGlobal).
bool EliminarMovimientosStock(int idTransaccion, int tipo, const QString &comprobante, const QDateTime &fecha);

// Goods-in (tipo 1: TIPO_MOV 1, TIPO_ENTRADA 3) or goods-out (any other: TIPO_MOV 2, TIPO_SALIDA 5).
bool InsertarMovEntradaSalida(const QDateTime &fecha, const QString &comprobante, int tipo,
                              const QString &descripcion, const QString &usuario, const QString &anulado);
bool InsertarDetalleEntradaSalida(const QString &comprobante, int tipo, const QDateTime &fecha,
                                  const QString &articulo, const QString &descripcion, Currency cantidad,
                                  const QString &fraccionado, int idFraccion, Currency fraccion,
                                  Currency precioCosto, Currency precioVenta, Currency tipoCambio,
                                  Currency tipoCambio2);

// ---------------------------------------------------------------------------
// Cash register, supplier account and supplier credit notes
// ---------------------------------------------------------------------------

// An idTarjeta of 0 stores a null ID_TARJETA.
bool InsertarCajaDiaria(const QDateTime &fechaHora, int codigoMovimiento, const QString &comprobante,
                        Currency importeEfectivo, Currency importeCheque, Currency importeTarjeta,
                        const QString &nroCheque, const QString &banco, const QString &numeroTarjeta,
                        const QString &numeroVoucher, const QString &concepto, int turno, const QString &usuario,
                        Currency saldo, int idTarjeta, Currency tipoCambio, Currency tipoCambio2,
                        Currency importeMoneda2, Currency importeTarjeta2, Currency importeTarjeta3,
                        const QString &numeroTarjeta2, const QString &numeroTarjeta3, int codVendedor,
                        const QString &nombreVendedor, const QString &nroConsecutivo,
                        const QString &computadora, int nroCaja);

// Without a due date the FECHA_VENCIMIENTO column is left out (null).
bool InsertarCuentaProveedor(const QString &computadora, int nroCaja, const QDateTime &fecha, int codProveedor,
                             int codTipoMov, const QString &comprobante, Currency importe,
                             const QDateTime &fechaVencimiento, const QString &nota, Currency tipoCambio,
                             Currency tipoCambio2, int monedaCarga, const QString &usuarioCrea,
                             const QDateTime &fechaCrea, const QString &usuarioActualiza,
                             const QDateTime &fechaActualiza, Currency cImporte, const QString &ncAsignada,
                             Currency cACancelar, Currency aCancelar, int diasCredito, const QString &cancelado);

// FECHA_VENTA only with a sale date, FACTURA_VENTA only when the sale invoice is not "0";
// IMP_GRAVADO and IMP_EXENTO take TOTAL_GRAVADO and TOTAL_NO_GRAVADO. With `idNota` the
// new ID_NC_PROV is read back.
bool InsertarNotaCreditoProveedor(const QString &computadora, int nroCaja, const QString &comprobante,
                                  int codProveedor, Currency porcDescuento, Currency impDescuento, Currency impIv,
                                  Currency impTotal, const QDateTime &fecha, const QString &anulada,
                                  const QDateTime &fechaVenta, const QString &observaciones,
                                  const QString &asignada, const QString &facturaVenta, Currency subtotalGravado,
                                  Currency subtotalNoGravado, Currency totalGravado, Currency totalNoGravado,
                                  int tipoNc, Currency tipoCambio, Currency tipoCambio2,
                                  const QString &usuarioCrea, const QDateTime &fechaCrea, int *idNota = nullptr);

bool InsertarDetalleNotaCreditoProveedor(const QString &computadora, int nroCaja, int fkNcProv,
                                         const QDateTime &fecha, const QString &comprobante,
                                         const QString &codigoFamilia, const QString &codigoArticulo,
                                         const QString &descripcion, Currency cantidad, Currency porcImpuesto,
                                         const QString &gravado, const QString &impuestoIncluido,
                                         const QString &fraccionado, Currency importeImpuesto,
                                         Currency importeUnitario, Currency importeTotal, Currency importeDescuento,
                                         Currency porcDescuento, int codProveedor, Currency tipoCambio,
                                         Currency tipoCambio2);

// 1: A_CANCELAR = saldo on the supplier's row of that document number and movement type.
bool ActualizaCuentaProveedor(int modo, const QString &comprobante, Currency saldo, int tipoMov, int codProveedor);
// 1: ASIGNADA = asignada; 2: also APLICA_FECHA = fecha; on the supplier's note of that number.
bool ActualizaNCProveedor(int modo, const QString &comprobante, const QString &asignada, const QDateTime &fecha,
                          int codProveedor);
// 1: every row of that movement code and document number; 2: only those of that date-time.
bool EliminarCajaDiaria(int modo, int codigoMovimiento, const QString &comprobante, const QDateTime &fecha);
bool EliminarCajaAnterior(int modo, int codigoMovimiento, const QString &comprobante, const QDateTime &fecha);
// 1: the account rows of that movement type, document number and date.
bool EliminarCuentaProveedor(int modo, int tipoMov, const QString &comprobante, const QDateTime &fecha);

// ---------------------------------------------------------------------------
// Consignments (CONSIGNACIONES, DETALLE_CONSIGNACION)
// ---------------------------------------------------------------------------

// With `idConsignacion` the new ID_CONSIGNACION is read back.
bool InsertarEncabezadoConsignacion(const QString &computadora, int nroCaja, const QDateTime &fechaCarga,
                                    const QDateTime &fecha, const QString &comprobante,
                                    const QString &codigoProveedor, const QString &nombre, const QString &cedula,
                                    const QString &telefono, Currency importeDescuento, Currency porcDescuento,
                                    Currency importeIv, Currency importeTotal, int diasCredito,
                                    Currency importeEfectivo, Currency importeCheque, Currency importeCredito,
                                    Currency importeNc, const QString &numeroCheque, Currency subtotalGravado,
                                    Currency subtotalNoGravado, Currency totalGravado, Currency totalNoGravado,
                                    const QString &efectivoCaja, const QString &anulada, Currency tipoCambio,
                                    Currency tipoCambio2, int *idConsignacion = nullptr);

bool InsertarDetalleConsignacion(const QString &computadora, int nroCaja, int idConsignacion,
                                 const QDateTime &fecha, const QString &comprobante, const QString &codigoFamilia,
                                 const QString &codigoArticulo, const QString &descripcion,
                                 Currency importeUnitario, Currency cantidad, Currency importeImpuesto,
                                 Currency porcImpuesto, const QString &gravado, const QString &impuestoIncluido,
                                 const QString &fraccionado, Currency importeTotal, Currency importeDescuento,
                                 Currency porcDescuento, Currency procesados, const QString &anulada,
                                 Currency precioAnterior, Currency promedioAnterior, Currency tipoCambio,
                                 Currency tipoCambio2, Currency existencia);

// 1: annuls the consignment and its lines (FECHA_ANULACION = fecha);
// 2: PROCESADOS = procesados on the line idDetalle (the new total);
// 3: PROCESADOS = PROCESADOS + procesados on the line idDetalle (the quantity just invoiced).
bool ActualizaConsignaciones(int opcion, int idConsignacion, const QDateTime &fecha, Currency procesados,
                             int idDetalle);
// 1: deletes the consignment header.
bool EliminarConsignaciones(int opcion, int id);
// 1: deletes one consignment line by its ID_DETALLE_CONSIGNACION.
bool EliminarDetalleConsignaciones(int opcion, int id);
// True when the lines' quantities add up to their processed quantities (four decimals).
// Database errors propagate.
bool TodosLosArticulosFueronProcesados(int idConsignacion);
// Marks the consignment PROCESADA when every article was processed; false only on an error.
bool MarcaConsigProcesada(int idConsignacion);

// ---------------------------------------------------------------------------
// Shared helpers
// ---------------------------------------------------------------------------

// True for an invalid date-time or the zero date 30/12/1899.
bool EsFechaCero(const QDateTime &fecha);
// "S" stays "S"; anything else is "N".
QString BanderaSN(const QString &bandera);
