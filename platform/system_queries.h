#pragma once
// Facts about the computer that reminder texts print. Every query answers the empty text when the
// platform cannot tell.

#include "platform/system_facts.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace chimewell {

inline constexpr std::array<std::string_view, 8> WindowsVersionNames = {"Unknown", "Win95",  "Win98", "Win98se",
                                                                        "Winme",   "Winnt4", "Win2k", "Winxp"};

std::string SystemDirectoryText();
std::string WindowsDirectoryText();
std::string TempDirectoryText();
// The network name, at most 15 characters as the old 16-character buffer allowed.
std::string ComputerNameText();
std::string LogonUserNameText();

// 0..7 from a version record; 0 when there is none or it names no known version.
int WindowsVersionCodeOf(const std::optional<WindowsVersionInfo>& version);
int WindowsVersionCode();
std::string_view WindowsVersionName();

} // namespace chimewell
