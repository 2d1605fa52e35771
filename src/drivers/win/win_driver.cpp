#include "drivers/win/win_driver.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <limits>
#include <list>
#include <map>
#include <mutex>
#include <thread>

#include "drivers/win/win_texts.h"
#include "files/wide_text_win.h"
#include "usb/ioctl_codes.h"
#include "usb/request_completion.h"
#include "usb/xfer_request.h"

namespace velmor::win {

namespace {

HANDLE ToWin32(usb::DriverHandle handle) { return reinterpret_cast<HANDLE>(handle); }
usb::DriverHandle ToPort(HANDLE handle) { return reinterpret_cast<usb::DriverHandle>(handle); }

// The endpoint a transfer request goes to, so that an abort of that endpoint can
// find it; control transfers and driver queries count as endpoint 0.
std::uint8_t EndpointOf(std::uint32_t code, std::span<const std::uint8_t> input) {
    const bool transfer =
        code == usb::ioctl::kSendBufferedTransfer || code == usb::ioctl::kDirectTransfer;
    usb::XferRequest header;
    if (!transfer || !usb::XferRequest::DecodeFrom(input, header)) return 0;
    return header.endpointAddress;
}

// A Win32 event, not signalled at first. Manual-reset by default, as
// DeviceIoControl wants for an overlapped request.
struct Event {
    explicit Event(bool manualReset = true)
        : handle(::CreateEventW(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr)) {}
    ~Event() {
        if (handle != nullptr) ::CloseHandle(handle);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE handle;
};

}  // namespace

struct WinDriver::Impl {
    // One request Windows reported pending.
    struct Request {
        OVERLAPPED win{};
        Event event;
        HANDLE file = INVALID_HANDLE_VALUE;
        std::uint8_t endpoint = 0;
        usb::Overlapped* port = nullptr;
    };
    struct HandleState {
        bool closing = false;
        // Requests inside IoControl, from the handle check until registered or ended.
        int inCall = 0;
    };

    explicit Impl(Win32Api& a) : api(a) {}

    Win32Api& api;
    mutable std::mutex mutex;
    std::condition_variable changed;  // a request ended, was registered or was started
    std::map<HANDLE, HandleState> handles;
    std::list<std::unique_ptr<Request>> pending;
    std::size_t reserved = 0;  // places in `pending` held by requests being started
    Event wake{false};         // tells the completion thread that `pending` or `stop` changed
    bool stop = false;
    std::thread completer;
    std::string lastOpenFailure;

    bool PendingOn(HANDLE file) const {
        return std::any_of(pending.begin(), pending.end(),
                           [file](const auto& r) { return r->file == file; });
    }

    void Wake() { ::SetEvent(wake.handle); }

    // Takes a finished request's outcome into the port's overlapped, then lets it go.
    void Finish(Request* request) {
        DWORD bytes = 0;
        BOOL ok = api.GetOverlappedResult(request->file, &request->win, &bytes, FALSE);
        DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
        if (!ok && error == ERROR_IO_INCOMPLETE) {
            // Signalled yet not finished: wait for it, its buffers are still in use.
            ok = api.GetOverlappedResult(request->file, &request->win, &bytes, TRUE);
            error = ok ? ERROR_SUCCESS : ::GetLastError();
        }
        request->port->Complete(bytes, error);
        std::lock_guard lock(mutex);
        pending.remove_if([request](const auto& r) { return r.get() == request; });
        changed.notify_all();
    }

