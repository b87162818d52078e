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

void Gravado(PreciosArticulo &p, bool incluido, bool redondeaFinal)
{
    p.iv.gravado = true;
    p.iv.incluido = incluido;
    p.iv.redondeaFinal = redondeaFinal;
}

// Sets level 1's rule.
const auto Nivel1 = [](int base, const char *a, const char *b, const char *f, int r) {
    return [=](PreciosArticulo &p, AjustesPrecios &) { p.niveles[0] = Regla(base, a, b, f, r); };
};

TEST(CalculadoraPrecios, EjemplosYCasosLimite)
{
    const Caso casos[] = {
        {"costo, 30 y 10 mas 5", Nivel1(BaseUltimoPrecioCompra, "30", "10", "5", 0), 1, "1435", "1435", "1435"},
        {"redondeo a decenas", Nivel1(BaseUltimoPrecioCompra, "30", "10", "5", -1), 1, "1440", "1440", "1440"},
        {"empate a decenas va al par", Nivel1(BaseUltimoPrecioCompra, "42", "0", "5", -1), 1, "1420", "1420", "1420"},
        {"nivel 2 sigue al nivel 1 recien calculado",
         [](auto &p, auto &) {
             p.niveles[0] = Regla(BaseUltimoPrecioCompra, "30", "10", "5", 0, "1");
             p.niveles[1] = Regla(BasePrecioVenta1, "-10", "0", "0", 0);
         }, 2, "1292", "1292", "1292"},
        {"gravado con impuesto incluido", [](auto &p, auto &) { Gravado(p, true, false); p.niveles[0].preven = C("113"); },
         1, "113", "100", "113"},
        {"redondeo final deja 1000",
         [](auto &p, auto &) { Gravado(p, false, true); p.niveles[0] = Regla(BaseUltimoPrecioCompra, "0", "0", "0", 0); },
         1, "1000", "1000", "1130"},
        {"redondeo final de 999 a decenas",  // level 1 on base 3 computes nothing
         [](auto &p, auto &) { Gravado(p, false, true); p.niveles[0] = Regla(BasePrecioVenta1, "0", "0", "0", -1, "999"); },
         1, "1000", "1000", "1130"},
        {"no gravado", [](auto &p, auto &) { p.niveles[2].preven = C("1234.5678"); }, 3, "1234.5678", "1234.5678", "1234.5678"},

        {"costo cero deja la suma fija",
         [](auto &p, auto &a) { p.precioCompra = 0; Nivel1(BaseUltimoPrecioCompra, "30", "10", "5", 2)(p, a); }, 1, "5", "5", "5"},
        {"margen del 100 %", Nivel1(BaseUltimoPrecioCompra, "100", "0", "0", 2), 1, "2000", "2000", "2000"},
        {"margen de -100 %", Nivel1(BaseUltimoPrecioCompra, "-100", "0", "0", 2), 1, "0", "0", "0"},
        {"costo promedio", Nivel1(BaseCostoPromedio, "12.5", "0", "0", 2), 1, "1012.5", "1012.5", "1012.5"},
        {"impuesto incluido a cuatro decimales", [](auto &p, auto &) { Gravado(p, true, false); p.niveles[1].preven = C("1000"); },
         2, "1000", "884.9558", "1000"},
        {"impuesto sin redondeo final", [](auto &p, auto &) { Gravado(p, false, false); p.niveles[0].preven = C("999.99"); },
         1, "999.99", "999.99", "1129.9887"},
        {"redondeo final no redondea el neto", [](auto &p, auto &) { Gravado(p, false, true); p.niveles[0].preven = C("999.99"); },
         1, "999.9912", "999.9912", "1129.99"},
        {"sin redondeo final si el impuesto va incluido",
         [](auto &p, auto &) { Gravado(p, true, true); p.niveles[0].preven = C("999.99"); }, 1, "999.99", "884.9469", "999.99"},
        {"medias unidades, empate al par",
         [](auto &p, auto &a) { a.unidadRedondeo = 5; p.precioCompra = C("1234.225"); Nivel1(BaseUltimoPrecioCompra, "0", "0", "0", 1)(p, a); },
         1, "1234.2", "1234.2", "1234.2"},
        {"medias unidades a cincos",
         [](auto &p, auto &a) { a.unidadRedondeo = 5; Nivel1(BaseUltimoPrecioCompra, "23.4", "0", "0", -1)(p, a); },
         1, "1235", "1235", "1235"},
        {"redondeo final en medias unidades",
         [](auto &p, auto &a) { a.unidadRedondeo = 5; Gravado(p, false, true); p.precioCompra = C("1001"); Nivel1(BaseUltimoPrecioCompra, "0", "0", "0", 0)(p, a); },
         1, "1000.885", "1000.885", "1131"},
        {"la ficha redondea aunque la tienda no", Nivel1(BaseUltimoPrecioCompra, "0.005", "0", "0", 0), 1, "1000", "1000", "1000"},
    };
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
    // The tax step alone refuses a tax of -100 %.
    EXPECT_THROW(ColumnasIv(Regla(BaseManual, "0", "0", "0", 2, "10"), {C("-100"), true, true, false}, {}), ErrorImporte);
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
    calc.FijarPreparando(true);  // the card setting itself up
    calc.FijarPrecioCompra(C("2000"));
    Precios("1300", "1170", "900", "500");
    calc.FijarPreparando(false);
    calc.Calcular();
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
    EXPECT_TRUE(calc.Estado(4).precioEditable && !calc.Estado(4).reglaEditable);
    EXPECT_TRUE(!calc.Estado(1).precioEditable && calc.Estado(1).reglaEditable);
    calc.FijarCoefB(1, C("25"));
    calc.FijarSumaFija(1, C("3"));
    calc.FijarRedondeo(1, -1);  // 1628 to tens
    calc.FijarBase(1, BaseManual);
    const NivelPrecio &n = calc.Nivel(1);
    EXPECT_EQ(n.preven, C("1630"));
    EXPECT_TRUE(n.coefA.isZero() && n.coefB.isZero() && n.sumaFija.isZero());
    EXPECT_EQ(n.redondeo, 2);
    EXPECT_TRUE(calc.Estado(1).precioEditable);
    // The cost no longer moves it; level 2 still follows it.
    calc.FijarPrecioCompra(C("5000"));
    Precios("1630", "1467", "900", "500");
}

