#pragma once
// Program-wide constants: names, version, the files the program keeps and the file-dialog filters.

#include <string_view>

namespace chimewell {

inline constexpr std::string_view ProductName = "晴铃提醒";
inline constexpr std::string_view ProgramVersion = "2.01.000";
inline constexpr std::string_view CompletionDate = "2026-12-09";
// The maker.
inline constexpr std::string_view StudioName = "青禾工作室";
// The name of the launcher (chimewell.desktop) and of the icon in the desktop's icon theme.
inline constexpr std::string_view DesktopName = "chimewell";

inline constexpr std::string_view ConfigFileName = "config.ini";
inline constexpr std::string_view DataFileName = "reminddata.sdt";
inline constexpr std::string_view QuickFinishFileName = "quickfinish.ini";

inline constexpr std::string_view MainFormName = "frmRemind";
inline constexpr std::string_view MainFormTypeName = "TfrmRemind";

// The freedesktop sound theme's alarm: the system music of a fresh settings file, and what plays instead of
// a music file that is missing or cannot be played.
inline constexpr std::string_view DefaultAlarmSoundFile =
    "/usr/share/sounds/freedesktop/stereo/alarm-clock-elapsed.oga";

// Caption and pattern list, separated by a vertical bar.
inline constexpr std::string_view MusicFileFilter = "音乐文件|*.mp3;*.mid;*.avi;*.wav";
inline constexpr std::string_view ImportFileFilter =
    "导入文件|*.txt;*.ics;*.TXT;*.ICS|交换文件|*.txt;*.TXT|iCalendar 日历文件|*.ics;*.ICS|所有文件|*";
inline constexpr std::string_view ExportFileFilter = "文本文件|*.txt";
inline constexpr std::string_view IcsExportFileFilter = "iCalendar 日历文件|*.ics";

} // namespace chimewell
