// Robust process-shared mutexes for the embedded engine.
//
// The engine keeps its lock table, event and monitoring blocks in files mapped by every
// process that uses the same lock folder, each guarded by a process-shared pthread mutex.
// The Debian build creates those mutexes without the robust attribute, so a process killed
// while it holds one leaves it locked for good and every other process blocks in
// pthread_mutex_lock. The lock manager already knows how to finish the work of an owner
// that died holding its mutex; it only needs to be handed the mutex back.
//
// These definitions take precedence over the C library's for every library of the process
// (the engine plug-in included): a process-shared mutex is created robust, and a lock that
// finds its owner dead marks the mutex consistent and carries on.
#include "platform/db/MutexRobustos.h"

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <pthread.h>

// The C library's own entry points, under the alternative names it exports.
extern "C" {
int compras_real_mutex_init(pthread_mutex_t *, const pthread_mutexattr_t *);
int compras_real_mutex_lock(pthread_mutex_t *);
int compras_real_mutex_trylock(pthread_mutex_t *);
}
__asm__(".symver compras_real_mutex_init,__pthread_mutex_init@GLIBC_2.2.5");
__asm__(".symver compras_real_mutex_lock,__pthread_mutex_lock@GLIBC_2.2.5");
__asm__(".symver compras_real_mutex_trylock,__pthread_mutex_trylock@GLIBC_2.2.5");

namespace {
std::atomic<unsigned> recuperados{0};

int recuperar(pthread_mutex_t *m, int r)
{
    if (r != EOWNERDEAD)
        return r;
    recuperados.fetch_add(1, std::memory_order_relaxed);
    pthread_mutex_consistent(m);
    return 0;
}

using EsperaFn = int (*)(pthread_cond_t *, pthread_mutex_t *);
using EsperaLimiteFn = int (*)(pthread_cond_t *, pthread_mutex_t *, const struct timespec *);

template <typename Fn>
Fn siguiente(const char *nombre)
{
    // The condition variable calls of glibc 2.3.2 and later, not the compatibility ones.
    void *f = dlvsym(RTLD_NEXT, nombre, "GLIBC_2.3.2");
    if (!f)
        f = dlsym(RTLD_NEXT, nombre);
    return reinterpret_cast<Fn>(f);
}
} // namespace

extern "C" {

__attribute__((visibility("default"))) int pthread_mutex_init(pthread_mutex_t *m, const pthread_mutexattr_t *attr)
{
    int compartido = PTHREAD_PROCESS_PRIVATE;
    if (attr && pthread_mutexattr_getpshared(attr, &compartido) == 0 && compartido == PTHREAD_PROCESS_SHARED) {
        pthread_mutexattr_t robusto = *attr;
        pthread_mutexattr_setrobust(&robusto, PTHREAD_MUTEX_ROBUST);
        return compras_real_mutex_init(m, &robusto);
    }
    return compras_real_mutex_init(m, attr);
}

__attribute__((visibility("default"))) int pthread_mutex_lock(pthread_mutex_t *m)
{
    return recuperar(m, compras_real_mutex_lock(m));
}

__attribute__((visibility("default"))) int pthread_mutex_trylock(pthread_mutex_t *m)
{
    return recuperar(m, compras_real_mutex_trylock(m));
}

__attribute__((visibility("default"))) int pthread_cond_wait(pthread_cond_t *c, pthread_mutex_t *m)
{
    static const EsperaFn real = siguiente<EsperaFn>("pthread_cond_wait");
    return recuperar(m, real(c, m));
}

__attribute__((visibility("default"))) int pthread_cond_timedwait(pthread_cond_t *c, pthread_mutex_t *m,
                                                                   const struct timespec *limite)
{
    static const EsperaLimiteFn real = siguiente<EsperaLimiteFn>("pthread_cond_timedwait");
    return recuperar(m, real(c, m, limite));
}

} // extern "C"

namespace db {

bool MutexRobustosActivos()
{
    // A mutex created here must come back robust: proves the definitions above are in force.
    pthread_mutexattr_t a;
    pthread_mutexattr_init(&a);
    pthread_mutexattr_setpshared(&a, PTHREAD_PROCESS_SHARED);
    pthread_mutex_t m;
    pthread_mutex_init(&m, &a);
    pthread_mutexattr_destroy(&a);
    // A robust mutex refuses to be unlocked by a thread that does not own it.
    const bool robusto = pthread_mutex_unlock(&m) == EPERM;
    pthread_mutex_destroy(&m);
    return robusto;
}

unsigned MutexRecuperados()
{
    return recuperados.load(std::memory_order_relaxed);
}

} // namespace db
