#include "cli/commands.h"
#include "data/file_io.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace chimewell::cli {

namespace {
// Set by chimewell-cli for the helper it becomes: the standard output it handed on was closed.
constexpr const char* OutputClosedVariable = "CHIMEWELL_CLI_OUTPUT_CLOSED";
} // namespace

int CommandLineMain(int argc, char** argv) {
    // Told at the end, and to the helper that may take over the command.
    bool outputClosed = HoldClosedStandardOutput();
    if (outputClosed) {
        setenv(OutputClosedVariable, "1", 1);
    } else if (const char* closed = std::getenv(OutputClosedVariable); closed != nullptr) {
        outputClosed = std::strcmp(closed, "1") == 0;
        unsetenv(OutputClosedVariable);
    }
    std::ios::sync_with_stdio(false);
    const Arguments arguments(argv + 1, argv + argc);
    const int status = RunCommandLine(arguments, std::cout, std::cerr);
    errno = 0;
    std::cout.flush();
    if (outputClosed || !std::cout.good()) {
        const int error = errno;
        std::cerr << "chimewell-cli: 无法写出结果：标准输出" << StandardOutputFailure(outputClosed, error) << "。\n";
        return 1;
    }
    return status;
}

} // namespace chimewell::cli
