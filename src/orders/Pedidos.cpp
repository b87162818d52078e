#include "orders/Pedidos.h"

#include "platform/Mensajes.h"
#include "platform/db/DbError.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <QDateTime>

#include <exception>

namespace {

constexpr int kIntentosGuardar = 20;

// The failure with the database's own text, when there is one.
QString TextoCompleto(const std::exception &e)
{
    if (const auto *r = dynamic_cast<const ErrorRegistro *>(&e); r && !r->detalle().isEmpty())
        return r->mensaje() + QLatin1Char('\n') + r->detalle();
    return TextoDeError(e);
}

const QString kColumnasArticulo =
    QStringLiteral("COD_BARRAS, CODIGO2, CODIGO3, NOMBRE, NOMBRE2, COD_FAMILIA, STOCK, STOCK_MINIMO, REPOSICION, PRECIO_COMPRA");

ArticuloPedido LeerArticulo(db::Query &q)
{
    ArticuloPedido a;
    a.codBarras = q.field(0).asString();
    a.codigo2 = q.field(1).asString();
    a.codigo3 = q.field(2).asString();
    a.nombre = q.field(3).asString();
    a.nombre2 = q.field(4).asString();
    a.codFamilia = q.field(5).asString();
    a.stock = q.field(6).asCurrency();
    a.stockMinimo = q.field(7).asCurrency();
    a.reposicion = q.field(8).asCurrency();
    a.precioCompra = q.field(9).asCurrency();
    return a;
}

PedidoListado LeerPedido(db::Query &q)
{
    PedidoListado p;
    p.comprobante = q.fieldByName(QStringLiteral("COMPROBANTE")).asString();
    p.descripcion = q.fieldByName(QStringLiteral("DESCRIPCION")).asString();
    p.nombreProveedor = q.fieldByName(QStringLiteral("NOMBRE_PROVEEDOR")).asString();
    p.fkProveedor = q.fieldByName(QStringLiteral("FK_PROVEEDOR")).asInteger();
    p.fecha = q.fieldByName(QStringLiteral("FECHA")).asDate();
    p.anulado = q.fieldByName(QStringLiteral("ANULADO")).asString() != QLatin1String("N");
    p.procesado = q.fieldByName(QStringLiteral("PROCESADO")).asString() == QLatin1String("S");
    const db::Field n = q.fieldByName(QStringLiteral("NUM_CODIGO_INVENTARIO"));
    p.numCodigoInventario = n.isNull() ? 1 : n.asInteger();
    return p;
}

} // namespace

QString CodigoDeTipo(const ArticuloPedido &a, int numCodigo)
{
    if (numCodigo == 2)
        return a.codigo2;
    if (numCodigo == 3)
        return a.codigo3;
    return a.codBarras;
}

// ---------------------------------------------------------------------------
// Editor lines

int LineasPedido::Agregar(const ArticuloPedido &a, int numCodigo, Currency cantidad)
{
    const QString codigo = CodigoDeTipo(a, numCodigo);
    const auto hallada = indice_.constFind(codigo);
    if (hallada != indice_.constEnd()) {
        filas_[*hallada].cantidad = filas_[*hallada].cantidad + cantidad;
        return *hallada;
    }
    AgregarFila({codigo, a.nombre, cantidad, a.codFamilia, false, a.stock, a.precioCompra});
    return Cuenta() - 1;
}

void LineasPedido::AgregarFila(const LineaEditorPedido &fila)
{
    filas_.push_back(fila);
    if (!fila.codigo.isEmpty() && !indice_.contains(fila.codigo))
        indice_.insert(fila.codigo, Cuenta() - 1);
}

void LineasPedido::Borrar(int fila)
{
    if (fila < 0 || fila >= Cuenta())
        return;
    filas_.erase(filas_.begin() + fila);
    Reindexar();
}

void LineasPedido::Deshabilitar(int fila, bool deshabilitada)
{
    if (fila >= 0 && fila < Cuenta())
        filas_[fila].deshabilitada = deshabilitada;
}

