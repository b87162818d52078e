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
// The engine folder lives in the shared temporary directory: it is created with mode 0700 and
// refused when it belongs to another user or is not a folder.
void PrepararMotorFirebird();
// Creates `ruta` as a folder only this user can enter (0700), or accepts it when it already is
// one of this user's, tightening its mode. Refuses links, files and other users' folders,
// with the reason in `error`.
bool CarpetaPrivada(const QString &ruta, QString *error = nullptr);
// Throws DbError when the engine folder was refused. Every attachment calls it.
void VerificarMotorFirebird();

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
