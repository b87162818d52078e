#include "catalogs/Comp_frmcomposicion.h"

#include "catalogs/Comp_frmbuscarfamilia.h"
#include "data/Comp_fdatos.h"
#include "data/EncabezadoReporte.h"
#include "platform/ErrorCompras.h"
#include "platform/Mensajes.h"
#include "platform/db/Dataset.h"
#include "platform/db/DatasetModel.h"
#include "ui/Permisos.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Composiciones;

TfrmComposicion::TfrmComposicion(TFDatosComp &datos, QWidget *parent) : VentanaEleccion(parent), datos_(datos)
{
    setObjectName(QStringLiteral("frmComposicion"));
    setWindowTitle(QStringLiteral("Seleccionar Artículo para Composición"));
    resize(620, 460);
    AjustarFormatoNumeros(CampoRegistro(datos_.DatosMoneda, QStringLiteral("SIMBOLO_MONEDA")));

    ds_ = DatasetInventario(datos_, this, QStringLiteral("TInventario2"));

    auto *lblFamilia = new QLabel(QStringLiteral("Familia:"), this);
    edFamilia = new QLineEdit(kTodasLasFamilias, this);
    edFamilia->setObjectName(QStringLiteral("edFamilia"));
    edFamilia->setReadOnly(true);
    edFamilia->setFocusPolicy(Qt::NoFocus);
    btnFamilia = new QPushButton(QStringLiteral("..."), this);
    btnFamilia->setObjectName(QStringLiteral("btnFamilia"));
    btnFamilia->setToolTip(QStringLiteral("Elegir familia"));
    btnTodas = new QPushButton(QStringLiteral("X"), this);
    btnTodas->setObjectName(QStringLiteral("btnTodas"));
    btnTodas->setToolTip(QStringLiteral("Todas las familias"));

    auto *lblArticulo = new QLabel(QStringLiteral("Artículo:"), this);
    edArticulo = new QLineEdit(this);
    edArticulo->setObjectName(QStringLiteral("edArticulo"));
    edArticulo->setValidator(new ValidadorMayusculas(edArticulo));
    lblArticulo->setBuddy(edArticulo);

    GridArticulos = new QTableView(this);
    GridArticulos->setObjectName(QStringLiteral("GridArticulos"));
    modelo_ = new db::DatasetModel(ds_, this);
    modelo_->setColumns({{QStringLiteral("COD_BARRAS"), QStringLiteral(" Código"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         {QStringLiteral("NOMBRE"), QStringLiteral(" Artículo"), {}, Qt::AlignLeft | Qt::AlignVCenter}});
    PrepararGrillaBusqueda(GridArticulos, modelo_);
    GridArticulos->setColumnWidth(0, 140);
    GridArticulos->horizontalHeader()->setStretchLastSection(true);

    auto *lblCantidad = new QLabel(QStringLiteral("Cantidad:"), this);
    edCantidad = new QLineEdit(QStringLiteral("1.00000"), this);
    edCantidad->setObjectName(QStringLiteral("edCantidad"));
    edCantidad->setAlignment(Qt::AlignRight);
    lblCantidad->setBuddy(edCantidad);
    chkFraccionado = new QCheckBox(QStringLiteral("Fraccionado"), this);
    chkFraccionado->setObjectName(QStringLiteral("chkFraccionado"));
    cbFraccion = new QComboBox(this);
    cbFraccion->setObjectName(QStringLiteral("cbFraccion"));
    chkFraccionado->hide();
    cbFraccion->hide();

    btnAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

    auto *arriba = new QGridLayout;
    arriba->addWidget(lblFamilia, 0, 0);
    arriba->addWidget(edFamilia, 0, 1);
    arriba->addWidget(btnFamilia, 0, 2);
    arriba->addWidget(btnTodas, 0, 3);
    arriba->addWidget(lblArticulo, 1, 0);
    arriba->addWidget(edArticulo, 1, 1, 1, 3);
    auto *abajo = new QHBoxLayout;
    abajo->addWidget(lblCantidad);
    abajo->addWidget(edCantidad);
    abajo->addWidget(chkFraccionado);
    abajo->addWidget(cbFraccion, 1);
    abajo->addStretch(1);
    abajo->addWidget(btnAceptar);
    abajo->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(arriba);
    layout->addWidget(GridArticulos, 1);
    layout->addLayout(abajo);

    setTabOrder(edArticulo, GridArticulos);
    setTabOrder(GridArticulos, edCantidad);
    setTabOrder(edCantidad, chkFraccionado);
    setTabOrder(chkFraccionado, cbFraccion);
    setTabOrder(cbFraccion, btnAceptar);
    setTabOrder(btnAceptar, btnCancelar);

    connect(edArticulo, &QLineEdit::textChanged, this, [this] {
        if (mostrada_)
            BuscarArticulo();
    });
    connect(GridArticulos->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfrmComposicion::VerFraccionado);
    connect(GridArticulos, &QTableView::clicked, this, &TfrmComposicion::VerFraccionado);
    connect(GridArticulos, &QTableView::doubleClicked, this, &TfrmComposicion::btnAceptarClick);
    connect(chkFraccionado, &QCheckBox::toggled, cbFraccion, &QWidget::setVisible);
    connect(btnFamilia, &QPushButton::clicked, this, &TfrmComposicion::btnFamiliaClick);
    connect(btnTodas, &QPushButton::clicked, this, [this] { ElegirFamilia(QString(), QString()); });
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmComposicion::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &QWidget::close);
    TeclasDeEleccion({edArticulo, GridArticulos, edCantidad, chkFraccionado, cbFraccion, btnAceptar, btnCancelar,
                      btnFamilia, btnTodas});
}

TfrmComposicion::~TfrmComposicion() = default;

void TfrmComposicion::AlMostrar()
{
    mostrada_ = true;
    BuscarArticulo();
    edArticulo->setFocus();
}

void TfrmComposicion::BuscarArticulo()
{
    try {
        ConsultaComponentes(familia_, edArticulo->text()).Abrir(*ds_);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
    VerFraccionado();
}

void TfrmComposicion::VerFraccionado()
{
    fracciones_.clear();
    cbFraccion->clear();
    const bool fraccionado = ds_->active() && !ds_->isEmpty() &&
                             ds_->fieldByName(QStringLiteral("FRACCIONADO")).asString().trimmed() == QLatin1String("S");
    if (!fraccionado) {
        chkFraccionado->setChecked(false);
        chkFraccionado->hide();
        cbFraccion->hide();
        return;
    }
    try {
        fracciones_ = FraccionesDeArticulo(*datos_.dbInv, *datos_.TransLecturaInv,
                                           ds_->fieldByName(QStringLiteral("COD_BARRAS")).asString());
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
    for (const FraccionArticulo &f : fracciones_)
        cbFraccion->addItem(f.presentacion);
    if (cbFraccion->count() > 0)
        cbFraccion->setCurrentIndex(0);
    chkFraccionado->show();
    cbFraccion->setVisible(chkFraccionado->isChecked());
}

void TfrmComposicion::ElegirFamilia(const QString &codigo, const QString &nombre)
{
    familia_ = codigo.trimmed();
    edFamilia->setText(familia_.isEmpty() ? kTodasLasFamilias : nombre);
    if (mostrada_)
        BuscarArticulo();
}

void TfrmComposicion::btnFamiliaClick()
{
    QPointer<TfrmComposicion> yo(this);
    BuscarFamilia(datos_, this, QStringLiteral("Comp"), [yo](const QString &codigo, const QString &nombre) {
        if (yo)
            yo->ElegirFamilia(codigo, nombre);
    });
}

void TfrmComposicion::btnAceptarClick()
{
    if (!ds_->active() || ds_->isEmpty()) {
        mensajes().Informacion(kListaVacia);
        edArticulo->setFocus();
        return;
    }
    const std::optional<Currency> cantidad = CantidadValida(edCantidad->text());
    if (!cantidad) {
        mensajes().Globo(edCantidad, kCantidadInvalida);
        edCantidad->setFocus();
        edCantidad->selectAll();
        return;
    }
    Componente c;
    c.codigo = ds_->fieldByName(QStringLiteral("COD_BARRAS")).asString();
    c.nombre = ds_->fieldByName(QStringLiteral("NOMBRE")).asString();
    c.costo = ds_->fieldByName(QStringLiteral("PRECIO_COMPRA")).asCurrency();
    c.cantidad = *cantidad;
    const int pos = cbFraccion->currentIndex();
    c.fraccionado = chkFraccionado->isVisible() && chkFraccionado->isChecked() && pos >= 0 &&
                    pos < static_cast<int>(fracciones_.size());
    c.idFraccion = c.fraccionado ? fracciones_[pos].id : 0;
    QPointer<TfrmComposicion> yo(this);
    if (AgregarCompuesto)
        AgregarCompuesto(c.codigo, c.nombre, c.costo, c.cantidad, c.fraccionado, c.idFraccion);
    if (yo)
        close();
}
