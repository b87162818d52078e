#include "platform/report/PlantillaReporte.h"

#include "platform/report/ErrorReporte.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <kainjow/mustache.hpp>

#include <map>

namespace {

struct TipoNombre {
    const char *nombre;
    TipoBanda tipo;
};

constexpr TipoNombre kTipos[] = {
    {"page-header", TipoBanda::EncabezadoPagina}, {"page-footer", TipoBanda::PiePagina},
    {"title", TipoBanda::Titulo},                 {"summary", TipoBanda::Resumen},
    {"data", TipoBanda::Datos},                   {"header", TipoBanda::Encabezado},
    {"footer", TipoBanda::Pie},                   {"group", TipoBanda::Grupo},
    {"row", TipoBanda::Fila},
};

bool tipoDesdeNombre(const QString &nombre, TipoBanda &tipo)
{
    for (const auto &t : kTipos) {
        if (nombre == QLatin1String(t.nombre)) {
            tipo = t.tipo;
            return true;
        }
    }
    return false;
}

// Named entities that HTML authors write out of habit; XML only knows five.
QString entidadesNumericas(QString texto)
{
    static const std::pair<const char *, const char *> kEntidades[] = {
        {"&nbsp;", "&#160;"},   {"&aacute;", "&#225;"}, {"&eacute;", "&#233;"}, {"&iacute;", "&#237;"},
        {"&oacute;", "&#243;"}, {"&uacute;", "&#250;"}, {"&ntilde;", "&#241;"}, {"&Aacute;", "&#193;"},
        {"&Eacute;", "&#201;"}, {"&Iacute;", "&#205;"}, {"&Oacute;", "&#211;"}, {"&Uacute;", "&#218;"},
        {"&Ntilde;", "&#209;"}, {"&ordm;", "&#186;"},   {"&ordf;", "&#170;"},   {"&copy;", "&#169;"},
        {"&iquest;", "&#191;"}, {"&iexcl;", "&#161;"},
    };
    for (const auto &[nombre, numero] : kEntidades)
        texto.replace(QLatin1String(nombre), QLatin1String(numero));
    return texto;
}

class Traductor {
public:
    Traductor(const QString &archivo, int linea) : archivo_(archivo), linea_(linea) {}

    // Rewrites every tag of `fuente` to plain Mustache over _k keys.
    QString traducir(const QString &fuente, std::vector<ReferenciaPlantilla> &refs)
    {
        QString salida;
        qsizetype pos = 0;
        while (true) {
            qsizetype ini = fuente.indexOf(QLatin1String("{{"), pos);
            if (ini < 0) {
                salida += fuente.mid(pos);
                break;
            }
            salida += fuente.mid(pos, ini - pos);
            bool triple = fuente.mid(ini, 3) == QLatin1String("{{{");
            QLatin1String cierre(triple ? "}}}" : "}}");
            qsizetype fin = fuente.indexOf(cierre, ini);
            if (fin < 0)
                fallar(QStringLiteral("etiqueta sin cerrar: %1").arg(fuente.mid(ini, 30)));
            QString contenido = fuente.mid(ini + (triple ? 3 : 2), fin - ini - (triple ? 3 : 2)).trimmed();
            pos = fin + cierre.size();
            salida += etiqueta(contenido, triple, refs);
        }
        if (!pila_.empty())
            fallar(QStringLiteral("sección \"%1\" sin cerrar").arg(pila_.back().nombre));
        return salida;
    }

private:
    struct Seccion {
        QString nombre;  // "if" or the section name
        int clave;
        bool conElse = false;
    };

    [[noreturn]] void fallar(const QString &detalle) const
    {
        throw ErrorReporte(QStringLiteral("La plantilla de reporte \"%1\" no es válida (línea %2): %3")
                               .arg(archivo_)
                               .arg(linea_)
                               .arg(detalle));
    }

    void validarNombre(const QString &nombre) const
    {
        static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*(\\.[A-Za-z_][A-Za-z0-9_]*)?$"));
        if (!re.match(nombre).hasMatch())
            fallar(QStringLiteral("nombre no válido \"%1\"").arg(nombre));
    }

