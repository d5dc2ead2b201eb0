#pragma once
// The reminders of a data file read a piece at a time, for a command that looks at each of them once
// (chimewell-cli next): it holds a piece of the file and one reminder, never the whole file and list.

#include "data/reminder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace chimewell {

// Visits each reminder TRmDataList::Load would hold, with its position, in the order of the file (the
// reminders of missing sections below the count last), all from one version of the file. False for a file Load
// would refuse or reads as empty (missing, unreadable, without [Main]), with nothing visited, and for a file that
// could not be read to its end, perhaps after some were: the caller then starts afresh with Load, and reports
// what Load reports.
bool ForEachStoredReminder(const std::string& path,
                           const std::function<void(std::int32_t position, const TRmMainDate& reminder)>& visit,
                           std::size_t pieceBytes = std::size_t{1} << 20);

} // namespace chimewell
