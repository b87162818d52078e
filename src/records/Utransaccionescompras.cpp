#include "records/Utransaccionescompras.h"

#include "data/Comp_fdatos.h"
#include "platform/db/DbError.h"
#include "platform/Mensajes.h"
#include "platform/db/Query.h"
#include "platform/db/Value.h"

#include <exception>
#include <initializer_list>
#include <vector>

namespace {

using db::Value;

db::Query &Consulta(db::Query TFDatosComp::*miembro)
{
    if (!FDatosComp)
        throw db::DbError(QStringLiteral("El módulo de datos no está conectado"));
    return FDatosComp->*miembro;
}

db::Query &Tienda() { return Consulta(&TFDatosComp::TransaccionV); }
db::Query &Inventario() { return Consulta(&TFDatosComp::TransaccionI); }

// Closes the query and gives it a new text, one line per item.
void Sentencia(db::Query &q, std::initializer_list<QString> lineas)
{
    q.close();
    q.clearSql();
    for (const QString &l : lineas)
        q.addSql(l);
}

// Runs `cuerpo`; false when it raised.
template <class F> bool Intentar(F &&cuerpo)
{
    try {
        cuerpo();
        return true;
    } catch (const db::DbError &) {
        return false;
    } catch (const std::exception &) {
        return false;
    }
}

void Ligar(db::Query &q, const char *nombre, const Value &v) { q.paramByName(QLatin1String(nombre)).setValue(v); }

Value Texto(const QString &s) { return Value::text(s); }
Value Entero(int i) { return Value::integer(i); }
Value Moneda(Currency c) { return Value::currency(c); }
Value FechaHora(const QDateTime &f) { return Value::dateTime(f); }
Value Fecha(const QDateTime &f) { return Value::date(f.date()); }

struct Columna {
    const char *nombre;
    Value valor;
};

// "INSERT INTO <tabla>(" the columns ")VALUES(" the same names as parameters ")", executed.
// With `clave` the statement returns that column, read into *clave.
void Insertar(db::Query &q, const QString &encabezado, const std::vector<Columna> &columnas,
              const char *clave = nullptr, int *valorClave = nullptr)
{
    QStringList nombres, parametros;
    for (const Columna &c : columnas) {
        nombres << QLatin1String(c.nombre);
        parametros << QLatin1Char(':') + QLatin1String(c.nombre);
    }
    Sentencia(q, {encabezado, nombres.join(QLatin1Char(',')), QStringLiteral(")VALUES("),
                  parametros.join(QLatin1Char(',')), QStringLiteral(")")});
    if (clave && valorClave)
        q.addSql(QStringLiteral("returning ") + QLatin1String(clave));
    for (const Columna &c : columnas)
        Ligar(q, c.nombre, c.valor);
    q.execQuery();
    if (clave && valorClave)
        *valorClave = q.fieldByName(QLatin1String(clave)).asInteger();
    q.close();
}

void Ejecutar(db::Query &q)
{
    q.execQuery();
    q.close();
}

} // namespace

bool EsFechaCero(const QDateTime &fecha)
{
    return !fecha.isValid() || fecha.date() == QDate(1899, 12, 30);
}

QString BanderaSN(const QString &bandera)
{
    return bandera == QLatin1String("S") ? QStringLiteral("S") : QStringLiteral("N");
}

// ---------------------------------------------------------------------------
// Work tables
// ---------------------------------------------------------------------------

bool EliminaTempCompras(int modo, int nroCaja, const QString &computadora)
{
    if (modo != 1 && modo != 2)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        auto borrar = [&](const QString &tabla) {
            Sentencia(q, {QStringLiteral("delete from ") + tabla, QStringLiteral(" where NRO_CAJA = :nro_caja"),
                          QStringLiteral(" and COMPUTADORA = :compu")});
            Ligar(q, "nro_caja", Entero(nroCaja));
            Ligar(q, "compu", Texto(computadora));
            Ejecutar(q);
        };
        borrar(QStringLiteral("TEMPORAL_ENC_COMPRA"));
        if (modo == 1)
            borrar(QStringLiteral("TEMPORAL_COMPRAS"));
    });
}

bool ActualizaTempCompras(int modo, int nroCaja, const QString &computadora, Currency porcDescuento, Currency,
                          Currency, Currency, Currency, Currency, Currency, Currency, Currency, Currency, Currency)
{
    if (modo != 1)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("update TEMPORAL_COMPRAS"), QStringLiteral(" set PORCE_DESC = :Descuento,"),
                      QStringLiteral(" IMPORTE_DESCUENTO = :Descuento*(CANTIDAD*(IMP_UNIT_SIN_IV/100))"),
                      QStringLiteral(" where NRO_CAJA = :nro_caja"), QStringLiteral(" and COMPUTADORA = :compu")});
        Ligar(q, "Descuento", Moneda(porcDescuento));
        Ligar(q, "nro_caja", Entero(nroCaja));
        Ligar(q, "compu", Texto(computadora));
        Ejecutar(q);
    });
}

// ---------------------------------------------------------------------------
// Purchase invoices
// ---------------------------------------------------------------------------

bool InsertarFacturasCompras(const QString &computadora, int nroCaja, const QDateTime &fechaCarga,
                             const QDateTime &fecha, const QString &comprobante, int codigoProveedor,
                             const QString &nombre, const QString &cedula, const QString &telefono,
                             const QString &numeroCheque, int diasCredito, Currency importeDescuento,
                             Currency porcDescuento, Currency importeIv, Currency importeTotal,
                             Currency importeEfectivo, Currency importeCheque, Currency importeCredito,
                             Currency importeNc, Currency subtotalGravado, Currency subtotalNoGravado,
                             Currency totalGravado, Currency totalNoGravado, int monedaCarga,
                             const QString &efectivoCaja, Currency tipoCambio, Currency tipoCambio2,
                             const QString &inventarioPrincipal, const QString &codBodega, int *idCompra)
{
    return Intentar([&] {
        Insertar(Tienda(), QStringLiteral("INSERT INTO FACTURAS_COMPRA("),
                 {{"COMPUTADORA", Texto(computadora)},
                  {"NRO_CAJA", Entero(nroCaja)},
                  {"FECHA_CARGA", FechaHora(fechaCarga)},
                  {"FECHA", FechaHora(fecha)},
                  {"COMPROBANTE", Texto(comprobante)},
                  {"CODIGO_PROVEEDOR", Entero(codigoProveedor)},
                  {"NOMBRE", Texto(nombre)},
                  {"CEDULA", Texto(cedula)},
                  {"TELEFONO", Texto(telefono)},
                  {"NUMERO_CHEQUE", Texto(numeroCheque)},
                  {"DIAS_CREDITO", Entero(diasCredito)},
                  {"IMPORTE_DESCUENTO", Moneda(importeDescuento)},
                  {"PORC_DESCUENTO", Moneda(porcDescuento)},
                  {"IMPORTE_IV", Moneda(importeIv)},
                  {"IMPORTE_TOTAL", Moneda(importeTotal)},
                  {"IMPORTE_EFECTIVO", Moneda(importeEfectivo)},
                  {"IMPORTE_CHEQUE", Moneda(importeCheque)},
                  {"IMPORTE_CREDITO", Moneda(importeCredito)},
                  {"IMPORTE_NC", Moneda(importeNc)},
                  {"SUBTOTAL_GRAVADO", Moneda(subtotalGravado)},
                  {"SUBTOTAL_NO_GRAVADO", Moneda(subtotalNoGravado)},
                  {"TOTAL_GRAVADO", Moneda(totalGravado)},
                  {"TOTAL_NO_GRAVADO", Moneda(totalNoGravado)},
                  {"MONEDA_CARGA", Entero(monedaCarga)},
                  {"EFECTIVO_CAJA", Texto(efectivoCaja)},
                  {"TIPO_CAMBIO", Moneda(tipoCambio)},
                  {"TIPO_CAMBIO_2", Moneda(tipoCambio2)},
                  {"INVENTARIO_PRINCIPAL", Texto(inventarioPrincipal)},
                  {"COD_BODEGA", Texto(codBodega)}},
                 "ID_COMPRA", idCompra);
    });
}

