#include "drivers/replay/recording_driver.h"

#include <algorithm>

#include "drivers/replay/traffic_bytes.h"
#include "usb/ioctl_codes.h"

namespace velmor::replay {

namespace {

// A handle as the recording keeps it: the number the backend gave.
std::int64_t HandleNumber(usb::DriverHandle handle) { return static_cast<std::int64_t>(handle); }

}  // namespace

RecordingDriver::RecordingDriver(usb::UsbDriver& inner, std::unique_ptr<TrafficWriter> writer,
                                 const RecordingHeader& header)
    : inner_(inner), writer_(std::move(writer)) {
    writer_->Write({{"recording", kRecordingFormat},
                    {"program", header.program},
                    {"version", header.version},
                    {"backend", header.backend},
                    {"ids", header.ids}});
}

RecordingDriver::~RecordingDriver() { writer_->Flush(); }

void RecordingDriver::Write(nlohmann::json line) {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
            .count();
    int thread = 0;
    {
        std::lock_guard lock(mutex_);
        const auto [it, added] =
            threads_.try_emplace(std::this_thread::get_id(), static_cast<int>(threads_.size()));
        thread = it->second;
    }
    line["t"] = static_cast<double>(static_cast<std::int64_t>(ms * 1000)) / 1000;
    line["thread"] = thread;
    writer_->Write(line);
}

nlohmann::json RecordingDriver::Answer(std::uint32_t code, std::span<const std::uint8_t> input,
                                       std::span<const std::uint8_t> output,
                                       std::uint32_t bytes) const {
    nlohmann::json answer = {{"bytes", bytes}};
    if (WritesBackBlock(code)) answer["block"] = BytesJson(input);
    // The control and buffered transfers answer in the block itself.
    const bool answersInBlock =
        code == usb::ioctl::kSendControlTransfer || code == usb::ioctl::kSendBufferedTransfer;
    if (!answersInBlock && !DirectTransferOut(code, input))
        answer["out"] = BytesJson(output.first(std::min<std::size_t>(bytes, output.size())));
    return answer;
}

std::vector<std::string> RecordingDriver::EnumerateInterfaces(const usb::Guid& guid) {
    std::vector<std::string> paths = inner_.EnumerateInterfaces(guid);
    Write({{"op", "enumerate"}, {"guid", BytesJson(guid)}, {"paths", paths}});
    return paths;
}

usb::DriverHandle RecordingDriver::Open(const std::string& path, std::uint32_t& lastError) {
    const usb::DriverHandle handle = inner_.Open(path, lastError);
    Write({{"op", "open"},
           {"path", path},
           {"handle", HandleNumber(handle)},
           {"error", handle == usb::kInvalidHandle ? lastError : 0}});
    return handle;
}

std::uint32_t RecordingDriver::Close(usb::DriverHandle handle) {
    const std::uint32_t result = inner_.Close(handle);
    Write({{"op", "close"}, {"handle", HandleNumber(handle)}, {"result", result}});
    return result;
}

std::uint32_t RecordingDriver::IoControl(usb::DriverHandle handle, std::uint32_t code,
                                         std::span<const std::uint8_t> input,
                                         std::span<std::uint8_t> output,
                                         std::uint32_t& bytesReturned,
                                         usb::Overlapped* overlapped) {
    const std::uint64_t id = nextId_++;
    nlohmann::json line = {{"op", "ioctl"},
                           {"id", id},
                           {"handle", HandleNumber(handle)},
                           {"code", code},
                           {"request", BytesJson(input)},
                           {"overlapped", overlapped != nullptr}};
    if (DirectTransferOut(code, input)) line["data"] = BytesJson(output);
    if (overlapped != nullptr) {
        // Noted before the request goes: it may complete on another thread at once.
        std::lock_guard lock(mutex_);
        pending_[overlapped] = {id, code, input, output};
    }
    const std::uint32_t result =
        inner_.IoControl(handle, code, input, output, bytesReturned, overlapped);
    line["result"] = result;
    if (overlapped == nullptr) {
        if (result == usb::error::kSuccess) line.update(Answer(code, input, output, bytesReturned));
    } else if (result != usb::error::kSuccess && result != usb::error::kIoPending) {
        std::lock_guard lock(mutex_);
        pending_.erase(overlapped);  // it failed at once: nothing will complete
    }
    Write(std::move(line));
    return result;
}

usb::WaitResult RecordingDriver::WaitForCompletion(usb::Overlapped& overlapped,
                                                   std::uint32_t timeoutMs) {
    return inner_.WaitForCompletion(overlapped, timeoutMs);
}

bool RecordingDriver::GetOverlappedResult(usb::DriverHandle handle, usb::Overlapped& overlapped,
                                          std::uint32_t& bytes, std::uint32_t& lastError) {
    const bool ok = inner_.GetOverlappedResult(handle, overlapped, bytes, lastError);
    Pending pending;
    {
        std::lock_guard lock(mutex_);
        const auto it = pending_.find(&overlapped);
        // Still running: the caller asks again later.
        if (it == pending_.end() || (!ok && lastError == usb::error::kIoIncomplete)) return ok;
        pending = it->second;
        pending_.erase(it);
    }
    nlohmann::json line = {
        {"op", "complete"}, {"id", pending.id}, {"ok", ok}, {"error", ok ? 0 : lastError}};
    line.update(Answer(pending.code, pending.input, pending.output, ok ? bytes : 0));
    Write(std::move(line));
    return ok;
}

usb::NotificationHandle RecordingDriver::RegisterInterfaceNotification(usb::WindowId window,
                                                                       const usb::Guid& guid) {
    return inner_.RegisterInterfaceNotification(window, guid);
}

usb::NotificationHandle RecordingDriver::RegisterHandleNotification(usb::WindowId window,
                                                                    usb::DriverHandle handle) {
    return inner_.RegisterHandleNotification(window, handle);
}

bool RecordingDriver::UnregisterNotification(usb::NotificationHandle notification) {
    return inner_.UnregisterNotification(notification);
}

}  // namespace velmor::replay
