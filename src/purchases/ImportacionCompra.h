#pragma once
// Spreadsheet import of purchase lines into an entry: row 3 on, while column 1 is filled:
// code, name, quantity, unit cost, discount %, sale price, taxed and tax-included flags.
// Every row is read and checked before anything is written; a bad cell is reported by row
// and column and nothing changes. Sound rows are appended in one unit of work (unknown codes
// become INVENTARIO rows), all or none.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class EntradaCompra;
class THojaCalc;

// A spreadsheet cell that cannot be imported.
struct ErrorImportacion {
    int fila = 0;
    int columna = 0;
    QString texto;
};

struct ResultadoImportacion {
    bool ok = false;
    int lineas = 0;            // lines added
    int articulosCreados = 0;  // unknown codes added to INVENTARIO
    QString mensaje;           // the failure, or on success the notice of rounded cells
    QStringList avisos;        // cells with more than four decimals, rounded
    std::vector<ErrorImportacion> errores;
};

class ImportacionCompra {
public:
    explicit ImportacionCompra(EntradaCompra &entrada) : entrada_(entrada) {}

    // progreso(done, total) after each row written.
    ResultadoImportacion ImportarHoja(const THojaCalc &hoja, const std::function<void(int, int)> &progreso = {});
    ResultadoImportacion ImportarArchivo(const QString &archivo, const std::function<void(int, int)> &progreso = {});

    // The template workbook (titles in rows 1 and 2) written to `archivo` (.xlsx).
    static bool EscribirPlantilla(const QString &archivo, QString *error = nullptr);
    // Copies the template from `carpetaReportes` into `carpetaDocumentos`; the copy's path,
    // or empty with the message in `error`.
    static QString CopiarPlantilla(const QString &carpetaReportes, const QString &carpetaDocumentos, QString *error);

private:
    EntradaCompra &entrada_;
};
