#include "purchases/Comp_frmseleccionaprecio.h"

#include "platform/Formato.h"
#include "platform/Mensajes.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TfrmSeleccionaPrecioCompra::TfrmSeleccionaPrecioCompra(EntradaCompra &entrada, const QStringList &codigos,
                                                       QWidget *parent)
    : QWidget(parent, Qt::Dialog), entrada_(entrada)
{
    setObjectName(QStringLiteral("frmSeleccionaPrecioCompra"));
    setWindowTitle(QStringLiteral("Seleccionar Precio de Compra"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 300);

    grdPrecios = new QTableWidget(0, 3, this);
    grdPrecios->setObjectName(QStringLiteral("grdPrecios"));
    grdPrecios->setHorizontalHeaderLabels(
        {QStringLiteral("Cod Artículo"), QStringLiteral("Nombre Artículo"), QStringLiteral("Precio de Compra")});
    grdPrecios->verticalHeader()->hide();
    grdPrecios->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdPrecios->setColumnWidth(0, 120);
    grdPrecios->setColumnWidth(1, 280);
    grdPrecios->horizontalHeader()->setStretchLastSection(true);
    btnAplicar = new QPushButton(QStringLiteral("&Aplicar"), this);
    btnAplicar->setObjectName(QStringLiteral("btnAplicar"));
    btnCerrar = new QPushButton(QStringLiteral("&Cerrar"), this);
    btnCerrar->setObjectName(QStringLiteral("btnCerrar"));

    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAplicar);
    botones->addWidget(btnCerrar);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grdPrecios, 1);
    layout->addLayout(botones);

    QHash<QString, QString> nombres;
    for (const LineaEntrada &l : entrada_.Lineas())
        if (!nombres.contains(l.codigo))
            nombres.insert(l.codigo, l.nombre);
    for (const QString &codigo : codigos) {
        const int fila = grdPrecios->rowCount();
        grdPrecios->insertRow(fila);
        grdPrecios->setItem(fila, 0, new QTableWidgetItem(codigo));
        grdPrecios->setItem(fila, 1, new QTableWidgetItem(nombres.value(codigo)));
        auto *lista = new QComboBox(grdPrecios);
        lista->setObjectName(QStringLiteral("cbPrecio%1").arg(fila));
        lista->setEditable(true);
        for (const Currency &c : entrada_.CostosDeArticulo(codigo))
            lista->addItem(FormatCurrency(QStringLiteral("0.00##"), c));
        lista->setCurrentIndex(0);
        grdPrecios->setCellWidget(fila, 2, lista);
    }

    connect(btnAplicar, &QPushButton::clicked, this, &TfrmSeleccionaPrecioCompra::btnAplicarClick);
    connect(btnCerrar, &QPushButton::clicked, this, &TfrmSeleccionaPrecioCompra::btnCerrarClick);
}

QComboBox *TfrmSeleccionaPrecioCompra::ListaDeFila(int fila) const
{
    return qobject_cast<QComboBox *>(grdPrecios->cellWidget(fila, 2));
}

void TfrmSeleccionaPrecioCompra::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
    raise();
    activateWindow();
    if (grdPrecios->rowCount() > 0)
        ListaDeFila(0)->setFocus();
}

void TfrmSeleccionaPrecioCompra::btnAplicarClick()
{
    std::vector<PrecioElegido> precios;
    for (int fila = 0; fila < grdPrecios->rowCount(); ++fila) {
        QComboBox *lista = ListaDeFila(fila);
        Currency costo;
        // A typed cost is taken as it is, when it is a positive amount.
        if (!LeerImporte(lista->currentText(), costo) || costo <= Currency()) {
            mensajes().Globo(lista, EntradaCompra::kDebePrecio);
            lista->setFocus();
            return;
        }
        precios.push_back({grdPrecios->item(fila, 0)->text(), costo});
    }
    entrada_.EstablecerPreciosElegidos(std::move(precios));
    llamador_.Habilitar();
    emit preciosAplicados();
    close();
}

void TfrmSeleccionaPrecioCompra::btnCerrarClick()
{
    close();
}

void TfrmSeleccionaPrecioCompra::closeEvent(QCloseEvent *e)
{
    llamador_.Habilitar();
    QWidget::closeEvent(e);
    emit cerrada();
}

void TfrmSeleccionaPrecioCompra::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        btnCerrarClick();
        return;
    }
    QWidget::keyPressEvent(e);
}
