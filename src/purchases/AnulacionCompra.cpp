#include "purchases/AnulacionCompra.h"

#include "pricing/AritmeticaEscalada.h"
#include "data/Comp_fdatos.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/Mensajes.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"

#include <QSet>

#include <exception>

namespace {

const QString kYaAnulada = QStringLiteral("La compra seleccionada ya se encuentra anulada.");

struct Encabezado {
    bool existe = false;
    QString anulada, comprobante, efectivoCaja, inventarioPrincipal, codBodega;
    QDate fecha;
    QDateTime fechaCarga;
    int proveedor = 0;
    Currency efectivo, credito, notas;
};

struct LineaFactura {
    QString articulo, gravado, impuestoIncluido;
    Currency unitario, cantidad, porcImpuesto;
};

} // namespace

AnulacionCompra::AnulacionCompra(const ConexionesCompra &conexiones)
    : c_(conexiones), mensajes_(&mensajes()), consultas_(c_)
{
    if (!c_.tienda || !c_.transTienda || !c_.inventario || !c_.transInventario)
        throw db::DbError(QStringLiteral("El módulo de datos no está conectado"));
}

AnulacionCompra::~AnulacionCompra() = default;

std::unique_ptr<AnulacionCompra> AnulacionCompra::DesdeDatosComp(TFDatosComp &d)
{
    auto a = std::make_unique<AnulacionCompra>(ConexionesDeDatosComp(d));
    TFDatosComp *datos = &d;
    a->DespuesDeConfirmar = [datos] { RefrescarAbiertos({datos->TDetCom, datos->TFacturasCompra}); };
    return a;
}

void AnulacionCompra::Deshacer()
{
    DeshacerTransacciones({c_.transTienda, c_.transInventario});
}

bool AnulacionCompra::Confirmar(const std::function<bool()> &cambios)
{
    error_.clear();
    try {
        if (!cambios())
            return false;
        db::CommitTwoPhase({c_.transTienda, c_.transInventario});
    } catch (const FalloPaso &p) {
        return Fallo(p.mensaje, p.error);
    } catch (const db::DbError &e) {
        mensajes_->Error(e.message());
        return Fallo(QString(), e.message());
    } catch (const std::exception &e) {
        mensajes_->Error(QString::fromUtf8(e.what()));
        return Fallo(QString(), QString::fromUtf8(e.what()));
    }
    if (DespuesDeConfirmar)
        DespuesDeConfirmar();
    return true;
}

bool AnulacionCompra::Fallo(const QString &mensaje, const QString &error)
{
    if (!mensaje.isEmpty())
        mensajes_->Informacion(mensaje);
    error_ = error;
    Deshacer();
    return false;
}

int AnulacionCompra::BuscarFactura(int codProveedor, const QString &comprobante)
{
    db::Transaction lectura(*c_.tienda, db::TransactionKind::Read);
    db::Query q(c_.tienda, &lectura);
    q.setSql(QStringLiteral("select first 1 ID_COMPRA from FACTURAS_COMPRA where CODIGO_PROVEEDOR = :prov and "
                            "COMPROBANTE = :comp order by ID_COMPRA desc"));
    q.paramByName("prov").setAsInteger(codProveedor);
    q.paramByName("comp").setAsString(comprobante);
    q.execQuery();
    const int id = q.eof() ? 0 : q.field(0).asInteger();
    q.close();
    lectura.commit();
    return id;
}

bool AnulacionCompra::EstadoFactura(int idCompra, std::pair<QString, QString> &estado)
{
    bool existe = false;
    try {
        db::Transaction lectura(*c_.tienda, db::TransactionKind::Read);
        db::Query q(c_.tienda, &lectura);
        q.setSql(QStringLiteral("select ANULADA, COMPROBANTE from FACTURAS_COMPRA where ID_COMPRA = :id"));
        q.paramByName("id").setAsInteger(idCompra);
        q.execQuery();
        existe = !q.eof();
        if (existe)
            estado = {q.field(0).asString(), q.field(1).asString()};
        q.close();
        lectura.commit();
    } catch (const db::DbError &e) {
        mensajes_->Error(e.message());
        return false;
    }
    return existe;
}

