#include "consignments/DevolucionConsignacion.h"

#include "data/Comp_fdatos.h"
#include "platform/ErrorCompras.h"
#include "platform/Mensajes.h"
#include "platform/db/DbError.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"
#include "records/ActualizacionInventarioCompra.h"
#include "records/ErrorRegistro.h"
#include "records/RegistrosCompra.h"

#include <QDateTime>

#include <map>

bool LineasDevueltas(ConsultasCompra &consultas, int idConsignacion)
{
    db::Query &c = consultas.Sql(BaseCompra::Tienda, QStringLiteral("select count(*) from DETALLE_CONSIGNACION where "
                                                                   "ID_CONSIGNACION = :ID and CANTIDAD > 0 and "
                                                                   "coalesce(PROCESADOS, 0) <> CANTIDAD"));
    c.paramByName("ID").setAsInteger(idConsignacion);
    c.execQuery();
    const bool devuelta = c.field(0).asInteger() == 0;
    c.close();
    return devuelta;
}

DevolucionConsignacion::DevolucionConsignacion(const ConexionesCompra &conexiones, AjustesDevolucionConsig ajustes)
    : c_(conexiones), ajustes_(std::move(ajustes)), mensajes_(&mensajes()), consultas_(c_)
{
    c_.contabilidad = nullptr;
    c_.transContabilidad = nullptr;
}

DevolucionConsignacion::~DevolucionConsignacion() = default;

std::unique_ptr<DevolucionConsignacion> DevolucionConsignacion::DesdeDatosComp(TFDatosComp &d)
{
    AjustesDevolucionConsig a;
    a.sisDistribuidora = d.SisDistribuidora == QLatin1String("S");
    a.actualizaExist = d.Config(QStringLiteral("ACTUALIZA_EXIST")) == QLatin1String("S");
    a.nroCaja = d.NroCaja;
    a.computadora = TFDatosComp::VerVariable(QStringLiteral("ComputerName"));
    a.usuario = TFDatosComp::VerVariable(QStringLiteral("vUsuario"));
    a.tipoCambio = d.TipoCambio;
    a.tipoCambio2 = d.TipoCambio2;
    if (a.sisDistribuidora)
        a.distribuidora = AjustesBaseDistribuidora::DesdeDatosComp(d);
    auto p = std::make_unique<DevolucionConsignacion>(ConexionesDeDatosComp(d), std::move(a));
    p->transaccionGlobal = &d.TransaccionGlobal;
    TFDatosComp *datos = &d;
    p->DespuesDeConfirmar = [datos] {
        RefrescarAbiertos({datos->TConsignacion, datos->TDetConsig, datos->TInventario});
    };
    return p;
}

std::vector<LineaDevolucionConsig> DevolucionConsignacion::Lineas(int id)
{
    std::vector<LineaDevolucionConsig> lineas;
    c_.transTienda->ensureActive();
    c_.transInventario->ensureActive();
    try {
        db::Query &q = consultas_.Sql(
            BaseCompra::Tienda,
            QStringLiteral("select d.ID_DETALLE_CONSIGNACION, d.CODIGO_ARTICULO, d.DESCRIPCION, d.CODIGO_FAMILIA, "
                           "d.IMPORTE_UNITARIO, d.IMPORTE_TOTAL, d.CANTIDAD, coalesce(d.PROCESADOS, 0), "
                           "coalesce(d.EXISTENCIA, 0), c.COMPROBANTE from DETALLE_CONSIGNACION d join CONSIGNACIONES c "
                           "on c.ID_CONSIGNACION = d.ID_CONSIGNACION where d.ID_CONSIGNACION = :ID and "
                           "coalesce(d.PROCESADOS, 0) < d.CANTIDAD order by d.ID_DETALLE_CONSIGNACION"));
        q.paramByName("ID").setAsInteger(id);
        for (q.execQuery(); !q.eof(); q.next()) {
            LineaDevolucionConsig l;
            l.idDetalle = q.field(0).asInteger();
            l.codigo = q.field(1).asString().trimmed();
            l.descripcion = q.field(2).asString();
            l.familia = q.field(3).asString();
            l.unitario = q.field(4).asCurrency();
            l.importeTotal = q.field(5).asCurrency();
            const Currency cantidad = q.field(6).asCurrency(), procesados = q.field(7).asCurrency();
            l.existencia = q.field(8).asCurrency();
            // The processed quantity counts by whole units.
            l.total = cantidad - Currency(static_cast<long long>(procesados.raw() / Currency::Scale));
            l.vendido = cantidad - l.existencia;
            l.comprobante = q.field(9).asString();
            l.cantidad = l.existencia;
            lineas.push_back(std::move(l));
        }
        q.close();
        db::Query &a = consultas_.Sql(BaseCompra::Inventario,
                                      QStringLiteral("select CODIGO2, CODIGO3 from INVENTARIO where COD_BARRAS = :cod"));
        for (LineaDevolucionConsig &l : lineas) {
            a.paramByName("cod").setAsString(l.codigo);
            a.execQuery();
            if (!a.eof()) {
                l.codigoInterno = a.field(0).asString();
                l.edicion = a.field(1).asString();
            }
            a.close();
        }
    } catch (...) {
        DeshacerTransacciones({c_.transTienda, c_.transInventario});
        throw;
    }
    // Nothing was written: the snapshot is not kept for the return.
    DeshacerTransacciones({c_.transTienda, c_.transInventario});
    return lineas;
}

