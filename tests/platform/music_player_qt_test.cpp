#include "platform/fake_desktop_actions.h"
#include "platform/fake_music_player.h"
#include "platform/music_player.h"
#include "platform/qt_music_player.h"

#include <QApplication>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace chimewell {
namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "music_player_qt_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        new QApplication(argc, argv); // lives to the end of the process, as in the program
    }
}

class ReminderMusicTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        Tune = Folder.filePath("tune.mp3").toStdString();
        QFile file(QString::fromStdString(Tune));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir Folder;
    std::string Tune;
    RecordingDesktopActions Desktop;
    FakeMusicPlayer Player;
};

TEST_F(ReminderMusicTest, ExistingFilePlaysWithoutBeep) {
    std::vector<MusicEnd> ends;
    EXPECT_TRUE(StartReminderMusic(Tune, [&](MusicEnd how) { ends.push_back(how); }));
    EXPECT_EQ(Player.Played, std::vector<std::string>{Tune});
    EXPECT_TRUE(Player.IsPlaying());
    EXPECT_EQ(Desktop.Beeps, 0);
    Player.End(MusicEnd::Finished);
    EXPECT_EQ(ends, std::vector<MusicEnd>{MusicEnd::Finished});
}

TEST_F(ReminderMusicTest, MissingFileBeepsOnceAndPlaysNothing) {
    const std::string missing = Folder.filePath("deleted.wav").toStdString();
    EXPECT_FALSE(StartReminderMusic(missing));
    const std::string folder = Folder.path().toStdString();
    EXPECT_FALSE(StartReminderMusic(folder)); // a folder is no music file either
    EXPECT_TRUE(Player.Played.empty());
    EXPECT_EQ(Desktop.Beeps, 2);
}

// A FIFO (or a device) as the music file blocked the one thread in the media framework's open(): the next
// reminder never showed. An imported file can plant such a path.
TEST_F(ReminderMusicTest, OnlyARegularFileIsHandedToThePlayer) {
    const std::string fifo = Folder.filePath("pipe.mp3").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    SetFallbackSound(Tune);
    EXPECT_TRUE(StartReminderMusic(fifo));
    EXPECT_EQ(Player.Played, std::vector<std::string>{Tune}) << "the fallback sound instead";
    Player.End();
    SetFallbackSound({});
    EXPECT_FALSE(StartReminderMusic("/dev/zero"));
    EXPECT_EQ(Player.Played.size(), 1U);
    EXPECT_EQ(Desktop.Beeps, 1);
}

TEST_F(ReminderMusicTest, NoMusicIsSilent) {
    EXPECT_FALSE(StartReminderMusic(""));
    EXPECT_TRUE(Player.Played.empty());
    EXPECT_EQ(Desktop.Beeps, 0);
}

TEST_F(ReminderMusicTest, UnplayableFileBeepsWithoutAFallback) {
    Player.PlayResult = false;
    EXPECT_FALSE(StartReminderMusic(Tune));
    EXPECT_EQ(Player.Played.size(), 1U);
    EXPECT_FALSE(Player.IsPlaying());
    EXPECT_EQ(Desktop.Beeps, 1);
}

// A reminder must not go unheard because its music file was moved or will not play: the alarm sound plays
// instead, and only when that fails too, the bell.
TEST_F(ReminderMusicTest, TheFallbackSoundPlaysForMissingAndFailingMusic) {
    const std::string alarm = Folder.filePath("alarm.oga").toStdString();
    std::ofstream(alarm) << "x";
    SetFallbackSound(alarm);
    std::vector<MusicEnd> ends;
    const auto record = [&](MusicEnd how) { ends.push_back(how); };

    EXPECT_TRUE(StartReminderMusic(Folder.filePath("moved.mp3").toStdString(), record));
    EXPECT_EQ(Player.Current(), alarm);
    Player.End(MusicEnd::Finished);
    EXPECT_EQ(ends, std::vector<MusicEnd>{MusicEnd::Finished});

    ends.clear();
    ASSERT_TRUE(StartReminderMusic(Tune, record));
    Player.End(MusicEnd::Failed);
    EXPECT_EQ(Player.Current(), alarm) << "a tune that fails while playing gives way to the alarm";
    EXPECT_TRUE(ends.empty()) << "the window still has music to stop";
    Player.End(MusicEnd::Failed);
    EXPECT_EQ(ends, std::vector<MusicEnd>{MusicEnd::Failed});
    EXPECT_EQ(Desktop.Beeps, 1) << "the alarm failed as well";
    EXPECT_EQ(Player.Played, (std::vector<std::string>{alarm, Tune, alarm}));
}

