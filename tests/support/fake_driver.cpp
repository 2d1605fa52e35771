#include "support/fake_driver.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "usb/ioctl_codes.h"
#include "usb/usb_link.h"

namespace velmor::usb::test {

namespace {
constexpr DriverHandle kFirstHandle = 100;
constexpr std::uint32_t kStall = 0xC0000004;
}  // namespace

FakeDriver::~FakeDriver() {
    for (auto& worker : workers_) worker.join();
}

FakeDevice& FakeDriver::AddDevice(FakeDevice device) {
    devices_.push_back(std::move(device));
    return devices_.back();
}

void FakeDriver::Script(TransferScript script) {
    std::lock_guard lock(mutex_);
    scripts_.push_back(std::move(script));
}

std::vector<RecordedCall> FakeDriver::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<RecordedCall> FakeDriver::CallsWith(std::uint32_t code) const {
    std::vector<RecordedCall> out;
    for (const auto& call : Calls()) {
        if (call.code == code) out.push_back(call);
    }
    return out;
}

void FakeDriver::ClearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
    waits_.clear();
}

std::vector<std::uint32_t> FakeDriver::Waits() const {
    std::lock_guard lock(mutex_);
    return waits_;
}

std::vector<std::string> FakeDriver::EnumerateInterfaces(const Guid& guid) {
    std::vector<std::string> paths;
    if (guid != kVendorInterfaceClass) return paths;
    for (const auto& device : devices_) {
        if (device.present) paths.push_back(device.path);
    }
    return paths;
}

DriverHandle FakeDriver::Open(const std::string& path, std::uint32_t& lastError) {
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        if (devices_[i].path == path && devices_[i].present && !openFails) {
            lastError = 0;
            const DriverHandle handle = kFirstHandle + static_cast<DriverHandle>(i);
            openHandles_.insert(handle);
            return handle;
        }
    }
    lastError = error::kFileNotFound;
    return kInvalidHandle;
}

std::uint32_t FakeDriver::Close(DriverHandle handle) {
    closed.push_back(handle);
    openHandles_.erase(handle);
    return closeError.value_or(error::kSuccess);
}

FakeDevice* FakeDriver::DeviceOf(DriverHandle handle) {
    const auto index = handle - kFirstHandle;
    if (index < 0 || static_cast<std::size_t>(index) >= devices_.size()) return nullptr;
    if (!openHandles_.count(handle)) return nullptr;
    return &devices_[static_cast<std::size_t>(index)];
}

std::uint32_t FakeDriver::IoControl(DriverHandle handle, std::uint32_t code,
                                    std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output, std::uint32_t& bytesReturned,
                                    Overlapped* overlapped) {
    {
        std::lock_guard lock(mutex_);
        RecordedCall call{code, Bytes(input.begin(), input.end()), {}, overlapped != nullptr};
        if (code == ioctl::kDirectTransfer) call.output.assign(output.begin(), output.end());
        calls_.push_back(std::move(call));
    }
    bytesReturned = 0;
    FakeDevice* device = DeviceOf(handle);
    if (device == nullptr) return error::kInvalidHandle;

    if (code == ioctl::kAbortPipe) {
        Abort();
        return error::kSuccess;
    }
    if (code == ioctl::kSendControlTransfer && output.size() >= kXferHeaderSize &&
        output[0] == 0x80 && output[1] == 6) {
        const std::uint32_t result = ServeDescriptor(*device, output, bytesReturned);
        if (overlapped != nullptr && result == error::kSuccess) {
            overlapped->Complete(bytesReturned, 0);
        }
        return result;
    }
    if (code == ioctl::kSendControlTransfer || code == ioctl::kSendBufferedTransfer ||
        code == ioctl::kDirectTransfer) {
        return ServeTransfer(code, input, output, bytesReturned, overlapped);
    }
    return ServeQuery(*device, code, output, bytesReturned);
}

