#include "purchases/Comp_frmprocesar.h"

#include "platform/Redondeo.h"
#include "data/Comp_fdatos.h"
#include "creditnotes/Comp_frmnotascredito.h"
#include "purchases/Comp_frmregistrarcheque.h"
#include "platform/db/DbError.h"
#include "platform/report/ErrorReporte.h"
#include "platform/Formato.h"
#include "platform/report/FuenteDatosReporte.h"
#include "purchases/ListadoCompras.h"
#include "platform/Mensajes.h"
#include "ui/CamposEdicion.h"
#include "ui/Permisos.h"
#include "platform/VariablesHost.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

// --- EdicionMoneda

EdicionMoneda::EdicionMoneda(QWidget *parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setValor(Currency());
}

Currency EdicionMoneda::valor() const
{
    QString t = text();
    if (!simbolo_.isEmpty() && t.startsWith(simbolo_))
        t = t.mid(simbolo_.size());
    Currency c;
    if (!ParseDecimal(t.trimmed(), c))
        return Currency();
    return c;
}

void EdicionMoneda::setValor(Currency v)
{
    setText((simbolo_.isEmpty() ? QString() : simbolo_ + QLatin1Char(' ')) + FormatoMoneda(v));
}

void EdicionMoneda::setSimbolo(const QString &simbolo)
{
    const Currency v = valor();
    simbolo_ = simbolo.trimmed();
    setValor(v);
}

void EdicionMoneda::focusOutEvent(QFocusEvent *e)
{
    // A text that does not read as an amount (too long, say) stays for Aceptar to refuse.
    QString t = text();
    if (!simbolo_.isEmpty() && t.startsWith(simbolo_))
        t = t.mid(simbolo_.size());
    Currency c;
    if (t.trimmed().isEmpty() || ParseDecimal(t.trimmed(), c))
        setValor(c);
    QLineEdit::focusOutEvent(e);
}

// --- TfrmProcesar

TfrmProcesar::TfrmProcesar(TFDatosComp &datos, const DocumentoCompra &documento, QWidget *parent)
    : QWidget(parent, Qt::Dialog), datos_(datos), documento_(documento), proceso_(ProcesoCompra::DesdeDatosComp(datos))
{
    totales_ = proceso_->TotalesDeEstacion(documento_.proveedorExento);
    Construir();
}

TfrmProcesar::TfrmProcesar(TFDatosComp &datos, const DocumentoCompra &documento, const TotalesCompra &totales,
                           QWidget *parent)
    : QWidget(parent, Qt::Dialog), datos_(datos), documento_(documento), totales_(totales),
      proceso_(ProcesoCompra::DesdeDatosComp(datos_))
{
    Construir();
}

TfrmProcesar::~TfrmProcesar() = default;

