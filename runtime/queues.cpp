#include "runtime/queues.h"

#include <algorithm>

namespace chimewell {

namespace {

constexpr std::int32_t QueueBlockSize = 9;

// The storage grows and shrinks in whole blocks and always keeps at least one free slot.
// Returns true when the number of blocks changed and the arrays must be resized.
bool UpdateBlockCount(std::int32_t count, std::int32_t blockSize, std::int32_t& blockCount) {
    const std::int32_t wanted = count / blockSize + 1;
    if (wanted == blockCount) {
        return false;
    }
    blockCount = wanted;
    return true;
}

std::size_t SlotCount(std::int32_t blockCount, std::int32_t blockSize) {
    return static_cast<std::size_t>(blockCount) * static_cast<std::size_t>(blockSize);
}

// Moves the slots after `slot` down by one within the first `count` slots.
void ShiftDown(std::vector<std::int32_t>& slots, std::int32_t slot, std::int32_t count) {
    std::copy(slots.begin() + slot + 1, slots.begin() + count, slots.begin() + slot);
}

} // namespace

void TRmMessage::Init() {
    BlockSize = QueueBlockSize;
    Count = 0;
    BlockCount = 1;
    Indexes.assign(SlotCount(BlockCount, BlockSize), 0);
    Minutes.assign(SlotCount(BlockCount, BlockSize), 0);
    Leads.assign(SlotCount(BlockCount, BlockSize), 0);
}

void TRmMessage::ApplyStorageRule() {
    if (UpdateBlockCount(Count, BlockSize, BlockCount)) {
        Indexes.resize(SlotCount(BlockCount, BlockSize));
        Minutes.resize(SlotCount(BlockCount, BlockSize));
        Leads.resize(SlotCount(BlockCount, BlockSize));
    }
}

void TRmMessage::Push(std::int32_t position, std::int64_t minute, std::int32_t lead) {
    if (UpdateBlockCount(Count + 1, BlockSize, BlockCount)) {
        Indexes.resize(SlotCount(BlockCount, BlockSize));
        Minutes.resize(SlotCount(BlockCount, BlockSize));
        Leads.resize(SlotCount(BlockCount, BlockSize));
    }
    Indexes[static_cast<std::size_t>(Count)] = position;
    Minutes[static_cast<std::size_t>(Count)] = minute;
    Leads[static_cast<std::size_t>(Count)] = lead;
    ++Count;
}

std::int32_t TRmMessage::Pop() {
    if (Count <= 0) {
        return -1;
    }
    const std::int32_t position = Indexes[0];
    ShiftDown(Indexes, 0, Count);
    std::copy(Minutes.begin() + 1, Minutes.begin() + Count, Minutes.begin());
    ShiftDown(Leads, 0, Count);
    --Count;
    ApplyStorageRule();
    return position;
}

void TRmMessage::RemapPositions(const std::vector<std::int32_t>& map) {
    std::int32_t kept = 0;
    for (std::int32_t slot = 0; slot < Count; ++slot) {
        const std::int32_t position = Indexes[static_cast<std::size_t>(slot)];
        const std::int32_t moved = position >= 0 && static_cast<std::size_t>(position) < map.size()
                                       ? map[static_cast<std::size_t>(position)]
                                       : -1;
        if (moved >= 0) {
            Indexes[static_cast<std::size_t>(kept)] = moved;
            Minutes[static_cast<std::size_t>(kept)] = Minutes[static_cast<std::size_t>(slot)];
            Leads[static_cast<std::size_t>(kept)] = Leads[static_cast<std::size_t>(slot)];
            ++kept;
        }
    }
    Count = kept;
    ApplyStorageRule();
}

void TRmLater::Init() {
    BlockSize = QueueBlockSize;
    Count = 0;
    BlockCount = 1;
    Minutes.assign(SlotCount(BlockCount, BlockSize), 0);
    Indexes.assign(SlotCount(BlockCount, BlockSize), 0);
    Leads.assign(SlotCount(BlockCount, BlockSize), 0);
}

void TRmLater::ApplyStorageRule() {
    if (UpdateBlockCount(Count, BlockSize, BlockCount)) {
        Minutes.resize(SlotCount(BlockCount, BlockSize));
        Indexes.resize(SlotCount(BlockCount, BlockSize));
        Leads.resize(SlotCount(BlockCount, BlockSize));
    }
}

void TRmLater::Push(std::int32_t minutes, std::int32_t position, std::int32_t lead) {
    if (UpdateBlockCount(Count + 1, BlockSize, BlockCount)) {
        Minutes.resize(SlotCount(BlockCount, BlockSize));
        Indexes.resize(SlotCount(BlockCount, BlockSize));
        Leads.resize(SlotCount(BlockCount, BlockSize));
    }
    Minutes[static_cast<std::size_t>(Count)] = minutes;
    Indexes[static_cast<std::size_t>(Count)] = position;
    Leads[static_cast<std::size_t>(Count)] = lead;
    ++Count;
}

void TRmLater::TickMinute() {
    for (std::int32_t slot = 0; slot < Count; ++slot) {
        // A standing entry must not wrap round to a far future after years of ticks.
        std::int32_t& minutes = Minutes[static_cast<std::size_t>(slot)];
        if (minutes > INT32_MIN) {
            --minutes;
        }
    }
}

void TRmLater::RemoveSlot(std::int32_t slot) {
    ShiftDown(Minutes, slot, Count);
    ShiftDown(Indexes, slot, Count);
    ShiftDown(Leads, slot, Count);
    --Count;
}

std::int32_t TRmLater::PopDue(std::int32_t* lead) {
    for (std::int32_t slot = 0; slot < Count; ++slot) {
        if (Minutes[static_cast<std::size_t>(slot)] <= 0) {
            const std::int32_t position = Indexes[static_cast<std::size_t>(slot)];
            if (lead != nullptr) {
                *lead = Leads[static_cast<std::size_t>(slot)];
            }
            RemoveSlot(slot);
            ApplyStorageRule();
            return position;
        }
    }
    return -1;
}

void TRmLater::RemoveIndex(std::int32_t deletedPosition) {
    std::int32_t slot = 0;
    while (slot < Count) {
        std::int32_t& position = Indexes[static_cast<std::size_t>(slot)];
        if (position == deletedPosition) {
            RemoveSlot(slot); // the same slot now holds the next entry
            continue;
        }
        if (position > deletedPosition) {
            --position;
        }
        ++slot;
    }
}

void TRmLater::RemapPositions(const std::vector<std::int32_t>& map) {
    std::int32_t slot = 0;
    while (slot < Count) {
        std::int32_t& position = Indexes[static_cast<std::size_t>(slot)];
        const std::int32_t moved = position >= 0 && static_cast<std::size_t>(position) < map.size()
                                       ? map[static_cast<std::size_t>(position)]
                                       : -1;
        if (moved < 0) {
            RemoveSlot(slot);
            continue;
        }
        position = moved;
        ++slot;
    }
    ApplyStorageRule();
}

} // namespace chimewell
