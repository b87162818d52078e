#include "purchases/EntradaCompra.h"

#include "pricing/AritmeticaEscalada.h"
#include "platform/ArchivoIni.h"
#include "data/Comp_fdatos.h"
#include "records/ConexionesCompra.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/workbook/ErrorLibro.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "platform/db/Query.h"
#include "platform/workbook/TmxNativeExcel.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"
#include "records/Utransaccionescompras.h"
#include "platform/VariablesHost.h"
#include "platform/workbook/uHojaCalcCompras.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

using aritmetica::Crudo;
using aritmetica::DesdeCrudo;

namespace {

QString S(const char *texto) { return QString::fromUtf8(texto); }
QString SN(bool si) { return si ? QStringLiteral("S") : QStringLiteral("N"); }

// a x b, rounded once.
Currency Por(Currency a, Currency b) { return DesdeCrudo(Crudo(a) * Crudo(b) / 1e4L); }
// a x b above `limite` (without building the product, which may not fit).
bool ProductoExcede(Currency a, Currency b, Currency limite)
{
    return a.toLongDouble() * b.toLongDouble() > limite.toLongDouble();
}
// a x p / 100.
Currency Porcentaje(Currency a, Currency p) { return DesdeCrudo(Crudo(a) * Crudo(p) / 1e6L); }
// a x b x p / 100.
Currency PorPorcentaje(Currency a, Currency b, Currency p) { return DesdeCrudo(Crudo(a) * Crudo(b) * Crudo(p) / 1e10L); }
// a x (1 + p/100).
Currency ConImpuesto(Currency a, Currency p)
{
    return DesdeCrudo(Crudo(a) * (aritmetica::CienPorCiento + Crudo(p)) / aritmetica::CienPorCiento);
}

// Discount, subtotals, totals and tax of a line from its unit cost, quantity, percentages
// and taxed flag.
void CalcularImportes(LineaEntrada &l)
{
    const Currency bruto = Por(l.unitSinIv, l.cantidad);
    l.importeDescuento = PorPorcentaje(l.unitSinIv, l.cantidad, l.porceDesc);
    if (l.esGravada()) {
        l.subtotalGravado = bruto;
        l.subtotalNoGravado = Currency();
        l.totalGravado = bruto - l.importeDescuento;
        l.totalNoGravado = Currency();
    } else {
        l.subtotalGravado = Currency();
        l.subtotalNoGravado = bruto;
        l.totalGravado = Currency();
        l.totalNoGravado = bruto - l.importeDescuento;
    }
    l.importeIv = Porcentaje(l.totalGravado, l.porceIv);
}

bool MismosImportes(const LineaEntrada &a, const LineaEntrada &b)
{
    return a.importeDescuento == b.importeDescuento && a.subtotalGravado == b.subtotalGravado
           && a.subtotalNoGravado == b.subtotalNoGravado && a.totalGravado == b.totalGravado
           && a.totalNoGravado == b.totalNoGravado && a.importeIv == b.importeIv;
}

LineaEntrada LeerLinea(db::Query &q)
{
    auto m = [&q](const char *f) { return q.fieldByName(QString::fromLatin1(f)).asCurrency(); };
    auto t = [&q](const char *f) { return q.fieldByName(QString::fromLatin1(f)).asString(); };
    LineaEntrada l;
    l.id = q.fieldByName(QStringLiteral("ID_TEMP_COMPRA")).asInteger();
    l.codigo = t("COD_BARRAS");
    l.nombre = t("NOMBRE");
    l.familia = t("COD_FAMILIA");
    l.cantidad = m("CANTIDAD");
    l.costo = m("IMPORE_COSTO");
    l.unitSinIv = m("IMP_UNIT_SIN_IV");
    l.unitConIv = m("IMP_UNIT_CON_IV");
    l.gravado = t("GRAVADO");
    l.ivi = t("IVI");
    l.fraccionado = t("FRACCIONADO");
    l.tieneSerie = t("TIENE_SERIE");
    l.porceIvArticulo = m("PORCE_IV_ARTI");
    l.porceIv = m("PORCE_IV");
    l.porceDesc = m("PORCE_DESC");
    l.importeDescuento = m("IMPORTE_DESCUENTO");
    l.subtotalGravado = m("SUBTOTAL_GRAVADO");
    l.subtotalNoGravado = m("SUBTOTAL_NO_GRAVADO");
    l.totalGravado = m("TOTAL_GRAVADO");
    l.totalNoGravado = m("TOTAL_NO_GRAVADO");
    l.importeIv = m("IMPORTE_TOLAL_IV");
    l.totalSinIv = m("TOTAL_SIN_IV");
    l.totalConIv = m("TOTAL_CON_IV");
    l.precioVenta = m("PRECIO_VENTA");
    l.precioVentaAnterior = m("PRECIO_VENTA_ANT");
    l.descuentoMaximo = m("DESCUENTO_MAXIMO");
    l.numeroLinea = q.fieldByName(QStringLiteral("NUMERO_LINEA")).asInteger();
    return l;
}

ArticuloCompra LeerArticulo(db::Query &q)
{
    auto m = [&q](const char *f) { return q.fieldByName(QString::fromLatin1(f)).asCurrency(); };
    auto si = [&q](const char *f) { return q.fieldByName(QString::fromLatin1(f)).asString() == QLatin1String("S"); };
    ArticuloCompra a;
    a.codigo = q.fieldByName(QStringLiteral("COD_BARRAS")).asString();
    a.nombre = q.fieldByName(QStringLiteral("NOMBRE")).asString();
    a.familia = q.fieldByName(QStringLiteral("COD_FAMILIA")).asString();
    a.compuesto = si("COMPUESTO");
    a.gravado = si("GRAVADO");
    a.impuestoIncluido = si("IMPUESTO_INCLUIDO");
    a.fraccionado = si("FRACCIONADO");
    a.tieneSerie = si("TIENE_SERIE");
    a.porcIv = m("PORC_IV");
    a.precioCompra = m("PRECIO_COMPRA");
    a.descuentoMaximo = m("DESC_MAX_ART");
    a.precioSinIv1 = m("PRECIOSINIV_1");
    a.precioConIv1 = m("PRECIOCONIV_1");
    a.stock = m("STOCK");
    a.baseCalculo1 = q.fieldByName(QStringLiteral("BASECALCULO_1")).asInteger();
    return a;
}

const QStringList kColumnasLinea = {
    QStringLiteral("COMPUTADORA"),        QStringLiteral("NRO_CAJA"),          QStringLiteral("COD_BARRAS"),
    QStringLiteral("COD_FAMILIA"),        QStringLiteral("NOMBRE"),            QStringLiteral("CANTIDAD"),
    QStringLiteral("DESCUENTO_MAXIMO"),   QStringLiteral("PORCE_IV_ARTI"),     QStringLiteral("PRECIO_VENTA_ANT"),
    QStringLiteral("PRECIO_VENTA"),       QStringLiteral("IMPORE_COSTO"),      QStringLiteral("IMP_UNIT_CON_IV"),
    QStringLiteral("IMP_UNIT_SIN_IV"),    QStringLiteral("FRACCIONADO"),       QStringLiteral("TIPO_FRACCION"),
    QStringLiteral("PORCE_AJUSTE_FRACC"), QStringLiteral("GRAVADO"),           QStringLiteral("IVI"),
    QStringLiteral("PORCE_IV"),           QStringLiteral("TOTAL_GRAVADO"),     QStringLiteral("TOTAL_NO_GRAVADO"),
    QStringLiteral("SUBTOTAL_GRAVADO"),   QStringLiteral("SUBTOTAL_NO_GRAVADO"), QStringLiteral("IMPORTE_TOLAL_IV"),
    QStringLiteral("TOTAL_SIN_IV"),       QStringLiteral("TOTAL_CON_IV"),      QStringLiteral("PORCE_DESC"),
    QStringLiteral("IMPORTE_DESCUENTO"),  QStringLiteral("TIENE_SERIE"),       QStringLiteral("NUMERO_LINEA"),
};

// Columns the line editor and the accumulation change.
const QStringList kColumnasEdicion = {
    QStringLiteral("CANTIDAD"),         QStringLiteral("IMPORE_COSTO"),     QStringLiteral("IMP_UNIT_SIN_IV"),
    QStringLiteral("IMP_UNIT_CON_IV"),  QStringLiteral("GRAVADO"),          QStringLiteral("IVI"),
    QStringLiteral("PORCE_IV"),         QStringLiteral("PORCE_DESC"),       QStringLiteral("IMPORTE_DESCUENTO"),
    QStringLiteral("SUBTOTAL_GRAVADO"), QStringLiteral("SUBTOTAL_NO_GRAVADO"), QStringLiteral("TOTAL_GRAVADO"),
    QStringLiteral("TOTAL_NO_GRAVADO"), QStringLiteral("IMPORTE_TOLAL_IV"), QStringLiteral("TOTAL_SIN_IV"),
    QStringLiteral("TOTAL_CON_IV"),     QStringLiteral("PRECIO_VENTA"),
};

// Columns the recalculation writes.
const QStringList kColumnasCalculo = {
    QStringLiteral("IMPORTE_DESCUENTO"), QStringLiteral("SUBTOTAL_GRAVADO"), QStringLiteral("SUBTOTAL_NO_GRAVADO"),
    QStringLiteral("TOTAL_GRAVADO"),     QStringLiteral("TOTAL_NO_GRAVADO"), QStringLiteral("IMPORTE_TOLAL_IV"),
};

db::Value ValorColumna(const LineaEntrada &l, const QString &c, int nroCaja, const QString &computadora)
{
    static const QHash<QString, int> indice = [] {
        QHash<QString, int> h;
        for (int i = 0; i < kColumnasLinea.size(); ++i)
            h.insert(kColumnasLinea[i], i);
        return h;
    }();
    using db::Value;
    switch (indice.value(c, -1)) {
    case 0: return Value::text(computadora);
    case 1: return Value::integer(nroCaja);
    case 2: return Value::text(l.codigo);
    case 3: return l.familia.isEmpty() ? Value() : Value::text(l.familia);
    case 4: return Value::text(l.nombre);
    case 5: return Value::currency(l.cantidad);
    case 6: return Value::currency(l.descuentoMaximo);
    case 7: return Value::currency(l.porceIvArticulo);
    case 8: return Value::currency(l.precioVentaAnterior);
    case 9: return Value::currency(l.precioVenta);
    case 10: return Value::currency(l.costo);
    case 11: return Value::currency(l.unitConIv);
    case 12: return Value::currency(l.unitSinIv);
    case 13: return Value::text(l.fraccionado);
    case 14: return Value::integer(-1);
    case 15: return Value::currency(Currency());
    case 16: return Value::text(l.gravado);
    case 17: return Value::text(l.ivi);
    case 18: return Value::currency(l.porceIv);
    case 19: return Value::currency(l.totalGravado);
    case 20: return Value::currency(l.totalNoGravado);
    case 21: return Value::currency(l.subtotalGravado);
    case 22: return Value::currency(l.subtotalNoGravado);
    case 23: return Value::currency(l.importeIv);
    case 24: return Value::currency(l.totalSinIv);
    case 25: return Value::currency(l.totalConIv);
    case 26: return Value::currency(l.porceDesc);
    case 27: return Value::currency(l.importeDescuento);
    case 28: return Value::text(l.tieneSerie);
    case 29: return Value::integer(l.numeroLinea);
    default: return Value();
    }
}

QString SqlActualizarLinea(const QStringList &columnas)
{
    QStringList asignaciones;
    for (const QString &c : columnas)
        asignaciones << QStringLiteral("%1 = :%1").arg(c);
    return QStringLiteral("update TEMPORAL_COMPRAS set %1 where ID_TEMP_COMPRA = :id and NRO_CAJA = :nro_caja "
                          "and COMPUTADORA = :compu")
        .arg(asignaciones.join(QStringLiteral(", ")));
}

const char *const kNombresColumnasHoja[] = {"Código",   "Descripción",     "Cantidad", "Costo Unitario",
                                            "% Descuento", "Precio de Venta", "Gravado (S/N)", "IV Incluido (S/N)"};

} // namespace

