#pragma once
// Family search ("Buscar Familia") and the order filter's family picker. Whoever opens one is
// disabled until it closes, however it closes, and receives the chosen family.

#include "ui/UtilBusqueda.h"

#include <QWidget>
#include <functional>

class TFDatosComp;
class QLineEdit;
class QPushButton;
class QTableView;
namespace db {
class Dataset;
}

class TfrmBuscarFamilia : public QWidget {
    Q_OBJECT
public:
    TfrmBuscarFamilia(TFDatosComp &datos, const QString &origen, QWidget *parent = nullptr);

    // Shows the window without blocking and disables `llamador` until it closes.
    void AbrirDesde(QWidget *llamador);
    virtual void Buscar();
    const QString &origen() const { return origen_; }

    QLineEdit *edBuscar = nullptr;
    QTableView *GridFamilias = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;

signals:
    void familiaElegida(const QString &codigo, const QString &nombre);
    void cerrada();

public slots:
    void btnAceptarClick();
    void btnCancelarClick();

protected:
    // `ds` is the dataset the grid shows; `columnas` its columns.
    TfrmBuscarFamilia(TFDatosComp &datos, const QString &origen, db::Dataset &ds,
                      const QList<db::DatasetModel::Column> &columnas, QWidget *parent);
    virtual void ListaVacia();
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

    TFDatosComp &datos_;
    db::Dataset &ds_;

private:
    QString origen_;
    db::DatasetModel *modelo_ = nullptr;
    Llamador llamador_;
};

// Picker of an active family for the order filter: same contract, its own list and message.
class TfrmCambiarFamilia : public TfrmBuscarFamilia {
    Q_OBJECT
public:
    TfrmCambiarFamilia(TFDatosComp &datos, const QString &origen, QWidget *parent = nullptr);
    void Buscar() override;

protected:
    void ListaVacia() override;
};

// Opens the family search for any caller: `llamador` stays disabled while it is open and
// `alElegir` receives the code and name of the family accepted (not called on cancel).
TfrmBuscarFamilia *BuscarFamilia(TFDatosComp &datos, QWidget *llamador, const QString &origen,
                                 std::function<void(const QString &codigo, const QString &nombre)> alElegir);
// The same with the order filter's picker.
TfrmCambiarFamilia *CambiarFamilia(TFDatosComp &datos, QWidget *llamador, const QString &origen,
                                   std::function<void(const QString &codigo, const QString &nombre)> alElegir);
