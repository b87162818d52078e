#include "pricing/Funcionesprecios.h"
#include "pricing/Funcionesyprocesoscompras.h"
#include "pricing/Soporte.h"

#include <functional>

namespace {

struct CasoRedondeo {
    const char *valor;
    int posicion;
    const char *redondea;
    int unidadRedondeo;
    bool redondeaPrecioFinal;
    const char *esperado;
};

class RedondearTest : public ConAjustes {};

TEST_F(RedondearTest, Tabla)
{
    const CasoRedondeo casos[] = {
        {"1234.5678", 2, "S", 0, false, "1234.57"},
        {"1234.5678", -2, "S", 0, false, "1200"},
        {"1234.5678", -1, "S", 0, false, "1230"},
        {"2.5", 0, "S", 0, false, "2"},
        {"3.5", 0, "S", 0, false, "4"},
        {"1234.5678", 0, "S", 5, false, "1234.5"},
        {"1234.5678", 1, "S", 5, false, "1234.55"},
        {"1234.5678", -1, "S", 5, false, "1235"},
        {"1234.5678", 2, "N", 0, false, "1234.5678"},
        // The store setting rounds whatever the switch says; only "S" is yes.
        {"1234.5678", 2, "N", 0, true, "1234.57"},
        {"1234.5678", 2, "", 0, true, "1234.57"},
        {"1234.5678", 2, "s", 0, false, "1234.5678"},
        // Ties to even, also on half units and at tens and hundreds.
        {"1234.225", 1, "S", 5, false, "1234.2"},
        {"1234.275", 1, "S", 5, false, "1234.3"},
        {"250", -2, "S", 0, false, "200"},
        {"50", -2, "S", 0, false, "0"},
        {"1425", -1, "S", 0, false, "1420"},
        {"1435", -1, "S", 0, false, "1440"},
        {"1225", -2, "S", 5, false, "1200"},
        {"1234.5678", -2, "S", 5, false, "1250"},
        {"1.2345", 3, "S", 0, false, "1.234"},
        {"1.2347", 3, "S", 5, false, "1.2345"},
        {"-2.5", 0, "S", 0, false, "-2"},
        {"-3.5", 0, "S", 0, false, "-4"},
        {"-127.5", -1, "S", 5, false, "-130"},
        // Positions at or beyond the fourth decimal change nothing.
        {"1.2345", 4, "S", 0, false, "1.2345"},
        {"1.2345", 9, "S", 5, false, "1.2345"},
        // Far to the left.
        {"50000", -5, "S", 0, false, "0"},
        {"60000", -5, "S", 0, false, "100000"},
        {"1234.5678", -20, "S", 0, false, "0"},
        // Any unit other than 5 rounds plainly.
        {"12.26", 1, "S", 1, false, "12.3"},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(testing::Message() << c.valor << " pos " << c.posicion << " \"" << c.redondea
                                        << "\" unidad " << c.unidadRedondeo);
        ajustes.unidadRedondeo = c.unidadRedondeo;
        ajustes.redondeaPrecioFinal = c.redondeaPrecioFinal;
        EXPECT_EQ(Redondear(C(c.valor), c.posicion, c.redondea, ajustes), C(c.esperado));
    }
}

TEST(RedondearValorTest, Tabla)
{
    struct Caso { const char *valor; int decimales; int unidad; const char *esperado; };
    const Caso casos[] = {
        {"12.26", 1, 5, "12.25"},
        {"12.24", 1, 5, "12.25"},
        {"12.2", 1, 5, "12.2"},
        {"127.49", -1, 5, "125"},
        {"127.5", -1, 5, "130"},
        {"2.5", 0, 0, "2"},
        {"3.5", 0, 0, "4"},
        {"1234.5678", -2, 0, "1200"},
        {"1.2374", 2, 5, "1.235"},
        {"0.75", 0, 5, "1"},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(testing::Message() << c.valor << " dec " << c.decimales << " unidad " << c.unidad);
        EXPECT_EQ(RedondearValor(C(c.valor), c.decimales, c.unidad), C(c.esperado));
    }
}

class AjustesTest : public ConAjustes {};

TEST_F(AjustesTest, EachCallUsesTheSettingsItIsGiven)
{
    AjustesPrecios medias;
    medias.unidadRedondeo = 5;
    AjustesPrecios tienda;
    tienda.redondeaPrecioFinal = true;
    tienda.unidadRedondeo = 5;
    // Calls with different settings interleave without leaking into each other.
    EXPECT_EQ(Redondear(C("1234.5678"), 0, "S", ajustes), C("1235"));
    EXPECT_EQ(Redondear(C("1234.5678"), 0, "S", medias), C("1234.5"));
    EXPECT_EQ(Redondear(C("1234.5678"), 0, "S", ajustes), C("1235"));
    EXPECT_EQ(PrecioGravadoSinIv(C("1999.99"), C("13"), 2, "N", tienda), C("1769.905"));
    EXPECT_EQ(PrecioGravadoSinIv(C("1999.99"), C("13"), 2, "N", ajustes), C("1769.9027"));
    EXPECT_EQ(PrecioVenta1(C("1000"), C("30.555"), 0, 0, 0, "N", tienda), C("1305.5"));
    EXPECT_EQ(PrecioVenta1(C("1000"), C("30.555"), 0, 0, 0, "N", medias), C("1305.55"));
}

TEST_F(AjustesTest, RedondearValorNoConsultaLaTienda)
{
    ajustes.unidadRedondeo = 5;
    EXPECT_EQ(RedondearValor(C("12.26"), 1, 0), C("12.3"));
}

TEST(AjustesPorDefectoTest, OnlyTheSwitchRounds)
{
    const AjustesPrecios a;
    EXPECT_EQ(a.unidadRedondeo, 0);
    EXPECT_FALSE(a.redondeaPrecioFinal);
    EXPECT_FALSE(a.descuentoEnPrecioCompra);
    EXPECT_EQ(Redondear(C("1234.5678"), 2, "N", a), C("1234.5678"));
    EXPECT_EQ(Redondear(C("1234.5678"), 0, "S", a), C("1235"));
}

// Functions of prices, taxes and discounts under a given store setting.
struct CasoPrecio {
    const char *nombre;
    std::function<Currency()> llamada;
    bool redondeaPrecioFinal;
    const char *esperado;
};

class PreciosTest : public ConAjustes {};

TEST_F(PreciosTest, Tabla)
{
    const CasoPrecio casos[] = {
        {"venta1", [this] { return PrecioVenta1(C("1000"), C("30"), C("10"), C("25"), 0, "S", ajustes); }, false, "1455"},
        {"ultimo", [this] { return PrecioUltimoPrecioCompra(C("1000"), C("30"), C("10"), C("25"), 0, "S", ajustes); }, false, "1455"},
        {"venta1 margen negativo", [this] { return PrecioVenta1(C("1250"), C("-10"), 0, 0, 0, "S", ajustes); }, false, "1125"},
        // Only the sum is rounded: 10.5 + 0.4 -> 11, not round(10.5) + 0.4.
        {"venta1 suma fija", [this] { return PrecioVenta1(C("10"), C("5"), 0, C("0.4"), 0, "S", ajustes); }, false, "11"},
        {"venta1 sin redondeo", [this] { return PrecioVenta1(C("1000"), C("30.555"), 0, 0, 0, "N", ajustes); }, false, "1305.55"},
        {"venta1 tienda redondea", [this] { return PrecioVenta1(C("1000"), C("30.555"), 0, 0, 0, "N", ajustes); }, true, "1306"},
        // Exact ties in the fifth decimal go to the even neighbour.
        {"venta1 empate arriba", [this] { return PrecioVenta1(C("12.3455"), C("30"), 0, 0, 4, "N", ajustes); }, false, "16.0492"},
        {"venta1 empate abajo", [this] { return PrecioVenta1(C("1.0015"), C("10"), 0, 0, 4, "N", ajustes); }, false, "1.1016"},
        {"con iv empate", [this] { return PrecioGravadoConIv(C("12.355"), C("13"), 4, "N", ajustes); }, false, "13.9612"},
        {"sin iv", [this] { return PrecioGravadoSinIv(C("1130"), C("13"), 2, "S", ajustes); }, false, "1000"},
        {"con iv", [this] { return PrecioGravadoConIv(C("1000"), C("13"), 2, "S", ajustes); }, false, "1130"},
        {"sin iv sin redondeo", [this] { return PrecioGravadoSinIv(C("1999.99"), C("13"), 4, "N", ajustes); }, false, "1769.9027"},
        {"con iv a unidades", [this] { return PrecioGravadoConIv(C("1125"), C("13"), 0, "S", ajustes); }, false, "1271"},
        {"con iv sin redondeo", [this] { return PrecioGravadoConIv(C("1125"), C("13"), 0, "N", ajustes); }, false, "1271.25"},
        {"monto con impuesto", [this] { return CalcularMontoConImpuesto(C("1125"), C("13"), 0, "S", ajustes); }, false, "1271"},
        {"descuento", [] { return AplicarDescuento(C("1000"), C("10")); }, false, "900"},
        {"descuento negativo", [] { return AplicarDescuento(C("1000"), C("-5")); }, false, "1000"},
        {"descuento cero", [] { return AplicarDescuento(C("1000"), 0); }, false, "1000"},
        {"descuento total", [] { return AplicarDescuento(C("1000"), C("100")); }, false, "0"},
        {"descuento empate abajo", [] { return AplicarDescuento(C("12.3401"), C("50")); }, false, "6.17"},
        {"descuento empate par", [] { return AplicarDescuento(C("12.343"), C("5")); }, false, "11.7258"},
        {"descuento sin redondeo final", [] { return AplicarDescuento(C("99.99"), C("12.5")); }, true, "87.4912"},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre);
        ajustes.redondeaPrecioFinal = c.redondeaPrecioFinal;
        EXPECT_EQ(c.llamada(), C(c.esperado));
    }
}

