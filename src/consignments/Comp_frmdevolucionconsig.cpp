#include "consignments/Comp_frmdevolucionconsig.h"

#include "consignments/TicketLiquidacion.h"
#include "data/Comp_fdatos.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "platform/VariablesHost.h"
#include "platform/report/Reporte.h"
#include "records/ErrorRegistro.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <atomic>
#include <thread>

namespace {

QString Numero(Currency c) { return QString::number(c.toDouble(), 'g', 15); }
QString Monto(Currency c) { return FormatCurrency(QStringLiteral("#,##0.00"), c); }

} // namespace

TfrmDevolucionConsig::TfrmDevolucionConsig(TFDatosComp &datos, int idConsignacion,
                                           std::unique_ptr<DevolucionConsignacion> devolucion, QWidget *parent)
    : QWidget(parent, Qt::Window), id_(idConsignacion),
      devolucion_(devolucion ? std::move(devolucion) : DevolucionConsignacion::DesdeDatosComp(datos))
{
    carpetaEnvio = QCoreApplication::applicationDirPath();
    salidaTicket = CampoRegistro(datos.DatosCaja, QStringLiteral("TICKET")).trimmed();
    auto campo = [&datos](const char *c) { return CampoRegistro(datos.DatosEmpresa, QString::fromLatin1(c)); };
    empresa = {campo("NOMBRE_EMPRESA"), campo("DIRECCION"), campo("CIUDAD"),
               CampoRegistro(datos.DatosMoneda, QStringLiteral("SIGLAS_CED_JURIDICA")), campo("CEDULA"), campo("TELEFONO"),
               campo("FAX")};
    const QString reportes = QCoreApplication::applicationDirPath() + QStringLiteral("/Reportes");
    carpetaReportes = QDir(reportes).exists() ? reportes : VerVariable(QStringLiteral("PathReportes"));
    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };
    lineasPie = datos.Config(QStringLiteral("T_LINEAS_PIE")).trimmed().toInt();
    cortaPapel = datos.Config(QStringLiteral("T_CORTA_PAPEL")) == QLatin1String("S");
    setObjectName(QStringLiteral("frmDevolucionConsig"));
    setWindowTitle(QStringLiteral("Devolucion de Consignaciones"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 420);

    gridDevoluciones = new QTableWidget(0, colCantidadColumnas, this);
    gridDevoluciones->setObjectName(QStringLiteral("gridDevoluciones"));
    gridDevoluciones->setHorizontalHeaderLabels({QStringLiteral("Código"), QStringLiteral("Artículo"),
                                                 QStringLiteral("Precio Unitario"), QStringLiteral("Cantidad"),
                                                 QStringLiteral("Importe Total"), QStringLiteral("Devolver")});
    gridDevoluciones->verticalHeader()->setVisible(false);
    gridDevoluciones->horizontalHeader()->setStretchLastSection(true);
    gridDevoluciones->setEditTriggers(QAbstractItemView::AllEditTriggers);

    auto boton = [this](const QString &texto, const char *nombre) {
        auto *b = new QPushButton(texto, this);
        b->setObjectName(QString::fromLatin1(nombre));
        return b;
    };
    btnAceptar = boton(QStringLiteral("&Aceptar"), "btnAceptar");
    btnCancelar = boton(QStringLiteral("&Cerrar"), "btnCancelar");
    btnMarcarTodo = boton(QStringLiteral("&Marcar todo"), "btnMarcarTodo");
    btnDesmarcarTodo = boton(QStringLiteral("&Desmarcar todo"), "btnDesmarcarTodo");
    lbl1 = new QLabel(QStringLiteral("Enviando Correo."), this);
    lbl1->setObjectName(QStringLiteral("lbl1"));
    lbintentos = new QLabel(QStringLiteral("Intento 1 de 3"), this);
    lbintentos->setObjectName(QStringLiteral("lbintentos"));
    lbl1->hide();
    lbintentos->hide();

    auto *b = new QHBoxLayout;
    b->addWidget(btnMarcarTodo);
    b->addWidget(btnDesmarcarTodo);
    b->addWidget(lbl1);
    b->addWidget(lbintentos);
    b->addStretch(1);
    b->addWidget(btnAceptar);
    b->addWidget(btnCancelar);
    auto *v = new QVBoxLayout(this);
    v->addWidget(gridDevoluciones, 1);
    v->addLayout(b);

    connect(btnAceptar, &QPushButton::clicked, this, &TfrmDevolucionConsig::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &QWidget::close);
    connect(btnMarcarTodo, &QPushButton::clicked, this, [this] { Marcar(true); });
    connect(btnDesmarcarTodo, &QPushButton::clicked, this, [this] { Marcar(false); });
    CargarGrid();
}