    // Waits on the events of the pending requests (and the wake-up event) and
    // finishes each request whose event is signalled.
    void CompletionLoop() {
        std::vector<HANDLE> events;
        std::vector<Request*> watched;
        for (;;) {
            events.assign(1, wake.handle);
            watched.clear();
            {
                std::lock_guard lock(mutex);
                if (stop && pending.empty()) return;
                for (const auto& r : pending) {
                    if (watched.size() == kMaxPending) break;
                    watched.push_back(r.get());
                    events.push_back(r->event.handle);
                }
            }
            const DWORD result = ::WaitForMultipleObjects(static_cast<DWORD>(events.size()),
                                                          events.data(), FALSE, INFINITE);
            if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + events.size()) {
                Finish(watched[result - WAIT_OBJECT_0 - 1]);
            }
            // The wake-up event is auto-reset: the next round sees the new list.
        }
    }
};

WinDriver::WinDriver(Win32Api& api) : impl_(std::make_unique<Impl>(api)) {
    impl_->completer = std::thread([impl = impl_.get()] { impl->CompletionLoop(); });
}

WinDriver::WinDriver(std::unique_ptr<Win32Api> api) : WinDriver(*api) {
    ownedApi_ = std::move(api);
}

WinDriver::~WinDriver() {
    std::vector<HANDLE> open;
    {
        std::lock_guard lock(impl_->mutex);
        for (const auto& [handle, state] : impl_->handles) {
            if (!state.closing) open.push_back(handle);
        }
    }
    for (HANDLE handle : open) Close(ToPort(handle));
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stop = true;
    }
    impl_->Wake();
    impl_->completer.join();
}

std::vector<std::string> WinDriver::EnumerateInterfaces(const usb::Guid& guid) {
    std::vector<std::string> paths;
    GUID interfaceClass;
    static_assert(sizeof interfaceClass == std::tuple_size_v<usb::Guid>);
    std::memcpy(&interfaceClass, guid.data(), sizeof interfaceClass);
    Win32Api& api = impl_->api;
    const HDEVINFO set = api.SetupDiGetClassDevsW(&interfaceClass, nullptr, nullptr,
                                                  DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return paths;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!api.SetupDiEnumDeviceInterfaces(set, nullptr, &interfaceClass, index, &data)) break;
        DWORD required = 0;
        api.SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr);
        constexpr DWORD kPathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
        if (required <= kPathOffset) continue;
        // Aligned as the structure wants; the path fills the rest.
        std::vector<std::uint64_t> storage((required + sizeof(std::uint64_t) - 1) /
                                           sizeof(std::uint64_t));
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(storage.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!api.SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, nullptr)) {
            continue;
        }
        const std::size_t room = (required - kPathOffset) / sizeof(WCHAR);
        // The path ends at its terminator, or at the end of the buffer without one.
        const std::wstring_view path(detail->DevicePath, ::wcsnlen(detail->DevicePath, room));
        paths.push_back(files::Utf8FromWide(path));
    }
    api.SetupDiDestroyDeviceInfoList(set);
    return paths;
}

usb::DriverHandle WinDriver::Open(const std::string& path, std::uint32_t& lastError) {
    const std::wstring wide = files::WideFromUtf8(path);
    const HANDLE file = impl_->api.CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    std::lock_guard lock(impl_->mutex);
    if (file == INVALID_HANDLE_VALUE) {
        lastError = ::GetLastError();
        impl_->lastOpenFailure = OpenFailureText(path, lastError);
        return usb::kInvalidHandle;
    }
    impl_->handles[file] = {};
    impl_->lastOpenFailure.clear();
    lastError = usb::error::kSuccess;
    return ToPort(file);
}

std::uint32_t WinDriver::Close(usb::DriverHandle handle) {
    const HANDLE file = ToWin32(handle);
    std::unique_lock lock(impl_->mutex);
    const auto it = impl_->handles.find(file);
    if (it == impl_->handles.end() || it->second.closing) return usb::error::kInvalidHandle;
    it->second.closing = true;
    lock.unlock();
    // A request started after this cancel sees `closing` and cancels itself.
    impl_->api.CancelIoEx(file, nullptr);
    lock.lock();
    impl_->changed.wait(
        lock, [&] { return impl_->handles.at(file).inCall == 0 && !impl_->PendingOn(file); });
    impl_->handles.erase(file);
    lock.unlock();
    return impl_->api.CloseHandle(file) ? usb::error::kSuccess : ::GetLastError();
}

