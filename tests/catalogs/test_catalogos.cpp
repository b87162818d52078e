// Families, units of measure and locations over the demo inventory: the rules of the cores
// and the windows driven offscreen.

#include "catalogs/CatalogoSimple.h"
#include "catalogs/Comp_frmbuscarfamilia.h"
#include "catalogs/Comp_frmfamilias.h"
#include "catalogs/Comp_frmfichafamilia.h"
#include "catalogs/Comp_frmubicaciones.h"
#include "catalogs/Comp_frmunidadmedida.h"
#include "catalogs/Familias.h"
#include "catalogs/ModeloArbolFamilias.h"
#include "host/Comp_exports.h"
#include "platform/VariablesHost.h"
#include "platform/report/Reporte.h"
#include "support/EntornoPrueba.h"
#include "support/PruebaVentanas.h"
#include "ui/Permisos.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace pruebas;

namespace {

const char *kArticulo = "INSERT INTO INVENTARIO (COD_BARRAS, NOMBRE, COD_FAMILIA, COD_UNIDAD, COD_UBICACION) "
                        "VALUES ('%1', 'ARTICULO DE PRUEBA', '%2', %3, %4)";

class Catalogos : public ::testing::Test {
protected:
    EntornoPrueba env;
    ConexionesCompra conexiones = ConexionesDeDatosComp(*env.datos);

    void Articulo(const QString &codigo, const QString &familia, int unidad, int ubicacion)
    {
        EntornoPrueba::Ejecutar(env.inventario, QString::fromLatin1(kArticulo)
                                                    .arg(codigo, familia)
                                                    .arg(unidad)
                                                    .arg(ubicacion));
    }
    int Contar(const QString &sql) { return EntornoPrueba::Entero(env.inventario, sql); }
    void TearDown() override { CerrarVentanas(nullptr); }
};

FilaFamilia Familia(const QString &codigo, const QString &nombre, const QString &padre = QString())
{
    FilaFamilia f;
    f.codigo = codigo;
    f.nombre = nombre;
    f.codPertenece = padre;
    return f;
}

QString TextoPdf(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The node of `codigo`, walking the tree as the view does; invalid when it is not shown.
QModelIndex Nodo(QTreeView *arbol, const QString &codigo, const QModelIndex &desde = {})
{
    const QAbstractItemModel *m = arbol->model();
    for (int f = 0; f < m->rowCount(desde); ++f) {
        const QModelIndex n = m->index(f, 0, desde);
        if (CodigoDeNodo(n.data().toString()) == codigo)
            return n;
        if (const QModelIndex h = Nodo(arbol, codigo, n); h.isValid())
            return h;
    }
    return {};
}

} // namespace

// -- families: checks, saving, deleting

TEST_F(Catalogos, FamilyCardChecksInOrderAndRefusesLoops)
{
    CatalogoFamilias c(conexiones);
    auto fallo = [&](const FilaFamilia &f, bool nueva) {
        const std::optional<FalloFamilia> r = c.Validar(f, nueva);
        return r ? r->texto : QString();
    };
    EXPECT_EQ(fallo(Familia("", "X"), true), "Por favor digite el Código de la Familia");
    EXPECT_EQ(fallo(Familia("NUEVA", "  "), true), "Por favor digite el Nombre de la Familia");
    EXPECT_EQ(fallo(Familia("ABA", "OTRA"), true), "Ya existe una Familia con este Código");
    EXPECT_EQ(fallo(Familia("ABA", "ABARROTES"), false), "");  // modifying never checks the code
    EXPECT_EQ(fallo(Familia("NUEVA", "X", "NOEXISTE"), true), "No existe la familia NOEXISTE");
    // ABA is the parent of ABA-BEB: it cannot go under it, nor under itself.
    EXPECT_FALSE(fallo(Familia("ABA", "ABARROTES", "ABA-BEB"), false).isEmpty());
    EXPECT_FALSE(fallo(Familia("ABA", "ABARROTES", "ABA"), false).isEmpty());
    EXPECT_THROW(c.Guardar(Familia("ABA", "ABARROTES", "ABA-BEB"), false), ErrorCatalogo);
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, "select COD_PERTENECE from FAMILIA where COD_FAMILIA = 'ABA'").trimmed(),
              "");
}