bool InsertarDetalleFacturasCompras(const QString &computadora, int nroCaja, int idCompra,
                                    const QDateTime &fecha, const QString &comprobante,
                                    const QString &codigoFamilia, const QString &codigoArticulo,
                                    const QString &descripcion, const QString &gravado,
                                    const QString &impuestoIncluido, const QString &fraccionado,
                                    Currency importeUnitario, Currency importeImpuesto, Currency importeTotal,
                                    Currency importeDescuento, Currency cantidad, Currency porcImpuesto,
                                    Currency porcDescuento, int monedaCarga, Currency precioAnterior,
                                    Currency promedioAnterior, Currency tipoCambio, Currency tipoCambio2,
                                    Currency cantidadAnterior, Currency precioVentaSinIv)
{
    return Intentar([&] {
        Insertar(Tienda(), QStringLiteral("INSERT INTO DETALLE_FACTURAS_COMPRA("),
                 {{"COMPUTADORA", Texto(computadora)},
                  {"NRO_CAJA", Entero(nroCaja)},
                  {"ID_COMPRA", Entero(idCompra)},
                  {"FECHA", FechaHora(fecha)},
                  {"COMPROBANTE", Texto(comprobante)},
                  {"CODIGO_FAMILIA", Texto(codigoFamilia)},
                  {"CODIGO_ARTICULO", Texto(codigoArticulo)},
                  {"DESCRIPCION", Texto(descripcion)},
                  {"GRAVADO", Texto(gravado)},
                  {"IMPUESTO_INCLUIDO", Texto(impuestoIncluido)},
                  {"FRACCIONADO", Texto(fraccionado)},
                  {"IMPORTE_UNITARIO", Moneda(importeUnitario)},
                  {"IMPORTE_IMPUESTO", Moneda(importeImpuesto)},
                  {"IMPORTE_TOTAL", Moneda(importeTotal)},
                  {"IMPORTE_DESCUENTO", Moneda(importeDescuento)},
                  {"CANTIDAD", Moneda(cantidad)},
                  {"PORC_IMPUESTO", Moneda(porcImpuesto)},
                  {"PORC_DESCUENTO", Moneda(porcDescuento)},
                  {"MONEDA_CARGA", Entero(monedaCarga)},
                  {"PRECIO_ANTERIOR", Moneda(precioAnterior)},
                  {"PROMEDIO_ANTERIOR", Moneda(promedioAnterior)},
                  {"TIPO_CAMBIO", Moneda(tipoCambio)},
                  {"TIPO_CAMBIO_2", Moneda(tipoCambio2)},
                  {"CANTIDAD_ANTERIOR", Moneda(cantidadAnterior)},
                  {"PRECIO_VENTA_SIN_IV", Moneda(precioVentaSinIv)}});
    });
}

bool ActualizaFacturaCompra(int modo, int idCompra, Currency importe)
{
    if (modo != 1 && modo != 2)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        if (modo == 1) {
            Sentencia(q, {QStringLiteral("update FACTURAS_COMPRA set IMPORTE_NC = :importe where ID_COMPRA = :id")});
            Ligar(q, "importe", Moneda(importe));
        } else {
            Sentencia(q, {QStringLiteral(
                             "update FACTURAS_COMPRA set ANULADA = :anulada, FECHA_ANULACION = :fecha where ID_COMPRA = :id")});
            Ligar(q, "anulada", Texto(QStringLiteral("S")));
            // The workstation's clock, not the server's.
            Ligar(q, "fecha", FechaHora(QDateTime::currentDateTime()));
        }
        Ligar(q, "id", Entero(idCompra));
        Ejecutar(q);
    });
}

bool ActualizaDetalleFacturaCompra(int modo, int id, Currency precio)
{
    if (modo != 1 && modo != 2)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        if (modo == 1) {
            Sentencia(q, {QStringLiteral("update DETALLE_FACTURAS_COMPRA set ANULADA = :anulada where ID_COMPRA = :id")});
            Ligar(q, "anulada", Texto(QStringLiteral("S")));
        } else {
            Sentencia(q, {QStringLiteral(
                             "update DETALLE_FACTURAS_COMPRA set PRECIO_VENTA_SIN_IV = :precio where ID_DETALLE_FACTURA = :id")});
            Ligar(q, "precio", Moneda(precio));
        }
        Ligar(q, "id", Entero(id));
        Ejecutar(q);
    });
}

bool EliminarFacturasCompras(int modo, int idCompra)
{
    if (modo != 1)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("delete from FACTURAS_COMPRA"), QStringLiteral(" where ID_COMPRA = :Id")});
        Ligar(q, "Id", Entero(idCompra));
        Ejecutar(q);
    });
}

bool EliminarDetalleFacturasCompras(int modo, const QString &comprobante, int idCompra)
{
    if (modo != 1)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("delete from DETALLE_FACTURAS_COMPRA"), QStringLiteral(" where COMPROBANTE = :Comprob"),
                      QStringLiteral(" and ID_COMPRA = :IdCompra")});
        Ligar(q, "Comprob", Texto(comprobante));
        Ligar(q, "IdCompra", Entero(idCompra));
        Ejecutar(q);
    });
}

bool CambiarConsecutivo(int modo, int id, int valor)
{
    if (modo != 1 && modo != 2)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {modo == 1 ? QStringLiteral("update CONSECUTIVOS set ENTRADA = :Valor where ID = :ID")
                                : QStringLiteral("update CONSECUTIVOS set SALIDA = :Valor where ID = :ID")});
        Ligar(q, "Valor", Entero(valor));
        Ligar(q, "ID", Entero(id));
        Ejecutar(q);
    });
}

bool ActualizaFamilia(int modo, const QString &codFamilia)
{
    if (modo != 1)
        return true;
    return Intentar([&] {
        db::Query &q = Inventario();
        Sentencia(q, {QStringLiteral("update FAMILIA set NRO_ARTICULO = NRO_ARTICULO+1 where COD_FAMILIA = :codfamilia")});
        Ligar(q, "codfamilia", Texto(codFamilia));
        Ejecutar(q);
    });
}

// ---------------------------------------------------------------------------
// Inventory, stock and movements
// ---------------------------------------------------------------------------

bool ActualizaInventario(int modo, const QString &articulo, Currency cantidad, Currency promedio,
                         const QString &bodega)
{
    if (modo < 1 || modo > 7)
        return true;
    return Intentar([&] {
        db::Query &q = Inventario();
        switch (modo) {
        case 1:
            Sentencia(q, {QStringLiteral(
                             "update INVENTARIO set STOCK = :Stock, COSTO_PROMEDIO = :Promedio where COD_BARRAS = :Codigo")});
            Ligar(q, "Stock", Moneda(cantidad));
            Ligar(q, "Promedio", Moneda(promedio));
            Ligar(q, "Codigo", Texto(articulo));
            break;
        case 2:
        case 5:
            Sentencia(q, {QStringLiteral("update EXISTENCIAS"),
                          modo == 2 ? QStringLiteral(" set EXISTENCIA = :cantidad")
                                    : QStringLiteral(" set EXISTENCIA = EXISTENCIA + :cantidad"),
                          QStringLiteral(" where COD_BODEGA = :codbodega"), QStringLiteral(" and COD_ART = :codArt")});
            Ligar(q, "cantidad", Moneda(cantidad));
            Ligar(q, "codArt", Texto(articulo));
            Ligar(q, "codbodega", Texto(bodega));
            break;
        case 3:
            Sentencia(q, {QStringLiteral("update INVENTARIO set STOCK = :Stock where COD_BARRAS = :Codigo")});
            Ligar(q, "Stock", Moneda(cantidad));
            Ligar(q, "Codigo", Texto(articulo));
            break;
        case 4:
            Sentencia(q, {QStringLiteral("update INVENTARIO set STOCK = STOCK - :Stock, COSTO_PROMEDIO = :Promedio "
                                         "where COD_BARRAS = :Codigo"),
                          QStringLiteral(" and ACTUALIZAR_EXIST = ") + QStringLiteral("'S'")});
            Ligar(q, "Stock", Moneda(cantidad));
            Ligar(q, "Promedio", Moneda(promedio));
            Ligar(q, "Codigo", Texto(articulo));
            break;
        case 6:
            Sentencia(q, {QStringLiteral("update INVENTARIO set PRECIO_COMPRA = :preciocompra where COD_BARRAS = :Codigo")});
            Ligar(q, "preciocompra", Moneda(cantidad));
            Ligar(q, "Codigo", Texto(articulo));
            break;
        case 7:
            Sentencia(q, {QStringLiteral("update compuesto set costo = :precio where cod_articulo = :CodArt")});
            Ligar(q, "precio", Moneda(cantidad));
            Ligar(q, "CodArt", Texto(articulo));
            break;
        default:
            return;
        }
        Ejecutar(q);
    });
}

