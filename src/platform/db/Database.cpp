#include "platform/db/Database.h"

#include "platform/db/Interfaz.h"
#include "platform/db/Terminacion.h"
#include "platform/db/LimiteEspera.h"
#include "platform/db/Transaction.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ibase.h>
#include <optional>
#include <set>
#include <thread>

using namespace Firebird;

namespace db {

bool ConnectionParams::isRemote() const
{
    // "C:..." style drive letters do not occur here; a colon before the first slash names a host.
    const int colon = database.indexOf(QLatin1Char(':'));
    const int slash = database.indexOf(QLatin1Char('/'));
    return colon > 0 && (slash < 0 || colon < slash || database.startsWith(QLatin1String("inet")));
}

namespace {
IXpbBuilder *makeDpb(Status &st, const ConnectionParams &p, bool creating, int pageSize)
{
    Interfaz<IXpbBuilder> dpb(util()->getXpbBuilder(&st, IXpbBuilder::DPB, nullptr, 0));
    if (!p.user.isEmpty())
        dpb->insertString(&st, isc_dpb_user_name, p.user.toUtf8().constData());
    if (!p.password.isEmpty())
        dpb->insertString(&st, isc_dpb_password, p.password.toUtf8().constData());
    if (!p.role.isEmpty())
        dpb->insertString(&st, isc_dpb_sql_role_name, p.role.toUtf8().constData());
    dpb->insertString(&st, isc_dpb_lc_ctype, p.charset.toUtf8().constData());
    if (p.isRemote())
        dpb->insertInt(&st, isc_dpb_connect_timeout, p.espera());
    if (creating) {
        dpb->insertInt(&st, isc_dpb_page_size, pageSize);
        dpb->insertInt(&st, isc_dpb_sql_dialect, 3);
        dpb->insertString(&st, isc_dpb_set_db_charset, "UTF8");
    }
    return dpb.soltar();
}

std::atomic<bool> conexionAbandonada{false};

// Open databases, for cancelling their work from another thread.
std::mutex abiertasMutex;
std::set<Database *> abiertas;

// Attaches (or creates) on a helper thread and waits for it at most EsperaConexionSegundos():
// nothing interrupts a wait inside the engine, so a hung attach is left behind on its thread
// (detached if it ever completes) and the caller gets an error instead.
IAttachment *conectarConLimite(const ConnectionParams &params, bool creating, int pageSize, const QString &contexto)
{
    VerificarMotorFirebird();
    struct Intento {
        std::mutex m;
        std::condition_variable cv;
        bool listo = false;
        bool abandonado = false;
        IAttachment *attachment = nullptr;
        std::optional<DbError> error;
    };
    auto intento = std::make_shared<Intento>();
    std::thread([intento, params, creating, pageSize, contexto] {
        Interfaz<IAttachment> att;
        std::optional<DbError> error;
        try {
            Status st;
            try {
                Interfaz<IXpbBuilder> dpb(makeDpb(st, params, creating, pageSize));
                const QByteArray path = params.database.toLocal8Bit();
                const unsigned len = dpb->getBufferLength(&st);
                const unsigned char *buf = dpb->getBuffer(&st);
                att.reset(creating ? provider()->createDatabase(&st, path.constData(), len, buf)
                                   : provider()->attachDatabase(&st, path.constData(), len, buf));
            } catch (const FbException &e) {
                rethrow(e, contexto);
            }
        } catch (const DbError &e) {
            error = e;
        } catch (const std::exception &e) {
            error = DbError(contexto + QStringLiteral(": ") + QString::fromUtf8(e.what()));
        }
        std::lock_guard lock(intento->m);
        if (intento->abandonado) {
            if (att) {
                try {
                    Status st;
                    att->detach(&st);
                    att.soltar();
                } catch (const FbException &) {
                }
            }
            return;
        }
        intento->attachment = att.soltar();
        intento->error = std::move(error);
        intento->listo = true;
        intento->cv.notify_all();
    }).detach();

    const int limite = params.espera();
    std::unique_lock lock(intento->m);
    if (!intento->cv.wait_for(lock, std::chrono::seconds(limite), [&] { return intento->listo; })) {
        intento->abandonado = true;
        conexionAbandonada = true;
        throw DbError(QStringLiteral("%1: la base de datos no respondió en %2 segundos. Otro programa la tiene "
                                     "bloqueada o el motor Firebird quedó detenido; cierre los demás programas de "
                                     "compras e intente de nuevo.")
                          .arg(contexto)
                          .arg(limite));
    }
    if (intento->error)
        throw *intento->error;
    ReinstalarManejadorTerminacion();
    return intento->attachment;
}
} // namespace

int EsperaConexionSegundos()
{
    bool ok = false;
    const int s = qEnvironmentVariableIntValue("COMPRAS_ESPERA_CONEXION", &ok);
    return ok && s > 0 ? s : 20;
}

int ConnectionParams::espera() const
{
    return esperaSegundos > 0 ? esperaSegundos : EsperaConexionSegundos();
}

void MarcarConexionAbandonada()
{
    conexionAbandonada = true;
}

bool ConexionAbandonada()
{
    return conexionAbandonada;
}

int CancelarOperaciones()
{
    std::lock_guard lock(abiertasMutex);
    int canceladas = 0;
    for (Database *d : abiertas) {
        try {
            Status st;
            d->attachment()->cancelOperation(&st, fb_cancel_raise);
            ++canceladas;
        } catch (const FbException &) {
            // nothing running on it
        }
    }
    return canceladas;
}

Database::Database() = default;

Database::~Database()
{
    try {
        close();
    } catch (...) {
    }
}

IAttachment *Database::attachment() const
{
    if (!attachment_)
        throw DbError(QStringLiteral("La base de datos no está conectada"));
    return attachment_;
}

void Database::open(const ConnectionParams &params)
{
    close();
    attachment_ = conectarConLimite(params, false, 0, QStringLiteral("No se pudo abrir la base de datos %1").arg(params.database));
    params_ = params;
    std::lock_guard lock(abiertasMutex);
    abiertas.insert(this);
}

void Database::create(const ConnectionParams &params, int pageSize)
{
    close();
    attachment_ = conectarConLimite(params, true, pageSize, QStringLiteral("No se pudo crear la base de datos %1").arg(params.database));
    params_ = params;
    std::lock_guard lock(abiertasMutex);
    abiertas.insert(this);
}

void Database::freeStatements()
{
    std::lock_guard lock(cacheMutex_);
    for (auto &[sql, stmt] : cache_) {
        if (stmt->input)
            stmt->input->release();
        if (stmt->output)
            stmt->output->release();
        if (stmt->statement) {
            try {
                Status st;
                stmt->statement->free(&st);
            } catch (const FbException &) {
                stmt->statement->release();
            }
        }
    }
    cache_.clear();
}

void Database::close()
{
    if (!attachment_)
        return;
    {
        std::lock_guard lock(abiertasMutex);
        abiertas.erase(this);
    }
    freeStatements();
    Status st;
    try {
        attachment_->detach(&st);
    } catch (const FbException &) {
        attachment_->release();
    }
    attachment_ = nullptr;
}

void Database::drop()
{
    if (!attachment_)
        return;
    freeStatements();
    Status st;
    try {
        {
            std::lock_guard lock(abiertasMutex);
            abiertas.erase(this);
        }
        attachment_->dropDatabase(&st);
        attachment_ = nullptr;
    } catch (const FbException &e) {
        rethrow(e, QStringLiteral("No se pudo eliminar la base de datos"));
    }
}

void Database::executeImmediate(Transaction &tx, const QString &sql)
{
    Status st;
    const QByteArray text = sql.toUtf8();
    try {
        attachment()->execute(&st, tx.ensureActive(), 0, text.constData(), SQL_DIALECT_V6, nullptr, nullptr, nullptr, nullptr);
    } catch (const FbException &e) {
        rethrow(e);
    }
}

PreparedStatement *Database::acquireStatement(Transaction &tx, const std::string &sql)
{
    {
        std::lock_guard lock(cacheMutex_);
        auto range = cache_.equal_range(sql);
        for (auto it = range.first; it != range.second; ++it) {
            if (!it->second->inUse) {
                it->second->inUse = true;
                return it->second.get();
            }
        }
    }
    auto stmt = std::make_unique<PreparedStatement>();
    Status st;
    try {
        Interfaz<IStatement> statement(attachment()->prepare(&st, tx.ensureActive(), static_cast<unsigned>(sql.size()),
                                                             sql.c_str(), SQL_DIALECT_V6,
                                                             IStatement::PREPARE_PREFETCH_METADATA));
        Interfaz<IMessageMetadata> input(statement->getInputMetadata(&st));
        Interfaz<IMessageMetadata> output(statement->getOutputMetadata(&st));
        stmt->type = statement->getType(&st);
        stmt->inputLength = input->getMessageLength(&st);
        stmt->outputLength = output->getMessageLength(&st);
        stmt->statement = statement.soltar();
        stmt->input = input.soltar();
        stmt->output = output.soltar();
    } catch (const FbException &e) {
        rethrow(e);
    }
    stmt->sql = sql;
    stmt->inUse = true;
    PreparedStatement *raw = stmt.get();
    std::lock_guard lock(cacheMutex_);
    cache_.emplace(sql, std::move(stmt));
    return raw;
}

void Database::releaseStatement(PreparedStatement *stmt)
{
    std::lock_guard lock(cacheMutex_);
    stmt->inUse = false;
}

std::size_t Database::cachedStatementCount() const
{
    std::lock_guard lock(cacheMutex_);
    return cache_.size();
}

} // namespace db

namespace db {

void CancelarOperacion(Database &base)
{
    if (!base.connected())
        return;
    try {
        Status st;
        base.attachment()->cancelOperation(&st, fb_cancel_raise);
    } catch (const FbException &) {
        // nothing running on it
    }
}

} // namespace db

namespace db::detalle {

bool EsperarTrabajo(EsperaTrabajo &espera, Database &base, int segundos)
{
    std::unique_lock lock(espera.m);
    if (espera.cv.wait_for(lock, std::chrono::seconds(std::max(1, segundos)), [&] { return espera.listo; }))
        return true;
    // A live server stops the statement; a silent one leaves the thread waiting, and the
    // process must not wait for it at exit.
    CancelarOperacion(base);
    MarcarConexionAbandonada();
    return false;
}

} // namespace db::detalle
