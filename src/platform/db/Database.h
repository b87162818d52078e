#pragma once
// A Firebird attachment with its cache of prepared statements.

#include "platform/db/Firebird.h"

#include <QString>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace db {

class Transaction;

// Seconds an attach may wait before it gives up with an error (COMPRAS_ESPERA_CONEXION, 20 by default).
int EsperaConexionSegundos();
// True once an attach was given up while still waiting inside the engine: the program should end
// with _exit, as a normal exit would wait for it.
bool ConexionAbandonada();
// Records that a call was left waiting inside the engine (see ConexionAbandonada()).
void MarcarConexionAbandonada();
// Asks the engine to cancel what every open database of the process is running (the call
// running fails with an error, so its transaction unwinds); returns how many were asked.
int CancelarOperaciones();

struct ConnectionParams {
    QString database;   // a file path (embedded engine) or "host:path" / "host/port:path" (server)
    QString user;       // from configuration; the embedded engine accepts any name
    QString password;
    QString role;
    QString charset = QStringLiteral("UTF8");
    int esperaSegundos = 0;  // attach time limit; 0: EsperaConexionSegundos()

    int espera() const;

    bool isRemote() const;
};

// One prepared statement with its message layouts. Owned by the cache of its database.
struct PreparedStatement {
    Firebird::IStatement *statement = nullptr;
    Firebird::IMessageMetadata *input = nullptr;
    Firebird::IMessageMetadata *output = nullptr;
    unsigned type = 0;       // isc_info_sql_stmt_*
    unsigned inputLength = 0;
    unsigned outputLength = 0;
    bool inUse = false;
    std::string sql;
};

class Database {
public:
    Database();
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    void open(const ConnectionParams &params);
    void close();
    bool connected() const { return attachment_ != nullptr; }
    const ConnectionParams &params() const { return params_; }
    Firebird::IAttachment *attachment() const;

    // Creates a new empty database (UTF8, dialect 3) and leaves this object attached to it.
    void create(const ConnectionParams &params, int pageSize = 8192);
    // Drops the attached database file.
    void drop();

    // Runs one statement without parameters or result (DDL, SET GENERATOR ...) in `tx`.
    void executeImmediate(Transaction &tx, const QString &sql);

    // Prepared statements are cached per SQL text; a statement in use is never handed out twice.
    PreparedStatement *acquireStatement(Transaction &tx, const std::string &sql);
    void releaseStatement(PreparedStatement *stmt);
    std::size_t cachedStatementCount() const;

private:
    void freeStatements();

    ConnectionParams params_;
    Firebird::IAttachment *attachment_ = nullptr;
    std::multimap<std::string, std::unique_ptr<PreparedStatement>> cache_;
    mutable std::mutex cacheMutex_;
};

} // namespace db
