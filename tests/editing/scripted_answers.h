#pragma once
// Message boxes and file choosers answered from a script: every box and request is recorded, answers are
// taken in order, and both seams are given back when the script goes.

#include "platform/file_dialog.h"
#include "platform/message_box.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace chimewell::testing {

struct AskedBox {
    MessageKind Kind;
    std::string Title;
    std::string Text;
};

class ScriptedAnswers {
public:
    ScriptedAnswers() {
        PreviousBoxes =
            SetMessageBoxFunction([this](MessageKind kind, const std::string& title, const std::string& text) {
                Boxes.push_back({kind, title, text});
                if (OnBox) {
                    OnBox(Boxes.back());
                }
                if (BoxAnswers.empty()) {
                    return kind == MessageKind::Information ? MessageAnswer::Ok : MessageAnswer::Cancel;
                }
                const MessageAnswer answer = BoxAnswers.front();
                BoxAnswers.pop_front();
                return answer;
            });
        PreviousFiles = SetFileDialogFunction([this](const FileDialogRequest& request) {
            FileRequests.push_back(request);
            if (FileAnswers.empty()) {
                return std::optional<std::string>();
            }
            const std::optional<std::string> answer = FileAnswers.front();
            FileAnswers.pop_front();
            return answer;
        });
    }
    ~ScriptedAnswers() {
        SetMessageBoxFunction(std::move(PreviousBoxes));
        SetFileDialogFunction(std::move(PreviousFiles));
    }
    ScriptedAnswers(const ScriptedAnswers&) = delete;
    ScriptedAnswers& operator=(const ScriptedAnswers&) = delete;

    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (const AskedBox& box : Boxes) {
            titles.push_back(box.Title);
        }
        return titles;
    }

    // Boxes without a scripted answer: notices are acknowledged, questions cancelled.
    std::deque<MessageAnswer> BoxAnswers;
    // Requests without a scripted answer are cancelled.
    std::deque<std::optional<std::string>> FileAnswers;
    std::vector<AskedBox> Boxes;
    std::vector<FileDialogRequest> FileRequests;
    // Runs as each box is asked, before it is answered.
    std::function<void(const AskedBox&)> OnBox;

private:
    MessageBoxFunction PreviousBoxes;
    FileDialogFunction PreviousFiles;
};

} // namespace chimewell::testing
