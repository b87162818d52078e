#pragma once
// Pieces shared by the search windows: an upper-casing validator for search fields, the grid
// plumbing that keeps a dataset's current row on the grid's current row, and the Enter/Esc keys.

#include "platform/db/ConsultaFiltrada.h"
#include "platform/db/DatasetModel.h"

#include <QPointer>
#include <QStringList>
#include <QValidator>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

class QTableView;
class QToolBar;
class QToolButton;

// Upper-cases what is typed into (or set on) a line edit, accented letters included.
class ValidadorMayusculas : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString &texto, int &pos) const override;
};

// Read-only grid with whole-row single selection over `modelo`. The dataset follows the
// grid's current row; when the dataset is reopened the first row becomes current.
void PrepararGrillaBusqueda(QTableView *grid, db::DatasetModel *modelo);

// Enter and Esc on the controls of a search window: Enter presses the push button that has
// the focus or calls `siguiente` (the window's focusNextChild), Esc calls `cancelar`. True
// when `e` was one of those keys.
bool TeclaVentanaBusqueda(QObject *objeto, QEvent *e, const std::function<void()> &siguiente,
                          const std::function<void()> &cancelar);

// A text-only tool-bar button named `nombre`, added to `barra`.
QToolButton *BotonBarra(QToolBar *barra, const char *nombre, const QString &texto);

// Remembers a window that opened a search and disabled itself; enables it again once.
class Llamador {
public:
    void Asignar(QWidget *ventana, bool deshabilitar);
    void Habilitar();
    QWidget *ventana() const { return ventana_; }

private:
    QPointer<QWidget> ventana_;
    bool deshabilitado_ = false;
};