Currency LineaEntrada::Subtotal() const
{
    return Por(costo, cantidad) - importeDescuento;
}

Currency TotalesEntrada::PorcentajeDescuento() const
{
    if (Descuento <= Currency() || TotalSinIV.isZero())
        return Currency();
    return DesdeCrudo(Crudo(Descuento) * 1e6L / Crudo(TotalSinIV));
}

bool LeerImporte(const QString &texto, Currency &valor)
{
    const QString t = texto.trimmed();
    return !t.isEmpty() && ParseDecimal(t, valor);
}

// Statements prepared once per entry; the station's rows are read on the update transaction
// so a grouped step sees its own changes.
struct EntradaCompra::Consultas {
    db::Query lineas, lineaArticulo, insertar, actualizar, calculo, totales, tienda;
    db::Query articulo, inventario, inventarioEscritura;

    explicit Consultas(TFDatosComp &d)
        : lineas(d.dbCorvane, d.TransUpdate), lineaArticulo(d.dbCorvane, d.TransUpdate),
          insertar(d.dbCorvane, d.TransUpdate), actualizar(d.dbCorvane, d.TransUpdate),
          calculo(d.dbCorvane, d.TransUpdate), totales(d.dbCorvane, d.TransUpdate), tienda(d.dbCorvane, d.TransUpdate),
          articulo(d.dbInv, d.TransLecturaInv), inventario(d.dbInv, d.TransLecturaInv),
          inventarioEscritura(d.dbInv, d.TransUpdateInv)
    {
        lineas.setSql(QStringLiteral("select * from TEMPORAL_COMPRAS where NRO_CAJA = :nro_caja "
                                     "and COMPUTADORA = :compu order by ID_TEMP_COMPRA"));
        lineaArticulo.setSql(QStringLiteral("select ID_TEMP_COMPRA, COD_BARRAS from TEMPORAL_COMPRAS "
                                            "where COMPUTADORA = :Compu and COD_BARRAS = :vCodbar "
                                            "and NRO_CAJA = :nro_caja order by ID_TEMP_COMPRA"));
        QStringList marcadores;
        for (const QString &c : kColumnasLinea)
            marcadores << QLatin1Char(':') + c;
        insertar.setSql(QStringLiteral("insert into TEMPORAL_COMPRAS (%1) values (%2) returning ID_TEMP_COMPRA")
                            .arg(kColumnasLinea.join(QStringLiteral(", ")), marcadores.join(QStringLiteral(", "))));
        actualizar.setSql(SqlActualizarLinea(kColumnasEdicion));
        calculo.setSql(SqlActualizarLinea(kColumnasCalculo));
        totales.clearSql();
        for (const char *l : {"select", "sum(IMPORTE_TOLAL_IV)    as T_IMPORTE_TOLAL_IV,",
                              "sum(IMPORTE_DESCUENTO)   as T_IMPORTE_DESCUENTO,",
                              "sum(TOTAL_GRAVADO)       as T_TOTAL_GRAVADO,",
                              "sum(TOTAL_NO_GRAVADO)    as T_TOTAL_NO_GRAVADO,",
                              "sum(TOTAL_SIN_IV)        as T_TOTAL_SIN_IV,",
                              "sum(TOTAL_CON_IV)        as T_TOTAL_CON_IV,",
                              "sum(SUBTOTAL_GRAVADO)    as T_SUBTOTAL_GRAVADO,",
                              "sum(SUBTOTAL_NO_GRAVADO) as T_SUBTOTAL_NO_GRAVADO", "from TEMPORAL_COMPRAS",
                              "where NRO_CAJA = :nro_caja", "and COMPUTADORA = :compu"})
            totales.addSql(QString::fromLatin1(l));
        articulo.setSql(QStringLiteral("select * from INVENTARIO where COD_BARRAS = :Texto or CODIGO2 = :Texto "
                                       "or CODIGO3 = :Texto"));
    }
};

EntradaCompra::EntradaCompra(TFDatosComp &datos, const QString &modo)
    : datos_(datos), q_(std::make_unique<Consultas>(datos)), modo_(modo)
{
    nroCaja_ = datos_.NroCaja;
    computadora_ = VerVariable(QStringLiteral("ComputerName"));
    fecha_ = QDate::currentDate();
}

EntradaCompra::~EntradaCompra() = default;

void EntradaCompra::EstablecerEstacion(int nroCaja, const QString &computadora)
{
    nroCaja_ = nroCaja;
    computadora_ = computadora;
}

void EntradaCompra::Recordar(const std::exception &e)
{
    if (const auto *d = dynamic_cast<const db::DbError *>(&e))
        ultimoError_ = d->message();
    else
        ultimoError_ = QString::fromUtf8(e.what());
}

void EntradaCompra::Confirmar()
{
    if (!datos_.TransaccionGlobal && datos_.TransUpdate->active())
        datos_.TransUpdate->commit();
}

void EntradaCompra::Deshacer()
{
    if (!datos_.TransaccionGlobal)
        DeshacerTransacciones({datos_.TransUpdate});
}

