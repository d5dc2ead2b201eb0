#pragma once
// All reminders of the run, in the order of the data file, which every change is written to at once.

#include "data/data_file.h"
#include "data/file_io.h"
#include "data/reminder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace chimewell {

class TIniFile;
class TextDecoder;

inline constexpr const char* DataMainSection = "Main";
inline constexpr const char* DataItemsKey = "Items";
// A hand-edited count beyond this is taken as this many; no list a person keeps comes near it, and a count
// in the billions would otherwise exhaust memory at start-up.
inline constexpr std::int32_t MaxDataItems = 100000;

// The count a file's reminders really have: "Items" as stored, but no more than the highest "ItemN" section
// the file holds (a count with nothing behind it would make phantom reminders that fire every midnight), and
// no more than MaxDataItems. A missing section in the middle still counts, so positions keep their meaning.
std::int32_t StoredItemCount(const TIniFile& ini);
// The highest "ItemN" section the file holds, 0 for none.
std::int32_t HighestItemSection(const TIniFile& ini);
// N for a section named "ItemN" (in any case, without leading zeros), else 0.
std::int32_t ItemNumberOf(std::string_view name);
// The same rule for a count kept under another section and key (the exchange files' header), with another
// limit in place of MaxDataItems.
std::int32_t StoredItemCount(const TIniFile& ini, std::string_view countSection, std::string_view countKey,
                             std::int32_t limit = MaxDataItems);

// The key after the 15 that names a reminder to other calendars; older copies of the program carry it through.
inline constexpr const char* ReminderUidKey = "UID";

// "Item" followed by the 1-based number.
std::string ItemSectionName(std::int32_t number);
// The 15 keys of one reminder and its UID, with their defaults for missing keys.
TRmMainDate ReadReminder(const TIniFile& ini, const std::string& section);
// The same for the section of that handle (TIniFile::ForEachSection); with a decoder of its own, a thread may
// read while others read the same file.
TRmMainDate ReadReminderAt(const TIniFile& ini, std::size_t handle, TextDecoder* decoder = nullptr);
void WriteReminder(TIniFile& ini, const std::string& section, const TRmMainDate& record);

// For each position before a change, the position of the same reminder after it, or -1 where it is gone.
using TPositionMap = std::vector<std::int32_t>;

// The same reminder as the user set it up: every field but Reminded, which firing changes, and the UID, which
// the export gives it.
bool SameReminder(const TRmMainDate& a, const TRmMainDate& b);
// The warnings, interval and bounds agree.
bool SameSchedule(const TRmMainDate& a, const TRmMainDate& b);
// A hash of what SameReminder compares: equal reminders have equal hashes.
std::size_t ReminderContentHash(const TRmMainDate& record);
// The same as stored: every key but Reminded, the UID and the keys after the 15 included.
bool SameStoredReminder(const TRmMainDate& a, const TRmMainDate& b);
// An edit of `original` made while another program changed it to `current`: each field as the edit has it
// where only the edit changed it, as `current` has it where only the other program did; none where both
// changed the same field differently. Reminded stays true once either side set it.
std::optional<TRmMainDate> MergeEdit(const TRmMainDate& original, const TRmMainDate& current,
                                     const TRmMainDate& edited);

// Where each reminder of `before` stands in `after`: at an equal reminder (the nearest to its old place where
// several are equal); else, where only its text, music or command was edited in place, at the same place with
// the same date and time; else nowhere (-1). No two reminders of `before` go to the same place.
TPositionMap MapPositions(const std::vector<const TRmMainDate*>& before, const std::vector<const TRmMainDate*>& after);

// What the reminders fired in one minute changed in the file: their Reminded key. Taken from the list and written
// in one save, on any thread; the list itself is not touched by the writing.
struct TRemindedMarks {
    std::string FileName;
    // The version of the file the list knew when the marks were taken.
    TFileStamp Stamp;
    std::size_t KnownDigest = 0;
    std::int32_t Count = 0;
    // Each reminder as the file holds it (Reminded still false), and where it stood.
    std::vector<std::pair<TRmMainDate, std::int32_t>> Records;
};

