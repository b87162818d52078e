#include "catalogs/BusquedaBodegas.h"

ConsultaFiltrada ConsultaBodegas(const QString &texto)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from BODEGAS"));
    const QString t = texto.trimmed();
    if (!t.isEmpty()) {
        c.Linea(QStringLiteral(" where (COD_BODEGA = :Texto"));
        c.Linea(QStringLiteral(" or DESCRIPCION containing :Texto)"));
        c.Parametro(QStringLiteral("Texto"), db::Value::text(t));
    } else {
        c.Linea(QStringLiteral(" where COD_BODEGA <> :bodprin"));
        c.Parametro(QStringLiteral("bodprin"), db::Value::text(kBodegaPrincipal));
    }
    c.Linea(QStringLiteral(" order by DESCRIPCION"));
    return c;
}

std::optional<DestinoCompra> DestinoElegido(bool principal, db::Dataset &bodegas)
{
    if (principal)
        return DestinoCompra{kBodegaPrincipal, kNombreInventarioPrincipal, true};
    if (!bodegas.active() || bodegas.isEmpty())
        return std::nullopt;
    const QString codigo = bodegas.fieldByName(QStringLiteral("COD_BODEGA")).asString();
    return DestinoCompra{codigo, bodegas.fieldByName(QStringLiteral("DESCRIPCION")).asString(),
                         codigo == kBodegaPrincipal};
}
