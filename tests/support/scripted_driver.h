#pragma once
// A driver for tests that need exact control of what the device answers: it
// passes everything to an inner driver (the simulator) except the transfers a
// test has scripted, and records every transfer issued through an endpoint.

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "usb/ioctl_codes.h"
#include "usb/usb_driver.h"
#include "usb/xfer_request.h"

namespace velmor::testing {

class ScriptedDriver : public usb::UsbDriver {
  public:
    // Endpoint address of control transfers in the scripts and the record.
    static constexpr std::uint8_t kControl = 0x00;

    struct Transfer {
        std::uint8_t endpoint = 0;  // 0 for control transfers
        usb::XferRequest header;    // the request block's header as sent
        bool in = false;
        std::uint32_t requested = 0;     // bytes asked to move
        std::vector<std::uint8_t> data;  // the bytes sent (out transfers)
        bool scripted = false;
    };

    explicit ScriptedDriver(usb::UsbDriver& inner) : inner_(inner) {}

    // The next transfer on `endpoint` is refused by the driver (nothing moves).
    void Fail(std::uint8_t endpoint, int times = 1) {
        for (int i = 0; i < times; ++i) Push(endpoint, {Kind::Refuse, {}, 0, 0});
    }
    // The next in transfer on `endpoint` delivers `data` (as much as fits) and
    // reports `reported` bytes moved (default: data.size()).
    void Answer(std::uint8_t endpoint, std::vector<std::uint8_t> data,
                std::optional<std::uint32_t> reported = {}) {
        const auto bytes = reported.value_or(static_cast<std::uint32_t>(data.size()));
        Push(endpoint, {Kind::Complete, std::move(data), bytes, 0});
    }
    // The next out transfer on `endpoint` reports `bytes` moved without reaching
    // the device; a non-zero `usbdStatus` makes it a failed transfer.
    void Moved(std::uint8_t endpoint, std::uint32_t bytes, std::uint32_t usbdStatus = 0,
               int times = 1) {
        for (int i = 0; i < times; ++i) Push(endpoint, {Kind::Complete, {}, bytes, usbdStatus});
    }

    std::vector<Transfer> Transfers() const {
        std::lock_guard lock(mutex_);
        return transfers_;
    }
    std::vector<Transfer> Transfers(std::uint8_t endpoint) const {
        std::vector<Transfer> selected;
        for (const Transfer& t : Transfers())
            if (t.endpoint == endpoint) selected.push_back(t);
        return selected;
    }
    void ClearTransfers() {
        std::lock_guard lock(mutex_);
        transfers_.clear();
    }

    // A gate for transfers: while held, every endpoint transfer waits in the driver
    // until Release(), so a test can look at an operation that is surely still
    // running. WaitUntilHeld() returns once a transfer waits at the gate.
    void Hold() {
        std::lock_guard lock(mutex_);
        held_ = true;
    }
    void Release() {
        std::lock_guard lock(mutex_);
        held_ = false;
        gate_.notify_all();
    }
    void WaitUntilHeld() {
        std::unique_lock lock(mutex_);
        gate_.wait(lock, [this] { return waiting_ > 0; });
    }

    std::vector<std::string> EnumerateInterfaces(const usb::Guid& guid) override {
        return inner_.EnumerateInterfaces(guid);
    }
    usb::DriverHandle Open(const std::string& path, std::uint32_t& lastError) override {
        return inner_.Open(path, lastError);
    }
    std::uint32_t Close(usb::DriverHandle handle) override { return inner_.Close(handle); }
    usb::WaitResult WaitForCompletion(usb::Overlapped& overlapped,
                                      std::uint32_t timeoutMs) override {
        return inner_.WaitForCompletion(overlapped, timeoutMs);
    }
    bool GetOverlappedResult(usb::DriverHandle handle, usb::Overlapped& overlapped,
                             std::uint32_t& bytes, std::uint32_t& lastError) override {
        return inner_.GetOverlappedResult(handle, overlapped, bytes, lastError);
    }
    usb::NotificationHandle RegisterInterfaceNotification(usb::WindowId window,
                                                          const usb::Guid& guid) override {
        return inner_.RegisterInterfaceNotification(window, guid);
    }
    usb::NotificationHandle RegisterHandleNotification(usb::WindowId window,
                                                       usb::DriverHandle handle) override {
        return inner_.RegisterHandleNotification(window, handle);
    }
    bool UnregisterNotification(usb::NotificationHandle notification) override {
        return inner_.UnregisterNotification(notification);
    }

