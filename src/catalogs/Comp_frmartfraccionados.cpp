#include "catalogs/Comp_frmartfraccionados.h"

#include "catalogs/Composiciones.h"
#include "data/Comp_fdatos.h"
#include "data/EncabezadoReporte.h"
#include "platform/ErrorCompras.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "platform/db/Dataset.h"
#include "platform/db/DatasetModel.h"
#include "ui/Permisos.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Composiciones;

namespace {
const QString kSinFraccion = QStringLiteral("Debe seleccionar una fracción");
const QString kAjusteInvalido = QStringLiteral("Debe ingresar un porcentaje válido");
}

TfrmArtFraccionados::TfrmArtFraccionados(TFDatosComp &datos, QWidget *parent) : VentanaEleccion(parent), datos_(datos)
{
    setObjectName(QStringLiteral("frmArtFraccionados"));
    setWindowTitle(QStringLiteral("Artículos Fraccionados"));
    resize(520, 360);
    AjustarFormatoNumeros(CampoRegistro(datos_.DatosMoneda, QStringLiteral("SIMBOLO_MONEDA")));

    ds_ = DatasetInventario(datos_, this, QStringLiteral("TFraccionamiento"));

    GridFracciones = new QTableView(this);
    GridFracciones->setObjectName(QStringLiteral("GridFracciones"));
    modelo_ = new db::DatasetModel(ds_, this);
    modelo_->setColumns(
        {{QStringLiteral("PRESENTACION"), QStringLiteral(" Presentación"), {}, Qt::AlignLeft | Qt::AlignVCenter},
         {QStringLiteral("FRACCION"), QStringLiteral("Fracción"), QStringLiteral("#,##0.000"), Qt::AlignRight | Qt::AlignVCenter},
         {QStringLiteral("PORC_AJUSTE"), QStringLiteral("Porcentaje Ajuste "), QStringLiteral("#,##0.000"),
          Qt::AlignRight | Qt::AlignVCenter}});
    PrepararGrillaBusqueda(GridFracciones, modelo_);
    GridFracciones->setColumnWidth(0, 220);
    GridFracciones->horizontalHeader()->setStretchLastSection(true);

    auto *lblAjuste = new QLabel(QStringLiteral("Porcentaje de Ajuste para Precio de Venta:"), this);
    edAjuste = new QLineEdit(this);
    edAjuste->setObjectName(QStringLiteral("edAjuste"));
    edAjuste->setAlignment(Qt::AlignRight);
    lblAjuste->setBuddy(edAjuste);

    btnAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

    auto *filaAjuste = new QHBoxLayout;
    filaAjuste->addWidget(lblAjuste);
    filaAjuste->addWidget(edAjuste);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GridFracciones, 1);
    layout->addLayout(filaAjuste);
    layout->addLayout(botones);

    setTabOrder(GridFracciones, edAjuste);
    setTabOrder(edAjuste, btnAceptar);
    setTabOrder(btnAceptar, btnCancelar);

    connect(GridFracciones, &QTableView::clicked, this, &TfrmArtFraccionados::CopiarAjuste);
    connect(GridFracciones->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfrmArtFraccionados::CopiarAjuste);
    connect(GridFracciones, &QTableView::doubleClicked, this, &TfrmArtFraccionados::btnAceptarClick);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmArtFraccionados::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &QWidget::close);
    TeclasDeEleccion({GridFracciones, edAjuste, btnAceptar, btnCancelar});
}

TfrmArtFraccionados::~TfrmArtFraccionados() = default;

void TfrmArtFraccionados::AlMostrar()
{
    CargarFracciones();
    GridFracciones->setFocus();
}

void TfrmArtFraccionados::CargarFracciones()
{
    try {
        ConsultaFraccionamientos().Abrir(*ds_);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
    CopiarAjuste();
}

void TfrmArtFraccionados::CopiarAjuste()
{
    if (!ds_->active() || ds_->isEmpty())
        return;
    edAjuste->setText(FormatCurrency(QStringLiteral("0.000"), ds_->fieldByName(QStringLiteral("PORC_AJUSTE")).asCurrency()));
}

void TfrmArtFraccionados::btnAceptarClick()
{
    if (!ds_->active() || ds_->isEmpty()) {
        mensajes().Informacion(kSinFraccion);
        return;
    }
    const std::optional<Currency> ajuste = PorcentajeValido(edAjuste->text());
    if (!ajuste) {
        mensajes().Globo(edAjuste, kAjusteInvalido);
        edAjuste->setFocus();
        edAjuste->selectAll();
        return;
    }
    const QString presentacion = ds_->fieldByName(QStringLiteral("PRESENTACION")).asString();
    const int id = ds_->fieldByName(QStringLiteral("ID_FRACCION")).asInteger();
    QPointer<TfrmArtFraccionados> yo(this);
    if (AgregarFraccionamiento && !AgregarFraccionamiento(presentacion, id, *ajuste)) {
        if (yo)
            mensajes().Informacion(kFraccionAsignada);
        return;
    }
    if (yo)
        close();
}
