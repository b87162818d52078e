#pragma once
// The printout of a supplier credit note (template Comp_NCred_prov): its lines and amounts,
// the store's proforma header lines, the supplier's name and phone.

#include "platform/report/FuenteDatosReporte.h"
#include "platform/report/Reporte.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace db {
class Database;
}

// What the printout takes from the store's configuration and the host.
struct EncabezadoNotaCredito {
    QStringList proforma;        // C_PROFORMA1 ... C_PROFORMA5
    QString definicionImpuesto;  // the host's tax name (DEFINICION_IV)
};

class ImpresionNotaCredito {
public:
    static inline const QString kPlantilla = QStringLiteral("Comp_NCred_prov.fr3");

    ImpresionNotaCredito();
    ~ImpresionNotaCredito();
    ImpresionNotaCredito(const ImpresionNotaCredito &) = delete;
    ImpresionNotaCredito &operator=(const ImpresionNotaCredito &) = delete;

    // Lays out note `idNota` from the template in `carpetaReportes` (ending with a separator),
    // each read in its own read transaction. Throws ErrorReporte / DbError.
    Reporte &Preparar(db::Database &tienda, db::Database &inventario, int idNota, const QString &carpetaReportes,
                      const EncabezadoNotaCredito &encabezado);
    Reporte &reporte() { return *reporte_; }

private:
    std::unique_ptr<Reporte> reporte_;
    ReporteDatos dsReporte_;
    TablaReporte lineas_;
};
