#include "catalogs/Comp_frmbuscarfamilia.h"

#include "catalogs/Familias.h"
#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"

#include <QTableView>

namespace {

using Columna = db::DatasetModel::Column;

} // namespace

TfrmBuscarFamilia::TfrmBuscarFamilia(TFDatosComp &datos, const QString &origen, QWidget *parent)
    : TfrmBuscarFamilia(origen, *datos.TFam2,
                        {Columna{QStringLiteral("COD_FAMILIA"), QStringLiteral("Código"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         Columna{QStringLiteral("NOMBRE"), QStringLiteral(" Descripción Familia"), {}, Qt::AlignLeft | Qt::AlignVCenter}},
                        parent)
{
    setObjectName(QStringLiteral("frmBuscarFamilia"));
    GridFamilias->setColumnWidth(0, 110);
}

TfrmBuscarFamilia::TfrmBuscarFamilia(const QString &origen, db::Dataset &ds, const QList<db::DatasetModel::Column> &columnas,
                                     QWidget *parent)
    : VentanaBusqueda(ds, columnas, QStringLiteral("GridFamilias"), parent), origen_(origen)
{
    setWindowTitle(QStringLiteral("Buscar Familia"));
    resize(460, 380);
    GridFamilias = Grid;
}

ConsultaFiltrada TfrmBuscarFamilia::Consulta(const QString &texto) const
{
    return ConsultaBuscarFamilia(texto, origen_);
}

void TfrmBuscarFamilia::ListaVacia()
{
    mensajes().Advertencia(QStringLiteral("Debe seleccionar una Familia"));
}

void TfrmBuscarFamilia::Entregar()
{
    emit familiaElegida(ds_.fieldByName(QStringLiteral("COD_FAMILIA")).asString().trimmed(),
                        ds_.fieldByName(QStringLiteral("NOMBRE")).asString());
}

TfrmCambiarFamilia::TfrmCambiarFamilia(TFDatosComp &datos, const QString &origen, QWidget *parent)
    : TfrmBuscarFamilia(origen, *datos.TFamilia,
                        {Columna{QStringLiteral("NOMBRE"), QStringLiteral("Nombre"), {}, Qt::AlignLeft | Qt::AlignVCenter}}, parent)
{
    setObjectName(QStringLiteral("frmCambiarFamilia"));
}

ConsultaFiltrada TfrmCambiarFamilia::Consulta(const QString &texto) const
{
    return ConsultaCambiarFamilia(texto);
}

void TfrmCambiarFamilia::ListaVacia()
{
    mensajes().Advertencia(QStringLiteral("No se ha seleccionado ningúna familia"));
}

namespace {

template <class Ventana>
Ventana *Abrir(Ventana *v, QWidget *llamador, std::function<void(const QString &, const QString &)> alElegir)
{
    if (alElegir)
        QObject::connect(v, &TfrmBuscarFamilia::familiaElegida, v, std::move(alElegir));
    if (llamador)  // not its child: a disabled parent would disable the search too
        QObject::connect(llamador, &QObject::destroyed, v, &QWidget::close);
    v->AbrirDesde(llamador);
    return v;
}

} // namespace

TfrmBuscarFamilia *BuscarFamilia(TFDatosComp &datos, QWidget *llamador, const QString &origen,
                                 std::function<void(const QString &, const QString &)> alElegir)
{
    return Abrir(new TfrmBuscarFamilia(datos, origen), llamador, std::move(alElegir));
}

TfrmCambiarFamilia *CambiarFamilia(TFDatosComp &datos, QWidget *llamador, const QString &origen,
                                   std::function<void(const QString &, const QString &)> alElegir)
{
    return Abrir(new TfrmCambiarFamilia(datos, origen), llamador, std::move(alElegir));
}
