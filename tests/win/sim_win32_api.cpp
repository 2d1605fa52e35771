#include "sim_win32_api.h"

#include <atomic>
#include <cstddef>
#include <cstring>

#include "files/wide_text_win.h"
#include "usb/ioctl_codes.h"

namespace velmor::testing {

namespace {

constexpr ULONG_PTR kStatusPending = 0x103;

// NT status of a Win32 error and back, for the errors the simulator gives.
struct StatusPair {
    std::uint32_t error;
    ULONG_PTR status;
};
constexpr StatusPair kStatuses[] = {
    {ERROR_SUCCESS, 0},
    {ERROR_OPERATION_ABORTED, 0xC0000120},  // STATUS_CANCELLED
    {ERROR_INVALID_PARAMETER, 0xC000000D},
    {ERROR_SEM_TIMEOUT, 0xC00000B5},  // STATUS_IO_TIMEOUT
    {ERROR_DEVICE_NOT_CONNECTED, 0xC000009D},
    {ERROR_INVALID_HANDLE, 0xC0000008},
    {ERROR_INSUFFICIENT_BUFFER, 0xC0000023},  // STATUS_BUFFER_TOO_SMALL
    {ERROR_INVALID_FUNCTION, 0xC0000010},     // STATUS_INVALID_DEVICE_REQUEST
    {ERROR_GEN_FAILURE, 0xC0000001},          // STATUS_UNSUCCESSFUL
};

ULONG_PTR StatusOf(std::uint32_t error) {
    for (const StatusPair& p : kStatuses)
        if (p.error == error) return p.status;
    return 0xC0000001;
}

std::uint32_t ErrorOf(ULONG_PTR status) {
    for (const StatusPair& p : kStatuses)
        if (p.status == status) return p.error;
    return ERROR_GEN_FAILURE;
}

bool IsTransfer(DWORD code) {
    return code == usb::ioctl::kSendControlTransfer || code == usb::ioctl::kSendBufferedTransfer ||
           code == usb::ioctl::kDirectTransfer;
}

}  // namespace

SimWin32Api::SimWin32Api(sim::SimDriver& sim) : sim_(sim) {
    worker_ = std::thread([this] { WorkerLoop(); });
}

SimWin32Api::~SimWin32Api() {
    std::vector<usb::DriverHandle> open;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        for (const auto& [handle, simHandle] : handles_) open.push_back(simHandle);
    }
    queued_.notify_all();
    worker_.join();
    for (usb::DriverHandle h : open) sim_.Close(h);  // ends what hangs in the simulator
    for (std::thread& t : watchers_) t.join();
}

std::string SimWin32Api::InterfacePath(std::size_t index) {
    // The second device's path is not ASCII: paths are UTF-8 inside the program.
    const std::string serial = "sim" + std::to_string(index) + (index == 1 ? "-\xC2\xB5" : "");
    return "\\\\?\\usb#vid_5a17&pid_00f1#" + serial + "#{ae18aa60-7f6a-11d4-97dd-00010229b959}";
}

int SimWin32Api::OpenDeviceLists() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(lists_.size());
}

