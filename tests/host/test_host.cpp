#include "host/Comp_exports.h"
#include "orders/Comp_frmpedidos.h"
#include "support/EntornoPrueba.h"
#include "ui/Permisos.h"
#include "platform/VariablesHost.h"

#include <QApplication>
#include <QLibrary>
#include <QPointer>
#include <gtest/gtest.h>

namespace {
void fijarPermiso(EntornoPrueba &env, const char *clave, const char *valor)
{
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update USUARIOS set %1 = '%2' where USUARIO = 'ADMIN'")
                                            .arg(QLatin1String(clave), QLatin1String(valor)));
    env.estacion->permisos.refresh();
}
} // namespace

TEST(Permisos, OnlyCapitalSAllows)
{
    EntornoPrueba env;
    struct Caso { const char *valor; bool permitido; } casos[] = {{"S", true}, {"s", false}, {"", false}, {"N", false}};
    for (const Caso &c : casos) {
        env.mensajes.Limpiar();
        fijarPermiso(env, "COMP_ANULAR", c.valor);
        EXPECT_EQ(VerificarPermiso(*env.datos, "COMP_ANULAR"), c.permitido) << c.valor;
        EXPECT_EQ(env.mensajes.Mostro(kMensajeSinPermiso), !c.permitido) << c.valor;
    }
}

TEST(Permisos, CostsHideOnlyOnN)
{
    EntornoPrueba env;
    fijarPermiso(env, "INV_VER_COSTOS", "");
    EXPECT_TRUE(PermisoVisible(*env.datos, "INV_VER_COSTOS"));
    fijarPermiso(env, "INV_VER_COSTOS", "N");
    EXPECT_FALSE(PermisoVisible(*env.datos, "INV_VER_COSTOS"));
    EXPECT_TRUE(env.mensajes.mostrados().empty());
}

TEST(Permisos, LimitedDemoUserIsRefused)
{
    EntornoPrueba env(QStringLiteral("CAJERO"));
    EXPECT_TRUE(VerificarPermiso(*env.datos, "COMP_AGREGAR"));
    EXPECT_FALSE(VerificarPermiso(*env.datos, "COMP_ANULAR"));
    EXPECT_FALSE(PermisoVisible(*env.datos, "INV_VER_COSTOS"));
}

TEST(Ventanas, FlagFollowsTheWindowAndASecondOpenCreatesNothing)
{
    CargarVariable("venPrueba", "N");
    QPointer<QWidget> ventana;
    int creadas = 0;
    auto fabrica = [&] { ++creadas; return new QWidget; };
    AbrirVentanaPrincipal(ventana, true, "venPrueba", fabrica);
    ASSERT_TRUE(ventana);
    EXPECT_EQ(VerVariable("venPrueba"), "S");
    // The host follows the flag: "S" means bring to front.
    AbrirVentanaPrincipal(ventana, VerVariable("venPrueba") != "S", "venPrueba", fabrica);
    EXPECT_EQ(creadas, 1);
    ventana->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(ventana);
    EXPECT_EQ(VerVariable("venPrueba"), "N");
}

TEST(Ventanas, PedidosAbreElNavegadorDePedidos)
{
    EntornoPrueba env;
    CargarVariable("venPedidos", "N");
    AbrirPedidos(true);
    ASSERT_TRUE(frmPedidos);
    EXPECT_EQ(frmPedidos->windowTitle(), QStringLiteral("Pedidos de Mercadería"));
    EXPECT_EQ(VerVariable("venPedidos"), "S");
    EXPECT_TRUE(env.mensajes.mostrados().empty());
    QPointer<TfrmPedidos> primera = frmPedidos;
    AbrirPedidos(false);
    EXPECT_EQ(frmPedidos, primera);
    frmPedidos->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(frmPedidos);
    EXPECT_EQ(VerVariable("venPedidos"), "N");
}

TEST(Modulo, ExportsOnlyTheEntryPointsAndConnectsThroughThem)
{
    QLibrary modulo(QStringLiteral(MODULO_COMPRAS));
    ASSERT_TRUE(modulo.load()) << modulo.errorString().toStdString();
    for (const char *nombre : {"ConectarBaseDatos", "ConectarConta", "AbrirCompras", "AbrirPedidos", "AbrirConsignacion",
                               "AbrirFamilias", "AbrirUnidadMedida", "AbrirUbicaciones", "AbrirReporteEntrada"})
        EXPECT_TRUE(modulo.resolve(nombre)) << nombre;
    EXPECT_FALSE(modulo.resolve("_ZN11TFDatosComp13CargarTipoCambioEv"));
    EXPECT_FALSE(modulo.resolve("VerificarConsignacionDevuelta"));

    EntornoPrueba env;
    auto conectar = reinterpret_cast<ConectarBaseDatosFn>(modulo.resolve("ConectarBaseDatos"));
    auto conta = reinterpret_cast<ConectarContaFn>(modulo.resolve("ConectarConta"));
    EXPECT_NO_THROW(env.estacion->ConectarModulo(conectar, conta));
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
