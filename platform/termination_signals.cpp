#include "platform/termination_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace chimewell {

namespace {
// A signal handler may only do async-signal-safe work: it writes one byte, and the event loop does the rest.
int SignalSockets[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(SignalSockets[0], &byte, 1);
}
} // namespace

void QuitOnTerminationSignals(QObject* owner) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, SignalSockets) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(SignalSockets[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [notifier] {
        notifier->setEnabled(false);
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(SignalSockets[1], &byte, 1);
        // exit, not quit: quit asks the windows first, and the main window declines to close (it hides).
        QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
}

} // namespace chimewell
