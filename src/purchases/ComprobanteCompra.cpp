#include "purchases/ComprobanteCompra.h"

#include "data/Comp_fdatos.h"
#include "platform/Formato.h"
#include "platform/VariablesHost.h"
#include "platform/db/Dataset.h"
#include "platform/report/ErrorReporte.h"
#include "reports/ComunReportes.h"

namespace {

QString campoRegistro(db::Dataset *registro, const QString &campo)
{
    if (!registro || !registro->active() || registro->isEmpty() || !registro->hasField(campo))
        return QString();
    return registro->fieldByName(campo).asString();
}

QString dinero(Currency valor)
{
    return FormatCurrency(QStringLiteral("#,##0.00"), valor);
}

// Raises the data module's printing fields (code 2, unit) while it lives.
class CamposDeImpresion {
public:
    explicit CamposDeImpresion(TFDatosComp &datos) : datos_(datos) { datos_.CamposImpresion = true; }
    ~CamposDeImpresion() { datos_.CamposImpresion = false; }
    CamposDeImpresion(const CamposDeImpresion &) = delete;
    CamposDeImpresion &operator=(const CamposDeImpresion &) = delete;

private:
    TFDatosComp &datos_;
};

} // namespace

ComprobanteCompra::ComprobanteCompra(TFDatosComp &datos) : datos_(datos), reporte_(std::make_unique<Reporte>()) {}

ComprobanteCompra::~ComprobanteCompra() = default;

Reporte &ComprobanteCompra::Preparar(int idCompra, bool proveedorExento)
{
    // Lines look their sale price up in the whole inventory.
    datos_.TInventario2->close();
    datos_.TInventario2->setSelectSql(QStringLiteral("select * from INVENTARIO"));
    datos_.TInventario2->open();

    db::Dataset &factura = *datos_.TFacCompraReporte;
    factura.close();
    factura.setSelectSql(QStringLiteral("select * from FACTURAS_COMPRA\n where ID_COMPRA = :NFac"));
    factura.paramByName(QStringLiteral("NFac")).setAsInteger(idCompra);
    factura.open();
    if (factura.isEmpty())
        throw ErrorReporte(QStringLiteral("No existe la factura de compra %1").arg(idCompra));

    const CamposDeImpresion campos(datos_);
    db::Dataset &lineas = *datos_.TDetCom;
    lineas.close();
    lineas.setSelectSql(
        QStringLiteral("select * from DETALLE_FACTURAS_COMPRA\n where ID_COMPRA = :IdFac\n order by ID_DETALLE_FACTURA"));
    lineas.paramByName(QStringLiteral("IdFac")).setAsInteger(idCompra);
    lineas.open();

    fuente_ = std::make_unique<FuenteDataset<db::Dataset>>(lineas);
    dsReporte_.setDataSet(fuente_.get());
    reporte_->setDataSet(&dsReporte_);
    reporte_->LoadFromFile(VerVariable(QStringLiteral("PathReportes")) + kPlantilla);
    VariablesComprobante(reporte_->Variables, proveedorExento);
    reporte_->PrepareReport();
    return *reporte_;
}

void ComprobanteCompra::VariablesEncabezado(TFDatosComp &datos, QMap<QString, QString> &v)
{
    ::VariablesEncabezado(AjustesDeDatosComp(datos), QStringLiteral("   Fax: "), v);
}

