#include "host/VentanaHost.h"

#include "common/Estacion.h"
#include "host/AplicacionHost.h"
#include "platform/Mensajes.h"
#include "platform/VariablesHost.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

const QStringList &BanderasVentanas()
{
    static const QStringList banderas{QStringLiteral("venCompras"),     QStringLiteral("venPedidos"),
                                      QStringLiteral("venConsigna"),    QStringLiteral("venFamilias"),
                                      QStringLiteral("venUniMed"),      QStringLiteral("venUbicaciones"),
                                      QStringLiteral("venRepEntrada")};
    return banderas;
}

DialogoIngreso::DialogoIngreso(Estacion &estacion, QWidget *parent) : QDialog(parent), estacion_(estacion)
{
    setWindowTitle(QStringLiteral("Ingreso al sistema"));
    auto *form = new QFormLayout;
    edUsuario_ = new QLineEdit(QStringLiteral("ADMIN"));
    edUsuario_->setObjectName(QStringLiteral("edUsuario"));
    edClave_ = new QLineEdit;
    edClave_->setObjectName(QStringLiteral("edClave"));
    edClave_->setEchoMode(QLineEdit::Password);
    cbCaja_ = new QComboBox;
    cbCaja_->setObjectName(QStringLiteral("cbCaja"));
    for (const auto &[nro, descripcion] : estacion.Cajas())
        cbCaja_->addItem(QStringLiteral("%1 - %2").arg(nro).arg(descripcion), nro);
    form->addRow(QStringLiteral("Usuario:"), edUsuario_);
    form->addRow(QStringLiteral("Clave:"), edClave_);
    form->addRow(QStringLiteral("Caja:"), cbCaja_);
    lblError_ = new QLabel;
    lblError_->setStyleSheet(QStringLiteral("color: #b00000"));
    auto *botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    botones->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Ingresar"));
    botones->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Salir"));
    connect(botones, &QDialogButtonBox::accepted, this, &DialogoIngreso::aceptar);
    connect(botones, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Demostración: usuario ADMIN clave admin, o CAJERO clave cajero.")));
    layout->addLayout(form);
    layout->addWidget(lblError_);
    layout->addWidget(botones);
    edClave_->setFocus();
}

QString DialogoIngreso::usuario() const
{
    return edUsuario_->text().trimmed().toUpper();
}

int DialogoIngreso::caja() const
{
    return cbCaja_->currentData().toInt();
}

void DialogoIngreso::aceptar()
{
    if (cbCaja_->count() == 0) {
        lblError_->setText(QStringLiteral("No hay cajas registradas."));
        return;
    }
    if (!estacion_.ValidarUsuario(usuario(), edClave_->text())) {
        lblError_->setText(QStringLiteral("Usuario o clave incorrectos."));
        edClave_->selectAll();
        edClave_->setFocus();
        return;
    }
    accept();
}

VentanaHost::VentanaHost(Estacion &estacion, QLibrary &modulo, QWidget *parent)
    : QMainWindow(parent), estacion_(estacion), modulo_(modulo)
{
    setWindowTitle(QStringLiteral("Punto de venta - Compras"));
    resize(900, 600);
    QMenu *compras = menuBar()->addMenu(QStringLiteral("&Compras"));
    agregarVentana(compras, QStringLiteral("&Compras"), "AbrirCompras", QStringLiteral("venCompras"), Qt::Key_F5);
    agregarVentana(compras, QStringLiteral("&Pedidos"), "AbrirPedidos", QStringLiteral("venPedidos"), Qt::Key_F6);
    agregarVentana(compras, QStringLiteral("C&onsignaciones"), "AbrirConsignacion", QStringLiteral("venConsigna"),
                   Qt::Key_F7);
    agregarVentana(compras, QStringLiteral("&Reporte de entrada de mercadería"), nullptr, QStringLiteral("venRepEntrada"),
                   QKeySequence());
    QMenu *catalogos = menuBar()->addMenu(QStringLiteral("C&atálogos"));
    agregarVentana(catalogos, QStringLiteral("&Familias"), "AbrirFamilias", QStringLiteral("venFamilias"), QKeySequence());
    agregarVentana(catalogos, QStringLiteral("&Unidades de medida"), "AbrirUnidadMedida", QStringLiteral("venUniMed"),
                   QKeySequence());
    agregarVentana(catalogos, QStringLiteral("U&bicaciones"), "AbrirUbicaciones", QStringLiteral("venUbicaciones"),
                   QKeySequence());
    QMenu *sistema = menuBar()->addMenu(QStringLiteral("&Sistema"));
    sistema->addAction(QStringLiteral("&Salir"), this, &QWidget::close);
    statusBar()->showMessage(QStringLiteral("Usuario: %1   Caja: %2   Base: %3")
                                 .arg(estacion.usuario())
                                 .arg(estacion.nroCaja())
                                 .arg(estacion.bases().tienda));
    auto *centro = new QLabel(QStringLiteral("Use el menú Compras para abrir las ventanas del módulo."));
    centro->setAlignment(Qt::AlignCenter);
    setCentralWidget(centro);
}

void VentanaHost::agregarVentana(QMenu *menu, const QString &texto, const char *exportacion, const QString &bandera,
                                 const QKeySequence &atajo)
{
    QAction *accion = menu->addAction(texto);
    accion->setObjectName(QStringLiteral("act") + bandera);
    if (!atajo.isEmpty())
        accion->setShortcut(atajo);
    connect(accion, &QAction::triggered, this, [this, exportacion, bandera] {
        if (!exportacion) {
            // The goods-receipt report always opens a new window.
            if (auto fn = reinterpret_cast<AbrirReporteEntradaFn>(modulo_.resolve("AbrirReporteEntrada")))
                fn();
            return;
        }
        if (auto fn = reinterpret_cast<AbrirFn>(modulo_.resolve(exportacion)))
            fn(VerVariable(bandera) != QLatin1String("S"));
    });
}

void VentanaHost::closeEvent(QCloseEvent *event)
{
    bool abiertas = false;
    for (const QString &b : BanderasVentanas())
        abiertas |= VerVariable(b) == QLatin1String("S");
    if (abiertas && !AplicacionHost::TerminandoPorSenal() && !mensajes().Pregunta(QStringLiteral("Hay ventanas del módulo de compras abiertas. ¿Desea salir de todos modos?"))) {
        event->ignore();
        return;
    }
    event->accept();
    // Exit means exit: the module's windows go with the host.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    QCoreApplication::quit();
}
