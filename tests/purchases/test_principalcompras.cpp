// Purchases browser over the demo data: list and filters, annulled marker, rights, the
// label workbook, the voucher reprint and the window's open/close lifecycle.
#include "host/Comp_exports.h"
#include "purchases/Comp_frmagregacompras.h"
#include "catalogs/Comp_frmcambiarproveedor.h"
#include "purchases/Comp_frmcomprascc.h"
#include "purchases/Comp_frmdetallefactura.h"
#include "purchases/Comp_frmprincipalcompras.h"
#include "reports/Comp_frmexportaraexcel.h"
#include "reports/Comp_frmfechasreporte.h"
#include "support/EntornoPrueba.h"

#include <QTableWidget>
#include "platform/Formato.h"
#include "platform/workbook/LibroHojas.h"
#include "ui/Permisos.h"
#include "support/PruebaVentanas.h"
#include "platform/workbook/TmxNativeExcel.h"
#include "platform/VariablesHost.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

using pruebas::CerrarVentanas;
using pruebas::Control;
using pruebas::Procesar;
using pruebas::Ventana;

namespace {

struct Fila {
    QDate fecha;
    QString comprobante, nombre;
};

// What the grid shows, every row fetched.
std::vector<Fila> Filas(TfrmPrincipalCompras *frm)
{
    QAbstractItemModel *m = Control<QTableView>(frm, "SMDBGrid1")->model();
    while (m->canFetchMore({}))
        m->fetchMore({});
    std::vector<Fila> filas;
    for (int r = 0; r < m->rowCount(); ++r)
        filas.push_back({QDate::fromString(m->index(r, 1).data().toString(), QStringLiteral("dd/MM/yyyy")),
                         m->index(r, 2).data().toString(), m->index(r, 3).data().toString()});
    return filas;
}

QStringList Comprobantes(TfrmPrincipalCompras *frm)
{
    QStringList c;
    for (const Fila &f : Filas(frm))
        c << f.comprobante;
    return c;
}

QStringList Ordenados(QStringList l)
{
    l.sort();
    return l;
}

const QStringList kDelMes = {"0045871", "0012-88377", "A-00078213", "IMI-000331", "F-0009932", "0012-88410", "CC-0000101"};

void Seleccionar(TfrmPrincipalCompras *frm, const QString &comprobante)
{
    auto *grid = Control<QTableView>(frm, "SMDBGrid1");
    const int fila = static_cast<int>(Comprobantes(frm).indexOf(comprobante));
    ASSERT_GE(fila, 0);
    grid->setCurrentIndex(grid->model()->index(fila, 1));
}

QAction *Accion(TfrmPrincipalCompras *frm, const char *nombre)
{
    return Control<QAction>(frm, nombre);
}

QString TextoPdf(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

// Closes the browser and whatever it opened before the environment they read goes away.
struct CierreVentana {
    ~CierreVentana() { CerrarVentanas(frmPrincipalCompras); }
};

TfrmPrincipalCompras *AbrirNavegador()
{
    AbrirCompras(true);
    Procesar();
    return frmPrincipalCompras;
}

class PrincipalCompras : public ::testing::Test {
protected:
    EntornoPrueba env;
    CierreVentana cierre;
};

} // namespace

TEST_F(PrincipalCompras, AlAbrirListaDelUnoDelMesAHoyTodosLosProveedoresPorFechaNumeroYNombre)
{
    const QDate hoy = QDate::currentDate(), primero(hoy.year(), hoy.month(), 1);
    auto insertar = [&](int id, const QDate &fecha, const char *comp, const char *nombre) {
        EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into FACTURAS_COMPRA (ID_COMPRA, FECHA, COMPROBANTE, "
                                                           "CODIGO_PROVEEDOR, NOMBRE, IMPORTE_TOTAL, IMPORTE_NC) values "
                                                           "(%1, '%2', '%3', 12, '%4', 100, 40)")
                                                .arg(id)
                                                .arg(fecha.toString(Qt::ISODate), comp, nombre));
    };
    insertar(901, primero.addDays(-1), "ANTERIOR-1", "MES ANTERIOR");
    insertar(902, hoy.addDays(1), "MANANA-1", "MAÑANA");
    insertar(903, hoy, "", "SIN NUMERO");
    insertar(904, hoy, "ZZ-1", "BETA");  // same date and number: the name decides
    insertar(905, hoy, "ZZ-1", "ALFA");

