// Supplier chooser and supplier selector over the demo suppliers, driven offscreen.

#include "catalogs/Comp_frmbscarproveedor.h"
#include "catalogs/Comp_frmcambiarproveedor.h"
#include "support/EntornoPrueba.h"
#include "support/PruebaVentanas.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>
#include <gtest/gtest.h>

using namespace pruebas;

namespace {

const QString kSinProveedor = QStringLiteral("No se ha seleccionado ningún proveedor");
const QString kRoble = QStringLiteral("COMERCIALIZADORA EL ROBLE S.A.");

// Names listed by the supplier dataset, in order.
QStringList Nombres(db::Dataset &ds)
{
    QStringList r;
    ds.fetchAll();
    for (int i = 0; i < ds.fetchedCount(); ++i)
        r << ds.valueAtRow(i, ds.fieldIndex(QStringLiteral("NOMBRE"))).asString();
    return r;
}

class Proveedores : public ::testing::Test {
protected:
    EntornoPrueba env;
    QWidget llamador;
    db::Dataset &prov = *env.datos->TProveedores;

    QStringList TodosPorNombre()
    {
        ConsultaFiltrada().Linea(QStringLiteral("select * from PROVEEDORES order by NOMBRE")).Abrir(prov);
        return Nombres(prov);
    }
    template <typename V>
    V *Abrir(bool deshabilitar = true)
    {
        auto *v = new V(*env.datos);
        v->AbrirDesde(&llamador, deshabilitar);
        Procesar();
        return v;
    }
};

TEST_F(Proveedores, ElBuscadorFiltraPorNombreYSegundoCodigoYVuelveATodosAlVaciar)
{
    const QStringList todos = TodosPorNombre();
    ASSERT_EQ(todos.size(), 7);
    auto *v = Abrir<TfrmCambiarProveedor>();
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Buscar Proveedor"));
    EXPECT_EQ(v->size(), QSize(460, 441));
    EXPECT_EQ(Nombres(prov), todos);
    auto *ed = Control<QLineEdit>(v, "edNombre");
    const QList<std::pair<QString, QStringList>> casos = {
        {QStringLiteral("roble"), {kRoble}},
        {QStringLiteral("999"), {QStringLiteral("CASA CENTRAL LA ESPERANZA")}},  // second code, not in the name
        {QStringLiteral("99"), {}},                                              // part of a code is not enough
        {QString(), todos},
    };
    for (const auto &[texto, esperado] : casos) {
        ed->clear();
        Escribir(ed, texto);
        EXPECT_EQ(ed->text(), texto.toUpper());
        EXPECT_EQ(Nombres(prov), esperado) << texto.toStdString();
    }
    EXPECT_TRUE(env.mensajes.mostrados().empty()) << env.mensajes.textos().join(QLatin1Char('|')).toStdString();
    v->close();
}

TEST_F(Proveedores, AceptarEntregaElProveedorYDejaTProveedoresEnEl)
{
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into PROVEEDORES (NOMBRE, TIPO_MONEDA) "
                                                           "values ('IMPORTADORA ANDINA', 1)"));
    QPointer<TfrmCambiarProveedor> v = Abrir<TfrmCambiarProveedor>();
    EXPECT_FALSE(llamador.isEnabled());
    QSignalSpy elegido(v.data(), &VentanaBuscaProveedor::proveedorElegido);
    Escribir(v->edNombre, QStringLiteral("IMPORTADORA"));
    ASSERT_EQ(Nombres(prov).size(), 2);
    Tecla(v->GridProveedor, Qt::Key_Down);  // the second one
    v->btnAceptar->click();
    Procesar();
    ASSERT_EQ(elegido.count(), 1);
    EXPECT_EQ(elegido.at(0).at(0).toInt(), 15);
    EXPECT_EQ(elegido.at(0).at(1).toString(), QStringLiteral("IMPORTADORA MEDICA INTERNACIONAL S.A."));
    EXPECT_EQ(elegido.at(0).at(2).toInt(), 2);
    EXPECT_EQ(prov.fieldByName(QStringLiteral("COD_PROVEEDOR")).asInteger(), 15);
    EXPECT_TRUE(v.isNull()) << "freed on closing";
    EXPECT_TRUE(llamador.isEnabled());

    // Purchase entry's currency for the pick: the demo store buys in two currencies.
    EXPECT_EQ(MonedaAlElegirProveedor(env.datos->Config(QStringLiteral("COMPRA_MULTIMONEDA")), 2), std::optional<int>(2));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update CONFIGURACION set COMPRA_MULTIMONEDA = 'N'"));
    env.datos->DatosConfig->close();
    env.datos->DatosConfig->open();
    EXPECT_EQ(MonedaAlElegirProveedor(env.datos->Config(QStringLiteral("COMPRA_MULTIMONEDA")), 2), std::nullopt);
}

