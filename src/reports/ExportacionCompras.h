#pragma once
// Export of the purchase invoices of a period to a workbook: a summary (one row per invoice
// and a totals row) or the detail (one block per invoice with its lines and totals), in the
// local currency or converted to the second one.
//
// Lines are read with their invoice by ID_COMPRA, so invoices of different suppliers that
// share a number keep their own lines. A record whose exchange rate is zero cannot be
// converted: its amounts are written as empty cells and the row carries a note.

#include "reports/ComunReportes.h"
#include "platform/workbook/TmxNativeExcel.h"

#include <QDate>
#include <QString>

#include <functional>

class Mensajes;

struct PedidoExportacion {
    QDate desde, hasta;
    bool detalle = false;
    int moneda = 1;    // 2: second currency
    QString archivo;   // as chosen; ".xlsx" is added when it has no extension
    // The dates as the window shows them (dd/MM/yyyy when empty).
    QString textoDesde, textoHasta;
};

class ExportacionCompras {
public:
    static inline const QString kNotaSinTipoCambio =
        QStringLiteral("Tipo de cambio en cero: importe sin convertir");

    ExportacionCompras(const ConexionReportes &conexion, AjustesReportes ajustes, Mensajes &mensajes);

    // Writes the workbook and shows the success message naming the file as written; returns
    // that name. Throws ErrorLibro (file not written), DbError, ErrorImporte; nothing is shown then.
    QString Exportar(const PedidoExportacion &pedido);

    // Progress over the invoices: called with the number of invoices, then after each one.
    std::function<void(int maximo)> AlIniciar;
    std::function<void(int actual)> AlAvanzar;

    // The writer of the last export; its cells went straight to the file, so Libro() is empty.
    const TmxNativeExcel &Excel() const { return excel_; }
    // Cells left empty for want of an exchange rate in the last export.
    int CeldasSinConvertir() const { return sinConvertir_; }

    // The detail's statement, parameters :fecha1 and :fecha2.
    static QString SentenciaDetalle();

private:
    void Inicio(const PedidoExportacion &p);
    int ContarFacturas(const PedidoExportacion &p);
    void ReporteResumido(const PedidoExportacion &p);
    void ReporteDetallado(const PedidoExportacion &p);
    // Writes the amount (converted when asked) or an empty cell; false when it was left empty.
    bool EscribirMonto(int fila, int columna, Currency monto, Currency tasa1, Currency tasa2);

    ConexionReportes c_;
    AjustesReportes a_;
    Mensajes &mensajes_;
    TmxNativeExcel excel_;
    int moneda_ = 1;
    int sinConvertir_ = 0;
};
