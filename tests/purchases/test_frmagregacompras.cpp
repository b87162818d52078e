// Purchase entry window driven offscreen by its controls: typing lines, the discount fields,
// balloons, accumulation, rights, restoring after closing, the supplier pick, the second
// currency, the line editor, the purchase-price choice and the spreadsheet import.
#include "purchases/Comp_frmagregacompras.h"
#include "creditnotes/Comp_frmncdevolucion.h"
#include "catalogs/Comp_frmbuscararticulos.h"
#include "catalogs/Comp_frmcambiarproveedor.h"
#include "purchases/Comp_frmmodificarlinea.h"
#include "purchases/Comp_frmprocesar.h"
#include "purchases/Comp_frmseleccionaprecio.h"
#include "support/EntornoPrueba.h"
#include "ui/Permisos.h"
#include "support/PruebaVentanas.h"
#include "platform/workbook/uHojaCalcCompras.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTextStream>

#include <gtest/gtest.h>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

using pruebas::Control;
using pruebas::Escribir;
using pruebas::Procesar;
using pruebas::Reemplazar;
using pruebas::Tecla;
using pruebas::Ventana;

namespace {

const QString kCrema = QStringLiteral("7501031311309");  // taxed 13 %, tax included, PRECIO_COMPRA 966.15
const QString kAviso = QStringLiteral("La ventana \"%1\" todavía no está disponible en esta versión del módulo de compras.");

bool HuboGlobo(const MensajesGuion &m, const char *control, const QString &texto)
{
    for (const auto &x : m.mostrados())
        if (x.tipo == Mensajes::Tipo::Globo && x.control == QLatin1String(control) && x.texto == texto
            && x.titulo == QStringLiteral("Atención"))
            return true;
    return false;
}

class VentanaEntrada : public ::testing::Test {
protected:
    explicit VentanaEntrada(const QString &usuario = QStringLiteral("ADMIN")) : env(usuario) {}

    EntornoPrueba env;
    QWidget navegador;  // stands for the purchases browser
    QPointer<TfrmAgregaCompra> frm;

    void SetUp() override { Abrir(); }
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != &navegador)
                w->close();
        Procesar();
    }
    void Abrir()
    {
        navegador.show();
        frm = AbrirAgregaCompra(*env.datos, &navegador);
        Procesar();
        ASSERT_TRUE(frm);
    }
    template <typename T>
    T *C(const char *nombre) { return Control<T>(frm, nombre); }

    // Code, Enter, cost, Enter, quantity, Enter.
    void Linea(const QString &codigo, const QString &costo, const QString &cantidad)
    {
        auto *codigoEd = C<QLineEdit>("edCodigo");
        Reemplazar(codigoEd, codigo);
        Tecla(codigoEd, Qt::Key_Return);
        Reemplazar(C<QLineEdit>("edPrecio"), costo);
        Tecla(C<QLineEdit>("edPrecio"), Qt::Key_Return);
        Reemplazar(C<QLineEdit>("edCantidad"), cantidad);
        Tecla(C<QLineEdit>("edCantidad"), Qt::Key_Return);
    }
    void Proveedor(int codigo, const QString &nombre, int tipoMoneda = 1)
    {
        frm->ProveedorElegido(codigo, nombre, tipoMoneda);
    }
    int Filas()
    {
        QAbstractItemModel *m = C<QTableView>("GridCompra")->model();
        while (m->canFetchMore({}))
            m->fetchMore({});
        return m->rowCount();
    }
    QString Texto(const char *nombre) { return C<QLineEdit>(nombre)->text(); }
};

