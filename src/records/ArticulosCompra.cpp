#include "records/ArticulosCompra.h"

#include "records/ConexionesCompra.h"
#include "platform/db/Query.h"

#include <QStringList>

#include <exception>

namespace {

const QString &SqlInsertar()
{
    static const QString sql = [] {
        QStringList columnas = {QStringLiteral("COD_BARRAS"),        QStringLiteral("NOMBRE"),
                                QStringLiteral("FECHA_ALTA"),        QStringLiteral("FECHA_ULTIMACOMPRA"),
                                QStringLiteral("ACTUALIZAR_EXIST"),  QStringLiteral("GRAVADO"),
                                QStringLiteral("IMPUESTO_INCLUIDO"), QStringLiteral("REDONDEA_PRECIO_FINAL"),
                                QStringLiteral("PORC_IV"),           QStringLiteral("COMPUESTO"),
                                QStringLiteral("FRACCIONADO"),       QStringLiteral("TIENE_SERIE"),
                                QStringLiteral("STOCK"),             QStringLiteral("PRECIO_COMPRA"),
                                QStringLiteral("COSTO_PROMEDIO"),    QStringLiteral("ARTICULO_INACTIVO")};
        for (int n = 1; n <= 4; ++n)
            for (const char *c : {"BASECALCULO_", "COEFA_", "COEFB_", "SUMAFIJA_", "REDONDEO_"})
                columnas << QString::fromLatin1(c) + QString::number(n);
        QStringList marcadores;
        for (const QString &c : columnas)
            marcadores << QLatin1Char(':') + c;
        return QStringLiteral("insert into INVENTARIO (%1) values (%2)")
            .arg(columnas.join(QStringLiteral(", ")), marcadores.join(QStringLiteral(", ")));
    }();
    return sql;
}

QString SN(bool si) { return si ? QStringLiteral("S") : QStringLiteral("N"); }

} // namespace

void InsertarArticuloNuevo(ConsultasCompra &consultas, const FilaArticuloNuevo &a)
{
    try {
        db::Query &q = consultas.Sql(BaseCompra::Inventario, SqlInsertar());
        q.paramByName("COD_BARRAS").setAsString(a.codBarras);
        q.paramByName("NOMBRE").setAsString(a.nombre);
        q.paramByName("FECHA_ALTA").setAsDateTime(a.alta);
        q.paramByName("FECHA_ULTIMACOMPRA").setAsDateTime(a.alta);
        q.paramByName("ACTUALIZAR_EXIST").setAsString(QStringLiteral("S"));
        q.paramByName("GRAVADO").setAsString(SN(a.gravado));
        q.paramByName("IMPUESTO_INCLUIDO").setAsString(SN(a.impuestoIncluido));
        q.paramByName("REDONDEA_PRECIO_FINAL").setAsString(a.redondeaPrecioFinal);
        q.paramByName("PORC_IV").setAsCurrency(a.porcIv);
        for (const char *c : {"COMPUESTO", "FRACCIONADO", "TIENE_SERIE", "ARTICULO_INACTIVO"})
            q.paramByName(c).setAsString(QStringLiteral("N"));
        for (const char *c : {"STOCK", "PRECIO_COMPRA", "COSTO_PROMEDIO"})
            q.paramByName(c).setAsCurrency(Currency());
        for (int n = 1; n <= 4; ++n) {
            const NivelPrecioNuevo &p = a.niveles[n - 1];
            const QString s = QString::number(n);
            q.paramByName(QStringLiteral("BASECALCULO_") + s).setAsInteger(p.baseCalculo);
            q.paramByName(QStringLiteral("COEFA_") + s).setAsCurrency(p.coefA);
            q.paramByName(QStringLiteral("COEFB_") + s).setAsCurrency(p.coefB);
            q.paramByName(QStringLiteral("SUMAFIJA_") + s).setAsCurrency(p.sumaFija);
            q.paramByName(QStringLiteral("REDONDEO_") + s).setAsInteger(p.redondeo);
        }
        q.execQuery();
        q.close();
    } catch (const ErrorCompras &e) {
        throw ErrorArticulosCompra(QStringLiteral("Error al insertar el artículo %1 en INVENTARIO: %2").arg(a.codBarras, e.mensaje()));
    } catch (const std::exception &e) {
        throw ErrorArticulosCompra(QStringLiteral("Error al insertar el artículo %1 en INVENTARIO: %2")
                                       .arg(a.codBarras, QString::fromUtf8(e.what())));
    }
}
