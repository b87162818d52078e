#include "consignments/AnulacionConsignacion.h"

#include "consignments/DevolucionConsignacion.h"
#include "data/Comp_fdatos.h"
#include "platform/ArchivoIni.h"
#include "platform/Mensajes.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"
#include "pricing/Funcionesprecios.h"
#include "pricing/Funcionesyprocesoscompras.h"
#include "records/ActualizacionInventarioCompra.h"
#include "records/RegistrosCompra.h"

#include <QDateTime>

#include <vector>

struct AnulacionConsignacion::Encabezado {
    QString comprobante;
    bool anulada = false;
    bool devuelta = false;
};

namespace {

QString Nro(const QString &comprobante) { return QStringLiteral("La consignación Nro: ") + comprobante; }

struct LineaConsignacion {
    int id = 0;
    QString articulo, gravado, ivi;
    Currency unitario;
    Currency cantidad;  // still on hand
    Currency porcImpuesto;
};

} // namespace

AnulacionConsignacion::AnulacionConsignacion(const ConexionesCompra &conexiones, bool sisDistribuidora)
    : c_(conexiones), sisDistribuidora_(sisDistribuidora), mensajes_(&mensajes()), consultas_(c_)
{
    c_.contabilidad = nullptr;
    c_.transContabilidad = nullptr;
}

AnulacionConsignacion::~AnulacionConsignacion() = default;

std::unique_ptr<AnulacionConsignacion> AnulacionConsignacion::DesdeDatosComp(TFDatosComp &d)
{
    auto a = std::make_unique<AnulacionConsignacion>(ConexionesDeDatosComp(d),
                                                     d.SisDistribuidora == QLatin1String("S"));
    a->transaccionGlobal = &d.TransaccionGlobal;
    TFDatosComp *datos = &d;
    a->DespuesDeConfirmar = [datos] {
        RefrescarAbiertos({datos->TConsignacion, datos->TDetConsig, datos->TInventario});
    };
    return a;
}

bool AnulacionConsignacion::Leer(int id, Encabezado &e)
{
    db::Query &q = consultas_.Sql(BaseCompra::Tienda, QStringLiteral("select COMPROBANTE, ANULADA, DEVUELTA from "
                                                                    "CONSIGNACIONES where ID_CONSIGNACION = :ID with lock"));
    q.paramByName("ID").setAsInteger(id);
    q.execQuery();
    const bool existe = !q.eof();
    if (existe) {
        e.comprobante = q.field(0).asString();
        e.anulada = q.field(1).asString() == QLatin1String("S");
        e.devuelta = q.field(2).asString() == QLatin1String("S");
    }
    q.close();
    if (existe && !sisDistribuidora_)
        e.devuelta = Devuelta(id);
    return existe;
}

bool AnulacionConsignacion::Devuelta(int id)
{
    return LineasDevueltas(consultas_, id);
}

int AnulacionConsignacion::ExistenciasDevueltasEnCero(const FiltroConsignaciones &filtro)
{
    c_.transTienda->ensureActive();
    std::vector<std::pair<int, bool>> lista;
    db::Query &q = consultas_.Sql(BaseCompra::Tienda, ListadoConsignaciones::SqlFiltro(filtro));
    LigarFiltroConsignaciones(q, filtro);
    for (q.execQuery(); !q.eof(); q.next())
        lista.emplace_back(q.fieldByName(QStringLiteral("ID_CONSIGNACION")).asInteger(),
                           q.fieldByName(QStringLiteral("DEVUELTA")).asString() == QLatin1String("S"));
    q.close();
    RegistrosCompra registros(consultas_);
    int n = 0;
    try {
        for (const auto &[id, marcada] : lista) {
            if (sisDistribuidora_ ? !marcada : !Devuelta(id))
                continue;
            registros.ActualizaConsignaciones(ModoConsignacion::ExistenciaCero, id, {});
            ++n;
        }
        c_.transTienda->commit();
    } catch (...) {
        DeshacerTransacciones({c_.transTienda});
        throw;
    }
    if (DespuesDeConfirmar)
        DespuesDeConfirmar();
    return n;
}

bool AnulacionConsignacion::Comenzar(int id, Encabezado &e)
{
    c_.transTienda->ensureActive();
    c_.transInventario->ensureActive();
    return Leer(id, e);
}

AnulacionConsignacion::Resultado AnulacionConsignacion::Rechazar(const QString &texto, Resultado resultado)
{
    DeshacerTransacciones({c_.transTienda, c_.transInventario});
    error_ = texto;
    if (!texto.isEmpty())
        mensajes_->Informacion(texto);
    return resultado;
}

AnulacionConsignacion::Resultado AnulacionConsignacion::Fallo(const QString &aviso, const QString &detalle)
{
    DeshacerTransacciones({c_.transTienda, c_.transInventario});
    error_ = detalle.isEmpty() ? aviso : detalle;
    mensajes_->Informacion(aviso);
    return Resultado::Fallida;
}

AnulacionConsignacion::Resultado AnulacionConsignacion::Confirmar(const QString &exito)
{
    db::CommitTwoPhase({c_.transTienda, c_.transInventario});
    if (DespuesDeConfirmar)
        DespuesDeConfirmar();
    mensajes_->Informacion(exito);
    return Resultado::Hecha;
}

