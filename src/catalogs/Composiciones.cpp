#include "catalogs/Composiciones.h"

#include "platform/Formato.h"
#include "platform/db/Query.h"

namespace Composiciones {

ConsultaFiltrada ConsultaComponentes(const QString &familia, const QString &texto)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from INVENTARIO"));
    c.Linea(QStringLiteral(" where COD_BARRAS <> :Reservado"));
    c.Parametro(QStringLiteral("Reservado"), db::Value::text(kArticuloReservado));
    if (!familia.isEmpty()) {
        c.Linea(QStringLiteral(" and COD_FAMILIA = :Familia"));
        c.Parametro(QStringLiteral("Familia"), db::Value::text(familia));
    }
    if (!texto.trimmed().isEmpty()) {
        // Codes must match exactly; names by substring.
        c.Linea(QStringLiteral(" and (COD_BARRAS = :Texto"));
        c.Linea(QStringLiteral(" or CODIGO2 = :Texto"));
        c.Linea(QStringLiteral(" or CODIGO3 = :Texto"));
        c.Linea(QStringLiteral(" or NOMBRE containing :Texto)"));
        c.Parametro(QStringLiteral("Texto"), db::Value::text(texto));
    }
    c.Linea(QStringLiteral(" order by NOMBRE"));
    return c;
}

ConsultaFiltrada ConsultaFraccionamientos()
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from FRACCIONAMIENTOS"));
    c.Linea(QStringLiteral(" order by PRESENTACION, ID_FRACCION"));
    return c;
}

std::vector<FraccionArticulo> FraccionesDeArticulo(db::Database &base, db::Transaction &tx, const QString &codigo)
{
    std::vector<FraccionArticulo> r;
    db::Query q(&base, &tx);
    q.setSql(QStringLiteral("select ID_FRACCION, PRESENTACION from ART_FRACCIONADOS"
                            " where COD_BARRAS = :Codigo order by PRESENTACION, ID_FRACCION"));
    q.paramByName(QStringLiteral("Codigo")).setAsString(codigo);
    q.execQuery();
    while (!q.eof()) {
        r.push_back({static_cast<int>(q.field(0).asInteger()), q.field(1).asString()});
        q.next();
    }
    q.close();
    return r;
}

std::optional<Currency> CantidadValida(const QString &texto)
{
    Currency v;
    if (texto.trimmed().isEmpty() || !ParseDecimal(texto.trimmed(), v) || v <= Currency())
        return std::nullopt;
    return v;
}

std::optional<Currency> PorcentajeValido(const QString &texto)
{
    Currency v;
    if (texto.trimmed().isEmpty())
        return Currency();
    if (!ParseDecimal(texto.trimmed(), v))
        return std::nullopt;
    return v;
}

} // namespace Composiciones
