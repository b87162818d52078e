#pragma once
// Pieces shared by the search windows: a SELECT built line by line with its parameters
// bound by name, an upper-casing validator for search fields, the grid plumbing that
// keeps a dataset's current row on the grid's current row, and the Enter/Esc keys.

#include "platform/db/Dataset.h"
#include "platform/db/DatasetModel.h"
#include "platform/db/Value.h"

#include <QPointer>
#include <QStringList>
#include <QValidator>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

class QTableView;

// A SELECT built line by line; what the user typed only ever travels as a parameter.
struct ConsultaFiltrada {
    QStringList lineas;
    std::vector<std::pair<QString, db::Value>> parametros;

    ConsultaFiltrada &Linea(const QString &linea);
    ConsultaFiltrada &Parametro(const QString &nombre, const db::Value &valor);
    QString Sql() const { return lineas.join(QLatin1Char('\n')); }
    bool TieneParametro(const QString &nombre) const;
    db::Value ValorParametro(const QString &nombre) const;
    // Closes `ds`, replaces its SELECT, binds the parameters and opens it.
    void Abrir(db::Dataset &ds) const;
};

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
