#include "creditnotes/ImpresionNotaCredito.h"

#include "platform/Formato.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"
#include "platform/report/ErrorReporte.h"

ImpresionNotaCredito::ImpresionNotaCredito() : reporte_(std::make_unique<Reporte>()) {}

ImpresionNotaCredito::~ImpresionNotaCredito() = default;

Reporte &ImpresionNotaCredito::Preparar(db::Database &tienda, db::Database &inventario, int idNota,
                                        const QString &carpetaReportes, const EncabezadoNotaCredito &enc)
{
    auto dinero = [](Currency v) { return Reporte::QuotedStr(FormatCurrency(QStringLiteral("#,##0.00"), v)); };
    QMap<QString, QString> v;
    int codProveedor = 0;
    QString comprobante;
    {
        db::Transaction t(tienda, db::TransactionKind::Read);
        db::Query q(&tienda, &t);
        q.setSql(QStringLiteral("select COMPROBANTE, FACTURA_VENTA, FECHA, SUBTOTAL_GRAVADO, SUBTOTAL_NO_GRAVADO, "
                                "TOTAL_GRAVADO, TOTAL_NO_GRAVADO, IMP_DESCUENTO, IMP_IV, IMP_TOTAL, COD_PROVEEDOR "
                                "from NOTAS_CREDITO_PROV where ID_NC_PROV = :id"));
        q.paramByName("id").setAsInteger(idNota);
        q.execQuery();
        if (q.eof())
            throw ErrorReporte(QStringLiteral("No existe la nota de crédito %1").arg(idNota));
        auto m = [&q](int i) { return q.field(i).asCurrency(); };
        comprobante = q.field(0).asString();
        v[QStringLiteral("NroNC")] = Reporte::QuotedStr(comprobante);
        v[QStringLiteral("Factura")] = Reporte::QuotedStr(q.field(1).isNull() ? QString() : q.field(1).asString());
        v[QStringLiteral("Fecha")] = Reporte::QuotedStr(q.field(2).asDate().toString(QStringLiteral("dd/MM/yyyy")));
        v[QStringLiteral("SubTotal1")] = dinero(m(3) + m(4));
        v[QStringLiteral("SubTotal2")] = dinero(m(5) + m(6));
        v[QStringLiteral("Descuento")] = dinero(m(7));
        v[QStringLiteral("Impuesto")] = dinero(m(8));
        v[QStringLiteral("Total")] = dinero(m(9));
        codProveedor = q.field(10).asInteger();
        q.close();

        lineas_.clear();
        lineas_.setFields({QStringLiteral("CODIGO_ARTICULO"), QStringLiteral("DESCRIPCION"), QStringLiteral("CANTIDAD"),
                           QStringLiteral("IMPORTE_UNITARIO"), QStringLiteral("IMPORTE_IMPUESTO"),
                           QStringLiteral("IMPORTE_TOTAL")});
        q.setSql(QStringLiteral("select CODIGO_ARTICULO, DESCRIPCION, CANTIDAD, IMPORTE_UNITARIO, IMPORTE_IMPUESTO, "
                                "IMPORTE_TOTAL from DETALLE_NC_PROV where FK_NC_PROV = :id order by ID_DETALLE_NC_PROV"));
        q.paramByName("id").setAsInteger(idNota);
        for (q.execQuery(); !q.eof(); q.next())
            lineas_.append({q.field(0).asString(), q.field(1).asString(), q.field(2).asString(), q.field(3).asString(),
                            q.field(4).asString(), q.field(5).asString()});
        q.close();
        t.commit();
    }
    {
        db::Transaction t(inventario, db::TransactionKind::Read);
        db::Query q(&inventario, &t);
        q.setSql(QStringLiteral("select NOMBRE, TEL1 from PROVEEDORES where COD_PROVEEDOR = :cod"));
        q.paramByName("cod").setAsInteger(codProveedor);
        q.execQuery();
        v[QStringLiteral("Proveedor")] = Reporte::QuotedStr(q.eof() ? QString() : q.field(0).asString());
        v[QStringLiteral("Telefono")] = Reporte::QuotedStr(q.eof() ? QString() : q.field(1).asString());
        q.close();
        t.commit();
    }
    for (int i = 0; i < 5; ++i)
        v[QStringLiteral("Encabezado%1").arg(i + 1)] = Reporte::QuotedStr(enc.proforma.value(i));
    v[QStringLiteral("DefinicionIVPais")] = Reporte::QuotedStr(enc.definicionImpuesto + QStringLiteral(": "));

    dsReporte_.setDataSet(&lineas_);
    reporte_->setDataSet(&dsReporte_);
    reporte_->LoadFromFile(carpetaReportes + kPlantilla);
    for (auto it = v.cbegin(); it != v.cend(); ++it)
        reporte_->Variables[it.key()] = it.value();
    reporte_->PrepareReport();
    return *reporte_;
}
