#include "platform/workbook/uHojaCalcCompras.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString fixture(const char *nombre) { return QStringLiteral(FIXTURES_DIR "/") + QLatin1String(nombre); }

class HojaCalcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        anterior = THojaCalc::AbrirEnEscritorio;
        THojaCalc::AbrirEnEscritorio = [this](const QUrl &url) {
            abiertos << url;
            return true;
        };
    }
    void TearDown() override { THojaCalc::AbrirEnEscritorio = anterior; }

    template <class F>
    QString error(F &&f)
    {
        try {
            f();
        } catch (const ErrorLibro &e) {
            return e.mensaje();
        }
        return QString();
    }

    QTemporaryDir dir;
    QList<QUrl> abiertos;
    std::function<bool(const QUrl &)> anterior;
};

TEST_F(HojaCalcTest, AbreLeeYDireccionaDesdeUno)
{
    THojaCalc xls(fixture("libro.xls"), false);
    EXPECT_TRUE(xls.GetIsExcel());
    EXPECT_TRUE(xls.GetDocLoaded());
    EXPECT_EQ(xls.GetCountSheets(), 2);
    EXPECT_EQ(xls.GetActiveSheetName(), QStringLiteral("Compras"));
    EXPECT_EQ(xls.GetCellText(1, 2), QStringLiteral("Nombre"));
    EXPECT_EQ(xls.GetCellText(3, 1), QStringLiteral("7501"));
    EXPECT_EQ(xls.GetCellText(2, 4), QStringLiteral("12/06/2026"));
    EXPECT_TRUE(abiertos.isEmpty());

    THojaCalc ods(fixture("libro.ods"), true);
    EXPECT_TRUE(ods.GetIsOpenOffice());
    EXPECT_EQ(ods.GetCellText(2, 3), QStringLiteral("1,234.50"));
    EXPECT_EQ(ods.GetCellTextByName(QStringLiteral("Otra!B3")), QStringLiteral("en otra hoja"));
    EXPECT_EQ(ods.GetActiveSheetName(), QStringLiteral("Otra"));
    EXPECT_EQ(ods.GetCellTextByName(QStringLiteral("$B$3")), QStringLiteral("en otra hoja"));
    EXPECT_EQ(error([&] { ods.GetCellTextByName(QStringLiteral("Falta!A1")); }),
              QStringLiteral("Sheet \"Falta\" not present in the document."));
    // Visible: the document goes to the desktop's spreadsheet program.
    ASSERT_EQ(abiertos.size(), 1);
    EXPECT_EQ(abiertos[0], QUrl::fromLocalFile(fixture("libro.ods")));
}

TEST_F(HojaCalcTest, ActivarHojaPorIndiceAgregaLasQueFaltan)
{
    THojaCalc h(thcOpenOffice, false);
    EXPECT_EQ(h.GetCountSheets(), 1);
    EXPECT_EQ(error([&] { h.ActivateSheetByIndex(0); }), QStringLiteral("Can not activate sheet #0"));
    EXPECT_TRUE(h.ActivateSheetByIndex(3));
    EXPECT_EQ(h.GetCountSheets(), 3);
    EXPECT_EQ(h.Libro().hojas[1].nombre, QStringLiteral("Nueva hoja 2"));
    EXPECT_EQ(h.Libro().hojas[2].nombre, QStringLiteral("Nueva hoja 3"));
    EXPECT_EQ(h.GetActiveSheetName(), QStringLiteral("Nueva hoja 3"));
    EXPECT_TRUE(h.ActivateSheetByIndex(1));
    EXPECT_EQ(h.GetCountSheets(), 3);

    // OpenOffice way: new sheets go last; Excel way: next to the active one.
    h.AddNewSheet(QStringLiteral("Final"));
    EXPECT_EQ(h.Libro().hojas.back().nombre, QStringLiteral("Final"));
    THojaCalc e(thcExcel, false);
    e.AddNewSheet(QStringLiteral("B"));
    e.ActivateSheetByIndex(1);
    e.AddNewSheet(QStringLiteral("A"));
    EXPECT_EQ(e.Libro().hojas[1].nombre, QStringLiteral("A"));
    EXPECT_EQ(e.Libro().hojas[2].nombre, QStringLiteral("B"));
    EXPECT_EQ(e.GetActiveSheetName(), QStringLiteral("A"));
    EXPECT_FALSE(error([&] { e.AddNewSheet(QStringLiteral("a")); }).isEmpty());
    EXPECT_TRUE(e.ActivateSheetByName(QStringLiteral("b"), false));
    EXPECT_FALSE(e.ActivateSheetByName(QStringLiteral("b"), true));
}

