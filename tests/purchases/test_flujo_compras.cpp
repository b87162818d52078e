// The whole road of a purchase through the windows, as a user drives it: the browser opened by
// the host, a new invoice typed in and paid from the till, then annulled and deleted from the
// browser.

#include "host/Comp_exports.h"
#include "purchases/Comp_frmagregacompras.h"
#include "catalogs/Comp_frmcambiarproveedor.h"
#include "purchases/Comp_frmdetallefactura.h"
#include "purchases/Comp_frmprincipalcompras.h"
#include "purchases/Comp_frmprocesar.h"
#include "support/EntornoPrueba.h"
#include "support/PruebaVentanas.h"
#include "platform/report/Reporte.h"

#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <gtest/gtest.h>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const Currency &c, std::ostream *os) { *os << c.toString(); }

using pruebas::CerrarVentanas;
using pruebas::Control;
using pruebas::Escribir;
using pruebas::Procesar;
using pruebas::Reemplazar;
using pruebas::Tecla;
using pruebas::Ventana;

namespace {

const QString kGravado = QStringLiteral("7501031311309");     // 13 %, tax included
const QString kNoGravado = QStringLiteral("7441001000011");   // untaxed
const QString kNumero = QStringLiteral("FL-0001");

Currency C(const char *s) { return Currency::fromString(std::string(s)); }

QStringList Comprobantes(TfrmPrincipalCompras *frm)
{
    QAbstractItemModel *m = Control<QTableView>(frm, "SMDBGrid1")->model();
    while (m->canFetchMore({}))
        m->fetchMore({});
    QStringList c;
    for (int r = 0; r < m->rowCount(); ++r)
        c << m->index(r, 2).data().toString();
    return c;
}

class FlujoCompras : public ::testing::Test {
protected:
    EntornoPrueba env;

    void TearDown() override
    {
        CerrarVentanas(frmPrincipalCompras);
    }
    Currency Stock(const QString &codigo)
    {
        return EntornoPrueba::Moneda(env.inventario,
                                     QStringLiteral("select STOCK from INVENTARIO where COD_BARRAS = '%1'").arg(codigo));
    }
    int Contar(const QString &sql) { return EntornoPrueba::Entero(env.tienda, sql); }
};

TEST_F(FlujoCompras, AgregarPagarDeCajaAnularYEliminarDesdeElNavegador)
{
    const Currency stockGravado = Stock(kGravado), stockNoGravado = Stock(kNoGravado);
    const QDate hoy = QDate::currentDate();
    const QDate fecha = hoy.day() > 1 ? hoy.addDays(-1) : hoy;

    AbrirCompras(true);
    Procesar();
    TfrmPrincipalCompras *navegador = frmPrincipalCompras;
    ASSERT_NE(navegador, nullptr);
    const int facturas = static_cast<int>(Comprobantes(navegador).size());

    // Agregar: the purchase entry, with the browser waiting for it.
    Control<QPushButton>(navegador, "btnAgregar")->click();
    Procesar();
    QPointer<TfrmAgregaCompra> entrada = Ventana<TfrmAgregaCompra>();
    ASSERT_FALSE(entrada.isNull());
    EXPECT_FALSE(navegador->isEnabled());

    // The supplier through the chooser.
    Control<QPushButton>(entrada, "btnBuscaProveedor")->click();
    Procesar();
    auto *selector = Ventana<TfrmCambiarProveedor>();
    ASSERT_NE(selector, nullptr);
    Escribir(Control<QLineEdit>(selector, "edNombre"), QStringLiteral("ROBLE"));
    selector->btnAceptar->click();
    Procesar();
    EXPECT_EQ(Control<QLineEdit>(entrada, "edNombreProveedor")->text(), QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));