TEST_F(VentanaEntrada, TeclearUnaLineaCalculaTotalesYDescuento)
{
    EXPECT_EQ(frm->windowTitle(), QStringLiteral("Agregar Comprobante de Compras"));
    EXPECT_FALSE(navegador.isEnabled());
    auto *codigo = C<QLineEdit>("edCodigo");
    Escribir(codigo, QStringLiteral("cer-0456"));
    Tecla(codigo, Qt::Key_Return);
    EXPECT_EQ(codigo->text(), kCrema);
    EXPECT_EQ(Texto("edPrecio"), QStringLiteral("855.00"));  // 966.15 without its 13 %
    EXPECT_TRUE(C<QLineEdit>("edPrecio")->hasFocus());
    Reemplazar(C<QLineEdit>("edPrecio"), QStringLiteral("10"));
    Tecla(C<QLineEdit>("edPrecio"), Qt::Key_Return);
    EXPECT_TRUE(C<QLineEdit>("edCantidad")->hasFocus());
    Reemplazar(C<QLineEdit>("edCantidad"), QStringLiteral("3"));
    Tecla(C<QLineEdit>("edCantidad"), Qt::Key_Return);
    EXPECT_EQ(Filas(), 1);
    EXPECT_TRUE(codigo->text().isEmpty());
    EXPECT_EQ(Texto("edCantidad"), QStringLiteral("1.00"));
    EXPECT_EQ(Texto("edSubtotal1"), QStringLiteral("30.00"));
    EXPECT_EQ(Texto("edImpuesto"), QStringLiteral("3.90"));
    EXPECT_EQ(Texto("edTotal"), QStringLiteral("33.90"));

    auto *porc = C<QLineEdit>("edPOrceDesc");
    Reemplazar(porc, QStringLiteral("10"));
    Tecla(porc, Qt::Key_Return);
    EXPECT_EQ(Texto("edSubtotal1"), QStringLiteral("30.00"));
    EXPECT_EQ(Texto("edSubTotal2"), QStringLiteral("27.00"));
    EXPECT_EQ(Texto("edImpuesto"), QStringLiteral("3.51"));
    EXPECT_EQ(Texto("edTotal"), QStringLiteral("30.51"));
    EXPECT_EQ(Texto("edImporteDesc"), QStringLiteral("3.000"));
    EXPECT_EQ(Texto("edPOrceDesc"), QStringLiteral("10.000"));
    EXPECT_TRUE(codigo->hasFocus());
    const QModelIndex subtotal = C<QTableView>("GridCompra")->model()->index(0, 6);
    EXPECT_EQ(subtotal.data().toString(), QStringLiteral("27.00"));

    // By amount: 6 of 30 is 20 %.
    auto *importe = C<QLineEdit>("edImporteDesc");
    Reemplazar(importe, QStringLiteral("6"));
    Tecla(importe, Qt::Key_Return);
    EXPECT_EQ(Texto("edPOrceDesc"), QStringLiteral("20.000"));
    EXPECT_EQ(Texto("edTotal"), QStringLiteral("27.12"));
}

