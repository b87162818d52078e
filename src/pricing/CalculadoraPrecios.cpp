#include "pricing/CalculadoraPrecios.h"

#include "pricing/Funcionesprecios.h"
#include "platform/AritmeticaEscalada.h"

#include <QStringList>
#include <stdexcept>

using namespace aritmetica;

namespace {

const QString kSi = QStringLiteral("S");

void DentroDeLimite(Currency valor)
{
    if (valor > kImporteMaximo || valor < -kImporteMaximo)
        ErrorImporte::FueraDeRango();
}

} // namespace

Currency PrecioDesdeBase(Currency base, const NivelPrecio &nivel, const AjustesPrecios &ajustes)
{
    // Same formula as the posting; the card always rounds.
    return PrecioVenta1(base, nivel.coefA, nivel.coefB, nivel.sumaFija, nivel.redondeo, kSi, ajustes);
}

NivelPrecio ColumnasIv(NivelPrecio nivel, const IvArticulo &iv, const AjustesPrecios &ajustes)
{
    Currency preven = nivel.preven, sinIv = nivel.preven, conIv = nivel.preven;
    if (iv.gravado) {
        if (iv.incluido) {
            sinIv = QuitarIv(preven, iv.porcIv);
        } else if (iv.redondeaFinal) {
            // A round shelf price: the net price is derived back from it, unrounded.
            conIv = PrecioGravadoConIv(preven, iv.porcIv, nivel.redondeo, kSi, ajustes);
            preven = sinIv = QuitarIv(conIv, iv.porcIv);
        } else {
            conIv = AgregarIv(preven, iv.porcIv);
        }
    }
    DentroDeLimite(conIv);
    DentroDeLimite(sinIv);
    DentroDeLimite(preven);
    nivel.preven = preven;
    nivel.precioSinIv = sinIv;
    nivel.precioConIv = conIv;
    return nivel;
}

CalculadoraPrecios::CalculadoraPrecios(const PreciosArticulo &precios, const AjustesPrecios &ajustes)
    : precios_(precios), ajustes_(ajustes)
{
    if (!RedondeaFinalVisible())
        precios_.iv.redondeaFinal = false;
    for (std::size_t i = 0; i < estados_.size(); ++i) {
        const bool manual = precios_.niveles[i].baseCalculo == BaseManual;
        estados_[i].reglaEditable = !manual;
        estados_[i].precioEditable = manual;
    }
}

std::size_t CalculadoraPrecios::Indice(int n)
{
    if (n < 1 || n > 4)
        throw std::out_of_range("nivel de precio fuera de 1 a 4");
    return std::size_t(n - 1);
}

const NivelPrecio &CalculadoraPrecios::Nivel(int n) const
{
    return precios_.niveles[Indice(n)];
}

const EstadoNivel &CalculadoraPrecios::Estado(int n) const
{
    return estados_[Indice(n)];
}

NivelPrecio &CalculadoraPrecios::Editable(int n)
{
    return precios_.niveles[Indice(n)];
}

bool CalculadoraPrecios::BaseValida(int n) const
{
    const int base = Nivel(n).baseCalculo;
    const int ultima = n == 1 ? BaseCostoPromedio : BasePrecioVenta1;
    return base >= BaseUltimoPrecioCompra && base <= ultima;
}

Currency CalculadoraPrecios::MontoBase(int n) const
{
    switch (Nivel(n).baseCalculo) {
    case BaseUltimoPrecioCompra:
        return precios_.precioCompra;
    case BaseCostoPromedio:
        return precios_.costoPromedio;
    default:
        return precios_.niveles[0].preven;  // level 1 as just computed
    }
}

void CalculadoraPrecios::Calcular()
{
    if (preparando_)
        return;
    for (int n = 1; n <= 4; ++n) {
        NivelPrecio &nivel = Editable(n);
        EstadoNivel &estado = estados_[Indice(n)];
        estado.conError = false;
        if (nivel.baseCalculo == BaseManual) {
            nivel.coefA = nivel.coefB = nivel.sumaFija = Currency();
            nivel.redondeo = 2;
            estado = {false, true, false};
            continue;
        }
        estado.reglaEditable = true;
        estado.precioEditable = false;
        if (!BaseValida(n))
            continue;
        try {
            const Currency precio = PrecioDesdeBase(MontoBase(n), nivel, ajustes_);
            DentroDeLimite(precio);
            nivel.preven = precio;
        } catch (const ErrorImporte &) {
            estado.conError = true;
        }
    }
    for (int n = 1; n <= 4; ++n) {
        try {
            Editable(n) = ColumnasIv(Nivel(n), precios_.iv, ajustes_);
        } catch (const ErrorImporte &) {
            estados_[Indice(n)].conError = true;
        }
    }
}

