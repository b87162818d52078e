#include "records/EncabezadoReporteEntrada.h"

#include "records/ErrorRegistro.h"
#include "platform/db/Query.h"

void GuardarEncabezadoEntrada(db::Database &base, db::Transaction &trans, EncabezadoEntrada &e)
{
    const bool nuevo = e.idReporte <= 0;
    try {
        db::Query q(&base, &trans);
        if (nuevo) {
            q.setSql(QStringLiteral(
                "insert into REPORTES_TXT_PANAMA (IMPORTADOR, DESTINO_ENTRADA, TRANSPORTE_ENTRADA, VENDEDOR,\n"
                " MANIFIESTO, NRO_REP, FECHA_REP_ENTRADA)\n"
                " values (:Importador, :Destino, :Transporte, :Vendedor, :Manifiesto, :NroRep, :Fecha)\n"
                " returning ID_REPORTE"));
        } else {
            q.setSql(QStringLiteral(
                "update REPORTES_TXT_PANAMA set IMPORTADOR = :Importador, DESTINO_ENTRADA = :Destino,\n"
                " TRANSPORTE_ENTRADA = :Transporte, VENDEDOR = :Vendedor, MANIFIESTO = :Manifiesto,\n"
                " NRO_REP = :NroRep, FECHA_REP_ENTRADA = :Fecha\n"
                " where ID_REPORTE = :Id"));
            q.paramByName("Id").setAsInteger(e.idReporte);
        }
        q.paramByName("Importador").setAsString(e.importador.left(100));
        q.paramByName("Destino").setAsString(e.destino.left(100));
        q.paramByName("Transporte").setAsString(e.transporte.left(100));
        q.paramByName("Vendedor").setAsString(e.vendedor.left(100));
        q.paramByName("Manifiesto").setAsString(e.manifiesto.left(100));
        q.paramByName("NroRep").setAsString(e.nroRep.left(100));
        if (e.fecha.isValid())
            q.paramByName("Fecha").setAsDate(e.fecha);
        else
            q.paramByName("Fecha").setNull();
        q.execQuery();
        if (nuevo && !q.eof())
            e.idReporte = q.field(0).asInteger();
        q.close();
    } catch (const std::exception &ex) {
        throw ErrorRegistro(nuevo ? QStringLiteral("Error al insertar REPORTES_TXT_PANAMA")
                                  : QStringLiteral("Error al actualizar REPORTES_TXT_PANAMA"),
                            TextoDeError(ex));
    }
}
