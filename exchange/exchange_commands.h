#pragma once
// The main window's export and import commands. They work file to file, as the exchange files need: the
// export copies from the data file, the import appends to it and then reloads the list. The export window
// comes in through a hook, the file choosers and message boxes through their seams, so the commands run the
// same with the real windows and in tests.

#include "data/reminder_list.h"
#include "data/settings.h"
#include "exchange/ical_file.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace chimewell {

enum class ExportFormat { Exchange, ICalendar };

// What the export window asks: which reminders, and into what kind of file.
struct TExportChoice {
    // 1-based positions, ascending.
    std::vector<std::int32_t> Numbers;
    ExportFormat Format = ExportFormat::Exchange;
    // For iCalendar: how many years the lists of dates reach, and lunar rules as RFC 7529 rules.
    int Years = 10;
    bool LunarRules = false;
};

struct TExchangeHooks {
    // Shows the export window over the lines of the list; the choice, or nothing when the user cancelled.
    std::function<std::optional<TExportChoice>(const std::vector<std::string>& lines)> ChooseReminders;
    // Rebuilds every line of the list from the reminders.
    std::function<void()> RefreshRecordList;
    // Runs an open search again.
    std::function<void()> DoSearch;
    // Reads a calendar file where the windows stay answerable and reminders go on firing (another thread, with
    // a window that offers 取消); without it the reading runs here.
    std::function<TIcsImportFile(const std::function<TIcsImportFile(const std::atomic<bool>& cancel)>& read)>
        ReadCalendar;
    // Writes the calendar file likewise; what the writing returned.
    std::function<bool(const std::function<bool()>& write)> WriteCalendar;
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

// The name an iCalendar export writes to: the chosen name, with ".ics" appended unless it ends so (in any letter
// case).
std::string IcsExportFileName(const std::string& chosen);

// The folder part of a path, with its trailing separator; empty when the path names no folder.
std::string DirectoryOf(const std::string& path);

} // namespace chimewell
