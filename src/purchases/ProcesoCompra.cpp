#include "purchases/ProcesoCompra.h"

#include "pricing/AritmeticaEscalada.h"
#include "platform/ArchivoIni.h"
#include "data/Comp_fdatos.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/Formato.h"
#include "pricing/Funcionesprecios.h"
#include "platform/Mensajes.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"
#include "platform/db/Value.h"

#include <QFile>

#include <exception>
#include <numeric>

using db::Value;

namespace {

[[noreturn]] void Fallar(const QString &mensaje, const QString &error)
{
    throw FalloPaso{mensaje, error};
}

struct Col {
    const char *nombre;
    Value valor;
};

QString TextoInsert(const QString &tabla, const std::vector<Col> &cols, const char *devuelve = nullptr)
{
    QStringList nombres, parametros;
    for (const Col &c : cols) {
        nombres << QLatin1String(c.nombre);
        parametros << QLatin1Char(':') + QLatin1String(c.nombre);
    }
    QString t = QStringLiteral("INSERT INTO %1(%2)VALUES(%3)")
                    .arg(tabla, nombres.join(QLatin1Char(',')), parametros.join(QLatin1Char(',')));
    if (devuelve)
        t += QStringLiteral(" returning ") + QLatin1String(devuelve);
    return t;
}

void Ligar(db::Query &q, const std::vector<Col> &cols)
{
    for (const Col &c : cols)
        q.paramByName(QLatin1String(c.nombre)).setValue(c.valor);
}

Value Texto(const QString &s) { return Value::text(s); }
Value Entero(int i) { return Value::integer(i); }
Value Moneda(Currency c) { return Value::currency(c); }
Value FechaHora(const QDateTime &f) { return Value::dateTime(f); }
Value Fecha(const QDate &f) { return Value::date(f); }

// To two decimals, ties to even.
Currency Redondear2(Currency v)
{
    return Currency::fromRaw(aritmetica::DesdeCrudo(aritmetica::Crudo(v) / 100.0L).raw() * 100);
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

QByteArray BytesAperturaCajon(const QString &modeloEpson)
{
    if (modeloEpson.trimmed() == QLatin1String("TM-U 300"))
        return QByteArray("\x1b\x70\x00\x19\xfa", 5);
    return QByteArray("\x1b\x70\x00", 3);
}

ProcesoCompra::ProcesoCompra(const ConexionesCompra &conexiones, AjustesProcesoCompra ajustes)
    : c_(conexiones), ajustes_(std::move(ajustes)), mensajes_(&mensajes()), consultas_(c_)
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
    a.inventario.descuentoEnPrecioCompra = d.ConfigSi(QStringLiteral("DESCUENTO_EN_PRECIO_COMPRA"));
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
        CuentaContable c;
        if (d.DatosCuentas && d.DatosCuentas->active()) {
            if (d.DatosCuentas->hasField(QLatin1String(codigo)))
                c.codigo = d.DatosCuentas->fieldByName(QLatin1String(codigo)).asString();
            if (d.DatosCuentas->hasField(QLatin1String(nombre)))
                c.nombre = d.DatosCuentas->fieldByName(QLatin1String(nombre)).asString();
        }
        return c;
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
    const Currency suma = Redondear2(p.efectivo + p.cheque + p.notasCredito + p.credito);
    const Currency t = Redondear2(total);
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

int ProcesoCompra::Procesar(const DocumentoCompra &doc, const TotalesCompra &tot, const PagoCompra &pago)
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

    if (transaccionGlobal)
        *transaccionGlobal = true;
    try {
        Publicar(doc, tot, pago, conCheque ? &cheque : nullptr);
        std::vector<db::Transaction *> grupo{c_.transTienda, c_.transInventario};
        if (c_.transContabilidad)
            grupo.push_back(c_.transContabilidad);
        db::CommitTwoPhase(grupo);
    } catch (const FalloPaso &f) {
        if (!f.mensaje.isEmpty())
            mensajes_->Informacion(f.mensaje);
        error_ = f.error;
        mensajes_->Error(f.error);
        Deshacer();
    } catch (const db::DbError &e) {
        error_ = e.message();
        mensajes_->Error(e.message());
        Deshacer();
    } catch (const std::exception &e) {
        error_ = QString::fromUtf8(e.what());
        mensajes_->Error(error_);
        Deshacer();
    }
    if (transaccionGlobal)
        *transaccionGlobal = false;
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
    if (cheque)
        InsertarCheque(*cheque);
    InsertarEncabezado(doc, tot, pago);

    // Lines, with the article's purchase price, average cost and stock before this invoice
    // (the article stays locked until the end).
    const bool moneda2 = doc.monedaCarga == 2;
    auto local = [&](Currency x) { return moneda2 ? ALocal(x) : x; };
    const QString msgDetalle = QStringLiteral("Error al insertar el detalle de la factura de compra. ");
    const QString errDetalle = QStringLiteral("Error al insertar DETALLE_FACTURAS_COMPRA.");
    static const QString kArticulo =
        QStringLiteral("select PRECIO_COMPRA, COSTO_PROMEDIO, STOCK from INVENTARIO where COD_BARRAS = :Codigo with lock");
    static const std::vector<Col> kColsDetalle = {
        {"COMPUTADORA", {}}, {"NRO_CAJA", {}}, {"ID_COMPRA", {}}, {"FECHA", {}}, {"COMPROBANTE", {}},
        {"CODIGO_FAMILIA", {}}, {"CODIGO_ARTICULO", {}}, {"DESCRIPCION", {}}, {"GRAVADO", {}},
        {"IMPUESTO_INCLUIDO", {}}, {"FRACCIONADO", {}}, {"IMPORTE_UNITARIO", {}}, {"IMPORTE_IMPUESTO", {}},
        {"IMPORTE_TOTAL", {}}, {"IMPORTE_DESCUENTO", {}}, {"CANTIDAD", {}}, {"PORC_IMPUESTO", {}},
        {"PORC_DESCUENTO", {}}, {"MONEDA_CARGA", {}}, {"PRECIO_ANTERIOR", {}}, {"PROMEDIO_ANTERIOR", {}},
        {"TIPO_CAMBIO", {}}, {"TIPO_CAMBIO_2", {}}, {"CANTIDAD_ANTERIOR", {}}, {"PRECIO_VENTA_SIN_IV", {}}};
    static const QString kDetalle = TextoInsert(QStringLiteral("DETALLE_FACTURAS_COMPRA"), kColsDetalle);
    for (const LineaTrabajo &lt : lineas) {
        const LineaCompra &l = lt.linea;
        Paso(msgDetalle, errDetalle, [&] {
            Currency precioAnt, promedioAnt, stockAnt;
            db::Query &a = Sql(Base::Inventario, kArticulo);
            a.paramByName("Codigo").setAsString(l.codBarras);
            a.execQuery();
            if (!a.eof()) {
                precioAnt = a.field(0).asCurrency();
                promedioAnt = a.field(1).asCurrency();
                stockAnt = a.field(2).asCurrency();
            }
            a.close();
            db::Query &q = Sql(Base::Tienda, kDetalle);
            Ligar(q, {{"COMPUTADORA", Texto(ajustes_.inventario.computadora)},
                      {"NRO_CAJA", Entero(ajustes_.inventario.nroCaja)},
                      {"ID_COMPRA", Entero(idCompra_)},
                      {"FECHA", Fecha(doc.fecha)},
                      {"COMPROBANTE", Texto(doc.comprobante)},
                      {"CODIGO_FAMILIA", Texto(l.codFamilia)},
                      {"CODIGO_ARTICULO", Texto(l.codBarras)},
                      {"DESCRIPCION", Texto(l.nombre)},
                      {"GRAVADO", Texto(l.gravado)},
                      {"IMPUESTO_INCLUIDO", Texto(l.ivi)},
                      {"FRACCIONADO", Texto(lt.fraccionado)},
                      {"IMPORTE_UNITARIO", Moneda(local(l.impUnitSinIv))},
                      {"IMPORTE_IMPUESTO", Moneda(local(lt.importeIv))},
                      {"IMPORTE_TOTAL", Moneda(local(lt.totalSinIv))},
                      {"IMPORTE_DESCUENTO", Moneda(local(lt.importeDescuento))},
                      {"CANTIDAD", Moneda(l.cantidad)},
                      {"PORC_IMPUESTO", Moneda(lt.porceIv)},
                      {"PORC_DESCUENTO", Moneda(l.porceDesc)},
                      {"MONEDA_CARGA", Entero(doc.monedaCarga)},
                      {"PRECIO_ANTERIOR", Moneda(precioAnt)},
                      {"PROMEDIO_ANTERIOR", Moneda(promedioAnt)},
                      {"TIPO_CAMBIO", Moneda(ajustes_.inventario.tipoCambio)},
                      {"TIPO_CAMBIO_2", Moneda(ajustes_.inventario.tipoCambio2)},
                      {"CANTIDAD_ANTERIOR", Moneda(stockAnt)},
                      {"PRECIO_VENTA_SIN_IV", Moneda(Currency())}});
            q.execQuery();
            q.close();
        });
    }

    // Stock, costs and prices (a consignment's goods are already in stock).
    std::map<QString, Currency> precioDelElegido;  // PRECIO_COMPRA the update wrote for a chosen cost
    if (!doc.consignacionAFacturar) {
        FacturaCompraPosteo f;
        f.idCompra = idCompra_;
        f.comprobante = doc.comprobante;
        f.fecha = doc.fecha;
        f.codProveedor = doc.codProveedor;
        f.monedaCarga = doc.monedaCarga;
        f.inventarioPrincipal = doc.inventarioPrincipal;
        f.codBodega = doc.codBodega;
        for (size_t i : OrdenActualizacion(lineas, doc.preciosElegidos)) {
            const LineaCompra &l = lineas[i].linea;
            ResultadoLineaCompra r;
            if (!actualizador_->ActualizarLinea(f, l, &r))
                Fallar(QString(), QStringLiteral("Error al actualizar INVENTARIO"));
            if (r.articuloEncontrado && EsCostoElegido(l, doc.preciosElegidos))
                precioDelElegido[l.codBarras] = r.registro.PrecioCompra;
        }
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
                    if (ajustes_.inventario.descuentoEnPrecioCompra)
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
            Paso(QString(), QStringLiteral("Error al Cambiar a Inactivos"), [&] {
                db::Query &q = Sql(Base::Inventario,
                                   QStringLiteral("Update Inventario set ARTICULO_INACTIVO='S' where COD_BARRAS=:cod"));
                q.paramByName("cod").setAsString(lt.linea.codBarras);
                q.execQuery();
                q.close();
            });
        }
    }

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
        for (const auto &[codigo, precio] : precios) {
            db::Query &q = Sql(Base::Inventario,
                               QStringLiteral("Update Inventario set PRECIO_COMPRA=:precioCompra where COD_BARRAS=:cod"));
            q.paramByName("precioCompra").setAsCurrency(precio);
            q.paramByName("cod").setAsString(codigo);
            q.execQuery();
            q.close();
        }
    });
}

