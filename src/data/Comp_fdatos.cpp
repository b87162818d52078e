#include "data/Comp_fdatos.h"

#include "platform/ArchivoIni.h"
#include "platform/db/Database.h"
#include "platform/Formato.h"
#include "platform/Redondeo.h"
#include "platform/Mensajes.h"
#include "platform/db/Transaction.h"
#include "platform/VariablesHost.h"

#include <QCoreApplication>
#include <QDir>

TFDatosComp *FDatosComp = nullptr;

namespace {
const QString kStore = QStringLiteral("store");
}

TFDatosComp::TFDatosComp(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("FDatosComp"));
    // DataModuleCreate
    const ArchivoIni ini(CarpetaIni() + QStringLiteral("/datos.ini"));
    SisDistribuidora = ini.LeerTexto(QStringLiteral("Varios"), QStringLiteral("SisDistribuidora"), QStringLiteral("N"));
    if (SisDistribuidora.isEmpty())
        SisDistribuidora = QStringLiteral("N");

    // Store database
    TFacturasCompra = crear("TFacturasCompra", false, "select * from FACTURAS_COMPRA where ID_COMPRA = -1");
    TFacCompraReporte = crear("TFacCompraReporte", false, "select * from FACTURAS_COMPRA where ID_COMPRA = -1");
    TDetCom = crear("TDetCom", false, "select * from DETALLE_FACTURAS_COMPRA where ID_COMPRA = -1");
    TNC = crear("TNC", false, "select * from NOTAS_CREDITO_PROV where ID_NC_PROV = -1");
    TDetNC = crear("TDetNC", false, "select * from DETALLE_NC_PROV where FK_NC_PROV = -1");
    TReporteNotaCredito = crear("TReporteNotaCredito", false, "select * from DETALLE_NC_PROV where FK_NC_PROV = -1");
    TCaja = crear("TCaja", false, "select * from CAJA_DIARIA where COMPROBANTE = ''");
    TCajaAnterior = crear("TCajaAnterior", false, "select * from CAJA_ANTERIOR where COMPROBANTE = ''");
    TCuenPro = crear("TCuenPro", false, "select * from CUENTA_PROVEEDOR where NUM_LINEA = -1");
    TCuenBanco = crear("TCuenBanco", false, "select * from CUENTAS_BANCARIAS where NRO_CUENTA = ''");
    TMovBanco = crear("TMovBanco", false, "select * from MOVIM_BANCO where ID_MOVIMIENTO = -1");
    TMovistock = crear("TMovistock", false, "select * from MOVIMIENTOS_STOCK where ID_MOVIMIENTO = -1");
    TConsignacion = crear("TConsignacion", false, "select * from CONSIGNACIONES where ID_CONSIGNACION = -1");
    TConsignaciones2 = crear("TConsignaciones2", false, "select * from CONSIGNACIONES where ID_CONSIGNACION = -1");
    TConsigReporte = crear("TConsigReporte", false, "select * from CONSIGNACIONES where ID_CONSIGNACION = -1");
    TDetConsig = crear("TDetConsig", false, "select * from DETALLE_CONSIGNACION where ID_CONSIGNACION = -1");
    TPedidos = crear("TPedidos", false, "select * from PEDIDOS where COMPROBANTE = ''");
    TPedidosGrid = crear("TPedidosGrid", false, "select * from PEDIDOS where COMPROBANTE = ''");
    TDetPedido = crear("TDetPedido", false, "select * from DETALLE_PEDIDO where COMPROBANTE = ''");
    TConsecutivos = crear("TConsecutivos", false, "select * from CONSECUTIVOS where ID = 1");
    TMP_Compra = crear("TMP_Compra", false, "select * from TEMPORAL_COMPRAS where ID_TEMP_COMPRA = -1");
    TemporalCompra = crear("TemporalCompra", false, "select * from TEMPORAL_ENC_COMPRA where ID_TEM_FACTURA_COM = -1");
    TTablaTemporal = crear("TTablaTemporal", false, "select * from TABLA_REPORTES where INDICE = -1");
    TEntraSale = crear("TEntraSale", false, "select * from ENTRADA_SALIDA where COMPROBANTE = ''");
    TReporteAduana = crear("TReporteAduana", false, "select * from REPORTES_TXT_PANAMA where ID_REPORTE = -1");

    // Inventory database
    TInventario = crear("TInventario", true, "select * from INVENTARIO where COD_BARRAS = ''");
    TInventario2 = crear("TInventario2", true, "select * from INVENTARIO where COD_BARRAS = ''");
    TProveedores = crear("TProveedores", true, "select * from PROVEEDORES where COD_PROVEEDOR = -1");
    TFamilia = crear("TFamilia", true, "select * from FAMILIA where COD_FAMILIA = ''");
    TFam2 = crear("TFam2", true, "select * from FAMILIA where COD_FAMILIA = ''");
    TFamilias = crear("TFamilias", true, "select * from FAMILIA where COD_FAMILIA = ''");
    TFamiliasGrid = crear("TFamiliasGrid", true, "select * from FAMILIA where COD_FAMILIA = ''");
    TExistencias = crear("TExistencias", true, "select * from EXISTENCIAS where COD_ART = ''");
    TBodegas = crear("TBodegas", true, "select * from BODEGAS order by COD_BODEGA");
    TUnidad = crear("TUnidad", true, "select * from UNIDAD_MEDIDA order by COD_UNIDAD");
    TUbicacion = crear("TUbicacion", true, "select * from UBICACION order by COD_UBICACION");
    TCompuesto = crear("TCompuesto", true, "select * from COMPUESTO where COD_BARRAS = ''");
    TArtFraccionados = crear("TArtFraccionados", true, "select * from ART_FRACCIONADOS where COD_BARRAS = ''");
    TArtFraccionados1 = crear("TArtFraccionados1", true, "select * from ART_FRACCIONADOS where COD_BARRAS = ''");
    TFracciones = crear("TFracciones", true, "select * from FRACCIONAMIENTOS order by ID_FRACCION");
    TFraccionamiento = crear("TFraccionamiento", true, "select * from FRACCIONAMIENTOS order by ID_FRACCION");
    TempDataset = crear("TempDataset", true, "select * from COMPOSICION where ID_ARTICULO = ''");
    T_Componentes = crear("T_Componentes", true, "select * from COMPOSICION where ID_ARTICULO = ''");
    ds_Laboratorios = crear("ds_Laboratorios", true, "select * from LABORATORIOS order by ID_LABORATORIOS");
    TTipoEntrada = crear("TTipoEntrada", true, "select * from TIPOS_ENTRADA order by ID");
    TTipoSalida = crear("TTipoSalida", true, "select * from TIPOS_SALIDA order by ID");

    TExistencias->setKeyFields({QStringLiteral("COD_ART"), QStringLiteral("COD_BODEGA")});

    // Calculated and lookup fields
    for (db::Dataset *ds : {TFacturasCompra, TFacCompraReporte}) {
        ds->addCalculatedField(QStringLiteral("SubTotal1"));
        ds->addCalculatedField(QStringLiteral("SubTotal2"));
        ds->addCalculatedField(QStringLiteral("ImporteTotal"));
    }
    for (const char *f : {"aSTG", "aSTNG", "aDesc", "aTG", "aTNG", "aIV", "aST", "aNC"})
        TFacCompraReporte->addCalculatedField(QString::fromLatin1(f));
    TFacturasCompra->onCalcFields = [this](db::Dataset &ds) { calcularTotalesFactura(ds, false); };
    TFacCompraReporte->onCalcFields = [this](db::Dataset &ds) { calcularTotalesFactura(ds, true); };

    for (db::Dataset *ds : {TConsignacion, TConsignaciones2}) {
        ds->addCalculatedField(QStringLiteral("SubTotal1"));
        ds->addCalculatedField(QStringLiteral("SubTotal2"));
        ds->addCalculatedField(QStringLiteral("ImporteTotal"));
        ds->addCalculatedField(QStringLiteral("boolDevuelta"));
        ds->onCalcFields = [this](db::Dataset &d) { calcularConsignacion(d); };
    }
    for (db::Dataset *ds : {TDetCom, TDetConsig}) {
        ds->addCalculatedField(QStringLiteral("Codigo_2"));
        ds->addCalculatedField(QStringLiteral("UnidadMedida"));
        ds->onCalcFields = [this](db::Dataset &d) { calcularCamposImpresion(d); };
    }
    TDetCom->addLookupField(QStringLiteral("PrecioVenta"), TInventario2, QStringLiteral("COD_BARRAS"),
                            QStringLiteral("PRECIOCONIV_1"), QStringLiteral("CODIGO_ARTICULO"));
    TNC->addLookupField(QStringLiteral("NombreProveedor"), TProveedores, QStringLiteral("COD_PROVEEDOR"),
                        QStringLiteral("NOMBRE"), QStringLiteral("COD_PROVEEDOR"));
    TNC->addLookupField(QStringLiteral("CodigoInternoProveedor"), TProveedores, QStringLiteral("COD_PROVEEDOR"),
                        QStringLiteral("COD_PROVEEDOR2"), QStringLiteral("COD_PROVEEDOR"));
    TMP_Compra->addCalculatedField(QStringLiteral("Subtotal"));
    TMP_Compra->onCalcFields = [](db::Dataset &ds) {
        const Currency costo = Currency::fromDouble(ds.fieldByName(QStringLiteral("IMPORE_COSTO")).asFloat());
        const Currency cant = Currency::fromDouble(ds.fieldByName(QStringLiteral("CANTIDAD")).asFloat());
        const Currency desc = Currency::fromDouble(ds.fieldByName(QStringLiteral("IMPORTE_DESCUENTO")).asFloat());
        ds.fieldByName(QStringLiteral("Subtotal")).setAsCurrency(costo * cant - desc);
    };
    TCompuesto->addCalculatedField(QStringLiteral("CostoTotal"));
    TCompuesto->onCalcFields = [](db::Dataset &ds) {
        ds.fieldByName(QStringLiteral("CostoTotal"))
            .setAsCurrency(Currency::fromDouble(ds.fieldByName(QStringLiteral("CANTIDAD")).asFloat())
                           * ds.fieldByName(QStringLiteral("COSTO")).asCurrency());
    };
    TDetPedido->addLookupField(QStringLiteral("Costo"), TInventario, QStringLiteral("COD_BARRAS"),
                               QStringLiteral("PRECIO_COMPRA"), QStringLiteral("COD_BARRAS"));
    TDetPedido->addLookupField(QStringLiteral("Nombre_2"), TInventario, QStringLiteral("COD_BARRAS"),
                               QStringLiteral("NOMBRE2"), QStringLiteral("COD_BARRAS"));
    TEntraSale->addCalculatedField(QStringLiteral("DescTipoMov"));
    TEntraSale->addCalculatedField(QStringLiteral("TextoEnviado"));
    TEntraSale->addLookupField(QStringLiteral("DescTipoEntrada"), TTipoEntrada, QStringLiteral("ID"),
                               QStringLiteral("ENTRADA"), QStringLiteral("TIPO_ENTRADA"));
    TEntraSale->addLookupField(QStringLiteral("DescTipoSalida"), TTipoSalida, QStringLiteral("ID"),
                               QStringLiteral("SALIDA"), QStringLiteral("TIPO_SALIDA"));
    TEntraSale->onCalcFields = [](db::Dataset &ds) {
        const int tipo = ds.fieldByName(QStringLiteral("TIPO_MOV")).asInteger();
        if (tipo == 1)
            ds.fieldByName(QStringLiteral("DescTipoMov")).setAsString(QStringLiteral("Entrada"));
        else if (tipo == 2)
            ds.fieldByName(QStringLiteral("DescTipoMov")).setAsString(QStringLiteral("Salida"));
        const bool sinEnviar = tipo == 2 && ds.fieldByName(QStringLiteral("ENVIO_WEB")).asString() == QLatin1String("N");
        ds.fieldByName(QStringLiteral("TextoEnviado")).setAsString(sinEnviar ? QStringLiteral("Sin Enviar") : QString());
    };
    TInventario->addLookupField(QStringLiteral("NombreProvee"), TProveedores, QStringLiteral("COD_PROVEEDOR"),
                                QStringLiteral("NOMBRE"), QStringLiteral("FK_PROVEEDOR"));
    TInventario2->addLookupField(QStringLiteral("NombreFamilia"), TFam2, QStringLiteral("COD_FAMILIA"),
                                 QStringLiteral("NOMBRE"), QStringLiteral("COD_FAMILIA"));
    TInventario2->addLookupField(QStringLiteral("UnidadMedida"), TUnidad, QStringLiteral("COD_UNIDAD"),
                                 QStringLiteral("UNIDAD"), QStringLiteral("COD_UNIDAD"));
    TInventario2->addLookupField(QStringLiteral("NombreUbicacion"), TUbicacion, QStringLiteral("COD_UBICACION"),
                                 QStringLiteral("NOMBRE"), QStringLiteral("COD_UBICACION"));

    // Query execute hooks
    hooksAutoCommit(Query_Update, TransUpdate);
    hooksAutoCommit(QueryG_PV, TransUpdate);
    hooksAutoCommit(QueryG_PV2, TransUpdate);
    hooksAutoCommit(QueryG_Inv, TransUpdateInv);
    hooksSoloInicio(TransaccionV, TransUpdate);
    hooksSoloInicio(TransaccionI, TransUpdateInv);
    TMovBanco->afterCancel = [this](db::Dataset &ds) { TMovBancoAfterCancel(ds); };
    Reporte.AlError = [](const QString &texto) { mensajes().Error(texto); };
}

