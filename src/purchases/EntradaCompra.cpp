#include "purchases/EntradaCompra.h"

#include "orders/CargaPedido.h"
#include "records/RegistrosPedido.h"
#include "platform/AritmeticaEscalada.h"
#include "platform/ArchivoIni.h"
#include "platform/ErrorCompras.h"
#include "platform/Formato.h"
#include "data/Comp_fdatos.h"
#include "records/ArticulosCompra.h"
#include "records/TablasTrabajoCompra.h"
#include "platform/db/Database.h"
#include "platform/db/Dataset.h"
#include "platform/Mensajes.h"
#include "platform/TextoEntrada.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"
#include "platform/VariablesHost.h"

#include <QDateTime>
#include <QHash>

#include <algorithm>

using aritmetica::Crudo;
using aritmetica::DesdeCrudo;

namespace {

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

// A new unit cost (without tax) on a line, with everything that follows from it.
void FijarCosto(LineaEntrada &l, Currency costo, Currency porcIv)
{
    l.costo = l.unitSinIv = costo;
    l.unitConIv = ConImpuesto(costo, porcIv);
    l.totalSinIv = Por(costo, l.cantidad);
    l.totalConIv = Por(l.unitConIv, l.cantidad);
    CalcularImportes(l);
}

// The line editor's Aceptar on `l`: cost, quantity, percentage, tax flags and new sale price.
void EditarLinea(LineaEntrada &l, const CambioLinea &cambio)
{
    l.cantidad = cambio.cantidad;
    l.porceDesc = cambio.porcDescuento;
    l.gravado = SN(cambio.gravado);
    l.ivi = SN(cambio.ivi);
    // A line that becomes taxed takes the article's rate; an untaxed one has none.
    if (!cambio.gravado)
        l.porceIv = Currency();
    else if (l.porceIv.isZero())
        l.porceIv = l.porceIvArticulo;
    l.precioVenta = cambio.precioVenta;
    FijarCosto(l, cambio.costo, l.porceIv);
}

// The editor shows the cost with two decimals and takes that back.
Currency CostoDelEditor(Currency costo) { return Currency::fromString(FormatCurrency(QStringLiteral("0.00"), costo)); }

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

// The work-table row of a line.
FilaTrabajoCompra Fila(const LineaEntrada &l)
{
    FilaTrabajoCompra f;
    f.codBarras = l.codigo;
    f.codFamilia = l.familia;
    f.nombre = l.nombre;
    f.cantidad = l.cantidad;
    f.descuentoMaximo = l.descuentoMaximo;
    f.porceIvArti = l.porceIvArticulo;
    f.precioVentaAnt = l.precioVentaAnterior;
    f.precioVenta = l.precioVenta;
    f.imporeCosto = l.costo;
    f.impUnitConIv = l.unitConIv;
    f.impUnitSinIv = l.unitSinIv;
    f.fraccionado = l.fraccionado;
    f.gravado = l.gravado;
    f.ivi = l.ivi;
    f.porceIv = l.porceIv;
    f.totalGravado = l.totalGravado;
    f.totalNoGravado = l.totalNoGravado;
    f.subtotalGravado = l.subtotalGravado;
    f.subtotalNoGravado = l.subtotalNoGravado;
    f.importeTolalIv = l.importeIv;
    f.totalSinIv = l.totalSinIv;
    f.totalConIv = l.totalConIv;
    f.porceDesc = l.porceDesc;
    f.importeDescuento = l.importeDescuento;
    f.tieneSerie = l.tieneSerie;
    f.numeroLinea = l.numeroLinea;
    return f;
}

ImportesTrabajoCompra Importes(const LineaEntrada &l)
{
    return {l.importeDescuento, l.subtotalGravado, l.subtotalNoGravado, l.totalGravado, l.totalNoGravado, l.importeIv};
}

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

bool LeerImporte(const QString &texto, Currency &valor, bool *redondeado)
{
    const QString t = texto.trimmed();
    return !t.isEmpty() && ParseDecimal(t, valor, redondeado);
}

// Statements prepared once per entry; the station's rows are read on the update transaction
// so a grouped step sees its own changes.
struct EntradaCompra::Consultas {
    db::Query lineas, lineaArticulo, totales, tienda;
    db::Query articulo, inventario;

