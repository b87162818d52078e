// Where the programs find their templates and module, and how templates reach the user's folder
// without undoing the user's own edits.
#include "common/Instalacion.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void escribir(const QString &ruta, const QByteArray &texto, const QDateTime &cuando = QDateTime())
{
    QDir().mkpath(QFileInfo(ruta).absolutePath());
    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(texto);
    ASSERT_TRUE(f.flush());  // a later flush would move the time set below
    if (cuando.isValid()) {
        ASSERT_TRUE(f.setFileTime(cuando, QFileDevice::FileModificationTime));
    }
}

QByteArray leer(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no existe>");
}

class SinVariables : public ::testing::Test {
protected:
    void SetUp() override
    {
        qunsetenv("COMPRAS_REPORTES");
        qunsetenv("COMPRAS_MODULO");
    }
    void TearDown() override { SetUp(); }
    QTemporaryDir tmp;
};

using Rutas = SinVariables;

TEST_F(Rutas, JuntoAlProgramaInstaladoUsaLaCarpetaCompartida)
{
    QDir().mkpath(tmp.filePath(QStringLiteral("usr/bin")));
    QDir().mkpath(tmp.filePath(QStringLiteral("usr/share/compras/reportes")));
    const RutasPrograma r = ResolverRutas(tmp.filePath(QStringLiteral("usr/bin")));
    EXPECT_TRUE(r.instalado);
    EXPECT_EQ(r.plantillas, tmp.filePath(QStringLiteral("usr/share/compras/reportes")));
    EXPECT_TRUE(r.modulo.startsWith(tmp.filePath(QStringLiteral("usr/lib/")))) << r.modulo.toStdString();
    EXPECT_TRUE(r.modulo.endsWith(QStringLiteral("/compras/libmodulo_compras.so"))) << r.modulo.toStdString();
    EXPECT_FALSE(r.modulo.contains(QStringLiteral(".."))) << r.modulo.toStdString();
}

TEST_F(Rutas, FueraDeUnaInstalacionUsaLasFuentesYLaCompilacion)
{
    QDir().mkpath(tmp.filePath(QStringLiteral("build/bin")));
    // A share folder without the templates is not an installation.
    QDir().mkpath(tmp.filePath(QStringLiteral("build/share/compras")));
    const RutasPrograma r = ResolverRutas(tmp.filePath(QStringLiteral("build/bin")));
    EXPECT_FALSE(r.instalado);
    EXPECT_EQ(QDir(r.plantillas).canonicalPath(), QDir(QStringLiteral(COMPRAS_REPORTES_FUENTE)).canonicalPath());
    EXPECT_TRUE(QFileInfo(r.plantillas + QStringLiteral("/comp_RespaldoComprobante.html")).isFile());
    EXPECT_FALSE(r.modulo.startsWith(tmp.path()));
    EXPECT_TRUE(r.modulo.endsWith(QStringLiteral("libmodulo_compras.so")));
}

TEST_F(Rutas, LasVariablesDeEntornoMandan)
{
    QDir().mkpath(tmp.filePath(QStringLiteral("usr/bin")));
    QDir().mkpath(tmp.filePath(QStringLiteral("usr/share/compras/reportes")));
    qputenv("COMPRAS_REPORTES", "/otra/carpeta");
    qputenv("COMPRAS_MODULO", "/otro/modulo.so");
    const RutasPrograma r = ResolverRutas(tmp.filePath(QStringLiteral("usr/bin")));
    EXPECT_EQ(r.plantillas, QStringLiteral("/otra/carpeta"));
    EXPECT_EQ(r.modulo, QStringLiteral("/otro/modulo.so"));
}

TEST(Version, SaleDeCMake)
{
    EXPECT_EQ(VersionCompras(), QStringLiteral(COMPRAS_VERSION_ESPERADA));
    EXPECT_EQ(LineaVersion(QStringLiteral("compras")), QStringLiteral("compras " COMPRAS_VERSION_ESPERADA));
}

