#pragma once
// The settlement ticket of a consignment return ("LIQUIDACION DE DOCUMENTOS") and the till's
// ticket output it goes to.

#include "data/EncabezadoReporte.h"
#include "records/ArchivosDistribuidora.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <vector>

// 40 columns, CRLF lines, Latin-1: the company lines centred, the title, one block per row and
// `lineasPie` empty lines; ESC "i" on a line of its own when `cortaPapel`.
QByteArray TextoTicketLiquidacion(const EmpresaReporte &empresa, const QString &comprobante, const QDate &fecha,
                                  const std::vector<FilaLiquidacion> &filas, int lineasPie, bool cortaPapel);

// Writes `datos` to the ticket output `ruta`, overwriting it: only a character device or a
// regular file (created when missing) the user may write; anything else (a folder, a pipe, a
// socket, a block device) is refused. Throws ErrorCompras with the reason.
void EscribirSalidaTicket(const QString &ruta, const QByteArray &datos);
