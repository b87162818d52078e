#include "platform/workbook/LibroHojas.h"

#include "platform/Formato.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QXmlStreamReader>

#include <freexl.h>
#include <ixion/cell.hpp>
#include <ixion/cell_access.hpp>
#include <ixion/formula.hpp>
#include <ixion/formula_name_resolver.hpp>
#include <ixion/model_context.hpp>
#include <orcus/measurement.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/spreadsheet/styles.hpp>
#include <orcus/zip_archive.hpp>
#include <orcus/zip_archive_stream.hpp>
#include <xlsxwriter.h>

#include <cmath>
#include <map>
#include <tuple>

// --- model ------------------------------------------------------------------

const CeldaLibro *HojaLibro::celda(int fila, int columna) const
{
    auto it = celdas.find({fila, columna});
    return it == celdas.end() ? nullptr : &it->second;
}

CeldaLibro &HojaLibro::celdaParaEscribir(int fila, int columna) { return celdas[{fila, columna}]; }

int HojaLibro::ultimaFila() const { return celdas.empty() ? 0 : celdas.rbegin()->first.first; }

int HojaLibro::ultimaColumna() const
{
    int c = 0;
    for (const auto &[pos, _] : celdas)
        c = std::max(c, pos.second);
    return c;
}

int LibroHojas::indiceHoja(const QString &nombre, Qt::CaseSensitivity cs) const
{
    for (std::size_t i = 0; i < hojas.size(); ++i)
        if (hojas[i].nombre.compare(nombre, cs) == 0)
            return static_cast<int>(i);
    return -1;
}

// --- display ----------------------------------------------------------------

double SerialDeFecha(const QDate &fecha) { return static_cast<double>(QDate(1899, 12, 30).daysTo(fecha)); }

QDate FechaDeSerial(double serial, bool fecha1904)
{
    QDate base = fecha1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    return base.addDays(static_cast<qint64>(std::floor(serial)));
}

namespace {

QString formatoIntegrado(std::size_t id)
{
    switch (id) {
    case 1: return QStringLiteral("0");
    case 2: return QStringLiteral("0.00");
    case 3: return QStringLiteral("#,##0");
    case 4: return QStringLiteral("#,##0.00");
    case 9: return QStringLiteral("0%");
    case 10: return QStringLiteral("0.00%");
    case 14: return QStringLiteral("mm/dd/yyyy");
    case 15: return QStringLiteral("d-mmm-yy");
    case 16: return QStringLiteral("d-mmm");
    case 17: return QStringLiteral("mmm-yy");
    case 20: return QStringLiteral("h:mm");
    case 21: return QStringLiteral("h:mm:ss");
    case 22: return QStringLiteral("m/d/yyyy h:mm");
    case 49: return QStringLiteral("@");
    default: return QString();
    }
}

// First section, without colours, locale tags, quotes and escapes.
QString limpiarFormato(const QString &formato)
{
    QString out;
    bool comillas = false;
    for (int i = 0; i < formato.size(); ++i) {
        QChar c = formato[i];
        if (comillas) {
            if (c == QLatin1Char('"'))
                comillas = false;
            else
                out += c;
            continue;
        }
        if (c == QLatin1Char('"')) {
            comillas = true;
        } else if (c == QLatin1Char(';')) {
            break;
        } else if (c == QLatin1Char('[')) {
            int fin = formato.indexOf(QLatin1Char(']'), i);
            if (fin < 0)
                break;
            i = fin;
        } else if (c == QLatin1Char('\\') && i + 1 < formato.size()) {
            out += formato[++i];
        } else if (c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;  // padding: skip the next character
        } else {
            out += c;
        }
    }
    return out;
}

bool esFormatoFecha(const QString &f)
{
    for (QChar c : f) {
        switch (c.toLower().unicode()) {
        case 'd': case 'm': case 'y': case 'h': case 's': return true;
        default: break;
        }
    }
    return false;
}

QString fechaConFormato(double serial, const QString &formato, bool fecha1904)
{
    QDate fecha = FechaDeSerial(serial, fecha1904);
    double fraccion = serial - std::floor(serial);
    int segundos = static_cast<int>(std::lround(fraccion * 86400.0));
    if (segundos >= 86400) {
        fecha = fecha.addDays(1);
        segundos = 0;
    }
    QTime hora = QTime(0, 0).addSecs(segundos);
    const QString f = formato.toLower();
    bool ampm = f.contains(QLatin1String("am/pm"));
    QString out;
    bool ultimaFueHora = false;
    for (int i = 0; i < f.size();) {
        QChar c = f[i];
        int n = 1;
        while (i + n < f.size() && f[i + n] == c)
            ++n;
        switch (c.unicode()) {
        case 'y': out += n <= 2 ? fecha.toString(QStringLiteral("yy")) : fecha.toString(QStringLiteral("yyyy")); ultimaFueHora = false; break;
        case 'd':
            out += n == 1 ? QString::number(fecha.day()) : n == 2 ? fecha.toString(QStringLiteral("dd")) : n == 3 ? fecha.toString(QStringLiteral("ddd")) : fecha.toString(QStringLiteral("dddd"));
            ultimaFueHora = false;
            break;
        case 'm': {
            bool minutos = ultimaFueHora || f.mid(i + n).trimmed().startsWith(QLatin1Char(':')) ||
                           f.mid(i + n).startsWith(QLatin1String(":s"));
            if (minutos && n <= 2)
                out += n == 1 ? QString::number(hora.minute()) : hora.toString(QStringLiteral("mm"));
            else
                out += n == 1 ? QString::number(fecha.month()) : n == 2 ? fecha.toString(QStringLiteral("MM")) : n == 3 ? fecha.toString(QStringLiteral("MMM")) : fecha.toString(QStringLiteral("MMMM"));
            ultimaFueHora = false;
            break;
        }
        case 'h': {
            int h = hora.hour();
            if (ampm)
                h = h % 12 == 0 ? 12 : h % 12;
            out += n == 1 ? QString::number(h) : QStringLiteral("%1").arg(h, 2, 10, QLatin1Char('0'));
            ultimaFueHora = true;
            break;
        }
        case 's': out += n == 1 ? QString::number(hora.second()) : hora.toString(QStringLiteral("ss")); ultimaFueHora = false; break;
        case 'a':
            if (f.mid(i, 5) == QLatin1String("am/pm")) {
                out += hora.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
                n = 5;
                break;
            }
            [[fallthrough]];
        default:
            out += formato.mid(i, n);
            if (c != QLatin1Char(':'))
                ultimaFueHora = ultimaFueHora && c == QLatin1Char(' ');
        }
        i += n;
    }
    return out;
}

QString numeroGeneral(double v)
{
    if (std::isfinite(v) && std::fabs(v) < 1e15 && v == std::floor(v))
        return QString::number(static_cast<qint64>(v));
    return QString::number(v, 'g', 15);
}

} // namespace

