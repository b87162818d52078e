#pragma once
// "Datos de Encabezado de Reporte": the customs header of the goods-receipt report.

#include "records/EncabezadoReporteEntrada.h"

#include <QDialog>

class QDateEdit;
class QLineEdit;
class QPushButton;

class TfrmReporte : public QDialog {
    Q_OBJECT
public:
    explicit TfrmReporte(const EncabezadoEntrada &encabezado, QWidget *parent = nullptr);

    // The values as edited (the id kept).
    EncabezadoEntrada Encabezado() const;

private:
    EncabezadoEntrada original_;
    QLineEdit *edImportador, *edDestino, *edTransporte, *edVendedor, *edManifiesto, *edNroRep;
    QDateEdit *edFecha;
    QPushButton *btnAceptar, *btnCancelar;
};
