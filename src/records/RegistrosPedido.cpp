#include "records/RegistrosPedido.h"

#include "platform/db/DbError.h"
#include "platform/db/Query.h"

#include <exception>

namespace {

template <class F> auto Escribir(const QString &accion, const char *tabla, F &&cuerpo) -> decltype(cuerpo())
{
    try {
        return cuerpo();
    } catch (const ErrorRegistro &) {
        throw;
    } catch (const db::DbError &e) {
        if (EsConflictoConcurrente(e))
            throw;  // the caller may run the whole save again
        throw ErrorRegistro(QStringLiteral("Error al %1 %2").arg(accion, QLatin1String(tabla)), TextoDeError(e));
    } catch (const std::exception &e) {
        throw ErrorRegistro(QStringLiteral("Error al %1 %2").arg(accion, QLatin1String(tabla)), TextoDeError(e));
    }
}

std::uint64_t Ejecutar(db::Query &q)
{
    q.execQuery();
    const std::uint64_t n = q.rowsAffected();
    q.close();
    return n;
}

bool Existe(db::Query &q)
{
    q.execQuery();
    const bool hay = !q.eof();
    q.close();
    return hay;
}

std::int64_t SiguienteLibre(ConsultasCompra &consultas)
{
    db::Query &gen = consultas.Sql(BaseCompra::Tienda, QStringLiteral("SELECT GEN_ID(consecutivo_pedidos,1) FROM RDB$DATABASE"));
    db::Query &usado = consultas.Sql(BaseCompra::Tienda, QStringLiteral("select 1 from PEDIDOS where COMPROBANTE = :c"));
    for (;;) {
        gen.execQuery();
        const std::int64_t valor = gen.field(0).asInteger();
        gen.close();
        usado.paramByName("c").setAsString(NumeroPedido(valor));
        if (!Existe(usado))
            return valor;
    }
}

BloqueoPedido ApartarSinEsperar(ConsultasCompra &consultas, const EstacionCompra &estacion, const QString &comprobante);

void Ligar(db::Query &q, const EstacionCompra &estacion, const QString &comprobante)
{
    q.paramByName("c").setAsString(comprobante);
    q.paramByName("nro_caja").setAsInteger(estacion.nroCaja);
    q.paramByName("compu").setAsString(estacion.computadora);
}

} // namespace

bool EsConflictoConcurrente(const db::DbError &e)
{
    return e.isLockConflict() || e.gdsCode() == 335544336L /* deadlock */ || e.gdsCode() == 335544451L /* update_conflict */
        || e.mensaje().contains(QLatin1String("(conflicto de bloqueo)"));
}

QString NumeroPedido(std::int64_t valor)
{
    return QStringLiteral("%1").arg(valor, 12, 10, QLatin1Char('0'));
}

std::int64_t InsertarPedido(ConsultasCompra &consultas, const FilaPedido &p, const std::vector<FilaDetallePedido> &lineas)
{
    const std::int64_t valor = Escribir(QStringLiteral("actualizar"), "CONSECUTIVOS", [&] {
        const std::int64_t v = SiguienteLibre(consultas);
        db::Query &q = consultas.Sql(BaseCompra::Tienda, QStringLiteral("Update consecutivos set pedido=:pConsecutivo\n"
                                                                        "where coalesce(pedido, 0) < :pConsecutivo"));
        q.paramByName("pConsecutivo").setAsInteger(v);
        Ejecutar(q);
        return v;
    });
    const QString comprobante = NumeroPedido(valor);
    Escribir(QStringLiteral("insertar"), "PEDIDOS", [&] {
        db::Query &q = consultas.Sql(
            BaseCompra::Tienda,
            QStringLiteral("insert into PEDIDOS (FECHA, COMPROBANTE, DESCRIPCION, ANULADO, FK_PROVEEDOR, NOMBRE_PROVEEDOR, "
                           "CREATE_USERID, UPDATE_USERID, CREATE_TMSTMP, UPDATE_TMSTMP, NUM_CODIGO_INVENTARIO, PROCESADO) "
                           "values (:f, :c, :d, 'N', :p, :np, :u, :u, :m, :m, :n, 'N')"));
        if (p.FECHA.isValid())
            q.paramByName("f").setAsDate(p.FECHA);
        else
            q.paramByName("f").setNull();
        q.paramByName("c").setAsString(comprobante);
        q.paramByName("d").setAsString(p.DESCRIPCION.left(300));
        q.paramByName("p").setAsInteger(p.FK_PROVEEDOR);
        q.paramByName("np").setAsString(p.NOMBRE_PROVEEDOR.left(100));
        q.paramByName("u").setAsString(p.usuario.left(15));
        q.paramByName("m").setAsDateTime(p.momento);
        q.paramByName("n").setAsInteger(p.NUM_CODIGO_INVENTARIO);
        Ejecutar(q);
    });
    Escribir(QStringLiteral("insertar"), "DETALLE_PEDIDO", [&] {
        db::Query &q = consultas.Sql(BaseCompra::Tienda,
                                     QStringLiteral("insert into DETALLE_PEDIDO (COMPROBANTE, COD_BARRAS, NOMBRE_ARTICULO, "
                                                    "CANTIDAD, FRACCIONADO, ANULADO, COD_FAMILIA, PRECIO_COMPRA) "
                                                    "values (:c, :cb, :n, :q, 'N', 'N', :f, :pc)"));
        for (const FilaDetallePedido &l : lineas) {
            q.paramByName("c").setAsString(comprobante);
            q.paramByName("cb").setAsString(l.COD_BARRAS.left(30));
            q.paramByName("n").setAsString(l.NOMBRE_ARTICULO.left(200));
            q.paramByName("q").setAsCurrency(l.CANTIDAD);
            q.paramByName("f").setAsString(l.COD_FAMILIA.trimmed().left(20));
            q.paramByName("pc").setAsCurrency(l.PRECIO_COMPRA);
            Ejecutar(q);
        }
    });
    return valor;
}

