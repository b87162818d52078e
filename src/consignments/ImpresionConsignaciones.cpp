#include "consignments/ImpresionConsignaciones.h"

#include "data/Comp_fdatos.h"
#include "data/EncabezadoReporte.h"
#include "platform/Formato.h"
#include "platform/VariablesHost.h"
#include "platform/db/Dataset.h"
#include "platform/report/ErrorReporte.h"

namespace {

QString Dinero(Currency valor)
{
    return FormatCurrency(QStringLiteral("#,##0.00"), valor);
}

} // namespace

ImpresionConsignaciones::ImpresionConsignaciones(TFDatosComp &datos) : datos_(datos), reporte_(std::make_unique<Reporte>())
{
}

ImpresionConsignaciones::~ImpresionConsignaciones() = default;

void ImpresionConsignaciones::Preparar(db::Dataset &datos, const QString &plantilla)
{
    fuente_ = std::make_unique<FuenteDataset<db::Dataset>>(datos);
    dsReporte_.setDataSet(fuente_.get());
    reporte_->setDataSet(&dsReporte_);
    reporte_->LoadFromFile(VerVariable(QStringLiteral("PathReportes")) + plantilla);
}

Reporte &ImpresionConsignaciones::PrepararRespaldo(int id, const QString &comprobante)
{
    db::Dataset &c = *datos_.TConsigReporte;
    c.close();
    c.setSelectSql(QStringLiteral("select * from CONSIGNACIONES\n where ID_CONSIGNACION = :NFac"));
    c.paramByName(QStringLiteral("NFac")).setAsInteger(id);
    c.open();
    if (c.isEmpty())
        throw ErrorReporte(QStringLiteral("No existe la consignación %1").arg(id));

    datos_.CamposImpresion = true;
    db::Dataset &lineas = *datos_.TDetConsig;
    try {
        lineas.close();
        lineas.setSelectSql(QStringLiteral("select * from DETALLE_CONSIGNACION\n where ID_CONSIGNACION = :IdFac\n "
                                           "order by ID_DETALLE_CONSIGNACION"));
        lineas.paramByName(QStringLiteral("IdFac")).setAsInteger(id);
        lineas.open();
        Preparar(lineas, kRespaldo);
    } catch (...) {
        datos_.CamposImpresion = false;
        throw;
    }
    datos_.CamposImpresion = false;

    auto texto = [&c](const char *campo) { return c.fieldByName(QString::fromLatin1(campo)).asString(); };
    auto monto = [&c](const char *campo) { return c.fieldByName(QString::fromLatin1(campo)).asCurrency(); };
    auto q = [](const QString &t) { return Reporte::QuotedStr(t); };

    db::Query &prov = datos_.QueryL_Inv;
    prov.clearSql();
    prov.addSql(QStringLiteral("select COD_PROVEEDOR2, TIPO_MONEDA from PROVEEDORES"));
    prov.addSql(QStringLiteral("where COD_PROVEEDOR = :vProv"));
    prov.paramByName(QStringLiteral("vProv")).setAsInteger(c.fieldByName(QStringLiteral("CODIGO_PROVEEDOR")).asInteger());
    prov.execQuery();
    const QString codProveedor = prov.eof() ? QString() : prov.field(0).asString().trimmed();
    const int tipoMoneda = prov.eof() ? 1 : prov.field(1).asInteger();
    prov.close();

    QMap<QString, QString> &v = reporte_->Variables;
    VariablesEncabezadoEmpresa(datos_, v);
    v[QStringLiteral("NroFactura")] = q(comprobante);
    v[QStringLiteral("FechaCarga")] = q(texto("FECHA_CARGA"));
    v[QStringLiteral("Fecha")] = q(texto("FECHA"));
    v[QStringLiteral("DiasCredito")] = q(texto("DIAS_CREDITO"));
    v[QStringLiteral("SubTotal1")] = q(Dinero(monto("SUBTOTAL_GRAVADO") + monto("SUBTOTAL_NO_GRAVADO")));
    v[QStringLiteral("SubTotal2")] = q(Dinero(monto("TOTAL_GRAVADO") + monto("TOTAL_NO_GRAVADO")));
    v[QStringLiteral("Descuento")] = q(Dinero(monto("IMPORTE_DESCUENTO")));
    v[QStringLiteral("Impuesto")] = q(Dinero(monto("IMPORTE_IV")));
    v[QStringLiteral("Total")] = q(Dinero(monto("IMPORTE_TOTAL")));
    v[QStringLiteral("Telefono")] = q(texto("TELEFONO"));
    v[QStringLiteral("Proveedor")] = q(texto("NOMBRE"));
    v[QStringLiteral("CodProveedor")] = q(codProveedor);
    v[QStringLiteral("ImpEfectivo")] = q(Dinero(monto("IMPORTE_EFECTIVO")));
    v[QStringLiteral("ImpCredito")] = q(Dinero(monto("IMPORTE_CREDITO")));
    const QString signo1 = datos_.Config(QStringLiteral("SIGNO_MONEDA")).trimmed();
    const QString signo2 = datos_.Config(QStringLiteral("SIGNO_MONEDA2")).trimmed();
    const bool segunda = datos_.ConfigSi(QStringLiteral("COBRO_SEGUNDA_MONEDA")) && tipoMoneda != 1;
    v[QStringLiteral("vMoneda1")] = q(segunda ? QStringLiteral("N") : QStringLiteral("S"));
    v[QStringLiteral("vSigno")] = q(segunda ? signo2 : signo1);
    v[QStringLiteral("vSigno2")] = q(segunda ? signo1 : signo2);
    v[QStringLiteral("vTextoMoneda1")] = q(datos_.Config(QStringLiteral("DENOMINACION_MONEDA")).trimmed());
    v[QStringLiteral("vTextoMoneda2")] = q(datos_.Config(QStringLiteral("DENOMINACION_MONEDA2")).trimmed());
    reporte_->PrepareReport();
    return *reporte_;
}

bool ImpresionConsignaciones::PrepararListado(const QString &modo, const FiltroConsignaciones &filtro, bool moneda1)
{
    if (modo != QLatin1String("Todas") && modo != QLatin1String("Filtro"))
        return false;
    db::Dataset &filas = *datos_.TConsignaciones2;
    ListadoConsignaciones::FiltrarImpresion(filas, modo, filtro);
    Preparar(filas, kListado);

    auto q = [](const QString &t) { return Reporte::QuotedStr(t); };
    QMap<QString, QString> &v = reporte_->Variables;
    VariablesEncabezadoEmpresa(datos_, v);
    v[QStringLiteral("pblMoneda1")] = q(moneda1 ? QStringLiteral("S") : QStringLiteral("N"));
    v[QStringLiteral("vSigno")] = q(moneda1 ? CampoRegistro(datos_.DatosMoneda, QStringLiteral("SIMBOLO_MONEDA")).trimmed()
                                            : datos_.Config(QStringLiteral("SIGNO_MONEDA2")).trimmed());
    v[QStringLiteral("pblTituloDolares")] =
        q(moneda1 ? QString() : QStringLiteral(" en ") + datos_.Config(QStringLiteral("DENOMINACION_MONEDA2")).toLower());
    v[QStringLiteral("FechaIni")] = q(filtro.inicial.toString(QStringLiteral("dd/MM/yyyy")));
    v[QStringLiteral("FechaFin")] = q(filtro.final.toString(QStringLiteral("dd/MM/yyyy")));
    reporte_->PrepareReport();
    return true;
}
