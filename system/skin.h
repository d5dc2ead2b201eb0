#pragma once
// Skins: a skin file "*.skn" in the folder "skins" that ships with the program holds a Qt style sheet, which
// restyles every window. Here is what the program knows of them without a display: where they are, which
// there are, and the text of one.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace chimewell {

// A style sheet larger than this is no skin (and reading it could go on for ever: /dev/zero).
inline constexpr std::size_t LargestSkinFile = 1 << 20;

// The folder of the shipped skins, ending in "/": beside the executable (in its folder, given), else in the
// installed data folder. Empty when there is none.
std::string SkinsFolder(const std::string& executableFolder);

// True for a plain file name that stays inside the skins folder: no folder part, not "." or "..".
bool IsPlainSkinName(const std::string& name);

// The skin files of the folder (regular files whose names end in ".skn"), in name order.
std::vector<std::string> ListSkinFiles(const std::string& folder);

// The style sheet of a skin: nothing when the name leaves the folder or the file is missing, unreadable, not
// a regular file or larger than LargestSkinFile. The text is read like every stored file (GB18030 or UTF-8).
std::optional<std::string> ReadSkin(const std::string& folder, const std::string& name);

} // namespace chimewell
