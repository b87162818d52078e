#pragma once
// Purchase document entry without widgets: the workstation's document in TEMPORAL_ENC_COMPRA
// and TEMPORAL_COMPRAS, line adding and accumulation, recalculation, totals, global discount,
// the checks before processing; the spreadsheet import and order loading add lines through it.
// The entry window and the command line poster drive the same operations.
//
// Every statement on the work tables is restricted to this workstation (NRO_CAJA and
// COMPUTADORA) and written through the write layer (records/TablasTrabajoCompra.h). Each
// operation that writes commits the store update transaction at its end, or rolls it back and
// leaves the work rows, the line list and the totals as they were. Failures are reported
// through the result, UltimoError() and the Mensajes service given (the module's by default).

#include "purchases/ImportacionCompra.h"
#include "records/ConexionesCompra.h"
#include "platform/Currency.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Mensajes;
class TFDatosComp;
class THojaCalc;
struct EstacionCompra;
struct FilaArticuloNuevo;

// The INVENTARIO fields a purchase line needs.
struct ArticuloCompra {
    QString codigo;  // COD_BARRAS
    QString nombre, familia;
    bool compuesto = false;
    bool gravado = false;           // GRAVADO = "S"
    bool impuestoIncluido = false;  // IMPUESTO_INCLUIDO = "S"
    bool fraccionado = false;
    bool tieneSerie = false;
    Currency porcIv;            // PORC_IV
    Currency precioCompra;      // PRECIO_COMPRA
    Currency descuentoMaximo;   // DESC_MAX_ART
    Currency precioSinIv1, precioConIv1;
    Currency stock;
    int baseCalculo1 = 0;
};

// One TEMPORAL_COMPRAS row.
struct LineaEntrada {
    int id = 0;  // ID_TEMP_COMPRA
    QString codigo, nombre, familia;
    Currency cantidad;
    Currency costo;      // IMPORE_COSTO
    Currency unitSinIv;  // IMP_UNIT_SIN_IV
    Currency unitConIv;  // IMP_UNIT_CON_IV
    QString gravado, ivi, fraccionado, tieneSerie;
    Currency porceIvArticulo;  // PORCE_IV_ARTI
    Currency porceIv;          // PORCE_IV
    Currency porceDesc, importeDescuento;
    Currency subtotalGravado, subtotalNoGravado, totalGravado, totalNoGravado;
    Currency importeIv;  // IMPORTE_TOLAL_IV
    Currency totalSinIv, totalConIv;
    Currency precioVenta, precioVentaAnterior, descuentoMaximo;
    int numeroLinea = 0;

    bool esGravada() const { return gravado == QLatin1String("S"); }
    // The grid's Subtotal column.
    Currency Subtotal() const;
};

struct TotalesEntrada {
    Currency SubtotalGravado, SubtotalNoGravado, TotalGravado, TotalNoGravado;
    Currency TotalSinIV, SubTotal2, Impuesto, Descuento, Total;
    // Descuento / TotalSinIV x 100 (0 without a discount).
    Currency PorcentajeDescuento() const;
};

// A cost chosen for an article typed at several costs.
struct PrecioElegido {
    QString codigo;
    Currency costo;
};

// What the line editor changes on one line.
struct CambioLinea {
    Currency costo;
    Currency cantidad;
    Currency porcDescuento;
    bool gravado = false;
    bool ivi = false;
    Currency precioVenta;
};

// Amounts the line editor shows while typing.
struct CalculoLinea {
    Currency subtotal, descuento, total;
};

// A line appended in a group (spreadsheet import, order loading).
struct LineaNueva {
    ArticuloCompra articulo;
    bool crearArticulo = false;  // unknown code: its INVENTARIO row is written with the line
    Currency cantidad, costo;
    std::optional<Currency> porcDescuento;  // the global discount in force when empty
    std::optional<Currency> precioVenta;    // the article's sale price when empty
    bool editada = false;  // taken through the line editor's recalculation, as its Aceptar does
    std::optional<Currency> enConsignacion;  // a consignment line being invoiced (that quantity)
};

// A consignment loaded to be invoiced: its supplier, number and the lines sold and not yet invoiced.
struct CargaConsignacion {
    int idConsignacion = 0;
    QString nroConsignacion;
    int codProveedor = 0;
    QString nombreProveedor;
    std::vector<LineaNueva> lineas;
};

