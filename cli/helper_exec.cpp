#include "cli/commands.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace chimewell::cli {

namespace {

// Beside this executable (a build, a portable copy), else where the package puts it.
std::string HelperPath(const std::string& name) {
    std::string self(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length > 0) {
        self.resize(static_cast<std::size_t>(length));
        const std::string beside = self.substr(0, self.rfind('/') + 1) + name;
        if (access(beside.c_str(), X_OK) == 0) {
            return beside;
        }
    }
    return std::string(CHIMEWELL_HELPER_DIR) + "/" + name;
}

// This process becomes the helper, given the command and its arguments; it returns only when it cannot.
int BecomeHelper(const std::string& name, const std::string& command, const Arguments& arguments, std::ostream& out,
                 std::ostream& err) {
    const std::string helper = HelperPath(name);
    std::vector<std::string> words{helper, command};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    out.flush();
    err.flush();
    std::cout.flush();
    execv(helper.c_str(), argv.data());
    throw std::runtime_error("cannot start " + helper + " (" + std::strerror(errno) +
                             "): the part of chimewell-cli for " + command + " is missing");
}

} // namespace

int RunSyncHelper(const Arguments& arguments, std::ostream& out, std::ostream& err) {
#ifndef CHIMEWELL_WITH_SYNC
    (void)arguments;
    (void)out;
    (void)err;
    throw std::runtime_error("this chimewell-cli was built without the network part: sync is not available");
#else
    return BecomeHelper("chimewell-cli-sync", "sync", arguments, out, err);
#endif
}

int RunIcsHelper(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    return BecomeHelper("chimewell-cli-ics", "ics", arguments, out, err);
}

} // namespace chimewell::cli
