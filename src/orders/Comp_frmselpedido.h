#pragma once
// Order chooser for purchase entry: open orders (not annulled, not processed) by date and
// supplier. Shown modally; on "Seleccionar" it keeps the chosen order and accepts.

#include "orders/Pedidos.h"

#include <QDialog>

#include <memory>

class TFDatosComp;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TfrmSelPedido : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelPedido(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmSelPedido() override;

    // The chosen order, once accepted.
    QString NroPedido;
    int CodigoProveedor = 0;
    QString NombreProveedor;
    int NumCodigoInventario = 1;

    void Filtrar();
    void EstablecerProveedor(int codigo, const QString &nombre);
    int Filas() const { return static_cast<int>(lista_.size()); }

    QDateEdit *cmbFechaInicial = nullptr;
    QDateEdit *cmbFechaFinal = nullptr;
    QLineEdit *edProveedor = nullptr;
    QPushButton *btnFiltroProveedor = nullptr;
    QPushButton *btnElimFiltroProveedor = nullptr;
    QTableWidget *gPedidos = nullptr;
    QPushButton *btnSeleccionar = nullptr;
    QPushButton *btnCancelar = nullptr;

public slots:
    void btnSeleccionarClick();

private:
    TFDatosComp &datos_;
    std::unique_ptr<Pedidos> pedidos_;
    std::vector<PedidoListado> lista_;
    int codProveedor_ = 0;
};
