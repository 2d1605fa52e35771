#pragma once
// The driver port: the only way the USB layer reaches a USB driver.
//
// It mirrors the operations the USB layer relies on from a vendor driver that is
// reached through device-interface enumeration, device handles and overlapped I/O
// control requests. Backends: the simulated controller (drivers/sim) today; libusb
// and the Windows vendor driver later. Every operation may be called from any
// thread; a backend must be safe for concurrent calls on different requests.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "usb/overlapped.h"

namespace velmor::usb {

// Interface class identifier, as 16 raw bytes.
using Guid = std::array<std::uint8_t, 16>;

// Opaque device handle. kInvalidHandle while no device is open.
using DriverHandle = std::intptr_t;
inline constexpr DriverHandle kInvalidHandle = -1;

// Opaque window identifier for arrival/removal notifications; 0 = no window.
using WindowId = std::uintptr_t;

// Opaque notification registration; 0 = none.
using NotificationHandle = std::uintptr_t;

// Last-error codes the USB layer distinguishes (Windows values, kept so that
// texts and logs read the same on every platform).
namespace error {
inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kFileNotFound = 2;
inline constexpr std::uint32_t kInvalidHandle = 6;
inline constexpr std::uint32_t kGenFailure = 31;
inline constexpr std::uint32_t kInvalidParameter = 87;
inline constexpr std::uint32_t kInsufficientBuffer = 122;
inline constexpr std::uint32_t kNoMoreItems = 259;
inline constexpr std::uint32_t kOperationAborted = 995;
inline constexpr std::uint32_t kIoIncomplete = 996;
inline constexpr std::uint32_t kIoPending = 997;
inline constexpr std::uint32_t kDeviceNotConnected = 1167;
inline constexpr std::uint32_t kSemTimeout = 121;
}  // namespace error

class UsbDriver {
  public:
    virtual ~UsbDriver() = default;

    // Paths of the interfaces of class `guid` present now, in enumeration order.
    // Called on every device count; must be cheap. Never fails: no devices = empty.
    virtual std::vector<std::string> EnumerateInterfaces(const Guid& guid) = 0;

    // Opens `path` for overlapped reading and writing. Returns kInvalidHandle and
    // sets `lastError` on failure (e.g. kFileNotFound when the device has gone).
    virtual DriverHandle Open(const std::string& path, std::uint32_t& lastError) = 0;

    // Closes a handle returned by Open. Pending requests on it complete with
    // kOperationAborted before this returns. Returns kSuccess or an error code.
    virtual std::uint32_t Close(DriverHandle handle) = 0;

    // Issues I/O control `code` with `input` and `output` buffers (which may be the
    // same memory). Both buffers stay valid until the request has completed.
    //
    // Request blocks: for kSendControlTransfer and kSendBufferedTransfer the block
    // is both input and output; the driver writes the NT and USBD status (offsets
    // 14 and 18), in-data at the block's data offset and isochronous packet results
    // back into it, and `bytesReturned` counts the whole block (header included).
    // kDirectTransfer is a method-neither request: `input` is the requester's own
    // writable block (38 bytes, plus 8 per isochronous packet), into which the driver
    // writes the statuses and packet results, and `output` is the caller's data
    // buffer; `bytesReturned` counts data bytes only.
    //
    // kAbortPipe (input: the endpoint address, 1 byte) must complete every pending
    // request of that endpoint before it returns or soon after, through its
    // overlapped (kOperationAborted, or success when it had finished anyway): the
    // USB layer waits without limit after an abort, because the driver may still
    // write into the request's buffers until then.
    //
    // The USB layer issues descriptor reads, driver queries and aborts without an
    // overlapped (from OpenDevice and from the transfer that timed out), and
    // endpoint transfers with one (from any thread, one at a time per endpoint).
    //
    // Without `overlapped` the call is synchronous: it returns kSuccess or an error
    // code and sets `bytesReturned`.
    //
    // With `overlapped`: returns kSuccess when the request completed at once (the
    // overlapped is then completed too, its event signalled, `bytesReturned` set);
    // error::kIoPending when it will complete later through
    // `overlapped->Complete(...)`, from any thread; any other code on failure (the
    // overlapped is then left untouched).
    virtual std::uint32_t IoControl(DriverHandle handle, std::uint32_t code,
                                    std::span<const std::uint8_t> input,
                                    std::span<std::uint8_t> output, std::uint32_t& bytesReturned,
                                    Overlapped* overlapped) = 0;

    // Waits for the overlapped's event, at most `timeoutMs` (kInfinite: no limit).
    // The default works for backends that complete through Overlapped::Complete.
    virtual WaitResult WaitForCompletion(Overlapped& overlapped, std::uint32_t timeoutMs) {
        return overlapped.Wait(timeoutMs);
    }

    // Takes the result of an overlapped request without waiting: true and the
    // bytes moved when it completed successfully; false with `lastError`
    // (kIoIncomplete while still running, or the request's error) otherwise.
    virtual bool GetOverlappedResult(DriverHandle /*handle*/, Overlapped& overlapped,
                                     std::uint32_t& bytes, std::uint32_t& lastError) {
        return overlapped.Result(bytes, lastError);
    }

    // Arrival/removal notifications. Optional: the default registers nothing and
    // reports success (the program polls for connection changes anyway).
    virtual NotificationHandle RegisterInterfaceNotification(WindowId /*window*/,
                                                             const Guid& /*guid*/) {
        return 1;
    }
    virtual NotificationHandle RegisterHandleNotification(WindowId /*window*/,
                                                          DriverHandle /*handle*/) {
        return 1;
    }
    virtual bool UnregisterNotification(NotificationHandle /*notification*/) { return true; }
};

}  // namespace velmor::usb