QString TextoVisible(const CeldaLibro &celda, bool fecha1904)
{
    double valor = celda.numero;
    if (!celda.textoMostrado.isNull() && celda.tipo != CeldaLibro::Tipo::Texto)
        return celda.textoMostrado;
    switch (celda.tipo) {
    case CeldaLibro::Tipo::Vacia: return QString();
    case CeldaLibro::Tipo::Texto: return celda.texto;
    case CeldaLibro::Tipo::Booleano: return celda.numero != 0 ? QStringLiteral("VERDADERO") : QStringLiteral("FALSO");
    case CeldaLibro::Tipo::Formula:
        if (!celda.conResultado)
            return QString();
        if (!celda.textoResultado.isNull())
            return celda.textoResultado;
        break;
    case CeldaLibro::Tipo::Numero: break;
    }
    const QString f = limpiarFormato(celda.formato);
    if (f.isEmpty() || f.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 || f == QLatin1String("@"))
        return numeroGeneral(valor);
    if (esFormatoFecha(f))
        return fechaConFormato(valor, f, fecha1904);
    if (f.contains(QLatin1Char('%'))) {
        QString sinPorcentaje = f;
        sinPorcentaje.remove(QLatin1Char('%'));
        return FormatFloat(sinPorcentaje, static_cast<long double>(valor) * 100) + QLatin1Char('%');
    }
    return FormatFloat(f, valor);
}

// --- reading ----------------------------------------------------------------

