#pragma once
// Driving windows offscreen in tests: find controls by object name, type, press keys.

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

namespace pruebas {

template <typename T>
T *Control(QWidget *ventana, const char *nombre)
{
    T *c = ventana->findChild<T *>(QString::fromLatin1(nombre));
    if (!c)
        qFatal("No existe el control %s", nombre);
    return c;
}

// The visible top-level window of type T, or null.
template <typename T>
T *Ventana()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *v = qobject_cast<T *>(w); v && v->isVisible())
            return v;
    return nullptr;
}

// Types text into the focused control, non-ASCII included (keyClicks aborts on those).
void Escribir(QWidget *control, const QString &texto);
// Focuses a line edit, selects all its text and types `texto` over it.
void Reemplazar(QLineEdit *edit, const QString &texto);
// Presses a key on a control and lets queued work run.
void Tecla(QWidget *control, int tecla, Qt::KeyboardModifiers mod = Qt::NoModifier);
// Runs pending events (deferred deletes, queued calls, timers due now).
void Procesar();
// Closes every top-level window but `ultima`, then `ultima` (if it still exists), running the
// pending events after each.
void CerrarVentanas(QWidget *ultima);

} // namespace pruebas

// main() for test programs with windows: an offscreen QApplication around GoogleTest.
#define PRUEBAS_CON_VENTANAS_MAIN()                                   \
    int main(int argc, char **argv)                                   \
    {                                                                 \
        qputenv("QT_QPA_PLATFORM", "offscreen");                      \
        QApplication app(argc, argv);                                 \
        ::testing::InitGoogleTest(&argc, argv);                       \
        return RUN_ALL_TESTS();                                       \
    }
