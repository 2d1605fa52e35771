#include "drivers/libusb/libusb_texts.h"

#include <libusb.h>

#include <cstdio>

#include "numbers/hex_text.h"
#include "usb/usb_driver.h"

namespace velmor::libusb {

namespace {

std::string DeviceNode(int bus, int address) {
    char text[32];
    std::snprintf(text, sizeof text, "/dev/bus/usb/%03d/%03d", bus, address);
    return text;
}

}  // namespace

std::string StartFailureText(int libusbError) {
    return std::string("libusb could not be started (") + libusb_strerror(libusbError) +
           "): real controllers cannot be reached. Start with --simulate to use the simulated "
           "controller.";
}

std::string NoDeviceText(std::span<const DeviceId> ids) {
    return "No controller found: no USB device with ID " + FormatDeviceIds(ids) +
           " is connected. Plug the controller in and switch it on, or name its ID with "
           "--match VID:PID (or " +
           kMatchEnvironment + ").";
}

std::string EndpointText(std::uint8_t endpoint) {
    return numbers::Hex(endpoint, {.digits = 2, .prefix = true});
}

Failure OpenFailure(int libusbError, const std::string& path, int bus, int address) {
    const std::string where = "the controller at " + path + " (" + DeviceNode(bus, address) + ")";
    switch (libusbError) {
        case LIBUSB_SUCCESS:
            return {};
        case LIBUSB_ERROR_ACCESS:
            return {error::kAccessDenied,
                    "Permission denied opening " + where + ". Install the package's udev rule (" +
                        kUdevRulePath +
                        "), then unplug the controller and plug it in again; or have your user "
                        "added to the group that owns the device node."};
        case LIBUSB_ERROR_BUSY:
            return {error::kBusy,
                    "The interface of " + where +
                        " is claimed by another program. Close the other program (another "
                        "velmortool or velmorctl, for instance) and try again."};
        case LIBUSB_ERROR_NO_DEVICE:
        case LIBUSB_ERROR_NOT_FOUND:
            return {usb::error::kFileNotFound,
                    "The controller at " + path +
                        " is no longer connected: it was unplugged or switched off. Plug it in "
                        "again."};
        default:
            return {usb::error::kGenFailure,
                    "Opening " + where + " failed: " + libusb_strerror(libusbError) + "."};
    }
}

std::string IsochronousText(std::uint8_t endpoint, const std::string& path) {
    return "Endpoint " + EndpointText(endpoint) + " of the controller at " + path +
           " is isochronous: isochronous transfers are not supported over libusb.";
}

std::uint32_t TransferError(int transferStatus) {
    switch (transferStatus) {
        case LIBUSB_TRANSFER_COMPLETED:
            return usb::error::kSuccess;
        case LIBUSB_TRANSFER_TIMED_OUT:
            return usb::error::kSemTimeout;
        case LIBUSB_TRANSFER_CANCELLED:
            return usb::error::kOperationAborted;
        case LIBUSB_TRANSFER_NO_DEVICE:
            return usb::error::kDeviceNotConnected;
        default:
            return usb::error::kGenFailure;
    }
}

Failure TransferFailure(int transferStatus, int submitError, std::uint8_t endpoint,
                        const std::string& path) {
    const std::string where =
        "endpoint " + EndpointText(endpoint) + " of the controller at " + path;
    if (transferStatus < 0) {
        if (submitError == LIBUSB_ERROR_NO_DEVICE) {
            return {usb::error::kDeviceNotConnected,
                    "The controller at " + path +
                        " is no longer connected: it was unplugged or switched off. Plug it in "
                        "again and reconnect."};
        }
        return {usb::error::kGenFailure, "A transfer on " + where + " could not be started: " +
                                             libusb_strerror(submitError) + "."};
    }
    const std::uint32_t code = TransferError(transferStatus);
    switch (transferStatus) {
        case LIBUSB_TRANSFER_COMPLETED:
            return {};
        case LIBUSB_TRANSFER_TIMED_OUT:
            return {code, "The controller did not answer on " + where +
                              " in time. Check the cable and that the controller is switched on."};
        case LIBUSB_TRANSFER_CANCELLED:
            return {code, "A transfer on " + where + " was cancelled."};
        case LIBUSB_TRANSFER_NO_DEVICE:
            return {code, "The controller at " + path +
                              " was unplugged during a transfer. Plug it in again and reconnect."};
        case LIBUSB_TRANSFER_STALL:
            return {code, "The controller refused a transfer on " + where +
                              " (the endpoint stalled). The endpoint is cleared before the next "
                              "transfer; if this repeats, reset the controller."};
        case LIBUSB_TRANSFER_OVERFLOW:
            return {code, "The controller sent more data than asked for on " + where + "."};
        default:
            return {code, "A transfer on " + where + " failed."};
    }
}

}  // namespace velmor::libusb