namespace {

[[noreturn]] void fallarLectura(const QString &archivo, const QString &detalle)
{
    throw ErrorLibro(QStringLiteral("No se pudo leer el libro \"%1\": %2").arg(QDir::toNativeSeparators(archivo), detalle));
}

QString danado() { return QStringLiteral("el archivo está dañado o incompleto."); }

LibroHojas leerXls(const QString &archivo)
{
    const void *h = nullptr;
    QByteArray ruta = QFile::encodeName(archivo);
    int rc = freexl_open(ruta.constData(), &h);
    struct Cierre {
        const void *h;
        ~Cierre()
        {
            if (h)
                freexl_close(h);
        }
    } cierre{h};
    if (rc != FREEXL_OK)
        fallarLectura(archivo, danado());
    unsigned int info = 0;
    if (freexl_get_info(h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        fallarLectura(archivo, QStringLiteral("el libro está protegido con contraseña."));
    unsigned int hojas = 0;
    if (freexl_get_info(h, FREEXL_BIFF_SHEET_COUNT, &hojas) != FREEXL_OK)
        fallarLectura(archivo, danado());
    LibroHojas libro;
    if (freexl_get_info(h, FREEXL_BIFF_DATEMODE, &info) == FREEXL_OK)
        libro.fecha1904 = info == FREEXL_BIFF_DATEMODE_1904;
    for (unsigned int s = 0; s < hojas; ++s) {
        HojaLibro hoja;
        const char *nombre = nullptr;
        if (freexl_get_worksheet_name(h, static_cast<unsigned short>(s), &nombre) != FREEXL_OK ||
            freexl_select_active_worksheet(h, static_cast<unsigned short>(s)) != FREEXL_OK)
            fallarLectura(archivo, danado());
        hoja.nombre = QString::fromUtf8(nombre);
        unsigned int filas = 0;
        unsigned short columnas = 0;
        if (freexl_worksheet_dimensions(h, &filas, &columnas) != FREEXL_OK)
            fallarLectura(archivo, danado());
        for (unsigned int r = 0; r < filas; ++r) {
            for (unsigned short c = 0; c < columnas; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(h, r, c, &v) != FREEXL_OK)
                    fallarLectura(archivo, danado());
                CeldaLibro celda;
                switch (v.type) {
                case FREEXL_CELL_INT: celda.tipo = CeldaLibro::Tipo::Numero; celda.numero = v.value.int_value; break;
                case FREEXL_CELL_DOUBLE: celda.tipo = CeldaLibro::Tipo::Numero; celda.numero = v.value.double_value; break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    celda.tipo = CeldaLibro::Tipo::Texto;
                    celda.texto = QString::fromUtf8(v.value.text_value);
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME: {
                    QString t = QString::fromUtf8(v.value.text_value);
                    celda.tipo = CeldaLibro::Tipo::Numero;
                    if (v.type == FREEXL_CELL_TIME) {
                        celda.numero = QTime(0, 0).secsTo(QTime::fromString(t, QStringLiteral("hh:mm:ss"))) / 86400.0;
                        celda.formato = QStringLiteral("hh:mm:ss");
                    } else {
                        QDateTime dt = QDateTime::fromString(t, v.type == FREEXL_CELL_DATE ? QStringLiteral("yyyy-MM-dd")
                                                                                          : QStringLiteral("yyyy-MM-dd hh:mm:ss"));
                        celda.numero = SerialDeFecha(dt.date()) + QTime(0, 0).secsTo(dt.time()) / 86400.0;
                        celda.formato = v.type == FREEXL_CELL_DATE ? QStringLiteral("mm/dd/yyyy") : QStringLiteral("mm/dd/yyyy hh:mm:ss");
                    }
                    break;
                }
                default: continue;
                }
                hoja.celdas[{static_cast<int>(r) + 1, c + 1}] = celda;
            }
        }
        libro.hojas.push_back(std::move(hoja));
    }
    return libro;
}

QColor colorDe(const orcus::spreadsheet::color_t &c) { return QColor(c.red, c.green, c.blue); }

std::vector<unsigned char> entradaZip(const QByteArray &contenido, const char *nombre)
{
    orcus::zip_archive_stream_blob flujo(reinterpret_cast<const uint8_t *>(contenido.constData()),
                                         static_cast<std::size_t>(contenido.size()));
    orcus::zip_archive zip(&flujo);
    zip.load();
    std::vector<unsigned char> buf;
    if (!zip.read_file_entry(nombre, buf))
        buf.clear();
    return buf;
}

// An .ods cell stores the text it shows beside its value; number formats are
// not read otherwise, so that text is what GetCellText gives back.
void textosMostradosOds(const QByteArray &contenido, LibroHojas &libro)
{
    std::vector<unsigned char> xml = entradaZip(contenido, "content.xml");
    QXmlStreamReader xr(QByteArray(reinterpret_cast<const char *>(xml.data()), static_cast<qsizetype>(xml.size())));
    int hoja = -1, fila = 0, columna = 0, repFila = 1;
    while (!xr.atEnd()) {
        auto t = xr.readNext();
        if (t == QXmlStreamReader::StartElement) {
            const auto n = xr.name();
            const auto a = xr.attributes();
            if (n == QLatin1String("table") && xr.prefix() == QLatin1String("table")) {
                ++hoja;
                fila = 0;
            } else if (n == QLatin1String("table-row")) {
                repFila = std::max(1, a.value(QLatin1String("table:number-rows-repeated")).toInt());
                ++fila;
                columna = 0;
            } else if (n == QLatin1String("table-cell") || n == QLatin1String("covered-table-cell")) {
                int rep = std::max(1, a.value(QLatin1String("table:number-columns-repeated")).toInt());
                const QString tipo = a.value(QLatin1String("office:value-type")).toString();
                ++columna;
                if (!tipo.isEmpty() && tipo != QLatin1String("string") && hoja >= 0 &&
                    hoja < static_cast<int>(libro.hojas.size())) {
                    QString texto;
                    while (!(xr.isEndElement() && xr.name() == n) && !xr.atEnd()) {
                        xr.readNext();
                        if (xr.isStartElement() && xr.name() == QLatin1String("p"))
                            texto += (texto.isEmpty() ? QString() : QStringLiteral("\n")) + xr.readElementText(QXmlStreamReader::IncludeChildElements);
                    }
                    for (int k = 0; k < rep; ++k)
                        if (auto it = libro.hojas[hoja].celdas.find({fila, columna + k}); it != libro.hojas[hoja].celdas.end())
                            it->second.textoMostrado = texto;
                }
                columna += rep - 1;
            }
        } else if (t == QXmlStreamReader::EndElement && xr.name() == QLatin1String("table-row")) {
            fila += repFila - 1;
        }
    }
}

struct TextoEnLinea {
    int fila, columna;
    QString texto;
    std::size_t estilo;
};

// Text cells stored inside the sheet (t="inlineStr", as writers that stream
// their rows store them), which orcus skips; by sheet, in workbook order.
std::vector<std::vector<TextoEnLinea>> textosEnLineaXlsx(const QByteArray &contenido)
{
    auto leer = [&](const QString &nombre) {
        std::vector<unsigned char> b = entradaZip(contenido, nombre.toUtf8().constData());
        return QByteArray(reinterpret_cast<const char *>(b.data()), static_cast<qsizetype>(b.size()));
    };
    const QByteArray libroXml = leer(QStringLiteral("xl/workbook.xml"));
    std::map<QString, QString> destinos;
    QXmlStreamReader rels(leer(QStringLiteral("xl/_rels/workbook.xml.rels")));
    while (!rels.atEnd())
        if (rels.readNext() == QXmlStreamReader::StartElement && rels.name() == QLatin1String("Relationship"))
            destinos[rels.attributes().value(QLatin1String("Id")).toString()] =
                rels.attributes().value(QLatin1String("Target")).toString();
    std::vector<std::vector<TextoEnLinea>> hojas;
    QXmlStreamReader xl(libroXml);
    while (!xl.atEnd()) {
        if (xl.readNext() != QXmlStreamReader::StartElement || xl.name() != QLatin1String("sheet"))
            continue;
        QString id;
        for (const auto &a : xl.attributes())
            if (a.name() == QLatin1String("id"))
                id = a.value().toString();
        QString destino = destinos[id];
        destino = destino.startsWith(QLatin1Char('/')) ? destino.mid(1) : QStringLiteral("xl/") + destino;
        std::vector<TextoEnLinea> textos;
        const QByteArray hojaXml = leer(destino);
        if (hojaXml.contains("inlineStr")) {
            QXmlStreamReader xr(hojaXml);
            while (!xr.atEnd()) {
                if (xr.readNext() != QXmlStreamReader::StartElement || xr.name() != QLatin1String("c")
                    || xr.attributes().value(QLatin1String("t")) != QLatin1String("inlineStr"))
                    continue;
                const QString ref = xr.attributes().value(QLatin1String("r")).toString();
                const std::size_t estilo = xr.attributes().value(QLatin1String("s")).toULongLong();
                int columna = 0, fila = 0, k = 0;
                for (; k < ref.size() && ref[k].isLetter(); ++k)
                    columna = columna * 26 + (ref[k].toUpper().unicode() - 'A' + 1);
                fila = ref.mid(k).toInt();
                QString texto;
                while (!xr.atEnd() && !(xr.isEndElement() && xr.name() == QLatin1String("c"))) {
                    xr.readNext();
                    if (xr.isStartElement() && xr.name() == QLatin1String("t"))
                        texto += xr.readElementText();
                }
                if (fila > 0 && columna > 0)
                    textos.push_back({fila, columna, texto, estilo});
            }
        }
        hojas.push_back(std::move(textos));
    }
    return hojas;
}

LibroHojas leerOrcus(const QString &archivo, const QByteArray &contenido, orcus::format_t formato)
{
    namespace ss = orcus::spreadsheet;
    ss::range_size_t tam{1048576, 16384};
    ss::document doc{tam};
    ss::import_factory fabrica{doc};
    std::string_view flujo(contenido.constData(), static_cast<std::size_t>(contenido.size()));
    if (formato == orcus::format_t::xlsx) {
        orcus::orcus_xlsx lector(&fabrica);
        lector.read_stream(flujo);
    } else {
        orcus::orcus_ods lector(&fabrica);
        lector.read_stream(flujo);
    }
    LibroHojas libro;
    const ss::styles &estilos = doc.get_styles();
    const ixion::model_context &cxt = doc.get_model_context();
    auto resolutor = ixion::formula_name_resolver::get(ixion::formula_name_resolver_t::excel_a1, &cxt);
    std::map<std::size_t, QString> formatosNumericos;
    for (std::size_t i = 0; i < estilos.get_number_format_count(); ++i)
        if (const ss::number_format_t *nf = estilos.get_number_format(i); nf && !nf->format_string.empty())
            formatosNumericos[nf->identifier] =
                QString::fromUtf8(nf->format_string.data(), static_cast<qsizetype>(nf->format_string.size()));
    auto aplicarFormato = [&](CeldaLibro &celda, std::size_t xf) {
        if (const ss::cell_format_t *cf = estilos.get_cell_format(xf)) {
            if (const ss::font_t *f = estilos.get_font(cf->font)) {
                celda.fuente = QString::fromUtf8(f->name.data(), static_cast<qsizetype>(f->name.size()));
                celda.tamano = f->size;
                celda.negrita = f->bold;
                celda.cursiva = f->italic;
            }
            if (const ss::border_t *b = estilos.get_border(cf->border)) {
                auto activo = [](const ss::border_attrs_t &a) {
                    return a.style != ss::border_style_t::unknown && a.style != ss::border_style_t::none;
                };
                celda.bordes = (activo(b->top) ? BordeArriba : 0) | (activo(b->bottom) ? BordeAbajo : 0) |
                               (activo(b->left) ? BordeIzquierda : 0) | (activo(b->right) ? BordeDerecha : 0);
            }
            if (const ss::fill_t *fill = estilos.get_fill(cf->fill))
                if (fill->pattern_type == ss::fill_pattern_t::solid)
                    celda.fondo = colorDe(fill->fg_color);
            if (formato == orcus::format_t::xlsx) {
                // The cell format holds the file's format id, not a position.
                auto nf = formatosNumericos.find(cf->number_format);
                celda.formato = nf != formatosNumericos.end() ? nf->second : formatoIntegrado(cf->number_format);
            } else if (const ss::number_format_t *nf = estilos.get_number_format(cf->number_format)) {
                celda.formato = QString::fromUtf8(nf->format_string.data(), static_cast<qsizetype>(nf->format_string.size()));
            }
        }
    };
    std::vector<std::vector<TextoEnLinea>> enLinea;
    if (formato == orcus::format_t::xlsx)
        enLinea = textosEnLineaXlsx(contenido);
    for (std::size_t s = 0; s < doc.get_sheet_count(); ++s) {
        const ss::sheet *sh = doc.get_sheet(static_cast<ss::sheet_t>(s));
        HojaLibro hoja;
        hoja.nombre = QString::fromUtf8(doc.get_sheet_name(static_cast<ss::sheet_t>(s)).data(),
                                        static_cast<qsizetype>(doc.get_sheet_name(static_cast<ss::sheet_t>(s)).size()));
        ixion::abs_range_t rango = sh->get_data_range();
        if (rango.valid()) {
            for (ixion::row_t r = 0; r <= rango.last.row; ++r) {
                for (ixion::col_t c = 0; c <= rango.last.column; ++c) {
                    ixion::abs_address_t dir(static_cast<ixion::sheet_t>(s), r, c);
                    ixion::cell_access acceso = cxt.get_cell_access(dir);
                    CeldaLibro celda;
                    switch (acceso.get_type()) {
                    case ixion::celltype_t::empty: continue;
                    case ixion::celltype_t::string: {
                        auto sv = acceso.get_string_value();
                        celda.tipo = CeldaLibro::Tipo::Texto;
                        celda.texto = QString::fromUtf8(sv.data(), static_cast<qsizetype>(sv.size()));
                        break;
                    }
                    case ixion::celltype_t::numeric:
                        celda.tipo = CeldaLibro::Tipo::Numero;
                        celda.numero = acceso.get_numeric_value();
                        break;
                    case ixion::celltype_t::boolean:
                        celda.tipo = CeldaLibro::Tipo::Booleano;
                        celda.numero = acceso.get_boolean_value() ? 1 : 0;
                        break;
                    case ixion::celltype_t::formula: {
                        celda.tipo = CeldaLibro::Tipo::Formula;
                        const ixion::formula_cell *fc = cxt.get_formula_cell(dir);
                        if (fc && resolutor) {
                            std::string texto = ixion::print_formula_tokens(cxt, dir, *resolutor, fc->get_tokens()->get());
                            celda.texto = QLatin1Char('=') + QString::fromStdString(texto);
                        }
                        try {
                            switch (acceso.get_value_type()) {
                            case ixion::cell_value_t::numeric:
                                celda.numero = acceso.get_numeric_value();
                                celda.conResultado = true;
                                break;
                            case ixion::cell_value_t::string: {
                                auto sv = acceso.get_string_value();
                                celda.textoResultado = QString::fromUtf8(sv.data(), static_cast<qsizetype>(sv.size()));
                                celda.conResultado = true;
                                break;
                            }
                            default: break;
                            }
                        } catch (const std::exception &) {
                            // no cached result
                        }
                        break;
                    }
                    default: continue;
                    }
                    aplicarFormato(celda, sh->get_cell_format(r, c));
                    hoja.celdas[{static_cast<int>(r) + 1, static_cast<int>(c) + 1}] = celda;
                }
            }
        }
        if (s < enLinea.size())
            for (const TextoEnLinea &t : enLinea[s]) {
                CeldaLibro &celda = hoja.celdas[{t.fila, t.columna}];
                celda = CeldaLibro();
                celda.tipo = CeldaLibro::Tipo::Texto;
                celda.texto = t.texto;
                aplicarFormato(celda, t.estilo);
            }
        const ss::col_width_t predeterminado = ss::get_default_column_width();
        for (ss::col_t c = 0; c <= std::max<ss::col_t>(rango.valid() ? rango.last.column : 0, 63);) {
            ss::col_t ini = c, fin = c;
            ss::col_width_t w = sh->get_col_width(c, &ini, &fin);
            if (w != predeterminado) {
                // Stored widths carry 5 px of cell padding over 7 px digits;
                // what the spreadsheet shows is the width without it.
                static const double twipsPorDigito =
                    orcus::convert(100.0, orcus::length_unit_t::xlsx_column_digit, orcus::length_unit_t::twip) / 100.0;
                double guardado = w / twipsPorDigito;
                double caracteres = std::max(0.0, std::round((guardado - 5.0 / 7.0) * 10.0) / 10.0);
                for (ss::col_t k = std::max(ini, c); k < fin && k <= 255; ++k)
                    hoja.anchos[k + 1] = caracteres;
            }
            c = std::max<ss::col_t>(fin, c + 1);  // the range end is exclusive
        }
        libro.hojas.push_back(std::move(hoja));
    }
    return libro;
}

} // namespace

LibroHojas LeerLibro(const QString &archivo)
{
    QFileInfo info(archivo);
    if (!info.isFile())
        throw ErrorLibro(QStringLiteral("No se encontró el archivo \"%1\"").arg(QDir::toNativeSeparators(archivo)));
    QFile f(archivo);
    if (!f.open(QIODevice::ReadOnly))
        fallarLectura(archivo, QStringLiteral("no se pudo abrir el archivo."));
    QByteArray contenido = f.readAll();
    f.close();
    if (contenido.isEmpty())
        fallarLectura(archivo, QStringLiteral("el archivo está vacío."));

    static const QByteArray ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    static const QByteArray zip("PK\x03\x04", 4);
    if (contenido.startsWith(ole)) {
        // Encrypted .xlsx/.ods travel inside an OLE container too.
        if (contenido.contains(QByteArray("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e", 32)))
            fallarLectura(archivo, QStringLiteral("el libro está protegido con contraseña."));
        return leerXls(archivo);
    }
    if (!contenido.startsWith(zip))
        fallarLectura(archivo, QStringLiteral("no es un libro de Excel ni de OpenOffice."));
    // Entry names of a zip are stored in clear in its headers.
    orcus::format_t formato = orcus::format_t::unknown;
    if (contenido.contains("xl/workbook.xml") || contenido.contains("[Content_Types].xml"))
        formato = orcus::format_t::xlsx;
    else if (contenido.contains("application/vnd.oasis.opendocument.spreadsheet"))
        formato = orcus::format_t::ods;
    if (formato == orcus::format_t::unknown)
        fallarLectura(archivo, QStringLiteral("no es un libro de Excel ni de OpenOffice."));
    try {
        if (formato == orcus::format_t::ods) {
            std::vector<unsigned char> manifiesto = entradaZip(contenido, "META-INF/manifest.xml");
            if (QByteArray::fromRawData(reinterpret_cast<const char *>(manifiesto.data()), static_cast<qsizetype>(manifiesto.size()))
                    .contains("encryption-data"))
                fallarLectura(archivo, QStringLiteral("el libro está protegido con contraseña."));
            LibroHojas libro = leerOrcus(archivo, contenido, formato);
            textosMostradosOds(contenido, libro);
            return libro;
        }
        return leerOrcus(archivo, contenido, formato);
    } catch (const ErrorLibro &) {
        throw;
    } catch (const std::exception &) {
        fallarLectura(archivo, danado());
    }
}

// --- writing ----------------------------------------------------------------

namespace {

using ClaveFormato = std::tuple<QString, double, bool, bool, int, QRgb, bool, QString>;

} // namespace

struct EscritorXlsx::Impl {
    QString archivo;
    QString temporal;
    QString error;
    QByteArray carpeta;  // where the rows of a sheet wait
    lxw_workbook *wb = nullptr;
    lxw_worksheet *ws = nullptr;
    bool constante = false;
    int hojas = 0;
    int ultimaFila = 0;
    std::map<ClaveFormato, lxw_format *> formatos;

