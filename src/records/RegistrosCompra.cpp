#include "records/RegistrosCompra.h"
#include "records/EscrituraRegistro.h"

#include "platform/AritmeticaEscalada.h"
#include "platform/db/DbError.h"
#include "platform/db/Query.h"
#include "platform/db/Value.h"

#include <QStringList>

#include <exception>
#include <vector>

using db::Value;

QString TextoDeError(const std::exception &e)
{
    if (const auto *ec = dynamic_cast<const ErrorCompras *>(&e))
        return ec->mensaje();
    return QString::fromUtf8(e.what());
}

bool EsFechaCero(const QDateTime &fecha)
{
    return !fecha.isValid() || fecha.date() == QDate(1899, 12, 30);
}

QString BanderaSN(const QString &bandera)
{
    return bandera == QLatin1String("S") ? QStringLiteral("S") : QStringLiteral("N");
}

namespace {

Value Texto(const QString &s) { return Value::text(s); }
Value Entero(int i) { return Value::integer(i); }
Value Moneda(Currency c) { return Value::currency(c); }
Value FechaHora(const QDateTime &f) { return Value::dateTime(f); }
Value Fecha(const QDate &f) { return Value::date(f); }
Value FechaDe(const QDateTime &f) { return Value::date(f.date()); }
Value Memo(const QString &s) { return Value::blobText(s); }

struct Col {
    const char *nombre;
    Value valor;
};
using Cols = std::vector<Col>;

const QString kInsertar = QStringLiteral("insertar");
const QString kActualizar = QStringLiteral("actualizar");
const QString kEliminar = QStringLiteral("eliminar");

// Runs `cuerpo`; any failure becomes "Error al <accion> <tabla>" with the database's text.
template <class F> auto Escribir(const QString &accion, const char *tabla, F &&cuerpo) -> decltype(cuerpo())
{
    return EscribirRegistro(accion, tabla, std::forward<F>(cuerpo));
}

// "INSERT INTO <tabla>(<columns>)VALUES(<same names as parameters>)", with RETURNING `clave`.
QString TextoInsert(const char *tabla, const Cols &cols, const char *clave = nullptr)
{
    QStringList nombres, parametros;
    for (const Col &c : cols) {
        nombres << QLatin1String(c.nombre);
        parametros << QLatin1Char(':') + QLatin1String(c.nombre);
    }
    QString t = QStringLiteral("INSERT INTO %1(%2)VALUES(%3)")
                    .arg(QLatin1String(tabla), nombres.join(QLatin1Char(',')), parametros.join(QLatin1Char(',')));
    if (clave)
        t += QStringLiteral(" returning ") + QLatin1String(clave);
    return t;
}

void Ligar(db::Query &q, const Cols &cols)
{
    for (const Col &c : cols)
        q.paramByName(c.nombre).setValue(c.valor);
}

std::uint64_t Ejecutar(db::Query &q)
{
    q.execQuery();
    const std::uint64_t filas = q.rowsAffected();
    q.close();
    return filas;
}

// Binds `cols` and runs the insert; with `clave`, the value it returns.
int Insertar(db::Query &q, const Cols &cols, const char *clave = nullptr)
{
    Ligar(q, cols);
    q.execQuery();
    const int valor = clave ? q.fieldByName(QLatin1String(clave)).asInteger() : 0;
    q.close();
    return valor;
}

Cols ColumnasFactura(const FilaFacturaCompra &f)
{
    return {{"COMPUTADORA", Texto(f.COMPUTADORA)},
            {"NRO_CAJA", Entero(f.NRO_CAJA)},
            {"FECHA_CARGA", FechaHora(f.FECHA_CARGA)},
            {"FECHA", Fecha(f.FECHA)},
            {"COMPROBANTE", Texto(f.COMPROBANTE)},
            {"CODIGO_PROVEEDOR", Entero(f.CODIGO_PROVEEDOR)},
            {"NOMBRE", Texto(f.NOMBRE)},
            {"CEDULA", Texto(f.CEDULA)},
            {"TELEFONO", Texto(f.TELEFONO)},
            {"NUMERO_CHEQUE", Texto(f.NUMERO_CHEQUE)},
            {"DIAS_CREDITO", Entero(f.DIAS_CREDITO)},
            {"IMPORTE_DESCUENTO", Moneda(f.IMPORTE_DESCUENTO)},
            {"PORC_DESCUENTO", Moneda(f.PORC_DESCUENTO)},
            {"IMPORTE_IV", Moneda(f.IMPORTE_IV)},
            {"IMPORTE_TOTAL", Moneda(f.IMPORTE_TOTAL)},
            {"IMPORTE_EFECTIVO", Moneda(f.IMPORTE_EFECTIVO)},
            {"IMPORTE_CHEQUE", Moneda(f.IMPORTE_CHEQUE)},
            {"IMPORTE_CREDITO", Moneda(f.IMPORTE_CREDITO)},
            {"IMPORTE_NC", Moneda(f.IMPORTE_NC)},
            {"SUBTOTAL_GRAVADO", Moneda(f.SUBTOTAL_GRAVADO)},
            {"SUBTOTAL_NO_GRAVADO", Moneda(f.SUBTOTAL_NO_GRAVADO)},
            {"TOTAL_GRAVADO", Moneda(f.TOTAL_GRAVADO)},
            {"TOTAL_NO_GRAVADO", Moneda(f.TOTAL_NO_GRAVADO)},
            {"MONEDA_CARGA", Entero(f.MONEDA_CARGA)},
            {"EFECTIVO_CAJA", Texto(f.EFECTIVO_CAJA)},
            {"TIPO_CAMBIO", Moneda(f.TIPO_CAMBIO)},
            {"TIPO_CAMBIO_2", Moneda(f.TIPO_CAMBIO_2)},
            {"INVENTARIO_PRINCIPAL", Texto(f.INVENTARIO_PRINCIPAL)},
            {"COD_BODEGA", Texto(f.COD_BODEGA)}};
}

Cols ColumnasDetalle(const FilaDetalleFacturaCompra &d)
{
    return {{"COMPUTADORA", Texto(d.COMPUTADORA)},
            {"NRO_CAJA", Entero(d.NRO_CAJA)},
            {"ID_COMPRA", Entero(d.ID_COMPRA)},
            {"FECHA", Fecha(d.FECHA)},
            {"COMPROBANTE", Texto(d.COMPROBANTE)},
            {"CODIGO_FAMILIA", Texto(d.CODIGO_FAMILIA)},
            {"CODIGO_ARTICULO", Texto(d.CODIGO_ARTICULO)},
            {"DESCRIPCION", Texto(d.DESCRIPCION)},
            {"GRAVADO", Texto(d.GRAVADO)},
            {"IMPUESTO_INCLUIDO", Texto(d.IMPUESTO_INCLUIDO)},
            {"FRACCIONADO", Texto(d.FRACCIONADO)},
            {"IMPORTE_UNITARIO", Moneda(d.IMPORTE_UNITARIO)},
            {"IMPORTE_IMPUESTO", Moneda(d.IMPORTE_IMPUESTO)},
            {"IMPORTE_TOTAL", Moneda(d.IMPORTE_TOTAL)},
            {"IMPORTE_DESCUENTO", Moneda(d.IMPORTE_DESCUENTO)},
            {"CANTIDAD", Moneda(d.CANTIDAD)},
            {"PORC_IMPUESTO", Moneda(d.PORC_IMPUESTO)},
            {"PORC_DESCUENTO", Moneda(d.PORC_DESCUENTO)},
            {"MONEDA_CARGA", Entero(d.MONEDA_CARGA)},
            {"PRECIO_ANTERIOR", Moneda(d.PRECIO_ANTERIOR)},
            {"PROMEDIO_ANTERIOR", Moneda(d.PROMEDIO_ANTERIOR)},
            {"TIPO_CAMBIO", Moneda(d.TIPO_CAMBIO)},
            {"TIPO_CAMBIO_2", Moneda(d.TIPO_CAMBIO_2)},
            {"CANTIDAD_ANTERIOR", Moneda(d.CANTIDAD_ANTERIOR)},
            {"PRECIO_VENTA_SIN_IV", Moneda(d.PRECIO_VENTA_SIN_IV)}};
}

QString PrefijoMovimiento(int tipo)
{
    if (tipo == 1)
        return QStringLiteral("Aumento manual de inventario - ");
    if (tipo == 2)
        return QStringLiteral("Decremento manual de inventario - ");
    return QStringLiteral("Factura de Compra Nro.  - ");
}

} // namespace

// ---------------------------------------------------------------------------
// Purchase invoices
// ---------------------------------------------------------------------------

int RegistrosCompra::InsertarFacturasCompras(const FilaFacturaCompra &f)
{
    return Escribir(kInsertar, "FACTURAS_COMPRA", [&] {
        const Cols cols = ColumnasFactura(f);
        static const QString texto = TextoInsert("FACTURAS_COMPRA", cols, "ID_COMPRA");
        return Insertar(q_.Sql(BaseCompra::Tienda, texto), cols, "ID_COMPRA");
    });
}

void RegistrosCompra::InsertarDetalleFacturasCompras(const FilaDetalleFacturaCompra &d)
{
    Escribir(kInsertar, "DETALLE_FACTURAS_COMPRA", [&] {
        const Cols cols = ColumnasDetalle(d);
        static const QString texto = TextoInsert("DETALLE_FACTURAS_COMPRA", cols);
        Insertar(q_.Sql(BaseCompra::Tienda, texto), cols);
    });
}

