#pragma once
// The one-shot desktop actions a reminder can ask for, reached through one seam: the program installs the
// real ones at start, tests install recording fakes, and the code that fires reminders asks without knowing
// which. Nothing here reports to the user: the results only tell the caller.

#include <functional>
#include <string>

namespace chimewell {

struct DesktopActions {
    // Starts the program a command line names, with its arguments; false when nothing could be started.
    std::function<bool(const std::string& commandLine)> StartProgram;
    // Opens a file, a web address or a "mailto:" address with the desktop's handler for it.
    std::function<bool(const std::string& target)> OpenTarget;
    // Asks the system to switch the computer off, or to restart it; true when the request went out.
    std::function<bool()> PowerOff;
    std::function<bool()> Reboot;
    // The desktop's default beep.
    std::function<void()> Beep;
    // A desktop notification (title and text), where the desktop shows them.
    std::function<void(const std::string& title, const std::string& text)> Notify;
};

// The installed actions. Until something is installed every action does nothing and reports failure, so a
// program or test that forgot to install them can never power off or start anything by accident.
const DesktopActions& InstalledDesktopActions();

// Installs actions (a member left empty does nothing) and returns the ones it replaces.
DesktopActions InstallDesktopActions(DesktopActions actions);

} // namespace chimewell
