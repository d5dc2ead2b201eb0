#include "runtime/queues.h"

#include "calendar/clock.h"
#include "calendar/datetime.h"

#include <gtest/gtest.h>

#include <vector>

namespace chimewell {
namespace {

std::vector<std::int32_t> DrainMessages(TRmMessage& queue) {
    std::vector<std::int32_t> popped;
    for (std::int32_t position = queue.Pop(); position != -1; position = queue.Pop()) {
        popped.push_back(position);
    }
    return popped;
}

std::vector<std::int32_t> DrainDue(TRmLater& queue) {
    std::vector<std::int32_t> popped;
    for (std::int32_t position = queue.PopDue(); position != -1; position = queue.PopDue()) {
        popped.push_back(position);
    }
    return popped;
}

TEST(TRmMessage, StartsEmptyWithOneBlock) {
    TRmMessage queue;
    EXPECT_EQ(queue.Count, 0);
    EXPECT_EQ(queue.BlockSize, 9);
    EXPECT_EQ(queue.BlockCount, 1);
    EXPECT_EQ(queue.Indexes.size(), 9u);
}

TEST(TRmMessage, PopOnEmptyGivesMinusOneAndChangesNothing) {
    TRmMessage queue;
    EXPECT_EQ(queue.Pop(), -1);
    EXPECT_EQ(queue.Count, 0);
    EXPECT_EQ(queue.BlockCount, 1);
    EXPECT_EQ(queue.Indexes.size(), 9u);
}

TEST(TRmMessage, GrowsAtTheNinthPushAndShrinksAtTheNextPop) {
    TRmMessage queue;
    for (int i = 0; i < 8; ++i) {
        queue.Push(i);
    }
    EXPECT_EQ(queue.Indexes.size(), 9u);
    queue.Push(8);
    EXPECT_EQ(queue.BlockCount, 2);
    EXPECT_EQ(queue.Indexes.size(), 18u);
    EXPECT_EQ(queue.Pop(), 0);
    EXPECT_EQ(queue.BlockCount, 1);
    EXPECT_EQ(queue.Indexes.size(), 9u);
    EXPECT_EQ(queue.Count, 8);
}

TEST(TRmMessage, KeepsArrivalOrderAndDuplicatesAcrossManyBlocks) {
    TRmMessage queue;
    std::vector<std::int32_t> pushed;
    for (int i = 0; i < 40; ++i) {
        pushed.push_back(i % 7);
        queue.Push(i % 7);
        EXPECT_GT(static_cast<std::int32_t>(queue.Indexes.size()), queue.Count);
    }
    EXPECT_EQ(queue.Indexes.size(), 45u);
    EXPECT_EQ(DrainMessages(queue), pushed);
    EXPECT_EQ(queue.Indexes.size(), 9u);
    queue.Push(3);
    EXPECT_EQ(queue.Pop(), 3);
}

TEST(TRmLater, RemoveIndexDropsTheDeletedAndRenumbersAbove) {
    TRmLater queue;
    queue.Push(5, 2);
    queue.Push(5, 5);
    queue.Push(5, 7);
    queue.RemoveIndex(5);
    ASSERT_EQ(queue.Count, 2);
    EXPECT_EQ(queue.Indexes[0], 2);
    EXPECT_EQ(queue.Indexes[1], 6);
}

TEST(TRmLater, RemoveIndexRemovesEveryEntryOfThatPositionKeepingMinutesPaired) {
    TRmLater queue;
    queue.Push(1, 4);
    queue.Push(2, 4);
    queue.Push(3, 9);
    queue.Push(4, 4);
    queue.Push(5, 1);
    queue.RemoveIndex(4);
    ASSERT_EQ(queue.Count, 2);
    EXPECT_EQ(queue.Indexes[0], 8);
    EXPECT_EQ(queue.Minutes[0], 3);
    EXPECT_EQ(queue.Indexes[1], 1);
    EXPECT_EQ(queue.Minutes[1], 5);
}

TEST(TRmLater, DeletingExpiredRecordsFromTheHighestDownKeepsPointingAtTheSurvivors) {
    // Records 0..5; records 1, 3 and 4 are deleted, highest first; survivors 0, 2, 5 become 0, 1, 2.
    TRmLater queue;
    for (int position = 0; position < 6; ++position) {
        queue.Push(1, position);
    }
    for (const int deleted : {4, 3, 1}) {
        queue.RemoveIndex(deleted);
    }
    queue.TickMinute();
    EXPECT_EQ(DrainDue(queue), (std::vector<std::int32_t>{0, 1, 2}));
}

TEST(TRmLater, EntriesFallDueInOrderOfTheirMinutes) {
    TRmLater queue;
    queue.Push(1, 10); // A
    queue.Push(3, 20); // B
    EXPECT_EQ(queue.PopDue(), -1);
    queue.TickMinute();
    EXPECT_EQ(queue.PopDue(), 10);
    EXPECT_EQ(queue.PopDue(), -1);
    queue.TickMinute();
    EXPECT_EQ(queue.PopDue(), -1);
    queue.TickMinute();
    EXPECT_EQ(queue.PopDue(), 20);
    EXPECT_EQ(queue.Count, 0);
}

TEST(TRmLater, EntriesDueAtTheSameTickComeInPushOrderAndZeroIsDueAtOnce) {
    TRmLater queue;
    queue.Push(2, 7);
    queue.Push(1, 3);
    queue.Push(2, 5);
    queue.Push(0, 1);
    queue.Push(-4, 8);
    EXPECT_EQ(DrainDue(queue), (std::vector<std::int32_t>{1, 8}));
    queue.TickMinute();
    EXPECT_EQ(DrainDue(queue), (std::vector<std::int32_t>{3}));
    queue.TickMinute();
    EXPECT_EQ(DrainDue(queue), (std::vector<std::int32_t>{7, 5}));
}

TEST(TRmLater, StorageGrowsAndShrinksLikeTheMessageQueue) {
    TRmLater queue;
    for (int i = 0; i < 9; ++i) {
        queue.Push(i, i);
    }
    EXPECT_EQ(queue.Minutes.size(), 18u);
    EXPECT_EQ(queue.Indexes.size(), 18u);
    EXPECT_EQ(queue.PopDue(), 0);
    EXPECT_EQ(queue.Minutes.size(), 9u);
    EXPECT_EQ(queue.Indexes.size(), 9u);
    // RemoveIndex leaves the storage alone; the next push sizes it again and keeps a free slot.
    for (int i = 1; i < 9; ++i) {
        queue.RemoveIndex(1);
    }
    EXPECT_EQ(queue.Count, 0);
    queue.Push(1, 1);
    EXPECT_EQ(queue.Indexes.size(), 9u);
}

TEST(TRmLater, ASnoozeChosenAt100040ForOneMinuteFiresAt1001) {
    ClockOverride clock(EncodeDateTime(2025, 3, 7, 10, 0, 40));
    TRmLater queue;
    queue.Push(1, 4);
    int firedAtMinute = -1;
    int lastMinute = DecodeTime(Now()).Minute;
    for (int second = 0; second < 180 && firedAtMinute < 0; ++second) {
        clock.AdvanceSeconds(1);
        const TimeFields now = DecodeTime(Now());
        if (now.Minute != lastMinute) {
            lastMinute = now.Minute;
            queue.TickMinute();
            if (queue.PopDue() == 4) {
                firedAtMinute = now.Hour * 60 + now.Minute;
                EXPECT_EQ(now.Second, 0);
            }
        }
    }
    EXPECT_EQ(firedAtMinute, 10 * 60 + 1);
}

} // namespace
} // namespace chimewell