void TfrmProcesar::Construir()
{
    setWindowTitle(QStringLiteral("Procesar Comprobante"));
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumWidth(460);
    total_ = RedondearCentimos(totales_.total);
    NotasSeleccionadas = QStringList{QString()};

    const QString simbolo = documento_.monedaCarga == 2 ? datos_.Config(QStringLiteral("SIGNO_MONEDA2"))
                          : datos_.DatosMoneda && datos_.DatosMoneda->active()
                              ? datos_.DatosMoneda->fieldByName(QStringLiteral("SIMBOLO_MONEDA")).asString()
                              : QString();

    lblTotal = new QLabel(FormatoMoneda(total_), this);
    lblTotal->setObjectName(QStringLiteral("lblTotal"));
    QFont f = lblTotal->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 6);
    lblTotal->setFont(f);
    lblTotal->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    panelPago = new QWidget(this);
    auto nueva = [&](const char *nombre) {
        auto *e = new EdicionMoneda(panelPago);
        e->setObjectName(QLatin1String(nombre));
        e->setSimbolo(simbolo);
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, [this] { SumaEdits(); });
        return e;
    };
    edImpEfectivo = nueva("edImpEfectivo");
    rbCaja = new QRadioButton(QStringLiteral("Caja Diaria"), panelPago);
    rbCaja->setObjectName(QStringLiteral("rbCaja"));
    rbCaja->setChecked(true);
    rbOtros = new QRadioButton(QStringLiteral("Otros Fondos"), panelPago);
    rbOtros->setObjectName(QStringLiteral("rbOtros"));
    // Hidden without cash, still holding their row so the fields below stay in place.
    for (QRadioButton *rb : {rbCaja, rbOtros}) {
        QSizePolicy sp = rb->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        rb->setSizePolicy(sp);
    }
    edImpCheque = nueva("edImpCheque");
    edNumCheque = new QLineEdit(panelPago);
    edNumCheque->setObjectName(QStringLiteral("edNumCheque"));
    edNumCheque->setMaxLength(20);
    edNumCheque->installEventFilter(this);
    connect(edNumCheque, &QLineEdit::textEdited, this, [this](const QString &t) {
        const int pos = edNumCheque->cursorPosition();
        edNumCheque->setText(t.toUpper());
        edNumCheque->setCursorPosition(pos);
    });
    edImpCredito = nueva("edImpCredito");
    edDias = new QSpinBox(panelPago);
    edDias->setObjectName(QStringLiteral("edDias"));
    edDias->setRange(0, 9999);
    edDias->installEventFilter(this);
    edImpNC = nueva("edImpNC");
    edImpNC->setReadOnly(true);  // only what the chosen notes give
    btnBuscarNota = new QPushButton(QStringLiteral("Buscar Nota de Crédito"), panelPago);
    btnBuscarNota->setObjectName(QStringLiteral("btnBuscarNota"));
    btnAceptar = new QPushButton(QStringLiteral(" &Aceptar "), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral(" &Volver "), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    for (QWidget *w : {static_cast<QWidget *>(rbCaja), static_cast<QWidget *>(rbOtros),
                       static_cast<QWidget *>(btnBuscarNota), static_cast<QWidget *>(btnAceptar),
                       static_cast<QWidget *>(btnCancelar)})
        w->installEventFilter(this);

    auto *g = new QGridLayout(panelPago);
    g->addWidget(new QLabel(QStringLiteral("Efectivo:"), panelPago), 0, 0);
    g->addWidget(edImpEfectivo, 0, 1);
    auto *origen = new QHBoxLayout;
    origen->addWidget(rbCaja);
    origen->addWidget(rbOtros);
    g->addLayout(origen, 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Cheque:"), panelPago), 2, 0);
    g->addWidget(edImpCheque, 2, 1);
    g->addWidget(new QLabel(QStringLiteral("Nº:"), panelPago), 2, 2);
    g->addWidget(edNumCheque, 2, 3);
    g->addWidget(new QLabel(QStringLiteral("Crédito:"), panelPago), 3, 0);
    g->addWidget(edImpCredito, 3, 1);
    g->addWidget(new QLabel(QStringLiteral("Días:"), panelPago), 3, 2);
    g->addWidget(edDias, 3, 3);
    g->addWidget(new QLabel(QStringLiteral("Notas de Crédito:"), panelPago), 4, 0);
    g->addWidget(edImpNC, 4, 1);
    g->addWidget(btnBuscarNota, 4, 2, 1, 2);

    auto *cabecera = new QHBoxLayout;
    cabecera->addWidget(new QLabel(QStringLiteral("Total:"), this));
    cabecera->addWidget(lblTotal, 1);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    // The window takes the size its contents need: nothing is cut with larger fonts.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(cabecera);
    layout->addWidget(panelPago, 1);
    layout->addLayout(botones);

    setTabOrder(edImpEfectivo, rbCaja);
    setTabOrder(rbCaja, rbOtros);
    setTabOrder(rbOtros, edImpCheque);
    setTabOrder(edImpCheque, edNumCheque);
    setTabOrder(edNumCheque, edImpCredito);
    setTabOrder(edImpCredito, edDias);
    setTabOrder(edDias, edImpNC);
    setTabOrder(edImpNC, btnBuscarNota);
    setTabOrder(btnBuscarNota, btnAceptar);
    setTabOrder(btnAceptar, btnCancelar);

    connect(btnAceptar, &QPushButton::clicked, this, &TfrmProcesar::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmProcesar::btnCancelarClick);
    connect(btnBuscarNota, &QPushButton::clicked, this, &TfrmProcesar::btnBuscarNotaClick);

    RegistrarCheque = [this](MovimientoBanco &m) { return TfrmRegistrarCheque::Registrar(datos_, m, this); };
    MostrarReporte = [this](Reporte &r) { r.ShowReport(this); };
    proceso_->RegistrarCheque = [this](MovimientoBanco &m) { return !RegistrarCheque || RegistrarCheque(m); };

    // The whole total proposed as cash.
    edImpEfectivo->setValor(total_);
    SumaEdits();
}

void TfrmProcesar::AbrirDesde(QWidget *entrada)
{
    entrada_ = entrada;
    if (entrada_)
        entrada_->setEnabled(false);
    show();
    raise();
    activateWindow();
}

void TfrmProcesar::showEvent(QShowEvent *e)
{
    QWidget::showEvent(e);
    edImpEfectivo->setFocus();
    edImpEfectivo->selectAll();
}

Currency TfrmProcesar::SumaEdits()
{
    const Currency suma = edImpEfectivo->valor() + edImpCheque->valor() + edImpCredito->valor() + edImpNC->valor();
    const bool efectivo = edImpEfectivo->valor() > Currency();
    rbCaja->setVisible(efectivo);
    rbOtros->setVisible(efectivo);
    if (RedondearCentimos(suma) == total_ && isVisible())
        btnAceptar->setFocus();
    return suma;
}

PagoCompra TfrmProcesar::Pago() const
{
    PagoCompra p;
    p.efectivo = edImpEfectivo->valor();
    p.efectivoDeCaja = rbCaja->isChecked();
    p.cheque = edImpCheque->valor();
    p.numeroCheque = edNumCheque->text().trimmed();
    p.credito = edImpCredito->valor();
    p.diasCredito = edDias->value();
    p.notasCredito = NotasElegidas ? edImpNC->valor() : Currency();
    if (NotasElegidas)
        p.notasElegidas = NotasSeleccionadas;
    p.notaSaldo = NotaSaldo;
    return p;
}

void TfrmProcesar::Mover(EdicionMoneda *desde, EdicionMoneda *hacia)
{
    hacia->setValor(hacia->valor() + desde->valor());
    desde->setValor(Currency());
    hacia->setFocus();
    hacia->selectAll();
    SumaEdits();
}

bool TfrmProcesar::eventFilter(QObject *objeto, QEvent *e)
{
    if (e->type() != QEvent::KeyPress)
        return QWidget::eventFilter(objeto, e);
    const int k = static_cast<QKeyEvent *>(e)->key();
    const bool monto = objeto == edImpEfectivo || objeto == edImpCheque || objeto == edImpCredito || objeto == edImpNC ||
                       objeto == edDias;
    if (k == Qt::Key_Escape && monto) {
        btnCancelarClick();
        return true;
    }
    if (objeto == edImpEfectivo) {
        if (k == Qt::Key_Down) {
            Mover(edImpEfectivo, edImpCredito);
            return true;
        }
        if ((k == Qt::Key_Return || k == Qt::Key_Enter)) {
            const Currency suma = SumaEdits();
            if (RedondearCentimos(suma) < total_) {
                edImpCredito->setValor(edImpCredito->valor() + (total_ - suma));
                edImpCredito->setFocus();
                edImpCredito->selectAll();
                SumaEdits();
                return true;
            }
        }
    } else if (objeto == edImpCredito) {
        if (k == Qt::Key_Down) {
            edDias->setValue(0);
            Mover(edImpCredito, edImpCheque);
            return true;
        }
        if (k == Qt::Key_Up) {
            Mover(edImpCredito, edImpEfectivo);
            return true;
        }
    } else if (objeto == edImpCheque) {
        if (k == Qt::Key_Up) {
            edNumCheque->clear();
            Mover(edImpCheque, edImpCredito);
            return true;
        }
        if (k == Qt::Key_Right && edImpCheque->valor() > Currency()) {
            edNumCheque->setFocus();
            return true;
        }
    } else if (objeto == edDias && k == Qt::Key_Left) {
        edImpCredito->setFocus();
        edImpCredito->selectAll();
        return true;
    }
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        if (auto *b = qobject_cast<QPushButton *>(objeto)) {
            b->click();
        } else {
            SumaEdits();
            if (!btnAceptar->hasFocus())
                focusNextChild();
        }
        return true;
    }
    return QWidget::eventFilter(objeto, e);
}

