#include "reports/ReporteEntrada.h"

#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <cmath>

ReporteEntrada::ReporteEntrada(const ConexionReportes &lectura, db::Transaction *update, AjustesReportes ajustes)
    : c_(lectura), update_(update), a_(std::move(ajustes)), reporte_(std::make_unique<Reporte>())
{
}

ReporteEntrada::~ReporteEntrada() = default;

qint64 ReporteEntrada::CantidadEntera(double cantidad)
{
    // nearbyint rounds under the default mode: to nearest, halves to even.
    return static_cast<qint64>(std::nearbyint(cantidad));
}

std::vector<FacturaEntrada> ReporteEntrada::Filtrar(const FiltroEntrada &f)
{
    db::Query q(c_.tienda, c_.lectura);
    q.addSql(QStringLiteral("select * from FACTURAS_COMPRA where COMPROBANTE <> ''"));
    const bool fechas = f.inicial.isValid() && f.final.isValid() && f.inicial <= f.final;
    if (fechas)
        q.addSql(QStringLiteral("and FECHA >= :Inicial and FECHA <= :Final"));
    if (f.codProveedor > 0)
        q.addSql(QStringLiteral(" and CODIGO_PROVEEDOR = :Codigo"));
    if (!f.comprobante.trimmed().isEmpty())
        q.addSql(QStringLiteral("and COMPROBANTE containing :Comprobante"));
    q.addSql(f.ordenComprobante ? QStringLiteral(" order by COMPROBANTE, FECHA") : QStringLiteral(" order by FECHA, COMPROBANTE"));
    if (fechas) {
        q.paramByName("Inicial").setAsDate(f.inicial);
        q.paramByName("Final").setAsDate(f.final);
    }
    if (f.codProveedor > 0)
        q.paramByName("Codigo").setAsInteger(f.codProveedor);
    if (!f.comprobante.trimmed().isEmpty())
        q.paramByName("Comprobante").setAsString(f.comprobante.trimmed());
    std::vector<FacturaEntrada> out;
    for (q.execQuery(); !q.eof(); q.next()) {
        FacturaEntrada x;
        x.idCompra = q.fieldByName("ID_COMPRA").asInteger();
        x.fecha = q.fieldByName("FECHA").asDate();
        x.comprobante = q.fieldByName("COMPROBANTE").asString();
        x.nombre = q.fieldByName("NOMBRE").asString();
        x.anulada = q.fieldByName("ANULADA").asString();
        x.importe = q.fieldByName("IMPORTE_TOTAL").asCurrency();
        x.importeNC = q.fieldByName("IMPORTE_NC").asCurrency();
        out.push_back(std::move(x));
    }
    q.close();
    return out;
}

std::vector<LineaEntrada> ReporteEntrada::leerLineas(db::Query &q)
{
    std::vector<LineaEntrada> out;
    for (q.execQuery(); !q.eof(); q.next()) {
        LineaEntrada l;
        l.idCompra = q.fieldByName("ID_COMPRA").asInteger();
        l.fecha = q.fieldByName("FECHA").asDate();
        l.comprobante = q.fieldByName("COMPROBANTE").asString();
        l.codigo = q.fieldByName("CODIGO_ARTICULO").asString();
        l.descripcion = q.fieldByName("DESCRIPCION").asString();
        l.cantidad = q.fieldByName("CANTIDAD").asFloat();
        l.unitario = q.fieldByName("IMPORTE_UNITARIO").asCurrency();
        l.total = q.fieldByName("IMPORTE_TOTAL").asCurrency();
        out.push_back(std::move(l));
    }
    q.close();
    return out;
}

std::vector<LineaEntrada> ReporteEntrada::LineasFactura(int idCompra, bool ordenComprobante)
{
    db::Query q(c_.tienda, c_.lectura);
    q.addSql(QStringLiteral("select * from DETALLE_FACTURAS_COMPRA"));
    q.addSql(QStringLiteral(" where ID_COMPRA = :ID"));
    q.addSql(ordenComprobante ? QStringLiteral(" order by COMPROBANTE, FECHA, ID_DETALLE_FACTURA")
                              : QStringLiteral(" order by FECHA, COMPROBANTE, ID_DETALLE_FACTURA"));
    q.paramByName("ID").setAsInteger(idCompra);
    return leerLineas(q);
}

std::vector<LineaEntrada> ReporteEntrada::BuscarLineas(const QString &texto)
{
    db::Query q(c_.tienda, c_.lectura);
    q.setSql(QStringLiteral("select * from DETALLE_FACTURAS_COMPRA where DESCRIPCION containing :descrip"));
    q.paramByName("descrip").setAsString(texto);
    return leerLineas(q);
}

