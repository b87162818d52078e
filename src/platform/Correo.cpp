#include "platform/Correo.h"


#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <QSaveFile>
#include <QUuid>

#include <curl/curl.h>
#include <dlfcn.h>

#include <type_traits>

namespace {

// "=?UTF-8?B?...?=" for a header text that is not plain ASCII.
QByteArray Encabezado(const QString &texto)
{
    const QByteArray utf8 = texto.toUtf8();
    bool ascii = true;
    for (char c : utf8)
        ascii = ascii && static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7f;
    if (ascii)
        return utf8;
    return "=?UTF-8?B?" + utf8.toBase64() + "?=";
}

// Base64 in lines of 76 characters.
QByteArray Base64Lineas(const QByteArray &datos)
{
    const QByteArray b = datos.toBase64();
    QByteArray out;
    out.reserve(b.size() + b.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < b.size(); i += 76)
        out += b.mid(i, 76) + "\r\n";
    return out;
}

// Header, address and file-name texts never carry line breaks into the message.
QString SinSaltos(QString t)
{
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return t;
}

struct Lectura {
    const QByteArray *datos;
    qsizetype pos = 0;
};

size_t LeerCuerpo(char *buffer, size_t tam, size_t n, void *usuario)
{
    auto *l = static_cast<Lectura *>(usuario);
    const size_t max = tam * n;
    const size_t quedan = static_cast<size_t>(l->datos->size() - l->pos);
    const size_t k = std::min(max, quedan);
    memcpy(buffer, l->datos->constData() + l->pos, k);
    l->pos += static_cast<qsizetype>(k);
    return k;
}

// libcurl is loaded when the first message goes out: a program that sends none (the command line,
// most windows) starts without it and the score of libraries it brings.
struct Curl {
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_perform) easy_perform = nullptr;
    decltype(&curl_easy_strerror) easy_strerror = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;
    QString error;  // why it is not there
};

const Curl &CargarCurl()
{
    static const Curl curl = [] {
        Curl c;
        void *lib = nullptr;
        for (const char *nombre : {"libcurl.so.4", "libcurl-gnutls.so.4"})
            if ((lib = dlopen(nombre, RTLD_NOW | RTLD_LOCAL)))
                break;
        if (!lib) {
            c.error = QStringLiteral("No se pudo cargar la biblioteca de correo libcurl: %1").arg(QString::fromLocal8Bit(dlerror()));
            return c;
        }
        bool completa = true;
        auto simbolo = [&](auto &destino, const char *nombre) {
            destino = reinterpret_cast<std::remove_reference_t<decltype(destino)>>(dlsym(lib, nombre));
            completa = completa && destino;
        };
        decltype(&curl_global_init) global_init = nullptr;
        simbolo(global_init, "curl_global_init");
        simbolo(c.easy_init, "curl_easy_init");
        simbolo(c.easy_setopt, "curl_easy_setopt");
        simbolo(c.easy_perform, "curl_easy_perform");
        simbolo(c.easy_strerror, "curl_easy_strerror");
        simbolo(c.easy_cleanup, "curl_easy_cleanup");
        simbolo(c.slist_append, "curl_slist_append");
        simbolo(c.slist_free_all, "curl_slist_free_all");
        if (!completa || global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            c.error = QStringLiteral("No se pudo iniciar la biblioteca de correo libcurl");
            c.easy_init = nullptr;
        }
        return c;
    }();
    return curl;
}

} // namespace

