#pragma once
// A band laid out once. Bands whose instances differ only in the text of
// single-line cells of fixed-width tables are laid out with QTextDocument a
// single time, with a marker character in place of each value. Single-line
// texts, fixed or holding values, are painted at the positions found there;
// what is left (rules, backgrounds, borders, fixed text of other shapes) is
// painted from its own layout, or skipped when it shows nothing. An instance
// whose text would lay out differently (wraps, whitespace HTML would collapse,
// a character the font lacks) is refused, and the caller lays it out as a
// whole document as before.

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

class QPaintDevice;
class QPainter;
class QTextDocument;

class MoldeBanda {
public:
    static constexpr int kMaxMarcas = 6400;
    // Character standing for value k in the band's HTML.
    static QChar Marca(int k) { return QChar(0xE000 + k); }

    // `doc` is the band laid out with Marca(k) as the value of every key k.
    // Null when the band does not have the shape described above.
    static std::unique_ptr<MoldeBanda> Crear(const QTextDocument &doc);

    double Alto() const { return alto_; }

    // One painted line of an instance.
    struct Texto {
        QString texto;
        double x = 0;
    };
    // The lines of the instance whose values are `valores` (indexed by key);
    // false when that instance must be laid out as a document.
    bool Componer(const std::vector<QString> &valores, std::vector<Texto> &salida);
    // Paints an instance at the origin.
    void Pintar(QPainter &p, const std::vector<Texto> &textos) const;
    // Whether anything but the single-line texts is painted.
    bool TieneFondo() const { return conFondo_; }

private:
    struct Pieza {
        QString literal;
        int marca = -1;
    };
    // A text shaped once per font and device resolution, painted again from its glyphs.
    struct Trazado {
        QList<QGlyphRun> glifos;
        double ascenso = 0;
    };
    struct Trazados {
        int dpi = 0;
        QHash<QString, Trazado> porTexto;
    };

    struct Linea {
        std::vector<Pieza> piezas;
        QFont fuente;
        QColor color;
        Qt::Alignment alineacion = Qt::AlignLeft;
        double x = 0, ancho = 0, base = 0;
        std::shared_ptr<QFontMetricsF> metricas;
        std::shared_ptr<QHash<QString, double>> anchos;
        std::shared_ptr<Trazados> trazados;
        bool fija = false;  // no values: `texto` is painted as it stands
        Texto texto;
    };

    double medir(Linea &l, const QString &texto) const;
    double xDe(const Linea &l, double avance) const;
    static const Trazado &trazar(const Linea &l, const QString &texto, QPaintDevice *dispositivo);

    std::vector<Linea> lineas_;
    std::unique_ptr<QTextDocument> fondo_;  // the band without its single-line texts

    bool conFondo_ = false;
    double alto_ = 0;
};
