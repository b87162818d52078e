#include "pricing/Funcionesprecios.h"

#include "platform/AritmeticaEscalada.h"

using namespace aritmetica;

Currency Redondear(Currency valor, int posicion, const QString &redondea, const AjustesPrecios &ajustes)
{
    if (redondea != QLatin1String("S") && !ajustes.redondeaPrecioFinal)
        return valor;
    return RedondearValor(valor, posicion, ajustes.unidadRedondeo);
}

Currency PrecioVenta1(Currency base, Currency coefA, Currency coefB, Currency sumaFija,
                      int posicion, const QString &redondea, const AjustesPrecios &ajustes)
{
    // Both mark-ups on the running value, the fixed amount last; one conversion.
    const long double margen = (CienPorCiento + Crudo(coefA)) * (CienPorCiento + Crudo(coefB));
    const long double crudo = Crudo(base) * margen / (CienPorCiento * CienPorCiento)
                              + Crudo(sumaFija);
    return Redondear(DesdeCrudo(crudo), posicion, redondea, ajustes);
}

Currency PrecioUltimoPrecioCompra(Currency base, Currency coefA, Currency coefB,
                                  Currency sumaFija, int posicion, const QString &redondea,
                                  const AjustesPrecios &ajustes)
{
    return PrecioVenta1(base, coefA, coefB, sumaFija, posicion, redondea, ajustes);
}

Currency PrecioCostoPromedio(Currency stockAnterior, Currency cantidad,
                             Currency costoAnterior, Currency costoNuevo)
{
    // Products of raws carry Scale^2; dividing by the raw stock sum leaves raw units.
    const long double total = Crudo(stockAnterior) * Crudo(costoAnterior)
                              + Crudo(cantidad) * Crudo(costoNuevo);
    const Currency suma = stockAnterior + cantidad;
    if (!suma.isZero())
        return DesdeCrudo(total / Crudo(suma));
    return DesdeCrudo(total / Currency::Scale);
}

Currency AgregarIv(Currency precioSinIv, Currency porcIv)
{
    return DesdeCrudo(Crudo(precioSinIv) * (CienPorCiento + Crudo(porcIv)) / CienPorCiento);
}

Currency QuitarIv(Currency precioConIv, Currency porcIv)
{
    return DesdeCrudo(Crudo(precioConIv) * CienPorCiento / (CienPorCiento + Crudo(porcIv)));
}

Currency PrecioGravadoSinIv(Currency precioConIv, Currency porcIv, int posicion,
                            const QString &redondea, const AjustesPrecios &ajustes)
{
    return Redondear(QuitarIv(precioConIv, porcIv), posicion, redondea, ajustes);
}

Currency PrecioGravadoConIv(Currency precioSinIv, Currency porcIv, int posicion,
                            const QString &redondea, const AjustesPrecios &ajustes)
{
    return Redondear(AgregarIv(precioSinIv, porcIv), posicion, redondea, ajustes);
}

Currency CalcularMontoConImpuesto(Currency monto, Currency porcIv, int posicion,
                                  const QString &redondea, const AjustesPrecios &ajustes)
{
    return PrecioGravadoConIv(monto, porcIv, posicion, redondea, ajustes);
}

Currency AplicarDescuento(Currency monto, Currency porcDescuento)
{
    if (porcDescuento <= Currency())
        return monto;
    return DesdeCrudo(Crudo(monto) * (CienPorCiento - Crudo(porcDescuento)) / CienPorCiento);
}
