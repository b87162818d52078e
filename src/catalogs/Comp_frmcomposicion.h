#pragma once
// Component chooser ("Seleccionar Artículo para Composición") opened by the article card: an
// existing article, a quantity and, for a fractioned article, one of its fractions.

#include "catalogs/Composiciones.h"
#include "catalogs/Comp_frmeleccion.h"
#include "platform/Currency.h"

#include <functional>
#include <vector>

class TFDatosComp;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;
namespace db {
class Dataset;
class DatasetModel;
}

class TfrmComposicion : public VentanaEleccion {
    Q_OBJECT
public:
    explicit TfrmComposicion(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmComposicion() override;

    // Receives the accepted component: the quantity to four decimals, not yet times the fraction.
    std::function<void(const QString &codigo, const QString &nombre, const Currency &costo, const Currency &cantidad,
                       bool fraccionado, int idFraccion)>
        AgregarCompuesto;

    void BuscarArticulo();
    void VerFraccionado();
    // The family chosen in the family search; an empty code means every family.
    void ElegirFamilia(const QString &codigo, const QString &nombre);
    const QString &Familia() const { return familia_; }
    // Ids parallel to the items of cbFraccion.
    const std::vector<Composiciones::FraccionArticulo> &Fracciones() const { return fracciones_; }

    QLineEdit *edFamilia = nullptr;
    QPushButton *btnFamilia = nullptr;
    QPushButton *btnTodas = nullptr;
    QLineEdit *edArticulo = nullptr;
    QTableView *GridArticulos = nullptr;
    QLineEdit *edCantidad = nullptr;
    QCheckBox *chkFraccionado = nullptr;
    QComboBox *cbFraccion = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;

public slots:
    void btnAceptarClick();
    void btnFamiliaClick();

protected:
    void AlMostrar() override;

private:
    TFDatosComp &datos_;
    db::Dataset *ds_ = nullptr;
    db::DatasetModel *modelo_ = nullptr;
    QString familia_;
    std::vector<Composiciones::FraccionArticulo> fracciones_;
    bool mostrada_ = false;
};
