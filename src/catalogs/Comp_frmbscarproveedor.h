#pragma once
// Supplier selector ("Seleccionar Proveedor") for the article card and the order chooser.

#include "catalogs/Comp_frmcambiarproveedor.h"

class TfrmBscarProveedor : public VentanaBuscaProveedor {
    Q_OBJECT
public:
    explicit TfrmBscarProveedor(TFDatosComp &datos, QWidget *parent = nullptr);

    // True when opened by the order chooser: closing only hides the window. Otherwise
    // (the article card) a pick also sets FK_PROVEEDOR of the TInventario record being edited.
    bool DesdeSelPedido = false;

protected:
    ConsultaFiltrada Consulta(const QString &texto) const override;
    void AplicarEleccion() override;
    bool LiberarAlCerrar() const override { return !DesdeSelPedido; }
};
