#pragma once
// Article card ("Ficha de Artículo"): creates one new article. Opened by the article search,
// purchase entry and the order editor; the new code goes back to the opener only once the
// article is committed.

#include "catalogs/FichaArticulo.h"
#include "pricing/CalculadoraPrecios.h"
#include "ui/UtilBusqueda.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class TFDatosComp;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;

class TfrmFichaArticulo : public QWidget {
    Q_OBJECT
public:
    // `origen` is OrigenFicha::Buscar, Agregar or AgregarP; `codigo` the code typed by the
    // opener (ignored for the search, which sets the tax percentage instead).
    TfrmFichaArticulo(TFDatosComp &datos, const QString &origen, const QString &codigo = QString(),
                      QWidget *parent = nullptr);

    // Shows the card without blocking, on top; `llamador` stays disabled until it closes.
    void AbrirDesde(QWidget *llamador);

    // Receives the new code after the commit, with the opener already enabled again.
    std::function<void(const QString &codigo)> AlGuardar;
    // The supplier lookup (another subsystem's window); it answers with ProveedorElegido.
    // While unset the user is told it is not available.
    static inline std::function<void(TfrmFichaArticulo &)> ElegirProveedor;

    const ArticuloFicha &Articulo() const { return art_; }
    FichaArticulo &Ficha() { return ficha_; }
    const CalculadoraPrecios &Calculadora() const { return *calc_; }

    // Called by the component chooser: quantity multiplied by the fraction when fractioned.
    void AgregarCompuesto(const QString &codigo, const QString &nombre, const Currency &costo, const Currency &cantidad,
                          bool fraccionado, int idFraccion);
    // Called by the fraction chooser; false when that fraction is already assigned.
    bool AgregarFraccionamiento(const QString &presentacion, int idFraccion, const Currency &ajuste);
    void ProveedorElegido(int codigo, const QString &nombre);
    void FamiliaElegida(const QString &codigo, const QString &nombre, bool proponerCodigo);
    void UbicacionElegida(int codigo, const QString &nombre);
    void UnidadElegida(int codigo, const QString &nombre);