TEST_F(FichaPrecios, PrecioDigitado)
{
    using R = CalculadoraPrecios::PrecioDigitado;
    calc.FijarCoefB(1, C("10"));
    calc.FijarSumaFija(1, C("5"));
    calc.FijarRedondeo(1, 2);
    EXPECT_EQ(calc.FijarPrecio(1, C("1655")), R::MargenCalculado);
    EXPECT_EQ(calc.Nivel(1).coefA, C("50"));
    Precios("1655", "1490", "900", "500");  // level 2: 1489.5 to the even unit

    // The level's rounding still applies to the typed price.
    calc.FijarRedondeo(1, -1);
    EXPECT_EQ(calc.FijarPrecio(1, C("1234")), R::MargenCalculado);
    EXPECT_EQ(calc.Nivel(1).coefA, C("11.7273"));
    EXPECT_EQ(calc.Nivel(1).preven, C("1230"));

    // A margin that does not end still lands on the typed cents.
    calc.FijarRedondeo(1, 2);
    calc.FijarSumaFija(1, C("0"));
    calc.FijarPrecioCompra(C("3"));
    EXPECT_EQ(calc.FijarPrecio(1, C("11")), R::MargenCalculado);
    EXPECT_EQ(calc.Nivel(1).coefA, C("233.3333"));
    EXPECT_EQ(calc.Nivel(1).preven, C("11"));

    EXPECT_EQ(calc.FijarPrecio(4, C("777.77")), R::Aceptado);
    EXPECT_EQ(calc.Nivel(4).preven, C("777.77"));

    // No base to take a margin from, or no base at all: nothing changes.
    calc.FijarPrecioCompra(C("0"));
    EXPECT_EQ(calc.FijarPrecio(1, C("100")), R::SinBase);
    EXPECT_EQ(calc.Nivel(1).coefA, C("233.3333"));
    calc.FijarBase(1, BasePrecioVenta1);  // not a level-1 base
    EXPECT_EQ(calc.FijarPrecio(1, C("100")), R::NoDigitable);
    EXPECT_EQ(calc.Nivel(1).preven, C("0"));
}

