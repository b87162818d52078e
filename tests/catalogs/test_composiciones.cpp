// Component chooser, fraction chooser and laboratories list over the demo inventory, driven offscreen.

#include "catalogs/Comp_frmartfraccionados.h"
#include "catalogs/Comp_frmbuscarfamilia.h"
#include "catalogs/Comp_frmcomposicion.h"
#include "catalogs/Comp_frmlaboratorios.h"
#include "catalogs/Composiciones.h"
#include "catalogs/Laboratorios.h"
#include "support/EntornoPrueba.h"
#include "support/PruebaVentanas.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <gtest/gtest.h>

#include <set>

using namespace pruebas;
using namespace Composiciones;

namespace {

QStringList Columna(QTableView *grid, int columna = 0)
{
    QStringList r;
    auto *m = grid->model();
    while (m->canFetchMore({}))
        m->fetchMore({});
    for (int i = 0; i < m->rowCount(); ++i)
        r << m->index(i, columna).data().toString().trimmed();
    return r;
}

struct Recibido {
    QString codigo, nombre;
    Currency costo, cantidad;
    bool fraccionado = false;
    int idFraccion = -1;
};

class Composicion : public ::testing::Test {
protected:
    EntornoPrueba env;
    QWidget ficha;

    void SetUp() override
    {
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
            "insert into INVENTARIO (COD_BARRAS, CODIGO2, NOMBRE, COD_FAMILIA, PRECIO_COMPRA, FRACCIONADO) "
            "values ('CMP-1', '7501', 'TOSFIN JARABE PARA LA TOS', 'MED-ANA', 1250.5, 'N')"));
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
            "insert into INVENTARIO (COD_BARRAS, CODIGO3, NOMBRE, COD_FAMILIA, PRECIO_COMPRA) "
            "values ('75019999', '17501', 'TOSFIN INFANTIL', 'MED-ANT', 800)"));
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
            "insert into INVENTARIO (COD_BARRAS, NOMBRE, COD_FAMILIA, PRECIO_COMPRA, FRACCIONADO) "
            "values ('FRC-1', 'CAJA DE ACETAMINOFEN FRACCIONADA', 'MED-ANA', 400, 'S')"));
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
            "insert into INVENTARIO (COD_BARRAS, NOMBRE) values ('***Vandoria***', 'ACETA RESERVADO')"));
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
            "insert into ART_FRACCIONADOS (COD_BARRAS, ID_FRACCION, PRESENTACION, AJUSTE) values ('FRC-1', 3, 'MEDIA CAJA', 5)"));
        EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
            "insert into ART_FRACCIONADOS (COD_BARRAS, ID_FRACCION, PRESENTACION, AJUSTE) values ('FRC-1', 4, 'CUARTO', 8)"));
    }

    TfrmComposicion *Abrir(std::vector<Recibido> &recibidos, QWidget *padre = nullptr)
    {
        auto *v = new TfrmComposicion(*env.datos, padre);
        v->AgregarCompuesto = [&recibidos](const QString &codigo, const QString &nombre, const Currency &costo,
                                           const Currency &cantidad, bool fraccionado, int idFraccion) {
            recibidos.push_back({codigo, nombre, costo, cantidad, fraccionado, idFraccion});
        };
        v->AbrirDesde(&ficha);
        Procesar();
        return v;
    }
    static void Buscar(TfrmComposicion *v, const QString &texto)
    {
        Reemplazar(v->edArticulo, texto);
        Procesar();
    }
};

