#pragma once
// User rights and the window plumbing shared by every window of the module.

#include <QPointer>
#include <QString>
#include <QWidget>

class TFDatosComp;

// True when the rights record allows `clave` ("S" only). Otherwise shows the refusal
// (titled `titulo` when given) and returns false.
bool VerificarPermiso(const TFDatosComp &datos, const QString &clave, const QString &titulo = QString());
// Only "N" hides: INV_VER_COSTOS and INV_VER_CALCULO_PRECIOS.
bool PermisoVisible(const TFDatosComp &datos, const QString &clave);

inline const QString kMensajeSinPermiso = QStringLiteral("Usted no esta habilitado para realizar esta operación");

// Decimal "." and thousands "," for the whole process, and the process currency string.
void AjustarFormatoNumeros(const QString &simboloMoneda = QString());
QString SimboloMonedaProceso();

// Opens a main window kept in `ventana`: creates it when `crear`, otherwise brings it to the
// front. The window-open flag is "S" while the window exists.
template <typename Ventana, typename Fabrica>
void AbrirVentanaPrincipal(QPointer<Ventana> &ventana, bool crear, const QString &bandera, Fabrica fabrica);

// Tells the user a window is not part of this version yet.
void AvisoVentanaNoDisponible(const QString &nombre);

// -- implementation

void MarcarVentana(QWidget *ventana, const QString &bandera);

template <typename Ventana, typename Fabrica>
void AbrirVentanaPrincipal(QPointer<Ventana> &ventana, bool crear, const QString &bandera, Fabrica fabrica)
{
    if (!crear && ventana) {
        ventana->showNormal();
        ventana->raise();
        ventana->activateWindow();
        return;
    }
    if (ventana) {  // the host asked to create while one exists: keep the one
        ventana->raise();
        ventana->activateWindow();
        return;
    }
    ventana = fabrica();
    MarcarVentana(ventana, bandera);
    ventana->show();
}
