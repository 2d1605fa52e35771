#pragma once
// The Windows calls the vendor-driver backend makes to find, open and drive a
// controller, behind one interface so that tests can answer them with the
// simulated controller. SystemWin32Api() gives the one that calls Windows.
//
// Events are not in here: the backend makes and waits on its own Win32 events
// directly, and whoever answers a request through this interface signals the
// request's event as Windows does.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: setupapi.h builds on its types.
#include <setupapi.h>

#include <memory>

namespace velmor::win {

class Win32Api {
  public:
    virtual ~Win32Api() = default;

    // SetupAPI: the present interfaces of a class and their device paths.
    virtual HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND parent,
                                          DWORD flags) = 0;
    virtual BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device,
                                             const GUID* classGuid, DWORD index,
                                             PSP_DEVICE_INTERFACE_DATA data) = 0;
    virtual BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                                  PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail,
                                                  DWORD detailSize, PDWORD requiredSize,
                                                  PSP_DEVINFO_DATA device) = 0;
    virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) = 0;

    // The device handle and its I/O control requests. Failures set the calling
    // thread's last error (GetLastError), as Windows does.
    virtual HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                               HANDLE templateFile) = 0;
    virtual BOOL DeviceIoControl(HANDLE device, DWORD code, LPVOID input, DWORD inputSize,
                                 LPVOID output, DWORD outputSize, LPDWORD bytesReturned,
                                 LPOVERLAPPED overlapped) = 0;
    virtual BOOL GetOverlappedResult(HANDLE device, LPOVERLAPPED overlapped, LPDWORD bytes,
                                     BOOL wait) = 0;
    virtual BOOL CancelIoEx(HANDLE device, LPOVERLAPPED overlapped) = 0;
    virtual BOOL CloseHandle(HANDLE device) = 0;
};

// The calls as Windows answers them.
std::unique_ptr<Win32Api> SystemWin32Api();

}  // namespace velmor::win
