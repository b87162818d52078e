#include "platform/ClaveSegura.h"

#include "platform/ErrorCompras.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QStringList>

#include <openssl/crypto.h>
#include <openssl/evp.h>

namespace {

const QString kPrefijo = QStringLiteral("pbkdf2-sha256");
constexpr int kLargoSal = 16;
constexpr int kLargoDerivada = 32;
constexpr int kIteracionesMaximas = 10000000;  // a stored form cannot make a login take minutes

QByteArray Derivar(const QByteArray &clave, const QByteArray &sal, int iteraciones, int largo)
{
    QByteArray out(largo, '\0');
    if (PKCS5_PBKDF2_HMAC(clave.constData(), static_cast<int>(clave.size()),
                          reinterpret_cast<const unsigned char *>(sal.constData()), static_cast<int>(sal.size()),
                          iteraciones, EVP_sha256(), largo, reinterpret_cast<unsigned char *>(out.data())) != 1)
        throw ErrorCompras(QStringLiteral("No se pudo calcular la clave protegida."));
    return out;
}

bool Iguales(const QByteArray &a, const QByteArray &b)
{
    return a.size() == b.size() && CRYPTO_memcmp(a.constData(), b.constData(), static_cast<size_t>(a.size())) == 0;
}

bool EsHex(const QString &s)
{
    for (QChar c : s)
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && !(c >= QLatin1Char('a') && c <= QLatin1Char('f')) && !(c >= QLatin1Char('A') && c <= QLatin1Char('F')))
            return false;
    return true;
}

} // namespace

QString GuardarClave(const QString &clave, int iteraciones)
{
    if (iteraciones < 1)
        throw ErrorCompras(QStringLiteral("Número de iteraciones de la clave no válido."));
    QByteArray sal(kLargoSal, '\0');
    QRandomGenerator::system()->generate(reinterpret_cast<quint32 *>(sal.data()),
                                         reinterpret_cast<quint32 *>(sal.data() + sal.size()));
    const QByteArray derivada = Derivar(clave.toUtf8(), sal, iteraciones, kLargoDerivada);
    return kPrefijo + QLatin1Char('$') + QString::number(iteraciones) + QLatin1Char('$')
        + QString::fromLatin1(sal.toBase64()) + QLatin1Char('$') + QString::fromLatin1(derivada.toBase64());
}

VerificacionClave VerificarClave(const QString &clave, const QString &guardada)
{
    VerificacionClave r;
    const QString g = guardada.trimmed();
    if (g.size() == 64 && EsHex(g)) {
        const QByteArray hash = QCryptographicHash::hash(clave.toUtf8(), QCryptographicHash::Sha256);
        r.valida = Iguales(hash, QByteArray::fromHex(g.toLatin1()));
        r.anticuada = r.valida;
        return r;
    }
    const QStringList partes = g.split(QLatin1Char('$'));
    if (partes.size() != 4 || partes[0] != kPrefijo)
        return r;
    bool ok = false;
    const int iteraciones = partes[1].toInt(&ok);
    if (!ok || iteraciones < 1 || iteraciones > kIteracionesMaximas)
        return r;
    const auto b64sal = QByteArray::fromBase64Encoding(partes[2].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    const auto b64clave = QByteArray::fromBase64Encoding(partes[3].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!b64sal || !b64clave || b64sal.decoded.isEmpty() || b64clave.decoded.size() < 16)
        return r;
    const QByteArray &sal = b64sal.decoded, &esperada = b64clave.decoded;
    r.valida = Iguales(Derivar(clave.toUtf8(), sal, iteraciones, static_cast<int>(esperada.size())), esperada);
    r.anticuada = r.valida && (iteraciones < kIteracionesClave || sal.size() < kLargoSal);
    return r;
}