// A line typed by article code, for a document entered in one go.
struct ArticuloTecleado {
    QString codigo;
    Currency cantidad, costo;
    std::optional<Currency> porcDescuento;  // the line editor's percentage; the global one when empty
    std::optional<Currency> precioVenta;    // the line editor's new sale price
};

class EntradaCompra {
public:
    static inline const QString ModoCompra = QStringLiteral("Compra");
    static inline const QString TipoFactura = QStringLiteral("Factura");
    static inline const QString TipoNotaCredito = QStringLiteral("Nota de Crédito");
    static inline const QString TipoConsignacion = QStringLiteral("Procesar Consignación");
    static inline const QString TipoPedido = QStringLiteral("Procesar Pedido");
    static inline const QString kInventarioPrincipal = QStringLiteral("INVENTARIO PRINCIPAL");
    static inline const QString kPlantilla = QStringLiteral("Comp_importar_compras.xlsx");
    static constexpr int kLargoComprobante = 12;
    static constexpr int kLargoCodigo = 30;   // COD_BARRAS
    static constexpr int kLargoBodega = 20;   // COD_BODEGA
    static constexpr int kPrimeraFilaImportacion = 3;

    // Limits of a typed or imported line.
    static constexpr Currency kCantidadMaxima = ::kCantidadMaxima;
    static constexpr Currency kCostoMaximo = kImporteMaximo;
    static constexpr Currency kTotalLineaMaximo = kImporteMaximo;
    static constexpr Currency kTotalMaximo = kImporteMaximo;

    // Messages the window and the poster show.
    static inline const QString kArticuloCompuesto = QStringLiteral("No se pueden comprar articulos compuestos.");
    static inline const QString kArticuloNoEncontrado =
        QStringLiteral("Artículo no encontrado. ¿Desea agregarlo al inventario?");
    static inline const QString kPreguntaCambioCosto = QStringLiteral(
        "El artículo ya se encuentra en la lista con diferente precio, desea cambiar el precio por el actual?");
    static inline const QString kDebePrecio = QStringLiteral("Debe digitar un precio de compra");
    static inline const QString kDebeCantidad = QStringLiteral("Debe digitar una cantidad mayor a cero");
    static inline const QString kCantidadExcede = QStringLiteral("La cantidad no puede ser mayor a 999,999.9999.");
    static inline const QString kCostoExcede =
        QStringLiteral("El costo no puede ser mayor a 999,999,999.99 ni el total de la línea pasar de ese monto.");
    static inline const QString kTotalExcede =
        QStringLiteral("El total del comprobante no puede ser mayor a 999,999,999.99.");
    static inline const QString kPorcentajeMayor100 =
        QStringLiteral("El porcentaje de descuento no puede ser mayor a 100%");
    static inline const QString kPorcentajeNegativo =
        QStringLiteral("El porcentaje de descuento no puede ser negativo");
    static inline const QString kSinProveedor = QStringLiteral("Debe seleccionar un Proveedor");
    static inline const QString kSinComprobante = QStringLiteral("Debe digitar en Número de Comprobante");
    static inline const QString kSinFecha = QStringLiteral("Debe digitar la Fecha de Compra");
    static inline const QString kSinLineas = QStringLiteral("No puede procesar un comprobante sin líneas");
    static inline const QString kComprobanteUsado =
        QStringLiteral("Este Comprobante ya fue Utilizado por este proveedor");
    static inline const QString kProveedorExento =
        QStringLiteral("El proveedor esta exento de impuestos, los mismos seran omitidos.");
    static inline const QString kSinArchivo = QStringLiteral("Debe seleccionar un archivo para importar");
    static inline const QString kNoRecalcula = QStringLiteral("No se pudo recalcular las lineas.");
    static inline const QString kNoEliminaTemporal = QStringLiteral("No se pudieron eliminar los datos.");
    static inline const QString kNoConvierteLineas = QStringLiteral(
        "No se pudo cambiar la moneda: algún costo convertido queda fuera del rango permitido.");
    static inline const QString kNoCambiaMoneda = QStringLiteral("No se pudo cambiar la moneda del comprobante.");
    static inline const QString kNoConvierteTipoCambio =
        QStringLiteral("No se pueden convertir las líneas a la otra moneda porque el tipo de cambio es cero.");
    static inline const QString kNoGuardaEncabezado =
        QStringLiteral("No se pudo guardar el encabezado del comprobante.");

    enum class Resultado {
        Agregada,      // a new line
        Acumulada,     // added to the article's line
        NoEncontrado,  // no article has that code
        Compuesto,     // composite articles are not bought
        CantidadInvalida,
        CostoInvalido,
        Error,         // database failure; nothing changed (ultimoError())
    };

