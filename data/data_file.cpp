#include "data/data_file.h"

#include "calendar/clock.h"
#include "data/ini_file.h"
#include "data/reminder_list.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace chimewell {

namespace {

// How long our own writers wait for each other: far longer than any save takes.
constexpr int LockWaitMilliseconds = 10000;
// How often a change starts over because another program wrote the file meanwhile, before it gives up.
constexpr int MostAttempts = 20;
// A file that does not change for this long is no longer being written.
constexpr auto SettleTime = std::chrono::milliseconds(300);

bool IsBlank(const std::string& bytes) {
    bool lineStart = true;
    bool comment = false;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            lineStart = true;
            comment = false;
            continue;
        }
        if (comment || c == ' ' || c == '\t') {
            continue;
        }
        if (lineStart && (c == ';' || c == '#')) {
            comment = true;
            continue;
        }
        return false;
    }
    return true;
}

} // namespace

TRewritten RewriteDataFile(const std::string& path, const TDataFileChange& change,
                           const std::function<void()>& beforeReplace) {
    const TWriterLock lock(path, LockWaitMilliseconds);
    if (lock.WaitedInVain()) {
        throw std::runtime_error(UnableToWriteMessage(path) + "\n另一个程序写这个文件已经超过 " +
                                 std::to_string(LockWaitMilliseconds / 1000) + " 秒还没写完，这次没有保存。");
    }
    for (int attempt = 0; attempt < MostAttempts; ++attempt) {
        const TFileStamp before = FileStampOf(path);
        TIniFile file(path);
        const TFileStamp read = FileStampOf(path);
        try {
            if (before != read) {
                // Written while it was read: the bytes may be half of each.
                throw TSettleFirst{};
            }
            change(file);
        } catch (const TSettleFirst&) {
            std::this_thread::sleep_for(SettleTime);
            continue;
        }
        TRewritten written;
        written.Bytes = file.ToBytes();
        if (read.Exists && written.Bytes == file.StoredBytes()) {
            // Nothing changed: the file stays untouched, and no watcher anywhere wakes for it.
            written.Stamp = read;
            return written;
        }
        if (ReplaceFileIfUnchanged(path, written.Bytes, read, BytesDigest(file.StoredBytes()), beforeReplace,
                                   &written.Stamp) == ReplaceOutcome::Replaced) {
            return written;
        }
    }
    throw std::runtime_error(UnableToWriteMessage(path) + "\n别的程序一直在改这个文件，这次没有保存。");
}

bool LooksLikeDataFile(const TIniFile& file) {
    return file.SectionExists(DataMainSection) || IsBlank(file.StoredBytes());
}

std::string OutsideSuspicion(const TIniFile& file, std::int32_t countBefore) {
    if (!LooksLikeDataFile(file)) {
        return "它不像提醒数据文件（没有 [Main] 一节）";
    }
    const std::int32_t count = StoredItemCount(file);
    if (count == 0) {
        return countBefore > 0 ? "它现在一条提醒也没有（原来有 " + std::to_string(countBefore) + " 条）" : "";
    }
    // Every save writes a reminder's keys whole, its text last: a last section without it was cut off.
    const std::string last = ItemSectionName(count);
    if (file.ReadString(last, "Message", "\x01") == "\x01") {
        return "它的最后一条提醒（[" + last + "]）不完整，像是没写完";
    }
    return {};
}

bool StaysTheSame(const std::string& path, const TFileStamp& stamp) {
    std::this_thread::sleep_for(SettleTime);
    return FileStampOf(path) == stamp;
}

std::string KeepOutsideCopy(const std::string& path, const std::string& bytes) {
    const DateFields date = DecodeDate(Now());
    const TimeFields time = DecodeTime(Now());
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, ".outside-%04d%02d%02d-%02d%02d", date.Year, date.Month, date.Day, time.Hour,
                  time.Minute);
    for (int number = 1; number < 100; ++number) {
        const std::string name = path + stamp + (number > 1 ? "-" + std::to_string(number) : std::string());
        try {
            if (WriteNewFileAtomically(name, bytes)) {
                return name;
            }
        } catch (const std::runtime_error&) {
            return {};
        }
    }
    return {};
}

} // namespace chimewell