HDEVINFO SimWin32Api::SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND,
                                           DWORD flags) {
    if (classGuid == nullptr || enumerator != nullptr ||
        flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {
        ::SetLastError(ERROR_INVALID_FLAGS);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<std::wstring> paths;
    if (std::memcmp(classGuid, sim::kInterfaceClass.data(), sizeof(GUID)) == 0) {
        for (std::size_t i = 0; i < sim_.DeviceCount(); ++i) {
            if (sim_.Device(i).Plugged()) paths.push_back(files::WideFromUtf8(InterfacePath(i)));
        }
    }
    std::lock_guard lock(mutex_);
    const auto set = reinterpret_cast<HDEVINFO>(nextList_++);
    lists_[set] = std::move(paths);
    return set;
}

BOOL SimWin32Api::SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID*,
                                              DWORD index, PSP_DEVICE_INTERFACE_DATA data) {
    std::lock_guard lock(mutex_);
    const auto it = lists_.find(set);
    if (it == lists_.end() || data == nullptr || data->cbSize != sizeof *data) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (index >= it->second.size()) {
        ::SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    data->Reserved = index;
    return TRUE;
}

BOOL SimWin32Api::SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                                   PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                                                   DWORD detailSize, PDWORD requiredSize,
                                                   PSP_DEVINFO_DATA) {
    std::lock_guard lock(mutex_);
    const auto it = lists_.find(set);
    if (it == lists_.end() || data == nullptr || data->Reserved >= it->second.size()) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::wstring& path = it->second[data->Reserved];
    const DWORD required =
        static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                           (path.size() + 1) * sizeof(WCHAR));
    if (requiredSize != nullptr) *requiredSize = required;
    if (detail == nullptr || detailSize < required) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (detail->cbSize != sizeof *detail) {
        ::SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    std::memcpy(detail->DevicePath, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
    return TRUE;
}

BOOL SimWin32Api::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    std::lock_guard lock(mutex_);
    return lists_.erase(set) == 1 ? TRUE : FALSE;
}

HANDLE SimWin32Api::CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                                DWORD disposition, DWORD flags, HANDLE) {
    if (access != (GENERIC_READ | GENERIC_WRITE) || share != (FILE_SHARE_READ | FILE_SHARE_WRITE) ||
        disposition != OPEN_EXISTING || flags != FILE_FLAG_OVERLAPPED) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string simPath;
    for (std::size_t i = 0; i < sim_.DeviceCount(); ++i) {
        if (files::WideFromUtf8(InterfacePath(i)) == path) simPath = sim_.Device(i).Path();
    }
    std::uint32_t error = ERROR_FILE_NOT_FOUND;
    const usb::DriverHandle simHandle =
        simPath.empty() ? usb::kInvalidHandle : sim_.Open(simPath, error);
    if (simHandle == usb::kInvalidHandle) {
        ::SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    std::lock_guard lock(mutex_);
    const auto handle = reinterpret_cast<HANDLE>(0x10000 + simHandle * 4);
    handles_[handle] = simHandle;
    return handle;
}

BOOL SimWin32Api::DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize,
                                  LPVOID output, DWORD outputSize, LPDWORD bytesReturned,
                                  LPOVERLAPPED overlapped) {
    // The handle is overlapped: every request needs an OVERLAPPED with an event.
    if (overlapped == nullptr || overlapped->hEvent == nullptr) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto request = std::make_unique<Request>();
    Request* r = request.get();
    {
        std::lock_guard lock(mutex_);
        const auto it = handles_.find(device);
        if (it == handles_.end()) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        r->sim = it->second;
        r->code = code;
        r->input = {static_cast<const std::uint8_t*>(input), inputSize};
        r->output = {static_cast<std::uint8_t*>(output), outputSize};
        r->win = overlapped;
        r->endpoint = IsTransfer(code) && inputSize > 13 ? r->input[13] : 0;
        ::ResetEvent(overlapped->hEvent);
        std::atomic_ref(overlapped->Internal).store(kStatusPending);
        overlapped->InternalHigh = 0;
        requests_.push_back(std::move(request));
        if (answerLater_ && IsTransfer(code)) {
            r->stage = Stage::Queued;
            queue_.push_back(r);
            queued_.notify_all();
            ::SetLastError(ERROR_IO_PENDING);
            return FALSE;
        }
    }
    std::uint32_t bytes = 0;
    const std::uint32_t error =
        sim_.IoControl(r->sim, code, r->input, r->output, bytes, &r->simOverlapped);
    if (error == usb::error::kIoPending) {
        Run(r);  // the simulator holds it: watch it from here on
        ::SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }
    Settle(r, error, bytes);
    if (error != ERROR_SUCCESS) {
        ::SetLastError(error);
        return FALSE;
    }
    if (bytesReturned != nullptr) *bytesReturned = bytes;
    return TRUE;
}