    // What to do when a repeated article comes at another cost.
    enum class CambioCosto { Preguntar, Cambiar, Mantener };

    enum class Falla {
        Ninguna,
        SinProveedor,
        SinComprobante,
        SinFecha,
        SinLineas,
        TipoCambioCero,       // the document is in the second currency and a rate is 0
        ElegirPrecios,        // accumulation off and articles at several costs
        ComprobanteUsado,
        ErrorBaseDatos,       // mensaje holds the database's text
        TotalExcede,          // the document's total is above kTotalMaximo or could not be summed
    };
    struct Validacion {
        Falla falla = Falla::Ninguna;
        QString mensaje;
        QStringList codigosVariosCostos;  // for ElegirPrecios
        explicit operator bool() const { return falla == Falla::Ninguna; }
    };

    // modo: "Compra", or any other text for the consignment entry.
    explicit EntradaCompra(TFDatosComp &datos, const QString &modo = ModoCompra);
    ~EntradaCompra();
    EntradaCompra(const EntradaCompra &) = delete;
    EntradaCompra &operator=(const EntradaCompra &) = delete;

    // Workstation: the data module's NroCaja and the ComputerName host variable unless set.
    void EstablecerEstacion(int nroCaja, const QString &computadora);
    int NroCaja() const { return nroCaja_; }
    // Where questions and failures are shown; nullptr: the module's service.
    void EstablecerMensajes(Mensajes *m) { mensajes_ = m; }
    const QString &Computadora() const { return computadora_; }

    // ---- Opening
    // Resets the document state and reads the settings (accumulation, warehouses).
    void Iniciar();
    // Opens TMP_Compra on this station's lines. With lines, restores the header and the
    // totals; without, deletes a stale header. True when a document was restored.
    bool Restaurar();

    // ---- Header (each setter saves the header of the station)
    const QString &Modo() const { return modo_; }
    bool EsCompra() const { return modo_ == ModoCompra; }
    int CodigoProveedor() const { return codigoProveedor_; }
    const QString &NombreProveedor() const { return nombreProveedor_; }
    void EstablecerProveedor(int codigo, const QString &nombre);
    // The header's fields are committed one by one as they are set (a window changes them one at a
    // time). Between DiferirEncabezado and ConfirmarEncabezado they are written but committed
    // together at the end, as when a whole header is set at once. ConfirmarEncabezado: false,
    // with UltimoError() set and nothing kept, when the commit fails.
    void DiferirEncabezado() { encabezadoDiferido_ = true; }
    bool ConfirmarEncabezado();
    const QString &Comprobante() const { return comprobante_; }
    // False (nothing saved) when the number is longer than kLargoComprobante or holds control
    // or invisible characters.
    bool EstablecerComprobante(const QString &numero);
    const QDate &Fecha() const { return fecha_; }
    void EstablecerFecha(const QDate &fecha);
    const QString &TipoComprobante() const { return tipoComprobante_; }
    void EstablecerTipoComprobante(const QString &tipo);
    // 1 local, 2 second currency. The second currency is refused (false, motivo set) while
    // COMPRA_MULTIMONEDA is not "S" or an exchange rate is 0. Existing lines are converted to
    // the new currency at the exchange rate (aviso says so); when a converted cost would not
    // fit the bounds, or a rate is 0, nothing changes and the result is false.
    int Moneda() const { return moneda_; }
    bool EstablecerMoneda(int moneda, QString *motivo = nullptr, QString *aviso = nullptr);
    bool TipoCambioValido() const;
    QString MensajeTipoCambioCero() const;
    // Destination of the goods: the main inventory, or a warehouse.
    bool UsaBodega() const { return usaBodega_; }
    bool InventarioPrincipal() const { return inventarioPrincipal_; }
    const QString &CodBodega() const { return codBodega_; }
    const QString &Destino() const { return destino_; }
    void EstablecerDestino(bool principal, const QString &codBodega, const QString &descripcion);

    bool AcumulaRenglones() const { return acumulaRenglones_; }
    void EstablecerAcumulaRenglones(bool acumula) { acumulaRenglones_ = acumula; }
    // Answers to a repeated article at another cost (Preguntar asks through mensajes()).
    void EstablecerCambioCosto(CambioCosto politica) { cambioCosto_ = politica; }

    Currency PorcDescuento() const { return porcDescuento_; }
    bool ProveedorExento() const { return proveedorExento_; }
    int NumeroLinea() const { return numeroLinea_; }