TEST_F(VentanaEntrada, GlobosDeValidacion)
{
    auto *codigo = C<QLineEdit>("edCodigo");
    Escribir(codigo, kCrema);
    Tecla(codigo, Qt::Key_Return);
    Reemplazar(C<QLineEdit>("edPrecio"), QStringLiteral("0"));
    Tecla(C<QLineEdit>("edPrecio"), Qt::Key_Return);
    EXPECT_TRUE(HuboGlobo(env.mensajes, "edPrecio", QStringLiteral("Debe digitar un precio de compra")));
    EXPECT_TRUE(C<QLineEdit>("edPrecio")->hasFocus());
    Reemplazar(C<QLineEdit>("edPrecio"), QStringLiteral("5"));
    Tecla(C<QLineEdit>("edPrecio"), Qt::Key_Return);
    Reemplazar(C<QLineEdit>("edCantidad"), QStringLiteral("0"));
    Tecla(C<QLineEdit>("edCantidad"), Qt::Key_Return);
    EXPECT_TRUE(HuboGlobo(env.mensajes, "edCantidad", QStringLiteral("Debe digitar una cantidad mayor a cero")));
    EXPECT_EQ(Filas(), 0);

    Reemplazar(C<QLineEdit>("edPOrceDesc"), QStringLiteral("150"));
    Tecla(C<QLineEdit>("edPOrceDesc"), Qt::Key_Return);
    EXPECT_TRUE(HuboGlobo(env.mensajes, "edPOrceDesc", QStringLiteral("El porcentaje de descuento no puede ser mayor a 100%")));
    EXPECT_TRUE(C<QLineEdit>("edPOrceDesc")->hasFocus());

    // "Procesar", one missing thing after another.
    C<QPushButton>("btnEmitir")->click();
    EXPECT_TRUE(HuboGlobo(env.mensajes, "edNombreProveedor", QStringLiteral("Debe seleccionar un Proveedor")));
    Proveedor(1, QStringLiteral("DISTRIBUIDORA FARMACEUTICA DEL VALLE S.A."));
    C<QPushButton>("btnEmitir")->click();
    EXPECT_TRUE(HuboGlobo(env.mensajes, "edComprob", QStringLiteral("Debe digitar en Número de Comprobante")));
    Escribir(C<QLineEdit>("edComprob"), QStringLiteral("0045871"));
    C<QPushButton>("btnEmitir")->click();
    EXPECT_TRUE(HuboGlobo(env.mensajes, "GridCompra", QStringLiteral("No puede procesar un comprobante sin líneas")));
    Linea(kCrema, QStringLiteral("10"), QStringLiteral("1"));
    ASSERT_EQ(Filas(), 1);
    C<QPushButton>("btnEmitir")->click();
    EXPECT_TRUE(HuboGlobo(env.mensajes, "edComprob", QStringLiteral("Este Comprobante ya fue Utilizado por este proveedor")));
    EXPECT_FALSE(Ventana<TfrmProcesar>());

    Reemplazar(C<QLineEdit>("edComprob"), QStringLiteral("nueva-1"));
    EXPECT_EQ(Texto("edComprob"), QStringLiteral("NUEVA-1"));
    C<QPushButton>("btnEmitir")->click();
    auto *pago = Ventana<TfrmProcesar>();
    ASSERT_TRUE(pago);
    EXPECT_FALSE(frm->isEnabled());
    EXPECT_EQ(pago->Total(), Currency::fromString(std::string("11.3")));
    Control<QPushButton>(pago, "btnCancelar")->click();  // Volver
    Procesar();
    EXPECT_TRUE(frm->isEnabled());
}

TEST_F(VentanaEntrada, AcumulaPreguntandoElCosto)
{
    Linea(kCrema, QStringLiteral("10"), QStringLiteral("2"));
    env.mensajes.Responder(Mensajes::Respuesta::No);
    Linea(kCrema, QStringLiteral("12"), QStringLiteral("1"));
    EXPECT_TRUE(env.mensajes.Mostro(EntradaCompra::kPreguntaCambioCosto));
    ASSERT_EQ(Filas(), 1);
    EXPECT_EQ(Texto("edSubtotal1"), QStringLiteral("30.00"));
    env.mensajes.Responder(Mensajes::Respuesta::Si);
    Linea(kCrema, QStringLiteral("12"), QStringLiteral("1"));
    EXPECT_EQ(Filas(), 1);
    EXPECT_EQ(Texto("edSubtotal1"), QStringLiteral("48.00"));

    // Supr removes the current line.
    auto *grid = C<QTableView>("GridCompra");
    grid->setCurrentIndex(grid->model()->index(0, 0));
    Tecla(grid, Qt::Key_Delete);
    EXPECT_EQ(Filas(), 0);
    EXPECT_EQ(Texto("edTotal"), QStringLiteral("0.00"));
}

TEST_F(VentanaEntrada, CerrarYVolverAAbrirRestaura)
{
    Proveedor(12, QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
    Escribir(C<QLineEdit>("edComprob"), QStringLiteral("R-77"));
    Tecla(C<QLineEdit>("edComprob"), Qt::Key_Return);
    C<QDateEdit>("edFecha")->setDate(QDate::currentDate().addDays(-2));
    Linea(kCrema, QStringLiteral("10"), QStringLiteral("3"));
    Linea(QStringLiteral("7441001000011"), QStringLiteral("20"), QStringLiteral("1"));
    Reemplazar(C<QLineEdit>("edPOrceDesc"), QStringLiteral("10"));
    Tecla(C<QLineEdit>("edPOrceDesc"), Qt::Key_Return);
    const QString total = Texto("edTotal");
    frm->close();  // the window, not Salir: the document stays
    Procesar();
    EXPECT_FALSE(frm);
    EXPECT_TRUE(navegador.isEnabled());

    Abrir();
    EXPECT_EQ(Texto("edNombreProveedor"), QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
    EXPECT_EQ(Texto("edComprob"), QStringLiteral("R-77"));
    EXPECT_EQ(C<QDateEdit>("edFecha")->date(), QDate::currentDate().addDays(-2));
    EXPECT_EQ(Texto("edPOrceDesc"), QStringLiteral("10.000"));
    EXPECT_EQ(Filas(), 2);
    EXPECT_EQ(Texto("edTotal"), total);

    // Esc asks; No keeps everything, Yes clears the document and closes.
    env.mensajes.Responder(Mensajes::Respuesta::No);
    Tecla(C<QLineEdit>("edCodigo"), Qt::Key_Escape);
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("Realmente desea Salir y Cancelar este comprobante?")));
    EXPECT_TRUE(env.mensajes.mostrados().back().destructiva) << "No is the default answer";
    ASSERT_TRUE(frm);
    EXPECT_EQ(Filas(), 2);
    Tecla(C<QLineEdit>("edCodigo"), Qt::Key_Escape);
    Procesar();
    EXPECT_FALSE(frm);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, QStringLiteral("select count(*) from TEMPORAL_COMPRAS")), 0);
}