void ProcesoCompra::VerificarComprobante(const DocumentoCompra &doc)
{
    // The supplier's row serialises postings for the same supplier, so two stations can never
    // both find the number free.
    Paso(QString(), QStringLiteral("Error al insertar FACTURAS_COMPRA"), [&] {
        db::Query &p = Sql(Base::Inventario,
                           QStringLiteral("select COD_PROVEEDOR from PROVEEDORES where COD_PROVEEDOR = :Provee with lock"));
        p.paramByName("Provee").setAsInteger(doc.codProveedor);
        p.execQuery();
        p.close();
    });
    bool usado = false;
    Paso(QString(), QStringLiteral("Error al insertar FACTURAS_COMPRA"), [&] {
        db::Query &q = Sql(Base::Tienda, QStringLiteral("select first 1 ID_COMPRA from FACTURAS_COMPRA where "
                                                        "CODIGO_PROVEEDOR=:vcodProv and COMPROBANTE=:vcompro"));
        q.paramByName("vcodProv").setAsInteger(doc.codProveedor);
        q.paramByName("vcompro").setAsString(doc.comprobante);
        q.execQuery();
        usado = !q.eof();
        q.close();
    });
    if (usado)
        Fallar(QString(), QStringLiteral("Este Comprobante ya fue Utilizado por este proveedor"));
}

