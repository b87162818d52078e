// Opening the families window over 5,000 families six levels deep, and the units and
// locations windows over 1,000 rows each, against the bare select of the same rows.
#include "catalogs/Comp_frmfamilias.h"
#include "catalogs/Comp_frmubicaciones.h"
#include "catalogs/Comp_frmunidadmedida.h"
#include "common/Estacion.h"
#include "data/Comp_fdatos.h"
#include "data/CreacionBases.h"
#include "host/Comp_exports.h"
#include "platform/VariablesHost.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFamilias = 5000;
constexpr int kFilas = 1000;
constexpr int kVueltas = 5;

db::ConnectionParams Conexion(const QString &dir, const QString &rol)
{
    return {dir + QLatin1Char('/') + rol + QStringLiteral(".fdb"), QStringLiteral("SYSDBA"), {}, {}, QStringLiteral("UTF8")};
}

// 5,000 families: 5 at the top, each family with 5 children, down to six levels (the last
// level cut short). Inserted in reverse code order so children come before their parents.
void Llenar(const QString &dir)
{
    db::Database base;
    base.open(Conexion(dir, QStringLiteral("inventario")));
    db::Transaction tx(base);
    std::vector<std::pair<QString, QString>> familias;  // code, parent
    std::vector<QString> nivel = {QString()};
    while (static_cast<int>(familias.size()) < kFamilias) {
        std::vector<QString> siguiente;
        for (const QString &padre : nivel)
            for (int k = 0; k < 5 && static_cast<int>(familias.size()) < kFamilias; ++k) {
                const QString codigo = (padre.isEmpty() ? QStringLiteral("F") : padre) + QString::number(k);
                familias.push_back({codigo, padre});
                siguiente.push_back(codigo);
            }
        nivel = siguiente;
    }
    std::sort(familias.begin(), familias.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    db::Query q(&base, &tx);
    q.setSql(QStringLiteral("insert into FAMILIA (COD_FAMILIA, NOMBRE, ACTIVA, COD_PERTENECE, PROMOCION, NRO_ARTICULO)"
                            " values (:c, :n, 'S', :p, 'N', 1)"));
    for (const auto &[codigo, padre] : familias) {
        q.paramByName("c").setAsString(codigo);
        q.paramByName("n").setAsString(QStringLiteral("FAMILIA ") + codigo);
        q.paramByName("p").setAsString(padre);
        q.execQuery();
    }
    for (const char *tabla : {"UNIDAD_MEDIDA", "UBICACION"}) {
        q.setSql(QStringLiteral("insert into %1 (NOMBRE, NOTA) values (:n, 'NOTA')").arg(QLatin1String(tabla)));
        for (int i = 0; i < kFilas; ++i) {
            q.paramByName("n").setAsString(QStringLiteral("REGISTRO %1").arg(i, 5, 10, QLatin1Char('0')));
            q.execQuery();
        }
    }
    tx.commit();
}

double SelectDesnudo(db::Database &base, const QString &sql)
{
    QElapsedTimer t;
    t.start();
    db::Transaction tx(base, db::TransactionKind::Read);
    db::Query q(&base, &tx);
    q.setSql(sql);
    q.execQuery();
    int n = 0;
    while (!q.eof()) {
        q.row();
        ++n;
        q.next();
    }
    q.close();
    tx.commit();
    return t.nsecsElapsed() / 1e6;
}

template <class Abrir> double Mediana(Abrir abrir)
{
    std::vector<double> v;
    for (int i = 0; i < kVueltas; ++i)
        v.push_back(abrir());
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class Ventana> double AbrirVentana(TFDatosComp &datos)
{
    QElapsedTimer t;
    t.start();
    auto *v = new Ventana(datos);
    v->show();
    QApplication::processEvents();
    v->grab();
    const double ms = t.nsecsElapsed() / 1e6;
    v->setAttribute(Qt::WA_DeleteOnClose);
    v->close();
    QApplication::processEvents();
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/bench-catalogos-XXXXXX"));
    for (const QString &rol : RolesBases())
        CrearBase(Conexion(dir.path(), rol), rol, true);
    QElapsedTimer t;
    t.start();
    Llenar(dir.path());
    std::printf("llenado: %d familias (6 niveles), %d unidades, %d ubicaciones en %.0f ms\n", kFamilias, kFilas, kFilas,
                t.nsecsElapsed() / 1e6);

    qputenv("COMPRAS_INI_DIR", dir.path().toLocal8Bit());
    CargarVariable(QStringLiteral("ComputerName"), QStringLiteral("BENCH"));
    CargarVariable(QStringLiteral("vUsuario"), QStringLiteral("ADMIN"));
    Estacion estacion(UbicacionBases::EnCarpeta(dir.path()));
    estacion.AbrirBases();
    estacion.CargarRegistros(QStringLiteral("ADMIN"), 1);
    estacion.ConectarModulo(&ConectarBaseDatos, &ConectarConta);
    TFDatosComp &datos = *FDatosComp;

    const double selFam = Mediana([&] { return SelectDesnudo(estacion.inventario, QStringLiteral("select * from FAMILIA order by COD_FAMILIA")); });
    const double venFam = Mediana([&] { return AbrirVentana<TfrmFamilias>(datos); });
    const double selUni = Mediana([&] { return SelectDesnudo(estacion.inventario, QStringLiteral("select * from UNIDAD_MEDIDA order by NOMBRE")); });
    const double venUni = Mediana([&] { return AbrirVentana<TfrmUnidadMedida>(datos); });
    const double selUbi = Mediana([&] { return SelectDesnudo(estacion.inventario, QStringLiteral("select * from UBICACION order by NOMBRE")); });
    const double venUbi = Mediana([&] { return AbrirVentana<TfrmUbicaciones>(datos); });

    std::printf("mediana de %d vueltas        select     ventana   límite\n", kVueltas);
    std::printf("  familias (%d)          %7.1f ms %7.1f ms   300 ms\n", kFamilias, selFam, venFam);
    std::printf("  unidades de medida (%d) %7.1f ms %7.1f ms   100 ms\n", kFilas, selUni, venUni);
    std::printf("  ubicaciones (%d)        %7.1f ms %7.1f ms   100 ms\n", kFilas, selUbi, venUbi);
    delete FDatosComp;
    FDatosComp = nullptr;
    const bool ok = venFam < 300 && venUni < 100 && venUbi < 100;
    return ok ? 0 : 1;
}
