// The article card: its checks, the save (one commit over both databases, counters reserved
// under lock, nothing left behind by a failure, two stations at once), and the window driven
// offscreen from purchase entry and from the article search.
#include "catalogs/Comp_frmbuscararticulos.h"
#include "catalogs/Comp_frmfichaarticulo.h"
#include "purchases/Comp_frmagregacompras.h"
#include "purchases/PosteoPrueba.h"
#include "support/EntornoPrueba.h"
#include "support/PruebaVentanas.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using posteo::Fallar;
using posteo::PrepararFallas;
using pruebas::Procesar;
using pruebas::Reemplazar;
using pruebas::Tecla;
using pruebas::Ventana;

namespace {

Currency C(const char *texto) { return Currency::fromString(std::string(texto)); }

const QString kAgua = QStringLiteral("7441001000349");
const QString kAcetaminofen = QStringLiteral("7441001000011");  // code 2 DFV-1001

class Ficha : public ::testing::Test {
protected:
    EntornoPrueba env;

    FichaArticulo Nucleo() { return FichaArticulo(ConexionesDeDatosComp(*env.datos), AjustesDeFicha(*env.datos)); }
    void Config(const QString &asignacion)
    {
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update CONFIGURACION set %1 where ID = 1").arg(asignacion));
        env.estacion->config.refresh();
    }
    ArticuloFicha Articulo(FichaArticulo &f, const QString &codigo, Currency stock = {})
    {
        ArticuloFicha a = f.Nuevo(OrigenFicha::Agregar, codigo);
        a.fila.NOMBRE = QStringLiteral("JARABE PARA LA TOS 120 ML");
        a.fila.PRECIO_COMPRA = C("1000");
        a.fila.STOCK = stock;
        return a;
    }
    int Entero(db::Database &base, const QString &sql) { return EntornoPrueba::Entero(base, sql); }
    QString Texto(db::Database &base, const QString &sql) { return EntornoPrueba::Texto(base, sql); }
};

bool Falla(const std::vector<FalloFicha> &fallos, FalloFicha::Campo campo, const QString &texto)
{
    for (const FalloFicha &f : fallos)
        if (f.campo == campo && f.texto == texto)
            return true;
    return false;
}

} // namespace

TEST_F(Ficha, CodigosRepetidosYObligatorios)
{
    Config(QStringLiteral("NO_REPETIR_COD2_3 = 'N'"));
    FichaArticulo f = Nucleo();
    EXPECT_TRUE(f.CodigoExiste(kAgua));
    EXPECT_FALSE(f.CodigoExiste(QStringLiteral("DFV-1001")));  // code 1 looks at COD_BARRAS only

    ArticuloFicha a = Articulo(f, kAgua);
    a.fila.CODIGO2 = QStringLiteral("DFV-1001");
    a.fila.NOMBRE.clear();
    auto fallos = f.Validar(a);
    EXPECT_TRUE(Falla(fallos, FalloFicha::Campo::Codigo, TextoFicha::CodigoExiste));
    EXPECT_TRUE(Falla(fallos, FalloFicha::Campo::Nombre, TextoFicha::NombreObligatorio));
    EXPECT_FALSE(Falla(fallos, FalloFicha::Campo::Codigo2, TextoFicha::Codigo2Existe));  // setting off

    Config(QStringLiteral("NO_REPETIR_COD2_3 = 'S'"));
    FichaArticulo g = Nucleo();
    a = Articulo(g, QStringLiteral("NUEVO-1"));
    a.fila.CODIGO2 = QStringLiteral("DFV-1001");  // another article's code 2
    a.fila.CODIGO3 = kAgua;                        // another article's code 1
    fallos = g.Validar(a);
    EXPECT_TRUE(Falla(fallos, FalloFicha::Campo::Codigo2, TextoFicha::Codigo2Existe));
    EXPECT_TRUE(Falla(fallos, FalloFicha::Campo::Codigo3, TextoFicha::Codigo3Existe));
    // Empty codes 2 and 3 are never reported; a code 2 equal to this card's code 1 is.
    a.fila.CODIGO3.clear();
    a.fila.CODIGO2 = QStringLiteral("NUEVO-1");
    fallos = g.Validar(a);
    ASSERT_EQ(fallos.size(), 1u);
    EXPECT_EQ(fallos[0].campo, FalloFicha::Campo::Codigo2);
    EXPECT_FALSE(fallos[0].globo);
    // Code 1 equal to another article's code 2 is refused while codes must not repeat.
    a = Articulo(g, QStringLiteral("DFV-1001"));
    EXPECT_TRUE(Falla(g.Validar(a), FalloFicha::Campo::Codigo, TextoFicha::CodigoExiste));

    a = Articulo(g, QString());
    EXPECT_TRUE(Falla(g.Validar(a), FalloFicha::Campo::Codigo, TextoFicha::CodigoObligatorio));
    a = Articulo(g, QString(31, QLatin1Char('7')));
    EXPECT_TRUE(Falla(g.Validar(a), FalloFicha::Campo::Codigo, TextoFicha::CodigoLargo.arg(30)));
    Config(QStringLiteral("COD_ARTICULO_AUTOMATICO = 'S'"));
    FichaArticulo h = Nucleo();
    a = Articulo(h, QString());
    EXPECT_TRUE(Falla(h.Validar(a), FalloFicha::Campo::Familia, TextoFicha::FamiliaObligatoria));
    a.fila.COD_FAMILIA = QStringLiteral("NO-EXISTE");
    EXPECT_TRUE(Falla(h.Validar(a), FalloFicha::Campo::Familia, TextoFicha::FamiliaInexistente));
}

