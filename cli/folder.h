#pragma once
// The folder the reminder commands read: where it is, and its settings and reminders as the program has them.

#include "cli/arguments.h"
#include "data/reminder_list.h"
#include "data/settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace chimewell::cli {

// The folder given with --dir, ending in "/", or the folder the program keeps its files in (never created by a
// command that only reads). A --dir that is not a folder is a UsageError.
std::string DataFolder(const ParsedArguments& parsed);

struct LoadedFolder {
    TRmConfig Config;
    TRmDataList List;
};

// The folder's settings and reminders. A data file that cannot be read throws std::runtime_error naming it.
void LoadFolder(const std::string& folder, LoadedFolder& loaded);

// The positions of --items ("2,5"): counted from 1 in list order, each once, ascending. A malformed one is a
// UsageError, told before any file is read.
std::vector<std::int32_t> ParseItemPositions(const std::string& text);
// A position beyond the list throws std::runtime_error saying how many the list holds.
void RefuseMissingItems(const std::vector<std::int32_t>& numbers, const TRmDataList& list);

} // namespace chimewell::cli
