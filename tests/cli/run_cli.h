#pragma once
// Runs chimewell-cli's command line in the test process and keeps what it printed.

#include "cli/commands.h"

#include <sstream>
#include <string>

namespace chimewell::cli {

struct Result {
    int Status;
    std::string Out;
    std::string Err;
};

inline Result RunCli(const Arguments& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCommandLine(arguments, out, err);
    return {status, out.str(), err.str()};
}

} // namespace chimewell::cli
