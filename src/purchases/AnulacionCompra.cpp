#include "purchases/AnulacionCompra.h"

#include "pricing/Funcionesyprocesoscompras.h"

#include "platform/AritmeticaEscalada.h"
#include "data/Comp_fdatos.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/Mensajes.h"
#include "platform/TextoEntrada.h"
#include "purchases/EntradaCompra.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"

#include <QSet>

#include <algorithm>
#include <exception>
#include <map>
#include <optional>

namespace {

const QString kYaAnulada = QStringLiteral("La compra seleccionada ya se encuentra anulada.");

struct LineaFactura {
    QString articulo, gravado, impuestoIncluido;
    Currency unitario, cantidad, porcImpuesto;
};

// A stock movement of the invoice: one line's quantity and the net unit cost it averaged in
// (none on rows written before the cost was kept).
struct MovimientoFactura {
    QString articulo;
    Currency cantidad;
    std::optional<Currency> costo;
};

} // namespace

// What the annulment reads of the invoice before reversing it.
struct AnulacionCompra::Factura {
    int id = 0;
    QString comprobante, efectivoCaja, inventarioPrincipal, codBodega, numeroCheque;
    QDate fecha;
    QDateTime fechaCarga;
    int proveedor = 0;
    Currency efectivo, credito, notas, cheque;
    std::vector<LineaFactura> lineas;
    std::vector<MovimientoFactura> movimientos;  // what the posting moved, in posting order

    bool enBodega() const { return inventarioPrincipal == QLatin1String("N") && !codBodega.isEmpty(); }
};

AnulacionCompra::AnulacionCompra(const ConexionesCompra &conexiones)
    : c_(conexiones), mensajes_(&mensajes()), consultas_(c_), registros_(consultas_)
{
    if (!c_.tienda || !c_.transTienda || !c_.inventario || !c_.transInventario)
        throw db::DbError(QStringLiteral("El módulo de datos no está conectado"));
    if (!c_.contabilidad || !c_.transContabilidad) {
        c_.contabilidad = nullptr;
        c_.transContabilidad = nullptr;
    }
}

AnulacionCompra::~AnulacionCompra() = default;

std::unique_ptr<AnulacionCompra> AnulacionCompra::DesdeDatosComp(TFDatosComp &d)
{
    ConexionesCompra c = ConexionesDeDatosComp(d);
    if (d.AsientosConta) {
        c.contabilidad = d.AsientosConta->database();
        c.transContabilidad = d.AsientosConta->updateTransaction();
    }
    auto a = std::make_unique<AnulacionCompra>(c);
    a->usuario = TFDatosComp::VerVariable(QStringLiteral("vUsuario"));
    TFDatosComp *datos = &d;
    a->DespuesDeConfirmar = [datos] {
        RefrescarAbiertos({datos->TDetCom, datos->TFacturasCompra, datos->AsientosConta, datos->LineasAsientoConta});
    };
    return a;
}

void AnulacionCompra::Deshacer()
{
    DeshacerTransacciones({c_.transTienda, c_.transInventario, c_.transContabilidad});
}

