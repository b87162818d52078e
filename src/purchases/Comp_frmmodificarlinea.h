#pragma once
// Line editor ("Modificar Línea"): cost, quantity, discount, tax flags and new sale price of
// one line of the purchase being entered.

#include "purchases/EntradaCompra.h"
#include "ui/UtilBusqueda.h"

#include <QWidget>

class TFDatosComp;

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmModificarLinea : public QWidget {
    Q_OBJECT
public:
    TfrmModificarLinea(TFDatosComp &datos, EntradaCompra &entrada, int idLinea, QWidget *parent = nullptr);

    // Shows the editor without blocking; `llamador` stays disabled until it closes.
    void AbrirDesde(QWidget *llamador);
    // The line's discount percentage when the editor opened.
    Currency PorcentajeInicial() const { return porcentajeInicial_; }

    QLabel *lblCodigo;
    QLabel *lblNombre;
    QLineEdit *edPrecioUnit;
    QLineEdit *edCant;
    QLineEdit *edPorDesc;
    QLineEdit *edImpDesc;
    QLineEdit *edSubtotal;
    QLineEdit *edTotal;
    QLineEdit *edPrecioVenta;
    QLineEdit *edPrecioVentaActual;
    QCheckBox *chkGravado;
    QCheckBox *chkIVI;
    QPushButton *btnAceptar;
    QPushButton *btnCancelar;

signals:
    void lineaModificada();
    void cerrada();

public slots:
    void btnAceptarClick();
    void btnCancelarClick();
    // Subtotal, discount amount and total from the fields.
    void Recalcular();
    void edPorDescExit();

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    TFDatosComp &datos_;
    void Mostrar();

    EntradaCompra &entrada_;
    int idLinea_;
    Currency porcentajeInicial_;
    Llamador llamador_;
};
