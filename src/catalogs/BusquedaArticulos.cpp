#include "catalogs/BusquedaArticulos.h"

#include "platform/ArchivoIni.h"
#include "data/Comp_fdatos.h"

QString BusquedaArticulos::ArticuloInactivo()
{
    const ArchivoIni ini(TFDatosComp::CarpetaIni() + QStringLiteral("/datos.ini"));
    return ini.LeerTexto(QStringLiteral("Functions"), QStringLiteral("ArticuloInactivo"), QStringLiteral("S")).trimmed();
}

ConsultaFiltrada BusquedaArticulos::Consulta(const QString &texto, const QString &origen, bool ocultarInactivos)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from INVENTARIO where 1=1"));
    const QString t = texto.trimmed();
    if (!t.isEmpty()) {
        c.Parametro(QStringLiteral("Texto"), db::Value::text(QLatin1Char('%') + t + QLatin1Char('%')));
        if (t.size() >= kLargoSoloNombre) {
            c.Linea(QStringLiteral(" and NOMBRE like :Texto"));
        } else {
            c.Linea(QStringLiteral(" and (COD_BARRAS like :Texto"));
            c.Linea(QStringLiteral(" or CODIGO2 like :Texto"));
            c.Linea(QStringLiteral(" or CODIGO3 like :Texto"));
            c.Linea(QStringLiteral(" or NOMBRE like :Texto)"));
        }
    }
    // Composite articles are never bought, whatever the text (an emptied field included).
    if (origen == OrigenCompra) {
        c.Linea(QStringLiteral("and compuesto <> :compuesto"));
        c.Parametro(QStringLiteral("compuesto"), db::Value::text(QStringLiteral("S")));
    }
    if (ocultarInactivos)
        c.Linea(QStringLiteral(" and ARTICULO_INACTIVO='N'"));
    c.Linea(QStringLiteral(" order by NOMBRE"));
    return c;
}

void BusquedaArticulos::Filtrar(db::Dataset &ds, const QString &texto, const QString &origen)
{
    Consulta(texto, origen, OcultarInactivos()).Abrir(ds);
}

bool BusquedaArticulos::FiltrarAlEscribir(db::Dataset &ds, const QString &texto, const QString &origen)
{
    const QString t = texto.trimmed();
    const bool ocultar = OcultarInactivos();
    // %longer% can only match what %shorter% matched when the longer text contains the shorter
    // one (wildcards typed included); the list still open must be the one this search left.
    if (hayVacio_ && !t.isEmpty() && t.contains(vacioTexto_) && origen == vacioOrigen_ && ocultar == vacioOcultar_ &&
        ds.active() && ds.isEmpty() && ds.selectSql() == vacioSql_ &&
        ds.paramByName(QStringLiteral("Texto")).value() == vacioPatron_)
        return false;
    Consulta(t, origen, ocultar).Abrir(ds);
    hayVacio_ = !t.isEmpty() && ds.isEmpty();
    if (hayVacio_) {
        vacioTexto_ = t;
        vacioOrigen_ = origen;
        vacioOcultar_ = ocultar;
        vacioSql_ = ds.selectSql();
        vacioPatron_ = ds.paramByName(QStringLiteral("Texto")).value();
    }
    return true;
}

QString BusquedaArticulos::CodigoElegido(db::Dataset &ds)
{
    if (!ds.active() || ds.isEmpty())
        return QString();
    return ds.fieldByName(QStringLiteral("COD_BARRAS")).asString();
}

bool BusquedaArticulos::CaracterDeBusqueda(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'ñ' ||
           u == u'Ñ' || u == u'-' || u == u'.' || u == u'/';
}
