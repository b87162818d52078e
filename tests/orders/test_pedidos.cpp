// Purchase orders: numbering from the generator, the all-or-nothing save, two stations saving
// and annulling at once, the replenishment proposal and the lists.
#include "orders/Pedidos.h"

#include "support/EntornoPrueba.h"
#include "data/Comp_fdatos.h"

#include <QSet>

#include <gtest/gtest.h>

#include <thread>

namespace {

class PedidosPrueba : public ::testing::Test {
protected:
    EntornoPrueba env;
    std::unique_ptr<Pedidos> p = Nuevo(*env.datos);

    std::unique_ptr<Pedidos> Nuevo(TFDatosComp &d)
    {
        return std::make_unique<Pedidos>(ConexionesDeDatosComp(d), d.TransLectura, d.TransLecturaInv, env.mensajes,
                                         QStringLiteral("ANA"));
    }

    static EncabezadoPedido Encabezado()
    {
        EncabezadoPedido e;
        e.numeroMostrado = QStringLiteral("000000000099");
        e.codProveedor = 12;
        e.nombreProveedor = QStringLiteral("EL ROBLE");
        e.descripcion = QStringLiteral("SEMANAL");
        e.fecha = QDate(2026, 3, 4);
        e.numCodigoInventario = 2;
        return e;
    }

    static LineasPedido Lineas(int n)
    {
        LineasPedido l;
        for (int i = 1; i <= n; ++i)
            l.AgregarFila({QStringLiteral("ART-%1").arg(i), QStringLiteral("ARTICULO %1").arg(i), Currency(i),
                           QStringLiteral("FAM "), false, Currency(), Currency(100 * i)});
        return l;
    }

    int Cuenta(const QString &sql) { return EntornoPrueba::Entero(env.tienda, sql); }
    int Generador() { return Cuenta(QStringLiteral("select gen_id(consecutivo_pedidos, 0) from rdb$database")); }

    void Pedido(int numero, const char *anulado = "N", const char *procesado = "N", int proveedor = 12,
                const char *fecha = "2026-03-01")
    {
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into PEDIDOS (COMPROBANTE, FK_PROVEEDOR, NOMBRE_PROVEEDOR, "
                                                           "FECHA, ANULADO, PROCESADO) values ('%1', %2, 'P%2', '%3', "
                                                           "'%4', '%5')")
                                                .arg(NumeroPedido(numero))
                                                .arg(proveedor)
                                                .arg(QLatin1String(fecha), QLatin1String(anulado), QLatin1String(procesado)));
    }
};

TEST_F(PedidosPrueba, NumeroDelGeneradorSinVolverAtras)
{
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from DETALLE_PEDIDO"));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from PEDIDOS"));
    for (int i = 1; i <= 26; ++i)
        Pedido(i);
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("set generator consecutivo_pedidos to 30"));
    EXPECT_EQ(p->NumeroPropuesto().toStdString(), "000000000031");
    EXPECT_EQ(Generador(), 30);  // showing the number moves nothing

    const std::optional<QString> n = p->Guardar(Encabezado(), Lineas(2));
    ASSERT_TRUE(n);
    EXPECT_EQ(n->toStdString(), "000000000031");
    EXPECT_EQ(Cuenta(QStringLiteral("select PEDIDO from CONSECUTIVOS")), 31);
    EXPECT_EQ(Generador(), 31);
    EXPECT_EQ(Cuenta(QStringLiteral("select count(*) from DETALLE_PEDIDO where COMPROBANTE = '000000000031'")), 2);
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select FK_PROVEEDOR || '|' || NOMBRE_PROVEEDOR || '|' || "
                                                              "DESCRIPCION || '|' || ANULADO || PROCESADO || '|' || "
                                                              "NUM_CODIGO_INVENTARIO || '|' || CREATE_USERID || '|' || FECHA "
                                                              "from PEDIDOS where COMPROBANTE = '000000000031'"))
                  .toStdString(),
              "12|EL ROBLE|SEMANAL|NN|2|ANA|2026-03-04");
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select COD_FAMILIA || '|' || CANTIDAD || '|' || PRECIO_COMPRA "
                                                              "|| '|' || FRACCIONADO || ANULADO from DETALLE_PEDIDO where "
                                                              "COD_BARRAS = 'ART-2'"))
                  .toStdString(),
              "FAM|2.000000000000000|200.0000000000000|NN");

    // A generator left behind the table skips the numbers in use instead of failing on the key.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("set generator consecutivo_pedidos to 20"));
    const std::optional<QString> m = p->Guardar(Encabezado(), Lineas(1));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->toStdString(), "000000000027");
    EXPECT_EQ(Generador(), 27);
    EXPECT_EQ(Cuenta(QStringLiteral("select PEDIDO from CONSECUTIVOS")), 31);  // the counter never goes back
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update CONSECUTIVOS set PEDIDO = 90"));
    ASSERT_TRUE(p->Guardar(Encabezado(), Lineas(1)));
    EXPECT_EQ(Cuenta(QStringLiteral("select PEDIDO from CONSECUTIVOS")), 90);
}