bool InsertarExistencias(int modo, const QString &articulo, const QString &bodega, Currency existencia,
                         Currency reservaApartados, Currency reservaPrefacturas)
{
    if (modo != 1)
        return true;
    return Intentar([&] {
        Insertar(Inventario(), QStringLiteral("insert into EXISTENCIAS("),
                 {{"COD_ART", Texto(articulo)},
                  {"COD_BODEGA", Texto(bodega)},
                  {"EXISTENCIA", Moneda(existencia)},
                  {"RESERVA_APARTADOS", Moneda(reservaApartados)},
                  {"RESERVA_PREFACTURAS", Moneda(reservaPrefacturas)}});
    });
}

bool ActualizarInventarioCompras(db::Query &q, const TRegistroCompras &r, const QString &actualizaStock,
                                 const QString &gravado, const QString &ivi)
{
    static const char *const sufijos[] = {"uno", "dos", "tres", "cuatro"};
    try {
        const bool conStock = actualizaStock == QLatin1String("S");
        QStringList lineas{QStringLiteral("UPDATE INVENTARIO")};
        if (conStock)
            lineas << QStringLiteral("SET STOCK = :stock") << QStringLiteral(",");
        else
            lineas << QStringLiteral(" SET ");
        lineas << QStringLiteral("PREVEN_1 = :prevenuno,PRECIOSINIV_1 = :psivuno,PRECIOCONIV_1 = :pcivuno");
        // A level on a manual base, or on a base the card does not offer, keeps its stored prices.
        auto seEscribe = [&r](int i) { return i == 0 || (r.BaseCalculo[i] >= 1 && r.BaseCalculo[i] <= 3); };
        for (int i = 1; i < 4; ++i) {
            if (!seEscribe(i))
                continue;
            const QString n = QString::number(i + 1), s = QLatin1String(sufijos[i]);
            lineas << QStringLiteral(",PREVEN_%1 = :preven%2,PRECIOSINIV_%1 = :psiv%2,PRECIOCONIV_%1 = :pciv%2").arg(n, s);
        }
        lineas << QStringLiteral(",COSTO_PROMEDIO = :costopro") << QStringLiteral(",PRECIO_COMPRA = :preciocompra")
               << QStringLiteral(",FK_PROVEEDOR = :codproveedor") << QStringLiteral(",FECHA_ULTIMACOMPRA = :fechaultcomp")
               << QStringLiteral(",GRAVADO = :gravado") << QStringLiteral(",IMPUESTO_INCLUIDO = :ivi")
               << QStringLiteral("WHERE COD_BARRAS = :cod");
        // The same text keeps the query's parsed parameters.
        const QString texto = lineas.join(QLatin1Char('\n'));
        q.close();
        if (q.sql() != texto)
            q.setSql(texto);

        if (conStock)
            Ligar(q, "stock", Moneda(r.Stock));
        for (int i = 0; i < 4; ++i) {
            if (!seEscribe(i))
                continue;
            const QString s = QLatin1String(sufijos[i]);
            q.paramByName(QStringLiteral("preven") + s).setAsCurrency(r.PrecioVenta[i]);
            q.paramByName(QStringLiteral("psiv") + s).setAsCurrency(r.PrecioSinIv[i]);
            q.paramByName(QStringLiteral("pciv") + s).setAsCurrency(r.PrecioConIv[i]);
        }
        // An article without stock keeps its last purchase price as its average cost.
        Ligar(q, "costopro", Moneda(conStock ? r.CostoPromedio : r.PrecioCompra));
        Ligar(q, "preciocompra", Moneda(r.PrecioCompra));
        Ligar(q, "codproveedor", Entero(r.CodProveedor));
        Ligar(q, "fechaultcomp", Fecha(r.FechaUltimaCompra));
        Ligar(q, "gravado", Texto(gravado));
        Ligar(q, "ivi", Texto(BanderaSN(ivi)));
        Ligar(q, "cod", Texto(r.Codigo));
        Ejecutar(q);
        return true;
    } catch (const std::exception &e) {
        const auto *dbe = dynamic_cast<const db::DbError *>(&e);
        const QString texto = dbe ? dbe->message() : QString::fromUtf8(e.what());
        mensajes().Informacion(QStringLiteral("Sucedió un inconveniente al Actualizar el Inventario\r\nMensaje:\r\n") + texto);
        return false;
    }
}

bool ActualizarInventarioCompras(const TRegistroCompras &registro, const QString &actualizaStock,
                                 const QString &gravado, const QString &ivi)
{
    db::Query *q = nullptr;
    try {
        q = &Inventario();
    } catch (const db::DbError &) {
        return false;
    }
    return ActualizarInventarioCompras(*q, registro, actualizaStock, gravado, ivi);
}

