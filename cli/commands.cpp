#include "cli/commands.h"

#include "cli/arguments.h"
#include "data/constants.h"

#include <exception>

namespace chimewell::cli {

namespace {
CommandRun IcsRun = RunIcsHelper;
CommandRun SyncRun = RunSyncHelper;

void PrintHelp(std::ostream& out) {
    out << "chimewell-cli: the command-line companion of 晴铃提醒 (Chimewell)\n\n"
           "Usage: chimewell-cli COMMAND [ARGUMENTS]\n\n";
    for (const Command& command : Commands()) {
        out << "  chimewell-cli " << command.Usage << "\n" << command.Help << "\n";
    }
    out << "  chimewell-cli --version\n      The version of the program.\n\n"
           "Dates are YYYY-MM-DD. DIR is the folder of reminddata.sdt and config.ini, by default the folder\n"
           "the program keeps its files in (~/.local/share/chimewell/, or beside the program for a portable\n"
           "copy). The commands only read the program's files; export, ics and sync alone write: the new file\n"
           "they are given, ics the reminders' UIDs into the data file, sync the data file and syncstate.ini.\n"
           "A malformed argument gives a message and exit "
           "status 2; a failure, exit status 1.\n"
           "\n"
           "Reminder texts: # codes for the moment, % codes for the lunar calendar and the computer\n"
           "  #y #Y  year (2025, 二○二五)          #m #M  month (03, ○三)       #d #D  day\n"
           "  #h #H  hour 0-23                      #o #O  hour 1-12             #t #T  minute   #s #S  second\n"
           "  #w #W  weekday (5, 五; 日 on Sunday)  #a #A #P  am/AM/上午 or pm/PM/下午\n"
           "  #N #V #C  program, version, maker    ## a #\n"
           "  %Y  lunar year (二○二五)   %y  its stem and branch (乙巳)   %S  its animal (蛇)\n"
           "  %M  lunar month (八, 闰六)  %D  lunar day (十五, 初一)      %J  \"节气：\" and the term, on its day\n"
           "  %c  host name   %u  login name   %t  temporary folder   %s /usr/lib   %w /usr   %o Unknown   %% a %\n"
           "Conditions at the start of a text; the reminder shows only when it holds, without it:\n"
           "  $mwd$ $mws$      odd or even week of the month     $ywd$ $yws$  the same, week of the year\n"
           "  $mwN$ $mwmN$     week N, or a multiple of N        $ywN$ $ywmN$ the same, week of the year\n"
           "  $mwoN$           the N-th such weekday of the month (second Sunday: a Sunday reminder with $mwo2$)\n"
           "  $gzr$ $xxr$      an official workday, an official rest day (China's holiday schedule)\n";
}
} // namespace

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"lunar", "lunar [--text] [DATE...] | lunar [--text] --from DATE --to DATE",
         "      One line per day (today without a DATE): DATE, lunar YEAR, MONTH, DAY, LEAP (0 or 1) and the\n"
         "      solar term of the day, separated by tabs; the lunar fields are 0 outside 1900-01-31 ..\n"
         "      2100-12-31. With --text, a line to read: 2025-01-29 星期三 农历乙巳年（蛇）正月初一 春节.\n",
         RunLunar},
        {"solar", "solar YEAR MONTH DAY [--leap]",
         "      The Gregorian date of a lunar date (lunar years 1900..2100); --leap names the leap month.\n"
         "      A date the lunar calendar does not have gives a message and exit status 1.\n",
         RunSolar},
        {"terms", "terms YEAR",
         "      The 24 solar terms of the year: INDEX, NAME and the moment in China Standard Time.\n", RunTerms},
        {"cal", "cal [--dir DIR] [YEAR [MONTH]]",
         "      A month in Chinese with lunar days, lunar months and solar terms, today in brackets, and 休 or\n"
         "      班 under the days off and the weekend days worked of the official holiday schedule, and the\n"
         "      festivals of both calendars starred and named under the month; the current month without\n"
         "      arguments, the whole year with YEAR alone.\n",
         RunCal},
        {"list", "list [--dir DIR] [--at \"YYYY-MM-DD HH:MM\"] [--json]",
         "      One line per reminder: INDEX (from 0), EXPIRED (0 or 1 at that moment, default now) and the\n"
         "      reminder's full description.\n",
         RunList},
        {"add", "add [--dir DIR] [--dry-run] [--at \"YYYY-MM-DD HH:MM\"] TEXT...",
         "      Adds the reminder the words say, in Chinese as people write it (明天下午三点开会, 每年农历八月十五\n"
         "      晚上八点 赏月, 每隔两周的周五18:00 发工资, 腊月廿三 提前一天 买糖瓜), read at that moment (default\n"
         "      now), and prints its line as `list` prints it and its next firing; an ambiguous hour's other\n"
         "      reading goes to standard error. --dry-run writes nothing. Words it cannot read: exit 2 and why.\n"
         "      Written as `delete` is.\n",
         RunAdd},
        {"delete", "delete [--dir DIR] INDEX...",
         "      Deletes the reminders at those indexes (as `list` numbers them) and prints their lines as `list`\n"
         "      printed them. The file is written as the program writes it: a running program takes the change in\n"
         "      and loses nothing of its own; a reminder another program changed meanwhile is left (exit 1).\n",
         RunDelete},
        {"set", "set [--dir DIR] INDEX KEY=VALUE...",
         "      Changes keys of the reminder at INDEX, by the data file's names (Year, Month, Day, Hour, Minuter,\n"
         "      Forward, Method, IsLunar, IsLeapMonth, AutoExecScript, Reminded, Music, Command, Message, Warnings\n"
         "      such as 3d,1d, Interval such as 2w, StartDate and EndDate such as 2027-06-30, EndCount, MonthEnd\n"
         "      (1: a day 29..31 falls on the last day of shorter months); an empty value clears the last seven),\n"
         "      and prints its new line as `list` prints it. Written as `delete` is.\n",
         RunSet},
        {"due", "due [--at \"YYYY-MM-DD HH:MM\"] [--dir DIR] [--startup] [--json]",
         "      What the once-a-minute check would fire at that minute (default now), in firing order: INDEX, PASS "
         "(exact,\n"
         "      hourly, warning, or startup with --startup), ACTION (show, silent or skip) and the text shown.\n",
         RunDue},
        {"expand", "expand [--at \"YYYY-MM-DD HH:MM:SS\"] [--sunday] [--dir DIR] TEXT",
         "      The reminder text with its # and % codes filled in at that moment (default now); for a text\n"
         "      with a week condition a second line WEEK<TAB>holds or fails (weeks begin on Monday unless\n"
         "      --sunday), and likewise for $gzr$ (an official workday) and $xxr$ (an official rest day).\n",
         RunExpand},
        {"workday", "workday [--dir DIR] DATE...",
         "      Whether each date is an official workday or rest day: DATE, workday or restday, and the\n"
         "      festival of a date the holiday schedule lists. A year the schedule does not know goes by the\n"
         "      weekday, and a notice on standard error says so. DIR's holidays.txt adds or replaces years.\n",
         RunWorkday},
        {"next", "next [--dir DIR] [--at \"YYYY-MM-DD HH:MM\"] [--count N] [--days D] [--json]",
         "      The next N firings (default 20) after that minute (default now) within D days (default 366),\n"
         "      in time order, then list order: MINUTE, INDEX, ACTION (show or silent) and the text shown.\n"
         "      A holiday condition decided in a year the schedule does not know gives a notice on standard error.\n",
         RunNext},
        {"missed", "missed --since \"YYYY-MM-DD HH:MM\" [--at \"YYYY-MM-DD HH:MM\"] [--dir DIR] [--json]",
         "      What the program would catch up when it last checked the minute --since and now checks at --at\n"
         "      (default now): the firings of the minutes between, none older than the MissedWindowHours\n"
         "      setting (24 hours unless config.ini says otherwise), in time order, then list order: MINUTE,\n"
         "      INDEX, ACTION (show or silent) and the text, expanded at its own minute.\n"
         "      With --json, list, due, next and missed print one JSON object a line instead: what the line says\n"
         "      (index, minute, pass, action, lead of a warning in minutes, text, ...) and the reminder's stored keys\n"
         "      by their file names.\n",
         RunMissed},
        {"export", "export [--dir DIR] --items N[,N...] FILE",
         "      Writes the reminders at those positions, counted from 1 (list's INDEX + 1), to the new exchange\n"
         "      file FILE, in list order, as the program's export command does. An existing FILE is never\n"
         "      written into: the command stops with exit status 1. Importing is done in the program.\n",
         RunExport},
        {"ics", "ics [--dir DIR] [--items N[,N...]] [--years N] [--lunar-rules] [--at MOMENT] FILE",
         "      Writes the reminders at those positions (all of them without --items) to the new iCalendar\n"
         "      file FILE, one event each, as the program's export does: repeating Gregorian reminders as\n"
         "      rules, the others as their dates of the next N years (--years, default 10, from MOMENT, default\n"
         "      now), lunar ones with --lunar-rules as RSCALE=CHINESE rules (few readers take them: khal fails on\n"
         "      the whole file, python-icalendar drops them; a sync never writes them). Hourly reminders go out as\n"
         "      every full hour of their days. A reminder without a UID is given one\n"
         "      in the data file, so that a later export replaces its event elsewhere. An existing FILE is\n"
         "      never written into. Importing is done in the program.\n",
         [](const Arguments& arguments, std::ostream& out, std::ostream& err) { return IcsRun(arguments, out, err); }},
        {"sync", "sync [--dir DIR] [--dry-run] [--password-stdin] [--timeout SECONDS]",
         "      Syncs the reminders with the CalDAV calendar chosen in the program's settings (软件设置, 同步),\n"
         "      as the program does: the server's changes come into the data file, this side's go to the\n"
         "      server. --dry-run prints what a sync would take and send, and changes nothing. The password is\n"
         "      read from the desktop's secret store, or with --password-stdin as the first line of standard\n"
         "      input. Reminders from the server that carry commands, and deletions of more than half of the\n"
         "      reminders, wait until the program asks about them. Without network or server: exit status 1,\n"
         "      and the changes wait for the next sync.\n",
         [](const Arguments& arguments, std::ostream& out, std::ostream& err) { return SyncRun(arguments, out, err); }},
    };
    return commands;
}

