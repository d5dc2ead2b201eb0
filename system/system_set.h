#pragma once
// What the settings dialog knows without a display: the contents of its lists and how an entry maps to the
// stored number, the quick-finish texts as its box shows them, the list font, and the check of OK.

#include "data/settings.h"
#include "platform/font_dialog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace chimewell {

// A drop-down list of consecutive numbers, each shown followed by its unit: "1分钟" … "120分钟".
struct TNumberList {
    std::int32_t First;
    std::int32_t Last;
    std::string_view Unit;

    std::vector<std::string> Items() const;
    // The entry that shows the value, -1 when the list does not hold it.
    int IndexOf(std::int32_t value) const;
    // The value of an entry; nothing for no entry.
    std::optional<std::int32_t> ValueAt(int index) const;
};

inline constexpr TNumberList LaterMinutesList{1, 120, "分钟"};
inline constexpr TNumberList AutoCloseSecondsList{5, 600, "秒钟"};
// How many hours back missed reminders are shown; 0 shows none.
inline constexpr TNumberList MissedHoursList{0, 168, ""};

// What the name fields show, and so store, when the settings hold no name.
inline constexpr std::string_view UserNamePlaceholder = "(用户名)";
inline constexpr std::string_view UserCorpPlaceholder = "(公司名)";

// The font page's sample: "测试字体，" and today's date ("测试字体，2026年12月09日").
std::string FontSampleText();

// The skin list: its first entry turns skins off, then the skin files. The entry of a skin name, -1 when the
// list does not hold it; the name an entry stands for ("" for the first), nothing for no entry.
inline constexpr std::string_view NoSkinEntry = "(不使用皮肤)";
std::vector<std::string> SkinListItems(const std::vector<std::string>& skinFiles);
int SkinListIndexOf(const std::vector<std::string>& skinFiles, const std::string& skinFileName);
std::optional<std::string> SkinListValueAt(const std::vector<std::string>& skinFiles, int index);

// The quick-finish lines as one text for a multi-line box, and the lines of such a text: a line break at the
// very end makes no empty line, as in the file.
std::string QuickFinishText(const std::vector<std::string>& lines);
std::vector<std::string> QuickFinishLines(std::string_view text);

// The main list's font in the settings, and the settings after a font was chosen.
TFontChoice ListFontOf(const TRmConfig& config);
void SetListFont(TRmConfig& config, const TFontChoice& font);

// A style rule that gives the widgets of `selector` the font and, unless it is 0, the colour. A widget's own
// rule wins over the application's, so a skin cannot override what the user chose.
std::string FontStyleSheet(std::string_view selector, const TFontChoice& font);

// The music chooser of the system music, starting in the last music folder; a choice becomes the last music
// folder and is returned for the music field.
std::optional<std::string> AskSystemMusic(TRmConfig& work);

// The refusal of OK when a system music file is named and no file of that path exists; nothing otherwise.
std::optional<std::string> SystemMusicProblem(const std::string& path);

// OK: refuses with a message box while the system music is missing; otherwise writes the quick-finish lines
// as the whole file and returns true. Throws like SaveQuickFinish when the file cannot be written.
// `shownLines`, when given, are the lines the dialog was opened with: lines the user left as they were are not
// written, so that a change another program made to the file meanwhile stays; lines the user changed while the
// file changed too replace it only after a question.
bool AcceptSystemSettings(const TRmConfig& work, const std::vector<std::string>& quickFinishLines,
                          const std::optional<std::vector<std::string>>& shownLines = std::nullopt);

} // namespace chimewell
