#include "drivers/libusb/libusb_driver.h"

#include <libusb.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "drivers/libusb/libusb_texts.h"
#include "usb/ioctl_codes.h"
#include "usb/request_completion.h"
#include "usb/usb_link.h"
#include "usb/xfer_layout.h"

namespace velmor::libusb {

namespace {

constexpr std::uint32_t kInvalidFunction = 1;
constexpr std::size_t kNameSize = 256;
constexpr unsigned kSyncTimeoutMs = 5000;   // transfers without an overlapped
constexpr unsigned kQueryTimeoutMs = 1000;  // GET_INTERFACE and string reads
constexpr int kInterface = 0;
constexpr auto kEventSlice = std::chrono::milliseconds(100);

std::string PathOf(int bus, int address) {
    char text[32];
    std::snprintf(text, sizeof text, "usb:%03d:%03d", bus, address);
    return text;
}

bool ParsePath(const std::string& path, int& bus, int& address) {
    char tail = 0;
    return std::sscanf(path.c_str(), "usb:%3d:%3d%c", &bus, &address, &tail) == 2;
}

std::uint32_t Answer(std::span<const std::uint8_t> value, std::span<std::uint8_t> output,
                     std::uint32_t& bytesReturned) {
    if (output.size() < value.size()) return usb::error::kInsufficientBuffer;
    std::copy(value.begin(), value.end(), output.begin());
    bytesReturned = static_cast<std::uint32_t>(value.size());
    return usb::error::kSuccess;
}

std::uint32_t AnswerLe32(std::uint32_t v, std::span<std::uint8_t> output,
                         std::uint32_t& bytesReturned) {
    std::uint8_t b[4];
    usb::PutLe32(b, v);
    return Answer(b, output, bytesReturned);
}

std::uint32_t AnswerName(const std::string& name, std::span<std::uint8_t> output,
                         std::uint32_t& bytesReturned) {
    std::uint8_t text[kNameSize] = {};
    std::memcpy(text, name.data(), std::min(name.size(), kNameSize - 1));
    return Answer(text, output, bytesReturned);
}

std::uint32_t SpeedCode(int speed) {
    switch (speed) {
        case LIBUSB_SPEED_SUPER:
        case LIBUSB_SPEED_SUPER_PLUS:
            return usb::ioctl::kSpeedSuper;
        case LIBUSB_SPEED_HIGH:
            return usb::ioctl::kSpeedHigh;
        case LIBUSB_SPEED_FULL:
            return 1;
        default:
            return 0;
    }
}

std::string ReadString(libusb_device_handle* handle, std::uint8_t index) {
    if (index == 0) return {};
    unsigned char text[kNameSize] = {};
    const int n = libusb_get_string_descriptor_ascii(handle, index, text, sizeof text - 1);
    return n > 0 ? std::string(reinterpret_cast<char*>(text), static_cast<std::size_t>(n))
                 : std::string();
}

// Endpoint address -> transfer type (LIBUSB_TRANSFER_TYPE_*) over every
// alternate setting of the interface.
std::map<std::uint8_t, std::uint8_t> EndpointTypes(libusb_device* device) {
    std::map<std::uint8_t, std::uint8_t> types;
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0 &&
        libusb_get_config_descriptor(device, 0, &config) != 0) {
        return types;
    }
    for (int i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface& interface = config->interface[i];
        for (int a = 0; a < interface.num_altsetting; ++a) {
            const libusb_interface_descriptor& alt = interface.altsetting[a];
            if (alt.bInterfaceNumber != kInterface) continue;
            for (int e = 0; e < alt.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor& ep = alt.endpoint[e];
                types.emplace(ep.bEndpointAddress, static_cast<std::uint8_t>(ep.bmAttributes & 3));
            }
        }
    }
    libusb_free_config_descriptor(config);
    return types;
}

}  // namespace

struct LibusbDriver::Impl {
    // One open handle: the device, what the queries answer, the endpoint types.
    struct Opened {
        libusb_device_handle* handle = nullptr;
        std::string path;
        std::string product;
        std::string manufacturer;
        std::uint8_t address = 0;
        int speed = 0;
        std::map<std::uint8_t, std::uint8_t> endpointTypes;
        std::set<std::uint8_t> halted;  // stalled endpoints, cleared before their next transfer
    };

