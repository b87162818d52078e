#include "catalogs/Comp_frmeleccion.h"

#include "data/Comp_fdatos.h"
#include "platform/db/Dataset.h"

#include <QCloseEvent>

db::Dataset *DatasetInventario(TFDatosComp &datos, QObject *dueno, const QString &nombre)
{
    auto *ds = new db::Dataset(dueno);
    ds->setObjectName(nombre);
    ds->setDatabase(datos.dbInv);
    ds->setReadTransaction(datos.TransLecturaInv);
    return ds;
}

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

void VentanaEleccion::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    if (mostrada_)
        return;
    mostrada_ = true;
    AlMostrar();
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
