#pragma once
// The main window's export and import commands. They work file to file, as the exchange files need: the
// export copies from the data file, the import appends to it and then reloads the list. The export window
// comes in through a hook, the file choosers and message boxes through their seams, so the commands run the
// same with the real windows and in tests.

#include "data/reminder_list.h"
#include "data/settings.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace chimewell {

struct TExchangeHooks {
    // Shows the export window over the lines of the list; the 1-based positions of the chosen lines,
    // ascending, or nothing when the user cancelled.
    std::function<std::optional<std::vector<std::int32_t>>(const std::vector<std::string>& lines)> ChooseReminders;
    // Rebuilds every line of the list from the reminders.
    std::function<void()> RefreshRecordList;
    // Runs an open search again.
    std::function<void()> DoSearch;
};

struct TExchangeCommands {
    TRmDataList& List;
    TRmConfig& Config;
    TExchangeHooks Hooks;

    void Export();
    void Import();
};

// The name the export writes to: the chosen name, with ".txt" appended unless it already ends so (exactly,
// letter case included).
std::string ExportFileName(const std::string& chosen);

// The folder part of a path, with its trailing separator; empty when the path names no folder.
std::string DirectoryOf(const std::string& path);

} // namespace chimewell
