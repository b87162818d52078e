#include "common/Estacion.h"

#include "platform/ArchivoIni.h"
#include "platform/ClaveSegura.h"
#include "records/ReservaEstacion.h"
#include "platform/db/Query.h"
#include "platform/db/TwoPhase.h"


UbicacionBases UbicacionBases::EnCarpeta(const QString &carpeta, const QString &servidor)
{
    UbicacionBases b;
    const QString prefijo = servidor.isEmpty() ? QString() : servidor + QLatin1Char(':');
    auto ruta = [&](const char *rol) { return prefijo + carpeta + QLatin1Char('/') + QLatin1String(rol) + QStringLiteral(".fdb"); };
    b.tienda = ruta("tienda");
    b.inventario = ruta("inventario");
    b.contabilidad = ruta("contabilidad");
    b.distribuidora = ruta("distribuidora");
    b.central = ruta("central");
    return b;
}

UbicacionBases UbicacionBases::DesdeIni(const QString &ruta, const UbicacionBases &porDefecto)
{
    const ArchivoIni ini(ruta);
    const QString s = QStringLiteral("BaseDatos");
    UbicacionBases b;
    b.tienda = ini.LeerTexto(s, QStringLiteral("Tienda"), porDefecto.tienda);
    b.inventario = ini.LeerTexto(s, QStringLiteral("Inventario"), porDefecto.inventario);
    b.contabilidad = ini.LeerTexto(s, QStringLiteral("Contabilidad"), porDefecto.contabilidad);
    b.distribuidora = ini.LeerTexto(s, QStringLiteral("Distribuidora"), porDefecto.distribuidora);
    b.central = ini.LeerTexto(s, QStringLiteral("Central"), porDefecto.central);
    b.usuario = ini.LeerTexto(s, QStringLiteral("Usuario"), porDefecto.usuario);
    b.clave = ini.LeerTexto(s, QStringLiteral("Clave"), porDefecto.clave);
    return b;
}

QString UbicacionBases::ruta(const QString &rol) const
{
    if (rol == QLatin1String("tienda"))
        return tienda;
    if (rol == QLatin1String("inventario"))
        return inventario;
    if (rol == QLatin1String("contabilidad"))
        return contabilidad;
    if (rol == QLatin1String("distribuidora"))
        return distribuidora;
    return central;
}

db::ConnectionParams UbicacionBases::conexion(const QString &rol) const
{
    db::ConnectionParams p;
    p.database = ruta(rol);
    p.user = usuario.isEmpty() ? QStringLiteral("SYSDBA") : usuario;  // the embedded engine ignores the password
    p.password = clave;
    return p;
}

Estacion::Estacion(const UbicacionBases &bases) : bases_(bases)
{
    for (db::Dataset *d : {&permisos, &config, &empresa, &cambio, &cuentas, &caja, &moneda}) {
        d->setDatabase(&tienda);
        d->setReadTransaction(&transLectura);
        d->setUpdateTransaction(&transUpdate);
    }
    for (db::Dataset *d : {&asientos, &lineasAsiento}) {
        d->setDatabase(&contabilidad);
        d->setReadTransaction(&transLecturaConta);
        d->setUpdateTransaction(&transUpdateConta);
    }
    permisos.setObjectName(QStringLiteral("DatosPermisos"));
    config.setObjectName(QStringLiteral("DatosConfig"));
    empresa.setObjectName(QStringLiteral("DatosEmpresa"));
    cambio.setObjectName(QStringLiteral("DatosCambio"));
    cuentas.setObjectName(QStringLiteral("DatosCuentas"));
    caja.setObjectName(QStringLiteral("DatosCaja"));
    moneda.setObjectName(QStringLiteral("DatosMoneda"));
    asientos.setObjectName(QStringLiteral("AsientosConta"));
    lineasAsiento.setObjectName(QStringLiteral("LineasAsientoConta"));
}

Estacion::~Estacion()
{
    reserva_.reset();
    for (db::Dataset *d : {&permisos, &config, &empresa, &cambio, &cuentas, &caja, &moneda, &asientos, &lineasAsiento})
        d->close();
}

