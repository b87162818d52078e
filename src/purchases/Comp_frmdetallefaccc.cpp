#include "purchases/Comp_frmdetallefaccc.h"

#include "platform/Mensajes.h"
#include "ui/NombreControl.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
QString Cantidad(Currency c)
{
    return QString::fromStdString(c.toString());
}
} // namespace

TfrmDetalleFacCC::TfrmDetalleFacCC(ImportacionCentral &importacion, FacturaCentral factura,
                                   std::vector<LineaCentral> lineas, ProveedorCentral proveedor, int nroTienda,
                                   QString usuario, QWidget *parent)
    : QWidget(parent, Qt::Window), imp_(importacion), factura_(std::move(factura)), lineas_(std::move(lineas)),
      proveedor_(std::move(proveedor)), nroTienda_(nroTienda), usuario_(std::move(usuario))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Detalle de Factura de Compra a Casa Central"));
    grdDetalle = nombrar(new QTableWidget(static_cast<int>(lineas_.size()), 4, this), "grdDetalle");
    grdDetalle->setHorizontalHeaderLabels({QStringLiteral("Código"), QStringLiteral("Descripción"),
                                           QStringLiteral("Cantidad Facturada"), QStringLiteral("Cantidad Recibida")});
    for (int i = 0; i < static_cast<int>(lineas_.size()); ++i) {
        const LineaCentral &l = lineas_[i];
        const QStringList celdas = {l.codigo, l.descripcion, Cantidad(l.cantidad), Cantidad(l.recibida)};
        for (int c = 0; c < 4; ++c) {
            auto *item = new QTableWidgetItem(celdas[c]);
            if (c < 3)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            grdDetalle->setItem(i, c, item);
        }
    }
    grdDetalle->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    btnProcesar = nombrar(new QPushButton(QStringLiteral(" &Procesar"), this), "btnProcesar");
    btnCerrar = nombrar(new QPushButton(QStringLiteral(" &Cerrar "), this), "btnCerrar");
    auto *botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(btnProcesar);
    botones->addWidget(btnCerrar);
    auto *v = new QVBoxLayout(this);
    v->addWidget(grdDetalle, 1);
    v->addLayout(botones);
    resize(720, 420);
    connect(btnProcesar, &QPushButton::clicked, this, &TfrmDetalleFacCC::btnProcesarClick);
    connect(grdDetalle, &QTableWidget::cellDoubleClicked, this, [this](int, int columna) {
        if (columna != 3)
            btnProcesarClick();
    });
    connect(btnCerrar, &QPushButton::clicked, this, &QWidget::close);
}

void TfrmDetalleFacCC::LeerRecibidas()
{
    for (int i = 0; i < static_cast<int>(lineas_.size()); ++i) {
        const QTableWidgetItem *item = grdDetalle->item(i, 3);
        bool ok = false;
        const double v = item ? item->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok) : 0;
        if (ok && v >= 0)
            lineas_[i].recibida = Currency::fromDouble(v);
    }
}

bool TfrmDetalleFacCC::btnProcesarClick()
{
    LeerRecibidas();
    if (!mensajes().Pregunta(QStringLiteral("Desea ingresar la factura?")))
        return false;
    const int id = imp_.Registrar(factura_, lineas_, proveedor_, nroTienda_, usuario_);
    if (id <= 0) {
        mensajes().Error(imp_.UltimoError());
        return false;
    }
    mensajes().Informacion(QStringLiteral("Comprobante ") + factura_.comprobante +
                           QStringLiteral(" procesado correctamente"));
    emit registrada(id);
    close();
    return true;
}
