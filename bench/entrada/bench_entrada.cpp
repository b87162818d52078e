// Purchase entry over the demo data plus 2,000 generated articles:
//   - adding a line to a document of 300 lines and recomputing its totals (the grid's dataset
//     refreshed as the window does);
//   - importing a 2,000-row workbook (200 of its codes unknown, created on the way), with the
//     progress callback.
//
//   bench_entrada                      the measurements
//   bench_entrada plantilla <archivo>  writes the import template workbook
#include "host/Comp_exports.h"
#include "data/Comp_fdatos.h"
#include "data/CreacionBases.h"
#include "platform/db/Database.h"
#include "purchases/EntradaCompra.h"
#include "common/Estacion.h"
#include "support/MensajesGuion.h"
#include "platform/db/Transaction.h"
#include "platform/VariablesHost.h"
#include "platform/workbook/uHojaCalcCompras.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kArticulos = 2000;

db::ConnectionParams Conexion(const QString &dir, const QString &rol)
{
    return {dir + QLatin1Char('/') + rol + QStringLiteral(".fdb"), QStringLiteral("SYSDBA"), {}, {}, QStringLiteral("UTF8")};
}

QString Codigo(int i) { return QStringLiteral("BENCH-%1").arg(i, 5, 10, QLatin1Char('0')); }

