#pragma once
// The simulated vendor driver: answers the driver port exactly as a real driver
// would, with one or more simulated controllers behind it. The embedded default
// for tests, demos and `--simulate`.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "drivers/sim/sim_controller.h"
#include "usb/usb_driver.h"

namespace velmor::sim {

struct SimDeviceOptions {
    std::uint16_t bcdUSB = 0x0300;  // 0x0300: USB 3.0 with BOS and companions; 0x0210: USB 2.x
    std::uint8_t interfaceCount = 1;  // bNumInterfaces; 2 makes a device the program skips
    std::uint8_t altSetting = 0;      // the alternate setting the driver reports
    std::string deviceName = "VelmorTool USB3 Controller";
    std::string stateFile;  // registers and flash persist here when not empty
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
};

class SimDriver : public usb::UsbDriver {
public:
    SimDriver();
    ~SimDriver() override;

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
    // for tests that check what went over the port.
    struct Request {
        std::uint32_t code = 0;
        std::vector<std::uint8_t> input;
    };
    std::vector<Request> Requests() const;
    void ClearRequests();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace velmor::sim
