#pragma once
// Giving back the unsold goods of a consignment. Per ticked line: the line closed (distributor
// mode) or reduced by the quantity, an outgoing stock movement, the goods taken out of stock
// (relative, article row locked, warehouse "0" then carries the stock after the return) and, in
// distributor mode, the article marked inactive and a settlement row written to the
// distributor's database. The consignment is marked returned once every line is. One unit of
// work: the store, inventory and (distributor mode) distributor update transactions are
// committed together (two-phase) or all rolled back. The consignment's header is read locked,
// so two stations returning the same lines take turns and never take the stock out twice.

#include "records/ArchivosDistribuidora.h"
#include "records/BaseDistribuidora.h"
#include "records/ConexionesCompra.h"
#include "platform/Currency.h"

#include <QDate>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Mensajes;
class TFDatosComp;

struct AjustesDevolucionConsig {
    bool sisDistribuidora = false;  // SisDistribuidora "S"
    bool actualizaExist = false;    // the store's ACTUALIZA_EXIST "S"
    int nroCaja = 0;
    QString computadora, usuario;
    Currency tipoCambio = Currency(1), tipoCambio2 = Currency(1);
    // The distributor database (distributor mode only).
    std::optional<AjustesBaseDistribuidora> distribuidora;
};

// One open line of the consignment, as the return window lists it.
struct LineaDevolucionConsig {
    int idDetalle = 0;
    QString codigo, descripcion, familia;
    Currency unitario, importeTotal;
    Currency total;       // CANTIDAD - PROCESADOS (processed taken as a whole number)
    Currency vendido;     // CANTIDAD - EXISTENCIA
    Currency existencia;  // EXISTENCIA
    QString codigoInterno, edicion;  // the article's CODIGO2 and CODIGO3
    QString comprobante;             // the consignment's voucher
    Currency cantidad;    // to give back; initially EXISTENCIA
    bool marcada = false;
};

// Every line with a positive quantity fully processed (read on the store update transaction).
bool LineasDevueltas(ConsultasCompra &consultas, int idConsignacion);

// What became of the distributor's files and e-mail after a return.
struct EnvioDevolucion {
    bool apagado = false;  // the distributor's ENVIA_REPORTES is not "S": nothing written or sent
    ArchivosGenerados archivos;
    EnvioDistribuidora envio;
    QString error;         // the files or the connection failed (nothing sent)
};

class DevolucionConsignacion {
public:
    enum class Resultado { Hecha, SinSeleccion, Invalida, Rechazada, Fallida };

    static inline const QString kSinSeleccion = QStringLiteral("No hay artículos seleccionados");
    static inline const QString kCantidadIncorrecta =
        QStringLiteral("La cantidad a devolver es incorrecta. Favor Verifique");
    static inline const QString kDevueltos =
        QStringLiteral("Los artículos seleccionados se han devuelto satisfactoriamente");
    static inline const QString kAnulada = QStringLiteral("La consignacion está anulada");
    static inline const QString kYaDevuelta = QStringLiteral("La consignacion ya fue devuelta");
    static inline const QString kMovimiento = QStringLiteral("Devolución por consignacion - Número de Consignación =");
    // A ticked line with quantity 0; `linea` counts from 1 in the order of the lines given.
    static QString TextoCantidadCero(int linea, const QString &codigo);

    DevolucionConsignacion(const ConexionesCompra &conexiones, AjustesDevolucionConsig ajustes);
    ~DevolucionConsignacion();
    DevolucionConsignacion(const DevolucionConsignacion &) = delete;
    DevolucionConsignacion &operator=(const DevolucionConsignacion &) = delete;

    // On the data module's store and inventory connections, its mode, settings, station and rates.
    static std::unique_ptr<DevolucionConsignacion> DesdeDatosComp(TFDatosComp &datos);

    // The lines still open (PROCESADOS < CANTIDAD), in line order, unticked.
    std::vector<LineaDevolucionConsig> Lineas(int idConsignacion);

    // Returns the ticked lines. Refusals and failures are shown through the messages service;
    // the success message is left to the caller (it closes the window after it).
    Resultado Devolver(int idConsignacion, const std::vector<LineaDevolucionConsig> &lineas);

    // The settlement rows of the last return (one per ticked line).
    const std::vector<FilaLiquidacion> &Liquidacion() const { return liquidacion_; }
    const QString &UltimoError() const { return error_; }

    // After a return in distributor mode: the two files written into the distributor's folder
    // and sent by e-mail (up to three attempts, each failure logged in `carpetaLog` and told to
    // `alFallar`; a send that fails them all stays queued under `carpetaLog` and goes with the
    // next one). Runs on its own connection, so it may run on a worker thread; never throws.
    EnvioDevolucion EnviarLiquidacion(const QString &carpetaLog, const std::function<void(int)> &alFallar = {},
                                      int segundos = 10) const;
    // What to tell the user about `envio`.
    static QString TextoEnvio(const EnvioDevolucion &envio);
    bool Distribuidora() const { return ajustes_.sisDistribuidora; }
    // The files of consignment `nroFactura` written again from the rows stored in the
    // distributor's database and sent once, after whatever other consignments still have
    // queued; they replace this consignment's queued sends. Never throws.
    static EnvioDevolucion ReenviarArchivos(const AjustesBaseDistribuidora &distribuidora, const QString &nroFactura,
                                            const QString &carpetaLog, int segundos = 10);

    void EstablecerMensajes(Mensajes *m) { mensajes_ = m; }
    std::function<void()> DespuesDeConfirmar;
    bool *transaccionGlobal = nullptr;

private:
    Resultado Rechazar(const QString &texto, Resultado r = Resultado::Rechazada);
    Resultado Fallo(const QString &detalle);
    void SacarDeInventario(const LineaDevolucionConsig &l, Currency cantidad);

    ConexionesCompra c_;
    AjustesDevolucionConsig ajustes_;
    Mensajes *mensajes_;
    ConsultasCompra consultas_;
    std::unique_ptr<BaseDistribuidora> dis_;
    std::vector<FilaLiquidacion> liquidacion_;
    QString error_;
};
