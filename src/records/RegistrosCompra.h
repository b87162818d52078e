#pragma once
// The purchasing write layer: every statement that writes an invoice, stock, cash, supplier
// account, credit note, consignment or accounting row lives here, once.
//
// It writes through the caller's statement cache (ConsultasCompra) on the caller's update
// transactions: it never commits, never rolls back and never shows anything. A failing
// statement throws ErrorRegistro ("Error al insertar FACTURAS_COMPRA", with the database's
// text as its detail). Rows travel as structs whose fields are the columns they fill; a new
// key comes back from the insert itself (RETURNING). Updates and deletes return the number of
// rows they touched, so callers can tell "nothing matched" from success.
//
// Dates: a QDateTime that is invalid, or falls on 30/12/1899, counts as "no date".

#include "records/ConexionesCompra.h"
#include "records/ErrorRegistro.h"
#include "platform/Currency.h"

#include <QDate>
#include <QDateTime>
#include <QString>

#include <array>
#include <optional>
#include <cstdint>

// ---------------------------------------------------------------------------
// Rows
// ---------------------------------------------------------------------------

struct FilaFacturaCompra {
    QString COMPUTADORA;
    int NRO_CAJA = 0;
    QDateTime FECHA_CARGA;
    QDate FECHA;
    QString COMPROBANTE;
    int CODIGO_PROVEEDOR = 0;
    QString NOMBRE, CEDULA, TELEFONO, NUMERO_CHEQUE;
    int DIAS_CREDITO = 0;
    Currency IMPORTE_DESCUENTO, PORC_DESCUENTO, IMPORTE_IV, IMPORTE_TOTAL;
    Currency IMPORTE_EFECTIVO, IMPORTE_CHEQUE, IMPORTE_CREDITO, IMPORTE_NC;
    Currency SUBTOTAL_GRAVADO, SUBTOTAL_NO_GRAVADO, TOTAL_GRAVADO, TOTAL_NO_GRAVADO;
    int MONEDA_CARGA = 1;
    QString EFECTIVO_CAJA = QStringLiteral("N");
    Currency TIPO_CAMBIO, TIPO_CAMBIO_2;
    QString INVENTARIO_PRINCIPAL = QStringLiteral("S");
    QString COD_BODEGA;
};

struct FilaDetalleFacturaCompra {
    QString COMPUTADORA;
    int NRO_CAJA = 0;
    int ID_COMPRA = 0;
    QDate FECHA;
    QString COMPROBANTE, CODIGO_FAMILIA, CODIGO_ARTICULO, DESCRIPCION, GRAVADO, IMPUESTO_INCLUIDO, FRACCIONADO;
    Currency IMPORTE_UNITARIO, IMPORTE_IMPUESTO, IMPORTE_TOTAL, IMPORTE_DESCUENTO;
    Currency CANTIDAD, PORC_IMPUESTO, PORC_DESCUENTO;
    int MONEDA_CARGA = 1;
    Currency PRECIO_ANTERIOR, PROMEDIO_ANTERIOR, TIPO_CAMBIO, TIPO_CAMBIO_2, CANTIDAD_ANTERIOR, PRECIO_VENTA_SIN_IV;
};

// The bank movement of a cheque payment (MOVIM_BANCO).
struct FilaMovimientoBanco {
    int idCuenta = 0;       // ID_CUENTA; 0 stores null
    QDateTime fecha;        // FECHA
    int tipoMovimiento = 1; // TIPO_MOVIMIENTO
    QString comprobante;    // COMPROBANTE: the cheque number
    QString concepto;       // CONCEPTO
    Currency importe;       // IMPORTE, local currency
    QString beneficiario;   // BENEFICIARIO
    Currency tipoCambio, tipoCambio2;
};

struct FilaExistencia {
    QString COD_ART, COD_BODEGA;
    Currency EXISTENCIA, RESERVA_APARTADOS, RESERVA_PREFACTURAS;
};

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
    Currency TipoCambio, TipoCambio2;     // COMPRA_MONEDA1, COMPRA_MONEDA2: the rates it was bought at
};

// The article card's record: one value per INVENTARIO column it saves.
struct NivelArticulo {
    Currency PREVEN;
    int BASECALCULO = 0;
    Currency COEFA, COEFB, SUMAFIJA;
    int REDONDEO = 0;
    Currency PRECIOSINIV, PRECIOCONIV;
};

