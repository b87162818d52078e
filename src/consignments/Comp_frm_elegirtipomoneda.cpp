#include "consignments/Comp_frm_elegirtipomoneda.h"

#include "consignments/ImpresionConsignaciones.h"
#include "data/Comp_fdatos.h"
#include "data/EncabezadoReporte.h"
#include "platform/Mensajes.h"
#include "platform/report/Reporte.h"
#include "records/ErrorRegistro.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

Tfrm_ElegirTipoMoneda::Tfrm_ElegirTipoMoneda(TFDatosComp &datos, const QString &modo, const FiltroConsignaciones &filtro,
                                             QWidget *parent)
    : QWidget(parent, Qt::Dialog), datos_(datos), modo_(modo), filtro_(filtro)
{
    setObjectName(QStringLiteral("frm_ElegirTipoMoneda"));
    setWindowTitle(QStringLiteral("Seleccione el Tipo de Moneda"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *grupo = new QGroupBox(this);
    grupo->setObjectName(QStringLiteral("rGrp_TipoMoneda"));
    rBtn_Moneda1 = new QRadioButton(CampoRegistro(datos_.DatosMoneda, QStringLiteral("NOMBRE_MONEDA")).trimmed(), grupo);
    rBtn_Moneda1->setObjectName(QStringLiteral("rBtn_Moneda1"));
    rBtn_Moneda2 = new QRadioButton(datos_.Config(QStringLiteral("DENOMINACION_MONEDA2")).trimmed(), grupo);
    rBtn_Moneda2->setObjectName(QStringLiteral("rBtn_Moneda2"));
    rBtn_Moneda1->setChecked(true);
    auto *g = new QVBoxLayout(grupo);
    g->addWidget(rBtn_Moneda1);
    g->addWidget(rBtn_Moneda2);
    btn_Aceptar = new QPushButton(QStringLiteral(" &Aceptar "), this);
    btn_Aceptar->setObjectName(QStringLiteral("btn_Aceptar"));
    btn_Cancelar = new QPushButton(QStringLiteral(" &Cancelar "), this);
    btn_Cancelar->setObjectName(QStringLiteral("btn_Cancelar"));
    auto *b = new QHBoxLayout;
    b->addStretch(1);
    b->addWidget(btn_Aceptar);
    b->addWidget(btn_Cancelar);
    auto *v = new QVBoxLayout(this);
    v->addWidget(grupo);
    v->addLayout(b);
    connect(btn_Aceptar, &QPushButton::clicked, this, &Tfrm_ElegirTipoMoneda::btn_AceptarClick);
    connect(btn_Cancelar, &QPushButton::clicked, this, &QWidget::close);
    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };
}

Tfrm_ElegirTipoMoneda::~Tfrm_ElegirTipoMoneda() = default;

void Tfrm_ElegirTipoMoneda::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
}

void Tfrm_ElegirTipoMoneda::btn_AceptarClick()
{
    try {
        ImpresionConsignaciones impresion(datos_);
        if (impresion.PrepararListado(modo_, filtro_, rBtn_Moneda1->isChecked()) && MostrarReporte)
            MostrarReporte(impresion.reporte());
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
    }
    close();
}

void Tfrm_ElegirTipoMoneda::closeEvent(QCloseEvent *e)
{
    llamador_.Habilitar();
    QWidget::closeEvent(e);
}

void Tfrm_ElegirTipoMoneda::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        focusNextChild();
        return;
    }
    QWidget::keyPressEvent(e);
}
