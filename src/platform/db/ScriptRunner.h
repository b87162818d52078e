#pragma once
// Runs SQL scripts: statements end with the current terminator (";" unless SET TERM changes it),
// "--" and "/* */" comments are skipped, COMMIT commits. Each DDL statement is committed at once.

#include <QString>
#include <QStringList>

namespace db {

class Database;

QStringList SplitScript(const QString &script);
// Throws DbError naming the statement that failed.
void RunScript(Database &db, const QString &script, const QString &name = QString());
void RunScriptFile(Database &db, const QString &path);

} // namespace db
