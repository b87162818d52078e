#pragma once
// Payment and posting of the purchase invoice entered at one workstation.
//
// The invoice lines come from the station's work table (TEMPORAL_COMPRAS); the header values
// the entry form holds come in a DocumentoCompra and the split of the total in a PagoCompra.
// The posting writes the invoice and its lines, the stock, costs and sale prices of every
// article, the cheque's bank movement, the cash-register row, the supplier account, the
// credit-note bookkeeping, the accounting entry, the consignment settlement and the order's
// status, and empties the work tables. It is one unit of work: the update transactions of the
// store, inventory and accounting databases are held from the first write to the end and
// committed together (two-phase); any failure rolls all of them back.
//
// It needs no widget and no data-module global when built from explicit connections, so
// several threads, each with its own attachments, may post at the same time.

#include "records/ActualizacionInventarioCompra.h"
#include "records/ConexionesCompra.h"
#include "platform/Currency.h"
#include "platform/db/Query.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class Mensajes;
class TFDatosComp;

namespace db {
class Database;
class Transaction;
}

struct CuentaContable {
    QString codigo;  // CUENTA
    QString nombre;  // NOMBRE_CUENTA
};

// Accounts of the purchase journal entry (DatosCuentas).
struct CuentasCompra {
    CuentaContable inventario, impuesto, caja, otrosFondos, banco, cxp, descuento, descuentoNoGravado;
};

// Store settings and workstation values the posting reads.
struct AjustesProcesoCompra {
    AjustesActualizacionCompra inventario;  // cost discount setting, rates, till, computer, user
    bool sisDistribuidora = true;           // datos.ini [Varios] SisDistribuidora (default "S")
    // Cash drawer: IMPRESORA_EPSON, MODELO_EPSON, T_ABRE_CAJON_FINAL and the till's TICKET device.
    bool impresoraEpson = false;
    QString modeloEpson;
    bool abreCajonFinal = false;
    QString dispositivoTicket;
    // Accounting entry: the five CONTA_ switches all "S", company and period.
    bool contabiliza = false;
    int contaEmpresa = 0;
    int contaPeriodo = 0;
    CuentasCompra cuentas;
};

// A purchase price chosen for an article typed at several costs (the price choice).
struct PrecioCompraElegido {
    QString codigo;  // COD_BARRAS
    Currency costo;  // unit cost in the invoice's currency, as on the work lines
};

// What the entry form holds about the document.
struct DocumentoCompra {
    QString tipoDocumento = QStringLiteral("Factura");  // only "Factura" is posted
    QString comprobante;
    QDate fecha;
    int monedaCarga = 1;  // 2: amounts typed in the second currency
    int codProveedor = 0;
    QString nombreProveedor;
    Currency porcDescuento;
    bool proveedorExento = false;
    bool inventarioPrincipal = true;
    QString codBodega;
    bool consignacionAFacturar = false;
    int idConsignacion = 0;
    QString nroConsignacion;
    bool modoPedido = false;
    QString nroPedido;
    // Become the articles' PRECIO_COMPRA, written with the stock update in the same unit of work.
    std::vector<PrecioCompraElegido> preciosElegidos;
};

// Document totals, in the invoice's currency.
struct TotalesCompra {
    Currency subtotalGravado, subtotalNoGravado, totalGravado, totalNoGravado;
    Currency totalSinIv, descuento, impuesto, total;
};

// The split of the total, in the invoice's currency.
struct PagoCompra {
    Currency efectivo;
    bool efectivoDeCaja = true;  // "Caja Diaria"; false: "Otros Fondos"
    Currency cheque;
    QString numeroCheque;
    int cuentaBancaria = 0;      // ID_CUENTA of the cheque's bank movement
    Currency credito;
    int diasCredito = 0;
    Currency notasCredito;       // amount paid with credit notes
    QStringList notasElegidas;   // COMPROBANTE of each chosen note of the supplier
    QString notaSaldo;           // number of the new note for the chosen notes' excess
};

// The bank movement of a cheque payment (MOVIM_BANCO), shown to the user before posting.
using MovimientoBanco = FilaMovimientoBanco;

struct ValidacionPago {
    enum class Fallo { Ninguno, DiasCredito, Falta, Excede } fallo = Fallo::Ninguno;
    QString mensaje;      // the balloon's text
    Currency diferencia;  // what is missing or exceeds
    bool ok() const { return fallo == Fallo::Ninguno; }
};

class ProcesoCompra {
public:
    static constexpr int kLargoNota = 12;          // NOTAS_CREDITO_PROV.COMPROBANTE
    static constexpr int kLargoNumeroCheque = 20;  // FACTURAS_COMPRA.NUMERO_CHEQUE
    enum class Estado { SinProcesar, Procesada, NoEsFactura, Invalida, ChequeCancelado, Fallida };

    ProcesoCompra(const ConexionesCompra &conexiones, AjustesProcesoCompra ajustes);
    ~ProcesoCompra();
    ProcesoCompra(const ProcesoCompra &) = delete;
    ProcesoCompra &operator=(const ProcesoCompra &) = delete;

