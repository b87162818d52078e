// Article search and warehouse search over the demo inventory, driven offscreen.

#include "catalogs/BuscadorArticulos.h"
#include "catalogs/BusquedaArticulos.h"
#include "catalogs/Comp_frmbuscararticulos.h"
#include "catalogs/Comp_frmbuscarbodega.h"
#include "catalogs/Comp_frmubicaciones.h"
#include "catalogs/Comp_frmunidadmedida.h"
#include "support/EntornoPrueba.h"
#include "ui/Permisos.h"
#include "support/PruebaVentanas.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>

using namespace pruebas;

namespace {

const QString kCompra = BusquedaArticulos::OrigenCompra;
const QString kPedido = BusquedaArticulos::OrigenPedido;
const QString kBotiquin = QStringLiteral("BOT-0001");
const QString kInactivo = QStringLiteral("9771234500105");
const QString kCremaDental = QStringLiteral("7501031311309");
const QString kCremaCorporal = QStringLiteral("7441001000295");

QStringList Columna(db::Dataset &ds, const char *campo)
{
    QStringList r;
    ds.fetchAll();
    const int c = ds.fieldIndex(QString::fromLatin1(campo));
    for (int i = 0; i < ds.fetchedCount(); ++i)
        r << ds.valueAtRow(i, c).asString();
    return r;
}

class Busquedas : public ::testing::Test {
protected:
    EntornoPrueba env;
    QWidget llamador;
    db::Dataset &inv = *env.datos->TInventario;

    void Ini(const QByteArray &contenido)
    {
        QFile f(env.carpeta.file(QStringLiteral("datos.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(contenido);
    }
    QStringList Codigos(const QString &texto, const QString &origen)
    {
        BusquedaArticulos::Filtrar(inv, texto, origen);
        return Columna(inv, "COD_BARRAS");
    }
    // Keys typed by hand: the window runs the search once the typing pauses.
    static void Teclear(TfrmBuscarArticulos *v, QWidget *control, const QString &texto)
    {
        Escribir(control, texto);
        v->AplicarBusquedaPendiente();
    }
    static void Pulsar(TfrmBuscarArticulos *v, QWidget *control, Qt::Key tecla)
    {
        Tecla(control, tecla);
        v->AplicarBusquedaPendiente();
    }
    TfrmBuscarArticulos *Abrir(const QString &origen)
    {
        auto *v = new TfrmBuscarArticulos(*env.datos);
        v->Origen = origen;
        v->AbrirDesde(&llamador);
        Procesar();
        return v;
    }
};

TEST_F(Busquedas, TextoCortoBuscaEnLosTresCodigosYElNombreTextoLargoSoloEnElNombre)
{
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, CODIGO2, CODIGO3, NOMBRE, COMPUESTO) "
        "values ('PRB-1', 'ABCDEFGHIJKLMNOPQRS', 'QX-77', 'ARTICULO DE PRUEBA', 'N')"));
    const std::pair<const char *, QStringList> casos[] = {
        {"QX-7", {QStringLiteral("PRB-1")}},
        {"DFV-100", {QStringLiteral("7441001000011"), QStringLiteral("7441001000028")}},
        {"1311309", {kCremaDental}},
        {"ABCDEFGHIJKLMNOPQR", {QStringLiteral("PRB-1")}},  // 18 characters still reach the codes
        {"ABCDEFGHIJKLMNOPQRS", {}},                        // 19 only the name
        {"  TENSIOMETRO DE MUÑECA  ", {QStringLiteral("7441001000165")}},
    };
    for (const auto &[texto, esperado] : casos)
        EXPECT_EQ(Codigos(QString::fromUtf8(texto), kCompra), esperado) << texto;
    BusquedaArticulos::Filtrar(inv, QStringLiteral("500"), kCompra);
    QStringList nombres = Columna(inv, "NOMBRE"), ordenados = nombres;
    std::sort(ordenados.begin(), ordenados.end());
    EXPECT_GE(nombres.size(), 5);
    EXPECT_EQ(nombres, ordenados);
}

TEST_F(Busquedas, LaCompraNoOfreceCompuestosNiSinMarcaYArticuloInactivoNOcultaInactivos)
{
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, NOMBRE, COMPUESTO) values ('SINMARCA', 'BOTIQUIN DE VIAJE', null)"));
    // An emptied field included.
    for (const QString &texto : {QStringLiteral("BOTIQUIN"), QString(), QStringLiteral("   ")}) {
        const QStringList compra = Codigos(texto, kCompra), pedido = Codigos(texto, kPedido);
        EXPECT_FALSE(compra.contains(kBotiquin) || compra.contains(QStringLiteral("SINMARCA"))) << texto.toStdString();
        EXPECT_TRUE(pedido.contains(kBotiquin) && pedido.contains(QStringLiteral("SINMARCA"))) << texto.toStdString();
    }
    EXPECT_EQ(Codigos(QString(), kPedido).size(), 44);
    EXPECT_EQ(Codigos(QString(), kCompra).size(), 42);

