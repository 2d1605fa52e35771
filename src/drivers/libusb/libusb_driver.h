#pragma once
// The driver port on libusb-1.0: real controllers on Linux without a vendor
// driver, reached through usbfs (the udev rule of the package gives the user
// at the seat access to them).
//
// What it does, request by request:
// - EnumerateInterfaces lists the connected devices whose IDs are in the list
//   given at creation, as "usb:<bus>:<address>" (three decimal digits each), in
//   bus and address order. Only usb::kVendorInterfaceClass is known; any other class
//   lists nothing. A product string in the list is checked once per device.
// - Open claims interface 0 of the device at a path. A device that is gone fails
//   with 2 (file not found), missing permissions with 5 (access denied), an
//   interface another program has claimed with 170 (busy); LastErrorText() says
//   what to do. Any number of handles per device is fine within one process.
// - Driver queries answer from libusb and the device: the product string as the
//   device name, the manufacturer string as the second name, the address, the
//   speed, and the alternate setting through a GET_INTERFACE request.
// - Transfers: control blocks become control transfers on endpoint 0; buffered
//   and direct blocks become bulk or interrupt transfers, as the endpoint's
//   descriptor says. Isochronous endpoints and packet descriptors are refused
//   with 50 (not supported). Buffered and direct transfers hand the caller's
//   own memory to libusb (no copy); a control transfer copies its data once, as
//   libusb's own control call does. A control block times out after its
//   timeOutSeconds; bulk transfers have no time-out of their own, the USB layer
//   aborts them (without an overlapped every transfer times out after 5 s).
// - Outcomes: 0, 121 (timed out), 995 (cancelled by an abort or a close), 1167
//   (device gone), 31 (anything else; the USBD status tells a stall). A stalled
//   endpoint is cleared before its next transfer.
// - Abort (0x220044) cancels the endpoint's transfers on that handle and returns
//   once they have completed, with 995 (or success, when one had finished
//   anyway). Close does the same for all transfers of the handle.
//
// Threads. libusb completes transfers while handling events, and this backend
// handles them on the thread that waits: WaitForCompletion, GetOverlappedResult,
// a call without an overlapped, Abort and Close run libusb's event loop on the
// calling thread until their request is done. So a transfer and its wait involve
// no other thread, as with a bare synchronous libusb call, and
// Overlapped::Complete runs on a thread inside one of those calls. While an
// interface notification is registered, an event thread also handles events:
// it runs the hotplug listener and may complete transfers itself. Every
// operation may be called from any thread.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drivers/libusb/device_ids.h"
#include "usb/usb_driver.h"

namespace velmor::libusb {

class LibusbDriver final : public usb::UsbDriver {
  public:
    // Starts libusb. None, with `error` set to a text for a person, when libusb
    // cannot be started: the program has no backend for real devices then.
    static std::unique_ptr<LibusbDriver> Create(std::vector<DeviceId> ids, std::string& error);
    ~LibusbDriver() override;
    LibusbDriver(const LibusbDriver&) = delete;
    LibusbDriver& operator=(const LibusbDriver&) = delete;

    const std::vector<DeviceId>& Ids() const;

    // Why the last failed open or transfer failed, and what to do; empty when
    // nothing has failed yet.
    std::string LastErrorText() const;

    // Called (on the event thread) when a matching device arrives (true) or
    // leaves (false), while an interface notification is registered.
    void SetHotplugListener(std::function<void(bool arrived)> listener);

    // usb::UsbDriver
    std::vector<std::string> EnumerateInterfaces(const usb::Guid& guid) override;
    usb::DriverHandle Open(const std::string& path, std::uint32_t& lastError) override;
    std::uint32_t Close(usb::DriverHandle handle) override;
    std::uint32_t IoControl(usb::DriverHandle handle, std::uint32_t code,
                            std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                            std::uint32_t& bytesReturned, usb::Overlapped* overlapped) override;
    usb::WaitResult WaitForCompletion(usb::Overlapped& overlapped,
                                      std::uint32_t timeoutMs) override;
    bool GetOverlappedResult(usb::DriverHandle handle, usb::Overlapped& overlapped,
                             std::uint32_t& bytes, std::uint32_t& lastError) override;
    usb::NotificationHandle RegisterInterfaceNotification(usb::WindowId window,
                                                          const usb::Guid& guid) override;
    bool UnregisterNotification(usb::NotificationHandle notification) override;

  private:
    struct Impl;
    explicit LibusbDriver(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace velmor::libusb
