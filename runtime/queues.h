#pragma once
// The two queues between the tick and the reminder window. Both hold 0-based positions in the reminder
// list; neither is saved, so postponed reminders are forgotten when the program ends.

#include <cstdint>
#include <vector>

namespace chimewell {

// Reminders that are due now and wait to be fired, first in, first out.
class TRmMessage {
public:
    TRmMessage() { Init(); }

    // Empties the queue and gives it its first block of slots.
    void Init();
    void Push(std::int32_t position);
    // The oldest position, or -1 when the queue is empty.
    std::int32_t Pop();

    std::int32_t Count = 0;
    std::int32_t BlockSize = 9;
    std::int32_t BlockCount = 1;
    // Slots 0 .. Count - 1 are in use, slot 0 holds the oldest entry.
    std::vector<std::int32_t> Indexes;

private:
    void ApplyStorageRule();
};

// Postponed reminders, each with the whole minutes left until it is due again.
class TRmLater {
public:
    TRmLater() { Init(); }

    void Init();
    void Push(std::int32_t minutes, std::int32_t position);
    // Counts every entry down by one minute; minutes may fall below zero.
    void TickMinute();
    // The first entry, in arrival order, whose minutes have run out, or -1 when there is none.
    std::int32_t PopDue();
    // The record at deletedPosition is gone: its entries leave and the positions above it move down by one.
    void RemoveIndex(std::int32_t deletedPosition);

    std::int32_t Count = 0;
    std::int32_t BlockSize = 9;
    std::int32_t BlockCount = 1;
    std::vector<std::int32_t> Minutes;
    std::vector<std::int32_t> Indexes; // parallel to Minutes

private:
    void RemoveSlot(std::int32_t slot);
    void ApplyStorageRule();
};

} // namespace chimewell