    EXPECT_EQ(BusquedaArticulos::ArticuloInactivo(), QStringLiteral("S"));  // no settings file
    EXPECT_TRUE(Codigos(QStringLiteral("EDICION 11"), kPedido).contains(kInactivo));
    Ini("[Functions]\nArticuloInactivo=N\n");
    EXPECT_EQ(Codigos(QStringLiteral("EDICION 11"), kPedido), QStringList{QStringLiteral("9771234500112")});
    Ini("[Functions]\nOtraCosa=N\n");
    EXPECT_TRUE(Codigos(QStringLiteral("EDICION 11"), kPedido).contains(kInactivo));
}

TEST_F(Busquedas, AlEscribirUnaBusquedaVaciaNoReleeLaTablaSiNoPuedeEncontrarMas)
{
    BusquedaArticulos b;
    EXPECT_TRUE(b.FiltrarAlEscribir(inv, QStringLiteral("BOTIQUIN"), kCompra));
    EXPECT_TRUE(inv.isEmpty());
    EXPECT_FALSE(b.FiltrarAlEscribir(inv, QStringLiteral(" BOTIQUIN B "), kCompra));
    EXPECT_TRUE(b.FiltrarAlEscribir(inv, QStringLiteral("BOTIQUIN B"), kPedido));  // another origin
    EXPECT_EQ(Columna(inv, "COD_BARRAS"), QStringList{kBotiquin});
    EXPECT_TRUE(b.FiltrarAlEscribir(inv, QStringLiteral("NADA X"), kPedido));
    EXPECT_TRUE(b.FiltrarAlEscribir(inv, QStringLiteral("NADA Y"), kPedido));  // not a longer text
    EXPECT_FALSE(b.FiltrarAlEscribir(inv, QStringLiteral("NADA YZ"), kPedido));
    BusquedaArticulos::Filtrar(inv, QStringLiteral("NADA YZ"), kCompra);  // the shared dataset moved
    EXPECT_TRUE(b.FiltrarAlEscribir(inv, QStringLiteral("NADA YZW"), kPedido));
    // Inactive articles hidden, then shown again: the same text finds the inactive one.
    Ini("[Functions]\nArticuloInactivo=N\n");
    EXPECT_TRUE(b.FiltrarAlEscribir(inv, QStringLiteral("EDICION 111"), kPedido));
    EXPECT_TRUE(inv.isEmpty());
    Ini("[Functions]\nArticuloInactivo=S\n");
    EXPECT_TRUE(b.FiltrarAlEscribir(inv, QStringLiteral("EDICION 111 "), kPedido));
    EXPECT_EQ(Columna(inv, "COD_BARRAS"), QStringList{kInactivo});
}