void ComprobanteCompra::VariablesComprobante(QMap<QString, QString> &v, bool proveedorExento)
{
    db::Dataset &f = *datos_.TFacCompraReporte;
    auto texto = [&f](const char *campo) { return f.fieldByName(QString::fromLatin1(campo)).asString(); };
    auto monto = [&f](const char *campo) { return f.fieldByName(QString::fromLatin1(campo)).asCurrency(); };
    auto q = [](const QString &t) { return Reporte::QuotedStr(t); };

    const Currency subTotal1 = monto("SUBTOTAL_GRAVADO") + monto("SUBTOTAL_NO_GRAVADO");
    const Currency subTotal2 = monto("TOTAL_GRAVADO") + monto("TOTAL_NO_GRAVADO");

    db::Query &prov = datos_.QueryL_Inv;
    prov.clearSql();
    prov.addSql(QStringLiteral("select COD_PROVEEDOR2 from PROVEEDORES"));
    prov.addSql(QStringLiteral("where COD_PROVEEDOR = :vProv"));
    prov.paramByName(QStringLiteral("vProv")).setAsInteger(f.fieldByName(QStringLiteral("CODIGO_PROVEEDOR")).asInteger());
    prov.execQuery();
    const QString codProveedor = prov.eof() ? QString() : prov.field(0).asString().trimmed();
    prov.close();

    const bool monedaLocal = f.fieldByName(QStringLiteral("MONEDA_CARGA")).asInteger() == 1;
    // Amounts are stored in local currency whatever the document was typed in: they print under
    // the local sign; the currency line says what the document was entered in.
    const QString signoLocal = campoRegistro(datos_.DatosMoneda, QStringLiteral("SIMBOLO_MONEDA"));
    const QString signoDocumento = monedaLocal ? signoLocal : datos_.Config(QStringLiteral("SIGNO_MONEDA2"));

    VariablesEncabezado(datos_, v);
    v[QStringLiteral("vLabelProveedor")] =
        q(proveedorExento ? QStringLiteral("No se calcularon los impuestos respectivos por ser el proveedor exento.")
                          : QString());
    v[QStringLiteral("NroFactura")] = q(texto("COMPROBANTE"));
    v[QStringLiteral("FechaCarga")] = q(texto("FECHA_CARGA"));
    v[QStringLiteral("Fecha")] = q(texto("FECHA"));
    v[QStringLiteral("DiasCredito")] = q(texto("DIAS_CREDITO"));
    v[QStringLiteral("SubTotal1")] = q(dinero(subTotal1));
    v[QStringLiteral("SubTotal2")] = q(dinero(subTotal2));
    v[QStringLiteral("Descuento")] = q(dinero(monto("IMPORTE_DESCUENTO")));
    v[QStringLiteral("Impuesto")] = q(dinero(monto("IMPORTE_IV")));
    v[QStringLiteral("Total")] = q(dinero(monto("IMPORTE_TOTAL")));
    v[QStringLiteral("Telefono")] = q(texto("TELEFONO"));
    v[QStringLiteral("Proveedor")] = q(texto("NOMBRE"));
    v[QStringLiteral("CodProveedor")] = q(codProveedor);
    v[QStringLiteral("ImpEfectivo")] = q(dinero(monto("IMPORTE_EFECTIVO")));
    v[QStringLiteral("ImpCheque")] = q(dinero(monto("IMPORTE_CHEQUE")));
    v[QStringLiteral("ImpCredito")] = q(dinero(monto("IMPORTE_CREDITO")));
    v[QStringLiteral("NumCheque")] = q(texto("NUMERO_CHEQUE"));
    v[QStringLiteral("DefinicionIVPais")] =
        q(campoRegistro(datos_.DatosMoneda, QStringLiteral("DEFINICION_IV")) + QStringLiteral(": "));
    v[QStringLiteral("vMoneda1")] = q(monedaLocal ? QStringLiteral("S") : QStringLiteral("N"));
    v[QStringLiteral("vSigno")] = q(signoLocal.trimmed());
    v[QStringLiteral("vSigno2")] = q(signoDocumento.trimmed());
    v[QStringLiteral("vTextoMoneda1")] = q(campoRegistro(datos_.DatosMoneda, QStringLiteral("NOMBRE_MONEDA")).trimmed());
    v[QStringLiteral("vTextoMoneda2")] = q(datos_.Config(QStringLiteral("DENOMINACION_MONEDA2")).trimmed());
}
