#pragma once
// A dialog service for model tests: records every message, answers questions and
// file dialogs from a script, and runs progress windows with ticks fifty
// times faster than real time, so workers still race the window as they would.
// Include as "ui/scripted_dialog_service.h" from any test suite.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog_service.h"
#include "ui/message_down.h"
#include "ui/sleeper.h"

namespace velmor::ui {

class ScriptedDialogService : public DialogService {
  public:
    struct Message {
        std::string text;
        std::string caption;
    };
    struct Progress {
        std::string message;
        std::uint8_t flagCode = 0;
        int tickLimit = 0;
        int dots = 0;  // dots shown when the window closed
    };

    std::vector<Message> messages;   // ShowMessage calls, oldest first
    std::vector<Message> questions;  // AskYesNo calls
    std::vector<FileDialogRequest> fileRequests;
    std::vector<Progress> progress;

    std::deque<bool> answers;                          // AskYesNo answers; Yes when empty
    std::deque<std::optional<std::string>> openPaths;  // OpenFile results; cancel when empty
    std::deque<std::optional<std::string>> savePaths;  // SaveFile results; cancel when empty

    void ShowMessage(const std::string& text, const std::string& caption) override {
        messages.push_back({text, caption});
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        questions.push_back({text, caption});
        return Take(answers, true);
    }
    std::optional<std::string> OpenFile(const FileDialogRequest& request) override {
        fileRequests.push_back(request);
        return Take(openPaths, std::optional<std::string>());
    }
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override {
        fileRequests.push_back(request);
        return Take(savePaths, std::optional<std::string>());
    }
    void RunProgress(CMessageDown& dialog) override {
        dialog.SetSleeper(sleeper_);
        dialog.OnInitDialog();
        dialog.WaitForCloseRequest();
        dialog.Close();
        progress.push_back(
            {dialog.Message(), dialog.FlagCode(), dialog.TickLimit(), dialog.Dots()});
    }

    // Texts of all messages, for compact expectations.
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const Message& m : messages) texts.push_back(m.text);
        return texts;
    }

  private:
    template <typename T>
    static T Take(std::deque<T>& queue, T fallback) {
        if (queue.empty()) return fallback;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }

    ScaledSleeper sleeper_{50};
};

}  // namespace velmor::ui