TEST_F(Busquedas, EscribirEnElCampoOEnLaGrillaFiltraYEnterEntregaElCodigo)
{
    QPointer<TfrmBuscarArticulos> v = Abrir(kPedido);
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Buscar Artículos"));
    EXPECT_FALSE(llamador.isEnabled());
    QSignalSpy elegido(v.data(), &TfrmBuscarArticulos::articuloElegido);
    Escribir(v->edBuscar, QStringLiteral("cre"));
    Tecla(v->edBuscar, Qt::Key_Down);
    EXPECT_EQ(v->focusWidget(), v->GridArticulos);
    Escribir(v->GridArticulos, QStringLiteral("ma"));
    Tecla(v->GridArticulos, Qt::Key_Space);
    Teclear(v, v->GridArticulos, QStringLiteral("hx"));
    EXPECT_EQ(v->edBuscar->text(), QStringLiteral("CREMA HX"));
    EXPECT_TRUE(Columna(*v->Lista(), "COD_BARRAS").isEmpty());
    Pulsar(v, v->GridArticulos, Qt::Key_Backspace);
    EXPECT_EQ(Columna(*v->Lista(), "COD_BARRAS"), QStringList{kCremaCorporal});
    Tecla(v->btnCancelar, Qt::Key_Backspace);
    Pulsar(v, v->btnCancelar, Qt::Key_Backspace);
    EXPECT_EQ(v->edBuscar->text(), QStringLiteral("CREMA"));
    ASSERT_EQ(Columna(*v->Lista(), "COD_BARRAS"), (QStringList{kCremaDental, kCremaCorporal}));
    Tecla(v->GridArticulos, Qt::Key_Down);
    Tecla(v->GridArticulos, Qt::Key_Return);
    ASSERT_EQ(elegido.count(), 1);
    EXPECT_EQ(elegido.at(0).at(0).toString(), kCremaCorporal);
    EXPECT_EQ(elegido.at(0).at(1).toString(), kPedido);
    EXPECT_TRUE(v.isNull());
    EXPECT_TRUE(llamador.isEnabled());

    v = Abrir(kCompra);
    QSignalSpy elegido2(v.data(), &TfrmBuscarArticulos::articuloElegido);
    Escribir(v->edBuscar, QStringLiteral("crema"));
    Tecla(v->edBuscar, Qt::Key_Return);
    ASSERT_EQ(elegido2.count(), 1);
    EXPECT_EQ(elegido2.at(0).at(0).toString(), kCremaDental);
}

TEST_F(Busquedas, UnaRafagaDeTeclasFiltraUnaVezYEnterUsaElTextoCompleto)
{
    QPointer<TfrmBuscarArticulos> v = Abrir(kPedido);
    QSignalSpy elegido(v.data(), &TfrmBuscarArticulos::articuloElegido);
    Escribir(v->edBuscar, kCremaCorporal);  // a scanner: the whole code before the list changes
    EXPECT_TRUE(v->BusquedaPendiente());
    Tecla(v->edBuscar, Qt::Key_Return);
    ASSERT_EQ(elegido.count(), 1);
    EXPECT_EQ(elegido.at(0).at(0).toString(), kCremaCorporal);

    v = Abrir(kPedido);
    Escribir(v->edBuscar, QStringLiteral("crema"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !v->BusquedaPendiente(); }, 2000));  // runs once typing pauses
    EXPECT_EQ(Columna(*v->Lista(), "COD_BARRAS"), (QStringList{kCremaDental, kCremaCorporal}));
    Escribir(v->edBuscar, QStringLiteral(" H"));
    Tecla(v->edBuscar, Qt::Key_Down);  // into the grid: the list of what was typed
    EXPECT_FALSE(v->BusquedaPendiente());
    EXPECT_EQ(Columna(*v->Lista(), "COD_BARRAS"), QStringList{kCremaCorporal});
    v->close();
}

TEST_F(Busquedas, EscapeCancelaYUnaListaVaciaEntregaCodigoVacio)
{
    QPointer<TfrmBuscarArticulos> v = Abrir(kCompra);
    QSignalSpy elegido(v.data(), &TfrmBuscarArticulos::articuloElegido);
    Tecla(v->btnAceptar, Qt::Key_Escape);
    EXPECT_TRUE(v.isNull());
    EXPECT_EQ(elegido.count(), 0);
    EXPECT_TRUE(llamador.isEnabled());

    v = Abrir(kCompra);
    QSignalSpy elegido2(v.data(), &TfrmBuscarArticulos::articuloElegido);
    Escribir(v->edBuscar, QStringLiteral("NADA ASI"));
    v->btnAceptar->click();
    Procesar();
    ASSERT_EQ(elegido2.count(), 1);
    EXPECT_EQ(elegido2.at(0).at(0).toString(), QString());
    EXPECT_TRUE(v.isNull());
}

