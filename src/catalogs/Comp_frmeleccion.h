#pragma once
// Base of the choosers the article card opens without blocking: the card stays disabled until
// the chooser closes, however it closes, and the chooser frees itself on closing.

#include "ui/UtilBusqueda.h"

#include <QWidget>

class TFDatosComp;
namespace db {
class Dataset;
}

// A dataset of `dueno` over the inventory database's read transaction.
db::Dataset *DatasetInventario(TFDatosComp &datos, QObject *dueno, const QString &nombre);

class VentanaEleccion : public QWidget {
    Q_OBJECT
public:
    // Shows the window and disables `llamador` until it closes. A chooser created as the
    // caller's child leaves it first (a disabled parent would disable the chooser too); it
    // then closes when the caller goes away.
    void AbrirDesde(QWidget *llamador);

signals:
    void cerrada();

protected:
    explicit VentanaEleccion(QWidget *parent);
    ~VentanaEleccion() override;
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    // Runs when the window is first shown: fills its list.
    virtual void AlMostrar() {}
    bool eventFilter(QObject *objeto, QEvent *e) override;
    // Enter moves on (or presses the focused button) and Escape closes, on `controles`.
    void TeclasDeEleccion(std::initializer_list<QWidget *> controles);

private:
    Llamador llamador_;
    bool mostrada_ = false;
};
