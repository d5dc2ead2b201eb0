#include "cli/commands.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace chimewell::cli {

namespace {
// Set by chimewell-cli for the helper it becomes: the standard output it handed on was closed.
constexpr const char* OutputClosedVariable = "CHIMEWELL_CLI_OUTPUT_CLOSED";
} // namespace

int CommandLineMain(int argc, char** argv) {
    // A closed standard output (">&-") would hand its number to the first file opened, and output meant for the
    // terminal would go into it: something harmless holds the place, and the closing is told at the end.
    bool outputClosed = fcntl(STDOUT_FILENO, F_GETFD) == -1 && errno == EBADF;
    if (outputClosed) {
        const int placeholder = open("/dev/null", O_WRONLY);
        if (placeholder >= 0 && placeholder != STDOUT_FILENO) {
            dup2(placeholder, STDOUT_FILENO);
            close(placeholder);
        }
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
        std::cerr << "chimewell-cli: 无法写出结果：标准输出"
                  << (outputClosed ? "已关闭"
                      : error != 0 ? std::string("出错（") + std::strerror(error) + "）"
                                   : "出错")
                  << "。\n";
        return 1;
    }
    return status;
}

} // namespace chimewell::cli
