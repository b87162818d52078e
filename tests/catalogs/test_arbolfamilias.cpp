// The families tree built from rows in any order, and the loops it must not make.

#include "catalogs/Familias.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <random>

#include <gtest/gtest.h>

namespace {

// "child>parent" lines of a tree, parents as codes ("" at the top), sorted.
QStringList Aristas(const ArbolFamilias &a)
{
    QStringList r;
    for (int i : a.raices)
        r << a.familias[i].codigo + QStringLiteral(">");
    for (size_t p = 0; p < a.hijos.size(); ++p)
        for (int h : a.hijos[p])
            r << a.familias[h].codigo + QLatin1Char('>') + a.familias[p].codigo;
    r.sort();
    return r;
}

std::vector<FamiliaArbol> SeisNiveles()
{
    std::vector<FamiliaArbol> filas;
    QString padre;
    for (int nivel = 0; nivel < 6; ++nivel) {
        for (int k = 0; k < 3; ++k) {
            const QString codigo = QStringLiteral("N%1K%2").arg(nivel).arg(k);
            filas.push_back({codigo, QStringLiteral("FAMILIA ") + codigo, k == 0 ? padre : QStringLiteral("N0K0")});
        }
        padre = QStringLiteral("N%1K0").arg(nivel);
    }
    return filas;
}

} // namespace

TEST(ArbolFamilias, EveryFamilyUnderItsParentWhateverTheRowOrder)
{
    // The child "0X" sorts before its parent "A1": read first, it must not be lost.
    const std::vector<FamiliaArbol> filas = {{"A", "RAIZ", ""}, {"A1", "HIJA", "A"}, {"0X", "NIETA", "A1"}};
    const ArbolFamilias a = ConstruirArbol(filas);
    EXPECT_EQ(Aristas(a), (QStringList{"0X>A1", "A1>A", "A>"}));

    std::vector<FamiliaArbol> grandes = SeisNiveles();
    const QStringList esperado = Aristas(ConstruirArbol(grandes));
    EXPECT_EQ(esperado.size(), static_cast<int>(grandes.size()));
    std::mt19937 azar(7);
    for (int vuelta = 0; vuelta < 20; ++vuelta) {
        std::shuffle(grandes.begin(), grandes.end(), azar);
        ASSERT_EQ(Aristas(ConstruirArbol(grandes)), esperado) << "vuelta " << vuelta;
    }
}

TEST(ArbolFamilias, OrphansSelfParentsAndLoopsHangFromTheTopOnce)
{
    const std::vector<FamiliaArbol> filas = {
        {"H", "HUERFANA", "NOEXISTE"}, {"S", "SU PROPIA MADRE", "S"},
        {"L1", "LAZO 1", "L2"},        {"L2", "LAZO 2", "L1"},
        {"L3", "BAJO EL LAZO", "L2"},  {" P ", "CON BLANCOS", ""},
        {"Q", "HIJA DE P", " P"}};
    const ArbolFamilias a = ConstruirArbol(filas);
    // Exactly one edge per family: nothing lost, nothing twice.
    const QStringList aristas = Aristas(a);
    EXPECT_EQ(aristas.size(), static_cast<int>(filas.size()));
    EXPECT_TRUE(aristas.contains("H>"));
    EXPECT_TRUE(aristas.contains("S>"));
    EXPECT_TRUE(aristas.contains("Q>P"));
    EXPECT_TRUE(aristas.contains("L3>L2"));
    // The loop is broken at one place: one of the pair at the top, the other under it.
    EXPECT_TRUE((aristas.contains("L1>") && aristas.contains("L2>L1"))
                || (aristas.contains("L2>") && aristas.contains("L1>L2")));
}

TEST(ArbolFamilias, NodeTextCarriesTheCodeInItsFirstFifteenCharacters)
{
    const QString t = TextoNodo(QStringLiteral(" ABA "), QStringLiteral(" ABARROTES "));
    EXPECT_EQ(t, QStringLiteral("ABA                 ABARROTES"));
    EXPECT_EQ(CodigoDeNodo(t), QStringLiteral("ABA"));
    EXPECT_EQ(NombreDeNodo(t), QStringLiteral("ABARROTES"));
    EXPECT_EQ(CodigoDeNodo(TextoNodo(QStringLiteral("123456789012345"), QStringLiteral("X"))),
              QStringLiteral("123456789012345"));
    EXPECT_EQ(CodigoDeNodo(kRaizFamilias.left(15)), QString());
}

TEST(ArbolFamilias, AFamilyCannotBecomeItsOwnAncestor)
{
    const QHash<QString, QString> padres = {{"A", ""}, {"B", "A"}, {"C", "B"}, {"X", "Y"}, {"Y", "X"}};
    const auto padreDe = [&](const QString &c) { return padres.value(c); };
    EXPECT_TRUE(FormariaCiclo("A", "A", padreDe));
    EXPECT_TRUE(FormariaCiclo("A", "C", padreDe));  // A under its grandchild
    EXPECT_TRUE(FormariaCiclo("B", "C", padreDe));
    EXPECT_FALSE(FormariaCiclo("C", "A", padreDe));
    EXPECT_FALSE(FormariaCiclo("A", "", padreDe));
    // A loop elsewhere does not hang the check.
    EXPECT_FALSE(FormariaCiclo("A", "X", padreDe));
}
