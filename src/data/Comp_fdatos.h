#pragma once
// The module's single data module: shared queries and datasets bound to the host's
// connections, the host records, and the operations every window shares.

#include "platform/Currency.h"
#include "platform/db/Dataset.h"
#include "platform/db/Query.h"
#include "platform/report/Reporte.h"

#include <QObject>
#include <memory>

namespace db {
class Database;
class Transaction;
}

class TFDatosComp : public QObject {
    Q_OBJECT
public:
    explicit TFDatosComp(QObject *parent = nullptr);
    ~TFDatosComp() override;

    // Binds the shared queries and datasets to the host's connections and opens the datasets
    // (with AbrirAlUsar, each one when it is first used).
    void Conectar(db::Database *dbTienda, db::Transaction *transLectura, db::Transaction *transUpdate,
                  db::Database *dbInventario, db::Transaction *transLecturaInv, db::Transaction *transUpdateInv,
                  db::Dataset *permisos, db::Dataset *config, db::Dataset *empresa, db::Dataset *cambio,
                  db::Dataset *cuentas, db::Dataset *caja, db::Dataset *moneda);
    void ConectarConta(db::Dataset *asientos, db::Dataset *lineas);

    // Host handles
    db::Database *dbCorvane = nullptr;  // store database
    db::Database *dbInv = nullptr;      // inventory database
    db::Transaction *TransLectura = nullptr;
    db::Transaction *TransUpdate = nullptr;
    db::Transaction *TransLecturaInv = nullptr;
    db::Transaction *TransUpdateInv = nullptr;
    db::Dataset *DatosPermisos = nullptr;
    db::Dataset *DatosConfig = nullptr;
    db::Dataset *DatosEmpresa = nullptr;
    db::Dataset *DatosCambio = nullptr;
    db::Dataset *DatosCuentas = nullptr;
    db::Dataset *DatosCaja = nullptr;
    db::Dataset *DatosMoneda = nullptr;
    db::Dataset *AsientosConta = nullptr;
    db::Dataset *LineasAsientoConta = nullptr;
    int NroCaja = 0;

    Currency TipoCambio;
    Currency TipoCambio2;
    bool TransaccionGlobal = false;
    // Set by programs that use few of the shared datasets (the command line) before connecting.
    static inline bool AbrirAlUsar = false;
    bool CamposImpresion = false;
    QString SisDistribuidora = QStringLiteral("N");

    // Shared queries
    db::Query Query_Lectura, Query_Update, QueryG_PV, QueryG_PV2, TransaccionV;
    db::Query QueryL_Inv, QueryG_Inv, TransaccionI, FIBStProcCompuesto;

    // Shared datasets (store database)
    db::Dataset *TFacturasCompra, *TFacCompraReporte, *TDetCom, *TNC, *TDetNC, *TReporteNotaCredito, *TCaja,
        *TCajaAnterior, *TCuenPro, *TCuenBanco, *TMovBanco, *TMovistock, *TConsignacion, *TConsignaciones2,
        *TConsigReporte, *TDetConsig, *TPedidos, *TPedidosGrid, *TDetPedido, *TConsecutivos, *TMP_Compra,
        *TemporalCompra, *TTablaTemporal, *TEntraSale, *TReporteAduana;
    // Shared datasets (inventory database)
    db::Dataset *TInventario, *TInventario2, *TProveedores, *TFamilia, *TFam2, *TFamilias, *TFamiliasGrid,
        *TExistencias, *TBodegas, *TUnidad, *TUbicacion, *TCompuesto, *TArtFraccionados, *TArtFraccionados1,
        *TFracciones, *TFraccionamiento, *TempDataset, *T_Componentes, *ds_Laboratorios, *TTipoEntrada, *TTipoSalida;

    // Printing: the report object templates are loaded into, and its data link.
    ::Reporte Reporte;
    ReporteDatos dsReporte{QStringLiteral("dsReporte")};
    // In-memory tables of the goods-receipt report and of the consignment return printout.
    TablaReporte JvMemReporte{{QStringLiteral("NroFactura"), QStringLiteral("Codigo_Articulo"), QStringLiteral("Cantidad"),
                               QStringLiteral("Descripcion"), QStringLiteral("Precio_Unitario"),
                               QStringLiteral("Precio_Total"), QStringLiteral("Peso"), QStringLiteral("CodUnidad"),
                               QStringLiteral("Unidad")}};
    TablaReporte TRepConsig{{QStringLiteral("NombreArticulo"), QStringLiteral("CodigoArticulo"), QStringLiteral("Edicion"),
                             QStringLiteral("CodigoInterno"), QStringLiteral("NroFactura"), QStringLiteral("Fecha"),
                             QStringLiteral("Devolver"), QStringLiteral("Total"), QStringLiteral("Devolucion"),
                             QStringLiteral("Diferencia"), QStringLiteral("Facturado")}};
    // PDF export without dialog.
    void ExportaPDF(const QString &archivo) { Reporte.ExportToPdf(archivo); }

    const std::vector<db::Dataset *> &datasetsTienda() const { return tienda_; }
    const std::vector<db::Dataset *> &datasetsInventario() const { return inventario_; }

    // Shared operations
    static QString VerVariable(const QString &nombre);
    static int CargarVariable(const QString &nombre, const QString &valor);
    Currency Redondear(Currency valor, int decimales) const;
    // The price settings of the store configuration, for a posting or price calculation to carry.
    // Display picture for quantities from DECIMALES_CANTIDADES ("#,##0" or "#,##0.000"...).
    QString FormatearCantidad() const;
    void CargarTipoCambio();
    void GrabaDB(db::Dataset &ds);
    void GrabaDBInv(db::Dataset &ds);
    void TMovBancoAfterCancel(db::Dataset &ds);

    // Host record fields read at the time of the call.
    QString Config(const QString &campo) const;
    bool ConfigSi(const QString &campo) const { return Config(campo) == QLatin1String("S"); }
    int ConfigEntero(const QString &campo) const;
    Currency ConfigMoneda(const QString &campo) const;
    QString Permiso(const QString &clave) const;

    // Folder of datos.ini (the host executable's folder unless COMPRAS_INI_DIR says otherwise).
    static QString CarpetaIni();

private:
    db::Dataset *crear(const char *nombre, bool inventario, const QString &select);
    void hooksAutoCommit(db::Query &q, db::Transaction *&tx);
    void hooksSoloInicio(db::Query &q, db::Transaction *&tx);
    void calcularTotalesFactura(db::Dataset &ds, bool reporte);
    void calcularConsignacion(db::Dataset &ds);
    void calcularCamposImpresion(db::Dataset &ds);

    std::vector<db::Dataset *> tienda_;
    std::vector<db::Dataset *> inventario_;
};

// The single instance, created by ConectarBaseDatos.
extern TFDatosComp *FDatosComp;

// True when the consignment has no line still pending.
bool VerificarConsignacionDevuelta(int idConsignacion);
