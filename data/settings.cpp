#include "data/settings.h"

#include "data/paths.h"

#include "data/code_page.h"
#include "data/constants.h"
#include "data/file_io.h"
#include "data/ini_file.h"

#include <array>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <variant>

namespace chimewell {

namespace {

// Every setting once: its key in config.ini (empty when it is not stored), its field and its default when
// the key is missing. Load, save and copy are all written from this table, in this order, which is also the
// order of the keys in the file.
struct KeepCurrentValue {};
using ConfigMember = std::variant<bool TRmConfig::*, std::int32_t TRmConfig::*, std::string TRmConfig::*>;
using ConfigDefault = std::variant<KeepCurrentValue, bool, std::int32_t, std::string_view>;

struct ConfigField {
    std::string_view Key;
    ConfigMember Member;
    ConfigDefault Default;
};

constexpr ConfigField Flag(std::string_view key, bool TRmConfig::*member, bool defaultValue) {
    return {key, member, defaultValue};
}
constexpr ConfigField Integer(std::string_view key, std::int32_t TRmConfig::*member, std::int32_t defaultValue) {
    return {key, member, defaultValue};
}
// The main window's geometry: a missing key keeps what InitDefaults set.
constexpr ConfigField Geometry(std::string_view key, std::int32_t TRmConfig::*member) {
    return {key, member, KeepCurrentValue{}};
}
constexpr ConfigField Text(std::string_view key, std::string TRmConfig::*member, std::string_view defaultValue = {}) {
    return {key, member, defaultValue};
}
constexpr ConfigField Unstored(std::string TRmConfig::*member) {
    return {{}, member, KeepCurrentValue{}};
}

constexpr std::array ConfigFields = {
    Flag("HideMainForm", &TRmConfig::HideMainForm, true),
    Flag("ShowMsgDateTime", &TRmConfig::ShowMsgDateTime, true),
    Flag("AutoCloseMsgBox", &TRmConfig::AutoCloseMsgBox, false),
    Flag("EnableLog", &TRmConfig::EnableLog, false),
    Flag("ShowGL", &TRmConfig::ShowGL, true),
    Flag("ShowDate", &TRmConfig::ShowDate, true),
    Flag("ShowTime", &TRmConfig::ShowTime, true),
    Flag("ShowRms", &TRmConfig::ShowRms, true),
    Flag("ShowCommand", &TRmConfig::ShowCommand, false),
    Flag("ShowSetMusic", &TRmConfig::ShowSetMusic, false),
    Flag("ShowBefRemind", &TRmConfig::ShowBefRemind, false),
    Flag("ShowWithScript", &TRmConfig::ShowWithScript, false),
    Flag("EnableQuickKey", &TRmConfig::EnableQuickKey, false),
    Flag("BeginWithSunday", &TRmConfig::BeginWithSunday, false),
    Flag("FontWithfsBold", &TRmConfig::FontWithfsBold, false),
    Flag("FontWithfsItalic", &TRmConfig::FontWithfsItalic, false),
    Flag("FontWithfsUnderline", &TRmConfig::FontWithfsUnderline, false),
    Flag("FontWithfsStrikeOut", &TRmConfig::FontWithfsStrikeOut, false),
    Integer("OpenTimes", &TRmConfig::OpenTimes, 0),
    Integer("AutoCloseMsgTime", &TRmConfig::AutoCloseMsgTime, 50),
    Integer("LaterRemindTime", &TRmConfig::LaterRemindTime, 5),
    Geometry("MainWndLeft", &TRmConfig::MainWndLeft),
    Geometry("MainWndTop", &TRmConfig::MainWndTop),
    Geometry("MainWndWidth", &TRmConfig::MainWndWidth),
    Geometry("MainWndHeight", &TRmConfig::MainWndHeight),
    Integer("HotKeyShift", &TRmConfig::HotKeyShift, 0),
    Integer("HotKeyChar", &TRmConfig::HotKeyChar, 0),
    Integer("FontWithSize", &TRmConfig::FontWithSize, 9),
    Integer("FontWithColor", &TRmConfig::FontWithColor, 0),
    Unstored(&TRmConfig::ConfigFileName),
    Unstored(&TRmConfig::DataFileName),
    Unstored(&TRmConfig::QuickFinishFileName),
    Text("UserName", &TRmConfig::UserName),
    Text("UserCorp", &TRmConfig::UserCorp),
    // A fresh settings file gets the desktop's alarm sound; a value the file holds, even an empty one, stays.
    ConfigField{"SysMusicFile", &TRmConfig::SysMusicFile, KeepCurrentValue{}},
    Unstored(&TRmConfig::MainFormName),
    Unstored(&TRmConfig::MainFormTypeName),
    Unstored(&TRmConfig::ProductName),
    Unstored(&TRmConfig::AppDir),
    Text("LastMusicDir", &TRmConfig::LastMusicDir),
    Text("LastImportDir", &TRmConfig::LastImportDir),
    Text("LastExportDir", &TRmConfig::LastExportDir),
    Text("SkinFileName", &TRmConfig::SkinFileName),
    Text("FontWithName", &TRmConfig::FontWithName, "宋体"),
    // Kept after the keys every copy of the program knows; older copies read past them.
    Integer("MissedWindowHours", &TRmConfig::MissedWindowHours, 24),
    Text("LastCheck", &TRmConfig::LastCheck),
    Flag("NeverAskAutorun", &TRmConfig::NeverAskAutorun, false),
    Integer("RemindMode", &TRmConfig::RemindMode, RemindModeAutomatic),
    Flag("RepeatMusic", &TRmConfig::RepeatMusic, false),
    Text("SyncServer", &TRmConfig::SyncServer),
    Text("SyncUser", &TRmConfig::SyncUser),
    Text("SyncCalendar", &TRmConfig::SyncCalendar),
};

constexpr std::size_t StoredKeyCount() {
    std::size_t count = 0;
    for (const ConfigField& field : ConfigFields) {
        count += field.Key.empty() ? 0 : 1;
    }
    return count;
}
static_assert(ConfigFields.size() == 52, "20 flags, 13 integers and 19 texts");
static_assert(StoredKeyCount() == 45, "the 37 keys of the older program, then MissedWindowHours, LastCheck, "
                                      "NeverAskAutorun, RemindMode, RepeatMusic and the three of the sync");

template <typename T>
T DefaultOf(const ConfigField& field, const T& current) {
    if (std::holds_alternative<KeepCurrentValue>(field.Default)) {
        return current;
    }
    if constexpr (std::is_same_v<T, std::string>) {
        return std::string(std::get<std::string_view>(field.Default));
    } else {
        return std::get<T>(field.Default);
    }
}

void ReadField(const TIniFile& ini, const ConfigField& field, TRmConfig& config) {
    std::visit(
        [&](auto member) {
            auto& value = config.*member;
            using T = std::remove_reference_t<decltype(value)>;
            const T defaultValue = DefaultOf<T>(field, value);
            if constexpr (std::is_same_v<T, bool>) {
                value = ini.ReadBool(ConfigSection, field.Key, defaultValue);
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                value = ini.ReadInteger(ConfigSection, field.Key, defaultValue);
            } else {
                value = ini.ReadString(ConfigSection, field.Key, defaultValue);
            }
        },
        field.Member);
}

void WriteField(TIniFile& ini, const ConfigField& field, const TRmConfig& config) {
    std::visit(
        [&](auto member) {
            const auto& value = config.*member;
            using T = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<T, bool>) {
                ini.WriteBool(ConfigSection, field.Key, value);
            } else if constexpr (std::is_same_v<T, std::int32_t>) {
                ini.WriteInteger(ConfigSection, field.Key, value);
            } else {
                ini.WriteString(ConfigSection, field.Key, value);
            }
        },
        field.Member);
}

} // namespace

