#include "records/RegistrosFicha.h"

#include "records/ConexionesCompra.h"
#include "records/EscrituraRegistro.h"
#include "platform/db/DbError.h"
#include "platform/db/Query.h"

#include <exception>

namespace {

// A locked read: a conflict with another station becomes ErrorConflictoContador.
template <class F> auto Bloquear(const char *tabla, F &&cuerpo) -> decltype(cuerpo())
{
    try {
        return cuerpo();
    } catch (const db::DbError &e) {
        if (e.isLockConflict())
            throw ErrorConflictoContador(QStringLiteral("Error al bloquear %1").arg(QLatin1String(tabla)), e.message());
        throw ErrorRegistro(QStringLiteral("Error al leer %1").arg(QLatin1String(tabla)), e.message());
    }
}

} // namespace

int InsertarCompuesto(ConsultasCompra &consultas, const FilaCompuesto &f)
{
    return EscribirRegistro(QStringLiteral("insertar"), "COMPUESTO", [&] {
        db::Query &q = consultas.Sql(BaseCompra::Inventario,
                                     QStringLiteral("insert into COMPUESTO (COD_BARRAS, COD_ARTICULO, CANTIDAD, NOMBRE_ARTICULO,"
                                                    " COSTO, FRACCIONADO, FRACCION, ID_FRACCION) values (:COD_BARRAS,"
                                                    " :COD_ARTICULO, :CANTIDAD, :NOMBRE_ARTICULO, :COSTO, :FRACCIONADO,"
                                                    " :FRACCION, :ID_FRACCION) returning NUM_LINEA"));
        q.paramByName("COD_BARRAS").setAsString(f.COD_BARRAS);
        q.paramByName("COD_ARTICULO").setAsString(f.COD_ARTICULO);
        q.paramByName("CANTIDAD").setAsCurrency(f.CANTIDAD);
        q.paramByName("NOMBRE_ARTICULO").setAsString(f.NOMBRE_ARTICULO.left(100));
        q.paramByName("COSTO").setAsCurrency(f.COSTO);
        q.paramByName("FRACCIONADO").setAsString(f.FRACCIONADO);
        q.paramByName("FRACCION").setAsCurrency(f.FRACCION);
        if (f.ID_FRACCION > 0)
            q.paramByName("ID_FRACCION").setAsInteger(f.ID_FRACCION);
        else
            q.paramByName("ID_FRACCION").setNull();
        q.execQuery();
        const int linea = static_cast<int>(q.field(0).asInteger());
        q.close();
        return linea;
    });
}

void InsertarArtFraccionado(ConsultasCompra &consultas, const FilaArtFraccionado &f)
{
    EscribirRegistro(QStringLiteral("insertar"), "ART_FRACCIONADOS", [&] {
        db::Query &q = consultas.Sql(BaseCompra::Inventario,
                                     QStringLiteral("insert into ART_FRACCIONADOS (COD_BARRAS, ID_FRACCION, PRESENTACION,"
                                                    " AJUSTE) values (:COD_BARRAS, :ID_FRACCION, :PRESENTACION, :AJUSTE)"));
        q.paramByName("COD_BARRAS").setAsString(f.COD_BARRAS);
        q.paramByName("ID_FRACCION").setAsInteger(f.ID_FRACCION);
        q.paramByName("PRESENTACION").setAsString(f.PRESENTACION.left(30));
        q.paramByName("AJUSTE").setAsCurrency(f.AJUSTE);
        q.execQuery();
    });
}

void InsertarComposicion(ConsultasCompra &consultas, const FilaComposicion &f)
{
    EscribirRegistro(QStringLiteral("insertar"), "COMPOSICION", [&] {
        db::Query &q = consultas.Sql(BaseCompra::Inventario,
                                     QStringLiteral("insert into COMPOSICION (DROGA, CANTIDAD, ID_ARTICULO) values (:DROGA,"
                                                    " :CANTIDAD, :ID_ARTICULO)"));
        q.paramByName("DROGA").setAsString(f.DROGA.left(120));
        q.paramByName("CANTIDAD").setAsString(f.CANTIDAD.left(10));
        q.paramByName("ID_ARTICULO").setAsString(f.ID_ARTICULO);
        q.execQuery();
    });
}

int BloquearContadorFamilia(ConsultasCompra &consultas, const QString &codFamilia)
{
    return Bloquear("FAMILIA", [&] {
        db::Query &q = consultas.Sql(BaseCompra::Inventario, QStringLiteral("select coalesce(NRO_ARTICULO, 1) from FAMILIA"
                                                                            " where COD_FAMILIA = :codfamilia with lock"));
        q.paramByName("codfamilia").setAsString(codFamilia);
        q.execQuery();
        const int valor = q.eof() ? -1 : static_cast<int>(q.field(0).asInteger());
        q.close();
        return valor;
    });
}

void FijarContadorFamilia(ConsultasCompra &consultas, const QString &codFamilia, int valor)
{
    EscribirRegistro(QStringLiteral("actualizar"), "FAMILIA", [&] {
        db::Query &q = consultas.Sql(BaseCompra::Inventario, QStringLiteral("update FAMILIA set NRO_ARTICULO = :valor"
                                                                            " where COD_FAMILIA = :codfamilia"));
        q.paramByName("valor").setAsInteger(valor);
        q.paramByName("codfamilia").setAsString(codFamilia);
        q.execQuery();
        if (q.rowsAffected() == 0)
            throw ErrorRegistro(QStringLiteral("Error al actualizar FAMILIA"), QStringLiteral("No existe la familia ") + codFamilia);
    });
}

int BloquearConsecutivoEntradaSalida(ConsultasCompra &consultas, bool entrada)
{
    return Bloquear("CONSECUTIVOS", [&] {
        db::Query &q = consultas.Sql(BaseCompra::Tienda, entrada ? QStringLiteral("select coalesce(ENTRADA, 0) from"
                                                                                  " CONSECUTIVOS where ID = 1 with lock")
                                                                 : QStringLiteral("select coalesce(SALIDA, 0) from"
                                                                                  " CONSECUTIVOS where ID = 1 with lock"));
        q.execQuery();
        const int valor = q.eof() ? -1 : static_cast<int>(q.field(0).asInteger());
        q.close();
        return valor;
    });
}

bool ExisteEntradaSalida(ConsultasCompra &consultas, bool entrada, const QString &comprobante)
{
    db::Query &q = consultas.Sql(BaseCompra::Tienda, QStringLiteral("select first 1 1 from ENTRADA_SALIDA"
                                                                    " where COMPROBANTE = :Comprob and TIPO_MOV = :Tipo"));
    q.paramByName("Comprob").setAsString(comprobante);
    q.paramByName("Tipo").setAsInteger(entrada ? 1 : 2);
    q.execQuery();
    const bool existe = !q.eof();
    q.close();
    return existe;
}

qint64 UltimaEntradaSalida(ConsultasCompra &consultas, bool entrada)
{
    // Numbers are zero-padded to 12 digits, so the greatest text is the greatest number.
    db::Query &q = consultas.Sql(BaseCompra::Tienda, QStringLiteral("select max(COMPROBANTE) from ENTRADA_SALIDA"
                                                                    " where TIPO_MOV = :Tipo and char_length(COMPROBANTE) = 12"));
    q.paramByName("Tipo").setAsInteger(entrada ? 1 : 2);
    q.execQuery();
    const qint64 ultimo = q.eof() || q.field(0).isNull() ? 0 : q.field(0).asString().toLongLong();
    q.close();
    return ultimo;
}