    int clave(const ReferenciaPlantilla &ref, std::vector<ReferenciaPlantilla> &refs)
    {
        for (std::size_t i = 0; i < refs.size(); ++i) {
            const auto &r = refs[i];
            if (r.condicion == ref.condicion && r.nombre == ref.nombre && r.formato == ref.formato &&
                r.operador == ref.operador && r.literal == ref.literal)
                return static_cast<int>(i);
        }
        refs.push_back(ref);
        return static_cast<int>(refs.size()) - 1;
    }

    ReferenciaPlantilla condicion(const QString &expresion) const
    {
        static const QRegularExpression re(
            QStringLiteral("^([A-Za-z_][A-Za-z0-9_.]*)\\s*(?:(==|!=|<=|>=|<|>)\\s*(.*))?$"));
        auto m = re.match(expresion.trimmed());
        if (!m.hasMatch())
            fallar(QStringLiteral("condición no válida \"%1\"").arg(expresion));
        ReferenciaPlantilla ref;
        ref.condicion = true;
        ref.nombre = m.captured(1);
        validarNombre(ref.nombre);
        ref.operador = m.captured(2);
        QString literal = m.captured(3).trimmed();
        if (!ref.operador.isEmpty()) {
            if (literal.size() >= 2 && (literal.front() == QLatin1Char('\'') || literal.front() == QLatin1Char('"')) &&
                literal.back() == literal.front())
                literal = literal.mid(1, literal.size() - 2);
            else if (literal.isEmpty())
                fallar(QStringLiteral("condición sin valor \"%1\"").arg(expresion));
        }
        ref.literal = literal;
        return ref;
    }

    QString etiqueta(const QString &c, bool triple, std::vector<ReferenciaPlantilla> &refs)
    {
        if (c.isEmpty())
            fallar(QStringLiteral("etiqueta vacía"));
        QChar primero = c.front();
        if (!triple && primero == QLatin1Char('!'))
            return QString();
        if (!triple && (primero == QLatin1Char('=') || primero == QLatin1Char('>')))
            fallar(QStringLiteral("etiqueta no admitida \"{{%1}}\"").arg(c));
        if (!triple && (primero == QLatin1Char('#') || primero == QLatin1Char('^'))) {
            QString resto = c.mid(1).trimmed();
            ReferenciaPlantilla ref;
            QString nombreSeccion;
            if (primero == QLatin1Char('#') && (resto.startsWith(QLatin1String("if ")) || resto.startsWith(QLatin1String("if\t")))) {
                ref = condicion(resto.mid(3));
                nombreSeccion = QStringLiteral("if");
            } else {
                validarNombre(resto);
                ref.condicion = true;
                ref.nombre = resto;
                nombreSeccion = resto;
            }
            int k = clave(ref, refs);
            pila_.push_back({nombreSeccion, k});
            return QStringLiteral("{{%1_%2}}").arg(primero).arg(k);
        }
        if (!triple && c == QLatin1String("else")) {
            if (pila_.empty() || pila_.back().nombre != QLatin1String("if") || pila_.back().conElse)
                fallar(QStringLiteral("{{else}} fuera de un {{#if}}"));
            pila_.back().conElse = true;
            int k = pila_.back().clave;
            return QStringLiteral("{{/_%1}}{{^_%1}}").arg(k);
        }
        if (!triple && primero == QLatin1Char('/')) {
            QString nombre = c.mid(1).trimmed();
            if (pila_.empty() || pila_.back().nombre != nombre)
                fallar(QStringLiteral("cierre inesperado \"{{/%1}}\"").arg(nombre));
            int k = pila_.back().clave;
            pila_.pop_back();
            return QStringLiteral("{{/_%1}}").arg(k);
        }
        bool crudo = triple;
        QString cuerpo = c;
        if (!triple && primero == QLatin1Char('&')) {
            crudo = true;
            cuerpo = c.mid(1).trimmed();
        }
        ReferenciaPlantilla ref;
        qsizetype barra = cuerpo.indexOf(QLatin1Char('|'));
        if (barra >= 0) {
            ref.formato = cuerpo.mid(barra + 1).trimmed();
            cuerpo = cuerpo.left(barra).trimmed();
            if (ref.formato.isEmpty())
                fallar(QStringLiteral("formato vacío en \"%1\"").arg(c));
        }
        validarNombre(cuerpo);
        ref.nombre = cuerpo;
        int k = clave(ref, refs);
        return crudo ? QStringLiteral("{{{_%1}}}").arg(k) : QStringLiteral("{{_%1}}").arg(k);
    }