void ProcesoCompra::InsertarCheque(const MovimientoBanco &m)
{
    Paso(QString(), QStringLiteral("Error al insertar MOVIM_BANCO"), [&] {
        const std::vector<Col> cols = {{"ID_CUENTA", m.idCuenta > 0 ? Entero(m.idCuenta) : Value()},
                                       {"FECHA", FechaHora(m.fecha)},
                                       {"TIPO_MOVIMIENTO", Entero(m.tipoMovimiento)},
                                       {"COMPROBANTE", Texto(m.comprobante)},
                                       {"CONCEPTO", Texto(m.concepto)},
                                       {"IMPORTE", Moneda(m.importe)},
                                       {"BENEFICIARIO", Texto(m.beneficiario)},
                                       {"TIPO_CAMBIO", Moneda(m.tipoCambio)},
                                       {"TIPO_CAMBIO_2", Moneda(m.tipoCambio2)}};
        db::Query &q = Sql(Base::Tienda, TextoInsert(QStringLiteral("MOVIM_BANCO"), cols));
        Ligar(q, cols);
        q.execQuery();
        q.close();
    });
}

void ProcesoCompra::InsertarEncabezado(const DocumentoCompra &doc, const TotalesCompra &tot, const PagoCompra &pago)
{
    const bool moneda2 = doc.monedaCarga == 2;
    Paso(QStringLiteral("Error al insertar la factura de compra. "), QStringLiteral("Error al insertar en FACTURAS_COMPRA"),
         [&] {
             auto local = [&](Currency x) { return moneda2 ? ALocal(x) : x; };
             const bool deCaja = pago.efectivo > Currency() && pago.efectivoDeCaja;
             const std::vector<Col> cols = {
                 {"COMPUTADORA", Texto(ajustes_.inventario.computadora)},
                 {"NRO_CAJA", Entero(ajustes_.inventario.nroCaja)},
                 {"FECHA_CARGA", FechaHora(fechaCarga_)},
                 {"FECHA", Fecha(doc.fecha)},
                 {"COMPROBANTE", Texto(doc.comprobante)},
                 {"CODIGO_PROVEEDOR", Entero(doc.codProveedor)},
                 {"NOMBRE", Texto(doc.nombreProveedor)},
                 {"CEDULA", Texto(QString())},
                 {"TELEFONO", Texto(QString())},
                 {"NUMERO_CHEQUE", Texto(pago.numeroCheque)},
                 {"DIAS_CREDITO", Entero(pago.diasCredito)},
                 {"IMPORTE_DESCUENTO", Moneda(local(tot.descuento))},
                 {"PORC_DESCUENTO", Moneda(doc.porcDescuento)},
                 {"IMPORTE_IV", Moneda(local(tot.impuesto))},
                 {"IMPORTE_TOTAL", Moneda(local(tot.total))},
                 {"IMPORTE_EFECTIVO", Moneda(local(pago.efectivo))},
                 {"IMPORTE_CHEQUE", Moneda(local(pago.cheque))},
                 {"IMPORTE_CREDITO", Moneda(local(pago.credito))},
                 {"IMPORTE_NC", Moneda(local(pago.notasCredito))},
                 {"SUBTOTAL_GRAVADO", Moneda(local(tot.subtotalGravado))},
                 {"SUBTOTAL_NO_GRAVADO", Moneda(local(tot.subtotalNoGravado))},
                 {"TOTAL_GRAVADO", Moneda(local(tot.totalGravado))},
                 {"TOTAL_NO_GRAVADO", Moneda(local(tot.totalNoGravado))},
                 {"MONEDA_CARGA", Entero(doc.monedaCarga)},
                 {"EFECTIVO_CAJA", Texto(deCaja ? QStringLiteral("S") : QStringLiteral("N"))},
                 {"TIPO_CAMBIO", Moneda(ajustes_.inventario.tipoCambio)},
                 {"TIPO_CAMBIO_2", Moneda(ajustes_.inventario.tipoCambio2)},
                 {"INVENTARIO_PRINCIPAL", Texto(doc.inventarioPrincipal ? QStringLiteral("S") : QStringLiteral("N"))},
                 {"COD_BODEGA", Texto(doc.inventarioPrincipal ? QString() : doc.codBodega)}};
             // The supplier's tax id and telephone as the supplier card has them.
             db::Query &p = Sql(Base::Inventario,
                                QStringLiteral("select CEDULA, TEL1 from PROVEEDORES where COD_PROVEEDOR = :IdProv"));
             p.paramByName("IdProv").setAsInteger(doc.codProveedor);
             p.execQuery();
             std::vector<Col> conProveedor = cols;
             if (!p.eof()) {
                 conProveedor[7].valor = Texto(p.field(0).asString());
                 conProveedor[8].valor = Texto(p.field(1).asString());
             }
             p.close();
             db::Query &q = Sql(Base::Tienda, TextoInsert(QStringLiteral("FACTURAS_COMPRA"), cols, "ID_COMPRA"));
             Ligar(q, conProveedor);
             q.execQuery();
             idCompra_ = q.fieldByName(QStringLiteral("ID_COMPRA")).asInteger();
             q.close();
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
                 db::Query &u = Sql(Base::Tienda, QStringLiteral("update DETALLE_FACTURAS_COMPRA set "
                                                                 "PRECIO_VENTA_SIN_IV = :precio where "
                                                                 "ID_DETALLE_FACTURA = :id"));
                 u.paramByName("precio").setAsCurrency(precio);
                 u.paramByName("id").setAsInteger(id);
                 u.execQuery();
                 u.close();
             }
         });
}

