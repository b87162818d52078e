#include "records/RegistrosCatalogo.h"

#include "platform/db/Query.h"

#include <exception>

namespace {

const char *NombreTabla(TablaCatalogo t)
{
    return t == TablaCatalogo::UnidadMedida ? "UNIDAD_MEDIDA" : "UBICACION";
}

const char *Clave(TablaCatalogo t)
{
    return t == TablaCatalogo::UnidadMedida ? "COD_UNIDAD" : "COD_UBICACION";
}

// Runs `cuerpo` turning any failure into ErrorRegistro("<accion> <tabla>").
template <class F> void Escribir(const QString &accion, const QString &tabla, F &&cuerpo)
{
    try {
        cuerpo();
    } catch (const ErrorRegistro &) {
        throw;
    } catch (const std::exception &e) {
        throw ErrorRegistro(QStringLiteral("Error al %1 %2").arg(accion, tabla), TextoDeError(e));
    }
}

void ParametrosFamilia(db::Query &q, const FilaFamilia &f)
{
    q.paramByName("COD_FAMILIA").setAsString(f.codigo.trimmed());
    q.paramByName("NOMBRE").setAsString(f.nombre);
    q.paramByName("NOTA").setAsString(f.nota);
    q.paramByName("ACTIVA").setAsString(f.activa);
    q.paramByName("COD_PERTENECE").setAsString(f.codPertenece.trimmed());
    q.paramByName("NOM_PERTENECE").setAsString(f.nomPertenece.left(50));
    q.paramByName("PROMOCION").setAsString(f.promocion);
    q.paramByName("NRO_ARTICULO").setAsInteger(f.nroArticulo);
}

} // namespace

void InsertarFamilia(db::Database &base, db::Transaction &tx, const FilaFamilia &fila)
{
    Escribir(QStringLiteral("insertar"), QStringLiteral("FAMILIA"), [&] {
        db::Query q(&base, &tx);
        q.setSql(QStringLiteral("insert into FAMILIA (COD_FAMILIA, NOMBRE, NOTA, ACTIVA, COD_PERTENECE, NOM_PERTENECE,"
                                " PROMOCION, NRO_ARTICULO) values (:COD_FAMILIA, :NOMBRE, :NOTA, :ACTIVA,"
                                " :COD_PERTENECE, :NOM_PERTENECE, :PROMOCION, :NRO_ARTICULO)"));
        ParametrosFamilia(q, fila);
        q.execQuery();
    });
}

void ModificarFamilia(db::Database &base, db::Transaction &tx, const FilaFamilia &fila)
{
    Escribir(QStringLiteral("modificar"), QStringLiteral("FAMILIA"), [&] {
        db::Query q(&base, &tx);
        q.setSql(QStringLiteral("update FAMILIA set NOMBRE = :NOMBRE, NOTA = :NOTA, ACTIVA = :ACTIVA,"
                                " COD_PERTENECE = :COD_PERTENECE, NOM_PERTENECE = :NOM_PERTENECE,"
                                " PROMOCION = :PROMOCION, NRO_ARTICULO = :NRO_ARTICULO"
                                " where COD_FAMILIA = :COD_FAMILIA"));
        ParametrosFamilia(q, fila);
        q.execQuery();
        if (q.rowsAffected() == 0)
            throw ErrorRegistro(QStringLiteral("Error al modificar FAMILIA"),
                                QStringLiteral("No existe la familia %1").arg(fila.codigo));
    });
}

void BorrarFamilia(db::Database &base, db::Transaction &tx, const QString &codigo)
{
    Escribir(QStringLiteral("eliminar"), QStringLiteral("FAMILIA"), [&] {
        db::Query q(&base, &tx);
        q.setSql(QStringLiteral("delete from FAMILIA where COD_FAMILIA = :Cod"));
        q.paramByName("Cod").setAsString(codigo);
        q.execQuery();
    });
}

