#pragma once
// The consignment printouts: a consignment's receipt voucher (comp_RespaldoConsignacion) and
// the list of consignments of a period or of the browser's filter in either currency
// (comp_Consignaciones), laid out and ready to preview, print or export.

#include "consignments/ListadoConsignaciones.h"
#include "platform/report/FuenteDatosReporte.h"
#include "platform/report/Reporte.h"

#include <QString>

#include <memory>

class TFDatosComp;

class ImpresionConsignaciones {
public:
    static inline const QString kRespaldo = QStringLiteral("comp_RespaldoConsignacion.fr3");
    static inline const QString kListado = QStringLiteral("comp_Consignaciones.fr3");
    static inline const QString kSinDatos = QStringLiteral("No existen datos a imprimir");

    explicit ImpresionConsignaciones(TFDatosComp &datos);
    ~ImpresionConsignaciones();
    ImpresionConsignaciones(const ImpresionConsignaciones &) = delete;
    ImpresionConsignaciones &operator=(const ImpresionConsignaciones &) = delete;

    // The voucher of consignment `idConsignacion`, in the second currency when the store charges
    // in it and the supplier's TIPO_MONEDA is not 1. Throws ErrorReporte / DbError.
    Reporte &PrepararRespaldo(int idConsignacion, const QString &comprobante);
    // modo "Todas" (the filter's period) or "Filtro" (the browser's filter); `moneda1`: in the
    // first currency. Any other mode prints nothing (false).
    bool PrepararListado(const QString &modo, const FiltroConsignaciones &filtro, bool moneda1);
    Reporte &reporte() { return *reporte_; }

private:
    void Preparar(db::Dataset &datos, const QString &plantilla);

    TFDatosComp &datos_;
    std::unique_ptr<Reporte> reporte_;
    ReporteDatos dsReporte_;
    std::unique_ptr<FuenteDatosReporte> fuente_;
};
