#include "platform/report/Reporte.h"

#include "platform/Currency.h"
#include "platform/Formato.h"
#include "platform/report/MoldeBanda.h"
#include "platform/report/PlantillaReporte.h"
#include "platform/report/UnionPdf.h"
#include "platform/workbook/TmxNativeExcel.h"
#include "platform/report/VistaPreviaReporte.h"

#include <QAbstractTextDocumentLayout>
#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QPrinter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QThread>

#include <kainjow/mustache.hpp>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <unordered_map>

namespace {

const QString kErrorSpool = QStringLiteral("No se pudo escribir el archivo temporal del reporte (¿disco lleno?): %1");

namespace mu = kainjow::mustache;

QString textoDe(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QString: return v.toString();
    case QMetaType::Double:
    case QMetaType::Float: return FormatFloat(QStringLiteral("0.##########"), v.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short: return QString::number(v.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort: return QString::number(v.toULongLong());
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("S") : QStringLiteral("N");
    case QMetaType::QDate: return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QTime: return v.toTime().toString(QStringLiteral("hh:mm:ss"));
    case QMetaType::QDateTime: {
        QDateTime dt = v.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.date().toString(QStringLiteral("dd/MM/yyyy"));
        return dt.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    }
    default: return v.toString();
    }
}

bool aMoneda(const QVariant &v, Currency &out)
{
    if (!v.isValid() || v.isNull())
        return false;
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: out = Currency::fromDouble(v.toDouble()); return true;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UInt:
    case QMetaType::UShort: out = Currency(static_cast<long long>(v.toLongLong())); return true;
    default: break;
    }
    QString t = v.toString().trimmed();
    if (t.isEmpty())
        return false;
    try {
        out = Currency::fromString(t);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool esFormatoFecha(const QString &formato)
{
    for (QChar c : formato) {
        switch (c.toLower().unicode()) {
        case 'd': case 'm': case 'y': case 'h': case 'n': case 's': return true;
        default: break;
        }
    }
    return false;
}

// Picture letters d m y h n s (n = minutes) to Qt's.
QString formatoFechaQt(const QString &formato)
{
    QString out;
    for (QChar c : formato) {
        switch (c.toLower().unicode()) {
        case 'm': out += QLatin1Char('M'); break;
        case 'n': out += QLatin1Char('m'); break;
        case 'h': out += QLatin1Char('H'); break;
        case 'd': case 'y': case 's': out += c.toLower(); break;
        default: out += c;
        }
    }
    return out;
}

QDateTime aFechaHora(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QTime)
        return QDateTime(QDate(1899, 12, 30), v.toTime());
    const QString t = v.toString().trimmed();
    for (const char *f : {"yyyy-MM-dd", "dd/MM/yyyy", "yyyy-MM-dd hh:mm:ss", "yyyy-MM-ddThh:mm:ss", "dd/MM/yyyy hh:mm:ss",
                          "yyyy-MM-dd hh:mm:ss.zzz"}) {
        QDateTime dt = QDateTime::fromString(t, QLatin1String(f));
        if (dt.isValid())
            return dt;
    }
    return {};
}

QString formatear(const QVariant &v, const QString &formato)
{
    if (!v.isValid() || v.isNull())
        return QString();
    if (esFormatoFecha(formato)) {
        QDateTime dt = aFechaHora(v);
        return dt.isValid() ? dt.toString(formatoFechaQt(formato)) : textoDe(v);
    }
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return FormatFloat(formato, v.toDouble());
    Currency c;
    if (aMoneda(v, c))
        return FormatCurrency(formato, c);
    return textoDe(v);
}

bool compararCondicion(const QString &izquierda, const QString &op, const QString &literal)
{
    if (op.isEmpty())
        return !izquierda.trimmed().isEmpty();
    const QString a = izquierda.trimmed();
    int cmp;
    Currency x, y;
    if (aMoneda(a, x) && aMoneda(literal, y))
        cmp = x < y ? -1 : (x == y ? 0 : 1);
    else
        cmp = a.compare(literal);
    if (op == QLatin1String("=="))
        return cmp == 0;
    if (op == QLatin1String("!="))
        return cmp != 0;
    if (op == QLatin1String("<"))
        return cmp < 0;
    if (op == QLatin1String("<="))
        return cmp <= 0;
    if (op == QLatin1String(">"))
        return cmp > 0;
    return cmp >= 0;
}

QString desentrecomillar(const QString &valor)
{
    QString t = valor.trimmed();
    if (t.size() >= 2 && t.front() == QLatin1Char('\'') && t.back() == QLatin1Char('\''))
        return t.mid(1, t.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
    return valor;
}

QString envolver(const QString &html)
{
    return QStringLiteral("<html><body>") + html + QStringLiteral("</body></html>");
}

// One data band while the report runs.
struct Nivel {
    BandaPlantilla *banda = nullptr;
    ReporteDatos *enlace = nullptr;
    FuenteDatosReporte *fuente = nullptr;
    Nivel *padre = nullptr;
    QHash<QString, QString> camposFuente;  // upper-case -> name as the source spells it
    QStringList necesarios;                // real names read on every row
    QHash<QString, int> indice;            // upper-case -> position in `actual`
    std::vector<QVariant> actual;
    qint64 linea = 0;
    int claveMaestro = -1;  // index in padre->actual
    QString campoDetalle;
    std::vector<BandaPlantilla *> grupos;  // outer to inner
    std::vector<int> clavesGrupo;

    bool tieneCampo(const QString &mayus) const { return camposFuente.contains(mayus); }
    int necesitar(const QString &mayus)
    {
        auto it = indice.find(mayus);
        if (it != indice.end())
            return it.value();
        necesarios << camposFuente.value(mayus);
        int i = static_cast<int>(necesarios.size()) - 1;
        indice.insert(mayus, i);
        return i;
    }
};

// Sums and counts a footer or the summary shows.
struct Acumulado {
    QStringList campos;  // upper-case
    std::vector<Nivel *> niveles;  // levels whose rows feed it
    std::vector<Nivel *> contados;  // levels whose rows it counts
    std::unordered_map<Nivel *, std::vector<std::pair<int, int>>> mapa;  // (sum index, snapshot index)
};

struct Ambito {
    const Acumulado *acumulado;
    std::vector<Currency> sumas;
    qint64 cuenta = 0;
};

struct Resolvedor {
    enum Tipo { Campo, Variable, Pagina, TotalPaginas, Linea, FechaImpresion, HoraImpresion, Suma, Cuenta } tipo;
    Nivel *nivel = nullptr;
    int indice = -1;
    QString texto;
};

struct BandaPreparada {
    std::vector<Resolvedor> resolvedores;
    Nivel *nivel = nullptr;
};

std::unique_ptr<QTextDocument> maquetar(const QString &html, const QString &css, double ancho)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setUndoRedoEnabled(false);
    doc->setDocumentMargin(0);
    doc->setDefaultStyleSheet(css);
    doc->setHtml(envolver(html));
    doc->setTextWidth(ancho);
    return doc;
}

// What a page holds, as the spool keeps it: a band at `y`, from `desde` on its own height,
// `alto` tall; laid out from its HTML, or a molded band's texts.
enum class Trazo : qint8 { Documento = 0, Molde = 1 };

// Lays bands out one after the other into pages. Nothing is painted here: each page
// goes to the spool as the bands it holds and where, to be painted later straight on
// the output device.
class Paginador {
public:
    Paginador(double ancho, double alto, const QString &css, QIODevice &spool)
        : ancho_(ancho), alto_(alto), css_(css), spool_(spool), ds_(&spool)
    {
        offsets.push_back(spool_.pos());
    }

    // A laid-out band: HTML to lay out again when painted, or a molded one's lines.
    struct Pieza {
        QString html;
        int molde = -1;
        std::vector<MoldeBanda::Texto> textos;
        double alto = 0;
    };

    Pieza pieza(const QString &html) const
    {
        Pieza p;
        p.alto = maquetar(html, css_, ancho_)->size().height();
        p.html = html;
        return p;
    }

    // Bands kept with the next one (headers) wait until it arrives. A band
    // given `repetir` text is reprinted at the top of every later page until
    // `repetidos` is cut back.
    void colocar(Pieza pieza, bool conSiguiente, const QString &repetir = QString())
    {
        const double h = pieza.alto;
        pendientes_.push_back({std::move(pieza), h, repetir});
        if (conSiguiente)
            return;
        double total = 0;
        for (const auto &p : pendientes_)
            total += p.alto;
        if (y_ > 0 && y_ + total > alto_ + 0.01)
            nuevaPagina();
        auto lista = std::move(pendientes_);
        pendientes_.clear();
        for (auto &p : lista) {
            dibujar(p.pieza, p.alto);
            if (!p.repetir.isEmpty())
                repetidos.push_back(p.repetir);
        }
    }

    // Explicit break: only when something is already on the page.
    void saltar()
    {
        if (y_ > 0)
            nuevaPagina();
    }

    void terminar()
    {
        auto lista = std::move(pendientes_);
        pendientes_.clear();
        for (auto &p : lista)
            dibujar(p.pieza, p.alto);
        cerrarPagina();
    }

    int pagina() const { return static_cast<int>(offsets.size()); }

    std::vector<QString> repetidos;
    std::vector<qint64> offsets;  // start of each page in the spool, plus the end

private:
    struct Pendiente {
        Pieza pieza;
        double alto;
        QString repetir;
    };

    void cerrarPagina()
    {
        if (ds_.status() != QDataStream::Ok)
            throw ErrorReporte(kErrorSpool.arg(spool_.errorString()));
        offsets.push_back(spool_.pos());
        y_ = 0;
    }

    void nuevaPagina()
    {
        cerrarPagina();
        if (!repitiendo_) {
            repitiendo_ = true;
            for (const QString &html : repetidos) {
                Pieza p = pieza(html);
                dibujar(p, p.alto);
            }
            repitiendo_ = false;
        }
    }

    void dibujar(const Pieza &doc, double h)
    {
        if (y_ + h <= alto_ + 0.01) {
            anotar(doc, 0, h);
            return;
        }
        // Taller than what is left: cut it across pages.
        double hecho = 0;
        while (hecho < h - 0.01) {
            double libre = alto_ - y_;
            if (libre < 1) {
                nuevaPagina();
                continue;
            }
            double tramo = std::min(libre, h - hecho);
            anotar(doc, hecho, tramo);
            hecho += tramo;
            if (hecho < h - 0.01)
                nuevaPagina();
        }
    }

    void anotar(const Pieza &pieza, double desde, double alto)
    {
        ds_ << static_cast<qint8>(pieza.molde >= 0 ? Trazo::Molde : Trazo::Documento) << y_ << desde << alto;
        if (pieza.molde >= 0) {
            ds_ << static_cast<qint32>(pieza.molde) << static_cast<quint32>(pieza.textos.size());
            for (const auto &t : pieza.textos)
                ds_ << t.texto << t.x;
        } else {
            ds_ << pieza.html;
        }
        y_ += alto;
    }

    double ancho_, alto_;
    QString css_;
    QIODevice &spool_;
    QDataStream ds_;
    double y_ = 0;
    bool repitiendo_ = false;
    std::vector<Pendiente> pendientes_;
};

} // namespace

struct Reporte::Impl {
    std::vector<ReporteDatos *> enlaces;
    ReporteDatos *principal = nullptr;
    std::unique_ptr<PlantillaReporte> plantilla;
    QString archivo;

