// Warnings, intervals and ends through a real CalDAV server: another client's alarms and biweekly rules arrive as
// one reminder each; this program's own travel between machines unchanged, are not taken for another client's
// edit, and an edit of the alarms or the interval made elsewhere comes back.

#include "data/reminder_schedule.h"
#include "sample_record.h"
#include "sync_machine.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <memory>

namespace chimewell {
namespace {

using testing::DatedRecord;
using testing::Machine;
using testing::Sync;

std::vector<std::int32_t> LeadMinutes(const std::vector<TLeadTime>& warnings) {
    std::vector<std::int32_t> minutes;
    for (const TLeadTime& lead : warnings) {
        minutes.push_back(lead.Minutes());
    }
    return minutes;
}

class SyncScheduleTest : public testing::RadicaleCalendarTest {
protected:
    QUrl EventUrl(const std::string& uid) const {
        return Calendar.resolved(QUrl(QString::fromStdString(uid) + QStringLiteral(".ics")));
    }
    void Put(const std::string& uid, const QByteArray& event) const {
        ASSERT_EQ(
            Server->Curl(QStringLiteral("PUT"), EventUrl(uid), event, {QStringLiteral("Content-Type: text/calendar")}) /
                100,
            2);
    }
    // Another client's edit of a stored event: one pattern replaced, its revision raised as clients raise it.
    void EditElsewhere(const std::string& uid, const QString& pattern, const QString& with) const {
        QByteArray event = Server->Fetch(EventUrl(uid));
        event.replace("\r\n ", "");
        QString text = QString::fromUtf8(event);
        ASSERT_TRUE(text.contains(QRegularExpression(pattern))) << pattern.toStdString();
        text.replace(QRegularExpression(pattern), with);
        const QRegularExpression sequence(QStringLiteral("SEQUENCE:(\\d+)\r\n"));
        const int revision = sequence.match(text).hasMatch() ? sequence.match(text).captured(1).toInt() : 0;
        text.remove(sequence);
        text.replace(QRegularExpression(QStringLiteral("(DTSTAMP:[^\r]*\r\n)")),
                     QStringLiteral("\\1SEQUENCE:%1\r\n").arg(revision + 1));
        Put(uid, text.toUtf8());
    }
};

// A plain event as another client writes it, without this program's X- properties.
QByteArray OtherClientsEvent(const QByteArray& uid, const QByteArray& body) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone//EN\r\nBEGIN:VEVENT\r\nUID:" + uid +
           "\r\nDTSTAMP:20261201T000000Z\r\n" + body + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

QByteArray Alarm(const QByteArray& trigger) {
    return "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER:" + trigger + "\r\nEND:VALARM\r\n";
}

TEST_F(SyncScheduleTest, AnotherClientsAlarmsAndBiweeklyRuleArriveAsOneReminderEach) {
    // Far enough ahead to stay coming, and a biweekly rule begun long ago, so that the test keeps its meaning.
    Put("trip", OtherClientsEvent("trip", "DTSTART:20350115T013000Z\r\nSUMMARY:出差\r\n" + Alarm("-P1W") +
                                              Alarm("-P1D") + Alarm("PT0S")));
    Put("fortnight", OtherClientsEvent("fortnight", "DTSTART:20260102T100000Z\r\n"
                                                    "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=FR\r\nSUMMARY:双周五\r\n"));
    Machine desk;
    TSyncReport report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    ASSERT_EQ(desk.List.Count, 2);

    const TRmMainDate& trip = desk.List.Item(desk.IndexOf("出差"));
    EXPECT_EQ(std::vector<std::int32_t>({trip.Year, trip.Month, trip.Day, trip.Hour, trip.Minuter}),
              std::vector<std::int32_t>({2035, 1, 15, 9, 30}));
    EXPECT_EQ(trip.Forward, 0);
    EXPECT_EQ(LeadMinutes(trip.Warnings), (std::vector<std::int32_t>{7 * 1440, 1440}));
    EXPECT_EQ(trip.Uid, "trip");

    const TRmMainDate& fortnight = desk.List.Item(desk.IndexOf("双周五"));
    EXPECT_EQ(fortnight.Day, 0x80 | 0x10);
    EXPECT_EQ(fortnight.Hour, 18);
    EXPECT_EQ(fortnight.Every, RepeatUnit::Weeks);
    EXPECT_EQ(fortnight.EveryCount, 2);
    EXPECT_EQ(fortnight.StartDate, 20260102);
    EXPECT_EQ(fortnight.EndCount, 0);

    // Taken as they are: nothing goes back, nothing changes.
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Sent + report.Replaced + report.Added + report.Removed, 0);
}

TEST_F(SyncScheduleTest, OwnWarningsAndIntervalsTravelAndAnEditElsewhereComesBack) {
    Machine desk;
    TRmMainDate meeting = DatedRecord(0, 0, 0x80 | 0x01 | 0x04, 9, 30, "双周例会");
    meeting.Forward = 10;
    meeting.Warnings = {{3, LeadUnit::Days}, {2, LeadUnit::Hours}};
    meeting.Every = RepeatUnit::Weeks;
    meeting.EveryCount = 2;
    meeting.StartDate = 20261207;
    meeting.EndCount = 40;
    desk.List.Add(meeting, true);
    TSyncReport report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Sent, 1);
    const std::string uid = desk.List.Item(0).Uid;
    const QByteArray stored = Server->Fetch(EventUrl(uid));
    EXPECT_TRUE(stored.contains("COUNT=40")) << stored.constData();
    EXPECT_TRUE(stored.contains("TRIGGER:-P3D")) << stored.constData();