TEST_F(FichaPrecios, BanderasYTitulos)
{
    using T = std::array<QString, 2>;
    EXPECT_EQ(calc.TitulosColumnas("I'V"), (T{"Precio Sin 'I''V'", "Precio Sin 'I''V'"}));
    calc.FijarRedondeaFinal(true);  // hidden while untaxed: stays unchecked
    EXPECT_FALSE(calc.Precios().iv.redondeaFinal);

    calc.FijarGravado(true);
    EXPECT_TRUE(calc.RedondeaFinalVisible() && calc.ColumnaConIvVisible());
    EXPECT_EQ(calc.TitulosColumnas("IV"), (T{"Precio Sin 'IV'", "Precio Con 'IV'"}));
    EXPECT_EQ(calc.Nivel(1).precioConIv, C("1469"));
    calc.FijarRedondeo(1, -1);
    calc.FijarRedondeaFinal(true);
    EXPECT_EQ(calc.Nivel(1).precioConIv, C("1470"));
    EXPECT_EQ(calc.Nivel(1).preven, C("1300.885"));

    calc.FijarIvIncluido(true);  // hides and clears final rounding
    EXPECT_FALSE(calc.Precios().iv.redondeaFinal || calc.ColumnaConIvVisible());
    EXPECT_EQ(calc.TitulosColumnas("IV"), (T{"Precio Con 'IV'", "Precio Sin 'IV'"}));
    EXPECT_EQ(calc.Nivel(1).preven, C("1300"));
    EXPECT_EQ(calc.Nivel(1).precioSinIv, C("1150.4425"));

    calc.FijarGravado(false);
    EXPECT_EQ(calc.Nivel(1).precioSinIv, C("1300"));
    EXPECT_EQ(calc.Nivel(1).precioConIv, C("1300"));
}

TEST_F(FichaPrecios, BajoCosto)
{
    // Level 3 sits on the average cost 900, under the purchase price.
    EXPECT_EQ(calc.AvisoBajoCosto(),
              "El precio 3 está por debajo del costo.\nEl precio 4 está por debajo del costo.");
    calc.FijarCoefA(2, C("-30"));  // 910
    EXPECT_TRUE(!calc.BajoCosto(1) && calc.BajoCosto(2));
    // With tax included the net price counts: 1100 with tax is 973.45 net.
    calc.FijarGravado(true);
    calc.FijarIvIncluido(true);
    calc.FijarCoefA(1, C("10"));
    EXPECT_TRUE(calc.BajoCosto(1));
    // An unused level at 0 is not below cost; with cost 0 nothing is.
    calc.FijarPrecio(4, C("0"));
    EXPECT_FALSE(calc.BajoCosto(4));
    calc.FijarPrecioCompra(C("0"));
    EXPECT_EQ(calc.AvisoBajoCosto(), QString());
}

TEST_F(FichaPrecios, ImportesAcotados)
{
    const Currency demasiado = kImporteMaximo + Currency::fromRaw(1);
    EXPECT_THROW(calc.FijarPrecioCompra(demasiado), ErrorImporte);
    EXPECT_THROW(calc.FijarSumaFija(1, -demasiado), ErrorImporte);
    EXPECT_THROW(calc.FijarPrecio(4, demasiado), ErrorImporte);
    Precios("1300", "1170", "900", "500");

    // A level whose price leaves the bounds keeps its values; the others go on.
    calc.FijarPrecioCompra(kImporteMaximo);
    EXPECT_TRUE(calc.Estado(1).conError && !calc.Estado(3).conError);
    Precios("1300", "1170", "900", "500");
    calc.FijarPrecioCompra(C("1000"));
    EXPECT_FALSE(calc.Estado(1).conError);

    // A typed price whose price with tax passes the bound is refused whole.
    calc.FijarGravado(true);
    EXPECT_THROW(calc.FijarPrecio(4, kImporteMaximo), ErrorImporte);
    EXPECT_FALSE(calc.Estado(4).conError);
    EXPECT_EQ(calc.Nivel(4).preven, C("500"));
    EXPECT_EQ(calc.Nivel(4).precioConIv, C("565"));
    EXPECT_THROW(calc.FijarPrecio(1, kImporteMaximo), ErrorImporte);
    EXPECT_EQ(calc.Nivel(1).coefA, C("30"));
    EXPECT_EQ(calc.Nivel(1).preven, C("1300"));
}

TEST(CalculadoraPrecios, ValorDeTexto)
{
    EXPECT_EQ(CalculadoraPrecios::ValorDeTexto("   "), C("0"));
    EXPECT_EQ(CalculadoraPrecios::ValorDeTexto(" 1,234.50 "), C("1234.5"));
    EXPECT_THROW(CalculadoraPrecios::ValorDeTexto("abc"), ErrorImporte);
    EXPECT_THROW(CalculadoraPrecios::ValorDeTexto("1000000000"), ErrorImporte);
}

} // namespace
