// The goods-receipt report: invoice filter, the three ways of picking lines into the list,
// whole quantities, the article's weight and unit, the header row and the printout.
#include "reports/ReporteEntrada.h"
#include "reports/DatosReportes.h"

#include <gtest/gtest.h>

using namespace datosreportes;

namespace {

class ReporteEntradaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        articulo = EntornoPrueba::Texto(env.inventario, QStringLiteral("select first 1 COD_BARRAS from INVENTARIO where "
                                                                       "COD_UNIDAD is not null order by COD_BARRAS"));
        ASSERT_FALSE(articulo.isEmpty());
        EntornoPrueba::Ejecutar(env.inventario,
                                QStringLiteral("update INVENTARIO set PESONETO = 1.25 where COD_BARRAS = '%1'").arg(articulo));
        Insertar(env.tienda, {8000050, "2031-08-03", "E-1", 1, "DFV", "0", "0", "0", "0", "300", "0"});
        Insertar(env.tienda, {8000051, "2031-08-04", "E-2", 5, "LCU", "0", "0", "0", "0", "100", "0"});
        Insertar(env.tienda, {8000052, "2031-08-05", "", 1, "SIN NUMERO", "0", "0", "0", "0", "50", "0"});
        Linea(env.tienda, 8000050, "2031-08-03", "E-1", articulo, "CON PESO", 2.5, "100", "250");
        Linea(env.tienda, 8000050, "2031-08-03", "E-1", "ART-E1B", "ZAPATO AZUL", 3.5, "10", "50");
        Linea(env.tienda, 8000051, "2031-08-04", "E-2", "ART-E2", "ZAPATO ROJO", 1, "100", "100");
        Linea(env.tienda, 8000052, "2031-08-05", "", "ART-E3", "SIN NUMERO", 1, "50", "50");
        ajustes = AjustesDeDatosComp(*env.datos);
        ajustes.pathReportes = QStringLiteral(COMPRAS_REPORTES_FUENTE) + QLatin1Char('/');
    }

    ReporteEntrada Nuevo() { return ReporteEntrada(ConexionesLecturaDatosComp(*env.datos), env.datos->TransUpdate, ajustes); }

    static QStringList Numeros(const std::vector<FacturaEntrada> &f)
    {
        QStringList out;
        for (const auto &x : f)
            out << x.comprobante;
        return out;
    }

    EntornoPrueba env;
    AjustesReportes ajustes;
    QString articulo;
    const QDate agosto1{2031, 8, 1}, agosto31{2031, 8, 31};
};

} // namespace

TEST(CantidadEntera, HalvesGoToTheEvenWholeNumber)
{
    EXPECT_EQ(ReporteEntrada::CantidadEntera(2.5), 2);
    EXPECT_EQ(ReporteEntrada::CantidadEntera(3.5), 4);
    EXPECT_EQ(ReporteEntrada::CantidadEntera(2.51), 3);
    EXPECT_EQ(ReporteEntrada::CantidadEntera(0.5), 0);
    EXPECT_EQ(ReporteEntrada::CantidadEntera(-1.5), -2);
}

TEST_F(ReporteEntradaTest, FilterByPeriodSupplierAndNumberNeverListsInvoicesWithoutNumber)
{
    ReporteEntrada r = Nuevo();
    EXPECT_EQ(Numeros(r.Filtrar({agosto1, agosto31, 0, {}, false})), (QStringList{"E-1", "E-2"}));
    EXPECT_EQ(Numeros(r.Filtrar({agosto1, agosto31, 5, {}, false})), (QStringList{"E-2"}));
    EXPECT_EQ(Numeros(r.Filtrar({agosto1, agosto31, 0, QStringLiteral(" 2 "), false})), (QStringList{"E-2"}));
    // Final date before the initial one: no date condition at all.
    const QStringList todas = Numeros(r.Filtrar({agosto31, agosto1, 0, {}, true}));
    EXPECT_TRUE(todas.contains(QStringLiteral("E-1")));
    EXPECT_GT(todas.size(), 2) << "the demo invoices of other months are listed too";
    EXPECT_FALSE(todas.contains(QString()));
    QStringList ordenadas = todas;
    std::sort(ordenadas.begin(), ordenadas.end());
    EXPECT_EQ(todas, ordenadas) << "ordered by number";
}

