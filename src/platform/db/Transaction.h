#pragma once
// A transaction on one attachment. Several may be active on the same Database.

#include "platform/db/Firebird.h"

#include <QByteArray>
#include <functional>
#include <set>

namespace db {

class Database;

enum class TransactionKind {
    Read,    // read committed, read only
    Update,  // read committed, record versions, wait with a lock timeout
};

class Transaction {
public:
    static constexpr int kLockTimeoutDefault = 15;
    // An update transaction waits at most `lockTimeoutSeconds` for a row another one holds
    // (the default when not positive: an unbounded wait is never asked for).
    explicit Transaction(Database &db, TransactionKind kind = TransactionKind::Update,
                         int lockTimeoutSeconds = kLockTimeoutDefault);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void start();
    void commit();
    void commitRetaining();
    void rollback();
    // First phase of a two-phase commit; `description` is stored with the transaction in limbo.
    void prepare(const QByteArray &description = QByteArray());
    bool active() const { return handle_ != nullptr; }
    bool prepared() const { return prepared_; }
    TransactionKind kind() const { return kind_; }
    Database &database() const { return db_; }
    Firebird::ITransaction *handle() const { return handle_; }
    // Starts the transaction when it is not active and returns its handle.
    Firebird::ITransaction *ensureActive();
    std::int64_t id() const;

    // Objects holding cursors on this transaction are told before it ends.
    void addEndListener(const void *owner, std::function<void()> onEnd);
    void removeEndListener(const void *owner);

private:
    void notifyEnd();

    Database &db_;
    TransactionKind kind_;
    int lockTimeout_;
    Firebird::ITransaction *handle_ = nullptr;
    bool prepared_ = false;
    std::vector<std::pair<const void *, std::function<void()>>> listeners_;
};

} // namespace db
