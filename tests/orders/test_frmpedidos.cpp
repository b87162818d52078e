// The order windows as a user drives them: a new order from the articles below their minimum,
// typed lines, the read-only view, annulment and the chooser of purchase entry.
#include "orders/Comp_frmagregarpedido.h"
#include "orders/Comp_frmfiltroagregarpedidos.h"
#include "orders/Comp_frmmodificacantidad.h"
#include "orders/Comp_frmpedidos.h"
#include "orders/Comp_frmreportepedidos.h"
#include "orders/Comp_frmselpedido.h"

#include "support/EntornoPrueba.h"
#include "support/PruebaVentanas.h"
#include "platform/report/Reporte.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

using pruebas::CerrarVentanas;
using pruebas::Control;
using pruebas::Procesar;
using pruebas::Reemplazar;
using pruebas::Tecla;
using pruebas::Ventana;

namespace {

class VentanasPedidos : public ::testing::Test {
protected:
    EntornoPrueba env;
    QPointer<TfrmPedidos> navegador;

    void SetUp() override
    {
        const char *filas[] = {"'VP-1', 'BETA', 1, 5, 12", "'VP-2', 'ALFA', 0, 2, 6", "'VP-3', 'GAMA', 9, 2, 6"};
        for (const char *f : filas)
            EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE, STOCK, "
                                                                   "STOCK_MINIMO, REPOSICION, SE_USA_EN_PEDIDO, FK_PROVEEDOR, "
                                                                   "PRECIO_COMPRA, CODIGO2) values (%1, 'S', 950, 7.5, "
                                                                   "'C2-' || %2)")
                                                        .arg(QLatin1String(f))
                                                        .arg(QString::fromLatin1(f).section(QLatin1Char(','), 0, 0)));
        navegador = new TfrmPedidos(*env.datos);
        navegador->show();
        Procesar();
    }
    void TearDown() override { CerrarVentanas(navegador); }

    int Contar(const QString &sql) { return EntornoPrueba::Entero(env.tienda, sql); }
    QStringList Columna(QTableWidget *g, int c)
    {
        QStringList r;
        for (int f = 0; f < g->rowCount(); ++f)
            r << g->item(f, c)->text();
        return r;
    }
};

