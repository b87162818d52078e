// "compras post" of a 1-line and a 100-line invoice (two of each article at 100, taxed 13 %, paid
// on credit), in one run:
//   - posting alone: the work tables filled by the entry beforehand, then the posting;
//   - entering and posting in process, as the command does (PostearFactura);
//   - the entry alone, line by line (AgregarArticulo) and in one go (AgregarArticulos);
//   - the whole command, a new process per invoice over the same databases;
//   - the floor: the posting's bare statements, prepared once, in one two-phase commit.
// Wall time and CPU time (user + system; the child's for the command) of each.
//
//   bench_postcli [repeticiones] [ruta de compras]     (default 15, build/bin/compras)

#include "cli/FacturaJson.h"
#include "cli/PosteoCli.h"
#include "posting/PisoPosteo.h"
#include "purchases/EntradaCompra.h"
#include "purchases/ProcesoCompra.h"
#include "support/EntornoPrueba.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

constexpr int kLineas = 100;

QString Codigo(int i) { return QStringLiteral("BEN-%1").arg(i, 3, 10, QLatin1Char('0')); }

QByteArray Json(const QString &numero, int cuantas)
{
    QStringList lineas;
    for (int i = 0; i < cuantas; ++i)
        lineas << QStringLiteral(R"({"codigo": "%1", "cantidad": 2, "costo": 100})").arg(Codigo(i));
    return QStringLiteral(R"({"proveedor": 12, "comprobante": "%1", "fecha": "%2", "moneda": 1, "lineas": [%3],
        "pago": {"credito": %4, "dias": 30}})")
        .arg(numero, QDate::currentDate().toString(Qt::ISODate), lineas.join(QStringLiteral(", ")))
        .arg(226 * cuantas)
        .toUtf8();
}

