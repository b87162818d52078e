#include "ui/Permisos.h"

#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"
#include "platform/VariablesHost.h"

#include <QEvent>
#include <QLocale>

namespace {
QString simboloProceso;

// Clears the window-open flag when the window is destroyed.
class GuardiaBandera : public QObject {
public:
    GuardiaBandera(QWidget *ventana, const QString &bandera) : QObject(ventana), bandera_(bandera) {}
    ~GuardiaBandera() override { CargarVariable(bandera_, QStringLiteral("N")); }

private:
    QString bandera_;
};
} // namespace

bool VerificarPermiso(const TFDatosComp &datos, const QString &clave, const QString &titulo)
{
    if (datos.Permiso(clave) == QLatin1String("S"))
        return true;
    mensajes().Informacion(kMensajeSinPermiso, titulo);
    return false;
}

bool PermisoVisible(const TFDatosComp &datos, const QString &clave)
{
    return datos.Permiso(clave) != QLatin1String("N");
}

void AjustarFormatoNumeros(const QString &simboloMoneda)
{
    QLocale locale(QLocale::English, QLocale::UnitedStates);
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    QLocale::setDefault(locale);
    if (!simboloMoneda.isNull())
        simboloProceso = simboloMoneda;
}

QString SimboloMonedaProceso()
{
    return simboloProceso;
}

void MarcarVentana(QWidget *ventana, const QString &bandera)
{
    ventana->setAttribute(Qt::WA_DeleteOnClose);
    CargarVariable(bandera, QStringLiteral("S"));
    new GuardiaBandera(ventana, bandera);
}

void AvisoVentanaNoDisponible(const QString &nombre)
{
    mensajes().Informacion(QStringLiteral("La ventana \"%1\" todavía no está disponible en esta versión del módulo de compras.")
                               .arg(nombre),
                           QStringLiteral("Compras"));
}
