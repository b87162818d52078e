#pragma once
// Reading a purchase order for the purchase entry: its DETALLE_PEDIDO lines in order, each with
// the article it names by the kind of code the order was made with.

#include "records/ConexionesCompra.h"
#include "platform/Currency.h"

#include <QString>

#include <vector>

// One order line.
struct LineaPedidoCompra {
    QString codigo;     // COD_BARRAS as the order lists it (code of the order's kind)
    QString nombre;     // NOMBRE_ARTICULO
    Currency cantidad;  // CANTIDAD
    Currency costo;     // PRECIO_COMPRA
    QString codBarras;  // the article's COD_BARRAS; empty when no article has that code
};

class CargaPedido {
public:
    // Reads the order on conexiones.tienda and the articles on conexiones.inventario, each on
    // the transaction given with it; writes nothing.
    explicit CargaPedido(const ConexionesCompra &conexiones);
    ~CargaPedido();
    CargaPedido(const CargaPedido &) = delete;
    CargaPedido &operator=(const CargaPedido &) = delete;

    // The lines of order `nroPedido`, codes resolved by `numCodigoInventario` (1 COD_BARRAS,
    // 2 CODIGO2, 3 CODIGO3, any other: any of the three).
    std::vector<LineaPedidoCompra> Lineas(const QString &nroPedido, int numCodigoInventario);

    // COD_BARRAS of the article whose code number `tipo` is `codigo`; empty when none.
    QString Codigo1(const QString &codigo, int tipo);

private:
    ConexionesCompra conexiones_;
    ConsultasCompra consultas_;
};