TEST_F(Ficha, ReglasDeImportesYCantidades)
{
    EXPECT_EQ(FichaArticulo::DescuentoValido(C("100")).first, C("100"));
    EXPECT_TRUE(FichaArticulo::DescuentoValido(C("100")).second.isEmpty());
    EXPECT_EQ(FichaArticulo::DescuentoValido(C("100.01")), std::pair(Currency(), TextoFicha::DescuentoMayor));
    EXPECT_EQ(FichaArticulo::DescuentoValido(C("-0.01")), std::pair(Currency(), TextoFicha::DescuentoMenor));
    EXPECT_EQ(FichaArticulo::CoeficienteEntero(C("12.5")), C("12"));
    EXPECT_EQ(FichaArticulo::CoeficienteEntero(C("13.5")), C("14"));
    EXPECT_EQ(FichaArticulo::Comprobante(57), QStringLiteral("000000000057"));

    FichaArticulo f = Nucleo();
    const auto suelto = f.Componente(kAgua, QStringLiteral("AGUA"), C("450"), C("3"), false, 0);
    ASSERT_TRUE(suelto);
    EXPECT_EQ(suelto->cantidad, C("3"));
    const auto sobre = f.Componente(kAcetaminofen, QStringLiteral("ACETAMINOFEN"), C("2400"), C("2"), true, 1);
    ASSERT_TRUE(sobre);
    EXPECT_EQ(sobre->cantidad, C("0.2"));  // two envelopes of a tenth of the box
    EXPECT_EQ(FichaArticulo::CostoComponentes({*suelto, *sobre}), C("1830"));
    EXPECT_FALSE(f.Componente(QStringLiteral("NO-EXISTE"), {}, C("1"), C("1"), false, 0));
}

