#include "drivers/libusb/device_id_sources.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "drivers/libusb/device_ids_data.h"

namespace velmor::libusb {

namespace {

// Reads an ID file; false with `error` when it holds a line that is not an ID.
// A missing file is no error: `found` tells.
bool ReadIdFile(const std::filesystem::path& path, std::vector<DeviceId>& ids, bool& found,
                std::string& error) {
    std::ifstream in(path, std::ios::binary);
    found = static_cast<bool>(in);
    if (!found) return true;
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<std::size_t> bad;
    std::vector<DeviceId> read = ParseDeviceIdFile(text.str(), &bad);
    if (!bad.empty()) {
        error = path.string() + " line " + std::to_string(bad.front()) +
                ": not a device ID (expected VVVV:PPPP in hexadecimal, then an optional product "
                "string)";
        return false;
    }
    ids.insert(ids.end(), read.begin(), read.end());
    return true;
}

}  // namespace

std::vector<DeviceId> BuiltInDeviceIds() { return ParseDeviceIdFile(kBuiltInDeviceIdFile); }

bool LoadDeviceIds(const DeviceIdSources& sources, std::vector<DeviceId>& ids, std::string& error) {
    ids.clear();
    bool found = false;
    if (!sources.executableFolder.empty() &&
        !ReadIdFile(std::filesystem::path(sources.executableFolder) / kPackagedIdFile, ids, found,
                    error)) {
        ids.clear();
        return false;
    }
    if (!found) ids = BuiltInDeviceIds();
    if (!sources.localFile.empty() && !ReadIdFile(sources.localFile, ids, found, error)) {
        ids.clear();
        return false;
    }
    if (sources.environment != nullptr && !ParseMatchList(sources.environment, ids)) {
        error = std::string(kMatchEnvironment) + "=" + sources.environment +
                ": not a list of device IDs (expected VVVV:PPPP, separated by commas)";
        ids.clear();
        return false;
    }
    for (const std::string& match : sources.matches) {
        if (!ParseMatchList(match, ids)) {
            error = "--match " + match + ": not a device ID (expected VVVV:PPPP in hexadecimal)";
            ids.clear();
            return false;
        }
    }
    return true;
}

}  // namespace velmor::libusb