void TfrmProcesar::AplicarNotas(const EleccionNotas &eleccion)
{
    NotasSeleccionadas = eleccion.seleccionadas;
    ImporteNotas = eleccion.importe;
    if (!eleccion.notaSaldo.isEmpty())
        NotaSaldo = eleccion.notaSaldo;
    if (ImporteNotas <= Currency()) {
        // No note chosen: nothing may be paid with notes.
        NotasElegidas = false;
        NotasSeleccionadas = QStringList{QString()};
        NotaSaldo.clear();
        edImpNC->setValor(Currency());
        SumaEdits();
        return;
    }
    NotasElegidas = true;
    edImpEfectivo->setValor(Currency());
    edImpCheque->setValor(Currency());
    edImpCredito->setValor(Currency());
    edDias->setValue(0);
    edNumCheque->clear();
    const PagoConNotas reparto = RepartirNotas(total_, ImporteNotas);
    edImpNC->setValor(reparto.notas);
    edImpEfectivo->setValor(reparto.efectivo);
    SumaEdits();
}

void TfrmProcesar::btnBuscarNotaClick()
{
    // The current choice stands until the picker applies another one.
    auto *picker = new TfrmNotasCredito(datos_, total_, documento_.codProveedor, this);
    connect(picker, &TfrmNotasCredito::aplicada, this, &TfrmProcesar::AplicarNotas);
    picker->show();
}

