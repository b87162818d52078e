#pragma once
// The host's application object: an error that escapes an event handler is shown and logged
// instead of ending the program, and SIGTERM / SIGINT close the windows before the program ends.

#include <QApplication>

class AplicacionHost : public QApplication {
    Q_OBJECT
public:
    AplicacionHost(int &argc, char **argv);

    bool notify(QObject *receptor, QEvent *evento) override;

    // Handles SIGTERM and SIGINT: the windows close without questions, the event loop ends
    // and the program has `limiteSegundos` to close its attachments before it is ended.
    void ManejarTerminacion(int limiteSegundos = 5);
    // True while the windows close because of a signal: nothing should ask the user then.
    static bool TerminandoPorSenal();
    // What a signal does, on the event loop's thread.
    void TerminarPorSenal();

    // Qt's own dialogs and buttons in Spanish ("Guardar como", "Cancelar"); false when the
    // translation is not installed.
    bool InstalarTraduccionQt();

    // Errors shown so far (for the log and tests).
    int erroresMostrados() const { return errores_; }

private:
    void informar(const QString &texto);
    int errores_ = 0;
    bool informando_ = false;
};
