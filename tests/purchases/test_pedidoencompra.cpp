// An order loaded into purchase entry: claimed by one open document only, marked processed by
// the posting's own commit and left open when the posting fails.
#include "orders/Pedidos.h"
#include "purchases/EntradaCompra.h"
#include "purchases/PosteoEntrada.h"
#include "purchases/ProcesoCompra.h"
#include "purchases/Comp_frmagregacompras.h"
#include "orders/Comp_frmselpedido.h"

#include "support/EntornoPrueba.h"
#include "support/PruebaVentanas.h"
#include "data/Comp_fdatos.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString kCrema = QStringLiteral("7501031311309");
const QString kAcetaminofen = QStringLiteral("7441001000011");

class PedidoEnCompra : public ::testing::Test {
protected:
    EntornoPrueba env;
    std::unique_ptr<EntradaCompra> e;
    QString pedido;

    void SetUp() override
    {
        Pedidos p(ConexionesDeDatosComp(*env.datos), env.datos->TransLectura, env.datos->TransLecturaInv, env.mensajes,
                  QStringLiteral("ANA"));
        EncabezadoPedido enc;
        enc.numeroMostrado = p.NumeroPropuesto();
        enc.codProveedor = 12;
        enc.nombreProveedor = QStringLiteral("COMERCIALIZADORA EL ROBLE S.A.");
        enc.descripcion = QStringLiteral("QUINCENAL");
        enc.fecha = QDate::currentDate();
        LineasPedido l;
        l.AgregarFila({kCrema, QStringLiteral("CREMA"), Currency(4), {}, false, {}, Currency(800)});
        l.AgregarFila({kAcetaminofen, QStringLiteral("ACETAMINOFEN"), Currency(10), {}, false, {}, Currency(50)});
        pedido = p.Guardar(enc, l).value_or(QString());
        ASSERT_FALSE(pedido.isEmpty());
        Abrir();
    }
    void Abrir()
    {
        e = std::make_unique<EntradaCompra>(*env.datos);
        e->Iniciar();
        e->Restaurar();
    }
    QString Estado()
    {
        return EntornoPrueba::Texto(env.tienda, QStringLiteral("select ANULADO || PROCESADO from PEDIDOS where COMPROBANTE = '%1'")
                                                    .arg(pedido));
    }
    int Publicar()
    {
        auto proceso = ProcesoCompra::DesdeDatosComp(*env.datos);
        proceso->EstablecerMensajes(&env.mensajes);
        DocumentoCompra d = DocumentoDeEntrada(*e);
        const TotalesCompra t = proceso->TotalesDeEstacion(d.proveedorExento);
        PagoCompra pago;
        pago.credito = t.total;
        pago.diasCredito = 30;
        return proceso->Procesar(d, t, pago);
    }
};

