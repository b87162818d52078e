#include "catalogs/Comp_frmbscarproveedor.h"

#include "data/Comp_fdatos.h"

TfrmBscarProveedor::TfrmBscarProveedor(TFDatosComp &datos, QWidget *parent)
    : VentanaBuscaProveedor(datos, QStringLiteral("Seleccionar Proveedor"), QSize(455, 434), parent)
{
    setObjectName(QStringLiteral("frmBscarProveedor"));
    focoAlActivar_ = true;
}

ConsultaFiltrada TfrmBscarProveedor::Consulta(const QString &texto) const
{
    return ConsultaSeleccionarProveedor(texto);
}

void TfrmBscarProveedor::AplicarEleccion()
{
    if (DesdeSelPedido)
        return;
    db::Dataset *inv = datos_.TInventario;
    if (inv->state() == db::Dataset::State::Edit || inv->state() == db::Dataset::State::Insert)
        inv->fieldByName(QStringLiteral("FK_PROVEEDOR"))
            .setAsInteger(datos_.TProveedores->fieldByName(QStringLiteral("COD_PROVEEDOR")).asInteger());
}
