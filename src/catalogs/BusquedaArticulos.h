#pragma once
// The article search without its window: the bound SELECT over INVENTARIO for a typed text,
// the inactive-articles setting, the code handed back, and which keys typed outside the
// search field go into it.

#include "platform/db/ConsultaFiltrada.h"

#include <QChar>
#include <QString>

class BusquedaArticulos {
public:
    static inline const QString OrigenCompra = QStringLiteral("AgregarCompra");
    static inline const QString OrigenPedido = QStringLiteral("AgregarPedido");
    // From this length on only the name is searched.
    static constexpr int kLargoSoloNombre = 19;
    static constexpr int kLargoMaximo = 99;

    // Functions/ArticuloInactivo of datos.ini ("S" when the file, section or key is missing).
    static QString ArticuloInactivo();
    // True when inactive articles are left out of the list ("N" in the setting).
    static bool OcultarInactivos() { return ArticuloInactivo() == QLatin1String("N"); }

    // The list for `texto` as opened by `origen`: codes and name match "%text%" (only the
    // name from kLargoSoloNombre characters on); purchase entry never lists composite
    // articles (nor those whose flag is not set); ordered by name.
    static ConsultaFiltrada Consulta(const QString &texto, const QString &origen, bool ocultarInactivos);
    // Opens `ds` (TInventario) on that list, reading the inactive setting now.
    static void Filtrar(db::Dataset &ds, const QString &texto, const QString &origen);

    // COD_BARRAS of the current row; empty when the list is empty.
    static QString CodigoElegido(db::Dataset &ds);

    // Characters typed in the grid or on a button that go into the search text.
    static bool CaracterDeBusqueda(QChar c);

    // Filtrar for a window that refilters on every key: a text that only adds to one that
    // listed nothing lists nothing either, so the table is not read again (on a large
    // catalogue a search that finds nothing reads every article). False when not read.
    bool FiltrarAlEscribir(db::Dataset &ds, const QString &texto, const QString &origen);

private:
    QString vacioTexto_, vacioOrigen_, vacioSql_;
    db::Value vacioPatron_;
    bool vacioOcultar_ = false;
    bool hayVacio_ = false;
};
