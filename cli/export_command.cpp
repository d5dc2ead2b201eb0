#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "data/constants.h"
#include "data/paths.h"
#include "data/reminder_list.h"
#include "exchange/exchange_file.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace chimewell::cli {

namespace {

// "2,5" -> {2, 5}: 1-based positions in list order, each once.
std::vector<std::int32_t> ParseItems(const std::string& text) {
    std::vector<std::int32_t> numbers;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        numbers.push_back(ParseInteger(part, "position in --items", 1, MaxDataItems));
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

} // namespace

int RunExport(const Arguments& arguments, std::ostream&, std::ostream&) {
    const ParsedArguments parsed = ParseArguments(arguments, {}, {"--dir", "--items"});
    const auto items = parsed.Values.find("--items");
    if (items == parsed.Values.end()) {
        throw UsageError("export needs --items, the positions of the reminders from 1 (--items 2,5)");
    }
    if (parsed.Positional.size() != 1) {
        throw UsageError("export needs exactly one FILE to write");
    }
    const std::vector<std::int32_t> numbers = ParseItems(items->second);
    const std::string folder = DataFolder(parsed);
    const std::string& file = parsed.Positional.front();

    LoadedFolder loaded;
    LoadFolder(folder, loaded);
    const TRmDataList& list = loaded.List;
    if (numbers.back() > list.Count) {
        throw std::runtime_error("there is no reminder " + std::to_string(numbers.back()) + ": the list holds " +
                                 std::to_string(list.Count));
    }
    if (!ExportReminders(list.FileName, file, numbers)) {
        throw std::runtime_error("'" + file + "' exists already; an export never writes into an existing file");
    }
    return 0;
}

} // namespace chimewell::cli