TfrmDevolucionConsig::~TfrmDevolucionConsig() = default;

void TfrmDevolucionConsig::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
}

void TfrmDevolucionConsig::CargarGrid()
{
    try {
        lineas_ = devolucion_->Lineas(id_);
    } catch (const std::exception &e) {
        lineas_.clear();
        mensajes().Error(TextoDeError(e));
    }
    gridDevoluciones->setRowCount(static_cast<int>(lineas_.size()));
    auto fija = [](const QString &texto, Qt::Alignment a = Qt::AlignLeft | Qt::AlignVCenter) {
        auto *i = new QTableWidgetItem(texto);
        i->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        i->setTextAlignment(a);
        return i;
    };
    const Qt::Alignment derecha = Qt::AlignRight | Qt::AlignVCenter;
    for (int f = 0; f < static_cast<int>(lineas_.size()); ++f) {
        const LineaDevolucionConsig &l = lineas_[static_cast<size_t>(f)];
        gridDevoluciones->setItem(f, colCodigo, fija(l.codigo));
        gridDevoluciones->setItem(f, colArticulo, fija(l.descripcion));
        gridDevoluciones->setItem(f, colPrecio, fija(Monto(l.unitario), derecha));
        auto *cantidad = new QTableWidgetItem(Numero(l.cantidad));
        cantidad->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        cantidad->setTextAlignment(derecha);
        gridDevoluciones->setItem(f, colCantidad, cantidad);
        gridDevoluciones->setItem(f, colImporte, fija(Monto(l.importeTotal), derecha));
        auto *marca = new QTableWidgetItem;
        marca->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        marca->setCheckState(Qt::Unchecked);
        gridDevoluciones->setItem(f, colDevolver, marca);
    }
}

void TfrmDevolucionConsig::Marcar(bool marcar)
{
    for (int f = 0; f < gridDevoluciones->rowCount(); ++f)
        gridDevoluciones->item(f, colDevolver)->setCheckState(marcar ? Qt::Checked : Qt::Unchecked);
}

bool TfrmDevolucionConsig::LeerGrid(std::vector<LineaDevolucionConsig> &lineas) const
{
    lineas = lineas_;
    bool bien = true;
    for (int f = 0; f < static_cast<int>(lineas.size()); ++f) {
        LineaDevolucionConsig &l = lineas[static_cast<size_t>(f)];
        l.marcada = gridDevoluciones->item(f, colDevolver)->checkState() == Qt::Checked;
        bool ok = false;
        const double n = gridDevoluciones->item(f, colCantidad)->text().trimmed().toDouble(&ok);
        if (ok)
            l.cantidad = Currency::fromDouble(n);
        else if (l.marcada)
            bien = false;
    }
    return bien;
}

