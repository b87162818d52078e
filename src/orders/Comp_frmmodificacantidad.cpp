#include "orders/Comp_frmmodificacantidad.h"

#include "platform/Formato.h"
#include "platform/Mensajes.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmModificaCantidad::TfrmModificaCantidad(const QString &nombre, Currency cantidad, Currency precio, QWidget *parent)
    : QDialog(parent), cantidad_(cantidad), precio_(precio)
{
    setObjectName(QStringLiteral("frmModificaCantidad"));
    setWindowTitle(QStringLiteral("Modificar cantidad"));
    lblNombre = new QLabel(nombre, this);
    lblNombre->setObjectName(QStringLiteral("lblNombre"));
    edCantidad = new QLineEdit(FormatCurrency(QStringLiteral("###0.00"), cantidad), this);
    edCantidad->setObjectName(QStringLiteral("edCantidad"));
    edPrecio = new QLineEdit(FormatCurrency(QStringLiteral("###0.00"), precio), this);
    edPrecio->setObjectName(QStringLiteral("edPrecio"));
    btnAceptar = new QPushButton(QStringLiteral("Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnAceptar->setDefault(true);
    btnCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Cantidad:"), edCantidad);
    form->addRow(QStringLiteral("Precio Compra:"), edPrecio);
    auto *botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *v = new QVBoxLayout(this);
    v->addWidget(lblNombre);
    v->addLayout(form);
    v->addLayout(botones);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmModificaCantidad::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmModificaCantidad::btnAceptarClick()
{
    Currency cantidad, precio;
    if (!ParseDecimal(edCantidad->text().trimmed(), cantidad) || cantidad <= Currency()) {
        mensajes().Informacion(QStringLiteral("La cantidad debe ser mayor a cero"));
        edCantidad->setText(QStringLiteral("0"));
        edCantidad->setFocus();
        return;
    }
    if (!ParseDecimal(edPrecio->text().trimmed(), precio) || precio < Currency()) {
        mensajes().Informacion(QStringLiteral("El precio de compra no es válido"));
        edPrecio->setFocus();
        return;
    }
    cantidad_ = cantidad;
    precio_ = precio;
    accept();
}
