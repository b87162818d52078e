#include "pricing/RecalculoPrecios.h"
#include "pricing/Soporte.h"

#include <atomic>
#include <functional>
#include <thread>

namespace {

// Article taxed at 13 % that rounds its final price; a taxed line without tax
// included, unit price 1000, no discount; PREVEN_1 stored at 1250.
DatosRecalculo Articulo()
{
    DatosRecalculo d;
    d.porcIv = C("13");
    d.redondeaPrecioFinal = "S";
    d.stockAnterior = C("10");
    d.costoPromedioAnterior = C("900");
    d.cantidad = C("5");
    d.costoNeto = C("1000");
    d.precioVenta = C("1399.99");
    d.impUnitSinIv = C("1000");
    d.impUnitConIv = C("1130");
    d.gravado = "S";
    d.ivi = "N";
    d.niveles[0] = {BaseUltimoPrecioCompra, C("30"), 0, 0, 0, C("1250"), C("1250"), C("1412.5")};
    d.niveles[1] = {BasePrecioVenta1, C("-10"), 0, 0, 0, C("1100"), C("1100"), C("1243")};
    d.niveles[2] = {BaseManual, C("99"), C("99"), C("99"), 0, C("500"), C("442.4779"), C("500")};
    d.niveles[3] = {BaseManual, 0, 0, 0, 0, C("400"), C("400"), C("452")};
    return d;
}

struct Caso {
    const char *nombre;
    std::function<void(DatosRecalculo &, AjustesPrecios &)> preparar;
    int nivel;  // 1 to 4
    const char *preven;
    const char *sinIv;
    const char *conIv;
    bool recalculado;
};

class RecalculoTest : public ConAjustes {};

TEST_F(RecalculoTest, Tabla)
{
    const auto igual = [](DatosRecalculo &, AjustesPrecios &) {};
    const Caso casos[] = {
        {"nivel 1 sobre el ultimo precio", igual, 1, "1300", "1300", "1469", true},
        {"nivel 2 sobre el precio 1 guardado", igual, 2, "1125", "1125", "1271", true},
        {"nivel 3 manual conserva", igual, 3, "500", "442.4779", "500", false},

        {"nivel 1 manual toma el precio de la linea", [](auto &d, auto &) { d.niveles[0].baseCalculo = BaseManual; },
         1, "1399.99", "1399.99", "1582", true},
        {"nivel 1 base fuera de rango toma el precio de la linea",
         [](auto &d, auto &) { d.niveles[0].baseCalculo = BasePrecioVenta1; }, 1, "1399.99", "1399.99", "1582", true},
        {"iv incluido redondea aunque el articulo no",
         [](auto &d, auto &) { d.ivi = "S"; d.impUnitConIv = C("1130.40"); d.redondeaPrecioFinal = "N"; },
         1, "1470", "1300.885", "1470", true},
        {"iv incluido, nivel 2 saca el impuesto", [](auto &d, auto &) { d.ivi = "S"; }, 2, "1125", "996", "1125", true},
        {"descuento en el precio de compra",
         [](auto &d, auto &a) { a.descuentoEnPrecioCompra = true; d.porceDesc = C("10"); }, 1, "1170", "1170", "1322", true},
        {"descuento fuera del precio de compra", [](auto &d, auto &) { d.porceDesc = C("10"); },
         1, "1300", "1300", "1469", true},
        {"nivel 2 sobre el costo neto",
         [](auto &d, auto &) { d.niveles[1] = {BaseUltimoPrecioCompra, C("50"), 0, 0, 0, 0, 0, 0}; d.costoNeto = C("800"); },
         2, "1200", "1200", "1356", true},
        {"nivel 2 sobre el costo promedio",
         [](auto &d, auto &) { d.niveles[1] = {BaseCostoPromedio, C("50"), 0, 0, 2, 0, 0, 0}; },
         2, "933.3333", "933.3333", "1054.67", true},
        {"nivel 1 sobre el costo promedio, suma de stock cero",
         [](auto &d, auto &) { d.niveles[0].baseCalculo = BaseCostoPromedio; d.stockAnterior = C("-5"); },
         1, "1000", "1000", "1130", true},
        {"nivel 4 sobre el costo promedio, suma de stock negativa",
         [](auto &d, auto &) { d.niveles[3].baseCalculo = BaseCostoPromedio; d.stockAnterior = C("-10"); },
         4, "1000", "1000", "1130", true},
        {"no gravado redondea ambas formas",
         [](auto &d, auto &) { d.gravado = "N"; d.niveles[0].baseCalculo = BaseManual; }, 1, "1399.99", "1400", "1400", true},
        {"gravado distinto de S es no gravado",
         [](auto &d, auto &) { d.gravado = ""; d.ivi = "S"; d.niveles[0].baseCalculo = BaseManual; },
         1, "1399.99", "1400", "1400", true},
        {"iv incluido desconocido se toma como N", [](auto &d, auto &) { d.ivi = "X"; }, 1, "1300", "1300", "1469", true},
        {"nivel 2 base 4 conserva", [](auto &d, auto &) { d.niveles[1].baseCalculo = 4; }, 2, "1100", "1100", "1243", false},
        {"nivel 3 base negativa conserva", [](auto &d, auto &) { d.niveles[2].baseCalculo = -1; },
         3, "500", "442.4779", "500", false},
        {"nivel 3 sobre el precio 1 guardado",
         [](auto &d, auto &) { d.niveles[2] = {BasePrecioVenta1, 0, 0, 0, -1, 0, 0, 0}; },
         3, "1250", "1250", "1410", true},
        {"articulo sin redondeo final",
         [](auto &d, auto &) { d.redondeaPrecioFinal = "N"; d.niveles[0].coefA = C("30.555"); },
         1, "1305.55", "1305.55", "1475.2715", true},
        {"la tienda redondea el precio final",
         [](auto &d, auto &a) { d.redondeaPrecioFinal = "N"; d.niveles[0].coefA = C("30.555"); a.redondeaPrecioFinal = true; },
         1, "1306", "1306", "1476", true},
        {"medias unidades de la tienda",
         [](auto &d, auto &a) { a.unidadRedondeo = 5; d.niveles[1].redondeo = -1; }, 2, "1125", "1125", "1270", true},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre);
        DatosRecalculo d = Articulo();
        ajustes = AjustesPrecios{};
        c.preparar(d, ajustes);
        d.ajustes = ajustes;
        const PreciosNivel n = RecalcularPreciosVenta(d).niveles.at(c.nivel - 1);
        EXPECT_EQ(n.preven, C(c.preven));
        EXPECT_EQ(n.precioSinIv, C(c.sinIv));
        EXPECT_EQ(n.precioConIv, C(c.conIv));
        EXPECT_EQ(n.recalculado, c.recalculado);
    }
}

