#include "platform/db/Terminacion.h"

#include "platform/db/Database.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <ibase.h>
#include <memory>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace db {

namespace {
int tuberia[2] = {-1, -1};
std::atomic<bool> activo{false};
std::atomic<int> senalRecibida{0};
std::function<void(int)> alRecibirSenal;
int limite = 5;

extern "C" void alSenal(int signo)
{
    int esperado = 0;
    if (!senalRecibida.compare_exchange_strong(esperado, signo))
        _exit(128 + signo);  // a second signal: no more waiting
    const char c = static_cast<char>(signo);
    [[maybe_unused]] const ssize_t n = ::write(tuberia[1], &c, 1);
}

void instalar()
{
    struct sigaction a;
    std::memset(&a, 0, sizeof a);
    a.sa_handler = alSenal;
    sigemptyset(&a.sa_mask);
    a.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &a, nullptr);
    sigaction(SIGINT, &a, nullptr);
}

void vigilar()
{
    char c = 0;
    while (::read(tuberia[0], &c, 1) < 0 && errno == EINTR) {
    }
    const int signo = senalRecibida.load();
    std::fprintf(stderr, "Se recibió la señal %d: se cancela lo que está en curso y termina el programa.\n", signo);
    // What runs fails and unwinds (rollback, detach) on its own thread; the program then ends by
    // its normal path. If it has not within the limit, the engine is stopped and the process ends.
    CancelarOperaciones();
    if (alRecibirSenal)
        alRecibirSenal(signo);
    std::this_thread::sleep_for(std::chrono::seconds(limite));
    ApagarMotor(limite * 1000);
    _exit(128 + signo);
}
} // namespace

void ManejarTerminacion(std::function<void(int)> alRecibir, int limiteSegundos)
{
    if (activo.exchange(true))
        return;
    if (::pipe2(tuberia, O_CLOEXEC) != 0) {
        activo = false;
        return;
    }
    alRecibirSenal = std::move(alRecibir);
    limite = limiteSegundos > 0 ? limiteSegundos : 5;
    std::thread(vigilar).detach();
    instalar();
}

void ReinstalarManejadorTerminacion()
{
    if (!activo)
        return;
    struct sigaction actual;
    for (int s : {SIGTERM, SIGINT}) {
        if (sigaction(s, nullptr, &actual) == 0 && actual.sa_handler != alSenal) {
            instalar();
            return;
        }
    }
}

bool ApagarMotor(int limiteMs)
{
    struct Estado {
        std::mutex m;
        std::condition_variable cv;
        bool listo = false;
    };
    auto estado = std::make_shared<Estado>();
    // The shutdown runs on its own thread: a wait inside the engine must not hold the caller.
    std::thread([estado, limiteMs] {
        fb_shutdown(static_cast<unsigned>(limiteMs), fb_shutrsn_app_stopped);
        std::lock_guard l(estado->m);
        estado->listo = true;
        estado->cv.notify_all();
    }).detach();
    std::unique_lock l(estado->m);
    return estado->cv.wait_for(l, std::chrono::milliseconds(limiteMs + 1000), [&] { return estado->listo; });
}

int TerminarPrograma(int codigo)
{
    if (const int signo = senalRecibida.load())
        codigo = 128 + signo;
    // An attach left waiting inside the engine would hold a normal exit forever.
    if (!ApagarMotor() || ConexionAbandonada()) {
        std::fflush(nullptr);
        _exit(codigo);
    }
    return codigo;
}

bool TerminacionSolicitada()
{
    return senalRecibida.load() != 0;
}

} // namespace db
