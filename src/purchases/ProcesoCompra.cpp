#include "purchases/ProcesoCompra.h"

#include "records/TablasTrabajoCompra.h"
#include "platform/AritmeticaEscalada.h"
#include "platform/ArchivoIni.h"
#include "data/Comp_fdatos.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/Formato.h"
#include "platform/Redondeo.h"
#include "pricing/Funcionesprecios.h"
#include "platform/Mensajes.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"

#include <QFile>

#include <algorithm>
#include <exception>
#include <numeric>

namespace {

[[noreturn]] void Fallar(const QString &aviso, const QString &error)
{
    throw FalloPaso(aviso, error);
}

const QString kSinLineas = QStringLiteral("No puede procesar un comprobante sin líneas");

// One line of the station's work table with what the invoice line needs.
struct LineaTrabajo {
    LineaCompra linea;
    QString fraccionado;
    Currency porceIv, importeIv, totalSinIv, importeDescuento;
    bool procesaConsignacion = false;
};

// Order of the stock update: within an article with a chosen price, its lines at that cost go
// after its other lines (in the places the article's lines held), so the purchase price and the
// sale prices built on it come from the chosen cost. Stock and average cost add up the same in
// any order.
std::vector<size_t> OrdenActualizacion(const std::vector<LineaTrabajo> &lineas,
                                       const std::vector<PrecioCompraElegido> &elegidos)
{
    std::vector<size_t> orden(lineas.size());
    std::iota(orden.begin(), orden.end(), size_t{0});
    for (const PrecioCompraElegido &p : elegidos) {
        std::vector<size_t> lugares, otras, alCosto;
        for (size_t i = 0; i < lineas.size(); ++i) {
            if (lineas[i].linea.codBarras != p.codigo)
                continue;
            lugares.push_back(i);
            (lineas[i].linea.imporeCosto == p.costo ? alCosto : otras).push_back(i);
        }
        otras.insert(otras.end(), alCosto.begin(), alCosto.end());
        for (size_t k = 0; k < lugares.size(); ++k)
            orden[lugares[k]] = otras[k];
    }
    return orden;
}

bool EsCostoElegido(const LineaCompra &l, const std::vector<PrecioCompraElegido> &elegidos)
{
    for (const PrecioCompraElegido &p : elegidos)
        if (p.codigo == l.codBarras && p.costo == l.imporeCosto)
            return true;
    return false;
}

} // namespace

Currency PorcentajeDescuento(Currency porcEncabezado, const TotalesCompra &tot)
{
    if (tot.totalSinIv <= Currency() || tot.descuento.isZero())
        return tot.descuento.isZero() ? Currency() : porcEncabezado;
    using namespace aritmetica;
    const Currency efectivo = DesdeCrudo(Crudo(tot.descuento) * CienPorCiento / Crudo(tot.totalSinIv));
    // The header's own percentage stands when the lines' rounding is all that differs.
    const Currency diferencia = efectivo > porcEncabezado ? efectivo - porcEncabezado : porcEncabezado - efectivo;
    if (!porcEncabezado.isZero() && diferencia < Currency::fromString(std::string("0.01")))
        return porcEncabezado;
    return efectivo;
}

QByteArray BytesAperturaCajon(const QString &modeloEpson)
{
    if (modeloEpson.trimmed() == QLatin1String("TM-U 300"))
        return QByteArray("\x1b\x70\x00\x19\xfa", 5);
    return QByteArray("\x1b\x70\x00", 3);
}

ProcesoCompra::ProcesoCompra(const ConexionesCompra &conexiones, AjustesProcesoCompra ajustes)
    : c_(conexiones), ajustes_(std::move(ajustes)), mensajes_(&mensajes()), consultas_(c_),
      registros_(consultas_)
{
    if (!c_.tienda || !c_.transTienda || !c_.inventario || !c_.transInventario)
        throw db::DbError(QStringLiteral("El módulo de datos no está conectado"));
    if (ajustes_.inventario.tipoCambio2.isZero())
        ajustes_.inventario.tipoCambio2 = Currency(1);
    if (!c_.contabilidad || !c_.transContabilidad) {
        c_.contabilidad = nullptr;
        c_.transContabilidad = nullptr;
    }
    actualizador_ = std::make_unique<ActualizadorInventarioCompra>(*c_.tienda, *c_.transTienda, *c_.inventario,
                                                                   *c_.transInventario, ajustes_.inventario);
}

ProcesoCompra::~ProcesoCompra() = default;

