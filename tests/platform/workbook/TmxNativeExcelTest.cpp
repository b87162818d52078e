#include "platform/workbook/TmxNativeExcel.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The label list of a purchase, written the way its window does it.
void escribirEtiquetas(TmxNativeExcel &x, const QString &archivo)
{
    x.NewFile();
    x.SetFileName(archivo);
    x.AddFont(QStringLiteral("Tahoma"), 8, false);
    x.AddFont(QStringLiteral("Tahoma"), 8, true);
    x.SetActiveFont(1);
    x.WriteLabel(1, 1, QStringLiteral("IMPRESIÓN DE ETIQUETAS - COMPRA Nº A-1"));
    x.Borders = BordeTodos;
    const QStringList titulos = {QStringLiteral("Codigo"), QStringLiteral("Nombre Articulo"), QStringLiteral("Precio Con IVA"),
                                 QStringLiteral("Precio Sin IVA"), QStringLiteral("Cantidad Etiquetas")};
    for (int c = 0; c < titulos.size(); ++c)
        x.WriteLabel(2, c + 1, titulos[c]);
    x.Borders = 0;
    x.SetActiveFont(0);
    x.WriteLabel(3, 1, QStringLiteral("7501000000017"));
    x.WriteLabel(3, 2, QStringLiteral("Acetaminofén 500 mg"));
    x.WriteNumber(3, 3, 1130.5);
    x.WriteNumber(3, 4, 1000.44);
    x.WriteInteger(3, 5, 12);
    x.SetActiveFont(1);
    x.Borders = BordeArriba;
    x.WriteNumber(5, 4, 9999.99);
    x.Borders = 0;
    x.SetColumnWidth(1, 19);
    x.SetColumnWidth(2, 50);
    x.SetColumnWidth(3, 5, 19);
    x.CloseFile();
}

TEST(TmxNativeExcel, LibroEscritoSeLeeConCeldasFuentesBordesYAnchos)
{
    QTemporaryDir dir;
    TmxNativeExcel x;
    QStringList informados, errores;
    x.AlInformar = [&](const QString &t) { informados << t; };
    x.AlError = [&](const QString &t) { errores << t; };
    escribirEtiquetas(x, dir.filePath(QStringLiteral("etiquetas.xls")));
    ASSERT_TRUE(x.SaveToFile());

    const QString escrito = dir.filePath(QStringLiteral("etiquetas.xlsx"));
    EXPECT_EQ(x.FileName(), escrito);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("etiquetas.xls"))));
    ASSERT_EQ(informados, QStringList{QStringLiteral("El archivo  \"%1\"  se generó correctamente!").arg(escrito)});
    EXPECT_TRUE(errores.isEmpty());

    LibroHojas libro = LeerLibro(escrito);
    ASSERT_EQ(libro.hojas.size(), 1u);
    const HojaLibro &h = libro.hojas[0];
    const CeldaLibro *titulo = h.celda(1, 1);
    ASSERT_NE(titulo, nullptr);
    EXPECT_EQ(titulo->texto, QStringLiteral("IMPRESIÓN DE ETIQUETAS - COMPRA Nº A-1"));
    EXPECT_TRUE(titulo->negrita);
    EXPECT_EQ(titulo->fuente, QStringLiteral("Tahoma"));
    EXPECT_DOUBLE_EQ(titulo->tamano, 8);
    EXPECT_EQ(titulo->bordes, 0);
    for (int c = 1; c <= 5; ++c) {
        ASSERT_NE(h.celda(2, c), nullptr);
        EXPECT_EQ(h.celda(2, c)->bordes, BordeTodos) << c;
        EXPECT_TRUE(h.celda(2, c)->negrita) << c;
    }
    EXPECT_EQ(h.celda(2, 5)->texto, QStringLiteral("Cantidad Etiquetas"));
    ASSERT_NE(h.celda(3, 2), nullptr);
    EXPECT_EQ(h.celda(3, 2)->texto, QStringLiteral("Acetaminofén 500 mg"));
    EXPECT_FALSE(h.celda(3, 2)->negrita);
    EXPECT_EQ(h.celda(3, 2)->bordes, 0);
    EXPECT_EQ(h.celda(3, 3)->tipo, CeldaLibro::Tipo::Numero);
    EXPECT_DOUBLE_EQ(h.celda(3, 3)->numero, 1130.5);
    EXPECT_DOUBLE_EQ(h.celda(3, 5)->numero, 12);
    EXPECT_EQ(TextoVisible(*h.celda(3, 5)), QStringLiteral("12"));
    EXPECT_EQ(h.celda(5, 4)->bordes, BordeArriba);
    EXPECT_TRUE(h.celda(5, 4)->negrita);
    EXPECT_EQ(h.celda(4, 1), nullptr);
    EXPECT_NEAR(h.anchos.at(1), 19, 0.1);
    EXPECT_NEAR(h.anchos.at(2), 50, 0.1);
    for (int c = 3; c <= 5; ++c)
        EXPECT_NEAR(h.anchos.at(c), 19, 0.1) << c;
}

TEST(TmxNativeExcel, NombreDelArchivoSiempreXlsx)
{
    EXPECT_EQ(TmxNativeExcel::NombreXlsx(QStringLiteral("/d/lista.XLS")), QStringLiteral("/d/lista.xlsx"));
    EXPECT_EQ(TmxNativeExcel::NombreXlsx(QStringLiteral("/d/lista.xlsx")), QStringLiteral("/d/lista.xlsx"));
    EXPECT_EQ(TmxNativeExcel::NombreXlsx(QStringLiteral("/d/lista")), QStringLiteral("/d/lista.xlsx"));
    EXPECT_EQ(TmxNativeExcel::NombreXlsx(QStringLiteral("/d/lista.v2")), QStringLiteral("/d/lista.v2.xlsx"));
}

