#include "data/ini_file.h"

#include "data/code_page.h"
#include "data/file_io.h"
#include "data/text_helpers.h"

#include <charconv>
#include <stdexcept>

namespace chimewell {

namespace {

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string_view name) {
    std::string result(Trim(name));
    for (char& c : result) {
        c = FoldCase(c);
    }
    return result;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

std::string SingleLine(std::string_view value) {
    std::string result(value);
    for (char& c : result) {
        if (c == '\r' || c == '\n' || c == '\0') {
            c = ' ';
        }
    }
    return result;
}

} // namespace

std::int32_t IniTextToInteger(std::string_view text, std::int32_t defaultValue) {
    std::string_view digits = text;
    bool hexadecimal = false;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        digits.remove_prefix(2);
        hexadecimal = true;
    } else if (text.starts_with('$')) {
        digits.remove_prefix(1);
        hexadecimal = true;
    }
    if (hexadecimal) {
        // A hexadecimal text names the 32 bits themselves, so $FFFFFFFF is -1.
        std::uint32_t bits = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), bits, 16);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
            return defaultValue;
        }
        return static_cast<std::int32_t>(bits);
    }
    if (digits.starts_with('+')) {
        digits.remove_prefix(1);
        if (digits.starts_with('-')) {
            return defaultValue;
        }
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        return defaultValue;
    }
    return value;
}

TIniFile::TIniFile(std::string fileName) : Path(std::move(fileName)) {
    Sections.push_back(Section{});
    std::string bytes;
    switch (ReadWholeFile(Path, bytes)) {
    case FileReadResult::Read:
        Parse(DecodeFileText(bytes));
        break;
    case FileReadResult::Missing:
        break;
    default:
        ReadFailed = true;
        break;
    }
}

void TIniFile::Parse(std::string_view text) {
    for (const std::string_view raw : SplitLines(text)) {
        const std::string_view line = Trim(raw);
        const std::size_t close = line.find(']');
        if (line.starts_with('[') && close != std::string_view::npos) {
            Section& added = Sections.emplace_back();
            added.Name = std::string(Trim(line.substr(1, close - 1)));
            SectionIndex.try_emplace(Folded(added.Name), Sections.size() - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string_view key =
            equals == std::string_view::npos ? std::string_view() : Trim(line.substr(0, equals));
        if (key.empty()) {
            Sections.back().Lines.push_back(Line{std::string(), std::string(raw)});
        } else {
            Sections.back().Lines.push_back(Line{std::string(key), std::string(Trim(line.substr(equals + 1)))});
        }
    }
}

const TIniFile::Section* TIniFile::FindSection(std::string_view name) const {
    std::string folded = Folded(name);
    if (LastLookupIndex == NoSection || folded != LastLookupName) {
        const auto found = SectionIndex.find(folded);
        if (found == SectionIndex.end()) {
            return nullptr;
        }
        LastLookupName = std::move(folded);
        LastLookupIndex = found->second;
    }
    return &Sections[LastLookupIndex];
}

const std::string* TIniFile::FindValue(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    const std::string_view wanted = Trim(key);
    for (const Line& line : found->Lines) {
        if (!line.Key.empty() && SameName(line.Key, wanted)) {
            return &line.Value;
        }
    }
    return nullptr;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    const std::string* value = FindValue(section, key);
    return std::string(FirstCharacters(value != nullptr ? *value : defaultValue, IniMaxValueCharacters));
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
    const std::string* value = FindValue(section, key);
    return value == nullptr ? defaultValue
                            : IniTextToInteger(FirstCharacters(*value, IniMaxValueCharacters), defaultValue);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(std::string_view section) const {
    return FindSection(section) != nullptr;
}

TIniFile::Section& TIniFile::SectionForWriting(std::string_view name) {
    const auto [position, added] = SectionIndex.try_emplace(Folded(name), Sections.size());
    if (added) {
        Sections.push_back(Section{std::string(Trim(name)), {}});
    }
    return Sections[position->second];
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Section& target = SectionForWriting(section);
    const std::string_view wanted = Trim(key);
    std::size_t afterLastKey = 0;
    for (std::size_t i = 0; i < target.Lines.size(); ++i) {
        Line& line = target.Lines[i];
        if (line.Key.empty()) {
            continue;
        }
        if (SameName(line.Key, wanted)) {
            line.Value = SingleLine(Trim(value));
            return;
        }
        afterLastKey = i + 1;
    }
    // After the section's last key, so that a blank line closing the section stays at its end.
    target.Lines.insert(target.Lines.begin() + static_cast<std::ptrdiff_t>(afterLastKey),
                        Line{std::string(wanted), SingleLine(Trim(value))});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string TIniFile::ToText() const {
    std::string text;
    for (std::size_t i = 0; i < Sections.size(); ++i) {
        if (i > 0) {
            text += '[';
            text += Sections[i].Name;
            text += "]\r\n";
        }
        for (const Line& line : Sections[i].Lines) {
            if (!line.Key.empty()) {
                text += line.Key;
                text += '=';
            }
            text += line.Value;
            text += "\r\n";
        }
    }
    return text;
}

void TIniFile::UpdateFile() const {
    if (ReadFailed) {
        throw std::runtime_error(UnableToWriteMessage(Path));
    }
    WriteFileAtomically(Path, EncodeFileText(ToText()));
}

} // namespace chimewell