    // Prepared state.
    bool preparado = false;
    std::vector<std::unique_ptr<Nivel>> niveles;
    std::vector<std::unique_ptr<Acumulado>> acumulados;
    std::unordered_map<const BandaPlantilla *, Acumulado *> acumuladoDe;  // footers and summary
    std::unordered_map<const BandaPlantilla *, BandaPreparada> preparadas;
    // Bands laid out once; null `molde` for those that need a document per instance.
    struct Moldeada {
        std::unique_ptr<MoldeBanda> molde;
        int id = -1;                    // index in porId
        bool puedeVaciarse = false;     // empty values leave it blank
        const BandaPlantilla *banda = nullptr;
    };
    std::unordered_map<const BandaPlantilla *, Moldeada> moldes;
    std::vector<const Moldeada *> porId;
    std::vector<QString> valoresBanda;
    std::vector<MoldeBanda::Texto> textosBanda;
    std::unique_ptr<QDataStream> dsBandas;
    QHash<QString, QString> variables;  // upper-case name -> unquoted value
    std::vector<Ambito *> ambitos;
    Ambito *ambitoReporte = nullptr;
    std::unique_ptr<QTemporaryFile> spoolPaginas;
    std::unique_ptr<QTemporaryFile> spoolBandas;
    std::vector<qint64> offsets;
    int paginas = 0;
    double dpi = 96;
    QSizeF pagina;   // device pixels at dpi
    QMarginsF margenes;
    double anchoCuerpo = 0;
    double altoEncabezado = 0, altoPie = 0;
    QDateTime impresion;

    // While running.
    Paginador *paginador = nullptr;

    [[noreturn]] void fallar(const QString &mensaje) const { throw ErrorReporte(mensaje); }

    ReporteDatos *enlacePorNombre(const QString &nombre) const
    {
        for (auto *e : enlaces)
            if (e->UserName.compare(nombre, Qt::CaseInsensitive) == 0)
                return e;
        return nullptr;
    }

    void limpiarPreparado()
    {
        preparado = false;
        niveles.clear();
        acumulados.clear();
        acumuladoDe.clear();
        preparadas.clear();
        moldes.clear();
        porId.clear();
        pintor.reset();
        dsBandas.reset();
        spoolPaginas.reset();
        spoolBandas.reset();
        offsets.clear();
        paginas = 0;
    }

    // --- binding names -----------------------------------------------------

