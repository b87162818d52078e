#pragma once
// Units of measure: browser ("Unidades de Medida"), card and search.

#include "catalogs/Comp_frmcatalogosimple.h"
#include "data/Comp_fdatos.h"

class TfrmUnidadMedida : public TfrmCatalogoSimple {
public:
    explicit TfrmUnidadMedida(TFDatosComp &datos, QWidget *parent = nullptr)
        : TfrmCatalogoSimple(datos, DefUnidades(), *datos.TUnidad, parent) {}
};

class TfrmFichaUniMed : public TfrmFichaCatalogo {
public:
    TfrmFichaUniMed(TFDatosComp &datos, bool nueva, const QString &origen = QString(), QWidget *parent = nullptr)
        : TfrmFichaCatalogo(datos, DefUnidades(), nueva, origen, parent) {}
};

class TfrmBuscarUniMed : public TfrmBuscarCatalogo {
public:
    explicit TfrmBuscarUniMed(TFDatosComp &datos, const QString &origen = QString(), QWidget *parent = nullptr)
        : TfrmBuscarCatalogo(datos, DefUnidades(), *datos.TUnidad, origen, parent) {}
};
