#include "catalogs/Laboratorios.h"

#include "platform/db/Query.h"
#include "records/RegistrosCatalogo.h"

ConsultaFiltrada Laboratorios::Consulta()
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select ID_LABORATORIOS, NOMBRE from LABORATORIOS"));
    c.Linea(QStringLiteral(" order by ID_LABORATORIOS"));
    return c;
}

QString Laboratorios::Normalizar(const QString &nombre)
{
    return nombre.trimmed().toUpper();
}

bool Laboratorios::Duplicado(const QString &nombre, int excepto) const
{
    // Read on the update transaction: a row added by this unit of work counts too.
    const bool propia = !c_.transInventario->active();
    if (propia)
        c_.transInventario->start();
    db::Query q(c_.inventario, c_.transInventario);
    q.setSql(QStringLiteral("select count(*) from LABORATORIOS"
                            " where upper(trim(NOMBRE)) = :Nombre and ID_LABORATORIOS <> :Excepto"));
    q.paramByName(QStringLiteral("Nombre")).setAsString(Normalizar(nombre));
    q.paramByName(QStringLiteral("Excepto")).setAsInteger(excepto);
    q.execQuery();
    const bool hay = !q.eof() && q.field(0).asInteger() > 0;
    q.close();
    if (propia)
        c_.transInventario->commit();
    return hay;
}

void Laboratorios::Verificar(const QString &nombre, int excepto) const
{
    if (Normalizar(nombre).isEmpty())
        throw ErrorNombreLaboratorio(kLaboratorioSinNombre);
    if (Duplicado(nombre, excepto))
        throw ErrorNombreLaboratorio(kLaboratorioDuplicado);
}

int Laboratorios::Agregar(const QString &nombre)
{
    int id = 0;
    UnidadInventario(c_, [&] {
        Verificar(nombre, -1);
        id = InsertarLaboratorio(*c_.inventario, *c_.transInventario, Normalizar(nombre));
    });
    return id;
}

void Laboratorios::Renombrar(int id, const QString &nombre)
{
    UnidadInventario(c_, [&] {
        Verificar(nombre, id);
        ModificarLaboratorio(*c_.inventario, *c_.transInventario, id, Normalizar(nombre));
    });
}

void Laboratorios::Borrar(int id)
{
    UnidadInventario(c_, [&] {
        db::Query q(c_.inventario, c_.transInventario);
        q.setSql(QStringLiteral("select first 1 1 from INVENTARIO where ID_LABORATORIO = :Id"));
        q.paramByName(QStringLiteral("Id")).setAsInteger(id);
        q.execQuery();
        const bool usado = !q.eof();
        q.close();
        if (usado)
            throw ErrorLaboratorioEnUso(kLaboratorioEnUso);
        BorrarLaboratorio(*c_.inventario, *c_.transInventario, id);
    });
}
