#pragma once
// The article search without its window: the bound SELECT over INVENTARIO for a typed text,
// the inactive-articles setting, the code handed back, and which keys typed outside the
// search field go into it.

#include "platform/db/ConsultaFiltrada.h"

#include <QChar>
#include <QString>

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

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

    // How the same list is read. Recorrido: every article, then sorted. Bloques: only the
    // articles of the search-text blocks (INV_BUSQUEDA_BLOQUES) that hold the text, for a text
    // that finds few. PorNombre: along the name index, so the first rows arrive before the
    // whole list is known, for a text that finds many; from the first name of the first block
    // that holds the text when there is one (no article before it can match). The rows are
    // the same whichever is used.
    enum class Plan { Recorrido, Bloques, PorNombre };
    struct Eleccion {
        Plan plan = Plan::Recorrido;
        std::vector<int> bloques;  // for Bloques: the blocks that hold the text
        std::optional<QString> desde;  // for PorNombre: the list starts at this name
    };
    static ConsultaFiltrada Consulta(const QString &texto, const QString &origen, bool ocultarInactivos,
                                     const Eleccion &eleccion);
    // Up to this many blocks holding the text the list is read through them.
    static constexpr int kBloquesMaximos = 200;
    // What ElegirPlan learnt of the last texts typed: the blocks, as last cut, that hold each
    // piece (when they were few). A piece that contains one of them is only looked for in its
    // blocks, so each key typed reads a few blocks instead of all.
    class Memoria {
    private:
        friend class BusquedaArticulos;
        static constexpr std::size_t kPiezas = 8;
        struct Pieza {
            QString pieza;
            std::vector<int> bloques;
        };
        std::int64_t corte_ = -1;  // GEN_INV_BUSQUEDA_CORTE when they were found
        std::deque<Pieza> piezas_;  // newest first
    };
    // The plan for `texto`, from the blocks that hold its longest piece without wildcards
    // (their own texts or the texts added to them since they were cut). Recorrido when the
    // blocks cannot be read (a database not yet updated).
    static Eleccion ElegirPlan(db::Database &base, db::Transaction &tx, const QString &texto,
                               Memoria *memoria = nullptr);
    // The longest part of `texto` (trimmed) without LIKE wildcards: every match contains it.
    static QString PiezaFija(const QString &texto);

    // Opens `ds` (TInventario) on that list with the plan that suits the text, reading the
    // inactive setting now.
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
    static void Abrir(db::Dataset &ds, const QString &texto, const QString &origen, bool ocultarInactivos,
                      Memoria *memoria = nullptr);
    Memoria memoria_;
    QString vacioTexto_, vacioOrigen_, vacioSql_;
    db::Value vacioPatron_;
    bool vacioOcultar_ = false;
    bool hayVacio_ = false;
};