void EntradaCompra::DeshacerInventario()
{
    if (!datos_.TransaccionGlobal)
        DeshacerTransacciones({datos_.TransUpdateInv});
}

// ---------------------------------------------------------------------------
// Opening

void EntradaCompra::Iniciar()
{
    ConsignacionAFacturar = false;
    IdConsignacion = 0;
    NroConsignacion.clear();
    ModoPedido = false;
    NroPedido.clear();
    NumCodigoInventario = 0;
    porcDescuento_ = Currency();
    codigoProveedor_ = 0;
    nombreProveedor_.clear();
    comprobante_.clear();
    fecha_ = QDate::currentDate();
    tipoComprobante_ = TipoFactura;
    moneda_ = 1;
    proveedorExento_ = false;
    numeroLinea_ = 0;
    totales_ = TotalesEntrada();
    QuitarPreciosElegidos();
    const ArchivoIni ini(TFDatosComp::CarpetaIni() + QStringLiteral("/datos.ini"));
    acumulaRenglones_ = ini.LeerTexto(QStringLiteral("Functions"), QStringLiteral("AcumulaRenglonesCompras"),
                                      QStringLiteral("S"))
                        != QLatin1String("N");
    usaBodega_ = EsCompra() && datos_.ConfigSi(QStringLiteral("COMPRAS_BODEGA"));
    inventarioPrincipal_ = true;
    codBodega_.clear();
    destino_ = kInventarioPrincipal;
}

void EntradaCompra::AbrirLineasDataset()
{
    db::Dataset *ds = datos_.TMP_Compra;
    ds->close();
    ds->setSelectSql(QStringLiteral("select * from TEMPORAL_COMPRAS\nwhere NRO_CAJA = :nro_caja\n"
                                    "and COMPUTADORA = :compu\norder by ID_TEMP_COMPRA"));
    ds->paramByName(QStringLiteral("nro_caja")).setAsInteger(nroCaja_);
    ds->paramByName(QStringLiteral("compu")).setAsString(computadora_);
    ds->open();
}

void EntradaCompra::RefrescarLineas()
{
    db::Dataset *ds = datos_.TMP_Compra;
    if (!ds->active() || !ds->selectSql().contains(QLatin1String("TEMPORAL_COMPRAS")))
        return;
    try {
        ds->refresh();
    } catch (const std::exception &e) {
        Recordar(e);
    }
}

bool EntradaCompra::Restaurar()
{
    AbrirLineasDataset();
    bool hayLineas = false;
    try {
        hayLineas = CantidadLineas() > 0;
        if (!hayLineas) {
            if (!EliminaTempCompras(2, nroCaja_, computadora_))
                throw std::runtime_error("Error al eliminar la tabla temporal de compras");
            Confirmar();
            return false;
        }
        db::Query &q = q_->tienda;
        q.setSql(QStringLiteral("select * from TEMPORAL_ENC_COMPRA\nwhere NRO_CAJA = :nro_caja\nand COMPUTADORA = :compu"));
        q.paramByName("nro_caja").setAsInteger(nroCaja_);
        q.paramByName("compu").setAsString(computadora_);
        q.execQuery();
        int tipoGuardado = 0;
        if (!q.eof()) {
            codigoProveedor_ = q.fieldByName(QStringLiteral("CODIGO_PROVEEDOR")).asInteger();
            comprobante_ = q.fieldByName(QStringLiteral("COMPROBANTE")).asString();
            fecha_ = q.fieldByName(QStringLiteral("FECHA")).asDate();
            porcDescuento_ = q.fieldByName(QStringLiteral("POCE_DESCUENTO")).asCurrency();
            tipoGuardado = q.fieldByName(QStringLiteral("TIPO")).asInteger();
        }
        q.close();
        if (codigoProveedor_ != 0) {
            db::Query &p = q_->inventario;
            p.setSql(QStringLiteral("select * from PROVEEDORES\nwhere COD_PROVEEDOR = :IdProv"));
            p.paramByName("IdProv").setAsInteger(codigoProveedor_);
            p.execQuery();
            if (!p.eof()) {
                nombreProveedor_ = p.fieldByName(QStringLiteral("NOMBRE")).asString();
                const int tipoMoneda = p.fieldByName(QStringLiteral("TIPO_MONEDA")).asInteger();
                if (EsCompra() && datos_.ConfigSi(QStringLiteral("COMPRA_MULTIMONEDA")))
                    moneda_ = (tipoGuardado == 1 || tipoGuardado == 2) ? tipoGuardado : (tipoMoneda == 1 ? 1 : 2);
            }
            p.close();
        }
        q.setSql(QStringLiteral("select max(NUMERO_LINEA) from TEMPORAL_COMPRAS where NRO_CAJA = :nro_caja "
                                "and COMPUTADORA = :compu"));
        q.paramByName("nro_caja").setAsInteger(nroCaja_);
        q.paramByName("compu").setAsString(computadora_);
        q.execQuery();
        numeroLinea_ = q.eof() ? 0 : q.field(0).asInteger();
        q.close();
        // The lines keep their own percentages; the saved one is the global discount in force.
        if (!RecalcularEnTransaccion())
            throw std::runtime_error("No se pudo recalcular las lineas.");
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        if (!hayLineas) {
            mensajes().Error(QStringLiteral("Error al eliminar la tabla temporal de compras"));
            return false;
        }
        mensajes().Error(kNoRecalcula);
    }
    RefrescarLineas();
    CalcularSubTotales();
    return hayLineas;
}

// ---------------------------------------------------------------------------
// Header

void EntradaCompra::GuardarEncabezado()
{
    db::Query &q = q_->tienda;
    auto ligar = [&] {
        q.paramByName("f").setValue(fecha_.isValid() ? db::Value::date(fecha_) : db::Value());
        q.paramByName("c").setAsString(comprobante_);
        q.paramByName("p").setAsInteger(codigoProveedor_);
        q.paramByName("d").setAsCurrency(porcDescuento_);
        q.paramByName("t").setAsInteger(moneda_);
        q.paramByName("nro_caja").setAsInteger(nroCaja_);
        q.paramByName("compu").setAsString(computadora_);
    };
    q.setSql(QStringLiteral("update TEMPORAL_ENC_COMPRA set FECHA = :f, COMPROBANTE = :c, CODIGO_PROVEEDOR = :p, "
                            "POCE_DESCUENTO = :d, TIPO = :t where NRO_CAJA = :nro_caja and COMPUTADORA = :compu"));
    ligar();
    q.execQuery();
    if (q.rowsAffected() == 0) {
        q.setSql(QStringLiteral("insert into TEMPORAL_ENC_COMPRA (FECHA, COMPROBANTE, CODIGO_PROVEEDOR, "
                                "POCE_DESCUENTO, TIPO, NRO_CAJA, COMPUTADORA) values (:f, :c, :p, :d, :t, :nro_caja, :compu)"));
        ligar();
        q.execQuery();
    }
    q.close();
}

void EntradaCompra::GuardarEncabezadoAhora()
{
    try {
        GuardarEncabezado();
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
    }
}

void EntradaCompra::EstablecerProveedor(int codigo, const QString &nombre)
{
    codigoProveedor_ = codigo;
    nombreProveedor_ = nombre;
    proveedorExento_ = false;
    GuardarEncabezadoAhora();
}

bool EntradaCompra::EstablecerComprobante(const QString &numero)
{
    const QString n = numero.trimmed().toUpper();
    if (n.size() > kLargoComprobante)
        return false;
    if (n == comprobante_)
        return true;
    comprobante_ = n;
    GuardarEncabezadoAhora();
    return true;
}

void EntradaCompra::EstablecerFecha(const QDate &fecha)
{
    if (fecha == fecha_)
        return;
    fecha_ = fecha;
    GuardarEncabezadoAhora();
}

void EntradaCompra::EstablecerTipoComprobante(const QString &tipo)
{
    tipoComprobante_ = tipo;
}

bool EntradaCompra::TipoCambioValido() const
{
    return datos_.TipoCambio > Currency() && datos_.TipoCambio2 > Currency();
}

QString EntradaCompra::MensajeTipoCambioCero() const
{
    QString moneda = datos_.Config(QStringLiteral("DENOMINACION_MONEDA2"));
    if (moneda.isEmpty())
        moneda = QStringLiteral("la segunda moneda");
    return QStringLiteral("No se puede registrar el comprobante en %1 porque el tipo de cambio es cero. "
                          "Actualice los tipos de cambio antes de continuar.")
        .arg(moneda);
}

