#include "data/reminder_stream.h"

#include "data/code_page.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"
#include "data/text_helpers.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace chimewell {

namespace {

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

// The file in pieces that each end at a line break, after at least `pieceBytes` when the file has more;
// `cut` tells whether a piece may end before the line that starts the view it is given.
class PieceReader {
public:
    PieceReader(int descriptor, std::size_t pieceBytes) : Descriptor(descriptor), PieceBytes(pieceBytes) {}

    // The next piece, empty at the end; nothing when reading failed.
    template <class CanCut>
    std::optional<std::string> Next(const CanCut& cut) {
        // Lines before `from` were looked at already: a long stretch without a place to cut is scanned once.
        std::size_t from = 0;
        for (;;) {
            while (!Ended && Buffer.size() <= PieceBytes) {
                if (!Fill()) {
                    return std::nullopt;
                }
            }
            for (std::size_t at = Buffer.find('\n', std::max(from, std::min(PieceBytes, Buffer.size())));
                 at != std::string::npos && at + 1 < Buffer.size(); at = Buffer.find('\n', at + 1)) {
                if (cut(std::string_view(Buffer).substr(at + 1))) {
                    std::string piece = Buffer.substr(0, at + 1);
                    Buffer.erase(0, at + 1);
                    return piece;
                }
                from = at + 1;
            }
            if (Ended) {
                std::string piece = std::move(Buffer);
                Buffer.clear();
                return piece;
            }
            // No place to cut yet (the last line may still be growing): read on.
            if (!Fill()) {
                return std::nullopt;
            }
        }
    }

private:
    bool Fill() {
        char block[65536];
        for (;;) {
            const ssize_t got = read(Descriptor, block, sizeof block);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return false;
            }
            Ended = got == 0;
            Buffer.append(block, static_cast<std::size_t>(got));
            return true;
        }
    }

    int Descriptor;
    std::size_t PieceBytes;
    std::string Buffer;
    bool Ended = false;
};

class Descriptor {
public:
    explicit Descriptor(const std::string& path) : Handle(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~Descriptor() {
        if (Handle >= 0) {
            close(Handle);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Handle;
};

// Reads the open file from its start piece by piece; false when it cannot be read whole. Every pass reads
// through the one descriptor, so all of them see one version of the file, whoever replaces it meanwhile.
template <class CanCut, class Visit>
bool ForEachPiece(int file, std::size_t pieceBytes, const CanCut& cut, const Visit& visit) {
    if (lseek(file, 0, SEEK_SET) != 0) {
        return false;
    }
    PieceReader reader(file, pieceBytes);
    for (bool first = true;; first = false) {
        std::optional<std::string> piece = reader.Next(cut);
        if (!piece) {
            return false;
        }
        if (piece->empty()) {
            return true;
        }
        visit(std::move(*piece), first);
    }
}

bool AllAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char byte) { return (static_cast<unsigned char>(byte) & 0x80) == 0; });
}

} // namespace

bool ForEachStoredReminder(const std::string& path,
                           const std::function<void(std::int32_t position, const TRmMainDate& reminder)>& visit,
                           std::size_t pieceBytes) {
    const Descriptor file(path);
    struct stat info {};
    if (file.Handle < 0 || fstat(file.Handle, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    // The encoding is the whole file's: UTF-8 when it starts with its mark, or when every piece is valid UTF-8
    // and one of them holds more than ASCII. (Pieces end at line breaks, which no character spans; a mark
    // further on is one more UTF-8 character.)
    bool marked = false;
    bool invalid = false;
    bool multibyte = false;
    const auto anyLine = [](std::string_view) { return true; };
    if (!ForEachPiece(file.Handle, pieceBytes, anyLine, [&](const std::string& piece, bool first) {
            std::string_view rest = piece;
            if (first) {
                marked = rest.starts_with(Utf8ByteOrderMark);
            }
            while (!marked && rest.starts_with(Utf8ByteOrderMark)) {
                multibyte = true;
                rest.remove_prefix(Utf8ByteOrderMark.size());
            }
            if (!AllAscii(rest)) {
                if (DetectTextEncoding(rest) == TextEncoding::Utf8) {
                    multibyte = true;
                } else {
                    invalid = true;
                }
            }
        })) {
        return false;
    }
    const TextEncoding encoding = marked || (!invalid && multibyte) ? TextEncoding::Utf8 : TextEncoding::Gb18030;

    // A piece ends only before a line the whole file's reading takes for a header: "[" first and "]" in it
    // once decoded. Every section is then read whole within its piece.
    TextDecoder decoder(encoding);
    const auto header = [&decoder](std::string_view rest) {
        if (rest.empty() || rest.front() != '[') {
            return false;
        }
        const std::size_t end = rest.find_first_of("\r\n");
        return decoder.Decode(rest.substr(0, end)).find(']') != std::string::npos;
    };

    // First the count and the highest section, as the list works them out.
    std::optional<std::int32_t> stored;
    std::int32_t highest = 0;
    if (!ForEachPiece(file.Handle, pieceBytes, header, [&](std::string piece, bool) {
            const TIniFile ini(path, std::move(piece), encoding);
            ini.ForEachSectionName([&](std::string_view name) { highest = std::max(highest, ItemNumberOf(name)); });
            if (!stored && ini.SectionExists(DataMainSection)) {
                stored = ini.ReadInteger(DataMainSection, DataItemsKey, 0);
            }
        })) {
        return false;
    }
    if (!stored) {
        // Blank or not a data file: the whole reading says which.
        return false;
    }
    const std::int32_t items = std::min({*stored, MaxDataItems, highest});
    if (items <= 0) {
        return true;
    }

    // Then each reminder from the first section of its number.
    std::vector<bool> seen(static_cast<std::size_t>(items), false);
    if (!ForEachPiece(file.Handle, pieceBytes, header, [&](std::string piece, bool) {
            const TIniFile ini(path, std::move(piece), encoding);
            ini.ForEachSection([&](std::string_view name, std::size_t handle) {
                const std::int32_t number = ItemNumberOf(name);
                if (number <= 0 || number > items || seen[static_cast<std::size_t>(number - 1)]) {
                    return;
                }
                seen[static_cast<std::size_t>(number - 1)] = true;
                visit(number - 1, ReadReminderAt(ini, handle));
            });
        })) {
        return false;
    }
    // Sections missing below the count read as reminders of the defaults.
    const TRmMainDate defaults;
    for (std::int32_t position = 0; position < items; ++position) {
        if (!seen[static_cast<std::size_t>(position)]) {
            visit(position, defaults);
        }
    }
    return true;
}

} // namespace chimewell
