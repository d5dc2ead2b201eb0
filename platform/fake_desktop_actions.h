#pragma once
// A stand-in for the desktop actions that records what was asked instead of doing it. It installs itself
// for as long as it lives, so a test that holds one can never power off, open or start anything.

#include "platform/desktop_actions.h"

#include <string>
#include <vector>

namespace chimewell {

class RecordingDesktopActions {
public:
    RecordingDesktopActions();
    ~RecordingDesktopActions();
    RecordingDesktopActions(const RecordingDesktopActions&) = delete;
    RecordingDesktopActions& operator=(const RecordingDesktopActions&) = delete;

    std::vector<std::string> StartedPrograms; // command lines, as given
    std::vector<std::string> OpenedTargets;   // files and addresses, as given
    int PowerOffs = 0;
    int Reboots = 0;
    int Beeps = 0;
    std::vector<std::string> Notifications; // "title: text"
    // Every action in the order asked, as "StartProgram <line>", "OpenTarget <target>", "PowerOff", "Reboot"
    // "Beep" or "Notify <title>: <text>", for tests that care about the order.
    std::vector<std::string> Calls;

    // What the actions report back; a test sets false to see how callers take a refusal.
    bool Succeeds = true;

private:
    DesktopActions Previous;
};

} // namespace chimewell
