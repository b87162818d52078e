#include "catalogs/Comp_frmeleccion.h"

#include <QCloseEvent>

VentanaEleccion::VentanaEleccion(QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

VentanaEleccion::~VentanaEleccion()
{
    llamador_.Habilitar();
}

void VentanaEleccion::AbrirDesde(QWidget *llamador)
{
    if (llamador) {
        if (parentWidget())
            setParent(nullptr, windowFlags());
        connect(llamador, &QObject::destroyed, this, &QWidget::close);
    }
    llamador_.Asignar(llamador, true);
    show();
    raise();
    activateWindow();
}

void VentanaEleccion::closeEvent(QCloseEvent *e)
{
    llamador_.Habilitar();
    QWidget::closeEvent(e);
    emit cerrada();
}

void VentanaEleccion::TeclasDeEleccion(std::initializer_list<QWidget *> controles)
{
    for (QWidget *w : controles)
        w->installEventFilter(this);
}

bool VentanaEleccion::eventFilter(QObject *objeto, QEvent *e)
{
    return TeclaVentanaBusqueda(objeto, e, [this] { focusNextChild(); }, [this] { close(); })
           || QWidget::eventFilter(objeto, e);
}
