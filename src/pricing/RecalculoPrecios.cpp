#include "pricing/RecalculoPrecios.h"

#include "pricing/Funcionesprecios.h"
#include "pricing/Funcionesyprocesoscompras.h"

namespace {

bool EsSi(const QString &bandera) { return bandera == QLatin1String("S"); }

bool IvIncluido(const DatosRecalculo &d) { return EsSi(d.gravado) && EsSi(d.ivi); }

// Price P of a level with its two tax forms; an IVI other than "S" is taken as "N".
PreciosNivel ConImpuestos(Currency p, int redondeo, const DatosRecalculo &d)
{
    PreciosNivel r;
    r.preven = p;
    r.recalculado = true;
    if (!EsSi(d.gravado)) {
        r.precioSinIv = r.precioConIv = Redondear(p, redondeo, d.redondeaPrecioFinal, d.ajustes);
    } else if (EsSi(d.ivi)) {
        r.precioConIv = p;
        r.precioSinIv = PrecioGravadoSinIv(p, d.porcIv, redondeo, d.redondeaPrecioFinal, d.ajustes);
    } else {
        r.precioConIv = PrecioGravadoConIv(p, d.porcIv, redondeo, d.redondeaPrecioFinal, d.ajustes);
        r.precioSinIv = p;
    }
    return r;
}

PreciosNivel Guardados(const NivelPrecio &n)
{
    return {n.preven, n.precioSinIv, n.precioConIv, false};
}

Currency PrecioNivel1(const DatosRecalculo &d, Currency costoPromedio)
{
    const NivelPrecio &n = d.niveles[0];
    switch (n.baseCalculo) {
    case BaseUltimoPrecioCompra: {
        // A tax-included line marks up the price with tax and always rounds.
        const bool incluido = IvIncluido(d);
        Currency base = incluido ? d.impUnitConIv : d.impUnitSinIv;
        if (d.ajustes.descuentoEnPrecioCompra)
            base = AplicarDescuento(base, d.porceDesc);
        return PrecioUltimoPrecioCompra(base, n.coefA, n.coefB, n.sumaFija, n.redondeo,
                                        incluido ? QStringLiteral("S") : d.redondeaPrecioFinal, d.ajustes);
    }
    case BaseCostoPromedio:
        return costoPromedio;
    default:
        return d.precioVenta;
    }
}

} // namespace

ResultadoRecalculo RecalcularPreciosVenta(const DatosRecalculo &d)
{
    ResultadoRecalculo r;
    r.costoPromedio = CostoPromedioSeguro(d.stockAnterior, d.costoPromedioAnterior,
                                          d.cantidad, d.costoNeto);

    r.niveles[0] = ConImpuestos(PrecioNivel1(d, r.costoPromedio), d.niveles[0].redondeo, d);

    for (std::size_t i = 1; i < d.niveles.size(); ++i) {
        const NivelPrecio &n = d.niveles[i];
        switch (n.baseCalculo) {
        case BaseUltimoPrecioCompra:
            // Levels 2 to 4 mark up the net cost, not the line's unit price.
            r.niveles[i] = ConImpuestos(
                PrecioUltimoPrecioCompra(d.costoNeto, n.coefA, n.coefB, n.sumaFija,
                                         n.redondeo, d.redondeaPrecioFinal, d.ajustes),
                n.redondeo, d);
            break;
        case BaseCostoPromedio:
            r.niveles[i] = ConImpuestos(r.costoPromedio, n.redondeo, d);
            break;
        case BasePrecioVenta1:
            // From level 1 as stored before this receipt, so levels do not chain.
            r.niveles[i] = ConImpuestos(
                PrecioVenta1(d.niveles[0].preven, n.coefA, n.coefB, n.sumaFija,
                             n.redondeo, d.redondeaPrecioFinal, d.ajustes),
                n.redondeo, d);
            break;
        default:
            r.niveles[i] = Guardados(n);
            break;
        }
    }
    return r;
}
