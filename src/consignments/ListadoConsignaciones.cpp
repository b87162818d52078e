#include "consignments/ListadoConsignaciones.h"

#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"
#include "platform/db/Dataset.h"
#include "platform/db/Query.h"
#include "pricing/Funcionesyprocesoscompras.h"
#include "purchases/EntradaCompra.h"
#include "records/ErrorRegistro.h"

#include <QStringList>

QString ListadoConsignaciones::SqlFiltro(const FiltroConsignaciones &f)
{
    QStringList sql;
    sql << QStringLiteral("select * from CONSIGNACIONES where COMPROBANTE <> ''");
    if (f.inicial.isValid() && f.final.isValid() && f.final >= f.inicial)
        sql << QStringLiteral("and FECHA >= :Inicial and FECHA <= :Final");
    if (!f.todosProveedores)
        sql << QStringLiteral(" and NOMBRE = :nombre");
    if (!f.comprobante.trimmed().isEmpty())
        sql << QStringLiteral("AND COMPROBANTE CONTAINING :comp");
    sql << QStringLiteral(" ORDER BY FECHA, COMPROBANTE");
    return sql.join(QLatin1Char('\n'));
}

void ListadoConsignaciones::Filtrar(db::Dataset &c, const FiltroConsignaciones &f)
{
    c.close();
    c.setSelectSql(SqlFiltro(f));
    LigarFiltroConsignaciones(c, f);
    c.open();
}

void ListadoConsignaciones::Periodo(db::Query &q, QDate &inicial, QDate &final)
{
    q.setSql(QStringLiteral("select min(FECHA), max(FECHA) from CONSIGNACIONES"));
    q.execQuery();
    inicial = q.field(0).isNull() ? QDate::currentDate() : q.field(0).asDate();
    final = q.field(1).isNull() ? inicial : q.field(1).asDate();
    q.close();
}

void ListadoConsignaciones::CargarDetalle(db::Dataset &d, int id)
{
    d.close();
    d.setSelectSql(QStringLiteral("select * from DETALLE_CONSIGNACION where ID_CONSIGNACION = :Consig ORDER BY "
                                  "DESCRIPCION ASC"));
    d.paramByName(QStringLiteral("Consig")).setAsInteger(id);
    d.open();
}

QString ListadoConsignaciones::SqlFacturables(const QString &proveedor, const QString &comprobante)
{
    QStringList sql{QStringLiteral("select * from CONSIGNACIONES"), QStringLiteral("WHERE 1=1")};
    if (!proveedor.trimmed().isEmpty())
        sql << QStringLiteral(" AND NOMBRE containing :Texto");
    if (!comprobante.trimmed().isEmpty())
        sql << QStringLiteral("AND COMPROBANTE CONTAINING :comp");
    sql << QStringLiteral(" and ANULADA = 'N'") << QStringLiteral(" and ((PROCESADA = 'N') or (PROCESADA IS NULL))")
        << QStringLiteral(" order by FECHA,COMPROBANTE");
    return sql.join(QLatin1Char('\n'));
}

void ListadoConsignaciones::FiltrarFacturables(db::Dataset &c, const QString &proveedor, const QString &comprobante)
{
    c.close();
    c.setSelectSql(SqlFacturables(proveedor, comprobante));
    if (!proveedor.trimmed().isEmpty())
        c.paramByName(QStringLiteral("Texto")).setAsString(proveedor);
    if (!comprobante.trimmed().isEmpty())
        c.paramByName(QStringLiteral("comp")).setAsString(comprobante);
    c.open();
}

QString ListadoConsignaciones::SqlImpresion(const QString &modo, const FiltroConsignaciones &f)
{
    if (modo == QLatin1String("Todas"))
        return QStringLiteral("select * from CONSIGNACIONES where FECHA >= :Ini and FECHA <= :Fin");
    QStringList sql{QStringLiteral("select * from CONSIGNACIONES where COMPROBANTE <> ''")};
    if (f.inicial.isValid() && f.final.isValid() && f.final >= f.inicial)
        sql << QStringLiteral("and FECHA >= :Inicial and FECHA <= :Final");
    if (!f.todosProveedores)
        sql << QStringLiteral(" and CODIGO_PROVEEDOR = :Codigo");
    sql << QStringLiteral(" ORDER BY FECHA, COMPROBANTE");
    return sql.join(QLatin1Char('\n'));
}