TFDatosComp::~TFDatosComp()
{
    if (FDatosComp == this)
        FDatosComp = nullptr;
}

db::Dataset *TFDatosComp::crear(const char *nombre, bool inventario, const QString &select)
{
    auto *ds = new db::Dataset(this);
    ds->setObjectName(QString::fromLatin1(nombre));
    ds->setSelectSql(select);
    if (inventario) {
        ds->afterPost = [this](db::Dataset &d) { GrabaDBInv(d); };
        ds->afterDelete = [this](db::Dataset &d) { GrabaDBInv(d); };
        inventario_.push_back(ds);
    } else {
        ds->afterPost = [this](db::Dataset &d) { GrabaDB(d); };
        ds->afterDelete = [this](db::Dataset &d) { GrabaDB(d); };
        tienda_.push_back(ds);
    }
    return ds;
}

void TFDatosComp::hooksAutoCommit(db::Query &q, db::Transaction *&tx)
{
    q.beforeExecute = [&tx](db::Query &) {
        if (!tx->active())
            tx->start();
    };
    q.afterExecute = [this, &tx](db::Query &) {
        if (!tx->active())
            tx->start();
        if (!TransaccionGlobal)
            tx->commit();
    };
}

void TFDatosComp::hooksSoloInicio(db::Query &q, db::Transaction *&tx)
{
    auto start = [&tx](db::Query &) {
        if (!tx->active())
            tx->start();
    };
    q.beforeExecute = start;
    q.afterExecute = start;
}