struct TRemindedWritten {
    // False when nothing was written: the file has gone, looks destroyed, or no longer holds those reminders.
    bool Written = false;
    // The file has gone: the list writes itself anew.
    bool FileMissing = false;
    // The file read was the version the list knew, so what was written differs from it by the marks alone.
    bool OnKnownVersion = false;
    // The file as written, told by its stamp and the digest of its bytes (worked out where it was written).
    TFileStamp Stamp;
    std::size_t Digest = 0;
};

// Sets Reminded for the marked reminders in the file as it is now, under the writers' lock; a reminder another
// program changed or removed meanwhile is left as it is. Throws std::runtime_error as RewriteDataFile does.
TRemindedWritten WriteRemindedMarks(const TRemindedMarks& marks, const std::function<void()>& beforeReplace = {});

class TRmDataList {
public:
    TRmDataList() { Reset({}); }

    // Full path of the data file.
    std::string FileName;
    // Counts the changes of the list's reminders (a load, a reload, an edit): what was worked out from them is
    // worked out again when it has moved on.
    std::uint64_t Generation = 0;
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

    // Other programs may change the file while the list is loaded (chimewell-cli, a sync tool, a text editor).
    // Every change below is made to the file as it is on disk at that moment, under the writers' lock: a file
    // changed since it was last read or written here is read again first, and the change goes to the reminder
    // it was meant for, found by its contents; and when the file changes again before the new one is in place,
    // the change starts over from there. So a save never writes back a reminder it has not read since the
    // other program's change, nor drops a write made while it saved.
    //
    // A version of the file that looks destroyed (emptied, cut short, not a data file) is not taken in: the
    // list stays, a copy of that version is kept beside the file, nothing is written over it, and
    // OutsideVersionRefused asks the user which one stays.

    // Told whenever reminders went to other positions or away (a reload, a removal), so that queued positions
    // can follow their reminders.
    std::function<void(const TPositionMap&)> PositionsMoved;
    // Told when the list was read again because another program changed the file, or when the file can no
    // longer be read (LoadFailure then says why).
    std::function<void()> ReloadedFromDisk;
    // Reads the file again when another program changed it since it was last read or written here; true when
    // ReloadedFromDisk was told. A file that cannot be read now keeps the list as it was, and no save writes over
    // it until it can; a file that has gone keeps the list too, and the next change writes it anew.
    bool ReloadIfChanged();
    // The file is as it was last read or written here (its stamp says so, without reading it).
    bool IsKnownVersion() const { return FileStampOf(FileName) == Stamp; }
    // Set by ReloadIfChanged when the file is still being written: look again in a moment.
    bool WaitingForWriter = false;

    // A version of the file that was not taken in, and why; empty Message while there is none.
    struct TRefusedVersion {
        std::string Message;
        std::string CopyName;
        std::size_t Digest = 0;
        std::int32_t Count = 0;
    };
    TRefusedVersion Refused;
    // Told when a version was refused (Refused says which), so that the user can choose.
    std::function<void()> OutsideVersionRefused;
    // The user's choice: the list written whole over the refused version, or that version taken as the list.
    // Nothing happens when the file changed again since (the next look decides anew).
    void KeepListOverRefused();
    void TakeRefused();

    // Several changes as one write of the file (all UIDs of an export, a sync's changes): inside, Add, Replace,
    // Move and Remove change the list, and the file is written once, at the end. `changes` may run more than once
    // (another program wrote the file meanwhile) and must find its reminders anew each time.
    void Batch(const std::function<void()>& changes);
    // Tests put another writer here: it runs in each save once the new contents are on the disk, right before
    // they replace the file.
    std::function<void()> BeforeFileReplaced;
    // The position of a reminder equal to `record` (SameReminder), the nearest one to `near`; -1 when none is.
    std::int32_t Find(const TRmMainDate& record, std::int32_t near) const;
    // A position that follows its reminder through every move, reload and removal (-1 once it is gone), for a
    // dialog that edits it while other programs change the file.
    std::shared_ptr<std::int32_t> Track(std::int32_t index);

