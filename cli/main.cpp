#include "cli/commands.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    // A closed standard output (">&-") would hand its number to the first file opened, and output meant for the
    // terminal would go into it: something harmless holds the place, and the closing is told at the end.
    const bool outputClosed = fcntl(STDOUT_FILENO, F_GETFD) == -1 && errno == EBADF;
    if (outputClosed) {
        const int placeholder = open("/dev/null", O_WRONLY);
        if (placeholder >= 0 && placeholder != STDOUT_FILENO) {
            dup2(placeholder, STDOUT_FILENO);
            close(placeholder);
        }
    }
    std::ios::sync_with_stdio(false);
    const chimewell::cli::Arguments arguments(argv + 1, argv + argc);
    const int status = chimewell::cli::RunCommandLine(arguments, std::cout, std::cerr);
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
