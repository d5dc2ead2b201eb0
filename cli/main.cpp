#include "cli/commands.h"

#include <iostream>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const chimewell::cli::Arguments arguments(argv + 1, argv + argc);
    const int status = chimewell::cli::RunCommandLine(arguments, std::cout, std::cerr);
    std::cout.flush();
    return std::cout.good() ? status : 1;
}