TEST_F(Ficha, GuardarEscribeArticuloComponentesYEntradaDeStock)
{
    FichaArticulo f = Nucleo();
    ArticuloFicha a = Articulo(f, QStringLiteral("JAR-120"), C("12"));
    a.fila.Niveles[0].COEFA = C("12.5");
    a.fila.Niveles[0].COEFB = C("13.5");
    a.componentes.push_back(*f.Componente(kAgua, QStringLiteral("AGUA"), C("450"), C("2"), false, 0));
    a.fracciones.push_back({QStringLiteral("SOBRE X 10"), 1, C("10")});
    a.ingredientes.push_back({QStringLiteral("DEXTROMETORFANO"), QStringLiteral("15 MG")});
    const int consecutivo = Entero(env.tienda, QStringLiteral("select ENTRADA from CONSECUTIVOS where ID = 1"));

    EXPECT_EQ(f.Guardar(a), QStringLiteral("JAR-120"));
    const QString fila = QStringLiteral(" from INVENTARIO where COD_BARRAS = 'JAR-120'");
    EXPECT_EQ(Texto(env.inventario, QStringLiteral("select NOMBRE") + fila), QStringLiteral("JARABE PARA LA TOS 120 ML"));
    EXPECT_DOUBLE_EQ(EntornoPrueba::Real(env.inventario, QStringLiteral("select COEFA_1") + fila), 12);
    EXPECT_DOUBLE_EQ(EntornoPrueba::Real(env.inventario, QStringLiteral("select COEFB_1") + fila), 14);
    EXPECT_DOUBLE_EQ(EntornoPrueba::Real(env.inventario, QStringLiteral("select STOCK") + fila), 12);
    EXPECT_DOUBLE_EQ(EntornoPrueba::Real(env.inventario, QStringLiteral("select COSTO_PROMEDIO") + fila), 1000);
    EXPECT_EQ(Entero(env.inventario, QStringLiteral("select count(*) from COMPUESTO where COD_BARRAS = 'JAR-120' and CANTIDAD = 2")), 1);
    EXPECT_EQ(Entero(env.inventario, QStringLiteral("select count(*) from ART_FRACCIONADOS where COD_BARRAS = 'JAR-120'")), 1);
    EXPECT_EQ(Entero(env.inventario, QStringLiteral("select count(*) from COMPOSICION where ID_ARTICULO = 'JAR-120'")), 1);
    // The counter's number 1 is already used by a document: the next free one is taken.
    const QString numero = f.ComprobanteEntradaSalida();
    EXPECT_EQ(numero, FichaArticulo::Comprobante(qMax(consecutivo, 2)));
    EXPECT_GT(Entero(env.tienda, QStringLiteral("select ENTRADA from CONSECUTIVOS where ID = 1")), numero.toInt());
    EXPECT_EQ(Texto(env.tienda, QStringLiteral("select TIPO_MOV || '|' || DESCRIPCION from ENTRADA_SALIDA where COMPROBANTE = '%1'")
                                    .arg(numero)),
              QStringLiteral("1|Cambio manual de cantidad, artículo JAR-120. USUARIO: ") + AjustesDeFicha(*env.datos).usuario);
    EXPECT_EQ(Entero(env.tienda, QStringLiteral("select CANTIDAD from DETALLE_ENTRADA_SALIDA where COMPROBANTE = '%1' and "
                                                "COD_BARRAS = 'JAR-120'").arg(numero)), 12);
    EXPECT_EQ(Entero(env.tienda, QStringLiteral("select count(*) from MOVIMIENTOS_STOCK where COMPROBANTE = '%1' and "
                                                "COD_BARRAS = 'JAR-120' and TIPO_MOVIMIENTO = 1").arg(numero)), 1);

    // Without stock no document is written.
    const int documentos = Entero(env.tienda, QStringLiteral("select count(*) from ENTRADA_SALIDA"));
    EXPECT_EQ(f.Guardar(Articulo(f, QStringLiteral("JAR-240"))), QStringLiteral("JAR-240"));
    EXPECT_TRUE(f.ComprobanteEntradaSalida().isEmpty());
    EXPECT_EQ(Entero(env.tienda, QStringLiteral("select count(*) from ENTRADA_SALIDA")), documentos);
    // Saving the same code again fails and writes nothing.
    const QString inv = EntornoPrueba::Volcado(env.inventario);
    EXPECT_THROW(f.Guardar(Articulo(f, QStringLiteral("JAR-240"), C("3"))), ErrorCompras);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inv);
}

// Stock below the opening stock is written as an exit document numbered from its own counter.
TEST_F(Ficha, ExistenciaMenorEscribeUnaSalida)
{
    FichaArticulo f = Nucleo();
    const int entrada = Entero(env.tienda, QStringLiteral("select ENTRADA from CONSECUTIVOS where ID = 1"));
    const int salida = Entero(env.tienda, QStringLiteral("select SALIDA from CONSECUTIVOS where ID = 1"));
    ArticuloFicha a = Articulo(f, QStringLiteral("SAL-1"), C("3"));
    a.stockInicial = C("5");
    EXPECT_EQ(f.Guardar(a), QStringLiteral("SAL-1"));
    const QString numero = f.ComprobanteEntradaSalida();
    EXPECT_EQ(numero, FichaArticulo::Comprobante(salida));
    EXPECT_EQ(Entero(env.tienda, QStringLiteral("select SALIDA from CONSECUTIVOS where ID = 1")), salida + 1);
    EXPECT_EQ(Entero(env.tienda, QStringLiteral("select ENTRADA from CONSECUTIVOS where ID = 1")), entrada);
    EXPECT_EQ(Entero(env.tienda, QStringLiteral("select TIPO_SALIDA from ENTRADA_SALIDA where TIPO_MOV = 2 and COMPROBANTE = '%1'")
                                     .arg(numero)), 5);
    EXPECT_EQ(Entero(env.tienda, QStringLiteral("select CANTIDAD from DETALLE_ENTRADA_SALIDA where TIPO_MOVIMIENTO = 2 and "
                                                "COMPROBANTE = '%1'").arg(numero)), 2);
    EXPECT_EQ(Entero(env.tienda, QStringLiteral("select count(*) from MOVIMIENTOS_STOCK where TIPO_MOVIMIENTO = 2 and "
                                                "COD_BARRAS = 'SAL-1'")), 1);
}

