#pragma once
// Calendar files read and written off the window's thread: a file of many or dense recurrences takes a while,
// and the windows must stay answerable and reminders go on firing meanwhile. A window tells that the work is
// under way, once it takes more than a moment, and offers 取消 where the work can stop.

#include "exchange/ical_file.h"

#include <QString>

#include <atomic>
#include <functional>

class QWidget;

namespace chimewell {

// Runs the work on another thread and returns when it is done; an exception it throws comes out here. Without
// cancellable the window has no 取消 and cancel never turns true.
void RunOffTheWindowThread(QWidget* parent, const QString& title, const QString& text, bool cancellable,
                           const std::function<void(const std::atomic<bool>& cancel)>& work);

TIcsImportFile ReadCalendarInBackground(QWidget* parent,
                                        const std::function<TIcsImportFile(const std::atomic<bool>& cancel)>& read);

// Writes a calendar file (ExportIcs) off the window's thread; what the writing returned.
bool WriteCalendarInBackground(QWidget* parent, const std::function<bool()>& write);

} // namespace chimewell