bool EntradaCompra::EstablecerMoneda(int moneda, QString *motivo)
{
    if (moneda != 2) {
        moneda_ = 1;
    } else {
        if (!EsCompra() || !datos_.ConfigSi(QStringLiteral("COMPRA_MULTIMONEDA"))) {
            if (motivo)
                *motivo = QStringLiteral("Las compras en segunda moneda no están habilitadas.");
            return false;
        }
        if (!TipoCambioValido()) {
            if (motivo)
                *motivo = MensajeTipoCambioCero();
            return false;
        }
        moneda_ = 2;
    }
    GuardarEncabezadoAhora();
    return true;
}

void EntradaCompra::EstablecerDestino(bool principal, const QString &codBodega, const QString &descripcion)
{
    inventarioPrincipal_ = principal;
    codBodega_ = principal ? QString() : codBodega;
    destino_ = principal ? kInventarioPrincipal : descripcion;
}

// ---------------------------------------------------------------------------
// Articles

std::optional<ArticuloCompra> EntradaCompra::BuscarArticulo(const QString &codigo)
{
    const QString texto = codigo.trimmed().toUpper();
    if (texto.isEmpty())
        return std::nullopt;
    db::Query &q = q_->articulo;
    q.paramByName("Texto").setAsString(texto);
    q.execQuery();
    std::optional<ArticuloCompra> encontrado;
    while (!q.eof()) {
        ArticuloCompra a = LeerArticulo(q);
        const bool exacto = a.codigo == texto;
        if (!encontrado || exacto)
            encontrado = std::move(a);
        if (exacto)
            break;
        q.next();
    }
    q.close();
    return encontrado;
}

Currency EntradaCompra::CostoPropuesto(const ArticuloCompra &a) const
{
    Currency costo = a.precioCompra;
    if (a.gravado && a.impuestoIncluido)
        costo = DesdeCrudo(Crudo(costo) * aritmetica::CienPorCiento / (aritmetica::CienPorCiento + Crudo(a.porcIv)));
    if (moneda_ == 2)
        costo = TransformaMonedaDos(costo);
    return costo;
}

// ---------------------------------------------------------------------------
// Lines

std::optional<int> EntradaCompra::LineaDelArticulo(const QString &codigo)
{
    db::Query &q = q_->lineaArticulo;
    q.paramByName("Compu").setAsString(computadora_);
    q.paramByName("vCodbar").setAsString(codigo);
    q.paramByName("nro_caja").setAsInteger(nroCaja_);
    q.execQuery();
    std::optional<int> id;
    if (!q.eof())
        id = q.field(0).asInteger();
    q.close();
    return id;
}

bool EntradaCompra::EscribirLinea(const LineaEntrada &l)
{
    db::Query &q = q_->insertar;
    for (const QString &c : kColumnasLinea)
        q.paramByName(c).setValue(ValorColumna(l, c, nroCaja_, computadora_));
    q.execQuery();
    q.close();
    return true;
}

void EntradaCompra::ActualizarLinea(const LineaEntrada &l)
{
    db::Query &q = q_->actualizar;
    for (const QString &c : kColumnasEdicion)
        q.paramByName(c).setValue(ValorColumna(l, c, nroCaja_, computadora_));
    q.paramByName("id").setAsInteger(l.id);
    q.paramByName("nro_caja").setAsInteger(nroCaja_);
    q.paramByName("compu").setAsString(computadora_);
    q.execQuery();
    q.close();
}

bool EntradaCompra::NuevaLinea(const ArticuloCompra &a, Currency cantidad, Currency costo, Currency porcDesc,
                               std::optional<Currency> precioVenta)
{
    LineaEntrada l;
    l.codigo = a.codigo;
    l.familia = a.familia;
    l.nombre = a.nombre;
    l.cantidad = cantidad;
    l.descuentoMaximo = a.descuentoMaximo;
    l.porceIvArticulo = a.porcIv;
    l.precioVentaAnterior = a.precioSinIv1;
    l.precioVenta = precioVenta ? *precioVenta : (a.impuestoIncluido ? a.precioConIv1 : a.precioSinIv1);
    l.costo = l.unitSinIv = costo;
    l.unitConIv = ConImpuesto(costo, a.porcIv);
    l.fraccionado = SN(a.fraccionado);
    l.gravado = SN(a.gravado);
    l.ivi = SN(a.impuestoIncluido);
    l.porceIv = a.gravado ? a.porcIv : Currency();
    l.tieneSerie = SN(a.tieneSerie);
    l.porceDesc = porcDesc;
    l.numeroLinea = numeroLinea_ + 1;
    l.totalSinIv = Por(costo, cantidad);
    l.totalConIv = Por(l.unitConIv, cantidad);
    CalcularImportes(l);
    EscribirLinea(l);
    numeroLinea_ = l.numeroLinea;
    return true;
}

bool EntradaCompra::AcumularLinea(const LineaEntrada &linea, const ArticuloCompra &a, Currency cantidad, Currency costo)
{
    LineaEntrada l = linea;
    l.cantidad = linea.cantidad + cantidad;
    l.costo = l.unitSinIv = costo;
    l.unitConIv = ConImpuesto(costo, a.porcIv);
    l.totalSinIv = Por(costo, l.cantidad);
    l.totalConIv = Por(l.unitConIv, l.cantidad);
    CalcularImportes(l);
    ActualizarLinea(l);
    return true;
}

EntradaCompra::Resultado EntradaCompra::AgregarArticulo(const QString &codigo, Currency cantidad, Currency costo)
{
    if (cantidad <= Currency() || cantidad > kCantidadMaxima)
        return Resultado::CantidadInvalida;
    if (costo <= Currency() || costo > kCostoMaximo || ProductoExcede(costo, cantidad, kTotalLineaMaximo))
        return Resultado::CostoInvalido;
    std::optional<ArticuloCompra> a;
    try {
        a = BuscarArticulo(codigo);
    } catch (const std::exception &e) {
        Recordar(e);
        return Resultado::Error;
    }
    if (!a)
        return Resultado::NoEncontrado;
    if (a->compuesto)
        return Resultado::Compuesto;

    Resultado resultado = Resultado::Agregada;
    try {
        std::optional<LineaEntrada> existente;
        if (acumulaRenglones_)
            if (std::optional<int> id = LineaDelArticulo(a->codigo))
                existente = Linea(*id);
        if (existente) {
            Currency nuevoCosto = costo;
            if (costo != existente->costo) {
                bool cambiar = cambioCosto_ == CambioCosto::Cambiar;
                if (cambioCosto_ == CambioCosto::Preguntar)
                    cambiar = mensajes().Pregunta(kPreguntaCambioCosto, QStringLiteral("Información"));
                if (!cambiar)
                    nuevoCosto = existente->costo;
            }
            if (existente->cantidad + cantidad > kCantidadMaxima
                || ProductoExcede(nuevoCosto, existente->cantidad + cantidad, kTotalLineaMaximo)) {
                Confirmar();
                return Resultado::CantidadInvalida;
            }
            AcumularLinea(*existente, *a, cantidad, nuevoCosto);
            resultado = Resultado::Acumulada;
        } else {
            NuevaLinea(*a, cantidad, costo, porcDescuento_, std::nullopt);
        }
        GuardarEncabezado();
        if (!RecalcularEnTransaccion())
            throw std::runtime_error("No se pudo recalcular las lineas.");
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        RefrescarLineas();
        return Resultado::Error;
    }
    RefrescarLineas();
    CalcularSubTotales();
    return resultado;
}

CalculoLinea EntradaCompra::CalcularEdicion(Currency costo, Currency cantidad, Currency porcDescuento)
{
    CalculoLinea c;
    c.subtotal = Por(costo, cantidad);
    c.descuento = PorPorcentaje(costo, cantidad, porcDescuento);
    c.total = c.subtotal - c.descuento;
    return c;
}

