// Command-line tool: creates and checks the module's databases and runs its work headless.
#include "data/Comp_fdatos.h"
#include "data/CreacionBases.h"
#include "records/ReservaEstacion.h"
#include "common/Estacion.h"
#include "common/Instalacion.h"
#include "platform/db/Firebird.h"
#include "platform/db/Query.h"
#include "platform/db/Terminacion.h"
#include "cli/CentralCli.h"
#include "cli/DevolucionCli.h"
#include "cli/PosteoCli.h"
#include "cli/ReportesCli.h"
#include "platform/db/TwoPhase.h"
#include "platform/ErrorCompras.h"
#include "platform/TextoEntrada.h"
#include "platform/VariablesHost.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTextStream>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

namespace {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

// COMPRAS_TIEMPOS=1: milliseconds since start of each phase, wall and process CPU, on stderr.
QElapsedTimer &reloj()
{
    static QElapsedTimer r;
    return r;
}

void marca(const char *fase)
{
    static const bool activo = qEnvironmentVariableIsSet("COMPRAS_TIEMPOS");
    if (!activo || !reloj().isValid())
        return;
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    std::fprintf(stderr, "[tiempos] %8.2f ms  (cpu %7.2f ms)  %s\n", reloj().nsecsElapsed() / 1e6,
                 cpu.tv_sec * 1e3 + cpu.tv_nsec / 1e6, fase);
}

const char *const kUso =
    "Uso:\n"
    "  compras init CARPETA [--demo] [--servidor HOST --usuario-base U --clave-base C]\n"
    "      crea una base por rol (tienda, inventario, contabilidad, distribuidora, central)\n"
    "  compras check CARPETA [--servidor HOST --usuario-base U --clave-base C]\n"
    "      abre cada base, informa lo que falta y resuelve transacciones en limbo de más de un minuto\n"
    "      (con --ahora también las recientes: úsese con las demás estaciones detenidas)\n"
    "  compras post CARPETA FACTURA.json [--caja N] [--usuario U] [--espera S]\n"
    "      [--usuario-base U --clave-base C]\n"
    "      registra la factura del archivo como lo haría la ventana de compras; imprime ID_COMPRA.\n"
    "      Ocupa su estación (caja y ComputerName) mientras trabaja; si otro proceso la ocupa,\n"
    "      espera hasta S segundos (60 por omisión) y, si sigue ocupada, no hace nada\n"
    "  compras clear CARPETA [--caja N] [--espera S]\n"
    "      borra el comprobante sin terminar de la estación (caja y ComputerName); no lo hace\n"
    "      mientras un proceso en marcha ocupa la estación\n"
    "  compras annul CARPETA PROVEEDOR NUMERO [--caja N] [--usuario U] [--usuario-base U --clave-base C]\n"
    "      anula la factura NUMERO del proveedor PROVEEDOR (COD_PROVEEDOR)\n"
    "  compras central-list CARPETA [--caja N] [--usuario U]\n"
    "      lista las facturas de Casa Central para la tienda con su estado (S ya registrada)\n"
    "  compras central-import CARPETA COMPROBANTE [--recibido CODIGO=CANTIDAD ...] [--caja N] [--usuario U]\n"
    "      registra como compra la factura de Casa Central; imprime ID_COMPRA. Casa Central se lee de\n"
    "      iniGestionCentral.ini (sección datos) o, sin rutas allí, de la base central de CARPETA\n"
    "  compras report CARPETA TIPO --desde D --hasta D [--moneda 1|2] [--totales] --pdf ARCHIVO\n"
    "      imprime a PDF un reporte del periodo: resumen, detalle, proveedor o netas (o 1 a 4)\n"
    "  compras export CARPETA --desde D --hasta D [--detalle] [--moneda 1|2] --xlsx ARCHIVO\n"
    "      exporta las compras del periodo a un libro (resumido, o detallado con --detalle)\n"
    "  compras consign CARPETA ARCHIVO.json [--caja N] [--usuario U] [--espera S]\n"
    "      registra las líneas del archivo (forma de factura; su pago no se usa) como consignación\n"
    "      recibida; imprime ID_CONSIGNACION\n"
    "  compras consign-invoice CARPETA ID_CONSIGNACION ARCHIVO.json [--caja N] [--usuario U]\n"
    "      factura lo vendido y aún no facturado de la consignación con el número, fecha y pago del\n"
    "      archivo (sus líneas no se usan); imprime ID_COMPRA\n"
    "  compras return CARPETA ID_CONSIGNACION ARCHIVO.json [--caja N] [--usuario U]\n"
    "      devuelve las líneas del archivo ({\"lineas\": [{\"codigo\": C, \"cantidad\": N}]} o\n"
    "      {\"todas\": true}); en modo distribuidora genera y envía sus archivos\n"
    "  compras credit-note CARPETA NOTA.json [--caja N] [--usuario U] [--espera S]\n"
    "      registra la devolución de mercadería al proveedor con su nota de crédito (como \"compras\n"
    "      post\", más \"factura\" o \"factura_no_sistema\", \"asignar\" y \"confirmar_excesos\");\n"
    "      imprime ID_NC_PROV\n"
    "Las fechas van como AAAA-MM-DD o DD/MM/AAAA. Las plantillas se leen de PathReportes, o de\n"
    "--reportes CARPETA.\n"
    "La clave también puede darse en la variable COMPRAS_CLAVE.\n"
    "\n"
    "Opciones:\n"
    "  --demo              carga los datos de demostración (init)\n"
    "  --servidor HOST     servidor Firebird; sin él, las bases son archivos de CARPETA\n"
    "  --usuario U         usuario del punto de venta que registra o anula (tabla USUARIOS; ADMIN\n"
    "                      si no se indica). En init y check, a falta de --usuario-base, es el\n"
    "                      usuario de la base.\n"
    "  --usuario-base U    usuario con el que se entra a las bases de datos\n"
    "  --clave-base C      clave de ese usuario (también --clave o la variable COMPRAS_CLAVE)\n"
    "  --ahora             resuelve también las transacciones en limbo recientes (check)\n"
    "  --caja N            número de caja de la estación (post, annul, clear)\n"
    "  --espera S          segundos de espera por la estación ocupada (post: 60, clear: 5)\n"
    "  -h, --help, --ayuda muestra esta ayuda y termina\n"
    "  -v, --version       muestra la versión y termina\n";

void uso(QTextStream &destino = err())
{
    destino << kUso;
    destino.flush();
}

// The database login: --usuario-base, or, where there is no point-of-sale user (init, check),
// --usuario as before.
UbicacionBases ubicacion(const QCommandLineParser &p, const QString &carpeta, bool usuarioPuntoDeVenta = false)
{
    UbicacionBases b = UbicacionBases::EnCarpeta(
        p.isSet(QStringLiteral("servidor")) ? carpeta : QFileInfo(carpeta).absoluteFilePath(),
        p.value(QStringLiteral("servidor")));
    if (p.isSet(QStringLiteral("usuario-base")))
        b.usuario = p.value(QStringLiteral("usuario-base"));
    else if (!usuarioPuntoDeVenta)
        b.usuario = p.value(QStringLiteral("usuario"));
    b.clave = p.isSet(QStringLiteral("clave-base")) ? p.value(QStringLiteral("clave-base"))
              : p.isSet(QStringLiteral("clave"))    ? p.value(QStringLiteral("clave"))
                                                    : qEnvironmentVariable("COMPRAS_CLAVE");
    return b;
}

int init(const QCommandLineParser &p, const QString &carpeta)
{
    if (!p.isSet(QStringLiteral("servidor")) && !QDir().mkpath(carpeta)) {
        err() << "No se pudo crear la carpeta " << carpeta << "\n";
        return 1;
    }
    const UbicacionBases b = ubicacion(p, carpeta);
    const bool demo = p.isSet(QStringLiteral("demo"));
    for (const QString &rol : RolesBases()) {
        if (!p.isSet(QStringLiteral("servidor")) && QFileInfo::exists(b.ruta(rol))) {
            err() << "Ya existe la base " << b.ruta(rol) << "; no se modificó nada.\n";
            return 1;
        }
    }
    for (const QString &rol : RolesBases()) {
        CrearBase(b.conexion(rol), rol, demo);
        out() << "Creada " << b.ruta(rol) << (demo ? " (con datos de demostración)" : "") << "\n";
    }
    return 0;
}

// Unfinished documents left in the work tables, station by station. Whether a running program
// holds a station is not probed here: that would make a live posting wait.
void informarPendientes(Estacion &estacion)
{
    db::Query q(&estacion.tienda, &estacion.transLectura);
    q.setSql(QStringLiteral("select NRO_CAJA, COMPUTADORA, sum(LINEAS) from ("
                            "select NRO_CAJA, COMPUTADORA, 0 as LINEAS from TEMPORAL_ENC_COMPRA "
                            "union all select NRO_CAJA, COMPUTADORA, 1 from TEMPORAL_COMPRAS) "
                            "group by NRO_CAJA, COMPUTADORA order by NRO_CAJA, COMPUTADORA"));
    q.execQuery();
    for (; !q.eof(); q.next()) {
        const int lineas = q.field(2).asInteger();
        out() << "Comprobante sin terminar en la estación " << q.field(1).asString() << " (caja " << q.field(0).asInteger()
              << "): " << lineas << (lineas == 1 ? " línea" : " líneas")
              << "; si ningún proceso lo está usando, se borra con: ComputerName=\"" << q.field(1).asString()
              << "\" compras clear CARPETA --caja " << q.field(0).asInteger() << "\n";
    }
    q.close();
}

int check(const QCommandLineParser &p, const QString &carpeta)
{
    const UbicacionBases b = ubicacion(p, carpeta);
    int faltantes = 0;
    for (const QString &rol : RolesBases()) {
        db::Database base;
        try {
            base.open(b.conexion(rol));
        } catch (const db::DbError &e) {
            out() << "FALTA la base " << rol << ": " << e.message() << "\n";
            ++faltantes;
            continue;
        }
        try {
            for (const QString &cambio : ActualizarEsquema(base, rol))
                out() << cambio << " en la base " << rol << "\n";
        } catch (const db::DbError &e) {
            out() << "No se pudo actualizar la base " << rol << ": " << e.message() << "\n";
            ++faltantes;
            continue;
        }
        db::Transaction t(base, db::TransactionKind::Read);
        db::Query q(&base, &t);
        q.setSql(QStringLiteral("select 1 from rdb$relations where rdb$relation_name = :n"));
        for (const QString &tabla : TablasEsperadas(rol)) {
            q.paramByName(QStringLiteral("n")).setAsString(tabla);
            q.execQuery();
            if (q.eof()) {
                out() << "FALTA la tabla " << tabla << " en la base " << rol << "\n";
                ++faltantes;
            }
            q.close();
        }
        t.commit();
    }
    if (faltantes)
        return 2;

    // Through the data module, as the host would: every shared dataset must open.
    Estacion estacion(b);
    estacion.AbrirBases();
    // Groups younger than a minute may be commits still under way at other stations, unless told.
    const int edad = p.isSet(QStringLiteral("ahora")) ? 0 : db::kLimboAgeSeconds;
    const auto limbo = db::FindLimbo({&estacion.tienda, &estacion.inventario, &estacion.contabilidad}, edad);
    for (const auto &e : limbo)
        out() << "Transacción en limbo " << e.id << " en " << e.database << ": se "
              << (e.decision == db::LimboEntry::Decision::Commit ? "confirma" : "deshace") << "\n";
    if (!limbo.empty())
        estacion.ResolverLimbo(edad);
    informarPendientes(estacion);
    const auto cajas = estacion.Cajas();
    estacion.CargarRegistros(QStringLiteral("ADMIN"), cajas.isEmpty() ? 1 : cajas.first().first);
    estacion.ConectarModulo(&ConectarBaseDatos, &ConectarConta);
    out() << "Bases correctas: " << FDatosComp->datasetsTienda().size() + FDatosComp->datasetsInventario().size()
          << " conjuntos de datos abiertos";
    if (!limbo.empty())
        out() << "; " << limbo.size() << " transacciones en limbo resueltas";
    out() << "\n";
    delete FDatosComp;
    return 0;
}

// The till from --caja, else the first one; the computer name from ComputerName, else the host name.
int cajaDeOpciones(const QCommandLineParser &p, Estacion &estacion)
{
    int caja = p.value(QStringLiteral("caja")).toInt();
    if (caja <= 0) {
        const auto cajas = estacion.Cajas();
        caja = cajas.isEmpty() ? 1 : cajas.first().first;
    }
    if (VerVariable(QStringLiteral("ComputerName")).isEmpty())
        CargarVariable(QStringLiteral("ComputerName"), QSysInfo::machineHostName().toUpper());
    return caja;
}

QString estacionEnUso(int caja, int espera)
{
    return QStringLiteral("La estación %1 (caja %2) está en uso por otro proceso de compras%3. Intente de nuevo "
                          "cuando termine o use otra caja con --caja.")
        .arg(VerVariable(QStringLiteral("ComputerName")))
        .arg(caja)
        .arg(espera > 1 ? QStringLiteral("; se esperó %1 segundos").arg(espera) : QString());
}

// Connects the module as a workstation: the till and user from the options (first till and
// the demo administrator by default), the computer name from ComputerName.
std::unique_ptr<Estacion> conectarEstacion(const QCommandLineParser &p, const QString &carpeta)
{
    const QString usuario = p.isSet(QStringLiteral("usuario")) ? p.value(QStringLiteral("usuario")).trimmed().toUpper()
                                                                : QStringLiteral("ADMIN");
    if (const QString motivo = RevisarCodigo(usuario, kLargoUsuario, QStringLiteral("--usuario"));
        !motivo.isEmpty())
        throw ErrorCompras(motivo);
    auto estacion = std::make_unique<Estacion>(ubicacion(p, carpeta, true));
    estacion->AbrirBases();
    marca("bases abiertas");
    const int caja = cajaDeOpciones(p, *estacion);
    CargarVariable(QStringLiteral("vUsuario"), usuario);
    estacion->CargarRegistros(usuario, caja);
    marca("registros de la estación");
    if (estacion->caja.isEmpty())
        throw db::DbError(QStringLiteral("No existe la caja %1").arg(caja));
    // A command uses few of the shared datasets: each one opens when first used.
    TFDatosComp::AbrirAlUsar = true;
    estacion->ConectarModulo(&ConectarBaseDatos, &ConectarConta);
    marca("módulo conectado");
    return estacion;
}

int informar(const ResultadoCli &r)
{
    if (!r.salida.isEmpty())
        out() << r.salida << "\n";
    if (!r.mensaje.isEmpty())
        err() << r.mensaje << "\n";
    out().flush();
    err().flush();
    return r.codigo;
}

// Reads the document file with `leer`, claims the workstation (waiting --espera seconds, 60 by
// default) and runs `registrar` on it: what "post", "consign", "consign-invoice" and "credit-note" share.
template <class Leer, class Registrar>
int conArchivoYEstacion(const QCommandLineParser &p, const QString &carpeta, const QString &archivo, Leer leer,
                        Registrar registrar)
{
    QFile f(archivo);
    if (!f.open(QIODevice::ReadOnly)) {
        err() << "No se pudo leer el archivo " << archivo << "\n";
        return 2;
    }
    QString error;
    const auto documento = leer(f.readAll(), error);
    if (!documento) {
        err() << error << "\n";
        return 2;
    }
    auto estacion = conectarEstacion(p, carpeta);
    // Two runs on one station would take each other's work lines: this one holds it to the end.
    const int espera = p.isSet(QStringLiteral("espera")) ? p.value(QStringLiteral("espera")).toInt() : 60;
    if (!estacion->ReclamarEstacion(estacion->nroCaja(), VerVariable(QStringLiteral("ComputerName")), espera)) {
        delete FDatosComp;
        err() << estacionEnUso(estacion->nroCaja(), espera) << "\n";
        return 3;
    }
    marca("estación reclamada");
    const int codigo = informar(registrar(*documento, VerVariable(QStringLiteral("ComputerName"))));
    marca("trabajo terminado");
    delete FDatosComp;
    estacion.reset();
    marca("bases cerradas");
    return codigo;
}

int post(const QCommandLineParser &p, const QString &carpeta, const QString &archivo)
{
    return conArchivoYEstacion(p, carpeta, archivo, &LeerFacturaJson, &PostearFactura);
}

// As conArchivoYEstacion, for a command on consignment `id` (its ID_CONSIGNACION).
template <class Leer, class Registrar>
int conConsignacion(const QCommandLineParser &p, const QString &carpeta, const QString &id, const QString &archivo,
                    Leer leer, Registrar registrar)
{
    bool ok = false;
    const int consignacion = id.toInt(&ok);
    if (!ok || consignacion <= 0) {
        err() << "La consignación debe ser su número interno (ID_CONSIGNACION).\n";
        return 2;
    }
    return conArchivoYEstacion(p, carpeta, archivo, leer, [consignacion, registrar](const auto &doc, const QString &computadora) {
        return registrar(consignacion, doc, computadora);
    });
}

int consignInvoice(const QCommandLineParser &p, const QString &carpeta, const QString &id, const QString &archivo)
{
    return conConsignacion(p, carpeta, id, archivo, &LeerFacturaJson, &FacturarConsignacion);
}

int devolver(const QCommandLineParser &p, const QString &carpeta, const QString &id, const QString &archivo)
{
    return conConsignacion(p, carpeta, id, archivo, &LeerDevolucionJson, &DevolverConsignacion);
}

int creditNote(const QCommandLineParser &p, const QString &carpeta, const QString &archivo)
{
    return conArchivoYEstacion(p, carpeta, archivo, &LeerNotaCreditoJson, &RegistrarNotaCredito);
}

int clear(const QCommandLineParser &p, const QString &carpeta)
{
    Estacion estacion(ubicacion(p, carpeta));
    estacion.AbrirBases();
    const int caja = cajaDeOpciones(p, estacion);
    const QString computadora = VerVariable(QStringLiteral("ComputerName"));
    const int espera = p.isSet(QStringLiteral("espera")) ? p.value(QStringLiteral("espera")).toInt() : 5;
    if (!estacion.ReclamarEstacion(caja, computadora, espera)) {
        err() << estacionEnUso(caja, 0) << " No se borró nada.\n";
        return 3;
    }
    db::Transaction t(estacion.tienda, db::TransactionKind::Update);
    const int lineas = LimpiarEstacion(estacion.tienda, t, EstacionCompra{caja, computadora});
    t.commit();
    out() << "Estación " << computadora << " (caja " << caja << "): comprobante sin terminar borrado (" << lineas
          << (lineas == 1 ? " línea" : " líneas") << ").\n";
    return 0;
}

// The head office of the workstation's settings unless iniGestionCentral.ini names one.
int central(const QCommandLineParser &p, const QString &carpeta, const QString &comprobante)
{
    QMap<QString, QString> recibidas;
    for (const QString &r : p.values(QStringLiteral("recibido"))) {
        const int igual = r.indexOf(QLatin1Char('='));
        if (igual <= 0) {
            err() << "--recibido va como CODIGO=CANTIDAD: " << r << "\n";
            return 2;
        }
        recibidas.insert(r.left(igual).trimmed(), r.mid(igual + 1).trimmed());
    }
    auto estacion = conectarEstacion(p, carpeta);
    CargarVariable(QStringLiteral("BaseCentral"), estacion->bases().ruta(QStringLiteral("central")));
    const int rc = informar(comprobante.isNull() ? ListarCentral() : ImportarCentral(comprobante, recibidas));
    delete FDatosComp;
    return rc;
}

int annul(const QCommandLineParser &p, const QString &carpeta, const QString &proveedor, const QString &numero)
{
    bool ok = false;
    const int codigo = proveedor.toInt(&ok);
    if (!ok) {
        err() << "El proveedor debe ser su código (COD_PROVEEDOR).\n";
        return 2;
    }
    auto estacion = conectarEstacion(p, carpeta);
    const int rc = informar(AnularFactura(codigo, numero));
    delete FDatosComp;
    return rc;
}

// The reports folder: --reportes, else the host variable, else the shipped templates.
void prepararReportes(const QCommandLineParser &p)
{
    QString dir = p.value(QStringLiteral("reportes"));
    if (dir.isEmpty())
        dir = VerVariable(QStringLiteral("PathReportes"));
    if (dir.isEmpty())
        dir = QStringLiteral(COMPRAS_REPORTES_ORIGEN);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    CargarVariable(QStringLiteral("PathReportes"), dir);
}

int report(const QCommandLineParser &p, const QString &carpeta, const QString &tipo)
{
    PedidoReporteCli pedido;
    pedido.tipo = TipoReporteDeTexto(tipo);
    pedido.desde = FechaDeTexto(p.value(QStringLiteral("desde")));
    pedido.hasta = FechaDeTexto(p.value(QStringLiteral("hasta")));
    pedido.moneda = p.isSet(QStringLiteral("moneda")) ? p.value(QStringLiteral("moneda")).toInt() : 1;
    pedido.totales = p.isSet(QStringLiteral("totales"));
    pedido.pdf = p.value(QStringLiteral("pdf"));
    prepararReportes(p);
    auto estacion = conectarEstacion(p, carpeta);
    const int rc = informar(ReporteAPdf(ConexionesLecturaDatosComp(*FDatosComp), AjustesDeDatosComp(*FDatosComp), pedido));
    delete FDatosComp;
    return rc;
}

int exportar(const QCommandLineParser &p, const QString &carpeta)
{
    PedidoExportacionCli pedido;
    pedido.desde = FechaDeTexto(p.value(QStringLiteral("desde")));
    pedido.hasta = FechaDeTexto(p.value(QStringLiteral("hasta")));
    pedido.moneda = p.isSet(QStringLiteral("moneda")) ? p.value(QStringLiteral("moneda")).toInt() : 1;
    pedido.detalle = p.isSet(QStringLiteral("detalle"));
    pedido.xlsx = p.value(QStringLiteral("xlsx"));
    auto estacion = conectarEstacion(p, carpeta);
    const int rc =
        informar(ExportarALibro(ConexionesLecturaDatosComp(*FDatosComp), AjustesDeDatosComp(*FDatosComp), pedido));
    delete FDatosComp;
    return rc;
}

int ejecutar(QCoreApplication &app)
{
    QCommandLineParser p;
    p.addPositionalArgument(QStringLiteral("orden"), QStringLiteral("init | check"));
    p.addPositionalArgument(QStringLiteral("carpeta"), QStringLiteral("carpeta de las bases"));
    p.addOption({QStringLiteral("demo"), QStringLiteral("Carga los datos de demostración.")});
    p.addOption({QStringLiteral("servidor"), QStringLiteral("Servidor Firebird."), QStringLiteral("host")});
    p.addOption({QStringLiteral("usuario"), QStringLiteral("Usuario del punto de venta que registra o anula."),
                 QStringLiteral("usuario")});
    p.addOption({QStringLiteral("usuario-base"), QStringLiteral("Usuario de las bases de datos."), QStringLiteral("usuario")});
    p.addOption({QStringLiteral("clave-base"), QStringLiteral("Clave de las bases de datos."), QStringLiteral("clave")});
    p.addOption({QStringLiteral("clave"), QStringLiteral("Igual que --clave-base."), QStringLiteral("clave")});
    p.addOption({{QStringLiteral("ayuda"), QStringLiteral("help"), QStringLiteral("h")}, QStringLiteral("Muestra esta ayuda.")});
    p.addOption({QStringLiteral("ahora"), QStringLiteral("Resuelve también las transacciones en limbo recientes.")});
    p.addOption({QStringLiteral("caja"), QStringLiteral("Número de caja de la estación."), QStringLiteral("caja")});
    p.addOption({QStringLiteral("espera"), QStringLiteral("Segundos que se espera a una estación ocupada."), QStringLiteral("segundos")});
    p.addOption({QStringLiteral("desde"), QStringLiteral("Fecha inicial del periodo."), QStringLiteral("fecha")});
    p.addOption({QStringLiteral("hasta"), QStringLiteral("Fecha final del periodo."), QStringLiteral("fecha")});
    p.addOption({QStringLiteral("moneda"), QStringLiteral("1 moneda local, 2 segunda moneda."), QStringLiteral("n")});
    p.addOption({QStringLiteral("totales"), QStringLiteral("Resumen: solo los totales.")});
    p.addOption({QStringLiteral("detalle"), QStringLiteral("Exportación detallada.")});
    p.addOption({QStringLiteral("pdf"), QStringLiteral("Archivo PDF del reporte."), QStringLiteral("archivo")});
    p.addOption({QStringLiteral("xlsx"), QStringLiteral("Archivo del libro."), QStringLiteral("archivo")});
    p.addOption({QStringLiteral("recibido"), QStringLiteral("Cantidad recibida de un artículo."), QStringLiteral("codigo=cantidad")});
    p.addOption({QStringLiteral("reportes"), QStringLiteral("Carpeta de las plantillas."), QStringLiteral("carpeta")});
    if (!p.parse(app.arguments())) {
        err() << p.errorText() << "\n";
        uso();
        return 64;
    }
    if (p.isSet(QStringLiteral("ayuda"))) {
        uso(out());
        return 0;
    }
    const QStringList args = p.positionalArguments();
    if (args.size() < 2) {
        uso();
        return 64;
    }
    try {
        if (args[0] == QLatin1String("init"))
            return init(p, args[1]);
        if (args[0] == QLatin1String("check"))
            return check(p, args[1]);
        if (args[0] == QLatin1String("post") && args.size() == 3)
            return post(p, args[1], args[2]);
        if (args[0] == QLatin1String("consign") && args.size() == 3)
            return conArchivoYEstacion(p, args[1], args[2], &LeerFacturaJson, &GuardarConsignacion);
        if (args[0] == QLatin1String("consign-invoice") && args.size() == 4)
            return consignInvoice(p, args[1], args[2], args[3]);
        if (args[0] == QLatin1String("return") && args.size() == 4)
            return devolver(p, args[1], args[2], args[3]);
        if (args[0] == QLatin1String("clear") && args.size() == 2)
            return clear(p, args[1]);
        if (args[0] == QLatin1String("annul") && args.size() == 4)
            return annul(p, args[1], args[2], args[3]);
        if (args[0] == QLatin1String("central-list") && args.size() == 2)
            return central(p, args[1], QString());
        if (args[0] == QLatin1String("central-import") && args.size() == 3)
            return central(p, args[1], args[2]);
        if (args[0] == QLatin1String("report") && args.size() == 3)
            return report(p, args[1], args[2]);
        if (args[0] == QLatin1String("export") && args.size() == 2)
            return exportar(p, args[1]);
        if (args[0] == QLatin1String("credit-note") && args.size() == 3)
            return creditNote(p, args[1], args[2]);
    } catch (const std::exception &e) {
        err() << e.what() << "\n";
        return 1;
    }
    uso();
    return 64;
}

} // namespace

int main(int argc, char **argv)
{
    reloj().start();
    // --help and --version need neither the engine nor a folder.
    if (AtenderAyudaOVersion(argc, argv, QStringLiteral("compras"), QString::fromUtf8(kUso)))
        return 0;
    // Reports are laid out with fonts: that needs a GUI application (no screen required).
    const bool conFuentes = argc > 1 && qstrcmp(argv[1], "report") == 0;
    if (conFuentes && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> aplicacion(conFuentes ? new QGuiApplication(argc, argv)
                                                            : new QCoreApplication(argc, argv));
    QCoreApplication &app = *aplicacion;
    QCoreApplication::setApplicationName(QStringLiteral("compras"));
    marca("aplicación creada");
    db::PrepararMotorFirebird();
    // SIGTERM / SIGINT: attachments closed and the engine stopped within 5 s, then exit.
    db::ManejarTerminacion();
    const int codigo = ejecutar(app);
    out().flush();
    err().flush();
    const int salida = db::TerminarPrograma(codigo);
    marca("motor apagado");
    return salida;
}