bool AnulacionCompra::Confirmar(const std::function<bool()> &cambios)
{
    error_.clear();
    try {
        if (!cambios())
            return false;
        std::vector<db::Transaction *> grupo{c_.transTienda, c_.transInventario};
        if (c_.transContabilidad && c_.transContabilidad->active())
            grupo.push_back(c_.transContabilidad);
        db::CommitTwoPhase(grupo);
    } catch (const FalloPaso &p) {
        return Fallo(p.aviso(), p.mensaje());
    } catch (const std::exception &e) {
        mensajes_->Error(TextoDeError(e));
        return Fallo(QString(), TextoDeError(e));
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
    // A number that cannot be stored names no invoice (and must not reach a shorter one).
    if (!RevisarCodigo(comprobante, EntradaCompra::kLargoComprobante, QString()).isEmpty())
        return 0;
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
    if (!mensajes_->PreguntaDestructiva(QStringLiteral("Desea anular la compra Nro: ") + estado.second))
        return false;
    if (!AnularCompras(idCompra))
        return false;
    QString texto = QStringLiteral("La Factura de Compra Nro: ") + estado.second +
                    QStringLiteral(" ha sido anulado satisfactoriamente");
    if (!avisoCheque_.isEmpty())
        texto += QStringLiteral("\r\n\r\n") + avisoCheque_;
    mensajes_->Informacion(texto);
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
    if (!mensajes_->PreguntaDestructiva(QStringLiteral("Atención!\r\n\r\nRealmente desea eliminar del sistema la factura ") +
                                        estado.second.trimmed() + QStringLiteral("?")))
        return false;
    return BorrarCompra(idCompra);
}

bool AnulacionCompra::AnularCompras(int idCompra)
{
    avisoCheque_.clear();
    asientoInverso_ = 0;
    Factura f;
    const bool hecho = Confirmar([&] {
        c_.transTienda->ensureActive();
        c_.transInventario->ensureActive();
        if (!MarcarAnulada(idCompra, f))
            return false;
        LeerLineas(f);
        RevertirExistencias(f);
        EliminarCaja(f);
        EliminarMovimientos(f);
        EliminarCuenta(f);
        LiberarNotas(f);
        MarcarLineas(f);
        RevertirAsiento(f);
        return true;
    });
    if (!hecho) {
        asientoInverso_ = 0;
        return false;
    }
    if (f.cheque > Currency())
        avisoCheque_ = QStringLiteral("El movimiento bancario del cheque Nro: ") + f.numeroCheque.trimmed() +
                       QStringLiteral(" no se anuló (el cheque pudo haber sido entregado); reviselo en bancos.");
    return true;
}

bool AnulacionCompra::MarcarAnulada(int idCompra, Factura &f)
{
    const QString aviso = QStringLiteral("Error al marcar la factura como anulada.");
    const QString error = QStringLiteral("Error al eliminar FACTURAS_COMPRA");
    // The invoice, locked: a second station waits here and then finds it annulled.
    bool existe = false;
    QString anulada;
    Paso(aviso, error, [&] {
        db::Query &q = Sql(Base::Tienda, QStringLiteral("select ANULADA, COMPROBANTE, FECHA, FECHA_CARGA, "
                                                        "CODIGO_PROVEEDOR, EFECTIVO_CAJA, IMPORTE_EFECTIVO, "
                                                        "IMPORTE_CREDITO, IMPORTE_NC, INVENTARIO_PRINCIPAL, "
                                                        "COD_BODEGA, IMPORTE_CHEQUE, NUMERO_CHEQUE from "
                                                        "FACTURAS_COMPRA where ID_COMPRA = :id with lock"));
        q.paramByName("id").setAsInteger(idCompra);
        q.execQuery();
        existe = !q.eof();
        if (existe) {
            f.id = idCompra;
            anulada = q.field(0).asString();
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
            f.cheque = q.field(11).asCurrency();
            f.numeroCheque = q.field(12).asString();
        }
        q.close();
    });
    if (!existe)
        throw FalloPaso(aviso, error);
    std::uint64_t marcadas = 0;
    if (anulada != QLatin1String("S"))
        Paso(aviso, error, [&] { marcadas = registros_.ActualizaFacturaCompra(ModoFacturaCompra::Anular, idCompra); });
    if (marcadas == 0) {
        Deshacer();
        mensajes_->Informacion(kYaAnulada, QStringLiteral("Atención"));
        error_ = kYaAnulada;
        return false;
    }
    return true;
}

void AnulacionCompra::LeerLineas(Factura &f)
{
    Paso(QStringLiteral("Error al actualizar el inventario "), QStringLiteral("Error al actualizar INVENTARIO"), [&] {
        db::Query &q = Sql(Base::Tienda, QStringLiteral("select CODIGO_ARTICULO, IMPORTE_UNITARIO, CANTIDAD, "
                                                        "PORC_IMPUESTO, GRAVADO, IMPUESTO_INCLUIDO from "
                                                        "DETALLE_FACTURAS_COMPRA where ID_COMPRA = :id order by "
                                                        "ID_DETALLE_FACTURA"));
        q.paramByName("id").setAsInteger(f.id);
        for (q.execQuery(); !q.eof(); q.next())
            f.lineas.push_back({q.field(0).asString(), q.field(4).asString(), q.field(5).asString(),
                                q.field(1).asCurrency(), q.field(2).asCurrency(), q.field(3).asCurrency()});
        q.close();
        // What posting moved is what its movements record (none for a consignment settlement).
        db::Query &m = Sql(Base::Tienda, QStringLiteral("select COD_BARRAS, CANTIDAD, IMPORTE_COSTO from "
                                                        "MOVIMIENTOS_STOCK where ID_TRANSACCION = :id and "
                                                        "TIPO_MOVIMIENTO = 3 order by ID_MOVIMIENTO"));
        m.paramByName("id").setAsInteger(f.id);
        for (m.execQuery(); !m.eof(); m.next()) {
            MovimientoFactura mov{m.field(0).asString(), m.field(1).asCurrency(), std::nullopt};
            if (!m.field(2).isNull())
                mov.costo = m.field(2).asCurrency();
            f.movimientos.push_back(std::move(mov));
        }
        m.close();
    });
}

void AnulacionCompra::RevertirExistencias(const Factura &f)
{
    const QString aviso = QStringLiteral("Error al actualizar el inventario ");
    const QString error = QStringLiteral("Error al actualizar INVENTARIO");
    const bool bodega = f.enBodega();
    // A movement without its cost is reversed with its line's unit price (tax added when the
    // price includes it): the lines of each article are taken in order.
    std::map<QString, std::vector<const LineaFactura *>> porArticulo;
    for (const LineaFactura &l : f.lineas)
        porArticulo[l.articulo].push_back(&l);
    std::map<QString, size_t> usadas;
    std::vector<std::pair<const MovimientoFactura *, const LineaFactura *>> pasos;
    for (const MovimientoFactura &m : f.movimientos) {
        const auto &ls = porArticulo[m.articulo];
        size_t &k = usadas[m.articulo];
        pasos.emplace_back(&m, k < ls.size() ? ls[k] : nullptr);
        ++k;
    }
    // An article's lines come out last in first, undoing each average the posting built.
    std::reverse(pasos.begin(), pasos.end());
    // In article order, the order every posting and annulment locks them in.
    for (size_t i : OrdenPorArticulo(pasos, [](const auto &p) { return p.first->articulo; })) {
        const MovimientoFactura &mov = *pasos[i].first;
        const LineaFactura *linea = pasos[i].second;
        const QString &articulo = mov.articulo;
        const Currency cantidad = mov.cantidad;
        bool controlado = false;
        Paso(aviso, error, [&] {
            db::Query &a = Sql(Base::Inventario, QStringLiteral("select STOCK, COSTO_PROMEDIO from INVENTARIO\n"
                                                                "where COD_BARRAS = :Codigo\n"
                                                                "and ACTUALIZAR_EXIST = 'S' with lock"));
            a.paramByName("Codigo").setAsString(articulo);
            a.execQuery();
            if (a.eof()) {  // an article without stock control keeps its stock
                a.close();
                return;
            }
            controlado = true;
            Currency stock = a.field(0).asCurrency();
            const Currency promedio = a.field(1).asCurrency();
            a.close();
            // A warehouse purchase left STOCK as it was: the average was taken over stock + quantity.
            if (bodega)
                stock += cantidad;
            Currency nuevo = promedio;
            try {
                using namespace aritmetica;
                // The same net cost the posting averaged in.
                Currency u = promedio;
                if (mov.costo) {
                    u = *mov.costo;
                } else if (linea) {
                    u = linea->unitario;
                    if (linea->gravado == QLatin1String("S") && linea->impuestoIncluido == QLatin1String("S"))
                        u = DesdeCrudo(Crudo(u) * (CienPorCiento + Crudo(linea->porcImpuesto)) / CienPorCiento);
                }
                nuevo = CostoPromedioSinEntrada(stock, promedio, cantidad, u);
            } catch (const std::exception &) {
                nuevo = promedio;
            }
            const std::uint64_t filas =
                bodega ? registros_.ActualizaInventario(ModoInventario::Promedio, articulo, ValoresInventario().Promedio(nuevo))
                       : registros_.ActualizaInventario(ModoInventario::RestarStock, articulo,
                                                        ValoresInventario().Cantidad(cantidad).Promedio(nuevo));
            if (filas == 0)
                throw FalloPaso(aviso, error);
        });
        // The posting added warehouse stock only for articles that keep stock.
        if (bodega && controlado) {
            const QString avisoBodega = QStringLiteral("Error al actualizar en existencias. ");
            const QString errorBodega = QStringLiteral("Error al actualizar EXISTENCIAS");
            std::uint64_t filas = 0;
            Paso(avisoBodega, errorBodega, [&] {
                filas = registros_.ActualizaInventario(ModoInventario::SumarExistencia, articulo,
                                                       ValoresInventario().Cantidad(Currency() - cantidad).Bodega(f.codBodega));
            });
            if (filas == 0)
                throw FalloPaso(avisoBodega, errorBodega);
        }
    }
}

void AnulacionCompra::EliminarCaja(const Factura &f)
{
    if (f.efectivoCaja != QLatin1String("S") || f.efectivo <= Currency())
        return;
    const QString avisoDiaria = QStringLiteral("Error al eliminar de la caja diaria ");
    const QString errorDiaria = QStringLiteral("Error al eliminar CAJA_DIARIA");
    const QString avisoAnterior = QStringLiteral("Error al eliminar de la caja anterior ");
    const QString errorAnterior = QStringLiteral("Error al eliminar CAJA_ANTERIOR");
    // Only this invoice's rows, told apart by their posting time (today's or moved to the
    // earlier-days table): the row has that time, or, when the till's last row lay ahead of the
    // clock, it is the first of its number and amount after it. Rows written by other means are
    // found by number and amount.
    const FiltroCaja filtro{3, f.comprobante, f.fechaCarga, f.efectivo};
    std::uint64_t borradas = 0;
    if (f.fechaCarga.isValid()) {
        Paso(avisoDiaria, errorDiaria, [&] { borradas += registros_.EliminarCajaDiaria(ModoCaja::PorFecha, filtro); });
        Paso(avisoAnterior, errorAnterior, [&] { borradas += registros_.EliminarCajaAnterior(ModoCaja::PorFecha, filtro); });
        if (borradas == 0)
            Paso(avisoDiaria, errorDiaria, [&] { borradas += registros_.EliminarCajaDiaria(ModoCaja::PrimeraDesde, filtro); });
        if (borradas == 0)
            Paso(avisoAnterior, errorAnterior,
                 [&] { borradas += registros_.EliminarCajaAnterior(ModoCaja::PrimeraDesde, filtro); });
    }
    if (borradas == 0) {
        Paso(avisoDiaria, errorDiaria, [&] { borradas += registros_.EliminarCajaDiaria(ModoCaja::PorImporte, filtro); });
        Paso(avisoAnterior, errorAnterior, [&] { borradas += registros_.EliminarCajaAnterior(ModoCaja::PorImporte, filtro); });
    }
    if (borradas == 0)
        throw FalloPaso(avisoDiaria, errorDiaria);
}

void AnulacionCompra::EliminarMovimientos(const Factura &f)
{
    const QString aviso = QStringLiteral("Error al Eliminar los Movimientos de Stock.");
    const QString error = QStringLiteral("Error al eliminar FACTURAS_COMPRA");
    std::uint64_t borrados = 0;
    Paso(aviso, error, [&] { borrados = registros_.EliminarMovimientosStock(f.id, 3, f.comprobante, f.fecha); });
    if (borrados != f.movimientos.size())
        throw FalloPaso(aviso, error);
}

void AnulacionCompra::EliminarCuenta(const Factura &f)
{
    const QString aviso = QStringLiteral("Error al eliminar de la cuenta del proveedor.");
    const QString error = QStringLiteral("Error al eliminar CUENTA_PROVEEDOR");
    std::uint64_t cuentas = 0;
    Paso(aviso, error, [&] {
        cuentas = registros_.EliminarCuentaProveedor(ModoCuentaProveedor::PorFecha, {1, f.comprobante, f.proveedor, f.fecha});
    });
    if (f.credito > Currency() && cuentas == 0)
        throw FalloPaso(aviso, error);
}

void AnulacionCompra::LiberarNotas(const Factura &f)
{
    if (f.notas <= Currency())
        return;
    const QString aviso = QStringLiteral("Error al actualizar la nota de credito del proveedor.");
    const QString error = QStringLiteral("Error al actualizar NOTAS_CREDITO_PROV");
    QStringList saldos;
    Paso(aviso, error, [&] {
        registros_.ActualizaNCProveedor(ModoNotaCredito::Liberar, {QString(), f.proveedor, QString(), QDateTime(), f.comprobante});
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
        // A balance note already spent on another invoice cannot be taken back.
        std::uint64_t anuladas = 0;
        Paso(aviso, error, [&] { anuladas = registros_.ActualizaNCProveedor(ModoNotaCredito::AnularSaldo, {n, f.proveedor, QString(), QDateTime(), QString()}); });
        if (anuladas == 0)
            throw FalloPaso(aviso, error);
    }
    Paso(QStringLiteral("Error al eliminar de la cuenta del proveedor."), QStringLiteral("Error al eliminar CUENTA_PROVEEDOR"),
         [&] {
             registros_.EliminarCuentaProveedor(ModoCuentaProveedor::CualquierFecha, {5, f.comprobante, f.proveedor, {}});
         });
}

void AnulacionCompra::MarcarLineas(const Factura &f)
{
    const QString aviso = QStringLiteral("Error al marcar el detalle de la factura como anulada.");
    const QString error = QStringLiteral("Error al eliminar DETALLE_FACTURAS_COMPRA");
    std::uint64_t marcadas = 0;
    Paso(aviso, error, [&] { marcadas = registros_.ActualizaDetalleFacturaCompra(ModoDetalleFactura::Anular, f.id); });
    if (marcadas != f.lineas.size())
        throw FalloPaso(aviso, error);
}

void AnulacionCompra::RevertirAsiento(const Factura &f)
{
    if (!c_.contabilidad || !f.fechaCarga.isValid())
        return;
    const QString aviso = QStringLiteral("Error al insertar el asiento de anulación de la compra.");
    const QString error = QStringLiteral("Error al insertar ASIENTOS");
    std::uint64_t lineas = 0, esperadas = 0;
    Paso(aviso, error, [&] {
        c_.transContabilidad->ensureActive();
        // The posting's entry: its description and its time stamp, the invoice's posting time.
        // Invoices posted while FECHA_CARGA took the cash row's time have it up to a minute
        // later than their entry: the closest entry before it is theirs.
        db::Query &o = Sql(Base::Contabilidad, QStringLiteral("select first 1 FK_EMPRESA, FK_PERIODO, ID_ASIENTO, BLANCEADO "
                                                              "from ASIENTOS where DESCRIPCION = :Descr and "
                                                              "CREATE_TMSTMP between :Desde and :Momento order by "
                                                              "CREATE_TMSTMP desc, ID_ASIENTO"));
        o.paramByName("Descr").setAsString(QStringLiteral("Compra - Factura Nº ") + f.comprobante);
        o.paramByName("Desde").setAsDateTime(f.fechaCarga.addSecs(-60));
        o.paramByName("Momento").setAsDateTime(f.fechaCarga);
        o.execQuery();
        if (o.eof()) {
            o.close();
            return;
        }
        const int empresa = o.field(0).asInteger(), periodo = o.field(1).asInteger(), origen = o.field(2).asInteger();
        const QString balanceado = o.field(3).asString();
        o.close();
        db::Query &n = Sql(Base::Contabilidad, QStringLiteral("select count(*) from LINEAS_ASIENTO where FK_EMPRESA = "
                                                              ":Empre and FK_PERIODO = :Per and FK_ASIENTO = :Id"));
        n.paramByName("Empre").setAsInteger(empresa);
        n.paramByName("Per").setAsInteger(periodo);
        n.paramByName("Id").setAsInteger(origen);
        n.execQuery();
        esperadas = static_cast<std::uint64_t>(n.field(0).asInteger());
        n.close();
        // The number as the posting takes it.
        const int numero = registros_.SiguienteNumeroAsiento(empresa, periodo);
        const QDateTime ahora = QDateTime::currentDateTime();
        FilaAsiento a;
        a.ID_ASIENTO = numero;
        a.FK_EMPRESA = empresa;
        a.FK_PERIODO = periodo;
        a.FECHA = ahora.date();
        a.DESCRIPCION = QStringLiteral("Anulación Compra - Factura Nº ") + f.comprobante;
        a.BLANCEADO = balanceado == QLatin1String("S") ? QStringLiteral("S") : QStringLiteral("N");
        a.CREATE_USERID = a.UPDATE_USERID = usuario;
        a.CREATE_TMSTMP = a.UPDATE_TMSTMP = ahora;
        asientoInverso_ = registros_.InsertarAsientoInverso(a, origen, &lineas);
    });
    if (lineas != esperadas)
        throw FalloPaso(aviso, error);
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
             QStringLiteral("Error al eliminar DETALLE_FACTURAS_COMPRA"),
             [&] { borradas = registros_.EliminarDetalleFacturasCompras(comprobante, idCompra); });
        if (borradas != static_cast<std::uint64_t>(lineas))
            return Fallo(QStringLiteral("Error al eliminar detalle de la factura "),
                         QStringLiteral("Error al eliminar DETALLE_FACTURAS_COMPRA"));
        std::uint64_t encabezados = 0;
        Paso(QStringLiteral("Error al eliminar la factura "), QStringLiteral("Error al eliminar FACTURAS_COMPRA"),
             [&] { encabezados = registros_.EliminarFacturasCompras(idCompra); });
        if (encabezados != 1)
            return Fallo(QStringLiteral("Error al eliminar la factura "), QStringLiteral("Error al eliminar FACTURAS_COMPRA"));
        return true;
    });
}
