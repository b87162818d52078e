#pragma once
// Gives a control the object name tests and the window's code find it by.

#include <QString>

template <class W> W *nombrar(W *control, const char *nombre)
{
    control->setObjectName(QString::fromLatin1(nombre));
    return control;
}