struct TArticuloInventario {
    QString OLD_COD_BARRAS;  // the code before editing (update), the new code (insert)
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

// Stock ledger row. DESCRIPCION_MOV is prefixed by type: 1 "Aumento manual de inventario - ",
// 2 "Decremento manual de inventario - ", any other "Factura de Compra Nro.  - ". The row's
// time stamps are its FECHA.
struct FilaMovStock {
    QDateTime FECHA;
    int TIPO_MOVIMIENTO = 3;
    QString DESCRIPCION_MOV, FAMILIA, COD_BARRAS, NOMBRE_ARTICULO, COMPROBANTE;
    Currency CANTIDAD;
    QString FRACCIONADO = QStringLiteral("N");
    QString CREATE_USERID, UPDATE_USERID;
    Currency TIPO_CAMBIO, TIPO_CAMBIO_2;
    int ID_TRANSACCION = 0;
    // IMPORTE_COSTO: the net unit cost a purchase averaged in (local currency); none: null.
    std::optional<Currency> IMPORTE_COSTO;
};

// Goods-in (entrada) or goods-out: TIPO_MOV 1 with TIPO_ENTRADA 3, or 2 with TIPO_SALIDA 5.
struct FilaEntradaSalida {
    bool entrada = true;
    QDateTime FECHA;
    QString COMPROBANTE, DESCRIPCION, CREATE_USERID, ANULADO = QStringLiteral("N");
};

struct FilaDetalleEntradaSalida {
    bool entrada = true;
    QString COMPROBANTE;
    QDateTime FECHA;
    QString COD_BARRAS, DESCRIPCION;
    Currency CANTIDAD;
    QString FRACCIONADO = QStringLiteral("N");
    int ID_FRACCION = 0;
    Currency FRACCION, PRECIO_COSTO, PRECIO_VENTA, TIPO_CAMBIO, TIPO_CAMBIO_2;
};

struct FilaCajaDiaria {
    QDateTime FECHA_HORA;
    int CODIGO_MOVIMIENTO = 0;
    QString COMPROBANTE;
    Currency IMPORTE_EFECTIVO, IMPORTE_CHEQUE, IMPORTE_TARJETA;
    QString NRO_CHEQUE, BANCO, NUMERO_TARJETA, NUMERO_VOUCHER, CONCEPTO;
    int TURNO = 0;
    QString USUARIO;
    Currency SALDO;
    int ID_TARJETA = 0;  // 0 stores null
    Currency TIPO_CAMBIO, TIPO_CAMBIO_2, IMPORTE_MONEDA2, IMPORTE_TARJETA2, IMPORTE_TARJETA3;
    QString NUMERO_TARJETA2, NUMERO_TARJETA3;
    int COD_VENDEDOR = 0;
    QString NOMBRE_VENDEDOR, NRO_CONSECUTIVO, COMPUTADORA;
    int NRO_CAJA = 0;
};

struct FilaCuentaProveedor {
    QString COMPUTADORA;
    int NRO_CAJA = 0;
    QDateTime FECHA;
    int COD_PROVEEDOR = 0;
    int COD_TIPO_MOV = 0;
    QString COMPROBANTE;
    Currency IMPORTE;
    QDateTime FECHA_VENCIMIENTO;  // no date: the column is left out (null)
    QString NOTA;
    Currency TIPO_CAMBIO, TIPO_CAMBIO_2;
    int MONEDA_CARGA = 1;
    QString CREATE_USERID;
    QDateTime CREATE_TMSTMP;
    QString UPDATE_USERID;
    QDateTime UPDATE_TMSTMP;
    Currency C_IMPORTE;
    QString NC_ASIGNADA = QStringLiteral("N");
    Currency C_A_CANCELAR, A_CANCELAR;
    int DIAS_CREDITO = 0;
    QString CANCELADO;
    QString NC_FACTURA;  // the credit note a balance row stands for; empty: left out
};

// IMP_GRAVADO and IMP_EXENTO take TOTAL_GRAVADO and TOTAL_NO_GRAVADO.
struct FilaNotaCreditoProveedor {
    QString COMPUTADORA;
    int NRO_CAJA = 0;
    QString COMPROBANTE;
    int COD_PROVEEDOR = 0;
    Currency PORC_DESCUENTO, IMP_DESCUENTO, IMP_IV, IMP_TOTAL;
    QDateTime FECHA;
    QString ANULADA = QStringLiteral("N");
    QDateTime FECHA_VENTA;  // no date: left out
    QString OBSERVACIONES;
    QString ASIGNADA = QStringLiteral("N");
    QString FACTURA_VENTA = QStringLiteral("0");  // "0": left out
    Currency SUBTOTAL_GRAVADO, SUBTOTAL_NO_GRAVADO, TOTAL_GRAVADO, TOTAL_NO_GRAVADO;
    int TIPO_NC = 0;
    Currency TIPO_CAMBIO, TIPO_CAMBIO_2;
    QString CREATE_USERID;
    QDateTime CREATE_TMSTMP;
};

struct FilaDetalleNotaCredito {
    QString COMPUTADORA;
    int NRO_CAJA = 0;
    int FK_NC_PROV = 0;
    QDateTime FECHA;
    QString COMPROBANTE, CODIGO_FAMILIA, CODIGO_ARTICULO, DESCRIPCION;
    Currency CANTIDAD, PORC_IMPUESTO;
    QString GRAVADO, IMPUESTO_INCLUIDO, FRACCIONADO;
    Currency IMPORTE_IMPUESTO, IMPORTE_UNITARIO, IMPORTE_TOTAL, IMPORTE_DESCUENTO, PORC_DESCUENTO;
    int COD_PROVEEDOR = 0;
    Currency TIPO_CAMBIO, TIPO_CAMBIO_2;
};

struct FilaConsignacion {
    QString COMPUTADORA;
    int NRO_CAJA = 0;
    QDate FECHA_CARGA, FECHA;
    QString COMPROBANTE, CODIGO_PROVEEDOR, NOMBRE, CEDULA, TELEFONO;
    Currency IMPORTE_DESCUENTO, PORC_DESCUENTO, IMPORTE_IV, IMPORTE_TOTAL;
    int DIAS_CREDITO = 0;
    Currency IMPORTE_EFECTIVO, IMPORTE_CHEQUE, IMPORTE_CREDITO, IMPORTE_NC;
    QString NUMERO_CHEQUE;
    Currency SUBTOTAL_GRAVADO, SUBTOTAL_NO_GRAVADO, TOTAL_GRAVADO, TOTAL_NO_GRAVADO;
    QString EFECTIVO_CAJA = QStringLiteral("N");
    QString ANULADA = QStringLiteral("N");
    Currency TIPO_CAMBIO, TIPO_CAMBIO_2;
};

struct FilaDetalleConsignacion {
    QString COMPUTADORA;
    int NRO_CAJA = 0;
    int ID_CONSIGNACION = 0;
    QDate FECHA;
    QString COMPROBANTE, CODIGO_FAMILIA, CODIGO_ARTICULO, DESCRIPCION;
    Currency IMPORTE_UNITARIO, CANTIDAD, IMPORTE_IMPUESTO, PORC_IMPUESTO;
    QString GRAVADO, IMPUESTO_INCLUIDO, FRACCIONADO;
    Currency IMPORTE_TOTAL, IMPORTE_DESCUENTO, PORC_DESCUENTO, PROCESADOS;
    QString ANULADA = QStringLiteral("N");
    Currency PRECIO_ANTERIOR, PROMEDIO_ANTERIOR, TIPO_CAMBIO, TIPO_CAMBIO_2, EXISTENCIA;
};

// Journal entry header (ASIENTOS); ID_ASIENTO 0 lets the database number it.
struct FilaAsiento {
    int ID_ASIENTO = 0;
    int FK_EMPRESA = 0, FK_PERIODO = 0;
    QDate FECHA;
    QString DESCRIPCION;
    Currency SALDO;
    QString BLANCEADO = QStringLiteral("S");
    QString CREATE_USERID;
    QDateTime CREATE_TMSTMP;
    QString UPDATE_USERID;
    QDateTime UPDATE_TMSTMP;
};

struct FilaLineaAsiento {
    int FK_EMPRESA = 0, FK_PERIODO = 0, FK_ASIENTO = 0;
    QString CUENTA, NOMBRE_CUENTA;
    Currency IMPORTE_DEBE, IMPORTE_HABER;
    QString CREATE_USERID;
    QDateTime CREATE_TMSTMP;
    QString UPDATE_USERID;
    QDateTime UPDATE_TMSTMP;
};

// A quantity difference found when goods sent by the head office arrive (DIF_ENTRADA_SALIDA).
struct FilaDiferencia {
    int TIPO_MOVIMIENTO = 1, TIPO_ENTRADA = 1;
    QString COD_BARRAS, DESCRIPCION, FRACCIONADO, COMPUESTO;
    int ID_FRACCION = 0;
    double FRACCION = 0;
    Currency PRECIO_COSTO, PRECIO_VENTA, TIPO_CAMBIO, TIPO_CAMBIO_2;
    QDate FECHA_ENVIO;
    QDateTime FECHA_RECEPCION;
    QString RECIBIDO_POR;
    Currency CANT_ENVIADA, CANT_RECIBIDA;
    int DESDE_TIENDA = 0, HASTA_TIENDA = 0;
    QString COMPROB_ENVIO, COMPROB_RECIBE;
};

// ---------------------------------------------------------------------------
// Modes and filters
// ---------------------------------------------------------------------------

enum class ModoFacturaCompra {
    ImporteNc = 1,   // IMPORTE_NC
    Anular = 2,      // ANULADA "S", FECHA_ANULACION now; only while not yet annulled
    FechaCarga = 3,  // FECHA_CARGA
};
struct CambioFacturaCompra {
    Currency IMPORTE_NC;
    QDateTime FECHA_CARGA;
};

enum class ModoDetalleFactura {
    Anular = 1,       // every line of the invoice (id = ID_COMPRA)
    PrecioVenta = 2,  // PRECIO_VENTA_SIN_IV of one line (id = ID_DETALLE_FACTURA)
};

enum class ModoConsecutivo { Entrada = 1, Salida = 2 };

enum class ModoInventario {
    StockYPromedio = 1,   // STOCK = cantidad, COSTO_PROMEDIO = promedio
    Existencia = 2,       // EXISTENCIAS.EXISTENCIA = cantidad (warehouse `bodega`)
    Stock = 3,            // STOCK = cantidad
    RestarStock = 4,      // STOCK = STOCK - cantidad, COSTO_PROMEDIO = promedio; articles that keep stock
    SumarExistencia = 5,  // EXISTENCIAS.EXISTENCIA = EXISTENCIA + cantidad (negative to take back)
    PrecioCompra = 6,     // PRECIO_COMPRA = cantidad
    CostoCompuesto = 7,   // COMPUESTO.COSTO = cantidad wherever the article is a component
    Promedio = 8,         // COSTO_PROMEDIO = promedio; articles that keep stock
    Inactivar = 9,        // ARTICULO_INACTIVO = "S"
    TipoCambio = 10,      // COMPRA_MONEDA1, COMPRA_MONEDA2 = the two rates
    Consignacion = 11,    // CONSIGNACION = "S"
};
// Built by name: ValoresInventario().Cantidad(q).Promedio(p).
struct ValoresInventario {
    Currency cantidad;
    Currency promedio;
    QString bodega;
    Currency tipoCambio, tipoCambio2;

