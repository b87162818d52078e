#pragma once
// Article search ("Buscar Artículos") opened by purchase entry and the order editor.
// The chosen code goes back through articuloElegido; the opener puts it into its code field
// and runs its code-exit step.

#include "catalogs/BusquedaArticulos.h"
#include "ui/UtilBusqueda.h"

class BuscadorArticulos;

#include <QWidget>
#include <functional>

class TFDatosComp;

class QLineEdit;
class QPushButton;
class QTimer;
class QTableView;

class TfrmBuscarArticulos : public QWidget {
    Q_OBJECT
public:
    explicit TfrmBuscarArticulos(TFDatosComp &datos, QWidget *parent = nullptr);

    // "AgregarCompra" (purchase entry) or "AgregarPedido" (order editor); set before showing.
    QString Origen;

    // Shows the window without blocking and disables `llamador` until it closes.
    void AbrirDesde(QWidget *llamador);

    // Starts the search of the text typed on the worker and returns at once; the grid shows the
    // list when it arrives (only the newest text's list is ever shown).
    void FiltrarArticulos();
    // Typing only schedules the search: keys that arrive within kEsperaTeclas ms of each other
    // (a bar-code scanner) run it once, for the latest text. Accepting runs a pending one first.
    static constexpr int kEsperaTeclas = 50;
    // Longest wait for the list of the text typed when the user asks for it (Enter, arrows).
    static constexpr int kEsperaLista = 20000;
    // True while a search is scheduled or its list has not arrived.
    bool BusquedaPendiente() const;
    // Runs the scheduled search now and waits for its list (nothing when none is pending).
    void AplicarBusquedaPendiente();
    // The list shown in the grid; nullptr before the first one arrives.
    db::Dataset *Lista() const;
    BuscadorArticulos &Buscador() { return *buscador_; }
    // Opens the article card when the user may add articles.
    void AgregarArticulo();
    // Called by the article card once it has saved: searches the new code.
    void ArticuloCreado(const QString &codigo);

    // Opens the article card for this search (caller tag "Buscar"); while unset the user is
    // told the card is not available.
    static inline std::function<void(TfrmBuscarArticulos &)> AbrirFichaArticulo;

    QLineEdit *edBuscar = nullptr;
    QTableView *GridArticulos = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;
    QPushButton *btnAgregar = nullptr;

signals:
    // Empty code when the list was empty.
    void articuloElegido(const QString &codigo, const QString &origen);
    void cerrada();

public slots:
    void btnAceptarClick();
    void btnCancelarClick();

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    TFDatosComp &datos_;
    bool teclaEnBusqueda(QKeyEvent *tecla);
    bool teclaFueraDeBusqueda(QKeyEvent *tecla);

    db::DatasetModel *modelo_ = nullptr;
    QTimer *espera_ = nullptr;
    BuscadorArticulos *buscador_ = nullptr;
    Llamador llamador_;
};
