#include "purchases/BusquedaProveedores.h"

ConsultaFiltrada ConsultaCambiarProveedor(const QString &texto)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from PROVEEDORES"));
    const QString t = texto.trimmed();
    if (!t.isEmpty()) {
        c.Linea(QStringLiteral(" where NOMBRE like :Texto"));
        c.Linea(QStringLiteral(" or COD_PROVEEDOR2 = :COD"));
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
        c.Linea(QStringLiteral(" where NOMBRE containing :texto"));
        c.Linea(QStringLiteral(" or COD_PROVEEDOR2 = :cod "));
        c.Linea(QStringLiteral(" order by NOMBRE"));
        c.Parametro(QStringLiteral("texto"), db::Value::text(texto));
        c.Parametro(QStringLiteral("cod"), db::Value::text(texto.trimmed()));
    }
    return c;
}