std::uint64_t AnularPedido(ConsultasCompra &consultas, const QString &comprobante, const QString &usuario,
                           const QDateTime &momento)
{
    return Escribir(QStringLiteral("actualizar"), "PEDIDOS", [&] {
        db::Query &q = consultas.Sql(BaseCompra::Tienda,
                                     QStringLiteral("update PEDIDOS set ANULADO = 'S', ANULADO_POR = :u, FECHA_ANULADO = :m, "
                                                    "UPDATE_USERID = :u, UPDATE_TMSTMP = :m\n"
                                                    "where COMPROBANTE = :c and ANULADO = 'N'"));
        q.paramByName("u").setAsString(usuario.left(15));
        q.paramByName("m").setAsDateTime(momento);
        q.paramByName("c").setAsString(comprobante);
        return Ejecutar(q);
    });
}

BloqueoPedido ApartarPedido(ConsultasCompra &consultas, const EstacionCompra &estacion, const QString &comprobante)
{
    try {
        return ApartarSinEsperar(consultas, estacion, comprobante);
    } catch (const db::DbError &e) {
        if (!EsConflictoConcurrente(e))
            throw;
        return BloqueoPedido::EnOtraEstacion;  // another station is loading or posting it right now
    }
}

namespace {

BloqueoPedido ApartarSinEsperar(ConsultasCompra &consultas, const EstacionCompra &estacion, const QString &comprobante)
{
    return Escribir(QStringLiteral("actualizar"), "TEMPORAL_ENC_COMPRA", [&] {
        // The no-op update locks the order's row until the caller's transaction ends.
        db::Query &bloqueo = consultas.Sql(BaseCompra::Tienda,
                                           QStringLiteral("update PEDIDOS set PROCESADO = PROCESADO\nwhere COMPROBANTE = :c "
                                                          "and ANULADO = 'N' and PROCESADO = 'N'"));
        bloqueo.paramByName("c").setAsString(comprobante);
        if (Ejecutar(bloqueo) == 0)
            return BloqueoPedido::NoDisponible;
        db::Query &otra = consultas.Sql(BaseCompra::Tienda,
                                        QStringLiteral("select 1 from TEMPORAL_ENC_COMPRA where NRO_PEDIDO = :c and "
                                                       "not (NRO_CAJA = :nro_caja and COMPUTADORA = :compu)"));
        Ligar(otra, estacion, comprobante);
        if (Existe(otra))
            return BloqueoPedido::EnOtraEstacion;
        db::Query &u = consultas.Sql(BaseCompra::Tienda,
                                     QStringLiteral("update TEMPORAL_ENC_COMPRA set NRO_PEDIDO = :c\n"
                                                    "where NRO_CAJA = :nro_caja and COMPUTADORA = :compu"));
        Ligar(u, estacion, comprobante);
        if (Ejecutar(u) == 0) {
            db::Query &i = consultas.Sql(BaseCompra::Tienda,
                                         QStringLiteral("insert into TEMPORAL_ENC_COMPRA (FECHA, NRO_CAJA, COMPUTADORA, TIPO, "
                                                        "POCE_DESCUENTO, CODIGO_PROVEEDOR, NRO_PEDIDO) "
                                                        "values (current_date, :nro_caja, :compu, 1, 0, 0, :c)"));
            Ligar(i, estacion, comprobante);
            Ejecutar(i);
        }
        return BloqueoPedido::Ninguno;
    });
}

} // namespace