    TfrmPrincipalCompras *frm = AbrirNavegador();
    ASSERT_NE(frm, nullptr);
    EXPECT_EQ(frm->size(), QSize(780, 432));
    auto *inicial = Control<QDateEdit>(frm, "cmbFechaInicial");
    auto *final = Control<QDateEdit>(frm, "cmbFechaFinal");
    EXPECT_EQ(inicial->date(), primero);
    EXPECT_EQ(final->date(), hoy);
    EXPECT_EQ(Control<QLineEdit>(frm, "edProveedor")->text(), QStringLiteral("TODOS"));
    EXPECT_TRUE(Control<QPushButton>(frm, "btComprasCC")->isEnabled());  // the demo store has a head office

    const std::vector<Fila> filas = Filas(frm);
    EXPECT_EQ(Ordenados(Comprobantes(frm)), Ordenados(kDelMes + QStringList{"ZZ-1", "ZZ-1"}));
    for (size_t i = 1; i < filas.size(); ++i)
        EXPECT_LE(std::tie(filas[i - 1].fecha, filas[i - 1].comprobante, filas[i - 1].nombre),
                  std::tie(filas[i].fecha, filas[i].comprobante, filas[i].nombre));
    EXPECT_EQ(filas.back().nombre, QStringLiteral("BETA"));
    // Importe Total = Importe - Importe NC
    auto *m = Control<QTableView>(frm, "SMDBGrid1")->model();
    EXPECT_EQ(m->index(static_cast<int>(filas.size()) - 1, 6).data().toString(), QStringLiteral("60.00"));

    inicial->setDate(primero.addMonths(-1));
    EXPECT_TRUE(Comprobantes(frm).contains(QStringLiteral("ANTERIOR-1")));
    EXPECT_FALSE(Comprobantes(frm).contains(QStringLiteral("MANANA-1")));
    // The end date cannot go before the start, nor the start after the end.
    final->setDate(inicial->date().addDays(-10));
    EXPECT_EQ(final->date(), inicial->date());
    inicial->setDate(final->date().addDays(5));
    EXPECT_EQ(inicial->date(), final->date());
}

TEST_F(PrincipalCompras, FiltraPorParteDelNumeroYOrdena)
{
    TfrmPrincipalCompras *frm = AbrirNavegador();
    auto *ed = Control<QLineEdit>(frm, "edcomprobante");
    const std::pair<const char *, QStringList> casos[] = {
        {"000", {"A-00078213", "IMI-000331", "F-0009932", "CC-0000101"}},
        {"837", {"0012-88377"}},
        {"  88 ", {"0012-88377", "0012-88410"}},
        {"' or ''='", {}},
        {"%", {}},
    };
    for (const auto &[texto, esperado] : casos) {
        ed->setText(QString::fromUtf8(texto));
        EXPECT_EQ(Ordenados(Comprobantes(frm)), Ordenados(esperado)) << texto;
    }
    Control<QPushButton>(frm, "btnQuitaComprobante")->click();
    EXPECT_TRUE(ed->text().isEmpty());
    EXPECT_EQ(Comprobantes(frm).size(), kDelMes.size());
    EXPECT_TRUE(env.mensajes.mostrados().empty());

    auto *orden = Control<QComboBox>(frm, "cbxOrden");
    orden->setCurrentIndex(1);
    EXPECT_EQ(Comprobantes(frm), Ordenados(kDelMes));
    orden->setCurrentIndex(2);
    const std::vector<Fila> filas = Filas(frm);
    for (size_t i = 1; i < filas.size(); ++i)
        EXPECT_LE(std::tie(filas[i - 1].nombre, filas[i - 1].fecha, filas[i - 1].comprobante),
                  std::tie(filas[i].nombre, filas[i].fecha, filas[i].comprobante));
}

