#pragma once
// What the libusb backend tells a person when a controller cannot be reached or
// a transfer fails: the cause and what to do about it. Pure functions, so the
// programs and the tests use the same texts.

#include <cstdint>
#include <span>
#include <string>

#include "drivers/libusb/device_ids.h"

namespace velmor::libusb {

// Error codes of the port that only this backend gives (Windows values, as the
// port's own codes are).
namespace error {
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kNotSupported = 50;
inline constexpr std::uint32_t kBusy = 170;
}  // namespace error

// The udev rule the package installs, named in the permission text.
inline constexpr const char* kUdevRulePath = "/usr/lib/udev/rules.d/60-velmortool.rules";

// A failure as the port reports it, with the text for a person.
struct Failure {
    std::uint32_t code = 0;
    std::string text;
};

// libusb could not be started at all.
std::string StartFailureText(int libusbError);
// Nothing matching `ids` is connected.
std::string NoDeviceText(std::span<const DeviceId> ids);
// An endpoint address as the texts name it: "0x81".
std::string EndpointText(std::uint8_t endpoint);
// Opening or claiming the device at `path` (bus `bus`, address `address`) failed
// with `libusbError`.
Failure OpenFailure(int libusbError, const std::string& path, int bus, int address);
// A transfer on the isochronous `endpoint` of the device at `path`, which this
// backend does not support, was refused.
std::string IsochronousText(std::uint8_t endpoint, const std::string& path);
// A transfer on `endpoint` ended with libusb transfer status `transferStatus`
// (LIBUSB_TRANSFER_*), or could not be submitted (`submitError`, a LIBUSB_ERROR_*
// code, when `transferStatus` is negative). Success gives code 0 and no text.
Failure TransferFailure(int transferStatus, int submitError, std::uint8_t endpoint,
                        const std::string& path);
// The port's error code of a libusb transfer status (LIBUSB_TRANSFER_*).
std::uint32_t TransferError(int transferStatus);

}  // namespace velmor::libusb
