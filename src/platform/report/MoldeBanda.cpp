#include "platform/report/MoldeBanda.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxAnchosGuardados = 8192;

bool esMarca(QChar c) { return c.unicode() >= 0xE000 && c.unicode() < 0xE000 + MoldeBanda::kMaxMarcas; }

bool sinFondo(const QTextFormat &f) { return f.background().style() == Qt::NoBrush; }

// A text's own background that changes nothing: none, or the solid colour its table cell
// already paints beneath it.
bool fondoCubierto(const QTextBlock &b, const QTextCharFormat &f)
{
    if (sinFondo(f))
        return true;
    const QBrush fondo = f.background();
    if (fondo.style() != Qt::SolidPattern || fondo.color().alpha() != 255)
        return false;
    auto *tabla = qobject_cast<QTextTable *>(QTextCursor(b).currentFrame());
    if (!tabla)
        return false;
    const QTextTableCell celda = tabla->cellAt(b.position());
    return celda.isValid() && celda.format().background() == fondo;
}

// Only tables whose every column has a set width: their cells do not size to their text.
bool marcoAdmitido(QTextFrame *marco)
{
    for (QTextFrame *hijo : marco->childFrames()) {
        auto *tabla = qobject_cast<QTextTable *>(hijo);
        if (!tabla)
            return false;
        const auto anchos = tabla->format().columnWidthConstraints();
        if (anchos.size() != tabla->columns())
            return false;
        for (const QTextLength &a : anchos)
            if (a.type() == QTextLength::VariableLength)
                return false;
        if (!marcoAdmitido(tabla))
            return false;
    }
    return true;
}

bool textoAdmitido(const QString &t)
{
    if (t.isEmpty())
        return true;
    if (t.front() == QLatin1Char(' ') || t.back() == QLatin1Char(' ') || t.contains(QLatin1String("  ")))
        return false;
    for (QChar c : t) {
        const ushort u = c.unicode();
        if (u < 0x20 || (u != 0x20 && c.isSpace()) || c.isSurrogate() || (u >= 0xE000 && u < 0xF900) || u == 0xFFFC)
            return false;
    }
    return !t.isRightToLeft();
}

// Whether a document shows anything: text, rules, list marks, images, backgrounds or borders.
bool muestraAlgo(QTextFrame *marco)
{
    const QTextFrameFormat ff = marco->frameFormat();
    if (ff.background().style() != Qt::NoBrush || (ff.border() > 0 && ff.borderStyle() != QTextFrameFormat::BorderStyle_None))
        return true;
    if (auto *tabla = qobject_cast<QTextTable *>(marco)) {
        for (int r = 0; r < tabla->rows(); ++r)
            for (int c = 0; c < tabla->columns(); ++c) {
                const QTextTableCellFormat fc = tabla->cellAt(r, c).format().toTableCellFormat();
                if (fc.background().style() != Qt::NoBrush || fc.topBorder() > 0 || fc.bottomBorder() > 0
                    || fc.leftBorder() > 0 || fc.rightBorder() > 0)
                    return true;
            }
    }
    for (auto it = marco->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *hijo = it.currentFrame()) {
            if (muestraAlgo(hijo))
                return true;
            continue;
        }
        const QTextBlock b = it.currentBlock();
        const QTextBlockFormat fb = b.blockFormat();
        if (!b.text().isEmpty() || b.textList() || fb.background().style() != Qt::NoBrush
            || fb.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth))
            return true;
        for (auto f = b.begin(); !f.atEnd(); ++f)
            if (f.fragment().charFormat().background().style() != Qt::NoBrush)
                return true;
    }
    return false;
}

} // namespace