TEST_F(PedidosPrueba, ComprobacionesAntesDeGuardar)
{
    const QString antes = EntornoPrueba::Volcado(env.tienda);
    struct Caso {
        void (*cambio)(EncabezadoPedido &);
        int lineas;
        const char *mensaje;
    };
    const Caso casos[] = {
        {[](EncabezadoPedido &e) { e.numeroMostrado = QStringLiteral("  "); }, 1, "Debe digitar el Número de Comprobante"},
        {[](EncabezadoPedido &e) { e.codProveedor = 0; e.nombreProveedor.clear(); }, 1, "Debe seleccionar un proveedor"},
        {[](EncabezadoPedido &e) { e.descripcion = QStringLiteral(" "); }, 1, "Debe digitar una Descripción para el pedido"},
        {[](EncabezadoPedido &e) { e.fecha = QDate(); }, 1, "Debe digitar una Fecha"},
        {[](EncabezadoPedido &) {}, 0, "Debe cargar al menos un artículo para realizar el pedido"},
    };
    for (const Caso &c : casos) {
        env.mensajes.Limpiar();
        EncabezadoPedido e = Encabezado();
        c.cambio(e);
        EXPECT_FALSE(p->Guardar(e, Lineas(c.lineas)));
        EXPECT_EQ(env.mensajes.textos(), QStringList{QString::fromUtf8(c.mensaje)});
    }
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), antes);
}

// Each write of the save failing in turn: nothing of the order stays.
TEST_F(PedidosPrueba, UnaFallaEnCualquierEscrituraNoDejaNada)
{
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("create exception E_FALLA 'falla de prueba'"));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("create table FALLA_PRUEBA (CLAVE varchar(30))"));
    const char *disparadores[][3] = {{"PEDIDOS", "insert", "PEDIDOS"},
                                     {"DETALLE_PEDIDO", "insert", "DETALLE_PEDIDO"},
                                     {"CONSECUTIVOS", "update", "CONSECUTIVOS"}};
    int n = 0;
    for (const auto &d : disparadores)
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("create trigger T_FALLA_%1 for %2 before %3 as begin if (exists("
                                                           "select 1 from FALLA_PRUEBA where CLAVE = '%4')) then exception "
                                                           "E_FALLA; end")
                                                .arg(++n)
                                                .arg(QLatin1String(d[0]), QLatin1String(d[1]), QLatin1String(d[2])));
    // the third line fails, after two went in
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("create trigger T_FALLA_LINEA for DETALLE_PEDIDO before insert as "
                                                       "begin if (new.COD_BARRAS = 'ART-3' and exists(select 1 from "
                                                       "FALLA_PRUEBA where CLAVE = 'LINEA')) then exception E_FALLA; end"));
    for (const char *clave : {"PEDIDOS", "DETALLE_PEDIDO", "CONSECUTIVOS", "LINEA"}) {
        SCOPED_TRACE(clave);
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from FALLA_PRUEBA"));
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into FALLA_PRUEBA values ('%1')").arg(QLatin1String(clave)));
        const QString antes = EntornoPrueba::Volcado(env.tienda);
        env.mensajes.Limpiar();
        EXPECT_FALSE(p->Guardar(Encabezado(), Lineas(3)));
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), antes);
        ASSERT_EQ(env.mensajes.mostrados().size(), 1u);
        EXPECT_EQ(env.mensajes.mostrados()[0].tipo, Mensajes::Tipo::Error);
        EXPECT_TRUE(env.mensajes.textos()[0].contains(QLatin1String("falla de prueba"))) << env.mensajes.textos()[0].toStdString();
        if (QLatin1String(clave) == QLatin1String("CONSECUTIVOS")) {
            EXPECT_TRUE(env.mensajes.textos()[0].startsWith(QLatin1String("Error al Cambiar el Consecutivo del Pedido")));
        }
        EXPECT_FALSE(env.datos->TransUpdate->active());
    }
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from FALLA_PRUEBA"));
    EXPECT_TRUE(p->Guardar(Encabezado(), Lineas(3)));
}

