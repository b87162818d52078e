#pragma once
// Base of the small search windows: a "Buscar:" edit (upper case) that reruns the search on
// every change, a read-only grid over a dataset, "&Aceptar" (also a double click) and
// "&Cancelar". Whoever opens one stays disabled until it closes, however it closes. Subclasses
// give the query, the message for an empty list and what to hand back.

#include "ui/UtilBusqueda.h"

#include <QList>
#include <QWidget>

class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QTableView;
namespace db {
class Dataset;
}

class VentanaBusqueda : public QWidget {
    Q_OBJECT
public:
    // Shows the window without blocking and disables `llamador` until it closes.
    void AbrirDesde(QWidget *llamador);
    // Reopens the dataset with the current text; a failure is shown, not thrown.
    void Buscar();

    QLineEdit *edBuscar = nullptr;
    QTableView *Grid = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;

signals:
    void cerrada();

public slots:
    void btnAceptarClick();
    void btnCancelarClick();

protected:
    // `ds` is the dataset the grid shows, `columnas` its columns, `nombreGrid` the grid's object name.
    VentanaBusqueda(db::Dataset &ds, const QList<db::DatasetModel::Column> &columnas, const QString &nombreGrid,
                    QWidget *parent);

    virtual ConsultaFiltrada Consulta(const QString &texto) const = 0;
    // True when "&Aceptar" has something to hand back; by default, a current row.
    virtual bool HayEleccion() const;
    // Tells the user there is nothing to accept; the window stays open.
    virtual void ListaVacia() = 0;
    // Hands the choice back (emits); the caller is already enabled again.
    virtual void Entregar() = 0;
    // Puts `w` at the left of the buttons, after the grid in the tab order.
    void AgregarAlPie(QWidget *w);

    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

    db::Dataset &ds_;

private:
    db::DatasetModel *modelo_ = nullptr;
    QHBoxLayout *pie_ = nullptr;
    Llamador llamador_;
};
