#include "host/AplicacionHost.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include "platform/ErrorCompras.h"
#include "platform/Mensajes.h"
#include "platform/db/Terminacion.h"

#include <QPointer>
#include <atomic>

namespace {
std::atomic<bool> terminando{false};
}

AplicacionHost::AplicacionHost(int &argc, char **argv) : QApplication(argc, argv) {}

bool AplicacionHost::InstalarTraduccionQt()
{
    auto *traductor = new QTranslator(this);
    if (!traductor->load(QLocale(QLocale::Spanish), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete traductor;
        return false;
    }
    installTranslator(traductor);
    return true;
}

bool AplicacionHost::notify(QObject *receptor, QEvent *evento)
{
    try {
        return QApplication::notify(receptor, evento);
    } catch (const ErrorCompras &e) {
        informar(e.mensaje());
    } catch (const std::exception &e) {
        informar(QString::fromUtf8(e.what()));
    }
    return false;
}

void AplicacionHost::informar(const QString &texto)
{
    ++errores_;
    qCritical("compras-host: %s", qUtf8Printable(texto));
    // An error raised while its message is on screen is only logged.
    if (informando_ || terminando)
        return;
    informando_ = true;
    try {
        mensajes().Error(texto);
    } catch (...) {
    }
    informando_ = false;
}

void AplicacionHost::ManejarTerminacion(int limiteSegundos)
{
    QPointer<AplicacionHost> app(this);
    db::ManejarTerminacion(
        [app](int) {
            if (app)
                QMetaObject::invokeMethod(app, &AplicacionHost::TerminarPorSenal, Qt::QueuedConnection);
        },
        limiteSegundos);
}

bool AplicacionHost::TerminandoPorSenal()
{
    return terminando;
}

void AplicacionHost::TerminarPorSenal()
{
    terminando = true;
    closeAllWindows();
    quit();
}