TEST_F(Catalogos, FamilySavedUnderAnotherKeepsTheParentsName)
{
    CatalogoFamilias c(conexiones);
    c.Guardar(Familia(" JUG ", "JUGOS", "ABA-BEB"), true);
    const std::optional<FilaFamilia> f = c.Leer("JUG");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->codPertenece, "ABA-BEB");
    EXPECT_EQ(f->nomPertenece, "BEBIDAS");
    EXPECT_EQ(f->activa, "S");
    // Committed: another attachment sees it.
    auto otra = env.AbrirConexion();
    EXPECT_EQ(EntornoPrueba::Entero(otra->inventario, "select count(*) from FAMILIA where COD_FAMILIA = 'JUG'"), 1);
}

TEST_F(Catalogos, FamilyInUseIsNotDeleted)
{
    CatalogoFamilias c(conexiones);
    c.Guardar(Familia("SOLA", "SIN USO"), true);
    c.Guardar(Familia("MADRE", "CON HIJA"), true);
    c.Guardar(Familia("HIJA", "HIJA", "MADRE"), true);
    c.Guardar(Familia("CONART", "CON ARTICULOS"), true);
    Articulo("CAT-0001", "CONART", 1, 1);
    Articulo("CAT-0002", "CONART", 1, 1);

    try {
        c.Eliminar("CONART");
        ADD_FAILURE() << "deleted a family two articles use";
    } catch (const ErrorCatalogo &e) {
        EXPECT_TRUE(e.mensaje().startsWith(kFamiliaAsociada));
        EXPECT_TRUE(e.mensaje().contains("2 artículo(s)")) << e.mensaje().toStdString();
    }
    EXPECT_THROW(c.Eliminar("MADRE"), ErrorCatalogo);
    c.Eliminar("SOLA");
    EXPECT_EQ(Contar("select count(*) from FAMILIA where COD_FAMILIA in ('CONART', 'MADRE', 'SOLA')"), 2);
    // The refusal left no transaction half done: a later save still commits.
    c.Eliminar("HIJA");
    c.Eliminar("MADRE");
    EXPECT_EQ(Contar("select count(*) from FAMILIA where COD_FAMILIA in ('MADRE', 'HIJA')"), 0);
}

// -- units and locations

TEST_F(Catalogos, NewUnitsAndLocationsTakeTheirKeysFromTheDatabase)
{
    CatalogoSimple unidades(conexiones, DefUnidades());
    CatalogoSimple ubicaciones(conexiones, DefUbicaciones());
    const int maxUnidad = Contar("select max(COD_UNIDAD) from UNIDAD_MEDIDA");
    FilaCatalogo f;
    f.nombre = "CAJA DE 12";
    f.unidad = "CJ12";
    const int a = unidades.Guardar(f, true);
    const int b = unidades.Guardar(f, true);
    EXPECT_GT(a, maxUnidad);
    EXPECT_NE(a, b);
    EXPECT_EQ(Contar(QStringLiteral("select count(*) from UNIDAD_MEDIDA where COD_UNIDAD = %1 and UNIDAD = 'CJ12'").arg(b)), 1);

    // Another workstation adding at the same time never gets the same key.
    auto otra = env.AbrirConexion();
    ConexionesCompra suyas{nullptr, nullptr, &otra->inventario, &otra->transUpdateInv};
    FilaCatalogo u;
    u.nombre = "BODEGA TRASERA";
    const int mia = ubicaciones.Guardar(u, true);
    const int suya = CatalogoSimple(suyas, DefUbicaciones()).Guardar(u, true);
    EXPECT_NE(mia, suya);

    u.codigo = mia;
    u.nombre = "BODEGA DEL FONDO";
    EXPECT_EQ(ubicaciones.Guardar(u, false), mia);
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, QStringLiteral("select NOMBRE from UBICACION where COD_UBICACION = %1").arg(mia)),
              "BODEGA DEL FONDO");
    FilaCatalogo vacia;
    EXPECT_THROW(unidades.Guardar(vacia, true), ErrorCatalogo);
}