std::uint32_t FakeDriver::ServeDescriptor(FakeDevice& device, std::span<std::uint8_t> block,
                                          std::uint32_t& bytesReturned) {
    XferRequest header;
    XferRequest::DecodeFrom(block, header);
    const auto type = static_cast<std::uint8_t>(header.wValue >> 8);
    const auto index = static_cast<std::uint8_t>(header.wValue);

    const Bytes* table = nullptr;
    if (type == 1) table = &device.deviceDescriptor;
    if (type == 2 && device.configs.count(index)) table = &device.configs[index];
    if (type == 3 && device.strings.count(index)) table = &device.strings[index];
    if (type == 0x0F && !device.bos.empty()) table = &device.bos;

    std::size_t room = std::min<std::size_t>(header.wLength, block.size() - kXferHeaderSize);
    std::uint32_t extra = 0;
    for (const auto& fault : descriptorFaults) {
        if (fault.type != type || fault.index != index) continue;
        if (fault.driverError != 0) return fault.driverError;
        if (fault.maxBytes) room = std::min(room, *fault.maxBytes);
        extra += fault.extraBytes;
    }
    if (table == nullptr) {
        PutLe32(block.data() + kXferUsbdStatusOffset, kStall);
        bytesReturned = static_cast<std::uint32_t>(kXferHeaderSize);
        return error::kSuccess;
    }
    const std::size_t n = std::min(room, table->size());
    std::copy_n(table->begin(), n, block.begin() + kXferHeaderSize);
    bytesReturned = static_cast<std::uint32_t>(kXferHeaderSize + n) + extra;
    return error::kSuccess;
}

std::uint32_t FakeDriver::ServeQuery(FakeDevice& device, std::uint32_t code,
                                     std::span<std::uint8_t> output, std::uint32_t& bytesReturned) {
    Bytes answer;
    const auto word = [](std::uint32_t v) {
        return Bytes{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                     static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    };
    switch (code) {
        case ioctl::kGetDriverVersion:
            answer = word(0x01020304);
            break;
        case ioctl::kGetUsbdiVersion:
            answer = word(0x00000600);
            break;
        case ioctl::kGetAltInterface:
            answer = {device.altSetting};
            break;
        case ioctl::kGetAddress:
            answer = {device.usbAddress};
            break;
        case ioctl::kGetDeviceSpeed:
            answer = word(device.speed);
            break;
        case ioctl::kGetDeviceName:
        case ioctl::kGetSecondName: {
            const std::string& text =
                code == ioctl::kGetDeviceName ? device.name : device.secondName;
            answer.assign(256, 0);
            std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 256), answer.begin());
            break;
        }
        default:
            return error::kInvalidParameter;
    }
    const std::size_t n = std::min(answer.size(), output.size());
    std::copy_n(answer.begin(), n, output.begin());
    bytesReturned = static_cast<std::uint32_t>(n);
    if (shortQueries.count(code) && bytesReturned > 0) --bytesReturned;
    return error::kSuccess;
}

std::uint32_t FakeDriver::Fill(const Pending& request, bool success) {
    if (!success) return 0;
    XferRequest header;
    XferRequest::DecodeFrom({request.block, request.blockSize}, header);
    PutLe32(request.block + kXferNtStatusOffset, request.script.ntStatus);
    PutLe32(request.block + kXferUsbdStatusOffset, request.script.usbdStatus);
    // Isochronous packet results: distinct values so a test sees them copied.
    const std::size_t packets = header.isoPacketLength / kIsoPacketDescriptorSize;
    for (std::size_t i = 0; i < packets; ++i) {
        if (header.isoPacketOffset + (i + 1) * kIsoPacketDescriptorSize > request.blockSize) break;
        std::uint8_t* p = request.block + header.isoPacketOffset + i * kIsoPacketDescriptorSize;
        PutLe16(p + 4, static_cast<std::uint16_t>(0x100 + i));
        PutLe16(p + 6, static_cast<std::uint16_t>(i));
    }

    const bool direct = request.code == ioctl::kDirectTransfer;
    const bool in = request.code == ioctl::kSendControlTransfer
                        ? (header.bmRequestType & 0x80) != 0
                        : (header.endpointAddress & 0x80) != 0;
    std::uint32_t bytes = 0;
    if (direct) {
        bytes = static_cast<std::uint32_t>(request.output.size());
        if (in) {
            bytes = static_cast<std::uint32_t>(
                std::min(request.output.size(), request.script.inData.size()));
            std::copy_n(request.script.inData.begin(), bytes, request.output.begin());
        }
    } else {
        const std::size_t room =
            std::min<std::size_t>(header.bufferLength, request.blockSize - header.bufferOffset);
        std::size_t n = room;
        if (in) {
            n = std::min(room, request.script.inData.size());
            std::copy_n(request.script.inData.begin(), n, request.block + header.bufferOffset);
        }
        bytes = static_cast<std::uint32_t>(header.bufferOffset + n);
    }
    return request.script.bytesReturned.value_or(bytes);
}