void ProcesoCompra::CajaDiaria(const DocumentoCompra &doc, const PagoCompra &pago, const QDateTime &ahora)
{
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
        // This row must follow the one its balance comes from, whatever the clock said when the
        // posting began; the invoice keeps the row's time so an annulment finds it.
        QDateTime momento = QDateTime::currentDateTime();
        if (ultimaHora.isValid() && momento <= ultimaHora)
            momento = ultimaHora.addMSecs(1);
        if (momento != fechaCarga_) {
            fechaCarga_ = momento;
            db::Query &f = Sql(Base::Tienda, QStringLiteral("update FACTURAS_COMPRA set FECHA_CARGA = :fecha where "
                                                            "ID_COMPRA = :id"));
            f.paramByName("fecha").setAsDateTime(momento);
            f.paramByName("id").setAsInteger(idCompra_);
            f.execQuery();
            f.close();
        }
        const Currency efectivo = doc.monedaCarga == 2 ? ALocal(pago.efectivo) : pago.efectivo;
        const std::vector<Col> cols = {
            {"FECHA_HORA", FechaHora(fechaCarga_)},
            {"CODIGO_MOVIMIENTO", Entero(3)},
            {"COMPROBANTE", Texto(doc.comprobante)},
            {"IMPORTE_EFECTIVO", Moneda(efectivo)},
            {"IMPORTE_CHEQUE", Moneda(Currency())},
            {"IMPORTE_TARJETA", Moneda(Currency())},
            {"NRO_CHEQUE", Texto(QString())},
            {"BANCO", Texto(QString())},
            {"NUMERO_TARJETA", Texto(QString())},
            {"NUMERO_VOUCHER", Texto(QString())},
            {"CONCEPTO", Value::blobText(QStringLiteral("Factura de Compra Nro. ") + doc.comprobante)},
            {"TURNO", Entero(turno)},
            {"USUARIO", Texto(ajustes_.inventario.usuario)},
            {"SALDO", Moneda(saldo - efectivo)},
            {"ID_TARJETA", Value()},
            {"TIPO_CAMBIO", Moneda(ajustes_.inventario.tipoCambio)},
            {"TIPO_CAMBIO_2", Moneda(ajustes_.inventario.tipoCambio2)},
            {"IMPORTE_MONEDA2", Moneda(Currency())},
            {"IMPORTE_TARJETA2", Moneda(Currency())},
            {"IMPORTE_TARJETA3", Moneda(Currency())},
            {"NUMERO_TARJETA2", Texto(QString())},
            {"NUMERO_TARJETA3", Texto(QString())},
            {"COD_VENDEDOR", Entero(0)},
            {"NOMBRE_VENDEDOR", Texto(QString())},
            {"NRO_CONSECUTIVO", Texto(QString())},
            {"COMPUTADORA", Texto(ajustes_.inventario.computadora)},
            {"NRO_CAJA", Entero(ajustes_.inventario.nroCaja)}};
        db::Query &q = Sql(Base::Tienda, TextoInsert(QStringLiteral("CAJA_DIARIA"), cols));
        Ligar(q, cols);
        q.execQuery();
        q.close();
    });
}

