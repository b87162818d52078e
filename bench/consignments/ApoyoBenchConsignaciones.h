#pragma once
// What the consignment benches share: the articles' codes, the station's 100 work lines, the
// floor's statements prepared once, and the median.

#include "platform/db/Query.h"
#include "support/EntornoPrueba.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace bench_consig {

constexpr int kLineas = 100;

inline QString Codigo(int i) { return QStringLiteral("BEN-%1").arg(i, 3, 10, QLatin1Char('0')); }

// The station's work lines: 2 of each article at 100 plus 13 % tax.
inline void Trabajo(EntornoPrueba &env)
{
    db::Transaction t(env.tienda);
    db::Query q(&env.tienda, &t);
    q.setSql(QStringLiteral("insert into TEMPORAL_COMPRAS (COMPUTADORA, NRO_CAJA, COD_BARRAS, COD_FAMILIA, NOMBRE, CANTIDAD, "
                            "IMPORE_COSTO, IMP_UNIT_SIN_IV, IMP_UNIT_CON_IV, GRAVADO, IVI, PORCE_IV, PORCE_DESC, "
                            "IMPORTE_DESCUENTO, IMPORTE_TOLAL_IV, TOTAL_SIN_IV, TOTAL_CON_IV, PRECIO_VENTA, FRACCIONADO) "
                            "values ('PRUEBA', 1, :cod, 'MED-ANA', 'ARTICULO', 2, 100, 100, 113, 'S', 'N', 13, 0, 0, 26, "
                            "200, 226, 0, 'N')"));
    for (int i = 0; i < kLineas; ++i) {
        q.paramByName("cod").setAsString(Codigo(i));
        q.execQuery();
    }
    q.close();
    t.commit();
}

// Statements prepared once per text, closed and ready for their parameters.
class Sentencias {
public:
    db::Query &operator()(db::Database &b, db::Transaction &t, const QString &sql)
    {
        auto &q = cache_[sql];
        if (!q) {
            q = std::make_unique<db::Query>(&b, &t);
            q->setSql(sql);
        }
        q->close();
        return *q;
    }

private:
    std::map<QString, std::unique_ptr<db::Query>> cache_;
};

inline double Mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace bench_consig