TEST_F(Busquedas, TextoRaroNoRompeNiInyecta)
{
    QPointer<TfrmBuscarArticulos> v = Abrir(kPedido);
    const std::pair<QString, QStringList> casos[] = {
        {QStringLiteral("muñeca"), {QStringLiteral("7441001000165")}},
        {QStringLiteral("70% 500"), {QStringLiteral("7441001000196")}},
        {QStringLiteral("PAÑALES"), {QStringLiteral("7441001000318")}},
        {QStringLiteral("' OR '1'='1"), {}},
        {QStringLiteral("x'); delete from INVENTARIO; --"), {}},
        {QStringLiteral("\"NOMBRE\""), {}},
        {QString(120, QLatin1Char('Q')), {}},  // cut at 99
    };
    for (const auto &[texto, esperado] : casos) {
        v->edBuscar->clear();
        Teclear(v, v->edBuscar, texto);
        EXPECT_EQ(Columna(*v->Lista(), "COD_BARRAS"), esperado) << texto.toStdString();
    }
    EXPECT_EQ(v->edBuscar->text().size(), 99);
    EXPECT_TRUE(env.mensajes.mostrados().empty()) << env.mensajes.textos().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(EntornoPrueba::Entero(env.inventario, QStringLiteral("select count(*) from INVENTARIO")), 43);
    v->close();
}

TEST_F(Busquedas, AgregarArticuloAbreLaFichaYLuegoBuscaElCodigoNuevo)
{
    QPointer<TfrmBuscarArticulos> v = Abrir(kCompra);
    // Without a hook F1 opens the real card; cancelling it gives the search back.
    Tecla(v->GridArticulos, Qt::Key_F1);
    EXPECT_TRUE(env.mensajes.mostrados().empty());
    EXPECT_FALSE(v->isEnabled());
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmFichaArticulo"))
            w->close();
    Procesar();
    EXPECT_TRUE(v->isEnabled());

    int abiertas = 0;
    TfrmBuscarArticulos::AbrirFichaArticulo = [&abiertas](TfrmBuscarArticulos &) { ++abiertas; };
    v->btnAgregar->click();
    TfrmBuscarArticulos::AbrirFichaArticulo = nullptr;
    EXPECT_EQ(abiertas, 1);
    EXPECT_FALSE(v->isEnabled());
    v->ArticuloCreado(QStringLiteral("7441001000158"));
    EXPECT_TRUE(v->isEnabled());
    EXPECT_EQ(Columna(*v->Lista(), "COD_BARRAS"), QStringList{QStringLiteral("7441001000158")});
    v->close();
}

// The search runs on its own attachment: closing the window while one reads ends it, shows
// nothing more and leaves no attachment behind; typing never waits for the list.
TEST_F(Busquedas, CerrarMientrasBuscaTerminaLaBusquedaYNoDejaConexiones)
{
    const QString conexiones = QStringLiteral("select count(*) from MON$ATTACHMENTS where MON$SYSTEM_FLAG = 0");
    const int antes = EntornoPrueba::Entero(env.inventario, conexiones);
    QPointer<TfrmBuscarArticulos> v = Abrir(kPedido);
    v->AplicarBusquedaPendiente();
    ASSERT_TRUE(v->Lista());
    EXPECT_GE(v->GridArticulos->model()->rowCount(), 40);  // the first screen, read on the worker
    EXPECT_EQ(Columna(*v->Lista(), "COD_BARRAS").size(), EntornoPrueba::Entero(env.inventario, QStringLiteral("select count(*) from INVENTARIO")));
    std::atomic<bool> leyendo{false};
    v->Buscador().AntesDeLeer = [&](const QString &) {
        leyendo = true;
        QThread::msleep(300);
    };
    QElapsedTimer reloj;
    reloj.start();
    Escribir(v->edBuscar, QStringLiteral("crema"));
    v->FiltrarArticulos();
    EXPECT_LT(reloj.elapsed(), 250);  // the key came back before the search ended
    EXPECT_TRUE(v->BusquedaPendiente());
    EXPECT_TRUE(QTest::qWaitFor([&] { return leyendo.load(); }, 5000));
    v->close();
    Procesar();
    EXPECT_TRUE(v.isNull());
    EXPECT_TRUE(llamador.isEnabled());
    EXPECT_TRUE(env.mensajes.mostrados().empty());
    EXPECT_EQ(EntornoPrueba::Entero(env.inventario, conexiones), antes);
}