    QString archivo_;
    int linea_;
    std::vector<Seccion> pila_;
};

QMarginsF leerMargenes(const QString &texto, bool &ok)
{
    const QStringList partes = texto.split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts);
    QList<double> v;
    ok = true;
    for (const QString &p : partes) {
        QString n = p;
        n.remove(QLatin1String("mm"));
        bool esNumero = false;
        double d = n.toDouble(&esNumero);
        if (!esNumero || d < 0) {
            ok = false;
            return {};
        }
        v << d;
    }
    switch (v.size()) {
    case 1: return QMarginsF(v[0], v[0], v[0], v[0]);
    case 2: return QMarginsF(v[1], v[0], v[1], v[0]);
    case 4: return QMarginsF(v[3], v[0], v[1], v[2]);  // top right bottom left
    default: ok = false; return {};
    }
}

} // namespace

QString nombreTipoBanda(TipoBanda tipo)
{
    for (const auto &t : kTipos)
        if (t.tipo == tipo)
            return QLatin1String(t.nombre);
    return QString();
}

std::unique_ptr<PlantillaReporte> PlantillaReporte::cargar(const QString &archivo)
{
    QFile f(archivo);
    if (!QFileInfo(archivo).isFile() || !f.open(QIODevice::ReadOnly))
        throw ErrorReporte(QStringLiteral("No se encontró la plantilla de reporte \"%1\"").arg(archivo));
    return desdeTexto(QString::fromUtf8(f.readAll()), archivo);
}