    ValoresInventario &Cantidad(Currency v) { cantidad = v; return *this; }
    ValoresInventario &Promedio(Currency v) { promedio = v; return *this; }
    ValoresInventario &Bodega(const QString &v) { bodega = v; return *this; }
    ValoresInventario &TipoCambio(Currency v) { tipoCambio = v; return *this; }
    ValoresInventario &TipoCambio2(Currency v) { tipoCambio2 = v; return *this; }
};

enum class ModoArticulo {
    Actualizar = 1,  // the card's article (reactivated), found by OLD_COD_BARRAS
    Insertar = 2,    // a new article with FECHA_ALTA now
};

// One article's movements of one document: number, date and the document's id all match,
// so another supplier's document with the same number keeps its movements.
struct FiltroMovStock {
    int TIPO_MOVIMIENTO = 3;
    QString COMPROBANTE, COD_BARRAS;
    QDate FECHA;
    int ID_TRANSACCION = 0;
};

// CAJA_DIARIA and CAJA_ANTERIOR carry no supplier: a document's rows are told apart by
// their time (the posting time the invoice keeps) or, for rows written by other means, by
// their amount.
enum class ModoCaja {
    Todas = 1,       // every row of that movement code and document number
    PorFecha = 2,    // only the rows of that exact date-time
    PorImporte = 3,  // only the rows of that cash amount
    PrimeraDesde = 4,  // the earliest row of that cash amount at or after that date-time
};
struct FiltroCaja {
    int CODIGO_MOVIMIENTO = 0;
    QString COMPROBANTE;
    QDateTime FECHA;
    Currency IMPORTE_EFECTIVO;
};

enum class ModoCuentaProveedor {
    PorFecha = 1,       // the supplier's rows of that type, number and date
    CualquierFecha = 2  // the supplier's rows of that type and number
};
struct FiltroCuentaProveedor {
    int COD_TIPO_MOV = 0;
    QString COMPROBANTE;
    int COD_PROVEEDOR = 0;
    QDate FECHA;
};

enum class ModoNotaCredito {
    Asignar = 1,      // ASIGNADA of the supplier's note
    Aplicar = 2,      // ASIGNADA, APLICA_FECHA, APLICA_FACTURA; only a note neither assigned nor annulled
    Liberar = 3,      // the notes applied to invoice APLICA_FACTURA become free again
    AnularSaldo = 4,  // annuls a balance note (TIPO_NC 3) not yet assigned
};
struct CambioNotaCredito {
    QString COMPROBANTE;
    int COD_PROVEEDOR = 0;
    QString ASIGNADA = QStringLiteral("S");
    QDateTime APLICA_FECHA;
    QString APLICA_FACTURA;
};

enum class ModoConsignacion {
    Anular = 1,           // the consignment and its lines, FECHA_ANULACION = fecha; only while not annulled
    Procesados = 2,       // PROCESADOS = procesados on line idDetalle
    SumarProcesados = 3,  // PROCESADOS = PROCESADOS + procesados on line idDetalle
    ExistenciaCero = 4,   // EXISTENCIA = 0 on every line of the consignment
    // Returns, on line idDetalle and only while it is still open (PROCESADOS < CANTIDAD):
    DevolverTodo = 5,     // PROCESADOS = CANTIDAD, EXISTENCIA = 0
    Devolver = 6,         // PROCESADOS + procesados, EXISTENCIA - procesados; never past CANTIDAD
    MarcarDevuelta = 7,   // the consignment's DEVUELTA = "S"
};
struct CambioConsignacion {
    QDateTime fecha;
    Currency procesados;
    int idDetalle = 0;
};

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

class RegistrosCompra {
public:
    // `consultas` must outlive the layer; its connections choose the databases.
    explicit RegistrosCompra(ConsultasCompra &consultas) : q_(consultas) {}

