#include "drivers/sim/sim_driver.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <thread>

#include "drivers/sim/sim_save_thread.h"
#include "drivers/sim/sim_transfer.h"
#include "drivers/sim/sim_usb_device.h"
#include "usb/ioctl_codes.h"
#include "usb/request_completion.h"

namespace velmor::sim {

namespace {

constexpr std::uint32_t kInvalidFunction = 1;
constexpr std::uint32_t kDriverVersion = 0x01030014;
constexpr std::uint32_t kUsbdiVersion = 0x00000600;
constexpr std::size_t kNameSize = 256;

// Where the statuses of a block go: control and buffered blocks come back in
// the output buffer; a direct transfer's block is the requester's own input
// block, which the port defines as writable for that code.
std::span<std::uint8_t> StatusBlock(const SimTransfer& t, std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output) {
    if (t.kind == SimTransferKind::Direct)
        return {const_cast<std::uint8_t*>(input.data()), usb::kXferHeaderSize};
    return output.first(usb::kXferHeaderSize);
}

}  // namespace

struct SimDriver::Impl {
    // A transfer that has not completed yet: waiting for the worker, or hanging
    // under the time-out fault until it is aborted.
    struct Pending {
        usb::DriverHandle handle = usb::kInvalidHandle;
        SimUsbDevice* device = nullptr;
        SimTransfer transfer;
        std::span<const std::uint8_t> input;
        std::span<std::uint8_t> output;
        usb::Overlapped* overlapped = nullptr;
    };
    struct HandleState {
        SimUsbDevice* device = nullptr;
        std::uint64_t generation = 0;
    };
    struct Result {
        std::uint32_t error = 0;
        std::uint32_t bytes = 0;
    };

    SimSaveThread saveThread;  // declared first: it outlives the devices it saves for
    mutable std::mutex mutex;
    std::condition_variable cv;
    std::vector<std::unique_ptr<SimUsbDevice>> devices;
    std::map<usb::DriverHandle, HandleState> handles;
    usb::DriverHandle nextHandle = 1;
    std::deque<Pending> queue;                         // for the worker, in issue order
    std::vector<Pending> parked;                       // timed out
    usb::DriverHandle inFlight = usb::kInvalidHandle;  // the worker's current request
    bool stop = false;
    std::thread worker;

    mutable std::mutex requestsMutex;
    std::deque<Request> requests;

    bool Alive(const HandleState& h) const {
        return h.device->Plugged() && h.generation == h.device->Generation();
    }

    void Log(std::uint32_t code, std::span<const std::uint8_t> input) {
        std::lock_guard lock(requestsMutex);
        if (requests.size() >= kRequestLogLimit) requests.pop_front();
        requests.push_back({code, {input.begin(), input.end()}});
    }

    // Runs a transfer against its device and puts the outcome where the
    // requester looks for it, no sooner than the device's answer time after it
    // began: the wait is a sleep, so devices answering at once go on meanwhile.
    // Windows' sleeps count in coarse ticks and may wake before the steady
    // clock reaches the deadline, so the sleep is repeated until it has.
    static Result Run(SimUsbDevice& device, const SimTransfer& t,
                      std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
        const std::chrono::microseconds answerTime = device.Options().answerTime;
        if (answerTime.count() == 0) return RunAtOnce(device, t, input, output);
        const auto due = std::chrono::steady_clock::now() + answerTime;
        const Result r = RunAtOnce(device, t, input, output);
        while (std::chrono::steady_clock::now() < due) std::this_thread::sleep_until(due);
        return r;
    }

    static Result RunAtOnce(SimUsbDevice& device, const SimTransfer& t,
                            std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
        if (t.kind == SimTransferKind::Direct) {
            const SimOutcome o = device.Transfer(t, output);
            WriteBlockStatus(StatusBlock(t, input, output), o.ntStatus, o.usbdStatus);
            return {o.error, o.Ok() ? o.bytes : 0};
        }
        // Work on a copy: input and output may be the same memory, and the
        // output must end up as the input block with statuses and in-data.
        std::vector<std::uint8_t> block(input.begin(),
                                        input.begin() + static_cast<std::ptrdiff_t>(t.blockLength));
        const SimOutcome o =
            device.Transfer(t, std::span(block).subspan(t.dataOffset, t.dataLength));
        WriteBlockStatus(block, o.ntStatus, o.usbdStatus);
        const std::size_t bytes = o.Ok() ? t.dataOffset + o.bytes : 0;
        std::copy_n(block.begin(), std::max(bytes, usb::kXferHeaderSize), output.begin());
        return {o.error, static_cast<std::uint32_t>(bytes)};
    }

    static void Cancel(Pending& p) {
        WriteBlockStatus(StatusBlock(p.transfer, p.input, p.output), status::kNtCancelled,
                         status::kUsbdCanceled);
        p.overlapped->Complete(0, usb::error::kOperationAborted);
    }

