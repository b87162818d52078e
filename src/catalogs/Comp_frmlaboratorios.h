#pragma once
// Laboratories list ("Laboratorios"), opened modally from the article card: add, rename
// (double click on a row) and delete laboratories.

#include "catalogs/Laboratorios.h"

#include <QDialog>

class TFDatosComp;
class QLineEdit;
class QPushButton;
class QTableView;
namespace db {
class Dataset;
class DatasetModel;
}

class TfrmLaboratorios : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLaboratorios(TFDatosComp &datos, QWidget *parent = nullptr);
    ~TfrmLaboratorios() override;

    void Refrescar(int idActual = -1);
    void btnAgregarClick();
    void btnBorrarClick();
    // Puts the current laboratory's name in the edit to rename it.
    void Modificar();
    // Enter in the name: saves the row being added or renamed. False when refused.
    bool Guardar();
    // Escape in the name: forgets the row being added or renamed.
    void CancelarEdicion();
    // Key of the current row; -1 when the list is empty.
    int IdActual() const;

    QTableView *GridLaboratorios = nullptr;
    QLineEdit *edNombre = nullptr;
    QPushButton *btnAgregar = nullptr;
    QPushButton *btnBorrar = nullptr;
    QPushButton *btnSalir = nullptr;

signals:
    void laboratoriosCambiados();

protected:
    bool eventFilter(QObject *objeto, QEvent *e) override;

private:
    // Puts the name edit in the state of editing `id` (0 a new row, -1 none).
    void Editar(int id, const QString &nombre);
    Laboratorios laboratorios_;
    db::Dataset *ds_ = nullptr;
    db::DatasetModel *modelo_ = nullptr;
    int editando_ = -1;  // key of the row renamed; 0 for a new one
};
