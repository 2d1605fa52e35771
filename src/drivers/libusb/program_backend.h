#pragma once
// The libusb driver as a program starts it: the controller IDs from every source
// (device_id_sources.h) plus the --match values, then libusb itself. The driver
// selection of both programs (backend/driver_selection.h) starts it this way.

#include <memory>
#include <string>
#include <vector>

#include "drivers/libusb/libusb_driver.h"

namespace velmor::libusb {

enum class BackendFailure {
    kNone,
    kBadIds,      // an ID file line, VELMOR_USB_MATCH or a --match value is not an ID
    kNotStarted,  // libusb could not be started: no backend for real devices
};

struct ProgramBackend {
    std::unique_ptr<LibusbDriver> driver;  // null unless failure is kNone
    BackendFailure failure = BackendFailure::kNone;
    std::string error;  // the text for a person when it failed
};

// `executableFolder`: where the program runs from (the packaged ID list is found
// relative to it); `environment`: the value of VELMOR_USB_MATCH or null.
ProgramBackend StartProgramBackend(const std::string& executableFolder, const char* environment,
                                   const std::vector<std::string>& matches);

}  // namespace velmor::libusb
