#pragma once
// Purchases browser: the supplier invoices of a period, filtered by supplier and number,
// and the door to every purchase command.

#include "purchases/ListadoCompras.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class TFDatosComp;

class QAction;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableView;
namespace db {
class DatasetModel;
}

class TfrmPrincipalCompras : public QWidget {
    Q_OBJECT
public:
    explicit TfrmPrincipalCompras(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmPrincipalCompras() override;

    FiltroCompras Filtro() const;
    ListadoCompras &Listado() { return listado_; }

    // Save dialog of the label workbook ("" when cancelled) and preview of the voucher.
    std::function<QString()> PedirArchivoEtiquetas;
    std::function<void(Reporte &)> MostrarReporte;

public slots:
    void Filtrar();
    // The supplier chooser's pick.
    void ProveedorElegido(int codigo, const QString &nombre);

    void btnVerDetalleClick();
    void btnAnularClick();
    void btnAgregarClick();
    void btnBorrarClick();
    void btComprasCCClick();
    void btnFiltroProveedorClick();
    void btnElimFiltroProveedorClick();
    void btnQuitaComprobanteClick();
    // Report menu: 1 summary, 2 detail, 3 by supplier, 4 net purchases.
    void ReporteCompras(int tipo);
    void ExportarExcel();
    // Grid menu.
    void ImprimirReporte();
    void GenerarEtiquetas();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *objeto, QEvent *event) override;

private:
    TFDatosComp &datos_;
    void FormShow();
    void AplicarLimitesFechas();
    void FechaCambiada();
    void SeleccionarPrimera();

    // Runs the filter again and selects `idCompra` when listed, otherwise row `fila` (the row
    // a deleted invoice held) or, without one, the first row.
    void Refrescar(int idCompra, int fila);

    // Windows and commands that other units provide; each stays behind one call.
    void AbrirAgregaCompra();
    void AbrirComprasCasaCentral();
    void AbrirDetalleFactura();
    void AnularCompra();
    void BorrarCompra();
    void AbrirReportePeriodo(int tipo);
    // Shows a window the browser waits on: disabled until it is gone.
    void AbrirDeshabilitado(QWidget *frm);
    void AbrirExportarCompras();
    void AbrirSelectorProveedor();

    ListadoCompras listado_;
    int codigoProveedor_ = 0;
    bool cargando_ = false;

    QDateEdit *cmbFechaInicial;
    QDateEdit *cmbFechaFinal;
    QLineEdit *edProveedor;
    QPushButton *btnFiltroProveedor;
    QPushButton *btnElimFiltroProveedor;
    QLineEdit *edcomprobante;
    QPushButton *btnQuitaComprobante;
    QComboBox *cbxOrden;
    QTableView *SMDBGrid1;
    QPushButton *btnCerra;
    QPushButton *btnVerDetalle;
    QPushButton *btnAnular;
    QPushButton *btnReporte;
    QPushButton *btnAgregar;
    QPushButton *btnBorrar;
    QPushButton *btComprasCC;
    db::DatasetModel *dsFacturasCompra;
};

// The instance opened by AbrirCompras.
extern QPointer<TfrmPrincipalCompras> frmPrincipalCompras;
