#include "creditnotes/DevolucionNotaCredito.h"

#include "creditnotes/ImpresionNotaCredito.h"
#include "data/Comp_fdatos.h"
#include "data/EncabezadoReporte.h"
#include "records/ActualizacionInventarioCompra.h"
#include "records/TablasTrabajoCompra.h"
#include "platform/AritmeticaEscalada.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "platform/Redondeo.h"
#include "platform/db/DbError.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"

#include <QDateTime>

#include <algorithm>
#include <map>
#include <set>

namespace {

[[noreturn]] void Fallar(const QString &aviso, const QString &error)
{
    throw FalloPaso(aviso, error);
}

QString Cantidad(Currency c)
{
    return FormatCurrency(QStringLiteral("#,##0.####"), c);
}

} // namespace

struct DevolucionNotaCredito::Linea {
    QString codigo, nombre, familia, gravado, ivi, fraccionado;
    Currency cantidad, porceIv, importeIv, unitario, total, importeDescuento, porceDesc;
};

DevolucionNotaCredito::DevolucionNotaCredito(const ConexionesCompra &conexiones, AjustesDevolucionNC ajustes)
    : c_(conexiones), ajustes_(std::move(ajustes)), mensajes_(&mensajes()), consultas_(c_), registros_(consultas_)
{
    if (!c_.tienda || !c_.transTienda || !c_.inventario || !c_.transInventario)
        throw db::DbError(QStringLiteral("El módulo de datos no está conectado"));
    c_.contabilidad = nullptr;
    c_.transContabilidad = nullptr;
    if (ajustes_.tipoCambio2.isZero())
        ajustes_.tipoCambio2 = Currency(1);
}

std::unique_ptr<DevolucionNotaCredito> DevolucionNotaCredito::DesdeDatosComp(TFDatosComp &d)
{
    AjustesDevolucionNC a;
    a.nroCaja = d.NroCaja;
    a.computadora = TFDatosComp::VerVariable(QStringLiteral("ComputerName"));
    a.usuario = TFDatosComp::VerVariable(QStringLiteral("vUsuario"));
    a.tipoCambio = d.TipoCambio;
    a.tipoCambio2 = d.TipoCambio2;
    auto p = std::make_unique<DevolucionNotaCredito>(ConexionesDeDatosComp(d), std::move(a));
    p->transaccionGlobal = &d.TransaccionGlobal;
    TFDatosComp *datos = &d;
    p->DespuesDeConfirmar = [datos] { RefrescarAbiertos({datos->TNC, datos->TFacturasCompra, datos->TDetCom}); };
    return p;
}

EncabezadoNotaCredito DevolucionNotaCredito::EncabezadoDe(TFDatosComp &d)
{
    EncabezadoNotaCredito e;
    for (int i = 1; i <= 5; ++i)
        e.proforma << d.Config(QStringLiteral("C_PROFORMA%1").arg(i));
    e.definicionImpuesto = CampoRegistro(d.DatosMoneda, QStringLiteral("DEFINICION_IV"));
    return e;
}

Currency DevolucionNotaCredito::ALocal(Currency importe, int monedaCarga) const
{
    if (monedaCarga != 2)
        return importe;
    using namespace aritmetica;
    return DesdeCrudo(Crudo(importe) * Crudo(ajustes_.tipoCambio) / Crudo(ajustes_.tipoCambio2));
}

