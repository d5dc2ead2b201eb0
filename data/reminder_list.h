#pragma once
// All reminders of the run, in the order of the data file, which every change is written to at once.

#include "data/reminder.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

class TIniFile;

inline constexpr const char* DataMainSection = "Main";
inline constexpr const char* DataItemsKey = "Items";
// A hand-edited count beyond this is taken as this many; no list a person keeps comes near it, and a count
// in the billions would otherwise exhaust memory at start-up.
inline constexpr std::int32_t MaxDataItems = 100000;

// The count a file's reminders really have: "Items" as stored, but no more than the highest "ItemN" section
// the file holds (a count with nothing behind it would make phantom reminders that fire every midnight), and
// no more than MaxDataItems. A missing section in the middle still counts, so positions keep their meaning.
std::int32_t StoredItemCount(const TIniFile& ini);
// The same rule for a count kept under another section and key (the exchange files' header).
std::int32_t StoredItemCount(const TIniFile& ini, std::string_view countSection, std::string_view countKey);

// "Item" followed by the 1-based number.
std::string ItemSectionName(std::int32_t number);
// The 15 keys of one reminder, with their defaults for missing keys.
TRmMainDate ReadReminder(const TIniFile& ini, const std::string& section);
void WriteReminder(TIniFile& ini, const std::string& section, const TRmMainDate& record);

class TRmDataList {
public:
    TRmDataList() { Reset({}); }

    // Full path of the data file.
    std::string FileName;
    // Reminders held; they fill the first Count slots, the other slots are empty.
    std::int32_t Count = 0;
    // Growth step of the storage.
    std::int32_t BlockSize = 9;
    // The storage holds BlockSize * BlockCount slots, always more than Count.
    std::int32_t BlockCount = 1;
    std::vector<std::unique_ptr<TRmMainDate>> Slots;

    // The reminder at 0..Count-1; throws std::out_of_range for any other index.
    TRmMainDate& Item(std::int32_t index);
    const TRmMainDate& Item(std::int32_t index) const;

    // An empty list of one block for the given file.
    void Reset(const std::string& fileName);
    void Clear();
    // Replaces the contents with the data file's; a missing file gives an empty list. A file that exists but
    // cannot be read gives an empty list too, and LoadFailure then says why; until a later Load succeeds, every
    // save refuses, so the user's file is never replaced by what the program did not read.
    void Load();
    // Empty, or a sentence naming the data file and why it could not be read.
    std::string LoadFailure;
    // Appends a copy of the record; with save, writes it at once.
    void Add(const TRmMainDate& record, bool save);
    // Removes the reminder at index (-1: the last one); with save, rewrites the file from that index on.
    void Delete(std::int32_t index, bool save);
    // Writes the count and the reminder at index (-1: the last one).
    void SaveItem(std::int32_t index) const;
    // Writes the count and every reminder from index (-1: the last one) to the end; an index equal to Count
    // writes the count alone.
    void SaveFrom(std::int32_t index) const;
    bool IsItemDueNow(std::int32_t index) const;
    bool IsItemDueNowAt(std::int32_t index, TDateTime now) const;

private:
    void ResizeToBlocks(std::int32_t blocks);
    void RefuseSaveUnlessLoaded() const;
};

} // namespace chimewell
