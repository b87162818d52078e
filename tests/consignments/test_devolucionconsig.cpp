// Returning consigned goods: partial then full returns, the distributor mode's closed lines,
// inactive articles and settlement rows, failures at any write leaving every database as it
// was, and two stations returning the same lines.

#include "purchases/PosteoPrueba.h"

#include "consignments/DevolucionConsignacion.h"
#include "consignments/RecepcionConsignacion.h"
#include "consignments/TicketLiquidacion.h"
#include "data/CreacionBases.h"
#include "platform/ErrorCompras.h"

#include <QDir>
#include <QProcess>
#include <QFile>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

using namespace posteo;

namespace {

const QString kEstacion = QStringLiteral("PRUEBA");

// A loopback port nobody listens on (yet).
int PuertoLibre()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t n = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &n);
    ::close(s);
    return ntohs(a.sin_port);
}

class Devolucion : public ::testing::Test {
protected:
    EntornoPrueba env;
    int id = 0;

    void SetUp() override
    {
        Articulo(env, "ART-1", "10", "800");
        Articulo(env, "ART-2", "4", "100");
        EntornoPrueba::Ejecutar(env.inventario, "update INVENTARIO set CODIGO2 = 'INT-1', CODIGO3 = 'ED-7' "
                                                "where COD_BARRAS = 'ART-1'");
        Linea(env.tienda, kEstacion, 1, "ART-1", 5, "1000");
        Linea(env.tienda, kEstacion, 1, "ART-2", 3, "100");
        DocumentoConsignacion d;
        d.comprobante = "CONS-D";
        d.fecha = QDate(2024, 5, 6);
        d.codProveedor = 12;
        d.nombreProveedor = "COMERCIALIZADORA EL ROBLE S.A.";
        d.total = C("5650");
        d.impuesto = C("650");
        id = RecepcionConsignacion::DesdeDatosComp(*env.datos)->Guardar(d);
        ASSERT_GT(id, 0);
        ASSERT_EQ(Inv("STOCK", "ART-1"), C("15"));
    }
    AjustesDevolucionConsig Ajustes(bool distribuidora)
    {
        AjustesDevolucionConsig a;
        a.sisDistribuidora = distribuidora;
        a.actualizaExist = true;
        a.nroCaja = 1;
        a.computadora = kEstacion;
        a.usuario = "ADMIN";
        a.tipoCambio = C("520");
        if (distribuidora)
            a.distribuidora = AjustesBaseDistribuidora::DesdeDatosComp(*env.datos);
        return a;
    }
    std::unique_ptr<DevolucionConsignacion> Nueva(bool distribuidora)
    {
        auto d = std::make_unique<DevolucionConsignacion>(
            ConexionesCompra{&env.tienda, &env.transUpdate, &env.inventario, &env.transUpdateInv, nullptr, nullptr},
            Ajustes(distribuidora));
        d->EstablecerMensajes(&env.mensajes);
        return d;
    }
    // The open lines with `codigo` ticked to give back `cantidad` (its existence when empty).
    std::vector<LineaDevolucionConsig> Marcar(DevolucionConsignacion &d, const QString &codigo, const char *cantidad = nullptr)
    {
        auto lineas = d.Lineas(id);
        for (auto &l : lineas)
            if (codigo.isEmpty() || l.codigo == codigo) {
                l.marcada = true;
                if (cantidad)
                    l.cantidad = C(cantidad);
            }
        return lineas;
    }
    Currency Inv(const char *campo, const QString &cod)
    {
        return EntornoPrueba::Moneda(env.inventario,
                                     QStringLiteral("select %1 from INVENTARIO where COD_BARRAS = '%2'").arg(campo, cod));
    }
    Currency Bodega0(const QString &cod)
    {
        return EntornoPrueba::Moneda(env.inventario, QStringLiteral("select EXISTENCIA from EXISTENCIAS where COD_ART = '%1' "
                                                                    "and COD_BODEGA = '0'").arg(cod));
    }
    Currency Det(const char *campo, const QString &cod)
    {
        return EntornoPrueba::Moneda(env.tienda, QStringLiteral("select %1 from DETALLE_CONSIGNACION where "
                                                                "CODIGO_ARTICULO = '%2' and ID_CONSIGNACION = %3")
                                                     .arg(campo, cod)
                                                     .arg(id));
    }
    QString Devuelta()
    {
        return EntornoPrueba::Texto(env.tienda,
                                    QStringLiteral("select coalesce(DEVUELTA, 'N') from CONSIGNACIONES where ID_CONSIGNACION = %1").arg(id));
    }
    int Movimientos(const QString &cod)
    {
        return EntornoPrueba::Entero(env.tienda, QStringLiteral("select count(*) from MOVIMIENTOS_STOCK where TIPO_MOVIMIENTO = 2 "
                                                                "and COD_BARRAS = '%1' and COMPROBANTE = 'CONS-D'").arg(cod));
    }
};

