#include "ui/CamposEdicion.h"

#include "platform/Formato.h"

#include <QDateEdit>
#include <QEvent>
#include <QHeaderView>
#include <QTableView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>

void ReformatearAlSalir(QLineEdit *ed, const QString &formato)
{
    QObject::connect(ed, &QLineEdit::editingFinished, ed, [ed, formato] {
        Currency v;
        if (ed->text().trimmed().isEmpty() || !ParseDecimal(ed->text().trimmed(), v))
            return;
        const QString texto = FormatCurrency(formato, v);
        if (texto == ed->text())
            return;
        // The window's own exit steps look at the modified flag: keep it.
        const bool modificado = ed->isModified();
        ed->setText(texto);
        ed->setModified(modificado);
    });
}

QString MensajeLimite(const QString &campo, const QString &texto, Currency limite)
{
    QString numero = texto.trimmed();
    while (!numero.isEmpty() && !numero.front().isDigit() && numero.front() != QLatin1Char('-'))
        numero.remove(0, 1);
    numero = numero.trimmed();
    if (numero.isEmpty())
        return QString();
    bool soloCifras = true;
    for (QChar c : numero)
        soloCifras = soloCifras && (c.isDigit() || c == QLatin1Char(',') || c == QLatin1Char('.') || c == QLatin1Char('-'));
    Currency valor;
    if (ParseDecimal(numero, valor) ? valor <= limite : !soloCifras)
        return QString();
    const QString formato = limite == kCantidadMaxima ? QStringLiteral("#,##0.0000") : QStringLiteral("#,##0.00");
    return QStringLiteral("El campo %1 no puede ser mayor a %2.").arg(campo, FormatCurrency(formato, limite));
}

void AnchoEncabezados(QTableView *grid, int flexible)
{
    QHeaderView *h = grid->horizontalHeader();
    int falta = 0;
    for (int i = 0; i < h->count(); ++i) {
        const int minimo = h->sectionSizeHint(i);
        if (h->sectionSize(i) < minimo) {
            falta += minimo - h->sectionSize(i);
            h->resizeSection(i, minimo);
        }
    }
    if (falta > 0 && flexible >= 0 && flexible < h->count()) {
        const int ancho = h->sectionSize(flexible);
        h->resizeSection(flexible, std::max(ancho / 3, ancho - falta));
    }
}

QPoint DentroDePantalla(QPoint deseada, QSize tamano, const QRect &pantalla)
{
    if (!pantalla.isValid())
        return deseada;
    const int x = std::max(pantalla.left(), std::min(deseada.x(), pantalla.right() + 1 - tamano.width()));
    const int y = std::max(pantalla.top(), std::min(deseada.y(), pantalla.bottom() + 1 - tamano.height()));
    return {x, y};
}

namespace {

class FiltroFecha : public QObject {
public:
    FiltroFecha(QDateEdit *fecha, QLineEdit *texto) : QObject(fecha), fecha_(fecha), texto_(texto) {}