    Nivel *crearNivel(BandaPlantilla *b, Nivel *padre)
    {
        ReporteDatos *enlace = enlacePorNombre(b->origen);
        if (!enlace || !enlace->DataSet)
            fallar(QStringLiteral("La plantilla de reporte \"%1\" usa el origen de datos \"%2\", que no está enlazado")
                       .arg(archivo, b->origen));
        for (Nivel *p = padre; p; p = p->padre)
            if (p->fuente == enlace->DataSet)
                fallar(QStringLiteral("La plantilla de reporte \"%1\" recorre el origen de datos \"%2\" dentro de sí mismo")
                           .arg(archivo, b->origen));
        auto n = std::make_unique<Nivel>();
        n->banda = b;
        n->enlace = enlace;
        n->fuente = enlace->DataSet;
        n->padre = padre;
        for (const QString &c : n->fuente->fieldNames())
            n->camposFuente.insert(c.toUpper(), c);
        Nivel *raw = n.get();
        niveles.push_back(std::move(n));
        if (padre && !enlace->CampoDetalle.isEmpty()) {
            const QString cm = enlace->CampoMaestro.toUpper(), cd = enlace->CampoDetalle.toUpper();
            if (!padre->tieneCampo(cm) || !raw->tieneCampo(cd))
                fallar(QStringLiteral("La plantilla de reporte \"%1\": el enlace de \"%2\" usa un campo inexistente (\"%3\" = \"%4\")")
                           .arg(archivo, b->origen, enlace->CampoMaestro, enlace->CampoDetalle));
            raw->claveMaestro = padre->necesitar(cm);
            raw->campoDetalle = raw->camposFuente.value(cd);
        }
        return raw;
    }

    void errorNombre(const BandaPlantilla *b, const QString &nombre) const
    {
        fallar(QStringLiteral("La plantilla de reporte \"%1\" usa la variable desconocida \"%2\" (banda \"%3\", línea %4)")
                   .arg(archivo, nombre, nombreTipoBanda(b->tipo))
                   .arg(b->linea));
    }

    void enlazarBanda(const BandaPlantilla *b, Nivel *nivel, Acumulado *acumulado, bool conPaginas)
    {
        if (!b)
            return;
        BandaPreparada bp;
        bp.nivel = nivel;
        for (const auto &ref : b->refs) {
            Resolvedor r{Resolvedor::Variable, nullptr, -1, {}};
            const QString raiz = ref.nombre.section(QLatin1Char('.'), 0, 0);
            const QString sub = ref.nombre.section(QLatin1Char('.'), 1);
            const QString raizM = raiz.toUpper(), subM = sub.toUpper();
            bool hecho = false;
            if (!sub.isEmpty() && raizM == QLatin1String("SUMA")) {
                if (!acumulado)
                    fallar(QStringLiteral("La plantilla de reporte \"%1\" usa \"%2\" fuera de un pie o del resumen (línea %3)")
                               .arg(archivo, ref.nombre)
                               .arg(b->linea));
                bool existe = false;
                for (Nivel *n : acumulado->niveles)
                    existe = existe || n->tieneCampo(subM);
                if (!existe)
                    errorNombre(b, ref.nombre);
                int i = static_cast<int>(acumulado->campos.indexOf(subM));
                if (i < 0) {
                    acumulado->campos << subM;
                    i = static_cast<int>(acumulado->campos.size()) - 1;
                }
                r = {Resolvedor::Suma, nullptr, i, {}};
                hecho = true;
            } else if (!sub.isEmpty()) {
                for (Nivel *n = nivel; n && !hecho; n = n->padre) {
                    if (n->enlace->UserName.compare(raiz, Qt::CaseInsensitive) == 0) {
                        if (!n->tieneCampo(subM))
                            errorNombre(b, ref.nombre);
                        r = {Resolvedor::Campo, n, n->necesitar(subM), {}};
                        hecho = true;
                    }
                }
                if (!hecho)
                    errorNombre(b, ref.nombre);
            } else {
                for (Nivel *n = nivel; n && !hecho; n = n->padre) {
                    if (n->tieneCampo(raizM)) {
                        r = {Resolvedor::Campo, n, n->necesitar(raizM), {}};
                        hecho = true;
                    }
                }
                if (!hecho && variables.contains(raizM)) {
                    r = {Resolvedor::Variable, nullptr, -1, variables.value(raizM)};
                    hecho = true;
                }
                if (!hecho) {
                    hecho = true;
                    if (raizM == QLatin1String("PAGINA"))
                        r.tipo = Resolvedor::Pagina;
                    else if (raizM == QLatin1String("TOTALPAGINAS") && conPaginas)
                        r.tipo = Resolvedor::TotalPaginas;
                    else if (raizM == QLatin1String("LINEA") && nivel)
                        r = {Resolvedor::Linea, nivel, -1, {}};
                    else if (raizM == QLatin1String("FECHAIMPRESION"))
                        r.tipo = Resolvedor::FechaImpresion;
                    else if (raizM == QLatin1String("HORAIMPRESION"))
                        r.tipo = Resolvedor::HoraImpresion;
                    else if (raizM == QLatin1String("CUENTA") && acumulado)
                        r.tipo = Resolvedor::Cuenta;
                    else if (raizM == QLatin1String("TOTALPAGINAS"))
                        fallar(QStringLiteral("La plantilla de reporte \"%1\" usa \"TotalPaginas\" fuera del encabezado o pie de página (línea %2)")
                                   .arg(archivo)
                                   .arg(b->linea));
                    else
                        errorNombre(b, ref.nombre);
                }
            }
            bp.resolvedores.push_back(r);
        }
        preparadas[b] = std::move(bp);
    }

    Acumulado *nuevoAcumulado(const BandaPlantilla *pie, std::vector<Nivel *> nivelesFuente, std::vector<Nivel *> contados)
    {
        auto a = std::make_unique<Acumulado>();
        a->niveles = std::move(nivelesFuente);
        a->contados = std::move(contados);
        Acumulado *raw = a.get();
        acumulados.push_back(std::move(a));
        if (pie)
            acumuladoDe[pie] = raw;
        return raw;
    }

    // Creates the levels of a data band and its details; returns them all.
    std::vector<Nivel *> crearNiveles(BandaPlantilla *datos, Nivel *padre, std::vector<Nivel *> &propios)
    {
        Nivel *n = crearNivel(datos, padre);
        propios.push_back(n);
        std::vector<Nivel *> todos{n};
        BandaPlantilla *interior = datos;
        while (interior->grupo) {
            interior = interior->grupo;
            n->grupos.push_back(interior);
        }
        for (BandaPlantilla *detalle : interior->detalles) {
            std::vector<Nivel *> dummy;
            auto sub = crearNiveles(detalle, n, dummy);
            todos.insert(todos.end(), sub.begin(), sub.end());
        }
        return todos;
    }

    void enlazarDatos(Nivel *n, const std::vector<Nivel *> &arbol)
    {
        BandaPlantilla *datos = n->banda;
        for (BandaPlantilla *g : n->grupos) {
            const QString campo = g->campo.toUpper();
            if (!n->tieneCampo(campo))
                fallar(QStringLiteral("La plantilla de reporte \"%1\" agrupa por el campo desconocido \"%2\" (línea %3)")
                           .arg(archivo, g->campo)
                           .arg(g->linea));
            n->clavesGrupo.push_back(n->necesitar(campo));
        }
        enlazarBanda(datos->encabezado, n, nullptr, false);
        enlazarBanda(datos->pie, n, nuevoAcumulado(datos->pie, arbol, {n}), false);
        for (BandaPlantilla *g : n->grupos) {
            enlazarBanda(g->encabezado, n, nullptr, false);
            enlazarBanda(g->pie, n, nuevoAcumulado(g->pie, arbol, {n}), false);
        }
        BandaPlantilla *interior = n->grupos.empty() ? datos : n->grupos.back();
        enlazarBanda(interior->fila, n, nullptr, false);
        for (BandaPlantilla *detalle : interior->detalles) {
            Nivel *hijo = nullptr;
            for (auto &cand : niveles)
                if (cand->banda == detalle && cand->padre == n)
                    hijo = cand.get();
            std::vector<Nivel *> sub;
            recolectar(hijo, sub);
            enlazarDatos(hijo, sub);
        }
    }

