// Reading an order for the purchase entry: its lines in order and the article each names by
// the order's kind of code.
#include "orders/CargaPedido.h"

#include "support/EntornoPrueba.h"
#include "data/Comp_fdatos.h"

#include <gtest/gtest.h>

namespace {

const QString kCrema = QStringLiteral("7501031311309");  // CODIGO2 CER-0456

TEST(CargaPedido, LineasConElCodigoDelTipoDelPedido)
{
    EntornoPrueba env;
    for (const char *fila : {"'P-1', 'CER-0456', 'CREMA', 4, 800", "'P-2', 'CER-0456', 'OTRO PEDIDO', 1, 1",
                             "'P-1', '7501031311309', 'CREMA', 2, 700", "'P-1', 'NO-HAY', 'NUEVO', 1.5, 10"})
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into DETALLE_PEDIDO (COMPROBANTE, COD_BARRAS, "
                                                           "NOMBRE_ARTICULO, CANTIDAD, PRECIO_COMPRA) values (%1)")
                                                .arg(QLatin1String(fila)));
    ConexionesCompra c = ConexionesDeDatosComp(*env.datos);
    c.transInventario = env.datos->TransLecturaInv;
    CargaPedido carga(c);

    struct Caso {
        int tipo;
        QStringList resueltos;  // codBarras of each line
    };
    for (const Caso &caso : {Caso{1, {QString(), kCrema, QString()}}, Caso{2, {kCrema, QString(), QString()}},
                             Caso{3, {QString(), QString(), QString()}}, Caso{0, {kCrema, kCrema, QString()}}}) {
        const std::vector<LineaPedidoCompra> l = carga.Lineas(QStringLiteral("P-1"), caso.tipo);
        ASSERT_EQ(l.size(), 3u) << caso.tipo;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(l[i].codBarras.toStdString(), caso.resueltos[i].toStdString()) << caso.tipo << " " << i;
        EXPECT_EQ(l[0].codigo.toStdString(), "CER-0456");
        EXPECT_EQ(l[0].cantidad, Currency(4));
        EXPECT_EQ(l[0].costo, Currency(800));
        EXPECT_EQ(l[2].nombre.toStdString(), "NUEVO");
        EXPECT_EQ(l[2].cantidad, Currency::fromString(std::string("1.5")));
    }
    EXPECT_TRUE(carga.Lineas(QStringLiteral("P-9"), 1).empty());
}

} // namespace