    // Our own event is not another client's edit: the next sync does nothing.
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Sent + report.Replaced + report.Added + report.Removed, 0);
    Machine laptop;
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    ASSERT_EQ(laptop.List.Count, 1);
    EXPECT_TRUE(SameReminder(laptop.List.Item(0), desk.List.Item(0)))
        << laptop.List.Item(0).Describe(DescribeOptions::All());
    EXPECT_EQ(laptop.List.Item(0).Uid, uid);

    // Warnings changed here go out, and arrive on the other machine.
    TRmMainDate changed = desk.List.Item(0);
    changed.Warnings = {{1, LeadUnit::Days}};
    desk.List.Replace(desk.List.Item(0), 0, changed);
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Sent, 1);
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    EXPECT_EQ(laptop.List.Item(0).Warnings, changed.Warnings);

    // Another client moves the warning's alarm to two days: taken in, and written back in this program's form.
    EditElsewhere(uid, QStringLiteral("TRIGGER:-P1D"), QStringLiteral("TRIGGER:-P2D"));
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Replaced, 1);
    EXPECT_EQ(report.Sent, 1);
    EXPECT_EQ(LeadMinutes(desk.List.Item(0).Warnings), std::vector<std::int32_t>{2 * 1440});
    EXPECT_EQ(desk.List.Item(0).Forward, 10);
    EXPECT_TRUE(Server->Fetch(EventUrl(uid)).contains("X-CHIMEWELL-WARNINGS:2d"));

    // And every third week now.
    EditElsewhere(uid, QStringLiteral("INTERVAL=2"), QStringLiteral("INTERVAL=3"));
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Replaced, 1);
    EXPECT_EQ(desk.List.Item(0).Every, RepeatUnit::Weeks);
    EXPECT_EQ(desk.List.Item(0).EveryCount, 3);
    EXPECT_EQ(desk.List.Item(0).EndCount, 40);
    EXPECT_EQ(LeadMinutes(desk.List.Item(0).Warnings), std::vector<std::int32_t>{2 * 1440});
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Sent + report.Replaced + report.Added + report.Removed, 0);
}

// The server reads X- values as lists: a comma in a message, a command or a music path must not cut it there.
TEST_F(SyncScheduleTest, TextsWithCommasAndPercentSignsComeBackWhole) {
    Machine desk;
    TRmMainDate shopping = DatedRecord(0, 0, 0, 18, 0, "买牛奶,面包, 还有鸡蛋 (100%新鲜)");
    shopping.Music = "/home/me/音乐/a,b%20.ogg";
    shopping.Command = "c /usr/bin/notify-send 一,二";
    desk.List.Add(shopping, true);
    TSyncReport report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    Machine laptop;
    ASSERT_TRUE(Sync(laptop, Calendar).Succeeded);
    ASSERT_EQ(laptop.List.Count, 1);
    EXPECT_EQ(laptop.List.Item(0).Message, shopping.Message);
    EXPECT_EQ(laptop.List.Item(0).Music, shopping.Music);
    EXPECT_EQ(laptop.List.Item(0).Command, shopping.Command);
    report = Sync(desk, Calendar);
    ASSERT_TRUE(report.Succeeded) << report.Failure;
    EXPECT_EQ(report.Sent + report.Replaced + report.Added + report.Removed, 0);
}

} // namespace
} // namespace chimewell