std::unique_ptr<ProcesoCompra> ProcesoCompra::DesdeDatosComp(TFDatosComp &d)
{
    ConexionesCompra c = ConexionesDeDatosComp(d);
    if (d.AsientosConta) {
        c.contabilidad = d.AsientosConta->database();
        c.transContabilidad = d.AsientosConta->updateTransaction();
    }

    AjustesProcesoCompra a;
    a.inventario.precios = AjustesDeTienda(d);
    a.inventario.tipoCambio = d.TipoCambio;
    a.inventario.tipoCambio2 = d.TipoCambio2;
    a.inventario.nroCaja = d.NroCaja;
    a.inventario.computadora = TFDatosComp::VerVariable(QStringLiteral("ComputerName"));
    a.inventario.usuario = TFDatosComp::VerVariable(QStringLiteral("vUsuario"));
    const ArchivoIni ini(TFDatosComp::CarpetaIni() + QStringLiteral("/datos.ini"));
    a.sisDistribuidora = ini.LeerTexto(QStringLiteral("Varios"), QStringLiteral("SisDistribuidora"),
                                       QStringLiteral("S")) == QLatin1String("S");
    a.impresoraEpson = d.ConfigSi(QStringLiteral("IMPRESORA_EPSON"));
    a.modeloEpson = d.Config(QStringLiteral("MODELO_EPSON"));
    a.abreCajonFinal = d.ConfigSi(QStringLiteral("T_ABRE_CAJON_FINAL"));
    if (d.DatosCaja && d.DatosCaja->active() && d.DatosCaja->hasField(QStringLiteral("TICKET")))
        a.dispositivoTicket = d.DatosCaja->fieldByName(QStringLiteral("TICKET")).asString().trimmed();
    a.contabiliza = true;
    for (const char *s : {"CONTA_EXPORTA", "CONTA_VALIDA_BASE", "CONTA_VALIDA_EMPRESA", "CONTA_VALIDA_PERIODO",
                          "CONTA_A_COMPRA"})
        a.contabiliza = a.contabiliza && d.ConfigSi(QLatin1String(s));
    a.contaEmpresa = d.ConfigEntero(QStringLiteral("CONTA_ID_EMPRESA"));
    a.contaPeriodo = d.ConfigEntero(QStringLiteral("CONTA_ID_PERIODO"));
    auto cuenta = [&d](const char *codigo, const char *nombre) {
        CuentaContable cc;
        if (d.DatosCuentas && d.DatosCuentas->active()) {
            if (d.DatosCuentas->hasField(QLatin1String(codigo)))
                cc.codigo = d.DatosCuentas->fieldByName(QLatin1String(codigo)).asString();
            if (d.DatosCuentas->hasField(QLatin1String(nombre)))
                cc.nombre = d.DatosCuentas->fieldByName(QLatin1String(nombre)).asString();
        }
        return cc;
    };
    CuentasCompra &k = a.cuentas;
    k.inventario = cuenta("COM_INVENTARIO", "COM_D_INVENTARIO");
    k.impuesto = cuenta("COM_IMPUESTO", "COM_D_IMPUESTO");
    k.caja = cuenta("COM_CAJA", "COM_D_CAJA");
    k.otrosFondos = cuenta("COM_OTROSFONDOS", "COM_D_OTROSFONDOS");
    k.banco = cuenta("COM_BANCO", "COM_D_BANCO");
    k.cxp = cuenta("COM_CXP", "COM_D_CXP");
    k.descuento = cuenta("COM_DESCUENTO", "COM_D_DESCUENTO");
    k.descuentoNoGravado = cuenta("COM_DESCUENTO_NG", "COM_D_DESCUENTO_NG");

    auto p = std::make_unique<ProcesoCompra>(c, std::move(a));
    p->transaccionGlobal = &d.TransaccionGlobal;
    TFDatosComp *datos = &d;
    p->DespuesDeConfirmar = [datos] {
        RefrescarAbiertos({datos->TNC, datos->TFacturasCompra, datos->TDetCom, datos->AsientosConta,
                           datos->LineasAsientoConta});
    };
    return p;
}

Currency ProcesoCompra::ALocal(Currency importe) const
{
    return aritmetica::DesdeCrudo(aritmetica::Crudo(importe) * aritmetica::Crudo(ajustes_.inventario.tipoCambio) /
                                  aritmetica::Crudo(ajustes_.inventario.tipoCambio2));
}

DocumentoCompra ProcesoCompra::DocumentoDeEstacion()
{
    DocumentoCompra doc;
    db::Query &q = Sql(Base::Tienda, QStringLiteral("select * from TEMPORAL_ENC_COMPRA\nwhere NRO_CAJA = :nro_caja\n"
                                                    "and COMPUTADORA = :compu"));
    q.paramByName("nro_caja").setAsInteger(ajustes_.inventario.nroCaja);
    q.paramByName("compu").setAsString(ajustes_.inventario.computadora);
    q.execQuery();
    if (!q.eof()) {
        doc.fecha = q.fieldByName(QStringLiteral("FECHA")).asDate();
        doc.comprobante = q.fieldByName(QStringLiteral("COMPROBANTE")).asString();
        doc.codProveedor = q.fieldByName(QStringLiteral("CODIGO_PROVEEDOR")).asInteger();
        doc.porcDescuento = q.fieldByName(QStringLiteral("POCE_DESCUENTO")).asCurrency();
        doc.nroPedido = q.fieldByName(QStringLiteral("NRO_PEDIDO")).asString().trimmed();
        doc.modoPedido = !doc.nroPedido.isEmpty();
    }
    q.close();
    if (doc.codProveedor != 0) {
        db::Query &p = Sql(Base::Inventario,
                           QStringLiteral("select NOMBRE, EXENTO from PROVEEDORES\n where COD_PROVEEDOR = :IdProv"));
        p.paramByName("IdProv").setAsInteger(doc.codProveedor);
        p.execQuery();
        if (!p.eof()) {
            doc.nombreProveedor = p.field(0).asString();
            doc.proveedorExento = p.field(1).asString() == QLatin1String("S");
        }
        p.close();
    }
    return doc;
}

TotalesCompra ProcesoCompra::TotalesDeEstacion(bool proveedorExento)
{
    db::Query &q = Sql(Base::Tienda,
                       QStringLiteral("select\nsum(IMPORTE_TOLAL_IV)    as T_IMPORTE_TOLAL_IV,\n"
                                      "sum(IMPORTE_DESCUENTO)   as T_IMPORTE_DESCUENTO,\n"
                                      "sum(TOTAL_GRAVADO)       as T_TOTAL_GRAVADO,\n"
                                      "sum(TOTAL_NO_GRAVADO)    as T_TOTAL_NO_GRAVADO,\n"
                                      "sum(TOTAL_SIN_IV)        as T_TOTAL_SIN_IV,\n"
                                      "sum(SUBTOTAL_GRAVADO)    as T_SUBTOTAL_GRAVADO,\n"
                                      "sum(SUBTOTAL_NO_GRAVADO) as T_SUBTOTAL_NO_GRAVADO\n"
                                      "from TEMPORAL_COMPRAS\nwhere NRO_CAJA = :nro_caja\nand COMPUTADORA = :compu"));
    q.paramByName("nro_caja").setAsInteger(ajustes_.inventario.nroCaja);
    q.paramByName("compu").setAsString(ajustes_.inventario.computadora);
    q.execQuery();
    TotalesCompra t;
    auto m = [&q](int i) { return q.field(i).asCurrency(); };
    t.impuesto = m(0);
    t.descuento = m(1);
    t.totalGravado = m(2);
    t.totalNoGravado = m(3);
    t.totalSinIv = m(4);
    t.subtotalGravado = m(5);
    t.subtotalNoGravado = m(6);
    q.close();
    t.total = t.totalGravado + t.totalNoGravado + t.impuesto;
    if (proveedorExento) {
        t.total = t.total - t.impuesto;
        t.impuesto = Currency();
    }
    return t;
}

