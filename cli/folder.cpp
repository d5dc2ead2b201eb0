#include "cli/folder.h"

#include "data/paths.h"

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

} // namespace chimewell::cli
