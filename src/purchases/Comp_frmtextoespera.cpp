#include "purchases/Comp_frmtextoespera.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QTimer>

TfrmTextoEspera::TfrmTextoEspera(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    setObjectName(QStringLiteral("frmTextoEspera"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(391, 28);
    auto *rueda = new QTimer(this);
    connect(rueda, &QTimer::timeout, this, [this] {
        desplazamiento_ = (desplazamiento_ + 4) % (width() + 200);
        update();
    });
    rueda->start(40);
}

void TfrmTextoEspera::Mostrar(QWidget *sobre)
{
    const QRect zona = sobre ? sobre->frameGeometry()
                             : (QApplication::primaryScreen() ? QApplication::primaryScreen()->availableGeometry() : QRect());
    if (zona.isValid())
        move(zona.center() - rect().center());
    show();
    raise();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmTextoEspera::Avance(int hechas, int total)
{
    const int p = total > 0 ? hechas * 100 / total : 0;
    static QElapsedTimer ultimo;
    if (p == porcentaje_ && ultimo.isValid() && ultimo.elapsed() < 50)
        return;
    porcentaje_ = p;
    ultimo.restart();
    desplazamiento_ = (desplazamiento_ + 4) % (width() + 200);
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmTextoEspera::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(255, 255, 225));
    p.fillRect(QRect(0, 0, width() * porcentaje_ / 100, height()), QColor(190, 215, 250));
    p.setPen(QColor(118, 118, 118));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    const QString texto = porcentaje_ > 0 ? kTexto + QStringLiteral("  %1%").arg(porcentaje_) : kTexto;
    const int ancho = p.fontMetrics().horizontalAdvance(texto);
    const int x = width() - desplazamiento_;
    p.drawText(QRect(x, 0, ancho + 10, height()), Qt::AlignVCenter | Qt::AlignLeft, texto);
    if (x + ancho < width())
        p.drawText(QRect(x + ancho + 200, 0, ancho + 10, height()), Qt::AlignVCenter | Qt::AlignLeft, texto);
}