std::uint32_t FakeDriver::ServeTransfer(std::uint32_t code, std::span<const std::uint8_t> input,
                                        std::span<std::uint8_t> output,
                                        std::uint32_t& bytesReturned, Overlapped* overlapped) {
    Pending request;
    request.overlapped = overlapped;
    request.code = code;
    request.output = output;
    if (code == ioctl::kDirectTransfer) {
        // A method-neither request: the block is the requester's writable memory.
        request.block = const_cast<std::uint8_t*>(input.data());
        request.blockSize = input.size();
    } else {
        request.block = output.data();
        request.blockSize = output.size();
    }
    if (request.blockSize < kXferHeaderSize) return error::kInvalidParameter;
    {
        std::lock_guard lock(mutex_);
        if (!scripts_.empty()) {
            request.script = std::move(scripts_.front());
            scripts_.pop_front();
        }
    }
    switch (request.script.answer) {
        case Answer::Fail:
            return request.script.error;
        case Answer::AtOnce:
            bytesReturned = Fill(request, true);
            if (overlapped != nullptr) overlapped->Complete(bytesReturned, 0);
            return error::kSuccess;
        case Answer::Later: {
            if (overlapped == nullptr) return error::kInvalidParameter;
            std::lock_guard lock(mutex_);
            workers_.emplace_back([request] {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                request.overlapped->Complete(Fill(request, true), 0);
            });
            return error::kIoPending;
        }
        case Answer::UntilAborted: {
            if (overlapped == nullptr) return error::kInvalidParameter;
            std::lock_guard lock(mutex_);
            neverDone_.push_back(request);
            return error::kIoPending;
        }
    }
    return error::kGenFailure;
}

void FakeDriver::Abort() {
    std::vector<Pending> aborted;
    {
        std::lock_guard lock(mutex_);
        aborted.swap(neverDone_);
    }
    for (const auto& request : aborted) {
        if (request.script.finishOnAbort) {
            request.overlapped->Complete(Fill(request, true), 0);
        } else {
            request.overlapped->Complete(0, error::kOperationAborted);
        }
    }
}

WaitResult FakeDriver::WaitForCompletion(Overlapped& overlapped, std::uint32_t timeoutMs) {
    {
        std::lock_guard lock(mutex_);
        waits_.push_back(timeoutMs);
        // A request that only an abort ends times out at once: no test sleeps.
        if (timeoutMs != kInfinite) {
            for (const auto& request : neverDone_) {
                if (request.overlapped == &overlapped) return WaitResult::TimedOut;
            }
        }
    }
    return overlapped.Wait(timeoutMs);
}

NotificationHandle FakeDriver::RegisterInterfaceNotification(WindowId window, const Guid&) {
    interfaceRegistrations.push_back(window);
    return nextNotification_++;
}

NotificationHandle FakeDriver::RegisterHandleNotification(WindowId, DriverHandle handle) {
    handleRegistrations.push_back(handle);
    return nextNotification_++;
}

bool FakeDriver::UnregisterNotification(NotificationHandle notification) {
    unregistered.push_back(notification);
    return !unregisterFails;
}

}  // namespace velmor::usb::test