void TFDatosComp::Conectar(db::Database *dbTienda, db::Transaction *transLectura, db::Transaction *transUpdate,
                           db::Database *dbInventario, db::Transaction *transLecturaInv,
                           db::Transaction *transUpdateInv, db::Dataset *permisos, db::Dataset *config,
                           db::Dataset *empresa, db::Dataset *cambio, db::Dataset *cuentas, db::Dataset *caja,
                           db::Dataset *moneda)
{
    dbCorvane = dbTienda;
    dbInv = dbInventario;
    TransLectura = transLectura;
    TransUpdate = transUpdate;
    TransLecturaInv = transLecturaInv;
    TransUpdateInv = transUpdateInv;
    DatosPermisos = permisos;
    DatosConfig = config;
    DatosEmpresa = empresa;
    DatosCambio = cambio;
    DatosCuentas = cuentas;
    DatosCaja = caja;
    DatosMoneda = moneda;

    auto bind = [](db::Query &q, db::Database *d, db::Transaction *t) {
        q.setDatabase(d);
        q.setTransaction(t);
    };
    bind(Query_Update, dbTienda, transUpdate);
    bind(Query_Lectura, dbTienda, transLectura);
    bind(TransaccionV, dbTienda, transUpdate);
    bind(QueryG_Inv, dbInventario, transUpdateInv);
    bind(QueryL_Inv, dbInventario, transLecturaInv);
    bind(FIBStProcCompuesto, dbInventario, transLecturaInv);
    bind(TransaccionI, dbInventario, transUpdateInv);
    bind(QueryG_PV, dbTienda, transUpdate);
    bind(QueryG_PV2, dbTienda, transUpdate);

    for (db::Dataset *ds : tienda_) {
        ds->setDatabase(dbTienda);
        ds->setReadTransaction(transLectura);
        ds->setUpdateTransaction(transUpdate);
    }
    for (db::Dataset *ds : inventario_) {
        ds->setDatabase(dbInventario);
        ds->setReadTransaction(transLecturaInv);
        ds->setUpdateTransaction(transUpdateInv);
    }
    // Lookup sources first, so the fields that read them are filled from the start (a deferred
    // source opens when a lookup first reads it).
    for (auto *lista : {&inventario_, &tienda_})
        for (db::Dataset *ds : *lista)
            AbrirAlUsar ? ds->openOnUse() : ds->open();

    NroCaja = caja ? caja->fieldByName(QStringLiteral("NRO_CAJA")).asInteger() : 0;
}