bool ActualizarInventario(int modo, const TArticuloInventario &a)
{
    if (modo != 1 && modo != 2)
        return true;
    auto nuloSi = [](bool nulo, const Value &v) { return nulo ? Value() : v; };
    std::vector<std::pair<QString, Value>> cols = {
        {QStringLiteral("CODIGO2"), Texto(a.CODIGO2)},
        {QStringLiteral("CODIGO3"), Texto(a.CODIGO3)},
        {QStringLiteral("COD_FAMILIA"),
         nuloSi(a.COD_FAMILIA.isEmpty() || a.COD_FAMILIA == QLatin1String("0"), Texto(a.COD_FAMILIA))},
        {QStringLiteral("COD_UBICACION"), nuloSi(a.COD_UBICACION == 0, Entero(a.COD_UBICACION))},
        {QStringLiteral("COD_UNIDAD"), nuloSi(a.COD_UNIDAD == 0, Entero(a.COD_UNIDAD))},
        {QStringLiteral("NOMBRE"), Texto(a.NOMBRE)},
        {QStringLiteral("NOMBRE2"), Texto(a.NOMBRE2)},
        {QStringLiteral("PRECIO_COMPRA"), Moneda(a.PRECIO_COMPRA)},
        {QStringLiteral("FECHA_ULTIMACOMPRA"), FechaHora(a.FECHA_ULTIMACOMPRA)},
        {QStringLiteral("STOCK_MINIMO"), Moneda(a.STOCK_MINIMO)},
        {QStringLiteral("REPOSICION"), Moneda(a.REPOSICION)},
        {QStringLiteral("RESERVA_APARTADOS"), Moneda(a.RESERVA_APARTADOS)},
        {QStringLiteral("RESERVA_PREFACTURA"), Moneda(a.RESERVA_PREFACTURA)},
        {QStringLiteral("PORC_IV"), Moneda(a.PORC_IV)},
        {QStringLiteral("GRAVADO"), Texto(a.GRAVADO)},
        {QStringLiteral("IMPUESTO_INCLUIDO"), Texto(a.IMPUESTO_INCLUIDO)},
        {QStringLiteral("ACTUALIZAR_EXIST"), Texto(a.ACTUALIZAR_EXIST)},
        {QStringLiteral("PAGA_COMISION"), Texto(a.PAGA_COMISION)},
        {QStringLiteral("COMPUESTO"), Texto(a.COMPUESTO)},
        {QStringLiteral("TIENE_SERIE"), Texto(a.TIENE_SERIE)},
        {QStringLiteral("FRACCIONADO"), Texto(a.FRACCIONADO)},
    };
    for (int i = 0; i < 4; ++i) {
        const NivelArticulo &n = a.Niveles[i];
        const QString s = QString::number(i + 1);
        cols.insert(cols.end(), {{QStringLiteral("PREVEN_") + s, Moneda(n.PREVEN)},
                                 {QStringLiteral("BASECALCULO_") + s, Entero(n.BASECALCULO)},
                                 {QStringLiteral("COEFA_") + s, Moneda(n.COEFA)},
                                 {QStringLiteral("COEFB_") + s, Moneda(n.COEFB)},
                                 {QStringLiteral("SUMAFIJA_") + s, Moneda(n.SUMAFIJA)},
                                 {QStringLiteral("REDONDEO_") + s, Entero(n.REDONDEO)},
                                 {QStringLiteral("PRECIOSINIV_") + s, Moneda(n.PRECIOSINIV)},
                                 {QStringLiteral("PRECIOCONIV_") + s, Moneda(n.PRECIOCONIV)}});
    }
    cols.insert(cols.end(), {
                                {QStringLiteral("COSTO_PROMEDIO"), Moneda(a.COSTO_PROMEDIO)},
                                {QStringLiteral("DESC_MAX_ART"), Moneda(a.DESC_MAX_ART)},
                                {QStringLiteral("STOCK"), Moneda(a.STOCK)},
                                {QStringLiteral("PRECIO_DEFECTO"), Moneda(a.PRECIO_DEFECTO)},
                                {QStringLiteral("FK_PROVEEDOR"), Entero(a.FK_PROVEEDOR)},
                                {QStringLiteral("CONSIGNACION"), Texto(a.CONSIGNACION)},
                                {QStringLiteral("LIBRE1"), Texto(a.LIBRE1)},
                                {QStringLiteral("LIBRE2"), Texto(a.LIBRE2)},
                                {QStringLiteral("LIBRE3"), Texto(a.LIBRE3)},
                                {QStringLiteral("LIBRE4"), Texto(a.LIBRE4)},
                                {QStringLiteral("CANT_ULTIMA_COMPRA"), Moneda(a.CANT_ULTIMA_COMPRA)},
                                {QStringLiteral("ULTIMO_CICLICO"), FechaHora(a.ULTIMO_CICLICO)},
                                {QStringLiteral("OBS"), Texto(a.OBS)},
                                {QStringLiteral("PROMOCION"), Texto(a.PROMOCION)},
                                {QStringLiteral("RESTRINGE_DESCUENTO"), Texto(a.RESTRINGE_DESCUENTO)},
                                {QStringLiteral("FECHA_CIERRE"), FechaHora(a.FECHA_CIERRE)},
                                {QStringLiteral("CANT_INICIAL"), Moneda(a.CANT_INICIAL)},
                                {QStringLiteral("REDONDEA_PRECIO_FINAL"), Texto(a.REDONDEA_PRECIO_FINAL)},
                                {QStringLiteral("DESACTIVADO"), Texto(a.DESACTIVADO)},
                                {QStringLiteral("SE_USA_EN_PEDIDO"), Texto(a.SE_USA_EN_PEDIDO)},
                                {QStringLiteral("TIENE_VENCIMIENTO"), Texto(a.TIENE_VENCIMIENTO)},
                                {QStringLiteral("ID_LABORATORIO"), Entero(a.ID_LABORATORIO)},
                                {QStringLiteral("PESONETO"), Moneda(a.PESONETO)},
                                {QStringLiteral("PRESENTACION"), Moneda(a.PRESENTACION)},
                                {QStringLiteral("PG_CANT_X_TANDA"), Entero(a.PG_CANT_X_TANDA)},
                                {QStringLiteral("PG_COMPUESTO"), Texto(a.PG_COMPUESTO)},
                                {QStringLiteral("VENTAALPESO"), Texto(a.VENTAALPESO)},
                            });
    return Intentar([&] {
        db::Query &q = Inventario();
        q.close();
        q.clearSql();
        if (modo == 1) {
            q.addSql(QStringLiteral("UPDATE INVENTARIO SET "));
            for (const auto &c : cols)
                q.addSql(QStringLiteral(" %1 = :%1,").arg(c.first));
            q.addSql(QStringLiteral("ARTICULO_INACTIVO= 'N'  "));
            q.addSql(QStringLiteral("WHERE COD_BARRAS = :OLD_COD_BARRAS"));
        } else {
            QStringList nombres, parametros;
            for (const auto &c : cols) {
                nombres << c.first;
                parametros << QLatin1Char(':') + c.first;
            }
            q.addSql(QStringLiteral("INSERT INTO INVENTARIO("));
            q.addSql(nombres.join(QLatin1Char(',')) + QStringLiteral(",COD_BARRAS,FECHA_ALTA"));
            q.addSql(QStringLiteral(")VALUES("));
            q.addSql(parametros.join(QLatin1Char(',')) + QStringLiteral(",:OLD_COD_BARRAS,:FECHA_ALTA)"));
            Ligar(q, "FECHA_ALTA", FechaHora(QDateTime::currentDateTime()));
        }
        for (const auto &c : cols)
            q.paramByName(c.first).setValue(c.second);
        Ligar(q, "OLD_COD_BARRAS", Texto(a.OLD_COD_BARRAS));
        Ejecutar(q);
    });
}

bool InsertarMovStock(db::Query &q, const QDateTime &fecha, int tipo, const QString &descripcion,
                      const QString &familia, const QString &articulo, const QString &nombreArticulo,
                      const QString &comprobante, Currency cantidad, const QString &fraccionado,
                      const QString &usuarioCrea, const QString &usuarioActualiza, Currency tipoCambio,
                      Currency tipoCambio2, int idTransaccion)
{
    QString prefijo;
    if (tipo == 1)
        prefijo = QStringLiteral("Aumento manual de inventario - ");
    else if (tipo == 2)
        prefijo = QStringLiteral("Decremento manual de inventario - ");
    else
        prefijo = QStringLiteral("Factura de Compra Nro.  - ");
    return Intentar([&] {
        static const QString texto = QStringLiteral(
            "insert into MOVIMIENTOS_STOCK\n"
            "(FECHA, TIPO_MOVIMIENTO, DESCRIPCION_MOV, FAMILIA, COD_BARRAS, NOMBRE_ARTICULO, COMPROBANTE,\n"
            " CANTIDAD, FRACCIONADO, CREATE_USERID, CREATE_TMSTMP, UPDATE_USERID, UPDATE_TMSTMP,\n"
            " TIPO_CAMBIO, TIPO_CAMBIO_2, ID_TRANSACCION)\n"
            "values (:vFECHA, :vTIPO_MOVIMIENTO, :vDESCRIPCION_MOV, :vFAMILIA, :vCOD_BARRAS, :vNOMBRE_ARTICULO,\n"
            " :vCOMPROBANTE, :vCANTIDAD, :vFRACCIONADO, :vCREATE_USERID, :vCREATE_TMSTMP, :vUPDATE_USERID,\n"
            " :vUPDATE_TMSTMP, :vTIPO_CAMBIO, :vTIPO_CAMBIO2, :vID_TRANSACCION)");
        q.close();
        if (q.sql() != texto)
            q.setSql(texto);
        Ligar(q, "vFECHA", FechaHora(fecha));
        Ligar(q, "vTIPO_MOVIMIENTO", Entero(tipo));
        Ligar(q, "vDESCRIPCION_MOV", Texto(prefijo + descripcion));
        Ligar(q, "vFAMILIA", Texto(familia));
        Ligar(q, "vCOD_BARRAS", Texto(articulo));
        Ligar(q, "vNOMBRE_ARTICULO", Texto(nombreArticulo));
        Ligar(q, "vCOMPROBANTE", Texto(comprobante));
        Ligar(q, "vCANTIDAD", Moneda(cantidad));
        Ligar(q, "vFRACCIONADO", Texto(fraccionado));
        Ligar(q, "vCREATE_USERID", Texto(usuarioCrea));
        Ligar(q, "vCREATE_TMSTMP", FechaHora(fecha));
        Ligar(q, "vUPDATE_USERID", Texto(usuarioActualiza));
        Ligar(q, "vUPDATE_TMSTMP", FechaHora(fecha));
        Ligar(q, "vTIPO_CAMBIO", Moneda(tipoCambio));
        Ligar(q, "vTIPO_CAMBIO2", Moneda(tipoCambio2));
        Ligar(q, "vID_TRANSACCION", Entero(idTransaccion));
        Ejecutar(q);
    });
}

bool InsertarMovStock(const QDateTime &fecha, int tipo, const QString &descripcion, const QString &familia,
                      const QString &articulo, const QString &nombreArticulo, const QString &comprobante,
                      Currency cantidad, const QString &fraccionado, const QString &usuarioCrea,
                      const QString &usuarioActualiza, Currency tipoCambio, Currency tipoCambio2, int idTransaccion)
{
    if (!FDatosComp)
        return false;
    return InsertarMovStock(FDatosComp->TransaccionV, fecha, tipo, descripcion, familia, articulo, nombreArticulo,
                            comprobante, cantidad, fraccionado, usuarioCrea, usuarioActualiza, tipoCambio,
                            tipoCambio2, idTransaccion);
}