    void recolectar(Nivel *n, std::vector<Nivel *> &out)
    {
        out.push_back(n);
        for (auto &cand : niveles)
            if (cand->padre == n)
                recolectar(cand.get(), out);
    }

    void enlazarTodo()
    {
        variables.clear();
        for (const QString &v : plantilla->variables)
            variables.insert(v.toUpper(), QString());
        for (auto it = PublicVariables->cbegin(); it != PublicVariables->cend(); ++it)
            variables.insert(it.key().toUpper(), desentrecomillar(it.value()));

        std::vector<Nivel *> superiores, todos;
        for (auto &b : plantilla->bandas)
            if (b->tipo == TipoBanda::Datos) {
                auto sub = crearNiveles(b.get(), nullptr, superiores);
                todos.insert(todos.end(), sub.begin(), sub.end());
            }
        ambitoAcumulado = nuevoAcumulado(nullptr, todos, superiores);
        for (auto &b : plantilla->bandas) {
            switch (b->tipo) {
            case TipoBanda::Datos: {
                Nivel *n = nullptr;
                for (Nivel *s : superiores)
                    if (s->banda == b.get())
                        n = s;
                std::vector<Nivel *> sub;
                recolectar(n, sub);
                enlazarDatos(n, sub);
                break;
            }
            case TipoBanda::Titulo: enlazarBanda(b.get(), nullptr, nullptr, false); break;
            case TipoBanda::Resumen:
                acumuladoDe[b.get()] = ambitoAcumulado;
                enlazarBanda(b.get(), nullptr, ambitoAcumulado, false);
                break;
            default: enlazarBanda(b.get(), nullptr, nullptr, true); break;
            }
        }
        for (auto &a : acumulados)
            for (Nivel *n : a->niveles) {
                std::vector<std::pair<int, int>> pares;
                for (int i = 0; i < a->campos.size(); ++i)
                    if (n->tieneCampo(a->campos[i]))
                        pares.push_back({i, n->necesitar(a->campos[i])});
                if (!pares.empty())
                    a->mapa[n] = std::move(pares);
            }
    }

    // --- running -----------------------------------------------------------

    QVariant valorDe(const Resolvedor &r, const Ambito *ambito, int numeroPagina, int totalPaginas) const
    {
        switch (r.tipo) {
        case Resolvedor::Campo: return r.nivel->actual[r.indice];
        case Resolvedor::Variable: return r.texto;
        case Resolvedor::Pagina: return numeroPagina;
        case Resolvedor::TotalPaginas: return totalPaginas;
        case Resolvedor::Linea: return r.nivel->linea;
        case Resolvedor::FechaImpresion: return impresion.date();
        case Resolvedor::HoraImpresion: return impresion.time().toString(QStringLiteral("hh:mm:ss"));
        case Resolvedor::Suma: return QString::fromStdString(ambito->sumas[r.indice].toString());
        case Resolvedor::Cuenta: return ambito->cuenta;
        }
        return QVariant();
    }

    // The band's HTML; `textos`, when given, gets each key's text (empty for conditions).
    // `propia`, when given, is a copy of the band's Mustache template to render with.
    QString renderizar(const BandaPlantilla *b, const Ambito *ambito, int numeroPagina, int totalPaginas,
                       std::vector<QString> *textos = nullptr, mu::mustache *propia = nullptr) const
    {
        const BandaPreparada &bp = preparadas.at(b);
        mu::data datos{mu::data::type::object};
        if (textos)
            textos->assign(b->refs.size(), QString());
        for (std::size_t k = 0; k < b->refs.size(); ++k) {
            const auto &ref = b->refs[k];
            const QVariant v = valorDe(bp.resolvedores[k], ambito, numeroPagina, totalPaginas);
            const std::string clave = "_" + std::to_string(k);
            if (ref.condicion) {
                datos.set(clave, mu::data(compararCondicion(textoDe(v), ref.operador, ref.literal)));
            } else {
                QString t = ref.formato.isEmpty() ? textoDe(v) : formatear(v, ref.formato);
                datos.set(clave, mu::data(t.toStdString()));
                if (textos)
                    (*textos)[k] = std::move(t);
            }
        }
        return QString::fromStdString((propia ? *propia : *b->mustache).render(datos));
    }

    // Each key's text, without the HTML (bands with values only, no conditions).
    void textosDe(const BandaPlantilla *b, const Ambito *ambito, int numeroPagina, int totalPaginas,
                  std::vector<QString> &textos) const
    {
        const BandaPreparada &bp = preparadas.at(b);
        textos.resize(b->refs.size());
        for (std::size_t k = 0; k < b->refs.size(); ++k) {
            const QVariant v = valorDe(bp.resolvedores[k], ambito, numeroPagina, totalPaginas);
            textos[k] = b->refs[k].formato.isEmpty() ? textoDe(v) : formatear(v, b->refs[k].formato);
        }
    }

    // The HTML of a band with values only, from its keys' texts.
    static QString renderizarTextos(const BandaPlantilla *b, const std::vector<QString> &textos,
                                    mu::mustache *propia = nullptr)
    {
        mu::data datos{mu::data::type::object};
        for (std::size_t k = 0; k < b->refs.size(); ++k)
            datos.set("_" + std::to_string(k), mu::data(k < textos.size() ? textos[k].toStdString() : std::string()));
        return QString::fromStdString((propia ? *propia : *b->mustache).render(datos));
    }

    // The band laid out with Marca(k) as the value of key k, molded; null when it has not
    // the shape MoldeBanda takes. The same band gives the same mold on any thread.
    std::unique_ptr<MoldeBanda> moldear(const BandaPlantilla *b, mu::mustache *propia = nullptr) const
    {
        std::vector<QString> marcas;
        for (std::size_t k = 0; k < b->refs.size(); ++k)
            marcas.push_back(QString(MoldeBanda::Marca(static_cast<int>(k))));
        const QString html = renderizarTextos(b, marcas, propia);
        if (html.trimmed().isEmpty())
            return nullptr;
        return MoldeBanda::Crear(*maquetar(html, plantilla->css, anchoCuerpo));
    }

    Ambito *ambitoDe(const BandaPlantilla *pie)
    {
        auto it = acumuladoDe.find(pie);
        for (auto a = ambitos.rbegin(); a != ambitos.rend(); ++a)
            if (it != acumuladoDe.end() && (*a)->acumulado == it->second)
                return *a;
        return nullptr;
    }

    // Keeps a placed band for the workbook export: a molded band's texts, or its HTML.
    void anotarBanda(int id, const std::vector<QString> &textos, const QString &html)
    {
        QDataStream &ds = *dsBandas;
        ds << static_cast<qint32>(id);
        if (id >= 0) {
            ds << static_cast<quint32>(textos.size());
            for (const QString &t : textos)
                ds << t;
        } else {
            ds << html.toUtf8();
        }
        if (ds.status() != QDataStream::Ok)
            fallar(kErrorSpool.arg(spoolBandas->errorString()));
    }