TEST(FiltroCompras, SoloLasCondicionesPedidasYLoEscritoComoParametro)
{
    const QDate a(2026, 3, 1), b(2026, 3, 31);
    struct Caso {
        FiltroCompras filtro;
        bool fechas, proveedor, comprobante;
    } casos[] = {
        {{a, b, true, 0, "", 0}, true, false, false},
        {{a, a, false, 12, " 77 ", 1}, true, true, true},
        {{b, a, true, 0, "x", 2}, false, false, true},  // end before start: no date condition
        {{QDate(), b, false, 5, "   ", 0}, false, true, false},
    };
    for (const Caso &c : casos) {
        const QString sql = ListadoCompras::SqlFiltro(c.filtro);
        EXPECT_EQ(sql.contains(QStringLiteral("FECHA >= :Inicial and FECHA <= :Final")), c.fechas) << sql.toStdString();
        EXPECT_EQ(sql.contains(QStringLiteral("CODIGO_PROVEEDOR = :Codigo")), c.proveedor) << sql.toStdString();
        EXPECT_EQ(sql.contains(QStringLiteral("COMPROBANTE containing :Comprobante")), c.comprobante) << sql.toStdString();
    }
    FiltroCompras malicioso;
    malicioso.comprobante = QStringLiteral("1' or 1=1 --");
    EXPECT_FALSE(ListadoCompras::SqlFiltro(malicioso).contains(QStringLiteral("1=1")));
}

TEST_F(PrincipalCompras, ProveedorDelSelectorFiltraYTodosLoRestableceSinTocarLasFechas)
{
    TfrmPrincipalCompras *frm = AbrirNavegador();
    auto *inicial = Control<QDateEdit>(frm, "cmbFechaInicial");
    inicial->setDate(inicial->date().addMonths(-2));
    const QDate desde = inicial->date();

    Control<QPushButton>(frm, "btnFiltroProveedor")->click();
    Procesar();
    TfrmCambiarProveedor *selector = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *s = qobject_cast<TfrmCambiarProveedor *>(w); s && s->isVisible())
            selector = s;
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->Modo, QStringLiteral("Buscar"));
    EXPECT_FALSE(frm->isEnabled());
    selector->edNombre->setText(QStringLiteral("ROBLE"));
    selector->btnAceptar->click();
    Procesar();
    EXPECT_TRUE(frm->isEnabled());
    EXPECT_EQ(Control<QLineEdit>(frm, "edProveedor")->text(), QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
    EXPECT_EQ(Ordenados(Comprobantes(frm)), Ordenados({"0012-88377", "0012-88410"}));

    // Another window moves the shared supplier dataset: the list keeps the supplier it shows.
    env.datos->TProveedores->close();
    env.datos->TProveedores->setSelectSql(QStringLiteral("select * from PROVEEDORES where COD_PROVEEDOR = 5"));
    env.datos->TProveedores->open();
    Control<QComboBox>(frm, "cbxOrden")->setCurrentIndex(1);
    EXPECT_EQ(Comprobantes(frm), (QStringList{"0012-88377", "0012-88410"}));

    Control<QPushButton>(frm, "btnElimFiltroProveedor")->click();
    EXPECT_EQ(Control<QLineEdit>(frm, "edProveedor")->text(), QStringLiteral("TODOS"));
    EXPECT_EQ(Comprobantes(frm).size(), kDelMes.size());
    EXPECT_EQ(inicial->date(), desde);
}

