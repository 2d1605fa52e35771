#include "ui/page_worker.h"

#include <utility>

namespace velmor::ui {

PageWorker::~PageWorker() {
    if (thread_.joinable()) thread_.join();
}

bool PageWorker::Start(std::function<void()> job, std::function<void()> ended) {
    if (running_.exchange(true)) return false;
    if (thread_.joinable()) thread_.join();  // the previous, finished job
    thread_ = std::thread([this, job = std::move(job), ended = std::move(ended)] {
        job();
        running_ = false;
        if (ended) ended();
    });
    return true;
}

}  // namespace velmor::ui