TEST_F(HojaCalcTest, NombresDeHojaValidos)
{
    THojaCalc h(thcNone, false);
    EXPECT_EQ(h.ValidateSheetName(QStringLiteral(" a:b/c\\d?e*f[g]h\"i ")), QStringLiteral("a_b_c_d_e_f_g_h_i"));
    EXPECT_EQ(h.ValidateSheetName(QStringLiteral("   ")), QStringLiteral("Plan1"));
    h.ActivateSheetByIndex(2);
    EXPECT_EQ(h.ValidateSheetName(QString()), QStringLiteral("Plan2"));
    EXPECT_EQ(h.ValidateSheetName(QString(40, QLatin1Char('x'))), QString(31, QLatin1Char('x')));
    h.AddNewSheet(QStringLiteral("Compras: 2026/12"));
    EXPECT_EQ(h.Libro().hojas.back().nombre, QStringLiteral("Compras_ 2026_12"));
}

TEST_F(HojaCalcTest, CeldasNumerosFechasYGuardado)
{
    THojaCalc h(thcOpenOffice, false);
    h.SetCellText(1, 1, QStringLiteral("Codigo"));
    h.SetCellText(2, 1, QStringLiteral("000123"));
    h.SetCellText(2, 2, QStringLiteral("12.5"));
    h.SendNumber(2, 3, 1234.5);
    h.SendDate(2, 4, QDate(2026, 12, 6));
    h.SetCellFormula(2, 5, QStringLiteral("=C2*2"));
    h.Bold(1, 1);
    h.FontSize(1, 1, 14);
    h.BackgroundColor(1, 1, QColor(255, 255, 0));
    h.ColumnWidth(2, 6000);
    EXPECT_EQ(h.GetCellText(2, 1), QStringLiteral("000123"));
    EXPECT_EQ(h.GetCellText(2, 2), QStringLiteral("12.5"));
    EXPECT_EQ(h.GetCellFormula(2, 3), QStringLiteral("=1234.500000"));
    EXPECT_EQ(h.GetCellText(2, 3), QStringLiteral("1234.5"));
    EXPECT_EQ(h.GetCellText(2, 4), QStringLiteral("12/06/2026"));
    EXPECT_EQ(h.GetCellFormula(2, 5), QStringLiteral("=C2*2"));
    EXPECT_EQ(h.GetCellText(9, 9), QString());

    h.SetCellTextByName(QStringLiteral("Hoja1!F7"), QStringLiteral("por nombre"));
    EXPECT_EQ(h.GetCellText(7, 6), QStringLiteral("por nombre"));

    const QString destino = dir.filePath(QStringLiteral("salida.xls"));
    h.SaveDocAs(destino, true);
    EXPECT_EQ(h.FileName, dir.filePath(QStringLiteral("salida.xlsx")));
    EXPECT_FALSE(QFile::exists(destino));

    THojaCalc leida(h.FileName, false);
    EXPECT_EQ(leida.GetCellText(2, 1), QStringLiteral("000123"));
    EXPECT_EQ(leida.GetCellText(2, 3), QStringLiteral("1234.5"));
    EXPECT_EQ(leida.GetCellText(2, 4), QStringLiteral("12/06/2026"));
    EXPECT_EQ(leida.GetCellFormula(2, 5), QStringLiteral("=C2*2"));
    const CeldaLibro *titulo = leida.Libro().hojas[0].celda(1, 1);
    ASSERT_NE(titulo, nullptr);
    EXPECT_TRUE(titulo->negrita);
    EXPECT_DOUBLE_EQ(titulo->tamano, 14);
    EXPECT_EQ(titulo->fondo, QColor(255, 255, 0));
    EXPECT_NEAR(leida.Libro().hojas[0].anchos.at(2), 20, 0.1);
}

