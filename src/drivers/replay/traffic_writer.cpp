#include "drivers/replay/traffic_writer.h"

#include <chrono>
#include <filesystem>
#include <system_error>

#include "files/utf8_path.h"

namespace velmor::replay {

namespace {

// At most this much is gathered before it is written, whatever the clock says.
constexpr std::size_t kMaxPendingBytes = 1 << 20;
constexpr auto kFlushPeriod = std::chrono::milliseconds(500);

std::filesystem::path PathOf(const std::string& utf8) { return files::PathFromUtf8(utf8); }

}  // namespace

std::unique_ptr<TrafficWriter> TrafficWriter::Create(const std::string& path, bool overwrite,
                                                     Warning warning, std::string& error) {
    std::error_code ec;
    if (!overwrite && std::filesystem::exists(PathOf(path), ec)) {
        error = path + " exists already; give --force to record over it";
        return nullptr;
    }
    std::ofstream file(PathOf(path), std::ios::binary | std::ios::trunc);
    if (!file) {
        error = "cannot create the recording " + path;
        return nullptr;
    }
    return std::unique_ptr<TrafficWriter>(
        new TrafficWriter(std::move(file), path, std::move(warning)));
}

TrafficWriter::TrafficWriter(std::ofstream file, std::string path, Warning warning)
    : path_(std::move(path)), warning_(std::move(warning)), file_(std::move(file)) {
    flusher_ = std::jthread([this](std::stop_token stop) { FlushLoop(stop); });
}

TrafficWriter::~TrafficWriter() {
    flusher_.request_stop();
    wake_.notify_all();
    if (flusher_.joinable()) flusher_.join();
    Flush();
}

void TrafficWriter::Write(const nlohmann::json& line) {
    std::unique_lock lock(mutex_);
    if (failed_) return;
    pending_ += line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    pending_ += '\n';
    if (pending_.size() >= kMaxPendingBytes) WriteOut(lock);
}

void TrafficWriter::Flush() {
    std::unique_lock lock(mutex_);
    WriteOut(lock);
}

bool TrafficWriter::Failed() const {
    std::lock_guard lock(mutex_);
    return failed_;
}

void TrafficWriter::FlushLoop(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        wake_.wait_for(lock, stop, kFlushPeriod, [] { return false; });
        WriteOut(lock);
    }
}

void TrafficWriter::WriteOut(std::unique_lock<std::mutex>& lock) {
    if (failed_ || pending_.empty()) return;
    file_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
    file_.flush();
    pending_.clear();
    if (file_) return;
    failed_ = true;
    Warning warning = warning_;
    lock.unlock();
    if (warning) warning("writing the recording " + path_ + " failed; recording stopped");
    lock.lock();
}

}  // namespace velmor::replay