TEST_F(Composicion, CodigosExactosNombresPorSubcadenaFamiliaYNuncaElArticuloReservado)
{
    std::vector<Recibido> r;
    QPointer<TfrmComposicion> v = Abrir(r);
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Seleccionar Artículo para Composición"));
    EXPECT_FALSE(Columna(v->GridArticulos).contains(kArticuloReservado));

    Buscar(v, QStringLiteral("7501"));  // second code exactly; 75019999 and 17501 only contain it
    EXPECT_EQ(Columna(v->GridArticulos), QStringList{QStringLiteral("CMP-1")});
    Buscar(v, QStringLiteral("17501"));
    EXPECT_EQ(Columna(v->GridArticulos), QStringList{QStringLiteral("75019999")});

    Buscar(v, QStringLiteral("aceta"));
    const QStringList aceta = Columna(v->GridArticulos);
    EXPECT_EQ(aceta.size(), EntornoPrueba::Entero(env.inventario, QStringLiteral(
        "select count(*) from INVENTARIO where NOMBRE containing 'ACETA' and COD_BARRAS <> '***Vandoria***'")));
    EXPECT_TRUE(aceta.contains(QStringLiteral("FRC-1")));
    EXPECT_FALSE(aceta.contains(kArticuloReservado));
    const QStringList nombres = Columna(v->GridArticulos, 1);
    QStringList ordenados = nombres;
    std::sort(ordenados.begin(), ordenados.end());
    EXPECT_EQ(nombres, ordenados);

    Buscar(v, QStringLiteral("TOSFIN"));
    EXPECT_EQ(Columna(v->GridArticulos).size(), 2);
    v->ElegirFamilia(QStringLiteral("MED-ANT"), QStringLiteral("ANTIBIOTICOS"));
    EXPECT_EQ(v->edFamilia->text(), QStringLiteral("ANTIBIOTICOS"));
    EXPECT_EQ(Columna(v->GridArticulos), QStringList{QStringLiteral("75019999")});
    v->btnTodas->click();
    EXPECT_EQ(v->edFamilia->text(), kTodasLasFamilias);
    EXPECT_EQ(Columna(v->GridArticulos).size(), 2);
    v->close();
}

TEST_F(Composicion, LaFamiliaElegidaEnLaBusquedaVuelveYHabilitaElSelector)
{
    std::vector<Recibido> r;
    QPointer<TfrmComposicion> v = Abrir(r);
    v->btnFamilia->click();
    Procesar();
    auto *busqueda = Ventana<TfrmBuscarFamilia>();
    ASSERT_NE(busqueda, nullptr);
    EXPECT_FALSE(v->isEnabled());
    Escribir(busqueda->edBuscar, QStringLiteral("ANTIBIO"));
    Procesar();
    busqueda->btnAceptarClick();
    Procesar();
    EXPECT_TRUE(v->isEnabled());
    EXPECT_EQ(v->Familia(), QStringLiteral("MED-ANT"));
    EXPECT_NE(v->edFamilia->text(), kTodasLasFamilias);
    v->close();
}

TEST_F(Composicion, ElFraccionadoPasaLaCantidadSinMultiplicarYElIdDeLaFraccion)
{
    std::vector<Recibido> r;
    QPointer<TfrmComposicion> v = Abrir(r);
    Buscar(v, QStringLiteral("FRC-1"));
    ASSERT_TRUE(v->chkFraccionado->isVisible());
    EXPECT_FALSE(v->cbFraccion->isVisible());
    v->chkFraccionado->setChecked(true);
    EXPECT_TRUE(v->cbFraccion->isVisible());
    ASSERT_EQ(v->cbFraccion->count(), 2);
    EXPECT_EQ(v->cbFraccion->itemText(0), QStringLiteral("CUARTO"));
    EXPECT_EQ(v->cbFraccion->currentIndex(), 0);
    Reemplazar(v->edCantidad, QStringLiteral("2"));
    v->btnAceptar->click();
    Procesar();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].codigo, QStringLiteral("FRC-1"));
    EXPECT_EQ(r[0].nombre, QStringLiteral("CAJA DE ACETAMINOFEN FRACCIONADA"));
    EXPECT_EQ(r[0].costo, Currency(400));
    EXPECT_EQ(r[0].cantidad, Currency(2));
    EXPECT_TRUE(r[0].fraccionado);
    EXPECT_EQ(r[0].idFraccion, 4);
    EXPECT_TRUE(v.isNull());
    EXPECT_TRUE(ficha.isEnabled());

    // Checked on a fractioned article, then another one chosen: no fraction goes with it.
    v = Abrir(r);
    Buscar(v, QStringLiteral("FRC-1"));
    v->chkFraccionado->setChecked(true);
    v->cbFraccion->setCurrentIndex(1);
    Buscar(v, QStringLiteral("7501"));
    EXPECT_FALSE(v->chkFraccionado->isVisible());
    Reemplazar(v->edCantidad, QStringLiteral("1.234567"));
    Tecla(v->btnAceptar, Qt::Key_Return);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].codigo, QStringLiteral("CMP-1"));
    EXPECT_EQ(r[1].costo, Currency::fromString(QStringLiteral("1250.5")));
    EXPECT_EQ(r[1].cantidad, Currency::fromString(QStringLiteral("1.2346")));
    EXPECT_FALSE(r[1].fraccionado);
    EXPECT_EQ(r[1].idFraccion, 0);
}