    // One transfer in flight. Owned by the driver from submission until its
    // callback, which frees it before completing the requester's overlapped.
    struct Xfer {
        Impl* impl = nullptr;
        libusb_transfer* transfer = nullptr;
        usb::DriverHandle handle = usb::kInvalidHandle;
        std::shared_ptr<Opened> device;
        std::uint8_t endpoint = 0;
        usb::Overlapped* overlapped = nullptr;
        std::span<std::uint8_t> statusBlock;  // where the NT and USBD status go
        std::uint32_t bytesBase = 0;          // block bytes before the data
        std::uint8_t* controlIn = nullptr;    // where a control transfer's in-data goes
        std::size_t controlRoom = 0;
        std::vector<std::uint8_t> controlBuffer;  // setup packet and data stage
    };

    libusb_context* context = nullptr;
    std::vector<DeviceId> ids;

    mutable std::mutex mutex;
    std::map<usb::DriverHandle, std::shared_ptr<Opened>> handles;
    usb::DriverHandle nextHandle = 1;
    std::set<Xfer*> inFlight;
    std::map<std::string, std::string> products;  // path -> product string, for ID filters
    std::string lastError;

    std::map<usb::NotificationHandle, libusb_hotplug_callback_handle> hotplugs;
    usb::NotificationHandle nextNotification = 1;
    std::function<void(bool)> listener;
    std::thread eventThread;
    std::atomic<bool> stopEvents{false};

    void SetLastError(std::string text) {
        std::lock_guard lock(mutex);
        lastError = std::move(text);
    }

    // One round of libusb's event handling on this thread, at most `slice` long.
    void HandleEvents(std::chrono::milliseconds slice) {
        timeval tv{0, static_cast<suseconds_t>(
                          std::chrono::duration_cast<std::chrono::microseconds>(slice).count())};
        libusb_handle_events_timeout_completed(context, &tv, nullptr);
    }

    // Handles events until no transfer that `match` selects is in flight.
    template <typename Match>
    void DrainWhere(Match match) {
        for (;;) {
            {
                std::lock_guard lock(mutex);
                if (std::none_of(inFlight.begin(), inFlight.end(), match)) return;
            }
            HandleEvents(kEventSlice);
        }
    }

    template <typename Match>
    void CancelWhere(Match match) {
        {
            // Under the lock no callback can free a transfer being cancelled.
            std::lock_guard lock(mutex);
            for (Xfer* x : inFlight) {
                if (match(x)) libusb_cancel_transfer(x->transfer);
            }
        }
        DrainWhere(match);
    }

    static void LIBUSB_CALL OnTransferDone(libusb_transfer* transfer) {
        auto* x = static_cast<Xfer*>(transfer->user_data);
        x->impl->Finish(x);
    }

    void Finish(Xfer* x) {
        libusb_transfer* t = x->transfer;
        const Failure failure = TransferFailure(t->status, 0, x->endpoint, x->device->path);
        std::uint32_t ntStatus = 0;
        std::uint32_t usbdStatus = 0;
        switch (t->status) {
            case LIBUSB_TRANSFER_COMPLETED:
                break;
            case LIBUSB_TRANSFER_CANCELLED:
                ntStatus = usb::status::kNtCancelled;
                usbdStatus = usb::status::kUsbdCanceled;
                break;
            case LIBUSB_TRANSFER_STALL:
                ntStatus = usb::status::kNtUnsuccessful;
                usbdStatus = usb::status::kUsbdStall;
                break;
            case LIBUSB_TRANSFER_NO_DEVICE:
                ntStatus = usb::status::kNtNoSuchDevice;
                usbdStatus = usb::status::kUsbdDevNotResponding;
                break;
            default:
                ntStatus = usb::status::kNtUnsuccessful;
                usbdStatus = usb::status::kUsbdDevNotResponding;
                break;
        }
        std::uint32_t bytes = 0;
        if (failure.code == usb::error::kSuccess) {
            // The device's count is not trusted beyond what was asked for.
            std::size_t moved = static_cast<std::size_t>(std::max(t->actual_length, 0));
            if (x->controlIn != nullptr) {
                moved = std::min(moved, x->controlRoom);
                std::memcpy(x->controlIn, libusb_control_transfer_get_data(t), moved);
            } else {
                moved = std::min(moved, static_cast<std::size_t>(t->length));
            }
            bytes = x->bytesBase + static_cast<std::uint32_t>(moved);
        }
        usb::WriteXferStatus(x->statusBlock, ntStatus, usbdStatus);

        usb::Overlapped* overlapped = x->overlapped;
        {
            std::lock_guard lock(mutex);
            inFlight.erase(x);
            // The control endpoint clears its own stall with the next setup packet.
            if (t->status == LIBUSB_TRANSFER_STALL && x->endpoint != 0)
                x->device->halted.insert(x->endpoint);
            if (!failure.text.empty() && t->status != LIBUSB_TRANSFER_CANCELLED)
                lastError = failure.text;
        }
        libusb_free_transfer(t);
        delete x;
        // Last: the requester may release the overlapped and the buffers at once.
        overlapped->Complete(bytes, failure.code);
    }

