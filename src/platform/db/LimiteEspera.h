#pragma once
// Work on a database that must not hold the caller longer than a time limit: a server that stops
// answering in the middle of a query (a cable pulled, a frozen host) would otherwise wait for ever.

#include "platform/db/Database.h"
#include "platform/db/DbError.h"

#include <QString>

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>

namespace db {

// The work did not finish in time; the database it ran on is left to the waiting thread.
class ErrorTiempoAgotado : public DbError {
public:
    using DbError::DbError;
};

// Asks the engine, from any thread, to cancel what `base` runs: the call running fails with an
// error. Sent while nothing runs, it may fail the next call on `base` instead.
void CancelarOperacion(Database &base);

namespace detalle {
struct EsperaTrabajo {
    std::mutex m;
    std::condition_variable cv;
    bool listo = false;
    std::exception_ptr error;
};
// Waits for the work at most `segundos`; false on time-out, after asking the engine to cancel
// what `base` runs and recording the abandoned call.
bool EsperarTrabajo(EsperaTrabajo &espera, Database &base, int segundos);
} // namespace detalle

// Runs `trabajo(base)` on a helper thread and waits for it at most `segundos` (at least 1).
// On time-out throws ErrorTiempoAgotado(mensaje) at once; the helper thread keeps `base` until the engine
// returns, so the caller must drop `base` and never use it again. `trabajo` may outlive the
// call: it must own everything it uses (capture by value, never the caller's locals).
template <class F>
auto EjecutarConLimite(std::shared_ptr<Database> base, int segundos, const QString &mensaje, F trabajo)
{
    using Resultado = std::invoke_result_t<F &, Database &>;
    static_assert(!std::is_void_v<Resultado>, "the work returns what it read");
    struct Estado {
        detalle::EsperaTrabajo espera;
        std::optional<Resultado> resultado;
    };
    auto estado = std::make_shared<Estado>();
    std::thread([estado, base, trabajo = std::move(trabajo)]() mutable {
        std::optional<Resultado> r;
        std::exception_ptr error;
        try {
            r.emplace(trabajo(*base));
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard lock(estado->espera.m);
        estado->resultado = std::move(r);
        estado->espera.error = error;
        estado->espera.listo = true;
        estado->espera.cv.notify_all();
    }).detach();
    if (!detalle::EsperarTrabajo(estado->espera, *base, segundos))
        throw ErrorTiempoAgotado(mensaje);
    if (estado->espera.error)
        std::rethrow_exception(estado->espera.error);
    return std::move(*estado->resultado);
}

} // namespace db
