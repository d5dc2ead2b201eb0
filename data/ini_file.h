#pragma once
// INI files as the program stores them: sections in square brackets and key=value lines, GB18030 with CR LF
// on disk. A TIniFile reads and parses its file once, answers reads and takes writes in memory, and
// UpdateFile writes the whole file back in one atomic step, so a save never leaves a file half written.
//
// Reading follows the platform's INI functions: section and key names match without regard to ASCII case,
// blanks around names and values do not count, other lines are ignored (and kept), the first of two equal
// sections or keys counts.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace chimewell {

// Longest text a read returns, in characters; longer stored values come back cut to it.
inline constexpr int IniMaxValueCharacters = 2047;

class TIniFile {
public:
    // Reads the file; a missing or unreadable file reads as empty, and every read then gives its default.
    explicit TIniFile(std::string fileName);

    const std::string& FileName() const { return Path; }

    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    bool SectionExists(std::string_view section) const;

    // Creates the section and the key when missing, else replaces the first key's value. A line break in the
    // value would end the line and could forge keys or sections, so CR, LF and NUL are stored as blanks.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // The whole document as it would be written, before encoding.
    std::string ToText() const;
    // Writes the whole document to the file at once. Throws std::runtime_error "Unable to write to <path>" when
    // that fails, and also when the file exists but could not be read, since writing would lose its contents.
    void UpdateFile() const;

private:
    // A key line; a line that is neither a section nor a key has an empty Key and its whole text in Value.
    struct Line {
        std::string Key;
        std::string Value;
    };
    struct Section {
        std::string Name;
        std::vector<Line> Lines;
    };

    void Parse(std::string_view text);
    const Section* FindSection(std::string_view name) const;
    Section& SectionForWriting(std::string_view name);
    const std::string* FindValue(std::string_view section, std::string_view key) const;

    std::string Path;
    bool ReadFailed = false;
    // The first entry holds the lines before the first section header and has no header of its own.
    std::vector<Section> Sections;
    // Folded section name -> index of its first section.
    std::unordered_map<std::string, std::size_t> SectionIndex;
    // The last section looked up, since values are mostly read section by section.
    mutable std::string LastLookupName;
    static constexpr std::size_t NoSection = static_cast<std::size_t>(-1);
    mutable std::size_t LastLookupIndex = NoSection;
};

// The integer rules of stored values: signed decimal, or hexadecimal after "$" or "0x"/"0X" (only when the
// text is longer than two characters), within 32 bits; anything else gives the default.
std::int32_t IniTextToInteger(std::string_view text, std::int32_t defaultValue);

} // namespace chimewell