    // On the data module's connections (accounting through AsientosConta when connected), with
    // its settings, rates, till, host variables and datos.ini. Raises TransaccionGlobal while
    // posting and refreshes the shared credit-note, invoice, line and accounting datasets after.
    static std::unique_ptr<ProcesoCompra> DesdeDatosComp(TFDatosComp &datos);

    // The station's saved header (TEMPORAL_ENC_COMPRA) with the supplier's name; the caller
    // completes currency, destination and the other entry-form values.
    DocumentoCompra DocumentoDeEstacion();
    // Sums of the station's work lines; an exempt supplier's total carries no tax.
    TotalesCompra TotalesDeEstacion(bool proveedorExento = false);

    // Checks the split against the total (both rounded to two decimals).
    static ValidacionPago Validar(Currency total, const PagoCompra &pago);

    // Posts the station's work lines as the invoice `documento`. The total is posted rounded
    // to the cent. Returns the new ID_COMPRA, or 0 when nothing was posted (see
    // EstadoUltimo()); failures have been shown through the messages service and every
    // database is as it was.
    int Procesar(const DocumentoCompra &documento, const TotalesCompra &totales, const PagoCompra &pago);

    Estado EstadoUltimo() const { return estado_; }
    // Text of the failure that stopped the last posting ("" when none).
    const QString &UltimoError() const { return error_; }
    // The last posting's accounting entry: its number (0 when none) and whether something
    // went wrong with it (the user was warned; the entry is stored unbalanced).
    int UltimoAsiento() const { return asiento_; }
    bool AsientoConProblemas() const { return asientoMal_; }

    // Shown before posting when a cheque is paid; false cancels the posting. Without it the
    // movement is written as prepared.
    std::function<bool(MovimientoBanco &)> RegistrarCheque;
    // Called after the commit (refreshing shared datasets).
    std::function<void()> DespuesDeConfirmar;
    // Raised from the first write to the end (the data module's TransaccionGlobal).
    bool *transaccionGlobal = nullptr;
    // Where messages go (the process-wide service by default).
    void EstablecerMensajes(Mensajes *m) { mensajes_ = m; }

    const AjustesProcesoCompra &Ajustes() const { return ajustes_; }

private:
    using Base = BaseCompra;
    db::Query &Sql(Base base, const QString &texto) { return consultas_.Sql(base, texto); }
    Currency ALocal(Currency importe) const;

    void Publicar(const DocumentoCompra &doc, const TotalesCompra &tot, const PagoCompra &pago,
                  const MovimientoBanco *cheque);
    void VerificarComprobante(const DocumentoCompra &doc);
    // The cheque's bank account exists.
    void VerificarReferencias(const MovimientoBanco *cheque);
    void InsertarEncabezado(const DocumentoCompra &doc, const TotalesCompra &tot, const PagoCompra &pago);
    // PRECIO_COMPRA of each article (local currency), inside the posting's inventory transaction.
    void EscribirPreciosElegidos(const std::vector<std::pair<QString, Currency>> &precios);
    void PrecioVentaEnLineas();
    void InsertarCheque(const MovimientoBanco &m);
    void CajaDiaria(const DocumentoCompra &doc, const PagoCompra &pago, const QDateTime &ahora);
    void CuentaProveedor(const DocumentoCompra &doc, const PagoCompra &pago, const QDateTime &ahora);
    void NotasCredito(const DocumentoCompra &doc, const TotalesCompra &tot, const PagoCompra &pago,
                      const QDateTime &ahora);
    void CargarAsiento(const DocumentoCompra &doc, const TotalesCompra &tot, const PagoCompra &pago,
                       const QDateTime &ahora);
    void LiquidarConsignacion(const DocumentoCompra &doc, const std::vector<LineaCompra> &lineas);
    void Finalizar(const DocumentoCompra &doc);
    void AbrirCajon(const PagoCompra &pago);
    void Deshacer();
    // A supplier-account row with this station's and user's values.
    FilaCuentaProveedor FilaCuenta(const QDateTime &ahora) const;

    ConexionesCompra c_;
    AjustesProcesoCompra ajustes_;
    Mensajes *mensajes_;
    std::unique_ptr<ActualizadorInventarioCompra> actualizador_;
    ConsultasCompra consultas_;
    RegistrosCompra registros_;
    Estado estado_ = Estado::SinProcesar;
    QString error_;
    int idCompra_ = 0;
    QDateTime fechaCarga_;
    int asiento_ = 0;
    bool asientoMal_ = false;
};

// How chosen credit notes fill the payment of `total`: they pay up to the total and cash
// pays what they leave.
struct PagoConNotas {
    Currency notas, efectivo;
};
PagoConNotas RepartirNotas(Currency total, Currency importeNotas);

// The invoice's discount percentage (PORC_DESCUENTO): discount ÷ total before tax × 100, as
// the totals show it whether the discount came from the header or from the lines; the
// header's percentage when only rounding tells them apart.
Currency PorcentajeDescuento(Currency porcEncabezado, const TotalesCompra &tot);

// Bytes that open the cash drawer for a printer model ("TM-U 300" has its own pulse).
QByteArray BytesAperturaCajon(const QString &modeloEpson);
