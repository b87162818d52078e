#pragma once
// "Procesar Facturas  de Compras a Casa Central": the head office's invoices to this store,
// with their recorded state, filters and order; processing one opens its detail.

#include "purchases/ImportacionCentral.h"

#include <QWidget>

#include <memory>
#include <vector>

class TFDatosComp;

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

class TfrmComprasCC : public QWidget {
    Q_OBJECT
public:
    // `importacion` null: built from the data module's connections and settings.
    explicit TfrmComprasCC(TFDatosComp &datos, std::unique_ptr<ImportacionCentral> importacion = nullptr,
                           QWidget *parent = nullptr);
    ~TfrmComprasCC() override;

    // Connects, identifies store and supplier, and loads the list; false when the window closed.
    bool Cargar();
    const std::vector<const FacturaCentral *> &Visibles() const { return visibles_; }
    ImportacionCentral &Importacion() { return *imp_; }

public slots:
    void Filtrar();
    void btnProcesarClick();
    void btnQuitaComprobanteClick();

signals:
    void facturaRegistrada(int idCompra);

protected:
    void showEvent(QShowEvent *e) override;

private:
    void Log(const QString &linea);
    void Cerrar();

    TFDatosComp &datos_;
    std::unique_ptr<ImportacionCentral> imp_;
    ProveedorCentral proveedor_;
    int nroTienda_ = 0;
    bool cargando_datos = true;
    bool cargado_ = false;
    std::vector<FacturaCentral> facturas_;
    std::vector<const FacturaCentral *> visibles_;

    QDateEdit *cmbFechaInicial, *cmbFechaFinal;
    QLineEdit *edcomprobante;
    QPushButton *btnQuitaComprobante;
    QComboBox *cbxOrden, *cbTipo;
    QTableWidget *grdFacturasCC;
    QPushButton *btnProcesar, *btnCerra;
    QPlainTextEdit *Memo_conexion;
};
