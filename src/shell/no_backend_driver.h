#pragma once
// The driver for real devices until a backend exists: it finds no device and
// opens nothing, so the program runs disconnected instead of pretending.

#include "usb/usb_driver.h"

namespace velmor::shell {

class NoBackendDriver final : public usb::UsbDriver {
  public:
    static constexpr const char* kNotice =
        "No USB driver backend for real devices is available yet: running disconnected. "
        "Start with --simulate to use the simulated controller.";

    std::vector<std::string> EnumerateInterfaces(const usb::Guid&) override { return {}; }
    usb::DriverHandle Open(const std::string&, std::uint32_t& lastError) override {
        lastError = usb::error::kFileNotFound;
        return usb::kInvalidHandle;
    }
    std::uint32_t Close(usb::DriverHandle) override { return usb::error::kInvalidHandle; }
    std::uint32_t IoControl(usb::DriverHandle, std::uint32_t, std::span<const std::uint8_t>,
                            std::span<std::uint8_t>, std::uint32_t& bytesReturned,
                            usb::Overlapped*) override {
        bytesReturned = 0;
        return usb::error::kInvalidHandle;
    }
};

}  // namespace velmor::shell