TEST_F(Devolucion, PartThenTheRestReducesLinesAndStockOnlyByWhatWasGivenBack)
{
    auto d = Nueva(false);
    auto lineas = d->Lineas(id);
    ASSERT_EQ(lineas.size(), 2u);
    EXPECT_EQ(lineas[0].codigo, "ART-1");
    EXPECT_EQ(lineas[0].total, C("5"));
    EXPECT_EQ(lineas[0].cantidad, C("5"));
    EXPECT_EQ(lineas[0].codigoInterno, "INT-1");
    EXPECT_EQ(lineas[0].edicion, "ED-7");
    EXPECT_EQ(lineas[0].comprobante, "CONS-D");

    // Nothing ticked, or more than is open: refused, nothing written.
    const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario);
    EXPECT_EQ(d->Devolver(id, lineas), DevolucionConsignacion::Resultado::SinSeleccion);
    EXPECT_TRUE(env.mensajes.Mostro(DevolucionConsignacion::kSinSeleccion));
    EXPECT_EQ(d->Devolver(id, Marcar(*d, "ART-1", "5.0001")), DevolucionConsignacion::Resultado::Invalida);
    EXPECT_TRUE(env.mensajes.Mostro(DevolucionConsignacion::kCantidadIncorrecta));
    // A ticked line giving back nothing is named, even beside a good one.
    auto cero = Marcar(*d, QString());
    cero[1].cantidad = Currency();
    EXPECT_EQ(d->Devolver(id, cero), DevolucionConsignacion::Resultado::Invalida);
    EXPECT_TRUE(env.mensajes.Mostro(DevolucionConsignacion::TextoCantidadCero(2, "ART-2")));
    EXPECT_TRUE(DevolucionConsignacion::TextoCantidadCero(2, "ART-2").contains("La línea 2 (artículo ART-2)"));
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);

    ASSERT_EQ(d->Devolver(id, Marcar(*d, "ART-1", "2")), DevolucionConsignacion::Resultado::Hecha) << d->UltimoError().toStdString();
    EXPECT_EQ(Det("PROCESADOS", "ART-1"), C("2"));
    EXPECT_EQ(Det("EXISTENCIA", "ART-1"), C("3"));
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("13"));
    EXPECT_EQ(Bodega0("ART-1"), C("13"));
    EXPECT_EQ(Inv("STOCK", "ART-2"), C("7"));
    EXPECT_EQ(Movimientos("ART-1"), 1);
    EXPECT_EQ(Movimientos("ART-2"), 0);
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, "select coalesce(ARTICULO_INACTIVO, 'N') from INVENTARIO where "
                                                   "COD_BARRAS = 'ART-1'"), "N");
    ASSERT_EQ(d->Liquidacion().size(), 1u);
    EXPECT_EQ(d->Liquidacion()[0].devolucion, 2);
    EXPECT_EQ(d->Liquidacion()[0].diferencia, 3);

    // The rest: what remains open is exactly what can still go back.
    lineas = d->Lineas(id);
    ASSERT_EQ(lineas.size(), 2u);
    EXPECT_EQ(lineas[0].total, C("3"));
    EXPECT_EQ(d->Devolver(id, Marcar(*d, "ART-1", "4")), DevolucionConsignacion::Resultado::Invalida);
    ASSERT_EQ(d->Devolver(id, Marcar(*d, QString())), DevolucionConsignacion::Resultado::Hecha) << d->UltimoError().toStdString();
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("10"));
    EXPECT_EQ(Inv("STOCK", "ART-2"), C("4"));
    EXPECT_EQ(Bodega0("ART-2"), C("4"));
    EXPECT_EQ(Det("EXISTENCIA", "ART-1"), C("0"));
    EXPECT_TRUE(d->Lineas(id).empty());
    EXPECT_EQ(Devuelta(), "N");  // outside distributor mode the lines tell
}

