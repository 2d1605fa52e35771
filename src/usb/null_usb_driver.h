#pragma once
// The smallest backend of the driver port: no device is ever present, and every
// request on a handle fails as it would on a handle that is not open. The
// program runs on it when no real or simulated backend is chosen, and it shows
// what a backend must answer when it has nothing to offer.

#include "usb/usb_driver.h"

namespace velmor::usb {

class NullUsbDriver : public UsbDriver {
  public:
    std::vector<std::string> EnumerateInterfaces(const Guid& /*guid*/) override { return {}; }

    DriverHandle Open(const std::string& /*path*/, std::uint32_t& lastError) override {
        lastError = error::kFileNotFound;
        return kInvalidHandle;
    }

    std::uint32_t Close(DriverHandle /*handle*/) override { return error::kInvalidHandle; }

    std::uint32_t IoControl(DriverHandle /*handle*/, std::uint32_t /*code*/,
                            std::span<const std::uint8_t> /*input*/,
                            std::span<std::uint8_t> /*output*/, std::uint32_t& bytesReturned,
                            Overlapped* /*overlapped*/) override {
        bytesReturned = 0;
        return error::kInvalidHandle;  // the overlapped stays untouched, as on any failure
    }
};

}  // namespace velmor::usb
