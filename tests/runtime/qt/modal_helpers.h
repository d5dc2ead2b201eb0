#pragma once
// Driving modal windows from a test: an application for the offscreen platform, and actions that wait for
// a window of a given kind to be the modal one and then act on it from inside its event loop.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace chimewell::testing {

inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "runtime_qt_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        new QApplication(argc, argv); // lives to the end of the process, as in the program
    }
}

// Once a visible modal window of type Window is up, calls `act` with it, once. The poll stops when the
// returned object goes, so a test that never sees the window does not leave it running.
template <class Window>
std::unique_ptr<QTimer> WhenModal(std::function<void(Window*)> act) {
    auto poll = std::make_unique<QTimer>();
    poll->setInterval(5);
    QTimer* timer = poll.get();
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible()) {
            return;
        }
        timer->stop();
        act(window);
    });
    timer->start();
    return poll;
}

} // namespace chimewell::testing
