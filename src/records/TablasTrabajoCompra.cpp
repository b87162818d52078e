#include "records/TablasTrabajoCompra.h"

#include "records/ConexionesCompra.h"
#include "platform/db/DbError.h"
#include "platform/db/Query.h"
#include "platform/db/Value.h"

#include <exception>

namespace {

using db::Value;

const QString kEncabezado = QStringLiteral("TEMPORAL_ENC_COMPRA");
const QString kLineas = QStringLiteral("TEMPORAL_COMPRAS");
const QString kDeEstacion = QStringLiteral(" where NRO_CAJA = :nro_caja and COMPUTADORA = :compu");
const QString kDeLinea = QStringLiteral(" where ID_TEMP_COMPRA = :id and NRO_CAJA = :nro_caja and COMPUTADORA = :compu");

// Runs `cuerpo`; any failure becomes an ErrorTablasTrabajo "Error al <accion> <tabla>: <detalle>".
template <class F> auto Escribir(const QString &accion, const QString &tabla, F &&cuerpo)
{
    try {
        return cuerpo();
    } catch (const ErrorCompras &e) {
        throw ErrorTablasTrabajo(QStringLiteral("Error al %1 %2: %3").arg(accion, tabla, e.mensaje()));
    } catch (const std::exception &e) {
        throw ErrorTablasTrabajo(QStringLiteral("Error al %1 %2: %3").arg(accion, tabla, QString::fromUtf8(e.what())));
    }
}

void LigarEstacion(db::Query &q, const EstacionCompra &e)
{
    q.paramByName("nro_caja").setAsInteger(e.nroCaja);
    q.paramByName("compu").setAsString(e.computadora);
}

// The columns of a line, in the order of the insert.
struct Columna {
    const char *nombre;
    Value (*valor)(const FilaTrabajoCompra &);
};

Value Txt(const QString &s) { return Value::text(s); }
Value Mon(Currency c) { return Value::currency(c); }

const Columna kColumnas[] = {
    {"COD_BARRAS", [](const FilaTrabajoCompra &f) { return Txt(f.codBarras); }},
    {"COD_FAMILIA", [](const FilaTrabajoCompra &f) { return f.codFamilia.isEmpty() ? Value() : Txt(f.codFamilia); }},
    {"NOMBRE", [](const FilaTrabajoCompra &f) { return Txt(f.nombre); }},
    {"CANTIDAD", [](const FilaTrabajoCompra &f) { return Mon(f.cantidad); }},
    {"DESCUENTO_MAXIMO", [](const FilaTrabajoCompra &f) { return Mon(f.descuentoMaximo); }},
    {"PORCE_IV_ARTI", [](const FilaTrabajoCompra &f) { return Mon(f.porceIvArti); }},
    {"PRECIO_VENTA_ANT", [](const FilaTrabajoCompra &f) { return Mon(f.precioVentaAnt); }},
    {"PRECIO_VENTA", [](const FilaTrabajoCompra &f) { return Mon(f.precioVenta); }},
    {"IMPORE_COSTO", [](const FilaTrabajoCompra &f) { return Mon(f.imporeCosto); }},
    {"IMP_UNIT_CON_IV", [](const FilaTrabajoCompra &f) { return Mon(f.impUnitConIv); }},
    {"IMP_UNIT_SIN_IV", [](const FilaTrabajoCompra &f) { return Mon(f.impUnitSinIv); }},
    {"FRACCIONADO", [](const FilaTrabajoCompra &f) { return Txt(f.fraccionado); }},
    {"TIPO_FRACCION", [](const FilaTrabajoCompra &f) { return Value::integer(f.tipoFraccion); }},
    {"PORCE_AJUSTE_FRACC", [](const FilaTrabajoCompra &f) { return Mon(f.porceAjusteFracc); }},
    {"GRAVADO", [](const FilaTrabajoCompra &f) { return Txt(f.gravado); }},
    {"IVI", [](const FilaTrabajoCompra &f) { return Txt(f.ivi); }},
    {"PORCE_IV", [](const FilaTrabajoCompra &f) { return Mon(f.porceIv); }},
    {"TOTAL_GRAVADO", [](const FilaTrabajoCompra &f) { return Mon(f.totalGravado); }},
    {"TOTAL_NO_GRAVADO", [](const FilaTrabajoCompra &f) { return Mon(f.totalNoGravado); }},
    {"SUBTOTAL_GRAVADO", [](const FilaTrabajoCompra &f) { return Mon(f.subtotalGravado); }},
    {"SUBTOTAL_NO_GRAVADO", [](const FilaTrabajoCompra &f) { return Mon(f.subtotalNoGravado); }},
    {"IMPORTE_TOLAL_IV", [](const FilaTrabajoCompra &f) { return Mon(f.importeTolalIv); }},
    {"TOTAL_SIN_IV", [](const FilaTrabajoCompra &f) { return Mon(f.totalSinIv); }},
    {"TOTAL_CON_IV", [](const FilaTrabajoCompra &f) { return Mon(f.totalConIv); }},
    {"PORCE_DESC", [](const FilaTrabajoCompra &f) { return Mon(f.porceDesc); }},
    {"IMPORTE_DESCUENTO", [](const FilaTrabajoCompra &f) { return Mon(f.importeDescuento); }},
    {"TIENE_SERIE", [](const FilaTrabajoCompra &f) { return Txt(f.tieneSerie); }},
    {"NUMERO_LINEA", [](const FilaTrabajoCompra &f) { return Value::integer(f.numeroLinea); }},
    {"PROCESA_CONSIGNACION", [](const FilaTrabajoCompra &f) { return Txt(f.enConsignacion ? QStringLiteral("S") : QStringLiteral("N")); }},
    {"CANTIDAD_EN_CONSIGNACION",
     [](const FilaTrabajoCompra &f) { return f.enConsignacion ? Mon(*f.enConsignacion) : Value(); }},
};

// Columns the line editor and the accumulation change.
const char *const kColumnasEdicion[] = {
    "CANTIDAD",         "IMPORE_COSTO",      "IMP_UNIT_SIN_IV",     "IMP_UNIT_CON_IV",  "GRAVADO",
    "IVI",              "PORCE_IV",          "PORCE_DESC",          "IMPORTE_DESCUENTO", "SUBTOTAL_GRAVADO",
    "SUBTOTAL_NO_GRAVADO", "TOTAL_GRAVADO",  "TOTAL_NO_GRAVADO",    "IMPORTE_TOLAL_IV", "TOTAL_SIN_IV",
    "TOTAL_CON_IV",     "PRECIO_VENTA",
};

const QString &SqlInsertar()
{
    static const QString sql = [] {
        QStringList nombres = {QStringLiteral("COMPUTADORA"), QStringLiteral("NRO_CAJA")};
        QStringList marcadores = {QStringLiteral(":compu"), QStringLiteral(":nro_caja")};
        for (const Columna &c : kColumnas) {
            nombres << QLatin1String(c.nombre);
            marcadores << QLatin1Char(':') + QLatin1String(c.nombre);
        }
        return QStringLiteral("insert into TEMPORAL_COMPRAS (%1) values (%2) returning ID_TEMP_COMPRA")
            .arg(nombres.join(QStringLiteral(", ")), marcadores.join(QStringLiteral(", ")));
    }();
    return sql;
}

const QString &SqlEdicion()
{
    static const QString sql = [] {
        QStringList asignaciones;
        for (const char *c : kColumnasEdicion)
            asignaciones << QStringLiteral("%1 = :%1").arg(QLatin1String(c));
        return QStringLiteral("update TEMPORAL_COMPRAS set ") + asignaciones.join(QStringLiteral(", ")) + kDeLinea;
    }();
    return sql;
}

Value ValorDe(const FilaTrabajoCompra &f, const char *columna)
{
    for (const Columna &c : kColumnas)
        if (qstrcmp(c.nombre, columna) == 0)
            return c.valor(f);
    return Value();
}

} // namespace