bool EntradaCompra::ModificarLinea(int idLinea, const CambioLinea &cambio)
{
    if (cambio.porcDescuento > Currency(100) || cambio.porcDescuento < Currency())
        return false;
    if (cambio.cantidad <= Currency() || cambio.cantidad > kCantidadMaxima || cambio.costo <= Currency()
        || cambio.costo > kCostoMaximo || ProductoExcede(cambio.costo, cambio.cantidad, kTotalLineaMaximo)
        || cambio.precioVenta < Currency())
        return false;
    try {
        std::optional<LineaEntrada> actual = Linea(idLinea);
        if (!actual) {
            Confirmar();
            return false;
        }
        const bool cambiaPorcentaje = cambio.porcDescuento != actual->porceDesc;
        LineaEntrada l = *actual;
        l.costo = l.unitSinIv = cambio.costo;
        l.cantidad = cambio.cantidad;
        l.porceDesc = cambio.porcDescuento;
        l.gravado = SN(cambio.gravado);
        l.ivi = SN(cambio.ivi);
        // A line that becomes taxed takes the article's rate; an untaxed one has none.
        if (!cambio.gravado)
            l.porceIv = Currency();
        else if (l.porceIv.isZero())
            l.porceIv = l.porceIvArticulo;
        l.unitConIv = ConImpuesto(l.unitSinIv, l.porceIv);
        l.totalSinIv = Por(l.unitSinIv, l.cantidad);
        l.totalConIv = Por(l.unitConIv, l.cantidad);
        l.precioVenta = cambio.precioVenta;
        CalcularImportes(l);
        ActualizarLinea(l);
        if (cambiaPorcentaje) {
            porcDescuento_ = Currency();
            GuardarEncabezado();
        }
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        return false;
    }
    RefrescarLineas();
    CalcularSubTotales();
    return true;
}

bool EntradaCompra::EliminarLinea(int idLinea)
{
    try {
        db::Query &q = q_->tienda;
        q.setSql(QStringLiteral("delete from TEMPORAL_COMPRAS where ID_TEMP_COMPRA = :id and NRO_CAJA = :nro_caja "
                                "and COMPUTADORA = :compu"));
        q.paramByName("id").setAsInteger(idLinea);
        q.paramByName("nro_caja").setAsInteger(nroCaja_);
        q.paramByName("compu").setAsString(computadora_);
        q.execQuery();
        const bool borrada = q.rowsAffected() > 0;
        q.close();
        Confirmar();
        RefrescarLineas();
        CalcularSubTotales();
        return borrada;
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        return false;
    }
}

bool EntradaCompra::RecalcularEnTransaccion()
{
    std::vector<LineaEntrada> cambiadas;
    db::Query &q = q_->lineas;
    q.paramByName("nro_caja").setAsInteger(nroCaja_);
    q.paramByName("compu").setAsString(computadora_);
    q.execQuery();
    while (!q.eof()) {
        const LineaEntrada guardada = LeerLinea(q);
        LineaEntrada calculada = guardada;
        CalcularImportes(calculada);
        if (!MismosImportes(guardada, calculada))
            cambiadas.push_back(std::move(calculada));
        q.next();
    }
    q.close();
    db::Query &u = q_->calculo;
    for (const LineaEntrada &l : cambiadas) {
        for (const QString &c : kColumnasCalculo)
            u.paramByName(c).setValue(ValorColumna(l, c, nroCaja_, computadora_));
        u.paramByName("id").setAsInteger(l.id);
        u.paramByName("nro_caja").setAsInteger(nroCaja_);
        u.paramByName("compu").setAsString(computadora_);
        u.execQuery();
        u.close();
    }
    return true;
}

bool EntradaCompra::RecalcularLineas()
{
    try {
        RecalcularEnTransaccion();
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        DeshacerInventario();
        mensajes().Error(kNoRecalcula);
        return false;
    }
    RefrescarLineas();
    return true;
}

void EntradaCompra::CalcularSubTotales()
{
    TotalesEntrada t;
    try {
        db::Query &q = q_->totales;
        q.paramByName("nro_caja").setAsInteger(nroCaja_);
        q.paramByName("compu").setAsString(computadora_);
        q.execQuery();
        if (!q.eof()) {
            auto m = [&q](const char *f) { return q.fieldByName(QString::fromLatin1(f)).asCurrency(); };
            t.SubtotalGravado = m("T_SUBTOTAL_GRAVADO");
            t.SubtotalNoGravado = m("T_SUBTOTAL_NO_GRAVADO");
            t.TotalGravado = m("T_TOTAL_GRAVADO");
            t.TotalNoGravado = m("T_TOTAL_NO_GRAVADO");
            t.TotalSinIV = m("T_TOTAL_SIN_IV");
            t.Descuento = m("T_IMPORTE_DESCUENTO");
            t.Impuesto = m("T_IMPORTE_TOLAL_IV");
        }
        q.close();
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
    }
    t.SubTotal2 = t.TotalGravado + t.TotalNoGravado;
    t.Total = t.SubTotal2 + t.Impuesto;
    totales_ = t;
}

std::vector<LineaEntrada> EntradaCompra::Lineas()
{
    std::vector<LineaEntrada> lineas;
    db::Query &q = q_->lineas;
    q.paramByName("nro_caja").setAsInteger(nroCaja_);
    q.paramByName("compu").setAsString(computadora_);
    q.execQuery();
    while (!q.eof()) {
        lineas.push_back(LeerLinea(q));
        q.next();
    }
    q.close();
    return lineas;
}

std::optional<LineaEntrada> EntradaCompra::Linea(int idLinea)
{
    db::Query &q = q_->tienda;
    q.setSql(QStringLiteral("select * from TEMPORAL_COMPRAS where ID_TEMP_COMPRA = :id and NRO_CAJA = :nro_caja "
                            "and COMPUTADORA = :compu"));
    q.paramByName("id").setAsInteger(idLinea);
    q.paramByName("nro_caja").setAsInteger(nroCaja_);
    q.paramByName("compu").setAsString(computadora_);
    q.execQuery();
    std::optional<LineaEntrada> l;
    if (!q.eof())
        l = LeerLinea(q);
    q.close();
    return l;
}

int EntradaCompra::CantidadLineas()
{
    db::Query &q = q_->tienda;
    q.setSql(QStringLiteral("select count(*) from TEMPORAL_COMPRAS where NRO_CAJA = :nro_caja and COMPUTADORA = :compu"));
    q.paramByName("nro_caja").setAsInteger(nroCaja_);
    q.paramByName("compu").setAsString(computadora_);
    q.execQuery();
    const int n = q.eof() ? 0 : q.field(0).asInteger();
    q.close();
    return n;
}

// ---------------------------------------------------------------------------
// Global discount

bool EntradaCompra::AplicarDescuentoGlobal(Currency porcentaje, QString *motivo)
{
    if (porcentaje > Currency(100) || porcentaje < Currency()) {
        if (motivo)
            *motivo = porcentaje < Currency() ? kPorcentajeNegativo : kPorcentajeMayor100;
        return false;
    }
    const Currency anterior = porcDescuento_;
    porcDescuento_ = porcentaje;
    if (!ActualizaTempCompras(1, nroCaja_, computadora_, porcentaje)) {
        Deshacer();
        DeshacerInventario();
        porcDescuento_ = anterior;
        mensajes().Error(QStringLiteral("No se pudo actualizar."));
        mensajes().Error(QStringLiteral("No se pudo aplicar el descuento ocurrio un error."));
        return false;
    }
    try {
        RecalcularEnTransaccion();
        GuardarEncabezado();
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        DeshacerInventario();
        porcDescuento_ = anterior;
        mensajes().Error(kNoRecalcula);
        RefrescarLineas();
        CalcularSubTotales();
        return false;
    }
    RefrescarLineas();
    CalcularSubTotales();
    return true;
}

bool EntradaCompra::AplicarDescuentoImporte(Currency importe)
{
    if (importe <= Currency() || importe > totales_.TotalSinIV || totales_.TotalSinIV.isZero())
        return false;
    const Currency porcentaje = DesdeCrudo(Crudo(importe) * 1e6L / Crudo(totales_.TotalSinIV));
    return AplicarDescuentoGlobal(porcentaje);
}

void EntradaCompra::QuitarDescuentoGlobal()
{
    porcDescuento_ = Currency();
    GuardarEncabezadoAhora();
}

// ---------------------------------------------------------------------------
// Clearing

bool EntradaCompra::LimpiarFactura()
{
    try {
        if (!EliminaTempCompras(1, nroCaja_, computadora_))
            throw std::runtime_error("Error al eliminar temporal de compras");
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        mensajes().Error(kNoEliminaTemporal);
        return false;
    }
    porcDescuento_ = Currency();
    fecha_ = QDate::currentDate();
    numeroLinea_ = 0;
    proveedorExento_ = false;
    QuitarPreciosElegidos();
    RefrescarLineas();
    CalcularSubTotales();
    return true;
}

// ---------------------------------------------------------------------------
// Processing checks

