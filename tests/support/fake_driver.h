#pragma once
// A scripted driver for the USB layer's tests: serves descriptor tables built
// by the test, records every I/O control (code, input bytes, out-data), and
// answers transfers as scripted: at once, pending and completed from another
// thread, failed, or never until the endpoint is aborted.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/descriptor_builder.h"
#include "usb/usb_driver.h"
#include "usb/xfer_request.h"

namespace velmor::usb::test {

struct FakeDevice {
    std::string path = "fake-0";
    Bytes deviceDescriptor;
    std::map<std::uint8_t, Bytes> configs;  // by configuration index
    std::map<std::uint8_t, Bytes> strings;  // by string index; 0 = language list
    Bytes bos;                              // empty: the device stalls the request
    std::uint8_t altSetting = 0;
    std::uint8_t usbAddress = 7;
    std::string name = "Fake Controller";
    std::string secondName = "Second";
    std::uint32_t speed = 4;
    bool present = true;
};

enum class Answer {
    AtOnce,       // completes inside IoControl
    Later,        // IoControl returns 997; another thread completes it
    Fail,         // IoControl returns `error`
    UntilAborted  // IoControl returns 997; completes only when the endpoint is aborted
};

struct TransferScript {
    Answer answer = Answer::AtOnce;
    Bytes inData;              // bytes the device sends (in transfers)
    std::uint32_t error = 31;  // Fail: the driver's code
    std::uint32_t ntStatus = 0;
    std::uint32_t usbdStatus = 0;
    bool finishOnAbort = false;  // UntilAborted: the abort lets it finish successfully
    std::optional<std::uint32_t> bytesReturned;  // overrides the count the driver reports
};

inline TransferScript AtOnce(Bytes inData = {}) {
    TransferScript s;
    s.inData = std::move(inData);
    return s;
}
inline TransferScript Later(Bytes inData = {}) {
    TransferScript s = AtOnce(std::move(inData));
    s.answer = Answer::Later;
    return s;
}
inline TransferScript Failing(std::uint32_t error) {
    TransferScript s;
    s.answer = Answer::Fail;
    s.error = error;
    return s;
}
inline TransferScript NeverUntilAborted(Bytes inData = {}, bool finishOnAbort = false) {
    TransferScript s = AtOnce(std::move(inData));
    s.answer = Answer::UntilAborted;
    s.finishOnAbort = finishOnAbort;
    return s;
}

struct RecordedCall {
    std::uint32_t code = 0;
    Bytes input;   // the input buffer as issued
    Bytes output;  // direct transfers: the caller's buffer as issued
    bool overlapped = false;
};

// A descriptor answer made wrong on purpose.
struct DescriptorFault {
    std::uint8_t type = 0;
    std::uint8_t index = 0;
    std::optional<std::size_t> maxBytes;  // deliver at most this many bytes
    std::uint32_t driverError = 0;        // the driver fails the request with this code
    std::uint32_t extraBytes = 0;         // report this many bytes more than delivered
};

inline DescriptorFault Truncated(std::uint8_t type, std::uint8_t index, std::size_t maxBytes) {
    return {.type = type, .index = index, .maxBytes = maxBytes};
}
inline DescriptorFault DriverFails(std::uint8_t type, std::uint8_t index, std::uint32_t error) {
    return {.type = type, .index = index, .maxBytes = {}, .driverError = error};
}
inline DescriptorFault Overstated(std::uint8_t type, std::uint8_t index, std::uint32_t extra) {
    return {.type = type, .index = index, .maxBytes = {}, .extraBytes = extra};
}

class FakeDriver : public UsbDriver {
  public:
    FakeDriver() = default;
    ~FakeDriver() override;

    FakeDevice& AddDevice(FakeDevice device);
    FakeDevice& Device(std::size_t index) { return devices_.at(index); }

    // Transfers (everything but descriptor reads and driver queries) take the
    // scripts in order; with none left they complete at once, echoing nothing.
    void Script(TransferScript script);

