#include "records/Utransaccionescompras.h"

#include "data/Comp_fdatos.h"
#include "platform/db/DbError.h"
#include "platform/db/Query.h"
#include "platform/db/Value.h"

#include <exception>
#include <initializer_list>

namespace {

using db::Value;

db::Query &Consulta(db::Query TFDatosComp::*miembro)
{
    if (!FDatosComp)
        throw db::DbError(QStringLiteral("El módulo de datos no está conectado"));
    return FDatosComp->*miembro;
}

db::Query &Tienda() { return Consulta(&TFDatosComp::TransaccionV); }

// Closes the query and gives it a new text, one line per item.
void Sentencia(db::Query &q, std::initializer_list<QString> lineas)
{
    q.close();
    q.clearSql();
    for (const QString &l : lineas)
        q.addSql(l);
}

// Runs `cuerpo`; false when it raised.
template <class F> bool Intentar(F &&cuerpo)
{
    try {
        cuerpo();
        return true;
    } catch (const db::DbError &) {
        return false;
    } catch (const std::exception &) {
        return false;
    }
}

void Ligar(db::Query &q, const char *nombre, const Value &v) { q.paramByName(QLatin1String(nombre)).setValue(v); }

Value Texto(const QString &s) { return Value::text(s); }
Value Entero(int i) { return Value::integer(i); }
Value Moneda(Currency c) { return Value::currency(c); }

void Ejecutar(db::Query &q)
{
    q.execQuery();
    q.close();
}

} // namespace

// ---------------------------------------------------------------------------
// Work tables
// ---------------------------------------------------------------------------

bool EliminaTempCompras(int modo, int nroCaja, const QString &computadora)
{
    if (modo != 1 && modo != 2)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        auto borrar = [&](const QString &tabla) {
            Sentencia(q, {QStringLiteral("delete from ") + tabla, QStringLiteral(" where NRO_CAJA = :nro_caja"),
                          QStringLiteral(" and COMPUTADORA = :compu")});
            Ligar(q, "nro_caja", Entero(nroCaja));
            Ligar(q, "compu", Texto(computadora));
            Ejecutar(q);
        };
        borrar(QStringLiteral("TEMPORAL_ENC_COMPRA"));
        if (modo == 1)
            borrar(QStringLiteral("TEMPORAL_COMPRAS"));
    });
}

bool ActualizaTempCompras(int modo, int nroCaja, const QString &computadora, Currency porcDescuento, Currency,
                          Currency, Currency, Currency, Currency, Currency, Currency, Currency, Currency, Currency)
{
    if (modo != 1)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("update TEMPORAL_COMPRAS"), QStringLiteral(" set PORCE_DESC = :Descuento,"),
                      QStringLiteral(" IMPORTE_DESCUENTO = :Descuento*(CANTIDAD*(IMP_UNIT_SIN_IV/100))"),
                      QStringLiteral(" where NRO_CAJA = :nro_caja"), QStringLiteral(" and COMPUTADORA = :compu")});
        Ligar(q, "Descuento", Moneda(porcDescuento));
        Ligar(q, "nro_caja", Entero(nroCaja));
        Ligar(q, "compu", Texto(computadora));
        Ejecutar(q);
    });
}
