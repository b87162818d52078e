#pragma once
// The two files a consignment return leaves for the distributor ("Devol" + N + ".txt", and
// "Merma" + N + ".txt" when some article's count differs) and the e-mail that carries them.
//
// Layout (Latin-1, CRLF lines): the title line
//   Cliente;bipad,;ed;devolución;fecha;referencia;RTN;Apply;TransCode
// then one line per row, nine fields joined by "," with a trailing ",":
//   terminal, bipad (a book's own code, otherwise the distributor's internal code), edition,
//   quantity (return file: the returned quantity; shrinkage file: the difference), date,
//   consignment number, "RTN", "Y" (return) or "N" (shrinkage), "1".
// The shrinkage file lists only the rows whose difference is below zero.

#include "platform/Correo.h"
#include "platform/ErrorCompras.h"

#include <QString>

#include <functional>

#include <vector>

class ErrorArchivoDistribuidora : public ErrorCompras {
public:
    using ErrorCompras::ErrorCompras;
};

// One returned article of a settlement (a TB_ARCHIVOS_GENERADOS row).
struct FilaLiquidacion {
    QString nombreArticulo, codigoArticulo;
    double total = 0, devolucion = 0, diferencia = 0, facturado = 0;
    QString edicion, codigoInterno, nroFactura;
    QString fecha;     // "mm/dd/yy" as the settlement wrote it
    QString devolver;  // the line's total, as text
    bool esLibro = false;  // the article's supplier has COD_PROVEEDOR2 "2000"
};

// How quantities are written: the return's own files write the returned quantity as a number
// and the difference as an amount (four decimals at most); a resend from the stored rows writes
// both as general numbers (up to 15 significant digits).
enum class CantidadesArchivo { Devolucion, Reenvio };

inline const QString kTituloArchivoDistribuidora =
    QStringLiteral("Cliente;bipad,;ed;devolución;fecha;referencia;RTN;Apply;TransCode");

// The returned quantity is a plain number in both modes.
QByteArray ContenidoDevol(const QString &terminal, const std::vector<FilaLiquidacion> &filas);
QByteArray ContenidoMerma(const QString &terminal, const std::vector<FilaLiquidacion> &filas, CantidadesArchivo modo);
// Some row's difference is not zero: the shrinkage file is written.
bool HayDiferencias(const std::vector<FilaLiquidacion> &filas);

struct ArchivosGenerados {
    QString devol;
    QString merma;  // "" when not written
};

// Writes the files of consignment `numero` into `carpeta` (DIRECCION_REPORTES, used as given,
// so it ends with a separator), each under a temporary name and then renamed. Throws
// ErrorArchivoDistribuidora; a file that could not be completed is never left behind.
ArchivosGenerados EscribirArchivosDistribuidora(const QString &carpeta, const QString &numero, const QString &terminal,
                                               const std::vector<FilaLiquidacion> &filas, CantidadesArchivo modo);

// The distributor's mail settings (table CONFIG).
struct ConfigCorreoDistribuidora {
    QString smtpServer, usuario, clave;
    int puerto = 25;
    QString correoSalida;
    QString correos[5];
    bool recibeMerma[5] = {false, false, false, false, false};
    bool enviaReportes = false;  // ENVIA_REPORTES "S"
    QString direccionReportes, codigoTerminal;
};

inline const QString kAsuntoDiferencias = QStringLiteral("Reporte de Diferencias de devolución de Consignación");
inline const QString kAsuntoDevolucion = QStringLiteral("Reporte de devolución de Consignación");

// The e-mail carrying `archivos`: to each address flagged to receive it, subject by whether
// the shrinkage file is there, shrinkage file first.
MensajeCorreo CorreoDistribuidora(const ConfigCorreoDistribuidora &config, const ArchivosGenerados &archivos);
ServidorCorreo ServidorDistribuidora(const ConfigCorreoDistribuidora &config, int segundos = 10);

// What became of one sending of the distributor's files.
struct EnvioDistribuidora {
    bool enviado = false;
    bool encolado = false;   // failed every attempt and kept for a later resend
    int intentos = 0;
    QString error;           // the last attempt's error
    int reenviadosDeCola = 0;  // earlier queued sends delivered first
    int pendientesEnCola = 0;  // still queued afterwards (this one included)
};

// What to do with queued sends of the same consignment's files.
enum class PendientesMismosArchivos {
    Enviar,      // each is sent before these files (a return's own files hold only its lines)
    Reemplazar,  // these files hold every stored line, so they stand for the queued ones
};

// Sends the files (earlier queued sends first, once each), up to `intentos` attempts, each
// failure logged in `carpetaLog` + NombreLogEnvio() with the password masked and reported to
// `alFallar(intento)`; a send that fails them all is queued in `cola`, so it is never lost.
// Replaced queued sends leave the queue only once these files were sent or queued.
EnvioDistribuidora EnviarArchivosDistribuidora(const ConfigCorreoDistribuidora &config, const ArchivosGenerados &archivos,
                                               const QString &carpetaLog, ColaCorreo &cola, int intentos = 3,
                                               const std::function<void(int)> &alFallar = {}, int segundos = 10,
                                               PendientesMismosArchivos mismos = PendientesMismosArchivos::Enviar);
