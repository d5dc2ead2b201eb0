#pragma once
// The two queues between the tick and the reminder window. Both hold 0-based positions in the reminder
// list, which follow their reminders when the list changes under them.

#include <cstdint>
#include <vector>

namespace chimewell {

// Reminders that are due now and wait to be fired, first in, first out.
class TRmMessage {
public:
    TRmMessage() { Init(); }

    // Empties the queue and gives it its first block of slots.
    void Init();
    // minute: the minute count (minutes since 1899-12-30) the reminder was queued for.
    // lead: 0 for the reminder's own firing, else the minutes of the warning ahead of its time.
    void Push(std::int32_t position, std::int64_t minute = 0, std::int32_t lead = 0);
    // The oldest position, or -1 when the queue is empty.
    std::int32_t Pop();
    // The minute the oldest entry was queued for; only while Count > 0.
    std::int64_t OldestMinute() const { return Minutes[0]; }
    std::int32_t OldestLead() const { return Leads[0]; }
    // The list changed: each entry goes where its reminder went, and leaves where the reminder is gone.
    void RemapPositions(const std::vector<std::int32_t>& map);

    std::int32_t Count = 0;
    std::int32_t BlockSize = 9;
    std::int32_t BlockCount = 1;
    // Slots 0 .. Count - 1 are in use, slot 0 holds the oldest entry.
    std::vector<std::int32_t> Indexes;
    std::vector<std::int64_t> Minutes; // parallel to Indexes
    std::vector<std::int32_t> Leads;   // parallel to Indexes

private:
    void ApplyStorageRule();
};

// Postponed reminders, each with the whole minutes left until it is due again.
class TRmLater {
public:
    TRmLater() { Init(); }

    void Init();
    // lead: a postponed warning comes back as the warning.
    void Push(std::int32_t minutes, std::int32_t position, std::int32_t lead = 0);
    // Counts every entry down by one minute; minutes may fall below zero.
    void TickMinute();
    // The first entry, in arrival order, whose minutes have run out, or -1 when there is none.
    std::int32_t PopDue(std::int32_t* lead = nullptr);
    // The record at deletedPosition is gone: its entries leave and the positions above it move down by one.
    void RemoveIndex(std::int32_t deletedPosition);
    // The list changed: each entry goes where its reminder went, and leaves where the reminder is gone.
    void RemapPositions(const std::vector<std::int32_t>& map);

    std::int32_t Count = 0;
    std::int32_t BlockSize = 9;
    std::int32_t BlockCount = 1;
    std::vector<std::int32_t> Minutes;
    std::vector<std::int32_t> Indexes; // parallel to Minutes
    std::vector<std::int32_t> Leads;   // parallel to Minutes

private:
    void RemoveSlot(std::int32_t slot);
    void ApplyStorageRule();
};

} // namespace chimewell
