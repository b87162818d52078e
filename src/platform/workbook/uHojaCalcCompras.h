#pragma once
// Spreadsheet object: opens or creates a workbook, moves between sheets, reads
// and writes cells and saves, with 1-based sheets, rows and columns. The work
// is done in-process (.xls, .xlsx and .ods are read; .xlsx is written);
// "showing" a document hands its file to the desktop's spreadsheet program.
// Failures raise ErrorLibro.

#include "platform/workbook/LibroHojas.h"

#include <QColor>
#include <memory>
#include <QDate>
#include <QString>
#include <QUrl>

#include <functional>

enum TTipoHojaCalc { thcError, thcNone, thcExcel, thcOpenOffice };

class QTemporaryDir;

class THojaCalc {
public:
    // New empty document. thcExcel works the Excel way (a new sheet goes next
    // to the active one); thcNone and thcOpenOffice the OpenOffice way.
    THojaCalc(TTipoHojaCalc tipo, bool visible);
    // Loads `archivo` (".xls" picks the Excel way).
    THojaCalc(const QString &archivo, bool visible);
    ~THojaCalc();

    void LoadProg();
    void CloseProg();
    bool GetProgLoaded() const { return Tipo == thcExcel || Tipo == thcOpenOffice; }
    bool GetIsExcel() const { return Tipo == thcExcel; }
    bool GetIsOpenOffice() const { return Tipo == thcOpenOffice; }
    bool GetDocLoaded() const { return docCargado_; }

    void NewDoc();
    void LoadDoc();
    // Saves as .xlsx: under FileName with its extension made ".xlsx".
    void SaveDoc();
    void SaveDocAs(const QString &archivo, bool excel97 = false);
    void PrintDoc();
    void ShowPrintPreview();
    void SetVisible(bool visible);
    void CloseDoc();

    int GetCountSheets() const;
    bool ActivateSheetByIndex(int n);
    bool ActivateSheetByName(const QString &nombre, bool sensibleMayusculas);
    QString GetActiveSheetName() const;
    void SetActiveSheetName(const QString &nombre);
    bool IsActiveSheetProtected() const;
    void AddNewSheet(const QString &nombre);
    void PrintActiveSheet();
    void PrintSheetsUntil(const QString &nombre);
    QString ValidateSheetName(const QString &nombre) const;

    QString GetCellText(int fila, int columna) const;
    void SetCellText(int fila, int columna, const QString &texto);
    QString GetCellFormula(int fila, int columna) const;
    void SetCellFormula(int fila, int columna, const QString &formula);
    void SendNumber(int fila, int columna, double valor);
    void SendDate(int fila, int columna, const QDate &fecha);
    QString GetCellTextByName(const QString &nombre);
    void SetCellTextByName(const QString &nombre, const QString &texto);

    void BackgroundColor(int fila, int columna, const QColor &color);
    void FontSize(int fila, int columna, double puntos);
    void Bold(int fila, int columna);
    // Width in hundredths of a millimetre, as the callers pass it.
    void ColumnWidth(int columna, int ancho);

    static QString FileName2URL(const QString &nombre);

    TTipoHojaCalc Tipo = thcNone;
    QString FileName;
    bool Visible = false;

    // Opens a file with the desktop's program; replaced in tests.
    static std::function<bool(const QUrl &)> AbrirEnEscritorio;

    const LibroHojas &Libro() const { return libro_; }

private:
    HojaLibro *hoja();
    const HojaLibro *hoja() const;
    void mostrar();
    void cargarPrograma(bool segunExtension);
    bool separarNombre(const QString &nombre, int &fila, int &columna);

    LibroHojas libro_;
    int activa_ = -1;
    bool docCargado_ = false;
    // Private folder (0700) of the copy printed from the desktop program; removed with this object.
    std::unique_ptr<QTemporaryDir> impresion_;
};