QStringList EntradaCompra::ArticulosConVariosCostos()
{
    QStringList codigos;
    db::Query &q = q_->tienda;
    q.setSql(QStringLiteral("select cod_barras from (select cod_barras, impore_costo from temporal_compras "
                            "where computadora = :comp and nro_caja = :nro_caja group by cod_barras, impore_costo) "
                            "group by cod_barras having count(*) > 1 order by cod_barras"));
    q.paramByName("comp").setAsString(computadora_);
    q.paramByName("nro_caja").setAsInteger(nroCaja_);
    q.execQuery();
    while (!q.eof()) {
        codigos << q.field(0).asString();
        q.next();
    }
    q.close();
    return codigos;
}

std::vector<Currency> EntradaCompra::CostosDeArticulo(const QString &codigo)
{
    std::vector<Currency> costos;
    db::Query &q = q_->tienda;
    q.setSql(QStringLiteral("select impore_costo from temporal_compras where cod_barras = :cod and computadora = :comp "
                            "and nro_caja = :nro_caja group by impore_costo order by impore_costo desc"));
    q.paramByName("cod").setAsString(codigo);
    q.paramByName("comp").setAsString(computadora_);
    q.paramByName("nro_caja").setAsInteger(nroCaja_);
    q.execQuery();
    while (!q.eof()) {
        costos.push_back(q.field(0).asCurrency());
        q.next();
    }
    q.close();
    return costos;
}

bool EntradaCompra::ComprobanteUtilizado()
{
    db::Query &q = q_->tienda;
    if (EsCompra()) {
        if (tipoComprobante_ == TipoNotaCredito)
            q.setSql(QStringLiteral("select first 1 1 from NOTAS_CREDITO_PROV where COD_PROVEEDOR=:vcodProv and "
                                    "COMPROBANTE=:vcompro"));
        else
            q.setSql(QStringLiteral("select first 1 1 from FACTURAS_COMPRA where CODIGO_PROVEEDOR=:vcodProv and "
                                    "COMPROBANTE=:vcompro"));
        q.paramByName("vcodProv").setAsInteger(codigoProveedor_);
    } else {
        q.setSql(QStringLiteral("select first 1 1 from CONSIGNACIONES where NOMBRE =:Prov and COMPROBANTE=:vcompro"));
        q.paramByName("Prov").setAsString(nombreProveedor_);
    }
    q.paramByName("vcompro").setAsString(comprobante_);
    q.execQuery();
    const bool usado = !q.eof();
    q.close();
    return usado;
}

bool EntradaCompra::EsProveedorExento()
{
    db::Query &q = q_->inventario;
    q.setSql(QStringLiteral("select EXENTO from PROVEEDORES\n where COD_PROVEEDOR = :Provee"));
    q.paramByName("Provee").setAsInteger(codigoProveedor_);
    q.execQuery();
    const bool exento = !q.eof() && q.field(0).asString() == QLatin1String("S");
    q.close();
    return exento;
}

bool EntradaCompra::AplicarExencion()
{
    if (!EsProveedorExento())
        return false;
    totales_.Total = totales_.Total - totales_.Impuesto;
    totales_.Impuesto = Currency();
    proveedorExento_ = true;
    return true;
}

EntradaCompra::Validacion EntradaCompra::Validar()
{
    Validacion v;
    auto falla = [&v](Falla f, const QString &m) {
        v.falla = f;
        v.mensaje = m;
        return v;
    };
    if (codigoProveedor_ == 0)
        return falla(Falla::SinProveedor, kSinProveedor);
    if (comprobante_.trimmed().isEmpty())
        return falla(Falla::SinComprobante, kSinComprobante);
    if (!fecha_.isValid())
        return falla(Falla::SinFecha, kSinFecha);
    try {
        if (CantidadLineas() == 0) {
            Confirmar();
            return falla(Falla::SinLineas, kSinLineas);
        }
        if (moneda_ == 2 && !TipoCambioValido()) {
            Confirmar();
            return falla(Falla::TipoCambioCero, MensajeTipoCambioCero());
        }
        if (!acumulaRenglones_ && !preciosElegidosActivo_) {
            const QStringList codigos = ArticulosConVariosCostos();
            if (!codigos.isEmpty()) {
                Confirmar();
                falla(Falla::ElegirPrecios, QString());
                v.codigosVariosCostos = codigos;
                return v;
            }
        }
        if (ComprobanteUtilizado()) {
            Confirmar();
            return falla(Falla::ComprobanteUsado, kComprobanteUsado);
        }
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        return falla(Falla::ErrorBaseDatos, ultimoError_);
    }
    return v;
}

// ---------------------------------------------------------------------------
// Purchase-price choice

void EntradaCompra::EstablecerPreciosElegidos(std::vector<PrecioElegido> precios)
{
    preciosElegidos_ = std::move(precios);
    preciosElegidosActivo_ = true;
}

void EntradaCompra::QuitarPreciosElegidos()
{
    preciosElegidos_.clear();
    preciosElegidosActivo_ = false;
}

