// Head-office invoice import: the store code, the list and its local state, recording an
// invoice (credit, differences, stock rule), failures leaving nothing, two stations at once,
// and a head office that cannot be reached.

#include "purchases/Comp_frmcomprascc.h"
#include "purchases/Comp_frmdetallefaccc.h"
#include "purchases/ImportacionCentral.h"
#include "platform/VariablesHost.h"
#include "support/EntornoPrueba.h"
#include "support/PruebaVentanas.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using namespace pruebas;

namespace {

constexpr int kTienda = 7;
constexpr int kProveedorCentral = 20;  // the demo's head office (COD_PROVEEDOR2 999)

AjustesCentral AjustesDe(const EntornoPrueba &env)
{
    AjustesCentral a;
    a.rutaPrincipal = a.rutaVentas = env.RutaBase(QStringLiteral("central"));
    a.segundosEspera = 5;
    return a;
}

// A listening socket that never answers: a head office that is slow to the point of hanging.
class PuertoMudo {
public:
    PuertoMudo()
    {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a);
        listen(fd_, 4);
        socklen_t largo = sizeof a;
        getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &largo);
        puerto_ = ntohs(a.sin_port);
    }
    ~PuertoMudo() { ::close(fd_); }
    int puerto() const { return puerto_; }

private:
    int fd_ = -1;
    int puerto_ = 0;
};

class Central : public ::testing::Test {
protected:
    EntornoPrueba env;
    std::unique_ptr<ImportacionCentral> imp;
    ProveedorCentral proveedor;

    void SetUp() override
    {
        imp = std::make_unique<ImportacionCentral>(ConexionesDeDatosComp(*env.datos), AjustesDe(env));
        imp->Conectar();
        proveedor = imp->IdentificarProveedor();
    }
    FacturaCentral Factura(const QString &comprobante)
    {
        for (const FacturaCentral &f : imp->ListarFacturas(kTienda, proveedor))
            if (f.comprobante == comprobante)
                return f;
        ADD_FAILURE() << "sin " << comprobante.toStdString();
        return {};
    }
    int Registrar(const QString &comprobante, std::vector<LineaCentral> *lineas = nullptr)
    {
        const FacturaCentral f = Factura(comprobante);
        const std::vector<LineaCentral> ls = lineas ? *lineas : imp->LeerLineas(comprobante);
        return imp->Registrar(f, ls, proveedor, kTienda, QStringLiteral("ADMIN"));
    }
    int Cuenta(db::Database &base, const QString &sql) { return EntornoPrueba::Entero(base, sql); }
    double Stock(const char *codigo)
    {
        return EntornoPrueba::Real(env.inventario,
                                   QStringLiteral("select STOCK from INVENTARIO where COD_BARRAS = '%1'").arg(codigo));
    }
};

} // namespace

TEST(CodigoTienda, RellenaATresDigitosTrasLosAsteriscos)
{
    EXPECT_EQ(CodigoTiendaCentral(7), QStringLiteral("***007"));
    EXPECT_EQ(CodigoTiendaCentral(12), QStringLiteral("***012"));
    EXPECT_EQ(CodigoTiendaCentral(1234), QStringLiteral("***1234"));
    EXPECT_EQ(CodigoTiendaCentral(0), QStringLiteral("***000"));
}