bool EliminarMovStock(int modo, int tipo, const QString &comprobante, const QString &articulo,
                      const QDateTime &fecha)
{
    if (modo != 1)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("delete from MOVIMIENTOS_STOCK"), QStringLiteral(" where TIPO_MOVIMIENTO = :Mov"),
                      QStringLiteral(" and COMPROBANTE  = :Comprobante"),
                      QStringLiteral(" and FECHA = :Fecha and COD_BARRAS = :Articulo")});
        Ligar(q, "Mov", Entero(tipo));
        Ligar(q, "Comprobante", Texto(comprobante));
        Ligar(q, "Fecha", Fecha(fecha));
        Ligar(q, "Articulo", Texto(articulo));
        Ejecutar(q);
    });
}

bool EliminarMovimientosStock(int idTransaccion, int tipo, const QString &comprobante, const QDateTime &fecha)
{
    return Intentar([&] {
        db::Query &q = Consulta(&TFDatosComp::QueryG_PV);
        Sentencia(q, {QStringLiteral("Delete from movimientos_stock where ID_TRANSACCION=:vIdTran and "
                                     "TIPO_MOVIMIENTO=:vMov and COMPROBANTE=:vComp and FECHA=:vFecha")});
        Ligar(q, "vIdTran", Entero(idTransaccion));
        Ligar(q, "vMov", Entero(tipo));
        Ligar(q, "vComp", Texto(comprobante));
        Ligar(q, "vFecha", Fecha(fecha));
        Ejecutar(q);
    });
}

bool InsertarMovEntradaSalida(const QDateTime &fecha, const QString &comprobante, int tipo,
                              const QString &descripcion, const QString &usuario, const QString &anulado)
{
    const bool entrada = tipo == 1;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("insert into ENTRADA_SALIDA"), QStringLiteral("(FECHA, COMPROBANTE, TIPO_MOV,"),
                      entrada ? QStringLiteral("TIPO_ENTRADA,") : QStringLiteral("TIPO_SALIDA,"),
                      QStringLiteral("DESCRIPCION, CREATE_USERID, CREATE_TMSTMP, ANULADO)"),
                      QStringLiteral("values (:vFECHA, :vCOMPROBANTE, :vTIPO_MOV,"),
                      entrada ? QStringLiteral(":vTIPO_ENTRADA,") : QStringLiteral(":vTIPO_SALIDA,"),
                      QStringLiteral(":vDESCRIPCION, :vCREATE_USERID, :vCREATE_TMSTMP, :vANULADO)")});
        Ligar(q, "vFECHA", FechaHora(fecha));
        Ligar(q, "vCOMPROBANTE", Texto(comprobante));
        Ligar(q, "vTIPO_MOV", Entero(entrada ? 1 : 2));
        if (entrada)
            Ligar(q, "vTIPO_ENTRADA", Entero(3));
        else
            Ligar(q, "vTIPO_SALIDA", Entero(5));
        Ligar(q, "vDESCRIPCION", Texto(descripcion));
        Ligar(q, "vCREATE_USERID", Texto(usuario));
        Ligar(q, "vCREATE_TMSTMP", FechaHora(QDateTime::currentDateTime()));
        Ligar(q, "vANULADO", Texto(anulado));
        Ejecutar(q);
    });
}

bool InsertarDetalleEntradaSalida(const QString &comprobante, int tipo, const QDateTime &fecha,
                                  const QString &articulo, const QString &descripcion, Currency cantidad,
                                  const QString &fraccionado, int idFraccion, Currency fraccion,
                                  Currency precioCosto, Currency precioVenta, Currency tipoCambio,
                                  Currency tipoCambio2)
{
    const bool entrada = tipo == 1;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("insert into DETALLE_ENTRADA_SALIDA"), QStringLiteral(" (COMPROBANTE, TIPO_MOVIMIENTO,"),
                      entrada ? QStringLiteral(" TIPO_ENTRADA,") : QStringLiteral(" TIPO_SALIDA,"),
                      QStringLiteral(" FECHA, COD_BARRAS, DESCRIPCION, CANTIDAD, FRACCIONADO, FRACCION, ID_FRACCION,"),
                      QStringLiteral(" PRECIO_COSTO, PRECIO_VENTA, TIPO_CAMBIO, TIPO_CAMBIO_2)"),
                      QStringLiteral(" values (:vCOMPROBANTE, :vTIPO_MOVIMIENTO,"),
                      entrada ? QStringLiteral(" :vTIPO_ENTRADA,") : QStringLiteral(" :vTIPO_SALIDA,"),
                      QStringLiteral(" :vFECHA, :vCOD_BARRAS, :vDESCRIPCION, :vCANTIDAD, :vFRACCIONADO, :vFRACCION, "
                                     ":vID_FRACCION,"),
                      QStringLiteral(" :vPRECIO_COSTO, :vPRECIO_VENTA, :vTIPO_CAMBIO, :vTIPO_CAMBIO_2)")});
        Ligar(q, "vCOMPROBANTE", Texto(comprobante));
        Ligar(q, "vTIPO_MOVIMIENTO", Entero(entrada ? 1 : 2));
        if (entrada)
            Ligar(q, "vTIPO_ENTRADA", Entero(3));
        else
            Ligar(q, "vTIPO_SALIDA", Entero(5));
        Ligar(q, "vFECHA", FechaHora(fecha));
        Ligar(q, "vCOD_BARRAS", Texto(articulo));
        Ligar(q, "vDESCRIPCION", Texto(descripcion));
        Ligar(q, "vCANTIDAD", Moneda(cantidad));
        Ligar(q, "vFRACCIONADO", Texto(fraccionado));
        Ligar(q, "vFRACCION", Moneda(fraccion));
        Ligar(q, "vID_FRACCION", Entero(idFraccion));
        Ligar(q, "vPRECIO_COSTO", Moneda(precioCosto));
        Ligar(q, "vPRECIO_VENTA", Moneda(precioVenta));
        Ligar(q, "vTIPO_CAMBIO", Moneda(tipoCambio));
        Ligar(q, "vTIPO_CAMBIO_2", Moneda(tipoCambio2));
        Ejecutar(q);
    });
}

// ---------------------------------------------------------------------------
// Cash register, supplier account and credit notes
// ---------------------------------------------------------------------------

bool InsertarCajaDiaria(const QDateTime &fechaHora, int codigoMovimiento, const QString &comprobante,
                        Currency importeEfectivo, Currency importeCheque, Currency importeTarjeta,
                        const QString &nroCheque, const QString &banco, const QString &numeroTarjeta,
                        const QString &numeroVoucher, const QString &concepto, int turno, const QString &usuario,
                        Currency saldo, int idTarjeta, Currency tipoCambio, Currency tipoCambio2,
                        Currency importeMoneda2, Currency importeTarjeta2, Currency importeTarjeta3,
                        const QString &numeroTarjeta2, const QString &numeroTarjeta3, int codVendedor,
                        const QString &nombreVendedor, const QString &nroConsecutivo,
                        const QString &computadora, int nroCaja)
{
    return Intentar([&] {
        Insertar(Tienda(), QStringLiteral("INSERT INTO CAJA_DIARIA( "),
                 {{"FECHA_HORA", FechaHora(fechaHora)},
                  {"CODIGO_MOVIMIENTO", Entero(codigoMovimiento)},
                  {"COMPROBANTE", Texto(comprobante)},
                  {"IMPORTE_EFECTIVO", Moneda(importeEfectivo)},
                  {"IMPORTE_CHEQUE", Moneda(importeCheque)},
                  {"IMPORTE_TARJETA", Moneda(importeTarjeta)},
                  {"NRO_CHEQUE", Texto(nroCheque)},
                  {"BANCO", Texto(banco)},
                  {"NUMERO_TARJETA", Texto(numeroTarjeta)},
                  {"NUMERO_VOUCHER", Texto(numeroVoucher)},
                  {"CONCEPTO", Value::blobText(concepto)},
                  {"TURNO", Entero(turno)},
                  {"USUARIO", Texto(usuario)},
                  {"SALDO", Moneda(saldo)},
                  {"ID_TARJETA", idTarjeta == 0 ? Value() : Entero(idTarjeta)},
                  {"TIPO_CAMBIO", Moneda(tipoCambio)},
                  {"TIPO_CAMBIO_2", Moneda(tipoCambio2)},
                  {"IMPORTE_MONEDA2", Moneda(importeMoneda2)},
                  {"IMPORTE_TARJETA2", Moneda(importeTarjeta2)},
                  {"IMPORTE_TARJETA3", Moneda(importeTarjeta3)},
                  {"NUMERO_TARJETA2", Texto(numeroTarjeta2)},
                  {"NUMERO_TARJETA3", Texto(numeroTarjeta3)},
                  {"COD_VENDEDOR", Entero(codVendedor)},
                  {"NOMBRE_VENDEDOR", Texto(nombreVendedor)},
                  {"NRO_CONSECUTIVO", Texto(nroConsecutivo)},
                  {"COMPUTADORA", Texto(computadora)},
                  {"NRO_CAJA", Entero(nroCaja)}});
    });
}

