#include "purchases/ImportacionCentral.h"

#include "platform/ArchivoIni.h"
#include "data/Comp_fdatos.h"
#include "platform/db/Database.h"
#include "platform/db/LimiteEspera.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"

#include <QDateTime>
#include <QUrl>

#include <netdb.h>
#include <poll.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>

namespace {

const QString kErrorConexion = QStringLiteral(
    "No se puede realizar la operación porque falló la conexión a la Base de Datos Central.\r\n\r\n"
    "Por favor, revise su configuración en iniGestionCentral.ini y vuelva a intentarlo.");

} // namespace

AjustesCentral AjustesCentral::DesdeIni(const QString &ruta, const QString &rutaRespaldo)
{
    const ArchivoIni ini(ruta);
    const QString s = QStringLiteral("datos");
    AjustesCentral a;
    a.codProveedor = ini.LeerEntero(s, QStringLiteral("codprovee"), 999);
    a.rutaPrincipal = ini.LeerTexto(s, QStringLiteral("pcentral")).trimmed();
    a.rutaVentas = ini.LeerTexto(s, QStringLiteral("pcenventas")).trimmed();
    if (a.rutaPrincipal.isEmpty())
        a.rutaPrincipal = rutaRespaldo;
    if (a.rutaVentas.isEmpty())
        a.rutaVentas = rutaRespaldo;
    a.usuarioPrincipal = ini.LeerTexto(s, QStringLiteral("usuariocentral"));
    a.clavePrincipal = ini.LeerTexto(s, QStringLiteral("clavecentral"));
    a.usuarioVentas = ini.LeerTexto(s, QStringLiteral("usuarioventas"));
    a.claveVentas = ini.LeerTexto(s, QStringLiteral("claveventas"));
    a.direccionInternet = ini.LeerTexto(s, QStringLiteral("urlinternet")).trimmed();
    a.segundosEspera = std::max(1, ini.LeerEntero(s, QStringLiteral("espera"), 10));
    return a;
}

QString TextoSinProveedorCentral(int codProveedor)
{
    return QStringLiteral("No existe un proveedor local con el código de Casa Central %1 (COD_PROVEEDOR2); "
                          "no se puede procesar el comprobante.")
        .arg(codProveedor);
}

QString CodigoTiendaCentral(int nroTienda)
{
    return QStringLiteral("***") + QStringLiteral("%1").arg(nroTienda, 3, 10, QLatin1Char('0'));
}

bool HayConexion(const QString &direccion, int segundos)
{
    QUrl url = QUrl::fromUserInput(direccion);
    const QString host = url.host();
    if (host.isEmpty())
        return false;
    const int puerto = url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
    addrinfo pista{};
    pista.ai_socktype = SOCK_STREAM;
    addrinfo *res = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), QByteArray::number(puerto).constData(), &pista, &res) != 0 || !res)
        return false;
    bool ok = false;
    for (addrinfo *a = res; a && !ok; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd < 0)
            continue;
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL, 0) | O_NONBLOCK);
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            ok = true;
        } else if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            if (poll(&p, 1, segundos * 1000) == 1) {
                int error = 0;
                socklen_t largo = sizeof error;
                ok = getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &largo) == 0 && error == 0;
            }
        }
        ::close(fd);
    }
    freeaddrinfo(res);
    return ok;
}

std::vector<const FacturaCentral *> FiltrarFacturasCentral(const std::vector<FacturaCentral> &facturas,
                                                           const FiltroCentral &filtro)
{
    const bool conFechas = filtro.desde.isValid() && filtro.hasta.isValid() && filtro.desde <= filtro.hasta;
    const QString prefijo = filtro.comprobante.trimmed();
    std::vector<const FacturaCentral *> r;
    for (const FacturaCentral &f : facturas) {
        if (f.comprobante.isEmpty())
            continue;
        if (conFechas && (f.fecha < filtro.desde || f.fecha > filtro.hasta))
            continue;
        if (!prefijo.isEmpty() && !f.comprobante.startsWith(prefijo, Qt::CaseInsensitive))
            continue;
        if (filtro.tipo == FiltroCentral::Tipo::Procesadas && f.estado != QLatin1String("S"))
            continue;
        if (filtro.tipo == FiltroCentral::Tipo::NoProcesadas && f.estado != QLatin1String("N"))
            continue;
        r.push_back(&f);
    }
    std::stable_sort(r.begin(), r.end(), [&](const FacturaCentral *a, const FacturaCentral *b) {
        switch (filtro.orden) {
        case FiltroCentral::Orden::Fecha:
            return a->fecha < b->fecha;
        case FiltroCentral::Orden::Comprobante:
            return a->comprobante < b->comprobante;
        case FiltroCentral::Orden::ImporteTotal:
            return a->importeTotal < b->importeTotal;
        }
        return false;
    });
    return r;
}