TEST_F(Ficha, CodigoAutomaticoAvanzaElContadorDeLaFamilia)
{
    Config(QStringLiteral("COD_ARTICULO_AUTOMATICO = 'S'"));
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update FAMILIA set NRO_ARTICULO = 57 where COD_FAMILIA = 'ABA'"));
    FichaArticulo f = Nucleo();
    EXPECT_EQ(f.CodigoAutomatico(QStringLiteral("ABA")), QStringLiteral("ABA57"));
    ArticuloFicha a = Articulo(f, QString());
    a.fila.COD_FAMILIA = QStringLiteral("ABA");
    EXPECT_EQ(f.Guardar(a), QStringLiteral("ABA57"));
    EXPECT_EQ(Entero(env.inventario, QStringLiteral("select NRO_ARTICULO from FAMILIA where COD_FAMILIA = 'ABA'")), 58);
    // A number already used as a code by hand is skipped.
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into INVENTARIO (COD_BARRAS, NOMBRE) values ('ABA58', 'X')"));
    EXPECT_EQ(f.Guardar(a), QStringLiteral("ABA59"));
    EXPECT_EQ(Entero(env.inventario, QStringLiteral("select NRO_ARTICULO from FAMILIA where COD_FAMILIA = 'ABA'")), 60);
}

// Each write of the save made to fail in turn: both databases stay exactly as they were.
TEST_F(Ficha, UnaFallaEnCualquierEscrituraNoDejaNada)
{
    Config(QStringLiteral("COD_ARTICULO_AUTOMATICO = 'S'"));
    PrepararFallas(env.tienda, {"CONSECUTIVOS", "ENTRADA_SALIDA", "DETALLE_ENTRADA_SALIDA", "MOVIMIENTOS_STOCK",
                                "TRANSACCIONES_2PC"});
    PrepararFallas(env.inventario, {"INVENTARIO", "FAMILIA", "COMPUESTO", "ART_FRACCIONADOS", "COMPOSICION",
                                    "TRANSACCIONES_2PC"});
    FichaArticulo f = Nucleo();
    ArticuloFicha a = Articulo(f, QString(), C("5"));
    a.fila.COD_FAMILIA = QStringLiteral("CUI");
    a.componentes.push_back(*f.Componente(kAgua, QStringLiteral("AGUA"), C("450"), C("2"), false, 0));
    a.fracciones.push_back({QStringLiteral("SOBRE X 10"), 1, C("10")});
    a.ingredientes.push_back({QStringLiteral("MENTOL"), QStringLiteral("1 %")});
    const std::pair<db::Database *, const char *> casos[] = {
        {&env.inventario, "FAMILIA:U"},       {&env.inventario, "INVENTARIO:I"},
        {&env.inventario, "COMPUESTO:I"},     {&env.inventario, "ART_FRACCIONADOS:I"},
        {&env.inventario, "COMPOSICION:I"},   {&env.tienda, "CONSECUTIVOS:U"},
        {&env.tienda, "ENTRADA_SALIDA:I"},    {&env.tienda, "DETALLE_ENTRADA_SALIDA:I"},
        {&env.tienda, "MOVIMIENTOS_STOCK:I"}, {&env.tienda, "TRANSACCIONES_2PC:I"},
    };
    for (const auto &[base, clave] : casos) {
        SCOPED_TRACE(clave);
        Fallar(*base, QLatin1String(clave));
        const QString t = EntornoPrueba::Volcado(env.tienda), i = EntornoPrueba::Volcado(env.inventario);
        EXPECT_THROW(f.Guardar(a), ErrorCompras);
        EXPECT_TRUE(f.ComprobanteEntradaSalida().isEmpty());
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), t);
        EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), i);
        Fallar(*base, {});
    }
    EXPECT_EQ(f.Guardar(a), QStringLiteral("CUI1"));
}

