#include "support/EntornoPrueba.h"

#include "platform/db/Query.h"
#include "platform/VariablesHost.h"

namespace {
Estacion *prepararEstacion(const testsupport::ScratchDir &carpeta)
{
    for (const char *rol : {"tienda", "inventario", "contabilidad", "distribuidora", "central"})
        testsupport::CopyTemplate(QString::fromLatin1(rol) + QStringLiteral(".fdb"), carpeta.path());
    return new Estacion(UbicacionBases::EnCarpeta(carpeta.path()));
}
} // namespace

EntornoPrueba::EntornoPrueba(const QString &usuario, int nroCaja)
    : estacion(prepararEstacion(carpeta)), tienda(estacion->tienda), inventario(estacion->inventario),
      contabilidad(estacion->contabilidad), transLectura(estacion->transLectura), transUpdate(estacion->transUpdate),
      transLecturaInv(estacion->transLecturaInv), transUpdateInv(estacion->transUpdateInv)
{
    qputenv("COMPRAS_INI_DIR", carpeta.path().toLocal8Bit());
    CargarVariable(QStringLiteral("PathReportes"), carpeta.path() + QLatin1Char('/'));
    CargarVariable(QStringLiteral("ComputerName"), QStringLiteral("PRUEBA"));
    CargarVariable(QStringLiteral("vUsuario"), usuario);
    estacion->AbrirBases();
    estacion->CargarRegistros(usuario, nroCaja);
    estacion->ConectarModulo(&ConectarBaseDatos, &ConectarConta);
    datos = FDatosComp;
}

EntornoPrueba::~EntornoPrueba()
{
    delete FDatosComp;
    FDatosComp = nullptr;
}

QString EntornoPrueba::RutaBase(const QString &rol) const
{
    return estacion->bases().ruta(rol);
}

std::unique_ptr<ConexionExtra> EntornoPrueba::AbrirConexion() const
{
    auto c = std::make_unique<ConexionExtra>();
    c->tienda.open(estacion->bases().conexion(QStringLiteral("tienda")));
    c->inventario.open(estacion->bases().conexion(QStringLiteral("inventario")));
    c->contabilidad.open(estacion->bases().conexion(QStringLiteral("contabilidad")));
    return c;
}

void EntornoPrueba::Ejecutar(db::Database &base, const QString &sql)
{
    db::Transaction t(base);
    db::Query q(&base, &t);
    q.setSql(sql);
    q.execQuery();
    q.close();
    t.commit();
}

namespace {
db::Value primerValor(db::Database &base, const QString &sql)
{
    db::Transaction t(base, db::TransactionKind::Read);
    db::Query q(&base, &t);
    q.setSql(sql);
    q.execQuery();
    db::Value v = q.eof() ? db::Value() : q.row().at(0);
    q.close();
    t.commit();
    return v;
}
} // namespace

int EntornoPrueba::Entero(db::Database &base, const QString &sql)
{
    return primerValor(base, sql).asInteger();
}

QString EntornoPrueba::Texto(db::Database &base, const QString &sql)
{
    return primerValor(base, sql).asString();
}

Currency EntornoPrueba::Moneda(db::Database &base, const QString &sql)
{
    return primerValor(base, sql).asCurrency();
}

double EntornoPrueba::Real(db::Database &base, const QString &sql)
{
    return primerValor(base, sql).asFloat();
}

QString EntornoPrueba::Volcado(db::Database &base)
{
    db::Transaction t(base, db::TransactionKind::Read);
    db::Query tablas(&base, &t);
    tablas.setSql(QStringLiteral("select trim(rdb$relation_name) from rdb$relations "
                                 "where coalesce(rdb$system_flag, 0) = 0 and rdb$view_blr is null order by 1"));
    tablas.execQuery();
    QStringList nombres;
    while (!tablas.eof()) {
        nombres << tablas.field(0).asString();
        tablas.next();
    }
    QString out;
    db::Query q(&base, &t);
    for (const QString &tabla : nombres) {
        if (tabla.startsWith(QLatin1String("TRANSACCIONES_2PC")))
            continue;  // grouped-commit bookkeeping
        q.setSql(QStringLiteral("select * from \"%1\" order by 1").arg(tabla));
        q.execQuery();
        out += QStringLiteral("== %1\n").arg(tabla) + Filas(q);
    }
    t.commit();
    return out;
}

QString EntornoPrueba::Filas(db::Query &q)
{
    QString out;
    while (!q.eof()) {
        QStringList campos;
        for (const db::Value &v : q.row())
            campos << v.asString();
        out += campos.join(QLatin1Char('|')) + QLatin1Char('\n');
        q.next();
    }
    return out;
}