TEST(AjustesCentralIni, SinRutasUsaLaBaseDelAnfitrionYNingunaClaveFija)
{
    testsupport::ScratchDir dir;
    const QString ruta = dir.path() + QStringLiteral("/iniGestionCentral.ini");
    AjustesCentral a = AjustesCentral::DesdeIni(ruta, QStringLiteral("/datos/central.fdb"));
    EXPECT_EQ(a.codProveedor, 999);
    EXPECT_EQ(a.rutaVentas, QStringLiteral("/datos/central.fdb"));
    EXPECT_TRUE(a.clavePrincipal.isEmpty());
    EXPECT_TRUE(a.claveVentas.isEmpty());
    EXPECT_TRUE(a.direccionInternet.isEmpty());

    QFile f(ruta);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[datos]\ncodprovee=55\npcentral=srv:/c/principal.fdb\npcenventas=srv:/c/ventas.fdb\n"
            "usuarioventas=VENTAS\nclaveventas=xyz\nespera=3\n");
    f.close();
    a = AjustesCentral::DesdeIni(ruta, QStringLiteral("/datos/central.fdb"));
    EXPECT_EQ(a.codProveedor, 55);
    EXPECT_EQ(a.rutaPrincipal, QStringLiteral("srv:/c/principal.fdb"));
    EXPECT_EQ(a.rutaVentas, QStringLiteral("srv:/c/ventas.fdb"));
    EXPECT_EQ(a.usuarioVentas, QStringLiteral("VENTAS"));
    EXPECT_EQ(a.claveVentas, QStringLiteral("xyz"));
    EXPECT_EQ(a.segundosEspera, 3);
}

TEST(FiltroFacturasCentral, FechasPrefijoEstadoYOrden)
{
    std::vector<FacturaCentral> fs(4);
    const QDate hoy(2026, 5, 20);
    fs[0].fecha = hoy.addDays(-2);
    fs[0].comprobante = QStringLiteral("CC-02");
    fs[0].importeTotal = Currency(300);
    fs[1].fecha = hoy.addDays(-1);
    fs[1].comprobante = QStringLiteral("CC-01");
    fs[1].importeTotal = Currency(100);
    fs[2].fecha = hoy;
    fs[2].comprobante = QStringLiteral("XB-03");
    fs[2].importeTotal = Currency(200);
    fs[3].fecha = hoy.addDays(-40);
    fs[3].comprobante = QStringLiteral("CC-04");
    fs[3].importeTotal = Currency(50);
    fs[1].estado = QStringLiteral("S");
    auto comprobantes = [](const std::vector<const FacturaCentral *> &v) {
        QStringList r;
        for (const FacturaCentral *f : v)
            r << f->comprobante;
        return r;
    };
    FiltroCentral f;
    f.desde = hoy.addDays(-30);
    f.hasta = hoy;
    EXPECT_EQ(comprobantes(FiltrarFacturasCentral(fs, f)), (QStringList{"CC-02", "CC-01", "XB-03"}));
    f.orden = FiltroCentral::Orden::ImporteTotal;
    EXPECT_EQ(comprobantes(FiltrarFacturasCentral(fs, f)), (QStringList{"CC-01", "XB-03", "CC-02"}));
    f.orden = FiltroCentral::Orden::Comprobante;
    f.comprobante = QStringLiteral(" cc ");
    EXPECT_EQ(comprobantes(FiltrarFacturasCentral(fs, f)), (QStringList{"CC-01", "CC-02"}));
    f.tipo = FiltroCentral::Tipo::NoProcesadas;
    EXPECT_EQ(comprobantes(FiltrarFacturasCentral(fs, f)), (QStringList{"CC-02"}));
    f.tipo = FiltroCentral::Tipo::Procesadas;
    EXPECT_EQ(comprobantes(FiltrarFacturasCentral(fs, f)), (QStringList{"CC-01"}));
    // A start after the end drops the date filter.
    f = {};
    f.desde = hoy;
    f.hasta = hoy.addDays(-5);
    EXPECT_EQ(FiltrarFacturasCentral(fs, f).size(), 4u);
}

