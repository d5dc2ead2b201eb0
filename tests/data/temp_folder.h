#pragma once
// A fresh folder per test, removed with everything in it afterwards, and whole-file helpers for the bytes
// the tests check.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace chimewell::testing {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "chimewell-data-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        Root = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(Root, std::filesystem::perms::owner_all, ignored);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Root, ignored)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
        }
        std::filesystem::remove_all(Root, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return Root; }
    std::string File(std::string_view name) const { return (Root / name).string(); }
    // The folder with its trailing separator, as the program passes folders around.
    std::string Folder() const { return Root.string() + "/"; }

private:
    std::filesystem::path Root;
};

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace chimewell::testing
