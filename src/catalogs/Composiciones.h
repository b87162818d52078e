#pragma once
// The component and fraction choosers without their windows: the articles offered as
// components, the fractions of an article, the fraction definitions, and the checks before a
// component is handed to the article card.

#include "platform/Currency.h"
#include "platform/db/ConsultaFiltrada.h"

#include <QString>

#include <optional>
#include <vector>

namespace db {
class Database;
class Transaction;
}

namespace Composiciones {

// Placeholder article kept by the store; never offered as a component.
inline const QString kArticuloReservado = QStringLiteral("***Vandoria***");
inline const QString kTodasLasFamilias = QStringLiteral("TODAS");
inline const QString kListaVacia = QStringLiteral("Debe seleccionar un artículo para agragar a la composición");
inline const QString kCantidadInvalida = QStringLiteral("Debe ingresar una cantidad válida");
inline const QString kFraccionAsignada = QStringLiteral("Esta fracción ya está asignada a este artículo");

// Articles offered as components: codes equal to `texto`, names containing it; only family
// `familia` when it is not empty; by name.
ConsultaFiltrada ConsultaComponentes(const QString &familia, const QString &texto);
// Every fraction definition (FRACCIONAMIENTOS), by presentation.
ConsultaFiltrada ConsultaFraccionamientos();

struct FraccionArticulo {
    int id = 0;
    QString presentacion;
};
// The fractions `codigo` is sold in (ART_FRACCIONADOS), by presentation.
std::vector<FraccionArticulo> FraccionesDeArticulo(db::Database &base, db::Transaction &tx, const QString &codigo);

// What the chooser hands to the card.
struct Componente {
    QString codigo, nombre;
    Currency costo;     // PRECIO_COMPRA of the component
    Currency cantidad;  // as typed, to four decimals (not yet times the fraction)
    bool fraccionado = false;
    int idFraccion = 0;
};

// The quantity typed, when it reads as a number above zero (rounded to four decimals).
std::optional<Currency> CantidadValida(const QString &texto);

// A percentage typed (empty reads as zero); nothing when it is not a number.
std::optional<Currency> PorcentajeValido(const QString &texto);

} // namespace Composiciones
