#pragma once
// Family search ("Buscar Familia") and the order filter's family picker. Whoever opens one is
// disabled until it closes, however it closes, and receives the chosen family.

#include "ui/VentanaBusqueda.h"

#include <functional>

class TFDatosComp;

class TfrmBuscarFamilia : public VentanaBusqueda {
    Q_OBJECT
public:
    TfrmBuscarFamilia(TFDatosComp &datos, const QString &origen, QWidget *parent = nullptr);

    const QString &origen() const { return origen_; }

    QTableView *GridFamilias = nullptr;

signals:
    void familiaElegida(const QString &codigo, const QString &nombre);

protected:
    // `ds` is the dataset the grid shows; `columnas` its columns.
    TfrmBuscarFamilia(const QString &origen, db::Dataset &ds, const QList<db::DatasetModel::Column> &columnas,
                      QWidget *parent);
    ConsultaFiltrada Consulta(const QString &texto) const override;
    void ListaVacia() override;
    void Entregar() override;

private:
    QString origen_;
};

// Picker of an active family for the order filter: same contract, its own list and message.
class TfrmCambiarFamilia : public TfrmBuscarFamilia {
    Q_OBJECT
public:
    TfrmCambiarFamilia(TFDatosComp &datos, const QString &origen, QWidget *parent = nullptr);

protected:
    ConsultaFiltrada Consulta(const QString &texto) const override;
    void ListaVacia() override;
};

// Opens the family search for any caller: `llamador` stays disabled while it is open and
// `alElegir` receives the code and name of the family accepted (not called on cancel).
TfrmBuscarFamilia *BuscarFamilia(TFDatosComp &datos, QWidget *llamador, const QString &origen,
                                 std::function<void(const QString &codigo, const QString &nombre)> alElegir);
// The same with the order filter's picker.
TfrmCambiarFamilia *CambiarFamilia(TFDatosComp &datos, QWidget *llamador, const QString &origen,
                                   std::function<void(const QString &codigo, const QString &nombre)> alElegir);
