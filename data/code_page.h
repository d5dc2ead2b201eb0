#pragma once
// The code page of every stored file. On disk: GB18030, which is byte-identical to GBK for every GBK character
// and also stores every other character instead of losing it. Inside the program: UTF-8.

#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

// Turns a stored file's bytes into program text. GBK and GB18030 read alike; a lone byte 0x80 is the euro
// sign of the older Windows code page. A byte that none of them can read becomes U+FFFD instead of vanishing,
// so a damaged value is still visible. A file that starts with a UTF-8 byte-order mark is read as UTF-8; a
// GB18030 byte-order mark is dropped.
std::string DecodeFileText(std::string_view bytes);

// Turns program text into the bytes of a stored file. Malformed UTF-8 is written as U+FFFD.
std::string EncodeFileText(std::string_view text);

// The lines of a stored text, split at CR LF, LF or CR; a break at the very end starts no further line.
std::vector<std::string_view> SplitLines(std::string_view text);

} // namespace chimewell
