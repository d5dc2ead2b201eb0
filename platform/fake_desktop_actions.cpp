#include "platform/fake_desktop_actions.h"

#include <utility>

namespace chimewell {

RecordingDesktopActions::RecordingDesktopActions() {
    Previous = InstallDesktopActions(DesktopActions{
        .StartProgram =
            [this](const std::string& commandLine) {
                StartedPrograms.push_back(commandLine);
                Calls.push_back("StartProgram " + commandLine);
                return Succeeds;
            },
        .OpenTarget =
            [this](const std::string& target) {
                OpenedTargets.push_back(target);
                Calls.push_back("OpenTarget " + target);
                return Succeeds;
            },
        .PowerOff =
            [this] {
                ++PowerOffs;
                Calls.emplace_back("PowerOff");
                return Succeeds;
            },
        .Reboot =
            [this] {
                ++Reboots;
                Calls.emplace_back("Reboot");
                return Succeeds;
            },
        .Beep =
            [this] {
                ++Beeps;
                Calls.emplace_back("Beep");
            },
        .Notify =
            [this](const std::string& title, const std::string& text) {
                Notifications.push_back(title + ": " + text);
                Calls.push_back("Notify " + title + ": " + text);
            },
    });
}

RecordingDesktopActions::~RecordingDesktopActions() {
    InstallDesktopActions(std::move(Previous));
}

} // namespace chimewell