TEST_F(Devolucion, DistributorModeClosesLinesTakesTheWholeExistenceAndRecordsTheSettlement)
{
    // One unit of ART-1 was sold.
    EntornoPrueba::Ejecutar(env.tienda, "update DETALLE_CONSIGNACION set EXISTENCIA = 4 where CODIGO_ARTICULO = 'ART-1'");
    auto d = Nueva(true);
    ASSERT_EQ(d->Devolver(id, Marcar(*d, "ART-1", "3")), DevolucionConsignacion::Resultado::Hecha) << d->UltimoError().toStdString();
    EXPECT_EQ(Det("PROCESADOS", "ART-1"), C("5"));
    EXPECT_EQ(Det("EXISTENCIA", "ART-1"), C("0"));
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("11"));  // the whole existence (4), not the 3 typed
    EXPECT_EQ(Bodega0("ART-1"), C("11"));
    EXPECT_EQ(EntornoPrueba::Moneda(env.tienda, "select CANTIDAD from MOVIMIENTOS_STOCK where TIPO_MOVIMIENTO = 2 and "
                                                "COD_BARRAS = 'ART-1'"), C("3"));
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, "select ARTICULO_INACTIVO from INVENTARIO where COD_BARRAS = 'ART-1'"), "S");
    // ART-2 is still open, so the consignment is not returned yet.
    EXPECT_EQ(Devuelta(), "N");

    BaseDistribuidora dis(AjustesBaseDistribuidora::DesdeDatosComp(*env.datos));
    dis.Conectar();
    auto filas = dis.Archivos("CONS-D");
    ASSERT_EQ(filas.size(), 1u);
    EXPECT_EQ(filas[0].codigoArticulo, "ART-1");
    EXPECT_EQ(filas[0].codigoInterno, "INT-1");
    EXPECT_EQ(filas[0].edicion, "ED-7");
    EXPECT_EQ(filas[0].total, 5);
    EXPECT_EQ(filas[0].devolucion, 3);
    EXPECT_EQ(filas[0].facturado, 1);
    EXPECT_EQ(filas[0].diferencia, 1);
    EXPECT_EQ(filas[0].fecha, QDate::currentDate().toString("MM/dd/yy"));

    ASSERT_EQ(d->Devolver(id, Marcar(*d, "ART-2")), DevolucionConsignacion::Resultado::Hecha) << d->UltimoError().toStdString();
    EXPECT_EQ(Devuelta(), "S");
    EXPECT_EQ(dis.Archivos("CONS-D").size(), 2u);
    EXPECT_EQ(d->Devolver(id, Marcar(*d, "ART-2")), DevolucionConsignacion::Resultado::SinSeleccion);
    EntornoPrueba::Ejecutar(env.tienda, "update DETALLE_CONSIGNACION set PROCESADOS = 0 where CODIGO_ARTICULO = 'ART-2'");
    EXPECT_EQ(d->Devolver(id, Marcar(*d, "ART-2", "1")), DevolucionConsignacion::Resultado::Rechazada);
    EXPECT_TRUE(env.mensajes.Mostro(DevolucionConsignacion::kYaDevuelta));
}