    // Order and consignment hand-over (set by the windows that fill the entry).
    bool ModoPedido = false;
    QString NroPedido;
    int NumCodigoInventario = 0;
    bool ConsignacionAFacturar = false;
    int IdConsignacion = 0;
    QString NroConsignacion;

    // ---- Articles
    // By COD_BARRAS, CODIGO2 or CODIGO3 (an exact COD_BARRAS match first).
    std::optional<ArticuloCompra> BuscarArticulo(const QString &codigo);
    // PRECIO_COMPRA without the tax when it includes it, in the document's currency.
    Currency CostoPropuesto(const ArticuloCompra &articulo) const;

    // ---- Lines
    // Adds `cantidad` of the article at unit cost `costo` (document currency, without tax):
    // a new line, or, with accumulation on, onto the article's line (asking before changing
    // its cost). Then every line is recalculated and the totals computed.
    Resultado AgregarArticulo(const QString &codigo, Currency cantidad, Currency costo);
    // The line editor's Aceptar. A percentage that differs from the line's clears the global
    // discount in force. False (nothing changed) for an unknown line or invalid values.
    bool ModificarLinea(int idLinea, const CambioLinea &cambio);
    // Amounts of the line editor for a cost, quantity and percentage.
    static CalculoLinea CalcularEdicion(Currency costo, Currency cantidad, Currency porcDescuento);
    bool EliminarLinea(int idLinea);
    // Recomputes every line's discount, subtotals, totals and tax (only changed rows are written).
    bool RecalcularLineas();
    // Sums the station's lines into Totales().
    void CalcularSubTotales();
    const TotalesEntrada &Totales() const { return totales_; }
    std::vector<LineaEntrada> Lineas();
    std::optional<LineaEntrada> Linea(int idLinea);
    int CantidadLineas();

    // ---- Global discount
    // Sets the percentage on every line and recalculates. False for a value outside 0..100
    // (motivo set) or a database failure.
    bool AplicarDescuentoGlobal(Currency porcentaje, QString *motivo = nullptr);
    // An amount above 0 and not above TotalSinIV becomes a percentage (four decimals) and is
    // applied; otherwise nothing happens and the result is false.
    bool AplicarDescuentoImporte(Currency importe);
    // The line editor changed a line's own percentage: no global discount in force any more.
    void QuitarDescuentoGlobal();

    // ---- Clearing
    // Deletes the station's header and lines; resets discount and date.
    bool LimpiarFactura();

    // ---- Processing checks
    // Header fields, lines, exchange rate, the price choice (accumulation off) and the
    // document number already used; the first failure.
    Validacion Validar();
    QStringList ArticulosConVariosCostos();
    // Distinct costs of an article on this station, highest first.
    std::vector<Currency> CostosDeArticulo(const QString &codigo);
    bool ComprobanteUtilizado();
    bool EsProveedorExento();
    // Takes the tax out of the totals of an exempt supplier; true when it did.
    bool AplicarExencion();

    // ---- Purchase-price choice
    // The chosen costs are kept here (not written to INVENTARIO) until the posting.
    void EstablecerPreciosElegidos(std::vector<PrecioElegido> precios);
    bool HayPreciosElegidos() const { return preciosElegidosActivo_; }
    const std::vector<PrecioElegido> &PreciosElegidos() const { return preciosElegidos_; }
    void QuitarPreciosElegidos();

    // ---- Lines added in a group
    // Appends `lineas` (never accumulated), writing the INVENTARIO rows of those marked new,
    // recalculates and commits: all or none. False, with UltimoError() set and nothing
    // written, on failure. progreso(done, total) after each line.
    bool AgregarLineas(const std::vector<LineaNueva> &lineas, const std::function<void(int, int)> &progreso = {});
    // Where AgregarArticulos stopped: the first line at fault (-1 when none or not a line's fault).
    struct ResultadoLote {
        Resultado resultado = Resultado::Agregada;
        int indice = -1;
        explicit operator bool() const { return resultado == Resultado::Agregada; }
    };
    // The document of `lineas` as AgregarArticulo one after another, then
    // AplicarDescuentoGlobal(porcGlobal) when above 0, then the line editor's Aceptar on each
    // line that brings a percentage or a sale price would leave it, written in one transaction
    // with one totals pass (AgregarLineas). Only on a document without lines (Error otherwise).
    // Nothing is written when a line is refused.
    ResultadoLote AgregarArticulos(const std::vector<ArticuloTecleado> &lineas, Currency porcGlobal = Currency());
    // A new article with the store's defaults (flags as given, else PRECIO_GRAVADO and PRECIO_IVI).
    ArticuloCompra ArticuloNuevo(const QString &codigo, const QString &nombre, std::optional<bool> gravado,
                                 std::optional<bool> ivi) const;
    // PORCENTAJE_IV of the store.
    Currency PorcentajeIvTienda() const;

