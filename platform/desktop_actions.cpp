#include "platform/desktop_actions.h"

#include <utility>

namespace chimewell {

namespace {

DesktopActions InertActions() {
    return DesktopActions{
        .StartProgram = [](const std::string&) { return false; },
        .OpenTarget = [](const std::string&) { return false; },
        .PowerOff = [] { return false; },
        .Reboot = [] { return false; },
        .Beep = [] {},
        .Notify = [](const std::string&, const std::string&) {},
    };
}

DesktopActions& Installed() {
    static DesktopActions actions = InertActions();
    return actions;
}

// Callers may call any member without checking it first.
DesktopActions Completed(DesktopActions actions) {
    DesktopActions inert = InertActions();
    if (!actions.StartProgram) {
        actions.StartProgram = std::move(inert.StartProgram);
    }
    if (!actions.OpenTarget) {
        actions.OpenTarget = std::move(inert.OpenTarget);
    }
    if (!actions.PowerOff) {
        actions.PowerOff = std::move(inert.PowerOff);
    }
    if (!actions.Reboot) {
        actions.Reboot = std::move(inert.Reboot);
    }
    if (!actions.Beep) {
        actions.Beep = std::move(inert.Beep);
    }
    return actions;
}

} // namespace

const DesktopActions& InstalledDesktopActions() {
    return Installed();
}

DesktopActions InstallDesktopActions(DesktopActions actions) {
    return std::exchange(Installed(), Completed(std::move(actions)));
}

} // namespace chimewell