TEST_F(Devolucion, AFailureAtAnyWriteLeavesEveryDatabaseAsItWas)
{
    BaseDistribuidora dis(AjustesBaseDistribuidora::DesdeDatosComp(*env.datos));
    dis.Conectar();
    PrepararFallas(env.tienda, {"CONSIGNACIONES", "DETALLE_CONSIGNACION", "MOVIMIENTOS_STOCK"});
    PrepararFallas(env.inventario, {"INVENTARIO", "EXISTENCIAS"});
    PrepararFallas(dis.base(), {"TB_ARCHIVOS_GENERADOS"});
    struct Caso {
        db::Database *base;
        const char *clave;
    } casos[] = {{&env.tienda, "DETALLE_CONSIGNACION:U"}, {&env.tienda, "MOVIMIENTOS_STOCK:I"},
                 {&env.tienda, "CONSIGNACIONES:U"},       {&env.inventario, "INVENTARIO:U"},
                 {&env.inventario, "EXISTENCIAS:U"},      {&dis.base(), "TB_ARCHIVOS_GENERADOS:I"}};
    for (const Caso &caso : casos) {
        SCOPED_TRACE(caso.clave);
        Fallar(*caso.base, caso.clave);
        const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario),
                      x = EntornoPrueba::Volcado(dis.base());
        env.mensajes.Limpiar();
        auto d = Nueva(true);
        EXPECT_EQ(d->Devolver(id, Marcar(*d, QString())), DevolucionConsignacion::Resultado::Fallida);
        EXPECT_FALSE(d->UltimoError().isEmpty());
        EXPECT_TRUE(d->Liquidacion().empty());
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
        EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
        EXPECT_EQ(EntornoPrueba::Volcado(dis.base()), x);
        Fallar(*caso.base, {});
    }
    auto d = Nueva(true);
    EXPECT_EQ(d->Devolver(id, Marcar(*d, QString())), DevolucionConsignacion::Resultado::Hecha) << d->UltimoError().toStdString();
    EXPECT_EQ(Devuelta(), "S");
}

TEST_F(Devolucion, TwoStationsReturningTheSameLinesTakeTheStockOutOnce)
{
    MensajesHilo avisos;
    std::atomic<int> hechas{0};
    auto estacion = [&] {
        auto c = env.AbrirConexion();
        DevolucionConsignacion d(Conexiones(*c, false), Ajustes(false));
        d.EstablecerMensajes(&avisos);
        auto lineas = d.Lineas(id);
        for (auto &l : lineas)
            l.marcada = true;
        if (d.Devolver(id, lineas) == DevolucionConsignacion::Resultado::Hecha)
            ++hechas;
    };
    std::thread h1(estacion), h2(estacion);
    h1.join();
    h2.join();
    EXPECT_EQ(hechas.load(), 1) << avisos.textos().join('|').toStdString();
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("10"));
    EXPECT_EQ(Inv("STOCK", "ART-2"), C("4"));
    EXPECT_EQ(Movimientos("ART-1"), 1);
}

TEST_F(Devolucion, AfterTheCommitTheFilesAreWrittenAndAFailedMailStaysQueued)
{
    BaseDistribuidora dis(AjustesBaseDistribuidora::DesdeDatosComp(*env.datos));
    dis.Conectar();
    QTemporaryDir carpeta;
    const QString reportes = carpeta.filePath("reportes");
    ASSERT_TRUE(QDir().mkpath(reportes));
    EntornoPrueba::Ejecutar(env.tienda, "update DETALLE_CONSIGNACION set EXISTENCIA = 4 where CODIGO_ARTICULO = 'ART-1'");

    auto d = Nueva(true);
    // Nothing returned yet: nothing to send.
    EXPECT_FALSE(d->EnviarLiquidacion(carpeta.path()).apagado);
    ASSERT_EQ(d->Devolver(id, Marcar(*d, "ART-1", "2")), DevolucionConsignacion::Resultado::Hecha) << d->UltimoError().toStdString();
    // Sending switched off: said so, no file.
    EnvioDevolucion e = d->EnviarLiquidacion(carpeta.path());
    EXPECT_TRUE(e.apagado);
    EXPECT_TRUE(DevolucionConsignacion::TextoEnvio(e).contains("desactivado"));
    EXPECT_TRUE(QDir(reportes).entryList(QDir::Files).isEmpty());

    EntornoPrueba::Ejecutar(dis.base(), QStringLiteral("update CONFIG set ENVIA_REPORTES = 'S', DIRECCION_REPORTES = '%1/', "
                                                       "SMTP_SERVER = '127.0.0.1', PORT = 9, CODIGO_TERMINAL = 'T-1'")
                                            .arg(reportes));
    QList<int> fallos;
    e = d->EnviarLiquidacion(carpeta.path(), [&](int i) { fallos << i; }, 2);
    EXPECT_TRUE(e.error.isEmpty()) << e.error.toStdString();
    EXPECT_FALSE(e.envio.enviado);
    EXPECT_TRUE(e.envio.encolado);
    EXPECT_EQ(fallos, (QList<int>{1, 2, 3}));
    EXPECT_TRUE(DevolucionConsignacion::TextoEnvio(e).startsWith("Hubo un problema a la Hora de enviar el correo"));
    // Total 5, returned 2, sold 1: a positive difference, so the shrinkage file has its title only.
    QFile devol(reportes + "/DevolCONS-D.txt"), merma(reportes + "/MermaCONS-D.txt");
    ASSERT_TRUE(devol.open(QIODevice::ReadOnly));
    ASSERT_TRUE(merma.open(QIODevice::ReadOnly));
    const QByteArray titulo = kTituloArchivoDistribuidora.toLatin1() + "\r\n";
    EXPECT_EQ(devol.readAll(), titulo + "T-1,INT-1,ED-7,2," + QDate::currentDate().toString("MM/dd/yy").toLatin1() +
                                   ",CONS-D,RTN,Y,1,\r\n");
    EXPECT_EQ(merma.readAll(), titulo);
}

