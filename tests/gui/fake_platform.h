#pragma once
// The platform interface for widget tests: every message box, dialog and
// beep is recorded with the window it was asked for, and each is answered
// from a script (or a default).

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/platform.h"
#include "support/script.h"

namespace kararisu::test {

class FakePlatform : public Platform {
  public:
    // --- what was asked
    std::vector<Message> messages;
    std::vector<Beep> beeps;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<std::pair<std::string, std::string>> folderRequests;
    // The window of each message, and of each file dialog and folder
    // chooser in the order they were asked for.
    std::vector<WindowRef> messageWindows;
    std::vector<WindowRef> dialogWindows;

    // --- the script; an empty script answers the first button / cancels
    std::deque<Answer> answers;
    std::deque<std::vector<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    // The filter chosen with each save answer; the request's first when none.
    std::deque<std::string> saveFilterAnswers;
    std::deque<std::optional<std::string>> folderAnswers;
    // Called when a message box is shown (e.g. to check the window state then).
    std::function<void(const Message&)> onMessage;

    Answer show(WindowRef window, const Message& m) override {
        messages.push_back(m);
        messageWindows.push_back(window);
        if (onMessage) onMessage(m);
        Answer fallback = Answer::Ok;
        switch (m.buttons) {
            case MessageButtons::Ok:
                break;
            case MessageButtons::YesNo:
            case MessageButtons::YesNoCancel:
                fallback = Answer::Yes;
                break;
            case MessageButtons::RetryCancel:
                fallback = Answer::Cancel;  // a script must ask for a retry, or tests loop
                break;
        }
        return nextAnswer(answers, fallback);
    }
    void beep(Beep kind) override { beeps.push_back(kind); }
    std::vector<std::string> openFiles(WindowRef window, const FileDialogRequest& r) override {
        openRequests.push_back(r);
        dialogWindows.push_back(window);
        return nextAnswer(openAnswers, {});
    }
    std::optional<std::string> saveFile(WindowRef window, const FileDialogRequest& r) override {
        saveRequests.push_back(r);
        dialogWindows.push_back(window);
        return nextAnswer(saveAnswers, {});
    }
    std::optional<SaveChoice> saveFileAs(WindowRef window, const FileDialogRequest& r) override {
        std::optional<std::string> path = saveFile(window, r);
        const std::string first = r.filter.substr(0, r.filter.find('|'));
        std::string filter = nextAnswer(saveFilterAnswers, first);
        if (!path) return std::nullopt;
        return SaveChoice{std::move(*path), std::move(filter)};
    }
    std::optional<std::string> chooseFolder(WindowRef window, const std::string& caption,
                                            const std::string& start) override {
        folderRequests.emplace_back(caption, start);
        dialogWindows.push_back(window);
        return nextAnswer(folderAnswers, {});
    }
};

}  // namespace kararisu::test
