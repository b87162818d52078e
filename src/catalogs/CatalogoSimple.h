#pragma once
// Units of measure and locations: one pattern, two tables. The description of each (texts,
// rights, template), their queries and the unit of work that saves or deletes a row.

#include "catalogs/Familias.h"
#include "platform/db/ConsultaFiltrada.h"
#include "records/ConexionesCompra.h"
#include "records/RegistrosCatalogo.h"

#include <QString>
#include <QStringList>

#include <vector>

struct ColumnaCatalogo {
    QString campo, titulo;
};

struct DefCatalogo {
    TablaCatalogo tabla;
    QString nombreTabla, clave;
    QString tituloBrowser, tituloFicha, tituloBusqueda, tituloColumnaBusqueda;
    std::vector<ColumnaCatalogo> columnas;
    QString bandera;
    QString permisoAgregar, permisoModificar, permisoEliminar, permisoImprimir;
    QString preguntaEliminar;  // followed by the name
    QString plantilla;
    QString globoNombre;       // empty name on the card
    QString listaVacia;        // search accepted with an empty list
    bool listaVaciaAdvertencia;
    bool conUnidad;            // the card has "Unidad:"
    QString objetoBrowser, objetoFicha, objetoBusqueda;
    QString descripcion;       // "la unidad de medida", "la ubicación": refusal texts
};

const DefCatalogo &DefUnidades();
const DefCatalogo &DefUbicaciones();

// Browser filter: names containing the text (all rows without text), by name.
ConsultaFiltrada ConsultaFiltroCatalogo(const DefCatalogo &def, const QString &texto);
// Search: the same but never the row whose key is -1.
ConsultaFiltrada ConsultaBuscarCatalogo(const DefCatalogo &def, const QString &texto);

class CatalogoSimple {
public:
    CatalogoSimple(const ConexionesCompra &conexiones, const DefCatalogo &def) : c_(conexiones), def_(def) {}

    // How many articles point at the row.
    int Uso(int codigo) const;
    // Writes and commits; returns the key (assigned by the database for a new row). An empty
    // name throws ErrorCatalogo.
    int Guardar(const FilaCatalogo &fila, bool nueva);
    // Refuses (ErrorCatalogo) while articles use the row.
    void Eliminar(int codigo, const QString &nombre);

private:
    ConexionesCompra c_;
    const DefCatalogo &def_;
};