    std::shared_ptr<Opened> Find(usb::DriverHandle handle) const {
        std::lock_guard lock(mutex);
        const auto it = handles.find(handle);
        return it == handles.end() ? nullptr : it->second;
    }

    std::uint32_t Query(Opened& device, std::uint32_t code, std::span<std::uint8_t> output,
                        std::uint32_t& bytesReturned) {
        switch (code) {
            case usb::ioctl::kGetDriverVersion: {
                const libusb_version* v = libusb_get_version();
                return AnswerLe32(static_cast<std::uint32_t>(v->major << 24 | v->minor << 16 |
                                                             (v->micro & 0xFFFF)),
                                  output, bytesReturned);
            }
            case usb::ioctl::kGetUsbdiVersion:
                return AnswerLe32(0, output, bytesReturned);
            case usb::ioctl::kGetAltInterface: {
                std::uint8_t alternate[1] = {0};
                const int n = libusb_control_transfer(
                    device.handle, static_cast<std::uint8_t>(0x80 | LIBUSB_RECIPIENT_INTERFACE),
                    LIBUSB_REQUEST_GET_INTERFACE, 0, kInterface, alternate, 1, kQueryTimeoutMs);
                if (n != 1) return usb::error::kGenFailure;
                return Answer(alternate, output, bytesReturned);
            }
            case usb::ioctl::kGetAddress: {
                const std::uint8_t address[1] = {device.address};
                return Answer(address, output, bytesReturned);
            }
            case usb::ioctl::kGetDeviceName:
                return AnswerName(device.product, output, bytesReturned);
            case usb::ioctl::kGetSecondName:
                return AnswerName(device.manufacturer, output, bytesReturned);
            case usb::ioctl::kGetDeviceSpeed:
                return AnswerLe32(SpeedCode(device.speed), output, bytesReturned);
            default:
                return kInvalidFunction;
        }
    }

    // Starts `layout` as a libusb transfer that completes `overlapped`.
    // kIoPending, or an error code with nothing started.
    std::uint32_t Submit(usb::DriverHandle handle, const std::shared_ptr<Opened>& device,
                         const usb::XferLayout& layout, std::span<const std::uint8_t> input,
                         std::span<std::uint8_t> output, unsigned timeoutMs,
                         usb::Overlapped& overlapped);
    // The steps of Submit.
    //
    // The LIBUSB_TRANSFER_TYPE_* of the endpoint `layout` goes to; nothing when the
    // device has no such endpoint.
    static std::optional<std::uint8_t> TransferType(const Opened& device,
                                                    const usb::XferLayout& layout);
    // Points the transfer at the requester's block: where its status goes, and the
    // data, which libusb reads or fills in place (a buffered block is laid out in the
    // output first). Returns where the data is.
    static unsigned char* PlaceBlock(Xfer& x, const usb::XferLayout& layout,
                                     std::span<const std::uint8_t> input,
                                     std::span<std::uint8_t> output);
    static void FillTransfer(Xfer& x, const usb::XferLayout& layout, std::uint8_t type,
                             unsigned char* buffer, unsigned timeoutMs);
    // An endpoint that stalled is cleared before its next transfer.
    void ClearHaltBefore(Opened& device, std::uint8_t endpoint);
    // Hands the filled transfer to libusb; the callback frees it from then on.
    std::uint32_t Start(std::unique_ptr<Xfer> x);

