#include "purchases/Comp_frmmodificarlinea.h"

#include "data/Comp_fdatos.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "ui/CamposEdicion.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

QLineEdit *Importe(QWidget *padre, const char *nombre, int decimales, bool soloLectura = false)
{
    auto *ed = new QLineEdit(padre);
    ed->setObjectName(QString::fromLatin1(nombre));
    ed->setAlignment(Qt::AlignRight);
    if (soloLectura) {
        ed->setReadOnly(true);
        ed->setFocusPolicy(Qt::NoFocus);
    } else {
        const QString patron = QStringLiteral("^[0-9,]{0,16}%1$")
                                   .arg(decimales > 0 ? QStringLiteral("(\\.[0-9]{0,%1})?").arg(decimales) : QString());
        ed->setValidator(new QRegularExpressionValidator(QRegularExpression(patron), ed));
    }
    return ed;
}

Currency Valor(const QLineEdit *ed)
{
    Currency v;
    return LeerImporte(ed->text(), v) ? v : Currency();
}

QString Dos(Currency v) { return FormatCurrency(QStringLiteral("#,##0.00"), v); }

} // namespace

TfrmModificarLinea::TfrmModificarLinea(TFDatosComp &datos, EntradaCompra &entrada, int idLinea, QWidget *parent)
    : QWidget(parent, Qt::Dialog), datos_(datos), entrada_(entrada), idLinea_(idLinea)
{
    setObjectName(QStringLiteral("frmModificarLinea"));
    setWindowTitle(QStringLiteral("Modificar Línea"));
    setAttribute(Qt::WA_DeleteOnClose);
    const int decimales = std::clamp(datos_.ConfigEntero(QStringLiteral("DECIMALES_CANTIDADES")), 0, 4);

    lblCodigo = new QLabel(this);
    lblCodigo->setObjectName(QStringLiteral("lblCodigo"));
    lblNombre = new QLabel(this);
    lblNombre->setObjectName(QStringLiteral("lblNombre"));
    QFont negrita = lblCodigo->font();
    negrita.setBold(true);
    lblCodigo->setFont(negrita);
    lblNombre->setFont(negrita);
    edPrecioUnit = Importe(this, "edPrecioUnit", 2);
    edCant = Importe(this, "edCant", decimales);
    edPorDesc = Importe(this, "edPorDesc", 4);
    edImpDesc = Importe(this, "edImpDesc", 2);
    edSubtotal = Importe(this, "edSubtotal", 2, true);
    edTotal = Importe(this, "edTotal", 2, true);
    edPrecioVenta = Importe(this, "edPrecioVenta", 2);
    edPrecioVentaActual = Importe(this, "edPrecioVentaActual", 2, true);
    ReformatearAlSalir(edPrecioUnit, QStringLiteral("#,##0.00"));
    ReformatearAlSalir(edCant, FormatoCantidadPicture(decimales));
    ReformatearAlSalir(edPorDesc, QStringLiteral("#,##0.00##"));
    ReformatearAlSalir(edImpDesc, QStringLiteral("#,##0.00"));
    ReformatearAlSalir(edPrecioVenta, QStringLiteral("#,##0.00"));
    chkGravado = new QCheckBox(QStringLiteral("Gravado"), this);
    chkGravado->setObjectName(QStringLiteral("chkGravado"));
    chkIVI = new QCheckBox(QStringLiteral("IV Incluido"), this);
    chkIVI->setObjectName(QStringLiteral("chkIVI"));
    btnAceptar = new QPushButton(QStringLiteral(" &Aceptar "), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral(" &Cancelar "), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));

    auto *g = new QGridLayout;
    int fila = 0;
    auto linea = [&](const QString &texto, QWidget *w, QWidget *extra = nullptr) {
        auto *etiqueta = new QLabel(texto, this);
        etiqueta->setObjectName(QStringLiteral("lbl") + w->objectName().mid(2));
        etiqueta->setBuddy(w);
        g->addWidget(etiqueta, fila, 0);
        g->addWidget(w, fila, 1);
        if (extra)
            g->addWidget(extra, fila, 2);
        ++fila;
    };
    linea(QStringLiteral("Costo:"), edPrecioUnit);
    linea(QStringLiteral("Cantidad:"), edCant);
    linea(QStringLiteral("% Descuento:"), edPorDesc);
    linea(QStringLiteral("Monto Descuento:"), edImpDesc);
    linea(QStringLiteral("SubTotal:"), edSubtotal);
    linea(QStringLiteral("Total:"), edTotal);
    linea(QStringLiteral("Precio de Venta Nuevo:"), edPrecioVenta);
    linea(QStringLiteral("Precio de Venta Actual:"), edPrecioVentaActual);
    auto *marcas = new QHBoxLayout;
    marcas->addWidget(chkGravado);
    marcas->addWidget(chkIVI);
    marcas->addStretch(1);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblCodigo);
    layout->addWidget(lblNombre);
    layout->addLayout(g);
    layout->addLayout(marcas);
    layout->addStretch(1);
    layout->addLayout(botones);
    resize(420, 330);

    connect(btnAceptar, &QPushButton::clicked, this, &TfrmModificarLinea::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmModificarLinea::btnCancelarClick);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
    Mostrar();
}

