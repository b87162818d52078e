#include "records/ActualizacionInventarioCompra.h"

#include "pricing/AritmeticaEscalada.h"
#include "data/Comp_fdatos.h"
#include "platform/db/DbError.h"
#include "pricing/Funcionesprecios.h"
#include "platform/Mensajes.h"
#include "pricing/RecalculoPrecios.h"

#include <exception>

using namespace aritmetica;

namespace {

const QString kLectura = [] {
    QStringList cols{QStringLiteral("STOCK"), QStringLiteral("COSTO_PROMEDIO"), QStringLiteral("PRECIO_COMPRA"),
                     QStringLiteral("ACTUALIZAR_EXIST"), QStringLiteral("PORC_IV"),
                     QStringLiteral("REDONDEA_PRECIO_FINAL")};
    for (int n = 1; n <= 4; ++n)
        for (const char *c : {"BASECALCULO_", "PREVEN_", "COEFA_", "COEFB_", "SUMAFIJA_", "REDONDEO_", "PRECIOSINIV_",
                              "PRECIOCONIV_"})
            cols << QLatin1String(c) + QString::number(n);
    return QStringLiteral("select ") + cols.join(QStringLiteral(", ")) +
           QStringLiteral(" from INVENTARIO where COD_BARRAS = :Codigo with lock");
}();

QString TextoError(const std::exception &e)
{
    if (const auto *dbe = dynamic_cast<const db::DbError *>(&e))
        return dbe->message();
    return QString::fromUtf8(e.what());
}

// An amount of the second currency in local currency: x * rate / rate2, rounded once.
Currency ALocal(Currency x, Currency tipoCambio, Currency tipoCambio2)
{
    return DesdeCrudo(Crudo(x) * Crudo(tipoCambio) / Crudo(tipoCambio2));
}

// x * (1 + porc/100), rounded once.
Currency ConImpuesto(Currency x, Currency porc)
{
    return DesdeCrudo(Crudo(x) * (CienPorCiento + Crudo(porc)) / CienPorCiento);
}

} // namespace

ActualizadorInventarioCompra::ActualizadorInventarioCompra(db::Database &tienda, db::Transaction &transTienda,
                                                           db::Database &inventario, db::Transaction &transInventario,
                                                           AjustesActualizacionCompra ajustes)
    : tienda_(tienda), transTienda_(transTienda), inventario_(inventario), transInventario_(transInventario),
      ajustes_(std::move(ajustes)), articulo_(&inventario, &transInventario), existencia_(&inventario, &transInventario),
      nuevaExistencia_(&inventario, &transInventario), costoCompuesto_(&inventario, &transInventario),
      compuestos_(&inventario, &transInventario), bloqueoCompuesto_(&inventario, &transInventario),
      sumaCompuesto_(&inventario, &transInventario), precioCompuesto_(&inventario, &transInventario),
      articuloCompra_(&inventario, &transInventario), tipoCambio_(&inventario, &transInventario),
      movimiento_(&tienda, &transTienda)
{
    if (ajustes_.tipoCambio2.isZero())
        ajustes_.tipoCambio2 = Currency(1);
    articulo_.setSql(kLectura);
    existencia_.setSql(QStringLiteral("update EXISTENCIAS\n set EXISTENCIA = EXISTENCIA + :cantidad\n"
                                      " where COD_BODEGA = :codbodega\n and COD_ART = :codArt"));
    nuevaExistencia_.setSql(QStringLiteral("insert into EXISTENCIAS(COD_ART,COD_BODEGA,EXISTENCIA,RESERVA_APARTADOS,"
                                           "RESERVA_PREFACTURAS)\nvalues(:COD_ART,:COD_BODEGA,:EXISTENCIA,0,0)"));
    costoCompuesto_.setSql(QStringLiteral("update compuesto set costo = :precio where cod_articulo = :CodArt"));
    compuestos_.setSql(QStringLiteral("select COD_BARRAS from compuesto\nwhere cod_articulo = :CodArt\norder by NUM_LINEA"));
    bloqueoCompuesto_.setSql(QStringLiteral("select COD_BARRAS from INVENTARIO where COD_BARRAS = :Codigo with lock"));
    sumaCompuesto_.setSql(QStringLiteral("select sum(costo*cantidad) as total from compuesto\nwhere cod_barras = :CodArt"));
    precioCompuesto_.setSql(QStringLiteral("update INVENTARIO set PRECIO_COMPRA = :preciocompra where COD_BARRAS = :Codigo"));
    tipoCambio_.setSql(QStringLiteral(
        "Update Inventario set COMPRA_MONEDA1=:vMoneda1,COMPRA_MONEDA2=:vMoneda2 where COD_BARRAS=:vCodigo"));
}

