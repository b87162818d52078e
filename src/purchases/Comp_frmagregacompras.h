#pragma once
// Purchase invoice entry ("Agregar Comprobante de Compras"): supplier, number, date and the
// lines typed by article code; totals, global discount, spreadsheet import, and the hand-over
// to the payment window. The work itself is EntradaCompra's; this window gathers and shows.

#include "purchases/EntradaCompra.h"
#include "ui/UtilBusqueda.h"

#include <QWidget>

#include <functional>
#include <memory>

class TFDatosComp;

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QWidget;
namespace db {
class DatasetModel;
}

class TfrmAgregaCompra : public QWidget {
    Q_OBJECT
public:
    // modo: "Compra" (purchases browser); other modes belong to the consignment entry.
    explicit TfrmAgregaCompra(TFDatosComp &datos, const QString &modo = EntradaCompra::ModoCompra, QWidget *parent = nullptr);
    ~TfrmAgregaCompra() override;

    // Shows the window without blocking; `llamador` stays disabled until it closes.
    void AbrirDesde(QWidget *llamador);

    EntradaCompra &Entrada() { return *entrada_; }
    const QString &Modo() const { return entrada_->Modo(); }
    // The line being typed.
    Currency CostoUnitario;
    Currency Existencia;
    bool Fraccionado = false;
    Currency ValorAlEntrar;
    bool ArchivoElegido = false;

    // Hooks for windows other units provide, and for tests.
    // The payment window; while unset the user is told it is not available.
    static inline std::function<void(TfrmAgregaCompra &)> AbrirPagoCompra;
    // The article card for a new code (after the right check).
    static inline std::function<void(TfrmAgregaCompra &, const QString &codigo)> AbrirFichaArticulo;
    // The file chooser of the import ("" when cancelled) and the user's documents folder.
    static inline std::function<QString(QWidget *)> PedirArchivo;
    static inline std::function<QString()> CarpetaDocumentos;
    // Consignment mode's "Procesar" (the receipt) and "Procesar Consignación" (the consignment
    // chooser); set by the consignment windows. While unset the user is told they are not available.
    static inline std::function<void(TfrmAgregaCompra &)> AbrirGuardarConsignacion;
    static inline std::function<void(TfrmAgregaCompra &)> AbrirFacturarConsig;

    // Controls (object names as in the form).
    QLineEdit *edNombreProveedor;
    QPushButton *btnBuscaProveedor;
    QComboBox *edComprobante;
    QLineEdit *edComprob;
    QDateEdit *edFecha;
    QRadioButton *rbMoneda1;
    QRadioButton *rbMoneda2;
    QWidget *pnlDestino;
    QLineEdit *edDestino;
    QPushButton *btnBuscarBodega;
    QLineEdit *edCodigo;
    QLineEdit *edPrecio;
    QLineEdit *edCantidad;
    QTableView *GridCompra;
    QLineEdit *edSubtotal1;
    QLineEdit *edPOrceDesc;
    QLineEdit *edImporteDesc;
    QLineEdit *edSubTotal2;
    QLineEdit *edImpuesto;
    QLineEdit *edTotal;
    QLineEdit *edArchivoXLS;
    QPushButton *btnSearchFile;
    QPushButton *JvArrowButton2;
    QPushButton *btn_GenPlanilla;
    QPushButton *btnSalir;
    QPushButton *btnAnular;
    QPushButton *btnEmitir;

public slots:
    void FormShow();
    // Exit steps of the line fields and the discount fields.
    void edCodigoExit();
    void edPrecioExit();
    void edCantidadExit();
    void edPOrceDescExit();
    void edImporteDescExit();
    void edComprobExit();

    void btnBuscaProveedorClick();
    void ProveedorElegido(int codigo, const QString &nombre, int tipoMoneda);
    void btnBuscarBodegaClick();
    void BuscarArticulos();  // F2
    void ArticuloElegido(const QString &codigo);
    void btnEmitirClick();   // F9, "Procesar"
    // After the checks (and after the purchase-price choice).
    void ProcesarComprobante();
    void btnAnularClick();   // F10
    void btnSalirClick();    // Esc
    void EliminarLinea();    // Supr in the grid
    void ModificarLinea();   // double click in the grid
    void btnSearchFileClick();
    void CargarArchivo();    // "Cargar"
    void btn_GenPlanillaClick();
    void MostrarTotales();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    TFDatosComp &datos_;
    void LimpiarLinea();
    void MostrarEncabezado();
    void ElegirPrecios(const QStringList &codigos);
    void AbrirPago();
    void AbrirDevolucion();
    void ArticuloNoEncontrado(const QString &codigo);
    void TipoComprobanteCambiado(int indice);
    void MonedaCambiada();
    bool Tecla(QObject *objeto, QKeyEvent *e);
    int LineaActual() const;
    QString FormatoCantidad() const;

    std::unique_ptr<EntradaCompra> entrada_;
    db::DatasetModel *modelo_ = nullptr;
    Llamador llamador_;
    bool mostrada_ = false;
    bool mostrando_ = false;
    bool enSalida_ = false;
    bool cambiandoMoneda_ = false;
    int decimalesCantidad_ = 0;
};

// Opens purchase entry for `modo` from `llamador` (disabled while it is open); any mode but
// "Compra" is the consignment entry ("Agregar Comprobante de Consignación").
TfrmAgregaCompra *AbrirAgregaCompra(TFDatosComp &datos, QWidget *llamador,
                                    const QString &modo = EntradaCompra::ModoCompra);
