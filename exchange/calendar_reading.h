#pragma once
// A calendar file read off the window's thread: a file of many or dense recurrences takes a while, and the
// windows must stay answerable and reminders go on firing meanwhile. A window tells that the reading is under
// way and offers 取消.

#include "exchange/ical_file.h"

#include <atomic>
#include <functional>

class QWidget;

namespace chimewell {

TIcsImportFile ReadCalendarInBackground(QWidget* parent,
                                        const std::function<TIcsImportFile(const std::atomic<bool>& cancel)>& read);

} // namespace chimewell
