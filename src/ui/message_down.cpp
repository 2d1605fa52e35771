#include "ui/message_down.h"

#include <utility>

#include "controller/main_operation.h"

namespace velmor::ui {

CMessageDown::CMessageDown(controller::CMainOperation& operation) : operation_(operation) {}

CMessageDown::~CMessageDown() { Close(); }

void CMessageDown::Setup(std::string message, std::uint8_t flagCode, int tickLimit) {
    message_ = std::move(message);
    flagCode_ = flagCode;
    tickLimit_ = tickLimit;
}

void CMessageDown::SetCloseHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    closeHandler_ = std::move(handler);
}

void CMessageDown::OnInitDialog() {
    Close();  // a second opening starts afresh
    closeRequested_ = false;
    dots_ = 0;
    SetText(message_);
    // The new thread may close the window at once (its close handler calling
    // Close); that Close waits here until the thread object is in place.
    std::lock_guard lock(threadMutex_);
    tickThread_ = std::jthread([this](std::stop_token stop) { TickLoop(std::move(stop)); });
}

void CMessageDown::Close() {
    std::jthread finished;
    {
        std::lock_guard lock(threadMutex_);
        if (tickThread_.joinable()) {
            tickThread_.request_stop();
            // A close handler that closes at once runs on the tick thread itself,
            // which ends by itself after the handler returns; a later Close or the
            // destructor joins it.
            if (tickThread_.get_id() != std::this_thread::get_id())
                finished = std::move(tickThread_);
        }
    }
    // Joined outside the lock: the tick thread may be waiting for it in Close.
    if (finished.joinable()) finished.join();
    std::lock_guard lock(mutex_);
    closeRequested_ = true;
    closeWake_.notify_all();
}

void CMessageDown::WaitForCloseRequest() {
    std::unique_lock lock(mutex_);
    closeWake_.wait(lock, [this] { return closeRequested_.load(); });
}

std::string CMessageDown::Text() const {
    std::lock_guard lock(mutex_);
    return text_;
}

const std::atomic<std::uint32_t>* CMessageDown::WatchedFlag(
    const controller::CMainOperation& operation, std::uint8_t code) {
    switch (code) {
        case kWatchLoadDone:
            return &operation.loadDone;
        case kWatchSaveDone:
            return &operation.saveDone;
        case kWatchCleanSaveDone:
            return &operation.cleanSaveDone;
        default:
            return nullptr;
    }
}

void CMessageDown::TickLoop(std::stop_token stop) {
    const std::atomic<std::uint32_t>* flag =
        ownFlag_ != nullptr ? ownFlag_ : WatchedFlag(operation_, flagCode_);
    std::string text = message_;
    for (int i = 0; i < tickLimit_; ++i) {
        if (stop.stop_requested()) return;  // closed early: nobody to ask any more
        text += '.';
        dots_ = i + 1;
        SetText(text);
        if (flag && flag->load() != 0) break;
        if (!sleeper_->SleepFor(kTickPeriod, stop)) return;
    }
    RequestClose();
}

void CMessageDown::SetText(std::string text) {
    {
        std::lock_guard lock(mutex_);
        text_ = std::move(text);
    }
    Changed();
}

void CMessageDown::RequestClose() {
    std::function<void()> handler;
    {
        std::lock_guard lock(mutex_);
        closeRequested_ = true;
        handler = closeHandler_;
        closeWake_.notify_all();
    }
    Changed();
    if (handler) handler();
}

std::string ProgressMessage(ProgressKind kind, controller::Language language) {
    const bool english = controller::English(language);
    const std::string pad(english ? 19 : 20, ' ');
    switch (kind) {
        case ProgressKind::Saving:
            return pad + (english ? "Saveing" : "保存中");
        case ProgressKind::Loading:
            return pad + (english ? "Loading" : "加载中");
        case ProgressKind::Downloading:
            return pad + (english ? "Downloading" : "下载中");
    }
    return pad;
}

}  // namespace velmor::ui
