#pragma once
// The code page of every stored file. On disk: GB18030, which is byte-identical to GBK for every GBK character
// and also stores every other character instead of losing it. Inside the program: UTF-8.
//
// A file a user edited may hold bytes that no code page reads (a stray 0xFF, a truncated character). Such a
// byte is carried through the program as a code point of its own, U+DC80 + (byte − 0x80), which no real text
// holds; it shows as a replacement character and is written back as the very byte it was. The euro sign is
// stored as the single byte 0x80, as the older Windows code page and GBK store it.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

enum class TextEncoding {
    Gb18030,
    // A file with the UTF-8 byte-order mark, or valid UTF-8 holding at least one multibyte character: what a
    // Linux text editor writes.
    Utf8,
};

// Which code page a stored file's bytes are in.
TextEncoding DetectTextEncoding(std::string_view bytes);

// Decodes pieces of one file (whole lines, or values) into program text; converters are opened once.
class TextDecoder {
public:
    explicit TextDecoder(TextEncoding encoding);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    TextEncoding Encoding() const { return Kind; }
    std::string Decode(std::string_view bytes);

private:
    class Converters;
    TextEncoding Kind;
    std::unique_ptr<Converters> Open;
};

// Turns a stored file's bytes into program text, finding the code page first. A byte-order mark is dropped.
std::string DecodeFileText(std::string_view bytes);

// Turns program text into the bytes of a stored file (GB18030). Malformed UTF-8 is written as U+FFFD.
std::string EncodeFileText(std::string_view text);

// The lines of a stored text, split at CR LF, LF or CR; a break at the very end starts no further line.
std::vector<std::string_view> SplitLines(std::string_view text);

} // namespace chimewell