bool InsertarCuentaProveedor(const QString &computadora, int nroCaja, const QDateTime &fecha, int codProveedor,
                             int codTipoMov, const QString &comprobante, Currency importe,
                             const QDateTime &fechaVencimiento, const QString &nota, Currency tipoCambio,
                             Currency tipoCambio2, int monedaCarga, const QString &usuarioCrea,
                             const QDateTime &fechaCrea, const QString &usuarioActualiza,
                             const QDateTime &fechaActualiza, Currency cImporte, const QString &ncAsignada,
                             Currency cACancelar, Currency aCancelar, int diasCredito, const QString &cancelado)
{
    std::vector<Columna> cols = {{"COMPUTADORA", Texto(computadora)},
                                 {"NRO_CAJA", Entero(nroCaja)},
                                 {"FECHA", FechaHora(fecha)},
                                 {"COD_PROVEEDOR", Entero(codProveedor)},
                                 {"COD_TIPO_MOV", Entero(codTipoMov)},
                                 {"COMPROBANTE", Texto(comprobante)},
                                 {"IMPORTE", Moneda(importe)}};
    if (!EsFechaCero(fechaVencimiento))
        cols.push_back({"FECHA_VENCIMIENTO", FechaHora(fechaVencimiento)});
    cols.insert(cols.end(), {{"NOTA", Texto(nota)},
                             {"TIPO_CAMBIO", Moneda(tipoCambio)},
                             {"TIPO_CAMBIO_2", Moneda(tipoCambio2)},
                             {"MONEDA_CARGA", Entero(monedaCarga)},
                             {"CREATE_USERID", Texto(usuarioCrea)},
                             {"CREATE_TMSTMP", FechaHora(fechaCrea)},
                             {"UPDATE_USERID", Texto(usuarioActualiza)},
                             {"UPDATE_TMSTMP", FechaHora(fechaActualiza)},
                             {"C_IMPORTE", Moneda(cImporte)},
                             {"NC_ASIGNADA", Texto(ncAsignada)},
                             {"C_A_CANCELAR", Moneda(cACancelar)},
                             {"DIAS_CREDITO", Entero(diasCredito)},
                             {"CANCELADO", Texto(cancelado)},
                             {"A_CANCELAR", Moneda(aCancelar)}});
    return Intentar([&] { Insertar(Tienda(), QStringLiteral("INSERT INTO CUENTA_PROVEEDOR( "), cols); });
}

bool InsertarNotaCreditoProveedor(const QString &computadora, int nroCaja, const QString &comprobante,
                                  int codProveedor, Currency porcDescuento, Currency impDescuento, Currency impIv,
                                  Currency impTotal, const QDateTime &fecha, const QString &anulada,
                                  const QDateTime &fechaVenta, const QString &observaciones,
                                  const QString &asignada, const QString &facturaVenta, Currency subtotalGravado,
                                  Currency subtotalNoGravado, Currency totalGravado, Currency totalNoGravado,
                                  int tipoNc, Currency tipoCambio, Currency tipoCambio2,
                                  const QString &usuarioCrea, const QDateTime &fechaCrea, int *idNota)
{
    std::vector<Columna> cols = {{"COMPUTADORA", Texto(computadora)},
                                 {"NRO_CAJA", Entero(nroCaja)},
                                 {"COMPROBANTE", Texto(comprobante)},
                                 {"COD_PROVEEDOR", Entero(codProveedor)},
                                 {"PORC_DESCUENTO", Moneda(porcDescuento)},
                                 {"IMP_DESCUENTO", Moneda(impDescuento)},
                                 {"IMP_IV", Moneda(impIv)},
                                 {"IMP_TOTAL", Moneda(impTotal)},
                                 {"FECHA", FechaHora(fecha)},
                                 {"ANULADA", Texto(anulada)}};
    if (!EsFechaCero(fechaVenta))
        cols.push_back({"FECHA_VENTA", FechaHora(fechaVenta)});
    cols.push_back({"OBSERVACIONES", Value::blobText(observaciones)});
    cols.push_back({"ASIGNADA", Texto(asignada)});
    if (facturaVenta != QLatin1String("0"))
        cols.push_back({"FACTURA_VENTA", Texto(facturaVenta)});
    cols.insert(cols.end(), {{"SUBTOTAL_GRAVADO", Moneda(subtotalGravado)},
                             {"SUBTOTAL_NO_GRAVADO", Moneda(subtotalNoGravado)},
                             {"TOTAL_GRAVADO", Moneda(totalGravado)},
                             {"TOTAL_NO_GRAVADO", Moneda(totalNoGravado)},
                             {"TIPO_NC", Entero(tipoNc)},
                             {"TIPO_CAMBIO", Moneda(tipoCambio)},
                             {"TIPO_CAMBIO_2", Moneda(tipoCambio2)},
                             {"CREATE_USERID", Texto(usuarioCrea)},
                             {"CREATE_TMSTMP", FechaHora(fechaCrea)},
                             {"IMP_EXENTO", Moneda(totalNoGravado)},
                             {"IMP_GRAVADO", Moneda(totalGravado)}});
    return Intentar(
        [&] { Insertar(Tienda(), QStringLiteral("INSERT INTO NOTAS_CREDITO_PROV( "), cols, "ID_NC_PROV", idNota); });
}

bool InsertarDetalleNotaCreditoProveedor(const QString &computadora, int nroCaja, int fkNcProv,
                                         const QDateTime &fecha, const QString &comprobante,
                                         const QString &codigoFamilia, const QString &codigoArticulo,
                                         const QString &descripcion, Currency cantidad, Currency porcImpuesto,
                                         const QString &gravado, const QString &impuestoIncluido,
                                         const QString &fraccionado, Currency importeImpuesto,
                                         Currency importeUnitario, Currency importeTotal, Currency importeDescuento,
                                         Currency porcDescuento, int codProveedor, Currency tipoCambio,
                                         Currency tipoCambio2)
{
    return Intentar([&] {
        Insertar(Tienda(), QStringLiteral("INSERT INTO DETALLE_NC_PROV( "),
                 {{"COMPUTADORA", Texto(computadora)},
                  {"NRO_CAJA", Entero(nroCaja)},
                  {"FK_NC_PROV", Entero(fkNcProv)},
                  {"FECHA", FechaHora(fecha)},
                  {"COMPROBANTE", Texto(comprobante)},
                  {"CODIGO_FAMILIA", Texto(codigoFamilia)},
                  {"CODIGO_ARTICULO", Texto(codigoArticulo)},
                  {"DESCRIPCION", Texto(descripcion)},
                  {"CANTIDAD", Moneda(cantidad)},
                  {"PORC_IMPUESTO", Moneda(porcImpuesto)},
                  {"GRAVADO", Texto(gravado)},
                  {"IMPUESTO_INCLUIDO", Texto(impuestoIncluido)},
                  {"FRACCIONADO", Texto(fraccionado)},
                  {"IMPORTE_IMPUESTO", Moneda(importeImpuesto)},
                  {"IMPORTE_UNITARIO", Moneda(importeUnitario)},
                  {"IMPORTE_TOTAL", Moneda(importeTotal)},
                  {"IMPORTE_DESCUENTO", Moneda(importeDescuento)},
                  {"PORC_DESCUENTO", Moneda(porcDescuento)},
                  {"COD_PROVEEDOR", Entero(codProveedor)},
                  {"TIPO_CAMBIO", Moneda(tipoCambio)},
                  {"TIPO_CAMBIO_2", Moneda(tipoCambio2)}});
    });
}