    // Header
    QLineEdit *editCodBarras = nullptr, *editCodigo2 = nullptr, *editCodigo3 = nullptr;
    QPlainTextEdit *EditNombre = nullptr;
    QLineEdit *editNombre2 = nullptr, *edNombreProveedor = nullptr;
    QPushButton *btnBuscarProveedor = nullptr, *btnLimpiarProveedor = nullptr;
    QComboBox *cbxLaboratorio = nullptr;
    QPushButton *btnLaboratorios = nullptr;
    QTabWidget *Paginas = nullptr;
    QWidget *tabGeneral = nullptr, *tabPrecios = nullptr, *tabComposicion = nullptr, *tabFraccion = nullptr,
            *tabAdicional = nullptr, *tabObservaciones = nullptr;
    // General data
    QLineEdit *editExistencia = nullptr, *editApartads = nullptr, *editPrefacturados = nullptr, *editMinimo = nullptr,
              *editReponer = nullptr;
    QLineEdit *cbxFamilia = nullptr, *cbxUbicacion = nullptr, *cbxUnidad = nullptr;
    QPushButton *btnBuscarFamilia = nullptr, *btnNuevaFamilia = nullptr, *btnLimpiarFamilia = nullptr;
    QPushButton *btnBuscarUbicacion = nullptr, *btnNuevaUbicacion = nullptr, *btnLimpiarUbicacion = nullptr;
    QPushButton *btnBuscarUnidad = nullptr, *btnNuevaUnidad = nullptr, *btnLimpiarUnidad = nullptr;
    QLineEdit *dbedtCOSTO_PROMEDIO = nullptr, *DBEdit1 = nullptr;
    QWidget *PanelCostos = nullptr;
    QLineEdit *editPrecom = nullptr, *editPPP = nullptr;
    QDateEdit *editFecom = nullptr;
    QCheckBox *ckCompuesto = nullptr, *ckSerie = nullptr, *ckFraccionado = nullptr, *ckConsignacion = nullptr,
              *ckPromocion = nullptr, *ckPedidos = nullptr, *ckVencimiento = nullptr, *ckVentaPeso = nullptr,
              *ckActualizaExist = nullptr;
    // Prices
    QLabel *lblPrecio = nullptr;
    QLineEdit *editPrecio = nullptr, *editPORCIV = nullptr, *editDescMax = nullptr;
    QLabel *lblDescMax = nullptr, *lblPorcDesc = nullptr, *lblNotaDesc = nullptr;
    QCheckBox *chkGravado = nullptr, *chkIV = nullptr, *ckRedondeaFinal = nullptr, *ckNoDesc = nullptr;
    QWidget *PanelCalculo = nullptr;
    QLabel *lblPrecio1 = nullptr, *lblPrecio2 = nullptr, *lblAvisoPrecios = nullptr;
    std::array<QComboBox *, 4> cbxBase{};
    std::array<QLineEdit *, 4> editCoefA{}, editCoefB{}, editRedondeo{}, editSumaFija{}, editPrecioSin{}, edPrecioSin{},
        editPrecioCon{};
    // Composition, fractions
    QTableWidget *gridComposicion = nullptr;
    QPushButton *btnAgregarCompuesto = nullptr, *btnBorrarCompuesto = nullptr;
    QLabel *lblCostoComponentes = nullptr;
    QTableWidget *SMDBGrid1 = nullptr;
    QPushButton *btnAgregarFraccion = nullptr, *btnBorrarFraccion = nullptr;
    // Additional information, remarks and active ingredients
    std::array<QLabel *, 4> lblNombre{};
    std::array<QLineEdit *, 4> edLibre{};
    QLineEdit *edObs = nullptr;
    QTableWidget *grid_Compo = nullptr;
    QComboBox *DBCombo_Droga = nullptr;
    QLineEdit *dbedt_Cantidad = nullptr;
    QPushButton *btnAgregarCompo = nullptr, *btnBorrarCompo = nullptr, *btnAceptarCompo = nullptr,
                *btnCancelarCompo = nullptr;
    QPushButton *btnAceptar = nullptr, *btnCancelar = nullptr;

signals:
    void articuloGuardado(const QString &codigo);
    void cerrada();

public slots:
    void btnAceptarClick();
    void btnCancelarClick();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    void Construir();
    QWidget *ConstruirGeneral();
    QWidget *ConstruirPrecios();
    QWidget *ConstruirComposicion();
    QWidget *ConstruirFraccion();
    QWidget *ConstruirAdicional();
    QWidget *ConstruirObservaciones();
    void Conectar();
    void FormShow();
    void InicializaVentana();
    void MostrarTabs();
    void ValidaRedondeoFinal();
    void MostrarLimiteDescuento();
    void AsignarFamilia();
    void VerificarUnicidadCodigoBarras();
    void CantidadExit(QLineEdit *ed, Currency &campo);
    void DescuentoExit();
    // Runs `cambio` on the calculator and shows the result; a value it refuses gets a balloon on `ed`.
    void Recalcular(QWidget *ed, const std::function<void(CalculadoraPrecios &)> &cambio);
    void MostrarPrecios();
    void CostoCompuestoAPrecio();
    void RefrescarComposicion();
    void RefrescarFracciones();
    void RefrescarIngredientes();
    void ModoIngrediente(bool agregando);
    void CargarLaboratorios();
    void LeerControles();
    QWidget *ControlDe(FalloFicha::Campo campo) const;
    Currency Valor(QLineEdit *ed) const;
    void Mostrar(QLineEdit *ed, Currency valor, bool cantidad = false);

    TFDatosComp &datos_;
    FichaArticulo ficha_;
    QString origen_;
    ArticuloFicha art_;
    std::optional<CalculadoraPrecios> calc_;
    bool preparando_ = true;
    QString cerrando_;  // "Cancelar" once saving or cancelling
    bool mostrada_ = false;
    QString vCodigoFam, vCodigoUbi, vCodigoUni;
    QString nombreFamilia_;
    QString formatoCantidad_;
    Llamador llamador_;
};

// Opens a new article card for `llamador` (disabled until the card closes) with caller tag
// `origen`; `alGuardar` receives the new code once it is committed (never on cancel or failure).
TfrmFichaArticulo *AbrirFichaArticuloNueva(TFDatosComp &datos, QWidget *llamador, const QString &codigo,
                                           const QString &origen,
                                           std::function<void(const QString &codigoNuevo)> alGuardar);
