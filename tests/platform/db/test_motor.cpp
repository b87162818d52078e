// The embedded engine never freezes a process: shared mutexes survive their owner's death, an
// attach that cannot proceed gives up within its limit, and the engine folder is private.
#include "platform/db/Database.h"
#include "platform/db/Firebird.h"
#include "platform/db/Interfaz.h"
#include "platform/db/MutexRobustos.h"
#include "platform/db/Query.h"
#include "platform/db/ScriptRunner.h"
#include "platform/db/Transaction.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace db;

namespace {

// A child that takes `m` and then dies (or stops, with `parar`) without giving it back.
pid_t tomarYMorir(pthread_mutex_t *m, bool parar)
{
    int aviso[2];
    if (::pipe(aviso) != 0)
        return -1;
    const pid_t hijo = ::fork();
    if (hijo == 0) {
        pthread_mutex_lock(m);
        const char c = 1;
        [[maybe_unused]] ssize_t n = ::write(aviso[1], &c, 1);
        if (parar)
            for (;;)
                ::pause();
        _exit(0);
    }
    char c;
    [[maybe_unused]] ssize_t n = ::read(aviso[0], &c, 1);
    ::close(aviso[0]);
    ::close(aviso[1]);
    return hijo;
}

mode_t modo(const QString &ruta)
{
    struct stat st;
    return ::lstat(QFile::encodeName(ruta).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace

TEST(MutexCompartidos, UnDuenioMuertoNoBloqueaAlSiguiente)
{
    ASSERT_TRUE(MutexRobustosActivos());
    void *mem = ::mmap(nullptr, sizeof(pthread_mutex_t), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(mem, MAP_FAILED);
    auto *m = static_cast<pthread_mutex_t *>(mem);
    pthread_mutexattr_t a;
    pthread_mutexattr_init(&a);
    pthread_mutexattr_setpshared(&a, PTHREAD_PROCESS_SHARED);
    ASSERT_EQ(pthread_mutex_init(m, &a), 0);
    pthread_mutexattr_destroy(&a);

    const pid_t hijo = tomarYMorir(m, false);
    ASSERT_GT(hijo, 0);
    ::waitpid(hijo, nullptr, 0);
    const unsigned antes = MutexRecuperados();
    // A mutex without the robust attribute would stay busy for good.
    ASSERT_EQ(pthread_mutex_trylock(m), 0);
    EXPECT_EQ(MutexRecuperados(), antes + 1);
    EXPECT_EQ(pthread_mutex_unlock(m), 0);
    EXPECT_EQ(pthread_mutex_lock(m), 0) << "the mutex must be usable again after the recovery";
    EXPECT_EQ(pthread_mutex_unlock(m), 0);
    EXPECT_EQ(MutexRecuperados(), antes + 1);
    ::munmap(mem, sizeof(pthread_mutex_t));
}

TEST(MutexCompartidos, UnMutexPrivadoNoCambia)
{
    pthread_mutex_t m;
    ASSERT_EQ(pthread_mutex_init(&m, nullptr), 0);
    // A plain mutex keeps its semantics: unlocking it unlocked is not refused.
    EXPECT_EQ(pthread_mutex_unlock(&m), 0);
    pthread_mutex_destroy(&m);
}

// A process holding the lock table of a database and then stopped: an attach gives up with a
// message within its limit instead of waiting; once the holder dies the database opens again.
TEST(EmbeddedEngine, AttachGivesUpWhileTheLockTableIsHeldAndRecoversWhenTheHolderDies)
{
    testsupport::ScratchDir dir;
    const QString ruta = dir.file("b.fdb");
    PrepararMotorFirebird();
    const QString lock = qEnvironmentVariable("FIREBIRD_LOCK");
    ASSERT_FALSE(lock.isEmpty());
    Database d;
    d.create({ruta, "SYSDBA", "", "", "UTF8"});
    RunScript(d, "create table T (V integer primary key)");
    // Other test programs create lock tables at the same time, and a file left by an earlier
    // database with the same inode may already carry this name: keep the one this process maps.
    QStringList nuevos = QDir(lock).entryList({QStringLiteral("fb_lock_*")}, QDir::Files);
    QFile mapas(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(mapas.open(QIODevice::ReadOnly));
    const QString mapeados = QString::fromLocal8Bit(mapas.readAll());
    nuevos.erase(std::remove_if(nuevos.begin(), nuevos.end(),
                                [&](const QString &f) { return !mapeados.contains(QLatin1Char('/') + f); }),
                 nuevos.end());
    ASSERT_EQ(nuevos.size(), 1) << "the lock table of the new database";

    const int fd = ::open(QFile::encodeName(lock + QLatin1Char('/') + nuevos.first()).constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    void *mem = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    ASSERT_NE(mem, MAP_FAILED);
    // The block's mutex follows its 16-byte header.
    auto *mutex = reinterpret_cast<pthread_mutex_t *>(static_cast<char *>(mem) + 16);
    const pid_t duenio = tomarYMorir(mutex, true);
    ASSERT_GT(duenio, 0);

    qputenv("COMPRAS_ESPERA_CONEXION", "2");
    Database e;
    QElapsedTimer reloj;
    reloj.start();
    try {
        e.open({ruta, "SYSDBA", "", "", "UTF8"});
        ADD_FAILURE() << "the attach must not succeed while the lock table is held";
    } catch (const DbError &err) {
        EXPECT_TRUE(err.message().contains(QStringLiteral("no respondió en 2 segundos"))) << err.message().toStdString();
    }
    EXPECT_LT(reloj.elapsed(), 6000);
    EXPECT_TRUE(ConexionAbandonada());

    ::kill(duenio, SIGKILL);
    ::waitpid(duenio, nullptr, 0);
    qputenv("COMPRAS_ESPERA_CONEXION", "30");
    e.open({ruta, "SYSDBA", "", "", "UTF8"});
    Transaction t(e);
    Query q(&e, &t);
    q.setSql("insert into T values (1)");
    q.execQuery();
    t.commit();
    qunsetenv("COMPRAS_ESPERA_CONEXION");
    ::munmap(mem, 4096);
}

TEST(CarpetaMotor, SeCreaPrivadaYSeCierraLaPropia)
{
    testsupport::ScratchDir dir;
    const QString nueva = dir.file("nueva");
    ASSERT_TRUE(CarpetaPrivada(nueva));
    EXPECT_EQ(modo(nueva), 0700u);
    ASSERT_TRUE(QFileInfo(nueva).isDir());

    const QString abierta = dir.file("abierta");
    ASSERT_EQ(::mkdir(QFile::encodeName(abierta).constData(), 0777), 0);
    ::chmod(QFile::encodeName(abierta).constData(), 0777);
    ASSERT_TRUE(CarpetaPrivada(abierta));
    EXPECT_EQ(modo(abierta), 0700u);
}

TEST(CarpetaMotor, RechazaEnlacesArchivosYCarpetasAjenas)
{
    testsupport::ScratchDir dir;
    QString error;
    const QString destino = dir.file("destino");
    ASSERT_TRUE(QDir().mkpath(destino));
    const QString enlace = dir.file("enlace");
    ASSERT_TRUE(QFile::link(destino, enlace));
    EXPECT_FALSE(CarpetaPrivada(enlace, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no es una carpeta"))) << error.toStdString();

    const QString archivo = dir.file("archivo");
    QFile f(archivo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_FALSE(CarpetaPrivada(archivo, &error));

    if (::geteuid() != 0)
        GTEST_SKIP() << "making a folder of another user needs root";
    const QString ajena = dir.file("ajena");
    ASSERT_EQ(::mkdir(QFile::encodeName(ajena).constData(), 0755), 0);
    ASSERT_EQ(::chown(QFile::encodeName(ajena).constData(), 65534, 65534), 0);
    const mode_t antes = modo(ajena);
    EXPECT_FALSE(CarpetaPrivada(ajena, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("otro usuario"))) << error.toStdString();
    EXPECT_EQ(modo(ajena), antes) << "a foreign folder is not touched";
}

// The guard gives its reference back on every path and never twice.
TEST(InterfazFirebird, LiberaUnaVezYSoltarEntregaLaPropiedad)
{
    struct Contado {
        int liberado = 0;
        void release() { ++liberado; }
    };
    Contado a, b, c;
    {
        Interfaz<Contado> g(&a);
        Interfaz<Contado> h(std::move(g));
        EXPECT_EQ(g.get(), nullptr);
        h.reset(&b);
        EXPECT_EQ(a.liberado, 1);
        Interfaz<Contado> k(&c);
        EXPECT_EQ(k.soltar(), &c);
    }
    EXPECT_EQ(a.liberado, 1);
    EXPECT_EQ(b.liberado, 1);
    EXPECT_EQ(c.liberado, 0);

    struct Desechable {
        int desechado = 0;
        void dispose() { ++desechado; }
    };
    Desechable x;
    { Interfaz<Desechable> g(&x); }
    EXPECT_EQ(x.desechado, 1);
}
