#include "data/ini_file.h"

#include "data/text_helpers.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <stdexcept>

namespace chimewell {

namespace {

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view Gb18030ByteOrderMark = "\x84\x31\x95\x33";
constexpr std::string_view LineEnd = "\r\n";
// "; 编码：GB18030" in GB18030.
constexpr std::string_view CodePageMarkLine = "; \xB1\xE0\xC2\xEB\xA3\xBAGB18030";

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// The end of the line that begins at `begin` (before its break), and where the next line begins.
std::size_t LineEndFrom(std::string_view bytes, std::size_t begin, std::size_t limit) {
    std::size_t end = begin;
    while (end < limit && !IsLineBreak(bytes[end])) {
        ++end;
    }
    return end;
}

std::size_t NextLineFrom(std::string_view bytes, std::size_t lineEnd, std::size_t limit) {
    if (lineEnd >= limit) {
        return limit;
    }
    return lineEnd + (bytes[lineEnd] == '\r' && lineEnd + 1 < limit && bytes[lineEnd + 1] == '\n' ? 2 : 1);
}

// Every line ends in CR LF, the last one included: such text can be copied as it is.
bool IsPlainCrLf(std::string_view bytes) {
    // As many CRs as LFs, and none of either alone: then every CR is the first half of a CR LF.
    const auto lineFeeds = std::count(bytes.begin(), bytes.end(), '\n');
    const auto carriageReturns = std::count(bytes.begin(), bytes.end(), '\r');
    if (lineFeeds != carriageReturns || (!bytes.empty() && !bytes.ends_with(LineEnd))) {
        return false;
    }
    for (std::size_t at = bytes.find('\r'); at != std::string_view::npos; at = bytes.find('\r', at + 2)) {
        if (at + 1 == bytes.size() || bytes[at + 1] != '\n') {
            return false;
        }
    }
    return true;
}

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

struct TIniFile::Section {
    std::string Name; // as its header gives it, trimmed; empty for the lines before the first header
    bool FromFile = false;
    // Byte offsets into the file: the header line, the first line after it, and where the next section begins.
    std::size_t HeaderBegin = 0;
    std::size_t BodyBegin = 0;
    std::size_t End = 0;
    // Keys written, in the order of their first write, with their values.
    std::vector<std::pair<std::string, std::string>> Writes;
    // Left out of the file written, header, keys and all.
    bool Erased = false;
};

TIniFile::TIniFile(std::string fileName) : Path(std::move(fileName)) {
    ReadResult = ReadWholeFile(Path, Bytes);
    ReadError = errno;
    if (ReadResult != FileReadResult::Read) {
        Bytes.clear();
    }
    Encoding = DetectTextEncoding(Bytes);
    Decoder = std::make_unique<TextDecoder>(Encoding);
    Parse();
}

TIniFile::TIniFile(std::string fileName, std::string bytes)
    : Path(std::move(fileName)), ReadResult(FileReadResult::Read), Bytes(std::move(bytes)) {
    Encoding = DetectTextEncoding(Bytes);
    Decoder = std::make_unique<TextDecoder>(Encoding);
    Parse();
}

TIniFile::TIniFile(std::string fileName, std::string bytes, TextEncoding encoding)
    : Path(std::move(fileName)), ReadResult(FileReadResult::Read), Bytes(std::move(bytes)), Encoding(encoding) {
    Decoder = std::make_unique<TextDecoder>(Encoding);
    Parse();
}

TIniFile::~TIniFile() = default;

bool TIniFile::ReadFailed() const {
    return ReadResult != FileReadResult::Read && ReadResult != FileReadResult::Missing;
}

std::string TIniFile::ReadFailureText() const {
    return ReadFailed() ? FileReadFailureText(ReadResult, ReadError) : std::string();
}

void TIniFile::Parse() {
    // A byte-order mark is not part of the first line.
    // (An editor may even have written it twice.)
    std::size_t contentStart = 0;
    for (bool found = true; found;) {
        const std::string_view rest = std::string_view(Bytes).substr(contentStart);
        found = false;
        for (const std::string_view mark : {Utf8ByteOrderMark, Gb18030ByteOrderMark}) {
            if (rest.starts_with(mark)) {
                contentStart += mark.size();
                found = true;
            }
        }
    }
    Sections.push_back(Section{{}, true, contentStart, contentStart, Bytes.size(), {}});
    const std::string_view bytes(Bytes);
    // One section a reminder in a data file: room for all of them at once.
    const auto brackets = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '['));
    Sections.reserve(brackets + 1);
    // Only a line whose first non-blank character is "[" can be a header; looking for "[" alone keeps the
    // reading of a large file to a quick scan. (A GBK trail byte can be "[", but never at the start of a line.)
    for (std::size_t at = bytes.find('[', contentStart); at != std::string_view::npos; at = bytes.find('[', at + 1)) {
        std::size_t lineStart = at;
        while (lineStart > contentStart && (bytes[lineStart - 1] == ' ' || bytes[lineStart - 1] == '\t')) {
            --lineStart;
        }
        if (lineStart > contentStart && !IsLineBreak(bytes[lineStart - 1])) {
            continue;
        }
        const std::size_t lineEnd = LineEndFrom(bytes, at, bytes.size());
        const std::string header = Decoder->Decode(Trim(bytes.substr(at, lineEnd - at)));
        const std::size_t close = header.find(']');
        if (close == std::string::npos) {
            continue;
        }
        Sections.back().End = lineStart;
        Section& added = Sections.emplace_back();
        added.Name = std::string(Trim(std::string_view(header).substr(1, close - 1)));
        added.FromFile = true;
        added.HeaderBegin = lineStart;
        added.BodyBegin = NextLineFrom(bytes, lineEnd, bytes.size());
        added.End = bytes.size();
        at = lineEnd;
    }
}