    std::string ProductOf(libusb_device* device, const std::string& path,
                          const libusb_device_descriptor& descriptor);
    void StopEventThread();
};

std::uint32_t LibusbDriver::Impl::Submit(usb::DriverHandle handle,
                                         const std::shared_ptr<Opened>& device,
                                         const usb::XferLayout& layout,
                                         std::span<const std::uint8_t> input,
                                         std::span<std::uint8_t> output, unsigned timeoutMs,
                                         usb::Overlapped& overlapped) {
    const std::optional<std::uint8_t> type = TransferType(*device, layout);
    if (!type) return usb::error::kInvalidParameter;
    if (layout.header.isoPacketLength != 0 || *type == LIBUSB_TRANSFER_TYPE_ISOCHRONOUS) {
        SetLastError(IsochronousText(layout.endpoint, device->path));
        return error::kNotSupported;
    }

    auto x = std::make_unique<Xfer>();
    x->impl = this;
    x->handle = handle;
    x->device = device;
    x->endpoint = layout.endpoint;
    x->overlapped = &overlapped;
    x->transfer = libusb_alloc_transfer(0);
    if (x->transfer == nullptr) return usb::error::kGenFailure;
    unsigned char* buffer = PlaceBlock(*x, layout, input, output);
    FillTransfer(*x, layout, *type, buffer, timeoutMs);
    ClearHaltBefore(*device, layout.endpoint);
    return Start(std::move(x));
}

std::optional<std::uint8_t> LibusbDriver::Impl::TransferType(const Opened& device,
                                                             const usb::XferLayout& layout) {
    if (layout.kind == usb::XferKind::Control) return LIBUSB_TRANSFER_TYPE_CONTROL;
    const auto it = device.endpointTypes.find(layout.endpoint);
    if (it == device.endpointTypes.end()) return std::nullopt;
    return it->second;
}

unsigned char* LibusbDriver::Impl::PlaceBlock(Xfer& x, const usb::XferLayout& layout,
                                              std::span<const std::uint8_t> input,
                                              std::span<std::uint8_t> output) {
    if (layout.kind == usb::XferKind::Direct) {
        // The port defines the requester's block as writable for this code.
        x.statusBlock = {const_cast<std::uint8_t*>(input.data()), usb::kXferHeaderSize};
        return output.data();
    }
    // The block comes back in the output: header first, data in place.
    if (output.data() != input.data()) {
        std::copy_n(input.begin(), layout.dataOffset, output.begin());
        if (!layout.in) {
            std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(layout.dataOffset),
                        layout.dataLength,
                        output.begin() + static_cast<std::ptrdiff_t>(layout.dataOffset));
        }
    }
    x.statusBlock = output.first(usb::kXferHeaderSize);
    x.bytesBase = static_cast<std::uint32_t>(layout.dataOffset);
    return output.data() + layout.dataOffset;
}

void LibusbDriver::Impl::FillTransfer(Xfer& x, const usb::XferLayout& layout, std::uint8_t type,
                                      unsigned char* buffer, unsigned timeoutMs) {
    libusb_device_handle* handle = x.device->handle;
    const int length = static_cast<int>(layout.dataLength);
    if (layout.kind == usb::XferKind::Control) {
        const usb::XferRequest& h = layout.header;
        x.controlBuffer.resize(LIBUSB_CONTROL_SETUP_SIZE + h.wLength);
        libusb_fill_control_setup(x.controlBuffer.data(), h.bmRequestType, h.bRequest, h.wValue,
                                  h.wIndex, h.wLength);
        if (layout.in) {
            x.controlIn = buffer;
            x.controlRoom = h.wLength;
        } else {
            std::memcpy(x.controlBuffer.data() + LIBUSB_CONTROL_SETUP_SIZE, buffer, h.wLength);
        }
        libusb_fill_control_transfer(x.transfer, handle, x.controlBuffer.data(),
                                     &Impl::OnTransferDone, &x, timeoutMs);
    } else if (type == LIBUSB_TRANSFER_TYPE_INTERRUPT) {
        libusb_fill_interrupt_transfer(x.transfer, handle, layout.endpoint, buffer, length,
                                       &Impl::OnTransferDone, &x, timeoutMs);
    } else {
        libusb_fill_bulk_transfer(x.transfer, handle, layout.endpoint, buffer, length,
                                  &Impl::OnTransferDone, &x, timeoutMs);
    }
}

