#include "orders/CargaPedido.h"

#include "platform/db/Query.h"

CargaPedido::CargaPedido(const ConexionesCompra &conexiones) : conexiones_(conexiones), consultas_(conexiones_) {}

CargaPedido::~CargaPedido() = default;

std::vector<LineaPedidoCompra> CargaPedido::Lineas(const QString &nroPedido, int numCodigoInventario)
{
    std::vector<LineaPedidoCompra> lineas;
    db::Query &q = consultas_.Sql(BaseCompra::Tienda, QStringLiteral("select * from DETALLE_PEDIDO\n where COMPROBANTE "
                                                                    "= :CODIGO order by ID_DETALLE_PEDIDO"));
    q.paramByName("CODIGO").setAsString(nroPedido);
    for (q.execQuery(); !q.eof(); q.next())
        lineas.push_back({q.fieldByName(QStringLiteral("COD_BARRAS")).asString(),
                          q.fieldByName(QStringLiteral("NOMBRE_ARTICULO")).asString(),
                          q.fieldByName(QStringLiteral("CANTIDAD")).asCurrency(),
                          q.fieldByName(QStringLiteral("PRECIO_COMPRA")).asCurrency(), QString()});
    q.close();
    for (LineaPedidoCompra &l : lineas)
        l.codBarras = Codigo1(l.codigo, numCodigoInventario);
    return lineas;
}

QString CargaPedido::Codigo1(const QString &codigo, int tipo)
{
    QString sql = QStringLiteral("Select * from inventario where ");
    if (tipo == 1)
        sql += QStringLiteral("COD_BARRAS=:Codigo");
    else if (tipo == 2)
        sql += QStringLiteral("CODIGO2=:Codigo");
    else if (tipo == 3)
        sql += QStringLiteral("CODIGO3=:Codigo");
    else
        sql += QStringLiteral("COD_BARRAS = :Codigo or CODIGO2 = :Codigo or CODIGO3 = :Codigo");
    db::Query &q = consultas_.Sql(BaseCompra::Inventario, sql);
    q.paramByName("Codigo").setAsString(codigo);
    q.execQuery();
    const QString encontrado = q.eof() ? QString() : q.fieldByName(QStringLiteral("COD_BARRAS")).asString();
    q.close();
    return encontrado;
}
