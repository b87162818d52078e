#pragma once
// Family card ("Familia de Artículos"): adds or modifies one family.

#include "catalogs/Familias.h"
#include "ui/UtilBusqueda.h"

#include <QWidget>

class TFDatosComp;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class TfrmFichaFamilia : public QWidget {
    Q_OBJECT
public:
    // `origen` is "Arti" when the article card opens it, empty from the browser.
    TfrmFichaFamilia(TFDatosComp &datos, bool nueva, const QString &origen = QString(), QWidget *parent = nullptr);

    // Fills the controls from `fila` (modifying) or from a blank active family (adding).
    void Cargar(const FilaFamilia &fila);
    // Shows the card without blocking and disables `llamador` until it closes.
    void AbrirDesde(QWidget *llamador);
    FilaFamilia Fila() const;
    bool nueva() const { return nueva_; }

    QLineEdit *edCodigo = nullptr;
    QLineEdit *edNombre = nullptr;
    QCheckBox *chkPromocion = nullptr;
    QLineEdit *edNota = nullptr;
    QLineEdit *edPertenece = nullptr;
    QLineEdit *edNomPertenece = nullptr;
    QPushButton *btnBuscarPertenece = nullptr;
    QLabel *lblConsecutivo = nullptr;
    QSpinBox *edConsecutivo = nullptr;
    QLabel *lblNotaConsecutivo = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;

signals:
    // The family was saved (code and name), before the card closes.
    void familiaGuardada(const QString &codigo, const QString &nombre);
    void cerrada();

public slots:
    void btnAceptarClick();
    void btnCancelarClick();
    void edPerteneceExit();
    void btnBuscarPerteneceClick();

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    QWidget *ControlDe(FalloFamilia::Campo campo) const;

    TFDatosComp &datos_;
    CatalogoFamilias catalogo_;
    bool nueva_;
    QString origen_;
    FilaFamilia original_;
    Llamador llamador_;
};
