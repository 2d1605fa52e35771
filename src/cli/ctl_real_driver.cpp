#include "cli/ctl_real_driver.h"

namespace velmor::cli {

RealDriverFactory DefaultRealDriverFactory() {
    return [](std::string& error) -> std::unique_ptr<usb::UsbDriver> {
        error = "no USB backend for real devices in this build; use --simulate";
        return nullptr;
    };
}

}  // namespace velmor::cli
