#include "catalogs/Comp_frmfamilias.h"

#include "catalogs/Comp_frmfichafamilia.h"
#include "catalogs/ListadoCatalogo.h"
#include "catalogs/ModeloArbolFamilias.h"
#include "data/Comp_fdatos.h"
#include "data/EncabezadoReporte.h"
#include "platform/Mensajes.h"
#include "platform/db/DatasetModel.h"
#include "ui/Permisos.h"
#include "ui/UtilBusqueda.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QFont>
#include <QVBoxLayout>

TfrmFamilias::TfrmFamilias(TFDatosComp &datos, QWidget *parent)
    : QWidget(parent), datos_(datos), catalogo_(ConexionesDeDatosComp(datos))
{
    setObjectName(QStringLiteral("frmFamilias"));
    setWindowTitle(QStringLiteral("Familias"));
    AjustarFormatoNumeros(CampoRegistro(datos_.DatosMoneda, QStringLiteral("SIMBOLO_MONEDA")));

    auto *barra = new QToolBar(this);
    btnCerrar = BotonBarra(barra, "btnCerrar", QStringLiteral("&Cerrar"));
    btnAgregar = BotonBarra(barra, "btnAgregar", QStringLiteral("&Agregar"));
    btnModificar = BotonBarra(barra, "btnModificar", QStringLiteral("&Modificar"));
    btnEliminar = BotonBarra(barra, "btnEliminar", QStringLiteral("&Eliminar"));
    btnImprimir = BotonBarra(barra, "btnImprimir", QStringLiteral("&Imprimir"));
    btnVista = BotonBarra(barra, "btnVista", QStringLiteral("Vista"));
    auto *mnuVista = new QMenu(btnVista);
    actArbol = mnuVista->addAction(QStringLiteral("Arbol"));
    actTabla = mnuVista->addAction(QStringLiteral("Tabla"));
    btnVista->setMenu(mnuVista);
    btnVista->setPopupMode(QToolButton::InstantPopup);

    tvFamilias = new QTreeView(this);
    tvFamilias->setObjectName(QStringLiteral("tvFamilias"));
    tvFamilias->setHeaderHidden(true);
    tvFamilias->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
    tvFamilias->setUniformRowHeights(true);
    tvFamilias->setEditTriggers(QAbstractItemView::NoEditTriggers);
    arbol_ = new ModeloArbolFamilias(this);
    arbol_->setIconos({style()->standardIcon(QStyle::SP_FileIcon), style()->standardIcon(QStyle::SP_DirOpenIcon),
                       style()->standardIcon(QStyle::SP_DirClosedIcon)});
    tvFamilias->setModel(arbol_);

    pnlFiltro = new QWidget(this);
    pnlFiltro->setObjectName(QStringLiteral("pnlFiltro"));
    auto *lblFiltro = new QLabel(QStringLiteral("Filtro:"), pnlFiltro);
    edFiltro = new QLineEdit(pnlFiltro);
    edFiltro->setObjectName(QStringLiteral("edFiltro"));
    edFiltro->setValidator(new ValidadorMayusculas(edFiltro));
    lblFiltro->setBuddy(edFiltro);
    rbCodigo = new QRadioButton(QStringLiteral("Ordenar por Código"), pnlFiltro);
    rbCodigo->setObjectName(QStringLiteral("rbCodigo"));
    rbCodigo->setChecked(true);
    rbNombre = new QRadioButton(QStringLiteral("Ordenar por Nombre"), pnlFiltro);
    rbNombre->setObjectName(QStringLiteral("rbNombre"));
    auto *filaFiltro = new QHBoxLayout(pnlFiltro);
    filaFiltro->setContentsMargins(0, 0, 0, 0);
    filaFiltro->addWidget(lblFiltro);
    filaFiltro->addWidget(edFiltro, 1);
    filaFiltro->addWidget(rbCodigo);
    filaFiltro->addWidget(rbNombre);

    GridFamilias = new QTableView(this);
    GridFamilias->setObjectName(QStringLiteral("GridFamilias"));
    modelo_ = new db::DatasetModel(datos_.TFamiliasGrid, this);
    modelo_->setColumns({{QStringLiteral("COD_FAMILIA"), QStringLiteral("Código"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         {QStringLiteral("NOMBRE"), QStringLiteral(" Familia"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         {QStringLiteral("NOM_PERTENECE"), QStringLiteral(" Pertenece a..."), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         {QStringLiteral("ACTIVA"), QStringLiteral("Activa"), {}, Qt::AlignLeft | Qt::AlignVCenter}});
    PrepararGrillaBusqueda(GridFamilias, modelo_);
    GridFamilias->setColumnWidth(0, 110);
    GridFamilias->setColumnWidth(1, 280);
    GridFamilias->setColumnWidth(2, 220);
    GridFamilias->horizontalHeader()->setStretchLastSection(true);
    GridFamilias->setContextMenuPolicy(Qt::CustomContextMenu);
    mnuGrid = new QMenu(this);
    QAction *actAgregar = mnuGrid->addAction(QStringLiteral("Agregar Familia"));
    QAction *actModificar = mnuGrid->addAction(QStringLiteral("Modificar Familia"));
    QAction *actEliminar = mnuGrid->addAction(QStringLiteral("Eliminar Familia"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(barra);
    layout->addWidget(tvFamilias, 1);
    layout->addWidget(pnlFiltro);
    layout->addWidget(GridFamilias, 1);

    connect(btnCerrar, &QToolButton::clicked, this, &QWidget::close);
    connect(btnAgregar, &QToolButton::clicked, this, &TfrmFamilias::AgregarFamilia);
    connect(btnModificar, &QToolButton::clicked, this, &TfrmFamilias::ModificarFamilia);
    connect(btnEliminar, &QToolButton::clicked, this, &TfrmFamilias::EliminarFamilia);
    connect(btnImprimir, &QToolButton::clicked, this, &TfrmFamilias::ImprimirFamilias);
    connect(actArbol, &QAction::triggered, this, [this] { CambiarVista(Vista::Arbol); });
    connect(actTabla, &QAction::triggered, this, [this] { CambiarVista(Vista::Tabla); });
    connect(actAgregar, &QAction::triggered, this, &TfrmFamilias::AgregarFamilia);
    connect(actModificar, &QAction::triggered, this, &TfrmFamilias::ModificarFamilia);
    connect(actEliminar, &QAction::triggered, this, &TfrmFamilias::EliminarFamilia);
    connect(GridFamilias, &QTableView::customContextMenuRequested, this,
            [this](const QPoint &p) { mnuGrid->popup(GridFamilias->viewport()->mapToGlobal(p)); });
    connect(GridFamilias, &QTableView::doubleClicked, this, &TfrmFamilias::ModificarFamilia);
    connect(tvFamilias, &QTreeView::doubleClicked, this, [this](const QModelIndex &n) {
        if (n.parent().isValid())
            ModificarFamilia();
    });
    connect(tvFamilias, &QTreeView::expanded, arbol_, [this](const QModelIndex &n) { arbol_->MarcarAbierto(n, true); });
    connect(tvFamilias, &QTreeView::collapsed, arbol_, [this](const QModelIndex &n) { arbol_->MarcarAbierto(n, false); });
    connect(edFiltro, &QLineEdit::textChanged, this, &TfrmFamilias::FiltrarFamilias);
    connect(rbCodigo, &QRadioButton::toggled, this, [this](bool marcado) {
        if (marcado)
            FiltrarFamilias();
    });
    connect(rbNombre, &QRadioButton::toggled, this, [this](bool marcado) {
        if (marcado)
            FiltrarFamilias();
    });
    for (QWidget *w : {static_cast<QWidget *>(tvFamilias), static_cast<QWidget *>(edFiltro),
                       static_cast<QWidget *>(GridFamilias), static_cast<QWidget *>(rbCodigo),
                       static_cast<QWidget *>(rbNombre)})
        w->installEventFilter(this);

    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };
    CambiarVista(Vista::Arbol);
    FiltrarFamilias();
}

TfrmFamilias::~TfrmFamilias() = default;

void TfrmFamilias::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (mostrada_)
        return;
    mostrada_ = true;
    move(0, 0);
    resize(744, 432);
    RefrescarArbol();
}

void TfrmFamilias::CambiarVista(Vista vista)
{
    vista_ = vista;
    const bool arbol = vista == Vista::Arbol;
    tvFamilias->setVisible(arbol);
    pnlFiltro->setVisible(!arbol);
    GridFamilias->setVisible(!arbol);
    btnVista->menu()->setDefaultAction(arbol ? actArbol : actTabla);
    if (!arbol)
        edFiltro->setFocus();
}

void TfrmFamilias::RefrescarArbol()
{
    ArbolFamilias arbol;
    try {
        arbol = ConstruirArbol(catalogo_.LeerFamilias());
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return;
    }
    arbol_->Cargar(std::move(arbol));
    tvFamilias->expandAll();
    tvFamilias->setCurrentIndex(arbol_->Raiz());
}

void TfrmFamilias::FiltrarFamilias()
{
    try {
        const ConsultaFiltrada c = ConsultaFiltroFamilias(edFiltro->text(), rbNombre->isChecked());
        c.Abrir(*datos_.TFamilias);
        c.Abrir(*datos_.TFamiliasGrid);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
}

QString TfrmFamilias::SeleccionarFamilia() const
{
    if (vista_ == Vista::Arbol) {
        // The root node is no family, though its text is long enough to look like one.
        const QModelIndex n = tvFamilias->currentIndex();
        return n.parent().isValid() ? CodigoDeNodo(n.data().toString()) : QString();
    }
    db::Dataset &g = *datos_.TFamiliasGrid;
    if (!g.active() || g.isEmpty())
        return QString();
    return g.fieldByName(QStringLiteral("COD_FAMILIA")).asString().trimmed();
}

void TfrmFamilias::AbrirFicha(bool nueva, const FilaFamilia &fila)
{
    auto *ficha = new TfrmFichaFamilia(datos_, nueva, QString());
    ficha->Cargar(fila);
    connect(ficha, &TfrmFichaFamilia::familiaGuardada, this, [this] { RefrescarDatos(); });
    connect(ficha, &TfrmFichaFamilia::cerrada, this, &TfrmFamilias::RefrescarArbol);
    connect(this, &QObject::destroyed, ficha, &QWidget::close);
    ficha->AbrirDesde(this);
}

void TfrmFamilias::AgregarFamilia()
{
    if (!VerificarPermiso(datos_, QStringLiteral("FAMILIA_AGREGAR")))
        return;
    FilaFamilia nueva;
    nueva.activa = QStringLiteral("S");
    // Adding from a selected family proposes it as the parent.
    const QString padre = SeleccionarFamilia();
    if (!padre.isEmpty() && vista_ == Vista::Arbol) {
        nueva.codPertenece = padre;
        nueva.nomPertenece = NombreDeNodo(tvFamilias->currentIndex().data().toString());
    }
    AbrirFicha(true, nueva);
}

void TfrmFamilias::ModificarFamilia()
{
    if (!VerificarPermiso(datos_, QStringLiteral("FAMILIA_MODIFICAR")))
        return;
    const QString codigo = SeleccionarFamilia();
    if (codigo.isEmpty())
        return;
    try {
        const std::optional<FilaFamilia> fila = catalogo_.Leer(codigo);
        if (!fila) {
            mensajes().Informacion(QStringLiteral("No existe la familia %1").arg(codigo));
            return;
        }
        AbrirFicha(false, *fila);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
}

void TfrmFamilias::EliminarFamilia()
{
    if (!VerificarPermiso(datos_, QStringLiteral("FAMILIA_ELIMINAR")))
        return;
    const QString codigo = SeleccionarFamilia();
    if (codigo.isEmpty())
        return;
    const QString nombre = vista_ == Vista::Arbol
                               ? NombreDeNodo(tvFamilias->currentIndex().data().toString())
                               : datos_.TFamiliasGrid->fieldByName(QStringLiteral("NOMBRE")).asString();
    if (!mensajes().PreguntaDestructiva(QStringLiteral("¿Realmente desea eliminar la familia: ") + nombre
                                        + QStringLiteral("?")))
        return;
    try {
        catalogo_.Eliminar(codigo);
    } catch (const ErrorCatalogo &e) {
        mensajes().Informacion(e.mensaje());
        return;
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return;
    }
    RefrescarDatos();
    RefrescarArbol();
}

void TfrmFamilias::RefrescarDatos()
{
    FiltrarFamilias();
    RefrescarAbiertos({datos_.TFam2});
}

void TfrmFamilias::ImprimirFamilias()
{
    if (!VerificarPermiso(datos_, QStringLiteral("FAMILIA_IMPRIMIR")))
        return;
    try {
        listado_ = std::make_unique<ListadoCatalogo>(datos_);
        MostrarReporte(listado_->Preparar(*datos_.TFam2, QStringLiteral("FAMILIA"), kPlantillaFamilias));
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
}

bool TfrmFamilias::eventFilter(QObject *objeto, QEvent *e)
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