    std::uint32_t IoControl(usb::DriverHandle handle, std::uint32_t code,
                            std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                            std::uint32_t& bytesReturned, usb::Overlapped* overlapped) override {
        const bool transfer = code == usb::ioctl::kDirectTransfer ||
                              code == usb::ioctl::kSendBufferedTransfer ||
                              code == usb::ioctl::kSendControlTransfer;
        // Only endpoint transfers are overlapped; descriptor requests pass untouched.
        if (!transfer || overlapped == nullptr || input.size() < usb::kXferHeaderSize)
            return inner_.IoControl(handle, code, input, output, bytesReturned, overlapped);

        Transfer record;
        usb::XferRequest::DecodeFrom(input, record.header);
        const bool direct = code == usb::ioctl::kDirectTransfer;
        record.endpoint = record.header.endpointAddress;
        record.in = code == usb::ioctl::kSendControlTransfer
                        ? (record.header.bmRequestType & 0x80) != 0
                        : (record.endpoint & 0x80) != 0;
        const std::uint32_t offset = direct ? 0 : record.header.bufferOffset;
        record.requested =
            direct ? static_cast<std::uint32_t>(output.size()) : record.header.bufferLength;
        if (!record.in) {
            const std::uint8_t* data = direct ? output.data() : input.data() + offset;
            record.data.assign(data, data + record.requested);
        }

        PassGate();
        std::optional<Step> step = Next(record.endpoint);
        record.scripted = step.has_value();
        {
            std::lock_guard lock(mutex_);
            transfers_.push_back(record);
        }
        if (!step) return inner_.IoControl(handle, code, input, output, bytesReturned, overlapped);
        if (step->kind == Kind::Refuse) return usb::error::kGenFailure;

        if (record.in && !step->data.empty() && output.size() > offset) {
            const std::size_t room = output.size() - offset;
            std::memcpy(output.data() + offset, step->data.data(),
                        std::min(room, step->data.size()));
        }
        if (step->usbdStatus != 0) {
            // The block is the driver's to write back into, as a real driver does.
            auto* block = const_cast<std::uint8_t*>(input.data());
            usb::PutLe32(block + usb::kXferUsbdStatusOffset, step->usbdStatus);
        }
        bytesReturned = offset + step->bytes;
        overlapped->Complete(bytesReturned, 0);
        return usb::error::kSuccess;
    }

  private:
    enum class Kind { Refuse, Complete };
    struct Step {
        Kind kind;
        std::vector<std::uint8_t> data;
        std::uint32_t bytes;
        std::uint32_t usbdStatus;
    };

    void PassGate() {
        std::unique_lock lock(mutex_);
        ++waiting_;
        gate_.notify_all();
        gate_.wait(lock, [this] { return !held_; });
        --waiting_;
    }

    void Push(std::uint8_t endpoint, Step step) {
        std::lock_guard lock(mutex_);
        scripts_[endpoint].push_back(std::move(step));
    }
    std::optional<Step> Next(std::uint8_t endpoint) {
        std::lock_guard lock(mutex_);
        auto it = scripts_.find(endpoint);
        if (it == scripts_.end() || it->second.empty()) return std::nullopt;
        Step step = std::move(it->second.front());
        it->second.pop_front();
        return step;
    }

    usb::UsbDriver& inner_;
    mutable std::mutex mutex_;
    std::condition_variable gate_;
    bool held_ = false;
    int waiting_ = 0;
    std::map<std::uint8_t, std::deque<Step>> scripts_;
    std::vector<Transfer> transfers_;
};

}  // namespace velmor::testing
