#include "purchases/Comp_frmbscarproveedor.h"

#include "data/Comp_fdatos.h"

ConsultaFiltrada ConsultaSeleccionarProveedor(const QString &texto)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from PROVEEDORES"));
    if (!texto.isEmpty()) {
        c.Linea(QStringLiteral(" where NOMBRE containing :texto"));
        c.Linea(QStringLiteral(" or COD_PROVEEDOR2 = :cod "));
        c.Linea(QStringLiteral(" order by NOMBRE"));
        c.Parametro(QStringLiteral("texto"), db::Value::text(texto));
        c.Parametro(QStringLiteral("cod"), db::Value::text(texto.trimmed()));
    }
    return c;
}

TfrmBscarProveedor::TfrmBscarProveedor(QWidget *parent)
    : VentanaBuscaProveedor(QStringLiteral("Seleccionar Proveedor"), QSize(455, 434), parent)
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
    db::Dataset *inv = FDatosComp->TInventario;
    if (inv->state() == db::Dataset::State::Edit || inv->state() == db::Dataset::State::Insert)
        inv->fieldByName(QStringLiteral("FK_PROVEEDOR"))
            .setAsInteger(FDatosComp->TProveedores->fieldByName(QStringLiteral("COD_PROVEEDOR")).asInteger());
}