TEST_F(PrincipalCompras, AnuladasEnRojoLasDemasEnBlancoYVerCargaLasLineasDeLaElegida)
{
    TfrmPrincipalCompras *frm = AbrirNavegador();
    auto *m = Control<QTableView>(frm, "SMDBGrid1")->model();
    const QStringList c = Comprobantes(frm);
    for (int r = 0; r < c.size(); ++r) {
        const QModelIndex marca = m->index(r, 0);
        const bool anulada = c[r] == QLatin1String("0012-88377");
        EXPECT_EQ(marca.data(Qt::BackgroundRole).value<QBrush>().color(), anulada ? QColor(Qt::red) : QColor(Qt::white));
        EXPECT_TRUE(marca.data().toString().isEmpty());
        EXPECT_FALSE(m->index(r, 2).data(Qt::BackgroundRole).isValid());
    }

    Seleccionar(frm, QStringLiteral("A-00078213"));
    Control<QPushButton>(frm, "btnVerDetalle")->click();
    db::Dataset *det = env.datos->TDetCom;
    ASSERT_TRUE(det->active());
    EXPECT_EQ(det->recordCount(), 4);
    for (det->first(); !det->eof(); det->next())
        EXPECT_EQ(det->fieldByName(QStringLiteral("ID_COMPRA")).asInteger(), 3);

    // "Ver" on an empty list does nothing.
    env.mensajes.Limpiar();
    det->close();
    Control<QLineEdit>(frm, "edcomprobante")->setText(QStringLiteral("NO-EXISTE"));
    Control<QPushButton>(frm, "btnVerDetalle")->click();
    EXPECT_FALSE(det->active());
    EXPECT_TRUE(env.mensajes.mostrados().empty());
}

TEST(PrincipalComprasPermisos, UsuarioLimitadoSoloPuedeAgregar)
{
    EntornoPrueba env(QStringLiteral("CAJERO"));
    CierreVentana cierre;
    TfrmPrincipalCompras *frm = AbrirNavegador();
    ASSERT_NE(frm, nullptr);
    const std::pair<const char *, std::function<void()>> negados[] = {
        {"Anular", [&] { Control<QPushButton>(frm, "btnAnular")->click(); }},
        {"Eliminar", [&] { Control<QPushButton>(frm, "btnBorrar")->click(); }},
        {"Resumen", [&] { Accion(frm, "mnuResumenCompras")->trigger(); }},
        {"Detalle", [&] { Accion(frm, "mnuDetalleCompras")->trigger(); }},
        {"Por proveedor", [&] { Accion(frm, "mnuComprasProveedor")->trigger(); }},
        {"Netas", [&] { Accion(frm, "mnuComprasNetas")->trigger(); }},
        {"Exportar", [&] { Accion(frm, "mnuExportarExcel")->trigger(); }},
    };
    for (const auto &[nombre, ejecutar] : negados) {
        env.mensajes.Limpiar();
        ejecutar();
        ASSERT_EQ(env.mensajes.textos(), QStringList{kMensajeSinPermiso}) << nombre;
    }
    for (const char *boton : {"btnAgregar", "btComprasCC"}) {
        env.mensajes.Limpiar();
        Control<QPushButton>(frm, boton)->click();
        EXPECT_FALSE(env.mensajes.Mostro(kMensajeSinPermiso)) << boton;
    }
}

