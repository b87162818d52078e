#include "platform/report/VistaPreviaReporte.h"

#include "platform/report/Reporte.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

VistaPreviaReporte::VistaPreviaReporte(Reporte &reporte, QWidget *parent)
    : QDialog(parent), reporte_(reporte), printer_(std::make_unique<QPrinter>(QPrinter::ScreenResolution))
{
    setObjectName(QStringLiteral("VistaPreviaReporte"));
    setWindowTitle(reporte.Titulo.isEmpty() ? QStringLiteral("Vista previa")
                                            : QStringLiteral("Vista previa - %1").arg(reporte.Titulo));
    resize(900, 700);

    auto *barra = new QToolBar(this);
    vista_ = new QPrintPreviewWidget(printer_.get(), this);
    vista_->setObjectName(QStringLiteral("vista"));
    connect(vista_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter *printer) {
        try {
            reporte_.Print(printer);
        } catch (const ErrorReporte &e) {
            informarError(e.mensaje());
        }
    });
    connect(vista_, &QPrintPreviewWidget::previewChanged, this, &VistaPreviaReporte::actualizarPagina);

    auto accion = [&](const QString &nombre, const QString &texto, auto &&slot) {
        QAction *a = barra->addAction(texto);
        a->setObjectName(nombre);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    // First, so a narrow window never moves it into the tool bar's overflow.
    accion(QStringLiteral("actCerrar"), QStringLiteral("Cerrar"), [this] { accept(); });
    barra->addSeparator();
    accion(QStringLiteral("actPrimera"), QStringLiteral("|<"), [this] { vista_->setCurrentPage(1); actualizarPagina(); });
    accion(QStringLiteral("actAnterior"), QStringLiteral("<"), [this] {
        vista_->setCurrentPage(std::max(1, vista_->currentPage() - 1));
        actualizarPagina();
    });
    lblPagina_ = new QLabel(this);
    barra->addWidget(lblPagina_);
    accion(QStringLiteral("actSiguiente"), QStringLiteral(">"), [this] {
        vista_->setCurrentPage(std::min(vista_->pageCount(), vista_->currentPage() + 1));
        actualizarPagina();
    });
    accion(QStringLiteral("actUltima"), QStringLiteral(">|"), [this] { vista_->setCurrentPage(vista_->pageCount()); actualizarPagina(); });
    barra->addSeparator();
    accion(QStringLiteral("actAcercar"), QStringLiteral("Acercar"), [this] { vista_->zoomIn(); });
    accion(QStringLiteral("actAlejar"), QStringLiteral("Alejar"), [this] { vista_->zoomOut(); });
    accion(QStringLiteral("actAncho"), QStringLiteral("Ancho de página"), [this] { vista_->fitToWidth(); });
    accion(QStringLiteral("actPagina"), QStringLiteral("Página completa"), [this] { vista_->fitInView(); });
    barra->addSeparator();
    accion(QStringLiteral("actImprimir"), QStringLiteral("Imprimir..."), [this] { imprimir(); });
    accion(QStringLiteral("actPdf"), QStringLiteral("Exportar a PDF..."), [this] {
        QString archivo = QFileDialog::getSaveFileName(this, QStringLiteral("Exportar a PDF"), QString(),
                                                       QStringLiteral("Documento PDF (*.pdf)"));
        if (!archivo.isEmpty())
            exportarPdf(archivo);
    });
    accion(QStringLiteral("actLibro"), QStringLiteral("Exportar a Excel..."), [this] {
        QString archivo = QFileDialog::getSaveFileName(this, QStringLiteral("Exportar a Excel"), QString(),
                                                       QStringLiteral("Libro de Excel (*.xlsx)"));
        if (!archivo.isEmpty())
            exportarLibro(archivo);
    });

    lblEstado_ = new QLabel(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(barra);
    layout->addWidget(vista_, 1);
    layout->addWidget(lblEstado_);
    vista_->fitToWidth();
}

VistaPreviaReporte::~VistaPreviaReporte() = default;

void VistaPreviaReporte::actualizarPagina()
{
    lblPagina_->setText(QStringLiteral(" Página %1 de %2 ").arg(vista_->currentPage()).arg(vista_->pageCount()));
}

void VistaPreviaReporte::imprimir()
{
    QPrinter printer(QPrinter::ScreenResolution);
    QPrintDialog dialogo(&printer, this);
    if (dialogo.exec() != QDialog::Accepted)
        return;
    try {
        reporte_.Print(&printer);
    } catch (const ErrorReporte &e) {
        informarError(e.mensaje());
    }
}

void VistaPreviaReporte::exportarPdf(const QString &archivo)
{
    try {
        reporte_.ExportToPdf(archivo);
        lblEstado_->setText(QStringLiteral("Se exportó \"%1\"").arg(archivo));
    } catch (const ErrorReporte &e) {
        informarError(e.mensaje());
    }
}

void VistaPreviaReporte::exportarLibro(const QString &archivo)
{
    try {
        reporte_.ExportToXlsx(archivo);
        lblEstado_->setText(QStringLiteral("Se exportó \"%1\"").arg(archivo));
    } catch (const ErrorReporte &e) {
        informarError(e.mensaje());
    }
}

void VistaPreviaReporte::informarError(const QString &mensaje)
{
    lblEstado_->setText(mensaje);
    if (reporte_.AlError)
        reporte_.AlError(mensaje);
}