void TFDatosComp::ConectarConta(db::Dataset *asientos, db::Dataset *lineas)
{
    AsientosConta = asientos;
    LineasAsientoConta = lineas;
}

QString TFDatosComp::VerVariable(const QString &nombre)
{
    return ::VerVariable(nombre);
}

int TFDatosComp::CargarVariable(const QString &nombre, const QString &valor)
{
    return ::CargarVariable(nombre, valor);
}

QString TFDatosComp::Config(const QString &campo) const
{
    if (!DatosConfig || !DatosConfig->hasField(campo))
        return QString();
    return DatosConfig->fieldByName(campo).asString();
}

int TFDatosComp::ConfigEntero(const QString &campo) const
{
    if (!DatosConfig || !DatosConfig->hasField(campo))
        return 0;
    return DatosConfig->fieldByName(campo).asInteger();
}

Currency TFDatosComp::ConfigMoneda(const QString &campo) const
{
    if (!DatosConfig || !DatosConfig->hasField(campo))
        return Currency();
    return DatosConfig->fieldByName(campo).asCurrency();
}

QString TFDatosComp::Permiso(const QString &clave) const
{
    if (!DatosPermisos || !DatosPermisos->hasField(clave))
        return QString();
    return DatosPermisos->fieldByName(clave).asString();
}