bool AnulacionCompra::Anular(int idCompra)
{
    std::pair<QString, QString> estado;
    if (!EstadoFactura(idCompra, estado))
        return false;
    if (estado.first == QLatin1String("S")) {
        mensajes_->Informacion(kYaAnulada, QStringLiteral("Atención"));
        return false;
    }
    if (!mensajes_->Pregunta(QStringLiteral("Desea anular la compra Nro: ") + estado.second))
        return false;
    if (!AnularCompras(idCompra))
        return false;
    mensajes_->Informacion(QStringLiteral("La Factura de Compra Nro: ") + estado.second +
                           QStringLiteral(" ha sido anulado satisfactoriamente"));
    return true;
}

bool AnulacionCompra::Eliminar(int idCompra)
{
    std::pair<QString, QString> estado;
    if (!EstadoFactura(idCompra, estado))
        return false;
    if (estado.first != QLatin1String("S")) {
        mensajes_->Advertencia(QStringLiteral("Atención!\r\n\r\nNo puede eliminar esta factura sin antes anularla."));
        return false;
    }
    if (!mensajes_->Pregunta(QStringLiteral("Atención!\r\n\r\nRealmente desea eliminar del sistema la factura ") +
                             estado.second.trimmed() + QStringLiteral("?")))
        return false;
    return BorrarCompra(idCompra);
}