// A request the simulator left pending: a watcher takes its outcome when it ends,
// and a cancel that came while it was on its way reaches it now.
void SimWin32Api::Run(Request* r) {
    bool cancelled = false;
    {
        std::lock_guard lock(mutex_);
        r->stage = Stage::InSimulator;
        cancelled = r->cancelled;
        watchers_.emplace_back([this, r] {
            r->simOverlapped.Wait(usb::kInfinite);
            std::uint32_t bytes = 0;
            std::uint32_t error = 0;
            r->simOverlapped.Result(bytes, error);
            Settle(r, error, bytes);
        });
    }
    if (cancelled) AbortInSimulator(r->sim, r->endpoint);
}

void SimWin32Api::Settle(Request* r, std::uint32_t error, std::uint32_t bytes) {
    OVERLAPPED* win = r->win;
    {
        std::lock_guard lock(mutex_);
        requests_.remove_if([r](const auto& p) { return p.get() == r; });
    }
    win->InternalHigh = bytes;
    std::atomic_ref(win->Internal).store(StatusOf(error));
    ::SetEvent(win->hEvent);  // the requester may let go of `win` from here on
}

void SimWin32Api::AbortInSimulator(usb::DriverHandle sim, std::uint8_t endpoint) {
    std::uint32_t bytes = 0;
    sim_.IoControl(sim, usb::ioctl::kAbortPipe, {&endpoint, 1}, {}, bytes, nullptr);
}

void SimWin32Api::WorkerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (stop_) return;
        Request* r = queue_.front();
        queue_.pop_front();
        r->stage = Stage::Running;
        lock.unlock();
        std::uint32_t bytes = 0;
        const std::uint32_t error =
            sim_.IoControl(r->sim, r->code, r->input, r->output, bytes, &r->simOverlapped);
        if (error == usb::error::kIoPending) {
            Run(r);
        } else {
            Settle(r, error, bytes);
        }
        lock.lock();
    }
}

BOOL SimWin32Api::GetOverlappedResult(HANDLE, LPOVERLAPPED overlapped, LPDWORD bytes, BOOL wait) {
    if (std::atomic_ref(overlapped->Internal).load() == kStatusPending) {
        if (!wait) {
            ::SetLastError(ERROR_IO_INCOMPLETE);
            return FALSE;
        }
        ::WaitForSingleObject(overlapped->hEvent, INFINITE);
    }
    const ULONG_PTR status = std::atomic_ref(overlapped->Internal).load();
    *bytes = static_cast<DWORD>(overlapped->InternalHigh);
    if (status != 0) {
        ::SetLastError(ErrorOf(status));
        return FALSE;
    }
    return TRUE;
}

BOOL SimWin32Api::CancelIoEx(HANDLE device, LPOVERLAPPED overlapped) {
    std::vector<Request*> dropped;
    std::vector<std::pair<usb::DriverHandle, std::uint8_t>> aborts;
    bool found = false;
    {
        std::lock_guard lock(mutex_);
        const auto it = handles_.find(device);
        if (it == handles_.end()) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        for (const auto& p : requests_) {
            if (p->sim != it->second || (overlapped != nullptr && p->win != overlapped)) continue;
            found = true;
            p->cancelled = true;
            if (p->stage == Stage::Queued) {
                queue_.remove(p.get());
                dropped.push_back(p.get());
            } else if (p->stage == Stage::InSimulator) {
                aborts.emplace_back(p->sim, p->endpoint);
            }
        }
    }
    for (Request* r : dropped) Settle(r, ERROR_OPERATION_ABORTED, 0);
    for (const auto& [sim, endpoint] : aborts) AbortInSimulator(sim, endpoint);
    if (!found) {
        ::SetLastError(ERROR_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

BOOL SimWin32Api::CloseHandle(HANDLE device) {
    usb::DriverHandle simHandle = usb::kInvalidHandle;
    {
        std::lock_guard lock(mutex_);
        const auto it = handles_.find(device);
        if (it == handles_.end()) {
            ::SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        simHandle = it->second;
        handles_.erase(it);
    }
    sim_.Close(simHandle);
    return TRUE;
}

}  // namespace velmor::testing
