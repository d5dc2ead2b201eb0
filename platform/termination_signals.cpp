#include "platform/termination_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace chimewell {

namespace {
// A signal handler may only do async-signal-safe work: it writes one byte, and the event loop does the rest.
int SignalSockets[2] = {-1, -1};
volatile std::sig_atomic_t SignalsReceived = 0;

void OnSignal(int signal) {
    SignalsReceived = SignalsReceived + 1;
    if (SignalsReceived > 1) {
        // Asked twice: no waiting on anything, not even the event loop.
        _exit(128 + signal);
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(SignalSockets[0], &byte, 1);
}
} // namespace

void EndOnTerminationSignals(QObject* owner, std::function<void()> endProgram) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalSockets) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(SignalSockets[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [endProgram = std::move(endProgram)] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(SignalSockets[1], &byte, 1);
        endProgram();
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
