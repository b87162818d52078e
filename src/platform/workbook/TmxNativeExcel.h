#pragma once
// Spreadsheet-file writer used by the windows that export lists:
//
//   NewFile(); SetFileName(path); AddFont(regular); AddFont(bold);
//   SetActiveFont(1); Borders = BordeTodos; WriteLabel(1, 1, "Título"); ...
//   SetColumnWidth(1, 19); CloseFile(); SaveToFile();
//
// Rows and columns count from 1. Fonts are numbered from 0 in the order they
// were added. Borders is a BordeCelda mask (1 top, 2 bottom, 4 left, 8 right)
// applied to every cell written after it is set. Column widths are in
// characters. The file is always Office Open XML: SetFileName gives the name
// the ".xlsx" extension (replacing ".xls"/".xlsx", appended otherwise).

#include "platform/workbook/LibroHojas.h"

#include <QFont>
#include <QString>

#include <functional>

class TmxNativeExcel {
public:
    TmxNativeExcel() = default;

    void NewFile();
    // From the next NewFile on, cells go straight to the file as they are
    // written (set the file name first) instead of being kept until
    // SaveToFile: memory stays flat however many rows are written, but rows
    // must come in ascending order and Libro() stays empty. A row written
    // after a later one makes SaveToFile fail.
    void SetEscrituraDirecta(bool directa) { directa_ = directa; }
    void SetFileName(const QString &archivo);
    QString FileName() const { return archivo_; }

    int AddFont(const QFont &fuente);
    int AddFont(const QString &familia, double puntos, bool negrita, bool cursiva = false);
    void SetActiveFont(int indice);

    int Borders = 0;

    void WriteLabel(int fila, int columna, const QString &texto);
    void WriteNumber(int fila, int columna, double valor);
    void WriteInteger(int fila, int columna, qint64 valor);

    void SetColumnWidth(int columna, double ancho);
    void SetColumnWidth(int primera, int ultima, double ancho);

    void CloseFile();
    // Writes the workbook. Reports through AlInformar / AlError (when set)
    // the success message naming the file, or the failure message; returns
    // whether the file was written. A failure leaves no file behind.
    bool SaveToFile();

    // The whole workbook as written so far (one sheet).
    const LibroHojas &Libro() const { return libro_; }

    // Where the caller shows the outcome (nothing is shown when unset).
    std::function<void(const QString &)> AlInformar;
    std::function<void(const QString &)> AlError;

    static QString MensajeExito(const QString &archivo);
    static QString MensajeErrorGuardar();
    static QString NombreXlsx(const QString &archivo);

private:
    struct Fuente {
        QString familia;
        double puntos;
        bool negrita;
        bool cursiva;
    };
    CeldaLibro &celda(int fila, int columna);
    void escribir(int fila, int columna, CeldaLibro &c);
    void abrirDirecto();

    LibroHojas libro_;
    QString archivo_;
    std::vector<Fuente> fuentes_;
    int activa_ = -1;
    bool cerrado_ = false;
    bool directa_ = false;
    std::unique_ptr<EscritorXlsx> escritor_;
    bool falloDirecto_ = false;
    CeldaLibro suelta_;  // the cell being written when writing straight to the file
};