void LibusbDriver::Impl::ClearHaltBefore(Opened& device, std::uint8_t endpoint) {
    bool clearHalt = false;
    {
        std::lock_guard lock(mutex);
        clearHalt = device.halted.erase(endpoint) > 0;
    }
    if (clearHalt) libusb_clear_halt(device.handle, endpoint);
}

std::uint32_t LibusbDriver::Impl::Start(std::unique_ptr<Xfer> x) {
    Xfer* raw = x.get();
    {
        std::lock_guard lock(mutex);
        inFlight.insert(raw);
    }
    const int r = libusb_submit_transfer(raw->transfer);
    if (r != 0) {
        {
            std::lock_guard lock(mutex);
            inFlight.erase(raw);
        }
        libusb_free_transfer(raw->transfer);
        const Failure failure = TransferFailure(-1, r, raw->endpoint, raw->device->path);
        SetLastError(failure.text);
        return failure.code;
    }
    x.release();  // the callback frees it
    return usb::error::kIoPending;
}

std::string LibusbDriver::Impl::ProductOf(libusb_device* device, const std::string& path,
                                          const libusb_device_descriptor& descriptor) {
    {
        std::lock_guard lock(mutex);
        const auto it = products.find(path);
        if (it != products.end()) return it->second;
    }
    std::string product;
    libusb_device_handle* handle = nullptr;
    if (libusb_open(device, &handle) == 0) {
        product = ReadString(handle, descriptor.iProduct);
        libusb_close(handle);
    }
    std::lock_guard lock(mutex);
    products[path] = product;
    return product;
}

void LibusbDriver::Impl::StopEventThread() {
    if (!eventThread.joinable()) return;
    stopEvents = true;
    libusb_interrupt_event_handler(context);
    eventThread.join();
    stopEvents = false;
}

std::unique_ptr<LibusbDriver> LibusbDriver::Create(std::vector<DeviceId> ids, std::string& error) {
    auto impl = std::make_unique<Impl>();
    const int r = libusb_init(&impl->context);
    if (r != 0) {
        error = StartFailureText(r);
        return nullptr;
    }
    impl->ids = std::move(ids);
    return std::unique_ptr<LibusbDriver>(new LibusbDriver(std::move(impl)));
}

LibusbDriver::LibusbDriver(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

LibusbDriver::~LibusbDriver() {
    std::vector<usb::NotificationHandle> notifications;
    std::vector<usb::DriverHandle> open;
    {
        std::lock_guard lock(impl_->mutex);
        for (const auto& entry : impl_->hotplugs) notifications.push_back(entry.first);
        for (const auto& entry : impl_->handles) open.push_back(entry.first);
    }
    for (const auto notification : notifications) UnregisterNotification(notification);
    for (const auto handle : open) Close(handle);
    libusb_exit(impl_->context);
}

const std::vector<DeviceId>& LibusbDriver::Ids() const { return impl_->ids; }

std::string LibusbDriver::LastErrorText() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->lastError;
}

void LibusbDriver::SetHotplugListener(std::function<void(bool)> listener) {
    std::lock_guard lock(impl_->mutex);
    impl_->listener = std::move(listener);
}

std::vector<std::string> LibusbDriver::EnumerateInterfaces(const usb::Guid& guid) {
    std::vector<std::string> paths;
    if (guid != usb::kVendorInterfaceClass) return paths;
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(impl_->context, &list);
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device* device = list[i];
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != 0) continue;
        if (!MatchesIds(impl_->ids, descriptor.idVendor, descriptor.idProduct)) continue;
        const std::string path =
            PathOf(libusb_get_bus_number(device), libusb_get_device_address(device));
        const bool anyProduct = std::any_of(impl_->ids.begin(), impl_->ids.end(), [&](auto& id) {
            return id.vendorId == descriptor.idVendor && id.productId == descriptor.idProduct &&
                   id.product.empty();
        });
        if (!anyProduct && !Matches(impl_->ids, descriptor.idVendor, descriptor.idProduct,
                                    impl_->ProductOf(device, path, descriptor))) {
            continue;
        }
        paths.push_back(path);
    }
    if (list != nullptr) libusb_free_device_list(list, 1);
    // libusb lists the newest device first; the program opens by index, which
    // stays put in bus and address order.
    std::sort(paths.begin(), paths.end());
    return paths;
}

