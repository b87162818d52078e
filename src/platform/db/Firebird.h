#pragma once
// Access to the Firebird client library shared by the db layer.
#include <firebird/Interface.h>

#include "platform/db/DbError.h"

namespace db {

Firebird::IMaster *master();
Firebird::IUtil *util();
Firebird::IProvider *provider();

// Points the client library at a private configuration that runs the embedded engine
// as SuperClassic, so several processes can open one database file. Must run before
// the first attachment; repeated calls do nothing. Honours FIREBIRD and FIREBIRD_LOCK
// when the caller already set them.
void PrepararMotorFirebird();

// Status wrapper that turns a Firebird error into DbError.
class Status {
public:
    Status();
    ~Status();
    Firebird::ThrowStatusWrapper *operator&() { return &wrapper_; }
    Firebird::ThrowStatusWrapper *get() { return &wrapper_; }

private:
    Firebird::IStatus *status_;
    Firebird::ThrowStatusWrapper wrapper_;
};

// Converts a caught FbException into DbError (the status must be read before the exception dies).
[[noreturn]] void rethrow(const Firebird::FbException &e, const QString &context = QString());

} // namespace db