void EliminaTempCompras(ConsultasCompra &consultas, int modo, const EstacionCompra &estacion)
{
    if (modo != 1 && modo != 2)
        return;
    auto borrar = [&](const QString &tabla) {
        Escribir(QStringLiteral("eliminar"), tabla, [&] {
            db::Query &q = consultas.Sql(BaseCompra::Tienda, QStringLiteral("delete from ") + tabla + kDeEstacion);
            LigarEstacion(q, estacion);
            q.execQuery();
            q.close();
        });
    };
    borrar(kEncabezado);
    if (modo == 1)
        borrar(kLineas);
}

void ActualizaTempCompras(ConsultasCompra &consultas, const EstacionCompra &estacion, Currency porcDescuento)
{
    Escribir(QStringLiteral("aplicar el descuento en"), kLineas, [&] {
        db::Query &q = consultas.Sql(BaseCompra::Tienda,
                                     QStringLiteral("update TEMPORAL_COMPRAS set PORCE_DESC = :Descuento, "
                                                    "IMPORTE_DESCUENTO = :Descuento*(CANTIDAD*(IMP_UNIT_SIN_IV/100))")
                                         + kDeEstacion);
        q.paramByName("Descuento").setAsCurrency(porcDescuento);
        LigarEstacion(q, estacion);
        q.execQuery();
        q.close();
    });
}

int InsertarLineaTrabajo(ConsultasCompra &consultas, const EstacionCompra &estacion, const FilaTrabajoCompra &fila)
{
    return Escribir(QStringLiteral("insertar en"), kLineas, [&] {
        db::Query &q = consultas.Sql(BaseCompra::Tienda, SqlInsertar());
        LigarEstacion(q, estacion);
        for (const Columna &c : kColumnas)
            q.paramByName(c.nombre).setValue(c.valor(fila));
        q.execQuery();
        const int id = q.eof() ? 0 : q.field(0).asInteger();
        q.close();
        return id;
    });
}

