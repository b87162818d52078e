#pragma once
// Translation of ":name" parameters into positional ones.

#include <QString>
#include <QStringList>
#include <string>

namespace db {

struct TranslatedSql {
    std::string sql;         // with "?" in place of each ":name"
    QStringList paramNames;  // one per "?", in order (a name may repeat); upper-cased
};

// Skips quoted strings, quoted identifiers and comments. A parameter name is letters,
// digits, "_" and "$" after a colon that does not follow another name character.
TranslatedSql TranslateParams(const QString &sql);

} // namespace db
