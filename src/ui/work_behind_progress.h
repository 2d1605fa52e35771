#pragma once
// Work that runs on a worker thread while the modal progress window is shown.
// The window closes when its watched flag is set, on its tick limit, or early by
// the user; whenever it closes while the worker still runs it opens again, so the
// user-interface thread never waits for a worker with nothing on the screen, and
// nothing is reported before the work has ended. The work's result comes back on
// the calling (user-interface) thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "ui/message_down.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::ui {

class DialogService;

// What the progress window shows and when it closes.
struct ProgressWindow {
    std::string message;
    // The completion flag of the controller object the window watches
    // (CMessageDown::kWatch...), unless it watches the worker itself.
    std::uint8_t flagCode = CMessageDown::kWatchNone;
    int tickLimit = 0;
    // Close as soon as the worker ended (work no coded flag names: the transfers).
    bool closeWhenWorkerEnds = false;
};

// Runs `work` behind the window; returns once the worker has ended.
void RunWorkBehindProgress(DialogService& dialogs, controller::CMainOperation& operation,
                           const ProgressWindow& window, const std::function<void()>& work);

// The same for work with a result, which is returned.
template <typename Work>
std::invoke_result_t<Work&> RunBehindProgress(DialogService& dialogs,
                                              controller::CMainOperation& operation,
                                              const ProgressWindow& window, Work work) {
    using Result = std::invoke_result_t<Work&>;
    if constexpr (std::is_void_v<Result>) {
        RunWorkBehindProgress(dialogs, operation, window, work);
    } else {
        std::optional<Result> result;
        RunWorkBehindProgress(dialogs, operation, window, [&] { result.emplace(work()); });
        return std::move(*result);
    }
}

}  // namespace velmor::ui
