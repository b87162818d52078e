#include "records/ActualizacionInventarioCompra.h"

#include "platform/AritmeticaEscalada.h"
#include "data/Comp_fdatos.h"
#include "platform/db/DbError.h"
#include "platform/db/Transaction.h"
#include "pricing/Funcionesprecios.h"
#include "pricing/RecalculoPrecios.h"

#include <exception>

using namespace aritmetica;

namespace {

const QString kLectura = [] {
    QStringList cols{QStringLiteral("STOCK"), QStringLiteral("COSTO_PROMEDIO"), QStringLiteral("PRECIO_COMPRA"),
                     QStringLiteral("ACTUALIZAR_EXIST"), QStringLiteral("PORC_IV"),
                     QStringLiteral("REDONDEA_PRECIO_FINAL"), QStringLiteral("FECHA_ULTIMACOMPRA")};
    for (int n = 1; n <= 4; ++n)
        for (const char *c : {"BASECALCULO_", "PREVEN_", "COEFA_", "COEFB_", "SUMAFIJA_", "REDONDEO_", "PRECIOSINIV_",
                              "PRECIOCONIV_"})
            cols << QLatin1String(c) + QString::number(n);
    cols << QStringLiteral("RDB$RECORD_VERSION");
    return QStringLiteral("select ") + cols.join(QStringLiteral(", ")) +
           QStringLiteral(" from INVENTARIO where COD_BARRAS = :Codigo");
}();
const QString kLecturaBloqueada = kLectura + QStringLiteral(" with lock");

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
    : c_{&tienda, &transTienda, &inventario, &transInventario, nullptr, nullptr}, ajustes_(std::move(ajustes)),
      consultas_(c_), registros_(consultas_)
{
    if (ajustes_.tipoCambio2.isZero())
        ajustes_.tipoCambio2 = Currency(1);
}

std::unique_ptr<ActualizadorInventarioCompra> ActualizadorInventarioCompra::DesdeDatosComp(TFDatosComp &d)
{
    if (!d.dbCorvane || !d.TransUpdate || !d.dbInv || !d.TransUpdateInv)
        throw db::DbError(QStringLiteral("El módulo de datos no está conectado"));
    AjustesActualizacionCompra a;
    a.precios = AjustesDeTienda(d);
    a.tipoCambio = d.TipoCambio;
    a.tipoCambio2 = d.TipoCambio2;
    a.nroCaja = d.NroCaja;
    a.computadora = TFDatosComp::VerVariable(QStringLiteral("ComputerName"));
    a.usuario = TFDatosComp::VerVariable(QStringLiteral("vUsuario"));
    return std::make_unique<ActualizadorInventarioCompra>(*d.dbCorvane, *d.TransUpdate, *d.dbInv, *d.TransUpdateInv,
                                                          std::move(a));
}

void ActualizadorInventarioCompra::ActualizarLineas(const FacturaCompraPosteo &factura,
                                                     const std::vector<LineaCompra> &lineas)
{
    for (size_t i : OrdenPorArticulo(lineas, [](const LineaCompra &l) { return l.codBarras; }))
        ActualizarLinea(factura, lineas[i]);
}

void ActualizadorInventarioCompra::ActualizarLinea(const FacturaCompraPosteo &f, const LineaCompra &l,
                                                   ResultadoLineaCompra *resultado)
{
    ResultadoLineaCompra propio;
    ResultadoLineaCompra &res = resultado ? *resultado : propio;
    res = ResultadoLineaCompra();
    const Currency tc = ajustes_.tipoCambio, tc2 = ajustes_.tipoCambio2;
    const QString errorInventario = QStringLiteral("Error al actualizar INVENTARIO");

    DatosRecalculo d;
    QString actualizaExist;
    QDateTime ultimaCompra;
    qint64 version = 0;
    auto leer = [&](bool bloquear) {
        try {
            db::Query &articulo = consultas_.Sql(BaseCompra::Inventario, bloquear ? kLecturaBloqueada : kLectura);
            articulo.paramByName("Codigo").setAsString(l.codBarras);
            articulo.execQuery();
            if (articulo.eof()) {
                articulo.close();
                return false;
            }
            auto m = [&articulo](const QString &c) { return articulo.fieldByName(c).asCurrency(); };
            auto t = [&articulo](const QString &c) { return articulo.fieldByName(c).asString(); };
            d = DatosRecalculo();
            d.stockAnterior = m(QStringLiteral("STOCK"));
            d.costoPromedioAnterior = m(QStringLiteral("COSTO_PROMEDIO"));
            res.precioCompraAnterior = m(QStringLiteral("PRECIO_COMPRA"));
            actualizaExist = t(QStringLiteral("ACTUALIZAR_EXIST"));
            d.porcIv = m(QStringLiteral("PORC_IV"));
            d.redondeaPrecioFinal = t(QStringLiteral("REDONDEA_PRECIO_FINAL"));
            ultimaCompra = QDateTime();
            if (!articulo.fieldByName(QStringLiteral("FECHA_ULTIMACOMPRA")).isNull())
                ultimaCompra = articulo.fieldByName(QStringLiteral("FECHA_ULTIMACOMPRA")).asDateTime();
            for (int i = 0; i < 4; ++i) {
                const QString n = QString::number(i + 1);
                NivelPrecio &nv = d.niveles[i];
                nv.baseCalculo = articulo.fieldByName(QStringLiteral("BASECALCULO_") + n).asInteger();
                nv.preven = m(QStringLiteral("PREVEN_") + n);
                nv.coefA = m(QStringLiteral("COEFA_") + n);
                nv.coefB = m(QStringLiteral("COEFB_") + n);
                nv.sumaFija = m(QStringLiteral("SUMAFIJA_") + n);
                nv.redondeo = articulo.fieldByName(QStringLiteral("REDONDEO_") + n).asInteger();
                nv.precioSinIv = m(QStringLiteral("PRECIOSINIV_") + n);
                nv.precioConIv = m(QStringLiteral("PRECIOCONIV_") + n);
            }
            version = articulo.fieldByName(QStringLiteral("RDB$RECORD_VERSION")).asInt64();
            articulo.close();
        } catch (const std::exception &e) {
            throw ErrorRegistro(errorInventario, TextoDeError(e));
        }
        res.articuloEncontrado = true;
        res.stockAnterior = d.stockAnterior;
        res.costoPromedioAnterior = d.costoPromedioAnterior;
        return true;
    };

    // Amounts in local currency; the sale price is never converted.
    Currency costo = l.imporeCosto, conIv = l.impUnitConIv, sinIv = l.impUnitSinIv;
    if (f.monedaCarga == 2) {
        try {
            costo = ALocal(costo, tc, tc2);
            conIv = ALocal(conIv, tc, tc2);
            sinIv = ALocal(sinIv, tc, tc2);
        } catch (const std::exception &e) {
            throw ErrorRegistro(errorInventario, TextoDeError(e));
        }
    }

    // The row is read without a lock and written only if no one has changed it since; when
    // someone has, it is read again, locked. Writing the row once in the transaction, rather
    // than locking and then writing it, spares the engine a forced page write per line.
    TRegistroCompras &r = res.registro;
    for (bool bloquear : {false, true}) {
        if (!leer(bloquear))
            return;
        ResultadoRecalculo precios;
        Currency precioCompra;
        try {
            const bool descuento = ajustes_.precios.descuentoEnPrecioCompra;
            const Currency neto = descuento ? AplicarDescuento(costo, l.porceDesc) : costo;
            res.costoNeto = neto;

            d.cantidad = l.cantidad;
            d.costoNeto = neto;
            d.precioVenta = l.precioVenta;
            d.impUnitConIv = conIv;
            d.impUnitSinIv = sinIv;
            d.porceDesc = l.porceDesc;
            d.gravado = l.gravado;
            d.ivi = l.ivi;
            d.ajustes = ajustes_.precios;
            // Average cost (net cost when the stock sum is not positive) and the four levels.
            precios = RecalcularPreciosVenta(d);

            const bool ivIncluido = l.gravado == QLatin1String("S") && l.ivi == QLatin1String("S");
            precioCompra = ivIncluido ? ConImpuesto(neto, d.porcIv) : neto;
        } catch (const std::exception &e) {
            throw ErrorRegistro(errorInventario, TextoDeError(e));
        }
        if (f.consignacion && actualizaExist != QLatin1String("S")) {
            InsertarMovimiento(f, l, res);
            return;
        }

        r = TRegistroCompras();
        r.Codigo = l.codBarras;
        r.Stock = f.inventarioPrincipal || f.consignacion ? d.stockAnterior + l.cantidad : d.stockAnterior;
        r.PrecioCompra = precioCompra;
        for (int i = 0; i < 4; ++i) {
            r.PrecioVenta[i] = precios.niveles[i].preven;
            r.PrecioConIv[i] = precios.niveles[i].precioConIv;
            r.PrecioSinIv[i] = precios.niveles[i].precioSinIv;
            r.BaseCalculo[i] = d.niveles[i].baseCalculo;
        }
        r.CostoPromedio = precios.costoPromedio;
        r.FechaUltimaCompra = f.consignacion ? ultimaCompra : QDateTime(f.fecha, QTime(0, 0));
        r.CodProveedor = f.codProveedor;
        r.TipoCambio = tc;
        r.TipoCambio2 = tc2;

        std::uint64_t escritas = 0;
        try {
            escritas = registros_.ActualizarInventarioCompras(r, actualizaExist, l.gravado, l.ivi,
                                                              bloquear ? std::nullopt : std::optional<qint64>(version));
        } catch (const ErrorRegistro &e) {
            throw ErrorRegistro(errorInventario, e.detalle(),
                                QStringLiteral("Sucedió un inconveniente al Actualizar el Inventario\r\nMensaje:\r\n") +
                                    e.detalle());
        }
        if (escritas > 0)
            break;
    }

    // Warehouse stock.
    const bool enBodega = !f.inventarioPrincipal || f.consignacion;
    const QString bodega = f.consignacion ? QStringLiteral("0") : f.codBodega;
    if (enBodega && actualizaExist == QLatin1String("S")) {
        std::uint64_t filas = 0;
        try {
            filas = registros_.ActualizaInventario(ModoInventario::SumarExistencia, l.codBarras,
                                                   ValoresInventario().Cantidad(l.cantidad).Bodega(bodega));
        } catch (const ErrorRegistro &e) {
            throw ErrorRegistro(QStringLiteral("Error al actualizar EXISTENCIAS"), e.detalle(),
                                QStringLiteral("Error al actualizar en existencias. "));
        }
        if (filas == 0) {
            try {
                // Warehouse "0" mirrors the main stock: a new row starts with the stock after the receipt.
                const Currency inicial = f.consignacion ? d.stockAnterior + l.cantidad : l.cantidad;
                registros_.InsertarExistencias({l.codBarras, bodega, inicial, {}, {}});
            } catch (const ErrorRegistro &e) {
                throw ErrorRegistro(QStringLiteral("Error al insertar en EXISTENCIAS"), e.detalle(),
                                    QStringLiteral("Error al insertar en existencias. "));
            }
        }
    }

    ActualizarCompuestos(l.codBarras, res.costoNeto);

    if (f.consignacion) {
        try {
            registros_.ActualizaInventario(ModoInventario::Consignacion, l.codBarras);
        } catch (const ErrorRegistro &e) {
            throw ErrorRegistro(QStringLiteral("Error al Guardar Precio de Compra"), e.detalle());
        }
    }
    InsertarMovimiento(f, l, res);
}

void ActualizadorInventarioCompra::InsertarMovimiento(const FacturaCompraPosteo &f, const LineaCompra &l,
                                                      const ResultadoLineaCompra &res)
{
    const Currency tc = ajustes_.tipoCambio, tc2 = ajustes_.tipoCambio2;
    try {
        FilaMovStock m;
        m.FECHA = f.consignacion ? QDateTime::currentDateTime() : QDateTime(f.fecha, QTime(0, 0));
        m.TIPO_MOVIMIENTO = f.consignacion ? 1 : 3;
        m.DESCRIPCION_MOV = f.comprobante;
        m.FAMILIA = l.codFamilia;
        m.COD_BARRAS = l.codBarras;
        m.NOMBRE_ARTICULO = l.nombre;
        m.COMPROBANTE = f.comprobante;
        m.CANTIDAD = l.cantidad;
        m.FRACCIONADO = QStringLiteral("N");
        m.CREATE_USERID = m.UPDATE_USERID = ajustes_.usuario;
        m.TIPO_CAMBIO = tc;
        m.TIPO_CAMBIO_2 = tc2;
        m.ID_TRANSACCION = f.idCompra;
        m.IMPORTE_COSTO = res.costoNeto;  // what an annulment takes back out of the average
        registros_.InsertarMovStock(m);
    } catch (const ErrorRegistro &e) {
        throw ErrorRegistro(QStringLiteral("Error al insertar en MOVIMIENTOS_STOCK."), e.detalle(),
                            QStringLiteral("Error al insertar en movimientos de stock. "));
    }
}

void ActualizadorInventarioCompra::ActualizarCompuestos(const QString &articulo, Currency costo)
{
    const QString aviso = QStringLiteral("Error al actualizar el inventario ");
    const QString error = QStringLiteral("Error al actualizar INVENTARIO");
    try {
        // Most articles are in no composition.
        if (registros_.ActualizaInventario(ModoInventario::CostoCompuesto, articulo, ValoresInventario().Cantidad(costo)) == 0)
            return;
        QStringList compuestos;
        db::Query &c = consultas_.Sql(BaseCompra::Inventario, QStringLiteral("select COD_BARRAS from compuesto\n"
                                                                             "where cod_articulo = :CodArt\norder by NUM_LINEA"));
        c.paramByName("CodArt").setAsString(articulo);
        for (c.execQuery(); !c.eof(); c.next())
            compuestos << c.field(0).asString();
        c.close();
        for (const QString &compuesto : compuestos) {
            // Locked before adding up, so a concurrent change of another component is not lost.
            db::Query &b = consultas_.Sql(BaseCompra::Inventario,
                                          QStringLiteral("select COD_BARRAS from INVENTARIO where COD_BARRAS = :Codigo with lock"));
            b.paramByName("Codigo").setAsString(compuesto);
            b.execQuery();
            b.close();
            db::Query &s = consultas_.Sql(BaseCompra::Inventario, QStringLiteral("select sum(costo*cantidad) as total from "
                                                                                 "compuesto\nwhere cod_barras = :CodArt"));
            s.paramByName("CodArt").setAsString(compuesto);
            s.execQuery();
            const Currency total = s.field(0).asCurrency();
            s.close();
            registros_.ActualizaInventario(ModoInventario::PrecioCompra, compuesto, ValoresInventario().Cantidad(total));
        }
    } catch (const std::exception &e) {
        throw ErrorRegistro(error, TextoDeError(e), aviso);
    }
}

std::vector<LineaCompra> ActualizadorInventarioCompra::LineasDeEstacion()
{
    db::Query &q = consultas_.Sql(BaseCompra::Tienda, QStringLiteral("select * from TEMPORAL_COMPRAS\nwhere NRO_CAJA = "
                                                                   ":nro_caja\nand COMPUTADORA = :compu\norder by ID_TEMP_COMPRA"));
    q.paramByName(QStringLiteral("nro_caja")).setAsInteger(ajustes_.nroCaja);
    q.paramByName(QStringLiteral("compu")).setAsString(ajustes_.computadora);
    std::vector<LineaCompra> lineas;
    for (q.execQuery(); !q.eof(); q.next())
        lineas.push_back(LeerLineaCompra(q));
    q.close();
    return lineas;
}

Currency SalidaDeStock(ConsultasCompra &consultas, RegistrosCompra &registros, const QString &articulo,
                       Currency cantidad, Currency promedio)
{
    if (registros.ActualizaInventario(ModoInventario::RestarStock, articulo,
                                      ValoresInventario().Cantidad(cantidad).Promedio(promedio)) != 1)
        throw db::DbError(QStringLiteral("El artículo %1 no se encontró").arg(articulo));
    db::Query &s = consultas.Sql(BaseCompra::Inventario, QStringLiteral("select STOCK from INVENTARIO where COD_BARRAS = :Codigo"));
    s.paramByName("Codigo").setAsString(articulo);
    s.execQuery();
    const Currency despues = s.field(0).asCurrency();
    s.close();
    if (registros.ActualizaInventario(ModoInventario::Existencia, articulo,
                                      ValoresInventario().Cantidad(despues).Bodega(QStringLiteral("0"))) == 0)
        registros.InsertarExistencias({articulo, QStringLiteral("0"), despues, {}, {}});
    return despues;
}
