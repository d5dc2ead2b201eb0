#include "app/program_end.h"

#include <QCoreApplication>

#include <utility>

namespace chimewell {

namespace {
bool Ending = false;

std::function<void()>& Hook() {
    static std::function<void()> hook;
    return hook;
}
} // namespace

void EndProgram() {
    if (Ending) {
        return;
    }
    Ending = true;
    if (Hook()) {
        Hook()();
    }
    // exit, not quit: quit asks the windows first, and the main window declines to close (it hides).
    QCoreApplication::exit(0);
}

bool ProgramIsEnding() {
    return Ending;
}

void SetProgramEndHook(std::function<void()> hook) {
    Hook() = std::move(hook);
}

} // namespace chimewell
