// The item model the families window shows: the same tree ConstruirArbol builds, consistent
// for the view after every reload, and the folder images following open and closed nodes.

#include "catalogs/ModeloArbolFamilias.h"

#include <QAbstractItemModelTester>
#include <QGuiApplication>
#include <QPixmap>
#include <QSignalSpy>
#include <QStringList>

#include <algorithm>
#include <random>

#include <gtest/gtest.h>

namespace {

QStringList avisos;

void Registrar(QtMsgType tipo, const QMessageLogContext &, const QString &texto)
{
    if (tipo != QtDebugMsg && tipo != QtInfoMsg)
        avisos << texto;
}

// "child>parent" lines as the view walks the model, parents as codes ("" under the root node).
QStringList AristasModelo(const QAbstractItemModel &m, const QModelIndex &desde = {})
{
    QStringList r;
    for (int f = 0; f < m.rowCount(desde); ++f) {
        const QModelIndex n = m.index(f, 0, desde);
        EXPECT_EQ(m.parent(n), desde);
        if (desde.isValid())  // under the root node the parent is ""
            r << CodigoDeNodo(n.data().toString()) + QLatin1Char('>')
                     + (desde.parent().isValid() ? CodigoDeNodo(desde.data().toString()) : QString());
        r << AristasModelo(m, n);
    }
    return r;
}

// The same lines straight from rows whose parents all exist.
QStringList AristasFilas(const std::vector<FamiliaArbol> &filas)
{
    QStringList r;
    for (const FamiliaArbol &f : filas)
        r << f.codigo + QLatin1Char('>') + f.pertenece;
    return r;
}

// `n` families, five children each, level after level; the rows come shuffled.
std::vector<FamiliaArbol> Familias(int n, unsigned semilla)
{
    std::vector<FamiliaArbol> filas;
    std::vector<QString> nivel = {QString()};
    while (static_cast<int>(filas.size()) < n) {
        std::vector<QString> siguiente;
        for (const QString &padre : nivel)
            for (int k = 0; k < 5 && static_cast<int>(filas.size()) < n; ++k) {
                const QString codigo = (padre.isEmpty() ? QStringLiteral("F") : padre) + QString::number(k);
                filas.push_back({codigo, QStringLiteral("FAMILIA ") + codigo, padre});
                siguiente.push_back(codigo);
            }
        nivel = siguiente;
    }
    std::mt19937 azar(semilla);
    std::shuffle(filas.begin(), filas.end(), azar);
    return filas;
}

QIcon Icono(Qt::GlobalColor color)
{
    QPixmap p(4, 4);
    p.fill(color);
    return QIcon(p);
}

} // namespace

TEST(ModeloArbolFamilias, ShowsTheBuiltTreeAndStaysConsistentAcrossReloads)
{
    avisos.clear();
    const QtMessageHandler anterior = qInstallMessageHandler(Registrar);
    {
        ModeloArbolFamilias m;
        QAbstractItemModelTester probador(&m, QAbstractItemModelTester::FailureReportingMode::Warning);
        // Before any load: the root node alone.
        ASSERT_EQ(m.rowCount(), 1);
        EXPECT_EQ(m.rowCount(m.Raiz()), 0);
        EXPECT_EQ(m.Raiz().data().toString(), kRaizFamilias);
        EXPECT_FALSE(m.parent(m.Raiz()).isValid());

        for (const int n : {600, 40, 0, 155}) {
            const std::vector<FamiliaArbol> filas = Familias(n, static_cast<unsigned>(n));
            QStringList esperadas = AristasFilas(filas);
            m.Cargar(ConstruirArbol(filas));
            ASSERT_EQ(m.rowCount(), 1);
            QStringList vistas = AristasModelo(m);
            esperadas.sort();
            vistas.sort();
            EXPECT_EQ(vistas, esperadas) << n;
            EXPECT_EQ(vistas.size(), n);
            EXPECT_EQ(m.hasChildren(m.Raiz()), n > 0);
        }
        // Out of range asks give nothing rather than a node.
        EXPECT_FALSE(m.index(1, 0).isValid());
        EXPECT_FALSE(m.index(0, 1).isValid());
        EXPECT_FALSE(m.index(m.rowCount(m.Raiz()), 0, m.Raiz()).isValid());
        EXPECT_FALSE(m.index(-1, 0, m.Raiz()).isValid());
    }
    qInstallMessageHandler(anterior);
    EXPECT_TRUE(avisos.isEmpty()) << avisos.join('\n').toStdString();
}