TEST_F(VentanaEntrada, AnularLimpiaYSigueAbierta)
{
    Linea(kCrema, QStringLiteral("10"), QStringLiteral("3"));
    env.mensajes.Responder(Mensajes::Respuesta::No);
    Tecla(frm, Qt::Key_F10);
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("Realmente desea anular esta Factura?")));
    EXPECT_TRUE(env.mensajes.mostrados().back().destructiva) << "No is the default answer";
    EXPECT_EQ(Filas(), 1);
    Tecla(frm, Qt::Key_F10);
    EXPECT_EQ(Filas(), 0);
    EXPECT_EQ(Texto("edTotal"), QStringLiteral("0.00"));
    EXPECT_TRUE(frm->isVisible());
}

TEST_F(VentanaEntrada, BusquedaDeArticulosConF2)
{
    auto *codigo = C<QLineEdit>("edCodigo");
    Escribir(codigo, QStringLiteral("XYZ"));
    Tecla(codigo, Qt::Key_F2);
    EXPECT_TRUE(codigo->text().isEmpty());
    auto *busqueda = Ventana<TfrmBuscarArticulos>();
    ASSERT_TRUE(busqueda);
    EXPECT_FALSE(frm->isEnabled());
    Escribir(Control<QLineEdit>(busqueda, "edBuscar"), QStringLiteral("CREMA DENTAL"));
    Control<QPushButton>(busqueda, "btnAceptar")->click();
    Procesar();
    EXPECT_TRUE(frm->isEnabled());
    EXPECT_EQ(codigo->text(), kCrema);
    EXPECT_EQ(Texto("edPrecio"), QStringLiteral("855.00"));
}

TEST_F(VentanaEntrada, ArticuloCompuestoYNuevo)
{
    auto *codigo = C<QLineEdit>("edCodigo");
    Escribir(codigo, QStringLiteral("BOT-0001"));
    Tecla(codigo, Qt::Key_Return);
    ASSERT_FALSE(env.mensajes.mostrados().empty());
    EXPECT_EQ(env.mensajes.mostrados().back().texto, QStringLiteral("No se pueden comprar articulos compuestos."));
    EXPECT_EQ(env.mensajes.mostrados().back().titulo, QStringLiteral("Atención"));
    EXPECT_TRUE(codigo->text().isEmpty());

    env.mensajes.Limpiar();
    Escribir(codigo, QStringLiteral("NO-EXISTE"));
    Tecla(codigo, Qt::Key_Return);
    EXPECT_TRUE(env.mensajes.Mostro(EntradaCompra::kArticuloNoEncontrado));
    // The article card opens for the new code, with this window disabled until it closes.
    QWidget *ficha = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmFichaArticulo") && w->isVisible())
            ficha = w;
    ASSERT_NE(ficha, nullptr);
    EXPECT_FALSE(frm->isEnabled());
    ficha->close();
    Procesar();
    EXPECT_TRUE(frm->isEnabled());
}

class VentanaEntradaCajero : public VentanaEntrada {
protected:
    VentanaEntradaCajero() : VentanaEntrada(QStringLiteral("CAJERO")) {}
};

