// Stock and cost update of a 100-line purchase receipt in one transaction, against the
// floor of the same statements run bare (prepared once, constant values, no logic) on the
// same databases in the same run. Every receipt is rolled back, so each run sees the same rows.
#include "records/ActualizacionInventarioCompra.h"
#include "data/CreacionBases.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr int kLineas = 100;
constexpr int kComponentes = 10;  // the first articles are components of two kits

QString Codigo(int i) { return QStringLiteral("BENCH-%1").arg(i, 3, 10, QLatin1Char('0')); }

void Ejecutar(db::Database &d, const QString &sql)
{
    db::Transaction t(d);
    db::Query q(&d, &t);
    q.setSql(sql);
    q.execQuery();
    q.close();
    t.commit();
}

void PrepararArticulos(db::Database &inv)
{
    for (int i = 0; i < kLineas; ++i)
        Ejecutar(inv, QStringLiteral(
            "insert into INVENTARIO (COD_BARRAS, NOMBRE, STOCK, COSTO_PROMEDIO, PRECIO_COMPRA, GRAVADO, PORC_IV, "
            "ACTUALIZAR_EXIST, REDONDEA_PRECIO_FINAL, BASECALCULO_1, COEFA_1, REDONDEO_1, PREVEN_1, BASECALCULO_2, "
            "COEFA_2, BASECALCULO_3, COEFA_3, BASECALCULO_4, PREVEN_4) values ('%1', 'ARTICULO %1', %2, 100, 100, '%3', "
            "13, 'S', 'S', 1, 30, 0, 1300, 3, -5, 2, 0, 0, 1500)")
                           .arg(Codigo(i)).arg(10 + i % 7).arg(i % 4 ? "S" : "N"));
    for (const char *kit : {"KIT-A", "KIT-B"})
        Ejecutar(inv, QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE) values ('%1', 'KIT')").arg(kit));
    for (int i = 0; i < kComponentes; ++i)
        Ejecutar(inv, QStringLiteral("insert into COMPUESTO (COD_BARRAS, COD_ARTICULO, CANTIDAD, COSTO) values "
                                     "('%1', '%2', 2, 100)").arg(i % 2 ? "KIT-A" : "KIT-B", Codigo(i)));
}

std::vector<LineaCompra> Recibo()
{
    std::vector<LineaCompra> lineas;
    for (int i = 0; i < kLineas; ++i) {
        LineaCompra l;
        l.codBarras = Codigo(i);
        l.nombre = QStringLiteral("ARTICULO ") + l.codBarras;
        l.codFamilia = QStringLiteral("CUI-HIG");
        l.cantidad = Currency(3 + i % 5);
        l.imporeCosto = l.impUnitSinIv = Currency(120 + i);
        l.impUnitConIv = Currency::fromDouble((120 + i) * 1.13L);
        l.precioVenta = Currency(1500);
        l.porceDesc = Currency(i % 3 ? 0 : 5);
        l.gravado = i % 4 ? QStringLiteral("S") : QStringLiteral("N");
        l.ivi = i % 8 == 1 ? QStringLiteral("S") : QStringLiteral("N");
        lineas.push_back(l);
    }
    return lineas;
}

struct Bases {
    db::Database tienda, inventario;
    db::Transaction transTienda{tienda}, transInventario{inventario};
};

double Medir(Bases &b, const std::function<void()> &cuerpo)
{
    QElapsedTimer t;
    t.start();
    cuerpo();
    const double ms = t.nsecsElapsed() / 1e6;
    b.transInventario.rollback();
    b.transTienda.rollback();
    return ms;
}

