#pragma once
// Where the programs take the list of controller IDs from.

#include <string>
#include <vector>

#include "drivers/libusb/device_ids.h"

namespace velmor::libusb {

// The packaged list, relative to the program's folder (bin/ -> share/velmortool/).
inline constexpr const char* kPackagedIdFile = "../share/velmortool/device-ids";
// A list the administrator keeps for IDs of their own; read when present.
inline constexpr const char* kLocalIdFile = "/etc/velmortool/device-ids";

struct DeviceIdSources {
    std::string executableFolder;  // where the packaged list is looked for
    std::string localFile = kLocalIdFile;
    const char* environment = nullptr;  // the value of VELMOR_USB_MATCH, if set
    std::vector<std::string> matches;   // --match values
};

// The list built into the programs from the same data file the package installs.
std::vector<DeviceId> BuiltInDeviceIds();

// The packaged list (or the built-in copy of it when the program runs from its
// build folder), the local list, then the environment and --match. False with
// `error` naming the culprit when a file line, the environment or a --match
// value is not an ID; `ids` is left empty then.
bool LoadDeviceIds(const DeviceIdSources& sources, std::vector<DeviceId>& ids, std::string& error);

}  // namespace velmor::libusb