ImportacionCentral::ImportacionCentral(const ConexionesCompra &local, AjustesCentral ajustes)
    : c_(local), ajustes_(std::move(ajustes)), consultas_(c_), registros_(consultas_)
{
    if (!c_.tienda || !c_.transTienda || !c_.inventario || !c_.transInventario)
        throw ErrorCentral(QStringLiteral("El módulo de datos no está conectado"));
}

ImportacionCentral::~ImportacionCentral() = default;

std::unique_ptr<ImportacionCentral> ImportacionCentral::DesdeDatosComp(TFDatosComp &datos)
{
    return std::make_unique<ImportacionCentral>(
        ConexionesDeDatosComp(datos),
        AjustesCentral::DesdeIni(TFDatosComp::CarpetaIni() + QStringLiteral("/iniGestionCentral.ini"),
                                 TFDatosComp::VerVariable(QStringLiteral("BaseCentral"))));
}

bool ImportacionCentral::Conectada() const
{
    return ventas_ && ventas_->connected() && principal_ && principal_->connected();
}

void ImportacionCentral::Conectar()
{
    if (ajustes_.rutaPrincipal.isEmpty() || ajustes_.rutaVentas.isEmpty())
        throw ErrorCentral(kErrorConexion);
    auto abrir = [&](const QString &ruta, const QString &usuario, const QString &clave) {
        db::ConnectionParams p;
        p.database = ruta;
        p.user = usuario.isEmpty() ? QStringLiteral("SYSDBA") : usuario;
        p.password = clave;
        p.esperaSegundos = ajustes_.segundosEspera;
        auto base = std::make_shared<db::Database>();
        try {
            base->open(p);
        } catch (const std::exception &e) {
            throw ErrorCentral(kErrorConexion + QStringLiteral("\r\n\r\n") + QString::fromUtf8(e.what()));
        }
        return base;
    };
    principal_ = abrir(ajustes_.rutaPrincipal, ajustes_.usuarioPrincipal, ajustes_.clavePrincipal);
    ventas_ = abrir(ajustes_.rutaVentas, ajustes_.usuarioVentas, ajustes_.claveVentas);
}

ProveedorCentral ImportacionCentral::IdentificarProveedor()
{
    ProveedorCentral p;
    db::Transaction t(*c_.inventario, db::TransactionKind::Read);
    db::Query q(c_.inventario, &t);
    q.setSql(QStringLiteral("select COD_PROVEEDOR, NOMBRE from proveedores where COD_PROVEEDOR2 = :codprov"));
    q.paramByName("codprov").setAsString(QString::number(ajustes_.codProveedor));
    q.execQuery();
    if (!q.eof()) {
        p.encontrado = true;
        p.codigo = q.field(0).asInteger();
        p.nombre = q.field(1).asString();
    }
    q.close();
    t.commit();
    return p;
}

template <class F>
auto ImportacionCentral::LeerDeVentas(const QString &queLee, F trabajo)
{
    try {
        return db::EjecutarConLimite(ventas_, ajustes_.segundosEspera,
                                     QStringLiteral("Casa Central no respondió en %1 segundos.").arg(ajustes_.segundosEspera),
                                     std::move(trabajo));
    } catch (const db::ErrorTiempoAgotado &e) {
        // The thread left waiting keeps the old connections; a new attempt reconnects.
        ventas_.reset();
        principal_.reset();
        throw ErrorCentral(QStringLiteral("No se pudo leer %1 desde Casa Central: %2").arg(queLee, e.message()));
    } catch (const ErrorCompras &) {
        throw;
    } catch (const std::exception &e) {
        throw ErrorCentral(QStringLiteral("No se pudo leer %1 desde Casa Central: %2").arg(queLee, QString::fromUtf8(e.what())));
    }
}