void TfrmModificarLinea::Mostrar()
{
    const std::optional<LineaEntrada> l = entrada_.Linea(idLinea_);
    if (!l)
        return;
    lblCodigo->setText(l->codigo);
    lblNombre->setText(l->nombre);
    edPrecioUnit->setText(FormatCurrency(QStringLiteral("0.00"), l->costo));
    edCant->setText(FormatCurrency(datos_.FormatearCantidad().remove(QLatin1Char(',')).remove(QLatin1Char('#')),
                                   l->cantidad));
    porcentajeInicial_ = l->porceDesc;
    edPorDesc->setText(FormatCurrency(QStringLiteral("0.00##"), l->porceDesc));
    const Currency subtotal = EntradaCompra::CalcularEdicion(l->costo, l->cantidad, Currency()).subtotal;
    edSubtotal->setText(Dos(subtotal));
    edImpDesc->setText(FormatCurrency(QStringLiteral("0.00"), l->importeDescuento));
    edTotal->setText(Dos(subtotal - l->importeDescuento));
    edPrecioVenta->setText(FormatCurrency(QStringLiteral("0.00"), l->precioVenta));
    edPrecioVentaActual->setText(Dos(l->precioVentaAnterior));
    chkGravado->setChecked(l->esGravada());
    chkIVI->setChecked(l->ivi == QLatin1String("S"));
    bool editable = false;
    try {
        if (const std::optional<ArticuloCompra> a = entrada_.BuscarArticulo(l->codigo))
            editable = a->baseCalculo1 == 0;
    } catch (const std::exception &) {
    }
    edPrecioVenta->setEnabled(editable);
}

void TfrmModificarLinea::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
    raise();
    activateWindow();
    edPrecioUnit->setFocus();
    edPrecioUnit->selectAll();
}

void TfrmModificarLinea::Recalcular()
{
    const CalculoLinea c = EntradaCompra::CalcularEdicion(Valor(edPrecioUnit), Valor(edCant), Valor(edPorDesc));
    edSubtotal->setText(Dos(c.subtotal));
    edImpDesc->setText(FormatCurrency(QStringLiteral("0.00"), c.descuento));
    edTotal->setText(Dos(c.total));
}

void TfrmModificarLinea::edPorDescExit()
{
    if (Valor(edPorDesc) > Currency(100)) {
        mensajes().Globo(edPorDesc, EntradaCompra::kPorcentajeMayor100);
        edPorDesc->setFocus();
        return;
    }
    Recalcular();
}

void TfrmModificarLinea::btnAceptarClick()
{
    const Currency porcentaje = Valor(edPorDesc);
    if (porcentaje > Currency(100)) {
        mensajes().Globo(edPorDesc, EntradaCompra::kPorcentajeMayor100);
        edPorDesc->setFocus();
        return;
    }
    CambioLinea cambio;
    cambio.costo = Valor(edPrecioUnit);
    cambio.cantidad = Valor(edCant);
    cambio.porcDescuento = porcentaje;
    cambio.gravado = chkGravado->isChecked();
    cambio.ivi = chkIVI->isChecked();
    cambio.precioVenta = Valor(edPrecioVenta);
    const struct {
        QLineEdit *ed;
        const char *campo;
        Currency limite;
    } limites[] = {{edPrecioUnit, "Costo", EntradaCompra::kCostoMaximo},
                   {edCant, "Cantidad", EntradaCompra::kCantidadMaxima},
                   {edPrecioVenta, "Precio de Venta Nuevo", kImporteMaximo}};
    for (const auto &l : limites) {
        const QString aviso = MensajeLimite(QString::fromUtf8(l.campo), l.ed->text(), l.limite);
        if (!aviso.isEmpty()) {
            mensajes().Globo(l.ed, aviso);
            l.ed->setFocus();
            return;
        }
    }
    if (cambio.costo <= Currency()) {
        mensajes().Globo(edPrecioUnit, EntradaCompra::kDebePrecio);
        edPrecioUnit->setFocus();
        return;
    }
    if (cambio.cantidad <= Currency()) {
        mensajes().Globo(edCant, EntradaCompra::kDebeCantidad);
        edCant->setFocus();
        return;
    }
    if (!entrada_.ModificarLinea(idLinea_, cambio)) {
        mensajes().Error(QStringLiteral("No se pudo modificar la línea.\n") + entrada_.UltimoError());
        return;
    }
    llamador_.Habilitar();
    emit lineaModificada();
    close();
}

void TfrmModificarLinea::btnCancelarClick()
{
    close();
}

void TfrmModificarLinea::closeEvent(QCloseEvent *e)
{
    llamador_.Habilitar();
    QWidget::closeEvent(e);
    emit cerrada();
}

bool TfrmModificarLinea::eventFilter(QObject *objeto, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Escape) {
            btnCancelarClick();
            return true;
        }
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (auto *b = qobject_cast<QPushButton *>(objeto)) {
                b->click();
                return true;
            }
            if (objeto == edPorDesc) {
                edPorDescExit();
                if (Valor(edPorDesc) > Currency(100))
                    return true;
            } else if (objeto == edPrecioUnit || objeto == edCant || objeto == edImpDesc) {
                Recalcular();
            }
            focusNextChild();
            return true;
        }
    } else if (e->type() == QEvent::FocusOut) {
        if (objeto == edPrecioUnit || objeto == edCant || objeto == edImpDesc)
            Recalcular();
    }
    return QWidget::eventFilter(objeto, e);
}