void Estacion::AbrirBases()
{
    tienda.open(bases_.conexion(QStringLiteral("tienda")));
    inventario.open(bases_.conexion(QStringLiteral("inventario")));
    contabilidad.open(bases_.conexion(QStringLiteral("contabilidad")));
}

bool Estacion::ValidarUsuario(const QString &usuario, const QString &clave)
{
    db::Query q(&tienda, &transLectura);
    q.setSql(QStringLiteral("select CLAVE from USUARIOS where USUARIO = :u"));
    q.paramByName(QStringLiteral("u")).setAsString(usuario.toUpper());
    q.execQuery();
    const QString guardada = q.eof() ? QString() : q.field(0).asString();
    q.close();
    const VerificacionClave v = VerificarClave(clave, guardada);
    if (v.valida && v.anticuada) {
        db::Transaction t(tienda, db::TransactionKind::Update);
        try {
            GuardarClaveUsuario(tienda, t, usuario.toUpper(), GuardarClave(clave));
            t.commit();
        } catch (const std::exception &) {
            // A column not yet widened by "compras check" keeps the old form; the login stands.
            if (t.active())
                t.rollback();
        }
    }
    return v.valida;
}

bool Estacion::ReclamarEstacion(int nroCaja, const QString &computadora, int esperaSegundos)
{
    reserva_.reset();
    auto reserva = std::make_unique<ReservaEstacion>(tienda, EstacionCompra{nroCaja, computadora}, esperaSegundos);
    if (!reserva->Reclamar())
        return false;
    reserva_ = std::move(reserva);
    return true;
}

void Estacion::LiberarEstacion() { reserva_.reset(); }

QList<QPair<int, QString>> Estacion::Cajas()
{
    QList<QPair<int, QString>> out;
    db::Query q(&tienda, &transLectura);
    q.setSql(QStringLiteral("select NRO_CAJA, DESCRIPCION from CAJAS order by NRO_CAJA"));
    q.execQuery();
    while (!q.eof()) {
        out.append({q.field(0).asInteger(), q.field(1).asString()});
        q.next();
    }
    return out;
}

void Estacion::CargarRegistros(const QString &usuario, int nroCaja)
{
    usuario_ = usuario.toUpper();
    nroCaja_ = nroCaja;
    permisos.setSelectSql(QStringLiteral("select * from USUARIOS where USUARIO = :u"));
    permisos.paramByName(QStringLiteral("u")).setAsString(usuario_);
    config.setSelectSql(QStringLiteral("select * from CONFIGURACION where ID = 1"));
    empresa.setSelectSql(QStringLiteral("select * from EMPRESA where ID = 1"));
    cambio.setSelectSql(QStringLiteral("select * from TIPOS_CAMBIO where ID = 1"));
    cuentas.setSelectSql(QStringLiteral("select * from CUENTAS_CONTABLES where ID = 1"));
    caja.setSelectSql(QStringLiteral("select * from CAJAS where NRO_CAJA = :c"));
    caja.paramByName(QStringLiteral("c")).setAsInteger(nroCaja);
    moneda.setSelectSql(QStringLiteral("select * from MONEDA where ID = 1"));
    asientos.setSelectSql(QStringLiteral("select * from ASIENTOS where ID_ASIENTO = -1"));
    lineasAsiento.setSelectSql(QStringLiteral("select * from LINEAS_ASIENTO where FK_ASIENTO = -1"));
    for (db::Dataset *d : {&permisos, &config, &empresa, &cambio, &cuentas, &caja, &moneda, &asientos, &lineasAsiento})
        d->open();
}

void Estacion::ConectarModulo(ConectarBaseDatosFn conectar, ConectarContaFn conectarConta)
{
    conectar(&tienda, &transLectura, &transUpdate, &inventario, &transLecturaInv, &transUpdateInv, &permisos, &config,
             &empresa, &cambio, &cuentas, &caja, &moneda);
    conectarConta(&asientos, &lineasAsiento);
}

int Estacion::ResolverLimbo(int edadMinima)
{
    const std::vector<db::Database *> bases{&tienda, &inventario, &contabilidad};
    const int resueltas = static_cast<int>(db::ResolveLimbo(bases, edadMinima).size());
    db::PurgeGroupRecords(bases);
    return resueltas;
}
