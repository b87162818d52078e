#pragma once
// Preview window of a prepared report: page through, zoom, print and export.

#include <QDialog>

#include <memory>

class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class Reporte;

class VistaPreviaReporte : public QDialog {
    Q_OBJECT
public:
    explicit VistaPreviaReporte(Reporte &reporte, QWidget *parent = nullptr);
    ~VistaPreviaReporte() override;

    QPrintPreviewWidget *vista() const { return vista_; }

    void exportarPdf(const QString &archivo);
    void exportarLibro(const QString &archivo);

private:
    void actualizarPagina();
    void imprimir();
    void informarError(const QString &mensaje);

    Reporte &reporte_;
    std::unique_ptr<QPrinter> printer_;
    QPrintPreviewWidget *vista_ = nullptr;
    QLabel *lblPagina_ = nullptr;
    QLabel *lblEstado_ = nullptr;
};