// Two stations save while the first still holds its counters: the second waits, then takes
// the next code and the next document number.
TEST_F(Ficha, DosEstacionesGuardanALaVez)
{
    Config(QStringLiteral("COD_ARTICULO_AUTOMATICO = 'S'"));
    const int familia = Entero(env.inventario, QStringLiteral("select NRO_ARTICULO from FAMILIA where COD_FAMILIA = 'CUI-BEB'"));
    const AjustesFicha ajustes = AjustesDeFicha(*env.datos);
    std::unique_ptr<ConexionExtra> otra = env.AbrirConexion();
    FichaArticulo a(ConexionesDeDatosComp(*env.datos), ajustes);
    FichaArticulo b(ConexionesCompra{&otra->tienda, &otra->transUpdate, &otra->inventario, &otra->transUpdateInv}, ajustes);
    ArticuloFicha articulo = Articulo(a, QString(), C("4"));
    articulo.fila.COD_FAMILIA = QStringLiteral("CUI-BEB");

    QString codigoB, errorB;
    std::thread hilo;
    a.TrasPaso = [&](const QString &paso) {
        if (paso != QLatin1String("MOVIMIENTOS_STOCK") || hilo.joinable())
            return;
        hilo = std::thread([&] {
            try {
                codigoB = b.Guardar(articulo);
            } catch (const ErrorCompras &e) {
                errorB = e.mensaje();
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    };
    const QString codigoA = a.Guardar(articulo);
    hilo.join();
    EXPECT_TRUE(errorB.isEmpty()) << errorB.toStdString();
    EXPECT_EQ(codigoA, QStringLiteral("CUI-BEB%1").arg(familia));
    EXPECT_EQ(codigoB, QStringLiteral("CUI-BEB%1").arg(familia + 1));
    EXPECT_FALSE(a.ComprobanteEntradaSalida().isEmpty());
    EXPECT_NE(a.ComprobanteEntradaSalida(), b.ComprobanteEntradaSalida());
    EXPECT_EQ(Entero(env.tienda, QStringLiteral("select count(distinct COMPROBANTE) from ENTRADA_SALIDA where TIPO_MOV = 1 and "
                                                "DESCRIPCION like '%CUI-BEB%'")), 2);
    EXPECT_EQ(Entero(env.inventario, QStringLiteral("select NRO_ARTICULO from FAMILIA where COD_FAMILIA = 'CUI-BEB'")), familia + 2);
}

// ---------------------------------------------------------------------------
// The window

namespace {

class VentanaFicha : public Ficha {
protected:
    QWidget llamador;
    void SetUp() override { llamador.show(); }
    void TearDown() override
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != &llamador)
                w->close();
        Procesar();
    }
    TfrmFichaArticulo *Abrir(const QString &origen, const QString &codigo, QString *devuelto = nullptr)
    {
        TfrmFichaArticulo *v = AbrirFichaArticuloNueva(*env.datos, &llamador, codigo, origen, [devuelto](const QString &c) {
            if (devuelto)
                *devuelto = c;
        });
        Procesar();
        return v;
    }
    static void Nombre(TfrmFichaArticulo *v, const QString &nombre)
    {
        v->EditNombre->setFocus();
        pruebas::Escribir(v->EditNombre, nombre);
    }
    static void Campo(QLineEdit *ed, const QString &texto)
    {
        Reemplazar(ed, texto);
        Tecla(ed, Qt::Key_Return);
    }
};

} // namespace

TEST_F(VentanaFicha, PreciosSiguenCostoMargenYRedondeo)
{
    QPointer<TfrmFichaArticulo> v = Abrir(OrigenFicha::Buscar, {});
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Ficha de Artículo"));
    EXPECT_FALSE(llamador.isEnabled());
    v->Paginas->setCurrentWidget(v->tabPrecios);
    // Untaxed, so both computed prices equal the level's price.
    v->chkGravado->click();
    EXPECT_FALSE(v->ckRedondeaFinal->isVisible());
    v->cbxBase[0]->setCurrentIndex(1);  // last purchase price
    Campo(v->editCoefA[0], QStringLiteral("30"));
    Campo(v->editCoefB[0], QStringLiteral("10"));
    Campo(v->editSumaFija[0], QStringLiteral("5"));
    Campo(v->editRedondeo[0], QStringLiteral("0"));
    Campo(v->editPrecio, QStringLiteral("1000"));
    EXPECT_EQ(v->editPrecioSin[0]->text(), QStringLiteral("1,435.00"));
    EXPECT_EQ(v->editPrecioCon[0]->text(), QStringLiteral("1,435.00"));
    Campo(v->editRedondeo[0], QStringLiteral("-1"));
    EXPECT_EQ(v->editPrecioSin[0]->text(), QStringLiteral("1,440.00"));
    // Level 2 on sale price 1 follows it in the same calculation.
    v->cbxBase[1]->setCurrentIndex(3);
    Campo(v->editCoefA[1], QStringLiteral("0"));
    Campo(v->editCoefB[1], QStringLiteral("0"));
    Campo(v->editSumaFija[1], QStringLiteral("0"));
    Campo(v->editRedondeo[1], QStringLiteral("2"));
    EXPECT_EQ(v->editPrecioSin[1]->text(), QStringLiteral("1,440.00"));
    // Manual: rules cleared, the price is typed.
    v->cbxBase[2]->setCurrentIndex(0);
    EXPECT_FALSE(v->editCoefA[2]->isEnabled());
    EXPECT_FALSE(v->editPrecioSin[2]->isReadOnly());
    Campo(v->editPrecioSin[2], QStringLiteral("777"));
    EXPECT_EQ(v->Calculadora().Nivel(3).preven, C("777"));
    // A price the level cannot carry is refused and reported; the level keeps its values.
    Campo(v->editPrecio, QStringLiteral("99999999999999"));
    EXPECT_EQ(v->Calculadora().Nivel(1).preven, C("1440"));
    EXPECT_EQ(v->Calculadora().Precios().precioCompra, C("1000"));
    EXPECT_FALSE(env.mensajes.mostrados().empty());
    EXPECT_TRUE(v->lblAvisoPrecios->text().isEmpty());
    // A cost whose level 1 would pass the largest amount: level 1 keeps its price and says so.
    Campo(v->editPrecio, QStringLiteral("900000000"));
    EXPECT_EQ(v->Calculadora().Nivel(1).preven, C("1440"));
    EXPECT_TRUE(v->lblAvisoPrecios->text().contains(QStringLiteral("precio 1;"))) << v->lblAvisoPrecios->text().toStdString();
    Campo(v->editPrecio, QStringLiteral("1000"));
    EXPECT_TRUE(v->lblAvisoPrecios->text().isEmpty());

    // The discount limit: 100 accepted, above it zeroed with a balloon.
    v->ckNoDesc->click();
    EXPECT_TRUE(v->editDescMax->isVisible());
    EXPECT_EQ(v->lblNotaDesc->text(), QStringLiteral(">>"));
    Campo(v->editDescMax, QStringLiteral("100.01"));
    EXPECT_TRUE(env.mensajes.Mostro(TextoFicha::DescuentoMayor));
    EXPECT_EQ(v->editDescMax->text(), QStringLiteral("0.00"));
    Campo(v->editDescMax, QStringLiteral("100"));
    EXPECT_EQ(v->editDescMax->text(), QStringLiteral("100.00"));
    v->btnCancelarClick();
    Procesar();
    EXPECT_TRUE(llamador.isEnabled());
    EXPECT_FALSE(v);
}

TEST_F(VentanaFicha, CodigoRepetidoSeVaciaYLaFichaGuardaYDevuelveElCodigo)
{
    QString devuelto;
    QPointer<TfrmFichaArticulo> v = Abrir(OrigenFicha::Agregar, QStringLiteral("nuevo-77"), &devuelto);
    EXPECT_EQ(v->editCodBarras->text(), QStringLiteral("NUEVO-77"));
    Campo(v->editCodBarras, kAgua);
    EXPECT_TRUE(env.mensajes.Mostro(TextoFicha::CodigoExiste));
    EXPECT_TRUE(v->editCodBarras->text().isEmpty());

    // Nothing typed: the balloons, and nothing goes back.
    env.mensajes.Limpiar();
    v->btnAceptar->click();
    EXPECT_TRUE(env.mensajes.Mostro(TextoFicha::NombreObligatorio));
    EXPECT_TRUE(env.mensajes.Mostro(TextoFicha::CodigoObligatorio));
    EXPECT_TRUE(devuelto.isEmpty());

    Campo(v->editCodBarras, QStringLiteral("nuevo-77"));
    Nombre(v, QStringLiteral("galletas de avena"));
    EXPECT_EQ(v->EditNombre->toPlainText(), QStringLiteral("GALLETAS DE AVENA"));
    Campo(v->editExistencia, QStringLiteral("6"));
    // Composite: the cost follows its components.
    v->ckCompuesto->click();
    EXPECT_TRUE(v->Paginas->isTabVisible(v->Paginas->indexOf(v->tabComposicion)));
    v->AgregarCompuesto(kAgua, QStringLiteral("AGUA"), C("450"), C("2"), false, 0);
    v->AgregarCompuesto(kAcetaminofen, QStringLiteral("ACETAMINOFEN"), C("2400"), C("1"), true, 1);
    EXPECT_EQ(v->gridComposicion->rowCount(), 2);
    EXPECT_EQ(v->Calculadora().Precios().precioCompra, C("1140"));
    EXPECT_TRUE(v->AgregarFraccionamiento(QStringLiteral("SOBRE X 10"), 1, C("5")));
    EXPECT_FALSE(v->AgregarFraccionamiento(QStringLiteral("SOBRE X 10"), 1, C("5")));  // already assigned
    v->btnAceptar->click();
    Procesar();
    EXPECT_FALSE(v);
    EXPECT_EQ(devuelto, QStringLiteral("NUEVO-77"));
    EXPECT_TRUE(llamador.isEnabled());
    EXPECT_EQ(Entero(env.inventario, QStringLiteral("select count(*) from COMPUESTO where COD_BARRAS = 'NUEVO-77'")), 2);
    EXPECT_EQ(Entero(env.inventario, QStringLiteral("select count(*) from ART_FRACCIONADOS where COD_BARRAS = 'NUEVO-77'")), 1);
    EXPECT_EQ(Entero(env.inventario, QStringLiteral("select PRECIO_COMPRA from INVENTARIO where COD_BARRAS = 'NUEVO-77'")), 1140);
}

TEST_F(VentanaFicha, CancelarOFallarNoDejaFilasNiDevuelveCodigo)
{
    const QString inv = EntornoPrueba::Volcado(env.inventario);
    QString devuelto;
    QPointer<TfrmFichaArticulo> v = Abrir(OrigenFicha::Agregar, QStringLiteral("CANC-1"), &devuelto);
    Nombre(v, QStringLiteral("CANCELADO"));
    v->ckCompuesto->click();
    v->AgregarCompuesto(kAgua, QStringLiteral("AGUA"), C("450"), C("2"), false, 0);
    v->AgregarCompuesto(kAgua, QStringLiteral("AGUA"), C("450"), C("1"), false, 0);
    Tecla(v->editNombre2, Qt::Key_Escape);
    EXPECT_FALSE(v);
    EXPECT_TRUE(devuelto.isEmpty());
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inv);

    PrepararFallas(env.tienda, {"MOVIMIENTOS_STOCK"});
    Fallar(env.tienda, QStringLiteral("MOVIMIENTOS_STOCK:I"));
    const QString tiendaConFalla = EntornoPrueba::Volcado(env.tienda);
    v = Abrir(OrigenFicha::Agregar, QStringLiteral("FALLA-1"), &devuelto);
    Nombre(v, QStringLiteral("NO SE GUARDA"));
    Campo(v->editExistencia, QStringLiteral("3"));
    v->btnAceptar->click();
    Procesar();
    ASSERT_TRUE(v);
    EXPECT_TRUE(devuelto.isEmpty());
    EXPECT_TRUE(env.mensajes.Mostro(TextoFicha::ErrorMovStock));
    EXPECT_FALSE(llamador.isEnabled());
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inv);
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tiendaConFalla);
    // Once the fault is gone the same card saves.
    Fallar(env.tienda, {});
    v->btnAceptar->click();
    Procesar();
    EXPECT_EQ(devuelto, QStringLiteral("FALLA-1"));
}

