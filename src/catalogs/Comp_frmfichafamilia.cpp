#include "catalogs/Comp_frmfichafamilia.h"

#include "catalogs/Comp_frmbuscarfamilia.h"
#include "data/Comp_fdatos.h"
#include "platform/Mensajes.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TfrmFichaFamilia::TfrmFichaFamilia(TFDatosComp &datos, bool nueva, const QString &origen, QWidget *parent)
    : QWidget(parent, Qt::Dialog), datos_(datos), catalogo_(ConexionesDeDatosComp(datos)), nueva_(nueva), origen_(origen)
{
    setObjectName(QStringLiteral("frmFichaFamilia"));
    setWindowTitle(QStringLiteral("Familia de Artículos"));

    auto mayusculas = [this](QLineEdit *e, const char *nombre, int largo) {
        e->setObjectName(QString::fromLatin1(nombre));
        e->setMaxLength(largo);
        e->setValidator(new ValidadorMayusculas(e));
        e->installEventFilter(this);
    };
    edCodigo = new QLineEdit(this);
    mayusculas(edCodigo, "edCodigo", 15);
    edCodigo->setEnabled(nueva_);
    edNombre = new QLineEdit(this);
    mayusculas(edNombre, "edNombre", 100);
    chkPromocion = new QCheckBox(QStringLiteral("Familia en Promoción"), this);
    chkPromocion->setObjectName(QStringLiteral("chkPromocion"));
    chkPromocion->setEnabled(datos_.ConfigSi(QStringLiteral("PROMOCIONES_ARTICULOS")));
    edNota = new QLineEdit(this);
    mayusculas(edNota, "edNota", 200);
    edPertenece = new QLineEdit(this);
    mayusculas(edPertenece, "edPertenece", 15);
    edNomPertenece = new QLineEdit(this);
    edNomPertenece->setObjectName(QStringLiteral("edNomPertenece"));
    edNomPertenece->setReadOnly(true);
    edNomPertenece->setFocusPolicy(Qt::NoFocus);
    btnBuscarPertenece = new QPushButton(QStringLiteral("..."), this);
    btnBuscarPertenece->setObjectName(QStringLiteral("btnBuscarPertenece"));
    btnBuscarPertenece->setFixedWidth(28);
    lblConsecutivo = new QLabel(QStringLiteral("Consecutivo:"), this);
    edConsecutivo = new QSpinBox(this);
    edConsecutivo->setObjectName(QStringLiteral("edConsecutivo"));
    edConsecutivo->setRange(0, 999999999);
    edConsecutivo->installEventFilter(this);
    lblNotaConsecutivo = new QLabel(QStringLiteral("(Para generación de código de artículo automático)"), this);
    btnAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    for (QWidget *w : {static_cast<QWidget *>(chkPromocion), static_cast<QWidget *>(btnBuscarPertenece),
                       static_cast<QWidget *>(btnAceptar), static_cast<QWidget *>(btnCancelar)})
        w->installEventFilter(this);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Código:"), edCodigo);
    form->addRow(QStringLiteral("Nombre:"), edNombre);
    form->addRow(QString(), chkPromocion);
    form->addRow(QStringLiteral("Observaciones:"), edNota);
    auto *pertenece = new QHBoxLayout;
    pertenece->addWidget(edPertenece);
    pertenece->addWidget(edNomPertenece, 1);
    pertenece->addWidget(btnBuscarPertenece);
    form->addRow(QStringLiteral("Pertenece a:"), pertenece);
    auto *consecutivo = new QHBoxLayout;
    consecutivo->addWidget(edConsecutivo);
    consecutivo->addWidget(lblNotaConsecutivo, 1);
    form->addRow(lblConsecutivo, consecutivo);
    const bool automatico = datos_.ConfigSi(QStringLiteral("COD_ARTICULO_AUTOMATICO"));
    lblConsecutivo->setVisible(automatico);
    edConsecutivo->setVisible(automatico);
    lblNotaConsecutivo->setVisible(automatico);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(botones);
    resize(520, automatico ? 250 : 215);

    connect(edPertenece, &QLineEdit::editingFinished, this, &TfrmFichaFamilia::edPerteneceExit);
    connect(btnBuscarPertenece, &QPushButton::clicked, this, &TfrmFichaFamilia::btnBuscarPerteneceClick);
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmFichaFamilia::btnAceptarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmFichaFamilia::btnCancelarClick);
    Cargar(FilaFamilia{});
}