// CPU milliseconds (user + system) of this process, or of its waited-for children.
double CpuMs(int quien)
{
    if (quien == RUSAGE_SELF) {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    }
    rusage u{};
    getrusage(quien, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

struct Tiempos {
    std::vector<double> pared, cpu;
};

double Mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

bool Fallo(const char *que, const QString &por)
{
    std::fprintf(stderr, "%s falló: %s\n", que, qPrintable(por));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeticiones = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const QString compras = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                     : QCoreApplication::applicationDirPath() + QStringLiteral("/../../bin/compras");
    EntornoPrueba env;
    env.datos->CargarTipoCambio();
    {
        db::Transaction t(env.inventario);
        db::Query q(&env.inventario, &t);
        q.setSql(QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE, STOCK, COSTO_PROMEDIO, PRECIO_COMPRA, GRAVADO, "
                                "PORC_IV, IMPUESTO_INCLUIDO, ACTUALIZAR_EXIST, COMPUESTO, FRACCIONADO, TIENE_SERIE, "
                                "BASECALCULO_1, COEFA_1, BASECALCULO_2, COEFA_2, BASECALCULO_3, BASECALCULO_4) values "
                                "(:c, 'ARTICULO', 1000, 90, 90, 'S', 13, 'N', 'S', 'N', 'N', 'N', 1, 30, 3, -10, 0, 2)"));
        for (int i = 0; i < kLineas; ++i) {
            q.paramByName("c").setAsString(Codigo(i));
            q.execQuery();
        }
        q.close();
        t.commit();
    }
    auto proceso = ProcesoCompra::DesdeDatosComp(*env.datos);
    Piso piso(env);
    QElapsedTimer t;
    for (const int cuantas : {1, kLineas}) {
        PagoCompra pago;
        pago.credito = Currency(226 * cuantas);
        pago.diasCredito = 30;
        std::vector<ArticuloTecleado> tecleadas;
        for (int i = 0; i < cuantas; ++i)
            tecleadas.push_back({Codigo(i), Currency(2), Currency(100), std::nullopt, std::nullopt});

        Tiempos tPosteo, tCompleto, tOrden, tPiso;
        std::vector<double> tUnoAUno, tLote;
        for (int r = 0; r < repeticiones + 2; ++r) {  // the first two warm the caches
            const bool medir = r >= 2;
            const QString numero = QStringLiteral("B%1-%2").arg(cuantas).arg(r);
            auto medida = [&](Tiempos &donde, double cpuAntes, int quien) {
                if (medir) {
                    donde.pared.push_back(t.nsecsElapsed() / 1e6);
                    donde.cpu.push_back(CpuMs(quien) - cpuAntes);
                }
            };

            {
                // The station's document as the entry leaves it; only the posting is timed.
                EntradaCompra e(*env.datos);
                e.Iniciar();
                e.EstablecerProveedor(12, QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
                e.EstablecerComprobante(numero + QStringLiteral("P"));
                if (!e.AgregarArticulos(tecleadas) && Fallo("la entrada", e.UltimoError()))
                    return 1;
            }
            const TotalesCompra tot = proceso->TotalesDeEstacion();
            double cpu = CpuMs(RUSAGE_SELF);
            t.start();
            const int id = proceso->Procesar(proceso->DocumentoDeEstacion(), tot, pago);
            medida(tPosteo, cpu, RUSAGE_SELF);
            if (id <= 0 && Fallo("el posteo", proceso->UltimoError()))
                return 1;

            Trabajo(env, numero + QStringLiteral("F"), cuantas);
            cpu = CpuMs(RUSAGE_SELF);
            t.restart();
            piso.Correr(numero + QStringLiteral("F"), cuantas);
            medida(tPiso, cpu, RUSAGE_SELF);

            QString error;
            const auto factura = LeerFacturaJson(Json(numero + QStringLiteral("E"), cuantas), error);
            if (!factura && Fallo("el archivo", error))
                return 1;
            cpu = CpuMs(RUSAGE_SELF);
            t.restart();
            const ResultadoCli c = PostearFactura(*factura, QStringLiteral("PRUEBA"));
            medida(tCompleto, cpu, RUSAGE_SELF);
            if (c.codigo != 0 && Fallo("compras post en proceso", c.mensaje))
                return 1;

            {
                EntradaCompra e(*env.datos);
                e.Iniciar();
                e.EstablecerCambioCosto(EntradaCompra::CambioCosto::Cambiar);
                t.restart();
                for (const ArticuloTecleado &l : tecleadas)
                    if (e.AgregarArticulo(l.codigo, l.cantidad, l.costo) == EntradaCompra::Resultado::Error
                        && Fallo("la entrada línea por línea", e.UltimoError()))
                        return 1;
                const double msUno = t.nsecsElapsed() / 1e6;
                e.LimpiarFactura();
                t.restart();
                if (!e.AgregarArticulos(tecleadas) && Fallo("la entrada en un paso", e.UltimoError()))
                    return 1;
                const double msLote = t.nsecsElapsed() / 1e6;
                e.LimpiarFactura();
                if (medir) {
                    tUnoAUno.push_back(msUno);
                    tLote.push_back(msLote);
                }
            }

            const QString archivo = env.carpeta.path() + QStringLiteral("/factura.json");
            QFile f(archivo);
            f.open(QIODevice::WriteOnly | QIODevice::Truncate);
            f.write(Json(numero + QStringLiteral("C"), cuantas));
            f.close();
            QProcess p;
            QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
            entorno.insert(QStringLiteral("ComputerName"), QStringLiteral("BENCH-CLI"));
            p.setProcessEnvironment(entorno);
            cpu = CpuMs(RUSAGE_CHILDREN);
            t.restart();
            p.start(compras, {QStringLiteral("post"), env.carpeta.path(), archivo});
            p.waitForFinished(60000);
            medida(tOrden, cpu, RUSAGE_CHILDREN);
            if ((p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
                && Fallo("compras post", QString::fromLocal8Bit(p.readAllStandardError()) + p.errorString()))
                return 1;
        }
        const double posteo = Mediana(tPosteo.pared), completo = Mediana(tCompleto.pared);
        std::printf("factura de %d %s a crédito, %d repeticiones, mediana (pared / CPU):\n", cuantas,
                    cuantas == 1 ? "línea" : "líneas", repeticiones);
        std::printf("  piso (sentencias del posteo, solas):    %8.2f / %8.2f ms\n", Mediana(tPiso.pared), Mediana(tPiso.cpu));
        std::printf("  posteo solo (documento ya entrado):     %8.2f / %8.2f ms\n", posteo, Mediana(tPosteo.cpu));
        std::printf("  entrada + posteo en proceso:            %8.2f / %8.2f ms   -> %.2fx el posteo\n", completo,
                    Mediana(tCompleto.cpu), completo / posteo);
        std::printf("  entrada línea por línea:                %8.2f ms\n", Mediana(tUnoAUno));
        std::printf("  entrada en un paso:                     %8.2f ms\n", Mediana(tLote));
        std::printf("  compras post (proceso completo):        %8.2f / %8.2f ms   -> %.2fx el piso (pared mín. %.2f, "
                    "máx. %.2f)\n",
                    Mediana(tOrden.pared), Mediana(tOrden.cpu), Mediana(tOrden.pared) / Mediana(tPiso.pared),
                    *std::min_element(tOrden.pared.begin(), tOrden.pared.end()),
                    *std::max_element(tOrden.pared.begin(), tOrden.pared.end()));
        std::fflush(stdout);
    }
    return 0;
}