std::uint64_t RegistrosCompra::ActualizaFacturaCompra(ModoFacturaCompra modo, int idCompra,
                                                      const CambioFacturaCompra &c)
{
    return Escribir(kActualizar, "FACTURAS_COMPRA", [&]() -> std::uint64_t {
        db::Query *q = nullptr;
        switch (modo) {
        case ModoFacturaCompra::ImporteNc:
            q = &q_.Sql(BaseCompra::Tienda,
                        QStringLiteral("update FACTURAS_COMPRA set IMPORTE_NC = :importe where ID_COMPRA = :id"));
            q->paramByName("importe").setAsCurrency(c.IMPORTE_NC);
            break;
        case ModoFacturaCompra::Anular:
            // Once only: a second station that waited on the row finds nothing to mark.
            q = &q_.Sql(BaseCompra::Tienda, QStringLiteral("update FACTURAS_COMPRA set ANULADA = 'S', FECHA_ANULACION = "
                                                           ":fecha where ID_COMPRA = :id and coalesce(ANULADA, 'N') <> 'S'"));
            // The workstation's clock, not the server's.
            q->paramByName("fecha").setAsDateTime(QDateTime::currentDateTime());
            break;
        case ModoFacturaCompra::FechaCarga:
            q = &q_.Sql(BaseCompra::Tienda,
                        QStringLiteral("update FACTURAS_COMPRA set FECHA_CARGA = :fecha where ID_COMPRA = :id"));
            q->paramByName("fecha").setAsDateTime(c.FECHA_CARGA);
            break;
        }
        q->paramByName("id").setAsInteger(idCompra);
        return Ejecutar(*q);
    });
}

std::uint64_t RegistrosCompra::ActualizaDetalleFacturaCompra(ModoDetalleFactura modo, int id, Currency precio)
{
    return Escribir(kActualizar, "DETALLE_FACTURAS_COMPRA", [&] {
        db::Query *q = nullptr;
        if (modo == ModoDetalleFactura::Anular) {
            q = &q_.Sql(BaseCompra::Tienda,
                        QStringLiteral("update DETALLE_FACTURAS_COMPRA set ANULADA = 'S' where ID_COMPRA = :id"));
        } else {
            q = &q_.Sql(BaseCompra::Tienda, QStringLiteral("update DETALLE_FACTURAS_COMPRA set PRECIO_VENTA_SIN_IV = "
                                                           ":precio where ID_DETALLE_FACTURA = :id"));
            q->paramByName("precio").setAsCurrency(precio);
        }
        q->paramByName("id").setAsInteger(id);
        return Ejecutar(*q);
    });
}

std::uint64_t RegistrosCompra::EliminarFacturasCompras(int idCompra)
{
    return Escribir(kEliminar, "FACTURAS_COMPRA", [&] {
        db::Query &q = q_.Sql(BaseCompra::Tienda, QStringLiteral("delete from FACTURAS_COMPRA\n where ID_COMPRA = :Id"));
        q.paramByName("Id").setAsInteger(idCompra);
        return Ejecutar(q);
    });
}

std::uint64_t RegistrosCompra::EliminarDetalleFacturasCompras(const QString &comprobante, int idCompra)
{
    return Escribir(kEliminar, "DETALLE_FACTURAS_COMPRA", [&] {
        db::Query &q = q_.Sql(BaseCompra::Tienda, QStringLiteral("delete from DETALLE_FACTURAS_COMPRA\n where COMPROBANTE "
                                                                 "= :Comprob\n and ID_COMPRA = :IdCompra"));
        q.paramByName("Comprob").setAsString(comprobante);
        q.paramByName("IdCompra").setAsInteger(idCompra);
        return Ejecutar(q);
    });
}

void RegistrosCompra::CambiarConsecutivo(ModoConsecutivo modo, int id, int valor)
{
    Escribir(kActualizar, "CONSECUTIVOS", [&] {
        db::Query &q = q_.Sql(BaseCompra::Tienda, modo == ModoConsecutivo::Entrada
                                                      ? QStringLiteral("update CONSECUTIVOS set ENTRADA = :Valor where ID = :ID")
                                                      : QStringLiteral("update CONSECUTIVOS set SALIDA = :Valor where ID = :ID"));
        q.paramByName("Valor").setAsInteger(valor);
        q.paramByName("ID").setAsInteger(id);
        Ejecutar(q);
    });
}

std::uint64_t RegistrosCompra::MarcarPedidoProcesado(const QString &nroPedido)
{
    return Escribir(kActualizar, "PEDIDOS", [&] {
        db::Query &q = q_.Sql(BaseCompra::Tienda, QStringLiteral("update PEDIDOS set PROCESADO = 'S'\nwhere COMPROBANTE=:comp"));
        q.paramByName("comp").setAsString(nroPedido);
        return Ejecutar(q);
    });
}

void RegistrosCompra::InsertarMovimientoBanco(const FilaMovimientoBanco &m)
{
    Escribir(kInsertar, "MOVIM_BANCO", [&] {
        const Cols cols = {{"ID_CUENTA", m.idCuenta > 0 ? Entero(m.idCuenta) : Value()},
                           {"FECHA", FechaHora(m.fecha)},
                           {"TIPO_MOVIMIENTO", Entero(m.tipoMovimiento)},
                           {"COMPROBANTE", Texto(m.comprobante)},
                           {"CONCEPTO", Texto(m.concepto)},
                           {"IMPORTE", Moneda(m.importe)},
                           {"BENEFICIARIO", Texto(m.beneficiario)},
                           {"TIPO_CAMBIO", Moneda(m.tipoCambio)},
                           {"TIPO_CAMBIO_2", Moneda(m.tipoCambio2)}};
        static const QString texto = TextoInsert("MOVIM_BANCO", cols);
        Insertar(q_.Sql(BaseCompra::Tienda, texto), cols);
    });
}

// ---------------------------------------------------------------------------
// Inventory
// ---------------------------------------------------------------------------

std::uint64_t RegistrosCompra::ActualizaInventario(ModoInventario modo, const QString &articulo,
                                                   const ValoresInventario &v)
{
    const bool existencias = modo == ModoInventario::Existencia || modo == ModoInventario::SumarExistencia;
    const bool compuesto = modo == ModoInventario::CostoCompuesto;
    return Escribir(kActualizar, existencias ? "EXISTENCIAS" : compuesto ? "COMPUESTO" : "INVENTARIO",
                    [&]() -> std::uint64_t {
        auto sql = [this](const QString &texto) -> db::Query & { return q_.Sql(BaseCompra::Inventario, texto); };
        db::Query *q = nullptr;
        switch (modo) {
        case ModoInventario::StockYPromedio:
            q = &sql(QStringLiteral("update INVENTARIO set STOCK = :Stock, COSTO_PROMEDIO = :Promedio where "
                                    "COD_BARRAS = :Codigo"));
            q->paramByName("Stock").setAsCurrency(v.cantidad);
            q->paramByName("Promedio").setAsCurrency(v.promedio);
            q->paramByName("Codigo").setAsString(articulo);
            break;
        case ModoInventario::Existencia:
        case ModoInventario::SumarExistencia:
            q = &sql(modo == ModoInventario::Existencia
                         ? QStringLiteral("update EXISTENCIAS\n set EXISTENCIA = :cantidad\n where COD_BODEGA = "
                                          ":codbodega\n and COD_ART = :codArt")
                         : QStringLiteral("update EXISTENCIAS\n set EXISTENCIA = EXISTENCIA + :cantidad\n where "
                                          "COD_BODEGA = :codbodega\n and COD_ART = :codArt"));
            q->paramByName("cantidad").setAsCurrency(v.cantidad);
            q->paramByName("codbodega").setAsString(v.bodega);
            q->paramByName("codArt").setAsString(articulo);
            break;
        case ModoInventario::Stock:
            q = &sql(QStringLiteral("update INVENTARIO set STOCK = :Stock where COD_BARRAS = :Codigo"));
            q->paramByName("Stock").setAsCurrency(v.cantidad);
            q->paramByName("Codigo").setAsString(articulo);
            break;
        case ModoInventario::RestarStock:
            q = &sql(QStringLiteral("update INVENTARIO set STOCK = STOCK - :Stock, COSTO_PROMEDIO = :Promedio where "
                                    "COD_BARRAS = :Codigo\n and ACTUALIZAR_EXIST = 'S'"));
            q->paramByName("Stock").setAsCurrency(v.cantidad);
            q->paramByName("Promedio").setAsCurrency(v.promedio);
            q->paramByName("Codigo").setAsString(articulo);
            break;
        case ModoInventario::PrecioCompra:
            q = &sql(QStringLiteral("update INVENTARIO set PRECIO_COMPRA = :preciocompra where COD_BARRAS = :Codigo"));
            q->paramByName("preciocompra").setAsCurrency(v.cantidad);
            q->paramByName("Codigo").setAsString(articulo);
            break;
        case ModoInventario::CostoCompuesto:
            q = &sql(QStringLiteral("update compuesto set costo = :precio where cod_articulo = :CodArt"));
            q->paramByName("precio").setAsCurrency(v.cantidad);
            q->paramByName("CodArt").setAsString(articulo);
            break;
        case ModoInventario::Promedio:
            q = &sql(QStringLiteral("update INVENTARIO set COSTO_PROMEDIO = :Promedio where COD_BARRAS = :Codigo and "
                                    "ACTUALIZAR_EXIST = 'S'"));
            q->paramByName("Promedio").setAsCurrency(v.promedio);
            q->paramByName("Codigo").setAsString(articulo);
            break;
        case ModoInventario::Inactivar:
            q = &sql(QStringLiteral("Update Inventario set ARTICULO_INACTIVO='S' where COD_BARRAS=:cod"));
            q->paramByName("cod").setAsString(articulo);
            break;
        case ModoInventario::Consignacion:
            q = &sql(QStringLiteral("update INVENTARIO set CONSIGNACION = 'S' where COD_BARRAS = :Codigo"));
            q->paramByName("Codigo").setAsString(articulo);
            break;
        case ModoInventario::TipoCambio:
            q = &sql(QStringLiteral(
                "Update Inventario set COMPRA_MONEDA1=:vMoneda1,COMPRA_MONEDA2=:vMoneda2 where COD_BARRAS=:vCodigo"));
            q->paramByName("vMoneda1").setAsCurrency(v.tipoCambio);
            q->paramByName("vMoneda2").setAsCurrency(v.tipoCambio2);
            q->paramByName("vCodigo").setAsString(articulo);
            break;
        }
        return Ejecutar(*q);
    });
}