TEST_F(Composicion, CantidadInvalidaOListaVaciaNoCierranYCerrarSiempreHabilitaLaFicha)
{
    std::vector<Recibido> r;
    // Created as the card's child: disabling the card must not disable the chooser.
    QPointer<TfrmComposicion> v = Abrir(r, &ficha);
    EXPECT_FALSE(ficha.isEnabled());
    EXPECT_TRUE(v->isEnabled());
    Buscar(v, QStringLiteral("7501"));
    for (const QString &cantidad : {QStringLiteral("0"), QStringLiteral("-1"), QStringLiteral("abc"), QString()}) {
        env.mensajes.Limpiar();
        Reemplazar(v->edCantidad, cantidad);
        v->btnAceptar->click();
        Procesar();
        ASSERT_FALSE(v.isNull()) << cantidad.toStdString();
        ASSERT_EQ(env.mensajes.mostrados().size(), 1u);
        EXPECT_EQ(env.mensajes.mostrados()[0].tipo, Mensajes::Tipo::Globo);
        EXPECT_EQ(env.mensajes.mostrados()[0].texto, kCantidadInvalida);
        EXPECT_EQ(env.mensajes.mostrados()[0].control, QStringLiteral("edCantidad"));
    }
    Reemplazar(v->edCantidad, QStringLiteral("1"));
    Buscar(v, QStringLiteral("NO EXISTE NADA ASI"));
    env.mensajes.Limpiar();
    v->btnAceptar->click();
    Procesar();
    ASSERT_FALSE(v.isNull());
    EXPECT_TRUE(env.mensajes.Mostro(kListaVacia));
    EXPECT_TRUE(r.empty());
    EXPECT_FALSE(ficha.isEnabled());
    Tecla(v->edArticulo, Qt::Key_Escape);
    EXPECT_TRUE(v.isNull());
    EXPECT_TRUE(ficha.isEnabled());
    EXPECT_TRUE(r.empty());
}

// The card's side of the fraction chooser: remembers what it assigned.
class Fraccionados : public Composicion {
protected:
    std::set<int> asignadas;
    std::vector<std::pair<QString, Currency>> recibidas;

    TfrmArtFraccionados *AbrirFracciones()
    {
        auto *v = new TfrmArtFraccionados(*env.datos);
        v->AgregarFraccionamiento = [this](const QString &presentacion, int id, const Currency &ajuste) {
            if (!asignadas.insert(id).second)
                return false;
            recibidas.push_back({presentacion, ajuste});
            return true;
        };
        v->AbrirDesde(&ficha);
        Procesar();
        return v;
    }
};

