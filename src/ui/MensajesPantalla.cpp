#include "ui/MensajesPantalla.h"

#include "ui/CamposEdicion.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {
QString tituloO(const QString &titulo, const char *defecto)
{
    return titulo.isEmpty() ? QString::fromUtf8(defecto) : titulo;
}

QWidget *ventanaActiva()
{
    return QApplication::activeWindow();
}

// Without a screen nobody can answer a box: say it on stderr and take the default answer
// (batch runs, tests that did not install their own service).
bool sinPantalla(const QString &texto)
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance())
        && QGuiApplication::platformName() != QLatin1String("offscreen"))
        return false;
    qWarning("%s", qPrintable(texto));
    return true;
}
} // namespace

void InstalarMensajesPantalla()
{
    static MensajesPantalla pantalla;
    EstablecerMensajesPorDefecto(&pantalla);
}

void MensajesPantalla::Informacion(const QString &texto, const QString &titulo)
{
    if (sinPantalla(texto))
        return;
    QMessageBox::information(ventanaActiva(), tituloO(titulo, "Información"), texto);
}

void MensajesPantalla::Advertencia(const QString &texto, const QString &titulo)
{
    if (sinPantalla(texto))
        return;
    QMessageBox::warning(ventanaActiva(), tituloO(titulo, "Atención"), texto);
}

void MensajesPantalla::Error(const QString &texto, const QString &titulo)
{
    if (sinPantalla(texto))
        return;
    QMessageBox::critical(ventanaActiva(), tituloO(titulo, "Error"), texto);
}

namespace {
bool PreguntarSiNo(const QString &texto, const QString &titulo, bool noPorDefecto)
{
    QMessageBox box(QMessageBox::Question, tituloO(titulo, "Confirmación"), texto, QMessageBox::NoButton,
                    ventanaActiva());
    QPushButton *si = box.addButton(QStringLiteral("Sí"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box.setDefaultButton(noPorDefecto ? no : si);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == si;
}
} // namespace

bool MensajesPantalla::Pregunta(const QString &texto, const QString &titulo)
{
    if (sinPantalla(texto))
        return true;
    return PreguntarSiNo(texto, titulo, false);
}

bool MensajesPantalla::PreguntaDestructiva(const QString &texto, const QString &titulo)
{
    if (sinPantalla(texto))
        return false;
    return PreguntarSiNo(texto, titulo, true);
}

Mensajes::Respuesta MensajesPantalla::PreguntaSiNoCancelar(const QString &texto, const QString &titulo)
{
    if (sinPantalla(texto))
        return Respuesta::Si;
    QMessageBox box(QMessageBox::Question, tituloO(titulo, "Confirmación"), texto, QMessageBox::NoButton,
                    ventanaActiva());
    QAbstractButton *si = box.addButton(QStringLiteral("Sí"), QMessageBox::YesRole);
    QAbstractButton *no = box.addButton(QStringLiteral("No"), QMessageBox::NoRole);
    box.addButton(QStringLiteral("Cancelar"), QMessageBox::RejectRole);
    box.exec();
    if (box.clickedButton() == si)
        return Respuesta::Si;
    return box.clickedButton() == no ? Respuesta::No : Respuesta::Cancelar;
}

void MensajesPantalla::Globo(QWidget *control, const QString &texto, const QString &titulo, int milisegundos)
{
    if (!control || sinPantalla(texto))
        return;
    // One balloon at a time, below the control.
    static QPointer<QLabel> globo;
    if (globo)
        globo->deleteLater();
    globo = new QLabel(control->window(), Qt::ToolTip);
    globo->setObjectName(QStringLiteral("globo"));
    globo->setTextFormat(Qt::RichText);
    globo->setText(QStringLiteral("<b>%1</b><br>%2").arg(titulo.toHtmlEscaped(), texto.toHtmlEscaped()));
    globo->setStyleSheet(QStringLiteral("QLabel { background: #ffffe1; border: 1px solid #767676; padding: 6px; }"));
    globo->setWordWrap(true);
    globo->setMaximumWidth(420);
    globo->adjustSize();
    const QScreen *pantalla = control->screen();
    globo->move(DentroDePantalla(control->mapToGlobal(QPoint(control->width() / 4, control->height())), globo->size(),
                                 pantalla ? pantalla->availableGeometry() : QRect()));
    globo->show();
    QTimer::singleShot(milisegundos, globo.data(), &QObject::deleteLater);
    control->setFocus();
}