namespace {
// CUENTA_PROVEEDOR row as the write layer inserts it; `ncFactura` links an excess row to its note.
std::vector<Col> FilaCuenta(const AjustesProcesoCompra &a, const QDateTime &fecha, int proveedor, int tipoMov,
                            const QString &comprobante, Currency importe, const QDate &vence, const QString &nota,
                            int moneda, const QDateTime &ahora, Currency cImporte, Currency cACancelar,
                            Currency aCancelar, int dias, const QString &cancelado, const QString &ncFactura)
{
    std::vector<Col> cols = {{"COMPUTADORA", Texto(a.inventario.computadora)},
                             {"NRO_CAJA", Entero(a.inventario.nroCaja)},
                             {"FECHA", FechaHora(fecha)},
                             {"COD_PROVEEDOR", Entero(proveedor)},
                             {"COD_TIPO_MOV", Entero(tipoMov)},
                             {"COMPROBANTE", Texto(comprobante)},
                             {"IMPORTE", Moneda(importe)}};
    if (vence.isValid())
        cols.push_back({"FECHA_VENCIMIENTO", Fecha(vence)});
    cols.insert(cols.end(), {{"NOTA", Texto(nota)},
                             {"TIPO_CAMBIO", Moneda(a.inventario.tipoCambio)},
                             {"TIPO_CAMBIO_2", Moneda(a.inventario.tipoCambio2)},
                             {"MONEDA_CARGA", Entero(moneda)},
                             {"CREATE_USERID", Texto(a.inventario.usuario)},
                             {"CREATE_TMSTMP", FechaHora(ahora)},
                             {"UPDATE_USERID", Texto(a.inventario.usuario)},
                             {"UPDATE_TMSTMP", FechaHora(ahora)},
                             {"C_IMPORTE", Moneda(cImporte)},
                             {"NC_ASIGNADA", Texto(QStringLiteral("N"))},
                             {"C_A_CANCELAR", Moneda(cACancelar)},
                             {"DIAS_CREDITO", Entero(dias)},
                             {"CANCELADO", Texto(cancelado)},
                             {"A_CANCELAR", Moneda(aCancelar)}});
    if (!ncFactura.isEmpty())
        cols.push_back({"NC_FACTURA", Texto(ncFactura)});
    return cols;
}
} // namespace

