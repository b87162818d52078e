// The purchase voucher printed from a posted demo invoice, read back from the PDF.
#include "support/EntornoPrueba.h"
#include "platform/report/FuenteDatosReporte.h"
#include "platform/Formato.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {
QString TextoPdf(const QString &pdf)
{
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

TEST(Comprobante, PrintsTheInvoiceWithItsLinesAndSalePrices)
{
    EntornoPrueba env;
    TFDatosComp &d = *env.datos;
    d.TFacturasCompra->close();
    d.TFacturasCompra->setSelectSql("select first 1 f.* from FACTURAS_COMPRA f where f.ANULADA = 'N' and "
                                    "(select count(*) from DETALLE_FACTURAS_COMPRA x where x.ID_COMPRA = f.ID_COMPRA) > 1");
    d.TFacturasCompra->open();
    ASSERT_FALSE(d.TFacturasCompra->isEmpty());
    const int id = d.TFacturasCompra->fieldByName("ID_COMPRA").asInteger();
    const QString numero = d.TFacturasCompra->fieldByName("COMPROBANTE").asString();

    d.TInventario2->close();
    d.TInventario2->setSelectSql("select * from INVENTARIO");  // the lookup source of the sale price
    d.TInventario2->open();
    d.CamposImpresion = true;
    d.TDetCom->close();
    d.TDetCom->setSelectSql("select * from DETALLE_FACTURAS_COMPRA where ID_COMPRA = :id order by ID_DETALLE_FACTURA");
    d.TDetCom->paramByName("id").setAsInteger(id);
    d.TDetCom->open();
    d.CamposImpresion = false;

    FuenteDataset<db::Dataset> lineas(*d.TDetCom);
    d.dsReporte.setDataSet(&lineas);
    d.Reporte.setDataSet(&d.dsReporte);
    d.Reporte.LoadFromFile(QStringLiteral(COMPRAS_REPORTES) + QStringLiteral("/comp_RespaldoComprobante.fr3"));
    auto v = [&](const char *n, const QString &t) { d.Reporte.Variables[n] = Reporte::QuotedStr(t); };
    for (const char *e : {"Encabezado1", "Encabezado2", "Encabezado3", "Encabezado4"})
        v(e, QString());
    v("Encabezado1", d.DatosEmpresa->fieldByName("NOMBRE_EMPRESA").asString());
    v("NroFactura", numero);
    v("Proveedor", d.TFacturasCompra->fieldByName("NOMBRE").asString());
    v("Total", FormatoMoneda(d.TFacturasCompra->fieldByName("IMPORTE_TOTAL").asCurrency()));
    const QString pdf = env.carpeta.file("comprobante.pdf");
    d.Reporte.PrepareReport();
    d.Reporte.ExportToPdf(pdf);
    const QString texto = TextoPdf(pdf);
    if (qEnvironmentVariableIsSet("VER_PDF")) qInfo("%s", qPrintable(texto));

    EXPECT_TRUE(texto.contains(numero));
    EXPECT_TRUE(texto.contains(d.DatosEmpresa->fieldByName("NOMBRE_EMPRESA").asString()));
    EXPECT_TRUE(texto.contains(FormatoMoneda(d.TFacturasCompra->fieldByName("IMPORTE_TOTAL").asCurrency())));
    int filas = 0;
    for (d.TDetCom->first(); !d.TDetCom->eof(); d.TDetCom->next(), ++filas) {
        EXPECT_TRUE(texto.contains(d.TDetCom->fieldByName("CODIGO_ARTICULO").asString()));
        // The sale price comes from the article through the lookup field.
        const Currency precio = d.TDetCom->fieldByName("PrecioVenta").asCurrency();
        EXPECT_GT(precio, Currency());
        EXPECT_TRUE(texto.contains(FormatoMoneda(precio))) << FormatoMoneda(precio).toStdString();
    }
    EXPECT_GT(filas, 1);
}

#include "support/PruebaVentanas.h"
PRUEBAS_CON_VENTANAS_MAIN()
