#pragma once
// Exchange files: chosen reminders copied out of the data file into a text file of their own, and the
// reminders of such a file appended to the data file. An exchange file is an INI file like the data file: a
// header section "Divazu2.01" with the count, then sections Item1, Item2 … with the data file's 15 keys.
//
// Values travel key by key as the files hold them, not through a reminder record: a flag stored as 2 arrives
// as 2, exactly as the older program's files carry it.

#include "data/file_io.h"
#include "data/reminder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

class TIniFile;

inline constexpr const char* ExchangeHeaderSection = "Divazu2.01";
inline constexpr const char* ExchangeCountKey = "RemindCount";
inline constexpr const char* ExchangeCommentKey = "Comment";
inline constexpr const char* ExchangeComment = "DataFile_Divazu2.01_QHS";

// An import file is read whole into memory; nothing a person exports comes near this.
inline constexpr std::size_t MaxImportFileBytes = 64U * 1024U * 1024U;

// The twelve numeric keys of a reminder section, the five flags included, in the order they are written.
inline constexpr std::array<const char*, 12> ExchangeNumberKeys = {
    "Year",   "Month",   "Day",         "Hour",       "Minuter",        "Forward",
    "Method", "IsLunar", "IsLeapMonth", "WithScript", "AutoExecScript", "Reminded",
};
inline constexpr std::size_t ExchangeAutoExecScriptKey = 10;

// One reminder section as stored: the numeric keys as the integers they hold, the texts unchanged.
struct TExchangeItem {
    std::array<std::int32_t, 12> Numbers{};
    std::string Music;
    std::string Command;
    std::string Message;
    // The data file's keys after the 15; exchange files carry neither, calendar files both.
    std::string Uid;
    TRmSchedule Schedule;

    friend bool operator==(const TExchangeItem&, const TExchangeItem&) = default;
};

// Missing keys read as 0 and empty texts.
TExchangeItem ReadExchangeItem(const TIniFile& ini, const std::string& section);
// Writes all 15 keys, the UID and the schedule's keys, so whatever a section held before is replaced whole; a key
// after the 15 that says nothing is left out where the section did not have it.
void WriteExchangeItem(TIniFile& ini, const std::string& section, const TExchangeItem& item);

// The bytes of an exchange file holding the data file's sections "Item" + numbers[j], j = 0, 1 …, as Item1,
// Item2 …; numbers are 1-based positions in the list. Only the 15 keys go into it.
std::string ExchangeFileBytes(const TIniFile& dataFile, const std::vector<std::int32_t>& numbers);

// What an export tells the user when a chosen reminder has warnings, an interval or an end, which stay behind.
inline constexpr const char* ScheduleLeftBehindNotice = "提前提醒和间隔重复不能存入交换文件，只随 iCalendar 文件导出。";

// Copies the chosen reminders of the data file into a new exchange file. False, with nothing written, when
// a file of that name exists: an existing file is never written into. Throws std::runtime_error when the
// data file cannot be read or the file cannot be written. `notice`, where given, gets ScheduleLeftBehindNotice
// when what the file cannot hold was left out of it, else empty.
bool ExportReminders(const std::string& dataFileName, const std::string& exportFileName,
                     const std::vector<std::int32_t>& numbers, std::string* notice = nullptr);

// What an import file holds, or why it is refused.
struct TImportFile {
    // Non-empty: a sentence for the user, naming the file; nothing may be imported.
    std::string Refusal;
    std::vector<TExchangeItem> Items;
};

// Reads an import file through the INI layer, whatever code page the file is in. Refused: a file that is
// missing, unreadable, not a regular file or larger than MaxImportFileBytes. The count is "RemindCount", but
// no more than the highest item section the file holds (a count with nothing behind it would bring phantom
// reminders that fire every midnight); missing sections below it arrive as all-zero reminders.
TImportFile ReadImportFile(const std::string& importFileName);

// The positions (0-based, in file order) of the reminders that carry a command.
std::vector<std::size_t> ItemsWithCommands(const std::vector<TExchangeItem>& items);

// A command line (or any text from elsewhere) as the user must see it to judge it: whole, with what would hide a
// part of it made visible (a run of blanks shown by its length; controls, format and invisible characters,
// spaces other than the blank, private use, and a combining mark at its start by their code, 〔U+202E〕),
// wrapped so that a long line fits in a box.
std::string VisibleCommand(std::string_view text);

// The question asked before reminders with commands are imported: each such reminder with its text and its
// command, and whether the command runs by itself when the reminder fires.
std::string CommandQuestionText(const std::string& importFileName, const std::vector<TExchangeItem>& items);

// Appends the items to the data file after the reminders it holds, in one atomic write. A UID that a
// reminder of the file or an earlier item already has is dropped, so that no two reminders share one. Throws
// std::runtime_error "Unable to write to <path>" when the data file cannot be read or written; the data file
// is then as it was.
void AppendToDataFile(const std::string& dataFileName, const std::vector<TExchangeItem>& items);

// The sentence that refuses an import file that could not be read, naming it and why.
std::string ImportReadRefusal(const std::string& importFileName, FileReadResult result, int error);

// The last steps of every import: asks before reminders with commands (No or Cancel imports nothing) and appends
// the reminders. True when the data file was written.
bool AskAndAppend(const std::string& dataFileName, const std::string& importFileName,
                  const std::vector<TExchangeItem>& items);

// The whole import: reads the file, refuses it with a message naming it, says when it holds no reminders,
// asks before reminders with commands (Cancel imports nothing) and appends the reminders. True when the data
// file was written. Messages go through the message-box seam.
bool ImportReminders(const std::string& dataFileName, const std::string& importFileName);

} // namespace chimewell
