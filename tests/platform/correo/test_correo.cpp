// E-mail through a real SMTP server on the loopback: delivery with attachments read back by an
// independent MIME parser, refusals and a server that is down logged with the password masked,
// a server that takes the third attempt, the time limit, and the queue on disk.

#include "platform/Correo.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kClave = QStringLiteral("s3cr3t-Ñ");

// A loopback port nobody listens on at the moment of asking; with `escuchar` it stays bound
// and listening (a server that takes connections and never answers).
int Puerto(int *socketAbierto = nullptr)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t n = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr *>(&a), &n);
    if (socketAbierto) {
        listen(s, 4);
        *socketAbierto = s;
    } else {
        close(s);
    }
    return ntohs(a.sin_port);
}

class ServidorSmtp {
public:
    // With `tls` a self-signed certificate is made (certificado()) and STARTTLS is required.
    ServidorSmtp(const QString &carpeta, const QString &modo, bool conLogin = true, bool tls = false) : carpeta_(carpeta)
    {
        QDir().mkpath(carpeta);
        puerto_ = Puerto();
        if (tls) {
            QProcess ssl;
            ssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                       "subjectAltName=IP:127.0.0.1", "-keyout", carpeta + "/clave.pem", "-out", certificado()});
            ssl.waitForFinished(30000);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("SMTP_CERT"), certificado());
            env.insert(QStringLiteral("SMTP_KEY"), carpeta + "/clave.pem");
            p_.setProcessEnvironment(env);
        }
        QStringList args{QStringLiteral(COMPRAS_SMTP_PRUEBA), QString::number(puerto_), carpeta, modo};
        if (conLogin)
            args << QStringLiteral("usuario") << kClave;
        p_.start(kPython, args);
        if (p_.waitForReadyRead(15000))
            listo_ = p_.readAll().contains("listo");
    }
    ~ServidorSmtp()
    {
        p_.kill();
        p_.waitForFinished(5000);
    }
    bool listo() const { return listo_; }
    QString certificado() const { return carpeta_ + QStringLiteral("/certificado.pem"); }
    int puerto() const { return puerto_; }
    int recibidos() const { return QDir(carpeta_).entryList({QStringLiteral("*.eml")}).size(); }
    // Message n as the standard library's parser sees it.
    QJsonObject Leer(int n) const
    {
        QProcess p;
        p.start(kPython, {QStringLiteral("-c"), QStringLiteral(R"(
import email, json, sys, base64
from email import policy
m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=policy.default)
adj = {}
cuerpo = ''
for parte in m.walk():
    if parte.get_content_disposition() == 'attachment':
        adj[parte.get_filename()] = base64.b64encode(parte.get_payload(decode=True)).decode()
    elif parte.get_content_type() == 'text/plain':
        cuerpo = parte.get_content()
sobre = open(sys.argv[2]).read().split('\n')
print(json.dumps({'asunto': str(m['subject']), 'para': str(m['to']), 'de': str(m['from']),
                  'cuerpo': cuerpo, 'adjuntos': adj, 'sobre': [x for x in sobre if x]}))
)"),
                         QDir(carpeta_).filePath(QStringLiteral("%1.eml").arg(n)),
                         QDir(carpeta_).filePath(QStringLiteral("%1.sobre").arg(n))});
        p.waitForFinished(15000);
        return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
    }
    QString logins() const
    {
        QFile f(QDir(carpeta_).filePath(QStringLiteral("logins")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

private:
    QString carpeta_;
    QProcess p_;
    int puerto_ = 0;
    bool listo_ = false;
};

class CorreoTest : public ::testing::Test {
protected:
    testsupport::ScratchDir dir;
    QString devol, merma;
    const QByteArray contenidoDevol = QByteArray("Cliente;bipad,;ed;devolución\r\n7001,12,3,2,\r\n") + QByteArray(1, '\0') + "\xff";
    const QByteArray contenidoMerma = "Cliente;bipad,;ed;devolución;fecha\r\n";

    void SetUp() override
    {
        devol = dir.file("Devol77.txt");
        merma = dir.file("Merma77.txt");
        QFile a(devol), b(merma);
        ASSERT_TRUE(a.open(QIODevice::WriteOnly) && b.open(QIODevice::WriteOnly));
        a.write(contenidoDevol);
        b.write(contenidoMerma);
    }
    ServidorCorreo Servidor(int puerto, int segundos = 5)
    {
        return {QStringLiteral("127.0.0.1"), puerto, QStringLiteral("usuario"), kClave, segundos, false, QString()};
    }
    MensajeCorreo Mensaje()
    {
        MensajeCorreo m;
        m.remitente = QStringLiteral("tienda@ejemplo.com");
        m.destinatarios = {QStringLiteral("uno@ejemplo.com"), QStringLiteral("dos@ejemplo.com")};
        m.asunto = QStringLiteral("Reporte de Diferencias de devolución de Consignación");
        m.cuerpo = QStringLiteral("Archivos de la devolución 77");
        m.adjuntos = {merma, devol};
        return m;
    }
    QString Log(const QString &ruta)
    {
        QFile f(ruta);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

TEST_F(CorreoTest, DeliversSubjectRecipientsAndAttachmentsByteForByte)
{
    ServidorSmtp srv(dir.file("buzon"), QStringLiteral("acepta"));
    ASSERT_TRUE(srv.listo());
    const QString error = Correo(Servidor(srv.puerto())).Enviar(Mensaje());
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(srv.recibidos(), 1);
    const QJsonObject m = srv.Leer(1);
    EXPECT_EQ(m["asunto"].toString(), QStringLiteral("Reporte de Diferencias de devolución de Consignación"));
    EXPECT_EQ(m["sobre"].toArray().size(), 3);  // sender and both recipients
    EXPECT_EQ(m["sobre"].toArray()[1].toString(), QStringLiteral("uno@ejemplo.com"));
    EXPECT_EQ(m["sobre"].toArray()[2].toString(), QStringLiteral("dos@ejemplo.com"));
    EXPECT_TRUE(m["para"].toString().contains("dos@ejemplo.com"));
    EXPECT_TRUE(m["cuerpo"].toString().contains(QStringLiteral("devolución 77")));
    const QJsonObject adj = m["adjuntos"].toObject();
    ASSERT_EQ(adj.size(), 2);
    EXPECT_EQ(QByteArray::fromBase64(adj["Devol77.txt"].toString().toLatin1()), contenidoDevol);
    EXPECT_EQ(QByteArray::fromBase64(adj["Merma77.txt"].toString().toLatin1()), contenidoMerma);
    EXPECT_EQ(srv.logins(), QStringLiteral("usuario ok\n"));

    // A header injection through the subject stays in the subject.
    MensajeCorreo raro = Mensaje();
    raro.asunto = QStringLiteral("Hola\r\nBcc: intruso@ejemplo.com");
    raro.adjuntos.clear();
    ASSERT_TRUE(Correo(Servidor(srv.puerto())).Enviar(raro).isEmpty());
    EXPECT_EQ(srv.Leer(2)["sobre"].toArray().size(), 3);
}

TEST_F(CorreoTest, UsesStartTlsWhenTheServerOffersIt)
{
    ServidorSmtp srv(dir.file("tls"), QStringLiteral("acepta"), true, true);
    ASSERT_TRUE(srv.listo());
    ServidorCorreo s = Servidor(srv.puerto());
    // The server takes nothing before STARTTLS: a delivery proves the channel was secured.
    s.certificadosCa = srv.certificado();
    const QString error = Correo(s).Enviar(Mensaje());
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(srv.recibidos(), 1);
    // A certificate nobody vouches for is refused, not used.
    s.certificadosCa.clear();
    EXPECT_FALSE(Correo(s).Enviar(Mensaje()).isEmpty());
    EXPECT_EQ(srv.recibidos(), 1);
}

TEST_F(CorreoTest, ThreeRefusalsLeaveThreeMaskedEntriesAndTheQueueDeliversLater)
{
    ServidorSmtp rechaza(dir.file("rechaza"), QStringLiteral("rechaza"));
    ASSERT_TRUE(rechaza.listo());
    const QString log = dir.file(NombreLogEnvio());
    QList<int> fallos;
    const ResultadoEnvio r = Correo(Servidor(rechaza.puerto()))
                                 .EnviarConIntentos(Mensaje(), 3, log, [&fallos](int i) { fallos << i; });
    EXPECT_FALSE(r.enviado);
    EXPECT_EQ(r.intentos, 3);
    EXPECT_EQ(fallos, (QList<int>{1, 2, 3}));
    EXPECT_FALSE(r.error.isEmpty());
    const QString texto = Log(log);
    EXPECT_EQ(texto.count(QStringLiteral("Fecha: ")), 3);
    EXPECT_EQ(texto.count(QStringLiteral("Contraseña: ********\r\n")), 3);
    EXPECT_FALSE(texto.contains(kClave));
    EXPECT_EQ(texto.count(QStringLiteral("Host: 127.0.0.1\r\n")), 3);
    EXPECT_EQ(texto.count(QStringLiteral("Correo Destino: uno@ejemplo.com; dos@ejemplo.com\r\n")), 3);
    EXPECT_TRUE(texto.contains(QStringLiteral("Mensaje de Error: ")));
    EXPECT_EQ(rechaza.recibidos(), 0);

    // Queued with copies of its files: the originals may change or go.
    ColaCorreo cola(dir.file("pendientes"));
    const QString id = cola.Encolar(Mensaje(), r.error);
    QFile::remove(devol);
    ASSERT_EQ(cola.Pendientes().size(), 1u);
    EXPECT_EQ(cola.Pendientes()[0].id, id);
    EXPECT_EQ(cola.Pendientes()[0].ultimoError, r.error);

    // Resent to the refusing server: still pending.
    ColaCorreo::Reenvio nada = cola.Reenviar(Correo(Servidor(rechaza.puerto())));
    EXPECT_EQ(nada.enviados, 0);
    EXPECT_EQ(nada.pendientes, 1);

    ServidorSmtp acepta(dir.file("acepta"), QStringLiteral("acepta"));
    ASSERT_TRUE(acepta.listo());
    const ColaCorreo::Reenvio re = cola.Reenviar(Correo(Servidor(acepta.puerto())));
    EXPECT_EQ(re.enviados, 1);
    EXPECT_EQ(re.pendientes, 0);
    EXPECT_TRUE(cola.Pendientes().empty());
    ASSERT_EQ(acepta.recibidos(), 1);
    const QJsonObject m = acepta.Leer(1);
    EXPECT_EQ(QByteArray::fromBase64(m["adjuntos"].toObject()["Devol77.txt"].toString().toLatin1()), contenidoDevol);
    EXPECT_EQ(m["asunto"].toString(), Mensaje().asunto);
}

TEST_F(CorreoTest, AServerThatIsDownOrSilentFailsWithinItsLimit)
{
    const QString log = dir.file("caido.log");
    QElapsedTimer t;
    t.start();
    const ResultadoEnvio r = Correo(Servidor(Puerto(), 2)).EnviarConIntentos(Mensaje(), 3, log);
    EXPECT_FALSE(r.enviado);
    EXPECT_EQ(r.intentos, 3);
    EXPECT_EQ(Log(log).count(QStringLiteral("Mensaje de Error: ")), 3);
    EXPECT_LT(t.elapsed(), 10000);

    // Connection taken, greeting never sent: the call still returns.
    int mudo = -1;
    const int puerto = Puerto(&mudo);
    t.restart();
    const QString error = Correo(Servidor(puerto, 1)).Enviar(Mensaje());
    close(mudo);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_LT(t.elapsed(), 8000);
}

TEST_F(CorreoTest, TheThirdAttemptIsDeliveredAfterTwoLoggedFailures)
{
    ServidorSmtp srv(dir.file("tercero"), QStringLiteral("tercero"));
    ASSERT_TRUE(srv.listo());
    const QString log = dir.file("tercero.log");
    const ResultadoEnvio r = Correo(Servidor(srv.puerto())).EnviarConIntentos(Mensaje(), 3, log);
    EXPECT_TRUE(r.enviado) << r.error.toStdString();
    EXPECT_EQ(r.intentos, 3);
    EXPECT_EQ(Log(log).count(QStringLiteral("Fecha: ")), 2);
    EXPECT_EQ(srv.recibidos(), 1);
}

TEST_F(CorreoTest, MissingAttachmentOrRecipientsFailWithoutSending)
{
    ServidorSmtp srv(dir.file("nada"), QStringLiteral("acepta"), false);
    ASSERT_TRUE(srv.listo());
    MensajeCorreo m = Mensaje();
    m.adjuntos << dir.file("no-existe.txt");
    EXPECT_TRUE(Correo(Servidor(srv.puerto())).Enviar(m).contains(QStringLiteral("no-existe.txt")));
    m = Mensaje();
    m.destinatarios.clear();
    EXPECT_FALSE(Correo(Servidor(srv.puerto())).Enviar(m).isEmpty());
    EXPECT_EQ(srv.recibidos(), 0);
    ColaCorreo cola(dir.file("cola"));
    MensajeCorreo roto = Mensaje();
    roto.adjuntos << dir.file("no-existe.txt");
    EXPECT_THROW(cola.Encolar(roto, QString()), ErrorCorreo);
    EXPECT_TRUE(cola.Pendientes().empty());
    EXPECT_TRUE(QDir(dir.file("cola")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
