#pragma once
// Whole-file reads and atomic whole-file writes for every file the program stores.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

enum class FileReadResult {
    Read,
    Missing,
    // The file is there but could not be read (no permission, a folder of that name, an I/O error).
    Unreadable,
    // Something other than a regular file (a FIFO, a device, a socket): never read, since reading could block
    // for ever or never end.
    NotRegular,
    // Larger than the caller accepts.
    TooLarge,
};

// Reads the file's bytes into bytes (left empty unless Read). A file of more than maxBytes is not read.
FileReadResult ReadWholeFile(const std::string& path, std::string& bytes,
                             std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

// Why a read failed, as a short Chinese phrase for messages ("没有读取权限", "不是普通文件" …); errno of the
// failed call is taken into account for Unreadable.
std::string FileReadFailureText(FileReadResult result, int error);

// Replaces the file's contents in one step: the bytes go to a temporary file in the same folder, which is
// flushed to the disk and then renamed over the old file, taking over its permissions. A crash at any moment
// leaves either the old file or the new one, never a mixture. A file the user made read-only is refused.
// Throws std::runtime_error("Unable to write to <path>") on any failure; the old file then stays as it was.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// For a value kept as the program goes (the minute of the last check, of the last sync): when the new bytes are
// the file's present bytes but for a few of one line, of the same length, they are written over those in
// place, without the waits of flushing to the disk, since the file is whole at every moment and a crash leaves
// the old minute or the new one; bytes the file already holds are not written at all. Anything else goes
// through WriteFileAtomically. Throws as it does.
void KeepFileQuietly(const std::string& path, std::string_view bytes);

// WriteFileAtomically without the exception, for callers that report failures themselves: false, with errno
// set, when the file could not be written.
bool TryWriteFileAtomically(const std::string& path, std::string_view bytes);

// Writes a file that must not exist yet, in one step as WriteFileAtomically does. The name is taken only if
// nothing has it at the moment the finished file is put in place, so a file that appears meanwhile is never
// overwritten either. False, with nothing written, when something of that name exists; throws
// std::runtime_error("Unable to write to <path>") on any other failure.
bool WriteNewFileAtomically(const std::string& path, std::string_view bytes);

// A save killed half-way leaves its temporary file ("<name>.tmpXXXXXX") beside the file it was replacing.
// Removes such leftovers of the named files in the folder; call it only while no other copy of the program
// can be saving there. Returns how many were removed.
int RemoveLeftoverTemporaryFiles(const std::string& folder, const std::vector<std::string>& fileNames);

// What identifies one version of a file without reading it: a file replaced by a rename has another inode, one
// written in place another size or modification time.
struct TFileStamp {
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedNanoseconds = 0;
    friend bool operator==(const TFileStamp&, const TFileStamp&) = default;
};
// The stamp of the file a path names now (a link is followed); Exists is false when nothing is there.
TFileStamp FileStampOf(const std::string& path);

// A digest of a file's bytes, to tell one version from another.
std::size_t BytesDigest(std::string_view bytes);

enum class ReplaceOutcome { Replaced, ChangedMeanwhile };

// WriteFileAtomically for a file that other programs may change too: the new contents replace the file only if
// it is still the version that was read (`expected` its stamp then, `expectedDigest` its bytes') right before
// the rename; else the file stays as the other program left it and ChangedMeanwhile says so. `beforeRename`
// runs just before that last look (tests put another writer there). Throws std::runtime_error("Unable to write
// to <path>") on failure. `written`, when given, gets the stamp of the new file.
ReplaceOutcome ReplaceFileIfUnchanged(const std::string& path, std::string_view bytes, const TFileStamp& expected,
                                      std::size_t expectedDigest, const std::function<void()>& beforeRename = {},
                                      TFileStamp* written = nullptr);

// The lock the program's own writers of a file take (the program, chimewell-cli, the sync), so that they wait
// for each other rather than race: an advisory flock on "<file>.lock" beside it, given up when this goes. Where
// the lock file cannot be made (a read-only folder) there is no lock, and the write fails on its own.
class TWriterLock {
public:
    explicit TWriterLock(const std::string& path, int waitMilliseconds = 10000);
    ~TWriterLock();
    TWriterLock(const TWriterLock&) = delete;
    TWriterLock& operator=(const TWriterLock&) = delete;
    bool Held() const { return Locked; }
    // Another writer held it for all of the wait.
    bool WaitedInVain() const { return Busy; }

private:
    int Descriptor = -1;
    bool Locked = false;
    bool Busy = false;
};

// The message of every refused write.
std::string UnableToWriteMessage(const std::string& path);

// A refused write with the reason the system gave; what() is UnableToWriteMessage, as the command line and the
// logs print it.
class TWriteFailure : public std::runtime_error {
public:
    TWriteFailure(const std::string& path, int error);
    const std::string& Path() const { return FilePath; }
    int Error() const { return ErrorNumber; }

private:
    std::string FilePath;
    int ErrorNumber = 0;
};

// A standard output closed at the start (">&-") would hand its number to the first file opened, and output
// meant for the terminal would go into it: /dev/null then holds its place. True when it was closed.
bool HoldClosedStandardOutput();
// The end of "无法写出…标准输出" for output that could not be written: "已关闭", "出错（reason）" or "出错".
std::string StandardOutputFailure(bool closed, int error);

// Why a write failed, in words ("磁盘已满", "文件或文件夹不可写（只读或被锁定）").
std::string WriteFailureReason(int error);
// A failure as the program's windows show it: a refused write in Chinese with its reason, any other text as it
// is. The form taking a text turns the first line "Unable to write to <path>" into Chinese.
std::string ShownFailure(const std::exception& failure);
std::string ShownFailureText(const std::string& what);

} // namespace chimewell
