#include "orders/ImpresionPedidos.h"

#include "data/EncabezadoReporte.h"
#include "platform/Mensajes.h"
#include "platform/workbook/TmxNativeExcel.h"

#include <exception>

ImpresionPedidos::ImpresionPedidos(Pedidos &pedidos, QMap<QString, QString> encabezado, QString carpeta)
    : pedidos_(pedidos), encabezado_(std::move(encabezado)), carpeta_(std::move(carpeta))
{
}

ImpresionPedidos::~ImpresionPedidos() = default;

QMap<QString, QString> ImpresionPedidos::EncabezadoDe(const TFDatosComp &datos)
{
    QMap<QString, QString> v;
    VariablesEncabezadoEmpresa(datos, v);
    return v;
}

QString ImpresionPedidos::TextoFecha(const QDate &fecha)
{
    return fecha.isValid() ? fecha.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

Reporte &ImpresionPedidos::Nuevo(const QString &plantilla)
{
    reporte_ = std::make_unique<Reporte>();
    dsReporte_.setDataSet(fuente_.get());
    reporte_->setDataSet(&dsReporte_);
    reporte_->LoadFromFile(carpeta_ + plantilla);
    for (auto it = encabezado_.cbegin(); it != encabezado_.cend(); ++it)
        reporte_->Variables[it.key()] = it.value();
    return *reporte_;
}

Reporte &ImpresionPedidos::PrepararControl(const PedidoListado &pedido, bool verNombre2)
{
    auto tabla = std::make_unique<TablaReporte>();
    tabla->setFields({QStringLiteral("COD_BARRAS"), QStringLiteral("NOMBRE_ARTICULO"), QStringLiteral("CANTIDAD"),
                      QStringLiteral("PRECIO_COMPRA"), QStringLiteral("COD_FAMILIA"), QStringLiteral("Nombre_2")});
    for (const LineaGuardadaPedido &l : pedidos_.Detalle(pedido.comprobante, verNombre2))
        tabla->append({l.codBarras, l.nombreArticulo, l.cantidad.toDouble(), l.precioCompra.toDouble(), l.codFamilia,
                       l.nombre2});
    fuente_ = std::move(tabla);
    Reporte &r = Nuevo(kControl);
    r.Variables[QStringLiteral("VerNombre2")] = verNombre2 ? QStringLiteral("True") : QStringLiteral("False");
    r.Variables[QStringLiteral("fecha")] = Reporte::QuotedStr(TextoFecha(pedido.fecha));
    r.Variables[QStringLiteral("proveedor")] = Reporte::QuotedStr(pedido.nombreProveedor);
    r.Variables[QStringLiteral("descripcion")] = Reporte::QuotedStr(pedido.descripcion);
    r.Variables[QStringLiteral("comprobante")] = Reporte::QuotedStr(pedido.comprobante);
    r.PrepareReport();
    return r;
}

Reporte &ImpresionPedidos::PrepararListado(const QDate &desde, const QDate &hasta)
{
    auto tabla = std::make_unique<TablaReporte>();
    tabla->setFields({QStringLiteral("FECHA"), QStringLiteral("COMPROBANTE"), QStringLiteral("NOMBRE_PROVEEDOR"),
                      QStringLiteral("DESCRIPCION"), QStringLiteral("ANULADO"), QStringLiteral("PROCESADO")});
    for (const PedidoListado &p : pedidos_.ListarPeriodo(desde, hasta))
        tabla->append({TextoFecha(p.fecha), p.comprobante, p.nombreProveedor, p.descripcion,
                       p.anulado ? QStringLiteral("S") : QStringLiteral("N"),
                       p.procesado ? QStringLiteral("S") : QStringLiteral("N")});
    fuente_ = std::move(tabla);
    Reporte &r = Nuevo(kListado);
    r.Variables[QStringLiteral("fechaInicial")] = Reporte::QuotedStr(TextoFecha(desde));
    r.Variables[QStringLiteral("fechaFinal")] = Reporte::QuotedStr(TextoFecha(hasta));
    r.PrepareReport();
    return r;
}

bool ImpresionPedidos::Exportar(const PedidoListado &pedido, const QString &archivo, const QFont &fuenteNormal,
                                Mensajes &mensajes)
{
    TmxNativeExcel libro;
    libro.AlInformar = [&mensajes](const QString &texto) { mensajes.Informacion(texto); };
    libro.AlError = [&mensajes](const QString &texto) { mensajes.Error(texto); };
    try {
        const std::vector<LineaGuardadaPedido> lineas = pedidos_.Detalle(pedido.comprobante);
        libro.NewFile();
        libro.SetFileName(archivo);
        const int normal = libro.AddFont(fuenteNormal);
        const int negrita = libro.AddFont(QStringLiteral("Tahoma"), 8, true);
        libro.SetActiveFont(negrita);
        libro.WriteLabel(1, 1, QStringLiteral("Pedido Nº ") + pedido.comprobante);
        libro.WriteLabel(2, 2, QStringLiteral("Fecha: ") + TextoFecha(pedido.fecha));
        libro.WriteLabel(3, 2, QStringLiteral("Proveedor ") + pedido.nombreProveedor);
        libro.WriteLabel(4, 2, QStringLiteral("Descripcion: ") + pedido.descripcion);
        libro.Borders = BordeTodos;
        libro.WriteLabel(6, 1, QStringLiteral("Codigo Articulo"));
        libro.WriteLabel(6, 2, QStringLiteral("Nombre articulo"));
        libro.WriteLabel(6, 3, QStringLiteral("Cantidad"));
        libro.Borders = 0;
        libro.SetActiveFont(normal);
        int fila = 7;
        for (const LineaGuardadaPedido &l : lineas) {
            libro.WriteLabel(fila, 1, l.codBarras);
            libro.WriteLabel(fila, 2, l.nombreArticulo);
            libro.WriteNumber(fila, 3, l.cantidad.toDouble());
            ++fila;
        }
        libro.SetColumnWidth(1, 25);
        libro.SetColumnWidth(2, 50);
        libro.SetColumnWidth(3, 10);
        libro.CloseFile();
    } catch (const std::exception &) {
        mensajes.Error(TmxNativeExcel::MensajeErrorGuardar());
        return false;
    }
    return libro.SaveToFile();
}