void RegistrosCompra::InsertarExistencias(const FilaExistencia &e)
{
    Escribir(kInsertar, "EXISTENCIAS", [&] {
        const Cols cols = {{"COD_ART", Texto(e.COD_ART)},
                           {"COD_BODEGA", Texto(e.COD_BODEGA)},
                           {"EXISTENCIA", Moneda(e.EXISTENCIA)},
                           {"RESERVA_APARTADOS", Moneda(e.RESERVA_APARTADOS)},
                           {"RESERVA_PREFACTURAS", Moneda(e.RESERVA_PREFACTURAS)}};
        static const QString texto = TextoInsert("EXISTENCIAS", cols);
        Insertar(q_.Sql(BaseCompra::Inventario, texto), cols);
    });
}

void RegistrosCompra::ActualizaFamilia(const QString &codFamilia)
{
    Escribir(kActualizar, "FAMILIA", [&] {
        db::Query &q = q_.Sql(BaseCompra::Inventario, QStringLiteral("update FAMILIA set NRO_ARTICULO = NRO_ARTICULO+1 "
                                                                     "where COD_FAMILIA = :codfamilia"));
        q.paramByName("codfamilia").setAsString(codFamilia);
        Ejecutar(q);
    });
}

namespace {

// The purchase update's text for one stock choice and the set of levels it writes.
QString TextoCompra(bool conStock, unsigned niveles, bool conVersion)
{
    static const char *const sufijos[] = {"uno", "dos", "tres", "cuatro"};
    QStringList lineas{QStringLiteral("UPDATE INVENTARIO")};
    lineas << (conStock ? QStringLiteral("SET STOCK = :stock,") : QStringLiteral(" SET "));
    lineas << QStringLiteral("PREVEN_1 = :prevenuno,PRECIOSINIV_1 = :psivuno,PRECIOCONIV_1 = :pcivuno");
    for (int i = 1; i < 4; ++i)
        if (niveles & (1u << i))
            lineas << QStringLiteral(",PREVEN_%1 = :preven%2,PRECIOSINIV_%1 = :psiv%2,PRECIOCONIV_%1 = :pciv%2")
                          .arg(QString::number(i + 1), QLatin1String(sufijos[i]));
    lineas << QStringLiteral(",COSTO_PROMEDIO = :costopro,PRECIO_COMPRA = :preciocompra,FK_PROVEEDOR = :codproveedor,"
                             "FECHA_ULTIMACOMPRA = :fechaultcomp,GRAVADO = :gravado,IMPUESTO_INCLUIDO = :ivi,"
                             "COMPRA_MONEDA1 = :moneda1,COMPRA_MONEDA2 = :moneda2")
           << QStringLiteral("WHERE COD_BARRAS = :cod");
    if (conVersion)
        lineas << QStringLiteral("AND RDB$RECORD_VERSION = :version");
    return lineas.join(QLatin1Char('\n'));
}

} // namespace

std::uint64_t RegistrosCompra::ActualizarInventarioCompras(const TRegistroCompras &r, const QString &actualizaStock,
                                                           const QString &gravado, const QString &ivi,
                                                           std::optional<qint64> version)
{
    static const char *const precioVenta[] = {"prevenuno", "prevendos", "preventres", "prevencuatro"};
    static const char *const sinIv[] = {"psivuno", "psivdos", "psivtres", "psivcuatro"};
    static const char *const conIv[] = {"pcivuno", "pcivdos", "pcivtres", "pcivcuatro"};
    // Two stock choices times eight sets of levels 2-4, with and without the version check,
    // each text built once.
    static const std::array<QString, 32> textos = [] {
        std::array<QString, 32> t;
        for (unsigned i = 0; i < 32; ++i)
            t[i] = TextoCompra(i & 1u, (i & 14u) | 1u, i & 16u);
        return t;
    }();
    return Escribir(kActualizar, "INVENTARIO", [&] {
        const bool conStock = actualizaStock == QLatin1String("S");
        // A level on a manual base, or on a base the card does not offer, keeps its stored prices.
        unsigned niveles = 1;
        for (int i = 1; i < 4; ++i)
            if (r.BaseCalculo[i] >= 1 && r.BaseCalculo[i] <= 3)
                niveles |= 1u << i;
        db::Query &q = q_.Sql(BaseCompra::Inventario,
                              textos[(niveles & ~1u) | (conStock ? 1u : 0u) | (version ? 16u : 0u)]);
        if (conStock)
            q.paramByName("stock").setAsCurrency(r.Stock);
        for (int i = 0; i < 4; ++i) {
            if (!(niveles & (1u << i)))
                continue;
            q.paramByName(precioVenta[i]).setAsCurrency(r.PrecioVenta[i]);
            q.paramByName(sinIv[i]).setAsCurrency(r.PrecioSinIv[i]);
            q.paramByName(conIv[i]).setAsCurrency(r.PrecioConIv[i]);
        }
        // An article without stock keeps its last purchase price as its average cost.
        q.paramByName("costopro").setAsCurrency(conStock ? r.CostoPromedio : r.PrecioCompra);
        q.paramByName("preciocompra").setAsCurrency(r.PrecioCompra);
        q.paramByName("codproveedor").setAsInteger(r.CodProveedor);
        q.paramByName("fechaultcomp").setValue(FechaDe(r.FechaUltimaCompra));
        q.paramByName("gravado").setAsString(gravado);
        q.paramByName("ivi").setAsString(BanderaSN(ivi));
        q.paramByName("moneda1").setAsCurrency(r.TipoCambio);
        q.paramByName("moneda2").setAsCurrency(r.TipoCambio2);
        q.paramByName("cod").setAsString(r.Codigo);
        if (!version)
            return Ejecutar(q);
        q.paramByName("version").setAsInteger(*version);
        try {
            return Ejecutar(q);
        } catch (const db::DbError &e) {
            // Changed by a transaction that ended while this one waited for the row: the
            // caller reads it again, locked.
            if (e.sqlCode() == -913)
                return std::uint64_t{0};
            throw;
        }
    });
}

void RegistrosCompra::ActualizarInventario(ModoArticulo modo, const TArticuloInventario &a)
{
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
    const bool actualizar = modo == ModoArticulo::Actualizar;
    Escribir(actualizar ? kActualizar : kInsertar, "INVENTARIO", [&] {
        QStringList texto;
        if (actualizar) {
            texto << QStringLiteral("UPDATE INVENTARIO SET ");
            for (const auto &c : cols)
                texto << QStringLiteral(" %1 = :%1,").arg(c.first);
            texto << QStringLiteral("ARTICULO_INACTIVO= 'N'  ") << QStringLiteral("WHERE COD_BARRAS = :OLD_COD_BARRAS");
        } else {
            QStringList nombres, parametros;
            for (const auto &c : cols) {
                nombres << c.first;
                parametros << QLatin1Char(':') + c.first;
            }
            texto << QStringLiteral("INSERT INTO INVENTARIO(") << nombres.join(QLatin1Char(',')) + QStringLiteral(",COD_BARRAS,FECHA_ALTA")
                  << QStringLiteral(")VALUES(") << parametros.join(QLatin1Char(',')) + QStringLiteral(",:OLD_COD_BARRAS,:FECHA_ALTA)");
        }
        db::Query &q = q_.Sql(BaseCompra::Inventario, texto.join(QLatin1Char('\n')));
        if (!actualizar)
            q.paramByName("FECHA_ALTA").setAsDateTime(QDateTime::currentDateTime());
        for (const auto &c : cols)
            q.paramByName(c.first).setValue(c.second);
        q.paramByName("OLD_COD_BARRAS").setAsString(a.OLD_COD_BARRAS);
        Ejecutar(q);
    });
}

// ---------------------------------------------------------------------------
// Stock ledger
// ---------------------------------------------------------------------------

