#include "pricing/Soporte.h"

#include <cstdint>
#include <stdexcept>

namespace {

TEST(CurrencyTest, RedondeoAlPar)
{
    struct { long double valor; long double esperado; } casos[] = {
        {2.5L, 2}, {3.5L, 4}, {-2.5L, -2}, {-3.5L, -4}, {0.5L, 0}, {-0.5L, 0}, {2.4999L, 2}, {2.5001L, 3},
    };
    for (const auto &c : casos)
        EXPECT_EQ(roundHalfEven(c.valor), c.esperado) << static_cast<double>(c.valor);
}

TEST(CurrencyTest, DesdeTexto)
{
    struct { const char *texto; std::int64_t crudo; } casos[] = {
        {"12,5", 125000}, {"1,234.50", 12345000}, {"-1234.5678", -12345678}, {"1,234", 12340000},
        {"+3", 30000}, {" 7 ", 70000}, {"0.00005", 0}, {"0.00015", 2}, {"0.00025", 2},
        {"-0.00015", -2}, {"0.99995", 10000}, {"922337203685477.5807", INT64_MAX},
    };
    for (const auto &c : casos)
        EXPECT_EQ(C(c.texto).raw(), c.crudo) << c.texto;

    for (const char *malo : {"", "-", ".", "abc", "1.2.3", "12a", "1.234,5"})
        EXPECT_THROW(C(malo), ErrorImporte) << '"' << malo << '"';
}

TEST(CurrencyTest, ProductoYCociente)
{
    EXPECT_EQ(C("12.5") * C("3"), C("37.5"));
    EXPECT_EQ(C("1.1") * C("1.1"), C("1.21"));
    EXPECT_EQ(C("-2.5") * C("0.5"), C("-1.25"));
    EXPECT_EQ(C("10") / C("4"), C("2.5"));
    EXPECT_EQ(C("1") / C("3"), C("0.3333"));
    EXPECT_EQ(C("2") / C("3"), C("0.6667"));
    EXPECT_EQ(C("-2") / C("3"), C("-0.6667"));
    EXPECT_THROW(C("1") / Currency(), ErrorImporte);
}

// Exact decimal ties in products and quotients, and text beyond the fifth decimal
// or the range. They fail while Currency rounds from raw / 10000 as a long double
// and looks only at the fifth decimal.
TEST(CurrencyTest, EmpatesExactos)
{
    EXPECT_EQ(C("0.0075") * C("0.02"), C("0.0002"));
    EXPECT_EQ(C("0.0001") * C("1.5"), C("0.0002"));
    EXPECT_EQ(C("0.0031") / C("2"), C("0.0016"));
    EXPECT_EQ(C("0.0049") / C("2"), C("0.0024"));
}

TEST(CurrencyTest, TextoMasAllaDelQuintoDecimalYDelRango)
{
    EXPECT_EQ(C("0.000051").raw(), 1);
    EXPECT_EQ(C("0.000250001").raw(), 3);
    EXPECT_THROW(C("1000000000000000"), ErrorImporte);
    EXPECT_THROW(C("922337203685478"), ErrorImporte);
}

// Every operation that leaves the 64-bit range throws instead of wrapping around.
TEST(CurrencyTest, DesbordeDetectado)
{
    const Currency max = Currency::fromRaw(INT64_MAX), min = Currency::fromRaw(INT64_MIN);
    const Currency medio = C("922337203685477.50");
    EXPECT_THROW(medio + medio, ErrorImporte);
    EXPECT_THROW(max + Currency::fromRaw(1), ErrorImporte);
    EXPECT_THROW(min - Currency::fromRaw(1), ErrorImporte);
    EXPECT_THROW(-min, ErrorImporte);
    EXPECT_THROW(Currency() - min, ErrorImporte);
    Currency suma = medio;
    EXPECT_THROW(suma += medio, ErrorImporte);
    EXPECT_EQ(suma, medio);  // unchanged by the failed step
    EXPECT_THROW(suma -= -medio, ErrorImporte);
    EXPECT_THROW(C("1000000000") * C("1000000"), ErrorImporte);
    EXPECT_THROW(medio / C("0.5"), ErrorImporte);
    EXPECT_THROW(Currency(1000000000000000LL), ErrorImporte);
    EXPECT_THROW(Currency::fromScaled(INT64_MAX / 10, 2), ErrorImporte);
    EXPECT_THROW(medio.toScaled(6), ErrorImporte);
    EXPECT_THROW(Currency::fromDouble(1e300L), ErrorImporte);
    // Close to the edge still adds up.
    EXPECT_EQ((max - Currency::fromRaw(1)) + Currency::fromRaw(1), max);
    EXPECT_EQ(-max, Currency::fromRaw(-INT64_MAX));
    EXPECT_EQ(kImporteMaximo * Currency(9000), C("8999999999910"));
}

TEST(CurrencyTest, MensajesCortosYRedondeoAvisado)
{
    const std::string enorme = "1" + std::string(308, '0');
    try {
        C(enorme.c_str());
        ADD_FAILURE() << "se esperaba ErrorImporte";
    } catch (const ErrorImporte &e) {
        EXPECT_EQ(e.mensaje(), QStringLiteral("Importe fuera de rango."));
    }
    try {
        C(("x" + enorme).c_str());
        ADD_FAILURE() << "se esperaba ErrorImporte";
    } catch (const ErrorCompras &e) {
        EXPECT_LT(e.mensaje().size(), 45) << e.what();
        EXPECT_TRUE(e.mensaje().startsWith(QStringLiteral("Importe no válido: «x100"))) << e.what();
    }
    struct { const char *texto; bool redondeado; } casos[] = {
        {"10.1234", false}, {"10.12340", false}, {"10.12345", true}, {"10.123401", true}, {"1,234.00001", true},
    };
    for (const auto &c : casos) {
        bool r = !c.redondeado;
        Currency::fromString(std::string(c.texto), &r);
        EXPECT_EQ(r, c.redondeado) << c.texto;
    }
}

} // namespace
