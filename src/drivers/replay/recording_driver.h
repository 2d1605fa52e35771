#pragma once
// A driver that records what goes through it: it wraps whichever backend is in
// use and writes every port operation, with its answer, to a recording
// (traffic_format.h). Everything is passed on unchanged; a recording that fails
// to write stops, the traffic goes on.

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "drivers/replay/traffic_format.h"
#include "drivers/replay/traffic_writer.h"
#include "usb/usb_driver.h"

namespace velmor::replay {

class RecordingDriver : public usb::UsbDriver {
  public:
    // `inner` must outlive this driver.
    RecordingDriver(usb::UsbDriver& inner, std::unique_ptr<TrafficWriter> writer,
                    const RecordingHeader& header);
    ~RecordingDriver() override;

    std::vector<std::string> EnumerateInterfaces(const usb::Guid& guid) override;
    usb::DriverHandle Open(const std::string& path, std::uint32_t& lastError) override;
    std::uint32_t Close(usb::DriverHandle handle) override;
    std::uint32_t IoControl(usb::DriverHandle handle, std::uint32_t code,
                            std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                            std::uint32_t& bytesReturned, usb::Overlapped* overlapped) override;
    usb::WaitResult WaitForCompletion(usb::Overlapped& overlapped,
                                      std::uint32_t timeoutMs) override;
    bool GetOverlappedResult(usb::DriverHandle handle, usb::Overlapped& overlapped,
                             std::uint32_t& bytes, std::uint32_t& lastError) override;
    usb::NotificationHandle RegisterInterfaceNotification(usb::WindowId window,
                                                          const usb::Guid& guid) override;
    usb::NotificationHandle RegisterHandleNotification(usb::WindowId window,
                                                       usb::DriverHandle handle) override;
    bool UnregisterNotification(usb::NotificationHandle notification) override;

    // Writes what was gathered (at the end of a command).
    void Flush() { writer_->Flush(); }
    TrafficWriter& Writer() { return *writer_; }

  private:
    // An overlapped request between its issue and the caller taking its result.
    struct Pending {
        std::uint64_t id = 0;
        std::uint32_t code = 0;
        std::span<const std::uint8_t> input;
        std::span<std::uint8_t> output;
    };

    void Write(nlohmann::json line);
    nlohmann::json Answer(std::uint32_t code, std::span<const std::uint8_t> input,
                          std::span<const std::uint8_t> output, std::uint32_t bytes) const;

    usb::UsbDriver& inner_;
    std::unique_ptr<TrafficWriter> writer_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::atomic<std::uint64_t> nextId_{1};
    std::mutex mutex_;  // guards pending_ and threads_
    std::map<const usb::Overlapped*, Pending> pending_;
    std::map<std::thread::id, int> threads_;
};

}  // namespace velmor::replay