TEST_F(Central, ListaLasFacturasDeLaTiendaConSuEstadoLocal)
{
    ASSERT_TRUE(proveedor.encontrado);
    EXPECT_EQ(proveedor.codigo, kProveedorCentral);
    const auto lista = imp->ListarFacturas(kTienda, proveedor);
    QStringList vistos;
    for (const FacturaCentral &f : lista)
        vistos << f.comprobante + QLatin1Char('=') + f.estado;
    // CC-0000104 belongs to store 12.
    EXPECT_EQ(vistos, (QStringList{"CC-0000101=S", "CC-0000102=N", "CC-0000103=N"}));
    EXPECT_TRUE(imp->ListarFacturas(1234, proveedor).empty());  // ***1234 has no invoices
}

TEST_F(Central, FacturaYaRegistradaSeRechazaSinEscribir)
{
    const QString tienda = EntornoPrueba::Volcado(env.tienda);
    const QString inventario = EntornoPrueba::Volcado(env.inventario);
    EXPECT_EQ(Registrar(QStringLiteral("CC-0000101")), 0);
    EXPECT_EQ(imp->EstadoUltimo(), ImportacionCentral::Estado::YaRegistrada);
    EXPECT_EQ(imp->UltimoError(), QStringLiteral("La factura ya fue procesada"));
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tienda);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inventario);
}

TEST_F(Central, RegistraEncabezadoCuentaLineasMovimientosYStock)
{
    const double antes = Stock("7441001000349");
    const int id = Registrar(QStringLiteral("CC-0000102"));
    ASSERT_GT(id, 0) << imp->UltimoError().toStdString();
    EXPECT_EQ(Cuenta(env.tienda, QStringLiteral("select count(*) from FACTURAS_COMPRA where ID_COMPRA = %1 and "
                                                "COMPROBANTE = 'CC-0000102' and CODIGO_PROVEEDOR = 20 and "
                                                "IMPORTE_TOTAL = 40842")
                                     .arg(id)),
              1);
    EXPECT_EQ(Cuenta(env.tienda, QStringLiteral("select count(*) from DETALLE_FACTURAS_COMPRA where ID_COMPRA = %1").arg(id)), 3);
    EXPECT_EQ(Cuenta(env.tienda, QStringLiteral("select count(*) from MOVIMIENTOS_STOCK where COMPROBANTE = 'CC-0000102' "
                                                "and TIPO_MOVIMIENTO = 3 and CREATE_USERID = 'Gestioncc'")),
              3);
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select NOTA from CUENTA_PROVEEDOR where COMPROBANTE = "
                                                              "'CC-0000102' and COD_TIPO_MOV = 1 and IMPORTE = 40842 "
                                                              "and A_CANCELAR = 40842 and COD_PROVEEDOR = 20")),
              QStringLiteral("Factura de compra Nro. CC-0000102"));
    EXPECT_DOUBLE_EQ(Stock("7441001000349"), antes + 48);
    EXPECT_EQ(Cuenta(env.tienda, QStringLiteral("select count(*) from DIF_ENTRADA_SALIDA")), 0);
    // Listed as recorded from now on, and refused a second time.
    EXPECT_EQ(Factura(QStringLiteral("CC-0000102")).estado, QStringLiteral("S"));
    EXPECT_EQ(Registrar(QStringLiteral("CC-0000102")), 0);
}

TEST_F(Central, SinCreditoNoHayFilaDeCuentaYLasDiferenciasSoloDondeDifieren)
{
    auto lineas = imp->LeerLineas(QStringLiteral("CC-0000103"));
    ASSERT_EQ(lineas.size(), 2u);
    EXPECT_EQ(lineas[0].recibida, lineas[0].cantidad);
    lineas[1].recibida = Currency(3);  // 4 invoiced
    const double antes = Stock("7441001000240");
    ASSERT_GT(Registrar(QStringLiteral("CC-0000103"), &lineas), 0) << imp->UltimoError().toStdString();
    EXPECT_EQ(Cuenta(env.tienda, QStringLiteral("select count(*) from CUENTA_PROVEEDOR where COMPROBANTE = 'CC-0000103'")), 0);
    EXPECT_EQ(Cuenta(env.tienda, QStringLiteral("select count(*) from DIF_ENTRADA_SALIDA")), 1);
    EXPECT_EQ(Cuenta(env.tienda, QStringLiteral("select count(*) from DIF_ENTRADA_SALIDA where COD_BARRAS = '7441001000240' "
                                                "and CANT_ENVIADA = 4 and CANT_RECIBIDA = 3 and HASTA_TIENDA = 7 and "
                                                "DESDE_TIENDA = 0 and COMPROB_ENVIO = 'CC-0000103' and "
                                                "COMPROB_RECIBE = 'CC-0000103' and PRECIO_COSTO = 2200")),
              1);
    // Stock grows by what was invoiced, whatever was received.
    EXPECT_DOUBLE_EQ(Stock("7441001000240"), antes + 4);
}

