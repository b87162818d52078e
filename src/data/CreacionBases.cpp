#include "data/CreacionBases.h"

#include "platform/db/Query.h"
#include "platform/db/ScriptRunner.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

const QStringList &RolesBases()
{
    static const QStringList roles{QStringLiteral("tienda"), QStringLiteral("inventario"),
                                   QStringLiteral("contabilidad"), QStringLiteral("distribuidora"),
                                   QStringLiteral("central")};
    return roles;
}

QString ScriptEsquema(const QString &nombre)
{
    QFile f(QStringLiteral(":/schema/%1.sql").arg(nombre));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

void CrearBase(const db::ConnectionParams &conexion, const QString &rol, bool demo)
{
    const QString esquema = ScriptEsquema(rol);
    if (esquema.isEmpty())
        throw db::DbError(QStringLiteral("No hay esquema para la base %1").arg(rol));
    db::Database base;
    base.create(conexion);
    db::RunScript(base, esquema, rol + QStringLiteral(".sql"));
    const QString busqueda = ScriptEsquema(rol + QStringLiteral("_busqueda"));
    if (!busqueda.isEmpty())
        db::RunScript(base, busqueda, rol + QStringLiteral("_busqueda.sql"));
    if (demo) {
        const QString datos = ScriptEsquema(rol + QStringLiteral("_demo"));
        if (!datos.isEmpty()) {
            db::RunScript(base, datos, rol + QStringLiteral("_demo.sql"));
            db::RunScript(base, ScriptEsquema(QStringLiteral("identidades")), QStringLiteral("identidades.sql"));
        }
    }
    base.close();
}

QStringList TablasEsperadas(const QString &rol)
{
    static const QRegularExpression create(QStringLiteral("CREATE\\s+TABLE\\s+\"?(\\w+)\"?"),
                                           QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    auto it = create.globalMatch(ScriptEsquema(rol));
    while (it.hasNext())
        out << it.next().captured(1).toUpper();
    return out;
}

namespace {

bool ExisteTabla(db::Database &base, db::Transaction &t, const QString &tabla)
{
    db::Query q(&base, &t);
    q.setSql(QStringLiteral("select 1 from RDB$RELATIONS where RDB$RELATION_NAME = :n"));
    q.paramByName(QStringLiteral("n")).setAsString(tabla);
    q.execQuery();
    const bool existe = !q.eof();
    q.close();
    return existe;
}

int Contar(db::Database &base, db::Transaction &t, const QString &sql)
{
    db::Query q(&base, &t);
    q.setSql(sql);
    q.execQuery();
    const int n = q.field(0).asInteger();
    q.close();
    return n;
}

// Drops the article search's objects of the round-robin layout that exist, dependants first.
void BorrarBusquedaAnterior(db::Database &base)
{
    struct Objeto {
        const char *clase, *nombre, *catalogo, *campo;
    };
    static const Objeto objetos[] = {
        {"trigger", "INVENTARIO_BUSQUEDA_AI", "RDB$TRIGGERS", "RDB$TRIGGER_NAME"},
        {"trigger", "INVENTARIO_BUSQUEDA_AU", "RDB$TRIGGERS", "RDB$TRIGGER_NAME"},
        {"trigger", "INVENTARIO_BUSQUEDA_AD", "RDB$TRIGGERS", "RDB$TRIGGER_NAME"},
        {"procedure", "INV_REHACER_BUSQUEDA", "RDB$PROCEDURES", "RDB$PROCEDURE_NAME"},
        {"procedure", "INV_REHACER_BLOQUE", "RDB$PROCEDURES", "RDB$PROCEDURE_NAME"},
        {"function", "INV_TEXTO_BUSQUEDA", "RDB$FUNCTIONS", "RDB$FUNCTION_NAME"},
        {"table", "INV_BUSQUEDA_BLOQUES", "RDB$RELATIONS", "RDB$RELATION_NAME"},
        {"table", "INV_BUSQUEDA", "RDB$RELATIONS", "RDB$RELATION_NAME"},
        {"sequence", "GEN_INV_BUSQUEDA", "RDB$GENERATORS", "RDB$GENERATOR_NAME"},
    };
    for (const Objeto &o : objetos) {
        db::Transaction t(base, db::TransactionKind::Update);
        const int existe = Contar(base, t, QStringLiteral("select count(*) from %1 where %2 = '%3'")
                                               .arg(QLatin1String(o.catalogo), QLatin1String(o.campo), QLatin1String(o.nombre)));
        if (existe)
            base.executeImmediate(t, QStringLiteral("drop %1 %2").arg(QLatin1String(o.clase), QLatin1String(o.nombre)));
        t.commit();
    }
}

int LargoColumna(db::Database &base, db::Transaction &t, const QString &tabla, const QString &columna)
{
    db::Query q(&base, &t);
    q.setSql(QStringLiteral("select f.RDB$CHARACTER_LENGTH from RDB$RELATION_FIELDS r "
                            "join RDB$FIELDS f on f.RDB$FIELD_NAME = r.RDB$FIELD_SOURCE "
                            "where r.RDB$RELATION_NAME = :t and r.RDB$FIELD_NAME = :c"));
    q.paramByName(QStringLiteral("t")).setAsString(tabla);
    q.paramByName(QStringLiteral("c")).setAsString(columna);
    q.execQuery();
    const int largo = q.eof() ? -1 : q.field(0).asInteger();
    q.close();
    return largo;
}

// The CREATE TABLE statement of `tabla` in the role's script.
QString CreacionDeTabla(const QString &rol, const QString &tabla)
{
    const QRegularExpression re(QStringLiteral("CREATE\\s+TABLE\\s+%1\\s*\\(.*?\\n\\);").arg(tabla),
                                QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(ScriptEsquema(rol));
    return m.hasMatch() ? m.captured(0).chopped(1) : QString();
}

// The tables of the role's script that `base` lacks, created from that script, each committed.
void CrearTablasFaltantes(db::Database &base, const QString &rol, const QStringList &tablas, QStringList &cambios)
{
    db::Transaction t(base, db::TransactionKind::Update);
    for (const QString &tabla : tablas) {
        const QString ddlTexto = CreacionDeTabla(rol, tabla);
        if (ddlTexto.isEmpty() || ExisteTabla(base, t, tabla))
            continue;
        db::Query ddl(&base, &t);
        ddl.setSql(ddlTexto);
        ddl.execQuery();
        t.commit();
        cambios << QStringLiteral("Creada la tabla %1").arg(tabla);
    }
    if (t.active())
        t.commit();
}

} // namespace

QStringList ActualizarEsquema(db::Database &base, const QString &rol)
{
    QStringList cambios;
    // The bookkeeping of grouped commits, in every database that takes part in one.
    CrearTablasFaltantes(base, rol, {QString::fromLatin1(db::kGroupTable), QString::fromLatin1(db::kMembersTable)}, cambios);
    if (rol == QLatin1String("inventario")) {
        bool falta = false, anterior = false, rehacer = false;
        {
            db::Transaction t(base, db::TransactionKind::Read);
            falta = !ExisteTabla(base, t, QStringLiteral("INV_BUSQUEDA_BLOQUES"));
            // Blocks dealt round-robin, before the blocks by name.
            anterior = !falta && !ExisteTabla(base, t, QStringLiteral("INV_BUSQUEDA_AGREGADOS"));
            // Many texts added since the blocks were cut: each search reads them one by one.
            rehacer = !falta && !anterior &&
                      Contar(base, t, QStringLiteral("select count(*) from INV_BUSQUEDA_AGREGADOS")) >
                          std::max(1000, Contar(base, t, QStringLiteral("select count(*) from INV_BUSQUEDA")) / 10);
            t.commit();
        }
        if (anterior)
            BorrarBusquedaAnterior(base);
        if (falta || anterior)
            db::RunScript(base, ScriptEsquema(QStringLiteral("inventario_busqueda")), QStringLiteral("inventario_busqueda.sql"));
        if (falta || anterior || rehacer)
            db::RunScript(base, QStringLiteral("execute procedure INV_REHACER_BUSQUEDA;\ncommit;\n"));
        if (falta)
            cambios << QStringLiteral("Creados los textos de búsqueda de artículos (INV_BUSQUEDA)");
        else if (anterior)
            cambios << QStringLiteral("Rehechos los textos de búsqueda de artículos en bloques por nombre (INV_BUSQUEDA)");
        else if (rehacer)
            cambios << QStringLiteral("Reagrupados los textos de búsqueda de artículos agregados (INV_BUSQUEDA_AGREGADOS)");
        return cambios;
    }
    if (rol != QLatin1String("tienda"))
        return cambios;
    CrearTablasFaltantes(base, rol, {QStringLiteral("ESTACIONES_EN_USO")}, cambios);
    db::Transaction t(base, db::TransactionKind::Update);
    const int largo = LargoColumna(base, t, QStringLiteral("USUARIOS"), QStringLiteral("CLAVE"));
    if (largo > 0 && largo < 128) {
        db::Query ddl(&base, &t);
        ddl.setSql(QStringLiteral("alter table USUARIOS alter column CLAVE type varchar(128)"));
        ddl.execQuery();
        t.commit();
        cambios << QStringLiteral("Ampliada la columna USUARIOS.CLAVE a 128 caracteres");
    }
    if (LargoColumna(base, t, QStringLiteral("TEMPORAL_ENC_COMPRA"), QStringLiteral("NRO_PEDIDO")) < 0) {
        for (const char *ddlTexto : {"alter table TEMPORAL_ENC_COMPRA add NRO_PEDIDO varchar(12)",
                                     "create index IX_TEC_PEDIDO on TEMPORAL_ENC_COMPRA (NRO_PEDIDO)"}) {
            db::Query ddl(&base, &t);
            ddl.setSql(QString::fromLatin1(ddlTexto));
            ddl.execQuery();
            t.commit();
        }
        cambios << QStringLiteral("Agregada la columna TEMPORAL_ENC_COMPRA.NRO_PEDIDO (pedido cargado en el comprobante)");
    }
    if (t.active())
        t.commit();
    return cambios;
}