    // Places a body band.
    void emitir(const BandaPlantilla *b, bool conSiguiente, bool repetible = false)
    {
        if (!b)
            return;
        const Moldeada *m = moldeDe(b);
        const Ambito *ambito = ambitoDe(b);
        const int numero = paginador->pagina();
        // A molded band needs no HTML unless it may come out blank or is reprinted.
        if (m && !m->puedeVaciarse && !repetible) {
            textosDe(b, ambito, numero, 0, valoresBanda);
            if (m->molde->Componer(valoresBanda, textosBanda)) {
                anotarBanda(m->id, valoresBanda, QString());
                Paginador::Pieza p;
                p.molde = m->id;
                p.textos.swap(textosBanda);
                p.alto = m->molde->Alto();
                paginador->colocar(std::move(p), conSiguiente);
                return;
            }
        }
        QString html = renderizar(b, ambito, numero, 0, m ? &valoresBanda : nullptr);
        if (html.trimmed().isEmpty())
            return;
        anotarBanda(-1, {}, html);
        const QString repetir = repetible ? html : QString();
        if (m && m->molde->Componer(valoresBanda, textosBanda)) {
            Paginador::Pieza p;
            p.molde = m->id;
            p.textos.swap(textosBanda);
            p.alto = m->molde->Alto();
            paginador->colocar(std::move(p), conSiguiente, repetir);
            return;
        }
        paginador->colocar(paginador->pieza(html), conSiguiente, repetir);
    }

    // The band laid out once with markers in place of its values, when its shape allows it:
    // plain values only (no conditions or raw HTML, which change the markup). Null otherwise.
    const Moldeada *moldeDe(const BandaPlantilla *b)
    {
        auto it = moldes.find(b);
        if (it != moldes.end())
            return it->second.molde ? &it->second : nullptr;
        Moldeada m;
        m.banda = b;
        bool admitida = b->refs.size() <= static_cast<std::size_t>(MoldeBanda::kMaxMarcas)
                        && !b->html.contains(QLatin1String("{{{"));
        for (const auto &ref : b->refs)
            admitida = admitida && !ref.condicion;
        if (admitida) {
            m.molde = moldear(b);
            m.puedeVaciarse = renderizarTextos(b, {}).trimmed().isEmpty();
        }
        Moldeada &guardada = moldes.emplace(b, std::move(m)).first->second;
        if (!guardada.molde)
            return nullptr;
        guardada.id = static_cast<int>(porId.size());
        porId.push_back(&guardada);
        return &guardada;
    }

    void abrirAmbito(const BandaPlantilla *pie, std::vector<std::unique_ptr<Ambito>> &duenos)
    {
        auto it = acumuladoDe.find(pie);
        if (!pie || it == acumuladoDe.end())
            return;
        auto a = std::make_unique<Ambito>();
        a->acumulado = it->second;
        a->sumas.assign(it->second->campos.size(), Currency());
        ambitos.push_back(a.get());
        duenos.push_back(std::move(a));
    }

    void cerrarAmbito(const BandaPlantilla *pie, std::vector<std::unique_ptr<Ambito>> &duenos)
    {
        auto it = acumuladoDe.find(pie);
        if (!pie || it == acumuladoDe.end())
            return;
        for (auto a = ambitos.end(); a != ambitos.begin();) {
            --a;
            if ((*a)->acumulado == it->second) {
                ambitos.erase(a);
                break;
            }
        }
        for (auto d = duenos.begin(); d != duenos.end(); ++d)
            if ((*d)->acumulado == it->second) {
                duenos.erase(d);
                break;
            }
    }

    void sumarFila(Nivel *n)
    {
        for (Ambito *a : ambitos) {
            auto it = a->acumulado->mapa.find(n);
            if (it != a->acumulado->mapa.end())
                for (auto [suma, campo] : it->second) {
                    Currency c;
                    if (aMoneda(n->actual[campo], c))
                        a->sumas[suma] += c;
                }
            for (Nivel *contado : a->acumulado->contados)
                if (contado == n)
                    ++a->cuenta;
        }
    }

    void recorrer(Nivel *n)
    {
        FuenteDatosReporte *f = n->fuente;
        if (n->padre && n->enlace->AlCambiarMaestro)
            n->enlace->AlCambiarMaestro();
        QString claveMaestro;
        if (n->claveMaestro >= 0)
            claveMaestro = textoDe(n->padre->actual[n->claveMaestro]).trimmed();
        BandaPlantilla *datos = n->banda;
        BandaPlantilla *interior = n->grupos.empty() ? datos : n->grupos.back();
        std::vector<std::unique_ptr<Ambito>> duenos;
        const std::size_t repetidosAntes = paginador->repetidos.size();
        const int nGrupos = static_cast<int>(n->grupos.size());
        n->linea = 0;
        n->actual.assign(n->necesarios.size(), QVariant());

        auto cerrarGrupos = [&](int desde) {
            for (int g = nGrupos - 1; g >= desde; --g) {
                emitir(n->grupos[g]->pie, false);
                cerrarAmbito(n->grupos[g]->pie, duenos);
            }
        };
        auto abrirGrupos = [&](int desde, bool primero) {
            for (int g = desde; g < nGrupos; ++g) {
                if (n->grupos[g]->nuevaPagina && !primero)
                    paginador->saltar();
                abrirAmbito(n->grupos[g]->pie, duenos);
                emitir(n->grupos[g]->encabezado, true);
            }
        };

        f->first();
        while (!f->eof()) {
            if (n->claveMaestro >= 0 && textoDe(f->value(n->campoDetalle)).trimmed() != claveMaestro) {
                f->next();
                continue;
            }
            int cambio = -1;
            if (n->linea > 0) {
                for (int g = 0; g < nGrupos && cambio < 0; ++g) {
                    const QString campo = n->necesarios[n->clavesGrupo[g]];
                    if (textoDe(f->value(campo)) != textoDe(n->actual[n->clavesGrupo[g]]))
                        cambio = g;
                }
                if (cambio >= 0)
                    cerrarGrupos(cambio);
            }
            for (int i = 0; i < n->necesarios.size(); ++i)
                n->actual[i] = f->value(n->necesarios[i]);
            ++n->linea;
            if (n->linea == 1) {
                abrirAmbito(datos->pie, duenos);
                emitir(datos->encabezado, true, datos->encabezado && datos->encabezado->repetir);
                abrirGrupos(0, true);
            } else if (cambio >= 0) {
                abrirGrupos(cambio, false);
            }
            sumarFila(n);
            emitir(interior->fila, false);
            for (BandaPlantilla *detalle : interior->detalles)
                for (auto &cand : niveles)
                    if (cand->banda == detalle && cand->padre == n)
                        recorrer(cand.get());
            f->next();
        }
        if (n->linea > 0) {
            cerrarGrupos(0);
            paginador->repetidos.resize(std::min(paginador->repetidos.size(), repetidosAntes));
            emitir(datos->pie, false);
            cerrarAmbito(datos->pie, duenos);
        }
    }

    double altoDe(const BandaPlantilla *b)
    {
        if (!b)
            return 0;
        QString html = renderizar(b, nullptr, 9999, 9999);
        if (html.trimmed().isEmpty())
            return 0;
        return maquetar(html, plantilla->css, anchoCuerpo)->size().height();
    }

