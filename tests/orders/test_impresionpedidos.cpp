// Order printouts read back: the control report and the period list from PDF, the export from
// the workbook file.
#include "orders/ImpresionPedidos.h"

#include "support/EntornoPrueba.h"
#include "data/Comp_fdatos.h"
#include "platform/workbook/LibroHojas.h"
#include "platform/workbook/TmxNativeExcel.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

QString TextoPdf(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

class Impresion : public ::testing::Test {
protected:
    EntornoPrueba env;
    Pedidos pedidos{ConexionesDeDatosComp(*env.datos), env.datos->TransLectura, env.datos->TransLecturaInv, env.mensajes,
                    QStringLiteral("ANA")};
    ImpresionPedidos impresion{pedidos, ImpresionPedidos::EncabezadoDe(*env.datos), env.carpeta.path() + QLatin1Char('/')};

    void SetUp() override
    {
        for (const QString &plantilla : {QStringLiteral("comp_Pedido.html"), QStringLiteral("comp_listadoDePedidos.html")})
            ASSERT_TRUE(QFile::copy(QStringLiteral(COMPRAS_REPORTES_FUENTE "/") + plantilla,
                                    env.carpeta.path() + QLatin1Char('/') + plantilla));
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from DETALLE_PEDIDO"));
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("delete from PEDIDOS"));
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE, NOMBRE2) values "
                                                               "('IMP-1', 'TORNILLO', 'PERNO ALTERNO')"));
    }

    QString Guardar(const QDate &fecha, int lineas, const QString &descripcion)
    {
        EncabezadoPedido e;
        e.numeroMostrado = QStringLiteral("1");
        e.codProveedor = 12;
        e.nombreProveedor = QStringLiteral("FERRETERIA CENTRAL");
        e.descripcion = descripcion;
        e.fecha = fecha;
        LineasPedido l;
        for (int i = 1; i <= lineas; ++i)
            l.AgregarFila({QStringLiteral("IMP-%1").arg(i), QStringLiteral("ARTICULO %1").arg(i), Currency(i * 2), {},
                           false, {}, Currency(10)});
        if (lineas == 0)  // an order saved without lines
            l.AgregarFila({QStringLiteral("IMP-1"), QStringLiteral("X"), Currency(1), {}, true, {}, {}});
        return pedidos.Guardar(e, l).value_or(QString());
    }
    QString Pdf(Reporte &r)
    {
        const QString archivo = env.carpeta.path() + QStringLiteral("/salida.pdf");
        r.ExportToPdf(archivo);
        return TextoPdf(archivo);
    }
};

TEST_F(Impresion, ReporteDeControlConYSinNombreAlternativo)
{
    const QString n = Guardar(QDate(2026, 2, 14), 3, QStringLiteral("PEDIDO DE PRUEBA"));
    ASSERT_FALSE(n.isEmpty());
    const PedidoListado p = *pedidos.Leer(n);
    const QString con = Pdf(impresion.PrepararControl(p, true));
    for (const QString &t : {n, QStringLiteral("14/02/2026"), QStringLiteral("FERRETERIA CENTRAL"),
                             QStringLiteral("PEDIDO DE PRUEBA"), QStringLiteral("ARTICULO 3"), QStringLiteral("PERNO ALTERNO"),
                             QStringLiteral("6.00")})
        EXPECT_TRUE(con.contains(t)) << t.toStdString() << "\n" << con.toStdString();
    const QString sin = Pdf(impresion.PrepararControl(p, false));
    EXPECT_TRUE(sin.contains(QStringLiteral("ARTICULO 1")));
    EXPECT_FALSE(sin.contains(QStringLiteral("PERNO ALTERNO")));
}

TEST_F(Impresion, ListadoDelPeriodoConAnulados)
{
    const QString a = Guardar(QDate(2026, 2, 10), 1, QStringLiteral("PRIMERO"));
    const QString b = Guardar(QDate(2026, 2, 11), 1, QStringLiteral("SEGUNDO ANULADO"));
    const QString c = Guardar(QDate(2026, 2, 12), 1, QStringLiteral("TERCERO"));
    ASSERT_EQ(pedidos.Anular(b, false), Pedidos::Anulacion::Anulado);
    const QString texto = Pdf(impresion.PrepararListado(QDate(2026, 2, 11), QDate(2026, 2, 12)));
    EXPECT_FALSE(texto.contains(QStringLiteral("PRIMERO")));
    EXPECT_TRUE(texto.contains(QStringLiteral("SEGUNDO ANULADO"))) << texto.toStdString();
    EXPECT_TRUE(texto.contains(QStringLiteral("TERCERO")));
    EXPECT_TRUE(texto.contains(QStringLiteral("11/02/2026")) && texto.contains(QStringLiteral("12/02/2026")));
    const QString unDia = Pdf(impresion.PrepararListado(QDate(2026, 2, 10), QDate(2026, 2, 10)));
    EXPECT_TRUE(unDia.contains(a));
    EXPECT_FALSE(unDia.contains(c));
}

TEST_F(Impresion, ExportacionLeidaDeVuelta)
{
    const QString n = Guardar(QDate(2026, 2, 14), 2, QStringLiteral("PARA EXCEL"));
    const PedidoListado p = *pedidos.Leer(n);
    const QString archivo = env.carpeta.path() + QStringLiteral("/pedido.xls");
    ASSERT_TRUE(impresion.Exportar(p, archivo, QFont(QStringLiteral("Tahoma"), 8), env.mensajes));
    const QString escrito = env.carpeta.path() + QStringLiteral("/pedido.xlsx");
    EXPECT_TRUE(env.mensajes.Mostro(TmxNativeExcel::MensajeExito(escrito))) << env.mensajes.textos().join('|').toStdString();
    const LibroHojas libro = LeerLibro(escrito);
    ASSERT_EQ(libro.hojas.size(), 1u);
    const HojaLibro &h = libro.hojas[0];
    auto texto = [&](int f, int c) { return h.celda(f, c) ? TextoVisible(*h.celda(f, c)).toStdString() : std::string(); };
    EXPECT_EQ(texto(1, 1), ("Pedido Nº " + n).toStdString());
    EXPECT_EQ(texto(2, 2), "Fecha: 14/02/2026");
    EXPECT_EQ(texto(3, 2), "Proveedor FERRETERIA CENTRAL");
    EXPECT_EQ(texto(4, 2), "Descripcion: PARA EXCEL");
    EXPECT_EQ(texto(6, 1), "Codigo Articulo");
    EXPECT_EQ(h.celda(6, 3)->bordes, 15);
    EXPECT_TRUE(h.celda(6, 3)->negrita);
    EXPECT_EQ(texto(7, 1), "IMP-1");
    EXPECT_EQ(texto(8, 2), "ARTICULO 2");
    EXPECT_EQ(h.celda(8, 3)->numero, 4.0);
    EXPECT_FALSE(h.celda(8, 3)->negrita);
    EXPECT_EQ(h.ultimaFila(), 8);
    EXPECT_EQ(h.anchos.at(2), 50.0);

    // An order without lines: the header rows and the headings only.
    const QString vacio = Guardar(QDate(2026, 2, 14), 0, QStringLiteral("VACIO"));
    ASSERT_TRUE(impresion.Exportar(*pedidos.Leer(vacio), env.carpeta.path() + QStringLiteral("/vacio.xlsx"), QFont(),
                                   env.mensajes));
    EXPECT_EQ(LeerLibro(env.carpeta.path() + QStringLiteral("/vacio.xlsx")).hojas[0].ultimaFila(), 6);
}

} // namespace
