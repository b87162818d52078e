#include "creditnotes/Comp_frmnotascredito.h"

#include "data/Comp_fdatos.h"
#include "creditnotes/Comp_frmsaldonotacredito.h"
#include "platform/db/DbError.h"
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

TfrmNotasCredito::TfrmNotasCredito(Currency totalFactura, int codProveedor, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), totalFactura_(totalFactura)
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

    lblTotalFactura->setText(FormatoMoneda(totalFactura_));
    Cargar(codProveedor);
}

Currency TfrmNotasCredito::Leer(const QString &texto)
{
    QString t = texto;
    t.remove(QLatin1Char(','));
    Currency c;
    if (!ParseDecimal(t.trimmed(), c))
        return Currency();
    return c;
}

void TfrmNotasCredito::Cargar(int codProveedor)
{
    if (!FDatosComp)
        return;
    db::Dataset &tnc = *FDatosComp->TNC;
    try {
        tnc.close();
        tnc.setSelectSql(QStringLiteral("select * from NOTAS_CREDITO_PROV\n where COD_PROVEEDOR = :Pro\n and ASIGNADA = "
                                        "'N'\n and ANULADA = 'N'\n order by FECHA"));
        tnc.paramByName(QStringLiteral("Pro")).setAsInteger(codProveedor);
        tnc.open();
        cambiando_ = true;
        for (tnc.first(); !tnc.eof(); tnc.next()) {
            const int r = gNotas->rowCount();
            gNotas->insertRow(r);
            auto celda = [&](int c, const QString &texto, Qt::Alignment a) {
                auto *it = new QTableWidgetItem(texto);
                it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                it->setTextAlignment(a);
                gNotas->setItem(r, c, it);
            };
            celda(0, tnc.fieldByName(QStringLiteral("COMPROBANTE")).asString(), Qt::AlignLeft | Qt::AlignVCenter);
            celda(1, tnc.fieldByName(QStringLiteral("FECHA")).asDate().toString(QStringLiteral("dd/MM/yyyy")),
                  Qt::AlignCenter);
            celda(2, FormatoMoneda(tnc.fieldByName(QStringLiteral("IMP_TOTAL")).asCurrency()),
                  Qt::AlignRight | Qt::AlignVCenter);
            auto *marca = new QTableWidgetItem;
            marca->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            marca->setCheckState(Qt::Unchecked);
            gNotas->setItem(r, 3, marca);
        }
        cambiando_ = false;
    } catch (const db::DbError &e) {
        cambiando_ = false;
        mensajes().Error(e.message());
    }
}

void TfrmNotasCredito::Marcado(QTableWidgetItem *item)
{
    if (cambiando_ || !item || item->column() != 3)
        return;
    const Currency importe = Leer(gNotas->item(item->row(), 2)->text());
    if (item->checkState() == Qt::Checked) {
        // Notes are added while the ticked total is below the invoice total.
        if (totalFactura_ > Leer(lblTotalNotas->text())) {
            total_ += importe;
        } else {
            cambiando_ = true;
            item->setCheckState(Qt::Unchecked);
            cambiando_ = false;
            return;
        }
    } else {
        total_ -= importe;
    }
    lblTotalNotas->setText(FormatoMoneda(total_));
}

EleccionNotas TfrmNotasCredito::Eleccion(const QString &notaSaldo) const
{
    EleccionNotas e;
    e.seleccionadas << QString();
    for (int r = 0; r < gNotas->rowCount(); ++r)
        e.seleccionadas << (gNotas->item(r, 3)->checkState() == Qt::Checked ? gNotas->item(r, 0)->text() : QString());
    e.importe = Leer(lblTotalNotas->text());
    e.notaSaldo = notaSaldo;
    return e;
}

void TfrmNotasCredito::Aplicar(const QString &notaSaldo)
{
    emit aplicada(Eleccion(notaSaldo));
    close();
}

void TfrmNotasCredito::btnAceptarClick()
{
    if (total_ > totalFactura_) {
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
