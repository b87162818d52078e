// The distributor's files byte for byte, written whole or not at all, the e-mail that carries
// them, and the distributor database: settings, mail settings and the settlement rows.

#include "records/ArchivosDistribuidora.h"
#include "records/BaseDistribuidora.h"
#include "support/EntornoPrueba.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

FilaLiquidacion Fila(const char *codigo, const char *interno, bool libro, double devolucion, double diferencia)
{
    FilaLiquidacion f;
    f.nombreArticulo = QStringLiteral("ARTICULO ") + codigo;
    f.codigoArticulo = codigo;
    f.codigoInterno = interno;
    f.esLibro = libro;
    f.total = 10;
    f.devolucion = devolucion;
    f.diferencia = diferencia;
    f.facturado = 10 - devolucion + diferencia;
    f.edicion = "111";
    f.nroFactura = "DRN-4398";
    f.fecha = "12/01/26";
    f.devolver = "10";
    return f;
}

QByteArray Leer(const QString &ruta)
{
    QFile f(ruta);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<no existe>");
}

const QByteArray kTitulo = "Cliente;bipad,;ed;devoluci\xf3n;fecha;referencia;RTN;Apply;TransCode\r\n";

TEST(ArchivosDistribuidora, BooksUseTheirCodeOthersTheInternalOneShrinkageOnlyNegative)
{
    const std::vector<FilaLiquidacion> filas{Fila("9771234500105", "SB-0111", true, 4, -2.5),
                                             Fila("7501000000017", "RV-0222", false, 2, 1),
                                             Fila("7501000000024", "RV-0333", false, 1.5, 0),
                                             Fila("7501000000031", "RV-0444", false, 3, -1.23456)};
    EXPECT_EQ(ContenidoDevol("T-0457", filas),
              kTitulo + "T-0457,9771234500105,111,4,12/01/26,DRN-4398,RTN,Y,1,\r\n"
                        "T-0457,RV-0222,111,2,12/01/26,DRN-4398,RTN,Y,1,\r\n"
                        "T-0457,RV-0333,111,1.5,12/01/26,DRN-4398,RTN,Y,1,\r\n"
                        "T-0457,RV-0444,111,3,12/01/26,DRN-4398,RTN,Y,1,\r\n");
    EXPECT_EQ(ContenidoMerma("T-0457", filas, CantidadesArchivo::Devolucion),
              kTitulo + "T-0457,9771234500105,111,-2.5,12/01/26,DRN-4398,RTN,N,1,\r\n"
                        "T-0457,RV-0444,111,-1.2346,12/01/26,DRN-4398,RTN,N,1,\r\n");
    // A resend writes the stored difference as it is.
    EXPECT_EQ(ContenidoMerma("T-0457", filas, CantidadesArchivo::Reenvio),
              kTitulo + "T-0457,9771234500105,111,-2.5,12/01/26,DRN-4398,RTN,N,1,\r\n"
                        "T-0457,RV-0444,111,-1.23456,12/01/26,DRN-4398,RTN,N,1,\r\n");
}

TEST(ArchivosDistribuidora, HeaderOnlyFilesAndNoShrinkageWithoutDifferences)
{
    testsupport::ScratchDir dir;
    const QString carpeta = dir.path() + '/';
    // No difference at all: only the return file.
    ArchivosGenerados a = EscribirArchivosDistribuidora(carpeta, "C-1", "T", {Fila("A", "IA", false, 2, 0)},
                                                        CantidadesArchivo::Devolucion);
    EXPECT_TRUE(a.merma.isEmpty());
    EXPECT_FALSE(QFile::exists(carpeta + "MermaC-1.txt"));
    EXPECT_EQ(a.devol, carpeta + "DevolC-1.txt");
    EXPECT_EQ(Leer(a.devol), kTitulo + "T,IA,111,2,12/01/26,DRN-4398,RTN,Y,1,\r\n");
    // Only positive differences: the shrinkage file holds its title alone.
    a = EscribirArchivosDistribuidora(carpeta, "C-2", "T", {Fila("A", "IA", false, 2, 3)}, CantidadesArchivo::Devolucion);
    EXPECT_EQ(Leer(a.merma), kTitulo);
    EXPECT_EQ(a.merma, carpeta + "MermaC-2.txt");
    // No rows (a resend of a consignment with none stored): the return file's title alone.
    a = EscribirArchivosDistribuidora(carpeta, "C-3", "T", {}, CantidadesArchivo::Reenvio);
    EXPECT_EQ(Leer(a.devol), kTitulo);
    EXPECT_TRUE(a.merma.isEmpty());
}

