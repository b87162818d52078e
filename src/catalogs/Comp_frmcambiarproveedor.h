#pragma once
// Supplier chooser ("Buscar Proveedor") and the search-window base it shares with the
// supplier selector. The pick is handed back through proveedorElegido; TProveedores is
// left on the chosen supplier so the caller can read any other field from there.

#include "catalogs/BusquedaProveedores.h"
#include "ui/UtilBusqueda.h"

class TFDatosComp;

#include <QWidget>
#include <optional>

class QLineEdit;
class QPushButton;
class QTableView;

// Search window over TProveedores with a name field, the supplier grid and Aceptar/Cancelar.
class VentanaBuscaProveedor : public QWidget {
    Q_OBJECT
public:
    // Shows the window without blocking; `llamador` is disabled until it closes when
    // `deshabilitar` is true.
    void AbrirDesde(QWidget *llamador, bool deshabilitar);
    // Shows the window modally and returns once it has closed (or been hidden).
    void MostrarModal();

    // Runs the list for the text in the search field.
    void Filtrar();

    QLineEdit *edNombre = nullptr;
    QTableView *GridProveedor = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;

signals:
    // tipoMoneda: the supplier's TIPO_MONEDA (0 when not set).
    void proveedorElegido(int codigo, const QString &nombre, int tipoMoneda);
    void cerrada();

public slots:
    void btnAceptarClick();
    void btnCancelarClick();

protected:
    VentanaBuscaProveedor(TFDatosComp &datos, const QString &titulo, const QSize &areaCliente, QWidget *parent);
    virtual ConsultaFiltrada Consulta(const QString &texto) const = 0;
    // Extra effect of a pick, before the signal.
    virtual void AplicarEleccion() {}
    // False when closing only hides the window.
    virtual bool LiberarAlCerrar() const { return true; }

    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

    TFDatosComp &datos_;
    // The search field takes the focus back whenever the window is activated.
    bool focoAlActivar_ = false;

private:
    db::DatasetModel *modelo_ = nullptr;
    Llamador llamador_;
    bool centrada_ = false;
};

class TfrmCambiarProveedor : public VentanaBuscaProveedor {
    Q_OBJECT
public:
    explicit TfrmCambiarProveedor(TFDatosComp &datos, QWidget *parent = nullptr);

    // Who asked: "Buscar", "Agregar", "BuscarConsig", "Pedido", "FiltroAgregarPedido",
    // "AgregarPedido" or "Aduana". Callers apply the effect of their mode.
    QString Modo;

protected:
    ConsultaFiltrada Consulta(const QString &texto) const override;
};