bool LineasPedido::ModificarCantidad(int fila, Currency cantidad, Currency precioCompra)
{
    if (fila < 0 || fila >= Cuenta() || cantidad <= Currency())
        return false;
    filas_[fila].cantidad = cantidad;
    filas_[fila].precioCompra = precioCompra;
    return true;
}

std::vector<FilaDetallePedido> LineasPedido::ParaGuardar() const
{
    std::vector<FilaDetallePedido> r;
    r.reserve(filas_.size());
    for (const LineaEditorPedido &f : filas_)
        if (!f.codigo.trimmed().isEmpty() && !f.deshabilitada)
            r.push_back({f.codigo, f.nombre, f.codFamilia.trimmed(), f.cantidad, f.precioCompra});
    return r;
}

void LineasPedido::Reindexar()
{
    indice_.clear();
    for (int i = 0; i < Cuenta(); ++i)
        if (!filas_[i].codigo.isEmpty() && !indice_.contains(filas_[i].codigo))
            indice_.insert(filas_[i].codigo, i);
}

// ---------------------------------------------------------------------------
// Orders

Pedidos::Pedidos(const ConexionesCompra &conexiones, db::Transaction *lecturaTienda, db::Transaction *lecturaInventario,
                 Mensajes &mensajes, const QString &usuario)
    : conexiones_(conexiones), consultas_(conexiones_), lecturaTienda_(lecturaTienda),
      lecturaInventario_(lecturaInventario), mensajes_(mensajes), usuario_(usuario)
{
}

Pedidos::~Pedidos() = default;

QString Pedidos::NumeroPropuesto()
{
    db::Query q(conexiones_.tienda, lecturaTienda_);
    q.setSql(QStringLiteral("SELECT GEN_ID(consecutivo_pedidos,0) FROM RDB$DATABASE"));
    q.execQuery();
    const std::int64_t actual = q.field(0).asInteger();
    q.close();
    return NumeroPedido(actual + 1);
}

std::vector<PedidoListado> Pedidos::Listar(const FiltroPedidos &filtro)
{
    db::Query q(conexiones_.tienda, lecturaTienda_);
    q.setSql(QStringLiteral("select * from PEDIDOS where COMPROBANTE <> ''"));
    if (filtro.soloPendientes) {
        q.addSql(QStringLiteral("and anulado = 'N'"));
        q.addSql(QStringLiteral("and procesado = 'N'"));
    }
    const bool conFechas = filtro.inicial.isValid() && filtro.final.isValid() && filtro.final >= filtro.inicial;
    if (conFechas)
        q.addSql(QStringLiteral("and FECHA >= :Inicial and FECHA <= :Final"));
    if (filtro.proveedor != 0)
        q.addSql(QStringLiteral(" and FK_PROVEEDOR = :Codigo"));
    q.addSql(QStringLiteral(" ORDER BY FECHA, COMPROBANTE"));
    if (conFechas) {
        q.paramByName("Inicial").setAsDate(filtro.inicial);
        q.paramByName("Final").setAsDate(filtro.final);
    }
    if (filtro.proveedor != 0)
        q.paramByName("Codigo").setAsInteger(filtro.proveedor);
    std::vector<PedidoListado> r;
    for (q.execQuery(); !q.eof(); q.next())
        r.push_back(LeerPedido(q));
    q.close();
    return r;
}

std::vector<PedidoListado> Pedidos::ListarPeriodo(const QDate &desde, const QDate &hasta)
{
    db::Query q(conexiones_.tienda, lecturaTienda_);
    q.setSql(QStringLiteral("select * from pedidos \n where fecha between :fechaIni and :fechaFin\n order by fecha,comprobante"));
    q.paramByName("fechaIni").setAsDate(desde);
    q.paramByName("fechaFin").setAsDate(hasta);
    std::vector<PedidoListado> r;
    for (q.execQuery(); !q.eof(); q.next())
        r.push_back(LeerPedido(q));
    q.close();
    return r;
}

