#pragma once
#include "platform/ErrorCompras.h"

#include <QString>

namespace db {

// A database failure: Firebird's message text and its SQL code (0 when the failure is ours).
class DbError : public ErrorCompras {
public:
    DbError(const QString &message, int sqlCode = 0, long gdsCode = 0)
        : ErrorCompras(message), sqlCode_(sqlCode), gdsCode_(gdsCode) {}
    const QString &message() const { return mensaje(); }
    int sqlCode() const { return sqlCode_; }
    long gdsCode() const { return gdsCode_; }
    // Lock conflict / deadlock / update conflict.
    bool isLockConflict() const
    {
        return sqlCode_ == -913 || gdsCode_ == 335544345L /* lock_conflict */ || gdsCode_ == 335544510L /* lock_timeout */
            || (sqlCode_ == -901 && mensaje().contains(QLatin1String("lock")));
    }

private:
    int sqlCode_;
    long gdsCode_;
};

} // namespace db