TEST_F(PrincipalCompras, ConTodosLosDerechosCadaComandoAbreLoSuyo)
{
    TfrmPrincipalCompras *frm = AbrirNavegador();
    Seleccionar(frm, QStringLiteral("A-00078213"));

    // "Ver": the detail of the selected invoice; the browser waits for it.
    Control<QPushButton>(frm, "btnVerDetalle")->click();
    Procesar();
    auto *detalle = Ventana<TfrmDetalleFactura>();
    ASSERT_NE(detalle, nullptr);
    EXPECT_EQ(Control<QLineEdit>(detalle, "edComprobante")->text(), QStringLiteral("A-00078213"));
    EXPECT_FALSE(frm->isEnabled());
    detalle->close();
    Procesar();
    EXPECT_TRUE(frm->isEnabled());

    // "Agregar": the purchase entry; the browser waits for it too.
    Control<QPushButton>(frm, "btnAgregar")->click();
    Procesar();
    QPointer<TfrmAgregaCompra> entrada = Ventana<TfrmAgregaCompra>();
    ASSERT_FALSE(entrada.isNull());
    EXPECT_EQ(entrada->Modo(), QStringLiteral("Compra"));
    EXPECT_FALSE(frm->isEnabled());
    entrada->close();
    Procesar();
    EXPECT_TRUE(entrada.isNull());
    EXPECT_TRUE(frm->isEnabled());

    // Head-office import: its window lists the demo head office's invoices for the store.
    CargarVariable(QStringLiteral("BaseCentral"), env.RutaBase(QStringLiteral("central")));
    env.mensajes.Limpiar();
    Control<QPushButton>(frm, "btComprasCC")->click();
    Procesar();
    Procesar();
    QPointer<TfrmComprasCC> cc = Ventana<TfrmComprasCC>();
    ASSERT_FALSE(cc.isNull()) << env.mensajes.textos().join('|').toStdString();
    EXPECT_TRUE(env.mensajes.mostrados().empty()) << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(Control<QTableWidget>(cc, "grdFacturasCC")->rowCount(), 3);
    cc->close();
    Procesar();
    CargarVariable(QStringLiteral("BaseCentral"), QString());

    // Each report opens its period window, the export its own; the browser waits for them.
    int abiertas = 0;
    for (QAction *a : Control<QPushButton>(frm, "btnReporte")->menu()->actions()) {
        if (a->isSeparator())
            continue;
        a->trigger();
        Procesar();
        QWidget *ventana = Ventana<TfrmFechasReporte>();
        if (!ventana)
            ventana = Ventana<TfrmExportarAExcel>();
        ASSERT_NE(ventana, nullptr) << a->text().toStdString();
        EXPECT_FALSE(frm->isEnabled());
        ventana->close();
        Procesar();
        EXPECT_TRUE(frm->isEnabled());
        ++abiertas;
    }
    EXPECT_EQ(abiertas, 5);
    EXPECT_TRUE(env.mensajes.mostrados().empty()) << env.mensajes.textos().join('|').toStdString();
}

TEST_F(PrincipalCompras, AnularYEliminarDesdeLaListaLaRefrescan)
{
    TfrmPrincipalCompras *frm = AbrirNavegador();
    auto *grid = Control<QTableView>(frm, "SMDBGrid1");
    auto anulada = [&](const char *comp) {
        return EntornoPrueba::Texto(env.tienda, QStringLiteral("select ANULADA from FACTURAS_COMPRA where COMPROBANTE = "
                                                               "'%1'").arg(QLatin1String(comp)));
    };
    auto marca = [&] { return grid->currentIndex().siblingAtColumn(0).data(Qt::BackgroundRole).value<QBrush>().color(); };
    auto actual = [&] { return grid->currentIndex().siblingAtColumn(2).data().toString(); };

    // A posted invoice cannot be deleted, and is not asked about.
    Seleccionar(frm, QStringLiteral("A-00078213"));
    Control<QPushButton>(frm, "btnBorrar")->click();
    EXPECT_EQ(env.mensajes.textos(), QStringList{"Atención!\r\n\r\nNo puede eliminar esta factura sin antes anularla."});

    // Annulling asks; No leaves it posted.
    env.mensajes.Limpiar();
    env.mensajes.Responder(Mensajes::Respuesta::No);
    Control<QPushButton>(frm, "btnAnular")->click();
    EXPECT_EQ(env.mensajes.textos(), QStringList{"Desea anular la compra Nro: A-00078213"});
    EXPECT_EQ(anulada("A-00078213"), "N");

    // Yes: annulled, and the list shows it red with the same invoice still selected.
    env.mensajes.Limpiar();
    Control<QPushButton>(frm, "btnAnular")->click();
    EXPECT_EQ(env.mensajes.textos(),
              (QStringList{"Desea anular la compra Nro: A-00078213",
                           "La Factura de Compra Nro: A-00078213 ha sido anulado satisfactoriamente\r\n\r\n"
                           "El movimiento bancario del cheque Nro: 004512 no se anuló (el cheque pudo haber sido "
                           "entregado); reviselo en bancos."}));
    EXPECT_EQ(anulada("A-00078213"), "S");
    EXPECT_EQ(actual(), QStringLiteral("A-00078213"));
    EXPECT_EQ(marca(), QColor(Qt::red));
    EXPECT_EQ(env.datos->TFacturasCompra->fieldByName(QStringLiteral("COMPROBANTE")).asString(), "A-00078213");

    // Annulling it again only says so.
    env.mensajes.Limpiar();
    Control<QPushButton>(frm, "btnAnular")->click();
    EXPECT_EQ(env.mensajes.textos(), QStringList{"La compra seleccionada ya se encuentra anulada."});

    // Deleting asks; Yes removes it from the database and from the list.
    const int filas = static_cast<int>(Comprobantes(frm).size());
    const int fila = static_cast<int>(Comprobantes(frm).indexOf(QStringLiteral("A-00078213")));
    Seleccionar(frm, QStringLiteral("A-00078213"));
    env.mensajes.Limpiar();
    env.mensajes.Responder(Mensajes::Respuesta::No);
    Control<QPushButton>(frm, "btnBorrar")->click();
    EXPECT_EQ(env.mensajes.textos(), QStringList{"Atención!\r\n\r\nRealmente desea eliminar del sistema la factura A-00078213?"});
    EXPECT_EQ(Comprobantes(frm).size(), filas);
    Seleccionar(frm, QStringLiteral("A-00078213"));
    Control<QPushButton>(frm, "btnBorrar")->click();
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, "select count(*) from FACTURAS_COMPRA where COMPROBANTE = 'A-00078213'"), 0);
    EXPECT_FALSE(Comprobantes(frm).contains(QStringLiteral("A-00078213")));
    EXPECT_EQ(Comprobantes(frm).size(), filas - 1);
    // The selection stays where the invoice was, on a real invoice.
    EXPECT_EQ(grid->currentIndex().row(), std::min(fila, filas - 2));
    EXPECT_EQ(env.datos->TFacturasCompra->fieldByName(QStringLiteral("COMPROBANTE")).asString(), actual());
}

