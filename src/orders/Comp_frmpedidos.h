#pragma once
// Orders browser ("Pedidos de Mercadería"): the orders of a period and supplier, and the door to
// new orders, viewing, annulment, the control report, the export and the list report.

#include "orders/Pedidos.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class TFDatosComp;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TfrmPedidos : public QWidget {
    Q_OBJECT
public:
    explicit TfrmPedidos(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmPedidos() override;

    void Filtrar();
    void EstablecerProveedor(int codigo, const QString &nombre);
    // The current row's order, if any.
    std::optional<PedidoListado> Actual() const;
    int Filas() const { return static_cast<int>(lista_.size()); }

    // Control report of an order (preview).
    void ReporteControl(const PedidoListado &pedido, bool verNombre2);

    // Asks for the export file (a save dialog by default); empty cancels.
    std::function<QString()> PedirArchivo;

    QPushButton *btnCerra = nullptr;
    QPushButton *btnVerDetalle = nullptr;
    QPushButton *btnBorrar = nullptr;
    QPushButton *btnReporte = nullptr;
    QPushButton *btnAgregar = nullptr;
    QDateEdit *cmbFechaInicial = nullptr;
    QDateEdit *cmbFechaFinal = nullptr;
    QLineEdit *edProveedor = nullptr;
    QPushButton *btnFiltroProveedor = nullptr;
    QPushButton *btnElimFiltroProveedor = nullptr;
    QTableWidget *SMDBGrid1 = nullptr;

public slots:
    void btnAgregarClick();
    void btnVerDetalleClick();
    void btnBorrarClick();
    void btnReporteClick();
    void mnureimprimeexcelClick();

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    void Deshabilitar(QWidget *hija);

    TFDatosComp &datos_;
    std::unique_ptr<Pedidos> pedidos_;
    std::vector<PedidoListado> lista_;
    int codProveedor_ = 0;
};

// The browser the host opened (null when closed).
extern QPointer<TfrmPedidos> frmPedidos;
