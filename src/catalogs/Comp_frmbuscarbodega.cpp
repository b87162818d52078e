#include "catalogs/Comp_frmbuscarbodega.h"

#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTableView>

using Columna = db::DatasetModel::Column;

TfrmBuscarBodega::TfrmBuscarBodega(TFDatosComp &datos, QWidget *parent)
    : VentanaBusqueda(*datos.TBodegas,
                      {Columna{QStringLiteral("COD_BODEGA"), QStringLiteral("Código"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                       Columna{QStringLiteral("DESCRIPCION"), QStringLiteral("Bodega"), {}, Qt::AlignLeft | Qt::AlignVCenter}},
                      QStringLiteral("GridBodegas"), parent)
{
    setObjectName(QStringLiteral("frmBuscarBodega"));
    setWindowTitle(QStringLiteral("Buscar Bodega"));
    resize(420, 360);
    GridBodegas = Grid;
    GridBodegas->setColumnWidth(0, 70);
    chkPrincipal = new QCheckBox(kNombreInventarioPrincipal, this);
    chkPrincipal->setObjectName(QStringLiteral("chkPrincipal"));
    AgregarAlPie(chkPrincipal);
}

ConsultaFiltrada TfrmBuscarBodega::Consulta(const QString &texto) const
{
    return ConsultaBodegas(texto);
}

bool TfrmBuscarBodega::HayEleccion() const
{
    return DestinoElegido(chkPrincipal->isChecked(), ds_).has_value();
}

void TfrmBuscarBodega::ListaVacia()
{
    // An empty list would send the goods to a warehouse with no code.
    mensajes().Advertencia(QStringLiteral("No se ha seleccionado ninguna bodega"));
}

void TfrmBuscarBodega::Entregar()
{
    const std::optional<DestinoCompra> destino = DestinoElegido(chkPrincipal->isChecked(), ds_);
    emit bodegaElegida(destino->codigo, destino->descripcion, destino->principal);
}
