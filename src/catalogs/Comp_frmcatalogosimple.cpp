#include "catalogs/Comp_frmcatalogosimple.h"

#include "catalogs/ListadoCatalogo.h"
#include "data/Comp_fdatos.h"
#include "data/EncabezadoReporte.h"
#include "platform/Mensajes.h"
#include "platform/db/DatasetModel.h"
#include "ui/Permisos.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

FilaCatalogo FilaActual(db::Dataset &ds, const DefCatalogo &def)
{
    FilaCatalogo f;
    f.codigo = static_cast<int>(ds.fieldByName(def.clave).asInteger());
    f.nombre = ds.fieldByName(QStringLiteral("NOMBRE")).asString();
    if (def.conUnidad)
        f.unidad = ds.fieldByName(QStringLiteral("UNIDAD")).asString();
    f.nota = ds.fieldByName(QStringLiteral("NOTA")).asString();
    return f;
}

bool HayFila(db::Dataset &ds)
{
    return ds.active() && !ds.isEmpty();
}

} // namespace

// -- browser

TfrmCatalogoSimple::TfrmCatalogoSimple(TFDatosComp &datos, const DefCatalogo &def, db::Dataset &ds, QWidget *parent)
    : QWidget(parent), datos_(datos), def_(def), ds_(ds), catalogo_(ConexionesDeDatosComp(datos), def)
{
    setObjectName(def_.objetoBrowser);
    setWindowTitle(def_.tituloBrowser);
    AjustarFormatoNumeros(CampoRegistro(datos_.DatosMoneda, QStringLiteral("SIMBOLO_MONEDA")));

    auto *barra = new QToolBar(this);
    btnCerrar = BotonBarra(barra, "btnCerrar", QStringLiteral("&Cerrar"));
    btnAgregar = BotonBarra(barra, "btnAgregar", QStringLiteral("&Agregar"));
    btnModificar = BotonBarra(barra, "btnModificar", QStringLiteral("&Modificar"));
    btnEliminar = BotonBarra(barra, "btnEliminar", QStringLiteral("&Eliminar"));
    btnImprimir = BotonBarra(barra, "btnImprimir", QStringLiteral("&Imprimir"));

    auto *lblFiltro = new QLabel(QStringLiteral("Filtro:"), this);
    edFiltro = new QLineEdit(this);
    edFiltro->setObjectName(QStringLiteral("edFiltro"));
    edFiltro->setValidator(new ValidadorMayusculas(edFiltro));
    lblFiltro->setBuddy(edFiltro);

    Grid = new QTableView(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    modelo_ = new db::DatasetModel(&ds_, this);
    QList<db::DatasetModel::Column> columnas;
    for (const ColumnaCatalogo &c : def_.columnas)
        columnas.push_back({c.campo, c.titulo, {}, Qt::AlignLeft | Qt::AlignVCenter});
    modelo_->setColumns(columnas);
    PrepararGrillaBusqueda(Grid, modelo_);
    Grid->setColumnWidth(0, 260);
    Grid->horizontalHeader()->setStretchLastSection(true);

    auto *filaFiltro = new QHBoxLayout;
    filaFiltro->addWidget(lblFiltro);
    filaFiltro->addWidget(edFiltro, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(barra);
    layout->addLayout(filaFiltro);
    layout->addWidget(Grid, 1);

    connect(btnCerrar, &QToolButton::clicked, this, &QWidget::close);
    connect(btnAgregar, &QToolButton::clicked, this, &TfrmCatalogoSimple::Agregar);
    connect(btnModificar, &QToolButton::clicked, this, &TfrmCatalogoSimple::Modificar);
    connect(btnEliminar, &QToolButton::clicked, this, &TfrmCatalogoSimple::Eliminar);
    connect(btnImprimir, &QToolButton::clicked, this, &TfrmCatalogoSimple::Imprimir);
    connect(Grid, &QTableView::doubleClicked, this, &TfrmCatalogoSimple::Modificar);
    connect(edFiltro, &QLineEdit::textChanged, this, &TfrmCatalogoSimple::Filtrar);
    edFiltro->installEventFilter(this);
    Grid->installEventFilter(this);

    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };
    Filtrar();
}

TfrmCatalogoSimple::~TfrmCatalogoSimple() = default;

void TfrmCatalogoSimple::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (mostrada_)
        return;
    mostrada_ = true;
    move(0, 0);
    resize(700, 432);
    if (def_.tabla == TablaCatalogo::Ubicacion)
        Filtrar();
    edFiltro->setFocus();
}

