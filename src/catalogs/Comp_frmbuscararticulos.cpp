#include "catalogs/Comp_frmbuscararticulos.h"

#include "catalogs/Comp_frmfichaarticulo.h"

#include "catalogs/BuscadorArticulos.h"
#include "catalogs/BusquedaArticulos.h"
#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"
#include "ui/Permisos.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

TfrmBuscarArticulos::TfrmBuscarArticulos(TFDatosComp &datos, QWidget *parent) : QWidget(parent, Qt::Dialog), datos_(datos)
{
    setObjectName(QStringLiteral("frmBuscarArticulos"));
    setWindowTitle(QStringLiteral("Buscar Artículos"));
    resize(640, 450);

    auto *lblBuscar = new QLabel(QStringLiteral("Buscar:"), this);
    edBuscar = new QLineEdit(this);
    edBuscar->setObjectName(QStringLiteral("edBuscar"));
    edBuscar->setMaxLength(BusquedaArticulos::kLargoMaximo);
    edBuscar->setValidator(new ValidadorMayusculas(edBuscar));
    lblBuscar->setBuddy(edBuscar);

    GridArticulos = new QTableView(this);
    GridArticulos->setObjectName(QStringLiteral("GridArticulos"));
    // The list comes from the search's own attachment, not from the shared inventory dataset.
    modelo_ = new db::DatasetModel(nullptr, this);
    modelo_->setColumns({{QStringLiteral("COD_BARRAS"), QStringLiteral("Código"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         {QStringLiteral("NOMBRE"), QStringLiteral("Descripción"), {}, Qt::AlignLeft | Qt::AlignVCenter},
                         {QStringLiteral("STOCK"), QStringLiteral("Cantidad"), datos_.FormatearCantidad(),
                          Qt::AlignRight | Qt::AlignVCenter}});
    PrepararGrillaBusqueda(GridArticulos, modelo_);
    GridArticulos->setColumnWidth(0, 130);
    GridArticulos->setColumnWidth(1, 380);
    GridArticulos->horizontalHeader()->setStretchLastSection(true);

    btnAceptar = new QPushButton(QStringLiteral(" &Aceptar "), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral(" &Cancelar "), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    btnAgregar = new QPushButton(QStringLiteral(" Agregar [F1]"), this);
    btnAgregar->setObjectName(QStringLiteral("btnAgregar"));

    auto *filaBuscar = new QHBoxLayout;
    filaBuscar->addWidget(lblBuscar);
    filaBuscar->addWidget(edBuscar, 1);
    auto *botones = new QHBoxLayout;
    botones->addWidget(btnAgregar);
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filaBuscar);
    layout->addWidget(GridArticulos, 1);
    layout->addLayout(botones);

    setTabOrder(edBuscar, GridArticulos);
    setTabOrder(GridArticulos, btnAceptar);
    setTabOrder(btnAceptar, btnCancelar);
    setTabOrder(btnCancelar, btnAgregar);

    buscador_ = new BuscadorArticulos(datos_.TInventario->database()->params(), this);
    connect(buscador_, &BuscadorArticulos::listaNueva, modelo_, &db::DatasetModel::setDataset);
    connect(buscador_, &BuscadorArticulos::error, this, [](const QString &mensaje) { mensajes().Error(mensaje); });

    espera_ = new QTimer(this);
    espera_->setSingleShot(true);
    espera_->setInterval(kEsperaTeclas);
    connect(espera_, &QTimer::timeout, this, &TfrmBuscarArticulos::FiltrarArticulos);
    connect(edBuscar, &QLineEdit::textChanged, this, [this] {
        if (isVisible())
            espera_->start();  // restarted by every key
    });
    connect(GridArticulos, &QTableView::doubleClicked, this, &TfrmBuscarArticulos::btnAceptarClick);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmBuscarArticulos::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmBuscarArticulos::btnCancelarClick);
    connect(btnAgregar, &QPushButton::clicked, this, &TfrmBuscarArticulos::AgregarArticulo);
    for (QWidget *w : {static_cast<QWidget *>(edBuscar), static_cast<QWidget *>(GridArticulos),
                       static_cast<QWidget *>(btnAceptar), static_cast<QWidget *>(btnCancelar),
                       static_cast<QWidget *>(btnAgregar)})
        w->installEventFilter(this);
}

void TfrmBuscarArticulos::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
    raise();
    activateWindow();
}