TEST_F(Catalogos, UnitsAndLocationsInUseAreNotDeleted)
{
    CatalogoSimple unidades(conexiones, DefUnidades());
    CatalogoSimple ubicaciones(conexiones, DefUbicaciones());
    FilaCatalogo f;
    f.nombre = "PAQUETE";
    const int unidad = unidades.Guardar(f, true);
    const int ubicacion = ubicaciones.Guardar(f, true);
    Articulo("CAT-0003", "ABA", unidad, ubicacion);

    try {
        unidades.Eliminar(unidad, "PAQUETE");
        ADD_FAILURE() << "deleted a unit an article uses";
    } catch (const ErrorCatalogo &e) {
        EXPECT_EQ(e.mensaje(), "No se puede eliminar la unidad de medida PAQUETE: la usan 1 artículo(s).");
    }
    EXPECT_THROW(ubicaciones.Eliminar(ubicacion, "PAQUETE"), ErrorCatalogo);
    EXPECT_EQ(Contar(QStringLiteral("select count(*) from UBICACION where COD_UBICACION = %1").arg(ubicacion)), 1);

    EntornoPrueba::Ejecutar(env.inventario, "delete from INVENTARIO where COD_BARRAS = 'CAT-0003'");
    unidades.Eliminar(unidad, "PAQUETE");
    ubicaciones.Eliminar(ubicacion, "PAQUETE");
    EXPECT_EQ(Contar(QStringLiteral("select count(*) from UNIDAD_MEDIDA where COD_UNIDAD = %1").arg(unidad)), 0);
}

TEST_F(Catalogos, SearchesNeverOfferTheRowWithKeyMinusOne)
{
    EntornoPrueba::Ejecutar(env.inventario, "INSERT INTO UBICACION (COD_UBICACION, NOMBRE) VALUES (-1, 'SIN UBICACION')");
    db::Dataset &ds = *env.datos->TUbicacion;
    auto nombres = [&] {
        QStringList r;
        ds.fetchAll();
        for (int i = 0; i < ds.fetchedCount(); ++i)
            r << ds.valueAtRow(i, ds.fieldIndex("NOMBRE")).asString();
        return r;
    };
    ConsultaBuscarCatalogo(DefUbicaciones(), "").Abrir(ds);
    EXPECT_FALSE(nombres().contains("SIN UBICACION"));
    ConsultaBuscarCatalogo(DefUbicaciones(), "UBICACION").Abrir(ds);
    EXPECT_TRUE(nombres().isEmpty());
    ConsultaFiltroCatalogo(DefUbicaciones(), "SIN").Abrir(ds);
    EXPECT_EQ(nombres(), QStringList{"SIN UBICACION"});  // the browser lists it
}

// -- the family search hands back its choice

TEST_F(Catalogos, FamilySearchHandsBackTheChoiceAndReenablesTheCaller)
{
    QWidget llamador;
    llamador.show();
    QString codigo, nombre;
    int llamadas = 0;
    auto elegir = [&](const QString &c, const QString &n) {
        codigo = c;
        nombre = n;
        ++llamadas;
    };

    TfrmBuscarFamilia *b = BuscarFamilia(*env.datos, &llamador, OrigenFamilia::Arti, elegir);
    EXPECT_FALSE(llamador.isEnabled());
    Reemplazar(b->edBuscar, "HIGIENE");
    b->btnAceptar->click();
    Procesar();
    EXPECT_EQ(llamadas, 1);
    EXPECT_EQ(codigo, "CUI-HIG");
    EXPECT_EQ(nombre, "HIGIENE ORAL");
    EXPECT_TRUE(llamador.isEnabled());
    EXPECT_EQ(Ventana<TfrmBuscarFamilia>(), nullptr);

    // Cancel, Escape and closing the window: caller enabled again, nothing handed back.
    for (int salida = 0; salida < 3; ++salida) {
        b = BuscarFamilia(*env.datos, &llamador, OrigenFamilia::Arti, elegir);
        Procesar();
        ASSERT_FALSE(llamador.isEnabled());
        if (salida == 0)
            b->btnCancelar->click();
        else if (salida == 1)
            Tecla(b->edBuscar, Qt::Key_Escape);
        else
            b->close();
        Procesar();
        EXPECT_TRUE(llamador.isEnabled()) << "salida " << salida;
        EXPECT_EQ(llamadas, 1);
    }

    // An empty list keeps the search open and the caller disabled.
    b = BuscarFamilia(*env.datos, &llamador, OrigenFamilia::Arti, elegir);
    Reemplazar(b->edBuscar, "NO HAY TAL FAMILIA");
    b->btnAceptar->click();
    Procesar();
    EXPECT_TRUE(env.mensajes.Mostro("Debe seleccionar una Familia"));
    EXPECT_FALSE(llamador.isEnabled());
    EXPECT_TRUE(b->isVisible());
    b->close();
    Procesar();
    EXPECT_TRUE(llamador.isEnabled());
}