// The statements the update runs for each line, with fixed values.
class Piso {
public:
    explicit Piso(Bases &b)
        : lectura(&b.inventario, &b.transInventario), existencia(&b.inventario, &b.transInventario),
          nueva(&b.inventario, &b.transInventario), costoCompuesto(&b.inventario, &b.transInventario),
          compuestos(&b.inventario, &b.transInventario), bloqueo(&b.inventario, &b.transInventario),
          suma(&b.inventario, &b.transInventario), precio(&b.inventario, &b.transInventario),
          articulo(&b.inventario, &b.transInventario),
          movimiento(&b.tienda, &b.transTienda)
    {
        QStringList cols{"STOCK", "COSTO_PROMEDIO", "PRECIO_COMPRA", "ACTUALIZAR_EXIST", "PORC_IV", "REDONDEA_PRECIO_FINAL"};
        for (int n = 1; n <= 4; ++n)
            for (const char *c : {"BASECALCULO_", "PREVEN_", "COEFA_", "COEFB_", "SUMAFIJA_", "REDONDEO_", "PRECIOSINIV_",
                                  "PRECIOCONIV_"})
                cols << QLatin1String(c) + QString::number(n);
        lectura.setSql("select " + cols.join(", ") + " from INVENTARIO where COD_BARRAS = :Codigo with lock");
        existencia.setSql("update EXISTENCIAS\n set EXISTENCIA = EXISTENCIA + :cantidad\n where COD_BODEGA = :codbodega\n"
                          " and COD_ART = :codArt");
        nueva.setSql("insert into EXISTENCIAS(COD_ART,COD_BODEGA,EXISTENCIA,RESERVA_APARTADOS,RESERVA_PREFACTURAS)\n"
                     "values(:COD_ART,:COD_BODEGA,:EXISTENCIA,0,0)");
        costoCompuesto.setSql("update compuesto set costo = :precio where cod_articulo = :CodArt");
        compuestos.setSql("select COD_BARRAS from compuesto\nwhere cod_articulo = :CodArt\norder by NUM_LINEA");
        bloqueo.setSql("select COD_BARRAS from INVENTARIO where COD_BARRAS = :Codigo with lock");
        suma.setSql("select sum(costo*cantidad) as total from compuesto\nwhere cod_barras = :CodArt");
        precio.setSql("update INVENTARIO set PRECIO_COMPRA = :preciocompra where COD_BARRAS = :Codigo");
        articulo.setSql("UPDATE INVENTARIO\nSET STOCK = :stock\n,\nPREVEN_1 = :prevenuno,PRECIOSINIV_1 = :psivuno,"
                        "PRECIOCONIV_1 = :pcivuno\n,PREVEN_2 = :prevendos,PRECIOSINIV_2 = :psivdos,PRECIOCONIV_2 = :pcivdos\n"
                        ",PREVEN_3 = :preventres,PRECIOSINIV_3 = :psivtres,PRECIOCONIV_3 = :pcivtres\n"
                        ",COSTO_PROMEDIO = :costopro\n,PRECIO_COMPRA = :preciocompra\n,FK_PROVEEDOR = :codproveedor\n"
                        ",FECHA_ULTIMACOMPRA = :fechaultcomp\n,GRAVADO = :gravado\n,IMPUESTO_INCLUIDO = :ivi\n"
                        ",COMPRA_MONEDA1 = :moneda1,COMPRA_MONEDA2 = :moneda2\nWHERE COD_BARRAS = :cod");
        movimiento.setSql(
            "insert into MOVIMIENTOS_STOCK\n"
            "(FECHA, TIPO_MOVIMIENTO, DESCRIPCION_MOV, FAMILIA, COD_BARRAS, NOMBRE_ARTICULO, COMPROBANTE,\n"
            " CANTIDAD, FRACCIONADO, CREATE_USERID, CREATE_TMSTMP, UPDATE_USERID, UPDATE_TMSTMP,\n"
            " TIPO_CAMBIO, TIPO_CAMBIO_2, ID_TRANSACCION)\n"
            "values (:vFECHA, :vTIPO_MOVIMIENTO, :vDESCRIPCION_MOV, :vFAMILIA, :vCOD_BARRAS, :vNOMBRE_ARTICULO,\n"
            " :vCOMPROBANTE, :vCANTIDAD, :vFRACCIONADO, :vCREATE_USERID, :vCREATE_TMSTMP, :vUPDATE_USERID,\n"
            " :vUPDATE_TMSTMP, :vTIPO_CAMBIO, :vTIPO_CAMBIO2, :vID_TRANSACCION)");
    }

