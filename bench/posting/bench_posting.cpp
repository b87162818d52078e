// Posting a 100-line purchase invoice paid in cash, credit and credit notes (with a new note
// for their excess), and annulling it, against the floor: the same statements, prepared once and
// run back to back in one two-phase commit, with no logic around them.
//
//   bench_posting [repeticiones]     (default 20)

#include "posting/PisoPosteo.h"
#include "purchases/AnulacionCompra.h"
#include "support/EntornoPrueba.h"
#include "platform/Mensajes.h"
#include "purchases/ProcesoCompra.h"
#include "platform/db/TwoPhase.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kLineas = 100;

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
    EntornoPrueba::Ejecutar(env.tienda, "update CAJA_DIARIA set FECHA_HORA = dateadd(day, -1, FECHA_HORA)");
    {
        db::Transaction t(env.inventario);
        db::Query q(&env.inventario, &t);
        q.setSql(QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE, STOCK, COSTO_PROMEDIO, PRECIO_COMPRA, GRAVADO, "
                                "PORC_IV, ACTUALIZAR_EXIST, BASECALCULO_1, COEFA_1, BASECALCULO_2, COEFA_2, BASECALCULO_3, "
                                "BASECALCULO_4) values (:c, 'ARTICULO', 1000, 90, 90, 'S', 13, 'S', 1, 30, 3, -10, 0, 2)"));
        for (int i = 0; i < kLineas; ++i) {
            q.paramByName("c").setAsString(QStringLiteral("BEN-%1").arg(i, 3, 10, QLatin1Char('0')));
            q.execQuery();
        }
        q.close();
        t.commit();
    }
    auto proceso = ProcesoCompra::DesdeDatosComp(*env.datos);
    proceso->DespuesDeConfirmar = nullptr;
    auto anulacion = AnulacionCompra::DesdeDatosComp(*env.datos);
    anulacion->DespuesDeConfirmar = nullptr;
    Piso piso(env);

    std::vector<double> tPosteo, tAnulacion, tBorrado, tPiso;
    for (int r = 0; r < repeticiones + 2; ++r) {  // the first two warm the caches
        const QString numero = QStringLiteral("B-%1").arg(r), nota = QStringLiteral("NB-%1").arg(r);
        Trabajo(env, numero, kLineas);
        Nota(env, nota);
        const TotalesCompra tot = proceso->TotalesDeEstacion();  // 100 x 2 x 100 + 13 % = 22600
        // Notes of 3000 pay 2000; the other 1000 becomes a new note.
        PagoCompra pago;
        pago.efectivo = Currency(11000);
        pago.credito = Currency(9600);
        pago.diasCredito = 30;
        pago.notasCredito = Currency(2000);
        pago.notasElegidas = {nota};
        pago.notaSaldo = nota + QStringLiteral("-S");
        QElapsedTimer t;
        t.start();
        const int id = proceso->Procesar(proceso->DocumentoDeEstacion(), tot, pago);
        const double ms = t.nsecsElapsed() / 1e6;
        if (id <= 0) {
            std::fprintf(stderr, "el posteo falló: %s\n", qPrintable(proceso->UltimoError()));
            return 1;
        }
        t.restart();
        if (!anulacion->AnularCompras(id)) {
            std::fprintf(stderr, "la anulación falló: %s\n", qPrintable(anulacion->UltimoError()));
            return 1;
        }
        const double msA = t.nsecsElapsed() / 1e6;
        t.restart();
        anulacion->BorrarCompra(id);
        const double msB = t.nsecsElapsed() / 1e6;

        Trabajo(env, numero + QStringLiteral("P"), kLineas);
        Nota(env, nota + QStringLiteral("P"));
        t.restart();
        piso.Correr(numero + QStringLiteral("P"), kLineas, nota + QStringLiteral("P"));
        const double msP = t.nsecsElapsed() / 1e6;
        if (r >= 2) {
            tPosteo.push_back(ms);
            tAnulacion.push_back(msA);
            tBorrado.push_back(msB);
            tPiso.push_back(msP);
        }
    }
    std::printf("factura de %d líneas, efectivo + crédito + notas (con nota por el exceso), %d repeticiones, mediana:\n",
                kLineas, repeticiones);
    std::printf("  posteo:                 %8.2f ms\n", Mediana(tPosteo));
    std::printf("  piso (mismas sentencias): %6.2f ms   -> %.2fx\n", Mediana(tPiso), Mediana(tPosteo) / Mediana(tPiso));
    std::printf("  anulación:              %8.2f ms\n", Mediana(tAnulacion));
    std::printf("  borrado:                %8.2f ms\n", Mediana(tBorrado));
    return 0;
}
