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
        EXPECT_THROW(C(malo), std::invalid_argument) << '"' << malo << '"';
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
    EXPECT_THROW(C("1") / Currency(), std::domain_error);
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
    EXPECT_THROW(C("1000000000000000"), std::invalid_argument);
    EXPECT_THROW(C("922337203685478"), std::invalid_argument);
}

} // namespace
