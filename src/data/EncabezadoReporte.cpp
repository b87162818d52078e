#include "data/EncabezadoReporte.h"

#include "data/Comp_fdatos.h"
#include "platform/report/Reporte.h"

QString CampoRegistro(db::Dataset *registro, const QString &campo)
{
    if (!registro || !registro->active() || registro->isEmpty() || !registro->hasField(campo))
        return QString();
    return registro->fieldByName(campo).asString();
}

void VariablesEncabezado(const EmpresaReporte &e, const QString &separadorFax, QMap<QString, QString> &v)
{
    v[QStringLiteral("Encabezado1")] = Reporte::QuotedStr(e.nombre);
    v[QStringLiteral("Encabezado2")] =
        Reporte::QuotedStr(e.direccion.left(100).trimmed() + QStringLiteral(" - ") + e.ciudad);
    v[QStringLiteral("Encabezado3")] = Reporte::QuotedStr(e.siglasCedJuridica + QStringLiteral(": ") + e.cedula);
    v[QStringLiteral("Encabezado4")] =
        Reporte::QuotedStr(QStringLiteral("Teléfono: ") + e.telefono.trimmed() + separadorFax + e.fax.trimmed());
}

void VariablesEncabezadoEmpresa(const TFDatosComp &datos, QMap<QString, QString> &v)
{
    auto empresa = [&datos](const char *campo) { return CampoRegistro(datos.DatosEmpresa, QString::fromLatin1(campo)); };
    const EmpresaReporte e{empresa("NOMBRE_EMPRESA"), empresa("DIRECCION"), empresa("CIUDAD"),
                           CampoRegistro(datos.DatosMoneda, QStringLiteral("SIGLAS_CED_JURIDICA")), empresa("CEDULA"),
                           empresa("TELEFONO"), empresa("FAX")};
    VariablesEncabezado(e, QStringLiteral("   Fax: "), v);
}
