#pragma once
// Shared by the posting and annulment tests: test articles, a station's work lines, failure
// switches (triggers that raise while a row of FALLA_PRUEBA names their table) and dumps.

#include "support/EntornoPrueba.h"
#include "purchases/ProcesoCompra.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const Currency &c, std::ostream *os) { *os << c.toString(); }

namespace posteo {

inline Currency C(const char *s) { return Currency::fromString(std::string(s)); }

// Rates loaded and today's demo cash rows moved to yesterday, so each payment is the till's last row.
inline void PrepararCaja(EntornoPrueba &env)
{
    env.datos->CargarTipoCambio();
    EntornoPrueba::Ejecutar(env.tienda, "update CAJA_DIARIA set FECHA_HORA = dateadd(day, -1, FECHA_HORA)");
}

// Number, date and supplier of the station's saved header, copied into `doc`.
inline void CopiarEncabezado(const DocumentoCompra &deEstacion, DocumentoCompra &doc)
{
    doc.comprobante = deEstacion.comprobante;
    doc.fecha = deEstacion.fecha;
    doc.codProveedor = deEstacion.codProveedor;
    doc.nombreProveedor = deEstacion.nombreProveedor;
}

// Level 1 on the purchase price (+30 %), level 2 on level 1 (-10 %), level 3 manual, level 4 on
// the average cost; 13 % tax, final price rounded.
inline void Articulo(EntornoPrueba &env, const QString &cod, const char *stock, const char *costo,
                     const char *actualizaExist = "S")
{
    EntornoPrueba::Ejecutar(env.inventario,
                            QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE, COD_FAMILIA, STOCK, COSTO_PROMEDIO, "
                                           "PRECIO_COMPRA, GRAVADO, PORC_IV, IMPUESTO_INCLUIDO, ACTUALIZAR_EXIST, "
                                           "REDONDEA_PRECIO_FINAL, BASECALCULO_1, COEFA_1, COEFB_1, SUMAFIJA_1, "
                                           "REDONDEO_1, PREVEN_1, BASECALCULO_2, COEFA_2, COEFB_2, SUMAFIJA_2, REDONDEO_2, "
                                           "BASECALCULO_3, PREVEN_3, PRECIOSINIV_3, PRECIOCONIV_3, BASECALCULO_4, "
                                           "COEFA_4, COEFB_4, SUMAFIJA_4, REDONDEO_4) values ('%1', 'ARTICULO %1', "
                                           "'MED-ANA', %2, %3, %3, 'S', 13, 'N', '%4', 'S', 1, 30, 0, 0, 0, 1250, 3, -10, "
                                           "0, 0, 0, 0, 777, 700, 791, 2, 0, 0, 0, 0)")
                                .arg(cod, stock, costo, actualizaExist));
}

// One taxed work line of the station (13 %, cost without tax), totals as the entry form computes.
inline void Linea(db::Database &tienda, const QString &computadora, int nroCaja, const QString &cod, int cantidad,
                  const char *costo, const char *procesaConsignacion = "N")
{
    EntornoPrueba::Ejecutar(
        tienda, QStringLiteral("insert into TEMPORAL_COMPRAS (COMPUTADORA, NRO_CAJA, COD_BARRAS, COD_FAMILIA, NOMBRE, "
                               "CANTIDAD, IMPORE_COSTO, IMP_UNIT_SIN_IV, IMP_UNIT_CON_IV, GRAVADO, IVI, PORCE_IV, "
                               "PORCE_IV_ARTI, PORCE_DESC, IMPORTE_DESCUENTO, SUBTOTAL_GRAVADO, SUBTOTAL_NO_GRAVADO, "
                               "TOTAL_GRAVADO, TOTAL_NO_GRAVADO, IMPORTE_TOLAL_IV, TOTAL_SIN_IV, TOTAL_CON_IV, "
                               "PRECIO_VENTA, FRACCIONADO, PROCESA_CONSIGNACION) values ('%1', %2, '%3', 'MED-ANA', "
                               "'ARTICULO %3', %4, %5, %5, %5 * 1.13, 'S', 'N', 13, 13, 0, 0, %4 * %5, 0, %4 * %5, 0, "
                               "%4 * %5 * 0.13, %4 * %5, %4 * %5 * 1.13, 0, 'N', '%6')")
                    .arg(computadora)
                    .arg(nroCaja)
                    .arg(cod)
                    .arg(cantidad)
                    .arg(QLatin1String(costo), QLatin1String(procesaConsignacion)));
}

// The update connections of an extra station, as a posting or an annulment takes them.
inline ConexionesCompra Conexiones(ConexionExtra &c, bool conContabilidad = true)
{
    return {&c.tienda, &c.transUpdate, &c.inventario, &c.transUpdateInv, conContabilidad ? &c.contabilidad : nullptr,
            conContabilidad ? &c.transUpdateConta : nullptr};
}