AnulacionConsignacion::Resultado AnulacionConsignacion::Anular(int id)
{
    error_.clear();
    const BanderaTransaccion global(transaccionGlobal);
    Encabezado e;
    QString aviso = QStringLiteral("No existen Consignaciones");
    try {
        if (!Comenzar(id, e))
            return Rechazar(aviso);
        if (e.anulada)
            return Rechazar(QStringLiteral("La consignación seleccionada ya se encuentra anulada"));
        if (e.devuelta)
            return Rechazar(Nro(e.comprobante) + QStringLiteral(" no se puede anular porque ya fue devuelta."));
        // Asked with the header locked: nobody changes it meanwhile.
        if (!mensajes_->PreguntaDestructiva(QStringLiteral("Desea anular la consignación Nro: ") + e.comprobante))
            return Rechazar(QString(), Resultado::Cancelada);
        aviso = Nro(e.comprobante) + QStringLiteral(" no pudo ser anulada ");

        // Only what each line still has on hand goes back out: what was sold, invoiced or
        // returned already left the stock. A line without EXISTENCIA keeps what is neither
        // invoiced nor returned.
        std::vector<LineaConsignacion> lineas;
        db::Query &q = consultas_.Sql(BaseCompra::Tienda, QStringLiteral("select ID_DETALLE_CONSIGNACION, CODIGO_ARTICULO, "
                                                                        "GRAVADO, IMPUESTO_INCLUIDO, IMPORTE_UNITARIO, "
                                                                        "coalesce(EXISTENCIA, CANTIDAD - coalesce(PROCESADOS, 0)), "
                                                                        "PORC_IMPUESTO from DETALLE_CONSIGNACION "
                                                                        "where ID_CONSIGNACION = :ID"));
        q.paramByName("ID").setAsInteger(id);
        for (q.execQuery(); !q.eof(); q.next()) {
            const Currency enExistencia = q.field(5).asCurrency();
            if (enExistencia > Currency())
                lineas.push_back({q.field(0).asInteger(), q.field(1).asString(), q.field(2).asString(),
                                  q.field(3).asString(), q.field(4).asCurrency(), enExistencia, q.field(6).asCurrency()});
        }
        q.close();

        RegistrosCompra registros(consultas_);
        for (size_t i : OrdenPorArticulo(lineas, [](const LineaConsignacion &l) { return l.articulo; })) {
            const LineaConsignacion &l = lineas[i];
            db::Query &a = consultas_.Sql(BaseCompra::Inventario,
                                          QStringLiteral("select STOCK, COSTO_PROMEDIO from INVENTARIO\nwhere COD_BARRAS = "
                                                         ":Codigo\nand ACTUALIZAR_EXIST = 'S' with lock"));
            a.paramByName("Codigo").setAsString(l.articulo);
            a.execQuery();
            if (a.eof()) {  // gone, or keeps no stock: the receipt changed no stock either
                a.close();
                continue;
            }
            const Currency stock = a.field(0).asCurrency(), promedio = a.field(1).asCurrency();
            a.close();
            const bool incluido = l.gravado == QLatin1String("S") && l.ivi == QLatin1String("S");
            const Currency u = incluido ? AgregarIv(l.unitario, l.porcImpuesto) : l.unitario;
            const Currency nuevo = CostoPromedioSinEntrada(stock, promedio, l.cantidad, u);
            registros.ActualizaInventario(ModoInventario::RestarStock, l.articulo,
                                          ValoresInventario().Cantidad(l.cantidad).Promedio(nuevo));
            registros.ActualizaInventario(ModoInventario::SumarExistencia, l.articulo,
                                          ValoresInventario().Cantidad(Currency() - l.cantidad).Bodega(QStringLiteral("0")));
        }
        if (registros.ActualizaConsignaciones(ModoConsignacion::Anular, id, {QDateTime::currentDateTime(), {}, 0}) == 0)
            return Fallo(aviso, QString());
        return Confirmar(Nro(e.comprobante) + QStringLiteral(" ha sido anulada satisfactoriamente"));
    } catch (const std::exception &ex) {
        return Fallo(aviso, TextoDeError(ex));
    }
}

AnulacionConsignacion::Resultado AnulacionConsignacion::Eliminar(int id)
{
    error_.clear();
    const BanderaTransaccion global(transaccionGlobal);
    Encabezado e;
    QString aviso = QStringLiteral("No existen Consignaciones");
    try {
        if (!Comenzar(id, e))
            return Rechazar(aviso);
        if (!e.anulada)
            return Rechazar(
                QStringLiteral("La consignación seleccionada no se encuentra anulada, por lo cual no se puede eliminar."));
        if (!mensajes_->PreguntaDestructiva(QStringLiteral("Desea eliminar la consignación Nro: ") + e.comprobante))
            return Rechazar(QString(), Resultado::Cancelada);
        aviso = Nro(e.comprobante) + QStringLiteral(" no pudo ser eliminada ");
        std::vector<int> ids;
        db::Query &q = consultas_.Sql(BaseCompra::Tienda, QStringLiteral("select ID_DETALLE_CONSIGNACION from "
                                                                        "DETALLE_CONSIGNACION where ID_CONSIGNACION = :ID"));
        q.paramByName("ID").setAsInteger(id);
        for (q.execQuery(); !q.eof(); q.next())
            ids.push_back(q.field(0).asInteger());
        q.close();
        RegistrosCompra registros(consultas_);
        for (int detalle : ids)
            registros.EliminarDetalleConsignaciones(detalle);
        if (registros.EliminarConsignaciones(id) == 0)
            return Fallo(aviso, QString());
        return Confirmar(Nro(e.comprobante) + QStringLiteral(" ha sido eliminada satisfactoriamente"));
    } catch (const std::exception &ex) {
        return Fallo(aviso, TextoDeError(ex));
    }
}