    [[noreturn]] void fallar()
    {
        descartar();
        throw ErrorLibro(error);
    }

    void descartar()
    {
        if (wb)
            lxw_workbook_free(wb);
        wb = nullptr;
        ws = nullptr;
        if (!temporal.isEmpty())
            QFile::remove(temporal);
        temporal.clear();
    }

    lxw_format *formatoDe(const CeldaLibro &c)
    {
        ClaveFormato clave{c.fuente, c.tamano, c.negrita, c.cursiva, c.bordes, c.fondo.isValid() ? c.fondo.rgb() : 0,
                           c.fondo.isValid(), c.formato};
        auto it = formatos.find(clave);
        if (it != formatos.end())
            return it->second;
        lxw_format *f = workbook_add_format(wb);
        if (!c.fuente.isEmpty())
            format_set_font_name(f, c.fuente.toUtf8().constData());
        if (c.tamano > 0)
            format_set_font_size(f, c.tamano);
        if (c.negrita)
            format_set_bold(f);
        if (c.cursiva)
            format_set_italic(f);
        if (c.bordes & BordeArriba)
            format_set_top(f, LXW_BORDER_THIN);
        if (c.bordes & BordeAbajo)
            format_set_bottom(f, LXW_BORDER_THIN);
        if (c.bordes & BordeIzquierda)
            format_set_left(f, LXW_BORDER_THIN);
        if (c.bordes & BordeDerecha)
            format_set_right(f, LXW_BORDER_THIN);
        if (c.fondo.isValid()) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, static_cast<lxw_color_t>(c.fondo.rgb() & 0xFFFFFF));
        }
        if (!c.formato.isEmpty())
            format_set_num_format(f, c.formato.toUtf8().constData());
        formatos.emplace(clave, f);
        return f;
    }
};

