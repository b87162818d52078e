#include "platform/db/Transaction.h"

#include "platform/db/Database.h"
#include "platform/db/Interfaz.h"

#include <algorithm>
#include <ibase.h>

using namespace Firebird;

namespace db {

Transaction::Transaction(Database &db, TransactionKind kind, int lockTimeoutSeconds)
    : db_(db), kind_(kind), lockTimeout_(lockTimeoutSeconds)
{
}

Transaction::~Transaction()
{
    if (handle_) {
        try {
            rollback();
        } catch (...) {
        }
    }
}

void Transaction::start()
{
    if (handle_)
        return;
    Status st;
    try {
        Interfaz<IXpbBuilder> tpb(util()->getXpbBuilder(&st, IXpbBuilder::TPB, nullptr, 0));
        tpb->insertTag(&st, isc_tpb_read_committed);
        tpb->insertTag(&st, isc_tpb_rec_version);
        if (kind_ == TransactionKind::Read) {
            tpb->insertTag(&st, isc_tpb_read);
            tpb->insertTag(&st, isc_tpb_nowait);
        } else {
            tpb->insertTag(&st, isc_tpb_write);
            tpb->insertTag(&st, isc_tpb_wait);
            // A lock wait always ends: a station holding the row forever must not hold us forever.
            tpb->insertInt(&st, isc_tpb_lock_timeout, lockTimeout_ > 0 ? lockTimeout_ : kLockTimeoutDefault);
        }
        handle_ = db_.attachment()->startTransaction(&st, tpb->getBufferLength(&st), tpb->getBuffer(&st));
        prepared_ = false;
    } catch (const FbException &e) {
        rethrow(e);
    }
}

ITransaction *Transaction::ensureActive()
{
    if (!handle_)
        start();
    return handle_;
}

void Transaction::notifyEnd()
{
    auto copy = listeners_;
    for (auto &[owner, fn] : copy)
        fn();
}

void Transaction::commit()
{
    if (!handle_)
        return;
    notifyEnd();
    Status st;
    try {
        handle_->commit(&st);
        handle_ = nullptr;
        prepared_ = false;
    } catch (const FbException &e) {
        rethrow(e);
    }
}

void Transaction::commitRetaining()
{
    if (!handle_)
        return;
    Status st;
    try {
        handle_->commitRetaining(&st);
    } catch (const FbException &e) {
        rethrow(e);
    }
}

void Transaction::rollback()
{
    if (!handle_)
        return;
    notifyEnd();
    Status st;
    try {
        handle_->rollback(&st);
        handle_ = nullptr;
        prepared_ = false;
    } catch (const FbException &e) {
        // The handle is unusable after a failed rollback (lost connection); drop it.
        handle_->release();
        handle_ = nullptr;
        prepared_ = false;
        rethrow(e);
    }
}

void Transaction::prepare(const QByteArray &description)
{
    if (!handle_)
        throw DbError(QStringLiteral("No hay transacción activa para preparar"));
    Status st;
    try {
        handle_->prepare(&st, static_cast<unsigned>(description.size()),
                         reinterpret_cast<const unsigned char *>(description.constData()));
        prepared_ = true;
    } catch (const FbException &e) {
        rethrow(e);
    }
}

std::int64_t Transaction::id() const
{
    if (!handle_)
        return 0;
    Status st;
    const unsigned char items[] = {isc_info_tra_id, isc_info_end};
    unsigned char buf[32] = {};
    try {
        handle_->getInfo(&st, sizeof items, items, sizeof buf, buf);
    } catch (const FbException &e) {
        rethrow(e);
    }
    if (buf[0] != isc_info_tra_id)
        return 0;
    const int len = isc_portable_integer(buf + 1, 2);
    return isc_portable_integer(buf + 3, static_cast<short>(len));
}

void Transaction::addEndListener(const void *owner, std::function<void()> onEnd)
{
    removeEndListener(owner);
    listeners_.emplace_back(owner, std::move(onEnd));
}

void Transaction::removeEndListener(const void *owner)
{
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(), [owner](auto &p) { return p.first == owner; }),
                     listeners_.end());
}

} // namespace db