void GenerarArticulos(const QString &dir)
{
    db::Database base;
    base.open(Conexion(dir, QStringLiteral("inventario")));
    db::Transaction tx(base);
    base.executeImmediate(tx, QStringLiteral(R"(execute block as
declare i integer = 1;
begin
  while (i <= %1) do
  begin
    insert into INVENTARIO (COD_BARRAS, CODIGO2, NOMBRE, COD_FAMILIA, GRAVADO, PORC_IV, IMPUESTO_INCLUIDO,
        PRECIO_COMPRA, COSTO_PROMEDIO, STOCK, COMPUESTO, FRACCIONADO, TIENE_SERIE, PRECIOSINIV_1, PRECIOCONIV_1,
        BASECALCULO_1, DESC_MAX_ART, ACTUALIZAR_EXIST)
    values ('BENCH-' || lpad(:i, 5, '0'), 'B2-' || :i, 'ARTICULO DE PRUEBA ' || :i, 'CUI-HIG',
        iif(mod(:i, 3) = 0, 'N', 'S'), iif(mod(:i, 3) = 0, 0, 13), iif(mod(:i, 2) = 0, 'S', 'N'),
        100 + mod(:i, 900), 100, 10, 'N', 'N', 'N', 150, 169.5, 1, 10, 'S');
    i = i + 1;
  end
end)").arg(kArticulos));
    tx.commit();
}

double Mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int Medir(const QString &dir)
{
    qputenv("COMPRAS_INI_DIR", dir.toLocal8Bit());
    CargarVariable(QStringLiteral("ComputerName"), QStringLiteral("BENCH"));
    CargarVariable(QStringLiteral("vUsuario"), QStringLiteral("ADMIN"));
    MensajesGuion mensajes;  // questions answered yes, nothing shown
    Estacion estacion(UbicacionBases::EnCarpeta(dir));
    estacion.AbrirBases();
    estacion.CargarRegistros(QStringLiteral("ADMIN"), 1);
    estacion.ConectarModulo(&ConectarBaseDatos, &ConectarConta);
    FDatosComp->CargarTipoCambio();

    EntradaCompra e(*FDatosComp);
    e.Iniciar();
    e.Restaurar();
    e.EstablecerProveedor(12, QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
    e.EstablecerComprobante(QStringLiteral("BENCH-1"));
    e.AplicarDescuentoGlobal(Currency(5));

    QElapsedTimer t;
    t.start();
    for (int i = 1; i <= 300; ++i)
        if (e.AgregarArticulo(Codigo(i), Currency(2), Currency(100 + i)) != EntradaCompra::Resultado::Agregada) {
            std::printf("no se pudo agregar %s: %s\n", qPrintable(Codigo(i)), qPrintable(e.UltimoError()));
            return 1;
        }
    std::printf("300 líneas agregadas una a una en %.0f ms\n", t.nsecsElapsed() / 1e6);

    std::vector<double> nueva, acumulada, totales;
    for (int i = 301; i <= 320; ++i) {
        t.restart();
        e.AgregarArticulo(Codigo(i), Currency(1), Currency(50));
        nueva.push_back(t.nsecsElapsed() / 1e6);
    }
    for (int i = 1; i <= 20; ++i) {
        t.restart();
        e.AgregarArticulo(Codigo(i), Currency(1), Currency(100 + i));
        acumulada.push_back(t.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < 20; ++i) {
        t.restart();
        e.CalcularSubTotales();
        totales.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("documento de %d líneas (TMP_Compra con %d filas):\n", e.CantidadLineas(),
                FDatosComp->TMP_Compra->recordCount());
    std::printf("  agregar una línea nueva + recalcular + totales: mediana %.1f ms, máximo %.1f ms\n", Mediana(nueva),
                *std::max_element(nueva.begin(), nueva.end()));
    std::printf("  acumular en una línea existente:               mediana %.1f ms, máximo %.1f ms\n", Mediana(acumulada),
                *std::max_element(acumulada.begin(), acumulada.end()));
    std::printf("  solo CalcularSubTotales:                        mediana %.2f ms\n", Mediana(totales));
    t.restart();
    e.AplicarDescuentoGlobal(Currency(10));
    std::printf("  descuento global sobre %d líneas:               %.1f ms\n", e.CantidadLineas(), t.nsecsElapsed() / 1e6);
    std::fflush(stdout);

    // Workbook of 2,000 rows: 1,800 known codes (half by their second code) and 200 new ones.
    const QString libro = dir + QStringLiteral("/importar.xlsx");
    {
        THojaCalc hoja(thcNone, false);
        for (int i = 1; i <= 2000; ++i) {
            const int fila = i + 2;
            if (i <= 1800)
                hoja.SetCellText(fila, 1, i % 2 ? Codigo(i) : QStringLiteral("B2-%1").arg(i));
            else
                hoja.SetCellText(fila, 1, QStringLiteral("NUEVO-%1").arg(i));
            hoja.SetCellText(fila, 2, i <= 1800 ? QString() : QStringLiteral("ARTICULO NUEVO %1").arg(i));
            hoja.SendNumber(fila, 3, 1 + i % 7);
            hoja.SendNumber(fila, 4, 10.25 + i % 100);
            hoja.SendNumber(fila, 5, i % 4 == 0 ? 5 : 0);
        }
        hoja.SaveDocAs(libro);
    }
    e.LimpiarFactura();
    int avisos = 0;
    t.restart();
    const ResultadoImportacion r = e.ImportarArchivo(libro, [&](int hechas, int total) {
        if (hechas % 200 == 0 || hechas == total) {
            ++avisos;
            QApplication::processEvents();
        }
    });
    const double ms = t.nsecsElapsed() / 1e6;
    if (!r.ok) {
        std::printf("la importación falló: %s\n", qPrintable(r.mensaje));
        return 1;
    }
    std::printf("importar 2.000 filas (%d artículos nuevos): %.0f ms, %d avisos de avance; total %s\n",
                r.articulosCreados, ms, avisos, e.Totales().Total.toString().c_str());
    delete FDatosComp;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("plantilla")) {
        QString error;
        if (!EntradaCompra::EscribirPlantillaImportacion(args[2], &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/bench-entrada-XXXXXX"));
    for (const QString &rol : RolesBases())
        CrearBase(Conexion(dir.path(), rol), rol, true);
    GenerarArticulos(dir.path());
    return Medir(dir.path());
}
