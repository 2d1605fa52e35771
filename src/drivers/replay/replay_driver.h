#pragma once
// A driver that answers from a recording, without the hardware: it enumerates the
// recorded devices and answers each request as the recording does. The status
// thread and the user's actions interleave differently on every run, so a request
// is matched to the first unused recorded request of the same device, I/O control
// code and request bytes, not to the recording's overall order; within each such
// stream the recorded order holds. A request the recording does not hold fails
// (error 31) and is reported, with the first byte that differs from the nearest
// recorded request.
//
// Requests that timed out in the recording time out at once here and stay pending
// until their abort; completions come at once unless `timing` asks for the
// recorded delays.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "drivers/replay/traffic_recording.h"
#include "usb/usb_driver.h"

namespace velmor::replay {

class ReplayDriver : public usb::UsbDriver {
  public:
    ReplayDriver(TrafficRecording recording, bool timing);
    ~ReplayDriver() override;  // completes what is still pending

    std::vector<std::string> EnumerateInterfaces(const usb::Guid& guid) override;
    usb::DriverHandle Open(const std::string& path, std::uint32_t& lastError) override;
    std::uint32_t Close(usb::DriverHandle handle) override;
    std::uint32_t IoControl(usb::DriverHandle handle, std::uint32_t code,
                            std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                            std::uint32_t& bytesReturned, usb::Overlapped* overlapped) override;
    usb::WaitResult WaitForCompletion(usb::Overlapped& overlapped,
                                      std::uint32_t timeoutMs) override;

    const RecordingHeader& Header() const { return recording_.header; }
    // The first request the recording did not hold, as a message; empty while none.
    std::string FirstMismatch() const;
    int Mismatches() const;

  private:
    struct Waiting {
        usb::Overlapped* overlapped = nullptr;
        usb::DriverHandle handle = usb::kInvalidHandle;
        std::uint8_t endpoint = 0;
        std::size_t request = 0;  // index in the recording
        std::span<const std::uint8_t> input;
        std::span<std::uint8_t> output;
        bool untilAbort = false;  // it timed out in the recording
        std::chrono::steady_clock::time_point due;
    };
    using StreamKey = std::tuple<std::string, std::uint32_t, std::vector<std::uint8_t>>;

    void Apply(const RecordedRequest& recorded, std::span<const std::uint8_t> input,
               std::span<std::uint8_t> output) const;
    void Finish(const Waiting& waiting);  // lock held
    void ReleaseAborted(usb::DriverHandle handle, std::optional<std::uint8_t> endpoint);
    std::string Mismatch(std::uint64_t number, const std::string& path, std::uint32_t code,
                         std::span<const std::uint8_t> input, const std::vector<std::uint8_t>& key,
                         std::size_t data) const;
    void TimerLoop(std::stop_token stop);

    const TrafficRecording recording_;
    const bool timing_;
    mutable std::mutex mutex_;
    std::condition_variable_any wake_;
    std::map<StreamKey, std::deque<std::size_t>> streams_;
    std::vector<bool> used_;
    std::size_t nextEnumeration_ = 0;
    std::map<std::string, std::size_t> nextOpen_;  // per path: how many recorded opens taken
    std::map<usb::DriverHandle, std::string> handles_;
    std::map<std::string, std::vector<std::uint8_t>> lastOut_;  // per device path
    usb::DriverHandle nextHandle_ = 1000;
    std::vector<Waiting> waiting_;
    std::uint64_t requests_ = 0;
    std::vector<std::string> mismatches_;
    std::jthread timer_;
};

}  // namespace velmor::replay
