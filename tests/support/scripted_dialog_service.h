#pragma once
// A dialog service for model tests: records every message, answers questions and
// file dialogs from a script, runs modal dialogs by driving their models'
// handlers from a script, and runs progress windows with ticks fifty times
// faster than real time, so workers still race the window as they would.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog_service.h"
#include "ui/message_down.h"
#include "ui/modal_dialog.h"
#include "ui/sleeper.h"

namespace velmor::testing {

class ScriptedDialogService : public ui::DialogService {
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
    // What the user does in a modal dialog: calls the model's handlers. A script
    // that leaves the dialog open closes it as the close button would.
    using DialogScript = std::function<void(ui::ModalDialog&)>;

    std::vector<Message> messages;   // ShowMessage calls, oldest first
    std::vector<Message> questions;  // AskYesNo calls
    std::vector<ui::FileDialogRequest> fileRequests;
    std::vector<Progress> progress;
    std::vector<int> dialogsRun;  // DialogId of every modal dialog run, in order

    std::deque<bool> answers;                          // AskYesNo answers; Yes when empty
    std::deque<std::optional<std::string>> openPaths;  // OpenFile results; cancel when empty
    std::deque<std::optional<std::string>> savePaths;  // SaveFile results; cancel when empty
    std::deque<DialogScript> dialogScripts;            // RunModal scripts; close when empty

    void ShowMessage(const std::string& text, const std::string& caption) override {
        messages.push_back({text, caption});
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        questions.push_back({text, caption});
        return Take(answers, true);
    }
    std::optional<std::string> OpenFile(const ui::FileDialogRequest& request) override {
        fileRequests.push_back(request);
        return Take(openPaths, std::optional<std::string>());
    }
    std::optional<std::string> SaveFile(const ui::FileDialogRequest& request) override {
        fileRequests.push_back(request);
        return Take(savePaths, std::optional<std::string>());
    }
    void RunProgress(ui::CMessageDown& dialog) override {
        dialog.SetSleeper(sleeper_);
        dialog.OnInitDialog();
        dialog.WaitForCloseRequest();
        dialog.Close();
        progress.push_back(
            {dialog.Message(), dialog.FlagCode(), dialog.TickLimit(), dialog.Dots()});
    }
    int RunModal(ui::ModalDialog& dialog) override {
        dialogsRun.push_back(dialog.DialogId());
        dialog.Reopen();
        dialog.OnInitDialog();
        if (DialogScript script = Take(dialogScripts, DialogScript()); script && !dialog.Ended())
            script(dialog);
        if (!dialog.Ended()) dialog.OnCancel();
        return dialog.Result();
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

    ui::ScaledSleeper sleeper_{50};
};

}  // namespace velmor::testing