void ProcesoCompra::CuentaProveedor(const DocumentoCompra &doc, const PagoCompra &pago, const QDateTime &ahora)
{
    if (pago.credito <= Currency())
        return;
    Paso(QStringLiteral("Error al insertar en la cuenta del proveedor "), QStringLiteral("Error al insertar CUENTA_PROVEEDOR"),
         [&] {
             const Currency local = doc.monedaCarga == 2 ? ALocal(pago.credito) : pago.credito;
             const auto cols = FilaCuenta(ajustes_, QDateTime(doc.fecha, QTime(0, 0)), doc.codProveedor, 1,
                                          doc.comprobante, local, doc.fecha.addDays(pago.diasCredito),
                                          QStringLiteral("Factura de Compra Nro. ") + doc.comprobante, doc.monedaCarga,
                                          ahora, pago.credito, pago.credito, local, pago.diasCredito,
                                          QStringLiteral("N"), QString());
             db::Query &q = Sql(Base::Tienda, TextoInsert(QStringLiteral("CUENTA_PROVEEDOR"), cols));
             Ligar(q, cols);
             q.execQuery();
             q.close();
         });
}

void ProcesoCompra::NotasCredito(const DocumentoCompra &doc, const TotalesCompra &tot, const PagoCompra &pago,
                                 const QDateTime &ahora)
{
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
        // Only a note still free is taken: two stations can never apply the same note.
        std::uint64_t filas = 0;
        Paso(msgNota, errNota, [&] {
            db::Query &q = Sql(Base::Tienda, QStringLiteral("Update NOTAS_CREDITO_PROV set ASIGNADA=:asig, "
                                                            "APLICA_FECHA=:fecha, APLICA_FACTURA=:fac where "
                                                            "COMPROBANTE= :comp and COD_PROVEEDOR= :prov and "
                                                            "coalesce(ASIGNADA, 'N') <> 'S' and "
                                                            "coalesce(ANULADA, 'N') <> 'S'"));
            q.paramByName("asig").setAsString(QStringLiteral("S"));
            q.paramByName("fecha").setAsDateTime(ahora);
            q.paramByName("fac").setAsString(doc.comprobante);
            q.paramByName("comp").setAsString(n);
            q.paramByName("prov").setAsInteger(doc.codProveedor);
            q.execQuery();
            filas = q.rowsAffected();
            q.close();
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
    Q_UNUSED(tot);
    if (exceso <= Currency())
        return;
    const QString nota = QStringLiteral("Por Saldo de Nota de Crédito aplicada a Factura ") + doc.comprobante;
    Paso(QStringLiteral("Error al insertar en la cuenta del proveedor "), QStringLiteral("Error al insertar CUENTA_PROVEEDOR"),
         [&] {
             const auto cols = FilaCuenta(ajustes_, ahora, doc.codProveedor, 5, doc.comprobante, exceso, QDate(), nota,
                                          1, ahora, exceso, Currency(), Currency(), 0, QString(), pago.notaSaldo);
             db::Query &q = Sql(Base::Tienda, TextoInsert(QStringLiteral("CUENTA_PROVEEDOR"), cols));
             Ligar(q, cols);
             q.execQuery();
             q.close();
         });
    const QString msgNueva = QStringLiteral("Error al insertar la nota de credito. ");
    const QString errNueva = QStringLiteral("Error al insertar NOTAS_CREDITO_PROV");
    if (pago.notaSaldo.trimmed().isEmpty())
        Fallar(msgNueva, errNueva);
    Paso(msgNueva, errNueva, [&] {
        const std::vector<Col> cols = {{"COMPUTADORA", Texto(ajustes_.inventario.computadora)},
                                       {"NRO_CAJA", Entero(ajustes_.inventario.nroCaja)},
                                       {"COMPROBANTE", Texto(pago.notaSaldo)},
                                       {"COD_PROVEEDOR", Entero(doc.codProveedor)},
                                       {"PORC_DESCUENTO", Moneda(Currency())},
                                       {"IMP_DESCUENTO", Moneda(Currency())},
                                       {"IMP_IV", Moneda(Currency())},
                                       {"IMP_TOTAL", Moneda(exceso)},
                                       {"FECHA", FechaHora(ahora)},
                                       {"ANULADA", Texto(QStringLiteral("N"))},
                                       {"OBSERVACIONES", Value::blobText(nota)},
                                       {"ASIGNADA", Texto(QStringLiteral("N"))},
                                       {"SUBTOTAL_GRAVADO", Moneda(Currency())},
                                       {"SUBTOTAL_NO_GRAVADO", Moneda(Currency())},
                                       {"TOTAL_GRAVADO", Moneda(Currency())},
                                       {"TOTAL_NO_GRAVADO", Moneda(Currency())},
                                       {"TIPO_NC", Entero(3)},
                                       {"TIPO_CAMBIO", Moneda(ajustes_.inventario.tipoCambio)},
                                       {"TIPO_CAMBIO_2", Moneda(ajustes_.inventario.tipoCambio2)},
                                       {"CREATE_USERID", Texto(ajustes_.inventario.usuario)},
                                       {"CREATE_TMSTMP", FechaHora(ahora)},
                                       {"IMP_EXENTO", Moneda(Currency())},
                                       {"IMP_GRAVADO", Moneda(Currency())}};
        db::Query &q = Sql(Base::Tienda, TextoInsert(QStringLiteral("NOTAS_CREDITO_PROV"), cols));
        Ligar(q, cols);
        q.execQuery();
        q.close();
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

    // The entry number: the period's last + 1, with the period's row locked so two stations
    // take turns; without a period row the generator gives it.
    int numero = 0;
    try {
        db::Query &p = Sql(Base::Contabilidad, QStringLiteral("select ID_PERIODO from PERIODOS where ID_PERIODO = :Per "
                                                              "and FK_EMPRESA = :Empre with lock"));
        p.paramByName("Per").setAsInteger(periodo);
        p.paramByName("Empre").setAsInteger(empresa);
        p.execQuery();
        const bool hayPeriodo = !p.eof();
        p.close();
        if (hayPeriodo) {
            db::Query &m = Sql(Base::Contabilidad, QStringLiteral("select max(ID_ASIENTO) from ASIENTOS\n"
                                                                  " where FK_EMPRESA = :Empre\n and FK_PERIODO = :Per"));
            m.paramByName("Empre").setAsInteger(empresa);
            m.paramByName("Per").setAsInteger(periodo);
            m.execQuery();
            numero = m.field(0).asInteger() + 1;
            m.close();
        }
    } catch (const std::exception &) {
        numero = 0;
    }
    try {
        std::vector<Col> cols;
        if (numero > 0)
            cols.push_back({"ID_ASIENTO", Entero(numero)});
        cols.insert(cols.end(), {{"FK_EMPRESA", Entero(empresa)},
                                 {"FK_PERIODO", Entero(periodo)},
                                 {"FECHA", Fecha(QDate::currentDate())},
                                 {"DESCRIPCION", Texto(QStringLiteral("Compra - Factura Nº ") + doc.comprobante)},
                                 {"SALDO", Moneda(Currency())},
                                 {"BLANCEADO", Texto(!mal && debe == haber ? QStringLiteral("S") : QStringLiteral("N"))},
                                 {"CREATE_USERID", Texto(usuario)},
                                 {"CREATE_TMSTMP", FechaHora(ahora)},
                                 {"UPDATE_USERID", Texto(usuario)},
                                 {"UPDATE_TMSTMP", FechaHora(ahora)}});
        db::Query &q = Sql(Base::Contabilidad, TextoInsert(QStringLiteral("ASIENTOS"), cols, "ID_ASIENTO"));
        Ligar(q, cols);
        q.execQuery();
        asiento_ = q.fieldByName(QStringLiteral("ID_ASIENTO")).asInteger();
        q.close();
    } catch (const std::exception &) {
        asiento_ = 0;
        mal = true;
    }
    if (asiento_ > 0) {
        bool lineaMal = false;
        for (const Linea &l : lineas) {
            try {
                const std::vector<Col> cols = {{"FK_EMPRESA", Entero(empresa)},
                                               {"FK_PERIODO", Entero(periodo)},
                                               {"FK_ASIENTO", Entero(asiento_)},
                                               {"CUENTA", Texto(l.cuenta->codigo)},
                                               {"NOMBRE_CUENTA", Texto(l.cuenta->nombre)},
                                               {"IMPORTE_DEBE", Moneda(l.debe)},
                                               {"IMPORTE_HABER", Moneda(l.haber)},
                                               {"CREATE_USERID", Texto(usuario)},
                                               {"CREATE_TMSTMP", FechaHora(ahora)},
                                               {"UPDATE_USERID", Texto(usuario)},
                                               {"UPDATE_TMSTMP", FechaHora(ahora)}};
                db::Query &q = Sql(Base::Contabilidad, TextoInsert(QStringLiteral("LINEAS_ASIENTO"), cols));
                Ligar(q, cols);
                q.execQuery();
                q.close();
            } catch (const std::exception &) {
                lineaMal = true;
            }
        }
        if (lineaMal && !mal) {
            // An entry that lost a line no longer balances.
            try {
                db::Query &u = Sql(Base::Contabilidad, QStringLiteral("update ASIENTOS set BLANCEADO = 'N' where "
                                                                      "FK_EMPRESA = :Empre and FK_PERIODO = :Per and "
                                                                      "ID_ASIENTO = :Id"));
                u.paramByName("Empre").setAsInteger(empresa);
                u.paramByName("Per").setAsInteger(periodo);
                u.paramByName("Id").setAsInteger(asiento_);
                u.execQuery();
                u.close();
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
                 // Added in the statement: two invoices of the same consignment never lose a quantity.
                 db::Query &u = Sql(Base::Tienda, QStringLiteral("update DETALLE_CONSIGNACION set PROCESADOS = "
                                                                 "coalesce(PROCESADOS, 0) + :procesados where "
                                                                 "ID_CONSIGNACION = :ID and ID_DETALLE_CONSIGNACION= "
                                                                 ":pId_Detalle"));
                 u.paramByName("procesados").setAsCurrency(l.cantidad);
                 u.paramByName("ID").setAsInteger(doc.idConsignacion);
                 u.paramByName("pId_Detalle").setAsInteger(detalle);
                 u.execQuery();
                 u.close();
             }
         });
    Paso(QStringLiteral("Error al marcar la consignación como procesada. "), QStringLiteral("Error al actualizar Consignación"),
         [&] {
             db::Query &s = Sql(Base::Tienda, QStringLiteral("select sum(d.cantidad) as cantidad,sum(d.procesados) as "
                                                             "procesados from detalle_consignacion d where "
                                                             "d.id_consignacion=:id"));
             s.paramByName("id").setAsInteger(doc.idConsignacion);
             s.execQuery();
             const bool todos = s.field(0).asCurrency() == s.field(1).asCurrency();
             s.close();
             if (!todos)
                 return;
             db::Query &u = Sql(Base::Tienda, QStringLiteral("update CONSIGNACIONES set PROCESADA = 'S' where "
                                                             "ID_CONSIGNACION = :id"));
             u.paramByName("id").setAsInteger(doc.idConsignacion);
             u.execQuery();
             u.close();
         });
}

void ProcesoCompra::Finalizar(const DocumentoCompra &doc)
{
    // The work rows go with the posting: a posted invoice can never be posted again from them.
    Paso(QStringLiteral("No se pudieron eliminar los datos."), QStringLiteral("Error al eliminar temporal de compras"), [&] {
        for (const char *tabla : {"TEMPORAL_ENC_COMPRA", "TEMPORAL_COMPRAS"}) {
            db::Query &q = Sql(Base::Tienda, QStringLiteral("delete from %1\n where NRO_CAJA = :nro_caja\n"
                                                            " and COMPUTADORA = :compu")
                                                 .arg(QLatin1String(tabla)));
            q.paramByName("nro_caja").setAsInteger(ajustes_.inventario.nroCaja);
            q.paramByName("compu").setAsString(ajustes_.inventario.computadora);
            q.execQuery();
            q.close();
        }
    });
    if (doc.modoPedido && !doc.nroPedido.isEmpty()) {
        Paso(QString(), QStringLiteral("Error al actualizar PEDIDOS"), [&] {
            db::Query &q = Sql(Base::Tienda, QStringLiteral("update PEDIDOS set PROCESADO = 'S'\nwhere COMPROBANTE=:comp"));
            q.paramByName("comp").setAsString(doc.nroPedido);
            q.execQuery();
            q.close();
        });
    }
}
