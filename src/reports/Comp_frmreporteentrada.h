#pragma once
// "Reporte de Entrada de Mercancía": invoices filtered by period, supplier and number, their
// lines picked into the report list, the customs header, and the printout.

#include "reports/ReporteEntrada.h"

#include <QWidget>

#include <functional>

class TFDatosComp;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableWidget;

class TfrmReporteEntrada : public QWidget {
    Q_OBJECT
public:
    explicit TfrmReporteEntrada(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmReporteEntrada() override;

    ReporteEntrada &Nucleo() { return nucleo_; }
    const std::vector<FacturaEntrada> &Facturas() const { return facturas_; }
    const std::vector<LineaEntrada> &Lineas() const { return lineas_; }

    // Opens the supplier chooser (set by whoever can open it); it answers ProveedorElegido.
    std::function<void()> ElegirProveedor;
    // Edits the header; false when cancelled. The header card unless replaced.
    std::function<bool(EncabezadoEntrada &)> EditarEncabezado;
    // Shows the prepared report (the preview unless replaced).
    std::function<void(Reporte &)> MostrarReporte;

public slots:
    void Filtrar();
    void ProveedorElegido(int codigo, const QString &nombre);
    void FacturaElegida(int fila);
    void BuscarArticulo();
    void AgregarLineaActual();
    void btnAgregarTodosClick();
    void btnAgregarFacturasClick();
    void btnBorrarArticuloClick();
    void btnBorrarTablaClick();
    void ImprimirReporteEntrada();
    void DatosEncabezado();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    FiltroEntrada Filtro() const;
    void MostrarLineas();
    void MostrarLista();
    bool Intentar(const std::function<void()> &accion);

    TFDatosComp &datos_;
    ReporteEntrada nucleo_;
    std::vector<FacturaEntrada> facturas_;
    std::vector<LineaEntrada> lineas_;
    int codProveedor_ = 0;
    bool mostrado_ = false;

    QDateEdit *edFechaInicial, *edFechaFinal;
    QLineEdit *edProveedor, *edComprobante, *edArticulo;
    QPushButton *btnProveedor, *btnLimpiarProveedor, *btnQuitarComprobante, *btnAgregarFacturas;
    QPushButton *btnLimpiarArticulo, *btnAgregarTodos, *btnBorrarTabla, *btnBorrarArticulo;
    QPushButton *btnCerrar, *btnReportes;
    QComboBox *cbxOrden;
    QTableWidget *grdFacturas, *grdLineas, *grdReporte;
};
