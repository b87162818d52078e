#include "PruebaVentanas.h"

#include <QKeyEvent>

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

} // namespace pruebas