usb::DriverHandle LibusbDriver::Open(const std::string& path, std::uint32_t& lastError) {
    int bus = 0;
    int address = 0;
    lastError = usb::error::kFileNotFound;
    if (!ParsePath(path, bus, address)) return usb::kInvalidHandle;

    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(impl_->context, &list);
    libusb_device* device = nullptr;
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_bus_number(list[i]) == bus &&
            libusb_get_device_address(list[i]) == address &&
            libusb_get_device_descriptor(list[i], &descriptor) == 0 &&
            MatchesIds(impl_->ids, descriptor.idVendor, descriptor.idProduct)) {
            device = libusb_ref_device(list[i]);
        }
    }
    if (list != nullptr) libusb_free_device_list(list, 1);

    auto fail = [&](int libusbError) {
        const Failure failure = OpenFailure(libusbError, path, bus, address);
        impl_->SetLastError(failure.text);
        lastError = failure.code;
        return usb::kInvalidHandle;
    };
    if (device == nullptr) return fail(LIBUSB_ERROR_NO_DEVICE);

    auto opened = std::make_shared<Impl::Opened>();
    opened->path = path;
    opened->address = libusb_get_device_address(device);
    opened->speed = libusb_get_device_speed(device);
    opened->endpointTypes = EndpointTypes(device);
    libusb_device_descriptor descriptor{};
    libusb_get_device_descriptor(device, &descriptor);
    int r = libusb_open(device, &opened->handle);
    libusb_unref_device(device);
    if (r != 0) return fail(r);
    r = libusb_claim_interface(opened->handle, kInterface);
    if (r != 0) {
        libusb_close(opened->handle);
        return fail(r);
    }
    opened->product = ReadString(opened->handle, descriptor.iProduct);
    opened->manufacturer = ReadString(opened->handle, descriptor.iManufacturer);

    std::lock_guard lock(impl_->mutex);
    const usb::DriverHandle handle = impl_->nextHandle++;
    impl_->handles[handle] = std::move(opened);
    lastError = usb::error::kSuccess;
    return handle;
}

std::uint32_t LibusbDriver::Close(usb::DriverHandle handle) {
    const std::shared_ptr<Impl::Opened> device = impl_->Find(handle);
    if (!device) return usb::error::kInvalidHandle;
    impl_->CancelWhere([handle](const Impl::Xfer* x) { return x->handle == handle; });
    {
        std::lock_guard lock(impl_->mutex);
        impl_->handles.erase(handle);
    }
    libusb_release_interface(device->handle, kInterface);
    libusb_close(device->handle);
    return usb::error::kSuccess;
}

std::uint32_t LibusbDriver::IoControl(usb::DriverHandle handle, std::uint32_t code,
                                      std::span<const std::uint8_t> input,
                                      std::span<std::uint8_t> output, std::uint32_t& bytesReturned,
                                      usb::Overlapped* overlapped) {
    bytesReturned = 0;
    const std::shared_ptr<Impl::Opened> device = impl_->Find(handle);
    if (!device) return usb::error::kInvalidHandle;

    if (code == usb::ioctl::kAbortPipe) {
        const std::optional<std::uint8_t> endpoint = usb::AbortedEndpoint(input);
        if (!endpoint) return usb::error::kInvalidParameter;
        impl_->CancelWhere(
            [&](const Impl::Xfer* x) { return x->handle == handle && x->endpoint == *endpoint; });
        return usb::CompleteAtOnce(0, bytesReturned, overlapped);
    }
    if (!usb::IsTransferCode(code)) {
        const std::uint32_t error = impl_->Query(*device, code, output, bytesReturned);
        if (error != usb::error::kSuccess) return error;
        return usb::CompleteAtOnce(bytesReturned, bytesReturned, overlapped);
    }

    const auto layout = usb::LayoutTransfer(code, input, output);
    if (!layout) return usb::error::kInvalidParameter;
    unsigned timeoutMs =
        layout->kind == usb::XferKind::Control
            ? static_cast<unsigned>(std::min<std::uint32_t>(layout->header.timeOutSeconds, 3600)) *
                  1000
            : 0;
    if (overlapped != nullptr) {
        return impl_->Submit(handle, device, *layout, input, output, timeoutMs, *overlapped);
    }
    // Without an overlapped nobody could abort it: it ends by itself.
    if (timeoutMs == 0) timeoutMs = kSyncTimeoutMs;
    usb::Overlapped local;
    const std::uint32_t started =
        impl_->Submit(handle, device, *layout, input, output, timeoutMs, local);
    if (started != usb::error::kIoPending) return started;
    WaitForCompletion(local, usb::kInfinite);
    std::uint32_t error = 0;
    local.Result(bytesReturned, error);
    return error;
}

