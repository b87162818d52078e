#pragma once
// Import of the invoices the head office issues to this store.
//
// Reads the head office's sales database (its own attachments, credentials from settings),
// marks which invoices are already recorded locally, and records one invoice as a purchase of
// the head-office supplier: header, supplier account for the credit part, lines, stock
// movements, stock and average cost, and quantity differences. Recording is one unit of work
// over the store and inventory databases, committed together; any failure leaves both as
// they were.

#include "records/ConexionesCompra.h"
#include "records/RegistrosCompra.h"
#include "platform/Currency.h"
#include "platform/ErrorCompras.h"

#include <QDate>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class Mensajes;
class TFDatosComp;

namespace db {
class Database;
class Transaction;
}

// A head office that cannot be reached or read.
class ErrorCentral : public ErrorCompras {
public:
    using ErrorCompras::ErrorCompras;
};

// iniGestionCentral.ini, section [datos].
struct AjustesCentral {
    int codProveedor = 999;       // codprovee: PROVEEDORES.COD_PROVEEDOR2 of the head office
    QString rutaPrincipal;        // pcentral
    QString rutaVentas;           // pcenventas
    QString usuarioPrincipal, clavePrincipal;  // usuariocentral, clavecentral
    QString usuarioVentas, claveVentas;        // usuarioventas, claveventas
    QString direccionInternet;    // urlinternet: empty skips the internet test
    int segundosEspera = 10;      // espera: limit of each connection attempt and each head-office read

    // Missing paths fall back to `rutaRespaldo` (the host's head-office database), missing
    // users to "SYSDBA" with no password (accepted only by the embedded engine).
    static AjustesCentral DesdeIni(const QString &ruta, const QString &rutaRespaldo = QString());
};

// Why nothing can be recorded when no local supplier has the head office's code.
QString TextoSinProveedorCentral(int codProveedor);

// "***" and the store number with at least three digits: 7 gives "***007".
QString CodigoTiendaCentral(int nroTienda);

// True when a TCP connection to the address's host and port (80 by default, 443 for https)
// opens within `segundos`.
bool HayConexion(const QString &direccion, int segundos);

struct FacturaCentral {
    QDate fecha;
    QString comprobante;
    Currency importeIv, importeTotal, importeCredito, importeEfectivo, importeDeposito;
    int diasCredito = 0;
    Currency tipoCambio, tipoCambio2;
    int nroCaja = 0;
    QString estado = QStringLiteral("N");  // "S" recorded locally
};

struct LineaCentral {
    QString codigo, descripcion;
    Currency cantidad, recibida;
    Currency importeUnitario, importeTotal, importeCosto;
    QDate fecha;
    QString comprobante;
    Currency tipoCambio, tipoCambio2;
    int nroCaja = 0;
    QString fraccionado = QStringLiteral("N");
    int idFraccion = 0;
    double fraccion = 0;
    QString compuesto = QStringLiteral("N");
};

// What the list shows: dates (both valid and in order), voucher prefix, state, order.
struct FiltroCentral {
    enum class Tipo { Todas, Procesadas, NoProcesadas };
    enum class Orden { Fecha, Comprobante, ImporteTotal };
    QDate desde, hasta;
    QString comprobante;
    Tipo tipo = Tipo::Todas;
    Orden orden = Orden::Fecha;
};
std::vector<const FacturaCentral *> FiltrarFacturasCentral(const std::vector<FacturaCentral> &facturas,
                                                           const FiltroCentral &filtro);

struct ProveedorCentral {
    bool encontrado = false;
    int codigo = 0;
    QString nombre;
};

class ImportacionCentral {
public:
    enum class Estado { SinRegistrar, Registrada, YaRegistrada, SinProveedor, Fallida };

    ImportacionCentral(const ConexionesCompra &local, AjustesCentral ajustes);
    ~ImportacionCentral();
    ImportacionCentral(const ImportacionCentral &) = delete;
    ImportacionCentral &operator=(const ImportacionCentral &) = delete;

    // On the data module's store and inventory connections, with iniGestionCentral.ini from its
    // INI folder (the host variable BaseCentral as the fallback path).
    static std::unique_ptr<ImportacionCentral> DesdeDatosComp(TFDatosComp &datos);

    const AjustesCentral &Ajustes() const { return ajustes_; }

    // Attaches both head-office databases; ErrorCentral with a Spanish text on failure.
    void Conectar();
    bool Conectada() const;

    // The local supplier whose COD_PROVEEDOR2 is the configured code.
    ProveedorCentral IdentificarProveedor();

    // The head office's invoices to store `nroTienda`, ordered by voucher, each marked "S" when
    // the head-office supplier already has a local invoice with that voucher.
    std::vector<FacturaCentral> ListarFacturas(int nroTienda, const ProveedorCentral &proveedor);
    // The invoice's lines, received quantity = invoiced.
    std::vector<LineaCentral> LeerLineas(const QString &comprobante);

    // Records the invoice; the new ID_COMPRA, or 0 (see EstadoUltimo and UltimoError).
    int Registrar(const FacturaCentral &factura, const std::vector<LineaCentral> &lineas,
                  const ProveedorCentral &proveedor, int nroTienda, const QString &usuario);
    Estado EstadoUltimo() const { return estado_; }
    const QString &UltimoError() const { return error_; }

    // Runs before each write step (tests inject failures here).
    std::function<void(const char *paso)> AntesDeEscribir;

private:
    void Escribir(const FacturaCentral &f, const std::vector<LineaCentral> &lineas, const ProveedorCentral &p,
                  int nroTienda, const QString &usuario);
    void Paso(const char *nombre);

    ConexionesCompra c_;
    AjustesCentral ajustes_;
    // Reads from the head office's sales database within the configured time limit; on time-out
    // both head-office connections are dropped (Conectada() becomes false).
    template <class F>
    auto LeerDeVentas(const QString &queLee, F trabajo);

    std::shared_ptr<db::Database> principal_, ventas_;
    ConsultasCompra consultas_;
    RegistrosCompra registros_;
    Estado estado_ = Estado::SinRegistrar;
    QString error_;
    int idCompra_ = 0;
};
