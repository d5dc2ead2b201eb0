#include "data/file_io.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace chimewell {

namespace {

// Closes the descriptor and removes the temporary file unless the write went through.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string nameTemplate) : Name(std::move(nameTemplate)) {
        Descriptor = mkostemp(Name.data(), O_CLOEXEC);
        Created = Descriptor >= 0;
    }
    ~TemporaryFile() {
        // Cleaning up must not overwrite the error that made the write fail.
        const int error = errno;
        if (Descriptor >= 0) {
            close(Descriptor);
        }
        if (Created && !Kept) {
            unlink(Name.c_str());
        }
        errno = error;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool IsOpen() const { return Descriptor >= 0; }
    int Handle() const { return Descriptor; }
    const std::string& Path() const { return Name; }
    bool Close() {
        const int result = close(Descriptor);
        Descriptor = -1;
        return result == 0;
    }
    void Keep() { Kept = true; }

private:
    std::string Name;
    int Descriptor = -1;
    bool Created = false;
    bool Kept = false;
};

bool WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The process's umask without changing it: umask() can only be read by setting it, which would race with
// other threads creating files.
mode_t CurrentUmask() {
    FILE* status = std::fopen("/proc/self/status", "re");
    unsigned int mask = 022;
    if (status != nullptr) {
        char line[256];
        while (std::fgets(line, sizeof line, status) != nullptr) {
            if (std::sscanf(line, "Umask: %o", &mask) == 1) {
                break;
            }
        }
        std::fclose(status);
    }
    return static_cast<mode_t>(mask);
}

// A symbolic link stays a link: the new contents go beside the file it points to.
std::string ResolveTarget(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved) != nullptr) {
            return resolved;
        }
    }
    return path;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncFolder(const std::string& folder) {
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        // The rename has happened either way; this only hastens it to the disk.
        fsync(descriptor);
        close(descriptor);
    }
}

constexpr std::string_view TemporarySuffix = ".tmp";
constexpr std::size_t TemporaryNameLength = 6; // the XXXXXX of mkostemp

bool IsTemporaryNameOf(std::string_view entry, std::string_view fileName) {
    if (entry.size() != fileName.size() + TemporarySuffix.size() + TemporaryNameLength ||
        !entry.starts_with(fileName) || entry.substr(fileName.size(), TemporarySuffix.size()) != TemporarySuffix) {
        return false;
    }
    for (const char c : entry.substr(fileName.size() + TemporarySuffix.size())) {
        const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit) {
            return false;
        }
    }
    return true;
}

TFileStamp StampOf(const struct stat& status) {
    TFileStamp stamp;
    stamp.Exists = true;
    stamp.Device = static_cast<std::uint64_t>(status.st_dev);
    stamp.Inode = static_cast<std::uint64_t>(status.st_ino);
    stamp.Size = static_cast<std::int64_t>(status.st_size);
    stamp.ModifiedNanoseconds =
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
    return stamp;
}

enum class ReplacementOutcome { Written, Failed, Declined };

// `stillWanted`, when given, is asked once the new contents are safely on the disk, right before the rename:
// false leaves the old file as it is.
ReplacementOutcome WriteReplacement(const std::string& target, std::string_view bytes,
                                    const std::function<bool()>& stillWanted = {}, TFileStamp* written = nullptr) {
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) {
        errno = S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
        return ReplacementOutcome::Failed;
    }
    if (exists && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return ReplacementOutcome::Failed;
    }
    TemporaryFile temporary(target + std::string(TemporarySuffix) + std::string(TemporaryNameLength, 'X'));
    if (!temporary.IsOpen()) {
        return ReplacementOutcome::Failed;
    }
    const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (exists && (old.st_uid != geteuid() || old.st_gid != getegid())) {
        // Only possible for a privileged user; without privilege the new file simply stays ours.
        [[maybe_unused]] const int ignored = fchown(temporary.Handle(), old.st_uid, old.st_gid);
    }
    if (!WriteAll(temporary.Handle(), bytes) || fchmod(temporary.Handle(), mode) != 0 ||
        fsync(temporary.Handle()) != 0) {
        return ReplacementOutcome::Failed;
    }
    if (written != nullptr) {
        // The new file's own stamp, whoever writes the folder after the rename.
        struct stat info {};
        if (fstat(temporary.Handle(), &info) != 0) {
            return ReplacementOutcome::Failed;
        }
        *written = StampOf(info);
    }
    if (!temporary.Close()) {
        return ReplacementOutcome::Failed;
    }
    if (stillWanted && !stillWanted()) {
        return ReplacementOutcome::Declined;
    }
    if (rename(temporary.Path().c_str(), target.c_str()) != 0) {
        return ReplacementOutcome::Failed;
    }
    temporary.Keep();
    SyncFolder(FolderOf(target));
    return ReplacementOutcome::Written;
}