TEST_F(Devolucion, TheSettlementReachesAMailServerWithTheQueuedOneFirst)
{
    QTemporaryDir carpeta;
    const QString reportes = carpeta.filePath("reportes"), buzon = carpeta.filePath("buzon");
    ASSERT_TRUE(QDir().mkpath(reportes));
    ASSERT_TRUE(QDir().mkpath(buzon));
    const int puerto = PuertoLibre();

    BaseDistribuidora dis(AjustesBaseDistribuidora::DesdeDatosComp(*env.datos));
    dis.Conectar();
    EntornoPrueba::Ejecutar(dis.base(), QStringLiteral("update CONFIG set ENVIA_REPORTES = 'S', DIRECCION_REPORTES = '%1/', "
                                                       "SMTP_SERVER = '127.0.0.1', PORT = %2, \"USER\" = '', "
                                                       "CORREO_SALIDA = 'tienda@x.example', CORREO1 = 'uno@x.example', "
                                                       "CORREO1_RECIBE_MERMA = 'S', CORREO2 = 'dos@x.example', "
                                                       "CORREO2_RECIBE_MERMA = 'N', CORREO3 = null, CORREO4 = null, "
                                                       "CORREO5 = null")
                                            .arg(reportes)
                                            .arg(puerto));
    // The first return finds the server down: its mail is queued.
    auto d = Nueva(true);
    ASSERT_EQ(d->Devolver(id, Marcar(*d, "ART-1", "5")), DevolucionConsignacion::Resultado::Hecha) << d->UltimoError().toStdString();
    EnvioDevolucion e = d->EnviarLiquidacion(carpeta.path(), {}, 2);
    EXPECT_TRUE(e.envio.encolado);

    QProcess servidor;
    servidor.start("/usr/bin/python3", {COMPRAS_SMTP_PRUEBA, QString::number(puerto), buzon, "acepta"});
    ASSERT_TRUE(servidor.waitForReadyRead(15000));
    ASSERT_TRUE(servidor.readAll().contains("listo"));
    // One of ART-2 sold, one given back, one unaccounted for: the shrinkage file goes too.
    EntornoPrueba::Ejecutar(env.tienda, "update DETALLE_CONSIGNACION set EXISTENCIA = 2 where CODIGO_ARTICULO = 'ART-2'");
    ASSERT_EQ(d->Devolver(id, Marcar(*d, "ART-2", "1")), DevolucionConsignacion::Resultado::Hecha) << d->UltimoError().toStdString();
    e = d->EnviarLiquidacion(carpeta.path(), {}, 5);
    servidor.kill();
    servidor.waitForFinished(5000);
    EXPECT_TRUE(e.envio.enviado) << e.envio.error.toStdString();
    EXPECT_EQ(e.envio.reenviadosDeCola, 1);
    EXPECT_EQ(e.envio.pendientesEnCola, 0);
    EXPECT_EQ(DevolucionConsignacion::TextoEnvio(e), "Los Archivos han sido enviados");
    const QStringList correos = QDir(buzon).entryList({"*.eml"}, QDir::Files, QDir::Name);
    ASSERT_EQ(correos.size(), 2);
    QFile sobre(buzon + "/2.sobre"), correo(buzon + "/2.eml");
    ASSERT_TRUE(sobre.open(QIODevice::ReadOnly));
    ASSERT_TRUE(correo.open(QIODevice::ReadOnly));
    EXPECT_EQ(sobre.readAll(), "tienda@x.example\nuno@x.example\n");  // only the flagged recipient
    const QByteArray texto = correo.readAll();
    EXPECT_TRUE(texto.contains("MermaCONS-D.txt"));
    EXPECT_TRUE(texto.contains("DevolCONS-D.txt"));
}