std::string TRmConfig::ChooserFolder(const std::string& lastUsed) const {
    if (lastUsed.empty() || lastUsed == AppDir) {
        const std::string home = HomeFolder();
        return home.empty() || home.back() == '/' ? home : home + "/";
    }
    return lastUsed;
}

void TRmConfig::InitDefaults(const std::string& appDir, std::int32_t left, std::int32_t top, std::int32_t width,
                             std::int32_t height) {
    ConfigFileName = chimewell::ConfigFileName;
    DataFileName = chimewell::DataFileName;
    QuickFinishFileName = chimewell::QuickFinishFileName;
    MainFormName = chimewell::MainFormName;
    MainFormTypeName = chimewell::MainFormTypeName;
    ProductName = chimewell::ProductName;
    AppDir = appDir;
    if (AppDir.empty() || AppDir.back() != '/') {
        AppDir += '/';
    }
    MainWndLeft = left;
    MainWndTop = top;
    MainWndWidth = width;
    MainWndHeight = height;
    SysMusicFile = DefaultAlarmSoundFile;
    LastMusicDir = AppDir;
    LastImportDir = AppDir;
    LastExportDir = AppDir;
    SkinFileName.clear();
}

void TRmConfig::LoadConfig() {
    const TIniFile ini(ConfigFilePath());
    for (const ConfigField& field : ConfigFields) {
        if (!field.Key.empty()) {
            ReadField(ini, field, *this);
        }
    }
    // A hand-edited count at the top of the range stays there rather than overflowing.
    if (OpenTimes < std::numeric_limits<std::int32_t>::max()) {
        ++OpenTimes;
    }
}

void TRmConfig::SaveConfig() const {
    TIniFile ini(ConfigFilePath());
    for (const ConfigField& field : ConfigFields) {
        if (!field.Key.empty()) {
            WriteField(ini, field, *this);
        }
    }
    ini.UpdateFile();
}

void TRmConfig::KeepLastCheck() const {
    TIniFile ini(ConfigFilePath());
    if (ini.ReadFailed()) {
        throw std::runtime_error(UnableToWriteMessage(ConfigFilePath()));
    }
    for (const ConfigField& field : ConfigFields) {
        if (!field.Key.empty()) {
            WriteField(ini, field, *this);
        }
    }
    KeepFileQuietly(ConfigFilePath(), ini.ToBytes());
}

bool SyncConfigured(const TRmConfig& config) {
    return !config.SyncServer.empty() && !config.SyncUser.empty() && !config.SyncCalendar.empty();
}

void CopyConfig(const TRmConfig& source, TRmConfig& target) {
    for (const ConfigField& field : ConfigFields) {
        std::visit([&](auto member) { target.*member = source.*member; }, field.Member);
    }
}

std::vector<std::string> LoadQuickFinish(const std::string& path) {
    std::string bytes;
    if (ReadWholeFile(path, bytes) != FileReadResult::Read) {
        return {};
    }
    const std::string text = DecodeFileText(bytes);
    std::vector<std::string> lines;
    for (const std::string_view line : SplitLines(text)) {
        lines.emplace_back(line);
    }
    return lines;
}

void SaveQuickFinish(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    WriteFileAtomically(path, EncodeFileText(text));
}

} // namespace chimewell