TEST_F(Catalogos, PromotionOriginsAndThePickerFilterTheirLists)
{
    QWidget llamador;
    TfrmBuscarFamilia *b = BuscarFamilia(*env.datos, &llamador, QStringLiteral("Promo_Cond1"), {});
    Procesar();
    env.datos->TFam2->fetchAll();
    EXPECT_EQ(env.datos->TFam2->fetchedCount(), 1);  // only GALLETAS Y CONFITERIA is on promotion
    b->close();

    EntornoPrueba::Ejecutar(env.inventario, "update FAMILIA set ACTIVA = 'N' where COD_FAMILIA = 'CUI-BEB'");
    QString elegido;
    TfrmCambiarFamilia *p = CambiarFamilia(*env.datos, &llamador, OrigenFamilia::FiltroAgregarPedido,
                                           [&](const QString &c, const QString &) { elegido = c; });
    Procesar();
    EXPECT_TRUE(env.datos->TFamilia->locate("COD_FAMILIA", db::Value::text("CUI-BEB")));  // no text: inactive too
    Reemplazar(p->edBuscar, "BEBE");
    Procesar();
    EXPECT_TRUE(env.datos->TFamilia->isEmpty());
    p->btnAceptar->click();
    EXPECT_TRUE(env.mensajes.Mostro("No se ha seleccionado ningúna familia"));
    Reemplazar(p->edBuscar, "GALLETAS");
    p->btnAceptar->click();
    Procesar();
    EXPECT_EQ(elegido, "ABA-SNA");
    EXPECT_TRUE(llamador.isEnabled());
}

// -- windows from the host menu

TEST_F(Catalogos, FamiliesBrowserAddsUnderTheSelectedFamilyAndRefusesDeletingOneInUse)
{
    CargarVariable("venFamilias", "");
    AbrirFamilias(true);
    auto *frm = Ventana<TfrmFamilias>();
    ASSERT_NE(frm, nullptr);
    EXPECT_EQ(VerVariable("venFamilias"), "S");
    EXPECT_EQ(frm->windowTitle(), "Familias");
    QTreeView *arbol = frm->tvFamilias;
    ASSERT_EQ(arbol->model()->rowCount(), 1);
    EXPECT_EQ(arbol->model()->index(0, 0).data().toString(), kRaizFamilias);
    ASSERT_TRUE(Nodo(arbol, "ABA-BEB").isValid());
    EXPECT_EQ(CodigoDeNodo(Nodo(arbol, "ABA-BEB").parent().data().toString()), "ABA");
    EXPECT_TRUE(arbol->isExpanded(Nodo(arbol, "ABA")));

    // The root node is no family: nothing to modify, and a new family goes to the top.
    arbol->setCurrentIndex(arbol->model()->index(0, 0));
    EXPECT_EQ(frm->SeleccionarFamilia(), QString());
    frm->btnModificar->click();
    Procesar();
    EXPECT_EQ(Ventana<TfrmFichaFamilia>(), nullptr);
    EXPECT_TRUE(env.mensajes.mostrados().empty()) << env.mensajes.textos().join("|").toStdString();
    frm->btnAgregar->click();
    ASSERT_NE(Ventana<TfrmFichaFamilia>(), nullptr);
    EXPECT_EQ(Ventana<TfrmFichaFamilia>()->edPertenece->text(), QString());
    Ventana<TfrmFichaFamilia>()->btnCancelar->click();
    Procesar();
    ASSERT_TRUE(frm->isEnabled());

    arbol->setCurrentIndex(Nodo(arbol, "ABA-BEB"));
    frm->btnAgregar->click();
    auto *ficha = Ventana<TfrmFichaFamilia>();
    ASSERT_NE(ficha, nullptr);
    EXPECT_FALSE(frm->isEnabled());
    EXPECT_EQ(ficha->edPertenece->text(), "ABA-BEB");
    ficha->btnAceptar->click();  // no code
    ASSERT_FALSE(env.mensajes.mostrados().empty());
    EXPECT_EQ(env.mensajes.mostrados().back().texto, "Por favor digite el Código de la Familia");
    EXPECT_EQ(env.mensajes.mostrados().back().control, "edCodigo");
    Reemplazar(ficha->edCodigo, "agu");
    Reemplazar(ficha->edNombre, "aguas");
    ficha->btnAceptar->click();
    Procesar();
    EXPECT_TRUE(frm->isEnabled());
    const QModelIndex nueva = Nodo(arbol, "AGU");
    ASSERT_TRUE(nueva.isValid());
    EXPECT_EQ(NombreDeNodo(nueva.data().toString()), "AGUAS");
    EXPECT_EQ(CodigoDeNodo(nueva.parent().data().toString()), "ABA-BEB");

    // ABA-BEB now has a child: refused, kept.
    arbol->setCurrentIndex(Nodo(arbol, "ABA-BEB"));
    env.mensajes.Limpiar();
    frm->btnEliminar->click();
    EXPECT_TRUE(env.mensajes.Mostro("¿Realmente desea eliminar la familia: BEBIDAS?"));
    EXPECT_EQ(Contar("select count(*) from FAMILIA where COD_FAMILIA = 'ABA-BEB'"), 1);
    EXPECT_TRUE(env.mensajes.textos().join("|").contains(kFamiliaAsociada));

    // A No keeps it; a Yes on the unused one deletes it.
    arbol->setCurrentIndex(Nodo(arbol, "AGU"));
    env.mensajes.Responder(Mensajes::Respuesta::No);
    frm->btnEliminar->click();
    EXPECT_EQ(Contar("select count(*) from FAMILIA where COD_FAMILIA = 'AGU'"), 1);
    frm->btnEliminar->click();
    EXPECT_EQ(Contar("select count(*) from FAMILIA where COD_FAMILIA = 'AGU'"), 0);
    EXPECT_FALSE(Nodo(frm->tvFamilias, "AGU").isValid());

    frm->close();
    Procesar();
    EXPECT_EQ(VerVariable("venFamilias"), "N");
}