ValidacionPago ProcesoCompra::Validar(Currency total, const PagoCompra &p)
{
    ValidacionPago v;
    const Currency suma = RedondearCentimos(p.efectivo + p.cheque + p.notasCredito + p.credito);
    const Currency t = RedondearCentimos(total);
    if (p.credito > Currency() && p.diasCredito <= 0) {
        v.fallo = ValidacionPago::Fallo::DiasCredito;
        v.mensaje = QStringLiteral("Debe digitar el número de días para el crédito");
    } else if (suma < t) {
        v.fallo = ValidacionPago::Fallo::Falta;
        v.diferencia = t - suma;
        v.mensaje = QStringLiteral("No se ha completado el Monto Total, falta: ") + FormatoMoneda(v.diferencia);
    } else if (suma > t) {
        v.fallo = ValidacionPago::Fallo::Excede;
        v.diferencia = suma - t;
        v.mensaje = QStringLiteral("Se ha excedido el monto a pagar, se esta recibiendo ") + FormatoMoneda(v.diferencia) +
                    QStringLiteral(" de más");
    }
    return v;
}

void ProcesoCompra::AbrirCajon(const PagoCompra &pago)
{
    if (!ajustes_.impresoraEpson || !pago.efectivoDeCaja || pago.efectivo <= Currency() || !ajustes_.abreCajonFinal)
        return;
    if (ajustes_.dispositivoTicket.isEmpty())
        return;
    QFile f(ajustes_.dispositivoTicket);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return;  // a drawer that does not open is no reason to refuse the posting
    f.write(BytesAperturaCajon(ajustes_.modeloEpson) + QByteArray("\r\n"));
    f.close();
}

int ProcesoCompra::Procesar(const DocumentoCompra &doc, const TotalesCompra &totales, const PagoCompra &pago)
{
    estado_ = Estado::SinProcesar;
    error_.clear();
    idCompra_ = 0;
    asiento_ = 0;
    asientoMal_ = false;
    if (doc.tipoDocumento != QLatin1String("Factura")) {
        estado_ = Estado::NoEsFactura;
        return 0;
    }
    // The total is posted to the cent, whoever computed it: the payment covers that amount and
    // the accounting entry balances on it.
    TotalesCompra tot = totales;
    tot.total = RedondearCentimos(tot.total);
    const ValidacionPago v = Validar(tot.total, pago);
    if (!v.ok()) {
        estado_ = Estado::Invalida;
        error_ = v.mensaje;
        return 0;
    }

    // The cheque's bank movement is prepared and shown before anything is written.
    MovimientoBanco cheque;
    const bool conCheque = pago.cheque > Currency();
    if (conCheque) {
        cheque.idCuenta = pago.cuentaBancaria;
        cheque.fecha = QDateTime(doc.fecha, QTime(0, 0));
        cheque.tipoMovimiento = 1;
        cheque.concepto = QStringLiteral("Pago de Factura de Compra Nº ") + doc.comprobante;
        cheque.beneficiario = doc.nombreProveedor;
        try {
            cheque.importe = doc.monedaCarga == 2 ? ALocal(pago.cheque) : pago.cheque;
        } catch (const std::exception &) {
            cheque.importe = pago.cheque;
        }
        cheque.comprobante = pago.numeroCheque;
        cheque.tipoCambio = ajustes_.inventario.tipoCambio;
        cheque.tipoCambio2 = ajustes_.inventario.tipoCambio2;
        if (RegistrarCheque && !RegistrarCheque(cheque)) {
            estado_ = Estado::ChequeCancelado;
            return 0;
        }
    }

    AbrirCajon(pago);

    {
        const BanderaTransaccion global(transaccionGlobal);
        try {
            Publicar(doc, tot, pago, conCheque ? &cheque : nullptr);
            std::vector<db::Transaction *> grupo{c_.transTienda, c_.transInventario};
            if (c_.transContabilidad)
                grupo.push_back(c_.transContabilidad);
            db::CommitTwoPhase(grupo);
        } catch (const FalloPaso &f) {
            if (!f.aviso().isEmpty())
                mensajes_->Informacion(f.aviso());
            error_ = f.mensaje();
            mensajes_->Error(f.mensaje());
            Deshacer();
        } catch (const std::exception &e) {
            error_ = TextoDeError(e);
            mensajes_->Error(error_);
            Deshacer();
        }
    }
    if (!error_.isEmpty()) {
        estado_ = Estado::Fallida;
        asiento_ = 0;
        idCompra_ = 0;
        return 0;
    }
    estado_ = Estado::Procesada;
    if (DespuesDeConfirmar)
        DespuesDeConfirmar();
    return idCompra_;
}

void ProcesoCompra::Deshacer()
{
    DeshacerTransacciones({c_.transTienda, c_.transInventario, c_.transContabilidad});
}