bool AnulacionCompra::AnularCompras(int idCompra)
{
    return Confirmar([&] {
        c_.transTienda->ensureActive();
        c_.transInventario->ensureActive();

        // The invoice, locked: a second station waits here and then finds it annulled.
        Encabezado f;
        Paso(QStringLiteral("Error al marcar la factura como anulada."), QStringLiteral("Error al eliminar FACTURAS_COMPRA"),
             [&] {
                 db::Query &q = Sql(Base::Tienda, QStringLiteral("select ANULADA, COMPROBANTE, FECHA, FECHA_CARGA, "
                                                                 "CODIGO_PROVEEDOR, EFECTIVO_CAJA, IMPORTE_EFECTIVO, "
                                                                 "IMPORTE_CREDITO, IMPORTE_NC, INVENTARIO_PRINCIPAL, "
                                                                 "COD_BODEGA from FACTURAS_COMPRA where ID_COMPRA = :id "
                                                                 "with lock"));
                 q.paramByName("id").setAsInteger(idCompra);
                 q.execQuery();
                 f.existe = !q.eof();
                 if (f.existe) {
                     f.anulada = q.field(0).asString();
                     f.comprobante = q.field(1).asString();
                     f.fecha = q.field(2).asDate();
                     f.fechaCarga = q.field(3).asDateTime();
                     f.proveedor = q.field(4).asInteger();
                     f.efectivoCaja = q.field(5).asString();
                     f.efectivo = q.field(6).asCurrency();
                     f.credito = q.field(7).asCurrency();
                     f.notas = q.field(8).asCurrency();
                     f.inventarioPrincipal = q.field(9).asString();
                     f.codBodega = q.field(10).asString();
                 }
                 q.close();
             });
        if (!f.existe)
            return Fallo(QStringLiteral("Error al marcar la factura como anulada."),
                         QStringLiteral("Error al eliminar FACTURAS_COMPRA"));
        std::uint64_t marcadas = 0;
        if (f.anulada != QLatin1String("S")) {
            Paso(QStringLiteral("Error al marcar la factura como anulada."),
                 QStringLiteral("Error al eliminar FACTURAS_COMPRA"), [&] {
                     db::Query &q = Sql(Base::Tienda, QStringLiteral("update FACTURAS_COMPRA set ANULADA = :anulada, "
                                                                     "FECHA_ANULACION = :fecha where ID_COMPRA = :id "
                                                                     "and coalesce(ANULADA, 'N') <> 'S'"));
                     q.paramByName("anulada").setAsString(QStringLiteral("S"));
                     q.paramByName("fecha").setAsDateTime(QDateTime::currentDateTime());
                     q.paramByName("id").setAsInteger(idCompra);
                     q.execQuery();
                     marcadas = q.rowsAffected();
                     q.close();
                 });
        }
        if (marcadas == 0) {
            Deshacer();
            mensajes_->Informacion(kYaAnulada, QStringLiteral("Atención"));
            error_ = kYaAnulada;
            return false;
        }

        std::vector<LineaFactura> lineas;
        QSet<QString> conMovimiento;
        int movimientos = 0;
        Paso(QStringLiteral("Error al actualizar el inventario "), QStringLiteral("Error al actualizar INVENTARIO"), [&] {
            db::Query &q = Sql(Base::Tienda, QStringLiteral("select CODIGO_ARTICULO, IMPORTE_UNITARIO, CANTIDAD, "
                                                            "PORC_IMPUESTO, GRAVADO, IMPUESTO_INCLUIDO from "
                                                            "DETALLE_FACTURAS_COMPRA where ID_COMPRA = :id order by "
                                                            "ID_DETALLE_FACTURA"));
            q.paramByName("id").setAsInteger(idCompra);
            for (q.execQuery(); !q.eof(); q.next())
                lineas.push_back({q.field(0).asString(), q.field(4).asString(), q.field(5).asString(),
                                  q.field(1).asCurrency(), q.field(2).asCurrency(), q.field(3).asCurrency()});
            q.close();
            // What posting moved is what its movements record (none for a consignment settlement).
            db::Query &m = Sql(Base::Tienda, QStringLiteral("select COD_BARRAS from MOVIMIENTOS_STOCK where "
                                                            "ID_TRANSACCION = :id and TIPO_MOVIMIENTO = 3"));
            m.paramByName("id").setAsInteger(idCompra);
            for (m.execQuery(); !m.eof(); m.next(), ++movimientos)
                conMovimiento.insert(m.field(0).asString());
            m.close();
        });

        const bool bodega = f.inventarioPrincipal == QLatin1String("N") && !f.codBodega.isEmpty();
        for (const LineaFactura &l : lineas) {
            if (!conMovimiento.contains(l.articulo))
                continue;
            Paso(QStringLiteral("Error al actualizar el inventario "), QStringLiteral("Error al actualizar INVENTARIO"), [&] {
                db::Query &a = Sql(Base::Inventario, QStringLiteral("select STOCK, COSTO_PROMEDIO from INVENTARIO\n"
                                                                    "where COD_BARRAS = :Codigo\n"
                                                                    "and ACTUALIZAR_EXIST = 'S' with lock"));
                a.paramByName("Codigo").setAsString(l.articulo);
                a.execQuery();
                if (a.eof()) {  // an article without stock control keeps its stock
                    a.close();
                    return;
                }
                Currency stock = a.field(0).asCurrency();
                const Currency promedio = a.field(1).asCurrency();
                a.close();
                // A warehouse purchase left STOCK as it was: the average was taken over stock + quantity.
                if (bodega)
                    stock += l.cantidad;
                Currency nuevo = promedio;
                try {
                    using namespace aritmetica;
                    Currency u = l.unitario;
                    if (l.gravado == QLatin1String("S") && l.impuestoIncluido == QLatin1String("S"))
                        u = DesdeCrudo(Crudo(u) * (CienPorCiento + Crudo(l.porcImpuesto)) / CienPorCiento);
                    const Currency resto = stock - l.cantidad;
                    if (!resto.isZero())
                        nuevo = DesdeCrudo((Crudo(promedio) * Crudo(stock) - Crudo(u) * Crudo(l.cantidad)) /
                                           Crudo(resto));
                } catch (const std::exception &) {
                    nuevo = promedio;
                }
                db::Query &u = Sql(Base::Inventario,
                                   bodega ? QStringLiteral("update INVENTARIO set COSTO_PROMEDIO = :Promedio where "
                                                           "COD_BARRAS = :Codigo and ACTUALIZAR_EXIST = 'S'")
                                          : QStringLiteral("update INVENTARIO set STOCK = STOCK - :Stock, COSTO_PROMEDIO "
                                                           "= :Promedio where COD_BARRAS = :Codigo\n and "
                                                           "ACTUALIZAR_EXIST = 'S'"));
                if (!bodega)
                    u.paramByName("Stock").setAsCurrency(l.cantidad);
                u.paramByName("Promedio").setAsCurrency(nuevo);
                u.paramByName("Codigo").setAsString(l.articulo);
                u.execQuery();
                const auto filas = u.rowsAffected();
                u.close();
                if (filas == 0)
                    throw FalloPaso{QStringLiteral("Error al actualizar el inventario "),
                                    QStringLiteral("Error al actualizar INVENTARIO")};
                if (bodega) {
                    db::Query &e = Sql(Base::Inventario, QStringLiteral("update EXISTENCIAS\n set EXISTENCIA = "
                                                                        "EXISTENCIA - :cantidad\n where COD_BODEGA = "
                                                                        ":codbodega\n and COD_ART = :codArt"));
                    e.paramByName("cantidad").setAsCurrency(l.cantidad);
                    e.paramByName("codbodega").setAsString(f.codBodega);
                    e.paramByName("codArt").setAsString(l.articulo);
                    e.execQuery();
                    const auto n = e.rowsAffected();
                    e.close();
                    if (n == 0)
                        throw FalloPaso{QStringLiteral("Error al actualizar en existencias. "),
                                        QStringLiteral("Error al actualizar EXISTENCIAS")};
                }
            });
        }

        // Cash: only this invoice's rows, told apart by their posting time; rows written by
        // other means are found by number and amount.
        if (f.efectivoCaja == QLatin1String("S") && f.efectivo > Currency()) {
            std::uint64_t borradas = 0;
            auto borrar = [&](const QString &tabla, const QString &columnaFecha, bool porFecha) {
                const QString sql = porFecha
                                        ? QStringLiteral("delete from %1 where CODIGO_MOVIMIENTO = :Movimiento and "
                                                         "COMPROBANTE = :Comprob and %2 = :fecha")
                                              .arg(tabla, columnaFecha)
                                        : QStringLiteral("delete from %1 where CODIGO_MOVIMIENTO = :Movimiento and "
                                                         "COMPROBANTE = :Comprob and IMPORTE_EFECTIVO = :importe")
                                              .arg(tabla);
                db::Query &q = Sql(Base::Tienda, sql);
                q.paramByName("Movimiento").setAsInteger(3);
                q.paramByName("Comprob").setAsString(f.comprobante);
                if (porFecha)
                    q.paramByName("fecha").setAsDateTime(f.fechaCarga);
                else
                    q.paramByName("importe").setAsCurrency(f.efectivo);
                q.execQuery();
                borradas += q.rowsAffected();
                q.close();
            };
            Paso(QStringLiteral("Error al eliminar de la caja diaria "), QStringLiteral("Error al eliminar CAJA_DIARIA"),
                 [&] {
                     if (f.fechaCarga.isValid())
                         borrar(QStringLiteral("CAJA_DIARIA"), QStringLiteral("FECHA"), true);
                 });
            Paso(QStringLiteral("Error al eliminar de la caja anterior "), QStringLiteral("Error al eliminar CAJA_ANTERIOR"),
                 [&] {
                     if (f.fechaCarga.isValid())
                         borrar(QStringLiteral("CAJA_ANTERIOR"), QStringLiteral("FECHAHORA"), true);
                 });
            if (borradas == 0) {
                Paso(QStringLiteral("Error al eliminar de la caja diaria "),
                     QStringLiteral("Error al eliminar CAJA_DIARIA"), [&] { borrar(QStringLiteral("CAJA_DIARIA"), {}, false); });
                Paso(QStringLiteral("Error al eliminar de la caja anterior "),
                     QStringLiteral("Error al eliminar CAJA_ANTERIOR"),
                     [&] { borrar(QStringLiteral("CAJA_ANTERIOR"), {}, false); });
            }
            if (borradas == 0)
                return Fallo(QStringLiteral("Error al eliminar de la caja diaria "),
                             QStringLiteral("Error al eliminar CAJA_DIARIA"));
        }

        std::uint64_t movBorrados = 0;
        Paso(QStringLiteral("Error al Eliminar los Movimientos de Stock."), QStringLiteral("Error al eliminar FACTURAS_COMPRA"),
             [&] {
                 db::Query &q = Sql(Base::Tienda, QStringLiteral("Delete from movimientos_stock where "
                                                                 "ID_TRANSACCION=:vIdTran and TIPO_MOVIMIENTO=:vMov"));
                 q.paramByName("vIdTran").setAsInteger(idCompra);
                 q.paramByName("vMov").setAsInteger(3);
                 q.execQuery();
                 movBorrados = q.rowsAffected();
                 q.close();
             });
        if (movBorrados != static_cast<std::uint64_t>(movimientos))
            return Fallo(QStringLiteral("Error al Eliminar los Movimientos de Stock."),
                         QStringLiteral("Error al eliminar FACTURAS_COMPRA"));

        std::uint64_t cuentas = 0;
        Paso(QStringLiteral("Error al eliminar de la cuenta del proveedor."), QStringLiteral("Error al eliminar CUENTA_PROVEEDOR"),
             [&] {
                 db::Query &q = Sql(Base::Tienda, QStringLiteral("delete from CUENTA_PROVEEDOR\n where COD_TIPO_MOV = "
                                                                 ":TipoMov \n and COMPROBANTE = :Fac and FECHA = :Fecha "
                                                                 "and COD_PROVEEDOR = :Prov"));
                 q.paramByName("TipoMov").setAsInteger(1);
                 q.paramByName("Fac").setAsString(f.comprobante);
                 q.paramByName("Fecha").setAsDate(f.fecha);
                 q.paramByName("Prov").setAsInteger(f.proveedor);
                 q.execQuery();
                 cuentas = q.rowsAffected();
                 q.close();
             });
        if (f.credito > Currency() && cuentas == 0)
            return Fallo(QStringLiteral("Error al eliminar de la cuenta del proveedor."),
                         QStringLiteral("Error al eliminar CUENTA_PROVEEDOR"));

        if (f.notas > Currency()) {
            const QString msg = QStringLiteral("Error al actualizar la nota de credito del proveedor.");
            const QString err = QStringLiteral("Error al actualizar NOTAS_CREDITO_PROV");
            QStringList saldos;
            Paso(msg, err, [&] {
                db::Query &l = Sql(Base::Tienda, QStringLiteral("update NOTAS_CREDITO_PROV set ASIGNADA = 'N', "
                                                                "APLICA_FECHA = null, APLICA_FACTURA = null where "
                                                                "APLICA_FACTURA = :fac and COD_PROVEEDOR = :prov and "
                                                                "ASIGNADA = 'S'"));
                l.paramByName("fac").setAsString(f.comprobante);
                l.paramByName("prov").setAsInteger(f.proveedor);
                l.execQuery();
                l.close();
                db::Query &s = Sql(Base::Tienda, QStringLiteral("select NC_FACTURA from CUENTA_PROVEEDOR where "
                                                                "COD_TIPO_MOV = 5 and COMPROBANTE = :fac and "
                                                                "COD_PROVEEDOR = :prov"));
                s.paramByName("fac").setAsString(f.comprobante);
                s.paramByName("prov").setAsInteger(f.proveedor);
                for (s.execQuery(); !s.eof(); s.next())
                    if (!s.field(0).asString().isEmpty())
                        saldos << s.field(0).asString();
                s.close();
            });
            for (const QString &n : saldos) {
                std::uint64_t anuladas = 0;
                Paso(msg, err, [&] {
                    // A balance note already spent on another invoice cannot be taken back.
                    db::Query &u = Sql(Base::Tienda, QStringLiteral("update NOTAS_CREDITO_PROV set ANULADA = 'S' where "
                                                                    "COMPROBANTE = :comp and COD_PROVEEDOR = :prov and "
                                                                    "TIPO_NC = 3 and coalesce(ASIGNADA, 'N') <> 'S'"));
                    u.paramByName("comp").setAsString(n);
                    u.paramByName("prov").setAsInteger(f.proveedor);
                    u.execQuery();
                    anuladas = u.rowsAffected();
                    u.close();
                });
                if (anuladas == 0)
                    return Fallo(msg, err);
            }
            Paso(QStringLiteral("Error al eliminar de la cuenta del proveedor."),
                 QStringLiteral("Error al eliminar CUENTA_PROVEEDOR"), [&] {
                     db::Query &d = Sql(Base::Tienda, QStringLiteral("delete from CUENTA_PROVEEDOR where COD_TIPO_MOV = 5 "
                                                                     "and COMPROBANTE = :fac and COD_PROVEEDOR = :prov"));
                     d.paramByName("fac").setAsString(f.comprobante);
                     d.paramByName("prov").setAsInteger(f.proveedor);
                     d.execQuery();
                     d.close();
                 });
        }

        std::uint64_t lineasMarcadas = 0;
        Paso(QStringLiteral("Error al marcar el detalle de la factura como anulada."),
             QStringLiteral("Error al eliminar DETALLE_FACTURAS_COMPRA"), [&] {
                 db::Query &q = Sql(Base::Tienda, QStringLiteral("update DETALLE_FACTURAS_COMPRA set ANULADA = :anulada "
                                                                 "where ID_COMPRA = :id"));
                 q.paramByName("anulada").setAsString(QStringLiteral("S"));
                 q.paramByName("id").setAsInteger(idCompra);
                 q.execQuery();
                 lineasMarcadas = q.rowsAffected();
                 q.close();
             });
        if (lineasMarcadas != lineas.size())
            return Fallo(QStringLiteral("Error al marcar el detalle de la factura como anulada."),
                         QStringLiteral("Error al eliminar DETALLE_FACTURAS_COMPRA"));

        return true;
    });
}