TEST_F(PedidoEnCompra, SeMarcaProcesadoAlPublicarYNoAntes)
{
    QString error;
    ASSERT_TRUE(e->CargarPedido(pedido, 12, QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."), 1, &error))
        << error.toStdString();
    ASSERT_EQ(e->Lineas().size(), 2u);
    EXPECT_EQ(Estado(), QStringLiteral("NN"));
    ASSERT_TRUE(e->EstablecerComprobante(QStringLiteral("FP-1")));

    // The entry reopened (the program restarted) still knows the order.
    Abrir();
    EXPECT_TRUE(e->ModoPedido);
    EXPECT_EQ(e->NroPedido, pedido);

    // A failing posting leaves the order open.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("create exception E_FALLA 'falla de prueba'"));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("create trigger T_FALLA_PED for PEDIDOS before update as begin if "
                                                       "(new.PROCESADO = 'S') then exception E_FALLA; end"));
    EXPECT_EQ(Publicar(), 0);
    EXPECT_EQ(Estado(), QStringLiteral("NN"));
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, QStringLiteral("select count(*) from FACTURAS_COMPRA where COMPROBANTE = 'FP-1'")), 0);
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("drop trigger T_FALLA_PED"));

    env.mensajes.Limpiar();
    const int id = Publicar();
    ASSERT_GT(id, 0) << env.mensajes.textos().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Estado(), QStringLiteral("NS"));
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, QStringLiteral("select count(*) from TEMPORAL_ENC_COMPRA where NRO_PEDIDO = '%1'")
                                                    .arg(pedido)),
              0);

    // Processed: it cannot be loaded again.
    Abrir();
    EXPECT_FALSE(e->ModoPedido);
    EXPECT_FALSE(e->CargarPedido(pedido, 12, QString(), 1, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ya fue procesado o anulado"))) << error.toStdString();
    EXPECT_TRUE(e->Lineas().empty());
}

TEST_F(PedidoEnCompra, UnPedidoEnUnaSolaCompraAbierta)
{
    // Another station has it in its open document.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into TEMPORAL_ENC_COMPRA (NRO_CAJA, COMPUTADORA, NRO_PEDIDO) "
                                                       "values (7, 'OTRA', '%1')")
                                            .arg(pedido));
    const QString antes = EntornoPrueba::Volcado(env.tienda);
    QString error;
    EXPECT_FALSE(e->CargarPedido(pedido, 12, QString(), 1, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ya está cargado en otra compra abierta"))) << error.toStdString();
    EXPECT_FALSE(e->ModoPedido);
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), antes);

    // Once that document is gone, this station takes it; loading it again here is allowed.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from TEMPORAL_ENC_COMPRA where NRO_CAJA = 7"));
    ASSERT_TRUE(e->CargarPedido(pedido, 12, QString(), 1, &error)) << error.toStdString();
    e->LimpiarFactura();
    ASSERT_TRUE(e->CargarPedido(pedido, 12, QString(), 1, &error)) << error.toStdString();
    EXPECT_EQ(e->Lineas().size(), 2u);

    // Annulled orders are refused.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update PEDIDOS set ANULADO = 'S'"));
    e->LimpiarFactura();
    EXPECT_FALSE(e->CargarPedido(pedido, 12, QString(), 1, &error));
}

// The entry window: "Procesar Pedido" opens the chooser and loads the chosen order.
TEST_F(PedidoEnCompra, ProcesarPedidoDesdeLaVentana)
{
    e.reset();  // the window brings its own entry
    QWidget navegador;
    navegador.show();
    QPointer<TfrmAgregaCompra> frm = AbrirAgregaCompra(*env.datos, &navegador);
    pruebas::Procesar();
    ASSERT_TRUE(frm);
    int listados = -1;
    QTimer::singleShot(0, [&] {
        auto *sel = pruebas::Ventana<TfrmSelPedido>();
        ASSERT_NE(sel, nullptr);
        listados = sel->Filas();
        for (int f = 0; f < sel->gPedidos->rowCount(); ++f)
            if (sel->gPedidos->item(f, 1)->text() == pedido)
                sel->gPedidos->selectRow(f);
        sel->btnSeleccionar->click();
    });
    const int indice = frm->edComprobante->findText(EntradaCompra::TipoPedido);
    ASSERT_GE(indice, 0);
    frm->edComprobante->setCurrentIndex(indice);
    emit frm->edComprobante->activated(indice);
    pruebas::Procesar();
    EXPECT_GE(listados, 1);
    EXPECT_EQ(pruebas::Control<QLineEdit>(frm, "edNombreProveedor")->text(),
              QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
    EXPECT_EQ(frm->GridCompra->model()->rowCount(), 2);
    EXPECT_EQ(EntornoPrueba::Texto(env.tienda, QStringLiteral("select NRO_PEDIDO from TEMPORAL_ENC_COMPRA")), pedido);
    EXPECT_TRUE(env.mensajes.mostrados().empty()) << env.mensajes.textos().join('|').toStdString();
    frm->close();
    pruebas::Procesar();
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()
