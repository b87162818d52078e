#pragma once
// The replacement point-of-sale host: logs a user in on a cash register, hands the
// connections and records to the module and opens its windows from a menu.

#include "host/Comp_exports.h"

#include <QDialog>
#include <QLibrary>
#include <QMainWindow>

class Estacion;
class QComboBox;
class QLineEdit;
class QLabel;

class DialogoIngreso : public QDialog {
    Q_OBJECT
public:
    explicit DialogoIngreso(Estacion &estacion, QWidget *parent = nullptr);
    QString usuario() const;
    int caja() const;

private:
    void aceptar();
    Estacion &estacion_;
    QLineEdit *edUsuario_;
    QLineEdit *edClave_;
    QComboBox *cbCaja_;
    QLabel *lblError_;
};

class VentanaHost : public QMainWindow {
    Q_OBJECT
public:
    VentanaHost(Estacion &estacion, QLibrary &modulo, QWidget *parent = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void agregarVentana(QMenu *menu, const QString &texto, const char *exportacion, const QString &bandera,
                        const QKeySequence &atajo);
    Estacion &estacion_;
    QLibrary &modulo_;
};

// Flags the module sets while its main windows are open.
const QStringList &BanderasVentanas();
