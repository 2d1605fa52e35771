#pragma once
// Controllers emulated under umockdev: a testbed whose USB devices answer the
// usbfs ioctls from the simulated controller model (registers, flash, motors,
// panel), so an unchanged libusb, and the libusb backend over it, talks to them
// as to real hardware, without root and without hardware.
//
// The program must be linked with umockdev's preload library (done by the
// velmor_usbfs_mock target), and a testbed must exist before libusb starts:
// libusb enumerates once at start and learns of later devices by uevents.
//
// Threads: umockdev answers ioctls on a thread of its own. Submitted URBs are
// carried out against the model at once and wait, per open file, in a queue
// guarded by a mutex until the client reaps them; a URB hit by the model's
// time-out fault waits there until it is discarded (it then completes with
// -ENOENT) or its device is unplugged (-ENODEV). Unplug and the knobs may be
// called from the test's thread at any time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_usb_device.h"

namespace velmor::testing {

class UsbfsMock {
  public:
    UsbfsMock();
    ~UsbfsMock();
    UsbfsMock(const UsbfsMock&) = delete;
    UsbfsMock& operator=(const UsbfsMock&) = delete;

    // Adds a device on bus 1 at address 2, 3, ... with the descriptors, strings and
    // controller model of a simulated device with these options.
    sim::SimUsbDevice& AddDevice(const sim::SimDeviceOptions& options = {});
    std::size_t DeviceCount() const;
    sim::SimUsbDevice& Device(std::size_t index);

    // The path the libusb backend lists the device under ("usb:001:002").
    std::string Path(std::size_t index) const;

    // Takes the device away: URBs still waiting complete with -ENODEV, every
    // later request fails with ENODEV, and the device leaves sysfs with a
    // "remove" uevent.
    void Unplug(std::size_t index);
    // Another program has claimed the interface: claims fail with EBUSY.
    void SetInterfaceBusy(std::size_t index, bool busy);
    // URBs submitted to the device so far.
    std::size_t Submitted(std::size_t index) const;
    // Every usbfs ioctl the device has answered so far (reaps that found nothing too).
    std::size_t Requests(std::size_t index) const;

    struct MockDevice;

  private:
    void* testbed_;  // UMockdevTestbed
    std::vector<std::unique_ptr<MockDevice>> devices_;
};

}  // namespace velmor::testing
