// compras-host: a point-of-sale host for the purchasing module.
#include "data/CreacionBases.h"
#include "common/Estacion.h"
#include "common/Instalacion.h"
#include "host/AplicacionHost.h"
#include "platform/db/Firebird.h"
#include "platform/db/Terminacion.h"
#include "platform/Mensajes.h"
#include "ui/MensajesPantalla.h"
#include "platform/VariablesHost.h"
#include "host/VentanaHost.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QSysInfo>

namespace {

QString carpetaDatos()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/compras");
}

QString archivoAjustes()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/compras/compras-host.ini");
}

// Creates the embedded demo databases the first time.
bool crearBasesDemo(const UbicacionBases &bases)
{
    QStringList faltan;
    for (const QString &rol : RolesBases()) {
        const QString ruta = bases.ruta(rol);
        if (ruta.contains(QLatin1Char(':')))
            return true;  // on a server: created by its administrator (compras init --servidor)
        if (!QFileInfo::exists(ruta))
            faltan << rol;
    }
    if (faltan.isEmpty())
        return true;
    QProgressDialog progreso(QStringLiteral("Creando las bases de datos de demostración..."), QString(), 0,
                             static_cast<int>(faltan.size()));
    progreso.setWindowTitle(QStringLiteral("Primer inicio"));
    progreso.setMinimumDuration(0);
    progreso.setValue(0);
    for (int i = 0; i < faltan.size(); ++i) {
        QDir().mkpath(QFileInfo(bases.ruta(faltan[i])).absolutePath());
        CrearBase(bases.conexion(faltan[i]), faltan[i], true);
        progreso.setValue(i + 1);
        QApplication::processEvents();
    }
    return true;
}

const char *const kAyuda =
    "Uso: compras-host [OPCIÓN]\n"
    "\n"
    "Abre el punto de venta con el módulo de compras: ingreso del usuario y la caja, y las ventanas\n"
    "de compras, pedidos, consignaciones, notas de crédito y catálogos.\n"
    "\n"
    "La primera vez crea las bases de demostración en ${XDG_DATA_HOME:-~/.local/share}/compras\n"
    "(usuarios ADMIN, clave admin, y CAJERO, clave cajero). Las bases de un servidor se indican en\n"
    "${XDG_CONFIG_HOME:-~/.config}/compras/compras-host.ini, sección [BaseDatos].\n"
    "\n"
    "Opciones:\n"
    "  -h, --help     muestra esta ayuda y termina\n"
    "  -v, --version  muestra la versión y termina\n";

int correr(AplicacionHost &app)
{
    const QString datos = carpetaDatos();
    const UbicacionBases bases = UbicacionBases::DesdeIni(archivoAjustes(), UbicacionBases::EnCarpeta(datos));
    try {
        crearBasesDemo(bases);
    } catch (const std::exception &e) {
        mensajes().Error(QStringLiteral("No se pudieron crear las bases de datos:\n%1").arg(QString::fromUtf8(e.what())));
        return 1;
    }

    Estacion estacion(bases);
    try {
        estacion.AbrirBases();
        const int resueltas = estacion.ResolverLimbo();
        if (resueltas > 0)
            mensajes().Advertencia(
                QStringLiteral("Se completaron %1 transacciones que quedaron pendientes por una interrupción.").arg(resueltas));
    } catch (const std::exception &e) {
        mensajes().Error(QStringLiteral("No se pudo conectar con las bases de datos:\n%1").arg(QString::fromUtf8(e.what())));
        return 1;
    }

    DialogoIngreso ingreso(estacion);
    if (ingreso.exec() != QDialog::Accepted)
        return 0;

    const RutasPrograma rutas = ResolverRutas(QCoreApplication::applicationDirPath());
    QLibrary modulo(rutas.modulo);
    if (!modulo.load()) {
        mensajes().Error(QStringLiteral("No se pudo cargar el módulo de compras:\n%1").arg(modulo.errorString()));
        return 1;
    }
    auto conectar = reinterpret_cast<ConectarBaseDatosFn>(modulo.resolve("ConectarBaseDatos"));
    auto conectarConta = reinterpret_cast<ConectarContaFn>(modulo.resolve("ConectarConta"));
    if (!conectar || !conectarConta) {
        mensajes().Error(QStringLiteral("El módulo de compras no tiene los puntos de entrada esperados."));
        return 1;
    }

    CargarVariable(QStringLiteral("vUsuario"), ingreso.usuario());
    // The head-office import falls back to this database when iniGestionCentral.ini names none.
    CargarVariable(QStringLiteral("BaseCentral"), estacion.bases().ruta(QStringLiteral("central")));
    if (VerVariable(QStringLiteral("ComputerName")).isEmpty())
        CargarVariable(QStringLiteral("ComputerName"), QSysInfo::machineHostName().toUpper());
    QStringList fallidas;
    CargarVariable(QStringLiteral("PathReportes"),
                   InstalarPlantillas(rutas.plantillas, datos + QStringLiteral("/reportes"), &fallidas));
    if (!fallidas.isEmpty())
        mensajes().Advertencia(QStringLiteral("No se pudieron copiar estas plantillas de reportes en %1 (se usan las "
                                              "anteriores, si las hay):\n%2")
                                   .arg(QDir::toNativeSeparators(datos + QStringLiteral("/reportes")), fallidas.join(QLatin1Char('\n'))));
    for (const QString &b : BanderasVentanas())
        CargarVariable(b, QStringLiteral("N"));
    try {
        estacion.CargarRegistros(ingreso.usuario(), ingreso.caja());
        // Another program on this station would share its unfinished document.
        if (!estacion.ReclamarEstacion(ingreso.caja(), VerVariable(QStringLiteral("ComputerName")), 5)) {
            mensajes().Error(QStringLiteral("La estación %1 (caja %2) está en uso por otro programa de compras. "
                                            "Ciérrelo o elija otra caja.")
                                 .arg(VerVariable(QStringLiteral("ComputerName")))
                                 .arg(ingreso.caja()));
            return 1;
        }
        estacion.ConectarModulo(conectar, conectarConta);
    } catch (const std::exception &e) {
        mensajes().Error(QStringLiteral("No se pudo iniciar el módulo de compras:\n%1").arg(QString::fromUtf8(e.what())));
        return 1;
    }

    VentanaHost ventana(estacion, modulo);
    ventana.show();
    return app.exec();
}

} // namespace

int main(int argc, char **argv)
{
    // Answered before anything needs a display or the engine.
    if (AtenderAyudaOVersion(argc, argv, QStringLiteral("compras-host"), QString::fromUtf8(kAyuda)))
        return 0;
    AplicacionHost app(argc, argv);
    InstalarMensajesPantalla();
    app.InstalarTraduccionQt();
    QApplication::setApplicationName(QStringLiteral("compras-host"));
    db::PrepararMotorFirebird();
    // SIGTERM / SIGINT close the windows and the attachments; after 5 s the engine is stopped anyway.
    app.ManejarTerminacion();
    const int codigo = correr(app);  // windows, module and attachments are gone on return
    return db::TerminarPrograma(codigo);
}
