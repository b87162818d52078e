#pragma once
// Warehouse search ("Buscar Bodega"): where purchase entry sends the goods received.

#include "catalogs/BusquedaBodegas.h"
#include "ui/UtilBusqueda.h"

#include <QWidget>
#include <optional>

class TFDatosComp;

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;

class TfrmBuscarBodega : public QWidget {
    Q_OBJECT
public:
    explicit TfrmBuscarBodega(TFDatosComp &datos, QWidget *parent = nullptr);

    // Shows the window without blocking and disables `llamador` until it closes.
    void AbrirDesde(QWidget *llamador);
    void FiltrarBodegas();

    QLineEdit *edBuscar = nullptr;
    QTableView *GridBodegas = nullptr;
    QCheckBox *chkPrincipal = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;

signals:
    void bodegaElegida(const QString &codigo, const QString &descripcion, bool principal);
    void cerrada();

public slots:
    void btnAceptarClick();
    void btnCancelarClick();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    TFDatosComp &datos_;
    db::DatasetModel *modelo_ = nullptr;
    Llamador llamador_;
};
