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

// An image a skin names in url(…) larger than this is refused: Qt would decode it on the one thread.
inline constexpr std::size_t LargestSkinImage = 4 << 20;

// The style sheet of a skin: nothing when the name leaves the folder or the file is missing, unreadable, not
// a regular file or larger than LargestSkinFile, or when an url(…) of it names anything but a regular file of
// at most LargestSkinImage inside the skins folder (Qt's own ":/" resources aside), or when it holds a backslash
// (a CSS escape could spell an url that no check finds). A FIFO or a device named
// there would block loading the image before the program could show any reminder. Relative urls name files
// of the skins folder and come back as full paths. The text is read like every stored file (GB18030 or UTF-8).
// `why`, when given, is set to a sentence saying why a skin was refused.
std::optional<std::string> ReadSkin(const std::string& folder, const std::string& name, std::string* why = nullptr);

// The style sheet with every url(…) checked and made a full path as ReadSkin says; nothing, with `why` set,
// when one is refused.
std::optional<std::string> CheckSkinUrls(const std::string& folder, const std::string& styleSheet, std::string& why);

} // namespace chimewell
