#include "cli/folder.h"

#include "data/constants.h"
#include "data/paths.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace chimewell::cli {

std::string DataFolder(const ParsedArguments& parsed) {
    const auto dir = parsed.Values.find("--dir");
    if (dir == parsed.Values.end()) {
        return ProgramFilesFolder(false);
    }
    std::error_code error;
    if (!std::filesystem::is_directory(dir->second, error)) {
        throw UsageError("--dir '" + dir->second + "' is not a folder");
    }
    return dir->second.back() == '/' ? dir->second : dir->second + "/";
}

void LoadFolder(const std::string& folder, LoadedFolder& loaded) {
    loaded.Config.InitDefaults(folder, 265, 202, 429, 279);
    loaded.Config.LoadConfig();
    loaded.List.Reset(loaded.Config.DataFilePath());
    loaded.List.Load();
    if (!loaded.List.LoadFailure.empty()) {
        throw std::runtime_error(loaded.List.LoadFailure);
    }
}

std::vector<std::int32_t> ParseItemPositions(const std::string& text) {
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

void RefuseMissingItems(const std::vector<std::int32_t>& numbers, const TRmDataList& list) {
    if (!numbers.empty() && numbers.back() > list.Count) {
        throw std::runtime_error("there is no reminder " + std::to_string(numbers.back()) + ": the list holds " +
                                 std::to_string(list.Count));
    }
}

} // namespace chimewell::cli