void ProcesoCompra::Publicar(const DocumentoCompra &doc, const TotalesCompra &tot, const PagoCompra &pago,
                             const MovimientoBanco *cheque)
{
    c_.transTienda->ensureActive();
    c_.transInventario->ensureActive();
    const QDateTime ahora = QDateTime::currentDateTime();
    // Posting time, also the cash row's time, so an annulment finds exactly this invoice's cash.
    fechaCarga_ = ahora;

    // The station's lines, read once in the update transaction.
    std::vector<LineaTrabajo> lineas;
    {
        db::Query &q = Sql(Base::Tienda, QStringLiteral("select * from TEMPORAL_COMPRAS\nwhere NRO_CAJA = :nro_caja\n"
                                                        "and COMPUTADORA = :compu\norder by ID_TEMP_COMPRA"));
        q.paramByName("nro_caja").setAsInteger(ajustes_.inventario.nroCaja);
        q.paramByName("compu").setAsString(ajustes_.inventario.computadora);
        for (q.execQuery(); !q.eof(); q.next()) {
            LineaTrabajo l;
            l.linea = LeerLineaCompra(q);
            l.fraccionado = q.fieldByName(QStringLiteral("FRACCIONADO")).asString();
            l.porceIv = q.fieldByName(QStringLiteral("PORCE_IV")).asCurrency();
            l.importeIv = q.fieldByName(QStringLiteral("IMPORTE_TOLAL_IV")).asCurrency();
            l.totalSinIv = q.fieldByName(QStringLiteral("TOTAL_SIN_IV")).asCurrency();
            l.importeDescuento = q.fieldByName(QStringLiteral("IMPORTE_DESCUENTO")).asCurrency();
            l.procesaConsignacion = q.fieldByName(QStringLiteral("PROCESA_CONSIGNACION")).asString() == QLatin1String("S");
            lineas.push_back(std::move(l));
        }
        q.close();
    }
    if (lineas.empty())
        Fallar(QString(), kSinLineas);

    VerificarComprobante(doc);
    VerificarReferencias(cheque);
    if (cheque)
        InsertarCheque(*cheque);
    InsertarEncabezado(doc, tot, pago);

    const QString msgDetalle = QStringLiteral("Error al insertar el detalle de la factura de compra. ");
    const QString errDetalle = QStringLiteral("Error al insertar DETALLE_FACTURAS_COMPRA.");
    // Stock, costs and prices first, article after article in code order, so two postings of the
    // same articles take turns instead of waiting on each other in a cycle. What each article had
    // before this invoice goes on its lines. A consignment's goods are already in stock: its
    // articles are only locked and read.
    struct Anterior {
        Currency precio, promedio, stock;
    };
    std::map<QString, Anterior> anteriores;
    std::map<QString, Currency> precioDelElegido;  // PRECIO_COMPRA the update wrote for a chosen cost
    std::map<QString, Currency> precioSinIv;       // PRECIOSINIV_1 each article is left with
    if (!doc.consignacionAFacturar) {
        FacturaCompraPosteo f;
        f.idCompra = idCompra_;
        f.comprobante = doc.comprobante;
        f.fecha = doc.fecha;
        f.codProveedor = doc.codProveedor;
        f.monedaCarga = doc.monedaCarga;
        f.inventarioPrincipal = doc.inventarioPrincipal;
        f.codBodega = doc.codBodega;
        // Lines of one article keep among themselves the order the chosen costs ask for.
        const std::vector<size_t> orden = OrdenActualizacion(lineas, doc.preciosElegidos);
        for (size_t k : OrdenPorArticulo(orden, [&](size_t i) { return lineas[i].linea.codBarras; })) {
            const LineaCompra &l = lineas[orden[k]].linea;
            ResultadoLineaCompra r;
            try {
                actualizador_->ActualizarLinea(f, l, &r);
            } catch (const ErrorRegistro &e) {
                throw FalloPaso(e.aviso(), QStringLiteral("Error al actualizar INVENTARIO"), e.detalle());
            }
            precioSinIv[l.codBarras] = r.articuloEncontrado ? r.registro.PrecioSinIv[0] : Currency();
            if (r.articuloEncontrado && !anteriores.count(l.codBarras))
                anteriores[l.codBarras] = {r.precioCompraAnterior, r.costoPromedioAnterior, r.stockAnterior};
            if (r.articuloEncontrado && EsCostoElegido(l, doc.preciosElegidos))
                precioDelElegido[l.codBarras] = r.registro.PrecioCompra;
        }
    } else {
        Paso(msgDetalle, errDetalle, [&] {
            for (size_t i : OrdenPorArticulo(lineas, [](const LineaTrabajo &l) { return l.linea.codBarras; })) {
                const QString &codigo = lineas[i].linea.codBarras;
                if (anteriores.count(codigo))
                    continue;
                db::Query &a = Sql(Base::Inventario, QStringLiteral("select PRECIO_COMPRA, COSTO_PROMEDIO, STOCK from INVENTARIO "
                                                                    "where COD_BARRAS = :Codigo with lock"));
                a.paramByName("Codigo").setAsString(codigo);
                a.execQuery();
                Anterior &ant = anteriores[codigo];
                if (!a.eof())
                    ant = {a.field(0).asCurrency(), a.field(1).asCurrency(), a.field(2).asCurrency()};
                a.close();
            }
        });
    }

    // Lines, in entry order.
    const bool moneda2 = doc.monedaCarga == 2;
    auto local = [&](Currency x) { return moneda2 ? ALocal(x) : x; };
    for (const LineaTrabajo &lt : lineas) {
        const LineaCompra &l = lt.linea;
        Paso(msgDetalle, errDetalle, [&] {
            const Anterior &ant = anteriores[l.codBarras];
            FilaDetalleFacturaCompra d;
            d.COMPUTADORA = ajustes_.inventario.computadora;
            d.NRO_CAJA = ajustes_.inventario.nroCaja;
            d.ID_COMPRA = idCompra_;
            d.FECHA = doc.fecha;
            d.COMPROBANTE = doc.comprobante;
            d.CODIGO_FAMILIA = l.codFamilia;
            d.CODIGO_ARTICULO = l.codBarras;
            d.DESCRIPCION = l.nombre;
            d.GRAVADO = l.gravado;
            d.IMPUESTO_INCLUIDO = l.ivi;
            d.FRACCIONADO = lt.fraccionado;
            d.IMPORTE_UNITARIO = local(l.impUnitSinIv);
            d.IMPORTE_IMPUESTO = local(lt.importeIv);
            d.IMPORTE_TOTAL = local(lt.totalSinIv);
            d.IMPORTE_DESCUENTO = local(lt.importeDescuento);
            d.CANTIDAD = l.cantidad;
            d.PORC_IMPUESTO = lt.porceIv;
            d.PORC_DESCUENTO = l.porceDesc;
            d.MONEDA_CARGA = doc.monedaCarga;
            d.PRECIO_ANTERIOR = ant.precio;
            d.PROMEDIO_ANTERIOR = ant.promedio;
            d.TIPO_CAMBIO = ajustes_.inventario.tipoCambio;
            d.TIPO_CAMBIO_2 = ajustes_.inventario.tipoCambio2;
            d.CANTIDAD_ANTERIOR = ant.stock;
            d.PRECIO_VENTA_SIN_IV = precioSinIv[l.codBarras];
            registros_.InsertarDetalleFacturasCompras(d);
        });
    }

    // Chosen purchase prices, as the update turns a line's cost into a purchase price (local
    // currency, less the discount when the store says so, with tax when the price includes it).
    if (!doc.preciosElegidos.empty()) {
        std::vector<std::pair<QString, Currency>> precios;
        Paso(QStringLiteral("Error al actualizar el inventario "), QStringLiteral("Error al actualizar INVENTARIO"), [&] {
            for (const PrecioCompraElegido &p : doc.preciosElegidos) {
                if (auto it = precioDelElegido.find(p.codigo); it != precioDelElegido.end()) {
                    precios.emplace_back(p.codigo, it->second);
                    continue;
                }
                // A cost typed in the choice, on no line: priced like the article's last line.
                const LineaTrabajo *ref = nullptr;
                for (const LineaTrabajo &lt : lineas)
                    if (lt.linea.codBarras == p.codigo)
                        ref = &lt;
                Currency precio = local(p.costo);
                if (ref) {
                    if (ajustes_.inventario.precios.descuentoEnPrecioCompra)
                        precio = AplicarDescuento(precio, ref->linea.porceDesc);
                    if (ref->linea.gravado == QLatin1String("S") && ref->linea.ivi == QLatin1String("S"))
                        precio = aritmetica::DesdeCrudo(aritmetica::Crudo(precio) *
                                                        (aritmetica::CienPorCiento + aritmetica::Crudo(ref->porceIv)) /
                                                        aritmetica::CienPorCiento);
                }
                precios.emplace_back(p.codigo, precio);
            }
        });
        EscribirPreciosElegidos(precios);
    }

    if (ajustes_.sisDistribuidora) {
        for (const LineaTrabajo &lt : lineas) {
            if (!lt.procesaConsignacion)
                continue;
            Paso(QString(), QStringLiteral("Error al Cambiar a Inactivos"),
                 [&] { registros_.ActualizaInventario(ModoInventario::Inactivar, lt.linea.codBarras); });
        }
    }

    // The lines of an invoice that updated its articles already carry their sale price.
    if (doc.consignacionAFacturar)
        PrecioVentaEnLineas();
    CajaDiaria(doc, pago, ahora);
    CuentaProveedor(doc, pago, ahora);
    NotasCredito(doc, tot, pago, ahora);
    CargarAsiento(doc, tot, pago, ahora);
    {
        std::vector<LineaCompra> ls;
        for (const LineaTrabajo &lt : lineas)
            ls.push_back(lt.linea);
        LiquidarConsignacion(doc, ls);
    }
    Finalizar(doc);
}