void RegistrosCompra::InsertarMovStock(const FilaMovStock &m)
{
    Escribir(kInsertar, "MOVIMIENTOS_STOCK", [&] {
        const Cols cols = {{"FECHA", FechaHora(m.FECHA)},
                           {"TIPO_MOVIMIENTO", Entero(m.TIPO_MOVIMIENTO)},
                           {"DESCRIPCION_MOV", Texto(PrefijoMovimiento(m.TIPO_MOVIMIENTO) + m.DESCRIPCION_MOV)},
                           {"FAMILIA", Texto(m.FAMILIA)},
                           {"COD_BARRAS", Texto(m.COD_BARRAS)},
                           {"NOMBRE_ARTICULO", Texto(m.NOMBRE_ARTICULO)},
                           {"COMPROBANTE", Texto(m.COMPROBANTE)},
                           {"CANTIDAD", Moneda(m.CANTIDAD)},
                           {"FRACCIONADO", Texto(m.FRACCIONADO)},
                           {"CREATE_USERID", Texto(m.CREATE_USERID)},
                           {"CREATE_TMSTMP", FechaHora(m.FECHA)},
                           {"UPDATE_USERID", Texto(m.UPDATE_USERID)},
                           {"UPDATE_TMSTMP", FechaHora(m.FECHA)},
                           {"TIPO_CAMBIO", Moneda(m.TIPO_CAMBIO)},
                           {"TIPO_CAMBIO_2", Moneda(m.TIPO_CAMBIO_2)},
                           {"ID_TRANSACCION", Entero(m.ID_TRANSACCION)},
                           {"IMPORTE_COSTO", m.IMPORTE_COSTO ? Moneda(*m.IMPORTE_COSTO) : Value()}};
        static const QString texto = TextoInsert("MOVIMIENTOS_STOCK", cols);
        Insertar(q_.Sql(BaseCompra::Tienda, texto), cols);
    });
}

std::uint64_t RegistrosCompra::EliminarMovStock(const FiltroMovStock &f)
{
    return Escribir(kEliminar, "MOVIMIENTOS_STOCK", [&] {
        db::Query &q = q_.Sql(BaseCompra::Tienda, QStringLiteral("delete from MOVIMIENTOS_STOCK\n where TIPO_MOVIMIENTO = "
                                                                 ":Mov\n and COMPROBANTE  = :Comprobante\n and FECHA = "
                                                                 ":Fecha and COD_BARRAS = :Articulo\n and ID_TRANSACCION "
                                                                 "= :IdTran"));
        q.paramByName("Mov").setAsInteger(f.TIPO_MOVIMIENTO);
        q.paramByName("Comprobante").setAsString(f.COMPROBANTE);
        q.paramByName("Fecha").setAsDate(f.FECHA);
        q.paramByName("Articulo").setAsString(f.COD_BARRAS);
        q.paramByName("IdTran").setAsInteger(f.ID_TRANSACCION);
        return Ejecutar(q);
    });
}

std::uint64_t RegistrosCompra::EliminarMovimientosStock(int idTransaccion, int tipo, const QString &comprobante,
                                                        const QDate &fecha)
{
    return Escribir(kEliminar, "MOVIMIENTOS_STOCK", [&] {
        db::Query &q = q_.Sql(BaseCompra::Tienda, QStringLiteral("Delete from movimientos_stock where "
                                                                 "ID_TRANSACCION=:vIdTran and TIPO_MOVIMIENTO=:vMov and "
                                                                 "COMPROBANTE=:vComp and FECHA=:vFecha"));
        q.paramByName("vIdTran").setAsInteger(idTransaccion);
        q.paramByName("vMov").setAsInteger(tipo);
        q.paramByName("vComp").setAsString(comprobante);
        q.paramByName("vFecha").setAsDate(fecha);
        return Ejecutar(q);
    });
}

void RegistrosCompra::InsertarMovEntradaSalida(const FilaEntradaSalida &e)
{
    Escribir(kInsertar, "ENTRADA_SALIDA", [&] {
        const Cols cols = {{"FECHA", FechaHora(e.FECHA)},
                           {"COMPROBANTE", Texto(e.COMPROBANTE)},
                           {"TIPO_MOV", Entero(e.entrada ? 1 : 2)},
                           {e.entrada ? "TIPO_ENTRADA" : "TIPO_SALIDA", Entero(e.entrada ? 3 : 5)},
                           {"DESCRIPCION", Texto(e.DESCRIPCION)},
                           {"CREATE_USERID", Texto(e.CREATE_USERID)},
                           {"CREATE_TMSTMP", FechaHora(QDateTime::currentDateTime())},
                           {"ANULADO", Texto(e.ANULADO)}};
        static const QString entrada = TextoInsert("ENTRADA_SALIDA", cols);
        static const QString salida = QString(entrada).replace(QLatin1String("TIPO_ENTRADA"), QLatin1String("TIPO_SALIDA"));
        Insertar(q_.Sql(BaseCompra::Tienda, e.entrada ? entrada : salida), cols);
    });
}

void RegistrosCompra::InsertarDetalleEntradaSalida(const FilaDetalleEntradaSalida &d)
{
    Escribir(kInsertar, "DETALLE_ENTRADA_SALIDA", [&] {
        const Cols cols = {{"COMPROBANTE", Texto(d.COMPROBANTE)},
                           {"TIPO_MOVIMIENTO", Entero(d.entrada ? 1 : 2)},
                           {d.entrada ? "TIPO_ENTRADA" : "TIPO_SALIDA", Entero(d.entrada ? 3 : 5)},
                           {"FECHA", FechaHora(d.FECHA)},
                           {"COD_BARRAS", Texto(d.COD_BARRAS)},
                           {"DESCRIPCION", Texto(d.DESCRIPCION)},
                           {"CANTIDAD", Moneda(d.CANTIDAD)},
                           {"FRACCIONADO", Texto(d.FRACCIONADO)},
                           {"FRACCION", Moneda(d.FRACCION)},
                           {"ID_FRACCION", Entero(d.ID_FRACCION)},
                           {"PRECIO_COSTO", Moneda(d.PRECIO_COSTO)},
                           {"PRECIO_VENTA", Moneda(d.PRECIO_VENTA)},
                           {"TIPO_CAMBIO", Moneda(d.TIPO_CAMBIO)},
                           {"TIPO_CAMBIO_2", Moneda(d.TIPO_CAMBIO_2)}};
        static const QString entrada = TextoInsert("DETALLE_ENTRADA_SALIDA", cols);
        static const QString salida = QString(entrada).replace(QLatin1String("TIPO_ENTRADA"), QLatin1String("TIPO_SALIDA"));
        Insertar(q_.Sql(BaseCompra::Tienda, d.entrada ? entrada : salida), cols);
    });
}

// ---------------------------------------------------------------------------
// Cash register, supplier account and credit notes
// ---------------------------------------------------------------------------

void RegistrosCompra::InsertarCajaDiaria(const FilaCajaDiaria &c)
{
    Escribir(kInsertar, "CAJA_DIARIA", [&] {
        const Cols cols = {{"FECHA_HORA", FechaHora(c.FECHA_HORA)},
                           {"CODIGO_MOVIMIENTO", Entero(c.CODIGO_MOVIMIENTO)},
                           {"COMPROBANTE", Texto(c.COMPROBANTE)},
                           {"IMPORTE_EFECTIVO", Moneda(c.IMPORTE_EFECTIVO)},
                           {"IMPORTE_CHEQUE", Moneda(c.IMPORTE_CHEQUE)},
                           {"IMPORTE_TARJETA", Moneda(c.IMPORTE_TARJETA)},
                           {"NRO_CHEQUE", Texto(c.NRO_CHEQUE)},
                           {"BANCO", Texto(c.BANCO)},
                           {"NUMERO_TARJETA", Texto(c.NUMERO_TARJETA)},
                           {"NUMERO_VOUCHER", Texto(c.NUMERO_VOUCHER)},
                           {"CONCEPTO", Memo(c.CONCEPTO)},
                           {"TURNO", Entero(c.TURNO)},
                           {"USUARIO", Texto(c.USUARIO)},
                           {"SALDO", Moneda(c.SALDO)},
                           {"ID_TARJETA", c.ID_TARJETA == 0 ? Value() : Entero(c.ID_TARJETA)},
                           {"TIPO_CAMBIO", Moneda(c.TIPO_CAMBIO)},
                           {"TIPO_CAMBIO_2", Moneda(c.TIPO_CAMBIO_2)},
                           {"IMPORTE_MONEDA2", Moneda(c.IMPORTE_MONEDA2)},
                           {"IMPORTE_TARJETA2", Moneda(c.IMPORTE_TARJETA2)},
                           {"IMPORTE_TARJETA3", Moneda(c.IMPORTE_TARJETA3)},
                           {"NUMERO_TARJETA2", Texto(c.NUMERO_TARJETA2)},
                           {"NUMERO_TARJETA3", Texto(c.NUMERO_TARJETA3)},
                           {"COD_VENDEDOR", Entero(c.COD_VENDEDOR)},
                           {"NOMBRE_VENDEDOR", Texto(c.NOMBRE_VENDEDOR)},
                           {"NRO_CONSECUTIVO", Texto(c.NRO_CONSECUTIVO)},
                           {"COMPUTADORA", Texto(c.COMPUTADORA)},
                           {"NRO_CAJA", Entero(c.NRO_CAJA)}};
        static const QString texto = TextoInsert("CAJA_DIARIA", cols);
        Insertar(q_.Sql(BaseCompra::Tienda, texto), cols);
    });
}

