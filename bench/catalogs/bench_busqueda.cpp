// Article search over 200,000 articles: each keystroke of a few typed texts (list opened and
// its first screen fetched) against the bare statement that scans every article; then the
// same keys through the search's worker: the time to the first screen and the time the
// calling (interface) thread is busy for each key.
#include "catalogs/BuscadorArticulos.h"
#include "catalogs/BusquedaArticulos.h"
#include "data/CreacionBases.h"
#include "platform/db/Database.h"
#include "platform/db/Dataset.h"
#include "platform/db/Query.h"
#include "platform/db/ScriptRunner.h"
#include "platform/db/Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kArticulos = 200000;
constexpr int kVersion = 6;  // of the inventory schema the catalogue was built with
constexpr int kPantalla = 40;   // rows of the first screen
constexpr double kLimiteMs = 100;

// Names from a drug or product, a strength and a pack; codes 74 + eleven digits; every third
// article has a second code, every seventh is composite.
void Llenar(db::Database &base)
{
    // A script: its runner leaves the block's ":i" alone (a query would bind them). The search
    // texts are built once at the end, as "compras check" builds them for an older database.
    db::RunScript(base, QStringLiteral(
        "alter trigger INVENTARIO_BUSQUEDA_AI inactive;\n"
        "set term ^ ;\n"
        "execute block as\n"
        "declare i integer = 0;\n"
        "declare p varchar(40); declare f varchar(40);\n"
        "begin\n"
        "  while (i < %1) do begin\n"
        "    p = decode(mod(i, 16), 0, 'ACETAMINOFEN', 1, 'IBUPROFENO', 2, 'AMOXICILINA', 3, 'LORATADINA',\n"
        "        4, 'OMEPRAZOL', 5, 'ASPIRINA', 6, 'JABON', 7, 'CREMA DENTAL', 8, 'GALLETAS', 9, 'REFRESCO',\n"
        "        10, 'SHAMPOO', 11, 'VITAMINA C', 12, 'DICLOFENACO', 13, 'CEPILLO', 14, 'ALCOHOL', 'ALGODON');\n"
        "    f = decode(mod(i / 16, 6), 0, 'TABLETAS', 1, 'CAPSULAS', 2, 'JARABE', 3, 'SOBRES', 4, 'FRASCO', 'CAJA');\n"
        "    insert into INVENTARIO (COD_BARRAS, CODIGO2, NOMBRE, COMPUESTO, ARTICULO_INACTIVO, STOCK)\n"
        "    values ('74' || lpad(:i, 11, '0'), iif(mod(:i, 3) = 0, 'C-' || :i, null),\n"
        "      :p || ' ' || (mod(:i / 96, 50) * 10 + 10) || ' MG ' || :f || ' X ' || mod(:i / 4800, 40) || ' LOTE ' || :i,\n"
        "      iif(mod(:i, 7) = 0, 'S', 'N'), 'N', mod(:i, 50));\n"
        "    i = i + 1;\n"
        "  end\n"
        "end^\n"
        "set term ; ^\n"
        "commit;\n"
        "alter trigger INVENTARIO_BUSQUEDA_AI active;\n"
        "execute procedure INV_REHACER_BUSQUEDA;\n"
        "commit;\n").arg(kArticulos));
}

struct Medida {
    double ms;
    int filas;
};

