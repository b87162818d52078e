#include "consignments/Comp_frmfacturarconsig.h"

#include "consignments/ListadoConsignaciones.h"
#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"
#include "platform/db/DatasetModel.h"
#include "purchases/Comp_frmagregacompras.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TfrmFacturarConsig::TfrmFacturarConsig(TFDatosComp &datos, TfrmAgregaCompra &entrada, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), datos_(datos), entrada_(entrada)
{
    setObjectName(QStringLiteral("frmFacturarConsig"));
    setWindowTitle(QStringLiteral("Seleccionar Consignación"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(620, 380);
    edBuscar = new QLineEdit(this);
    edBuscar->setObjectName(QStringLiteral("edBuscar"));
    edtBuscaConsig = new QLineEdit(this);
    edtBuscaConsig->setObjectName(QStringLiteral("edtBuscaConsig"));
    gPrefacturas = new QTableView(this);
    gPrefacturas->setObjectName(QStringLiteral("gPrefacturas"));
    dsConsignacion = new db::DatasetModel(datos_.TConsignacion, this);
    const auto centro = Qt::AlignCenter;
    dsConsignacion->setColumns({
        {QStringLiteral("FECHA"), QStringLiteral("Fecha"), QString(), centro},
        {QStringLiteral("COMPROBANTE"), QStringLiteral("Consignación"), QString(), centro},
        {QStringLiteral("NOMBRE"), QStringLiteral("Cliente"), QString()},
        {QStringLiteral("IMPORTE_TOTAL"), QStringLiteral("Importe Total"), QStringLiteral("#,##0.00"),
         Qt::AlignRight | Qt::AlignVCenter},
    });
    gPrefacturas->setModel(dsConsignacion);
    gPrefacturas->setSelectionBehavior(QAbstractItemView::SelectRows);
    gPrefacturas->setSelectionMode(QAbstractItemView::SingleSelection);
    gPrefacturas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gPrefacturas->verticalHeader()->setVisible(false);
    gPrefacturas->horizontalHeader()->setStretchLastSection(true);
    btnAceptar = new QPushButton(QStringLiteral(" &Aceptar "), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral(" &Cancelar "), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

    auto *g = new QGridLayout;
    g->addWidget(new QLabel(QStringLiteral("Proveedor:"), this), 0, 0);
    g->addWidget(edBuscar, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Nº Consignación:"), this), 1, 0);
    g->addWidget(edtBuscaConsig, 1, 1);
    auto *b = new QHBoxLayout;
    b->addStretch(1);
    b->addWidget(btnAceptar);
    b->addWidget(btnCancelar);
    auto *v = new QVBoxLayout(this);
    v->addLayout(g);
    v->addWidget(gPrefacturas, 1);
    v->addLayout(b);

    for (QLineEdit *ed : {edBuscar, edtBuscaConsig}) {
        connect(ed, &QLineEdit::textEdited, this, [ed](const QString &t) {
            if (t != t.toUpper())
                ed->setText(t.toUpper());
        });
        connect(ed, &QLineEdit::textChanged, this, &TfrmFacturarConsig::FiltrarConsig);
        ed->installEventFilter(this);
    }
    gPrefacturas->installEventFilter(this);
    connect(gPrefacturas->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &i) {
        db::Dataset *ds = datos_.TConsignacion;
        if (ds && ds->active() && i.isValid() && i.row() < ds->fetchedCount())
            ds->setRecNo(i.row());
    });
    connect(gPrefacturas, &QTableView::doubleClicked, this, &TfrmFacturarConsig::btnAceptarClick);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmFacturarConsig::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmFacturarConsig::btnCancelarClick);
    FiltrarConsig();
}

TfrmFacturarConsig::~TfrmFacturarConsig() = default;

void TfrmFacturarConsig::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
    edBuscar->setFocus();
}

void TfrmFacturarConsig::FiltrarConsig()
{
    try {
        ListadoConsignaciones::FiltrarFacturables(*datos_.TConsignacion, edBuscar->text(), edtBuscaConsig->text());
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
    }
    if (dsConsignacion->rowCount() > 0)
        gPrefacturas->setCurrentIndex(dsConsignacion->index(0, 0));
}

void TfrmFacturarConsig::btnAceptarClick()
{
    db::Dataset *ds = datos_.TConsignacion;
    if (!ds || !ds->active() || ds->isEmpty()) {
        mensajes().Advertencia(ListadoConsignaciones::kDebeSeleccionar);
        return;
    }
    const int id = ds->fieldByName(QStringLiteral("ID_CONSIGNACION")).asInteger();
    llamador_.Habilitar();
    FacturacionConsignacion facturacion(datos_);
    facturacion.Cargar(entrada_.Entrada(), id);
    entrada_.edNombreProveedor->setText(entrada_.Entrada().NombreProveedor());
    entrada_.edComprob->setText(entrada_.Entrada().Comprobante());
    entrada_.MostrarTotales();
    close();
}

void TfrmFacturarConsig::btnCancelarClick()
{
    close();
}

void TfrmFacturarConsig::closeEvent(QCloseEvent *e)
{
    llamador_.Habilitar();
    QWidget::closeEvent(e);
}

bool TfrmFacturarConsig::eventFilter(QObject *objeto, QEvent *e)
{
    if (e->type() != QEvent::KeyPress)
        return QWidget::eventFilter(objeto, e);
    auto *k = static_cast<QKeyEvent *>(e);
    switch (k->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: btnAceptarClick(); return true;
    case Qt::Key_Escape: btnCancelarClick(); return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (objeto != gPrefacturas) {
            gPrefacturas->setFocus();
            return true;
        }
        break;
    default: break;
    }
    // Typing on the grid fills the supplier search.
    if (objeto == gPrefacturas) {
        const QString t = k->text();
        if (k->key() == Qt::Key_Backspace) {
            edBuscar->setText(edBuscar->text().left(edBuscar->text().size() - 1));
            return true;
        }
        if (t.size() == 1 && (t.at(0).isLetterOrNumber() || QStringLiteral("-./ ").contains(t.at(0)))) {
            edBuscar->setText(edBuscar->text() + t.toUpper());
            return true;
        }
    }
    return QWidget::eventFilter(objeto, e);
}