std::unique_ptr<MoldeBanda> MoldeBanda::Crear(const QTextDocument &doc)
{
    if (!marcoAdmitido(doc.rootFrame()))
        return nullptr;
    QAbstractTextDocumentLayout *disposicion = doc.documentLayout();
    auto molde = std::unique_ptr<MoldeBanda>(new MoldeBanda);
    molde->alto_ = doc.size().height();
    struct PorFuente {
        std::shared_ptr<QFontMetricsF> metricas;
        std::shared_ptr<QHash<QString, double>> anchos;
        std::shared_ptr<Trazados> trazados;
    };
    QHash<QString, PorFuente> porFuente;
    std::vector<int> quitados;  // blocks painted line by line
    // Single-line blocks, with values or fixed, are painted per instance over the
    // rest. A fixed text of another shape stays in the rest; a
    // value in such a block refuses the band.
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QString texto = b.text();
        if (texto.isEmpty())
            continue;
        const bool conValores = std::any_of(texto.cbegin(), texto.cend(), esMarca);
        const QTextBlockFormat fb = b.blockFormat();
        const QTextLayout *capa = b.layout();
        // One character format for the whole block.
        QTextCharFormat fc;
        bool uniforme = true, primero = true;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            if (primero)
                fc = f;
            else if (f != fc)
                uniforme = false;
            primero = false;
        }
        const bool simple = capa && capa->lineCount() == 1 && uniforme && fondoCubierto(b, fc) && !fc.isImageFormat()
                            && fc.verticalAlignment() == QTextCharFormat::AlignNormal && !b.textList()
                            && !texto.front().isSpace() && !texto.back().isSpace() && !texto.contains(QLatin1Char('\t'))
                            && (fb.alignment() & Qt::AlignJustify) != Qt::AlignJustify;
        if (!simple) {
            if (conValores)
                return nullptr;
            continue;
        }

        Linea l;
        QString literal;
        for (QChar c : texto) {
            if (esMarca(c)) {
                if (!literal.isEmpty())
                    l.piezas.push_back({literal, -1});
                literal.clear();
                l.piezas.push_back({QString(), c.unicode() - 0xE000});
            } else {
                literal += c;
            }
        }
        if (!literal.isEmpty())
            l.piezas.push_back({literal, -1});

        l.fuente = fc.font().resolve(doc.defaultFont());
        // The document paints in the default palette's text colour unless told otherwise.
        l.color = fc.foreground().style() != Qt::NoBrush ? fc.foreground().color()
                                                         : QAbstractTextDocumentLayout::PaintContext().palette.color(QPalette::Text);
        const Qt::Alignment h = fb.alignment() & Qt::AlignHorizontal_Mask;
        if (h & (Qt::AlignRight | Qt::AlignTrailing))
            l.alineacion = Qt::AlignRight;
        else if (h & Qt::AlignHCenter)
            l.alineacion = Qt::AlignHCenter;
        else
            l.alineacion = Qt::AlignLeft;

        const QTextLine linea = capa->lineAt(0);
        const QPointF origen = disposicion->blockBoundingRect(b).topLeft() - capa->boundingRect().topLeft();
        l.x = origen.x() + linea.x();
        l.ancho = linea.width();
        l.base = origen.y() + linea.y() + linea.ascent();

        auto &m = porFuente[l.fuente.key()];
        if (!m.metricas) {
            m.metricas = std::make_shared<QFontMetricsF>(l.fuente);
            m.anchos = std::make_shared<QHash<QString, double>>();
            m.trazados = std::make_shared<Trazados>();
            // Printable ASCII is taken to be in the font without asking per character.
            for (char32_t c = 0x21; c < 0x7F; ++c)
                if (!m.metricas->inFontUcs4(c))
                    return nullptr;
        }
        l.metricas = m.metricas;
        l.anchos = m.anchos;
        l.trazados = m.trazados;
        if (!conValores) {
            bool enFuente = !texto.isRightToLeft();
            for (QChar c : texto)
                enFuente = enFuente && !c.isSurrogate() && (c.unicode() < 0x7F || l.metricas->inFont(c));
            if (!enFuente)
                continue;
            l.fija = true;
            l.texto = {texto, molde->xDe(l, molde->medir(l, texto))};
        }
        quitados.push_back(b.blockNumber());
        molde->lineas_.push_back(std::move(l));
    }

    // The rest: the band without the blocks painted line by line, at the same height.
    // Fixed texts go back to it when taking them out changes the height.
    std::unique_ptr<QTextDocument> resto;
    for (bool conFijas : {true, false}) {
        resto.reset(doc.clone());
        resto->setDocumentMargin(doc.documentMargin());
        for (std::size_t i = 0; i < quitados.size(); ++i) {
            if (!conFijas && molde->lineas_[i].fija)
                continue;
            const QTextBlock b = resto->findBlockByNumber(quitados[i]);
            QTextCursor c(b);
            c.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
            c.removeSelectedText();
        }
        resto->setTextWidth(doc.textWidth());
        if (std::abs(doc.size().height() - resto->size().height()) <= 0.01) {
            if (!conFijas)
                std::erase_if(molde->lineas_, [](const Linea &l) { return l.fija; });
            break;
        }
        if (!conFijas)
            return nullptr;
    }
    molde->conFondo_ = muestraAlgo(resto->rootFrame());
    if (molde->conFondo_)
        molde->fondo_ = std::move(resto);
    return molde;
}