TEST_F(VentanasPedidos, PedidoDesdeElMinimoGuardadoVistoYAnulado)
{
    const int antes = navegador->Filas();
    navegador->btnAgregar->click();
    Procesar();
    auto *filtro = Ventana<TfrmFiltroAgregarPedidos>();
    ASSERT_NE(filtro, nullptr);
    EXPECT_FALSE(navegador->isEnabled());
    filtro->EstablecerProveedor(950, QStringLiteral("PROVEEDOR 950"));
    filtro->btnAceptar->click();
    Procesar();
    EXPECT_EQ(Ventana<TfrmFiltroAgregarPedidos>(), nullptr);
    auto *editor = Ventana<TfrmAgregarPedido>();
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(navegador->isEnabled());  // still off while the editor is open
    EXPECT_EQ(editor->edProveedor->text(), QStringLiteral("PROVEEDOR 950"));
    EXPECT_EQ(Columna(editor->gDetalle, 0), (QStringList{"VP-2", "VP-1"}));
    EXPECT_EQ(Columna(editor->gDetalle, 2), (QStringList{"6.00", "12.00"}));
    EXPECT_EQ(Columna(editor->gDetalle, 6), (QStringList{"7.50", "7.50"}));
    EXPECT_EQ(editor->edComprob->text().size(), 12);

    // The description is missing: the editor stays open with everything typed.
    editor->btnAceptar->click();
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("Debe digitar una Descripción para el pedido")));
    EXPECT_TRUE(editor->isVisible());

    // A third article typed twice by its second code: one row with the sum.
    editor->cmbCodigo->setCurrentIndex(1);
    Reemplazar(editor->edDescrip, QStringLiteral("reposicion"));
    for (int i = 0; i < 2; ++i) {
        Reemplazar(editor->edCodigo, QStringLiteral("c2-vp-3"));
        Tecla(editor->edCodigo, Qt::Key_Return);
        Reemplazar(editor->edCantidad, QStringLiteral("2"));
        Tecla(editor->edCantidad, Qt::Key_Return);
    }
    ASSERT_EQ(editor->gDetalle->rowCount(), 3);
    EXPECT_EQ(editor->gDetalle->item(2, 0)->text(), QStringLiteral("C2-VP-3"));
    EXPECT_EQ(editor->gDetalle->item(2, 2)->text(), QStringLiteral("4.00"));
    EXPECT_EQ(editor->edCantidad->text(), QStringLiteral("1"));
    EXPECT_TRUE(editor->edCodigo->text().isEmpty());
    // The first row disabled: not saved.
    editor->gDetalle->item(0, 4)->setCheckState(Qt::Checked);

    env.mensajes.Limpiar();
    env.mensajes.Responder(Mensajes::Respuesta::No);  // no control report
    editor->btnAceptar->click();
    Procesar();
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("El pedido se cargo exitosamente!\r\n\r\nDesea imprimir el Reporte de "
                                                   "Control?")))
        << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(Ventana<TfrmAgregarPedido>(), nullptr);
    EXPECT_TRUE(navegador->isEnabled());
    const QString numero = EntornoPrueba::Texto(env.tienda, QStringLiteral("select max(COMPROBANTE) from PEDIDOS"));
    EXPECT_EQ(Contar(QStringLiteral("select count(*) from DETALLE_PEDIDO where COMPROBANTE = '%1'").arg(numero)), 2);
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select DESCRIPCION || '|' || FK_PROVEEDOR || '|' || "
                                                              "NUM_CODIGO_INVENTARIO from PEDIDOS where COMPROBANTE = '%1'")
                                                   .arg(numero)),
              QStringLiteral("REPOSICION|950|2"));
    ASSERT_EQ(navegador->Filas(), antes + 1);

    // Viewing it: read-only, with the saved lines.
    navegador->SMDBGrid1->selectRow(navegador->Filas() - 1);
    ASSERT_EQ(navegador->Actual()->comprobante, numero);
    navegador->btnVerDetalle->click();
    Procesar();
    auto *vista = Ventana<TfrmAgregarPedido>();
    ASSERT_NE(vista, nullptr);
    EXPECT_TRUE(vista->SoloLectura());
    EXPECT_FALSE(vista->btnAceptar->isVisible());
    EXPECT_FALSE(vista->edCodigo->isVisible());
    EXPECT_TRUE(vista->btnReimprimir->isVisible());
    EXPECT_EQ(vista->btnCancelar->text(), QStringLiteral("Salir"));
    EXPECT_EQ(Columna(vista->gDetalle, 0), (QStringList{"VP-1", "C2-VP-3"}));
    vista->close();
    Procesar();
    EXPECT_TRUE(navegador->isEnabled());

    // Annulled: red first cell, a second annulment says so.
    env.mensajes.Limpiar();
    navegador->btnBorrar->click();
    EXPECT_EQ(env.mensajes.mostrados().back().texto, QStringLiteral("Desea anular el pedido Nº %1?").arg(numero));
    const int fila = navegador->SMDBGrid1->currentRow();
    EXPECT_EQ(navegador->SMDBGrid1->item(fila, 0)->background().color(), QColor(Qt::red));
    env.mensajes.Limpiar();
    navegador->btnBorrar->click();
    EXPECT_EQ(env.mensajes.textos(), QStringList{QStringLiteral("El comprobante Nº%1 ya esta anulado").arg(numero)});
}

