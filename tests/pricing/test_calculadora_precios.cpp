#include "pricing/CalculadoraPrecios.h"
#include "pricing/Soporte.h"

#include <functional>

namespace {

NivelPrecio Regla(int base, const char *coefA, const char *coefB, const char *sumaFija, int redondeo,
                  const char *preven = "0")
{
    return {base, C(coefA), C(coefB), C(sumaFija), redondeo, C(preven), 0, 0};
}

// Untaxed article, purchase price 1000, average cost 900, every level manual at 0.
PreciosArticulo Articulo()
{
    PreciosArticulo p;
    p.precioCompra = C("1000");
    p.costoPromedio = C("900");
    p.iv.porcIv = C("13");
    for (auto &n : p.niveles)
        n = Regla(BaseManual, "0", "0", "0", 2);
    return p;
}

struct Caso {
    const char *nombre;
    std::function<void(PreciosArticulo &, AjustesPrecios &)> preparar;
    int nivel;
    const char *preven;
    const char *sinIv;
    const char *conIv;
};

template <std::size_t N>
void Comprobar(const Caso (&casos)[N])
{
    for (const auto &c : casos) {
        SCOPED_TRACE(c.nombre);
        PreciosArticulo p = Articulo();
        AjustesPrecios a;
        c.preparar(p, a);
        CalculadoraPrecios calc(p, a);
        calc.Calcular();
        const NivelPrecio &n = calc.Nivel(c.nivel);
        EXPECT_EQ(n.preven, C(c.preven));
        EXPECT_EQ(n.precioSinIv, C(c.sinIv));
        EXPECT_EQ(n.precioConIv, C(c.conIv));
        EXPECT_FALSE(calc.Estado(c.nivel).conError);
    }
}

void Gravado(PreciosArticulo &p, bool incluido, bool redondeaFinal)
{
    p.iv.gravado = true;
    p.iv.incluido = incluido;
    p.iv.redondeaFinal = redondeaFinal;
}

TEST(CalculadoraPrecios, EjemplosDeLaFicha)
{
    const Caso casos[] = {
        {"ultimo precio de compra, 30 y 10 mas 5",
         [](auto &p, auto &) { p.niveles[0] = Regla(BaseUltimoPrecioCompra, "30", "10", "5", 0); },
         1, "1435", "1435", "1435"},
        {"redondeo a decenas",
         [](auto &p, auto &) { p.niveles[0] = Regla(BaseUltimoPrecioCompra, "30", "10", "5", -1); },
         1, "1440", "1440", "1440"},
        {"empate a decenas va al par",
         [](auto &p, auto &) { p.niveles[0] = Regla(BaseUltimoPrecioCompra, "42", "0", "5", -1); },
         1, "1420", "1420", "1420"},
        {"nivel 2 sigue al nivel 1 recien calculado",
         [](auto &p, auto &) {
             p.niveles[0] = Regla(BaseUltimoPrecioCompra, "30", "10", "5", 0, "1");
             p.niveles[1] = Regla(BasePrecioVenta1, "-10", "0", "0", 0);
         },
         2, "1292", "1292", "1292"},
        {"gravado con impuesto incluido",
         [](auto &p, auto &) { Gravado(p, true, false); p.niveles[0].preven = C("113"); },
         1, "113", "100", "113"},
        {"redondeo final deja el precio en 1000",
         [](auto &p, auto &) {
             Gravado(p, false, true);
             p.niveles[0] = Regla(BaseUltimoPrecioCompra, "0", "0", "0", 0);
         },
         1, "1000", "1000", "1130"},
        {"redondeo final de 999 a decenas",
         [](auto &p, auto &) {
             Gravado(p, false, true);
             p.niveles[0] = Regla(BasePrecioVenta1, "0", "0", "0", -1, "999");  // level 1 computes nothing
         },
         1, "1000", "1000", "1130"},
        {"no gravado", [](auto &p, auto &) { p.niveles[2].preven = C("1234.5678"); },
         3, "1234.5678", "1234.5678", "1234.5678"},
    };
    Comprobar(casos);
}

TEST(CalculadoraPrecios, CasosLimite)
{
    const Caso casos[] = {
        {"costo cero deja la suma fija",
         [](auto &p, auto &) { p.precioCompra = 0; p.niveles[0] = Regla(BaseUltimoPrecioCompra, "30", "10", "5", 2); },
         1, "5", "5", "5"},
        {"margen del 100 %",
         [](auto &p, auto &) { p.niveles[0] = Regla(BaseUltimoPrecioCompra, "100", "0", "0", 2); },
         1, "2000", "2000", "2000"},
        {"margen de -100 % da cero",
         [](auto &p, auto &) { p.niveles[0] = Regla(BaseUltimoPrecioCompra, "-100", "0", "0", 2); },
         1, "0", "0", "0"},
        {"costo promedio",
         [](auto &p, auto &) { p.niveles[3] = Regla(BaseCostoPromedio, "12.5", "0", "0", 2); },
         4, "1012.5", "1012.5", "1012.5"},
        {"impuesto incluido saca el impuesto a cuatro decimales",
         [](auto &p, auto &) { Gravado(p, true, false); p.niveles[1].preven = C("1000"); },
         2, "1000", "884.9558", "1000"},
        {"impuesto sin redondeo final",
         [](auto &p, auto &) { Gravado(p, false, false); p.niveles[0].preven = C("999.99"); },
         1, "999.99", "999.99", "1129.9887"},
        {"redondeo final no redondea el neto derivado",
         [](auto &p, auto &) { Gravado(p, false, true); p.niveles[0].preven = C("999.99"); },
         1, "999.9912", "999.9912", "1129.99"},
        {"redondeo final oculto si el impuesto va incluido",
         [](auto &p, auto &) { Gravado(p, true, true); p.niveles[0].preven = C("999.99"); },
         1, "999.99", "884.9469", "999.99"},
        {"medias unidades, empate al par",
         [](auto &p, auto &a) {
             a.unidadRedondeo = 5;
             p.precioCompra = C("1234.225");
             p.niveles[0] = Regla(BaseUltimoPrecioCompra, "0", "0", "0", 1);
         },
         1, "1234.2", "1234.2", "1234.2"},
        {"medias unidades a cincos",
         [](auto &p, auto &a) { a.unidadRedondeo = 5; p.niveles[0] = Regla(BaseUltimoPrecioCompra, "23.4", "0", "0", -1); },
         1, "1235", "1235", "1235"},
        {"el redondeo final usa media unidad de la tienda",
         [](auto &p, auto &a) {
             a.unidadRedondeo = 5;
             Gravado(p, false, true);
             p.niveles[0] = Regla(BaseUltimoPrecioCompra, "0", "0", "0", 0);
             p.precioCompra = C("1001");
         },
         1, "1000.885", "1000.885", "1131"},
        {"la tienda que no redondea no frena a la ficha",
         [](auto &p, auto &a) {
             a.redondeaPrecioFinal = false;
             p.niveles[0] = Regla(BaseUltimoPrecioCompra, "0.005", "0", "0", 0);
         },
         1, "1000", "1000", "1000"},
    };
    Comprobar(casos);
}

TEST(CalculadoraPrecios, ColumnasIvSinCalculadora)
{
    AjustesPrecios a;
    const IvArticulo redondea{C("13"), true, false, true};
    const NivelPrecio n = ColumnasIv(Regla(BaseManual, "0", "0", "0", -1, "999"), redondea, a);
    EXPECT_EQ(n.precioConIv, C("1130"));
    EXPECT_EQ(n.preven, C("1000"));
    EXPECT_EQ(n.precioSinIv, C("1000"));
    EXPECT_THROW(ColumnasIv(Regla(BaseManual, "0", "0", "0", 2, "10"), {C("-100"), true, true, false}, a),
                 ErrorImporte);
}

// Level 1 on the purchase price, 2 on level 1, 3 on the average cost, 4 typed by hand.
class FichaPrecios : public ::testing::Test {
protected:
    FichaPrecios() : calc(Armar(), AjustesPrecios{}) { calc.Calcular(); }

