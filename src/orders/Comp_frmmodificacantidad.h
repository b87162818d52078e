#pragma once
// Quantity dialog of the order editor: one line's quantity and purchase price.

#include "platform/Currency.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TfrmModificaCantidad : public QDialog {
    Q_OBJECT
public:
    TfrmModificaCantidad(const QString &nombre, Currency cantidad, Currency precio, QWidget *parent = nullptr);

    Currency Cantidad() const { return cantidad_; }
    Currency Precio() const { return precio_; }

    QLabel *lblNombre = nullptr;
    QLineEdit *edCantidad = nullptr;
    QLineEdit *edPrecio = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;

public slots:
    void btnAceptarClick();

private:
    Currency cantidad_, precio_;
};