std::vector<FacturaCentral> ImportacionCentral::ListarFacturas(int nroTienda, const ProveedorCentral &proveedor)
{
    if (!Conectada())
        throw ErrorCentral(kErrorConexion);
    const QString tienda = CodigoTiendaCentral(nroTienda);
    std::vector<FacturaCentral> lista = LeerDeVentas(QStringLiteral("la lista de facturas"), [tienda](db::Database &ventas) {
        std::vector<FacturaCentral> leidas;
        db::Transaction t(ventas, db::TransactionKind::Read);
        db::Query q(&ventas, &t);
        q.setSql(QStringLiteral("select f.FECHA,f.COMPROBANTE,f.IMPORTE_IV,f.IMPORTE_TOTAL,f.IMPORTE_CREDITO,f.DIAS_CREDITO,"
                                "f.TIPO_CAMBIO,f.TIPO_CAMBIO_2,f.NRO_CAJA,f.IMPORTE_EFECTIVO,f.IMPORTE_DEPOSITO "
                                "from facturas f,clientes c where  f.fk_cliente = c.cod_cliente and "
                                "c.cod_cliente2=:Tienda order by comprobante"));
        q.paramByName("Tienda").setAsString(tienda);
        for (q.execQuery(); !q.eof(); q.next()) {
            FacturaCentral f;
            f.fecha = q.field(0).asDate();
            f.comprobante = q.field(1).asString();
            f.importeIv = q.field(2).asCurrency();
            f.importeTotal = q.field(3).asCurrency();
            f.importeCredito = q.field(4).asCurrency();
            f.diasCredito = q.field(5).asInteger();
            f.tipoCambio = q.field(6).asCurrency();
            f.tipoCambio2 = q.field(7).asCurrency();
            f.nroCaja = q.field(8).asInteger();
            f.importeEfectivo = q.field(9).asCurrency();
            f.importeDeposito = q.field(10).asCurrency();
            leidas.push_back(std::move(f));
        }
        q.close();
        t.commit();
        return leidas;
    });

    // One query for the local state of every listed invoice.
    std::set<QString> locales;
    if (proveedor.encontrado) {
        db::Transaction t(*c_.tienda, db::TransactionKind::Read);
        db::Query q(c_.tienda, &t);
        q.setSql(QStringLiteral("select COMPROBANTE from facturas_compra where CODIGO_PROVEEDOR = :prov"));
        q.paramByName("prov").setAsInteger(proveedor.codigo);
        for (q.execQuery(); !q.eof(); q.next())
            locales.insert(q.field(0).asString());
        q.close();
        t.commit();
    }
    for (FacturaCentral &f : lista)
        f.estado = locales.count(f.comprobante) ? QStringLiteral("S") : QStringLiteral("N");
    return lista;
}

std::vector<LineaCentral> ImportacionCentral::LeerLineas(const QString &comprobante)
{
    if (!Conectada())
        throw ErrorCentral(kErrorConexion);
    return LeerDeVentas(QStringLiteral("el comprobante ") + comprobante, [comprobante](db::Database &ventas) {
        std::vector<LineaCentral> lineas;
        db::Transaction t(ventas, db::TransactionKind::Read);
        db::Query q(&ventas, &t);
        q.setSql(QStringLiteral("select * from DETALLE_FACTURAS where comprobante = :comp order by ID_DETALLE"));
        q.paramByName("comp").setAsString(comprobante);
        for (q.execQuery(); !q.eof(); q.next()) {
            LineaCentral l;
            l.codigo = q.fieldByName(QStringLiteral("CODIGO_ARTICULO")).asString();
            l.descripcion = q.fieldByName(QStringLiteral("DESCRIPCION")).asString();
            l.cantidad = Currency::fromDouble(q.fieldByName(QStringLiteral("CANTIDAD")).asFloat());
            l.recibida = l.cantidad;
            l.importeUnitario = q.fieldByName(QStringLiteral("IMPORTE_UNITARIO")).asCurrency();
            l.importeTotal = q.fieldByName(QStringLiteral("IMPORTE_TOTAL")).asCurrency();
            l.importeCosto = q.fieldByName(QStringLiteral("IMPORTE_COSTO")).asCurrency();
            l.fecha = q.fieldByName(QStringLiteral("FECHA")).asDate();
            l.comprobante = q.fieldByName(QStringLiteral("COMPROBANTE")).asString();
            l.tipoCambio = q.fieldByName(QStringLiteral("TIPO_CAMBIO")).asCurrency();
            l.tipoCambio2 = q.fieldByName(QStringLiteral("TIPO_CAMBIO_2")).asCurrency();
            l.nroCaja = q.fieldByName(QStringLiteral("NRO_CAJA")).asInteger();
            l.fraccionado = q.fieldByName(QStringLiteral("FRACCIONADO")).asString();
            l.idFraccion = q.fieldByName(QStringLiteral("ID_FRACCION")).asInteger();
            l.fraccion = q.fieldByName(QStringLiteral("FRACCION")).asFloat();
            l.compuesto = q.fieldByName(QStringLiteral("COMPUESTO")).asString();
            lineas.push_back(std::move(l));
        }
        q.close();
        t.commit();
        return lineas;
    });
}