void TfrmDevolucionConsig::btnAceptarClick()
{
    std::vector<LineaDevolucionConsig> lineas;
    if (!LeerGrid(lineas)) {
        mensajes().Advertencia(DevolucionConsignacion::kCantidadIncorrecta);
        return;
    }
    btnAceptar->setEnabled(false);
    btnCancelar->setEnabled(false);
    DevolucionConsignacion::Resultado r = DevolucionConsignacion::Resultado::Fallida;
    try {
        r = devolucion_->Devolver(id_, lineas);
    } catch (const std::exception &e) {
        mensajes().Error(TextoDeError(e));
    }
    btnAceptar->setEnabled(true);
    btnCancelar->setEnabled(true);
    if (r != DevolucionConsignacion::Resultado::Hecha)
        return;
    if (devolucion_->Distribuidora()) {
        ImprimirTicket();
        btnAceptar->setEnabled(false);
        btnCancelar->setEnabled(false);
        const EnvioDevolucion envio = EnviarEnSegundoPlano();
        btnAceptar->setEnabled(true);
        btnCancelar->setEnabled(true);
        if (!envio.error.isEmpty() || envio.apagado || !envio.envio.enviado)
            mensajes().Advertencia(DevolucionConsignacion::TextoEnvio(envio));
    }
    mensajes().Informacion(DevolucionConsignacion::kDevueltos);
    if (Devuelto)
        Devuelto();
    close();
}

void TfrmDevolucionConsig::ImprimirTicket()
{
    const auto &filas = devolucion_->Liquidacion();
    if (filas.empty())
        return;
    try {
        EscribirSalidaTicket(salidaTicket, TextoTicketLiquidacion(empresa, filas.front().nroFactura, QDate::currentDate(),
                                                                  filas, lineasPie, cortaPapel));
    } catch (const std::exception &e) {
        // The return is already saved: only the ticket is missing.
        mensajes().Advertencia(QStringLiteral("No se pudo imprimir el ticket de liquidación.\r\n") + TextoDeError(e));
    }
    try {
        ReporteLiquidacion r(carpetaReportes, empresa, filas.front().nroFactura, filas);
        if (MostrarReporte)
            MostrarReporte(r.reporte());
    } catch (const std::exception &e) {
        mensajes().Advertencia(QStringLiteral("No se pudo mostrar la liquidación en pantalla.\r\n") + TextoDeError(e));
    }
}

EnvioDevolucion TfrmDevolucionConsig::EnviarEnSegundoPlano()
{
    lbl1->setText(QStringLiteral("Enviando Correo."));
    lbintentos->setText(QStringLiteral("Intento 1 de 3"));
    lbl1->show();
    lbintentos->show();
    enviando_ = true;
    QEventLoop espera;
    QTimer animacion;
    int cuadro = 0;
    connect(&animacion, &QTimer::timeout, this, [this, &cuadro] {
        cuadro = (cuadro + 1) % 3;
        lbl1->setText(QStringLiteral("Enviando Correo") + QString(cuadro + 1, QLatin1Char('.')));
    });
    animacion.start(300);
    EnvioDevolucion resultado;
    std::atomic<bool> listo{false};
    QPointer<QLabel> intentos(lbintentos);
    const DevolucionConsignacion *d = devolucion_.get();
    const QString carpeta = carpetaEnvio;
    const int segundos = segundosCorreo;
    std::thread hilo([&, d, carpeta, segundos] {
        resultado = d->EnviarLiquidacion(
            carpeta,
            [&espera, intentos](int intento) {
                // The label belongs to the interface thread.
                QMetaObject::invokeMethod(&espera, [intentos, intento] {
                    if (intentos && intento < 3)
                        intentos->setText(QStringLiteral("Intento %1 de 3").arg(intento + 1));
                });
            },
            segundos);
        listo = true;
        QMetaObject::invokeMethod(&espera, [&espera] { espera.quit(); });
    });
    if (!listo)
        espera.exec();
    hilo.join();
    enviando_ = false;
    animacion.stop();
    lbl1->hide();
    lbintentos->hide();
    return resultado;
}

void TfrmDevolucionConsig::closeEvent(QCloseEvent *e)
{
    // Not while the worker uses this window's return.
    if (enviando_) {
        e->ignore();
        return;
    }
    llamador_.Habilitar();
    QWidget::closeEvent(e);
}
