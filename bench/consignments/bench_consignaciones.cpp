// Two figures of the consignments:
//  - saving a 100-line consignment receipt (RecepcionConsignacion) against the floor: the same
//    statements, prepared once and run back to back in one two-phase commit, no logic around them;
//  - the consignments browser's first painted screen over 100,000 consignments.
//
//   bench_consignaciones [repeticiones] [consignaciones]     (defaults 10 and 100000)

#include "consignments/Comp_frmconsignaciones.h"
#include "consignments/RecepcionConsignacion.h"
#include "platform/Mensajes.h"
#include "platform/db/TwoPhase.h"
#include "support/EntornoPrueba.h"
#include "ApoyoBenchConsignaciones.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

using namespace bench_consig;

namespace {



// The receipt's statements without the receipt.
class Piso {
public:
    explicit Piso(EntornoPrueba &env) : env_(env) {}
    void Correr(const QString &numero)
    {
        db::Transaction &ts = env_.transUpdate, &ti = env_.transUpdateInv;
        auto &Q = sentencias_;
        auto S = [&](const QString &sql) -> db::Query & { return Q(env_.tienda, ts, sql); };
        auto I = [&](const QString &sql) -> db::Query & { return Q(env_.inventario, ti, sql); };
        {
            db::Query &q = S("select * from TEMPORAL_COMPRAS where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA' order by ID_TEMP_COMPRA");
            for (q.execQuery(); !q.eof(); q.next())
                q.row();
            q.close();
        }
        I("select CEDULA, TEL1 from PROVEEDORES where COD_PROVEEDOR = 12 with lock").execQuery();
        db::Query &dup = S("select first 1 1 from CONSIGNACIONES where CODIGO_PROVEEDOR = 12 and COMPROBANTE = :c");
        dup.paramByName("c").setAsString(numero);
        dup.execQuery();
        dup.close();
        db::Query &h = S("insert into CONSIGNACIONES (FECHA, COMPROBANTE, CODIGO_PROVEEDOR, NOMBRE, IMPORTE_TOTAL, ANULADA, "
                         "COMPUTADORA, NRO_CAJA) values (current_date, :c, 12, 'X', 22600, 'N', 'PRUEBA', 1) returning "
                         "ID_CONSIGNACION");
        h.paramByName("c").setAsString(numero);
        h.execQuery();
        const int id = h.field(0).asInteger();
        h.close();
        for (int i = 0; i < kLineas; ++i) {
            db::Query &a = I("select PRECIO_COMPRA, COSTO_PROMEDIO from INVENTARIO where COD_BARRAS = :c with lock");
            a.paramByName("c").setAsString(Codigo(i));
            a.execQuery();
            a.close();
        }
        for (int i = 0; i < kLineas; ++i) {
            db::Query &d = S("insert into DETALLE_CONSIGNACION (ID_CONSIGNACION, FECHA, COMPROBANTE, CODIGO_FAMILIA, "
                             "CODIGO_ARTICULO, DESCRIPCION, IMPORTE_UNITARIO, CANTIDAD, IMPORTE_IMPUESTO, PORC_IMPUESTO, "
                             "IMPORTE_TOTAL, IMPORTE_DESCUENTO, PORC_DESCUENTO, GRAVADO, IMPUESTO_INCLUIDO, FRACCIONADO, "
                             "PRECIO_ANTERIOR, PROMEDIO_ANTERIOR, PROCESADOS, ANULADA, TIPO_CAMBIO, TIPO_CAMBIO_2, "
                             "COMPUTADORA, NRO_CAJA, EXISTENCIA) values (:id, current_date, :n, 'MED-ANA', :c, 'ARTICULO', "
                             "100, 2, 26, 13, 200, 0, 0, 'S', 'N', 'N', 100, 100, 0, 'N', 520, 1, 'PRUEBA', 1, 2)");
            d.paramByName("id").setAsInteger(id);
            d.paramByName("n").setAsString(numero);
            d.paramByName("c").setAsString(Codigo(i));
            d.execQuery();
        }
        for (int i = 0; i < kLineas; ++i) {
            const QString cod = Codigo(i);
            db::Query &a = I("select * from INVENTARIO where COD_BARRAS = :c with lock");
            a.paramByName("c").setAsString(cod);
            a.execQuery();
            a.row();
            a.close();
            db::Query &e = I("update EXISTENCIAS set EXISTENCIA = EXISTENCIA + 2 where COD_BODEGA = '0' and COD_ART = :c");
            e.paramByName("c").setAsString(cod);
            e.execQuery();
            db::Query &c = I("update compuesto set costo = 100 where cod_articulo = :c");
            c.paramByName("c").setAsString(cod);
            c.execQuery();
            db::Query &u = I("UPDATE INVENTARIO SET STOCK = :s, PREVEN_1 = :p1, PRECIOSINIV_1 = :s1, PRECIOCONIV_1 = :c1, "
                             "PREVEN_2 = :p2, PRECIOSINIV_2 = :s2, PRECIOCONIV_2 = :c2, COSTO_PROMEDIO = :cp, "
                             "PRECIO_COMPRA = :pc, FK_PROVEEDOR = 12, FECHA_ULTIMACOMPRA = current_date, GRAVADO = 'S', "
                             "IMPUESTO_INCLUIDO = 'N', COMPRA_MONEDA1 = 520, COMPRA_MONEDA2 = 1 WHERE COD_BARRAS = :c");
            for (const char *p : {"s", "p1", "s1", "c1", "p2", "s2", "c2", "cp", "pc"})
                u.paramByName(p).setAsCurrency(Currency(100));
            u.paramByName("c").setAsString(cod);
            u.execQuery();
            db::Query &k = I("update INVENTARIO set CONSIGNACION = 'S' where COD_BARRAS = :c");
            k.paramByName("c").setAsString(cod);
            k.execQuery();
            db::Query &mv = S("insert into MOVIMIENTOS_STOCK (FECHA, TIPO_MOVIMIENTO, DESCRIPCION_MOV, FAMILIA, COD_BARRAS, "
                              "NOMBRE_ARTICULO, COMPROBANTE, CANTIDAD, FRACCIONADO, CREATE_USERID, UPDATE_USERID, "
                              "TIPO_CAMBIO, TIPO_CAMBIO_2, ID_TRANSACCION) values (current_timestamp, 1, 'x', 'MED-ANA', :c, "
                              "'ARTICULO', :n, 2, 'N', 'ADMIN', 'ADMIN', 520, 1, -1)");
            mv.paramByName("c").setAsString(cod);
            mv.paramByName("n").setAsString(numero);
            mv.execQuery();
        }
        S("delete from TEMPORAL_COMPRAS where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'").execQuery();
        S("delete from TEMPORAL_ENC_COMPRA where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'").execQuery();
        db::CommitTwoPhase({&ts, &ti});
    }

private:
    EntornoPrueba &env_;
    bench_consig::Sentencias sentencias_;
};


} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeticiones = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const int cantidad = argc > 2 ? std::max(1, atoi(argv[2])) : 100000;

    EntornoPrueba env;
    for (int i = 0; i < kLineas; ++i) {
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE, COD_FAMILIA, STOCK, "
                                                               "COSTO_PROMEDIO, PRECIO_COMPRA, GRAVADO, PORC_IV, "
                                                               "IMPUESTO_INCLUIDO, ACTUALIZAR_EXIST, BASECALCULO_1, COEFA_1, "
                                                               "BASECALCULO_2, COEFA_2) values ('%1', 'ARTICULO', 'MED-ANA', "
                                                               "10, 100, 100, 'S', 13, 'N', 'S', 1, 30, 2, 20)").arg(Codigo(i)));
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into EXISTENCIAS (COD_ART, COD_BODEGA, EXISTENCIA) values "
                                                               "('%1', '0', 10)").arg(Codigo(i)));
    }
    std::vector<double> real, piso;
    Piso p(env);
    for (int r = 0; r < repeticiones + 1; ++r) {
        Trabajo(env);
        auto recepcion = RecepcionConsignacion::DesdeDatosComp(*env.datos);
        QElapsedTimer t;
        t.start();
        const int id = recepcion->Guardar({QStringLiteral("R-%1").arg(r), QDate::currentDate(), 12, QStringLiteral("X"), {},
                                           {}, {}, {}, {}, {}, {}, Currency(22600)});
        const double ms = t.nsecsElapsed() / 1e6;
        if (id <= 0) {
            std::fprintf(stderr, "la recepción falló: %s\n", qPrintable(recepcion->UltimoError()));
            return 1;
        }
        Trabajo(env);
        t.restart();
        p.Correr(QStringLiteral("P-%1").arg(r));
        const double msPiso = t.nsecsElapsed() / 1e6;
        if (r > 0) {  // the first round prepares the statements of both
            real.push_back(ms);
            piso.push_back(msPiso);
        }
    }
    const double mr = Mediana(real), mp = Mediana(piso);
    std::printf("recepción de %d líneas: %.1f ms (mediana de %d); piso: %.1f ms; razón %.2f\n", kLineas, mr, repeticiones, mp,
                mp > 0 ? mr / mp : 0);

    // The browser over `cantidad` consignments (at most 100,000), a hundred a day up to today.
    QStringList digitos;
    for (int d = 0; d < 10; ++d)
        digitos << QStringLiteral("select %1 n from RDB$DATABASE").arg(d);
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into CONSIGNACIONES (FECHA, COMPROBANTE, CODIGO_PROVEEDOR, "
                                                       "NOMBRE, IMPORTE_TOTAL, ANULADA, PROCESADA, DEVUELTA) "
                                                       "select dateadd(-(%1 - i) / 100 day to current_date), 'B' || i, 12, "
                                                       "'PROVEEDOR ' || mod(i, 50), 1000, 'N', 'N', 'N' from (with d as (%2) "
                                                       "select a.n + 10 * b.n + 100 * c.n + 1000 * e.n + 10000 * f.n as i "
                                                       "from d a, d b, d c, d e, d f) where i < %1")
                                            .arg(cantidad)
                                            .arg(digitos.join(QStringLiteral(" union all "))));
    QElapsedTimer t;
    t.start();
    auto *frm = new TfrmConsignaciones(*env.datos);
    frm->show();
    app.processEvents();
    frm->SMDBGrid1->viewport()->repaint();
    const double primera = t.nsecsElapsed() / 1e6;
    std::printf("ventana de consignaciones sobre %d consignaciones: primera pantalla en %.1f ms (%d filas listadas)\n",
                cantidad + repeticiones + 1, primera, frm->SMDBGrid1->model()->rowCount());
    delete frm;
    return 0;
}
