#include "reports/Comp_frmexportaraexcel.h"

#include "data/Comp_fdatos.h"
#include "platform/ErrorCompras.h"
#include "platform/Mensajes.h"
#include "ui/NombreControl.h"

#include <QApplication>
#include <QDateEdit>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

TfrmExportarAExcel::TfrmExportarAExcel(TFDatosComp &datos, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      datos_(datos), exportacion_(ConexionesLecturaDatosComp(datos), AjustesDeDatosComp(datos), mensajes())
{
    setObjectName(QStringLiteral("frmExportarAExcel"));
    setWindowTitle(QStringLiteral("Exportar a Excel"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(366, 260);

    fechaInicial = nombrar(new QDateEdit(QDate::currentDate(), this), "fechaInicial");
    fechaFinal = nombrar(new QDateEdit(QDate::currentDate(), this), "fechaFinal");
    for (QDateEdit *e : {fechaInicial, fechaFinal}) {
        e->setCalendarPopup(true);
        e->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    }
    auto *fechas = new QHBoxLayout;
    fechas->addWidget(new QLabel(QStringLiteral("Desde:"), this));
    fechas->addWidget(fechaInicial);
    fechas->addWidget(new QLabel(QStringLiteral("Hasta:"), this));
    fechas->addWidget(fechaFinal);

    auto *grupoTipo = new QGroupBox(this);
    ckResumen = nombrar(new QRadioButton(QStringLiteral("Reporte resumido"), grupoTipo), "ckResumen");
    ckDetalle = nombrar(new QRadioButton(QStringLiteral("Reporte detallado"), grupoTipo), "ckDetalle");
    ckResumen->setChecked(true);
    auto *lt = new QHBoxLayout(grupoTipo);
    lt->addWidget(ckResumen);
    lt->addWidget(ckDetalle);

    auto *grupoMoneda = new QGroupBox(QStringLiteral("Tipo de moneda "), this);
    rBtn_moneda1 = nombrar(new QRadioButton(grupoMoneda), "rBtn_moneda1");
    rBtn_moneda2 = nombrar(new QRadioButton(grupoMoneda), "rBtn_moneda2");
    rBtn_moneda1->setChecked(true);
    auto *lm = new QHBoxLayout(grupoMoneda);
    lm->addWidget(rBtn_moneda1);
    lm->addWidget(rBtn_moneda2);

    Progreso = nombrar(new QProgressBar(this), "Progreso");
    Progreso->setValue(0);

    btoAceptar = nombrar(new QPushButton(QStringLiteral(" &Aceptar "), this), "btoAceptar");
    btoCancelar = nombrar(new QPushButton(QStringLiteral(" &Cancelar "), this), "btoCancelar");
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btoAceptar);
    botones->addWidget(btoCancelar);

    auto *principal = new QVBoxLayout(this);
    principal->addLayout(fechas);
    principal->addWidget(grupoTipo);
    principal->addWidget(grupoMoneda);
    principal->addWidget(Progreso);
    principal->addLayout(botones);

    connect(btoAceptar, &QPushButton::clicked, this, &TfrmExportarAExcel::btoAceptarClick);
    connect(btoCancelar, &QPushButton::clicked, this, &QWidget::close);
    connect(fechaInicial, &QDateEdit::editingFinished, this, &TfrmExportarAExcel::limitarFechas);
    connect(fechaFinal, &QDateEdit::editingFinished, this, &TfrmExportarAExcel::limitarFechas);

    exportacion_.AlIniciar = [this](int maximo) {
        Progreso->setMaximum(std::max(maximo, 1));
        Progreso->setValue(0);
    };
    exportacion_.AlAvanzar = [this](int actual) {
        Progreso->setValue(actual);
        if (actual % 64 == 0)
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    PedirArchivo = [this] {
        return QFileDialog::getSaveFileName(this, QString(), QString(), QStringLiteral("Archivo de  Ms Excel (*.xls)"));
    };
}

TfrmExportarAExcel::~TfrmExportarAExcel() = default;

void TfrmExportarAExcel::showEvent(QShowEvent *event)
{
    limitarFechas();
    const AjustesReportes a = AjustesDeDatosComp(datos_);
    rBtn_moneda1->setText(a.nombreMoneda);
    rBtn_moneda2->setText(a.denominacionMoneda2);
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    QWidget::showEvent(event);
}

void TfrmExportarAExcel::limitarFechas()
{
    fechaFinal->setMinimumDate(fechaInicial->date());
    fechaInicial->setMaximumDate(fechaFinal->date());
}

void TfrmExportarAExcel::btoAceptarClick()
{
    const QString archivo = PedirArchivo ? PedirArchivo() : QString();
    if (archivo.isEmpty())
        return;
    PedidoExportacion p;
    p.desde = fechaInicial->date();
    p.hasta = fechaFinal->date();
    p.detalle = ckDetalle->isChecked();
    p.moneda = rBtn_moneda2->isChecked() ? 2 : 1;
    p.archivo = archivo;
    p.textoDesde = fechaInicial->text();
    p.textoHasta = fechaFinal->text();
    btoAceptar->setEnabled(false);
    try {
        escrito_ = exportacion_.Exportar(p);
    } catch (const ErrorCompras &e) {
        btoAceptar->setEnabled(true);
        mensajes().Error(e.mensaje());
        return;
    } catch (const std::exception &e) {
        btoAceptar->setEnabled(true);
        mensajes().Error(QString::fromUtf8(e.what()));
        return;
    }
    close();
}

void TfrmExportarAExcel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextChild();
        return;
    }
    QWidget::keyPressEvent(event);
}
