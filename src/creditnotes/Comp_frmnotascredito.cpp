#include "creditnotes/Comp_frmnotascredito.h"

#include "data/Comp_fdatos.h"
#include "creditnotes/Comp_frmsaldonotacredito.h"
#include "platform/ErrorCompras.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TfrmNotasCredito::TfrmNotasCredito(TFDatosComp &datos, Currency totalFactura, int codProveedor, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), datos_(datos), seleccion_(totalFactura)
{
    setWindowTitle(QStringLiteral("Notas de Crédito"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(460, 340);

    auto *titulo = new QLabel(QStringLiteral("Aplicar Notas de Crédito"), this);
    QFont f = titulo->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 2);
    titulo->setFont(f);

    gNotas = new QTableWidget(0, 4, this);
    gNotas->setObjectName(QStringLiteral("gNotas"));
    gNotas->setHorizontalHeaderLabels({QStringLiteral("Nº Nota Credito"), QStringLiteral("Fecha"),
                                       QStringLiteral("Importe"), QStringLiteral("Aplicar")});
    gNotas->verticalHeader()->hide();
    gNotas->setSelectionBehavior(QAbstractItemView::SelectRows);
    gNotas->setColumnWidth(0, 130);
    gNotas->setColumnWidth(1, 100);
    gNotas->setColumnWidth(2, 110);
    gNotas->horizontalHeader()->setStretchLastSection(true);

    lblTotalFactura = new QLabel(this);
    lblTotalFactura->setObjectName(QStringLiteral("lblTotalFactura"));
    lblTotalNotas = new QLabel(QStringLiteral("0"), this);
    lblTotalNotas->setObjectName(QStringLiteral("lblTotalNotas"));
    for (QLabel *l : {lblTotalFactura, lblTotalNotas})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    btnAceptar = new QPushButton(QStringLiteral(" &Aceptar "), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

    auto *totales = new QGridLayout;
    totales->addWidget(new QLabel(QStringLiteral("Total de la Factura:"), this), 0, 0);
    totales->addWidget(lblTotalFactura, 0, 1);
    totales->addWidget(new QLabel(QStringLiteral("Total de las Notas:"), this), 1, 0);
    totales->addWidget(lblTotalNotas, 1, 1);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titulo);
    layout->addWidget(gNotas, 1);
    layout->addLayout(totales);
    layout->addLayout(botones);

    connect(btnAceptar, &QPushButton::clicked, this, &TfrmNotasCredito::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmNotasCredito::btnCancelarClick);
    connect(gNotas, &QTableWidget::itemChanged, this, &TfrmNotasCredito::Marcado);

    lblTotalFactura->setText(FormatoMoneda(totalFactura));
    Cargar(codProveedor);
}

void TfrmNotasCredito::Cargar(int codProveedor)
{
    try {
        seleccion_.Cargar(datos_, codProveedor);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return;
    }
    cambiando_ = true;
    for (const NotaCreditoAbierta &n : seleccion_.Notas()) {
        const int r = gNotas->rowCount();
        gNotas->insertRow(r);
        auto celda = [&](int c, const QString &texto, Qt::Alignment a) {
            auto *it = new QTableWidgetItem(texto);
            it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            it->setTextAlignment(a);
            gNotas->setItem(r, c, it);
        };
        celda(0, n.comprobante, Qt::AlignLeft | Qt::AlignVCenter);
        celda(1, n.fecha.toString(QStringLiteral("dd/MM/yyyy")), Qt::AlignCenter);
        celda(2, FormatoMoneda(n.importe), Qt::AlignRight | Qt::AlignVCenter);
        auto *marca = new QTableWidgetItem;
        marca->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        marca->setCheckState(Qt::Unchecked);
        gNotas->setItem(r, 3, marca);
    }
    cambiando_ = false;
}

void TfrmNotasCredito::Marcado(QTableWidgetItem *item)
{
    if (cambiando_ || !item || item->column() != 3)
        return;
    if (!seleccion_.Marcar(item->row(), item->checkState() == Qt::Checked)) {
        cambiando_ = true;
        item->setCheckState(Qt::Unchecked);
        cambiando_ = false;
        return;
    }
    lblTotalNotas->setText(FormatoMoneda(seleccion_.Total()));
}

void TfrmNotasCredito::Aplicar(const QString &notaSaldo)
{
    emit aplicada(Eleccion(notaSaldo));
    close();
}

void TfrmNotasCredito::btnAceptarClick()
{
    if (seleccion_.Excede()) {
        saldo_ = new TfrmSaldoNotaCredito(this);
        setEnabled(false);
        saldo_->setEnabled(true);
        connect(saldo_, &TfrmSaldoNotaCredito::aceptado, this, [this](const QString &numero) { Aplicar(numero); });
        connect(saldo_, &TfrmSaldoNotaCredito::cerrada, this, [this] { setEnabled(true); });
        saldo_->show();
        return;
    }
    Aplicar(QString());
}

void TfrmNotasCredito::btnCancelarClick()
{
    close();
}

void TfrmNotasCredito::closeEvent(QCloseEvent *e)
{
    if (saldo_)
        saldo_->close();
    QWidget::closeEvent(e);
    emit cerrada();
}

void TfrmNotasCredito::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}
