#pragma once
// Locations: browser ("Ubicaciones"), card and search.

#include "catalogs/Comp_frmcatalogosimple.h"
#include "data/Comp_fdatos.h"

class TfrmUbicaciones : public TfrmCatalogoSimple {
public:
    explicit TfrmUbicaciones(TFDatosComp &datos, QWidget *parent = nullptr)
        : TfrmCatalogoSimple(datos, DefUbicaciones(), *datos.TUbicacion, parent) {}
};

class TfrmFichaUbicacion : public TfrmFichaCatalogo {
public:
    TfrmFichaUbicacion(TFDatosComp &datos, bool nueva, const QString &origen = QString(), QWidget *parent = nullptr)
        : TfrmFichaCatalogo(datos, DefUbicaciones(), nueva, origen, parent) {}
};

class TfrmBuscarUbicacion : public TfrmBuscarCatalogo {
public:
    explicit TfrmBuscarUbicacion(TFDatosComp &datos, const QString &origen = QString(), QWidget *parent = nullptr)
        : TfrmBuscarCatalogo(datos, DefUbicaciones(), *datos.TUbicacion, origen, parent) {}
};
