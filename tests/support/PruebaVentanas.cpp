#include "support/PruebaVentanas.h"

#include <QKeyEvent>
#include <QPointer>

namespace pruebas {

void Escribir(QWidget *control, const QString &texto)
{
    for (const QChar c : texto) {
        if (c.unicode() < 128)
            QTest::keyClick(control, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, control, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    Procesar();
}

void Reemplazar(QLineEdit *edit, const QString &texto)
{
    edit->setFocus();
    edit->selectAll();
    Escribir(edit, texto);
}

void Tecla(QWidget *control, int tecla, Qt::KeyboardModifiers mod)
{
    QTest::keyClick(control, static_cast<Qt::Key>(tecla), mod);
    Procesar();
}

void Procesar()
{
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

void CerrarVentanas(QWidget *ultima)
{
    QPointer<QWidget> ultimaViva(ultima);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != ultima)
            w->close();
    Procesar();
    if (ultimaViva)
        ultimaViva->close();
    Procesar();
}

} // namespace pruebas