TEST(BusquedaSinPermiso, ElCajeroNoPuedeAgregarArticulos)
{
    EntornoPrueba env(QStringLiteral("CAJERO"));
    int abiertas = 0;
    TfrmBuscarArticulos::AbrirFichaArticulo = [&abiertas](TfrmBuscarArticulos &) { ++abiertas; };
    QPointer<TfrmBuscarArticulos> v = new TfrmBuscarArticulos(*env.datos);
    v->Origen = kCompra;
    v->show();
    Procesar();
    Tecla(v->edBuscar, Qt::Key_F1);
    v->btnAgregar->click();
    TfrmBuscarArticulos::AbrirFichaArticulo = nullptr;
    EXPECT_EQ(abiertas, 0);
    ASSERT_EQ(env.mensajes.mostrados().size(), 2u);
    for (const auto &m : env.mensajes.mostrados()) {
        EXPECT_EQ(m.texto, kMensajeSinPermiso);
        EXPECT_EQ(m.titulo, QStringLiteral("Atención"));
    }
    v->close();
}

class Bodegas : public ::testing::Test {
protected:
    EntornoPrueba env;
    QWidget llamador;
    db::Dataset &bod = *env.datos->TBodegas;

    TfrmBuscarBodega *Abrir()
    {
        auto *v = new TfrmBuscarBodega(*env.datos);
        v->AbrirDesde(&llamador);
        Procesar();
        return v;
    }
};

TEST_F(Bodegas, SinTextoExcluyeElPrincipalConTextoLoIncluye)
{
    QPointer<TfrmBuscarBodega> v = Abrir();
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Buscar Bodega"));
    const QStringList lasDos{QStringLiteral("002"), QStringLiteral("001")};
    EXPECT_EQ(Columna(bod, "COD_BODEGA"), lasDos);
    const std::pair<const char *, QStringList> casos[] = {
        {"000", {QStringLiteral("000")}}, {"inventario", {QStringLiteral("000")}},
        {"bodega", lasDos}, {"' or ''='", {}},
    };
    for (const auto &[texto, esperado] : casos) {
        v->edBuscar->clear();
        Escribir(v->edBuscar, QString::fromLatin1(texto));
        EXPECT_EQ(Columna(bod, "COD_BODEGA"), esperado) << texto;
    }
    EXPECT_TRUE(env.mensajes.mostrados().empty());
    v->close();
}

TEST_F(Bodegas, AceptarEntregaElDestino)
{
    const std::tuple<const char *, bool, const char *, const char *, bool> casos[] = {
        {"", false, "002", "BODEGA SUCURSAL CENTRO", false},
        {"TRASERA", false, "001", "BODEGA TRASERA", false},
        {"TRASERA", true, "000", "INVENTARIO PRINCIPAL", true},
        {"NINGUNA", true, "000", "INVENTARIO PRINCIPAL", true},
        {"000", false, "000", "INVENTARIO PRINCIPAL", true},  // picked from the list: still the main inventory
    };
    for (const auto &[texto, marcar, codigo, descripcion, principal] : casos) {
        QPointer<TfrmBuscarBodega> v = Abrir();
        QSignalSpy elegida(v.data(), &TfrmBuscarBodega::bodegaElegida);
        Escribir(v->edBuscar, QString::fromLatin1(texto));
        v->chkPrincipal->setChecked(marcar);
        v->btnAceptar->click();
        Procesar();
        ASSERT_EQ(elegida.count(), 1) << texto;
        EXPECT_EQ(elegida.at(0).at(0).toString(), QString::fromLatin1(codigo)) << texto;
        EXPECT_EQ(elegida.at(0).at(1).toString(), QString::fromLatin1(descripcion)) << texto;
        EXPECT_EQ(elegida.at(0).at(2).toBool(), principal) << texto;
        EXPECT_TRUE(v.isNull());
        EXPECT_TRUE(llamador.isEnabled());
    }
}

