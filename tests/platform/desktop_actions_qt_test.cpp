#include "platform/command_line.h"
#include "platform/desktop_actions.h"
#include "platform/fake_desktop_actions.h"
#include "platform/power.h"
#include "platform/qt_desktop_actions.h"
#include "platform/qt_platform.h"
#include "row_name.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace chimewell {
namespace {

using Words = std::vector<std::string>;

struct SplitRow {
    std::string Name;
    std::string Line;
    std::optional<Words> Expected;
};

class SplitCommandLineTest : public testing::TestWithParam<SplitRow> {};

TEST_P(SplitCommandLineTest, SplitsLikeAShellWithoutRunningOne) {
    EXPECT_EQ(SplitCommandLine(GetParam().Line), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitCommandLineTest,
    testing::Values(
        SplitRow{"Plain", "gedit notes.txt", Words{"gedit", "notes.txt"}},
        SplitRow{"RunsOfBlanks", "  ls \t -l \r\n", Words{"ls", "-l"}}, SplitRow{"EmptyLine", "", Words{}},
        SplitRow{"BlanksOnly", " \t ", Words{}},
        SplitRow{"SingleQuotesKeepEverything", R"(echo 'a "b" \c $d')", Words{"echo", R"(a "b" \c $d)"}},
        SplitRow{"DoubleQuotesKeepBlanks", R"(vlc "/home/me/My Music/a.mp3")", Words{"vlc", "/home/me/My Music/a.mp3"}},
        SplitRow{"DoubleQuotesEscapeOnlyShellCharacters", R"(p "say \"hi\" \\ \$HOME \` \n")",
                 Words{"p", R"(say "hi" \ $HOME ` \n)"}},
        SplitRow{"BackslashOutsideQuotesTakesNextCharacter", R"(touch my\ file \'q\' \\)",
                 Words{"touch", "my file", "'q'", "\\"}},
        SplitRow{"AdjacentPiecesFormOneWord", R"(--name="a b"'c d'e)", Words{"--name=a bc de"}},
        SplitRow{"EmptyQuotesAreEmptyWords", R"(prog '' "" x)", Words{"prog", "", "", "x"}},
        SplitRow{"QuoteOfTheOtherKindInside", R"("it's" 'say "x"')", Words{"it's", R"(say "x")"}},
        SplitRow{"WindowsQuotedProgramPath", R"("C:\Program Files\App\app.exe" /open "D:\My Docs\a.txt")",
                 Words{R"(C:\Program Files\App\app.exe)", "/open", R"(D:\My Docs\a.txt)"}},
        SplitRow{"ShellSyntaxStaysText", "ls; rm -rf ~ | cat > $HOME/x && echo * `id` $(id)",
                 Words{"ls;", "rm", "-rf", "~", "|", "cat", ">", "$HOME/x", "&&", "echo", "*", "`id`", "$(id)"}},
        SplitRow{"ChineseBytesPassThrough", "gedit \"/home/me/文档/提醒 1.txt\"",
                 Words{"gedit", "/home/me/文档/提醒 1.txt"}},
        SplitRow{"BackslashLineBreakJoins", "ec\\\nho \"a\\\nb\"", Words{"echo", "ab"}},
        SplitRow{"OpenSingleQuote", "echo 'abc", std::nullopt}, SplitRow{"OpenDoubleQuote", "echo \"abc", std::nullopt},
        SplitRow{"EscapedQuoteDoesNotClose", R"("C:\Temp\")", std::nullopt},
        SplitRow{"LoneTrailingBackslash", "echo \\", std::nullopt}),
    RowName<SplitRow>);

// Targets are read with the working folder inside a temporary folder that holds "notes.txt".
struct TargetRow {
    std::string Name;
    std::string Target;
    // "file:" followed by a local path (with {HOME} and {CWD} put in), a URL, or empty for an invalid URL.
    QString Expected;
};

class OpenTargetUrlTest : public testing::TestWithParam<TargetRow> {
protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        ASSERT_TRUE(QFile(Folder.filePath("notes.txt")).open(QIODevice::WriteOnly));
        Previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(Folder.path()));
    }
    void TearDown() override { QDir::setCurrent(Previous); }

    QUrl Expected() const {
        QString expected = GetParam().Expected;
        if (expected.isEmpty()) {
            return {};
        }
        expected.replace("{HOME}", QDir::homePath()).replace("{CWD}", QDir::currentPath());
        if (expected.startsWith("file:")) {
            return QUrl::fromLocalFile(expected.mid(5));
        }
        return QUrl(expected);
    }

    QTemporaryDir Folder;
    QString Previous;
};