Currency TFDatosComp::Redondear(Currency valor, int decimales) const
{
    return RedondearValor(valor, decimales, ConfigEntero(QStringLiteral("UNIDAD_REDONDEO")));
}

QString TFDatosComp::FormatearCantidad() const
{
    return FormatoCantidadPicture(ConfigEntero(QStringLiteral("DECIMALES_CANTIDADES")));
}

void TFDatosComp::CargarTipoCambio()
{
    if (!DatosCambio)
        return;
    TipoCambio = DatosCambio->fieldByName(QStringLiteral("CAMBIO")).asCurrency();
    TipoCambio2 = DatosCambio->fieldByName(QStringLiteral("CAMBIO2")).asCurrency();
}

void TFDatosComp::GrabaDB(db::Dataset &ds)
{
    if (!TransUpdate->active())
        TransUpdate->start();
    if (!TransaccionGlobal) {
        TransUpdate->commit();
        ds.refresh();
    }
}

void TFDatosComp::GrabaDBInv(db::Dataset &ds)
{
    if (!TransUpdateInv->active())
        TransUpdateInv->start();
    if (!TransaccionGlobal) {
        TransUpdateInv->commit();
        ds.refresh();
    }
}

void TFDatosComp::TMovBancoAfterCancel(db::Dataset &ds)
{
    if (!TransaccionGlobal) {
        TransUpdate->commit();
        ds.refresh();
    }
}

