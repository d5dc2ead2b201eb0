// A data file read a piece at a time gives exactly the reminders the whole reading gives, whatever the file
// holds: both encodings, sections twice, missing or out of order, [Main] at the end, lines that look like
// headers and are none.

#include "data/reminder_stream.h"

#include "data/code_page.h"
#include "data/reminder_list.h"
#include "temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace chimewell {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

std::map<std::int32_t, TRmMainDate> Streamed(const std::string& path, std::size_t pieceBytes, bool* read = nullptr) {
    std::map<std::int32_t, TRmMainDate> reminders;
    const bool done = ForEachStoredReminder(
        path,
        [&](std::int32_t position, const TRmMainDate& reminder) {
            EXPECT_TRUE(reminders.emplace(position, reminder).second) << "position " << position << " twice";
        },
        pieceBytes);
    if (read != nullptr) {
        *read = done;
    }
    return reminders;
}

void ExpectSameAsTheWholeReading(const std::string& path) {
    TRmDataList list;
    list.Reset(path);
    list.Load();
    ASSERT_TRUE(list.LoadFailure.empty()) << list.LoadFailure;
    for (const std::size_t piece : {std::size_t{1}, std::size_t{40}, std::size_t{1000}, std::size_t{1} << 20}) {
        bool read = false;
        const std::map<std::int32_t, TRmMainDate> streamed = Streamed(path, piece, &read);
        ASSERT_TRUE(read) << "piece " << piece;
        ASSERT_EQ(streamed.size(), static_cast<std::size_t>(list.Count)) << "piece " << piece;
        for (std::int32_t position = 0; position < list.Count; ++position) {
            ASSERT_EQ(streamed.at(position), list.Item(position)) << "piece " << piece << ", position " << position;
        }
    }
}

TEST(ReminderStreamTest, OddFilesReadAsTheWholeReadingReadsThem) {
    TempFolder folder;
    const std::string path = folder.File("reminddata.sdt");
    // Sections out of order and twice (the first counts), one missing below the count, one above it, [Main]
    // last, a line that starts with "[" but has no "]", blanks before a header.
    WriteBytes(path, EncodeFileText("[Item2]\r\nYear=2026\r\nMonth=3\r\nDay=15\r\nHour=9\r\nMessage=交房租\r\n"
                                    "[item1]\r\nHour=7\r\nMessage=早起 [提醒\r\n[not a header\r\nMinuter=5\r\n"
                                    "[Item2]\r\nHour=23\r\nMessage=第二个二\r\n"
                                    "  [Item4]\r\nIsLunar=1\r\nMonth=8\r\nDay=15\r\nMessage=中秋\r\n"
                                    "[Item9]\r\nMessage=数外的\r\n"
                                    "[Main]\r\nItems=5\r\n"));
    ExpectSameAsTheWholeReading(path);

    // UTF-8 text (an editor's save) reads as UTF-8 in every piece.
    WriteBytes(path, "[Main]\r\nItems=2\r\n[Item1]\r\nMessage=喝水\r\n[Item2]\r\nMessage=吃药 #y年\r\n");
    ExpectSameAsTheWholeReading(path);
    WriteBytes(path, "\xEF\xBB\xBF[Main]\r\nItems=1\r\n[Item1]\r\nMessage=ascii only\r\n");
    ExpectSameAsTheWholeReading(path);
    // A UTF-8 mark further on (two files pasted together) is one more character, not a verdict on the piece.
    // (The first 41 bytes end a line, so that with pieces of 40 the mark begins the second piece.)
    WriteBytes(path, "[Main]\r\nItems=2\r\n[Item1]\r\nMessage=abcde\r\n\xEF\xBB\xBF[Item2]\r\nMessage=" +
                         EncodeFileText("元宵") + "\r\n");
    ExpectSameAsTheWholeReading(path);
}

// A save by the program (a new file renamed over the old) while the pieces are read changes nothing of what
// this reading gives: it reads one version to its end.
TEST(ReminderStreamTest, AFileReplacedMeanwhileIsReadAsItWas) {
    TempFolder folder;
    const std::string path = folder.File("reminddata.sdt");
    std::string text = "[Main]\r\nItems=50\r\n";
    for (int n = 1; n <= 50; ++n) {
        text += "[Item" + std::to_string(n) + "]\r\nMessage=旧" + std::to_string(n) + "\r\n";
    }
    WriteBytes(path, EncodeFileText(text));
    std::vector<std::string> messages;
    ForEachStoredReminder(
        path,
        [&](std::int32_t, const TRmMainDate& reminder) {
            if (messages.empty()) {
                WriteBytes(folder.File("new"), "[Main]\r\nItems=1\r\n[Item1]\r\nMessage=new\r\n");
                std::filesystem::rename(folder.File("new"), path);
            }
            messages.push_back(reminder.Message);
        },
        64);
    ASSERT_EQ(messages.size(), 50U);
    EXPECT_EQ(messages.back(), "旧50");
}

TEST(ReminderStreamTest, ARandomLongListReadsTheSame) {
    TempFolder folder;
    const std::string path = folder.File("reminddata.sdt");
    std::mt19937 random(20261209);
    std::string text = "[Main]\r\nItems=600\r\n";
    for (int n = 1; n <= 620; ++n) {
        if (random() % 17 == 0) {
            continue;
        }
        text += "[Item" + std::to_string(random() % 23 == 0 ? n / 2 + 1 : n) + "]\r\n";
        text += "Year=" + std::to_string(random() % 2 == 0 ? 0 : 2020 + static_cast<int>(random() % 10)) + "\r\n";
        text += "Month=" + std::to_string(random() % 14) + "\r\nDay=" + std::to_string(random() % 32) + "\r\n";
        text += "Hour=" + std::to_string(random() % 24) + "\r\nIsLunar=" + std::to_string(random() % 2) + "\r\n";
        text += "Message=提醒" + std::to_string(n) + (random() % 5 == 0 ? "\r\n[半个" : "") + "\r\n";
    }
    WriteBytes(path, EncodeFileText(text));
    ExpectSameAsTheWholeReading(path);
}

TEST(ReminderStreamTest, WhatTheListRefusesIsLeftToTheWholeReading) {
    TempFolder folder;
    const std::string path = folder.File("reminddata.sdt");
    bool read = true;
    EXPECT_TRUE(Streamed(path, 100, &read).empty());
    EXPECT_FALSE(read) << "missing";
    WriteBytes(path, "just some text\r\n[Other]\r\nA=1\r\n");
    EXPECT_TRUE(Streamed(path, 100, &read).empty());
    EXPECT_FALSE(read) << "no [Main]";
    WriteBytes(path, "[Main]\r\nItems=0\r\n[Item1]\r\nMessage=x\r\n");
    EXPECT_TRUE(Streamed(path, 100, &read).empty());
    EXPECT_TRUE(read) << "an empty list";
}

} // namespace
} // namespace chimewell
