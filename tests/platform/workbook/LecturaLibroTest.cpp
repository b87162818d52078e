#include "platform/workbook/LibroHojas.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString fixture(const char *nombre) { return QStringLiteral(FIXTURES_DIR "/") + QLatin1String(nombre); }

QString errorAlLeer(const QString &archivo)
{
    try {
        LeerLibro(archivo);
    } catch (const ErrorLibro &e) {
        return e.mensaje();
    }
    return QString();
}

class LecturaFixture : public ::testing::TestWithParam<const char *> {};

// The same workbook saved by a spreadsheet program in the three formats.
TEST_P(LecturaFixture, HojasTextosNumerosYFechas)
{
    LibroHojas libro = LeerLibro(fixture(GetParam()));
    ASSERT_EQ(libro.hojas.size(), 2u);
    EXPECT_EQ(libro.hojas[0].nombre, QStringLiteral("Compras"));
    EXPECT_EQ(libro.hojas[1].nombre, QStringLiteral("Otra"));
    EXPECT_EQ(libro.indiceHoja(QStringLiteral("otra")), 1);
    const HojaLibro &h = libro.hojas[0];
    auto texto = [&](int f, int c) { return h.celda(f, c) ? TextoVisible(*h.celda(f, c), libro.fecha1904) : QString(); };
    EXPECT_EQ(texto(1, 1), QStringLiteral("Codigo"));
    EXPECT_EQ(texto(2, 1), QStringLiteral("0012345"));  // a code keeps its zeros
    EXPECT_EQ(texto(2, 2), QStringLiteral("Acetaminofén 500 mg"));
    EXPECT_EQ(texto(3, 2), QStringLiteral("Ñandú"));
    ASSERT_NE(h.celda(2, 3), nullptr);
    EXPECT_DOUBLE_EQ(h.celda(2, 3)->numero, 1234.5);
    EXPECT_DOUBLE_EQ(h.celda(3, 3)->numero, 0.125);
    EXPECT_EQ(FechaDeSerial(h.celda(2, 4)->numero, libro.fecha1904), QDate(2026, 12, 6));
    EXPECT_EQ(FechaDeSerial(h.celda(3, 4)->numero, libro.fecha1904), QDate(2027, 1, 31));
    EXPECT_EQ(texto(2, 5), QStringLiteral("3"));
    EXPECT_EQ(texto(3, 5), QStringLiteral("2.75"));
    EXPECT_EQ(h.celda(5, 1), nullptr);
    EXPECT_EQ(TextoVisible(*libro.hojas[1].celda(3, 2)), QStringLiteral("en otra hoja"));
}

INSTANTIATE_TEST_SUITE_P(Formatos, LecturaFixture, ::testing::Values("libro.xls", "libro.xlsx", "libro.ods"));

TEST(LecturaLibro, TextoComoLoMuestraLaHoja)
{
    for (const char *nombre : {"libro.xlsx", "libro.ods"}) {
        LibroHojas libro = LeerLibro(fixture(nombre));
        const HojaLibro &h = libro.hojas[0];
        EXPECT_EQ(TextoVisible(*h.celda(2, 3)), QStringLiteral("1,234.50")) << nombre;
        EXPECT_EQ(TextoVisible(*h.celda(3, 3)), QStringLiteral("0.13")) << nombre;
        EXPECT_EQ(TextoVisible(*h.celda(2, 4)), QStringLiteral("06/12/2026")) << nombre;
        ASSERT_NE(h.celda(4, 5), nullptr) << nombre;
        EXPECT_EQ(h.celda(4, 5)->tipo, CeldaLibro::Tipo::Formula) << nombre;
        EXPECT_EQ(TextoVisible(*h.celda(4, 5)), QStringLiteral("5.75")) << nombre;
        EXPECT_TRUE(h.celda(1, 1)->negrita) << nombre;
        EXPECT_FALSE(h.celda(2, 1)->negrita) << nombre;
    }
    LibroHojas xlsx = LeerLibro(fixture("libro.xlsx"));
    EXPECT_NEAR(xlsx.hojas[0].anchos.at(2), 30, 0.1);
}

