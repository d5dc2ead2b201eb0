#include "platform/system_queries.h"

#include "data/text_helpers.h"

namespace chimewell {

namespace {

constexpr int ComputerNameLength = 15;
constexpr int PlatformWin9x = 1;
constexpr int PlatformWinNT = 2;

int Windows9xCode(const WindowsVersionInfo& version) {
    if (version.Major != 4) {
        return 0;
    }
    switch (version.Minor) {
    case 0:
        return 1;
    case 10:
        return version.ServicePack.size() >= 2 && version.ServicePack[1] == 'A' ? 3 : 2;
    case 90:
        return 4;
    default:
        return 0;
    }
}

int WindowsNTCode(const WindowsVersionInfo& version) {
    if (version.Major <= 4) {
        return 5;
    }
    if (version.Major == 5 && version.Minor == 0) {
        return 6;
    }
    if (version.Major == 5 && version.Minor == 1) {
        return 7;
    }
    return 0;
}

} // namespace

std::string SystemDirectoryText() {
    return PlatformSystemDirectory();
}

std::string WindowsDirectoryText() {
    return PlatformWindowsDirectory();
}

std::string TempDirectoryText() {
    return PlatformTempDirectory();
}

std::string ComputerNameText() {
    return std::string(FirstCharacters(PlatformHostName(), ComputerNameLength));
}

std::string LogonUserNameText() {
    return PlatformLoginName();
}

int WindowsVersionCodeOf(const std::optional<WindowsVersionInfo>& version) {
    if (!version) {
        return 0;
    }
    switch (version->PlatformId) {
    case PlatformWin9x:
        return Windows9xCode(*version);
    case PlatformWinNT:
        return WindowsNTCode(*version);
    default:
        return 0;
    }
}

int WindowsVersionCode() {
    return WindowsVersionCodeOf(PlatformWindowsVersion());
}

std::string_view WindowsVersionName() {
    return WindowsVersionNames[static_cast<std::size_t>(WindowsVersionCode())];
}

} // namespace chimewell
