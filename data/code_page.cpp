#include "data/code_page.h"

#include "data/text_helpers.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>
#include <stdexcept>

namespace chimewell {

namespace {

constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";
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

constexpr std::string_view EuroSign = "\xE2\x82\xAC";
constexpr char EuroByte = '\x80';

// A byte no code page reads, as the program carries it: U+DC80 + (byte − 0x80) in UTF-8 form, ED B2/B3 xx.
void AppendEscapedByte(unsigned char byte, std::string& out) {
    const unsigned codePoint = 0xDC00U + byte;
    out += static_cast<char>(0xE0U | (codePoint >> 12));
    out += static_cast<char>(0x80U | ((codePoint >> 6) & 0x3FU));
    out += static_cast<char>(0x80U | (codePoint & 0x3FU));
}

// The byte an escape at text[at] stands for, or -1 when none begins there.
int EscapedByteAt(std::string_view text, std::size_t at) {
    if (at + 3 > text.size() || static_cast<unsigned char>(text[at]) != 0xED) {
        return -1;
    }
    const auto second = static_cast<unsigned char>(text[at + 1]);
    const auto third = static_cast<unsigned char>(text[at + 2]);
    if ((second != 0xB2 && second != 0xB3) || (third & 0xC0U) != 0x80U) {
        return -1;
    }
    return static_cast<int>((((second & 0x3FU) << 6) | (third & 0x3FU)) + 0xD000U - 0xDC00U);
}

// Length of the strictly well-formed UTF-8 character at text[at] (no overlong forms, no surrogates, nothing
// beyond U+10FFFF), or 0 when none begins there.
std::size_t ValidUtf8Length(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0U; };
    const auto continuation = [&](std::size_t i, unsigned low = 0x80, unsigned high = 0xBF) {
        return byte(i) >= low && byte(i) <= high;
    };
    const unsigned lead = byte(at);
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return continuation(at + 1) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : 0xBF;
        return continuation(at + 1, low, high) && continuation(at + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
        return continuation(at + 1, low, high) && continuation(at + 2) && continuation(at + 3) ? 4 : 0;
    }
    return 0;
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

bool IsAllAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (!IsAscii(c)) {
            return false;
        }
    }
    return true;
}

std::string DecodeUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = ValidUtf8Length(bytes, i);
        if (length == 0) {
            AppendEscapedByte(static_cast<unsigned char>(bytes[i]), text);
            ++i;
        } else {
            text.append(bytes.substr(i, length));
            i += length;
        }
    }
    return text;
}

} // namespace

TextEncoding DetectTextEncoding(std::string_view bytes) {
    if (bytes.starts_with(Utf8ByteOrderMark)) {
        return TextEncoding::Utf8;
    }
    bool multibyte = false;
    for (std::size_t i = 0; i < bytes.size();) {
        // Stored files are mostly ASCII: eight bytes at a time until a byte with its high bit set.
        if (i + 8 <= bytes.size()) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        const std::size_t length = ValidUtf8Length(bytes, i);
        if (length == 0) {
            return TextEncoding::Gb18030;
        }
        multibyte = multibyte || length > 1;
        i += length;
    }
    return multibyte ? TextEncoding::Utf8 : TextEncoding::Gb18030;
}

class TextDecoder::Converters {
public:
    Converter FromGb18030{"UTF-8", "GB18030"};
};

TextDecoder::TextDecoder(TextEncoding encoding) : Kind(encoding) {}

TextDecoder::~TextDecoder() = default;

std::string TextDecoder::Decode(std::string_view bytes) {
    if (IsAllAscii(bytes)) {
        return std::string(bytes);
    }
    if (Kind == TextEncoding::Utf8) {
        return DecodeUtf8(bytes);
    }
    if (!Open) {
        Open = std::make_unique<Converters>();
    }
    return ConvertMostlyAscii(bytes, [&](std::string_view piece, std::string& output) {
        // Only the rejected byte itself is set aside: what follows it may be a character of its own.
        Open->FromGb18030.Convert(piece, output, [](std::string_view rejected, std::string& out) {
            const auto byte = static_cast<unsigned char>(rejected.front());
            if (byte == static_cast<unsigned char>(EuroByte)) {
                out.append(EuroSign);
            } else {
                AppendEscapedByte(byte, out);
            }
            return std::size_t{1};
        });
    });
}

std::string DecodeFileText(std::string_view bytes) {
    const TextEncoding encoding = DetectTextEncoding(bytes);
    if (bytes.starts_with(Utf8ByteOrderMark)) {
        bytes.remove_prefix(Utf8ByteOrderMark.size());
    }
    TextDecoder decoder(encoding);
    std::string text = decoder.Decode(bytes);
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
    std::string output;
    output.reserve(text.size());
    std::unique_ptr<Converter> toGb18030;
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsAscii(text[i])) {
            output += text[i++];
            continue;
        }
        if (text.substr(i).starts_with(EuroSign)) {
            output += EuroByte;
            i += EuroSign.size();
            continue;
        }
        if (const int escaped = EscapedByteAt(text, i); escaped >= 0) {
            output += static_cast<char>(escaped);
            i += 3;
            continue;
        }
        std::size_t end = i;
        while (end < text.size() && !IsAscii(text[end]) && !text.substr(end).starts_with(EuroSign) &&
               EscapedByteAt(text, end) < 0) {
            end += Utf8SequenceLength(text, end);
        }
        if (!toGb18030) {
            toGb18030 = std::make_unique<Converter>("GB18030", "UTF-8");
        }
        // Malformed UTF-8, or one of the few private-use code points that GB18030 gives no bytes.
        toGb18030->Convert(text.substr(i, end - i), output, [](std::string_view rejected, std::string& out) {
            out.append(Gb18030Replacement);
            return Utf8SequenceLength(rejected);
        });
        i = end;
    }
    return output;
}

} // namespace chimewell
