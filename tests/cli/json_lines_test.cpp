// --json: one object a line that a script's JSON reader takes, with the stored keys and what the command found.

#include "cli/json_lines.h"
#include "cli/run_cli.h"
#include "data/reminder_list.h"

#include "data/temp_folder.h"
#include "sample_record.h"

#include <gtest/gtest.h>

namespace chimewell::cli {
namespace {

using chimewell::testing::DatedRecord;

TEST(JsonLines, TextsAreEscapedAsJsonWantsAndUtf8StaysAsItIs) {
    EXPECT_EQ(JsonString("a\"b\\c\n\t\x01\x7f 生日"), "\"a\\\"b\\\\c\\n\\t\\u0001\\u007f 生日\"");
    EXPECT_EQ(TJsonLine().Line(), "{}\n");
    EXPECT_EQ(TJsonLine().Number("n", -3).Flag("f", true).Text("t", "").Line(), "{\"n\":-3,\"f\":true,\"t\":\"\"}\n");
}

TEST(JsonLines, ListNextAndDueSayTheReminderAndWhatWasFound) {
    chimewell::testing::TempFolder folder;
    TRmDataList list;
    list.Reset(folder.File("reminddata.sdt"));
    TRmMainDate christmas = DatedRecord(0, 12, 25, 9, 30, "买\"礼物\"");
    christmas.Warnings = {{3, LeadUnit::Days}};
    list.Add(christmas, true);

    const Result listed = RunCli({"list", "--dir", folder.Folder(), "--at", "2026-12-20 08:00", "--json"});
    ASSERT_EQ(listed.Status, 0) << listed.Err;
    EXPECT_EQ(listed.Out.rfind("{\"index\":0,\"expired\":false,\"Year\":0,\"Month\":12,\"Day\":25,\"Hour\":9,", 0), 0U)
        << listed.Out;
    EXPECT_NE(listed.Out.find("\"Message\":\"买\\\"礼物\\\"\""), std::string::npos);
    EXPECT_NE(listed.Out.find("\"Warnings\":\"3d\""), std::string::npos);
    EXPECT_NE(listed.Out.find("\"next\":\"2026-12-22 09:30\"}\n"), std::string::npos) << listed.Out;

    const Result next =
        RunCli({"next", "--dir", folder.Folder(), "--at", "2026-12-20 08:00", "--count", "2", "--json"});
    ASSERT_EQ(next.Status, 0) << next.Err;
    EXPECT_EQ(next.Out.rfind(
                  "{\"minute\":\"2026-12-22 09:30\",\"index\":0,\"action\":\"show\",\"lead\":4320,\"text\":\"还有 3 "
                  "天：",
                  0),
              0U)
        << next.Out;
    EXPECT_NE(next.Out.find("\n{\"minute\":\"2026-12-25 09:30\",\"index\":0,\"action\":\"show\",\"lead\":0,"),
              std::string::npos);

    const Result due = RunCli({"due", "--dir", folder.Folder(), "--at", "2026-12-22 09:30", "--json"});
    ASSERT_EQ(due.Status, 0) << due.Err;
    EXPECT_EQ(due.Out.rfind("{\"index\":0,\"pass\":\"warning\",\"action\":\"show\",\"lead\":4320,", 0), 0U) << due.Out;
    EXPECT_EQ(RunCli({"expand", "--json", "x"}).Status, 2);
}

} // namespace
} // namespace chimewell::cli