    explicit Consultas(TFDatosComp &d)
        : lineas(d.dbCorvane, d.TransUpdate), lineaArticulo(d.dbCorvane, d.TransUpdate),
          totales(d.dbCorvane, d.TransUpdate), tienda(d.dbCorvane, d.TransUpdate),
          articulo(d.dbInv, d.TransLecturaInv), inventario(d.dbInv, d.TransLecturaInv)
    {
        lineas.setSql(QStringLiteral("select * from TEMPORAL_COMPRAS where NRO_CAJA = :nro_caja "
                                     "and COMPUTADORA = :compu order by ID_TEMP_COMPRA"));
        lineaArticulo.setSql(QStringLiteral("select ID_TEMP_COMPRA, COD_BARRAS from TEMPORAL_COMPRAS "
                                            "where COMPUTADORA = :Compu and COD_BARRAS = :vCodbar "
                                            "and NRO_CAJA = :nro_caja order by ID_TEMP_COMPRA"));
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
    : datos_(datos), conexiones_(ConexionesDeDatosComp(datos)), escritura_(conexiones_),
      q_(std::make_unique<Consultas>(datos)), modo_(modo)
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

EstacionCompra EntradaCompra::Estacion() const
{
    return {nroCaja_, computadora_};
}

Mensajes &EntradaCompra::Avisos() const
{
    return mensajes_ ? *mensajes_ : mensajes();
}

void EntradaCompra::Recordar(const std::exception &e)
{
    if (const auto *c = dynamic_cast<const ErrorCompras *>(&e))
        ultimoError_ = c->mensaje();
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
            EliminaTempCompras(escritura_, 2, Estacion());
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
            // a document loaded from an order still settles it when posted
            const QString pedido = q.fieldByName(QStringLiteral("NRO_PEDIDO")).asString().trimmed();
            if (!pedido.isEmpty()) {
                ModoPedido = true;
                NroPedido = pedido;
            }
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
        RecalcularEnTransaccion();
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        if (!hayLineas) {
            Avisos().Error(QStringLiteral("Error al eliminar la tabla temporal de compras"));
            return false;
        }
        Avisos().Error(kNoRecalcula);
    }
    RefrescarLineas();
    CalcularSubTotales();
    return hayLineas;
}

// ---------------------------------------------------------------------------
// Header

void EntradaCompra::GuardarEncabezado()
{
    GuardarEncabezadoTrabajo(escritura_, Estacion(), {fecha_, comprobante_, codigoProveedor_, porcDescuento_, moneda_});
}

bool EntradaCompra::GuardarEncabezadoAhora()
{
    try {
        GuardarEncabezado();
        if (!encabezadoDiferido_)
            Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        Avisos().Error(kNoGuardaEncabezado + QLatin1Char('\n') + ultimoError_);
        return false;
    }
    return true;
}

bool EntradaCompra::ConfirmarEncabezado()
{
    encabezadoDiferido_ = false;
    return GuardarEncabezadoAhora();
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
    if (!RevisarCodigo(n, kLargoComprobante, QString()).isEmpty())
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

bool EntradaCompra::EstablecerMoneda(int moneda, QString *motivo, QString *aviso)
{
    const int nueva = moneda == 2 ? 2 : 1;
    if (nueva == 2) {
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
    }
    if (nueva == moneda_) {
        GuardarEncabezadoAhora();
        return true;
    }
    // The lines' costs are in the document's currency: they follow it at the exchange rate.
    int convertidas = 0;
    try {
        std::vector<LineaEntrada> lineas = Lineas();
        if (!lineas.empty() && !TipoCambioValido()) {
            Confirmar();
            if (motivo)
                *motivo = kNoConvierteTipoCambio;
            return false;
        }
        for (LineaEntrada &l : lineas) {
            const Currency costo = nueva == 2 ? TransformaMonedaDos(l.costo) : AMonedaLocal(l.costo);
            if (costo <= Currency() || costo > kCostoMaximo || ProductoExcede(costo, l.cantidad, kTotalLineaMaximo))
                throw ErrorImporte(kNoConvierteLineas);
            FijarCosto(l, costo, l.porceIv);
            ActualizarLinea(l);
            ++convertidas;
        }
        moneda_ = nueva;
        GuardarEncabezado();
        ComprobarTotal();
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        moneda_ = nueva == 2 ? 1 : 2;
        if (motivo)
            *motivo = ultimoError_ == kTotalExcede                  ? kTotalExcede
                      : dynamic_cast<const ErrorImporte *>(&e) != nullptr ? kNoConvierteLineas
                                                                        : kNoCambiaMoneda + QLatin1Char('\n') + ultimoError_;
        RefrescarLineas();
        return false;
    }
    RefrescarLineas();
    CalcularSubTotales();
    if (aviso && convertidas > 0) {
        QString nombre = datos_.Config(nueva == 2 ? QStringLiteral("DENOMINACION_MONEDA2") : QStringLiteral("DENOMINACION_MONEDA"));
        if (nombre.isEmpty())
            nombre = nueva == 2 ? QStringLiteral("la segunda moneda") : QStringLiteral("la moneda local");
        *aviso = QStringLiteral("Los costos de %1 línea(s) se convirtieron a %2 al tipo de cambio %3.")
                     .arg(convertidas)
                     .arg(nombre, FormatCurrency(QStringLiteral("#,##0.00"), datos_.TipoCambio));
    }
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
    // No code is longer than its column or holds control characters: such text matches nothing.
    if (texto.isEmpty() || !RevisarCodigo(texto, kLargoCodigo, QString()).isEmpty())
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

void EntradaCompra::ActualizarLinea(const LineaEntrada &l)
{
    ActualizarLineaTrabajo(escritura_, Estacion(), l.id, Fila(l));
}

void EntradaCompra::NuevaLinea(const ArticuloCompra &a, Currency cantidad, Currency costo, Currency porcDesc,
                               std::optional<Currency> precioVenta, bool editada, std::optional<Currency> enConsignacion)
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
    l.fraccionado = SN(a.fraccionado);
    l.gravado = SN(a.gravado);
    l.ivi = SN(a.impuestoIncluido);
    l.porceIv = a.gravado ? a.porcIv : Currency();
    l.tieneSerie = SN(a.tieneSerie);
    l.porceDesc = porcDesc;
    l.numeroLinea = numeroLinea_ + 1;
    FijarCosto(l, costo, a.porcIv);
    if (editada)
        EditarLinea(l, {CostoDelEditor(costo), cantidad, porcDesc, a.gravado, a.impuestoIncluido, l.precioVenta});
    FilaTrabajoCompra fila = Fila(l);
    fila.enConsignacion = enConsignacion;
    InsertarLineaTrabajo(escritura_, Estacion(), fila);
    numeroLinea_ = l.numeroLinea;
}

void EntradaCompra::AcumularLinea(const LineaEntrada &linea, const ArticuloCompra &a, Currency cantidad, Currency costo)
{
    LineaEntrada l = linea;
    l.cantidad = linea.cantidad + cantidad;
    FijarCosto(l, costo, a.porcIv);
    ActualizarLinea(l);
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
    const int numeroLineaAntes = numeroLinea_;
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
                    cambiar = Avisos().Pregunta(kPreguntaCambioCosto, QStringLiteral("Información"));
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
        RecalcularEnTransaccion();
        ComprobarTotal();
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        numeroLinea_ = numeroLineaAntes;
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
    const Currency porcDescuentoAntes = porcDescuento_;
    try {
        std::optional<LineaEntrada> actual = Linea(idLinea);
        if (!actual) {
            Confirmar();
            return false;
        }
        const bool cambiaPorcentaje = cambio.porcDescuento != actual->porceDesc;
        LineaEntrada l = *actual;
        EditarLinea(l, cambio);
        ActualizarLinea(l);
        if (cambiaPorcentaje) {
            porcDescuento_ = Currency();
            GuardarEncabezado();
        }
        ComprobarTotal();
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        porcDescuento_ = porcDescuentoAntes;
        return false;
    }
    RefrescarLineas();
    CalcularSubTotales();
    return true;
}

bool EntradaCompra::EliminarLinea(int idLinea)
{
    try {
        const bool borrada = EliminarLineaTrabajo(escritura_, Estacion(), idLinea);
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

void EntradaCompra::RecalcularEnTransaccion()
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
    for (const LineaEntrada &l : cambiadas)
        ActualizarImportesTrabajo(escritura_, Estacion(), l.id, Importes(l));
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
        Avisos().Error(kNoRecalcula);
        return false;
    }
    RefrescarLineas();
    return true;
}

TotalesEntrada EntradaCompra::LeerTotales()
{
    TotalesEntrada t;
    db::Query &q = q_->totales;
    try {
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
        t.SubTotal2 = t.TotalGravado + t.TotalNoGravado;
        t.Total = t.SubTotal2 + t.Impuesto;
    } catch (const ErrorImporte &) {
        q.close();
        throw ErrorImporte(kTotalExcede);
    }
    return t;
}

void EntradaCompra::ComprobarTotal()
{
    try {
        if (LeerTotales().Total > kTotalMaximo)
            throw ErrorImporte(kTotalExcede);
    } catch (const ErrorImporte &) {
        throw;
    } catch (const std::exception &) {
        // The sums themselves overflowed in the database.
        q_->totales.close();
        throw ErrorImporte(kTotalExcede);
    }
}

void EntradaCompra::CalcularSubTotales()
{
    TotalesEntrada t;
    try {
        t = LeerTotales();
        Confirmar();
    } catch (const std::exception &e) {
        // Zero totals with the reason kept; Validar refuses such a document.
        Recordar(e);
        Deshacer();
    }
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
    try {
        ActualizaTempCompras(escritura_, Estacion(), porcentaje);
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        DeshacerInventario();
        porcDescuento_ = anterior;
        Avisos().Error(QStringLiteral("No se pudo actualizar."));
        Avisos().Error(QStringLiteral("No se pudo aplicar el descuento ocurrio un error."));
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
        Avisos().Error(kNoRecalcula);
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
        EliminaTempCompras(escritura_, 1, Estacion());
        Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        Avisos().Error(kNoEliminaTemporal);
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
        ComprobarTotal();
        Confirmar();
    } catch (const ErrorImporte &e) {
        Deshacer();
        return falla(Falla::TotalExcede, e.mensaje());
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
    a.porcIv = PorcentajeIvTienda();
    a.baseCalculo1 = datos_.ConfigEntero(QStringLiteral("BASE1")) - 1;
    return a;
}

Currency EntradaCompra::PorcentajeIvTienda() const
{
    return datos_.ConfigMoneda(QStringLiteral("PORCENTAJE_IV"));
}

FilaArticuloNuevo EntradaCompra::FilaNueva(const ArticuloCompra &a) const
{
    FilaArticuloNuevo f;
    f.codBarras = a.codigo;
    f.nombre = a.nombre;
    f.alta = QDateTime::currentDateTime();
    f.gravado = a.gravado;
    f.impuestoIncluido = a.impuestoIncluido;
    f.redondeaPrecioFinal = datos_.Config(QStringLiteral("REDONDEA_PRECIO_FINAL"));
    f.porcIv = a.porcIv;
    for (int n = 1; n <= 4; ++n) {
        const QString s = QString::number(n);
        NivelPrecioNuevo &p = f.niveles[n - 1];
        p.baseCalculo = datos_.ConfigEntero(QStringLiteral("BASE") + s) - 1;
        p.coefA = datos_.ConfigMoneda(QStringLiteral("INC1_PRE") + s);
        p.coefB = datos_.ConfigMoneda(QStringLiteral("INC2_PRE") + s);
        p.sumaFija = datos_.ConfigMoneda(QStringLiteral("SUMA_FIJA") + s);
        p.redondeo = datos_.ConfigEntero(QStringLiteral("REDONDEO") + s);
    }
    return f;
}

bool EntradaCompra::AgregarLineas(const std::vector<LineaNueva> &lineas, const std::function<void(int, int)> &progreso)
{
    const int numeroLineaAntes = numeroLinea_;
    bool creaArticulos = false;
    try {
        const int total = static_cast<int>(lineas.size());
        int hechas = 0;
        for (const LineaNueva &l : lineas) {
            if (l.crearArticulo) {
                InsertarArticuloNuevo(escritura_, FilaNueva(l.articulo));
                creaArticulos = true;
            }
            NuevaLinea(l.articulo, l.cantidad, l.costo, l.porcDescuento.value_or(porcDescuento_), l.precioVenta,
                       l.editada, l.enConsignacion);
            if (progreso)
                progreso(++hechas, total);
        }
        GuardarEncabezado();
        RecalcularEnTransaccion();
        ComprobarTotal();
        if (datos_.TransaccionGlobal) {
            // the posting in progress commits
        } else if (creaArticulos) {
            db::CommitTwoPhase({datos_.TransUpdateInv, datos_.TransUpdate});
        } else {
            Confirmar();
        }
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        DeshacerInventario();
        numeroLinea_ = numeroLineaAntes;
        RefrescarLineas();
        CalcularSubTotales();
        return false;
    }
    RefrescarLineas();
    CalcularSubTotales();
    return true;
}

bool EntradaCompra::CargarConsignacion(const CargaConsignacion &carga)
{
    const int codigoAntes = codigoProveedor_;
    const QString nombreAntes = nombreProveedor_, comprobanteAntes = comprobante_;
    const bool exentoAntes = proveedorExento_;
    codigoProveedor_ = carga.codProveedor;
    nombreProveedor_ = carga.nombreProveedor;
    comprobante_ = carga.nroConsignacion;
    proveedorExento_ = false;
    // The header is saved with the lines, in their transaction.
    if (!AgregarLineas(carga.lineas)) {
        codigoProveedor_ = codigoAntes;
        nombreProveedor_ = nombreAntes;
        comprobante_ = comprobanteAntes;
        proveedorExento_ = exentoAntes;
        return false;
    }
    ConsignacionAFacturar = true;
    IdConsignacion = carga.idConsignacion;
    NroConsignacion = carga.nroConsignacion;
    return true;
}

EntradaCompra::ResultadoLote EntradaCompra::AgregarArticulos(const std::vector<ArticuloTecleado> &lineas,
                                                           Currency porcGlobal)
{
    auto falla = [](Resultado r, int indice) {
        ResultadoLote f;
        f.resultado = r;
        f.indice = indice;
        return f;
    };
    // A refused line ends the reading transaction.
    auto rechazo = [&](Resultado r, int indice) {
        Confirmar();
        return falla(r, indice);
    };
    if (porcGlobal > Currency(100) || porcGlobal < Currency()) {
        ultimoError_ = porcGlobal < Currency() ? kPorcentajeNegativo : kPorcentajeMayor100;
        return falla(Resultado::Error, -1);
    }
    // Read and checked in order, as typed; nothing is written until every line is sound.
    std::vector<LineaNueva> nuevas;
    QHash<QString, std::size_t> lineaDe;  // article -> its line, with accumulation on
    bool quitaGlobal = false;
    try {
        if (CantidadLineas() > 0) {
            ultimoError_ = QStringLiteral("El comprobante ya tiene líneas.");
            return rechazo(Resultado::Error, -1);
        }
        for (std::size_t i = 0; i < lineas.size(); ++i) {
            const ArticuloTecleado &t = lineas[i];
            const int n = static_cast<int>(i);
            if (t.cantidad <= Currency() || t.cantidad > kCantidadMaxima)
                return rechazo(Resultado::CantidadInvalida, n);
            if (t.costo <= Currency() || t.costo > kCostoMaximo || ProductoExcede(t.costo, t.cantidad, kTotalLineaMaximo))
                return rechazo(Resultado::CostoInvalido, n);
            const std::optional<ArticuloCompra> a = BuscarArticulo(t.codigo);
            if (!a)
                return rechazo(Resultado::NoEncontrado, n);
            if (a->compuesto)
                return rechazo(Resultado::Compuesto, n);
            // The editor only lets the new sale price be typed on a manual level 1.
            if (t.precioVenta && a->baseCalculo1 != 0) {
                ultimoError_ = QStringLiteral("El artículo %1 calcula su precio de venta a partir del costo; el precio de "
                                              "venta nuevo solo se puede indicar en artículos de precio manual.")
                                   .arg(a->codigo);
                return rechazo(Resultado::Error, n);
            }
            const auto previa = acumulaRenglones_ ? lineaDe.constFind(a->codigo) : lineaDe.constEnd();
            std::size_t indice = nuevas.size();
            if (previa != lineaDe.constEnd()) {
                indice = *previa;
                LineaNueva &l = nuevas[indice];
                Currency costo = t.costo;
                if (costo != l.costo) {
                    bool cambiar = cambioCosto_ == CambioCosto::Cambiar;
                    if (cambioCosto_ == CambioCosto::Preguntar)
                        cambiar = Avisos().Pregunta(kPreguntaCambioCosto, QStringLiteral("Información"));
                    if (!cambiar)
                        costo = l.costo;
                }
                if (l.cantidad + t.cantidad > kCantidadMaxima || ProductoExcede(costo, l.cantidad + t.cantidad, kTotalLineaMaximo))
                    return rechazo(Resultado::CantidadInvalida, n);
                l.cantidad = l.cantidad + t.cantidad;
                l.costo = costo;
            } else {
                LineaNueva l;
                l.articulo = *a;
                l.cantidad = t.cantidad;
                l.costo = t.costo;
                l.porcDescuento = porcGlobal;
                nuevas.push_back(std::move(l));
                lineaDe.insert(a->codigo, indice);
            }
            LineaNueva &l = nuevas[indice];
            if (t.porcDescuento || t.precioVenta) {
                if (t.porcDescuento && (*t.porcDescuento > Currency(100) || *t.porcDescuento < Currency())) {
                    ultimoError_ = *t.porcDescuento < Currency() ? kPorcentajeNegativo : kPorcentajeMayor100;
                    return rechazo(Resultado::Error, n);
                }
                l.editada = true;
                if (t.porcDescuento) {
                    // A percentage other than the global one: no global discount in force any more.
                    quitaGlobal = quitaGlobal || *t.porcDescuento != *l.porcDescuento;
                    l.porcDescuento = t.porcDescuento;
                }
                if (t.precioVenta)
                    l.precioVenta = t.precioVenta;
            }
        }
        for (const LineaNueva &l : nuevas)
            if (l.editada && CostoDelEditor(l.costo) <= Currency()) {
                ultimoError_ = kDebePrecio;
                return rechazo(Resultado::Error, -1);
            }
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        return falla(Resultado::Error, -1);
    }
    const Currency anterior = porcDescuento_;
    porcDescuento_ = quitaGlobal ? Currency() : porcGlobal;
    if (!AgregarLineas(nuevas)) {
        porcDescuento_ = anterior;
        return falla(Resultado::Error, -1);
    }
    return {};
}

// ---------------------------------------------------------------------------
// Spreadsheet import

ResultadoImportacion EntradaCompra::ImportarHoja(const THojaCalc &hoja, const std::function<void(int, int)> &progreso)
{
    return ImportacionCompra(*this).ImportarHoja(hoja, progreso);
}

ResultadoImportacion EntradaCompra::ImportarArchivo(const QString &archivo,
                                                   const std::function<void(int, int)> &progreso)
{
    return ImportacionCompra(*this).ImportarArchivo(archivo, progreso);
}

bool EntradaCompra::EscribirPlantillaImportacion(const QString &archivo, QString *error)
{
    return ImportacionCompra::EscribirPlantilla(archivo, error);
}

QString EntradaCompra::CopiarPlantilla(const QString &carpetaReportes, const QString &carpetaDocumentos, QString *error)
{
    return ImportacionCompra::CopiarPlantilla(carpetaReportes, carpetaDocumentos, error);
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
    std::vector<LineaNueva> nuevas;
    try {
        const BloqueoPedido bloqueo = ApartarPedido(escritura_, Estacion(), nroPedido);
        if (bloqueo != BloqueoPedido::Ninguno) {
            Deshacer();
            ModoPedido = false;
            NroPedido.clear();
            if (error)
                *error = bloqueo == BloqueoPedido::EnOtraEstacion
                             ? QStringLiteral("El pedido Nº %1 ya está cargado en otra compra abierta.").arg(nroPedido)
                             : QStringLiteral("El pedido Nº %1 ya fue procesado o anulado.").arg(nroPedido);
            return false;
        }
        ConexionesCompra lectura = conexiones_;
        lectura.transInventario = datos_.TransLecturaInv;
        QHash<QString, ArticuloCompra> creados;
        for (const LineaPedidoCompra &l : CargaPedido(lectura).Lineas(nroPedido, numCodigoInventario)) {
            LineaNueva n;
            if (!l.codBarras.isEmpty()) {
                std::optional<ArticuloCompra> encontrado = BuscarArticulo(l.codBarras);
                if (!encontrado)
                    continue;
                n.articulo = *encontrado;
            } else if (creados.contains(l.codigo)) {
                n.articulo = creados.value(l.codigo);
            } else {
                n.articulo = ArticuloNuevo(l.codigo, l.nombre.toUpper(), std::nullopt, std::nullopt);
                n.crearArticulo = true;
                creados.insert(l.codigo, n.articulo);
            }
            n.cantidad = l.cantidad;
            n.costo = l.costo;
            nuevas.push_back(std::move(n));
        }
        // the claim on the order commits with the lines
        if (nuevas.empty())
            Confirmar();
    } catch (const std::exception &e) {
        Recordar(e);
        Deshacer();
        if (error)
            *error = kNoRecalcula + QLatin1Char('\n') + ultimoError_;
        return false;
    }
    if (!AgregarLineas(nuevas)) {
        if (error)
            *error = kNoRecalcula + QLatin1Char('\n') + ultimoError_;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Shared operations

Currency EntradaCompra::AMonedaLocal(Currency importe) const
{
    if (!TipoCambioValido())
        return importe;
    return DesdeCrudo(Crudo(importe) * Crudo(datos_.TipoCambio) / Crudo(datos_.TipoCambio2));
}

Currency EntradaCompra::TransformaMonedaDos(Currency importe) const
{
    if (!TipoCambioValido())
        return importe;
    return DesdeCrudo(Crudo(importe) * Crudo(datos_.TipoCambio2) / Crudo(datos_.TipoCambio));
}