bool ActualizaCuentaProveedor(int modo, const QString &comprobante, Currency saldo, int tipoMov, int codProveedor)
{
    if (modo != 1)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("update CUENTA_PROVEEDOR set A_CANCELAR=:saldo where COMPROBANTE=:comp and "
                                     "COD_TIPO_MOV=:tipo"),
                      QStringLiteral(" and COD_PROVEEDOR=:prov")});
        Ligar(q, "saldo", Moneda(saldo));
        Ligar(q, "comp", Texto(comprobante));
        Ligar(q, "tipo", Entero(tipoMov));
        Ligar(q, "prov", Entero(codProveedor));
        Ejecutar(q);
    });
}

bool ActualizaNCProveedor(int modo, const QString &comprobante, const QString &asignada, const QDateTime &fecha,
                          int codProveedor)
{
    if (modo != 1 && modo != 2)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {modo == 1 ? QStringLiteral("Update NOTAS_CREDITO_PROV set ASIGNADA=:asig where COMPROBANTE= :comp")
                                : QStringLiteral("Update NOTAS_CREDITO_PROV set ASIGNADA=:asig, APLICA_FECHA=:fecha "
                                                 "where COMPROBANTE= :comp"),
                      QStringLiteral(" and COD_PROVEEDOR= :prov")});
        Ligar(q, "asig", Texto(asignada));
        if (modo == 2)
            Ligar(q, "fecha", FechaHora(fecha));
        Ligar(q, "comp", Texto(comprobante));
        Ligar(q, "prov", Entero(codProveedor));
        Ejecutar(q);
    });
}

namespace {

bool EliminarCaja(const QString &tabla, int modo, int codigoMovimiento, const QString &comprobante,
                  const QDateTime &fecha)
{
    if (modo != 1 && modo != 2)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        QString filtro = QStringLiteral(" where CODIGO_MOVIMIENTO = :Movimiento and COMPROBANTE = :Comprob");
        if (modo == 2)
            filtro += QStringLiteral(" and FECHA = :fecha");
        Sentencia(q, {QStringLiteral("delete from ") + tabla, filtro});
        Ligar(q, "Movimiento", Entero(codigoMovimiento));
        Ligar(q, "Comprob", Texto(comprobante));
        if (modo == 2)
            Ligar(q, "fecha", FechaHora(fecha));
        Ejecutar(q);
    });
}

} // namespace

bool EliminarCajaDiaria(int modo, int codigoMovimiento, const QString &comprobante, const QDateTime &fecha)
{
    return EliminarCaja(QStringLiteral("CAJA_DIARIA"), modo, codigoMovimiento, comprobante, fecha);
}

bool EliminarCajaAnterior(int modo, int codigoMovimiento, const QString &comprobante, const QDateTime &fecha)
{
    return EliminarCaja(QStringLiteral("CAJA_ANTERIOR"), modo, codigoMovimiento, comprobante, fecha);
}

bool EliminarCuentaProveedor(int modo, int tipoMov, const QString &comprobante, const QDateTime &fecha)
{
    if (modo != 1)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("delete from CUENTA_PROVEEDOR"), QStringLiteral(" where COD_TIPO_MOV = :TipoMov "),
                      QStringLiteral(" and COMPROBANTE = :Fac and FECHA = :Fecha")});
        Ligar(q, "TipoMov", Entero(tipoMov));
        Ligar(q, "Fac", Texto(comprobante));
        Ligar(q, "Fecha", Fecha(fecha));
        Ejecutar(q);
    });
}

// ---------------------------------------------------------------------------
// Consignments
// ---------------------------------------------------------------------------

bool InsertarEncabezadoConsignacion(const QString &computadora, int nroCaja, const QDateTime &fechaCarga,
                                    const QDateTime &fecha, const QString &comprobante,
                                    const QString &codigoProveedor, const QString &nombre, const QString &cedula,
                                    const QString &telefono, Currency importeDescuento, Currency porcDescuento,
                                    Currency importeIv, Currency importeTotal, int diasCredito,
                                    Currency importeEfectivo, Currency importeCheque, Currency importeCredito,
                                    Currency importeNc, const QString &numeroCheque, Currency subtotalGravado,
                                    Currency subtotalNoGravado, Currency totalGravado, Currency totalNoGravado,
                                    const QString &efectivoCaja, const QString &anulada, Currency tipoCambio,
                                    Currency tipoCambio2, int *idConsignacion)
{
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("INSERT INTO CONSIGNACIONES("),
                      QStringLiteral("FECHA,COMPROBANTE,CODIGO_PROVEEDOR,NOMBRE,CEDULA,TELEFONO,"),
                      QStringLiteral("IMPORTE_DESCUENTO,PORC_DESCUENTO,"),
                      QStringLiteral("IMPORTE_IV,IMPORTE_TOTAL,DIAS_CREDITO,EFECTIVO_CAJA,IMPORTE_EFECTIVO,"),
                      QStringLiteral("IMPORTE_CHEQUE,IMPORTE_CREDITO,IMPORTE_NC,NUMERO_CHEQUE,"),
                      QStringLiteral("SUBTOTAL_GRAVADO,SUBTOTAL_NO_GRAVADO,TOTAL_GRAVADO,TOTAL_NO_GRAVADO,"),
                      QStringLiteral("ANULADA,FECHA_CARGA,TIPO_CAMBIO,"),
                      QStringLiteral("TIPO_CAMBIO_2,COMPUTADORA,NRO_CAJA)VALUES(:FECHA,:COMPROBANTE,"),
                      QStringLiteral(":CODIGO_PROVEEDOR,:NOMBRE,:CEDULA,:TELEFONO,"),
                      QStringLiteral(":IMPORTE_DESCUENTO,:PORC_DESCUENTO,"),
                      QStringLiteral(":IMPORTE_IV,:IMPORTE_TOTAL,:DIAS_CREDITO,:EFECTIVO_CAJA,:IMPORTE_EFECTIVO,"),
                      QStringLiteral(":IMPORTE_CHEQUE,:IMPORTE_CREDITO,:IMPORTE_NC,:NUMERO_CHEQUE,"),
                      QStringLiteral(":SUBTOTAL_GRAVADO,:SUBTOTAL_NO_GRAVADO,:TOTAL_GRAVADO,:TOTAL_NO_GRAVADO,"),
                      QStringLiteral(":ANULADA,:FECHA_CARGA,:TIPO_CAMBIO,"),
                      QStringLiteral(":TIPO_CAMBIO_2,:COMPUTADORA,:NRO_CAJA)")});
        if (idConsignacion)
            q.addSql(QStringLiteral("returning ID_CONSIGNACION"));
        Ligar(q, "COMPUTADORA", Texto(computadora));
        Ligar(q, "NRO_CAJA", Entero(nroCaja));
        Ligar(q, "FECHA_CARGA", Fecha(fechaCarga));
        Ligar(q, "FECHA", Fecha(fecha));
        Ligar(q, "COMPROBANTE", Texto(comprobante));
        Ligar(q, "CODIGO_PROVEEDOR", Texto(codigoProveedor));
        Ligar(q, "NOMBRE", Texto(nombre));
        Ligar(q, "CEDULA", Texto(cedula));
        Ligar(q, "TELEFONO", Texto(telefono));
        Ligar(q, "IMPORTE_DESCUENTO", Moneda(importeDescuento));
        Ligar(q, "PORC_DESCUENTO", Moneda(porcDescuento));
        Ligar(q, "IMPORTE_IV", Moneda(importeIv));
        Ligar(q, "IMPORTE_TOTAL", Moneda(importeTotal));
        Ligar(q, "DIAS_CREDITO", Entero(diasCredito));
        Ligar(q, "IMPORTE_EFECTIVO", Moneda(importeEfectivo));
        Ligar(q, "IMPORTE_CHEQUE", Moneda(importeCheque));
        Ligar(q, "IMPORTE_CREDITO", Moneda(importeCredito));
        Ligar(q, "IMPORTE_NC", Moneda(importeNc));
        Ligar(q, "NUMERO_CHEQUE", Texto(numeroCheque));
        Ligar(q, "SUBTOTAL_GRAVADO", Moneda(subtotalGravado));
        Ligar(q, "SUBTOTAL_NO_GRAVADO", Moneda(subtotalNoGravado));
        Ligar(q, "TOTAL_GRAVADO", Moneda(totalGravado));
        Ligar(q, "TOTAL_NO_GRAVADO", Moneda(totalNoGravado));
        Ligar(q, "EFECTIVO_CAJA", Texto(efectivoCaja));
        Ligar(q, "ANULADA", Texto(anulada));
        Ligar(q, "TIPO_CAMBIO", Moneda(tipoCambio));
        Ligar(q, "TIPO_CAMBIO_2", Moneda(tipoCambio2));
        q.execQuery();
        if (idConsignacion)
            *idConsignacion = q.fieldByName(QStringLiteral("ID_CONSIGNACION")).asInteger();
        q.close();
    });
}

