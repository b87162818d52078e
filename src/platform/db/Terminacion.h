#pragma once
// Orderly end of a program that uses the embedded engine: SIGTERM and SIGINT close the
// attachments and stop the engine within a time limit, and so does a normal exit.

#include <functional>

namespace db {

// From now on SIGTERM and SIGINT are handled here instead of by the Firebird client (whose
// handler shuts the engine down under the program's feet and may wait forever). On a signal,
// what runs on the open databases is cancelled (it fails and unwinds on its own thread) and
// `alRecibir(signo)` runs on a helper thread (it should ask the program to close its windows,
// e.g. by queueing a call to the event loop). When the program is still alive `limiteSegundos`
// later, the engine is stopped within the limit and the process ends with status 128 + signo.
// A second signal ends it at once.
void ManejarTerminacion(std::function<void(int)> alRecibir = {}, int limiteSegundos = 5);

// Puts the handler back after the Firebird client installed its own (it does on the first
// attachment). Does nothing unless ManejarTerminacion was called.
void ReinstalarManejadorTerminacion();

// Stops the engine (fb_shutdown) waiting at most `limiteMs`; false when it did not finish in time.
bool ApagarMotor(int limiteMs = 5000);

// Ends the use of the engine at the end of main: stops it within the limit and returns `codigo`
// (128 + the signal after a terminating signal), or ends the process with it (_exit) when the
// engine did not stop or an attach was given up.
int TerminarPrograma(int codigo);

// True once a terminating signal was received.
bool TerminacionSolicitada();

} // namespace db
