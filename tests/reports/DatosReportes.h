#pragma once
// Invoices, lines and credit notes of a quiet period (year 2031, untouched by the demo data)
// for the report and export tests, and the text of a PDF.

#include "support/EntornoPrueba.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <QProcess>
#include <QString>

namespace datosreportes {

struct Factura {
    int id = 0;
    QString fecha;  // yyyy-MM-dd
    QString comprobante;
    int proveedor = 1;
    QString nombre;
    QString gravado = QStringLiteral("0"), exento = QStringLiteral("0"), descuento = QStringLiteral("0");
    QString iv = QStringLiteral("0"), total = QStringLiteral("0"), nc = QStringLiteral("0");
    QString anulada = QStringLiteral("N");
    QString tc = QStringLiteral("1"), tc2 = QStringLiteral("1");
};

inline void Insertar(db::Database &base, const Factura &f)
{
    db::Transaction t(base);
    db::Query q(&base, &t);
    q.setSql(QStringLiteral(
        "insert into FACTURAS_COMPRA (ID_COMPRA, FECHA, COMPROBANTE, CODIGO_PROVEEDOR, NOMBRE, SUBTOTAL_GRAVADO,"
        " SUBTOTAL_NO_GRAVADO, IMPORTE_DESCUENTO, TOTAL_GRAVADO, TOTAL_NO_GRAVADO, IMPORTE_IV, IMPORTE_TOTAL,"
        " IMPORTE_NC, ANULADA, TIPO_CAMBIO, TIPO_CAMBIO_2, MONEDA_CARGA) values (:id, :fecha, :comp, :prov, :nombre,"
        " :g, :e, :d, :tg, :te, :iv, :t, :nc, :an, :tc, :tc2, 1)"));
    q.paramByName("id").setAsInteger(f.id);
    q.paramByName("fecha").setAsDate(QDate::fromString(f.fecha, QStringLiteral("yyyy-MM-dd")));
    q.paramByName("comp").setAsString(f.comprobante);
    q.paramByName("prov").setAsInteger(f.proveedor);
    q.paramByName("nombre").setAsString(f.nombre);
    q.paramByName("g").setAsCurrency(Currency::fromString(f.gravado));
    q.paramByName("e").setAsCurrency(Currency::fromString(f.exento));
    q.paramByName("d").setAsCurrency(Currency::fromString(f.descuento));
    q.paramByName("tg").setAsCurrency(Currency::fromString(f.gravado) - Currency::fromString(f.descuento));
    q.paramByName("te").setAsCurrency(Currency::fromString(f.exento));
    q.paramByName("iv").setAsCurrency(Currency::fromString(f.iv));
    q.paramByName("t").setAsCurrency(Currency::fromString(f.total));
    q.paramByName("nc").setAsCurrency(Currency::fromString(f.nc));
    q.paramByName("an").setAsString(f.anulada);
    q.paramByName("tc").setAsCurrency(Currency::fromString(f.tc));
    q.paramByName("tc2").setAsCurrency(Currency::fromString(f.tc2));
    q.execQuery();
    t.commit();
}

inline void Linea(db::Database &base, int idCompra, const QString &fecha, const QString &comprobante,
                  const QString &codigo, const QString &descripcion, double cantidad, const QString &unitario,
                  const QString &total, const QString &tc = QStringLiteral("1"), const QString &tc2 = QStringLiteral("1"))
{
    db::Transaction t(base);
    db::Query q(&base, &t);
    q.setSql(QStringLiteral(
        "insert into DETALLE_FACTURAS_COMPRA (ID_COMPRA, FECHA, COMPROBANTE, CODIGO_ARTICULO, DESCRIPCION, CANTIDAD,"
        " IMPORTE_UNITARIO, IMPORTE_TOTAL, TIPO_CAMBIO, TIPO_CAMBIO_2) values (:id, :f, :c, :cod, :des, :can, :u, :t,"
        " :tc, :tc2)"));
    q.paramByName("id").setAsInteger(idCompra);
    q.paramByName("f").setAsDate(QDate::fromString(fecha, QStringLiteral("yyyy-MM-dd")));
    q.paramByName("c").setAsString(comprobante);
    q.paramByName("cod").setAsString(codigo);
    q.paramByName("des").setAsString(descripcion);
    q.paramByName("can").setAsFloat(cantidad);
    q.paramByName("u").setAsCurrency(Currency::fromString(unitario));
    q.paramByName("t").setAsCurrency(Currency::fromString(total));
    q.paramByName("tc").setAsCurrency(Currency::fromString(tc));
    q.paramByName("tc2").setAsCurrency(Currency::fromString(tc2));
    q.execQuery();
    t.commit();
}

inline void NotaCredito(db::Database &base, const QString &fecha, const QString &comprobante, int proveedor,
                        const QString &gravado, const QString &iv, const QString &total, const QString &anulada)
{
    db::Transaction t(base);
    db::Query q(&base, &t);
    q.setSql(QStringLiteral(
        "insert into NOTAS_CREDITO_PROV (COMPROBANTE, FECHA, COD_PROVEEDOR, IMP_GRAVADO, IMP_EXENTO, IMP_IV,"
        " IMP_TOTAL, ANULADA, TIPO_CAMBIO, TIPO_CAMBIO_2) values (:c, :f, :p, :g, 0, :iv, :t, :an, 1, 1)"));
    q.paramByName("c").setAsString(comprobante);
    q.paramByName("f").setAsDate(QDate::fromString(fecha, QStringLiteral("yyyy-MM-dd")));
    q.paramByName("p").setAsInteger(proveedor);
    q.paramByName("g").setAsCurrency(Currency::fromString(gravado));
    q.paramByName("iv").setAsCurrency(Currency::fromString(iv));
    q.paramByName("t").setAsCurrency(Currency::fromString(total));
    q.paramByName("an").setAsString(anulada);
    q.execQuery();
    t.commit();
}

// Text of a PDF laid out by pdftotext, lines joined with single spaces between words.
inline QString TextoPdf(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    QString t = QString::fromUtf8(p.readAllStandardOutput());
    t.replace(QChar(0xFB01), QStringLiteral("fi")).replace(QChar(0xFB02), QStringLiteral("fl"));
    return t;
}

// The first line of `texto` that contains `clave`.
inline QString Renglon(const QString &texto, const QString &clave)
{
    for (const QString &l : texto.split(QLatin1Char('\n')))
        if (l.contains(clave))
            return l.simplified();
    return QString();
}

} // namespace datosreportes