    std::vector<RecordedCall> Calls() const;
    std::vector<RecordedCall> CallsWith(std::uint32_t code) const;
    void ClearCalls();
    // Time-outs the layer waited with, in order (kInfinite for unlimited waits).
    std::vector<std::uint32_t> Waits() const;

    // Knobs.
    std::vector<DescriptorFault> descriptorFaults;
    std::set<std::uint32_t> shortQueries;  // queries answered one byte short
    std::optional<std::uint32_t> closeError;
    bool unregisterFails = false;
    bool openFails = false;

    // Notification bookkeeping.
    std::vector<WindowId> interfaceRegistrations;
    std::vector<DriverHandle> handleRegistrations;
    std::vector<NotificationHandle> unregistered;
    std::vector<DriverHandle> closed;

    // UsbDriver
    std::vector<std::string> EnumerateInterfaces(const Guid& guid) override;
    DriverHandle Open(const std::string& path, std::uint32_t& lastError) override;
    std::uint32_t Close(DriverHandle handle) override;
    std::uint32_t IoControl(DriverHandle handle, std::uint32_t code,
                            std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                            std::uint32_t& bytesReturned, Overlapped* overlapped) override;
    WaitResult WaitForCompletion(Overlapped& overlapped, std::uint32_t timeoutMs) override;
    NotificationHandle RegisterInterfaceNotification(WindowId window, const Guid& guid) override;
    NotificationHandle RegisterHandleNotification(WindowId window, DriverHandle handle) override;
    bool UnregisterNotification(NotificationHandle notification) override;

  private:
    struct Pending {
        Overlapped* overlapped = nullptr;
        std::uint8_t* block = nullptr;
        std::size_t blockSize = 0;
        std::span<std::uint8_t> output;
        std::uint32_t code = 0;
        TransferScript script;
    };

    FakeDevice* DeviceOf(DriverHandle handle);
    std::uint32_t ServeDescriptor(FakeDevice& device, std::span<std::uint8_t> block,
                                  std::uint32_t& bytesReturned);
    std::uint32_t ServeQuery(FakeDevice& device, std::uint32_t code, std::span<std::uint8_t> output,
                             std::uint32_t& bytesReturned);
    std::uint32_t ServeTransfer(std::uint32_t code, std::span<const std::uint8_t> input,
                                std::span<std::uint8_t> output, std::uint32_t& bytesReturned,
                                Overlapped* overlapped);
    // Writes the scripted answer into the block / buffer; returns the byte count.
    static std::uint32_t Fill(const Pending& request, bool success);
    void Abort();

    std::vector<FakeDevice> devices_;
    std::set<DriverHandle> openHandles_;
    mutable std::mutex mutex_;
    std::vector<RecordedCall> calls_;
    std::vector<std::uint32_t> waits_;
    std::deque<TransferScript> scripts_;
    std::vector<Pending> neverDone_;
    std::vector<std::thread> workers_;
    NotificationHandle nextNotification_ = 100;
};

// The controller: USB 3.0 (BOS, companions) or 2.1, strings in US English.
inline FakeDevice ControllerDevice(bool superSpeed = true) {
    FakeDevice device;
    device.deviceDescriptor = DeviceDescriptor(superSpeed ? 0x0300 : 0x0210, superSpeed ? 9 : 64);
    device.configs[0] = ControllerConfig(superSpeed);
    device.strings[0] = LanguageList({0x0409});
    device.strings[1] = StringDescriptor("Velmor");
    device.strings[2] = StringDescriptor("Controller");
    device.strings[3] = StringDescriptor("0001");
    if (superSpeed) device.bos = BosBuilder().Usb20Extension(0x1E).SuperSpeed(0x0E, 0x01F4).Build();
    device.speed = superSpeed ? 4 : 2;
    return device;
}

}  // namespace velmor::usb::test