namespace {

std::uint64_t EliminarCaja(ConsultasCompra &consultas, const char *tabla, ModoCaja modo, const FiltroCaja &f)
{
    return Escribir(kEliminar, tabla, [&] {
        QString texto = QStringLiteral("delete from %1\n where CODIGO_MOVIMIENTO = :Movimiento and COMPROBANTE = :Comprob")
                            .arg(QLatin1String(tabla));
        if (modo == ModoCaja::PorFecha)
            texto += QStringLiteral(" and FECHA = :fecha");
        else if (modo == ModoCaja::PorImporte)
            texto += QStringLiteral(" and IMPORTE_EFECTIVO = :importe");
        else if (modo == ModoCaja::PrimeraDesde)
            texto += QStringLiteral(" and ID_CAJA = (select first 1 ID_CAJA from %1 where CODIGO_MOVIMIENTO = "
                                    ":Movimiento and COMPROBANTE = :Comprob and IMPORTE_EFECTIVO = :importe and "
                                    "FECHA >= :fecha order by FECHA, ID_CAJA)")
                         .arg(QLatin1String(tabla));
        db::Query &q = consultas.Sql(BaseCompra::Tienda, texto);
        q.paramByName("Movimiento").setAsInteger(f.CODIGO_MOVIMIENTO);
        q.paramByName("Comprob").setAsString(f.COMPROBANTE);
        if (modo == ModoCaja::PorFecha || modo == ModoCaja::PrimeraDesde)
            q.paramByName("fecha").setAsDateTime(f.FECHA);
        if (modo == ModoCaja::PorImporte || modo == ModoCaja::PrimeraDesde)
            q.paramByName("importe").setAsCurrency(f.IMPORTE_EFECTIVO);
        return Ejecutar(q);
    });
}

} // namespace

std::uint64_t RegistrosCompra::EliminarCajaDiaria(ModoCaja modo, const FiltroCaja &filtro)
{
    return EliminarCaja(q_, "CAJA_DIARIA", modo, filtro);
}

std::uint64_t RegistrosCompra::EliminarCajaAnterior(ModoCaja modo, const FiltroCaja &filtro)
{
    return EliminarCaja(q_, "CAJA_ANTERIOR", modo, filtro);
}

void RegistrosCompra::InsertarCuentaProveedor(const FilaCuentaProveedor &c)
{
    Escribir(kInsertar, "CUENTA_PROVEEDOR", [&] {
        Cols cols = {{"COMPUTADORA", Texto(c.COMPUTADORA)},
                     {"NRO_CAJA", Entero(c.NRO_CAJA)},
                     {"FECHA", FechaHora(c.FECHA)},
                     {"COD_PROVEEDOR", Entero(c.COD_PROVEEDOR)},
                     {"COD_TIPO_MOV", Entero(c.COD_TIPO_MOV)},
                     {"COMPROBANTE", Texto(c.COMPROBANTE)},
                     {"IMPORTE", Moneda(c.IMPORTE)}};
        if (!EsFechaCero(c.FECHA_VENCIMIENTO))
            cols.push_back({"FECHA_VENCIMIENTO", FechaHora(c.FECHA_VENCIMIENTO)});
        cols.insert(cols.end(), {{"NOTA", Texto(c.NOTA)},
                                 {"TIPO_CAMBIO", Moneda(c.TIPO_CAMBIO)},
                                 {"TIPO_CAMBIO_2", Moneda(c.TIPO_CAMBIO_2)},
                                 {"MONEDA_CARGA", Entero(c.MONEDA_CARGA)},
                                 {"CREATE_USERID", Texto(c.CREATE_USERID)},
                                 {"CREATE_TMSTMP", FechaHora(c.CREATE_TMSTMP)},
                                 {"UPDATE_USERID", Texto(c.UPDATE_USERID)},
                                 {"UPDATE_TMSTMP", FechaHora(c.UPDATE_TMSTMP)},
                                 {"C_IMPORTE", Moneda(c.C_IMPORTE)},
                                 {"NC_ASIGNADA", Texto(c.NC_ASIGNADA)},
                                 {"C_A_CANCELAR", Moneda(c.C_A_CANCELAR)},
                                 {"DIAS_CREDITO", Entero(c.DIAS_CREDITO)},
                                 {"CANCELADO", Texto(c.CANCELADO)},
                                 {"A_CANCELAR", Moneda(c.A_CANCELAR)}});
        if (!c.NC_FACTURA.isEmpty())
            cols.push_back({"NC_FACTURA", Texto(c.NC_FACTURA)});
        Insertar(q_.Sql(BaseCompra::Tienda, TextoInsert("CUENTA_PROVEEDOR", cols)), cols);
    });
}

std::uint64_t RegistrosCompra::ActualizaCuentaProveedor(const QString &comprobante, Currency saldo, int tipoMov,
                                                        int codProveedor)
{
    return Escribir(kActualizar, "CUENTA_PROVEEDOR", [&] {
        db::Query &q = q_.Sql(BaseCompra::Tienda, QStringLiteral("update CUENTA_PROVEEDOR set A_CANCELAR=:saldo where "
                                                                 "COMPROBANTE=:comp and COD_TIPO_MOV=:tipo\n and "
                                                                 "COD_PROVEEDOR=:prov"));
        q.paramByName("saldo").setAsCurrency(saldo);
        q.paramByName("comp").setAsString(comprobante);
        q.paramByName("tipo").setAsInteger(tipoMov);
        q.paramByName("prov").setAsInteger(codProveedor);
        return Ejecutar(q);
    });
}

std::uint64_t RegistrosCompra::EliminarCuentaProveedor(ModoCuentaProveedor modo, const FiltroCuentaProveedor &f)
{
    return Escribir(kEliminar, "CUENTA_PROVEEDOR", [&] {
        const bool porFecha = modo == ModoCuentaProveedor::PorFecha;
        db::Query &q = q_.Sql(BaseCompra::Tienda,
                              porFecha ? QStringLiteral("delete from CUENTA_PROVEEDOR\n where COD_TIPO_MOV = :TipoMov \n "
                                                        "and COMPROBANTE = :Fac and FECHA = :Fecha\n and COD_PROVEEDOR = "
                                                        ":Prov")
                                       : QStringLiteral("delete from CUENTA_PROVEEDOR\n where COD_TIPO_MOV = :TipoMov \n "
                                                        "and COMPROBANTE = :Fac\n and COD_PROVEEDOR = :Prov"));
        q.paramByName("TipoMov").setAsInteger(f.COD_TIPO_MOV);
        q.paramByName("Fac").setAsString(f.COMPROBANTE);
        if (porFecha)
            q.paramByName("Fecha").setAsDate(f.FECHA);
        q.paramByName("Prov").setAsInteger(f.COD_PROVEEDOR);
        return Ejecutar(q);
    });
}

int RegistrosCompra::InsertarNotaCreditoProveedor(const FilaNotaCreditoProveedor &n)
{
    return Escribir(kInsertar, "NOTAS_CREDITO_PROV", [&] {
        Cols cols = {{"COMPUTADORA", Texto(n.COMPUTADORA)},
                     {"NRO_CAJA", Entero(n.NRO_CAJA)},
                     {"COMPROBANTE", Texto(n.COMPROBANTE)},
                     {"COD_PROVEEDOR", Entero(n.COD_PROVEEDOR)},
                     {"PORC_DESCUENTO", Moneda(n.PORC_DESCUENTO)},
                     {"IMP_DESCUENTO", Moneda(n.IMP_DESCUENTO)},
                     {"IMP_IV", Moneda(n.IMP_IV)},
                     {"IMP_TOTAL", Moneda(n.IMP_TOTAL)},
                     {"FECHA", FechaHora(n.FECHA)},
                     {"ANULADA", Texto(n.ANULADA)}};
        if (!EsFechaCero(n.FECHA_VENTA))
            cols.push_back({"FECHA_VENTA", FechaHora(n.FECHA_VENTA)});
        cols.push_back({"OBSERVACIONES", Memo(n.OBSERVACIONES)});
        cols.push_back({"ASIGNADA", Texto(n.ASIGNADA)});
        if (n.FACTURA_VENTA != QLatin1String("0"))
            cols.push_back({"FACTURA_VENTA", Texto(n.FACTURA_VENTA)});
        cols.insert(cols.end(), {{"SUBTOTAL_GRAVADO", Moneda(n.SUBTOTAL_GRAVADO)},
                                 {"SUBTOTAL_NO_GRAVADO", Moneda(n.SUBTOTAL_NO_GRAVADO)},
                                 {"TOTAL_GRAVADO", Moneda(n.TOTAL_GRAVADO)},
                                 {"TOTAL_NO_GRAVADO", Moneda(n.TOTAL_NO_GRAVADO)},
                                 {"TIPO_NC", Entero(n.TIPO_NC)},
                                 {"TIPO_CAMBIO", Moneda(n.TIPO_CAMBIO)},
                                 {"TIPO_CAMBIO_2", Moneda(n.TIPO_CAMBIO_2)},
                                 {"CREATE_USERID", Texto(n.CREATE_USERID)},
                                 {"CREATE_TMSTMP", FechaHora(n.CREATE_TMSTMP)},
                                 {"IMP_EXENTO", Moneda(n.TOTAL_NO_GRAVADO)},
                                 {"IMP_GRAVADO", Moneda(n.TOTAL_GRAVADO)}});
        return Insertar(q_.Sql(BaseCompra::Tienda, TextoInsert("NOTAS_CREDITO_PROV", cols, "ID_NC_PROV")), cols,
                        "ID_NC_PROV");
    });
}