EscritorXlsx::EscritorXlsx(const QString &archivo, bool constanteMemoria) : d(std::make_unique<Impl>())
{
    d->archivo = archivo;
    d->constante = constanteMemoria;
    d->error = QStringLiteral("No se pudo guardar el libro \"%1\"").arg(QDir::toNativeSeparators(archivo));
    QFileInfo destino(archivo);
    {
        QTemporaryFile t(destino.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(destino.fileName())));
        t.setAutoRemove(false);
        if (!t.open())
            throw ErrorLibro(d->error);
        d->temporal = t.fileName();
    }
    QByteArray ruta = QFile::encodeName(d->temporal);
    lxw_workbook_options opciones{};
    opciones.constant_memory = constanteMemoria ? LXW_TRUE : LXW_FALSE;
    // The rows of a sheet wait beside the destination, not in a possibly small /tmp.
    d->carpeta = QFile::encodeName(destino.absolutePath());
    opciones.tmpdir = constanteMemoria ? d->carpeta.data() : nullptr;
    d->wb = workbook_new_opt(ruta.constData(), &opciones);
    if (!d->wb)
        d->fallar();
}

EscritorXlsx::~EscritorXlsx() { d->descartar(); }

void EscritorXlsx::NuevaHoja(const QString &nombre)
{
    if (!d->wb)
        d->fallar();
    ++d->hojas;
    d->ultimaFila = 0;
    const QString porOmision = QStringLiteral("Hoja%1").arg(d->hojas);
    d->ws = workbook_add_worksheet(d->wb, (nombre.isEmpty() ? porOmision : nombre).toUtf8().constData());
    if (!d->ws)
        d->ws = workbook_add_worksheet(d->wb, porOmision.toUtf8().constData());
    if (!d->ws)
        d->fallar();
}