std::unique_ptr<PlantillaReporte> PlantillaReporte::desdeTexto(const QString &textoOriginal, const QString &archivo)
{
    auto plantilla = std::make_unique<PlantillaReporte>();
    plantilla->archivo = archivo;
    const QString texto = entidadesNumericas(textoOriginal);

    auto fallar = [&](int linea, const QString &detalle) {
        throw ErrorReporte(QStringLiteral("La plantilla de reporte \"%1\" no es válida (línea %2): %3")
                               .arg(archivo)
                               .arg(linea)
                               .arg(detalle));
    };

    enum class Marco { Otro, Cabeza, Cuerpo, Estructura, Hoja };
    struct Nivel {
        Marco marco;
        BandaPlantilla *banda = nullptr;
        qsizetype inicio = 0;
    };
    std::vector<Nivel> pila;
    bool vioCuerpo = false;

    auto contenedor = [&]() -> Nivel * {
        for (auto it = pila.rbegin(); it != pila.rend(); ++it) {
            if (it->marco == Marco::Hoja)
                return nullptr;
            if (it->marco == Marco::Cuerpo || it->marco == Marco::Estructura)
                return &*it;
        }
        return nullptr;
    };
    auto dentroDeHoja = [&]() {
        for (const auto &n : pila)
            if (n.marco == Marco::Hoja)
                return true;
        return false;
    };
    auto dentroDeCabeza = [&]() {
        for (const auto &n : pila)
            if (n.marco == Marco::Cabeza)
                return true;
        return false;
    };

    QXmlStreamReader xr(texto);
    while (!xr.atEnd()) {
        auto token = xr.readNext();
        int linea = static_cast<int>(xr.lineNumber());
        if (token == QXmlStreamReader::StartElement) {
            const QString nombre = xr.name().toString().toLower();
            const auto attrs = xr.attributes();
            const QString banda = attrs.value(QLatin1String("data-band")).toString().trimmed();
            if (dentroDeHoja()) {
                if (!banda.isEmpty())
                    fallar(linea, QStringLiteral("la banda \"%1\" está dentro del contenido de otra banda").arg(banda));
                pila.push_back({Marco::Otro});
                continue;
            }
            if (nombre == QLatin1String("head")) {
                pila.push_back({Marco::Cabeza});
                continue;
            }
            if (dentroDeCabeza()) {
                if (nombre == QLatin1String("style")) {
                    plantilla->css += xr.readElementText() + QLatin1Char('\n');
                    continue;  // readElementText consumed the end element
                }
                if (nombre == QLatin1String("meta") &&
                    attrs.value(QLatin1String("name")).toString().compare(QLatin1String("variables"), Qt::CaseInsensitive) == 0) {
                    const auto lista = attrs.value(QLatin1String("content"))
                                           .toString()
                                           .split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts);
                    plantilla->variables += lista;
                }
                pila.push_back({Marco::Otro});
                continue;
            }
            if (nombre == QLatin1String("body")) {
                vioCuerpo = true;
                QString tam = attrs.value(QLatin1String("data-page-size")).toString().trimmed().toLower();
                if (!tam.isEmpty()) {
                    if (tam == QLatin1String("a4"))
                        plantilla->tamano = QPageSize(QPageSize::A4);
                    else if (tam == QLatin1String("a5"))
                        plantilla->tamano = QPageSize(QPageSize::A5);
                    else if (tam == QLatin1String("letter"))
                        plantilla->tamano = QPageSize(QPageSize::Letter);
                    else if (tam == QLatin1String("legal"))
                        plantilla->tamano = QPageSize(QPageSize::Legal);
                    else
                        fallar(linea, QStringLiteral("tamaño de página desconocido \"%1\"").arg(tam));
                }
                QString orient = attrs.value(QLatin1String("data-orientation")).toString().trimmed().toLower();
                if (orient == QLatin1String("landscape"))
                    plantilla->orientacion = QPageLayout::Landscape;
                else if (!orient.isEmpty() && orient != QLatin1String("portrait"))
                    fallar(linea, QStringLiteral("orientación desconocida \"%1\"").arg(orient));
                if (attrs.hasAttribute(QLatin1String("data-margins"))) {
                    bool ok = false;
                    plantilla->margenesMm = leerMargenes(attrs.value(QLatin1String("data-margins")).toString(), ok);
                    if (!ok)
                        fallar(linea, QStringLiteral("márgenes no válidos"));
                }
                pila.push_back({Marco::Cuerpo});
                continue;
            }
            Nivel *cont = contenedor();
            if (!cont) {
                if (!banda.isEmpty())
                    fallar(linea, QStringLiteral("la banda \"%1\" está fuera de <body>").arg(banda));
                pila.push_back({Marco::Otro});
                continue;
            }
            if (banda.isEmpty())
                fallar(linea, QStringLiteral("el elemento <%1> está fuera de una banda").arg(nombre));
            TipoBanda tipo;
            if (!tipoDesdeNombre(banda, tipo))
                fallar(linea, QStringLiteral("banda desconocida \"%1\"").arg(banda));

            auto nueva = std::make_unique<BandaPlantilla>();
            BandaPlantilla *b = nueva.get();
            b->tipo = tipo;
            b->linea = linea;
            b->origen = attrs.value(QLatin1String("data-source")).toString().trimmed();
            b->campo = attrs.value(QLatin1String("data-field")).toString().trimmed();
            auto si = [&](const char *attr) {
                QString v = attrs.value(QLatin1String(attr)).toString().trimmed().toLower();
                return v == QLatin1String("yes") || v == QLatin1String("true") || v == QLatin1String("si") ||
                       v == QLatin1String("1");
            };
            b->repetir = si("data-repeat");
            b->nuevaPagina = si("data-new-page");

            BandaPlantilla *padre = cont->banda;
            auto fueraDeLugar = [&]() {
                fallar(linea, QStringLiteral("la banda \"%1\" no puede ir dentro de \"%2\"")
                                  .arg(banda, padre ? nombreTipoBanda(padre->tipo) : QStringLiteral("body")));
            };
            if (!padre) {
                switch (tipo) {
                case TipoBanda::EncabezadoPagina:
                    if (plantilla->encabezadoPagina)
                        fallar(linea, QStringLiteral("hay más de una banda \"page-header\""));
                    plantilla->encabezadoPagina = b;
                    break;
                case TipoBanda::PiePagina:
                    if (plantilla->piePagina)
                        fallar(linea, QStringLiteral("hay más de una banda \"page-footer\""));
                    plantilla->piePagina = b;
                    break;
                case TipoBanda::Titulo:
                case TipoBanda::Resumen:
                case TipoBanda::Datos:
                    break;
                default:
                    fueraDeLugar();
                }
                plantilla->bandas.push_back(std::move(nueva));
            } else {
                auto unica = [&](BandaPlantilla *&slot) {
                    if (slot)
                        fallar(linea, QStringLiteral("hay más de una banda \"%1\" en \"%2\"").arg(banda, nombreTipoBanda(padre->tipo)));
                    slot = b;
                };
                switch (tipo) {
                case TipoBanda::Encabezado: unica(padre->encabezado); break;
                case TipoBanda::Pie: unica(padre->pie); break;
                case TipoBanda::Grupo:
                    if (padre->fila || !padre->detalles.empty())
                        fallar(linea, QStringLiteral("la banda \"group\" debe ir antes de \"row\" y de los detalles"));
                    unica(padre->grupo);
                    break;
                case TipoBanda::Fila:
                    if (padre->grupo)
                        fueraDeLugar();
                    unica(padre->fila);
                    break;
                case TipoBanda::Datos:
                    if (padre->grupo)
                        fueraDeLugar();
                    padre->detalles.push_back(b);
                    break;
                default:
                    fueraDeLugar();
                }
                padre->hijos.push_back(std::move(nueva));
            }
            if (tipo == TipoBanda::Datos && b->origen.isEmpty())
                fallar(linea, QStringLiteral("la banda \"data\" no indica data-source"));
            if (tipo == TipoBanda::Grupo && b->campo.isEmpty())
                fallar(linea, QStringLiteral("la banda \"group\" no indica data-field"));
            pila.push_back({b->esHoja() ? Marco::Hoja : Marco::Estructura, b, xr.characterOffset()});
        } else if (token == QXmlStreamReader::EndElement) {
            if (pila.empty())
                break;
            Nivel n = pila.back();
            pila.pop_back();
            if (n.marco == Marco::Hoja) {
                qsizetype fin = xr.characterOffset();
                qsizetype finContenido = n.inicio;
                if (fin > n.inicio) {
                    qsizetype cierre = texto.lastIndexOf(QLatin1String("</"), fin - 1);
                    if (cierre >= n.inicio)
                        finContenido = cierre;
                }
                BandaPlantilla *b = n.banda;
                Traductor traductor(archivo, b->linea);
                b->html = traductor.traducir(texto.mid(n.inicio, finContenido - n.inicio), b->refs).trimmed();
                b->mustache = std::make_shared<kainjow::mustache::mustache>(b->html.toStdString());
                if (!b->mustache->is_valid())
                    fallar(b->linea, QString::fromStdString(b->mustache->error_message()));
            } else if (n.marco == Marco::Estructura) {
                BandaPlantilla *b = n.banda;
                if (!b->fila && !b->grupo && b->detalles.empty())
                    fallar(b->linea, QStringLiteral("la banda \"%1\" no tiene \"row\", \"group\" ni detalles")
                                         .arg(nombreTipoBanda(b->tipo)));
            }
        } else if (token == QXmlStreamReader::Characters) {
            if (!xr.isWhitespace() && !dentroDeHoja() && contenedor())
                fallar(linea, QStringLiteral("texto fuera de una banda: \"%1\"").arg(xr.text().toString().trimmed().left(40)));
        }
    }
    if (xr.hasError())
        fallar(static_cast<int>(xr.lineNumber()), xr.errorString());
    if (!vioCuerpo)
        fallar(1, QStringLiteral("falta el elemento <body>"));
    return plantilla;
}