void RegistrosCompra::InsertarDetalleNotaCreditoProveedor(const FilaDetalleNotaCredito &d)
{
    Escribir(kInsertar, "DETALLE_NC_PROV", [&] {
        const Cols cols = {{"COMPUTADORA", Texto(d.COMPUTADORA)},
                           {"NRO_CAJA", Entero(d.NRO_CAJA)},
                           {"FK_NC_PROV", Entero(d.FK_NC_PROV)},
                           {"FECHA", FechaHora(d.FECHA)},
                           {"COMPROBANTE", Texto(d.COMPROBANTE)},
                           {"CODIGO_FAMILIA", Texto(d.CODIGO_FAMILIA)},
                           {"CODIGO_ARTICULO", Texto(d.CODIGO_ARTICULO)},
                           {"DESCRIPCION", Texto(d.DESCRIPCION)},
                           {"CANTIDAD", Moneda(d.CANTIDAD)},
                           {"PORC_IMPUESTO", Moneda(d.PORC_IMPUESTO)},
                           {"GRAVADO", Texto(d.GRAVADO)},
                           {"IMPUESTO_INCLUIDO", Texto(d.IMPUESTO_INCLUIDO)},
                           {"FRACCIONADO", Texto(d.FRACCIONADO)},
                           {"IMPORTE_IMPUESTO", Moneda(d.IMPORTE_IMPUESTO)},
                           {"IMPORTE_UNITARIO", Moneda(d.IMPORTE_UNITARIO)},
                           {"IMPORTE_TOTAL", Moneda(d.IMPORTE_TOTAL)},
                           {"IMPORTE_DESCUENTO", Moneda(d.IMPORTE_DESCUENTO)},
                           {"PORC_DESCUENTO", Moneda(d.PORC_DESCUENTO)},
                           {"COD_PROVEEDOR", Entero(d.COD_PROVEEDOR)},
                           {"TIPO_CAMBIO", Moneda(d.TIPO_CAMBIO)},
                           {"TIPO_CAMBIO_2", Moneda(d.TIPO_CAMBIO_2)}};
        static const QString texto = TextoInsert("DETALLE_NC_PROV", cols);
        Insertar(q_.Sql(BaseCompra::Tienda, texto), cols);
    });
}

std::uint64_t RegistrosCompra::ActualizaNCProveedor(ModoNotaCredito modo, const CambioNotaCredito &c)
{
    return Escribir(kActualizar, "NOTAS_CREDITO_PROV", [&]() -> std::uint64_t {
        auto sql = [this](const QString &texto) -> db::Query & { return q_.Sql(BaseCompra::Tienda, texto); };
        db::Query *q = nullptr;
        switch (modo) {
        case ModoNotaCredito::Asignar:
            q = &sql(QStringLiteral("Update NOTAS_CREDITO_PROV set ASIGNADA=:asig where COMPROBANTE= :comp\n and "
                                    "COD_PROVEEDOR= :prov"));
            q->paramByName("asig").setAsString(c.ASIGNADA);
            q->paramByName("comp").setAsString(c.COMPROBANTE);
            break;
        case ModoNotaCredito::Aplicar:
            // Only a note still free is taken: two stations can never apply the same note.
            q = &sql(QStringLiteral("Update NOTAS_CREDITO_PROV set ASIGNADA=:asig, APLICA_FECHA=:fecha, "
                                    "APLICA_FACTURA=:fac where COMPROBANTE= :comp\n and COD_PROVEEDOR= :prov and "
                                    "coalesce(ASIGNADA, 'N') <> 'S' and coalesce(ANULADA, 'N') <> 'S'"));
            q->paramByName("asig").setAsString(c.ASIGNADA);
            q->paramByName("fecha").setAsDateTime(c.APLICA_FECHA);
            q->paramByName("fac").setAsString(c.APLICA_FACTURA);
            q->paramByName("comp").setAsString(c.COMPROBANTE);
            break;
        case ModoNotaCredito::Liberar:
            q = &sql(QStringLiteral("update NOTAS_CREDITO_PROV set ASIGNADA = 'N', APLICA_FECHA = null, APLICA_FACTURA = "
                                    "null where APLICA_FACTURA = :fac and COD_PROVEEDOR = :prov and ASIGNADA = 'S'"));
            q->paramByName("fac").setAsString(c.APLICA_FACTURA);
            break;
        case ModoNotaCredito::AnularSaldo:
            // A balance note already spent on another invoice cannot be taken back.
            q = &sql(QStringLiteral("update NOTAS_CREDITO_PROV set ANULADA = 'S' where COMPROBANTE = :comp and "
                                    "COD_PROVEEDOR = :prov and TIPO_NC = 3 and coalesce(ASIGNADA, 'N') <> 'S'"));
            q->paramByName("comp").setAsString(c.COMPROBANTE);
            break;
        }
        q->paramByName("prov").setAsInteger(c.COD_PROVEEDOR);
        return Ejecutar(*q);
    });
}

// ---------------------------------------------------------------------------
// Consignments
// ---------------------------------------------------------------------------

int RegistrosCompra::InsertarEncabezadoConsignacion(const FilaConsignacion &c)
{
    return Escribir(kInsertar, "CONSIGNACIONES", [&] {
        const Cols cols = {{"FECHA", Fecha(c.FECHA)},
                           {"COMPROBANTE", Texto(c.COMPROBANTE)},
                           {"CODIGO_PROVEEDOR", Texto(c.CODIGO_PROVEEDOR)},
                           {"NOMBRE", Texto(c.NOMBRE)},
                           {"CEDULA", Texto(c.CEDULA)},
                           {"TELEFONO", Texto(c.TELEFONO)},
                           {"IMPORTE_DESCUENTO", Moneda(c.IMPORTE_DESCUENTO)},
                           {"PORC_DESCUENTO", Moneda(c.PORC_DESCUENTO)},
                           {"IMPORTE_IV", Moneda(c.IMPORTE_IV)},
                           {"IMPORTE_TOTAL", Moneda(c.IMPORTE_TOTAL)},
                           {"DIAS_CREDITO", Entero(c.DIAS_CREDITO)},
                           {"EFECTIVO_CAJA", Texto(c.EFECTIVO_CAJA)},
                           {"IMPORTE_EFECTIVO", Moneda(c.IMPORTE_EFECTIVO)},
                           {"IMPORTE_CHEQUE", Moneda(c.IMPORTE_CHEQUE)},
                           {"IMPORTE_CREDITO", Moneda(c.IMPORTE_CREDITO)},
                           {"IMPORTE_NC", Moneda(c.IMPORTE_NC)},
                           {"NUMERO_CHEQUE", Texto(c.NUMERO_CHEQUE)},
                           {"SUBTOTAL_GRAVADO", Moneda(c.SUBTOTAL_GRAVADO)},
                           {"SUBTOTAL_NO_GRAVADO", Moneda(c.SUBTOTAL_NO_GRAVADO)},
                           {"TOTAL_GRAVADO", Moneda(c.TOTAL_GRAVADO)},
                           {"TOTAL_NO_GRAVADO", Moneda(c.TOTAL_NO_GRAVADO)},
                           {"ANULADA", Texto(c.ANULADA)},
                           {"FECHA_CARGA", Fecha(c.FECHA_CARGA)},
                           {"TIPO_CAMBIO", Moneda(c.TIPO_CAMBIO)},
                           {"TIPO_CAMBIO_2", Moneda(c.TIPO_CAMBIO_2)},
                           {"COMPUTADORA", Texto(c.COMPUTADORA)},
                           {"NRO_CAJA", Entero(c.NRO_CAJA)}};
        static const QString texto = TextoInsert("CONSIGNACIONES", cols, "ID_CONSIGNACION");
        return Insertar(q_.Sql(BaseCompra::Tienda, texto), cols, "ID_CONSIGNACION");
    });
}