std::unique_ptr<ActualizadorInventarioCompra> ActualizadorInventarioCompra::DesdeDatosComp(TFDatosComp &d)
{
    if (!d.dbCorvane || !d.TransUpdate || !d.dbInv || !d.TransUpdateInv)
        throw db::DbError(QStringLiteral("El módulo de datos no está conectado"));
    AjustesActualizacionCompra a;
    a.descuentoEnPrecioCompra = d.ConfigSi(QStringLiteral("DESCUENTO_EN_PRECIO_COMPRA"));
    a.tipoCambio = d.TipoCambio;
    a.tipoCambio2 = d.TipoCambio2;
    a.nroCaja = d.NroCaja;
    a.computadora = TFDatosComp::VerVariable(QStringLiteral("ComputerName"));
    a.usuario = TFDatosComp::VerVariable(QStringLiteral("vUsuario"));
    return std::make_unique<ActualizadorInventarioCompra>(*d.dbCorvane, *d.TransUpdate, *d.dbInv, *d.TransUpdateInv,
                                                          std::move(a));
}

bool ActualizadorInventarioCompra::Fallo(const QString &mensaje, const QString &error)
{
    if (!mensaje.isEmpty())
        mensajes().Informacion(mensaje);
    error_ = error;
    return false;
}

bool ActualizadorInventarioCompra::ActualizarLineas(const FacturaCompraPosteo &factura,
                                                     const std::vector<LineaCompra> &lineas)
{
    for (const LineaCompra &l : lineas)
        if (!ActualizarLinea(factura, l))
            return false;
    return true;
}

