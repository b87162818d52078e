#pragma once
// Credit-note picker ("Notas de Crédito"): the supplier's open notes, ticked to pay the invoice
// being posted. Nothing is written here; the payment window applies the choice and the posting
// records it.

#include "creditnotes/Comp_frmsaldonotacredito.h"
#include "platform/Currency.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

// What the picker hands back.
struct EleccionNotas {
    QStringList seleccionadas;  // entry r: the note ticked in grid row r (from 1), or ""; entry 0 stays ""
    Currency importe;           // total of the ticked notes
    QString notaSaldo;          // number for the note carrying the excess ("" when there is none)
};

class TfrmNotasCredito : public QWidget {
    Q_OBJECT
public:
    // `totalFactura` already rounded to two decimals by the payment window.
    TfrmNotasCredito(Currency totalFactura, int codProveedor, QWidget *parent = nullptr);

    Currency TotalNotas() const { return total_; }
    EleccionNotas Eleccion(const QString &notaSaldo = QString()) const;
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
    void Cargar(int codProveedor);
    void Marcado(QTableWidgetItem *item);
    void Aplicar(const QString &notaSaldo);
    static Currency Leer(const QString &texto);

    Currency totalFactura_;
    Currency total_;
    bool cambiando_ = false;
    QPointer<TfrmSaldoNotaCredito> saldo_;

    QTableWidget *gNotas;
    QLabel *lblTotalFactura;
    QLabel *lblTotalNotas;
    QPushButton *btnAceptar;
    QPushButton *btnCancelar;
};
