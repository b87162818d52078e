// An error that escapes an event handler of the host is shown and logged, never std::terminate;
// a signal closes the windows without asking.
#include "host/AplicacionHost.h"
#include "support/MensajesGuion.h"
#include "platform/db/DbError.h"

#include <QCloseEvent>
#include <QEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

AplicacionHost &app()
{
    static int argc = 1;
    static char nombre[] = "test_host_app";
    static char *argv[] = {nombre, nullptr};
    static AplicacionHost a(argc, argv);
    return a;
}

// Throws from its event handler what the test asks for.
class Lanzador : public QObject {
public:
    enum Que { Db, Estandar, Nada };
    Que que = Nada;
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        if (que == Db)
            throw db::DbError(QStringLiteral("connection shutdown"));
        if (que == Estandar)
            throw std::runtime_error("falla inesperada");
        return true;
    }
};

} // namespace

TEST(AplicacionHost, UnErrorDeUnManejadorSeMuestraYElProgramaSigue)
{
    AplicacionHost &a = app();
    MensajesGuion guion;
    Lanzador l;
    const int antes = a.erroresMostrados();

    l.que = Lanzador::Db;
    QCoreApplication::postEvent(&l, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    l.que = Lanzador::Estandar;
    QEvent directo(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&l, &directo));
    l.que = Lanzador::Nada;
    QEvent bueno(QEvent::User);
    EXPECT_TRUE(QCoreApplication::sendEvent(&l, &bueno)) << "events after an error are delivered as usual";

    EXPECT_EQ(a.erroresMostrados(), antes + 2);
    ASSERT_EQ(guion.mostrados().size(), 2u);
    EXPECT_EQ(guion.mostrados()[0].tipo, Mensajes::Tipo::Error);
    EXPECT_EQ(guion.mostrados()[0].texto, QStringLiteral("connection shutdown"));
    EXPECT_EQ(guion.mostrados()[1].texto, QStringLiteral("falla inesperada"));
}

// A window whose close asks a question (as the host's main window does) is closed by a signal
// without any question.
class VentanaQuePregunta : public QWidget {
protected:
    void closeEvent(QCloseEvent *e) override
    {
        if (!AplicacionHost::TerminandoPorSenal() && !mensajes().Pregunta(QStringLiteral("¿Salir?")))
            e->ignore();
    }
};

TEST(AplicacionHost, LaSenalCierraLasVentanasSinPreguntar)
{
    AplicacionHost &a = app();
    MensajesGuion guion;
    VentanaQuePregunta v;
    v.show();
    ASSERT_TRUE(v.isVisible());
    EXPECT_FALSE(AplicacionHost::TerminandoPorSenal());
    a.TerminarPorSenal();
    EXPECT_TRUE(AplicacionHost::TerminandoPorSenal());
    EXPECT_FALSE(v.isVisible());
    EXPECT_TRUE(guion.mostrados().empty());
}

TEST(AplicacionHost, LosDialogosDeQtHablanEspanol)
{
    ASSERT_TRUE(app().InstalarTraduccionQt());
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
}