void ReporteEntrada::completarArticulo(FilaReporteEntrada &f)
{
    if (!c_.inventario)
        return;
    if (!articulo_) {
        articulo_ = std::make_unique<db::Query>(c_.inventario, c_.lecturaInv);
        articulo_->setSql(QStringLiteral("select i.PESONETO, i.COD_UNIDAD, u.NOMBRE from INVENTARIO i\n"
                                         " left join UNIDAD_MEDIDA u on u.COD_UNIDAD = i.COD_UNIDAD\n"
                                         " where i.COD_BARRAS = :Codigo"));
    }
    articulo_->paramByName("Codigo").setAsString(f.codigo);
    articulo_->execQuery();
    if (!articulo_->eof()) {
        f.peso = articulo_->field(0).asString();
        f.codUnidad = articulo_->field(1).asString();
        f.unidad = articulo_->field(2).asString();
    }
    articulo_->close();
}

void ReporteEntrada::AgregarLinea(const LineaEntrada &l)
{
    FilaReporteEntrada f{l.comprobante, l.codigo, l.descripcion, CantidadEntera(l.cantidad), l.unitario, l.total,
                         {}, {}, {}};
    completarArticulo(f);
    lista_.push_back(std::move(f));
}

void ReporteEntrada::AgregarLineas(const std::vector<LineaEntrada> &lineas)
{
    for (const auto &l : lineas)
        AgregarLinea(l);
}

void ReporteEntrada::AgregarFacturas(const std::vector<FacturaEntrada> &facturas, bool ordenComprobante)
{
    for (const auto &f : facturas)
        AgregarLineas(LineasFactura(f.idCompra, ordenComprobante));
}

void ReporteEntrada::BorrarFila(int indice)
{
    if (indice >= 0 && indice < static_cast<int>(lista_.size()))
        lista_.erase(lista_.begin() + indice);
}

EncabezadoEntrada ReporteEntrada::LeerEncabezado()
{
    db::Query q(c_.tienda, c_.lectura);
    q.setSql(QStringLiteral("select * from REPORTES_TXT_PANAMA order by ID_REPORTE"));
    EncabezadoEntrada e;
    q.execQuery();
    if (!q.eof()) {
        e.idReporte = q.fieldByName("ID_REPORTE").asInteger();
        e.importador = q.fieldByName("IMPORTADOR").asString();
        e.destino = q.fieldByName("DESTINO_ENTRADA").asString();
        e.transporte = q.fieldByName("TRANSPORTE_ENTRADA").asString();
        e.vendedor = q.fieldByName("VENDEDOR").asString();
        e.manifiesto = q.fieldByName("MANIFIESTO").asString();
        e.nroRep = q.fieldByName("NRO_REP").asString();
        e.fecha = q.fieldByName("FECHA_REP_ENTRADA").asDate();
    }
    q.close();
    return e;
}

void ReporteEntrada::GuardarEncabezado(EncabezadoEntrada &e)
{
    try {
        GuardarEncabezadoEntrada(*c_.tienda, *update_, e);
        update_->commit();
    } catch (...) {
        if (update_->active())
            update_->rollback();
        throw;
    }
}

Reporte &ReporteEntrada::Preparar()
{
    tabla_ = std::make_unique<TablaReporte>(QStringList{
        QStringLiteral("NroFactura"), QStringLiteral("Codigo_Articulo"), QStringLiteral("Cantidad"),
        QStringLiteral("Descripcion"), QStringLiteral("Precio_Unitario"), QStringLiteral("Precio_Total"),
        QStringLiteral("Peso"), QStringLiteral("CodUnidad"), QStringLiteral("Unidad")});
    for (const auto &f : lista_)
        tabla_->append({f.nroFactura, f.codigo, QString::number(f.cantidad), f.descripcion, TextoMonto(f.unitario),
                        TextoMonto(f.total), f.peso.isEmpty() ? QVariant() : QVariant(f.peso),
                        f.codUnidad.isEmpty() ? QVariant() : QVariant(f.codUnidad),
                        f.unidad.isEmpty() ? QVariant() : QVariant(f.unidad)});
    const EncabezadoEntrada e = LeerEncabezado();
    dsReporte_.setDataSet(tabla_.get());
    reporte_->setDataSet(&dsReporte_);
    reporte_->LoadFromFile(a_.pathReportes + kPlantilla);
    auto &v = reporte_->Variables;
    // Always quoted, so a value with quotes reaches the template as written.
    auto q = [](const QString &t) { return Reporte::QuotedStr(t); };
    VariablesEncabezado(a_, QStringLiteral("   Fax: "), v);
    v[QStringLiteral("Importador")] = q(e.importador);
    v[QStringLiteral("Destino")] = q(e.destino);
    v[QStringLiteral("Transporte")] = q(e.transporte);
    v[QStringLiteral("Vendedor")] = q(e.vendedor);
    v[QStringLiteral("Manifiesto")] = q(e.manifiesto);
    v[QStringLiteral("Fecha")] = q(e.fecha.isValid() ? e.fecha.toString(QStringLiteral("dd/MM/yyyy")) : QString());
    v[QStringLiteral("NroRep")] = q(e.nroRep);
    reporte_->PrepareReport();
    return *reporte_;
}