void RegistrosCompra::InsertarDetalleConsignacion(const FilaDetalleConsignacion &d)
{
    Escribir(kInsertar, "DETALLE_CONSIGNACION", [&] {
        const Cols cols = {{"ID_CONSIGNACION", Entero(d.ID_CONSIGNACION)},
                           {"FECHA", Fecha(d.FECHA)},
                           {"COMPROBANTE", Texto(d.COMPROBANTE)},
                           {"CODIGO_FAMILIA", Texto(d.CODIGO_FAMILIA)},
                           {"CODIGO_ARTICULO", Texto(d.CODIGO_ARTICULO)},
                           {"DESCRIPCION", Texto(d.DESCRIPCION)},
                           {"IMPORTE_UNITARIO", Moneda(d.IMPORTE_UNITARIO)},
                           {"CANTIDAD", Moneda(d.CANTIDAD)},
                           {"IMPORTE_IMPUESTO", Moneda(d.IMPORTE_IMPUESTO)},
                           {"PORC_IMPUESTO", Moneda(d.PORC_IMPUESTO)},
                           {"IMPORTE_TOTAL", Moneda(d.IMPORTE_TOTAL)},
                           {"IMPORTE_DESCUENTO", Moneda(d.IMPORTE_DESCUENTO)},
                           {"PORC_DESCUENTO", Moneda(d.PORC_DESCUENTO)},
                           {"GRAVADO", Texto(d.GRAVADO)},
                           {"IMPUESTO_INCLUIDO", Texto(d.IMPUESTO_INCLUIDO)},
                           {"FRACCIONADO", Texto(d.FRACCIONADO)},
                           {"PRECIO_ANTERIOR", Moneda(d.PRECIO_ANTERIOR)},
                           {"PROMEDIO_ANTERIOR", Moneda(d.PROMEDIO_ANTERIOR)},
                           {"PROCESADOS", Moneda(d.PROCESADOS)},
                           {"ANULADA", Texto(d.ANULADA)},
                           {"TIPO_CAMBIO", Moneda(d.TIPO_CAMBIO)},
                           {"TIPO_CAMBIO_2", Moneda(d.TIPO_CAMBIO_2)},
                           {"COMPUTADORA", Texto(d.COMPUTADORA)},
                           {"NRO_CAJA", Entero(d.NRO_CAJA)},
                           {"EXISTENCIA", Moneda(d.EXISTENCIA)}};
        static const QString texto = TextoInsert("DETALLE_CONSIGNACION", cols);
        Insertar(q_.Sql(BaseCompra::Tienda, texto), cols);
    });
}

std::uint64_t RegistrosCompra::ActualizaConsignaciones(ModoConsignacion modo, int idConsignacion,
                                                       const CambioConsignacion &c)
{
    if (modo == ModoConsignacion::Anular) {
        const std::uint64_t n = Escribir(kActualizar, "CONSIGNACIONES", [&] {
            db::Query &q = q_.Sql(BaseCompra::Tienda, QStringLiteral("update CONSIGNACIONES set ANULADA = 'S', "
                                                                     "FECHA_ANULACION = :Fecha where ID_CONSIGNACION = :ID "
                                                                     "and coalesce(ANULADA, 'N') <> 'S'"));
            q.paramByName("ID").setAsInteger(idConsignacion);
            q.paramByName("Fecha").setAsDateTime(c.fecha);
            return Ejecutar(q);
        });
        // An annulled consignment is never annulled again.
        if (n == 0)
            return n;
        Escribir(kActualizar, "DETALLE_CONSIGNACION", [&] {
            db::Query &q = q_.Sql(BaseCompra::Tienda,
                                  QStringLiteral("update DETALLE_CONSIGNACION set ANULADA = 'S'  where ID_CONSIGNACION = :ID"));
            q.paramByName("ID").setAsInteger(idConsignacion);
            return Ejecutar(q);
        });
        return n;
    }
    if (modo == ModoConsignacion::MarcarDevuelta) {
        return Escribir(kActualizar, "CONSIGNACIONES", [&] {
            db::Query &q = q_.Sql(BaseCompra::Tienda, QStringLiteral("update CONSIGNACIONES set DEVUELTA = 'S' "
                                                                     "where ID_CONSIGNACION = :ID"));
            q.paramByName("ID").setAsInteger(idConsignacion);
            return Ejecutar(q);
        });
    }
    if (modo == ModoConsignacion::DevolverTodo || modo == ModoConsignacion::Devolver) {
        return Escribir(kActualizar, "DETALLE_CONSIGNACION", [&] {
            const bool todo = modo == ModoConsignacion::DevolverTodo;
            db::Query &q = q_.Sql(BaseCompra::Tienda,
                                  todo ? QStringLiteral("update DETALLE_CONSIGNACION set PROCESADOS = CANTIDAD, EXISTENCIA = 0 "
                                                        "where ID_CONSIGNACION = :ID and ID_DETALLE_CONSIGNACION = :pId_Detalle "
                                                        "and coalesce(PROCESADOS, 0) < CANTIDAD")
                                       : QStringLiteral("update DETALLE_CONSIGNACION set PROCESADOS = coalesce(PROCESADOS, 0) + "
                                                        ":procesados, EXISTENCIA = EXISTENCIA - :resta where "
                                                        "ID_CONSIGNACION = :ID and ID_DETALLE_CONSIGNACION = :pId_Detalle and "
                                                        "coalesce(PROCESADOS, 0) + :tope <= CANTIDAD"));
            if (!todo) {
                q.paramByName("procesados").setAsCurrency(c.procesados);
                q.paramByName("resta").setAsCurrency(c.procesados);
                q.paramByName("tope").setAsCurrency(c.procesados);
            }
            q.paramByName("ID").setAsInteger(idConsignacion);
            q.paramByName("pId_Detalle").setAsInteger(c.idDetalle);
            return Ejecutar(q);
        });
    }
    if (modo == ModoConsignacion::ExistenciaCero) {
        return Escribir(kActualizar, "DETALLE_CONSIGNACION", [&] {
            db::Query &q = q_.Sql(BaseCompra::Tienda, QStringLiteral("update detalle_consignacion set EXISTENCIA = 0 "
                                                                     "where ID_CONSIGNACION = :ID"));
            q.paramByName("ID").setAsInteger(idConsignacion);
            return Ejecutar(q);
        });
    }
    return Escribir(kActualizar, "DETALLE_CONSIGNACION", [&] {
        // Added in the statement: two invoices of the same consignment never lose a quantity.
        db::Query &q = q_.Sql(BaseCompra::Tienda,
                              modo == ModoConsignacion::Procesados
                                  ? QStringLiteral("update DETALLE_CONSIGNACION set PROCESADOS = :procesados where "
                                                   "ID_CONSIGNACION = :ID and ID_DETALLE_CONSIGNACION= :pId_Detalle")
                                  : QStringLiteral("update DETALLE_CONSIGNACION set PROCESADOS = coalesce(PROCESADOS, 0) "
                                                   "+ :procesados where ID_CONSIGNACION = :ID and "
                                                   "ID_DETALLE_CONSIGNACION= :pId_Detalle"));
        q.paramByName("procesados").setAsCurrency(c.procesados);
        q.paramByName("ID").setAsInteger(idConsignacion);
        q.paramByName("pId_Detalle").setAsInteger(c.idDetalle);
        return Ejecutar(q);
    });
}

std::uint64_t RegistrosCompra::EliminarConsignaciones(int idConsignacion)
{
    return Escribir(kEliminar, "CONSIGNACIONES", [&] {
        db::Query &q = q_.Sql(BaseCompra::Tienda, QStringLiteral("delete from CONSIGNACIONES\n where ID_CONSIGNACION = :Id"));
        q.paramByName("Id").setAsInteger(idConsignacion);
        return Ejecutar(q);
    });
}

std::uint64_t RegistrosCompra::EliminarDetalleConsignaciones(int idDetalle)
{
    return Escribir(kEliminar, "DETALLE_CONSIGNACION", [&] {
        db::Query &q = q_.Sql(BaseCompra::Tienda,
                              QStringLiteral("delete from DETALLE_CONSIGNACION\n where ID_DETALLE_CONSIGNACION = :Id"));
        q.paramByName("Id").setAsInteger(idDetalle);
        return Ejecutar(q);
    });
}

bool RegistrosCompra::TodosLosArticulosFueronProcesados(int idConsignacion)
{
    db::Query &q = q_.Sql(BaseCompra::Tienda, QStringLiteral("select sum(d.cantidad) as cantidad,sum(d.procesados) as "
                                                             "procesados from detalle_consignacion d where "
                                                             "d.id_consignacion=:id"));
    q.paramByName("id").setAsInteger(idConsignacion);
    q.execQuery();
    // Empty sums read as 0; both are compared at four decimals.
    const bool todos = q.field(0).asCurrency() == q.field(1).asCurrency();
    q.close();
    return todos;
}

bool RegistrosCompra::MarcaConsigProcesada(int idConsignacion)
{
    return Escribir(kActualizar, "CONSIGNACIONES", [&] {
        if (!TodosLosArticulosFueronProcesados(idConsignacion))
            return false;
        db::Query &q = q_.Sql(BaseCompra::Tienda,
                              QStringLiteral("update CONSIGNACIONES set PROCESADA = 'S' where ID_CONSIGNACION = :id"));
        q.paramByName("id").setAsInteger(idConsignacion);
        return Ejecutar(q) > 0;
    });
}

// ---------------------------------------------------------------------------
// Accounting
// ---------------------------------------------------------------------------

int RegistrosCompra::SiguienteNumeroAsiento(int empresa, int periodo)
{
    db::Query &p = q_.Sql(BaseCompra::Contabilidad, QStringLiteral("select ID_PERIODO from PERIODOS where ID_PERIODO = :Per "
                                                                   "and FK_EMPRESA = :Empre with lock"));
    p.paramByName("Per").setAsInteger(periodo);
    p.paramByName("Empre").setAsInteger(empresa);
    p.execQuery();
    const bool hayPeriodo = !p.eof();
    p.close();
    if (!hayPeriodo)
        return 0;
    db::Query &m = q_.Sql(BaseCompra::Contabilidad, QStringLiteral("select max(ID_ASIENTO) from ASIENTOS\n"
                                                                   " where FK_EMPRESA = :Empre\n and FK_PERIODO = :Per"));
    m.paramByName("Empre").setAsInteger(empresa);
    m.paramByName("Per").setAsInteger(periodo);
    m.execQuery();
    const int numero = m.field(0).asInteger() + 1;
    m.close();
    return numero;
}