std::optional<PedidoListado> Pedidos::Leer(const QString &comprobante)
{
    db::Query q(conexiones_.tienda, lecturaTienda_);
    q.setSql(QStringLiteral("select * from PEDIDOS where COMPROBANTE = :c"));
    q.paramByName("c").setAsString(comprobante);
    q.execQuery();
    std::optional<PedidoListado> r;
    if (!q.eof())
        r = LeerPedido(q);
    q.close();
    return r;
}

std::vector<LineaGuardadaPedido> Pedidos::Detalle(const QString &comprobante, bool conNombre2)
{
    db::Query q(conexiones_.tienda, lecturaTienda_);
    q.setSql(QStringLiteral("select * from detalle_pedido\n where comprobante = :comprobante\n order by id_detalle_pedido"));
    q.paramByName("comprobante").setAsString(comprobante);
    std::vector<LineaGuardadaPedido> r;
    for (q.execQuery(); !q.eof(); q.next()) {
        LineaGuardadaPedido l;
        l.id = q.fieldByName(QStringLiteral("ID_DETALLE_PEDIDO")).asInteger();
        l.codBarras = q.fieldByName(QStringLiteral("COD_BARRAS")).asString();
        l.codFamilia = q.fieldByName(QStringLiteral("COD_FAMILIA")).asString();
        l.nombreArticulo = q.fieldByName(QStringLiteral("NOMBRE_ARTICULO")).asString();
        l.cantidad = q.fieldByName(QStringLiteral("CANTIDAD")).asCurrency();
        l.precioCompra = q.fieldByName(QStringLiteral("PRECIO_COMPRA")).asCurrency();
        l.anulada = q.fieldByName(QStringLiteral("ANULADO")).asString() == QLatin1String("S");
        r.push_back(l);
    }
    q.close();
    if (conNombre2) {
        db::Query a(conexiones_.inventario, lecturaInventario_);
        a.setSql(QStringLiteral("select NOMBRE2 from Inventario where COD_BARRAS=:codigo"));
        for (LineaGuardadaPedido &l : r) {
            a.paramByName("codigo").setAsString(l.codBarras);
            a.execQuery();
            if (!a.eof())
                l.nombre2 = a.field(0).asString();
            a.close();
        }
    }
    return r;
}

std::optional<ArticuloPedido> Pedidos::BuscarArticulo(const QString &codigo)
{
    db::Query q(conexiones_.inventario, lecturaInventario_);
    q.setSql(QStringLiteral("select ") + kColumnasArticulo + QStringLiteral(" from INVENTARIO\n where COD_BARRAS = :Codigo\n"
                                                                            " or CODIGO2 = :Codigo\n or CODIGO3 = :Codigo"));
    q.paramByName("Codigo").setAsString(codigo);
    q.execQuery();
    std::optional<ArticuloPedido> r;
    if (!q.eof())
        r = LeerArticulo(q);
    q.close();
    return r;
}

std::vector<ArticuloPedido> Pedidos::PropuestaReposicion(int proveedor, const QString &familia)
{
    db::Query q(conexiones_.inventario, lecturaInventario_);
    q.setSql(QStringLiteral("select ") + kColumnasArticulo + QStringLiteral(" from INVENTARIO"));
    q.addSql(QStringLiteral(" where STOCK <= STOCK_MINIMO"));
    q.addSql(QStringLiteral(" and SE_USA_EN_PEDIDO = 'S'"));
    if (proveedor != 0)
        q.addSql(QStringLiteral(" and FK_PROVEEDOR = :CodigoProv"));
    if (!familia.isEmpty())
        q.addSql(QStringLiteral(" and COD_FAMILIA = :CodigoFam"));
    q.addSql(QStringLiteral(" ORDER BY NOMBRE"));
    if (proveedor != 0)
        q.paramByName("CodigoProv").setAsInteger(proveedor);
    if (!familia.isEmpty())
        q.paramByName("CodigoFam").setAsString(familia);
    std::vector<ArticuloPedido> r;
    for (q.execQuery(); !q.eof(); q.next())
        r.push_back(LeerArticulo(q));
    q.close();
    return r;
}