TEST_F(RecalculoTest, CostoPromedioDelResultado)
{
    struct { const char *stock; const char *esperado; } casos[] = {
        {"10", "933.3333"}, {"-5", "1000"}, {"-10", "1000"}, {"-4", "1400"},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.stock);
        DatosRecalculo d = Articulo();
        d.stockAnterior = C(c.stock);
        EXPECT_EQ(RecalcularPreciosVenta(d).costoPromedio, C(c.esperado));
    }
}

TEST_F(RecalculoTest, ConcurrentCalculationsKeepTheirOwnSettings)
{
    // One calculation rounds to half units, the other does not round the final price.
    DatosRecalculo medias = Articulo(), exacto = Articulo();
    medias.ajustes.unidadRedondeo = 5;
    medias.niveles[1].redondeo = -1;
    exacto.redondeaPrecioFinal = "N";
    exacto.niveles[0].coefA = C("30.555");
    const ResultadoRecalculo esperadoMedias = RecalcularPreciosVenta(medias);
    const ResultadoRecalculo esperadoExacto = RecalcularPreciosVenta(exacto);
    ASSERT_EQ(esperadoMedias.niveles[1].precioConIv, C("1270"));
    ASSERT_EQ(esperadoExacto.niveles[0].preven, C("1305.55"));
    std::atomic<int> distintos{0};
    auto calcular = [&](const DatosRecalculo &d, const ResultadoRecalculo &esperado) {
        for (int i = 0; i < 2000; ++i) {
            const ResultadoRecalculo r = RecalcularPreciosVenta(d);
            if (r.niveles[0].preven != esperado.niveles[0].preven ||
                r.niveles[1].precioConIv != esperado.niveles[1].precioConIv)
                ++distintos;
        }
    };
    std::thread a(calcular, std::cref(medias), std::cref(esperadoMedias));
    std::thread b(calcular, std::cref(exacto), std::cref(esperadoExacto));
    a.join();
    b.join();
    EXPECT_EQ(distintos.load(), 0);
}

} // namespace