    // Number and date, typed (the day of this month: the browser lists the month so far).
    auto *numero = Control<QLineEdit>(entrada, "edComprob");
    Reemplazar(numero, QStringLiteral("fl-0001"));
    Tecla(numero, Qt::Key_Return);
    EXPECT_EQ(numero->text(), kNumero);
    auto *edFecha = Control<QDateEdit>(entrada, "edFecha");
    entrada->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(entrada));
    edFecha->setFocus();
    edFecha->setSelectedSection(QDateTimeEdit::DaySection);
    Escribir(edFecha, fecha.toString(QStringLiteral("dd")));
    Tecla(edFecha, Qt::Key_Return);
    EXPECT_EQ(edFecha->date(), fecha);

    // Two lines by code: 3 taxed at 10.00 (+1.30 tax each) and 2 untaxed at 20.00.
    auto linea = [&](const QString &codigo, const char *costo, const char *cantidad) {
        auto *cod = Control<QLineEdit>(entrada, "edCodigo");
        Reemplazar(cod, codigo);
        Tecla(cod, Qt::Key_Return);
        Reemplazar(Control<QLineEdit>(entrada, "edPrecio"), QLatin1String(costo));
        Tecla(Control<QLineEdit>(entrada, "edPrecio"), Qt::Key_Return);
        Reemplazar(Control<QLineEdit>(entrada, "edCantidad"), QLatin1String(cantidad));
        Tecla(Control<QLineEdit>(entrada, "edCantidad"), Qt::Key_Return);
    };
    linea(kGravado, "10", "3");
    linea(kNoGravado, "20", "2");
    EXPECT_EQ(Control<QLineEdit>(entrada, "edImpuesto")->text(), QStringLiteral("3.90"));
    EXPECT_EQ(Control<QLineEdit>(entrada, "edTotal")->text(), QStringLiteral("73.90"));

    // Procesar: the whole total in cash from the till, and the receipt (yes to the question).
    ASSERT_TRUE(QFile::copy(QStringLiteral(COMPRAS_REPORTES_FUENTE "/comp_RespaldoComprobante.html"),
                            env.carpeta.file(QStringLiteral("comp_RespaldoComprobante.html"))));
    Control<QPushButton>(entrada, "btnEmitir")->click();
    Procesar();
    auto *pago = Ventana<TfrmProcesar>();
    ASSERT_NE(pago, nullptr);
    EXPECT_EQ(pago->Total(), C("73.90"));
    EXPECT_EQ(Control<EdicionMoneda>(pago, "edImpEfectivo")->valor(), C("73.90"));
    EXPECT_TRUE(Control<QRadioButton>(pago, "rbCaja")->isChecked());
    QString recibo;
    pago->MostrarReporte = [&recibo](Reporte &r) { recibo = r.Variables.value(QStringLiteral("NroFactura")); };
    Control<QPushButton>(pago, "btnAceptar")->click();
    Procesar();
    EXPECT_EQ(recibo, QStringLiteral("'%1'").arg(kNumero));
    EXPECT_EQ(env.mensajes.textos(), (QStringList{QStringLiteral("Desea Imprimir el comprobante cargado?"),
                                                  QStringLiteral("La Factura de Compra se ha cargado correctamente")}));
    EXPECT_TRUE(entrada.isNull());
    EXPECT_FALSE(Ventana<TfrmProcesar>());

    // Back in the browser: the month's list again (the receipt had narrowed the shared invoice
    // dataset to this invoice) with the new invoice; stock grew; the till paid it.
    EXPECT_TRUE(navegador->isEnabled());
    EXPECT_TRUE(Comprobantes(navegador).contains(kNumero));
    EXPECT_EQ(Comprobantes(navegador).size(), facturas + 1);
    const QString h = QStringLiteral(" from FACTURAS_COMPRA where COMPROBANTE = '%1' and CODIGO_PROVEEDOR = 12").arg(kNumero);
    EXPECT_EQ(EntornoPrueba::Moneda(env.tienda, "select IMPORTE_TOTAL" + h), C("73.90"));
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, "select cast(FECHA as varchar(10))" + h), fecha.toString(Qt::ISODate));
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, "select EFECTIVO_CAJA" + h), "S");
    EXPECT_EQ(Stock(kGravado), stockGravado + C("3"));
    EXPECT_EQ(Stock(kNoGravado), stockNoGravado + C("2"));
    const QString caja = QStringLiteral(" from CAJA_DIARIA where CODIGO_MOVIMIENTO = 3 and COMPROBANTE = '%1'").arg(kNumero);
    EXPECT_EQ(EntornoPrueba::Moneda(env.tienda, "select IMPORTE_EFECTIVO" + caja), C("73.90"));
    EXPECT_EQ(Contar("select count(*) from TEMPORAL_COMPRAS"), 0);

    // Its detail shows the two lines.
    auto *grid = Control<QTableView>(navegador, "SMDBGrid1");
    grid->setCurrentIndex(grid->model()->index(static_cast<int>(Comprobantes(navegador).indexOf(kNumero)), 1));
    Control<QPushButton>(navegador, "btnVerDetalle")->click();
    Procesar();
    auto *detalle = Ventana<TfrmDetalleFactura>();
    ASSERT_NE(detalle, nullptr);
    EXPECT_EQ(Control<QLineEdit>(detalle, "edComprobante")->text(), kNumero);
    EXPECT_EQ(Control<QTableView>(detalle, "GridDetalles")->model()->rowCount(), 2);
    Tecla(detalle, Qt::Key_Escape);
    Procesar();
    EXPECT_TRUE(navegador->isEnabled());

    // Annul it (yes to the question): stock and till go back, the invoice stays, annulled.
    env.mensajes.Limpiar();
    Control<QPushButton>(navegador, "btnAnular")->click();
    Procesar();
    EXPECT_EQ(env.mensajes.textos(),
              (QStringList{QStringLiteral("Desea anular la compra Nro: ") + kNumero,
                           QStringLiteral("La Factura de Compra Nro: %1 ha sido anulado satisfactoriamente").arg(kNumero)}));
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, "select ANULADA" + h), "S");
    EXPECT_EQ(Stock(kGravado), stockGravado);
    EXPECT_EQ(Stock(kNoGravado), stockNoGravado);
    EXPECT_EQ(Contar("select count(*)" + caja), 0);
    EXPECT_TRUE(Comprobantes(navegador).contains(kNumero));

    // Delete it (yes again): gone from the database and from the list.
    env.mensajes.Limpiar();
    Control<QPushButton>(navegador, "btnBorrar")->click();
    Procesar();
    EXPECT_EQ(env.mensajes.textos(),
              QStringList{QStringLiteral("Atención!\r\n\r\nRealmente desea eliminar del sistema la factura ") + kNumero +
                          QStringLiteral("?")});
    EXPECT_EQ(Contar("select count(*)" + h), 0);
    EXPECT_EQ(Contar(QStringLiteral("select count(*) from DETALLE_FACTURAS_COMPRA where COMPROBANTE = '%1'").arg(kNumero)), 0);
    EXPECT_FALSE(Comprobantes(navegador).contains(kNumero));
    EXPECT_EQ(Comprobantes(navegador).size(), facturas);
    EXPECT_EQ(Stock(kGravado), stockGravado);
    EXPECT_EQ(Stock(kNoGravado), stockNoGravado);
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()
