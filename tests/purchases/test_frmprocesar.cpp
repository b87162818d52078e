// The payment window, the cheque dialog and the invoice detail, driven offscreen.

#include "purchases/PosteoPrueba.h"

#include "purchases/Comp_frmdetallefactura.h"
#include "creditnotes/Comp_frmnotascredito.h"
#include "purchases/Comp_frmprocesar.h"
#include "purchases/Comp_frmregistrarcheque.h"
#include "support/PruebaVentanas.h"
#include "platform/report/Reporte.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QHeaderView>

using namespace posteo;
using pruebas::Control;
using pruebas::Escribir;
using pruebas::Procesar;
using pruebas::Tecla;

namespace {

class VentanaProcesar : public ::testing::Test {
protected:
    EntornoPrueba env;
    QPointer<TfrmProcesar> frm;
    QWidget entrada;

    void SetUp() override
    {
        env.datos->CargarTipoCambio();
        Articulo(env, "ART-1", "10", "800");
        Encabezado(env.tienda, "PRUEBA", 1, "FC-V1");
        Linea(env.tienda, "PRUEBA", 1, "ART-1", 10, "1000");  // 11300
        auto p = ProcesoCompra::DesdeDatosComp(*env.datos);
        frm = new TfrmProcesar(*env.datos, p->DocumentoDeEstacion());
        frm->AbrirDesde(&entrada);
        Procesar();
    }
    void TearDown() override
    {
        if (frm)
            frm->close();
        Procesar();
    }
    EdicionMoneda *Ed(const char *n) { return Control<EdicionMoneda>(frm, n); }
};

TEST_F(VentanaProcesar, OpensWithTheWholeTotalInCashFromTheTill)
{
    EXPECT_EQ(Control<QLabel>(frm, "lblTotal")->text(), "11,300.00");
    EXPECT_EQ(Ed("edImpEfectivo")->valor(), C("11300"));
    EXPECT_TRUE(Control<QRadioButton>(frm, "rbCaja")->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(frm, "rbCaja")->isVisible());
    EXPECT_FALSE(entrada.isEnabled());
    EXPECT_EQ(frm->windowTitle(), "Procesar Comprobante");
}

TEST_F(VentanaProcesar, TextosCompletosYFilasQueNoSaltan)
{
    frm->move(0, 0);
    Procesar();
    ASSERT_LE(frm->width(), 1366);
    ASSERT_LE(frm->height(), 768);
    for (QLabel *l : frm->findChildren<QLabel *>()) {
        if (l->isVisible()) {
            EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
        }
    }
    for (QAbstractButton *b : frm->findChildren<QAbstractButton *>()) {
        if (b->isVisible()) {
            EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
        }
    }
    auto *cheque = Ed("edImpCheque");
    const QPoint antes = cheque->mapTo(frm, QPoint());
    Tecla(Ed("edImpEfectivo"), Qt::Key_Down);  // no cash: the till choice hides
    ASSERT_FALSE(Control<QRadioButton>(frm, "rbCaja")->isVisible());
    Procesar();
    EXPECT_EQ(cheque->mapTo(frm, QPoint()), antes);
}

TEST_F(VentanaProcesar, MontosSobreElLimiteLosRechazaLaVentana)
{
    auto *cheque = Ed("edImpCheque");
    cheque->setText(QStringLiteral("1,000,000,000.00"));
    Control<QPushButton>(frm, "btnAceptar")->click();
    Procesar();
    ASSERT_TRUE(frm);
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("El campo Cheque no puede ser mayor a 999,999,999.99.")));

    // Too long to be read as an amount: kept as typed on leaving, refused on Aceptar.
    cheque->setText(QString());
    auto *efectivo = Ed("edImpEfectivo");
    efectivo->setFocus();
    efectivo->setText(QStringLiteral("99999999999999999"));
    cheque->setFocus();
    Procesar();
    EXPECT_EQ(efectivo->text(), QStringLiteral("99999999999999999"));
    Control<QPushButton>(frm, "btnAceptar")->click();
    Procesar();
    ASSERT_TRUE(frm);
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("El campo Efectivo no puede ser mayor a 999,999,999.99.")));
}