TEST_F(ReporteEntradaTest, ThreeWaysOfPickingLinesIntoTheList)
{
    ReporteEntrada r = Nuevo();
    const auto facturas = r.Filtrar({agosto1, agosto31, 0, {}, false});
    ASSERT_EQ(facturas.size(), 2u);
    const auto lineas = r.LineasFactura(facturas[0].idCompra);
    ASSERT_EQ(lineas.size(), 2u);

    // One line: whole quantity, the article's weight and unit looked up.
    r.AgregarLinea(lineas[0]);
    ASSERT_EQ(r.Lista().size(), 1u);
    const FilaReporteEntrada &f = r.Lista()[0];
    EXPECT_EQ(f.nroFactura, QStringLiteral("E-1"));
    EXPECT_EQ(f.cantidad, 2);
    EXPECT_EQ(f.total, Currency(250));
    EXPECT_DOUBLE_EQ(f.peso.toDouble(), 1.25) << f.peso.toStdString();
    EXPECT_FALSE(f.unidad.isEmpty());
    EXPECT_EQ(f.unidad, EntornoPrueba::Texto(env.inventario,
                                             QStringLiteral("select u.NOMBRE from INVENTARIO i join UNIDAD_MEDIDA u on "
                                                            "u.COD_UNIDAD = i.COD_UNIDAD where i.COD_BARRAS = '%1'")
                                                 .arg(articulo)));

    // Every line of a search.
    r.AgregarLineas(r.BuscarLineas(QStringLiteral("ZAPATO")));
    ASSERT_EQ(r.Lista().size(), 3u);
    EXPECT_EQ(r.Lista()[1].cantidad + r.Lista()[2].cantidad, 5);  // 3.5 -> 4 and 1

    // Every line of every listed invoice, invoice by invoice.
    r.BorrarTabla();
    r.AgregarFacturas(facturas, false);
    ASSERT_EQ(r.Lista().size(), 3u);
    EXPECT_EQ(r.Lista()[0].nroFactura, QStringLiteral("E-1"));
    EXPECT_EQ(r.Lista()[2].nroFactura, QStringLiteral("E-2"));
    r.BorrarFila(0);
    EXPECT_EQ(r.Lista().size(), 2u);
    r.BorrarFila(7);
    EXPECT_EQ(r.Lista().size(), 2u);
}

TEST_F(ReporteEntradaTest, HeaderIsKeptAndPrintedAsWrittenWithTheList)
{
    ReporteEntrada r = Nuevo();
    EncabezadoEntrada e = r.LeerEncabezado();
    const int id = e.idReporte;
    e.importador = QStringLiteral("'Aduana' {Norte} \"Sur\"");
    e.manifiesto = QStringLiteral("MAN-77");
    e.nroRep = QStringLiteral("RE-0099");
    e.fecha = QDate(2031, 8, 9);
    r.GuardarEncabezado(e);
    EXPECT_EQ(e.idReporte, id);

    ReporteEntrada otro = Nuevo();
    const EncabezadoEntrada leido = otro.LeerEncabezado();
    EXPECT_EQ(leido.importador, e.importador);
    EXPECT_EQ(leido.fecha, QDate(2031, 8, 9));

    otro.AgregarFacturas(otro.Filtrar({agosto1, agosto31, 0, {}, false}), false);
    const QString pdf = env.carpeta.file("entrada.pdf");
    otro.Preparar().ExportToPdf(pdf);
    const QString t = TextoPdf(pdf);
    EXPECT_TRUE(t.contains(QStringLiteral("'Aduana' {Norte} \"Sur\""))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("RE-0099")));
    EXPECT_TRUE(t.contains(QStringLiteral("09/08/2031")));
    EXPECT_TRUE(t.contains(QStringLiteral("ZAPATO ROJO")));
    EXPECT_TRUE(Renglon(t, QStringLiteral("Artículos: 3")).contains(QStringLiteral("400.00"))) << t.toStdString();

    // With no header row yet one is inserted.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from REPORTES_TXT_PANAMA"));
    EncabezadoEntrada nuevo = otro.LeerEncabezado();
    EXPECT_EQ(nuevo.idReporte, 0);
    nuevo.vendedor = QStringLiteral("VENDEDOR NUEVO");
    otro.GuardarEncabezado(nuevo);
    EXPECT_GT(nuevo.idReporte, 0);
    EXPECT_EQ(otro.LeerEncabezado().vendedor, QStringLiteral("VENDEDOR NUEVO"));
    EXPECT_FALSE(otro.LeerEncabezado().fecha.isValid());
}

#include "support/PruebaVentanas.h"
PRUEBAS_CON_VENTANAS_MAIN()