QString DevolucionConsignacion::TextoCantidadCero(int linea, const QString &codigo)
{
    return QStringLiteral("La línea %1 (artículo %2) está marcada para devolver con \"Cantidad\" 0: indique una "
                          "cantidad mayor que cero o desmárquela.")
        .arg(linea)
        .arg(codigo);
}

DevolucionConsignacion::Resultado DevolucionConsignacion::Rechazar(const QString &texto, Resultado r)
{
    const bool conDistribuidora = dis_ && dis_->Conectada();
    DeshacerTransacciones({c_.transTienda, c_.transInventario, conDistribuidora ? &dis_->transUpdate() : nullptr});
    dis_.reset();
    error_ = texto;
    liquidacion_.clear();
    if (!texto.isEmpty())
        mensajes_->Advertencia(texto);
    return r;
}

DevolucionConsignacion::Resultado DevolucionConsignacion::Fallo(const QString &detalle)
{
    Rechazar(QString());
    error_ = detalle;
    mensajes_->Error(QStringLiteral("No se pudo realizar la devolución de la consignación.\r\n") + detalle);
    return Resultado::Fallida;
}

void DevolucionConsignacion::SacarDeInventario(const LineaDevolucionConsig &l, Currency cantidad)
{
    RegistrosCompra registros(consultas_);
    db::Query &q = consultas_.Sql(BaseCompra::Inventario, QStringLiteral("select ACTUALIZAR_EXIST, COSTO_PROMEDIO from "
                                                                         "INVENTARIO where COD_BARRAS = :Codigo with lock"));
    q.paramByName("Codigo").setAsString(l.codigo);
    q.execQuery();
    const bool existe = !q.eof();
    const bool llevaStock = existe && q.field(0).asString() == QLatin1String("S");
    const Currency promedio = existe ? q.field(1).asCurrency() : Currency();
    q.close();
    if (ajustes_.sisDistribuidora && existe)
        registros.ActualizaInventario(ModoInventario::Inactivar, l.codigo);
    if (ajustes_.actualizaExist && llevaStock)
        SalidaDeStock(consultas_, registros, l.codigo, cantidad, promedio);
}