    // Takes out of the queue and the parked list every request `match` selects.
    template <typename Match>
    std::vector<Pending> TakeLocked(Match match) {
        std::vector<Pending> taken;
        auto split = [&](auto& list) {
            for (auto it = list.begin(); it != list.end();) {
                if (match(*it)) {
                    taken.push_back(*it);
                    it = list.erase(it);
                } else {
                    ++it;
                }
            }
        };
        split(queue);
        split(parked);
        return taken;
    }

    void WorkerLoop() {
        std::unique_lock lock(mutex);
        for (;;) {
            cv.wait(lock, [this] { return stop || !queue.empty(); });
            if (stop) return;
            Pending p = queue.front();
            queue.pop_front();
            const auto h = handles.find(p.handle);
            const bool alive = h != handles.end() && Alive(h->second);
            inFlight = p.handle;
            lock.unlock();
            const Result r = alive ? Run(*p.device, p.transfer, p.input, p.output)
                                   : Result{usb::error::kDeviceNotConnected, 0};
            p.overlapped->Complete(r.bytes, r.error);
            lock.lock();
            inFlight = usb::kInvalidHandle;
            cv.notify_all();
        }
    }

    void OnUnplug(SimUsbDevice& device) {
        std::vector<Pending> taken;
        {
            std::lock_guard lock(mutex);
            taken = TakeLocked([&](const Pending& p) { return p.device == &device; });
        }
        for (Pending& p : taken) Cancel(p);
    }

    // Fills a fixed-size answer of a driver query.
    static std::uint32_t Answer(std::span<const std::uint8_t> value, std::span<std::uint8_t> output,
                                std::uint32_t& bytesReturned) {
        if (output.size() < value.size()) return usb::error::kInsufficientBuffer;
        std::copy(value.begin(), value.end(), output.begin());
        bytesReturned = static_cast<std::uint32_t>(value.size());
        return usb::error::kSuccess;
    }

    static std::uint32_t AnswerLe32(std::uint32_t v, std::span<std::uint8_t> output,
                                    std::uint32_t& bytesReturned) {
        std::uint8_t b[4];
        usb::PutLe32(b, v);
        return Answer(b, output, bytesReturned);
    }

    static std::uint32_t AnswerName(const std::string& name, std::span<std::uint8_t> output,
                                    std::uint32_t& bytesReturned) {
        std::uint8_t text[kNameSize] = {};
        std::memcpy(text, name.data(), std::min(name.size(), kNameSize - 1));
        return Answer(text, output, bytesReturned);
    }

    std::uint32_t Query(SimUsbDevice& device, std::uint32_t code, std::span<std::uint8_t> output,
                        std::uint32_t& bytesReturned) {
        const SimDeviceOptions& o = device.Options();
        switch (code) {
            case usb::ioctl::kGetDriverVersion:
                return AnswerLe32(kDriverVersion, output, bytesReturned);
            case usb::ioctl::kGetUsbdiVersion:
                return AnswerLe32(kUsbdiVersion, output, bytesReturned);
            case usb::ioctl::kGetAltInterface: {
                const std::uint8_t alt[1] = {o.altSetting};
                return Answer(alt, output, bytesReturned);
            }
            case usb::ioctl::kGetAddress: {
                const std::uint8_t address[1] = {
                    static_cast<std::uint8_t>(device.Index() % 126 + 1)};
                return Answer(address, output, bytesReturned);
            }
            case usb::ioctl::kGetDeviceName:
                return AnswerName(o.deviceName, output, bytesReturned);
            case usb::ioctl::kGetSecondName:
                return AnswerName(o.secondName, output, bytesReturned);
            case usb::ioctl::kGetDeviceSpeed:
                return AnswerLe32(device.Descriptors().SuperSpeed() ? usb::ioctl::kSpeedSuper
                                                                    : usb::ioctl::kSpeedHigh,
                                  output, bytesReturned);
            default:
                return kInvalidFunction;
        }
    }
};

SimDriver::SimDriver() : impl_(std::make_unique<Impl>()) {}

SimDriver::~SimDriver() {
    std::vector<Impl::Pending> taken;
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stop = true;
        taken = impl_->TakeLocked([](const Impl::Pending&) { return true; });
    }
    impl_->cv.notify_all();
    if (impl_->worker.joinable()) impl_->worker.join();
    for (Impl::Pending& p : taken) Impl::Cancel(p);
}

std::unique_ptr<SimDriver> SimDriver::WithOneDevice(const SimDeviceOptions& options) {
    auto driver = std::make_unique<SimDriver>();
    driver->AddDevice(options);
    return driver;
}

SimDevice& SimDriver::AddDevice(const SimDeviceOptions& options) {
    std::lock_guard lock(impl_->mutex);
    const std::size_t index = impl_->devices.size();
    Impl* impl = impl_.get();
    impl_->devices.push_back(
        std::make_unique<SimUsbDevice>(options, index, impl_->saveThread,
                                       [impl](SimUsbDevice& device) { impl->OnUnplug(device); }));
    return *impl_->devices.back();
}

std::size_t SimDriver::DeviceCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->devices.size();
}

SimDevice& SimDriver::Device(std::size_t index) {
    std::lock_guard lock(impl_->mutex);
    return *impl_->devices.at(index);
}