TEST(ArchivosDistribuidora, WritesWholeFilesOrNothing)
{
    testsupport::ScratchDir dir;
    const QString carpeta = dir.path() + '/';
    QFile viejo(carpeta + "DevolC-1.txt");
    ASSERT_TRUE(viejo.open(QIODevice::WriteOnly));
    viejo.write(QByteArray(5000, 'x'));
    viejo.close();
    EscribirArchivosDistribuidora(carpeta, "C-1", "T", {Fila("A", "IA", false, 2, 0)}, CantidadesArchivo::Devolucion);
    EXPECT_EQ(Leer(carpeta + "DevolC-1.txt"), kTitulo + "T,IA,111,2,12/01/26,DRN-4398,RTN,Y,1,\r\n");
    EXPECT_EQ(QDir(carpeta).entryList(QDir::Files | QDir::Hidden).size(), 1);

    EXPECT_THROW(EscribirArchivosDistribuidora(carpeta + "no/existe/", "C-1", "T", {}, CantidadesArchivo::Devolucion),
                 ErrorArchivoDistribuidora);
    EXPECT_THROW(EscribirArchivosDistribuidora(carpeta, "../C-1", "T", {}, CantidadesArchivo::Devolucion),
                 ErrorArchivoDistribuidora);
    EXPECT_EQ(QDir(carpeta).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 1);
}

TEST(ArchivosDistribuidora, MailGoesToFlaggedAddressesWithTheRightSubject)
{
    testsupport::ScratchDir dir;
    const QString carpeta = dir.path() + '/';
    ConfigCorreoDistribuidora c;
    c.correoSalida = " tienda@x.example ";
    c.correos[0] = "uno@x.example";
    c.correos[1] = "dos@x.example";
    c.correos[2] = "tres@x.example";
    c.correos[4] = "";
    c.recibeMerma[0] = true;
    c.recibeMerma[2] = true;
    c.recibeMerma[4] = true;  // flagged but empty
    ArchivosGenerados a = EscribirArchivosDistribuidora(carpeta, "C-1", "T", {Fila("A", "IA", false, 2, -1)},
                                                        CantidadesArchivo::Devolucion);
    MensajeCorreo m = CorreoDistribuidora(c, a);
    EXPECT_EQ(m.remitente, "tienda@x.example");
    EXPECT_EQ(m.destinatarios, (QStringList{"uno@x.example", "tres@x.example"}));
    EXPECT_EQ(m.asunto, "Reporte de Diferencias de devolución de Consignación");
    EXPECT_EQ(m.adjuntos, (QStringList{a.merma, a.devol}));
    a = EscribirArchivosDistribuidora(carpeta, "C-2", "T", {Fila("A", "IA", false, 2, 0)}, CantidadesArchivo::Devolucion);
    m = CorreoDistribuidora(c, a);
    EXPECT_EQ(m.asunto, "Reporte de devolución de Consignación");
    EXPECT_EQ(m.adjuntos, QStringList{a.devol});
    c.smtpServer = " smtp.x.example ";
    c.puerto = 0;
    EXPECT_EQ(ServidorDistribuidora(c).host, "smtp.x.example");
    EXPECT_EQ(ServidorDistribuidora(c).puerto, 25);
}