class Plantillas : public SinVariables {
protected:
    QString origen() const { return tmp.filePath(QStringLiteral("share")); }
    QString destino() const { return tmp.filePath(QStringLiteral("usuario/reportes")); }
    QString enOrigen(const char *n) const { return origen() + QLatin1Char('/') + QLatin1String(n); }
    QString enDestino(const char *n) const { return destino() + QLatin1Char('/') + QLatin1String(n); }
    const QDateTime ayer = QDateTime::currentDateTime().addDays(-1);
    const QDateTime manana = QDateTime::currentDateTime().addDays(1);
};

TEST_F(Plantillas, LaPrimeraVezCopiaTodasYDevuelveLaCarpetaConBarra)
{
    escribir(enOrigen("a.html"), "A1");
    escribir(enOrigen("b.xlsx"), "B1");
    EXPECT_EQ(InstalarPlantillas(origen(), destino()), destino() + QLatin1Char('/'));
    EXPECT_EQ(leer(enDestino("a.html")), "A1");
    EXPECT_EQ(leer(enDestino("b.xlsx")), "B1");
    EXPECT_FALSE(QFileInfo::exists(enDestino("a.html.nueva")));
}

TEST_F(Plantillas, UnaActualizacionReemplazaLasIntactasYRespetaLasEditadas)
{
    escribir(enOrigen("intacta.html"), "I1");
    escribir(enOrigen("editada.html"), "E1");
    InstalarPlantillas(origen(), destino());
    escribir(enDestino("editada.html"), "E1 con el logo de la tienda", ayer);

    // The new package's files are newer than anything the user has.
    escribir(enOrigen("intacta.html"), "I2", manana);
    escribir(enOrigen("editada.html"), "E2", manana);
    escribir(enOrigen("nueva.html"), "N2", manana);
    InstalarPlantillas(origen(), destino());
    EXPECT_EQ(leer(enDestino("intacta.html")), "I2");
    EXPECT_EQ(leer(enDestino("editada.html")), "E1 con el logo de la tienda");
    EXPECT_EQ(leer(enDestino("nueva.html")), "N2");

    // And the next version again: the replaced one follows, the edited one stays.
    escribir(enOrigen("intacta.html"), "I3", manana.addDays(1));
    escribir(enOrigen("editada.html"), "E3", manana.addDays(1));
    InstalarPlantillas(origen(), destino());
    EXPECT_EQ(leer(enDestino("intacta.html")), "I3");
    EXPECT_EQ(leer(enDestino("editada.html")), "E1 con el logo de la tienda");
}

TEST_F(Plantillas, UnaBorradaPorElUsuarioVuelve)
{
    escribir(enOrigen("a.html"), "A1");
    InstalarPlantillas(origen(), destino());
    QFile::remove(enDestino("a.html"));
    InstalarPlantillas(origen(), destino());
    EXPECT_EQ(leer(enDestino("a.html")), "A1");
}

TEST_F(Plantillas, SinRegistroDecideLaFecha)
{
    // Copies made before the record existed: an older one is replaced, a newer one is kept.
    escribir(enDestino("vieja.html"), "V0", ayer);
    escribir(enDestino("propia.html"), "P0", manana);
    escribir(enOrigen("vieja.html"), "V1");
    escribir(enOrigen("propia.html"), "P1");
    InstalarPlantillas(origen(), destino());
    EXPECT_EQ(leer(enDestino("vieja.html")), "V1");
    EXPECT_EQ(leer(enDestino("propia.html")), "P0");

    // From now on the replaced one is known as shipped; the kept one still belongs to the user.
    escribir(enOrigen("vieja.html"), "V2", manana.addDays(1));
    escribir(enOrigen("propia.html"), "P2", manana.addDays(1));
    InstalarPlantillas(origen(), destino());
    EXPECT_EQ(leer(enDestino("vieja.html")), "V2");
    EXPECT_EQ(leer(enDestino("propia.html")), "P0");
}

TEST_F(Plantillas, SinOrigenNoTocaNada)
{
    escribir(enDestino("a.html"), "propia");
    InstalarPlantillas(tmp.filePath(QStringLiteral("no-existe")), destino());
    EXPECT_EQ(leer(enDestino("a.html")), "propia");
}

} // namespace
