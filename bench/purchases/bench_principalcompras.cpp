// Purchases browser over a store with 1,000,000 purchase invoices: time to the first painted
// screen and resident memory, against the same window over the demo data.
//
//   bench_principalcompras                  demo, 100,000 and 1,000,000 invoices, then with an
//                                           ordering index; each measured in a fresh process
//   bench_principalcompras medir <dir> <t>  one measurement over the databases in <dir>
//
// Invoices are 1000 a day up to today, inserted in date order, so a month holds about 30,000
// of them whatever the size of the table; 100,000 and 1,000,000 invoices are compared.
#include "host/Comp_exports.h"
#include "data/Comp_fdatos.h"
#include "purchases/Comp_frmprincipalcompras.h"
#include "data/CreacionBases.h"
#include "platform/db/Database.h"
#include "common/Estacion.h"
#include "platform/db/Firebird.h"
#include "platform/db/ScriptRunner.h"
#include "platform/db/Transaction.h"
#include "platform/VariablesHost.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QComboBox>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <ibase.h>

namespace {

constexpr int kPorDia = 1000;

long KbDe(const char *clave)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &linea : f.readAll().split('\n'))
        if (linea.startsWith(clave))
            return linea.mid(static_cast<int>(qstrlen(clave))).trimmed().split(' ').value(0).toLong();
    return -1;
}

db::ConnectionParams Conexion(const QString &dir, const QString &rol)
{
    return {dir + QLatin1Char('/') + rol + QStringLiteral(".fdb"), QStringLiteral("SYSDBA"), {}, {}, QStringLiteral("UTF8")};
}

// Events until the grid shows a screenful (or everything) and the window has been painted.
double PrimeraPantalla(TfrmPrincipalCompras *frm, const QElapsedTimer &t)
{
    db::Dataset *ds = FDatosComp->TFacturasCompra;
    while ((ds->fetchedCount() < 20 && !ds->allFetched()) && t.elapsed() < 10000)
        QApplication::processEvents();
    QApplication::processEvents();
    frm->grab();
    return t.nsecsElapsed() / 1e6;
}

void Medida(const char *que, double ms)
{
    std::printf("  %-34s %7.1f ms  filas leídas %6d  RSS %7ld KB  pico %7ld KB\n", que, ms,
                FDatosComp->TFacturasCompra->fetchedCount(), KbDe("VmRSS:"), KbDe("VmHWM:"));
    std::fflush(stdout);
}

