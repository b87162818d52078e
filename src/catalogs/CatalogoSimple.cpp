#include "catalogs/CatalogoSimple.h"

#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

const DefCatalogo &DefUnidades()
{
    static const DefCatalogo d{
        TablaCatalogo::UnidadMedida,
        QStringLiteral("UNIDAD_MEDIDA"),
        QStringLiteral("COD_UNIDAD"),
        QStringLiteral("Unidades de Medida"),
        QStringLiteral("Unidad de Medida"),
        QStringLiteral("Buscar Unidad De Medida"),
        QStringLiteral("Unidad de Medida"),
        {{QStringLiteral("NOMBRE"), QStringLiteral(" Nombre")},
         {QStringLiteral("UNIDAD"), QStringLiteral("Unidad")},
         {QStringLiteral("NOTA"), QStringLiteral(" Observaciones")}},
        QStringLiteral("venUniMed"),
        QStringLiteral("UNIMED_AGREGAR"),
        QStringLiteral("UNIMED_MODIFICAR"),
        QStringLiteral("UNIMED_ELIMINAR"),
        QStringLiteral("UNIMED_IMPRIMIR"),
        QStringLiteral("Realmente desea eliminar la unidad de medida "),
        QStringLiteral("inv_UniMed.fr3"),
        QStringLiteral("Por favor digite el Nombre de la Unidad"),
        QStringLiteral("Debe seleccionar una Unidad"),
        true,
        true,
        QStringLiteral("frmUnidadMedida"),
        QStringLiteral("frmFichaUniMed"),
        QStringLiteral("frmBuscarUniMed"),
        QStringLiteral("la unidad de medida"),
    };
    return d;
}

const DefCatalogo &DefUbicaciones()
{
    static const DefCatalogo d{
        TablaCatalogo::Ubicacion,
        QStringLiteral("UBICACION"),
        QStringLiteral("COD_UBICACION"),
        QStringLiteral("Ubicaciones"),
        QStringLiteral("Datos de Ubicación"),
        QStringLiteral("Buscar Ubicación"),
        QStringLiteral("Ubicación"),
        {{QStringLiteral("NOMBRE"), QStringLiteral(" Ubicación")}, {QStringLiteral("NOTA"), QStringLiteral("Nota")}},
        QStringLiteral("venUbicaciones"),
        QStringLiteral("UBICA_AGREGAR"),
        QStringLiteral("UBICA_MODIFICAR"),
        QStringLiteral("UBICA_ELIMINAR"),
        QStringLiteral("UBICA_IMPRIMIR"),
        QStringLiteral("Realmente desea eliminar la Ubicación "),
        QStringLiteral("inv_Ubicaciones.fr3"),
        QStringLiteral("Por favor digite el Nombre de la Ubicación"),
        QStringLiteral("Debe seleccionaun una Ubicación"),
        false,
        false,
        QStringLiteral("frmUbicaciones"),
        QStringLiteral("frmFichaUbicacion"),
        QStringLiteral("frmBuscarUbicacion"),
        QStringLiteral("la ubicación"),
    };
    return d;
}

ConsultaFiltrada ConsultaFiltroCatalogo(const DefCatalogo &def, const QString &texto)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from ") + def.nombreTabla);
    if (!texto.trimmed().isEmpty()) {
        c.Linea(QStringLiteral("where NOMBRE containing :Texto"));
        c.Parametro(QStringLiteral("Texto"), db::Value::text(texto));
    }
    c.Linea(QStringLiteral(" order by NOMBRE"));
    return c;
}

ConsultaFiltrada ConsultaBuscarCatalogo(const DefCatalogo &def, const QString &texto)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from ") + def.nombreTabla);
    c.Linea(QStringLiteral(" where ") + def.clave + QStringLiteral(" <> -1"));
    if (!texto.trimmed().isEmpty()) {
        c.Linea(QStringLiteral(" and NOMBRE containing :Texto"));
        c.Parametro(QStringLiteral("Texto"), db::Value::text(texto));
    }
    c.Linea(QStringLiteral(" order by NOMBRE"));
    return c;
}

int CatalogoSimple::Uso(int codigo) const
{
    db::Query q(c_.inventario, c_.transInventario);
    q.setSql(QStringLiteral("select count(*) from INVENTARIO where %1 = :Cod").arg(def_.clave));
    q.paramByName("Cod").setAsInteger(codigo);
    q.execQuery();
    const int n = q.eof() ? 0 : static_cast<int>(q.field(0).asInteger());
    q.close();
    return n;
}

int CatalogoSimple::Guardar(const FilaCatalogo &fila, bool nueva)
{
    if (fila.nombre.trimmed().isEmpty())
        throw ErrorCatalogo(def_.globoNombre);
    int codigo = fila.codigo;
    UnidadInventario(c_, [&] {
        if (nueva)
            codigo = InsertarCatalogo(*c_.inventario, *c_.transInventario, def_.tabla, fila);
        else
            ModificarCatalogo(*c_.inventario, *c_.transInventario, def_.tabla, fila);
    });
    return codigo;
}

void CatalogoSimple::Eliminar(int codigo, const QString &nombre)
{
    UnidadInventario(c_, [&] {
        const int uso = Uso(codigo);
        if (uso > 0)
            throw ErrorCatalogo(QStringLiteral("No se puede eliminar %1 %2: la usan %3 artículo(s).")
                                    .arg(def_.descripcion, nombre.trimmed())
                                    .arg(uso));
        BorrarCatalogo(*c_.inventario, *c_.transInventario, def_.tabla, codigo);
    });
}
