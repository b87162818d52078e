#pragma once
// "Exportar a Excel": the purchase invoices of a period written to a workbook, summarised or
// in detail, in the local or the second currency, with a progress bar.

#include "reports/ExportacionCompras.h"

#include <QWidget>

#include <functional>

class TFDatosComp;
class QDateEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

class TfrmExportarAExcel : public QWidget {
    Q_OBJECT
public:
    explicit TfrmExportarAExcel(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmExportarAExcel() override;

    // The save dialog: the chosen file, or "" when cancelled.
    std::function<QString()> PedirArchivo;
    // The last file written ("" when none).
    QString ArchivoEscrito() const { return escrito_; }

public slots:
    void btoAceptarClick();
    void limitarFechas();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    TFDatosComp &datos_;
    ExportacionCompras exportacion_;
    QString escrito_;
    QDateEdit *fechaInicial;
    QDateEdit *fechaFinal;
    QRadioButton *ckResumen;
    QRadioButton *ckDetalle;
    QRadioButton *rBtn_moneda1;
    QRadioButton *rBtn_moneda2;
    QProgressBar *Progreso;
    QPushButton *btoAceptar;
    QPushButton *btoCancelar;
};
