#pragma once
// Order editor ("Pedido"): a new order typed or proposed by the replenishment filter, or a saved
// order shown read-only.

#include "orders/Pedidos.h"

#include <QWidget>

#include <functional>
#include <memory>

class TFDatosComp;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

class TfrmAgregarPedido : public QWidget {
    Q_OBJECT
public:
    explicit TfrmAgregarPedido(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmAgregarPedido() override;

    // A new order: the expected number, today's date, no supplier (unless given).
    void NuevoPedido();
    void EstablecerProveedor(int codigo, const QString &nombre);
    void CargarLineas(const LineasPedido &lineas);
    // The saved order, read-only, with "&Reimprimir".
    void MostrarPedido(const PedidoListado &pedido);

    const LineasPedido &Lineas() const { return lineas_; }
    bool SoloLectura() const { return soloLectura_; }

    // Runs when the typed code is unknown and the user may add articles; the default tells the
    // user the article card is not available yet.
    std::function<void(TfrmAgregarPedido &, const QString &codigo)> AbrirFichaArticulo;
    // Prints the control report of an order (the orders browser's); `verNombre2` is the check box.
    std::function<void(const PedidoListado &, bool verNombre2)> ReporteControl;

    QLineEdit *edProveedor = nullptr;
    QPushButton *btnBuscaProv = nullptr;
    QDateEdit *edFecha = nullptr;
    QLineEdit *edComprob = nullptr;
    QLineEdit *edDescrip = nullptr;
    QLabel *lblCodigo = nullptr;
    QLineEdit *edCodigo = nullptr;
    QPushButton *btnBuscar = nullptr;
    QLabel *lblCantidad = nullptr;
    QLineEdit *edCantidad = nullptr;
    QLabel *lblCmbCodigo = nullptr;
    QComboBox *cmbCodigo = nullptr;
    QCheckBox *chkNombre2 = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;
    QPushButton *btnReimprimir = nullptr;
    QProgressBar *pbGuardar = nullptr;
    QTableWidget *gDetalle = nullptr;

signals:
    void pedidoGuardado(const QString &comprobante);
    void cerrada();

public slots:
    void edCodigoExit();
    void edCantidadExit();
    void btnAceptarClick();
    void btnReimprimirClick();
    void BorrarLinea();
    void ModificarCantidad();

protected:
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void BuscarProveedor();
    void BuscarArticulo();
    void Refrescar();
    void ResetearLinea();

    TFDatosComp &datos_;
    std::unique_ptr<Pedidos> pedidos_;
    LineasPedido lineas_;
    int codProveedor_ = 0;
    bool soloLectura_ = false;
    bool llenando_ = false;
    PedidoListado mostrado_;
};