TIniFile::Section* TIniFile::FindSection(std::string_view name) {
    return const_cast<Section*>(static_cast<const TIniFile&>(*this).FindSection(name));
}

std::size_t TIniFile::IndexOfSection(std::string_view name) const {
    constexpr std::size_t None = static_cast<std::size_t>(-1);
    constexpr int LookupsBeforeIndexing = 64;
    if (!Indexed && ++LookupsWithoutIndex > LookupsBeforeIndexing) {
        SectionIndex.reserve(Sections.size());
        UniqueNames = true;
        for (std::size_t i = 1; i < Sections.size(); ++i) {
            if (!Sections[i].Erased && !SectionIndex.try_emplace(Folded(Sections[i].Name), i).second) {
                UniqueNames = false;
            }
        }
        Indexed = true;
    }
    if (Indexed) {
        // A list is read section after section: the one after the last found is looked at first. With every
        // name once in the file, a section of that name is the one asked for.
        if (UniqueNames && NextGuess < Sections.size() && !Sections[NextGuess].Erased &&
            SameName(Sections[NextGuess].Name, Trim(name))) {
            return NextGuess++;
        }
        const auto found = SectionIndex.find(Folded(name));
        if (found == SectionIndex.end()) {
            return None;
        }
        NextGuess = found->second + 1;
        return found->second;
    }
    const std::string_view wanted = Trim(name);
    for (std::size_t i = 1; i < Sections.size(); ++i) {
        if (!Sections[i].Erased && SameName(Sections[i].Name, wanted)) {
            return i;
        }
    }
    return None;
}

const TIniFile::Section* TIniFile::FindSection(std::string_view name) const {
    const std::size_t index = IndexOfSection(name);
    return index == static_cast<std::size_t>(-1) ? nullptr : &Sections[index];
}

const std::string* TIniFile::FindWrite(const Section& section, std::string_view key) const {
    for (const auto& [name, value] : section.Writes) {
        if (SameName(name, key)) {
            return &value;
        }
    }
    return nullptr;
}

bool TIniFile::FindStoredValue(const Section& section, std::string_view key, std::string_view& value) const {
    if (!section.FromFile) {
        return false;
    }
    const std::string_view bytes(Bytes);
    for (std::size_t line = section.BodyBegin; line < section.End;) {
        const std::size_t lineEnd = LineEndFrom(bytes, line, section.End);
        const std::string_view text = Trim(bytes.substr(line, lineEnd - line));
        // "=" is never a byte of a multibyte GB18030 or UTF-8 character, so it can be looked for in the bytes.
        const std::size_t equals = text.find('=');
        if (equals != std::string_view::npos && SameName(Trim(text.substr(0, equals)), key) &&
            !Trim(text.substr(0, equals)).empty()) {
            value = Trim(text.substr(equals + 1));
            return true;
        }
        line = NextLineFrom(bytes, lineEnd, section.End);
    }
    return false;
}