TEST_F(Devolucion, AFailedResendKeepsOneQueuedSendPerConsignment)
{
    QTemporaryDir carpeta;
    const QString reportes = carpeta.filePath("reportes"), buzon = carpeta.filePath("buzon");
    ASSERT_TRUE(QDir().mkpath(reportes));
    ASSERT_TRUE(QDir().mkpath(buzon));
    const int puerto = PuertoLibre();
    const AjustesBaseDistribuidora base = AjustesBaseDistribuidora::DesdeDatosComp(*env.datos);
    BaseDistribuidora dis(base);
    dis.Conectar();
    EntornoPrueba::Ejecutar(dis.base(), QStringLiteral("update CONFIG set ENVIA_REPORTES = 'S', DIRECCION_REPORTES = '%1/', "
                                                       "SMTP_SERVER = '127.0.0.1', PORT = %2, \"USER\" = '', "
                                                       "CORREO_SALIDA = 'tienda@x.example', CORREO1 = 'uno@x.example', "
                                                       "CORREO1_RECIBE_MERMA = 'S'")
                                            .arg(reportes)
                                            .arg(puerto));
    // Another consignment's send waits in the queue as well: it is not replaced.
    ColaCorreo cola(carpeta.filePath("CorreoPendiente"));
    QFile otro(carpeta.filePath("DevolOTRA.txt"));
    ASSERT_TRUE(otro.open(QIODevice::WriteOnly));
    otro.write("x");
    otro.close();
    cola.Encolar({"tienda@x.example", {"uno@x.example"}, kAsuntoDevolucion, kAsuntoDevolucion, {otro.fileName()}}, "caido");

    // The server is down for the return and for two resends.
    auto d = Nueva(true);
    ASSERT_EQ(d->Devolver(id, Marcar(*d, "ART-1", "5")), DevolucionConsignacion::Resultado::Hecha) << d->UltimoError().toStdString();
    ASSERT_TRUE(d->EnviarLiquidacion(carpeta.path(), {}, 2).envio.encolado);
    for (int i = 0; i < 2; ++i) {
        const EnvioDevolucion r = DevolucionConsignacion::ReenviarArchivos(base, "CONS-D", carpeta.path(), 2);
        EXPECT_TRUE(r.envio.encolado) << r.error.toStdString();
        EXPECT_EQ(r.envio.pendientesEnCola, 2);
    }

    QProcess servidor;
    servidor.start("/usr/bin/python3", {COMPRAS_SMTP_PRUEBA, QString::number(puerto), buzon, "acepta"});
    ASSERT_TRUE(servidor.waitForReadyRead(15000));
    const EnvioDevolucion r = DevolucionConsignacion::ReenviarArchivos(base, "CONS-D", carpeta.path(), 5);
    servidor.kill();
    servidor.waitForFinished(5000);
    EXPECT_TRUE(r.envio.enviado) << r.envio.error.toStdString();
    EXPECT_EQ(r.envio.reenviadosDeCola, 1);  // the other consignment's
    EXPECT_EQ(r.envio.pendientesEnCola, 0);
    // The other consignment's mail and this one's, each once.
    const QStringList correos = QDir(buzon).entryList({"*.eml"}, QDir::Files, QDir::Name);
    ASSERT_EQ(correos.size(), 2);
    QFile primero(buzon + "/1.eml"), segundo(buzon + "/2.eml");
    ASSERT_TRUE(primero.open(QIODevice::ReadOnly));
    ASSERT_TRUE(segundo.open(QIODevice::ReadOnly));
    EXPECT_TRUE(primero.readAll().contains("DevolOTRA.txt"));
    EXPECT_TRUE(segundo.readAll().contains("DevolCONS-D.txt"));
}

