#include "drivers/libusb/program_backend.h"

#include "drivers/libusb/device_id_sources.h"

namespace velmor::libusb {

ProgramBackend StartProgramBackend(const std::string& executableFolder, const char* environment,
                                   const std::vector<std::string>& matches) {
    ProgramBackend backend;
    DeviceIdSources sources;
    sources.executableFolder = executableFolder;
    sources.environment = environment;
    sources.matches = matches;
    std::vector<DeviceId> ids;
    if (!LoadDeviceIds(sources, ids, backend.error)) {
        backend.failure = BackendFailure::kBadIds;
        return backend;
    }
    backend.driver = LibusbDriver::Create(std::move(ids), backend.error);
    if (!backend.driver) backend.failure = BackendFailure::kNotStarted;
    return backend;
}

}  // namespace velmor::libusb