    void preparar()
    {
        if (!plantilla)
            fallar(QStringLiteral("No se ha cargado ninguna plantilla de reporte"));
        limpiarPreparado();
        enlazarTodo();
        impresion = QDateTime::currentDateTime();

        QPicture referencia;
        dpi = referencia.logicalDpiY();
        QPageLayout disposicion(plantilla->tamano, plantilla->orientacion, QMarginsF());
        QSizeF puntos = disposicion.fullRect(QPageLayout::Point).size();
        pagina = puntos * dpi / 72.0;
        const double mm = dpi / 25.4;
        const QMarginsF &m = plantilla->margenesMm;
        margenes = QMarginsF(m.left() * mm, m.top() * mm, m.right() * mm, m.bottom() * mm);
        const double ancho = pagina.width() - margenes.left() - margenes.right();
        anchoCuerpo = ancho;
        altoEncabezado = altoDe(plantilla->encabezadoPagina);
        altoPie = altoDe(plantilla->piePagina);
        const double alto = pagina.height() - margenes.top() - margenes.bottom() - altoEncabezado - altoPie;
        if (ancho < 20 || alto < 20)
            fallar(QStringLiteral("La plantilla de reporte \"%1\" no deja espacio para el cuerpo de la página").arg(archivo));

        spoolPaginas = std::make_unique<QTemporaryFile>();
        spoolBandas = std::make_unique<QTemporaryFile>();
        if (!spoolPaginas->open() || !spoolBandas->open())
            fallar(QStringLiteral("No se pudo crear un archivo temporal para el reporte \"%1\"").arg(archivo));
        dsBandas = std::make_unique<QDataStream>(spoolBandas.get());

        Paginador pag(ancho, alto, plantilla->css, *spoolPaginas);
        paginador = &pag;
        std::vector<std::unique_ptr<Ambito>> duenos;
        auto reporte = std::make_unique<Ambito>();
        reporte->acumulado = ambitoAcumulado;
        reporte->sumas.assign(ambitoAcumulado->campos.size(), Currency());
        ambitos = {reporte.get()};
        try {
            for (auto &b : plantilla->bandas) {
                switch (b->tipo) {
                case TipoBanda::Titulo:
                case TipoBanda::Resumen:
                    if (b->nuevaPagina)
                        pag.saltar();
                    emitir(b.get(), false);
                    break;
                case TipoBanda::Datos:
                    for (auto &n : niveles)
                        if (n->banda == b.get() && !n->padre)
                            recorrer(n.get());
                    break;
                default: break;
                }
            }
            pag.terminar();
        } catch (...) {
            paginador = nullptr;
            ambitos.clear();
            throw;
        }
        paginador = nullptr;
        ambitos.clear();
        offsets = pag.offsets;
        paginas = static_cast<int>(offsets.size()) - 1;
        if (!spoolBandas->flush() || !spoolPaginas->flush())
            fallar(kErrorSpool.arg(spoolBandas->errorString()));
        preparado = true;
    }

    // A page header or footer whose only changing value is the page number: laid out
    // once with a marker for it, the number put in place page after page.
    struct BandaDePagina {
        std::unique_ptr<QTextDocument> doc;  // null: not of that shape
        std::vector<std::pair<int, int>> numeros;  // position and length of each page number
    };

    // Paints prepared pages. It holds everything painting changes, and everything that holds
    // fonts (Qt's font engines and FreeType faces belong to the thread that made them): the
    // spool's read position, the molds with their caches, the page bands laid out once and
    // the Mustache templates it renders with. Impl itself is only read while pages are
    // painted. One per painting thread.
    class Pintor {
    public:
        // Paints with the molds made while preparing, on the thread that prepared.
        explicit Pintor(Impl &r) : r_(r), spool_(r.spoolPaginas.get())
        {
            for (const Moldeada *m : r.porId)
                moldes_.push_back(m->molde.get());
        }

        // For another thread, and built on it: opens the spool again by name (asked for on
        // the preparing thread: naming it may link the file) and makes its own molds, from the
        // same HTML, so that they place every text where the shared ones would.
        Pintor(Impl &r, const QString &spool) : r_(r), archivo_(std::make_unique<QFile>(spool))
        {
            if (!archivo_->open(QIODevice::ReadOnly))
                r.fallar(kErrorSpool.arg(archivo_->errorString()));
            spool_ = archivo_.get();
            for (const Moldeada *m : r.porId) {
                propios_.push_back(r.moldear(m->banda, plantillaDe(m->banda)));
                if (!propios_.back() || std::abs(propios_.back()->Alto() - m->molde->Alto()) > 0.001)
                    r.fallar(QStringLiteral("El reporte \"%1\" no se pudo pintar en varios hilos").arg(r.archivo));
                moldes_.push_back(propios_.back().get());
            }
        }

        // Paints page i (from 0) as the spool keeps it.
        void pagina(QPainter &p, int i)
        {
            documento(p, r_.plantilla->encabezadoPagina, i + 1, r_.margenes.left(), r_.margenes.top(), false);
            const double arriba = r_.margenes.top() + r_.altoEncabezado;
            if (!spool_->seek(r_.offsets[i]))
                r_.fallar(kErrorSpool.arg(spool_->errorString()));
            QDataStream ds(spool_);
            QString html;
            while (spool_->pos() < r_.offsets[i + 1]) {
                qint8 tipo = 0;
                double y = 0, desde = 0, alto = 0;
                ds >> tipo >> y >> desde >> alto;
                const MoldeBanda *molde = nullptr;
                if (static_cast<Trazo>(tipo) == Trazo::Molde) {
                    qint32 id = -1;
                    quint32 n = 0;
                    ds >> id >> n;
                    if (id < 0 || id >= static_cast<qint32>(moldes_.size()) || n > static_cast<quint32>(MoldeBanda::kMaxMarcas))
                        r_.fallar(kErrorSpool.arg(QStringLiteral("registro dañado")));
                    textos_.resize(n);
                    for (auto &t : textos_)
                        ds >> t.texto >> t.x;
                    molde = moldes_[id];
                } else {
                    ds >> html;
                }
                if (ds.status() != QDataStream::Ok)
                    r_.fallar(kErrorSpool.arg(spool_->errorString()));
                p.save();
                p.translate(r_.margenes.left(), arriba + y - desde);
                if (molde) {
                    if (desde > 0 || alto < molde->Alto() - 0.01)
                        p.setClipRect(QRectF(0, desde, r_.anchoCuerpo, alto));
                    molde->Pintar(p, textos_);
                } else {
                    maquetar(html, r_.plantilla->css, r_.anchoCuerpo)->drawContents(&p, QRectF(0, desde, r_.anchoCuerpo, alto));
                }
                p.restore();
            }
            documento(p, r_.plantilla->piePagina, i + 1, r_.margenes.left(), r_.pagina.height() - r_.margenes.bottom(), true);
        }

    private:
        // The band's template: the shared one on the preparing thread, a copy elsewhere.
        mu::mustache *plantillaDe(const BandaPlantilla *b)
        {
            if (!archivo_)
                return nullptr;
            auto &m = mustaches_[b];
            if (!m)
                m = std::make_unique<mu::mustache>(*b->mustache);
            return m.get();
        }