TEST_F(VentanaProcesar, ArrowKeysMoveAmountsBetweenTheEdits)
{
    auto *efectivo = Ed("edImpEfectivo"), *credito = Ed("edImpCredito"), *cheque = Ed("edImpCheque");
    auto *dias = Control<QSpinBox>(frm, "edDias");
    auto *numero = Control<QLineEdit>(frm, "edNumCheque");
    Tecla(efectivo, Qt::Key_Down);
    EXPECT_EQ(efectivo->valor(), C("0"));
    EXPECT_EQ(credito->valor(), C("11300"));
    EXPECT_FALSE(Control<QRadioButton>(frm, "rbCaja")->isVisible());
    dias->setValue(30);
    Tecla(credito, Qt::Key_Down);
    EXPECT_EQ(cheque->valor(), C("11300"));
    EXPECT_EQ(dias->value(), 0);
    numero->setText("CH-1");
    Tecla(cheque, Qt::Key_Up);
    EXPECT_EQ(credito->valor(), C("11300"));
    EXPECT_TRUE(numero->text().isEmpty());
    Tecla(credito, Qt::Key_Up);
    EXPECT_EQ(efectivo->valor(), C("11300"));
    // Enter in cash fills credit with what is missing.
    efectivo->setValor(C("10000"));
    Tecla(efectivo, Qt::Key_Return);
    EXPECT_EQ(credito->valor(), C("1300"));
    // Typed letters of the cheque number come out in upper case.
    numero->setFocus();
    Escribir(numero, "ab-ñ");
    EXPECT_EQ(numero->text(), "AB-Ñ");
    // Escape in an amount goes back without posting.
    Tecla(efectivo, Qt::Key_Escape);
    EXPECT_TRUE(frm.isNull() || !frm->isVisible());
    EXPECT_TRUE(entrada.isEnabled());
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from FACTURAS_COMPRA where COMPROBANTE = 'FC-V1'"), 0);
}

TEST_F(VentanaProcesar, ValidationShowsBalloonsAndWritesNothing)
{
    Ed("edImpEfectivo")->setValor(C("6300"));
    Ed("edImpCredito")->setValor(C("5000"));
    Control<QPushButton>(frm, "btnAceptar")->click();
    ASSERT_FALSE(env.mensajes.mostrados().empty());
    EXPECT_EQ(env.mensajes.mostrados().back().control, "edDias");
    EXPECT_EQ(env.mensajes.mostrados().back().texto, "Debe digitar el número de días para el crédito");
    Control<QSpinBox>(frm, "edDias")->setValue(30);
    Ed("edImpEfectivo")->setValor(C("6200"));
    Control<QPushButton>(frm, "btnAceptar")->click();
    EXPECT_EQ(env.mensajes.mostrados().back().control, "btnAceptar");
    EXPECT_EQ(env.mensajes.mostrados().back().texto, "No se ha completado el Monto Total, falta: 100.00");
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from FACTURAS_COMPRA where COMPROBANTE = 'FC-V1'"), 0);
}

TEST_F(VentanaProcesar, AcceptingPostsPrintsOnRequestAndClosesTheEntry)
{
    const QString plantilla = QStringLiteral(COMPRAS_REPORTES_FUENTE "/comp_RespaldoComprobante.html");
    ASSERT_TRUE(QFile::copy(plantilla, env.carpeta.file("comp_RespaldoComprobante.html")));
    QMap<QString, QString> variables;
    int paginas = 0;
    frm->MostrarReporte = [&](Reporte &r) {
        variables = r.Variables;
        paginas = r.PageCount();
    };
    int id = 0;
    QObject::connect(frm, &TfrmProcesar::procesada, [&](int i) { id = i; });
    env.mensajes.Responder(Mensajes::Respuesta::Si);  // print
    Control<QPushButton>(frm, "btnAceptar")->click();
    Procesar();
    ASSERT_GT(id, 0) << env.mensajes.textos().join('|').toStdString();
    EXPECT_TRUE(env.mensajes.Mostro("Desea Imprimir el comprobante cargado?"));
    EXPECT_TRUE(env.mensajes.Mostro("La Factura de Compra se ha cargado correctamente"));
    EXPECT_EQ(variables.value("NroFactura"), "'FC-V1'");
    // The same money format as the reprint.
    EXPECT_EQ(variables.value("Total"), "'11,300.00'");
    EXPECT_EQ(variables.value("ImpEfectivo"), "'11,300.00'");
    EXPECT_EQ(variables.value("vLabelProveedor"), "''");
    EXPECT_EQ(variables.value("vMoneda1"), "'S'");
    EXPECT_GT(paginas, 0);
    EXPECT_TRUE(frm.isNull());
    EXPECT_FALSE(entrada.isVisible());
    EXPECT_FALSE(env.datos->TransaccionGlobal);
}

