#pragma once
// The printout of a catalogue (families, units, locations): every row by name under the
// company header, from the template named in the folder of PathReportes.

#include "platform/report/FuenteDatosReporte.h"
#include "platform/report/Reporte.h"

#include <memory>

class TFDatosComp;
namespace db {
class Dataset;
}

inline const QString kPlantillaFamilias = QStringLiteral("inv_Familias.fr3");

class ListadoCatalogo {
public:
    explicit ListadoCatalogo(TFDatosComp &datos);
    ~ListadoCatalogo();
    // Opens `ds` on "select * from <tabla> order by NOMBRE" and prepares the report.
    // Throws ErrorReporte (missing template) or DbError.
    Reporte &Preparar(db::Dataset &ds, const QString &tabla, const QString &plantilla);

private:
    TFDatosComp &datos_;
    std::unique_ptr<Reporte> reporte_;
    std::unique_ptr<FuenteDatosReporte> fuente_;
    ReporteDatos dsReporte_{QStringLiteral("dsReporte")};
};