// Opens the list for `texto` and fetches its first screen.
template <class Abrir> Medida Medir(db::Dataset &ds, Abrir abrir)
{
    QElapsedTimer t;
    t.start();
    abrir();
    if (ds.fetchedCount() < kPantalla && !ds.allFetched())
        ds.fetchMore(kPantalla - ds.fetchedCount());
    return {t.nsecsElapsed() / 1e6, ds.fetchedCount()};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/bench-busqueda-XXXXXX"));
    qputenv("COMPRAS_INI_DIR", dir.path().toLocal8Bit());
    // The catalogue is built once and kept in the temp folder for the next runs (rebuilt when
    // the schema's version in its name changes or a run was interrupted while building it).
    const QString catalogo = QDir::tempPath() + QStringLiteral("/compras-bench-busqueda-v%1.fdb").arg(kVersion);
    const auto conexion = [](const QString &ruta) {
        return db::ConnectionParams{ruta, QStringLiteral("SYSDBA"), {}, {}, QStringLiteral("UTF8")};
    };
    if (!QFile::exists(catalogo)) {
        const QString nuevo = dir.path() + QStringLiteral("/inventario.fdb");
        CrearBase(conexion(nuevo), QStringLiteral("inventario"), false);
        db::Database base;
        base.open(conexion(nuevo));
        QElapsedTimer t;
        t.start();
        Llenar(base);
        base.close();
        std::printf("llenado: %d artículos (con sus textos de búsqueda) en %.0f ms\n", kArticulos, t.nsecsElapsed() / 1e6);
        const QString parcial = catalogo + QStringLiteral(".parcial");
        QFile::remove(parcial);
        if (!QFile::copy(nuevo, parcial) || !QFile::rename(parcial, catalogo))
            std::printf("no se pudo guardar el catálogo en %s\n", catalogo.toUtf8().constData());
    } else {
        std::printf("catálogo de %d artículos ya construido: %s\n", kArticulos, catalogo.toUtf8().constData());
    }
    db::Database base;
    base.open(conexion(catalogo));

    db::Transaction lectura(base, db::TransactionKind::Read);
    db::Dataset ds;
    ds.setDatabase(&base);
    ds.setReadTransaction(&lectura);

    // What a clerk types, a key at a time: a drug and strength, a bar code scanned, a word in
    // the middle of a name, a text that finds nothing.
    const QString escritos[] = {QStringLiteral("ACETAMINOFEN 500"), QStringLiteral("7400000123457"),
                                QStringLiteral("PIRINA"), QStringLiteral("XYZQ"), QStringLiteral("LOTE 19999")};
    const QString origen = BusquedaArticulos::OrigenCompra;
    std::printf("%-22s %9s %9s %7s\n", "texto", "búsqueda", "desnuda", "filas");
    double peor = 0, peorDesnuda = 0;
    // The window's first list: the empty text.
    {
        const Medida m = Medir(ds, [&] { BusquedaArticulos::Filtrar(ds, QString(), origen); });
        const Medida d = Medir(ds, [&] { BusquedaArticulos::Consulta(QString(), origen, false).Abrir(ds); });
        std::printf("%-22s %7.1f ms %7.1f ms %7d\n", "(vacío)", m.ms, d.ms, m.filas);
        peor = std::max(peor, m.ms);
        peorDesnuda = std::max(peorDesnuda, d.ms);
    }
    for (const QString &escrito : escritos) {
        BusquedaArticulos busqueda;
        std::vector<double> tiempos;
        for (int n = 1; n <= escrito.size(); ++n) {
            const QString texto = escrito.left(n);
            const Medida m = Medir(ds, [&] { busqueda.FiltrarAlEscribir(ds, texto, origen); });
            // The bare statement only for the whole text and a few prefixes (it is slow).
            if (n == escrito.size() || n == 1 || n == 3) {
                const Medida d = Medir(ds, [&] { BusquedaArticulos::Consulta(texto, origen, false).Abrir(ds); });
                std::printf("%-22s %7.1f ms %7.1f ms %7d\n", texto.toUtf8().constData(), m.ms, d.ms, m.filas);
                if (d.filas != m.filas)
                    std::printf("  ¡filas distintas! %d contra %d\n", m.filas, d.filas);
                peorDesnuda = std::max(peorDesnuda, d.ms);
            }
            tiempos.push_back(m.ms);
            peor = std::max(peor, m.ms);
        }
        std::sort(tiempos.begin(), tiempos.end());
        std::printf("  \"%s\" tecla a tecla: mediana %.1f ms, peor %.1f ms\n", escrito.toUtf8().constData(),
                    tiempos[tiempos.size() / 2], tiempos.back());
    }
    ds.close();
    lectura.commit();

    // Through the worker, each key waited for: time to the first screen, and the time the
    // calling thread spends asking (Buscar) and taking the list in (the queued hand-over).
    std::printf("\nen segundo plano: %-22s %9s %9s %9s\n", "texto", "pantalla", "ocupado", "filas");
    double peorHilo = 0, peorOcupado = 0;
    {
        BuscadorArticulos buscador(base.params());
        // The hand-over: from the new list's signal to the end of taking it in (the old list closed).
        QElapsedTimer entrega;
        QObject::connect(&buscador, &BuscadorArticulos::listaNueva, [&entrega] { entrega.start(); });
        const auto tecla = [&](const QString &texto, bool mostrar) {
            QElapsedTimer t;
            t.start();
            buscador.Buscar(texto, origen, false);
            double ocupado = t.nsecsElapsed() / 1e6;
            entrega.invalidate();
            buscador.Esperar(10000);
            const double pantalla = t.nsecsElapsed() / 1e6;
            if (entrega.isValid())
                ocupado = std::max(ocupado, entrega.nsecsElapsed() / 1e6);
            const int filas = buscador.Lista() ? buscador.Lista()->fetchedCount() : -1;
            if (mostrar)
                std::printf("                  %-22s %7.1f ms %7.2f ms %7d\n", texto.toUtf8().constData(), pantalla, ocupado,
                            filas);
            peorHilo = std::max(peorHilo, pantalla);
            peorOcupado = std::max(peorOcupado, ocupado);
            return pantalla;
        };
        tecla(QString(), true);  // the window's first list (its attachment opens here)
        peorHilo = 0;
        for (const QString &escrito : escritos) {
            std::vector<double> tiempos;
            for (int n = 1; n <= escrito.size(); ++n)
                tiempos.push_back(tecla(escrito.left(n), n == escrito.size() || n == 1 || n == 3));
            std::sort(tiempos.begin(), tiempos.end());
            std::printf("  \"%s\" tecla a tecla: mediana %.1f ms, peor %.1f ms\n", escrito.toUtf8().constData(),
                        tiempos[tiempos.size() / 2], tiempos.back());
        }
        // A fast typist (a key every 30 ms): earlier searches are cancelled, the last one shown.
        const QString rapido = QStringLiteral("ACETAMINOFEN 500");
        double peorPedido = 0;
        for (int n = 1; n <= rapido.size(); ++n) {
            QElapsedTimer p;
            p.start();
            buscador.Buscar(rapido.left(n), origen, false);
            peorPedido = std::max(peorPedido, p.nsecsElapsed() / 1e6);
            QThread::msleep(30);
            QCoreApplication::processEvents();
        }
        QElapsedTimer fin;
        fin.start();
        buscador.Esperar(10000);
        std::printf("  tecleo rápido de \"%s\": pedir %.2f ms como mucho, lista final %.1f ms tras la última tecla (%s)\n",
                    rapido.toUtf8().constData(), peorPedido, fin.nsecsElapsed() / 1e6 + 30,
                    buscador.TextoMostrado().toUtf8().constData());
    }
    base.close();
    std::printf("peor tecla: %.1f ms (límite %.0f ms); peor sentencia desnuda: %.1f ms\n", peor, kLimiteMs, peorDesnuda);
    std::printf("en segundo plano: peor primera pantalla %.1f ms, hilo de la interfaz ocupado %.2f ms como mucho\n",
                peorHilo, peorOcupado);
    return peor < kLimiteMs && peorHilo < kLimiteMs ? 0 : 1;
}
