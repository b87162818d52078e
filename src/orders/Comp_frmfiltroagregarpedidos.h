#pragma once
// Replenishment filter: starts an order with the articles at or below their minimum stock,
// optionally of one supplier and one family.

#include "orders/Pedidos.h"

#include <QWidget>

#include <functional>
#include <memory>

class TFDatosComp;
class TfrmAgregarPedido;
class QLineEdit;
class QPushButton;

class TfrmFiltroAgregarPedidos : public QWidget {
    Q_OBJECT
public:
    explicit TfrmFiltroAgregarPedidos(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmFiltroAgregarPedidos() override;

    void EstablecerProveedor(int codigo, const QString &nombre);
    void EstablecerFamilia(const QString &codigo, const QString &nombre);

    QLineEdit *edProveedor = nullptr;
    QPushButton *btnProveedor = nullptr;
    QPushButton *btnElimProveedor = nullptr;
    QLineEdit *edFamilia = nullptr;
    QPushButton *btnFamilia = nullptr;
    QPushButton *btnElimFamilia = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;

signals:
    // The editor opened with the proposal (the filter closes right after).
    void editorAbierto(TfrmAgregarPedido *editor);
    void cerrada();

public slots:
    void btnAceptarClick();

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    TFDatosComp &datos_;
    std::unique_ptr<Pedidos> pedidos_;
    int codProveedor_ = 0;
    QString codFamilia_;
};
