#pragma once
// Process-shared mutexes of this process are robust (see MutexRobustos.cpp).

namespace db {

// True when a process-shared mutex created in this process is robust.
bool MutexRobustosActivos();
// How many times a lock found its previous owner dead and took the mutex over.
unsigned MutexRecuperados();

} // namespace db
