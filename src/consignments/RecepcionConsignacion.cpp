#include "consignments/RecepcionConsignacion.h"

#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"
#include "purchases/EntradaCompra.h"
#include "records/RegistrosCompra.h"
#include "records/TablasTrabajoCompra.h"

#include <map>
#include <vector>

struct RecepcionConsignacion::Linea {
    LineaCompra compra;
    QString fraccionado;
    Currency porceIv, importeIv, totalSinIv, importeDescuento;
};

namespace {

QString NoInsertada(const QString &comprobante)
{
    return QStringLiteral("La consignación Nro: ") + comprobante + QStringLiteral(" no pudo ser insertada ");
}

} // namespace

DocumentoConsignacion ConsignacionDeEntrada(const EntradaCompra &e)
{
    const TotalesEntrada &t = e.Totales();
    DocumentoConsignacion d;
    d.comprobante = e.Comprobante();
    d.fecha = e.Fecha();
    d.codProveedor = e.CodigoProveedor();
    d.nombreProveedor = e.NombreProveedor();
    d.porcDescuento = e.PorcDescuento();
    d.subtotalGravado = t.SubtotalGravado;
    d.subtotalNoGravado = t.SubtotalNoGravado;
    d.totalGravado = t.TotalGravado;
    d.totalNoGravado = t.TotalNoGravado;
    d.descuento = t.Descuento;
    d.impuesto = t.Impuesto;
    d.total = t.Total;
    return d;
}

RecepcionConsignacion::RecepcionConsignacion(const ConexionesCompra &conexiones, AjustesActualizacionCompra ajustes)
    : c_(conexiones), ajustes_(std::move(ajustes)), mensajes_(&mensajes()),
      actualizador_(*c_.tienda, *c_.transTienda, *c_.inventario, *c_.transInventario, ajustes_), consultas_(c_)
{
    c_.contabilidad = nullptr;
    c_.transContabilidad = nullptr;
    ajustes_ = actualizador_.Ajustes();  // a second rate of 0 counts as 1
}

RecepcionConsignacion::~RecepcionConsignacion() = default;

std::unique_ptr<RecepcionConsignacion> RecepcionConsignacion::DesdeDatosComp(TFDatosComp &d)
{
    auto r = std::make_unique<RecepcionConsignacion>(ConexionesDeDatosComp(d),
                                                     ActualizadorInventarioCompra::DesdeDatosComp(d)->Ajustes());
    r->transaccionGlobal = &d.TransaccionGlobal;
    TFDatosComp *datos = &d;
    r->DespuesDeConfirmar = [datos] {
        RefrescarAbiertos({datos->TConsignacion, datos->TDetConsig, datos->TInventario, datos->TMovistock,
                           datos->TMP_Compra});
    };
    return r;
}

int RecepcionConsignacion::Guardar(const DocumentoConsignacion &doc)
{
    error_.clear();
    id_ = 0;
    {
        const BanderaTransaccion global(transaccionGlobal);
        try {
            Escribir(doc);
            db::CommitTwoPhase({c_.transTienda, c_.transInventario});
        } catch (const FalloPaso &f) {
            if (!f.aviso().isEmpty())
                mensajes_->Informacion(f.aviso());
            error_ = f.mensaje();
        } catch (const std::exception &e) {
            error_ = TextoDeError(e);
            mensajes_->Error(error_);
        }
        if (!error_.isEmpty())
            DeshacerTransacciones({c_.transTienda, c_.transInventario});
    }
    if (!error_.isEmpty()) {
        id_ = 0;
        return 0;
    }
    if (DespuesDeConfirmar)
        DespuesDeConfirmar();
    return id_;
}