TEST_F(Catalogos, UnitsAndLocationsBrowsersAddAndRefuseDeletingWhatArticlesUse)
{
    AbrirUnidadMedida(true);
    auto *uni = Ventana<TfrmCatalogoSimple>();
    ASSERT_NE(uni, nullptr);
    EXPECT_EQ(uni->windowTitle(), "Unidades de Medida");
    EXPECT_EQ(VerVariable("venUniMed"), "S");
    uni->btnAgregar->click();
    auto *ficha = Ventana<TfrmFichaCatalogo>();
    ASSERT_NE(ficha, nullptr);
    EXPECT_EQ(ficha->windowTitle(), "Unidad de Medida");
    ficha->btnAceptar->click();
    EXPECT_TRUE(env.mensajes.Mostro("Por favor digite el Nombre de la Unidad"));
    Reemplazar(ficha->edNombre, "DOCENA");
    Reemplazar(ficha->edUnidad, "DOC");
    ficha->btnAceptar->click();
    Procesar();
    EXPECT_TRUE(uni->isEnabled());
    const int docena = Contar("select COD_UNIDAD from UNIDAD_MEDIDA where NOMBRE = 'DOCENA'");
    ASSERT_GT(docena, 0);
    EXPECT_EQ(env.datos->TUnidad->fieldByName("NOMBRE").asString(), "DOCENA");  // the grid is on the new row

    Articulo("CAT-0004", "ABA", docena, 1);
    env.mensajes.Limpiar();
    uni->btnEliminar->click();
    EXPECT_TRUE(env.mensajes.Mostro("Realmente desea eliminar la unidad de medida DOCENA"));
    EXPECT_TRUE(env.mensajes.textos().join("|").contains("la usan 1 artículo(s)"));
    EXPECT_EQ(Contar(QStringLiteral("select count(*) from UNIDAD_MEDIDA where COD_UNIDAD = %1").arg(docena)), 1);
    uni->close();

    AbrirUbicaciones(true);
    auto *ubi = Ventana<TfrmCatalogoSimple>();
    ASSERT_NE(ubi, nullptr);
    EXPECT_EQ(ubi->windowTitle(), "Ubicaciones");
    ubi->btnAgregar->click();
    auto *fu = Ventana<TfrmFichaCatalogo>();
    ASSERT_NE(fu, nullptr);
    EXPECT_EQ(fu->edUnidad, nullptr);
    fu->btnAceptar->click();
    EXPECT_TRUE(env.mensajes.Mostro("Por favor digite el Nombre de la Ubicación"));
    Reemplazar(fu->edNombre, "VITRINA");
    fu->btnAceptar->click();
    Procesar();
    EXPECT_EQ(Contar("select count(*) from UBICACION where NOMBRE = 'VITRINA'"), 1);
    env.mensajes.Limpiar();
    ubi->btnEliminar->click();  // on VITRINA, unused
    EXPECT_TRUE(env.mensajes.Mostro("Realmente desea eliminar la Ubicación VITRINA"));
    EXPECT_EQ(Contar("select count(*) from UBICACION where NOMBRE = 'VITRINA'"), 0);
}

