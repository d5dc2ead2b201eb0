#pragma once
// Driving windows that wait for an answer from a test: an application for the offscreen platform, and actions
// that wait for a window of a given kind to show (the modal one, or a pop-up that waits without being modal)
// and then act on it from inside its event loop.

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

// The visible window of type Window that waits for an answer: the modal one, else a shown top-level window of
// that type (the reminder's pop-ups wait without being modal, so as to leave the focus alone).
template <class Window>
Window* ShowingWindow() {
    if (auto* modal = qobject_cast<Window*>(QApplication::activeModalWidget()); modal && modal->isVisible()) {
        return modal;
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

// Once a visible window of type Window is up (see ShowingWindow), calls `act` with it, once. The poll stops when the
// returned object goes, so a test that never sees the window does not leave it running.
template <class Window>
std::unique_ptr<QTimer> WhenModal(std::function<void(Window*)> act) {
    auto poll = std::make_unique<QTimer>();
    poll->setInterval(5);
    QTimer* timer = poll.get();
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        Window* window = ShowingWindow<Window>();
        if (window == nullptr) {
            return;
        }
        timer->stop();
        act(window);
    });
    timer->start();
    return poll;
}

} // namespace chimewell::testing
