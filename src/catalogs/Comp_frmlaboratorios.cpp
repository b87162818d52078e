#include "catalogs/Comp_frmlaboratorios.h"

#include "catalogs/Comp_frmeleccion.h"

#include "data/Comp_fdatos.h"
#include "data/EncabezadoReporte.h"
#include "platform/Mensajes.h"
#include "platform/db/Dataset.h"
#include "platform/db/DatasetModel.h"
#include "ui/Permisos.h"
#include "ui/UtilBusqueda.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TfrmLaboratorios::TfrmLaboratorios(TFDatosComp &datos, QWidget *parent)
    : QDialog(parent), laboratorios_(ConexionesDeDatosComp(datos))
{
    setObjectName(QStringLiteral("frmLaboratorios"));
    setWindowTitle(QStringLiteral("Laboratorios"));
    setModal(true);
    resize(420, 400);
    AjustarFormatoNumeros(CampoRegistro(datos.DatosMoneda, QStringLiteral("SIMBOLO_MONEDA")));

    ds_ = DatasetInventario(datos, this, QStringLiteral("ds_Laboratorios"));

    GridLaboratorios = new QTableView(this);
    GridLaboratorios->setObjectName(QStringLiteral("GridLaboratorios"));
    modelo_ = new db::DatasetModel(ds_, this);
    modelo_->setColumns(
        {{QStringLiteral("NOMBRE"), QStringLiteral("Nombre del Laboratorio"), {}, Qt::AlignLeft | Qt::AlignVCenter}});
    PrepararGrillaBusqueda(GridLaboratorios, modelo_);
    GridLaboratorios->horizontalHeader()->setStretchLastSection(true);

    edNombre = new QLineEdit(this);
    edNombre->setObjectName(QStringLiteral("edNombre"));
    edNombre->setMaxLength(40);
    edNombre->setValidator(new ValidadorMayusculas(edNombre));
    edNombre->setEnabled(false);

    btnAgregar = new QPushButton(QStringLiteral("Agregar"), this);
    btnAgregar->setObjectName(QStringLiteral("btnAgregar"));
    btnBorrar = new QPushButton(QStringLiteral("Borrar"), this);
    btnBorrar->setObjectName(QStringLiteral("btnBorrar"));
    btnSalir = new QPushButton(QStringLiteral("Salir"), this);
    btnSalir->setObjectName(QStringLiteral("btnSalir"));
    for (QPushButton *b : {btnAgregar, btnBorrar, btnSalir}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto *botones = new QHBoxLayout;
    botones->addWidget(btnAgregar);
    botones->addWidget(btnBorrar);
    botones->addStretch(1);
    botones->addWidget(btnSalir);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GridLaboratorios, 1);
    layout->addWidget(edNombre);
    layout->addLayout(botones);

    connect(btnAgregar, &QPushButton::clicked, this, &TfrmLaboratorios::btnAgregarClick);
    connect(btnBorrar, &QPushButton::clicked, this, &TfrmLaboratorios::btnBorrarClick);
    connect(btnSalir, &QPushButton::clicked, this, &QDialog::accept);
    connect(GridLaboratorios, &QTableView::doubleClicked, this, &TfrmLaboratorios::Modificar);
    edNombre->installEventFilter(this);
    GridLaboratorios->installEventFilter(this);

    Refrescar();
}

TfrmLaboratorios::~TfrmLaboratorios() = default;

void TfrmLaboratorios::Refrescar(int idActual)
{
    try {
        Laboratorios::Consulta().Abrir(*ds_);
        if (idActual >= 0 && ds_->locate(QStringLiteral("ID_LABORATORIOS"), db::Value::integer(idActual)))
            GridLaboratorios->setCurrentIndex(modelo_->index(ds_->recNo(), 0));
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
    }
}

int TfrmLaboratorios::IdActual() const
{
    if (!ds_->active() || ds_->isEmpty())
        return -1;
    return ds_->fieldByName(QStringLiteral("ID_LABORATORIOS")).asInteger();
}

void TfrmLaboratorios::Editar(int id, const QString &nombre)
{
    editando_ = id;
    edNombre->setText(nombre);
    edNombre->setEnabled(id >= 0);
    if (id >= 0) {
        edNombre->setFocus();
        edNombre->selectAll();
    } else {
        GridLaboratorios->setFocus();
    }
}

void TfrmLaboratorios::btnAgregarClick()
{
    Editar(0, QString());
}

void TfrmLaboratorios::Modificar()
{
    const int id = IdActual();
    if (id < 0)
        return;
    Editar(id, ds_->fieldByName(QStringLiteral("NOMBRE")).asString().trimmed());
}

bool TfrmLaboratorios::Guardar()
{
    if (editando_ < 0)
        return false;
    int id = editando_;
    try {
        if (editando_ == 0)
            id = laboratorios_.Agregar(edNombre->text());
        else
            laboratorios_.Renombrar(editando_, edNombre->text());
    } catch (const ErrorNombreLaboratorio &e) {
        mensajes().Globo(edNombre, e.mensaje());
        edNombre->setFocus();
        return false;
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return false;
    }
    Editar(-1, QString());
    Refrescar(id);
    emit laboratoriosCambiados();
    return true;
}

void TfrmLaboratorios::CancelarEdicion()
{
    Editar(-1, QString());
}

void TfrmLaboratorios::btnBorrarClick()
{
    const int id = IdActual();
    if (id < 0)
        return;
    if (!mensajes().PreguntaDestructiva(kPreguntaBorrarLaboratorio, QStringLiteral("Atención")))
        return;
    try {
        laboratorios_.Borrar(id);
    } catch (const ErrorCompras &e) {
        mensajes().Error(e.mensaje());
        return;
    }
    CancelarEdicion();
    Refrescar();
    emit laboratoriosCambiados();
}

bool TfrmLaboratorios::eventFilter(QObject *objeto, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        const int tecla = static_cast<QKeyEvent *>(e)->key();
        const bool enter = tecla == Qt::Key_Return || tecla == Qt::Key_Enter;
        if (objeto == edNombre && enter) {
            Guardar();
            return true;
        }
        if (objeto == edNombre && tecla == Qt::Key_Escape) {
            CancelarEdicion();
            return true;
        }
        if (objeto == GridLaboratorios && (enter || tecla == Qt::Key_F2)) {
            Modificar();
            return true;
        }
    }
    return QDialog::eventFilter(objeto, e);
}