TEST_F(VentanaProcesar, ACancelledChequeLeavesTheWindowOpenAndNothingPosted)
{
    Ed("edImpEfectivo")->setValor(C("0"));
    Ed("edImpCheque")->setValor(C("11300"));
    MovimientoBanco visto;
    frm->RegistrarCheque = [&](MovimientoBanco &m) {
        visto = m;
        return false;
    };
    Control<QPushButton>(frm, "btnAceptar")->click();
    Procesar();
    ASSERT_FALSE(frm.isNull());
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(visto.importe, C("11300"));
    EXPECT_TRUE(Control<QPushButton>(frm, "btnAceptar")->isEnabled());
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from MOVIM_BANCO where CONCEPTO like '%FC-V1'"), 0);
}

TEST_F(VentanaProcesar, ChosenNotesFillTheEdits)
{
    EleccionNotas e;
    e.seleccionadas = {"", "NC-A", "NC-B"};
    e.importe = C("4000");
    frm->AplicarNotas(e);
    EXPECT_EQ(Ed("edImpNC")->valor(), C("4000"));
    EXPECT_EQ(Ed("edImpEfectivo")->valor(), C("7300"));
    EXPECT_TRUE(frm->NotasElegidas);
    e.importe = C("20000");
    e.notaSaldo = "NC-S";
    frm->AplicarNotas(e);
    EXPECT_EQ(Ed("edImpNC")->valor(), C("11300"));
    EXPECT_EQ(Ed("edImpEfectivo")->valor(), C("0"));
    EXPECT_EQ(frm->Pago().notaSaldo, "NC-S");
    EXPECT_EQ(frm->Pago().notasElegidas, (QStringList{"", "NC-A", "NC-B"}));
    // The picker opened again and closed without applying keeps the choice and its amount.
    Control<QPushButton>(frm, "btnBuscarNota")->click();
    Procesar();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->windowTitle() == "Notas de Crédito")
            w->close();
    Procesar();
    EXPECT_EQ(frm->Pago().notasElegidas, (QStringList{"", "NC-A", "NC-B"}));
    EXPECT_EQ(frm->Pago().notasCredito, C("11300"));
    // The amount cannot be typed: only chosen notes pay.
    EXPECT_TRUE(Ed("edImpNC")->isReadOnly());
    // An empty choice pays nothing with notes.
    e.importe = C("0");
    e.seleccionadas = {""};
    frm->AplicarNotas(e);
    EXPECT_FALSE(frm->NotasElegidas);
    EXPECT_EQ(Ed("edImpNC")->valor(), C("0"));
    EXPECT_EQ(frm->Pago().notasCredito, C("0"));
}

TEST(VentanaCheque, EditsTheMovementAndListsAccountsByName)
{
    EntornoPrueba env;
    MovimientoBanco m;
    m.idCuenta = 1;
    m.fecha = QDateTime(QDate(2024, 5, 6), QTime());
    m.importe = C("500");
    m.concepto = "Pago de Factura de Compra Nº X";
    TfrmRegistrarCheque d(*env.datos, m);
    d.open();
    auto *cuenta = Control<QComboBox>(&d, "cmbCuenta");
    ASSERT_EQ(cuenta->count(), 2);
    EXPECT_EQ(cuenta->itemText(0), "CUENTA CORRIENTE COLONES");
    cuenta->setCurrentIndex(1);
    auto *comprobante = Control<QLineEdit>(&d, "edComprobante");
    comprobante->setFocus();
    Escribir(comprobante, "ch-9");
    Control<QPushButton>(&d, "btnAceptar")->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(m.idCuenta, 2);
    EXPECT_EQ(m.comprobante, "CH-9");
    EXPECT_EQ(m.importe, C("500"));
}

class VentanaDetalle : public ::testing::Test {
protected:
    EntornoPrueba env;
    void Factura(const QString &where)
    {
        env.datos->TFacturasCompra->close();
        env.datos->TFacturasCompra->setSelectSql("select * from FACTURAS_COMPRA where " + where);
        env.datos->TFacturasCompra->open();
        const int id = env.datos->TFacturasCompra->fieldByName("ID_COMPRA").asInteger();
        env.datos->TDetCom->close();
        env.datos->TDetCom->setSelectSql(QStringLiteral("select * from DETALLE_FACTURAS_COMPRA where ID_COMPRA = %1").arg(id));
        env.datos->TDetCom->open();
    }
};