std::optional<FacturaDevolucion> DevolucionNotaCredito::BuscarFactura(int codProveedor, const QString &numero)
{
    db::Query &q = Sql(Base::Tienda, QStringLiteral("select ID_COMPRA, COMPROBANTE, FECHA, IMPORTE_NC, IMPORTE_CREDITO, "
                                                    "ANULADA from FACTURAS_COMPRA\n where COMPROBANTE = :nFac\n"
                                                    " and CODIGO_PROVEEDOR = :nProv order by ID_COMPRA desc"));
    q.paramByName("nFac").setAsString(numero.trimmed());
    q.paramByName("nProv").setAsInteger(codProveedor);
    q.execQuery();
    std::optional<FacturaDevolucion> f;
    // A live invoice of that number before an annulled one.
    for (; !q.eof(); q.next()) {
        FacturaDevolucion x;
        x.idCompra = q.field(0).asInteger();
        x.comprobante = q.field(1).asString();
        x.fecha = q.field(2).asDate();
        x.importeNc = q.field(3).asCurrency();
        x.importeCredito = q.field(4).asCurrency();
        x.anulada = q.field(5).asString() == QLatin1String("S");
        if (!f || (f->anulada && !x.anulada))
            f = x;
    }
    q.close();
    return f;
}

bool DevolucionNotaCredito::NotaUsada(int codProveedor, const QString &comprobante)
{
    db::Query &q = Sql(Base::Tienda, QStringLiteral("select first 1 ID_NC_PROV from NOTAS_CREDITO_PROV where "
                                                    "COD_PROVEEDOR=:vcodProv and COMPROBANTE=:vcompro"));
    q.paramByName("vcodProv").setAsInteger(codProveedor);
    q.paramByName("vcompro").setAsString(comprobante);
    q.execQuery();
    const bool usada = !q.eof();
    q.close();
    return usada;
}

TotalesDevolucion DevolucionNotaCredito::TotalesDeEstacion()
{
    db::Query &q = Sql(Base::Tienda,
                       QStringLiteral("select sum(IMPORTE_TOLAL_IV), sum(IMPORTE_DESCUENTO), sum(TOTAL_GRAVADO), "
                                      "sum(TOTAL_NO_GRAVADO), sum(SUBTOTAL_GRAVADO), sum(SUBTOTAL_NO_GRAVADO)\n"
                                      "from TEMPORAL_COMPRAS\nwhere NRO_CAJA = :nro_caja\nand COMPUTADORA = :compu"));
    q.paramByName("nro_caja").setAsInteger(ajustes_.nroCaja);
    q.paramByName("compu").setAsString(ajustes_.computadora);
    q.execQuery();
    TotalesDevolucion t;
    t.impuesto = q.field(0).asCurrency();
    t.descuento = q.field(1).asCurrency();
    t.totalGravado = q.field(2).asCurrency();
    t.totalNoGravado = q.field(3).asCurrency();
    t.subtotalGravado = q.field(4).asCurrency();
    t.subtotalNoGravado = q.field(5).asCurrency();
    q.close();
    t.total = RedondearCentimos(t.totalGravado + t.totalNoGravado + t.impuesto);
    return t;
}

std::vector<DevolucionNotaCredito::Linea> DevolucionNotaCredito::LeerLineas()
{
    std::vector<Linea> lineas;
    db::Query &q = Sql(Base::Tienda, QStringLiteral("select * from TEMPORAL_COMPRAS\nwhere NRO_CAJA = :nro_caja\n"
                                                    "and COMPUTADORA = :compu\norder by ID_TEMP_COMPRA"));
    q.paramByName("nro_caja").setAsInteger(ajustes_.nroCaja);
    q.paramByName("compu").setAsString(ajustes_.computadora);
    auto t = [&q](const char *c) { return q.fieldByName(QLatin1String(c)).asString(); };
    auto m = [&q](const char *c) { return q.fieldByName(QLatin1String(c)).asCurrency(); };
    for (q.execQuery(); !q.eof(); q.next()) {
        Linea l;
        l.codigo = t("COD_BARRAS");
        l.nombre = t("NOMBRE");
        l.familia = t("COD_FAMILIA");
        l.gravado = t("GRAVADO");
        l.ivi = t("IVI");
        l.fraccionado = t("FRACCIONADO");
        l.cantidad = m("CANTIDAD");
        l.porceIv = m("PORCE_IV");
        l.importeIv = m("IMPORTE_TOLAL_IV");
        l.unitario = m("IMPORE_COSTO");
        l.total = m("TOTAL_CON_IV");
        l.importeDescuento = m("IMPORTE_DESCUENTO");
        l.porceDesc = m("PORCE_DESC");
        lineas.push_back(std::move(l));
    }
    q.close();
    return lineas;
}

