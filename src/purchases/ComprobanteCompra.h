#pragma once
// The purchase voucher of a posted invoice: the template, the invoice and its lines, the
// company header and the amounts, laid out and ready to preview, print or export. The same
// voucher is printed right after posting and reprinted from the browser.

#include "platform/report/FuenteDatosReporte.h"
#include "platform/report/Reporte.h"

#include <QMap>
#include <QString>

#include <memory>

class TFDatosComp;

class ComprobanteCompra {
public:
    static inline const QString kPlantilla = QStringLiteral("comp_RespaldoComprobante.fr3");

    explicit ComprobanteCompra(TFDatosComp &datos);
    ~ComprobanteCompra();
    ComprobanteCompra(const ComprobanteCompra &) = delete;
    ComprobanteCompra &operator=(const ComprobanteCompra &) = delete;

    // Lays out the voucher of invoice `idCompra`; `proveedorExento` adds the line saying no
    // tax was computed. Throws ErrorReporte / DbError.
    Reporte &Preparar(int idCompra, bool proveedorExento = false);
    Reporte &reporte() { return *reporte_; }

    // Company lines of every report header.
    static void VariablesEncabezado(TFDatosComp &datos, QMap<QString, QString> &variables);

private:
    void VariablesComprobante(QMap<QString, QString> &variables, bool proveedorExento);

    TFDatosComp &datos_;
    std::unique_ptr<Reporte> reporte_;
    ReporteDatos dsReporte_;
    std::unique_ptr<FuenteDatosReporte> fuente_;
};