TEST_F(PrincipalCompras, PlanillaDeEtiquetasSaltaArticulosBorradosYTruncaLaCantidad)
{
    // Invoice 0012-88410 has four lines: the second one's article no longer exists.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update DETALLE_FACTURAS_COMPRA set CODIGO_ARTICULO = 'YA-NO-EXISTE' "
                                                       "where ID_DETALLE_FACTURA = 22"));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("update DETALLE_FACTURAS_COMPRA set CANTIDAD = 2.75 where ID_DETALLE_FACTURA = 21"));
    TfrmPrincipalCompras *frm = AbrirNavegador();
    Seleccionar(frm, QStringLiteral("0012-88410"));
    QString pedido = env.carpeta.file(QStringLiteral("etiquetas.xls"));
    frm->PedirArchivoEtiquetas = [&pedido] { return pedido; };
    Accion(frm, "mnuGenerarEtiquetas")->trigger();

    const QString archivo = env.carpeta.file(QStringLiteral("etiquetas.xlsx"));
    EXPECT_EQ(env.mensajes.textos(), QStringList{TmxNativeExcel::MensajeExito(archivo)});
    const HojaLibro hoja = LeerLibro(archivo).hojas.at(0);
    auto texto = [&hoja](int f, int c) { return hoja.celda(f, c) ? hoja.celda(f, c)->texto : QString(); };
    EXPECT_EQ(texto(1, 1), QStringLiteral("IMPRESIÓN DE ETIQUETAS - COMPRA Nº 0012-88410"));
    EXPECT_EQ((QStringList{texto(2, 1), texto(2, 2), texto(2, 3), texto(2, 4), texto(2, 5)}),
              (QStringList{"Codigo", "Nombre Articulo", "Precio Con IVA", "Precio Sin IVA", "Cantidad Etiquetas"}));
    EXPECT_EQ(hoja.ultimaFila(), 5);  // three rows, one after the other
    QStringList codigos;
    for (int f = 3; f <= 5; ++f) {
        const QString cod = texto(f, 1);
        codigos << cod;
        const QString inv = QStringLiteral(" from INVENTARIO where COD_BARRAS = '%1'").arg(cod);
        EXPECT_EQ(texto(f, 2), EntornoPrueba::Texto(env.inventario, QStringLiteral("select NOMBRE") + inv));
        EXPECT_DOUBLE_EQ(hoja.celda(f, 3)->numero, EntornoPrueba::Real(env.inventario, QStringLiteral("select PRECIOCONIV_1") + inv));
        EXPECT_DOUBLE_EQ(hoja.celda(f, 4)->numero, EntornoPrueba::Real(env.inventario, QStringLiteral("select PRECIOSINIV_1") + inv));
        EXPECT_EQ(hoja.celda(f, 5)->numero, std::trunc(EntornoPrueba::Real(env.tienda, QStringLiteral(
            "select CANTIDAD from DETALLE_FACTURAS_COMPRA where ID_COMPRA = 7 and CODIGO_ARTICULO = '%1'").arg(cod))));
    }
    EXPECT_EQ(Ordenados(codigos), Ordenados({"7501031311309", "7441001000332", "7441001000349"}));
    EXPECT_EQ(hoja.celda(static_cast<int>(codigos.indexOf(QStringLiteral("7501031311309"))) + 3, 5)->numero, 2);

    env.mensajes.Limpiar();
    pedido.clear();  // dialog cancelled
    Accion(frm, "mnuGenerarEtiquetas")->trigger();
    EXPECT_TRUE(env.mensajes.mostrados().empty());
    pedido = env.carpeta.file(QStringLiteral("no/existe/etiquetas.xls"));
    Accion(frm, "mnuGenerarEtiquetas")->trigger();
    EXPECT_EQ(env.mensajes.textos(), QStringList{TmxNativeExcel::MensajeErrorGuardar()});
}