QString TFDatosComp::CarpetaIni()
{
    const QString dir = qEnvironmentVariable("COMPRAS_INI_DIR");
    if (!dir.isEmpty())
        return dir;
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

void TFDatosComp::calcularTotalesFactura(db::Dataset &ds, bool reporte)
{
    auto m = [&ds](const char *f) { return ds.fieldByName(QString::fromLatin1(f)).asCurrency(); };
    ds.fieldByName(QStringLiteral("SubTotal1")).setAsCurrency(m("SUBTOTAL_GRAVADO") + m("SUBTOTAL_NO_GRAVADO"));
    ds.fieldByName(QStringLiteral("SubTotal2")).setAsCurrency(m("TOTAL_GRAVADO") + m("TOTAL_NO_GRAVADO"));
    ds.fieldByName(QStringLiteral("ImporteTotal")).setAsCurrency(m("IMPORTE_TOTAL") - m("IMPORTE_NC"));
    if (!reporte)
        return;
    const bool vigente = ds.fieldByName(QStringLiteral("ANULADA")).asString() == QLatin1String("N");
    const std::pair<const char *, const char *> acumuladores[] = {
        {"aSTG", "SUBTOTAL_GRAVADO"}, {"aSTNG", "SUBTOTAL_NO_GRAVADO"}, {"aDesc", "IMPORTE_DESCUENTO"},
        {"aTG", "TOTAL_GRAVADO"},     {"aTNG", "TOTAL_NO_GRAVADO"},     {"aIV", "IMPORTE_IV"},
        {"aST", "IMPORTE_TOTAL"},     {"aNC", "IMPORTE_NC"}};
    for (const auto &[acum, campo] : acumuladores)
        ds.fieldByName(QString::fromLatin1(acum)).setAsCurrency(vigente ? m(campo) : Currency());
}

void TFDatosComp::calcularConsignacion(db::Dataset &ds)
{
    auto m = [&ds](const char *f) { return ds.fieldByName(QString::fromLatin1(f)).asCurrency(); };
    ds.fieldByName(QStringLiteral("SubTotal1")).setAsCurrency(m("SUBTOTAL_GRAVADO") + m("SUBTOTAL_NO_GRAVADO"));
    ds.fieldByName(QStringLiteral("SubTotal2")).setAsCurrency(m("TOTAL_GRAVADO") + m("TOTAL_NO_GRAVADO"));
    if (ds.hasField(QStringLiteral("IMPORTE_NC")))
        ds.fieldByName(QStringLiteral("ImporteTotal")).setAsCurrency(m("IMPORTE_TOTAL") - m("IMPORTE_NC"));
    bool devuelta;
    if (SisDistribuidora == QLatin1String("S"))
        devuelta = ds.fieldByName(QStringLiteral("DEVUELTA")).asString() == QLatin1String("S");
    else
        devuelta = VerificarConsignacionDevuelta(ds.fieldByName(QStringLiteral("ID_CONSIGNACION")).asInteger());
    ds.fieldByName(QStringLiteral("boolDevuelta")).setValue(db::Value::boolean(devuelta));
}

void TFDatosComp::calcularCamposImpresion(db::Dataset &ds)
{
    if (!CamposImpresion)
        return;
    const QString arti = ds.fieldByName(QStringLiteral("CODIGO_ARTICULO")).asString();
    QueryL_Inv.clearSql();
    QueryL_Inv.addSql(QStringLiteral("select CODIGO2 from INVENTARIO"));
    QueryL_Inv.addSql(QStringLiteral("where COD_BARRAS = :vArti"));
    QueryL_Inv.paramByName(QStringLiteral("vArti")).setAsString(arti);
    QueryL_Inv.execQuery();
    ds.fieldByName(QStringLiteral("Codigo_2")).setAsString(QueryL_Inv.eof() ? QString() : QueryL_Inv.field(0).asString());
    QueryL_Inv.clearSql();
    QueryL_Inv.addSql(QStringLiteral("select UNIDAD from UNIDAD_MEDIDA"));
    QueryL_Inv.addSql(QStringLiteral("where COD_UNIDAD = ("));
    QueryL_Inv.addSql(QStringLiteral("select COD_UNIDAD from INVENTARIO"));
    QueryL_Inv.addSql(QStringLiteral("where COD_BARRAS = :vArti)"));
    QueryL_Inv.paramByName(QStringLiteral("vArti")).setAsString(arti);
    QueryL_Inv.execQuery();
    ds.fieldByName(QStringLiteral("UnidadMedida"))
        .setAsString(QueryL_Inv.eof() ? QString() : QueryL_Inv.field(0).asString());
    QueryL_Inv.close();
}

bool VerificarConsignacionDevuelta(int idConsignacion)
{
    if (!FDatosComp || !FDatosComp->dbCorvane)
        return false;
    db::Query &q = FDatosComp->Query_Lectura;
    q.setSql(QStringLiteral("select count(*) from detalle_consignacion dc where dc.cantidad <> dc.procesados and "
                            "dc.id_consignacion = :comp and dc.cantidad > 0 "));
    q.paramByName(QStringLiteral("comp")).setAsInteger(idConsignacion);
    q.execQuery();
    const bool devuelta = q.field(0).asInteger() == 0;
    q.close();
    return devuelta;
}
