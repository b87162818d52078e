#pragma once
// The period reports and the export run headless, with the same classes the windows use.

#include "cli/PosteoCli.h"
#include "reports/ComunReportes.h"

#include <QDate>
#include <QString>

// "1".."4" or resumen, detalle, proveedor, netas; 0 when unknown.
int TipoReporteDeTexto(const QString &texto);
// yyyy-MM-dd or dd/MM/yyyy; invalid otherwise.
QDate FechaDeTexto(const QString &texto);

struct PedidoReporteCli {
    int tipo = 0;
    QDate desde, hasta;
    int moneda = 1;
    bool totales = false;
    QString pdf;
};

struct PedidoExportacionCli {
    QDate desde, hasta;
    int moneda = 1;
    bool detalle = false;
    QString xlsx;
};

ResultadoCli ReporteAPdf(const ConexionReportes &conexion, const AjustesReportes &ajustes, const PedidoReporteCli &p);
ResultadoCli ExportarALibro(const ConexionReportes &conexion, const AjustesReportes &ajustes,
                            const PedidoExportacionCli &p);
