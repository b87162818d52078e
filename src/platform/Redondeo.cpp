#include "platform/Redondeo.h"

#include "platform/AritmeticaEscalada.h"

using namespace aritmetica;

Currency RedondearValor(Currency valor, int decimales, int unidadRedondeo)
{
    // Four decimals are already a multiple of any step finer than 0.0001.
    if (decimales >= 4)
        return valor;
    // One step is 10^k raw units. Beyond k = 19 every value is under half a step.
    const int k = 4 - decimales;
    if (k > 19)
        return Currency();
    const long double paso = PotenciaDiez(k);
    // valor x 10^d taken as raw / 10^k: a single exact division, so ties stay ties.
    if (unidadRedondeo == 5) {
        const long double r = roundHalfEven(Crudo(valor) * 2 / paso);
        return DesdeCrudo(r * paso / 2);
    }
    const long double r = roundHalfEven(Crudo(valor) / paso);
    return DesdeCrudo(r * paso);
}
