#pragma once
// Consignments browser: the consignments received, filtered by period, supplier and number;
// the door to the receipt, the detail, annulment, deletion and the printouts.

#include "consignments/ListadoConsignaciones.h"

#include <QWidget>

#include <functional>

class Reporte;
class TFDatosComp;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableView;
namespace db {
class DatasetModel;
}

// Installs the purchase entry's consignment hooks (receipt and consignment chooser) on `datos`.
void ConectarVentanasConsignacion(TFDatosComp &datos);

class TfrmConsignaciones : public QWidget {
    Q_OBJECT
public:
    explicit TfrmConsignaciones(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmConsignaciones() override;

    FiltroConsignaciones Filtro() const;
    // ID_CONSIGNACION of the current row, 0 with an empty list.
    int IdSeleccionada() const;

    // Preview of a printout (tests replace it).
    std::function<void(Reporte &)> MostrarReporte;

    QDateEdit *cmbFechaInicial;
    QDateEdit *cmbFechaFinal;
    QLineEdit *edProveedor;
    QPushButton *btnFiltroProveedor;
    QPushButton *btnElimFiltroProveedor;
    QLineEdit *edComprobante;
    QTableView *SMDBGrid1;
    QPushButton *btnAgregar;
    QPushButton *btnVerDetalle;
    QPushButton *btnBorrar;
    QPushButton *btEliminar;
    QPushButton *btnReporte;
    QPushButton *btnCerra;

public slots:
    void Filtrar();
    void FormShow();
    void ProveedorElegido(int codigo, const QString &nombre);
    void btnAgregarClick();
    void btnVerDetalleClick();
    void btnBorrarClick();     // annul
    void btEliminarClick();
    // "Todas" or "Filtro".
    void Reportes(const QString &modo);
    void ExistenciasDevueltasEnCero();  // F3

protected:
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void Refrescar();
    void AnularOEliminar(bool eliminar);

    TFDatosComp &datos_;
    db::DatasetModel *dsConsignacion;
    int codigoProveedor_ = 0;
    bool mostrada_ = false;
    bool cargando_ = false;
};
