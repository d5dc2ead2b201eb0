#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "data/reminder_list.h"
#include "exchange/exchange_file.h"

#include <stdexcept>

namespace chimewell::cli {

int RunExport(const Arguments& arguments, std::ostream&, std::ostream& err) {
    const ParsedArguments parsed = ParseArguments(arguments, {}, {"--dir", "--items"});
    const auto items = parsed.Values.find("--items");
    if (items == parsed.Values.end()) {
        throw UsageError("export needs --items, the positions of the reminders from 1 (--items 2,5)");
    }
    if (parsed.Positional.size() != 1) {
        throw UsageError("export needs exactly one FILE to write");
    }
    const std::vector<std::int32_t> numbers = ParseItemPositions(items->second);
    const std::string folder = DataFolder(parsed);
    const std::string& file = parsed.Positional.front();

    LoadedFolder loaded;
    LoadFolder(folder, loaded);
    const TRmDataList& list = loaded.List;
    RefuseMissingItems(numbers, list);
    std::string leftBehind;
    if (!ExportReminders(list.FileName, file, numbers, &leftBehind)) {
        throw std::runtime_error("'" + file + "' exists already; an export never writes into an existing file");
    }
    if (!leftBehind.empty()) {
        err << "chimewell-cli: " << leftBehind << "\n";
    }
    return 0;
}

} // namespace chimewell::cli