    static PreciosArticulo Armar()
    {
        PreciosArticulo p = Articulo();
        p.niveles[0] = Regla(BaseUltimoPrecioCompra, "30", "0", "0", 0);
        p.niveles[1] = Regla(BasePrecioVenta1, "-10", "0", "0", 0);
        p.niveles[2] = Regla(BaseCostoPromedio, "0", "0", "0", 0);
        p.niveles[3] = Regla(BaseManual, "0", "0", "0", 2, "500");
        return p;
    }

    void Precios(const char *p1, const char *p2, const char *p3, const char *p4)
    {
        EXPECT_EQ(calc.Nivel(1).preven, C(p1));
        EXPECT_EQ(calc.Nivel(2).preven, C(p2));
        EXPECT_EQ(calc.Nivel(3).preven, C(p3));
        EXPECT_EQ(calc.Nivel(4).preven, C(p4));
    }

    CalculadoraPrecios calc;
};

TEST_F(FichaPrecios, CadaCambioRecalculaLoQueDependeDeEl)
{
    Precios("1300", "1170", "900", "500");
    calc.FijarPrecioCompra(C("2000"));
    Precios("2600", "2340", "900", "500");
    calc.FijarCostoPromedio(C("950.5"));  // a tie at units goes to the even one
    Precios("2600", "2340", "950", "500");
    calc.FijarCoefA(2, C("20"));
    Precios("2600", "3120", "950", "500");
    calc.FijarCoefB(1, C("10"));
    Precios("2860", "3432", "950", "500");
    calc.FijarSumaFija(1, C("1"));
    Precios("2861", "3433", "950", "500");
    calc.FijarRedondeo(2, -2);
    Precios("2861", "3400", "950", "500");
    EXPECT_EQ(calc.Nivel(3).precioConIv, C("950"));
}

TEST_F(FichaPrecios, NivelManual)
{
    EXPECT_TRUE(calc.Estado(4).precioEditable);
    EXPECT_FALSE(calc.Estado(4).reglaEditable);
    EXPECT_FALSE(calc.Estado(1).precioEditable);
    EXPECT_TRUE(calc.Estado(1).reglaEditable);

    calc.FijarCoefA(1, C("25"));
    calc.FijarSumaFija(1, C("3"));
    calc.FijarRedondeo(1, -1);
    ASSERT_EQ(calc.Nivel(1).preven, C("1250"));
    calc.FijarBase(1, BaseManual);
    const NivelPrecio &n = calc.Nivel(1);
    EXPECT_EQ(n.preven, C("1250"));
    EXPECT_EQ(n.coefA, C("0"));
    EXPECT_EQ(n.coefB, C("0"));
    EXPECT_EQ(n.sumaFija, C("0"));
    EXPECT_EQ(n.redondeo, 2);
    EXPECT_TRUE(calc.Estado(1).precioEditable);

    // A manual level 1 is no longer moved by the cost; level 2 still follows it.
    calc.FijarPrecioCompra(C("5000"));
    EXPECT_EQ(calc.Nivel(1).preven, C("1250"));
    EXPECT_EQ(calc.Nivel(2).preven, C("1125"));
}

TEST_F(FichaPrecios, PreparandoNoRecalcula)
{
    calc.FijarPreparando(true);
    calc.FijarPrecioCompra(C("2000"));
    Precios("1300", "1170", "900", "500");
    calc.FijarPreparando(false);
    calc.Calcular();
    Precios("2600", "2340", "900", "500");
}

TEST_F(FichaPrecios, PrecioDigitadoCalculaElMargen)
{
    using R = CalculadoraPrecios::PrecioDigitado;
    calc.FijarCoefB(1, C("10"));
    calc.FijarSumaFija(1, C("5"));
    calc.FijarRedondeo(1, 2);
    EXPECT_EQ(calc.FijarPrecio(1, C("1655")), R::MargenCalculado);
    EXPECT_EQ(calc.Nivel(1).coefA, C("50"));
    EXPECT_EQ(calc.Nivel(1).preven, C("1655"));
    EXPECT_EQ(calc.Nivel(2).preven, C("1490"));  // level 2 follows: 1489.5 to the even unit

    // The level's rounding still applies to the typed price.
    calc.FijarCoefB(1, C("0"));
    calc.FijarSumaFija(1, C("0"));
    calc.FijarRedondeo(1, -1);
    EXPECT_EQ(calc.FijarPrecio(1, C("1234")), R::MargenCalculado);
    EXPECT_EQ(calc.Nivel(1).coefA, C("23.4"));
    EXPECT_EQ(calc.Nivel(1).preven, C("1230"));

    // A margin that does not end still lands on the typed cents.
    calc.FijarRedondeo(1, 2);
    calc.FijarPrecioCompra(C("3"));
    EXPECT_EQ(calc.FijarPrecio(1, C("10")), R::MargenCalculado);
    EXPECT_EQ(calc.Nivel(1).coefA, C("233.3333"));
    EXPECT_EQ(calc.Nivel(1).preven, C("10"));

    EXPECT_EQ(calc.FijarPrecio(4, C("777.77")), R::Aceptado);
    EXPECT_EQ(calc.Nivel(4).preven, C("777.77"));
}

TEST_F(FichaPrecios, PrecioDigitadoSinBaseNoCambiaNada)
{
    using R = CalculadoraPrecios::PrecioDigitado;
    calc.FijarPrecioCompra(C("0"));
    ASSERT_EQ(calc.Nivel(1).preven, C("0"));
    EXPECT_EQ(calc.FijarPrecio(1, C("100")), R::SinBase);
    EXPECT_EQ(calc.Nivel(1).coefA, C("30"));
    EXPECT_EQ(calc.Nivel(1).preven, C("0"));

    // Coefficient B of -100 % also leaves no base.
    calc.FijarPrecioCompra(C("1000"));
    calc.FijarCoefB(1, C("-100"));
    EXPECT_EQ(calc.FijarPrecio(1, C("100")), R::SinBase);

    calc.FijarBase(1, BasePrecioVenta1);  // not a level-1 base
    EXPECT_EQ(calc.FijarPrecio(1, C("100")), R::NoDigitable);
    EXPECT_EQ(calc.Nivel(1).preven, C("0"));
}

TEST_F(FichaPrecios, BanderasDeImpuesto)
{
    EXPECT_FALSE(calc.RedondeaFinalVisible());
    calc.FijarRedondeaFinal(true);  // hidden: stays unchecked
    EXPECT_FALSE(calc.Precios().iv.redondeaFinal);

    calc.FijarGravado(true);
    EXPECT_TRUE(calc.RedondeaFinalVisible());
    EXPECT_TRUE(calc.ColumnaConIvVisible());
    EXPECT_EQ(calc.Nivel(1).precioConIv, C("1469"));
    calc.FijarRedondeo(1, -1);
    calc.FijarRedondeaFinal(true);
    EXPECT_EQ(calc.Nivel(1).precioConIv, C("1470"));
    EXPECT_EQ(calc.Nivel(1).preven, C("1300.885"));

    calc.FijarIvIncluido(true);  // hides and clears final rounding
    EXPECT_FALSE(calc.Precios().iv.redondeaFinal);
    EXPECT_FALSE(calc.ColumnaConIvVisible());
    EXPECT_EQ(calc.Nivel(1).preven, C("1300"));
    EXPECT_EQ(calc.Nivel(1).precioSinIv, C("1150.4425"));

    calc.FijarGravado(false);
    EXPECT_TRUE(calc.ColumnaConIvVisible());
    EXPECT_EQ(calc.Nivel(1).precioSinIv, C("1300"));
    EXPECT_EQ(calc.Nivel(1).precioConIv, C("1300"));
}

TEST_F(FichaPrecios, TitulosDeColumnas)
{
    using T = std::array<QString, 2>;
    EXPECT_EQ(calc.TitulosColumnas("IV"), (T{"Precio Sin 'IV'", "Precio Sin 'IV'"}));
    calc.FijarGravado(true);
    EXPECT_EQ(calc.TitulosColumnas("I'V"), (T{"Precio Sin 'I''V'", "Precio Con 'I''V'"}));
    calc.FijarIvIncluido(true);
    EXPECT_EQ(calc.TitulosColumnas("IVA"), (T{"Precio Con 'IVA'", "Precio Sin 'IVA'"}));
}

TEST_F(FichaPrecios, BajoCosto)
{
    // Level 3 sits on the average cost 900, under the purchase price.
    EXPECT_EQ(calc.AvisoBajoCosto(),
              "El precio 3 está por debajo del costo.\nEl precio 4 está por debajo del costo.");
    calc.FijarCoefA(2, C("-30"));  // 910
    EXPECT_FALSE(calc.BajoCosto(1));
    EXPECT_TRUE(calc.BajoCosto(2));
    EXPECT_EQ(calc.AvisoBajoCosto(),
              "El precio 2 está por debajo del costo.\nEl precio 3 está por debajo del costo.\n"
              "El precio 4 está por debajo del costo.");

    // With tax included the net price is what counts: 1100 with tax is 973.45 net.
    calc.FijarGravado(true);
    calc.FijarIvIncluido(true);
    calc.FijarCoefA(1, C("10"));
    EXPECT_TRUE(calc.BajoCosto(1));

    // An unused level at 0 is not below cost; with cost 0 nothing is.
    calc.FijarPrecio(4, C("0"));
    EXPECT_FALSE(calc.BajoCosto(4));
    calc.FijarPrecioCompra(C("0"));
    for (int n = 1; n <= 4; ++n)
        EXPECT_FALSE(calc.BajoCosto(n)) << n;
}

TEST_F(FichaPrecios, ImportesAcotados)
{
    const Currency demasiado = kImporteMaximo + Currency::fromRaw(1);
    EXPECT_THROW(calc.FijarPrecioCompra(demasiado), ErrorImporte);
    EXPECT_THROW(calc.FijarSumaFija(1, -demasiado), ErrorImporte);
    EXPECT_THROW(calc.FijarPrecio(4, demasiado), ErrorImporte);
    EXPECT_THROW(calc.FijarCoefA(1, demasiado), ErrorImporte);
    Precios("1300", "1170", "900", "500");
    EXPECT_EQ(calc.Precios().precioCompra, C("1000"));

    // A level whose price leaves the bounds keeps its values; the others go on.
    calc.FijarPrecioCompra(kImporteMaximo);
    EXPECT_TRUE(calc.Estado(1).conError);
    EXPECT_FALSE(calc.Estado(3).conError);
    EXPECT_EQ(calc.Nivel(1).preven, C("1300"));
    EXPECT_EQ(calc.Nivel(2).preven, C("1170"));
    calc.FijarPrecioCompra(C("1000"));
    EXPECT_FALSE(calc.Estado(1).conError);

    // A typed price whose tax form passes the bound is refused whole.
    calc.FijarGravado(true);
    EXPECT_THROW(calc.FijarPrecio(4, kImporteMaximo), ErrorImporte);
    EXPECT_FALSE(calc.Estado(4).conError);
    EXPECT_EQ(calc.Nivel(4).preven, C("500"));
    EXPECT_EQ(calc.Nivel(4).precioConIv, C("565"));
    EXPECT_EQ(calc.Nivel(1).precioConIv, C("1469"));

    // So is a margin back-computed into a price out of bounds.
    calc.FijarRedondeo(1, 2);
    EXPECT_THROW(calc.FijarPrecio(1, kImporteMaximo), ErrorImporte);
    EXPECT_EQ(calc.Nivel(1).coefA, C("30"));
    EXPECT_EQ(calc.Nivel(1).preven, C("1300"));
}

TEST(CalculadoraPrecios, ValorDeTexto)
{
    EXPECT_EQ(CalculadoraPrecios::ValorDeTexto(""), C("0"));
    EXPECT_EQ(CalculadoraPrecios::ValorDeTexto("   "), C("0"));
    EXPECT_EQ(CalculadoraPrecios::ValorDeTexto(" 1,234.50 "), C("1234.5"));
    EXPECT_EQ(CalculadoraPrecios::ValorDeTexto("-12,5"), C("-12.5"));
    EXPECT_THROW(CalculadoraPrecios::ValorDeTexto("abc"), ErrorImporte);
    EXPECT_THROW(CalculadoraPrecios::ValorDeTexto("1000000000"), ErrorImporte);
}

TEST(CalculadoraPrecios, NivelFueraDeRango)
{
    CalculadoraPrecios calc(Articulo(), AjustesPrecios{});
    EXPECT_THROW(calc.Nivel(0), std::out_of_range);
    EXPECT_THROW(calc.FijarBase(5, BaseManual), std::out_of_range);
}

} // namespace
