#pragma once
// Families browser ("Familias"): the tree of families or the table with its filter, and the
// commands that add, modify, delete and print them.

#include "catalogs/Familias.h"

#include <QWidget>
#include <functional>
#include <memory>

class TFDatosComp;
class Reporte;
class ListadoCatalogo;
class QAction;
class QLineEdit;
class QMenu;
class QRadioButton;
class QTableView;
class QToolButton;
class QTreeView;
class ModeloArbolFamilias;
namespace db {
class DatasetModel;
}

class TfrmFamilias : public QWidget {
    Q_OBJECT
public:
    explicit TfrmFamilias(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmFamilias() override;

    enum class Vista { Arbol, Tabla };
    void CambiarVista(Vista vista);
    Vista vista() const { return vista_; }

    void RefrescarArbol();
    void FiltrarFamilias();
    QString SeleccionarFamilia() const;
    void AgregarFamilia();
    void ModificarFamilia();
    void EliminarFamilia();
    void ImprimirFamilias();

    // Shows the prepared printout; the preview by default (tests export it instead).
    std::function<void(Reporte &)> MostrarReporte;

    QToolButton *btnCerrar = nullptr, *btnAgregar = nullptr, *btnModificar = nullptr, *btnEliminar = nullptr,
                *btnImprimir = nullptr, *btnVista = nullptr;
    QAction *actArbol = nullptr, *actTabla = nullptr;
    QTreeView *tvFamilias = nullptr;
    ModeloArbolFamilias *arbol() const { return arbol_; }
    QWidget *pnlFiltro = nullptr;
    QLineEdit *edFiltro = nullptr;
    QRadioButton *rbCodigo = nullptr, *rbNombre = nullptr;
    QTableView *GridFamilias = nullptr;
    QMenu *mnuGrid = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    void AbrirFicha(bool nueva, const FilaFamilia &fila);
    void RefrescarDatos();

    TFDatosComp &datos_;
    CatalogoFamilias catalogo_;
    Vista vista_ = Vista::Arbol;
    db::DatasetModel *modelo_ = nullptr;
    ModeloArbolFamilias *arbol_ = nullptr;
    bool mostrada_ = false;
    std::unique_ptr<ListadoCatalogo> listado_;  // lives while its preview is open
};