    bool eventFilter(QObject *objeto, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (objeto == texto_ && static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton) {
                Terminar(false);
                ultimoDigito_ = false;
                fecha_->setFocus(Qt::MouseFocusReason);
                ElegirSeccion(SeccionEn(texto_->cursorPositionAt(static_cast<QMouseEvent *>(e)->position().toPoint())));
                return true;
            }
            return false;
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return objeto == texto_ && static_cast<QMouseEvent *>(e)->buttons() & Qt::LeftButton;
        case QEvent::KeyPress:
            return objeto == fecha_ && Tecla(static_cast<QKeyEvent *>(e));
        case QEvent::FocusOut:
            if (objeto == fecha_)
                Terminar(true);
            return false;
        default:
            return false;
        }
    }

private:
    static bool EsSeparador(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.'); }

    // The section index of a position of the text: the separators before it.
    int SeccionEn(int posicion) const
    {
        const QString t = texto_->text().left(posicion);
        int seccion = 0;
        for (int i = 0; i < t.size(); ++i)
            if (!t.at(i).isDigit() && (i + 1 >= t.size() || t.at(i + 1).isDigit()))
                ++seccion;
        return std::min(seccion, fecha_->sectionCount() - 1);
    }

    void ElegirSeccion(int indice)
    {
        fecha_->setCurrentSectionIndex(std::clamp(indice, 0, fecha_->sectionCount() - 1));
        fecha_->setSelectedSection(fecha_->currentSection());
    }

    bool Tecla(QKeyEvent *k)
    {
        if (k->matches(QKeySequence::SelectAll)) {
            completo_ = true;
            tecleado_.clear();
            texto_->selectAll();
            return true;
        }
        const QString t = k->text();
        const QChar c = t.size() == 1 ? t.at(0) : QChar();
        if (completo_) {
            if (c.isDigit() || EsSeparador(c)) {
                tecleado_ += c;
                Mostrar(tecleado_);
                if (const QDate d = Leer(tecleado_); d.isValid()) {
                    completo_ = false;
                    tecleado_.clear();
                    fecha_->setDate(d);
                    Mostrar(fecha_->date().toString(fecha_->displayFormat()));
                    ElegirSeccion(0);
                }
                return true;
            }
            if (k->key() == Qt::Key_Backspace) {
                tecleado_.chop(1);
                Mostrar(tecleado_);
                return true;
            }
            Terminar(true);
            return false;
        }
        // A separator goes on to the next section, unless a full section already did.
        if (EsSeparador(c)) {
            const bool yaAvanzo = ultimoDigito_ && fecha_->currentSectionIndex() != seccionDigito_;
            ultimoDigito_ = false;
            if (!yaAvanzo && fecha_->currentSectionIndex() + 1 < fecha_->sectionCount())
                ElegirSeccion(fecha_->currentSectionIndex() + 1);
            return true;
        }
        ultimoDigito_ = c.isDigit();
        seccionDigito_ = fecha_->currentSectionIndex();
        return false;
    }

    // "5/12/2026", "05-12-2026" or "05122026" (four-digit year); invalid otherwise.
    QDate Leer(const QString &t) const
    {
        QString s = t;
        for (QChar &c : s)
            if (EsSeparador(c))
                c = QLatin1Char('/');
        const QStringList partes = s.split(QLatin1Char('/'));
        if (partes.size() == 3 && partes[2].size() == 4 && !partes[0].isEmpty() && !partes[1].isEmpty())
            return QDate(partes[2].toInt(), partes[1].toInt(), partes[0].toInt());
        if (partes.size() == 1 && s.size() == 8)
            return QDate(s.mid(4).toInt(), s.mid(2, 2).toInt(), s.left(2).toInt());
        return {};
    }

    void Mostrar(const QString &t)
    {
        const bool antes = texto_->blockSignals(true);
        texto_->setText(t);
        texto_->blockSignals(antes);
    }

    // Leaves whole-date typing; the date shown again is the one in force (or the one typed).
    void Terminar(bool aceptar)
    {
        if (!completo_)
            return;
        completo_ = false;
        if (aceptar)
            if (const QDate d = Leer(tecleado_); d.isValid())
                fecha_->setDate(d);
        tecleado_.clear();
        Mostrar(fecha_->date().toString(fecha_->displayFormat()));
    }

    QDateEdit *fecha_;
    QLineEdit *texto_;
    bool completo_ = false;
    QString tecleado_;
    bool ultimoDigito_ = false;
    int seccionDigito_ = 0;
};

} // namespace

void PrepararFecha(QDateEdit *fecha)
{
    auto *texto = fecha->findChild<QLineEdit *>();
    if (!texto)
        return;
    auto *filtro = new FiltroFecha(fecha, texto);
    fecha->installEventFilter(filtro);
    texto->installEventFilter(filtro);
}
