// Opening a new article card and saving a new article (with initial stock, two components, code
// checks on) over a catalogue of 200,000 articles. Limits: 100 ms to open, 50 ms to save.
#include "catalogs/Comp_frmfichaarticulo.h"
#include "common/Estacion.h"
#include "data/Comp_fdatos.h"
#include "data/CreacionBases.h"
#include "host/Comp_exports.h"
#include "platform/VariablesHost.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kArticulos = 200000;
constexpr int kVueltas = 7;

db::ConnectionParams Conexion(const QString &dir, const QString &rol)
{
    return {dir + QLatin1Char('/') + rol + QStringLiteral(".fdb"), QStringLiteral("SYSDBA"), {}, {}, QStringLiteral("UTF8")};
}

void Llenar(const QString &dir)
{
    db::Database base;
    base.open(Conexion(dir, QStringLiteral("inventario")));
    db::Transaction tx(base);
    db::Query q(&base, &tx);
    q.setSql(QStringLiteral("insert into INVENTARIO (COD_BARRAS, CODIGO2, CODIGO3, NOMBRE, COD_FAMILIA, STOCK, PRECIO_COMPRA,"
                            " COMPUESTO, ARTICULO_INACTIVO) values (:c, :c2, :c3, :n, 'F1', 10, 100, 'N', 'N')"));
    for (int i = 0; i < kArticulos; ++i) {
        q.paramByName("c").setAsString(QStringLiteral("%1").arg(7440000000000LL + i));
        q.paramByName("c2").setAsString(QStringLiteral("B-%1").arg(i));
        q.paramByName("c3").setAsString(i % 3 ? QString() : QStringLiteral("C-%1").arg(i));
        q.paramByName("n").setAsString(QStringLiteral("ARTICULO DE PRUEBA NUMERO %1 PRESENTACION %2").arg(i).arg(i % 97));
        q.execQuery();
    }
    q.setSql(QStringLiteral("insert into FAMILIA (COD_FAMILIA, NOMBRE, ACTIVA, PROMOCION, NRO_ARTICULO) values ('F1', 'FAMILIA', 'S', 'N', 1)"));
    q.execQuery();
    tx.commit();
    // The article search's blocks cut over the whole catalogue, as "compras check" leaves them.
    base.executeImmediate(tx, QStringLiteral("execute procedure INV_REHACER_BUSQUEDA"));
    tx.commit();
}

double Mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/bench-ficha-XXXXXX"));
    for (const QString &rol : RolesBases())
        CrearBase(Conexion(dir.path(), rol), rol, true);
    QElapsedTimer t;
    t.start();
    Llenar(dir.path());
    std::printf("llenado: %d artículos en %.0f ms\n", kArticulos, t.nsecsElapsed() / 1e6);

    qputenv("COMPRAS_INI_DIR", dir.path().toLocal8Bit());
    CargarVariable(QStringLiteral("ComputerName"), QStringLiteral("BENCH"));
    CargarVariable(QStringLiteral("vUsuario"), QStringLiteral("ADMIN"));
    Estacion estacion(UbicacionBases::EnCarpeta(dir.path()));
    estacion.AbrirBases();
    estacion.CargarRegistros(QStringLiteral("ADMIN"), 1);
    estacion.ConectarModulo(&ConectarBaseDatos, &ConectarConta);
    TFDatosComp &datos = *FDatosComp;
    {
        db::Transaction tx(estacion.tienda);
        db::Query q(&estacion.tienda, &tx);
        q.setSql(QStringLiteral("update CONFIGURACION set NO_REPETIR_COD2_3 = 'S'"));
        q.execQuery();
        tx.commit();
    }

    QWidget llamador;
    llamador.show();
    std::vector<double> abrir, guardar, guardarVentana;
    for (int i = 0; i < kVueltas; ++i) {
        t.restart();
        auto *ficha = AbrirFichaArticuloNueva(datos, &llamador, QStringLiteral("NUEVO-%1").arg(i), OrigenFicha::Agregar, {});
        QApplication::processEvents();
        ficha->grab();
        abrir.push_back(t.nsecsElapsed() / 1e6);

        ArticuloFicha a = ficha->Ficha().Nuevo(OrigenFicha::Agregar, QStringLiteral("CORE-%1").arg(i));
        a.fila.NOMBRE = QStringLiteral("ARTICULO NUEVO %1").arg(i);
        a.fila.CODIGO2 = QStringLiteral("CORE2-%1").arg(i);
        a.fila.STOCK = Currency(12);
        a.componentes.push_back({QStringLiteral("7440000000001"), QStringLiteral("A"), Currency(100), Currency(2), false, 0, Currency()});
        a.componentes.push_back({QStringLiteral("7440000000002"), QStringLiteral("B"), Currency(50), Currency(1), false, 0, Currency()});
        t.restart();
        if (ficha->Ficha().Validar(a).empty())
            ficha->Ficha().Guardar(a);
        guardar.push_back(t.nsecsElapsed() / 1e6);

        ficha->EditNombre->setPlainText(QStringLiteral("DESDE LA VENTANA %1").arg(i));
        t.restart();
        ficha->btnAceptarClick();
        QApplication::processEvents();
        guardarVentana.push_back(t.nsecsElapsed() / 1e6);
    }
    int guardados = 0;
    {
        db::Transaction tx(estacion.inventario, db::TransactionKind::Read);
        db::Query q(&estacion.inventario, &tx);
        q.setSql(QStringLiteral("select count(*) from INVENTARIO where COD_BARRAS starting with 'NUEVO-' or COD_BARRAS"
                                " starting with 'CORE-'"));
        q.execQuery();
        guardados = static_cast<int>(q.field(0).asInteger());
        q.close();
        tx.commit();
    }
    std::printf("artículos guardados: %d de %d\n", guardados, 2 * kVueltas);
    const double a = Mediana(abrir), g = Mediana(guardar), gv = Mediana(guardarVentana);
    std::printf("mediana de %d vueltas sobre %d artículos\n", kVueltas, kArticulos);
    std::printf("  abrir ficha nueva          %7.1f ms   límite 100 ms\n", a);
    std::printf("  guardar (núcleo)           %7.1f ms   límite  50 ms\n", g);
    std::printf("  validar y guardar (ventana)%7.1f ms   límite  50 ms\n", gv);
    delete FDatosComp;
    FDatosComp = nullptr;
    return a < 100 && g < 50 && gv < 50 && guardados == 2 * kVueltas ? 0 : 1;
}