enum class NewFileOutcome { Written, Exists, Failed };

// Puts the finished temporary file in place under a name nothing may have. Not every file system can refuse
// a name atomically: renameat2 with RENAME_NOREPLACE first, then a hard link, and on a file system that has
// neither (FAT) a check just before an ordinary rename.
NewFileOutcome TakeNewName(const std::string& temporary, const std::string& target) {
    if (renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return NewFileOutcome::Written;
    }
    if (errno == EEXIST) {
        return NewFileOutcome::Exists;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return NewFileOutcome::Failed;
    }
    if (link(temporary.c_str(), target.c_str()) == 0) {
        unlink(temporary.c_str());
        return NewFileOutcome::Written;
    }
    if (errno == EEXIST) {
        return NewFileOutcome::Exists;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS) {
        return NewFileOutcome::Failed;
    }
    struct stat info {};
    if (lstat(target.c_str(), &info) == 0) {
        return NewFileOutcome::Exists;
    }
    return rename(temporary.c_str(), target.c_str()) == 0 ? NewFileOutcome::Written : NewFileOutcome::Failed;
}

NewFileOutcome WriteNew(const std::string& target, std::string_view bytes) {
    struct stat info {};
    // A dangling symbolic link counts as taken: writing through it would create a file somewhere else.
    if (lstat(target.c_str(), &info) == 0) {
        return NewFileOutcome::Exists;
    }
    TemporaryFile temporary(target + std::string(TemporarySuffix) + std::string(TemporaryNameLength, 'X'));
    if (!temporary.IsOpen()) {
        return NewFileOutcome::Failed;
    }
    if (!WriteAll(temporary.Handle(), bytes) || fchmod(temporary.Handle(), 0666 & ~CurrentUmask()) != 0 ||
        fsync(temporary.Handle()) != 0 || !temporary.Close()) {
        return NewFileOutcome::Failed;
    }
    const NewFileOutcome outcome = TakeNewName(temporary.Path(), target);
    if (outcome == NewFileOutcome::Written) {
        temporary.Keep();
        SyncFolder(FolderOf(target));
    }
    return outcome;
}

} // namespace

bool WriteNewFileAtomically(const std::string& path, std::string_view bytes) {
    const NewFileOutcome outcome = path.empty() ? NewFileOutcome::Failed : WriteNew(path, bytes);
    if (outcome == NewFileOutcome::Failed) {
        throw TWriteFailure(path, errno);
    }
    return outcome == NewFileOutcome::Written;
}

int RemoveLeftoverTemporaryFiles(const std::string& folder, const std::vector<std::string>& fileNames) {
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr) {
        return 0;
    }
    int removed = 0;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    while (const dirent* entry = readdir(directory)) {
        const std::string_view name = entry->d_name;
        for (const std::string& fileName : fileNames) {
            struct stat info {};
            const std::string path = prefix + std::string(name);
            // Only a plain file of our own: never follow a link, never touch what another user made.
            if (IsTemporaryNameOf(name, fileName) && lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                info.st_uid == geteuid() && unlink(path.c_str()) == 0) {
                ++removed;
            }
        }
    }
    closedir(directory);
    return removed;
}

std::string UnableToWriteMessage(const std::string& path) {
    return "Unable to write to " + path;
}

