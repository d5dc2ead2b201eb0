#pragma once
// The font chooser answered from a script: every request is recorded, answers are taken in order, and the
// seam is given back when the script goes.

#include "platform/font_dialog.h"

#include <deque>
#include <optional>
#include <vector>

namespace chimewell::testing {

class ScriptedFonts {
public:
    ScriptedFonts() {
        Previous = SetFontDialogFunction([this](const TFontChoice& initial) {
            Requests.push_back(initial);
            if (Answers.empty()) {
                return std::optional<TFontChoice>();
            }
            const std::optional<TFontChoice> answer = Answers.front();
            Answers.pop_front();
            return answer;
        });
    }
    ~ScriptedFonts() { SetFontDialogFunction(std::move(Previous)); }
    ScriptedFonts(const ScriptedFonts&) = delete;
    ScriptedFonts& operator=(const ScriptedFonts&) = delete;

    // Requests without a scripted answer are cancelled.
    std::deque<std::optional<TFontChoice>> Answers;
    std::vector<TFontChoice> Requests;

private:
    FontDialogFunction Previous;
};

} // namespace chimewell::testing
