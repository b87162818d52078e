#pragma once
// A band laid out once. Bands whose instances differ only in the text of
// single-line cells of fixed-width tables are laid out with QTextDocument a
// single time, with a marker character in place of each value; an instance is
// the band without the lines holding values (rules, backgrounds, fixed text),
// laid out once too, and those lines painted at the positions found. An instance whose
// text would lay out differently (wraps, whitespace HTML would collapse, a
// character the font lacks) is refused, and the caller lays it out as a whole
// document as before.

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

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

private:
    struct Pieza {
        QString literal;
        int marca = -1;
    };
    struct Linea {
        std::vector<Pieza> piezas;
        QFont fuente;
        QColor color;
        Qt::Alignment alineacion = Qt::AlignLeft;
        double x = 0, ancho = 0, base = 0;
        std::shared_ptr<QFontMetricsF> metricas;
        std::shared_ptr<QHash<QString, double>> anchos;
    };

    double medir(Linea &l, const QString &texto) const;
    double xDe(const Linea &l, double avance) const;

    std::vector<Linea> lineas_;
    std::unique_ptr<QTextDocument> fondo_;  // the band without the lines that hold values
    double alto_ = 0;
};
