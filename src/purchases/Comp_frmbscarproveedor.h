#pragma once
// Supplier selector ("Seleccionar Proveedor") for the article card and the order chooser.

#include "purchases/Comp_frmcambiarproveedor.h"

// Selector list: names containing the text (any case) or the second code equal to the
// trimmed text, by name; an empty text lists every supplier in the table's own order.
ConsultaFiltrada ConsultaSeleccionarProveedor(const QString &texto);

class TfrmBscarProveedor : public VentanaBuscaProveedor {
    Q_OBJECT
public:
    explicit TfrmBscarProveedor(QWidget *parent = nullptr);

    // True when opened by the order chooser: closing only hides the window. Otherwise
    // (the article card) a pick also sets FK_PROVEEDOR of the TInventario record being edited.
    bool DesdeSelPedido = false;

protected:
    ConsultaFiltrada Consulta(const QString &texto) const override;
    void AplicarEleccion() override;
    bool LiberarAlCerrar() const override { return !DesdeSelPedido; }
};