std::vector<ExcesoDevolucion> DevolucionNotaCredito::Excesos(const FacturaDevolucion *factura)
{
    // Quantity per article, in the order the articles first appear.
    std::vector<ExcesoDevolucion> porArticulo;
    for (const Linea &l : LeerLineas()) {
        auto it = std::find_if(porArticulo.begin(), porArticulo.end(),
                               [&l](const ExcesoDevolucion &e) { return e.codigo == l.codigo; });
        if (it == porArticulo.end())
            porArticulo.push_back({l.codigo, l.nombre, l.cantidad, std::nullopt, std::nullopt});
        else
            it->cantidad = it->cantidad + l.cantidad;
    }
    std::vector<ExcesoDevolucion> excesos;
    for (ExcesoDevolucion &e : porArticulo) {
        bool excede = false;
        if (factura) {
            db::Query &q = Sql(Base::Tienda, QStringLiteral("select sum(CANTIDAD) from DETALLE_FACTURAS_COMPRA where "
                                                            "ID_COMPRA = :id and CODIGO_ARTICULO = :cod"));
            q.paramByName("id").setAsInteger(factura->idCompra);
            q.paramByName("cod").setAsString(e.codigo);
            q.execQuery();
            e.comprado = q.field(0).asCurrency();
            q.close();
            excede = e.cantidad > *e.comprado;
        }
        db::Query &s = Sql(Base::Inventario, QStringLiteral("select STOCK, ACTUALIZAR_EXIST from INVENTARIO where "
                                                            "COD_BARRAS = :Codigo"));
        s.paramByName("Codigo").setAsString(e.codigo);
        s.execQuery();
        if (!s.eof() && s.field(1).asString() == QLatin1String("S")) {
            e.stock = s.field(0).asCurrency();
            excede = excede || e.cantidad > *e.stock;
        }
        s.close();
        if (excede)
            excesos.push_back(e);
    }
    return excesos;
}

QString DevolucionNotaCredito::PreguntaExcesos(const std::vector<ExcesoDevolucion> &excesos)
{
    QString texto = QStringLiteral("Se devuelve más de lo comprado o de lo que hay en existencia:\n");
    for (const ExcesoDevolucion &e : excesos) {
        texto += QStringLiteral("\n%1 %2: devuelve %3").arg(e.codigo, e.nombre, Cantidad(e.cantidad));
        if (e.comprado && e.cantidad > *e.comprado)
            texto += QStringLiteral(", comprado %1").arg(Cantidad(*e.comprado));
        if (e.stock && e.cantidad > *e.stock)
            texto += QStringLiteral(", existencia %1").arg(Cantidad(*e.stock));
    }
    texto += QStringLiteral("\n\n¿Desea continuar con la devolución?");
    return texto;
}

void DevolucionNotaCredito::Fracasar(const QString &texto)
{
    estado_ = Estado::Invalida;
    error_ = texto;
    mensajes_->Advertencia(texto, QStringLiteral("Atención"));
}