TEST_F(ReminderMusicTest, StopSilencesTheHandler) {
    bool ended = false;
    ASSERT_TRUE(StartReminderMusic(Tune, [&](MusicEnd) { ended = true; }));
    InstalledMusicPlayer().Stop();
    Player.End();
    EXPECT_FALSE(ended);
    EXPECT_EQ(Player.Stops, 1);
}

TEST(MusicPlayerTest, NothingInstalledPlaysNothing) {
    const MusicPlayer previous = InstallMusicPlayer({});
    EXPECT_FALSE(InstalledMusicPlayer().Play("/tmp/a.mp3", {}));
    InstalledMusicPlayer().Stop();
    InstallMusicPlayer(previous);
}

// The real player, only ever given files that hold no sound.
class QtMusicPlayerTest : public testing::Test {
protected:
    void SetUp() override {
        EnsureApplication();
        ASSERT_TRUE(Folder.isValid());
    }

    // Plays a path and waits for its end; nullopt when it did not end within the time.
    std::optional<MusicEnd> PlayToEnd(const MusicPlayer& player, const QString& path, bool* endedInsidePlay) {
        std::optional<MusicEnd> end;
        if (!player.Play(path.toStdString(), [&](MusicEnd how) { end = how; })) {
            return MusicEnd::Failed;
        }
        *endedInsidePlay = end.has_value();
        if (!QTest::qWaitFor([&] { return end.has_value(); }, 20'000)) {
            return std::nullopt;
        }
        return end;
    }

    QTemporaryDir Folder;
    QObject Owner;
};

TEST_F(QtMusicPlayerTest, MissingFileReportsFailure) {
    const MusicPlayer player = QtMusicPlayer(&Owner);
    bool endedInsidePlay = true;
    EXPECT_EQ(PlayToEnd(player, Folder.filePath("missing.mp3"), &endedInsidePlay), MusicEnd::Failed);
    EXPECT_FALSE(endedInsidePlay);
}

TEST_F(QtMusicPlayerTest, FileThatIsNoMusicReportsFailure) {
    QFile file(Folder.filePath("letter.mp3"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Dear reader, this is not a tune at all.\n");
    file.close();
    const MusicPlayer player = QtMusicPlayer(&Owner);
    bool endedInsidePlay = true;
    EXPECT_EQ(PlayToEnd(player, file.fileName(), &endedInsidePlay), MusicEnd::Failed);
    // The player is usable again after a failure.
    EXPECT_EQ(PlayToEnd(player, Folder.filePath("missing.wav"), &endedInsidePlay), MusicEnd::Failed);
}

TEST_F(QtMusicPlayerTest, StoppedTuneNeverReportsAndANewOneDoes) {
    const MusicPlayer player = QtMusicPlayer(&Owner);
    int firstEnds = 0;
    ASSERT_TRUE(player.Play(Folder.filePath("first.mp3").toStdString(), [&](MusicEnd) { ++firstEnds; }));
    player.Stop();
    player.Stop();
    bool endedInsidePlay = true;
    EXPECT_EQ(PlayToEnd(player, Folder.filePath("second.mp3"), &endedInsidePlay), MusicEnd::Failed);
    QTest::qWait(200);
    EXPECT_EQ(firstEnds, 0);
}

TEST_F(QtMusicPlayerTest, PlayerOfAGoneOwnerRefuses) {
    auto owner = std::make_unique<QObject>();
    const MusicPlayer player = QtMusicPlayer(owner.get());
    owner.reset();
    EXPECT_FALSE(player.Play(Folder.filePath("missing.mp3").toStdString(), {}));
    player.Stop();
}

} // namespace
} // namespace chimewell
