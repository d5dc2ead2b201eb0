#pragma once
// Facts about the computer and the user that reminder texts can print. On Linux the "system" folder is
// /usr/lib and the "Windows" folder /usr; there is no Windows version to report.

#include <optional>
#include <string>

namespace chimewell {

// The platform's version record as the old version query gave it.
struct WindowsVersionInfo {
    int PlatformId = 0; // 1 = the 9x family, 2 = the NT family
    int Major = 0;
    int Minor = 0;
    std::string ServicePack;
};

struct SystemFacts {
    std::string HostName;
    std::string LoginName;
    std::string TempDirectory;
    std::string SystemDirectory;
    std::string WindowsDirectory;
    std::optional<WindowsVersionInfo> WindowsVersion;
};

// Each answers the empty text when the platform cannot tell.
std::string PlatformHostName();
std::string PlatformLoginName();
// $TMPDIR when it is set and not empty, else /tmp.
std::string PlatformTempDirectory();
std::string PlatformSystemDirectory();
std::string PlatformWindowsDirectory();
// Nothing on a platform that is not Windows.
std::optional<WindowsVersionInfo> PlatformWindowsVersion();

// Makes the Platform* queries answer with fixed facts for as long as it lives; overrides nest.
class SystemFactsOverride {
public:
    explicit SystemFactsOverride(SystemFacts facts);
    ~SystemFactsOverride();
    SystemFactsOverride(const SystemFactsOverride&) = delete;
    SystemFactsOverride& operator=(const SystemFactsOverride&) = delete;

    const SystemFacts& Get() const { return Facts; }

private:
    SystemFacts Facts;
    SystemFactsOverride* Outer;
};

} // namespace chimewell
