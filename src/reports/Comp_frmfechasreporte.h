#pragma once
// "Reportes": the period and currency of one of the four purchase reports by period.

#include "reports/ReportesPeriodo.h"

#include <QWidget>

#include <functional>

class TFDatosComp;
class QDateEdit;
class QPushButton;
class QRadioButton;

class TfrmFechasReporte : public QWidget {
    Q_OBJECT
public:
    TfrmFechasReporte(TFDatosComp &datos, TipoReportePeriodo tipo, const QDate &desde, const QDate &hasta,
                      QWidget *parent = nullptr);
    ~TfrmFechasReporte() override;

    TipoReportePeriodo TipoReporte;
    // Shows the prepared report (the preview unless replaced).
    std::function<void(Reporte &)> MostrarReporte;

    PedidoReportePeriodo Pedido() const;

public slots:
    void btnAceptarClick();
    void ControlarFechas();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    TFDatosComp &datos_;
    ReportesPeriodo reportes_;
    QDateEdit *FechaInicio;
    QDateEdit *FechaFin;
    QRadioButton *rdbDetallado;
    QRadioButton *rdbTotales;
    QRadioButton *rBtn_Moneda1;
    QRadioButton *rBtn_Moneda2;
    QPushButton *btnAceptar;
    QPushButton *btnCerrar;
};