TEST_F(VentanaFicha, CodigoAutomaticoDesdeLaFamiliaYNoEditable)
{
    Config(QStringLiteral("COD_ARTICULO_AUTOMATICO = 'S'"));
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update FAMILIA set NRO_ARTICULO = 57 where COD_FAMILIA = 'ABA'"));
    QPointer<TfrmFichaArticulo> v = Abrir(OrigenFicha::Buscar, {});
    EXPECT_TRUE(v->editCodBarras->isReadOnly());
    v->editCodBarras->setFocus();
    Tecla(v->editCodBarras, Qt::Key_A);
    EXPECT_TRUE(env.mensajes.Mostro(QStringLiteral("No puede modificar el Código del Artículo")));
    EXPECT_EQ(v->Articulo().fila.PORC_IV, C("13"));  // the search sets the store's tax
    v->FamiliaElegida(QStringLiteral("ABA"), QStringLiteral("ABARROTES Y BEBIDAS"), true);
    EXPECT_EQ(v->editCodBarras->text(), QStringLiteral("ABA57"));
    v->btnLimpiarFamilia->click();
    EXPECT_TRUE(v->editCodBarras->text().isEmpty());
    // Typing a family code in the box looks it up; an unknown one restores the name.
    Campo(v->cbxFamilia, QStringLiteral("CUI"));
    EXPECT_EQ(v->cbxFamilia->text(), QStringLiteral("CUIDADO PERSONAL"));
    Campo(v->cbxFamilia, QStringLiteral("NADA"));
    EXPECT_EQ(v->cbxFamilia->text(), QStringLiteral("CUIDADO PERSONAL"));
    v->close();
    Procesar();
    EXPECT_EQ(Entero(env.inventario, QStringLiteral("select NRO_ARTICULO from FAMILIA where COD_FAMILIA = 'ABA'")), 57);
}