        BandaDePagina &bandaDePagina(const BandaPlantilla *b)
        {
            auto it = bandas_.find(b);
            if (it != bandas_.end())
                return it->second;
            BandaDePagina &bp = bandas_[b];
            const BandaPreparada &prep = r_.preparadas.at(b);
            std::vector<QString> textos;
            r_.textosDe(b, nullptr, 1, r_.paginas, textos);
            const QChar marca = MoldeBanda::Marca(0);
            for (std::size_t k = 0; k < b->refs.size(); ++k) {
                const auto &ref = b->refs[k];
                if (ref.condicion || std::any_of(textos[k].cbegin(), textos[k].cend(), [](QChar c) { return c.unicode() >= 0xE000 && c.unicode() < 0xF900; }))
                    return bp;
                if (prep.resolvedores[k].tipo == Resolvedor::Pagina) {
                    if (!ref.formato.isEmpty())
                        return bp;
                    textos[k] = QString(marca);
                }
            }
            if (b->html.contains(QLatin1String("{{{")))
                return bp;
            const QString html = renderizarTextos(b, textos, plantillaDe(b));
            if (html.trimmed().isEmpty())
                return bp;
            auto doc = maquetar(html, r_.plantilla->css, r_.anchoCuerpo);
            for (QTextBlock bl = doc->begin(); bl.isValid(); bl = bl.next()) {
                const QString t = bl.text();
                for (int i = 0; i < t.size(); ++i)
                    if (t[i] == marca)
                        bp.numeros.push_back({bl.position() + i, 1});
            }
            bp.doc = std::move(doc);
            return bp;
        }

        void documento(QPainter &p, const BandaPlantilla *b, int numero, double x, double y, bool abajo)
        {
            if (!b)
                return;
            std::unique_ptr<QTextDocument> propio;
            QTextDocument *doc = nullptr;
            if (BandaDePagina &bp = bandaDePagina(b); bp.doc) {
                // Last number first, so the positions before it stay put.
                const QString texto = QString::number(numero);
                int desplazamiento = 0;
                for (auto &n : bp.numeros)
                    desplazamiento += static_cast<int>(texto.size()) - n.second;
                for (auto n = bp.numeros.rbegin(); n != bp.numeros.rend(); ++n) {
                    QTextCursor c(bp.doc.get());
                    c.setPosition(n->first);
                    c.setPosition(n->first + n->second, QTextCursor::KeepAnchor);
                    c.insertText(texto);
                    desplazamiento -= static_cast<int>(texto.size()) - n->second;
                    n->first += desplazamiento;
                    n->second = static_cast<int>(texto.size());
                }
                doc = bp.doc.get();
            } else {
                QString html = r_.renderizar(b, nullptr, numero, r_.paginas, nullptr, plantillaDe(b));
                if (html.trimmed().isEmpty())
                    return;
                propio = maquetar(html, r_.plantilla->css, r_.anchoCuerpo);
                doc = propio.get();
            }
            double h = doc->size().height();
            p.save();
            p.translate(x, abajo ? y - h : y);
            doc->drawContents(&p, QRectF(QPointF(0, 0), doc->size()));
            p.restore();
        }

        Impl &r_;
        std::unique_ptr<QFile> archivo_;  // own handle on the spool, when apart
        QIODevice *spool_ = nullptr;
        std::vector<std::unique_ptr<MoldeBanda>> propios_;
        std::vector<const MoldeBanda *> moldes_;  // by id
        std::unordered_map<const BandaPlantilla *, std::unique_ptr<mu::mustache>> mustaches_;
        std::unordered_map<const BandaPlantilla *, BandaDePagina> bandas_;
        std::vector<MoldeBanda::Texto> textos_;
    };

    std::unique_ptr<Pintor> pintor;  // the preparing thread's, kept between outputs

    Pintor &pintorPrincipal()
    {
        if (!pintor)
            pintor = std::make_unique<Pintor>(*this);
        return *pintor;
    }

    // Pages [desde, hasta) as a PDF on `salida`; stops early when `parar` is set.
    void pintarPdf(Pintor &quien, QIODevice &salida, int desde, int hasta, const QString &titulo,
                   const QString &destino, const std::atomic<bool> *parar = nullptr)
    {
        QPdfWriter pdf(&salida);
        pdf.setResolution(qRound(dpi));
        pdf.setPageLayout(QPageLayout(plantilla->tamano, plantilla->orientacion, QMarginsF()));
        pdf.setCreator(QStringLiteral("Compras"));
        pdf.setTitle(titulo);
        QPainter p;
        if (!p.begin(&pdf))
            fallar(QStringLiteral("No se pudo escribir el archivo \"%1\"").arg(destino));
        for (int i = desde; i < hasta && !(parar && *parar); ++i) {
            if (i > desde)
                pdf.newPage();
            quien.pagina(p, i);
        }
        if (!p.end())
            fallar(QStringLiteral("No se pudo escribir el archivo \"%1\"").arg(destino));
    }

    // Paints the pages in `n` contiguous parts at once: the first on this thread, each other
    // on a thread of its own, every part into a temporary PDF; then joins them into
    // `destino`. An error on any thread is thrown here once all have stopped. False when
    // the parts cannot be joined (the caller paints in one pass then).
    bool exportarEnPartes(const QString &destino, const QString &titulo, int n)
    {
        std::vector<std::unique_ptr<QTemporaryFile>> partes;
        for (int k = 0; k < n; ++k) {
            partes.push_back(std::make_unique<QTemporaryFile>());
            if (!partes.back()->open())
                fallar(QStringLiteral("No se pudo crear un archivo temporal para el reporte \"%1\"").arg(archivo));
        }
        const QString spool = spoolPaginas->fileName();
        std::atomic<bool> parar = false;
        std::vector<std::exception_ptr> errores(n);
        auto pintarParte = [&](int k) {
            try {
                std::unique_ptr<Pintor> propio;
                if (k > 0)
                    propio = std::make_unique<Pintor>(*this, spool);
                pintarPdf(k > 0 ? *propio : pintorPrincipal(), *partes[k], paginas * k / n, paginas * (k + 1) / n,
                          titulo, destino, &parar);
                if (!partes[k]->flush())
                    fallar(kErrorSpool.arg(partes[k]->errorString()));
            } catch (...) {
                errores[k] = std::current_exception();
                parar = true;
            }
        };
        std::vector<std::unique_ptr<QThread>> hilos;
        for (int k = 1; k < n; ++k) {
            hilos.emplace_back(QThread::create(pintarParte, k));
            hilos.back()->start();
        }
        pintarParte(0);
        for (auto &h : hilos)
            h->wait();
        for (auto &e : errores)
            if (e)
                std::rethrow_exception(e);
        QStringList nombres;
        for (auto &p : partes)
            nombres << p->fileName();
        try {
            UnirPdf(nombres, destino);
        } catch (const ErrorUnionPdf &) {
            return false;
        }
        return true;
    }