int DevolucionNotaCredito::Registrar(const DocumentoDevolucion &doc)
{
    estado_ = Estado::SinRegistrar;
    error_.clear();
    idNota_ = 0;
    ultimoTotal_ = Currency();
    ultimaAsignada_ = false;

    // Checks before anything is written (they are repeated under lock while writing).
    std::optional<FacturaDevolucion> factura;
    std::vector<ExcesoDevolucion> excesos;
    TotalesDevolucion tot;
    try {
        if (doc.comprobante.trimmed().isEmpty()) {
            Fracasar(QStringLiteral("Debe digitar en Número de Comprobante"));
            return 0;
        }
        if (NotaUsada(doc.codProveedor, doc.comprobante)) {
            Fracasar(kNotaUsada);
            return 0;
        }
        if (!doc.facturaNoSistema) {
            factura = BuscarFactura(doc.codProveedor, doc.factura);
            if (!factura) {
                Fracasar(kFacturaNoExiste);
                return 0;
            }
            if (factura->anulada) {
                Fracasar(kFacturaAnulada);
                return 0;
            }
        }
        if (LeerLineas().empty()) {
            Fracasar(QStringLiteral("No puede procesar un comprobante sin líneas"));
            return 0;
        }
        tot = TotalesDeEstacion();
        excesos = Excesos(factura ? &*factura : nullptr);
        DeshacerTransacciones({c_.transTienda, c_.transInventario});
    } catch (const std::exception &e) {
        DeshacerTransacciones({c_.transTienda, c_.transInventario});
        estado_ = Estado::Fallida;
        error_ = TextoDeError(e);
        mensajes_->Error(error_);
        return 0;
    }
    if (!excesos.empty() && !mensajes_->PreguntaDestructiva(PreguntaExcesos(excesos))) {
        estado_ = Estado::Cancelada;
        return 0;
    }

    {
        const BanderaTransaccion global(transaccionGlobal);
        try {
            Escribir(doc, factura, LeerLineas(), tot);
            db::CommitTwoPhase({c_.transTienda, c_.transInventario});
        } catch (const FalloPaso &f) {
            if (!f.aviso().isEmpty())
                mensajes_->Informacion(f.aviso());
            error_ = f.mensaje();
            if (!f.detalle().isEmpty() && f.aviso().isEmpty())
                error_ += QStringLiteral("\n") + f.detalle();
            mensajes_->Error(error_);
        } catch (const std::exception &e) {
            error_ = TextoDeError(e);
            mensajes_->Error(error_);
        }
        if (!error_.isEmpty())
            DeshacerTransacciones({c_.transTienda, c_.transInventario});
    }
    if (!error_.isEmpty()) {
        // A refusal found under lock is not a database failure.
        estado_ = estado_ == Estado::Invalida ? Estado::Invalida : Estado::Fallida;
        idNota_ = 0;
        ultimaAsignada_ = false;
        return 0;
    }
    estado_ = Estado::Registrada;
    if (DespuesDeConfirmar)
        DespuesDeConfirmar();
    return idNota_;
}

