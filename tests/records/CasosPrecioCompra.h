#pragma once
// A purchase line's stock, average cost, purchase price and level prices, as the posting and
// the consignment receipt both compute them: one article with stock 10 at average 100 and
// purchase price 90 receives 5 units. Level 1 on the purchase price (+30 %), level 2 on
// level 1 (-10 %), level 3 manual, level 4 on a base the card does not offer.

#include "platform/Currency.h"

#include <QString>
#include <gtest/gtest.h>

#include <string>

namespace CasoPrecioCompra {

// The article of the cases (stock, average cost and flags given).
inline QString SqlArticulo(const QString &cod, const char *stock, const char *costo, const char *gravado = "S",
                           const char *actualizaExist = "S", int base2 = 3)
{
    return QStringLiteral(
               "insert into INVENTARIO (COD_BARRAS, NOMBRE, STOCK, COSTO_PROMEDIO, PRECIO_COMPRA, GRAVADO, PORC_IV, "
               "ACTUALIZAR_EXIST, REDONDEA_PRECIO_FINAL, BASECALCULO_1, COEFA_1, COEFB_1, SUMAFIJA_1, REDONDEO_1, PREVEN_1, "
               "BASECALCULO_2, COEFA_2, COEFB_2, SUMAFIJA_2, REDONDEO_2, BASECALCULO_3, PREVEN_3, PRECIOSINIV_3, PRECIOCONIV_3, "
               "BASECALCULO_4, PREVEN_4, PRECIOCONIV_4) values ('%1', 'ARTICULO %1', %2, %3, 90, '%4', 13, '%5', 'S', "
               "1, 30, 0, 0, 0, 1250, %6, -10, 0, 0, 0, 0, 777, 700, 791, 4, 888, 999)")
        .arg(cod, QLatin1String(stock), QLatin1String(costo), QLatin1String(gravado), QLatin1String(actualizaExist))
        .arg(base2);
}

struct Caso {
    const char *nombre, *gravado, *ivi;
    int moneda;
    const char *tc2;
    bool descuentoEnCosto;
    const char *costo, *conIv, *sinIv, *desc;
    // expected
    const char *promedio, *compra, *p1, *sin1, *con1, *p2, *sin2, *con2, *ivIncluido;
};

inline const Caso kCasos[] = {
    {"gravado", "S", "N", 1, "1", false, "130", "146.9", "130", "0",
     "110", "130", "169", "169", "191", "1125", "1125", "1271", "N"},
    {"iv incluido", "S", "S", 1, "1", false, "130", "146.9", "130", "0",
     "110", "146.9", "191", "169", "191", "1125", "996", "1125", "S"},
    {"exento", "N", "N", 1, "1", false, "130", "130", "130", "0",
     "110", "130", "169", "169", "169", "1125", "1125", "1125", "N"},
    {"segunda moneda, tipo 2 en cero", "S", "N", 2, "0", false, "0.25", "0.2825", "0.25", "0",
     "110", "130", "169", "169", "191", "1125", "1125", "1271", "N"},
    {"descuento en el costo", "S", "N", 1, "1", true, "150", "169.5", "150", "10",
     "111.6667", "135", "176", "176", "199", "1125", "1125", "1271", "N"},
    {"iv incluido desconocido", "S", "X", 1, "1", false, "130", "146.9", "130", "0",
     "110", "130", "169", "169", "191", "1125", "1125", "1271", "N"},
};

// What a case leaves on its article; `campo` reads one of the article's columns.
template <class Campo> void EsperarArticulo(const Caso &c, Campo &&campo)
{
    auto C = [](const char *t) { return Currency::fromString(std::string(t)); };
    EXPECT_EQ(campo("STOCK"), C("15"));
    EXPECT_EQ(campo("COSTO_PROMEDIO"), C(c.promedio));
    EXPECT_EQ(campo("PRECIO_COMPRA"), C(c.compra));
    EXPECT_EQ(campo("PREVEN_1"), C(c.p1));
    EXPECT_EQ(campo("PRECIOSINIV_1"), C(c.sin1));
    EXPECT_EQ(campo("PRECIOCONIV_1"), C(c.con1));
    EXPECT_EQ(campo("PREVEN_2"), C(c.p2));
    EXPECT_EQ(campo("PRECIOSINIV_2"), C(c.sin2));
    EXPECT_EQ(campo("PRECIOCONIV_2"), C(c.con2));
}

} // namespace CasoPrecioCompra