TEST_F(VentanaDetalle, ShowsTheInvoiceAndItsNotesOfTheSameSupplierOnly)
{
    Factura("COMPROBANTE = '0045871'");
    ASSERT_FALSE(env.datos->TFacturasCompra->isEmpty());
    const int proveedor = env.datos->TFacturasCompra->fieldByName("CODIGO_PROVEEDOR").asInteger();
    QWidget navegador;
    QPointer<TfrmDetalleFactura> v = new TfrmDetalleFactura(*env.datos);
    v->AbrirDesde(&navegador);
    Procesar();
    EXPECT_EQ(v->size(), QSize(774, 467));
    EXPECT_EQ(Control<QLabel>(v, "lblMonedaFactura")->text(), "Factura en Colones");
    {
        QHeaderView *h = Control<QTableView>(v, "GridDetalles")->horizontalHeader();
        for (int i = 0; i < h->count(); ++i)  // "Descuento" and the rest whole
            EXPECT_GE(h->sectionSize(i), h->sectionSizeHint(i)) << i;
    }
    EXPECT_EQ(Control<QTableView>(v, "GridDetalles")->model()->rowCount(),
              EntornoPrueba::Entero(env.tienda, "select count(*) from DETALLE_FACTURAS_COMPRA where COMPROBANTE = '0045871'"));
    EXPECT_FALSE(navegador.isEnabled());

    // Another supplier's note on the same number does not count.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, "
                                                       "IMP_TOTAL, FECHA, FACTURA_VENTA, ANULADA, ASIGNADA) values "
                                                       "('NC-OTRO', %1, 10, current_date, '0045871', 'N', 'N')")
                                            .arg(proveedor + 1000));
    Control<QPushButton>(v, "btnVerNotas")->click();
    Procesar();
    EXPECT_TRUE(env.mensajes.Mostro("No existen notas de Crédito asignadas a la factura: 0045871"));
    EXPECT_TRUE(v->isEnabled());

    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, "
                                                       "IMP_TOTAL, FECHA, FACTURA_VENTA, ANULADA, ASIGNADA) values "
                                                       "('NC-MIA', %1, 10, current_date, '0045871', 'N', 'N')")
                                            .arg(proveedor));
    Control<QPushButton>(v, "btnVerNotas")->click();
    Procesar();
    EXPECT_FALSE(v->isEnabled());
    QWidget *notas = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == "Notas de Crédito Relacionadas a la Factura")
            notas = w;
    ASSERT_NE(notas, nullptr);
    EXPECT_EQ(Control<QTableView>(notas, "GridNC")->model()->rowCount(), 1);
    Tecla(notas, Qt::Key_Escape);
    EXPECT_TRUE(v->isEnabled());

    // A note used to pay the invoice is related to it too.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into NOTAS_CREDITO_PROV (COMPROBANTE, COD_PROVEEDOR, "
                                                       "IMP_TOTAL, FECHA, APLICA_FACTURA, ANULADA, ASIGNADA) values "
                                                       "('NC-PAGO', %1, 10, current_date, '0045871', 'N', 'S')")
                                            .arg(proveedor));
    Control<QPushButton>(v, "btnVerNotas")->click();
    Procesar();
    notas = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == "Notas de Crédito Relacionadas a la Factura")
            notas = w;
    ASSERT_NE(notas, nullptr);
    EXPECT_EQ(Control<QTableView>(notas, "GridNC")->model()->rowCount(), 2);
    Tecla(notas, Qt::Key_Escape);
    Tecla(v, Qt::Key_Escape);
    EXPECT_TRUE(v.isNull());
    EXPECT_TRUE(navegador.isEnabled());
}

TEST_F(VentanaDetalle, NoCurrencyLabelWithoutMultipleCurrencies)
{
    EntornoPrueba::Ejecutar(env.tienda, "update CONFIGURACION set COMPRA_MULTIMONEDA = 'N'");
    env.datos->DatosConfig->refresh();
    Factura("COMPROBANTE = '0045871'");
    QPointer<TfrmDetalleFactura> v = new TfrmDetalleFactura(*env.datos);
    v->show();
    Procesar();
    EXPECT_FALSE(Control<QLabel>(v, "lblMonedaFactura")->isVisible());
    v->close();
    Procesar();
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()