TEST_F(VentanasPedidos, DerechosYFiltroDeProveedor)
{
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into PEDIDOS (COMPROBANTE, FK_PROVEEDOR, NOMBRE_PROVEEDOR, "
                                                       "FECHA) values ('000000000777', 950, 'PROV 950', current_date)"));
    navegador->Filtrar();
    const int todos = navegador->Filas();
    navegador->EstablecerProveedor(950, QStringLiteral("PROV 950"));
    EXPECT_EQ(navegador->Filas(), 1);
    navegador->btnElimFiltroProveedor->click();
    EXPECT_EQ(navegador->edProveedor->text(), QStringLiteral("TODOS"));
    EXPECT_EQ(navegador->Filas(), todos);
    // Reversed dates: no date condition.
    navegador->cmbFechaFinal->setMinimumDate(QDate(2000, 1, 1));
    navegador->cmbFechaFinal->setDate(QDate(2000, 1, 1));
    navegador->Filtrar();
    EXPECT_GE(navegador->Filas(), todos);
    EXPECT_EQ(Contar(QStringLiteral("select count(*) from PEDIDOS where COMPROBANTE <> ''")), navegador->Filas());
}

TEST_F(VentanasPedidos, SelectorSoloPedidosAbiertos)
{
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from DETALLE_PEDIDO"));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from PEDIDOS"));
    for (const char *f : {"'000000000001', 'N', 'N', 3", "'000000000002', 'S', 'N', 1", "'000000000003', 'N', 'S', 1"})
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into PEDIDOS (COMPROBANTE, ANULADO, PROCESADO, "
                                                           "NUM_CODIGO_INVENTARIO, FK_PROVEEDOR, NOMBRE_PROVEEDOR, FECHA) "
                                                           "values (%1, 12, 'EL ROBLE', current_date)")
                                                .arg(QLatin1String(f)));
    TfrmSelPedido sel(*env.datos);
    ASSERT_EQ(sel.Filas(), 1);
    sel.gPedidos->selectRow(0);
    sel.btnSeleccionar->click();
    EXPECT_EQ(sel.result(), QDialog::Accepted);
    EXPECT_EQ(sel.NroPedido, QStringLiteral("000000000001"));
    EXPECT_EQ(sel.CodigoProveedor, 12);
    EXPECT_EQ(sel.NombreProveedor, QStringLiteral("EL ROBLE"));
    EXPECT_EQ(sel.NumCodigoInventario, 3);
    sel.EstablecerProveedor(99, QStringLiteral("OTRO"));
    EXPECT_EQ(sel.Filas(), 0);
}

TEST_F(VentanasPedidos, DialogoDeCantidad)
{
    TfrmModificaCantidad dlg(QStringLiteral("JABON"), Currency(3), Currency(10));
    dlg.edCantidad->setText(QStringLiteral("0"));
    dlg.btnAceptarClick();
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("La cantidad debe ser mayor a cero")));
    EXPECT_EQ(dlg.edCantidad->text(), QStringLiteral("0"));
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    dlg.edCantidad->setText(QStringLiteral("2.5"));
    dlg.edPrecio->setText(QStringLiteral("11"));
    dlg.btnAceptarClick();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Cantidad(), Currency::fromString(std::string("2.5")));
    EXPECT_EQ(dlg.Precio(), Currency(11));
}

