#include "orders/Comp_frmfiltropedidos.h"

#include "ui/CamposEdicion.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

void PrepararFechaPedido(QDateEdit *fecha)
{
    fecha->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    fecha->setCalendarPopup(true);
    PrepararFecha(fecha);
}

void LimitarFechas(QDateEdit *inicial, QDateEdit *final)
{
    final->setMinimumDate(inicial->date());
    inicial->setMaximumDate(final->date());
}

PanelFiltroPedidos CrearFiltroPedidos(QWidget *ventana, const QDate &desde, const std::function<void()> &alSalirFecha)
{
    PanelFiltroPedidos p;
    auto nombrar = [](auto *w, const char *nombre) {
        w->setObjectName(QLatin1String(nombre));
        return w;
    };
    p.cmbFechaInicial = nombrar(new QDateEdit(desde, ventana), "cmbFechaInicial");
    p.cmbFechaFinal = nombrar(new QDateEdit(QDate::currentDate(), ventana), "cmbFechaFinal");
    for (QDateEdit *f : {p.cmbFechaInicial, p.cmbFechaFinal}) {
        PrepararFechaPedido(f);
        QObject::connect(f, &QDateEdit::editingFinished, ventana, [p, alSalirFecha] {
            LimitarFechas(p.cmbFechaInicial, p.cmbFechaFinal);
            if (alSalirFecha)
                alSalirFecha();
        });
    }
    LimitarFechas(p.cmbFechaInicial, p.cmbFechaFinal);
    p.edProveedor = nombrar(new QLineEdit(kTodosProveedores, ventana), "edProveedor");
    p.edProveedor->setReadOnly(true);
    p.btnFiltroProveedor = nombrar(new QPushButton(QStringLiteral("..."), ventana), "btnFiltroProveedor");
    p.btnFiltroProveedor->setToolTip(QStringLiteral("Seleccionar un Proveedor"));
    p.btnElimFiltroProveedor = nombrar(new QPushButton(QStringLiteral("X"), ventana), "btnElimFiltroProveedor");
    p.fila = new QHBoxLayout;
    p.fila->addWidget(new QLabel(QStringLiteral("Fecha Inicial:"), ventana));
    p.fila->addWidget(p.cmbFechaInicial);
    p.fila->addWidget(new QLabel(QStringLiteral("Fecha Final:"), ventana));
    p.fila->addWidget(p.cmbFechaFinal);
    p.fila->addWidget(new QLabel(QStringLiteral("Proveedor:"), ventana));
    p.fila->addWidget(p.edProveedor, 1);
    p.fila->addWidget(p.btnFiltroProveedor);
    p.fila->addWidget(p.btnElimFiltroProveedor);
    return p;
}