void ProcesoCompra::EscribirPreciosElegidos(const std::vector<std::pair<QString, Currency>> &precios)
{
    Paso(QStringLiteral("Error al actualizar el inventario "), QStringLiteral("Error al actualizar INVENTARIO"), [&] {
        for (const auto &[codigo, precio] : precios)
            registros_.ActualizaInventario(ModoInventario::PrecioCompra, codigo, ValoresInventario().Cantidad(precio));
    });
}

void ProcesoCompra::VerificarReferencias(const MovimientoBanco *cheque)
{
    if (!cheque)
        return;
    bool existe = false;
    Paso(QString(), QStringLiteral("Error al insertar MOVIM_BANCO"), [&] {
        db::Query &q = Sql(Base::Tienda, QStringLiteral("select first 1 ID_CUENTA from CUENTAS_BANCARIAS where ID_CUENTA = :id"));
        q.paramByName("id").setAsInteger(cheque->idCuenta);
        q.execQuery();
        existe = !q.eof();
        q.close();
    });
    if (!existe)
        Fallar(QString(), QStringLiteral("La cuenta bancaria del cheque no existe (cuenta %1).").arg(cheque->idCuenta));
}

void ProcesoCompra::VerificarComprobante(const DocumentoCompra &doc)
{
    bool usado = false;
    Paso(QString(), QStringLiteral("Error al insertar FACTURAS_COMPRA"),
         [&] { usado = ComprobanteUsadoBajoBloqueo(consultas_, doc.codProveedor, doc.comprobante); });
    if (usado)
        Fallar(QString(), QStringLiteral("Este Comprobante ya fue Utilizado por este proveedor"));
}

void ProcesoCompra::InsertarCheque(const MovimientoBanco &m)
{
    Paso(QString(), QStringLiteral("Error al insertar MOVIM_BANCO"), [&] { registros_.InsertarMovimientoBanco(m); });
}

void ProcesoCompra::InsertarEncabezado(const DocumentoCompra &doc, const TotalesCompra &tot, const PagoCompra &pago)
{
    const bool moneda2 = doc.monedaCarga == 2;
    Paso(QStringLiteral("Error al insertar la factura de compra. "), QStringLiteral("Error al insertar en FACTURAS_COMPRA"),
         [&] {
             auto local = [&](Currency x) { return moneda2 ? ALocal(x) : x; };
             FilaFacturaCompra f;
             f.COMPUTADORA = ajustes_.inventario.computadora;
             f.NRO_CAJA = ajustes_.inventario.nroCaja;
             f.FECHA_CARGA = fechaCarga_;
             f.FECHA = doc.fecha;
             f.COMPROBANTE = doc.comprobante;
             f.CODIGO_PROVEEDOR = doc.codProveedor;
             f.NOMBRE = doc.nombreProveedor;
             f.NUMERO_CHEQUE = pago.numeroCheque;
             f.DIAS_CREDITO = pago.diasCredito;
             f.IMPORTE_DESCUENTO = local(tot.descuento);
             f.PORC_DESCUENTO = PorcentajeDescuento(doc.porcDescuento, tot);
             f.IMPORTE_IV = local(tot.impuesto);
             f.IMPORTE_TOTAL = local(tot.total);
             f.IMPORTE_EFECTIVO = local(pago.efectivo);
             f.IMPORTE_CHEQUE = local(pago.cheque);
             f.IMPORTE_CREDITO = local(pago.credito);
             f.IMPORTE_NC = local(pago.notasCredito);
             f.SUBTOTAL_GRAVADO = local(tot.subtotalGravado);
             f.SUBTOTAL_NO_GRAVADO = local(tot.subtotalNoGravado);
             f.TOTAL_GRAVADO = local(tot.totalGravado);
             f.TOTAL_NO_GRAVADO = local(tot.totalNoGravado);
             f.MONEDA_CARGA = doc.monedaCarga;
             f.EFECTIVO_CAJA = pago.efectivo > Currency() && pago.efectivoDeCaja ? QStringLiteral("S") : QStringLiteral("N");
             f.TIPO_CAMBIO = ajustes_.inventario.tipoCambio;
             f.TIPO_CAMBIO_2 = ajustes_.inventario.tipoCambio2;
             f.INVENTARIO_PRINCIPAL = doc.inventarioPrincipal ? QStringLiteral("S") : QStringLiteral("N");
             f.COD_BODEGA = doc.inventarioPrincipal ? QString() : doc.codBodega;
             // The supplier's tax id and telephone as the supplier card has them.
             db::Query &p = Sql(Base::Inventario,
                                QStringLiteral("select CEDULA, TEL1 from PROVEEDORES where COD_PROVEEDOR = :IdProv"));
             p.paramByName("IdProv").setAsInteger(doc.codProveedor);
             p.execQuery();
             if (!p.eof()) {
                 f.CEDULA = p.field(0).asString();
                 f.TELEFONO = p.field(1).asString();
             }
             p.close();
             idCompra_ = registros_.InsertarFacturasCompras(f);
         });
}