bool InsertarDetalleConsignacion(const QString &computadora, int nroCaja, int idConsignacion,
                                 const QDateTime &fecha, const QString &comprobante, const QString &codigoFamilia,
                                 const QString &codigoArticulo, const QString &descripcion,
                                 Currency importeUnitario, Currency cantidad, Currency importeImpuesto,
                                 Currency porcImpuesto, const QString &gravado, const QString &impuestoIncluido,
                                 const QString &fraccionado, Currency importeTotal, Currency importeDescuento,
                                 Currency porcDescuento, Currency procesados, const QString &anulada,
                                 Currency precioAnterior, Currency promedioAnterior, Currency tipoCambio,
                                 Currency tipoCambio2, Currency existencia)
{
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("INSERT INTO DETALLE_CONSIGNACION("),
                      QStringLiteral("ID_CONSIGNACION,FECHA,COMPROBANTE,CODIGO_FAMILIA,CODIGO_ARTICULO,"),
                      QStringLiteral("DESCRIPCION,IMPORTE_UNITARIO,CANTIDAD,IMPORTE_IMPUESTO,"),
                      QStringLiteral("PORC_IMPUESTO,IMPORTE_TOTAL,IMPORTE_DESCUENTO,PORC_DESCUENTO,"),
                      QStringLiteral("GRAVADO,IMPUESTO_INCLUIDO,FRACCIONADO,PRECIO_ANTERIOR,"),
                      QStringLiteral("PROMEDIO_ANTERIOR,PROCESADOS,ANULADA,TIPO_CAMBIO,"),
                      QStringLiteral("TIPO_CAMBIO_2,COMPUTADORA,NRO_CAJA,EXISTENCIA"),
                      QStringLiteral(")VALUES(:ID_CONSIGNACION,"),
                      QStringLiteral(":FECHA,:COMPROBANTE,:CODIGO_FAMILIA,:CODIGO_ARTICULO,"),
                      QStringLiteral(":DESCRIPCION,:IMPORTE_UNITARIO,:CANTIDAD,:IMPORTE_IMPUESTO,"),
                      QStringLiteral(":PORC_IMPUESTO,:IMPORTE_TOTAL,:IMPORTE_DESCUENTO,:PORC_DESCUENTO,"),
                      QStringLiteral(":GRAVADO,:IMPUESTO_INCLUIDO,:FRACCIONADO,:PRECIO_ANTERIOR,"),
                      QStringLiteral(":PROMEDIO_ANTERIOR,:PROCESADOS,:ANULADA,:TIPO_CAMBIO,"),
                      QStringLiteral(":TIPO_CAMBIO_2,:COMPUTADORA,:NRO_CAJA,:EXISTENCIA)")});
        Ligar(q, "COMPUTADORA", Texto(computadora));
        Ligar(q, "NRO_CAJA", Entero(nroCaja));
        Ligar(q, "ID_CONSIGNACION", Entero(idConsignacion));
        Ligar(q, "FECHA", Fecha(fecha));
        Ligar(q, "COMPROBANTE", Texto(comprobante));
        Ligar(q, "CODIGO_FAMILIA", Texto(codigoFamilia));
        Ligar(q, "CODIGO_ARTICULO", Texto(codigoArticulo));
        Ligar(q, "DESCRIPCION", Texto(descripcion));
        Ligar(q, "IMPORTE_UNITARIO", Moneda(importeUnitario));
        Ligar(q, "CANTIDAD", Moneda(cantidad));
        Ligar(q, "IMPORTE_IMPUESTO", Moneda(importeImpuesto));
        Ligar(q, "PORC_IMPUESTO", Moneda(porcImpuesto));
        Ligar(q, "GRAVADO", Texto(gravado));
        Ligar(q, "IMPUESTO_INCLUIDO", Texto(impuestoIncluido));
        Ligar(q, "FRACCIONADO", Texto(fraccionado));
        Ligar(q, "IMPORTE_TOTAL", Moneda(importeTotal));
        Ligar(q, "IMPORTE_DESCUENTO", Moneda(importeDescuento));
        Ligar(q, "PORC_DESCUENTO", Moneda(porcDescuento));
        Ligar(q, "PROCESADOS", Moneda(procesados));
        Ligar(q, "ANULADA", Texto(anulada));
        Ligar(q, "PRECIO_ANTERIOR", Moneda(precioAnterior));
        Ligar(q, "PROMEDIO_ANTERIOR", Moneda(promedioAnterior));
        Ligar(q, "TIPO_CAMBIO", Moneda(tipoCambio));
        Ligar(q, "TIPO_CAMBIO_2", Moneda(tipoCambio2));
        Ligar(q, "EXISTENCIA", Moneda(existencia));
        Ejecutar(q);
    });
}

bool ActualizaConsignaciones(int opcion, int idConsignacion, const QDateTime &fecha, Currency procesados,
                             int idDetalle)
{
    if (opcion < 1 || opcion > 3)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        if (opcion == 1) {
            Sentencia(q, {QStringLiteral("update CONSIGNACIONES set ANULADA = ") + QStringLiteral("'S'") +
                          QStringLiteral(", FECHA_ANULACION = :Fecha where ID_CONSIGNACION = :ID")});
            Ligar(q, "ID", Entero(idConsignacion));
            Ligar(q, "Fecha", FechaHora(fecha));
            Ejecutar(q);
            Sentencia(q, {QStringLiteral("update DETALLE_CONSIGNACION set ANULADA = ") + QStringLiteral("'S'") +
                          QStringLiteral("  where ID_CONSIGNACION = :ID")});
            Ligar(q, "ID", Entero(idConsignacion));
            Ejecutar(q);
            return;
        }
        Sentencia(q, {opcion == 2 ? QStringLiteral("update DETALLE_CONSIGNACION set PROCESADOS = :procesados "
                                                   "where ID_CONSIGNACION = :ID and ID_DETALLE_CONSIGNACION= :pId_Detalle")
                                  : QStringLiteral("update DETALLE_CONSIGNACION set PROCESADOS = "
                                                   "coalesce(PROCESADOS, 0) + :procesados "
                                                   "where ID_CONSIGNACION = :ID and ID_DETALLE_CONSIGNACION= :pId_Detalle")});
        Ligar(q, "procesados", Moneda(procesados));
        Ligar(q, "ID", Entero(idConsignacion));
        Ligar(q, "pId_Detalle", Entero(idDetalle));
        Ejecutar(q);
    });
}

bool EliminarConsignaciones(int opcion, int id)
{
    if (opcion != 1)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("delete from CONSIGNACIONES"), QStringLiteral(" where ID_CONSIGNACION = :Id")});
        Ligar(q, "Id", Entero(id));
        Ejecutar(q);
    });
}

bool EliminarDetalleConsignaciones(int opcion, int id)
{
    if (opcion != 1)
        return true;
    return Intentar([&] {
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("delete from DETALLE_CONSIGNACION"),
                      QStringLiteral(" where ID_DETALLE_CONSIGNACION = :Id")});
        Ligar(q, "Id", Entero(id));
        Ejecutar(q);
    });
}

bool TodosLosArticulosFueronProcesados(int idConsignacion)
{
    db::Query &q = Tienda();
    Sentencia(q, {QStringLiteral("select sum(d.cantidad) as cantidad,sum(d.procesados) as procesados from "
                                 "detalle_consignacion d where d.id_consignacion=:id")});
    Ligar(q, "id", Entero(idConsignacion));
    q.execQuery();
    // Empty sums read as 0; both are compared at four decimals.
    const Currency cantidad = q.fieldByName(QStringLiteral("cantidad")).asCurrency();
    const Currency procesados = q.fieldByName(QStringLiteral("procesados")).asCurrency();
    q.close();
    return cantidad == procesados;
}

bool MarcaConsigProcesada(int idConsignacion)
{
    return Intentar([&] {
        if (!TodosLosArticulosFueronProcesados(idConsignacion))
            return;
        db::Query &q = Tienda();
        Sentencia(q, {QStringLiteral("update CONSIGNACIONES set PROCESADA = 'S' where ID_CONSIGNACION = :id")});
        Ligar(q, "id", Entero(idConsignacion));
        Ejecutar(q);
    });
}
