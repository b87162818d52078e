#include "data/EncabezadoReporte.h"

#include "data/Comp_fdatos.h"
#include "platform/report/Reporte.h"

QString CampoRegistro(db::Dataset *registro, const QString &campo)
{
    if (!registro || !registro->active() || registro->isEmpty() || !registro->hasField(campo))
        return QString();
    return registro->fieldByName(campo).asString();
}

void VariablesEncabezadoEmpresa(const TFDatosComp &datos, QMap<QString, QString> &v)
{
    auto empresa = [&datos](const char *campo) { return CampoRegistro(datos.DatosEmpresa, QString::fromLatin1(campo)); };
    v[QStringLiteral("Encabezado1")] = Reporte::QuotedStr(empresa("NOMBRE_EMPRESA"));
    v[QStringLiteral("Encabezado2")] =
        Reporte::QuotedStr(empresa("DIRECCION").left(100).trimmed() + QStringLiteral(" - ") + empresa("CIUDAD"));
    v[QStringLiteral("Encabezado3")] = Reporte::QuotedStr(
        CampoRegistro(datos.DatosMoneda, QStringLiteral("SIGLAS_CED_JURIDICA")) + QStringLiteral(": ") + empresa("CEDULA"));
    v[QStringLiteral("Encabezado4")] = Reporte::QuotedStr(QStringLiteral("Teléfono: ") + empresa("TELEFONO").trimmed()
                                                          + QStringLiteral("   Fax: ") + empresa("FAX").trimmed());
}
