#include "drivers/replay/replay_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "usb/ioctl_codes.h"
#include "usb/xfer_request.h"

namespace velmor::replay {

namespace {

std::uint8_t EndpointOf(std::uint32_t code, std::span<const std::uint8_t> input) {
    usb::XferRequest header;
    if (WritesBackBlock(code) && usb::XferRequest::DecodeFrom(input, header))
        return header.endpointAddress;
    return 0;
}

void CopyInto(const std::vector<std::uint8_t>& recorded, std::span<std::uint8_t> target) {
    // An abort carries no output buffer; memcpy must not see its null pointer.
    const std::size_t count = std::min(recorded.size(), target.size());
    if (count > 0) std::memcpy(target.data(), recorded.data(), count);
}

std::string Hex2(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

}  // namespace

ReplayDriver::ReplayDriver(TrafficRecording recording, bool timing)
    : recording_(std::move(recording)), timing_(timing), used_(recording_.requests.size()) {
    for (std::size_t i = 0; i < recording_.requests.size(); ++i) {
        const RecordedRequest& r = recording_.requests[i];
        streams_[{r.path, r.code, r.key}].push_back(i);
    }
    if (timing_) timer_ = std::jthread([this](std::stop_token stop) { TimerLoop(stop); });
}

ReplayDriver::~ReplayDriver() {
    if (timer_.joinable()) {
        timer_.request_stop();
        wake_.notify_all();
        timer_.join();
    }
    std::lock_guard lock(mutex_);
    for (const Waiting& waiting : waiting_)
        waiting.overlapped->Complete(0, usb::error::kOperationAborted);
    waiting_.clear();
}

std::string ReplayDriver::FirstMismatch() const {
    std::lock_guard lock(mutex_);
    return mismatches_.empty() ? std::string() : mismatches_.front();
}

int ReplayDriver::Mismatches() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(mismatches_.size());
}

std::vector<std::string> ReplayDriver::EnumerateInterfaces(const usb::Guid& /*guid*/) {
    std::lock_guard lock(mutex_);
    if (recording_.enumerations.empty()) return {};
    // The recorded enumerations in turn; after the last, the devices stay as they were.
    const std::size_t at = std::min(nextEnumeration_, recording_.enumerations.size() - 1);
    if (nextEnumeration_ < recording_.enumerations.size()) ++nextEnumeration_;
    return recording_.enumerations[at];
}

usb::DriverHandle ReplayDriver::Open(const std::string& path, std::uint32_t& lastError) {
    std::lock_guard lock(mutex_);
    // The recorded opens of this path in turn; once they are used up, the device
    // opens as long as it ever opened in the recording.
    std::size_t& taken = nextOpen_[path];
    std::size_t seen = 0;
    std::optional<std::uint32_t> error;
    bool everOpened = false;
    for (const RecordedOpen& open : recording_.opens) {
        if (open.path != path) continue;
        everOpened = everOpened || open.error == 0;
        if (seen++ == taken) error = open.error;
    }
    if (error) {
        ++taken;
    } else {
        error = everOpened ? usb::error::kSuccess : usb::error::kFileNotFound;
    }
    if (*error != usb::error::kSuccess) {
        lastError = *error;
        return usb::kInvalidHandle;
    }
    const usb::DriverHandle handle = nextHandle_++;
    handles_[handle] = path;
    return handle;
}

std::uint32_t ReplayDriver::Close(usb::DriverHandle handle) {
    ReleaseAborted(handle, std::nullopt);
    std::lock_guard lock(mutex_);
    return handles_.erase(handle) != 0 ? usb::error::kSuccess : usb::error::kInvalidHandle;
}

void ReplayDriver::Apply(const RecordedRequest& recorded, std::span<const std::uint8_t> input,
                         std::span<std::uint8_t> output) const {
    const RecordedAnswer& answer = *recorded.answer;
    const bool blockInOutput = recorded.code == usb::ioctl::kSendControlTransfer ||
                               recorded.code == usb::ioctl::kSendBufferedTransfer;
    if (answer.block) {
        if (blockInOutput) {
            CopyInto(*answer.block, output);
        } else {
            // A direct transfer's block is the requester's own writable memory.
            CopyInto(*answer.block, {const_cast<std::uint8_t*>(input.data()), input.size()});
        }
    }
    if (answer.out) CopyInto(*answer.out, output);
}

void ReplayDriver::Finish(const Waiting& waiting) {
    const RecordedRequest& recorded = recording_.requests[waiting.request];
    Apply(recorded, waiting.input, waiting.output);
    const RecordedAnswer& answer = *recorded.answer;
    waiting.overlapped->Complete(answer.ok ? answer.bytes : 0,
                                 answer.ok ? usb::error::kSuccess : answer.error);
}

void ReplayDriver::ReleaseAborted(usb::DriverHandle handle, std::optional<std::uint8_t> endpoint) {
    std::lock_guard lock(mutex_);
    std::erase_if(waiting_, [&](const Waiting& waiting) {
        if (waiting.handle != handle || (endpoint && waiting.endpoint != *endpoint)) return false;
        if (waiting.untilAbort) {
            Finish(waiting);
        } else {
            waiting.overlapped->Complete(0, usb::error::kOperationAborted);
        }
        return true;
    });
}

std::uint32_t ReplayDriver::IoControl(usb::DriverHandle handle, std::uint32_t code,
                                      std::span<const std::uint8_t> input,
                                      std::span<std::uint8_t> output, std::uint32_t& bytesReturned,
                                      usb::Overlapped* overlapped) {
    bytesReturned = 0;
    std::unique_lock lock(mutex_);
    const std::uint64_t number = ++requests_;
    const auto device = handles_.find(handle);
    if (device == handles_.end()) return usb::error::kInvalidHandle;
    std::vector<std::uint8_t>& lastOut = lastOut_[device->second];
    const std::vector<std::uint8_t> key = RequestKey(code, input, output, lastOut);
    if (TransferOut(code, input)) lastOut = key;
    auto stream = streams_.find({device->second, code, key});
    if (stream == streams_.end() || stream->second.empty()) {
        mismatches_.push_back(Mismatch(number, device->second, code, input, key, output.size()));
        lock.unlock();
        // A pending request of the endpoint must not wait for an abort that
        // will never be answered from the recording.
        if (code == usb::ioctl::kAbortPipe && !input.empty()) ReleaseAborted(handle, input[0]);
        return usb::error::kGenFailure;
    }
    const std::size_t index = stream->second.front();
    stream->second.pop_front();
    used_[index] = true;
    const RecordedRequest& recorded = recording_.requests[index];
    const std::uint32_t result = recorded.result;
    if (code == usb::ioctl::kAbortPipe && !input.empty()) {
        lock.unlock();
        ReleaseAborted(handle, input[0]);
        lock.lock();
    }
    if (result != usb::error::kSuccess && result != usb::error::kIoPending) return result;
    if (overlapped == nullptr) {
        if (recorded.answer) {
            Apply(recorded, input, output);
            bytesReturned = recorded.answer->bytes;
        }
        return result;
    }

    Waiting waiting;
    waiting.overlapped = overlapped;
    waiting.handle = handle;
    waiting.endpoint = EndpointOf(code, input);
    waiting.request = index;
    waiting.input = input;
    waiting.output = output;
    // A request the recording never saw end, or that ended by its abort, waits
    // for the abort.
    waiting.untilAbort =
        !recorded.answer ||
        (!recorded.answer->ok && recorded.answer->error == usb::error::kOperationAborted);
    if (waiting.untilAbort || (timing_ && result == usb::error::kIoPending)) {
        const double delay = std::max(0.0, recorded.completedMs - recorded.issuedMs);
        waiting.due = std::chrono::steady_clock::now() +
                      std::chrono::microseconds(static_cast<std::int64_t>(delay * 1000));
        if (!recorded.answer) waiting.untilAbort = true;
        waiting_.push_back(waiting);
        wake_.notify_all();
        return usb::error::kIoPending;
    }
    Finish(waiting);
    if (result == usb::error::kSuccess) bytesReturned = recorded.answer->bytes;
    return result;
}

usb::WaitResult ReplayDriver::WaitForCompletion(usb::Overlapped& overlapped,
                                                std::uint32_t timeoutMs) {
    {
        std::lock_guard lock(mutex_);
        const bool untilAbort = std::any_of(
            waiting_.begin(), waiting_.end(),
            [&](const Waiting& w) { return w.overlapped == &overlapped && w.untilAbort; });
        // It timed out in the recording: it times out here, at once.
        if (untilAbort && timeoutMs != usb::kInfinite) return usb::WaitResult::TimedOut;
    }
    return overlapped.Wait(timeoutMs);
}

void ReplayDriver::TimerLoop(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        const auto now = std::chrono::steady_clock::now();
        std::erase_if(waiting_, [&](const Waiting& waiting) {
            if (waiting.untilAbort || waiting.due > now) return false;
            Finish(waiting);
            return true;
        });
        auto next = now + std::chrono::seconds(1);
        for (const Waiting& waiting : waiting_)
            if (!waiting.untilAbort) next = std::min(next, waiting.due);
        wake_.wait_until(lock, stop, next, [] { return false; });
    }
}