QByteArray ComponerMensaje(const MensajeCorreo &m, const QDateTime &fecha)
{
    const QByteArray limite = "=_limite_" + QUuid::createUuid().toByteArray(QUuid::Id128);
    QByteArray out;
    out += "Date: " + QLocale::c().toString(fecha.toUTC(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")).toLatin1() +
           " +0000\r\n";
    out += "From: <" + SinSaltos(m.remitente).toUtf8() + ">\r\n";
    QByteArrayList para;
    for (const QString &d : m.destinatarios)
        para << "<" + SinSaltos(d).toUtf8() + ">";
    out += "To: " + para.join(", ") + "\r\n";
    out += "Subject: " + Encabezado(SinSaltos(m.asunto)) + "\r\n";
    out += "Message-ID: <" + QUuid::createUuid().toByteArray(QUuid::Id128) + "@compras>\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: multipart/mixed; boundary=\"" + limite + "\"\r\n\r\n";
    out += "--" + limite + "\r\n";
    out += "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    out += Base64Lineas(m.cuerpo.toUtf8());
    for (const QString &ruta : m.adjuntos) {
        QFile f(ruta);
        if (!f.open(QIODevice::ReadOnly))
            throw ErrorCorreo(QStringLiteral("No se pudo leer el adjunto %1").arg(ruta));
        const QByteArray nombre = Encabezado(SinSaltos(QFileInfo(ruta).fileName())).replace('"', '_');
        out += "--" + limite + "\r\n";
        out += "Content-Type: application/octet-stream; name=\"" + nombre + "\"\r\n";
        out += "Content-Transfer-Encoding: base64\r\n";
        out += "Content-Disposition: attachment; filename=\"" + nombre + "\"\r\n\r\n";
        out += Base64Lineas(f.readAll());
    }
    out += "--" + limite + "--\r\n";
    return out;
}

QString EntradaLogEnvio(const ServidorCorreo &s, const MensajeCorreo &m, const QString &error, const QDateTime &fecha)
{
    const QStringList lineas = {
        QStringLiteral("Fecha: ") + fecha.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")),
        QStringLiteral("Host: ") + s.host,
        QStringLiteral("Usuario: ") + s.usuario,
        QStringLiteral("Contraseña: ") + (s.clave.isEmpty() ? QString() : QStringLiteral("********")),
        QStringLiteral("Puerto: ") + QString::number(s.puerto),
        QStringLiteral("Correo Origen: ") + m.remitente,
        QStringLiteral("Correo Destino: ") + m.destinatarios.join(QStringLiteral("; ")),
        QStringLiteral("Mensaje de Error: ") + SinSaltos(error),
    };
    return lineas.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString NombreLogEnvio(const QDate &dia)
{
    return QStringLiteral("InfEnvio_") + dia.toString(QStringLiteral("dd_MM_yy")) + QStringLiteral(".log");
}

QString Correo::Enviar(const MensajeCorreo &m) const
{
    if (m.destinatarios.isEmpty())
        return QStringLiteral("No hay destinatarios para el correo");
    if (s_.host.trimmed().isEmpty())
        return QStringLiteral("No se indicó el servidor de correo");
    QByteArray cuerpo;
    try {
        cuerpo = ComponerMensaje(m);
    } catch (const ErrorCompras &e) {
        return e.mensaje();
    }
    const Curl &curl = CargarCurl();
    if (!curl.easy_init)
        return curl.error;
    CURL *c = curl.easy_init();
    if (!c)
        return QStringLiteral("No se pudo iniciar el cliente de correo");
    char errbuf[CURL_ERROR_SIZE] = {0};
    const QByteArray url = QStringLiteral("smtp://%1:%2").arg(s_.host.trimmed()).arg(s_.puerto).toUtf8();
    const QByteArray usuario = s_.usuario.toUtf8(), clave = s_.clave.toUtf8();
    const QByteArray de = "<" + SinSaltos(m.remitente).toUtf8() + ">";
    curl_slist *para = nullptr;
    for (const QString &d : m.destinatarios)
        para = curl.slist_append(para, ("<" + SinSaltos(d).toUtf8() + ">").constData());
    Lectura lectura{&cuerpo};
    const long segundos = std::max(1, s_.segundos);
    curl.easy_setopt(c, CURLOPT_URL, url.constData());
    curl.easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
    curl.easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl.easy_setopt(c, CURLOPT_CONNECTTIMEOUT, segundos);
    curl.easy_setopt(c, CURLOPT_TIMEOUT, segundos * 3);
    curl.easy_setopt(c, CURLOPT_USE_SSL, s_.exigirTls ? static_cast<long>(CURLUSESSL_ALL) : static_cast<long>(CURLUSESSL_TRY));
    const QByteArray ca = s_.certificadosCa.toLocal8Bit();
    if (!ca.isEmpty())
        curl.easy_setopt(c, CURLOPT_CAINFO, ca.constData());
    if (!usuario.isEmpty()) {
        curl.easy_setopt(c, CURLOPT_USERNAME, usuario.constData());
        curl.easy_setopt(c, CURLOPT_PASSWORD, clave.constData());
    }
    curl.easy_setopt(c, CURLOPT_MAIL_FROM, de.constData());
    curl.easy_setopt(c, CURLOPT_MAIL_RCPT, para);
    curl.easy_setopt(c, CURLOPT_READFUNCTION, &LeerCuerpo);
    curl.easy_setopt(c, CURLOPT_READDATA, &lectura);
    curl.easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl.easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(cuerpo.size()));
    const CURLcode r = curl.easy_perform(c);
    QString error;
    if (r != CURLE_OK) {
        error = QString::fromUtf8(errbuf).trimmed();
        if (error.isEmpty())
            error = QString::fromUtf8(curl.easy_strerror(r));
    }
    curl.slist_free_all(para);
    curl.easy_cleanup(c);
    return error;
}

ResultadoEnvio Correo::EnviarConIntentos(const MensajeCorreo &m, int intentos, const QString &archivoLog,
                                         const std::function<void(int)> &alFallar) const
{
    ResultadoEnvio r;
    for (int i = 1; i <= std::max(1, intentos); ++i) {
        r.intentos = i;
        r.error = Enviar(m);
        if (r.error.isEmpty()) {
            r.enviado = true;
            return r;
        }
        if (!archivoLog.isEmpty()) {
            QFile log(archivoLog);
            if (log.open(QIODevice::WriteOnly | QIODevice::Append))
                log.write(EntradaLogEnvio(s_, m, r.error, QDateTime::currentDateTime()).toUtf8());
        }
        if (alFallar)
            alFallar(i);
    }
    return r;
}

// ---------------------------------------------------------------------------
// Queue: <carpeta>/<id>/mensaje.json and the attachments beside it. The folder is filled under
// a temporary name and renamed when complete, so a half-written entry is never sent.

QString ColaCorreo::Encolar(const MensajeCorreo &m, const QString &error)
{
    QDir raiz(carpeta_);
    if (!raiz.mkpath(QStringLiteral(".")))
        throw ErrorCorreo(QStringLiteral("No se pudo crear la carpeta de correo pendiente %1").arg(carpeta_));
    const QString id = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmsszzz")) + QLatin1Char('_') +
                       QUuid::createUuid().toString(QUuid::Id128).left(8);
    const QString temporal = QStringLiteral(".tmp_") + id;
    QDir().rmdir(raiz.filePath(temporal));
    if (!raiz.mkdir(temporal))
        throw ErrorCorreo(QStringLiteral("No se pudo guardar el correo pendiente en %1").arg(carpeta_));
    QDir dir(raiz.filePath(temporal));
    auto deshacer = [&] { dir.removeRecursively(); };
    QJsonArray adjuntos;
    for (const QString &ruta : m.adjuntos) {
        const QString nombre = QFileInfo(ruta).fileName();
        if (adjuntos.contains(nombre) || !QFile::copy(ruta, dir.filePath(nombre))) {
            deshacer();
            throw ErrorCorreo(QStringLiteral("No se pudo guardar el adjunto %1 del correo pendiente").arg(ruta));
        }
        adjuntos.append(nombre);
    }
    QJsonObject o;
    o[QStringLiteral("remitente")] = m.remitente;
    o[QStringLiteral("destinatarios")] = QJsonArray::fromStringList(m.destinatarios);
    o[QStringLiteral("asunto")] = m.asunto;
    o[QStringLiteral("cuerpo")] = m.cuerpo;
    o[QStringLiteral("adjuntos")] = adjuntos;
    o[QStringLiteral("encolado")] = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    o[QStringLiteral("error")] = error;
    QSaveFile f(dir.filePath(QStringLiteral("mensaje.json")));
    if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(o).toJson()) < 0 || !f.commit()) {
        deshacer();
        throw ErrorCorreo(QStringLiteral("No se pudo guardar el correo pendiente en %1").arg(carpeta_));
    }
    if (!raiz.rename(temporal, id)) {
        deshacer();
        throw ErrorCorreo(QStringLiteral("No se pudo guardar el correo pendiente en %1").arg(carpeta_));
    }
    return id;
}

