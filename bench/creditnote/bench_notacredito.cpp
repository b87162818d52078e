// Recording a 100-line return credit note applied against its invoice's open credit, against
// the floor: the same statements, prepared once and run back to back in one two-phase commit,
// with no logic around them.
//
//   bench_notacredito [repeticiones]     (default 20)

#include "creditnotes/DevolucionNotaCredito.h"
#include "support/EntornoPrueba.h"
#include "platform/db/TwoPhase.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

constexpr int kLineas = 100;

QString Codigo(int i)
{
    return QStringLiteral("BEN-%1").arg(i, 3, 10, QLatin1Char('0'));
}

void Trabajo(EntornoPrueba &env, const QString &numero)
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
                            "values ('PRUEBA', 1, :cod, 'MED-ANA', 'ARTICULO', 1, 100, 100, 113, 'S', 'N', 13, 0, 0, 100, "
                            "0, 100, 0, 13, 100, 113, 0, 'N', 'N')"));
    for (int i = 0; i < kLineas; ++i) {
        q.paramByName("cod").setAsString(Codigo(i));
        q.execQuery();
    }
    q.close();
    t.commit();
}

// The recording's statements without the recording.
class Piso {
public:
    explicit Piso(EntornoPrueba &env) : env_(env) {}
    void Correr(const QString &numero, int idCompra)
    {
        db::Transaction &ts = env_.transUpdate, &ti = env_.transUpdateInv;
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
        const QDateTime ahora = QDateTime::currentDateTime();
        db::Query &l = S("select * from TEMPORAL_COMPRAS where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA' order by ID_TEMP_COMPRA");
        for (l.execQuery(); !l.eof(); l.next())
            l.row();
        l.close();
        // What was bought and what is in stock, per article (the question before returning too much).
        for (int i = 0; i < kLineas; ++i) {
            db::Query &c = S("select sum(CANTIDAD) from DETALLE_FACTURAS_COMPRA where ID_COMPRA = :id and CODIGO_ARTICULO = :c");
            c.paramByName("id").setAsInteger(idCompra);
            c.paramByName("c").setAsString(Codigo(i));
            c.execQuery();
            c.close();
            db::Query &k = I("select STOCK, ACTUALIZAR_EXIST from INVENTARIO where COD_BARRAS = :c");
            k.paramByName("c").setAsString(Codigo(i));
            k.execQuery();
            k.close();
        }
        I("select COD_PROVEEDOR from PROVEEDORES where COD_PROVEEDOR = 12 with lock").execQuery();
        db::Query &dup = S("select first 1 ID_NC_PROV from NOTAS_CREDITO_PROV where COD_PROVEEDOR = 12 and COMPROBANTE = :c");
        dup.paramByName("c").setAsString(numero);
        dup.execQuery();
        dup.close();
        db::Query &f = S("select IMPORTE_NC from FACTURAS_COMPRA where ID_COMPRA = :id with lock");
        f.paramByName("id").setAsInteger(idCompra);
        f.execQuery();
        f.close();
        db::Query &uf = S("update FACTURAS_COMPRA set IMPORTE_NC = IMPORTE_NC + 11300 where ID_COMPRA = :id");
        uf.paramByName("id").setAsInteger(idCompra);
        uf.execQuery();
        for (int i = 0; i < kLineas; ++i) {
            db::Query &a = I("select ACTUALIZAR_EXIST, COSTO_PROMEDIO from INVENTARIO where COD_BARRAS = :c with lock");
            a.paramByName("c").setAsString(Codigo(i));
            a.execQuery();
            a.close();
        }
        for (int i = 0; i < kLineas; ++i) {
            db::Query &u = I("update INVENTARIO set STOCK = STOCK - 1 where COD_BARRAS = :c");
            u.paramByName("c").setAsString(Codigo(i));
            u.execQuery();
            db::Query &e = I("update EXISTENCIAS set EXISTENCIA = EXISTENCIA - 1 where COD_BODEGA = '0' and COD_ART = :c");
            e.paramByName("c").setAsString(Codigo(i));
            e.execQuery();
            db::Query &m = S("insert into MOVIMIENTOS_STOCK (FECHA, TIPO_MOVIMIENTO, DESCRIPCION_MOV, FAMILIA, COD_BARRAS, "
                             "NOMBRE_ARTICULO, COMPROBANTE, CANTIDAD, FRACCIONADO, CREATE_USERID, CREATE_TMSTMP, "
                             "UPDATE_USERID, UPDATE_TMSTMP, TIPO_CAMBIO, TIPO_CAMBIO_2, ID_TRANSACCION) values (:t, 2, 'x', "
                             "'MED-ANA', :c, 'ARTICULO', :n, 1, 'N', 'ADMIN', :t, 'ADMIN', :t, 1, 1, -1)");
            m.paramByName("t").setAsDateTime(ahora);
            m.paramByName("c").setAsString(Codigo(i));
            m.paramByName("n").setAsString(numero);
            m.execQuery();
        }
        db::Query &h = S("insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, IMP_TOTAL, FECHA, ANULADA, ASIGNADA, "
                         "TIPO_NC, FACTURA_VENTA) values (:c, 12, 11300, current_date, 'N', 'N', 2, 'FB-1') returning ID_NC_PROV");
        h.paramByName("c").setAsString(numero);
        h.execQuery();
        const int id = h.field(0).asInteger();
        h.close();
        for (int i = 0; i < kLineas; ++i) {
            db::Query &d = S("insert into DETALLE_NC_PROV (FK_NC_PROV, COD_PROVEEDOR, FECHA, COMPROBANTE, CODIGO_FAMILIA, "
                             "CODIGO_ARTICULO, DESCRIPCION, CANTIDAD, IMPORTE_UNITARIO, IMPORTE_TOTAL) values (:id, 12, "
                             "current_date, :n, 'MED-ANA', :c, 'ARTICULO', 1, 100, 113)");
            d.paramByName("id").setAsInteger(id);
            d.paramByName("n").setAsString(numero);
            d.paramByName("c").setAsString(Codigo(i));
            d.execQuery();
        }
        db::Query &s = S("select A_CANCELAR from CUENTA_PROVEEDOR where COMPROBANTE = 'FB-1' and COD_TIPO_MOV = 1 and "
                         "COD_PROVEEDOR = 12 with lock");
        s.execQuery();
        s.close();
        S("update CUENTA_PROVEEDOR set A_CANCELAR = A_CANCELAR - 1 where COMPROBANTE = 'FB-1' and COD_TIPO_MOV = 1 and "
          "COD_PROVEEDOR = 12").execQuery();
        db::Query &a = S("update NOTAS_CREDITO_PROV set ASIGNADA = 'S', APLICA_FECHA = :f, APLICA_FACTURA = 'FB-1' where "
                         "COMPROBANTE = :c and COD_PROVEEDOR = 12");
        a.paramByName("f").setAsDateTime(ahora);
        a.paramByName("c").setAsString(numero);
        a.execQuery();
        db::Query &cp = S("insert into CUENTA_PROVEEDOR (COD_PROVEEDOR, COD_TIPO_MOV, COMPROBANTE, IMPORTE, FECHA) values "
                          "(12, 5, :n, 11300, current_date)");
        cp.paramByName("n").setAsString(numero);
        cp.execQuery();
        for (const char *t : {"TEMPORAL_COMPRAS", "TEMPORAL_ENC_COMPRA"})
            S(QStringLiteral("delete from %1 where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'").arg(QLatin1String(t))).execQuery();
        db::CommitTwoPhase({&ts, &ti});
    }

private:
    EntornoPrueba &env_;
    std::map<QString, std::unique_ptr<db::Query>> cache_;
};

double Mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeticiones = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    EntornoPrueba env;
    env.datos->CargarTipoCambio();
    {
        db::Transaction t(env.inventario);
        db::Query q(&env.inventario, &t);
        q.setSql(QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE, STOCK, COSTO_PROMEDIO, PRECIO_COMPRA, GRAVADO, "
                                "PORC_IV, ACTUALIZAR_EXIST) values (:c, 'ARTICULO', 100000, 90, 90, 'S', 13, 'S')"));
        db::Query e(&env.inventario, &t);
        e.setSql(QStringLiteral("insert into EXISTENCIAS (COD_ART, COD_BODEGA, EXISTENCIA) values (:c, '0', 100000)"));
        for (int i = 0; i < kLineas; ++i) {
            q.paramByName("c").setAsString(Codigo(i));
            q.execQuery();
            e.paramByName("c").setAsString(Codigo(i));
            e.execQuery();
        }
        q.close();
        e.close();
        t.commit();
    }
    // A credit invoice with a large open balance, so every note is applied against it.
    EntornoPrueba::Ejecutar(env.tienda, "insert into FACTURAS_COMPRA (COMPROBANTE, CODIGO_PROVEEDOR, FECHA, IMPORTE_TOTAL, "
                                        "IMPORTE_CREDITO, IMPORTE_NC, ANULADA) values ('FB-1', 12, current_date, 1e9, 1e9, 0, 'N')");
    EntornoPrueba::Ejecutar(env.tienda, "insert into CUENTA_PROVEEDOR (COD_PROVEEDOR, COD_TIPO_MOV, COMPROBANTE, IMPORTE, "
                                        "A_CANCELAR, FECHA) values (12, 1, 'FB-1', 1e9, 1e9, current_date)");
    const int idCompra = EntornoPrueba::Entero(env.tienda, "select ID_COMPRA from FACTURAS_COMPRA where COMPROBANTE = 'FB-1'");
    auto proceso = DevolucionNotaCredito::DesdeDatosComp(*env.datos);
    proceso->DespuesDeConfirmar = nullptr;
    Piso piso(env);

    std::vector<double> tNota, tPiso;
    for (int r = 0; r < repeticiones + 2; ++r) {  // the first two warm the caches
        DocumentoDevolucion doc;
        doc.comprobante = QStringLiteral("NB-%1").arg(r);
        doc.codProveedor = 12;
        doc.fecha = QDate::currentDate();
        doc.factura = QStringLiteral("FB-1");
        doc.asignar = true;
        Trabajo(env, doc.comprobante);
        QElapsedTimer t;
        t.start();
        const int id = proceso->Registrar(doc);
        const double ms = t.nsecsElapsed() / 1e6;
        if (id <= 0) {
            std::fprintf(stderr, "la nota %s no se registró: %s\n", qPrintable(doc.comprobante),
                         qPrintable(proceso->UltimoError()));
            return 1;
        }
        Trabajo(env, QStringLiteral("PB-%1").arg(r));
        t.restart();
        piso.Correr(QStringLiteral("PB-%1").arg(r), idCompra);
        const double msPiso = t.nsecsElapsed() / 1e6;
        if (r >= 2) {
            tNota.push_back(ms);
            tPiso.push_back(msPiso);
        }
    }
    const double nota = Mediana(tNota), piso_ = Mediana(tPiso);
    std::printf("nota de crédito de %d líneas: %.1f ms (mediana de %d)\n", kLineas, nota, repeticiones);
    std::printf("sentencias sin lógica:        %.1f ms\n", piso_);
    std::printf("razón: %.2f (meta: 2.00 o menos)\n", piso_ > 0 ? nota / piso_ : 0.0);
    return nota <= 2 * piso_ ? 0 : 2;
}
