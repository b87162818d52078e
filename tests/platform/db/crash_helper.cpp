// Test helper: leaves a grouped commit half done, as a crash would.
// Arguments: db0 db1 group value mode (prepared | half | first | insert). Exits with 3.
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

using namespace db;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() != 6)
        return 1;
    try {
        if (a[5] == "insert") {
            Database d;
            d.open({a[1], "SYSDBA", "", "", "UTF8"});
            Transaction t(d);
            Query q(&d, &t);
            q.setSql("insert into T values (:v)");
            q.paramByName("v").setAsInteger(a[4].toInt());
            q.execQuery();
            t.commit();
            return 3;  // detaches normally
        }
        Database d0, d1;
        d0.open({a[1], "SYSDBA", "", "", "UTF8"});
        d1.open({a[2], "SYSDBA", "", "", "UTF8"});
        Transaction t0(d0), t1(d1);
        for (auto [d, t] : {std::pair{&d0, &t0}, std::pair{&d1, &t1}}) {
            Query q(d, t);
            q.setSql("insert into T values (:v)");
            q.paramByName("v").setAsInteger(a[4].toInt());
            q.execQuery();
        }
        const QString tag = QStringLiteral("compras-2pc %1 ").arg(a[3]);
        // Membership rows commit on their own before the prepares, as the real coordinator does.
        int indice = 0;
        for (auto [d, t] : {std::pair{&d0, &t0}, std::pair{&d1, &t1}}) {
            Transaction aux(*d);
            Query m(d, &aux);
            m.setSql("insert into TRANSACCIONES_2PC_MIEMBROS (TRANSACCION, GRUPO, INDICE, TOTAL, FECHA) "
                     "values (:t, :g, :i, 2, timestamp '2000-01-01 00:00:00')");
            m.paramByName("t").setAsInteger(t->id());
            m.paramByName("g").setAsString(a[3]);
            m.paramByName("i").setAsInteger(++indice);
            m.execQuery();
            m.close();
            aux.commit();
        }
        Query marker(&d0, &t0);
        marker.setSql("insert into TRANSACCIONES_2PC (GRUPO) values (:g)");
        marker.paramByName("g").setAsString(a[3]);
        marker.execQuery();
        t0.prepare((tag + "1/2").toUtf8());
        if (a[5] != "first")
            t1.prepare((tag + "2/2").toUtf8());
        if (a[5] == "half")
            t0.commit();
        _exit(3); // no destructor runs: the prepared work stays in limbo
    } catch (const DbError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    _exit(3);
}