void UseIcs(CommandRun run) {
    IcsRun = run;
}

void UseSync(CommandRun run) {
    SyncRun = run;
}

int RunCommandLine(const Arguments& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) {
        PrintHelp(err);
        return 2;
    }
    if (arguments[0] == "--help" || arguments[0] == "-h" || arguments[0] == "help") {
        PrintHelp(out);
        return 0;
    }
    if (arguments[0] == "--version" || arguments[0] == "-V") {
        out << "chimewell-cli " << ProgramVersion << " (" << ProductName << ")\n";
        return 0;
    }
    for (const Command& command : Commands()) {
        if (arguments[0] != command.Name) {
            continue;
        }
        const Arguments rest(arguments.begin() + 1, arguments.end());
        for (const std::string& argument : rest) {
            if (argument == "--") {
                break;
            }
            if (argument == "--help") {
                out << "Usage: chimewell-cli " << command.Usage << "\n" << command.Help;
                return 0;
            }
        }
        try {
            return command.Run(rest, out, err);
        } catch (const UsageError& error) {
            err << "chimewell-cli " << command.Name << ": " << error.what() << "\n";
            return 2;
        } catch (const std::exception& error) {
            err << "chimewell-cli " << command.Name << ": " << error.what() << "\n";
            return 1;
        }
    }
    err << "chimewell-cli: unknown command '" << arguments[0] << "' (see chimewell-cli --help)\n";
    return 2;
}

} // namespace chimewell::cli