    // Purchase invoices (store).
    int InsertarFacturasCompras(const FilaFacturaCompra &fila);  // the new ID_COMPRA
    void InsertarDetalleFacturasCompras(const FilaDetalleFacturaCompra &fila);
    std::uint64_t ActualizaFacturaCompra(ModoFacturaCompra modo, int idCompra, const CambioFacturaCompra &cambio = {});
    std::uint64_t ActualizaDetalleFacturaCompra(ModoDetalleFactura modo, int id, Currency precio = {});
    std::uint64_t EliminarFacturasCompras(int idCompra);
    // Number and id must both match.
    std::uint64_t EliminarDetalleFacturasCompras(const QString &comprobante, int idCompra);
    void CambiarConsecutivo(ModoConsecutivo modo, int id, int valor);
    std::uint64_t MarcarPedidoProcesado(const QString &nroPedido);
    void InsertarMovimientoBanco(const FilaMovimientoBanco &fila);

    // Inventory database.
    std::uint64_t ActualizaInventario(ModoInventario modo, const QString &articulo, const ValoresInventario &v = {});
    void InsertarExistencias(const FilaExistencia &fila);
    void ActualizaFamilia(const QString &codFamilia);  // advances the family's article counter
    // Stock (when actualizaStock is "S"), level prices (level 1 always, levels 2-4 when their
    // base is 1 to 3), average cost, purchase price, supplier, date and tax flags. An article
    // that keeps no stock gets its purchase price as average cost; an IVI other than "S" is "N".
    // With `version` (the row's RDB$RECORD_VERSION when it was read) the row is written only if
    // no one has changed it since: 0 rows means it must be read again. Returns the rows written.
    std::uint64_t ActualizarInventarioCompras(const TRegistroCompras &registro, const QString &actualizaStock,
                                              const QString &gravado, const QString &ivi,
                                              std::optional<qint64> version = std::nullopt);
    void ActualizarInventario(ModoArticulo modo, const TArticuloInventario &articulo);

