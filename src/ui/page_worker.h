#pragma once
// Work a page runs in the background while the page stays in use, without the
// progress window: the register page's flash transfers, whose progress the page
// shows itself. One job at a time; the job tells the page when it ends (the
// page's change announcement), and the page folds what the job left into its
// fields on the user-interface thread (PageModel::TakeThreadUpdates).

#include <atomic>
#include <functional>
#include <thread>

namespace velmor::ui {

class PageWorker {
  public:
    PageWorker() = default;
    ~PageWorker();  // waits for a running job
    PageWorker(const PageWorker&) = delete;
    PageWorker& operator=(const PageWorker&) = delete;

    // Runs `job` on a worker thread, then `ended` there; false, and nothing run,
    // while a job runs.
    bool Start(std::function<void()> job, std::function<void()> ended);
    bool Running() const { return running_.load(); }

  private:
    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace velmor::ui