void TfrmFichaFamilia::Cargar(const FilaFamilia &fila)
{
    original_ = fila;
    edCodigo->setText(fila.codigo);
    edNombre->setText(fila.nombre);
    chkPromocion->setChecked(fila.promocion == QLatin1String("S"));
    edNota->setText(fila.nota);
    edPertenece->setText(fila.codPertenece);
    edNomPertenece->setText(fila.nomPertenece);
    edConsecutivo->setValue(fila.nroArticulo);
}

FilaFamilia TfrmFichaFamilia::Fila() const
{
    FilaFamilia f = original_;
    f.codigo = edCodigo->text().trimmed();
    f.nombre = edNombre->text().trimmed();
    f.promocion = chkPromocion->isChecked() ? QStringLiteral("S") : QStringLiteral("N");
    f.nota = edNota->text();
    f.codPertenece = edPertenece->text().trimmed();
    f.nomPertenece = edNomPertenece->text();
    f.nroArticulo = edConsecutivo->value();
    if (origen_ == OrigenFamilia::Arti)
        f.nroArticulo = 1;
    return f;
}

void TfrmFichaFamilia::AbrirDesde(QWidget *llamador)
{
    llamador_.Asignar(llamador, true);
    show();
    raise();
    activateWindow();
    (nueva_ ? edCodigo : edNombre)->setFocus();
}

QWidget *TfrmFichaFamilia::ControlDe(FalloFamilia::Campo campo) const
{
    switch (campo) {
    case FalloFamilia::Campo::Codigo: return edCodigo;
    case FalloFamilia::Campo::Nombre: return edNombre;
    case FalloFamilia::Campo::Pertenece: return edPertenece;
    }
    return edCodigo;
}

void TfrmFichaFamilia::btnAceptarClick()
{
    const FilaFamilia fila = Fila();
    try {
        if (const std::optional<FalloFamilia> fallo = catalogo_.Validar(fila, nueva_)) {
            QWidget *control = ControlDe(fallo->campo);
            mensajes().Globo(control, fallo->texto);
            control->setFocus();
            if (control == edCodigo)
                edCodigo->selectAll();
            return;
        }
        catalogo_.Guardar(fila, nueva_);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return;
    }
    emit familiaGuardada(fila.codigo, fila.nombre);
    close();
}

void TfrmFichaFamilia::btnCancelarClick()
{
    close();
}

void TfrmFichaFamilia::edPerteneceExit()
{
    try {
        edNomPertenece->setText(catalogo_.NombreDe(edPertenece->text()));
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
}

void TfrmFichaFamilia::btnBuscarPerteneceClick()
{
    BuscarFamilia(datos_, this, OrigenFamilia::Familias, [this](const QString &codigo, const QString &nombre) {
        edPertenece->setText(codigo);
        edNomPertenece->setText(nombre);
    });
}

void TfrmFichaFamilia::closeEvent(QCloseEvent *e)
{
    setAttribute(Qt::WA_DeleteOnClose);
    llamador_.Habilitar();
    QWidget::closeEvent(e);
    emit cerrada();
}

bool TfrmFichaFamilia::eventFilter(QObject *objeto, QEvent *e)
{
    return TeclaVentanaBusqueda(objeto, e, [this] { focusNextChild(); }, [this] { btnCancelarClick(); })
           || QWidget::eventFilter(objeto, e);
}
