#include "data/CreacionBases.h"

#include "platform/db/ScriptRunner.h"

#include <QFile>
#include <QRegularExpression>

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
