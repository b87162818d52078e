#pragma once
// The filter the order lists share: a date range whose ends limit each other and a supplier
// field ("TODOS" for every supplier) with its choose and clear buttons.

#include <QDate>
#include <QString>

#include <functional>

class QDateEdit;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

struct PanelFiltroPedidos {
    QDateEdit *cmbFechaInicial = nullptr;
    QDateEdit *cmbFechaFinal = nullptr;
    QLineEdit *edProveedor = nullptr;
    QPushButton *btnFiltroProveedor = nullptr;
    QPushButton *btnElimFiltroProveedor = nullptr;
    QHBoxLayout *fila = nullptr;  // the labelled controls, for the window's layout
};

inline const QString kTodosProveedores = QStringLiteral("TODOS");

// Builds the panel on `ventana`, from `desde` to today; `alSalirFecha` runs after either date is
// left (the limits already applied).
PanelFiltroPedidos CrearFiltroPedidos(QWidget *ventana, const QDate &desde, const std::function<void()> &alSalirFecha);

// The final date's minimum becomes the initial date and the initial date's maximum the final one.
void LimitarFechas(QDateEdit *inicial, QDateEdit *final);

// A date edit as the order windows show it.
void PrepararFechaPedido(QDateEdit *fecha);
