#pragma once
// The floor of a purchase posting: the work lines the entry leaves and the statements the posting
// runs, with no logic around them. Shared by the posting benches.

#include "support/EntornoPrueba.h"
#include "platform/db/Query.h"
#include "platform/db/TwoPhase.h"

#include <QDateTime>
#include <map>
#include <memory>
#include <vector>

// The station's work tables as the entry leaves them: `lineas` lines of BEN-000... (2 at 100, 13 %).
inline void Trabajo(EntornoPrueba &env, const QString &numero, int lineas)
{
    db::Transaction t(env.tienda);
    db::Query q(&env.tienda, &t);
    q.setSql(QStringLiteral("insert into TEMPORAL_ENC_COMPRA (FECHA, COMPROBANTE, CODIGO_PROVEEDOR, POCE_DESCUENTO, TIPO, "
                            "NRO_CAJA, COMPUTADORA) values (current_date, :c, 12, 0, 1, 1, 'PRUEBA')"));
    q.paramByName("c").setAsString(numero);
    q.execQuery();
    q.setSql(QStringLiteral("insert into TEMPORAL_COMPRAS (COMPUTADORA, NRO_CAJA, COD_BARRAS, COD_FAMILIA, NOMBRE, CANTIDAD, "
                            "IMPORE_COSTO, IMP_UNIT_SIN_IV, IMP_UNIT_CON_IV, GRAVADO, IVI, PORCE_IV, PORCE_DESC, "
                            "IMPORTE_DESCUENTO, SUBTOTAL_GRAVADO, SUBTOTAL_NO_GRAVADO, TOTAL_GRAVADO, TOTAL_NO_GRAVADO, "
                            "IMPORTE_TOLAL_IV, TOTAL_SIN_IV, TOTAL_CON_IV, PRECIO_VENTA, FRACCIONADO, PROCESA_CONSIGNACION) "
                            "values ('PRUEBA', 1, :cod, 'MED-ANA', 'ARTICULO', 2, 100, 100, 113, 'S', 'N', 13, 0, 0, 200, "
                            "0, 200, 0, 26, 200, 226, 0, 'N', 'N')"));
    for (int i = 0; i < lineas; ++i) {
        q.paramByName("cod").setAsString(QStringLiteral("BEN-%1").arg(i, 3, 10, QLatin1Char('0')));
        q.execQuery();
    }
    q.close();
    t.commit();
}

inline void Nota(EntornoPrueba &env, const QString &numero)
{
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, "
                                                       "IMP_TOTAL, FECHA, ANULADA, ASIGNADA, TIPO_NC) values ('%1', 12, "
                                                       "3000, current_date, 'N', 'N', 2)").arg(numero));
}

