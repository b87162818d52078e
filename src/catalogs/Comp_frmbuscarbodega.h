#pragma once
// Warehouse search ("Buscar Bodega"): where purchase entry sends the goods received.

#include "catalogs/UtilBusqueda.h"

#include <QWidget>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;

// Destination of the goods received.
struct DestinoCompra {
    QString codigo;       // COD_BODEGA; "000" for the main inventory
    QString descripcion;  // what purchase entry shows in edDestino
    bool principal = false;
};

inline const QString kBodegaPrincipal = QStringLiteral("000");
inline const QString kNombreInventarioPrincipal = QStringLiteral("INVENTARIO PRINCIPAL");

// The warehouse list: a text matches the code exactly or the description (any case), the
// main inventory included; no text lists every other warehouse. By description.
ConsultaFiltrada ConsultaBodegas(const QString &texto);
// The pick: the main inventory when `principal` is ticked, else the current row of `bodegas`;
// nothing when neither (empty list).
std::optional<DestinoCompra> DestinoElegido(bool principal, db::Dataset &bodegas);

class TfrmBuscarBodega : public QWidget {
    Q_OBJECT
public:
    explicit TfrmBuscarBodega(QWidget *parent = nullptr);

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
    db::DatasetModel *modelo_ = nullptr;
    Llamador llamador_;
};
