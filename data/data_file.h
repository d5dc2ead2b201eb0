#pragma once
// The one way the data file changes, for the program, chimewell-cli and the sync alike. Several programs may
// write it: our own writers take the writers' lock and so wait for each other; under the lock the file is read
// as it is, the change is made to that, and the result replaces the file only if nothing wrote it since it was
// read (writers that take no lock, editors and file-sync tools, are caught there); else the change starts over
// from the newer file.
//
// And what a version of the file written by someone else looks like: an emptied file, one cut short or one
// that is no data file at all is not taken as the truth.

#include "data/file_io.h"

#include <cstdint>
#include <functional>
#include <string>

namespace chimewell {

class TIniFile;

// The change of one attempt: writes into the file as it is now. May run more than once, and must find what it
// changes anew each time. It may throw TSettleFirst when the file looks like it is still being written.
using TDataFileChange = std::function<void(TIniFile& file)>;

struct TSettleFirst {};

struct TRewritten {
    std::string Bytes;
    // The file as written: what a later look tells it by.
    TFileStamp Stamp;
};

// Reads, changes and replaces the file in one step, as the header says. Throws std::runtime_error when the file
// cannot be written ("Unable to write to <path>"), when another writer kept the lock too long, or when other
// programs kept changing the file; whatever `change` throws goes through.
TRewritten RewriteDataFile(const std::string& path, const TDataFileChange& change,
                           const std::function<void()>& beforeReplace = {});

// True for a file that is empty or blank, or holds a "[Main]" section: a file with anything else is no data file.
bool LooksLikeDataFile(const TIniFile& file);
// Why a version another program wrote is not to be taken as the list (in words for a sentence: "它现在一条提醒
// 也没有"), or empty when it looks whole. `countBefore` is how many reminders the list held.
std::string OutsideSuspicion(const TIniFile& file, std::int32_t countBefore);
// Waits a moment and tells whether the file stayed as `stamp` says: a file still changing is still being written.
bool StaysTheSame(const std::string& path, const TFileStamp& stamp);

// Keeps the bytes of a version not taken beside the data file, as "<file>.outside-YYYYMMDD-HHMM" (with "-2" …
// when that name is taken); the name, or empty when it could not be written.
std::string KeepOutsideCopy(const std::string& path, const std::string& bytes);

} // namespace chimewell
