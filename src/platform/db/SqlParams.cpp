#include "platform/db/SqlParams.h"

namespace db {

namespace {
bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}
} // namespace

TranslatedSql TranslateParams(const QString &sql)
{
    TranslatedSql out;
    QString result;
    result.reserve(sql.size());
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // quoted text: doubled quote is an escaped quote
            int j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            result += sql.mid(i, j - i + 1);
            i = j + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            int j = sql.indexOf(QLatin1Char('\n'), i);
            if (j < 0)
                j = n;
            result += sql.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            int j = sql.indexOf(QLatin1String("*/"), i + 2);
            j = j < 0 ? n : j + 2;
            result += sql.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameChar(sql[i + 1])
                   && (i == 0 || !isNameChar(sql[i - 1]))) {
            int j = i + 1;
            while (j < n && isNameChar(sql[j]))
                ++j;
            out.paramNames << sql.mid(i + 1, j - i - 1).toUpper();
            result += QLatin1Char('?');
            i = j;
        } else {
            result += c;
            ++i;
        }
    }
    out.sql = result.toStdString();
    return out;
}

} // namespace db
