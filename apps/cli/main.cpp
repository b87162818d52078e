// Command-line tool: creates and checks the module's databases and runs its work headless.
#include "data/Comp_fdatos.h"
#include "data/CreacionBases.h"
#include "common/Estacion.h"
#include "platform/db/Firebird.h"
#include "platform/db/Query.h"
#include "platform/db/Terminacion.h"
#include "cli/PosteoCli.h"
#include "platform/db/TwoPhase.h"
#include "platform/ErrorCompras.h"
#include "platform/TextoEntrada.h"
#include "platform/VariablesHost.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTextStream>
#include <cstdio>

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

void uso(QTextStream &destino = err())
{
    destino << "Uso:\n"
               "  compras init CARPETA [--demo] [--servidor HOST --usuario-base U --clave-base C]\n"
               "      crea una base por rol (tienda, inventario, contabilidad, distribuidora, central)\n"
               "  compras check CARPETA [--servidor HOST --usuario-base U --clave-base C]\n"
               "      abre cada base, informa lo que falta y resuelve transacciones en limbo de más de un minuto\n"
               "      (con --ahora también las recientes: úsese con las demás estaciones detenidas)\n"
               "  compras post CARPETA FACTURA.json [--caja N] [--usuario U] [--usuario-base U --clave-base C]\n"
               "      registra la factura del archivo como lo haría la ventana de compras; imprime ID_COMPRA\n"
               "  compras annul CARPETA PROVEEDOR NUMERO [--caja N] [--usuario U] [--usuario-base U --clave-base C]\n"
               "      anula la factura NUMERO del proveedor PROVEEDOR (COD_PROVEEDOR)\n"
               "Opciones:\n"
               "  --usuario U        usuario del punto de venta que registra o anula (tabla USUARIOS; ADMIN\n"
               "                     si no se indica). En init y check, a falta de --usuario-base, es el\n"
               "                     usuario de la base.\n"
               "  --usuario-base U   usuario con el que se entra a las bases de datos\n"
               "  --clave-base C     clave de ese usuario (también --clave o la variable COMPRAS_CLAVE)\n"
               "  --servidor HOST    servidor Firebird; sin él las bases se abren con el motor embebido\n"
               "  --caja N           número de caja de la estación (la primera si no se indica)\n"
               "  --demo             carga los datos de demostración (init)\n"
               "  --ahora            resuelve también las transacciones en limbo recientes (check)\n"
               "  --ayuda, --help    muestra esta ayuda\n";
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
    int caja = p.value(QStringLiteral("caja")).toInt();
    if (caja <= 0) {
        const auto cajas = estacion->Cajas();
        caja = cajas.isEmpty() ? 1 : cajas.first().first;
    }
    if (VerVariable(QStringLiteral("ComputerName")).isEmpty())
        CargarVariable(QStringLiteral("ComputerName"), QSysInfo::machineHostName().toUpper());
    CargarVariable(QStringLiteral("vUsuario"), usuario);
    estacion->CargarRegistros(usuario, caja);
    if (estacion->caja.isEmpty())
        throw db::DbError(QStringLiteral("No existe la caja %1").arg(caja));
    estacion->ConectarModulo(&ConectarBaseDatos, &ConectarConta);
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

int post(const QCommandLineParser &p, const QString &carpeta, const QString &archivo)
{
    QFile f(archivo);
    if (!f.open(QIODevice::ReadOnly)) {
        err() << "No se pudo leer el archivo " << archivo << "\n";
        return 2;
    }
    QString error;
    const auto factura = LeerFacturaJson(f.readAll(), error);
    if (!factura) {
        err() << error << "\n";
        return 2;
    }
    auto estacion = conectarEstacion(p, carpeta);
    const int codigo = informar(PostearFactura(*factura, VerVariable(QStringLiteral("ComputerName"))));
    delete FDatosComp;
    return codigo;
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
        if (args[0] == QLatin1String("annul") && args.size() == 4)
            return annul(p, args[1], args[2], args[3]);
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
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("compras"));
    db::PrepararMotorFirebird();
    // SIGTERM / SIGINT: attachments closed and the engine stopped within 5 s, then exit.
    db::ManejarTerminacion();
    const int codigo = ejecutar(app);
    out().flush();
    err().flush();
    return db::TerminarPrograma(codigo);
}