    void Linea(const QString &cod, bool bodega)
    {
        lectura.paramByName("Codigo").setAsString(cod);
        lectura.execQuery();
        lectura.close();
        if (bodega) {
            existencia.paramByName("cantidad").setAsCurrency(Currency(3));
            existencia.paramByName("codbodega").setAsString("001");
            existencia.paramByName("codArt").setAsString(cod);
            existencia.execQuery();
            if (existencia.rowsAffected() == 0) {
                nueva.paramByName("COD_ART").setAsString(cod);
                nueva.paramByName("COD_BODEGA").setAsString("001");
                nueva.paramByName("EXISTENCIA").setAsCurrency(Currency(3));
                nueva.execQuery();
            }
        }
        costoCompuesto.paramByName("precio").setAsCurrency(Currency(120));
        costoCompuesto.paramByName("CodArt").setAsString(cod);
        costoCompuesto.execQuery();
        if (costoCompuesto.rowsAffected() > 0) {
            QStringList kits;
            compuestos.paramByName("CodArt").setAsString(cod);
            for (compuestos.execQuery(); !compuestos.eof(); compuestos.next())
                kits << compuestos.field(0).asString();
            for (const QString &kit : kits) {
                bloqueo.paramByName("Codigo").setAsString(kit);
                bloqueo.execQuery();
                bloqueo.close();
                suma.paramByName("CodArt").setAsString(kit);
                suma.execQuery();
                suma.close();
                precio.paramByName("preciocompra").setAsCurrency(Currency(2400));
                precio.paramByName("Codigo").setAsString(kit);
                precio.execQuery();
            }
        }
        for (const char *p : {"stock", "prevenuno", "psivuno", "pcivuno", "prevendos", "psivdos", "pcivdos", "preventres",
                              "psivtres", "pcivtres", "costopro", "preciocompra"})
            articulo.paramByName(p).setAsCurrency(Currency(150));
        articulo.paramByName("codproveedor").setAsInteger(12);
        articulo.paramByName("fechaultcomp").setAsDate(QDate(2024, 3, 4));
        articulo.paramByName("gravado").setAsString("S");
        articulo.paramByName("ivi").setAsString("N");
        articulo.paramByName("moneda1").setAsCurrency(Currency(520));
        articulo.paramByName("moneda2").setAsCurrency(Currency(1));
        articulo.paramByName("cod").setAsString(cod);
        articulo.execQuery();
        const QDateTime fecha(QDate(2024, 3, 4), QTime(0, 0));
        movimiento.paramByName("vFECHA").setAsDateTime(fecha);
        movimiento.paramByName("vTIPO_MOVIMIENTO").setAsInteger(3);
        movimiento.paramByName("vDESCRIPCION_MOV").setAsString("Factura de Compra Nro.  - FB-1");
        movimiento.paramByName("vFAMILIA").setAsString("CUI-HIG");
        movimiento.paramByName("vCOD_BARRAS").setAsString(cod);
        movimiento.paramByName("vNOMBRE_ARTICULO").setAsString("ARTICULO " + cod);
        movimiento.paramByName("vCOMPROBANTE").setAsString("FB-1");
        movimiento.paramByName("vCANTIDAD").setAsCurrency(Currency(3));
        movimiento.paramByName("vFRACCIONADO").setAsString("N");
        movimiento.paramByName("vCREATE_USERID").setAsString("ADMIN");
        movimiento.paramByName("vCREATE_TMSTMP").setAsDateTime(fecha);
        movimiento.paramByName("vUPDATE_USERID").setAsString("ADMIN");
        movimiento.paramByName("vUPDATE_TMSTMP").setAsDateTime(fecha);
        movimiento.paramByName("vTIPO_CAMBIO").setAsCurrency(Currency(520));
        movimiento.paramByName("vTIPO_CAMBIO2").setAsCurrency(Currency(1));
        movimiento.paramByName("vID_TRANSACCION").setAsInteger(1);
        movimiento.execQuery();
    }

private:
    db::Query lectura, existencia, nueva, costoCompuesto, compuestos, bloqueo, suma, precio, articulo, movimiento;
};

double Mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rondas = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    QTemporaryDir dir;
    const auto conexion = [&](const char *rol) {
        return db::ConnectionParams{dir.filePath(QString::fromLatin1(rol) + ".fdb"), "SYSDBA", "", "", "UTF8"};
    };
    CrearBase(conexion("tienda"), "tienda", true);
    CrearBase(conexion("inventario"), "inventario", true);
    Bases b;
    b.tienda.open(conexion("tienda"));
    b.inventario.open(conexion("inventario"));
    PrepararArticulos(b.inventario);

    AjustesActualizacionCompra ajustes;
    ajustes.precios.descuentoEnPrecioCompra = true;
    ajustes.tipoCambio = Currency(520);
    ajustes.tipoCambio2 = Currency(1);
    ajustes.usuario = "ADMIN";
    ActualizadorInventarioCompra act(b.tienda, b.transTienda, b.inventario, b.transInventario, ajustes);
    Piso piso(b);
    const std::vector<LineaCompra> lineas = Recibo();

    std::printf("recibo de %d lineas (%d componentes de 2 kits), %d rondas, cada recibo en una transaccion y deshecho\n",
                kLineas, kComponentes, rondas);
    for (const bool bodega : {false, true}) {
        FacturaCompraPosteo f;
        f.idCompra = 1;
        f.comprobante = "FB-1";
        f.fecha = QDate(2024, 3, 4);
        f.codProveedor = 12;
        f.inventarioPrincipal = !bodega;
        f.codBodega = bodega ? "001" : "";
        std::vector<double> tActualizador, tPiso;
        for (int r = 0; r < rondas + 2; ++r) {
            const double a = Medir(b, [&] {
                try {
                    act.ActualizarLineas(f, lineas);
                } catch (const ErrorRegistro &e) {
                    std::fprintf(stderr, "fallo: %s %s\n", qPrintable(e.mensaje()), qPrintable(e.detalle()));
                    std::exit(1);
                }
            });
            const double p = Medir(b, [&] {
                for (const LineaCompra &l : lineas)
                    piso.Linea(l.codBarras, bodega);
            });
            if (r >= 2) {  // the first rounds prepare the statements
                tActualizador.push_back(a);
                tPiso.push_back(p);
            }
        }
        const double ma = Mediana(tActualizador), mp = Mediana(tPiso);
        std::printf("%-22s actualizacion: %7.2f ms (min %6.2f)   piso: %7.2f ms (min %6.2f)   relacion: %.2fx\n",
                    bodega ? "destino bodega:" : "inventario principal:", ma,
                    *std::min_element(tActualizador.begin(), tActualizador.end()), mp,
                    *std::min_element(tPiso.begin(), tPiso.end()), ma / mp);
    }
    return 0;
}