void TfrmProcesar::btnAceptarClick()
{
    const std::pair<EdicionMoneda *, const char *> montos[] = {
        {edImpEfectivo, "Efectivo"}, {edImpCheque, "Cheque"}, {edImpCredito, "Crédito"}, {edImpNC, "Notas de Crédito"}};
    for (const auto &[ed, campo] : montos) {
        const QString aviso = MensajeLimite(QString::fromUtf8(campo), ed->text(), kImporteMaximo);
        if (!aviso.isEmpty()) {
            mensajes().Globo(ed, aviso, QStringLiteral("Atención"), 5000);
            ed->setFocus();
            return;
        }
    }
    const PagoCompra pago = Pago();
    const ValidacionPago v = ProcesoCompra::Validar(total_, pago);
    switch (v.fallo) {
    case ValidacionPago::Fallo::DiasCredito:
        mensajes().Globo(edDias, v.mensaje, QStringLiteral("Atención"), 5000);
        edDias->setFocus();
        return;
    case ValidacionPago::Fallo::Falta:
    case ValidacionPago::Fallo::Excede:
        mensajes().Globo(btnAceptar, v.mensaje, QStringLiteral("Atención"), 5000);
        return;
    case ValidacionPago::Fallo::Ninguno:
        break;
    }
    TotalesCompra t = totales_;
    t.total = total_;
    btnAceptar->setEnabled(false);
    btnCancelar->setEnabled(false);
    panelPago->setEnabled(false);
    const int id = proceso_->Procesar(documento_, t, pago);
    if (id <= 0) {
        btnAceptar->setEnabled(true);
        btnCancelar->setEnabled(true);
        panelPago->setEnabled(true);
        return;
    }
    procesada_ = true;
    if (mensajes().Pregunta(QStringLiteral("Desea Imprimir el comprobante cargado?"))) {
        try {
            Reporte &r = PrepararComprobante(id);
            if (MostrarReporte)
                MostrarReporte(r);
        } catch (const ErrorReporte &e) {
            mensajes().Error(e.mensaje());
        } catch (const db::DbError &e) {
            mensajes().Error(e.message());
        }
    }
    mensajes().Informacion(QStringLiteral("La Factura de Compra se ha cargado correctamente"));
    emit procesada(id);
    if (entrada_) {
        entrada_->setEnabled(true);
        entrada_->close();
    }
    close();
}

Reporte &TfrmProcesar::PrepararComprobante(int idCompra)
{
    if (!comprobante_)
        comprobante_ = std::make_unique<ComprobanteCompra>(datos_);
    return comprobante_->Preparar(idCompra, documento_.proveedorExento);
}

void TfrmProcesar::btnCancelarClick()
{
    close();
}

void TfrmProcesar::closeEvent(QCloseEvent *e)
{
    if (entrada_ && !procesada_)
        entrada_->setEnabled(true);
    QWidget::closeEvent(e);
    emit cerrada();
}