bool AnulacionCompra::BorrarCompra(int idCompra)
{
    return Confirmar([&] {
        c_.transTienda->ensureActive();
        QString comprobante, anulada;
        bool existe = false;
        int lineas = 0;
        Paso(QStringLiteral("Error al eliminar la factura "), QStringLiteral("Error al eliminar FACTURAS_COMPRA"), [&] {
            db::Query &q = Sql(Base::Tienda, QStringLiteral("select ANULADA, COMPROBANTE from FACTURAS_COMPRA where "
                                                            "ID_COMPRA = :id with lock"));
            q.paramByName("id").setAsInteger(idCompra);
            q.execQuery();
            existe = !q.eof();
            if (existe) {
                anulada = q.field(0).asString();
                comprobante = q.field(1).asString();
            }
            q.close();
            db::Query &c = Sql(Base::Tienda,
                               QStringLiteral("select count(*) from DETALLE_FACTURAS_COMPRA where ID_COMPRA = :id"));
            c.paramByName("id").setAsInteger(idCompra);
            c.execQuery();
            lineas = c.field(0).asInteger();
            c.close();
        });
        if (!existe)
            return Fallo(QStringLiteral("Error al eliminar la factura "), QStringLiteral("Error al eliminar FACTURAS_COMPRA"));
        if (anulada != QLatin1String("S")) {
            Deshacer();
            mensajes_->Advertencia(QStringLiteral("Atención!\r\n\r\nNo puede eliminar esta factura sin antes anularla."));
            error_ = QStringLiteral("La factura no está anulada");
            return false;
        }
        std::uint64_t borradas = 0;
        Paso(QStringLiteral("Error al eliminar detalle de la factura "),
             QStringLiteral("Error al eliminar DETALLE_FACTURAS_COMPRA"), [&] {
                 db::Query &q = Sql(Base::Tienda, QStringLiteral("delete from DETALLE_FACTURAS_COMPRA\n where COMPROBANTE "
                                                                 "= :Comprob\n and ID_COMPRA = :IdCompra"));
                 q.paramByName("Comprob").setAsString(comprobante);
                 q.paramByName("IdCompra").setAsInteger(idCompra);
                 q.execQuery();
                 borradas = q.rowsAffected();
                 q.close();
             });
        if (borradas != static_cast<std::uint64_t>(lineas))
            return Fallo(QStringLiteral("Error al eliminar detalle de la factura "),
                         QStringLiteral("Error al eliminar DETALLE_FACTURAS_COMPRA"));
        std::uint64_t encabezados = 0;
        Paso(QStringLiteral("Error al eliminar la factura "), QStringLiteral("Error al eliminar FACTURAS_COMPRA"), [&] {
            db::Query &q = Sql(Base::Tienda, QStringLiteral("delete from FACTURAS_COMPRA\n where ID_COMPRA = :Id"));
            q.paramByName("Id").setAsInteger(idCompra);
            q.execQuery();
            encabezados = q.rowsAffected();
            q.close();
        });
        if (encabezados != 1)
            return Fallo(QStringLiteral("Error al eliminar la factura "), QStringLiteral("Error al eliminar FACTURAS_COMPRA"));
        return true;
    });
}