TEST(LecturaLibro, FormatosDeNumeroYFecha)
{
    CeldaLibro c;
    c.tipo = CeldaLibro::Tipo::Numero;
    c.numero = -1234567.891;
    auto con = [&](const char *formato) {
        c.formato = QString::fromLatin1(formato);
        return TextoVisible(c);
    };
    EXPECT_EQ(con(""), QStringLiteral("-1234567.891"));
    EXPECT_EQ(con("#,##0.00"), QStringLiteral("-1,234,567.89"));
    EXPECT_EQ(con("#,##0.000"), QStringLiteral("-1,234,567.891"));
    EXPECT_EQ(con("0.00;[Red]-0.00"), QStringLiteral("-1234567.89"));
    c.numero = 0.256;
    EXPECT_EQ(con("0.0%"), QStringLiteral("25.6%"));
    c.numero = SerialDeFecha(QDate(2026, 3, 9)) + 0.75;
    EXPECT_EQ(con("mm/dd/yyyy"), QStringLiteral("03/09/2026"));
    EXPECT_EQ(con("d/m/yy h:mm"), QStringLiteral("9/3/26 18:00"));
    EXPECT_EQ(con("[$-409]dd-mmm-yyyy"), QDate(2026, 3, 9).toString(QStringLiteral("dd-MMM-yyyy")));
    c.tipo = CeldaLibro::Tipo::Booleano;
    c.numero = 1;
    EXPECT_EQ(TextoVisible(c), QStringLiteral("VERDADERO"));
}

TEST(LecturaLibro, ArchivosMalosDanErrorClaroSinEscribirNada)
{
    QTemporaryDir dir;
    auto escribir = [&](const char *nombre, const QByteArray &datos) {
        QFile f(dir.filePath(QLatin1String(nombre)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(datos);
        return f.fileName();
    };
    auto leer = [](const char *nombre) {
        QFile f(fixture(nombre));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    };
    QByteArray xlsx = leer("libro.xlsx"), ods = leer("libro.ods"), xls = leer("libro.xls");
    QByteArray basura(4096, '\0');
    for (int i = 0; i < basura.size(); ++i)
        basura[i] = static_cast<char>((i * 7919) % 251);

    struct Caso {
        QString archivo;
        const char *esperado;
    };
    const Caso casos[] = {
        {escribir("cortado.xlsx", xlsx.left(xlsx.size() / 2)), "dañado o incompleto"},
        {escribir("cortado.ods", ods.left(ods.size() / 3)), "dañado o incompleto"},
        {escribir("cortado.xls", xls.left(2000)), "dañado o incompleto"},
        {escribir("basura.xlsx", basura), "no es un libro de Excel ni de OpenOffice"},
        {escribir("texto.xls", "Codigo;Nombre\n1;Uno\n"), "no es un libro de Excel ni de OpenOffice"},
        {escribir("otro.zip.xlsx", QByteArray("PK\x03\x04", 4) + basura), "no es un libro de Excel ni de OpenOffice"},
        {escribir("vacio.xlsx", QByteArray()), "vacío"},
        {fixture("protegido.ods"), "protegido con contraseña"},
        {fixture("protegido.xlsx"), "protegido con contraseña"},
    };
    const QStringList antes = QDir(dir.path()).entryList(QDir::Files);
    for (const auto &c : casos) {
        QString e = errorAlLeer(c.archivo);
        EXPECT_TRUE(e.contains(QString::fromUtf8(c.esperado))) << c.archivo.toStdString() << " -> " << e.toStdString();
        EXPECT_TRUE(e.contains(QDir::toNativeSeparators(c.archivo))) << e.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), antes);
    EXPECT_TRUE(errorAlLeer(dir.filePath(QStringLiteral("falta.xlsx"))).startsWith(QString::fromUtf8("No se encontró el archivo")));
}

} // namespace