// A taxed work line (13 %) with its own discount; `ivi` "S" when the article's price includes the
// tax. Cost and totals without tax, discount taken off before the tax, as the entry form does.
inline void LineaConDescuento(db::Database &tienda, const QString &computadora, int nroCaja, const QString &cod,
                              int cantidad, const char *costo, const char *porcDesc, const char *ivi = "N")
{
    const QString bruto = QStringLiteral("(%1 * %2)").arg(cantidad).arg(QLatin1String(costo));
    const QString desc = QStringLiteral("(%1 * %2 / 100)").arg(bruto, QLatin1String(porcDesc));
    EntornoPrueba::Ejecutar(
        tienda, QStringLiteral("insert into TEMPORAL_COMPRAS (COMPUTADORA, NRO_CAJA, COD_BARRAS, COD_FAMILIA, NOMBRE, "
                               "CANTIDAD, IMPORE_COSTO, IMP_UNIT_SIN_IV, IMP_UNIT_CON_IV, GRAVADO, IVI, PORCE_IV, "
                               "PORCE_IV_ARTI, PORCE_DESC, IMPORTE_DESCUENTO, SUBTOTAL_GRAVADO, SUBTOTAL_NO_GRAVADO, "
                               "TOTAL_GRAVADO, TOTAL_NO_GRAVADO, IMPORTE_TOLAL_IV, TOTAL_SIN_IV, TOTAL_CON_IV, "
                               "PRECIO_VENTA, FRACCIONADO, PROCESA_CONSIGNACION) values ('%1', %2, '%3', 'MED-ANA', "
                               "'ARTICULO %3', %4, %5, %5, %5 * 1.13, 'S', '%6', 13, 13, %7, %8, %9, 0, %9 - %8, 0, "
                               "(%9 - %8) * 0.13, %9, (%9 - %8) * 1.13, 0, 'N', 'N')")
                    .arg(computadora)
                    .arg(nroCaja)
                    .arg(cod)
                    .arg(cantidad)
                    .arg(QLatin1String(costo), QLatin1String(ivi), QLatin1String(porcDesc), desc, bruto));
}

inline void Encabezado(db::Database &tienda, const QString &computadora, int nroCaja, const QString &comprobante,
                       int proveedor = 12)
{
    EntornoPrueba::Ejecutar(tienda, QStringLiteral("insert into TEMPORAL_ENC_COMPRA (FECHA, COMPROBANTE, CODIGO_PROVEEDOR, "
                                                   "POCE_DESCUENTO, TIPO, NRO_CAJA, COMPUTADORA) values (current_date, "
                                                   "'%1', %2, 0, 1, %3, '%4')")
                                        .arg(comprobante)
                                        .arg(proveedor)
                                        .arg(nroCaja)
                                        .arg(computadora));
}

// Triggers on every table the posting and the annulment write, each raising while FALLA_PRUEBA
// holds "<TABLE>:<I|U|D>".
inline void PrepararFallas(db::Database &base, const QStringList &tablas)
{
    EntornoPrueba::Ejecutar(base, QStringLiteral("create table FALLA_PRUEBA (CLAVE varchar(60))"));
    EntornoPrueba::Ejecutar(base, QStringLiteral("create exception E_FALLA_PRUEBA 'falla de prueba'"));
    int n = 0;
    for (const QString &t : tablas) {
        for (const char *ev : {"INSERT", "UPDATE", "DELETE"}) {
            const QString clave = t + QLatin1Char(':') + QLatin1Char(ev[0]);
            EntornoPrueba::Ejecutar(base, QStringLiteral("create trigger T_FALLA_%1 for %2 active before %3 position 30 as "
                                                         "begin if (exists(select 1 from FALLA_PRUEBA where CLAVE = '%4')) "
                                                         "then exception E_FALLA_PRUEBA; end")
                                              .arg(++n)
                                              .arg(t, QLatin1String(ev), clave));
        }
    }
}

inline void Fallar(db::Database &base, const QString &clave)
{
    EntornoPrueba::Ejecutar(base, QStringLiteral("delete from FALLA_PRUEBA"));
    if (!clave.isEmpty())
        EntornoPrueba::Ejecutar(base, QStringLiteral("insert into FALLA_PRUEBA values ('%1')").arg(clave));
}

// A dump without the given tables' sections.
inline QString VolcadoSin(db::Database &base, const QStringList &tablas = {})
{
    QString v = EntornoPrueba::Volcado(base);
    for (const QString &t : tablas)
        v.remove(QRegularExpression(QStringLiteral("== %1\\n(?:(?!== )[^\\n]*\\n)*").arg(t)));
    return v;
}

// Stock and average cost of every article, and the warehouse stock.
inline QString Existencias(db::Database &inventario)
{
    db::Transaction t(inventario, db::TransactionKind::Read);
    db::Query q(&inventario, &t);
    QString out;
    for (const char *sql : {"select COD_BARRAS, STOCK, COSTO_PROMEDIO from INVENTARIO order by 1",
                            "select COD_ART, COD_BODEGA, EXISTENCIA from EXISTENCIAS order by 1, 2"}) {
        q.setSql(QLatin1String(sql));
        for (q.execQuery(); !q.eof(); q.next())
            out += q.field(0).asString() + QLatin1Char('|') + q.field(1).asString() + QLatin1Char('|') +
                   q.field(2).asString() + QLatin1Char('\n');
        q.close();
    }
    t.commit();
    return out;
}

} // namespace posteo