void EscritorXlsx::Escribir(int fila, int columna, const CeldaLibro &c)
{
    if (!d->ws)
        d->fallar();
    // Rows already on disk cannot be written again.
    if (d->constante && fila < d->ultimaFila)
        d->fallar();
    d->ultimaFila = fila;
    lxw_row_t r = static_cast<lxw_row_t>(fila - 1);
    lxw_col_t k = static_cast<lxw_col_t>(columna - 1);
    lxw_format *f = d->formatoDe(c);
    lxw_error e = LXW_NO_ERROR;
    switch (c.tipo) {
    case CeldaLibro::Tipo::Vacia: e = worksheet_write_blank(d->ws, r, k, f); break;
    case CeldaLibro::Tipo::Texto: e = worksheet_write_string(d->ws, r, k, c.texto.toUtf8().constData(), f); break;
    case CeldaLibro::Tipo::Numero: e = worksheet_write_number(d->ws, r, k, c.numero, f); break;
    case CeldaLibro::Tipo::Booleano: e = worksheet_write_boolean(d->ws, r, k, c.numero != 0, f); break;
    case CeldaLibro::Tipo::Formula:
        if (c.conResultado && !c.textoResultado.isNull()) {
            e = worksheet_write_formula_str(d->ws, r, k, c.texto.toUtf8().constData(), f,
                                            c.textoResultado.toUtf8().constData());
        } else {
            e = worksheet_write_formula_num(d->ws, r, k, c.texto.toUtf8().constData(), f, c.numero);
        }
        break;
    }
    if (e != LXW_NO_ERROR)
        d->fallar();
}