// The posting's statements without the posting, prepared once and run back to back in one two-phase
// commit: one invoice of `lineas` lines, paid in cash, on credit and with the note `nota` (its
// excess a new note), or, without `nota`, all on credit.
class Piso {
public:
    explicit Piso(EntornoPrueba &env) : env_(env) {}
    void Correr(const QString &numero, int lineas, const QString &nota = QString())
    {
        db::Transaction &ts = env_.transUpdate, &ti = env_.transUpdateInv, &tc = env_.estacion->transUpdateConta;
        auto Q = [this](db::Database &b, db::Transaction &t, const QString &sql) -> db::Query & {
            auto &q = cache_[sql];
            if (!q) {
                q = std::make_unique<db::Query>(&b, &t);
                q->setSql(sql);
            }
            q->close();
            return *q;
        };
        auto S = [&](const QString &sql) -> db::Query & { return Q(env_.tienda, ts, sql); };
        auto I = [&](const QString &sql) -> db::Query & { return Q(env_.inventario, ti, sql); };
        auto K = [&](const QString &sql) -> db::Query & { return Q(env_.contabilidad, tc, sql); };
        const QDateTime ahora = QDateTime::currentDateTime();
        {
            db::Query &q = S("select * from TEMPORAL_COMPRAS where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA' order by ID_TEMP_COMPRA");
            for (q.execQuery(); !q.eof(); q.next())
                q.row();
            q.close();
        }
        I("select COD_PROVEEDOR from PROVEEDORES where COD_PROVEEDOR = 12 with lock").execQuery();
        db::Query &dup = S("select first 1 ID_COMPRA from FACTURAS_COMPRA where CODIGO_PROVEEDOR = 12 and COMPROBANTE = :c");
        dup.paramByName("c").setAsString(numero);
        dup.execQuery();
        dup.close();
        db::Query &h = S("insert into FACTURAS_COMPRA (COMPUTADORA, NRO_CAJA, FECHA_CARGA, FECHA, COMPROBANTE, CODIGO_PROVEEDOR, "
                         "NOMBRE, IMPORTE_TOTAL, IMPORTE_EFECTIVO, IMPORTE_CREDITO, IMPORTE_NC, ANULADA) values ('PRUEBA', 1, "
                         ":f, current_date, :c, 12, 'X', 22600, 10000, 9600, 3000, 'N') returning ID_COMPRA");
        h.paramByName("f").setAsDateTime(ahora);
        h.paramByName("c").setAsString(numero);
        h.execQuery();
        const int id = h.field(0).asInteger();
        h.close();
        // Each article read without a lock and written once, only if unchanged since read.
        for (int i = 0; i < lineas; ++i) {
            const QString cod = QStringLiteral("BEN-%1").arg(i, 3, 10, QLatin1Char('0'));
            db::Query &a = I("select INVENTARIO.*, RDB$RECORD_VERSION from INVENTARIO where COD_BARRAS = :c");
            a.paramByName("c").setAsString(cod);
            a.execQuery();
            a.row();
            const qint64 version = a.fieldByName(QStringLiteral("RDB$RECORD_VERSION")).asInt64();
            a.close();
            db::Query &u = I("UPDATE INVENTARIO SET STOCK = :s, PREVEN_1 = :p1, PRECIOSINIV_1 = :s1, PRECIOCONIV_1 = :c1, "
                             "PREVEN_2 = :p2, PRECIOSINIV_2 = :s2, PRECIOCONIV_2 = :c2, COSTO_PROMEDIO = :cp, "
                             "PRECIO_COMPRA = :pc, FK_PROVEEDOR = 12, FECHA_ULTIMACOMPRA = current_date, GRAVADO = 'S', "
                             "IMPUESTO_INCLUIDO = 'N', COMPRA_MONEDA1 = 520, COMPRA_MONEDA2 = 1 WHERE COD_BARRAS = :c "
                             "AND RDB$RECORD_VERSION = :v");
            for (const char *p : {"s", "p1", "s1", "c1", "p2", "s2", "c2", "cp", "pc"})
                u.paramByName(p).setAsCurrency(Currency(100));
            u.paramByName("c").setAsString(cod);
            u.paramByName("v").setAsInteger(version);
            u.execQuery();
            db::Query &c = I("update compuesto set costo = :p where cod_articulo = :c");
            c.paramByName("p").setAsCurrency(Currency(100));
            c.paramByName("c").setAsString(cod);
            c.execQuery();
            db::Query &mv = S("insert into MOVIMIENTOS_STOCK (FECHA, TIPO_MOVIMIENTO, DESCRIPCION_MOV, FAMILIA, COD_BARRAS, "
                              "NOMBRE_ARTICULO, COMPROBANTE, CANTIDAD, FRACCIONADO, CREATE_USERID, CREATE_TMSTMP, "
                              "UPDATE_USERID, UPDATE_TMSTMP, TIPO_CAMBIO, TIPO_CAMBIO_2, ID_TRANSACCION) values "
                              "(current_date, 3, 'x', 'MED-ANA', :c, 'ARTICULO', :n, 2, 'N', 'ADMIN', :t, 'ADMIN', :t, 520, "
                              "1, :id)");
            mv.paramByName("c").setAsString(cod);
            mv.paramByName("n").setAsString(numero);
            mv.paramByName("t").setAsDateTime(ahora);
            mv.paramByName("id").setAsInteger(id);
            mv.execQuery();
        }
        for (int i = 0; i < lineas; ++i) {
            const QString cod = QStringLiteral("BEN-%1").arg(i, 3, 10, QLatin1Char('0'));
            db::Query &d = S("insert into DETALLE_FACTURAS_COMPRA (COMPUTADORA, NRO_CAJA, ID_COMPRA, FECHA, COMPROBANTE, "
                             "CODIGO_FAMILIA, CODIGO_ARTICULO, DESCRIPCION, GRAVADO, IMPUESTO_INCLUIDO, FRACCIONADO, "
                             "IMPORTE_UNITARIO, IMPORTE_IMPUESTO, IMPORTE_TOTAL, IMPORTE_DESCUENTO, CANTIDAD, "
                             "PORC_IMPUESTO, PORC_DESCUENTO, MONEDA_CARGA, PRECIO_ANTERIOR, PROMEDIO_ANTERIOR, "
                             "TIPO_CAMBIO, TIPO_CAMBIO_2, CANTIDAD_ANTERIOR, PRECIO_VENTA_SIN_IV) values ('PRUEBA', 1, "
                             ":id, current_date, :n, 'MED-ANA', :c, 'ARTICULO', 'S', 'N', 'N', 100, 26, 200, 0, 2, 13, 0, "
                             "1, 100, 100, 520, 1, 10, 130)");
            d.paramByName("id").setAsInteger(id);
            d.paramByName("n").setAsString(numero);
            d.paramByName("c").setAsString(cod);
            d.execQuery();
        }
        if (!nota.isEmpty()) {
            db::Query &ult = S("select first 1 ID_CAJA, TURNO, SALDO, FECHA_HORA from CAJA_DIARIA order by FECHA_HORA desc, "
                               "TURNO desc, ID_CAJA desc");
            ult.execQuery();
            const int idCaja = ult.field(0).asInteger();
            ult.close();
            db::Query &lk = S("select TURNO, SALDO from CAJA_DIARIA where ID_CAJA = :id with lock");
            lk.paramByName("id").setAsInteger(idCaja);
            lk.execQuery();
            lk.close();
            ult.execQuery();
            ult.close();
            db::Query &caja = S("insert into CAJA_DIARIA (FECHA_HORA, CODIGO_MOVIMIENTO, COMPROBANTE, IMPORTE_EFECTIVO, TURNO, "
                                "SALDO) values (:f, 3, :n, 10000, 1, 0)");
            caja.paramByName("f").setAsDateTime(ahora);
            caja.paramByName("n").setAsString(numero);
            caja.execQuery();
        }
        db::Query &cp = S("insert into CUENTA_PROVEEDOR (COD_PROVEEDOR, COD_TIPO_MOV, COMPROBANTE, IMPORTE, FECHA) values "
                          "(12, :t, :n, 9600, current_date)");
        cp.paramByName("t").setAsInteger(1);
        cp.paramByName("n").setAsString(numero);
        cp.execQuery();
        if (!nota.isEmpty()) {
            db::Query &nc = S("update NOTAS_CREDITO_PROV set ASIGNADA = 'S', APLICA_FECHA = :f, APLICA_FACTURA = :n where "
                              "COMPROBANTE = :c and COD_PROVEEDOR = 12");
            nc.paramByName("f").setAsDateTime(ahora);
            nc.paramByName("n").setAsString(numero);
            nc.paramByName("c").setAsString(nota);
            nc.execQuery();
            db::Query &sn = S("select sum(IMP_TOTAL) from NOTAS_CREDITO_PROV where COMPROBANTE = :c and COD_PROVEEDOR = 12");
            sn.paramByName("c").setAsString(nota);
            sn.execQuery();
            sn.close();
            cp.paramByName("t").setAsInteger(5);
            cp.paramByName("n").setAsString(numero);
            cp.execQuery();
            db::Query &nn = S("insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, IMP_TOTAL, FECHA, ANULADA, ASIGNADA, "
                              "TIPO_NC) values (:c, 12, 100, current_date, 'N', 'N', 3)");
            nn.paramByName("c").setAsString(nota + QStringLiteral("-S"));
            nn.execQuery();
        }
        K("select ID_PERIODO from PERIODOS where ID_PERIODO = 1 and FK_EMPRESA = 1 with lock").execQuery();
        db::Query &mx = K("select max(ID_ASIENTO) from ASIENTOS where FK_EMPRESA = 1 and FK_PERIODO = 1");
        mx.execQuery();
        const int n = mx.field(0).asInteger() + 1;
        mx.close();
        db::Query &ah = K("insert into ASIENTOS (ID_ASIENTO, FK_EMPRESA, FK_PERIODO, FECHA, DESCRIPCION, BLANCEADO) values "
                          "(:n, 1, 1, current_date, 'x', 'N')");
        ah.paramByName("n").setAsInteger(n);
        ah.execQuery();
        for (int l = 0; l < 4; ++l) {
            db::Query &al = K("insert into LINEAS_ASIENTO (FK_EMPRESA, FK_PERIODO, FK_ASIENTO, CUENTA, IMPORTE_DEBE, "
                              "IMPORTE_HABER) values (1, 1, :n, 'C', 1, 0)");
            al.paramByName("n").setAsInteger(n);
            al.execQuery();
        }
        for (const char *t : {"TEMPORAL_ENC_COMPRA", "TEMPORAL_COMPRAS"})
            S(QStringLiteral("delete from %1 where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'").arg(QLatin1String(t))).execQuery();
        db::CommitTwoPhase({&ts, &ti, &tc});
    }

private:
    EntornoPrueba &env_;
    std::map<QString, std::unique_ptr<db::Query>> cache_;
};