bool ActualizadorInventarioCompra::ActualizarLinea(const FacturaCompraPosteo &f, const LineaCompra &l,
                                                   ResultadoLineaCompra *resultado)
{
    error_.clear();
    ResultadoLineaCompra propio;
    ResultadoLineaCompra &res = resultado ? *resultado : propio;
    res = ResultadoLineaCompra();
    const Currency tc = ajustes_.tipoCambio, tc2 = ajustes_.tipoCambio2;

    DatosRecalculo d;
    QString actualizaExist;
    try {
        // The row stays locked until the caller ends the transaction.
        articulo_.paramByName(QStringLiteral("Codigo")).setAsString(l.codBarras);
        articulo_.execQuery();
        if (articulo_.eof()) {
            articulo_.close();
            return true;
        }
        auto m = [this](const QString &c) { return articulo_.fieldByName(c).asCurrency(); };
        auto t = [this](const QString &c) { return articulo_.fieldByName(c).asString(); };
        d.stockAnterior = m(QStringLiteral("STOCK"));
        d.costoPromedioAnterior = m(QStringLiteral("COSTO_PROMEDIO"));
        res.precioCompraAnterior = m(QStringLiteral("PRECIO_COMPRA"));
        actualizaExist = t(QStringLiteral("ACTUALIZAR_EXIST"));
        d.porcIv = m(QStringLiteral("PORC_IV"));
        d.redondeaPrecioFinal = t(QStringLiteral("REDONDEA_PRECIO_FINAL"));
        for (int i = 0; i < 4; ++i) {
            const QString n = QString::number(i + 1);
            NivelPrecio &nv = d.niveles[i];
            nv.baseCalculo = articulo_.fieldByName(QStringLiteral("BASECALCULO_") + n).asInteger();
            nv.preven = m(QStringLiteral("PREVEN_") + n);
            nv.coefA = m(QStringLiteral("COEFA_") + n);
            nv.coefB = m(QStringLiteral("COEFB_") + n);
            nv.sumaFija = m(QStringLiteral("SUMAFIJA_") + n);
            nv.redondeo = articulo_.fieldByName(QStringLiteral("REDONDEO_") + n).asInteger();
            nv.precioSinIv = m(QStringLiteral("PRECIOSINIV_") + n);
            nv.precioConIv = m(QStringLiteral("PRECIOCONIV_") + n);
        }
        articulo_.close();
    } catch (const std::exception &e) {
        articulo_.close();
        return Fallo(QString(), TextoError(e));
    }
    res.articuloEncontrado = true;
    res.stockAnterior = d.stockAnterior;
    res.costoPromedioAnterior = d.costoPromedioAnterior;

    // Amounts in local currency; the sale price is never converted.
    Currency costo = l.imporeCosto, conIv = l.impUnitConIv, sinIv = l.impUnitSinIv;
    ResultadoRecalculo precios;
    Currency precioCompra;
    try {
        if (f.monedaCarga == 2) {
            costo = ALocal(costo, tc, tc2);
            conIv = ALocal(conIv, tc, tc2);
            sinIv = ALocal(sinIv, tc, tc2);
        }
        const Currency neto = ajustes_.descuentoEnPrecioCompra ? AplicarDescuento(costo, l.porceDesc) : costo;
        res.costoNeto = neto;

        d.cantidad = l.cantidad;
        d.costoNeto = neto;
        d.precioVenta = l.precioVenta;
        d.impUnitConIv = conIv;
        d.impUnitSinIv = sinIv;
        d.porceDesc = l.porceDesc;
        d.gravado = l.gravado;
        d.ivi = l.ivi;
        d.descuentoEnPrecioCompra = ajustes_.descuentoEnPrecioCompra;
        // Average cost (net cost when the stock sum is not positive) and the four levels.
        precios = RecalcularPreciosVenta(d);

        const bool ivIncluido = l.gravado == QLatin1String("S") && l.ivi == QLatin1String("S");
        precioCompra = ivIncluido ? ConImpuesto(neto, d.porcIv) : neto;
    } catch (const std::exception &e) {
        return Fallo(QString(), TextoError(e));
    }

    // Warehouse stock.
    const bool llevaExistencia = actualizaExist == QLatin1String("S");
    if (!f.inventarioPrincipal && llevaExistencia) {
        std::uint64_t filas = 0;
        try {
            existencia_.paramByName(QStringLiteral("cantidad")).setAsCurrency(l.cantidad);
            existencia_.paramByName(QStringLiteral("codbodega")).setAsString(f.codBodega);
            existencia_.paramByName(QStringLiteral("codArt")).setAsString(l.codBarras);
            existencia_.execQuery();
            filas = existencia_.rowsAffected();
        } catch (const std::exception &) {
            return Fallo(QStringLiteral("Error al actualizar en existencias. "),
                         QStringLiteral("Error al actualizar EXISTENCIAS"));
        }
        if (filas == 0) {
            try {
                nuevaExistencia_.paramByName(QStringLiteral("COD_ART")).setAsString(l.codBarras);
                nuevaExistencia_.paramByName(QStringLiteral("COD_BODEGA")).setAsString(f.codBodega);
                nuevaExistencia_.paramByName(QStringLiteral("EXISTENCIA")).setAsCurrency(l.cantidad);
                nuevaExistencia_.execQuery();
            } catch (const std::exception &) {
                return Fallo(QStringLiteral("Error al insertar en existencias. "),
                             QStringLiteral("Error al insertar en EXISTENCIAS"));
            }
        }
    }

    TRegistroCompras &r = res.registro;
    r.Codigo = l.codBarras;
    r.Stock = f.inventarioPrincipal ? d.stockAnterior + l.cantidad : d.stockAnterior;
    r.PrecioCompra = precioCompra;
    for (int i = 0; i < 4; ++i) {
        r.PrecioVenta[i] = precios.niveles[i].preven;
        r.PrecioConIv[i] = precios.niveles[i].precioConIv;
        r.PrecioSinIv[i] = precios.niveles[i].precioSinIv;
        r.BaseCalculo[i] = d.niveles[i].baseCalculo;
    }
    r.CostoPromedio = precios.costoPromedio;
    r.FechaUltimaCompra = QDateTime(f.fecha, QTime(0, 0));
    r.CodProveedor = f.codProveedor;

    if (!ActualizarCompuestos(l.codBarras, res.costoNeto))
        return false;

    if (!ActualizarInventarioCompras(articuloCompra_, r, actualizaExist, l.gravado, l.ivi))
        return Fallo(QString(), QStringLiteral("Error al actualizar INVENTARIO"));

    try {
        tipoCambio_.paramByName(QStringLiteral("vMoneda1")).setAsCurrency(tc);
        tipoCambio_.paramByName(QStringLiteral("vMoneda2")).setAsCurrency(tc2);
        tipoCambio_.paramByName(QStringLiteral("vCodigo")).setAsString(l.codBarras);
        tipoCambio_.execQuery();
    } catch (const std::exception &) {
        return Fallo(QString(), QStringLiteral("Error al Guardar Precio de Compra"));
    }

    if (!InsertarMovStock(movimiento_, r.FechaUltimaCompra, 3, f.comprobante, l.codFamilia, l.codBarras, l.nombre,
                          f.comprobante, l.cantidad, QStringLiteral("N"), ajustes_.usuario, ajustes_.usuario, tc, tc2,
                          f.idCompra))
        return Fallo(QStringLiteral("Error al insertar en movimientos de stock. "),
                     QStringLiteral("Error al insertar en MOVIMIENTOS_STOCK."));
    return true;
}

