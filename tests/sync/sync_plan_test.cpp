// The sync worked out without a network: each side's changes told apart by the state of the last sync.

#include "calendar/datetime.h"
#include "sample_record.h"
#include "sync/sync_plan.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

namespace chimewell {
namespace {

using testing::DailyRecord;
using testing::DatedRecord;

constexpr const char* Calendar = "/alice/cal/";

TRmMainDate LunarOf(TRmMainDate record) {
    record.IsLunar = true;
    return record;
}

TRmMainDate WithUid(TRmMainDate record, const std::string& uid) {
    record.Uid = uid;
    return record;
}

class SyncPlanTest : public ::testing::Test {
protected:
    SyncPlanTest() {
        Input.CalendarPath = Calendar;
        const TDateTime now = EncodeDateTime(2026, 12, 9, 10, 0);
        Input.Import.Now = now;
        Input.Export.From = now;
        Input.Export.TimeZone = "Asia/Shanghai";
    }

    // A reminder both sides had at the last sync, as event "<uid>.ics" of version "v1".
    void Synced(const TRmMainDate& record) {
        Input.Local.push_back(record);
        Input.State.Entries.push_back(
            {record.Uid, Href(record.Uid), "\"v1\"", ReminderDigest(record), SyncEntryKind::Own, ""});
    }
    static std::string Href(const std::string& uid) { return std::string(Calendar) + uid + ".ics"; }
    std::string Body(const TRmMainDate& record) const { return IcsFileBytes({ItemOfRecord(record)}, Input.Export); }
    void ServerHas(const TRmMainDate& record, const std::string& etag = "\"v2\"") {
        Input.Fetched.push_back({Href(record.Uid), etag, Body(record)});
    }