TEST_F(Devolucion, AnOlderDistributorDatabaseGetsTheGroupedCommitTablesFromCheck)
{
    {
        BaseDistribuidora dis(AjustesBaseDistribuidora::DesdeDatosComp(*env.datos));
        dis.Conectar();
        EntornoPrueba::Ejecutar(dis.base(), "drop table TRANSACCIONES_2PC_MIEMBROS");
        EntornoPrueba::Ejecutar(dis.base(), "drop table TRANSACCIONES_2PC");
    }
    BaseDistribuidora dis(AjustesBaseDistribuidora::DesdeDatosComp(*env.datos));
    dis.Conectar();
    const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario),
                  x = EntornoPrueba::Volcado(dis.base());
    auto d = Nueva(true);
    EXPECT_EQ(d->Devolver(id, Marcar(*d, "ART-1")), DevolucionConsignacion::Resultado::Fallida);
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
    EXPECT_EQ(EntornoPrueba::Volcado(dis.base()), x);

    EXPECT_EQ(ActualizarEsquema(dis.base(), "distribuidora"),
              (QStringList{"Creada la tabla TRANSACCIONES_2PC", "Creada la tabla TRANSACCIONES_2PC_MIEMBROS"}));
    EXPECT_TRUE(ActualizarEsquema(dis.base(), "distribuidora").isEmpty());
    ASSERT_EQ(d->Devolver(id, Marcar(*d, "ART-1")), DevolucionConsignacion::Resultado::Hecha) << d->UltimoError().toStdString();
    EXPECT_EQ(Inv("STOCK", "ART-1"), C("10"));
    EXPECT_EQ(dis.Archivos("CONS-D").size(), 1u);
    EXPECT_TRUE(ActualizarEsquema(dis.base(), "distribuidora").isEmpty());
}

TEST(TicketLiquidacionTest, LayoutAndOnlyDevicesOrWritableFilesAsOutput)
{
    const EmpresaReporte e{"LA ESPERANZA", "Avenida Central", "Alajuela", "Céd. Jur.", "3-101", "2445-3344", "2445-3345"};
    FilaLiquidacion f;
    f.codigoArticulo = "ART-1";
    f.nombreArticulo = "ARTICULO ART-1";
    f.total = 5;
    f.devolucion = 2;
    f.facturado = 1;
    f.diferencia = 2;
    const QByteArray t = TextoTicketLiquidacion(e, "CONS-D", QDate(2026, 12, 6), {f}, 2, true);
    const QList<QByteArray> l = t.split('\n');
    ASSERT_GE(l.size(), 18);
    EXPECT_EQ(l[0], "              LA ESPERANZA\r");  // (40 - 12) / 2 spaces
    EXPECT_EQ(l[1], "       Avenida Central - Alajuela\r");
    EXPECT_EQ(l[3], QByteArray("  Tel\xe9" "fono: 2445-3344   Fax: 2445-3345\r"));
    EXPECT_EQ(l[4], "       COMPROBANTE NUMERO: CONS-D\r");
    EXPECT_EQ(l[7], "       LIQUIDACION DE DOCUMENTOS\r");
    EXPECT_EQ(l[9], "   COD.         TOTAL  DEVOL. FACT. MER.\r");
    EXPECT_EQ(l[11], "   ART-1\r");
    EXPECT_EQ(l[13], "                 5     2     1     2\r");
    EXPECT_EQ(l[14], "\r");
    EXPECT_EQ(l[15], "\r");
    EXPECT_EQ(l[16], "\x1bi\r");
    EmpresaReporte larga = e;
    larga.direccion = QString(60, QLatin1Char('D'));
    const QByteArray sinCorte = TextoTicketLiquidacion(larga, "X", QDate(2026, 12, 6), {f}, 0, false);
    EXPECT_FALSE(sinCorte.contains('\x1b'));
    EXPECT_EQ(sinCorte.split('\n')[1], QByteArray(40, 'D') + "\r");  // truncated, not centred

    QTemporaryDir dir;
    const QString archivo = dir.filePath("ticket.txt");
    EscribirSalidaTicket(archivo, "viejo viejo viejo");
    EscribirSalidaTicket(archivo, t);  // overwritten
    QFile leido(archivo);
    ASSERT_TRUE(leido.open(QIODevice::ReadOnly));
    EXPECT_EQ(leido.readAll(), t);
    EXPECT_NO_THROW(EscribirSalidaTicket("/dev/null", t));
    const QString fifo = dir.filePath("tubo");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &mala : {dir.path(), fifo, dir.filePath("no/existe"), QString()}) {
        SCOPED_TRACE(mala.toStdString());
        EXPECT_THROW(EscribirSalidaTicket(mala, t), ErrorCompras);
    }
}

} // namespace
