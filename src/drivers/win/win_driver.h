#pragma once
// The driver port on the vendor driver itself: controllers are found as device
// interfaces through SetupAPI, opened as overlapped device handles and driven
// with DeviceIoControl, the request blocks passed through unchanged. Error codes
// are Windows' own, as the port's are.
//
// Requests with an overlapped are carried by a Win32 OVERLAPPED with an event of
// its own; when Windows reports them pending, a completion thread waits on their
// events and completes the port's overlapped with the request's outcome. A
// successful kAbortPipe also cancels what is still pending on that endpoint, and
// Close cancels everything pending on its handle and waits until it has ended.
// Safe for concurrent calls.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drivers/win/win32_api.h"
#include "usb/usb_driver.h"

namespace velmor::win {

class WinDriver : public usb::UsbDriver {
  public:
    // Requests pending at once, at most; a further one waits for one to end
    // (one wait of the completion thread covers 63 requests and its wake-up).
    static constexpr std::size_t kMaxPending = MAXIMUM_WAIT_OBJECTS - 1;

    // `api` must outlive the driver.
    explicit WinDriver(Win32Api& api);
    explicit WinDriver(std::unique_ptr<Win32Api> api);
    ~WinDriver() override;  // closes what is still open
    WinDriver(const WinDriver&) = delete;
    WinDriver& operator=(const WinDriver&) = delete;

    std::vector<std::string> EnumerateInterfaces(const usb::Guid& guid) override;
    usb::DriverHandle Open(const std::string& path, std::uint32_t& lastError) override;
    std::uint32_t Close(usb::DriverHandle handle) override;
    std::uint32_t IoControl(usb::DriverHandle handle, std::uint32_t code,
                            std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                            std::uint32_t& bytesReturned, usb::Overlapped* overlapped) override;

    // Why the last Open failed, for a person; empty when it worked.
    std::string LastOpenFailureText() const;

  private:
    struct Impl;
    std::unique_ptr<Win32Api> ownedApi_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace velmor::win
