// Head-office import against the demo databases grown to 10,000 head-office invoices for the
// store (1,000 of them already recorded locally): the list with its state, and reading and
// recording a 300-line invoice.
//
//   bench_central [repeticiones]     (default 5)

#include "purchases/ImportacionCentral.h"
#include "support/EntornoPrueba.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kFacturas = 10000;
constexpr int kRegistradas = 1000;
constexpr int kLineas = 300;

void Llenar(EntornoPrueba &env, db::Database &central, int repeticiones)
{
    {
        db::Transaction t(central);
        db::Query q(&central, &t);
        q.setSql(QStringLiteral("insert into FACTURAS (FECHA, COMPROBANTE, FK_CLIENTE, IMPORTE_IV, IMPORTE_TOTAL, "
                                "IMPORTE_CREDITO, DIAS_CREDITO, TIPO_CAMBIO, TIPO_CAMBIO_2, NRO_CAJA) values "
                                "(current_date - mod(:n, 60), :c, 1, 13, 113, 113, 30, 520, 1, 3)"));
        for (int i = 0; i < kFacturas; ++i) {
            q.paramByName("n").setAsInteger(i);
            q.paramByName("c").setAsString(QStringLiteral("BC-%1").arg(i, 6, 10, QLatin1Char('0')));
            q.execQuery();
        }
        q.setSql(QStringLiteral("insert into DETALLE_FACTURAS (COMPROBANTE, FECHA, CODIGO_ARTICULO, DESCRIPCION, CANTIDAD, "
                                "IMPORTE_UNITARIO, IMPORTE_COSTO, IMPORTE_TOTAL, TIPO_CAMBIO, TIPO_CAMBIO_2, NRO_CAJA) "
                                "values (:c, current_date, :a, 'ARTICULO', 2, 100, 90, 200, 520, 1, 3)"));
        for (int r = 0; r < repeticiones; ++r)
            for (int i = 0; i < kLineas; ++i) {
                q.paramByName("c").setAsString(QStringLiteral("BC-%1").arg(kFacturas - 1 - r, 6, 10, QLatin1Char('0')));
                q.paramByName("a").setAsString(QStringLiteral("BEN-%1").arg(i, 3, 10, QLatin1Char('0')));
                q.execQuery();
            }
        q.close();
        t.commit();
    }
    {
        db::Transaction t(env.tienda);
        db::Query q(&env.tienda, &t);
        q.setSql(QStringLiteral("insert into FACTURAS_COMPRA (FECHA, COMPROBANTE, CODIGO_PROVEEDOR, IMPORTE_TOTAL) "
                                "values (current_date, :c, 20, 113)"));
        for (int i = 0; i < kRegistradas; ++i) {
            q.paramByName("c").setAsString(QStringLiteral("BC-%1").arg(i * 7, 6, 10, QLatin1Char('0')));
            q.execQuery();
        }
        q.close();
        t.commit();
    }
    db::Transaction t(env.inventario);
    db::Query q(&env.inventario, &t);
    q.setSql(QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE, STOCK, COSTO_PROMEDIO, PRECIO_COMPRA, GRAVADO, "
                            "PORC_IV, ACTUALIZAR_EXIST) values (:c, 'ARTICULO', 1000, 90, 90, 'S', 13, 'S')"));
    for (int i = 0; i < kLineas; ++i) {
        q.paramByName("c").setAsString(QStringLiteral("BEN-%1").arg(i, 3, 10, QLatin1Char('0')));
        q.execQuery();
    }
    q.close();
    t.commit();
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
    const int repeticiones = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    EntornoPrueba env;
    {
        db::Database central;
        central.open(env.estacion->bases().conexion(QStringLiteral("central")));
        Llenar(env, central, repeticiones);
    }
    AjustesCentral a;
    a.rutaPrincipal = a.rutaVentas = env.RutaBase(QStringLiteral("central"));
    ImportacionCentral imp(ConexionesDeDatosComp(*env.datos), a);
    QElapsedTimer reloj;
    reloj.start();
    imp.Conectar();
    const double tConexion = reloj.nsecsElapsed() / 1e6;
    const ProveedorCentral p = imp.IdentificarProveedor();

    std::vector<double> tLista, tRegistro;
    size_t listadas = 0, registradas = 0;
    for (int r = 0; r < repeticiones; ++r) {
        reloj.restart();
        const auto lista = imp.ListarFacturas(7, p);
        tLista.push_back(reloj.nsecsElapsed() / 1e6);
        listadas = lista.size();
        registradas = std::count_if(lista.begin(), lista.end(), [](const FacturaCentral &f) { return f.estado == "S"; });

        const QString numero = QStringLiteral("BC-%1").arg(kFacturas - 1 - r, 6, 10, QLatin1Char('0'));
        const auto it = std::find_if(lista.begin(), lista.end(), [&](const FacturaCentral &f) { return f.comprobante == numero; });
        reloj.restart();
        const auto lineas = imp.LeerLineas(numero);
        const int id = imp.Registrar(*it, lineas, p, 7, QStringLiteral("ADMIN"));
        tRegistro.push_back(reloj.nsecsElapsed() / 1e6);
        if (id <= 0 || lineas.size() != static_cast<size_t>(kLineas)) {
            std::fprintf(stderr, "fallo: %s\n", qPrintable(imp.UltimoError()));
            return 1;
        }
    }
    // For comparison: the state read one invoice at a time.
    {
        const auto lista = imp.ListarFacturas(7, p);
        db::Transaction t(env.tienda, db::TransactionKind::Read);
        db::Query q(&env.tienda, &t);
        q.setSql(QStringLiteral("select first 1 ID_COMPRA from FACTURAS_COMPRA where CODIGO_PROVEEDOR = :p and COMPROBANTE = :c"));
        reloj.restart();
        for (const FacturaCentral &f : lista) {
            q.paramByName("p").setAsInteger(p.codigo);
            q.paramByName("c").setAsString(f.comprobante);
            q.execQuery();
            q.close();
        }
        std::printf("estado consultado factura por factura (%zu consultas): %.1f ms\n", lista.size(),
                    reloj.nsecsElapsed() / 1e6);
        t.commit();
    }
    std::printf("conexión a casa central: %.1f ms\n", tConexion);
    std::printf("lista de %zu facturas (%zu registradas): mediana %.1f ms\n", listadas, registradas, Mediana(tLista));
    std::printf("lectura y registro de %d líneas: mediana %.1f ms\n", kLineas, Mediana(tRegistro));
    return 0;
}
