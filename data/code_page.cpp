#include "data/code_page.h"

#include "data/text_helpers.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace chimewell {

namespace {

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view Utf8Replacement = "\xEF\xBF\xBD";
constexpr std::string_view Gb18030Replacement = "\x84\x31\xA4\x37";

// One glibc converter, opened for one file and closed with it.
class Converter {
public:
    Converter(const char* to, const char* from) : Handle(iconv_open(to, from)) {
        if (Handle == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("No converter from ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(Handle); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Appends the conversion of input to output until the end or the first byte the converter cannot take
    // (EILSEQ) or a sequence cut off by the end of the input (EINVAL). Returns the bytes consumed.
    std::size_t ConvertUntilError(std::string_view input, std::string& output) {
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char buffer[4096];
        while (inLeft > 0) {
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(Handle, &in, &inLeft, &out, &outLeft);
            output.append(buffer, static_cast<std::size_t>(out - buffer));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                iconv(Handle, nullptr, nullptr, nullptr, nullptr);
                break;
            }
        }
        return input.size() - inLeft;
    }

    // Converts input whole. Where the converter stops, the fallback appends something in place of what it
    // rejected and says how many bytes that was; conversion goes on after them.
    template <typename Fallback>
    void Convert(std::string_view input, std::string& output, Fallback&& fallback) {
        while (!input.empty()) {
            input.remove_prefix(ConvertUntilError(input, output));
            if (!input.empty()) {
                input.remove_prefix(fallback(input, output));
            }
        }
    }

private:
    iconv_t Handle;
};

bool IsAscii(char c) {
    return static_cast<unsigned char>(c) < 0x80;
}

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Copies runs of ASCII as they are and converts the rest line by line. No byte of a multibyte GB18030
// character is a CR or LF, so a line end always falls between characters.
template <typename ConvertPiece>
std::string ConvertMostlyAscii(std::string_view input, ConvertPiece&& convertPiece) {
    std::string output;
    output.reserve(input.size() + input.size() / 4);
    std::size_t i = 0;
    while (i < input.size()) {
        const std::size_t asciiStart = i;
        while (i < input.size() && IsAscii(input[i])) {
            ++i;
        }
        output.append(input.substr(asciiStart, i - asciiStart));
        std::size_t lineEnd = i;
        while (lineEnd < input.size() && !IsLineBreak(input[lineEnd])) {
            ++lineEnd;
        }
        if (lineEnd > i) {
            convertPiece(input.substr(i, lineEnd - i), output);
        }
        i = lineEnd;
    }
    return output;
}

std::string DecodeUtf8(std::string_view bytes) {
    Converter validator("UTF-8", "UTF-8");
    return ConvertMostlyAscii(bytes, [&](std::string_view piece, std::string& output) {
        validator.Convert(piece, output, [](std::string_view, std::string& out) {
            out.append(Utf8Replacement);
            return std::size_t{1};
        });
    });
}

} // namespace

std::string DecodeFileText(std::string_view bytes) {
    if (bytes.starts_with(Utf8ByteOrderMark)) {
        return DecodeUtf8(bytes.substr(Utf8ByteOrderMark.size()));
    }
    Converter fromGb18030("UTF-8", "GB18030");
    Converter fromCp936("UTF-8", "CP936");
    std::string text = ConvertMostlyAscii(bytes, [&](std::string_view piece, std::string& output) {
        // Only the rejected byte itself is retried: what follows it may be a character of its own.
        fromGb18030.Convert(piece, output, [&](std::string_view rejected, std::string& out) {
            const std::size_t before = out.size();
            if (fromCp936.ConvertUntilError(rejected.substr(0, 1), out) != 1 || out.size() == before) {
                out.resize(before);
                out.append(Utf8Replacement);
            }
            return std::size_t{1};
        });
    });
    if (text.starts_with(Utf8ByteOrderMark)) {
        text.erase(0, Utf8ByteOrderMark.size());
    }
    return text;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = 0;
        while (end < text.size() && !IsLineBreak(text[end])) {
            ++end;
        }
        lines.push_back(text.substr(0, end));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') {
            ++end;
        }
        text.remove_prefix(end < text.size() ? end + 1 : end);
    }
    return lines;
}

std::string EncodeFileText(std::string_view text) {
    Converter toGb18030("GB18030", "UTF-8");
    return ConvertMostlyAscii(text, [&](std::string_view piece, std::string& output) {
        // Malformed UTF-8, or one of the few private-use code points that GB18030 gives no bytes.
        toGb18030.Convert(piece, output, [](std::string_view rejected, std::string& out) {
            out.append(Gb18030Replacement);
            return Utf8SequenceLength(rejected);
        });
    });
}

} // namespace chimewell