TEST_F(Fraccionados, ElAjusteSeCopiaDeLaFraccionYUnaFraccionRepetidaSeRechaza)
{
    QPointer<TfrmArtFraccionados> v = AbrirFracciones();
    EXPECT_EQ(v->windowTitle(), QStringLiteral("Artículos Fraccionados"));
    EXPECT_FALSE(ficha.isEnabled());
    EXPECT_EQ(Columna(v->GridFracciones),
              (QStringList{"CUARTO", "MEDIA CAJA", "SOBRE X 10", "TABLETA SUELTA"}));
    EXPECT_EQ(v->edAjuste->text(), QStringLiteral("8.000"));
    v->GridFracciones->setCurrentIndex(v->GridFracciones->model()->index(1, 0));
    EXPECT_EQ(v->edAjuste->text(), QStringLiteral("5.000"));
    Reemplazar(v->edAjuste, QStringLiteral("12.5"));
    v->btnAceptar->click();
    Procesar();
    ASSERT_EQ(recibidas.size(), 1u);
    EXPECT_EQ(recibidas[0].first, QStringLiteral("MEDIA CAJA"));
    EXPECT_EQ(recibidas[0].second, Currency::fromString(QStringLiteral("12.5")));
    EXPECT_EQ(asignadas, std::set<int>{3});
    EXPECT_TRUE(v.isNull());
    EXPECT_TRUE(ficha.isEnabled());

    v = AbrirFracciones();
    v->GridFracciones->setCurrentIndex(v->GridFracciones->model()->index(1, 0));
    env.mensajes.Limpiar();
    v->btnAceptar->click();
    Procesar();
    ASSERT_FALSE(v.isNull());
    EXPECT_TRUE(env.mensajes.Mostro(kFraccionAsignada));
    EXPECT_EQ(recibidas.size(), 1u);
    EXPECT_FALSE(ficha.isEnabled());

    Reemplazar(v->edAjuste, QStringLiteral("x1"));
    v->GridFracciones->setCurrentIndex(v->GridFracciones->model()->index(0, 0));
    EXPECT_EQ(v->edAjuste->text(), QStringLiteral("8.000"));  // another row: its default again
    Reemplazar(v->edAjuste, QStringLiteral("x1"));
    env.mensajes.Limpiar();
    v->btnAceptar->click();
    Procesar();
    ASSERT_FALSE(v.isNull());
    EXPECT_EQ(recibidas.size(), 1u);
    EXPECT_EQ(env.mensajes.mostrados().size(), 1u);

    v->btnCancelar->click();
    Procesar();
    EXPECT_TRUE(v.isNull());
    EXPECT_TRUE(ficha.isEnabled());
}

class Laboratorio : public ::testing::Test {
protected:
    EntornoPrueba env;
    int Cuantos() { return EntornoPrueba::Entero(env.inventario, QStringLiteral("select count(*) from LABORATORIOS")); }
};

TEST_F(Laboratorio, ElNombreRepetidoSeRechazaSinImportarMayusculasNiBlancos)
{
    Laboratorios labs(ConexionesDeDatosComp(*env.datos));
    const int antes = Cuantos();
    const int id = labs.Agregar(QStringLiteral("  laboratorio nuevo "));
    EXPECT_GT(id, 5);  // assigned past the demo rows
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario,
                                   QStringLiteral("select NOMBRE from LABORATORIOS where ID_LABORATORIOS = %1").arg(id)),
              QStringLiteral("LABORATORIO NUEVO"));
    const auto rechazo = [&](auto &&f) {
        try {
            f();
        } catch (const ErrorNombreLaboratorio &e) {
            return e.mensaje();
        }
        return QString();
    };
    EXPECT_EQ(rechazo([&] { labs.Agregar(QStringLiteral("Laboratorios Andinos  ")); }), kLaboratorioDuplicado);
    EXPECT_EQ(rechazo([&] { labs.Agregar(QStringLiteral("LABORATORIO NUEVO")); }), kLaboratorioDuplicado);
    EXPECT_EQ(rechazo([&] { labs.Agregar(QStringLiteral("   ")); }), kLaboratorioSinNombre);
    EXPECT_EQ(rechazo([&] { labs.Renombrar(2, QStringLiteral("biofarma tropical")); }), kLaboratorioDuplicado);
    EXPECT_EQ(rechazo([&] { labs.Renombrar(5, QStringLiteral(" biofarma tropical")); }), QString());  // its own name
    EXPECT_EQ(Cuantos(), antes + 1);
    // A row stored with blanks or lower case by someone else still counts.
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("insert into LABORATORIOS (NOMBRE) values (' otro Lab ')"));
    EXPECT_TRUE(labs.Duplicado(QStringLiteral("OTRO LAB")));
    EXPECT_FALSE(labs.Duplicado(QStringLiteral("OTRO LABS")));
    labs.Borrar(id);
    EXPECT_EQ(Cuantos(), antes + 1);
}