    // ---- Spreadsheet import (ImportacionCompra on this entry)
    ResultadoImportacion ImportarHoja(const THojaCalc &hoja,
                                      const std::function<void(int, int)> &progreso = {});
    ResultadoImportacion ImportarArchivo(const QString &archivo,
                                         const std::function<void(int, int)> &progreso = {});
    static bool EscribirPlantillaImportacion(const QString &archivo, QString *error = nullptr);
    static QString CopiarPlantilla(const QString &carpetaReportes, const QString &carpetaDocumentos,
                                   QString *error);

    // ---- Consignment being invoiced
    // Appends the lines with the consignment's supplier and number in one transaction, then
    // marks the document as its settlement. False, with UltimoError() set and the entry as it
    // was, on failure.
    bool CargarConsignacion(const CargaConsignacion &carga);

    // ---- Purchase order
    // Loads the lines of an order (read by orders/CargaPedido; unknown articles are created
    // with the store defaults). All or none; false with the message in `error`.
    bool CargarPedido(const QString &nroPedido, int codigoProveedor, const QString &nombreProveedor,
                      int numCodigoInventario, QString *error = nullptr);

    // ---- Shared operations
    // importe x TipoCambio2 / TipoCambio (the amount unchanged while a rate is 0).
    Currency TransformaMonedaDos(Currency importe) const;
    // importe x TipoCambio / TipoCambio2, the inverse (unchanged while a rate is 0).
    Currency AMonedaLocal(Currency importe) const;

    // The last database failure's text.
    const QString &UltimoError() const { return ultimoError_; }

private:
    struct Consultas;

    EstacionCompra Estacion() const;
    Mensajes &Avisos() const;
    void GuardarEncabezado();
    bool GuardarEncabezadoAhora();
    void NuevaLinea(const ArticuloCompra &a, Currency cantidad, Currency costo, Currency porcDesc,
                    std::optional<Currency> precioVenta, bool editada = false,
                    std::optional<Currency> enConsignacion = std::nullopt);
    void AcumularLinea(const LineaEntrada &linea, const ArticuloCompra &a, Currency cantidad, Currency costo);
    // Writes the edited columns of the station's existing line `l.id`.
    void ActualizarLinea(const LineaEntrada &l);
    void RecalcularEnTransaccion();
    // The station's sums on the update transaction; ErrorImporte when they do not fit.
    TotalesEntrada LeerTotales();
    // Throws ErrorImporte when the document's total is above kTotalMaximo.
    void ComprobarTotal();
    void AbrirLineasDataset();
    void RefrescarLineas();
    void Confirmar();
    void Deshacer();
    void DeshacerInventario();
    std::optional<int> LineaDelArticulo(const QString &codigo);
    FilaArticuloNuevo FilaNueva(const ArticuloCompra &a) const;
    void Recordar(const std::exception &e);

    TFDatosComp &datos_;
    ConexionesCompra conexiones_;
    ConsultasCompra escritura_;  // the write layer's statements, on the update transactions
    std::unique_ptr<Consultas> q_;
    Mensajes *mensajes_ = nullptr;
    QString modo_;
    int nroCaja_ = 0;
    QString computadora_;

    int codigoProveedor_ = 0;
    QString nombreProveedor_;
    QString comprobante_;
    QDate fecha_;
    QString tipoComprobante_ = TipoFactura;
    int moneda_ = 1;
    bool usaBodega_ = false;
    bool inventarioPrincipal_ = true;
    QString codBodega_;
    QString destino_ = kInventarioPrincipal;
    bool acumulaRenglones_ = true;
    CambioCosto cambioCosto_ = CambioCosto::Preguntar;
    Currency porcDescuento_;
    bool proveedorExento_ = false;
    int numeroLinea_ = 0;
    bool preciosElegidosActivo_ = false;
    std::vector<PrecioElegido> preciosElegidos_;
    TotalesEntrada totales_;
    QString ultimoError_;
    bool encabezadoDiferido_ = false;
};

// Parses a typed amount (empty text is not a number).
bool LeerImporte(const QString &texto, Currency &valor, bool *redondeado = nullptr);
