// chimewell-cli-sync: chimewell-cli with the sync's libraries, which chimewell-cli becomes for `sync`.

#include "cli/commands.h"

int main(int argc, char** argv) {
    chimewell::cli::UseSync(chimewell::cli::RunSync);
    return chimewell::cli::CommandLineMain(argc, argv);
}
