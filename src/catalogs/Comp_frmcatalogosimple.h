#pragma once
// Browser, card and search of the small catalogues (units of measure, locations): one pattern,
// the differences in their DefCatalogo.

#include "catalogs/CatalogoSimple.h"
#include "ui/UtilBusqueda.h"
#include "ui/VentanaBusqueda.h"

#include <QWidget>
#include <functional>
#include <memory>

class TFDatosComp;
class Reporte;
class ListadoCatalogo;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;
namespace db {
class Dataset;
class DatasetModel;
}

class TfrmCatalogoSimple : public QWidget {
    Q_OBJECT
public:
    TfrmCatalogoSimple(TFDatosComp &datos, const DefCatalogo &def, db::Dataset &ds, QWidget *parent = nullptr);
    ~TfrmCatalogoSimple() override;

    void Filtrar();
    void Agregar();
    void Modificar();
    void Eliminar();
    void Imprimir();
    const DefCatalogo &def() const { return def_; }

    std::function<void(Reporte &)> MostrarReporte;

    QToolButton *btnCerrar = nullptr, *btnAgregar = nullptr, *btnModificar = nullptr, *btnEliminar = nullptr,
                *btnImprimir = nullptr;
    QLineEdit *edFiltro = nullptr;
    QTableView *Grid = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    void AbrirFicha(bool nueva);

    TFDatosComp &datos_;
    const DefCatalogo &def_;
    db::Dataset &ds_;
    db::DatasetModel *modelo_ = nullptr;
    CatalogoSimple catalogo_;
    bool mostrada_ = false;
    std::unique_ptr<ListadoCatalogo> listado_;
};

class TfrmFichaCatalogo : public QWidget {
    Q_OBJECT
public:
    TfrmFichaCatalogo(TFDatosComp &datos, const DefCatalogo &def, bool nueva, const QString &origen = QString(),
                      QWidget *parent = nullptr);

    void Cargar(const FilaCatalogo &fila);
    void AbrirDesde(QWidget *llamador);

    QLineEdit *edNombre = nullptr;
    QLineEdit *edUnidad = nullptr;  // units only
    QLineEdit *edNota = nullptr;
    QPushButton *btnAceptar = nullptr;
    QPushButton *btnCancelar = nullptr;

signals:
    // Saved: the key (the database's for a new row) and the name.
    void registroGuardado(int codigo, const QString &nombre);
    void cerrada();

public slots:
    void btnAceptarClick();
    void btnCancelarClick();

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    const DefCatalogo &def_;
    CatalogoSimple catalogo_;
    bool nueva_;
    QString origen_;
    FilaCatalogo fila_;
    Llamador llamador_;
};

class TfrmBuscarCatalogo : public VentanaBusqueda {
    Q_OBJECT
public:
    TfrmBuscarCatalogo(TFDatosComp &datos, const DefCatalogo &def, db::Dataset &ds, const QString &origen = QString(),
                       QWidget *parent = nullptr);

signals:
    void registroElegido(int codigo, const QString &nombre);

protected:
    ConsultaFiltrada Consulta(const QString &texto) const override;
    void ListaVacia() override;
    void Entregar() override;

private:
    const DefCatalogo &def_;
    QString origen_;
};
