#pragma once
// Windows' side of the vendor-driver backend, answered by the simulated
// controller: SetupAPI lists the simulator's plugged devices under Windows-style
// interface paths, device handles are the simulator's, and DeviceIoControl hands
// the request blocks to the simulator unchanged. Overlapped requests end as
// Windows ends them: NT status in Internal, the byte count in InternalHigh, then
// the request's own (real) event signalled from the answering thread.

#include <condition_variable>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "drivers/sim/sim_driver.h"
#include "drivers/win/win32_api.h"

namespace velmor::testing {

class SimWin32Api : public win::Win32Api {
  public:
    explicit SimWin32Api(sim::SimDriver& sim);
    ~SimWin32Api() override;

    // The interface path Windows would give simulated device `index` (UTF-8).
    static std::string InterfacePath(std::size_t index);

    // Transfers go pending and are answered from a thread of this object, as a
    // real driver answers bulk transfers; otherwise they end inside the call.
    void AnswerLater(bool later) { answerLater_ = later; }
    // Device lists made and not destroyed yet.
    int OpenDeviceLists() const;

    HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent,
                                  DWORD flags) override;
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* classGuid,
                                     DWORD index, PSP_DEVICE_INTERFACE_DATA data) override;
    BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                                          DWORD detailSize, PDWORD requiredSize,
                                          PSP_DEVINFO_DATA device) override;
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;
    HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flags, HANDLE templateFile) override;
    BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                         DWORD outputSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped) override;
    BOOL GetOverlappedResult(HANDLE device, LPOVERLAPPED overlapped, LPDWORD bytes,
                             BOOL wait) override;
    BOOL CancelIoEx(HANDLE device, LPOVERLAPPED overlapped) override;
    BOOL CloseHandle(HANDLE device) override;

  private:
    enum class Stage { Queued, Running, InSimulator };
    struct Request {
        usb::DriverHandle sim = usb::kInvalidHandle;
        std::uint32_t code = 0;
        std::span<const std::uint8_t> input;
        std::span<std::uint8_t> output;
        OVERLAPPED* win = nullptr;
        std::uint8_t endpoint = 0;
        Stage stage = Stage::Running;
        bool cancelled = false;
        usb::Overlapped simOverlapped;
    };

    void Run(Request* request);
    void Settle(Request* request, std::uint32_t error, std::uint32_t bytes);
    void AbortInSimulator(usb::DriverHandle sim, std::uint8_t endpoint);
    void WorkerLoop();

    sim::SimDriver& sim_;
    bool answerLater_ = false;
    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::map<HDEVINFO, std::vector<std::wstring>> lists_;
    std::uintptr_t nextList_ = 0x5E70;
    std::map<HANDLE, usb::DriverHandle> handles_;
    std::list<std::unique_ptr<Request>> requests_;
    std::list<Request*> queue_;
    std::vector<std::thread> watchers_;
    bool stop_ = false;
    std::thread worker_;
};

}  // namespace velmor::testing