void ProcesoCompra::PrecioVentaEnLineas()
{
    Paso(QStringLiteral("Error al actualizar el detalle de la factura de compra. "),
         QStringLiteral("Error al actualizar en DETALLE_FACTURAS_COMPRA"), [&] {
             std::vector<std::pair<int, QString>> detalle;
             db::Query &l = Sql(Base::Tienda, QStringLiteral("select ID_DETALLE_FACTURA, CODIGO_ARTICULO from "
                                                             "DETALLE_FACTURAS_COMPRA\n where ID_COMPRA = :IdFac\n"
                                                             " order by ID_DETALLE_FACTURA"));
             l.paramByName("IdFac").setAsInteger(idCompra_);
             for (l.execQuery(); !l.eof(); l.next())
                 detalle.emplace_back(l.field(0).asInteger(), l.field(1).asString());
             l.close();
             for (const auto &[id, articulo] : detalle) {
                 db::Query &p = Sql(Base::Inventario, QStringLiteral("select PRECIOSINIV_1 from INVENTARIO\n"
                                                                     "where COD_BARRAS = :vArti"));
                 p.paramByName("vArti").setAsString(articulo);
                 p.execQuery();
                 const Currency precio = p.eof() ? Currency() : p.field(0).asCurrency();
                 p.close();
                 registros_.ActualizaDetalleFacturaCompra(ModoDetalleFactura::PrecioVenta, id, precio);
             }
         });
}

void ProcesoCompra::CajaDiaria(const DocumentoCompra &doc, const PagoCompra &pago, const QDateTime &ahora)
{
    Q_UNUSED(ahora);
    if (pago.efectivo <= Currency() || !pago.efectivoDeCaja)
        return;
    Paso(QStringLiteral("Error al insertar en la caja diaria. "), QStringLiteral("Error al insertar CAJA_DIARIA."), [&] {
        // The last row is locked and read again until it is still the last: a station that
        // posted meanwhile has its row committed by then and its balance is the one to follow.
        int turno = 0;
        Currency saldo;
        QDateTime ultimaHora;
        for (int id = -1;;) {
            db::Query &u = Sql(Base::Tienda, QStringLiteral("select first 1 ID_CAJA, TURNO, SALDO, FECHA_HORA from "
                                                            "CAJA_DIARIA\n order by FECHA_HORA desc, TURNO desc, ID_CAJA desc"));
            u.execQuery();
            const int ultimo = u.eof() ? 0 : u.field(0).asInteger();
            if (!u.eof()) {
                turno = u.field(1).asInteger();
                saldo = u.field(2).asCurrency();
                ultimaHora = u.field(3).asDateTime();
            }
            u.close();
            if (ultimo == 0 || ultimo == id)
                break;
            db::Query &b = Sql(Base::Tienda,
                               QStringLiteral("select TURNO, SALDO from CAJA_DIARIA where ID_CAJA = :id with lock"));
            b.paramByName("id").setAsInteger(ultimo);
            b.execQuery();
            b.close();
            id = ultimo;
        }
        // The row must follow the one its balance comes from, so a till whose last row lies
        // ahead of the clock gets this row 1 ms after it. The invoice keeps the real posting
        // time: a clock or a row from another station must not change when the invoice says it
        // was posted. The row is never earlier than that time, so an annulment finds it as the
        // first row of this number and amount from the posting time on.
        QDateTime momento = std::max(QDateTime::currentDateTime(), fechaCarga_);
        if (ultimaHora.isValid() && momento <= ultimaHora)
            momento = ultimaHora.addMSecs(1);
        const Currency efectivo = doc.monedaCarga == 2 ? ALocal(pago.efectivo) : pago.efectivo;
        FilaCajaDiaria c;
        c.FECHA_HORA = momento;
        c.CODIGO_MOVIMIENTO = 3;
        c.COMPROBANTE = doc.comprobante;
        c.IMPORTE_EFECTIVO = efectivo;
        c.CONCEPTO = QStringLiteral("Factura de Compra Nro. ") + doc.comprobante;
        c.TURNO = turno;
        c.USUARIO = ajustes_.inventario.usuario;
        c.SALDO = saldo - efectivo;
        c.TIPO_CAMBIO = ajustes_.inventario.tipoCambio;
        c.TIPO_CAMBIO_2 = ajustes_.inventario.tipoCambio2;
        c.COMPUTADORA = ajustes_.inventario.computadora;
        c.NRO_CAJA = ajustes_.inventario.nroCaja;
        registros_.InsertarCajaDiaria(c);
    });
}

FilaCuentaProveedor ProcesoCompra::FilaCuenta(const QDateTime &ahora) const
{
    FilaCuentaProveedor c;
    c.COMPUTADORA = ajustes_.inventario.computadora;
    c.NRO_CAJA = ajustes_.inventario.nroCaja;
    c.TIPO_CAMBIO = ajustes_.inventario.tipoCambio;
    c.TIPO_CAMBIO_2 = ajustes_.inventario.tipoCambio2;
    c.CREATE_USERID = c.UPDATE_USERID = ajustes_.inventario.usuario;
    c.CREATE_TMSTMP = c.UPDATE_TMSTMP = ahora;
    c.NC_ASIGNADA = QStringLiteral("N");
    return c;
}

