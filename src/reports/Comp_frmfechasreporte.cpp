#include "reports/Comp_frmfechasreporte.h"

#include "data/Comp_fdatos.h"
#include "platform/ErrorCompras.h"
#include "platform/Mensajes.h"
#include "ui/NombreControl.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QDateEdit *editorFecha(const QDate &fecha, const char *nombre, QWidget *padre)
{
    auto *e = nombrar(new QDateEdit(fecha.isValid() ? fecha : QDate::currentDate(), padre), nombre);
    e->setCalendarPopup(true);
    e->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    return e;
}

} // namespace

TfrmFechasReporte::TfrmFechasReporte(TFDatosComp &datos, TipoReportePeriodo tipo, const QDate &desde,
                                     const QDate &hasta, QWidget *parent)
    : QWidget(parent, Qt::Window), TipoReporte(tipo), datos_(datos),
      reportes_(ConexionesLecturaDatosComp(datos), AjustesDeDatosComp(datos))
{
    setObjectName(QStringLiteral("frmFechasReporte"));
    setWindowTitle(QStringLiteral("Reportes"));
    setAttribute(Qt::WA_DeleteOnClose);

    FechaInicio = editorFecha(desde, "FechaInicio", this);
    FechaFin = editorFecha(hasta, "FechaFin", this);
    auto *grupoFechas = new QGroupBox(QStringLiteral(" Seleccione un rango de Fechas "), this);
    auto *lf = new QHBoxLayout(grupoFechas);
    lf->addWidget(new QLabel(QStringLiteral("Desde:"), grupoFechas));
    lf->addWidget(FechaInicio);
    lf->addWidget(new QLabel(QStringLiteral("Hasta:"), grupoFechas));
    lf->addWidget(FechaFin);

    rdbDetallado = nombrar(new QRadioButton(QStringLiteral("Detallado"), this), "rdbDetallado");
    rdbTotales = nombrar(new QRadioButton(QStringLiteral("Totales"), this), "rdbTotales");
    rdbDetallado->setChecked(true);
    auto *tipoFila = new QHBoxLayout;
    tipoFila->addWidget(rdbDetallado);
    tipoFila->addWidget(rdbTotales);
    tipoFila->addStretch(1);
    const bool resumen = tipo == TipoReportePeriodo::ResumenCompras;
    rdbDetallado->setVisible(resumen);
    rdbTotales->setVisible(resumen);

    auto *grupoMoneda = new QGroupBox(QStringLiteral(" Tipo de Moneda "), this);
    rBtn_Moneda1 = nombrar(new QRadioButton(grupoMoneda), "rBtn_Moneda1");
    rBtn_Moneda2 = nombrar(new QRadioButton(grupoMoneda), "rBtn_Moneda2");
    rBtn_Moneda1->setChecked(true);
    auto *lm = new QHBoxLayout(grupoMoneda);
    lm->addWidget(rBtn_Moneda1);
    lm->addWidget(rBtn_Moneda2);

    btnAceptar = nombrar(new QPushButton(QStringLiteral("&Aceptar"), this), "btnAceptar");
    btnCerrar = nombrar(new QPushButton(QStringLiteral(" &Cerrar "), this), "btnCerrar");
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCerrar);

    auto *principal = new QVBoxLayout(this);
    principal->addWidget(grupoFechas);
    principal->addLayout(tipoFila);
    principal->addWidget(grupoMoneda);
    principal->addLayout(botones);

    connect(btnAceptar, &QPushButton::clicked, this, &TfrmFechasReporte::btnAceptarClick);
    connect(btnCerrar, &QPushButton::clicked, this, &QWidget::close);
    connect(FechaInicio, &QDateEdit::editingFinished, this, &TfrmFechasReporte::ControlarFechas);
    connect(FechaFin, &QDateEdit::editingFinished, this, &TfrmFechasReporte::ControlarFechas);

    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };
}

TfrmFechasReporte::~TfrmFechasReporte() = default;

void TfrmFechasReporte::showEvent(QShowEvent *event)
{
    ControlarFechas();
    const AjustesReportes a = AjustesDeDatosComp(datos_);
    rBtn_Moneda1->setText(a.nombreMoneda);
    rBtn_Moneda2->setText(a.denominacionMoneda2);
    QWidget::showEvent(event);
}

void TfrmFechasReporte::ControlarFechas()
{
    FechaFin->setMinimumDate(FechaInicio->date());
    FechaInicio->setMaximumDate(FechaFin->date());
}

PedidoReportePeriodo TfrmFechasReporte::Pedido() const
{
    PedidoReportePeriodo p;
    p.tipo = TipoReporte;
    p.desde = FechaInicio->date();
    p.hasta = FechaFin->date();
    p.moneda = rBtn_Moneda2->isChecked() ? 2 : 1;
    p.totales = TipoReporte == TipoReportePeriodo::ResumenCompras && rdbTotales->isChecked();
    return p;
}

void TfrmFechasReporte::btnAceptarClick()
{
    try {
        Reporte &r = reportes_.Preparar(Pedido());
        MostrarReporte(r);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    } catch (const std::exception &e) {
        mensajes().Error(QString::fromUtf8(e.what()));
    }
    close();
}

void TfrmFechasReporte::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto *b = qobject_cast<QPushButton *>(focusWidget())) {
            b->click();
            return;
        }
        focusNextChild();
        return;
    }
    QWidget::keyPressEvent(event);
}