void ImportacionCentral::Paso(const char *nombre)
{
    if (AntesDeEscribir)
        AntesDeEscribir(nombre);
}

int ImportacionCentral::Registrar(const FacturaCentral &f, const std::vector<LineaCentral> &lineas,
                                  const ProveedorCentral &p, int nroTienda, const QString &usuario)
{
    error_.clear();
    idCompra_ = 0;
    if (!p.encontrado) {
        estado_ = Estado::SinProveedor;
        error_ = TextoSinProveedorCentral(ajustes_.codProveedor);
        return 0;
    }
    try {
        Escribir(f, lineas, p, nroTienda, usuario);
        db::CommitTwoPhase({c_.transTienda, c_.transInventario});
        estado_ = Estado::Registrada;
        return idCompra_;
    } catch (const std::exception &e) {
        DeshacerTransacciones({c_.transTienda, c_.transInventario});
        idCompra_ = 0;
        if (estado_ != Estado::YaRegistrada) {
            estado_ = Estado::Fallida;
            error_ = QStringLiteral("Ocurrió un error al procesar el comprobante ") + f.comprobante +
                     QStringLiteral("\r\n") + TextoDeError(e);
        }
        return 0;
    }
}

void ImportacionCentral::Escribir(const FacturaCentral &f, const std::vector<LineaCentral> &lineas,
                                  const ProveedorCentral &p, int nroTienda, const QString &usuario)
{
    estado_ = Estado::SinRegistrar;
    const QDateTime ahora = QDateTime::currentDateTime();
    // Checked again with the supplier's row locked, so two stations never both record it.
    const bool yaEsta = ComprobanteUsadoBajoBloqueo(consultas_, p.codigo, f.comprobante);
    if (yaEsta) {
        estado_ = Estado::YaRegistrada;
        error_ = QStringLiteral("La factura ya fue procesada");
        throw ErrorCentral(error_);
    }

    Paso("FACTURAS_COMPRA");
    FilaFacturaCompra enc;
    enc.NRO_CAJA = f.nroCaja;
    enc.FECHA_CARGA = ahora;
    enc.FECHA = f.fecha;
    enc.COMPROBANTE = f.comprobante;
    enc.CODIGO_PROVEEDOR = p.codigo;
    enc.NOMBRE = p.nombre;
    enc.IMPORTE_IV = f.importeIv;
    enc.IMPORTE_TOTAL = f.importeTotal;
    enc.IMPORTE_CREDITO = f.importeCredito;
    enc.IMPORTE_EFECTIVO = f.importeEfectivo;
    enc.DIAS_CREDITO = f.diasCredito;
    enc.TIPO_CAMBIO = f.tipoCambio;
    enc.TIPO_CAMBIO_2 = f.tipoCambio2;
    enc.MONEDA_CARGA = 1;
    enc.INVENTARIO_PRINCIPAL = QStringLiteral("S");
    idCompra_ = registros_.InsertarFacturasCompras(enc);

    if (f.importeCredito > Currency()) {
        Paso("CUENTA_PROVEEDOR");
        FilaCuentaProveedor cp;
        cp.NRO_CAJA = f.nroCaja;
        cp.FECHA = QDateTime(f.fecha, QTime(0, 0));
        cp.COD_PROVEEDOR = p.codigo;
        cp.COD_TIPO_MOV = 1;
        cp.COMPROBANTE = f.comprobante;
        cp.IMPORTE = f.importeCredito;
        cp.A_CANCELAR = f.importeCredito;
        cp.DIAS_CREDITO = f.diasCredito;
        cp.NOTA = QStringLiteral("Factura de compra Nro. ") + f.comprobante;
        cp.TIPO_CAMBIO = f.tipoCambio;
        cp.TIPO_CAMBIO_2 = f.tipoCambio2;
        cp.CREATE_USERID = cp.UPDATE_USERID = usuario;
        cp.CREATE_TMSTMP = cp.UPDATE_TMSTMP = ahora;
        registros_.InsertarCuentaProveedor(cp);
    }

    for (const LineaCentral &l : lineas) {
        Paso("DETALLE_FACTURAS_COMPRA");
        FilaDetalleFacturaCompra d;
        d.NRO_CAJA = l.nroCaja;
        d.ID_COMPRA = idCompra_;
        d.FECHA = l.fecha.isValid() ? l.fecha : f.fecha;
        d.COMPROBANTE = f.comprobante;
        d.CODIGO_ARTICULO = l.codigo;
        d.DESCRIPCION = l.descripcion;
        d.CANTIDAD = l.cantidad;
        d.FRACCIONADO = l.fraccionado;
        d.TIPO_CAMBIO = l.tipoCambio;
        d.TIPO_CAMBIO_2 = l.tipoCambio2;
        d.MONEDA_CARGA = 1;
        d.PRECIO_VENTA_SIN_IV = l.importeTotal;
        d.IMPORTE_UNITARIO = l.importeUnitario;
        d.IMPORTE_TOTAL = l.importeTotal;
        registros_.InsertarDetalleFacturasCompras(d);

        Paso("MOVIMIENTOS_STOCK");
        FilaMovStock m;
        m.FECHA = QDateTime(f.fecha, QTime(0, 0));
        m.TIPO_MOVIMIENTO = 3;
        m.DESCRIPCION_MOV = f.comprobante;
        m.COD_BARRAS = l.codigo;
        m.NOMBRE_ARTICULO = l.descripcion;
        m.COMPROBANTE = f.comprobante;
        m.CANTIDAD = l.cantidad;
        m.CREATE_USERID = m.UPDATE_USERID = QStringLiteral("Gestioncc");
        m.TIPO_CAMBIO = l.tipoCambio;
        m.TIPO_CAMBIO_2 = l.tipoCambio2;
        m.ID_TRANSACCION = idCompra_;
        registros_.InsertarMovStock(m);

        Paso("INVENTARIO");
        registros_.SumarStockCompra(l.codigo, l.cantidad, l.importeUnitario);

        if (l.cantidad != l.recibida) {
            Paso("DIF_ENTRADA_SALIDA");
            FilaDiferencia df;
            df.COD_BARRAS = l.codigo;
            df.DESCRIPCION = l.descripcion;
            df.FRACCIONADO = l.fraccionado;
            df.ID_FRACCION = l.idFraccion;
            df.FRACCION = l.fraccion;
            df.PRECIO_COSTO = l.importeCosto;
            df.PRECIO_VENTA = l.importeUnitario;
            df.FECHA_ENVIO = l.fecha;
            df.TIPO_CAMBIO = l.tipoCambio;
            df.TIPO_CAMBIO_2 = l.tipoCambio2;
            df.COMPUESTO = l.compuesto;
            df.FECHA_RECEPCION = ahora;
            df.RECIBIDO_POR = usuario;
            df.CANT_ENVIADA = l.cantidad;
            df.CANT_RECIBIDA = l.recibida;
            df.DESDE_TIENDA = 0;
            df.HASTA_TIENDA = nroTienda;
            df.COMPROB_ENVIO = df.COMPROB_RECIBE = f.comprobante;
            registros_.InsertarDiferenciaEntradaSalida(df);
        }
    }
}