std::vector<std::string> SimDriver::EnumerateInterfaces(const usb::Guid& guid) {
    std::vector<std::string> paths;
    if (guid != kInterfaceClass) return paths;
    std::lock_guard lock(impl_->mutex);
    for (const auto& device : impl_->devices) {
        if (device->Plugged()) paths.push_back(device->Path());
    }
    return paths;
}

usb::DriverHandle SimDriver::Open(const std::string& path, std::uint32_t& lastError) {
    constexpr std::string_view kPrefix = "sim:";
    std::size_t index = 0;
    const char* first = path.data() + kPrefix.size();
    const char* last = path.data() + path.size();
    const bool parsed = path.starts_with(kPrefix) && first != last &&
                        std::from_chars(first, last, index).ptr == last;
    SimUsbDevice* device = nullptr;
    usb::DriverHandle handle = usb::kInvalidHandle;
    {
        std::lock_guard lock(impl_->mutex);
        if (!parsed || index >= impl_->devices.size() || !impl_->devices[index]->Plugged()) {
            lastError = usb::error::kFileNotFound;
            return usb::kInvalidHandle;
        }
        device = impl_->devices[index].get();
        handle = impl_->nextHandle++;
        impl_->handles[handle] = {device, device->Generation()};
    }
    // Outside the driver's lock, so devices opened at once load their state side by
    // side; requests on the handle find the device loaded.
    device->LoadState();
    lastError = usb::error::kSuccess;
    return handle;
}

std::uint32_t SimDriver::Close(usb::DriverHandle handle) {
    std::vector<Impl::Pending> taken;
    {
        std::unique_lock lock(impl_->mutex);
        if (impl_->handles.erase(handle) == 0) return usb::error::kInvalidHandle;
        taken = impl_->TakeLocked([handle](const Impl::Pending& p) { return p.handle == handle; });
        // A request the worker is carrying out must finish before its buffers go.
        impl_->cv.wait(lock, [&] { return impl_->inFlight != handle; });
    }
    for (Impl::Pending& p : taken) Impl::Cancel(p);
    return usb::error::kSuccess;
}

std::uint32_t SimDriver::IoControl(usb::DriverHandle handle, std::uint32_t code,
                                   std::span<const std::uint8_t> input,
                                   std::span<std::uint8_t> output, std::uint32_t& bytesReturned,
                                   usb::Overlapped* overlapped) {
    impl_->Log(code, input);
    bytesReturned = 0;
    std::unique_lock lock(impl_->mutex);
    const auto h = impl_->handles.find(handle);
    if (h == impl_->handles.end()) return usb::error::kInvalidHandle;
    if (!impl_->Alive(h->second)) return usb::error::kDeviceNotConnected;
    SimUsbDevice& device = *h->second.device;

    if (code == usb::ioctl::kAbortPipe) {
        const std::optional<std::uint8_t> endpoint = usb::AbortedEndpoint(input);
        if (!endpoint) return usb::error::kInvalidParameter;
        auto taken = impl_->TakeLocked([&](const Impl::Pending& p) {
            return p.handle == handle && p.transfer.endpoint == *endpoint;
        });
        lock.unlock();
        for (Impl::Pending& p : taken) Impl::Cancel(p);
        return usb::CompleteAtOnce(0, bytesReturned, overlapped);
    }

    if (!SimTransfer::IsTransferCode(code)) {
        const std::uint32_t error = impl_->Query(device, code, output, bytesReturned);
        if (error != usb::error::kSuccess) return error;
        return usb::CompleteAtOnce(bytesReturned, bytesReturned, overlapped);
    }

    const auto transfer = SimTransfer::Parse(code, input, output);
    if (!transfer) return usb::error::kInvalidParameter;

    if (device.Model().TakeTimeoutFault()) {
        // Without an overlapped nobody could abort it: fail as a timed-out wait would.
        if (!overlapped) return usb::error::kSemTimeout;
        impl_->parked.push_back({handle, &device, *transfer, input, output, overlapped});
        return usb::error::kIoPending;
    }
    if (overlapped && device.Options().asyncCompletion) {
        impl_->queue.push_back({handle, &device, *transfer, input, output, overlapped});
        if (!impl_->worker.joinable())
            impl_->worker = std::thread([impl = impl_.get()] { impl->WorkerLoop(); });
        impl_->cv.notify_all();
        return usb::error::kIoPending;
    }
    lock.unlock();
    const Impl::Result r = Impl::Run(device, *transfer, input, output);
    if (r.error != usb::error::kSuccess) return r.error;
    return usb::CompleteAtOnce(r.bytes, bytesReturned, overlapped);
}

std::vector<SimDriver::Request> SimDriver::Requests() const {
    std::lock_guard lock(impl_->requestsMutex);
    return {impl_->requests.begin(), impl_->requests.end()};
}

void SimDriver::ClearRequests() {
    std::lock_guard lock(impl_->requestsMutex);
    impl_->requests.clear();
}

}  // namespace velmor::sim