void TfrmBuscarArticulos::FiltrarArticulos()
{
    espera_->stop();
    buscador_->Buscar(edBuscar->text(), Origen, BusquedaArticulos::OcultarInactivos());
}

bool TfrmBuscarArticulos::BusquedaPendiente() const
{
    return espera_->isActive() || buscador_->Ocupado();
}

void TfrmBuscarArticulos::AplicarBusquedaPendiente()
{
    if (espera_->isActive())
        FiltrarArticulos();
    if (buscador_->Ocupado() && !buscador_->Esperar(kEsperaLista))
        mensajes().Error(QStringLiteral("La búsqueda de artículos no respondió a tiempo."));
}

db::Dataset *TfrmBuscarArticulos::Lista() const
{
    return buscador_->Lista();
}

void TfrmBuscarArticulos::AgregarArticulo()
{
    if (!VerificarPermiso(datos_, QStringLiteral("COMP_AGREGAR_ARTI"), QStringLiteral("Atención")))
        return;
    if (AbrirFichaArticulo) {
        setEnabled(false);  // the card enables this window again when it closes
        AbrirFichaArticulo(*this);
        return;
    }
    QPointer<TfrmBuscarArticulos> yo(this);
    AbrirFichaArticuloNueva(datos_, this, QString(), OrigenFicha::Buscar, [yo](const QString &codigo) {
        if (yo)
            yo->ArticuloCreado(codigo);
    });
}

void TfrmBuscarArticulos::ArticuloCreado(const QString &codigo)
{
    setEnabled(true);
    edBuscar->setText(codigo);
    AplicarBusquedaPendiente();
    edBuscar->setFocus();
}

void TfrmBuscarArticulos::btnAceptarClick()
{
    AplicarBusquedaPendiente();  // a code scanned and Enter at once: the list for the whole code
    db::Dataset *lista = Lista();
    const QString codigo = lista ? BusquedaArticulos::CodigoElegido(*lista) : QString();
    llamador_.Habilitar();
    QPointer<TfrmBuscarArticulos> yo(this);
    emit articuloElegido(codigo, Origen);
    if (yo)
        close();
}

void TfrmBuscarArticulos::btnCancelarClick()
{
    close();
}

void TfrmBuscarArticulos::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    FiltrarArticulos();
    edBuscar->setFocus();
}

void TfrmBuscarArticulos::closeEvent(QCloseEvent *e)
{
    buscador_->Detener();  // no search outlives the window
    setAttribute(Qt::WA_DeleteOnClose);
    llamador_.Habilitar();
    QWidget::closeEvent(e);
    emit cerrada();
}

void TfrmBuscarArticulos::changeEvent(QEvent *e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        edBuscar->setFocus();
}

bool TfrmBuscarArticulos::eventFilter(QObject *objeto, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        auto *tecla = static_cast<QKeyEvent *>(e);
        if (objeto == edBuscar ? teclaEnBusqueda(tecla) : teclaFueraDeBusqueda(tecla))
            return true;
    }
    return QWidget::eventFilter(objeto, e);
}

bool TfrmBuscarArticulos::teclaEnBusqueda(QKeyEvent *tecla)
{
    switch (tecla->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        AplicarBusquedaPendiente();
        GridArticulos->setFocus();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        btnAceptarClick();
        return true;
    case Qt::Key_Escape:
        btnCancelarClick();
        return true;
    case Qt::Key_F1:
        AgregarArticulo();
        return true;
    default:
        return false;
    }
}

bool TfrmBuscarArticulos::teclaFueraDeBusqueda(QKeyEvent *tecla)
{
    switch (tecla->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        btnAceptarClick();
        return true;
    case Qt::Key_Escape:
        btnCancelarClick();
        return true;
    case Qt::Key_F1:
        AgregarArticulo();
        return true;
    case Qt::Key_Backspace:
        edBuscar->setText(edBuscar->text().chopped(edBuscar->text().isEmpty() ? 0 : 1));
        return true;
    case Qt::Key_Space:
        edBuscar->setText(edBuscar->text() + QLatin1Char(' '));
        return true;
    default:
        break;
    }
    if ((tecla->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0) {
        const QString texto = tecla->text();
        if (texto.size() == 1 && BusquedaArticulos::CaracterDeBusqueda(texto.at(0))) {
            edBuscar->setText(edBuscar->text() + texto);
            return true;
        }
    }
    return false;
}