TEST_F(VentanaEntradaCajero, SinDerechoNoCreaArticulos)
{
    auto *codigo = C<QLineEdit>("edCodigo");
    Escribir(codigo, QStringLiteral("NO-EXISTE"));
    Tecla(codigo, Qt::Key_Return);
    const auto &m = env.mensajes.mostrados();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1].texto, kMensajeSinPermiso);
    EXPECT_EQ(m[1].titulo, QStringLiteral("Atención"));
    EXPECT_FALSE(env.mensajes.Mostro(kAviso.arg(QStringLiteral("Ficha de artículo"))));
}

TEST_F(VentanaEntrada, ProveedorDelBuscadorYSegundaMoneda)
{
    env.datos->CargarTipoCambio();
    C<QPushButton>("btnBuscaProveedor")->click();
    Procesar();
    auto *buscador = Ventana<TfrmCambiarProveedor>();
    ASSERT_TRUE(buscador);
    EXPECT_FALSE(frm->isEnabled());
    Escribir(Control<QLineEdit>(buscador, "edNombre"), QStringLiteral("IMPORTADORA"));
    Control<QPushButton>(buscador, "btnAceptar")->click();
    Procesar();
    EXPECT_TRUE(frm->isEnabled());
    EXPECT_EQ(Texto("edNombreProveedor"), QStringLiteral("IMPORTADORA MEDICA INTERNACIONAL S.A."));
    EXPECT_EQ(frm->Entrada().CodigoProveedor(), 15);
    EXPECT_TRUE(C<QRadioButton>("rbMoneda2")->isChecked());  // the supplier buys in dollars
    EXPECT_EQ(frm->Entrada().Moneda(), 2);
    EXPECT_EQ(frm->focusWidget(), C<QLineEdit>("edCodigo"));

    // Proposed cost in dollars: 5200 / 520.
    auto *codigo = C<QLineEdit>("edCodigo");
    Escribir(codigo, QStringLiteral("7441001000288"));
    Tecla(codigo, Qt::Key_Return);
    EXPECT_EQ(Texto("edPrecio"), QStringLiteral("10.00"));

    // With a zero rate the second currency is refused.
    C<QRadioButton>("rbMoneda1")->click();
    env.datos->TipoCambio = Currency();
    env.mensajes.Limpiar();
    C<QRadioButton>("rbMoneda2")->click();
    Procesar();
    EXPECT_TRUE(C<QRadioButton>("rbMoneda1")->isChecked());
    EXPECT_EQ(frm->Entrada().Moneda(), 1);
    ASSERT_FALSE(env.mensajes.mostrados().empty());
    EXPECT_TRUE(env.mensajes.mostrados().back().texto.contains(QStringLiteral("tipo de cambio es cero")));
}

