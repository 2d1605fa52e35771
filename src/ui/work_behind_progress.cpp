#include "ui/work_behind_progress.h"

#include <thread>

#include "ui/dialog_service.h"

namespace velmor::ui {

void RunWorkBehindProgress(DialogService& dialogs, controller::CMainOperation& operation,
                           const ProgressWindow& window, const std::function<void()>& work) {
    std::atomic<std::uint32_t> ended{0};
    std::jthread worker([&] {
        work();
        ended = 1;
    });
    do {
        CMessageDown shown(operation);
        shown.Setup(window.message, window.flagCode, window.tickLimit);
        if (window.closeWhenWorkerEnds) shown.WatchFlag(&ended);
        dialogs.RunProgress(shown);
    } while (ended.load() == 0);
    worker.join();
}

}  // namespace velmor::ui
