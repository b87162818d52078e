#include "catalogs/ListadoCatalogo.h"

#include "data/Comp_fdatos.h"
#include "data/EncabezadoReporte.h"
#include "platform/VariablesHost.h"
#include "platform/db/Dataset.h"

ListadoCatalogo::ListadoCatalogo(TFDatosComp &datos) : datos_(datos), reporte_(std::make_unique<Reporte>()) {}

ListadoCatalogo::~ListadoCatalogo() = default;

Reporte &ListadoCatalogo::Preparar(db::Dataset &ds, const QString &tabla, const QString &plantilla)
{
    ds.close();
    ds.setSelectSql(QStringLiteral("select * from ") + tabla + QStringLiteral("\n order by NOMBRE"));
    ds.open();
    fuente_ = std::make_unique<FuenteDataset<db::Dataset>>(ds);
    dsReporte_.setDataSet(fuente_.get());
    reporte_->setDataSet(&dsReporte_);
    reporte_->LoadFromFile(VerVariable(QStringLiteral("PathReportes")) + plantilla);
    VariablesEncabezadoEmpresa(datos_, reporte_->Variables);
    reporte_->PrepareReport();
    return *reporte_;
}