int Medir(const QString &dir, const QString &etiqueta)
{
    qputenv("COMPRAS_INI_DIR", dir.toLocal8Bit());
    CargarVariable(QStringLiteral("ComputerName"), QStringLiteral("BENCH"));
    CargarVariable(QStringLiteral("vUsuario"), QStringLiteral("ADMIN"));
    Estacion estacion(UbicacionBases::EnCarpeta(dir));
    estacion.AbrirBases();
    estacion.CargarRegistros(QStringLiteral("ADMIN"), 1);
    estacion.ConectarModulo(&ConectarBaseDatos, &ConectarConta);
    const int total = [&] {
        db::Transaction t(estacion.tienda, db::TransactionKind::Read);
        db::Query q(&estacion.tienda, &t);
        q.setSql(QStringLiteral("select count(*) from FACTURAS_COMPRA"));
        q.execQuery();
        return q.field(0).asInteger();
    }();
    std::printf("%s: %d facturas; RSS conectado %ld KB\n", qPrintable(etiqueta), total, KbDe("VmRSS:"));
    std::fflush(stdout);

    QElapsedTimer t;
    t.start();
    AbrirCompras(true);
    TfrmPrincipalCompras *frm = frmPrincipalCompras;
    Medida("abrir (del 1 del mes a hoy)", PrimeraPantalla(frm, t));

    auto *inicial = frm->findChild<QDateEdit *>(QStringLiteral("cmbFechaInicial"));
    auto *final = frm->findChild<QDateEdit *>(QStringLiteral("cmbFechaFinal"));
    const QDate mes = QDate::currentDate().addMonths(-1);
    t.restart();
    inicial->setDate(QDate(mes.year(), mes.month(), 1));
    final->setDate(QDate(mes.year(), mes.month(), mes.daysInMonth()));
    Medida("mes anterior completo", PrimeraPantalla(frm, t));

    t.restart();
    frm->ProveedorElegido(12, QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
    Medida("mes + proveedor", PrimeraPantalla(frm, t));
    frm->findChild<QLineEdit *>(QStringLiteral("edProveedor"))->setText(QStringLiteral("TODOS"));

    t.restart();
    frm->findChild<QLineEdit *>(QStringLiteral("edcomprobante"))->setText(QStringLiteral("0123"));
    Medida("mes + parte del número", PrimeraPantalla(frm, t));
    frm->findChild<QLineEdit *>(QStringLiteral("edcomprobante"))->clear();

    t.restart();
    frm->findChild<QComboBox *>(QStringLiteral("cbxOrden"))->setCurrentIndex(1);
    Medida("mes por número", PrimeraPantalla(frm, t));
    t.restart();
    frm->findChild<QComboBox *>(QStringLiteral("cbxOrden"))->setCurrentIndex(2);
    Medida("mes por proveedor", PrimeraPantalla(frm, t));
    t.restart();
    frm->findChild<QComboBox *>(QStringLiteral("cbxOrden"))->setCurrentIndex(0);
    Medida("mes por fecha", PrimeraPantalla(frm, t));

    // Scrolling to the end reads the whole month, and only the month.
    auto *grid = frm->findChild<QTableView *>(QStringLiteral("SMDBGrid1"));
    t.restart();
    while (grid->model()->canFetchMore({})) {
        grid->scrollToBottom();
        QApplication::processEvents();
    }
    frm->grab();
    Medida("bajar hasta el final del mes", t.nsecsElapsed() / 1e6);
    frm->close();
    QApplication::processEvents();
    delete FDatosComp;
    return 0;
}

void Plan(db::Database &base, const char *titulo, const QString &sql)
{
    db::Status st;
    db::Transaction tx(base, db::TransactionKind::Read);
    Firebird::IStatement *stmt =
        base.attachment()->prepare(&st, tx.ensureActive(), 0, sql.toUtf8().constData(), SQL_DIALECT_V6, 0);
    std::printf("  %-20s %s\n", titulo, QByteArray(stmt->getPlan(&st, false)).trimmed().constData());
    stmt->free(&st);
    tx.commit();
}

void Planes(const QString &dir)
{
    db::Database base;
    base.open(Conexion(dir, QStringLiteral("tienda")));
    // The browser's statements with positional parameters.
    const QString periodo = QStringLiteral("select * from FACTURAS_COMPRA where COMPROBANTE <> ''\n"
                                           "and FECHA >= ? and FECHA <= ?\n");
    Plan(base, "periodo por fecha", periodo + QStringLiteral(" order by FECHA, COMPROBANTE, NOMBRE"));
    Plan(base, "periodo por número", periodo + QStringLiteral(" order by COMPROBANTE, FECHA, NOMBRE"));
    Plan(base, "periodo + proveedor",
         periodo + QStringLiteral(" and CODIGO_PROVEEDOR = ?\n order by FECHA, COMPROBANTE, NOMBRE"));
    Plan(base, "todas las fechas",
         QStringLiteral("select * from FACTURAS_COMPRA where COMPROBANTE <> ''\n order by FECHA, COMPROBANTE, NOMBRE"));
}

void Ejecutar(db::Database &base, const QString &sql)
{
    db::Transaction tx(base);
    base.executeImmediate(tx, sql);
    tx.commit();
}

void Generar(const QString &dir, int facturas)
{
    db::Database base;
    base.open(Conexion(dir, QStringLiteral("tienda")));
    QElapsedTimer t;
    t.start();
    // Chronological, as a store records them: invoice i falls on day i / 1000.
    Ejecutar(base, QStringLiteral(R"(execute block as
declare i integer = 0;
declare p integer;
declare d date;
declare n varchar(100);
begin
  d = current_date - %2;
  while (i < %1) do
  begin
    if (mod(i, %3) = 0) then d = d + 1;
    p = mod(i, 7);
    n = decode(p, 0, 'DISTRIBUIDORA FARMACEUTICA DEL VALLE S.A.', 1, 'LABORATORIOS CENTROAMERICANOS UNIDOS S.A.',
               2, 'DROGUERIA SAN MIGUEL LTDA.', 3, 'COMERCIALIZADORA EL ROBLE S.A.', 4, 'IMPORTADORA MEDICA INTERNACIONAL S.A.',
               5, 'CASA CENTRAL LA ESPERANZA', 'DISTRIBUIDORA DE REVISTAS Y LIBROS DEL NORTE S.A.');
    insert into FACTURAS_COMPRA (ID_COMPRA, FECHA, COMPROBANTE, CODIGO_PROVEEDOR, NOMBRE, CEDULA, TELEFONO,
        IMPORTE_DESCUENTO, PORC_DESCUENTO, IMPORTE_IV, IMPORTE_TOTAL, DIAS_CREDITO, EFECTIVO_CAJA, IMPORTE_EFECTIVO,
        IMPORTE_CHEQUE, IMPORTE_CREDITO, IMPORTE_NC, NUMERO_CHEQUE, SUBTOTAL_GRAVADO, SUBTOTAL_NO_GRAVADO,
        TOTAL_GRAVADO, TOTAL_NO_GRAVADO, ANULADA, USUARIO, FECHA_CARGA, TIPO_CAMBIO, TIPO_CAMBIO_2, MONEDA_CARGA,
        INVENTARIO_PRINCIPAL, COD_BODEGA, COMPUTADORA, NRO_CAJA)
    values (100000 + :i, :d, 'B' || lpad(:i, 9, '0'), decode(:p, 0, 1, 1, 5, 2, 8, 3, 12, 4, 15, 5, 20, 25), :n,
        '3-101-000000', '2222-0000', 0, 0, 1300, 11300 + mod(:i, 1000), 30, 'N', 0, 0, 11300, 0, '', 10000, 0,
        10000, 0, iif(mod(:i, 50) = 0, 'S', 'N'), 'ADMIN', cast(:d as timestamp), 520, 1, 1, 'S', '', 'BENCH', 1);
    i = i + 1;
  end
end)")
                       .arg(facturas)
                       .arg(facturas / kPorDia)
                       .arg(kPorDia));
    const double seg = t.nsecsElapsed() / 1e9;
    std::printf("generadas %d facturas en %.1f s (%.0f por segundo)\n", facturas, seg, facturas / seg);
    std::fflush(stdout);
    for (const char *ix : {"IX_FC_FECHA", "IX_FC_COMPROBANTE", "IX_FC_PROVEEDOR", "PK_FACTURAS_COMPRA"})
        Ejecutar(base, QStringLiteral("set statistics index %1").arg(QString::fromLatin1(ix)));
}

int Hijo(const QString &dir, const QString &etiqueta)
{
    QProcess p;
    QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
    entorno.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(entorno);
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("medir"), dir, etiqueta});
    p.waitForFinished(-1);
    return p.exitCode();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("medir"))
        return Medir(args[2], args[3]);

    auto crear = [](const QString &carpeta) {
        for (const QString &rol : RolesBases())
            CrearBase(Conexion(carpeta, rol), rol, true);
    };
    QTemporaryDir chico(QDir::tempPath() + QStringLiteral("/bench-compras-XXXXXX"));
    crear(chico.path());
    int rc = Hijo(chico.path(), QStringLiteral("demo"));
    Generar(chico.path(), 100 * kPorDia);
    rc |= Hijo(chico.path(), QStringLiteral("100.000 facturas (100 días)"));

    QTemporaryDir grande(QDir::tempPath() + QStringLiteral("/bench-compras-XXXXXX"));
    crear(grande.path());
    Generar(grande.path(), 1000 * kPorDia);
    std::printf("planes con los índices de tienda.sql:\n");
    Planes(grande.path());
    std::fflush(stdout);
    rc |= Hijo(grande.path(), QStringLiteral("1.000.000 facturas (1000 días)"));
    {
        db::Database base;
        base.open(Conexion(grande.path(), QStringLiteral("tienda")));
        // Beside the two-column index the optimizer keeps sorting; in its place it walks it.
        Ejecutar(base, QStringLiteral("drop index IX_FC_FECHA"));
        Ejecutar(base, QStringLiteral("create index IX_FC_FECHA on FACTURAS_COMPRA (FECHA, COMPROBANTE, NOMBRE)"));
    }
    std::printf("planes con IX_FC_FECHA en (FECHA, COMPROBANTE, NOMBRE):\n");
    Planes(grande.path());
    std::fflush(stdout);
    rc |= Hijo(grande.path(), QStringLiteral("1.000.000 facturas, IX_FC_FECHA de tres columnas"));
    return rc;
}