void ProcesoCompra::CuentaProveedor(const DocumentoCompra &doc, const PagoCompra &pago, const QDateTime &ahora)
{
    if (pago.credito <= Currency())
        return;
    Paso(QStringLiteral("Error al insertar en la cuenta del proveedor "), QStringLiteral("Error al insertar CUENTA_PROVEEDOR"),
         [&] {
             const Currency local = doc.monedaCarga == 2 ? ALocal(pago.credito) : pago.credito;
             FilaCuentaProveedor c = FilaCuenta(ahora);
             c.FECHA = QDateTime(doc.fecha, QTime(0, 0));
             c.COD_PROVEEDOR = doc.codProveedor;
             c.COD_TIPO_MOV = 1;
             c.COMPROBANTE = doc.comprobante;
             c.IMPORTE = c.A_CANCELAR = local;
             c.C_IMPORTE = c.C_A_CANCELAR = pago.credito;
             c.FECHA_VENCIMIENTO = QDateTime(doc.fecha.addDays(pago.diasCredito), QTime(0, 0));
             c.NOTA = QStringLiteral("Factura de Compra Nro. ") + doc.comprobante;
             c.MONEDA_CARGA = doc.monedaCarga;
             c.DIAS_CREDITO = pago.diasCredito;
             c.CANCELADO = QStringLiteral("N");
             registros_.InsertarCuentaProveedor(c);
         });
}

void ProcesoCompra::NotasCredito(const DocumentoCompra &doc, const TotalesCompra &tot, const PagoCompra &pago,
                                 const QDateTime &ahora)
{
    Q_UNUSED(tot);
    QStringList notas;
    for (const QString &n : pago.notasElegidas)
        if (!n.trimmed().isEmpty())
            notas << n;
    if (notas.isEmpty() || pago.notasCredito <= Currency())
        return;
    const QString msgNota = QStringLiteral("Error al marcar el detalle de la nota de credito.");
    const QString errNota = QStringLiteral("Error al eliminar NOTAS_CREDITO_PROV");
    Currency sumaNotas;
    for (const QString &n : notas) {
        std::uint64_t filas = 0;
        Paso(msgNota, errNota, [&] {
            filas = registros_.ActualizaNCProveedor(ModoNotaCredito::Aplicar,
                                                    {n, doc.codProveedor, QStringLiteral("S"), ahora, doc.comprobante});
            db::Query &s = Sql(Base::Tienda, QStringLiteral("select sum(IMP_TOTAL) from NOTAS_CREDITO_PROV where "
                                                            "COMPROBANTE = :comp and COD_PROVEEDOR = :prov and "
                                                            "APLICA_FACTURA = :fac"));
            s.paramByName("comp").setAsString(n);
            s.paramByName("prov").setAsInteger(doc.codProveedor);
            s.paramByName("fac").setAsString(doc.comprobante);
            s.execQuery();
            sumaNotas += s.field(0).asCurrency();
            s.close();
        });
        if (filas == 0)
            Fallar(msgNota, errNota);
    }

    // What the chosen notes are worth beyond what they pay becomes a new note for the supplier.
    Currency exceso;
    Paso(QString(), QStringLiteral("Error al actualizar NOTAS_CREDITO_PROV"), [&] {
        const Currency aplicado = doc.monedaCarga == 2 ? ALocal(pago.notasCredito) : pago.notasCredito;
        exceso = sumaNotas - aplicado;
    });
    if (exceso <= Currency())
        return;
    const QString nota = QStringLiteral("Por Saldo de Nota de Crédito aplicada a Factura ") + doc.comprobante;
    Paso(QStringLiteral("Error al insertar en la cuenta del proveedor "), QStringLiteral("Error al insertar CUENTA_PROVEEDOR"),
         [&] {
             FilaCuentaProveedor c = FilaCuenta(ahora);
             c.FECHA = ahora;
             c.COD_PROVEEDOR = doc.codProveedor;
             c.COD_TIPO_MOV = 5;
             c.COMPROBANTE = doc.comprobante;
             c.IMPORTE = c.C_IMPORTE = exceso;
             c.NOTA = nota;
             c.MONEDA_CARGA = 1;
             c.NC_FACTURA = pago.notaSaldo;  // the row stands for the new note
             registros_.InsertarCuentaProveedor(c);
         });
    const QString msgNueva = QStringLiteral("Error al insertar la nota de credito. ");
    const QString errNueva = QStringLiteral("Error al insertar NOTAS_CREDITO_PROV");
    if (pago.notaSaldo.trimmed().isEmpty())
        Fallar(msgNueva, errNueva);
    // The supplier's row is locked (VerificarComprobante), so a number is taken once.
    bool repetida = false;
    Paso(msgNueva, errNueva, [&] {
        db::Query &q = Sql(Base::Tienda, QStringLiteral("select first 1 ID_NC_PROV from NOTAS_CREDITO_PROV where "
                                                        "COD_PROVEEDOR = :prov and COMPROBANTE = :nota"));
        q.paramByName("prov").setAsInteger(doc.codProveedor);
        q.paramByName("nota").setAsString(pago.notaSaldo.trimmed());
        q.execQuery();
        repetida = !q.eof();
        q.close();
    });
    if (repetida)
        Fallar(QString(), QStringLiteral("Ya existe la nota de crédito %1 de este proveedor: elija otro número para "
                                         "la nota del saldo.")
                              .arg(pago.notaSaldo.trimmed()));
    Paso(msgNueva, errNueva, [&] {
        FilaNotaCreditoProveedor n;
        n.COMPUTADORA = ajustes_.inventario.computadora;
        n.NRO_CAJA = ajustes_.inventario.nroCaja;
        n.COMPROBANTE = pago.notaSaldo;
        n.COD_PROVEEDOR = doc.codProveedor;
        n.IMP_TOTAL = exceso;
        n.FECHA = ahora;
        n.ANULADA = QStringLiteral("N");
        n.OBSERVACIONES = nota;
        n.ASIGNADA = QStringLiteral("N");
        n.TIPO_NC = 3;
        n.TIPO_CAMBIO = ajustes_.inventario.tipoCambio;
        n.TIPO_CAMBIO_2 = ajustes_.inventario.tipoCambio2;
        n.CREATE_USERID = ajustes_.inventario.usuario;
        n.CREATE_TMSTMP = ahora;
        registros_.InsertarNotaCreditoProveedor(n);
    });
}

