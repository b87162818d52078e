#include "ui/UtilBusqueda.h"

#include <QToolBar>
#include <QToolButton>

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QItemSelectionModel>
#include <QTableView>

QValidator::State ValidadorMayusculas::validate(QString &texto, int &) const
{
    texto = texto.toUpper();
    return Acceptable;
}

void PrepararGrillaBusqueda(QTableView *grid, db::DatasetModel *modelo)
{
    grid->setModel(modelo);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setTabKeyNavigation(false);
    grid->setAlternatingRowColors(true);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    grid->horizontalHeader()->setHighlightSections(false);

    QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                     [modelo](const QModelIndex &actual) {
                         db::Dataset *ds = modelo->dataset();
                         if (ds && ds->active() && actual.isValid())
                             ds->setRecNo(actual.row());
                     });
    QObject::connect(modelo, &QAbstractItemModel::modelReset, grid, [grid, modelo] {
        if (modelo->rowCount() > 0)
            grid->setCurrentIndex(modelo->index(0, 0));
    });
    if (modelo->rowCount() > 0)
        grid->setCurrentIndex(modelo->index(0, 0));
}

bool TeclaVentanaBusqueda(QObject *objeto, QEvent *e, const std::function<void()> &siguiente,
                          const std::function<void()> &cancelar)
{
    if (e->type() != QEvent::KeyPress)
        return false;
    switch (static_cast<QKeyEvent *>(e)->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto *boton = qobject_cast<QPushButton *>(objeto))
            boton->click();
        else
            siguiente();
        return true;
    case Qt::Key_Escape:
        cancelar();
        return true;
    default:
        return false;
    }
}

void Llamador::Asignar(QWidget *ventana, bool deshabilitar)
{
    ventana_ = ventana;
    deshabilitado_ = ventana && deshabilitar;
    if (deshabilitado_)
        ventana->setEnabled(false);
}

void Llamador::Habilitar()
{
    if (ventana_ && deshabilitado_)
        ventana_->setEnabled(true);
    deshabilitado_ = false;
}

QToolButton *BotonBarra(QToolBar *barra, const char *nombre, const QString &texto)
{
    auto *b = new QToolButton(barra);
    b->setObjectName(QString::fromLatin1(nombre));
    b->setText(texto);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    barra->addWidget(b);
    return b;
}
