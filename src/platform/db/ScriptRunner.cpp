#include "platform/db/ScriptRunner.h"

#include "platform/db/Database.h"
#include "platform/db/Transaction.h"

#include <QFile>
#include <QRegularExpression>

namespace db {

QStringList SplitScript(const QString &script)
{
    QStringList out;
    QString term = QStringLiteral(";");
    QString current;
    const int n = script.size();
    int i = 0;
    auto flush = [&] {
        const QString s = current.trimmed();
        current.clear();
        if (s.isEmpty())
            return;
        static const QRegularExpression setTerm(QStringLiteral("^SET\\s+TERM\\s+(\\S+)\\s*$"),
                                                QRegularExpression::CaseInsensitiveOption);
        const auto m = setTerm.match(s);
        if (m.hasMatch()) {
            term = m.captured(1);
            return;
        }
        out << s;
    };
    while (i < n) {
        const QChar c = script[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            int j = i + 1;
            while (j < n && !(script[j] == c && !(j + 1 < n && script[j + 1] == c)))
                j += (script[j] == c) ? 2 : 1;
            current += script.mid(i, j - i + 1);
            i = j + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && script[i + 1] == QLatin1Char('-')) {
            int j = script.indexOf(QLatin1Char('\n'), i);
            i = j < 0 ? n : j;
        } else if (c == QLatin1Char('/') && i + 1 < n && script[i + 1] == QLatin1Char('*')) {
            int j = script.indexOf(QLatin1String("*/"), i + 2);
            current += QLatin1Char(' ');
            i = j < 0 ? n : j + 2;
        } else if (script.mid(i, term.size()) == term) {
            flush();
            i += term.size();
        } else {
            current += c;
            ++i;
        }
    }
    flush();
    return out;
}

void RunScript(Database &db, const QString &script, const QString &name)
{
    static const QRegularExpression ddl(QStringLiteral("^(CREATE|ALTER|DROP|RECREATE|SET\\s+GENERATOR|COMMENT|GRANT|DECLARE)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression commit(QStringLiteral("^COMMIT(\\s+WORK)?$"), QRegularExpression::CaseInsensitiveOption);
    Transaction tx(db, TransactionKind::Update);
    for (const QString &stmt : SplitScript(script)) {
        if (commit.match(stmt).hasMatch()) {
            tx.commit();
            continue;
        }
        try {
            db.executeImmediate(tx, stmt);
        } catch (const DbError &e) {
            tx.rollback();
            throw DbError(QStringLiteral("%1: %2\n%3").arg(name, e.message(), stmt.left(300)), e.sqlCode(), e.gdsCode());
        }
        if (ddl.match(stmt).hasMatch())
            tx.commit();
    }
    tx.commit();
}

void RunScriptFile(Database &db, const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("No se pudo leer el archivo %1").arg(path));
    RunScript(db, QString::fromUtf8(f.readAll()), path);
}

} // namespace db