TEST(MonedaProveedor, SoloConMultimonedaElProveedorEligeLaMoneda)
{
    const std::tuple<const char *, int, std::optional<int>> casos[] = {
        {"S", 1, 1}, {"S", 2, 2}, {"S", 0, 2}, {"S", 3, 2},
        {"N", 1, std::nullopt}, {"N", 2, std::nullopt}, {"", 2, std::nullopt}, {"s", 2, std::nullopt},
    };
    for (const auto &[multimoneda, tipo, esperado] : casos)
        EXPECT_EQ(MonedaAlElegirProveedor(QString::fromLatin1(multimoneda), tipo), esperado) << multimoneda << tipo;
}

TEST_F(Proveedores, AceptarSinProveedoresAvisaYNoEntregaNada)
{
    QPointer<TfrmCambiarProveedor> v = Abrir<TfrmCambiarProveedor>();
    QSignalSpy elegido(v.data(), &VentanaBuscaProveedor::proveedorElegido);
    Escribir(v->edNombre, QStringLiteral("NO EXISTE"));
    v->btnAceptar->click();
    emit v->GridProveedor->doubleClicked(QModelIndex());
    Procesar();
    EXPECT_EQ(elegido.count(), 0);
    ASSERT_EQ(env.mensajes.mostrados().size(), 2u);
    EXPECT_EQ(env.mensajes.mostrados()[0].tipo, Mensajes::Tipo::Advertencia);
    EXPECT_EQ(env.mensajes.textos(), QStringList(2, kSinProveedor));
    ASSERT_FALSE(v.isNull());
    EXPECT_TRUE(v->isVisible());
    EXPECT_EQ(v->focusWidget(), v->edNombre);
    EXPECT_FALSE(llamador.isEnabled());
    v->close();
}

TEST_F(Proveedores, EnterAvanzaYEnAceptarEligeEscapeCancela)
{
    QPointer<TfrmCambiarProveedor> v = Abrir<TfrmCambiarProveedor>();
    QSignalSpy elegido(v.data(), &VentanaBuscaProveedor::proveedorElegido);
    Escribir(v->edNombre, QStringLiteral("DROGUERIA"));
    Tecla(v->edNombre, Qt::Key_Return);
    EXPECT_EQ(v->focusWidget(), v->GridProveedor);
    Tecla(v->GridProveedor, Qt::Key_Return);
    EXPECT_EQ(v->focusWidget(), v->btnAceptar);
    EXPECT_EQ(elegido.count(), 0);
    Tecla(v->btnAceptar, Qt::Key_Return);
    ASSERT_EQ(elegido.count(), 1);
    EXPECT_EQ(elegido.at(0).at(0).toInt(), 8);
    EXPECT_TRUE(v.isNull());

    QPointer<TfrmBscarProveedor> w = Abrir<TfrmBscarProveedor>();
    QSignalSpy elegido2(w.data(), &VentanaBuscaProveedor::proveedorElegido);
    Tecla(w->GridProveedor, Qt::Key_Escape);
    EXPECT_TRUE(w.isNull());
    EXPECT_EQ(elegido2.count(), 0);
    EXPECT_TRUE(llamador.isEnabled());
}

TEST_F(Proveedores, ModalVuelveAlCerrarseConElElegido)
{
    auto *v = new TfrmCambiarProveedor(*env.datos);
    QSignalSpy elegido(v, &VentanaBuscaProveedor::proveedorElegido);
    QTimer::singleShot(0, v, [v] {
        Escribir(v->edNombre, QStringLiteral("LABORATORIOS"));
        emit v->GridProveedor->doubleClicked(v->GridProveedor->model()->index(0, 1));
    });
    v->MostrarModal();
    ASSERT_EQ(elegido.count(), 1);
    EXPECT_EQ(elegido.at(0).at(0).toInt(), 5);
}