TEST_F(Bodegas, SinBodegaNoEntregaNadaYEscapeCancela)
{
    QPointer<TfrmBuscarBodega> v = Abrir();
    QSignalSpy elegida(v.data(), &TfrmBuscarBodega::bodegaElegida);
    Escribir(v->edBuscar, QStringLiteral("NINGUNA"));
    v->btnAceptar->click();
    Procesar();
    EXPECT_EQ(elegida.count(), 0);
    EXPECT_EQ(env.mensajes.textos(), QStringList{QStringLiteral("No se ha seleccionado ninguna bodega")});
    ASSERT_FALSE(v.isNull());
    EXPECT_FALSE(llamador.isEnabled());
    Tecla(v->edBuscar, Qt::Key_Return);
    EXPECT_EQ(v->focusWidget(), v->GridBodegas);
    Tecla(v->GridBodegas, Qt::Key_Escape);
    EXPECT_TRUE(v.isNull());
    EXPECT_EQ(elegida.count(), 0);
    EXPECT_TRUE(llamador.isEnabled());
}

// -- units and locations: the same search window, their own lists and messages

class BusquedasCatalogo : public ::testing::Test {
protected:
    EntornoPrueba env;
    QWidget llamador;

    template <class Ventana> TfrmBuscarCatalogo *Abrir()
    {
        auto *v = new Ventana(*env.datos, QStringLiteral("Arti"));
        v->AbrirDesde(&llamador);
        Procesar();
        return v;
    }
};

TEST_F(BusquedasCatalogo, TheHiddenKeyIsNeverOfferedAndTheChoiceCarriesKeyAndName)
{
    EntornoPrueba::Ejecutar(env.inventario,
                            "insert into UNIDAD_MEDIDA (COD_UNIDAD, NOMBRE, UNIDAD) values (-1, 'CAJA OCULTA', 'X')");
    QPointer<TfrmBuscarCatalogo> v = Abrir<TfrmBuscarUniMed>();
    QSignalSpy elegido(v.data(), &TfrmBuscarCatalogo::registroElegido);
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Buscar Unidad De Medida"));
    EXPECT_EQ(v->Grid->objectName(), QStringLiteral("Grid"));
    EXPECT_FALSE(llamador.isEnabled());
    db::Dataset &uni = *env.datos->TUnidad;
    EXPECT_FALSE(Columna(uni, "NOMBRE").contains(QStringLiteral("CAJA OCULTA")));
    EXPECT_TRUE(Columna(uni, "NOMBRE").contains(QStringLiteral("CAJA")));
    Escribir(v->edBuscar, QStringLiteral("caja"));  // upper-cased as typed
    EXPECT_EQ(v->edBuscar->text(), QStringLiteral("CAJA"));
    EXPECT_EQ(Columna(uni, "NOMBRE"), QStringList{QStringLiteral("CAJA")});
    v->btnAceptar->click();
    Procesar();
    ASSERT_EQ(elegido.count(), 1);
    EXPECT_EQ(elegido.at(0).at(0).toInt(), 2);
    EXPECT_EQ(elegido.at(0).at(1).toString(), QStringLiteral("CAJA"));
    EXPECT_TRUE(v.isNull());
    EXPECT_TRUE(llamador.isEnabled());
}

