#include "platform/secret_store.h"

#include <map>
#include <memory>
#include <utility>

namespace chimewell {

namespace {

const std::string NoStore = "没有可用的密钥环（Secret Service）。";

SecretStore Unavailable() {
    SecretStore store;
    store.Read = [](const std::string&, auto done) { done(std::nullopt, NoStore); };
    store.Write = [](const std::string&, const std::string&, auto done) { done(NoStore); };
    store.Remove = [](const std::string&, auto done) { done(NoStore); };
    return store;
}

SecretStore& Installed() {
    static SecretStore store = Unavailable();
    return store;
}

} // namespace

const SecretStore& InstalledSecretStore() {
    return Installed();
}

SecretStore InstallSecretStore(SecretStore store) {
    SecretStore fallback = Unavailable();
    if (!store.Read) {
        store.Read = fallback.Read;
    }
    if (!store.Write) {
        store.Write = fallback.Write;
    }
    if (!store.Remove) {
        store.Remove = fallback.Remove;
    }
    return std::exchange(Installed(), std::move(store));
}

std::string SyncPasswordName(const std::string& user, const std::string& server) {
    return user + "@" + server;
}

SecretStore MemorySecretStore() {
    auto secrets = std::make_shared<std::map<std::string, std::string>>();
    SecretStore store;
    store.Read = [secrets](const std::string& name, auto done) {
        const auto found = secrets->find(name);
        done(found == secrets->end() ? std::nullopt : std::optional<std::string>(found->second), std::string());
    };
    store.Write = [secrets](const std::string& name, const std::string& secret, auto done) {
        (*secrets)[name] = secret;
        done(std::string());
    };
    store.Remove = [secrets](const std::string& name, auto done) {
        secrets->erase(name);
        done(std::string());
    };
    return store;
}

} // namespace chimewell
