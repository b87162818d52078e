#pragma once
// The four purchase reports of a period: summary (in full or totals only), detail with the
// invoice lines, by supplier, and net purchases (invoices less supplier credit notes), in
// the local or the second currency.
//
// Rows never go through a shared work table: the summary, detail and by-supplier reports
// read straight from the database as they print, and the net purchases are gathered in
// memory, so two workstations preparing reports at once never see each other's rows.
// Amount fields in the chosen currency carry the suffix "_M" (empty when the record's
// exchange rate is zero).

#include "reports/ComunReportes.h"
#include "platform/report/Reporte.h"

#include <QDate>

#include <memory>

enum class TipoReportePeriodo { ResumenCompras = 1, DetalleCompras = 2, ComprasProveedor = 3, ComprasNetas = 4 };

struct PedidoReportePeriodo {
    TipoReportePeriodo tipo = TipoReportePeriodo::ResumenCompras;
    QDate desde, hasta;
    int moneda = 1;        // 2: second currency
    bool totales = false;  // summary only: totals
};

class ReportesPeriodo {
public:
    static inline const QString kResumen = QStringLiteral("comp_ReporteResumenCompras.fr3");
    static inline const QString kResumenTotales = QStringLiteral("comp_ReporteResumenComprasSoloTotales.fr3");
    static inline const QString kDetalle = QStringLiteral("comp_ReporteDetalleCompras.fr3");
    static inline const QString kProveedor = QStringLiteral("comp_ReporteComprasProveedor.fr3");
    static inline const QString kNetas = QStringLiteral("comp_ReporteComprasNetas.fr3");

    ReportesPeriodo(const ConexionReportes &conexion, AjustesReportes ajustes);
    ~ReportesPeriodo();
    ReportesPeriodo(const ReportesPeriodo &) = delete;
    ReportesPeriodo &operator=(const ReportesPeriodo &) = delete;

    // Loads the template, sets its variables and lays the report out. Throws ErrorReporte,
    // DbError, ErrorImporte.
    Reporte &Preparar(const PedidoReportePeriodo &pedido);
    Reporte &reporte() { return *reporte_; }

    static QString Titulo(TipoReportePeriodo tipo);
    // The statements the reports read, parameters :FechaIni and :FechaFin.
    static QString SentenciaFacturas(bool conAnuladas, const QString &orden);
    static QString SentenciaDetalle();

private:
    void VariablesComunes(const PedidoReportePeriodo &p, QMap<QString, QString> &v) const;
    std::unique_ptr<FuenteDatosReporte> FuenteFacturas(const PedidoReportePeriodo &p, bool conAnuladas,
                                                       const QString &orden);
    std::unique_ptr<FuenteDatosReporte> FuenteDetalle(const PedidoReportePeriodo &p);
    std::unique_ptr<FuenteDatosReporte> FuenteNetas(const PedidoReportePeriodo &p);
    void Totales(const PedidoReportePeriodo &p, QMap<QString, QString> &v);

    ConexionReportes c_;
    AjustesReportes a_;
    std::unique_ptr<Reporte> reporte_;
    ReporteDatos dsReporte_;
    std::unique_ptr<FuenteDatosReporte> fuente_;
};