void ProcesoCompra::CargarAsiento(const DocumentoCompra &doc, const TotalesCompra &tot, const PagoCompra &pago,
                                  const QDateTime &ahora)
{
    if (!ajustes_.contabiliza || !c_.contabilidad)
        return;
    const int empresa = ajustes_.contaEmpresa, periodo = ajustes_.contaPeriodo;
    const bool moneda2 = doc.monedaCarga == 2;
    struct Linea {
        const CuentaContable *cuenta;
        Currency debe, haber;
    };
    std::vector<Linea> lineas;
    try {
        auto local = [&](Currency x) { return moneda2 ? ALocal(x) : x; };
        const CuentasCompra &k = ajustes_.cuentas;
        lineas.push_back({&k.inventario, local(tot.total + tot.descuento - tot.impuesto), {}});
        if (!tot.impuesto.isZero())
            lineas.push_back({&k.impuesto, local(tot.impuesto), {}});
        if (pago.efectivo > Currency())
            lineas.push_back({pago.efectivoDeCaja ? &k.caja : &k.otrosFondos, {}, local(pago.efectivo)});
        if (pago.cheque > Currency())
            lineas.push_back({&k.banco, {}, local(pago.cheque)});
        if (pago.credito > Currency())
            lineas.push_back({&k.cxp, {}, local(pago.credito)});
        const Currency descG = tot.subtotalGravado - tot.totalGravado;
        if (!descG.isZero())
            lineas.push_back({&k.descuento, {}, local(descG)});
        const Currency descNg = tot.subtotalNoGravado - tot.totalNoGravado;
        if (!descNg.isZero())
            lineas.push_back({&k.descuentoNoGravado, {}, local(descNg)});
    } catch (const std::exception &) {
        asientoMal_ = true;
    }
    Currency debe, haber;
    for (const Linea &l : lineas) {
        debe += l.debe;
        haber += l.haber;
    }
    c_.transContabilidad->ensureActive();
    bool mal = asientoMal_;
    const QString usuario = ajustes_.inventario.usuario;

    // Without a period row (or when it cannot be read) the generator numbers the entry.
    int numero = 0;
    try {
        numero = registros_.SiguienteNumeroAsiento(empresa, periodo);
    } catch (const std::exception &) {
        numero = 0;
    }
    try {
        FilaAsiento a;
        a.ID_ASIENTO = numero;
        a.FK_EMPRESA = empresa;
        a.FK_PERIODO = periodo;
        a.FECHA = QDate::currentDate();
        a.DESCRIPCION = QStringLiteral("Compra - Factura Nº ") + doc.comprobante;
        a.BLANCEADO = !mal && debe == haber ? QStringLiteral("S") : QStringLiteral("N");
        a.CREATE_USERID = a.UPDATE_USERID = usuario;
        a.CREATE_TMSTMP = a.UPDATE_TMSTMP = ahora;
        asiento_ = registros_.InsertarAsiento(a);
    } catch (const std::exception &) {
        asiento_ = 0;
        mal = true;
    }
    if (asiento_ > 0) {
        bool lineaMal = false;
        for (const Linea &l : lineas) {
            try {
                FilaLineaAsiento f;
                f.FK_EMPRESA = empresa;
                f.FK_PERIODO = periodo;
                f.FK_ASIENTO = asiento_;
                f.CUENTA = l.cuenta->codigo;
                f.NOMBRE_CUENTA = l.cuenta->nombre;
                f.IMPORTE_DEBE = l.debe;
                f.IMPORTE_HABER = l.haber;
                f.CREATE_USERID = f.UPDATE_USERID = usuario;
                f.CREATE_TMSTMP = f.UPDATE_TMSTMP = ahora;
                registros_.InsertarLineaAsiento(f);
            } catch (const std::exception &) {
                lineaMal = true;
            }
        }
        if (lineaMal && !mal) {
            // An entry that lost a line no longer balances.
            try {
                registros_.MarcarAsientoDesbalanceado(empresa, periodo, asiento_);
            } catch (const std::exception &) {
            }
        }
        mal = mal || lineaMal;
    }
    if (mal) {
        asientoMal_ = true;
        mensajes_->Advertencia(QStringLiteral("Atención!\r\n\r\nAlgo quedó mal en el asiento que se acaba de generar.\r\n"
                                              "Por favor, reviselo en el módulo de contabilidad"));
    }
}

void ProcesoCompra::LiquidarConsignacion(const DocumentoCompra &doc, const std::vector<LineaCompra> &lineas)
{
    if (!doc.consignacionAFacturar || doc.idConsignacion <= 0)
        return;
    Paso(QStringLiteral("Error al actualizar el detalle de las consignaciones. "),
         QStringLiteral("Error al actualizar en DETALLE_CONSIGNACION"), [&] {
             for (const LineaCompra &l : lineas) {
                 db::Query &s = Sql(Base::Tienda, QStringLiteral("select first 1 ID_DETALLE_CONSIGNACION from "
                                                                 "DETALLE_CONSIGNACION\n where ID_CONSIGNACION = :NCons\n"
                                                                 " and CODIGO_ARTICULO = :Arti\n"
                                                                 " order by ID_DETALLE_CONSIGNACION"));
                 s.paramByName("NCons").setAsInteger(doc.idConsignacion);
                 s.paramByName("Arti").setAsString(l.codBarras);
                 s.execQuery();
                 const int detalle = s.eof() ? 0 : s.field(0).asInteger();
                 s.close();
                 if (detalle == 0)
                     continue;
                 registros_.ActualizaConsignaciones(ModoConsignacion::SumarProcesados, doc.idConsignacion,
                                                    {QDateTime::currentDateTime(), l.cantidad, detalle});
             }
         });
    Paso(QStringLiteral("Error al marcar la consignación como procesada. "), QStringLiteral("Error al actualizar Consignación"),
         [&] { registros_.MarcaConsigProcesada(doc.idConsignacion); });
}

void ProcesoCompra::Finalizar(const DocumentoCompra &doc)
{
    // The work rows go with the posting: a posted invoice can never be posted again from them.
    Paso(QStringLiteral("No se pudieron eliminar los datos."), QStringLiteral("Error al eliminar temporal de compras"), [&] {
        EliminaTempCompras(consultas_, 1, {ajustes_.inventario.nroCaja, ajustes_.inventario.computadora});
    });
    if (doc.modoPedido && !doc.nroPedido.isEmpty()) {
        Paso(QString(), QStringLiteral("Error al actualizar PEDIDOS"), [&] { registros_.MarcarPedidoProcesado(doc.nroPedido); });
    }
}

PagoConNotas RepartirNotas(Currency total, Currency importeNotas)
{
    if (total >= importeNotas)
        return {importeNotas, total - importeNotas};
    return {total, Currency()};
}
