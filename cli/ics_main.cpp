// chimewell-cli-ics: chimewell-cli with the iCalendar library, which chimewell-cli becomes for `ics`.

#include "cli/commands.h"

int main(int argc, char** argv) {
    chimewell::cli::UseIcs(chimewell::cli::RunIcs);
    return chimewell::cli::CommandLineMain(argc, argv);
}