TEST_F(Central, StockQueQuedaEnCeroTomaElCostoDeLaLinea)
{
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update INVENTARIO set STOCK = -6, COSTO_PROMEDIO = 4000 "
                                                           "where COD_BARRAS = '7441001000288'"));
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update INVENTARIO set STOCK = 6, COSTO_PROMEDIO = 2000 "
                                                           "where COD_BARRAS = '7441001000240'"));
    ASSERT_GT(Registrar(QStringLiteral("CC-0000103")), 0) << imp->UltimoError().toStdString();
    EXPECT_DOUBLE_EQ(Stock("7441001000288"), 0);
    EXPECT_DOUBLE_EQ(EntornoPrueba::Real(env.inventario, QStringLiteral("select COSTO_PROMEDIO from INVENTARIO where "
                                                                        "COD_BARRAS = '7441001000288'")),
                     5200);
    // Positive stock: (6 x 2000 + 4 x 2500) / 10.
    EXPECT_DOUBLE_EQ(EntornoPrueba::Real(env.inventario, QStringLiteral("select COSTO_PROMEDIO from INVENTARIO where "
                                                                        "COD_BARRAS = '7441001000240'")),
                     2200);
    EXPECT_DOUBLE_EQ(EntornoPrueba::Real(env.inventario, QStringLiteral("select PRECIO_COMPRA from INVENTARIO where "
                                                                        "COD_BARRAS = '7441001000240'")),
                     2500);
}

TEST_F(Central, UnFalloEnCualquierEscrituraDejaTodoComoEstaba)
{
    auto lineas = imp->LeerLineas(QStringLiteral("CC-0000102"));
    lineas[2].recibida = Currency(5);  // so the difference row is written too
    const QString tienda = EntornoPrueba::Volcado(env.tienda);
    const QString inventario = EntornoPrueba::Volcado(env.inventario);
    for (const char *paso : {"FACTURAS_COMPRA", "CUENTA_PROVEEDOR", "DETALLE_FACTURAS_COMPRA", "MOVIMIENTOS_STOCK",
                             "INVENTARIO", "DIF_ENTRADA_SALIDA"}) {
        imp->AntesDeEscribir = [&](const char *p) {
            if (qstrcmp(p, paso) == 0)
                throw ErrorCompras(QStringLiteral("falla inyectada en %1").arg(QLatin1String(p)));
        };
        EXPECT_EQ(Registrar(QStringLiteral("CC-0000102"), &lineas), 0) << paso;
        EXPECT_EQ(imp->EstadoUltimo(), ImportacionCentral::Estado::Fallida) << paso;
        EXPECT_TRUE(imp->UltimoError().startsWith(QStringLiteral("Ocurrió un error al procesar el comprobante CC-0000102")))
            << paso;
        EXPECT_TRUE(imp->UltimoError().contains(QStringLiteral("falla inyectada"))) << paso;
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tienda) << paso;
        EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inventario) << paso;
    }
    // Once the failures stop the same invoice records.
    imp->AntesDeEscribir = nullptr;
    EXPECT_GT(Registrar(QStringLiteral("CC-0000102"), &lineas), 0) << imp->UltimoError().toStdString();
}