TEST_F(VentanasPedidos, ArticuloDesconocidoYReimpresion)
{
    auto *editor = new TfrmAgregarPedido(*env.datos);
    editor->NuevoPedido();
    editor->show();
    QStringList pedidos;
    editor->AbrirFichaArticulo = [&](TfrmAgregarPedido &, const QString &codigo) { pedidos << codigo; };
    env.mensajes.Responder(Mensajes::Respuesta::No);
    Reemplazar(editor->edCodigo, QStringLiteral("no-existe"));
    Tecla(editor->edCodigo, Qt::Key_Return);
    EXPECT_TRUE(pedidos.isEmpty());  // answered No
    Tecla(editor->edCodigo, Qt::Key_Return);
    EXPECT_EQ(pedidos, QStringList{QStringLiteral("NO-EXISTE")});
    EXPECT_EQ(env.mensajes.textos().last(), QStringLiteral("Artículo no encontrado. ¿Desea agregarlo al inventario?"));
    // A proposed quantity for an article at its minimum.
    Reemplazar(editor->edCodigo, QStringLiteral("vp-1"));
    Tecla(editor->edCodigo, Qt::Key_Return);
    EXPECT_EQ(editor->edCantidad->text(), QStringLiteral("12.00"));
    editor->close();
    Procesar();

    // "&Reimprimir" on a saved order asks for its control report with the check box.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into PEDIDOS (COMPROBANTE, NOMBRE_PROVEEDOR, FECHA) values "
                                                       "('000000000888', 'X', current_date)"));
    auto *vista = new TfrmAgregarPedido(*env.datos);
    PedidoListado p;
    p.comprobante = QStringLiteral("000000000888");
    vista->MostrarPedido(p);
    QStringList impresos;
    vista->ReporteControl = [&](const PedidoListado &pedido, bool nombre2) {
        impresos << pedido.comprobante + (nombre2 ? QStringLiteral("+") : QString());
    };
    vista->chkNombre2->setChecked(true);
    vista->btnReimprimir->click();
    EXPECT_EQ(impresos, QStringList{QStringLiteral("000000000888+")});
    vista->close();
    Procesar();
}

TEST_F(VentanasPedidos, VentanaDeReporteDePedidos)
{
    ASSERT_TRUE(QFile::copy(QStringLiteral(COMPRAS_REPORTES_FUENTE "/comp_listadoDePedidos.html"),
                            env.carpeta.path() + QStringLiteral("/comp_listadoDePedidos.html")));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into PEDIDOS (COMPROBANTE, NOMBRE_PROVEEDOR, FECHA, ANULADO) "
                                                       "values ('000000000999', 'ANULADO HOY', current_date, 'S')"));
    QPointer<TfrmReportePedidos> frm = new TfrmReportePedidos(*env.datos);
    frm->show();
    EXPECT_EQ(frm->fechaInicial->date(), QDate::currentDate());
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Reporte pedidos"));
    int paginas = 0;
    frm->Mostrar = [&](Reporte &r) { paginas = r.PageCount(); };
    frm->btoAceptar->click();
    Procesar();
    EXPECT_EQ(paginas, 1);
    EXPECT_FALSE(frm);  // closed after the preview
    EXPECT_TRUE(env.mensajes.mostrados().empty()) << env.mensajes.textos().join('|').toStdString();

    // A missing template is reported and the window stays.
    QFile::remove(env.carpeta.path() + QStringLiteral("/comp_listadoDePedidos.html"));
    frm = new TfrmReportePedidos(*env.datos);
    frm->show();
    frm->btoAceptar->click();
    Procesar();
    EXPECT_TRUE(frm);
    EXPECT_EQ(env.mensajes.mostrados().size(), 1u);
    frm->close();
    Procesar();
}

TEST(VentanasPedidosCajero, SinDerechoNoSeAgregaNiAnula)
{
    EntornoPrueba cajero(QStringLiteral("CAJERO"));
    const QString antes = EntornoPrueba::Volcado(cajero.tienda);
    auto *frm = new TfrmPedidos(*cajero.datos);
    frm->show();
    ASSERT_GT(frm->Filas(), 0);  // viewing is allowed
    frm->btnAgregar->click();
    frm->btnBorrar->click();
    Procesar();
    EXPECT_EQ(Ventana<TfrmFiltroAgregarPedidos>(), nullptr);
    EXPECT_EQ(cajero.mensajes.textos(), QStringList(2, QStringLiteral("Usted no esta habilitado para realizar esta operación")));
    EXPECT_EQ(EntornoPrueba::Volcado(cajero.tienda), antes);
    CerrarVentanas(frm);
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()
