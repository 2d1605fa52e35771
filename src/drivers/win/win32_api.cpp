#include "drivers/win/win32_api.h"

namespace velmor::win {

namespace {

class SystemApi final : public Win32Api {
  public:
    HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent,
                                  DWORD flags) override {
        return ::SetupDiGetClassDevsW(classGuid, enumerator, parent, flags);
    }
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* classGuid,
                                     DWORD index, PSP_DEVICE_INTERFACE_DATA data) override {
        return ::SetupDiEnumDeviceInterfaces(set, device, classGuid, index, data);
    }
    BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                          PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                                          DWORD detailSize, PDWORD requiredSize,
                                          PSP_DEVINFO_DATA device) override {
        return ::SetupDiGetDeviceInterfaceDetailW(set, data, detail, detailSize, requiredSize,
                                                  device);
    }
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override {
        return ::SetupDiDestroyDeviceInfoList(set);
    }
    HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                       DWORD disposition, DWORD flags, HANDLE templateFile) override {
        return ::CreateFileW(path, access, share, security, disposition, flags, templateFile);
    }
    BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize, LPVOID output,
                         DWORD outputSize, LPDWORD bytesReturned,
                         LPOVERLAPPED overlapped) override {
        return ::DeviceIoControl(device, code, input, inputSize, output, outputSize, bytesReturned,
                                 overlapped);
    }
    BOOL GetOverlappedResult(HANDLE device, LPOVERLAPPED overlapped, LPDWORD bytes,
                             BOOL wait) override {
        return ::GetOverlappedResult(device, overlapped, bytes, wait);
    }
    BOOL CancelIoEx(HANDLE device, LPOVERLAPPED overlapped) override {
        return ::CancelIoEx(device, overlapped);
    }
    BOOL CloseHandle(HANDLE device) override { return ::CloseHandle(device); }
};

}  // namespace

std::unique_ptr<Win32Api> SystemWin32Api() { return std::make_unique<SystemApi>(); }

}  // namespace velmor::win