bool HoldClosedStandardOutput() {
    const bool closed = fcntl(STDOUT_FILENO, F_GETFD) == -1 && errno == EBADF;
    if (closed) {
        const int placeholder = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (placeholder >= 0 && placeholder != STDOUT_FILENO) {
            dup2(placeholder, STDOUT_FILENO);
            close(placeholder);
        }
    }
    return closed;
}

std::string StandardOutputFailure(bool closed, int error) {
    if (closed) {
        return "已关闭";
    }
    return error != 0 ? std::string("出错（") + std::strerror(error) + "）" : std::string("出错");
}

TWriteFailure::TWriteFailure(const std::string& path, int error)
    : std::runtime_error(UnableToWriteMessage(path)), FilePath(path), ErrorNumber(error) {}

std::string WriteFailureReason(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "文件或所在文件夹不可写（只读、没有权限或被锁定）";
    case EROFS:
        return "所在的磁盘只能读不能写";
    case ENOSPC:
    case EDQUOT:
        return "磁盘已满";
    case ENOENT:
    case ENOTDIR:
        return "所在的文件夹不存在";
    case EISDIR:
        return "这是一个文件夹";
    case EIO:
        return "磁盘读写出错";
    case 0:
        return {};
    default:
        return std::string("系统报告：") + std::strerror(error);
    }
}

std::string ShownFailureText(const std::string& what) {
    constexpr std::string_view Prefix = "Unable to write to ";
    if (what.compare(0, Prefix.size(), Prefix) != 0) {
        return what;
    }
    const std::size_t lineEnd = what.find('\n');
    const std::string path =
        what.substr(Prefix.size(), lineEnd == std::string::npos ? std::string::npos : lineEnd - Prefix.size());
    std::string text = "无法保存文件 " + path + "。";
    if (lineEnd != std::string::npos) {
        text += what.substr(lineEnd);
    }
    return text;
}

std::string ShownFailure(const std::exception& failure) {
    if (const auto* refused = dynamic_cast<const TWriteFailure*>(&failure)) {
        const std::string reason = WriteFailureReason(refused->Error());
        return "无法保存文件 " + refused->Path() + (reason.empty() ? "。" : "：" + reason + "。");
    }
    return ShownFailureText(failure.what());
}

FileReadResult ReadWholeFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
    bytes.clear();
    // Non-blocking, so that opening a FIFO does not wait for a writer; regular files ignore the flag.
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        return errno == ENOENT || errno == ENOTDIR ? FileReadResult::Missing : FileReadResult::Unreadable;
    }
    struct stat info {};
    if (fstat(descriptor, &info) != 0) {
        const int error = errno;
        close(descriptor);
        errno = error;
        return FileReadResult::Unreadable;
    }
    if (S_ISDIR(info.st_mode)) {
        close(descriptor);
        errno = EISDIR;
        return FileReadResult::Unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        close(descriptor);
        return FileReadResult::NotRegular;
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        close(descriptor);
        return FileReadResult::TooLarge;
    }
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(descriptor, buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            close(descriptor);
            bytes.clear();
            errno = error;
            return FileReadResult::Unreadable;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        // A file that grows while it is read is held to the same limit.
        if (bytes.size() > maxBytes) {
            close(descriptor);
            bytes.clear();
            return FileReadResult::TooLarge;
        }
    }
    close(descriptor);
    return FileReadResult::Read;
}

std::string FileReadFailureText(FileReadResult result, int error) {
    switch (result) {
    case FileReadResult::Read:
        return {};
    case FileReadResult::Missing:
        return "文件不存在";
    case FileReadResult::NotRegular:
        return "不是普通文件";
    case FileReadResult::TooLarge:
        return "文件太大";
    case FileReadResult::Unreadable:
        break;
    }
    switch (error) {
    case EACCES:
    case EPERM:
        return "没有读取权限";
    case EISDIR:
        return "这是一个文件夹";
    default:
        return std::string("读取出错（") + std::strerror(error) + "）";
    }
}