// Quotes, accents, wildcards and would-be SQL typed in either window: bound, never spliced.
TEST_F(Proveedores, TextoRaroNoRompeNiInyecta)
{
    EntornoPrueba::Ejecutar(env.inventario,
                            QStringLiteral("insert into PROVEEDORES (COD_PROVEEDOR2, NOMBRE, TIPO_MONEDA) "
                                           "values ('Ñ''1', 'FARMACIA D''ÁVILA & CÍA 100%', 1)"));
    const QStringList davila{QStringLiteral("FARMACIA D'ÁVILA & CÍA 100%")};
    const struct {
        QString texto;
        QStringList cambiar, seleccionar;  // like / containing
    } casos[] = {
        {QStringLiteral("d'ávila"), davila, davila},
        {QStringLiteral("ñ'1"), davila, davila},
        {QStringLiteral("' OR '1'='1"), {}, {}},
        {QStringLiteral("X'); DELETE FROM PROVEEDORES; --"), {}, {}},
        {QStringLiteral("100%"), davila, davila},
        {QStringLiteral("%"), TodosPorNombre(), davila},  // containing takes "%" as it is
        {QString(40, QLatin1Char('Z')), {}, {}},
        // A code followed by junk past the column's 30 characters is not that code.
        {QStringLiteral("ñ'1") + QString(30, QLatin1Char(' ')) + QStringLiteral("x"), {}, {}},
    };
    for (bool selector : {false, true}) {
        VentanaBuscaProveedor *v = selector ? static_cast<VentanaBuscaProveedor *>(Abrir<TfrmBscarProveedor>())
                                            : Abrir<TfrmCambiarProveedor>();
        for (const auto &c : casos) {
            v->edNombre->clear();
            Escribir(v->edNombre, c.texto);
            EXPECT_EQ(Nombres(prov), selector ? c.seleccionar : c.cambiar) << selector << c.texto.toStdString();
        }
        v->close();
        Procesar();
    }
    // The selector ignores case, the chooser does not.
    ConsultaSeleccionarProveedor(QStringLiteral("roble")).Abrir(prov);
    EXPECT_EQ(Nombres(prov), QStringList{kRoble});
    ConsultaCambiarProveedor(QStringLiteral("roble")).Abrir(prov);
    EXPECT_TRUE(Nombres(prov).isEmpty());
    EXPECT_TRUE(env.mensajes.mostrados().empty()) << env.mensajes.textos().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(EntornoPrueba::Entero(env.inventario, QStringLiteral("select count(*) from PROVEEDORES")), 8);
}

TEST_F(Proveedores, ElSelectorPoneElProveedorDelArticuloSoloDesdeLaFicha)
{
    db::Dataset &inv = *env.datos->TInventario;
    inv.setSelectSql(QStringLiteral("select * from INVENTARIO where COD_BARRAS = ''"));
    inv.open();
    for (bool desdePedido : {true, false}) {
        inv.append();
        auto *v = new TfrmBscarProveedor(*env.datos);
        v->DesdeSelPedido = desdePedido;
        QPointer<TfrmBscarProveedor> guardia(v);
        v->AbrirDesde(&llamador, !desdePedido);
        Procesar();
        EXPECT_EQ(v->windowTitle(), QStringLiteral("Seleccionar Proveedor"));
        EXPECT_EQ(v->size(), QSize(455, 434));
        EXPECT_EQ(Nombres(prov).size(), 7);  // no text: every supplier
        QSignalSpy elegido(v, &VentanaBuscaProveedor::proveedorElegido);
        Escribir(v->edNombre, QStringLiteral("CER"));  // second code of supplier 12
        ASSERT_EQ(Nombres(prov), QStringList{kRoble});
        Tecla(v->GridProveedor, Qt::Key_Return);
        Tecla(v->btnAceptar, Qt::Key_Return);
        ASSERT_EQ(elegido.count(), 1);
        EXPECT_EQ(elegido.at(0).at(0).toInt(), 12);
        EXPECT_TRUE(llamador.isEnabled());
        if (desdePedido) {
            EXPECT_TRUE(inv.fieldByName(QStringLiteral("FK_PROVEEDOR")).isNull());
            ASSERT_FALSE(guardia.isNull()) << "the order chooser keeps its selector";
            EXPECT_FALSE(v->isVisible());
            delete v;
        } else {
            EXPECT_EQ(inv.fieldByName(QStringLiteral("FK_PROVEEDOR")).asInteger(), 12);
            EXPECT_TRUE(guardia.isNull());
        }
        inv.cancel();
    }
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()