DevolucionConsignacion::Resultado DevolucionConsignacion::Devolver(int id, const std::vector<LineaDevolucionConsig> &lineas)
{
    error_.clear();
    liquidacion_.clear();
    std::vector<const LineaDevolucionConsig *> marcadas;
    for (const LineaDevolucionConsig &l : lineas)
        if (l.marcada)
            marcadas.push_back(&l);
    if (marcadas.empty())
        return Rechazar(kSinSeleccion, Resultado::SinSeleccion);
    for (const LineaDevolucionConsig *l : marcadas)
        if (l->cantidad > l->total || l->cantidad < Currency())
            return Rechazar(kCantidadIncorrecta, Resultado::Invalida);
    // A ticked line must give something back.
    for (size_t i = 0; i < lineas.size(); ++i)
        if (lineas[i].marcada && lineas[i].cantidad == Currency())
            return Rechazar(TextoCantidadCero(static_cast<int>(i) + 1, lineas[i].codigo), Resultado::Invalida);

    const BanderaTransaccion global(transaccionGlobal);
    try {
        if (ajustes_.sisDistribuidora) {
            if (!ajustes_.distribuidora)
                throw ErrorCompras(BaseDistribuidora::kErrorConexion);
            dis_ = std::make_unique<BaseDistribuidora>(*ajustes_.distribuidora);
            dis_->Conectar();
            dis_->transUpdate().ensureActive();
        }
        c_.transTienda->ensureActive();
        c_.transInventario->ensureActive();

        // The header locked first: a second station returning the same consignment waits here.
        db::Query &h = consultas_.Sql(BaseCompra::Tienda, QStringLiteral("select ANULADA, DEVUELTA from CONSIGNACIONES "
                                                                        "where ID_CONSIGNACION = :ID with lock"));
        h.paramByName("ID").setAsInteger(id);
        h.execQuery();
        if (h.eof()) {
            h.close();
            return Rechazar(QStringLiteral("No existen Consignaciones"));
        }
        const bool anulada = h.field(0).asString() == QLatin1String("S");
        const bool devuelta = h.field(1).asString() == QLatin1String("S");
        h.close();
        if (anulada)
            return Rechazar(kAnulada);
        if (devuelta)
            return Rechazar(kYaDevuelta);

        RegistrosCompra registros(consultas_);
        const QDateTime ahora = QDateTime::currentDateTime();
        const QString hoy = ahora.date().toString(QStringLiteral("MM/dd/yy"));
        // Lines first, each only while still open for that quantity: what another station
        // returned meanwhile is refused instead of taken out twice.
        for (const LineaDevolucionConsig *l : marcadas) {
            CambioConsignacion cambio;
            cambio.idDetalle = l->idDetalle;
            cambio.procesados = l->cantidad;
            const auto modo = ajustes_.sisDistribuidora ? ModoConsignacion::DevolverTodo : ModoConsignacion::Devolver;
            if (registros.ActualizaConsignaciones(modo, id, cambio) != 1)
                return Rechazar(kCantidadIncorrecta, Resultado::Invalida);
        }
        // Articles in code order, so two returns of the same articles never wait in a cycle.
        std::multimap<QString, const LineaDevolucionConsig *> porArticulo;
        for (const LineaDevolucionConsig *l : marcadas)
            porArticulo.emplace(l->codigo, l);
        for (const auto &[codigo, l] : porArticulo)
            SacarDeInventario(*l, ajustes_.sisDistribuidora ? l->existencia : l->cantidad);

        for (const LineaDevolucionConsig *l : marcadas) {
            FilaMovStock m;
            m.FECHA = ahora;
            m.TIPO_MOVIMIENTO = 2;
            m.DESCRIPCION_MOV = kMovimiento;
            m.FAMILIA = l->familia;
            m.COD_BARRAS = l->codigo;
            m.NOMBRE_ARTICULO = l->descripcion;
            m.COMPROBANTE = l->comprobante;
            m.CANTIDAD = l->cantidad;
            m.CREATE_USERID = m.UPDATE_USERID = ajustes_.usuario;
            m.TIPO_CAMBIO = ajustes_.tipoCambio;
            m.TIPO_CAMBIO_2 = ajustes_.tipoCambio2;
            registros.InsertarMovStock(m);

            FilaLiquidacion f;
            f.nombreArticulo = l->descripcion;
            f.codigoArticulo = l->codigo;
            f.total = l->total.toDouble();
            f.devolucion = l->cantidad.toDouble();
            f.diferencia = (l->total - (l->cantidad + l->vendido)).toDouble();
            f.facturado = l->vendido.toDouble();
            f.edicion = l->edicion;
            f.codigoInterno = l->codigoInterno;
            f.nroFactura = l->comprobante;
            f.fecha = hoy;
            f.devolver = QString::fromStdString(l->total.toString());
            if (dis_) {
                f.esLibro = ArticuloEsLibro(*c_.inventario, *c_.transInventario, l->codigo);
                dis_->InsertarArchivoGenerado(f);
            }
            liquidacion_.push_back(std::move(f));
        }

        // Returned once nothing of it is open any more.
        if (ajustes_.sisDistribuidora && LineasDevueltas(consultas_, id))
            registros.ActualizaConsignaciones(ModoConsignacion::MarcarDevuelta, id, {});

        std::vector<db::Transaction *> ts{c_.transTienda, c_.transInventario};
        if (dis_)
            ts.push_back(&dis_->transUpdate());
        db::CommitTwoPhase(ts);
    } catch (const std::exception &e) {
        return Fallo(TextoDeError(e));
    }
    dis_.reset();
    if (DespuesDeConfirmar)
        DespuesDeConfirmar();
    return Resultado::Hecha;
}

