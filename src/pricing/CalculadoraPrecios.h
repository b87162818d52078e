#pragma once
// The article card's price calculator: the four sale-price levels of one article,
// recomputed from the purchase cost, the average cost or level 1 with two margins, a
// fixed amount and a rounding position, then given their price with and without tax.
//
// The calculator keeps the card's price fields and recomputes after every change, as
// the card does. It always rounds (the card's own rule), through the store's
// unidadRedondeo. Levels are numbered 1 to 4.

#include "pricing/AjustesPrecios.h"
#include "pricing/RecalculoPrecios.h"
#include "platform/Currency.h"

#include <QString>
#include <array>

// The tax check boxes of the card.
struct IvArticulo {
    Currency porcIv;             // PORC_IV
    bool gravado = false;        // GRAVADO
    bool incluido = false;       // IMPUESTO_INCLUIDO: typed prices carry the tax
    bool redondeaFinal = false;  // REDONDEA_PRECIO_FINAL: round the price with tax
};

// Price of a level on base 1, 2 or 3 from its base amount: base x (1 + coefA/100) x
// (1 + coefB/100) + sumaFija, rounded to the level's position whatever the switches.
Currency PrecioDesdeBase(Currency base, const NivelPrecio &nivel, const AjustesPrecios &ajustes);

// The tax columns of one level from its PREVEN. With a taxed article, tax not
// included and final rounding, the price with tax is rounded and PREVEN and the
// price without tax are derived back from it. Throws ErrorImporte on overflow.
NivelPrecio ColumnasIv(NivelPrecio nivel, const IvArticulo &iv, const AjustesPrecios &ajustes);

// The price fields of the card.
struct PreciosArticulo {
    std::array<NivelPrecio, 4> niveles;  // [0] is level 1
    Currency precioCompra;               // PRECIO_COMPRA
    Currency costoPromedio;              // COSTO_PROMEDIO
    IvArticulo iv;
};

// What the card shows for one level after a calculation.
struct EstadoNivel {
    bool reglaEditable = false;   // coefficients, rounding and fixed amount enabled
    bool precioEditable = false;  // the price is typed (manual level)
    bool conError = false;        // the last calculation could not price it; it kept its values
};

class CalculadoraPrecios {
public:
    CalculadoraPrecios(const PreciosArticulo &precios, const AjustesPrecios &ajustes);

    const PreciosArticulo &Precios() const { return precios_; }
    const NivelPrecio &Nivel(int n) const;
    const EstadoNivel &Estado(int n) const;

    // While the card sets itself up nothing is recalculated.
    void FijarPreparando(bool preparando) { preparando_ = preparando; }

    // Recalculates every level in order 1 to 4, then the tax columns. An overflow or a
    // price beyond kImporteMaximo leaves that level as it was and marks it conError.
    void Calcular();

    // Each setter stores the value and recalculates. Amounts beyond kImporteMaximo
    // throw ErrorImporte and change nothing.
    void FijarPrecioCompra(Currency costo);
    void FijarCostoPromedio(Currency costo);
    void FijarBase(int n, int base);
    void FijarCoefA(int n, Currency porcentaje);
    void FijarCoefB(int n, Currency porcentaje);
    void FijarSumaFija(int n, Currency monto);
    void FijarRedondeo(int n, int posicion);
    void FijarGravado(bool gravado);
    void FijarIvIncluido(bool incluido);
    void FijarRedondeaFinal(bool redondea);

    enum class PrecioDigitado {
        Aceptado,        // manual level: the typed price stands
        MargenCalculado, // derived level: coefA back-computed, price recomputed from it
        SinBase,         // derived level over a zero base: nothing changed
        NoDigitable,     // level without a valid base: nothing changed
    };
    // A price typed in the level's price column (PREVEN_n). A price the level cannot
    // carry within kImporteMaximo, with or without tax, throws ErrorImporte and changes nothing.
    PrecioDigitado FijarPrecio(int n, Currency precio);

    // "Redondear Precio Final" only applies to a taxed article whose prices exclude tax.
    bool RedondeaFinalVisible() const;
    // True when the tax-inclusive column is the visible computed one.
    bool ColumnaConIvVisible() const;
    // Captions of the typed and of the computed price column; `siglas` names the tax.
    std::array<QString, 2> TitulosColumnas(const QString &siglas) const;

    // The level's price without tax is under the last purchase price.
    bool BajoCosto(int n) const;
    // "El precio 2 está por debajo del costo." for the levels below cost; empty when none.
    QString AvisoBajoCosto() const;

    // Value of a numeric edit: empty text is 0; a bad or out-of-range number throws ErrorImporte.
    static Currency ValorDeTexto(const QString &texto);

private:
    static std::size_t Indice(int n);  // throws std::out_of_range outside 1 to 4
    NivelPrecio &Editable(int n);
    static Currency Acotado(Currency valor);
    bool BaseValida(int n) const;
    Currency MontoBase(int n) const;

    PreciosArticulo precios_;
    AjustesPrecios ajustes_;
    std::array<EstadoNivel, 4> estados_;
    bool preparando_ = false;
};
