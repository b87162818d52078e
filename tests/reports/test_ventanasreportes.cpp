// The report windows as the user reaches them: the purchases browser's report menu, the
// export window and the goods-receipt report opened by the host.
#include "host/Comp_exports.h"
#include "purchases/Comp_frmprincipalcompras.h"
#include "reports/Comp_frmexportaraexcel.h"
#include "reports/Comp_frmfechasreporte.h"
#include "reports/Comp_frmreporteentrada.h"
#include "reports/DatosReportes.h"
#include "support/PruebaVentanas.h"
#include "platform/VariablesHost.h"
#include "platform/workbook/LibroHojas.h"

#include <QAction>
#include <QDateEdit>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace datosreportes;
using pruebas::CerrarVentanas;
using pruebas::Control;
using pruebas::Procesar;
using pruebas::Ventana;

namespace {

// September 2031 in a pair of date edits that limit each other when left.
void Periodo(QDateEdit *inicial, QDateEdit *final)
{
    final->setDate(QDate(2031, 9, 30));
    emit final->editingFinished();
    inicial->setDate(QDate(2031, 9, 1));
    emit inicial->editingFinished();
    Procesar();
}

struct CierreVentanas {
    ~CierreVentanas() { CerrarVentanas(frmPrincipalCompras); }
};

class VentanasReportes : public ::testing::Test {
protected:
    void SetUp() override
    {
        CargarVariable(QStringLiteral("PathReportes"), QStringLiteral(COMPRAS_REPORTES_FUENTE) + QLatin1Char('/'));
        Insertar(env.tienda, {8000060, "2031-09-02", "V-1", 1, "DFV", "100", "0", "0", "13", "113", "0"});
        Linea(env.tienda, 8000060, "2031-09-02", "V-1", "ART-V1", "ARTICULO V1", 1, "100", "100");
        AbrirCompras(true);
        Procesar();
        navegador = frmPrincipalCompras;
        ASSERT_NE(navegador, nullptr);
        Periodo(Control<QDateEdit>(navegador, "cmbFechaInicial"), Control<QDateEdit>(navegador, "cmbFechaFinal"));
    }

    EntornoPrueba env;
    CierreVentanas cierre;
    TfrmPrincipalCompras *navegador = nullptr;
};

} // namespace

TEST_F(VentanasReportes, ReportMenuOpensThePeriodWindowWithTheBrowsersDatesAndPrints)
{
    Control<QAction>(navegador, "mnuResumenCompras")->trigger();
    Procesar();
    auto *frm = Ventana<TfrmFechasReporte>();
    ASSERT_NE(frm, nullptr);
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Reportes"));
    EXPECT_FALSE(navegador->isEnabled());
    EXPECT_EQ(Control<QDateEdit>(frm, "FechaInicio")->date(), QDate(2031, 9, 1));
    EXPECT_EQ(Control<QDateEdit>(frm, "FechaFin")->date(), QDate(2031, 9, 30));
    EXPECT_TRUE(Control<QRadioButton>(frm, "rdbTotales")->isVisible());
    EXPECT_EQ(Control<QDateEdit>(frm, "FechaFin")->minimumDate(), QDate(2031, 9, 1));
    EXPECT_FALSE(Control<QRadioButton>(frm, "rBtn_Moneda2")->text().isEmpty());

    const QString pdf = env.carpeta.file("resumen.pdf");
    frm->MostrarReporte = [&](Reporte &r) { r.ExportToPdf(pdf); };
    Control<QPushButton>(frm, "btnAceptar")->click();
    Procesar();
    EXPECT_EQ(Ventana<TfrmFechasReporte>(), nullptr) << "closes after printing";
    EXPECT_TRUE(navegador->isEnabled());
    const QString t = TextoPdf(pdf);
    EXPECT_TRUE(Renglon(t, QStringLiteral("Totales (")).contains(QStringLiteral("113.00"))) << t.toStdString();

    // The detail has no "Totales" choice.
    Control<QAction>(navegador, "mnuDetalleCompras")->trigger();
    Procesar();
    frm = Ventana<TfrmFechasReporte>();
    ASSERT_NE(frm, nullptr);
    EXPECT_FALSE(Control<QRadioButton>(frm, "rdbTotales")->isVisible());
    EXPECT_EQ(frm->Pedido().tipo, TipoReportePeriodo::DetalleCompras);
    Control<QPushButton>(frm, "btnCerrar")->click();
    Procesar();
    EXPECT_TRUE(navegador->isEnabled());
}