TEST(PlanillaEtiquetas, TituloYEncabezadosEnNegritaConBordesYDatosSinBordes)
{
    TmxNativeExcel libro;
    ListadoCompras::EscribirEtiquetas(libro, QStringLiteral("/tmp/x.xls"), QStringLiteral("F-1"), QStringLiteral("IVA"),
                                      {{"A1", "UNO", Currency::fromString(QStringLiteral("1130.5")), 1000, 3}},
                                      QFont(QStringLiteral("DejaVu Sans"), 9));
    const HojaLibro &h = libro.Libro().hojas.at(0);
    EXPECT_TRUE(h.celda(1, 1)->negrita);
    EXPECT_EQ(h.celda(1, 1)->fuente, QStringLiteral("Tahoma"));
    EXPECT_EQ(h.celda(1, 1)->bordes, 0);
    for (int c = 1; c <= 5; ++c) {
        EXPECT_TRUE(h.celda(2, c)->negrita && h.celda(2, c)->bordes == BordeTodos) << c;
        EXPECT_FALSE(h.celda(3, c)->negrita || h.celda(3, c)->bordes) << c;
    }
    EXPECT_EQ(h.celda(3, 3)->numero, 1130.5);
    EXPECT_EQ(h.anchos, (std::map<int, double>{{1, 19}, {2, 50}, {3, 19}, {4, 19}, {5, 19}}));
}

