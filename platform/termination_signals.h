#pragma once
// A session that ends sends its programs SIGTERM; the program then ends as after its exit command, saving its
// settings, instead of dying where it stands.

#include <functional>

class QObject;

namespace chimewell {

// SIGTERM, SIGINT and SIGHUP call `endProgram` from the event loop, at whatever moment they arrive (a modal
// question still open at start included). A second signal ends the process at once: whatever kept the first
// from ending it, the user or the session asked twice. `owner` keeps the watcher alive.
void EndOnTerminationSignals(QObject* owner, std::function<void()> endProgram);

} // namespace chimewell
