#pragma once
// A session that ends sends its programs SIGTERM; the program then leaves its event loop as after the exit
// command, so the settings are saved, instead of dying where it stands.

class QObject;

namespace chimewell {

// SIGTERM, SIGINT and SIGHUP quit the application's event loop; `owner` keeps the watcher alive.
void QuitOnTerminationSignals(QObject* owner);

} // namespace chimewell
