#pragma once
// The user's settings for one run, kept in config.ini in the program's folder, and the quick-finish texts.

#include <cstdint>
#include <string>
#include <vector>

namespace chimewell {

inline constexpr const char* ConfigSection = "Config";

// 提醒方式.
inline constexpr std::int32_t RemindModeAutomatic = -1;
inline constexpr std::int32_t RemindModeWindow = 0;
inline constexpr std::int32_t RemindModeNotification = 1;
inline constexpr std::int32_t RemindModeWindowAndNotification = 2;

struct TRmConfig {
    bool HideMainForm = true;
    bool ShowMsgDateTime = true;
    bool AutoCloseMsgBox = false;
    bool EnableLog = false;
    bool ShowGL = true;
    bool ShowDate = true;
    bool ShowTime = true;
    bool ShowRms = true;
    bool ShowCommand = false;
    bool ShowSetMusic = false;
    bool ShowBefRemind = false;
    bool ShowWithScript = false;
    bool EnableQuickKey = false;
    bool BeginWithSunday = false;
    bool FontWithfsBold = false;
    bool FontWithfsItalic = false;
    bool FontWithfsUnderline = false;
    bool FontWithfsStrikeOut = false;

    std::int32_t OpenTimes = 0;
    std::int32_t AutoCloseMsgTime = 50;
    std::int32_t LaterRemindTime = 5;
    std::int32_t MainWndLeft = 265;
    std::int32_t MainWndTop = 202;
    std::int32_t MainWndWidth = 429;
    std::int32_t MainWndHeight = 279;
    std::int32_t HotKeyShift = 0;
    std::int32_t HotKeyChar = 0;
    std::int32_t FontWithSize = 9;
    std::int32_t FontWithColor = 0;

    std::string ConfigFileName;
    std::string DataFileName;
    std::string QuickFinishFileName;
    std::string UserName;
    std::string UserCorp;
    std::string SysMusicFile;
    std::string MainFormName;
    std::string MainFormTypeName;
    std::string ProductName;
    // The program's folder, ending in "/".
    std::string AppDir;
    std::string LastMusicDir;
    std::string LastImportDir;
    std::string LastExportDir;
    std::string SkinFileName;
    std::string FontWithName = "宋体";
    // How far back missed reminders are caught up, in hours; 0 turns catching up off.
    std::int32_t MissedWindowHours = 24;
    // The last minute the reminders were checked, "YYYY-MM-DD HH:MM"; empty before the first check.
    std::string LastCheck;
    // The user answered 不再询问 to the start-with-system question; 开机运行 in the tray menu still switches it.
    bool NeverAskAutorun = false;
    // 提醒方式: how a reminder shows, RemindModeAutomatic by the session (the window on X11, the window and a
    // notification on Wayland).
    std::int32_t RemindMode = -1;
    // 重复播放提醒音乐直到关闭: the music plays again until the reminder is answered, for ten minutes at most.
    bool RepeatMusic = false;
    // The calendar sync: the server's address as typed, the user name, and the calendar's address. An empty
    // server: no sync, and no network traffic at all. The password is in the desktop's secret store.
    std::string SyncServer;
    std::string SyncUser;
    std::string SyncCalendar;

    // The constants, the folder and the main window's designed geometry, which stay in place for keys that
    // config.ini lacks. The three last-used folders start at the program's folder.
    void InitDefaults(const std::string& appDir, std::int32_t left, std::int32_t top, std::int32_t width,
                      std::int32_t height);
    // Reads every stored key with its default, then counts this start in OpenTimes.
    void LoadConfig();
    // Writes all 37 stored keys at once; throws std::runtime_error "Unable to write to <path>" on failure.
    void SaveConfig() const;
    // SaveConfig for the minute of the last check, kept as the program goes: when nothing else changed, the
    // minute is written in place, without the waits of a save flushed to the disk.
    void KeepLastCheck() const;

    // Where a file chooser opens: the folder last used, or the user's home while that is still the program's
    // own folder, where nobody keeps music or calendars.
    std::string ChooserFolder(const std::string& lastUsed) const;

    std::string ConfigFilePath() const { return AppDir + ConfigFileName; }
    std::string DataFilePath() const { return AppDir + DataFileName; }
    std::string QuickFinishFilePath() const { return AppDir + QuickFinishFileName; }

    friend bool operator==(const TRmConfig&, const TRmConfig&) = default;
};

// The settings name a sync server, a user and a calendar.
bool SyncConfigured(const TRmConfig& config);

// Copies every setting, the constants and the folders included.
void CopyConfig(const TRmConfig& source, TRmConfig& target);

// The ready-made reminder texts, one per line; a missing or unreadable file gives none.
std::vector<std::string> LoadQuickFinish(const std::string& path);
// Writes the lines as the whole file, each ended by CR LF; throws like SaveConfig.
void SaveQuickFinish(const std::string& path, const std::vector<std::string>& lines);

} // namespace chimewell
