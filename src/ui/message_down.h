#pragma once
// CMessageDown (dialog 156): the modal progress window a page shows while a worker
// thread loads, saves or downloads. It shows a message and one more dot every
// half second, and asks to be closed when the watched completion flag of the
// controller object turns non-zero or after its tick limit. It decides nothing:
// the caller reads the same flag afterwards.
//
// Threads: the view's thread calls Setup, OnInitDialog and Close; the tick
// thread updates the text and asks for the close. The tick thread never outlives
// the model: Close and the destructor stop it and wait for it.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "controller/language.h"
#include "ui/page_model.h"
#include "ui/sleeper.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::ui {

class CMessageDown : public PageModel {
  public:
    static constexpr int kDialogId = 156;
    static constexpr int kTextControlId = 1138;
    static constexpr std::chrono::milliseconds kTickPeriod{500};

    // Codes of the watched flag.
    static constexpr std::uint8_t kWatchNone = 0;
    static constexpr std::uint8_t kWatchLoadDone = 1;
    static constexpr std::uint8_t kWatchSaveDone = 2;
    static constexpr std::uint8_t kWatchCleanSaveDone = 3;

    explicit CMessageDown(controller::CMainOperation& operation);
    ~CMessageDown() override;
    CMessageDown(const CMessageDown&) = delete;
    CMessageDown& operator=(const CMessageDown&) = delete;

    // Stores the three values; call before the window opens.
    void Setup(std::string message, std::uint8_t flagCode, int tickLimit);
    // A completion flag of the caller's own, watched instead of the coded ones,
    // for work the coded flags do not name (the cleaning page's panel exchanges).
    // Null returns to the coded flag. Before OnInitDialog; it must outlive the window.
    void WatchFlag(const std::atomic<std::uint32_t>* flag) { ownFlag_ = flag; }
    // The waiting between ticks (real time unless replaced); before OnInitDialog.
    void SetSleeper(Sleeper& sleeper) { sleeper_ = &sleeper; }
    // How the window is asked to close ("posting a close request"); called once
    // per opening, from the tick thread.
    void SetCloseHandler(std::function<void()> handler);

    // Opening: show the message and start the tick thread.
    void OnInitDialog();
    // The window closes (by the close request, or early by the user): the tick
    // thread is stopped and waited for. Safe to call more than once.
    void Close();
    // Blocks until the tick thread has asked for the close (or Close was called).
    void WaitForCloseRequest();

    std::string Text() const;  // the static text 1138
    int Dots() const { return dots_.load(); }
    bool CloseRequested() const { return closeRequested_.load(); }
    const std::string& Message() const { return message_; }
    std::uint8_t FlagCode() const { return flagCode_; }
    int TickLimit() const { return tickLimit_; }

    // The flag a code watches, or null for codes other than 1, 2 and 3.
    static const std::atomic<std::uint32_t>* WatchedFlag(
        const controller::CMainOperation& operation, std::uint8_t code);

  private:
    void TickLoop(std::stop_token stop);
    void SetText(std::string text);
    void RequestClose();

    controller::CMainOperation& operation_;
    Sleeper* sleeper_ = &DefaultSleeper();
    std::string message_;
    std::uint8_t flagCode_ = kWatchNone;
    const std::atomic<std::uint32_t>* ownFlag_ = nullptr;
    int tickLimit_ = 0;

    mutable std::mutex mutex_;  // guards text_, closeHandler_ and the close request
    std::condition_variable closeWake_;
    std::string text_;
    std::function<void()> closeHandler_;
    std::atomic<bool> closeRequested_{false};
    std::atomic<int> dots_{0};
    std::mutex threadMutex_;  // guards tickThread_: the tick thread may call Close itself
    std::jthread tickThread_;
};

// The progress messages of the pages: 19 blanks before the English text, 20
// before the Chinese one, as the window shows them.
enum class ProgressKind { Saving, Loading, Downloading };
std::string ProgressMessage(ProgressKind kind, controller::Language language);

}  // namespace velmor::ui
