#pragma once
// Report engine: HTML templates filled by Mustache band by band, laid out by
// QTextDocument and paginated here. Usage, as every printout does it:
//
//   dsReporte.setDataSet(&lineas);                  // data link
//   reporte.setDataSet(&dsReporte);
//   reporte.LoadFromFile(pathReportes + "comp_X.fr3");   // loads comp_X.html
//   reporte.Variables["Fecha"] = Reporte::QuotedStr(fecha);
//   reporte.PrepareReport();
//   reporte.ShowReport();                           // or ExportToPdf(path)
//
// The template language is described in README.md beside this file.

#include "platform/report/ErrorReporte.h"
#include "platform/report/FuenteDatosReporte.h"

#include <QMap>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

// Named link between a template's data band (data-source="dsReporte") and the
// rows it prints. A detail link may name its master and the key fields; the
// engine then prints, under each master row, the detail rows whose
// CampoDetalle equals the master's CampoMaestro. AlCambiarMaestro, when set,
// runs before each master row's details are read (to reopen a query).
class ReporteDatos {
public:
    explicit ReporteDatos(const QString &userName = QStringLiteral("dsReporte")) : UserName(userName) {}

    void setDataSet(FuenteDatosReporte *fuente) { DataSet = fuente; }
    void EnlazarMaestro(ReporteDatos *maestro, const QString &campoMaestro, const QString &campoDetalle)
    {
        Maestro = maestro;
        CampoMaestro = campoMaestro;
        CampoDetalle = campoDetalle;
    }

    QString UserName;
    FuenteDatosReporte *DataSet = nullptr;
    ReporteDatos *Maestro = nullptr;
    QString CampoMaestro;
    QString CampoDetalle;
    std::function<void()> AlCambiarMaestro;
};

class Reporte {
public:
    Reporte();
    ~Reporte();
    Reporte(const Reporte &) = delete;
    Reporte &operator=(const Reporte &) = delete;

    // The main link and any further ones, found by UserName.
    void setDataSet(ReporteDatos *datos);
    void AgregarDatos(ReporteDatos *datos);
    void LimpiarDatos();

    // "dir/name.fr3" loads "dir/name.html" when that exists. Clears Variables.
    // Throws ErrorReporte for a missing or malformed template.
    void LoadFromFile(const QString &archivo);
    QString FileName() const;
    // The report's name for windows and documents: the template's <title> once loaded
    // (empty when it has none); callers may set another.
    QString Titulo;

    // Values are report expressions: a quoted literal ('text', inner quotes
    // doubled) is unquoted; anything else is taken as it stands.
    QMap<QString, QString> Variables;

    // Lays out every page without painting it, to a temporary spool the outputs
    // paint from. Throws ErrorReporte for an unknown band, variable or field, or
    // an unlinked data source.
    bool PrepareReport();
    int PageCount() const;

    // Preview window: page through, zoom, print, export to PDF or workbook.
    // Prepares first when needed.
    void ShowReport(QWidget *parent = nullptr);

    // Headless output; both prepare first when needed and throw ErrorReporte
    // when the file cannot be written.
    void ExportToPdf(const QString &archivo);
    void ExportToXlsx(const QString &archivo);
    // ExportToPdf paints a report of PaginasEnHilos pages or more on HilosPdf threads at
    // once (0: as many as the machine has, at most 2), each a contiguous part.
    int HilosPdf = 0;
    int PaginasEnHilos = 64;
    // Paints every prepared page on a printer (its resolution is set to the
    // layout resolution).
    void Print(QPrinter *printer);

    // 'text' with inner quotes doubled, as report variables expect.
    static QString QuotedStr(const QString &texto);

    // Errors met inside the preview window (export failures) go here.
    std::function<void(const QString &)> AlError;

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};
