#include "reports/ComunReportes.h"

#include "data/Comp_fdatos.h"
#include "data/EncabezadoReporte.h"
#include "platform/VariablesHost.h"
#include "platform/db/Dataset.h"
#include "platform/report/Reporte.h"

namespace {

QVariant variante(const db::Value &v)
{
    switch (v.kind()) {
    case db::Value::Kind::Null: return QVariant();
    case db::Value::Kind::Date: return QVariant(v.asDate());
    default: return QVariant(v.asString());
    }
}

} // namespace

ConexionReportes ConexionesLecturaDatosComp(TFDatosComp &datos)
{
    return {datos.dbCorvane, datos.TransLectura, datos.dbInv, datos.TransLecturaInv};
}

AjustesReportes AjustesDeDatosComp(TFDatosComp &datos)
{
    AjustesReportes a;
    auto empresa = [&datos](const char *c) { return CampoRegistro(datos.DatosEmpresa, QString::fromLatin1(c)); };
    auto moneda = [&datos](const char *c) { return CampoRegistro(datos.DatosMoneda, QString::fromLatin1(c)); };
    a.nombreEmpresa = empresa("NOMBRE_EMPRESA");
    a.direccion = empresa("DIRECCION");
    a.ciudad = empresa("CIUDAD");
    a.cedula = empresa("CEDULA");
    a.telefono = empresa("TELEFONO");
    a.fax = empresa("FAX");
    a.siglasCedJuridica = moneda("SIGLAS_CED_JURIDICA");
    a.siglasIV = moneda("SIGLAS_IV");
    a.definicionIV = moneda("DEFINICION_IV");
    a.simboloMoneda = moneda("SIMBOLO_MONEDA");
    a.nombreMoneda = moneda("NOMBRE_MONEDA");
    a.signoMoneda2 = datos.Config(QStringLiteral("SIGNO_MONEDA2"));
    a.denominacionMoneda2 = datos.Config(QStringLiteral("DENOMINACION_MONEDA2"));
    a.pathReportes = VerVariable(QStringLiteral("PathReportes"));
    return a;
}

std::optional<Currency> ConvertirMoneda(Currency monto, Currency tasa1, Currency tasa2)
{
    if (tasa1.raw() == 0)
        return std::nullopt;
    // raw(m) * raw(t2) / raw(t1) is the result scaled by 10000.
    const __int128 num = static_cast<__int128>(monto.raw()) * tasa2.raw();
    const __int128 den = tasa1.raw();
    __int128 q = num / den;
    const __int128 r = num % den;
    const __int128 dosR = (r < 0 ? -r : r) * 2;
    const __int128 absDen = den < 0 ? -den : den;
    const bool negativo = (num < 0) != (den < 0);
    if (dosR > absDen || (dosR == absDen && (q % 2) != 0))
        q += negativo ? -1 : 1;
    if (q > INT64_MAX || q < INT64_MIN)
        ErrorImporte::FueraDeRango();
    return Currency::fromRaw(static_cast<std::int64_t>(q));
}

QString TextoMonto(Currency valor)
{
    return QString::fromStdString(valor.toString());
}

void VariablesEncabezado(const AjustesReportes &a, const QString &separadorFax, QMap<QString, QString> &v)
{
    ::VariablesEncabezado(EmpresaReporte{a.nombreEmpresa, a.direccion, a.ciudad, a.siglasCedJuridica, a.cedula, a.telefono, a.fax},
                          separadorFax, v);
}

FuenteConsulta::FuenteConsulta(std::unique_ptr<db::Query> consulta, QStringList calculados, Calculo calcular)
    : q_(std::move(consulta)), calculados_(std::move(calculados)), calculo_(std::move(calcular))
{
}

QStringList FuenteConsulta::fieldNames() const
{
    QStringList out;
    for (const auto &c : q_->columns())
        out << c.name;
    if (out.isEmpty()) {
        // Not executed yet: the names come from the statement once it runs.
        const_cast<FuenteConsulta *>(this)->first();
        for (const auto &c : q_->columns())
            out << c.name;
    }
    return out + calculados_;
}

void FuenteConsulta::first()
{
    if (abierta_ && enPrimera_)
        return;
    q_->close();
    q_->execQuery();
    abierta_ = true;
    enPrimera_ = true;
    indices_.clear();
    calcular();
}

bool FuenteConsulta::next()
{
    if (!abierta_ || q_->eof())
        return false;
    enPrimera_ = false;
    q_->next();
    calcular();
    return !q_->eof();
}

bool FuenteConsulta::eof() const
{
    return !abierta_ || q_->eof();
}

void FuenteConsulta::calcular()
{
    valores_.clear();
    if (!q_->eof() && calculo_)
        calculo_(*q_, valores_);
}

QVariant FuenteConsulta::value(const QString &fieldName) const
{
    const QString clave = fieldName.toUpper();
    auto it = valores_.constFind(clave);
    if (it != valores_.cend())
        return *it;
    auto idx = indices_.constFind(clave);
    int i;
    if (idx == indices_.cend()) {
        i = q_->fieldIndex(fieldName);
        indices_.insert(clave, i);
    } else {
        i = *idx;
    }
    if (i < 0 || q_->eof())
        return QVariant();
    return variante(q_->valueAt(i));
}
