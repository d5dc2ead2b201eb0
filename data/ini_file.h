#pragma once
// INI files as the program stores them: sections in square brackets and key=value lines, GB18030 with CR LF
// on disk. A TIniFile reads its file once, answers reads and takes writes in memory, and UpdateFile writes the
// whole file back in one atomic step, so a save never leaves a file half written.
//
// Reading follows the platform's INI functions: section and key names match without regard to ASCII case,
// blanks around names and values do not count, other lines are ignored (and kept), the first of two equal
// sections or keys counts.
//
// A save changes only what was written: every other line of the file goes back byte for byte as it was read,
// bytes that no code page reads included. (A file a Linux editor saved in UTF-8 is the exception: it is read
// as UTF-8 and written back whole in GB18030, so that the file never mixes two code pages.)

#include "data/code_page.h"
#include "data/file_io.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace chimewell {

// Longest text a read returns, in characters; longer stored values come back cut to it.
inline constexpr int IniMaxValueCharacters = 2047;

class TIniFile {
public:
    // Reads the file; a missing file reads as empty and every read then gives its default. So does a file that
    // cannot be read, which ReadFailed tells.
    explicit TIniFile(std::string fileName);
    // As if the file held these bytes (the fuzzer's way in: no disk).
    TIniFile(std::string fileName, std::string bytes);
    // A piece of a file whose encoding is known from the whole of it.
    TIniFile(std::string fileName, std::string bytes, TextEncoding encoding);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const std::string& FileName() const { return Path; }
    // The file exists but could not be read: a folder, a FIFO, no permission, an I/O error.
    bool ReadFailed() const;
    // Nothing of that name was there to read.
    bool Missing() const { return ReadResult == FileReadResult::Missing; }
    // The bytes as read (empty for a missing or unreadable file).
    const std::string& StoredBytes() const { return Bytes; }
    // Why, as a short phrase for a message; empty when the file was read or is missing.
    std::string ReadFailureText() const;

    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    bool SectionExists(std::string_view section) const;
    // Every key of a section with its value as ReadString gives it: the keys written first, then those stored,
    // in file order. A key may come more than once; as with the reads, the first one counts. For reading a
    // whole record at once, which is far quicker than key by key in a large file.
    void ForEachValue(std::string_view section,
                      const std::function<void(std::string_view key, std::string_view value)>& visit) const;
    // The names of the sections in file order, the first of two equal ones only, then the sections written.
    std::vector<std::string> SectionNames() const;
    void ForEachSectionName(const std::function<void(std::string_view name)>& visit) const;
    // Every section in file order, then those written, each with a handle for ForEachValueAt; of two with one
    // name, both, the first first. Reading a whole list this way needs no look-up by name.
    void ForEachSection(const std::function<void(std::string_view name, std::size_t handle)>& visit) const;
    void ForEachValueAt(std::size_t handle,
                        const std::function<void(std::string_view key, std::string_view value)>& visit) const;
    // The handle of the section ForEachValue reads, 0 for none.
    std::size_t SectionHandle(std::string_view name) const;
    // The same values as they are stored: `encoded` says the value is still in the file's code page, for
    // DecodedValue to give as ForEachValue does. What is only compared or read as a number need not be decoded.
    void ForEachStoredValueAt(
        std::size_t handle,
        const std::function<void(std::string_view key, std::string_view value, bool encoded)>& visit) const;
    std::string DecodedValue(std::string_view stored) const;
    // The same with a decoder of the file's code page of the caller's own, so that several threads may read
    // one file at once (a decoder is not shared between threads).
    std::string DecodedValue(std::string_view stored, TextDecoder& decoder) const;
    TextEncoding StoredEncoding() const { return Encoding; }

    // Creates the section and the key when missing, else replaces the first key's value. A line break in the
    // value would end the line and could forge keys or sections, so CR, LF and NUL are stored as blanks.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    // Leaves every section of that name out of the file written; a later write makes it anew.
    void EraseSection(std::string_view name);
    // Forgets what the file held: the file written holds only what is written from now on.
    void DropStoredContents();
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // The whole file as UpdateFile would write it.
    std::string ToBytes() const;
    // Writes the whole file at once and returns the bytes written. Throws std::runtime_error "Unable to write to
    // <path>" when that fails, and also when the file exists but could not be read, since writing would lose its
    // contents.
    std::string UpdateFile() const;

private:
    struct Section;
    Section* FindSection(std::string_view name);
    const Section* FindSection(std::string_view name) const;
    const std::string* FindWrite(const Section& section, std::string_view key) const;
    bool FindStoredValue(const Section& section, std::string_view key, std::string_view& value) const;
    std::string ReadRaw(std::string_view section, std::string_view key, bool& found) const;
    void Parse();
    void AppendSection(const Section& section, bool plainCrLf, std::string& out) const;
    void AppendLine(std::string_view raw, std::string& out) const;

    std::string Path;
    FileReadResult ReadResult = FileReadResult::Missing;
    int ReadError = 0;
    // The file as read.
    std::string Bytes;
    TextEncoding Encoding = TextEncoding::Gb18030;
    std::unique_ptr<TextDecoder> Decoder;
    // The first entry holds the lines before the first section header and has no header of its own.
    std::vector<Section> Sections;
    // Folded section name -> index of its first section. Built only once the file is read section by section
    // (loading a list); a save looks up two sections and finds them faster by walking the list.
    mutable std::unordered_map<std::string, std::size_t> SectionIndex;
    mutable bool Indexed = false;
    // No two sections of the file share a name, and where the next look-up is likely to find its section.
    mutable bool UniqueNames = false;
    mutable std::size_t NextGuess = 0;
    mutable int LookupsWithoutIndex = 0;
    std::size_t IndexOfSection(std::string_view name) const;
};

// The integer rules of stored values: signed decimal, or hexadecimal after "$" or "0x"/"0X" (only when the
// text is longer than two characters), within 32 bits; anything else gives the default.
std::int32_t IniTextToInteger(std::string_view text, std::int32_t defaultValue);

} // namespace chimewell