int InsertarCatalogo(db::Database &base, db::Transaction &tx, TablaCatalogo tabla, const FilaCatalogo &fila)
{
    int codigo = 0;
    const QString nombre = QLatin1String(NombreTabla(tabla));
    Escribir(QStringLiteral("insertar"), nombre, [&] {
        db::Query q(&base, &tx);
        const bool unidad = tabla == TablaCatalogo::UnidadMedida;
        q.setSql(QStringLiteral("insert into %1 (NOMBRE, %2NOTA) values (:NOMBRE, %3:NOTA) returning %4")
                     .arg(nombre, unidad ? QStringLiteral("UNIDAD, ") : QString(),
                          unidad ? QStringLiteral(":UNIDAD, ") : QString(), QLatin1String(Clave(tabla))));
        q.paramByName("NOMBRE").setAsString(fila.nombre);
        if (unidad)
            q.paramByName("UNIDAD").setAsString(fila.unidad);
        q.paramByName("NOTA").setAsString(fila.nota);
        q.execQuery();
        codigo = static_cast<int>(q.field(0).asInteger());
        q.close();
    });
    return codigo;
}

void ModificarCatalogo(db::Database &base, db::Transaction &tx, TablaCatalogo tabla, const FilaCatalogo &fila)
{
    const QString nombre = QLatin1String(NombreTabla(tabla));
    Escribir(QStringLiteral("modificar"), nombre, [&] {
        db::Query q(&base, &tx);
        const bool unidad = tabla == TablaCatalogo::UnidadMedida;
        q.setSql(QStringLiteral("update %1 set NOMBRE = :NOMBRE, %2NOTA = :NOTA where %3 = :Cod")
                     .arg(nombre, unidad ? QStringLiteral("UNIDAD = :UNIDAD, ") : QString(),
                          QLatin1String(Clave(tabla))));
        q.paramByName("NOMBRE").setAsString(fila.nombre);
        if (unidad)
            q.paramByName("UNIDAD").setAsString(fila.unidad);
        q.paramByName("NOTA").setAsString(fila.nota);
        q.paramByName("Cod").setAsInteger(fila.codigo);
        q.execQuery();
        if (q.rowsAffected() == 0)
            throw ErrorRegistro(QStringLiteral("Error al modificar %1").arg(nombre),
                                QStringLiteral("No existe el registro %1").arg(fila.codigo));
    });
}

void BorrarCatalogo(db::Database &base, db::Transaction &tx, TablaCatalogo tabla, int codigo)
{
    const QString nombre = QLatin1String(NombreTabla(tabla));
    Escribir(QStringLiteral("eliminar"), nombre, [&] {
        db::Query q(&base, &tx);
        q.setSql(QStringLiteral("delete from %1 where %2 = :Cod").arg(nombre, QLatin1String(Clave(tabla))));
        q.paramByName("Cod").setAsInteger(codigo);
        q.execQuery();
    });
}

int InsertarLaboratorio(db::Database &base, db::Transaction &tx, const QString &nombre)
{
    int id = 0;
    Escribir(QStringLiteral("insertar"), QStringLiteral("LABORATORIOS"), [&] {
        db::Query q(&base, &tx);
        q.setSql(QStringLiteral("insert into LABORATORIOS (NOMBRE) values (:NOMBRE) returning ID_LABORATORIOS"));
        q.paramByName("NOMBRE").setAsString(nombre);
        q.execQuery();
        id = static_cast<int>(q.field(0).asInteger());
        q.close();
    });
    return id;
}

void ModificarLaboratorio(db::Database &base, db::Transaction &tx, int id, const QString &nombre)
{
    Escribir(QStringLiteral("modificar"), QStringLiteral("LABORATORIOS"), [&] {
        db::Query q(&base, &tx);
        q.setSql(QStringLiteral("update LABORATORIOS set NOMBRE = :NOMBRE where ID_LABORATORIOS = :Id"));
        q.paramByName("NOMBRE").setAsString(nombre);
        q.paramByName("Id").setAsInteger(id);
        q.execQuery();
        if (q.rowsAffected() == 0)
            throw ErrorRegistro(QStringLiteral("Error al modificar LABORATORIOS"),
                                QStringLiteral("No existe el laboratorio %1").arg(id));
    });
}

void BorrarLaboratorio(db::Database &base, db::Transaction &tx, int id)
{
    Escribir(QStringLiteral("eliminar"), QStringLiteral("LABORATORIOS"), [&] {
        db::Query q(&base, &tx);
        q.setSql(QStringLiteral("delete from LABORATORIOS where ID_LABORATORIOS = :Id"));
        q.paramByName("Id").setAsInteger(id);
        q.execQuery();
    });
}