std::string ReplayDriver::Mismatch(std::uint64_t number, const std::string& path,
                                   std::uint32_t code, std::span<const std::uint8_t> input,
                                   const std::vector<std::uint8_t>& key, std::size_t data) const {
    std::string text = "replay: request " + std::to_string(number) + " (" +
                       DescribeRequest(code, input, data) + ") is not in the recording";
    // The nearest: the unused request of this device and code sharing the longest start.
    const std::vector<std::uint8_t>* nearest = nullptr;
    std::size_t shared = 0;
    for (std::size_t i = 0; i < recording_.requests.size(); ++i) {
        const RecordedRequest& r = recording_.requests[i];
        if (used_[i] || r.path != path || r.code != code) continue;
        const auto differ = std::mismatch(r.key.begin(), r.key.end(), key.begin(), key.end());
        const auto common = static_cast<std::size_t>(differ.first - r.key.begin());
        if (nearest == nullptr || common > shared) {
            nearest = &r.key;
            shared = common;
        }
    }
    if (nearest == nullptr) return text + "; it holds no more such requests to this device";
    if (shared < nearest->size() && shared < key.size())
        return text + "; the nearest differs at byte " + std::to_string(shared) + ": " +
               Hex2((*nearest)[shared]) + " recorded, " + Hex2(key[shared]) + " now";
    return text + "; the nearest is " + std::to_string(nearest->size()) + " bytes long, this one " +
           std::to_string(key.size());
}

}  // namespace velmor::replay