void EscritorXlsx::Anchos(const std::map<int, double> &anchos)
{
    if (!d->ws)
        d->fallar();
    for (const auto &[col, ancho] : anchos)
        worksheet_set_column(d->ws, static_cast<lxw_col_t>(col - 1), static_cast<lxw_col_t>(col - 1), ancho, nullptr);
}

void EscritorXlsx::Proteger()
{
    if (!d->ws)
        d->fallar();
    worksheet_protect(d->ws, nullptr, nullptr);
}

void EscritorXlsx::Guardar()
{
    if (!d->wb)
        d->fallar();
    if (d->hojas == 0)
        workbook_add_worksheet(d->wb, nullptr);
    lxw_error cierre = workbook_close(d->wb);
    d->wb = nullptr;
    d->ws = nullptr;
    if (cierre != LXW_NO_ERROR)
        d->fallar();
    const QString &archivo = d->archivo;
    if (QFileInfo::exists(archivo) && !QFile::remove(archivo))
        d->fallar();
    if (!QFile::rename(d->temporal, archivo))
        d->fallar();
    d->temporal.clear();
    QFile::setPermissions(archivo, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                       QFileDevice::ReadOther);
}

void GuardarLibroXlsx(const LibroHojas &libro, const QString &archivo)
{
    EscritorXlsx escritor(archivo, false);
    for (const HojaLibro &hoja : libro.hojas) {
        escritor.NuevaHoja(hoja.nombre);
        escritor.Anchos(hoja.anchos);
        for (const auto &[pos, c] : hoja.celdas)
            escritor.Escribir(pos.first, pos.second, c);
        if (hoja.protegida)
            escritor.Proteger();
    }
    escritor.Guardar();
}
