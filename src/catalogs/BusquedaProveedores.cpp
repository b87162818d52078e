#include "catalogs/BusquedaProveedores.h"

// The typed text goes to the server whole, wider than the columns: a longer text matches
// nothing instead of being cut to match a shorter code or name.
#define TEXTO_BUSCADO(p) "cast(:" p " as varchar(8191))"

ConsultaFiltrada ConsultaCambiarProveedor(const QString &texto)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from PROVEEDORES"));
    const QString t = texto.trimmed();
    if (!t.isEmpty()) {
        c.Linea(QStringLiteral(" where NOMBRE like " TEXTO_BUSCADO("Texto")));
        c.Linea(QStringLiteral(" or COD_PROVEEDOR2 = " TEXTO_BUSCADO("COD")));
        c.Parametro(QStringLiteral("Texto"), db::Value::text(QLatin1Char('%') + t + QLatin1Char('%')));
        c.Parametro(QStringLiteral("COD"), db::Value::text(t));
    }
    c.Linea(QStringLiteral(" order by NOMBRE"));
    return c;
}

std::optional<int> MonedaAlElegirProveedor(const QString &compraMultimoneda, int tipoMoneda)
{
    if (compraMultimoneda != QLatin1String("S"))
        return std::nullopt;
    return tipoMoneda == 1 ? 1 : 2;
}

ConsultaFiltrada ConsultaSeleccionarProveedor(const QString &texto)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from PROVEEDORES"));
    if (!texto.isEmpty()) {
        c.Linea(QStringLiteral(" where NOMBRE containing " TEXTO_BUSCADO("texto")));
        c.Linea(QStringLiteral(" or COD_PROVEEDOR2 = " TEXTO_BUSCADO("cod") " "));
        c.Linea(QStringLiteral(" order by NOMBRE"));
        c.Parametro(QStringLiteral("texto"), db::Value::text(texto));
        c.Parametro(QStringLiteral("cod"), db::Value::text(texto.trimmed()));
    }
    return c;
}