    QMap<QString, QString> *PublicVariables = nullptr;
    Acumulado *ambitoAcumulado = nullptr;
};

Reporte::Reporte() : d(std::make_unique<Impl>())
{
    d->PublicVariables = &Variables;
}

Reporte::~Reporte() = default;

void Reporte::setDataSet(ReporteDatos *datos)
{
    d->principal = datos;
    AgregarDatos(datos);
}

void Reporte::AgregarDatos(ReporteDatos *datos)
{
    if (!datos)
        return;
    std::erase_if(d->enlaces, [&](ReporteDatos *e) { return e == datos || e->UserName.compare(datos->UserName, Qt::CaseInsensitive) == 0; });
    d->enlaces.push_back(datos);
    d->preparado = false;
}

void Reporte::LimpiarDatos()
{
    d->enlaces.clear();
    d->principal = nullptr;
    d->preparado = false;
}

void Reporte::LoadFromFile(const QString &archivo)
{
    QString ruta = archivo;
    QFileInfo info(archivo);
    if (info.suffix().compare(QLatin1String("fr3"), Qt::CaseInsensitive) == 0) {
        ruta = archivo.left(archivo.size() - info.suffix().size()) + QStringLiteral("html");
    }
    d->limpiarPreparado();
    d->plantilla.reset();
    d->archivo = ruta;
    Variables.clear();
    d->plantilla = PlantillaReporte::cargar(ruta);
    Titulo.clear();
    QFile html(ruta);
    if (html.open(QIODevice::ReadOnly)) {
        static const QRegularExpression titulo(QStringLiteral("<title>(.*?)</title>"),
                                               QRegularExpression::CaseInsensitiveOption
                                                   | QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = titulo.match(QString::fromUtf8(html.readAll()));
        if (m.hasMatch())
            Titulo = m.captured(1).simplified();
    }
}

QString Reporte::FileName() const { return d->archivo; }

bool Reporte::PrepareReport()
{
    d->preparar();
    return true;
}

int Reporte::PageCount() const { return d->preparado ? d->paginas : 0; }

void Reporte::ShowReport(QWidget *parent)
{
    if (!d->preparado)
        PrepareReport();
    VistaPreviaReporte vista(*this, parent);
    vista.exec();
}

void Reporte::Print(QPrinter *printer)
{
    if (!d->preparado)
        PrepareReport();
    printer->setResolution(qRound(d->dpi));
    printer->setFullPage(true);
    printer->setPageLayout(QPageLayout(d->plantilla->tamano, d->plantilla->orientacion, QMarginsF()));
    QPainter p;
    if (!p.begin(printer))
        throw ErrorReporte(QStringLiteral("No se pudo imprimir el reporte \"%1\"").arg(d->archivo));
    const int desde = printer->fromPage() > 0 ? printer->fromPage() : 1;
    const int hasta = printer->toPage() > 0 ? std::min(printer->toPage(), d->paginas) : d->paginas;
    for (int i = desde - 1; i < hasta; ++i) {
        if (i > desde - 1)
            printer->newPage();
        d->pintorPrincipal().pagina(p, i);
    }
    p.end();
}

void Reporte::ExportToPdf(const QString &archivo)
{
    if (!d->preparado)
        PrepareReport();
    const QString titulo = Titulo.isEmpty() ? QFileInfo(d->archivo).completeBaseName() : Titulo;
    const int hilos = std::min(HilosPdf > 0 ? HilosPdf : std::min(QThread::idealThreadCount(), 2), d->paginas);
    if (hilos > 1 && d->paginas >= PaginasEnHilos && d->exportarEnPartes(archivo, titulo, hilos))
        return;
    // Written beside the target and renamed over it at the end: a failure leaves it as it was.
    QSaveFile salida(archivo);
    if (!salida.open(QIODevice::WriteOnly))
        throw ErrorReporte(QStringLiteral("No se pudo escribir el archivo \"%1\"").arg(archivo));
    d->pintarPdf(d->pintorPrincipal(), salida, 0, d->paginas, titulo, archivo);
    if (!salida.commit())
        throw ErrorReporte(QStringLiteral("No se pudo escribir el archivo \"%1\"").arg(archivo));
}

void Reporte::ExportToXlsx(const QString &archivo)
{
    if (!d->preparado)
        PrepareReport();
    static const QRegularExpression numero(QStringLiteral("^-?(\\d{1,3}(,\\d{3})+|\\d+)(\\.\\d+)?$"));
    TmxNativeExcel libro;
    libro.NewFile();
    libro.SetFileName(archivo);
    libro.AddFont(QStringLiteral("DejaVu Sans"), 9, false);
    libro.SetActiveFont(0);
    int fila = 1;
    int anchos[64] = {};
    auto escribir = [&](int col, const QString &texto) {
        QString t = texto.trimmed();
        if (t.isEmpty() || col > 64)
            return;
        if (numero.match(t).hasMatch()) {
            Currency c;
            if (ParseDecimal(t, c)) {
                libro.WriteNumber(fila, col, c.toDouble());
                anchos[col - 1] = std::max(anchos[col - 1], static_cast<int>(t.size()));
                return;
            }
        }
        libro.WriteLabel(fila, col, t);
        anchos[col - 1] = std::max(anchos[col - 1], static_cast<int>(std::min<qsizetype>(t.size(), 60)));
    };
    auto textoCelda = [](QTextTableCell celda) {
        QTextCursor c = celda.firstCursorPosition();
        c.setPosition(celda.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return c.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char(' '));
    };
    d->spoolBandas->seek(0);
    QDataStream ds(d->spoolBandas.get());
    std::vector<QString> textos;
    while (!ds.atEnd()) {
        qint32 id = -1;
        ds >> id;
        QString html;
        if (id >= 0) {
            quint32 n = 0;
            ds >> n;
            if (id >= static_cast<qint32>(d->porId.size()) || n > static_cast<quint32>(MoldeBanda::kMaxMarcas))
                break;
            textos.assign(n, QString());
            for (auto &t : textos)
                ds >> t;
            html = Impl::renderizarTextos(d->porId[id]->banda, textos);
        } else {
            QByteArray utf8;
            ds >> utf8;
            html = QString::fromUtf8(utf8);
        }
        if (ds.status() != QDataStream::Ok)
            break;
        QTextDocument doc;
        doc.setHtml(envolver(html));
        QTextFrame *raiz = doc.rootFrame();
        for (auto it = raiz->begin(); !it.atEnd(); ++it) {
            if (auto *tabla = qobject_cast<QTextTable *>(it.currentFrame())) {
                for (int r = 0; r < tabla->rows(); ++r) {
                    bool alguno = false;
                    for (int c = 0; c < tabla->columns(); ++c) {
                        QTextTableCell celda = tabla->cellAt(r, c);
                        if (celda.row() != r || celda.column() != c)
                            continue;
                        QString t = textoCelda(celda);
                        alguno = alguno || !t.trimmed().isEmpty();
                        escribir(c + 1, t);
                    }
                    if (alguno)
                        ++fila;
                }
            } else if (it.currentFrame()) {
                continue;
            } else {
                QString t = it.currentBlock().text();
                if (!t.trimmed().isEmpty()) {
                    escribir(1, t);
                    ++fila;
                }
            }
        }
    }
    for (int c = 0; c < 64; ++c)
        if (anchos[c] > 0)
            libro.SetColumnWidth(c + 1, anchos[c] + 2);
    libro.CloseFile();
    if (!libro.SaveToFile())
        throw ErrorReporte(TmxNativeExcel::MensajeErrorGuardar());
}

QString Reporte::QuotedStr(const QString &texto)
{
    QString t = texto;
    t.replace(QLatin1String("'"), QLatin1String("''"));
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}