LineasPedido Pedidos::LineasDePropuesta(const std::vector<ArticuloPedido> &articulos)
{
    LineasPedido l;
    for (const ArticuloPedido &a : articulos)
        l.AgregarFila({a.codBarras, a.nombre, a.reposicion, a.codFamilia, false, a.stock, a.precioCompra});
    return l;
}

std::optional<QString> Pedidos::Guardar(const EncabezadoPedido &e, const LineasPedido &lineas)
{
    error_.clear();
    QString falta;
    if (e.numeroMostrado.trimmed().isEmpty())
        falta = QStringLiteral("Debe digitar el Número de Comprobante");
    else if (e.codProveedor == 0 && e.nombreProveedor.trimmed().isEmpty())
        falta = QStringLiteral("Debe seleccionar un proveedor");
    else if (e.descripcion.trimmed().isEmpty())
        falta = QStringLiteral("Debe digitar una Descripción para el pedido");
    else if (!e.fecha.isValid())
        falta = QStringLiteral("Debe digitar una Fecha");
    else if (lineas.Cuenta() == 0)
        falta = QStringLiteral("Debe cargar al menos un artículo para realizar el pedido");
    if (!falta.isEmpty()) {
        error_ = falta;
        mensajes_.Informacion(falta);
        return std::nullopt;
    }
    FilaPedido fila;
    fila.FECHA = e.fecha;
    fila.DESCRIPCION = e.descripcion;
    fila.FK_PROVEEDOR = e.codProveedor;
    fila.NOMBRE_PROVEEDOR = e.nombreProveedor;
    fila.usuario = usuario_;
    fila.momento = QDateTime::currentDateTime();
    fila.NUM_CODIGO_INVENTARIO = e.numCodigoInventario;
    const std::vector<FilaDetallePedido> filas = lineas.ParaGuardar();
    try {
        // Another station saving at the same moment holds the counter row: run it again.
        for (int intento = 1;; ++intento) {
            try {
                const std::int64_t numero = InsertarPedido(consultas_, fila, filas);
                conexiones_.transTienda->commit();
                return NumeroPedido(numero);
            } catch (const db::DbError &ex) {
                if (!EsConflictoConcurrente(ex) || intento == kIntentosGuardar)
                    throw;
                DeshacerTransacciones({conexiones_.transTienda});
            }
        }
    } catch (const std::exception &ex) {
        DeshacerTransacciones({conexiones_.transTienda});
        error_ = TextoCompleto(ex);
        const bool consecutivo = error_.contains(QLatin1String("CONSECUTIVOS"));
        mensajes_.Error(consecutivo ? QStringLiteral("Error al Cambiar el Consecutivo del Pedido") + QLatin1Char('\n') + error_
                                    : error_);
        return std::nullopt;
    }
}

Pedidos::Anulacion Pedidos::Anular(const QString &comprobante, bool anuladoSegunLista)
{
    error_.clear();
    const QString yaAnulado = QStringLiteral("El comprobante Nº") + comprobante + QStringLiteral(" ya esta anulado");
    if (anuladoSegunLista) {
        mensajes_.Informacion(yaAnulado);
        return Anulacion::YaAnulado;
    }
    if (!mensajes_.PreguntaDestructiva(QStringLiteral("Desea anular el pedido Nº ") + comprobante + QStringLiteral("?")))
        return Anulacion::Cancelado;
    try {
        const std::uint64_t n = AnularPedido(consultas_, comprobante, usuario_, QDateTime::currentDateTime());
        conexiones_.transTienda->commit();
        if (n == 0) {
            mensajes_.Informacion(yaAnulado);
            return Anulacion::YaAnulado;
        }
        return Anulacion::Anulado;
    } catch (const std::exception &ex) {
        DeshacerTransacciones({conexiones_.transTienda});
        error_ = TextoCompleto(ex);
        mensajes_.Error(error_);
        return Anulacion::Fallido;
    }
}
