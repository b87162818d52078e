// The credit-note picker, its balance prompt and the notes related to an invoice.

#include "data/Comp_fdatos.h"
#include "creditnotes/Comp_frmnotacreditofactura.h"
#include "creditnotes/Comp_frmnotascredito.h"
#include "creditnotes/Comp_frmsaldonotacredito.h"
#include "support/EntornoPrueba.h"
#include "platform/Formato.h"
#include "support/PruebaVentanas.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <gtest/gtest.h>

using pruebas::Control;
using pruebas::Escribir;
using pruebas::Procesar;

namespace {

Currency C(const char *s) { return Currency::fromString(std::string(s)); }

class Picker : public ::testing::Test {
protected:
    EntornoPrueba env;
    QPointer<TfrmNotasCredito> frm;
    std::vector<EleccionNotas> aplicadas;

    void SetUp() override
    {
        // Supplier 15: three open notes, one assigned and one annulled that are not offered.
        for (const char *fila : {"'NC-A', 60, 'N', 'N', 5", "'NC-B', 70, 'N', 'N', 4", "'NC-C', 5, 'N', 'N', 3",
                                 "'NC-X', 80, 'S', 'N', 2", "'NC-Y', 90, 'N', 'S', 1"})
            EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into NOTAS_CREDITO_PROV (COMPROBANTE, IMP_TOTAL, "
                                                               "ASIGNADA, ANULADA, FECHA, COD_PROVEEDOR) select %1, "
                                                               "current_date - x, 15 from (select %2 as x from "
                                                               "rdb$database)")
                                                    .arg(QString::fromLatin1(fila).section(',', 0, 3),
                                                         QString::fromLatin1(fila).section(',', 4, 4)));
    }
    void Abrir(const char *total, int proveedor = 15)
    {
        frm = new TfrmNotasCredito(*env.datos, C(total), proveedor);
        QObject::connect(frm, &TfrmNotasCredito::aplicada, [this](const EleccionNotas &e) { aplicadas.push_back(e); });
        frm->show();
        Procesar();
    }
    QTableWidget *Grid() { return Control<QTableWidget>(frm, "gNotas"); }
    void Marcar(int fila, bool si)
    {
        Grid()->item(fila, 3)->setCheckState(si ? Qt::Checked : Qt::Unchecked);
        Procesar();
    }
    QString TotalNotas() { return Control<QLabel>(frm, "lblTotalNotas")->text(); }
};

TEST_F(Picker, NotesAreAddedWhileBelowTheTotalAndTheExcessAsksForABalanceNote)
{
    Abrir("100");
    ASSERT_EQ(Grid()->rowCount(), 3);
    EXPECT_EQ(Control<QLabel>(frm, "lblTotalFactura")->text(), "100.00");
    EXPECT_EQ(Grid()->item(0, 0)->text(), "NC-A");
    Marcar(0, true);
    Marcar(1, true);  // 60 < 100, so the second is accepted
    EXPECT_EQ(TotalNotas(), "130.00");
    Marcar(2, true);  // refused: already 130
    EXPECT_EQ(Grid()->item(2, 3)->checkState(), Qt::Unchecked);
    EXPECT_EQ(TotalNotas(), "130.00");

    Control<QPushButton>(frm, "btnAceptar")->click();
    Procesar();
    QPointer<TfrmSaldoNotaCredito> saldo = frm->Saldo();
    ASSERT_FALSE(saldo.isNull());
    EXPECT_FALSE(frm->isEnabled());
    Control<QPushButton>(saldo, "btnAceptar")->click();
    EXPECT_EQ(env.mensajes.mostrados().back().texto, "Este campo no puede quedar vacío");
    EXPECT_EQ(env.mensajes.mostrados().back().control, "Saldo_Nota");
    EXPECT_TRUE(aplicadas.empty());
    auto *numero = Control<QLineEdit>(saldo, "Saldo_Nota");
    numero->setFocus();
    Escribir(numero, "nc-saldo");
    Control<QPushButton>(saldo, "btnAceptar")->click();
    Procesar();
    ASSERT_EQ(aplicadas.size(), 1u);
    EXPECT_EQ(aplicadas[0].importe, C("130"));
    EXPECT_EQ(aplicadas[0].notaSaldo, "NC-SALDO");
    EXPECT_EQ(aplicadas[0].seleccionadas, (QStringList{"", "NC-A", "NC-B", ""}));
    EXPECT_TRUE(frm.isNull());
    EXPECT_TRUE(saldo.isNull());
}

TEST_F(Picker, UntickingSubtractsAndNotesUpToTheTotalNeedNoBalanceNote)
{
    Abrir("1000");
    Marcar(0, true);
    Marcar(1, true);
    Marcar(0, false);
    EXPECT_EQ(TotalNotas(), "70.00");
    Control<QPushButton>(frm, "btnAceptar")->click();
    Procesar();
    ASSERT_EQ(aplicadas.size(), 1u);
    EXPECT_EQ(aplicadas[0].importe, C("70"));
    EXPECT_TRUE(aplicadas[0].notaSaldo.isEmpty());
    EXPECT_TRUE(frm.isNull());
}

TEST_F(Picker, ASupplierWithoutOpenNotesShowsAnEmptyGrid)
{
    Abrir("100", 12345);
    EXPECT_EQ(Grid()->rowCount(), 0);
    Control<QPushButton>(frm, "btnAceptar")->click();
    Procesar();
    ASSERT_EQ(aplicadas.size(), 1u);
    EXPECT_EQ(aplicadas[0].importe, C("0"));
    // Cancelling hands nothing back.
    Abrir("100");
    Marcar(0, true);
    Control<QPushButton>(frm, "btnCancelar")->click();
    Procesar();
    EXPECT_EQ(aplicadas.size(), 1u);
}

TEST(NotasDeFactura, ListsTheInvoicesNotesWithItsAmounts)
{
    EntornoPrueba env;
    TFDatosComp &d = *env.datos;
    d.TFacturasCompra->close();
    EntornoPrueba::Ejecutar(env.tienda, "insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, IMP_TOTAL, FECHA, "
                                        "FACTURA_VENTA, ANULADA, ASIGNADA) select 'NC-F', CODIGO_PROVEEDOR, 25, current_date, "
                                        "COMPROBANTE, 'N', 'N' from FACTURAS_COMPRA where COMPROBANTE = '0045871'");
    d.TFacturasCompra->setSelectSql("select * from FACTURAS_COMPRA where COMPROBANTE = '0045871'");
    d.TFacturasCompra->open();
    ASSERT_FALSE(d.TFacturasCompra->isEmpty());
    QWidget detalle;
    detalle.show();
    QPointer<TfrmNotaCreditoFactura> v = TfrmNotaCreditoFactura::Abrir(d, &detalle);
    ASSERT_FALSE(v.isNull()) << env.mensajes.textos().join('|').toStdString();
    Procesar();
    EXPECT_EQ(Control<QTableView>(v, "GridNC")->model()->rowCount(), 1);
    EXPECT_EQ(Control<QLineEdit>(v, "edImporteFactura")->text(),
              FormatoMoneda(d.TFacturasCompra->fieldByName("IMPORTE_TOTAL").asCurrency()));
    EXPECT_FALSE(detalle.isEnabled());
    Control<QPushButton>(v, "btnCerrar")->click();
    Procesar();
    EXPECT_TRUE(v.isNull());
    EXPECT_TRUE(detalle.isEnabled());
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()