Currency CalculadoraPrecios::Acotado(Currency valor)
{
    DentroDeLimite(valor);
    return valor;
}

void CalculadoraPrecios::FijarPrecioCompra(Currency costo)
{
    precios_.precioCompra = Acotado(costo);
    Calcular();
}

void CalculadoraPrecios::FijarCostoPromedio(Currency costo)
{
    precios_.costoPromedio = Acotado(costo);
    Calcular();
}

void CalculadoraPrecios::FijarBase(int n, int base)
{
    Editable(n).baseCalculo = base;
    Calcular();
}

void CalculadoraPrecios::FijarCoefA(int n, Currency porcentaje)
{
    Editable(n).coefA = Acotado(porcentaje);
    Calcular();
}

void CalculadoraPrecios::FijarCoefB(int n, Currency porcentaje)
{
    Editable(n).coefB = Acotado(porcentaje);
    Calcular();
}

void CalculadoraPrecios::FijarSumaFija(int n, Currency monto)
{
    Editable(n).sumaFija = Acotado(monto);
    Calcular();
}

void CalculadoraPrecios::FijarRedondeo(int n, int posicion)
{
    Editable(n).redondeo = posicion;
    Calcular();
}

void CalculadoraPrecios::FijarGravado(bool gravado)
{
    precios_.iv.gravado = gravado;
    if (!RedondeaFinalVisible())
        precios_.iv.redondeaFinal = false;
    Calcular();
}

void CalculadoraPrecios::FijarIvIncluido(bool incluido)
{
    precios_.iv.incluido = incluido;
    if (!RedondeaFinalVisible())
        precios_.iv.redondeaFinal = false;
    Calcular();
}

void CalculadoraPrecios::FijarRedondeaFinal(bool redondea)
{
    precios_.iv.redondeaFinal = redondea && RedondeaFinalVisible();
    Calcular();
}

CalculadoraPrecios::PrecioDigitado CalculadoraPrecios::FijarPrecio(int n, Currency precio)
{
    NivelPrecio &nivel = Editable(n);
    Acotado(precio);
    PrecioDigitado resultado = PrecioDigitado::Aceptado;
    const PreciosArticulo antes = precios_;
    if (nivel.baseCalculo == BaseManual) {
        nivel.preven = precio;
    } else {
        if (!BaseValida(n))
            return PrecioDigitado::NoDigitable;
        // precio = base x (1 + A/100) x (1 + B/100) + sumaFija, solved for A.
        const long double base = Crudo(MontoBase(n)) * (CienPorCiento + Crudo(nivel.coefB)) / CienPorCiento;
        if (base == 0)
            return PrecioDigitado::SinBase;
        nivel.coefA = Acotado(DesdeCrudo(((Crudo(precio) - Crudo(nivel.sumaFija)) / base - 1) * CienPorCiento));
        resultado = PrecioDigitado::MargenCalculado;
    }
    Calcular();
    if (Estado(n).conError) {
        // A typed price the level cannot carry is refused whole.
        precios_ = antes;
        Calcular();
        ErrorImporte::FueraDeRango();
    }
    return resultado;
}

bool CalculadoraPrecios::RedondeaFinalVisible() const
{
    return precios_.iv.gravado && !precios_.iv.incluido;
}

bool CalculadoraPrecios::ColumnaConIvVisible() const
{
    return !(precios_.iv.gravado && precios_.iv.incluido);
}

std::array<QString, 2> CalculadoraPrecios::TitulosColumnas(const QString &siglas) const
{
    QString q = siglas;
    q = QLatin1Char('\'') + q.replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
    const QString sin = QStringLiteral("Precio Sin ") + q;
    const QString con = QStringLiteral("Precio Con ") + q;
    if (!precios_.iv.gravado)
        return {sin, sin};
    if (precios_.iv.incluido)
        return {con, sin};
    return {sin, con};
}

bool CalculadoraPrecios::BajoCosto(int n) const
{
    const NivelPrecio &nivel = Nivel(n);
    // A level with no price is not in use.
    return !nivel.precioSinIv.isZero() && nivel.precioSinIv < precios_.precioCompra;
}

QString CalculadoraPrecios::AvisoBajoCosto() const
{
    QStringList lineas;
    for (int n = 1; n <= 4; ++n)
        if (BajoCosto(n))
            lineas << QStringLiteral("El precio %1 está por debajo del costo.").arg(n);
    return lineas.join(QLatin1Char('\n'));
}

Currency CalculadoraPrecios::ValorDeTexto(const QString &texto)
{
    const QString limpio = texto.trimmed();
    if (limpio.isEmpty())
        return Currency();
    return Acotado(Currency::fromString(limpio));
}
