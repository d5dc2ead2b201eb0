#include "data/file_io.h"

#include "child_process.h"
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace chimewell {
namespace {

namespace fs = std::filesystem;
using testing::FirstRoundKilledBadly;
using testing::ReadBytes;
using testing::RunUnprivileged;
using testing::TempFolder;
using testing::WriteBytes;

int FilesIn(const fs::path& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

// Exit codes of the unprivileged child.
constexpr int Refused = 0;
constexpr int Written = 1;
constexpr int WrongMessage = 2;

int TryWrite(const std::string& path) {
    try {
        WriteFileAtomically(path, "new contents");
        return Written;
    } catch (const std::runtime_error& error) {
        // The command line's words, and the window's in Chinese with a reason.
        return std::string(error.what()) == "Unable to write to " + path &&
                       ShownFailure(error).rfind("无法保存文件 " + path + "：", 0) == 0
                   ? Refused
                   : WrongMessage;
    }
}

class FileIoTest : public ::testing::Test {
protected:
    TempFolder Folder;
    std::string Path = Folder.File("reminddata.sdt");
};

TEST_F(FileIoTest, ReplacesContentsAndKeepsPermissions) {
    WriteBytes(Path, "old");
    fs::permissions(Path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteFileAtomically(Path, "new\r\n");
    EXPECT_EQ(ReadBytes(Path), "new\r\n");
    EXPECT_EQ(fs::status(Path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(FilesIn(Folder.Path()), 1);
}

TEST_F(FileIoTest, NewFileFollowsTheUmask) {
    const mode_t old = umask(027);
    WriteFileAtomically(Path, "x");
    umask(old);
    struct stat info {};
    ASSERT_EQ(stat(Path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(FileIoTest, SymbolicLinkStaysALink) {
    const std::string target = Folder.File("real.sdt");
    WriteBytes(target, "old");
    fs::create_symlink(target, Path);
    WriteFileAtomically(Path, "new");
    EXPECT_TRUE(fs::is_symlink(Path));
    EXPECT_EQ(ReadBytes(target), "new");
}

TEST_F(FileIoTest, ReadOnlyFolderRefusesAndLeavesOldFileByteIdentical) {
    const std::string old = "[Main]\r\nItems=1\r\n";
    WriteBytes(Path, old);
    fs::permissions(Folder.Path(), fs::perms::all);
    fs::permissions(Path,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(Folder.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    EXPECT_EQ(RunUnprivileged([&] { return TryWrite(Path); }), Refused);
    EXPECT_EQ(ReadBytes(Path), old);
    EXPECT_EQ(FilesIn(Folder.Path()), 1);
}

TEST_F(FileIoTest, ReadOnlyFileIsRefusedEvenInAWritableFolder) {
    WriteBytes(Path, "old");
    fs::permissions(Path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(Folder.Path(), fs::perms::all);
    EXPECT_EQ(RunUnprivileged([&] { return TryWrite(Path); }), Refused);
    EXPECT_EQ(ReadBytes(Path), "old");
}

TEST_F(FileIoTest, AMinuteKeptAsItGoesIsWrittenInPlaceAndAnythingElseWhole) {
    const std::string before = "[Config]\r\nLastCheck=2026-12-10 17:00\r\nSound=1\r\n";
    WriteBytes(Path, before);
    const std::uint64_t inode = FileStampOf(Path).Inode;
    std::string later = before;
    later.replace(later.find("17:00"), 5, "18:00");
    KeepFileQuietly(Path, later);
    EXPECT_EQ(ReadBytes(Path), later);
    EXPECT_EQ(FileStampOf(Path).Inode, inode);

    // What the file already holds is not written at all.
    const auto old = fs::last_write_time(Path) - std::chrono::hours(1);
    fs::last_write_time(Path, old);
    KeepFileQuietly(Path, later);
    EXPECT_EQ(fs::last_write_time(Path), old);

    // A change across lines, or of the length: a whole new file, as every save.
    for (const std::string& whole : {std::string("[Config]\r\nLastCheck=2026-12-10 19:00\r\nSound=0\r\n"),
                                     std::string("[Config]\r\nLastCheck=2026-12-10 19:00\r\n"),
                                     std::string("[Config]\r\nLastCheck=2026-12-10 19:00\r\nSound=2\r\n")}) {
        const std::uint64_t was = FileStampOf(Path).Inode;
        KeepFileQuietly(Path, whole);
        EXPECT_NE(FileStampOf(Path).Inode, was) << whole;
        EXPECT_EQ(ReadBytes(Path), whole);
        EXPECT_EQ(FilesIn(Folder.Path()), 1);
    }
}

TEST_F(FileIoTest, AReadOnlyFileIsNotKeptInPlaceEither) {
    WriteBytes(Path, "LastCheck=2026-12-10 17:00\r\n");
    fs::permissions(Path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(Folder.Path(), fs::perms::all);
    EXPECT_EQ(RunUnprivileged([&] {
                  try {
                      KeepFileQuietly(Path, "LastCheck=2026-12-10 18:00\r\n");
                      return Written;
                  } catch (const std::runtime_error&) {
                      return Refused;
                  }
              }),
              Refused);
    EXPECT_EQ(ReadBytes(Path), "LastCheck=2026-12-10 17:00\r\n");
}

TEST(ShownFailureTest, ARefusedWriteReadsInChineseWithItsReason) {
    const std::string path = "/nonexistent-folder/reminddata.sdt";
    try {
        WriteFileAtomically(path, "x");
        ADD_FAILURE() << "written";
    } catch (const std::exception& error) {
        EXPECT_EQ(ShownFailure(error), "无法保存文件 " + path + "：所在的文件夹不存在。");
    }
    EXPECT_EQ(ShownFailureText("Unable to write to /a/b.sdt\n别的程序一直在改这个文件，这次没有保存。"),
              "无法保存文件 /a/b.sdt。\n别的程序一直在改这个文件，这次没有保存。");
    EXPECT_EQ(ShownFailureText("文件太大"), "文件太大");
    EXPECT_EQ(WriteFailureReason(ENOSPC), "磁盘已满");
}

TEST_F(FileIoTest, MissingFolderIsRefused) {
    const std::string path = Folder.File("gone/reminddata.sdt");
    EXPECT_EQ(TryWrite(path), Refused);
}

// Writes that do little else than write, killed at random moments: the file is always one whole version.
TEST_F(FileIoTest, KilledWriteLeavesOneWholeVersion) {
    const std::string first(1'000'000, 'a');
    const std::string second = std::string(700'000, 'b') + "end";
    WriteFileAtomically(Path, first);
    const int tornRound = FirstRoundKilledBadly([&](int k) { WriteFileAtomically(Path, k % 2 == 0 ? second : first); },
                                                [&] {
                                                    const std::string now = ReadBytes(Path);
                                                    return now == first || now == second;
                                                },
                                                15, 20000);
    EXPECT_EQ(tornRound, -1);
}

TEST_F(FileIoTest, ReadTellsMissingFromUnreadable) {
    std::string bytes = "stale";
    EXPECT_EQ(ReadWholeFile(Path, bytes), FileReadResult::Missing);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(ReadWholeFile(Folder.File("no/such/file"), bytes), FileReadResult::Missing);
    EXPECT_EQ(ReadWholeFile(Folder.Path().string(), bytes), FileReadResult::Unreadable);
    WriteBytes(Path, std::string(200000, '\x80'));
    EXPECT_EQ(ReadWholeFile(Path, bytes), FileReadResult::Read);
    EXPECT_EQ(bytes, std::string(200000, '\x80'));
    EXPECT_EQ(ReadWholeFile(Path, bytes, 199999), FileReadResult::TooLarge);
    EXPECT_TRUE(bytes.empty());
}

// Reading a FIFO would wait for a writer for ever, and a device such as /dev/zero never ends.
TEST_F(FileIoTest, OnlyRegularFilesAreRead) {
    std::string bytes;
    ASSERT_EQ(mkfifo(Path.c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeFile(Path, bytes), FileReadResult::NotRegular);
    EXPECT_EQ(ReadWholeFile("/dev/zero", bytes), FileReadResult::NotRegular);
    EXPECT_EQ(FileReadFailureText(FileReadResult::NotRegular, 0), "不是普通文件");
}

TEST_F(FileIoTest, ANewFileTakesOnlyAFreeName) {
    const mode_t old = umask(027);
    EXPECT_TRUE(WriteNewFileAtomically(Path, "new"));
    umask(old);
    EXPECT_EQ(ReadBytes(Path), "new");
    EXPECT_EQ(fs::status(Path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_FALSE(WriteNewFileAtomically(Path, "other"));
    EXPECT_EQ(ReadBytes(Path), "new");
    fs::create_symlink(Folder.File("nowhere"), Folder.File("link"));
    EXPECT_FALSE(WriteNewFileAtomically(Folder.File("link"), "through the link"));
    EXPECT_EQ(FilesIn(Folder.Path()), 2) << "no temporary file is left behind";
    EXPECT_THROW(WriteNewFileAtomically(Folder.File("gone/new.txt"), "x"), std::runtime_error);
}

// A save killed half-way leaves "<name>.tmpXXXXXX" behind; the next start takes away exactly those.
TEST_F(FileIoTest, LeftoverTemporaryFilesOfTheNamedFilesAreRemoved) {
    for (const char* name : {"reminddata.sdt.tmpAb12Cd", "config.ini.tmpZZZZZZ", "reminddata.sdt.tmp1234567",
                             "reminddata.sdt.tmp12345", "other.txt.tmpabcdef", "reminddata.sdt", "notes.tmpabcdef"}) {
        WriteBytes(Folder.File(name), "x");
    }
    fs::create_directory(Folder.File("config.ini.tmpfolder"));
    fs::create_symlink(Path, Folder.File("config.ini.tmplinked"));
    EXPECT_EQ(RemoveLeftoverTemporaryFiles(Folder.Folder(), {"reminddata.sdt", "config.ini", "quickfinish.ini"}), 2);
    EXPECT_FALSE(fs::exists(Folder.File("reminddata.sdt.tmpAb12Cd")));
    EXPECT_FALSE(fs::exists(Folder.File("config.ini.tmpZZZZZZ")));
    EXPECT_EQ(FilesIn(Folder.Path()), 7) << "other names, a folder and a link stay";
}

} // namespace
} // namespace chimewell