TEST_F(HojaCalcTest, SinDocumentoNoHaceNadaYSinProgramaNoCreaDocumento)
{
    THojaCalc h(thcExcel, false);
    h.CloseDoc();
    EXPECT_FALSE(h.GetDocLoaded());
    h.SetCellText(1, 1, QStringLiteral("x"));
    EXPECT_EQ(h.GetCellText(1, 1), QString());
    EXPECT_EQ(h.GetCountSheets(), 0);
    EXPECT_FALSE(h.ActivateSheetByIndex(1));
    h.CloseProg();
    EXPECT_FALSE(h.GetProgLoaded());
    EXPECT_EQ(error([&] { h.NewDoc(); }), QStringLiteral("No program loaded for the new document."));
    THojaCalc oo(thcOpenOffice, false);
    EXPECT_EQ(error([&] { oo.PrintActiveSheet(); }), QStringLiteral("Function \"PrintActiveSheet\" still not working in OpenOffice!"));
    EXPECT_EQ(error([&] { oo.PrintSheetsUntil(QStringLiteral("x")); }), QStringLiteral("Function \"PrintSheetsUntil\" not working in OpenOffice!"));
    EXPECT_EQ(THojaCalc::FileName2URL(QStringLiteral("C:\\Datos\\libro.xls")), QStringLiteral("file:///C:/Datos/libro.xls"));
    EXPECT_EQ(THojaCalc::FileName2URL(QStringLiteral("FILE:///x/y.ods")), QStringLiteral("FILE:///x/y.ods"));
}

TEST_F(HojaCalcTest, LibroMaloDaErrorEspanol)
{
    const QString malo = dir.filePath(QStringLiteral("malo.xls"));
    QFile f(malo);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("no soy un libro");
    f.close();
    QString e = error([&] { THojaCalc h(malo, true); });
    EXPECT_TRUE(e.contains(QStringLiteral("no es un libro de Excel ni de OpenOffice"))) << e.toStdString();
    EXPECT_TRUE(abiertos.isEmpty());
    e = error([&] { THojaCalc h(fixture("protegido.ods"), false); });
    EXPECT_TRUE(e.contains(QString::fromUtf8("protegido con contraseña"))) << e.toStdString();
}

} // namespace

TEST_F(HojaCalcTest, LaCopiaParaImprimirEsPrivadaYSeBorraAlCerrar)
{
    QString impresa;
    {
        THojaCalc h(thcOpenOffice, false);
        h.NewDoc();
        h.SetCellText(1, 1, QStringLiteral("precio reservado"));
        h.PrintDoc();
        ASSERT_EQ(abiertos.size(), 1);
        impresa = abiertos.first().toLocalFile();
        const QFileInfo info(impresa);
        ASSERT_TRUE(info.exists());
        EXPECT_EQ(info.permissions() & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                         QFileDevice::WriteUser),
                  QFileDevice::Permissions()) << "other users must not read the printed copy";
        const QFileInfo carpeta(info.absolutePath());
        EXPECT_EQ(carpeta.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup | QFileDevice::ExeOther |
                                           QFileDevice::ExeGroup),
                  QFileDevice::Permissions());
        // printing again replaces the copy, it does not pile them up
        h.PrintDoc();
        ASSERT_EQ(abiertos.size(), 2);
        EXPECT_NE(abiertos.at(1).toLocalFile(), impresa);
        EXPECT_FALSE(QFileInfo::exists(impresa));
        impresa = abiertos.at(1).toLocalFile();
        EXPECT_TRUE(QFileInfo::exists(impresa));
    }
    EXPECT_FALSE(QFileInfo::exists(impresa));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(impresa).absolutePath()));
}