TEST_F(PrincipalCompras, ReimpresionDelComprobanteAPdfEnCadaMoneda)
{
    TfrmPrincipalCompras *frm = AbrirNavegador();
    Seleccionar(frm, QStringLiteral("0012-88410"));
    QMap<QString, QString> variables;
    frm->MostrarReporte = [&](Reporte &rep) {
        variables = rep.Variables;
        rep.ExportToPdf(env.carpeta.file(QStringLiteral("local.pdf")));
    };
    // Without the template: the engine's error, no preview.
    Accion(frm, "mnuReimprimirComprobante")->trigger();
    EXPECT_TRUE(variables.isEmpty());
    ASSERT_EQ(env.mensajes.mostrados().size(), 1u);
    EXPECT_EQ(env.mensajes.mostrados()[0].tipo, Mensajes::Tipo::Error);

    env.mensajes.Limpiar();
    ASSERT_TRUE(QFile::copy(QStringLiteral(COMPRAS_REPORTES_FUENTE "/comp_RespaldoComprobante.html"),
                            env.carpeta.file(QStringLiteral("comp_RespaldoComprobante.html"))));
    Accion(frm, "mnuReimprimirComprobante")->trigger();
    EXPECT_EQ(variables.value("vMoneda1") + variables.value("vSigno") + variables.value("CodProveedor"), "'S''₡''CER'");
    EXPECT_TRUE(TextoPdf(env.carpeta.file(QStringLiteral("local.pdf"))).contains(QStringLiteral("Colones (₡)")));
    EXPECT_TRUE(env.mensajes.mostrados().empty());

    ListadoCompras listado(*env.datos);
    Reporte &r = listado.PrepararComprobante(4);  // IMI-000331, entered in dollars
    // Entered in dollars, stored and printed in colones under the colon's sign.
    EXPECT_EQ(r.Variables.value("vMoneda1") + r.Variables.value("vSigno") + r.Variables.value("vSigno2"), "'N''₡''$'");
    const QString pdf = env.carpeta.file(QStringLiteral("dolares.pdf"));
    r.ExportToPdf(pdf);
    const QString t = TextoPdf(pdf);
    const Currency precio = EntornoPrueba::Moneda(
        env.inventario, QStringLiteral("select PRECIOCONIV_1 from INVENTARIO where COD_BARRAS = '7441001000158'"));
    for (const QString &esperado :
         {QStringLiteral("FARMACIA Y MINISUPER LA ESPERANZA S.A."), QStringLiteral("IMPORTADORA MEDICA INTERNACIONAL S.A."),
          QStringLiteral("Código: IMI"), QStringLiteral("Dólares ($)"), QStringLiteral("Días de crédito: 45"),
          QStringLiteral("Subtotal: ₡ 162,240.00"), QStringLiteral("Impuesto al Valor Agregado: ₡ 21,091.20"),
          QStringLiteral("Total: ₡ 183,331.20"), QStringLiteral("Crédito: ₡ 183,331.20"), QStringLiteral("Líneas: 4"),
          QStringLiteral("TERMOMETRO DIGITAL"), FormatoMoneda(precio)})
        EXPECT_TRUE(t.contains(esperado)) << esperado.toStdString() << "\n" << t.toStdString();
}

TEST_F(PrincipalCompras, AbrirDosVecesSiguiendoLaBanderaTraeLaPrimeraYCerrarLaBaja)
{
    TfrmPrincipalCompras *primera = AbrirNavegador();
    ASSERT_NE(primera, nullptr);
    EXPECT_TRUE(primera->isVisible());
    EXPECT_EQ(VerVariable(QStringLiteral("venCompras")), QStringLiteral("S"));

    AbrirCompras(VerVariable(QStringLiteral("venCompras")) != QLatin1String("S"));  // as the host does
    Procesar();
    EXPECT_EQ(frmPrincipalCompras, primera);
    int ventanas = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        ventanas += qobject_cast<TfrmPrincipalCompras *>(w) != nullptr;
    EXPECT_EQ(ventanas, 1);

    Control<QPushButton>(primera, "btnCerra")->click();
    Procesar();
    EXPECT_TRUE(frmPrincipalCompras.isNull());
    EXPECT_EQ(VerVariable(QStringLiteral("venCompras")), QStringLiteral("N"));

    TfrmPrincipalCompras *otra = AbrirNavegador();
    ASSERT_NE(otra, nullptr);
    pruebas::Tecla(Control<QLineEdit>(otra, "edcomprobante"), Qt::Key_Escape);
    EXPECT_TRUE(frmPrincipalCompras.isNull());
    EXPECT_EQ(VerVariable(QStringLiteral("venCompras")), QStringLiteral("N"));
}



TEST_F(PrincipalCompras, EnterPasaAlSiguienteFiltro)
{
    TfrmPrincipalCompras *frm = AbrirNavegador();
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm));
    for (const auto &[desde, hasta] : {std::pair{"cmbFechaInicial", "cmbFechaFinal"}, {"cmbFechaFinal", "cbxOrden"},
                                       {"cbxOrden", "edProveedor"}}) {
        Control<QWidget>(frm, desde)->setFocus();
        pruebas::Tecla(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), Control<QWidget>(frm, hasta)) << desde;
    }
}

PRUEBAS_CON_VENTANAS_MAIN()
