#pragma once
// Parsed report template: page setup, stylesheet, declared variables and the
// tree of bands, each band's content already turned into a Mustache template
// whose tags are the internal keys _0, _1, ... described by `refs`.

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace kainjow::mustache {
template <typename string_type> class basic_mustache;
}

enum class TipoBanda { EncabezadoPagina, PiePagina, Titulo, Resumen, Datos, Encabezado, Pie, Grupo, Fila };

QString nombreTipoBanda(TipoBanda tipo);

// One internal key: a value (optionally formatted) or a condition.
struct ReferenciaPlantilla {
    bool condicion = false;
    QString nombre;    // "CAMPO", "Variable", "Suma.CAMPO", "dsOrigen.CAMPO"
    QString formato;   // picture for values: "#,##0.00", "dd/mm/yyyy"
    QString operador;  // conditions: empty (not empty), ==, !=, <, <=, >, >=
    QString literal;
};

struct BandaPlantilla {
    TipoBanda tipo = TipoBanda::Fila;
    int linea = 0;
    QString origen;            // Datos: data-source
    QString campo;             // Grupo: data-field
    bool repetir = false;      // Encabezado of Datos: reprint on every new page
    bool nuevaPagina = false;  // Grupo, Titulo, Resumen: start on a new page
    QString html;              // Mustache text over _k keys
    std::vector<ReferenciaPlantilla> refs;
    std::shared_ptr<kainjow::mustache::basic_mustache<std::string>> mustache;

    // Datos and Grupo only.
    BandaPlantilla *encabezado = nullptr;
    BandaPlantilla *pie = nullptr;
    BandaPlantilla *grupo = nullptr;
    BandaPlantilla *fila = nullptr;
    std::vector<BandaPlantilla *> detalles;
    std::vector<std::unique_ptr<BandaPlantilla>> hijos;

    bool esHoja() const { return tipo != TipoBanda::Datos && tipo != TipoBanda::Grupo; }
};

struct PlantillaReporte {
    QString archivo;
    QString css;
    QStringList variables;  // declared in <meta name="variables">
    QPageSize tamano{QPageSize::A4};
    QPageLayout::Orientation orientacion = QPageLayout::Portrait;
    QMarginsF margenesMm{10, 10, 10, 10};
    std::vector<std::unique_ptr<BandaPlantilla>> bandas;  // body bands in document order
    BandaPlantilla *encabezadoPagina = nullptr;
    BandaPlantilla *piePagina = nullptr;

    // Throws ErrorReporte naming `archivo`.
    static std::unique_ptr<PlantillaReporte> cargar(const QString &archivo);
    static std::unique_ptr<PlantillaReporte> desdeTexto(const QString &texto, const QString &archivo);
};