bool ActualizadorInventarioCompra::ActualizarCompuestos(const QString &articulo, Currency costo)
{
    const QString mensaje = QStringLiteral("Error al actualizar el inventario ");
    const QString error = QStringLiteral("Error al actualizar INVENTARIO");
    std::uint64_t lineas = 0;
    try {
        costoCompuesto_.paramByName(QStringLiteral("precio")).setAsCurrency(costo);
        costoCompuesto_.paramByName(QStringLiteral("CodArt")).setAsString(articulo);
        costoCompuesto_.execQuery();
        lineas = costoCompuesto_.rowsAffected();
    } catch (const std::exception &) {
        return Fallo(mensaje, error);
    }
    // Most articles are in no composition.
    if (lineas == 0)
        return true;
    try {
        QStringList compuestos;
        compuestos_.paramByName(QStringLiteral("CodArt")).setAsString(articulo);
        compuestos_.execQuery();
        for (; !compuestos_.eof(); compuestos_.next())
            compuestos << compuestos_.field(0).asString();
        compuestos_.close();
        for (const QString &compuesto : compuestos) {
            // Locked before adding up, so a concurrent change of another component is not lost.
            bloqueoCompuesto_.paramByName(QStringLiteral("Codigo")).setAsString(compuesto);
            bloqueoCompuesto_.execQuery();
            bloqueoCompuesto_.close();
            sumaCompuesto_.paramByName(QStringLiteral("CodArt")).setAsString(compuesto);
            sumaCompuesto_.execQuery();
            const Currency total = sumaCompuesto_.field(0).asCurrency();
            sumaCompuesto_.close();
            precioCompuesto_.paramByName(QStringLiteral("preciocompra")).setAsCurrency(total);
            precioCompuesto_.paramByName(QStringLiteral("Codigo")).setAsString(compuesto);
            precioCompuesto_.execQuery();
        }
    } catch (const std::exception &) {
        compuestos_.close();
        return Fallo(mensaje, error);
    }
    return true;
}

std::vector<LineaCompra> ActualizadorInventarioCompra::LineasDeEstacion()
{
    db::Query q(&tienda_, &transTienda_);
    q.setSql(QStringLiteral("select * from TEMPORAL_COMPRAS\nwhere NRO_CAJA = :nro_caja\nand COMPUTADORA = :compu\n"
                            "order by ID_TEMP_COMPRA"));
    q.paramByName(QStringLiteral("nro_caja")).setAsInteger(ajustes_.nroCaja);
    q.paramByName(QStringLiteral("compu")).setAsString(ajustes_.computadora);
    std::vector<LineaCompra> lineas;
    for (q.execQuery(); !q.eof(); q.next())
        lineas.push_back(LeerLineaCompra(q));
    q.close();
    return lineas;
}