TEST_F(PedidosPrueba, DosEstacionesGuardanALaVez)
{
    constexpr int kPorEstacion = 8;
    auto otra = env.AbrirConexion();
    auto otraMas = env.AbrirConexion();
    MensajesHilo m1, m2;
    ConexionExtra *conexiones[] = {otra.get(), otraMas.get()};
    MensajesHilo *mensajes[] = {&m1, &m2};
    std::vector<QString> numeros[2];
    std::vector<std::thread> hilos;
    for (int h = 0; h < 2; ++h)
        hilos.emplace_back([&, h] {
            ConexionExtra &c = *conexiones[h];
            ConexionesCompra cc;
            cc.tienda = &c.tienda;
            cc.transTienda = &c.transUpdate;
            cc.inventario = &c.inventario;
            cc.transInventario = &c.transUpdateInv;
            Pedidos estacion(cc, &c.transLectura, &c.transLecturaInv, *mensajes[h], QStringLiteral("HILO%1").arg(h));
            for (int i = 0; i < kPorEstacion; ++i)
                if (std::optional<QString> n = estacion.Guardar(Encabezado(), Lineas(3)))
                    numeros[h].push_back(*n);
        });
    for (std::thread &t : hilos)
        t.join();
    EXPECT_TRUE(m1.textos().isEmpty()) << m1.textos().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(m2.textos().isEmpty()) << m2.textos().join(QLatin1Char('\n')).toStdString();
    QSet<QString> todos;
    for (const auto &v : numeros)
        for (const QString &n : v)
            todos.insert(n);
    EXPECT_EQ(numeros[0].size() + numeros[1].size(), 2u * kPorEstacion);
    EXPECT_EQ(todos.size(), 2 * kPorEstacion);
    EXPECT_EQ(Cuenta(QStringLiteral("select count(*) from DETALLE_PEDIDO d join PEDIDOS p on p.COMPROBANTE = d.COMPROBANTE "
                                    "where p.CREATE_USERID starting with 'HILO'")),
              3 * 2 * kPorEstacion);
    EXPECT_EQ(Cuenta(QStringLiteral("select PEDIDO from CONSECUTIVOS")), Generador());
}

