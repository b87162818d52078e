#pragma once
// Committing the update transactions of several databases as one, and resolving what an
// interrupted commit left in limbo.

#include <QString>
#include <vector>

namespace db {

class Database;
class Transaction;

// Every database that takes part in a grouped commit has this table; the first member of a
// group records the group in it, so a recovery can tell "committed" from "never prepared".
inline const char *const kGroupTable = "TRANSACCIONES_2PC";
// Each member's transaction number and group, committed before the member is prepared.
inline const char *const kMembersTable = "TRANSACCIONES_2PC_MIEMBROS";

// Prepares every transaction in order, then commits them in the same order. A failed
// prepare rolls all of them back and rethrows; nothing is committed.
void CommitTwoPhase(const std::vector<Transaction *> &transactions);

struct LimboEntry {
    QString database;  // connection string of the database holding it
    std::int64_t id = 0;
    QString group;     // identifies the grouped commit
    int index = 0;     // 1-based position in the group
    int count = 0;
    enum class Decision { Commit, Rollback } decision = Decision::Rollback;
};

// Lists the transactions in limbo in `databases` and the decision the group's state implies:
// commit when the first member committed or every member is prepared, otherwise roll back.
// A group prepared less than `minAgeSeconds` ago may still be finishing in another process
// and is left out (a grouped commit takes milliseconds).
std::vector<LimboEntry> FindLimbo(const std::vector<Database *> &databases, int minAgeSeconds = 0);
// Applies those decisions; returns the entries resolved. One that another process finished
// meanwhile is skipped.
std::vector<LimboEntry> ResolveLimbo(const std::vector<Database *> &databases, int minAgeSeconds = 0);

// Deletes the bookkeeping of grouped commits older than `days` from each database that has
// nothing in limbo; returns the rows deleted.
int PurgeGroupRecords(const std::vector<Database *> &databases, int days = 7);

// How old a group must be before a workstation resolves it on its own.
inline constexpr int kLimboAgeSeconds = 60;

} // namespace db