int RegistrosCompra::InsertarAsiento(const FilaAsiento &a)
{
    return Escribir(kInsertar, "ASIENTOS", [&] {
        Cols cols;
        if (a.ID_ASIENTO > 0)
            cols.push_back({"ID_ASIENTO", Entero(a.ID_ASIENTO)});
        cols.insert(cols.end(), {{"FK_EMPRESA", Entero(a.FK_EMPRESA)},
                                 {"FK_PERIODO", Entero(a.FK_PERIODO)},
                                 {"FECHA", Fecha(a.FECHA)},
                                 {"DESCRIPCION", Texto(a.DESCRIPCION)},
                                 {"SALDO", Moneda(a.SALDO)},
                                 {"BLANCEADO", Texto(a.BLANCEADO)},
                                 {"CREATE_USERID", Texto(a.CREATE_USERID)},
                                 {"CREATE_TMSTMP", FechaHora(a.CREATE_TMSTMP)},
                                 {"UPDATE_USERID", Texto(a.UPDATE_USERID)},
                                 {"UPDATE_TMSTMP", FechaHora(a.UPDATE_TMSTMP)}});
        return Insertar(q_.Sql(BaseCompra::Contabilidad, TextoInsert("ASIENTOS", cols, "ID_ASIENTO")), cols, "ID_ASIENTO");
    });
}

void RegistrosCompra::InsertarLineaAsiento(const FilaLineaAsiento &l)
{
    Escribir(kInsertar, "LINEAS_ASIENTO", [&] {
        const Cols cols = {{"FK_EMPRESA", Entero(l.FK_EMPRESA)},
                           {"FK_PERIODO", Entero(l.FK_PERIODO)},
                           {"FK_ASIENTO", Entero(l.FK_ASIENTO)},
                           {"CUENTA", Texto(l.CUENTA)},
                           {"NOMBRE_CUENTA", Texto(l.NOMBRE_CUENTA)},
                           {"IMPORTE_DEBE", Moneda(l.IMPORTE_DEBE)},
                           {"IMPORTE_HABER", Moneda(l.IMPORTE_HABER)},
                           {"CREATE_USERID", Texto(l.CREATE_USERID)},
                           {"CREATE_TMSTMP", FechaHora(l.CREATE_TMSTMP)},
                           {"UPDATE_USERID", Texto(l.UPDATE_USERID)},
                           {"UPDATE_TMSTMP", FechaHora(l.UPDATE_TMSTMP)}};
        static const QString texto = TextoInsert("LINEAS_ASIENTO", cols);
        Insertar(q_.Sql(BaseCompra::Contabilidad, texto), cols);
    });
}

std::uint64_t RegistrosCompra::MarcarAsientoDesbalanceado(int empresa, int periodo, int idAsiento)
{
    return Escribir(kActualizar, "ASIENTOS", [&] {
        db::Query &q = q_.Sql(BaseCompra::Contabilidad, QStringLiteral("update ASIENTOS set BLANCEADO = 'N' where "
                                                                       "FK_EMPRESA = :Empre and FK_PERIODO = :Per and "
                                                                       "ID_ASIENTO = :Id"));
        q.paramByName("Empre").setAsInteger(empresa);
        q.paramByName("Per").setAsInteger(periodo);
        q.paramByName("Id").setAsInteger(idAsiento);
        return Ejecutar(q);
    });
}

int RegistrosCompra::InsertarAsientoInverso(const FilaAsiento &encabezado, int origen, std::uint64_t *lineas)
{
    const int nuevo = InsertarAsiento(encabezado);
    const std::uint64_t copiadas = Escribir(kInsertar, "LINEAS_ASIENTO", [&] {
        db::Query &q = q_.Sql(BaseCompra::Contabilidad,
                              QStringLiteral("insert into LINEAS_ASIENTO (FK_EMPRESA, FK_PERIODO, FK_ASIENTO, CUENTA, "
                                             "NOMBRE_CUENTA, IMPORTE_DEBE, IMPORTE_HABER, CREATE_USERID, CREATE_TMSTMP, "
                                             "UPDATE_USERID, UPDATE_TMSTMP) select FK_EMPRESA, FK_PERIODO, :Nuevo, CUENTA, "
                                             "NOMBRE_CUENTA, IMPORTE_HABER, IMPORTE_DEBE, :Usuario, :Momento, :Usuario2, "
                                             ":Momento2 from LINEAS_ASIENTO where FK_EMPRESA = :Empre and FK_PERIODO = "
                                             ":Per and FK_ASIENTO = :Origen order by ID_LINEA"));
        q.paramByName("Nuevo").setAsInteger(nuevo);
        q.paramByName("Usuario").setAsString(encabezado.CREATE_USERID);
        q.paramByName("Momento").setAsDateTime(encabezado.CREATE_TMSTMP);
        q.paramByName("Usuario2").setAsString(encabezado.UPDATE_USERID);
        q.paramByName("Momento2").setAsDateTime(encabezado.UPDATE_TMSTMP);
        q.paramByName("Empre").setAsInteger(encabezado.FK_EMPRESA);
        q.paramByName("Per").setAsInteger(encabezado.FK_PERIODO);
        q.paramByName("Origen").setAsInteger(origen);
        return Ejecutar(q);
    });
    if (lineas)
        *lineas = copiadas;
    return nuevo;
}

// ---------------------------------------------------------------------------
// Head-office receipts
// ---------------------------------------------------------------------------

void RegistrosCompra::InsertarDiferenciaEntradaSalida(const FilaDiferencia &f)
{
    Escribir(kInsertar, "DIF_ENTRADA_SALIDA", [&] {
        const Cols cols = {{"TIPO_MOVIMIENTO", Entero(f.TIPO_MOVIMIENTO)},
                           {"TIPO_ENTRADA", Entero(f.TIPO_ENTRADA)},
                           {"COD_BARRAS", Texto(f.COD_BARRAS)},
                           {"DESCRIPCION", Texto(f.DESCRIPCION)},
                           {"FRACCIONADO", Texto(f.FRACCIONADO)},
                           {"ID_FRACCION", Entero(f.ID_FRACCION)},
                           {"FRACCION", Value::real(f.FRACCION)},
                           {"PRECIO_COSTO", Moneda(f.PRECIO_COSTO)},
                           {"PRECIO_VENTA", Moneda(f.PRECIO_VENTA)},
                           {"FECHA_ENVIO", Fecha(f.FECHA_ENVIO)},
                           {"TIPO_CAMBIO", Moneda(f.TIPO_CAMBIO)},
                           {"TIPO_CAMBIO_2", Moneda(f.TIPO_CAMBIO_2)},
                           {"COMPUESTO", Texto(f.COMPUESTO)},
                           {"FECHA_RECEPCION", FechaHora(f.FECHA_RECEPCION)},
                           {"RECIBIDO_POR", Texto(f.RECIBIDO_POR.left(15))},
                           {"CANT_ENVIADA", Moneda(f.CANT_ENVIADA)},
                           {"CANT_RECIBIDA", Moneda(f.CANT_RECIBIDA)},
                           {"DESDE_TIENDA", Entero(f.DESDE_TIENDA)},
                           {"HASTA_TIENDA", Entero(f.HASTA_TIENDA)},
                           {"COMPROB_ENVIO", Texto(f.COMPROB_ENVIO)},
                           {"COMPROB_RECIBE", Texto(f.COMPROB_RECIBE)}};
        static const QString texto = TextoInsert("DIF_ENTRADA_SALIDA", cols);
        Insertar(q_.Sql(BaseCompra::Tienda, texto), cols);
    });
}

bool RegistrosCompra::SumarStockCompra(const QString &codigo, Currency cantidad, Currency costo)
{
    return Escribir(kActualizar, "INVENTARIO", [&] {
        db::Query &l = q_.Sql(BaseCompra::Inventario,
                              QStringLiteral("select STOCK, COSTO_PROMEDIO from INVENTARIO where COD_BARRAS = :Codigo with lock"));
        l.paramByName("Codigo").setAsString(codigo);
        l.execQuery();
        if (l.eof()) {
            l.close();
            return false;
        }
        const Currency stock = l.field(0).asCurrency();
        const Currency promedio = l.field(1).asCurrency();
        l.close();
        const Currency nuevo = stock + cantidad;
        Currency costoPromedio = costo;
        if (nuevo > Currency()) {
            using namespace aritmetica;
            costoPromedio = DesdeCrudo((Crudo(promedio) * Crudo(stock) + Crudo(costo) * Crudo(cantidad)) / Crudo(nuevo));
        }
        db::Query &u = q_.Sql(BaseCompra::Inventario,
                              QStringLiteral("update INVENTARIO set STOCK = STOCK + :Cantidad, PRECIO_COMPRA = :Costo, "
                                             "COSTO_PROMEDIO = :Promedio where COD_BARRAS = :Codigo"));
        u.paramByName("Cantidad").setAsCurrency(cantidad);
        u.paramByName("Costo").setAsCurrency(costo);
        u.paramByName("Promedio").setAsCurrency(costoPromedio);
        u.paramByName("Codigo").setAsString(codigo);
        return Ejecutar(u) > 0;
    });
}