TEST_F(VentanaEntrada, EditorDeLinea)
{
    Reemplazar(C<QLineEdit>("edPOrceDesc"), QStringLiteral("10"));
    Tecla(C<QLineEdit>("edPOrceDesc"), Qt::Key_Return);
    Linea(kCrema, QStringLiteral("10"), QStringLiteral("3"));
    Linea(QStringLiteral("7441001000011"), QStringLiteral("20"), QStringLiteral("1"));
    auto *grid = C<QTableView>("GridCompra");
    grid->setCurrentIndex(grid->model()->index(0, 0));
    emit grid->doubleClicked(grid->currentIndex());
    Procesar();
    auto *editor = Ventana<TfrmModificarLinea>();
    ASSERT_TRUE(editor);
    EXPECT_FALSE(frm->isEnabled());
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Modificar Línea"));
    EXPECT_EQ(Control<QLineEdit>(editor, "edSubtotal")->text(), QStringLiteral("30.00"));
    EXPECT_EQ(Control<QLineEdit>(editor, "edImpDesc")->text(), QStringLiteral("3.00"));
    EXPECT_EQ(Control<QLineEdit>(editor, "edTotal")->text(), QStringLiteral("27.00"));
    EXPECT_TRUE(Control<QCheckBox>(editor, "chkGravado")->isChecked());

    // Only the quantity: the percentage stays and the amount follows.
    auto *cantidad = Control<QLineEdit>(editor, "edCant");
    Reemplazar(cantidad, QStringLiteral("4"));
    Tecla(cantidad, Qt::Key_Return);
    EXPECT_EQ(Control<QLineEdit>(editor, "edImpDesc")->text(), QStringLiteral("4.00"));
    EXPECT_EQ(Control<QLineEdit>(editor, "edTotal")->text(), QStringLiteral("36.00"));

    auto *porc = Control<QLineEdit>(editor, "edPorDesc");
    Reemplazar(porc, QStringLiteral("150"));
    Control<QPushButton>(editor, "btnAceptar")->click();
    EXPECT_TRUE(HuboGlobo(env.mensajes, "edPorDesc", QStringLiteral("El porcentaje de descuento no puede ser mayor a 100%")));
    Reemplazar(porc, QStringLiteral("25"));
    Control<QPushButton>(editor, "btnAceptar")->click();
    Procesar();
    EXPECT_FALSE(Ventana<TfrmModificarLinea>());
    EXPECT_TRUE(frm->isEnabled());
    EXPECT_EQ(Texto("edPOrceDesc"), QStringLiteral("0.000"));  // no global discount any more
    const auto lineas = frm->Entrada().Lineas();
    EXPECT_EQ(lineas[0].importeDescuento, Currency(10));
    EXPECT_EQ(lineas[1].porceDesc, Currency(10));
    EXPECT_EQ(Texto("edSubtotal1"), QStringLiteral("60.00"));
    EXPECT_EQ(Texto("edImporteDesc"), QStringLiteral("12.000"));
}