TEST_F(BusquedasCatalogo, AnEmptyListKeepsTheSearchOpenWithItsOwnMessage)
{
    struct Caso {
        bool ubicacion;
        QString mensaje;
        Mensajes::Tipo tipo;
    };
    for (const Caso &c : {Caso{false, QStringLiteral("Debe seleccionar una Unidad"), Mensajes::Tipo::Advertencia},
                          Caso{true, QStringLiteral("Debe seleccionaun una Ubicación"), Mensajes::Tipo::Informacion}}) {
        env.mensajes.Limpiar();
        QPointer<TfrmBuscarCatalogo> v = c.ubicacion ? Abrir<TfrmBuscarUbicacion>() : Abrir<TfrmBuscarUniMed>();
        QSignalSpy elegido(v.data(), &TfrmBuscarCatalogo::registroElegido);
        Escribir(v->edBuscar, QStringLiteral("NO EXISTE NADA ASI"));
        v->btnAceptar->click();
        Procesar();
        ASSERT_EQ(env.mensajes.mostrados().size(), 1u) << c.mensaje.toStdString();
        EXPECT_EQ(env.mensajes.mostrados()[0].texto, c.mensaje);
        EXPECT_EQ(env.mensajes.mostrados()[0].tipo, c.tipo);
        ASSERT_FALSE(v.isNull());
        EXPECT_FALSE(llamador.isEnabled());
        EXPECT_EQ(v->focusWidget(), v->edBuscar);
        // Enter moves on; Escape cancels: nothing handed back, the caller enabled again.
        Tecla(v->edBuscar, Qt::Key_Return);
        EXPECT_EQ(v->focusWidget(), v->Grid);
        Tecla(v->Grid, Qt::Key_Escape);
        Procesar();
        EXPECT_TRUE(v.isNull());
        EXPECT_EQ(elegido.count(), 0);
        EXPECT_TRUE(llamador.isEnabled());
    }
}

// 200,000 articles; run with --gtest_also_run_disabled_tests to see the figures.
TEST(CatalogoGrande, DISABLED_CadaTeclaFiltraRapido)
{
    EntornoPrueba env;
    {
        db::Transaction t(env.inventario);
        env.inventario.executeImmediate(t, QStringLiteral(
            "execute block as declare i integer = 0; declare p varchar(20); begin "
            "while (i < 200000) do begin "
            "p = decode(mod(i, 8), 0, 'ACETAMINOFEN', 1, 'JARABE', 2, 'CREMA', 3, 'TABLETAS', 4, 'GOTAS', "
            "5, 'AMPOLLA', 6, 'POLVO', 'SOBRE'); "
            "insert into INVENTARIO (COD_BARRAS, CODIGO2, NOMBRE, STOCK, COMPUESTO, ARTICULO_INACTIVO) "
            "values ('G' || lpad(:i, 8, '0'), 'X' || :i, :p || ' ' || mod(:i, 997) || ' MG ' || "
            "decode(mod(:i / 8, 4), 0, 'A', 1, 'B', 2, 'C', 'D') || ' X ' || :i, 1, 'N', 'N'); "
            "i = i + 1; end end"));
        t.commit();
    }
    QWidget llamador;
    auto *v = new TfrmBuscarArticulos(*env.datos);
    v->Origen = kCompra;
    QElapsedTimer reloj;
    reloj.start();
    v->AbrirDesde(&llamador);
    Procesar();
    const qint64 alAbrir = reloj.elapsed();
    // Worst keystroke typing `texto` by hand into an empty field (each key searched).
    auto peorTecla = [&](const QString &texto) {
        v->edBuscar->clear();
        v->AplicarBusquedaPendiente();
        Procesar();
        qint64 peor = 0;
        for (const QChar c : texto) {
            reloj.restart();
            Escribir(v->edBuscar, QString(c));
            v->AplicarBusquedaPendiente();
            peor = std::max(peor, reloj.elapsed());
        }
        return peor;
    };
    // A code read by a scanner: one burst of keys, one search.
    auto lector = [&](const QString &texto) {
        v->edBuscar->clear();
        v->AplicarBusquedaPendiente();
        Procesar();
        reloj.restart();
        Escribir(v->edBuscar, texto);
        v->AplicarBusquedaPendiente();
        return reloj.elapsed();
    };
    const qint64 nombre = peorTecla(QStringLiteral("CREMA 12"));
    const qint64 codigo = lector(QStringLiteral("G00123456"));
    const int filasCodigo = v->Lista()->recordCount();
    const qint64 nada = peorTecla(QStringLiteral("ZZZZZZ"));
    std::printf("abrir %lld ms; peor tecla: nombre %lld ms, código leído %lld ms, sin resultado %lld ms\n",
                static_cast<long long>(alAbrir), static_cast<long long>(nombre), static_cast<long long>(codigo),
                static_cast<long long>(nada));
    EXPECT_EQ(filasCodigo, 1);
    EXPECT_LT(alAbrir, 1000);
    EXPECT_LT(std::max({nombre, codigo, nada}), 1500);
    v->close();
    Procesar();
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()
