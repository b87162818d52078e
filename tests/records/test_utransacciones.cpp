// The station's work tables against a real store database.

#include "support/EntornoPrueba.h"
#include "records/Utransaccionescompras.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const Currency &c, std::ostream *os) { *os << c.toString(); }

namespace {

Currency C(const char *s) { return Currency::fromString(std::string(s)); }

class RegistrosCompras : public ::testing::Test {
protected:
    EntornoPrueba env;

    // Ends the caller's grouped operation.
    void Confirmar()
    {
        if (env.transUpdate.active())
            env.transUpdate.commit();
        if (env.transUpdateInv.active())
            env.transUpdateInv.commit();
    }
    int T(const QString &sql) { return EntornoPrueba::Entero(env.tienda, sql); }
    Currency TM(const QString &sql) { return EntornoPrueba::Moneda(env.tienda, sql); }
    void ET(const QString &sql) { EntornoPrueba::Ejecutar(env.tienda, sql); }
};

TEST_F(RegistrosCompras, WorkTablesTouchOnlyTheStationRows)
{
    for (const char *est : {"1, 'PRUEBA'", "2, 'PRUEBA'", "1, 'OTRA'"}) {
        ET(QStringLiteral("insert into TEMPORAL_ENC_COMPRA (NRO_CAJA, COMPUTADORA) values (%1)").arg(est));
        ET(QStringLiteral("insert into TEMPORAL_COMPRAS (NRO_CAJA, COMPUTADORA, CANTIDAD, IMP_UNIT_SIN_IV, PORCE_DESC, "
                          "IMPORTE_DESCUENTO) values (%1, 3, 250, 5, 37.5)").arg(est));
    }
    const QString lineas = "select count(*) from TEMPORAL_COMPRAS";
    const QString encabezados = "select count(*) from TEMPORAL_ENC_COMPRA";

    EXPECT_TRUE(ActualizaTempCompras(1, 1, "PRUEBA", C("10")));
    Confirmar();
    EXPECT_EQ(TM("select sum(IMPORTE_DESCUENTO) from TEMPORAL_COMPRAS where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'"), C("75"));
    EXPECT_EQ(TM("select sum(PORCE_DESC) from TEMPORAL_COMPRAS where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'"), C("10"));
    EXPECT_EQ(TM("select sum(IMPORTE_DESCUENTO) from TEMPORAL_COMPRAS"), C("150"));
    EXPECT_TRUE(ActualizaTempCompras(1, 1, "PRUEBA", C("0")));
    EXPECT_TRUE(ActualizaTempCompras(3, 2, "PRUEBA", C("50")));  // no such mode
    Confirmar();
    EXPECT_EQ(TM("select sum(IMPORTE_DESCUENTO) + sum(PORCE_DESC) from TEMPORAL_COMPRAS where NRO_CAJA = 1 and "
                 "COMPUTADORA = 'PRUEBA'"), C("0"));
    EXPECT_EQ(TM("select sum(IMPORTE_DESCUENTO) from TEMPORAL_COMPRAS"), C("75"));

    EXPECT_TRUE(EliminaTempCompras(2, 1, "PRUEBA"));
    Confirmar();
    EXPECT_EQ(T(encabezados), 2);
    EXPECT_EQ(T(lineas), 3);
    EXPECT_TRUE(EliminaTempCompras(7, 2, "PRUEBA"));
    EXPECT_TRUE(EliminaTempCompras(1, 1, "PRUEBA"));
    EXPECT_TRUE(EliminaTempCompras(1, 1, "PRUEBA"));  // nothing left: still true
    Confirmar();
    EXPECT_EQ(T(encabezados), 2);
    EXPECT_EQ(T(lineas), 2);
    EXPECT_EQ(T("select count(*) from TEMPORAL_COMPRAS where NRO_CAJA = 1 and COMPUTADORA = 'PRUEBA'"), 0);
}

} // namespace
