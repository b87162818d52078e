#include "platform/report/UnionPdf.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

using Vista = std::string_view;

constexpr qint64 kBloque = 256 * 1024;      // window for reading objects in file order
constexpr qint64 kBloqueAparte = 1024;      // window for looking up stream lengths
constexpr qint64 kMaxObjeto = 64 * 1024 * 1024;  // an object's text, streams aside
constexpr qint64 kMaxObjetos = 50'000'000;

[[noreturn]] void rechazar(const QString &archivo, const QString &motivo)
{
    throw ErrorUnionPdf(QStringLiteral("No se pudo unir el archivo PDF \"%1\": %2").arg(archivo, motivo));
}

[[noreturn]] void errorEscritura(const QString &destino)
{
    throw ErrorReporte(QStringLiteral("No se pudo escribir el archivo \"%1\"").arg(destino));
}

bool esBlanco(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool esDelimitador(char c) { return c != '\0' && std::strchr("()<>[]{}/%", c) != nullptr; }

// Digits only; -1 when it is not a number that fits.
qint64 entero(Vista t)
{
    if (t.empty() || t.size() > 15)
        return -1;
    qint64 n = 0;
    for (char c : t) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// A file read through a window, so that memory does not grow with its size.
class Lector {
public:
    Lector(const QString &nombre, qint64 bloque) : nombre_(nombre), f_(nombre), bloque_(bloque)
    {
        if (!f_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            rechazar(nombre, QStringLiteral("no se puede leer (%1)").arg(f_.errorString()));
        tam_ = f_.size();
    }
    const QString &nombre() const { return nombre_; }
    qint64 tam() const { return tam_; }

    // The bytes from `pos` on that are at hand: at least `n` unless the file ends first.
    // Valid until the next call.
    Vista ver(qint64 pos, qint64 n)
    {
        if (pos < 0 || pos > tam_)
            rechazar(nombre_, QStringLiteral("una posición cae fuera del archivo (¿archivo truncado?)"));
        n = std::min(n, tam_ - pos);
        if (n == 0)
            return {};
        if (pos < inicio_ || pos + n > inicio_ + buf_.size()) {
            const qint64 m = std::min(std::max(n, bloque_), tam_ - pos);
            buf_.resize(m);
            if (!f_.seek(pos) || f_.read(buf_.data(), m) != m)
                rechazar(nombre_, QStringLiteral("no se puede leer (%1)").arg(f_.errorString()));
            inicio_ = pos;
        }
        return Vista(buf_.constData() + (pos - inicio_), static_cast<std::size_t>(inicio_ + buf_.size() - pos));
    }

private:
    QString nombre_;
    QFile f_;
    qint64 bloque_;
    qint64 tam_ = 0;
    QByteArray buf_;
    qint64 inicio_ = 0;
};

enum class Tipo { Entero, Palabra, Nombre, Cadena, AbreDic, CierraDic, AbreLista, CierraLista };

struct Token {
    Tipo tipo = Tipo::Palabra;
    qsizetype ini = 0, fin = 0;
};

// The next token of `t` from `i` on: 1 found, 0 `t` ends first, -1 not PDF syntax.
int siguiente(Vista t, qsizetype &i, Token &tok)
{
    const auto n = static_cast<qsizetype>(t.size());
    for (;;) {
        while (i < n && esBlanco(t[i]))
            ++i;
        if (i < n && t[i] == '%') {
            while (i < n && t[i] != '\n' && t[i] != '\r')
                ++i;
            continue;
        }
        break;
    }
    if (i >= n)
        return 0;
    const qsizetype ini = i;
    const char c = t[i];
    if (c == '(') {
        int nivel = 0;
        for (; i < n; ++i) {
            if (t[i] == '\\')
                ++i;
            else if (t[i] == '(')
                ++nivel;
            else if (t[i] == ')' && --nivel == 0) {
                tok = {Tipo::Cadena, ini, ++i};
                return 1;
            }
        }
        return 0;
    }
    if (c == '<' || c == '>') {
        if (i + 1 >= n)
            return 0;
        if (t[i + 1] == c) {
            i += 2;
            tok = {c == '<' ? Tipo::AbreDic : Tipo::CierraDic, ini, i};
            return 1;
        }
        if (c == '>')
            return -1;
        while (i < n && t[i] != '>')
            ++i;
        if (i >= n)
            return 0;
        tok = {Tipo::Cadena, ini, ++i};
        return 1;
    }
    if (c == '[' || c == ']') {
        tok = {c == '[' ? Tipo::AbreLista : Tipo::CierraLista, ini, ++i};
        return 1;
    }
    if (c == ')' || c == '{' || c == '}')
        return -1;
    if (c == '/')
        ++i;
    while (i < n && !esBlanco(t[i]) && !esDelimitador(t[i]))
        ++i;
    if (i >= n)
        return 0;
    Tipo tipo = c == '/' ? Tipo::Nombre : (entero(t.substr(ini, i - ini)) >= 0 ? Tipo::Entero : Tipo::Palabra);
    tok = {tipo, ini, i};
    return 1;
}

// One object as read: its text after "N 0 obj" up to the end of "endobj", or of "stream"
// for a stream, whose bytes start at `datos`.
struct Objeto {
    int numero = -1;
    QByteArray cuerpo;
    std::vector<Token> tokens;
    bool flujo = false;
    qint64 datos = 0;

    Vista texto(const Token &t) const { return Vista(cuerpo.constData() + t.ini, t.fin - t.ini); }
    bool es(std::size_t i, Tipo tipo, Vista texto = {}) const
    {
        return i < tokens.size() && tokens[i].tipo == tipo && (texto.empty() || this->texto(tokens[i]) == texto);
    }
    // Whether tokens i.. are "N 0 R"; N goes to `n`.
    bool referencia(std::size_t i, qint64 *n = nullptr) const
    {
        if (!es(i, Tipo::Entero) || !es(i + 1, Tipo::Entero, "0") || !es(i + 2, Tipo::Palabra, "R"))
            return false;
        if (n)
            *n = entero(texto(tokens[i]));
        return true;
    }
    // Position of the value of key `clave` in the outer dictionary; 0 when absent.
    std::size_t valor(Vista clave) const
    {
        int nivel = 0;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const Tipo t = tokens[i].tipo;
            if (t == Tipo::AbreDic || t == Tipo::AbreLista)
                ++nivel;
            else if (t == Tipo::CierraDic || t == Tipo::CierraLista)
                --nivel;
            else if (nivel == 1 && t == Tipo::Nombre && texto(tokens[i]) == clave)
                return i + 1;
        }
        return 0;
    }
};

int analizar(Vista v, Objeto &o)
{
    qsizetype i = 0;
    Token t;
    int r;
    if ((r = siguiente(v, i, t)) <= 0)
        return r;
    o.numero = static_cast<int>(t.tipo == Tipo::Entero ? std::min<qint64>(entero(v.substr(t.ini, t.fin - t.ini)), INT_MAX) : -1);
    if ((r = siguiente(v, i, t)) <= 0)
        return r;
    if (v.substr(t.ini, t.fin - t.ini) != "0")
        return -1;
    if ((r = siguiente(v, i, t)) <= 0)
        return r;
    if (v.substr(t.ini, t.fin - t.ini) != "obj")
        return -1;
    const qsizetype inicio = i;
    for (;;) {
        if ((r = siguiente(v, i, t)) <= 0)
            return r;
        o.tokens.push_back({t.tipo, t.ini - inicio, t.fin - inicio});
        if (t.tipo != Tipo::Palabra)
            continue;
        const Vista palabra = v.substr(t.ini, t.fin - t.ini);
        if (palabra == "endobj")
            break;
        if (palabra == "stream") {
            qsizetype d = t.fin;
            if (d < static_cast<qsizetype>(v.size()) && v[d] == '\r')
                ++d;
            if (d >= static_cast<qsizetype>(v.size()))
                return 0;
            if (v[d] != '\n')
                return -1;
            o.flujo = true;
            o.datos = d + 1;
            break;
        }
        if (palabra == "obj" || palabra == "endstream" || palabra == "xref" || palabra == "trailer")
            return -1;
    }
    o.cuerpo = QByteArray(v.data() + inicio, t.fin - inicio);
    return 1;
}

Objeto leerObjeto(Lector &l, qint64 pos)
{
    for (qint64 n = 4096;;) {
        const Vista v = l.ver(pos, n);
        Objeto o;
        const int r = analizar(v, o);
        if (r > 0) {
            o.datos += pos;
            return o;
        }
        if (r < 0)
            rechazar(l.nombre(), QStringLiteral("el objeto en la posición %1 está mal formado").arg(pos));
        if (pos + static_cast<qint64>(v.size()) >= l.tam() || n > kMaxObjeto)
            rechazar(l.nombre(), QStringLiteral("el objeto en la posición %1 está incompleto (¿archivo truncado?)").arg(pos));
        n = std::max<qint64>(n, static_cast<qint64>(v.size())) * 2;
    }
}

struct Cambio {
    qsizetype ini, fin;
    QByteArray texto;
};

// `texto` with the spans in `cambios` (in order, not overlapping) replaced.
QByteArray aplicar(const QByteArray &texto, const std::vector<Cambio> &cambios)
{
    QByteArray out;
    out.reserve(texto.size() + 16 * static_cast<qsizetype>(cambios.size()));
    qsizetype desde = 0;
    for (const Cambio &c : cambios) {
        out.append(texto.constData() + desde, c.ini - desde);
        out.append(c.texto);
        desde = c.fin;
    }
    out.append(texto.constData() + desde, texto.size() - desde);
    return out;
}

// A font subset's name: six capitals, '+', the font's name.
bool conEtiqueta(Vista nombre)
{
    if (nombre.size() < 9 || nombre[0] != '/' || nombre[7] != '+')
        return false;
    return std::all_of(nombre.begin() + 1, nombre.begin() + 7, [](char c) { return c >= 'A' && c <= 'Z'; });
}

class Union {
public:
    Union(QSaveFile &salida, const QString &destino) : salida_(salida), destino_(destino) {}

    void agregar(const QString &archivo)
    {
        const bool primero = xref_.empty();
        Lector lector(archivo, kBloque);
        Lector aparte(archivo, kBloqueAparte);
        const std::vector<qint64> posiciones = leerXref(lector);
        const qint64 n = static_cast<qint64>(posiciones.size());

        // Numbers in the joined file: the first file keeps its own; the others' objects go
        // after, but for the page tree, which is the first file's.
        const int base = primero ? 0 : static_cast<int>(xref_.size());
        auto nuevo = [&](qint64 numero) -> int {
            if (numero <= 0 || numero >= n)
                rechazar(archivo, QStringLiteral("hace referencia al objeto %1, que no tiene").arg(numero));
            if (primero || numero == 3)
                return static_cast<int>(numero);
            if (numero < 3)
                rechazar(archivo, QStringLiteral("un objeto hace referencia a la información o al catálogo"));
            return static_cast<int>(base + numero - 4);
        };
        xref_.resize(primero ? n : base + n - 4, 0);

        std::vector<int> orden;
        for (int i = 1; i < n; ++i)
            orden.push_back(i);
        std::sort(orden.begin(), orden.end(), [&](int a, int b) { return posiciones[a] < posiciones[b]; });
        if (primero) {
            // "%PDF-1.x" and the binary comment line.
            const qint64 cabecera = posiciones[orden.front()];
            if (cabecera > 1024)
                rechazar(archivo, QStringLiteral("no empieza como se esperaba"));
            escribir(lector.ver(0, cabecera).substr(0, cabecera));
        }
        QHash<QByteArray, QByteArray> etiquetas;
        for (int numero : orden) {
            const Objeto o = leerObjeto(lector, posiciones[numero]);
            if (o.numero != numero)
                rechazar(archivo, QStringLiteral("la tabla xref no concuerda con el objeto %1").arg(numero));
            if (numero == 1 && !primero)
                continue;
            if (numero == 2) {
                comprobarCatalogo(archivo, o);
                if (!primero)
                    continue;
            }
            if (numero == 3) {
                agregarPaginas(archivo, o, nuevo, primero);
                continue;
            }
            std::vector<Cambio> cambios;
            for (std::size_t i = 0; i < o.tokens.size(); ++i) {
                qint64 ref = 0;
                if (o.referencia(i, &ref)) {
                    cambios.push_back({o.tokens[i].ini, o.tokens[i].fin, QByteArray::number(nuevo(ref))});
                    i += 2;
                } else if (o.tokens[i].tipo == Tipo::Nombre && conEtiqueta(o.texto(o.tokens[i]))) {
                    const QByteArray vieja(o.texto(o.tokens[i]).substr(1, 6).data(), 6);
                    if (primero) {
                        usadas_.insert(vieja);
                        continue;
                    }
                    auto it = etiquetas.find(vieja);
                    if (it == etiquetas.end())
                        it = etiquetas.insert(vieja, etiquetaNueva());
                    cambios.push_back({o.tokens[i].ini + 1, o.tokens[i].ini + 7, it.value()});
                }
            }
            const int m = nuevo(numero);
            xref_[m] = pos_;
            escribir(QByteArray::number(m) + " 0 obj");
            escribir(aplicar(o.cuerpo, cambios));
            if (o.flujo)
                copiarFlujo(lector, aparte, posiciones, o);
            else
                escribir("\n");
        }
    }

    void terminar()
    {
        if (paginas_.isEmpty())
            throw ErrorUnionPdf(QStringLiteral("No se pudo unir: no hay archivos PDF que unir"));
        xref_[3] = pos_;
        std::vector<Cambio> cambios = {{kidsIni_, kidsFin_, "\n" + kids_}, {cuentaIni_, cuentaFin_, QByteArray::number(cuenta_)}};
        if (cuentaIni_ < kidsIni_)
            std::swap(cambios[0], cambios[1]);
        escribir("3 0 obj");
        escribir(aplicar(paginas_, cambios));
        escribir("\n");
        const qint64 inicioXref = pos_;
        escribir("xref\n0 " + QByteArray::number(static_cast<qint64>(xref_.size())) + "\n0000000000 65535 f \n");
        QByteArray tabla;
        tabla.reserve(20 * static_cast<qsizetype>(xref_.size()));
        char linea[32];
        for (std::size_t i = 1; i < xref_.size(); ++i) {
            if (xref_[i] <= 0)
                throw ErrorUnionPdf(QStringLiteral("No se pudo unir: falta el objeto %1 en el resultado").arg(i));
            std::snprintf(linea, sizeof linea, "%010lld 00000 n \n", static_cast<long long>(xref_[i]));
            tabla.append(linea, 20);
        }
        escribir(tabla);
        escribir("trailer\n<<\n/Size " + QByteArray::number(static_cast<qint64>(xref_.size()))
                 + "\n/Info 1 0 R\n/Root 2 0 R\n>>\nstartxref\n" + QByteArray::number(inicioXref) + "\n%%EOF\n");
    }

private:
    void escribir(Vista b)
    {
        if (!b.empty() && salida_.write(b.data(), static_cast<qint64>(b.size())) != static_cast<qint64>(b.size()))
            errorEscritura(destino_);
        pos_ += static_cast<qint64>(b.size());
    }
    void escribir(const QByteArray &b) { escribir(Vista(b.constData(), b.size())); }
    void escribir(const char *b) { escribir(Vista(b)); }

    // Where each object starts, from the xref table "startxref" points to; checks the trailer.
    std::vector<qint64> leerXref(Lector &l)
    {
        const QString &archivo = l.nombre();
        const Vista cabecera = l.ver(0, 16);
        const auto finLinea = cabecera.find_first_of("\r\n");
        if (!cabecera.starts_with("%PDF-1.") || finLinea == Vista::npos)
            rechazar(archivo, QStringLiteral("no es un archivo PDF"));
        const QByteArray version(cabecera.data(), static_cast<qsizetype>(finLinea));
        if (version_.isEmpty())
            version_ = version;
        else if (version != version_)
            rechazar(archivo, QStringLiteral("es de otra versión de PDF"));

        const qint64 cola = std::min<qint64>(l.tam(), 1024);
        const QByteArray fin(l.ver(l.tam() - cola, cola).data(), cola);
        const qsizetype s = fin.lastIndexOf("startxref");
        const qsizetype e = fin.lastIndexOf("%%EOF");
        if (s < 0 || e < s)
            rechazar(archivo, QStringLiteral("no termina con su tabla xref (¿archivo truncado?)"));
        const qint64 xref = fin.mid(s + 9, e - s - 9).trimmed().toLongLong();
        if (xref <= 0 || xref >= l.tam())
            rechazar(archivo, QStringLiteral("su tabla xref no está donde indica"));

        // "xref", "0 N", N entries of 20 bytes.
        Vista v = l.ver(xref, 64);
        qsizetype i = 0;
        Token t;
        auto palabra = [&]() { return siguiente(v, i, t) > 0 ? v.substr(t.ini, t.fin - t.ini) : Vista(); };
        if (palabra() != "xref" || palabra() != "0")
            rechazar(archivo, QStringLiteral("no tiene una tabla xref simple"));
        const qint64 n = entero(palabra());
        if (n < 4 || n > kMaxObjetos)
            rechazar(archivo, QStringLiteral("no tiene una tabla xref simple"));
        while (i < static_cast<qsizetype>(v.size()) && (v[i] == ' ' || v[i] == '\r'))
            ++i;
        if (i >= static_cast<qsizetype>(v.size()) || v[i] != '\n')
            rechazar(archivo, QStringLiteral("no tiene una tabla xref simple"));
        const qint64 entradas = xref + i + 1;
        v = l.ver(entradas, 20 * n + 4096);
        if (static_cast<qint64>(v.size()) < 20 * n)
            rechazar(archivo, QStringLiteral("su tabla xref está incompleta (¿archivo truncado?)"));
        std::vector<qint64> posiciones(n, 0);
        for (qint64 k = 0; k < n; ++k) {
            const Vista entrada = v.substr(20 * k, 20);
            const qint64 pos = entero(entrada.substr(0, 10));
            const bool usada = entrada[17] == 'n';
            if (entrada[10] != ' ' || entrada[16] != ' ' || pos < 0 || entero(entrada.substr(11, 5)) < 0 || (k == 0) == usada
                || (usada && (entrada.substr(11, 5) != "00000" || pos <= 0 || pos >= xref)) || (!usada && entrada[17] != 'f'))
                rechazar(archivo, QStringLiteral("su tabla xref no es de la forma esperada (entrada %1)").arg(k));
            posiciones[k] = pos;
        }

        // The trailer names object 1 as /Info and 2 as /Root; nothing of updates or encryption.
        const qint64 trailer = entradas + 20 * n;
        Objeto o;
        v = l.ver(trailer, 4096);
        i = 0;
        if (palabra() != "trailer")
            rechazar(archivo, QStringLiteral("no tiene trailer"));
        const qsizetype inicioDic = i;
        int nivel = 0;
        while (siguiente(v, i, t) > 0) {
            o.tokens.push_back({t.tipo, t.ini - inicioDic, t.fin - inicioDic});
            nivel += t.tipo == Tipo::AbreDic ? 1 : (t.tipo == Tipo::CierraDic ? -1 : 0);
            if (nivel == 0)
                break;
        }
        if (nivel != 0 || o.tokens.empty())
            rechazar(archivo, QStringLiteral("su trailer está incompleto"));
        o.cuerpo = QByteArray(v.data() + inicioDic, o.tokens.back().fin);
        qint64 raiz = 0, info = 0;
        if (!o.referencia(o.valor("/Root"), &raiz) || raiz != 2 || !o.referencia(o.valor("/Info"), &info) || info != 1
            || o.valor("/Prev") || o.valor("/Encrypt") || o.valor("/XRefStm"))
            rechazar(archivo, QStringLiteral("su trailer no es de la forma esperada"));
        return posiciones;
    }

    static void comprobarCatalogo(const QString &archivo, const Objeto &o)
    {
        qint64 paginas = 0;
        if (o.tokens.size() != 9 || !o.es(o.valor("/Type"), Tipo::Nombre, "/Catalog")
            || !o.referencia(o.valor("/Pages"), &paginas) || paginas != 3)
            rechazar(archivo, QStringLiteral("su catálogo no es de la forma esperada"));
    }

    template <typename Nuevo>
    void agregarPaginas(const QString &archivo, const Objeto &o, Nuevo &nuevo, bool primero)
    {
        const std::size_t kids = o.valor("/Kids"), cuenta = o.valor("/Count");
        const qint64 total = cuenta ? entero(o.texto(o.tokens[cuenta])) : -1;
        if (!o.es(o.valor("/Type"), Tipo::Nombre, "/Pages") || !o.es(kids, Tipo::AbreLista) || !o.es(cuenta, Tipo::Entero))
            rechazar(archivo, QStringLiteral("su árbol de páginas no es de la forma esperada"));
        std::size_t i = kids + 1;
        qint64 hojas = 0;
        for (qint64 ref = 0; o.referencia(i, &ref); i += 3, ++hojas) {
            kids_ += QByteArray::number(nuevo(ref)) + " 0 R\n";
        }
        if (!o.es(i, Tipo::CierraLista) || hojas != total)
            rechazar(archivo, QStringLiteral("su árbol de páginas no es de la forma esperada"));
        for (std::size_t j = 0; j < o.tokens.size(); ++j)
            if ((j < kids || j > i) && o.es(j, Tipo::Palabra, "R"))
                rechazar(archivo, QStringLiteral("su árbol de páginas no es de la forma esperada"));
        cuenta_ += total;
        if (primero) {
            paginas_ = o.cuerpo;
            kidsIni_ = o.tokens[kids].fin;
            kidsFin_ = o.tokens[i].ini;
            cuentaIni_ = o.tokens[cuenta].ini;
            cuentaFin_ = o.tokens[cuenta].fin;
        }
    }

    // The stream's bytes as they are; its length from /Length, direct or in another object.
    void copiarFlujo(Lector &lector, Lector &aparte, const std::vector<qint64> &posiciones, const Objeto &o)
    {
        const QString &archivo = lector.nombre();
        const std::size_t v = o.valor("/Length");
        qint64 largo = -1, ref = 0;
        if (o.referencia(v, &ref)) {
            if (ref <= 0 || ref >= static_cast<qint64>(posiciones.size()))
                rechazar(archivo, QStringLiteral("la longitud del objeto %1 no existe").arg(o.numero));
            const Objeto l = leerObjeto(aparte, posiciones[ref]);
            if (l.numero == ref && l.tokens.size() == 2 && l.es(0, Tipo::Entero))
                largo = entero(l.texto(l.tokens[0]));
        } else if (o.es(v, Tipo::Entero)) {
            largo = entero(o.texto(o.tokens[v]));
        }
        if (largo < 0 || o.datos + largo > lector.tam())
            rechazar(archivo, QStringLiteral("la longitud del objeto %1 no es válida (¿archivo truncado?)").arg(o.numero));
        escribir("\n");
        qint64 pos = o.datos;
        for (qint64 resto = largo; resto > 0;) {
            const Vista b = lector.ver(pos, std::min(resto, kBloque));
            const qint64 tomado = std::min<qint64>(resto, static_cast<qint64>(b.size()));
            escribir(b.substr(0, tomado));
            pos += tomado;
            resto -= tomado;
        }
        Vista cola = lector.ver(pos, 32);
        if (cola.starts_with("\r\n"))
            cola.remove_prefix(2);
        else if (cola.starts_with("\n") || cola.starts_with("\r"))
            cola.remove_prefix(1);
        bool bien = cola.starts_with("endstream");
        if (bien) {
            cola.remove_prefix(9);
            while (!cola.empty() && esBlanco(cola.front()))
                cola.remove_prefix(1);
            bien = cola.starts_with("endobj");
        }
        if (!bien)
            rechazar(archivo, QStringLiteral("el flujo del objeto %1 no termina donde indica su longitud").arg(o.numero));
        escribir("\nendstream\nendobj\n");
    }

    // A subset tag no file joined so far uses.
    QByteArray etiquetaNueva()
    {
        for (;;) {
            QByteArray e(6, 'A');
            for (int i = 5, c = siguienteEtiqueta_++; i >= 0; --i, c /= 26)
                e[i] = static_cast<char>('A' + c % 26);
            if (!usadas_.contains(e)) {
                usadas_.insert(e);
                return e;
            }
        }
    }

    QSaveFile &salida_;
    QString destino_;
    qint64 pos_ = 0;
    QByteArray version_;
    std::vector<qint64> xref_;  // by number in the joined file
    QSet<QByteArray> usadas_;
    int siguienteEtiqueta_ = 0;
    // The first file's page tree, and the kids and count of all.
    QByteArray paginas_;
    qsizetype kidsIni_ = 0, kidsFin_ = 0, cuentaIni_ = 0, cuentaFin_ = 0;
    QByteArray kids_;
    qint64 cuenta_ = 0;
};

} // namespace

void UnirPdf(const QStringList &partes, const QString &destino)
{
    QSaveFile salida(destino);
    if (!salida.open(QIODevice::WriteOnly))
        errorEscritura(destino);
    Union u(salida, destino);
    for (const QString &p : partes)
        u.agregar(p);
    u.terminar();
    if (!salida.commit())
        errorEscritura(destino);
}