TEST_F(Central, SinProveedorLocalNoSeRegistra)
{
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update PROVEEDORES set COD_PROVEEDOR2 = NULL where COD_PROVEEDOR = 20"));
    const ProveedorCentral p = imp->IdentificarProveedor();
    EXPECT_FALSE(p.encontrado);
    for (const FacturaCentral &f : imp->ListarFacturas(kTienda, p))
        EXPECT_EQ(f.estado, QStringLiteral("N"));
    const QString tienda = EntornoPrueba::Volcado(env.tienda);
    const FacturaCentral f = Factura(QStringLiteral("CC-0000102"));
    EXPECT_EQ(imp->Registrar(f, imp->LeerLineas(f.comprobante), p, kTienda, QStringLiteral("ADMIN")), 0);
    EXPECT_EQ(imp->EstadoUltimo(), ImportacionCentral::Estado::SinProveedor);
    EXPECT_TRUE(imp->UltimoError().contains(QStringLiteral("999")));
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tienda);
}

TEST_F(Central, DosEstacionesConLaMismaFacturaSoloUnaLaRegistra)
{
    auto otra = env.AbrirConexion();
    ConexionesCompra c2;
    c2.tienda = &otra->tienda;
    c2.transTienda = &otra->transUpdate;
    c2.inventario = &otra->inventario;
    c2.transInventario = &otra->transUpdateInv;
    ImportacionCentral imp2(c2, AjustesDe(env));
    imp2.Conectar();
    const FacturaCentral f = Factura(QStringLiteral("CC-0000102"));
    const auto lineas = imp->LeerLineas(f.comprobante);
    std::atomic<int> ids[2] = {0, 0};
    std::thread a([&] { ids[0] = imp->Registrar(f, lineas, proveedor, kTienda, QStringLiteral("A")); });
    std::thread b([&] { ids[1] = imp2.Registrar(f, lineas, proveedor, kTienda, QStringLiteral("B")); });
    a.join();
    b.join();
    EXPECT_EQ((ids[0] > 0) + (ids[1] > 0), 1) << imp->UltimoError().toStdString() << " / "
                                              << imp2.UltimoError().toStdString();
    EXPECT_EQ(Cuenta(env.tienda, QStringLiteral("select count(*) from FACTURAS_COMPRA where COMPROBANTE = 'CC-0000102'")), 1);
    EXPECT_EQ(Cuenta(env.tienda, QStringLiteral("select count(*) from CUENTA_PROVEEDOR where COMPROBANTE = 'CC-0000102'")), 1);
}

TEST(CentralCaida, SinServidorOConServidorMudoFallaConMensajeYATiempo)
{
    EntornoPrueba env;
    AjustesCentral a;
    a.segundosEspera = 2;
    // Nobody listens on port 1.
    a.rutaPrincipal = a.rutaVentas = QStringLiteral("127.0.0.1/1:/no/existe.fdb");
    ImportacionCentral caida(ConexionesDeDatosComp(*env.datos), a);
    try {
        caida.Conectar();
        ADD_FAILURE() << "conectó";
    } catch (const ErrorCentral &e) {
        EXPECT_TRUE(e.mensaje().startsWith(
            QStringLiteral("No se puede realizar la operación porque falló la conexión a la Base de Datos Central.")));
    }
    EXPECT_FALSE(caida.Conectada());

    PuertoMudo mudo;
    a.rutaPrincipal = a.rutaVentas = QStringLiteral("127.0.0.1/%1:/no/existe.fdb").arg(mudo.puerto());
    ImportacionCentral lenta(ConexionesDeDatosComp(*env.datos), a);
    QElapsedTimer reloj;
    reloj.start();
    EXPECT_THROW(lenta.Conectar(), ErrorCentral);
    EXPECT_LT(reloj.elapsed(), 8000);

    // Settings with no path at all.
    ImportacionCentral sinRuta(ConexionesDeDatosComp(*env.datos), AjustesCentral{});
    EXPECT_THROW(sinRuta.Conectar(), ErrorCentral);
}