TEST_F(VentanasReportes, ExportMenuWritesTheWorkbookAndCancellingTheDialogKeepsTheWindow)
{
    Control<QAction>(navegador, "mnuExportarExcel")->trigger();
    Procesar();
    auto *frm = Ventana<TfrmExportarAExcel>();
    ASSERT_NE(frm, nullptr);
    EXPECT_EQ(frm->size(), QSize(366, 260));
    EXPECT_FALSE(navegador->isEnabled());
    Periodo(Control<QDateEdit>(frm, "fechaInicial"), Control<QDateEdit>(frm, "fechaFinal"));
    EXPECT_EQ(Control<QDateEdit>(frm, "fechaInicial")->maximumDate(), QDate(2031, 9, 30));

    frm->PedirArchivo = [] { return QString(); };
    Control<QPushButton>(frm, "btoAceptar")->click();
    Procesar();
    ASSERT_EQ(Ventana<TfrmExportarAExcel>(), frm) << "a cancelled dialog leaves the window open";

    const QString archivo = env.carpeta.file("septiembre");
    frm->PedirArchivo = [&] { return archivo; };
    Control<QRadioButton>(frm, "ckDetalle")->setChecked(true);
    Control<QPushButton>(frm, "btoAceptar")->click();
    Procesar();
    EXPECT_EQ(Ventana<TfrmExportarAExcel>(), nullptr);
    EXPECT_TRUE(navegador->isEnabled());
    EXPECT_TRUE(QFileInfo::exists(archivo + QStringLiteral(".xlsx")));
    EXPECT_TRUE(env.mensajes.Mostro(
        QStringLiteral("El archivo  \"%1.xlsx\"  se generó correctamente!").arg(archivo)));
    const HojaLibro h = LeerLibro(archivo + QStringLiteral(".xlsx")).hojas.at(0);
    EXPECT_EQ(h.celda(5, 1)->texto, QStringLiteral("ART-V1"));
}

TEST_F(VentanasReportes, GoodsReceiptWindowPicksLinesEditsTheHeaderAndPrints)
{
    AbrirReporteEntrada();
    Procesar();
    auto *frm = Ventana<TfrmReporteEntrada>();
    ASSERT_NE(frm, nullptr);
    EXPECT_EQ(VerVariable(QStringLiteral("venRepEntrada")), QStringLiteral("S"));
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Reporte de Entrada de Mercancía"));
    Control<QDateEdit>(frm, "edFechaInicial")->setDate(QDate(2031, 9, 1));
    Control<QDateEdit>(frm, "edFechaFinal")->setDate(QDate(2031, 9, 30));
    Procesar();
    ASSERT_EQ(frm->Facturas().size(), 1u);
    EXPECT_EQ(Control<QTableWidget>(frm, "grdLineas")->rowCount(), 1);
    auto *borrar = Control<QPushButton>(frm, "btnBorrarArticulo");
    EXPECT_FALSE(borrar->isEnabled());

    Control<QPushButton>(frm, "btnAgregarFacturas")->click();
    EXPECT_EQ(Control<QTableWidget>(frm, "grdReporte")->rowCount(), 1);
    EXPECT_TRUE(borrar->isEnabled());
    Control<QPushButton>(frm, "btnAgregarTodos")->click();
    EXPECT_EQ(Control<QTableWidget>(frm, "grdReporte")->rowCount(), 2);
    borrar->click();
    EXPECT_EQ(Control<QTableWidget>(frm, "grdReporte")->rowCount(), 1);

    frm->EditarEncabezado = [](EncabezadoEntrada &e) {
        e.destino = QStringLiteral("PUERTO {1} 'B'");
        return true;
    };
    Control<QAction>(frm, "mnuDatosEncabezado")->trigger();
    const QString pdf = env.carpeta.file("entrada.pdf");
    frm->MostrarReporte = [&](Reporte &r) { r.ExportToPdf(pdf); };
    Control<QAction>(frm, "mnuImprimirReporte")->trigger();
    const QString t = TextoPdf(pdf);
    EXPECT_TRUE(t.contains(QStringLiteral("PUERTO {1} 'B'"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("ARTICULO V1")));
    EXPECT_TRUE(env.mensajes.mostrados().empty());

    frm->close();
    Procesar();
    EXPECT_EQ(VerVariable(QStringLiteral("venRepEntrada")), QStringLiteral("N"));
}

PRUEBAS_CON_VENTANAS_MAIN()
