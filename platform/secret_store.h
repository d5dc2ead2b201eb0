#pragma once
// The desktop's secret store, where the sync's password lives (never in config.ini). Reached through one seam:
// the program installs the desktop's store at start, tests an in-memory one. Answers come later, through the
// callbacks, since the desktop's store may take its time (it can ask the user to unlock it).

#include <functional>
#include <optional>
#include <string>

namespace chimewell {

struct SecretStore {
    // The secret kept under the name; nothing when none is kept. `failure` is non-empty when the store could
    // not be asked (none running, locked and not unlocked).
    std::function<void(const std::string& name,
                       std::function<void(std::optional<std::string> secret, const std::string& failure)> done)>
        Read;
    // Keeps the secret under the name, replacing an earlier one; done gets the failure, empty when kept.
    std::function<void(const std::string& name, const std::string& secret,
                       std::function<void(const std::string& failure)> done)>
        Write;
    // Forgets the secret kept under the name.
    std::function<void(const std::string& name, std::function<void(const std::string& failure)> done)> Remove;
};

// The installed store. Until one is installed every request fails with a sentence saying so.
const SecretStore& InstalledSecretStore();
// Installs a store and returns the one it replaces.
SecretStore InstallSecretStore(SecretStore store);

// The name the sync's password is kept under: the user at the server.
std::string SyncPasswordName(const std::string& user, const std::string& server);

// A store held in memory, for tests and for a program told not to touch the desktop's.
SecretStore MemorySecretStore();

} // namespace chimewell