// Average costs: (stock, cost) of the article and (quantity, cost) received.
struct CasoPromedio {
    const char *stock;
    const char *costo;
    const char *cantidad;
    const char *nuevo;
    const char *costoPromedio;    // PrecioCostoPromedio
    const char *ponderado;        // PrecioPromedioPonderado
    const char *seguro;           // CostoPromedioSeguro
};

TEST(PromediosTest, Tabla)
{
    const CasoPromedio casos[] = {
        {"10", "100", "5", "130", "110", "110", "110"},
        {"-5", "100", "5", "130", "150", "150", "130"},
        {"-10", "100", "5", "130", "70", "-350", "130"},
        {"0", "100", "0", "130", "0", "0", "130"},
        {"-10", "100", "15", "130", "190", "190", "190"},
        {"3", "10", "1", "11", "10.25", "10.25", "10.25"},
        {"3", "10", "0", "0", "10", "10", "10"},
        {"0", "0", "3", "12.3456", "12.3456", "12.3456", "12.3456"},
        {"2", "10", "1", "10.0001", "10", "10", "10"},
        {"3", "0", "3", "0.0001", "0.0000", "0.0000", "0.0000"},
        {"1", "0", "1", "0.0003", "0.0002", "0.0002", "0.0002"},
    };
    for (const auto &c : casos) {
        SCOPED_TRACE(testing::Message() << "S " << c.stock << " C " << c.costo << " Q " << c.cantidad
                                        << " N " << c.nuevo);
        EXPECT_EQ(PrecioCostoPromedio(C(c.stock), C(c.cantidad), C(c.costo), C(c.nuevo)), C(c.costoPromedio));
        EXPECT_EQ(PrecioPromedioPonderado(C(c.stock), C(c.costo), C(c.cantidad), C(c.nuevo)), C(c.ponderado));
        EXPECT_EQ(CostoPromedioSeguro(C(c.stock), C(c.costo), C(c.cantidad), C(c.nuevo)), C(c.seguro));
    }
}

TEST(PromediosTest, SeguroDevuelveElCostoSiElPromedioDesborda)
{
    // Stock sum of 0.0001: the average is far beyond the range of Currency.
    const Currency stock = Currency::fromRaw(-9'000'000'000'000'000'000LL);
    const Currency cantidad = Currency::fromRaw(9'000'000'000'000'000'001LL);
    EXPECT_EQ(CostoPromedioSeguro(stock, 0, cantidad, C("130")), C("130"));
}

TEST(ComprasTest, PromedioPrecioCompraYPendiente)
{
    EXPECT_EQ(PromedioPrecioCompra(C("100"), C("50"), C("0.5")), C("75"));
    EXPECT_EQ(PromedioPrecioCompra(C("1.0001"), 0, C("0.5")), C("0.5"));
    EXPECT_EQ(PromedioPrecioCompra(C("1.0003"), 0, C("0.5")), C("0.5002"));
    EXPECT_EQ(CantidadPendientedeProcesarConsignacion(C("10"), C("3"), C("2")), C("5"));
    EXPECT_EQ(CantidadPendientedeProcesarConsignacion(C("5"), 0, C("6")), C("-1"));
}

} // namespace