double MoldeBanda::medir(Linea &l, const QString &texto) const
{
    auto it = l.anchos->constFind(texto);
    if (it != l.anchos->cend())
        return it.value();
    if (l.anchos->size() >= kMaxAnchosGuardados)
        l.anchos->clear();
    const double a = l.metricas->horizontalAdvance(texto);
    l.anchos->insert(texto, a);
    return a;
}

double MoldeBanda::xDe(const Linea &l, double avance) const
{
    switch (l.alineacion) {
    case Qt::AlignRight: return l.x + l.ancho - avance;
    case Qt::AlignHCenter: return l.x + (l.ancho - avance) / 2;
    default: return l.x;
    }
}

const MoldeBanda::Trazado &MoldeBanda::trazar(const Linea &l, const QString &texto, QPaintDevice *dispositivo)
{
    Trazados &c = *l.trazados;
    const int dpi = dispositivo ? dispositivo->logicalDpiY() : 0;
    if (c.dpi != dpi || c.porTexto.size() >= kMaxAnchosGuardados) {
        c.porTexto.clear();
        c.dpi = dpi;
    }
    auto it = c.porTexto.find(texto);
    if (it != c.porTexto.end())
        return it.value();
    // Shaped as QPainter::drawText would: one line, no wrapping.
    QTextLayout capa(texto, l.fuente, dispositivo);
    capa.beginLayout();
    QTextLine linea = capa.createLine();
    linea.setLineWidth(1e9);
    capa.endLayout();
    Trazado t;
    t.glifos = capa.glyphRuns();
    t.ascenso = linea.ascent();
    return c.porTexto.insert(texto, std::move(t)).value();
}

bool MoldeBanda::Componer(const std::vector<QString> &valores, std::vector<Texto> &salida)
{
    salida.clear();
    salida.reserve(lineas_.size());
    for (Linea &l : lineas_) {
        if (l.fija) {
            salida.push_back(l.texto);
            continue;
        }
        QString t;
        for (const Pieza &p : l.piezas) {
            if (p.marca < 0) {
                t += p.literal;
                continue;
            }
            if (p.marca >= static_cast<int>(valores.size()))
                return false;
            t += valores[p.marca];
        }
        if (!textoAdmitido(t))
            return false;
        for (QChar c : t)
            if (c.unicode() >= 0x7F && !l.metricas->inFont(c))
                return false;
        const double avance = t.isEmpty() ? 0 : medir(l, t);
        if (avance > l.ancho - 0.01)
            return false;
        salida.push_back({t, xDe(l, avance)});
    }
    return true;
}

void MoldeBanda::Pintar(QPainter &p, const std::vector<Texto> &textos) const
{
    p.save();
    if (conFondo_)
        fondo_->drawContents(&p);
    for (std::size_t i = 0; i < textos.size() && i < lineas_.size(); ++i) {
        if (textos[i].texto.isEmpty())
            continue;
        const Linea &l = lineas_[i];
        const Trazado &t = trazar(l, textos[i].texto, p.device());
        p.setPen(l.color);
        for (const QGlyphRun &g : t.glifos)
            p.drawGlyphRun(QPointF(textos[i].x, l.base - t.ascenso), g);
    }
    p.restore();
}