void ListadoConsignaciones::FiltrarImpresion(db::Dataset &c, const QString &modo, const FiltroConsignaciones &f)
{
    c.close();
    c.setSelectSql(SqlImpresion(modo, f));
    if (modo == QLatin1String("Todas")) {
        c.paramByName(QStringLiteral("Ini")).setAsDate(f.inicial);
        c.paramByName(QStringLiteral("Fin")).setAsDate(f.final);
    } else {
        if (f.inicial.isValid() && f.final.isValid() && f.final >= f.inicial) {
            c.paramByName(QStringLiteral("Inicial")).setAsDate(f.inicial);
            c.paramByName(QStringLiteral("Final")).setAsDate(f.final);
        }
        if (!f.todosProveedores)
            c.paramByName(QStringLiteral("Codigo")).setAsInteger(f.codigoProveedor);
    }
    c.open();
}

Mensajes &FacturacionConsignacion::Avisos() const
{
    return mensajes_ ? *mensajes_ : mensajes();
}

FacturacionConsignacion::Resultado FacturacionConsignacion::Cargar(EntradaCompra &entrada, int id)
{
    error_.clear();
    CargaConsignacion carga;
    carga.idConsignacion = id;
    int codigoProveedor = 0;
    try {
        db::Query &q = datos_.Query_Lectura;
        q.setSql(QStringLiteral("select COMPROBANTE, CODIGO_PROVEEDOR from CONSIGNACIONES where ID_CONSIGNACION = :id "
                                "and ANULADA = 'N' and ((PROCESADA = 'N') or (PROCESADA IS NULL))"));
        q.paramByName("id").setAsInteger(id);
        q.execQuery();
        const bool existe = !q.eof();
        if (existe) {
            carga.nroConsignacion = q.field(0).asString();
            codigoProveedor = q.field(1).asInteger();
        }
        q.close();
        if (!existe) {
            error_ = ListadoConsignaciones::kDebeSeleccionar;
            Avisos().Advertencia(error_);
            return Resultado::NoExiste;
        }

        db::Query &p = datos_.QueryL_Inv;
        p.setSql(QStringLiteral("select COD_PROVEEDOR, NOMBRE from PROVEEDORES\n where COD_PROVEEDOR = :NroPro"));
        p.paramByName("NroPro").setAsInteger(codigoProveedor);
        p.execQuery();
        if (!p.eof()) {
            carga.codProveedor = p.field(0).asInteger();
            carga.nombreProveedor = p.field(1).asString();
        }
        p.close();

        const bool moneda2 = entrada.Moneda() == 2;
        q.setSql(QStringLiteral("select * from detalle_consignacion\nwhere comprobante = :comp\nand id_consignacion = :id\n"
                                "order by ID_DETALLE_CONSIGNACION"));
        q.paramByName("comp").setAsString(carga.nroConsignacion);
        q.paramByName("id").setAsInteger(id);
        for (q.execQuery(); !q.eof(); q.next()) {
            auto m = [&q](const char *c) { return q.fieldByName(QLatin1String(c)).asCurrency(); };
            auto t = [&q](const char *c) { return q.fieldByName(QLatin1String(c)).asString(); };
            const Currency pendiente =
                CantidadPendientedeProcesarConsignacion(m("CANTIDAD"), m("EXISTENCIA"), m("PROCESADOS"));
            if (pendiente <= Currency())
                continue;
            LineaNueva l;
            l.articulo.codigo = t("CODIGO_ARTICULO");
            l.articulo.nombre = t("DESCRIPCION");
            l.articulo.familia = t("CODIGO_FAMILIA");
            l.articulo.gravado = t("GRAVADO") == QLatin1String("S");
            l.articulo.impuestoIncluido = t("IMPUESTO_INCLUIDO") == QLatin1String("S");
            l.articulo.porcIv = m("PORC_IMPUESTO");
            l.cantidad = pendiente;
            // The consignment's cost is local; a document in the second currency takes it converted.
            l.costo = moneda2 ? entrada.TransformaMonedaDos(m("IMPORTE_UNITARIO")) : m("IMPORTE_UNITARIO");
            l.porcDescuento = Currency();
            l.precioVenta = Currency();
            l.enConsignacion = pendiente;
            carga.lineas.push_back(std::move(l));
        }
        q.close();
    } catch (const std::exception &e) {
        error_ = TextoDeError(e);
        Avisos().Error(error_);
        return Resultado::Error;
    }

    if (carga.lineas.empty()) {
        entrada.LimpiarFactura();
        error_ = QStringLiteral("En la consignación Nro: ") + carga.nroConsignacion +
                 QStringLiteral(" Faltan Productos para procesar que no han sido facturados ni devueltos.");
        Avisos().Informacion(error_);
        return Resultado::SinPendientes;
    }
    if (!entrada.CargarConsignacion(carga)) {
        error_ = entrada.UltimoError().isEmpty() ? EntradaCompra::kNoRecalcula : entrada.UltimoError();
        Avisos().Error(error_);
        return Resultado::Error;
    }
    return Resultado::Cargada;
}