void RecepcionConsignacion::Escribir(const DocumentoConsignacion &doc)
{
    c_.transTienda->ensureActive();
    c_.transInventario->ensureActive();
    const EstacionCompra estacion{ajustes_.nroCaja, ajustes_.computadora};
    const QString aviso = NoInsertada(doc.comprobante);

    if (doc.codProveedor == 0)
        throw FalloPaso(EntradaCompra::kSinProveedor, EntradaCompra::kSinProveedor);
    if (doc.comprobante.trimmed().isEmpty())
        throw FalloPaso(EntradaCompra::kSinComprobante, EntradaCompra::kSinComprobante);

    std::vector<Linea> lineas;
    Paso(aviso, QStringLiteral("Error al leer TEMPORAL_COMPRAS"), [&] {
        db::Query &q = consultas_.Sql(BaseCompra::Tienda,
                                      QStringLiteral("select * from TEMPORAL_COMPRAS\nwhere NRO_CAJA = :nro_caja\n"
                                                     "and COMPUTADORA = :compu\norder by ID_TEMP_COMPRA"));
        q.paramByName("nro_caja").setAsInteger(estacion.nroCaja);
        q.paramByName("compu").setAsString(estacion.computadora);
        for (q.execQuery(); !q.eof(); q.next()) {
            Linea l;
            l.compra = LeerLineaCompra(q);
            l.fraccionado = q.fieldByName(QStringLiteral("FRACCIONADO")).asString();
            l.porceIv = q.fieldByName(QStringLiteral("PORCE_IV")).asCurrency();
            l.importeIv = q.fieldByName(QStringLiteral("IMPORTE_TOLAL_IV")).asCurrency();
            l.totalSinIv = q.fieldByName(QStringLiteral("TOTAL_SIN_IV")).asCurrency();
            l.importeDescuento = q.fieldByName(QStringLiteral("IMPORTE_DESCUENTO")).asCurrency();
            lineas.push_back(std::move(l));
        }
        q.close();
    });
    if (lineas.empty())
        throw FalloPaso(EntradaCompra::kSinLineas, EntradaCompra::kSinLineas);

    // The supplier's row locked: two stations never both find the number free.
    QString cedula, telefono;
    bool usado = false, existe = false;
    Paso(aviso, QStringLiteral("Error al leer PROVEEDORES"), [&] {
        db::Query &p = consultas_.Sql(BaseCompra::Inventario, QStringLiteral("select CEDULA, TEL1 from PROVEEDORES "
                                                                            "where COD_PROVEEDOR = :Provee with lock"));
        p.paramByName("Provee").setAsInteger(doc.codProveedor);
        p.execQuery();
        existe = !p.eof();
        if (existe) {
            cedula = p.field(0).asString();
            telefono = p.field(1).asString();
        }
        p.close();
        db::Query &c = consultas_.Sql(BaseCompra::Tienda, QStringLiteral("select first 1 1 from CONSIGNACIONES where "
                                                                        "CODIGO_PROVEEDOR = :Provee and COMPROBANTE = :Comprob"));
        c.paramByName("Provee").setAsInteger(doc.codProveedor);
        c.paramByName("Comprob").setAsString(doc.comprobante);
        c.execQuery();
        usado = !c.eof();
        c.close();
    });
    if (!existe)
        throw FalloPaso(EntradaCompra::kSinProveedor, EntradaCompra::kSinProveedor);
    if (usado)
        throw FalloPaso(EntradaCompra::kComprobanteUsado, EntradaCompra::kComprobanteUsado);

    RegistrosCompra registros(consultas_);
    const QDateTime ahora = QDateTime::currentDateTime();
    Paso(aviso, QStringLiteral("Error al insertar CONSIGNACIONES"), [&] {
        FilaConsignacion h;
        h.COMPUTADORA = estacion.computadora;
        h.NRO_CAJA = estacion.nroCaja;
        h.FECHA_CARGA = ahora.date();
        h.FECHA = doc.fecha;
        h.COMPROBANTE = doc.comprobante;
        h.CODIGO_PROVEEDOR = QString::number(doc.codProveedor);
        h.NOMBRE = doc.nombreProveedor;
        h.CEDULA = cedula;
        h.TELEFONO = telefono;
        h.IMPORTE_DESCUENTO = doc.descuento;
        h.PORC_DESCUENTO = doc.porcDescuento;
        h.IMPORTE_IV = doc.impuesto;
        h.IMPORTE_TOTAL = doc.total;
        h.SUBTOTAL_GRAVADO = doc.subtotalGravado;
        h.SUBTOTAL_NO_GRAVADO = doc.subtotalNoGravado;
        h.TOTAL_GRAVADO = doc.totalGravado;
        h.TOTAL_NO_GRAVADO = doc.totalNoGravado;
        h.TIPO_CAMBIO = ajustes_.tipoCambio;
        h.TIPO_CAMBIO_2 = ajustes_.tipoCambio2;
        id_ = registros.InsertarEncabezadoConsignacion(h);
    });

    // Every article locked in article order before any is written (two stations take turns);
    // each line records its article's price and average before this receipt.
    struct Anterior {
        Currency precio, promedio;
    };
    std::map<QString, Anterior> anteriores;
    const auto orden = OrdenPorArticulo(lineas, [](const Linea &l) { return l.compra.codBarras; });
    Paso(aviso, QStringLiteral("Error al leer INVENTARIO"), [&] {
        for (size_t i : orden) {
            const QString &codigo = lineas[i].compra.codBarras;
            if (anteriores.count(codigo))
                continue;
            db::Query &a = consultas_.Sql(BaseCompra::Inventario, QStringLiteral("select PRECIO_COMPRA, COSTO_PROMEDIO from "
                                                                                "INVENTARIO where COD_BARRAS = :Codigo with lock"));
            a.paramByName("Codigo").setAsString(codigo);
            a.execQuery();
            Anterior &ant = anteriores[codigo];
            if (!a.eof())
                ant = {a.field(0).asCurrency(), a.field(1).asCurrency()};
            a.close();
        }
    });

    for (const Linea &lt : lineas) {
        const LineaCompra &l = lt.compra;
        Paso(aviso, QStringLiteral("Error al insertar DETALLE_CONSIGNACION"), [&] {
            const Anterior &ant = anteriores[l.codBarras];
            FilaDetalleConsignacion d;
            d.COMPUTADORA = estacion.computadora;
            d.NRO_CAJA = estacion.nroCaja;
            d.ID_CONSIGNACION = id_;
            d.FECHA = doc.fecha;
            d.COMPROBANTE = doc.comprobante;
            d.CODIGO_FAMILIA = l.codFamilia;
            d.CODIGO_ARTICULO = l.codBarras;
            d.DESCRIPCION = l.nombre;
            d.IMPORTE_UNITARIO = l.impUnitSinIv;
            d.CANTIDAD = d.EXISTENCIA = l.cantidad;
            d.IMPORTE_IMPUESTO = lt.importeIv;
            d.PORC_IMPUESTO = lt.porceIv;
            d.GRAVADO = l.gravado;
            d.IMPUESTO_INCLUIDO = l.ivi;
            d.FRACCIONADO = lt.fraccionado;
            d.IMPORTE_TOTAL = lt.totalSinIv;
            d.IMPORTE_DESCUENTO = lt.importeDescuento;
            d.PORC_DESCUENTO = l.porceDesc;
            d.PRECIO_ANTERIOR = ant.precio;
            d.PROMEDIO_ANTERIOR = ant.promedio;
            d.TIPO_CAMBIO = ajustes_.tipoCambio;
            d.TIPO_CAMBIO_2 = ajustes_.tipoCambio2;
            registros.InsertarDetalleConsignacion(d);
        });
    }

    FacturaCompraPosteo f;
    f.idCompra = -1;
    f.comprobante = doc.comprobante;
    f.fecha = doc.fecha;
    f.codProveedor = doc.codProveedor;
    f.consignacion = true;
    for (size_t i : orden) {
        try {
            actualizador_.ActualizarLinea(f, lineas[i].compra);
        } catch (const ErrorRegistro &e) {
            throw FalloPaso(e.aviso().isEmpty() ? QStringLiteral("Error al actualizar INVENTARIO ") : e.aviso(), e.mensaje(),
                            e.detalle());
        }
    }

    // The saved goods leave the entry with the same commit: they can never be saved twice.
    Paso(EntradaCompra::kNoEliminaTemporal, QStringLiteral("Error al eliminar temporal de compras"),
         [&] { EliminaTempCompras(consultas_, 1, estacion); });
}