TEST_F(Laboratorio, NoSeBorraUnLaboratorioQueUnArticuloUsa)
{
    Laboratorios labs(ConexionesDeDatosComp(*env.datos));
    const int usado = labs.Agregar(QStringLiteral("LAB EN USO"));
    const int libre = labs.Agregar(QStringLiteral("LAB LIBRE"));
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral(
        "insert into INVENTARIO (COD_BARRAS, NOMBRE, ID_LABORATORIO) values ('LAB-1', 'CON LABORATORIO', %1)").arg(usado));
    const int antes = Cuantos();
    try {
        labs.Borrar(usado);
        ADD_FAILURE() << "borró un laboratorio en uso";
    } catch (const ErrorLaboratorioEnUso &e) {
        EXPECT_EQ(e.mensaje(), kLaboratorioEnUso);
    }
    EXPECT_EQ(Cuantos(), antes);
    EXPECT_FALSE(env.datos->TransUpdateInv->active());  // the unit of work rolled back
    labs.Borrar(libre);
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update INVENTARIO set ID_LABORATORIO = null where COD_BARRAS = 'LAB-1'"));
    labs.Borrar(usado);
    EXPECT_EQ(Cuantos(), antes - 2);
}

TEST_F(Laboratorio, LaVentanaAgregaConEnterRechazaDuplicadosYBorraTrasPreguntar)
{
    TfrmLaboratorios v(*env.datos);
    QSignalSpy cambios(&v, &TfrmLaboratorios::laboratoriosCambiados);
    v.show();
    Procesar();
    EXPECT_EQ(v.windowTitle(), QStringLiteral("Laboratorios"));
    EXPECT_TRUE(v.isModal());
    EXPECT_EQ(Columna(v.GridLaboratorios).size(), Cuantos());
    EXPECT_FALSE(v.edNombre->isEnabled());
    const int antes = Cuantos();

    v.btnAgregar->click();
    ASSERT_TRUE(v.edNombre->isEnabled());
    Escribir(v.edNombre, QStringLiteral("biofarma tropical "));
    Tecla(v.edNombre, Qt::Key_Return);
    EXPECT_EQ(Cuantos(), antes);
    ASSERT_FALSE(env.mensajes.mostrados().empty());
    EXPECT_EQ(env.mensajes.mostrados().back().tipo, Mensajes::Tipo::Globo);
    EXPECT_EQ(env.mensajes.mostrados().back().texto, kLaboratorioDuplicado);
    EXPECT_TRUE(v.edNombre->isEnabled());
    EXPECT_TRUE(v.isVisible());  // Enter in the name never closes the list
    Tecla(v.edNombre, Qt::Key_Escape);
    EXPECT_FALSE(v.edNombre->isEnabled());
    EXPECT_TRUE(v.isVisible());
    EXPECT_EQ(cambios.count(), 0);

    v.btnAgregar->click();
    Escribir(v.edNombre, QStringLiteral("fitoquimica del sur"));
    Tecla(v.edNombre, Qt::Key_Return);
    EXPECT_EQ(Cuantos(), antes + 1);
    EXPECT_EQ(cambios.count(), 1);
    EXPECT_FALSE(v.edNombre->isEnabled());
    EXPECT_TRUE(Columna(v.GridLaboratorios).contains(QStringLiteral("FITOQUIMICA DEL SUR")));
    const int nuevo = v.IdActual();
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario,
                                   QStringLiteral("select NOMBRE from LABORATORIOS where ID_LABORATORIOS = %1").arg(nuevo)),
              QStringLiteral("FITOQUIMICA DEL SUR"));

    env.mensajes.Limpiar();
    env.mensajes.Responder(Mensajes::Respuesta::No);
    v.btnBorrar->click();
    EXPECT_EQ(Cuantos(), antes + 1);
    ASSERT_EQ(env.mensajes.mostrados().size(), 1u);
    EXPECT_TRUE(env.mensajes.mostrados()[0].destructiva);
    EXPECT_EQ(env.mensajes.mostrados()[0].texto, kPreguntaBorrarLaboratorio);
    v.btnBorrar->click();  // yes
    EXPECT_EQ(Cuantos(), antes);
    EXPECT_EQ(EntornoPrueba::Entero(env.inventario,
                                    QStringLiteral("select count(*) from LABORATORIOS where ID_LABORATORIOS = %1").arg(nuevo)),
              0);
    EXPECT_EQ(cambios.count(), 2);
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()