TEST_F(VentanaFicha, DesdeLaEntradaDeComprasSeCreaElArticuloYSeAgregaLaLinea)
{
    llamador.hide();
    QPointer<TfrmAgregaCompra> compra = AbrirAgregaCompra(*env.datos, &llamador);
    Procesar();
    auto *codigo = pruebas::Control<QLineEdit>(compra, "edCodigo");
    Reemplazar(codigo, QStringLiteral("nuevo-500"));
    Tecla(codigo, Qt::Key_Return);
    EXPECT_TRUE(env.mensajes.Mostro(EntradaCompra::kArticuloNoEncontrado));
    QPointer<TfrmFichaArticulo> v = Ventana<TfrmFichaArticulo>();
    ASSERT_TRUE(v);
    EXPECT_FALSE(compra->isEnabled());
    EXPECT_EQ(v->editCodBarras->text(), QStringLiteral("NUEVO-500"));
    EXPECT_EQ(v->Articulo().fila.PORC_IV, C("13"));  // the store's tax, as from the search
    Nombre(v, QStringLiteral("ARTICULO NUEVO"));
    Campo(v->editPrecom, QStringLiteral("250"));
    v->btnAceptar->click();
    Procesar();
    EXPECT_FALSE(v);
    ASSERT_TRUE(compra->isEnabled());
    EXPECT_EQ(codigo->text(), QStringLiteral("NUEVO-500"));
    auto *precio = pruebas::Control<QLineEdit>(compra, "edPrecio");
    EXPECT_EQ(compra->focusWidget(), precio);
    compra->activateWindow();
    Procesar();
    Campo(precio, QStringLiteral("250"));
    Campo(pruebas::Control<QLineEdit>(compra, "edCantidad"), QStringLiteral("4"));
    EXPECT_EQ(Entero(env.tienda, QStringLiteral("select count(*) from TEMPORAL_COMPRAS where COD_BARRAS = 'NUEVO-500'")), 1);
    EXPECT_EQ(Entero(env.tienda, QStringLiteral("select PORCE_IV_ARTI from TEMPORAL_COMPRAS where COD_BARRAS = 'NUEVO-500'")), 13);
    compra->close();
    Procesar();
}