TEST(ModeloArbolFamilias, FindsAFamilyByItsCodeAndItsChildrenInRowOrder)
{
    ModeloArbolFamilias m;
    m.Cargar(ConstruirArbol({{"A", "RAIZ", ""}, {"A2", "SEGUNDA", "A"}, {"A1", "PRIMERA", "A"}, {"B", "OTRA", "NOEXISTE"}}));
    const QModelIndex a = m.IndiceDe(QStringLiteral(" A "));
    ASSERT_TRUE(a.isValid());
    EXPECT_EQ(a.parent(), m.Raiz());
    EXPECT_EQ(a.data().toString(), TextoNodo("A", "RAIZ"));
    // Children keep the order of the rows given.
    ASSERT_EQ(m.rowCount(a), 2);
    EXPECT_EQ(m.index(0, 0, a), m.IndiceDe("A2"));
    EXPECT_EQ(m.index(1, 0, a), m.IndiceDe("A1"));
    EXPECT_EQ(m.IndiceDe("A1").row(), 1);
    EXPECT_EQ(m.IndiceDe("B").parent(), m.Raiz());  // orphan: under the root, not lost
    EXPECT_FALSE(m.IndiceDe("NOEXISTE").isValid());
    EXPECT_FALSE(m.IndiceDe("").isValid());
}

TEST(ModeloArbolFamilias, FolderImagesFollowOpenAndClosedNodes)
{
    ModeloArbolFamilias m;
    const QIcon hoja = Icono(Qt::green), abierta = Icono(Qt::blue), cerrada = Icono(Qt::red);
    m.setIconos({hoja, abierta, cerrada});
    m.Cargar(ConstruirArbol({{"A", "RAIZ", ""}, {"A1", "HIJA", "A"}}));
    const auto icono = [&](const QModelIndex &n) { return n.data(Qt::DecorationRole).value<QIcon>().cacheKey(); };
    const QModelIndex a = m.IndiceDe("A");
    EXPECT_EQ(icono(m.IndiceDe("A1")), hoja.cacheKey());
    EXPECT_EQ(icono(a), abierta.cacheKey());  // loaded open, as the window expands it
    EXPECT_EQ(icono(m.Raiz()), abierta.cacheKey());

    QSignalSpy cambios(&m, &QAbstractItemModel::dataChanged);
    m.MarcarAbierto(a, false);
    EXPECT_EQ(icono(a), cerrada.cacheKey());
    m.MarcarAbierto(a, false);  // no change, no signal
    ASSERT_EQ(cambios.count(), 1);
    EXPECT_EQ(cambios.at(0).at(0).toModelIndex(), a);
    m.MarcarAbierto(a, true);
    EXPECT_EQ(icono(a), abierta.cacheKey());
    EXPECT_EQ(cambios.count(), 2);
    // A reload opens everything again.
    m.MarcarAbierto(a, false);
    m.Cargar(ConstruirArbol({{"A", "RAIZ", ""}, {"A1", "HIJA", "A"}}));
    EXPECT_EQ(icono(m.IndiceDe("A")), abierta.cacheKey());
    // An index of another model is ignored.
    ModeloArbolFamilias otro;
    m.MarcarAbierto(otro.Raiz(), false);
    EXPECT_EQ(icono(m.Raiz()), abierta.cacheKey());
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
