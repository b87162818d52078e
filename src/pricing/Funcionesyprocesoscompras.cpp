#include "pricing/Funcionesyprocesoscompras.h"

#include "platform/AritmeticaEscalada.h"

#include <exception>

using namespace aritmetica;

Currency PrecioPromedioPonderado(Currency stockAnterior, Currency costoAnterior,
                                 Currency cantidad, Currency costoNuevo)
{
    const long double total = Crudo(stockAnterior) * Crudo(costoAnterior)
                              + Crudo(cantidad) * Crudo(costoNuevo);
    const Currency suma = stockAnterior + cantidad;
    if (suma > Currency())
        return DesdeCrudo(total / Crudo(suma));
    return DesdeCrudo(total / Currency::Scale);
}

Currency CostoPromedioSeguro(Currency stockAnterior, Currency costoAnterior,
                             Currency cantidad, Currency costoNuevo)
{
    if (stockAnterior + cantidad <= Currency())
        return costoNuevo;
    try {
        return PrecioPromedioPonderado(stockAnterior, costoAnterior, cantidad, costoNuevo);
    } catch (const std::exception &) {
        return costoNuevo;
    }
}

Currency CostoPromedioSinEntrada(Currency stock, Currency promedio, Currency cantidad, Currency costo)
{
    const Currency resto = stock - cantidad;
    if (resto.isZero())
        return promedio;
    try {
        return DesdeCrudo((Crudo(promedio) * Crudo(stock) - Crudo(costo) * Crudo(cantidad)) / Crudo(resto));
    } catch (const std::exception &) {
        return promedio;
    }
}

Currency PromedioPrecioCompra(Currency montoA, Currency montoB, Currency factor)
{
    return DesdeCrudo((Crudo(montoA) + Crudo(montoB)) * Crudo(factor) / Currency::Scale);
}

Currency CantidadPendientedeProcesarConsignacion(Currency cantidad, Currency existencia,
                                                 Currency procesados)
{
    return cantidad - existencia - procesados;
}
