// Prepared insert and select throughput: the db layer against the same statements written
// directly on the Firebird API, on the same database in the same run.
#include "platform/db/Database.h"
#include "platform/db/Firebird.h"
#include "platform/db/Query.h"
#include "platform/db/ScriptRunner.h"
#include "platform/db/Transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ibase.h>

using namespace Firebird;

namespace {
int kFilas = 50000;
// Codes made before timing, so both sides do the same work per row.
QStringList codigos;
QList<QByteArray> codigosLatin;
const char *kInsert =
    "insert into BENCH (ID, COD, NOMBRE, CANT, COSTO, PRECIO, IMP, DESCU, FECHA, FLAG, PROV, EXIST, NOTA, TASA, CAJA) "
    "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
const char *kInsertNamed =
    "insert into BENCH (ID, COD, NOMBRE, CANT, COSTO, PRECIO, IMP, DESCU, FECHA, FLAG, PROV, EXIST, NOTA, TASA, CAJA) "
    "values (:ID, :COD, :NOMBRE, :CANT, :COSTO, :PRECIO, :IMP, :DESCU, :FECHA, :FLAG, :PROV, :EXIST, :NOTA, :TASA, :CAJA)";
const char *kSelect = "select ID, COD, NOMBRE, CANT, COSTO, PRECIO, IMP, DESCU, FECHA, FLAG, PROV, EXIST, NOTA, TASA, CAJA "
                      "from BENCH where ID between ? and ?";

__attribute__((noinline)) double raw_insert(db::Database &d, int base)
{
    db::Status st;
    db::Transaction tx(d);
    ITransaction *tra = tx.ensureActive();
    IStatement *stmt = d.attachment()->prepare(&st, tra, 0, kInsert, SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA);
    IMessageMetadata *meta = stmt->getInputMetadata(&st);
    std::vector<unsigned char> buf(meta->getMessageLength(&st));
    std::vector<unsigned> off(15), nul(15);
    for (unsigned i = 0; i < 15; ++i) {
        off[i] = meta->getOffset(&st, i);
        nul[i] = meta->getNullOffset(&st, i);
    }
    QElapsedTimer t;
    t.start();
    for (int r = 0; r < kFilas; ++r) {
        std::memset(buf.data(), 0, buf.size());
        auto put32 = [&](int i, ISC_LONG v) { std::memcpy(&buf[off[i]], &v, 4); };
        auto put64 = [&](int i, ISC_INT64 v) { std::memcpy(&buf[off[i]], &v, 8); };
        auto putd = [&](int i, double v) { std::memcpy(&buf[off[i]], &v, 8); };
        auto puts = [&](int i, const char *s) {
            unsigned short n = static_cast<unsigned short>(std::strlen(s));
            std::memcpy(&buf[off[i]], &n, 2);
            std::memcpy(&buf[off[i] + 2], s, n);
        };
        put32(0, base + r);
        puts(1, codigosLatin[r].constData());
        puts(2, "ACETAMINOFEN 500 MG X 100 TABLETAS");
        putd(3, 3.5);
        put64(4, 1234567);
        put64(5, 2345678);
        put64(6, 1300);
        putd(7, 10.0);
        ISC_DATE f = db::util()->encodeDate(2026, 12, 6);
        std::memcpy(&buf[off[8]], &f, 4);
        puts(9, "S");
        put32(10, 12);
        putd(11, 100.25);
        puts(12, "NOTA DE PRUEBA");
        put64(13, 5200000);
        put32(14, 1);
        stmt->execute(&st, tra, meta, buf.data(), nullptr, nullptr);
    }
    const double s = t.nsecsElapsed() / 1e9;
    meta->release();
    stmt->free(&st);
    tx.commit();
    return s;
}

__attribute__((noinline)) double wrapped_insert(db::Database &d, int base)
{
    db::Transaction tx(d);
    db::Query q(&d, &tx);
    const QString sql = QString::fromLatin1(kInsertNamed);
    QElapsedTimer t;
    t.start();
    for (int r = 0; r < kFilas; ++r) {
        q.setSql(sql);  // as callers do: set the text, bind, run
        q.paramByName("ID").setAsInteger(base + r);
        q.paramByName("COD").setAsString(codigos[r]);
        q.paramByName("NOMBRE").setAsString(QStringLiteral("ACETAMINOFEN 500 MG X 100 TABLETAS"));
        q.paramByName("CANT").setAsFloat(3.5);
        q.paramByName("COSTO").setAsCurrency(Currency::fromRaw(1234567));
        q.paramByName("PRECIO").setAsCurrency(Currency::fromRaw(2345678));
        q.paramByName("IMP").setAsCurrency(Currency::fromRaw(1300));
        q.paramByName("DESCU").setAsFloat(10.0);
        q.paramByName("FECHA").setAsDate(QDate(2026, 12, 6));
        q.paramByName("FLAG").setAsString(QStringLiteral("S"));
        q.paramByName("PROV").setAsInteger(12);
        q.paramByName("EXIST").setAsFloat(100.25);
        q.paramByName("NOTA").setAsString(QStringLiteral("NOTA DE PRUEBA"));
        q.paramByName("TASA").setAsCurrency(Currency::fromRaw(5200000));
        q.paramByName("CAJA").setAsInteger(1);
        q.execQuery();
    }
    const double s = t.nsecsElapsed() / 1e9;
    tx.commit();
    return s;
}

__attribute__((noinline)) double raw_select(db::Database &d, double &checksum)
{
    db::Status st;
    db::Transaction tx(d, db::TransactionKind::Read);
    ITransaction *tra = tx.ensureActive();
    IStatement *stmt = d.attachment()->prepare(&st, tra, 0, kSelect, SQL_DIALECT_V6, IStatement::PREPARE_PREFETCH_METADATA);
    IMessageMetadata *in = stmt->getInputMetadata(&st);
    IMessageMetadata *out = stmt->getOutputMetadata(&st);
    std::vector<unsigned char> ib(in->getMessageLength(&st)), ob(out->getMessageLength(&st));
    ISC_LONG lo = 0, hi = 1 << 30;
    std::memcpy(&ib[in->getOffset(&st, 0)], &lo, 4);
    std::memcpy(&ib[in->getOffset(&st, 1)], &hi, 4);
    std::vector<unsigned> off(15);
    for (unsigned i = 0; i < 15; ++i)
        off[i] = out->getOffset(&st, i);
    QElapsedTimer t;
    t.start();
    IResultSet *rs = stmt->openCursor(&st, tra, in, ib.data(), out, 0);
    while (rs->fetchNext(&st, ob.data()) == IStatus::RESULT_OK) {
        ISC_INT64 costo;
        double cant;
        unsigned short len;
        std::memcpy(&costo, &ob[off[4]], 8);
        std::memcpy(&cant, &ob[off[3]], 8);
        std::memcpy(&len, &ob[off[2]], 2);
        QString nombre = QString::fromUtf8(reinterpret_cast<const char *>(&ob[off[2] + 2]), len);
        checksum += costo / 100.0 + cant + nombre.size();
    }
    rs->close(&st);
    const double s = t.nsecsElapsed() / 1e9;
    in->release();
    out->release();
    stmt->free(&st);
    tx.commit();
    return s;
}

__attribute__((noinline)) double wrapped_select(db::Database &d, double &checksum)
{
    db::Transaction tx(d, db::TransactionKind::Read);
    db::Query q(&d, &tx);
    QElapsedTimer t;
    t.start();
    q.setSql("select ID, COD, NOMBRE, CANT, COSTO, PRECIO, IMP, DESCU, FECHA, FLAG, PROV, EXIST, NOTA, TASA, CAJA "
             "from BENCH where ID between :a and :b");
    q.paramByName("a").setAsInteger(0);
    q.paramByName("b").setAsInteger(1 << 30);
    q.execQuery();
    const int iCosto = q.fieldIndex("COSTO"), iCant = q.fieldIndex("CANT"), iNombre = q.fieldIndex("NOMBRE");
    while (!q.eof()) {
        checksum += q.field(iCosto).asCurrency().toDouble() + q.field(iCant).asFloat() + q.field(iNombre).asString().size();
        q.next();
    }
    const double s = t.nsecsElapsed() / 1e9;
    tx.commit();
    return s;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1)
        kFilas = std::max(100, std::atoi(argv[1]));  // fewer rows for instruction counts under callgrind
    QTemporaryDir dir;
    db::Database d;
    d.create({dir.filePath("bench.fdb"), "SYSDBA", "", "", "UTF8"});
    db::RunScript(d, "create table BENCH (ID integer primary key, COD varchar(30), NOMBRE varchar(200), CANT double precision, "
                     "COSTO numeric(18,2), PRECIO numeric(18,2), IMP numeric(18,2), DESCU double precision, FECHA date, "
                     "FLAG varchar(1), PROV integer, EXIST double precision, NOTA varchar(100), TASA numeric(18,4), CAJA integer)");
    for (int r = 0; r < kFilas; ++r) {
        codigos << QStringLiteral("ART%1").arg(r, 8, 10, QLatin1Char('0'));
        codigosLatin << codigos.back().toUtf8();
    }
    // Warm up the engine and the page cache once.
    raw_insert(d, 10000000);
    std::printf("filas por prueba: %d (15 columnas)\n", kFilas);
    double ri = 0, wi = 0, rs = 0, ws = 0, ck1 = 0, ck2 = 0;
    for (int rep = 0; rep < 3; ++rep) {
        ri += raw_insert(d, rep * 2 * kFilas);
        wi += wrapped_insert(d, rep * 2 * kFilas + kFilas);
    }
    for (int rep = 0; rep < 3; ++rep) {
        rs += raw_select(d, ck1);
        ws += wrapped_select(d, ck2);
    }
    std::printf("insert  API directa: %8.0f filas/s   capa db: %8.0f filas/s   costo de la capa: %+.1f %%\n",
                3 * kFilas / ri, 3 * kFilas / wi, 100.0 * (wi - ri) / ri);
    const double filasSel = 3.0 * 7 * kFilas;
    std::printf("select  API directa: %8.0f filas/s   capa db: %8.0f filas/s   costo de la capa: %+.1f %%\n",
                filasSel / rs, filasSel / ws, 100.0 * (ws - rs) / rs);
    return ck1 == ck2 ? 0 : 2;
}
