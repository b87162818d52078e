#pragma once
// The settlement ticket of a consignment return ("LIQUIDACION DE DOCUMENTOS") and the till's
// ticket output it goes to.

#include "data/EncabezadoReporte.h"
#include "platform/report/FuenteDatosReporte.h"
#include "platform/report/Reporte.h"
#include "records/ArchivosDistribuidora.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <memory>
#include <vector>

// 40 columns, CRLF lines, Latin-1: the company lines centred, the title, one block per row and
// `lineasPie` empty lines; ESC "i" on a line of its own when `cortaPapel`.
QByteArray TextoTicketLiquidacion(const EmpresaReporte &empresa, const QString &comprobante, const QDate &fecha,
                                  const std::vector<FilaLiquidacion> &filas, int lineasPie, bool cortaPapel);

// Writes `datos` to the ticket output `ruta`, overwriting it: only a character device or a
// regular file (created when missing) the user may write; anything else (a folder, a pipe, a
// socket, a block device) is refused. Throws ErrorCompras with the reason.
void EscribirSalidaTicket(const QString &ruta, const QByteArray &datos);

// The same settlement for the screen: the template inv_LiquidacionDocumentos from `carpeta`,
// one row per article (NombreArticulo, CodigoArticulo, Total, Devolucion, Diferencia,
// Facturado, Edicion, CodigoInterno, NroFactura, Fecha, Devolver), the company lines as
// Encabezado1 to Encabezado4 and Comprobante "Comprobante# " + voucher. Throws ErrorReporte.
class ReporteLiquidacion {
public:
    static inline const QString kPlantilla = QStringLiteral("inv_LiquidacionDocumentos.fr3");

    ReporteLiquidacion(const QString &carpeta, const EmpresaReporte &empresa, const QString &comprobante,
                       const std::vector<FilaLiquidacion> &filas);
    ReporteLiquidacion(const ReporteLiquidacion &) = delete;
    ReporteLiquidacion &operator=(const ReporteLiquidacion &) = delete;

    Reporte &reporte() { return *reporte_; }

private:
    TablaReporte filas_;
    ReporteDatos dsReporte_;
    std::unique_ptr<Reporte> reporte_;
};
