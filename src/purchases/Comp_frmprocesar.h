#pragma once
// Payment window "Procesar Comprobante": splits the invoice total into cash, cheque, credit and
// supplier credit notes and posts the invoice (ProcesoCompra), then offers the receipt.

#include "purchases/ComprobanteCompra.h"
#include "purchases/ProcesoCompra.h"

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class TFDatosComp;

class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class Reporte;
struct EleccionNotas;

// Amount edit with two decimals and a currency symbol in front.
class EdicionMoneda : public QLineEdit {
    Q_OBJECT
public:
    explicit EdicionMoneda(QWidget *parent = nullptr);
    Currency valor() const;
    void setValor(Currency v);
    void setSimbolo(const QString &simbolo);

protected:
    void focusOutEvent(QFocusEvent *e) override;

private:
    QString simbolo_;
};

class TfrmProcesar : public QWidget {
    Q_OBJECT
public:
    // The entry form's document; the totals are read from the station's work lines.
    TfrmProcesar(TFDatosComp &datos, const DocumentoCompra &documento, QWidget *parent = nullptr);
    TfrmProcesar(TFDatosComp &datos, const DocumentoCompra &documento, const TotalesCompra &totales,
                 QWidget *parent = nullptr);
    ~TfrmProcesar() override;

    // Disables `entrada` (the entry form) until this window closes without posting or posts.
    void AbrirDesde(QWidget *entrada);

    Currency Total() const { return total_; }
    const TotalesCompra &Totales() const { return totales_; }
    // Credit notes chosen in the picker: numbers by grid row (entry 0 unused), amount, flag and
    // the number for the note carrying their excess.
    QStringList NotasSeleccionadas;
    Currency ImporteNotas;
    bool NotasElegidas = false;
    QString NotaSaldo;

    // Applies the picker's choice to the payment edits.
    void AplicarNotas(const EleccionNotas &eleccion);
    // Adds the four amounts; when they make the total the accept button takes the focus.
    Currency SumaEdits();
    PagoCompra Pago() const;

    // The cheque's bank movement before posting (TfrmRegistrarCheque by default); false cancels.
    std::function<bool(MovimientoBanco &)> RegistrarCheque;
    // Shows the prepared receipt (preview by default).
    std::function<void(Reporte &)> MostrarReporte;
    // Prepares the receipt of a posted invoice on the data module's report.
    Reporte &PrepararComprobante(int idCompra);

    ProcesoCompra &Proceso() { return *proceso_; }

signals:
    void procesada(int idCompra);
    void cerrada();

public slots:
    void btnAceptarClick();
    void btnCancelarClick();
    void btnBuscarNotaClick();

protected:
    bool eventFilter(QObject *objeto, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    TFDatosComp &datos_;
    void Construir();
    void Mover(EdicionMoneda *desde, EdicionMoneda *hacia);

    DocumentoCompra documento_;
    TotalesCompra totales_;
    Currency total_;
    std::unique_ptr<ProcesoCompra> proceso_;
    std::unique_ptr<ComprobanteCompra> comprobante_;
    QPointer<QWidget> entrada_;
    bool procesada_ = false;

    QLabel *lblTotal;
    EdicionMoneda *edImpEfectivo;
    QRadioButton *rbCaja;
    QRadioButton *rbOtros;
    EdicionMoneda *edImpCheque;
    QLineEdit *edNumCheque;
    EdicionMoneda *edImpCredito;
    QSpinBox *edDias;
    EdicionMoneda *edImpNC;
    QPushButton *btnBuscarNota;
    QPushButton *btnAceptar;
    QPushButton *btnCancelar;
    QWidget *panelPago;
};
