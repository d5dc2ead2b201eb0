#pragma once
// The commands of chimewell-cli. Each takes the arguments after its name and writes to out; a malformed
// argument throws UsageError; the result is the exit status.

#include "calendar/due.h"
#include "data/reminder.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace chimewell::cli {

using Arguments = std::vector<std::string>;

struct Command {
    const char* Name;
    const char* Usage;
    const char* Help;
    int (*Run)(const Arguments& arguments, std::ostream& out, std::ostream& err);
};

const std::vector<Command>& Commands();

// A reminder's line as `list` prints it: INDEX, EXPIRED (0 or 1 today) and its full description.
std::string ListLine(std::int32_t index, const TRmMainDate& record, const TDueMoment& today);

// The whole command line: dispatch, --help, and the messages and exit statuses of failures.
int RunCommandLine(const Arguments& arguments, std::ostream& out, std::ostream& err);

int RunLunar(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunSolar(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunTerms(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunCal(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunList(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunAdd(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunDelete(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunSet(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunDue(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunExpand(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunWorkday(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunNext(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunMissed(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunExport(const Arguments& arguments, std::ostream& out, std::ostream& err);
// Two commands need libraries that every other command starts without: the sync the network, the secret store
// and the session bus; ics the iCalendar library and ICU beneath it. Each is run by a helper executable of its
// own (chimewell-cli-sync, chimewell-cli-ics), which chimewell-cli becomes for that command alone (RunSyncHelper,
// RunIcsHelper); the helpers, and tests, run the command itself (UseSync, UseIcs).
int RunIcs(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunSync(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunIcsHelper(const Arguments& arguments, std::ostream& out, std::ostream& err);
int RunSyncHelper(const Arguments& arguments, std::ostream& out, std::ostream& err);
using CommandRun = int (*)(const Arguments& arguments, std::ostream& out, std::ostream& err);
void UseIcs(CommandRun run);
void UseSync(CommandRun run);

// main(): the standard output's state at the end is told too (closed, full).
int CommandLineMain(int argc, char** argv);

} // namespace chimewell::cli