    // Stock ledger (store).
    void InsertarMovStock(const FilaMovStock &fila);
    std::uint64_t EliminarMovStock(const FiltroMovStock &filtro);
    // Every movement of the document: id, type, number and date.
    std::uint64_t EliminarMovimientosStock(int idTransaccion, int tipo, const QString &comprobante, const QDate &fecha);
    void InsertarMovEntradaSalida(const FilaEntradaSalida &fila);
    void InsertarDetalleEntradaSalida(const FilaDetalleEntradaSalida &fila);
    void InsertarDiferenciaEntradaSalida(const FilaDiferencia &fila);
    // Adds `cantidad` to the article's stock with its row locked, sets PRECIO_COMPRA to `costo`
    // and averages it into COSTO_PROMEDIO; when the new stock is 0 or less the average cost is
    // `costo`. False when the article does not exist (nothing written).
    bool SumarStockCompra(const QString &codigo, Currency cantidad, Currency costo);

    // Cash register, supplier account, credit notes (store).
    void InsertarCajaDiaria(const FilaCajaDiaria &fila);
    std::uint64_t EliminarCajaDiaria(ModoCaja modo, const FiltroCaja &filtro);
    std::uint64_t EliminarCajaAnterior(ModoCaja modo, const FiltroCaja &filtro);
    void InsertarCuentaProveedor(const FilaCuentaProveedor &fila);
    // A_CANCELAR of the supplier's row of that number and movement type.
    std::uint64_t ActualizaCuentaProveedor(const QString &comprobante, Currency saldo, int tipoMov, int codProveedor);
    std::uint64_t EliminarCuentaProveedor(ModoCuentaProveedor modo, const FiltroCuentaProveedor &filtro);
    int InsertarNotaCreditoProveedor(const FilaNotaCreditoProveedor &fila);  // the new ID_NC_PROV
    void InsertarDetalleNotaCreditoProveedor(const FilaDetalleNotaCredito &fila);
    std::uint64_t ActualizaNCProveedor(ModoNotaCredito modo, const CambioNotaCredito &cambio);

