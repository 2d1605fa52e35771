#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "files/process_environment.h"

namespace velmor::files {

unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }

std::string ExecutableFile() {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::optional<std::string> EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

std::string UserDataFolder() {
    if (const auto state = EnvironmentValue("XDG_STATE_HOME"); state && state->starts_with('/'))
        return *state;
    if (const auto home = EnvironmentValue("HOME"); home && !home->empty())
        return *home + "/.local/state";
    return {};
}

}  // namespace velmor::files