std::uint32_t WinDriver::IoControl(usb::DriverHandle handle, std::uint32_t code,
                                   std::span<const std::uint8_t> input,
                                   std::span<std::uint8_t> output, std::uint32_t& bytesReturned,
                                   usb::Overlapped* overlapped) {
    bytesReturned = 0;
    constexpr std::size_t kLargest = std::numeric_limits<DWORD>::max();
    if (input.size() > kLargest || output.size() > kLargest) return usb::error::kInvalidParameter;
    const HANDLE file = ToWin32(handle);

    auto request = std::make_unique<Impl::Request>();
    if (request->event.handle == nullptr) return ::GetLastError();
    request->win.hEvent = request->event.handle;
    request->file = file;
    request->endpoint = EndpointOf(code, input);
    request->port = overlapped;
    {
        std::unique_lock lock(impl_->mutex);
        if (overlapped != nullptr) {
            impl_->changed.wait(
                lock, [&] { return impl_->pending.size() + impl_->reserved < kMaxPending; });
        }
        const auto it = impl_->handles.find(file);
        if (it == impl_->handles.end() || it->second.closing) return usb::error::kInvalidHandle;
        ++it->second.inCall;
        if (overlapped != nullptr) ++impl_->reserved;
    }
    // Ends the request's time inside IoControl and gives its reserved place to
    // `pending` or back; Close and other requests may be waiting for it.
    const auto leave = [&](bool registerPending) {
        std::lock_guard lock(impl_->mutex);
        Impl::HandleState& state = impl_->handles.at(file);
        if (registerPending) {
            if (state.closing) impl_->api.CancelIoEx(file, &request->win);
            impl_->pending.push_back(std::move(request));
        }
        --state.inCall;
        if (overlapped != nullptr) --impl_->reserved;
        impl_->changed.notify_all();
    };

    Win32Api& api = impl_->api;
    // Method-neither requests write into their input block: the buffers go as they are.
    DWORD bytes = 0;
    const BOOL atOnce = api.DeviceIoControl(
        file, code, input.empty() ? nullptr : const_cast<std::uint8_t*>(input.data()),
        static_cast<DWORD>(input.size()), output.empty() ? nullptr : output.data(),
        static_cast<DWORD>(output.size()), &bytes, &request->win);
    DWORD error = atOnce ? ERROR_SUCCESS : ::GetLastError();
    if (!atOnce && error != ERROR_IO_PENDING) {
        leave(false);  // refused: the port's overlapped stays untouched
        return error;
    }
    if (!atOnce && overlapped != nullptr) {
        leave(true);  // the completion thread finishes it
        impl_->Wake();
        return usb::error::kIoPending;
    }
    if (!atOnce) {
        // Waited for here; a Close under way cancels it as it cancels the others.
        std::lock_guard lock(impl_->mutex);
        if (impl_->handles.at(file).closing) api.CancelIoEx(file, &request->win);
    }
    // The count of an overlapped request is its result's, not the call's.
    const BOOL ok = api.GetOverlappedResult(file, &request->win, &bytes, atOnce ? FALSE : TRUE);
    error = ok ? ERROR_SUCCESS : ::GetLastError();
    leave(false);
    if (error != ERROR_SUCCESS) {
        if (overlapped == nullptr) bytesReturned = bytes;
        return error;
    }
    if (const auto aborted = usb::AbortedEndpoint(input);
        code == usb::ioctl::kAbortPipe && aborted) {
        // Whatever the driver left pending on that endpoint ends now.
        std::lock_guard lock(impl_->mutex);
        for (const auto& r : impl_->pending) {
            if (r->file == file && r->endpoint == *aborted) api.CancelIoEx(file, &r->win);
        }
    }
    return usb::CompleteAtOnce(bytes, bytesReturned, overlapped);
}

std::string WinDriver::LastOpenFailureText() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->lastOpenFailure;
}

}  // namespace velmor::win
