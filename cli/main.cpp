#include "cli/commands.h"

int main(int argc, char** argv) {
    return chimewell::cli::CommandLineMain(argc, argv);
}