usb::WaitResult LibusbDriver::WaitForCompletion(usb::Overlapped& overlapped,
                                                std::uint32_t timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto left = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    };
    // Done() costs no system call, where a wait that times out does: the event
    // is taken only once the request has completed.
    while (!overlapped.Done()) {
        auto slice = std::chrono::milliseconds(kEventSlice);
        if (timeoutMs != usb::kInfinite) {
            if (left().count() <= 0) return usb::WaitResult::TimedOut;
            slice = std::min(slice, left());
        }
        impl_->HandleEvents(slice);
    }
    // Signalled at once, unless a wait before took the event: then this waits as
    // the plain event would.
    if (timeoutMs == usb::kInfinite) return overlapped.Wait(usb::kInfinite);
    return overlapped.Wait(static_cast<std::uint32_t>(std::max<std::int64_t>(left().count(), 0)));
}

bool LibusbDriver::GetOverlappedResult(usb::DriverHandle /*handle*/, usb::Overlapped& overlapped,
                                       std::uint32_t& bytes, std::uint32_t& lastError) {
    if (!overlapped.Done()) impl_->HandleEvents(std::chrono::milliseconds(0));
    return overlapped.Result(bytes, lastError);
}

usb::NotificationHandle LibusbDriver::RegisterInterfaceNotification(usb::WindowId window,
                                                                    const usb::Guid& guid) {
    if (!libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG)) {
        return UsbDriver::RegisterInterfaceNotification(window, guid);
    }
    auto callback = [](libusb_context*, libusb_device* device, libusb_hotplug_event event,
                       void* user) -> int {
        auto* impl = static_cast<Impl*>(user);
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != 0 ||
            !MatchesIds(impl->ids, descriptor.idVendor, descriptor.idProduct)) {
            return 0;
        }
        std::function<void(bool)> listener;
        {
            std::lock_guard lock(impl->mutex);
            listener = impl->listener;
            if (event == LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT) {
                impl->products.erase(
                    PathOf(libusb_get_bus_number(device), libusb_get_device_address(device)));
            }
        }
        if (listener) listener(event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED);
        return 0;
    };
    libusb_hotplug_callback_handle registration = 0;
    const int r = libusb_hotplug_register_callback(
        impl_->context,
        static_cast<libusb_hotplug_event>(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED |
                                          LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT),
        LIBUSB_HOTPLUG_NO_FLAGS, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY,
        LIBUSB_HOTPLUG_MATCH_ANY, callback, impl_.get(), &registration);
    if (r != 0) return UsbDriver::RegisterInterfaceNotification(window, guid);

    std::lock_guard lock(impl_->mutex);
    const usb::NotificationHandle notification = ++impl_->nextNotification;
    impl_->hotplugs[notification] = registration;
    if (!impl_->eventThread.joinable()) {
        impl_->eventThread = std::thread([impl = impl_.get()] {
            while (!impl->stopEvents) impl->HandleEvents(std::chrono::milliseconds(500));
        });
    }
    return notification;
}

bool LibusbDriver::UnregisterNotification(usb::NotificationHandle notification) {
    libusb_hotplug_callback_handle registration = 0;
    bool last = false;
    {
        std::lock_guard lock(impl_->mutex);
        const auto it = impl_->hotplugs.find(notification);
        if (it == impl_->hotplugs.end()) return true;  // the default registration
        registration = it->second;
        impl_->hotplugs.erase(it);
        last = impl_->hotplugs.empty();
    }
    libusb_hotplug_deregister_callback(impl_->context, registration);
    if (last) impl_->StopEventThread();
    return true;
}

}  // namespace velmor::libusb
