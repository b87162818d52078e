#pragma once
// Warehouse search ("Buscar Bodega"): where purchase entry sends the goods received.

#include "catalogs/BusquedaBodegas.h"
#include "ui/VentanaBusqueda.h"

class TFDatosComp;
class QCheckBox;

class TfrmBuscarBodega : public VentanaBusqueda {
    Q_OBJECT
public:
    explicit TfrmBuscarBodega(TFDatosComp &datos, QWidget *parent = nullptr);

    void FiltrarBodegas() { Buscar(); }

    QTableView *GridBodegas = nullptr;
    QCheckBox *chkPrincipal = nullptr;

signals:
    void bodegaElegida(const QString &codigo, const QString &descripcion, bool principal);

protected:
    ConsultaFiltrada Consulta(const QString &texto) const override;
    bool HayEleccion() const override;
    void ListaVacia() override;
    void Entregar() override;
};