    TSyncInput Input;
};

TEST_F(SyncPlanTest, NewReminderGetsAUidAndGoesToTheServerAsANewResource) {
    Input.Local.push_back(DailyRecord(9, 0, "晨会"));
    Input.Local.push_back(WithUid(DailyRecord(10, 0, "已有 UID"), "known"));
    const TSyncPlan plan = PlanSync(Input);
    ASSERT_EQ(plan.Local.size(), 1U);
    EXPECT_EQ(plan.Local[0].Kind, LocalActionKind::Replace);
    EXPECT_FALSE(plan.Local[0].After.Uid.empty());
    ASSERT_EQ(plan.Server.size(), 2U);
    for (const TServerAction& action : plan.Server) {
        EXPECT_EQ(action.Kind, ServerActionKind::Create);
        EXPECT_TRUE(action.IfMatch.empty());
        EXPECT_NE(action.Body.find("BEGIN:VEVENT"), std::string::npos);
    }
    EXPECT_EQ(plan.Server[0].Href, Href(plan.Local[0].After.Uid));
    EXPECT_EQ(plan.Server[1].Href, Href("known"));
}

TEST_F(SyncPlanTest, OneSidedChangesGoToTheOtherSide) {
    const TRmMainDate edited = WithUid(DailyRecord(9, 0, "晨会"), "edited");
    const TRmMainDate deleted = WithUid(DailyRecord(10, 0, "删掉的"), "deleted");
    const TRmMainDate fromServer = WithUid(DailyRecord(11, 0, "服务器上改的"), "server");
    const TRmMainDate quiet = WithUid(DailyRecord(12, 0, "没动"), "quiet");
    for (const TRmMainDate& record : {edited, deleted, fromServer, quiet}) {
        Synced(record);
    }
    Input.Local.erase(Input.Local.begin() + 1);
    Input.Local[0].Hour = 8;
    TRmMainDate changedThere = fromServer;
    changedThere.Message = "服务器上改过了";
    ServerHas(changedThere);

    const TSyncPlan plan = PlanSync(Input);
    ASSERT_EQ(plan.Local.size(), 1U);
    EXPECT_EQ(plan.Local[0].Kind, LocalActionKind::Replace);
    EXPECT_EQ(plan.Local[0].After.Message, "服务器上改过了");
    ASSERT_EQ(plan.Server.size(), 2U);
    EXPECT_EQ(plan.Server[0].Kind, ServerActionKind::Delete);
    EXPECT_EQ(plan.Server[0].Href, Href("deleted"));
    EXPECT_EQ(plan.Server[0].IfMatch, "\"v1\"");
    EXPECT_EQ(plan.Server[1].Kind, ServerActionKind::Update);
    EXPECT_EQ(plan.Server[1].Href, Href("edited"));
    EXPECT_EQ(plan.Server[1].IfMatch, "\"v1\"");
    EXPECT_TRUE(plan.Notices.empty());
    // The server's change is synced once the list holds it.
    const auto entry = std::find_if(plan.State.Entries.begin(), plan.State.Entries.end(),
                                    [](const TSyncEntry& e) { return e.Uid == "server"; });
    ASSERT_NE(entry, plan.State.Entries.end());
    EXPECT_EQ(entry->ETag, "\"v2\"");
    EXPECT_EQ(entry->Digest, ReminderDigest(changedThere));
}

TEST_F(SyncPlanTest, AChangeOnBothSidesKeepsBoth) {
    Synced(WithUid(DailyRecord(9, 0, "晨会"), "both"));
    Input.Local[0].Message = "本机改的";
    TRmMainDate there = Input.Local[0];
    there.Message = "服务器改的";
    ServerHas(there);

    const TSyncPlan plan = PlanSync(Input);
    ASSERT_EQ(plan.Local.size(), 2U);
    EXPECT_EQ(plan.Local[0].Kind, LocalActionKind::Replace);
    EXPECT_EQ(plan.Local[0].After.Message, "服务器改的");
    EXPECT_EQ(plan.Local[0].After.Uid, "both");
    EXPECT_EQ(plan.Local[1].Kind, LocalActionKind::Add);
    EXPECT_EQ(plan.Local[1].After.Message, "本机改的");
    EXPECT_NE(plan.Local[1].After.Uid, "both");
    ASSERT_EQ(plan.Server.size(), 1U);
    EXPECT_EQ(plan.Server[0].Kind, ServerActionKind::Create);
    EXPECT_EQ(plan.Server[0].Uid, plan.Local[1].After.Uid);
    ASSERT_EQ(plan.Notices.size(), 1U);
    EXPECT_NE(plan.Notices[0].find("本机改的"), std::string::npos);
}

TEST_F(SyncPlanTest, WithoutWhatTheLastSyncKnewADifferenceKeepsBothVersions) {
    // The state file lost, or the data folder copied to another machine: the UID is on the server, and either
    // side may be the one that changed.
    Input.Local.push_back(WithUid(DailyRecord(9, 0, "本机的版本"), "copied"));
    TRmMainDate there = Input.Local[0];
    there.Message = "服务器的版本";
    ServerHas(there);
    const TSyncPlan plan = PlanSync(Input);
    ASSERT_EQ(plan.Local.size(), 2U);
    EXPECT_EQ(plan.Local[0].After.Message, "服务器的版本");
    EXPECT_EQ(plan.Local[1].After.Message, "本机的版本");
    ASSERT_EQ(plan.Server.size(), 1U);
    EXPECT_EQ(plan.Server[0].Kind, ServerActionKind::Create);

    // The same on both sides: nothing to do.
    Input.Fetched.clear();
    ServerHas(Input.Local[0]);
    const TSyncPlan same = PlanSync(Input);
    EXPECT_TRUE(same.Local.empty());
    EXPECT_TRUE(same.Server.empty());
}

TEST_F(SyncPlanTest, LunarRemindersNeverGoOutAsRulesOtherReadersCannotTake) {
    Input.Local.push_back(LunarOf(DatedRecord(0, 8, 15, 20, 0, "中秋")));
    // Even asked for: a calendar shared with other clients must stay readable to all of them.
    Input.Export.LunarRules = true;
    const TSyncPlan plan = PlanSync(Input);
    ASSERT_EQ(plan.Server.size(), 1U);
    EXPECT_EQ(plan.Server[0].Body.find("\nRRULE"), std::string::npos);
    EXPECT_NE(plan.Server[0].Body.find("RDATE"), std::string::npos);
}

TEST_F(SyncPlanTest, TheSameChangeOnBothSidesIsNoConflict) {
    Synced(WithUid(DailyRecord(9, 0, "晨会"), "same"));
    Input.Local[0].Message = "一样的改动";
    ServerHas(Input.Local[0]);
    const TSyncPlan plan = PlanSync(Input);
    EXPECT_TRUE(plan.Local.empty());
    EXPECT_TRUE(plan.Server.empty());
    EXPECT_TRUE(plan.Notices.empty());
}

TEST_F(SyncPlanTest, ADeleteAgainstAnEditKeepsTheEditedOne) {
    // Deleted here, edited there: it comes back.
    Synced(WithUid(DailyRecord(9, 0, "这里删了"), "gone-here"));
    TRmMainDate editedThere = Input.Local[0];
    editedThere.Minuter = 30;
    Input.Local.clear();
    ServerHas(editedThere);
    // Edited here, deleted there: it goes to the server again.
    Synced(WithUid(DailyRecord(10, 0, "服务器上删了"), "gone-there"));
    Input.Local.back().Minuter = 45;
    Input.Gone.push_back(Href("gone-there"));

    const TSyncPlan plan = PlanSync(Input);
    ASSERT_EQ(plan.Local.size(), 1U);
    EXPECT_EQ(plan.Local[0].Kind, LocalActionKind::Add);
    EXPECT_EQ(plan.Local[0].After.Minuter, 30);
    ASSERT_EQ(plan.Server.size(), 1U);
    EXPECT_EQ(plan.Server[0].Kind, ServerActionKind::Create);
    EXPECT_EQ(plan.Server[0].Href, Href("gone-there"));
    EXPECT_EQ(plan.Deletions, 0);
}

TEST_F(SyncPlanTest, DeletionsOfMostRemindersWaitForConsent) {
    for (int k = 0; k < 4; ++k) {
        Synced(WithUid(DailyRecord(9, k, "提醒" + std::to_string(k)), "r" + std::to_string(k)));
    }
    TServerListing empty;
    empty.Complete = true;
    Input.Gone = HrefsGone(Input.State, empty);
    ASSERT_EQ(Input.Gone.size(), 4U);

    TSyncPlan plan = PlanSync(Input);
    EXPECT_EQ(plan.Deletions, 4);
    EXPECT_EQ(plan.Synced, 4);
    EXPECT_TRUE(DeletionsNeedConsent(plan));

    Input.Deletions = DeletionChoice::Defer;
    plan = PlanSync(Input);
    EXPECT_TRUE(plan.Local.empty());
    EXPECT_TRUE(plan.Server.empty());
    EXPECT_TRUE(plan.ListWholeNextTime);
    EXPECT_EQ(plan.State.Entries.size(), 4U);

    Input.Deletions = DeletionChoice::Keep;
    plan = PlanSync(Input);
    EXPECT_TRUE(plan.Local.empty());
    ASSERT_EQ(plan.Server.size(), 4U);
    EXPECT_EQ(plan.Server[0].Kind, ServerActionKind::Create);

    // One of four is an ordinary deletion.
    Input.Deletions = DeletionChoice::Apply;
    Input.Gone = {Href("r2")};
    plan = PlanSync(Input);
    EXPECT_FALSE(DeletionsNeedConsent(plan));
    ASSERT_EQ(plan.Local.size(), 1U);
    EXPECT_EQ(plan.Local[0].Kind, LocalActionKind::Remove);
    EXPECT_EQ(plan.Local[0].Before.Uid, "r2");
}

TEST_F(SyncPlanTest, ACommandFromTheServerNeedsTheUsersAgreement) {
    TRmMainDate shutdown = WithUid(DatedRecord(2027, 1, 5, 18, 0, "关机"), "cmd");
    shutdown.Command = "sShutDown";
    shutdown.AutoExecScript = true;
    ServerHas(shutdown);

    TSyncPlan plan = PlanSync(Input);
    EXPECT_EQ(plan.CommandArrivals, 1);
    ASSERT_EQ(plan.Local.size(), 1U);
    EXPECT_TRUE(plan.Local[0].BringsCommand);

    Input.Commands = CommandChoice::Strip;
    plan = PlanSync(Input);
    ASSERT_EQ(plan.Local.size(), 1U);
    EXPECT_TRUE(plan.Local[0].After.Command.empty());
    EXPECT_FALSE(plan.Local[0].After.AutoExecScript);
    // What came in is what is synced: nothing goes back to strip the server's copy.
    EXPECT_TRUE(plan.Server.empty());
    EXPECT_EQ(plan.State.Entries.at(0).Digest, ReminderDigest(plan.Local[0].After));

    Input.Commands = CommandChoice::Defer;
    plan = PlanSync(Input);
    EXPECT_TRUE(plan.Local.empty());
    EXPECT_EQ(plan.State.Pending, std::vector<std::string>{Href("cmd")});
    // Pending resources are fetched again even when the server reports no change.
    TServerListing quiet;
    EXPECT_EQ(HrefsToFetch(plan.State, quiet), std::vector<std::string>{Href("cmd")});
}

TEST_F(SyncPlanTest, AnEventOfAnotherCalendarBecomesItsDatesAndStaysTheServers) {
    const std::string weekly = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VEVENT\r\n"
                               "UID:other-weekly\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20261210T020000Z\r\n"
                               "RDATE:20261224T020000Z,20270107T020000Z\r\nSUMMARY:双周会\r\nEND:VEVENT\r\n"
                               "END:VCALENDAR\r\n";
    Input.Fetched.push_back({"/alice/cal/other.ics", "\"o1\"", weekly});
    TSyncPlan plan = PlanSync(Input);
    ASSERT_EQ(plan.Local.size(), 3U);
    ASSERT_EQ(plan.State.Entries.size(), 3U);
    for (const TSyncEntry& entry : plan.State.Entries) {
        EXPECT_EQ(entry.Kind, SyncEntryKind::Part);
        EXPECT_EQ(entry.Href, "/alice/cal/other.ics");
    }
    EXPECT_TRUE(plan.Server.empty());

    // Fetched again (the day's whole listing) once the first date has passed: that one goes, the others stay.
    TSyncInput later = Input;
    later.State = plan.State;
    later.Local.clear();
    for (const TLocalAction& action : plan.Local) {
        later.Local.push_back(action.After);
    }
    later.Import.Now = EncodeDateTime(2026, 12, 20, 0, 0);
    const TSyncPlan moved = PlanSync(later);
    ASSERT_EQ(moved.Local.size(), 1U);
    EXPECT_EQ(moved.Local[0].Kind, LocalActionKind::Remove);
    EXPECT_EQ(moved.Local[0].Before.Uid, later.Local[0].Uid);
    EXPECT_EQ(moved.State.Entries.size(), 2U);
    TServerListing whole;
    whole.Complete = true;
    whole.Present = {{"/alice/cal/other.ics", "\"o1\""}};
    EXPECT_EQ(HrefsToFetch(plan.State, whole), std::vector<std::string>{"/alice/cal/other.ics"});

    // Next time: one date edited here leaves the event as a reminder of its own, one deleted is only forgotten.
    TSyncInput next = Input;
    next.Fetched.clear();
    next.State = plan.State;
    next.Local.clear();
    for (const TLocalAction& action : plan.Local) {
        next.Local.push_back(action.After);
    }
    next.Local[0].Message = "改成单独的";
    next.Local.erase(next.Local.begin() + 1);
    plan = PlanSync(next);
    ASSERT_EQ(plan.Server.size(), 1U);
    EXPECT_EQ(plan.Server[0].Kind, ServerActionKind::Create);
    EXPECT_EQ(plan.Server[0].Message, "改成单独的");
    EXPECT_EQ(plan.State.Entries.size(), 1U);
}

TEST_F(SyncPlanTest, SettlingFollowsTheServersAnswers) {
    Synced(WithUid(DailyRecord(9, 0, "晨会"), "a"));
    Input.Local[0].Hour = 7;
    Input.Local.push_back(WithUid(DailyRecord(8, 0, "新"), "b"));
    TSyncPlan plan = PlanSync(Input);
    ASSERT_EQ(plan.Server.size(), 2U);
    TSyncState state = plan.State;
    SettleAction(state, plan.Server[0], "\"v9\"", "2026-12-09 10:00");
    SettleAction(state, plan.Server[1], "\"n1\"", "2026-12-09 10:00");
    ASSERT_EQ(state.Entries.size(), 2U);
    EXPECT_EQ(state.Entries[0].ETag, "\"v9\"");
    EXPECT_EQ(state.Entries[0].Digest, ReminderDigest(Input.Local[0]));
    EXPECT_EQ(state.Entries[1].Href, Href("b"));

    // With everything settled, the next sync has nothing to do.
    TSyncInput next = Input;
    next.State = state;
    const TSyncPlan quiet = PlanSync(next);
    EXPECT_TRUE(quiet.Local.empty());
    EXPECT_TRUE(quiet.Server.empty());

    // A change of the list meanwhile: the resource goes back to what the state knew, and is fetched again.
    UnsettleResource(state, Input.State, Href("a"));
    EXPECT_EQ(state.Entries.back().ETag, "\"v1\"");
    EXPECT_EQ(state.Pending, std::vector<std::string>{Href("a")});
}

TEST_F(SyncPlanTest, AnEventIsWrittenAnewAYearOnSoThatItsDatesNeverRunOut) {
    Synced(WithUid(LunarOf(DatedRecord(0, 8, 15, 20, 0, "中秋")), "moon"));
    Input.State.Entries[0].Written = "2026-01-10 10:00";
    EXPECT_TRUE(PlanSync(Input).Server.empty());
    Input.State.Entries[0].Written = "2025-12-09 10:00";
    const TSyncPlan plan = PlanSync(Input);
    ASSERT_EQ(plan.Server.size(), 1U);
    EXPECT_EQ(plan.Server[0].Kind, ServerActionKind::Update);
    EXPECT_EQ(plan.Server[0].IfMatch, "\"v1\"");
    EXPECT_TRUE(plan.Local.empty());
    TSyncState state = plan.State;
    SettleAction(state, plan.Server[0], "\"v2\"", "2026-12-09 10:00");
    EXPECT_EQ(state.Entries[0].Written, "2026-12-09 10:00");
}

TEST(SyncListingTest, FetchesWhatChangedAndTellsWhatWent) {
    TSyncState state;
    state.Entries = {{"a", "/c/a.ics", "\"1\"", "", SyncEntryKind::Own, ""},
                     {"b", "/c/b.ics", "\"1\"", "", SyncEntryKind::Own, ""},
                     {"", "/c/e.ics", "\"1\"", "", SyncEntryKind::Empty, ""}};
    TServerListing whole;
    whole.Complete = true;
    whole.Present = {{"/c/a.ics", "\"1\""}, {"/c/b.ics", "\"2\""}, {"/c/new.ics", "\"1\""}};
    EXPECT_EQ(HrefsToFetch(state, whole), (std::vector<std::string>{"/c/b.ics", "/c/new.ics"}));
    EXPECT_EQ(HrefsGone(state, whole), std::vector<std::string>{"/c/e.ics"});

    TServerListing delta;
    delta.Present = {{"/c/a.ics", "\"1\""}};
    delta.Gone = {"/c/b.ics", "/c/unknown.ics"};
    EXPECT_TRUE(HrefsToFetch(state, delta).empty());
    EXPECT_EQ(HrefsGone(state, delta), std::vector<std::string>{"/c/b.ics"});
}

TEST(SyncStateFileTest, RoundTripsAndRefusesAFileItCannotRead) {
    testing::TempFolder folder;
    const std::string path = folder.File("syncstate.ini");
    TSyncState state;
    state.Calendar = "https://dav.example.com/alice/日历/";
    state.SyncToken = "http://radicale.org/ns/sync/abc";
    state.LastSync = "2026-12-09 10:15";
    state.LastFullListing = "2026-12-09 10:00";
    state.Entries = {
        {"u1", "/alice/日历/u1.ics", "\"e=1\"", "0123456789abcdef", SyncEntryKind::Own, "2026-12-09 10:15"},
        {"u2", "/alice/日历/x.ics", "W/\"2\"", "fedcba9876543210", SyncEntryKind::Part, ""},
        {"", "/alice/日历/old.ics", "\"3\"", "", SyncEntryKind::Empty, ""}};
    state.Pending = {"/alice/日历/cmd.ics"};
    SaveSyncState(path, state);
    std::string failure;
    EXPECT_EQ(LoadSyncState(path, failure), state);
    EXPECT_TRUE(failure.empty());

    const TSyncState missing = LoadSyncState(folder.File("none.ini"), failure);
    EXPECT_TRUE(missing.Entries.empty());
    EXPECT_TRUE(failure.empty());

    std::filesystem::create_directory(folder.File("folder.ini"));
    LoadSyncState(folder.File("folder.ini"), failure);
    EXPECT_NE(failure.find("folder.ini"), std::string::npos);
}

TEST(ReminderDigestTest, IgnoresFiringAndUidButNothingTheUserSetUp) {
    TRmMainDate record = DailyRecord(9, 0, "晨会");
    const std::string digest = ReminderDigest(record);
    TRmMainDate fired = record;
    fired.Reminded = true;
    fired.Uid = "x";
    EXPECT_EQ(ReminderDigest(fired), digest);
    TRmMainDate other = record;
    other.Message = "晨会 ";
    EXPECT_NE(ReminderDigest(other), digest);
    other = record;
    other.Music = "9:0";
    other.Message = "";
    TRmMainDate shifted = record;
    shifted.Music = "";
    shifted.Message = "9:0";
    EXPECT_NE(ReminderDigest(other), ReminderDigest(shifted));

    // Each of the keys after the 15 counts; a reminder without them keeps the digest it had before there were any.
    EXPECT_EQ(digest, "88ed399a1d62b962");
    const std::vector<std::function<void(TRmMainDate&)>> changes = {
        [](TRmMainDate& r) {
            r.Warnings = {{1, LeadUnit::Days}};
        },
        [](TRmMainDate& r) { r.Every = RepeatUnit::Weeks, r.StartDate = 20261207; },
        [](TRmMainDate& r) { r.StartDate = 20261207; },
        [](TRmMainDate& r) { r.EndDate = 20270630; },
        [](TRmMainDate& r) { r.StartDate = 20261207, r.EndCount = 5; },
    };
    std::set<std::string> digests{digest};
    for (const auto& change : changes) {
        TRmMainDate changed = record;
        change(changed);
        digests.insert(ReminderDigest(changed));
    }
    EXPECT_EQ(digests.size(), changes.size() + 1);
}

} // namespace
} // namespace chimewell