TEST_F(PedidosPrueba, AnulacionUnaSolaVez)
{
    Pedido(500);
    const QString num = NumeroPedido(500);
    env.mensajes.Responder(Mensajes::Respuesta::No);
    EXPECT_EQ(p->Anular(num, false), Pedidos::Anulacion::Cancelado);
    EXPECT_TRUE(env.mensajes.mostrados().back().destructiva);
    EXPECT_EQ(env.mensajes.mostrados().back().texto.toStdString(), "Desea anular el pedido Nº 000000000500?");
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select ANULADO from PEDIDOS where COMPROBANTE = '%1'").arg(num)),
              QStringLiteral("N"));

    // Another station annuls it while this one still lists it as open.
    auto otra = env.AbrirConexion();
    MensajesGuion m2;
    ConexionesCompra cc;
    cc.tienda = &otra->tienda;
    cc.transTienda = &otra->transUpdate;
    cc.inventario = &otra->inventario;
    cc.transInventario = &otra->transUpdateInv;
    Pedidos estacion2(cc, &otra->transLectura, &otra->transLecturaInv, m2, QStringLiteral("LUIS"));
    EXPECT_EQ(estacion2.Anular(num, false), Pedidos::Anulacion::Anulado);
    env.mensajes.Limpiar();
    EXPECT_EQ(p->Anular(num, false), Pedidos::Anulacion::YaAnulado);
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("El comprobante Nº000000000500 ya esta anulado")));
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select ANULADO || ANULADO_POR || UPDATE_USERID || "
                                                              "iif(FECHA_ANULADO is null, '-', '+') from PEDIDOS where "
                                                              "COMPROBANTE = '%1'")
                                                   .arg(num))
                  .toStdString(),
              "SLUISLUIS+");
    env.mensajes.Limpiar();
    EXPECT_EQ(p->Anular(num, true), Pedidos::Anulacion::YaAnulado);
    EXPECT_EQ(env.mensajes.textos().size(), 1);  // no question for an order listed as annulled
}

TEST_F(PedidosPrueba, PropuestaDeReposicion)
{
    const char *filas[] = {
        // code, name, stock, minimum, replenish, ordered, supplier, family
        "'R-1', 'ZETA', 2, 5, 10, 'S', 901, 'FR1'", "'R-2', 'ALFA', 5, 5, 3, 'S', 901, 'FR2'",
        "'R-3', 'BETA', 6, 5, 3, 'S', 901, 'FR1'",  "'R-4', 'GAMA', 0, 1, 4, 'N', 901, 'FR1'",
        "'R-5', 'DELTA', 1, 2, 7, 'S', 902, 'FR1'",
    };
    for (const char *f : filas)
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE, STOCK, STOCK_MINIMO, "
                                                               "REPOSICION, SE_USA_EN_PEDIDO, FK_PROVEEDOR, COD_FAMILIA, "
                                                               "PRECIO_COMPRA) values (%1, 12.5)")
                                                    .arg(QLatin1String(f)));
    auto codigos = [](const std::vector<ArticuloPedido> &v) {
        QStringList c;
        for (const ArticuloPedido &a : v)
            c << a.codBarras;
        return c.join(QLatin1Char(',')).toStdString();
    };
    EXPECT_EQ(codigos(p->PropuestaReposicion(901, {})), "R-2,R-1");
    EXPECT_EQ(codigos(p->PropuestaReposicion(901, QStringLiteral("FR1"))), "R-1");
    EXPECT_EQ(codigos(p->PropuestaReposicion(0, QStringLiteral("FR1"))), "R-5,R-1");
    const std::vector<ArticuloPedido> todos = p->PropuestaReposicion(0, {});
    for (const ArticuloPedido &a : todos)
        EXPECT_LE(a.stock, a.stockMinimo) << a.codBarras.toStdString();

    const LineasPedido l = Pedidos::LineasDePropuesta(p->PropuestaReposicion(901, {}));
    ASSERT_EQ(l.Cuenta(), 2);
    EXPECT_EQ(l.Filas()[1].cantidad, Currency(10));
    EXPECT_EQ(l.Filas()[1].stock, Currency(2));
    EXPECT_EQ(l.Filas()[1].precioCompra, Currency::fromString(std::string("12.5")));
    EXPECT_EQ(l.Filas()[1].codFamilia, QStringLiteral("FR1"));
}

