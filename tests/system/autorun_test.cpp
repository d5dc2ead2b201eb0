#include "system/autorun.h"

#include "data/temp_folder.h"
#include "platform/autostart_file.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <optional>
#include <stdexcept>

namespace chimewell {
namespace {

using chimewell::testing::ReadBytes;
using chimewell::testing::TempFolder;
using chimewell::testing::WriteBytes;

struct AskedBox {
    MessageKind Kind;
    std::string Title;
    std::string Text;
};

// Answers the message boxes from a script and records what was asked.
class ScriptedMessageBoxes {
public:
    explicit ScriptedMessageBoxes(std::deque<MessageAnswer> answers) : Answers(std::move(answers)) {
        Previous = SetMessageBoxFunction([this](MessageKind kind, const std::string& title, const std::string& text) {
            Asked.push_back({kind, title, text});
            if (kind == MessageKind::Information || kind == MessageKind::Error) {
                return MessageAnswer::Ok;
            }
            if (Answers.empty()) {
                ADD_FAILURE() << "unexpected question: " << text;
                return MessageAnswer::Cancel;
            }
            const MessageAnswer answer = Answers.front();
            Answers.pop_front();
            return answer;
        });
    }
    ~ScriptedMessageBoxes() { SetMessageBoxFunction(std::move(Previous)); }
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    std::vector<AskedBox> Asked;

private:
    std::deque<MessageAnswer> Answers;
    MessageBoxFunction Previous;
};

// Every test gets its own XDG_CONFIG_HOME, so the user's real autostart folder is never touched.
class AutorunTest : public ::testing::Test {
protected:
    AutorunTest() {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
            OldConfigHome = old;
        }
        setenv("XDG_CONFIG_HOME", Folder.Path().c_str(), 1);
    }
    ~AutorunTest() override {
        if (OldConfigHome) {
            setenv("XDG_CONFIG_HOME", OldConfigHome->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }

    std::string EntryFile() const { return Folder.File("autostart/Chimewell2.1.desktop"); }

    TempFolder Folder;
    std::optional<std::string> OldConfigHome;
    const std::string Program = "/home/li/晴铃 提醒/chimewell";
    bool NeverAsk = false;
};

TEST_F(AutorunTest, AFirstStartAsksYesNoAndRegistersOnYes) {
    ScriptedMessageBoxes boxes({MessageAnswer::Yes});
    EXPECT_TRUE(CheckAutorun(AutorunValueName, Program, NeverAsk));
    ASSERT_EQ(boxes.Asked.size(), 2u);
    EXPECT_EQ(boxes.Asked[0].Kind, MessageKind::YesNoNever);
    EXPECT_EQ(boxes.Asked[0].Title, "询问");
    EXPECT_EQ(boxes.Asked[0].Text, "当前程序未设置开机自动运行，是否设置当前程序开机自动运行？");
    EXPECT_EQ(boxes.Asked[1].Kind, MessageKind::Information);
    EXPECT_EQ(boxes.Asked[1].Text, "已经成功设置开机自动运行！");
    EXPECT_EQ(ReadAutorun(AutorunValueName), Program);
    // The session's settings show the entry with the launcher's icon.
    EXPECT_NE(ReadBytes(EntryFile()).find("\nIcon=chimewell\n"), std::string::npos) << ReadBytes(EntryFile());
}

// Tried: after 否 the question came back at every start with no way to stop it.
TEST_F(AutorunTest, NeverAskStopsTheQuestionUntilItIsSwitchedFromTheMenu) {
    {
        ScriptedMessageBoxes boxes({MessageAnswer::NeverAsk});
        EXPECT_FALSE(CheckAutorun(AutorunValueName, Program, NeverAsk));
        EXPECT_TRUE(NeverAsk);
    }
    ScriptedMessageBoxes boxes({});
    EXPECT_FALSE(CheckAutorun(AutorunValueName, Program, NeverAsk));
    EXPECT_TRUE(boxes.Asked.empty()) << "not asked again";
    WriteAutorun(AutorunValueName, Program); // 开机运行 from the tray menu
    EXPECT_TRUE(CheckAutorun(AutorunValueName, Program, NeverAsk));
}

TEST_F(AutorunTest, DecliningWritesNothingAndAsksAgainNextTime) {
    {
        ScriptedMessageBoxes boxes({MessageAnswer::No});
        EXPECT_FALSE(CheckAutorun(AutorunValueName, Program, NeverAsk));
        EXPECT_EQ(boxes.Asked.size(), 1u);
    }
    EXPECT_FALSE(std::filesystem::exists(EntryFile()));
    ScriptedMessageBoxes boxes({MessageAnswer::No});
    EXPECT_FALSE(CheckAutorun(AutorunValueName, Program, NeverAsk));
    EXPECT_EQ(boxes.Asked.size(), 1u);
}

TEST_F(AutorunTest, AnEntryForThisProgramNeedsNoQuestion) {
    WriteAutorun(AutorunValueName, Program);
    ScriptedMessageBoxes boxes({});
    EXPECT_TRUE(CheckAutorun(AutorunValueName, Program, NeverAsk));
    EXPECT_TRUE(boxes.Asked.empty());
}

TEST_F(AutorunTest, AMovedProgramIsOfferedACorrection) {
    WriteAutorun(AutorunValueName, "/old/place/chimewell");
    ScriptedMessageBoxes boxes({MessageAnswer::Ok});
    EXPECT_TRUE(CheckAutorun(AutorunValueName, Program, NeverAsk));
    ASSERT_EQ(boxes.Asked.size(), 2u);
    EXPECT_EQ(boxes.Asked[0].Kind, MessageKind::Question);
    EXPECT_EQ(boxes.Asked[0].Title, "提示");
    EXPECT_EQ(boxes.Asked[0].Text, "自动启动项中开机自动运行未指向本程序，是否更正？");
    EXPECT_EQ(boxes.Asked[1].Text, "已经成功更正开机自动运行！");
    EXPECT_EQ(ReadAutorun(AutorunValueName), Program);
}

TEST_F(AutorunTest, ACancelledCorrectionLeavesTheEntry) {
    WriteAutorun(AutorunValueName, "/old/place/chimewell");
    const std::string before = ReadBytes(EntryFile());
    ScriptedMessageBoxes boxes({MessageAnswer::Cancel});
    EXPECT_FALSE(CheckAutorun(AutorunValueName, Program, NeverAsk));
    EXPECT_EQ(boxes.Asked.size(), 1u);
    EXPECT_EQ(ReadBytes(EntryFile()), before);
}

TEST_F(AutorunTest, ADifferenceInLetterCaseCountsAsAnotherProgram) {
    WriteAutorun(AutorunValueName, "/opt/Chimewell");
    ScriptedMessageBoxes boxes({MessageAnswer::Cancel});
    EXPECT_FALSE(CheckAutorun(AutorunValueName, "/opt/chimewell", NeverAsk));
    ASSERT_EQ(boxes.Asked.size(), 1u);
    EXPECT_EQ(boxes.Asked[0].Kind, MessageKind::Question);
}

TEST_F(AutorunTest, ASwitchedOffEntryIsAskedAboutAgain) {
    std::filesystem::create_directories(Folder.Path() / "autostart");
    WriteBytes(EntryFile(),
               "[Desktop Entry]\nType=Application\nExec=" + std::string("/opt/chimewell") + "\nHidden=true\n");
    ScriptedMessageBoxes boxes({MessageAnswer::Yes});
    EXPECT_TRUE(CheckAutorun(AutorunValueName, "/opt/chimewell", NeverAsk));
    EXPECT_EQ(boxes.Asked.front().Kind, MessageKind::YesNoNever);
    EXPECT_EQ(ReadAutorun(AutorunValueName), "/opt/chimewell");
}

TEST_F(AutorunTest, DeletingMakesTheNextStartAskAgain) {
    WriteAutorun(AutorunValueName, Program);
    DeleteAutorun(AutorunValueName);
    EXPECT_FALSE(std::filesystem::exists(EntryFile()));
    EXPECT_EQ(ReadAutorun(AutorunValueName), "");
    EXPECT_NO_THROW(DeleteAutorun(AutorunValueName));
    ScriptedMessageBoxes boxes({MessageAnswer::No});
    EXPECT_FALSE(CheckAutorun(AutorunValueName, Program, NeverAsk));
    EXPECT_EQ(boxes.Asked.size(), 1u);
}

TEST_F(AutorunTest, AFailedWriteIsReportedAndNeverCountsAsRegistered) {
    // A file where the autostart folder should be makes every write fail.
    WriteBytes(Folder.File("autostart"), "not a folder");
    try {
        WriteAutorun(AutorunValueName, Program);
        ADD_FAILURE() << "the write did not fail";
    } catch (const std::runtime_error& failure) {
        EXPECT_STREQ(failure.what(), "Failed to set data for 'Chimewell2.1'");
    }
    ScriptedMessageBoxes boxes({MessageAnswer::Yes});
    EXPECT_FALSE(CheckAutorun(AutorunValueName, Program, NeverAsk));
    ASSERT_EQ(boxes.Asked.size(), 2u);
    EXPECT_EQ(boxes.Asked[1].Kind, MessageKind::Error);
    EXPECT_EQ(boxes.Asked[1].Text, "Failed to set data for 'Chimewell2.1'");
}

TEST_F(AutorunTest, AnEntryThatCannotBeRemovedIsReported) {
    // A non-empty folder in the entry's place cannot be unlinked.
    std::filesystem::create_directories(EntryFile() + "/inside");
    EXPECT_THROW(DeleteAutorun(AutorunValueName), std::runtime_error);
}

} // namespace
} // namespace chimewell
