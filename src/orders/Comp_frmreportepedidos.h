#pragma once
// Order list report window ("Reporte pedidos") and the preview of an order's control report.

#include "orders/Pedidos.h"

#include <QWidget>

#include <functional>
#include <memory>

class Reporte;

class TFDatosComp;
class QDateEdit;
class QPushButton;

// Preview of the control report of `pedido`; a failure is shown.
void VerReporteControl(TFDatosComp &datos, Pedidos &pedidos, const PedidoListado &pedido, bool verNombre2,
                       QWidget *padre);

class TfrmReportePedidos : public QWidget {
    Q_OBJECT
public:
    explicit TfrmReportePedidos(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmReportePedidos() override;

    QDateEdit *fechaInicial = nullptr;
    QDateEdit *fechaFinal = nullptr;
    QPushButton *btoAceptar = nullptr;
    QPushButton *btoCancelar = nullptr;

    // Shows the preview (tests replace it to export instead).
    std::function<void(Reporte &)> Mostrar;

signals:
    void cerrada();

public slots:
    void btoAceptarClick();
    void LimitarFechas();

protected:
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    TFDatosComp &datos_;
    std::unique_ptr<Pedidos> pedidos_;
};
