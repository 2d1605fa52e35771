#include "drivers/win/win_texts.h"

#include "usb/usb_driver.h"

namespace velmor::win {

namespace {

// Win32 errors an open of a device interface meets, besides those the port names.
constexpr std::uint32_t kPathNotFound = 3;
constexpr std::uint32_t kAccessDenied = 5;
constexpr std::uint32_t kSharingViolation = 32;

}  // namespace

std::string NoDeviceText() {
    return std::string("No controller found: no device of the vendor driver's interface class ") +
           kInterfaceClassText +
           " is present. Plug the controller in and switch it on, and check in the Device "
           "Manager that the vendor USB driver is installed for it.";
}

std::string OpenFailureText(const std::string& path, std::uint32_t error) {
    const std::string where = "the controller at " + path;
    const std::string code = " (Windows error " + std::to_string(error) + ")";
    switch (error) {
        case usb::error::kFileNotFound:
        case kPathNotFound:
        case usb::error::kDeviceNotConnected:
            return "The controller at " + path +
                   " is no longer connected: it was unplugged or switched off" + code +
                   ". Plug it in again.";
        case kAccessDenied:
        case kSharingViolation:
            return "Access to " + where + " was refused" + code +
                   ": another program (another velmortool or velmorctl, for instance) may have "
                   "it open. Close the other program and try again.";
        default:
            return "Opening " + where + " failed" + code + ".";
    }
}

}  // namespace velmor::win