std::vector<ColaCorreo::Pendiente> ColaCorreo::Pendientes() const
{
    std::vector<Pendiente> out;
    QDir raiz(carpeta_);
    for (const QString &id : raiz.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (id.startsWith(QLatin1Char('.')))
            continue;
        QFile f(raiz.filePath(id + QStringLiteral("/mensaje.json")));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
        if (o.isEmpty())
            continue;
        Pendiente p;
        p.id = id;
        p.mensaje.remitente = o.value(QStringLiteral("remitente")).toString();
        for (const QJsonValue &v : o.value(QStringLiteral("destinatarios")).toArray())
            p.mensaje.destinatarios << v.toString();
        p.mensaje.asunto = o.value(QStringLiteral("asunto")).toString();
        p.mensaje.cuerpo = o.value(QStringLiteral("cuerpo")).toString();
        for (const QJsonValue &v : o.value(QStringLiteral("adjuntos")).toArray())
            p.mensaje.adjuntos << raiz.filePath(id + QLatin1Char('/') + QFileInfo(v.toString()).fileName());
        p.encolado = QDateTime::fromString(o.value(QStringLiteral("encolado")).toString(), Qt::ISODateWithMs);
        p.ultimoError = o.value(QStringLiteral("error")).toString();
        out.push_back(std::move(p));
    }
    return out;
}

bool ColaCorreo::Quitar(const QString &id)
{
    if (id.isEmpty() || id.contains(QLatin1Char('/')) || id.startsWith(QLatin1Char('.')))
        return false;
    QDir raiz(carpeta_);
    // Renamed first, so a half-removed entry is never taken for a pending one.
    const QString borrando = QStringLiteral(".del_") + id;
    if (!raiz.rename(id, borrando))
        return false;
    QDir(raiz.filePath(borrando)).removeRecursively();
    return true;
}

ColaCorreo::Reenvio ColaCorreo::Reenviar(const Correo &correo, const std::function<bool(const Pendiente &)> &omitir)
{
    Reenvio r;
    for (const Pendiente &p : Pendientes()) {
        if (omitir && omitir(p))
            continue;
        const QString error = correo.Enviar(p.mensaje);
        if (error.isEmpty() && Quitar(p.id)) {
            ++r.enviados;
        } else {
            ++r.pendientes;
            r.errores << (error.isEmpty() ? QStringLiteral("No se pudo quitar de la cola el correo %1").arg(p.id) : error);
        }
    }
    return r;
}