    // Consignments (store).
    int InsertarEncabezadoConsignacion(const FilaConsignacion &fila);  // the new ID_CONSIGNACION
    void InsertarDetalleConsignacion(const FilaDetalleConsignacion &fila);
    std::uint64_t ActualizaConsignaciones(ModoConsignacion modo, int idConsignacion, const CambioConsignacion &cambio);
    std::uint64_t EliminarConsignaciones(int idConsignacion);
    std::uint64_t EliminarDetalleConsignaciones(int idDetalle);
    // The lines' quantities add up to their processed quantities (four decimals).
    bool TodosLosArticulosFueronProcesados(int idConsignacion);
    // PROCESADA "S" once every article was processed; true when it was marked.
    bool MarcaConsigProcesada(int idConsignacion);

    // Accounting database.
    // The next entry number of a period: its last + 1, with the period row locked so stations
    // take turns; 0 (the generator numbers the entry) when the period has no row.
    int SiguienteNumeroAsiento(int empresa, int periodo);
    int InsertarAsiento(const FilaAsiento &fila);  // the entry's ID_ASIENTO
    void InsertarLineaAsiento(const FilaLineaAsiento &fila);
    std::uint64_t MarcarAsientoDesbalanceado(int empresa, int periodo, int idAsiento);
    // The lines of entry `origen` (same company and period as `encabezado`) copied onto the
    // new entry `encabezado` with debit and credit swapped; the new entry's ID_ASIENTO, and
    // the number of lines copied in `lineas`.
    int InsertarAsientoInverso(const FilaAsiento &encabezado, int origen, std::uint64_t *lineas = nullptr);

private:
    ConsultasCompra &q_;
};

// True for an invalid date-time or the zero date 30/12/1899.
bool EsFechaCero(const QDateTime &fecha);
// "S" stays "S"; anything else is "N".
QString BanderaSN(const QString &bandera);