    // Appends a copy of the record; with save, writes it at once to the file as it is now.
    void Add(const TRmMainDate& record, bool save);
    // Puts `after` in place of the reminder equal to `before` (looked for near `near`) and writes it. Returns
    // its position, or -1 with nothing changed when no such reminder is there any more (another program changed
    // or deleted it). `before` is taken by value: the list's own records may be replaced by the reading.
    std::int32_t Replace(TRmMainDate before, std::int32_t near, const TRmMainDate& after);
    // Moves the reminder equal to `before` (looked for near `near`) by `steps` places, no further than the ends
    // of the list, and writes the places that changed. Returns its new position, or -1 with nothing changed when
    // it is no longer there.
    std::int32_t Move(TRmMainDate before, std::int32_t near, std::int32_t steps);
    // Removes the reminders equal to the given ones (each looked for near its position) and rewrites the file
    // once. Returns how many were found and removed.
    std::int32_t Remove(const std::vector<std::pair<TRmMainDate, std::int32_t>>& records);
    // Removes the reminder at index (-1: the last one) from the list alone, without looking at the file; with
    // save, rewrites the file from that index on.
    void Delete(std::int32_t index, bool save);
    // Writes the count and the reminder at index (-1: the last one) over what the file holds.
    void SaveItem(std::int32_t index);
    // Writes the count and every reminder from index (-1: the last one) to the end over what the file holds; an
    // index equal to Count writes the count alone.
    void SaveFrom(std::int32_t index);
    bool IsItemDueNow(std::int32_t index) const;

    // A fired reminder is reminded at once in the list; the file learns it with the others of the same minute:
    // TakeRemindedMarks hands them to WriteRemindedMarks (on another thread if need be) and RemindedMarksWritten
    // brings the outcome back, or SaveRemindedMarks does all three here. A list that refuses to save (see Load)
    // throws in TakeRemindedMarks and keeps its marks; RemindedMarksWritten throws when the file had gone and
    // cannot be written anew.
    void MarkReminded(std::int32_t index);
    bool HasRemindedMarks() const { return !Marks.empty(); }
    TRemindedMarks TakeRemindedMarks();
    void RemindedMarksWritten(const TRemindedMarks& marks, const TRemindedWritten& written);
    void SaveRemindedMarks();
    bool IsItemDueNowAt(std::int32_t index, TDateTime now) const;

private:
    void ResizeToBlocks(std::int32_t blocks);
    void RefuseSaveUnlessLoaded() const;
    void LoadFrom(const TIniFile& ini);
    // Takes in what another program wrote, when the file read for a change differs from what was last read
    // or written here; refuses (throws) a file that cannot be read, or that looks destroyed.
    void FollowDisk(const TIniFile& ini);
    void ReloadFrom(const TIniFile& ini);
    // Keeps the version aside and refuses it; throws the message when `inSave`.
    void RefuseVersion(const TIniFile& ini, const std::string& suspicion, bool inSave);
    // One change of the file: `change` on the list as the file is now, written once (Follow); or the list's own
    // records written over what the file holds (Over: SaveItem, SaveFrom), or as the whole file (Whole).
    enum class SaveMode { Follow, Over, Whole };
    void Save(const std::function<void()>& change, SaveMode mode = SaveMode::Follow);
    // The reminders [from, to) are to be written; the count always is.
    void MarkChanged(std::int32_t from, std::int32_t to);
    void WriteChanged(TIniFile& ini) const;
    void RemoveAt(std::int32_t index);
    // Moves the tracked positions and tells PositionsMoved.
    void TellMoved(const TPositionMap& map);
    std::vector<std::weak_ptr<std::int32_t>> Tracked;
    void Remember(const std::string& bytes, const TFileStamp& stamp) const;

    // The file as last read or written here: its stamp, and a digest of its bytes.
    mutable TFileStamp Stamp;
    mutable std::size_t KnownDigest = 0;
    // The highest item section the file held as last read or written: those beyond the count go at a save.
    mutable std::int32_t HighestSection = 0;
    std::vector<std::pair<TRmMainDate, std::int32_t>> Marks;
    // Inside a Save or a Batch: changes mark what to write and do not write themselves.
    int SaveDepth = 0;
    std::int32_t ChangedFrom = 0;
    std::int32_t ChangedTo = 0;
};

} // namespace chimewell
