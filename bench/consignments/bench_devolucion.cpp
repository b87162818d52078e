// Returning every line of a 100-line consignment (DevolucionConsignacion) against the floor: the
// same statements, prepared once and run back to back in one two-phase commit.
//
//   bench_devolucion [repeticiones]     (default 10)

#include "consignments/DevolucionConsignacion.h"
#include "consignments/RecepcionConsignacion.h"
#include "platform/db/TwoPhase.h"
#include "support/EntornoPrueba.h"
#include "ApoyoBenchConsignaciones.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

using namespace bench_consig;

namespace {


// Receives a 100-line consignment; its ID_CONSIGNACION.
int Recibir(EntornoPrueba &env, const QString &numero)
{
    Trabajo(env);
    return RecepcionConsignacion::DesdeDatosComp(*env.datos)
        ->Guardar({numero, QDate::currentDate(), 12, QStringLiteral("X"), {}, {}, {}, {}, {}, {}, {}, Currency(22600)});
}

// The return's statements without the return.
class Piso {
public:
    explicit Piso(EntornoPrueba &env) : env_(env) {}
    void Correr(int id, const QString &numero)
    {
        auto &Q = sentencias_;
        auto S = [&](const QString &sql) -> db::Query & { return Q(env_.tienda, env_.transUpdate, sql); };
        auto I = [&](const QString &sql) -> db::Query & { return Q(env_.inventario, env_.transUpdateInv, sql); };
        db::Query &h = S("select ANULADA, DEVUELTA from CONSIGNACIONES where ID_CONSIGNACION = :ID with lock");
        h.paramByName("ID").setAsInteger(id);
        h.execQuery();
        h.close();
        std::vector<int> detalles;
        db::Query &l = S("select ID_DETALLE_CONSIGNACION from DETALLE_CONSIGNACION where ID_CONSIGNACION = :ID");
        l.paramByName("ID").setAsInteger(id);
        for (l.execQuery(); !l.eof(); l.next())
            detalles.push_back(l.field(0).asInteger());
        l.close();
        for (int d : detalles) {
            db::Query &u = S("update DETALLE_CONSIGNACION set PROCESADOS = PROCESADOS + 2, EXISTENCIA = EXISTENCIA - 2 "
                             "where ID_DETALLE_CONSIGNACION = :d");
            u.paramByName("d").setAsInteger(d);
            u.execQuery();
        }
        for (int i = 0; i < kLineas; ++i) {
            const QString cod = Codigo(i);
            db::Query &a = I("select ACTUALIZAR_EXIST, COSTO_PROMEDIO from INVENTARIO where COD_BARRAS = :c with lock");
            a.paramByName("c").setAsString(cod);
            a.execQuery();
            a.close();
            db::Query &s = I("update INVENTARIO set STOCK = STOCK - 2 where COD_BARRAS = :c");
            s.paramByName("c").setAsString(cod);
            s.execQuery();
            db::Query &r = I("select STOCK from INVENTARIO where COD_BARRAS = :c");
            r.paramByName("c").setAsString(cod);
            r.execQuery();
            const Currency stock = r.field(0).asCurrency();
            r.close();
            db::Query &e = I("update EXISTENCIAS set EXISTENCIA = :e where COD_BODEGA = '0' and COD_ART = :c");
            e.paramByName("e").setAsCurrency(stock);
            e.paramByName("c").setAsString(cod);
            e.execQuery();
        }
        for (int i = 0; i < kLineas; ++i) {
            db::Query &mv = S("insert into MOVIMIENTOS_STOCK (FECHA, TIPO_MOVIMIENTO, DESCRIPCION_MOV, FAMILIA, COD_BARRAS, "
                              "NOMBRE_ARTICULO, COMPROBANTE, CANTIDAD, FRACCIONADO, CREATE_USERID, UPDATE_USERID, "
                              "TIPO_CAMBIO, TIPO_CAMBIO_2, ID_TRANSACCION) values (current_timestamp, 2, 'x', 'MED-ANA', :c, "
                              "'ARTICULO', :n, 2, 'N', 'ADMIN', 'ADMIN', 520, 1, 0)");
            mv.paramByName("c").setAsString(Codigo(i));
            mv.paramByName("n").setAsString(numero);
            mv.execQuery();
        }
        db::CommitTwoPhase({&env_.transUpdate, &env_.transUpdateInv});
    }

private:
    EntornoPrueba &env_;
    bench_consig::Sentencias sentencias_;
};


} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int repeticiones = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    EntornoPrueba env;
    for (int i = 0; i < kLineas; ++i) {
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE, COD_FAMILIA, STOCK, "
                                                               "COSTO_PROMEDIO, PRECIO_COMPRA, GRAVADO, PORC_IV, "
                                                               "IMPUESTO_INCLUIDO, ACTUALIZAR_EXIST) values ('%1', 'ARTICULO', "
                                                               "'MED-ANA', 10, 100, 100, 'S', 13, 'N', 'S')").arg(Codigo(i)));
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into EXISTENCIAS (COD_ART, COD_BODEGA, EXISTENCIA) values "
                                                               "('%1', '0', 10)").arg(Codigo(i)));
    }
    AjustesDevolucionConsig a;
    a.actualizaExist = true;
    a.nroCaja = 1;
    a.computadora = QStringLiteral("PRUEBA");
    a.usuario = QStringLiteral("ADMIN");
    DevolucionConsignacion devolucion(ConexionesCompra{&env.tienda, &env.transUpdate, &env.inventario, &env.transUpdateInv,
                                                       nullptr, nullptr},
                                      a);
    std::vector<double> real, piso;
    Piso p(env);
    for (int r = 0; r < repeticiones + 1; ++r) {
        const int id = Recibir(env, QStringLiteral("D-%1").arg(r)), otra = Recibir(env, QStringLiteral("P-%1").arg(r));
        if (id <= 0 || otra <= 0) {
            std::fprintf(stderr, "la recepción falló\n");
            return 1;
        }
        auto lineas = devolucion.Lineas(id);
        for (auto &l : lineas)
            l.marcada = true;
        QElapsedTimer t;
        t.start();
        if (devolucion.Devolver(id, lineas) != DevolucionConsignacion::Resultado::Hecha) {
            std::fprintf(stderr, "la devolución falló: %s\n", qPrintable(devolucion.UltimoError()));
            return 1;
        }
        const double ms = t.nsecsElapsed() / 1e6;
        t.restart();
        p.Correr(otra, QStringLiteral("P-%1").arg(r));
        const double msPiso = t.nsecsElapsed() / 1e6;
        if (r > 0) {  // the first round prepares the statements of both
            real.push_back(ms);
            piso.push_back(msPiso);
        }
    }
    const double mr = Mediana(real), mp = Mediana(piso);
    std::printf("devolución de %d líneas: %.1f ms (mediana de %d); piso: %.1f ms; razón %.2f\n", kLineas, mr, repeticiones, mp,
                mp > 0 ? mr / mp : 0);
    return 0;
}