TEST_F(VentanaEntrada, EleccionDePrecioSinTocarElInventario)
{
    QFile ini(env.carpeta.file(QStringLiteral("datos.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    QTextStream(&ini) << "[Functions]\nAcumulaRenglonesCompras=N\n";
    ini.close();
    frm->close();
    Procesar();
    Abrir();
    Proveedor(12, QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
    Escribir(C<QLineEdit>("edComprob"), QStringLiteral("P-1"));
    for (const char *costo : {"12", "10", "11"})
        Linea(kCrema, QString::fromLatin1(costo), QStringLiteral("1"));
    ASSERT_EQ(Filas(), 3);
    const QString inventario = EntornoPrueba::Volcado(env.inventario);

    C<QPushButton>("btnEmitir")->click();
    Procesar();
    auto *eleccion = Ventana<TfrmSeleccionaPrecioCompra>();
    ASSERT_TRUE(eleccion);
    auto *grd = Control<QTableWidget>(eleccion, "grdPrecios");
    ASSERT_EQ(grd->rowCount(), 1);
    EXPECT_EQ(grd->item(0, 0)->text(), kCrema);
    QComboBox *lista = eleccion->ListaDeFila(0);
    ASSERT_EQ(lista->count(), 3);
    EXPECT_EQ(lista->itemText(0), QStringLiteral("12.00"));
    EXPECT_EQ(lista->itemText(1), QStringLiteral("11.00"));
    EXPECT_EQ(lista->itemText(2), QStringLiteral("10.00"));
    lista->setCurrentIndex(1);
    Control<QPushButton>(eleccion, "btnAplicar")->click();
    Procesar();
    auto *pago = Ventana<TfrmProcesar>();
    ASSERT_TRUE(pago);
    ASSERT_EQ(frm->Entrada().PreciosElegidos().size(), 1u);
    EXPECT_EQ(frm->Entrada().PreciosElegidos()[0].costo, Currency(11));
    Control<QPushButton>(pago, "btnCancelar")->click();  // Volver: nothing written
    Procesar();
    EXPECT_TRUE(frm->isEnabled());
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inventario);

    // Posted: the chosen cost is the article's purchase price (with its tax, as the article's
    // price includes it), so the next entry proposes it again.
    C<QPushButton>("btnEmitir")->click();
    Procesar();
    EXPECT_FALSE(Ventana<TfrmSeleccionaPrecioCompra>());
    pago = Ventana<TfrmProcesar>();
    ASSERT_TRUE(pago);
    env.mensajes.Responder(Mensajes::Respuesta::No);  // no receipt
    Control<QPushButton>(pago, "btnAceptar")->click();
    Procesar();
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("La Factura de Compra se ha cargado correctamente")));
    EXPECT_FALSE(frm);
    EXPECT_EQ(EntornoPrueba::Moneda(env.inventario, QStringLiteral("select PRECIO_COMPRA from INVENTARIO where "
                                                                   "COD_BARRAS = '%1'").arg(kCrema)),
              Currency::fromString(std::string("12.43")));
    Abrir();
    Escribir(C<QLineEdit>("edCodigo"), kCrema);
    Tecla(C<QLineEdit>("edCodigo"), Qt::Key_Return);
    EXPECT_EQ(Texto("edPrecio"), QStringLiteral("11.00"));
}

TEST_F(VentanaEntrada, ImportarHojaDesdeLaVentana)
{
    C<QPushButton>("JvArrowButton2")->click();
    EXPECT_TRUE(env.mensajes.Mostro(EntradaCompra::kSinArchivo));

    THojaCalc hoja(thcNone, false);
    hoja.SetCellText(3, 1, kCrema);
    hoja.SetCellText(3, 3, QStringLiteral("2"));
    hoja.SetCellText(3, 4, QStringLiteral("10"));
    hoja.SetCellText(4, 1, QStringLiteral("7441001000011"));
    hoja.SetCellText(4, 3, QStringLiteral("uno"));
    hoja.SetCellText(4, 4, QStringLiteral("10"));
    hoja.SaveDocAs(env.carpeta.file(QStringLiteral("mala.xlsx")));
    const QString mala = hoja.FileName;
    TfrmAgregaCompra::PedirArchivo = [&](QWidget *) { return mala; };
    C<QPushButton>("btnSearchFile")->click();
    EXPECT_EQ(Texto("edArchivoXLS"), mala);
    env.mensajes.Limpiar();
    C<QPushButton>("JvArrowButton2")->click();
    Procesar();
    ASSERT_FALSE(env.mensajes.mostrados().empty());
    EXPECT_TRUE(env.mensajes.mostrados().back().texto.contains(QStringLiteral("Fila 4, columna 3 (Cantidad)")))
        << env.mensajes.mostrados().back().texto.toStdString();
    EXPECT_EQ(Filas(), 0);

    hoja.SetCellText(4, 3, QStringLiteral("1"));
    hoja.SaveDocAs(mala);
    C<QPushButton>("JvArrowButton2")->click();
    Procesar();
    EXPECT_EQ(Filas(), 2);
    EXPECT_EQ(Texto("edSubtotal1"), QStringLiteral("30.00"));
    EXPECT_TRUE(frm->isEnabled());
    TfrmAgregaCompra::PedirArchivo = nullptr;
}

TEST_F(VentanaEntrada, DescuentosRotuladosYNumerosReformateadosAlSalir)
{
    auto *porc = C<QLabel>("lblPorcDesc");
    auto *monto = C<QLabel>("lblImporteDesc");
    EXPECT_EQ(porc->buddy(), C<QLineEdit>("edPOrceDesc"));
    EXPECT_EQ(monto->buddy(), C<QLineEdit>("edImporteDesc"));
    EXPECT_TRUE(porc->text().contains(QLatin1Char('%')));
    frm->resize(1366, 768);
    Procesar();
    for (QLabel *l : {porc, monto})
        EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();

    auto *codigo = C<QLineEdit>("edCodigo");
    Reemplazar(codigo, kCrema);
    Tecla(codigo, Qt::Key_Return);
    Reemplazar(C<QLineEdit>("edPrecio"), QStringLiteral("1500"));
    Tecla(C<QLineEdit>("edPrecio"), Qt::Key_Return);
    EXPECT_EQ(Texto("edPrecio"), QStringLiteral("1,500.00"));
}

TEST_F(VentanaEntrada, FechaSeTecleaTrasUnClicOCtrlA)
{
    auto *fecha = C<QDateEdit>("edFecha");
    auto *texto = fecha->findChild<QLineEdit *>();
    ASSERT_TRUE(texto);
    fecha->setDate(QDate(2024, 1, 15));
    C<QLineEdit>("edCodigo")->setFocus();
    // A click on the month selects it; typing replaces it.
    QTest::mouseClick(texto, Qt::LeftButton, {}, QPoint(texto->fontMetrics().horizontalAdvance(QStringLiteral("15/0")) + 3,
                                                        texto->height() / 2));
    EXPECT_TRUE(fecha->hasFocus());
    EXPECT_EQ(texto->selectedText(), QStringLiteral("01"));
    QTest::keyClicks(fecha, "07");
    EXPECT_EQ(fecha->date(), QDate(2024, 7, 15));
    // Ctrl+A and a whole date.
    QTest::keyClick(fecha, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(fecha, "05/12/2026");
    EXPECT_EQ(fecha->date(), QDate(2026, 12, 5));
    // From the day, separators move on.
    QTest::mouseClick(texto, Qt::LeftButton, {}, QPoint(2, texto->height() / 2));
    QTest::keyClicks(fecha, "9/3/2027");
    EXPECT_EQ(fecha->date(), QDate(2027, 3, 9));
    // An incomplete date left behind keeps the one in force.
    QTest::keyClick(fecha, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(fecha, "3112");
    C<QLineEdit>("edCodigo")->setFocus();
    Procesar();
    EXPECT_EQ(fecha->date(), QDate(2027, 3, 9));
    EXPECT_EQ(texto->text(), QStringLiteral("09/03/2027"));
    EXPECT_EQ(frm->Entrada().Fecha(), QDate(2027, 3, 9));
}

TEST_F(VentanaEntrada, PlanillaDeCargaEnDocumentos)
{
    // Not created beforehand: the button makes the folder.
    const QString documentos = env.carpeta.file(QStringLiteral("docs/Documentos"));
    TfrmAgregaCompra::CarpetaDocumentos = [&] { return documentos; };
    QUrl abierto;
    THojaCalc::AbrirEnEscritorio = [&](const QUrl &u) { abierto = u; return true; };
    C<QPushButton>("btn_GenPlanilla")->click();
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("La hoja \"Comp_importar_compras.xlsx\" no existe, solicítela a su técnico")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(COMPRAS_REPORTES_FUENTE "/Comp_importar_compras.xlsx"),
                            env.carpeta.file(QStringLiteral("Comp_importar_compras.xlsx"))));
    C<QPushButton>("btn_GenPlanilla")->click();
    EXPECT_EQ(abierto.toLocalFile(), documentos + QStringLiteral("/Comp_importar_compras.xlsx"));
    TfrmAgregaCompra::CarpetaDocumentos = nullptr;
}

// "Nota de Crédito" + F9 opens the return of goods against the note; recording it closes both.
TEST_F(VentanaEntrada, NotaDeCreditoAbreLaDevolucionDeMercaderia)
{
    Proveedor(12, QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
    auto *tipo = C<QComboBox>("edComprobante");
    tipo->setCurrentText(EntradaCompra::TipoNotaCredito);
    emit tipo->activated(tipo->currentIndex());
    Escribir(C<QLineEdit>("edComprob"), QStringLiteral("NC-77"));
    Linea(kCrema, QStringLiteral("10"), QStringLiteral("2"));
    ASSERT_EQ(Filas(), 1);
    C<QPushButton>("btnEmitir")->click();
    Procesar();
    EXPECT_FALSE(env.mensajes.Mostro(kAviso.arg(QStringLiteral("Devolución de Mercadería"))));
    auto *devolucion = Ventana<TfrmNCDevolucion>();
    ASSERT_TRUE(devolucion) << env.mensajes.textos().join(QLatin1Char(0x7c)).toStdString();
    EXPECT_EQ(devolucion->windowTitle(), QStringLiteral("Devolución de Mercadería"));
    EXPECT_FALSE(frm->isEnabled());
    devolucion->MostrarReporte = [](Reporte &) {};
    Control<QCheckBox>(devolucion, "ckNoSistema")->click();
    Control<QPushButton>(devolucion, "btnAceptar")->click();
    Procesar();
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("La Nota de Crédito se ha cargado correctamente")))
        << env.mensajes.textos().join('|').toStdString();
    EXPECT_FALSE(frm);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from NOTAS_CREDITO_PROV where COMPROBANTE = 'NC-77' "
                                                "and COD_PROVEEDOR = 12 and TIPO_NC = 2"),
              1);
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()
