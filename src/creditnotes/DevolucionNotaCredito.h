#pragma once
// Goods given back to a supplier against the supplier's credit note.
//
// The returned articles are the station's purchase work lines (TEMPORAL_COMPRAS); the entry
// form's header comes in a DocumentoDevolucion. Recording writes the credit note and its lines,
// takes the goods out of stock with a movement per line, raises the invoice's credit-note
// amount, books the note in the supplier's account, optionally applies it against the
// invoice's open credit, and empties the work tables. One unit of work: the store and
// inventory update transactions are held from the first write to the end and committed
// together (two-phase); any failure rolls both back.

#include "records/ConexionesCompra.h"
#include "records/RegistrosCompra.h"
#include "platform/Currency.h"

#include <QDate>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Mensajes;
class TFDatosComp;
struct EncabezadoNotaCredito;

// Station, user and rates of the recording.
struct AjustesDevolucionNC {
    int nroCaja = 0;
    QString computadora;
    QString usuario;
    Currency tipoCambio = Currency(1), tipoCambio2 = Currency(1);
};

// What the entry form and the small window hold about the return.
struct DocumentoDevolucion {
    QString comprobante;  // the supplier's credit-note number
    int codProveedor = 0;
    QDate fecha;
    int monedaCarga = 1;  // 2: amounts typed in the second currency
    Currency porcDescuento;
    bool facturaNoSistema = false;  // "Factura no cargada en el Sistema"
    QString factura;                // the invoice number typed
    bool asignar = false;           // "Asignar Automáticamente a factura"
};

// The purchase invoice a return belongs to.
struct FacturaDevolucion {
    int idCompra = 0;
    QString comprobante;
    QDate fecha;
    Currency importeNc, importeCredito;
    bool anulada = false;
};

// Sums of the station's work lines, in the document's currency.
struct TotalesDevolucion {
    Currency subtotalGravado, subtotalNoGravado, totalGravado, totalNoGravado;
    Currency descuento, impuesto, total;
};

// An article returned beyond what the invoice bought or what is in stock.
struct ExcesoDevolucion {
    QString codigo, nombre;
    Currency cantidad;
    std::optional<Currency> comprado;  // on the invoice; none when no invoice is involved
    std::optional<Currency> stock;     // none when the article keeps no stock
};

class DevolucionNotaCredito {
public:
    enum class Estado { SinRegistrar, Registrada, Invalida, Cancelada, Fallida };

    static inline const QString kObservacion = QStringLiteral("Devolución de Mercadería");
    static inline const QString kCargada = QStringLiteral("La Nota de Crédito se ha cargado correctamente");
    static inline const QString kNotaUsada = QStringLiteral("Este Comprobante ya fue Utilizado por este proveedor");
    static inline const QString kFacturaAnulada = QStringLiteral("La factura está anulada");
    static inline const QString kFacturaNoExiste =
        QStringLiteral("La factura no existe para este proveedor");

    DevolucionNotaCredito(const ConexionesCompra &conexiones, AjustesDevolucionNC ajustes);
    // On the data module's store and inventory connections, with its station, user and rates;
    // raises TransaccionGlobal while recording and refreshes the shared invoice and
    // credit-note datasets after.
    static std::unique_ptr<DevolucionNotaCredito> DesdeDatosComp(TFDatosComp &datos);
    // The printout's header lines and tax name from the data module.
    static EncabezadoNotaCredito EncabezadoDe(TFDatosComp &datos);
    DevolucionNotaCredito(const DevolucionNotaCredito &) = delete;
    DevolucionNotaCredito &operator=(const DevolucionNotaCredito &) = delete;

    // The supplier's invoice with that number (annulled ones too; see FacturaDevolucion::anulada).
    std::optional<FacturaDevolucion> BuscarFactura(int codProveedor, const QString &numero);
    // True when the supplier already has a credit note with that number.
    bool NotaUsada(int codProveedor, const QString &comprobante);
    TotalesDevolucion TotalesDeEstacion();
    // Articles returned beyond the invoice's quantity (when `factura` is given) or the stock.
    std::vector<ExcesoDevolucion> Excesos(const FacturaDevolucion *factura);
    // The question asked before recording when there are excesses.
    static QString PreguntaExcesos(const std::vector<ExcesoDevolucion> &excesos);

    // Records the return. Returns the new ID_NC_PROV, or 0 when nothing was recorded (see
    // EstadoUltimo()); failures have been shown through the messages service and both
    // databases are as they were.
    int Registrar(const DocumentoDevolucion &doc);

    Estado EstadoUltimo() const { return estado_; }
    const QString &UltimoError() const { return error_; }
    // The local-currency total of the last recorded note.
    Currency UltimoTotal() const { return ultimoTotal_; }
    // Whether the last recorded note was applied against the invoice's balance.
    bool UltimaAsignada() const { return ultimaAsignada_; }

    // Raised from the first write to the end (the data module's TransaccionGlobal).
    bool *transaccionGlobal = nullptr;
    // Called after the commit (refreshing shared datasets).
    std::function<void()> DespuesDeConfirmar;
    void EstablecerMensajes(Mensajes *m) { mensajes_ = m; }

private:
    using Base = BaseCompra;
    struct Linea;
    db::Query &Sql(Base base, const QString &texto) { return consultas_.Sql(base, texto); }
    Currency ALocal(Currency importe, int monedaCarga) const;
    std::vector<Linea> LeerLineas();
    void Escribir(const DocumentoDevolucion &doc, const std::optional<FacturaDevolucion> &factura,
                  const std::vector<Linea> &lineas, const TotalesDevolucion &tot);
    void SacarDeInventario(const DocumentoDevolucion &doc, const std::vector<Linea> &lineas, const QDateTime &ahora);
    void Fracasar(const QString &texto);

    ConexionesCompra c_;
    AjustesDevolucionNC ajustes_;
    Mensajes *mensajes_;
    ConsultasCompra consultas_;
    RegistrosCompra registros_;
    Estado estado_ = Estado::SinRegistrar;
    QString error_;
    int idNota_ = 0;
    Currency ultimoTotal_;
    bool ultimaAsignada_ = false;
};
