#include "shell/program_folder.h"

#include <filesystem>
#include <system_error>

namespace velmor::shell {

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty()) return "./";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder != "/") folder += '/';
    return folder;
}

std::string ExecutableFolder(const char* argv0) {
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && !self.empty()) return WithTrailingSlash(self.parent_path().string());
    if (argv0 && *argv0) {
        const auto path = std::filesystem::absolute(argv0, ec);
        if (!ec) return WithTrailingSlash(path.parent_path().string());
    }
    return "./";
}

std::string ResolveProgramFolder(const std::string& homeOption, const char* envHome,
                                 const std::string& executableFolder) {
    if (!homeOption.empty()) return WithTrailingSlash(homeOption);
    if (envHome && *envHome) return WithTrailingSlash(envHome);
    return WithTrailingSlash(executableFolder);
}

}  // namespace velmor::shell
