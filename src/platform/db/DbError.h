#pragma once
#include <QString>
#include <stdexcept>
#include <string>

namespace db {

// A database failure: Firebird's message text and its SQL code (0 when the failure is ours).
class DbError : public std::runtime_error {
public:
    DbError(const QString &message, int sqlCode = 0, long gdsCode = 0)
        : std::runtime_error(message.toStdString()), message_(message), sqlCode_(sqlCode), gdsCode_(gdsCode) {}
    const QString &message() const { return message_; }
    int sqlCode() const { return sqlCode_; }
    long gdsCode() const { return gdsCode_; }
    // Lock conflict / deadlock / update conflict.
    bool isLockConflict() const { return sqlCode_ == -913 || (sqlCode_ == -901 && message_.contains(QLatin1String("lock"))); }

private:
    QString message_;
    int sqlCode_;
    long gdsCode_;
};

} // namespace db