TEST(CatalogosDerechos, EveryCommandNeedsItsRight)
{
    EntornoPrueba env(QStringLiteral("CAJERO"), 2);
    AbrirFamilias(true);
    auto *frm = Ventana<TfrmFamilias>();
    ASSERT_NE(frm, nullptr);
    frm->tvFamilias->setCurrentIndex(Nodo(frm->tvFamilias, "CUR-BOT"));
    for (QToolButton *b : {frm->btnAgregar, frm->btnModificar, frm->btnEliminar, frm->btnImprimir}) {
        env.mensajes.Limpiar();
        b->click();
        Procesar();
        EXPECT_EQ(env.mensajes.textos(), QStringList{kMensajeSinPermiso}) << b->objectName().toStdString();
    }
    EXPECT_EQ(Ventana<TfrmFichaFamilia>(), nullptr);
    EXPECT_EQ(EntornoPrueba::Entero(env.inventario, "select count(*) from FAMILIA where COD_FAMILIA = 'CUR-BOT'"), 1);
    frm->close();

    AbrirUbicaciones(true);
    auto *ubi = Ventana<TfrmCatalogoSimple>();
    ASSERT_NE(ubi, nullptr);
    for (QToolButton *b : {ubi->btnAgregar, ubi->btnModificar, ubi->btnEliminar, ubi->btnImprimir}) {
        env.mensajes.Limpiar();
        b->click();
        Procesar();
        EXPECT_EQ(env.mensajes.textos(), QStringList{kMensajeSinPermiso}) << b->objectName().toStdString();
    }
    EXPECT_EQ(Ventana<TfrmFichaCatalogo>(), nullptr);
    CerrarVentanas(nullptr);
}

// -- printouts

TEST_F(Catalogos, PrintoutsListEveryRowUnderTheCompanyHeader)
{
    for (const char *plantilla : {"inv_Familias.html", "inv_UniMed.html", "inv_Ubicaciones.html"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(COMPRAS_REPORTES_FUENTE "/") + plantilla,
                                env.carpeta.file(QString::fromLatin1(plantilla))));
    const QString empresa = EntornoPrueba::Texto(env.tienda, "select first 1 NOMBRE_EMPRESA from EMPRESA").trimmed();

    TfrmFamilias frm(*env.datos);
    const QString pdfFam = env.carpeta.file("familias.pdf");
    frm.MostrarReporte = [&](Reporte &r) { r.ExportToPdf(pdfFam); };
    frm.ImprimirFamilias();
    const QString fam = TextoPdf(pdfFam);
    EXPECT_TRUE(fam.contains("HIGIENE ORAL"));
    EXPECT_TRUE(fam.contains("CUIDADO PERSONAL"));
    EXPECT_TRUE(fam.contains("CUR-BOT"));
    if (!empresa.isEmpty()) {
        EXPECT_TRUE(fam.contains(empresa)) << fam.toStdString();
    }
    // By name: BEBES before GALLETAS Y CONFITERIA before HIGIENE ORAL.
    EXPECT_LT(fam.indexOf("BEBES"), fam.indexOf("GALLETAS Y CONFITERIA"));
    EXPECT_LT(fam.indexOf("GALLETAS Y CONFITERIA"), fam.indexOf("HIGIENE ORAL"));

    TfrmUnidadMedida uni(*env.datos);
    const QString pdfUni = env.carpeta.file("unidades.pdf");
    uni.MostrarReporte = [&](Reporte &r) { r.ExportToPdf(pdfUni); };
    uni.Imprimir();
    const QString txt = TextoPdf(pdfUni);
    EXPECT_TRUE(txt.contains("UNIDAD")) << txt.toStdString();
    EXPECT_TRUE(txt.contains("UND"));
    EXPECT_TRUE(env.mensajes.textos().isEmpty()) << env.mensajes.textos().join("|").toStdString();
}

PRUEBAS_CON_VENTANAS_MAIN()
