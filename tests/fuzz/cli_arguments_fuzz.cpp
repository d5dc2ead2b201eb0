// Any command line for the calendar commands: one argument per line of the input. Every argument is either
// taken or refused with a message; nothing crashes.

#include "cli/commands.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    chimewell::cli::Arguments arguments;
    std::istringstream lines(input);
    for (std::string line; std::getline(lines, line) && arguments.size() < 8;) {
        arguments.push_back(line);
    }
    if (arguments.empty()) {
        return 0;
    }
    // Only the commands that read no folder: the fuzzer must not wander through the user's files.
    static const char* const Commands[] = {"lunar", "solar", "terms", "cal", "expand", "workday"};
    arguments.front() = Commands[static_cast<unsigned char>(arguments.front().empty() ? 0 : arguments.front()[0]) % 6];
    if (arguments.front() == std::string("workday")) {
        // An empty folder of its own, so that the shipped schedule alone counts.
        static const std::string folder = [] {
            char pattern[] = "/tmp/chimewell-fuzz-XXXXXX";
            return std::string(mkdtemp(pattern) != nullptr ? pattern : "/nonexistent");
        }();
        arguments.insert(arguments.begin() + 1, {"--dir", folder});
    }
    std::ostringstream out;
    std::ostringstream err;
    chimewell::cli::RunCommandLine(arguments, out, err);
    return 0;
}