std::string TIniFile::ReadRaw(std::string_view section, std::string_view key, bool& found) const {
    found = false;
    const Section* in = FindSection(section);
    if (in == nullptr) {
        return {};
    }
    const std::string_view wanted = Trim(key);
    if (const std::string* written = FindWrite(*in, wanted)) {
        found = true;
        return *written;
    }
    std::string_view stored;
    if (!FindStoredValue(*in, wanted, stored)) {
        return {};
    }
    found = true;
    return Decoder->Decode(stored);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    bool found = false;
    const std::string value = ReadRaw(section, key, found);
    return std::string(FirstCharacters(found ? std::string_view(value) : defaultValue, IniMaxValueCharacters));
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, std::int32_t defaultValue) const {
    bool found = false;
    const std::string value = ReadRaw(section, key, found);
    return found ? IniTextToInteger(FirstCharacters(value, IniMaxValueCharacters), defaultValue) : defaultValue;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::ForEachValue(std::string_view section,
                            const std::function<void(std::string_view key, std::string_view value)>& visit) const {
    ForEachValueAt(SectionHandle(section), visit);
}

void TIniFile::ForEachSection(const std::function<void(std::string_view name, std::size_t handle)>& visit) const {
    for (std::size_t i = 1; i < Sections.size(); ++i) {
        if (!Sections[i].Erased) {
            visit(Sections[i].Name, i);
        }
    }
}

void TIniFile::ForEachValueAt(std::size_t handle,
                              const std::function<void(std::string_view key, std::string_view value)>& visit) const {
    ForEachStoredValueAt(handle, [&](std::string_view key, std::string_view value, bool encoded) {
        if (!encoded) {
            visit(key, value);
            return;
        }
        const std::string text = DecodedValue(value);
        visit(key, text);
    });
}

std::string TIniFile::DecodedValue(std::string_view stored) const {
    return DecodedValue(stored, *Decoder);
}

std::string TIniFile::DecodedValue(std::string_view stored, TextDecoder& decoder) const {
    std::string text = decoder.Decode(stored);
    text.resize(FirstCharacters(text, IniMaxValueCharacters).size());
    return text;
}

void TIniFile::ForEachStoredValueAt(
    std::size_t handle,
    const std::function<void(std::string_view key, std::string_view value, bool encoded)>& visit) const {
    if (handle == 0 || handle >= Sections.size() || Sections[handle].Erased) {
        return;
    }
    const Section* in = &Sections[handle];
    for (const auto& [key, value] : in->Writes) {
        visit(key, FirstCharacters(value, IniMaxValueCharacters), false);
    }
    if (!in->FromFile) {
        return;
    }
    const std::string_view bytes(Bytes);
    for (std::size_t line = in->BodyBegin; line < in->End;) {
        // One pass over the line finds both its end and its first "=": every line of a long list comes here.
        std::size_t lineEnd = line;
        std::size_t equals = std::string_view::npos;
        for (; lineEnd < in->End && !IsLineBreak(bytes[lineEnd]); ++lineEnd) {
            if (bytes[lineEnd] == '=' && equals == std::string_view::npos) {
                equals = lineEnd;
            }
        }
        if (equals != std::string_view::npos) {
            const std::string_view key = TrimBlanks(bytes.substr(line, equals - line));
            if (!key.empty()) {
                visit(key, TrimBlanks(bytes.substr(equals + 1, lineEnd - equals - 1)), true);
            }
        }
        line = NextLineFrom(bytes, lineEnd, in->End);
    }
}

std::size_t TIniFile::SectionHandle(std::string_view name) const {
    const std::size_t index = IndexOfSection(name);
    return index == static_cast<std::size_t>(-1) ? 0 : index;
}

bool TIniFile::SectionExists(std::string_view section) const {
    return FindSection(section) != nullptr;
}

void TIniFile::ForEachSectionName(const std::function<void(std::string_view name)>& visit) const {
    for (std::size_t i = 1; i < Sections.size(); ++i) {
        if (IndexOfSection(Sections[i].Name) == i) {
            visit(Sections[i].Name);
        }
    }
}

std::vector<std::string> TIniFile::SectionNames() const {
    std::vector<std::string> names;
    ForEachSectionName([&names](std::string_view name) { names.emplace_back(name); });
    return names;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Section* target = FindSection(section);
    if (target == nullptr) {
        if (Indexed) {
            SectionIndex.emplace(Folded(section), Sections.size());
        }
        target = &Sections.emplace_back();
        target->Name = std::string(Trim(section));
    }
    const std::string_view wanted = Trim(key);
    std::string stored = SingleLine(Trim(value));
    for (auto& [name, written] : target->Writes) {
        if (SameName(name, wanted)) {
            written = std::move(stored);
            return;
        }
    }
    target->Writes.emplace_back(std::string(wanted), std::move(stored));
}

void TIniFile::EraseSection(std::string_view name) {
    const std::string_view wanted = Trim(name);
    for (std::size_t i = 1; i < Sections.size(); ++i) {
        if (SameName(Sections[i].Name, wanted)) {
            Sections[i].Erased = true;
        }
    }
    if (Indexed) {
        SectionIndex.erase(Folded(name));
    }
}

void TIniFile::DropStoredContents() {
    Bytes.clear();
    Encoding = TextEncoding::Gb18030;
    Decoder = std::make_unique<TextDecoder>(Encoding);
    Sections.clear();
    SectionIndex.clear();
    Indexed = false;
    UniqueNames = false;
    NextGuess = 0;
    LookupsWithoutIndex = 0;
    Parse();
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::AppendLine(std::string_view raw, std::string& out) const {
    if (Encoding == TextEncoding::Gb18030) {
        out.append(raw);
    } else {
        // A UTF-8 file is written back in the code page of every other file.
        out += EncodeFileText(Decoder->Decode(raw));
    }
    out.append(LineEnd);
}

void TIniFile::AppendSection(const Section& section, bool plainCrLf, std::string& out) const {
    const std::string_view bytes(Bytes);
    if (!section.FromFile) {
        out += '[';
        out += EncodeFileText(section.Name);
        out += ']';
        out.append(LineEnd);
        for (const auto& [key, value] : section.Writes) {
            out += EncodeFileText(key) + '=' + EncodeFileText(value);
            out.append(LineEnd);
        }
        return;
    }
    if (section.Writes.empty() && plainCrLf) {
        out.append(bytes.substr(section.HeaderBegin, section.End - section.HeaderBegin));
        return;
    }
    if (section.BodyBegin > section.HeaderBegin) {
        AppendLine(bytes.substr(section.HeaderBegin,
                                LineEndFrom(bytes, section.HeaderBegin, section.End) - section.HeaderBegin),
                   out);
    }
    // The lines of the body; written keys take the place of their first line, new ones follow the last key,
    // so that blank lines and comments closing the section stay at its end.
    struct BodyLine {
        std::string_view Raw;
        std::string_view Key;
    };
    std::vector<BodyLine> lines;
    std::size_t afterLastKey = 0;
    for (std::size_t line = section.BodyBegin; line < section.End;) {
        const std::size_t lineEnd = LineEndFrom(bytes, line, section.End);
        const std::string_view raw = bytes.substr(line, lineEnd - line);
        const std::string_view text = Trim(raw);
        const std::size_t equals = text.find('=');
        const std::string_view key =
            equals == std::string_view::npos ? std::string_view() : Trim(text.substr(0, equals));
        lines.push_back({raw, key});
        if (!key.empty()) {
            afterLastKey = lines.size();
        }
        line = NextLineFrom(bytes, lineEnd, section.End);
    }
    std::vector<bool> placed(section.Writes.size(), false);
    const auto appendNewKeys = [&] {
        for (std::size_t w = 0; w < section.Writes.size(); ++w) {
            if (!placed[w]) {
                placed[w] = true;
                out += EncodeFileText(section.Writes[w].first) + '=' + EncodeFileText(section.Writes[w].second);
                out.append(LineEnd);
            }
        }
    };
    if (afterLastKey == 0) {
        appendNewKeys();
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bool replaced = false;
        if (!lines[i].Key.empty()) {
            for (std::size_t w = 0; w < section.Writes.size(); ++w) {
                if (!placed[w] && SameName(lines[i].Key, section.Writes[w].first)) {
                    placed[w] = true;
                    replaced = true;
                    std::string keyText(lines[i].Key);
                    if (Encoding == TextEncoding::Utf8) {
                        keyText = EncodeFileText(Decoder->Decode(keyText));
                    }
                    out += keyText + '=' + EncodeFileText(section.Writes[w].second);
                    out.append(LineEnd);
                    break;
                }
            }
        }
        if (!replaced) {
            AppendLine(lines[i].Raw, out);
        }
        if (i + 1 == afterLastKey) {
            appendNewKeys();
        }
    }
}

std::string TIniFile::ToBytes() const {
    std::string out;
    out.reserve(Bytes.size() + 1024);
    const std::size_t contentStart = Sections.front().HeaderBegin;
    bool plainCrLf = false;
    if (Encoding == TextEncoding::Gb18030) {
        // A GB18030 byte-order mark stays, as every other byte of the file does.
        out.append(std::string_view(Bytes).substr(0, contentStart));
        plainCrLf = IsPlainCrLf(std::string_view(Bytes).substr(contentStart));
    }
    for (const Section& section : Sections) {
        if (!section.Erased) {
            AppendSection(section, plainCrLf, out);
        }
    }
    // A GB18030 file whose bytes all happen to form UTF-8 would be read as UTF-8 next time, and every line
    // then turned into other characters. A comment line of bytes UTF-8 does not allow keeps it read right; INI
    // readers, the older program's included, skip it.
    if (DetectTextEncoding(out) == TextEncoding::Utf8) {
        out.append(CodePageMarkLine);
        out.append(LineEnd);
    }
    return out;
}

std::string TIniFile::UpdateFile() const {
    if (ReadFailed()) {
        throw std::runtime_error(UnableToWriteMessage(Path));
    }
    std::string bytes = ToBytes();
    WriteFileAtomically(Path, bytes);
    return bytes;
}

} // namespace chimewell
