#include "platform/system_facts.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace chimewell {

namespace {

SystemFactsOverride* ActiveOverride = nullptr;

std::string QueryHostName() {
    std::vector<char> buffer(256, '\0');
    if (gethostname(buffer.data(), buffer.size() - 1) != 0) {
        return {};
    }
    return std::string(buffer.data());
}

std::string QueryLoginName() {
    // The account the program runs as; a session without a terminal has no login record to ask.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_name != nullptr) {
        return found->pw_name;
    }
    std::vector<char> login(256, '\0');
    if (getlogin_r(login.data(), login.size()) == 0) {
        return std::string(login.data());
    }
    return {};
}

std::string QueryTempDirectory() {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr && *tmpdir != '\0') {
        return tmpdir;
    }
    return "/tmp";
}

} // namespace

std::string PlatformHostName() {
    return ActiveOverride != nullptr ? ActiveOverride->Get().HostName : QueryHostName();
}

std::string PlatformLoginName() {
    return ActiveOverride != nullptr ? ActiveOverride->Get().LoginName : QueryLoginName();
}

std::string PlatformTempDirectory() {
    return ActiveOverride != nullptr ? ActiveOverride->Get().TempDirectory : QueryTempDirectory();
}

std::string PlatformSystemDirectory() {
    return ActiveOverride != nullptr ? ActiveOverride->Get().SystemDirectory : std::string("/usr/lib");
}

std::string PlatformWindowsDirectory() {
    return ActiveOverride != nullptr ? ActiveOverride->Get().WindowsDirectory : std::string("/usr");
}

std::optional<WindowsVersionInfo> PlatformWindowsVersion() {
    if (ActiveOverride != nullptr) {
        return ActiveOverride->Get().WindowsVersion;
    }
    return std::nullopt;
}

SystemFactsOverride::SystemFactsOverride(SystemFacts facts) : Facts(std::move(facts)), Outer(ActiveOverride) {
    ActiveOverride = this;
}

SystemFactsOverride::~SystemFactsOverride() {
    ActiveOverride = Outer;
}

} // namespace chimewell
