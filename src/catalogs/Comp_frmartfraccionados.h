#pragma once
// Fraction chooser ("Artículos Fraccionados") opened by the article card: one of the store's
// fraction definitions and the sale-price adjustment for the new article.

#include "catalogs/Comp_frmeleccion.h"
#include "platform/Currency.h"

#include <functional>

class TFDatosComp;
class QLineEdit;
class QPushButton;
class QTableView;
namespace db {
class Dataset;
class DatasetModel;
}

class TfrmArtFraccionados : public VentanaEleccion {
    Q_OBJECT
public:
    explicit TfrmArtFraccionados(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmArtFraccionados() override;

    // Assigns the fraction to the card's article; false when it already has it (the chooser
    // then says so and stays open).
    std::function<bool(const QString &presentacion, int idFraccion, const Currency &ajuste)> AgregarFraccionamiento;

    void CargarFracciones();
    // Copies the current definition's PORC_AJUSTE into the adjustment.
    void CopiarAjuste();

    QTableView *GridFracciones = nullptr;
    QLineEdit *edAjuste = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;

public slots:
    void btnAceptarClick();

protected:
    void AlMostrar() override;

private:
    TFDatosComp &datos_;
    db::Dataset *ds_ = nullptr;
    db::DatasetModel *modelo_ = nullptr;
};
