#pragma once
// The simulated vendor driver: answers the driver port exactly as a real driver
// would, with one or more simulated controllers behind it. The embedded default
// for tests, demos and `--simulate`.
//
// What it does, request by request:
// - Enumeration lists the plugged devices of kInterfaceClass as "sim:<n>", n being
//   the device's index in AddDevice order (stable across unplug and replug).
// - Handles: any number per device. After Unplug every handle opened before
//   fails its requests with error 1167 (device not connected), also after
//   Replug: the program must open the device again, as with real hardware.
// - Transfers (control 0x220020, buffered 0x220024, direct 0x22004B) are parsed
//   and validated as a driver would; a malformed block fails with 87 and nothing
//   outside the given buffers is read or written. The NT and USBD status go back
//   into the block (for direct transfers into the requester's block given as
//   input, which the port defines as writable for that code).
// - Bulk transfers exist on 0x02 (out) and 0x82 (in) only; any other endpoint is
//   an invalid parameter.
// - A transfer with an overlapped completes at once, or, with
//   SimDeviceOptions::asyncCompletion, answers 997 and completes from the
//   driver's worker thread in the order issued. A transfer hit by the time-out
//   fault stays pending until its endpoint is aborted (0x220044), its handle is
//   closed or its device unplugged, and then completes with 995; without an
//   overlapped it fails at once with 121 instead, so nothing ever hangs.
// All operations are safe to call from several threads at once.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "drivers/sim/sim_controller.h"
#include "usb/usb_driver.h"

namespace velmor::sim {

// The interface class the vendor driver exposes controllers under,
// {AE18AA60-7F6A-11D4-97DD-00010229B959}, laid out as the GUID is in memory:
// Data1, Data2 and Data3 little-endian, then the last 8 bytes as written.
inline constexpr usb::Guid kInterfaceClass = {0x60, 0xAA, 0x18, 0xAE, 0x6A, 0x7F, 0xD4, 0x11,
                                              0x97, 0xDD, 0x00, 0x01, 0x02, 0x29, 0xB9, 0x59};

struct SimDeviceOptions {
    std::uint16_t bcdUSB = 0x0300;  // 0x0300: USB 3.0 with BOS and companions; 0x0210: USB 2.x
    // bNumInterfaces (1..4); 2 makes a device the program skips. Interfaces past
    // the first list bulk endpoints 0x04/0x84, 0x06/0x86, ...; transfers on them are refused.
    std::uint8_t interfaceCount = 1;
    std::uint8_t altSetting = 0;  // the alternate setting the driver reports
    std::string deviceName = "VelmorTool USB3 Controller";
    std::string stateFile;  // registers and flash persist here when not empty
    // Transfers with an overlapped answer 997 and complete from a worker thread.
    bool asyncCompletion = false;
    // Status reads that report busy after each flash command (the busy-wait path).
    std::uint32_t flashBusyReads = 1;
    // How long each transfer takes to be answered, as a USB link and a real
    // controller's firmware take (a high-speed microframe is 125 us); 0 answers
    // at once. With asyncCompletion the one worker thread waits it out.
    std::chrono::microseconds answerTime{0};
    std::uint16_t vendorId = 0x5A17;
    std::uint16_t productId = 0x00F1;
    std::string serialNumber;  // empty: "SIM" and the device index, e.g. "SIM0"
    std::string secondName = "Velmor USB Device";
};

// One attached (or unplugged) simulated device.
class SimDevice {
  public:
    virtual ~SimDevice() = default;
    virtual SimController& Controller() = 0;
    virtual const SimDeviceOptions& Options() const = 0;
    virtual void Unplug() = 0;  // vanishes from enumeration; open handles fail
    virtual void Replug() = 0;
    virtual bool Plugged() const = 0;
    // The path enumeration lists for this device ("sim:0", ...).
    virtual std::string Path() const = 0;
    // Saves the state file now when anything is unsaved; true when there is no
    // state file or the save worked.
    virtual bool FlushState() = 0;
};

class SimDriver : public usb::UsbDriver {
  public:
    SimDriver();
    ~SimDriver() override;
    SimDriver(const SimDriver&) = delete;
    SimDriver& operator=(const SimDriver&) = delete;

    // A driver with one plugged device, the usual set-up of tests and demos.
    static std::unique_ptr<SimDriver> WithOneDevice(const SimDeviceOptions& options = {});

    // The returned device lives as long as the driver.
    SimDevice& AddDevice(const SimDeviceOptions& options = {});
    std::size_t DeviceCount() const;
    SimDevice& Device(std::size_t index);

    // usb::UsbDriver
    std::vector<std::string> EnumerateInterfaces(const usb::Guid& guid) override;
    usb::DriverHandle Open(const std::string& path, std::uint32_t& lastError) override;
    std::uint32_t Close(usb::DriverHandle handle) override;
    std::uint32_t IoControl(usb::DriverHandle handle, std::uint32_t code,
                            std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                            std::uint32_t& bytesReturned, usb::Overlapped* overlapped) override;

    // Every request this driver received, newest last (code and the input bytes),
    // for tests that check what went over the port. Keeps the newest kRequestLogLimit.
    struct Request {
        std::uint32_t code = 0;
        std::vector<std::uint8_t> input;
    };
    static constexpr std::size_t kRequestLogLimit = 4096;
    std::vector<Request> Requests() const;
    void ClearRequests();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace velmor::sim