void DevolucionNotaCredito::Escribir(const DocumentoDevolucion &doc, const std::optional<FacturaDevolucion> &facturaVista,
                                     const std::vector<Linea> &lineas, const TotalesDevolucion &tot)
{
    c_.transTienda->ensureActive();
    c_.transInventario->ensureActive();
    const QDateTime ahora = QDateTime::currentDateTime();
    if (lineas.empty())
        Fallar(QString(), QStringLiteral("No puede procesar un comprobante sin líneas"));

    // The supplier's row locked: two stations never both find the note number free.
    bool usada = false;
    Paso(QString(), QStringLiteral("Error al leer NOTAS_CREDITO_PROV"), [&] {
        db::Query &p = Sql(Base::Inventario, QStringLiteral("select COD_PROVEEDOR from PROVEEDORES where "
                                                            "COD_PROVEEDOR = :Provee with lock"));
        p.paramByName("Provee").setAsInteger(doc.codProveedor);
        p.execQuery();
        p.close();
        usada = NotaUsada(doc.codProveedor, doc.comprobante);
    });
    if (usada) {
        estado_ = Estado::Invalida;
        Fallar(QString(), kNotaUsada);
    }

    // The invoice read again with its row locked: its IMPORTE_NC is raised relative to now.
    std::optional<FacturaDevolucion> factura;
    if (!doc.facturaNoSistema) {
        Paso(QString(), QStringLiteral("Error al leer FACTURAS_COMPRA"), [&] {
            db::Query &q = Sql(Base::Tienda, QStringLiteral("select ID_COMPRA, FECHA, IMPORTE_NC, IMPORTE_CREDITO, ANULADA "
                                                            "from FACTURAS_COMPRA where ID_COMPRA = :id with lock"));
            q.paramByName("id").setAsInteger(facturaVista->idCompra);
            q.execQuery();
            if (!q.eof()) {
                FacturaDevolucion f = *facturaVista;
                f.fecha = q.field(1).asDate();
                f.importeNc = q.field(2).asCurrency();
                f.importeCredito = q.field(3).asCurrency();
                f.anulada = q.field(4).asString() == QLatin1String("S");
                factura = f;
            }
            q.close();
        });
        if (!factura || factura->anulada) {
            estado_ = Estado::Invalida;
            Fallar(QString(), factura ? kFacturaAnulada : kFacturaNoExiste);
        }
    }

    const Currency total = ALocal(tot.total, doc.monedaCarga);
    ultimoTotal_ = total;

    // Invoice's credit-note amount.
    if (factura) {
        Paso(QStringLiteral("Error al actualizar la factura de compra "), QStringLiteral("Error al actualizar FACTURAS_COMPRA"),
             [&] {
                 CambioFacturaCompra cambio;
                 cambio.IMPORTE_NC = factura->importeNc + total;
                 if (registros_.ActualizaFacturaCompra(ModoFacturaCompra::ImporteNc, factura->idCompra, cambio) != 1)
                     throw db::DbError(QStringLiteral("La factura no se encontró"));
             });
    }

    SacarDeInventario(doc, lineas, ahora);

    // Header.
    const QString numeroFactura = doc.facturaNoSistema ? QString() : factura->comprobante;
    FilaNotaCreditoProveedor nc;
    nc.COMPUTADORA = ajustes_.computadora;
    nc.NRO_CAJA = ajustes_.nroCaja;
    nc.COMPROBANTE = doc.comprobante;
    nc.COD_PROVEEDOR = doc.codProveedor;
    nc.PORC_DESCUENTO = doc.porcDescuento;
    nc.IMP_DESCUENTO = ALocal(tot.descuento, doc.monedaCarga);
    nc.IMP_IV = ALocal(tot.impuesto, doc.monedaCarga);
    nc.IMP_TOTAL = total;
    nc.FECHA = QDateTime(doc.fecha, QTime(0, 0));
    nc.ANULADA = QStringLiteral("N");
    nc.FECHA_VENTA = factura ? QDateTime(factura->fecha, QTime(0, 0)) : ahora;
    nc.OBSERVACIONES = doc.facturaNoSistema ? kObservacion : kObservacion + QStringLiteral(" Factura Nro. ") + numeroFactura;
    nc.ASIGNADA = QStringLiteral("N");
    nc.FACTURA_VENTA = doc.facturaNoSistema ? QStringLiteral("0") : numeroFactura;
    nc.SUBTOTAL_GRAVADO = ALocal(tot.subtotalGravado, doc.monedaCarga);
    nc.SUBTOTAL_NO_GRAVADO = ALocal(tot.subtotalNoGravado, doc.monedaCarga);
    nc.TOTAL_GRAVADO = ALocal(tot.totalGravado, doc.monedaCarga);
    nc.TOTAL_NO_GRAVADO = ALocal(tot.totalNoGravado, doc.monedaCarga);
    nc.TIPO_NC = 2;
    nc.TIPO_CAMBIO = ajustes_.tipoCambio;
    nc.TIPO_CAMBIO_2 = ajustes_.tipoCambio2;
    nc.CREATE_USERID = ajustes_.usuario;
    nc.CREATE_TMSTMP = ahora;
    Paso(QStringLiteral("No se pudo insertar la nota de credito al proveedor. "),
         QStringLiteral("Error al insertar NOTAS_CREDITO_PROV"),
         [&] { idNota_ = registros_.InsertarNotaCreditoProveedor(nc); });

    // Lines.
    Paso(QStringLiteral("Error al insertar el detalle de la nota de credito. "),
         QStringLiteral("Error al insertar DETALLE_NC_PROV"), [&] {
             for (const Linea &l : lineas) {
                 FilaDetalleNotaCredito d;
                 d.COMPUTADORA = ajustes_.computadora;
                 d.NRO_CAJA = ajustes_.nroCaja;
                 d.FK_NC_PROV = idNota_;
                 d.FECHA = nc.FECHA;
                 d.COMPROBANTE = doc.comprobante;
                 d.CODIGO_FAMILIA = l.familia;
                 d.CODIGO_ARTICULO = l.codigo;
                 d.DESCRIPCION = l.nombre;
                 d.CANTIDAD = l.cantidad;
                 d.PORC_IMPUESTO = l.porceIv;
                 d.GRAVADO = l.gravado;
                 d.IMPUESTO_INCLUIDO = l.ivi;
                 d.FRACCIONADO = l.fraccionado;
                 // Stored in local currency, as the note's header and the invoice's lines.
                 d.IMPORTE_IMPUESTO = ALocal(l.importeIv, doc.monedaCarga);
                 d.IMPORTE_UNITARIO = ALocal(l.unitario, doc.monedaCarga);
                 d.IMPORTE_TOTAL = ALocal(l.total, doc.monedaCarga);
                 d.IMPORTE_DESCUENTO = ALocal(l.importeDescuento, doc.monedaCarga);
                 d.PORC_DESCUENTO = l.porceDesc;
                 d.COD_PROVEEDOR = doc.codProveedor;
                 d.TIPO_CAMBIO = ajustes_.tipoCambio;
                 d.TIPO_CAMBIO_2 = ajustes_.tipoCambio2;
                 registros_.InsertarDetalleNotaCreditoProveedor(d);
             }
         });

    // Application against the invoice's open credit.
    if (doc.asignar && factura && factura->importeCredito > Currency()) {
        Paso(QStringLiteral("Error al actualizar la cuenta proveedor."), QStringLiteral("Error al actualizar CUENTA_PROVEEDOR"),
             [&] {
                 db::Query &q = Sql(Base::Tienda, QStringLiteral("select A_CANCELAR from CUENTA_PROVEEDOR where "
                                                                 "COMPROBANTE=:comp and COD_TIPO_MOV=1 and "
                                                                 "COD_PROVEEDOR=:prov with lock"));
                 q.paramByName("comp").setAsString(factura->comprobante);
                 q.paramByName("prov").setAsInteger(doc.codProveedor);
                 q.execQuery();
                 const bool hay = !q.eof();
                 const Currency saldo = hay ? q.field(0).asCurrency() : Currency();
                 q.close();
                 if (hay && saldo > Currency()) {
                     // The balance never goes below zero.
                     const Currency nuevo = saldo > total ? saldo - total : Currency();
                     registros_.ActualizaCuentaProveedor(factura->comprobante, nuevo, 1, doc.codProveedor);
                     ultimaAsignada_ = true;
                 }
             });
        if (ultimaAsignada_) {
            Paso(QStringLiteral("Error al actualizar la nota de credito del proveedor."),
                 QStringLiteral("Error al actualizar NOTAS_CREDITO_PROV"), [&] {
                     CambioNotaCredito cambio;
                     cambio.COMPROBANTE = doc.comprobante;
                     cambio.COD_PROVEEDOR = doc.codProveedor;
                     cambio.ASIGNADA = QStringLiteral("S");
                     cambio.APLICA_FECHA = ahora;
                     cambio.APLICA_FACTURA = factura->comprobante;
                     if (registros_.ActualizaNCProveedor(ModoNotaCredito::Aplicar, cambio) != 1)
                         throw db::DbError(QStringLiteral("La nota de crédito no se encontró"));
                 });
        }
    }

    // Supplier account.
    FilaCuentaProveedor cp;
    cp.COMPUTADORA = ajustes_.computadora;
    cp.NRO_CAJA = ajustes_.nroCaja;
    cp.FECHA = ahora;
    cp.COD_PROVEEDOR = doc.codProveedor;
    cp.COD_TIPO_MOV = 5;
    cp.COMPROBANTE = doc.comprobante;
    cp.IMPORTE = total;
    cp.C_IMPORTE = total;
    cp.NOTA = doc.facturaNoSistema ? QStringLiteral("Devolucion Factura Factura no realizada en el Sistema")
                                   : QStringLiteral("Devolucion Factura Nro. ") + numeroFactura;
    cp.TIPO_CAMBIO = ajustes_.tipoCambio;
    cp.TIPO_CAMBIO_2 = ajustes_.tipoCambio2;
    cp.MONEDA_CARGA = doc.monedaCarga;
    cp.CREATE_USERID = ajustes_.usuario;
    cp.CREATE_TMSTMP = ahora;
    cp.UPDATE_USERID = ajustes_.usuario;
    cp.UPDATE_TMSTMP = ahora;
    cp.NC_ASIGNADA = ultimaAsignada_ ? QStringLiteral("S") : QStringLiteral("N");
    Paso(QStringLiteral("Error al insertar la cuenta proveedor. "), QStringLiteral("Error al insertar CUENTA_PROVEEDOR"),
         [&] { registros_.InsertarCuentaProveedor(cp); });

    // The work rows go with the note: the same return can never be recorded twice.
    Paso(QStringLiteral("No se pudieron eliminar los datos."), QStringLiteral("Error al eliminar temporal de compras"),
         [&] { EliminaTempCompras(consultas_, 1, {ajustes_.nroCaja, ajustes_.computadora}); });
}