TEST_P(OpenTargetUrlTest, NormalisesPathsAndAddresses) {
    const QUrl url = OpenTargetUrl(GetParam().Target);
    EXPECT_EQ(url, Expected()) << url.toString().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Targets, OpenTargetUrlTest,
    testing::Values(TargetRow{"AbsolutePath", "/home/me/My Notes/提醒.txt", "file:/home/me/My Notes/提醒.txt"},
                    TargetRow{"BlanksAroundAreDropped", "  /tmp/a.txt \t", "file:/tmp/a.txt"},
                    TargetRow{"HomeFolder", "~/notes.txt", "file:{HOME}/notes.txt"},
                    TargetRow{"DotRelativePath", "./a b.txt", "file:{CWD}/a b.txt"},
                    TargetRow{"RelativePathWithFolder", "docs/a.txt", "file:{CWD}/docs/a.txt"},
                    TargetRow{"ExistingFileWinsOverHostName", "notes.txt", "file:{CWD}/notes.txt"},
                    TargetRow{"DriveLetterIsNotAScheme", R"(C:\docs\a.txt)", R"(file:{CWD}/C:\docs\a.txt)"},
                    TargetRow{"BareHost", "www.example.com", "http://www.example.com"},
                    TargetRow{"HostWithPathQueryAndFragment", "example.com/a?b=1#c", "http://example.com/a?b=1#c"},
                    TargetRow{"HostWithPortIsNotAScheme", "example.com:8080", "http://example.com:8080"},
                    TargetRow{"Localhost", "localhost:8080/x", "http://localhost:8080/x"},
                    TargetRow{"ChineseHost", "例子.中国/页面", "http://例子.中国/页面"},
                    TargetRow{"HttpsKept", "https://example.com/路径?q=1", "https://example.com/路径?q=1"},
                    TargetRow{"MailtoKept", "mailto:someone@example.com?subject=提醒",
                              "mailto:someone@example.com?subject=提醒"},
                    TargetRow{"FileUrlKept", "file:///tmp/a.txt", "file:/tmp/a.txt"}, TargetRow{"Blank", "   ", ""}),
    RowName<TargetRow>);

TEST(DesktopActionsTest, NothingInstalledDoesNothingAndSaysSo) {
    const DesktopActions previous = InstallDesktopActions({});
    const DesktopActions& actions = InstalledDesktopActions();
    EXPECT_FALSE(actions.StartProgram("gedit"));
    EXPECT_FALSE(actions.OpenTarget("https://example.com"));
    EXPECT_FALSE(actions.PowerOff());
    EXPECT_FALSE(actions.Reboot());
    actions.Beep();
    InstallDesktopActions(previous);
}

TEST(DesktopActionsTest, RecorderRecordsInOrderAndRestoresWhatWasThere) {
    {
        RecordingDesktopActions outer;
        {
            RecordingDesktopActions inner;
            const DesktopActions& actions = InstalledDesktopActions();
            EXPECT_TRUE(actions.StartProgram("vlc \"a b.mp3\""));
            EXPECT_TRUE(actions.OpenTarget("www.example.com"));
            actions.Beep();
            inner.Succeeds = false;
            EXPECT_FALSE(actions.PowerOff());
            EXPECT_FALSE(actions.Reboot());
            EXPECT_EQ(inner.StartedPrograms, Words{"vlc \"a b.mp3\""});
            EXPECT_EQ(inner.OpenedTargets, Words{"www.example.com"});
            EXPECT_EQ(inner.PowerOffs, 1);
            EXPECT_EQ(inner.Reboots, 1);
            EXPECT_EQ(inner.Beeps, 1);
            EXPECT_EQ(inner.Calls, (Words{"StartProgram vlc \"a b.mp3\"", "OpenTarget www.example.com", "Beep",
                                          "PowerOff", "Reboot"}));
        }
        InstalledDesktopActions().Beep();
        EXPECT_EQ(outer.Calls, Words{"Beep"});
    }
    EXPECT_FALSE(InstalledDesktopActions().PowerOff());
}

TEST(PowerTest, LoginManagerCallsAskInteractively) {
    for (const auto& [request, method] :
         {std::pair{PowerRequest::PowerOff, "PowerOff"}, std::pair{PowerRequest::Reboot, "Reboot"}}) {
        const QDBusMessage call = LogindPowerCall(request);
        EXPECT_EQ(call.type(), QDBusMessage::MethodCallMessage);
        EXPECT_EQ(call.service(), "org.freedesktop.login1");
        EXPECT_EQ(call.path(), "/org/freedesktop/login1");
        EXPECT_EQ(call.interface(), "org.freedesktop.login1.Manager");
        EXPECT_EQ(call.member(), method);
        ASSERT_EQ(call.arguments().size(), 1);
        EXPECT_EQ(call.arguments().front().metaType(), QMetaType::fromType<bool>());
        EXPECT_TRUE(call.arguments().front().toBool());
        EXPECT_TRUE(call.isInteractiveAuthorizationAllowed());
    }
    EXPECT_EQ(SystemctlPowerArguments(PowerRequest::PowerOff), QStringList{"poweroff"});
    EXPECT_EQ(SystemctlPowerArguments(PowerRequest::Reboot), QStringList{"reboot"});
}

// In a Wayland session the program goes through X11 when it can: only there does the reminder window stay on
// top and in the middle. A platform the user chose is left alone.
TEST(PreferredQtPlatformTest, X11WhereWaylandAlsoOffersIt) {
    EXPECT_STREQ(PreferredQtPlatform(nullptr, "wayland", "wayland-0", ":0"), "xcb");
    EXPECT_STREQ(PreferredQtPlatform(nullptr, nullptr, "wayland-0", ":0"), "xcb");
    EXPECT_STREQ(PreferredQtPlatform("wayland", "wayland", "wayland-0", ":0"), "") << "the user's choice";
    EXPECT_STREQ(PreferredQtPlatform(nullptr, "wayland", "wayland-0", nullptr), "") << "no XWayland";
    EXPECT_STREQ(PreferredQtPlatform(nullptr, "x11", nullptr, ":0"), "");
    EXPECT_STREQ(PreferredQtPlatform("", "wayland", "", ""), "");
}

} // namespace
} // namespace chimewell
