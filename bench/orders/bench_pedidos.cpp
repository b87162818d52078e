// Purchase orders over the demo data plus a generated catalogue (200,000 articles by default,
// one in twenty below its minimum stock):
//   - the replenishment proposal of the whole catalogue;
//   - adding a line to an order of 500 lines, headless and through the editor window;
//   - saving an order of 500 lines (header, lines and counter in one commit).
//
//   bench_pedidos [articulos]
#include "host/Comp_exports.h"
#include "data/Comp_fdatos.h"
#include "data/CreacionBases.h"
#include "orders/Comp_frmagregarpedido.h"
#include "orders/Pedidos.h"
#include "platform/db/Database.h"
#include "platform/db/Transaction.h"
#include "platform/VariablesHost.h"
#include "common/Estacion.h"
#include "support/MensajesGuion.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTableWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

db::ConnectionParams Conexion(const QString &dir, const QString &rol)
{
    return {dir + QLatin1Char('/') + rol + QStringLiteral(".fdb"), QStringLiteral("SYSDBA"), {}, {}, QStringLiteral("UTF8")};
}

QString Codigo(int i) { return QStringLiteral("PB-%1").arg(i, 6, 10, QLatin1Char('0')); }

void GenerarArticulos(const QString &dir, int cuantos)
{
    db::Database base;
    base.open(Conexion(dir, QStringLiteral("inventario")));
    db::Transaction tx(base);
    base.executeImmediate(tx, QStringLiteral(R"(execute block as
declare i integer = 1;
begin
  while (i <= %1) do
  begin
    insert into INVENTARIO (COD_BARRAS, CODIGO2, NOMBRE, COD_FAMILIA, FK_PROVEEDOR, STOCK, STOCK_MINIMO, REPOSICION,
        SE_USA_EN_PEDIDO, PRECIO_COMPRA)
    values ('PB-' || lpad(:i, 6, '0'), 'P2-' || :i, 'ARTICULO ' || (1000003 * :i - 7 * (:i / 13)), 'CUI-HIG',
        1 + mod(:i, 40), iif(mod(:i, 20) = 0, 1, 50), 5, 12, 'S', 100 + mod(:i, 900));
    i = i + 1;
  end
end)").arg(cuantos));
    tx.commit();
}

double Mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int Medir(const QString &dir, int articulos)
{
    qputenv("COMPRAS_INI_DIR", dir.toLocal8Bit());
    CargarVariable(QStringLiteral("ComputerName"), QStringLiteral("BENCH"));
    CargarVariable(QStringLiteral("vUsuario"), QStringLiteral("ADMIN"));
    MensajesGuion mensajes;  // questions answered yes
    Estacion estacion(UbicacionBases::EnCarpeta(dir));
    estacion.AbrirBases();
    estacion.CargarRegistros(QStringLiteral("ADMIN"), 1);
    estacion.ConectarModulo(&ConectarBaseDatos, &ConectarConta);
    TFDatosComp &d = *FDatosComp;
    Pedidos pedidos(ConexionesDeDatosComp(d), d.TransLectura, d.TransLecturaInv, mensajes, QStringLiteral("ADMIN"));

    QElapsedTimer t;
    std::vector<double> propuesta;
    std::size_t filas = 0;
    for (int i = 0; i < 5; ++i) {
        t.start();
        const LineasPedido l = Pedidos::LineasDePropuesta(pedidos.PropuestaReposicion(0, {}));
        propuesta.push_back(t.nsecsElapsed() / 1e6);
        filas = l.Filas().size();
    }
    std::printf("propuesta de reposición sobre %d artículos (%zu bajo el mínimo): mediana %.0f ms, máximo %.0f ms\n",
                articulos, filas, Mediana(propuesta), *std::max_element(propuesta.begin(), propuesta.end()));

    // 500 lines, then 20 more measured one by one (a lookup by code and the row).
    LineasPedido lineas;
    for (int i = 1; i <= 500; ++i)
        lineas.Agregar(*pedidos.BuscarArticulo(Codigo(i)), 1, Currency(2));
    std::vector<double> agregar;
    for (int i = 501; i <= 520; ++i) {
        t.restart();
        lineas.Agregar(*pedidos.BuscarArticulo(Codigo(i)), 1, Currency(2));
        agregar.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("agregar una línea a un pedido de 500 (búsqueda + fila, %d filas al final): mediana %.2f ms, máximo %.2f ms\n",
                lineas.Cuenta(), Mediana(agregar), *std::max_element(agregar.begin(), agregar.end()));

    {
        TfrmAgregarPedido editor(d);
        LineasPedido quinientas;
        for (int i = 1; i <= 500; ++i)
            quinientas.AgregarFila(lineas.Filas()[i - 1]);
        editor.CargarLineas(quinientas);
        editor.NuevoPedido();
        std::vector<double> ventana;
        for (int i = 601; i <= 620; ++i) {
            editor.edCodigo->setText(Codigo(i));
            editor.edCantidad->setText(QStringLiteral("3"));
            t.restart();
            editor.edCantidadExit();
            ventana.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("agregar una línea en la ventana del pedido (500 filas en la grilla): mediana %.1f ms, máximo %.1f ms\n",
                    Mediana(ventana), *std::max_element(ventana.begin(), ventana.end()));
    }

    EncabezadoPedido e;
    e.numeroMostrado = pedidos.NumeroPropuesto();
    e.codProveedor = 12;
    e.nombreProveedor = QStringLiteral("COMERCIALIZADORA EL ROBLE S.A.");
    e.descripcion = QStringLiteral("BENCH");
    e.fecha = QDate::currentDate();
    LineasPedido quinientas;
    for (int i = 0; i < 500; ++i)
        quinientas.AgregarFila(lineas.Filas()[i]);
    std::vector<double> guardar;
    for (int i = 0; i < 5; ++i) {
        t.restart();
        if (!pedidos.Guardar(e, quinientas)) {
            std::printf("no se pudo guardar: %s\n", qPrintable(pedidos.UltimoError()));
            return 1;
        }
        guardar.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("guardar un pedido de 500 líneas (una sola confirmación): mediana %.0f ms, máximo %.0f ms\n",
                Mediana(guardar), *std::max_element(guardar.begin(), guardar.end()));
    std::fflush(stdout);
    delete FDatosComp;
    FDatosComp = nullptr;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int articulos = args.size() >= 2 ? std::max(1000, args[1].toInt()) : 200000;
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/bench-pedidos-XXXXXX"));
    for (const QString &rol : RolesBases())
        CrearBase(Conexion(dir.path(), rol), rol, true);
    QElapsedTimer t;
    t.start();
    GenerarArticulos(dir.path(), articulos);
    std::printf("catálogo de %d artículos generado en %.1f s\n", articulos, t.nsecsElapsed() / 1e9);
    return Medir(dir.path(), articulos);
}
