#include "cli/commands.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace chimewell::cli {

#ifdef CHIMEWELL_HELPER_DIR
namespace {

constexpr const char* HelperName = "chimewell-cli-sync";

// Beside this executable (a build, a portable copy), else where the package puts it.
std::string HelperPath() {
    std::string self(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length > 0) {
        self.resize(static_cast<std::size_t>(length));
        const std::string beside = self.substr(0, self.rfind('/') + 1) + HelperName;
        if (access(beside.c_str(), X_OK) == 0) {
            return beside;
        }
    }
    return std::string(CHIMEWELL_HELPER_DIR) + "/" + HelperName;
}

} // namespace
#endif

int RunSyncHelper(const Arguments& arguments, std::ostream& out, std::ostream& err) {
#ifndef CHIMEWELL_HELPER_DIR
    (void)arguments;
    (void)out;
    (void)err;
    throw std::runtime_error("this chimewell-cli was built without the network part: sync is not available");
#else
    const std::string helper = HelperPath();
    std::vector<std::string> words{helper, "sync"};
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
                             "): the sync's part of chimewell-cli is missing");
#endif
}

} // namespace chimewell::cli