TEST_F(VentanaFicha, AgregarDesdeLaBusquedaEscribeElCodigoNuevo)
{
    QPointer<TfrmBuscarArticulos> b = new TfrmBuscarArticulos(*env.datos);
    b->Origen = QStringLiteral("AgregarPedido");
    b->AbrirDesde(&llamador);
    Procesar();
    b->btnAgregar->click();
    Procesar();
    QPointer<TfrmFichaArticulo> v = Ventana<TfrmFichaArticulo>();
    ASSERT_TRUE(v);
    EXPECT_FALSE(b->isEnabled());
    Campo(v->editCodBarras, QStringLiteral("BUSC-1"));
    Nombre(v, QStringLiteral("DESDE LA BUSQUEDA"));
    v->btnAceptar->click();
    Procesar();
    EXPECT_TRUE(b->isEnabled());
    EXPECT_EQ(b->edBuscar->text(), QStringLiteral("BUSC-1"));
    b->close();
    Procesar();
}

// Without the rights to see costs and price rules those panels stay hidden; from the order
// editor the stock cannot be typed.
TEST(VentanaFichaCajero, SinDerechosOcultaCostosYCalculo)
{
    EntornoPrueba env(QStringLiteral("CAJERO"));
    QWidget llamador;
    llamador.show();
    QPointer<TfrmFichaArticulo> v = AbrirFichaArticuloNueva(*env.datos, &llamador, QStringLiteral("P-1"), OrigenFicha::AgregarP, {});
    Procesar();
    EXPECT_TRUE(v->PanelCostos->isHidden());
    EXPECT_TRUE(v->editPrecio->isHidden());
    EXPECT_TRUE(v->lblPrecio->isHidden());
    EXPECT_TRUE(v->PanelCalculo->isHidden());
    EXPECT_FALSE(v->editExistencia->isEnabled());
    EXPECT_TRUE(v->editCodigo2->isEnabled());
    v->close();
    Procesar();
    EXPECT_TRUE(llamador.isEnabled());
}

PRUEBAS_CON_VENTANAS_MAIN()