bool EntradaCompra::EscribirPreciosElegidos(db::Query *q) const
{
    db::Query &u = q ? *q : datos_.TransaccionI;
    try {
        for (const PrecioElegido &p : preciosElegidos_) {
            u.setSql(QStringLiteral("Update Inventario set PRECIO_COMPRA=:precioCompra where COD_BARRAS=:cod"));
            u.paramByName("precioCompra").setAsCurrency(p.costo);
            u.paramByName("cod").setAsString(p.codigo);
            u.execQuery();
            u.close();
        }
    } catch (const std::exception &) {
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// New articles (spreadsheet import and orders)

ArticuloCompra EntradaCompra::ArticuloNuevo(const QString &codigo, const QString &nombre, std::optional<bool> gravado,
                                            std::optional<bool> ivi) const
{
    ArticuloCompra a;
    a.codigo = codigo;
    a.nombre = nombre;
    a.gravado = gravado.value_or(datos_.ConfigSi(QStringLiteral("PRECIO_GRAVADO")));
    a.impuestoIncluido = ivi.value_or(datos_.ConfigSi(QStringLiteral("PRECIO_IVI")));
    a.porcIv = datos_.ConfigMoneda(QStringLiteral("PORCENTAJE_IV"));
    a.baseCalculo1 = datos_.ConfigEntero(QStringLiteral("BASE1")) - 1;
    return a;
}

QString EntradaCompra::CrearArticulo(const QString &codigo, const QString &nombre, std::optional<bool> gravado,
                                     std::optional<bool> ivi)
{
    const ArticuloCompra a = ArticuloNuevo(codigo, nombre, gravado, ivi);
    QStringList columnas = {QStringLiteral("COD_BARRAS"),        QStringLiteral("NOMBRE"),
                            QStringLiteral("FECHA_ALTA"),        QStringLiteral("FECHA_ULTIMACOMPRA"),
                            QStringLiteral("ACTUALIZAR_EXIST"),  QStringLiteral("GRAVADO"),
                            QStringLiteral("IMPUESTO_INCLUIDO"), QStringLiteral("REDONDEA_PRECIO_FINAL"),
                            QStringLiteral("PORC_IV"),           QStringLiteral("COMPUESTO"),
                            QStringLiteral("FRACCIONADO"),       QStringLiteral("TIENE_SERIE"),
                            QStringLiteral("STOCK"),             QStringLiteral("PRECIO_COMPRA"),
                            QStringLiteral("COSTO_PROMEDIO"),    QStringLiteral("ARTICULO_INACTIVO")};
    for (int n = 1; n <= 4; ++n)
        for (const char *c : {"BASECALCULO_", "COEFA_", "COEFB_", "SUMAFIJA_", "REDONDEO_"})
            columnas << QString::fromLatin1(c) + QString::number(n);
    QStringList marcadores;
    for (const QString &c : columnas)
        marcadores << QLatin1Char(':') + c;
    db::Query &q = q_->inventarioEscritura;
    q.setSql(QStringLiteral("insert into INVENTARIO (%1) values (%2)")
                 .arg(columnas.join(QStringLiteral(", ")), marcadores.join(QStringLiteral(", "))));
    const QDateTime ahora = QDateTime::currentDateTime();
    q.paramByName("COD_BARRAS").setAsString(a.codigo);
    q.paramByName("NOMBRE").setAsString(a.nombre);
    q.paramByName("FECHA_ALTA").setAsDateTime(ahora);
    q.paramByName("FECHA_ULTIMACOMPRA").setAsDateTime(ahora);
    q.paramByName("ACTUALIZAR_EXIST").setAsString(QStringLiteral("S"));
    q.paramByName("GRAVADO").setAsString(SN(a.gravado));
    q.paramByName("IMPUESTO_INCLUIDO").setAsString(SN(a.impuestoIncluido));
    q.paramByName("REDONDEA_PRECIO_FINAL").setAsString(datos_.Config(QStringLiteral("REDONDEA_PRECIO_FINAL")));
    q.paramByName("PORC_IV").setAsCurrency(a.porcIv);
    for (const char *c : {"COMPUESTO", "FRACCIONADO", "TIENE_SERIE", "ARTICULO_INACTIVO"})
        q.paramByName(c).setAsString(QStringLiteral("N"));
    for (const char *c : {"STOCK", "PRECIO_COMPRA", "COSTO_PROMEDIO"})
        q.paramByName(c).setAsCurrency(Currency());
    for (int n = 1; n <= 4; ++n) {
        const QString s = QString::number(n);
        q.paramByName(QStringLiteral("BASECALCULO_") + s).setAsInteger(datos_.ConfigEntero(QStringLiteral("BASE") + s) - 1);
        q.paramByName(QStringLiteral("COEFA_") + s).setAsCurrency(datos_.ConfigMoneda(QStringLiteral("INC1_PRE") + s));
        q.paramByName(QStringLiteral("COEFB_") + s).setAsCurrency(datos_.ConfigMoneda(QStringLiteral("INC2_PRE") + s));
        q.paramByName(QStringLiteral("SUMAFIJA_") + s).setAsCurrency(datos_.ConfigMoneda(QStringLiteral("SUMA_FIJA") + s));
        q.paramByName(QStringLiteral("REDONDEO_") + s).setAsInteger(datos_.ConfigEntero(QStringLiteral("REDONDEO") + s));
    }
    q.execQuery();
    q.close();
    return a.codigo;
}

// ---------------------------------------------------------------------------
// Spreadsheet import

namespace {

struct FilaHoja {
    int fila = 0;
    QString codigo, nombre;
    Currency cantidad, costo;
    std::optional<Currency> descuento, precioVenta;
    std::optional<bool> gravado, ivi;
    std::optional<ArticuloCompra> articulo;  // found by any of its codes
};

QString NombreColumna(int columna)
{
    return columna >= 1 && columna <= 8 ? QString::fromUtf8(kNombresColumnasHoja[columna - 1]) : QString();
}

} // namespace

ResultadoImportacion EntradaCompra::ImportarHoja(const THojaCalc &hoja, const std::function<void(int, int)> &progreso)
{
    ResultadoImportacion r;
    std::vector<FilaHoja> filas;
    auto error = [&r](int fila, int columna, const QString &texto) { r.errores.push_back({fila, columna, texto}); };

    // Reads and checks every row before anything is written.
    QHash<QString, int> nuevos;  // unknown code -> first row that names it
    try {
        for (int fila = kPrimeraFilaImportacion;; ++fila) {
            const QString codigo = hoja.GetCellText(fila, 1).trimmed().toUpper();
            if (codigo.isEmpty())
                break;
            FilaHoja f;
            f.fila = fila;
            f.codigo = codigo;
            f.nombre = hoja.GetCellText(fila, 2).trimmed().toUpper();
            const std::size_t erroresAntes = r.errores.size();
            if (codigo.size() > 30)
                error(fila, 1, S("el código no puede tener más de 30 caracteres"));
            if (f.nombre.size() > 200)
                error(fila, 2, S("la descripción no puede tener más de 200 caracteres"));
            auto numero = [&](int columna, bool obligatorio, Currency maximo) -> std::optional<Currency> {
                const QString texto = hoja.GetCellText(fila, columna).trimmed();
                if (texto.isEmpty()) {
                    if (obligatorio)
                        error(fila, columna, S("la celda está vacía"));
                    return std::nullopt;
                }
                Currency v;
                if (!LeerImporte(texto, v)) {
                    error(fila, columna, S("«%1» no es un número").arg(texto));
                    return std::nullopt;
                }
                if (v < Currency()) {
                    error(fila, columna, S("el valor no puede ser negativo"));
                    return std::nullopt;
                }
                if (v > maximo) {
                    error(fila, columna, S("el valor %1 está fuera del rango permitido (máximo %2)")
                                             .arg(texto, FormatCurrency(QStringLiteral("#,##0.####"), maximo)));
                    return std::nullopt;
                }
                return v;
            };
            auto bandera = [&](int columna) -> std::optional<bool> {
                const QString texto = hoja.GetCellText(fila, columna).trimmed().toUpper();
                if (texto.isEmpty())
                    return std::nullopt;
                if (texto != QLatin1String("S") && texto != QLatin1String("N")) {
                    error(fila, columna, S("«%1» no es válido: escriba S o N").arg(texto));
                    return std::nullopt;
                }
                return texto == QLatin1String("S");
            };
            const std::optional<Currency> cantidad = numero(3, true, kCantidadMaxima);
            if (cantidad && cantidad->isZero())
                error(fila, 3, S("la cantidad debe ser mayor a cero"));
            const std::optional<Currency> costo = numero(4, true, kCostoMaximo);
            if (costo && costo->isZero())
                error(fila, 4, S("el costo debe ser mayor a cero"));
            f.descuento = numero(5, false, Currency(100));
            f.precioVenta = numero(6, false, kCostoMaximo);
            f.gravado = bandera(7);
            f.ivi = bandera(8);
            if (cantidad && costo && ProductoExcede(*cantidad, *costo, kTotalLineaMaximo))
                error(fila, 3, S("el total de la línea es demasiado grande"));
            if (r.errores.size() == erroresAntes && codigo.size() <= 30) {
                f.articulo = BuscarArticulo(codigo);
                if (f.articulo && f.articulo->compuesto)
                    error(fila, 1, S("%1 es un artículo compuesto; no se puede comprar").arg(codigo));
                if (!f.articulo && !nuevos.contains(codigo)) {
                    if (f.nombre.isEmpty())
                        error(fila, 2, S("el artículo %1 no existe y falta su descripción").arg(codigo));
                    else
                        nuevos.insert(codigo, fila);
                }
            }
            f.cantidad = cantidad.value_or(Currency());
            f.costo = costo.value_or(Currency());
            filas.push_back(std::move(f));
        }
    } catch (const std::exception &e) {
        Recordar(e);
        r.mensaje = S("No se pudo leer la hoja de cálculo: %1").arg(ultimoError_);
        return r;
    }
    if (!r.errores.empty()) {
        QStringList detalle;
        const std::size_t mostrar = std::min<std::size_t>(r.errores.size(), 15);
        for (std::size_t i = 0; i < mostrar; ++i) {
            const ErrorImportacion &e = r.errores[i];
            detalle << S("Fila %1, columna %2 (%3): %4").arg(e.fila).arg(e.columna).arg(NombreColumna(e.columna), e.texto);
        }
        if (r.errores.size() > mostrar)
            detalle << S("... y %1 errores más.").arg(r.errores.size() - mostrar);
        r.mensaje = S("No se importó ninguna línea. Corrija la hoja de cálculo:\n") + detalle.join(QLatin1Char('\n'));
        return r;
    }
    if (filas.empty()) {
        r.mensaje = S("La hoja de cálculo no tiene artículos a partir de la fila %1.").arg(kPrimeraFilaImportacion);
        return r;
    }

    // All rows are sound: write them in one go.
    const int numeroLineaAntes = numeroLinea_;
    QHash<QString, ArticuloCompra> creados;
    try {
        const int total = static_cast<int>(filas.size());
        int hechas = 0;
        for (const FilaHoja &f : filas) {
            ArticuloCompra a;
            if (f.articulo) {
                a = *f.articulo;
                if (!f.nombre.isEmpty())
                    a.nombre = f.nombre;
            } else if (creados.contains(f.codigo)) {
                a = creados.value(f.codigo);
            } else {
                CrearArticulo(f.codigo, f.nombre, f.gravado, f.ivi);
                a = ArticuloNuevo(f.codigo, f.nombre, f.gravado, f.ivi);
                creados.insert(f.codigo, a);
                ++r.articulosCreados;
            }
            // The row's flags, when given, are the line's.
            if (f.gravado) {
                a.gravado = *f.gravado;
                if (a.gravado && a.porcIv.isZero())
                    a.porcIv = datos_.ConfigMoneda(QStringLiteral("PORCENTAJE_IV"));
            }
            if (f.ivi)
                a.impuestoIncluido = *f.ivi;
            std::optional<Currency> precioVenta;
            if (f.precioVenta && *f.precioVenta > Currency())
                precioVenta = f.precioVenta;
            NuevaLinea(a, f.cantidad, f.costo, f.descuento.value_or(porcDescuento_), precioVenta);
            ++r.lineas;
            if (progreso)
                progreso(++hechas, total);
        }
        GuardarEncabezado();
        RecalcularEnTransaccion();
        if (datos_.TransaccionGlobal) {
            // the posting in progress commits
        } else if (r.articulosCreados > 0) {
            db::CommitTwoPhase({datos_.TransUpdateInv, datos_.TransUpdate});
        } else {
            Confirmar();
        }
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        DeshacerInventario();
        numeroLinea_ = numeroLineaAntes;
        r.lineas = 0;
        r.articulosCreados = 0;
        r.mensaje = S("No se pudo importar la hoja de cálculo; no se agregó ninguna línea.\n%1").arg(ultimoError_);
        RefrescarLineas();
        CalcularSubTotales();
        return r;
    }
    r.ok = true;
    RefrescarLineas();
    CalcularSubTotales();
    return r;
}

ResultadoImportacion EntradaCompra::ImportarArchivo(const QString &archivo,
                                                   const std::function<void(int, int)> &progreso)
{
    if (archivo.trimmed().isEmpty()) {
        ResultadoImportacion r;
        r.mensaje = kSinArchivo;
        return r;
    }
    try {
        THojaCalc hoja(archivo, false);
        hoja.ActivateSheetByIndex(1);
        return ImportarHoja(hoja, progreso);
    } catch (const ErrorLibro &e) {
        ResultadoImportacion r;
        r.mensaje = e.mensaje();
        return r;
    }
}

bool EntradaCompra::EscribirPlantillaImportacion(const QString &archivo, QString *error)
{
    TmxNativeExcel libro;
    libro.AlInformar = [](const QString &) {};
    QString fallo;
    libro.AlError = [&fallo](const QString &t) { fallo = t; };
    libro.NewFile();
    libro.SetFileName(archivo);
    const int normal = libro.AddFont(QStringLiteral("Arial"), 10, false);
    const int negrita = libro.AddFont(QStringLiteral("Arial"), 10, true);
    const int titulo = libro.AddFont(QStringLiteral("Arial"), 12, true);
    libro.SetActiveFont(titulo);
    libro.WriteLabel(1, 1, S("Importación de compras: escriba un artículo por fila a partir de la fila 3"));
    libro.SetActiveFont(negrita);
    libro.Borders = BordeTodos;
    for (int c = 1; c <= 8; ++c)
        libro.WriteLabel(2, c, NombreColumna(c));
    libro.Borders = 0;
    libro.SetActiveFont(normal);
    const double anchos[] = {18, 40, 10, 14, 12, 15, 14, 16};
    for (int c = 1; c <= 8; ++c)
        libro.SetColumnWidth(c, anchos[c - 1]);
    libro.CloseFile();
    const bool ok = libro.SaveToFile();
    if (!ok && error)
        *error = fallo;
    return ok;
}

QString EntradaCompra::CopiarPlantilla(const QString &carpetaReportes, const QString &carpetaDocumentos, QString *error)
{
    if (carpetaDocumentos.isEmpty() || !QDir(carpetaDocumentos).exists()) {
        if (error)
            *error = QStringLiteral("No puedo encontrar MisDocumentos.");
        return QString();
    }
    const QString origen = QDir(carpetaReportes).filePath(kPlantilla);
    if (carpetaReportes.isEmpty() || !QFileInfo::exists(origen)) {
        if (error)
            *error = S("La hoja \"%1\" no existe, solicítela a su técnico").arg(kPlantilla);
        return QString();
    }
    const QString destino = QDir(carpetaDocumentos).filePath(kPlantilla);
    QFile::remove(destino);
    if (!QFile::copy(origen, destino)) {
        if (error)
            *error = S("No se pudo copiar la hoja \"%1\" en %2.").arg(kPlantilla, QDir::toNativeSeparators(carpetaDocumentos));
        return QString();
    }
    QFile::setPermissions(destino, QFile::permissions(destino) | QFileDevice::WriteOwner);
    return destino;
}

// ---------------------------------------------------------------------------
// Purchase order

bool EntradaCompra::CargarPedido(const QString &nroPedido, int codigoProveedor, const QString &nombreProveedor,
                                 int numCodigoInventario, QString *error)
{
    NroPedido = nroPedido;
    NumCodigoInventario = numCodigoInventario;
    codigoProveedor_ = codigoProveedor;
    nombreProveedor_ = nombreProveedor;
    ModoPedido = true;
    const int numeroLineaAntes = numeroLinea_;
    bool creoArticulos = false;
    try {
        struct LineaPedido {
            QString codigo, nombre;
            Currency cantidad, costo;
        };
        std::vector<LineaPedido> pedido;
        db::Query &q = q_->tienda;
        q.setSql(QStringLiteral("select * from DETALLE_PEDIDO\n where COMPROBANTE = :CODIGO order by ID_DETALLE_PEDIDO"));
        q.paramByName("CODIGO").setAsString(nroPedido);
        q.execQuery();
        while (!q.eof()) {
            pedido.push_back({q.fieldByName(QStringLiteral("COD_BARRAS")).asString(),
                              q.fieldByName(QStringLiteral("NOMBRE_ARTICULO")).asString(),
                              q.fieldByName(QStringLiteral("CANTIDAD")).asCurrency(),
                              q.fieldByName(QStringLiteral("PRECIO_COMPRA")).asCurrency()});
            q.next();
        }
        q.close();
        QHash<QString, ArticuloCompra> creados;
        for (const LineaPedido &l : pedido) {
            ArticuloCompra a;
            const QString codigo = Codigo1(l.codigo, numCodigoInventario);
            if (!codigo.isEmpty()) {
                std::optional<ArticuloCompra> encontrado = BuscarArticulo(codigo);
                if (!encontrado)
                    continue;
                a = *encontrado;
            } else if (creados.contains(l.codigo)) {
                a = creados.value(l.codigo);
            } else {
                CrearArticulo(l.codigo, l.nombre.toUpper(), std::nullopt, std::nullopt);
                a = ArticuloNuevo(l.codigo, l.nombre.toUpper(), std::nullopt, std::nullopt);
                creados.insert(l.codigo, a);
                creoArticulos = true;
            }
            NuevaLinea(a, l.cantidad, l.costo, porcDescuento_, std::nullopt);
        }
        GuardarEncabezado();
        RecalcularEnTransaccion();
        if (creoArticulos && !datos_.TransaccionGlobal)
            db::CommitTwoPhase({datos_.TransUpdateInv, datos_.TransUpdate});
        else
            Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        DeshacerInventario();
        numeroLinea_ = numeroLineaAntes;
        if (error)
            *error = kNoRecalcula + QLatin1Char('\n') + ultimoError_;
        RefrescarLineas();
        CalcularSubTotales();
        return false;
    }
    RefrescarLineas();
    CalcularSubTotales();
    return true;
}

// ---------------------------------------------------------------------------
// Shared operations

Currency EntradaCompra::TransformaMonedaDos(Currency importe) const
{
    if (!TipoCambioValido())
        return importe;
    return DesdeCrudo(Crudo(importe) * Crudo(datos_.TipoCambio2) / Crudo(datos_.TipoCambio));
}

void EntradaCompra::GuardarTipoCambioEnInventario(const QString &codigo, Currency moneda1, Currency moneda2)
{
    try {
        db::Query &q = datos_.QueryG_Inv;
        q.setSql(QStringLiteral("Update Inventario set COMPRA_MONEDA1=:vMoneda1,COMPRA_MONEDA2=:vMoneda2 where "
                                "COD_BARRAS=:vCodigo"));
        q.paramByName("vMoneda1").setAsCurrency(moneda1);
        q.paramByName("vMoneda2").setAsCurrency(moneda2);
        q.paramByName("vCodigo").setAsString(codigo);
        q.execQuery();
        q.close();
    } catch (const std::exception &) {
    }
}

QString EntradaCompra::Codigo1(const QString &codigo, int tipo)
{
    db::Query &q = q_->inventario;
    q.clearSql();
    q.addSql(QStringLiteral("Select * from inventario where "));
    if (tipo == 1)
        q.addSql(QStringLiteral("COD_BARRAS=:Codigo"));
    else if (tipo == 2)
        q.addSql(QStringLiteral("CODIGO2=:Codigo"));
    else if (tipo == 3)
        q.addSql(QStringLiteral("CODIGO3=:Codigo"));
    else
        q.addSql(QStringLiteral("COD_BARRAS = :Codigo or CODIGO2 = :Codigo or CODIGO3 = :Codigo"));
    q.paramByName("Codigo").setAsString(codigo);
    q.execQuery();
    const QString encontrado = q.eof() ? QString() : q.fieldByName(QStringLiteral("COD_BARRAS")).asString();
    q.close();
    return encontrado;
}