TEST_F(PedidosPrueba, ListaYSelector)
{
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from DETALLE_PEDIDO"));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from PEDIDOS"));
    Pedido(1, "N", "N", 12, "2026-03-02");
    Pedido(2, "S", "N", 12, "2026-03-01");
    Pedido(3, "N", "S", 12, "2026-03-01");
    Pedido(4, "N", "N", 7, "2026-03-05");
    auto numeros = [](const std::vector<PedidoListado> &v) {
        QStringList c;
        for (const PedidoListado &pedido : v)
            c << QString::number(pedido.comprobante.toInt());
        return c.join(QLatin1Char(',')).toStdString();
    };
    EXPECT_EQ(numeros(p->Listar({})), "2,3,1,4");
    EXPECT_EQ(numeros(p->Listar({QDate(2026, 3, 2), QDate(2026, 3, 5), 0, false})), "1,4");
    EXPECT_EQ(numeros(p->Listar({QDate(2026, 3, 2), QDate(2026, 3, 2), 0, false})), "1");
    EXPECT_EQ(numeros(p->Listar({QDate(2026, 3, 5), QDate(2026, 3, 2), 12, false})), "2,3,1");  // reversed: no dates
    EXPECT_EQ(numeros(p->Listar({{}, {}, 0, true})), "1,4");
    const std::vector<PedidoListado> l = p->Listar({{}, {}, 12, false});
    ASSERT_EQ(l.size(), 3u);
    EXPECT_TRUE(l[0].anulado);
    EXPECT_TRUE(l[1].procesado);
    EXPECT_EQ(l[2].nombreProveedor, QStringLiteral("P12"));
}

TEST_F(PedidosPrueba, DetalleEnElOrdenGuardadoConNombreAlternativo)
{
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE, NOMBRE2) values "
                                                           "('ART-2', 'X', 'OTRO NOMBRE')"));
    LineasPedido l = Lineas(3);
    l.Deshabilitar(0, true);
    const std::optional<QString> n = p->Guardar(Encabezado(), l);
    ASSERT_TRUE(n);
    const std::vector<LineaGuardadaPedido> d = p->Detalle(*n, true);
    ASSERT_EQ(d.size(), 2u);  // the disabled row was not saved
    EXPECT_EQ(d[0].codBarras, QStringLiteral("ART-2"));
    EXPECT_EQ(d[0].nombre2, QStringLiteral("OTRO NOMBRE"));
    EXPECT_EQ(d[1].codBarras, QStringLiteral("ART-3"));
    EXPECT_EQ(d[1].cantidad, Currency(3));
    EXPECT_LT(d[0].id, d[1].id);
    EXPECT_TRUE(p->Detalle(*n, false)[0].nombre2.isEmpty());
}

TEST(LineasPedido, ElMismoArticuloSumaEnSuFila)
{
    ArticuloPedido a;
    a.codBarras = QStringLiteral("111");
    a.codigo2 = QStringLiteral("C2");
    a.codigo3 = QString();
    a.nombre = QStringLiteral("JABON");
    LineasPedido l;
    EXPECT_EQ(l.Agregar(a, 2, Currency(2)), 0);
    EXPECT_EQ(l.Agregar(a, 2, Currency(3)), 0);
    EXPECT_EQ(l.Filas()[0].codigo, QStringLiteral("C2"));
    EXPECT_EQ(l.Filas()[0].cantidad, Currency(5));
    EXPECT_EQ(l.Agregar(a, 1, Currency(1)), 1);  // another kind of code: its own row

    ArticuloPedido b = a;
    b.codBarras = QStringLiteral("222");
    b.codigo2 = QStringLiteral("D2");
    l.Agregar(b, 2, Currency(1));
    l.Borrar(0);
    EXPECT_EQ(l.Agregar(b, 2, Currency(1)), 1);  // the index follows the rows after a delete
    EXPECT_EQ(l.Filas()[1].cantidad, Currency(2));
    EXPECT_EQ(l.Agregar(a, 2, Currency(1)), 2);

    EXPECT_FALSE(l.ModificarCantidad(0, Currency(), Currency(9)));
    EXPECT_FALSE(l.ModificarCantidad(7, Currency(1), Currency(9)));
    EXPECT_TRUE(l.ModificarCantidad(0, Currency(4), Currency(9)));
    EXPECT_EQ(l.Filas()[0].precioCompra, Currency(9));
    l.Deshabilitar(1, true);
    l.AgregarFila({QString(), QStringLiteral("SIN CODIGO"), Currency(1), {}, false, {}, {}});
    EXPECT_EQ(l.ParaGuardar().size(), 2u);
}

} // namespace