bool TryWriteFileAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    return WriteReplacement(ResolveTarget(path), bytes) == ReplacementOutcome::Written;
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    if (!TryWriteFileAtomically(path, bytes)) {
        throw TWriteFailure(path, errno);
    }
}

namespace {

// The most bytes an in-place write may change: a minute or two of one line.
constexpr std::size_t MostQuietBytes = 64;

bool WriteInPlace(const std::string& path, std::string_view bytes) {
    const int descriptor = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0) {
        return false;
    }
    bool written = false;
    struct stat facts {};
    std::string present(bytes.size(), '\0');
    // What the file holds now, through the descriptor that writes: another writer's version is never patched.
    if (fstat(descriptor, &facts) == 0 && S_ISREG(facts.st_mode) &&
        static_cast<std::uint64_t>(facts.st_size) == bytes.size() &&
        pread(descriptor, present.data(), present.size(), 0) == static_cast<ssize_t>(present.size())) {
        std::size_t first = 0;
        while (first < bytes.size() && present[first] == bytes[first]) {
            ++first;
        }
        std::size_t last = bytes.size();
        while (last > first && present[last - 1] == bytes[last - 1]) {
            --last;
        }
        const std::string_view changed = bytes.substr(first, last - first);
        const std::string_view replaced = std::string_view(present).substr(first, last - first);
        const bool oneLine = changed.find_first_of("\r\n") == std::string_view::npos &&
                             replaced.find_first_of("\r\n") == std::string_view::npos;
        if (changed.empty()) {
            written = true;
        } else if (changed.size() <= MostQuietBytes && oneLine) {
            written = pwrite(descriptor, changed.data(), changed.size(), static_cast<off_t>(first)) ==
                      static_cast<ssize_t>(changed.size());
        }
    }
    close(descriptor);
    return written;
}

} // namespace

void KeepFileQuietly(const std::string& path, std::string_view bytes) {
    if (!path.empty() && WriteInPlace(ResolveTarget(path), bytes)) {
        return;
    }
    WriteFileAtomically(path, bytes);
}

ReplaceOutcome ReplaceFileIfUnchanged(const std::string& path, std::string_view bytes, const TFileStamp& expected,
                                      std::size_t expectedDigest, const std::function<void()>& beforeRename,
                                      TFileStamp* written) {
    const auto stillTheSame = [&] {
        if (beforeRename) {
            beforeRename();
        }
        const TFileStamp now = FileStampOf(path);
        if (now == expected) {
            return true;
        }
        if (now.Exists != expected.Exists) {
            return false;
        }
        // Touched, or written back as it was.
        std::string current;
        return ReadWholeFile(path, current) == FileReadResult::Read && BytesDigest(current) == expectedDigest &&
               FileStampOf(path) == now;
    };
    const ReplacementOutcome outcome =
        path.empty() ? ReplacementOutcome::Failed : WriteReplacement(ResolveTarget(path), bytes, stillTheSame, written);
    if (outcome == ReplacementOutcome::Failed) {
        throw TWriteFailure(path, errno);
    }
    return outcome == ReplacementOutcome::Written ? ReplaceOutcome::Replaced : ReplaceOutcome::ChangedMeanwhile;
}

std::size_t BytesDigest(std::string_view bytes) {
    return std::hash<std::string_view>{}(bytes) ^ bytes.size();
}

TWriterLock::TWriterLock(const std::string& path, int waitMilliseconds) {
    const std::string lockPath = ResolveTarget(path) + ".lock";
    Descriptor = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (Descriptor < 0) {
        return;
    }
    for (int waited = 0;; waited += 10) {
        if (flock(Descriptor, LOCK_EX | LOCK_NB) == 0) {
            Locked = true;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return;
        }
        if (waited >= waitMilliseconds) {
            Busy = true;
            return;
        }
        usleep(10000);
    }
}

TWriterLock::~TWriterLock() {
    if (Descriptor >= 0) {
        // Closing the descriptor gives up the lock.
        close(Descriptor);
    }
}

TFileStamp FileStampOf(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return {};
    }
    return StampOf(status);
}

} // namespace chimewell
