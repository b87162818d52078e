#pragma once
// Credit-note picker ("Notas de Crédito"): the supplier's open notes, ticked to pay the invoice
// being posted. Nothing is written here; the payment window applies the choice and the posting
// records it.

#include "creditnotes/Comp_frmsaldonotacredito.h"
#include "creditnotes/NotasCreditoProveedor.h"
#include "platform/Currency.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class TFDatosComp;

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

class TfrmNotasCredito : public QWidget {
    Q_OBJECT
public:
    // `totalFactura` already rounded to two decimals by the payment window.
    TfrmNotasCredito(TFDatosComp &datos, Currency totalFactura, int codProveedor, QWidget *parent = nullptr);

    Currency TotalNotas() const { return seleccion_.Total(); }
    EleccionNotas Eleccion(const QString &notaSaldo = QString()) const { return seleccion_.Eleccion(notaSaldo); }
    TfrmSaldoNotaCredito *Saldo() const { return saldo_; }

signals:
    void aplicada(const EleccionNotas &eleccion);
    void cerrada();

public slots:
    void btnAceptarClick();
    void btnCancelarClick();

protected:
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    TFDatosComp &datos_;
    void Cargar(int codProveedor);
    void Marcado(QTableWidgetItem *item);
    void Aplicar(const QString &notaSaldo);

    SeleccionNotasCredito seleccion_;
    bool cambiando_ = false;
    QPointer<TfrmSaldoNotaCredito> saldo_;

    QTableWidget *gNotas;
    QLabel *lblTotalFactura;
    QLabel *lblTotalNotas;
    QPushButton *btnAceptar;
    QPushButton *btnCancelar;
};
