#pragma once
// "Seleccionar Consignación": picks an open consignment and loads what was sold of it into
// purchase entry, marking the document as its settlement.

#include "ui/UtilBusqueda.h"

#include <QWidget>

class TFDatosComp;
class TfrmAgregaCompra;
class QLineEdit;
class QPushButton;
class QTableView;
namespace db {
class DatasetModel;
}

class TfrmFacturarConsig : public QWidget {
    Q_OBJECT
public:
    TfrmFacturarConsig(TFDatosComp &datos, TfrmAgregaCompra &entrada, QWidget *parent = nullptr);
    ~TfrmFacturarConsig() override;

    void AbrirDesde(QWidget *llamador);

    QTableView *gPrefacturas;
    QLineEdit *edBuscar;
    QLineEdit *edtBuscaConsig;
    QPushButton *btnAceptar;
    QPushButton *btnCancelar;

public slots:
    void FiltrarConsig();
    void btnAceptarClick();
    void btnCancelarClick();

protected:
    bool eventFilter(QObject *objeto, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    TFDatosComp &datos_;
    TfrmAgregaCompra &entrada_;
    db::DatasetModel *dsConsignacion;
    Llamador llamador_;
};