void DevolucionNotaCredito::SacarDeInventario(const DocumentoDevolucion &doc, const std::vector<Linea> &lineas,
                                              const QDateTime &ahora)
{
    // Every article locked in code order before any is written, so two stations take turns.
    struct Articulo {
        bool existe = false, llevaStock = false;
        Currency promedio;
    };
    std::map<QString, Articulo> articulos;
    for (const Linea &l : lineas)
        articulos[l.codigo];
    Paso(QStringLiteral("Error al actualizar el inventario "), QStringLiteral("Error al actualizar INVENTARIO"), [&] {
        db::Query &q = Sql(Base::Inventario, QStringLiteral("select ACTUALIZAR_EXIST, COSTO_PROMEDIO from INVENTARIO "
                                                            "where COD_BARRAS = :Codigo with lock"));
        for (auto &[codigo, a] : articulos) {
            q.paramByName("Codigo").setAsString(codigo);
            q.execQuery();
            a.existe = !q.eof();
            if (a.existe) {
                a.llevaStock = q.field(0).asString() == QLatin1String("S");
                a.promedio = q.field(1).asCurrency();
            }
            q.close();
        }
    });

    for (const Linea &l : lineas) {
        const Articulo &a = articulos[l.codigo];
        if (a.llevaStock) {
            // Warehouse "0" carries the stock after the return.
            Paso(QStringLiteral("Error al actualizar el inventario "), QStringLiteral("Error al actualizar INVENTARIO"),
                 [&] { SalidaDeStock(consultas_, registros_, l.codigo, l.cantidad, a.promedio); });
        }
        FilaMovStock m;
        m.FECHA = ahora;
        m.TIPO_MOVIMIENTO = 2;
        m.DESCRIPCION_MOV = doc.comprobante;
        m.FAMILIA = l.familia;
        m.COD_BARRAS = l.codigo;
        m.NOMBRE_ARTICULO = l.nombre;
        m.COMPROBANTE = doc.comprobante;
        m.CANTIDAD = l.cantidad;
        m.FRACCIONADO = QStringLiteral("N");
        m.CREATE_USERID = ajustes_.usuario;
        m.UPDATE_USERID = ajustes_.usuario;
        m.TIPO_CAMBIO = ajustes_.tipoCambio;
        m.TIPO_CAMBIO_2 = ajustes_.tipoCambio2;
        m.ID_TRANSACCION = -1;
        Paso(QStringLiteral("Error al insertar en movimientos de stock. "),
             QStringLiteral("Error al insertar MOVIMIENTOS_STOCK"), [&] { registros_.InsertarMovStock(m); });
    }
}
