#include "platform/db/ConsultaFiltrada.h"

ConsultaFiltrada &ConsultaFiltrada::Linea(const QString &linea)
{
    lineas << linea;
    return *this;
}

ConsultaFiltrada &ConsultaFiltrada::Parametro(const QString &nombre, const db::Value &valor)
{
    parametros.emplace_back(nombre, valor);
    return *this;
}

bool ConsultaFiltrada::TieneParametro(const QString &nombre) const
{
    for (const auto &p : parametros)
        if (p.first.compare(nombre, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

db::Value ConsultaFiltrada::ValorParametro(const QString &nombre) const
{
    for (const auto &p : parametros)
        if (p.first.compare(nombre, Qt::CaseInsensitive) == 0)
            return p.second;
    return db::Value();
}

void ConsultaFiltrada::Abrir(db::Dataset &ds) const
{
    ds.close();
    ds.setSelectSql(Sql());
    for (const auto &p : parametros)
        ds.paramByName(p.first).setValue(p.second);
    ds.open();
}