TEST(ConexionInternet, PuertoAbiertoOCerrado)
{
    PuertoMudo abierto;
    EXPECT_TRUE(HayConexion(QStringLiteral("http://127.0.0.1:%1/").arg(abierto.puerto()), 2));
    EXPECT_FALSE(HayConexion(QStringLiteral("http://127.0.0.1:1/"), 2));
    EXPECT_FALSE(HayConexion(QString(), 2));
}

TEST_F(Central, VentanasListanConfirmanRecibidoYRegistran)
{
    CargarVariable(QStringLiteral("BaseCentral"), env.RutaBase(QStringLiteral("central")));
    auto *frm = new TfrmComprasCC(*env.datos);
    frm->show();
    Procesar();
    Procesar();
    const QString log = Control<QPlainTextEdit>(frm, "Memo_conexion")->toPlainText();
    EXPECT_TRUE(log.contains(QStringLiteral("Conectando con casa central...\nConectado"))) << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("internet")));  // no address configured: test skipped
    auto *grid = Control<QTableWidget>(frm, "grdFacturasCC");
    ASSERT_EQ(grid->rowCount(), 3) << env.mensajes.textos().join('|').toStdString();

    // The recorded one is refused.
    for (int i = 0; i < grid->rowCount(); ++i)
        if (grid->item(i, 1)->text() == QLatin1String("CC-0000101")) {
            EXPECT_EQ(grid->item(i, 6)->text(), QStringLiteral("S"));
            grid->selectRow(i);
        }
    env.mensajes.Limpiar();
    Control<QPushButton>(frm, "btnProcesar")->click();
    EXPECT_EQ(env.mensajes.textos(), QStringList{QStringLiteral("La factura ya fue procesada")});

    // CC-0000103 with one quantity short.
    for (int i = 0; i < grid->rowCount(); ++i)
        if (grid->item(i, 1)->text() == QLatin1String("CC-0000103"))
            grid->selectRow(i);
    Control<QPushButton>(frm, "btnProcesar")->click();
    Procesar();
    auto *detalle = frm->findChild<TfrmDetalleFacCC *>();
    ASSERT_NE(detalle, nullptr);
    auto *lineas = Control<QTableWidget>(detalle, "grdDetalle");
    ASSERT_EQ(lineas->rowCount(), 2);
    lineas->item(1, 3)->setText(QStringLiteral("3"));
    env.mensajes.Limpiar();
    EXPECT_TRUE(detalle->btnProcesarClick());
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("Comprobante CC-0000103 procesado correctamente")));
    Procesar();
    EXPECT_EQ(Cuenta(env.tienda, QStringLiteral("select count(*) from DIF_ENTRADA_SALIDA where CANT_RECIBIDA = 3")), 1);
    for (int i = 0; i < grid->rowCount(); ++i) {
        if (grid->item(i, 1)->text() == QLatin1String("CC-0000103")) {
            EXPECT_EQ(grid->item(i, 6)->text(), QStringLiteral("S"));
        }
    }
    frm->close();
    Procesar();
    CargarVariable(QStringLiteral("BaseCentral"), QString());
}

TEST_F(Central, VentanaSinConexionAvisaYSeCierra)
{
    CargarVariable(QStringLiteral("BaseCentral"), QString());
    QPointer<TfrmComprasCC> frm = new TfrmComprasCC(*env.datos);
    frm->show();
    Procesar();
    Procesar();
    Procesar();
    EXPECT_TRUE(env.mensajes.textos().join('|').contains(QStringLiteral("iniGestionCentral.ini")));
    EXPECT_TRUE(frm.isNull());
}

PRUEBAS_CON_VENTANAS_MAIN()