TEST(TmxNativeExcel, FalloAlGuardarAvisaYNoDejaArchivo)
{
    QTemporaryDir dir;
    TmxNativeExcel x;
    QStringList informados, errores;
    x.AlInformar = [&](const QString &t) { informados << t; };
    x.AlError = [&](const QString &t) { errores << t; };
    const QString destino = dir.filePath(QStringLiteral("no_existe/etiquetas.xls"));
    escribirEtiquetas(x, destino);
    EXPECT_FALSE(x.SaveToFile());
    EXPECT_TRUE(informados.isEmpty());
    ASSERT_EQ(errores.size(), 1);
    EXPECT_EQ(errores[0], QStringLiteral("El nombre y la ubicacion del archivo que desea guardar\r\n"
                                         "esta siendo utilizado en este momento por otra aplicacion\r\n"
                                         "No se pudo guardar el archivo"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());

    // A read-only folder: the old file stays as it was, no temporary is left.
    const QString existente = dir.filePath(QStringLiteral("viejo.xlsx"));
    {
        QFile f(existente);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("contenido anterior");
    }
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool puedeEscribir = QFileInfo(dir.path()).isWritable();  // root ignores permissions
    escribirEtiquetas(x, existente);
    bool ok = x.SaveToFile();
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!puedeEscribir) {
        EXPECT_FALSE(ok);
        QFile f(existente);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("contenido anterior"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

// Cells written straight to the file read back as the kept workbook writes them.
TEST(TmxNativeExcelDirecto, MismoLibroQueGuardandoAlFinal)
{
    QTemporaryDir dir;
    TmxNativeExcel guardado, directo;
    escribirEtiquetas(guardado, dir.filePath(QStringLiteral("guardado")));
    directo.SetEscrituraDirecta(true);
    escribirEtiquetas(directo, dir.filePath(QStringLiteral("directo")));
    EXPECT_TRUE(directo.Libro().hojas.at(0).celdas.empty());
    ASSERT_TRUE(guardado.SaveToFile());
    ASSERT_TRUE(directo.SaveToFile());

    const LibroHojas a = LeerLibro(dir.filePath(QStringLiteral("guardado.xlsx")));
    const LibroHojas b = LeerLibro(dir.filePath(QStringLiteral("directo.xlsx")));
    ASSERT_EQ(b.hojas.size(), 1u);
    const HojaLibro &ha = a.hojas[0], &hb = b.hojas[0];
    EXPECT_EQ(hb.nombre, ha.nombre);
    ASSERT_EQ(hb.celdas.size(), ha.celdas.size());
    for (const auto &[pos, c] : ha.celdas) {
        const CeldaLibro *d = hb.celda(pos.first, pos.second);
        ASSERT_NE(d, nullptr) << pos.first << "," << pos.second;
        EXPECT_EQ(d->tipo, c.tipo);
        EXPECT_EQ(d->texto, c.texto);
        EXPECT_DOUBLE_EQ(d->numero, c.numero);
        EXPECT_EQ(TextoVisible(*d), TextoVisible(c));
        EXPECT_EQ(d->negrita, c.negrita);
        EXPECT_EQ(d->fuente, c.fuente);
        EXPECT_EQ(d->bordes, c.bordes);
    }
    EXPECT_EQ(hb.anchos, ha.anchos);
    // Nothing but the two workbooks is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 2);
}

// A row written after a later one cannot go to the file: saving fails and leaves nothing.
TEST(TmxNativeExcelDirecto, FilaFueraDeOrdenOCarpetaInexistenteFallanSinDejarArchivo)
{
    QTemporaryDir dir;
    for (const QString &nombre : {QStringLiteral("desorden.xlsx"), QStringLiteral("no_existe/lista.xlsx")}) {
        TmxNativeExcel x;
        QStringList informados, errores;
        x.AlInformar = [&](const QString &t) { informados << t; };
        x.AlError = [&](const QString &t) { errores << t; };
        x.SetEscrituraDirecta(true);
        x.NewFile();
        x.SetFileName(dir.filePath(nombre));
        x.WriteLabel(1, 1, QStringLiteral("título"));
        x.WriteNumber(5, 2, 3.5);
        x.WriteNumber(5, 1, 1.5);  // same row, earlier column: fine
        if (nombre.startsWith(QLatin1String("desorden")))
            x.WriteLabel(3, 1, QStringLiteral("tarde"));
        x.CloseFile();
        EXPECT_FALSE(x.SaveToFile()) << nombre.toStdString();
        EXPECT_TRUE(informados.isEmpty());
        EXPECT_EQ(errores, QStringList{TmxNativeExcel::MensajeErrorGuardar()});
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty())
            << nombre.toStdString();
    }
}

// A writer dropped before saving (an export that failed half way) leaves no file behind.
TEST(TmxNativeExcelDirecto, EscritorAbandonadoNoDejaArchivos)
{
    QTemporaryDir dir;
    {
        EscritorXlsx e(dir.filePath(QStringLiteral("a.xlsx")), true);
        e.NuevaHoja(QStringLiteral("Hoja1"));
        CeldaLibro c;
        c.tipo = CeldaLibro::Tipo::Texto;
        for (int f = 1; f <= 2000; ++f) {
            c.texto = QStringLiteral("fila %1").arg(f);
            e.Escribir(f, 1, c);
        }
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

} // namespace