void TfrmCatalogoSimple::Filtrar()
{
    try {
        ConsultaFiltroCatalogo(def_, edFiltro->text()).Abrir(ds_);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
}

void TfrmCatalogoSimple::AbrirFicha(bool nueva)
{
    auto *ficha = new TfrmFichaCatalogo(datos_, def_, nueva);
    if (!nueva)
        ficha->Cargar(FilaActual(ds_, def_));
    connect(ficha, &TfrmFichaCatalogo::registroGuardado, this, [this](int codigo) {
        RefrescarAbiertos({&ds_});
        ds_.locate(def_.clave, db::Value::integer(codigo));
    });
    connect(this, &QObject::destroyed, ficha, &QWidget::close);
    ficha->AbrirDesde(this);
}

void TfrmCatalogoSimple::Agregar()
{
    if (VerificarPermiso(datos_, def_.permisoAgregar))
        AbrirFicha(true);
}

void TfrmCatalogoSimple::Modificar()
{
    if (VerificarPermiso(datos_, def_.permisoModificar) && HayFila(ds_))
        AbrirFicha(false);
}

void TfrmCatalogoSimple::Eliminar()
{
    if (!VerificarPermiso(datos_, def_.permisoEliminar) || !HayFila(ds_))
        return;
    const FilaCatalogo fila = FilaActual(ds_, def_);
    if (!mensajes().PreguntaDestructiva(def_.preguntaEliminar + fila.nombre))
        return;
    try {
        catalogo_.Eliminar(fila.codigo, fila.nombre);
    } catch (const ErrorCatalogo &e) {
        mensajes().Informacion(e.mensaje());
        return;
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return;
    }
    RefrescarAbiertos({&ds_});
}

void TfrmCatalogoSimple::Imprimir()
{
    if (!VerificarPermiso(datos_, def_.permisoImprimir))
        return;
    try {
        listado_ = std::make_unique<ListadoCatalogo>(datos_);
        MostrarReporte(listado_->Preparar(ds_, def_.nombreTabla, def_.plantilla));
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
    Filtrar();  // the printout reopened the dataset on every row
}

bool TfrmCatalogoSimple::eventFilter(QObject *objeto, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent *>(e)->key();
        if (tecla == Qt::Key_Escape) {
            close();
            return true;
        }
        if ((tecla == Qt::Key_Return || tecla == Qt::Key_Enter) && objeto == edFiltro) {
            focusNextChild();
            return true;
        }
    }
    return QWidget::eventFilter(objeto, e);
}

// -- card

TfrmFichaCatalogo::TfrmFichaCatalogo(TFDatosComp &datos, const DefCatalogo &def, bool nueva, const QString &origen,
                                     QWidget *parent)
    : QWidget(parent, Qt::Dialog), def_(def), catalogo_(ConexionesDeDatosComp(datos), def), nueva_(nueva),
      origen_(origen)
{
    setObjectName(def_.objetoFicha);
    setWindowTitle(def_.tituloFicha);
    auto edit = [this](const char *nombre, int largo) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(nombre));
        e->setMaxLength(largo);
        e->setValidator(new ValidadorMayusculas(e));
        e->installEventFilter(this);
        return e;
    };
    auto *form = new QFormLayout;
    edNombre = edit("edNombre", 150);
    form->addRow(QStringLiteral("Nombre:"), edNombre);
    if (def_.conUnidad) {
        edUnidad = edit("edUnidad", 5);
        form->addRow(QStringLiteral("Unidad:"), edUnidad);
    }
    edNota = edit("edNota", def_.conUnidad ? 200 : 250);
    form->addRow(QStringLiteral("Observaciones:"), edNota);
    btnAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    btnAceptar->installEventFilter(this);
    btnCancelar->installEventFilter(this);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(botones);
    resize(440, def_.conUnidad ? 170 : 140);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmFichaCatalogo::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmFichaCatalogo::btnCancelarClick);
}

void TfrmFichaCatalogo::Cargar(const FilaCatalogo &fila)
{
    fila_ = fila;
    edNombre->setText(fila.nombre);
    if (edUnidad)
        edUnidad->setText(fila.unidad);
    edNota->setText(fila.nota);
}

void TfrmFichaCatalogo::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
    raise();
    activateWindow();
    edNombre->setFocus();
}

void TfrmFichaCatalogo::btnAceptarClick()
{
    FilaCatalogo f = fila_;
    f.nombre = edNombre->text().trimmed();
    if (edUnidad)
        f.unidad = edUnidad->text().trimmed();
    f.nota = edNota->text();
    if (f.nombre.isEmpty()) {
        mensajes().Globo(edNombre, def_.globoNombre);
        edNombre->setFocus();
        return;
    }
    int codigo = 0;
    try {
        codigo = catalogo_.Guardar(f, nueva_);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return;
    }
    llamador_.Habilitar();
    QPointer<TfrmFichaCatalogo> yo(this);
    emit registroGuardado(codigo, f.nombre);
    if (yo)
        close();
}

void TfrmFichaCatalogo::btnCancelarClick()
{
    close();
}

void TfrmFichaCatalogo::closeEvent(QCloseEvent *e)
{
    setAttribute(Qt::WA_DeleteOnClose);
    llamador_.Habilitar();
    QWidget::closeEvent(e);
    emit cerrada();
}

bool TfrmFichaCatalogo::eventFilter(QObject *objeto, QEvent *e)
{
    return TeclaVentanaBusqueda(objeto, e, [this] { focusNextChild(); }, [this] { btnCancelarClick(); })
           || QWidget::eventFilter(objeto, e);
}

// -- search

TfrmBuscarCatalogo::TfrmBuscarCatalogo(TFDatosComp &, const DefCatalogo &def, db::Dataset &ds, const QString &origen,
                                       QWidget *parent)
    : VentanaBusqueda(ds, {{QStringLiteral("NOMBRE"), def.tituloColumnaBusqueda, {}, Qt::AlignLeft | Qt::AlignVCenter}},
                      QStringLiteral("Grid"), parent),
      def_(def), origen_(origen)
{
    setObjectName(def_.objetoBusqueda);
    setWindowTitle(def_.tituloBusqueda);
    resize(400, 360);
}

ConsultaFiltrada TfrmBuscarCatalogo::Consulta(const QString &texto) const
{
    return ConsultaBuscarCatalogo(def_, texto);
}

void TfrmBuscarCatalogo::ListaVacia()
{
    if (def_.listaVaciaAdvertencia)
        mensajes().Advertencia(def_.listaVacia);
    else
        mensajes().Informacion(def_.listaVacia);
}

void TfrmBuscarCatalogo::Entregar()
{
    const FilaCatalogo f = FilaActual(ds_, def_);
    emit registroElegido(f.codigo, f.nombre);
}