bool ActualizarLineaTrabajo(ConsultasCompra &consultas, const EstacionCompra &estacion, int id,
                            const FilaTrabajoCompra &fila)
{
    return Escribir(QStringLiteral("actualizar"), kLineas, [&] {
        db::Query &q = consultas.Sql(BaseCompra::Tienda, SqlEdicion());
        for (const char *c : kColumnasEdicion)
            q.paramByName(c).setValue(ValorDe(fila, c));
        q.paramByName("id").setAsInteger(id);
        LigarEstacion(q, estacion);
        q.execQuery();
        const bool hubo = q.rowsAffected() > 0;
        q.close();
        return hubo;
    });
}

void ActualizarImportesTrabajo(ConsultasCompra &consultas, const EstacionCompra &estacion, int id,
                               const ImportesTrabajoCompra &i)
{
    Escribir(QStringLiteral("recalcular"), kLineas, [&] {
        db::Query &q = consultas.Sql(BaseCompra::Tienda,
                                     QStringLiteral("update TEMPORAL_COMPRAS set IMPORTE_DESCUENTO = :IMPORTE_DESCUENTO, "
                                                    "SUBTOTAL_GRAVADO = :SUBTOTAL_GRAVADO, "
                                                    "SUBTOTAL_NO_GRAVADO = :SUBTOTAL_NO_GRAVADO, "
                                                    "TOTAL_GRAVADO = :TOTAL_GRAVADO, TOTAL_NO_GRAVADO = :TOTAL_NO_GRAVADO, "
                                                    "IMPORTE_TOLAL_IV = :IMPORTE_TOLAL_IV")
                                         + kDeLinea);
        q.paramByName("IMPORTE_DESCUENTO").setAsCurrency(i.importeDescuento);
        q.paramByName("SUBTOTAL_GRAVADO").setAsCurrency(i.subtotalGravado);
        q.paramByName("SUBTOTAL_NO_GRAVADO").setAsCurrency(i.subtotalNoGravado);
        q.paramByName("TOTAL_GRAVADO").setAsCurrency(i.totalGravado);
        q.paramByName("TOTAL_NO_GRAVADO").setAsCurrency(i.totalNoGravado);
        q.paramByName("IMPORTE_TOLAL_IV").setAsCurrency(i.importeTolalIv);
        q.paramByName("id").setAsInteger(id);
        LigarEstacion(q, estacion);
        q.execQuery();
        q.close();
    });
}

bool EliminarLineaTrabajo(ConsultasCompra &consultas, const EstacionCompra &estacion, int id)
{
    return Escribir(QStringLiteral("eliminar una línea de"), kLineas, [&] {
        db::Query &q = consultas.Sql(BaseCompra::Tienda, QStringLiteral("delete from TEMPORAL_COMPRAS") + kDeLinea);
        q.paramByName("id").setAsInteger(id);
        LigarEstacion(q, estacion);
        q.execQuery();
        const bool hubo = q.rowsAffected() > 0;
        q.close();
        return hubo;
    });
}

void GuardarEncabezadoTrabajo(ConsultasCompra &consultas, const EstacionCompra &estacion,
                              const EncabezadoTrabajoCompra &e)
{
    auto ligar = [&](db::Query &q) {
        q.paramByName("f").setValue(e.fecha.isValid() ? Value::date(e.fecha) : Value());
        q.paramByName("c").setAsString(e.comprobante);
        q.paramByName("p").setAsInteger(e.codigoProveedor);
        q.paramByName("d").setAsCurrency(e.poceDescuento);
        q.paramByName("t").setAsInteger(e.tipo);
        LigarEstacion(q, estacion);
    };
    Escribir(QStringLiteral("guardar"), kEncabezado, [&] {
        db::Query &u = consultas.Sql(BaseCompra::Tienda,
                                     QStringLiteral("update TEMPORAL_ENC_COMPRA set FECHA = :f, COMPROBANTE = :c, "
                                                    "CODIGO_PROVEEDOR = :p, POCE_DESCUENTO = :d, TIPO = :t")
                                         + kDeEstacion);
        ligar(u);
        u.execQuery();
        const bool hubo = u.rowsAffected() > 0;
        u.close();
        if (hubo)
            return;
        db::Query &i = consultas.Sql(BaseCompra::Tienda,
                                     QStringLiteral("insert into TEMPORAL_ENC_COMPRA (FECHA, COMPROBANTE, CODIGO_PROVEEDOR, "
                                                    "POCE_DESCUENTO, TIPO, NRO_CAJA, COMPUTADORA) "
                                                    "values (:f, :c, :p, :d, :t, :nro_caja, :compu)"));
        ligar(i);
        i.execQuery();
        i.close();
    });
}
