#pragma once
// The error the USB layer raises; carries the message text shown to the user.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace velmor::usb {

class UsbError : public std::runtime_error {
  public:
    explicit UsbError(const std::string& text, std::uint32_t lastError = 0)
        : std::runtime_error(text), lastError_(lastError) {}
    std::uint32_t LastError() const { return lastError_; }

  private:
    std::uint32_t lastError_;
};

}  // namespace velmor::usb
