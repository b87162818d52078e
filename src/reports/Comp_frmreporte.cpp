#include "reports/Comp_frmreporte.h"

#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// The date edit's lowest date stands for "no date".
const QDate kSinFecha(1900, 1, 1);
}

TfrmReporte::TfrmReporte(const EncabezadoEntrada &e, QWidget *parent) : QDialog(parent), original_(e)
{
    setObjectName(QStringLiteral("frmReporte"));
    setWindowTitle(QStringLiteral("Datos de Encabezado de Reporte"));
    auto *form = new QFormLayout;
    auto editor = [this, form](const char *nombre, const QString &etiqueta, const QString &valor) {
        auto *ed = new QLineEdit(valor, this);
        ed->setObjectName(QString::fromLatin1(nombre));
        ed->setMaxLength(100);
        form->addRow(etiqueta, ed);
        return ed;
    };
    edImportador = editor("edImportador", QStringLiteral("Importador:"), e.importador);
    edDestino = editor("edDestino", QStringLiteral("Destino:"), e.destino);
    edTransporte = editor("edTransporte", QStringLiteral("Transporte:"), e.transporte);
    edVendedor = editor("edVendedor", QStringLiteral("Vendedor:"), e.vendedor);
    edManifiesto = editor("edManifiesto", QStringLiteral("Manifiesto:"), e.manifiesto);
    edNroRep = editor("edNroRep", QStringLiteral("Nº Rep.:"), e.nroRep);
    edFecha = new QDateEdit(this);
    edFecha->setObjectName(QStringLiteral("edFecha"));
    edFecha->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    edFecha->setCalendarPopup(true);
    edFecha->setMinimumDate(kSinFecha);
    edFecha->setSpecialValueText(QStringLiteral(" "));
    edFecha->setDate(e.fecha.isValid() ? e.fecha : kSinFecha);
    form->addRow(QStringLiteral("Fecha Reporte:"), edFecha);

    btnAceptar = new QPushButton(QStringLiteral(" &Aceptar "), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral(" &Cancelar "), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *principal = new QVBoxLayout(this);
    principal->addLayout(form);
    principal->addLayout(botones);
    connect(btnAceptar, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
}

EncabezadoEntrada TfrmReporte::Encabezado() const
{
    EncabezadoEntrada e = original_;
    e.importador = edImportador->text();
    e.destino = edDestino->text();
    e.transporte = edTransporte->text();
    e.vendedor = edVendedor->text();
    e.manifiesto = edManifiesto->text();
    e.nroRep = edNroRep->text();
    e.fecha = edFecha->date() == kSinFecha ? QDate() : edFecha->date();
    return e;
}