EnvioDevolucion DevolucionConsignacion::EnviarLiquidacion(const QString &carpetaLog, const std::function<void(int)> &alFallar,
                                                          int segundos) const
{
    EnvioDevolucion r;
    if (!ajustes_.distribuidora || liquidacion_.empty())
        return r;
    try {
        BaseDistribuidora dis(*ajustes_.distribuidora);
        dis.Conectar();
        const ConfigCorreoDistribuidora config = dis.LeerConfigCorreo();
        dis.Desconectar();
        if (!config.enviaReportes) {
            r.apagado = true;
            return r;
        }
        r.archivos = EscribirArchivosDistribuidora(config.direccionReportes, liquidacion_.front().nroFactura,
                                                   config.codigoTerminal, liquidacion_, CantidadesArchivo::Devolucion);
        ColaCorreo cola(carpetaLog + QStringLiteral("/CorreoPendiente"));
        r.envio = EnviarArchivosDistribuidora(config, r.archivos, carpetaLog, cola, 3, alFallar, segundos);
    } catch (const std::exception &e) {
        r.error = TextoDeError(e);
    }
    return r;
}

EnvioDevolucion DevolucionConsignacion::ReenviarArchivos(const AjustesBaseDistribuidora &distribuidora,
                                                         const QString &nroFactura, const QString &carpetaLog, int segundos)
{
    EnvioDevolucion r;
    try {
        BaseDistribuidora dis(distribuidora);
        dis.Conectar();
        const ConfigCorreoDistribuidora config = dis.LeerConfigCorreo();
        const std::vector<FilaLiquidacion> filas = dis.Archivos(nroFactura);
        dis.Desconectar();
        if (!config.enviaReportes) {
            r.apagado = true;
            return r;
        }
        r.archivos = EscribirArchivosDistribuidora(config.direccionReportes, nroFactura, config.codigoTerminal, filas,
                                                   CantidadesArchivo::Reenvio);
        ColaCorreo cola(carpetaLog + QStringLiteral("/CorreoPendiente"));
        r.envio = EnviarArchivosDistribuidora(config, r.archivos, carpetaLog, cola, 1, {}, segundos,
                                              PendientesMismosArchivos::Reemplazar);
    } catch (const std::exception &e) {
        r.error = TextoDeError(e);
    }
    return r;
}

QString DevolucionConsignacion::TextoEnvio(const EnvioDevolucion &e)
{
    if (e.apagado)
        return QStringLiteral("El envío de reportes a la distribuidora está desactivado: no se generaron ni enviaron "
                              "los archivos.");
    if (!e.error.isEmpty())
        return QStringLiteral("No se pudieron generar o enviar los archivos de la distribuidora:\r\n") + e.error;
    if (e.envio.enviado)
        return QStringLiteral("Los Archivos han sido enviados");
    return QStringLiteral("Hubo un problema a la Hora de enviar el correo\r\nMensaje:\r\n") + e.envio.error +
           QStringLiteral("\r\nEl correo quedó pendiente: se enviará con \"Reenviar Archivos\" o con la próxima "
                          "devolución.");
}
