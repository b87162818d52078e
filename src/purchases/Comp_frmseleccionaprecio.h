#pragma once
// Purchase-price choice ("Seleccionar Precio de Compra"): for each article typed at several
// costs, the cost that becomes its purchase price. The choice stays with the document until
// the posting writes it.

#include "purchases/EntradaCompra.h"
#include "ui/UtilBusqueda.h"

#include <QWidget>

class QComboBox;
class QPushButton;
class QTableWidget;

class TfrmSeleccionaPrecioCompra : public QWidget {
    Q_OBJECT
public:
    TfrmSeleccionaPrecioCompra(EntradaCompra &entrada, const QStringList &codigos, QWidget *parent = nullptr);

    // Shows the window without blocking; `llamador` stays disabled until it closes.
    void AbrirDesde(QWidget *llamador);
    // The list of one row (column 3).
    QComboBox *ListaDeFila(int fila) const;

    QTableWidget *grdPrecios;
    QPushButton *btnAplicar;
    QPushButton *btnCerrar;

signals:
    // The entry goes on with its processing step.
    void preciosAplicados();
    void cerrada();

public slots:
    void btnAplicarClick();
    void btnCerrarClick();

protected:
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    EntradaCompra &entrada_;
    Llamador llamador_;
};
