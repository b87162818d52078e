#pragma once
// In-memory workbook: sheets of cells addressed (row, column) from 1, with the
// few styles the module writes. Read from .xls, .xlsx and .ods; written as .xlsx.

#include "platform/workbook/ErrorLibro.h"

#include <QColor>
#include <QDate>
#include <QString>

#include <map>
#include <memory>
#include <vector>

// Cell sides in the Borders mask.
enum BordeCelda : int {
    BordeArriba = 1,
    BordeAbajo = 2,
    BordeIzquierda = 4,
    BordeDerecha = 8,
    BordeTodos = 15,
};

struct CeldaLibro {
    enum class Tipo { Vacia, Texto, Numero, Booleano, Formula };
    Tipo tipo = Tipo::Vacia;
    QString texto;           // text, or the formula with its leading "="
    double numero = 0;       // number, boolean (0/1) or a formula's numeric result
    bool conResultado = false;  // formula: numero/textoResultado hold its last value
    QString textoResultado;  // formula with a text result
    QString formato;         // number format code; empty is General
    QString textoMostrado;   // text the file says it shows (.ods), when known

    QString fuente;          // empty: the workbook default
    double tamano = 0;       // points; 0: default
    bool negrita = false;
    bool cursiva = false;
    int bordes = 0;          // BordeCelda mask
    QColor fondo;            // invalid: none
};

struct HojaLibro {
    HojaLibro() = default;
    explicit HojaLibro(const QString &n) : nombre(n) {}

    QString nombre;
    bool protegida = false;
    std::map<std::pair<int, int>, CeldaLibro> celdas;
    std::map<int, double> anchos;  // column -> width in characters

    const CeldaLibro *celda(int fila, int columna) const;
    CeldaLibro &celdaParaEscribir(int fila, int columna);
    int ultimaFila() const;
    int ultimaColumna() const;
};

struct LibroHojas {
    std::vector<HojaLibro> hojas;
    bool fecha1904 = false;

    int indiceHoja(const QString &nombre, Qt::CaseSensitivity cs = Qt::CaseInsensitive) const;
};

// The value as a spreadsheet shows it under the cell's number format.
QString TextoVisible(const CeldaLibro &celda, bool fecha1904 = false);
// Spreadsheet serial day number (1900 system) of a date.
double SerialDeFecha(const QDate &fecha);
QDate FechaDeSerial(double serial, bool fecha1904 = false);

// Reads .xls (BIFF), .xlsx or .ods, told apart by content. Throws ErrorLibro
// with a Spanish message for a missing, corrupt, truncated, encrypted or
// unknown file.
LibroHojas LeerLibro(const QString &archivo);

// Writes .xlsx through a temporary file in the same folder, so a failure
// leaves any existing file untouched. Throws ErrorLibro.
void GuardarLibroXlsx(const LibroHojas &libro, const QString &archivo);

// Writes .xlsx sheet by sheet through a temporary file in the destination's
// folder; Guardar puts it in place. With constanteMemoria each finished row
// goes to disk, so rows must be written in ascending order (the cells of one
// row in any order). Every failure throws ErrorLibro and, like dropping the
// writer unsaved, leaves no file behind.
class EscritorXlsx {
public:
    EscritorXlsx(const QString &archivo, bool constanteMemoria);
    ~EscritorXlsx();
    EscritorXlsx(const EscritorXlsx &) = delete;
    EscritorXlsx &operator=(const EscritorXlsx &) = delete;

    void NuevaHoja(const QString &nombre);
    void Escribir(int fila, int columna, const CeldaLibro &celda);
    void Anchos(const std::map<int, double> &anchos);  // column -> width in characters
    void Proteger();
    void Guardar();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
