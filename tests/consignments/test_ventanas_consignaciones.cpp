// The consignment windows driven offscreen: receipt through purchase entry, the browser's
// annulment, the consignment chooser filling purchase entry, and the printouts read back
// from PDF in both currencies.

#include "purchases/PosteoPrueba.h"
#include "platform/report/ApoyoReporte.h"
#include "support/PruebaVentanas.h"

#include "consignments/Comp_frm_elegirtipomoneda.h"
#include "consignments/Comp_frmconsignaciones.h"
#include "consignments/Comp_frmdetalleconsignacion.h"
#include "consignments/Comp_frmdevolucionconsig.h"
#include "consignments/Comp_frmfacturarconsig.h"
#include "consignments/Comp_frmguardarconsignacion.h"
#include "consignments/RecepcionConsignacion.h"
#include "data/Comp_fdatos.h"
#include "host/Comp_exports.h"
#include "platform/report/Reporte.h"
#include "purchases/Comp_frmagregacompras.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace posteo;
using namespace pruebas;

namespace {

class VentanasConsignacion : public ::testing::Test {
protected:
    EntornoPrueba env;
    QTemporaryDir dir;
    TfrmConsignaciones *frm = nullptr;

    void SetUp() override
    {
        for (const char *plantilla : {"comp_RespaldoConsignacion.html", "comp_Consignaciones.html"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(COMPRAS_REPORTES_FUENTE "/") + QLatin1String(plantilla),
                                    env.carpeta.path() + QLatin1Char('/') + QLatin1String(plantilla)));
        Articulo(env, "ART-1", "10", "800");
        AbrirConsignacion(true);
        Procesar();
        frm = Ventana<TfrmConsignaciones>();
        ASSERT_TRUE(frm);
    }
    void TearDown() override { CerrarVentanas(frm); }
    // Exports every previewed report to `pdf`.
    std::function<void(Reporte &)> APdf(const QString &pdf)
    {
        return [pdf](Reporte &r) { r.ExportToPdf(pdf); };
    }
    Currency Stock() { return EntornoPrueba::Moneda(env.inventario, "select STOCK from INVENTARIO where COD_BARRAS = 'ART-1'"); }
    // Receives 5 x ART-1 at 1000 as `numero` through the entry and the receipt window.
    void Recibir(const QString &numero, const QString &pdf)
    {
        frm->btnAgregarClick();
        Procesar();
        auto *entrada = Ventana<TfrmAgregaCompra>();
        ASSERT_TRUE(entrada);
        EXPECT_EQ(entrada->windowTitle(), "Agregar Comprobante de Consignación");
        EXPECT_FALSE(entrada->edComprobante->isVisible());
        entrada->ProveedorElegido(12, "COMERCIALIZADORA EL ROBLE S.A.", 1);
        Reemplazar(entrada->edComprob, numero);
        entrada->edComprobExit();
        ASSERT_EQ(entrada->Entrada().AgregarArticulo("ART-1", Currency(5), Currency(1000)), EntradaCompra::Resultado::Agregada);
        entrada->btnEmitirClick();
        Procesar();
        auto *guardar = Ventana<TfrmGuardarConsignacion>();
        ASSERT_TRUE(guardar) << env.mensajes.textos().join('|').toStdString();
        EXPECT_EQ(guardar->lblTotal->text(), "5,650.00");
        guardar->MostrarReporte = APdf(pdf);
        guardar->btnAceptar->click();  // answers yes to printing
        Procesar();
        EXPECT_TRUE(env.mensajes.Mostro(RecepcionConsignacion::kGuardada)) << env.mensajes.textos().join('|').toStdString();
        EXPECT_FALSE(Ventana<TfrmAgregaCompra>());
        // The period widened to today; today only, the demo's consignments are older.
        EXPECT_EQ(frm->cmbFechaFinal->date(), QDate::currentDate());
        frm->cmbFechaInicial->setDate(QDate::currentDate());
        Procesar();
    }
    // The selected consignment's detail and, from it, the return window.
    void AbrirDevolucion(TfrmDetalleConsignacion *&detalle, TfrmDevolucionConsig *&dev)
    {
        frm->btnVerDetalleClick();
        Procesar();
        detalle = Ventana<TfrmDetalleConsignacion>();
        ASSERT_TRUE(detalle);
        detalle->btnDevolucionClick();
        Procesar();
        dev = Ventana<TfrmDevolucionConsig>();
        ASSERT_TRUE(dev);
    }
};

TEST_F(VentanasConsignacion, ReceiveFromTheEntryPrintTheVoucherAndAnnulFromTheBrowser)
{
    const QString voucher = dir.filePath("respaldo.pdf");
    Recibir("CV-1", voucher);
    EXPECT_EQ(Stock(), C("15"));
    const QString texto = textoPdf(voucher);
    EXPECT_TRUE(texto.contains("RESPALDO DE COMPROBANTE DE CONSIGNACIÓN")) << texto.toStdString() << env.mensajes.textos().join("|").toStdString();
    EXPECT_TRUE(texto.contains("CV-1"));
    EXPECT_TRUE(texto.contains("5,650.00"));
    EXPECT_TRUE(texto.contains("ART-1"));

    ASSERT_EQ(frm->SMDBGrid1->model()->rowCount(), 1);
    // The detail: its lines, the return still behind its notice, the voucher reprinted.
    frm->btnVerDetalleClick();
    Procesar();
    auto *detalle = Ventana<TfrmDetalleConsignacion>();
    ASSERT_TRUE(detalle);
    EXPECT_FALSE(frm->isEnabled());
    EXPECT_EQ(detalle->lblComprobante->text(), "CV-1");
    EXPECT_EQ(detalle->GridDetalles->model()->rowCount(), 1);
    EXPECT_EQ(detalle->lblCodigo->text(), "ART-1");
    const QString copia = dir.filePath("copia.pdf");
    detalle->MostrarReporte = APdf(copia);
    detalle->btnReimprimirClick();
    EXPECT_TRUE(textoPdf(copia).contains("CV-1"));
    detalle->close();
    Procesar();
    EXPECT_TRUE(frm->isEnabled());

    frm->btnBorrarClick();  // answers yes
    EXPECT_TRUE(env.mensajes.Mostro("La consignación Nro: CV-1 ha sido anulada satisfactoriamente"));
    EXPECT_EQ(Stock(), C("10"));
    frm->btnBorrarClick();
    EXPECT_TRUE(env.mensajes.Mostro("La consignación seleccionada ya se encuentra anulada"));
    EXPECT_EQ(Stock(), C("10"));
    frm->btnVerDetalleClick();
    Procesar();
    ASSERT_TRUE(Ventana<TfrmDetalleConsignacion>());
    Ventana<TfrmDetalleConsignacion>()->btnDevolucionClick();
    EXPECT_TRUE(env.mensajes.Mostro("La consignacion está anulada"));
    Ventana<TfrmDetalleConsignacion>()->close();
    Procesar();
}

TEST_F(VentanasConsignacion, TheDetailOpensTheReturnWhichGivesBackTheTickedQuantity)
{
    Recibir("CV-9", dir.filePath("r.pdf"));
    ASSERT_EQ(Stock(), C("15"));
    TfrmDetalleConsignacion *detalle = nullptr;
    TfrmDevolucionConsig *dev = nullptr;
    ASSERT_NO_FATAL_FAILURE(AbrirDevolucion(detalle, dev));
    EXPECT_EQ(dev->windowTitle(), "Devolucion de Consignaciones");
    EXPECT_FALSE(detalle->isEnabled());
    EXPECT_FALSE(dev->lbl1->isVisible());
    QTableWidget *g = dev->gridDevoluciones;
    ASSERT_EQ(g->rowCount(), 1);
    EXPECT_EQ(g->horizontalHeaderItem(TfrmDevolucionConsig::colDevolver)->text(), "Devolver");
    EXPECT_EQ(g->item(0, TfrmDevolucionConsig::colCodigo)->text(), "ART-1");
    EXPECT_EQ(g->item(0, TfrmDevolucionConsig::colCantidad)->text(), "5");
    EXPECT_EQ(g->item(0, TfrmDevolucionConsig::colDevolver)->checkState(), Qt::Unchecked);

    dev->btnAceptar->click();
    EXPECT_TRUE(env.mensajes.Mostro("No hay artículos seleccionados"));
    dev->btnMarcarTodo->click();
    EXPECT_EQ(g->item(0, TfrmDevolucionConsig::colDevolver)->checkState(), Qt::Checked);
    g->item(0, TfrmDevolucionConsig::colCantidad)->setText("6");
    dev->btnAceptar->click();
    EXPECT_TRUE(env.mensajes.Mostro("La cantidad a devolver es incorrecta. Favor Verifique"));
    g->item(0, TfrmDevolucionConsig::colCantidad)->setText("dos");
    dev->btnAceptar->click();
    EXPECT_EQ(Stock(), C("15"));
    ASSERT_TRUE(Ventana<TfrmDevolucionConsig>());

    g->item(0, TfrmDevolucionConsig::colCantidad)->setText("2");
    dev->btnAceptar->click();
    Procesar();
    EXPECT_TRUE(env.mensajes.Mostro("Los artículos seleccionados se han devuelto satisfactoriamente"))
        << env.mensajes.textos().join('|').toStdString();
    EXPECT_EQ(Stock(), C("13"));
    EXPECT_FALSE(Ventana<TfrmDevolucionConsig>());
    EXPECT_TRUE(detalle->isEnabled());
    EXPECT_FALSE(detalle->btnDevolucion->isEnabled());
    EXPECT_FALSE(detalle->btnReenviar->isVisible());  // no distributor files outside distributor mode
    detalle->close();
    Procesar();
}

TEST_F(VentanasConsignacion, InDistributorModeTheReturnPrintsTheTicketAndSaysSendingIsOff)
{
    Recibir("CV-8", dir.filePath("r.pdf"));
    env.datos->SisDistribuidora = "S";
    TfrmDetalleConsignacion *detalle = nullptr;
    TfrmDevolucionConsig *dev = nullptr;
    ASSERT_NO_FATAL_FAILURE(AbrirDevolucion(detalle, dev));
    const QString ticket = dir.filePath("ticket.txt");
    dev->salidaTicket = ticket;
    dev->carpetaEnvio = dir.path();
    dev->carpetaReportes = COMPRAS_REPORTES_FUENTE;
    const QString liquidacion = dir.filePath("liquidacion.pdf");
    dev->MostrarReporte = APdf(liquidacion);
    dev->gridDevoluciones->item(0, TfrmDevolucionConsig::colCantidad)->setText("3");
    dev->btnMarcarTodo->click();
    dev->btnAceptar->click();
    Procesar();
    EXPECT_TRUE(env.mensajes.Mostro("Los artículos seleccionados se han devuelto satisfactoriamente"))
        << env.mensajes.textos().join('|').toStdString();
    EXPECT_TRUE(env.mensajes.textos().join('|').contains("desactivado"));
    EXPECT_EQ(Stock(), C("10"));  // the whole existence leaves
    QFile t(ticket);
    ASSERT_TRUE(t.open(QIODevice::ReadOnly));
    const QByteArray texto = t.readAll();
    EXPECT_TRUE(texto.contains("LIQUIDACION DE DOCUMENTOS"));
    EXPECT_TRUE(texto.contains("COMPROBANTE NUMERO: CV-8"));
    EXPECT_TRUE(texto.contains("                 5     3     0     2\r\n"));
    // And on screen.
    const QString pantalla = textoPdf(liquidacion);
    EXPECT_TRUE(pantalla.contains("LIQUIDACION DE DOCUMENTOS")) << pantalla.toStdString();
    EXPECT_TRUE(pantalla.contains("Comprobante# CV-8"));
    EXPECT_TRUE(pantalla.contains("ART-1"));
    EXPECT_FALSE(Ventana<TfrmDevolucionConsig>());
    EXPECT_FALSE(detalle->btnDevolucion->isEnabled());
    EXPECT_TRUE(detalle->btnReenviar->isVisible());
    detalle->close();
    Procesar();

    // Opened again: returned, so only the resend is offered.
    frm->btnVerDetalleClick();
    Procesar();
    detalle = Ventana<TfrmDetalleConsignacion>();
    ASSERT_TRUE(detalle);
    EXPECT_FALSE(detalle->btnDevolucion->isEnabled());
    EXPECT_TRUE(detalle->btnReenviar->isVisible());
    detalle->carpetaEnvio = dir.path();
    env.mensajes.Limpiar();
    detalle->btnReenviar->click();
    EXPECT_TRUE(env.mensajes.textos().join('|').contains("desactivado"));
    EXPECT_FALSE(env.mensajes.Mostro("Los Archivos han sido enviados"));

    BaseDistribuidora dis(AjustesBaseDistribuidora::DesdeDatosComp(*env.datos));
    dis.Conectar();
    EntornoPrueba::Ejecutar(dis.base(), QStringLiteral("update CONFIG set ENVIA_REPORTES = 'S', DIRECCION_REPORTES = '%1/', "
                                                       "SMTP_SERVER = '127.0.0.1', PORT = 9").arg(dir.path()));
    detalle->btnReenviar->click();
    EXPECT_TRUE(env.mensajes.textos().join('|').contains(
        "No se puede reenviar los archivos,\r\nComuníquese con el administrador del Sistema"));
    EXPECT_TRUE(detalle->btnReenviar->isEnabled());
    EXPECT_EQ(detalle->btnReenviar->text(), "&Reenviar Archivos");
    QFile devol(dir.filePath("DevolCV-8.txt"));
    ASSERT_TRUE(devol.open(QIODevice::ReadOnly));
    EXPECT_EQ(devol.readAll().count("\r\n"), 2);  // title and the one stored row
    detalle->close();
    Procesar();
}

TEST_F(VentanasConsignacion, TheWindowKeepsPaintingWhileTheMailServerNeverAnswers)
{
    // A server that takes the connection and never says a word.
    const int mudo = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(mudo, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(mudo, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(mudo, 8), 0);
    socklen_t largo = sizeof a;
    ::getsockname(mudo, reinterpret_cast<sockaddr *>(&a), &largo);
    BaseDistribuidora dis(AjustesBaseDistribuidora::DesdeDatosComp(*env.datos));
    dis.Conectar();
    EntornoPrueba::Ejecutar(dis.base(), QStringLiteral("update CONFIG set ENVIA_REPORTES = 'S', DIRECCION_REPORTES = '%1/', "
                                                       "SMTP_SERVER = '127.0.0.1', PORT = %2")
                                            .arg(dir.path())
                                            .arg(ntohs(a.sin_port)));

    Recibir("CV-7", dir.filePath("r.pdf"));
    env.datos->SisDistribuidora = "S";
    TfrmDetalleConsignacion *detalle = nullptr;
    TfrmDevolucionConsig *dev = nullptr;
    ASSERT_NO_FATAL_FAILURE(AbrirDevolucion(detalle, dev));
    dev->salidaTicket = dir.filePath("ticket.txt");
    dev->carpetaEnvio = dir.path();
    dev->segundosCorreo = 1;
    QStringList vistos;
    int latidos = 0;
    QTimer reloj;
    QObject::connect(&reloj, &QTimer::timeout, [&] {
        ++latidos;
        if (dev->lbl1->isVisible())
            vistos << dev->lbl1->text() << dev->lbintentos->text();
    });
    reloj.start(50);
    dev->btnMarcarTodo->click();
    dev->btnAceptar->click();
    reloj.stop();
    ::close(mudo);
    EXPECT_GT(latidos, 20);  // three attempts of a second each: the loop kept running
    EXPECT_TRUE(vistos.contains("Enviando Correo..."));
    EXPECT_TRUE(vistos.contains("Intento 3 de 3")) << vistos.join('|').toStdString();
    EXPECT_TRUE(env.mensajes.textos().join('|').contains("Hubo un problema a la Hora de enviar el correo"));
    EXPECT_TRUE(env.mensajes.Mostro("Los artículos seleccionados se han devuelto satisfactoriamente"));
    EXPECT_TRUE(QFile::exists(dir.filePath("DevolCV-7.txt")));
    EXPECT_TRUE(QFile::exists(dir.filePath(NombreLogEnvio())));
    Procesar();
    if (auto *d = Ventana<TfrmDetalleConsignacion>())
        d->close();
    Procesar();
}

TEST_F(VentanasConsignacion, TheListPrintsInEitherCurrency)
{
    Recibir("CV-2", dir.filePath("r.pdf"));
    Recibir("CV-3", dir.filePath("r.pdf"));
    struct Caso {
        const char *modo;
        bool moneda2;
    } casos[] = {{"Todas", false}, {"Filtro", true}};
    for (const Caso &c : casos) {
        SCOPED_TRACE(c.modo);
        const QString pdf = dir.filePath(QStringLiteral("lista-%1.pdf").arg(c.modo));
        frm->MostrarReporte = APdf(pdf);
        frm->Reportes(c.modo);
        Procesar();
        auto *moneda = Ventana<Tfrm_ElegirTipoMoneda>();
        ASSERT_TRUE(moneda);
        if (c.moneda2)
            moneda->rBtn_Moneda2->setChecked(true);
        moneda->btn_Aceptar->click();
        Procesar();
        const QString texto = textoPdf(pdf);
        EXPECT_TRUE(texto.contains("CV-2") && texto.contains("CV-3")) << texto.toStdString();
        EXPECT_TRUE(texto.contains("11,300.00")) << texto.toStdString();
        const QString titulo = QStringLiteral("Consignaciones en ") + env.datos->Config("DENOMINACION_MONEDA2").trimmed().toLower();
        EXPECT_EQ(texto.contains(titulo), c.moneda2) << texto.toStdString();
        const QString signo = c.moneda2 ? env.datos->Config("SIGNO_MONEDA2").trimmed()
                                        : EntornoPrueba::Texto(env.tienda, "select SIMBOLO_MONEDA from MONEDA").trimmed();
        EXPECT_TRUE(texto.contains(QStringLiteral("Montos en ") + signo)) << texto.toStdString();
    }
    // A filter that lists nothing prints nothing.
    Reemplazar(frm->edComprobante, "NO-HAY");
    Procesar();
    frm->Reportes("Filtro");
    EXPECT_TRUE(env.mensajes.Mostro("No existen datos a imprimir"));
    EXPECT_FALSE(Ventana<Tfrm_ElegirTipoMoneda>());
}

TEST_F(VentanasConsignacion, TheChooserLoadsWhatWasSoldIntoPurchaseEntry)
{
    Recibir("CV-4", dir.filePath("r.pdf"));
    EntornoPrueba::Ejecutar(env.tienda, "update DETALLE_CONSIGNACION set EXISTENCIA = 2");
    CerrarVentanas(frm);
    frm = nullptr;
    auto *entrada = AbrirAgregaCompra(*env.datos, nullptr);
    Procesar();
    const int indice = entrada->edComprobante->findText(EntradaCompra::TipoConsignacion);
    entrada->edComprobante->setCurrentIndex(indice);
    emit entrada->edComprobante->activated(indice);  // as the user's choice
    Procesar();
    auto *elegir = Ventana<TfrmFacturarConsig>();
    ASSERT_TRUE(elegir);
    EXPECT_EQ(entrada->edComprobante->currentText(), EntradaCompra::TipoFactura);
    Escribir(elegir->edtBuscaConsig, "cv-4");
    Procesar();
    EXPECT_EQ(elegir->edtBuscaConsig->text(), "CV-4");
    ASSERT_EQ(elegir->gPrefacturas->model()->rowCount(), 1);
    elegir->btnAceptar->click();
    Procesar();
    EXPECT_FALSE(Ventana<TfrmFacturarConsig>());
    EXPECT_TRUE(entrada->Entrada().ConsignacionAFacturar);
    EXPECT_EQ(entrada->edNombreProveedor->text(), "COMERCIALIZADORA EL ROBLE S.A.");
    ASSERT_EQ(entrada->Entrada().Lineas().size(), 1u);
    EXPECT_EQ(entrada->Entrada().Lineas()[0].cantidad, C("3"));
    entrada->Entrada().LimpiarFactura();
    entrada->close();
    Procesar();
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()