TEST(BaseDistribuidoraTest, SettingsComeFromTheIniOrTheHostsDefaults)
{
    testsupport::ScratchDir dir;
    const AjustesBaseDistribuidora porDefecto{dir.file("distribuidora.fdb"), QString(), "HOSTUSER", "hostclave"};
    AjustesBaseDistribuidora a = AjustesBaseDistribuidora::DesdeIni(dir.file("datos.ini"), porDefecto);
    EXPECT_EQ(a.Conexion(), dir.file("distribuidora.fdb"));
    EXPECT_EQ(a.usuario, "HOSTUSER");
    EXPECT_EQ(a.clave, "hostclave");
    QFile ini(dir.file("datos.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[BaseDatos]\r\nUbicacionDis= /datos/dis.fdb \r\nServidor= srv1 \r\nUsuarioDis=DIS\r\nClaveDis=otra\r\n");
    ini.close();
    a = AjustesBaseDistribuidora::DesdeIni(dir.file("datos.ini"), porDefecto);
    EXPECT_EQ(a.Conexion(), "srv1:/datos/dis.fdb");
    EXPECT_EQ(a.usuario, "DIS");
    EXPECT_EQ(a.clave, "otra");
}

TEST(BaseDistribuidoraTest, ReadsMailSettingsAndKeepsSettlementRowsOnlyWhenCommitted)
{
    EntornoPrueba env;
    BaseDistribuidora fallida({env.carpeta.file("no-existe.fdb"), QString(), "SYSDBA", "x"});
    try {
        fallida.Conectar();
        ADD_FAILURE() << "conectó a una base inexistente";
    } catch (const ErrorCompras &e) {
        EXPECT_TRUE(e.mensaje().startsWith(BaseDistribuidora::kErrorConexion));
    }
    EXPECT_FALSE(fallida.Conectada());

    // The module's default: beside the store database, with its connection's user.
    const AjustesBaseDistribuidora ajustes = AjustesBaseDistribuidora::DesdeDatosComp(*env.datos);
    EXPECT_EQ(ajustes.Conexion(), env.RutaBase("distribuidora"));
    EXPECT_EQ(ajustes.usuario, env.datos->dbCorvane->params().user);
    BaseDistribuidora dis(ajustes);
    dis.Conectar();
    const ConfigCorreoDistribuidora c = dis.LeerConfigCorreo();
    EXPECT_EQ(c.smtpServer, "smtp.laesperanza.example");
    EXPECT_EQ(c.puerto, 587);
    EXPECT_FALSE(c.enviaReportes);
    EXPECT_EQ(c.codigoTerminal, "T-0457");
    EXPECT_TRUE(c.recibeMerma[0] && c.recibeMerma[1] && !c.recibeMerma[2]);

    FilaLiquidacion f = Fila("9771234500105", "SB-0111", true, 4, -2.5);
    f.nroFactura = "PRUEBA-1";
    dis.InsertarArchivoGenerado(f);
    dis.transUpdate().rollback();
    EXPECT_TRUE(dis.Archivos("PRUEBA-1").empty());
    dis.InsertarArchivoGenerado(f);
    f.codigoArticulo = "7501000000017";
    f.diferencia = 0;
    dis.InsertarArchivoGenerado(f);
    dis.transUpdate().commit();
    const std::vector<FilaLiquidacion> filas = dis.Archivos("PRUEBA-1");
    ASSERT_EQ(filas.size(), 2u);
    EXPECT_EQ(filas[0].codigoArticulo, "9771234500105");
    EXPECT_EQ(filas[0].diferencia, -2.5);
    EXPECT_EQ(filas[0].devolucion, 4);
    EXPECT_EQ(filas[0].codigoInterno, "SB-0111");
    EXPECT_EQ(filas[1].diferencia, 0);
    EXPECT_EQ(filas[0].fecha, "12/01/26");

    // Supplier 25 is the book distributor (COD_PROVEEDOR2 "2000").
    EntornoPrueba::Ejecutar(env.inventario, "insert into INVENTARIO (COD_BARRAS, NOMBRE, FK_PROVEEDOR) values "
                                            "('LIBRO-1', 'UN LIBRO', 25)");
    EntornoPrueba::Ejecutar(env.inventario, "insert into INVENTARIO (COD_BARRAS, NOMBRE, FK_PROVEEDOR) values "
                                            "('OTRO-1', 'OTRA COSA', 12)");
    db::Transaction t(env.inventario, db::TransactionKind::Read);
    EXPECT_TRUE(ArticuloEsLibro(env.inventario, t, "LIBRO-1"));
    EXPECT_FALSE(ArticuloEsLibro(env.inventario, t, "OTRO-1"));
    EXPECT_FALSE(ArticuloEsLibro(env.inventario, t, "NO-EXISTE"));
    t.commit();
}

} // namespace

namespace {

// A server nobody listens on: three logged attempts, then the send waits in the queue with its
// files, and the next sending tries it first again.
TEST(ArchivosDistribuidora, ASendThatFailsEveryAttemptIsQueuedNotLost)
{
    testsupport::ScratchDir dir;
    const QString carpeta = dir.path() + '/';
    ConfigCorreoDistribuidora c;
    c.smtpServer = "127.0.0.1";
    c.puerto = 9;  // discard: nothing listens there here
    c.usuario = "tienda";
    c.clave = "clave-secreta";
    c.correoSalida = "tienda@x.example";
    c.correos[1] = "dos@x.example";
    c.recibeMerma[1] = true;
    const ArchivosGenerados a = EscribirArchivosDistribuidora(carpeta, "C-9", "T", {Fila("A", "IA", false, 2, -1)},
                                                              CantidadesArchivo::Devolucion);
    ColaCorreo cola(dir.file("cola"));
    QList<int> fallos;
    EnvioDistribuidora r = EnviarArchivosDistribuidora(c, a, dir.path(), cola, 3, [&](int i) { fallos << i; }, 2);
    EXPECT_FALSE(r.enviado);
    EXPECT_TRUE(r.encolado);
    EXPECT_EQ(r.intentos, 3);
    EXPECT_EQ(fallos, (QList<int>{1, 2, 3}));
    EXPECT_EQ(r.pendientesEnCola, 1);
    const QString log = QString::fromUtf8(Leer(dir.file(NombreLogEnvio())));
    EXPECT_EQ(log.count("Contraseña: ********\r\n"), 3);
    EXPECT_FALSE(log.contains("clave-secreta"));
    EXPECT_EQ(log.count("Correo Destino: dos@x.example\r\n"), 3);
    ASSERT_EQ(cola.Pendientes().size(), 1u);
    const MensajeCorreo guardado = cola.Pendientes()[0].mensaje;
    EXPECT_EQ(guardado.asunto, kAsuntoDiferencias);
    ASSERT_EQ(guardado.adjuntos.size(), 2);
    EXPECT_EQ(Leer(guardado.adjuntos[1]), Leer(a.devol));

    // The next return's sending fails too: both stay queued, neither is lost.
    r = EnviarArchivosDistribuidora(c, a, dir.path(), cola, 1, {}, 2);
    EXPECT_EQ(r.reenviadosDeCola, 0);
    EXPECT_EQ(r.pendientesEnCola, 2);
}

} // namespace
